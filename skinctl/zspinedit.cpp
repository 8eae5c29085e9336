#include "skinctl/zspinedit.h"

#include "classlib/extctrls.h"
#include "skin/zcontrolutils.h"
#include "skin/zgraphics.h"
#include "skin/zskinmanager.h"
#include "skin/zskintextpaint.h"
#include "skinctl/zskinctl.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>

namespace {

void DefaultBeep()
{
    MessageBeep(0);
}

constexpr int SpinButtonWidth = 18;
constexpr int SpinButtonMinWidth = 15;

// A built-in arrow, 9 x 5: a filled triangle of Color on the key colour, which the glyph
// leaves out (its bottom-left pixel), so the arrow shows in any colour on any face.
std::unique_ptr<TBitmap> ArrowGlyph(bool Up, TColor Color)
{
    auto bmp = std::make_unique<TBitmap>();
    bmp->SetPixelFormat(pf24bit);
    bmp->SetSize(9, 5);
    FillBmpRect(bmp.get(), TRect(0, 0, 9, 5), SkinKeyColor);
    for (int row = 0; row < 4; ++row) {
        const int y = Up ? 4 - row : 1 + row;
        FillBmpRect(bmp.get(), TRect(1 + row, y, 8 - row, y + 1), Color);
    }
    return bmp;
}

// The colour an arrow must have to show on the button's face: the section's text colour,
// or the system's button text without a skin.
TColor ArrowColor(TzSpeedButton* Button)
{
    TzCommonData* sd = Button->SkinData();
    if (sd->Skinned())
        return ColorToRGB(TColor(sd->GetSkinManager()->Section(sd->SkinIndex).FontColor));
    return ColorToRGB(clBtnText);
}

bool IsControlChar(WideChar C)
{
    return C < 32;
}

} // namespace

void (*SpinEditBeep)() = &DefaultBeep;

// ---------------------------------------------------------------------------------------
// TzTimerSpeedButton

Z_CLASS_IMPL(TzTimerSpeedButton, TzSpeedButton)

TzTimerSpeedButton::TzTimerSpeedButton(TComponent* AOwner) : TzSpeedButton(AOwner) {}

TzTimerSpeedButton::~TzTimerSpeedButton() = default;

void TzTimerSpeedButton::SetFocusFrame(bool Value)
{
    if (StoreChanged(FFocusFrame, Value))
        Invalidate();
}

void TzTimerSpeedButton::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    TzSpeedButton::MouseDown(Button, Shift, X, Y);
    if (Button != mbLeft || !Enabled() || !FTimerAllowed)
        return;
    if (!FRepeatTimer) {
        FRepeatTimer = MakeComponent<TTimer>(this);
        FRepeatTimer->SetOnTimer(MakeMethod<&TzTimerSpeedButton::RepeatTick>(this));
    }
    FRepeatTimer->SetInterval(SpinFirstDelay);
    FRepeatTimer->SetEnabled(true);
    // The first step comes with the press; its handler may free the button.
    Click();
}

void TzTimerSpeedButton::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    if (FRepeatTimer)
        FRepeatTimer->SetEnabled(false);
    FReleasing = FTimerAllowed;
    TzSpeedButton::MouseUp(Button, Shift, X, Y);
    FReleasing = false;
}

void TzTimerSpeedButton::Click()
{
    // The repeating press stepped at its start: its release is no further step.
    if (!FReleasing)
        TzSpeedButton::Click();
}

void TzTimerSpeedButton::RepeatTick(TObject*)
{
    FRepeatTimer->SetInterval(SpinRepeatDelay);
    // Nothing of the button after the click: it may free the button and this timer.
    if (MouseCapture())
        Click();
    else
        FRepeatTimer->SetEnabled(false);
}

void TzTimerSpeedButton::Paint()
{
    if (ComponentState() & (csDestroying | csLoading))
        return;
    TzSpeedButton::Paint();
    if (!FFocusFrame)
        return;
    const int d = State() == bsDown ? 1 : 0;
    RECT r{3 + d, 3 + d, Width() - 3 + d, Height() - 3 + d};
    ::DrawFocusRect(Canvas()->Handle(), &r);
}

// ---------------------------------------------------------------------------------------
// TzSpinButton

Z_CLASS_IMPL(TzSpinButton, TWinControl)

TzSpinButton::TzSpinButton(TComponent* AOwner) : TWinControl(AOwner)
{
    SetControlStyle(ControlStyle() & ~(csAcceptsControls | csSetCaption));
    FUpButton = MakeButton();
    FDownButton = MakeButton();
    SetUpGlyph(nullptr);
    SetDownGlyph(nullptr);
    SetBounds(0, 0, SpinButtonWidth, 25);
    FFocusedButton = FUpButton;
}

TzSpinButton::~TzSpinButton()
{
    FUpButton = FDownButton = FFocusedButton = nullptr;
}

TzTimerSpeedButton* TzSpinButton::MakeButton()
{
    auto* b = MakeComponent<TzTimerSpeedButton>(this);
    b->SkinData()->SetSkinSection("SPEEDBUTTON_SMALL");
    b->OnMouseDown = MakeMethod<&TzSpinButton::ButtonMouseDown>(this);
    b->OnClick = MakeMethod<&TzSpinButton::ButtonClick>(this);
    b->SetFlat(false);
    b->SetTransparent(true);
    b->SetParent(this);
    return b;
}

TBitmap* TzSpinButton::UpGlyph() const
{
    return FUpButton->Glyph();
}

TBitmap* TzSpinButton::DownGlyph() const
{
    return FDownButton->Glyph();
}

void TzSpinButton::SetUpGlyph(TBitmap* Value)
{
    FDefaultUp = !Value || Value->Empty();
    FUpButton->SetGlyph(FDefaultUp ? ArrowGlyph(true, ArrowColor(FUpButton)).get() : Value);
    FUpButton->SetNumGlyphs(1);
}

void TzSpinButton::SetDownGlyph(TBitmap* Value)
{
    FDefaultDown = !Value || Value->Empty();
    FDownButton->SetGlyph(FDefaultDown ? ArrowGlyph(false, ArrowColor(FDownButton)).get() : Value);
    FDownButton->SetNumGlyphs(1);
}

void TzSpinButton::RefreshDefaultGlyphs()
{
    if (FDefaultUp)
        SetUpGlyph(nullptr);
    if (FDefaultDown)
        SetDownGlyph(nullptr);
}

void TzSpinButton::SetFocusControl(TWinControl* Value)
{
    ReplaceLink(FFocusControl, Value);
}

void TzSpinButton::Notification(TComponent* AComponent, TOperation Operation)
{
    TWinControl::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == FFocusControl)
        FFocusControl = nullptr;
}

void TzSpinButton::SetBounds(int ALeft, int ATop, int AWidth, int AHeight)
{
    TWinControl::SetBounds(ALeft, ATop, std::max(AWidth, SpinButtonMinWidth), AHeight);
    PlaceButtons();
}

void TzSpinButton::PlaceButtons()
{
    if (!FUpButton || !FDownButton)
        return;
    const int half = Height() / 2;
    FUpButton->SetBounds(0, 0, Width(), half);
    FDownButton->SetBounds(0, half, Width(), Height() - half);
}

void TzSpinButton::Loaded()
{
    TWinControl::Loaded();
    PlaceButtons();
    if (auto* edit = dynamic_cast<TzEdit*>(Owner())) {
        FUpButton->SkinData()->SetSkinManager(edit->SkinData()->OwnSkinManager());
        FDownButton->SkinData()->SetSkinManager(edit->SkinData()->OwnSkinManager());
    }
}

void TzSpinButton::SetFocusedButton(TzTimerSpeedButton* Button)
{
    FFocusedButton = Button;
    const bool focused = HandleAllocated() && Focused();
    FUpButton->SetFocusFrame(focused && Button == FUpButton);
    FDownButton->SetFocusFrame(focused && Button == FDownButton);
}

void TzSpinButton::ButtonMouseDown(TObject* Sender, TMouseButton Button, TShiftState, int, int)
{
    if (Button != mbLeft)
        return;
    SetFocusedButton(Sender == FUpButton ? FUpButton : FDownButton);
    if (FFocusControl && FFocusControl->TabStop() && FFocusControl->CanFocus() && !FFocusControl->Focused())
        FFocusControl->SetFocus();
    else if (!FFocusControl && TabStop() && CanFocus() && !Focused())
        SetFocus();
}

void TzSpinButton::ButtonClick(TObject* Sender)
{
    TNotifyEvent& event = Sender == FUpButton ? OnUpClick : OnDownClick;
    if (event)
        event(this);
}

void TzSpinButton::KeyDown(uint16_t& Key, TShiftState Shift)
{
    TWinControl::KeyDown(Key, Shift);
    if (Key == VK_UP)
        ButtonClick(FUpButton);
    else if (Key == VK_DOWN)
        ButtonClick(FDownButton);
}

void TzSpinButton::WndProc(TMessage& Message)
{
    switch (Message.Msg) {
    case WM_GETDLGCODE:
        Message.Result = DLGC_WANTARROWS;
        return;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        TWinControl::WndProc(Message);
        if (FUpButton) {
            FUpButton->SetFocusFrame(Message.Msg == WM_SETFOCUS && FFocusedButton == FUpButton);
            FDownButton->SetFocusFrame(Message.Msg == WM_SETFOCUS && FFocusedButton == FDownButton);
        }
        return;
    case WM_ERASEBKGND:
        Message.Result = 1;
        return;
    default:
        break;
    }
    switch (SkinCommandOf(Message)) {
    case SKCMD_GETBGIMAGE:
        // The arrows stand on the edit's picture, which holds the edit's frame too.
        if (auto* edit = dynamic_cast<TzEdit*>(Owner())) {
            TBitmap* cache = edit->SkinData()->CacheBmp();
            SharedCacheInfo = cache && !cache->Empty() ? MakeCacheInfo(cache, Left() + 2, Top() + 2) : EmptyCacheInfo;
            Message.LParam = reinterpret_cast<LPARAM>(&SharedCacheInfo);
            Message.Result = Message.LParam;
        }
        return;
    case SKCMD_ISUPDATING:
        Message.LParam = 0;
        Message.Result = 0;
        return;
    default:
        break;
    }
    TWinControl::WndProc(Message);
    if (Message.Msg == CM_ENABLEDCHANGED && FUpButton) {
        FUpButton->SetEnabled(Enabled());
        FDownButton->SetEnabled(Enabled());
    }
    if (Message.Msg == WM_SIZE)
        PlaceButtons();
}

// ---------------------------------------------------------------------------------------
// TzBaseSpinEdit

Z_CLASS_IMPL(TzBaseSpinEdit, TzEdit, Z_PROP_BOOL(TzBaseSpinEdit, EditorEnabled, true))

TzBaseSpinEdit::TzBaseSpinEdit(TComponent* AOwner) : TzEdit(AOwner)
{
    SetControlStyle((ControlStyle() & ~csSetCaption) | csAcceptsControls);
    FButton = MakeComponent<TzSpinButton>(this);
    FButton->SetVisible(false);
    FButton->SetParent(this);
    FButton->SetFocusControl(this);
    FButton->OnUpClick = MakeMethod<&TzBaseSpinEdit::UpClick>(this);
    FButton->OnDownClick = MakeMethod<&TzBaseSpinEdit::DownClick>(this);
    FButton->SetVisible(true);
}

TzBaseSpinEdit::~TzBaseSpinEdit()
{
    // The button goes with the edit's components; nothing of it is used meanwhile.
    if (FButton) {
        FButton->OnUpClick = nullptr;
        FButton->OnDownClick = nullptr;
    }
    FButton = nullptr;
}

void TzBaseSpinEdit::Loaded()
{
    TzEdit::Loaded();
    PlaceButton();
}

void TzBaseSpinEdit::CreateParams(TCreateParams& Params)
{
    TzEdit::CreateParams(Params);
    // Only a multi-line edit keeps to the text rectangle it is given: the text then stops
    // before the arrows instead of running under them.
    Params.Style = (Params.Style & ~DWORD(WS_BORDER)) | WS_CLIPCHILDREN | ES_MULTILINE;
}

void TzBaseSpinEdit::CreateWnd()
{
    TzEdit::CreateWnd();
    PlaceButton();
}

TRect TzBaseSpinEdit::TextRect()
{
    const int w = HandleAllocated() ? ClientWidth() : Width() - 4;
    const int h = HandleAllocated() ? ClientHeight() : Height() - 4;
    return TRect(0, 0, std::max(0, w - (FButton ? FButton->Width() : 0) - 2), h + 1);
}

void TzBaseSpinEdit::PlaceButton()
{
    if (!FButton)
        return;
    FButton->SetBounds(Width() - FButton->Width() - 4, 0, FButton->Width(), std::max(0, Height() - 4));
    if (HandleAllocated()) {
        const TRect t = TextRect();
        RECT r{t.Left, t.Top, t.Right, t.Bottom};
        SendMessageW(WindowHandle(), EM_SETRECTNP, 0, reinterpret_cast<LPARAM>(&r));
    }
}

void TzBaseSpinEdit::PaintText()
{
    // The text into the cache within the same room as in the window.
    TzCommonData* sd = FSkinData.get();
    TCanvas* c = sd->CacheBmp()->Canvas();
    c->Font()->Assign(Font());
    const int inset = FrameWidth();
    const TRect text = TextRect();
    const TRect r(inset + 1, inset, inset + text.Right, Height() - inset - 1);
    DrawSkinTextByIndexW(c, Text(), TextFlags(true, IsControlActive(sd) && !ReadOnly()), sd->GetSkinManager(),
                         sd->SkinIndex, DT_NOPREFIX, r);
}

bool TzBaseSpinEdit::AcceptsChar(WideChar Key)
{
    if (!FEditorEnabled)
        return IsControlChar(Key) && Key != VK_BACK && Key != VK_RETURN;
    if (IsControlChar(Key))
        return Key != VK_RETURN;
    return Key == L'+' || Key == L'-' || (Key >= L'0' && Key <= L'9') || Key == WideChar(uint8_t(DecimalSeparator));
}

bool TzBaseSpinEdit::CanStep()
{
    if (!ReadOnly())
        return true;
    SpinEditBeep();
    return false;
}

void TzBaseSpinEdit::StepUp()
{
    if (CanStep())
        StepBy(1);
}

void TzBaseSpinEdit::StepDown()
{
    if (CanStep())
        StepBy(-1);
}

void TzBaseSpinEdit::KeyDown(uint16_t& Key, TShiftState Shift)
{
    if (Key == VK_UP)
        StepUp();
    else if (Key == VK_DOWN)
        StepDown();
    TzEdit::KeyDown(Key, Shift);
}

void TzBaseSpinEdit::WndProc(TMessage& Message)
{
    switch (Message.Msg) {
    case WM_CHAR:
        // The whole character decides (a letter beyond Latin-1 is no digit, whatever its
        // low byte says).
        if (!AcceptsChar(WideChar(Message.WParam))) {
            SpinEditBeep();
            return;
        }
        break;
    case WM_PASTE:
    case WM_CUT:
        if (!FEditorEnabled || ReadOnly())
            return;
        break;
    case CM_MOUSEWHEEL:
        if (!ReadOnly()) {
            StepBy(int16_t(HIWORD(Message.WParam)) / WHEEL_DELTA);
            Message.Result = 1;
            return;
        }
        break;
    default:
        break;
    }
    TzSkinManager* own = FSkinData->GetSkinManager();
    const uint16_t command = SkinCommandOf(Message);
    if (command == SKCMD_ISUPDATING) {
        Message.LParam = 0;
        return;
    }
    TzEdit::WndProc(Message);
    if (Message.Msg == CM_EXIT)
        KeepInLimits();
    if (!FButton)
        return;
    if ((command == SKCMD_NEWSKIN || command == SKCMD_SKINREMOVED || command == SKCMD_REFRESH) &&
        Message.LParam == reinterpret_cast<LPARAM>(own)) {
        // The arrows hear the skin as the edit does, and take its text colour.
        TMessage m = Message;
        FButton->UpButton()->WindowProc()(m);
        m = Message;
        FButton->DownButton()->WindowProc()(m);
        FButton->RefreshDefaultGlyphs();
        return;
    }
    switch (Message.Msg) {
    case WM_SIZE:
        PlaceButton();
        break;
    case WM_PAINT:
        if (!FSkinData->GetUpdating() && FSkinData->Skinned())
            for (TzTimerSpeedButton* b : {FButton->UpButton(), FButton->DownButton()}) {
                b->Perform(SM_SKINCMD, SkinCommandWParam(SKCMD_FADEDONE), 0);
                b->SkinData()->SetBGChanged(true);
                b->Repaint();
            }
        break;
    case CM_MOUSEENTER:
    case CM_MOUSELEAVE:
        for (TzTimerSpeedButton* b : {FButton->UpButton(), FButton->DownButton()}) {
            b->SkinData()->SetMouseAbove(false);
            b->Perform(SM_SKINCMD, SkinCommandWParam(SKCMD_FADEDONE), 0);
            b->SkinData()->Invalidate();
        }
        break;
    case CM_ENABLEDCHANGED:
        FButton->SetEnabled(Enabled());
        break;
    default:
        break;
    }
}

// ---------------------------------------------------------------------------------------
// TzSpinEdit

Z_CLASS_IMPL(TzSpinEdit, TzBaseSpinEdit, Z_PROP_INT_ND(TzSpinEdit, MinValue), Z_PROP_INT_ND(TzSpinEdit, MaxValue),
             Z_PROP_INT(TzSpinEdit, Increment, 1))

TzSpinEdit::TzSpinEdit(TComponent* AOwner) : TzBaseSpinEdit(AOwner) {}

bool TzSpinEdit::AcceptsChar(WideChar Key)
{
    if (!EditorEnabled())
        return IsControlChar(Key) && Key != VK_BACK && Key != VK_RETURN;
    if (IsControlChar(Key))
        return Key != VK_RETURN;
    return Key >= L'0' && Key <= L'9';
}

int TzSpinEdit::Clamped(int Value) const
{
    if (FMinValue == FMaxValue)
        return Value;
    return std::clamp(Value, std::min(FMinValue, FMaxValue), std::max(FMinValue, FMaxValue));
}

int TzSpinEdit::Value()
{
    int v = 0;
    return TryStrToInt(WideToAnsi(Text()), v) ? v : FMinValue;
}

void TzSpinEdit::SetValue(int Value)
{
    SetText(AnsiToWide(IntToStr(Clamped(Value))));
}

void TzSpinEdit::StepBy(int Steps)
{
    SetValue(Value() + Steps * FIncrement);
}

void TzSpinEdit::KeepInLimits()
{
    if (Value() != Clamped(Value()))
        SetValue(Value());
}

// ---------------------------------------------------------------------------------------
// TzDecimalSpinEdit

Z_CLASS_IMPL(TzDecimalSpinEdit, TzBaseSpinEdit, Z_PROP_INT(TzDecimalSpinEdit, Decimals, 2))

TzDecimalSpinEdit::TzDecimalSpinEdit(TComponent* AOwner) : TzBaseSpinEdit(AOwner) {}

void TzDecimalSpinEdit::SetDecimals(int Value)
{
    FDecimals = std::clamp(Value, 0, 9);
}

bool TzDecimalSpinEdit::AcceptsChar(WideChar Key)
{
    if (!EditorEnabled() || IsControlChar(Key))
        return TzBaseSpinEdit::AcceptsChar(Key);
    const WideString text = Text();
    const WideChar separator = WideChar(uint8_t(DecimalSeparator));
    if (Key == separator)
        return FDecimals > 0 && text.find(separator) == WideString::npos;
    return Key == L'-' || (Key >= L'0' && Key <= L'9');
}

double TzDecimalSpinEdit::Clamped(double Value) const
{
    if (FMinValue == FMaxValue)
        return Value;
    return std::clamp(Value, std::min(FMinValue, FMaxValue), std::max(FMinValue, FMaxValue));
}

double TzDecimalSpinEdit::Value()
{
    AnsiString text = WideToAnsi(Text());
    for (char& c : text)
        if (c == DecimalSeparator)
            c = '.';
    // Read and written without the C runtime's locale, which may put another separator in.
    const char* begin = text.c_str() + (!text.empty() && text[0] == '+');
    const char* end = text.c_str() + text.size();
    double v = 0;
    const auto r = std::from_chars(begin, end, v, std::chars_format::fixed);
    return text.empty() || r.ec != std::errc() || r.ptr != end ? FMinValue : v;
}

void TzDecimalSpinEdit::SetValue(double Value)
{
    const double scale = std::pow(10.0, FDecimals);
    const double v = std::round(Clamped(Value) * scale) / scale;
    char buf[400];
    const auto r = std::to_chars(buf, buf + sizeof(buf), v == 0 ? 0.0 : v, std::chars_format::fixed, FDecimals);
    AnsiString text(buf, r.ec == std::errc() ? r.ptr : buf);
    for (char& c : text)
        if (c == '.')
            c = DecimalSeparator;
    SetText(AnsiToWide(text));
}

void TzDecimalSpinEdit::StepBy(int Steps)
{
    SetValue(Value() + Steps * FIncrement);
}

void TzDecimalSpinEdit::KeepInLimits()
{
    if (Value() != Clamped(Value()))
        SetValue(Value());
}

void InitSpinEdits()
{
    RegisterClass(TzSpinEdit::StaticClassInfo());
    RegisterClass(TzDecimalSpinEdit::StaticClassInfo());
}
