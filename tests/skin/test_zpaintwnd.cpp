// Self-painting adapters on windows made with the plain system calls, over a parent whose
// picture is known pixel by pixel: the windows' own clicks counted as their parent hears them,
// skinned and plain; the pictures checked against the skin's colours and that picture.
#include "adapterfixtures.h"

#include "skin/zpaintwnd.h"

#include <commctrl.h>
#include <doctest.h>

using namespace adapt;

namespace {

constexpr TColor Face[3] = {Rgb(30, 60, 90), Rgb(60, 90, 120), Rgb(90, 120, 150)};
constexpr TColor GroupColor = Rgb(180, 200, 160), BarColor = Rgb(150, 160, 170), Grip = Rgb(5, 200, 5);
constexpr TColor Ink = Rgb(1, 1, 1), HotInk = Rgb(2, 2, 2);
const char* const GlyphNames[5] = {"BOXUNCHECKED", "BOXCHECKED", "BOXGRAYED", "RADIOUNCHECKED", "RADIOCHECKED"};
// Frame F of glyph G (of GlyphNames): one colour.
constexpr TColor GlyphColor(int G, int F) { return Rgb(250 - 30 * G, 20 + 70 * F, 60); }
// The parent's picture.
constexpr TColor PicturePx(int X, int Y) { return Rgb(X & 0xFF, Y & 0xFF, 90); }

// The adapters' skin: check glyphs of 8 x 8 frames, a grip, buttons whose three states are
// three colours, a see-through "CHECKBOX" whose text is Ink (HotInk hot).
std::unique_ptr<TSynthSkin> MakePaintSkin()
{
    return MakeAdapterSkin([](TSynthSkin& s) {
        for (int g = 0; g < 5; ++g) {
            const TRect r(g * 24, 24, g * 24 + 24, 40);
            s.Paint(r, [g](int X, int Y) { return Y < 8 ? GlyphColor(g, X / 8) : TColor(0); });
            s.Image("GLOBALINFO", GlyphNames[g], r, 3, 1);
        }
        s.Paint(TRect(0, 40, 18, 52), [](int, int Y) { return Y < 6 ? Grip : TColor(0); });
        s.Image("GLOBALINFO", "GRIPIMAGE", TRect(0, 40, 18, 52), 3, 1);
        s.Paint(TRect(24, 40, 60, 52), [](int X, int) { return Face[X / 12]; });
        for (const char* name : {"BUTTON", "SPEEDBUTTON_SMALL", "TOOLBUTTON"}) {
            s.Section(name);
            s.FontColors("65793 -1 -1 -1 -1", "131586 -1 -1 -1 -1");
            TSkStoredImage& b = s.Image(name, "BORDERSMASK", TRect(24, 40, 60, 52), 3);
            b.WL = b.WT = b.WR = b.WB = 4;
        }
        s.Paint(TRect(64, 40, 70, 46), [](int, int) { return UpMark; });
        s.Image("SCROLLBTNTOP", "GLYPHMASK", TRect(64, 40, 70, 46));
        s.Paint(TRect(72, 40, 78, 46), [](int, int) { return DownMark; });
        s.Image("SCROLLBTNBOTTOM", "GLYPHMASK", TRect(72, 40, 78, 46));
        TzGeneralData& c = s.Section("CHECKBOX");
        c.Transparency = c.HotTransparency = 100;
        s.FontColors("65793 -1 -1 -1 -1", "131586 -1 -1 -1 -1");
        PlainSection(s, "GROUPBOX", GroupColor, GroupColor);
        s.FontColors("65793 -1 -1 -1 -1", "131586 -1 -1 -1 -1");
        PlainSection(s, "BAR", BarColor, BarColor);
    });
}

// A plain window whose picture (for its children's adapters) is PicturePx all over.
LRESULT CALLBACK PictureProc(HWND W, UINT Msg, WPARAM WP, LPARAM LP)
{
    auto* picture = reinterpret_cast<TBitmap*>(GetWindowLongPtrW(W, GWLP_USERDATA));
    if (Msg == SM_SKINCMD && HIWORD(WP) == SKCMD_GETBGIMAGE && picture) {
        SharedCacheInfo = MakeCacheInfo(picture, 0, 0);
        return 0;
    }
    return DefWindowProcW(W, Msg, WP, LP);
}

struct TPaintForm : TAdapterForm {
    std::unique_ptr<TBitmap> Picture = MakeBmp24(400, 300, PicturePx);
    HWND Parent = nullptr;
    TPaintForm() : TAdapterForm(MakePaintSkin())
    {
        WNDCLASSW c{};
        c.lpfnWndProc = &PictureProc;
        c.hInstance = GetModuleHandleW(nullptr);
        c.lpszClassName = L"ZandrelPictureParent";
        RegisterClassW(&c);
        Parent = Child(L"ZandrelPictureParent", 0, 0, TRect(0, 0, 400, 300));
        SetWindowLongPtrW(Parent, GWLP_USERDATA, LONG_PTR(Picture.get()));
    }
    // A window of a system class on the picture, with the dialog font.
    HWND Make(const wchar_t* Class, DWORD Style, const TRect& B, const wchar_t* Text = L"") const
    {
        HWND w = CreateWindowExW(0, Class, Text, WS_CHILD | WS_VISIBLE | Style, B.Left, B.Top, B.Width(), B.Height(),
                                 Parent, nullptr, GetModuleHandleW(nullptr), nullptr);
        REQUIRE(w);
        SendMessageW(w, WM_SETFONT, WPARAM(GetStockObject(DEFAULT_GUI_FONT)), 0);
        return w;
    }
};

// What the window shows now.
std::unique_ptr<TBitmap> Shot(HWND W)
{
    RedrawWindow(W, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    return GrabWindow(W);
}

// The columns and rows of R that hold a pixel of colour C: (left, top, right, bottom), empty
// when none.
TRect InkBox(TBitmap& B, const TRect& R, TColor C)
{
    TRect box(INT_MAX, INT_MAX, INT_MIN, INT_MIN);
    for (int y = R.Top; y < R.Bottom; ++y)
        for (int x = R.Left; x < R.Right; ++x)
            if (Px(B, x, y) == C)
                box = TRect(std::min<int>(box.Left, x), std::min<int>(box.Top, y), std::max<int>(box.Right, x + 1),
                            std::max<int>(box.Bottom, y + 1));
    return box.Left == INT_MAX ? TRect() : box;
}

// Rows of R holding ink, counted as separate bands (the lines of a text).
int InkBands(TBitmap& B, const TRect& R, TColor C)
{
    int bands = 0;
    bool inside = false;
    for (int y = R.Top; y < R.Bottom; ++y) {
        const bool ink = !InkBox(B, TRect(R.Left, y, R.Right, y + 1), C).IsEmpty();
        bands += ink && !inside;
        inside = ink;
    }
    return bands;
}

int CountClicks(const TMsgRecorder& Rec)
{
    int n = 0;
    for (const TMsgEntry& e : Rec.Entries())
        n += e.Param == BN_CLICKED;
    return n;
}

} // namespace

TEST_CASE("a foreign push button under its adapter clicks once a press by mouse, space bar and BM_CLICK, and "
          "shows its pressed, hot and resting faces")
{
    TPaintForm f;
    for (bool skinned : {true, false}) {
        CAPTURE(skinned);
        HWND b = f.Make(L"BUTTON", BS_PUSHBUTTON, TRect(10, 10, 100, 40), L"Войти");
        auto a = skinned ? f.Adapt<TSkBtnWnd>(b, "BUTTON") : nullptr;
        TMsgRecorder rec({WM_COMMAND});
        rec.Attach(f.Parent, "parent");
        SetFocus(f.Form->Handle());
        if (skinned)
            CHECK(Px(*Shot(b), 2, 2) == Face[0]);
        SendMessageW(b, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
        if (skinned)
            CHECK(WindowPx(b, 2, 2) == Face[2]);
        SendMessageW(b, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
        if (skinned)
            CHECK(WindowPx(b, 2, 2) == Face[1]);
        SendMessageW(b, WM_KEYDOWN, VK_SPACE, 1);
        SendMessageW(b, WM_KEYUP, VK_SPACE, 0xC0000001);
        SendMessageW(b, BM_CLICK, 0, 0);
        TAdapterForm::Pump();
        CHECK(CountClicks(rec) == 3);
        a.reset();
        DestroyWindow(b);
    }
}

TEST_CASE("a foreign button with an image, a bitmap or an icon, shows it alone, centred")
{
    TPaintForm f;
    auto square = MakeBmp24(12, 12, [](int, int) { return Rgb(200, 0, 0); });
    TOwnedBitmap mask(CreateBitmap(12, 12, 1, 1, nullptr));
    ICONINFO info{TRUE, 0, 0, mask.Handle(), square->Handle()};
    const HICON icon = CreateIconIndirect(&info);
    for (bool asIcon : {false, true}) {
        CAPTURE(asIcon);
        HWND b = f.Make(L"BUTTON", asIcon ? BS_ICON : BS_BITMAP, TRect(10, 10, 60, 40), L"Картинка");
        SendMessageW(b, BM_SETIMAGE, asIcon ? IMAGE_ICON : IMAGE_BITMAP,
                     asIcon ? LPARAM(icon) : LPARAM(square->Handle()));
        auto a = f.Adapt<TSkBitBtnWnd>(b, "BUTTON");
        CHECK(a->Places().Glyph == Bounds(19, 9, 12, 12));
        CHECK(a->Places().Text.IsEmpty());
        CHECK(Px(*Shot(b), 25, 15) == Rgb(200, 0, 0));
        a.reset();
        DestroyWindow(b);
    }
    DestroyIcon(icon);
}

TEST_CASE("foreign check boxes and radio buttons: the skin's glyph of the check state in the window's state, "
          "the caption beside it, clicks the windows' own")
{
    TPaintForm f;
    HWND box = f.Make(L"BUTTON", BS_AUTO3STATE, TRect(10, 50, 160, 70), L"Флажок");
    HWND radio = f.Make(L"BUTTON", BS_AUTORADIOBUTTON, TRect(10, 80, 160, 100), L"Ελληνικά");
    auto a = f.Adapt<TSkCheckBoxWnd>(box, "CHECKBOX");
    auto r = f.Adapt<TSkCheckBoxWnd>(radio, "CHECKBOX");
    TMsgRecorder rec({WM_COMMAND});
    rec.Attach(f.Parent, "parent");
    SetFocus(f.Form->Handle());
    const auto glyph = [&](HWND W, TSkCheckBoxWnd* A) {
        RedrawWindow(W, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
        return WindowPx(W, A->GlyphRect().Left + 3, A->GlyphRect().Top + 3);
    };
    const auto click = [](HWND W) {
        SendMessageW(W, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
        SendMessageW(W, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    };
    CHECK(a->GlyphRect() == Bounds(0, 6, 8, 8));
    CHECK(glyph(box, a.get()) == GlyphColor(0, 0));
    // The caption stands on the parent's picture, 2 pixels after the glyph.
    auto shot = Shot(box);
    CHECK(Px(*shot, 140, 2) == PicturePx(10 + 140, 50 + 2));
    CHECK(InkBox(*shot, TRect(0, 0, 150, 20), Ink).Left >= 10);
    // Held down, then each click to the next state: checked, indeterminate, unchecked.
    SendMessageW(box, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    CHECK(glyph(box, a.get()) == GlyphColor(0, 2));
    SendMessageW(box, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    SetFocus(f.Form->Handle());
    CHECK(glyph(box, a.get()) == GlyphColor(1, 0));
    click(box);
    SetFocus(f.Form->Handle());
    CHECK(glyph(box, a.get()) == GlyphColor(2, 0));
    CHECK(glyph(radio, r.get()) == GlyphColor(3, 0));
    click(radio);
    CHECK(glyph(radio, r.get()) == GlyphColor(4, 1));   // and focused
    CHECK(CountClicks(rec) == 3);
    // The hot window: the mouse over the box makes it hot; over the radio button, the box is
    // no longer.
    SetFocus(f.Form->Handle());
    RECT wr{};
    GetWindowRect(box, &wr);
    MoveCursor(TPoint(wr.left + 40, wr.top + 5));
    SendMessageW(box, WM_MOUSEMOVE, 0, MAKELPARAM(40, 5));
    CHECK(glyph(box, a.get()) == GlyphColor(2, 1));
    GetWindowRect(radio, &wr);
    MoveCursor(TPoint(wr.left + 40, wr.top + 5));
    SendMessageW(radio, WM_MOUSEMOVE, 0, MAKELPARAM(40, 5));
    CHECK(glyph(box, a.get()) == GlyphColor(2, 0));
    CHECK(glyph(radio, r.get()) == GlyphColor(4, 1));
}

TEST_CASE("a foreign static shows its text as its styles say: wrapped, without prefix, aligned, cut with an "
          "ellipsis; a new text painted from the skin")
{
    TPaintForm f;
    const WideString words = L"Первая строка сообщения && вторая строка";
    HWND wrapped = f.Make(L"STATIC", SS_LEFT | SS_NOPREFIX, TRect(10, 10, 130, 60), words.c_str());
    HWND right = f.Make(L"STATIC", SS_RIGHT, TRect(10, 70, 210, 90), L"&&&&");
    HWND plain = f.Make(L"STATIC", SS_LEFT | SS_NOPREFIX, TRect(210, 70, 390, 90), L"&&&&");
    HWND cut = f.Make(L"STATIC", SS_LEFT | SS_ENDELLIPSIS, TRect(10, 100, 130, 140), words.c_str());
    auto a1 = f.Adapt<TSkStaticWnd>(wrapped, "CHECKBOX");
    auto a2 = f.Adapt<TSkStaticWnd>(right, "CHECKBOX");
    auto a4 = f.Adapt<TSkStaticWnd>(plain, "CHECKBOX");
    auto a3 = f.Adapt<TSkStaticWnd>(cut, "CHECKBOX");
    auto shot = Shot(wrapped);
    CHECK(Px(*shot, 119, 49) == PicturePx(10 + 119, 10 + 49));
    CHECK(InkBands(*shot, TRect(0, 0, 120, 50), Ink) >= 2);
    CHECK(InkBands(*Shot(cut), TRect(0, 0, 120, 40), Ink) == 1);
    // Four ampersands are two, at the right edge; with SS_NOPREFIX four.
    const TRect two = InkBox(*Shot(right), TRect(0, 0, 200, 20), Ink);
    CHECK(two.Right >= 197);
    CHECK(InkBox(*Shot(plain), TRect(0, 0, 180, 20), Ink).Width() > two.Width() + TextWidth(right, L"&"));
    SetWindowTextW(right, L"&&&&&&&&");
    CHECK(InkBox(*GrabWindow(right), TRect(0, 0, 200, 20), Ink).Width() > two.Width() + TextWidth(right, L"&"));
    CHECK(WindowPx(right, 2, 2) == PicturePx(10 + 2, 70 + 2));
}

TEST_CASE("a foreign group box: the frame from its caption's middle down, its wide caption over the parent's "
          "picture")
{
    TPaintForm f;
    HWND box = f.Make(L"BUTTON", BS_GROUPBOX, TRect(10, 10, 210, 110), L"Ελληνικά Ω");
    auto a = f.Adapt<TSkGroupBoxWnd>(box, "GROUPBOX");
    const TRect caption = a->CaptionRect();
    auto shot = Shot(box);
    CHECK(Px(*shot, 100, 60) == GroupColor);
    CHECK(Px(*shot, caption.Right + 5, 1) == PicturePx(10 + caption.Right + 5, 10 + 1));
    CHECK(Px(*shot, caption.Right + 5, caption.Bottom) == GroupColor);
    // Greek letters are not in the ANSI code page: the ANSI call would draw question marks.
    const int wide = TextWidth(box, L"Ελληνικά Ω"), ansi = TextWidth(box, L"???????? ?");
    const int ink = InkBox(*shot, caption, Ink).Width();
    CHECK(std::abs(ink - wide) < std::abs(ink - ansi));
    CHECK(SendMessageW(box, SM_SKINCMD, SkinCommandWParam(SKCMD_GETCAPTIONHEIGHT), 0) == caption.Height());
}

TEST_CASE("a foreign size box shows the skin's grip and sizes; a foreign up-down's buttons in their states, its "
          "steps its own")
{
    TPaintForm f;
    HWND grip = f.Make(L"SCROLLBAR", SBS_SIZEBOX, TRect(300, 150, 316, 166));
    auto g = f.Adapt<TSkSizerWnd>(grip, "CHECKBOX");
    CHECK(WindowPx(grip, 15, 15) == Grip);
    CHECK(WindowPx(grip, 1, 1) == PicturePx(301, 151));
    CHECK(SendMessageW(grip, WM_NCHITTEST, 0, 0) == HTBOTTOMRIGHT);

    HWND spin = f.Make(UPDOWN_CLASSW, 0, TRect(200, 10, 220, 50));
    SendMessageW(spin, UDM_SETRANGE32, 0, 10);
    auto s = f.Adapt<TSkSpinWnd>(spin, "SPEEDBUTTON_SMALL");
    TMsgRecorder rec({WM_VSCROLL});
    rec.Attach(f.Parent, "parent");
    const auto face = [&](int Y) { return WindowPx(spin, 1, Y); };
    RedrawWindow(spin, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    CHECK(Join(face(1), face(38), WindowPx(spin, 10, 10), WindowPx(spin, 10, 30)) ==
          Join(Face[0], Face[0], UpMark, DownMark));
    SendMessageW(spin, WM_MOUSEMOVE, 0, MAKELPARAM(10, 30));
    CHECK(Join(face(1), face(38)) == Join(Face[0], Face[1]));
    SendMessageW(spin, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 5));
    CHECK(face(1) == Face[2]);
    SendMessageW(spin, WM_LBUTTONUP, 0, MAKELPARAM(10, 5));
    CHECK(face(1) == Face[0]);
    CHECK(SendMessageW(spin, UDM_GETPOS32, 0, 0) == 1);
    CHECK(rec.MessagesOf("parent").size() >= 1);
}

TEST_CASE("a foreign tool bar: its buttons from the skin in their states, images and wide texts, a disabled one "
          "dimmed, its clicks its own")
{
    TPaintForm f;
    HWND bar = f.Make(TOOLBARCLASSNAMEW, TBSTYLE_FLAT | TBSTYLE_LIST | CCS_NORESIZE | CCS_NODIVIDER,
                      TRect(0, 200, 400, 230));
    SendMessageW(bar, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
    TBBUTTON buttons[3] = {};
    const wchar_t* texts[3] = {L"Открыть", L"Ελληνικά", L"Выкл"};
    for (int i = 0; i < 3; ++i) {
        buttons[i].iBitmap = I_IMAGENONE;
        buttons[i].idCommand = 100 + i;
        buttons[i].fsState = i == 2 ? 0 : TBSTATE_ENABLED;
        buttons[i].fsStyle = i == 1 ? BTNS_CHECK : BTNS_BUTTON;
        buttons[i].iString = INT_PTR(texts[i]);
    }
    SendMessageW(bar, TB_ADDBUTTONSW, 3, LPARAM(buttons));
    SendMessageW(bar, TB_CHECKBUTTON, 101, TRUE);
    auto a = f.Adapt<TSkToolBarWnd>(bar, "BAR");
    TMsgRecorder rec({WM_COMMAND});
    rec.Attach(f.Parent, "parent");
    rec.Name(bar, "bar");
    RECT r[3];
    for (int i = 0; i < 3; ++i)
        SendMessageW(bar, TB_GETITEMRECT, WPARAM(i), LPARAM(&r[i]));
    auto shot = Shot(bar);
    const TRect last(r[2].left, r[2].top, r[2].right, r[2].bottom);
    CHECK(Join(Px(*shot, r[0].left + 1, r[0].top + 1), Px(*shot, r[1].left + 1, r[1].top + 1)) ==
          Join(Face[0], Face[2]));
    CHECK(Px(*shot, r[2].right + 5, r[2].top + 1) == BarColor);
    // 40 % of the button over the bar.
    const TColor dim = Px(*shot, last.Left + 1, last.Top + 1);
    for (int k = 0; k < 3; ++k)
        CHECK(std::abs(Channel(dim, k) - (Channel(Face[0], k) * 2 + Channel(BarColor, k) * 3) / 5) <= 2);
    const int ink = InkBox(*shot, TRect(r[1].left, r[1].top, r[1].right, r[1].bottom), HotInk).Width();
    CHECK(std::abs(ink - TextWidth(bar, texts[1])) < std::abs(ink - TextWidth(bar, L"????????")));
    SendMessageW(bar, WM_MOUSEMOVE, 0, MAKELPARAM(r[0].left + 3, r[0].top + 3));
    CHECK(Px(*GrabWindow(bar), r[0].left + 1, r[0].top + 1) == Face[1]);
    SendMessageW(bar, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(r[0].left + 3, r[0].top + 3));
    SendMessageW(bar, WM_LBUTTONUP, 0, MAKELPARAM(r[0].left + 3, r[0].top + 3));
    TAdapterForm::Pump();
    CHECK_MESSAGES(rec, {"parent", WM_COMMAND, 0, "bar"});
}

TEST_CASE("a child dialog under the transparent panel's adapter shows the parent's picture, frame included")
{
    TPaintForm f;
    HWND panel = f.Make(L"#32770", WS_BORDER, TRect(50, 50, 150, 120));
    auto a = f.Adapt<TSkTransPanelWnd>(panel, "CHECKBOX");
    RedrawWindow(panel, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_UPDATENOW);
    CHECK(Join(WindowPx(panel, 0, 0), WindowPx(panel, 40, 30)) == Join(PicturePx(50, 50), PicturePx(90, 80)));
}
