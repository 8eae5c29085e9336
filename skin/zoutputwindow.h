// The animated show of a control or a form: a cross-fade from what the screen showed under
// it to its new look, played on a temporary window laid over it while the control itself
// does not redraw.
#pragma once

#include "classlib/controls.h"

#include <memory>

// The temporary window of an animated show: hidden when made, never erasing itself (the
// frames cover it whole). Without a parent it is a popup owned by the application's window,
// topmost when the control it serves (its owner) is.
class TOutputWindow : public TCustomControl {
    Z_CLASS(TOutputWindow, TCustomControl)
public:
    explicit TOutputWindow(TComponent* AOwner);

protected:
    void CreateParams(TCreateParams& Params) override;
    void Dispatch(TMessage& Message) override;
};

// The longest animated show (ms). The show holds the interface while it plays: a skin's or a
// caller's time beyond this is cut to it. It leaves room for two and a half times the
// longest default (100 ms for dialogs and skin changes) and keeps the pause short enough
// that typing or clicking right after a window appears is not lost to the eye.
constexpr int AnimShowMaxTime = 250;
// The pause between two frames of a show (ms).
constexpr int AnimShowFrameTime = 8;

// Stops the control's redrawing, takes what the screen shows under its window (once), and
// lays an output window over it: a child of the control's parent with the control's bounds,
// or a popup on the control's window rectangle, just above the control. AnimShowControl
// does this itself when nothing is prepared.
void PrepareOutputWindow(TWinControl* Control);

// The control's whole window, frame and visible child windows included, as a 24-bit bitmap
// of its window rectangle's size. Every window paints itself into the bitmap's DC: its frame
// by WM_PRINT (PRF_NONCLIENT), its inside by WM_ERASEBKGND and WM_PRINTCLIENT at its client
// origin, then its child windows from the bottom of the z-order up, each clipped to its
// parent's inside. What nobody prints (a plain frame where the system does not print it)
// is what the window shows now.
std::unique_ptr<TBitmap> PaintControlToBitmap(TWinControl* Control);

// The animated show: from the screen under the control to its new look in Time ms (the low
// 16 bits, at most AnimShowMaxTime), a frame every AnimShowFrameTime ms, then the new look
// itself; the output window goes and the control redraws again. Nothing for a control that
// is not showing.
void AnimShowControl(TWinControl* Control, int Time);

// Seams for tests: every picture put on the output window (Weight: the screen image's
// weight, 0..255; -1 for the final image), and the pause between frames.
struct TzAnimShowFrame {
    const TBitmap* Frame;
    const TBitmap* Snapshot;
    const TBitmap* Final;
    int Weight;
};
extern void (*AnimShowFrameHook)(const TzAnimShowFrame& Frame);
extern void (*AnimShowSleep)(DWORD Milliseconds);

// Fills the skin manager's animated repaint with AnimShowControl; called by InitSkinEngine.
void InitOutputWindow();
