// Small pieces the self-painting adapters' sources share.
#pragma once

#include "skin/zpaintwnd.h"

namespace zpaint {

// Where the client area begins in the window, and the client area in window coordinates.
TPoint ClientOffset(HWND Wnd);
TRect ClientArea(HWND Wnd);
// R of the cache shows what lies behind the window there (the window at At in its parent).
void ShowBehind(TBitmap* Cache, const TRect& R, const TzBackdrop& Behind, TPoint At);
// The canvas writes in a copy of the font (the canvas frees what it is given).
void UseFont(TCanvas* Canvas, HFONT Font);

} // namespace zpaint
