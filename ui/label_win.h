// The two self-painted label classes: the label fills its background, the transparent label draws
// only its text over whatever lies behind it.
#pragma once

#include <windows.h>

inline constexpr char kLabelClass[] = "MossgateLabel";
inline constexpr char kTransparentLabelClass[] = "MossgateTransparentLabel";

// Registers both classes. A label is created with its ui::ControlDescription as creation parameter.
bool RegisterLabelClasses(HINSTANCE instance);
