// The skinned edit: its cache in each state, its frame on the screen and in print.
#include "skinctlfixture.h"

#include "skinctl/zedit.h"
#include "unicode/ucgraphics.h"

namespace {

constexpr TColor Teal = 0x8A8016;       // the border of the "EDIT" section when active
constexpr TColor BorderGrey = 0xD3CAC3; // ... and when not

struct TEditFixture : TSkinFixture {
    // On the backdrop, whose picture the corners and the disabled look show.
    TzEdit* Edit = Place<TzEdit>(Backdrop, 10, 10, 120, 24);
    TEditFixture() { ShowUnfocused(); }
    TBitmap& Cache() { return FreshCache(Edit); }
};

// The rightmost column of the cache's inside (within the frame) that differs from the
// section's colour, -1 for none.
int InkRight(TBitmap& B, int Frame)
{
    for (int x = B.Width() - Frame - 1; x >= Frame; --x)
        for (int y = Frame; y < B.Height() - Frame; ++y)
            if (Px(B, x, y) != clWhite)
                return x;
    return -1;
}

} // namespace

TEST_CASE("an edit's cache: the border of its state, the corners over the parent's picture, the disabled looks")
{
    TEditFixture f;
    TzEdit* e = f.Edit;
    TBitmap& c = f.Cache();
    CHECK(Join(Px(c, 60, 0), Px(c, 60, 12)) == Join(BorderGrey, clWhite));
    // The corner's mask keeps 158/256 of what lies behind: here the backdrop.
    CHECK(Near(Px(c, 0, 0), Mix(f.Backdrop->Color(), BorderGrey, 158 / 256.0)));
    CHECK(e->Color() == f.Section("EDIT").Color);

    // Focused: the active border, on the screen too; the mouse leaving keeps it.
    FocusOn(e);
    CHECK(Join(Px(f.Cache(), 60, 0), WindowPixel(e->Handle(), 60, 0)) == Join(Teal, Teal));
    e->Perform(CM_MOUSELEAVE, 0, 0);
    CHECK(WindowPixel(e->Handle(), 60, 0) == Teal);
    // Hidden while focused, it loses the focus unseen and comes back without its look.
    e->SetVisible(false);
    e->SetVisible(true);
    f.Redraw();
    REQUIRE(GetFocus() != e->Handle());
    CHECK(WindowPixel(e->Handle(), 60, 0) == BorderGrey);
    // Another edit under the mouse is hot; it cools down when the mouse leaves.
    auto* other = f.Place<TzEdit>(f.Backdrop, 10, 50, 120, 24);
    f.Redraw();
    other->Perform(CM_MOUSEENTER, 0, 0);
    CHECK(WindowPixel(other->Handle(), 60, 0) == Teal);
    other->Perform(CM_MOUSELEAVE, 0, 0);
    CHECK(WindowPixel(other->Handle(), 60, 0) == BorderGrey);
    // Disabled, its cache keeps its colours, blends into the parent's picture or turns grey.
    other->SetEnabled(false);
    other->SetDisabledKind(0);
    CHECK(Px(FreshCache(other), 60, 12) == clWhite);
    other->SetDisabledKind(dkBlended);
    CHECK(Near(Px(FreshCache(other), 60, 12), Mix(clWhite, f.Backdrop->Color(), 0.4)));
    other->SetDisabledKind(dkGrayed);
    const TColor grey = Px(FreshCache(other), 60, 0);
    CHECK(grey != BorderGrey);
    CHECK(Join(Channel(grey, 1), Channel(grey, 2)) == Join(Channel(grey, 0), Channel(grey, 0)));

    // Without the skin the system's frame and colours come back.
    f.RemoveSkin();
    Pump();
    CHECK(e->Color() == clWindow);
    CHECK(WindowPixel(other->Handle(), 60, 0) != BorderGrey);
}

TEST_CASE("an edit's frame, on the screen and in print, is as wide as its real border, never over its text")
{
    TEditFixture f;
    TzEdit* e = f.Edit;
    e->SetColor(clYellow);
    e->SkinData()->SetCustomColor(true);
    e->SetText(L"Wide WWW");
    f.Redraw();
    // Printed, it is what the screen shows: the skinned frame around the system's own client
    // area, the text in its place inside the frame.
    const int h = e->Height();
    auto bmp = Filled24(120, h, clBlack);
    SendMessageW(e->Handle(), WM_PRINT, WPARAM(bmp->Canvas()->Handle()), PRF_NONCLIENT | PRF_CLIENT | PRF_ERASEBKGND);
    CHECK(Join(Px(*bmp, 60, 0), Px(*bmp, 100, 12)) == Join(BorderGrey, clYellow));
    int differ = 0, ink = 0;
    for (int x = 0; x < 120; ++x) {
        differ += Px(*bmp, x, h / 2) != WindowPixel(e->Handle(), x, h / 2);
        ink += Px(*bmp, x, h / 2) != clYellow;
    }
    CHECK(differ == 0);
    CHECK(ink > 4);

    const auto px = [e](int X, int Y) { return WindowPixel(e->Handle(), X, Y); };
    CHECK(Join(e->FrameWidth(), px(60, 0), px(60, 2)) == Join(2, BorderGrey, clYellow));
    // A flat border is drawn by the system's edit inside its client area: the strip goes
    // over it after every paint of the client area.
    e->SetCtl3D(false);
    f.Redraw();
    CHECK(Join(e->FrameWidth(), px(60, 0), px(0, 10), px(60, 1)) == Join(1, BorderGrey, BorderGrey, clYellow));
    // No border and no bevel kind: no strips over the client area, whatever the bevels say.
    e->SetBorderStyle(bsNone);
    f.Redraw();
    CHECK(Join(e->FrameWidth(), px(60, 0)) == Join(0, clYellow));
    e->SetBevelKind(bkFlat);
    CHECK(e->FrameWidth() == 2);
}

TEST_CASE("a password edit's cache shows the wide password character once per WideChar")
{
    TEditFixture f;
    TzEdit* e = f.Edit;
    const WideChar dot = 0x25CF;
    e->SetWidePasswordChar(dot);
    CHECK(Join(e->PasswordChar(), SendMessageW(e->Handle(), EM_GETPASSWORDCHAR, 0, 0)) == Join('*', dot));
    e->SetText(WideString());
    CHECK(InkRight(f.Cache(), 2) == -1);
    e->SetText(Cyrillic.substr(0, 3));
    const int three = InkRight(f.Cache(), 2);
    e->SetText(Cyrillic);
    const int six = InkRight(f.Cache(), 2);
    TCanvas* canvas = e->SkinData()->CacheBmp()->Canvas();
    canvas->Font()->Assign(e->Font());
    const int w = CanvasTextWidthWide(canvas, WideString(1, dot));
    REQUIRE(w > 0);
    CHECK(three > 0);
    CHECK(six - three == 3 * w);
}
