// The skinned list box: a list box written on a bare windowed control over the system's
// "LISTBOX" window, its items kept in the window (TListBoxStrings), its background painted
// from the section "EDIT" (unless one is named) over its parent's picture, its frame and
// scroll bars by an edit adapter while skinned, and its owner-drawn items drawn over the
// section's colours. Its texts are ANSI (DrawTextA, an ANSI typed search): a character
// outside the code page shows as the code page's replacement. Without a skin it is the
// platform's list box in the system's window colours.
#pragma once

#include "classlib/stdctrls.h"
#include "skin/zskinpaint.h"
#include "skinctl/zskinctl.h"

#include <memory>

class TSkMainWnd;

class TzCustomListBox : public TListBoxOf<TWinControl>, public TzSkinnedControl {
    Z_CLASS(TzCustomListBox, TWinControl)
public:
    // Type code 97; the section "EDIT" unless one is named; the skin data keeps a cache.
    explicit TzCustomListBox(TComponent* AOwner);
    // The adapter, the label and the skin data go before the window.
    ~TzCustomListBox() override;
    void AfterConstruction() override;
    // The section's colours (unless the list keeps its own) and the adapter while skinned.
    void Loaded() override;

    // A new current item; the one before is drawn again (it may show as current).
    void SetItemIndex(int Value);

    TzCommonData* SkinData() const { return FSkinData.get(); }
    TzBoundLabel* BoundLabel() const { return FBoundLabel.get(); }
    TzDisabledKind DisabledKind() const { return FDisabledKind; }
    void SetDisabledKind(TzDisabledKind Value);
    // The adapter that paints the frame and the scroll bars while skinned.
    TSkMainWnd* ScrollAdapter() const { return FAdapter.get(); }

protected:
    // The adapter follows the new window.
    void CreateWnd() override;
    void DestroyWnd() override;

    // The section for the control's state over the parent's picture into the cache, the
    // disabled look when disabled.
    virtual void PrepareCache();
    // The item's rectangle filled; then OnDrawItem for an owner-drawn style that has it, else
    // the text (the item's, or OnData's) written with DrawTextA inset 2 pixels on the
    // reading side; a focus rectangle when focused.
    virtual void DrawItem(int Index, const TRect& Rect, TOwnerDrawState State);
    // Nothing while the painting waits; a selected item, or the current one of a list
    // without the focus, in the highlight colours; others in the font's colour (half mixed
    // with the list's colour when disabled) unless the list keeps its own; then DrawItem.
    void CNDrawItem(TMessage& Message) override;

    void WndProc(TMessage& Message) override { RunSkinnedWndProc(*this, Message); }
    TControl* SkinnedSelf() override { return this; }
    TzCommonData* SkinnedData() override { return FSkinData.get(); }
    void InheritedWndProc(TMessage& Message) override { TListBoxOf<TWinControl>::WndProc(Message); }
    // The adapter goes before the skin does; the colours and the adapter follow the skin.
    void SkinChanging(TWMSkinCommand& Command) override;
    void SkinChanged(TWMSkinCommand& Command) override;
    // The background from the cache; geometry makes the picture stale.
    bool SkinnedBefore(TMessage& Message) override;
    // Focus changes repaint, the current item's change refreshes the bars, a colour of the
    // program's own is kept, the adapter follows the showing.
    void SkinnedAfter(TMessage& Message) override;
    TzBoundLabel* SkinnedBoundLabel() override { return FBoundLabel.get(); }

private:
    void UpdateScrollAdapter();
    void EraseBackground(TMessage& Message);

    std::unique_ptr<TzCommonData> FSkinData;
    std::unique_ptr<TzBoundLabel> FBoundLabel;
    std::unique_ptr<TSkMainWnd> FAdapter;
    TzDisabledKind FDisabledKind = dkBlended;
};

class TzListBox : public TzCustomListBox {
    Z_CLASS(TzListBox, TzCustomListBox)
public:
    explicit TzListBox(TComponent* AOwner) : TzCustomListBox(AOwner) {}
};
