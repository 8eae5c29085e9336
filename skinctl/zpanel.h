// The skinned panel: the Unicode panel painted from the section "PANEL" over its parent's
// picture, its wide caption one line high in the middle, placed by Alignment in the section's
// font colour. Its children stand on its picture: graphic children are painted over it,
// windowed ones ask it for it. Without a skin it paints the plain panel (or lets OnPaint
// paint instead).
#pragma once

#include "skinctl/zskinctl.h"
#include "unicode/ucextctrls.h"

#include <memory>

// Paints on the panel's picture (skinned: its cache, after the section and the caption) or,
// unskinned, on its canvas instead of the plain painting.
using TPaintEvent = TMethod<void(TObject* Sender, TCanvas* Canvas)>;

class TzPanel : public TUcPanel, public TzSkinnedControl {
    Z_CLASS(TzPanel, TUcPanel)
public:
    // Type code 51; the skin data keeps a cache. Opaque.
    explicit TzPanel(TComponent* AOwner);
    ~TzPanel() override;
    void AfterConstruction() override;
    void Loaded() override;

    TzCommonData* SkinData() const { return FSkinData.get(); }
    // The whole picture into the cache: the section over the parent's picture, the caption,
    // OnPaint.
    void PaintControl();
    // The cache to DC (the control's canvas when none), opaque children left out, the
    // graphic children over it; with SendUpdate the children hear that the panel's update
    // ended. The picture is painted first when it is stale or the last one was cut by a clip.
    virtual void PaintToDC(HDC DC, bool SendUpdate);

    TPaintEvent OnPaint;
    TNotifyEvent OnMouseEnter;
    TNotifyEvent OnMouseLeave;

protected:
    void WndProc(TMessage& Message) override { RunSkinnedWndProc(*this, Message); }
    TControl* SkinnedSelf() override { return this; }
    TzCommonData* SkinnedData() override { return FSkinData.get(); }
    void InheritedWndProc(TMessage& Message) override { TUcPanel::WndProc(Message); }
    // Skinned or not: see-through and the children's question whether to wait, as every
    // container answers them.
    bool PreviewMessage(TMessage& Message) override;
    bool PassesSkinToChildren() const override { return true; }
    void ParentUpdateEnded() override;
    // Painting, printing and erasing are the panel's own; the panel made invalid (its
    // caption, alignment, bevels ...), a new font, visibility or enabled state make the
    // picture stale.
    bool SkinnedBefore(TMessage& Message) override;
    // The mouse events, skinned or not.
    void AfterMessage(TMessage& Message) override;
    void Paint() override;

private:
    // The rectangle the caption is centred in: inside the bevels and the border, as the
    // plain panel's.
    TRect CaptionArea() const;
    void PaintCaption(TCanvas* Canvas);

    std::unique_ptr<TzCommonData> FSkinData;
};
