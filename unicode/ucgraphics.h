// Wide text on a canvas: the library's canvas writes and measures ANSI text only.
#pragma once

#include "classlib/graphics.h"
#include "unicode/ucsystem.h"

// Writes Text at (X, Y) with the canvas's text flags, font and brush; the pen then stands
// past the text. A right-to-left canvas (right-to-left reading with a moved window origin)
// starts one text width + 1 further right. Announced as a change of the canvas.
void CanvasTextOutWide(TCanvas* Canvas, int X, int Y, const WideString& Text);
// The size of Text in the canvas's font (what the system measures; (0, 0) when it cannot).
TSize CanvasTextExtentWide(TCanvas* Canvas, const WideString& Text);
int CanvasTextWidthWide(TCanvas* Canvas, const WideString& Text);
int CanvasTextHeightWide(TCanvas* Canvas, const WideString& Text);
// The size of Text in the font selected into the DC.
TSize DCTextExtentWide(HDC DC, const WideString& Text);
