#include "skin/zskinwnd.h"

#include "classlib/forms.h"
#include "classlib/gdihandles.h"
#include "skin/zcommondata.h"
#include "skin/zcontrolutils.h"
#include "skin/zgraphics.h"
#include "skin/zsectionpaint.h"
#include "skin/zskinmanager.h"

#include <algorithm>
#include <cstring>
#include <vector>

uint8_t AdapterKeepColorsHandOver = 0;

// ---------------------------------------------------------------------------------------
// The link an adapter puts into its window's chain. It outlives the adapter whenever it
// cannot be taken out (another subclass lies over it): it then passes every message on
// until its window (or its control) is gone, and takes itself out once it is on top again.

class TSkWndLink : public std::enable_shared_from_this<TSkWndLink> {
public:
    TSkMainWnd* Adapter = nullptr;   // receives the messages; none once detached
    TSkMainWnd* Owner = nullptr;     // the adapter object; none once freed
    HWND Wnd = nullptr;
    // A class-library object: its WindowProc was replaced.
    TControl* Control = nullptr;
    std::unique_ptr<TSkFreeWatch> Watch;
    TWndMethod OldMethod;
    // A foreign window: its procedure was replaced by Instance.
    WNDPROC OldProc = nullptr;
    WNDPROC Instance = nullptr;
    bool Unicode = false;
    bool Installed = false;
    bool WindowGone = false;   // WM_NCDESTROY went through
    int Depth = 0;

    ~TSkWndLink()
    {
        // No message runs through the instance any more: whoever was in it held the link.
        FreeObjectInstance(Instance);
    }
    TWndMethod Method() { return MakeMethod<&TSkWndLink::Message>(this); }
    bool ControlAlive() const { return Control && Watch && !Watch->Freed(); }

    void Install(TControl* Target);
    // The replaced procedure back when the link is still the current one.
    bool CutOut();
    // Detached: cut out, or left in the chain passing everything on.
    void Release();
    void PassOn(TMessage& M);
    void Message(TMessage& M);
    // Nothing will call the link any more.
    bool Finished() const
    {
        if (Depth > 0)
            return false;
        if (!Installed)
            return true;
        return Control ? !ControlAlive() : (WindowGone || !IsWindow(Wnd));
    }
};

namespace {

// Links left in chains after their adapters went; freed once nothing can call them.
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

bool IsSkinProvider(const TObject* Obj)
{
    for (const TClassInfo* c = Obj ? &Obj->ClassInfo() : nullptr; c; c = c->Parent)
        if (std::strcmp(c->Name, "TzSkinProvider") == 0)
            return true;
    return false;
}

// The class-library object whose WindowProc an adapter of this skin data replaces: the
// owner control, or the form of a provider; none for a foreign window, and none when that
// object's window is not the one adapted (an inner window of a control).
TControl* HookTarget(const TzCommonData* SD, HWND Window)
{
    TControl* c = nullptr;
    if (SD && SD->OwnerControl())
        c = SD->OwnerControl();
    else if (SD && IsSkinProvider(SD->OwnerObject()))
        c = dynamic_cast<TCustomForm*>(static_cast<TComponent*>(SD->OwnerObject())->Owner());
    auto* w = dynamic_cast<TWinControl*>(c);
    return w && w->WindowHandle() == Window ? c : nullptr;
}

} // namespace

void TSkWndLink::Install(TControl* Target)
{
    if (Target) {
        Control = Target;
        Watch = std::make_unique<TSkFreeWatch>(Target);
        OldMethod = Target->WindowProc();
        Target->SetWindowProc(Method());
    } else {
        Unicode = IsWindowUnicode(Wnd) != FALSE;
        OldProc = CurrentProc(Wnd, Unicode);
        Instance = MakeObjectInstance(Method());
        SetProc(Wnd, Unicode, Instance);
    }
    Installed = true;
}

bool TSkWndLink::CutOut()
{
    if (!Installed)
        return true;
    if (Control) {
        if (!ControlAlive() || Control->WindowProc() != Method())
            return false;
        Control->SetWindowProc(OldMethod);
    } else {
        // A window that is gone, or whose handle now names another window, is left alone.
        if (WindowGone || !IsWindow(Wnd) || CurrentProc(Wnd, Unicode) != Instance)
            return false;
        SetProc(Wnd, Unicode, OldProc);
    }
    Installed = false;
    return true;
}

void TSkWndLink::Release()
{
    Adapter = nullptr;
    if (!CutOut() && !Finished())
        Orphans().push_back(shared_from_this());
}

void TSkWndLink::PassOn(TMessage& M)
{
    if (Control) {
        if (ControlAlive() && OldMethod)
            OldMethod(M);
    } else if (OldProc) {
        M.Result = Unicode ? CallWindowProcW(OldProc, Wnd, M.Msg, M.WParam, M.LParam)
                           : CallWindowProcA(OldProc, Wnd, M.Msg, M.WParam, M.LParam);
    }
}

void TSkWndLink::Message(TMessage& M)
{
    // The link stays while the message is in it, whatever frees its adapter meanwhile.
    std::shared_ptr<TSkWndLink> keep = shared_from_this();
    ++Depth;
    TScopeExit leave([this] { --Depth; });
    if (Adapter) {
        Adapter->WndProc(M);
    } else {
        // Left behind and on top again: out of the chain before passing on.
        if (CutOut())
            SweepOrphans();
        PassOn(M);
    }
    if (M.Msg == WM_NCDESTROY && !Control)
        WindowGone = true;
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
    SweepOrphans();
    if (Adapter->FLink && Adapter->FLink->Adapter)
        Adapter->FLink->Release();
    Adapter->Scrolling = 0;
    Adapter->Handle = Window;
    SetPropW(Window, AdapterPropName, reinterpret_cast<HANDLE>(Adapter));
    auto link = std::make_shared<TSkWndLink>();
    link->Adapter = link->Owner = Adapter;
    link->Wnd = Window;
    link->Install(HookTarget(Adapter->SkinData, Window));
    Adapter->FLink = std::move(link);
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

bool TSkMainWnd::Hooked() const { return FLink && FLink->Adapter == this; }
TWndMethod TSkMainWnd::OldWindowProc() const { return FLink ? FLink->OldMethod : TWndMethod(); }
WNDPROC TSkMainWnd::OldWndProc() const { return FLink ? FLink->OldProc : nullptr; }
WNDPROC TSkMainWnd::ObjectInstance() const { return FLink ? FLink->Instance : nullptr; }

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
