// Fades of a skinned control's state changes: when the mouse enters or leaves or a button
// goes down or up, and the control's section fades, a timer blends the old cache image into
// the new one in small steps instead of jumping to the new look. TzFadeTimer shows the
// frames on the control's window (or hands them to the control); TzAnimTimer blends into a
// work image that the control paints itself (controls without a window of their own).
#pragma once

#include "classlib/extctrls.h"
#include "skin/zskinmanager.h"

#include <cstdint>
#include <memory>

class TzCommonData;
class TSkFreeWatch;
class TControl;

// The program's one switch over every fade and animation of controls, on by default: off,
// every state change repaints at once whatever the skin says.
extern bool SkinFadingOn;

// Fades tick at this fixed interval (ms); the skin's fading intervals are read but not used.
constexpr uint32_t FadeTickInterval = 10;

// Directions of a fade.
enum : uint8_t { fdIdle = 0, fdIn = 1, fdOut = 2 };

// The event is in the control's own set, or the set defers to the manager's global one
// (aeGlobalDef) and that holds it.
bool AnimEventOn(TSkAnimatEvent Event, TSkAnimatEvents ControlEvents);

// The old image's weight in frame Step of Iterations: 255 - Step * 256 div Iterations,
// limited to 0..255. Iterations must be at least 1.
uint8_t FadeAlpha(int Step, int Iterations);

// The control a fade works for, watched: a control freed or being destroyed is gone, and a
// fade for it does nothing more.
class TzFadeTarget {
public:
    TzFadeTarget();
    ~TzFadeTarget();
    void Set(TzCommonData* ASkinData);
    TzCommonData* SkinData() const { return LiveControl() ? FSkinData : nullptr; }
    // The skin data's owner control while it is alive; none otherwise.
    TControl* LiveControl() const;

private:
    TzCommonData* FSkinData = nullptr;
    std::unique_ptr<TSkFreeWatch> FWatch;
};

// ---------------------------------------------------------------------------------------

class TzFadeTimer : public TTimer {
    Z_CLASS(TzFadeTimer, TTimer)
public:
    // Disabled until a fade starts; the tick's work is in Timer().
    explicit TzFadeTimer(TComponent* AOwner);
    ~TzFadeTimer() override;

    // fdIdle, fdIn, fdOut. A negative Step becomes 1; the timer runs while not idle.
    uint8_t Direction() const { return FDirection; }
    void SetDirection(uint8_t D);
    // Takes the control's current cache as the old image and the section's number of steps;
    // a fade reversed while running lasts as long as the part already done.
    void Prepare(TzCommonData* ASkinData);
    // True when the fade is over: the timer goes idle and the control hears SKCMD_FADEDONE
    // (once), after which nothing of the timer is touched (the control may free it). A fade
    // whose control is gone goes idle and answers False.
    bool CheckDone();
    // One frame: the old image blended toward the control's new cache by the step's alpha,
    // offered to the control (SKCMD_SHOWFADEFRAME) and else copied onto its window. A
    // disabled control stops the fade and repaints normally.
    void FadeStep();
    // A tick: one frame unless the fade is over or idle.
    void Timer() override;

    TzCommonData* SkinData() const { return FTarget.SkinData(); }
    TBitmap* OldImage() const { return FOldImage.get(); }
    int32_t Iterations = 0;
    int32_t Step = 0;

private:
    void NoTick(TObject*) {}

    uint8_t FDirection = fdIdle;
    TzFadeTarget FTarget;
    std::unique_ptr<TBitmap> FOldImage;
    std::unique_ptr<TBitmap> FFrame;
};

// Starts a fade of the control in that direction when its section fades (a missing timer is
// made, owned by the control); the control repaints its cache for the new state
// (SKCMD_PREPARECACHE) before the first tick. HalfTime halves the steps.
void StartFade(TzFadeTimer*& Timer, TzCommonData* SkinData, bool HalfTime, uint8_t Direction);
// A control's state changed: a fade when nothing holds it back (no skin change under way,
// AllowFade, the section fades, fading on, a cache and no repaint pending), else the running
// fade stops and the control repaints at once.
void FadeOrRepaint(TzFadeTimer*& Timer, TzCommonData* SkinData, bool HalfTime, uint8_t Direction,
                   bool AllowFade);
// The timer goes idle and is freed (after its tick, when called from inside one); Timer
// becomes null.
void StopFadeTimer(TzFadeTimer*& Timer);

// ---------------------------------------------------------------------------------------

class TzAnimTimer : public TTimer {
    Z_CLASS(TzAnimTimer, TTimer)
public:
    explicit TzAnimTimer(TComponent* AOwner);
    ~TzAnimTimer() override;

    // The skin data, the fixed tick and the section's number of steps.
    void Prepare(TzCommonData* ASkinData);
    // True when Step has left 0..Iterations or the application is ending (the control hears
    // SKCMD_FADEDONE once and the timer stops), or when the control is gone.
    bool CheckDone();
    // One frame: the work image := the start image blended toward the control's cache, then
    // painted by the control (PaintStep); Step advances. While a frame is being painted, or
    // without a control, only Step advances.
    void AnimStep();
    // The parent is told which child paints (SKCMD_SETPAINTINGCHILD), the control stops
    // waiting (SKCMD_SETUPDATING 0) and repaints, and the parent is told it is over.
    void PaintStep();
    void Timer() override;

    // A frame is being painted: the control shows the work image instead of its cache.
    bool Busy() const { return FBusy; }
    TBitmap* StartImage() const { return FStartImage.get(); }
    TBitmap* WorkImage() const { return FWorkImage.get(); }
    TzCommonData* SkinData() const { return FTarget.SkinData(); }
    int32_t Iterations = 0;
    int32_t Step = 0;

private:
    void NoTick(TObject*) {}

    bool FBusy = false;
    std::unique_ptr<TBitmap> FStartImage;
    std::unique_ptr<TBitmap> FWorkImage;
    TzFadeTarget FTarget;
};
