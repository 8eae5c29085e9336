// The status bar: its panels as the window's parts (texts with their alignment, edges, bevels),
// the simple panel, owner-drawn panels, the application's hints and a click on a panel.
#include <doctest.h>
#include "classlib/comctrls.h"
#include "form_helpers.h"
#include "join.h"

namespace {

struct TBarForm {
    std::unique_ptr<TForm> Form = MakeForm(400, 200);
    TStatusBar* Bar = Add<TStatusBar>(Form.get(), 0, 0, 100, 22);
    TBarForm()
    {
        for (int w : {80, 120, 50}) {
            TStatusPanel* p = Bar->Panels()->Add();
            p->SetWidth(w);
            p->SetText("panel " + IntToStr(w));
        }
    }
};

AnsiString PartText(HWND Bar, int Part)
{
    char text[256] = {};
    SendMessageA(Bar, SB_GETTEXTA, static_cast<WPARAM>(Part), reinterpret_cast<LPARAM>(text));
    return text;
}

struct TBarEvents {
    TLog Log;
    void Draw(TCustomStatusBar*, TStatusPanel* Panel, const TRect& R)
    {
        Log.push_back("draw " + IntToStr(Panel->Index()) + " at " + IntToStr(R.Left));
    }
    void Click(TObject*) { Log.push_back("click"); }
};

} // namespace

TEST_CASE("panels are the window's parts: their edges, their texts led by the alignment's tabs, the last to the edge")
{
    TBarForm f;
    ShowOnTop(f.Form.get());
    HWND wnd = f.Bar->Handle();
    CHECK(f.Bar->Align() == alBottom);
    int edges[4] = {};
    CHECK(SendMessageA(wnd, SB_GETPARTS, 4, reinterpret_cast<LPARAM>(edges)) == 3);
    CHECK(Join(edges[0], edges[1], edges[2]) == "80 200 -1");
    f.Bar->Panels()->Items(1)->SetAlignment(taCenter);
    f.Bar->Panels()->Items(2)->SetAlignment(taRightJustify);
    CHECK(Join(PartText(wnd, 0), PartText(wnd, 1), PartText(wnd, 2)) ==
          Join(AnsiString("panel 80"), AnsiString("\tpanel 120"), AnsiString("\t\tpanel 50")));
    f.Bar->Panels()->Items(0)->SetWidth(100);
    const TRect second = f.Bar->PanelRect(1);
    CHECK(Join(second.Left >= 100, second.Left < 110, second.Right) == "1 1 220");
    CHECK(f.Bar->PanelRect(2).Right > 300);
    CHECK(f.Bar->PanelRect(3).IsEmpty());
    f.Bar->Panels()->Items(1)->SetBevel(pbRaised);
    CHECK((HIWORD(SendMessageA(wnd, SB_GETTEXTLENGTHA, 1, 0)) & SBT_POPOUT) != 0);

    // A new window gets the panels and the simple text back.
    f.Bar->SetSimpleText("simple");
    f.Bar->SetSizeGrip(false);
    wnd = f.Bar->Handle();
    CHECK(PartText(wnd, 1) == "\tpanel 120");
    f.Bar->SetSimplePanel(true);
    CHECK(PartText(wnd, 0) == "simple");
    CHECK((StyleOf(wnd) & SBARS_SIZEGRIP) == 0);
}

TEST_CASE("the simple panel shows its text over the panels; with AutoHint the application's hint goes there")
{
    TBarForm f;
    ShowOnTop(f.Form.get());
    HWND wnd = f.Bar->Handle();
    f.Bar->SetSimplePanel(true);
    f.Bar->SetSimpleText("ready");
    CHECK(SendMessageA(wnd, SB_ISSIMPLE, 0, 0));
    CHECK(PartText(wnd, 0) == "ready");
    f.Bar->SetAutoHint(true);
    Application->SetHint("a hint");
    CHECK(f.Bar->SimpleText() == "a hint");
    f.Bar->SetSimplePanel(false);
    CHECK_FALSE(SendMessageA(wnd, SB_ISSIMPLE, 0, 0));
    Application->SetHint("to the first panel");
    CHECK(Join(f.Bar->Panels()->Items(0)->Text(), PartText(wnd, 0)) ==
          Join(AnsiString("to the first panel"), AnsiString("to the first panel")));
    Application->SetHint("");
}

TEST_CASE("an owner-drawn panel is drawn by OnDrawPanel in its part; a click on a panel is the bar's click")
{
    TBarForm f;
    TBarEvents ev;
    f.Bar->OnDrawPanel = MakeMethod<&TBarEvents::Draw>(&ev);
    f.Bar->OnClick = MakeMethod<&TBarEvents::Click>(&ev);
    f.Bar->Panels()->Items(1)->SetStyle(psOwnerDraw);
    ShowOnTop(f.Form.get());
    ev.Log.clear();
    RedrawWindow(f.Bar->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    CHECK(ev.Log == TLog{"draw 1 at " + IntToStr(f.Bar->PanelRect(1).Left)});
    ev.Log.clear();
    const TRect r = f.Bar->PanelRect(2);
    const LPARAM at = MAKELPARAM(r.Left + 5, r.Top + 5);
    SendMessageA(f.Bar->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, at);
    SendMessageA(f.Bar->Handle(), WM_LBUTTONUP, 0, at);
    CHECK(ev.Log == TLog{"click"});
}
