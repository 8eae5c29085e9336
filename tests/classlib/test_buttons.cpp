#include <doctest.h>
#include "classlib/buttons.h"
#include "form_helpers.h"
#include "graphics_helpers.h"
#include "msgrecorder.h"

#include <utility>

namespace {

constexpr int kGlyphW = 12, kGlyphH = 10;

// A strip of glyph images, each a block of one colour; the strip's bottom-left pixel, and so
// its transparent colour, is fuchsia.
std::unique_ptr<TBitmap> GlyphStrip(std::initializer_list<TColor> Frames)
{
    auto b = std::make_unique<TBitmap>();
    NewBmp24(*b, kGlyphW * static_cast<int>(Frames.size()), kGlyphH, clWhite);
    int x = 0;
    for (TColor c : Frames) {
        b->Canvas()->Brush()->SetColor(c);
        b->Canvas()->FillRect(Bounds(x, 0, kGlyphW, kGlyphH));
        x += kGlyphW;
    }
    b->Canvas()->SetPixels(0, kGlyphH - 1, clFuchsia);
    return b;
}

template <class T> void Dress(T* C, const AnsiString& Caption, std::initializer_list<TColor> Frames = {clRed})
{
    C->Font()->SetName("Tahoma");
    C->Font()->SetHeight(-13);
    C->Font()->SetColor(clBlack);
    C->SetCaption(Caption);
    C->SetGlyph(GlyphStrip(Frames).get());
    C->SetNumGlyphs(static_cast<int>(Frames.size()));
}

// A control painted alone over teal (a windowed one with its window's own painting).
void Render(TControl* C, TBitmap& Bmp)
{
    NewBmp24(Bmp, C->Width(), C->Height(), clTeal);
    if (auto* win = dynamic_cast<TWinControl*>(C))
        win->PaintTo(Bmp.Canvas()->Handle(), 0, 0);
    else
        C->Perform(WM_PAINT, reinterpret_cast<WPARAM>(Bmp.Canvas()->Handle()), 0);
    GdiFlush();
}

TSize TextSize(TFont* Font, const AnsiString& Text)
{
    TBitmap probe;
    probe.Canvas()->SetFont(Font);
    return TAnsiCaptionText(Text).Extent(probe.Canvas()->Handle(), 0);
}

TColor Sys(int Index)
{
    return ColorToRGB(SysColor(Index));
}

struct TClicks {
    int Count = 0;
    void Click(TObject*) { ++Count; }
};

// A left-button press and release at (X, Y) of a window, the release at (UpX, UpY).
void Press(HWND Wnd, int X, int Y, int UpX, int UpY, bool Double = false)
{
    SendMessageA(Wnd, Double ? WM_LBUTTONDBLCLK : WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(X, Y));
    SendMessageA(Wnd, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(UpX, UpY));
    SendMessageA(Wnd, WM_LBUTTONUP, 0, MAKELPARAM(UpX, UpY));
}

} // namespace

TEST_CASE("a glyph and a caption are placed by layout, margin and spacing")
{
    TSpeedButton button(nullptr);
    button.SetBounds(0, 0, 120, 60);
    Dress(&button, "Go");
    const TSize text = TextSize(button.Font(), "Go");
    const TRect inner(2, 2, 118, 58);   // inside the raised edge
    struct TCase {
        TButtonLayout Layout;
        int Margin, Spacing;
    };
    for (TCase c : {TCase{blGlyphLeft, 4, 6}, TCase{blGlyphRight, 4, 6}, TCase{blGlyphTop, 5, 3},
                    TCase{blGlyphBottom, 5, 3}, TCase{blGlyphLeft, -1, 6}, TCase{blGlyphTop, -1, -1},
                    TCase{blGlyphRight, 4, -1}}) {
        CAPTURE(c.Layout);
        CAPTURE(c.Margin);
        CAPTURE(c.Spacing);
        button.SetLayout(c.Layout);
        button.SetMargin(c.Margin);
        button.SetSpacing(c.Spacing);
        // The model: margin, glyph, gap and caption along the axis from the glyph's side,
        // each of the two centred across it.
        const bool across = c.Layout == blGlyphLeft || c.Layout == blGlyphRight;
        const int room = across ? inner.Width() : inner.Height();
        const int g = across ? kGlyphW : kGlyphH, t = across ? text.cx : text.cy;
        int m = c.Margin, s = c.Spacing;
        if (m < 0 && s < 0)
            m = s = (room - g - t) / 3;
        else if (m < 0)
            m = (room - g - s - t) / 2;
        else if (s < 0)
            s = (room - m - g - t) / 2;
        const bool fromEnd = c.Layout == blGlyphRight || c.Layout == blGlyphBottom;
        const int glyphAt = fromEnd ? room - m - g : m, textAt = fromEnd ? glyphAt - s - t : m + g + s;
        TRect glyph = across ? Bounds(inner.Left + glyphAt, inner.Top + (inner.Height() - kGlyphH) / 2, kGlyphW, kGlyphH)
                             : Bounds(inner.Left + (inner.Width() - kGlyphW) / 2, inner.Top + glyphAt, kGlyphW, kGlyphH);
        TRect caption = across ? Bounds(inner.Left + textAt, inner.Top + (inner.Height() - text.cy) / 2, text.cx, text.cy)
                               : Bounds(inner.Left + (inner.Width() - text.cx) / 2, inner.Top + textAt, text.cx, text.cy);
        TBitmap bmp;
        Render(&button, bmp);
        CHECK(Extent(bmp, inner, clRed) == glyph);
        CHECK(PixelAt(bmp, glyph.Left, glyph.Bottom - 1) == Sys(COLOR_BTNFACE));   // the transparent pixel
        TRect ink = Extent(bmp, inner, clBlack);
        CHECK_FALSE(ink.IsEmpty());
        CHECK(ink.Left >= caption.Left);
        CHECK(ink.Top >= caption.Top);
        CHECK(ink.Right <= caption.Right);
        CHECK(ink.Bottom <= caption.Bottom);
    }
}

TEST_CASE("a speed button's looks: raised, pressed, and held down in a group")
{
    TSpeedButton button(nullptr);
    button.SetBounds(0, 0, 40, 30);
    Dress(&button, "");
    TBitmap up, bmp;
    Render(&button, up);
    const TRect glyph = Extent(up, TRect(0, 0, 40, 30), clRed);
    CHECK(glyph == Bounds(14, 10, kGlyphW, kGlyphH));   // centred: no caption, no gap
    CheckPixels(up, {{20, 0, Sys(COLOR_3DLIGHT)}, {20, 1, Sys(COLOR_BTNHIGHLIGHT)}, {20, 29, Sys(COLOR_3DDKSHADOW)},
                     {20, 28, Sys(COLOR_BTNSHADOW)}, {5, 5, Sys(COLOR_BTNFACE)}});

    SUBCASE("pressed: sunken, the glyph one pixel down and right")
    {
        button.Perform(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
        CHECK(button.State() == bsDown);
        Render(&button, bmp);
        CHECK(Extent(bmp, TRect(0, 0, 40, 30), clRed) == Bounds(15, 11, kGlyphW, kGlyphH));
        CheckPixels(bmp, {{20, 0, Sys(COLOR_BTNSHADOW)}, {20, 1, Sys(COLOR_3DDKSHADOW)}, {20, 29, Sys(COLOR_BTNHIGHLIGHT)}});
        button.Perform(WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
        CHECK(button.State() == bsUp);
    }
    SUBCASE("held down in a group: sunken over a checkerboard of highlight and face")
    {
        button.SetGroupIndex(1);
        button.SetDown(true);
        CHECK(button.State() == bsExclusive);
        Render(&button, bmp);
        CHECK(Extent(bmp, TRect(0, 0, 40, 30), clRed) == Bounds(15, 11, kGlyphW, kGlyphH));
        CheckPixels(bmp, {{4, 4, Sys(COLOR_BTNHIGHLIGHT)}, {5, 4, Sys(COLOR_BTNFACE)}, {5, 5, Sys(COLOR_BTNHIGHLIGHT)}});
    }
}

TEST_CASE("a speed button's looks: flat, transparent, and disabled")
{
    TSpeedButton button(nullptr);
    button.SetBounds(0, 0, 40, 30);
    Dress(&button, "");
    TBitmap bmp;
    const TRect glyph = Bounds(14, 10, kGlyphW, kGlyphH);   // where the raised look has it


    SUBCASE("flat: an edge only while the mouse is over it; transparent, the parent shows")
    {
        button.SetFlat(true);
        button.SetTransparent(false);
        Render(&button, bmp);
        CheckPixels(bmp, {{20, 0, Sys(COLOR_BTNFACE)}, {20, 29, Sys(COLOR_BTNFACE)}});
        button.Perform(CM_MOUSEENTER, 0, 0);
        CHECK(button.MouseInControl());
        Render(&button, bmp);
        CheckPixels(bmp, {{20, 0, Sys(COLOR_BTNHIGHLIGHT)}, {20, 29, Sys(COLOR_BTNSHADOW)}});
        button.Perform(CM_MOUSELEAVE, 0, 0);
        button.SetTransparent(true);
        CHECK_FALSE((button.ControlStyle() & csOpaque));
        Render(&button, bmp);
        CheckPixels(bmp, {{20, 0, clTeal}, {5, 5, clTeal}});
        CHECK(Extent(bmp, TRect(0, 0, 40, 30), clRed) == glyph);
    }
    SUBCASE("disabled: the glyph's second image, or the picture embossed in grey")
    {
        // The picture's light part vanishes; its dark part is the shadow with the highlight
        // one pixel down and right.
        button.Glyph()->Canvas()->Brush()->SetColor(clWhite);
        button.Glyph()->Canvas()->FillRect(TRect(8, 0, kGlyphW, kGlyphH));
        button.SetEnabled(false);
        CHECK(button.State() == bsDisabled);
        Render(&button, bmp);
        CHECK(CountOf(bmp, TRect(0, 0, 40, 30), clRed) == 0);
        CheckPixels(bmp, {{glyph.Left + 5, glyph.Top + 5, Sys(COLOR_BTNSHADOW)},
                          {glyph.Left + 8, glyph.Top + 5, Sys(COLOR_BTNHIGHLIGHT)},
                          {glyph.Left + 8, glyph.Top, Sys(COLOR_BTNFACE)},
                          {glyph.Left + 10, glyph.Top + 5, Sys(COLOR_BTNFACE)},
                          {glyph.Left, glyph.Bottom - 1, Sys(COLOR_BTNFACE)}});
        Dress(&button, "", {clRed, clBlue});
        Render(&button, bmp);
        CHECK(Extent(bmp, TRect(0, 0, 40, 30), clBlue) == glyph);
        // A strip of square images tells how many it holds.
        TBitmap squares;
        button.SetGlyph(NewBmp24(squares, 30, 10, clRed));
        CHECK(button.NumGlyphs() == 3);
    }
}

TEST_CASE("speed buttons: one click a press released over the button, one down button a group")
{
    auto form = MakeForm();
    TClicks clicks;
    std::vector<TSpeedButton*> b;
    for (int i = 0; i < 3; ++i) {
        b.push_back(Add<TSpeedButton>(form.get(), 10 + 30 * i, 10, 25, 25));
        b[i]->SetGroupIndex(i < 2 ? 1 : 0);
        b[i]->OnClick = MakeMethod<&TClicks::Click>(&clicks);
    }
    HWND wnd = form->Handle();
    auto press = [&](int i, bool inside = true) { Press(wnd, 20 + 30 * i, 20, inside ? 20 + 30 * i : 200, 20); };

    press(0);
    CHECK(b[0]->Down());
    CHECK_FALSE(b[1]->Down());
    press(1);
    CHECK_FALSE(b[0]->Down());
    CHECK(b[1]->Down());
    CHECK(clicks.Count == 2);
    // The down button of a group stays down until AllowAllUp, which the whole group shares.
    press(1);
    CHECK(b[1]->Down());
    b[0]->SetAllowAllUp(true);
    CHECK(b[1]->AllowAllUp());
    press(1);
    CHECK_FALSE(b[1]->Down());
    CHECK(clicks.Count == 4);
    // A release away from the button: no click, no change.
    press(0, false);
    CHECK_FALSE(b[0]->Down());
    CHECK(b[0]->State() == bsUp);
    CHECK(clicks.Count == 4);
    // Two presses of a double click are two clicks; without a group nothing stays down.
    SendMessageA(wnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(80, 20));
    SendMessageA(wnd, WM_LBUTTONUP, 0, MAKELPARAM(80, 20));
    Press(wnd, 80, 20, 80, 20, true);
    CHECK(clicks.Count == 6);
    b[2]->SetDown(true);
    CHECK_FALSE(b[2]->Down());
    b[0]->SetDown(true);
    b[0]->SetGroupIndex(0);
    CHECK_FALSE(b[0]->Down());
}

TEST_CASE("a bit button draws its face, glyph and caption")
{
    auto form = MakeForm();
    auto* button = Add<TBitBtn>(form.get(), 10, 10, 100, 40);
    Dress(button, "");
    button->SetLayout(blGlyphTop);
    button->SetMargin(2);
    CHECK((GetWindowLongA(button->Handle(), GWL_STYLE) & BS_TYPEMASK) == BS_OWNERDRAW);
    TBitmap bmp;
    Render(button, bmp);
    // Inside the edges and the room of the focus frame: 4 pixels.
    CHECK(Extent(bmp, TRect(0, 0, 100, 40), clRed) == Bounds(44, 6, kGlyphW, kGlyphH));
    CheckPixels(bmp, {{50, 0, Sys(COLOR_3DLIGHT)}, {50, 39, Sys(COLOR_3DDKSHADOW)}, {50, 30, Sys(COLOR_BTNFACE)}});

    SUBCASE("the default button is framed; pressed, its content moves")
    {
        button->SetDefault(true);
        CHECK((GetWindowLongA(button->Handle(), GWL_STYLE) & BS_TYPEMASK) == BS_OWNERDRAW);
        Render(button, bmp);
        CheckPixels(bmp, {{50, 0, Sys(COLOR_WINDOWFRAME)}, {50, 1, Sys(COLOR_3DLIGHT)}});
        SendMessageA(button->Handle(), BM_SETSTATE, TRUE, 0);
        Render(button, bmp);
        CheckPixels(bmp, {{50, 0, Sys(COLOR_WINDOWFRAME)}, {50, 1, Sys(COLOR_BTNSHADOW)}, {50, 2, Sys(COLOR_BTNFACE)}});
        CHECK(Extent(bmp, TRect(0, 0, 100, 40), clRed) == Bounds(45, 7, kGlyphW, kGlyphH));
    }
    SUBCASE("a caption beside the glyph; disabled, both grey")
    {
        button->SetCaption("Go");
        button->SetLayout(blGlyphLeft);
        button->SetMargin(4);
        button->SetSpacing(6);
        Render(button, bmp);
        CHECK(Extent(bmp, TRect(0, 0, 100, 40), clRed).Left == 8);
        TRect ink = Extent(bmp, TRect(0, 0, 100, 40), clBlack);
        CHECK(ink.Left >= 8 + kGlyphW + 6);
        CHECK(ink.Left <= 8 + kGlyphW + 6 + 2);
        button->SetEnabled(false);
        Render(button, bmp);
        CHECK(CountOf(bmp, TRect(0, 0, 100, 40), clRed) == 0);
        CHECK(CountOf(bmp, TRect(0, 0, 100, 40), clBlack) == 0);
        CHECK(CountOf(bmp, ink, Sys(COLOR_BTNSHADOW)) > 5);
    }
}

TEST_CASE("a bit button clicks once a press, the second press of a double click too")
{
    auto form = MakeForm();
    auto* button = Add<TBitBtn>(form.get(), 10, 10, 100, 40);
    TClicks clicks;
    button->OnClick = MakeMethod<&TClicks::Click>(&clicks);
    TMsgRecorder rec({WM_COMMAND});
    rec.Attach(form->Handle(), "form");
    rec.Name(button->Handle(), "button");
    Press(button->Handle(), 20, 20, 20, 20);
    Press(button->Handle(), 20, 20, 20, 20, true);
    CHECK_MESSAGES(rec, {"form", WM_COMMAND, BN_CLICKED, "button"}, {"form", WM_COMMAND, BN_CLICKED, "button"});
    CHECK(clicks.Count == 2);
    // Alt with the caption's hot key clicks the control, not its window.
    button->SetCaption("&Bit");
    ShowOnTop(form.get());
    FocusOn(button);
    rec.Clear();
    PostMessageA(button->Handle(), WM_SYSCHAR, 'b', 0x20000000);
    Pump();
    CHECK(clicks.Count == 3);
    CHECK(rec.Entries().empty());

    // A close button closes its form.
    button->SetKind(bkClose);
    SendMessageA(button->Handle(), BM_CLICK, 0, 0);
    CHECK_FALSE(form->Visible());
    CHECK(clicks.Count == 4);
}

TEST_CASE("speed buttons and bit buttons go through form data")
{
    for (const TClassInfo* c : {&TSpeedButton::StaticClassInfo(), &TBitBtn::StaticClassInfo()})
        RegisterClass(*c);
    auto source = MakeForm();
    source->SetName("Source");
    auto* speed = Add<TSpeedButton>(source.get(), 10, 10, 60, 25);
    speed->SetName("Speed1");
    Dress(speed, "", {clRed, clBlue});
    // Read back, Down comes only after the group that lets it be down.
    speed->SetGroupIndex(3);
    speed->SetAllowAllUp(true);
    speed->SetDown(true);
    speed->SetLayout(blGlyphBottom);
    speed->SetMargin(2);
    speed->SetSpacing(-1);
    speed->SetFlat(true);
    auto* bit = Add<TBitBtn>(source.get(), 80, 10, 60, 25);
    bit->SetName("Bit1");
    bit->SetKind(bkOK);
    bit->SetCaption("Accept");
    auto form = MakeForm();
    CheckRoundTrip(source.get(), form.get(), {"Glyph.Data", "NumGlyphs", "GroupIndex", "AllowAllUp", "Down", "Layout",
                                              "Margin", "Spacing", "Flat", "Kind", "ModalResult"});
    auto* speedCopy = dynamic_cast<TSpeedButton*>(form->FindComponent("Speed1"));
    auto* bitCopy = dynamic_cast<TBitBtn*>(form->FindComponent("Bit1"));
    REQUIRE((speedCopy && bitCopy));
    CHECK(speedCopy->Down());
    // The kind, read after the caption, keeps the caption written.
    CHECK(bitCopy->Caption() == "Accept");
    CHECK(bitCopy->ModalResult() == mrOk);
}
