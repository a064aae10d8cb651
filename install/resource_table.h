// A package's resource table (resources.arsc), read far enough to turn a string resource id into its
// text: the default configuration's value, else the first configuration that has one.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "install/binary_xml.h"

// A table larger than this is refused whole (the platform's own table is about 32 MB).
inline constexpr size_t kMaxResourceTableBytes = 64 * 1024 * 1024;
// References to references are followed this deep.
inline constexpr int kMaxReferenceDepth = 8;

class ResourceTable {
  public:
    // None for anything that is not a whole table with a value string pool, or too large.
    static std::optional<ResourceTable> Parse(std::string table);

    // The text of string resource 0xPPTTEEEE, following references; none when the id names no string.
    std::optional<std::string> ResolveString(uint32_t id, size_t maxBytes = kMaxValueBytes) const;

  private:
    struct Package {
        uint32_t id = 0;
        size_t start = 0;
        size_t size = 0;
        size_t childrenStart = 0;
    };
    // The value entry `id` names, from the best configuration.
    std::optional<ResValue> Lookup(uint32_t id) const;

    std::string bytes_;
    StringPool values_;
    std::vector<Package> packages_;
};
