// Skinned window scroll bars: a window with standard scroll bars that a scroll adapter skins
// gets its bars drawn, hit-tested and operated by the engine. The adapter takes the bars out
// of the system's view of the frame, reserves their room itself, paints them from the skin's
// scroll sections and turns presses on them into the window's own WM_HSCROLL / WM_VSCROLL,
// so the window's scrolling stays its own.
//
// Only one bar of one window is hot or pressed at a time: the tracking state is shared by the
// whole program (the mouse is captured during a press).
#pragma once

#include "skin/zskinwnd.h"

#include <cstdint>
#include <memory>

class TSkScrollWnd;

// Elements of a bar; the codes are the scroll requests sent for them.
enum : int {
    sbeNone = -1,
    sbeFirstArrow = 0,   // SB_LINEUP / SB_LINELEFT
    sbeSecondArrow = 1,  // SB_LINEDOWN / SB_LINERIGHT
    sbeTrackBefore = 2,  // SB_PAGEUP
    sbeTrackAfter = 3,   // SB_PAGEDOWN
    sbeThumb = 5,        // SB_THUMBTRACK
};

// Timers of the scrolled window.
constexpr UINT_PTR HoverTimerID = 0xFFF2;      // 20 ms while the mouse is over a bar
constexpr UINT_PTR FirstRepeatTimerID = 0xFFFD; // 300 ms after a press on an arrow or the track
constexpr UINT_PTR RepeatTimerID = 0xFFFE;     // 55 ms afterwards

// One bar of a scroll adapter.
class TSkScrollBar {
public:
    TSkScrollBar(TSkScrollWnd* AOwner, int AKind) : Owner(AOwner), Kind(int16_t(AKind)) {}
    uint16_t Flags = 0;        // 8 when the window's style has the bar
    uint8_t Visible = 0;       // the style has it and the client is as large as its thickness
    SCROLLINFO ScrollInfo{sizeof(SCROLLINFO), SIF_ALL, 0, 0, 0, 0, 0};
    int32_t ArrowLength = -1;  // >= 0 pixels; -k: k times the default length
    int32_t Thickness = -1;    // >= 0 pixels; -k: k times the system's bar size
    TSkScrollWnd* Owner;
    int16_t Kind;              // SB_HORZ or SB_VERT
    int32_t MinThumbSize = 10;

    int Bar() const { return Kind == 0 ? SB_HORZ : SB_VERT; }
    UINT ScrollMessage() const { return Kind == 0 ? WM_HSCROLL : WM_VSCROLL; }
};

// The one press and hover of the whole program.
struct TSkScrollTracking {
    HWND HotWindow = nullptr;
    int HotBar = -1;                 // kind, -1 none
    TRect HotBarRect;                // screen
    int HotElement = sbeNone;
    int LastHotElement = sbeNone;
    HWND HoverWindow = nullptr;      // the window whose hover timer runs
    HWND PressWindow = nullptr;      // the window of the press
    int PressedElement = sbeNone;
    int PressedBar = -1;
    int PressedOver = sbeNone;       // the pressed element while the cursor is on it
    UINT ScrollMessage = 0;
    UINT_PTR RepeatTimer = 0;
    int LastTrackPos = 0;
    // A thumb drag: the thumb's length and position, the bar at the press, the grab offset.
    int ThumbLength = 0;
    int ThumbPos = 0;
    TRect PressBarRect;
    int GrabOffset = 0;
};
extern TSkScrollTracking ScrollTracking;

class TSkScrollWnd : public TSkMainWnd {
    Z_CLASS(TSkScrollWnd, TSkMainWnd)
public:
    using TSkMainWnd::TSkMainWnd;
    ~TSkScrollWnd() override;

    void WndProc(TMessage& Message) override;

    std::unique_ptr<TSkScrollBar> HorzBar;
    std::unique_ptr<TSkScrollBar> VertBar;
    uint8_t ThumbTracking = 0;
    uint8_t LeftScrollBar = 0;     // WS_EX_LEFTSCROLLBAR
    // The frame the window's own procedure keeps around its client area, bars left out.
    int32_t FrameLeft = 0;
    int32_t FrameRight = 0;
    int32_t FrameTop = 0;
    int32_t FrameBottom = 0;
    uint8_t ChangingStyle = 0;

    // Where the window lies in the picture it answers for its background (an MDI client
    // shows its form's).
    virtual TPoint BackgroundOffset() const { return TPoint(); }

protected:
    // AttachScrollBars.
    void HookParts(bool Repaint) override;
    void DetachParts() override;
    void SkinCommand(TWMSkinCommand Cmd) override;
    // Whether a press ends with the capture released (a combo box's drop-down list keeps it).
    virtual bool ReleasesCaptureOnRelease() { return true; }

    // A press on a bar with the hit code (HTHSCROLL, HTVSCROLL) at a point of the screen.
    void StartPress(TMessage& Message, int HitCode, TPoint Screen);
    // The end of a press: released, or the capture lost. False when the adapter was freed
    // by what the window did meanwhile.
    bool EndPress();
    // SendScrollCommand with Scrolling set; False when the adapter was freed meanwhile.
    bool SendScrolling(UINT Msg, int Code, int Position);
    // The skin's section and picture have changed: both bars again from the window.
    void OnSkinRefresh();

private:
    // The messages of the bars; True when handled here and not passed on.
    bool BarMessage(TMessage& Message);
    void NCCalcSize(TMessage& Message, const TWMNCCalcSize& Calc);
    bool StyleChange(TMessage& Message, const TWMStyleChange& Change);
    void NCPaint(TMessage& Message);
    bool NCHitTest(TMessage& Message, TPoint Screen);
    void NCMouseMove(UINT HitTest);
    bool NCButtonDown(TMessage& Message, const TWMNCMouse& Mouse);
    // Other buttons on a bar do nothing.
    bool NCOtherButton(TMessage& Message, UINT HitTest);
    // During a press: the drag or the pressed look follow the mouse. False without a press.
    bool PressMouseMove(TMessage& Message, TPoint Client);
    // The press ends when Ended; True when the message goes no further.
    bool PressEnded(bool Ended);
    void Timer(TMessage& Message, UINT_PTR TimerID);
    void HoverTick();
    // False when the adapter was freed by the scroll.
    bool RepeatTick();
    void EndParentUpdate();
    void UpdatePressedOver(TPoint Screen);
    void DragThumb(int Coord);
    void PaintDraggedBar(int Q);
};

// The scroll adapter named by the window's property, or none; one of its bars (0 horizontal).
TSkScrollWnd* GetScrollAdapter(HWND Window);
TSkScrollBar* GetScrollBarObject(HWND Window, int Kind);

// Creates the bars, reads their scroll information and style, hooks the window; with
// Repaint the frame is recalculated at once, else only redrawn.
void AttachScrollBars(TSkScrollWnd* Adapter, HWND Window, bool Repaint);
// The adapter's window, detached (procedure, property, bars); the owner frees the adapter.
void DetachWindowAdapter(HWND Window, bool Repaint);

// Which = 1 the thickness, 0 the arrow length; UseSkin lets the skin's arrow image lengthen
// the arrow (painting). 0 without a bar.
int GetScrollMetric(const TSkScrollBar* Bar, int Which, bool UseSkin);
// The bars' rectangles and the corner between them, in screen coordinates.
TRect GetHorzBarRect(const TSkScrollWnd* Adapter, HWND Window);
TRect GetVertBarRect(const TSkScrollWnd* Adapter, HWND Window);
TRect GetCornerRect(const TSkScrollWnd* Adapter, HWND Window);
// The corner touches the bottom right of a top-level parent's client area (or there is no
// parent): it answers as a size grip.
bool IsSizeGripCorner(const TSkScrollWnd* Adapter, HWND Window);

// Both bars' scroll information read again; painted with Repaint.
void RefreshScrollInfo(TSkScrollWnd* Adapter, bool Repaint);
// Both bars and the corner into DC, or into the window's DC when none. ThumbPos -1: the
// thumb where the scroll information puts it.
void PaintScrollBars(TSkScrollWnd* Adapter, HWND Window, HDC DC = nullptr, int ThumbPos = -1);
// The window's scroll message with the request Code, framed by the skin commands 51 and 52.
// For the thumb requests a position beyond 16 bits is set first with SetScrollPos.
void SendScrollCommand(HWND Window, UINT Message, int Code, int Position);

// Where the thumb lies on a bar of BarRect (screen or window coordinates alike).
struct TSkThumbGeometry {
    int Pos = 0;      // along the bar, in BarRect's coordinates
    int Length = 0;
};
TSkThumbGeometry GetThumbGeometry(const TSkScrollBar* Bar, const TRect& BarRect);
// The element of the bar at P (sbeNone when outside).
int ScrollElementAt(const TSkScrollBar* Bar, const TRect& BarRect, TPoint P);
// GetScrollBarInfo succeeds and the bar is not unavailable.
bool ScrollBarEnabled(HWND Window, int Kind);
