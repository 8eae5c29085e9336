// The skinned memo: its events, the skin's colours and bars, and the window it keeps.
#include "skinctlfixture.h"

#include "skin/zclientwnd.h"
#include "skinctl/zmemo.h"

namespace {

struct TMemoFixture : TSkinFixture {
    TzMemo* Memo = Place<TzMemo>(Form, 10, 10, 200, 100);
    TMemoFixture()
    {
        Memo->SetScrollBars(ssVertical);
        for (int i = 0; i < 40; ++i)
            Memo->Lines()->Add((i % 2 ? Cyrillic : Greek) + L" " + std::to_wstring(i));
        Show();
    }
};

struct TEvents {
    int Caret = 0;
    int VScroll = 0;
    void OnCaret(TObject*) { ++Caret; }
    void OnVScroll(TObject*) { ++VScroll; }
};

} // namespace

TEST_CASE("a skinned memo takes the section's colours and a scroll adapter for every new skin, also one that came while it was hidden; the bars follow its text")
{
    TMemoFixture f;
    TzMemo* m = f.Memo;
    // The second skin comes while the first is applied, without a removal between.
    for (const wchar_t* skin : {L"ZandrelDawn", L"ZandrelDusk"}) {
        f.Manager->SetSkinName(skin);
        f.Redraw();
        const TzGeneralData& edit = f.Section("EDIT");
        CHECK(Join(m->Color(), m->Font()->Color()) == Join(edit.Color, TColor(edit.FontColor)));
        CHECK(dynamic_cast<TSkEditWnd*>(m->ScrollAdapter()));
        CHECK(Join(m->SkinData()->Updating(), ClientPixel(m, 150, 90)) == Join(false, edit.Color));
    }
    // A typed line break changes the range without a message the adapter knows: its bars follow.
    SendMessageW(m->Handle(), WM_CHAR, VK_RETURN, 0);
    SCROLLINFO si{sizeof(si), SIF_ALL, 0, 0, 0, 0, 0};
    GetScrollInfo(m->Handle(), SB_VERT, &si);
    auto* bars = dynamic_cast<TSkScrollWnd*>(m->ScrollAdapter());
    REQUIRE(bars);
    CHECK(bars->VertBar->ScrollInfo.nMax == si.nMax);
    // Its window made again on a hidden pane while the skin goes and comes: it takes up the new one.
    auto* pane = f.Place<TBackdrop>(f.Form, 220, 10, 170, 150);
    m->SetParent(pane);
    pane->SetVisible(false);
    f.RemoveSkin();
    CHECK(m->ScrollAdapter() == nullptr);
    f.ApplySkin(L"ZandrelDawn");
    pane->SetVisible(true);
    f.Redraw();
    CHECK(m->ScrollAdapter());
    // The section's colour and border.
    CHECK(Join(m->Color(), WindowPixel(m->Handle(), 60, 0)) == Join(f.Section("EDIT").Color, TColor(0xD3CAC3)));
}

TEST_CASE("without the skin a memo keeps its window, text, selection, scroll and focus; skinned or not it tells of caret placements and vertical scrolling")
{
    TMemoFixture f;
    TzMemo* m = f.Memo;
    FocusOn(m);
    HWND wnd = m->Handle();
    // Skinned or not, it tells of every caret placement and of vertical scrolling only.
    TEvents ev;
    m->OnScrollCaret = MakeMethod<&TEvents::OnCaret>(&ev);
    m->OnVScroll = MakeMethod<&TEvents::OnVScroll>(&ev);
    const auto events = [&] {
        ev = TEvents{};
        SendMessageW(wnd, EM_SETSEL, 3, 3);
        SendMessageW(wnd, EM_SETSEL, 0, 5);
        SendMessageW(wnd, WM_VSCROLL, SB_LINEDOWN, 0);
        SendMessageW(wnd, WM_HSCROLL, SB_LINERIGHT, 0);
        return Join(ev.Caret, ev.VScroll);
    };
    CHECK(events() == Join(2, 1));
    // Line 1's first word selected by UTF-16 positions.
    const int start = int(m->Lines()->Strings(0).size()) + 2;
    m->SetSelStart(start);
    m->SetSelLength(int(Cyrillic.size()));
    CHECK(m->SelText() == Cyrillic);
    SendMessageW(wnd, WM_VSCROLL, SB_TOP, 0);
    SendMessageW(wnd, EM_LINESCROLL, 0, 12);
    const int first = int(SendMessageW(wnd, EM_GETFIRSTVISIBLELINE, 0, 0));
    REQUIRE(first == 12);
    const WideString text = m->Text();

    f.RemoveSkin();
    Pump();
    CHECK(Join(m->Handle() == wnd, m->Color(), m->Text()) == Join(true, clWindow, text));
    f.Redraw();
    CHECK(WindowPixel(wnd, 60, 0) != 0xD3CAC3);   // the system's frame, not the section's border
    CHECK(Join(m->SelStart(), m->SelLength()) == Join(start, int(Cyrillic.size())));
    CHECK(Join(SendMessageW(wnd, EM_GETFIRSTVISIBLELINE, 0, 0), GetFocus() == wnd) == Join(first, true));
    m->SetSelText(Greek);
    CHECK(m->Lines()->Strings(1) == Greek + L" 1");
    CHECK(events() == Join(2, 1));
    // Its letter case goes through form data.
    m->SetCharCase(ecUpperCase);
    TzMemo* copy = f.Place<TzMemo>(f.Form, 220, 10, 100, 100);
    CheckRoundTrip(m, copy, {"CharCase"});
    CHECK(copy->CharCase() == ecUpperCase);
}
