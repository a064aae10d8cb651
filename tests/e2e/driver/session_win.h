// The process the driver works on, its main window, and how controls are found in it.
#pragma once

#include <windows.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "tests/e2e/driver/barrier_win.h"
#include "base/owned_handle_win.h"
#include "tests/e2e/driver/json_value.h"

// A failed command: its text is the "error" of the answer.
class DriverError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

constexpr char kDefaultClass[] = "MossgateMain";

struct TargetSelector {
    DWORD pid = 0;            // Windows process id, 0: any
    std::string image;        // tail of the process image path (UTF-8, case-insensitive), "": any
    std::string windowClass;  // class of the main window (UTF-8)
    bool needWindow = true;   // wait for the main window, or only for the process
    bool needVisible = true;  // the main window must be visible
};

class Session {
  public:
    // Waits (bounded) for a process and, unless selector.needWindow is false, its main window.
    JsonValue Attach(const TargetSelector& selector, DWORD timeoutMs);
    bool Attached() const { return pid_ != 0; }
    void Detach();

    DWORD Pid() const;
    HANDLE Process() const;
    // The main window; looked up again when it was not there at attach time or has gone.
    HWND MainWindow();
    HWND MainWindowOrNull();
    const std::string& WindowClass() const { return spec_.windowClass; }

    // Waits until the program's window thread has handled everything posted to it, or the real
    // keyboard or mouse input sent so far. False when that could not be known in time.
    bool Sync(InputBarrier::Behind behind, DWORD timeoutMs);

  private:
    InputBarrier barrier_;
    std::string barrierError_;
    TargetSelector spec_;
    DWORD pid_ = 0;
    HWND main_ = nullptr;
    OwnedKernelHandle process_;
};

// Window helpers that need no session.
std::string ClassNameOf(HWND window);
std::string WindowTextOf(HWND window);       // UTF-8, through WM_GETTEXT (texts of other processes)
std::string WindowTextBytesOf(HWND window);  // the raw ANSI (GBK) bytes
DWORD ProcessIdOf(HWND window);
std::string ProcessImagePath(DWORD pid);  // UTF-8, "" when unknown
std::string HandleText(HWND window);      // "0x..." as the driver accepts it back
std::vector<HWND> TopLevelWindows();
std::vector<HWND> Descendants(HWND parent);
std::vector<HWND> DirectChildren(HWND parent);
bool ImageMatches(const std::string& imagePath, const std::string& tail);

// Resolves a control reference: a description name (编辑框4), #<id>, 0x<handle>, "main" or "focus".
HWND ResolveControl(Session& session, const std::string& reference);
// The focused window of the main window's thread (GetGUIThreadInfo), or null.
HWND FocusedWindow(Session& session);

JsonValue RectJson(const RECT& rect);
// Class, texts, id and name, styles, visibility, rectangles (screen, in the parent's client area).
JsonValue DescribeWindow(HWND window, bool withText = true);

// SendMessageTimeout that fails loudly: a hung or vanished window is a DriverError.
LRESULT SendChecked(HWND window, UINT message, WPARAM wParam, LPARAM lParam, DWORD timeoutMs = 3000);
LRESULT SendCheckedW(HWND window, UINT message, WPARAM wParam, LPARAM lParam, DWORD timeoutMs = 3000);

// Milliseconds since some fixed point, for bounded waits.
DWORD Now();
void Pause(DWORD ms);
