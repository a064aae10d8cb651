// The description names of the main window's controls (编辑框4, 按钮7, IP编辑框1, 选择夹1, ...) and
// their identifiers, taken from the program's own X-list, in UTF-8.
#pragma once

#include <optional>
#include <string>
#include <vector>

struct ControlName {
    std::string name;  // UTF-8
    int id;
};

const std::vector<ControlName>& ControlNames();
std::optional<int> ControlIdFromName(const std::string& utf8Name);
// The name of an identifier, or "" when no control of the description has it.
std::string ControlNameFromId(int id);
