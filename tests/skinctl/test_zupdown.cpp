// The skinned up-down: its buttons painted from the scroll-button sections, by the mouse.
#include "skinctlfixture.h"

#include "skinctl/zupdown.h"

namespace {

struct TUpDownFixture : TSkinFixture {
    TzUpDown* UpDown = Place<TzUpDown>(Backdrop, 20, 20, 17, 34);
    explicit TUpDownFixture(const wchar_t* Skin = L"ZandrelDawn") : TSkinFixture(Skin)
    {
        UpDown->SetMax(10);
        UpDown->SetPosition(5);
        Show();
    }
    // The buttons as the control prints them.
    std::unique_ptr<TBitmap> Print()
    {
        auto b = Filled24(UpDown->Width(), UpDown->Height(), clBlack);
        SendMessageW(UpDown->Handle(), WM_PRINTCLIENT, WPARAM(b->Canvas()->Handle()), PRF_CLIENT);
        return b;
    }
    // The mouse over a client point (the upper, first, button of the vertical up-down at
    // (8, 4), the lower at (8, 30)).
    void Hover(int X, int Y)
    {
        const TPoint p = UpDown->ClientToScreen(TPoint(X, Y));
        SendMessageW(UpDown->Handle(), WM_NCHITTEST, 0, MAKELPARAM(p.X, p.Y));
    }
};

// The pixels of the upper or the lower half.
std::vector<TColor> Half(TBitmap& B, bool Upper)
{
    const std::vector<TColor> all = Pixels(B);
    const auto middle = all.begin() + B.Height() / 2 * B.Width();
    return Upper ? std::vector<TColor>(all.begin(), middle) : std::vector<TColor>(middle, all.end());
}

} // namespace

TEST_CASE("an up-down's buttons: hot under the mouse, blended into the parent at their limit")
{
    TUpDownFixture f;
    TzUpDown* u = f.UpDown;
    REQUIRE(u->Skinned());
    auto normal = f.Print();
    // The arrow is drawn on the face: the button is not one colour.
    const auto upper = Half(*normal, true);
    CHECK(std::count(upper.begin(), upper.end(), upper[upper.size() / 2 + 8]) < int(upper.size()) - 20);

    f.Hover(8, 4);
    CHECK(u->ButtonState() == ubsFirstHot);
    auto hot = f.Print();
    CHECK(Half(*hot, true) != Half(*normal, true));
    CHECK(Half(*hot, false) == Half(*normal, false));

    // At Max the upper button keeps 40 % of its face over the parent's picture, and the
    // mouse makes it neither hot nor pressed.
    f.Hover(8, 30);
    u->SetShowInaccessibility(false);
    u->SetPosition(10);
    auto plain = f.Print();
    u->SetShowInaccessibility(true);
    auto limit = f.Print();
    for (int y : {2, 8, 12})
        for (int x : {2, 8, 13})
            CHECK(Near(Px(*limit, x, y), Mix(Px(*plain, x, y), f.Backdrop->Color(), 0.4)));
    CHECK(Half(*limit, false) == Half(*plain, false));
    f.Hover(8, 4);
    SendMessageW(u->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(8, 4));
    CHECK(u->ButtonState() == ubsNone);
    SendMessageW(u->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(8, 4));
}

TEST_CASE("an up-down's press shows pressed until the release, a quick second press steps again; a horizontal one steps down at the left")
{
    TUpDownFixture f;
    TzUpDown* u = f.UpDown;
    f.Hover(8, 30);
    SendMessageW(u->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(8, 30));
    CHECK(Join(u->ButtonState(), u->Position()) == Join(ubsSecondPressed, 4));
    SendMessageW(u->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(8, 30));
    CHECK(u->ButtonState() == ubsSecondHot);
    // The library turns a double click into a press: the window steps.
    u->Perform(WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(8, 30));
    SendMessageW(u->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(8, 30));
    CHECK(u->Position() == 3);
    u->Perform(CM_MOUSELEAVE, 0, 0);
    CHECK(u->ButtonState() == ubsNone);

    // Horizontal: the left button steps down, the right one up, each spent at its own limit.
    u->SetOrientation(udHorizontal);
    u->SetPosition(10);
    REQUIRE(u->Width() > u->Height());
    const int low = u->Height() - 4;
    f.Hover(u->Width() - 4, 4);
    CHECK(u->ButtonState() == ubsNone);
    f.Hover(4, low);
    CHECK(u->ButtonState() == ubsFirstHot);
    // The press that spends the left button shows no press.
    u->SetPosition(1);
    SendMessageW(u->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(4, low));
    CHECK(Join(u->Position(), u->ButtonState()) == Join(0, ubsFirstHot));
    SendMessageW(u->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(4, low));

    // Without a skin the platform paints its own arrows.
    const auto skinned = f.Print();
    f.RemoveSkin();
    CHECK_FALSE(u->Skinned());
    const auto plain = f.Print();
    CHECK(Pixels(*plain) != Pixels(*skinned));
    CHECK(Px(*plain, 4, 1) != clBlack);
}
