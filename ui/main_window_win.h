// The main window: created from its description, hidden until start-up has run.
#pragma once

#include <windows.h>

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
