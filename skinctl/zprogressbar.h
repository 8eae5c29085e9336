// The skinned progress bar: the platform's bar painted from the section "GAUGE" over its
// parent's picture, its filled part from a section of its own ("PROGRESSH" across,
// "PROGRESSV" upright, unless ProgressSkin names one), in blocks or one smooth piece. It
// keeps no picture between paints. Without a skin the system's bar paints itself.
#pragma once

#include "classlib/comctrls.h"
#include "skinctl/zskinctl.h"

#include <memory>
#include <vector>

// The pieces of the filled part of a bar of Size, Fraction (0 to 1) of it filled. They lie
// inside the bar less BorderWidth + 1 pixels on every side, from the left (from the bottom
// when upright). Smooth: one piece, the inside's length times Fraction long (to the nearest
// pixel). Otherwise blocks 0.66 of the inside's thickness less 2 long, as many as fit with at
// least 2 pixels between them, the gaps alike (what is left over stays at the far end);
// Fraction of them (to the nearest block) are shown. None when the inside is too thin for a block of 2.
std::vector<TRect> ProgressPieces(TSize Size, int BorderWidth, TProgressBarOrientation Orientation, bool Smooth,
                                  double Fraction);

class TzProgressBar : public TProgressBar, public TzSkinnedControl {
    Z_CLASS(TzProgressBar, TProgressBar)
public:
    // Type code 161; the skin data makes a cache for each paint only.
    explicit TzProgressBar(TComponent* AOwner);
    ~TzProgressBar() override;
    void AfterConstruction() override;
    void Loaded() override;

    TzCommonData* SkinData() const { return FSkinData.get(); }
    // The section of the filled part; empty: "PROGRESSH" or "PROGRESSV" by the orientation.
    const AnsiString& ProgressSkin() const { return FProgressSkin; }
    void SetProgressSkin(const AnsiString& Value);
    AnsiString ProgressSection() const;
    // The whole picture into Bmp (the bar's size): the bar's section over the parent's
    // picture, each piece of the filled part from its section over the bar.
    void PaintBar(TBitmap* Bmp);

protected:
    void WndProc(TMessage& Message) override { RunSkinnedWndProc(*this, Message); }
    TControl* SkinnedSelf() override { return this; }
    TzCommonData* SkinnedData() override { return FSkinData.get(); }
    void InheritedWndProc(TMessage& Message) override { TProgressBar::WndProc(Message); }
    // Painting and printing are the bar's own; the system's bar paints nothing while skinned.
    bool SkinnedBefore(TMessage& Message) override;

private:
    // The picture made, copied to DC and let go; nothing while the parent updates.
    void PaintTo(HDC DC);

    std::unique_ptr<TzCommonData> FSkinData;
    AnsiString FProgressSkin;
};
