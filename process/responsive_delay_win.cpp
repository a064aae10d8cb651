#include "process/responsive_delay_win.h"

#include <windows.h>

#include <vector>

#include "base/owned_handle_win.h"
#include "process/responsive_delay.h"

namespace {
// Every kind of queue input wakes the wait: keys, mouse, posted and sent messages, timers, paint, hot keys.
constexpr DWORD kWakeOnAnyMessage =
    QS_KEY | QS_MOUSEMOVE | QS_MOUSEBUTTON | QS_POSTMESSAGE | QS_TIMER | QS_PAINT | QS_SENDMESSAGE | QS_HOTKEY;
static_assert(kWakeOnAnyMessage == 0xFF);

PreTranslateHook preTranslate = nullptr;
}  // namespace

void SetPreTranslateHook(PreTranslateHook hook) {
    preTranslate = hook;
}

bool PumpOneMessage(MSG& message) {
    if (GetMessageA(&message, nullptr, 0, 0) <= 0) {
        return false;
    }
    if (preTranslate == nullptr || !preTranslate(message)) {
        (void)TranslateMessage(&message);
        (void)DispatchMessageA(&message);
    }
    return true;
}

void DispatchPendingMessages() {
    MSG head;
    while (PeekMessageA(&head, nullptr, 0, 0, PM_NOREMOVE) && head.message != WM_QUIT) {
        MSG message = {};
        if (!PumpOneMessage(message)) {
            // A quit that another thread posted between the look and the take belongs to the main loop.
            if (message.message == WM_QUIT) {
                PostQuitMessage(static_cast<int>(message.wParam));
            }
            return;
        }
    }
}

void ProcessPendingInput() {
    if (GetInputState()) {
        DispatchPendingMessages();
    }
}

void WaitForTimerDispatchingMessages(HANDLE timer) {
    for (;;) {
        DWORD result = MsgWaitForMultipleObjects(1, &timer, FALSE, INFINITE, kWakeOnAnyMessage);
        if (result != WAIT_OBJECT_0 + 1) {
            return;  // the timer has expired, or the wait failed
        }
        DispatchPendingMessages();
    }
}

namespace {
// Timers of finished waits, kept for the next ones: the runner pauses after every look into its
// pipe, and making and closing a timer each time is a good part of a pass's cost. A wait nested in
// another (a handler run during the outer wait) takes a timer of its own from here or makes one.
std::vector<OwnedKernelHandle> spareTimers;

OwnedKernelHandle TakeTimer() {
    if (spareTimers.empty()) {
        return OwnedKernelHandle(CreateWaitableTimerA(nullptr, FALSE, nullptr));
    }
    OwnedKernelHandle timer = std::move(spareTimers.back());
    spareTimers.pop_back();
    return timer;
}
}  // namespace

bool PumpingDelay(std::optional<int32_t> interval, std::optional<int64_t> unit) {
    LARGE_INTEGER dueTime;
    dueTime.QuadPart = PumpingDelayDueTime(interval, unit);
    OwnedKernelHandle timer = TakeTimer();
    if (!timer || !SetWaitableTimer(timer.get(), &dueTime, 0, nullptr, nullptr, FALSE)) {
        return true;
    }
    WaitForTimerDispatchingMessages(timer.get());
    spareTimers.push_back(std::move(timer));
    return true;
}

void TickPumpingDelay(int32_t milliseconds) {
    if (milliseconds <= 0) {
        return;
    }
    DWORD start = GetTickCount();
    for (;;) {
        DispatchPendingMessages();
        DispatchPendingMessages();
        if (TickDelayOver(start, GetTickCount(), static_cast<uint32_t>(milliseconds))) {
            return;
        }
        DispatchPendingMessages();
        DispatchPendingMessages();
    }
}
