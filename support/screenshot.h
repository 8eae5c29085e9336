// Screenshots for the tests and the sample program: a window or a 24-bit pixel block
// written as a PNG file.
#pragma once

#include "classlib/winapi.h"
#include <cstdint>

// Pixels as 24-bit rows, blue-green-red, top row first, Stride bytes apart.
bool WritePng24(const char* FileName, int Width, int Height, const uint8_t* Rows, int Stride);

// The window as it is on the screen, frame and child windows included. Returns false when
// the window or the file cannot be had.
bool SaveWindowPng(HWND Wnd, const char* FileName);
