#include "msgrecorder.h"

#include <algorithm>
#include <array>
#include <cstdio>

namespace {

// Windows: one subclass record per window, found by handle from the one procedure.

struct TWindowHook {
    TMsgRecorder* Recorder;   // null once detached while another procedure lies above ours
    std::string Tag;
    WNDPROC Old;
    bool Unicode;
};

std::map<HWND, TWindowHook> WindowHooks;

LRESULT CALLBACK RecordingProc(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam)
{
    auto& hooks = WindowHooks;
    auto it = hooks.find(Wnd);
    if (it == hooks.end())
        return IsWindowUnicode(Wnd) ? DefWindowProcW(Wnd, Msg, WParam, LParam) : DefWindowProcA(Wnd, Msg, WParam, LParam);
    // Copies: the record may go while the message is handled (detached, destroyed).
    WNDPROC old = it->second.Old;
    bool unicode = it->second.Unicode;
    if (TMsgRecorder* r = it->second.Recorder)
        r->Receive(it->second.Tag, Msg, WParam, LParam);
    LRESULT result = unicode ? CallWindowProcW(old, Wnd, Msg, WParam, LParam) : CallWindowProcA(old, Wnd, Msg, WParam, LParam);
    if (Msg == WM_NCDESTROY)
        hooks.erase(Wnd);
    return result;
}

LONG_PTR CurrentProc(HWND Wnd, bool Unicode)
{
    return Unicode ? GetWindowLongPtrW(Wnd, GWLP_WNDPROC) : GetWindowLongPtrA(Wnd, GWLP_WNDPROC);
}

LONG_PTR SetProc(HWND Wnd, bool Unicode, LONG_PTR Proc)
{
    return Unicode ? SetWindowLongPtrW(Wnd, GWLP_WNDPROC, Proc) : SetWindowLongPtrA(Wnd, GWLP_WNDPROC, Proc);
}

std::map<UINT, std::string> LayerNames;   // the names of the messages of the layers above

std::string Hex(uintptr_t V)
{
    char buf[24];
    std::snprintf(buf, sizeof(buf), "0x%X", static_cast<unsigned>(V));
    return buf;
}

} // namespace

// Controls: the hook takes the control's WindowProc, and hears when the control goes.

struct TMsgRecorder::TControlHook : public TComponent {
    TMsgRecorder* Recorder;
    std::string Tag;
    TControl* Control;
    TWndMethod Old;

    TControlHook(TMsgRecorder* ARecorder, const std::string& ATag, TControl* AControl)
        : TComponent(nullptr), Recorder(ARecorder), Tag(ATag), Control(AControl), Old(AControl->WindowProc())
    {
        Control->FreeNotification(this);
        Control->SetWindowProc(MakeMethod<&TControlHook::Proc>(this));
    }
    ~TControlHook() override
    {
        if (!Control)
            return;
        Control->RemoveFreeNotification(this);
        // Another hook installed later stays; it passes on to the procedure we had replaced
        // only if it was written to: we cannot take ourselves out of its chain.
        if (Control->WindowProc() == MakeMethod<&TControlHook::Proc>(this))
            Control->SetWindowProc(Old);
    }
    void Proc(TMessage& Message)
    {
        if (Recorder)
            Recorder->Receive(Tag, Message.Msg, Message.WParam, Message.LParam);
        Old(Message);
    }

protected:
    void Notification(TComponent* AComponent, TOperation Operation) override
    {
        TComponent::Notification(AComponent, Operation);
        if (Operation == opRemove && AComponent == Control)
            Control = nullptr;
    }
};

bool TMsgEntry::Matches(const TMsgEntry& Recorded) const
{
    return Window == Recorded.Window && Msg == Recorded.Msg && (Param == AnyParam || Param == Recorded.Param) &&
           (From.empty() || From == Recorded.From);
}

std::string TMsgEntry::ToString() const
{
    std::string s = Window + " " + TMsgRecorder::MessageName(Msg);
    if (Param != AnyParam)
        s += " " + std::to_string(Param);
    if (!From.empty())
        s += " from " + From;
    return s;
}

TMsgRecorder::TMsgRecorder() = default;
TMsgRecorder::TMsgRecorder(std::initializer_list<UINT> Messages) { Only(Messages); }
TMsgRecorder::~TMsgRecorder() { DetachAll(); }

void TMsgRecorder::Attach(HWND Wnd, const std::string& Tag)
{
    REQUIRE(IsWindow(Wnd));
    auto& hooks = WindowHooks;
    auto it = hooks.find(Wnd);
    // One recorder a window: a second would not know which record the procedure is called for.
    REQUIRE_MESSAGE((it == hooks.end() || !it->second.Recorder), "window already recorded");
    FNames[Wnd] = Tag;
    FWindows.push_back(Wnd);
    if (it != hooks.end()) {
        // Still in the chain from before, passing messages on: it records again.
        it->second.Recorder = this;
        it->second.Tag = Tag;
        return;
    }
    // The record is in place before the first message can reach the procedure.
    TWindowHook& hook = hooks[Wnd] = TWindowHook{this, Tag, nullptr, IsWindowUnicode(Wnd) != 0};
    hook.Old = reinterpret_cast<WNDPROC>(SetProc(Wnd, hook.Unicode, reinterpret_cast<LONG_PTR>(&RecordingProc)));
}

void TMsgRecorder::Attach(TControl* Control, const std::string& Tag)
{
    FControls.push_back(std::make_unique<TControlHook>(this, Tag, Control));
    if (auto* w = dynamic_cast<TWinControl*>(Control); w && w->HandleAllocated())
        FNames[w->WindowHandle()] = Tag;
}

void TMsgRecorder::Detach(HWND Wnd)
{
    auto w = std::find(FWindows.begin(), FWindows.end(), Wnd);
    if (w == FWindows.end())
        return;
    FWindows.erase(w);
    auto& hooks = WindowHooks;
    auto it = hooks.find(Wnd);
    if (it == hooks.end() || it->second.Recorder != this)
        return;   // destroyed meanwhile
    if (IsWindow(Wnd) && CurrentProc(Wnd, it->second.Unicode) == reinterpret_cast<LONG_PTR>(&RecordingProc)) {
        SetProc(Wnd, it->second.Unicode, reinterpret_cast<LONG_PTR>(it->second.Old));
        hooks.erase(it);
    } else {
        it->second.Recorder = nullptr;
    }
}

void TMsgRecorder::Detach(TControl* Control)
{
    auto it = std::find_if(FControls.begin(), FControls.end(),
                           [Control](const std::unique_ptr<TControlHook>& h) { return h->Control == Control; });
    if (it == FControls.end())
        return;
    // A hook that cannot leave the chain stays, passing on without recording: still called by
    // the hook above it, it lives as long as the program.
    if (Control->WindowProc() != MakeMethod<&TControlHook::Proc>(it->get())) {
        (*it)->Recorder = nullptr;
        it->release();
    }
    FControls.erase(it);
}

void TMsgRecorder::DetachAll()
{
    while (!FWindows.empty())
        Detach(FWindows.back());
    while (!FControls.empty()) {
        if (TControl* c = FControls.back()->Control)
            Detach(c);
        else
            FControls.pop_back();
    }
}

void TMsgRecorder::Only(std::initializer_list<UINT> Messages)
{
    std::set<UINT> set(Messages);
    FFilter = [set](UINT Msg, WPARAM, LPARAM) { return set.count(Msg) != 0; };
}

std::vector<UINT> TMsgRecorder::MessagesOf(const std::string& Tag) const
{
    std::vector<UINT> v;
    for (const TMsgEntry& e : FEntries)
        if (e.Window == Tag)
            v.push_back(e.Msg);
    return v;
}

std::string TMsgRecorder::TagOf(HWND Wnd) const
{
    if (!Wnd)
        return {};
    auto it = FNames.find(Wnd);
    return it != FNames.end() ? it->second : Hex(reinterpret_cast<uintptr_t>(Wnd));
}

void TMsgRecorder::Receive(const std::string& Tag, UINT Msg, WPARAM WParam, LPARAM LParam) noexcept
{
    try {
        if (FFilter && !FFilter(Msg, WParam, LParam))
            return;
        TMsgEntry e(Tag, Msg, ParamOf(Msg, WParam, LParam));
        if (Msg == WM_COMMAND || Msg == CN_COMMAND)
            e.From = TagOf(reinterpret_cast<HWND>(LParam));
        else if ((Msg == WM_NOTIFY || Msg == CN_NOTIFY) && LParam)
            e.From = TagOf(reinterpret_cast<NMHDR*>(LParam)->hwndFrom);
        FEntries.push_back(std::move(e));
    } catch (...) {
        // Nothing may leave a window procedure; a message not recorded shows in the comparison.
    }
}

intptr_t TMsgRecorder::ParamOf(UINT Msg, WPARAM WParam, LPARAM LParam)
{
    switch (Msg) {
    case WM_COMMAND:
    case CN_COMMAND:
        return HIWORD(WParam);
    case WM_NOTIFY:
    case CN_NOTIFY:
        return LParam ? static_cast<intptr_t>(static_cast<int>(reinterpret_cast<NMHDR*>(LParam)->code)) : 0;
    case WM_SYSCOMMAND:
        return static_cast<intptr_t>(WParam & 0xFFF0);
    case WM_PARENTNOTIFY:
    case WM_ACTIVATE:
        return LOWORD(WParam);
    default:
        return static_cast<intptr_t>(WParam);
    }
}

void TMsgRecorder::NameMessage(UINT Msg, const std::string& Name)
{
    LayerNames[Msg] = Name;
}

std::string TMsgRecorder::MessageName(UINT Msg)
{
    if (auto it = LayerNames.find(Msg); it != LayerNames.end())
        return it->second;
#define N(m) {m, #m}
    static const std::pair<UINT, const char*> names[] = {
        N(WM_NULL), N(WM_CREATE), N(WM_DESTROY), N(WM_MOVE), N(WM_SIZE), N(WM_ACTIVATE), N(WM_SETFOCUS),
        N(WM_KILLFOCUS), N(WM_ENABLE), N(WM_SETREDRAW), N(WM_SETTEXT), N(WM_GETTEXT), N(WM_GETTEXTLENGTH),
        N(WM_PAINT), N(WM_CLOSE), N(WM_QUIT), N(WM_ERASEBKGND), N(WM_SYSCOLORCHANGE), N(WM_SHOWWINDOW),
        N(WM_SETTINGCHANGE), N(WM_ACTIVATEAPP), N(WM_CANCELMODE), N(WM_SETCURSOR), N(WM_MOUSEACTIVATE),
        N(WM_GETMINMAXINFO), N(WM_DRAWITEM), N(WM_MEASUREITEM), N(WM_DELETEITEM), N(WM_COMPAREITEM), N(WM_SETFONT),
        N(WM_GETFONT), N(WM_WINDOWPOSCHANGING), N(WM_WINDOWPOSCHANGED), N(WM_NOTIFY), N(WM_CONTEXTMENU),
        N(WM_GETICON), N(WM_SETICON), N(WM_NCCREATE), N(WM_NCDESTROY), N(WM_NCCALCSIZE), N(WM_NCHITTEST),
        N(WM_NCPAINT), N(WM_NCACTIVATE), N(WM_GETDLGCODE), N(WM_NCMOUSEMOVE), N(WM_NCLBUTTONDOWN), N(WM_NCLBUTTONUP),
        N(WM_KEYDOWN), N(WM_KEYUP), N(WM_CHAR), N(WM_SYSKEYDOWN), N(WM_SYSKEYUP), N(WM_SYSCHAR), N(WM_INITDIALOG),
        N(WM_COMMAND), N(WM_SYSCOMMAND), N(WM_TIMER), N(WM_HSCROLL), N(WM_VSCROLL), N(WM_INITMENU),
        N(WM_INITMENUPOPUP), N(WM_MENUSELECT), N(WM_MENUCHAR), N(WM_ENTERIDLE), N(WM_CTLCOLOREDIT),
        N(WM_CTLCOLORLISTBOX), N(WM_CTLCOLORBTN), N(WM_CTLCOLORDLG), N(WM_CTLCOLORSCROLLBAR), N(WM_CTLCOLORSTATIC),
        N(WM_MOUSEMOVE), N(WM_LBUTTONDOWN), N(WM_LBUTTONUP), N(WM_LBUTTONDBLCLK), N(WM_RBUTTONDOWN), N(WM_RBUTTONUP),
        N(WM_RBUTTONDBLCLK), N(WM_MBUTTONDOWN), N(WM_MBUTTONUP), N(WM_MOUSEWHEEL), N(WM_PARENTNOTIFY),
        N(WM_ENTERMENULOOP), N(WM_EXITMENULOOP), N(WM_CAPTURECHANGED), N(WM_MOUSELEAVE), N(WM_PRINT),
        N(WM_PRINTCLIENT), N(WM_THEMECHANGED), N(WM_USER), N(BM_GETCHECK), N(BM_SETCHECK), N(BM_GETSTATE),
        N(BM_SETSTATE), N(BM_SETSTYLE), N(BM_CLICK), N(CM_ACTIVATE), N(CM_DEACTIVATE), N(CM_DIALOGKEY),
        N(CM_DIALOGCHAR), N(CM_FOCUSCHANGED), N(CM_PARENTFONTCHANGED), N(CM_PARENTCOLORCHANGED), N(CM_HITTEST),
        N(CM_VISIBLECHANGED), N(CM_ENABLEDCHANGED), N(CM_COLORCHANGED), N(CM_FONTCHANGED), N(CM_CURSORCHANGED),
        N(CM_TEXTCHANGED), N(CM_MOUSEENTER), N(CM_MOUSELEAVE), N(CM_MENUCHANGED), N(CM_BUTTONPRESSED),
        N(CM_SHOWINGCHANGED), N(CM_ENTER), N(CM_EXIT), N(CM_WANTSPECIALKEY), N(CM_RELEASE), N(CM_SHOWHINTCHANGED),
        N(CM_PARENTSHOWHINTCHANGED), N(CM_TABSTOPCHANGED), N(CM_CONTROLLISTCHANGE), N(CM_CHILDKEY), N(CM_HINTSHOW),
        N(CM_RECREATEWND), N(CM_INVALIDATE), N(CM_CONTROLCHANGE), N(CM_CHANGED), N(CM_BIDIMODECHANGED),
        N(CM_PARENTBIDIMODECHANGED), N(CM_ACTIONUPDATE), N(CM_ACTIONEXECUTE), N(CM_MOUSEWHEEL), N(CM_ISSHORTCUT),
    };
#undef N
    for (const auto& [msg, text] : names)
        if (msg == Msg)
            return text;
    if (Msg >= CN_BASE && Msg < CN_BASE + WM_USER) {
        std::string base = MessageName(Msg - CN_BASE);
        if (base.rfind("WM_", 0) == 0)
            return "CN_" + base.substr(3);
    }
    if (Msg >= CM_BASE && Msg < CN_BASE)
        return "CM_BASE+" + std::to_string(Msg - CM_BASE);
    if (Msg > WM_USER && Msg < 0x8000)
        return "WM_USER+" + std::to_string(Msg - WM_USER);
    if (Msg >= 0xC000 && Msg <= 0xFFFF) {
        // A registered message: its name is kept in the same atom table as clipboard formats.
        char buf[128] = {};
        if (GetClipboardFormatNameA(Msg, buf, sizeof(buf)) > 0)
            return buf;
    }
    return Hex(Msg);
}

std::string TMsgRecorder::Compare(const std::vector<TMsgEntry>& Expected) const
{
    const std::vector<TMsgEntry>& got = FEntries;
    const auto match = [](const TMsgEntry& E, const TMsgEntry& G) { return E.Matches(G); };
    if (std::equal(Expected.begin(), Expected.end(), got.begin(), got.end(), match))
        return {};

    // The longest common run of matching entries lines the two columns up; what is left over
    // on either side is a difference.
    const size_t n = Expected.size(), m = got.size();
    std::vector<std::vector<int>> lcs(n + 1, std::vector<int>(m + 1, 0));
    for (size_t i = n; i-- > 0;)
        for (size_t j = m; j-- > 0;)
            lcs[i][j] = Expected[i].Matches(got[j]) ? lcs[i + 1][j + 1] + 1 : std::max(lcs[i + 1][j], lcs[i][j + 1]);
    std::vector<std::array<std::string, 3>> rows;   // the mark, the expected entry, the recorded one
    for (size_t i = 0, j = 0; i < n || j < m;) {
        if (i < n && j < m && Expected[i].Matches(got[j]))
            rows.push_back({" ", Expected[i++].ToString(), got[j++].ToString()});
        else if (j < m && (i == n || lcs[i][j + 1] >= lcs[i + 1][j]))
            rows.push_back({"+", "", got[j++].ToString()});
        else
            rows.push_back({"-", Expected[i++].ToString(), ""});
    }
    size_t width = 8;
    for (const auto& r : rows)
        width = std::max(width, r[1].size());
    auto pad = [width](std::string s) { return s.append(width - s.size(), ' '); };
    std::string out = "  " + pad("expected") + " | recorded\n";
    for (const auto& r : rows)
        out += r[0] + " " + pad(r[1]) + " | " + r[2] + "\n";
    return out;
}
