#include "classlib/buttons.h"
#include "classlib/actnlist.h"
#include "classlib/forms.h"
#include "classlib/imglist.h"

#include <algorithm>
#include <vector>

namespace {

const char* const ButtonLayoutNames[] = {"blGlyphLeft", "blGlyphRight", "blGlyphTop", "blGlyphBottom"};
const char* const BitBtnKindNames[] = {"bkCustom", "bkOK",    "bkCancel", "bkHelp",   "bkYes", "bkNo",
                                       "bkClose",  "bkAbort", "bkRetry",  "bkIgnore", "bkAll"};

// What a kind of bit button gives it.
struct TKindDefaults {
    const char* Caption;
    TModalResult ModalResult;
};
const TKindDefaults KindDefaults[] = {{"", mrNone},         {"OK", mrOk},         {"Cancel", mrCancel},
                                      {"&Help", mrNone},    {"&Yes", mrYes},      {"&No", mrNo},
                                      {"&Close", mrNone},   {"Abort", mrAbort},   {"&Retry", mrRetry},
                                      {"&Ignore", mrIgnore}, {"&All", mrAll}};

// The picture's darker pixels make the shape of a disabled glyph; its light ones vanish, as
// highlights do on a greyed-out button.
constexpr int DisabledShapeLuminance = 192;

struct TBgr {
    uint8_t B, G, R;
    TColor Color() const { return TColor(RGB(R, G, B)); }
};

TBgr BgrOf(TColor Color)
{
    const COLORREF c = static_cast<COLORREF>(ColorToRGB(Color));
    return TBgr{GetBValue(c), GetGValue(c), GetRValue(c)};
}

TBgr* Row(TBitmap& Bmp, int Y)
{
    return static_cast<TBgr*>(Bmp.ScanLine(Y));
}

std::unique_ptr<TBitmap> NewBitmap24(int Width, int Height)
{
    auto bmp = std::make_unique<TBitmap>();
    bmp->SetPixelFormat(pf24bit);
    bmp->SetSize(Width, Height);
    return bmp;
}

// A colour for the pixels an image list is to leave out, unlike both colours of the
// embossed picture.
TColor KeyColourBeside(TColor A, TColor B)
{
    for (TColor key : {clFuchsia, clLime, clAqua})
        if (key != ColorToRGB(A) && key != ColorToRGB(B))
            return key;
    return clYellow;
}

// Caption drawn on the face: a disabled one embossed, a highlight one pixel down and right
// under the shadow.
void DrawButtonCaption(TCanvas* Canvas, const TCaptionText& Caption, const TRect& R, UINT Flags, bool Enabled)
{
    Canvas->Brush()->SetStyle(bsClear);
    if (Enabled) {
        TRect r = R;
        Caption.DrawText(Canvas->Handle(), r, Flags);
        return;
    }
    const TColor color = Canvas->Font()->Color();
    TRect lit(R.Left + 1, R.Top + 1, R.Right + 1, R.Bottom + 1);
    Canvas->Font()->SetColor(clBtnHighlight);
    Caption.DrawText(Canvas->Handle(), lit, Flags);
    TRect r = R;
    Canvas->Font()->SetColor(clBtnShadow);
    Caption.DrawText(Canvas->Handle(), r, Flags);
    Canvas->Font()->SetColor(color);
}

} // namespace

// ---------------------------------------------------------------------------------------
// Glyph and caption

void CalcButtonLayout(const TRect& Client, const TPoint& Offset, const TSize& GlyphSize, const TSize& TextSize,
                      TButtonLayout Layout, int Margin, int Spacing, bool RightToLeft, TPoint& GlyphPos,
                      TRect& TextBounds)
{
    if (RightToLeft && (Layout == blGlyphLeft || Layout == blGlyphRight))
        Layout = Layout == blGlyphLeft ? blGlyphRight : blGlyphLeft;
    const bool sideBySide = Layout == blGlyphLeft || Layout == blGlyphRight;
    // "Main" runs along the layout's axis, "cross" across it.
    const int room = sideBySide ? Client.Width() : Client.Height();
    const int crossRoom = sideBySide ? Client.Height() : Client.Width();
    const int glyph = sideBySide ? GlyphSize.cx : GlyphSize.cy;
    const int glyphCross = sideBySide ? GlyphSize.cy : GlyphSize.cx;
    const int text = sideBySide ? TextSize.cx : TextSize.cy;
    const int textCross = sideBySide ? TextSize.cy : TextSize.cx;
    const bool hasGlyph = GlyphSize.cx > 0 && GlyphSize.cy > 0;
    const bool hasText = TextSize.cx > 0 && TextSize.cy > 0;
    if (!hasGlyph || !hasText)
        Spacing = 0;
    if (Margin < 0 && Spacing < 0)
        Margin = Spacing = (room - glyph - text) / 3;
    else if (Margin < 0)
        Margin = (room - glyph - Spacing - text) / 2;
    else if (Spacing < 0)
        Spacing = (room - Margin - glyph - text) / 2;

    int glyphAt = Margin;
    int textAt = Margin + glyph + Spacing;
    if (Layout == blGlyphRight || Layout == blGlyphBottom) {
        glyphAt = room - Margin - glyph;
        textAt = glyphAt - Spacing - text;
    }
    const int glyphAcross = (crossRoom - glyphCross) / 2;
    const int textAcross = (crossRoom - textCross) / 2;
    const TPoint origin(Client.Left + Offset.X, Client.Top + Offset.Y);
    if (sideBySide) {
        GlyphPos = TPoint(origin.X + glyphAt, origin.Y + glyphAcross);
        TextBounds = Bounds(origin.X + textAt, origin.Y + textAcross, TextSize.cx, TextSize.cy);
    } else {
        GlyphPos = TPoint(origin.X + glyphAcross, origin.Y + glyphAt);
        TextBounds = Bounds(origin.X + textAcross, origin.Y + textAt, TextSize.cx, TextSize.cy);
    }
}

Z_CLASS_IMPL(TButtonGlyph, TObject)

TButtonGlyph::TButtonGlyph() : FOriginal(std::make_unique<TBitmap>())
{
    FOriginal->OnChange = MakeMethod<&TButtonGlyph::GlyphChanged>(this);
}

TButtonGlyph::~TButtonGlyph() = default;

void TButtonGlyph::SetGlyph(TBitmap* Value)
{
    FOriginal->Assign(Value);
    // A strip of square images tells how many it holds.
    const int w = FOriginal->Width(), h = FOriginal->Height();
    if (w > 0 && h > 0 && w % h == 0 && w / h <= 4)
        SetNumGlyphs(w / h);
}

void TButtonGlyph::SetNumGlyphs(int Value)
{
    if (StoreChanged(FNumGlyphs, std::clamp(Value, 1, 4)))
        Changed();
}

TSize TButtonGlyph::GlyphSize() const
{
    const int width = FOriginal->Empty() ? 0 : FOriginal->Width() / FNumGlyphs;
    if (width <= 0)
        return TSize{0, 0};
    return TSize{width, FOriginal->Height()};
}

void TButtonGlyph::GlyphChanged(TObject*)
{
    Changed();
}

void TButtonGlyph::Changed()
{
    // The state images are made again, at the new size, when next drawn.
    ResetImages();
    if (OnChange)
        OnChange(this);
}

int TButtonGlyph::ImageIndex(TButtonState State)
{
    int slot = 0;
    switch (State) {
    case bsUp:
        break;
    case bsDisabled:
        slot = FNumGlyphs >= 2 ? 1 : 4;
        break;
    case bsDown:
        slot = FNumGlyphs >= 3 ? 2 : 0;
        break;
    case bsExclusive:
        slot = FNumGlyphs >= 4 ? 3 : FNumGlyphs >= 3 ? 2 : 0;
        break;
    }
    int& index = FIndexes[slot];
    if (index < 0)
        index = slot == 4 ? AddDisabled() : AddFrame(slot);
    return index;
}

void TButtonGlyph::ResetImages()
{
    FImages.reset();
    std::fill(std::begin(FIndexes), std::end(FIndexes), -1);
}

TCustomImageList* TButtonGlyph::Images()
{
    if (!FImages) {
        const TSize size = GlyphSize();
        FImages = std::make_unique<TCustomImageList>(size.cx, size.cy);
    }
    return FImages.get();
}

int TButtonGlyph::AddFrame(int Frame)
{
    const TSize size = GlyphSize();
    auto frame = NewBitmap24(size.cx, size.cy);
    frame->Canvas()->CopyRect(Rect(0, 0, size.cx, size.cy), FOriginal->Canvas(),
                              Bounds(Frame * size.cx, 0, size.cx, size.cy));
    return Images()->AddMasked(frame.get(), FOriginal->TransparentColor());
}

int TButtonGlyph::AddDisabled()
{
    const TSize size = GlyphSize();
    auto up = NewBitmap24(size.cx, size.cy);
    up->Canvas()->CopyRect(Rect(0, 0, size.cx, size.cy), FOriginal->Canvas(), Rect(0, 0, size.cx, size.cy));
    const TColor transparent = FOriginal->TransparentColor();
    // The shape: the picture's darker pixels.
    std::vector<uint8_t> shape(static_cast<size_t>(size.cx) * size.cy);
    for (int y = 0; y < size.cy; ++y) {
        const TBgr* row = Row(*up, y);
        for (int x = 0; x < size.cx; ++x) {
            const TBgr& p = row[x];
            const int luminance = (p.R * 30 + p.G * 59 + p.B * 11) / 100;
            shape[static_cast<size_t>(y) * size.cx + x] = p.Color() != transparent && luminance < DisabledShapeLuminance;
        }
    }
    auto inShape = [&](int x, int y) {
        return x >= 0 && y >= 0 && x < size.cx && y < size.cy && shape[static_cast<size_t>(y) * size.cx + x];
    };
    const TColor key = KeyColourBeside(clBtnShadow, clBtnHighlight);
    const TBgr shadow = BgrOf(clBtnShadow), light = BgrOf(clBtnHighlight), none = BgrOf(key);
    auto disabled = NewBitmap24(size.cx, size.cy);
    for (int y = 0; y < size.cy; ++y) {
        TBgr* row = Row(*disabled, y);
        for (int x = 0; x < size.cx; ++x)
            row[x] = inShape(x, y) ? shadow : inShape(x - 1, y - 1) ? light : none;
    }
    return Images()->AddMasked(disabled.get(), key);
}

void TButtonGlyph::DrawGlyph(HDC DC, const TPoint& P, TButtonState State)
{
    if (GlyphSize().cx == 0)
        return;
    const int index = ImageIndex(State);
    if (index >= 0)
        ImageList_DrawEx(Images()->Handle(), index, DC, P.X, P.Y, 0, 0, CLR_NONE, CLR_NONE, ILD_TRANSPARENT);
}

TRect TButtonGlyph::Draw(TCanvas* Canvas, const TRect& Client, const TPoint& Offset, const TCaptionText& Caption,
                         TButtonLayout Layout, int Margin, int Spacing, TButtonState State, UINT BiDiFlags,
                         bool WordWrap)
{
    const UINT flags = BiDiFlags | (WordWrap ? DT_WORDBREAK : 0);
    const TSize text = Caption.Extent(Canvas->Handle(), flags, Client.Width());
    TPoint glyphPos;
    TRect textBounds;
    CalcButtonLayout(Client, Offset, GlyphSize(), text, Layout, Margin, Spacing, (BiDiFlags & DT_RTLREADING) != 0,
                     glyphPos, textBounds);
    DrawGlyph(Canvas->Handle(), glyphPos, State);
    if (!Caption.IsEmpty())
        DrawButtonCaption(Canvas, Caption, textBounds, flags | DT_CENTER | DT_VCENTER, State != bsDisabled);
    return textBounds;
}

// ---------------------------------------------------------------------------------------
// TSpeedButton

Z_CLASS_IMPL(TSpeedButton, TGraphicControl, Z_PROP_BOOL(TSpeedButton, AllowAllUp, false),
             Z_PROP_INT(TSpeedButton, GroupIndex, 0), Z_PROP_BOOL(TSpeedButton, Down, false),
             Z_PROP_STR(TSpeedButton, Caption), Z_PROP_BOOL(TSpeedButton, Flat, false),
             Z_PROP_OBJ(TSpeedButton, Glyph), Z_PROP_ENUM(TSpeedButton, Layout, ButtonLayoutNames, blGlyphLeft),
             Z_PROP_INT(TSpeedButton, Margin, -1), Z_PROP_INT(TSpeedButton, NumGlyphs, 1),
             Z_PROP_INT(TSpeedButton, Spacing, 4), Z_PROP_BOOL(TSpeedButton, Transparent, true))

TSpeedButton::TSpeedButton(TComponent* AOwner) : TGlyphButton<TGraphicControl>(AOwner)
{
    // No csClickEvents: the button clicks from its own release handling, once a press.
    FControlStyle = csCaptureMouse | csDoubleClicks;
    FWidth = 23;
    FHeight = 22;
    UpdateOpaque();
}

TSpeedButton::~TSpeedButton() = default;

TButtonState TSpeedButton::RestingState() const
{
    return !FEnabled ? bsDisabled : FDown ? bsExclusive : bsUp;
}

void TSpeedButton::SetState(TButtonState Value)
{
    if (StoreChanged(FState, Value))
        Invalidate();
}

void TSpeedButton::UpdateOpaque()
{
    if (FFlat && FTransparent)
        FControlStyle &= ~csOpaque;
    else
        FControlStyle |= csOpaque;
}

void TSpeedButton::SetAllowAllUp(bool Value)
{
    if (StoreChanged(FAllowAllUp, Value))
        UpdateExclusive();
}

void TSpeedButton::SetGroupIndex(int Value)
{
    if (!StoreChanged(FGroupIndex, Value))
        return;
    if (Value == 0 && FDown) {
        FDown = false;
        SetState(RestingState());
    }
    UpdateExclusive();
}

void TSpeedButton::SetDown(bool Value)
{
    if (FGroupIndex == 0)
        Value = false;
    if (Value == FDown || (FDown && !FAllowAllUp))
        return;
    FDown = Value;
    SetState(RestingState());
    Invalidate();
    if (Value)
        UpdateExclusive();
}

void TSpeedButton::SetFlat(bool Value)
{
    if (StoreChanged(FFlat, Value)) {
        UpdateOpaque();
        Invalidate();
    }
}

void TSpeedButton::SetTransparent(bool Value)
{
    if (StoreChanged(FTransparent, Value)) {
        UpdateOpaque();
        Invalidate();
    }
}

void TSpeedButton::UpdateExclusive()
{
    if (FGroupIndex == 0 || !FParent)
        return;
    TMessage m{CM_BUTTONPRESSED, static_cast<WPARAM>(FGroupIndex), reinterpret_cast<LPARAM>(this), 0};
    FParent->Broadcast(m);
}

void TSpeedButton::ButtonPressed(TMessage& Message)
{
    auto* sender = dynamic_cast<TSpeedButton*>(reinterpret_cast<TControl*>(Message.LParam));
    if (!sender || sender == this || static_cast<int>(Message.WParam) != FGroupIndex)
        return;
    if (sender->FDown && FDown) {
        FDown = false;
        SetState(RestingState());
        Invalidate();
    }
    FAllowAllUp = sender->FAllowAllUp;
}

void TSpeedButton::Loaded()
{
    TGraphicControl::Loaded();
    SetState(RestingState());
}

void TSpeedButton::ActionChange(TObject* Sender, bool CheckDefaults)
{
    TGraphicControl::ActionChange(Sender, CheckDefaults);
    auto* action = dynamic_cast<TCustomAction*>(Sender);
    if (!action)
        return;
    if (!CheckDefaults || FGroupIndex == 0)
        SetGroupIndex(action->GroupIndex());
    if (!CheckDefaults || !FDown)
        SetDown(action->Checked());
}

const TControlActionLinkClass* TSpeedButton::GetActionLinkClass()
{
    return ControlActionLinkClassOf<TSpeedButtonActionLink>();
}

void TSpeedButton::Pressed()
{
    if (FGroupIndex != 0)
        SetDown(!FDown);
    SetState(RestingState());
    Click();
}

bool TSpeedButton::AcceleratorAvailable() const
{
    return FEnabled && FVisible && FParent && FParent->Showing();
}

void TSpeedButton::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    TGraphicControl::MouseDown(Button, Shift, X, Y);
    if (Button != mbLeft || !FEnabled)
        return;
    FDragging = true;
    if (!FDown)
        SetState(bsDown);
}

void TSpeedButton::MouseMove(TShiftState Shift, int X, int Y)
{
    TGraphicControl::MouseMove(Shift, X, Y);
    if (FDragging)
        SetState(FDown ? bsExclusive : GetClientRect().Contains(TPoint(X, Y)) ? bsDown : bsUp);
}

void TSpeedButton::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    TGraphicControl::MouseUp(Button, Shift, X, Y);
    if (Button != mbLeft || !FDragging)
        return;
    FDragging = false;
    if (GetClientRect().Contains(TPoint(X, Y)))
        Pressed();
    else
        SetState(RestingState());
}

namespace {
// The face of a button held down in a group: the highlight and face colours in a
// checkerboard that starts with the highlight at the control's top left.
void FillDownFace(HDC DC, const TRect& R)
{
    auto pattern = NewBitmap24(8, 8);
    const TBgr light = BgrOf(clBtnHighlight), face = BgrOf(clBtnFace);
    for (int y = 0; y < 8; ++y) {
        TBgr* row = Row(*pattern, y);
        for (int x = 0; x < 8; ++x)
            row[x] = (x + y) % 2 ? face : light;
    }
    TOwnedBrush brush(CreatePatternBrush(pattern->Handle()));
    POINT origin{0, 0}, saved;
    LPtoDP(DC, &origin, 1);
    SetBrushOrgEx(DC, origin.x % 8, origin.y % 8, &saved);
    FillRect(DC, R.Win(), brush.Handle());
    SetBrushOrgEx(DC, saved.x, saved.y, nullptr);
}
} // namespace

TRect TSpeedButton::PaintFrame(TPoint& Offset)
{
    TCanvas* canvas = Canvas();
    TRect r(0, 0, FWidth, FHeight);
    const bool pressed = FState == bsDown || FDown;
    HDC dc = canvas->Handle();
    if (!(FFlat && FTransparent)) {
        if (FDown && FState != bsDown) {
            FillDownFace(dc, r);
        } else {
            canvas->Brush()->SetStyle(bsSolid);
            canvas->Brush()->SetColor(clBtnFace);
            canvas->FillRect(r);
        }
    }
    if (!FFlat)
        DrawEdge(dc, r.Win(), pressed ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT | BF_ADJUST);
    else if (pressed)
        DrawEdge(dc, r.Win(), BDR_SUNKENOUTER, BF_RECT | BF_ADJUST);
    else if (FMouseInControl && FEnabled)
        DrawEdge(dc, r.Win(), BDR_RAISEDINNER, BF_RECT | BF_ADJUST);
    else
        r = TRect(r.Left + 1, r.Top + 1, r.Right - 1, r.Bottom - 1);
    Offset = pressed ? TPoint(1, 1) : TPoint(0, 0);
    return r;
}

void TSpeedButton::DrawContent(const TRect& Client, const TPoint& Offset)
{
    DrawGlyphAndCaption(Canvas(), Client, Offset, TAnsiCaptionText(Caption()), FState, false);
}

void TSpeedButton::Paint()
{
    TPoint offset;
    const TRect client = PaintFrame(offset);
    DrawContent(client, offset);
}

void TSpeedButton::Dispatch(TMessage& Message)
{
    switch (Message.Msg) {
    case CM_BUTTONPRESSED:
        ButtonPressed(Message);
        break;
    case CM_DIALOGCHAR:
        if (IsAccel(TWMKey(Message).CharCode, Caption()) && AcceleratorAvailable()) {
            Pressed();
            Message.Result = 1;
            break;
        }
        TGraphicControl::Dispatch(Message);
        break;
    case CM_ENABLEDCHANGED:
        FDragging = false;
        FState = RestingState();
        TGraphicControl::Dispatch(Message);
        break;
    case CM_MOUSEENTER:
    case CM_MOUSELEAVE:
        TGraphicControl::Dispatch(Message);
        if (StoreChanged(FMouseInControl, Message.Msg == CM_MOUSEENTER) && FFlat)
            Invalidate();
        break;
    default:
        TGlyphButton<TGraphicControl>::Dispatch(Message);
        break;
    }
}

// ---------------------------------------------------------------------------------------
// TBitBtn

Z_CLASS_IMPL(TBitBtn, TButton, Z_PROP_OBJ(TBitBtn, Glyph), Z_PROP_ENUM(TBitBtn, Kind, BitBtnKindNames, bkCustom),
             Z_PROP_ENUM(TBitBtn, Layout, ButtonLayoutNames, blGlyphLeft), Z_PROP_INT(TBitBtn, Margin, -1),
             Z_PROP_INT(TBitBtn, NumGlyphs, 1), Z_PROP_INT(TBitBtn, Spacing, 4))

TBitBtn::TBitBtn(TComponent* AOwner) : TGlyphButton<TButton>(AOwner), FCanvas(std::make_unique<TCanvas>()) {}

TBitBtn::~TBitBtn() = default;

void TBitBtn::SetKind(TBitBtnKind Value)
{
    // Read from form data, the caption and the modal result come as they were written.
    if (!StoreChanged(FKind, Value) || Value == bkCustom || (ComponentState() & csReading))
        return;
    SetCaption(KindDefaults[Value].Caption);
    SetModalResult(KindDefaults[Value].ModalResult);
}

void TBitBtn::Click()
{
    if (FKind != bkClose) {
        TButton::Click();
        return;
    }
    // No modal result of its own: it would undo the one closing gives a modal form.
    if (TCustomForm* form = GetParentForm(this))
        form->Close();
    TButtonControl::Click();
}

void TBitBtn::CreateParams(TCreateParams& Params)
{
    TButton::CreateParams(Params);
    Params.Style = (Params.Style & ~static_cast<DWORD>(BS_TYPEMASK)) | BS_OWNERDRAW;
}

void TBitBtn::CreateWnd()
{
    TButton::CreateWnd();
    FShowsDefault = Default();
}

void TBitBtn::SetButtonStyle(bool ADefault)
{
    if (StoreChanged(FShowsDefault, ADefault))
        Invalidate();
}

TRect TBitBtn::DrawFace(const DRAWITEMSTRUCT& Item, TButtonState& State, TPoint& Offset)
{
    TCanvas* canvas = FCanvas.get();
    HDC dc = canvas->Handle();
    TRect r = Item.rcItem;
    const bool pressed = Item.itemState & ODS_SELECTED;
    State = (Item.itemState & ODS_DISABLED) ? bsDisabled : pressed ? bsDown : bsUp;
    canvas->Brush()->SetStyle(bsSolid);
    auto frame = [&](TColor Color) {
        canvas->Brush()->SetColor(Color);
        canvas->FrameRect(r);
        r = TRect(r.Left + 1, r.Top + 1, r.Right - 1, r.Bottom - 1);
    };
    if (FShowsDefault)
        frame(clWindowFrame);
    if (pressed)
        frame(clBtnShadow);
    canvas->Brush()->SetColor(clBtnFace);
    canvas->FillRect(r);
    if (!pressed)
        DrawEdge(dc, r.Win(), EDGE_RAISED, BF_RECT);
    Offset = pressed ? TPoint(1, 1) : TPoint(0, 0);
    const TRect item = Item.rcItem;
    return TRect(item.Left + 4, item.Top + 4, item.Right - 4, item.Bottom - 4);
}

void TBitBtn::DrawContent(const TRect& Client, const TPoint& Offset, TButtonState State)
{
    DrawGlyphAndCaption(FCanvas.get(), Client, Offset, TAnsiCaptionText(Caption()), State, WordWrap());
}

void TBitBtn::DrawItem(const DRAWITEMSTRUCT& Item)
{
    TCanvasDC scope(FCanvas.get(), Item.hDC);
    TButtonState state;
    TPoint offset;
    const TRect client = DrawFace(Item, state, offset);
    DrawContent(client, offset, state);
    if (Item.itemState & ODS_FOCUS) {
        const TRect item = Item.rcItem;
        FCanvas->DrawFocusRect(TRect(item.Left + 3, item.Top + 3, item.Right - 3, item.Bottom - 3));
    }
}

void TBitBtn::Dispatch(TMessage& Message)
{
    switch (Message.Msg) {
    case CN_DRAWITEM:
        if (const DRAWITEMSTRUCT* item = TWMDrawItem(Message).DrawItemStruct)
            DrawItem(*item);
        Message.Result = 1;
        break;
    case WM_LBUTTONDBLCLK:
        // An owner-drawn button reports the second press of a double click only as a double
        // click; taken as a press, it clicks like the first.
        Message.Result = Perform(WM_LBUTTONDOWN, Message.WParam, Message.LParam);
        break;
    case CM_MOUSEENTER:
    case CM_MOUSELEAVE:
        FMouseInControl = Message.Msg == CM_MOUSEENTER;
        TGlyphButton<TButton>::Dispatch(Message);
        break;
    default:
        TGlyphButton<TButton>::Dispatch(Message);
        break;
    }
}
