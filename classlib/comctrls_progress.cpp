// The progress bar: the range, the position and its steps kept by the control, shown by the
// system's window.
#include "classlib/comctrls.h"

#include <commctrl.h>

const char* const ProgressBarOrientationNames[2] = {"pbHorizontal", "pbVertical"};

Z_CLASS_IMPL(TProgressBar, TWinControl, Z_PROGRESSBAR_PROPS(TProgressBar))

TProgressBar::TProgressBar(TComponent* AOwner) : TWinControl(AOwner)
{
    FWidth = 150;
    FHeight = GetSystemMetrics(SM_CYVSCROLL);
    FTabStop = false;
}

TProgressBar::~TProgressBar()
{
    DestroyWindowFirst();
}

void TProgressBar::CreateParams(TCreateParams& Params)
{
    InitCommonControlClasses(ICC_PROGRESS_CLASS);
    TWinControl::CreateParams(Params);
    CreateSubClass(Params, PROGRESS_CLASSA);
    if (FSmooth)
        Params.Style |= PBS_SMOOTH;
    if (FOrientation == pbVertical)
        Params.Style |= PBS_VERTICAL;
}

void TProgressBar::CreateWnd()
{
    TWinControl::CreateWnd();
    ApplyRange();
    SendMessageA(FHandle, PBM_SETSTEP, 1, 0);
}

void TProgressBar::ApplyRange()
{
    if (!FHandle)
        return;
    SendMessageA(FHandle, PBM_SETRANGE32, static_cast<WPARAM>(FMin), static_cast<LPARAM>(FMax));
    SendMessageA(FHandle, PBM_SETPOS, static_cast<WPARAM>(FPosition), 0);
}

void TProgressBar::SetMin(int Value)
{
    if (!StoreChanged(FMin, Value))
        return;
    if (FMax < FMin)
        FMax = FMin;
    FPosition = std::clamp(FPosition, FMin, FMax);
    ApplyRange();
}

void TProgressBar::SetMax(int Value)
{
    if (!StoreChanged(FMax, Value))
        return;
    if (FMin > FMax)
        FMin = FMax;
    FPosition = std::clamp(FPosition, FMin, FMax);
    ApplyRange();
}

void TProgressBar::SetPosition(int Value)
{
    if (StoreChanged(FPosition, std::clamp(Value, FMin, FMax)) && FHandle)
        SendMessageA(FHandle, PBM_SETPOS, static_cast<WPARAM>(FPosition), 0);
}

void TProgressBar::StepIt()
{
    const int64_t range = int64_t(FMax) - FMin;
    if (range == 0) {
        SetPosition(FMin);
        return;
    }
    int64_t pos = int64_t(FPosition) + FStep;
    if (pos > FMax)
        pos = FMin + (pos - FMin) % range;
    else if (pos < FMin)
        pos = FMax - (FMin - pos) % range;
    SetPosition(static_cast<int>(pos));
}

double TProgressBar::Fraction() const
{
    const int64_t range = int64_t(FMax) - FMin;
    return range > 0 ? double(int64_t(FPosition) - FMin) / double(range) : 0.0;
}
