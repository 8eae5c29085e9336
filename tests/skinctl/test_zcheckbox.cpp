// The skinned check box and radio button: the glyph of every check and paint state against
// the skin's own images, a press released only by what pressed it, a read-only box that no
// click of the user changes, a radio group driven by the keys, the fade of a state change,
// and the size taken from the glyph and the caption.
#include "skinctlfixture.h"

#include "skinctl/zcheckbox.h"
#include "skinctl/zradiobutton.h"
#include "skinctl/zgroupbox.h"

namespace {

// A check box and a radio button on the backdrop, clicks counted.
struct TCheckFixture : TSkinFixture {
    TzCheckBox* Box = nullptr;
    TzRadioButton* Radio = nullptr;
    int Clicks = 0;
    explicit TCheckFixture(const wchar_t* Skin = L"ZandrelDawn") : TSkinFixture(Skin)
    {
        Box = Place<TzCheckBox>(Backdrop, 20, 20, 120, 20);
        Box->SetCaption(L"Запомнить");
        Box->OnClick = MakeMethod<&TCheckFixture::Clicked>(this);
        Radio = Place<TzRadioButton>(Backdrop, 20, 50, 120, 20);
        Radio->SetCaption(L"Ελληνικά");
        Show();
    }
    void Clicked(TObject*) { ++Clicks; }
    // Nothing of ours has the focus.
    void Unfocus() { ::SetFocus(Form->Handle()); }
    static void Mouse(HWND W, UINT Msg, int X = 5, int Y = 5)
    {
        SendMessageW(W, Msg, Msg == WM_LBUTTONUP ? 0 : MK_LBUTTON, MAKELPARAM(X, Y));
    }
    static void Key(HWND W, UINT Msg, WPARAM Key) { SendMessageW(W, Msg, Key, Msg == WM_KEYUP ? 0xC0000001 : 1); }
};

// How many pixels of the glyph in the control's cache differ from the skin's image Name, frame
// Frame, laid through its mask half over the backdrop's colour.
template <class T> int GlyphMisses(TSkinFixture& F, T* Control, const char* Name, int Frame)
{
    Control->SkinData()->SetBGChanged(true);
    Control->PaintControl();
    TBitmap& cache = *Control->SkinData()->CacheBmp();
    const TzMaskData& mask = F.Manager->Mask(F.Manager->FindMaskIndexExact("GLOBALINFO", Name));
    TBitmap& master = *MaskSourceBitmap(mask);
    const int fw = mask.R.Width() / mask.ImageCount, fh = mask.R.Height() / 2;
    const TRect at = Control->GlyphRect();
    const TColor bg = F.Backdrop->Color();
    int misses = 0;
    for (int y = 0; y < fh; ++y)
        for (int x = 0; x < fw; ++x) {
            const TColor s = Px(master, mask.R.Left + Frame * fw + x, mask.R.Top + y);
            const TColor m = Px(master, mask.R.Left + Frame * fw + x, mask.R.Top + fh + y);
            TColor want = bg;
            if (s != clFuchsia) {
                want = 0;
                for (int k = 0; k < 3; ++k)
                    want |= TColor((Channel(bg, k) * Channel(m, k) + Channel(s, k) * (256 - Channel(m, k))) >> 8)
                            << (8 * k);
            }
            misses += Px(cache, at.Left + x, at.Top + y) != want;
        }
    return misses;
}

} // namespace

TEST_CASE("check and radio glyphs of every state are the skin's images over the parent")
{
    for (const wchar_t* skin : {L"ZandrelDawn", L"ZandrelDusk"}) {
        CAPTURE(WideToAnsi(skin));
        TCheckFixture f(skin);
        // The glyph stands at the left, centred; the section shows the parent through.
        CHECK(f.Box->GlyphRect() == Bounds(2, (f.Box->Height() - 16) / 2, 16, 16));
        CHECK(Px(*f.Box->SkinData()->CacheBmp(), 0, 0) == f.Backdrop->Color());
        const auto frames = [&](auto* Control, const char* Name) {
            CAPTURE(Name);
            f.Unfocus();
            Control->SkinData()->SetMouseAbove(false);
            CHECK(GlyphMisses(f, Control, Name, 0) == 0);
            Control->SkinData()->SetMouseAbove(true);
            CHECK(GlyphMisses(f, Control, Name, 1) == 0);
            // Held down (and let go outside: no change).
            TCheckFixture::Mouse(Control->Handle(), WM_LBUTTONDOWN);
            CHECK(GlyphMisses(f, Control, Name, 2) == 0);
            TCheckFixture::Mouse(Control->Handle(), WM_LBUTTONUP, 500, 5);
        };
        const char* boxes[] = {"BOXUNCHECKED", "BOXCHECKED", "BOXGRAYED"};
        for (TCheckBoxState s : {cbUnchecked, cbChecked, cbGrayed}) {
            f.Box->SetState(s);
            frames(f.Box, boxes[s]);
            CHECK(f.Box->State() == s);
        }
        frames(f.Radio, "RADIOUNCHECKED");
        f.Radio->SetChecked(true);
        frames(f.Radio, "RADIOCHECKED");
    }
}

TEST_CASE("a press is released by what pressed it: the space bar, not another key's release")
{
    TCheckFixture f;
    FocusOn(f.Box);
    const HWND w = f.Box->Handle();
    TCheckFixture::Key(w, WM_KEYDOWN, VK_SPACE);
    TCheckFixture::Key(w, WM_KEYDOWN, VK_SPACE);   // the key's repeat
    TCheckFixture::Key(w, WM_KEYUP, VK_SHIFT);
    CHECK(f.Box->Pressed());
    CHECK(f.Box->State() == cbUnchecked);
    TCheckFixture::Key(w, WM_KEYUP, VK_SPACE);
    CHECK_FALSE(f.Box->Pressed());
    CHECK(f.Box->State() == cbChecked);
    // A release without its press changes nothing; nor does a press the mouse left.
    TCheckFixture::Key(w, WM_KEYUP, VK_SPACE);
    TCheckFixture::Mouse(w, WM_LBUTTONDOWN);
    TCheckFixture::Mouse(w, WM_LBUTTONUP, 500, 5);
    CHECK(f.Box->State() == cbChecked);
    TCheckFixture::Mouse(w, WM_LBUTTONDOWN);
    TCheckFixture::Mouse(w, WM_LBUTTONUP);
    CHECK(f.Box->State() == cbUnchecked);
    CHECK(f.Clicks == 2);
}

TEST_CASE("a read-only check box keeps its state against every click of the user, skinned or not")
{
    for (bool skinned : {true, false}) {
        CAPTURE(skinned);
        TCheckFixture f;
        if (!skinned)
            f.RemoveSkin();
        f.Box->SetCaption(L"&Запомнить");
        f.Box->SetReadOnly(true);
        FocusOn(f.Box);
        const HWND w = f.Box->Handle();
        TCheckFixture::Mouse(w, WM_LBUTTONDOWN);
        TCheckFixture::Mouse(w, WM_LBUTTONUP);
        TCheckFixture::Key(w, WM_KEYDOWN, VK_SPACE);
        TCheckFixture::Key(w, WM_KEYUP, VK_SPACE);
        SendMessageW(w, BM_CLICK, 0, 0);
        // The system's button telling its parent of a click; the caption's hot key.
        SendMessageW(f.Backdrop->Handle(), WM_COMMAND, MAKEWPARAM(0, BN_CLICKED), LPARAM(w));
        f.Form->Perform(CM_DIALOGCHAR, L'з', 0);
        Pump();
        CHECK(f.Box->State() == cbUnchecked);
        CHECK(f.Clicks == 0);
        // The program still sets it.
        f.Box->SetChecked(true);
        CHECK(SendMessageW(w, BM_GETCHECK, 0, 0) == BST_CHECKED);
        CHECK(f.Clicks == 1);
    }
}

TEST_CASE("a radio group by the keys: the arrows move the focus and check, the space bar checks; the buttons "
          "stand on their group box")
{
    TCheckFixture f;
    auto* group = f.Place<TzGroupBox>(f.Backdrop, 150, 0, 200, 100);
    f.Radio->SetParent(group);
    f.Radio->SetBounds(12, 20, 150, 20);
    auto* second = f.Place<TzRadioButton>(group, 12, 44, 150, 20);
    auto* third = f.Place<TzRadioButton>(group, 12, 68, 150, 20);
    second->SetCaption(L"Русский");
    third->SetCaption(L"English");
    f.Radio->SetChecked(true);
    f.Redraw();
    FocusOn(f.Radio);
    const auto key = [](TWinControl* C, WPARAM K) {
        PostMessageW(C->Handle(), WM_KEYDOWN, K, 1);
        PostMessageW(C->Handle(), WM_KEYUP, K, 0xC0000001);
        Pump();
    };
    const auto checked = [&] { return Join(f.Radio->Checked(), second->Checked(), third->Checked()); };
    key(f.Radio, VK_DOWN);
    CHECK(second->Focused());
    CHECK(checked() == "0 1 0");
    key(second, VK_DOWN);
    CHECK(checked() == "0 0 1");
    key(third, VK_UP);
    CHECK(checked() == "0 1 0");
    // The space bar checks the focused button, and a checked one stays checked.
    second->SetChecked(false);
    key(second, VK_SPACE);
    key(second, VK_SPACE);
    CHECK(checked() == "0 1 0");
    // Every button's window tells the state it shows.
    CHECK(SendMessageW(f.Radio->Handle(), BM_GETCHECK, 0, 0) == BST_UNCHECKED);
    CHECK(SendMessageW(second->Handle(), BM_GETCHECK, 0, 0) == BST_CHECKED);
    f.Redraw();
    CHECK(WindowPixel(third->Handle(), third->Width() - 1, 0) == WindowPixel(group->Handle(), 100, 60));
    f.RemoveSkin();
    CHECK(SendMessageW(second->Handle(), BM_GETCHECK, 0, 0) == BST_CHECKED);
}

TEST_CASE("a check box's change fades: the section's steps, each frame nearer the new face")
{
    TCheckFixture f;
    TzCheckBox* b = f.Box;
    f.Unfocus();
    f.Redraw();
    const TRect g = b->GlyphRect();
    TBitmap before;
    before.Assign(b->SkinData()->CacheBmp());
    b->SetState(cbChecked);
    TzFadeTimer* t = b->FadeTimer();
    REQUIRE(t != nullptr);
    CHECK(t->Iterations == f.Section("CHECKBOX").FadingIterations);
    TBitmap& after = *b->SkinData()->CacheBmp();
    // The pixel of the glyph that changes most.
    TPoint at;
    int most = -1;
    for (int y = g.Top; y < g.Bottom; ++y)
        for (int x = g.Left; x < g.Right; ++x)
            if (const int d = std::abs(Channel(Px(before, x, y), 1) - Channel(Px(after, x, y), 1)); d > most) {
                most = d;
                at = TPoint(x, y);
            }
    REQUIRE(most > 50);
    int last = most;
    for (int i = 1; i <= t->Iterations; ++i) {
        t->Timer();
        const int d = std::abs(Channel(WindowPixel(b->Handle(), at.X, at.Y), 1) - Channel(Px(after, at.X, at.Y), 1));
        CHECK(d < last);
        last = d;
    }
    CHECK(last <= 1);
    t->Timer();
    Pump();
    CHECK(b->FadeTimer() == nullptr);
    CHECK(WindowPixel(b->Handle(), at.X, at.Y) == Px(after, at.X, at.Y));
    // The program's change shows at once.
    b->SetChecked(false);
    CHECK(b->FadeTimer() == nullptr);
}

TEST_CASE("a check box sizes itself to its glyph and caption; with the caption at the left the glyph is right")
{
    TCheckFixture f;
    TzCheckBox* b = f.Box;
    b->SetCaption(L"");
    CHECK(Join(b->Width(), b->Height()) == Join(16 + 2 * 2, 16 + 2));
    b->SetMargin(5);
    CHECK(Join(b->Width(), b->Height()) == Join(16 + 2 * 5, 16 + 2));
    b->SetCaption(L"Запомнить");
    SIZE text{};
    {
        TClientDC dc(nullptr);
        TSelectObject font(dc.Handle(), b->Font()->Handle());
        GetTextExtentPoint32W(dc.Handle(), L"Запомнить", 9, &text);
    }
    CHECK(Join(b->Width(), b->Height()) == Join(16 + 2 * 5 + text.cx + 8, std::max<int>(16, text.cy + 10) + 2));
    b->SetAlignment(taLeftJustify);
    CHECK(b->GlyphRect().Right == b->Width() - 5);
    CHECK(b->CaptionRect().Left == 5);
    // Unskinned the size stays as it is set.
    f.RemoveSkin();
    b->SetBounds(20, 20, 150, 30);
    b->SetCaption(L"Другой");
    CHECK(Join(b->Width(), b->Height()) == "150 30");
}
