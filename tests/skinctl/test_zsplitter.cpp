// The pattern every skinned control follows, seen on the splitter: the skin commands it
// answers and how often a skin change reaches it, its states painted from the section, the
// repaint a parent's update held back, and the hints around a drag.
#include "skinctlfixture.h"

#include "skinctl/zedit.h"
#include "skinctl/zmemo.h"
#include "skinctl/zsplitter.h"

namespace {

// A splitter between a pane aligned left and the rest of the form.
struct TSplitterFixture : TSkinFixture {
    TWinControl* Pane = Place<TBackdrop>(Form, 0, 0, 100, 100);
    TzSplitter* Splitter = nullptr;
    int Paints = 0;
    explicit TSplitterFixture(const wchar_t* Skin = L"ZandrelDawn") : TSkinFixture(Skin)
    {
        Pane->SetAlign(alLeft);
        Splitter = Place<TzSplitter>(Form, 100, 0, 6, 100);
        Splitter->SetResizeStyle(rsUpdate);
        Splitter->OnPaint = MakeMethod<&TSplitterFixture::Painted>(this);
        Show();
    }
    void Painted(TObject*) { ++Paints; }
    TColor Middle() { return ClientPixel(Form, Splitter->Left() + 3, 50); }
    void Send(UINT Msg, WPARAM Keys, int X) { SendMessageA(Form->Handle(), Msg, Keys, MAKELPARAM(X, 50)); }
};

bool SkinCommandOneTwoThree(UINT Msg, WPARAM WParam, LPARAM)
{
    return Msg == SM_SKINCMD && HIWORD(WParam) >= SKCMD_NEWSKIN && HIWORD(WParam) <= SKCMD_REFRESH;
}

} // namespace

TEST_CASE("a splitter made at run time shows its section at once, and the platform's look without a skin")
{
    TSplitterFixture f;
    CHECK(f.Splitter->Width() == 6);
    CHECK(f.Splitter->SkinData()->SkinSection() == "SPLITTER");
    CHECK(f.Middle() == f.Section("SPLITTER").Color);
    // No cache is kept between paints.
    CHECK(f.Splitter->SkinData()->CacheBmp() == nullptr);
    // The mouse over it: the hot colour; a skin without the section or no skin: the form's.
    f.Splitter->Perform(CM_MOUSEENTER, 0, 0);
    CHECK(f.Middle() == f.Section("SPLITTER").HotColor);
    f.Splitter->Perform(CM_MOUSELEAVE, 0, 0);
    CHECK(f.Middle() == f.Section("SPLITTER").Color);
    f.RemoveSkin();
    f.Redraw();
    CHECK(f.Middle() == ColorToRGB(clBtnFace));
}

TEST_CASE("a skin change reaches each skinned control once; every one says it is skinned, in LParam")
{
    TSkinFixture f(nullptr);
    auto* splitter = f.Place<TzSplitter>(f.Form, 100, 0, 6, 100);
    // Inside a control that skins nothing: the broadcast goes on to its children.
    auto* edit = f.Place<TzEdit>(f.Backdrop, 10, 10, 120, 24);
    auto* memo = f.Place<TzMemo>(f.Form, 150, 10, 120, 80);
    f.Show();
    TMsgRecorder rec;
    rec.Only(&SkinCommandOneTwoThree);
    rec.Attach(splitter, "splitter");
    rec.Attach(edit, "edit");
    rec.Attach(memo, "memo");
    f.ApplySkin(L"ZandrelDusk");
    CHECK_MESSAGES(rec, Cmd("splitter", SKCMD_NEWSKIN), Cmd("edit", SKCMD_NEWSKIN), Cmd("memo", SKCMD_NEWSKIN),
                   Cmd("splitter", SKCMD_REFRESH), Cmd("edit", SKCMD_REFRESH), Cmd("memo", SKCMD_REFRESH));
    rec.Clear();
    f.RemoveSkin();
    CHECK_MESSAGES(rec, Cmd("splitter", SKCMD_SKINREMOVED), Cmd("edit", SKCMD_SKINREMOVED),
                   Cmd("memo", SKCMD_SKINREMOVED));
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
}

TEST_CASE("a drag with live resizing paints the splitter pressed and holds the hints back until the press ends")
{
    TSplitterFixture f;
    Application->SetShowHint(true);
    const int x = f.Splitter->Left() + 3;
    f.Send(WM_LBUTTONDOWN, MK_LBUTTON, x);
    f.Send(WM_MOUSEMOVE, MK_LBUTTON, x + 20);
    CHECK(f.Pane->Width() == 120);
    CHECK(f.Splitter->Pressed());
    CHECK_FALSE(Application->ShowHint());
    // Pressed is the third state: the section's hot values.
    CHECK(f.Middle() == f.Section("SPLITTER").HotColor);
    f.Send(WM_LBUTTONUP, 0, x + 20);
    CHECK_FALSE(f.Splitter->Pressed());
    CHECK(Application->ShowHint());
    f.Splitter->Perform(CM_MOUSELEAVE, 0, 0);
    CHECK(f.Middle() == f.Section("SPLITTER").Color);

    // A press lost to another window gives the hints back as well.
    f.Send(WM_LBUTTONDOWN, MK_LBUTTON, f.Splitter->Left() + 3);
    CHECK_FALSE(Application->ShowHint());
    TForm other(nullptr);
    SetCapture(other.Handle());
    CHECK_FALSE(f.Splitter->Pressed());
    CHECK(Application->ShowHint());
    ReleaseCapture();
    // A press while hints are off already leaves them off afterwards.
    Application->SetShowHint(false);
    f.Send(WM_LBUTTONDOWN, MK_LBUTTON, f.Splitter->Left() + 3);
    f.Send(WM_LBUTTONUP, 0, f.Splitter->Left() + 3);
    CHECK_FALSE(Application->ShowHint());
    Application->SetShowHint(true);
}

TEST_CASE("a control that waited for its parent's update repaints when the update ends")
{
    TSplitterFixture f;
    TzSplitter* s = f.Splitter;
    // While the skin data waits, nothing is painted from the skin.
    s->SkinData()->SetUpdating(true);
    const int before = f.Paints;
    s->Repaint();
    CHECK(f.Paints == before);
    // The end of the parent's update paints the control without a window through its parent.
    s->Perform(SM_SKINCMD, SkinCommandWParam(SKCMD_ENDPARENTUPDATE), 0);
    CHECK(f.Paints == before + 1);
    CHECK_FALSE(s->SkinData()->Updating());

    // A window with nothing invalid paints its client area and its frame all the same.
    auto* edit = f.Place<TzEdit>(f.Form, 150, 20, 120, 24);
    f.Redraw();
    const TColor border = WindowPixel(edit->Handle(), 60, 0), inside = WindowPixel(edit->Handle(), 100, 12);
    edit->SkinData()->SetUpdating(true);
    {
        TWindowDC dc(edit->Handle());
        RECT all{0, 0, 120, 24};
        FillRect(dc.Handle(), &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    }
    ValidateRect(edit->Handle(), nullptr);
    SendCommandToWindow(edit->Handle(), SKCMD_ENDPARENTUPDATE, 0);
    CHECK(WindowPixel(edit->Handle(), 60, 0) == border);
    CHECK(WindowPixel(edit->Handle(), 100, 12) == inside);
}
