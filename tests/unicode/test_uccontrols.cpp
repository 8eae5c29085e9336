#include "ucwin.h"
#include "classlib/actnlist.h"
#include "classlib/menus.h"
#include "join.h"
#include "msgrecorder.h"

namespace {

// A control with a Unicode window: a plain one, or one whose default procedure is that of
// the system class SubClass.
class TUcTestControl : public TWinControl {
    Z_CLASS(TUcTestControl, TWinControl)
public:
    explicit TUcTestControl(TComponent* AOwner) : TWinControl(AOwner) { SetBounds(0, 0, 120, 24); }
    WideString SubClass;
    bool FailCreate = false;
    std::vector<char> Keys;

protected:
    void CreateWindowHandle(const TCreateParams& Params) override
    {
        CreateUnicodeWindowHandle(this, Params, SubClass, false);
    }
    void Dispatch(TMessage& Message) override
    {
        if (Message.Msg == WM_NCCREATE && FailCreate) {
            Message.Result = 0;
            return;
        }
        TWinControl::Dispatch(Message);
    }
    void KeyPress(char& Key) override { Keys.push_back(Key); }
};
Z_CLASS_IMPL(TUcTestControl, TWinControl)

// A control of a class of its own, for the class registration case.
class TUcReRegControl : public TUcTestControl {
    Z_CLASS(TUcReRegControl, TUcTestControl)
public:
    using TUcTestControl::TUcTestControl;
};
Z_CLASS_IMPL(TUcReRegControl, TUcTestControl)

class TPaintBox : public TGraphicControl {
public:
    explicit TPaintBox(TComponent* AOwner) : TGraphicControl(AOwner) {}
    int TextChanged = 0;

protected:
    void Dispatch(TMessage& Message) override
    {
        TextChanged += Message.Msg == CM_TEXTCHANGED;
        TGraphicControl::Dispatch(Message);
    }
};

// A system class of the tests' own that records the characters, the notification formats
// and WM_RECORDED its procedure gets: the default procedure of controls that subclass it.
using TRecords = std::vector<std::pair<UINT, WPARAM>>;
TRecords g_recorded;
const wchar_t* const RecorderClass = L"ZUcRecorderW";
constexpr UINT WM_RECORDED = WM_USER + 100;

LRESULT CALLBACK RecorderProc(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam)
{
    if (Msg == WM_CHAR || Msg == WM_IME_CHAR || Msg == WM_RECORDED || Msg == WM_NOTIFYFORMAT)
        g_recorded.emplace_back(Msg, WParam);
    return Msg == WM_RECORDED ? 0x1234 : DefWindowProcW(Wnd, Msg, WParam, LParam);
}

// A control on F whose default procedure is the recording one; the records emptied.
TUcTestControl* AddRecorded(TTestForm<>& F)
{
    WNDCLASSW cls{};
    cls.lpfnWndProc = &RecorderProc;
    cls.hInstance = GetModuleHandleW(nullptr);
    cls.lpszClassName = RecorderClass;
    if (!GetClassInfoW(cls.hInstance, RecorderClass, &cls))
        REQUIRE(RegisterClassW(&cls));
    auto* ctl = F.Add<TUcTestControl>();
    ctl->SubClass = RecorderClass;
    ctl->HandleNeeded();
    g_recorded.clear();
    return ctl;
}

// Replaces a control's WindowProc with its own and counts what passes.
struct TProcHook {
    TControl* Control;
    TWndMethod Old;
    int Passed = 0;
    explicit TProcHook(TControl* C) : Control(C), Old(C->WindowProc())
    {
        C->SetWindowProc(MakeMethod<&TProcHook::Proc>(this));
    }
    void Proc(TMessage& M)
    {
        ++Passed;
        Old(M);
    }
};

} // namespace

TEST_CASE("WM_CHAR carries characters above 255 through the 8-bit key handling; the library's edit gets them packed, the window whole")
{
    // The WParam of a message packed once and twice, and unpacked again.
    auto packed = [](UINT Msg, WPARAM W) {
        TMessage m{Msg, W, 1, 0};
        PackWideCharMessage(m);
        const WPARAM once = m.WParam;
        PackWideCharMessage(m);
        const WPARAM twice = m.WParam;
        UnpackWideCharMessage(m);
        return Join(once, twice, m.WParam);
    };
    const WPARAM zhe = MAKEWPARAM(255, 0x0416);   // Ж packed
    CHECK(packed(WM_CHAR, 0x0416) == Join(zhe, zhe, 0x0416));
    CHECK(WideCharOfCharMessage(TMessage{WM_CHAR, zhe, 1, 0}) == L'\x0416');
    // The letter 255 itself is left as it is.
    CHECK(packed(WM_CHAR, 255) == Join(255, 255, 255));
    CHECK(WideCharOfCharMessage(TMessage{WM_CHAR, 255, 1, 0}) == WideChar(255));
    // A message with the unused word already set, as any process may send, is no failure.
    CHECK(packed(WM_CHAR, MAKEWPARAM('a', 0x1234)) == Join('a', 'a', 'a'));
    CHECK(packed(WM_CHAR, MAKEWPARAM(0x0416, 0x1234)) == Join(zhe, zhe, 0x0416));
    TMessage oddUnpack{WM_CHAR, MAKEWPARAM('a', 0x1234), 1, 0};
    UnpackWideCharMessage(oddUnpack);
    CHECK(oddUnpack.WParam == 'a');
    // Other messages are left alone.
    CHECK(packed(WM_KEYDOWN, 0x0416) == Join(1046, 1046, 1046));
    CHECK(IsWindowTextMessage(WM_GETTEXTLENGTH));
    CHECK_FALSE(IsWindowTextMessage(WM_CHAR));
    TMessage a{WM_CHAR, 'a', 1, 0};
    SetWideCharOfCharMessage(a, L'\x4E2D');
    CHECK(a.WParam == MAKEWPARAM(255, 0x4E2D));

    // Typed into the library's edit: the key handling gets it packed, the window whole.
    {
        TTestForm f;
        auto* edit = f.Add<TWideEdit>();
        SetControlWideText(edit, Chinese);
        HWND wnd = edit->Handle();
        SendMessageW(wnd, EM_SETSEL, 2, 2);
        SendMessageW(wnd, WM_CHAR, 0x0416, 1);
        REQUIRE(edit->Keys.size() == 1);
        CHECK(uint8_t(edit->Keys[0]) == 255);
        // A key the handling replaces is the library's affair as before.
        edit->Replace = 'x';
        SendMessageW(wnd, WM_CHAR, 0x0436, 1);
        CHECK(WideWindowText(wnd) == Chinese + L"\x0416x");
    }
}

TEST_CASE("wide text: kept in the store object without a window and told once a change; the library's text messages go to a Unicode window as ANSI, the system's own do not")
{
    TTestForm f;
    auto* box = f.Add<TPaintBox>();
    // Sets the wide text, which reads back; answers the ANSI caption and the changes so far.
    auto set = [&](const WideString& Text) {
        SetControlWideText(box, Text);
        CHECK(GetControlWideText(box) == Text);
        return Join(box->Caption(), box->TextChanged);
    };
    // A text without an ANSI form lives in the store object; the ANSI side shows "??".
    CHECK(set(Chinese) == Join("??", 1));
    // Another one with the same ANSI form still reaches the control (the ANSI side is
    // emptied first); the same one again changes nothing.
    CHECK(set(OtherChinese) == Join("??", 3));
    CHECK(set(OtherChinese) == Join("??", 3));
    // Changed behind the wide side, the ANSI text wins.
    box->SetCaption("abc");
    CHECK(GetControlWideText(box) == L"abc");

    // Hints: the first one up the parents; the ANSI platform converts.
    SetControlWideHint(f.Form.get(), Chinese);
    CHECK(GetWideHintOfChain(box) == Chinese);
    CHECK(Join(WideShortHintPart(L"plain"), WideLongHintPart(L"plain"), WideLongHintPart(L"a|b|c")) ==
          Join("plain", "plain", "b|c"));
    {
        TAnsiPlatform ansi;
        SetControlWideHint(box, Sigma);
        CHECK(Join(box->Hint(), GetControlWideHint(box)) == Join(WideToAnsi(Sigma), AnsiToWide(WideToAnsi(Sigma))));
    }

    // Text messages of the library go to a Unicode window as ANSI, the system's own do not.
    {
        TTestForm f;
        auto* ctl = f.Add<TUcTestControl>();
        SetControlWideText(ctl, Chinese);
        HWND wnd = ctl->Handle();

        // The library asks: the system hands over its ANSI form.
        CHECK(Join(ctl->Text(), ctl->GetTextLen()) == Join("??", 2));
        // The library sets ANSI text: the window gets it converted.
        ctl->SetText(WideToAnsi(L"\x041C\x0438\x0440"));
        CHECK(WideWindowText(wnd) == L"\x041C\x0438\x0440");

        // The system asks the window itself: the library's handling sees the request once, and
        // the answer is wide.
        SetControlWideText(ctl, Chinese);
        TMsgRecorder rec({WM_GETTEXT});
        rec.Attach(ctl, "ctl");
        wchar_t buf[16] = {};
        CHECK(SendMessageW(wnd, WM_GETTEXT, 16, reinterpret_cast<LPARAM>(buf)) == 2);
        CHECK_MESSAGES(rec, {"ctl", WM_GETTEXT, 16});
        CHECK(Join(buf, SendMessageW(wnd, WM_GETTEXTLENGTH, 0, 0)) == Join(Chinese, 2));
    }
}

TEST_CASE("characters and other messages reach the control's own default procedure whole; IME characters become WM_CHAR before XP")
{
    TTestForm f;
    auto* ctl = AddRecorded(f);
    HWND wnd = ctl->Handle();
    SendMessageW(wnd, WM_CHAR, 0x4E2D, 1);
    // A foreign sender's high word neither trips anything nor comes through.
    SendMessageW(wnd, WM_CHAR, MAKEWPARAM('q', 0x1234), 1);
    CHECK(ctl->Keys.back() == 'q');
    SendMessageW(wnd, WM_IME_CHAR, 0x4E2D, 1);
    CHECK(g_recorded == TRecords{{WM_CHAR, 0x4E2D}, {WM_CHAR, 'q'}, {WM_IME_CHAR, 0x4E2D}});

    {
        TRestore<bool> restore(PlatformIsXPOrLater);
        PlatformIsXPOrLater = false;
        g_recorded.clear();
        SendMessageW(wnd, WM_IME_CHAR, 0x6587, 1);
        CHECK(g_recorded == TRecords{{WM_CHAR, 0x6587}});
    }
    g_recorded.clear();

    // The trap's default procedure passes on to the control's own default procedure: from the
    // system and from the library, a message nobody handles reaches the system class's
    // procedure once, and its answer comes back.
    CHECK(SendMessageW(wnd, WM_RECORDED, 1, 2) == 0x1234);
    CHECK(ctl->Perform(WM_RECORDED, 3, 4) == 0x1234);
    CHECK(g_recorded == TRecords{{WM_RECORDED, 1}, {WM_RECORDED, 3}});

    // The notification format follows the sender; a requery is the control's own affair.
    auto* other = f.Add<TUcTestControl>();
    auto* ansi = f.Add<TEdit>();
    CHECK(Join(SendMessageW(wnd, WM_NOTIFYFORMAT, reinterpret_cast<WPARAM>(other->Handle()), NF_QUERY),
               SendMessageW(wnd, WM_NOTIFYFORMAT, reinterpret_cast<WPARAM>(ansi->Handle()), NF_QUERY)) ==
          Join(NFR_UNICODE, NFR_ANSI));
    g_recorded.clear();
    SendMessageW(wnd, WM_NOTIFYFORMAT, reinterpret_cast<WPARAM>(f.Form->Handle()), NF_REQUERY);
    CHECK(g_recorded == TRecords{{WM_NOTIFYFORMAT, reinterpret_cast<WPARAM>(f.Form->Handle())}});
}

TEST_CASE("a Unicode window class registered over another procedure, and one that cannot go")
{
    HINSTANCE inst = GetModuleHandleW(nullptr);
    UnregisterClassW(L"TUcReRegControl.UnicodeClass", inst);
    WNDCLASSW cls{};
    cls.lpfnWndProc = &DefWindowProcW;
    cls.hInstance = inst;
    cls.lpszClassName = L"TUcReRegControl.UnicodeClass";
    REQUIRE(RegisterClassW(&cls));
    TTestForm f;
    auto* ctl = f.Add<TUcReRegControl>();
    SetControlWideText(ctl, Greek);
    CHECK(WideWindowText(ctl->Handle()) == Greek);
    WNDCLASSW found{};
    REQUIRE(GetClassInfoW(inst, L"TUcReRegControl.UnicodeClass", &found));
    CHECK((found.lpfnWndProc == &UnicodeInitialWindowProc));
    // Another procedure while a window of the class lives: the class cannot go.
    TCreateParams params;
    params.SetWinClassName("TUcReRegControl");
    params.WindowClass.hInstance = inst;
    WideString name;
    CHECK_THROWS_AS(RegisterUnicodeWindowClass(params, name, true), EOSError);
}

TEST_CASE("failures of window creation and subclassing")
{
    TTestForm f;
    int traps = WinControlTrapCount();
    auto* ctl = f.Add<TUcTestControl>();

    SUBCASE("a window that cannot be made leaves no control marked as being created")
    {
        ctl->FailCreate = true;
        CHECK_THROWS_AS(ctl->HandleNeeded(), EOSError);
        CHECK(WindowBeingCreated() == nullptr);
        CHECK(CreationControl == nullptr);
        CHECK_FALSE(ctl->HandleAllocated());
        CHECK(WinControlTrapCount() == traps);
        ctl->FailCreate = false;
        SetControlWideText(ctl, Cyrillic);
        CHECK(WideWindowText(ctl->Handle()) == Cyrillic);
    }
    SUBCASE("a control that is being destroyed gets no window")
    {
        ctl->SetName("Going");
        ctl->SetComponentStateFlag(csDestroying, true);
        const char* message =
            "Internal Error: Can not subclass a control while it's being destroyed: Going (TUcTestControl)";
        CHECK_THROWS_WITH_AS(ctl->HandleNeeded(), message, EUcInternalError);
        CHECK_THROWS_AS(std::make_unique<TWinControlTrap>(ctl), EUcInternalError);
        ctl->SetComponentStateFlag(csDestroying, false);
        CHECK(WindowBeingCreated() == nullptr);
        CHECK(WinControlTrapCount() == traps);
    }
    SUBCASE("only Unicode windows are subclassed")
    {
        auto* ansi = f.Add<TEdit>();
        ansi->HandleNeeded();
        CHECK_THROWS_WITH_AS(SubClassUnicodeControl(ansi, "", false),
                             "Internal Error: SubClassUnicodeControl.Control is not Unicode.", EUcInternalError);
        CHECK_THROWS_AS(SubClassUnicodeControl(ctl, "", false), EUcInternalError);
    }
}

namespace {
// The traps beyond Before, and those kept free.
std::string TrapCounts(int Before)
{
    return Join(WinControlTrapCount() - Before, FreeWinControlTrapCount());
}
} // namespace

TEST_CASE("a trap goes with its window unless another WindowProc holds it; a kept trap is taken again")
{
    TTestForm f;
    const int traps = WinControlTrapCount();
    auto* ctl = f.Add<TUcTestControl>();
    SetControlWideText(ctl, Chinese);
    ctl->HandleNeeded();
    CHECK(TrapCounts(traps) == Join(1, 0));
    ctl->RecreateWnd();
    CHECK(TrapCounts(traps) == Join(0, 0));
    CHECK(ctl->WindowProc().Data() == static_cast<void*>(static_cast<TControl*>(ctl)));

    ctl->HandleNeeded();
    TWinControlTrap* trap = FindWinControlTrap(ctl);
    REQUIRE(trap);
    TProcHook hook(ctl);
    ctl->RecreateWnd();
    CHECK(TrapCounts(traps) == Join(1, 1));
    CHECK(ctl->Text() == "??");   // without a window the trap only passes messages on
    HWND wnd = ctl->Handle();
    CHECK(TrapCounts(traps) == Join(1, 0));
    CHECK(FindWinControlTrap(ctl) == trap);
    // Installed once: the library's text request passes the hook and the trap, once.
    hook.Passed = 0;
    CHECK(Join(ctl->Text(), WideWindowText(wnd)) == Join("??", Chinese));
    CHECK(hook.Passed > 0);
    CHECK(ctl->WindowProc() == MakeMethod<&TProcHook::Proc>(&hook));
    // A kept trap goes with its control.
    ctl->RecreateWnd();
    CHECK(TrapCounts(traps) == Join(1, 1));
    delete ctl;
    CHECK(TrapCounts(traps) == Join(0, 0));
}

namespace {
THintInfo HintInfoOf(TControl* Control, const TClassInfo* Cls, AnsiString Str)
{
    THintInfo info;
    info.HintControl = Control;
    info.HintWindowClass = Cls;
    info.HintStr = std::move(Str);
    return info;
}
} // namespace

TEST_CASE("a hint window class of its own is left alone; a hint that shows its action's shortcut keeps the wide hint")
{
    TTestForm f;
    auto* ctl = f.Add<TUcTestControl>();
    ctl->HandleNeeded();
    THintInfo other = HintInfoOf(ctl, &TCustomControl::StaticClassInfo(), "kept");
    ctl->Perform(CM_HINTSHOW, 0, reinterpret_cast<LPARAM>(&other));
    CHECK(other.HintWindowClass == &TCustomControl::StaticClassInfo());
    CHECK(other.HintData == nullptr);

    auto* action = new TAction(f.Form.get());
    action->SetShortCut(ShortCut('S', ssCtrl));
    ctl->SetAction(action);
    SetControlWideHint(ctl, Greek);
    THintInfo info = HintInfoOf(ctl, nullptr, WideToAnsi(Greek) + " (Ctrl+S)");
    CHECK(WideHintTextOfHintInfo(info) == Greek + L" (Ctrl+S)");
    {
        // The Unicode menus give the shortcut's wide text.
        TRestore<decltype(UcShortCutToWideText)> restore(UcShortCutToWideText);
        UcShortCutToWideText = [](uint16_t) { return WideString(L"\x0421\x0442\x0440+S"); };
        CHECK(WideHintTextOfHintInfo(info) == Greek + L" (\x0421\x0442\x0440+S)");
    }
    info.HintStr = "something else";
    CHECK(WideHintTextOfHintInfo(info) == L"something else");
}

namespace {
// The application's hint shown for a control with a Greek and Cyrillic hint, asked for
// directly at a point over the control: no pointer and no timer.
struct TShownHint {
    TTestForm<> F;
    TUcTestControl* Ctl = F.Add<TUcTestControl>();
    const WideString Hint = Greek + L" " + Cyrillic;
    THintWindow* Win = nullptr;
    TShownHint()
    {
        F.Form->SetFormStyle(fsStayOnTop);
        Ctl->SetBounds(20, 20, 120, 40);
        SetControlWideHint(Ctl, Hint + L"|long");
        Ctl->SetShowHint(true);
        F.Show();
        Application->SetShowHint(true);
        TMessage move{WM_MOUSEMOVE, 0, MAKELPARAM(30, 15), 0};
        Application->HintMouseMessage(Ctl, move);
        Application->ActivateHint(Ctl->ClientToScreen(TPoint(30, 15)));
        Win = Application->HintWindow();
        REQUIRE(Win);
        REQUIRE(Win->HandleAllocated());
    }
    ~TShownHint()
    {
        Application->CancelHint();
        Application->SetShowHint(false);
    }
};
} // namespace

TEST_CASE("the Unicode hint window shows the wide hint, sized for it, and paints the wide text")
{
    TShownHint h;
    CHECK(&h.Win->ClassInfo() == &TUcCustomHintWindow::StaticClassInfo());
    HWND wnd = h.Win->WindowHandle();
    CHECK(IsWindowVisible(wnd));
    CHECK(WideWindowText(wnd) == h.Hint);
    HDC screen = GetDC(nullptr);
    HGDIOBJ oldFont = SelectObject(screen, Screen->HintFont()->Handle());
    RECT calc{0, 0, Screen->Width(), 0};
    DrawTextW(screen, h.Hint.c_str(), -1, &calc, DT_CALCRECT | DT_LEFT | DT_WORDBREAK | DT_NOPREFIX);
    SelectObject(screen, oldFont);
    ReleaseDC(nullptr, screen);
    CHECK(h.Win->Width() == calc.right + 6);

    // The window's own painting, or the text drawn by the system in the hint font.
    const int w = h.Win->ClientWidth(), ht = h.Win->ClientHeight();
    auto render = [&](const WideString* Text) {
        auto bmp = Picture(w, ht, h.Win->Color());
        HDC dc = bmp->Canvas()->Handle();
        if (!Text) {
            SendMessageW(wnd, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
            return bmp;
        }
        HGDIOBJ old = SelectObject(dc, Screen->HintFont()->Handle());
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, static_cast<COLORREF>(ColorToRGB(Screen->HintFont()->Color())));
        RECT r{2, 2, w, ht};
        DrawTextW(dc, Text->c_str(), -1, &r, DT_LEFT | DT_NOPREFIX | DT_WORDBREAK);
        SelectObject(dc, old);
        return bmp;
    };
    const WideString ansiForm = AnsiToWide(WideToAnsi(h.Hint));
    auto painted = render(nullptr);
    CHECK(SamePixels(painted.get(), render(&h.Hint).get()));
    CHECK_FALSE(SamePixels(painted.get(), render(&ansiForm).get()));

    // Outside an activation, a new text sizes the window to it.
    Application->CancelHint();
    SetControlWideText(h.Win, Greek);
    SIZE s{};
    GetTextExtentPoint32W(h.Win->Canvas()->Handle(), Greek.c_str(), static_cast<int>(Greek.size()), &s);
    CHECK(Join(h.Win->Width(), h.Win->Height()) == Join(s.cx + 6, s.cy + 6));
}

TEST_CASE("at program end the traps only let their windows go")
{
    TTestForm f;
    auto* ctl = AddRecorded(f);
    SetControlWideText(ctl, Chinese);
    HWND wnd = ctl->Handle();
    int traps = WinControlTrapCount();

    DoneUcControls();
    TMsgRecorder rec({WM_RECORDED});
    rec.Attach(ctl, "ctl");
    g_recorded.clear();
    CHECK(SendMessageW(wnd, WM_RECORDED, 0, 0) == 0x1234);
    CHECK_MESSAGES(rec);
    CHECK(g_recorded == TRecords{{WM_RECORDED, 0}});
    // Without the store objects the wide text is read from the window itself.
    CHECK(GetControlWideText(ctl) == Chinese);
    delete ctl;
    CHECK(WinControlTrapCount() == traps - 1);
    InitUcControls();

    // Started again, everything works as before.
    auto* next = f.Add<TUcTestControl>();
    SetControlWideText(next, Greek);
    CHECK(WideWindowText(next->Handle()) == Greek);
}
