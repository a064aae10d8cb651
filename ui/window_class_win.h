// Registering the program's window classes; a class registered before (a second window in a test
// process) is fine.
#pragma once

#include <windows.h>

inline bool RegisterWindowClass(HINSTANCE instance, const char* name, WNDPROC procedure, int windowExtraBytes = 0) {
    WNDCLASSEXA windowClass = {};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = procedure;
    windowClass.cbWndExtra = windowExtraBytes;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
    windowClass.lpszClassName = name;
    return RegisterClassExA(&windowClass) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}
