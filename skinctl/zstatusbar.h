// The skinned status bar: the Unicode status bar painted from the section "STATUSBAR" (unless
// one is named): the section behind everything, each panel framed by the section's
// "STATUSPANELMASK" (or, without one, the panels parted by the "DIVIDER" section), the wide
// panel texts in the section's colours, and the skin's size grip. Owner-drawn panels are
// drawn by OnDrawPanel on the bar's picture. Without a skin it is the platform's bar.
#pragma once

#include "skinctl/zskinctl.h"
#include "unicode/uccomctrls.h"

#include <memory>
#include <vector>

// What the status bar painter draws: the panels (or the simple text), their look and the
// grip.
struct TzStatusBarLook {
    struct TPanel {
        WideString Text;
        int Width = 0;
        TAlignment Alignment = taLeftJustify;
        // Drawn by the program: no text of the bar's own.
        bool OwnerDraw = false;
    };
    std::vector<TPanel> Panels;
    bool SimplePanel = false;
    WideString SimpleText;
    bool SizeGrip = false;
    int BorderWidth = 0;
    // The texts in the section's hot colours (the bar is active).
    bool Hot = false;
    bool RightToLeft = false;
    // The font of the texts; the canvas's own when none.
    TFont* Font = nullptr;
};

// The panels' rectangles in a bar Width x Height: with the simple panel one, (0, 1, Width - 1,
// Height - 1); else panel i from the sum of the widths before it, each plus 1, that width
// plus 1 wide (the last to the right edge), as high as the bar, shrunk by 1 on every side.
std::vector<TRect> StatusPanelRects(const TzStatusBarLook& Look, int Width, int Height);
// The bar into Bmp (its whole size): the section (Skin) over what lies behind, the panels'
// frames or dividers, their texts with a word ellipsis, and the size grip at the bottom right
// inside the border. Nothing without a section.
void PaintStatusBar(TBitmap* Bmp, const TzSectionSkin& Skin, const TzBackdrop& Behind, const TzStatusBarLook& Look);

class TzStatusBar : public TUcStatusBar, public TzSkinnedControl {
    Z_CLASS(TzStatusBar, TUcStatusBar)
public:
    // Type code 151; its skin data keeps a cache. It takes controls and is opaque.
    explicit TzStatusBar(TComponent* AOwner);
    ~TzStatusBar() override;
    void AfterConstruction() override;
    void Loaded() override;

    TzCommonData* SkinData() const { return FSkinData.get(); }
    // The picture into the cache when it is stale (or the parent says this bar lay out of its
    // clip): the painter, then the owner-drawn panels drawn by OnDrawPanel on it.
    void PaintControl();
    // What the painter is given now.
    TzStatusBarLook Look();

protected:
    void WndProc(TMessage& Message) override { RunSkinnedWndProc(*this, Message); }
    TControl* SkinnedSelf() override { return this; }
    TzCommonData* SkinnedData() override { return FSkinData.get(); }
    void InheritedWndProc(TMessage& Message) override { TUcStatusBar::WndProc(Message); }
    // Its children stand on its picture: they hear the skin's coming, going and refresh too.
    bool PassesSkinToChildren() const override { return true; }
    void SkinChanged(TWMSkinCommand& Command) override;
    // Painting, printing and erasing are the bar's own; moves of a see-through section and
    // sizes make the picture stale.
    bool SkinnedBefore(TMessage& Message) override;
    // The bar's messages that change what it shows make the picture stale.
    void SkinnedAfter(TMessage& Message) override;

private:
    // The cache to DC and the graphic children over it; with OwnWindow the children hear
    // that the bar's update ended.
    void PaintTo(HDC DC, bool OwnWindow);

    std::unique_ptr<TzCommonData> FSkinData;
};
