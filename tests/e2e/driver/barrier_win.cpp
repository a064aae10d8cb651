#include "tests/e2e/driver/barrier_win.h"

#include <cstdio>

#include "tests/e2e/driver/barrier.h"

namespace {

std::wstring HookLibraryPath() {
    wchar_t path[MAX_PATH * 4] = {};
    DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH * 4);
    std::wstring own(path, length);
    size_t slash = own.find_last_of(L"\\/");
    return (slash == std::wstring::npos ? std::wstring(L".") : own.substr(0, slash)) + L"\\uidriver_hook.dll";
}

}  // namespace

bool InputBarrier::Install(HANDLE process, DWORD pid, DWORD thread, std::string& error) {
    Remove();
    process_ = process;
    wchar_t name[64];
    swprintf(name, 64, L"%ls%lu", kBarrierEventPrefix, static_cast<unsigned long>(pid));
    event_ = OwnedKernelHandle(CreateEventW(nullptr, TRUE, FALSE, name));
    if (!event_) {
        error = "CreateEvent failed (error " + std::to_string(GetLastError()) + ")";
        return false;
    }
    library_ = LoadLibraryW(HookLibraryPath().c_str());
    FARPROC procedure = library_ ? GetProcAddress(library_, "BarrierHook") : nullptr;
    FARPROC mouseProcedure = library_ ? GetProcAddress(library_, "BarrierMouseHook") : nullptr;
    if (procedure == nullptr || mouseProcedure == nullptr) {
        error = "uidriver_hook.dll not found next to uidriver.exe";
        Remove();
        return false;
    }
    hook_ = SetWindowsHookExW(WH_GETMESSAGE, reinterpret_cast<HOOKPROC>(reinterpret_cast<void*>(procedure)), library_,
                              thread);
    mouseHook_ = SetWindowsHookExW(WH_MOUSE, reinterpret_cast<HOOKPROC>(reinterpret_cast<void*>(mouseProcedure)),
                                   library_, thread);
    if (hook_ == nullptr || mouseHook_ == nullptr) {
        error = "SetWindowsHookEx failed (error " + std::to_string(GetLastError()) + ")";
        Remove();
        return false;
    }
    thread_ = thread;
    return true;
}

void InputBarrier::Remove() {
    if (hook_)
        (void)UnhookWindowsHookEx(hook_);
    if (mouseHook_)
        (void)UnhookWindowsHookEx(mouseHook_);
    hook_ = nullptr;
    mouseHook_ = nullptr;
    if (library_)
        (void)FreeLibrary(library_);
    library_ = nullptr;
    event_.reset();
    thread_ = 0;
    process_ = nullptr;
}

bool InputBarrier::Pass(Behind behind, DWORD timeoutMs) {
    if (!hook_)
        return false;
    (void)ResetEvent(event_.get());
    if (behind == Behind::Keyboard) {
        INPUT input = {};
        input.type = INPUT_KEYBOARD;
        input.ki.wVk = kBarrierKey;
        input.ki.dwFlags = KEYEVENTF_KEYUP;
        input.ki.dwExtraInfo = kBarrierExtraInfo;
        if (SendInput(1, &input, sizeof(input)) != 1)
            return false;
    } else if (behind == Behind::Mouse) {
        // A release of the second extra button: goes where the clicks went, and Wine neither drops nor
        // merges it (as it does with moves). The hook swallows it.
        INPUT input = {};
        input.type = INPUT_MOUSE;
        input.mi.dwFlags = MOUSEEVENTF_XUP;
        input.mi.mouseData = XBUTTON2;
        input.mi.dwExtraInfo = kBarrierExtraInfo;
        if (SendInput(1, &input, sizeof(input)) != 1)
            return false;
    } else {
        static const UINT barrier = RegisterWindowMessageW(kBarrierMessageName);
        if (!PostThreadMessageW(thread_, barrier, 0, 0))
            return false;
    }
    HANDLE handles[2] = {event_.get(), process_};
    return WaitForMultipleObjects(process_ ? 2 : 1, handles, FALSE, timeoutMs) == WAIT_OBJECT_0;
}
