#include "install/wsa_wakeup_win.h"

#include <windows.h>

#include <shellapi.h>

#include "base/owned_handle_win.h"

bool WsaSchemeRegistered() {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CLASSES_ROOT, "wsa\\shell\\open\\command", 0, KEY_READ, &key) != ERROR_SUCCESS) {
        return false;
    }
    const OwnedKey owned(key);
    return true;
}

bool OpenWsa() {
    // ShellExecute reports success with a value above 32.
    const auto result =
        reinterpret_cast<INT_PTR>(ShellExecuteA(nullptr, "open", "wsa://system", nullptr, nullptr, SW_SHOWNORMAL));
    return result > 32;
}
