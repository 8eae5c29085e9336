// The skin provider on a real form: what it answers, what reaches the screen, the window
// region, the title bar's hit test and buttons (sent messages and the real pointer),
// snapping and the maximized size, painting that always validates, and MDI children.
#include "pointer.h"
#include "skinctlfixture.h"

#include "skin/zclientwnd.h"
#include "skin/zformpaint.h"
#include "skin/zmdiform.h"
#include "skin/zskinprovider.h"

namespace {

struct TFrameFixture : TSkinFixture {
    TzSkinProvider* Provider;
    int Closes = 0;
    explicit TFrameFixture(const wchar_t* Skin = L"ZandrelDawn") : TSkinFixture(Skin)
    {
        Provider = MakeComponent<TzSkinProvider>(Form);
        Form->OnClose = MakeMethod<&TFrameFixture::Closed>(this);
        Show();
    }
    void Closed(TObject*, TCloseAction& Action)
    {
        ++Closes;
        Action = caNone;
    }
    HWND Wnd() const { return Form->Handle(); }
    // A point of the window in screen coordinates.
    POINT Screen(TPoint P) const
    {
        RECT w{};
        GetWindowRect(Form->Handle(), &w);
        return POINT{w.left + P.X, w.top + P.Y};
    }
    int HitAt(TPoint P) const
    {
        const POINT s = Screen(P);
        return int(SendMessageW(Form->Handle(), WM_NCHITTEST, 0, MAKELPARAM(s.x, s.y)));
    }
    TPoint Centre(int Code) const
    {
        const TRect r = Provider->ButtonOf(Code)->Rect;
        return TPoint((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2);
    }
    // The top band of the window as the screen shows it equals the provider's picture, inside
    // the window's region.
    bool TitleShowsPicture() const
    {
        const int w = Provider->FormWidth(), h = Provider->Metrics().TitleHeight();
        auto shown = CreateBmp24(w, h);
        {
            TWindowDC dc(Form->Handle());
            BitBlt(shown->Canvas()->Handle(), 0, 0, w, h, dc.Handle(), 0, 0, SRCCOPY);
        }
        TBitmap* painted = Provider->SkinData()->CacheBmp();
        TGdiObject<HRGN> rgn(CreateRectRgn(0, 0, w, h));
        GetWindowRgn(Form->Handle(), rgn.Handle());
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                if (Px(*shown, x, y) != Px(*painted, x, y) && PtInRegion(rgn.Handle(), x, y))
                    return false;
        return true;
    }
    // A point the region leaves out, and whether the window's region holds a point.
    TPoint FirstCut() const
    {
        TzSkinManager* m = Manager.get();
        const TzMaskData& border = m->Mask(Provider->SkinData()->BorderIndex);
        const std::vector<TRect> cuts = FrameRegionCuts(Provider->Metrics(), &border, nullptr);
        return cuts.empty() ? TPoint(-1, -1) : TPoint(cuts.back().Left, cuts.back().Top);
    }
    bool InRegion(TPoint P) const
    {
        TGdiObject<HRGN> rgn(CreateRectRgn(0, 0, 0, 0));
        return GetWindowRgn(Form->Handle(), rgn.Handle()) != ERROR && PtInRegion(rgn.Handle(), P.X, P.Y);
    }
};

} // namespace

TEST_CASE("provider: the skin command's answers, skinned or not, and one delivery of each switch")
{
    TFrameFixture f;
    auto ask = [&](uint16_t Command) { return SendCommandToWindow(f.Wnd(), Command, 0); };
    CHECK(ask(SKCMD_ISSKINNED) == 1);
    CHECK(ask(SKCMD_GETPROVIDER) == reinterpret_cast<LRESULT>(f.Provider));
    TMessage updating{SM_SKINCMD, SkinCommandWParam(SKCMD_ISUPDATING), 0, 0};
    f.Form->WindowProc()(updating);
    CHECK(updating.LParam == 0);
    TMsgRecorder rec({SM_SKINCMD});
    rec.Only([](UINT Msg, WPARAM W, LPARAM) { return Msg == SM_SKINCMD && HIWORD(W) <= SKCMD_REFRESH; });
    rec.Attach(f.Wnd(), "form");
    f.ApplySkin(L"ZandrelDusk");
    CHECK_MESSAGES(rec, Cmd("form", SKCMD_SKINREMOVED), Cmd("form", SKCMD_NEWSKIN), Cmd("form", SKCMD_REFRESH));
    f.RemoveSkin();
    CHECK(ask(SKCMD_ISSKINNED) == 1);
    CHECK(ask(SKCMD_GETPROVIDER) == reinterpret_cast<LRESULT>(f.Provider));
    // A second provider on the form stays inert.
    auto* second = MakeComponent<TzSkinProvider>(f.Form);
    CHECK(second->Form() == nullptr);
    CHECK(ask(SKCMD_GETPROVIDER) == reinterpret_cast<LRESULT>(f.Provider));
}

TEST_CASE("provider: the frame is the skin's, the system's caption buttons go, and come back without the skin")
{
    TFrameFixture f;
    CHECK((StyleOf(f.Wnd()) & WS_SYSMENU) == 0);
    CHECK(f.TitleShowsPicture());
    CHECK(f.Form->Color() == f.Manager->GetGlobalColor());
    // Plain controls that take their parent's colour follow the form's.
    auto* plain = f.Place<TCustomControl>(f.Form, 0, 0, 20, 20);
    f.ApplySkin(L"ZandrelDusk");
    CHECK(plain->Color() == f.Manager->GetGlobalColor());
    f.RemoveSkin();
    Pump();
    CHECK((StyleOf(f.Wnd()) & WS_SYSMENU) != 0);
    CHECK(f.Form->Color() == clBtnFace);
    TGdiObject<HRGN> rgn(CreateRectRgn(0, 0, 0, 0));
    CHECK(GetWindowRgn(f.Wnd(), rgn.Handle()) == ERROR);
}

TEST_CASE("provider: a new text, icon or activation leaves the skin's caption on the screen")
{
    TFrameFixture f;
    auto before = CreateBmp24(2, 2);
    before->Assign(f.Provider->SkinData()->CacheBmp());
    SendMessageW(f.Wnd(), WM_SETTEXT, 0, LPARAM(L"Новое название"));
    CHECK(f.TitleShowsPicture());
    CHECK_FALSE(SamePixels(*before, *f.Provider->SkinData()->CacheBmp()));
    TIcon icon;
    icon.SetHandle(CopyIcon(LoadIconW(nullptr, MAKEINTRESOURCEW(32515))));
    SendMessageW(f.Wnd(), WM_SETICON, ICON_SMALL, LPARAM(icon.Handle()));
    CHECK(f.TitleShowsPicture());
    SendMessageW(f.Wnd(), WM_NCACTIVATE, FALSE, 0);
    CHECK_FALSE(f.Provider->FormActive());
    CHECK(f.TitleShowsPicture());
    SendMessageW(f.Wnd(), WM_NCACTIVATE, TRUE, 0);
    CHECK(f.TitleShowsPicture());
}

TEST_CASE("provider: the window region follows resizing, maximizing, restoring and every skin switch")
{
    TFrameFixture f;
    const TPoint cut = f.FirstCut();
    REQUIRE(cut.X >= 0);   // our skins round the corners
    CHECK_FALSE(f.InRegion(cut));
    CHECK(f.InRegion(TPoint(f.Provider->FormWidth() / 2, 40)));
    auto check = [&](const char* Step) {
        INFO(Step);
        Pump();
        const TPoint c = f.FirstCut();
        CHECK_FALSE(f.InRegion(c));
        CHECK(f.InRegion(TPoint(c.X, c.Y - 20)));
    };
    SetWindowPos(f.Wnd(), nullptr, 0, 0, 500, 380, SWP_NOMOVE | SWP_NOZORDER);
    check("resized");
    ShowWindow(f.Wnd(), SW_MAXIMIZE);
    check("maximized");
    ShowWindow(f.Wnd(), SW_RESTORE);
    check("restored");
    f.ApplySkin(L"ZandrelDusk");
    check("switched");
    f.ApplySkin(L"ZandrelDawn");
    check("switched back");
}

TEST_CASE("provider: hit tests at the title items, from the system's metrics and the skin's button size")
{
    TFrameFixture f;
    TzSkinManager* m = f.Manager.get();
    const TSize close = MaskFrame(m->Mask(m->FindMaskIndexExact("GLOBALINFO", "BICONCLOSE")));
    const int frame = GetSystemMetrics(SM_CXFRAME), caption = GetSystemMetrics(SM_CYCAPTION);
    const int top = (caption + GetSystemMetrics(SM_CYFRAME) - close.cy) / 2;
    const int right = f.Provider->FormWidth() - frame;
    const int space = m->SkinData().BISpacing;
    CHECK(f.HitAt(TPoint(right - close.cx / 2, top + close.cy / 2)) == HTCLOSE);
    CHECK(f.Provider->HotItem() == HTCLOSE);
    CHECK(f.HitAt(TPoint(right - close.cx - space - 2, top + 2)) == HTMAXBUTTON);
    CHECK(f.HitAt(TPoint(frame + 2, top + close.cy / 2)) == HTSYSMENU);
    CHECK(f.HitAt(TPoint(f.Provider->FormWidth() / 2, top + close.cy / 2)) == HTCAPTION);
    CHECK(f.Provider->HotItem() == 0);
    CHECK(f.HitAt(TPoint(f.Provider->FormWidth() / 2, 100)) == HTCLIENT);
}

TEST_CASE("provider: a title button acts on a release over itself, wherever the release comes from")
{
    TFrameFixture f;
    THeldPointer pointer;
    auto pressAndRelease = [&](int Code, TPoint ReleaseAt, WPARAM Keys) {
        pointer.MoveTo(f.Screen(f.Centre(Code)));
        const POINT s = f.Screen(f.Centre(Code));
        SendMessageW(f.Wnd(), WM_NCLBUTTONDOWN, Code, MAKELPARAM(s.x, s.y));
        CHECK(f.Provider->ButtonOf(Code)->State == 2);
        CHECK(GetCapture() == f.Wnd());
        pointer.MoveTo(f.Screen(ReleaseAt));
        SendMessageW(f.Wnd(), WM_LBUTTONUP, Keys, 0);
        Pump();
    };
    // Released over the client area: nothing; the keys of the release are no hit-test code
    // (Shift with the middle button is 20, the close button's).
    pressAndRelease(HTMINBUTTON, TPoint(100, 100), MK_SHIFT | MK_MBUTTON);
    CHECK(f.Closes == 0);
    CHECK_FALSE(IsIconic(f.Wnd()));
    CHECK(f.Provider->ButtonOf(HTMINBUTTON)->State == 0);
    pressAndRelease(HTCLOSE, TPoint(100, 100), 0);
    CHECK(f.Closes == 0);
    CHECK(GetCapture() == nullptr);
    pressAndRelease(HTCLOSE, f.Centre(HTCLOSE), 0);
    CHECK(f.Closes == 1);
    // The maximize button maximizes and, on a maximized form, restores.
    pressAndRelease(HTMAXBUTTON, f.Centre(HTMAXBUTTON), 0);
    CHECK(IsZoomed(f.Wnd()));
    pressAndRelease(HTMAXBUTTON, f.Centre(HTMAXBUTTON), 0);
    CHECK_FALSE(IsZoomed(f.Wnd()));
}

TEST_CASE("provider: the real pointer hovers and clicks the close button; leaving for a control clears it")
{
    TFrameFixture f;
    THeldPointer pointer(f.Screen(f.Centre(HTCLOSE)));
    Pump();
    CHECK(f.Provider->ButtonOf(HTCLOSE)->State == 1);
    // Onto a control of the form: the system says nothing to the form of leaving its frame.
    POINT onChild{20, 20};
    ClientToScreen(f.Backdrop->Handle(), &onChild);
    pointer.MoveTo(onChild);
    Pump();
    CHECK(f.Provider->HotItem() == 0);
    CHECK(f.Provider->ButtonOf(HTCLOSE)->State == 0);
    pointer.MoveTo(f.Screen(f.Centre(HTCLOSE)));
    Pump();
    INPUT clicks[2]{};
    clicks[0].type = clicks[1].type = INPUT_MOUSE;
    clicks[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    clicks[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    SendInput(2, clicks, sizeof(INPUT));
    Pump();
    CHECK(f.Closes == 1);
}

namespace {

struct TButtonEvents {
    TLog Log;
    void Up(TObject* Sender, TMouseButton, TShiftState, int, int)
    {
        Log.push_back("up " + static_cast<TzTitleButton*>(Sender)->Name());
    }
    static inline std::vector<TPoint> Popups;
    static void Popup(TPopupMenu*, int X, int Y) { Popups.push_back(TPoint(X, Y)); }
};

} // namespace

TEST_CASE("provider: user title buttons, the system menu from the icon, the keyboard and a right click")
{
    TFrameFixture f;
    TButtonEvents events;
    for (const char* name : {"pin", "off"}) {
        TzTitleButton* b = f.Provider->TitleButtons()->Add();
        b->SetName(name);
        b->OnMouseUp = MakeMethod<&TButtonEvents::Up>(&events);
    }
    f.Provider->TitleButtons()->Items(1)->SetEnabled(false);
    f.Provider->RefreshNonClient();
    const TRect pin = f.Provider->TitleButtons()->Items(0)->Rect, off = f.Provider->TitleButtons()->Items(1)->Rect;
    REQUIRE_FALSE(pin.IsEmpty());
    const TPoint pinAt((pin.Left + pin.Right) / 2, (pin.Top + pin.Bottom) / 2);
    CHECK(f.HitAt(pinAt) == HTUSERBUTTON);
    CHECK(f.HitAt(TPoint((off.Left + off.Right) / 2, pinAt.Y)) == HTCAPTION);
    CHECK(f.Provider->HotItem() == 0);
    THeldPointer pointer(f.Screen(pinAt));
    SendMessageW(f.Wnd(), WM_NCLBUTTONDOWN, HTUSERBUTTON, 0);
    SendMessageW(f.Wnd(), WM_LBUTTONUP, 0, 0);
    CHECK(events.Log == TLog{"up pin"});
    TRestore<void (*)(TPopupMenu*, int, int)> popup(SystemMenuPopup);
    SystemMenuPopup = &TButtonEvents::Popup;
    TButtonEvents::Popups.clear();
    SendMessageW(f.Wnd(), WM_SYSCOMMAND, SC_KEYMENU, VK_SPACE);
    SendMessageW(f.Wnd(), WM_NCRBUTTONUP, HTCAPTION, MAKELPARAM(300, 77));
    RECT w{};
    GetWindowRect(f.Wnd(), &w);
    const int below = GetSystemMetrics(SM_CYCAPTION) + GetSystemMetrics(SM_CYFRAME);
    CHECK(TButtonEvents::Popups == std::vector<TPoint>{TPoint(w.left + GetSystemMetrics(SM_CXFRAME), w.top + below),
                                                       TPoint(300, 77)});
    CHECK_FALSE(f.Provider->SystemMenu()->Item(smiRestore)->Enabled());
    // A double click on the icon closes the form.
    SendMessageW(f.Wnd(), WM_NCLBUTTONDBLCLK, HTSYSMENU, 0);
    CHECK(f.Closes == 1);
}

TEST_CASE("provider: the frame printed with the form, and the animated first show before version 6")
{
    TFrameFixture f;
    const int w = f.Provider->FormWidth(), h = f.Provider->FormHeight();
    auto printed = CreateBmp24(w, h);
    SendMessageW(f.Wnd(), WM_PRINT, WPARAM(printed->Canvas()->Handle()), PRF_NONCLIENT | PRF_CLIENT);
    CHECK(SamePixels(*printed, *f.Provider->SkinData()->CacheBmp()));
    static int shown = 0;
    TRestore<int (*)()> version(SkinSystemMajorVersion);
    SkinSystemMajorVersion = [] { return 5; };
    TRestore<decltype(SkinEngineHooks.AnimShowControl)> anim(SkinEngineHooks.AnimShowControl);
    SkinEngineHooks.AnimShowControl = [](TWinControl*, int) { ++shown; };
    auto* other = new TForm(Application);
    other->SetBounds(100, 100, 300, 200);
    MakeComponent<TzSkinProvider>(other);
    other->Show();
    Pump();
    CHECK(shown == 1);
    CHECK(IsWindowVisible(other->Handle()));
    TGdiObject<HRGN> rgn(CreateRectRgn(0, 0, 0, 0));
    CHECK(GetWindowRgn(other->Handle(), rgn.Handle()) != ERROR);
    delete other;
}

TEST_CASE("provider: snapping to the work area's edges, and the maximized size")
{
    TFrameFixture f;
    f.Provider->SetScreenSnap(true);
    TRect work;
    GetWorkArea(work);
    const int w = f.Provider->FormWidth();
    auto moveTo = [&](int X, int Y) {
        SetWindowPos(f.Wnd(), nullptr, X, Y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
        RECT r{};
        GetWindowRect(f.Wnd(), &r);
        return Join(r.left, r.top);
    };
    CHECK(moveTo(work.Left + 7, 100) == Join(work.Left, 100));
    CHECK(moveTo(work.Left + 10, 100) == Join(work.Left + 10, 100));
    CHECK(moveTo(work.Right - w + 5, 100) == Join(work.Right - w, 100));
    // Far past the right edge it stays where it was put.
    CHECK(moveTo(work.Right - w + 50, 100) == Join(work.Right - w + 50, 100));
    MINMAXINFO info{};
    SendMessageW(f.Wnd(), WM_GETMINMAXINFO, 0, LPARAM(&info));
    const int frame = GetSystemMetrics(SM_CXFRAME);
    CHECK(Join(info.ptMaxTrackSize.x, info.ptMaxTrackSize.y) ==
          Join(work.Width() + 2 * frame, work.Height() + 2 * frame));
    CHECK(Join(info.ptMaxPosition.x, info.ptMaxPosition.y) == Join(-frame, -frame));
}

TEST_CASE("provider: the outline drag moves the form on release, and ends when the capture goes")
{
    TFrameFixture f;
    f.Provider->SetResizeMode(rmBorder);
    THeldPointer pointer;
    RECT before{}, after{};
    auto drag = [&](bool LoseCapture) {
        GetWindowRect(f.Wnd(), &before);
        const POINT start = f.Screen(TPoint(60, 10));
        pointer.MoveTo(start);
        SendMessageW(f.Wnd(), WM_NCLBUTTONDOWN, HTCAPTION, MAKELPARAM(start.x, start.y));
        CHECK(GetCapture() == f.Wnd());
        pointer.MoveTo(POINT{start.x + 30, start.y + 20});
        SendMessageW(f.Wnd(), WM_MOUSEMOVE, MK_LBUTTON, 0);
        if (LoseCapture)
            SetCapture(f.Backdrop->Handle());
        SendMessageW(f.Wnd(), WM_LBUTTONUP, 0, 0);
        ReleaseCapture();
        GetWindowRect(f.Wnd(), &after);
    };
    drag(true);
    CHECK(Join(after.left, after.top) == Join(before.left, before.top));
    drag(false);
    CHECK(Join(after.left, after.top) == Join(before.left + 30, before.top + 20));
}

TEST_CASE("provider: every paint validates, also one that waits for an update to end")
{
    TFrameFixture f;
    RECT r{};
    for (uint16_t updating : {0, 1}) {
        INFO("updating " << updating);
        SendMessageW(f.Wnd(), SM_SKINCMD, SkinCommandWParam(SKCMD_SETUPDATING, updating), 0);
        InvalidateRect(f.Wnd(), nullptr, FALSE);
        SendMessageW(f.Wnd(), WM_PAINT, 0, 0);
        CHECK_FALSE(GetUpdateRect(f.Wnd(), &r, FALSE));
    }
}

TEST_CASE("provider: the title masks are looked up again at every switch")
{
    TFrameFixture f;
    const WideString folder = ShiftedSkin(L"ZandrelDusk", L"Shifted");
    f.Manager->SetActive(false);
    f.Manager->SetSkinDirectory(folder);
    f.ApplySkin(L"Shifted");
    CHECK(f.Provider->ButtonOf(HTCLOSE)->ImageIndex == f.Manager->FindMaskIndexExact("GLOBALINFO", "BICONCLOSE"));
    CHECK(f.TitleShowsPicture());
}

namespace {

class TMDIFrame : public TForm {
public:
    explicit TMDIFrame(TComponent* AOwner) : TForm(AOwner) { SetFormStyle(fsMDIForm); }
};

struct TFreeOnClose {
    void Closed(TObject*, TCloseAction& Action) { Action = caFree; }
};

} // namespace

TEST_CASE("provider: an MDI child freed by its own close button in its parent's menu line")
{
    TSkinFixture f;
    REQUIRE(Application->MainForm() == nullptr);
    TMDIFrame* frame = nullptr;
    Application->CreateForm(frame);   // MDI children are made in the main form
    std::unique_ptr<TMDIFrame> owned(frame);
    frame->SetBounds(30, 30, 600, 450);
    auto* menu = new TMainMenu(frame);
    auto* item = new TMenuItem(frame);
    item->SetCaption("File");
    menu->Items()->Add(item);
    frame->SetMenu(menu);
    auto* parent = MakeComponent<TzSkinProvider>(frame);
    ShowOnTop(frame);
    CHECK(parent->MDIForm()->Adapter() != nullptr);
    TFreeOnClose freeing;
    TForm* children[2];
    for (TForm*& child : children) {
        child = new TForm(Application);
        child->SetFormStyle(fsMDIChild);
        MakeComponent<TzSkinProvider>(child);
        child->OnClose = MakeMethod<&TFreeOnClose::Closed>(&freeing);
        child->SetBounds(10, 10, 250, 180);
        child->Show();
    }
    Pump();
    // Every paint validates, the inactive child's too.
    RECT r{};
    InvalidateRect(children[0]->Handle(), nullptr, FALSE);
    SendMessageW(children[0]->Handle(), WM_PAINT, 0, 0);
    CHECK_FALSE(GetUpdateRect(children[0]->Handle(), &r, FALSE));
    TForm* child = frame->ActiveMDIChild() ? static_cast<TForm*>(frame->ActiveMDIChild()) : children[1];
    SendMessageW(child->Handle(), WM_SYSCOMMAND, SC_MAXIMIZE, 0);
    Pump();
    REQUIRE(IsZoomed(child->Handle()));
    const TRect close = parent->ButtonOf(HTMDICLOSE)->Rect;
    REQUIRE_FALSE(close.IsEmpty());
    RECT w{};
    GetWindowRect(frame->Handle(), &w);
    const POINT at{w.left + (close.Left + close.Right) / 2, w.top + (close.Top + close.Bottom) / 2};
    CHECK(SendMessageW(frame->Handle(), WM_NCHITTEST, 0, MAKELPARAM(at.x, at.y)) == HTMDICLOSE);
    // While the menu loop runs, the buttons' own window lies over the system's.
    SendMessageW(frame->Handle(), WM_ENTERMENULOOP, 0, 0);
    HWND icons = FindWindowW(L"zMDIIcons", nullptr);
    CHECK((icons && IsWindowVisible(icons)));
    SendMessageW(frame->Handle(), WM_EXITMENULOOP, 0, 0);
    CHECK_FALSE(IsWindow(icons));
    THeldPointer pointer(at);
    TSkFreeWatch watch(child);
    SendMessageW(frame->Handle(), WM_NCLBUTTONDOWN, HTMDICLOSE, MAKELPARAM(at.x, at.y));
    SendMessageW(frame->Handle(), WM_LBUTTONUP, 0, 0);
    // Freed by the messages that follow, not inside its own close.
    CHECK_FALSE(watch.Freed());
    Pump();
    CHECK(watch.Freed());
    CHECK(MaxChildProvider == nullptr);
    InvalidateRect(frame->Handle(), nullptr, FALSE);
    UpdateWindow(frame->Handle());
    CHECK_FALSE(GetUpdateRect(frame->Handle(), &r, FALSE));
}
