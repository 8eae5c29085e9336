#include "skin/zclientwnd.h"

#include "classlib/gdihandles.h"
#include "skin/zcommondata.h"
#include "skin/zcontrolutils.h"
#include "skin/zgraphics.h"
#include "skin/zskinmanager.h"

#include <commctrl.h>

namespace {

bool FromOwnManager(const TSkMainWnd* A, const TMessage& M)
{
    TzSkinManager* own = A->SkinManager ? A->SkinManager : A->SkinData->GetSkinManager();
    return M.Msg == SM_SKINCMD && own && M.LParam == reinterpret_cast<LPARAM>(own);
}

bool IsSkinCommand(const TMessage& M, uint16_t Command) { return M.Msg == SM_SKINCMD && M.WParamHi() == Command; }

const TzGeneralData* SectionOf(const TzCommonData* SD)
{
    TzSkinManager* m = SD ? SD->GetSkinManager() : nullptr;
    return m && m->IsValidSkinIndex(SD->SkinIndex) ? &m->Section(SD->SkinIndex) : nullptr;
}

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
        return true;
    default:
        return false;
    }
}

// The four frame strips of the cache, of the given widths, to the same places of DC.
void BitBltBorderStrips(HDC DC, TBitmap* Cache, int L, int T, int R, int B)
{
    const int w = Cache->Width(), h = Cache->Height();
    const HDC src = Cache->Canvas()->Handle();
    const auto strip = [&](int X, int Y, int W, int H) {
        if (W > 0 && H > 0)
            BitBlt(DC, X, Y, W, H, src, X, Y, SRCCOPY);
    };
    strip(0, 0, w, T);
    strip(0, h - B, w, B);
    strip(0, T, L, h - T - B);
    strip(w - R, T, R, h - T - B);
}

} // namespace

// ---------------------------------------------------------------------------------------

Z_CLASS_IMPL(TSkBaseWnd, TSkScrollWnd)

void TSkBaseWnd::RedrawFrame()
{
    if (Hooked() && IsWindowVisible(Handle))
        SendMessageW(Handle, WM_NCPAINT, 1, 0);
}

void TSkBaseWnd::WndProc(TMessage& M)
{
    if (IsSkinCommand(M, SKCMD_PREPARECACHE)) {
        PrepareWindowCache(SkinData, Handle, false);
        return;
    }
    const bool skinned = SkinData && SkinData->Skinned();
    if (!skinned || (M.Msg == SM_SKINCMD && !(M.WParamHi() == SKCMD_REFRESH && FromOwnManager(this, M)))) {
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
    case SM_SKINCMD:   // the refresh from its manager
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

void TSkEditWnd::SaveStdParams()
{
    if (TControl* c = Control()) {
        SavedColor = c->Color();
        SavedFontColor = c->Font()->Color();
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

void TSkEditWnd::Print(TMessage& M)
{
    const HDC dc = reinterpret_cast<HDC>(M.WParam);
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
    SendMessageW(Handle, WM_ERASEBKGND, M.WParam, 0);
    SendMessageW(Handle, WM_PAINT, M.WParam, 0);
    SendMessageW(Handle, WM_PRINTCLIENT, M.WParam, PRF_CLIENT | PRF_OWNED);
    M.Result = 0;
}

void TSkEditWnd::WndProc(TMessage& M)
{
    if (M.Msg == SM_SKINCMD) {
        if (M.WParamHi() == SKCMD_GETDISABLEDKIND) {
            M.Result = SkinData->SkinIndex + 1;
            return;
        }
        const bool removed = M.WParamHi() == SKCMD_SKINREMOVED && FromOwnManager(this, M);
        TSkAliveToken alive(this);
        TSkBaseWnd::WndProc(M);
        if (removed && alive() && IsWindow(Handle))
            RefreshWindowFrame(Handle, true);
        return;
    }
    if (!SkinData || !SkinData->Skinned() || !Hooked()) {
        TSkBaseWnd::WndProc(M);
        return;
    }
    switch (M.Msg) {
    case WM_NCPAINT:
        if (SkinData->GetUpdating())
            break;
        PrepareWindowCache(SkinData, Handle, false);
        PaintFrame(nullptr);
        M.Result = 0;
        return;
    case WM_PRINT:
        Print(M);
        return;
    case WM_PAINT:
        if (SkinData->GetUpdating()) {
            // Kept in mind, so that the end of the parent's update paints what waited here.
            SkinData->SetUpdating(true);
            TPaintDC paint(Handle);
            M.Result = 0;
            return;
        }
        break;
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
        if (DefaultManager && IsWindowEnabled(Handle))
            DefaultManager->SetActiveControl(Handle);
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

void TSkTreeViewWnd::WndProc(TMessage& M)
{
    const bool skinned = SkinData && SkinData->Skinned() && Hooked();
    if (skinned && M.Msg == WM_ERASEBKGND && !SkinData->GetUpdating()) {
        PrepareWindowCache(SkinData, Handle, false);
        RECT r{};
        GetClientRect(Handle, &r);
        FillDC(reinterpret_cast<HDC>(M.WParam), TRect(r.left, r.top, r.right, r.bottom), ShownColor());
        M.Result = 0;
        return;
    }
    TSkAliveToken alive(this);
    TSkEditWnd::WndProc(M);
    if (skinned && M.Msg == WM_LBUTTONUP && alive() && GetCapture() == Handle)
        ReleaseCapture();
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
