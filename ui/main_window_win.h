// The main window: created from its description, hidden until start-up has run.
#pragma once

#include <windows.h>

#include <cstddef>
#include <string>
#include <vector>

#include "ui/window_description.h"

// Registers the window classes and creates the main window with all its controls, hidden, centred;
// its created event (PrepareWorkspace) has run when this returns. Null when it cannot be created.
HWND CreateMainWindow(HINSTANCE instance);

// The main window, or null before it exists and after it is destroyed.
HWND MainWindow();

// The application's pre-translation of a queued message (keyboard navigation between the
// controls); true when it consumed the message. The program hands it to every message pump.
bool PreTranslateAppMessage(MSG& message);

// Asks the main window to destroy itself: a private message is posted, not acted on at once.
void CloseMainWindow();

// Shows a tab page as if its header had been clicked.
void ShowTabPage(ui::Page page);

// What the program does with files dropped anywhere on the window: full paths in their wide form.
using DropHandler = void (*)(const std::vector<std::wstring>& files);
void SetDropHandler(DropHandler handler);

// What the program does with the data another process sends the window (WM_COPYDATA): true when it took it.
// The data is the sender's and may be anything.
using CopyDataHandler = bool (*)(uintptr_t kind, const void* data, size_t size);
void SetCopyDataHandler(CopyDataHandler handler);

// Runs `task` on the window's thread once its message loop next gets to it (not inside the caller).
void RunSoon(void (*task)());
