// Operations on the named controls of the main window; all run on the window's thread.
#pragma once

#include <windows.h>

#include <cstddef>
#include <string>

#include "ui/control_ids.h"

// The controls of the main window by id, filled as they are created and emptied when it is gone.
void RegisterControl(int controlId, HWND window);
void ForgetControls();

// The control's window, or null.
HWND ControlWindow(int controlId);

// The current content of an edit box, as GBK text.
std::string GetEditText(int controlId);

// The address of an IP box: "" when it is blank, else "%d.%d.%d.%d" (an empty field counts as 0).
std::string GetIpAddressText(int controlId);

// Decodes a PNG or JPEG picture and shows it stretched in a picture box.
void SetPicture(int controlId, const void* bytes, size_t size);

void EnableControl(int controlId, bool enabled);
