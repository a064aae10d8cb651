// Shared by the tests of the command runner and the responsive waits: the helper program beside the
// test executable, a window that records the messages it is handed, clocks.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <thread>

// The folder of the running test executable (the helper program is built into its helpers folder).
inline std::string TestExecutableFolder() {
    char path[MAX_PATH] = {};
    DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string module(path, length);
    return module.substr(0, module.find_last_of('\\'));
}

inline std::string HelperPath() {
    return TestExecutableFolder() + "\\helpers\\console_helper.exe";
}

// A command line running the helper program with `arguments`.
inline std::string HelperCommand(const std::string& arguments) {
    return HelperPath() + " " + arguments;
}

// A monotonic clock in milliseconds (<chrono> does not build with the GBK execution character set).
inline double NowMilliseconds() {
    LARGE_INTEGER frequency, counter;
    (void)QueryPerformanceFrequency(&frequency);
    (void)QueryPerformanceCounter(&counter);
    return static_cast<double>(counter.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

inline double MillisecondsSince(double start) {
    return NowMilliseconds() - start;
}

// Runs `run` on a thread of its own; false when it has not finished within `milliseconds`, so a
// wait that never ends fails the test instead of hanging it (the stuck thread is left behind).
inline bool FinishesWithin(DWORD milliseconds, std::function<void()> run) {
    HANDLE done = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    std::thread([run = std::move(run), done] {
        run();
        SetEvent(done);
    }).detach();
    bool finished = WaitForSingleObject(done, milliseconds) == WAIT_OBJECT_0;
    if (finished) {
        CloseHandle(done);
    }
    return finished;
}

// Processor time (kernel and user) the calling thread has used so far, in milliseconds.
inline double ThreadProcessorMilliseconds() {
    FILETIME creation, exit, kernel, user;
    (void)GetThreadTimes(GetCurrentThread(), &creation, &exit, &kernel, &user);
    auto value = [](const FILETIME& time) {
        return (static_cast<unsigned long long>(time.dwHighDateTime) << 32 | time.dwLowDateTime) / 10000.0;
    };
    return value(kernel) + value(user);
}

// Removes everything queued for the thread, WM_QUIT included, so one test's leftovers cannot reach
// the next. Returns whether a WM_QUIT was among them, with its exit code.
inline bool DrainThreadQueue(WPARAM* quitCode = nullptr) {
    bool sawQuit = false;
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            sawQuit = true;
            if (quitCode != nullptr) {
                *quitCode = message.wParam;
            }
        }
    }
    return sawQuit;
}

// A hidden window of the calling thread that counts the recorded messages it is handed and can
// run an action inside its handler (post WM_QUIT, as the main window does when it is destroyed, or
// start a command, as a second click does).
class MessageRecorder {
  public:
    static constexpr UINT kRecorded = WM_APP + 7;

    MessageRecorder() {
        static const ATOM windowClass = [] {
            WNDCLASSA description = {};
            description.lpfnWndProc = Procedure;
            description.hInstance = GetModuleHandleA(nullptr);
            description.lpszClassName = "MossgateTestRecorder";
            return RegisterClassA(&description);
        }();
        window_ = CreateWindowExA(0, MAKEINTATOM(windowClass), "", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr,
                                  GetModuleHandleA(nullptr), nullptr);
        SetWindowLongPtrA(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
        DrainThreadQueue();
    }
    ~MessageRecorder() {
        DestroyWindow(window_);
        DrainThreadQueue();
    }
    MessageRecorder(const MessageRecorder&) = delete;
    MessageRecorder& operator=(const MessageRecorder&) = delete;

    HWND window() const { return window_; }
    int handled() const { return handled_; }
    double lastHandled() const { return lastHandled_; }
    // The next recorded message handled also posts WM_QUIT with `code`.
    void QuitOnNextMessage(int code) {
        DoOnNextMessage([code] { PostQuitMessage(code); });
    }
    // The next recorded message handled also runs `action`, inside the handler.
    void DoOnNextMessage(std::function<void()> action) { action_ = std::move(action); }

  private:
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        auto* self = reinterpret_cast<MessageRecorder*>(GetWindowLongPtrA(window, GWLP_USERDATA));
        if (self != nullptr && message == kRecorded) {
            ++self->handled_;
            self->lastHandled_ = NowMilliseconds();
            if (self->action_) {
                std::function<void()> action = std::move(self->action_);
                self->action_ = nullptr;
                action();
            }
            return 0;
        }
        return DefWindowProcA(window, message, wParam, lParam);
    }

    HWND window_ = nullptr;
    int handled_ = 0;
    double lastHandled_ = 0;
    std::function<void()> action_;
};
