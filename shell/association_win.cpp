#include "shell/association_win.h"

void RegisterApkAssociation() {}
void AssociateExtensions(const std::string&, const std::string&, const std::string&, const std::string&,
                         const std::string&) {}
