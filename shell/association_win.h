// Binding .apk files to the program.
#pragma once

#include <string>

void RegisterApkAssociation();
void AssociateExtensions(const std::string& executable, const std::string& extensionList,
                         const std::string& icon = {}, const std::string& description = {},
                         const std::string& typeName = {});
