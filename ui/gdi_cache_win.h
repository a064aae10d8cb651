// Fonts and brushes of the main window, made once and kept until the window is gone.
#pragma once

#include <windows.h>

#include "ui/window_description.h"

// The font of a control: the stored font of the description, or the default GUI font when null.
HFONT FontFor(const ui::StoredFont* font);

// A solid brush of this colour.
HBRUSH BrushFor(COLORREF colour);

// A colour of the description as a COLORREF: the default colour is the system's button face.
COLORREF ResolveColour(ui::Colour colour);

// Deletes the cached fonts and brushes; no window may still use them.
void ReleaseGdiCache();
