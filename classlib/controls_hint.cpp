// The hint window: a borderless popup that shows a control's short hint near the mouse.
#include "classlib/controls.h"
#include "classlib/forms.h"

// ---------------------------------------------------------------------------------------
// THintWindow

Z_CLASS_IMPL(THintWindow, TCustomControl)

THintWindow::THintWindow(TComponent* AOwner) : TCustomControl(AOwner)
{
    SetColor(clInfoBk);
    if (Screen)
        Canvas()->SetFont(Screen->HintFont());
    Canvas()->Brush()->SetStyle(bsClear);
}

void THintWindow::CreateParams(TCreateParams& Params)
{
    TCustomControl::CreateParams(Params);
    Params.Style = WS_POPUP | WS_BORDER;
    Params.WindowClass.style |= CS_SAVEBITS;
    Params.ExStyle = WS_EX_TOOLWINDOW;
    if (UseRightToLeftReading())
        Params.ExStyle |= WS_EX_RTLREADING;
    Params.WndParent = Application ? Application->Handle() : nullptr;
}

void THintWindow::Paint()
{
    TRect r = GetClientRect();
    r.Left += 2;
    r.Top += 2;
    if (Screen)
        Canvas()->Font()->SetColor(Screen->HintFont()->Color());
    AnsiString text = GetText();
    DrawTextA(Canvas()->Handle(), text.c_str(), -1, r.Win(),
              DT_LEFT | DT_NOPREFIX | DT_WORDBREAK | DrawTextBiDiModeFlagsReadingOnly());
}

bool THintWindow::IsHintMsg(const MSG& Msg)
{
    UINT m = Msg.message;
    return (m >= WM_KEYFIRST && m <= WM_KEYLAST) || m == CM_ACTIVATE || m == CM_DEACTIVATE ||
           m == CM_APPKEYDOWN || m == CM_APPSYSCOMMAND || m == WM_COMMAND ||
           (m > WM_MOUSEMOVE && m <= WM_MOUSELAST) || m == WM_NCMOUSEMOVE;
}

void THintWindow::ReleaseHandle()
{
    DestroyHandle();
}

void THintWindow::ActivateHint(TRect Rect, const AnsiString& AHint)
{
    TFlagScope activating(FActivating);
    SetCaption(AHint);
    Rect.Bottom += 4;
    UpdateBoundsRect(Rect);
    int sw = GetSystemMetrics(SM_CXVIRTUALSCREEN), sh = GetSystemMetrics(SM_CYVIRTUALSCREEN);
    int sx = GetSystemMetrics(SM_XVIRTUALSCREEN), sy = GetSystemMetrics(SM_YVIRTUALSCREEN);
    if (Rect.Top + FHeight > sy + sh)
        Rect.Top = sy + sh - FHeight;
    if (Rect.Left + FWidth > sx + sw)
        Rect.Left = sx + sw - FWidth;
    if (Rect.Left < sx)
        Rect.Left = sx;
    if (Rect.Top < sy)
        Rect.Top = sy;
    SetWindowPos(Handle(), HWND_TOPMOST, Rect.Left, Rect.Top, FWidth, FHeight,
                 SWP_SHOWWINDOW | SWP_NOACTIVATE);
    Invalidate();
}

void THintWindow::ActivateHintData(TRect Rect, const AnsiString& AHint, void*)
{
    ActivateHint(Rect, AHint);
}

TRect THintWindow::CalcHintRect(int MaxWidth, const AnsiString& AHint, void*)
{
    TRect r(0, 0, MaxWidth, 0);
    DrawTextA(Canvas()->Handle(), AHint.c_str(), -1, r.Win(),
              DT_CALCRECT | DT_LEFT | DT_WORDBREAK | DT_NOPREFIX | DrawTextBiDiModeFlagsReadingOnly());
    r.Right += 6;
    r.Bottom += 2;
    return r;
}

void THintWindow::Dispatch(TMessage& Message)
{
    switch (Message.Msg) {
    case WM_NCHITTEST:
        Message.Result = HTTRANSPARENT;
        break;
    case CM_TEXTCHANGED:
        CMTextChanged(Message);
        break;
    default:
        TCustomControl::Dispatch(Message);
        break;
    }
}

void THintWindow::CMTextChanged(TMessage&)
{
    if (FActivating)
        return;
    AnsiString text = GetText();
    SetWidth(Canvas()->TextWidth(text) + 6);
    SetHeight(Canvas()->TextHeight(text) + 6);
}
