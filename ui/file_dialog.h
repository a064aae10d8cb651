// The pure half of the file dialogs: the filter, pipe-separated pairs "display|pattern|display|pattern".
#pragma once

#include <string>
#include <string_view>

namespace ui {

// The system's filter list: "||" is appended unless the filter is empty or already ends in it, then
// every "|" becomes a NUL. A "|" that is the trail byte of a GBK character is kept. Empty in, empty out.
std::string SystemFilterList(std::string_view filter);

}  // namespace ui
