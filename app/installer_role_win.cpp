#include "app/installer_role_win.h"

#include <cstdint>
#include <cstring>

#include "app/handoff.h"
#include "app/workspace_win.h"
#include "base/owned_handle_win.h"
#include "install/install_queue_win.h"
#include "ui/main_window_win.h"
#include "ui/message_box_win.h"

namespace {

// Named in the session's own namespace: every instance of this user's session sees the same objects.
constexpr wchar_t kRoleName[] = L"Local\\MOSSGATE.Installer";
constexpr wchar_t kWindowName[] = L"Local\\MOSSGATE.InstallerWindow";
constexpr wchar_t kWindowClass[] = L"MossgateMain";
constexpr DWORD kAnswerTimeoutMs = 5000;
constexpr DWORD kRetryMs = 50;
// A window waits less for an answer than a starting instance: the user is looking at it.
constexpr DWORD kWindowHandoffTimeoutMs = 10000;

OwnedKernelHandle role;
bool holdsRole = false;
bool takingHandoffs = true;
OwnedKernelHandle windowMapping;

// The shared place that holds the installing window's handle; 0 while there is none.
bool AccessPublishedWindow(HWND* window, bool write) {
    if (!windowMapping) {
        windowMapping.reset(
            CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, sizeof(uint64_t), kWindowName));
    }
    if (!windowMapping) {
        return false;
    }
    void* view = MapViewOfFile(windowMapping.get(), write ? FILE_MAP_WRITE : FILE_MAP_READ, 0, 0, sizeof(uint64_t));
    if (view == nullptr) {
        return false;
    }
    uint64_t value = reinterpret_cast<uintptr_t>(*window);
    if (write) {
        std::memcpy(view, &value, sizeof value);
    } else {
        std::memcpy(&value, view, sizeof value);
        *window = reinterpret_cast<HWND>(static_cast<uintptr_t>(value));
    }
    (void)UnmapViewOfFile(view);
    return true;
}

// A handle left behind by an instance that crashed may name another window by now.
bool IsInstallerWindow(HWND window) {
    wchar_t name[64] = {};
    return window != nullptr && IsWindow(window) && GetClassNameW(window, name, 64) > 0 &&
           std::wcscmp(name, kWindowClass) == 0;
}

}  // namespace

bool TakeInstallerRole() {
    if (holdsRole) {
        return true;
    }
    if (!role) {
        role.reset(CreateMutexW(nullptr, FALSE, kRoleName));
    }
    if (!role) {
        // Without the named object nobody can be asked: this instance installs, as if alone.
        return holdsRole = true;
    }
    // Abandoned: the instance that held it ended without giving it up, and it is ours now.
    const DWORD wait = WaitForSingleObject(role.get(), 0);
    holdsRole = wait == WAIT_OBJECT_0 || wait == WAIT_ABANDONED;
    return holdsRole;
}

bool HoldsInstallerRole() {
    return holdsRole;
}

void PublishInstallerWindow(HWND window) {
    if (holdsRole) {
        (void)AccessPublishedWindow(&window, true);
    }
}

void StopTakingHandoffs() {
    takingHandoffs = false;
}

void GiveUpInstallerRole() {
    if (!holdsRole) {
        return;
    }
    HWND none = nullptr;
    (void)AccessPublishedWindow(&none, true);
    holdsRole = false;
    if (role) {
        (void)ReleaseMutex(role.get());
    }
}

HandoffOutcome HandOverPackages(const std::vector<std::wstring>& paths, DWORD timeoutMs) {
    std::vector<std::u16string> units;
    for (const std::wstring& path : paths) {
        units.emplace_back(path.begin(), path.end());
    }
    std::string data = EncodeHandoff(units);
    COPYDATASTRUCT copy = {kHandoffKind, static_cast<DWORD>(data.size()), data.data()};
    const DWORD start = GetTickCount();
    for (;;) {
        if (TakeInstallerRole()) {
            return HandoffOutcome::kBecameInstaller;
        }
        HWND installer = nullptr;
        if (AccessPublishedWindow(&installer, false) && IsInstallerWindow(installer)) {
            DWORD_PTR taken = FALSE;
            if (SendMessageTimeoutW(installer, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&copy), SMTO_ABORTIFHUNG,
                                    kAnswerTimeoutMs, &taken) != 0 &&
                taken == TRUE) {
                return HandoffOutcome::kHandedOver;
            }
        }
        if (GetTickCount() - start >= timeoutMs) {
            return HandoffOutcome::kFailed;
        }
        Sleep(kRetryMs);
    }
}

bool TakeHandedOverPackages(uintptr_t kind, const void* data, size_t size) {
    if (!holdsRole || !takingHandoffs || kind != kHandoffKind || data == nullptr) {
        return false;
    }
    const auto paths = DecodeHandoff(std::string_view(static_cast<const char*>(data), size));
    // A full queue takes none: the sender says so rather than losing some.
    if (!paths || paths->size() > InstallQueueRoom()) {
        return false;
    }
    std::vector<std::wstring> wide;
    for (const std::u16string& path : *paths) {
        wide.emplace_back(path.begin(), path.end());
    }
    QueuePackages(wide);
    // The sender waits for this answer: the installs start once the window gets to them.
    RunSoon(RunInstallQueue);
    if (HWND window = MainWindow(); window != nullptr && IsWindowVisible(window)) {
        (void)SetForegroundWindow(window);
    }
    return true;
}

void InstallHereOrHandOver(const std::vector<std::wstring>& packages, const std::function<void()>& installHere) {
    const bool held = HoldsInstallerRole();
    HandoffOutcome outcome = HandoffOutcome::kBecameInstaller;
    if (!TakeInstallerRole()) {
        if (packages.empty()) {
            ShowMessage("另一个 MOSSGATE 正在安装。请等它结束后再试，或者把安装包拖到它的窗口上。");
            return;
        }
        outcome = HandOverPackages(packages, kWindowHandoffTimeoutMs);
    }
    switch (outcome) {
        case HandoffOutcome::kHandedOver:
            ShowMessage("另一个 MOSSGATE 正在安装，安装包已经交给它，请在它的窗口里查看结果。");
            return;
        case HandoffOutcome::kFailed:
            ShowMessage("另一个 MOSSGATE 正在安装，但它没有回应，安装包没能交给它。请稍后再试。");
            return;
        case HandoffOutcome::kBecameInstaller:
            if (!held) {
                BecomeInstaller();
            }
            installHere();
            return;
    }
}
