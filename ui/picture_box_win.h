// The picture box class: one picture stretched to the box over its background colour.
#pragma once

#include <windows.h>

#include <cstddef>

inline constexpr char kPictureBoxClass[] = "MossgatePicture";

// A picture box is created with its ui::ControlDescription as creation parameter.
bool RegisterPictureBoxClass(HINSTANCE instance);

// Decodes the PNG or JPEG bytes and shows them in the box; bytes that cannot be decoded leave the
// box without a picture (only its background shows).
void ShowPictureInBox(HWND box, const void* bytes, size_t size);
