// ExtractPayloadItem against real files under Wine.
#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

#include "base/payload_win.h"

namespace {

class ExtractPayloadItemTest : public testing::Test {
protected:
    void SetUp() override {
        char base[MAX_PATH];
        GetTempPathA(MAX_PATH, base);
        folder_ = std::string(base) + "mossgate payload " + std::to_string(GetCurrentProcessId());
        CreateDirectoryA(folder_.c_str(), nullptr);
    }
    void TearDown() override {
        for (const std::string& name : FilesInFolder()) {
            std::string path = folder_ + "\\" + name;
            SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
            DeleteFileA(path.c_str());
        }
        RemoveDirectoryA(folder_.c_str());
    }

    std::string PathOf(const std::string& name) const { return folder_ + "\\" + name; }

    std::vector<std::string> FilesInFolder() const {
        std::vector<std::string> names;
        WIN32_FIND_DATAA found;
        HANDLE search = FindFirstFileA((folder_ + "\\*").c_str(), &found);
        if (search == INVALID_HANDLE_VALUE) {
            return names;
        }
        do {
            if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
                names.push_back(found.cFileName);
            }
        } while (FindNextFileA(search, &found));
        FindClose(search);
        return names;
    }

    static void WriteText(const std::string& path, const std::string& text) {
        std::ofstream(path, std::ios::binary) << text;
    }
    static std::string ReadText(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }

    std::string folder_;
};

PayloadItem ItemOf(const std::string& bytes) {
    return {reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size()};
}

TEST_F(ExtractPayloadItemTest, WritesTheItemByteForByte) {
    std::string bytes("MZ\0\x01\xff payload", 13);
    EXPECT_TRUE(ExtractPayloadItem(ItemOf(bytes), PathOf("adb.exe")));
    EXPECT_EQ(ReadText(PathOf("adb.exe")), bytes);
    EXPECT_EQ(FilesInFolder(), std::vector<std::string>{"adb.exe"});
}

TEST_F(ExtractPayloadItemTest, ReplacesALongerFileWhole) {
    WriteText(PathOf("adb.exe"), std::string(100000, 'x'));
    EXPECT_TRUE(ExtractPayloadItem(ItemOf("short"), PathOf("adb.exe")));
    EXPECT_EQ(ReadText(PathOf("adb.exe")), "short");
}

TEST_F(ExtractPayloadItemTest, EmptyItemGivesEmptyFile) {
    WriteText(PathOf("empty.bin"), "old");
    EXPECT_TRUE(ExtractPayloadItem(PayloadItem{}, PathOf("empty.bin")));
    EXPECT_EQ(ReadText(PathOf("empty.bin")), "");
}

TEST_F(ExtractPayloadItemTest, EmptyPathOrMissingFolderWritesNothing) {
    EXPECT_FALSE(ExtractPayloadItem(ItemOf("x"), ""));
    EXPECT_FALSE(ExtractPayloadItem(ItemOf("x"), PathOf("no such folder\\adb.exe")));
    EXPECT_TRUE(FilesInFolder().empty());
}

TEST_F(ExtractPayloadItemTest, FileInUseKeepsItsContentAndNoTemporaryFileStays) {
    WriteText(PathOf("adb.exe"), "the running one");
    HANDLE holder = CreateFileA(PathOf("adb.exe").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(ExtractPayloadItem(ItemOf("new bytes"), PathOf("adb.exe")));
    CloseHandle(holder);
    EXPECT_EQ(ReadText(PathOf("adb.exe")), "the running one");
    EXPECT_EQ(FilesInFolder(), std::vector<std::string>{"adb.exe"});
}

TEST_F(ExtractPayloadItemTest, ReadOnlyFileStaysAsItWas) {
    WriteText(PathOf("WSAAPK.ico"), "old icon");
    SetFileAttributesA(PathOf("WSAAPK.ico").c_str(), FILE_ATTRIBUTE_READONLY);
    EXPECT_FALSE(ExtractPayloadItem(ItemOf("new icon"), PathOf("WSAAPK.ico")));
    EXPECT_EQ(ReadText(PathOf("WSAAPK.ico")), "old icon");
    EXPECT_EQ(FilesInFolder(), std::vector<std::string>{"WSAAPK.ico"});
}

TEST_F(ExtractPayloadItemTest, RelativeDestinationLandsInTheCurrentFolder) {
    char previous[MAX_PATH];
    GetCurrentDirectoryA(MAX_PATH, previous);
    SetCurrentDirectoryA(folder_.c_str());
    EXPECT_TRUE(ExtractPayloadItem(ItemOf("relative"), "coolapk.apk"));
    SetCurrentDirectoryA(previous);
    EXPECT_EQ(ReadText(PathOf("coolapk.apk")), "relative");
}

}  // namespace
