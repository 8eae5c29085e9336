#include "skinctl/zspinedit.h"

#include "classlib/extctrls.h"
#include "skin/zcontrolutils.h"
#include "skin/zgraphics.h"
#include "skin/zskinmanager.h"
#include "skin/zskintextpaint.h"
#include "skinctl/zskinctl.h"

#include <algorithm>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <tuple>

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

// Enter, and the line feed of Ctrl+Enter: a one-line edit takes neither.
bool IsLineBreak(WideChar C)
{
    return C == L'\r' || C == L'\n';
}

// The characters every spin edit takes with its editor off: control characters but
// Backspace and the line breaks (copying, the keyboard's own moves).
bool AcceptsWithEditorOff(WideChar C)
{
    return IsControlChar(C) && C != VK_BACK && !IsLineBreak(C);
}

// The clipboard's text, empty when it holds none.
WideString ClipboardText(HWND Owner)
{
    WideString text;
    if (!OpenClipboard(Owner))
        return text;
    if (HANDLE data = GetClipboardData(CF_UNICODETEXT))
        if (auto* chars = static_cast<const wchar_t*>(GlobalLock(data))) {
            text = chars;
            GlobalUnlock(data);
        }
    CloseClipboard();
    return text;
}

// A picture given in place of a built-in one: form data carries it only when there is one.
template <class C, auto G> TPropInfo GivenPicture(const char* Name)
{
    TPropInfo p = zprop::Obj<C, G>(Name);
    p.IsStored = [](const TObject* o) { return !(static_cast<const C*>(o)->*G)()->Empty(); };
    return p;
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

Z_CLASS_IMPL(TzSpinButton, TWinControl, GivenPicture<TzSpinButton, &TzSpinButton::UpGlyph>("UpGlyph"),
             GivenPicture<TzSpinButton, &TzSpinButton::DownGlyph>("DownGlyph"),
             Z_PROP_REF(TzSpinButton, FocusControl, TWinControl))

TzSpinButton::TzSpinButton(TComponent* AOwner)
    : TWinControl(AOwner), FUpGlyph(std::make_unique<TBitmap>()), FDownGlyph(std::make_unique<TBitmap>())
{
    SetControlStyle(ControlStyle() & ~(csAcceptsControls | csSetCaption));
    FUpButton = MakeButton();
    FDownButton = MakeButton();
    FUpGlyph->OnChange = MakeMethod<&TzSpinButton::GlyphsChanged>(this);
    FDownGlyph->OnChange = MakeMethod<&TzSpinButton::GlyphsChanged>(this);
    GlyphsChanged(nullptr);
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

void TzSpinButton::SetUpGlyph(TBitmap* Value)
{
    FUpGlyph->Assign(Value);
}

void TzSpinButton::SetDownGlyph(TBitmap* Value)
{
    FDownGlyph->Assign(Value);
}

void TzSpinButton::GlyphsChanged(TObject*)
{
    if (!FUpButton || !FDownButton)
        return;
    for (auto [button, given, up] : {std::tuple(FUpButton, FUpGlyph.get(), true),
                                     std::tuple(FDownButton, FDownGlyph.get(), false)}) {
        button->SetGlyph(given->Empty() ? ArrowGlyph(up, ArrowColor(button)).get() : given);
        button->SetNumGlyphs(1);
    }
}

void TzSpinButton::RefreshDefaultGlyphs()
{
    GlyphsChanged(nullptr);
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
    ShowFocusFrame(HandleAllocated() && Focused());
}

void TzSpinButton::ShowFocusFrame(bool Focused)
{
    if (!FUpButton)
        return;
    FUpButton->SetFocusFrame(Focused && FFocusedButton == FUpButton);
    FDownButton->SetFocusFrame(Focused && FFocusedButton == FDownButton);
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

// No skin data of its own, so not the skinned controls' procedure: the arrows are skinned
// speed buttons, and the spin button only answers what they ask of their parent.
void TzSpinButton::WndProc(TMessage& Message)
{
    switch (Message.Msg) {
    case WM_GETDLGCODE:
        Message.Result = DLGC_WANTARROWS;
        return;
    case WM_ERASEBKGND:
        Message.Result = 1;
        return;
    case SM_SKINCMD:
        if (SkinCommand(Message))
            return;
        break;
    default:
        break;
    }
    TWinControl::WndProc(Message);
    switch (Message.Msg) {
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        ShowFocusFrame(Message.Msg == WM_SETFOCUS);
        break;
    case CM_ENABLEDCHANGED:
        FUpButton->SetEnabled(Enabled());
        FDownButton->SetEnabled(Enabled());
        break;
    case WM_SIZE:
        PlaceButtons();
        break;
    default:
        break;
    }
}

bool TzSpinButton::SkinCommand(TMessage& Message)
{
    TWMSkinCommand command(Message);
    switch (command.Command) {
    case SKCMD_GETBGIMAGE:
        AnswerBackground(command);
        return true;
    case SKCMD_ISUPDATING:
        // Never waiting for a parent's update: the arrows paint when asked.
        command.Answer(0);
        return true;
    default:
        return false;
    }
}

void TzSpinButton::AnswerBackground(TWMSkinCommand& Command)
{
    // The arrows stand on the edit's picture, which holds the edit's frame too.
    auto* edit = dynamic_cast<TzEdit*>(Owner());
    if (!edit)
        return;
    TBitmap* cache = edit->SkinData()->CacheBmp();
    SharedCacheInfo = cache && !cache->Empty() ? MakeCacheInfo(cache, Left() + 2, Top() + 2) : EmptyCacheInfo;
    Command.Answer(reinterpret_cast<LPARAM>(&SharedCacheInfo));
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
        return AcceptsWithEditorOff(Key);
    if (IsControlChar(Key))
        return !IsLineBreak(Key);
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
    else if (Key == VK_DELETE && !EditingAllowed())
        Key = 0;
    TzEdit::KeyDown(Key, Shift);
}

void TzBaseSpinEdit::PasteFirstLine()
{
    const WideString text = ClipboardText(WindowHandle());
    const WideString line = text.substr(0, text.find_first_of(L"\r\n"));
    SendMessageW(WindowHandle(), EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(line.c_str()));
}

bool TzBaseSpinEdit::PreviewMessage(TMessage& Message)
{
    switch (Message.Msg) {
    case WM_CHAR:
        // The whole character decides (a letter beyond Latin-1 is no digit, whatever its
        // low byte says).
        if (AcceptsChar(WideChar(Message.WParam)))
            return false;
        SpinEditBeep();
        return true;
    case WM_PASTE:
        if (EditingAllowed())
            PasteFirstLine();
        return true;
    case WM_CUT:
    case WM_CLEAR:
    case WM_UNDO:
    case EM_UNDO:
        return !EditingAllowed();
    case CM_MOUSEWHEEL:
        return !ReadOnly() && WheelStep(Message);
    case SM_SKINCMD:
        // Never waiting for a parent's update.
        if (SkinCommandOf(Message) != SKCMD_ISUPDATING)
            return TzEdit::PreviewMessage(Message);
        TWMSkinCommand(Message).Answer(0);
        return true;
    default:
        return TzEdit::PreviewMessage(Message);
    }
}

bool TzBaseSpinEdit::WheelStep(TMessage& Message)
{
    StepBy(TWMMouseWheel(Message).WheelDelta / WHEEL_DELTA);
    Message.Result = 1;
    return true;
}

void TzBaseSpinEdit::SkinChanged(TWMSkinCommand& Command)
{
    TzEdit::SkinChanged(Command);
    if (FButton)
        ButtonsHearSkin(Command);
}

void TzBaseSpinEdit::AfterMessage(TMessage& Message)
{
    TzEdit::AfterMessage(Message);
    switch (Message.Msg) {
    case WM_GETDLGCODE:
        // The multi-line style claims every key: Enter and Escape go to the form's buttons.
        Message.Result &= ~static_cast<LRESULT>(DLGC_WANTALLKEYS);
        break;
    case CM_EXIT:
        KeepInLimits();
        break;
    case WM_SIZE:
        PlaceButton();
        break;
    case WM_PAINT:
        if (FButton && !FSkinData->GetUpdating() && FSkinData->Skinned())
            ButtonsShowAgain(true);
        break;
    case CM_MOUSEENTER:
    case CM_MOUSELEAVE:
        if (FButton)
            ButtonsShowAgain(false);
        break;
    case CM_ENABLEDCHANGED:
        if (FButton)
            FButton->SetEnabled(Enabled());
        break;
    default:
        break;
    }
}

void TzBaseSpinEdit::ButtonsHearSkin(const TWMSkinCommand& Command)
{
    // The command as it came, whatever the edit's handling answered in it.
    for (TzTimerSpeedButton* b : {FButton->UpButton(), FButton->DownButton()}) {
        TMessage m = Command.Message;
        m.LParam = Command.Param;
        m.Result = 0;
        b->WindowProc()(m);
    }
    FButton->RefreshDefaultGlyphs();
}

void TzBaseSpinEdit::ButtonsShowAgain(bool Repaint)
{
    // The edit painted over them (or the mouse left them for the edit): any fade ends, and
    // they show their resting face.
    for (TzTimerSpeedButton* b : {FButton->UpButton(), FButton->DownButton()}) {
        if (!Repaint)
            b->SkinData()->SetMouseAbove(false);
        b->Perform(SM_SKINCMD, SkinCommandWParam(SKCMD_FADEDONE), 0);
        if (Repaint) {
            b->SkinData()->SetBGChanged(true);
            b->Repaint();
        } else {
            b->SkinData()->Invalidate();
        }
    }
}

// ---------------------------------------------------------------------------------------
// TzSpinEdit

Z_CLASS_IMPL(TzSpinEdit, TzBaseSpinEdit, Z_PROP_INT_ND(TzSpinEdit, MinValue), Z_PROP_INT_ND(TzSpinEdit, MaxValue),
             Z_PROP_INT(TzSpinEdit, Increment, 1), Z_PROP_INT_ND(TzSpinEdit, Value))

TzSpinEdit::TzSpinEdit(TComponent* AOwner) : TzBaseSpinEdit(AOwner) {}

bool TzSpinEdit::AcceptsChar(WideChar Key)
{
    if (!EditorEnabled() || IsControlChar(Key))
        return TzBaseSpinEdit::AcceptsChar(Key);
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
    // Without limits a step past the integer range stops at its end.
    const int64_t next = int64_t(Value()) + int64_t(Steps) * FIncrement;
    SetValue(int(std::clamp<int64_t>(next, INT_MIN, INT_MAX)));
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
    // The number is read in the neutral form, '.' between the parts: the separator becomes
    // one, and a '.' that is not the separator makes it no number.
    AnsiString text = WideToAnsi(Text());
    for (char& c : text)
        c = c == DecimalSeparator ? '.' : c == '.' ? 'x' : c;
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
    // Written in the neutral form, then with the separator of the user's numbers.
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
