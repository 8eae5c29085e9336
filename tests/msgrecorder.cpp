#include "msgrecorder.h"

#include <algorithm>
#include <cstdio>

namespace {

// ---------------------------------------------------------------------------------------
// Windows: one subclass record per window, found by handle from the one procedure.

struct TWindowHook {
    TMsgRecorder* Recorder;   // null once detached while another procedure lies above ours
    std::string Tag;
    WNDPROC Old;
    bool Unicode;
};

std::map<HWND, TWindowHook>& WindowHooks()
{
    static std::map<HWND, TWindowHook> hooks;
    return hooks;
}

LRESULT CALLBACK RecordingProc(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam)
{
    auto& hooks = WindowHooks();
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

std::map<UINT, std::string>& LayerNames()
{
    static std::map<UINT, std::string> names;
    return names;
}

std::string Hex(uintptr_t V)
{
    char buf[24];
    std::snprintf(buf, sizeof(buf), "0x%X", static_cast<unsigned>(V));
    return buf;
}

} // namespace

// ---------------------------------------------------------------------------------------
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

// ---------------------------------------------------------------------------------------
// TMsgEntry

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

// ---------------------------------------------------------------------------------------
// TMsgRecorder

TMsgRecorder::TMsgRecorder() = default;

TMsgRecorder::TMsgRecorder(std::initializer_list<UINT> Messages)
{
    Only(Messages);
}

TMsgRecorder::~TMsgRecorder()
{
    DetachAll();
}

void TMsgRecorder::Attach(HWND Wnd, const std::string& Tag)
{
    REQUIRE(IsWindow(Wnd));
    auto& hooks = WindowHooks();
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
    bool unicode = IsWindowUnicode(Wnd);
    // The record is in place before the first message can reach the procedure.
    TWindowHook& hook = hooks[Wnd];
    hook = TWindowHook{this, Tag, nullptr, unicode};
    hook.Old = reinterpret_cast<WNDPROC>(SetProc(Wnd, unicode, reinterpret_cast<LONG_PTR>(&RecordingProc)));
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
    auto& hooks = WindowHooks();
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
    // A hook that cannot leave the chain stays, passing on without recording.
    if (Control->WindowProc() == MakeMethod<&TControlHook::Proc>(it->get())) {
        FControls.erase(it);
        return;
    }
    (*it)->Recorder = nullptr;
    it->release();   // still called by the hook above it; lives as long as the program
    FControls.erase(it);
}

void TMsgRecorder::DetachAll()
{
    while (!FWindows.empty())
        Detach(FWindows.back());
    while (!FControls.empty()) {
        TControl* c = FControls.back()->Control;
        if (c)
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
        switch (Msg) {
        case WM_COMMAND:
        case CN_COMMAND:
            e.From = TagOf(reinterpret_cast<HWND>(LParam));
            break;
        case WM_NOTIFY:
        case CN_NOTIFY:
            if (LParam)
                e.From = TagOf(reinterpret_cast<NMHDR*>(LParam)->hwndFrom);
            break;
        }
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
    LayerNames()[Msg] = Name;
}

std::string TMsgRecorder::MessageName(UINT Msg)
{
    if (auto it = LayerNames().find(Msg); it != LayerNames().end())
        return it->second;
    struct Name {
        UINT Msg;
        const char* Text;
    };
#define Z_NAME(m) {m, #m}
    static const Name names[] = {
        Z_NAME(WM_NULL), Z_NAME(WM_CREATE), Z_NAME(WM_DESTROY), Z_NAME(WM_MOVE), Z_NAME(WM_SIZE),
        Z_NAME(WM_ACTIVATE), Z_NAME(WM_SETFOCUS), Z_NAME(WM_KILLFOCUS), Z_NAME(WM_ENABLE),
        Z_NAME(WM_SETREDRAW), Z_NAME(WM_SETTEXT), Z_NAME(WM_GETTEXT), Z_NAME(WM_GETTEXTLENGTH),
        Z_NAME(WM_PAINT), Z_NAME(WM_CLOSE), Z_NAME(WM_QUIT), Z_NAME(WM_ERASEBKGND), Z_NAME(WM_SYSCOLORCHANGE),
        Z_NAME(WM_SHOWWINDOW), Z_NAME(WM_SETTINGCHANGE), Z_NAME(WM_ACTIVATEAPP), Z_NAME(WM_CANCELMODE),
        Z_NAME(WM_SETCURSOR), Z_NAME(WM_MOUSEACTIVATE), Z_NAME(WM_GETMINMAXINFO), Z_NAME(WM_DRAWITEM),
        Z_NAME(WM_MEASUREITEM), Z_NAME(WM_DELETEITEM), Z_NAME(WM_COMPAREITEM), Z_NAME(WM_SETFONT),
        Z_NAME(WM_GETFONT), Z_NAME(WM_WINDOWPOSCHANGING), Z_NAME(WM_WINDOWPOSCHANGED), Z_NAME(WM_NOTIFY),
        Z_NAME(WM_CONTEXTMENU), Z_NAME(WM_GETICON), Z_NAME(WM_SETICON), Z_NAME(WM_NCCREATE),
        Z_NAME(WM_NCDESTROY), Z_NAME(WM_NCCALCSIZE), Z_NAME(WM_NCHITTEST), Z_NAME(WM_NCPAINT),
        Z_NAME(WM_NCACTIVATE), Z_NAME(WM_GETDLGCODE), Z_NAME(WM_NCMOUSEMOVE), Z_NAME(WM_NCLBUTTONDOWN),
        Z_NAME(WM_NCLBUTTONUP), Z_NAME(WM_KEYDOWN), Z_NAME(WM_KEYUP), Z_NAME(WM_CHAR), Z_NAME(WM_SYSKEYDOWN),
        Z_NAME(WM_SYSKEYUP), Z_NAME(WM_SYSCHAR), Z_NAME(WM_INITDIALOG), Z_NAME(WM_COMMAND),
        Z_NAME(WM_SYSCOMMAND), Z_NAME(WM_TIMER), Z_NAME(WM_HSCROLL), Z_NAME(WM_VSCROLL),
        Z_NAME(WM_INITMENU), Z_NAME(WM_INITMENUPOPUP), Z_NAME(WM_MENUSELECT), Z_NAME(WM_MENUCHAR),
        Z_NAME(WM_ENTERIDLE), Z_NAME(WM_CTLCOLOREDIT), Z_NAME(WM_CTLCOLORLISTBOX), Z_NAME(WM_CTLCOLORBTN),
        Z_NAME(WM_CTLCOLORDLG), Z_NAME(WM_CTLCOLORSCROLLBAR), Z_NAME(WM_CTLCOLORSTATIC),
        Z_NAME(WM_MOUSEMOVE), Z_NAME(WM_LBUTTONDOWN), Z_NAME(WM_LBUTTONUP), Z_NAME(WM_LBUTTONDBLCLK),
        Z_NAME(WM_RBUTTONDOWN), Z_NAME(WM_RBUTTONUP), Z_NAME(WM_RBUTTONDBLCLK), Z_NAME(WM_MBUTTONDOWN),
        Z_NAME(WM_MBUTTONUP), Z_NAME(WM_MOUSEWHEEL), Z_NAME(WM_PARENTNOTIFY), Z_NAME(WM_ENTERMENULOOP),
        Z_NAME(WM_EXITMENULOOP), Z_NAME(WM_CAPTURECHANGED), Z_NAME(WM_MOUSELEAVE), Z_NAME(WM_PRINT),
        Z_NAME(WM_PRINTCLIENT), Z_NAME(WM_THEMECHANGED), Z_NAME(WM_USER),
        Z_NAME(BM_GETCHECK), Z_NAME(BM_SETCHECK), Z_NAME(BM_GETSTATE), Z_NAME(BM_SETSTATE),
        Z_NAME(BM_SETSTYLE), Z_NAME(BM_CLICK),
        Z_NAME(CM_ACTIVATE), Z_NAME(CM_DEACTIVATE), Z_NAME(CM_DIALOGKEY), Z_NAME(CM_DIALOGCHAR),
        Z_NAME(CM_FOCUSCHANGED), Z_NAME(CM_PARENTFONTCHANGED), Z_NAME(CM_PARENTCOLORCHANGED),
        Z_NAME(CM_HITTEST), Z_NAME(CM_VISIBLECHANGED), Z_NAME(CM_ENABLEDCHANGED), Z_NAME(CM_COLORCHANGED),
        Z_NAME(CM_FONTCHANGED), Z_NAME(CM_CURSORCHANGED), Z_NAME(CM_TEXTCHANGED), Z_NAME(CM_MOUSEENTER),
        Z_NAME(CM_MOUSELEAVE), Z_NAME(CM_MENUCHANGED), Z_NAME(CM_BUTTONPRESSED), Z_NAME(CM_SHOWINGCHANGED),
        Z_NAME(CM_ENTER), Z_NAME(CM_EXIT), Z_NAME(CM_WANTSPECIALKEY), Z_NAME(CM_RELEASE),
        Z_NAME(CM_SHOWHINTCHANGED), Z_NAME(CM_PARENTSHOWHINTCHANGED), Z_NAME(CM_TABSTOPCHANGED),
        Z_NAME(CM_CONTROLLISTCHANGE), Z_NAME(CM_CHILDKEY), Z_NAME(CM_HINTSHOW), Z_NAME(CM_RECREATEWND),
        Z_NAME(CM_INVALIDATE), Z_NAME(CM_CONTROLCHANGE), Z_NAME(CM_CHANGED), Z_NAME(CM_BIDIMODECHANGED),
        Z_NAME(CM_PARENTBIDIMODECHANGED), Z_NAME(CM_ACTIONUPDATE), Z_NAME(CM_ACTIONEXECUTE),
        Z_NAME(CM_MOUSEWHEEL), Z_NAME(CM_ISSHORTCUT),
    };
#undef Z_NAME
    for (const Name& n : names)
        if (n.Msg == Msg)
            return n.Text;
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
    size_t n = Expected.size(), m = got.size();
    bool same = n == m;
    for (size_t i = 0; same && i < n; ++i)
        same = Expected[i].Matches(got[i]);
    if (same)
        return {};

    // The longest common run of matching entries lines the two columns up; what is left over
    // on either side is a difference.
    std::vector<std::vector<int>> lcs(n + 1, std::vector<int>(m + 1, 0));
    for (size_t i = n; i-- > 0;)
        for (size_t j = m; j-- > 0;)
            lcs[i][j] = Expected[i].Matches(got[j]) ? lcs[i + 1][j + 1] + 1 : std::max(lcs[i + 1][j], lcs[i][j + 1]);
    std::vector<std::pair<std::string, std::string>> rows;
    std::vector<char> marks;
    size_t i = 0, j = 0;
    while (i < n || j < m) {
        if (i < n && j < m && Expected[i].Matches(got[j])) {
            rows.emplace_back(Expected[i++].ToString(), got[j++].ToString());
            marks.push_back(' ');
        } else if (j < m && (i == n || lcs[i][j + 1] >= lcs[i + 1][j])) {
            rows.emplace_back("", got[j++].ToString());
            marks.push_back('+');
        } else {
            rows.emplace_back(Expected[i++].ToString(), "");
            marks.push_back('-');
        }
    }
    size_t width = 8;
    for (const auto& r : rows)
        width = std::max(width, r.first.size());
    auto pad = [width](std::string s) { return s.append(width - s.size(), ' '); };
    std::string out = "  " + pad("expected") + " | recorded\n";
    for (size_t k = 0; k < rows.size(); ++k)
        out += std::string(1, marks[k]) + " " + pad(rows[k].first) + " | " + rows[k].second + "\n";
    return out;
}
