// The program's one message box.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

// MessageBoxA with the owner (or none), the text, the caption ("信息：" when left out) and the style,
// task-modal unless system-modal is asked for. Returns the button pressed: OK 0, Cancel 1, Abort 2,
// Retry 3, Ignore 4, Yes 5, No 6.
int ShowMessage(const std::string& text, UINT style = 0, const std::optional<std::string>& caption = std::nullopt,
                HWND owner = nullptr);
