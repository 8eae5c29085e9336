#include "classlib/gdihandles.h"
#include "skin/zfade.h"

#include "classlib/forms.h"
#include "skin/zcommondata.h"
#include "skin/zcontrolutils.h"
#include "skin/zgraphics.h"

#include <algorithm>

bool SkinFadingOn = true;

namespace {

// The control's section while it is skinned.
const TzGeneralData* FadeSection(const TzCommonData* SkinData)
{
    if (!SkinData || !SkinData->Skinned())
        return nullptr;
    return &SkinData->GetSkinManager()->Section(SkinData->SkinIndex);
}

bool SectionFades(const TzCommonData* SkinData)
{
    const TzGeneralData* s = FadeSection(SkinData);
    return s && s->FadingEnabled;
}

int SectionIterations(const TzCommonData* SkinData)
{
    const TzGeneralData* s = FadeSection(SkinData);
    return s ? std::max(0, s->FadingIterations) : 0;
}

bool ApplicationEnding()
{
    return ProgramEnding || (Application && Application->Terminated());
}

// The DC a frame goes to: the control's window, or its parent's moved onto the control for
// a control without a window; none while that window does not exist.
HDC FrameDC(TControl* Control, HWND& Wnd)
{
    auto* w = dynamic_cast<TWinControl*>(Control);
    bool exists = w ? w->HandleAllocated() : Control->Parent() && Control->Parent()->HandleAllocated();
    return exists ? Control->GetDeviceContext(Wnd) : nullptr;
}

} // namespace

bool AnimEventOn(TSkAnimatEvent Event, TSkAnimatEvents ControlEvents)
{
    const TSkAnimatEvents bit = TSkAnimatEvents(1u << Event);
    return (ControlEvents & bit) ||
           ((ControlEvents & (1u << aeGlobalDef)) && (SkinGlobalAnimEvents & bit));
}

uint8_t FadeAlpha(int Step, int Iterations)
{
    return ClampByte(255 - int(int64_t(Step) * 256 / Iterations));
}

// ---------------------------------------------------------------------------------------

TzFadeTarget::TzFadeTarget() = default;
TzFadeTarget::~TzFadeTarget() = default;

void TzFadeTarget::Set(TzCommonData* ASkinData)
{
    TControl* control = ASkinData ? ASkinData->OwnerControl() : nullptr;
    if (!FWatch || FWatch->Freed() || FWatch->Target() != control)
        FWatch = std::make_unique<TSkFreeWatch>(control);
    FSkinData = ASkinData;
}

TControl* TzFadeTarget::LiveControl() const
{
    if (!FWatch || FWatch->Freed() || !FSkinData)
        return nullptr;
    auto* c = static_cast<TControl*>(FWatch->Target());
    return c && !c->IsDestroying() ? c : nullptr;
}

// ---------------------------------------------------------------------------------------

Z_CLASS_IMPL(TzFadeTimer, TTimer)

TzFadeTimer::TzFadeTimer(TComponent* AOwner) : TTimer(AOwner), FOldImage(std::make_unique<TBitmap>())
{
    SetEnabled(false);
    SetOnTimer(MakeMethod<&TzFadeTimer::NoTick>(this));
}

TzFadeTimer::~TzFadeTimer() = default;

void TzFadeTimer::SetDirection(uint8_t D)
{
    FDirection = D;
    if (Step < 0)
        Step = 1;
    SetEnabled(D != fdIdle);
}

void TzFadeTimer::Prepare(TzCommonData* ASkinData)
{
    FTarget.Set(ASkinData);
    FOldImage->Assign(ASkinData ? ASkinData->CacheBmp() : nullptr);
    SetInterval(FadeTickInterval);
    Iterations = SectionIterations(ASkinData);
    if (FDirection == fdIn)
        Iterations = Step;
    else if (FDirection == fdOut)
        Iterations -= Step;
    Iterations = std::max(0, Iterations);
}

bool TzFadeTimer::CheckDone()
{
    TControl* control = FTarget.LiveControl();
    if (!control) {
        SetDirection(fdIdle);
        return false;
    }
    if (!ApplicationEnding() && Step >= 0 && Step <= Iterations)
        return false;
    SetDirection(fdIdle);
    SendCommandToControl(control, SKCMD_FADEDONE, 0);
    return true;
}

void TzFadeTimer::FadeStep()
{
    TControl* control = FTarget.LiveControl();
    if (!control || Iterations <= 0)
        return;
    TzCommonData* sd = FTarget.SkinData();
    if (!control->Enabled()) {
        SetDirection(fdIdle);
        Iterations = 0;
        sd->Invalidate();
        return;
    }
    TTickScope tick(this);
    TBitmap* now = sd->CacheBmp();
    const bool sameSize = now && now->Width() == FOldImage->Width() && now->Height() == FOldImage->Height();
    // The frame bitmap is kept from tick to tick: a new one costs more than the blend.
    if (!FFrame || FFrame->Width() != FOldImage->Width() || FFrame->Height() != FOldImage->Height() ||
        FFrame->PixelFormat() != FOldImage->PixelFormat())
    {
        FFrame = std::make_unique<TBitmap>();
        FFrame->Assign(FOldImage.get());
    } else {
        CopyBmpRect(FFrame.get(), 0, 0, TRect(0, 0, FOldImage->Width(), FOldImage->Height()), FOldImage.get());
    }
    TBitmap* frame = FFrame.get();
    if (sameSize)
        BlendBitmaps(frame, now, FadeAlpha(Step, Iterations));
    ++Step;
    // A control resized since the fade began has no frame of its size: it waits for the end.
    if (!sameSize || SendCommandToControl(control, SKCMD_SHOWFADEFRAME, reinterpret_cast<LPARAM>(frame)))
        return;
    if (tick.Freed() || !FTarget.LiveControl())
        return;
    HWND wnd = nullptr;
    HDC frameDC = FrameDC(control, wnd);
    TAdoptedDC dc(wnd, frameDC);
    if (dc)
        BitBlt(dc.Handle(), 0, 0, frame->Width(), frame->Height(), frame->Canvas()->Handle(), 0, 0, SRCCOPY);
}

void TzFadeTimer::Timer()
{
    // An idle fade is over: a tick still under way says nothing more.
    if (FDirection != fdIn && FDirection != fdOut)
        return;
    TTickScope tick(this);
    if (!CheckDone() && (FDirection == fdIn || FDirection == fdOut))
        FadeStep();
}

// ---------------------------------------------------------------------------------------

void StartFade(TzFadeTimer*& Timer, TzCommonData* SkinData, bool HalfTime, uint8_t Direction)
{
    if (!SectionFades(SkinData) || !SkinData->OwnerControl())
        return;
    TControl* control = SkinData->OwnerControl();
    if (!Timer) {
        Timer = MakeComponent<TzFadeTimer>(control);
        Timer->Step = 1;
    }
    Timer->Prepare(SkinData);
    if (HalfTime)
        Timer->Iterations /= 2;
    if (Timer->Step >= Timer->Iterations || Timer->Step < 1)
        Timer->Step = 1;
    SendCommandToControl(control, SKCMD_PREPARECACHE, 0);
    // The control may have stopped the fade while it repainted.
    if (Timer)
        Timer->SetDirection(Direction);
}

void FadeOrRepaint(TzFadeTimer*& Timer, TzCommonData* SkinData, bool HalfTime, uint8_t Direction,
                   bool AllowFade)
{
    if (!SkinData || !SkinData->Skinned())
        return;
    const bool fade = !SkinIsChanging && AllowFade && SectionFades(SkinData) && SkinFadingOn &&
                      SkinData->CacheBmp() && !SkinData->BGChanged();
    SkinData->SetBGChanged(true);
    if (fade) {
        StartFade(Timer, SkinData, HalfTime, Direction);
        return;
    }
    StopFadeTimer(Timer);
    if (TControl* control = SkinData->OwnerControl())
        control->Repaint();
}

void StopFadeTimer(TzFadeTimer*& Timer)
{
    TzFadeTimer* t = Timer;
    Timer = nullptr;
    if (!t || t->IsDestroying())
        return;
    t->SetDirection(fdIdle);
    t->Release();
}

// ---------------------------------------------------------------------------------------

Z_CLASS_IMPL(TzAnimTimer, TTimer)

TzAnimTimer::TzAnimTimer(TComponent* AOwner)
    : TTimer(AOwner), FStartImage(std::make_unique<TBitmap>()), FWorkImage(std::make_unique<TBitmap>())
{
    SetEnabled(false);
    SetOnTimer(MakeMethod<&TzAnimTimer::NoTick>(this));
}

TzAnimTimer::~TzAnimTimer() = default;

void TzAnimTimer::Prepare(TzCommonData* ASkinData)
{
    FTarget.Set(ASkinData);
    SetInterval(FadeTickInterval);
    Iterations = SectionIterations(ASkinData);
}

bool TzAnimTimer::CheckDone()
{
    TControl* control = FTarget.LiveControl();
    if (control && !ApplicationEnding() && Step >= 0 && Step <= Iterations)
        return false;
    SetEnabled(false);
    if (control)
        SendCommandToControl(control, SKCMD_FADEDONE, 0);
    return true;
}

void TzAnimTimer::AnimStep()
{
    TTickScope tick(this);
    if (!FBusy && FTarget.LiveControl() && Iterations > 0) {
        // Busy while the control paints the frame; a control that frees the timer meanwhile
        // leaves nothing to reset.
        struct TBusy {
            TzAnimTimer* T;
            const TTickScope& Tick;
            ~TBusy()
            {
                if (!Tick.Freed())
                    T->FBusy = false;
            }
        } busy{this, tick};
        FBusy = true;
        FWorkImage->Assign(FStartImage.get());
        BlendBitmaps(FWorkImage.get(), FTarget.SkinData()->CacheBmp(), FadeAlpha(Step, Iterations));
        PaintStep();
        if (tick.Freed())
            return;
    }
    ++Step;
}

void TzAnimTimer::PaintStep()
{
    TTickScope tick(this);
    TControl* control = FTarget.LiveControl();
    if (!control)
        return;
    TWinControl* parent = control->Parent();
    HWND parentWnd = parent && parent->HandleAllocated() ? parent->Handle() : nullptr;
    if (parentWnd)
        SendCommandToWindow(parentWnd, SKCMD_SETPAINTINGCHILD, reinterpret_cast<LPARAM>(control));
    if (!tick.Freed() && FTarget.LiveControl()) {
        SendCommandToControl(control, SKCMD_SETUPDATING, 0, 0);
        if (!tick.Freed() && FTarget.LiveControl())
            control->Repaint();
    }
    if (parentWnd && IsWindow(parentWnd))
        SendCommandToWindow(parentWnd, SKCMD_SETPAINTINGCHILD, 0);
}

void TzAnimTimer::Timer()
{
    // A stopped animation is over: a tick still under way says nothing more.
    if (!Enabled())
        return;
    TTickScope tick(this);
    if (!CheckDone())
        AnimStep();
}
