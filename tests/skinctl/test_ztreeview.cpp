// The skinned tree view: the section's colours or its own, and its adapter.
#include "skinctlfixture.h"

#include "classlib/stdctrls.h"
#include "skin/zclientwnd.h"
#include "skin/zsectionpaint.h"
#include "skinctl/uctreeview.h"

namespace {

struct TTreeFixture : TSkinFixture {
    TUcTreeView* Tree = Place<TUcTreeView>(Form, 10, 10, 200, 150);
    TTreeFixture()
    {
        for (const WideString& text : {Cyrillic, Greek, WideString(L"\xD83D\xDE00 ok")})
            Tree->Items()->Add(nullptr, text);
        Show();
    }
    // A pixel of the tree's empty client area, below its three items.
    TColor Empty() { return ClientPixel(Tree, 150, 120); }
    // The top edge of the window: the skinned border or the system's frame.
    TColor Border() { return WindowPixel(Tree->Handle(), 100, 0); }
};

// The pixels of the tree's second item row (the first is selected) with the given colour.
int RowPixels(TWinControl* Tree, TColor Color)
{
    return CountOf(*ClientShot(Tree), TRect(0, 17, 120, 30), ColorToRGB(Color));
}

} // namespace

TEST_CASE("a skinned tree is painted in its section's colours with a skinned frame, in each skin; the system's without")
{
    TTreeFixture f;
    TzTreeView* t = f.Tree;
    const TColor systemBorder = [&] {
        f.RemoveSkin();
        f.Redraw();
        return f.Border();
    }();
    for (const wchar_t* skin : {L"ZandrelDawn", L"ZandrelDusk"}) {
        CAPTURE(WideToAnsi(skin));
        f.ApplySkin(skin);
        f.Redraw();
        const TzGeneralData& edit = f.Section("EDIT");
        CHECK(dynamic_cast<TSkTreeViewWnd*>(t->ScrollAdapter()));
        CHECK(f.Empty() == edit.Color);
        CHECK(RowPixels(t, edit.FontColor) > 10);
        // The frame is the section's, as it paints alone.
        auto alone = Filled24(200, 150, SkinKeyColor);
        PaintSectionByIndex(f.Manager->FindSectionIndex("EDIT"), f.Manager.get(), alone.get(), EmptyCacheInfo,
                            TRect(0, 0, 200, 150), psNormal, true);
        CHECK(f.Border() == Px(*alone, 100, 0));
        // A new window has the adapter again.
        t->RecreateWnd();
        f.Redraw();
        REQUIRE(t->ScrollAdapter());
        CHECK(Join(t->ScrollAdapter()->Handle == t->Handle(), t->ScrollAdapter()->Dead, f.Empty()) ==
              Join(true, false, edit.Color));
    }
    f.RemoveSkin();
    f.Redraw();
    CHECK(Join(t->ScrollAdapter() == nullptr, t->Font()->Color(), f.Empty(), f.Border()) ==
          Join(true, clWindowText, ColorToRGB(clWindow), systemBorder));
}

TEST_CASE("a tree that keeps its own colours keeps them with and without the skin, also where the adapter erases")
{
    TTreeFixture f;
    TzTreeView* t = f.Tree;
    const TColor own = TColor(0x40E0F0), ownText = TColor(0x800000);
    t->SkinData()->SetCustomColor(true);
    t->SkinData()->SetCustomFont(true);
    t->SetColor(own);
    t->Font()->SetColor(ownText);
    f.ApplySkin(L"ZandrelDusk");
    f.Redraw();
    REQUIRE(t->ScrollAdapter());
    CHECK(f.Empty() == own);
    CHECK(RowPixels(t, ownText) > 10);
    // The adapter erases with the colour the window shows, not with the section's.
    auto bmp = Filled24(200, 150, clBlack);
    SendMessageW(t->Handle(), WM_ERASEBKGND, WPARAM(bmp->Canvas()->Handle()), 0);
    CHECK(Px(*bmp, 100, 100) == own);
    f.RemoveSkin();
    f.Redraw();
    CHECK(Join(t->Color(), t->Font()->Color(), f.Empty()) == Join(own, ownText, own));

    // A tree of the library, adapted as any foreign tree, shows the section's hot colour.
    f.ApplySkin(L"ZandrelDusk");
    auto* plain = f.Place<TTreeView>(f.Form, 220, 10, 150, 150);
    f.Show();
    auto adapter = CreateAdapter<TSkTreeViewWnd>(plain->Handle(), nullptr, f.Manager.get(), "EDIT", true);
    adapter->AfterCreation();
    SendMessageW(plain->Handle(), WM_ERASEBKGND, WPARAM(bmp->Canvas()->Handle()), 0);
    CHECK(Px(*bmp, 100, 100) == ColorToRGB(f.Section("EDIT").HotColor));
}

TEST_CASE("hiding, disabling and moving a tree takes its bound label along")
{
    TTreeFixture f;
    TzBoundLabel* bl = f.Tree->BoundLabel();
    bl->SetCaption("Contacts");
    bl->SetLayout(sclTopLeft);
    bl->SetActive(true);
    TCustomLabel* label = bl->LabelControl();
    REQUIRE(label);
    CHECK(Join(label->Visible(), label->Left(), label->Top() + label->Height()) == Join(true, 10, 10));
    f.Tree->SetBounds(30, 40, 200, 150);
    CHECK(Join(label->Left(), label->Top() + label->Height()) == Join(30, 40));
    f.Tree->SetEnabled(false);
    f.Tree->SetVisible(false);
    CHECK(Join(label->Visible(), label->Enabled()) == Join(false, false));
    f.Tree->SetVisible(true);
    f.Tree->SetEnabled(true);
    CHECK(Join(label->Visible(), label->Enabled()) == Join(true, true));
}

TEST_CASE("a skinned tree without the focus shows its selection in the system's button colours, readable in a dark skin")
{
    TTreeFixture f;
    f.ApplySkin(L"ZandrelDusk");
    auto* other = f.Place<TBackdrop>(f.Form, 250, 10, 40, 40);
    other->SetTabStop(true);
    f.Tree->SetHideSelection(false);
    f.Tree->SetSelected(f.Tree->Items()->GetFirstNode()->GetNextSibling());
    FocusOn(other);
    f.Redraw();
    REQUIRE(GetFocus() != f.Tree->Handle());
    CHECK(RowPixels(f.Tree, ColorToRGB(clBtnText)) > 10);
    CHECK(RowPixels(f.Tree, f.Section("EDIT").FontColor) == 0);
    // Focused, it is the system's highlight.
    FocusOn(f.Tree);
    f.Redraw();
    CHECK(RowPixels(f.Tree, ColorToRGB(clHighlightText)) > 10);
}
