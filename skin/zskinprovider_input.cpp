// The provider's window procedure: when the frame paints, the title bar's hit test, hot and
// pressed title buttons and their commands, the system menu, the outline drag, snapping to
// the screen's edges, the maximized size, and MDI parents and children kept in step.
#include "skin/zskinprovider.h"

#include "classlib/gdihandles.h"
#include "classlib/menus.h"
#include "skin/zcontrolutils.h"
#include "skin/zmdiform.h"
#include "skin/zskinmanager.h"
#include "skin/zskinwnd.h"

#include <algorithm>

namespace {

bool IsMDIChild(const TCustomForm* F) { return F && F->FormStyle() == fsMDIChild; }

// A title button was pressed and waits for its release.
bool ButtonPressed = false;
// A new MDI child opens maximized (the active one was maximized when it came).
bool OpenMaximized = false;

// The outline drag: one at a time in the process.
struct TOutlineDrag {
    TzSkinProvider* Owner = nullptr;
    bool Moving = false;
    int SizeCode = 0;
    TRect Frame;
    TRect Start;
    TPoint Last;
    int MinWidth = 0, MinHeight = 0;
    std::unique_ptr<TClientDC> Desktop;
};
TOutlineDrag Drag;

void DrawOutline()
{
    if (!Drag.Desktop)
        return;
    HDC dc = Drag.Desktop->Handle();
    const TRect& r = Drag.Frame;
    constexpr int t = 3;
    PatBlt(dc, r.Left, r.Top, r.Width(), t, DSTINVERT);
    PatBlt(dc, r.Left, r.Bottom - t, r.Width(), t, DSTINVERT);
    PatBlt(dc, r.Left, r.Top + t, t, r.Height() - 2 * t, DSTINVERT);
    PatBlt(dc, r.Right - t, r.Top + t, t, r.Height() - 2 * t, DSTINVERT);
}

// The drag ends: the outline gone, the desktop's DC given back; the form placed when Apply.
void EndOutlineDrag(bool Apply)
{
    if (!Drag.Owner)
        return;
    TzSkinProvider* owner = std::exchange(Drag.Owner, nullptr);
    DrawOutline();
    Drag.Desktop.reset();
    if (GetCapture() && owner->Form() && GetCapture() == owner->Form()->WindowHandle())
        ReleaseCapture();
    TCustomForm* f = owner->Form();
    if (!Apply || !f || !f->HandleAllocated() || Drag.Frame == Drag.Start)
        return;
    const TRect& r = Drag.Frame;
    HWND parent = GetParent(f->Handle());
    POINT p{r.Left, r.Top};
    if (parent && (GetWindowLongW(f->Handle(), GWL_STYLE) & WS_CHILD))
        ScreenToClient(parent, &p);
    MoveWindow(f->Handle(), p.x, p.y, r.Width(), r.Height(), TRUE);
}

void TrackOutline(TPoint Pt)
{
    DrawOutline();
    const int dx = Pt.X - Drag.Last.X, dy = Pt.Y - Drag.Last.Y;
    TRect& r = Drag.Frame;
    if (Drag.Moving) {
        r = TRect(r.Left + dx, r.Top + dy, r.Right + dx, r.Bottom + dy);
    } else {
        const int code = Drag.SizeCode;
        const bool left = code == HTLEFT || code == HTTOPLEFT || code == HTBOTTOMLEFT;
        const bool top = code == HTTOP || code == HTTOPLEFT || code == HTTOPRIGHT;
        const bool right = code == HTRIGHT || code == HTTOPRIGHT || (!left && !top && code != HTBOTTOM);
        const bool bottom = code == HTBOTTOM || code == HTBOTTOMLEFT || (!left && !top && code != HTRIGHT);
        if (left)
            r.Left = std::min(r.Left + dx, r.Right - Drag.MinWidth);
        if (right)
            r.Right = std::max(r.Right + dx, r.Left + Drag.MinWidth);
        if (top)
            r.Top = std::min(r.Top + dy, r.Bottom - Drag.MinHeight);
        if (bottom)
            r.Bottom = std::max(r.Bottom + dy, r.Top + Drag.MinHeight);
    }
    Drag.Last = Pt;
    DrawOutline();
}

TPoint CursorPos()
{
    POINT p{};
    GetCursorPos(&p);
    return TPoint(p.x, p.y);
}

TPoint ToWindow(HWND Wnd, TPoint Screen)
{
    RECT r{};
    GetWindowRect(Wnd, &r);
    return TPoint(Screen.X - r.left, Screen.Y - r.top);
}

bool IsTitleItem(int Code)
{
    return Code == HTSYSMENU || Code == HTMINBUTTON || Code == HTMAXBUTTON || Code == HTCLOSE || Code == HTHELP ||
           (Code >= HTMDICLOSE && Code <= HTMDIMIN) || Code >= HTUSERBUTTON;
}

bool IsButtonCode(int Code) { return IsTitleItem(Code) && Code != HTSYSMENU; }

} // namespace

// ---------------------------------------------------------------------------------------

void TzSkinProvider::PassOn(TMessage& Message)
{
    if (FLink)
        FLink->PassOn(Message);
}

LRESULT TzSkinProvider::PassOn(UINT Msg, WPARAM WParam, LPARAM LParam)
{
    TMessage m{Msg, WParam, LParam, 0};
    PassOn(m);
    return m.Result;
}

void TzSkinProvider::NewWndProc(TMessage& M)
{
    if (M.Msg == SM_SKINCMD) {
        TWMSkinCommand command(M);
        if (Skinning())
            SkinnedCommand(command);
        else if (!UnskinnedCommand(command))
            PassOn(M);
        return;
    }
    if (M.Msg == WM_CAPTURECHANGED && Drag.Owner == this)
        EndOutlineDrag(false);
    if (!Skinning()) {
        const bool child = IsMDIChild(FForm);
        PassOn(M);
        if (M.Msg == WM_NCDESTROY && child && MDISkinProvider && MDISkinProvider != this &&
            MDISkinProvider->FMDIForm && !MDISkinProvider->IsDestroying() && MDISkinProvider->Skinning()) {
            MDISkinProvider->RefreshNonClient();
            TCustomForm* parent = MDISkinProvider->FForm;
            if (!parent->ActiveMDIChild() && parent->ClientHandle())
                RedrawWindow(parent->ClientHandle(), nullptr, nullptr,
                             RDW_INVALIDATE | RDW_INTERNALPAINT | RDW_ERASE | RDW_FRAME);
        }
        return;
    }
    SkinnedMessage(M);
}

void TzSkinProvider::PassOnUndrawn(TMessage& M)
{
    HWND wnd = FForm->Handle();
    if (!IsWindowVisible(wnd)) {
        PassOn(M);
        return;
    }
    // The system paints its own caption for a new text, icon or activation without a frame
    // paint of ours: with the window marked invisible around it, its pixels never reach the
    // screen. Marked, not told to stop drawing: that would also validate whatever waits to be
    // painted, in the form and in every control on it.
    SetWindowLongW(wnd, GWL_STYLE, GetWindowLongW(wnd, GWL_STYLE) & ~WS_VISIBLE);
    TScopeExit shown([wnd] { SetWindowLongW(wnd, GWL_STYLE, GetWindowLongW(wnd, GWL_STYLE) | WS_VISIBLE); });
    PassOn(M);
}

void TzSkinProvider::SkinnedMessage(TMessage& M)
{
    switch (M.Msg) {
    case WM_CREATE:
        FTitleBG.reset();
        OpenMaximized = IsMDIChild(FForm) && MaxChildProvider;
        PassOn(M);
        FRgnChanged = true;
        PrepareForm();
        return;
    case WM_SIZE:
        SizeChanged(M);
        return;
    case WM_ACTIVATE:
        PassOn(M);
        if (FForm->ControlState() & csCreating)
            return;
        FFormActive = M.WParamLo() != WA_INACTIVE;
        FSkinData->SetBGChanged(true);
        FMenuLineCount = -1;
        if (IsMDIChild(FForm))
            MDIChildActivated();
        SendMessageW(FForm->Handle(), WM_NCPAINT, 1, 0);
        InitMenuItems(true);
        if (FSystemMenu)
            FSystemMenu->UpdateItems();
        return;
    case WM_SETTEXT:
    case WM_SETICON:
        PassOnUndrawn(M);
        if (HasBorder() && IsWindowVisible(FForm->Handle())) {
            FSkinData->SetBGChanged(true);
            SendMessageW(FForm->Handle(), WM_NCPAINT, 1, 0);
        }
        return;
    case WM_PAINT:
        WMPaint(M);
        return;
    case WM_ERASEBKGND:
        M.Result = 0;
        return;
    case WM_NCPAINT:
        WMNCPaint(M);
        return;
    case WM_NCACTIVATE:
        WMNCActivate(M);
        return;
    case WM_SYSCOLORCHANGE:
    case WM_CHILDACTIVATE:
        PassOn(M);
        SwitchMenuOwnerDraw();
        return;
    case WM_SHOWWINDOW:
        PassOn(M);
        if (IsMDIChild(FForm) && MDISkinProvider && MDISkinProvider != this && IsZoomed(FForm->Handle()))
            MDISkinProvider->RefreshNonClient();
        return;
    case WM_SETTINGCHANGE:
        FSkinData->SetBGChanged(true);
        FTitleBG.reset();
        PassOn(M);
        return;
    case WM_GETMINMAXINFO:
        WMGetMinMaxInfo(M);
        return;
    case WM_WINDOWPOSCHANGING:
        WMWindowPosChanging(M);
        return;
    case WM_WINDOWPOSCHANGED:
    case WM_EXITSIZEMOVE:
        PassOn(M);
        if (!FRgnSetting && !SkinChangeRunning() && FForm->HandleAllocated() && IsWindowVisible(FForm->Handle()) &&
            !(FForm->ControlState() & csCreating) && !CacheFits()) {
            FRgnChanged = true;
            FSkinData->SetBGChanged(true);
            FMenuLineCount = -1;
            SendMessageW(FForm->Handle(), WM_NCPAINT, 1, 0);
        }
        return;
    case WM_SIZING:
        PassOn(M);
        if (!CacheFits()) {
            FSkinData->SetBGChanged(true);
            FMenuLineCount = -1;
        }
        return;
    case WM_NCHITTEST:
        WMNCHitTest(M);
        return;
    case WM_NCLBUTTONDOWN:
        WMNCLButtonDown(M);
        return;
    case WM_NCLBUTTONUP:
    case WM_LBUTTONUP:
        ButtonUp(M);
        return;
    case WM_NCLBUTTONDBLCLK:
        WMNCLButtonDblClk(M);
        return;
    case WM_NCRBUTTONDOWN:
        if (M.WParam != HTCAPTION && M.WParam != HTSYSMENU)
            PassOn(M);
        return;
    case WM_NCRBUTTONUP:
        if (M.WParam == HTCAPTION || M.WParam == HTSYSMENU)
            DropSysMenu(TWMNCMouse(M).XPos, TWMNCMouse(M).YPos);
        return;
    case WM_SYSCOMMAND:
        WMSysCommand(M);
        return;
    case WM_INITMENUPOPUP:
        if (HIWORD(M.LParam) != 0)
            if (TzSkinMenuPainter* menus = FSkinData->GetSkinManager()->SkinableMenus())
                menus->SetSystemMenuShown(true);
        PassOn(M);
        return;
    case WM_MEASUREITEM:
        if (auto* mis = TWMMeasureItem(M).MeasureItemStruct; mis && mis->CtlType == ODT_MENU && !IsMDIChild(FForm) &&
                                                             FForm->Menu())
            if (TMenuItem* item = FForm->Menu()->FindItem(mis->itemID, fkCommand))
                if (TzSkinMenuPainter* menus = FSkinData->GetSkinManager()->SkinableMenus())
                    menus->HandMenuItem(item, true);
        PassOn(M);
        return;
    case WM_DRAWITEM:
        if (auto* dis = TWMDrawItem(M).DrawItemStruct; dis && dis->CtlType == ODT_MENU && DrawMenuBarItem(*dis)) {
            M.Result = 1;
            return;
        }
        PassOn(M);
        return;
    case WM_ENTERIDLE:
        M.Result = 0;
        return;
    case WM_MOUSEMOVE:
        PassOn(M);
        WMMouseMove(M);
        return;
    case WM_SETCURSOR:
        // The mouse is over one of the form's controls: it left the title bar, though the
        // system tells the form nothing else of it.
        if (FHotItem != 0 && !ButtonPressed && TWMSetCursor(M).CursorWnd != FForm->Handle())
            SetHotButton(0);
        PassOn(M);
        return;
    case WM_PARENTNOTIFY:
        PassOn(M);
        if (M.WParamLo() == WM_CREATE && FAdapter && !IsLoading() && !FForm->IsLoading())
            FAdapter->AddAllItems(nullptr);
        return;
    case WM_ENTERMENULOOP:
        PassOn(M);
        ShowMDIIcons(true);
        return;
    case WM_EXITMENULOOP:
        ShowMDIIcons(false);
        PassOn(M);
        return;
    case WM_MDIDESTROY:
    case WM_MDIACTIVATE:
        PassOn(M);
        if (IsMDIChild(FForm)) {
            FMenusInitialized = false;
            MDIChildActivated();
        }
        return;
    case WM_MOUSELEAVE:
    case WM_NCMOUSELEAVE:
    case CM_MOUSELEAVE:
        if (!ButtonPressed)
            SetHotButton(0);
        PassOn(M);
        return;
    case WM_PRINT:
        WMPrint(M);
        return;
    case WM_PRINTCLIENT:
        return;
    case CM_ENABLEDCHANGED:
        PassOn(M);
        RefreshNonClient();
        return;
    case CM_COLORCHANGED:
        // Passed on in any case: the form's controls that take its colour follow it.
        if (FSkinData->CustomColor() && !(FForm->ControlState() & csCreating))
            FSkinData->SetBGChanged(true);
        PassOn(M);
        return;
    case CM_MENUCHANGED:
        if (FForm->HandleAllocated() && IsWindowVisible(FForm->Handle()) && !(FForm->ControlState() & csCreating)) {
            FMenuChanged = true;
            FMenuLineCount = -1;
            FSkinData->SetBGChanged(true);
        }
        PassOn(M);
        return;
    case CM_CONTROLLISTCHANGE:
        PassOn(M);
        if (FAdapter && M.LParam)
            if (auto* control = dynamic_cast<TWinControl*>(reinterpret_cast<TControl*>(M.WParam)))
                FAdapter->AddControl(control);
        return;
    case CM_SHOWINGCHANGED: {
        TzSkinManager* m = FSkinData->GetSkinManager();
        TSkFormAnimation* anim = FForm->BorderStyle() == bsDialog ? m->AnimEffects()->DialogShow()
                                                                  : m->AnimEffects()->FormShow();
        const bool animate = FSkinData->BGChanged() && SkinSystemMajorVersion() < 6 && !IsMDIChild(FForm) &&
                             !FForm->Parent() && !FForm->ParentWindow() && anim->Active() &&
                             SkinEngineHooks.AnimShowControl && FForm->Showing();
        if (!animate) {
            PassOn(M);
            return;
        }
        FInAnimation = true;
        {
            TScopeExit done([this] { FInAnimation = false; });
            PassOn(WM_SETREDRAW, FALSE, 0);
            PassOn(M);
        }
        SkinEngineHooks.AnimShowControl(FForm, anim->Time());
        PassOn(WM_SETREDRAW, TRUE, 0);
        UpdateRegion();
        RedrawWindow(FForm->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
        return;
    }
    default:
        PassOn(M);
        return;
    }
}

void TzSkinProvider::SizeChanged(TMessage& M)
{
    FSkinData->SetBGChanged(true);
    FRgnChanged = true;
    PassOn(M);
    TzSkinManager* m = FSkinData->GetSkinManager();
    if (IsMDIChild(FForm) && MDISkinProvider && IsZoomed(FForm->Handle()) && IsWindowVisible(FForm->Handle()) &&
        MDISkinProvider->FForm->HandleAllocated()) {
        MDISkinProvider->FSkinData->SetBGChanged(!MDISkinProvider->CacheFits() ||
                                                 MDISkinProvider->FSkinData->BGChanged());
        SendMessageW(MDISkinProvider->FForm->Handle(), WM_NCPAINT, 1, 0);
    }
    if (m->Section(FSkinData->SkinIndex).GradientPercent > 0)
        for (int i = 0; i < FForm->ControlCount(); ++i)
            if (TControl* c = FForm->Controls(i); !c->IsDestroying())
                SendCommandToControl(c, SKCMD_REPAINTCHILDREN, 0, 1);
    if (!SkinChangeRunning())
        RedrawWindow(FForm->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_NOERASE);
}

void TzSkinProvider::WMPaint(TMessage& M)
{
    HWND wnd = FForm->Handle();
    // An MDI child behind a maximized one is not seen: it is only validated.
    const bool hidden = IsMDIChild(FForm) && MaxChildProvider && MaxChildProvider != this &&
                        MaxChildProvider->ZoomedChildOfParent();
    const bool paints = IsWindowVisible(wnd) && !(FForm->ControlState() & csCreating) && !FInAnimation &&
                        !FSkinData->Updating() && !hidden;
    if (HDC given = TWMPaint(M).DC) {
        if (paints)
            PaintClient(given, true);
    } else {
        // Begun and ended on every path: a paint left unvalidated comes back for ever.
        TPaintDC dc(wnd);
        if (paints)
            PaintClient(dc.Handle(), true);
    }
    if (OpenMaximized && IsMDIChild(FForm)) {
        OpenMaximized = false;
        PostMessageW(wnd, WM_SYSCOMMAND, SC_MAXIMIZE, 0);
    }
    M.Result = 0;
}

void TzSkinProvider::WMNCPaint(TMessage& M)
{
    M.Result = 0;
    HWND wnd = FForm->Handle();
    if (FInAnimation || IsLoading() || !IsWindowVisible(wnd) || (FForm->ControlState() & csCreating) ||
        FForm->IsDestroying() || FSkinData->Updating())
        return;
    if (IsMDIChild(FForm) && MaxChildProvider && MaxChildProvider != this && MaxChildProvider->ZoomedChildOfParent())
        return;
    if (!FMenusInitialized) {
        FMenusInitialized = true;
        SwitchMenuOwnerDraw();
    }
    if (FRgnChanged && !FRgnSetting) {
        if (FSkinData->BGChanged() || !CacheFits())
            PaintAll();
        UpdateRegion();
    }
    TWindowDC dc(wnd);
    if (FForm->BorderStyle() == bsNone && (GetWindowLongW(wnd, GWL_STYLE) & WS_THICKFRAME)) {
        // A form without a border that the system still lets size: its four bands.
        if (FSkinData->BGChanged() || !CacheFits())
            PaintAll();
        if (TBitmap* cache = CacheFits() ? Cache() : nullptr)
            BitBltBorder(dc.Handle(), 0, 0, cache->Width(), cache->Height(), cache->Canvas()->Handle(), 0, 0,
                         FForm->BorderWidth() + 3);
        return;
    }
    PaintFormNC(dc.Handle());
}

void TzSkinProvider::WMNCActivate(TMessage& M)
{
    HWND wnd = FForm->Handle();
    if (!IsWindowVisible(wnd)) {
        PassOn(M);
        return;
    }
    const bool active = M.WParam != 0;
    if (active != FFormActive)
        FSkinData->SetBGChanged(true);
    PassOnUndrawn(M);
    FFormActive = active;
    if (TzSkinProvider* child = ZoomedChild())
        FFormActive = active || child->FFormActive;
    SendMessageW(wnd, WM_NCPAINT, 1, 0);
    if (IsMDIChild(FForm))
        MDIChildActivated();
    TzSkinManager* m = FSkinData->GetSkinManager();
    if (DefaultManager && DefaultManager->SkinnedPopups())
        InitMenuItems(true);
    if (!FMenusInitialized) {
        FMenusInitialized = true;
        SwitchMenuOwnerDraw();
    }
    if (!FAdapter)
        MakeAdapter();
    // The form's body is painted in the new state too unless the skin keeps it: what shows it
    // through is painted again.
    if (!FInAnimation && !m->Section(FSkinData->SkinIndex).ReservedBoolean)
        RedrawWindow(wnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
}

// ---------------------------------------------------------------------------------------
// Hit test and title buttons

int TzSkinProvider::HitTest(TPoint P)
{
    const TzFrameMetrics M = Metrics();
    const int bh = ButtonHeight();
    const int top = TitleButtonTop(M, bh);
    int code = 0;
    if (M.CaptionHeight > 0 && P.Y >= top && P.Y < top + bh) {
        const TzSysMenuForm f = SystemMenuFormOf(FForm);
        code = HTCAPTION;
        if (IconWidth() > 0 && P.X >= M.BorderWidth && P.X <= M.BorderWidth + IconWidth()) {
            code = HTSYSMENU;
        } else {
            auto over = [&](const TRect& R) { return !R.IsEmpty() && P.X >= R.Left && P.X < R.Right; };
            if (over(FButtons[btClose].Rect)) {
                code = HTCLOSE;
            } else if (over(FButtons[btMax].Rect)) {
                const bool allowed = SystemMenuItemState(smiMaximize, f).Enabled ||
                                     (SystemMenuItemState(smiRestore, f).Enabled && !f.Iconic);
                code = allowed ? HTMAXBUTTON : HTCAPTION;
            } else if (over(FButtons[btMin].Rect)) {
                code = f.Iconic || SystemMenuItemState(smiMinimize, f).Enabled ? HTMINBUTTON : HTCAPTION;
            } else if (over(FButtons[btHelp].Rect)) {
                code = HTHELP;
            } else {
                for (int i = 0; i < FTitleButtons->Count(); ++i)
                    if (over(FTitleButtons->Items(i)->Rect))
                        code = FTitleButtons->Items(i)->Enabled() ? HTUSERBUTTON + i : HTCAPTION;
            }
        }
    } else {
        TzSkinManager* m = FSkinData->GetSkinManager();
        const int grip = m->FindMaskIndexExact("GLOBALINFO", "GRIPIMAGE");
        if (FGripMode == gmRightBottom && m->IsValidMaskIndex(grip)) {
            const TSize g = MaskFrame(m->Mask(grip));
            if (P.X >= M.Width - M.BorderWidth - g.cx && P.Y >= M.Height - M.BorderHeight - g.cy)
                code = HTBOTTOMRIGHT;
        }
        for (int b : {btMDIClose, btMDIMax, btMDIMin})
            if (FButtons[b].Rect.Contains(P) && FForm->FormStyle() == fsMDIForm && MaxChildProvider)
                code = b == btMDIClose ? HTMDICLOSE : b == btMDIMax ? HTMDIMAX : HTMDIMIN;
    }
    if (FForm->HandleAllocated() && IsZoomed(FForm->Handle()) && !IsTitleItem(code) &&
        !(P.X >= 2 && P.Y >= 2 && P.X < M.Width - 4 && P.Y < M.Height - 4))
        code = HTTRANSPARENT;
    SetHotButton(IsTitleItem(code) ? code : 0);
    return code;
}

void TzSkinProvider::SetHotButton(int Code, bool Repaint)
{
    ButtonPressed = false;
    if (Code == FHotItem)
        return;
    const int old = std::exchange(FHotItem, Code);
    auto setState = [&](int C, int S) {
        if (TzTitleButtonState* b = Button(C))
            b->State = S;
        else if (TzTitleButton* u = UserButton(C))
            u->State = S;
        else
            return;
        if (Repaint)
            RepaintButton(C);
    };
    setState(old, 0);
    setState(Code, 1);
    // The system tells the window when the mouse leaves its frame only when asked.
    if (Code != 0 && FForm->HandleAllocated()) {
        TRACKMOUSEEVENT t{sizeof(t), TME_LEAVE | TME_NONCLIENT, FForm->Handle(), 0};
        TrackMouseEvent(&t);
    }
}

void TzSkinProvider::SetPressedButton(int Code)
{
    const TzSysMenuForm f = SystemMenuFormOf(FForm);
    if (Code == HTMAXBUTTON && !SystemMenuItemState(smiMaximize, f).Enabled &&
        !(f.WindowState == wsMaximized && SystemMenuItemState(smiRestore, f).Enabled))
        return;
    SetHotButton(Code, false);
    if (TzTitleButtonState* b = Button(Code))
        b->State = 2;
    else if (TzTitleButton* u = UserButton(Code))
        u->State = 2;
    ButtonPressed = true;
    RepaintButton(Code);
}

void TzSkinProvider::ClearButtons()
{
    ButtonPressed = false;
    for (auto& b : FButtons)
        b.State = 0;
    for (int i = 0; i < FTitleButtons->Count(); ++i)
        FTitleButtons->Items(i)->State = 0;
    FHotItem = 0;
}

void TzSkinProvider::WMNCHitTest(TMessage& M)
{
    if (CaptionHeight() <= 0 && FGripMode == gmNone) {
        PassOn(M);
        return;
    }
    const int code = HitTest(ToWindow(FForm->Handle(), TWMNCHitTest(M).Pos()));
    if (code == 0 || code == HTCAPTION)
        PassOn(M);
    else
        M.Result = code;
    if (FResizeMode == rmBorder && (M.Result == HTCAPTION || (M.Result >= HTLEFT && M.Result <= HTBOTTOMRIGHT)))
        Drag.SizeCode = int(M.Result);
}

void TzSkinProvider::WMNCLButtonDown(TMessage& M)
{
    const int code = int(M.WParam);
    const TWMNCMouse mouse(M);
    HWND wnd = FForm->Handle();
    if (code == HTSYSMENU) {
        RECT w{};
        GetWindowRect(wnd, &w);
        DropSysMenu(w.left + SysBorderWidth(), w.top + Metrics().TitleHeight());
        return;
    }
    if (IsButtonCode(code)) {
        if (MaxChildProvider && (code == HTMDIMIN || code == HTMDIMAX)) {
            const TzSysMenuForm child = SystemMenuFormOf(MaxChildProvider->FForm);
            if (!SystemMenuItemState(code == HTMDIMIN ? smiMinimize : smiRestore, child).Enabled)
                return;
        }
        SetPressedButton(code);
        // The release comes to this window wherever the mouse is then.
        SetCapture(wnd);
        if (TzTitleButton* u = UserButton(code)) {
            const TPoint p = ToWindow(wnd, mouse.Pos());
            u->MouseDown(mbLeft, KeysToShiftState(0), p.X - u->Rect.Left, p.Y - u->Rect.Top);
        }
        return;
    }
    if (IsIconic(wnd)) {
        PassOn(WM_SYSCOMMAND, SC_MOVE | HTCAPTION, 0);
        return;
    }
    if (IsZoomed(wnd) && code == HTCAPTION)
        return;
    if (FResizeMode == rmBorder && code != HTMENU && (code == HTCAPTION || (code >= HTLEFT && code <= HTBOTTOMRIGHT))) {
        StartOutlineDrag(code);
        return;
    }
    PassOn(M);
}

void TzSkinProvider::ButtonUp(TMessage& M)
{
    if (Drag.Owner == this) {
        EndOutlineDrag(true);
        return;
    }
    if (!ButtonPressed || !IsButtonCode(FHotItem)) {
        if (M.Msg == WM_NCLBUTTONUP && IsIconic(FForm->Handle()) && !ButtonPressed) {
            const TWMNCMouse mouse(M);
            DropSysMenu(mouse.XPos, mouse.YPos);
            return;
        }
        PassOn(M);
        return;
    }
    // The release is where the mouse is now: a release with capture carries key flags, not
    // a hit-test code.
    const int pressed = FHotItem;
    const TPoint screen = CursorPos();
    if (GetCapture() == FForm->Handle())
        ReleaseCapture();
    const int at = HitTest(ToWindow(FForm->Handle(), screen));
    ButtonPressed = false;
    ClearButtons();
    RepaintButton(pressed);
    if (at == pressed)
        ActButton(pressed, screen);
}

void TzSkinProvider::ActButton(int Code, TPoint Screen)
{
    // A command may free the form and its provider with it: nothing of them is touched after.
    TSkFreeWatch alive(this);
    HWND wnd = FForm->Handle();
    const TzSysMenuForm f = SystemMenuFormOf(FForm);
    TzSkinProvider* child = MaxChildProvider;
    switch (Code) {
    case HTCLOSE:
        SendMessageW(wnd, WM_SYSCOMMAND, SC_CLOSE, 0);
        break;
    case HTMAXBUTTON:
        if (f.WindowState == wsMaximized) {
            if (!IsMDIChild(FForm))
                FForm->SetWindowState(wsNormal);
            SendMessageW(wnd, WM_SYSCOMMAND, SC_RESTORE, 0);
        } else {
            // A form's own state first; an MDI child's maximizing holds its parent's drawing
            // in the system command itself.
            if (!IsMDIChild(FForm))
                FForm->SetWindowState(wsMaximized);
            if (!alive.Freed() && !IsZoomed(wnd))
                SendMessageW(wnd, WM_SYSCOMMAND, SC_MAXIMIZE, 0);
        }
        break;
    case HTMINBUTTON:
        SendMessageW(wnd, WM_SYSCOMMAND, f.Iconic ? SC_RESTORE : SC_MINIMIZE, 0);
        break;
    case HTHELP:
        SendMessageW(wnd, WM_SYSCOMMAND, SC_CONTEXTHELP, 0);
        if (!alive.Freed())
            RefreshNonClient();
        break;
    case HTMDICLOSE:
    case HTMDIMAX:
    case HTMDIMIN:
        if (child && child->FForm && child->FForm->HandleAllocated())
            SendMessageW(child->FForm->Handle(), WM_SYSCOMMAND,
                         Code == HTMDICLOSE ? SC_CLOSE : Code == HTMDIMAX ? SC_RESTORE : SC_MINIMIZE, 0);
        break;
    default:
        if (TzTitleButton* u = UserButton(Code)) {
            const TPoint p = ToWindow(wnd, Screen);
            u->MouseUp(mbLeft, KeysToShiftState(0), p.X - u->Rect.Left, p.Y - u->Rect.Top);
        }
        break;
    }
    if (!alive.Freed() && FSystemMenu)
        FSystemMenu->UpdateItems();
}

void TzSkinProvider::WMMouseMove(TMessage&)
{
    if (Drag.Owner == this) {
        TrackOutline(CursorPos());
        return;
    }
    const TPoint at = ToWindow(FForm->Handle(), CursorPos());
    if (ButtonPressed && IsButtonCode(FHotItem)) {
        // The pressed button shows pressed while the mouse is over it.
        const TRect r = ItemRect(FHotItem);
        const int state = r.Contains(at) ? 2 : 0;
        TzTitleButtonState* b = Button(FHotItem);
        TzTitleButton* u = UserButton(FHotItem);
        int& s = b ? b->State : u->State;
        if (s != state) {
            s = state;
            RepaintButton(FHotItem);
        }
        return;
    }
    // The mouse left the title bar for the client area: no frame message says so.
    if (FHotItem != 0) {
        const TRect client = ClientRectInWindow();
        if (client.Contains(at))
            SetHotButton(0);
    }
}

void TzSkinProvider::WMNCLButtonDblClk(TMessage& M)
{
    if (Drag.Owner == this)
        EndOutlineDrag(false);
    const int code = int(M.WParam);
    HWND wnd = FForm->Handle();
    if (code == HTCAPTION && MayMaximizeOrRestore())
        PassOn(WM_SYSCOMMAND, IsZoomed(wnd) || IsIconic(wnd) ? SC_RESTORE : SC_MAXIMIZE, 0);
    else if (code == HTSYSMENU)
        FForm->Close();
}

bool TzSkinProvider::MayMaximizeOrRestore() const
{
    const TzSysMenuForm f = SystemMenuFormOf(FForm);
    const bool restore = f.WindowState != wsNormal || f.Iconic;
    return SystemMenuItemState(restore ? smiRestore : smiMaximize, f).Enabled;
}

void TzSkinProvider::WMSysCommand(TMessage& M)
{
    const UINT cmd = TWMSysCommand(M).CmdType;
    if (cmd == SC_KEYMENU && M.LParam == VK_SPACE) {
        RECT w{};
        GetWindowRect(FForm->Handle(), &w);
        DropSysMenu(w.left + SysBorderWidth(), w.top + Metrics().TitleHeight());
        return;
    }
    if (FResizeMode == rmBorder && (cmd == SC_MOVE || cmd == SC_SIZE)) {
        StartOutlineDrag(cmd == SC_MOVE ? HTCAPTION : HTBOTTOMRIGHT);
        return;
    }
    TSkFreeWatch alive(this);
    const bool child = IsMDIChild(FForm);
    HWND wnd = FForm->Handle();
    const bool wasZoomed = IsZoomed(wnd), wasIconic = IsIconic(wnd);
    TzSkinProvider* parent = child ? MDISkinProvider : nullptr;
    TSkFreeWatch parentAlive(parent);
    auto parentOk = [&] { return parent && !parentAlive.Freed() && parent->Skinning(); };
    // An MDI child changes its size with both windows' drawing held, then draws once.
    auto locked = [&](auto Pass) {
        FSkinData->BeginUpdate();
        PassOn(WM_SETREDRAW, FALSE, 0);
        if (parentOk()) {
            parent->FSkinData->BeginUpdate();
            SendMessageW(parent->FForm->Handle(), WM_SETREDRAW, FALSE, 0);
        }
        Pass();
        if (parentOk()) {
            SendMessageW(parent->FForm->Handle(), WM_SETREDRAW, TRUE, 0);
            parent->FSkinData->EndUpdate();
        }
        if (alive.Freed())
            return;
        PassOn(WM_SETREDRAW, TRUE, 0);
        FSkinData->EndUpdate();
        // Drawing off validated the controls too: all of them are painted again.
        RedrawWindow(wnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
    };
    if (child && cmd == SC_MAXIMIZE) {
        MaxChildProvider = this;
        locked([&] { PassOn(M); });
        if (parentOk()) {
            parent->FMenuLineCount = -1;
            parent->RefreshMDIParent();
        }
    } else if (child && cmd == SC_RESTORE) {
        MaxChildProvider = nullptr;
        if (OpenMaximized)
            return;
        locked([&] { PassOn(M); });
        if (alive.Freed())
            return;
        FSkinData->SetBGChanged(true);
        if (parentOk() && (wasZoomed || wasIconic))
            parent->RefreshMDIParent();
    } else if (child && cmd == SC_MINIMIZE) {
        MaxChildProvider = nullptr;
        FTitleBG.reset();
        FSkinData->SetBGChanged(true);
        PassOn(M);
        if (parentOk())
            parent->RefreshMDIParent();
    } else if (child && cmd == SC_CLOSE) {
        if (parentOk())
            parent->FInMenuLoop = true;
        SetHotButton(0, false);
        PassOn(M);
        if (parentOk()) {
            parent->FInMenuLoop = false;
            if (wasZoomed)
                parent->RefreshMDIParent();
        }
    } else {
        PassOn(M);
    }
    if (alive.Freed() || !Skinning())
        return;
    if (cmd == SC_MAXIMIZE || cmd == SC_RESTORE) {
        ClearButtons();
        RefreshNonClient();
    }
    if (FForm->FormStyle() == fsMDIForm && (cmd == SC_MINIMIZE || cmd == SC_MAXIMIZE || cmd == SC_RESTORE))
        RefreshNonClient();
    if (FSystemMenu)
        FSystemMenu->UpdateItems();
}

namespace {

// The MDI buttons' window: a borderless window over a maximized child's buttons in the parent's
// menu line while the menu loop runs, so that the system's own buttons, which it draws there
// as it tracks the menu, never show. It paints the buttons from the parent's picture.
constexpr const wchar_t* MDIIconsClass = L"zMDIIcons";

LRESULT CALLBACK MDIIconsProc(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam)
{
    if (Msg == WM_PAINT) {
        TPaintDC dc(Wnd);
        try {
            auto* picture = reinterpret_cast<TBitmap*>(GetWindowLongPtrW(Wnd, GWLP_USERDATA));
            RECT r{};
            GetClientRect(Wnd, &r);
            const POINT at{LONG(GetPropW(Wnd, L"zX")), LONG(GetPropW(Wnd, L"zY"))};
            if (picture)
                BitBlt(dc.Handle(), 0, 0, r.right, r.bottom, picture->Canvas()->Handle(), at.x, at.y, SRCCOPY);
        } catch (...) {
            HandleCaughtException();
        }
        return 0;
    }
    if (Msg == WM_ERASEBKGND)
        return 1;
    if (Msg == WM_NCDESTROY) {
        RemovePropW(Wnd, L"zX");
        RemovePropW(Wnd, L"zY");
    }
    return DefWindowProcW(Wnd, Msg, WParam, LParam);
}

} // namespace

void TzSkinProvider::ShowMDIIcons(bool Show)
{
    if (!Show) {
        FInMenuLoop = false;
        if (HWND icons = std::exchange(FMDIIcons, nullptr); icons && IsWindow(icons))
            DestroyWindow(icons);
        return;
    }
    if (FMDIIcons || !ZoomedChild() || FSkinData->BGChanged() || !CacheFits())
        return;
    const TRect close = FButtons[btMDIClose].Rect, min = FButtons[btMDIMin].Rect;
    if (close.IsEmpty() || min.IsEmpty())
        return;
    static const bool registered = [] {
        WNDCLASSW c{};
        c.lpfnWndProc = &MDIIconsProc;
        c.hInstance = GetModuleHandleW(nullptr);
        c.lpszClassName = MDIIconsClass;
        return RegisterClassW(&c) != 0;
    }();
    if (!registered)
        return;
    FInMenuLoop = true;
    // 60 wide and a menu line high, its right edge at the close button's.
    const int h = GetSystemMetrics(SM_CYMENU) + 3, w = 60;
    const TRect line = MenuLineRect(Metrics());
    const int x = close.Right - w, y = std::max(line.Top, (close.Top + close.Bottom - h) / 2);
    RECT win{};
    GetWindowRect(FForm->Handle(), &win);
    FMDIIcons = CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, MDIIconsClass, L"", WS_POPUP, win.left + x,
                                win.top + y, w, h, FForm->Handle(), nullptr, GetModuleHandleW(nullptr), nullptr);
    if (!FMDIIcons)
        return;
    SetWindowLongPtrW(FMDIIcons, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(Cache()));
    SetPropW(FMDIIcons, L"zX", reinterpret_cast<HANDLE>(intptr_t(x)));
    SetPropW(FMDIIcons, L"zY", reinterpret_cast<HANDLE>(intptr_t(y)));
    SetWindowPos(FMDIIcons, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
}

void TzSkinProvider::RefreshMDIParent()
{
    // No messages are pumped here: the handlers that call this may have a form freed by them.
    if (!Skinning())
        return;
    FSkinData->BeginUpdate();
    FSkinData->SetBGChanged(true);
    FMenuLineCount = -1;
    FMenuChanged = true;
    FSkinData->EndUpdate();
    if (FMDIForm)
        FMDIForm->RefreshFrame();
    RedrawWindow(FForm->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_INTERNALPAINT | RDW_ERASE | RDW_FRAME);
}

void TzSkinProvider::MDIChildActivated()
{
    if (!MDISkinProvider || MDISkinProvider == this || !MDISkinProvider->Skinning())
        return;
    MDISkinProvider->FMenuChanged = true;
    MDISkinProvider->FSkinData->SetBGChanged(true);
    MDISkinProvider->FMenuLineCount = -1;
    if (FForm->HandleAllocated() && IsZoomed(FForm->Handle()))
        MaxChildProvider = this;
    if (MDISkinProvider->FForm->HandleAllocated())
        SendMessageW(MDISkinProvider->FForm->Handle(), WM_NCPAINT, 1, 0);
}

void TzSkinProvider::WMGetMinMaxInfo(TMessage& M)
{
    auto* info = reinterpret_cast<MINMAXINFO*>(M.LParam);
    if (!info) {
        PassOn(M);
        return;
    }
    info->ptMaxTrackSize = POINT{-1, -1};
    info->ptMaxPosition = POINT{-1, -1};
    PassOn(M);
    TRect work;
    GetWorkArea(work);
    const bool border = FForm->BorderStyle() != bsNone;
    const int b = border ? SysBorderWidth() : 0;
    if (info->ptMaxTrackSize.x == -1)
        info->ptMaxTrackSize.x = work.Width() + 2 * b;
    if (info->ptMaxTrackSize.y == -1)
        info->ptMaxTrackSize.y = work.Height() + 2 * b;
    if (info->ptMaxPosition.x == -1)
        info->ptMaxPosition.x = -b;
    if (info->ptMaxPosition.y == -1)
        info->ptMaxPosition.y = -b;
}

void TzSkinProvider::WMWindowPosChanging(TMessage& M)
{
    auto* pos = TWMWindowPosMsg(M).WindowPos;
    HWND wnd = FForm->Handle();
    if (FScreenSnap && pos && !(pos->flags & SWP_NOMOVE) && !IsZoomed(wnd) && !FInAnimation &&
        (pos->x != 0 || pos->y != 0)) {
        TRect work;
        GetWorkArea(work);
        MONITORINFO mi{};
        mi.cbSize = sizeof(mi);
        GetMonitorInfoW(MonitorFromWindow(wnd, MONITOR_DEFAULTTONEAREST), &mi);
        // How near an edge snaps, whatever the sign it was given with.
        const int reach = std::abs(FSnapBuffer);
        const int w = (pos->flags & SWP_NOSIZE) ? FormWidth() : pos->cx;
        const int h = (pos->flags & SWP_NOSIZE) ? FormHeight() : pos->cy;
        if (std::abs(pos->x + w - work.Right) < reach)
            pos->x = work.Right - w;
        if (std::abs(pos->y + h - work.Bottom) < reach)
            pos->y = work.Bottom - h;
        if (std::abs(pos->x + mi.rcMonitor.left - work.Left) < reach)
            pos->x = work.Left - mi.rcMonitor.left;
        if (std::abs(pos->y + mi.rcMonitor.top - work.Top) < reach)
            pos->y = work.Top - mi.rcMonitor.top;
    }
    PassOn(M);
}

void TzSkinProvider::StartOutlineDrag(int Code)
{
    if (Drag.Owner)
        EndOutlineDrag(false);
    HWND wnd = FForm->Handle();
    RECT w{};
    GetWindowRect(wnd, &w);
    Drag.Owner = this;
    Drag.Moving = Code == HTCAPTION;
    Drag.SizeCode = Code;
    Drag.Frame = Drag.Start = TRect(w.left, w.top, w.right, w.bottom);
    Drag.Last = CursorPos();
    Drag.MinWidth = std::max(FForm->Constraints()->MinWidth(), 2 * SysBorderWidth() + 8);
    Drag.MinHeight = std::max(FForm->Constraints()->MinHeight(), CaptionHeight() + 2 * SysBorderHeight());
    Drag.Desktop = std::make_unique<TClientDC>(nullptr);
    SetCapture(wnd);
    DrawOutline();
}

void TzSkinProvider::DropSysMenu(int X, int Y)
{
    if (!FSystemMenu || !FForm->HandleAllocated())
        return;
    TzSkinManager* m = FSkinData->GetSkinManager();
    if (FMakeSkinMenu)
        FSystemMenu->BuildSkinItems(m);
    FSystemMenu->UpdateItems();
    if (m && m->SkinnedPopups())
        if (TzSkinMenuPainter* menus = m->SkinableMenus())
            menus->HandPopupMenu(FSystemMenu, true);
    FSystemMenu->SetWindowHandle(FForm->Handle());
    SystemMenuPopup(FSystemMenu, X, Y);
}

void TzSkinProvider::WMPrint(TMessage& M)
{
    M.Result = 0;
    const TWMPrint print(M);
    if (!print.DC || !FForm->HandleAllocated() || !IsWindowVisible(FForm->Handle()) ||
        (FForm->ControlState() & csCreating) || FForm->IsDestroying())
        return;
    if (print.Flags & PRF_NONCLIENT)
        PrintFrame(print.DC);
    if (print.Flags & (PRF_CLIENT | PRF_ERASEBKGND)) {
        const TRect c = ClientRectInWindow();
        TSaveDCScope saved(print.DC);
        if (print.Flags & PRF_NONCLIENT) {
            OffsetViewportOrgEx(print.DC, c.Left, c.Top, nullptr);
            IntersectClipRect(print.DC, 0, 0, c.Width(), c.Height());
        }
        PaintClient(print.DC, false);
    }
}
