#include "ui/file_drop_win.h"

#include <shellapi.h>

#include <algorithm>

namespace {

// The longest path Windows has a form for.
constexpr UINT kMaxPathCharacters = 32767;

}  // namespace

std::vector<std::wstring> TakeDroppedFiles(HDROP drop) {
    std::vector<std::wstring> files;
    const UINT count = std::min(DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0), kMaxDroppedFiles);
    for (UINT i = 0; i < count; ++i) {
        const UINT length = DragQueryFileW(drop, i, nullptr, 0);
        if (length == 0 || length > kMaxPathCharacters) {
            continue;
        }
        std::wstring path(length + 1, L'\0');
        path.resize(DragQueryFileW(drop, i, path.data(), length + 1));
        files.push_back(std::move(path));
    }
    DragFinish(drop);
    return files;
}
