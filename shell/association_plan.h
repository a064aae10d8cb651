// What binding file extensions to a program writes into the file-type registry, and in which order.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// One value to set, under a key named relative to the root of the file-type registry.
struct RegistryEntry {
    enum class Kind { Text, Number };

    std::string key;
    std::string valueName;  // empty: the key's default value
    Kind kind = Kind::Text;
    std::string text;     // REG_SZ data
    uint32_t number = 0;  // REG_DWORD data

    bool operator==(const RegistryEntry&) const = default;
};

// The extensions of a "|"-separated list, left to right. A "|" that is the second byte of a GBK
// character does not separate; an empty item after the last "|" is dropped, other empty items stay.
std::vector<std::string> SplitExtensionList(const std::string& extensionList);

// The writes that make each extension of the list open with the executable:
//   T  (default)              := description
//   T  EditFlags              := 2 (shown in the shell's file-type list)
//   T\Shell\Open\Command      := "<executable>" "%1"
//   T\DefaultIcon             := <icon>,0
//   .E (default)              := T, for every non-empty extension E in list order
// An empty icon means the executable; an empty type name T means the list text itself. With an
// empty executable or, after the defaults, an empty type name there is nothing to bind and no write.
std::vector<RegistryEntry> PlanAssociation(const std::string& executable,
                                           const std::string& extensionList,
                                           const std::string& icon,
                                           const std::string& description,
                                           const std::string& typeName);
