#include "shell/association.h"

#include <gtest/gtest.h>

#include <map>
#include <ostream>
#include <set>
#include <tuple>

void PrintTo(const RegistryEntry& entry, std::ostream* out) {
    *out << "[" << entry.key << "] \"" << entry.valueName << "\" = ";
    if (entry.kind == RegistryEntry::Kind::Number) {
        *out << "dword:" << entry.number;
    } else {
        *out << "\"" << entry.text << "\"";
    }
}

namespace {

using Plan = std::vector<RegistryEntry>;

RegistryEntry Text(std::string key, std::string text) {
    return {std::move(key), "", RegistryEntry::Kind::Text, std::move(text), 0};
}

RegistryEntry EditFlags(std::string key) {
    return {std::move(key), "EditFlags", RegistryEntry::Kind::Number, "", 2};
}

TEST(PlanAssociation, BindsApkToTheProgramInTheFiveStepsInOrder) {
    const std::string exe = "C:\\Tools\\inst.exe";
    const std::string icon = "C:\\Users\\u\\Documents\\MOSSGATE\\WSAAPK.ico";
    const Plan expected = {
        Text("apk", ""),
        EditFlags("apk"),
        Text("apk\\Shell\\Open\\Command", "\"C:\\Tools\\inst.exe\" \"%1\""),
        Text("apk\\DefaultIcon", icon + ",0"),
        Text(".apk", "apk"),
    };
    EXPECT_EQ(PlanAssociation(exe, "apk", icon, "", ""), expected);
}

TEST(PlanAssociation, QuotesAProgramPathWithBlanksUnchanged) {
    const Plan plan = PlanAssociation("C:\\Program Files\\安装 器\\a b.exe", "apk", "i.ico", "", "");
    ASSERT_EQ(plan.size(), 5u);
    EXPECT_EQ(plan[2].text, "\"C:\\Program Files\\安装 器\\a b.exe\" \"%1\"");
}

TEST(PlanAssociation, UsesTheDescriptionTypeNameAndIconWhenGiven) {
    const Plan plan = PlanAssociation("x.exe", "apk", "i.ico", "安卓安装包", "Mossgate.Apk");
    const Plan expected = {
        Text("Mossgate.Apk", "安卓安装包"),
        EditFlags("Mossgate.Apk"),
        Text("Mossgate.Apk\\Shell\\Open\\Command", "\"x.exe\" \"%1\""),
        Text("Mossgate.Apk\\DefaultIcon", "i.ico,0"),
        Text(".apk", "Mossgate.Apk"),
    };
    EXPECT_EQ(plan, expected);
}

TEST(PlanAssociation, EmptyIconMeansTheExecutable) {
    const Plan plan = PlanAssociation("C:\\a\\x.exe", "apk", "", "", "");
    ASSERT_EQ(plan.size(), 5u);
    EXPECT_EQ(plan[3], Text("apk\\DefaultIcon", "C:\\a\\x.exe,0"));
}

TEST(PlanAssociation, SeveralExtensionsShareTheWholeListAsTypeName) {
    const Plan plan = PlanAssociation("x.exe", "apk|xapk|apks", "i.ico", "", "");
    ASSERT_EQ(plan.size(), 7u);
    EXPECT_EQ(plan[0].key, "apk|xapk|apks");
    EXPECT_EQ(plan[2].key, "apk|xapk|apks\\Shell\\Open\\Command");
    EXPECT_EQ(plan[4], Text(".apk", "apk|xapk|apks"));
    EXPECT_EQ(plan[5], Text(".xapk", "apk|xapk|apks"));
    EXPECT_EQ(plan[6], Text(".apks", "apk|xapk|apks"));

    const Plan named = PlanAssociation("x.exe", "apk|xapk", "i.ico", "", "apkfile");
    ASSERT_EQ(named.size(), 6u);
    EXPECT_EQ(named[4], Text(".apk", "apkfile"));
    EXPECT_EQ(named[5], Text(".xapk", "apkfile"));
}

TEST(PlanAssociation, EmptyListBindsNoExtension) {
    // The type is still described when it has a name of its own.
    const Plan plan = PlanAssociation("x.exe", "", "i.ico", "", "apkfile");
    ASSERT_EQ(plan.size(), 4u);
    EXPECT_EQ(plan[3].key, "apkfile\\DefaultIcon");
    // Without one the type name would be empty: nothing is written rather than values on the root.
    EXPECT_TRUE(PlanAssociation("x.exe", "", "i.ico", "d", "").empty());
}

TEST(PlanAssociation, EmptyExecutableWritesNothing) {
    EXPECT_TRUE(PlanAssociation("", "apk", "i.ico", "", "").empty());
}

TEST(PlanAssociation, TrailingBarAddsNoExtensionButStaysInTheTypeName) {
    const Plan plan = PlanAssociation("x.exe", "apk|", "i.ico", "", "");
    ASSERT_EQ(plan.size(), 5u);
    EXPECT_EQ(plan[4], Text(".apk", "apk|"));
}

TEST(PlanAssociation, EmptyItemInsideTheListBindsNothing) {
    const Plan plan = PlanAssociation("x.exe", "apk||xapk", "i.ico", "", "");
    ASSERT_EQ(plan.size(), 6u);
    EXPECT_EQ(plan[4].key, ".apk");
    EXPECT_EQ(plan[5].key, ".xapk");
}

TEST(SplitExtensionList, SplitsAtBarsButNeverInsideAGbkCharacter) {
    using List = std::vector<std::string>;
    EXPECT_EQ(SplitExtensionList("apk"), List{"apk"});
    EXPECT_EQ(SplitExtensionList("apk|xapk"), List({"apk", "xapk"}));
    EXPECT_EQ(SplitExtensionList(""), List{});
    EXPECT_EQ(SplitExtensionList("apk|"), List{"apk"});
    EXPECT_EQ(SplitExtensionList("|"), List{""});
    EXPECT_EQ(SplitExtensionList("a||b"), List({"a", "", "b"}));
    EXPECT_EQ(SplitExtensionList("|a"), List({"", "a"}));
    // 亅 is 81 7C: its second byte is the byte of "|".
    const std::string bar = "\x81\x7C";
    EXPECT_EQ(std::string("亅"), bar);
    EXPECT_EQ(SplitExtensionList("a" + bar + "b|c"), List({"a" + bar + "b", "c"}));
    EXPECT_EQ(SplitExtensionList(bar), List{bar});
    EXPECT_EQ(SplitExtensionList(bar + "|"), List{bar});
    // A lead byte at the very end has no trail to take along.
    EXPECT_EQ(SplitExtensionList("a|\x81"), List({"a", "\x81"}));
}

TEST(PlanAssociation, GbkExtensionWhoseTrailByteIsABarIsOneExtension) {
    const Plan plan = PlanAssociation("x.exe", "包亅|apk", "i.ico", "", "");
    ASSERT_EQ(plan.size(), 6u);
    EXPECT_EQ(plan[4], Text(".包亅", "包亅|apk"));
    EXPECT_EQ(plan[5], Text(".apk", "包亅|apk"));
}

// A registry in memory: each store can refuse chosen keys.
class FakeClassesRegistry : public ClassesRegistry {
  public:
    using Key = std::tuple<ClassesStore, std::string, std::string>;

    bool Write(ClassesStore store, const RegistryEntry& entry) override {
        attempts.emplace_back(store, entry.key);
        if (refused.count({store, entry.key}) != 0) {
            return false;
        }
        values[{store, entry.key, entry.valueName}] = entry;
        return true;
    }

    std::set<std::pair<ClassesStore, std::string>> refused;
    std::vector<std::pair<ClassesStore, std::string>> attempts;
    std::map<Key, RegistryEntry> values;
};

TEST(WriteAssociation, WritesToTheClassesRootWhenItAccepts) {
    FakeClassesRegistry registry;
    const Plan plan = PlanAssociation("x.exe", "apk", "i.ico", "", "");
    WriteAssociation(plan, registry);
    ASSERT_EQ(registry.values.size(), plan.size());
    for (const RegistryEntry& entry : plan) {
        EXPECT_EQ(registry.values.count({ClassesStore::Root, entry.key, entry.valueName}), 1u) << entry.key;
    }
    for (const auto& attempt : registry.attempts) {
        EXPECT_EQ(attempt.first, ClassesStore::Root);
    }
}

TEST(WriteAssociation, RefusedEntriesGoToTheUsersOwnTypesInTheSameOrder) {
    FakeClassesRegistry registry;
    // A user without administrator rights: the new type keys are refused, .apk is accepted.
    registry.refused = {{ClassesStore::Root, "apk"},
                        {ClassesStore::Root, "apk\\Shell\\Open\\Command"},
                        {ClassesStore::Root, "apk\\DefaultIcon"}};
    const Plan plan = PlanAssociation("x.exe", "apk", "i.ico", "", "");
    WriteAssociation(plan, registry);

    using Attempt = std::pair<ClassesStore, std::string>;
    const std::vector<Attempt> expected = {
        {ClassesStore::Root, "apk"},
        {ClassesStore::User, "apk"},
        {ClassesStore::Root, "apk"},
        {ClassesStore::User, "apk"},
        {ClassesStore::Root, "apk\\Shell\\Open\\Command"},
        {ClassesStore::User, "apk\\Shell\\Open\\Command"},
        {ClassesStore::Root, "apk\\DefaultIcon"},
        {ClassesStore::User, "apk\\DefaultIcon"},
        {ClassesStore::Root, ".apk"},
    };
    EXPECT_EQ(registry.attempts, expected);
    EXPECT_EQ(registry.values.at({ClassesStore::User, "apk", "EditFlags"}), plan[1]);
    EXPECT_EQ(registry.values.at({ClassesStore::User, "apk\\Shell\\Open\\Command", ""}), plan[2]);
    EXPECT_EQ(registry.values.at({ClassesStore::Root, ".apk", ""}), plan[4]);
    EXPECT_EQ(registry.values.count({ClassesStore::User, ".apk", ""}), 0u);
}

TEST(WriteAssociation, GoesOnAfterAnEntryBothStoresRefuse) {
    FakeClassesRegistry registry;
    registry.refused = {{ClassesStore::Root, "apk\\DefaultIcon"}, {ClassesStore::User, "apk\\DefaultIcon"}};
    WriteAssociation(PlanAssociation("x.exe", "apk", "i.ico", "", ""), registry);
    EXPECT_EQ(registry.attempts.size(), 6u);
    EXPECT_EQ(registry.values.size(), 4u);
    EXPECT_EQ(registry.values.count({ClassesStore::Root, ".apk", ""}), 1u);
}

TEST(ProgramPath, IsTheRunDirectoryAndTheModulesFileName) {
    EXPECT_EQ(ProgramPath("C:\\Tools", "C:\\Tools\\inst.exe"), "C:\\Tools\\inst.exe");
    EXPECT_EQ(ProgramPath("D:\\My Tools", "D:\\My Tools\\new name.exe"), "D:\\My Tools\\new name.exe");
    // 乗 (81 5C) in the file name: its second byte is no folder separator.
    EXPECT_EQ(ProgramPath("C:\\工具", "C:\\工具\\乗.exe"), "C:\\工具\\乗.exe");
    EXPECT_EQ(ProgramPath("C:\\d", "inst.exe"), "C:\\d\\inst.exe");
}

}  // namespace
