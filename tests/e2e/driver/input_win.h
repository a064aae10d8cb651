// Mouse and keyboard the way a person uses them: real input (SendInput, routed by Wine like a
// hardware event to the window under the cursor or with the focus), or messages posted to the
// control's queue so that they pass the program's own message loop. After posted or real input the
// driver waits (bounded) until the program's thread has taken it all (see barrier_win.h).
#pragma once

#include <windows.h>

#include <string>

#include "tests/e2e/driver/json_value.h"
#include "tests/e2e/driver/session_win.h"

enum class InputMode {
    Auto,    // real input when the control is visible on the screen, else posted messages
    Input,   // SendInput
    Post,    // PostMessage to the control
    Send,    // SendMessage (keyboard only: synchronous, skips the program's message loop)
    Button,  // BM_CLICK posted to a button
};

InputMode ParseInputMode(const std::string& text, InputMode fallback);
const char* InputModeName(InputMode mode);

enum class MouseAction { Press, Release, Click, DoubleClick };

// x and y are in the control's client area; INT_MIN means its centre.
JsonValue MouseOnControl(Session& session,
                         HWND control,
                         int x,
                         int y,
                         MouseAction action,
                         InputMode mode,
                         bool rightButton,
                         DWORD settleMs);

// Gives a control the keyboard focus (through the program's input queue), bounded.
bool FocusControl(Session& session, HWND control);

// Characters typed one by one into whatever has the focus after each character.
JsonValue TypeText(Session& session, const std::wstring& text, InputMode mode, DWORD settleMs);

// One key with modifiers, such as "enter", "tab", "shift+tab", "ctrl+a", "alt+f4", "f5", "a".
JsonValue PressKey(Session& session, const std::string& combination, InputMode mode, DWORD settleMs);

// Waits (bounded) until the program has handled the posted messages or the real input sent so far;
// false when it did not in time. 0 ms does not wait.
using Behind = InputBarrier::Behind;
bool Settle(Session& session, Behind behind, DWORD timeoutMs);
