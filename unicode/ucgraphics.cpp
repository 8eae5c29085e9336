#include "unicode/ucgraphics.h"

namespace {

// The canvas draws right to left when it reads right to left and its window origin has
// been moved (the library mirrors a control's canvas that way).
bool CanvasRightToLeft(TCanvas* Canvas, HDC DC)
{
    if (!(Canvas->TextFlags() & ETO_RTLREADING))
        return false;
    POINT org{0, 0};
    return GetWindowOrgEx(DC, &org) && org.x != 0;
}

} // namespace

TSize DCTextExtentWide(HDC DC, const WideString& Text)
{
    TSize s{0, 0};
    if (PlatformIsUnicode) {
        GetTextExtentPoint32W(DC, Text.c_str(), static_cast<int>(Text.size()), &s);
    } else {
        AnsiString a = WideToAnsi(Text);
        GetTextExtentPoint32A(DC, a.c_str(), static_cast<int>(a.size()), &s);
    }
    return s;
}

void CanvasTextOutWide(TCanvas* Canvas, int X, int Y, const WideString& Text)
{
    // Asking for the handle announces the change and makes font and brush ready.
    HDC dc = Canvas->Handle();
    int width = DCTextExtentWide(dc, Text).cx;
    if (CanvasRightToLeft(Canvas, dc))
        X += width + 1;
    if (PlatformIsUnicode) {
        ExtTextOutW(dc, X, Y, Canvas->TextFlags(), nullptr, Text.c_str(), static_cast<UINT>(Text.size()), nullptr);
    } else {
        AnsiString a = WideToAnsi(Text);
        ExtTextOutA(dc, X, Y, Canvas->TextFlags(), nullptr, a.c_str(), static_cast<UINT>(a.size()), nullptr);
    }
    Canvas->MoveTo(X + width, Y);
    Canvas->Changed();
}

TSize CanvasTextExtentWide(TCanvas* Canvas, const WideString& Text)
{
    return DCTextExtentWide(Canvas->Handle(), Text);
}

int CanvasTextWidthWide(TCanvas* Canvas, const WideString& Text)
{
    return CanvasTextExtentWide(Canvas, Text).cx;
}

int CanvasTextHeightWide(TCanvas* Canvas, const WideString& Text)
{
    return CanvasTextExtentWide(Canvas, Text).cy;
}
