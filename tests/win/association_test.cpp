// The file association under Wine, written to the registry in-process and read back with
// RegQueryValueExA. The tests share one Wine prefix: they use type names and extensions of their
// own, and put .apk and apk back as they found them.
#include <windows.h>

#include <shellapi.h>

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "app/program_state.h"
#include "shell/association_win.h"

namespace {

struct Value {
    DWORD type = REG_NONE;
    std::string data;  // the raw bytes, a text's terminating NUL included
    bool operator==(const Value&) const = default;
};

std::optional<Value> ReadValue(HKEY root, const std::string& key, const std::string& name = "") {
    HKEY opened = nullptr;
    if (RegOpenKeyExA(root, key.c_str(), 0, KEY_READ, &opened) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    Value value;
    DWORD size = 0;
    LONG result = RegQueryValueExA(opened, name.c_str(), nullptr, &value.type, nullptr, &size);
    if (result == ERROR_SUCCESS) {
        value.data.resize(size);
        result = RegQueryValueExA(opened, name.c_str(), nullptr, &value.type,
                                  reinterpret_cast<BYTE*>(value.data.data()), &size);
        value.data.resize(size);
    }
    (void)RegCloseKey(opened);
    return result == ERROR_SUCCESS ? std::optional<Value>(value) : std::nullopt;
}

Value TextValue(const std::string& text) {
    return {REG_SZ, text + '\0'};
}

Value DwordValue(DWORD number) {
    return {REG_DWORD, std::string(reinterpret_cast<const char*>(&number), sizeof(number))};
}

bool KeyExists(HKEY root, const std::string& key) {
    HKEY opened = nullptr;
    if (RegOpenKeyExA(root, key.c_str(), 0, KEY_READ, &opened) != ERROR_SUCCESS) {
        return false;
    }
    (void)RegCloseKey(opened);
    return true;
}

void SetText(HKEY root, const std::string& key, const std::string& name, const std::string& text) {
    HKEY created = nullptr;
    ASSERT_EQ(RegCreateKeyExA(root, key.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &created, nullptr), ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExA(created, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                             static_cast<DWORD>(text.size() + 1)),
              ERROR_SUCCESS);
    (void)RegCloseKey(created);
}

// Every value below a key, by "subkey path|value name", subkeys included as empty entries.
using Tree = std::map<std::string, Value>;

void CollectTree(HKEY root, const std::string& key, Tree& tree) {
    HKEY opened = nullptr;
    if (RegOpenKeyExA(root, key.c_str(), 0, KEY_READ, &opened) != ERROR_SUCCESS) {
        return;
    }
    tree[key + "\\"] = Value{};
    for (DWORD i = 0;; ++i) {
        char name[256];
        DWORD nameLength = sizeof(name);
        BYTE data[2048];
        DWORD dataSize = sizeof(data);
        DWORD type = 0;
        if (RegEnumValueA(opened, i, name, &nameLength, nullptr, &type, data, &dataSize) != ERROR_SUCCESS) {
            break;
        }
        tree[key + "|" + std::string(name, nameLength)] = {type, std::string(reinterpret_cast<char*>(data), dataSize)};
    }
    std::vector<std::string> subkeys;
    for (DWORD i = 0;; ++i) {
        char name[256];
        DWORD nameLength = sizeof(name);
        if (RegEnumKeyExA(opened, i, name, &nameLength, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) {
            break;
        }
        subkeys.emplace_back(name, nameLength);
    }
    (void)RegCloseKey(opened);
    for (const std::string& subkey : subkeys) {
        CollectTree(root, key + "\\" + subkey, tree);
    }
}

Tree Snapshot(HKEY root, const std::vector<std::string>& keys) {
    Tree tree;
    for (const std::string& key : keys) {
        CollectTree(root, key, tree);
    }
    return tree;
}

// Puts keys back exactly as a snapshot had them (gone when they did not exist).
void Restore(HKEY root, const std::vector<std::string>& keys, const Tree& tree) {
    for (const std::string& key : keys) {
        (void)RegDeleteTreeA(root, key.c_str());
        (void)RegDeleteKeyA(root, key.c_str());
    }
    for (const auto& [path, value] : tree) {
        const size_t bar = path.find('|');
        HKEY created = nullptr;
        const std::string key = bar == std::string::npos ? path.substr(0, path.size() - 1) : path.substr(0, bar);
        if (RegCreateKeyA(root, key.c_str(), &created) != ERROR_SUCCESS) {
            continue;
        }
        if (bar != std::string::npos) {
            (void)RegSetValueExA(created, path.substr(bar + 1).c_str(), 0, value.type,
                                 reinterpret_cast<const BYTE*>(value.data.data()),
                                 static_cast<DWORD>(value.data.size()));
        }
        (void)RegCloseKey(created);
    }
}

// Keys under HKEY_CLASSES_ROOT that a test may touch; removed (or put back) afterwards.
class AssociationTest : public ::testing::Test {
  protected:
    void SetUp() override {
        keys_ = {
            ".mossgatetest", "mossgatetest", ".mossgatetest2", "mossgatetest|mossgatetest2", "MossgateTestOtherType",
            ".apk",          "apk"};
        saved_ = Snapshot(HKEY_CLASSES_ROOT, keys_);
    }
    void TearDown() override {
        Restore(HKEY_CLASSES_ROOT, keys_, saved_);
        EXPECT_EQ(Snapshot(HKEY_CLASSES_ROOT, keys_), saved_);
    }

    std::vector<std::string> keys_;
    Tree saved_;
};

constexpr char kIcon[] = "C:\\users\\tester\\Documents\\MOSSGATE\\WSAAPK.ico";

TEST_F(AssociationTest, WritesTheTypeItsCommandItsIconAndTheExtension) {
    AssociateExtensions("C:\\Tools\\inst.exe", "mossgatetest", kIcon);

    EXPECT_EQ(ReadValue(HKEY_CLASSES_ROOT, "mossgatetest"), TextValue(""));
    EXPECT_EQ(ReadValue(HKEY_CLASSES_ROOT, "mossgatetest", "EditFlags"), DwordValue(2));
    EXPECT_EQ(ReadValue(HKEY_CLASSES_ROOT, "mossgatetest\\Shell\\Open\\Command"),
              TextValue("\"C:\\Tools\\inst.exe\" \"%1\""));
    EXPECT_EQ(ReadValue(HKEY_CLASSES_ROOT, "mossgatetest\\DefaultIcon"), TextValue(std::string(kIcon) + ",0"));
    EXPECT_EQ(ReadValue(HKEY_CLASSES_ROOT, ".mossgatetest"), TextValue("mossgatetest"));
    EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, "mossgatetest\\Shell\\Open"));
}

TEST_F(AssociationTest, QuotesAProgramPathWithBlanksAndFallsBackToItsIcon) {
    const std::string exe = "C:\\Program Files\\My Tools\\中文 安装.exe";
    AssociateExtensions(exe, "mossgatetest");
    EXPECT_EQ(ReadValue(HKEY_CLASSES_ROOT, "mossgatetest\\Shell\\Open\\Command"), TextValue("\"" + exe + "\" \"%1\""));
    EXPECT_EQ(ReadValue(HKEY_CLASSES_ROOT, "mossgatetest\\DefaultIcon"), TextValue(exe + ",0"));
}

TEST_F(AssociationTest, RepointsAnExtensionAndLeavesEverythingElseAlone) {
    SetText(HKEY_CLASSES_ROOT, ".mossgatetest", "", "MossgateTestOtherType");
    SetText(HKEY_CLASSES_ROOT, ".mossgatetest", "Content Type", "application/x-test");
    SetText(HKEY_CLASSES_ROOT, "MossgateTestOtherType\\Shell\\Open\\Command", "", "other.exe \"%1\"");
    SetText(HKEY_CLASSES_ROOT, "mossgatetest\\Shell\\Edit\\Command", "", "edit.exe \"%1\"");
    SetText(HKEY_CLASSES_ROOT, "mossgatetest\\DefaultIcon", "", "old.ico,3");
    const Tree otherType = Snapshot(HKEY_CLASSES_ROOT, {"MossgateTestOtherType"});

    AssociateExtensions("C:\\Tools\\inst.exe", "mossgatetest", kIcon);

    EXPECT_EQ(ReadValue(HKEY_CLASSES_ROOT, ".mossgatetest"), TextValue("mossgatetest"));
    EXPECT_EQ(ReadValue(HKEY_CLASSES_ROOT, ".mossgatetest", "Content Type"), TextValue("application/x-test"));
    EXPECT_EQ(Snapshot(HKEY_CLASSES_ROOT, {"MossgateTestOtherType"}), otherType);
    EXPECT_EQ(ReadValue(HKEY_CLASSES_ROOT, "mossgatetest\\Shell\\Edit\\Command"), TextValue("edit.exe \"%1\""));
    EXPECT_EQ(ReadValue(HKEY_CLASSES_ROOT, "mossgatetest\\DefaultIcon"), TextValue(std::string(kIcon) + ",0"));
}

TEST_F(AssociationTest, SecondRunGivesTheSameResult) {
    AssociateExtensions("C:\\Tools\\inst.exe", "mossgatetest|mossgatetest2", kIcon);
    const Tree first = Snapshot(HKEY_CLASSES_ROOT, keys_);
    EXPECT_EQ(ReadValue(HKEY_CLASSES_ROOT, ".mossgatetest2"), TextValue("mossgatetest|mossgatetest2"));
    EXPECT_EQ(ReadValue(HKEY_CLASSES_ROOT, "mossgatetest|mossgatetest2", "EditFlags"), DwordValue(2));

    AssociateExtensions("C:\\Tools\\inst.exe", "mossgatetest|mossgatetest2", kIcon);
    EXPECT_EQ(Snapshot(HKEY_CLASSES_ROOT, keys_), first);
}

TEST_F(AssociationTest, RegisterApkAssociationBindsApkToThisProgram) {
    char module[MAX_PATH] = {};
    const std::string modulePath(module, GetModuleFileNameA(nullptr, module, MAX_PATH));
    const std::string fileName = modulePath.substr(modulePath.find_last_of('\\') + 1);
    RunDirectory = "C:\\Program Files\\Some Folder";
    ApkIconPath = kIcon;
    SetText(HKEY_CLASSES_ROOT, ".apk", "", "MossgateTestOtherType");

    RegisterApkAssociation();

    EXPECT_EQ(ReadValue(HKEY_CLASSES_ROOT, ".apk"), TextValue("apk"));
    EXPECT_EQ(ReadValue(HKEY_CLASSES_ROOT, "apk"), TextValue(""));
    EXPECT_EQ(ReadValue(HKEY_CLASSES_ROOT, "apk", "EditFlags"), DwordValue(2));
    EXPECT_EQ(ReadValue(HKEY_CLASSES_ROOT, "apk\\Shell\\Open\\Command"),
              TextValue("\"C:\\Program Files\\Some Folder\\" + fileName + "\" \"%1\""));
    EXPECT_EQ(ReadValue(HKEY_CLASSES_ROOT, "apk\\DefaultIcon"), TextValue(std::string(kIcon) + ",0"));

    // A program moved elsewhere rewrites the command with its new place.
    RunDirectory = "D:\\moved";
    RegisterApkAssociation();
    EXPECT_EQ(ReadValue(HKEY_CLASSES_ROOT, "apk\\Shell\\Open\\Command"),
              TextValue("\"D:\\moved\\" + fileName + "\" \"%1\""));
    RunDirectory.clear();
    ApkIconPath.clear();
}

std::string TestFolder() {
    char module[MAX_PATH] = {};
    const std::string path(module, GetModuleFileNameA(nullptr, module, MAX_PATH));
    return path.substr(0, path.find_last_of('\\'));
}

std::string ReadFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

TEST_F(AssociationTest, OpeningAFileThroughTheShellStartsTheProgramWithItsPath) {
    // The probe writes what it was started with into the file named first on its command line:
    // here the opened file itself.
    const std::string probe = TestFolder() + "\\startup_probe.exe";
    const std::string folder = TestFolder() + "\\opened files";
    (void)CreateDirectoryA(folder.c_str(), nullptr);
    const std::string file = folder + "\\my package.mossgatetest";
    { std::ofstream(file, std::ios::binary) << "package"; }
    AssociateExtensions(probe, "mossgatetest");

    const auto started =
        reinterpret_cast<INT_PTR>(ShellExecuteA(nullptr, "open", file.c_str(), nullptr, nullptr, SW_SHOWNORMAL));
    EXPECT_GT(started, 32);
    std::string record;
    for (DWORD start = GetTickCount(); GetTickCount() - start < 20000; Sleep(50)) {
        record = ReadFile(file);
        if (record != "package") {
            break;
        }
    }
    const size_t lastLine = record.rfind('\n');
    ASSERT_NE(lastLine, std::string::npos) << record;
    EXPECT_EQ(record.substr(lastLine + 1), "\"" + probe + "\" \"" + file + "\"");
    (void)DeleteFileA(file.c_str());
    (void)RemoveDirectoryA(folder.c_str());
}

// Registry writes with a scratch key under HKEY_CURRENT_USER.
class RegistryWriteTest : public ::testing::Test {
  protected:
    void SetUp() override { (void)RegDeleteTreeA(HKEY_CURRENT_USER, kScratch); }
    void TearDown() override {
        (void)RegDeleteTreeA(HKEY_CURRENT_USER, kScratch);
        (void)RegDeleteKeyA(HKEY_CURRENT_USER, kScratch);
    }
    static constexpr char kScratch[] = "Software\\MossgateTest";
};

RegistryEntry Text(std::string key, std::string name, std::string text) {
    return {std::move(key), std::move(name), RegistryEntry::Kind::Text, std::move(text), 0};
}

TEST_F(RegistryWriteTest, CreatesTheWholePathAndCountsTheTerminatingNul) {
    const std::string key = std::string(kScratch) + "\\a\\b\\c";
    ASSERT_TRUE(WriteRegistryValue(HKEY_CURRENT_USER, key, Text("ignored", "", "路径 x")));
    EXPECT_EQ(ReadValue(HKEY_CURRENT_USER, key), TextValue("路径 x"));
    ASSERT_TRUE(WriteRegistryValue(HKEY_CURRENT_USER, key, Text("", "", "")));
    EXPECT_EQ(ReadValue(HKEY_CURRENT_USER, key), TextValue(""));
    ASSERT_TRUE(WriteRegistryValue(HKEY_CURRENT_USER, key, {"", "EditFlags", RegistryEntry::Kind::Number, "", 2}));
    EXPECT_EQ(ReadValue(HKEY_CURRENT_USER, key, "EditFlags"), DwordValue(2));
}

TEST_F(RegistryWriteTest, OverwritesOneValueOfAnExistingKeyAndKeepsTheOthers) {
    const std::string key = std::string(kScratch) + "\\existing";
    SetText(HKEY_CURRENT_USER, key, "", "old");
    SetText(HKEY_CURRENT_USER, key, "other", "kept");
    ASSERT_TRUE(WriteRegistryValue(HKEY_CURRENT_USER, key, Text("", "", "new")));
    EXPECT_EQ(ReadValue(HKEY_CURRENT_USER, key), TextValue("new"));
    EXPECT_EQ(ReadValue(HKEY_CURRENT_USER, key, "other"), TextValue("kept"));
}

TEST_F(RegistryWriteTest, ReportsAKeyThatCanBeNeitherOpenedNorCreated) {
    HKEY closed = nullptr;
    ASSERT_EQ(RegCreateKeyA(HKEY_CURRENT_USER, kScratch, &closed), ERROR_SUCCESS);
    (void)RegCloseKey(closed);
    EXPECT_FALSE(WriteRegistryValue(closed, "x", Text("", "", "v")));
}

TEST_F(RegistryWriteTest, EntriesTheClassesRootRefusesLandInTheUsersOwnClasses) {
    // A root whose handle is no longer valid refuses every open and create.
    HKEY refusing = nullptr;
    ASSERT_EQ(RegCreateKeyA(HKEY_CURRENT_USER, kScratch, &refusing), ERROR_SUCCESS);
    (void)RegCloseKey(refusing);
    const std::string user = std::string(kScratch) + "\\Classes\\";
    SystemClassesRegistry registry({refusing, ""}, {HKEY_CURRENT_USER, user});

    WriteAssociation(PlanAssociation("C:\\x y\\m.exe", "apk", kIcon, "", ""), registry);

    EXPECT_EQ(ReadValue(HKEY_CURRENT_USER, user + "apk"), TextValue(""));
    EXPECT_EQ(ReadValue(HKEY_CURRENT_USER, user + "apk", "EditFlags"), DwordValue(2));
    EXPECT_EQ(ReadValue(HKEY_CURRENT_USER, user + "apk\\Shell\\Open\\Command"), TextValue("\"C:\\x y\\m.exe\" \"%1\""));
    EXPECT_EQ(ReadValue(HKEY_CURRENT_USER, user + "apk\\DefaultIcon"), TextValue(std::string(kIcon) + ",0"));
    EXPECT_EQ(ReadValue(HKEY_CURRENT_USER, user + ".apk"), TextValue("apk"));
}

TEST_F(RegistryWriteTest, AnAcceptingClassesRootKeepsTheUsersClassesUntouched) {
    const std::string root = std::string(kScratch) + "\\Root\\";
    const std::string user = std::string(kScratch) + "\\User\\";
    HKEY scratch = nullptr;
    ASSERT_EQ(RegCreateKeyA(HKEY_CURRENT_USER, kScratch, &scratch), ERROR_SUCCESS);
    (void)RegCloseKey(scratch);
    SystemClassesRegistry registry({HKEY_CURRENT_USER, root}, {HKEY_CURRENT_USER, user});

    WriteAssociation(PlanAssociation("m.exe", "apk", "", "", ""), registry);

    EXPECT_EQ(ReadValue(HKEY_CURRENT_USER, root + ".apk"), TextValue("apk"));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, user));
}

}  // namespace
