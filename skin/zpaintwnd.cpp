#include "skin/zpaintwnd.h"
#include "skin/zpaintwnd_shared.h"

#include "classlib/buttons.h"
#include "classlib/gdihandles.h"
#include "skin/zcommondata.h"
#include "skin/zcontrolutils.h"
#include "skin/zgraphics.h"
#include "skin/zsectionpaint.h"
#include "skin/zskinmanager.h"
#include "skin/zskintextpaint.h"

#include <algorithm>

// ---------------------------------------------------------------------------------------
// What every self-painting adapter shares

Z_CLASS_IMPL(TSkSelfPaintWnd, TSkMainWnd)

TSkSelfPaintWnd::~TSkSelfPaintWnd()
{
    Release();
}

void TSkSelfPaintWnd::HookParts(bool Repaint)
{
    TSkMainWnd::HookParts(Repaint);
    SkinData->SetBGChanged(true);
    // While a skin change runs, the one redraw at its end paints the window.
    if (Handle && IsWindowVisible(Handle))
        RedrawWindow(Handle, nullptr, nullptr,
                     RDW_INVALIDATE | RDW_FRAME | (Repaint && !SkinChangeRunning() ? RDW_UPDATENOW : 0u));
}

void TSkSelfPaintWnd::DetachParts()
{
    if (IsHot())
        DefaultManager->SetActiveControl(nullptr);
    // The window's own painting is back.
    if (Handle && IsWindow(Handle))
        RedrawWindow(Handle, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME);
}

bool TSkSelfPaintWnd::IsHot() const
{
    return DefaultManager && Handle && DefaultManager->ActiveControl() == Handle;
}

int32_t TSkSelfPaintWnd::Style() const
{
    return int32_t(GetWindowLongW(Handle, GWL_STYLE));
}

void TSkSelfPaintWnd::Redraw()
{
    SkinData->SetBGChanged(true);
    RedrawWindow(Handle, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
}

bool TSkSelfPaintWnd::PassUnpainted(TMessage& Message)
{
    const HWND wnd = Handle;
    // Redraw on again would show a hidden window.
    const bool visible = IsWindowVisible(wnd) != FALSE;
    if (visible)
        SendMessageW(wnd, WM_SETREDRAW, FALSE, 0);
    const bool alive = PassOn(Message);
    if (visible && IsWindow(wnd))
        SendMessageW(wnd, WM_SETREDRAW, TRUE, 0);
    if (alive)
        Redraw();
    return alive;
}

void TSkSelfPaintWnd::FollowMouse(const TMessage&)
{
    if (!DefaultManager || !IsWindow(Handle))
        return;
    POINT p{};
    RECT r{};
    GetCursorPos(&p);
    GetWindowRect(Handle, &r);
    if (PtInRect(&r, p)) {
        if (IsHot())
            return;
        BecomeHot();
        TRACKMOUSEEVENT track{sizeof(track), TME_LEAVE, Handle, 0};
        TrackMouseEvent(&track);
    } else if (IsHot()) {
        DefaultManager->SetActiveControl(nullptr);
    }
}

void TSkSelfPaintWnd::WndProc(TMessage& Message)
{
    // Nothing to paint, or the window going: the base adapter's way.
    if (!Painting() || Message.Msg == WM_DESTROY || Message.Msg == WM_NCDESTROY) {
        TSkMainWnd::WndProc(Message);
        return;
    }
    if (OwnMessage(Message))
        return;
    switch (Message.Msg) {
    case WM_PAINT:
    case WM_PRINT:
        PaintMessage(Message);
        return;
    case WM_ERASEBKGND:
        Message.Result = 1;
        return;
    case WM_NCPAINT:
    case WM_UPDATEUISTATE:
        return;
    case WM_SETTEXT:
    case WM_ENABLE:
        PassUnpainted(Message);
        return;
    case WM_MOUSEMOVE:
        if (PassOn(Message))
            FollowMouse(Message);
        return;
    case WM_MOUSELEAVE:
        if (IsHot())
            DefaultManager->SetActiveControl(nullptr);
        break;
    case SM_SKINCMD:
        if (Message.WParamHi() == SKCMD_ACTIVATED || Message.WParamHi() == SKCMD_DEACTIVATED)
            Redraw();
        break;
    default:
        break;
    }
    TSkMainWnd::WndProc(Message);
}

TzBackdrop TSkSelfPaintWnd::Behind()
{
    const TzCacheInfo picture = QueryParentCacheByHandle(Handle);
    return TzBackdrop(picture, picture.Ready ? SkinKeyColor : WindowParentColor(GetParent(Handle)));
}

namespace zpaint {

TPoint ClientOffset(HWND Wnd)
{
    RECT w{};
    POINT c{0, 0};
    GetWindowRect(Wnd, &w);
    ClientToScreen(Wnd, &c);
    return TPoint(c.x - w.left, c.y - w.top);
}

TRect ClientArea(HWND Wnd)
{
    RECT r{};
    GetClientRect(Wnd, &r);
    const TPoint o = ClientOffset(Wnd);
    return TRect(o.X, o.Y, o.X + r.right, o.Y + r.bottom);
}

void ShowBehind(TBitmap* Cache, const TRect& R, const TzBackdrop& Behind, TPoint At)
{
    if (Behind.Picture.Ready && Behind.Picture.Bmp)
        BitBlt(Cache->Canvas()->Handle(), R.Left, R.Top, R.Width(), R.Height(), Behind.Picture.Bmp->Canvas()->Handle(),
               Behind.Picture.X + At.X + R.Left, Behind.Picture.Y + At.Y + R.Top, SRCCOPY);
    else
        FillDC(Cache->Canvas()->Handle(), R, Behind.Color);
}

} // namespace zpaint

using namespace zpaint;

TBitmap* TSkSelfPaintWnd::SizedCache()
{
    GetWindowInfo();
    const int w = WndSize.cx, h = WndSize.cy;
    SkinData->PrepareCache();
    TBitmap* cache = SkinData->CacheBmp();
    if (cache->Width() != w || cache->Height() != h)
        cache->SetSize(std::max(w, 0), std::max(h, 0));
    SkinData->SetBGChanged(false);
    return w >= 1 && h >= 1 ? cache : nullptr;
}

TBitmap* TSkSelfPaintWnd::PaintBackground(TzPaintState State)
{
    TBitmap* cache = SizedCache();
    if (!cache)
        return nullptr;
    PaintSkinSection(SkinData->SectionSkin(), Behind(), bfFillCentre | bfKeysShowParent, cache, WndPos,
                     TRect(0, 0, cache->Width(), cache->Height()), State);
    FillBorderKeys(SkinData, Handle);
    return cache;
}

void TSkSelfPaintWnd::DisabledLook(TBitmap* Cache)
{
    const TzBackdrop behind = Behind();
    ApplyDisabledKind(Cache, dkBlended, WndPos, behind.Picture, behind.Color);
}

HFONT TSkSelfPaintWnd::TextFont()
{
    if (auto font = reinterpret_cast<HFONT>(SendMessageW(Handle, WM_GETFONT, 0, 0)))
        return font;
    if (!FMessageFont) {
        NONCLIENTMETRICSW metrics{};
        metrics.cbSize = sizeof(metrics);
        SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0);
        FMessageFont = TOwnedFont(CreateFontIndirectW(&metrics.lfMessageFont));
    }
    return FMessageFont.Handle();
}

void zpaint::UseFont(TCanvas* Canvas, HFONT Font)
{
    LOGFONTW lf{};
    if (Font && GetObjectW(Font, sizeof(lf), &lf) > 0)
        Canvas->Font()->SetHandle(CreateFontIndirectW(&lf));
}

void TSkSelfPaintWnd::DrawText(TBitmap* Cache, const WideString& Text, const TRect& R, UINT Format, TzTextFlags Look,
                               int Section)
{
    UseFont(Cache->Canvas(), TextFont());
    DrawSectionTextW(Cache->Canvas(), Text, Look, SkinData->GetSkinManager(), Section < 0 ? SkinData->SkinIndex : Section,
                     Format, R);
}

void TSkSelfPaintWnd::PaintMessage(TMessage& Message)
{
    const auto paint = [this](HDC DC) {
        if (SkinData->GetUpdating())
            return;
        PaintCache();
        TBitmap* cache = SkinData->CacheBmp();
        if (!cache || cache->Width() < 1 || cache->Height() < 1)
            return;
        const TPoint o = ClientOffset(Handle);
        BitBlt(DC, 0, 0, cache->Width() - o.X, cache->Height() - o.Y, cache->Canvas()->Handle(), o.X, o.Y, SRCCOPY);
    };
    if (const HDC given = TWMPaint(Message).DC) {
        TSaveDCScope saved(given);
        paint(given);
    } else {
        TPaintDC dc(Handle);
        paint(dc.Handle());
    }
    Message.Result = 0;
}

// ---------------------------------------------------------------------------------------
// Static texts

Z_CLASS_IMPL(TSkStaticWnd, TSkSelfPaintWnd)
Z_CLASS_IMPL(TSkIconWnd, TSkStaticWnd)
Z_CLASS_IMPL(TSkLinkWnd, TSkStaticWnd)

UINT TSkStaticWnd::TextFormat(int32_t Style, bool& IsText)
{
    IsText = true;
    UINT f;
    switch (Style & SS_TYPEMASK) {
    case SS_LEFT: f = DT_LEFT | DT_EXPANDTABS | DT_WORDBREAK; break;
    case SS_CENTER: f = DT_CENTER | DT_EXPANDTABS | DT_WORDBREAK; break;
    case SS_RIGHT: f = DT_RIGHT | DT_EXPANDTABS | DT_WORDBREAK; break;
    case SS_SIMPLE: f = DT_LEFT | DT_SINGLELINE; break;
    case SS_LEFTNOWORDWRAP: f = DT_LEFT | DT_EXPANDTABS; break;
    default: IsText = false; return 0;
    }
    if (Style & SS_NOPREFIX)
        f |= DT_NOPREFIX;
    if ((Style & SS_TYPEMASK) == SS_SIMPLE)
        return f;
    if (Style & SS_CENTERIMAGE)
        f |= DT_SINGLELINE | DT_VCENTER;
    switch (Style & SS_ELLIPSISMASK) {
    case SS_ENDELLIPSIS: f |= DT_SINGLELINE | DT_END_ELLIPSIS; break;
    case SS_PATHELLIPSIS: f |= DT_SINGLELINE | DT_PATH_ELLIPSIS; break;
    case SS_WORDELLIPSIS: f |= DT_SINGLELINE | DT_WORD_ELLIPSIS; break;
    default: break;
    }
    return f;
}

void TSkStaticWnd::PaintCache()
{
    TBitmap* cache = PaintBackground(psNormal);
    if (!cache)
        return;
    PaintText(cache);
    if (!IsWindowEnabled(Handle))
        DisabledLook(cache);
}

void TSkStaticWnd::PaintText(TBitmap* Cache)
{
    bool text = false;
    const UINT format = TextFormat(Style(), text);
    if (text && !Caption.empty())
        DrawText(Cache, Caption, ClientArea(Handle), format, TextFlags(true, false));
}

bool TSkStaticWnd::OwnMessage(TMessage& Message)
{
    switch (Message.Msg) {
    case WM_PAINT: {
        RECT r{};
        GetWindowRect(Handle, &r);
        if (!IsWindowVisible(Handle) || r.right - r.left != 152 || r.bottom - r.top != 49)
            return false;
        // A part of a standard dialog that draws itself: its own picture in the middle.
        if (!PassOn(Message))
            return true;
        TClientDC dc(Handle);
        ExcludeClipRect(dc.Handle(), 30, 6, 120, 41);
        TMessage paint{WM_PAINT, WPARAM(dc.Handle()), 0, 0};
        PaintMessage(paint);
        return true;
    }
    case WM_CANCELMODE:
    case WM_UPDATEUISTATE:
        PassUnpainted(Message);
        return true;
    default:
        return false;
    }
}

void TSkIconWnd::PaintText(TBitmap* Cache)
{
    const auto icon = reinterpret_cast<HICON>(SendMessageW(Handle, STM_GETICON, 0, 0));
    const TPoint o = ClientOffset(Handle);
    if (icon)
        DrawIconEx(Cache->Canvas()->Handle(), o.X, o.Y, icon, 0, 0, 0, nullptr, DI_NORMAL);
}

bool TSkLinkWnd::OwnMessage(TMessage& Message)
{
    // The link paints itself.
    if (Message.Msg != WM_PAINT)
        return TSkStaticWnd::OwnMessage(Message);
    PassOn(Message);
    return true;
}

// ---------------------------------------------------------------------------------------
// Push buttons

Z_CLASS_IMPL(TSkBtnWnd, TSkSelfPaintWnd)

int TSkBtnWnd::ButtonState()
{
    const LRESULT state = SendMessageW(Handle, BM_GETSTATE, 0, 0);
    if (state & BST_PUSHED)
        return 2;
    if (IsWindowEnabled(Handle) &&
        ((state & BST_FOCUS) || GetFocus() == Handle || IsHot() || (Style() & 0x0F) == BS_DEFPUSHBUTTON))
        return 1;
    return 0;
}

UINT TSkBtnWnd::CaptionFormat()
{
    return DT_CENTER | DT_EXPANDTABS | ((Style() & BS_MULTILINE) ? DT_WORDBREAK : DT_SINGLELINE);
}

TRect TSkBtnWnd::TextRect(TBitmap* Cache, const WideString& Text, UINT Format)
{
    const TRect client = ClientArea(Handle);
    TRect r(0, 0, std::max(1, client.Width() - 4), 0);
    UseFont(Cache->Canvas(), TextFont());
    DrawWideText(Cache->Canvas(), Text, r, Format | DT_CALCRECT);
    const int x = client.Left + (client.Width() - r.Width()) / 2, y = client.Top + (client.Height() - r.Height()) / 2;
    return Bounds(x, y, r.Width(), r.Height());
}

void TSkBtnWnd::PaintCache()
{
    const int state = ButtonState();
    TBitmap* cache = PaintBackground(TzPaintState(state));
    if (!cache)
        return;
    PaintGlyph(cache, state);
    const UINT format = CaptionFormat();
    const TRect r = TextRect(cache, Caption, format);
    if (!Caption.empty() && !r.IsEmpty()) {
        DrawText(cache, Caption, r, format, TextFlags(true, state >= 1));
        const bool focus = (SendMessageW(Handle, BM_GETSTATE, 0, 0) & BST_FOCUS) != 0;
        if (focus && SkinData->GetSkinManager()->Section(SkinData->SkinIndex).ShowFocus)
            DrawDottedFocusRect(cache->Canvas(), TRect(r.Left - 1, r.Top - 1, r.Right + 1, r.Bottom + 1));
    }
    if (!IsWindowEnabled(Handle))
        DisabledLook(cache);
}

bool TSkBtnWnd::OwnMessage(TMessage& Message)
{
    switch (Message.Msg) {
    case BM_SETSTATE:
    case BM_SETSTYLE:
        // The window's own pressing: it clicks on the release only when it was pushed.
        PassUnpainted(Message);
        return true;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        if (!IsWindowEnabled(Handle))
            return false;
        PassUnpainted(Message);
        return true;
    case WM_MOVE: {
        const TzGeneralData& s = SkinData->GetSkinManager()->Section(SkinData->SkinIndex);
        if (s.Transparency >= 1 || (s.HotTransparency >= 1 && ButtonState() == 1))
            Redraw();
        return false;
    }
    default:
        return false;
    }
}

// ---------------------------------------------------------------------------------------
// Buttons with images

Z_CLASS_IMPL(TSkBitBtnWnd, TSkBtnWnd)

TBitmap* TSkBitBtnWnd::LibraryGlyph(int& Frames)
{
    auto* button = dynamic_cast<TBitBtn*>(SkinData->OwnerControl());
    TBitmap* g = button ? button->Glyph() : nullptr;
    Frames = button ? std::max(1, int(button->NumGlyphs())) : 1;
    return g && !g->Empty() ? g : nullptr;
}

TSkBitBtnWnd::TImage TSkBitBtnWnd::WindowImage()
{
    // The system may answer with its image whatever kind is asked for: the handle tells what
    // it is.
    TImage i;
    const auto image = reinterpret_cast<HANDLE>(SendMessageW(Handle, BM_GETIMAGE, IMAGE_BITMAP, 0));
    const auto icon = reinterpret_cast<HICON>(SendMessageW(Handle, BM_GETIMAGE, IMAGE_ICON, 0));
    if (BITMAP b{}; image && GetObjectW(image, sizeof(b), &b)) {
        i.Bitmap = static_cast<HBITMAP>(image);
        i.Size = TSize{b.bmWidth, b.bmHeight};
    } else if (ICONINFO info{}; icon && GetIconInfo(icon, &info)) {
        TOwnedBitmap colour(info.hbmColor), mask(info.hbmMask);
        BITMAP b{};
        if (GetObjectW(info.hbmMask, sizeof(b), &b)) {
            i.Icon = icon;
            i.Size = TSize{b.bmWidth, info.hbmColor ? b.bmHeight : b.bmHeight / 2};
        }
    }
    return i;
}

TzGlyphPlaces TSkBitBtnWnd::Places()
{
    SkinData->PrepareCache();
    TBitmap* cache = SkinData->CacheBmp();
    int frames = 1;
    TSize size{0, 0};
    int layout = glGlyphLeft, margin = -1, spacing = 4;
    WideString caption = Caption;
    if (TBitmap* glyph = LibraryGlyph(frames)) {
        auto* button = static_cast<TBitBtn*>(SkinData->OwnerControl());
        size = TSize{glyph->Width() / frames, glyph->Height()};
        layout = button->Layout();
        margin = button->Margin();
        spacing = button->Spacing();
    } else if (!SkinData->OwnerControl()) {
        size = WindowImage().Size;
        // The foreign button shows its image alone.
        if (size.cx > 0 && (Style() & (BS_BITMAP | BS_ICON)))
            caption.clear();
    }
    UseFont(cache->Canvas(), TextFont());
    return PlaceButtonGlyph(ClientArea(Handle), size, cache->Canvas(), caption, CaptionFormat(), layout, margin,
                            spacing, taCenter, 0, ButtonState() == 2);
}

TRect TSkBitBtnWnd::TextRect(TBitmap*, const WideString&, UINT)
{
    return Places().Text;
}

void TSkBitBtnWnd::PaintGlyph(TBitmap* Cache, int State)
{
    const TPoint at = Places().Glyph.TopLeft();
    int frames = 1;
    if (TBitmap* glyph = LibraryGlyph(frames)) {
        DrawButtonGlyph(Cache, at, glyph, frames, 0, TzPaintState(State), GlyphDisabledBlended, false,
                        IsWindowEnabled(Handle) != FALSE);
        return;
    }
    if (SkinData->OwnerControl())
        return;
    // As the system shows a button's image: a bitmap as it is, an icon through its mask.
    const TImage image = WindowImage();
    const HDC dc = Cache->Canvas()->Handle();
    if (image.Bitmap) {
        TMemoryDC source(dc);
        TSelectObject selected(source.Handle(), image.Bitmap);
        BitBlt(dc, at.X, at.Y, image.Size.cx, image.Size.cy, source.Handle(), 0, 0, SRCCOPY);
    } else if (image.Icon) {
        DrawIconEx(dc, at.X, at.Y, image.Icon, image.Size.cx, image.Size.cy, 0, nullptr, DI_NORMAL);
    }
}

// ---------------------------------------------------------------------------------------
// Check boxes and radio buttons

Z_CLASS_IMPL(TSkCheckBoxWnd, TSkSelfPaintWnd)

bool TSkCheckBoxWnd::IsRadio() const
{
    const int type = Style() & 0x0F;
    return type == BS_RADIOBUTTON || type == BS_AUTORADIOBUTTON;
}

int TSkCheckBoxWnd::CheckState()
{
    const LRESULT state = SendMessageW(Handle, BM_GETSTATE, 0, 0);
    return (state & BST_INDETERMINATE) ? 2 : (state & BST_CHECKED) ? 1 : 0;
}

int TSkCheckBoxWnd::GlyphState()
{
    const LRESULT state = SendMessageW(Handle, BM_GETSTATE, 0, 0);
    if (state & BST_PUSHED)
        return 2;
    return (state & BST_FOCUS) || IsHot() ? 1 : 0;
}

int TSkCheckBoxWnd::GlyphIndex()
{
    return CheckGlyphIndex(SkinData->GetSkinManager(), IsRadio() ? cgRadioButton : cgCheckBox, CheckState());
}

TRect TSkCheckBoxWnd::GlyphRect()
{
    const TSize size = CheckGlyphSize(SkinData->GetSkinManager(), GlyphIndex());
    const TRect client = ClientArea(Handle);
    const int left = (Style() & BS_LEFTTEXT) ? client.Right - size.cx : client.Left;
    return Bounds(left, client.Top + (client.Height() - size.cy) / 2, size.cx, size.cy);
}

TRect TSkCheckBoxWnd::CaptionRect()
{
    const TRect client = ClientArea(Handle), glyph = GlyphRect();
    if (Style() & BS_LEFTTEXT)
        return TRect(client.Left, client.Top, glyph.Left - 2, client.Bottom);
    return TRect(glyph.Right + 2, client.Top, client.Right, client.Bottom);
}

void TSkCheckBoxWnd::PaintCache()
{
    const int state = GlyphState();
    TBitmap* cache = PaintBackground(state == 1 ? psHot : psNormal);
    if (!cache)
        return;
    DrawCheckGlyph(cache, GlyphRect().TopLeft(), SkinData->GetSkinManager(), GlyphIndex(), TzPaintState(state));
    if (!Caption.empty()) {
        const TRect r = CaptionRect();
        const bool multi = (Style() & BS_MULTILINE) != 0;
        DrawText(cache, Caption, r, multi ? DT_CENTER | DT_WORDBREAK : DT_SINGLELINE | DT_VCENTER,
                 TextFlags(true, state == 1));
        if (SendMessageW(Handle, BM_GETSTATE, 0, 0) & BST_FOCUS) {
            // Round the caption as it stands in its rectangle.
            TRect text(0, 0, std::max(1, r.Width()), 0);
            DrawWideText(cache->Canvas(), Caption, text, DT_CALCRECT | (multi ? DT_WORDBREAK : DT_SINGLELINE));
            const int left = multi ? r.Left + (r.Width() - text.Width()) / 2 : r.Left;
            const TRect at = Bounds(left, r.Top + (r.Height() - text.Height()) / 2, text.Width(), text.Height());
            DrawDottedFocusRect(cache->Canvas(), TRect(at.Left - 1, at.Top - 1, at.Right + 1, at.Bottom + 1));
        }
    }
    if (!IsWindowEnabled(Handle))
        DisabledLook(cache);
}

bool TSkCheckBoxWnd::OwnMessage(TMessage& Message)
{
    switch (Message.Msg) {
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
    case BM_SETCHECK:
    case BM_SETSTATE:
    case BM_SETSTYLE:
        PassUnpainted(Message);
        return true;
    case WM_NCHITTEST:
        if (PassOn(Message))
            FollowMouse(Message);
        return true;
    default:
        return false;
    }
}

// ---------------------------------------------------------------------------------------
// Group boxes

Z_CLASS_IMPL(TSkGroupBoxWnd, TSkSelfPaintWnd)

TRect TSkGroupBoxWnd::CaptionRect()
{
    SkinData->PrepareCache();
    TCanvas* c = SkinData->CacheBmp()->Canvas();
    UseFont(c, TextFont());
    const TSize line = GetWideTextSize(c, L"W");
    const int width = Caption.empty() ? 0 : GetWideTextSize(c, Caption).cx + 8;
    const TPoint o = ClientOffset(Handle);
    return Bounds(o.X + 6, o.Y, width, std::max<int>(4, line.cy) + 2);
}

void TSkGroupBoxWnd::PaintCache()
{
    TBitmap* cache = SizedCache();
    if (!cache)
        return;
    const TRect caption = CaptionRect();
    const TzBackdrop behind = Behind();
    const int w = cache->Width(), h = cache->Height();
    // Above the frame, which begins at the caption's middle, the box shows what lies behind.
    const int top = std::min<int>(caption.Top + caption.Height() / 2, h);
    ShowBehind(cache, TRect(0, 0, w, top), behind, WndPos);
    PaintSkinSection(SkinData->SectionSkin(), behind, bfFillCentre | bfKeysShowParent, cache, WndPos,
                     TRect(0, top, w, h), psNormal);
    if (!Caption.empty()) {
        ShowBehind(cache, caption, behind, WndPos);
        DrawText(cache, Caption, caption, DT_CENTER | DT_VCENTER | DT_SINGLELINE, TextFlags(true, false));
    }
    if (!IsWindowEnabled(Handle))
        DisabledLook(cache);
}

bool TSkGroupBoxWnd::OwnMessage(TMessage& Message)
{
    if (Message.Msg == WM_SIZE)
        SkinData->SetBGChanged(true);
    if (Message.Msg != SM_SKINCMD || Message.WParamHi() != SKCMD_GETCAPTIONHEIGHT)
        return false;
    TWMSkinCommand(Message).Answer(CaptionRect().Height());
    return true;
}
