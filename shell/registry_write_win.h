// Setting one registry value, creating its key when needed.
#pragma once

#include <windows.h>

#include <string>

#include "shell/association_plan.h"
#include "shell/classes_registry.h"

// Opens root\keyPath for writing, or creates it with every missing key along the path, sets the
// entry's value (a text with its terminating NUL counted, a number as 4 bytes) and closes the key.
// False when the key can be neither opened nor created, or the value cannot be set.
bool WriteRegistryValue(HKEY root, const std::string& keyPath, const RegistryEntry& entry);

// A place for file-type keys: a root key and the path below it, empty or ending in a backslash.
struct ClassesLocation {
    HKEY root;
    std::string prefix;
};

// The registry itself; by default HKEY_CLASSES_ROOT and HKEY_CURRENT_USER\Software\Classes.
class SystemClassesRegistry final : public ClassesRegistry {
  public:
    SystemClassesRegistry(ClassesLocation root = {HKEY_CLASSES_ROOT, ""},
                          ClassesLocation user = {HKEY_CURRENT_USER, "Software\\Classes\\"});
    bool Write(ClassesStore store, const RegistryEntry& entry) override;

  private:
    ClassesLocation root_;
    ClassesLocation user_;
};
