// The timer component (a window timer of the user-interface thread, ticking into a hidden
// window of its own), the splitter (a bar that resizes the control it lies against) and the
// panel (a control that frames its children with bevels and shows a caption in its middle).
#pragma once

#include "classlib/classes.h"
#include "classlib/controls.h"

#include <cstdint>
#include <memory>

class TTimer : public TComponent {
    Z_CLASS(TTimer, TComponent)
public:
    explicit TTimer(TComponent* AOwner);
    ~TTimer() override;

    // Published: Enabled (default true), Interval (milliseconds, default 1000). The system
    // timer runs only while Enabled, Interval is not 0 and OnTimer is assigned; each change
    // starts the interval anew. EOutOfResources "Not enough timers available" when the
    // system has none left.
    bool Enabled() const { return FEnabled; }
    void SetEnabled(bool Value);
    uint32_t Interval() const { return FInterval; }
    void SetInterval(uint32_t Value);
    // Like every event of the library, not in the property table.
    TNotifyEvent OnTimer() const { return FOnTimer; }
    void SetOnTimer(TNotifyEvent Value);

    // One tick: fires OnTimer. Descendants that do their own work on a tick override it.
    // Ticks from the system come through the hidden window, where an exception is handed to
    // the application's handler.
    virtual void Timer();

    // The timer may be freed from inside its own tick (OnTimer or Timer()). Release frees it
    // at once outside a tick, and after the outermost tick has returned inside one: for code
    // that is told something by the tick and wants the timer gone.
    void Release();
    bool InTick() const { return FTickDepth > 0; }
    // The hidden window that receives WM_TIMER.
    HWND WindowHandle() const { return FWindowHandle; }

protected:
    // Marks a tick for as long as it lives. Timer() of a descendant opens one around its
    // work; when the timer is freed meanwhile, Freed() says so and nothing of it is touched
    // again; a Release asked for inside is carried out when the outermost one ends.
    class TTickScope {
    public:
        explicit TTickScope(TTimer* ATimer);
        ~TTickScope();
        TTickScope(const TTickScope&) = delete;
        TTickScope& operator=(const TTickScope&) = delete;
        bool Freed() const { return !*FAlive; }

    private:
        TTimer* FTimer;
        std::shared_ptr<bool> FAlive;
    };

private:
    void UpdateTimer();
    void WndProc(TMessage& Message);

    HWND FWindowHandle = nullptr;
    bool FEnabled = true;
    uint32_t FInterval = 1000;
    TNotifyEvent FOnTimer;
    // Cleared when the timer is freed; every tick running holds it.
    std::shared_ptr<bool> FAlive;
    int FTickDepth = 0;
    bool FReleasePending = false;
};

// ---------------------------------------------------------------------------------------
// TSplitter: a bar aligned beside another control of the same parent; dragging it resizes
// that control. It has no window: its parent paints it and routes its mouse to it.

// How a drag shows itself: nothing until the release, a line (inverted) or a patterned line
// where the splitter will be, or the control resized on every move.
enum TResizeStyle : uint8_t { rsNone, rsLine, rsUpdate, rsPattern };

// Asked before every size the drag would give (NewSize may be changed); Accept False keeps
// the size as it was.
using TSplitterCanResizeEvent = TMethod<void(TObject* Sender, int& NewSize, bool& Accept)>;

class TSplitter : public TGraphicControl {
    Z_CLASS(TSplitter, TGraphicControl)
public:
    // Aligned alLeft, 3 pixels wide, the horizontal-split cursor; MinSize 30, AutoSnap on,
    // ResizeStyle rsPattern.
    explicit TSplitter(TComponent* AOwner);
    ~TSplitter() override;

    // A size below MinSize snaps the control to 0 (it disappears behind the splitter).
    bool AutoSnap() const { return FAutoSnap; }
    void SetAutoSnap(bool Value) { FAutoSnap = Value; }
    // Two lines of highlight and shadow along the bar.
    bool Beveled() const { return FBeveled; }
    void SetBeveled(bool Value);
    // The smallest size the drag gives the control, and the least room it leaves the
    // parent's other side; at least 1.
    int MinSize() const { return FMinSize; }
    void SetMinSize(int Value) { FMinSize = Value < 1 ? 1 : Value; }
    TResizeStyle ResizeStyle() const { return FResizeStyle; }
    void SetResizeStyle(TResizeStyle Value) { FResizeStyle = Value; }

    // The control the splitter resizes: a visible, enabled child of the parent that touches
    // the splitter's aligned side (a control of size 0 counts as one pixel wide there), never
    // another splitter. A control snapped shut against this splitter comes first, one that
    // another splitter snapped shut last. None for a splitter not aligned to a side.
    TControl* FindResizedControl();
    // The control this splitter snapped shut, while it stays shut (size 0 across the split)
    // on the same parent.
    TControl* SnappedControl() const;
    // C is snapped shut against this splitter: of size 0 across the split, and snapped by it,
    // or lying against either side of it and snapped by no other splitter. Never a splitter.
    bool SnappedAgainst(TControl* C) const;
    // A drag is under way (the button went down over a control to resize).
    bool Sizing() const { return FControl != nullptr; }
    // The drag line is shown on the parent now.
    bool LineVisible() const { return FLineVisible; }

    TSplitterCanResizeEvent OnCanResize;
    TNotifyEvent OnMoved;
    TNotifyEvent OnPaint;

protected:
    // OnCanResize, then AutoSnap: False keeps the size.
    virtual bool DoCanResize(int& NewSize);
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseMove(TShiftState Shift, int X, int Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    // The bar in its colour, the bevel lines, then OnPaint.
    void Paint() override;
    void Dispatch(TMessage& Message) override;
    // The control being resized may not outlive the drag.
    void Notification(TComponent* AComponent, TOperation Operation) override;
    // The control takes the new size; OnMoved.
    void UpdateControlSize();
    // A drag ends: the line goes, the parent's DC is given back.
    void StopSizing();
    // A control of size 0 moved to the splitter's place (alLeft and alTop), where the
    // alignment puts it before the splitter, on the side the splitter resizes.
    void PutAgainst(TControl* C);

private:
    bool Vertical() const { return FAlign == alLeft || FAlign == alRight; }
    int SizeAcross(const TControl* C) const { return Vertical() ? C->Width() : C->Height(); }
    void SetSnapped(TControl* C);
    // C is no longer watched for its free, unless the splitter still holds it.
    void LetGo(TControl* C);
    void CalcSplitSize(int X, int Y, int& NewSize, int& Split);
    void DrawLine();
    void AllocateLineDC();
    void ReleaseLineDC();

    bool FAutoSnap = true;
    bool FBeveled = false;
    int FMinSize = 30;
    TResizeStyle FResizeStyle = rsPattern;
    TControl* FControl = nullptr;   // the control being resized, while a drag runs
    TControl* FSnapped = nullptr;   // the control the last drag snapped shut
    TPoint FDownPos;
    int FMaxSize = 0;
    int FNewSize = 0;
    int FOldSize = -1;
    int FSplit = 0;
    HDC FLineDC = nullptr;
    HBRUSH FBrush = nullptr;        // the line's pattern (rsPattern)
    HGDIOBJ FPrevBrush = nullptr;
    bool FLineVisible = false;
};

// ---------------------------------------------------------------------------------------
// Panels

// Width nested one-pixel frames just inside Rect: the top and left edges in TopColor, the
// right and bottom edges (their shared corners included) in BottomColor. Rect shrinks by
// Width on every side.
void Frame3D(TCanvas* Canvas, TRect& Rect, TColor TopColor, TColor BottomColor, int Width);

class TCustomPanel : public TCustomControl {
    Z_CLASS(TCustomPanel, TCustomControl)
public:
    explicit TCustomPanel(TComponent* AOwner);

    // The caption's place across the panel; it is always centred from top to bottom.
    TAlignment Alignment() const { return FAlignment; }
    void SetAlignment(TAlignment Value);
    // From the edge inwards: the outer bevel, BorderWidth pixels of the panel's colour, the
    // inner bevel, each bevel BevelWidth wide. A lowered bevel is dark above and left, any
    // other light there.
    TBevelCut BevelInner() const { return FBevelInner; }
    void SetBevelInner(TBevelCut Value);
    TBevelCut BevelOuter() const { return FBevelOuter; }
    void SetBevelOuter(TBevelCut Value);
    int BevelWidth() const { return FBevelWidth; }
    void SetBevelWidth(int Value);
    // bsSingle: a window border around it all (sunken with Ctl3D).
    TBorderStyle BorderStyle() const { return FBorderStyle; }
    void SetBorderStyle(TBorderStyle Value);
    // A change of size repaints the whole panel; without it only what the change uncovers.
    bool FullRepaint() const { return FFullRepaint; }
    void SetFullRepaint(bool Value) { FFullRepaint = Value; }
    // ParentBackground (of the windowed control): inside its bevels the panel shows what its
    // parent paints beneath it, instead of its colour.

    // Children are laid out inside the bevels and the border.
    void AdjustClientRect(TRect& Rect) override;

protected:
    void CreateParams(TCreateParams& Params) override;
    void Paint() override;
    // Bevels, border and inside, and Caption over them: every panel paints so, whatever
    // kind of text its caption is.
    void PaintCaptioned(const TCaptionText& Caption);
    void Dispatch(TMessage& Message) override;

private:
    void PaintParentBackground(HDC DC);
    void BevelChanged();
    TAlignment FAlignment = taCenter;
    TBorderStyle FBorderStyle = bsNone;
    bool FFullRepaint = true;
};

class TPanel : public TCustomPanel {
    Z_CLASS(TPanel, TCustomPanel)
public:
    explicit TPanel(TComponent* AOwner) : TCustomPanel(AOwner) {}
};
