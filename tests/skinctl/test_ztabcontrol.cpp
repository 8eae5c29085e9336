// The skinned tab control: its captions, its rows and their pixels, its own arrows, the
// selection by mouse and keys.
#include "skinctlfixture.h"

#include "classlib/imglist.h"
#include "skinctl/zmemo.h"
#include "skinctl/ztabcontrol.h"
#include "skinctl/zupdown.h"

#include <set>

namespace {

const WideString Names[] = {L"Алёна", L"Дмитрий", L"Ελένη", L"Ольга", L"Сергей", L"Татьяна",
                            L"Γιώργος", L"Иван", L"Пётр", L"Анна", L"Μαρία", L"Николай"};

struct TTabsFixture : TSkinFixture {
    TzTabControl* Tabs = nullptr;
    TLog Log;
    explicit TTabsFixture(int Count = 4, const wchar_t* Skin = L"ZandrelDawn", TTabPosition Position = tpTop, int Width = 300)
        : TSkinFixture(Skin)
    {
        Tabs = Place<TzTabControl>(Backdrop, 10, 4, Width, 90);
        Tabs->SetTabPosition(Position);
        for (int i = 0; i < Count; ++i)
            Tabs->Tabs()->Add(Names[i]);
        Tabs->OnChange = MakeMethod<&TTabsFixture::Changed>(this);
        Tabs->OnChanging = MakeMethod<&TTabsFixture::Changing>(this);
        ShowUnfocused();
    }
    void Changed(TObject*) { Log.push_back("change " + IntToStr(Tabs->TabIndex())); }
    void Changing(TObject*, bool& Allow)
    {
        Log.push_back("changing");
        Allow = !Refuse;
    }
    bool Refuse = false;
    TBitmap& Cache() { return FreshCache(Tabs); }
    const TzTabInfo& Record(int Tab) const
    {
        const auto& all = Tabs->TabInfo();
        const auto it = std::find_if(all.begin(), all.end(), [Tab](const TzTabInfo& t) { return t.TabIndex == Tab; });
        REQUIRE(it != all.end());
        return *it;
    }
    LRESULT Key(WPARAM Key) { return SendMessageW(Tabs->Handle(), WM_KEYDOWN, Key, 0); }
    void Click(TPoint P)
    {
        SendMessageW(Tabs->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(P.X, P.Y));
        SendMessageW(Tabs->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(P.X, P.Y));
    }
    TPoint CentreOf(int Tab) const
    {
        const TRect& r = Record(Tab).R;
        return TPoint((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2);
    }
    // The same as the system window places the tab.
    TPoint WindowCentreOf(int Tab) const
    {
        RECT r;
        SendMessageW(Tabs->Handle(), TCM_GETITEMRECT, WPARAM(Tab), LPARAM(&r));
        return TPoint((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    }
};

// Owner-drawn tabs: each filled with a colour of its own, the active one with its own.
struct TOwnerTabs {
    TLog Drawn;
    void Draw(TzCustomTabControl* Control, int Tab, const TRect& R, bool Active)
    {
        Drawn.push_back(IntToStr(Tab) + (Active ? " active" : ""));
        Control->Canvas()->Brush()->SetColor(Active ? TColor(0x0000C0) : TColor(0xC00000));
        Control->Canvas()->FillRect(R);
    }
};

// The bounding box of the pixels of Ink inside R; with Far, of those further than that from
// Ink in the sum of the channels (turned text is drawn smoothed: its ink is no one colour).
TRect InkBox(TBitmap& B, const TRect& R, TColor Ink, int Far = 0)
{
    auto matches = [&](TColor C) {
        const int d = std::abs(Channel(C, 0) - Channel(Ink, 0)) + std::abs(Channel(C, 1) - Channel(Ink, 1)) +
                      std::abs(Channel(C, 2) - Channel(Ink, 2));
        return Far ? d > Far : d == 0;
    };
    TRect box(R.Right, R.Bottom, R.Left - 1, R.Top - 1);
    for (int y = std::max(0, R.Top); y < std::min(B.Height(), R.Bottom); ++y)
        for (int x = std::max(0, R.Left); x < std::min(B.Width(), R.Right); ++x)
            if (matches(Px(B, x, y)))
                box = TRect(std::min(box.Left, x), std::min(box.Top, y), std::max(box.Right, x), std::max(box.Bottom, y));
    return box;
}

// The system's own arrows are there and shown.
bool SystemArrowsShown(TzTabControl* T)
{
    HWND arrows = FindWindowExA(T->Handle(), nullptr, UPDOWN_CLASSA, nullptr);
    return arrows && IsWindowVisible(arrows);
}

} // namespace

TEST_CASE("tab captions are wide in the system window, kept through a new window and without one")
{
    TTabsFixture f(3, nullptr);
    TzTabControl* t = f.Tabs;
    wchar_t text[32] = {};
    TCITEMW item{TCIF_TEXT, 0, 0, text, 32};
    SendMessageW(t->Handle(), TCM_GETITEMW, 1, LPARAM(&item));
    CHECK(WideString(text) == Names[1]);
    CHECK_THROWS_WITH_AS(t->Tabs()->Strings(7), "Failed to retrieve tab at index 7", EListError);

    t->SetTabIndex(2);
    t->RecreateWnd();
    CHECK(Join(t->Tabs()->Strings(0), t->TabIndex()) == Join(Names[0], 2));
    // Taken off its parent, the control keeps its tabs until it has a window again.
    t->SetParent(nullptr);
    t->Tabs()->Add(Names[5]);
    CHECK(t->Tabs()->Count() == 4);
    t->SetParent(f.Form);
    CHECK(t->Tabs()->Strings(3) == Names[5]);

    // In form data, as wide strings.
    TzTabControl* copy = f.Place<TzTabControl>(f.Form, 10, 120, 200, 60);
    CheckRoundTrip(t, copy, {"Tabs.Strings", "TabIndex"});
    CHECK(Join(copy->Tabs()->Strings(2), copy->TabIndex()) == Join(Names[2], 2));
}

TEST_CASE("skinned tabs: one row from y = 1, each a platform tab high, the selected one over the body")
{
    TTabsFixture f(3);
    TzTabControl* t = f.Tabs;
    t->SetTabIndex(1);
    RECT platform;
    SendMessageW(t->Handle(), TCM_GETITEMRECT, 0, LPARAM(&platform));
    for (const TzTabInfo& i : t->TabInfo())
        CHECK(Join(i.R.Top, i.R.Height(), i.Row) == Join(1, int(platform.bottom - platform.top), 1));
    TBitmap& c = f.Cache();
    const TzGeneralData& tab = f.Section("TABTOP");
    const TzGeneralData& body = f.Section("PAGECONTROL");
    const TRect disp = t->DisplayRect();
    // The body; a tab's face beside its caption: the section's colour, the selected one its
    // hot colour, reaching down over the body's border; on the screen as in the cache.
    const TRect& r0 = f.Record(0).R;
    const TRect& r1 = f.Record(1).R;
    CHECK(Join(Px(c, disp.Left + 20, disp.Bottom - 10), Px(c, r0.Left + 7, r0.Top + 9), Px(c, r1.Left + 7, r1.Top + 9),
               Px(c, r1.Left + 7, disp.Top - 3)) == Join(body.Color, tab.Color, tab.HotColor, tab.HotColor));
    CHECK(Px(c, r0.Left + 7, disp.Top - 3) != tab.Color);
    CHECK(ClientPixel(t, r0.Left + 7, r0.Top + 9) == tab.Color);
    // Captions in the section's font colours, the hot one on the selected tab; centred, not
    // pushed to the right.
    const TRect ink = InkBox(c, r0, TColor(tab.FontColor));
    CHECK(ink.Width() > 10);
    CHECK(InkBox(c, r1, TColor(tab.HotFontColor)).Width() > 10);
    CHECK(std::abs((ink.Left - r0.Left) - (r0.Right - ink.Right)) <= 3);
}

TEST_CASE("overflowing tabs: the control's own up-down inside its right end reaches every tab, from either end")
{
    TTabsFixture f(12);
    TzTabControl* t = f.Tabs;
    TzUpDown* u = t->UpDown();
    REQUIRE(u);
    const int w = 2 * GetSystemMetrics(SM_CXHSCROLL);
    CHECK(Join(u->Left(), u->Top(), u->Width()) == Join(t->Width() - w, 0, w));
    CHECK(Join(IsWindowVisible(u->Handle()) != 0, u->SkinManager() == f.Manager.get(), SystemArrowsShown(t)) ==
          Join(true, true, false));

    // The tabs whole left of the arrows are seen, then an arrow clicked: right from the first
    // tab, and left from the last one (selected by End), every tab is seen.
    std::set<int> seen;
    auto lookAndClick = [&](bool Right) {
        u = t->UpDown();
        REQUIRE(u);
        for (const TzTabInfo& i : t->TabInfo())
            if (!i.R.IsEmpty() && i.R.Left >= 0 && i.R.Right <= u->Left())
                seen.insert(i.TabIndex);
        const LPARAM at = MAKELPARAM(Right ? w - 4 : 4, 8);
        SendMessageW(u->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, at);
        SendMessageW(u->Handle(), WM_LBUTTONUP, 0, at);
    };
    const auto before = Pixels(*ClientShot(t));
    lookAndClick(true);
    Pump();
    // The row moved on the screen too, and no tab is painted under the arrows.
    CHECK(Join(u->Position(), t->SkinData()->BGChanged()) == Join(1, false));
    CHECK(Pixels(*ClientShot(t)) != before);
    CHECK(ClientPixel(t, u->Left() + 1, 1) == ClientPixel(t, u->Left() - 1, 0));
    for (int i = 0; i < 11; ++i)
        lookAndClick(true);
    CHECK(seen.size() == 12);
    seen.clear();
    f.Key(VK_END);
    for (int i = 0; i < 12; ++i)
        lookAndClick(false);
    CHECK(seen.size() == 12);

    // Wide enough, the arrows go; several rows never show them.
    t->SetWidth(900);
    CHECK(t->UpDown() == nullptr);
    t->SetWidth(300);
    t->SetMultiLine(true);
    CHECK(t->UpDown() == nullptr);
    t->SetMultiLine(false);
    // Without the skin the system's arrows come back, in the same window.
    const HWND window = t->Handle();
    f.RemoveSkin();
    CHECK(Join(t->UpDown() == nullptr, SystemArrowsShown(t), t->Handle() == window) == Join(true, true, true));
    // A skin again: the own arrows again, the system's hidden.
    f.ApplySkin(L"ZandrelDusk");
    CHECK(Join(t->UpDown() != nullptr, SystemArrowsShown(t)) == Join(true, false));
}

TEST_CASE("a row's overflow counts the tabs scrolled out to the left, which the system gives no width, and those under the arrows")
{
    std::vector<TzTabInfo> records(6);
    for (int i = 0; i < 6; ++i) {
        records[size_t(i)].TabIndex = i;
        records[size_t(i)].R = i < 2 ? TRect(0, 0, 0, 20) : TRect(2 + 58 * (i - 2), 2, 60 + 58 * (i - 2), 22);
    }
    TzTabLayout layout;
    layout.Build(records, TzTabGeometry{tpTop, tsTabs, 1, 200, 90}, 3);
    const TzTabOverflow o = layout.Overflow(150, [](int) { return true; });
    CHECK(Join(o.ScrolledLeft, o.Hidden()) == Join(2, 4));
}

TEST_CASE("the skinned index: a value that names no tab selects tab 0, and the window gets that value; deletion keeps it valid")
{
    TTabsFixture f(4);
    TzTabControl* t = f.Tabs;
    t->SetTabIndex(2);
    t->SetTabIndex(99);
    CHECK(Join(t->TabIndex(), SendMessageW(t->Handle(), TCM_GETCURSEL, 0, 0)) == Join(0, 0));
    t->SetTabIndex(3);
    CHECK(f.Log == TLog{"change 2", "change 0", "change 3"});
    t->Tabs()->Delete(3);
    CHECK(Join(t->TabIndex(), SendMessageW(t->Handle(), TCM_GETCURSEL, 0, 0)) == Join(2, 2));
    t->Tabs()->Delete(0);
    CHECK(Join(t->TabIndex(), t->Tabs()->Strings(t->TabIndex()), t->TabInfo().size()) == Join(1, Names[2], 2u));
    t->Tabs()->Clear();
    CHECK(Join(t->TabIndex(), t->TabInfo().size()) == Join(0, 0u));
    // Without a skin the selected last tab gives its selection to the new last too.
    f.RemoveSkin();
    for (int i = 0; i < 3; ++i)
        t->Tabs()->Add(Names[i]);
    t->SetTabIndex(2);
    t->Tabs()->Delete(2);
    CHECK(t->TabIndex() == 1);
}

TEST_CASE("skinned, the control selects by mouse and keys itself: the window's notifications change nothing")
{
    TTabsFixture f(4);
    TzTabControl* t = f.Tabs;
    t->SetTabIndex(0);
    f.Log.clear();
    TMsgRecorder rec;
    rec.Only([](UINT Msg, WPARAM, LPARAM L) {
        return Msg == WM_NOTIFY && (reinterpret_cast<NMHDR*>(L)->code == UINT(TCN_SELCHANGING) ||
                                    reinterpret_cast<NMHDR*>(L)->code == UINT(TCN_SELCHANGE));
    });
    rec.Attach(f.Backdrop, "backdrop");
    rec.Name(t->Handle(), "tabs");
    f.Click(f.CentreOf(2));
    CHECK(f.Log == TLog{"changing", "change 2"});
    CHECK(Join(t->TabIndex(), GetFocus() == t->Handle()) == Join(2, true));
    CHECK_MESSAGES(rec);

    // Home and End answer 1; the arrows wrap; the window's own move is refused.
    f.Log.clear();
    CHECK(f.Key(VK_END) == 1);
    CHECK(f.Key(VK_HOME) == 1);
    f.Key(VK_LEFT);
    f.Key(VK_RIGHT);
    CHECK(f.Log == TLog{"changing", "change 3", "changing", "change 0", "changing", "change 3", "changing", "change 0"});
    f.Refuse = true;
    f.Log.clear();
    f.Key(VK_RIGHT);
    f.Click(f.CentreOf(1));
    CHECK(f.Log == TLog{"changing", "changing"});
    CHECK(Join(t->TabIndex(), SendMessageW(t->Handle(), TCM_GETCURSEL, 0, 0)) == Join(0, 0));

    // A caption's hot key selects its tab (the character as the key handling packs it).
    f.Refuse = false;
    t->Tabs()->SetStrings(3, L"&\x041F\x043E\x0447\x0442\x0430");   // "&Почта"
    CHECK(t->Perform(CM_DIALOGCHAR, MAKEWPARAM(255, 0x043F), 0) == 1);
    CHECK(t->TabIndex() == 3);

    // Unskinned the window selects, asking through its notifications; a refusal blocks it.
    f.RemoveSkin();
    f.Log.clear();
    rec.Clear();
    rec.Name(t->Handle(), "tabs");
    f.Click(f.WindowCentreOf(1));
    CHECK(t->TabIndex() == 1);
    CHECK_MESSAGES(rec, {"backdrop", WM_NOTIFY, UINT(TCN_SELCHANGING), "tabs"},
                   {"backdrop", WM_NOTIFY, UINT(TCN_SELCHANGE), "tabs"});
    f.Refuse = true;
    f.Click(f.WindowCentreOf(2));
    CHECK(t->TabIndex() == 1);
    CHECK(f.Log == TLog{"changing", "change 1", "changing"});
}

TEST_CASE("tabs at the left and right: rotated captions in the section's colours, images beside them, keys along the strip")
{
    for (TTabPosition position : {tpLeft, tpRight}) {
        INFO("position " << int(position));
        TTabsFixture f(3, L"ZandrelDawn", position, 200);
        TzTabControl* t = f.Tabs;
        CHECK(Join(t->MultiLine(), t->UpDown() == nullptr) == Join(true, true));
        // "Г" turned: its bar is a column at the text's start, its stem a row.
        t->Tabs()->SetStrings(0, L"\x0413\x0413");
        t->SetTabIndex(1);
        TBitmap& c = f.Cache();
        const TzGeneralData& s = f.Section(position == tpLeft ? "TABLEFT" : "TABRIGHT");
        const TRect r0 = f.Record(0).R;
        const TRect ink = InkBox(c, TRect(r0.Left + 4, r0.Top + 4, r0.Right - 4, r0.Bottom - 4), s.Color, 150);
        REQUIRE(ink.Right > ink.Left);
        CHECK(ink.Height() > ink.Width());
        int full = 0;
        for (int y = ink.Top; y <= ink.Bottom; ++y)
            full += Near(Px(c, position == tpLeft ? ink.Left : ink.Right, y), TColor(s.FontColor), 60);
        CHECK(full >= ink.Height() / 3);
        const TRect r1 = f.Record(1).R;
        CHECK(InkBox(c, TRect(r1.Left + 4, r1.Top + 4, r1.Right - 4, r1.Bottom - 4), s.HotColor, 150).Height() > 10);

        // Down and Up step along the strip, asking once each.
        f.Log.clear();
        f.Key(VK_DOWN);
        f.Key(VK_UP);
        CHECK(f.Log == TLog{"changing", "change 2", "changing", "change 1"});
    }
}

TEST_CASE("a tab's image stands before its caption: left of it at the top, along it at the left")
{
    TImageList images(nullptr);
    images.SetWidth(10);
    images.SetHeight(10);
    images.Add(Filled24(10, 10, TColor(0x00C000)).get(), nullptr);
    for (TTabPosition position : {tpTop, tpLeft}) {
        INFO("position " << int(position));
        TTabsFixture f(2, L"ZandrelDawn", position);
        f.Tabs->SetImages(&images);
        f.Tabs->SetTabIndex(1);
        TBitmap& c = f.Cache();
        const TzTabInfo& tab = f.Record(0);
        const TRect image = InkBox(c, tab.R, TColor(0x00C000));
        CHECK(Join(image.Width(), image.Height()) == Join(9, 9));
        const TzGeneralData& s = f.Section(position == tpTop ? "TABTOP" : "TABLEFT");
        const TRect text = InkBox(c, tab.R, TColor(s.FontColor));
        const bool imageFirst = position == tpTop ? image.Right < text.Left : image.Top > text.Bottom;
        CHECK(imageFirst);
        // The tab without an image in the list has none.
        CHECK(InkBox(c, f.Record(1).R, TColor(0x00C000)).Width() < 0);
        f.Tabs->SetImages(nullptr);
    }
}

TEST_CASE("tabs and buttons are painted from their sections, also a skin's first; styles and positions that do not go together are refused")
{
    TTabsFixture f(3);
    TzTabControl* t = f.Tabs;
    // A skin whose first section is the tab's paints the captions from it: section 0 is a section.
    auto m = ManagerOfText("[TABTOP]\r\nCOLOR=16777215\r\nFONTCOLOR=255\r\nHOTFONTCOLOR=255\r\n"
                           "[PAGECONTROL]\r\nCOLOR=65280\r\n");
    m->RebuildCache();
    REQUIRE(m->Cache().TabTop.Section == 0);
    t->SkinData()->SetSkinManager(m.get());
    t->SetTabIndex(1);
    TBitmap& c = f.Cache();
    CHECK(InkBox(c, f.Record(0).R, TColor(255)).Width() > 10);
    CHECK(Px(c, t->DisplayRect().Left + 20, t->DisplayRect().Bottom - 10) == TColor(65280));
    t->SkinData()->SetSkinManager(f.Manager.get());   // the default manager's skin again

    t->SetStyle(tsButtons);
    CHECK_THROWS_WITH_AS(t->SetTabPosition(tpBottom), "Tab position incompatible with current tab style",
                         EInvalidOperation);
    t->SetTabIndex(0);
    TBitmap& buttons = f.Cache();   // painted before the records are read: painting lays them out anew
    CHECK(InkBox(buttons, f.Record(1).R, TColor(f.Section("BUTTON").FontColor)).Width() > 10);
    t->SetStyle(tsTabs);
    t->SetTabPosition(tpLeft);
    CHECK_THROWS_WITH_AS(t->SetStyle(tsFlatButtons), "Tab style incompatible with current tab position",
                         EInvalidOperation);
    CHECK_THROWS_WITH_AS(t->SetMultiLine(false), "MultiLine must be True when TabPosition is tpLeft or tpRight",
                         EListError);
    CHECK_THROWS_AS(t->SetTabHeight(-1), EInvalidOperation);
}

TEST_CASE("owner-drawn tabs are drawn by OnDrawTab: into the window without a skin, into the picture with one")
{
    TTabsFixture f(2, nullptr);
    TOwnerTabs owner;
    TzTabControl* t = f.Tabs;
    t->OnDrawTab = MakeMethod<&TOwnerTabs::Draw>(&owner);
    t->SetOwnerDraw(true);
    t->SetTabIndex(1);
    f.Redraw();
    CHECK(ClientPixel(t, f.WindowCentreOf(0).X, f.WindowCentreOf(0).Y) == TColor(0xC00000));
    CHECK(std::count(owner.Drawn.begin(), owner.Drawn.end(), "1 active") >= 1);

    f.ApplySkin(L"ZandrelDusk");
    TBitmap& c = f.Cache();
    CHECK(Join(Px(c, f.CentreOf(0).X, f.CentreOf(0).Y), Px(c, f.CentreOf(1).X, f.CentreOf(1).Y)) ==
          Join(TColor(0xC00000), TColor(0x0000C0)));
    CHECK(ClientPixel(t, f.CentreOf(0).X, f.CentreOf(0).Y) == TColor(0xC00000));
}

TEST_CASE("a memo on a hidden tab control takes its own colours back when the skin goes")
{
    TTabsFixture f(4);
    auto* memo = f.Place<TzMemo>(f.Tabs, 10, 30, 120, 50);
    memo->Lines()->Add(L"Сергей: Привет!");
    Pump();
    // As a page not shown while the skin goes.
    f.ApplySkin(L"ZandrelDusk");
    CHECK(memo->Color() != clWindow);
    f.Tabs->SetVisible(false);
    f.RemoveSkin();
    f.Tabs->SetVisible(true);
    Pump();
    CHECK(Join(memo->Color(), ClientPixel(memo, memo->ClientWidth() - 4, memo->ClientHeight() - 4)) ==
          Join(clWindow, ColorToRGB(clWindow)));
}
