// The pattern every skinned control follows, seen on the splitter; two skinned splitters on
// one parent.
#include "skinctlfixture.h"

#include "skinctl/zedit.h"
#include "skinctl/zgroupbox.h"
#include "skinctl/zmemo.h"
#include "skinctl/zsplitter.h"
#include "splitpanes.h"

namespace {

// A splitter between a pane aligned left and the rest of the form.
struct TSplitterFixture : TSkinFixture {
    TWinControl* Pane = Place<TBackdrop>(Form, 0, 0, 100, 100);
    TzSplitter* Splitter = nullptr;
    explicit TSplitterFixture(const wchar_t* Skin = L"ZandrelDawn") : TSkinFixture(Skin)
    {
        Pane->SetAlign(alLeft);
        Splitter = Place<TzSplitter>(Form, 100, 0, 6, 100);
        Splitter->SetResizeStyle(rsUpdate);
        Splitter->OnPaint = MakeMethod<&TSkinFixture::Count>(this);
        Show();
    }
    TColor Middle() { return ClientPixel(Form, Splitter->Left() + 3, 50); }
    void Send(UINT Msg, WPARAM Keys, int X) { SendMessageA(Form->Handle(), Msg, Keys, MAKELPARAM(X, 50)); }
};

} // namespace

TEST_CASE("a skin change reaches each skinned control once, in a group box too; every one says it is skinned; the end of a parent's update repaints what waited")
{
    TSkinFixture f(nullptr);
    auto* splitter = f.Place<TzSplitter>(f.Form, 100, 0, 6, 100);
    // Inside a control that skins nothing, and inside a group box: the broadcast goes on to
    // their children.
    auto* edit = f.Place<TzEdit>(f.Backdrop, 10, 10, 120, 24);
    auto* box = f.Place<TzGroupBox>(f.Form, 150, 10, 200, 150);
    auto* memo = f.Place<TzMemo>(box, 10, 30, 120, 80);
    f.Show();
    TMsgRecorder rec;
    rec.Only([](UINT Msg, WPARAM W, LPARAM) {
        return Msg == SM_SKINCMD && HIWORD(W) >= SKCMD_NEWSKIN && HIWORD(W) <= SKCMD_REFRESH;
    });
    for (auto [c, tag] :
         {std::pair<TControl*, const char*>{splitter, "splitter"}, {edit, "edit"}, {box, "box"}, {memo, "memo"}})
        rec.Attach(c, tag);
    f.ApplySkin(L"ZandrelDusk");
    CHECK_MESSAGES(rec, Cmd("splitter", SKCMD_NEWSKIN), Cmd("edit", SKCMD_NEWSKIN), Cmd("box", SKCMD_NEWSKIN),
                   Cmd("memo", SKCMD_NEWSKIN), Cmd("splitter", SKCMD_REFRESH), Cmd("edit", SKCMD_REFRESH),
                   Cmd("box", SKCMD_REFRESH), Cmd("memo", SKCMD_REFRESH));
    CHECK(memo->SkinData()->Skinned());
    rec.Clear();
    f.RemoveSkin();
    CHECK_MESSAGES(rec, Cmd("splitter", SKCMD_SKINREMOVED), Cmd("edit", SKCMD_SKINREMOVED),
                   Cmd("box", SKCMD_SKINREMOVED), Cmd("memo", SKCMD_SKINREMOVED));
    rec.DetachAll();

    // Unskinned now, each still answers the question, in the record and as the result.
    for (TControl* c : std::initializer_list<TControl*>{splitter, edit, memo})
        CHECK(AskControlCommand(c, SKCMD_ISSKINNED));
    CHECK(SendCommandToWindow(edit->Handle(), SKCMD_ISSKINNED, 0) == 1);
    // Commands of another manager are not acted on.
    auto other = ManagerOfText("[SPLITTER]\r\nCOLOR=255\r\n");
    f.ApplySkin(L"ZandrelDawn");
    splitter->Perform(SM_SKINCMD, SkinCommandWParam(SKCMD_SKINREMOVED), reinterpret_cast<LPARAM>(other.get()));
    CHECK(splitter->SkinData()->Skinned());

    // The end of a parent's update repaints what waited for it: the control without a window
    // through its parent, a window with nothing invalid its client area and its frame.
    f.Redraw();
    splitter->OnPaint = MakeMethod<&TSkinFixture::Count>(&f);
    splitter->SkinData()->SetUpdating(true);
    splitter->Repaint();
    CHECK(f.Counted == 0);
    splitter->Perform(SM_SKINCMD, SkinCommandWParam(SKCMD_ENDPARENTUPDATE), 0);
    CHECK(Join(f.Counted, splitter->SkinData()->Updating()) == Join(1, false));
    const TColor border = WindowPixel(edit->Handle(), 60, 0), inside = WindowPixel(edit->Handle(), 100, 12);
    edit->SkinData()->SetUpdating(true);
    FillDC(TWindowDC(edit->Handle()).Handle(), TRect(0, 0, 120, 24), clBlack);
    ValidateRect(edit->Handle(), nullptr);
    SendCommandToWindow(edit->Handle(), SKCMD_ENDPARENTUPDATE, 0);
    CHECK(Join(WindowPixel(edit->Handle(), 60, 0), WindowPixel(edit->Handle(), 100, 12)) == Join(border, inside));
}

TEST_CASE("a splitter shows its section at once, hot under the mouse and pressed in a live drag that holds the hints back")
{
    TSplitterFixture f;
    const TzGeneralData& s = f.Section("SPLITTER");
    CHECK(f.Middle() == s.Color);
    // No cache is kept between paints.
    CHECK(f.Splitter->SkinData()->CacheBmp() == nullptr);
    f.Splitter->Perform(CM_MOUSEENTER, 0, 0);
    CHECK(f.Middle() == s.HotColor);
    f.Splitter->Perform(CM_MOUSELEAVE, 0, 0);
    Application->SetShowHint(true);
    const int x = f.Splitter->Left() + 3;
    f.Send(WM_LBUTTONDOWN, MK_LBUTTON, x);
    f.Send(WM_MOUSEMOVE, MK_LBUTTON, x + 20);
    CHECK(Join(f.Pane->Width(), f.Splitter->Pressed(), Application->ShowHint()) == Join(120, true, false));
    // Pressed is the third state: the section's hot values.
    CHECK(f.Middle() == s.HotColor);
    f.Send(WM_LBUTTONUP, 0, x + 20);
    CHECK(Join(f.Splitter->Pressed(), Application->ShowHint()) == Join(false, true));
    f.Splitter->Perform(CM_MOUSELEAVE, 0, 0);
    CHECK(f.Middle() == s.Color);

    // A press lost to another window gives the hints back as well.
    f.Send(WM_LBUTTONDOWN, MK_LBUTTON, f.Splitter->Left() + 3);
    CHECK_FALSE(Application->ShowHint());
    TForm other(nullptr);
    SetCapture(other.Handle());
    CHECK(Join(f.Splitter->Pressed(), Application->ShowHint()) == Join(false, true));
    ReleaseCapture();
    // A press while hints are off already leaves them off afterwards.
    Application->SetShowHint(false);
    f.Send(WM_LBUTTONDOWN, MK_LBUTTON, f.Splitter->Left() + 3);
    f.Send(WM_LBUTTONUP, 0, f.Splitter->Left() + 3);
    CHECK_FALSE(Application->ShowHint());
    Application->SetShowHint(true);
    // Without a skin: the form's look.
    f.RemoveSkin();
    f.Redraw();
    CHECK(f.Middle() == ColorToRGB(clBtnFace));
}

TEST_CASE("two skinned splitters on one parent keep three panes in order; a press gathers only the panes shut against its own")
{
    for (const wchar_t* skin : {L"ZandrelDawn", static_cast<const wchar_t*>(nullptr)}) {
        TSkinFixture f(skin);
        f.Show();
        CheckSplitPaneSequences<TzSplitter>(f.Form);
    }
    TSkinFixture f;
    f.Show();
    TSplitPanes<TzSplitter> p(f.Form);
    // Shut by the program, not by a drag: no splitter remembers it. The other splitter leaves
    // it where it is, and the alignment after that drag puts it past its own splitter.
    p.P1->SetWidth(0);
    p.Drag(p.S2, 60);
    CHECK(p.Widths() == Join(0, p.W, 160, p.W));
    REQUIRE(p.P1->Left() == p.S1->Left() + p.W);
    // Without AutoSnap a press gathers nothing; with it, its own splitter gathers it back and
    // opens it on its side.
    p.S1->SetAutoSnap(false);
    p.Drag(p.S1, 0);
    CHECK(p.P1->Left() == p.S1->Left() + p.W);
    p.S1->SetAutoSnap(true);
    p.Drag(p.S1, 50);
    CHECK(p.Layout() == p.Expected(50, 160));
}
