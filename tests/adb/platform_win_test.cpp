// The Windows half of the toolkit under Wine: key file rights, ANSI names, local files, USB entry.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "adb/win/client_platform_win.h"

namespace adb {
namespace {

class WindowsPlatform : public ::testing::Test {
  protected:
    void SetUp() override {
        char temp[MAX_PATH];
        ASSERT_GT(GetTempPathA(sizeof temp, temp), 0u);
        home_ = std::string(temp) + "adb_platform_test_" + std::to_string(GetCurrentProcessId());
        (void)CreateDirectoryA(home_.c_str(), nullptr);
        ASSERT_TRUE(SetEnvironmentVariableA("MOSSGATE_ADB_HOME", home_.c_str()));
    }
    void TearDown() override {
        for (const char* name : {"adbkey", "adbkey.pub", "plain"}) {
            (void)DeleteFileA((home_ + "\\.android\\" + name).c_str());
        }
        (void)RemoveDirectoryA((home_ + "\\.android").c_str());
        (void)RemoveDirectoryA(home_.c_str());
    }
    std::string home_;
    WindowsClientPlatform platform_{nullptr, nullptr};
};

std::vector<BYTE> CurrentUserSid() {
    HANDLE token = nullptr;
    EXPECT_TRUE(OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token));
    DWORD needed = 0;
    (void)GetTokenInformation(token, TokenUser, nullptr, 0, &needed);
    std::vector<BYTE> buffer(needed);
    EXPECT_TRUE(GetTokenInformation(token, TokenUser, buffer.data(), needed, &needed));
    CloseHandle(token);
    PSID sid = reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid;
    return std::vector<BYTE>(static_cast<BYTE*>(sid), static_cast<BYTE*>(sid) + GetLengthSid(sid));
}

TEST_F(WindowsPlatform, PrivateKeyFileGrantsAccessToTheUserAlone) {
    std::string error;
    ASSERT_TRUE(platform_.Files().WriteUserFile("adbkey", "secret", true, &error)) << error;
    std::string path = platform_.Files().UserFilePath("adbkey");
    EXPECT_EQ(path, home_ + "\\.android\\adbkey");
    DWORD needed = 0;
    (void)GetFileSecurityA(path.c_str(), DACL_SECURITY_INFORMATION, nullptr, 0, &needed);
    std::vector<BYTE> descriptor(needed);
    ASSERT_TRUE(GetFileSecurityA(path.c_str(), DACL_SECURITY_INFORMATION, descriptor.data(), needed, &needed));
    BOOL present = FALSE, defaulted = FALSE;
    PACL dacl = nullptr;
    ASSERT_TRUE(GetSecurityDescriptorDacl(descriptor.data(), &present, &dacl, &defaulted));
    ASSERT_TRUE(present && dacl != nullptr);
    ACL_SIZE_INFORMATION size = {};
    ASSERT_TRUE(GetAclInformation(dacl, &size, sizeof size, AclSizeInformation));
    // We write one entry for the user. Wine keeps no descriptor: it maps it to the Unix mode and
    // reports the user and SYSTEM back. Nobody else may appear, Everyone and Users least of all.
    std::vector<BYTE> user = CurrentUserSid();
    SID_IDENTIFIER_AUTHORITY ntAuthority = SECURITY_NT_AUTHORITY;
    PSID system = nullptr;
    ASSERT_TRUE(AllocateAndInitializeSid(&ntAuthority, 1, SECURITY_LOCAL_SYSTEM_RID, 0, 0, 0, 0, 0, 0, 0, &system));
    bool userAllowed = false;
    for (DWORD i = 0; i < size.AceCount; ++i) {
        ACCESS_ALLOWED_ACE* ace = nullptr;
        ASSERT_TRUE(GetAce(dacl, i, reinterpret_cast<void**>(&ace)));
        if (ace->Header.AceType != ACCESS_ALLOWED_ACE_TYPE) {
            continue;
        }
        bool isUser = EqualSid(&ace->SidStart, user.data());
        userAllowed = userAllowed || (isUser && (ace->Mask & FILE_READ_DATA));
        EXPECT_TRUE(isUser || EqualSid(&ace->SidStart, system)) << "entry " << i << " grants someone else";
    }
    FreeSid(system);
    EXPECT_TRUE(userAllowed);
    EXPECT_EQ(platform_.Files().ReadUserFile("adbkey").value_or(""), "secret");
}

TEST_F(WindowsPlatform, UserFilesAreReplacedWhole) {
    std::string error;
    ASSERT_TRUE(platform_.Files().WriteUserFile("plain", "a much longer first text", false, &error)) << error;
    ASSERT_TRUE(platform_.Files().WriteUserFile("plain", "short", false, &error)) << error;
    EXPECT_EQ(platform_.Files().ReadUserFile("plain").value_or(""), "short");
    platform_.Files().RemoveUserFile("plain");
    EXPECT_FALSE(platform_.Files().ReadUserFile("plain"));
}

TEST_F(WindowsPlatform, PackageErrorsAreWordedAsTheCLibraryWouldAndFilesAreReadInPieces) {
    std::string error;
    EXPECT_FALSE(platform_.OpenPackage(home_ + "\\missing.apk", &error));
    EXPECT_EQ(error, "No such file or directory");
    EXPECT_FALSE(platform_.OpenPackage(home_, &error));
    EXPECT_EQ(error, "Is a directory");
    ASSERT_TRUE(platform_.Files().WriteUserFile("plain", std::string(3000, 'p'), false, &error));
    std::unique_ptr<PackageFile> file = platform_.OpenPackage(platform_.Files().UserFilePath("plain"), &error);
    ASSERT_TRUE(file) << error;
    EXPECT_EQ(file->Size(), 3000u);
    char piece[1024];
    size_t got = 0, total = 0;
    while (file->Read(piece, sizeof piece, &got) && got > 0) {
        EXPECT_LE(got, sizeof piece);
        total += got;
    }
    EXPECT_EQ(total, 3000u);
}

TEST_F(WindowsPlatform, DeviceFileNameIsTheUtf8OfTheAnsiName) {
    if (GetACP() != 936) {
        GTEST_SKIP() << "needs the GBK code page";
    }
    // "C:\目录\乗 应用.apk" in GBK; the second byte of 乗 is 0x5C, a backslash.
    std::string path = "C:\\\xc4\xbf\xc2\xbc\\\x81\x5c \xd3\xa6\xd3\xc3.apk";
    EXPECT_EQ(platform_.DeviceFileName(path), "\xe4\xb9\x97 \xe5\xba\x94\xe7\x94\xa8.apk");
    EXPECT_EQ(platform_.DeviceFileName("plain.apk"), "plain.apk");
}

TEST_F(WindowsPlatform, ClosedPortIsRefusedWithTheWinsockCode) {
    TcpConnectResult result = platform_.ConnectTcp("127.0.0.1", 1, 5000);
    EXPECT_EQ(result.status, TcpConnectResult::Status::kConnectFailed);
    EXPECT_NE(result.reason.find("(10061)"), std::string::npos) << result.reason;
    EXPECT_EQ(platform_.ConnectTcp("", 5555, 5000).status, TcpConnectResult::Status::kResolveFailed);
}

TEST(UsbEntryPoint, ReportsThatUsbIsNotSupported) {
    char folder[MAX_PATH] = {};
    ASSERT_GT(GetEnvironmentVariableA("ADB_TOOLKIT_DIR", folder, sizeof folder), 0u);
    HMODULE library = LoadLibraryA((std::string(folder) + "\\AdbWinUsbApi.dll").c_str());
    ASSERT_NE(library, nullptr);
    using Instantiate = void*(__cdecl*)(const wchar_t*);
    auto instantiate = reinterpret_cast<Instantiate>(
        reinterpret_cast<void*>(GetProcAddress(library, "InstantiateWinUsbInterface")));
    ASSERT_NE(instantiate, nullptr);
    SetLastError(0);
    EXPECT_EQ(instantiate(L"\\\\?\\usb#vid_18d1&pid_4ee7"), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_SUPPORTED));
    FreeLibrary(library);
}

}  // namespace
}  // namespace adb
