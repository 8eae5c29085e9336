#include "classlib/gdihandles.h"
#include "skin/zoutputwindow.h"

#include "classlib/forms.h"
#include "skin/zcontrolutils.h"
#include "skin/zgraphics.h"
#include "skin/zskinmanager.h"

#include <algorithm>

void (*AnimShowFrameHook)(const TzAnimShowFrame& Frame) = nullptr;
namespace {

void SleepFor(DWORD Milliseconds)
{
    Sleep(Milliseconds);
}

} // namespace

void (*AnimShowSleep)(DWORD Milliseconds) = &SleepFor;

namespace {

// What an animated show keeps between preparing and playing: the output window (owned by
// the control it serves, watched in case that control goes first) and the screen under it.
struct TShowState {
    std::unique_ptr<TSkFreeWatch> Output;
    std::unique_ptr<TBitmap> Snapshot;
};
TShowState Show;

TOutputWindow* PreparedWindow()
{
    return Show.Output && !Show.Output->Freed() ? static_cast<TOutputWindow*>(Show.Output->Target()) : nullptr;
}

// The output window goes, its control redraws again, the screen image is dropped.
void DropOutputWindow()
{
    if (TOutputWindow* out = PreparedWindow()) {
        auto* control = dynamic_cast<TWinControl*>(out->Owner());
        delete out;
        if (control && control->HandleAllocated())
            SendMessageW(control->Handle(), WM_SETREDRAW, TRUE, 0);
    }
    Show.Output.reset();
    Show.Snapshot.reset();
}

// One window and its visible child windows into DC, whose pixel (0, 0) is the screen point
// Origin.
void PaintWindowInto(HWND Wnd, HDC DC, POINT Origin)
{
    RECT wr, cr;
    GetWindowRect(Wnd, &wr);
    GetClientRect(Wnd, &cr);
    POINT client{0, 0};
    ClientToScreen(Wnd, &client);
    TSaveDCScope saved(DC);
    SetViewportOrgEx(DC, wr.left - Origin.x, wr.top - Origin.y, nullptr);
    IntersectClipRect(DC, 0, 0, wr.right - wr.left, wr.bottom - wr.top);
    const bool frame = client.x != wr.left || client.y != wr.top || cr.right != wr.right - wr.left ||
                       cr.bottom != wr.bottom - wr.top;
    if (frame)
        SendMessageW(Wnd, WM_PRINT, reinterpret_cast<WPARAM>(DC), PRF_NONCLIENT);
    SetViewportOrgEx(DC, client.x - Origin.x, client.y - Origin.y, nullptr);
    IntersectClipRect(DC, 0, 0, cr.right, cr.bottom);
    SendMessageW(Wnd, WM_ERASEBKGND, reinterpret_cast<WPARAM>(DC), 0);
    SendMessageW(Wnd, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(DC), PRF_CLIENT);
    // The style, not IsWindowVisible: the shown window itself does not redraw now, which
    // takes its visible flag away until it redraws again.
    for (HWND c = GetWindow(GetWindow(Wnd, GW_CHILD), GW_HWNDLAST); c; c = GetWindow(c, GW_HWNDPREV))
        if (GetWindowLongW(c, GWL_STYLE) & WS_VISIBLE)
            PaintWindowInto(c, DC, Origin);
}

void ShowPicture(HDC DC, TBitmap* Picture, const TzAnimShowFrame& Frame)
{
    BitBlt(DC, 0, 0, Picture->Width(), Picture->Height(), Picture->Canvas()->Handle(), 0, 0, SRCCOPY);
    if (AnimShowFrameHook)
        AnimShowFrameHook(Frame);
}

bool IsLayeredForm(TWinControl* Control)
{
    return dynamic_cast<TCustomForm*>(Control) && (GetWindowLongW(Control->Handle(), GWL_EXSTYLE) & WS_EX_LAYERED);
}

} // namespace

// ---------------------------------------------------------------------------------------

Z_CLASS_IMPL(TOutputWindow, TCustomControl)

TOutputWindow::TOutputWindow(TComponent* AOwner) : TCustomControl(AOwner)
{
    SetVisible(false);
    SetText("zOutputWindow");
    SetColor(TColor(0x800080));
}

void TOutputWindow::CreateParams(TCreateParams& Params)
{
    TCustomControl::CreateParams(Params);
    if (Parent() || ParentWindow())
        return;
    Params.Style = WS_POPUP;
    auto* owner = dynamic_cast<TWinControl*>(Owner());
    if (owner && owner->HandleAllocated() && (GetWindowLongW(owner->Handle(), GWL_EXSTYLE) & WS_EX_TOPMOST))
        Params.ExStyle |= WS_EX_TOPMOST;
    Params.WndParent = Application ? Application->Handle() : nullptr;
}

void TOutputWindow::Dispatch(TMessage& Message)
{
    if (Message.Msg == WM_ERASEBKGND)
        Message.Result = 1;
    else
        TCustomControl::Dispatch(Message);
}

// ---------------------------------------------------------------------------------------

void PrepareOutputWindow(TWinControl* Control)
{
    // Redrawing switched on again would show a hidden window.
    if (!Control || !Control->HandleAllocated() || !Control->Showing())
        return;
    // One show at a time: a window prepared for another control is given up.
    if (TOutputWindow* out = PreparedWindow(); out && out->Owner() != Control)
        DropOutputWindow();
    if (PreparedWindow())
        return;
    HWND wnd = Control->Handle();
    SendMessageW(wnd, WM_SETREDRAW, FALSE, 0);
    RECT r;
    GetWindowRect(wnd, &r);
    // The screen under this control, taken anew: what was taken for a control that has gone
    // with its output window would show under this one.
    Show.Snapshot = CreateBmp24(r.right - r.left, r.bottom - r.top);
    {
        TClientDC screen(nullptr);
        BitBlt(Show.Snapshot->Canvas()->Handle(), 0, 0, r.right - r.left, r.bottom - r.top, screen.Handle(), r.left,
               r.top, SRCCOPY);
    }
    TOutputWindow* out = MakeComponent<TOutputWindow>(Control);
    Show.Output = std::make_unique<TSkFreeWatch>(out);
    if (TWinControl* parent = Control->Parent()) {
        out->SetParent(parent);
        out->SetBoundsRect(Control->BoundsRect());
    } else {
        out->SetBoundsRect(TRect(r));
    }
    HWND above = GetWindow(wnd, GW_HWNDPREV);
    SetWindowPos(out->Handle(), above ? above : HWND_TOP, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
}

std::unique_ptr<TBitmap> PaintControlToBitmap(TWinControl* Control)
{
    RECT r{};
    if (Control && Control->HandleAllocated())
        GetWindowRect(Control->Handle(), &r);
    auto bmp = CreateBmp24(r.right - r.left, r.bottom - r.top);
    if (bmp->Empty())
        return bmp;
    HWND wnd = Control->Handle();
    HDC dc = bmp->Canvas()->Handle();
    // What the window shows now goes first: a frame that the window does not print itself
    // (the system's plain frame is not printed everywhere) keeps its look.
    {
        TWindowDC own(wnd);
        BitBlt(dc, 0, 0, bmp->Width(), bmp->Height(), own.Handle(), 0, 0, SRCCOPY);
    }
    PaintWindowInto(wnd, dc, POINT{r.left, r.top});
    return bmp;
}

void AnimShowControl(TWinControl* Control, int Time)
{
    if (!Control || !Control->HandleAllocated() || !Control->Showing())
        return;
    PrepareOutputWindow(Control);
    TOutputWindow* out = PreparedWindow();
    if (!out)
        return;
    std::unique_ptr<TBitmap> final = PaintControlToBitmap(Control);
    auto work = CreateBmp32(final->Width(), final->Height());
    HWND outWnd = out->Handle();
    HWND wnd = Control->Handle();
    if (SendCommandToWindow(wnd, SKCMD_GETPROVIDER, 0)) {
        TOwnedRegion rgn(CreateRectRgn(0, 0, 0, 0));
        // The output window owns the region once it is set.
        if (GetWindowRgn(wnd, rgn.Handle()) != ERROR && SetWindowRgn(outWnd, rgn.Handle(), FALSE))
            rgn.Release();
    }
    {
        TClientDC dc(outWnd);
        TBitmap* snapshot = Show.Snapshot.get();
        const bool blend = snapshot && snapshot->Width() == final->Width() && snapshot->Height() == final->Height();
        const int steps = blend ? std::min(Time & 0xFFFF, AnimShowMaxTime) / AnimShowFrameTime : 0;
        if (steps > 0) {
            const int delta = 255 / steps;
            for (int i = 0, w = 255; i <= steps; ++i, w -= delta) {
                MixBitmaps(work.get(), snapshot, final.get(), std::max(0, w));
                ShowPicture(dc.Handle(), work.get(), {work.get(), snapshot, final.get(), std::max(0, w)});
                if (i < steps)
                    AnimShowSleep(AnimShowFrameTime);
            }
        }
        ShowPicture(dc.Handle(), final.get(), {final.get(), snapshot, final.get(), -1});
        if (!IsLayeredForm(Control))
            SetWindowPos(outWnd, nullptr, 0, 0, 0, 0,
                         SWP_HIDEWINDOW | SWP_NOREDRAW | SWP_NOACTIVATE | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER);
    }
    DropOutputWindow();
}

void InitOutputWindow()
{
    SkinEngineHooks.AnimShowControl = &AnimShowControl;
}
