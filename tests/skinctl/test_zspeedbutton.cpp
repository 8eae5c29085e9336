// The skinned speed button: its styles, the drop-down part and its menu, its animation.
#include "skinctlfixture.h"

#include "classlib/menus.h"
#include "skinctl/zspeedbutton.h"

namespace {

// A popup menu that does not track: Popup counts, remembers the point and runs what the test
// gives it, as the chosen item would run inside the real popup.
class TFakePopup : public TPopupMenu {
public:
    using TPopupMenu::TPopupMenu;
    int Shown = 0;
    TPoint At;
    std::function<void()> Item;
    void Popup(int X, int Y) override
    {
        ++Shown;
        At = TPoint(X, Y);
        if (Item)
            Item();
    }
};

struct TSpeedFixture : TSkinFixture {
    TzSpeedButton* Button = nullptr;
    explicit TSpeedFixture(const wchar_t* Skin = L"ZandrelDawn") : TSkinFixture(Skin)
    {
        Button = Place<TzSpeedButton>(Backdrop, 40, 20, 60, 30);
        Button->SetCaption(L"Поиск");
        Show();
    }
    TBitmap& Face() { return FreshCache(Button); }
    // A press of the backdrop's window at a point of the button, and its release with Click.
    void Press(TControl* C, int X, int Y, bool Click = false)
    {
        const LPARAM at = MAKELPARAM(C->Left() + X, C->Top() + Y);
        SendMessageW(Backdrop->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, at);
        if (Click)
            SendMessageW(Backdrop->Handle(), WM_LBUTTONUP, 0, at);
    }
};

} // namespace

TEST_CASE("a speed button's styles: the face over the parent's picture, separator, divider, drop-down part")
{
    TSpeedFixture f;
    TzSpeedButton* b = f.Button;
    const TColor back = f.Backdrop->Color();
    // The section lets the parent through: at rest the flat button is the backdrop, hot
    // it has its border.
    TBitmap& face = f.Face();
    CHECK(Join(Px(face, 3, 15), Px(face, 30, 0)) == Join(back, back));
    SkinFadingOn = false;
    b->Perform(CM_MOUSEENTER, 0, 0);
    TBitmap& hot = f.Face();
    CHECK(Px(hot, 30, 0) != back);
    // On the screen as in the cache.
    f.Redraw();
    CHECK(ClientPixel(f.Backdrop, b->Left() + 30, b->Top()) == Px(hot, 30, 0));
    b->Perform(CM_MOUSELEAVE, 0, 0);
    SkinFadingOn = true;

    // A separator is only the parent's picture.
    b->SetButtonStyle(tbsSeparator);
    CHECK(CountNot(f.Face(), TRect(0, 0, 60, 30), back) == 0);
    // A divider: the skin's line down the middle (its image is 3 pixels wide).
    b->SetButtonStyle(tbsDivider);
    TBitmap& div = f.Face();
    CHECK(Join(Px(div, 28, 15), Px(div, 29, 15), Px(div, 5, 15)) ==
          Join(TColor(f.Section("DIVIDER").BorderColor1), back, back));

    // The drop-down part widens the button, and leaving the style narrows it again.
    b->SetButtonStyle(tbsDropDown);
    CHECK(b->Width() == 60 + DropDownArrowWidth);
    // The arrow of "SCROLLBTNBOTTOM" in the part.
    CHECK(CountNot(f.Face(), TRect(62, 8, 74, 22), back) > 4);
    b->SetButtonStyle(tbsButton);
    CHECK(b->Width() == 60);
}

TEST_CASE("a check speed button stays down until clicked again; a press whose mouse another window takes comes up unclicked")
{
    TSpeedFixture f;
    TzSpeedButton* b = f.Button;
    b->SetButtonStyle(tbsCheck);
    const TColor rest = Px(f.Face(), 30, 0);
    f.Press(b, 10, 10, true);
    CHECK(Join(b->Checked(), b->CurrentState()) == Join(true, 2));
    CHECK(Px(f.Face(), 30, 0) != rest);
    f.Press(b, 10, 10, true);
    CHECK(Join(b->Checked(), Px(f.Face(), 30, 0)) == Join(false, rest));

    // A modal window, a menu or a task switch takes the mouse: the hints come back.
    Application->SetShowHint(true);
    f.Press(b, 10, 10);
    REQUIRE(b->State() == bsDown);
    SetCapture(f.Form->Handle());
    ReleaseCapture();
    CHECK(Join(b->State(), Application->ShowHint(), b->Checked()) == Join(bsUp, true, false));
}

TEST_CASE("the drop-down part opens its menu below the button, one menu at a time; an item may free the button")
{
    TSpeedFixture f;
    TzSpeedButton* b = f.Button;
    auto* menu = new TFakePopup(f.Form);
    b->SetButtonStyle(tbsDropDown);
    b->SetDropdownMenu(menu);
    b->OnClick = MakeMethod<&TSkinFixture::Count>(&f);
    auto* other = f.Place<TzSpeedButton>(f.Backdrop, 150, 20, 60, 30);
    other->SetButtonStyle(tbsDropDown);
    auto* otherMenu = new TFakePopup(f.Form);
    other->SetDropdownMenu(otherMenu);
    f.Redraw();
    Application->SetShowHint(true);

    // The button part with a click of its own clicks; the arrow part opens the menu.
    f.Press(b, 10, 10, true);
    CHECK(Join(f.Counted, menu->Shown) == Join(1, 0));
    bool shownPressed = false, hintsOff = false;
    menu->Item = [&] {
        shownPressed = b->MenuShown() && b->ArrowState() == 2;
        hintsOff = !Application->ShowHint();
        // A second drop-down button pressed meanwhile opens nothing.
        f.Press(other, 70, 10);
    };
    f.Press(b, 68, 10);
    CHECK(Join(menu->Shown, menu->At, menu->PopupComponent() == b, otherMenu->Shown) ==
          Join(1, b->ClientToScreen(TPoint(0, b->Height() + 1)), true, 0));
    CHECK(Join(shownPressed, hintsOff) == Join(true, true));
    // The menu ate the release: the hints are back all the same, the part is up again.
    CHECK(Join(Application->ShowHint(), b->MenuShown()) == Join(true, false));
    CHECK(b->ArrowState() != 2);

    // The item frees the button: nothing of it is used afterwards, and the next menu opens.
    menu->Item = [&] { delete b; };
    f.Press(b, 68, 10);
    CHECK(Join(GetCapture() == nullptr, Application->ShowHint()) == Join(true, true));
    f.Press(other, 70, 10);
    CHECK(otherMenu->Shown == 1);

    // A menu whose OnPopup throws leaves no menu open: the next one opens.
    TCatcher caught;
    otherMenu->Item = [] { throw Exception("Boom"); };
    f.Press(other, 70, 10);
    CHECK(caught.Messages == TLog{"Boom"});
    CHECK_FALSE(other->MenuShown());
    otherMenu->Item = nullptr;
    f.Press(other, 70, 10);
    CHECK(otherMenu->Shown == 3);
}

TEST_CASE("a speed button's animation steps by hand; a change while it runs goes on from the part done")
{
    TSpeedFixture f;
    TzSpeedButton* b = f.Button;
    const int steps = f.Section("SPEEDBUTTON").FadingIterations;
    b->Perform(CM_MOUSEENTER, 0, 0);
    TzAnimTimer* t = b->AnimTimer();
    REQUIRE(t != nullptr);
    // The first frame is shown at once.
    CHECK(Join(t->Iterations, t->Step) == Join(steps, 2));
    t->Timer();
    CHECK(t->Step == 3);
    // The frame on the screen is the work image.
    CHECK(ClientPixel(f.Backdrop, b->Left() + 30, b->Top()) == Px(*t->WorkImage(), 30, 0));
    // Leaving now: a new animation that starts where the two steps done leave it.
    b->Perform(CM_MOUSELEAVE, 0, 0);
    t = b->AnimTimer();
    REQUIRE(t != nullptr);
    CHECK(t->Step == 3);
    while (b->AnimTimer())
        b->AnimTimer()->Timer();
    Pump();
    CHECK(ClientPixel(f.Backdrop, b->Left() + 30, b->Top()) == Px(*b->SkinData()->CacheBmp(), 30, 0));
}

TEST_CASE("a speed button whose section is the skin's first is skinned; unskinned it still tells the mouse")
{
    TSkinFixture f(nullptr);
    auto manager = ManagerOfText("[SPEEDBUTTON]\r\nCOLOR=255\r\nTRANSPARENCY=0\r\n");
    auto* b = f.Place<TzSpeedButton>(f.Form, 40, 20, 60, 30);
    b->SkinData()->SetSkinManager(manager.get());
    b->SkinData()->UpdateIndexes();
    f.Show();
    CHECK(Join(b->SkinData()->SkinIndex, b->SkinData()->Skinned(), ClientPixel(f.Form, 70, 35)) == Join(0, true, TColor(255)));

    b->OnMouseEnter = MakeMethod<&TSkinFixture::Count>(&f);
    b->SkinData()->SetSkinManager(nullptr);
    manager.reset();
    b->Perform(CM_MOUSEENTER, 0, 0);
    CHECK(f.Counted == 1);
}
