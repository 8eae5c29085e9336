// Colours, fonts, pens, brushes, the canvas, graphics and bitmaps of the class library.
//
// Bitmaps are always device-independent sections held in memory, so that painting code can
// reach their pixels by scan line; a canvas selects its font, pen and brush into a DC on demand
// and puts the DC's own objects back when it lets the DC go.
#pragma once

#include "classlib/classes.h"

#include <cstdint>
#include <initializer_list>
#include <memory>
#include <vector>

class TCanvas;
class TGraphic;
class TBitmap;

ZANDREL_EXCEPTION(EInvalidGraphic, Exception);
ZANDREL_EXCEPTION(EInvalidGraphicOperation, Exception);
ZANDREL_EXCEPTION(EOutOfResources, EOutOfMemory);

// ---------------------------------------------------------------------------------------
// Points, rectangles, sizes: the platform's records, laid out as the API's POINT, RECT, SIZE.

struct TPoint {
    int32_t X = 0;
    int32_t Y = 0;
    constexpr TPoint() = default;
    constexpr TPoint(int32_t x, int32_t y) : X(x), Y(y) {}
    constexpr TPoint(const POINT& p) : X(p.x), Y(p.y) {}
    operator POINT() const { return POINT{X, Y}; }
    constexpr bool operator==(const TPoint&) const = default;
};

struct TRect {
    int32_t Left = 0;
    int32_t Top = 0;
    int32_t Right = 0;
    int32_t Bottom = 0;
    constexpr TRect() = default;
    constexpr TRect(int32_t l, int32_t t, int32_t r, int32_t b) : Left(l), Top(t), Right(r), Bottom(b) {}
    constexpr TRect(const TPoint& tl, const TPoint& br) : Left(tl.X), Top(tl.Y), Right(br.X), Bottom(br.Y) {}
    constexpr TRect(const RECT& r) : Left(r.left), Top(r.top), Right(r.right), Bottom(r.bottom) {}
    operator RECT() const { return RECT{Left, Top, Right, Bottom}; }
    // The same bytes as the API's RECT, for calls that take a pointer.
    RECT* Win() { return reinterpret_cast<RECT*>(this); }
    const RECT* Win() const { return reinterpret_cast<const RECT*>(this); }
    constexpr int32_t Width() const { return Right - Left; }
    constexpr int32_t Height() const { return Bottom - Top; }
    constexpr TPoint TopLeft() const { return TPoint(Left, Top); }
    constexpr TPoint BottomRight() const { return TPoint(Right, Bottom); }
    constexpr bool IsEmpty() const { return Right <= Left || Bottom <= Top; }
    constexpr bool Contains(const TPoint& p) const
    {
        return p.X >= Left && p.X < Right && p.Y >= Top && p.Y < Bottom;
    }
    constexpr bool operator==(const TRect&) const = default;
};

using TSize = SIZE;

static_assert(sizeof(TPoint) == sizeof(POINT) && sizeof(TRect) == sizeof(RECT));

constexpr TPoint Point(int32_t X, int32_t Y) { return TPoint(X, Y); }
constexpr TRect Rect(int32_t Left, int32_t Top, int32_t Right, int32_t Bottom)
{
    return TRect(Left, Top, Right, Bottom);
}
constexpr TRect Bounds(int32_t Left, int32_t Top, int32_t Width, int32_t Height)
{
    return TRect(Left, Top, Left + Width, Top + Height);
}

// ---------------------------------------------------------------------------------------
// Colours: 0x00BBGGRR, or a system colour 0x80000000 | COLOR_xxx.

using TColor = int32_t;

constexpr TColor SysColor(int index) { return static_cast<TColor>(0x80000000u | unsigned(index)); }

constexpr TColor clScrollBar = SysColor(COLOR_SCROLLBAR);
constexpr TColor clBackground = SysColor(COLOR_BACKGROUND);
constexpr TColor clActiveCaption = SysColor(COLOR_ACTIVECAPTION);
constexpr TColor clInactiveCaption = SysColor(COLOR_INACTIVECAPTION);
constexpr TColor clMenu = SysColor(COLOR_MENU);
constexpr TColor clWindow = SysColor(COLOR_WINDOW);
constexpr TColor clWindowFrame = SysColor(COLOR_WINDOWFRAME);
constexpr TColor clMenuText = SysColor(COLOR_MENUTEXT);
constexpr TColor clWindowText = SysColor(COLOR_WINDOWTEXT);
constexpr TColor clCaptionText = SysColor(COLOR_CAPTIONTEXT);
constexpr TColor clActiveBorder = SysColor(COLOR_ACTIVEBORDER);
constexpr TColor clInactiveBorder = SysColor(COLOR_INACTIVEBORDER);
constexpr TColor clAppWorkSpace = SysColor(COLOR_APPWORKSPACE);
constexpr TColor clHighlight = SysColor(COLOR_HIGHLIGHT);
constexpr TColor clHighlightText = SysColor(COLOR_HIGHLIGHTTEXT);
constexpr TColor clBtnFace = SysColor(COLOR_BTNFACE);
constexpr TColor clBtnShadow = SysColor(COLOR_BTNSHADOW);
constexpr TColor clGrayText = SysColor(COLOR_GRAYTEXT);
constexpr TColor clBtnText = SysColor(COLOR_BTNTEXT);
constexpr TColor clInactiveCaptionText = SysColor(COLOR_INACTIVECAPTIONTEXT);
constexpr TColor clBtnHighlight = SysColor(COLOR_BTNHIGHLIGHT);
constexpr TColor cl3DDkShadow = SysColor(COLOR_3DDKSHADOW);
constexpr TColor cl3DLight = SysColor(COLOR_3DLIGHT);
constexpr TColor clInfoText = SysColor(COLOR_INFOTEXT);
constexpr TColor clInfoBk = SysColor(COLOR_INFOBK);
constexpr TColor clHotLight = SysColor(26);
constexpr TColor clGradientActiveCaption = SysColor(27);
constexpr TColor clGradientInactiveCaption = SysColor(28);
constexpr TColor clMenuHighlight = SysColor(29);
constexpr TColor clMenuBar = SysColor(30);

constexpr TColor clBlack = 0x000000;
constexpr TColor clMaroon = 0x000080;
constexpr TColor clGreen = 0x008000;
constexpr TColor clOlive = 0x008080;
constexpr TColor clNavy = 0x800000;
constexpr TColor clPurple = 0x800080;
constexpr TColor clTeal = 0x808000;
constexpr TColor clGray = 0x808080;
constexpr TColor clSilver = 0xC0C0C0;
constexpr TColor clRed = 0x0000FF;
constexpr TColor clLime = 0x00FF00;
constexpr TColor clYellow = 0x00FFFF;
constexpr TColor clBlue = 0xFF0000;
constexpr TColor clFuchsia = 0xFF00FF;
constexpr TColor clAqua = 0xFFFF00;
constexpr TColor clLtGray = 0xC0C0C0;
constexpr TColor clDkGray = 0x808080;
constexpr TColor clWhite = 0xFFFFFF;
constexpr TColor clMoneyGreen = 0xC0DCC0;
constexpr TColor clSkyBlue = 0xF0CAA6;
constexpr TColor clCream = 0xF0FBFF;
constexpr TColor clMedGray = 0xA4A0A0;
constexpr TColor clNone = 0x1FFFFFFF;
constexpr TColor clDefault = 0x20000000;

// A system colour becomes the system's current value; any other colour stays as it is.
TColor ColorToRGB(TColor Color);
// "clBtnFace" for a named colour, else "$00BBGGRR".
AnsiString ColorToString(TColor Color);
// A colour name or an integer ("$FF00FF", "16711935"); EConvertError for other text.
TColor StringToColor(const AnsiString& S);
bool ColorToIdent(TColor Color, AnsiString& Ident);
bool IdentToColor(const AnsiString& Ident, TColor& Color);

// The screen's logical pixels per inch (LOGPIXELSY), read once.
int ScreenLogPixels();

// ---------------------------------------------------------------------------------------
// Fonts, pens, brushes

class TGraphicsObject : public TPersistent {
    Z_CLASS(TGraphicsObject, TPersistent)
public:
    TNotifyEvent OnChange;

protected:
    virtual void Changed();
    // Listeners hear of a change while the old handle still exists, so a canvas can select
    // the new one before the old one is deleted.
    template <class H> void ReplaceHandle(H& Field, H Value)
    {
        H old = Field;
        Field = Value;
        Changed();
        if (old && old != Value)
            DeleteObject(old);
    }
};

enum TFontStyle : uint8_t { fsBold = 1, fsItalic = 2, fsUnderline = 4, fsStrikeOut = 8 };
using TFontStyles = uint8_t;
enum TFontPitch : uint8_t { fpDefault, fpVariable, fpFixed };
using TFontCharset = uint8_t;
using TFontName = AnsiString;

class TFont : public TGraphicsObject {
    Z_CLASS(TFont, TGraphicsObject)
public:
    TFont();
    ~TFont() override;

    // The font made from the properties, created on first use and after every change of
    // them. Setting a handle hands it to the font, which reads its properties back from it.
    HFONT Handle();
    void SetHandle(HFONT Value);
    bool HandleAllocated() const { return FHandle != nullptr; }

    const TFontName& Name() const { return FName; }
    void SetName(const TFontName& Value);
    int Height() const { return FHeight; }
    void SetHeight(int Value);
    int Size() const;                    // points, from Height and PixelsPerInch
    void SetSize(int Value);
    TFontStyles Style() const { return FStyle; }
    void SetStyle(TFontStyles Value);
    TColor Color() const { return FColor; }
    void SetColor(TColor Value);
    TFontCharset Charset() const { return FCharset; }
    void SetCharset(TFontCharset Value);
    TFontPitch Pitch() const { return FPitch; }
    void SetPitch(TFontPitch Value);
    int PixelsPerInch() const { return FPixelsPerInch; }
    void SetPixelsPerInch(int Value) { FPixelsPerInch = Value > 0 ? Value : 96; }
    // The angle of the text line in tenths of a degree, counter-clockwise from the
    // x-axis (900: the text reads upward); the handle's escapement and glyph orientation.
    int Orientation() const { return FOrientation; }
    void SetOrientation(int Value);

    void Assign(TPersistent* Source) override;

private:
    void HandleChanged();   // a property the handle depends on changed
    HFONT FHandle = nullptr;
    TFontName FName;
    int FHeight;
    TFontStyles FStyle = 0;
    TColor FColor = clWindowText;
    TFontCharset FCharset = DEFAULT_CHARSET;
    TFontPitch FPitch = fpDefault;
    int FPixelsPerInch;
    int FOrientation = 0;
};

enum TPenStyle : uint8_t { psSolid, psDash, psDot, psDashDot, psDashDotDot, psClear, psInsideFrame };
enum TPenMode : uint8_t {
    pmBlack, pmWhite, pmNop, pmNot, pmCopy, pmNotCopy, pmMergePenNot, pmMaskPenNot, pmMergeNotPen,
    pmMaskNotPen, pmMerge, pmNotMerge, pmMask, pmNotMask, pmXor, pmNotXor
};

class TPen : public TGraphicsObject {
    Z_CLASS(TPen, TGraphicsObject)
public:
    TPen() = default;
    ~TPen() override;

    HPEN Handle();
    void SetHandle(HPEN Value);   // taken over; Color, Style and Width read back from it
    bool HandleAllocated() const { return FHandle != nullptr; }

    TColor Color() const { return FColor; }
    void SetColor(TColor Value);
    TPenStyle Style() const { return FStyle; }
    void SetStyle(TPenStyle Value);
    int Width() const { return FWidth; }
    void SetWidth(int Value);
    TPenMode Mode() const { return FMode; }
    void SetMode(TPenMode Value);

    void Assign(TPersistent* Source) override;

private:
    void HandleChanged();
    HPEN FHandle = nullptr;
    TColor FColor = clBlack;
    TPenStyle FStyle = psSolid;
    int FWidth = 1;
    TPenMode FMode = pmCopy;
};

enum TBrushStyle : uint8_t {
    bsSolid, bsClear, bsHorizontal, bsVertical, bsFDiagonal, bsBDiagonal, bsCross, bsDiagCross
};

class TBrush : public TGraphicsObject {
    Z_CLASS(TBrush, TGraphicsObject)
public:
    TBrush() = default;
    ~TBrush() override;

    HBRUSH Handle();
    void SetHandle(HBRUSH Value);   // taken over; Color and Style read back from it
    bool HandleAllocated() const { return FHandle != nullptr; }

    TColor Color() const { return FColor; }
    void SetColor(TColor Value);
    TBrushStyle Style() const { return FStyle; }
    void SetStyle(TBrushStyle Value);
    // A pattern bitmap; the brush does not own it, and the caller keeps it alive while set.
    TBitmap* Bitmap() const { return FBitmap; }
    void SetBitmap(TBitmap* Value);

    void Assign(TPersistent* Source) override;

private:
    void HandleChanged();
    HBRUSH FHandle = nullptr;
    TColor FColor = clWhite;
    TBrushStyle FStyle = bsSolid;
    TBitmap* FBitmap = nullptr;
};

// ---------------------------------------------------------------------------------------
// Canvas

enum TCanvasStateFlag : uint8_t { csHandleValid = 1, csFontValid = 2, csPenValid = 4, csBrushValid = 8 };
using TCanvasState = uint8_t;
constexpr TCanvasState csAllValid = csHandleValid | csFontValid | csPenValid | csBrushValid;

using TCopyMode = DWORD;
constexpr TCopyMode cmBlackness = BLACKNESS, cmDstInvert = DSTINVERT, cmMergeCopy = MERGECOPY,
                    cmMergePaint = MERGEPAINT, cmNotSrcCopy = NOTSRCCOPY, cmNotSrcErase = NOTSRCERASE,
                    cmPatCopy = PATCOPY, cmPatInvert = PATINVERT, cmPatPaint = PATPAINT,
                    cmSrcAnd = SRCAND, cmSrcCopy = SRCCOPY, cmSrcErase = SRCERASE,
                    cmSrcInvert = SRCINVERT, cmSrcPaint = SRCPAINT, cmWhiteness = WHITENESS;

class TCanvas : public TPersistent {
    Z_CLASS(TCanvas, TPersistent)
public:
    TCanvas();
    ~TCanvas() override;

    // The DC with font, pen and brush selected; a canvas without one asks CreateHandle, and
    // raises EInvalidOperation "Canvas does not allow drawing" when that gives none.
    HDC Handle();
    // Borrows a DC (0 lets go of it): the canvas's objects are selected into it on demand
    // and the DC's own objects are put back when it is let go.
    void SetHandle(HDC Value);
    bool HandleAllocated() const { return FHandle != nullptr; }

    void Lock();
    bool TryLock();
    void Unlock();
    int LockCount() const { return FLockCount; }

    TFont* Font() const { return FFont.get(); }
    void SetFont(TFont* Value) { FFont->Assign(Value); }
    TPen* Pen() const { return FPen.get(); }
    void SetPen(TPen* Value) { FPen->Assign(Value); }
    TBrush* Brush() const { return FBrush.get(); }
    void SetBrush(TBrush* Value) { FBrush->Assign(Value); }
    TCopyMode CopyMode() const { return FCopyMode; }
    void SetCopyMode(TCopyMode Value) { FCopyMode = Value; }
    // Options of ExtTextOutA for TextOut and TextRect (ETO_RTLREADING ...).
    UINT TextFlags() const { return FTextFlags; }
    void SetTextFlags(UINT Value) { FTextFlags = Value; }
    TPoint PenPos();
    void SetPenPos(const TPoint& Value) { MoveTo(Value.X, Value.Y); }
    TRect ClipRect();

    void MoveTo(int X, int Y);
    void LineTo(int X, int Y);
    void Polyline(const TPoint* Points, int Count);
    void Polyline(std::initializer_list<TPoint> Points) { Polyline(Points.begin(), int(Points.size())); }
    void Polygon(const TPoint* Points, int Count);
    void Polygon(std::initializer_list<TPoint> Points) { Polygon(Points.begin(), int(Points.size())); }
    void Rectangle(int X1, int Y1, int X2, int Y2);
    void Rectangle(const TRect& R) { Rectangle(R.Left, R.Top, R.Right, R.Bottom); }
    void Ellipse(int X1, int Y1, int X2, int Y2);
    void Ellipse(const TRect& R) { Ellipse(R.Left, R.Top, R.Right, R.Bottom); }
    void RoundRect(int X1, int Y1, int X2, int Y2, int X3, int Y3);
    void FillRect(const TRect& R);
    void FrameRect(const TRect& R);
    void DrawFocusRect(const TRect& R);

    void TextOut(int X, int Y, const AnsiString& Text);   // the pen moves past the text
    void TextRect(const TRect& R, int X, int Y, const AnsiString& Text);   // clipped to R
    TSize TextExtent(const AnsiString& Text);
    int TextWidth(const AnsiString& Text) { return TextExtent(Text).cx; }
    int TextHeight(const AnsiString& Text) { return TextExtent(Text).cy; }

    // A graphic at its own size, or stretched to a rectangle; nothing for an empty graphic.
    void Draw(int X, int Y, TGraphic* Graphic);
    void StretchDraw(const TRect& R, TGraphic* Graphic);
    // StretchBlt from another canvas with CopyMode.
    void CopyRect(const TRect& Dest, TCanvas* Canvas, const TRect& Source);

    // One pixel through GetPixel/SetPixel: for tests and rare use, never in loops.
    TColor Pixels(int X, int Y);
    void SetPixels(int X, int Y, TColor Value);

    // Selects nothing of the canvas's own any more; the next drawing selects them again.
    void Refresh();

    TNotifyEvent OnChange;
    TNotifyEvent OnChanging;

    virtual void Changed();
    virtual void Changing();

protected:
    virtual void CreateHandle() {}
    void RequiredState(TCanvasState ReqState);
    // Puts the DC's own font, pen and brush back and forgets the canvas's selection.
    void DeselectHandles();
    TCanvasState FState = 0;

private:
    void CreateFont();
    void CreatePen();
    void CreateBrush();
    void FontChanged(TObject* Sender);
    void PenChanged(TObject* Sender);
    void BrushChanged(TObject* Sender);

    HDC FHandle = nullptr;
    HGDIOBJ FOldFont = nullptr;    // the DC's own objects, put back on release
    HGDIOBJ FOldPen = nullptr;
    HGDIOBJ FOldBrush = nullptr;
    std::unique_ptr<TFont> FFont;
    std::unique_ptr<TPen> FPen;
    std::unique_ptr<TBrush> FBrush;
    TPoint FPenPos;
    TCopyMode FCopyMode = cmSrcCopy;
    UINT FTextFlags = 0;
    CRITICAL_SECTION FLock;
    int FLockCount = 0;
};

// A canvas borrowing a DC for the length of a scope, locked meanwhile.
class TCanvasDC {
public:
    TCanvasDC(TCanvas* Canvas, HDC DC) : FCanvas(Canvas)
    {
        FCanvas->Lock();
        FCanvas->SetHandle(DC);
    }
    ~TCanvasDC()
    {
        FCanvas->SetHandle(nullptr);
        FCanvas->Unlock();
    }
    TCanvasDC(const TCanvasDC&) = delete;
    TCanvasDC& operator=(const TCanvasDC&) = delete;

private:
    TCanvas* FCanvas;
};

// ---------------------------------------------------------------------------------------
// Graphics

class TGraphic : public TPersistent {
    Z_CLASS(TGraphic, TPersistent)
public:
    virtual bool Empty() const = 0;
    virtual int Width() const = 0;
    virtual int Height() const = 0;
    virtual void SetWidth(int Value) = 0;
    virtual void SetHeight(int Value) = 0;
    virtual void LoadFromStream(TStream* Stream) = 0;
    virtual void SaveToStream(TStream* Stream) = 0;
    virtual void LoadFromFile(const AnsiString& FileName);
    virtual void SaveToFile(const AnsiString& FileName);
    // True when both save to the same bytes.
    virtual bool Equals(TGraphic* Graphic);

    bool Transparent() const { return FTransparent; }
    virtual void SetTransparent(bool Value);
    bool Modified() const { return FModified; }
    void SetModified(bool Value);

    // "Data": the graphic's own bytes in form data, written when not empty and not equal
    // to the ancestor's.
    void DefineProperties(TFiler* Filer) override;

    TNotifyEvent OnChange;

protected:
    friend class TCanvas;
    // Draws the graphic into R of the canvas.
    virtual void Draw(TCanvas* ACanvas, const TRect& R) = 0;
    virtual void Changed(TObject* Sender);
    virtual void ReadData(TStream* Stream);
    virtual void WriteData(TStream* Stream);

    bool FTransparent = false;
    bool FModified = false;
};

enum TPixelFormat : uint8_t { pfDevice, pf1bit, pf4bit, pf8bit, pf15bit, pf16bit, pf24bit, pf32bit, pfCustom };
enum TBitmapHandleType : uint8_t { bmDIB, bmDDB };
enum TTransparentMode : uint8_t { tmAuto, tmFixed };

class TBitmapCanvas;
namespace zdetail { struct BmpSource; }

// A device-independent bitmap section. Rows lie bottom-up in memory, as the platform keeps
// them: ScanLine(Row + 1) is ScanLineStep() bytes from ScanLine(Row), a negative step.
class TBitmap : public TGraphic {
    Z_CLASS(TBitmap, TGraphic)
public:
    TBitmap();
    ~TBitmap() override;

    bool Empty() const override { return FWidth <= 0 || FHeight <= 0; }
    int Width() const override { return FWidth; }
    int Height() const override { return FHeight; }
    void SetWidth(int Value) override { SetSize(Value, FHeight); }
    void SetHeight(int Value) override { SetSize(FWidth, Value); }
    // Keeps the top-left part of the picture; new parts are white. EOutOfResources
    // "Out of system resources" for negative or absurd sizes.
    void SetSize(int AWidth, int AHeight);

    TPixelFormat PixelFormat() const { return FPixelFormat; }
    // Converts the picture; to 24 and 32 bits exactly, to fewer bits through the system's
    // colour matching.
    void SetPixelFormat(TPixelFormat Value);
    TBitmapHandleType HandleType() const { return FPixelFormat == pfDevice ? bmDDB : bmDIB; }
    void SetHandleType(TBitmapHandleType Value);
    int BitsPerPixel() const;

    // The DIB section (0 when empty). Setting takes over a bitmap of the system's.
    HBITMAP Handle();
    void SetHandle(HBITMAP Value);
    HBITMAP ReleaseHandle();   // the caller owns the section; the bitmap becomes empty
    bool HandleAllocated() const { return FHandle != nullptr; }

    TCanvas* Canvas();

    // Row addresses for pixel work; EInvalidGraphicOperation "Scan line index out of range".
    // Pending drawing of the system is flushed first.
    void* ScanLine(int Row);
    int ScanLineStep() const { return -FStride; }
    int BytesPerScanLine() const { return FStride; }

    // The colour table of 1, 4 and 8-bit pictures.
    const std::vector<RGBQUAD>& Palette() const { return FPalette; }

    // Transparent drawing leaves out pixels of TransparentColor: by default the bottom-left
    // pixel (tmAuto), or a fixed colour (tmFixed).
    TColor TransparentColor();
    void SetTransparentColor(TColor Value);
    TTransparentMode TransparentMode() const { return FTransparentMode; }
    void SetTransparentMode(TTransparentMode Value);

    // Windows bitmap files: every common depth, compressed or not, bottom-up or top-down.
    // A damaged file raises EInvalidGraphic "Bitmap image is not valid" and leaves the
    // bitmap as it was; an empty stream gives an empty bitmap.
    void LoadFromStream(TStream* Stream) override;
    void SaveToStream(TStream* Stream) override;
    // A bitmap file held in memory (an entry of a packed skin).
    void LoadFromMemory(const void* Data, size_t Size);
    // RT_BITMAP resources of a module; EResNotFound "Resource %s not found".
    void LoadFromResourceName(HINSTANCE Instance, const AnsiString& ResName);
    void LoadFromResourceID(HINSTANCE Instance, int ResID);

    void Assign(TPersistent* Source) override;   // a deep copy

protected:
    void Draw(TCanvas* ACanvas, const TRect& R) override;
    void ReadData(TStream* Stream) override;    // 32-bit size, then a bitmap file
    void WriteData(TStream* Stream) override;

private:
    friend class TBitmapCanvas;
    struct Image;
    struct DCScope;
    void Adopt(Image& Img, TPixelFormat Format);
    void Clear();
    void Decode(zdetail::BmpSource& Src, bool HasFileHeader);
    void LoadFromSource(zdetail::BmpSource& Src);
    void LoadFromResource(HINSTANCE Instance, const char* Name, const AnsiString& Shown);
    HDC OpenDC(DCScope& Scope);
    void CanvasChanged(TObject* Sender);
    int64_t FileSize() const;

    HBITMAP FHandle = nullptr;
    uint8_t* FBits = nullptr;
    int FWidth = 0;
    int FHeight = 0;
    int FStride = 0;
    TPixelFormat FPixelFormat = pfDevice;
    std::vector<RGBQUAD> FPalette;
    std::unique_ptr<TBitmapCanvas> FCanvas;
    TColor FTransparentColor = clDefault;
    TTransparentMode FTransparentMode = tmAuto;
};

// The canvas of a bitmap: a memory DC with the bitmap selected, made on first use.
class TBitmapCanvas : public TCanvas {
    Z_CLASS(TBitmapCanvas, TCanvas)
public:
    explicit TBitmapCanvas(TBitmap* ABitmap) : FBitmap(ABitmap) {}
    ~TBitmapCanvas() override;
    void FreeContext();

protected:
    void CreateHandle() override;

private:
    friend class TBitmap;
    void SelectBitmap();   // after the bitmap changed its section
    TBitmap* FBitmap;
    HDC FOwnDC = nullptr;
    HGDIOBJ FOldBitmap = nullptr;
};

// An icon of the system's: the form's and the application's icon.
class TIcon : public TGraphic {
    Z_CLASS(TIcon, TGraphic)
public:
    TIcon() = default;
    ~TIcon() override;

    bool Empty() const override { return FHandle == nullptr; }
    int Width() const override { return FWidth; }
    int Height() const override { return FHeight; }
    // EInvalidGraphicOperation "Cannot change the size of an icon": the image decides it.
    void SetWidth(int Value) override;
    void SetHeight(int Value) override;

    HICON Handle() const { return FHandle; }
    void SetHandle(HICON Value);   // taken over
    HICON ReleaseHandle();         // the caller owns it; the icon becomes empty

    // An icon file (".ico"): the image nearest the system's large-icon size, deepest first.
    // A damaged file raises EInvalidGraphic "Icon image is not valid" and changes nothing.
    void LoadFromStream(TStream* Stream) override;
    // The file loaded, or a 32-bit icon file made from the handle.
    void SaveToStream(TStream* Stream) override;
    void Assign(TPersistent* Source) override;

protected:
    void Draw(TCanvas* ACanvas, const TRect& R) override;

private:
    void Take(HICON Value, std::vector<uint8_t> Data);
    HICON FHandle = nullptr;
    int FWidth = 0;
    int FHeight = 0;
    std::vector<uint8_t> FData;   // the icon file, when loaded from one
};
