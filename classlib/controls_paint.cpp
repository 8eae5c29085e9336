// Painting of controls: the windowed control's paint, print and double-buffered paths, the
// control canvas, and the two controls that paint themselves through a canvas.
#include "classlib/controls_shared.h"

#include <algorithm>

namespace zcontrols {
std::vector<TControlCanvas*> g_canvasList;

void FreeDeviceContexts()
{
    while (!g_canvasList.empty())
        g_canvasList.back()->FreeHandle();
}
} // namespace zcontrols

namespace {
// Moves the DC's origin by (DX, DY) in device units.
void MoveWindowOrg(HDC DC, int DX, int DY)
{
    POINT p;
    GetWindowOrgEx(DC, &p);
    SetWindowOrgEx(DC, p.x - DX, p.y - DY, nullptr);
}
} // namespace

// ---------------------------------------------------------------------------------------
// TWinControl

HDC TWinControl::GetDeviceContext(HWND& WindowHandle)
{
    HDC dc = GetDC(Handle());
    if (!dc)
        throw EOutOfResources("Error creating window device context");
    WindowHandle = FHandle;
    return dc;
}

void TWinControl::PaintWindow(HDC DC)
{
    TMessage m{static_cast<UINT>((FControlState & csPaintCopy) ? WM_PRINTCLIENT : WM_PAINT),
               reinterpret_cast<WPARAM>(DC), (FControlState & csPaintCopy) ? PRF_CLIENT : 0, 0};
    // A window of our own class has nothing to draw of its own: the brush did the background.
    if (m.Msg == WM_PRINTCLIENT && FDefWndProc == &DefWindowProcA)
        return;
    DefaultHandler(m);
}

void TWinControl::PaintHandler(TMessage& Message)
{
    auto paint = [this](HDC dc) {
        if (!FControls.empty()) {
            TSaveDCScope saved(dc);
            int clip = SIMPLEREGION;
            for (TControl* c : FControls) {
                if (c->Visible() && (c->ControlStyle() & csOpaque)) {
                    clip = ExcludeClipRect(dc, c->Left(), c->Top(), c->Left() + c->Width(), c->Top() + c->Height());
                    if (clip == NULLREGION)
                        break;
                }
            }
            if (clip != NULLREGION)
                PaintWindow(dc);
        } else {
            PaintWindow(dc);
        }
        PaintControls(dc, nullptr);
    };
    if (HDC given = TWMPaint(Message).DC) {
        paint(given);
    } else {
        TPaintDC dc(FHandle);
        paint(dc.Handle());
    }
}

void TWinControl::PaintControls(HDC DC, TControl* First)
{
    size_t i = 0;
    if (First) {
        auto it = std::find(FControls.begin(), FControls.end(), First);
        if (it != FControls.end())
            i = static_cast<size_t>(it - FControls.begin());
    }
    std::vector<TControl*> list = FControls;
    for (; i < list.size(); ++i) {
        TControl* c = list[i];
        if (!c->Visible())
            continue;
        RECT r{c->Left(), c->Top(), c->Left() + c->Width(), c->Top() + c->Height()};
        if (!RectVisible(DC, &r))
            continue;
        if (FControlState & csPaintCopy)
            c->FControlState |= csPaintCopy;
        {
            TSaveDCScope saved(DC);
            MoveWindowOrg(DC, c->Left(), c->Top());
            IntersectClipRect(DC, 0, 0, c->Width(), c->Height());
            c->Perform(WM_PAINT, reinterpret_cast<WPARAM>(DC), 0);
        }
        c->FControlState &= ~csPaintCopy;
    }
}

void TWinControl::WMPaintSelf(TMessage& Message)
{
    TBitsScope<TControlState> custom(FControlState, csCustomPaint);
    WMPaint(Message);
}

void TWinControl::WMPaint(TMessage& Message)
{
    if (!FDoubleBuffered || TWMPaint(Message).DC) {
        if (!(FControlState & csCustomPaint) && FControls.empty())
            DefaultHandler(Message);
        else
            PaintHandler(Message);
        return;
    }
    // Double buffered: the whole client area is composed in memory and copied once.
    TPaintDC dc(FHandle);
    TRect client = GetClientRect();
    TMemoryDC mem(dc.Handle());
    TOwnedBitmap bmp(CreateCompatibleBitmap(dc.Handle(), std::max(1, client.Right), std::max(1, client.Bottom)));
    TSelectObject select(mem.Handle(), bmp.Handle());
    Perform(WM_ERASEBKGND, reinterpret_cast<WPARAM>(mem.Handle()), reinterpret_cast<LPARAM>(mem.Handle()));
    TMessage m{WM_PAINT, reinterpret_cast<WPARAM>(mem.Handle()), 0, 0};
    PaintHandler(m);
    BitBlt(dc.Handle(), 0, 0, client.Right, client.Bottom, mem.Handle(), 0, 0, SRCCOPY);
}

void TWinControl::WMEraseBkgnd(TMessage& Message)
{
    if (!FDoubleBuffered || Message.WParam == static_cast<WPARAM>(Message.LParam)) {
        RECT r = GetClientRect();
        FillRect(reinterpret_cast<HDC>(Message.WParam), &r, FBrush->Handle());
    }
    Message.Result = 1;
}

void TWinControl::PaintTo(HDC DC, int X, int Y)
{
    FControlState |= csPaintCopy;
    TSaveDCScope saved(DC);
    MoveWindowOrg(DC, X, Y);
    IntersectClipRect(DC, 0, 0, FWidth, FHeight);
    HWND wnd = Handle();
    UINT edge = 0, flags = 0;
    if (GetWindowLongA(wnd, GWL_EXSTYLE) & WS_EX_CLIENTEDGE) {
        edge = EDGE_SUNKEN;
        flags = BF_RECT | BF_ADJUST;
    } else if (GetWindowLongA(wnd, GWL_STYLE) & WS_BORDER) {
        edge = BDR_OUTER;
        flags = BF_RECT | BF_ADJUST | BF_MONO;
    }
    if (flags) {
        RECT r{0, 0, FWidth, FHeight};
        DrawEdge(DC, &r, edge, flags);
        MoveWindowOrg(DC, r.left, r.top);
        IntersectClipRect(DC, 0, 0, r.right - r.left, r.bottom - r.top);
    }
    Perform(WM_ERASEBKGND, reinterpret_cast<WPARAM>(DC), 0);
    TMessage m{WM_PRINTCLIENT, reinterpret_cast<WPARAM>(DC), PRF_CLIENT, 0};
    FWindowProc(m);
    std::vector<TWinControl*> list = FWinControls;
    for (TWinControl* c : list)
        if (c->Visible())
            c->PaintTo(DC, c->Left(), c->Top());
    FControlState &= ~csPaintCopy;
}

// ---------------------------------------------------------------------------------------
// TControlCanvas

Z_CLASS_IMPL(TControlCanvas, TCanvas)

TControlCanvas::~TControlCanvas()
{
    FreeHandle();
}

void TControlCanvas::SetControl(TControl* AControl)
{
    if (FControl != AControl) {
        FreeHandle();
        FControl = AControl;
    }
}

void TControlCanvas::CreateHandle()
{
    if (!FControl)
        return;
    if (!FDeviceContext) {
        FDeviceContext = FControl->GetDeviceContext(FWindowHandle);
        g_canvasList.push_back(this);
    }
    SetHandle(FDeviceContext);
    UpdateTextFlags();
}

void TControlCanvas::FreeHandle()
{
    if (!FDeviceContext)
        return;
    SetHandle(nullptr);
    ReleaseDC(FWindowHandle, FDeviceContext);
    FDeviceContext = nullptr;
    auto it = std::find(g_canvasList.begin(), g_canvasList.end(), this);
    if (it != g_canvasList.end())
        g_canvasList.erase(it);
}

void TControlCanvas::UpdateTextFlags()
{
    if (!FControl)
        return;
    if (FControl->UseRightToLeftReading())
        SetTextFlags(TextFlags() | ETO_RTLREADING);
    else
        SetTextFlags(TextFlags() & ~static_cast<UINT>(ETO_RTLREADING));
}

// ---------------------------------------------------------------------------------------
// TGraphicControl, TCustomControl

// ---------------------------------------------------------------------------------------
// Captions

TSize TCaptionText::Extent(HDC DC, UINT Flags, int MaxWidth) const
{
    if (IsEmpty())
        return TSize{0, 0};
    TRect r(0, 0, MaxWidth, 0);
    DrawText(DC, r, Flags | DT_CALCRECT);
    return TSize{r.Width(), r.Height()};
}

void TAnsiCaptionText::DrawText(HDC DC, TRect& R, UINT Flags) const
{
    DrawTextA(DC, FText.c_str(), static_cast<int>(FText.size()), R.Win(), Flags);
}

Z_CLASS_IMPL(TGraphicControl, TControl)

TGraphicControl::TGraphicControl(TComponent* AOwner)
    : TControl(AOwner), FCanvas(std::make_unique<TControlCanvas>())
{
    FCanvas->SetControl(this);
}

TGraphicControl::~TGraphicControl()
{
    FCanvas->FreeHandle();
}

void TGraphicControl::WMPaint(TMessage& Message)
{
    HDC dc = TWMPaint(Message).DC;
    if (!dc)
        return;
    TCanvasDC scope(FCanvas.get(), dc);
    Paint();
}

void TGraphicControl::Dispatch(TMessage& Message)
{
    if (Message.Msg == WM_PAINT)
        WMPaint(Message);
    else
        TControl::Dispatch(Message);
}

Z_CLASS_IMPL(TCustomControl, TWinControl)

TCustomControl::TCustomControl(TComponent* AOwner)
    : TWinControl(AOwner), FCanvas(std::make_unique<TControlCanvas>())
{
    FCanvas->SetControl(this);
}

TCustomControl::~TCustomControl()
{
    FCanvas->FreeHandle();
}

void TCustomControl::PaintWindow(HDC DC)
{
    TCanvasDC scope(FCanvas.get(), DC);
    FCanvas->UpdateTextFlags();
    Paint();
}

void TCustomControl::Dispatch(TMessage& Message)
{
    if (Message.Msg == WM_PAINT)
        WMPaintSelf(Message);
    else
        TWinControl::Dispatch(Message);
}
