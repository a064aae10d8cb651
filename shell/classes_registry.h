// Writing file-type entries where the shell will read them.
#pragma once

#include <vector>

#include "shell/association_plan.h"

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
