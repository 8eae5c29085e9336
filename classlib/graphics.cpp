#include "classlib/graphics.h"
#include "classlib/gdihandles.h"

#include <cstddef>
#include <cstring>
#include <iterator>
#include <memory>

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
