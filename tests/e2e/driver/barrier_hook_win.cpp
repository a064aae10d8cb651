// uidriver_hook.dll: loaded by Wine into the program's process through a WH_GETMESSAGE hook that
// uidriver.exe sets on the program's window thread. When that thread takes the driver's barrier
// message (a posted thread message, or real input sent with the barrier's extra information: a key-up
// of VK_F24 or of the second extra mouse button), every message queued before it has been taken and handled,
// and the hook sets the
// driver's event: the driver then knows that its posted or real input has been processed. The
// barrier itself is turned into WM_NULL, so the program never sees it.
#include <windows.h>

#include <cstdio>

#include "tests/e2e/driver/barrier.h"

namespace {

void SignalDriver() {
    wchar_t name[64];
    swprintf(name, 64, L"%ls%lu", kBarrierEventPrefix, static_cast<unsigned long>(GetCurrentProcessId()));
    HANDLE event = OpenEventW(EVENT_MODIFY_STATE, FALSE, name);
    if (event) {
        (void)SetEvent(event);
        (void)CloseHandle(event);
    }
}

}  // namespace

// Mouse input to a window that is disabled (under a message box) is dropped after the mouse hook has
// seen it and before WH_GETMESSAGE would: the mouse barrier is caught here, and swallowed.
extern "C" __declspec(dllexport) LRESULT CALLBACK BarrierMouseHook(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HC_ACTION && (wParam == WM_XBUTTONUP || wParam == WM_NCXBUTTONUP) &&
        reinterpret_cast<const MOUSEHOOKSTRUCT*>(lParam)->dwExtraInfo == kBarrierExtraInfo) {
        SignalDriver();
        return 1;
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

extern "C" __declspec(dllexport) LRESULT CALLBACK BarrierHook(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HC_ACTION && wParam == PM_REMOVE) {
        MSG* message = reinterpret_cast<MSG*>(lParam);
        static const UINT barrier = RegisterWindowMessageW(kBarrierMessageName);
        const bool posted = message->message == barrier && message->hwnd == nullptr;
        const bool marked = static_cast<ULONG_PTR>(GetMessageExtraInfo()) == kBarrierExtraInfo;
        const bool typed = marked && message->message == WM_KEYUP && message->wParam == kBarrierKey;
        const bool clicked = marked && (message->message == WM_XBUTTONUP || message->message == WM_NCXBUTTONUP);
        if (posted || typed || clicked) {
            message->message = WM_NULL;
            SignalDriver();
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}
