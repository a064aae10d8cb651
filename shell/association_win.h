// Binding .apk files to the program.
#pragma once

#include <string>

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
