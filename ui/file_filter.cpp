#include "ui/file_filter.h"

namespace ui {
namespace {

bool IsLeadByte(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte >= 0x81 && byte <= 0xFE;
}

}  // namespace

std::string SystemFilterList(std::string_view filter) {
    if (filter.empty()) {
        return {};
    }
    std::string list;
    list.reserve(filter.size() + 2);
    // Whether the last two bytes written were separators (not trail bytes that happen to be '|').
    bool lastWasSeparator = false;
    bool lastTwoWereSeparators = false;
    for (size_t i = 0; i < filter.size(); ++i) {
        if (IsLeadByte(filter[i]) && i + 1 < filter.size()) {
            list.append(filter.substr(i, 2));
            ++i;
            lastWasSeparator = lastTwoWereSeparators = false;
        } else if (filter[i] == '|') {
            list.push_back('\0');
            lastTwoWereSeparators = lastWasSeparator;
            lastWasSeparator = true;
        } else {
            list.push_back(filter[i]);
            lastWasSeparator = lastTwoWereSeparators = false;
        }
    }
    if (!lastTwoWereSeparators) {
        list.append(2, '\0');
    }
    return list;
}

}  // namespace ui
