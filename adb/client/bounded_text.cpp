#include "adb/client/bounded_text.h"

#include <algorithm>

namespace adb {

void BoundedText::Append(std::string_view bytes) {
    size_t room = kMaxKeptOutput - std::min(text.size(), kMaxKeptOutput);
    size_t kept = std::min(room, bytes.size());
    text.append(bytes.substr(0, kept));
    dropped += bytes.size() - kept;
}

std::string BoundedText::Shown() const {
    if (dropped == 0) {
        return text;
    }
    return text + "... [" + std::to_string(dropped) + " more bytes not shown]";
}

}  // namespace adb
