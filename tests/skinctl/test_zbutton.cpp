// The skinned push and bit buttons, and the published properties of every button and spin
// control in form data.
#include "skinctlfixture.h"
#include "gdicount.h"

#include "classlib/imglist.h"
#include "skin/zsectionpaint.h"
#include "classlib/menus.h"
#include "skinctl/zbitbtn.h"
#include "skinctl/zbutton.h"
#include "skinctl/zspeedbutton.h"
#include "skinctl/zspinedit.h"
#include "skin/zpaintwnd.h"

namespace {

// A button on the backdrop, clicks counted; what its parent window hears recorded.
template <class T> struct TButtonFixture : TSkinFixture {
    T* Button = Place<T>(Backdrop, 20, 20, 90, 30);
    TMsgRecorder Rec{WM_COMMAND};
    explicit TButtonFixture(const wchar_t* Skin = L"ZandrelDawn") : TSkinFixture(Skin)
    {
        Button->SetCaption(L"Войти");
        Button->OnClick = MakeMethod<&TSkinFixture::Count>(this);
        ShowUnfocused();
        Rec.Attach(Backdrop->Handle(), "parent");
        Rec.Name(Button->Handle(), "button");
    }
    HWND Wnd() { return Button->Handle(); }
    void Mouse(UINT Msg, int X = 10, int Y = 10) { SendMessageW(Wnd(), Msg, Msg == WM_LBUTTONUP ? 0 : MK_LBUTTON, MAKELPARAM(X, Y)); }
    void Key(UINT Msg, WPARAM Key) { SendMessageW(Wnd(), Msg, Key, Msg == WM_KEYUP ? 0xC0000001 : 1); }
    void Click()
    {
        Mouse(WM_LBUTTONDOWN);
        Mouse(WM_LBUTTONUP);
    }
    TBitmap& Face() { return FreshCache(Button); }
    // The section alone for a state, over the backdrop, as the button's face must be without
    // its caption.
    std::unique_ptr<TBitmap> SectionOnly(int State)
    {
        auto bmp = Filled24(Button->Width(), Button->Height(), 0);
        PaintSkinSection(Button->SkinData()->SectionSkin(), Button->SkinData()->Backdrop(),
                         bfFillCentre | bfKeysShowParent, bmp.get(), TPoint(Button->Left(), Button->Top()),
                         TRect(0, 0, Button->Width(), Button->Height()), TzPaintState(State));
        return bmp;
    }
};

// The pixels of A and B agree on the button's rim (two pixels wide), where no caption lies.
bool SameRim(TBitmap& A, TBitmap& B)
{
    for (int y = 0; y < A.Height(); ++y)
        for (int x = 0; x < A.Width(); ++x)
            if ((x < 2 || y < 2 || x >= A.Width() - 2 || y >= A.Height() - 2) && Px(A, x, y) != Px(B, x, y))
                return false;
    return true;
}

int CountClicks(const TMsgRecorder& Rec)
{
    return int(std::count_if(Rec.Entries().begin(), Rec.Entries().end(), [](auto& e) { return e.Param == BN_CLICKED; }));
}

// A 16 x 16 glyph: a dark square on the key colour.
std::unique_ptr<TBitmap> SquareGlyph()
{
    return MakeBmp24(16, 16, [](int x, int y) { return x >= 3 && x < 13 && y >= 3 && y < 13 ? Rgb(200, 0, 0) : TColor(SkinKeyColor); });
}

// A component of the form, named, made as the program makes one (so its skin data settles).
template <class T> T* Named(TForm* Form, const char* Name, int Top = 0)
{
    T* c = MakeComponent<T>(Form);
    c->SetName(Name);
    if constexpr (std::is_base_of_v<TControl, T>) {
        c->SetBounds(10, Top, 80, 24);
        c->SetParent(Form);
    }
    return c;
}

} // namespace

TEST_CASE("a push button clicks once a press: mouse, double click, space bar and BM_CLICK, skinned or not")
{
    for (bool skinned : {true, false}) {
        CAPTURE(skinned);
        TButtonFixture<TzButton> f(skinned ? L"ZandrelDawn" : nullptr);
        REQUIRE(f.Button->SkinData()->Skinned() == skinned);
        // The clicks of a gesture, and the BN_CLICKED the parent heard meanwhile: skinned, the
        // button clicks itself and the system's button (whose pressed look it keeps from
        // painting) sends none; plain, each click is the system's.
        auto clicks = [&](int Expected) {
            Pump();
            CHECK(Join(f.Counted, CountClicks(f.Rec)) == Join(Expected, skinned ? 0 : Expected));
            f.Counted = 0;
            f.Rec.Clear();
        };
        f.Click();
        clicks(1);
        // A double click is two presses.
        f.Click();
        f.Mouse(WM_LBUTTONDBLCLK);
        f.Mouse(WM_LBUTTONUP);
        clicks(2);
        // A press that leaves before the release does not click; nor does a release alone.
        f.Mouse(WM_LBUTTONDOWN);
        f.Mouse(WM_MOUSEMOVE, 200, 10);
        f.Mouse(WM_LBUTTONUP, 200, 10);
        f.Mouse(WM_LBUTTONUP);
        clicks(0);
        // The space bar on the focused button, and the program's click.
        FocusOn(f.Button);
        f.Key(WM_KEYDOWN, VK_SPACE);
        f.Key(WM_KEYUP, VK_SPACE);
        clicks(1);
        SendMessageW(f.Wnd(), BM_CLICK, 0, 0);
        clicks(1);
        if (!skinned)
            continue;
        // A system button that took the press as its own sends BN_CLICKED on the release the
        // skinned button clicks on: still one click.
        f.Mouse(WM_LBUTTONDOWN);
        CallWindowProcW(f.Button->DefWndProc(), f.Wnd(), BM_SETSTATE, TRUE, 0);
        f.Mouse(WM_LBUTTONUP);
        Pump();
        CHECK(Join(f.Counted, CountClicks(f.Rec)) == Join(1, 1));
    }
}

TEST_CASE("a push button's face: the section of its state under the caption, pressed only with the mouse over it, hot when it is the default")
{
    TButtonFixture<TzButton> f;
    TzButton* b = f.Button;
    const TzGeneralData& s = f.Section("BUTTON");
    CHECK(SameRim(f.Face(), *f.SectionOnly(0)));
    CHECK(CountOf(f.Face(), b->CaptionRect(), TColor(s.FontColor)) > 10);
    // Under the mouse: hot.
    b->Perform(CM_MOUSEENTER, 0, 0);
    CHECK(b->CurrentState() == 1);
    CHECK(SameRim(f.Face(), *f.SectionOnly(1)));
    CHECK(CountOf(f.Face(), b->CaptionRect(), TColor(s.HotFontColor)) > 10);
    // Held down: pressed, the caption one pixel down and right; dragged off: up again.
    const TRect up = b->CaptionRect();
    f.Mouse(WM_LBUTTONDOWN);
    CHECK(b->CurrentState() == 2);
    CHECK(SameRim(f.Face(), *f.SectionOnly(2)));
    CHECK(Join(b->CaptionRect().Left, b->CaptionRect().Top) == Join(up.Left + 1, up.Top + 1));
    f.Mouse(WM_MOUSEMOVE, 200, 10);
    CHECK(b->CurrentState() != 2);
    f.Mouse(WM_MOUSEMOVE, 10, 10);
    CHECK(b->CurrentState() == 2);
    f.Mouse(WM_LBUTTONUP);
    CHECK(b->CurrentState() == 1);
    // Down is pressed for good.
    b->SetDown(true);
    CHECK(b->CurrentState() == 2);
    b->SetDown(false);
    // A default button looks hot until another button has the focus.
    auto* ok = f.Place<TzButton>(f.Backdrop, 150, 20, 90, 30);
    ok->SetDefault(true);
    FocusOn(f.Place<TEdit>(f.Form, 10, 10, 100, 22));
    CHECK(Join(ok->ActiveDefault(), ok->CurrentState()) == Join(true, 1));
    FocusOn(b);
    CHECK(Join(ok->ActiveDefault(), ok->CurrentState()) == Join(false, 0));
    FocusOn(ok);
    CHECK(ok->ActiveDefault());
    // Disabled: the face kept 40 % over the parent's picture.
    b->Perform(CM_MOUSELEAVE, 0, 0);
    b->SetEnabled(false);
    auto section = f.SectionOnly(0);
    TBitmap& face = f.Face();
    CHECK(Near(Px(face, 45, 3), Mix(Px(*section, 45, 3), f.Backdrop->Color(), 0.4), 3));
}

TEST_CASE("a push button holds the hints back while pressed, and gives them back on release or when another window takes the mouse; its click may free it")
{
    TButtonFixture<TzButton> f;
    Application->SetShowHint(true);
    f.Mouse(WM_LBUTTONDOWN);
    CHECK_FALSE(Application->ShowHint());
    f.Mouse(WM_LBUTTONUP);
    CHECK(Application->ShowHint());
    // A modal window, a menu or a task switch takes the mouse: no release comes.
    f.Mouse(WM_LBUTTONDOWN);
    SetCapture(f.Form->Handle());
    ReleaseCapture();
    CHECK(Join(f.Button->Pressed(), Application->ShowHint(), f.Counted) == Join(false, true, 1));
    // A click whose handler frees the button touches it no more.
    struct TFreer {
        TzButton* Button;
        void Click(TObject*) { delete Button; }
    } freer{f.Button};
    f.Button->OnClick = MakeMethod<&TFreer::Click>(&freer);
    const HWND wnd = f.Wnd();
    f.Click();
    CHECK_FALSE(IsWindow(wnd));
}

TEST_CASE("a button's window region leaves out the border's transparent corners, anew after a resize, losing no region")
{
    TButtonFixture<TzButton> f;
    TzButton* b = f.Button;
    auto inRegion = [&](int X, int Y) {
        TGdiObject<HRGN> r(CreateRectRgn(0, 0, 0, 0));
        REQUIRE(GetWindowRgn(b->Handle(), r.Handle()) != ERROR);
        return PtInRegion(r.Handle(), X, Y) != 0;
    };
    CHECK(Join(inRegion(0, 0), inRegion(89, 29), inRegion(45, 15), inRegion(45, 0)) == Join(false, false, true, true));
    b->SetBounds(20, 20, 120, 40);
    f.Redraw();
    CHECK(Join(inRegion(119, 39), inRegion(119, 20)) == Join(false, true));
    CHECK(b->PendingRegion() == nullptr);

    // Regions made for paints that never came are replaced, each one deleted.
    f.Redraw();
    const int before = GdiObjectCount();
    for (int i = 0; i < 20; ++i) {
        b->SetBounds(20, 20, 120 + i, 40);
        b->PrepareCache();
    }
    CHECK(b->PendingRegion() != nullptr);
    f.Redraw();
    CHECK(GdiObjectCount() <= before + 1);

    // Without the skin, no region.
    f.RemoveSkin();
    Pump();
    TGdiObject<HRGN> r(CreateRectRgn(0, 0, 0, 0));
    CHECK(GetWindowRgn(b->Handle(), r.Handle()) == ERROR);
}

TEST_CASE("a hot-state fade: the section's steps, each frame nearer the hot face, ticked by hand")
{
    TButtonFixture<TzButton> f;
    TzButton* b = f.Button;
    const int steps = f.Section("BUTTON").FadingIterations;
    // A fade starts from a face already painted.
    f.Face();
    b->Perform(CM_MOUSEENTER, 0, 0);
    TzFadeTimer* t = b->FadeTimer();
    REQUIRE(t != nullptr);
    CHECK(t->Iterations == steps);
    TBitmap* hot = b->SkinData()->CacheBmp();
    const TPoint at(45, 4);
    int last = -1;
    // The frames reach the window one by one, each nearer the hot face.
    for (int i = 1; i <= steps; ++i) {
        t->Timer();
        const int d = std::abs(Channel(WindowPixel(b->Handle(), at.X, at.Y), 1) - Channel(Px(*hot, at.X, at.Y), 1));
        // Frames round: one step may be a unit off.
        if (last >= 0)
            CHECK(d <= last + 1);
        last = d;
    }
    CHECK(last <= 1);
    // The end: the timer goes, and the window shows the hot face itself.
    t->Timer();
    Pump();
    CHECK(Join(b->FadeTimer() == nullptr, WindowPixel(b->Handle(), at.X, at.Y)) == Join(true, Px(*hot, at.X, at.Y)));
    // A skin without fading, or fading off: the new face at once.
    SkinFadingOn = false;
    b->Perform(CM_MOUSELEAVE, 0, 0);
    CHECK(b->FadeTimer() == nullptr);
    SkinFadingOn = true;
}

TEST_CASE("a bit button places its glyph by every layout and alignment, keeping the spacing on either side")
{
    TButtonFixture<TzBitBtn> f;
    TzBitBtn* b = f.Button;
    b->SetBounds(20, 20, 160, 40);
    b->SetGlyph(SquareGlyph().get());
    b->SetMargin(2);
    b->SetSpacing(6);
    const int m = 5;
    TzGlyphPlaces p = b->Places();
    const int tw = p.Text.Width(), th = p.Text.Height();
    REQUIRE(tw > 10);
    struct TCase {
        TButtonLayout Layout;
        TAlignment Alignment;
        int GlyphX, GlyphY, TextX, TextY;
    };
    const int cx = (160 - 16 - 6 - tw) / 2, cy = (40 - 16 - 6 - th) / 2;
    const TCase cases[] = {
        {blGlyphLeft, taLeftJustify, m, 12, m + 16 + 6, (40 - th + 1) / 2},
        {blGlyphLeft, taRightJustify, 160 - m - tw - 6 - 16, 12, 160 - m - tw, (40 - th + 1) / 2},
        {blGlyphLeft, taCenter, cx, 12, cx + 16 + 6, (40 - th + 1) / 2},
        {blGlyphRight, taLeftJustify, m + tw + 6, 12, m, (40 - th + 1) / 2},
        {blGlyphRight, taRightJustify, 160 - m - 16, 12, 160 - m - 16 - 6 - tw, (40 - th + 1) / 2},
        {blGlyphRight, taCenter, cx + tw + 6, 12, cx, (40 - th + 1) / 2},
        {blGlyphTop, taCenter, 72, cy, (160 - tw + 1) / 2, cy + 16 + 6},
        {blGlyphBottom, taCenter, 72, 40 - 16 - cy, (160 - tw + 1) / 2, 40 - 16 - cy - 6 - th},
    };
    for (const TCase& c : cases) {
        INFO("layout " << int(c.Layout) << ", alignment " << int(c.Alignment));
        b->SetLayout(c.Layout);
        b->SetAlignment(c.Alignment);
        p = b->Places();
        CHECK(Join(p.Glyph.Left, p.Glyph.Top, p.Text.Left, p.Text.Top) == Join(c.GlyphX, c.GlyphY, c.TextX, c.TextY));
        // The glyph is in the face where it was placed.
        CHECK(Px(f.Face(), p.Glyph.Left + 8, p.Glyph.Top + 8) == Rgb(200, 0, 0));
    }
    // Pressed, both move one pixel down and right.
    b->SetDown(true);
    const TzGlyphPlaces down = b->Places();
    CHECK(Join(down.Glyph.Left, down.Text.Top) == Join(p.Glyph.Left + 1, p.Text.Top + 1));
}

TEST_CASE("the adapter of a class-library bit button places glyph and caption as the skinned bit button does")
{
    TButtonFixture<TzBitBtn> f;
    auto* plain = f.Place<TBitBtn>(f.Backdrop, 20, 60, 90, 30);
    plain->SetCaption(WideToAnsi(L"Войти"));
    TzCommonData data(plain, true);
    auto a = CreateAdapter<TSkBitBtnWnd>(plain->Handle(), &data, f.Manager.get(), "BUTTON", true);
    for (TBitBtn* b : {static_cast<TBitBtn*>(f.Button), plain}) {
        b->SetGlyph(SquareGlyph().get());
        b->SetMargin(2);
    }
    for (TButtonLayout layout : {blGlyphLeft, blGlyphRight, blGlyphTop, blGlyphBottom}) {
        CAPTURE(int(layout));
        f.Button->SetLayout(layout);
        plain->SetLayout(layout);
        const TzGlyphPlaces want = f.Button->Places(), got = a->Places();
        CHECK(Join(got.Glyph, got.Text) == Join(want.Glyph, want.Text));
        RedrawWindow(plain->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
        CHECK(WindowPixel(plain->Handle(), got.Glyph.Left + 8, got.Glyph.Top + 8) == Rgb(200, 0, 0));
    }
}

TEST_CASE("a bit button's glyph looks: grey at rest, the image list's strip without a skin")
{
    TButtonFixture<TzBitBtn> f;
    TzBitBtn* b = f.Button;
    TImageList images(f.Form);   // 16 x 16
    images.AddMasked(SquareGlyph().get(), SkinKeyColor);
    b->SetImages(&images);
    b->SetImageIndex(0);
    const TzGlyphPlaces p = b->Places();
    CHECK(Px(f.Face(), p.Glyph.Left + 8, p.Glyph.Top + 8) == Rgb(200, 0, 0));
    b->SetGrayed(true);
    const TColor grey = Px(f.Face(), p.Glyph.Left + 8, p.Glyph.Top + 8);
    CHECK(Channel(grey, 0) == Channel(grey, 1));
    // Hot, a grey glyph shows its colours.
    b->Perform(CM_MOUSEENTER, 0, 0);
    CHECK(Px(f.Face(), p.Glyph.Left + 8, p.Glyph.Top + 8) == Rgb(200, 0, 0));

    // Unskinned, the image becomes a two-frame strip: the image, then its disabled look.
    f.RemoveSkin();
    Pump();
    CHECK(b->NumGlyphs() == 2);
    REQUIRE(b->Glyph()->Width() == 32);
    CHECK(Px(*b->Glyph(), 8, 8) == Rgb(200, 0, 0));
    CHECK(Px(*b->Glyph(), 24, 8) != Rgb(200, 0, 0));
}

TEST_CASE("the buttons' and spin controls' published properties go through form data")
{
    for (const TClassInfo* c : {&TzButton::StaticClassInfo(), &TzBitBtn::StaticClassInfo(),
                                &TzSpeedButton::StaticClassInfo(), &TzSpinButton::StaticClassInfo(),
                                &TImageList::StaticClassInfo(), &TPopupMenu::StaticClassInfo()})
        RegisterClass(*c);
    InitSpinEdits();
    auto source = MakeForm();
    source->SetName("Source");
    auto* button = Named<TzButton>(source.get(), "Button1");
    button->SetDisabledKind(dkGrayed);
    button->SetAnimatEvents(1u << aeMouseDown);
    auto* bit = Named<TzBitBtn>(source.get(), "Bit1", 30);
    bit->SetDisabledGlyphKind(dgGrayed);
    bit->SetImages(Named<TImageList>(source.get(), "Images1"));
    bit->SetAlignment(taLeftJustify);
    bit->SetTextAlignment(taRightJustify);
    auto* speed = Named<TzSpeedButton>(source.get(), "Speed1", 60);
    speed->SetDropdownMenu(Named<TPopupMenu>(source.get(), "Menu1"));
    speed->SetAlign(alLeft);
    auto* edit = Named<TzSpinEdit>(source.get(), "Spin1", 90);
    edit->SetMaxValue(100);
    edit->SetValue(42);
    auto* spin = Named<TzSpinButton>(source.get(), "Arrows1", 120);
    spin->SetUpGlyph(MakeBmp24(9, 5, [](int, int) { return TColor(clRed); }).get());
    spin->SetDownGlyph(MakeBmp24(9, 5, [](int, int) { return TColor(clBlue); }).get());
    spin->SetFocusControl(edit);
    // Its built-in arrows are not written.
    Named<TzSpinButton>(source.get(), "Arrows2", 170);
    const AnsiString bytes = CheckRoundTrip(source.get(), MakeForm().get(), {});
    // Each name once, as form data writes it: after its length.
    for (const char* name : {"DisabledKind", "AnimatEvents", "DisabledGlyphKind", "Images", "Alignment",
                             "TextAlignment", "DropdownMenu", "Align", "Value", "UpGlyph.Data", "DownGlyph.Data",
                             "FocusControl"}) {
        const AnsiString written = char(strlen(name)) + AnsiString(name);
        CHECK_MESSAGE(bytes.find(written) != AnsiString::npos, name);
        CHECK_MESSAGE(bytes.find(written, bytes.find(written) + 1) == AnsiString::npos, name);
    }
}
