#include "install/binary_xml.h"

#include <gtest/gtest.h>

#include "install/package_identity.h"
#include "install/resource_table.h"
#include "install/zip_entries_minizip.h"

namespace {

std::string Entry(const char* package, const char* name) {
    auto archive = OpenZipFile(std::string(IDENTITY_PACKAGES "/") + package);
    return archive ? archive->Read(name, kMaxResourceTableBytes).value_or("") : "";
}

void PutU32(std::string& bytes, size_t at, uint32_t value) {
    for (int i = 0; i < 4; ++i) {
        bytes[at + i] = static_cast<char>(value >> (8 * i));
    }
}

// A string pool chunk of the given strings, written as UTF-8 or UTF-16 with one-unit lengths.
std::string Pool(const std::vector<std::string>& strings, bool utf8) {
    std::string data;
    std::vector<uint32_t> offsets;
    for (const std::string& s : strings) {
        offsets.push_back(static_cast<uint32_t>(data.size()));
        if (utf8) {
            data += static_cast<char>(s.size());
            data += static_cast<char>(s.size());
            data += s;
            data += '\0';
        } else {
            data += static_cast<char>(s.size());
            data += '\0';
            for (char c : s) {
                data += c;
                data += '\0';
            }
            data += std::string(2, '\0');
        }
    }
    while (data.size() % 4) {
        data += '\0';
    }
    std::string pool(28 + 4 * offsets.size(), '\0');
    pool[0] = 1;
    pool[2] = 28;
    PutU32(pool, 4, static_cast<uint32_t>(pool.size() + data.size()));
    PutU32(pool, 8, static_cast<uint32_t>(offsets.size()));
    PutU32(pool, 16, utf8 ? 0x100 : 0);
    PutU32(pool, 20, static_cast<uint32_t>(pool.size()));
    for (size_t i = 0; i < offsets.size(); ++i) {
        PutU32(pool, 28 + 4 * i, offsets[i]);
    }
    return pool + data;
}

TEST(StringPool, DecodesBothEncodingsAndRefusesWhatLiesOutside) {
    for (bool utf8 : {true, false}) {
        SCOPED_TRACE(utf8);
        const auto pool = StringPool::Parse(Pool({"manifest", "", "package"}, utf8));
        ASSERT_TRUE(pool);
        EXPECT_EQ(pool->At(0, kMaxNameBytes), "manifest");
        EXPECT_EQ(pool->At(1, kMaxNameBytes), "");
        EXPECT_EQ(pool->At(2, kMaxNameBytes), "package");
        EXPECT_FALSE(pool->At(3, kMaxNameBytes));
        EXPECT_FALSE(pool->At(kNoIndex, kMaxNameBytes));
        EXPECT_FALSE(pool->At(0, 7));  // longer than the caller takes
    }
}

TEST(StringPool, RefusesHugeCountsOffsetsPastTheEndAndMissingTerminators) {
    std::string huge = Pool({"a"}, true);
    PutU32(huge, 8, 0x40000000);
    EXPECT_FALSE(StringPool::Parse(huge));

    std::string past = Pool({"a", "b"}, false);
    PutU32(past, 28 + 4, 0x7FFFFFF0);
    const auto pool = StringPool::Parse(past);
    ASSERT_TRUE(pool);
    EXPECT_FALSE(pool->At(1, kMaxNameBytes));

    std::string unterminated = Pool({"abc"}, true);
    unterminated[28 + 4 + 2 + 3] = 'x';
    EXPECT_FALSE(StringPool::Parse(unterminated)->At(0, kMaxNameBytes));

    std::string longer = Pool({"abc"}, true);
    longer[28 + 4 + 1] = 100;  // a byte length past the pool
    EXPECT_FALSE(StringPool::Parse(longer)->At(0, kMaxNameBytes));
}

TEST(StringPool, ManyIndicesIntoOneLongStringStayCheap) {
    // 200000 entries that all point at one string that claims 2^31 units and holds 1 MB: each look-up
    // stops at its cap instead of walking the string.
    const uint32_t count = 200000;
    const std::string data = std::string("\xFF\xFF\xFF\xFF", 4) + std::string(1 << 20, 'x') + std::string(4, '\0');
    std::string chunk(28 + 4 * count, '\0');
    chunk[0] = 1;
    chunk[2] = 28;
    PutU32(chunk, 4, static_cast<uint32_t>(chunk.size() + data.size()));
    PutU32(chunk, 8, count);
    PutU32(chunk, 20, static_cast<uint32_t>(chunk.size()));
    const auto parsed = StringPool::Parse(chunk + data);
    ASSERT_TRUE(parsed);
    for (uint32_t i = 0; i < count; ++i) {
        ASSERT_FALSE(parsed->At(i, kMaxValueBytes));
    }
}

TEST(BinaryXml, EveryTruncationOfARealManifestIsUnknown) {
    const std::string manifest = Entry("literal.apk", "AndroidManifest.xml");
    ASSERT_TRUE(IdentityFromManifest(manifest, ""));
    for (size_t size = 0; size < manifest.size(); ++size) {
        ASSERT_FALSE(IdentityFromManifest(manifest.substr(0, size), "")) << size;
    }
}

TEST(BinaryXml, LengthsPastTheEndAndZeroSizedNodesAreRefused) {
    const std::string manifest = Entry("literal.apk", "AndroidManifest.xml");
    std::string document = manifest;
    PutU32(document, 4, 0xFFFFFFFF);  // the document's own size
    EXPECT_FALSE(BinaryXml::Parse(document));
    document = manifest;
    PutU32(document, 8 + 4, 0x7FFFFFFF);  // the string pool's size
    EXPECT_FALSE(BinaryXml::Parse(document));

    // Each node's size in turn set to zero or past the end: no hang, no crash, no identity.
    const auto xml = BinaryXml::Parse(manifest);
    ASSERT_TRUE(xml);
    for (size_t at = 8; at + 8 <= manifest.size(); at += 4) {
        if (manifest.compare(at, 2, "\x02\x01", 2) != 0 || manifest[at + 2] != 16) {
            continue;  // not a start element
        }
        for (uint32_t size : {0u, 0xFFFFFFF0u}) {
            document = manifest;
            PutU32(document, at + 4, size);
            const auto damaged = IdentityFromManifest(document, "");
            if (damaged) {
                EXPECT_EQ(damaged->packageName, "net.mossgate.test.literal");  // the damage came after it
            }
        }
    }
}

TEST(BinaryXml, StringIndexOutOfRangeLeavesThePackageUnknown) {
    std::string manifest = Entry("literal.apk", "AndroidManifest.xml");
    const auto pool = StringPool::Parse(std::string_view(manifest).substr(8));
    ASSERT_TRUE(pool);
    // Every reference to the string "net.mossgate.test.literal" now points past the pool.
    uint32_t index = 0;
    while (index < pool->Count() && pool->At(index, kMaxValueBytes) != "net.mossgate.test.literal") {
        ++index;
    }
    ASSERT_LT(index, pool->Count());
    std::string needle(4, '\0');
    PutU32(needle, 0, index);
    for (size_t at = manifest.find(needle, 8 + 28); at != std::string::npos; at = manifest.find(needle, at + 4)) {
        PutU32(manifest, at, 0x00FFFFFF);
    }
    EXPECT_FALSE(IdentityFromManifest(manifest, ""));
}

TEST(ResourceTable, TruncatedOrCyclicTablesGiveNoLabel) {
    const std::string manifest = Entry("resource.apk", "AndroidManifest.xml");
    const std::string table = Entry("resource.apk", "resources.arsc");
    ASSERT_FALSE(table.empty());
    for (size_t size = 0; size < table.size(); size += 7) {
        const auto identity = IdentityFromManifest(manifest, table.substr(0, size));
        ASSERT_TRUE(identity);
        EXPECT_EQ(identity->label, "");
    }
    // Every string value turned into a reference to the label itself.
    const uint32_t labelId = 0x7f020000;
    ASSERT_TRUE(ResourceTable::Parse(table)->ResolveString(labelId) ||
                ResourceTable::Parse(table)->ResolveString(labelId + 1));
    std::string cyclic = table;
    for (size_t at = cyclic.find(std::string("\x08\x00\x00\x03", 4)); at != std::string::npos;
         at = cyclic.find(std::string("\x08\x00\x00\x03", 4), at + 8)) {
        cyclic[at + 3] = 0x01;
        PutU32(cyclic, at + 4, labelId);
    }
    const auto table2 = ResourceTable::Parse(cyclic);
    ASSERT_TRUE(table2);
    EXPECT_FALSE(table2->ResolveString(labelId));
    EXPECT_FALSE(table2->ResolveString(labelId + 1));
    EXPECT_FALSE(ResourceTable::Parse(std::string(kMaxResourceTableBytes + 1, '\0')));
}

}  // namespace
