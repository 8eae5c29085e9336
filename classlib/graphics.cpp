#include "classlib/graphics.h"
#include "classlib/gdihandles.h"

#include <algorithm>
#include <climits>
#include <cstddef>
#include <cstring>
#include <iterator>

// ---------------------------------------------------------------------------------------
// Colours

namespace {
struct ColorName {
    TColor Color;
    const char* Name;
};
const ColorName ColorNames[] = {
    {clBlack, "clBlack"}, {clMaroon, "clMaroon"}, {clGreen, "clGreen"}, {clOlive, "clOlive"},
    {clNavy, "clNavy"}, {clPurple, "clPurple"}, {clTeal, "clTeal"}, {clGray, "clGray"},
    {clSilver, "clSilver"}, {clRed, "clRed"}, {clLime, "clLime"}, {clYellow, "clYellow"},
    {clBlue, "clBlue"}, {clFuchsia, "clFuchsia"}, {clAqua, "clAqua"}, {clWhite, "clWhite"},
    {clMoneyGreen, "clMoneyGreen"}, {clSkyBlue, "clSkyBlue"}, {clCream, "clCream"},
    {clMedGray, "clMedGray"}, {clNone, "clNone"}, {clDefault, "clDefault"},
    {clScrollBar, "clScrollBar"}, {clBackground, "clBackground"},
    {clActiveCaption, "clActiveCaption"}, {clInactiveCaption, "clInactiveCaption"},
    {clMenu, "clMenu"}, {clWindow, "clWindow"}, {clWindowFrame, "clWindowFrame"},
    {clMenuText, "clMenuText"}, {clWindowText, "clWindowText"}, {clCaptionText, "clCaptionText"},
    {clActiveBorder, "clActiveBorder"}, {clInactiveBorder, "clInactiveBorder"},
    {clAppWorkSpace, "clAppWorkSpace"}, {clHighlight, "clHighlight"},
    {clHighlightText, "clHighlightText"}, {clBtnFace, "clBtnFace"}, {clBtnShadow, "clBtnShadow"},
    {clGrayText, "clGrayText"}, {clBtnText, "clBtnText"},
    {clInactiveCaptionText, "clInactiveCaptionText"}, {clBtnHighlight, "clBtnHighlight"},
    {cl3DDkShadow, "cl3DDkShadow"}, {cl3DLight, "cl3DLight"}, {clInfoText, "clInfoText"},
    {clInfoBk, "clInfoBk"}, {clHotLight, "clHotLight"},
    {clGradientActiveCaption, "clGradientActiveCaption"},
    {clGradientInactiveCaption, "clGradientInactiveCaption"}, {clMenuHighlight, "clMenuHighlight"},
    {clMenuBar, "clMenuBar"},
};
} // namespace

TColor ColorToRGB(TColor Color)
{
    if (Color < 0)
        return static_cast<TColor>(GetSysColor(Color & 0xFF));
    return Color;
}

bool ColorToIdent(TColor Color, AnsiString& Ident)
{
    for (const ColorName& c : ColorNames)
        if (c.Color == Color) {
            Ident = c.Name;
            return true;
        }
    return false;
}

bool IdentToColor(const AnsiString& Ident, TColor& Color)
{
    for (const ColorName& c : ColorNames)
        if (SameText(Ident, c.Name)) {
            Color = c.Color;
            return true;
        }
    return false;
}

AnsiString ColorToString(TColor Color)
{
    AnsiString s;
    if (!ColorToIdent(Color, s))
        s = Format("$%.8X", static_cast<unsigned>(Color));
    return s;
}

TColor StringToColor(const AnsiString& S)
{
    TColor c;
    if (IdentToColor(S, c))
        return c;
    return static_cast<TColor>(StrToInt(S));
}

int ScreenLogPixels()
{
    static const int value = [] {
        TClientDC dc(nullptr);
        int v = dc ? GetDeviceCaps(dc.Handle(), LOGPIXELSY) : 0;
        return v > 0 ? v : 96;
    }();
    return value;
}

// ---------------------------------------------------------------------------------------
// Graphics objects. A handle is made on demand and replaced after a change.

Z_CLASS_IMPL(TGraphicsObject, TPersistent)

void TGraphicsObject::Changed()
{
    if (OnChange)
        OnChange(this);
}

namespace {
const char* const FontStyleNames[] = {"fsBold", "fsItalic", "fsUnderline", "fsStrikeOut"};
const char* const FontPitchNames[] = {"fpDefault", "fpVariable", "fpFixed"};
const char* const PenStyleNames[] = {"psSolid", "psDash", "psDot", "psDashDot", "psDashDotDot",
                                     "psClear", "psInsideFrame"};
const char* const PenModeNames[] = {"pmBlack", "pmWhite", "pmNop", "pmNot", "pmCopy", "pmNotCopy",
                                    "pmMergePenNot", "pmMaskPenNot", "pmMergeNotPen",
                                    "pmMaskNotPen", "pmMerge", "pmNotMerge", "pmMask",
                                    "pmNotMask", "pmXor", "pmNotXor"};
const char* const BrushStyleNames[] = {"bsSolid", "bsClear", "bsHorizontal", "bsVertical",
                                       "bsFDiagonal", "bsBDiagonal", "bsCross", "bsDiagCross"};

// Size is derived from Height and never written itself.
TPropInfo FontSizeProp()
{
    TPropInfo p = Z_PROP_INT_ND(TFont, Size);
    p.IsStored = [](const TObject*) { return false; };
    return p;
}

// Stores a property value; true when it changed.
template <class T, class U> bool Store(T& field, U value)
{
    if (field == static_cast<T>(value))
        return false;
    field = static_cast<T>(value);
    return true;
}
} // namespace

Z_CLASS_IMPL(TFont, TGraphicsObject,
             Z_PROP_INT_ND(TFont, Charset),
             Z_PROP_INT_ND(TFont, Color),
             Z_PROP_INT_ND(TFont, Height),
             Z_PROP_STR(TFont, Name),
             Z_PROP_INT(TFont, Orientation, 0),
             Z_PROP_ENUM(TFont, Pitch, FontPitchNames, fpDefault),
             FontSizeProp(),
             (zprop::Ord<TFont, &TFont::Style, &TFont::SetStyle>("Style", tkSet, false, 0, FontStyleNames, 4)))

TFont::TFont() : FName("MS Sans Serif"), FPixelsPerInch(ScreenLogPixels())
{
    FHeight = -MulDiv(8, FPixelsPerInch, 72);
}

TFont::~TFont()
{
    if (FHandle)
        DeleteObject(FHandle);
}

HFONT TFont::Handle()
{
    if (!FHandle) {
        LOGFONTA lf{};
        lf.lfHeight = FHeight;
        lf.lfEscapement = lf.lfOrientation = FOrientation;
        lf.lfWeight = (FStyle & fsBold) ? FW_BOLD : FW_NORMAL;
        lf.lfItalic = (FStyle & fsItalic) ? 1 : 0;
        lf.lfUnderline = (FStyle & fsUnderline) ? 1 : 0;
        lf.lfStrikeOut = (FStyle & fsStrikeOut) ? 1 : 0;
        lf.lfCharSet = FCharset;
        const AnsiString& face = SameText(FName, "Default") ? AnsiString("MS Sans Serif") : FName;
        strncpy(lf.lfFaceName, face.c_str(), LF_FACESIZE - 1);
        lf.lfOutPrecision = OUT_DEFAULT_PRECIS;
        lf.lfClipPrecision = CLIP_DEFAULT_PRECIS;
        lf.lfQuality = DEFAULT_QUALITY;
        lf.lfPitchAndFamily = FPitch == fpVariable ? VARIABLE_PITCH
                              : FPitch == fpFixed  ? FIXED_PITCH
                                                   : DEFAULT_PITCH;
        FHandle = CreateFontIndirectA(&lf);
    }
    return FHandle;
}

void TFont::SetHandle(HFONT Value)
{
    if (Value == FHandle)
        return;
    LOGFONTA lf{};
    if (Value && GetObjectA(Value, sizeof(lf), &lf) >= int(offsetof(LOGFONTA, lfFaceName))) {
        FHeight = lf.lfHeight;
        FName = AnsiString(lf.lfFaceName, strnlen(lf.lfFaceName, LF_FACESIZE));
        FStyle = (lf.lfWeight >= FW_BOLD ? fsBold : 0) | (lf.lfItalic ? fsItalic : 0) |
                 (lf.lfUnderline ? fsUnderline : 0) | (lf.lfStrikeOut ? fsStrikeOut : 0);
        FCharset = lf.lfCharSet;
        FOrientation = lf.lfEscapement;
        int pitch = lf.lfPitchAndFamily & 3;
        FPitch = pitch == VARIABLE_PITCH ? fpVariable : pitch == FIXED_PITCH ? fpFixed : fpDefault;
    }
    ReplaceHandle<HFONT>(FHandle, Value);
}

void TFont::HandleChanged()
{
    ReplaceHandle<HFONT>(FHandle, nullptr);
}

void TFont::SetName(const TFontName& Value)
{
    if (!Value.empty() && Store(FName, Value))
        HandleChanged();
}

void TFont::SetOrientation(int Value)
{
    if (Store(FOrientation, Value))
        HandleChanged();
}

void TFont::SetHeight(int Value)
{
    if (Store(FHeight, Value))
        HandleChanged();
}

int TFont::Size() const
{
    return -MulDiv(FHeight, 72, FPixelsPerInch);
}

void TFont::SetSize(int Value)
{
    SetHeight(-MulDiv(Value, FPixelsPerInch, 72));
}

void TFont::SetStyle(TFontStyles Value)
{
    if (Store(FStyle, Value & (fsBold | fsItalic | fsUnderline | fsStrikeOut)))
        HandleChanged();
}

void TFont::SetColor(TColor Value)
{
    if (Store(FColor, Value))
        Changed();
}

void TFont::SetCharset(TFontCharset Value)
{
    if (Store(FCharset, Value))
        HandleChanged();
}

void TFont::SetPitch(TFontPitch Value)
{
    if (Value <= fpFixed && Store(FPitch, Value))
        HandleChanged();
}

void TFont::Assign(TPersistent* Source)
{
    if (auto* f = dynamic_cast<TFont*>(Source)) {
        if (f == this)
            return;
        FName = f->FName;
        // The point size survives a change of resolution, as text should look the same.
        FHeight = f->FPixelsPerInch == FPixelsPerInch ? f->FHeight : -MulDiv(f->Size(), FPixelsPerInch, 72);
        FStyle = f->FStyle;
        FCharset = f->FCharset;
        FPitch = f->FPitch;
        FColor = f->FColor;
        FOrientation = f->FOrientation;
        HandleChanged();
        return;
    }
    inherited::Assign(Source);
}

// --- TPen

Z_CLASS_IMPL(TPen, TGraphicsObject,
             Z_PROP_INT(TPen, Color, clBlack),
             Z_PROP_ENUM(TPen, Mode, PenModeNames, pmCopy),
             Z_PROP_ENUM(TPen, Style, PenStyleNames, psSolid),
             Z_PROP_INT(TPen, Width, 1))

TPen::~TPen()
{
    if (FHandle)
        DeleteObject(FHandle);
}

HPEN TPen::Handle()
{
    static const int styles[] = {PS_SOLID, PS_DASH, PS_DOT, PS_DASHDOT, PS_DASHDOTDOT, PS_NULL, PS_INSIDEFRAME};
    if (!FHandle)
        FHandle = CreatePen(styles[FStyle], FWidth, static_cast<COLORREF>(ColorToRGB(FColor)));
    return FHandle;
}

void TPen::SetHandle(HPEN Value)
{
    if (Value == FHandle)
        return;
    LOGPEN lp{};
    if (Value && GetObjectA(Value, sizeof(lp), &lp) == sizeof(lp)) {
        FColor = static_cast<TColor>(lp.lopnColor);
        FWidth = lp.lopnWidth.x;
        static const TPenStyle styles[] = {psSolid, psDash, psDot, psDashDot, psDashDotDot, psClear, psInsideFrame};
        UINT s = lp.lopnStyle & PS_STYLE_MASK;
        FStyle = s < std::size(styles) ? styles[s] : psSolid;
    }
    ReplaceHandle<HPEN>(FHandle, Value);
}

void TPen::HandleChanged()
{
    ReplaceHandle<HPEN>(FHandle, nullptr);
}

void TPen::SetColor(TColor Value)
{
    if (Store(FColor, Value))
        HandleChanged();
}

void TPen::SetStyle(TPenStyle Value)
{
    if (Value <= psInsideFrame && Store(FStyle, Value))
        HandleChanged();
}

void TPen::SetWidth(int Value)
{
    if (Value >= 0 && Store(FWidth, Value))
        HandleChanged();
}

void TPen::SetMode(TPenMode Value)
{
    if (Value <= pmNotXor && Store(FMode, Value))
        Changed();
}

void TPen::Assign(TPersistent* Source)
{
    if (auto* p = dynamic_cast<TPen*>(Source)) {
        if (p == this)
            return;
        FColor = p->FColor;
        FStyle = p->FStyle;
        FWidth = p->FWidth;
        FMode = p->FMode;
        HandleChanged();
        return;
    }
    inherited::Assign(Source);
}

// --- TBrush

Z_CLASS_IMPL(TBrush, TGraphicsObject,
             Z_PROP_INT(TBrush, Color, clWhite),
             Z_PROP_ENUM(TBrush, Style, BrushStyleNames, bsSolid))

TBrush::~TBrush()
{
    if (FHandle)
        DeleteObject(FHandle);
}

HBRUSH TBrush::Handle()
{
    if (!FHandle) {
        COLORREF c = static_cast<COLORREF>(ColorToRGB(FColor));
        if (FBitmap && !FBitmap->Empty())
            FHandle = CreatePatternBrush(FBitmap->Handle());
        else if (FStyle == bsSolid)
            FHandle = CreateSolidBrush(c);
        else if (FStyle == bsClear) {
            LOGBRUSH lb{BS_NULL, 0, 0};
            FHandle = CreateBrushIndirect(&lb);
        } else
            FHandle = CreateHatchBrush(HS_HORIZONTAL + (FStyle - bsHorizontal), c);
    }
    return FHandle;
}

void TBrush::SetHandle(HBRUSH Value)
{
    if (Value == FHandle)
        return;
    LOGBRUSH lb{};
    if (Value && GetObjectA(Value, sizeof(lb), &lb) == sizeof(lb)) {
        FColor = static_cast<TColor>(lb.lbColor);
        if (lb.lbStyle == BS_NULL)
            FStyle = bsClear;
        else if (lb.lbStyle == BS_HATCHED && lb.lbHatch <= HS_DIAGCROSS)
            FStyle = static_cast<TBrushStyle>(bsHorizontal + lb.lbHatch);
        else
            FStyle = bsSolid;
    }
    FBitmap = nullptr;
    ReplaceHandle<HBRUSH>(FHandle, Value);
}

void TBrush::HandleChanged()
{
    ReplaceHandle<HBRUSH>(FHandle, nullptr);
}

void TBrush::SetColor(TColor Value)
{
    if (Value != FColor || FStyle == bsClear) {
        FColor = Value;
        // A colour makes a clear brush solid again, as a colour can only show on a solid one.
        if (FStyle == bsClear)
            FStyle = bsSolid;
        HandleChanged();
    }
}

void TBrush::SetStyle(TBrushStyle Value)
{
    if (Value <= bsDiagCross && Store(FStyle, Value))
        HandleChanged();
}

void TBrush::SetBitmap(TBitmap* Value)
{
    if (Store(FBitmap, Value))
        HandleChanged();
}

void TBrush::Assign(TPersistent* Source)
{
    if (auto* b = dynamic_cast<TBrush*>(Source)) {
        if (b == this)
            return;
        FColor = b->FColor;
        FStyle = b->FStyle;
        FBitmap = b->FBitmap;
        HandleChanged();
        return;
    }
    inherited::Assign(Source);
}

// ---------------------------------------------------------------------------------------
// Canvas

Z_CLASS_IMPL(TCanvas, TPersistent)

TCanvas::TCanvas()
    : FFont(std::make_unique<TFont>()), FPen(std::make_unique<TPen>()), FBrush(std::make_unique<TBrush>())
{
    InitializeCriticalSection(&FLock);
    FFont->OnChange = MakeMethod<&TCanvas::FontChanged>(this);
    FPen->OnChange = MakeMethod<&TCanvas::PenChanged>(this);
    FBrush->OnChange = MakeMethod<&TCanvas::BrushChanged>(this);
}

TCanvas::~TCanvas()
{
    SetHandle(nullptr);
    DeleteCriticalSection(&FLock);
}

HDC TCanvas::Handle()
{
    Changing();
    RequiredState(csAllValid);
    return FHandle;
}

void TCanvas::SetHandle(HDC Value)
{
    if (Value == FHandle)
        return;
    if (FHandle) {
        DeselectHandles();
        POINT p;
        if (GetCurrentPositionEx(FHandle, &p))
            FPenPos = p;
        FHandle = nullptr;
        FState &= ~csHandleValid;
    }
    if (Value) {
        FHandle = Value;
        FState |= csHandleValid;
        MoveToEx(FHandle, FPenPos.X, FPenPos.Y, nullptr);
    }
}

void TCanvas::RequiredState(TCanvasState ReqState)
{
    TCanvasState need = ReqState & ~FState;
    if (!need)
        return;
    if (need & csHandleValid) {
        CreateHandle();
        if (!FHandle)
            throw EInvalidOperation("Canvas does not allow drawing");
    }
    if (need & csFontValid)
        CreateFont();
    if (need & csPenValid)
        CreatePen();
    if (need & csBrushValid)
        CreateBrush();
    FState |= need;
}

void TCanvas::CreateFont()
{
    HGDIOBJ prev = SelectObject(FHandle, FFont->Handle());
    if (!FOldFont)
        FOldFont = prev;
    SetTextColor(FHandle, static_cast<COLORREF>(ColorToRGB(FFont->Color())));
}

void TCanvas::CreatePen()
{
    static const int modes[] = {R2_BLACK, R2_WHITE, R2_NOP, R2_NOT, R2_COPYPEN, R2_NOTCOPYPEN,
                                R2_MERGEPENNOT, R2_MASKPENNOT, R2_MERGENOTPEN, R2_MASKNOTPEN,
                                R2_MERGEPEN, R2_NOTMERGEPEN, R2_MASKPEN, R2_NOTMASKPEN,
                                R2_XORPEN, R2_NOTXORPEN};
    HGDIOBJ prev = SelectObject(FHandle, FPen->Handle());
    if (!FOldPen)
        FOldPen = prev;
    SetROP2(FHandle, modes[FPen->Mode()]);
}

void TCanvas::CreateBrush()
{
    HBRUSH b = FBrush->Handle();
    UnrealizeObject(b);
    HGDIOBJ prev = SelectObject(FHandle, b);
    if (!FOldBrush)
        FOldBrush = prev;
    // Text and hatches show the brush colour behind them only with a solid brush.
    COLORREF c = static_cast<COLORREF>(ColorToRGB(FBrush->Color()));
    if (FBrush->Style() == bsSolid) {
        SetBkColor(FHandle, c);
        SetBkMode(FHandle, OPAQUE);
    } else {
        SetBkColor(FHandle, ~c & 0xFFFFFF);
        SetBkMode(FHandle, TRANSPARENT);
    }
}

void TCanvas::DeselectHandles()
{
    if (FHandle) {
        if (FOldFont)
            SelectObject(FHandle, FOldFont);
        if (FOldPen)
            SelectObject(FHandle, FOldPen);
        if (FOldBrush)
            SelectObject(FHandle, FOldBrush);
    }
    FOldFont = FOldPen = FOldBrush = nullptr;
    FState &= ~(csFontValid | csPenValid | csBrushValid);
}

void TCanvas::FontChanged(TObject*)
{
    if ((FState & csFontValid) && FHandle)
        CreateFont();
}

void TCanvas::PenChanged(TObject*)
{
    if ((FState & csPenValid) && FHandle)
        CreatePen();
}

void TCanvas::BrushChanged(TObject*)
{
    if ((FState & csBrushValid) && FHandle)
        CreateBrush();
}

void TCanvas::Refresh()
{
    DeselectHandles();
}

void TCanvas::Lock()
{
    EnterCriticalSection(&FLock);
    ++FLockCount;
}

bool TCanvas::TryLock()
{
    if (!TryEnterCriticalSection(&FLock))
        return false;
    ++FLockCount;
    return true;
}

void TCanvas::Unlock()
{
    --FLockCount;
    LeaveCriticalSection(&FLock);
}

void TCanvas::Changed()
{
    if (OnChange)
        OnChange(this);
}

void TCanvas::Changing()
{
    if (OnChanging)
        OnChanging(this);
}

TPoint TCanvas::PenPos()
{
    POINT p;
    if (FHandle && GetCurrentPositionEx(FHandle, &p))
        return p;
    return FPenPos;
}

TRect TCanvas::ClipRect()
{
    RequiredState(csHandleValid);
    RECT r{};
    GetClipBox(FHandle, &r);
    return r;
}

void TCanvas::MoveTo(int X, int Y)
{
    RequiredState(csHandleValid);
    MoveToEx(FHandle, X, Y, nullptr);
    FPenPos = TPoint(X, Y);
}

void TCanvas::LineTo(int X, int Y)
{
    Changing();
    RequiredState(csHandleValid | csPenValid | csBrushValid);
    ::LineTo(FHandle, X, Y);
    FPenPos = TPoint(X, Y);
    Changed();
}

void TCanvas::Polyline(const TPoint* Points, int Count)
{
    Changing();
    RequiredState(csHandleValid | csPenValid | csBrushValid);
    ::Polyline(FHandle, reinterpret_cast<const POINT*>(Points), Count);
    Changed();
}

void TCanvas::Polygon(const TPoint* Points, int Count)
{
    Changing();
    RequiredState(csHandleValid | csPenValid | csBrushValid);
    ::Polygon(FHandle, reinterpret_cast<const POINT*>(Points), Count);
    Changed();
}

void TCanvas::Rectangle(int X1, int Y1, int X2, int Y2)
{
    Changing();
    RequiredState(csHandleValid | csPenValid | csBrushValid);
    ::Rectangle(FHandle, X1, Y1, X2, Y2);
    Changed();
}

void TCanvas::Ellipse(int X1, int Y1, int X2, int Y2)
{
    Changing();
    RequiredState(csHandleValid | csPenValid | csBrushValid);
    ::Ellipse(FHandle, X1, Y1, X2, Y2);
    Changed();
}

void TCanvas::RoundRect(int X1, int Y1, int X2, int Y2, int X3, int Y3)
{
    Changing();
    RequiredState(csHandleValid | csPenValid | csBrushValid);
    ::RoundRect(FHandle, X1, Y1, X2, Y2, X3, Y3);
    Changed();
}

void TCanvas::FillRect(const TRect& R)
{
    Changing();
    RequiredState(csHandleValid | csBrushValid);
    ::FillRect(FHandle, R.Win(), FBrush->Handle());
    Changed();
}

void TCanvas::FrameRect(const TRect& R)
{
    Changing();
    RequiredState(csHandleValid | csBrushValid);
    ::FrameRect(FHandle, R.Win(), FBrush->Handle());
    Changed();
}

void TCanvas::DrawFocusRect(const TRect& R)
{
    Changing();
    RequiredState(csHandleValid | csBrushValid);
    ::DrawFocusRect(FHandle, R.Win());
    Changed();
}

void TCanvas::TextOut(int X, int Y, const AnsiString& Text)
{
    Changing();
    RequiredState(csHandleValid | csFontValid | csBrushValid);
    ExtTextOutA(FHandle, X, Y, FTextFlags, nullptr, Text.data(), static_cast<UINT>(Text.size()), nullptr);
    MoveTo(X + TextWidth(Text), Y);
    Changed();
}

void TCanvas::TextRect(const TRect& R, int X, int Y, const AnsiString& Text)
{
    Changing();
    RequiredState(csHandleValid | csFontValid | csBrushValid);
    UINT options = ETO_CLIPPED | FTextFlags;
    if (FBrush->Style() != bsClear)
        options |= ETO_OPAQUE;
    ExtTextOutA(FHandle, X, Y, options, R.Win(), Text.data(), static_cast<UINT>(Text.size()), nullptr);
    Changed();
}

TSize TCanvas::TextExtent(const AnsiString& Text)
{
    RequiredState(csHandleValid | csFontValid);
    TSize s{0, 0};
    GetTextExtentPoint32A(FHandle, Text.data(), static_cast<int>(Text.size()), &s);
    return s;
}

void TCanvas::Draw(int X, int Y, TGraphic* Graphic)
{
    if (Graphic && !Graphic->Empty())
        StretchDraw(Bounds(X, Y, Graphic->Width(), Graphic->Height()), Graphic);
}

void TCanvas::StretchDraw(const TRect& R, TGraphic* Graphic)
{
    if (!Graphic || Graphic->Empty())
        return;
    Changing();
    RequiredState(csHandleValid);
    // Monochrome pictures take these two colours.
    SetBkColor(FHandle, static_cast<COLORREF>(ColorToRGB(FBrush->Color())));
    SetTextColor(FHandle, static_cast<COLORREF>(ColorToRGB(FFont->Color())));
    Graphic->Draw(this, R);
    Changed();
}

void TCanvas::CopyRect(const TRect& Dest, TCanvas* Canvas, const TRect& Source)
{
    Changing();
    RequiredState(csHandleValid | csFontValid | csBrushValid);
    Canvas->RequiredState(csHandleValid | csBrushValid);
    StretchBlt(FHandle, Dest.Left, Dest.Top, Dest.Width(), Dest.Height(), Canvas->FHandle, Source.Left,
               Source.Top, Source.Width(), Source.Height(), FCopyMode);
    Changed();
}

TColor TCanvas::Pixels(int X, int Y)
{
    RequiredState(csHandleValid);
    return static_cast<TColor>(GetPixel(FHandle, X, Y));
}

void TCanvas::SetPixels(int X, int Y, TColor Value)
{
    Changing();
    RequiredState(csHandleValid | csPenValid);
    SetPixel(FHandle, X, Y, static_cast<COLORREF>(ColorToRGB(Value)));
    Changed();
}

// ---------------------------------------------------------------------------------------
// TGraphic

Z_CLASS_IMPL(TGraphic, TPersistent)

void TGraphic::LoadFromFile(const AnsiString& FileName)
{
    TFileStream fs(FileName, fmOpenRead | fmShareDenyWrite);
    LoadFromStream(&fs);
}

void TGraphic::SaveToFile(const AnsiString& FileName)
{
    TFileStream fs(FileName, fmCreate);
    SaveToStream(&fs);
}

bool TGraphic::Equals(TGraphic* Graphic)
{
    if (!Graphic || &Graphic->ClassInfo() != &ClassInfo())
        return false;
    if (Empty() || Graphic->Empty())
        return Empty() && Graphic->Empty();
    TMemoryStream a, b;
    SaveToStream(&a);
    Graphic->SaveToStream(&b);
    return a.Size() == b.Size() && std::memcmp(a.Memory(), b.Memory(), size_t(a.Size())) == 0;
}

void TGraphic::SetTransparent(bool Value)
{
    if (Value != FTransparent) {
        FTransparent = Value;
        Changed(this);
    }
}

void TGraphic::SetModified(bool Value)
{
    if (Value)
        Changed(this);
    else
        FModified = false;
}

void TGraphic::Changed(TObject*)
{
    FModified = true;
    if (OnChange)
        OnChange(this);
}

void TGraphic::DefineProperties(TFiler* Filer)
{
    bool hasData;
    if (Filer->Ancestor()) {
        auto* a = dynamic_cast<TGraphic*>(Filer->Ancestor());
        hasData = !a || !Equals(a);
    } else
        hasData = !Empty();
    Filer->DefineBinaryProperty("Data", MakeMethod<&TGraphic::ReadData>(this),
                                MakeMethod<&TGraphic::WriteData>(this), hasData);
}

void TGraphic::ReadData(TStream* Stream)
{
    LoadFromStream(Stream);
}

void TGraphic::WriteData(TStream* Stream)
{
    SaveToStream(Stream);
}

// ---------------------------------------------------------------------------------------
// TBitmap: pixel formats and sections

namespace {
constexpr int kMaxSide = 65535;
constexpr int64_t kMaxPixels = int64_t(1) << 26;   // 64 M pixels: 256 MB at 32 bits

const char* const kInvalidBitmap = "Bitmap image is not valid";

[[noreturn]] void InvalidBitmap()
{
    throw EInvalidGraphic(kInvalidBitmap);
}

// The section layout that stands for the screen's own format.
TPixelFormat DeviceFormat()
{
    static const TPixelFormat f = [] {
        TClientDC dc(nullptr);
        int bpp = dc ? GetDeviceCaps(dc.Handle(), BITSPIXEL) * GetDeviceCaps(dc.Handle(), PLANES) : 32;
        return bpp == 16 ? pf16bit : bpp == 24 ? pf24bit : pf32bit;
    }();
    return f;
}

TPixelFormat Concrete(TPixelFormat f)
{
    if (f == pfDevice)
        return DeviceFormat();
    if (f == pfCustom)
        return pf24bit;
    return f;
}

int BppOf(TPixelFormat f)
{
    switch (Concrete(f)) {
    case pf1bit: return 1;
    case pf4bit: return 4;
    case pf8bit: return 8;
    case pf15bit:
    case pf16bit: return 16;
    case pf32bit: return 32;
    default: return 24;
    }
}

int StrideOf(int width, int bpp)
{
    return int(((int64_t(width) * bpp + 31) / 32) * 4);
}

RGBQUAD Quad(uint8_t r, uint8_t g, uint8_t b)
{
    return RGBQUAD{b, g, r, 0};
}

// The colour tables new pictures of few colours start with: black and white; the sixteen
// standard colours; those sixteen, a 6x6x6 colour cube and a grey ramp.
std::vector<RGBQUAD> DefaultPalette(int bpp)
{
    static const uint8_t vga[16][3] = {{0, 0, 0},       {128, 0, 0},   {0, 128, 0},   {128, 128, 0},
                                       {0, 0, 128},     {128, 0, 128}, {0, 128, 128}, {192, 192, 192},
                                       {128, 128, 128}, {255, 0, 0},   {0, 255, 0},   {255, 255, 0},
                                       {0, 0, 255},     {255, 0, 255}, {0, 255, 255}, {255, 255, 255}};
    std::vector<RGBQUAD> p;
    if (bpp == 1) {
        p = {Quad(0, 0, 0), Quad(255, 255, 255)};
    } else if (bpp == 4 || bpp == 8) {
        for (auto& c : vga)
            p.push_back(Quad(c[0], c[1], c[2]));
        if (bpp == 8) {
            for (int r = 0; r < 6; ++r)
                for (int g = 0; g < 6; ++g)
                    for (int b = 0; b < 6; ++b)
                        p.push_back(Quad(uint8_t(r * 51), uint8_t(g * 51), uint8_t(b * 51)));
            for (int i = 0; p.size() < 256; ++i) {
                auto v = uint8_t(8 + i * 10);
                p.push_back(Quad(v, v, v));
            }
        }
    }
    return p;
}

inline uint8_t Expand5(unsigned v) { return uint8_t((v << 3) | (v >> 2)); }
inline uint8_t Expand6(unsigned v) { return uint8_t((v << 2) | (v >> 4)); }

// One row of any supported layout as blue, green, red bytes.
void RowToBGR(const uint8_t* src, int width, TPixelFormat f, const std::vector<RGBQUAD>& pal, uint8_t* dst)
{
    auto lookup = [&](unsigned idx, uint8_t* d) {
        if (idx < pal.size()) {
            d[0] = pal[idx].rgbBlue;
            d[1] = pal[idx].rgbGreen;
            d[2] = pal[idx].rgbRed;
        } else
            d[0] = d[1] = d[2] = 0;
    };
    switch (Concrete(f)) {
    case pf1bit:
        for (int x = 0; x < width; ++x)
            lookup((src[x >> 3] >> (7 - (x & 7))) & 1, dst + x * 3);
        break;
    case pf4bit:
        for (int x = 0; x < width; ++x)
            lookup((src[x >> 1] >> ((x & 1) ? 0 : 4)) & 15, dst + x * 3);
        break;
    case pf8bit:
        for (int x = 0; x < width; ++x)
            lookup(src[x], dst + x * 3);
        break;
    case pf15bit:
        for (int x = 0; x < width; ++x) {
            unsigned v = src[x * 2] | (src[x * 2 + 1] << 8);
            dst[x * 3] = Expand5(v & 31);
            dst[x * 3 + 1] = Expand5((v >> 5) & 31);
            dst[x * 3 + 2] = Expand5((v >> 10) & 31);
        }
        break;
    case pf16bit:
        for (int x = 0; x < width; ++x) {
            unsigned v = src[x * 2] | (src[x * 2 + 1] << 8);
            dst[x * 3] = Expand5(v & 31);
            dst[x * 3 + 1] = Expand6((v >> 5) & 63);
            dst[x * 3 + 2] = Expand5((v >> 11) & 31);
        }
        break;
    case pf32bit:
        for (int x = 0; x < width; ++x) {
            dst[x * 3] = src[x * 4];
            dst[x * 3 + 1] = src[x * 4 + 1];
            dst[x * 3 + 2] = src[x * 4 + 2];
        }
        break;
    default:
        std::memcpy(dst, src, size_t(width) * 3);
        break;
    }
}

// One row of blue, green, red bytes into a layout without a colour table.
void BGRToRow(const uint8_t* src, int width, TPixelFormat f, uint8_t* dst)
{
    switch (Concrete(f)) {
    case pf15bit:
    case pf16bit: {
        bool six = Concrete(f) == pf16bit;
        for (int x = 0; x < width; ++x) {
            unsigned b = src[x * 3] >> 3, r = src[x * 3 + 2] >> 3;
            unsigned v = six ? (r << 11) | (unsigned(src[x * 3 + 1] >> 2) << 5) | b
                             : (r << 10) | (unsigned(src[x * 3 + 1] >> 3) << 5) | b;
            dst[x * 2] = uint8_t(v);
            dst[x * 2 + 1] = uint8_t(v >> 8);
        }
        break;
    }
    case pf32bit:
        for (int x = 0; x < width; ++x) {
            dst[x * 4] = src[x * 3];
            dst[x * 4 + 1] = src[x * 3 + 1];
            dst[x * 4 + 2] = src[x * 3 + 2];
            dst[x * 4 + 3] = 0;
        }
        break;
    default:
        std::memcpy(dst, src, size_t(width) * 3);
        break;
    }
}

bool IsPaletted(TPixelFormat f)
{
    TPixelFormat c = Concrete(f);
    return c == pf1bit || c == pf4bit || c == pf8bit;
}
} // namespace

// A section not yet given to a bitmap; freed unless adopted.
struct TBitmap::Image {
    TOwnedBitmap Section;
    uint8_t* Bits = nullptr;
    int Width = 0;
    int Height = 0;
    int Stride = 0;
    std::vector<RGBQUAD> Palette;

    Image() = default;

    // A bottom-up section; EOutOfResources when the system cannot make it.
    Image(int W, int H, TPixelFormat F, std::vector<RGBQUAD> Pal) : Width(W), Height(H)
    {
        if (W <= 0 || H <= 0 || W > kMaxSide || H > kMaxSide || int64_t(W) * H > kMaxPixels)
            throw EOutOfResources("Out of system resources");
        int bpp = BppOf(F);
        struct {
            BITMAPINFOHEADER h;
            RGBQUAD colors[256];
        } bi{};
        bi.h.biSize = sizeof(BITMAPINFOHEADER);
        bi.h.biWidth = W;
        bi.h.biHeight = H;
        bi.h.biPlanes = 1;
        bi.h.biBitCount = WORD(bpp);
        bi.h.biCompression = BI_RGB;
        if (Concrete(F) == pf16bit) {
            bi.h.biCompression = BI_BITFIELDS;
            const DWORD masks[3] = {0xF800, 0x07E0, 0x001F};
            std::memcpy(bi.colors, masks, sizeof(masks));
        }
        if (bpp <= 8) {
            Pal.resize(size_t(1) << bpp, RGBQUAD{0, 0, 0, 0});
            std::copy(Pal.begin(), Pal.end(), bi.colors);
            bi.h.biClrUsed = DWORD(Pal.size());
            Palette = std::move(Pal);
        }
        void* bits = nullptr;
        Section.Reset(CreateDIBSection(nullptr, reinterpret_cast<BITMAPINFO*>(&bi), DIB_RGB_COLORS, &bits, nullptr, 0));
        if (!Section || !bits)
            throw EOutOfResources("Out of system resources");
        Bits = static_cast<uint8_t*>(bits);
        Stride = StrideOf(W, bpp);
    }

    uint8_t* Row(int y) const { return Bits + size_t(Height - 1 - y) * Stride; }   // y from the top
};

struct TBitmap::DCScope {
    TMemoryDC Temp;
    HGDIOBJ Old = nullptr;
    ~DCScope()
    {
        if (Temp)
            SelectObject(Temp.Handle(), Old);
    }
};

Z_CLASS_IMPL(TBitmap, TGraphic)

TBitmap::TBitmap() = default;

TBitmap::~TBitmap()
{
    FCanvas.reset();   // lets go of the section before it is deleted
    if (FHandle)
        DeleteObject(FHandle);
}

void TBitmap::Adopt(Image& Img, TPixelFormat Format)
{
    HBITMAP old = FHandle;
    FHandle = Img.Section.Release();
    FBits = Img.Bits;
    FWidth = Img.Width;
    FHeight = Img.Height;
    FStride = Img.Stride;
    FPixelFormat = Format;
    FPalette = IsPaletted(Format) ? std::move(Img.Palette) : std::vector<RGBQUAD>();
    if (FCanvas)
        FCanvas->SelectBitmap();
    if (old)
        DeleteObject(old);
}

void TBitmap::Clear()
{
    if (HBITMAP old = ReleaseHandle())
        DeleteObject(old);
}

int TBitmap::BitsPerPixel() const
{
    return BppOf(FPixelFormat);
}

HDC TBitmap::OpenDC(DCScope& Scope)
{
    if (FCanvas && FCanvas->FOwnDC)
        return FCanvas->FOwnDC;
    Scope.Temp = TMemoryDC(nullptr);
    if (!Scope.Temp)
        throw EOutOfResources("Out of system resources");
    Scope.Old = SelectObject(Scope.Temp.Handle(), FHandle);
    return Scope.Temp.Handle();
}

void TBitmap::SetSize(int AWidth, int AHeight)
{
    AWidth = std::max(AWidth, 0);
    AHeight = std::max(AHeight, 0);
    if (AWidth == FWidth && AHeight == FHeight)
        return;
    if (AWidth == 0 || AHeight == 0) {
        Clear();
        FWidth = AWidth;
        FHeight = AHeight;
        Changed(this);
        return;
    }
    if (FPalette.empty() && IsPaletted(FPixelFormat))
        FPalette = DefaultPalette(BppOf(FPixelFormat));
    Image img(AWidth, AHeight, FPixelFormat, FPalette);
    int bpp = BppOf(FPixelFormat);
    // New parts are white: the palette entry nearest to white, or all bits set.
    uint8_t fill = 0xFF;
    if (bpp <= 8) {
        int best = 0, bestSum = -1;
        for (size_t i = 0; i < img.Palette.size(); ++i) {
            int s = img.Palette[i].rgbRed + img.Palette[i].rgbGreen + img.Palette[i].rgbBlue;
            if (s > bestSum) {
                bestSum = s;
                best = int(i);
            }
        }
        fill = bpp == 8 ? uint8_t(best) : bpp == 4 ? uint8_t(best * 0x11) : uint8_t(best ? 0xFF : 0);
    }
    std::memset(img.Bits, fill, size_t(img.Stride) * AHeight);
    if (FBits) {
        GdiFlush();
        int rows = std::min(FHeight, AHeight);
        int64_t bits = int64_t(std::min(FWidth, AWidth)) * bpp;
        size_t whole = size_t(bits / 8);
        int rest = int(bits % 8);
        uint8_t mask = uint8_t(0xFF00 >> rest);
        for (int y = 0; y < rows; ++y) {
            const uint8_t* s = FBits + size_t(FHeight - 1 - y) * FStride;
            uint8_t* d = img.Row(y);
            std::memcpy(d, s, whole);
            if (rest)
                d[whole] = uint8_t((s[whole] & mask) | (d[whole] & ~mask));
        }
    }
    Adopt(img, FPixelFormat);
    Changed(this);
}

void TBitmap::SetPixelFormat(TPixelFormat Value)
{
    if (Value == FPixelFormat || Value > pfCustom)
        return;
    if (Value == pfCustom)
        throw EInvalidGraphicOperation("Invalid pixel format");
    TPixelFormat from = Concrete(FPixelFormat), to = Concrete(Value);
    if (Empty() || !FBits || from == to) {
        if (from != to)
            FPalette = IsPaletted(Value) ? DefaultPalette(BppOf(Value)) : std::vector<RGBQUAD>();
        FPixelFormat = Value;
        Changed(this);
        return;
    }
    GdiFlush();
    Image img(FWidth, FHeight, Value, IsPaletted(Value) ? DefaultPalette(BppOf(Value)) : std::vector<RGBQUAD>());
    if (IsPaletted(Value)) {
        // Fewer colours: the system picks the nearest entry of the new colour table.
        DCScope src;
        HDC s = OpenDC(src);
        TMemoryDC d(nullptr);
        if (!d)
            throw EOutOfResources("Out of system resources");
        TSelectObject select(d.Handle(), img.Section.Handle());
        BitBlt(d.Handle(), 0, 0, FWidth, FHeight, s, 0, 0, SRCCOPY);
        GdiFlush();
    } else {
        std::vector<uint8_t> row(size_t(FWidth) * 3);
        for (int y = 0; y < FHeight; ++y) {
            RowToBGR(FBits + size_t(y) * FStride, FWidth, FPixelFormat, FPalette, row.data());
            BGRToRow(row.data(), FWidth, Value, img.Bits + size_t(y) * img.Stride);
        }
    }
    Adopt(img, Value);
    Changed(this);
}

void TBitmap::SetHandleType(TBitmapHandleType Value)
{
    if (Value == HandleType())
        return;
    if (Value == bmDIB)
        FPixelFormat = DeviceFormat();   // the same layout, now named
    else
        SetPixelFormat(pfDevice);
}

HBITMAP TBitmap::Handle()
{
    return FHandle;
}

void TBitmap::SetHandle(HBITMAP Value)
{
    if (Value == FHandle)
        return;
    if (!Value) {
        Clear();
        Changed(this);
        return;
    }
    DIBSECTION ds{};
    int got = GetObjectA(Value, sizeof(ds), &ds);
    if (got < int(sizeof(BITMAP)) || ds.dsBm.bmWidth <= 0 || ds.dsBm.bmHeight == 0)
        throw EInvalidGraphic(kInvalidBitmap);
    bool isDib = got == int(sizeof(DIBSECTION));
    int bpp = ds.dsBm.bmBitsPixel * ds.dsBm.bmPlanes;
    TPixelFormat f;
    switch (bpp) {
    case 1: f = pf1bit; break;
    case 4: f = pf4bit; break;
    case 8: f = pf8bit; break;
    case 16: f = isDib && ds.dsBitfields[0] == 0xF800 ? pf16bit : isDib ? pf15bit : pfDevice; break;
    case 24: f = pf24bit; break;
    default: f = pf32bit; break;
    }
    if (!isDib && bpp > 1)
        f = pfDevice;
    int w = ds.dsBm.bmWidth, h = std::abs(ds.dsBm.bmHeight);
    {
        TMemoryDC s(nullptr), d(nullptr);
        TSelectObject selectS(s.Handle(), Value);
        std::vector<RGBQUAD> pal;
        if (bpp <= 8) {
            pal.resize(size_t(1) << bpp);
            UINT n = isDib ? GetDIBColorTable(s.Handle(), 0, UINT(pal.size()), pal.data()) : 0;
            if (n == 0)
                pal = DefaultPalette(bpp);
        }
        Image img(w, h, f, pal);
        {
            // Out of the copying DC before the canvas may select it.
            TSelectObject selectD(d.Handle(), img.Section.Handle());
            BitBlt(d.Handle(), 0, 0, w, h, s.Handle(), 0, 0, SRCCOPY);
            GdiFlush();
        }
        Adopt(img, f);
    }
    // Out of every DC now, it can go.
    DeleteObject(Value);   // taken over: the picture lives on in our own section
    Changed(this);
}

HBITMAP TBitmap::ReleaseHandle()
{
    HBITMAP h = FHandle;
    FHandle = nullptr;
    FBits = nullptr;
    FWidth = FHeight = FStride = 0;
    if (FCanvas)
        FCanvas->SelectBitmap();
    return h;
}

TCanvas* TBitmap::Canvas()
{
    if (!FCanvas) {
        FCanvas = std::make_unique<TBitmapCanvas>(this);
        FCanvas->OnChange = MakeMethod<&TBitmap::CanvasChanged>(this);
    }
    return FCanvas.get();
}

void TBitmap::CanvasChanged(TObject*)
{
    Changed(this);
}

void* TBitmap::ScanLine(int Row)
{
    if (Row < 0 || Row >= FHeight || !FBits)
        throw EInvalidGraphicOperation("Scan line index out of range");
    if (FPixelFormat == pfDevice)
        FPixelFormat = DeviceFormat();
    GdiFlush();
    return FBits + size_t(FHeight - 1 - Row) * FStride;
}

TColor TBitmap::TransparentColor()
{
    if (FTransparentColor != clDefault)
        return ColorToRGB(FTransparentColor);
    if (!FBits)
        return clDefault;
    GdiFlush();
    uint8_t bgr[3 * 8];
    RowToBGR(FBits, 1, FPixelFormat, FPalette, bgr);   // the bottom row comes first in memory
    return TColor(RGB(bgr[2], bgr[1], bgr[0]));
}

void TBitmap::SetTransparentColor(TColor Value)
{
    if (Value != FTransparentColor) {
        FTransparentColor = Value;
        FTransparentMode = Value == clDefault ? tmAuto : tmFixed;
        Changed(this);
    }
}

void TBitmap::SetTransparentMode(TTransparentMode Value)
{
    if (Value == FTransparentMode)
        return;
    if (Value == tmAuto)
        SetTransparentColor(clDefault);
    else
        SetTransparentColor(TransparentColor());
}

void TBitmap::Draw(TCanvas* ACanvas, const TRect& R)
{
    if (Empty())
        return;
    HDC dst = ACanvas->Handle();
    DCScope scope;
    HDC src = OpenDC(scope);
    if (FTransparent) {
        UINT key = static_cast<UINT>(ColorToRGB(TransparentColor())) & 0xFFFFFF;
        TransparentBlt(dst, R.Left, R.Top, R.Width(), R.Height(), src, 0, 0, FWidth, FHeight, key);
    } else {
        int oldMode = SetStretchBltMode(dst, COLORONCOLOR);
        StretchBlt(dst, R.Left, R.Top, R.Width(), R.Height(), src, 0, 0, FWidth, FHeight, ACanvas->CopyMode());
        SetStretchBltMode(dst, oldMode);
    }
}

void TBitmap::Assign(TPersistent* Source)
{
    if (!Source) {
        Clear();
        Changed(this);
        return;
    }
    auto* b = dynamic_cast<TBitmap*>(Source);
    if (!b) {
        inherited::Assign(Source);
        return;
    }
    if (b == this)
        return;
    if (b->FBits) {
        GdiFlush();
        Image img(b->FWidth, b->FHeight, b->FPixelFormat, b->FPalette);
        std::memcpy(img.Bits, b->FBits, size_t(b->FStride) * b->FHeight);
        Adopt(img, b->FPixelFormat);
    } else {
        Clear();
        FWidth = b->FWidth;
        FHeight = b->FHeight;
        FPixelFormat = b->FPixelFormat;
        FPalette = b->FPalette;
    }
    FTransparent = b->FTransparent;
    FTransparentColor = b->FTransparentColor;
    FTransparentMode = b->FTransparentMode;
    Changed(this);
}

// ---------------------------------------------------------------------------------------
// TBitmap: bitmap files

// Bytes of a bitmap file from a stream or from memory. Every read is checked against what is
// left, so a damaged size can neither read past the end nor make us allocate for it.
struct zdetail::BmpSource {
    explicit BmpSource(int64_t left) : Left(left < 0 ? 0 : left) {}
    virtual ~BmpSource() = default;
    int64_t Left;
    int64_t Consumed = 0;

    void Read(void* p, int64_t n)
    {
        if (n < 0 || n > Left)
            InvalidBitmap();
        ReadRaw(p, size_t(n));
        Left -= n;
        Consumed += n;
    }
    void Skip(int64_t n)
    {
        if (n < 0 || n > Left)
            InvalidBitmap();
        SkipRaw(size_t(n));
        Left -= n;
        Consumed += n;
    }

protected:
    virtual void ReadRaw(void* p, size_t n) = 0;
    virtual void SkipRaw(size_t n) = 0;
};

namespace {
struct StreamSource : zdetail::BmpSource {
    StreamSource(TStream* s, int64_t left) : BmpSource(left), S(s) {}
    explicit StreamSource(TStream* s) : StreamSource(s, s->Size() - s->Position()) {}
    TStream* S;
    void ReadRaw(void* p, size_t n) override
    {
        if (S->Read(p, int32_t(n)) != int32_t(n))
            InvalidBitmap();
    }
    void SkipRaw(size_t n) override { S->Seek(int64_t(n), soFromCurrent); }
};

struct MemorySource : zdetail::BmpSource {
    MemorySource(const void* p, size_t n) : BmpSource(int64_t(n)), P(static_cast<const uint8_t*>(p)) {}
    const uint8_t* P;
    void ReadRaw(void* d, size_t n) override
    {
        std::memcpy(d, P, n);
        P += n;
    }
    void SkipRaw(size_t n) override { P += n; }
};

inline uint16_t LE16(const uint8_t* p) { return uint16_t(p[0] | (p[1] << 8)); }
inline uint32_t LE32(const uint8_t* p) { return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24); }
inline void PutLE16(uint8_t* p, uint32_t v) { p[0] = uint8_t(v); p[1] = uint8_t(v >> 8); }
inline void PutLE32(uint8_t* p, uint32_t v) { PutLE16(p, v); PutLE16(p + 2, v >> 16); }

// A colour mask of a bit-field picture: one run of bits, scaled to 0..255.
struct Channel {
    int Shift = 0;
    uint32_t Max = 0;
    uint32_t Mask = 0;
    bool Set(uint32_t mask)
    {
        if (!mask)
            return false;
        Mask = mask;
        while (!(mask & 1)) {
            mask >>= 1;
            ++Shift;
        }
        Max = mask;
        return (mask & (mask + 1)) == 0;   // contiguous
    }
    uint8_t Of(uint32_t v) const { return uint8_t((uint64_t((v & Mask) >> Shift) * 255 + Max / 2) / Max); }
};

// Run-length pictures of 8 or 4 bits into a bottom-up section of the same depth. Runs past
// the right edge or the top are dropped; the data ending early ends the picture.
void DecodeRLE(const uint8_t* d, size_t n, bool four, uint8_t* bits, int W, int H, int stride)
{
    int x = 0, y = 0;
    auto put = [&](int px, unsigned v) {
        if (px >= W || y >= H)
            return;
        uint8_t* row = bits + size_t(y) * stride;
        if (four) {
            uint8_t& b = row[px >> 1];
            b = (px & 1) ? uint8_t((b & 0xF0) | (v & 15)) : uint8_t((b & 0x0F) | (v << 4));
        } else
            row[px] = uint8_t(v);
    };
    size_t i = 0;
    while (i + 1 < n && y < H) {
        unsigned a = d[i], b = d[i + 1];
        i += 2;
        if (a) {
            for (unsigned k = 0; k < a && x + int(k) < W; ++k)
                put(x + int(k), four ? ((k & 1) ? (b & 15) : (b >> 4)) : b);
            x = std::min(x + int(a), W);
        } else if (b == 0) {
            x = 0;
            ++y;
        } else if (b == 1) {
            break;
        } else if (b == 2) {
            if (i + 1 >= n)
                break;
            x = std::min(x + int(d[i]), W);
            y += d[i + 1];
            i += 2;
        } else {
            size_t bytes = four ? (b + 1) / 2 : b;
            if (i + bytes > n)
                break;
            for (unsigned k = 0; k < b && x + int(k) < W; ++k)
                put(x + int(k), four ? ((k & 1) ? (d[i + k / 2] & 15) : (d[i + k / 2] >> 4)) : d[i + k]);
            x = std::min(x + int(b), W);
            i += bytes + (bytes & 1);
        }
    }
}
} // namespace

void TBitmap::Decode(zdetail::BmpSource& Src, bool HasFileHeader)
{
    uint32_t offBits = 0;
    if (HasFileHeader) {
        uint8_t fh[14];
        Src.Read(fh, sizeof(fh));
        if (fh[0] != 'B' || fh[1] != 'M')
            InvalidBitmap();
        offBits = LE32(fh + 10);
    }
    uint8_t ih[124] = {};
    Src.Read(ih, 4);
    uint32_t hsize = LE32(ih);
    if (hsize != 12 && hsize != 40 && hsize != 52 && hsize != 56 && hsize != 108 && hsize != 124)
        InvalidBitmap();
    Src.Read(ih + 4, hsize - 4);

    int64_t width, height;
    int bpp;
    uint32_t compression = BI_RGB, sizeImage = 0, clrUsed = 0;
    int palEntry = 4;
    if (hsize == 12) {
        width = LE16(ih + 4);
        height = LE16(ih + 6);
        bpp = LE16(ih + 10);
        palEntry = 3;
    } else {
        width = int32_t(LE32(ih + 4));
        height = int32_t(LE32(ih + 8));
        bpp = LE16(ih + 14);
        compression = LE32(ih + 16);
        sizeImage = LE32(ih + 20);
        clrUsed = LE32(ih + 32);
    }
    bool topDown = height < 0;
    int64_t W = width, H = topDown ? -height : height;
    if (W <= 0 || H <= 0 || W > kMaxSide || H > kMaxSide || W * H > kMaxPixels)
        InvalidBitmap();
    if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 16 && bpp != 24 && bpp != 32)
        InvalidBitmap();
    bool rle = compression == BI_RLE8 || compression == BI_RLE4;
    if ((compression == BI_RLE8 && bpp != 8) || (compression == BI_RLE4 && bpp != 4) ||
        (compression == BI_BITFIELDS && bpp != 16 && bpp != 32) || compression > BI_BITFIELDS ||
        (rle && topDown))
        InvalidBitmap();

    uint32_t masks[3] = {0, 0, 0};
    if (compression == BI_BITFIELDS) {
        uint8_t m[12];
        if (hsize >= 52)
            std::memcpy(m, ih + 40, 12);
        else
            Src.Read(m, 12);
        masks[0] = LE32(m);
        masks[1] = LE32(m + 4);
        masks[2] = LE32(m + 8);
    } else if (bpp == 16) {
        masks[0] = 0x7C00, masks[1] = 0x03E0, masks[2] = 0x001F;
    } else {
        masks[0] = 0xFF0000, masks[1] = 0x00FF00, masks[2] = 0x0000FF;
    }
    Channel ch[3];
    uint32_t limit = bpp == 16 ? 0xFFFFu : 0xFFFFFFFFu;
    for (int i = 0; i < 3; ++i)
        if (!ch[i].Set(masks[i]) || (masks[i] & ~limit))
            InvalidBitmap();
    if ((masks[0] & masks[1]) || (masks[0] & masks[2]) || (masks[1] & masks[2]))
        InvalidBitmap();

    std::vector<RGBQUAD> pal;
    if (bpp <= 8) {
        uint32_t n = clrUsed ? clrUsed : 1u << bpp;
        if (n > (1u << bpp))
            InvalidBitmap();
        // Some writers keep fewer entries than the depth holds; the pixel offset tells.
        if (HasFileHeader && offBits > Src.Consumed && !clrUsed)
            n = uint32_t(std::min<int64_t>(n, (offBits - Src.Consumed) / palEntry));
        std::vector<uint8_t> raw(size_t(n) * palEntry);
        Src.Read(raw.data(), int64_t(raw.size()));
        pal.resize(n);
        for (uint32_t i = 0; i < n; ++i)
            pal[i] = Quad(raw[i * palEntry + 2], raw[i * palEntry + 1], raw[i * palEntry]);
    }

    if (HasFileHeader && offBits != 0) {
        if (offBits < Src.Consumed)
            InvalidBitmap();   // the pixels cannot start inside the headers
        Src.Skip(offBits - Src.Consumed);
    } else if (bpp > 8 && clrUsed) {
        Src.Skip(int64_t(clrUsed) * 4);
    }

    TPixelFormat fmt;
    bool generic = false;
    switch (bpp) {
    case 1: fmt = pf1bit; break;
    case 4: fmt = pf4bit; break;
    case 8: fmt = pf8bit; break;
    case 16:
        fmt = masks[0] == 0x7C00 && masks[1] == 0x03E0 && masks[2] == 0x1F   ? pf15bit
              : masks[0] == 0xF800 && masks[1] == 0x07E0 && masks[2] == 0x1F ? pf16bit
                                                                             : pf24bit;
        generic = fmt == pf24bit;
        break;
    case 24: fmt = pf24bit; break;
    default:
        fmt = masks[0] == 0xFF0000 && masks[1] == 0xFF00 && masks[2] == 0xFF ? pf32bit : pf24bit;
        generic = fmt == pf24bit;
        break;
    }

    int fileStride = StrideOf(int(W), bpp);
    if (rle) {
        int64_t n = sizeImage ? int64_t(sizeImage) : Src.Left;
        std::vector<uint8_t> data(size_t(std::min(n, Src.Left)));
        Src.Read(data.data(), n);   // a size beyond the end is damage
        Image img(int(W), int(H), fmt, pal);
        DecodeRLE(data.data(), data.size(), bpp == 4, img.Bits, int(W), int(H), img.Stride);
        Adopt(img, fmt);
        return;
    }
    if (int64_t(fileStride) * H > Src.Left)
        InvalidBitmap();
    Image img(int(W), int(H), fmt, pal);
    if (!generic) {
        if (!topDown)
            Src.Read(img.Bits, int64_t(fileStride) * H);
        else
            for (int y = 0; y < int(H); ++y)
                Src.Read(img.Row(y), fileStride);
    } else {
        std::vector<uint8_t> row(static_cast<size_t>(fileStride));
        int step = bpp / 8;
        for (int i = 0; i < int(H); ++i) {
            Src.Read(row.data(), fileStride);
            uint8_t* d = topDown ? img.Row(i) : img.Bits + size_t(i) * img.Stride;
            for (int x = 0; x < int(W); ++x) {
                uint32_t v = step == 2 ? LE16(&row[size_t(x) * 2]) : LE32(&row[size_t(x) * 4]);
                d[x * 3] = ch[2].Of(v);
                d[x * 3 + 1] = ch[1].Of(v);
                d[x * 3 + 2] = ch[0].Of(v);
            }
        }
    }
    Adopt(img, fmt);
}

void TBitmap::LoadFromSource(zdetail::BmpSource& Src)
{
    if (Src.Left == 0)
        Clear();
    else
        Decode(Src, true);
    Changed(this);
}

void TBitmap::LoadFromStream(TStream* Stream)
{
    StreamSource src(Stream);
    LoadFromSource(src);
}

void TBitmap::LoadFromMemory(const void* Data, size_t Size)
{
    MemorySource src(Data, Data ? Size : 0);
    LoadFromSource(src);
}

void TBitmap::LoadFromResource(HINSTANCE Instance, const char* Name, const AnsiString& Shown)
{
    HRSRC r = FindResourceA(Instance, Name, reinterpret_cast<LPCSTR>(RT_BITMAP));
    HGLOBAL g = r ? LoadResource(Instance, r) : nullptr;
    const void* p = g ? LockResource(g) : nullptr;
    if (!p)
        throw EResNotFound(Format("Resource %s not found", Shown.c_str()));
    // A bitmap resource is a bitmap file without its file header.
    MemorySource src(p, SizeofResource(Instance, r));
    Decode(src, false);
    Changed(this);
}

void TBitmap::LoadFromResourceName(HINSTANCE Instance, const AnsiString& ResName)
{
    LoadFromResource(Instance, ResName.c_str(), ResName);
}

void TBitmap::LoadFromResourceID(HINSTANCE Instance, int ResID)
{
    LoadFromResource(Instance, MAKEINTRESOURCEA(ResID), IntToStr(ResID));
}

int64_t TBitmap::FileSize() const
{
    if (!FBits)
        return 0;
    int bpp = BppOf(FPixelFormat);
    int64_t pal = bpp <= 8 ? (int64_t(1) << bpp) * 4 : 0;
    int64_t masks = Concrete(FPixelFormat) == pf16bit ? 12 : 0;
    return 14 + 40 + masks + pal + int64_t(FStride) * FHeight;
}

void TBitmap::SaveToStream(TStream* Stream)
{
    if (!FBits)
        return;
    GdiFlush();
    int bpp = BppOf(FPixelFormat);
    uint32_t palCount = bpp <= 8 ? 1u << bpp : 0;
    bool bitfields = Concrete(FPixelFormat) == pf16bit;
    uint32_t imageSize = uint32_t(FStride) * uint32_t(FHeight);
    uint32_t offBits = 14 + 40 + (bitfields ? 12 : 0) + palCount * 4;
    uint8_t h[14 + 40 + 12] = {};
    h[0] = 'B';
    h[1] = 'M';
    PutLE32(h + 2, offBits + imageSize);
    PutLE32(h + 10, offBits);
    uint8_t* i = h + 14;
    PutLE32(i, 40);
    PutLE32(i + 4, uint32_t(FWidth));
    PutLE32(i + 8, uint32_t(FHeight));
    PutLE16(i + 12, 1);
    PutLE16(i + 14, uint32_t(bpp));
    PutLE32(i + 16, bitfields ? BI_BITFIELDS : BI_RGB);
    PutLE32(i + 20, imageSize);
    PutLE32(i + 32, palCount);
    if (bitfields) {
        PutLE32(i + 40, 0xF800);
        PutLE32(i + 44, 0x07E0);
        PutLE32(i + 48, 0x001F);
    }
    Stream->WriteBuffer(h, int32_t(14 + 40 + (bitfields ? 12 : 0)));
    if (palCount) {
        std::vector<RGBQUAD> pal = FPalette;
        pal.resize(palCount, RGBQUAD{0, 0, 0, 0});
        Stream->WriteBuffer(pal.data(), int32_t(palCount * sizeof(RGBQUAD)));
    }
    Stream->WriteBuffer(FBits, int32_t(imageSize));
}

void TBitmap::ReadData(TStream* Stream)
{
    uint8_t sz[4];
    if (Stream->Read(sz, 4) != 4)
        InvalidBitmap();
    int32_t size = int32_t(LE32(sz));
    StreamSource src(Stream);
    if (size < 0 || size > src.Left)
        InvalidBitmap();
    src.Left = size;
    LoadFromSource(src);
    if (src.Left > 0)
        Stream->Seek(src.Left, soFromCurrent);   // whatever the block holds past the picture
}

void TBitmap::WriteData(TStream* Stream)
{
    uint8_t sz[4];
    PutLE32(sz, uint32_t(FileSize()));
    Stream->WriteBuffer(sz, 4);
    SaveToStream(Stream);
}

// ---------------------------------------------------------------------------------------
// TBitmapCanvas

Z_CLASS_IMPL(TBitmapCanvas, TCanvas)

TBitmapCanvas::~TBitmapCanvas()
{
    FreeContext();
}

void TBitmapCanvas::CreateHandle()
{
    if (!FOwnDC) {
        FOwnDC = CreateCompatibleDC(nullptr);
        if (!FOwnDC)
            return;
        SetStretchBltMode(FOwnDC, COLORONCOLOR);
        FOldBitmap = nullptr;
        SelectBitmap();
    }
    SetHandle(FOwnDC);
}

void TBitmapCanvas::SelectBitmap()
{
    if (!FOwnDC)
        return;
    if (FBitmap->FHandle) {
        HGDIOBJ prev = SelectObject(FOwnDC, FBitmap->FHandle);
        if (!FOldBitmap)
            FOldBitmap = prev;
    } else if (FOldBitmap) {
        SelectObject(FOwnDC, FOldBitmap);
        FOldBitmap = nullptr;
    }
}

void TBitmapCanvas::FreeContext()
{
    if (!FOwnDC)
        return;
    if (HandleAllocated())
        SetHandle(nullptr);
    if (FOldBitmap)
        SelectObject(FOwnDC, FOldBitmap);
    DeleteDC(FOwnDC);
    FOwnDC = nullptr;
    FOldBitmap = nullptr;
}

// ---------------------------------------------------------------------------------------
// TIcon

namespace {
[[noreturn]] void InvalidIcon()
{
    throw EInvalidGraphic("Icon image is not valid");
}

// The pixels of a bitmap of the system's as 32-bit rows, bottom row first.
std::vector<uint8_t> Bits32(HBITMAP b, int w, int rows)
{
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = rows;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    std::vector<uint8_t> v(size_t(w) * 4 * rows);
    TClientDC dc(nullptr);
    GetDIBits(dc.Handle(), b, 0, UINT(rows), v.data(), &bi, DIB_RGB_COLORS);
    return v;
}

// A one-image icon file of 32 bits from an icon handle.
std::vector<uint8_t> IconFile(HICON icon)
{
    ICONINFO ii{};
    if (!GetIconInfo(icon, &ii))
        return {};
    // The information comes with copies of the icon's bitmaps, ours to delete.
    TOwnedBitmap colorCopy(ii.hbmColor), maskCopy(ii.hbmMask);
    BITMAP bm{};
    GetObjectA(ii.hbmMask, sizeof(bm), &bm);
    int w = bm.bmWidth, h = ii.hbmColor ? bm.bmHeight : bm.bmHeight / 2;
    std::vector<uint8_t> file;
    if (w > 0 && h > 0 && w <= 256 && h <= 256) {
        // A monochrome icon keeps its AND mask above its image in one bitmap.
        std::vector<uint8_t> mask = Bits32(ii.hbmMask, w, ii.hbmColor ? h : 2 * h);
        size_t plane = size_t(w) * 4 * h;
        std::vector<uint8_t> color = ii.hbmColor ? Bits32(ii.hbmColor, w, h)
                                                 : std::vector<uint8_t>(mask.begin(), mask.begin() + plane);
        const uint8_t* andPix = mask.data() + (ii.hbmColor ? 0 : plane);
        bool alpha = false;
        for (size_t i = 3; i < plane; i += 4)
            alpha |= color[i] != 0;
        int andStride = StrideOf(w, 1);
        std::vector<uint8_t> andBits(size_t(andStride) * h, 0);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                bool clear = andPix[(size_t(y) * w + x) * 4] != 0;
                if (clear)
                    andBits[size_t(y) * andStride + x / 8] |= uint8_t(0x80 >> (x % 8));
                if (!alpha)
                    color[(size_t(y) * w + x) * 4 + 3] = clear ? 0 : 255;
            }
        uint32_t imageSize = uint32_t(40 + color.size() + andBits.size());
        file.resize(6 + 16 + 40);
        uint8_t* d = file.data();
        PutLE16(d + 2, 1);       // an icon
        PutLE16(d + 4, 1);       // one image
        d[6] = uint8_t(w & 0xFF);  // 256 is written as 0
        d[7] = uint8_t(h & 0xFF);
        PutLE16(d + 10, 1);
        PutLE16(d + 12, 32);
        PutLE32(d + 14, imageSize);
        PutLE32(d + 18, 22);
        PutLE32(d + 22, 40);
        PutLE32(d + 26, uint32_t(w));
        PutLE32(d + 30, uint32_t(2 * h));
        PutLE16(d + 34, 1);
        PutLE16(d + 36, 32);
        PutLE32(d + 42, uint32_t(color.size() + andBits.size()));
        file.insert(file.end(), color.begin(), color.end());
        file.insert(file.end(), andBits.begin(), andBits.end());
    }
    return file;
}
} // namespace

Z_CLASS_IMPL(TIcon, TGraphic)

TIcon::~TIcon()
{
    if (FHandle)
        DestroyIcon(FHandle);
}

void TIcon::SetWidth(int)
{
    throw EInvalidGraphicOperation("Cannot change the size of an icon");
}

void TIcon::SetHeight(int)
{
    throw EInvalidGraphicOperation("Cannot change the size of an icon");
}

void TIcon::Take(HICON Value, std::vector<uint8_t> Data)
{
    if (FHandle && FHandle != Value)
        DestroyIcon(FHandle);
    FHandle = Value;
    FData = std::move(Data);
    FWidth = FHeight = 0;
    ICONINFO ii{};
    if (Value && GetIconInfo(Value, &ii)) {
        TOwnedBitmap colorCopy(ii.hbmColor), maskCopy(ii.hbmMask);
        BITMAP bm{};
        GetObjectA(ii.hbmMask, sizeof(bm), &bm);
        FWidth = bm.bmWidth;
        FHeight = ii.hbmColor ? bm.bmHeight : bm.bmHeight / 2;
    }
    Changed(this);
}

void TIcon::SetHandle(HICON Value)
{
    if (Value != FHandle)
        Take(Value, {});
}

HICON TIcon::ReleaseHandle()
{
    HICON h = FHandle;
    FHandle = nullptr;
    Take(nullptr, {});
    return h;
}

void TIcon::LoadFromStream(TStream* Stream)
{
    StreamSource src(Stream);
    if (src.Left == 0) {
        Take(nullptr, {});
        return;
    }
    try {
        uint8_t dir[6];
        src.Read(dir, 6);
        unsigned count = LE16(dir + 4);
        if (LE16(dir) != 0 || LE16(dir + 2) != 1 || count == 0)
            InvalidIcon();
        std::vector<uint8_t> entries(size_t(count) * 16);
        src.Read(entries.data(), int64_t(entries.size()));
        // The file ends where its last image ends.
        int64_t end = 6 + int64_t(entries.size());
        int want = GetSystemMetrics(SM_CXICON), best = -1;
        int64_t bestScore = INT64_MAX;
        for (unsigned i = 0; i < count; ++i) {
            const uint8_t* e = &entries[size_t(i) * 16];
            int64_t size = LE32(e + 8), offset = LE32(e + 12);
            if (size < 40 || offset < 6 + int64_t(entries.size()) || offset + size > src.Consumed + src.Left)
                InvalidIcon();
            end = std::max(end, offset + size);
            int w = e[0] ? e[0] : 256;
            int64_t score = int64_t(std::abs(w - want)) * 1000 - LE16(e + 6);
            if (score < bestScore) {
                bestScore = score;
                best = int(i);
            }
        }
        std::vector<uint8_t> file(static_cast<size_t>(end));
        std::memcpy(file.data(), dir, 6);
        std::memcpy(file.data() + 6, entries.data(), entries.size());
        src.Read(file.data() + 6 + entries.size(), end - 6 - int64_t(entries.size()));
        const uint8_t* e = &entries[size_t(best) * 16];
        int w = e[0] ? e[0] : 256, h = e[1] ? e[1] : 256;
        HICON icon = CreateIconFromResourceEx(file.data() + LE32(e + 12), LE32(e + 8), TRUE, 0x00030000, w, h,
                                              LR_DEFAULTCOLOR);
        if (!icon)
            InvalidIcon();
        Take(icon, std::move(file));
    } catch (const EInvalidGraphic&) {
        InvalidIcon();
    }
}

void TIcon::SaveToStream(TStream* Stream)
{
    if (!FHandle)
        return;
    std::vector<uint8_t> file = FData.empty() ? IconFile(FHandle) : FData;
    if (!file.empty())
        Stream->WriteBuffer(file.data(), int32_t(file.size()));
}

void TIcon::Assign(TPersistent* Source)
{
    if (auto* i = dynamic_cast<TIcon*>(Source)) {
        if (i != this)
            Take(i->FHandle ? CopyIcon(i->FHandle) : nullptr, i->FData);
        return;
    }
    if (!Source) {
        Take(nullptr, {});
        return;
    }
    inherited::Assign(Source);
}

void TIcon::Draw(TCanvas* ACanvas, const TRect& R)
{
    if (FHandle)
        DrawIconEx(ACanvas->Handle(), R.Left, R.Top, FHandle, R.Width(), R.Height(), 0, nullptr, DI_NORMAL);
}
