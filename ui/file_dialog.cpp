#include "ui/file_dialog.h"

#include "base/ansi_text.h"

namespace ui {

std::string SystemFilterList(std::string_view filter) {
    if (filter.empty()) {
        return {};
    }
    std::string list;
    list.reserve(filter.size() + 2);
    // Whether the last two bytes written were separators (not trail bytes that happen to be '|').
    bool lastWasSeparator = false;
    bool lastTwoWereSeparators = false;
    ForEachCharacter(filter, LeadBytes::Gbk, [&](size_t at, size_t length) {
        if (length == 1 && filter[at] == '|') {
            list.push_back('\0');
            lastTwoWereSeparators = lastWasSeparator;
            lastWasSeparator = true;
        } else {
            list.append(filter.substr(at, length));
            lastWasSeparator = lastTwoWereSeparators = false;
        }
    });
    if (!lastTwoWereSeparators) {
        list.append(2, '\0');
    }
    return list;
}

}  // namespace ui
