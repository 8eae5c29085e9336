// Self-painting adapters: the skin's look for the small windows of dialogs and of other
// component families (static texts and icons, push buttons and buttons with images, check
// boxes and radio buttons, group boxes, size boxes, up-downs, tool bars, panels). The adapter
// paints the whole window from the skin into its cache and copies it; the window's own
// painting is never shown (it runs with the window's drawing held back where the window draws
// outside WM_PAINT). The window's logic (clicks, check state, its buttons) stays its own: the
// adapter reads that state through the standard control messages and passes every message on.
//
// The hot state follows the manager's hot window: the mouse over the window makes it the hot
// window (sub-command 29 to it, 30 to the one before), and the mouse leaving it ends that.
//
// Any class here that overrides RestoreStdParams or DetachParts calls Release() in its own
// destructor (TSkSelfPaintWnd does for all of them).
#pragma once

#include "classlib/gdihandles.h"
#include "skin/zskinpaint.h"
#include "skin/zskintextpaint.h"
#include "skin/zskinwnd.h"

#include <memory>

// What every self-painting adapter shares: hooked, the window repaints skinned at once, and
// detached, plain; the painting of a cache from the section over the parent's picture; the
// window's own procedure run with its drawing held back; the hot window following the mouse.
class TSkSelfPaintWnd : public TSkMainWnd {
    Z_CLASS(TSkSelfPaintWnd, TSkMainWnd)
public:
    using TSkMainWnd::TSkMainWnd;
    ~TSkSelfPaintWnd() override;
    void WndProc(TMessage& Message) override;

    // The window is the default manager's hot window.
    bool IsHot() const;
    // The whole picture for the present state into the cache (made the window's size).
    virtual void PaintCache() = 0;

protected:
    void HookParts(bool Repaint) override;
    void DetachParts() override;
    // The adapter's own messages while it paints, before what all of them do (painting,
    // erasing, the frame, the text and enabled state, the hot window); True when handled.
    virtual bool OwnMessage(TMessage&) { return false; }
    // The adapter paints: its manager is active, the section found and the window hooked.
    bool Painting() const { return SkinActive() && Skinning(); }
    // The message through the window's procedure with its drawing held back (redraw off),
    // then the picture painted anew and shown. False when the adapter went meanwhile.
    bool PassUnpainted(TMessage& Message);
    // The picture painted anew and shown at once.
    void Redraw();
    // The cache made the window's size (the window's geometry and text read again); null
    // for an empty window.
    TBitmap* SizedCache();
    // The cache made the window's size and painted with the section in State over the
    // parent's picture (its colour where it has none); the border's key colour shows the
    // parent. Null when there is nothing to paint.
    TBitmap* PaintBackground(TzPaintState State);
    // What lies behind the window: the parent's picture at the window's place, or its colour.
    TzBackdrop Behind();
    // A disabled window: the parent's picture blended over the cache (60 %), else its colour.
    void DisabledLook(TBitmap* Cache);
    // The text of the window in the colours of its section (or of the one given), through its
    // own font (WM_GETFONT, else the system's message font), into R of the cache.
    void DrawText(TBitmap* Cache, const WideString& Text, const TRect& R, UINT Format, TzTextFlags Look,
                  int Section = -1);
    // The window's font: WM_GETFONT, else the message font.
    HFONT TextFont();
    // WM_PAINT and WM_PRINT: PaintCache, then the cache to the DC given or begun.
    void PaintMessage(TMessage& Message);
    // The mouse over the window makes it the hot window; leaving it ends that.
    void FollowMouse(const TMessage& Message);
    int32_t Style() const;

private:
    TOwnedFont FMessageFont;
};

// Static texts: the section (given by the creator) over the parent, the text over it in the
// static's alignment, wrapping, prefix and ellipsis. A static of exactly 152 x 49 (a part of a
// standard dialog that draws itself) keeps its own painting in (30, 6)-(120, 41).
class TSkStaticWnd : public TSkSelfPaintWnd {
    Z_CLASS(TSkStaticWnd, TSkSelfPaintWnd)
public:
    using TSkSelfPaintWnd::TSkSelfPaintWnd;
    void PaintCache() override;
    // DrawText's flags for a static of that style (its type, SS_NOPREFIX, SS_CENTERIMAGE, the
    // ellipses); none for a static of another type than a text.
    static UINT TextFormat(int32_t Style, bool& IsText);

protected:
    bool OwnMessage(TMessage& Message) override;
    // What the static shows over the section.
    virtual void PaintText(TBitmap* Cache);
};

// Icon statics: the static's icon (STM_GETICON) at the top-left.
class TSkIconWnd : public TSkStaticWnd {
    Z_CLASS(TSkIconWnd, TSkStaticWnd)
public:
    using TSkStaticWnd::TSkStaticWnd;

protected:
    void PaintText(TBitmap* Cache) override;
};

// Link windows paint themselves.
class TSkLinkWnd : public TSkStaticWnd {
    Z_CLASS(TSkLinkWnd, TSkStaticWnd)
public:
    using TSkStaticWnd::TSkStaticWnd;

protected:
    bool OwnMessage(TMessage& Message) override;
    void PaintText(TBitmap*) override {}
};

// Push buttons: the section in the button's state (pressed from BM_GETSTATE; hot while
// focused, hot or the default button), the caption centred in the section's colours (wrapped
// only with BS_MULTILINE), the focus frame when the section shows focus. The window keeps
// its own pressing and clicking: BM_SETSTATE reaches it.
class TSkBtnWnd : public TSkSelfPaintWnd {
    Z_CLASS(TSkBtnWnd, TSkSelfPaintWnd)
public:
    using TSkSelfPaintWnd::TSkSelfPaintWnd;
    void PaintCache() override;
    // 2 pushed, 1 enabled and focused, hot or the default button, else 0.
    int ButtonState();

protected:
    bool OwnMessage(TMessage& Message) override;
    // The painting steps after the section: the glyph (none) and the caption with its focus
    // frame.
    virtual TRect TextRect(TBitmap* Cache, const WideString& Caption, UINT Format);
    virtual void PaintGlyph(TBitmap*, int) {}
    UINT CaptionFormat();
};

// Buttons with images: glyph and caption placed by the bit buttons' layout. The glyph of a
// class-library bit button is its own (with its layout, margin and spacing); a foreign
// button's is its image (BM_GETIMAGE), drawn as the system draws it, beside the caption
// unless the button shows the image alone (BS_BITMAP, BS_ICON).
class TSkBitBtnWnd : public TSkBtnWnd {
    Z_CLASS(TSkBitBtnWnd, TSkBtnWnd)
public:
    using TSkBtnWnd::TSkBtnWnd;
    // Where the glyph and the caption go in the present state.
    TzGlyphPlaces Places();

protected:
    TRect TextRect(TBitmap* Cache, const WideString& Caption, UINT Format) override;
    void PaintGlyph(TBitmap* Cache, int State) override;

private:
    // The glyph strip of a class-library bit button and its number of frames; none else.
    TBitmap* LibraryGlyph(int& Frames);
    // A foreign button's image (BM_GETIMAGE): a bitmap or an icon, and its size.
    struct TImage {
        HBITMAP Bitmap = nullptr;
        HICON Icon = nullptr;
        TSize Size{0, 0};
    };
    TImage WindowImage();
};

// Check boxes and radio buttons: the section (the skin data's own), the skin's check glyph of
// the window's check state (the one routine of the skinned check controls), the caption beside
// it, the focus frame.
class TSkCheckBoxWnd : public TSkSelfPaintWnd {
    Z_CLASS(TSkCheckBoxWnd, TSkSelfPaintWnd)
public:
    using TSkSelfPaintWnd::TSkSelfPaintWnd;
    void PaintCache() override;
    // The glyph's and the caption's places in the window.
    TRect GlyphRect();
    TRect CaptionRect();
    // The glyph's frame: 2 pushed, 1 focused or hot, else 0.
    int GlyphState();
    // The check state the window shows: 0, 1, 2 indeterminate.
    int CheckState();
    bool IsRadio() const;

protected:
    bool OwnMessage(TMessage& Message) override;

private:
    int GlyphIndex();
};

// Size boxes: the section over the parent and the skin's grip; the box answers the hit test
// as the corner that sizes.
class TSkSizerWnd : public TSkSelfPaintWnd {
    Z_CLASS(TSkSizerWnd, TSkSelfPaintWnd)
public:
    using TSkSelfPaintWnd::TSkSelfPaintWnd;
    void PaintCache() override;

protected:
    bool OwnMessage(TMessage& Message) override;
};

// Up-downs: two arrow buttons, each in its own state (pressed while the press that went down
// on it holds the mouse, hot under the mouse) with the arrow glyph of the skin's scroll
// buttons centred; side by side for UDS_HORZ.
class TSkSpinWnd : public TSkSelfPaintWnd {
    Z_CLASS(TSkSpinWnd, TSkSelfPaintWnd)
public:
    using TSkSelfPaintWnd::TSkSelfPaintWnd;
    void PaintCache() override;
    // The two buttons' rectangles (up or left first) and their states.
    TRect ButtonRect(int Button);
    int ButtonState(int Button);

protected:
    bool OwnMessage(TMessage& Message) override;

private:
    int ButtonAt(TPoint P);
    int FPressed = -1;   // the button the press went down on
    int FHot = -1;       // the button under the mouse
};

// Tool bars: the bar's section, each button in "TOOLBUTTON" in its state (pressed or checked
// 2, under the mouse and enabled 1), its image of the bar's image list, its drop-down mark,
// its wide text; a disabled button dimmed. The frame around the client area is copied from
// the cache.
class TSkToolBarWnd : public TSkSelfPaintWnd {
    Z_CLASS(TSkToolBarWnd, TSkSelfPaintWnd)
public:
    using TSkSelfPaintWnd::TSkSelfPaintWnd;
    void PaintCache() override;
    // The width of the frame around the client area.
    int FrameWidth();
    // A button's state: 2 pressed or checked, 1 under the mouse and enabled, else 0.
    int ButtonState(int Index);

protected:
    bool OwnMessage(TMessage& Message) override;

private:
    void PaintFrame();
    TPoint FMouse{-1, -1};   // the mouse in the client area, (-1, -1) when away
};

// Transparent panels: the parent's picture behind the whole window, frame included.
class TSkTransPanelWnd : public TSkSelfPaintWnd {
    Z_CLASS(TSkTransPanelWnd, TSkSelfPaintWnd)
public:
    using TSkSelfPaintWnd::TSkSelfPaintWnd;
    void PaintCache() override;

protected:
    bool OwnMessage(TMessage& Message) override;
};

// Group boxes: the section from half the caption's height down, the caption's strip showing
// the parent, the wide caption in the section's colours where the skinned group box has it.
class TSkGroupBoxWnd : public TSkSelfPaintWnd {
    Z_CLASS(TSkGroupBoxWnd, TSkSelfPaintWnd)
public:
    using TSkSelfPaintWnd::TSkSelfPaintWnd;
    void PaintCache() override;
    // The caption's rectangle in the window.
    TRect CaptionRect();

protected:
    bool OwnMessage(TMessage& Message) override;
};
