#include "skin/zclientwnd.h"
#include "skin/zclientwnd_shared.h"

#include "classlib/gdihandles.h"
#include "skin/zcommondata.h"
#include "skin/zcontrolutils.h"
#include "skin/zgraphics.h"
#include "skin/zsectionpaint.h"
#include "skin/zskinmanager.h"

#include <commctrl.h>

#include <algorithm>

namespace zclient {

void BitBltBorderStrips(HDC DC, TBitmap* Cache, int L, int T, int R, int B, int SX, int SY, int W, int H)
{
    const int w = W < 0 ? Cache->Width() : W, h = H < 0 ? Cache->Height() : H;
    const HDC src = Cache->Canvas()->Handle();
    const auto strip = [&](int X, int Y, int SW, int SH) {
        if (SW > 0 && SH > 0)
            BitBlt(DC, X, Y, SW, SH, src, SX + X, SY + Y, SRCCOPY);
    };
    strip(0, 0, w, T);
    strip(0, h - B, w, B);
    strip(0, T, L, h - T - B);
    strip(w - R, T, R, h - T - B);
}

TPoint ClientOffset(HWND Wnd)
{
    RECT w{};
    GetWindowRect(Wnd, &w);
    POINT c{0, 0};
    ClientToScreen(Wnd, &c);
    return TPoint(c.x - w.left, c.y - w.top);
}

bool HasClassName(HWND Wnd, const wchar_t* Name)
{
    wchar_t cls[64] = {};
    return Wnd && GetClassNameW(Wnd, cls, 64) > 0 && lstrcmpiW(cls, Name) == 0;
}

} // namespace zclient

using namespace zclient;

namespace {

// Messages after which a list's or an edit's scroll information has changed.
bool ChangesScrollInfo(UINT Msg)
{
    switch (Msg) {
    case LB_SETTOPINDEX:
    case EM_REPLACESEL:
    case LB_ADDSTRING:
    case LB_INSERTSTRING:
    // The system draws its own bar when these change the range or the position.
    case WM_SETTEXT:
    case LB_DELETESTRING:
    case LB_RESETCONTENT:
    case LB_SETCURSEL:
    case EM_LINESCROLL:
    case EM_SCROLL:
    case EM_SCROLLCARET:
    case WM_CUT:
    case WM_PASTE:
    case WM_CLEAR:
    case WM_UNDO:
    case EM_UNDO:
        return true;
    default:
        return false;
    }
}

} // namespace

// ---------------------------------------------------------------------------------------

Z_CLASS_IMPL(TSkBaseWnd, TSkScrollWnd)

void TSkBaseWnd::RedrawFrame()
{
    if (Hooked() && IsWindowVisible(Handle))
        SendMessageW(Handle, WM_NCPAINT, 1, 0);
}

void TSkBaseWnd::SkinCommand(TWMSkinCommand Cmd)
{
    if (Cmd.Command == SKCMD_PREPARECACHE) {
        PrepareWindowCache(SkinData, Handle, false);
        return;
    }
    const bool refresh = Cmd.Command == SKCMD_REFRESH && FromOwnManager(Cmd) && SkinData && SkinData->Skinned();
    TSkAliveToken alive(this);
    TSkScrollWnd::SkinCommand(Cmd);
    if (refresh && alive())
        RedrawFrame();
}

void TSkBaseWnd::WndProc(TMessage& M)
{
    if (!SkinData || !SkinData->Skinned() || M.Msg == SM_SKINCMD) {
        TSkScrollWnd::WndProc(M);
        return;
    }
    switch (M.Msg) {
    case WM_SETCURSOR:
        PassOn(M);
        return;
    case WM_SIZE:
        SkinData->SetBGChanged(true);
        break;
    }
    // The adapter may be freed by what the window does with the message.
    TSkAliveToken alive(this);
    TSkScrollWnd::WndProc(M);
    if (!alive())
        return;
    switch (M.Msg) {
    case WM_SIZE:
    case WM_ENABLE:
    case CM_ENABLEDCHANGED:
        RedrawFrame();
        break;
    case WM_HSCROLL:
    case WM_VSCROLL:
        if (!Scrolling)
            RefreshScrollInfo(this, true);
        break;
    }
}

// ---------------------------------------------------------------------------------------

Z_CLASS_IMPL(TSkEditWnd, TSkBaseWnd)

TSkEditWnd::~TSkEditWnd()
{
    Release();
}

TControl* TSkEditWnd::Control() const { return SkinData ? SkinData->OwnerControl() : nullptr; }

TControl* TSkEditWnd::ControlBehind() const
{
    if (TControl* c = Control())
        return c;
    return FindControl(Handle);
}

void TSkEditWnd::SaveStdParams()
{
    TControl* c = Control();
    if (!c)
        return;
    SavedColor = c->Color();
    SavedFontColor = c->Font()->Color();
    // A skinned edit takes the section's colours itself, before its adapter comes (at a new
    // skin, or when a parent makes its window again under one): colours that are the
    // section's are the skin's, and those to go back to are the window's plain ones.
    const TzGeneralData* s = SectionOf(SkinData);
    if (s && IsEditLike(SkinData)) {
        if (SavedColor == s->Color || SavedColor == s->HotColor)
            SavedColor = clWindow;
        if (SavedFontColor == TColor(s->FontColor) || SavedFontColor == TColor(s->HotFontColor))
            SavedFontColor = clWindowText;
    }
}

void TSkEditWnd::RestoreStdParams()
{
    TControl* c = Control();
    if (!c || c->IsDestroying())
        return;
    c->SetColor(SavedColor);
    c->Font()->SetColor(SavedFontColor);
}

void TSkEditWnd::AfterCreation()
{
    const TzGeneralData* s = SectionOf(SkinData);
    if (TControl* c = Control()) {
        if (s && !SkinData->CustomColor()) {
            TColor colour = s->Color;
            if (s->Transparency > 0) {
                TWinControl* parent = c->Parent();
                colour = parent ? QueryParentColor(parent) : ColorToRGB(c->Color());
            }
            c->SetColor(colour);
        }
        if (s && !SkinData->CustomFont())
            c->Font()->SetColor(TColor(s->HotFontColor));
    } else {
        BgColor = KeepColors || !s ? TColor(GetSysColor(COLOR_WINDOW)) : ColorToRGB(s->Color);
    }
    SkinData->SetBGChanged(true);
    ColorsApplied = 1;
}

void TSkEditWnd::PaintFrame(HDC DC)
{
    TBitmap* cache = SkinData->CacheBmp();
    if (!cache || !Hooked())
        return;
    TWindowDC own;
    if (!DC) {
        own = TWindowDC(Handle);
        DC = own.Handle();
    }
    // Only the frame the window really has: a window without a border keeps its client
    // area, text and all.
    BitBltBorderStrips(DC, cache, FrameLeft, FrameTop, FrameRight, FrameBottom);
    PaintScrollBars(this, Handle, DC);
}

void TSkEditWnd::Print(TMessage& M, HDC DC, bool PaintOnly)
{
    const HDC dc = DC;
    PrepareWindowCache(SkinData, Handle, false);
    PaintFrame(dc);
    RECT client{};
    GetClientRect(Handle, &client);
    MapWindowPoints(Handle, nullptr, reinterpret_cast<POINT*>(&client), 2);
    RECT wr{};
    GetWindowRect(Handle, &wr);
    TSaveDCScope saved(dc);
    POINT org{};
    GetViewportOrgEx(dc, &org);
    SetViewportOrgEx(dc, org.x + client.left - wr.left, org.y + client.top - wr.top, nullptr);
    IntersectClipRect(dc, 0, 0, client.right - client.left, client.bottom - client.top);
    if (!PaintOnly)
        SendMessageW(Handle, WM_ERASEBKGND, WPARAM(dc), 0);
    SendMessageW(Handle, WM_PAINT, WPARAM(dc), 0);
    if (!PaintOnly)
        SendMessageW(Handle, WM_PRINTCLIENT, WPARAM(dc), PRF_CLIENT | PRF_OWNED);
    M.Result = 0;
}

void TSkEditWnd::NCPaint(TMessage& M)
{
    PrepareWindowCache(SkinData, Handle, false);
    PaintFrame(nullptr);
    M.Result = 0;
}

void TSkEditWnd::WaitingPaint(TMessage& M)
{
    // Kept in mind, so that the end of the parent's update paints what waited here.
    SkinData->SetUpdating(true);
    TPaintDC paint(Handle);
    M.Result = 0;
}

void TSkEditWnd::SkinCommand(TWMSkinCommand Cmd)
{
    if (Cmd.Command == SKCMD_GETDISABLEDKIND) {
        Cmd.Answer(SkinData->SkinIndex + 1);
        return;
    }
    const bool removed = Cmd.Command == SKCMD_SKINREMOVED && FromOwnManager(Cmd);
    TSkAliveToken alive(this);
    TSkBaseWnd::SkinCommand(Cmd);
    if (removed && alive() && IsWindow(Handle))
        RefreshWindowFrame(Handle, true);
}

void TSkEditWnd::WndProc(TMessage& M)
{
    if (!Skinning() || M.Msg == SM_SKINCMD) {
        TSkBaseWnd::WndProc(M);
        return;
    }
    switch (M.Msg) {
    case WM_NCPAINT:
        if (SkinData->GetUpdating())
            break;
        NCPaint(M);
        return;
    case WM_PRINT:
        Print(M, TWMPrint(M).DC);
        return;
    case WM_PAINT:
        if (!SkinData->GetUpdating())
            break;
        WaitingPaint(M);
        return;
    }
    TSkAliveToken alive(this);
    TSkBaseWnd::WndProc(M);
    if (!alive() || !Hooked())
        return;
    if (ChangesScrollInfo(M.Msg)) {
        RefreshScrollInfo(this, true);
        return;
    }
    switch (M.Msg) {
    case WM_KEYDOWN:
    case WM_KEYUP:
    case WM_LBUTTONDOWN:
    case CN_KEYDOWN:
    case CN_KEYUP:
        if (!Scrolling)
            RefreshScrollInfo(this, true);
        break;
    case WM_MOUSEMOVE:
        BecomeHot();
        break;
    }
}

// ---------------------------------------------------------------------------------------

Z_CLASS_IMPL(TSkTreeViewWnd, TSkEditWnd)

// Detached here, or the edit adapter's destructor would give the tree colours it never kept.
TSkTreeViewWnd::~TSkTreeViewWnd()
{
    Release();
}

TColor TSkTreeViewWnd::TreeColor() const
{
    const TzGeneralData* s = SectionOf(SkinData);
    return KeepColors || !s ? TColor(GetSysColor(COLOR_WINDOW)) : ColorToRGB(s->HotColor);
}

TColor TSkTreeViewWnd::ShownColor() const
{
    const auto shown = COLORREF(SendMessageW(Handle, TVM_GETBKCOLOR, 0, 0));
    return shown == CLR_NONE ? TColor(GetSysColor(COLOR_WINDOW)) : TColor(shown);
}

void TSkTreeViewWnd::AfterCreation()
{
    SendMessageW(Handle, TVM_SETBKCOLOR, 0, LPARAM(TreeColor()));
    const TzGeneralData* s = SectionOf(SkinData);
    if (TControl* c = Control(); c && s)
        c->Font()->SetColor(TColor(s->HotFontColor));
    SkinData->SetBGChanged(true);
    ColorsApplied = 1;
}

void TSkTreeViewWnd::Erase(HDC DC)
{
    PrepareWindowCache(SkinData, Handle, false);
    RECT r{};
    GetClientRect(Handle, &r);
    FillDC(DC, TRect(r.left, r.top, r.right, r.bottom), ShownColor());
}

void TSkTreeViewWnd::ButtonUp(TMessage& M)
{
    // The tree keeps the mouse it captured at the press.
    TSkAliveToken alive(this);
    TSkEditWnd::WndProc(M);
    if (alive() && GetCapture() == Handle)
        ReleaseCapture();
}

void TSkTreeViewWnd::WndProc(TMessage& M)
{
    if (!Skinning()) {
        TSkEditWnd::WndProc(M);
        return;
    }
    switch (M.Msg) {
    case WM_ERASEBKGND:
        if (SkinData->GetUpdating())
            break;
        Erase(TWMEraseBkgnd(M).DC);
        M.Result = 0;
        return;
    case WM_LBUTTONUP:
        ButtonUp(M);
        return;
    }
    TSkEditWnd::WndProc(M);
}

// ---------------------------------------------------------------------------------------

namespace {

template <class T>
void UpdateAdapter(TWinControl* Control, std::unique_ptr<TSkMainWnd>& Adapter, TzCommonData* SkinData)
{
    if (!SkinData || !SkinData->Skinned()) {
        Adapter.reset();
        return;
    }
    if (Adapter && Adapter->Dead)
        Adapter.reset();
    if (!Adapter && Control && Control->HandleAllocated())
        Adapter = CreateAdapter<T>(Control->Handle(), SkinData, SkinData->GetSkinManager(), "EDIT", true);
}

} // namespace

void UpdateEditAdapter(TWinControl* Control, std::unique_ptr<TSkMainWnd>& Adapter, TzCommonData* SkinData)
{
    UpdateAdapter<TSkEditWnd>(Control, Adapter, SkinData);
}

void UpdateTreeViewAdapter(TWinControl* Control, std::unique_ptr<TSkMainWnd>& Adapter, TzCommonData* SkinData)
{
    UpdateAdapter<TSkTreeViewWnd>(Control, Adapter, SkinData);
}

void UpdateListViewAdapter(TWinControl* Control, std::unique_ptr<TSkMainWnd>& Adapter, TzCommonData* SkinData)
{
    UpdateAdapter<TSkListViewWnd>(Control, Adapter, SkinData);
}

// ---------------------------------------------------------------------------------------
// The MDI client

Z_CLASS_IMPL(TSkMDIWnd, TSkBaseWnd)

TSkMDIWnd::TSkMDIWnd(HWND Window, TzCommonData* ASkinData, TzSkinManager* ASkinManager, const AnsiString& SectionName,
                     TzCommonData* AFormSkinData)
    : TSkBaseWnd(Window, ASkinData, ASkinManager, SectionName), FormSkinData(AFormSkinData)
{
}

TBitmap* TSkMDIWnd::FormPicture() const
{
    TBitmap* b = FormSkinData ? FormSkinData->CacheBmp() : nullptr;
    return b && b->Width() >= 2 && b->Height() >= 2 ? b : nullptr;
}

// The bars' background comes from the picture the client answers with: the form's, where the
// client lies within it, or the client's own.
TPoint TSkMDIWnd::BackgroundOffset() const
{
    if (!FormPicture())
        return TPoint();
    // Where the client lies now: the form may have moved it since the last paint.
    auto* self = const_cast<TSkMDIWnd*>(this);
    self->GetWindowInfo();
    return WndPos;
}

void TSkMDIWnd::PaintClient(HDC DC)
{
    RECT c{};
    GetClientRect(Handle, &c);
    if (!DC || c.right <= 0 || c.bottom <= 0)
        return;
    TBitmap* pic = FormPicture();
    TPoint at = ClientOffset(Handle);
    if (pic) {
        const TPoint w = BackgroundOffset();
        at = TPoint(at.X + w.X, at.Y + w.Y);
    } else {
        PrepareWindowCache(SkinData, Handle, false);
        pic = SkinData->CacheBmp();
    }
    if (!pic) {
        FillDC(DC, TRect(0, 0, c.right, c.bottom), GetSysColor(COLOR_APPWORKSPACE));
        return;
    }
    // Beyond the picture (a form cache not yet sized to the form): the section's colour.
    const TRect inside(std::max(0, -at.X), std::max(0, -at.Y), std::min(int(c.right), pic->Width() - at.X),
                       std::min(int(c.bottom), pic->Height() - at.Y));
    if (inside.Left > 0 || inside.Top > 0 || inside.Right < c.right || inside.Bottom < c.bottom) {
        const TzGeneralData* s = SectionOf(SkinData);
        FillDC(DC, TRect(0, 0, c.right, c.bottom), s ? ColorToRGB(s->Color) : TColor(GetSysColor(COLOR_APPWORKSPACE)));
    }
    if (inside.Width() > 0 && inside.Height() > 0)
        BitBlt(DC, inside.Left, inside.Top, inside.Width(), inside.Height(), pic->Canvas()->Handle(),
               at.X + inside.Left, at.Y + inside.Top, SRCCOPY);
    // The form's controls without windows lie over the client.
    if (auto* form = FindControl(GetParent(Handle))) {
        POINT fc{0, 0}, mc{0, 0};
        ClientToScreen(form->Handle(), &fc);
        ClientToScreen(Handle, &mc);
        PaintGraphicChildren(form, DC, TPoint(fc.x - mc.x, fc.y - mc.y));
    }
}

void TSkMDIWnd::PaintMDIFrame()
{
    TBitmap* pic = FormPicture();
    TPoint at;
    if (pic) {
        at = BackgroundOffset();
    } else {
        PrepareWindowCache(SkinData, Handle, false);
        pic = SkinData->CacheBmp();
    }
    if (!pic)
        return;
    RECT wr{};
    GetWindowRect(Handle, &wr);
    TWindowDC dc(Handle);
    BitBltBorderStrips(dc.Handle(), pic, FrameLeft, FrameTop, FrameRight, FrameBottom, at.X, at.Y,
                       wr.right - wr.left, wr.bottom - wr.top);
    PaintScrollBars(this, Handle, dc.Handle());
}

void TSkMDIWnd::SkinCommand(TWMSkinCommand Cmd)
{
    if (Cmd.Command == SKCMD_GETBGIMAGE && Skinning() && FormPicture())
        SharedCacheInfo = MakeCacheInfo(FormPicture(), 0, 0);
    else
        TSkBaseWnd::SkinCommand(Cmd);
}

void TSkMDIWnd::NCPaint(TMessage& M)
{
    // The system's frame first (it draws its own bars with it), ours over it.
    if (PassOn(M))
        PaintMDIFrame();
}

void TSkMDIWnd::WndProc(TMessage& M)
{
    if (!Skinning() || M.Msg == SM_SKINCMD) {
        TSkBaseWnd::WndProc(M);
        return;
    }
    switch (M.Msg) {
    case WM_ERASEBKGND:
        PaintClient(TWMEraseBkgnd(M).DC);
        M.Result = 1;
        return;
    case WM_PAINT:
        PaintInto(Handle, TWMPaint(M).DC, [this](HDC DC) { PaintClient(DC); });
        M.Result = 0;
        return;
    case WM_NCPAINT:
        if (!IsWindowVisible(Handle) || SkinData->GetUpdating())
            break;
        NCPaint(M);
        return;
    }
    TSkBaseWnd::WndProc(M);
}

// ---------------------------------------------------------------------------------------
// Popup menu windows

TzPopupMenuSeam PopupMenuSeam;

Z_CLASS_IMPL(TSkMnuWnd, TSkScrollWnd)

TSkMnuWnd* TSkMnuWnd::AdaptMenuWindow(HWND Window, TzSkinManager* Manager)
{
    if (!Window || FindWindowAdapter(Window))
        return nullptr;
    // Owned by the window: freed as the window is destroyed.
    auto* a = new TSkMnuWnd(Window, nullptr, Manager, "MAINMENU");
    a->Attach(false);
    return a;
}

TPoint TSkMnuWnd::ClientOffset() const { return zclient::ClientOffset(Handle); }

void TSkMnuWnd::PrepareMenuCache()
{
    RECT wr{};
    GetWindowRect(Handle, &wr);
    const int w = std::max(0, int(wr.right - wr.left)), h = std::max(0, int(wr.bottom - wr.top));
    SkinData->PrepareCache();
    TBitmap* cache = SkinData->CacheBmp();
    if (!SkinData->BGChanged() && cache->Width() == w && cache->Height() == h)
        return;
    cache->SetSize(w, h);
    if (w >= 2 && h >= 2) {
        PaintSkinSection(SkinData, EmptyCacheInfo, bfFillCentre | bfKeysShowParent, SkinKeyColor, cache, TPoint(),
                         TRect(0, 0, w, h), psNormal);
        FillBorderKeys(SkinData, Handle);
    }
    SkinData->SetBGChanged(false);
}

void TSkMnuWnd::SkinCommand(TWMSkinCommand Cmd)
{
    // The menu window answers for itself; nothing passes on.
    switch (Cmd.Command) {
    case SKCMD_ISSKINNED:
        Cmd.Answer(1);
        break;
    case SKCMD_NEWSKIN:
        Cmd.Answer(LPARAM(Painted));
        break;
    case SKCMD_ENDPARENTUPDATE:
        if (IsWindowVisible(Handle))
            Painted = 1;
        break;
    }
}

void TSkMnuWnd::Destroyed(TMessage& M)
{
    Painted = 0;
    DetachOnDestroy(M);
    PopupMenuSeam.ItemDrawn = false;
    if (PopupMenuSeam.ResetPopupState)
        PopupMenuSeam.ResetPopupState();
    // Only a hooked adapter hears its window: this one is the window's, and goes with it.
    delete this;
}

void TSkMnuWnd::Erase(HDC DC)
{
    PrepareMenuCache();
    RECT c{};
    GetClientRect(Handle, &c);
    const TPoint at = ClientOffset();
    BitBlt(DC, 0, 0, c.right, c.bottom, SkinData->CacheBmp()->Canvas()->Handle(), at.X, at.Y, SRCCOPY);
    Painted = 0;
}

void TSkMnuWnd::PaintMenuFrame()
{
    PrepareMenuCache();
    RECT c{}, wr{};
    GetClientRect(Handle, &c);
    GetWindowRect(Handle, &wr);
    const TPoint at = ClientOffset();
    const int w = wr.right - wr.left, h = wr.bottom - wr.top;
    TWindowDC dc(Handle);
    BitBltBorderStrips(dc.Handle(), SkinData->CacheBmp(), at.X, at.Y, w - c.right - at.X, h - c.bottom - at.Y);
}

void TSkMnuWnd::WndProc(TMessage& M)
{
    switch (M.Msg) {
    case WM_DESTROY:
    case WM_NCDESTROY:
        Destroyed(M);
        return;
    }
    if (!PopupMenuSeam.ItemDrawn || !SkinActive() || !SkinData->Skinned()) {
        TSkScrollWnd::WndProc(M);
        return;
    }
    switch (M.Msg) {
    case WM_ERASEBKGND:
        Erase(TWMEraseBkgnd(M).DC);
        M.Result = 1;
        return;
    case WM_NCPAINT:
        if (!SkinIsNTPlatform)
            break;
        PaintMenuFrame();
        M.Result = 0;
        return;
    }
    TSkScrollWnd::WndProc(M);
}
