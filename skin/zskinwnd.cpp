#include "skin/zskinwnd.h"

#include "classlib/forms.h"
#include "classlib/gdihandles.h"
#include "skin/zcommondata.h"
#include "skin/zcontrolutils.h"
#include "skin/zgraphics.h"
#include "skin/zsectionpaint.h"
#include "skin/zskinmanager.h"
#include "skin/zskinprovider.h"

#include <algorithm>
#include <vector>

uint8_t AdapterKeepColorsHandOver = 0;

// ---------------------------------------------------------------------------------------
// The link in a window's chain

namespace {

// Links left in chains after their owners went; freed once nothing can call them.
std::vector<std::shared_ptr<TSkWndLink>>& Orphans()
{
    static std::vector<std::shared_ptr<TSkWndLink>> list;
    return list;
}

void SweepOrphans()
{
    auto& list = Orphans();
    list.erase(std::remove_if(list.begin(), list.end(), [](const auto& l) { return l->Finished(); }), list.end());
}

WNDPROC CurrentProc(HWND Wnd, bool Unicode)
{
    return reinterpret_cast<WNDPROC>(Unicode ? GetWindowLongPtrW(Wnd, GWLP_WNDPROC)
                                             : GetWindowLongPtrA(Wnd, GWLP_WNDPROC));
}

void SetProc(HWND Wnd, bool Unicode, WNDPROC Proc)
{
    if (Unicode)
        SetWindowLongPtrW(Wnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(Proc));
    else
        SetWindowLongPtrA(Wnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(Proc));
}

// The class-library object whose WindowProc an adapter of this skin data replaces: the
// owner control, or the form of a provider; none for a foreign window, and none when that
// object's window is not the one adapted (an inner window of a control).
TControl* HookTarget(const TzCommonData* SD, HWND Window)
{
    TControl* c = nullptr;
    if (SD && SD->OwnerControl())
        c = SD->OwnerControl();
    else if (auto* provider = SD ? dynamic_cast<TzSkinProvider*>(SD->OwnerObject()) : nullptr)
        c = provider->Form();
    auto* w = dynamic_cast<TWinControl*>(c);
    return w && w->WindowHandle() == Window ? c : nullptr;
}

} // namespace

TSkWndLink::~TSkWndLink()
{
    // No message runs through the instance any more: whoever was in it held the link.
    FreeObjectInstance(FInstance);
}

std::shared_ptr<TSkWndLink> TSkWndLink::Install(HWND Wnd, TControl* Control, TWndMethod Receiver, const void* Owner)
{
    SweepOrphans();
    auto link = std::make_shared<TSkWndLink>();
    link->FReceiver = Receiver;
    link->Owner = Owner;
    link->FWnd = Wnd;
    link->Hook(Control);
    return link;
}

bool TSkWndLink::ControlAlive() const { return FControl && FWatch && !FWatch->Freed(); }

bool TSkWndLink::Finished() const
{
    if (FDepth > 0)
        return false;
    if (!FInstalled)
        return true;
    return FControl ? !ControlAlive() : (FWindowGone || !IsWindow(FWnd));
}

void TSkWndLink::Hook(TControl* Target)
{
    if (Target) {
        FControl = Target;
        FWatch = std::make_unique<TSkFreeWatch>(Target);
        FOldMethod = Target->WindowProc();
        Target->SetWindowProc(Method());
    } else {
        FUnicode = IsWindowUnicode(FWnd) != FALSE;
        FOldProc = CurrentProc(FWnd, FUnicode);
        FInstance = MakeObjectInstance(Method());
        SetProc(FWnd, FUnicode, FInstance);
    }
    FInstalled = true;
}

bool TSkWndLink::CutOut()
{
    if (!FInstalled)
        return true;
    if (FControl) {
        if (!ControlAlive() || FControl->WindowProc() != Method())
            return false;
        FControl->SetWindowProc(FOldMethod);
    } else {
        // A window that is gone, or whose handle now names another window, is left alone.
        if (FWindowGone || !IsWindow(FWnd) || CurrentProc(FWnd, FUnicode) != FInstance)
            return false;
        SetProc(FWnd, FUnicode, FOldProc);
    }
    FInstalled = false;
    return true;
}

void TSkWndLink::Release()
{
    FReceiver = nullptr;
    if (!CutOut() && !Finished())
        Orphans().push_back(shared_from_this());
}

void TSkWndLink::PassOn(TMessage& M)
{
    if (FControl) {
        if (ControlAlive() && FOldMethod)
            FOldMethod(M);
    } else if (FOldProc) {
        M.Result = FUnicode ? CallWindowProcW(FOldProc, FWnd, M.Msg, M.WParam, M.LParam)
                            : CallWindowProcA(FOldProc, FWnd, M.Msg, M.WParam, M.LParam);
    }
}

void TSkWndLink::Message(TMessage& M)
{
    // The link stays while the message is in it, whatever frees its owner meanwhile.
    std::shared_ptr<TSkWndLink> keep = shared_from_this();
    ++FDepth;
    TScopeExit leave([this] { --FDepth; });
    if (FReceiver) {
        FReceiver(M);
    } else {
        // Left behind and on top again: out of the chain before passing on.
        if (CutOut())
            SweepOrphans();
        PassOn(M);
    }
    if (M.Msg == WM_NCDESTROY && !FControl)
        FWindowGone = true;
}

// ---------------------------------------------------------------------------------------

Z_CLASS_IMPL(TSkMainWnd, TObject)

TSkMainWnd::TSkMainWnd(HWND Window, TzCommonData* ASkinData, TzSkinManager* ASkinManager,
                       const AnsiString& SectionName)
    : Handle(Window)
{
    if (Window && SetWindowThemeProc && UpperCase(SectionName) != "DIALOG")
        SetWindowThemeProc(Window, L" ", L" ");
    if (ASkinData) {
        SkinData = ASkinData;
    } else {
        OwnsSkinData = 1;
        SkinData = new TzCommonData(nullptr, true);
        if (ASkinManager)
            SkinData->SetSkinManager(ASkinManager);
    }
    if (ASkinManager)
        FManager = std::make_unique<TSkFreeWatch>(ASkinManager);
    if (SkinData->SkinSection().empty())
        SkinData->SetSkinSection(SectionName);
}

TSkMainWnd::~TSkMainWnd()
{
    Release();
    if (FLink)
        FLink->Owner = nullptr;
    if (OwnsSkinData)
        delete SkinData;
    SkinData = nullptr;
}

void TSkMainWnd::Release()
{
    if (Dead)
        return;
    if (Handle && IsWindow(Handle) && SetWindowThemeProc)
        SetWindowThemeProc(Handle, nullptr, nullptr);
    Detach(false);
}

void TSkMainWnd::Attach(bool Repaint)
{
    KeepColors = AdapterKeepColorsHandOver;
    SaveStdParams();
    ColorsApplied = 0;
    if (Handle)
        HookParts(Repaint);
}

void TSkMainWnd::HookParts(bool Repaint)
{
    (void)Repaint;
    HookWindow(this, Handle);
}

void HookWindow(TSkMainWnd* Adapter, HWND Window)
{
    if (!Adapter || !Window || Adapter->Dead)
        return;
    if (Adapter->FLink && Adapter->FLink->Receiving())
        Adapter->FLink->Release();
    Adapter->Scrolling = 0;
    Adapter->Handle = Window;
    SetPropW(Window, AdapterPropName, reinterpret_cast<HANDLE>(Adapter));
    Adapter->FLink = TSkWndLink::Install(Window, HookTarget(Adapter->SkinData, Window),
                                         MakeMethod<&TSkMainWnd::WndProc>(Adapter), Adapter);
}

void TSkMainWnd::Detach(bool Repaint)
{
    if (Dead)
        return;
    Dead = 1;
    if (FLink)
        FLink->Release();
    const bool alive = Handle && IsWindow(Handle);
    if (alive && GetPropW(Handle, AdapterPropName) == reinterpret_cast<HANDLE>(this))
        RemovePropW(Handle, AdapterPropName);
    RestoreStdParams();
    DetachParts();
    if (alive && !FDestroying && IsWindowVisible(Handle))
        RefreshWindowFrame(Handle, Repaint);
}

void RefreshWindowFrame(HWND Window, bool Recalculate)
{
    constexpr UINT keep = SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOOWNERZORDER;
    if (SkinChangeRunning()) {
        // Without SWP_DEFERERASE the system erases at once every invalid sibling under the
        // parent, asking after each one: with a frame changed in every control that walk is
        // repeated for each, and the one redraw at the end erases them anyway.
        if (Recalculate)
            SetWindowPos(Window, nullptr, 0, 0, 0, 0, keep | SWP_FRAMECHANGED | SWP_NOREDRAW | SWP_DEFERERASE);
        RedrawWindow(Window, nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME);
    } else if (Recalculate) {
        SetWindowPos(Window, nullptr, 0, 0, 0, 0, keep | SWP_FRAMECHANGED);
    } else {
        SendMessageW(Window, WM_NCPAINT, 1, 0);
    }
}

void UnhookWindow(TSkMainWnd* Adapter, bool Repaint)
{
    if (Adapter)
        Adapter->Detach(Repaint);
}

bool TSkMainWnd::Hooked() const { return FLink && FLink->Receiving(); }
TWndMethod TSkMainWnd::OldWindowProc() const { return FLink ? FLink->OldMethod() : TWndMethod(); }
WNDPROC TSkMainWnd::OldWndProc() const { return FLink ? FLink->OldProc() : nullptr; }
WNDPROC TSkMainWnd::ObjectInstance() const { return FLink ? FLink->Instance() : nullptr; }

TzSkinManager* TSkMainWnd::SkinManager() const
{
    if (auto* given = FManager ? static_cast<TzSkinManager*>(FManager->Target()) : nullptr)
        return given;
    return SkinData ? SkinData->GetSkinManager() : nullptr;
}

bool TSkMainWnd::SkinActive() const
{
    TzSkinManager* m = SkinManager();
    return SkinData && m && !m->IsDestroying() && m->SkinData().Active;
}

bool TSkMainWnd::PassOn(TMessage& Message)
{
    TSkAliveToken alive(this);
    if (FLink)
        FLink->PassOn(Message);
    return alive();
}

TSkAliveToken::TSkAliveToken(const TSkMainWnd* Adapter) : FLink(Adapter->FLink), FAdapter(Adapter) {}

bool TSkAliveToken::operator()() const { return !FLink || FLink->Owner == FAdapter; }

LRESULT CallOldWndProc(TSkMainWnd* Adapter, HWND Window, UINT Msg, WPARAM WParam, LPARAM LParam)
{
    (void)Window;
    TMessage m{Msg, WParam, LParam, 0};
    if (Adapter)
        Adapter->PassOn(m);
    return m.Result;
}

TSkMainWnd* FindWindowAdapter(HWND Window)
{
    return Window ? reinterpret_cast<TSkMainWnd*>(GetPropW(Window, AdapterPropName)) : nullptr;
}

void TSkMainWnd::DetachOnDestroy(TMessage& Message)
{
    FDestroying = true;
    if (Hooked())
        Detach(false);
    PassOn(Message);
}

void TSkMainWnd::GetWindowInfo()
{
    RECT wr{}, pr{};
    ::GetWindowRect(Handle, &wr);
    WndRect = TRect(wr.left, wr.top, wr.right, wr.bottom);
    WndSize = TSize{wr.right - wr.left, wr.bottom - wr.top};
    ParentHandle = GetParent(Handle);
    if (ParentHandle)
        ::GetWindowRect(ParentHandle, &pr);
    ParentRect = TRect(pr.left, pr.top, pr.right, pr.bottom);
    WndPos = TPoint(wr.left - pr.left, wr.top - pr.top);
    const int n = GetWindowTextLengthW(Handle);
    Caption.assign(size_t(std::max(n, 0)), L'\0');
    if (n > 0)
        Caption.resize(size_t(GetWindowTextW(Handle, Caption.data(), n + 1)));
}

// ---------------------------------------------------------------------------------------

bool TSkMainWnd::FromOwnManager(const TWMSkinCommand& Cmd) const
{
    TzSkinManager* own = SkinManager();
    return own && Cmd.ParamAs<TzSkinManager>() == own;
}

bool TSkMainWnd::Skinning() const { return SkinData && SkinData->Skinned() && Hooked(); }

void TSkMainWnd::BecomeHot()
{
    if (DefaultManager && IsWindowEnabled(Handle))
        DefaultManager->SetActiveControl(Handle);
}

bool TSkMainWnd::HandleAdapterCommand(TWMSkinCommand& Cmd)
{
    const bool fromOwn = FromOwnManager(Cmd);
    switch (Cmd.Command) {
    case SKCMD_NEWSKIN:
        if (fromOwn)
            SkinData->UpdateIndexes();
        return false;
    case SKCMD_REFRESH:
        if (!fromOwn)
            return false;
        SkinData->UpdateIndexes();
        InvalidateRect(Handle, nullptr, TRUE);
        UpdateWindow(Handle);
        return true;
    case SKCMD_SKINREMOVED:
        if (fromOwn)
            RestoreStdParams();
        return false;
    case SKCMD_GETBGIMAGE:
        if (TBitmap* cache = SkinData->CacheBmp())
            SharedCacheInfo = MakeCacheInfo(cache, 0, 0);
        return true;
    case SKCMD_ENDPARENTUPDATE:
        if (!SkinData->GetUpdating())
            return false;
        SkinData->SetUpdating(false);
        RedrawWindow(Handle, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW | RDW_FRAME);
        return true;
    case SKCMD_ISSKINNED:
        Cmd.Answer(1);
        return true;
    case SKCMD_ISUPDATING:
        Cmd.Answer(SkinData->BGChanged() || SkinData->GetUpdating() ? 1 : 0);
        return true;
    case SKCMD_ISIMAGEBG:
    case SKCMD_GETBGCOLOR:
        if (!SkinData->OwnerControl())
            return false;
        HandleSkinCommand(Cmd.Message, SkinData);
        return true;
    case SKCMD_PREPARECACHE:
        PrepareWindowCache(SkinData, Handle, false);
        return false;
    default:
        return false;
    }
}

void TSkMainWnd::SkinCommand(TWMSkinCommand Cmd)
{
    if (!HandleAdapterCommand(Cmd))
        PassOn(Cmd.Message);
}

void TSkMainWnd::WndProc(TMessage& M)
{
    if (M.Msg == WM_DESTROY || M.Msg == WM_NCDESTROY) {
        DetachOnDestroy(M);
        return;
    }
    if (!SkinActive()) {
        PassOn(M);
        return;
    }
    switch (M.Msg) {
    case WM_UPDATEUISTATE:
        return;
    case WM_PRINT:
        // Painted into the DC the message gives, as it came.
        M.Result = SendMessageW(Handle, WM_PAINT, M.WParam, M.LParam);
        return;
    case WM_MOUSEMOVE:
        BecomeHot();
        break;
    case SM_SKINCMD:
        SkinCommand(TWMSkinCommand(M));
        return;
    }
    PassOn(M);
}

// ---------------------------------------------------------------------------------------
// The window's cache

TzBorderWidths SectionBorderWidths(const TzCommonData* SD)
{
    TzSkinManager* m = SD ? SD->GetSkinManager() : nullptr;
    if (!m || !m->IsValidMaskIndex(SD->BorderIndex))
        return {};
    const int k = SD->BorderIndex;
    return {m->MaskMarginLeft(k), m->MaskMarginTop(k), m->MaskMarginRight(k), m->MaskMarginBottom(k)};
}

namespace {

// The window's offset within its parent's window rectangle.
TPoint OffsetInParent(HWND Wnd, HWND Parent)
{
    RECT wr{}, pr{};
    GetWindowRect(Wnd, &wr);
    if (Parent)
        GetWindowRect(Parent, &pr);
    return TPoint(wr.left - pr.left, wr.top - pr.top);
}

} // namespace

TColor WindowParentColor(HWND Parent)
{
    SharedParentColor = SkinKeyColor;
    if (Parent)
        SendCommandToWindow(Parent, SKCMD_GETBGCOLOR, 0);
    TColor c = SharedParentColor;
    SharedParentColor = SkinKeyColor;
    return c == SkinKeyColor ? TColor(GetSysColor(COLOR_BTNFACE)) : ColorToRGB(c);
}

void FillBorderKeys(TzCommonData* SD, HWND Window)
{
    TBitmap* cache = SD ? SD->CacheBmp() : nullptr;
    TSkPixelRows rows;
    if (!cache || !PixelRowsOf(cache, rows))
        return;
    const TzBorderWidths b = SectionBorderWidths(SD);
    if (!b.Left && !b.Top && !b.Right && !b.Bottom)
        return;
    const HWND parent = GetParent(Window);
    const TzCacheInfo info = QueryParentCacheByHandle(Window);
    TSkPixelRows prow;
    const bool image = info.Ready && PixelRowsOf(info.Bmp, prow);
    const TPoint at = OffsetInParent(Window, parent);
    const TColor colour = image ? SkinKeyColor : WindowParentColor(parent);
    const auto fix = [&](int x, int y) {
        uint8_t* p = rows.At(x, y);
        if (p[0] != 0xFF || p[1] != 0x00 || p[2] != 0xFF)
            return;
        TColor c = colour;
        if (image) {
            const int px = info.X + at.X + x, py = info.Y + at.Y + y;
            if (!prow.Contains(px, py))
                return;
            const uint8_t* q = prow.At(px, py);
            c = TColor(q[2] | (q[1] << 8) | (q[0] << 16));
        }
        p[0] = uint8_t(c >> 16);
        p[1] = uint8_t(c >> 8);
        p[2] = uint8_t(c);
    };
    const int right = std::max(0, rows.Width - b.Right);
    for (int y = 0; y < rows.Height; ++y) {
        if (y < b.Top || y >= rows.Height - b.Bottom) {
            for (int x = 0; x < rows.Width; ++x)
                fix(x, y);
            continue;
        }
        for (int x = 0; x < std::min(b.Left, rows.Width); ++x)
            fix(x, y);
        for (int x = std::max(right, b.Left); x < rows.Width; ++x)
            fix(x, y);
    }
}

void PrepareWindowCache(TzCommonData* SD, HWND Window, bool FillOnly)
{
    if (!SD || !Window || !SD->BGChanged())
        return;
    const TzCacheInfo parent = QueryParentCacheByHandle(Window);
    RECT wr{};
    GetWindowRect(Window, &wr);
    const int w = std::max(0, int(wr.right - wr.left)), h = std::max(0, int(wr.bottom - wr.top));
    SD->PrepareCache();
    TBitmap* cache = SD->CacheBmp();
    if (cache->Width() != w || cache->Height() != h)
        cache->SetSize(w, h);
    const TColor fill = DefaultManager ? TColor(DefaultManager->SkinData().BorderColor) : SkinKeyColor;
    TzSkinManager* m = SD->GetSkinManager();
    const HWND owner = GetParent(Window);
    if (!FillOnly || fill == SkinKeyColor) {
        if (owner && m && m->IsValidSkinIndex(SD->SkinIndex) && w > 0 && h > 0) {
            PaintSkinSection(SD, parent, bfFillCentre | bfKeysShowParent, SkinKeyColor, cache,
                             OffsetInParent(Window, owner), TRect(0, 0, w, h), psNormal);
            FillBorderKeys(SD, Window);
        }
    } else {
        FillBmpRect(cache, TRect(0, 0, w, h), fill);
    }
    SD->SetBGChanged(false);
}
