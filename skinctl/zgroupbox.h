// The skinned group box: the Unicode group box with its frame painted from the section
// "GROUPBOX" over its parent's picture and its wide caption on a section of its own choice
// ("CHECKBOX" unless CaptionSkin names one). Its children stand on its picture: graphic
// children are painted over it, windowed ones ask it for it. Without a skin it paints the
// classic frame of the Unicode group box.
#pragma once

#include "skinctl/zskinctl.h"
#include "unicode/ucstdctrls.h"

#include <memory>

class TzGroupBox : public TUcGroupBox, public TzSkinnedControl {
    Z_CLASS(TzGroupBox, TUcGroupBox)
public:
    // Where the caption sits along the top edge.
    enum TzCaptionLayout : uint8_t { clTopLeft, clTopCenter, clTopRight };

    // Type code 74; the skin data keeps a cache. Not opaque: its frame shows the parent.
    explicit TzGroupBox(TComponent* AOwner);
    ~TzGroupBox() override;
    void AfterConstruction() override;
    void Loaded() override;
    // The inherited inside, its top moved down by CaptionYOffset.
    void AdjustClientRect(TRect& Rect) override;

    TzCommonData* SkinData() const { return FSkinData.get(); }
    TzCaptionLayout CaptionLayout() const { return FCaptionLayout; }
    void SetCaptionLayout(TzCaptionLayout Value);
    // Moves the caption strip down (up when negative); the children follow it.
    int CaptionYOffset() const { return FCaptionYOffset; }
    void SetCaptionYOffset(int Value);
    // The section the caption stands on; empty means "CHECKBOX" over the parent's picture.
    const AnsiString& CaptionSkin() const { return FCaptionSkin; }
    void SetCaptionSkin(const AnsiString& Value);

    // The caption's strip in the control: its height is the caption font's height (at least
    // 4) plus 2; its width the caption's plus 8, placed by CaptionLayout.
    TRect CaptionRect();
    // The whole picture into the cache: the parent's picture along the caption strip, the
    // frame below half of it, the caption's section and text, the corners from the parent.
    void PaintControl();

protected:
    void WndProc(TMessage& Message) override { RunSkinnedWndProc(*this, Message); }
    TControl* SkinnedSelf() override { return this; }
    TzCommonData* SkinnedData() override { return FSkinData.get(); }
    void InheritedWndProc(TMessage& Message) override { TUcGroupBox::WndProc(Message); }
    // Skinned or not: told to be see-through, the box paints its picture at once; asked
    // whether its children must wait, it answers by its own state alone.
    bool PreviewMessage(TMessage& Message) override;
    // Its children stand on its picture: they hear the skin's coming, going and refresh too.
    bool PassesSkinToChildren() const override { return true; }
    // The box repaints when it is visible or designed; its frame is in its client area.
    void ParentUpdateEnded() override;
    // Painting, printing and erasing are the box's own; a new caption makes the picture
    // stale; the focus gets only the platform's handling; moves make the picture stale.
    bool SkinnedBefore(TMessage& Message) override;
    // A box sized while designed repaints.
    void SkinnedAfter(TMessage& Message) override;
    // A new font measures the caption again.
    void AfterMessage(TMessage& Message) override;
    void Paint() override;

private:
    // The cache to DC (opaque children left out), the graphic children over it, and, when
    // the control paints its own window, the end of its update told to its children.
    void PaintTo(HDC DC, bool OwnWindow);
    void WMPaint(TMessage& Message);
    // The caption's height in the cache's font.
    int CaptionHeight();
    // The caption's section over its strip, the wide caption on it.
    void PaintCaption(const TzCacheInfo& Parent, const TRect& R);
    // The section names a caption and the skin has changed something that shows it.
    void InvalidateCaption();

    std::unique_ptr<TzCommonData> FSkinData;
    TzCaptionLayout FCaptionLayout = clTopLeft;
    int FCaptionYOffset = 0;
    AnsiString FCaptionSkin;
};
