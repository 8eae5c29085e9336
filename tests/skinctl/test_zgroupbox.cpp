// The skinned group box: its picture against a model of the parent's picture and the section,
// and the painting of its children.
#include "skinctlfixture.h"

#include "skin/zsectionpaint.h"
#include "skinctl/uctreeview.h"
#include "skinctl/zbutton.h"
#include "skinctl/zedit.h"
#include "skinctl/zmemo.h"
#include "skinctl/zgroupbox.h"
#include "skinctl/zspinedit.h"
#include "skinctl/ztabcontrol.h"
#include "unicode/ucbuttons.h"

namespace {

// A graphic control filled with its colour.
class TSwatch : public TGraphicControl {
public:
    explicit TSwatch(TComponent* AOwner) : TGraphicControl(AOwner) {}

protected:
    void Paint() override
    {
        Canvas()->Brush()->SetColor(Color());
        Canvas()->FillRect(ClientRect());
    }
};

// A group box on a pane whose picture is one colour.
struct TBoxFixture : TSkinFixture {
    TBackdrop* Pane = Place<TBackdrop>(Form, 0, 0, 400, 200);
    TzGroupBox* Box = Place<TzGroupBox>(Pane, 20, 10, 220, 120);
    explicit TBoxFixture(const wchar_t* Skin = L"ZandrelDawn") : TSkinFixture(Skin)
    {
        Pane->SetColor(TColor(0x70A050));
        Box->SetCaption(L"\x041A\x043E\x043D\x0442\x0430\x043A\x0442\x044B \x03A9");   // Контакты Ω
        Show();
    }
};

// What the box should show outside its caption: the parent's colour, and the section
// "GROUPBOX" painted over it from BodyTop down.
std::unique_ptr<TBitmap> BoxModel(TBoxFixture& F, int BodyTop)
{
    const int w = F.Box->Width(), h = F.Box->Height();
    auto model = Filled24(w, h, F.Pane->Color());
    TzSkinManager* m = F.Manager.get();
    PaintSectionByIndex(m->FindSectionIndex("GROUPBOX"), m, model.get(),
                        MakeCacheInfo(F.Pane->Picture(), F.Box->Left(), F.Box->Top()), TRect(0, BodyTop, w, h), psNormal,
                        true);
    return model;
}

// Pixels outside R that differ between A and B.
int DiffOutside(TBitmap& A, TBitmap& B, const TRect& R)
{
    int n = 0;
    for (int y = 0; y < A.Height(); ++y)
        for (int x = 0; x < A.Width(); ++x)
            n += !R.Contains(TPoint(x, y)) && Px(A, x, y) != Px(B, x, y);
    return n;
}

// The caption strip's height for the box's font, as the box measures it.
int CaptionHeightOf(TzGroupBox* Box)
{
    TBitmap probe;
    probe.Canvas()->SetFont(Box->Font());
    return std::max(4, probe.Canvas()->TextHeight("W")) + 2;
}

} // namespace

TEST_CASE("a skinned group box shows the parent along its caption strip and inside its frame; the classic frame without")
{
    TBoxFixture f;
    TzGroupBox* box = f.Box;
    const TRect caption = box->CaptionRect();
    CHECK(Join(caption.Left, caption.Top, caption.Bottom) == Join(6, 0, CaptionHeightOf(box)));
    auto shot = ClientShot(box);
    CHECK(DiffOutside(*shot, *BoxModel(f, CaptionHeightOf(box) / 2), caption) == 0);
    // The caption stands on the parent's picture ("CHECKBOX" is see-through), in the section's
    // font colour.
    CHECK(CountOf(*shot, caption, TColor(f.Section("GROUPBOX").FontColor)) > 20);
    CHECK(CountOf(*shot, caption, f.Pane->Color()) > caption.Width() * caption.Height() / 2);
    // Printed, it is the same picture; painted, nothing is left to paint.
    auto printed = Filled24(box->Width(), box->Height(), clBlack);
    SendMessageW(box->Handle(), WM_PRINT, WPARAM(printed->Canvas()->Handle()), PRF_CLIENT);
    CHECK(SamePixels(*printed, *shot));
    CHECK_FALSE(GetUpdateRect(box->Handle(), nullptr, FALSE));
    // Without the skin it paints as the Unicode group box does.
    f.RemoveSkin();
    auto* plain = f.Place<TUcGroupBox>(f.Pane, 20, 10, 220, 120);
    plain->SetCaption(box->Caption());
    box->SetVisible(false);
    f.Redraw();
    auto expected = ClientShot(plain);
    plain->SetVisible(false);
    box->SetVisible(true);
    f.Redraw();
    CHECK(SamePixels(*ClientShot(box), *expected));
}

TEST_CASE("a group box without a caption, with a lifted caption, on a section of its own, and by layout")
{
    TBoxFixture f(L"ZandrelDusk");
    TzGroupBox* box = f.Box;
    const int ch = CaptionHeightOf(box);
    // No caption: no caption section, no text; the frame starts at half the strip.
    box->SetCaption(L"");
    f.Redraw();
    CHECK(SamePixels(*ClientShot(box), *BoxModel(f, ch / 2)));

    // Lifted: the strip goes up by the offset, the frame starts at the top, the children
    // move up with it.
    box->SetCaption(L"\x03A9\x03BC\x03AD\x03B3\x03B1");
    auto* child = f.Place<TBackdrop>(box, 0, 0, 10, 10);
    child->SetAlign(alClient);
    const int top = child->Top();
    box->SetCaptionYOffset(-4);
    f.Redraw();
    CHECK(child->Top() == top - 4);
    child->SetVisible(false);
    f.Redraw();
    TRect caption = box->CaptionRect();
    CHECK(Join(caption.Top, caption.Bottom) == Join(-4, ch - 4));
    CHECK(DiffOutside(*ClientShot(box), *BoxModel(f, 0), caption) == 0);
    box->SetCaptionYOffset(0);

    // The caption on a section of the program's choice: "PANEL" is opaque.
    box->SetCaptionSkin("panel");
    f.Redraw();
    caption = box->CaptionRect();
    auto shot = ClientShot(box);
    CHECK(CountOf(*shot, caption, TColor(f.Section("PANEL").Color)) > caption.Width() * caption.Height() / 2);

    // Layouts: the caption centred, 6 pixels from the right.
    box->SetCaptionSkin("");
    const int w = box->Width();
    for (auto layout : {TzGroupBox::clTopCenter, TzGroupBox::clTopRight}) {
        box->SetCaptionLayout(layout);
        f.Redraw();
        caption = box->CaptionRect();
        CHECK(caption.Left == (layout == TzGroupBox::clTopCenter ? (w - caption.Width() - 2) / 2 : w - 6 - caption.Width()));
        shot = ClientShot(box);
        CHECK(CountOf(*shot, caption, TColor(f.Section("GROUPBOX").FontColor)) > 20);
        CHECK(DiffOutside(*shot, *BoxModel(f, ch / 2), caption) == 0);
    }
}

TEST_CASE("a group box without a window or a parent while the skin changes paints the new skin's sections when shown")
{
    TBoxFixture f;
    // Without a window: it hears the change and passes it on, and nobody makes it a window.
    auto* hidden = f.Place<TBackdrop>(f.Form, 0, 200, 400, 100);
    hidden->SetVisible(false);
    auto* box = f.Place<TzGroupBox>(hidden, 10, 10, 200, 80);
    auto* edit = f.Place<TzEdit>(box, 10, 30, 120, 24);
    // Neither do the other skinned controls without a window.
    const TWinControl* windowless[] = {box, edit, f.Place<TzButton>(hidden, 220, 10, 60, 24),
                                       f.Place<TzTabControl>(hidden, 220, 40, 150, 50),
                                       f.Place<TzSpinEdit>(hidden, 290, 10, 60, 24), f.Place<TzMemo>(box, 140, 30, 50, 40)};
    REQUIRE_FALSE(box->HandleAllocated());
    TMsgRecorder rec;
    rec.Only([](UINT Msg, WPARAM W, LPARAM) { return Msg == SM_SKINCMD && HIWORD(W) == SKCMD_NEWSKIN; });
    rec.Attach(box, "box");
    rec.Attach(edit, "edit");
    // Without a parent it hears nothing.
    f.Box->SetParent(nullptr);
    const int before = f.Manager->FindSectionIndex("GROUPBOX");
    f.Manager->SetSkinDirectory(ShiftedSkin(L"ZandrelDawn", L"Shifted"));
    f.Manager->SetSkinName(L"Shifted");
    REQUIRE(f.Manager->FindSectionIndex("GROUPBOX") != before);
    CHECK_MESSAGES(rec, Cmd("box", SKCMD_NEWSKIN), Cmd("edit", SKCMD_NEWSKIN));
    for (const TWinControl* c : windowless)
        CHECK_FALSE(c->HandleAllocated());
    // Its window made again, it resolves its sections in the skin there is now.
    f.Box->SetParent(f.Pane);
    f.Redraw();
    CHECK(DiffOutside(*ClientShot(f.Box), *BoxModel(f, CaptionHeightOf(f.Box) / 2), f.Box->CaptionRect()) == 0);
}

TEST_CASE("a group box's children are painted: every graphic one, also after a Unicode speed button, and a tree and a memo that painted while its picture was stale")
{
    for (const wchar_t* skin : {L"ZandrelDawn", static_cast<const wchar_t*>(nullptr)}) {
        CAPTURE(skin != nullptr);
        TBoxFixture f(skin);
        TzGroupBox* box = f.Box;
        auto* button = f.Place<TUcSpeedButton>(box, 10, 30, 60, 24);
        button->SetCaption(L"\x041D\x043E\x0432\x044B\x0439");
        TSwatch* later[2] = {f.Place<TSwatch>(box, 80, 30, 40, 24), f.Place<TSwatch>(box, 130, 30, 40, 24)};
        later[0]->SetColor(TColor(0x0000C0));
        later[1]->SetColor(TColor(0xC00000));
        f.Redraw();
        auto shot = ClientShot(box);
        CHECK(Join(Px(*shot, 100, 42), Px(*shot, 150, 42)) == Join(TColor(0x0000C0), TColor(0xC00000)));
        // The button's face is there too.
        CHECK(Px(*shot, 40, 42) != f.Pane->Color());
        Pump();
        CHECK_FALSE(GetUpdateRect(box->Handle(), nullptr, FALSE));
    }
    // A tree and a memo that paint while the box's picture is stale paint when it is done.
    TBoxFixture f(L"ZandrelDusk");
    auto* tree = f.Place<TUcTreeView>(f.Box, 10, 24, 95, 80);
    auto* memo = f.Place<TzMemo>(f.Box, 115, 24, 95, 80);
    tree->Items()->Add(nullptr, L"WWWW");
    memo->SetText(L"WWWW");
    f.Redraw();
    const TColor text = f.Section("EDIT").FontColor;
    // The text pixels of the first line.
    const auto written = [&](TWinControl* C) { return CountOf(*ClientShot(C), TRect(0, 0, 70, 16), text); };
    for (TWinControl* c : {static_cast<TWinControl*>(tree), static_cast<TWinControl*>(memo)}) {
        CHECK(written(c) > 10);
        f.Box->SkinData()->SetBGChanged(true);
        FillDC(TClientDC(c->Handle()).Handle(), TRect(0, 0, 80, 70), clBlack);
        InvalidateRect(c->Handle(), nullptr, FALSE);
        UpdateWindow(c->Handle());
        CHECK(written(c) == 0);   // it waits for the box
        f.Box->Repaint();
        CHECK(written(c) > 10);
    }
}
