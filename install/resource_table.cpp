#include "install/resource_table.h"

#include <algorithm>

namespace {

constexpr uint16_t kStringPoolType = 0x0001;
constexpr uint16_t kTableType = 0x0002;
constexpr uint16_t kPackageType = 0x0200;
constexpr uint16_t kTypeType = 0x0201;
constexpr size_t kTypeHeaderMin = 24;  // up to the configuration's own size field
constexpr size_t kConfigAt = 20;
constexpr size_t kConfigReadMax = 64;
constexpr uint8_t kSparse = 0x01;
constexpr uint8_t kOffset16 = 0x02;
constexpr uint16_t kEntryComplex = 0x0001;
constexpr uint16_t kEntryCompact = 0x0008;

struct Candidate {
    ResValue value;
    bool isDefault = false;
    size_t qualifiers = 0;
};

// Where entry `entry` of the type chunk at [start, start + size) begins, relative to its entries.
std::optional<size_t> EntryOffset(std::string_view bytes,
                                  size_t start,
                                  const ChunkHeader& chunk,
                                  uint8_t flags,
                                  uint32_t entryCount,
                                  uint32_t entry) {
    const size_t offsets = start + chunk.headerSize;
    const uint64_t room = chunk.size - chunk.headerSize;
    if (flags & kSparse) {
        if (4ull * entryCount > room) {
            return std::nullopt;
        }
        for (uint32_t i = 0; i < entryCount; ++i) {
            if (*ReadU16(bytes, offsets + 4 * i) == entry) {
                return static_cast<size_t>(*ReadU16(bytes, offsets + 4 * i + 2)) * 4;
            }
        }
        return std::nullopt;
    }
    if (entry >= entryCount) {
        return std::nullopt;
    }
    if (flags & kOffset16) {
        if (2ull * entryCount > room) {
            return std::nullopt;
        }
        const uint16_t offset = *ReadU16(bytes, offsets + 2 * entry);
        return offset == 0xFFFF ? std::nullopt : std::optional<size_t>(static_cast<size_t>(offset) * 4);
    }
    if (4ull * entryCount > room) {
        return std::nullopt;
    }
    const uint32_t offset = *ReadU32(bytes, offsets + 4 * entry);
    return offset == 0xFFFFFFFF ? std::nullopt : std::optional<size_t>(offset);
}

// The simple value of the entry at `at`, inside a chunk that ends at `end`.
std::optional<ResValue> EntryValue(std::string_view bytes, size_t at, size_t end) {
    if (at > end || end - at < 8) {
        return std::nullopt;
    }
    const uint16_t size = *ReadU16(bytes, at);
    const uint16_t flags = *ReadU16(bytes, at + 2);
    if (flags & kEntryCompact) {
        return ResValue{static_cast<uint8_t>(flags >> 8), *ReadU32(bytes, at + 4)};
    }
    if ((flags & kEntryComplex) || size < 8 || end - at < static_cast<size_t>(size) + 8) {
        return std::nullopt;
    }
    return ResValue{static_cast<uint8_t>(bytes[at + size + 3]), *ReadU32(bytes, at + size + 4)};
}

}  // namespace

std::optional<ResourceTable> ResourceTable::Parse(std::string table) {
    if (table.size() > kMaxResourceTableBytes) {
        return std::nullopt;
    }
    const std::optional<ChunkHeader> header = ReadChunkHeader(table, 0, table.size(), 12);
    if (!header || header->type != kTableType) {
        return std::nullopt;
    }
    ResourceTable result;
    bool havePool = false;
    const size_t end = header->size;
    for (size_t at = header->headerSize; at < end;) {
        const std::optional<ChunkHeader> chunk = ReadChunkHeader(table, at, end, 8);
        if (!chunk) {
            return std::nullopt;
        }
        if (chunk->type == kStringPoolType && !havePool) {
            std::optional<StringPool> pool = StringPool::Parse(std::string_view(table).substr(at, chunk->size));
            if (!pool) {
                return std::nullopt;
            }
            result.values_ = std::move(*pool);
            havePool = true;
        } else if (chunk->type == kPackageType && chunk->headerSize >= 12) {
            result.packages_.push_back(Package{*ReadU32(table, at + 8), at, chunk->size, at + chunk->headerSize});
        }
        at += chunk->size;
    }
    if (!havePool) {
        return std::nullopt;
    }
    table.resize(end);
    result.bytes_ = std::move(table);
    return result;
}

std::optional<ResValue> ResourceTable::Lookup(uint32_t id) const {
    const uint32_t packageId = id >> 24;
    const uint32_t typeId = (id >> 16) & 0xFF;
    const uint32_t entry = id & 0xFFFF;
    const auto package =
        std::find_if(packages_.begin(), packages_.end(), [&](const Package& p) { return p.id == packageId; });
    if (typeId == 0 || package == packages_.end()) {
        return std::nullopt;
    }
    const std::string_view bytes = bytes_;
    const size_t packageEnd = package->start + package->size;
    std::optional<Candidate> best;
    for (size_t at = package->childrenStart; at < packageEnd;) {
        const std::optional<ChunkHeader> chunk = ReadChunkHeader(bytes, at, packageEnd, 8);
        if (!chunk) {
            break;
        }
        if (chunk->type == kTypeType && chunk->headerSize >= kTypeHeaderMin &&
            static_cast<uint8_t>(bytes[at + 8]) == typeId) {
            const uint8_t flags = static_cast<uint8_t>(bytes[at + 9]);
            const uint32_t entryCount = *ReadU32(bytes, at + 12);
            const uint32_t entriesStart = *ReadU32(bytes, at + 16);
            const std::optional<size_t> offset = EntryOffset(bytes, at, *chunk, flags, entryCount, entry);
            std::optional<ResValue> value;
            if (offset && entriesStart <= chunk->size) {
                value = EntryValue(bytes, at + entriesStart + std::min<size_t>(*offset, chunk->size), at + chunk->size);
            }
            if (value) {
                // The configuration, as far as it was written and fits its header; the rest reads as zero.
                const uint32_t configSize = *ReadU32(bytes, at + kConfigAt);
                const size_t configBytes =
                    std::min<size_t>({configSize, kConfigReadMax, chunk->headerSize - kConfigAt});
                uint8_t config[kConfigReadMax] = {};
                for (size_t i = 4; i < configBytes; ++i) {
                    config[i] = static_cast<uint8_t>(bytes[at + kConfigAt + i]);
                }
                Candidate candidate{*value, config[8] == 0 && config[9] == 0 && config[10] == 0 && config[11] == 0,
                                    static_cast<size_t>(std::count_if(config + 4, config + kConfigReadMax,
                                                                      [](uint8_t b) { return b != 0; }))};
                if (!best || (candidate.isDefault && (!best->isDefault || candidate.qualifiers < best->qualifiers))) {
                    best = candidate;
                }
            }
        }
        at += chunk->size;
    }
    if (!best) {
        return std::nullopt;
    }
    return best->value;
}

std::optional<std::string> ResourceTable::ResolveString(uint32_t id, size_t maxBytes) const {
    for (int depth = 0; depth <= kMaxReferenceDepth; ++depth) {
        const std::optional<ResValue> value = Lookup(id);
        if (!value) {
            return std::nullopt;
        }
        if (value->dataType == res_type::kString) {
            return values_.At(value->data, maxBytes);
        }
        if (value->dataType != res_type::kReference && value->dataType != res_type::kDynamicReference) {
            return std::nullopt;
        }
        id = value->data;
    }
    return std::nullopt;
}
