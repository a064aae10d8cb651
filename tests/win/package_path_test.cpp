// The path the client is given for a package whose name the ANSI code page may not hold, against real files
// under Wine (ANSI code page 936).
#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

#include "app/program_state.h"
#include "base/wide_text_win.h"
#include "install/package_path_win.h"
#include "install/work_files_win.h"

namespace {

// A volume without short names hands back the long path unchanged.
DWORD WINAPI NoShortNames(LPCWSTR longPath, LPWSTR shortPath, DWORD capacity) {
    const DWORD length = static_cast<DWORD>(wcslen(longPath));
    if (length >= capacity) {
        return length + 1;
    }
    wcscpy(shortPath, longPath);
    return length;
}

std::string ReadAnsi(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), {});
}

class ClientPackagePathTest : public testing::Test {
  protected:
    void SetUp() override {
        wchar_t base[MAX_PATH];
        GetTempPathW(MAX_PATH, base);
        folder_ = std::wstring(base) + L"mossgate names " + std::to_wstring(GetCurrentProcessId());
        CreateDirectoryW(folder_.c_str(), nullptr);
        WorkFolderPath = AnsiFromWide(folder_) + "\\work";
        CreateDirectoryA(WorkFolderPath.c_str(), nullptr);
        // Hangul and an emoji: no ANSI code page holds them.
        package_ = folder_ + L"\\\xD55C\xAE00\xD83D\xDE00 app.apk";
        HANDLE file = CreateFileW(package_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        DWORD written = 0;
        WriteFile(file, kBytes, sizeof kBytes - 1, &written, nullptr);
        CloseHandle(file);
    }
    void TearDown() override {
        DeleteFileW(package_.c_str());
        RemoveFolderWithFiles(CopyFolder());
        RemoveDirectoryA(WorkFolderPath.c_str());
        RemoveDirectoryW(folder_.c_str());
    }

    static constexpr char kBytes[] = "PK\x03\x04 the package's own bytes";
    std::wstring folder_;
    std::wstring package_;
};

TEST_F(ClientPackagePathTest, AnAnsiNameIsGivenAsItIs) {
    const std::wstring chinese = folder_ + L"\\\x4E2D\x6587 a.apk";
    const ClientPackagePath path(chinese);
    EXPECT_EQ(path.Ansi(), AnsiFromWide(chinese));
    EXPECT_FALSE(path.IsCopy());
}

TEST_F(ClientPackagePathTest, ANameOutsideTheCodePageIsGivenByItsShortName) {
    const ClientPackagePath path(package_);
    ASSERT_FALSE(path.IsCopy());
    EXPECT_EQ(path.Ansi().find('?'), std::string::npos) << path.Ansi();
    EXPECT_EQ(ReadAnsi(path.Ansi()), kBytes);
}

TEST_F(ClientPackagePathTest, WithoutShortNamesACopyUnderAnAsciiNameIsGivenAndRemovedAfterwards) {
    {
        const ClientPackagePath path(package_, NoShortNames);
        ASSERT_TRUE(path.IsCopy());
        EXPECT_EQ(path.Problem(), "");
        EXPECT_EQ(path.Ansi(), CopyFolder() + "\\package.apk");
        EXPECT_EQ(ReadAnsi(path.Ansi()), kBytes);
    }
    EXPECT_EQ(GetFileAttributesA(CopyFolder().c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_NE(GetFileAttributesW(package_.c_str()), INVALID_FILE_ATTRIBUTES);  // the package itself stays
}

TEST_F(ClientPackagePathTest, AMissingFileWithSuchANameSaysSo) {
    const ClientPackagePath path(folder_ + L"\\\xD83D\xDE00 gone.xapk", NoShortNames);
    EXPECT_NE(path.Problem().find("找不到安装包"), std::string::npos) << path.Problem();
}

}  // namespace
