// One instance of the user's session installs at a time, whatever folder it was started from: the
// remembered devices and any ADB server are the user's, so two installing instances (of one copy of the
// program or of two) stop each other's server and delete each other's tools. The others hand their
// packages to the one that installs.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

// Takes the installer role when no instance of the session holds it; true when this instance holds it
// (now or from before). Of two instances started in the same moment, exactly one gets it.
bool TakeInstallerRole();
bool HoldsInstallerRole();

// Makes the installing instance's window findable for handoffs.
void PublishInstallerWindow(HWND window);

// Handoffs are refused from now on: the instance is ending, and a sender waits until it can take the role.
void StopTakingHandoffs();

// Gives the role up, so that another instance may take it; handoffs are refused from now on.
void GiveUpInstallerRole();

enum class HandoffOutcome {
    kHandedOver,       // the installing instance took the packages
    kBecameInstaller,  // no instance held the role any more: this one holds it now
    kFailed,           // none took them in time (the installing one does not answer)
};

// Hands packages to the installing instance, waiting for its window to appear when it is just starting.
// When it refuses (it is ending) or no instance holds the role, this instance takes the role instead.
HandoffOutcome HandOverPackages(const std::vector<std::wstring>& paths, DWORD timeoutMs);

// What the window does with a handoff: true when the packages were taken (queued and to be installed).
bool TakeHandedOverPackages(uintptr_t kind, const void* data, size_t size);

// An install asked for in this instance's window: runs `installHere` when this instance installs for the
// session or can take the role now (writing its toolkit then); else hands `packages` to the instance that
// installs and says so. Without packages to hand over, says that another instance is installing.
void InstallHereOrHandOver(const std::vector<std::wstring>& packages, const std::function<void()>& installHere);
