// Fixtures of the window-adapter tests: a skin whose scroll and edit sections are plain
// colours (so every painted piece of a bar is known by its colour), a visible form to put
// plain windows and library controls on, a window class whose scrolling is written down,
// and readers of the pixels a window shows.
#pragma once

#include "msgrecorder.h"
#include "pixels.h"
#include "skinfixtures.h"
#include "synthskin.h"

#include "classlib/forms.h"
#include "classlib/gdihandles.h"
#include "skin/zclientwnd.h"
#include "skin/zcommondata.h"
#include "skin/zscrollwnd.h"
#include "skin/zskinmanager.h"

#include <commctrl.h>
#include <doctest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <string>

namespace adapt {

// Normal and hot (pressed) colours of the pieces.
constexpr TColor EditColor = Rgb(200, 220, 240);
constexpr TColor EditHot = Rgb(190, 210, 230);
constexpr TColor Track1 = Rgb(10, 20, 30), Track1Hot = Rgb(110, 20, 30);
constexpr TColor Track2 = Rgb(40, 50, 60), Track2Hot = Rgb(140, 50, 60);
constexpr TColor Arrow = Rgb(0, 128, 0), ArrowHot = Rgb(0, 255, 0);
constexpr TColor Thumb = Rgb(0, 0, 128), ThumbHot = Rgb(0, 0, 255);
constexpr TColor CornerColor = Rgb(90, 90, 90);
constexpr TColor TreeHot = Rgb(250, 240, 200);

// A plain section of the colour and the hot colour.
inline void PlainSection(TSynthSkin& S, const char* Name, TColor C, TColor Hot)
{
    TzGeneralData& d = S.Section(Name);
    d.Color = C;
    d.HotColor = Hot;
}

// The skin: plain sections; "FRAMED" has a border of keyed corners (the master bitmap's
// pixels at (0, 0, 24, 24), one frame, margins 4). More adds to it before it is read.
inline std::unique_ptr<TSynthSkin> MakeAdapterSkin(const std::function<void(TSynthSkin&)>& More = {})
{
    auto s = std::make_unique<TSynthSkin>();
    const auto sec = [&](const char* Name, TColor C, TColor Hot) { PlainSection(*s, Name, C, Hot); };
    sec("GLOBALINFO", Rgb(1, 2, 3), CornerColor);
    sec("EDIT", EditColor, TreeHot);
    s->FontColors("65793 -1 -1 -1 -1", "131586 -1 -1 -1 -1");   // Rgb(1, 1, 1), Rgb(2, 2, 2)
    sec("SCROLLBAR1H", Track1, Track1Hot);
    sec("SCROLLBAR1V", Track1, Track1Hot);
    sec("SCROLLBAR2H", Track2, Track2Hot);
    sec("SCROLLBAR2V", Track2, Track2Hot);
    for (const char* n : {"SCROLLBTNLEFT", "SCROLLBTNRIGHT", "SCROLLBTNTOP", "SCROLLBTNBOTTOM"})
        sec(n, Arrow, ArrowHot);
    sec("SCROLLSLIDERH", Thumb, ThumbHot);
    sec("SCROLLSLIDERV", Thumb, ThumbHot);
    sec("FRAMED", EditColor, EditHot);
    TSkStoredImage& b = s->Image("FRAMED", "BORDERSMASK", TRect(0, 0, 24, 24));
    b.WL = b.WT = b.WR = b.WB = 4;
    if (More)
        More(*s);
    s->Load();
    s->Manager->RebuildCache();
    return s;
}

// The pieces of combo boxes and lists: a combo button whose three states are three colours,
// the combo glyph, column headers, sort marks (the glyphs of the up and down arrows) and the
// popup menu's section.
constexpr TColor ComboColor = Rgb(220, 230, 200);
constexpr TColor ComboBtn[3] = {Rgb(30, 60, 90), Rgb(60, 90, 120), Rgb(90, 120, 150)};
constexpr TColor ComboGlyph = Rgb(5, 250, 5);
constexpr TColor HeaderColor = Rgb(230, 225, 210), HeaderHot = Rgb(200, 190, 170), HeaderText = Rgb(90, 0, 0);
constexpr TColor UpMark = Rgb(250, 5, 5), DownMark = Rgb(5, 5, 250);
constexpr TColor MenuColor = Rgb(240, 200, 240);

inline std::unique_ptr<TSynthSkin> MakeListSkin()
{
    return MakeAdapterSkin([](TSynthSkin& s) {
        // Records of Section are set before the next one is added.
        PlainSection(s, "COMBOBOX", ComboColor, ComboColor);
        s.Section("COMBOBTN");
        s.Paint(TRect(0, 40, 36, 52), [](int X, int) { return ComboBtn[X / 12]; });
        TSkStoredImage& b = s.Image("COMBOBTN", "BORDERSMASK", TRect(0, 40, 36, 52), 3);
        b.WL = b.WT = b.WR = b.WB = 4;
        const auto solid = [&](const char* Section, TRect R, TColor C) {
            s.Paint(R, [C](int, int) { return C; });
            s.Image(Section, "GLYPHMASK", R);
        };
        solid("COMBOBOX", TRect(40, 40, 46, 46), ComboGlyph);
        solid("SCROLLBTNTOP", TRect(48, 40, 54, 46), UpMark);
        solid("SCROLLBTNBOTTOM", TRect(56, 40, 62, 46), DownMark);
        PlainSection(s, "COLHEADER", HeaderColor, HeaderHot);
        s.FontColors("90 -1 -1 -1 -1", "90 -1 -1 -1 -1");
        PlainSection(s, "MAINMENU", MenuColor, MenuColor);
    });
}

// A window class whose WM_VSCROLL and WM_HSCROLL move the position as a plain window would:
// a line by 1, a page by 10, the thumb to the position it is given (read back with
// GetScrollInfo when the range goes beyond 16 bits).
struct TScrollTarget {
    // Run at each request, once the position has moved (a window that frees its adapter).
    static inline std::function<void()> OnRequest;
    static LRESULT CALLBACK Proc(HWND W, UINT Msg, WPARAM WP, LPARAM LP)
    {
        if (Msg != WM_VSCROLL && Msg != WM_HSCROLL)
            return DefWindowProcW(W, Msg, WP, LP);
        const int bar = Msg == WM_VSCROLL ? SB_VERT : SB_HORZ;
        SCROLLINFO si{sizeof(si), SIF_ALL, 0, 0, 0, 0, 0};
        GetScrollInfo(W, bar, &si);
        int pos = si.nPos;
        switch (LOWORD(WP)) {
        case SB_LINEUP: pos -= 1; break;
        case SB_LINEDOWN: pos += 1; break;
        case SB_PAGEUP: pos -= 10; break;
        case SB_PAGEDOWN: pos += 10; break;
        case SB_THUMBTRACK:
        case SB_THUMBPOSITION: pos = si.nMax >= 65535 ? si.nPos : HIWORD(WP); break;
        default: return 0;
        }
        SetScrollPos(W, bar, pos, TRUE);
        if (OnRequest)
            OnRequest();
        return 0;
    }
    static const wchar_t* ClassName()
    {
        static const ATOM registered = [] {
            WNDCLASSW c{0, &Proc, 0, 0, GetModuleHandleW(nullptr), nullptr, LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW)),
                        reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1), nullptr, L"ZandrelScrollTarget"};
            return RegisterClassW(&c);
        }();
        (void)registered;
        return L"ZandrelScrollTarget";
    }
};

// The pixel a window shows at (X, Y) of its window rectangle.
inline TColor WindowPx(HWND Wnd, int X, int Y)
{
    TWindowDC dc(Wnd);
    return TColor(GetPixel(dc.Handle(), X, Y));
}

// The frame repainted now, as the system paints it on a change.
inline void RedrawFrame(HWND Wnd)
{
    RedrawWindow(Wnd, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_UPDATENOW);
}

// A screen rectangle in the window's own coordinates.
inline TRect InWindow(HWND Wnd, const TRect& Screen)
{
    RECT w{};
    GetWindowRect(Wnd, &w);
    return TRect(Screen.Left - w.left, Screen.Top - w.top, Screen.Right - w.left, Screen.Bottom - w.top);
}

inline TPoint Centre(const TRect& R) { return TPoint((R.Left + R.Right) / 2, (R.Top + R.Bottom) / 2); }

// The mouse put at a screen point, waiting until the system reports it there twice running.
// The mouse messages this makes are dropped: the tests send the ones they mean.
inline void MoveCursor(TPoint P)
{
    int steady = 0;
    for (int i = 0; i < 100 && steady < 2; ++i) {
        SetCursorPos(P.X, P.Y);
        MSG m;
        while (PeekMessageW(&m, nullptr, WM_MOUSEFIRST, WM_MOUSELAST, PM_REMOVE) ||
               PeekMessageW(&m, nullptr, WM_NCMOUSEMOVE, WM_NCMBUTTONDBLCLK, PM_REMOVE)) {
        }
        POINT c{};
        GetCursorPos(&c);
        steady = c.x == P.X && c.y == P.Y ? steady + 1 : 0;
        if (steady < 2)
            Sleep(5);
    }
}

inline LPARAM ScreenParam(TPoint P) { return MAKELPARAM(P.X, P.Y); }

// A screen point as the client coordinates of a mouse message to the window.
inline LPARAM ClientParam(HWND W, TPoint Screen)
{
    POINT p{Screen.X, Screen.Y};
    ScreenToClient(W, &p);
    return MAKELPARAM(p.x, p.y);
}

// The thumb of a bar (SB_HORZ, SB_VERT) pressed, moved Distance pixels along the bar and, with
// Release, let go. Returns the position the bar's arithmetic asks for at that place.
inline int DragThumb(TSkScrollWnd* A, int Bar, int Distance, bool Release = true)
{
    const HWND w = A->Handle;
    const bool horz = Bar == SB_HORZ;
    RefreshScrollInfo(A, false);
    TSkScrollBar* bar = horz ? A->HorzBar.get() : A->VertBar.get();
    const SCROLLINFO si = bar->ScrollInfo;
    const TRect r = horz ? GetHorzBarRect(A, w) : GetVertBarRect(A, w);
    const TSkThumbGeometry g = GetThumbGeometry(bar, r);
    const int mid = g.Pos + g.Length / 2;
    const TPoint grab = horz ? TPoint(mid, Centre(r).Y) : TPoint(Centre(r).X, mid);
    SendMessageW(w, WM_NCLBUTTONDOWN, horz ? HTHSCROLL : HTVSCROLL, ScreenParam(grab));
    const TPoint to = horz ? TPoint(grab.X + Distance, grab.Y) : TPoint(grab.X, grab.Y + Distance);
    SendMessageW(w, WM_MOUSEMOVE, MK_LBUTTON, ClientParam(w, to));
    if (Release)
        SendMessageW(w, WM_LBUTTONUP, 0, 0);
    const int arrow = GetScrollMetric(bar, 0, true);
    const int start = (horz ? r.Left : r.Top) + arrow;
    const int room = (horz ? r.Width() : r.Height()) - 2 * arrow - g.Length;
    const int asked = si.nMin + MulDiv(g.Pos - start + Distance, si.nMax - si.nMin - int(si.nPage) + 1, room);
    return std::min(asked, si.nMax - std::max(int(si.nPage), 1) + 1);
}

// The width of a text in the window's font.
inline int TextWidth(HWND Wnd, const WideString& Text)
{
    TClientDC dc(Wnd);
    TSelectObject font(dc.Handle(), reinterpret_cast<HFONT>(SendMessageW(Wnd, WM_GETFONT, 0, 0)));
    SIZE s{};
    GetTextExtentPoint32W(dc.Handle(), Text.c_str(), int(Text.size()), &s);
    return s.cx;
}

// What the window shows, its window rectangle as a 24-bit bitmap.
inline std::unique_ptr<TBitmap> GrabWindow(HWND Wnd)
{
    RECT r{};
    GetWindowRect(Wnd, &r);
    auto b = CreateBmp24(r.right - r.left, r.bottom - r.top);
    TWindowDC dc(Wnd);
    BitBlt(b->Canvas()->Handle(), 0, 0, b->Width(), b->Height(), dc.Handle(), 0, 0, SRCCOPY);
    return b;
}

// How many pixels of R have the colour C.
inline int CountColor(TBitmap& B, const TRect& R, TColor C)
{
    int n = 0;
    for (int y = std::max(0, int(R.Top)); y < std::min(B.Height(), int(R.Bottom)); ++y)
        for (int x = std::max(0, int(R.Left)); x < std::min(B.Width(), int(R.Right)); ++x)
            n += Px(B, x, y) == C;
    return n;
}

// A visible form with the skin applied; plain windows and controls are put on it.
struct TAdapterForm {
    std::unique_ptr<TSynthSkin> Skin;
    TzSkinManager& Manager;
    std::unique_ptr<TForm> Form = std::make_unique<TForm>(nullptr);

    explicit TAdapterForm(std::unique_ptr<TSynthSkin> S = MakeAdapterSkin()) : Skin(std::move(S)), Manager(*Skin->Manager)
    {
        INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_LISTVIEW_CLASSES | ICC_TREEVIEW_CLASSES};
        InitCommonControlsEx(&icc);
        Form->SetBounds(30, 30, 420, 320);
        Form->SetColor(clBtnFace);
        Form->Show();
        Pump();
    }
    ~TAdapterForm() { ScrollTracking = TSkScrollTracking{}; }
    static void Pump()
    {
        MSG m;
        while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&m);
            DispatchMessageW(&m);
        }
    }
    // A child window of a system class on the form: wide (CreateWindowExW) unless Ansi.
    HWND Child(const wchar_t* Class, DWORD Style, DWORD ExStyle, const TRect& B, bool Ansi = false) const
    {
        const DWORD style = WS_CHILD | WS_VISIBLE | Style;
        const HINSTANCE in = GetModuleHandleW(nullptr);
        HWND w = Ansi ? CreateWindowExA(ExStyle, std::string(Class, Class + wcslen(Class)).c_str(), "", style, B.Left,
                                        B.Top, B.Width(), B.Height(), Form->Handle(), nullptr, in, nullptr)
                      : CreateWindowExW(ExStyle, Class, L"", style, B.Left, B.Top, B.Width(), B.Height(),
                                        Form->Handle(), nullptr, in, nullptr);
        REQUIRE(w);
        return w;
    }
    // A scrolled window with a vertical range 0 .. Max, page Page, at position Pos.
    HWND Scrolled(int Max, int Page, int Pos, DWORD Style = WS_VSCROLL, const TRect& B = TRect(20, 20, 140, 220)) const
    {
        HWND w = Child(TScrollTarget::ClassName(), Style, WS_EX_CLIENTEDGE, B);
        SCROLLINFO si{sizeof(si), SIF_ALL | SIF_DISABLENOSCROLL, 0, Max, UINT(Page), Pos, 0};
        SetScrollInfo(w, SB_VERT, &si, TRUE);
        if (Style & WS_HSCROLL)
            SetScrollInfo(w, SB_HORZ, &si, TRUE);
        return w;
    }
    // Adapters for a foreign window, their skin data their own.
    template <class T = TSkEditWnd> std::unique_ptr<T> Adapt(HWND Wnd, const char* Section = "EDIT") const
    {
        auto a = CreateAdapter<T>(Wnd, nullptr, &Manager, Section, true);
        a->AfterCreation();
        return a;
    }
};

} // namespace adapt
