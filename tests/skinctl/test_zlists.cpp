// The skinned status bar, list box and list view: the bar's painter against a model (panel
// frames or dividers, texts, the grip), the bar following the messages that change it and
// painting into a DC it is given; the list box's background and items in the skin's colours;
// the list view's header hot under the mouse, its thumbs dragged in every view, its colours
// following the skin.
#include "skinctlfixture.h"

#include "skin/adapterfixtures.h"
#include "skin/synthskin.h"
#include "skin/zskinpaint.h"
#include "skinctl/zlistbox.h"
#include "skinctl/zlistview.h"
#include "skinctl/zstatusbar.h"
#include "pointer.h"

using adapt::CountColor;
using adapt::PlainSection;

namespace {

constexpr TColor BarColor = Rgb(200, 210, 220), TextColor = Rgb(0, 0, 120);
constexpr TColor FrameCorner = Rgb(250, 0, 0), FrameSide = Rgb(0, 250, 0), FrameInside = Rgb(0, 0, 250);
constexpr TColor DividerColor = Rgb(120, 60, 0), GripColor = Rgb(40, 40, 40);

// A status bar skin: a plain "STATUSBAR", with a panel frame (corners, sides and inside of
// three colours, margins 2) or only a "DIVIDER" whose border is 3 wide, and a grip of 5 x 4.
std::unique_ptr<TSynthSkin> BarSkin(bool Frame)
{
    auto s = std::make_unique<TSynthSkin>();
    PlainSection(*s, "GLOBALINFO", Rgb(1, 2, 3), Rgb(1, 2, 3));
    PlainSection(*s, "STATUSBAR", BarColor, BarColor);
    s->FontColors("7864320 -1 -1 -1 -1", "7864320 -1 -1 -1 -1");   // TextColor
    if (Frame) {
        s->Paint(TRect(0, 0, 6, 6), [](int X, int Y) {
            const bool sideX = X < 2 || X >= 4, sideY = Y < 2 || Y >= 4;
            return sideX && sideY ? FrameCorner : sideX || sideY ? FrameSide : FrameInside;
        });
        TSkStoredImage& f = s->Image("STATUSBAR", "STATUSPANELMASK", TRect(0, 0, 6, 6));
        f.WL = f.WT = f.WR = f.WB = 2;
    }
    PlainSection(*s, "DIVIDER", DividerColor, DividerColor);
    s->Paint(TRect(10, 0, 14, 4), [](int, int) { return DividerColor; });
    TSkStoredImage& d = s->Image("DIVIDER", "BORDERSMASK", TRect(10, 0, 14, 4));
    d.WL = d.WT = d.WR = d.WB = 1;
    // The grip's image over a black mask half: its pixels as they are.
    s->Paint(TRect(20, 0, 35, 8), [](int, int Y) { return Y < 4 ? GripColor : clBlack; });
    s->Image("GLOBALINFO", "GRIPIMAGE", TRect(20, 0, 35, 8), 3, 1);
    s->Load();
    return s;
}

TzStatusBarLook TwoPanels()
{
    TzStatusBarLook look;
    look.Panels = {{L"Онлайн", 80, taLeftJustify, false}, {L"", 60, taLeftJustify, true}, {L"3 · 新", 0, taCenter, false}};
    look.SizeGrip = true;
    return look;
}

TzSectionSkin BarSection(TSynthSkin& S)
{
    TzSectionSkin skin;
    skin.Manager = S.Manager.get();
    skin.Section = S.SectionIndex("STATUSBAR");
    return skin;
}

} // namespace

TEST_CASE("the status bar painter: panel frames from the mask at each panel, texts, no text in an owner-drawn "
          "panel, the grip at the bottom right")
{
    auto skin = BarSkin(true);
    const TzStatusBarLook look = TwoPanels();
    auto bmp = Filled24(300, 22, SkinKeyColor);
    PaintStatusBar(bmp.get(), BarSection(*skin), TzBackdrop(), look);
    const std::vector<TRect> panels = StatusPanelRects(look, 300, 22);
    REQUIRE(panels.size() == 3);
    // Panel i from the widths before it, each plus one, shrunk by one.
    CHECK(Join(panels[0].Left, panels[0].Right, panels[1].Left, panels[1].Right) == Join(1, 80, 82, 141));
    CHECK(Join(panels[2].Left, panels[2].Right, panels[2].Top, panels[2].Bottom) == Join(143, 299, 1, 21));
    for (const TRect& r : panels) {
        CHECK(Join(Px(*bmp, r.Left, r.Top), Px(*bmp, r.Left + 3, r.Top)) == Join(FrameCorner, FrameSide));
        CHECK(Px(*bmp, r.Left - 1, r.Top + 5) == BarColor);   // between the panels: the bar
    }
    CHECK(Px(*bmp, panels[1].Right - 1, panels[1].Bottom - 1) == FrameCorner);
    CHECK(CountColor(*bmp, panels[0], TextColor) > 10);
    CHECK(CountColor(*bmp, panels[1], TextColor) == 0);
    CHECK(CountColor(*bmp, panels[2], TextColor) > 10);
    // The grip's frame is 5 x 4: at the bottom right.
    CHECK(Join(Px(*bmp, 295, 18), Px(*bmp, 299, 21), Px(*bmp, 294, 21)) == Join(GripColor, GripColor, BarColor));
}

TEST_CASE("without a panel frame the panels are parted by the divider, none after the last; the simple panel has "
          "none")
{
    auto skin = BarSkin(false);
    TzStatusBarLook look = TwoPanels();
    look.SizeGrip = false;
    auto bmp = Filled24(300, 22, SkinKeyColor);
    PaintStatusBar(bmp.get(), BarSection(*skin), TzBackdrop(), look);
    // The divider's border is 4 wide: a strip of 3 at each panel's right edge but the last.
    const std::vector<TRect> panels = StatusPanelRects(look, 300, 22);
    for (int i : {0, 1})
        CHECK(Join(Px(*bmp, panels[i].Right - 3, 10), Px(*bmp, panels[i].Right - 1, 10), Px(*bmp, panels[i].Right - 4, 10)) ==
              Join(DividerColor, DividerColor, BarColor));
    CHECK(CountColor(*bmp, TRect(200, 0, 300, 22), DividerColor) == 0);
    look.SimplePanel = true;
    look.SimpleText = L"Соединение установлено";
    bmp = Filled24(300, 22, SkinKeyColor);
    PaintStatusBar(bmp.get(), BarSection(*skin), TzBackdrop(), look);
    CHECK(CountColor(*bmp, TRect(0, 0, 300, 22), DividerColor) == 0);
    CHECK(CountColor(*bmp, TRect(0, 0, 150, 22), TextColor) > 10);
}

namespace {

struct TBarEvents {
    int Draws = 0;
    void Draw(TCustomStatusBar* Bar, TStatusPanel*, const TRect& R)
    {
        ++Draws;
        Bar->Canvas()->Brush()->SetColor(clRed);
        Bar->Canvas()->FillRect(TRect(R.Left + 2, R.Top + 2, R.Left + 10, R.Bottom - 2));
    }
};

struct TBarFixture : TSkinFixture {
    TzStatusBar* Bar = Place<TzStatusBar>(Form, 0, 0, 400, 24);
    TBarEvents Ev;
    TBarFixture()
    {
        for (int w : {100, 120}) {
            TUcStatusPanel* p = Bar->Panels()->Add();
            p->SetWidth(w);
            p->SetText(L"Панель");
        }
        Bar->Panels()->Add()->SetStyle(psOwnerDraw);
        Bar->OnDrawPanel = MakeMethod<&TBarEvents::Draw>(&Ev);
        Show();
    }
};

} // namespace

TEST_CASE("a skinned status bar paints its picture, the program's panel over it; it follows the messages that "
          "change it and no question")
{
    TBarFixture f;
    HWND wnd = f.Bar->Handle();
    const TzGeneralData& s = f.Section("STATUSBAR");
    CHECK(ClientPixel(f.Bar, 101, 12) == TColor(s.Color));   // between the first two panels
    CHECK(ClientPixel(f.Bar, 226, 12) == clRed);             // the owner-drawn panel
    CHECK(f.Ev.Draws >= 1);
    const auto painted = [&] {
        RedrawWindow(wnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
        return !f.Bar->SkinData()->BGChanged();
    };
    REQUIRE(painted());
    RECT r{};
    SendMessageW(wnd, SB_GETRECT, 0, reinterpret_cast<LPARAM>(&r));
    CHECK_FALSE(f.Bar->SkinData()->BGChanged());
    // Parts and texts sent straight to the window show.
    for (UINT msg : {UINT(SB_SETPARTS), UINT(SB_SETTEXTW)}) {
        CAPTURE(msg);
        REQUIRE(painted());
        const int edges[2] = {50, -1};
        if (msg == SB_SETPARTS)
            SendMessageW(wnd, SB_SETPARTS, 2, reinterpret_cast<LPARAM>(edges));
        else
            SendMessageW(wnd, SB_SETTEXTW, 0, reinterpret_cast<LPARAM>(L"Новый текст"));
        CHECK(f.Bar->SkinData()->BGChanged());
    }
}

TEST_CASE("a skinned status bar given a DC to paint into paints there and leaves its own pending paint pending")
{
    TBarFixture f;
    HWND wnd = f.Bar->Handle();
    InvalidateRect(wnd, nullptr, FALSE);
    auto bmp = Filled24(400, 24, SkinKeyColor);
    SendMessageW(wnd, WM_PAINT, WPARAM(bmp->Canvas()->Handle()), 0);
    CHECK(Px(*bmp, 101, 12) == TColor(f.Section("STATUSBAR").Color));
    CHECK(GetUpdateRect(wnd, nullptr, FALSE));
    Pump();
}

TEST_CASE("a skinned list box: the section's colours, the background from the section, an owner-drawn current "
          "item highlighted; the platform's colours without the skin")
{
    TSkinFixture f;
    auto* list = f.Place<TzListBox>(f.Form, 10, 10, 150, 120);
    list->SetStyle(lbOwnerDrawFixed);
    for (const wchar_t* s : {L"Алёна", L"Борис", L"Вера"})
        list->Items()->Add(WideToAnsi(s));
    list->SetItemIndex(1);
    f.Show();
    const TzGeneralData& edit = f.Section("EDIT");
    CHECK(list->Color() == TColor(edit.Color));
    REQUIRE(list->ScrollAdapter());
    const TRect second = list->ItemRect(1), below = list->ItemRect(3);
    CHECK(ClientPixel(list, second.Right - 3, second.Top + 2) == TColor(GetSysColor(COLOR_HIGHLIGHT)));
    CHECK(ClientPixel(list, 3, below.Bottom + 4) == TColor(edit.Color));
    f.RemoveSkin();
    CHECK(list->Color() == clWindow);
    CHECK(list->ScrollAdapter() == nullptr);
}

TEST_CASE("a skinned list view's header shows the column under the mouse hot while HighlightHeaders; its thumbs "
          "scroll it in every view")
{
    TSkinFixture f;
    auto* list = f.Place<TzListView>(f.Form, 10, 10, 300, 180);
    list->SetViewStyle(vsReport);
    for (const wchar_t* c : {L"Имя", L"Статус", L"Ελληνικά", L"中文"})
        list->Columns()->Add()->SetCaption(c);
    for (int i = 0; i < 300; ++i)
        list->AddItem(L"Контакт " + std::to_wstring(i), nullptr);
    f.Show();
    TSkListViewWnd* a = list->ScrollAdapter();
    REQUIRE(a);
    HWND header = a->HeaderHandle();
    REQUIRE(header);
    RECT item{};
    SendMessageW(header, HDM_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&item));
    const TColor hot = TColor(f.Section("COLHEADER").HotColor);
    const int x = (item.left + item.right) / 2;
    const auto shown = [&] { return WindowPixel(header, x, 3); };
    POINT at{x, 3};
    ClientToScreen(header, &at);
    // The pointer held where the move says it is: the header asks where it is to tell its leaving.
    THeldPointer pointer(at);
    SendMessageW(header, WM_MOUSEMOVE, 0, MAKELPARAM(x, 3));
    CHECK(a->HotColumn == 1);
    RedrawWindow(header, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    CHECK(shown() == hot);
    list->SetHighlightHeaders(false);
    RedrawWindow(header, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    CHECK(shown() != hot);
    pointer.MoveTo(POINT{5, 5});
    SendMessageW(header, WM_MOUSELEAVE, 0, 0);
    CHECK(a->HotColumn == -2);

    for (TViewStyle view : {vsReport, vsList, vsIcon, vsSmallIcon}) {
        CAPTURE(view);
        list->SetViewStyle(view);
        Pump();
        RefreshScrollInfo(a, false);
        const int bar = a->VertBar->Visible ? SB_VERT : SB_HORZ;
        const int asked = adapt::DragThumb(a, bar, 40);
        CHECK(GetScrollPos(list->Handle(), bar) == asked);
    }
}

TEST_CASE("wide panel texts, the wide simple text and wide column captions go through form data")
{
    const auto copy = [](TComponent* From, TComponent* Into) {
        TStringStream data;
        data.WriteComponent(From);
        data.SetPosition(0);
        data.ReadComponent(Into);
    };
    TzStatusBar bar(nullptr), barInto(nullptr);
    bar.Panels()->Add()->SetText(L"Ελληνικά 中文");
    bar.SetSimpleText(L"Соединение");
    copy(&bar, &barInto);
    CHECK(Join(barInto.Panels()->Items(0)->Text(), barInto.SimpleText()) ==
          Join(WideString(L"Ελληνικά 中文"), WideString(L"Соединение")));
    TzListView list(nullptr), listInto(nullptr);
    list.Columns()->Add()->SetCaption(L"Имя · 名字");
    copy(&list, &listInto);
    CHECK(listInto.Column(0)->Caption() == L"Имя · 名字");
}
