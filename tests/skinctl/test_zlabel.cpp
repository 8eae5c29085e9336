// The skinned labels: the skin's font colour, or their own with UseSkinColor off through a
// skin switch and the skin's removal (the bound label of an edit too, which is a TzEditLabel);
// a section under the text over the parent's picture, the first section of the skin too.
#include "skinctlfixture.h"

#include "skin/zsectionpaint.h"
#include "skinctl/zedit.h"
#include "skinctl/zlabel.h"

namespace {

TColor Stripes(int X, int Y)
{
    return Rgb(0x40, X * 3 & 0xFF, Y * 5 & 0xFF);
}

// Pixels of Color in the label's place on its parent's window.
int InkOf(TControl* Label, TColor Color)
{
    int n = 0;
    for (int y = Label->Top(); y < Label->Top() + Label->Height(); ++y)
        for (int x = Label->Left(); x < Label->Left() + Label->Width(); ++x)
            n += ClientPixel(Label->Parent(), x, y) == ColorToRGB(Color);
    return n;
}

} // namespace

TEST_CASE("labels take the skin's font colour, or keep their own with UseSkinColor off through a switch and a removal")
{
    TSkinFixture f(nullptr);
    const TColor own = TColor(0x0000C0);
    auto* keeps = f.Place<TzLabel>(f.Form, 10, 10, 100, 20);
    keeps->SetCaption(L"\x0421\x0432\x043E\x0439 \x03C7\x03C1\x03CE\x03BC\x03B1");   // Свой χρώμα
    keeps->Font()->SetColor(own);
    keeps->SetUseSkinColor(false);
    auto* takes = f.Place<TzLabel>(f.Form, 10, 40, 100, 20);
    takes->SetCaption(L"\x041E\x0431\x0449\x0438\x0439");
    auto* edit = f.Place<TzEdit>(f.Form, 120, 70, 120, 24);
    edit->BoundLabel()->SetCaption("Name:");
    edit->BoundLabel()->SetActive(true);
    CHECK(AnsiString(edit->BoundLabel()->LabelControl()->ClassName()) == "TzEditLabel");
    edit->BoundLabel()->Font()->SetColor(own);
    edit->BoundLabel()->SetUseSkinColor(false);
    f.Show();
    for (const wchar_t* skin : {L"ZandrelDawn", L"ZandrelDusk", static_cast<const wchar_t*>(nullptr)}) {
        CAPTURE(skin != nullptr);
        if (skin)
            f.ApplySkin(skin);
        else
            f.RemoveSkin();
        f.Redraw();
        CHECK(keeps->Font()->Color() == own);
        CHECK(edit->BoundLabel()->Font()->Color() == own);
        CHECK(InkOf(keeps, own) > 10);
        const TColor skinColor = skin ? f.Manager->GetGlobalFontColor() : TColor(clWindowText);
        CHECK(takes->Font()->Color() == skinColor);
        CHECK(InkOf(takes, skinColor) > 10);
    }
}

TEST_CASE("a label's section under its text over the parent's picture: the skin's first section too; none missing")
{
    TSkinFixture f;
    auto* pane = f.Place<TBackdrop>(f.Form, 0, 0, 400, 200);
    pane->Pattern = &Stripes;
    auto* label = f.Place<TzLabel>(pane, 40, 30, 120, 24);
    label->SetAutoSize(false);
    label->SetBounds(40, 30, 120, 24);
    f.Show();
    TzSkinManager* m = f.Manager.get();
    const TzGeneralData& first = m->Section(0);
    label->SetSkinSection(first.ClassName);
    f.Redraw();
    CHECK(ClientPixel(pane, 150, 45) == ColorToRGB(first.Color));
    // A see-through section shows the picture at the label's place.
    label->SetSkinSection("checkbox");
    f.Redraw();
    CHECK(ClientPixel(pane, 150, 45) == Stripes(150, 45));
    label->SetSkinSection("NO SUCH SECTION");
    f.Redraw();
    CHECK(ClientPixel(pane, 150, 45) == Stripes(150, 45));
}
