// The self-painting adapters of windows made of parts: size boxes, up-downs, tool bars and
// transparent panels.
#include "skin/zpaintwnd.h"
#include "skin/zpaintwnd_shared.h"

#include "classlib/gdihandles.h"
#include "skin/zcommondata.h"
#include "skin/zgraphics.h"
#include "skin/zsectionpaint.h"
#include "skin/zskinmanager.h"
#include "skin/zskintextpaint.h"

#include <commctrl.h>

#include <algorithm>
#include <vector>

using namespace zpaint;

namespace {

// An image of a section (or of its parents), -1 when the skin has none.
int SectionImage(TzSkinManager* M, const char* Section, const char* Name)
{
    return M ? M->FindMaskIndex(M->FindSectionIndex(Section), Section, Name) : -1;
}

// The frame of State of an image, centred in R.
void DrawCentred(TBitmap* Bmp, const TRect& R, TzSkinManager* M, int Image, TzPaintState State)
{
    if (!M || !M->IsValidMaskIndex(Image))
        return;
    const TSize f = M->GetMaskFrameSize(Image);
    DrawSkinGlyph(Bmp, TPoint(R.Left + (R.Width() - f.cx) / 2, R.Top + (R.Height() - f.cy) / 2), State, M->Mask(Image),
                  1);
}

TPoint MousePoint(const TMessage& Message)
{
    return TWMMouse(Message).Pos();
}

} // namespace

// ---------------------------------------------------------------------------------------
// Size boxes

Z_CLASS_IMPL(TSkSizerWnd, TSkSelfPaintWnd)

void TSkSizerWnd::PaintCache()
{
    TBitmap* cache = PaintBackground(psNormal);
    if (!cache)
        return;
    TzSkinManager* m = SkinData->GetSkinManager();
    const int grip = SectionImage(m, "GLOBALINFO", "GRIPIMAGE");
    if (!m->IsValidMaskIndex(grip))
        return;
    const TSize f = m->GetMaskFrameSize(grip);
    DrawSkinGlyph(cache, TPoint(cache->Width() - f.cx, cache->Height() - f.cy), psNormal, m->Mask(grip), 1);
}

bool TSkSizerWnd::OwnMessage(TMessage& Message)
{
    if (Message.Msg != WM_NCHITTEST)
        return false;
    if (PassOn(Message))
        Message.Result = HTBOTTOMRIGHT;
    return true;
}

// ---------------------------------------------------------------------------------------
// Up-downs

Z_CLASS_IMPL(TSkSpinWnd, TSkSelfPaintWnd)

TRect TSkSpinWnd::ButtonRect(int Button)
{
    const TRect c = ClientArea(Handle);
    if (Style() & UDS_HORZ) {
        const int mid = c.Left + c.Width() / 2;
        return Button == 0 ? TRect(c.Left, c.Top, mid, c.Bottom) : TRect(mid, c.Top, c.Right, c.Bottom);
    }
    const int mid = c.Top + c.Height() / 2;
    return Button == 0 ? TRect(c.Left, c.Top, c.Right, mid) : TRect(c.Left, mid, c.Right, c.Bottom);
}

int TSkSpinWnd::ButtonAt(TPoint P)
{
    // Messages give client points; the rectangles are the window's.
    const TPoint o = ClientOffset(Handle);
    const TPoint at(P.X + o.X, P.Y + o.Y);
    for (int b = 0; b < 2; ++b)
        if (ButtonRect(b).Contains(at))
            return b;
    return -1;
}

int TSkSpinWnd::ButtonState(int Button)
{
    if (FPressed == Button)
        return 2;
    return FHot == Button && IsWindowEnabled(Handle) ? 1 : 0;
}

void TSkSpinWnd::PaintCache()
{
    TBitmap* cache = SizedCache();
    if (!cache)
        return;
    TzSkinManager* m = SkinData->GetSkinManager();
    const TzBackdrop behind = Behind();
    const bool horz = (Style() & UDS_HORZ) != 0;
    static const char* const arrows[2][2] = {{"SCROLLBTNTOP", "SCROLLBTNBOTTOM"}, {"SCROLLBTNLEFT", "SCROLLBTNRIGHT"}};
    ShowBehind(cache, TRect(0, 0, cache->Width(), cache->Height()), behind, WndPos);
    for (int b = 0; b < 2; ++b) {
        const TRect r = ButtonRect(b);
        const TzPaintState state = TzPaintState(ButtonState(b));
        PaintSkinSection(SkinData->SectionSkin(), behind, bfFillCentre | bfKeysShowParent, cache, WndPos, r, state);
        DrawCentred(cache, r, m, SectionImage(m, arrows[horz][b], "GLYPHMASK"), state);
    }
    if (!IsWindowEnabled(Handle))
        DisabledLook(cache);
}

bool TSkSpinWnd::OwnMessage(TMessage& Message)
{
    switch (Message.Msg) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        FPressed = ButtonAt(MousePoint(Message));
        break;
    case WM_LBUTTONUP:
    case WM_CAPTURECHANGED:
        FPressed = -1;
        break;
    case WM_MOUSEMOVE:
        FHot = ButtonAt(MousePoint(Message));
        if (PassOn(Message)) {
            FollowMouse(Message);
            Redraw();
        }
        return true;
    case WM_MOUSELEAVE:
        FHot = -1;
        Redraw();
        return false;
    default:
        return false;
    }
    if (PassOn(Message))
        Redraw();
    return true;
}

// ---------------------------------------------------------------------------------------
// Tool bars

Z_CLASS_IMPL(TSkToolBarWnd, TSkSelfPaintWnd)

int TSkToolBarWnd::FrameWidth()
{
    RECT w{}, c{};
    GetWindowRect(Handle, &w);
    GetClientRect(Handle, &c);
    return std::max<int>(0, ((w.bottom - w.top) - c.bottom) / 2);
}

int TSkToolBarWnd::ButtonState(int Index)
{
    TBBUTTON b{};
    if (!SendMessageW(Handle, TB_GETBUTTON, WPARAM(Index), LPARAM(&b)))
        return 0;
    if (b.fsState & (TBSTATE_PRESSED | TBSTATE_CHECKED))
        return 2;
    RECT r{};
    SendMessageW(Handle, TB_GETITEMRECT, WPARAM(Index), LPARAM(&r));
    const bool under = PtInRect(&r, POINT{FMouse.X, FMouse.Y});
    return under && (b.fsState & TBSTATE_ENABLED) ? 1 : 0;
}

void TSkToolBarWnd::PaintCache()
{
    TBitmap* cache = PaintBackground(psNormal);
    if (!cache)
        return;
    TzSkinManager* m = SkinData->GetSkinManager();
    // The buttons over a picture of the bar, which shows through them.
    auto bar = CreateBmp24(cache->Width(), cache->Height());
    CopyBmpRect(bar.get(), 0, 0, TRect(0, 0, cache->Width(), cache->Height()), cache);
    const TzBackdrop under(MakeCacheInfo(bar.get(), 0, 0));
    const int section = m->FindSectionIndex("TOOLBUTTON");
    const int dropMark = SectionImage(m, "SCROLLBTNBOTTOM", "GLYPHMASK");
    const auto images = reinterpret_cast<HIMAGELIST>(SendMessageW(Handle, TB_GETIMAGELIST, 0, 0));
    int iw = 0, ih = 0;
    if (images)
        ImageList_GetIconSize(images, &iw, &ih);
    const TPoint o = ClientOffset(Handle);
    const bool list = (Style() & TBSTYLE_LIST) != 0;
    UseFont(cache->Canvas(), TextFont());
    const int count = int(SendMessageW(Handle, TB_BUTTONCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        TBBUTTON b{};
        RECT rr{};
        if (!SendMessageW(Handle, TB_GETBUTTON, WPARAM(i), LPARAM(&b)) || (b.fsState & TBSTATE_HIDDEN) ||
            (b.fsStyle & BTNS_SEP) || !SendMessageW(Handle, TB_GETITEMRECT, WPARAM(i), LPARAM(&rr)))
            continue;
        const TRect r(rr.left + o.X, rr.top + o.Y, rr.right + o.X, rr.bottom + o.Y);
        const TzPaintState state = TzPaintState(ButtonState(i));
        if (m->IsValidSkinIndex(section))
            PaintSectionByIndex(section, m, cache, under, r, state, true);
        TRect area = r;
        if ((b.fsStyle & (BTNS_DROPDOWN | BTNS_WHOLEDROPDOWN)) && m->IsValidMaskIndex(dropMark)) {
            const int mw = m->GetMaskFrameSize(dropMark).cx + 4;
            DrawCentred(cache, TRect(r.Right - mw, r.Top, r.Right, r.Bottom), m, dropMark, state);
            area.Right -= mw;
        }
        WideString text(size_t(std::max<LRESULT>(0, SendMessageW(Handle, TB_GETBUTTONTEXTW, b.idCommand, 0))), L'\0');
        if (!text.empty())
            text.resize(size_t(std::max<LRESULT>(
                0, SendMessageW(Handle, TB_GETBUTTONTEXTW, b.idCommand, LPARAM(text.data())))));
        const bool image = images && b.iBitmap >= 0 && b.iBitmap < ImageList_GetImageCount(images);
        const TSize glyph = image ? TSize{iw, ih} : TSize{0, 0};
        const TzGlyphPlaces at = PlaceButtonGlyph(area, glyph, cache->Canvas(), text, DT_SINGLELINE,
                                                  list ? glGlyphLeft : glGlyphTop, -1, 2, taCenter, 0, state == 2);
        if (image)
            ImageList_DrawEx(images, b.iBitmap, cache->Canvas()->Handle(), at.Glyph.Left, at.Glyph.Top, 0, 0,
                             CLR_NONE, CLR_NONE, ILD_TRANSPARENT);
        if (!text.empty())
            DrawText(cache, text, at.Text, DT_SINGLELINE | DT_CENTER | DT_VCENTER, TextFlags(true, state != psNormal),
                     section);
        // A disabled button: the bar shows 60 % through it.
        if (!(b.fsState & TBSTATE_ENABLED))
            BlendBitmapRect(cache, bar.get(), 102, r.TopLeft(), r);
    }
}

void TSkToolBarWnd::PaintFrame()
{
    const int f = FrameWidth();
    if (f < 1 || !IsWindowVisible(Handle))
        return;
    if (SkinData->BGChanged())
        PaintCache();
    TBitmap* cache = SkinData->CacheBmp();
    if (!cache || cache->Width() < 1)
        return;
    TWindowDC dc(Handle);
    const TRect client = ClientArea(Handle);
    ExcludeClipRect(dc.Handle(), client.Left, client.Top, client.Right, client.Bottom);
    BitBlt(dc.Handle(), 0, 0, cache->Width(), cache->Height(), cache->Canvas()->Handle(), 0, 0, SRCCOPY);
}

bool TSkToolBarWnd::OwnMessage(TMessage& Message)
{
    switch (Message.Msg) {
    case WM_SIZE:
    case WM_WINDOWPOSCHANGED:
        SkinData->SetBGChanged(true);
        if (PassOn(Message))
            PaintFrame();
        return true;
    case WM_NCPAINT:
        PaintFrame();
        return true;
    case WM_MOUSEMOVE:
        FMouse = MousePoint(Message);
        if (PassOn(Message)) {
            FollowMouse(Message);
            Redraw();
        }
        return true;
    case WM_MOUSELEAVE:
        FMouse = TPoint(-1, -1);
        Redraw();
        return false;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
        if (PassOn(Message))
            Redraw();
        return true;
    default:
        return false;
    }
}

// ---------------------------------------------------------------------------------------
// Transparent panels

Z_CLASS_IMPL(TSkTransPanelWnd, TSkSelfPaintWnd)

void TSkTransPanelWnd::PaintCache()
{
    if (TBitmap* cache = SizedCache())
        ShowBehind(cache, TRect(0, 0, cache->Width(), cache->Height()), Behind(), WndPos);
}

bool TSkTransPanelWnd::OwnMessage(TMessage& Message)
{
    if (Message.Msg != WM_ERASEBKGND && Message.Msg != WM_NCPAINT)
        return false;
    PaintCache();
    TBitmap* cache = SkinData->CacheBmp();
    if (!cache || cache->Width() < 1)
        return true;
    if (Message.Msg == WM_ERASEBKGND) {
        const TPoint o = ClientOffset(Handle);
        BitBlt(HDC(Message.WParam), 0, 0, cache->Width(), cache->Height(), cache->Canvas()->Handle(), o.X, o.Y, SRCCOPY);
        Message.Result = 1;
        return true;
    }
    TWindowDC dc(Handle);
    const TRect client = ClientArea(Handle);
    ExcludeClipRect(dc.Handle(), client.Left, client.Top, client.Right, client.Bottom);
    BitBlt(dc.Handle(), 0, 0, cache->Width(), cache->Height(), cache->Canvas()->Handle(), 0, 0, SRCCOPY);
    return true;
}
