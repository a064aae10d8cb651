// The Win32 half of binding file extensions to the program: the registry writes and the routine.
#pragma once

#include <windows.h>

#include <string>

#include "shell/association.h"

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

// Click on 按钮7: binds .apk to this program (type "apk", icon ApkIconPath), silently.
void RegisterApkAssociation();

// Binds every extension of the "|"-separated list to the executable under the type name (the list
// text when left out), with the icon (the executable when left out) and the description; an entry
// HKEY_CLASSES_ROOT refuses goes to the user's own file types. Then tells the shell that file
// associations changed. Nothing is reported.
void AssociateExtensions(const std::string& executable,
                         const std::string& extensionList,
                         const std::string& icon = {},
                         const std::string& description = {},
                         const std::string& typeName = {});
