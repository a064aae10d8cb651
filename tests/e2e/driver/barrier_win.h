// Knowing when the program has handled what the driver posted or typed: a barrier message queued
// behind the input, noticed by a hook in the program's window thread (uidriver_hook.dll).
#pragma once

#include <windows.h>

#include <string>

#include "base/owned_handle_win.h"

class InputBarrier {
  public:
    InputBarrier() = default;
    InputBarrier(const InputBarrier&) = delete;
    InputBarrier& operator=(const InputBarrier&) = delete;
    ~InputBarrier() { Remove(); }

    // Sets the hook on the window thread `thread` of process `pid`; false (with error) when it cannot.
    bool Install(HANDLE process, DWORD pid, DWORD thread, std::string& error);
    void Remove();
    bool Installed() const { return hook_ != nullptr; }

    enum class Behind {
        Posted,    // posted messages: a posted thread message
        Keyboard,  // real keyboard input: a key-up of VK_F24, which goes where the keys went
        Mouse,     // real mouse input: a mouse move by nothing, which goes where the clicks went
    };
    // Queues the barrier and waits until the program's thread takes it; false when it did not in time
    // or the program ended.
    bool Pass(Behind behind, DWORD timeoutMs);

  private:
    HHOOK hook_ = nullptr;
    HHOOK mouseHook_ = nullptr;
    HMODULE library_ = nullptr;
    OwnedKernelHandle event_;
    DWORD thread_ = 0;
    HANDLE process_ = nullptr;  // not owned: the session's
};
