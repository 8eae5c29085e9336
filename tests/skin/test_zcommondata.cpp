// The skin data of a control and the skin command it answers: section names and defaults,
// the manager it follows, both answer channels, the background colour it gives its children,
// the bound label's places; and the utilities that send, ask and carry the command down.
#include "msgrecorder.h"
#include "pixels.h"
#include "skinfixtures.h"
#include "synthskin.h"

#include "classlib/forms.h"
#include "classlib/gdihandles.h"
#include "classlib/stdctrls.h"
#include "skin/zcommondata.h"
#include "skin/zcontrolutils.h"
#include "skin/zskinmanager.h"

#include <doctest.h>

#include <algorithm>
#include <memory>

namespace {

// A skin of three sections; PANEL40 shows 40 % of its parent.
const char* const SkinText = "[GLOBALINFO]\r\nCOLOR=12632256\r\n"
                             "[EDIT]\r\nCOLOR=16777215\r\nFONTCOLOR=255\r\n"
                             "[PANEL]\r\nCOLOR=65280\r\nTRANSPARENCY=100\r\n"
                             "[PANEL40]\r\nCOLOR=0\r\nTRANSPARENCY=40\r\nGRADIENTPERCENT=1\r\n";

// A skinned control of the type code Code (51 unless given).
struct TSkinnedBox : TSynthControl {
    explicit TSkinnedBox(TComponent* AOwner, int Code = 51) : TSynthControl(AOwner) { SkinData.CtrlTypeCode = Code; }
};

// The form the controls stand on, with a colour of its own and a plain handler, and a
// recorder of the skin commands that reach the controls given a tag.
struct TFixture {
    std::unique_ptr<TzSkinManager> Manager = ManagerOfText(SkinText);
    std::unique_ptr<TForm> Form = std::make_unique<TForm>(nullptr);
    TMsgRecorder Rec{SM_SKINCMD};
    TFixture()
    {
        Form->SetColor(clBtnFace);
        Form->HandleNeeded();
    }
    TSkinnedBox* Box(const char* Section, int Code = 51, const char* Tag = nullptr)
    {
        auto* b = new TSkinnedBox(Form.get(), Code);
        b->SetParent(Form.get());
        b->SetBounds(10, 10, 40, 20);
        b->SkinData.SetSkinSection(Section);
        b->HandleNeeded();
        if (Tag)
            Rec.Attach(b, Tag);
        return b;
    }
};

TMessage Command(uint16_t Cmd, LPARAM LParam = 0, uint16_t Arg = 0)
{
    return TMessage{SM_SKINCMD, SkinCommandWParam(Cmd, Arg), LParam, 0};
}

} // namespace

TEST_CASE("skin data: section names, defaults and the manager it follows")
{
    TFixture f;
    TSkinnedBox* box = f.Box("edit", 51, "box");
    TzCommonData& sd = box->SkinData;
    CHECK(Join(sd.SkinSection(), sd.Skinned(), sd.SkinIndex) == Join("EDIT", true, f.Manager->FindSectionIndex("EDIT")));
    sd.SetSkinSection("Edit");   // the same name in another case: nothing is sent
    sd.SetSkinSection("");
    CHECK(Join(sd.SkinSection(), sd.Skinned()) == Join("UNKNOWN", false));
    CHECK_MESSAGES(f.Rec, Cmd("box", SKCMD_SKINREMOVED));
    // A type code of no skinned control: the class name.
    TEdit edit(nullptr);
    TzCommonData unlisted(&edit, false);
    unlisted.CtrlTypeCode = 12345;
    unlisted.SetDefaultSection();
    CHECK(unlisted.SkinSection() == "TEDIT");

    // The default manager is no manager of one's own, and form data does not store it.
    TzCommonData own(nullptr, false);
    own.SetSkinManager(DefaultManager);
    CHECK(own.OwnSkinManager() == nullptr);
    {
        auto other = ManagerOfText(SkinText);
        own.SetSkinManager(other.get());
        CHECK(own.OwnSkinManager() == other.get());
    }
    // Freed while still named: the skin data lets go of it by itself.
    CHECK(Join(own.OwnSkinManager() == nullptr, own.SkinIndex) == Join(true, -1));
}

TEST_CASE("skin data: waiting, the hot state and the picture's need of the parent")
{
    TFixture f;
    TSkinnedBox* panel = f.Box("PANEL");   // a no-hot code
    TSkinnedBox* edit = f.Box("EDIT", 3);
    {
        TzCommonData orphan(nullptr, true);
        f.Manager->SkinData().Active = false;
        CHECK(orphan.GetUpdating());   // no skin to paint from
        f.Manager->SkinData().Active = true;
    }
    auto* loose = new TSkinnedBox(f.Form.get());
    loose->SkinData.SetSkinSection("EDIT");
    CHECK(Join(loose->SkinData.GetUpdating(), edit->SkinData.GetUpdating()) == Join(true, false));   // no parent to wait for

    panel->SkinData.SetMouseAbove(true);
    CHECK_FALSE(IsControlActive(&panel->SkinData));
    // The mouse leaving a control of a no-hot code leaves its state as it was.
    panel->Perform(CM_MOUSELEAVE, 0, 0);
    CHECK(panel->SkinData.MouseAbove());
    panel->SkinData.SetFocused(true);
    edit->SkinData.SetMouseAbove(true);
    CHECK(Join(IsControlActive(&panel->SkinData), IsControlActive(&edit->SkinData)) == Join(true, true));
    edit->SetEnabled(false);
    CHECK_FALSE(IsControlActive(&edit->SkinData));
    // A plain form paints no image.
    CHECK(Join(panel->SkinData.HasTransparency(), edit->SkinData.HasTransparency(), panel->SkinData.NeedsParentImage()) ==
          Join(true, false, false));
}

TEST_CASE("skin command: both answer channels and the manager's own commands")
{
    TFixture f;
    TSkinnedBox* box = f.Box("EDIT");
    TzCommonData& sd = box->SkinData;
    sd.SetBGChanged(false);
    SUBCASE("in process the answer is in the record; by SendMessage it is the result")
    {
        TMessage m = Command(SKCMD_ISSKINNED);
        box->WindowProc()(m);
        CHECK(Join(m.LParam, SendCommandToWindow(box->Handle(), SKCMD_ISSKINNED, 0)) == Join(1, 1));
        CHECK(Join(AskControlCommand(box, SKCMD_ISSKINNED), AskControlCommand(box, SKCMD_ISUPDATING)) == Join(true, false));
        sd.SetBGChanged(true);
        CHECK(Join(AskControlCommand(box, SKCMD_ISUPDATING), SendCommandToWindow(box->Handle(), SKCMD_ISUPDATING, 0)) ==
              Join(true, 1));
    }
    SUBCASE("new skin, removal and refresh from another manager change nothing")
    {
        auto other = ManagerOfText(SkinText);
        const int index = sd.SkinIndex;
        for (uint16_t c : {SKCMD_NEWSKIN, SKCMD_SKINREMOVED, SKCMD_REFRESH}) {
            TMessage m = Command(c, reinterpret_cast<LPARAM>(other.get()));
            HandleSkinCommand(m, &sd);
        }
        CHECK(Join(sd.SkinIndex, sd.Updating(), sd.BGChanged()) == Join(index, false, false));
    }
    SUBCASE("from its own manager: removal clears the indexes and the colours, refresh resolves again")
    {
        box->SetColor(0x123456);
        TMessage removed = Command(SKCMD_SKINREMOVED, reinterpret_cast<LPARAM>(f.Manager.get()));
        HandleSkinCommand(removed, &sd);
        CHECK(Join(sd.SkinIndex, sd.Updating(), sd.CacheBmp()->Width()) == Join(-1, true, 0));
        // The skin read again (as after a change of hue) moves the records: refresh finds
        // the section anew.
        f.Manager->SetActive(false);
        const std::string again = std::string("[OTHER]\r\nCOLOR=1\r\n") + SkinText;
        f.Manager->LoadFromOptionText(again.c_str(), again.size(), TSkImageSource{});
        f.Manager->SkinData().Active = true;
        TMessage refresh = Command(SKCMD_REFRESH, reinterpret_cast<LPARAM>(f.Manager.get()));
        HandleSkinCommand(refresh, &sd);
        CHECK(Join(sd.SkinIndex, f.Manager->FindSectionIndex("EDIT"), sd.Updating()) == Join(2, 2, false));   // one place later
    }
}

namespace {

// Answers "skinned" in the record only, as controls reached in-process do: by SendMessage
// the answer is 0.
struct TRecordAnswer : TCustomControl {
    using TCustomControl::TCustomControl;
    void WndProc(TMessage& M) override
    {
        if (M.Msg == SM_SKINCMD && M.WParamHi() == SKCMD_ISSKINNED)
            M.LParam = 1;
        else
            TCustomControl::WndProc(M);
    }
};

} // namespace

TEST_CASE("skin command utilities: asking, sending, and down the controls")
{
    TFixture f;
    auto* plain = new TCustomControl(f.Form.get());   // a window that does not skin itself
    plain->SetParent(f.Form.get());
    plain->HandleNeeded();
    auto* inner = new TGraphicControl(f.Form.get());
    inner->SetParent(plain);
    TSkinnedBox* skinned = f.Box("EDIT", 51, "skinned");
    auto* graphic = new TGraphicControl(f.Form.get());
    graphic->SetParent(f.Form.get());
    f.Rec.Attach(plain, "plain");
    f.Rec.Attach(inner, "inner");
    f.Rec.Attach(graphic, "graphic");
    f.Rec.Only([](UINT Msg, WPARAM W, LPARAM) { return Msg == SM_SKINCMD && HIWORD(W) != SKCMD_ISSKINNED; });

    SUBCASE("asking: the record's answer counts, and the window's result")
    {
        auto* recordOnly = new TRecordAnswer(f.Form.get());
        recordOnly->SetParent(f.Form.get());
        CHECK(Join(AskControlCommand(skinned, SKCMD_ISSKINNED), AskControlCommand(recordOnly, SKCMD_ISSKINNED),
                   AskWindowCommand(recordOnly->Handle(), SKCMD_ISSKINNED)) == Join(true, true, false));
        CHECK(Join(AskControlCommand(plain, SKCMD_ISSKINNED), AskControlCommand(nullptr, SKCMD_ISSKINNED),
                   AskWindowCommand(nullptr, SKCMD_ISSKINNED)) == Join(false, false, false));
    }
    SUBCASE("sending to a control: by Perform, or to its window when it has one; none is made")
    {
        SendCommandToControl(graphic, SKCMD_BGCHANGED, 0);
        SendCommandToControl(skinned, SKCMD_BGCHANGED, 0);
        auto* windowless = new TSkinnedBox(f.Form.get());
        windowless->SetParent(f.Form.get());
        f.Rec.Attach(windowless, "windowless");
        CHECK(Join(SendCommandToControl(windowless, SKCMD_BGCHANGED, 0), SendCommandToControl(nullptr, SKCMD_BGCHANGED, 0)) ==
              Join(0, 0));
        CHECK_FALSE(windowless->HandleAllocated());
        CHECK_MESSAGES(f.Rec, Cmd("graphic", SKCMD_BGCHANGED), Cmd("skinned", SKCMD_BGCHANGED));
    }
    SUBCASE("down the controls: a control that skins itself hears it, another passes it on")
    {
        // The controls without a window first, as a parent keeps them.
        BroadcastToControls(f.Form.get(), Command(SKCMD_REFRESH));
        CHECK_MESSAGES(f.Rec, Cmd("graphic", SKCMD_REFRESH), Cmd("inner", SKCMD_REFRESH),
                       Cmd("skinned", SKCMD_REFRESH));
    }
}

TEST_CASE("skin command: a parent's new picture, an invalidated section and a repaint of the children make pictures stale")
{
    TFixture f;
    TSkinnedBox* panel = f.Box("PANEL", 51, "panel");   // fully transparent
    TSkinnedBox* edit = f.Box("EDIT");
    auto* child = new TSkinnedBox(f.Form.get());
    child->SetParent(panel);
    child->SkinData.SetSkinSection("EDIT");
    child->HandleNeeded();
    f.Rec.Attach(child, "child");
    panel->SkinData.SetBGChanged(false);
    edit->SkinData.SetBGChanged(false);
    // The parent's new picture shows through a transparent section, when the parent says so.
    SendCommandToControl(panel, SKCMD_PARENTBGCHANGED, 0);
    CHECK_FALSE(panel->SkinData.BGChanged());
    SendCommandToControl(panel, SKCMD_PARENTBGCHANGED, 0, 1);
    SendCommandToControl(edit, SKCMD_PARENTBGCHANGED, 0, 1);
    CHECK(Join(panel->SkinData.BGChanged(), edit->SkinData.BGChanged()) == Join(true, false));
    // The controls of the section named are painted again, the others not.
    panel->SkinData.SetBGChanged(false);
    InvalidatedSectionName = "EDIT";
    SendCommandToControl(edit, SKCMD_INVALIDATESECTION, 0);
    SendCommandToControl(panel, SKCMD_INVALIDATESECTION, 0);
    InvalidatedSectionName.clear();
    CHECK(Join(edit->SkinData.BGChanged(), panel->SkinData.BGChanged()) == Join(true, false));
    // Drawn over its parent's picture, a control told to repaint its children is painted again
    // and tells them too.
    panel->SkinData.SetSeeThrough(true);
    f.Rec.Clear();
    SendCommandToControl(panel, SKCMD_REPAINTCHILDREN, 0);
    CHECK(panel->SkinData.BGChanged());
    CHECK_MESSAGES(f.Rec, Cmd("panel", SKCMD_REPAINTCHILDREN), Cmd("child", SKCMD_REPAINTCHILDREN));
}

TEST_CASE("skin command: the background colour children are painted on")
{
    TFixture f;
    TSkinnedBox* edit = f.Box("EDIT");
    TSkinnedBox* panel = f.Box("PANEL");
    TSkinnedBox* part = f.Box("PANEL40");
    // A parent that does not answer: its own colour, as RGB; fully transparent: the parent's colour.
    CHECK(Join(QueryParentColor(f.Form.get()), QueryParentColor(edit), QueryParentColor(panel)) ==
          Join(ColorToRGB(clBtnFace), 0xFFFFFF, ColorToRGB(clBtnFace)));
    // Partly: what the painter makes of black over the parent, the parent weighing 40 %.
    const int a = 40 * 255 / 100;
    const TColor face = ColorToRGB(clBtnFace);
    TColor expect = 0;
    for (int s = 0; s < 24; s += 8)
        expect |= TColor(((((face >> s) & 0xFF) * a + 127) >> 8) & 0xFF) << s;
    CHECK(QueryParentColor(part) == expect);
    edit->SkinData.SetCustomColor(true);
    edit->SetColor(clRed);
    CHECK(QueryParentColor(edit) == 0x0000FF);
    // A child of the partly transparent panel needs an image: the panel has a gradient.
    CHECK(Join(AskControlCommand(part, SKCMD_ISIMAGEBG), AskControlCommand(edit, SKCMD_ISIMAGEBG)) == Join(true, false));
}

TEST_CASE("skin command: a chain of see-through parents is asked once at each level")
{
    TFixture f;
    TWinControl* parent = f.Form.get();
    TSkinnedBox* box = nullptr;
    for (int i = 0; i < 12; ++i, parent = box) {
        box = new TSkinnedBox(f.Form.get());
        box->SetParent(parent);
        box->SetBounds(1, 1, 40 - 2 * i, 30 - 2 * i);
        box->SkinData.SetSkinSection("PANEL");   // fully transparent
        box->HandleNeeded();
        box->SkinData.PrepareCache();
        box->SkinData.SetBGChanged(false);
        f.Rec.Attach(box, "box");
    }
    f.Rec.Clear();
    box->SkinData.Backdrop();
    box->SkinData.GetUpdating();
    auto heard = [&](uint16_t Cmd) {
        return std::count_if(f.Rec.Entries().begin(), f.Rec.Entries().end(),
                             [&](const TMsgEntry& E) { return E.Param == intptr_t(SkinCommandWParam(Cmd)); });
    };
    CHECK(Join(heard(SKCMD_ISIMAGEBG), heard(SKCMD_GETBGCOLOR), heard(SKCMD_ISUPDATING)) == Join(11, 11, 11));
}

TEST_CASE("skin command: a parent's picture and its graphic children")
{
    TFixture f;
    TSkinnedBox* panel = f.Box("EDIT", 51, "panel");
    panel->SkinData.PrepareCache();
    TzCacheInfo none = QueryParentCache(&f.Box("EDIT")->SkinData);   // the form has no cache
    CHECK_FALSE(none.Ready);
    auto* child = new TSkinnedBox(f.Form.get());
    child->SetParent(panel);
    TzCacheInfo info = QueryParentCache(&child->SkinData);
    CHECK(Join(info.Ready, info.Bmp == panel->SkinData.CacheBmp()) == Join(true, true));

    // A DC whose clip is empty: the parent hears that it lies out of the clip, no child paints.
    auto* label = new TLabel(f.Form.get());
    label->SetParent(panel);
    label->SetCaption("x");
    f.Rec.Clear();
    TMemoryDC dc(nullptr);
    SelectClipRgn(dc.Handle(), TOwnedRegion(CreateRectRgn(0, 0, 0, 0)).Handle());
    PaintGraphicChildren(panel, dc.Handle(), TPoint(0, 0));
    CHECK_MESSAGES(f.Rec, Cmd("panel", SKCMD_OUTOFCLIP));

    // The parent's picture copied to a window leaves its children's places alone.
    label->SetBounds(5, 5, 10, 6);
    FillBmpRect(panel->SkinData.CacheBmp(), TRect(0, 0, 40, 20), Rgb(200, 0, 0));
    auto shown = Filled24(40, 20, Rgb(0, 0, 255));
    BlitCacheToDC(panel, &panel->SkinData, TPoint(0, 0), 0, 0, false, shown->Canvas()->Handle(), TRect(0, 0, 40, 20));
    CHECK(Join(Px(*shown, 7, 7), Px(*shown, 20, 15)) == Join(Rgb(0, 0, 255), Rgb(200, 0, 0)));
}

TEST_CASE("bound label: made for the control's owner and placed by its layout; freed by the form first")
{
    TFixture f;
    auto* edit = new TEdit(f.Form.get());
    edit->SetName("Login");
    edit->SetParent(f.Form.get());
    edit->SetBounds(100, 50, 120, 24);
    TzCommonData sd(edit, false);
    TzBoundLabel bound(edit, &sd);
    bound.SetActive(true);
    TCustomLabel* l = bound.LabelControl();
    REQUIRE(l);
    // No caption of its own: the control's name.
    CHECK(Join(l->Owner() == f.Form.get(), l->Name(), l->Caption(), l->FocusControl() == edit) ==
          Join(true, "LoginLabel", "Login", true));
    bound.SetIndent(3);
    bound.SetLayout(sclTopCenter);
    CHECK(Join(l->Left(), l->Top()) == Join(100 + (120 - l->Width()) / 2, 50 - l->Height() - 3));
    // The form frees its label first: the bound label is told and does not free it again.
    delete l;
    CHECK_FALSE(bound.Active());
}
