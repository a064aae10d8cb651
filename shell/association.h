// The pure half of binding file extensions to a program: what is written into the file-type
// registry, in which order, and where.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

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

// The machine-wide file types (HKEY_CLASSES_ROOT), or the user's own (HKEY_CURRENT_USER\Software\Classes),
// which HKEY_CLASSES_ROOT shows for that user on top of the machine-wide ones.
enum class ClassesStore { Root, User };

class ClassesRegistry {
  public:
    virtual ~ClassesRegistry() = default;
    // Sets one entry; false when the store refuses it (the key can be neither opened nor created,
    // or the value cannot be set).
    virtual bool Write(ClassesStore store, const RegistryEntry& entry) = 0;
};

// Writes every entry in order, each first to the classes root. A user without administrator rights
// may not create keys there (Windows would put them into the machine-wide types), so an entry the
// root refuses is written to the user's own types instead. Nothing is reported either way.
void WriteAssociation(const std::vector<RegistryEntry>& plan, ClassesRegistry& registry);

// The program's own full path as the open command names it: the run directory, a backslash and the
// file name of the module path (after its last backslash; a backslash that is the second byte of a
// GBK character does not count).
std::string ProgramPath(const std::string& runDirectory, const std::string& modulePath);
