// The skinned list view: the Unicode list view in the colours of its skin section ("EDIT"
// unless one is named), its frame, scroll bars and column header painted by a list-view
// window adapter that lives as long as it is skinned (the header from the section
// "COLHEADER", the column under the mouse hot while HighlightHeaders), and a caption label
// kept beside it. Without a skin it is the platform's list view in the system's colours.
#pragma once

#include "skinctl/zskinctl.h"
#include "unicode/uccomctrls.h"

#include <memory>

class TSkMainWnd;
class TSkListViewWnd;

class TzCustomListView : public TUcCustomListView, public TzSkinnedControl {
    Z_CLASS(TzCustomListView, TUcCustomListView)
public:
    // Type code 10; its skin data keeps a cache.
    explicit TzCustomListView(TComponent* AOwner);
    // The adapter, the label and the skin data go before the platform's part of the list.
    ~TzCustomListView() override;
    void AfterConstruction() override;
    // The section's colours (unless the list keeps its own) and the adapter while skinned.
    void Loaded() override;

    TzCommonData* SkinData() const { return FSkinData.get(); }
    TzBoundLabel* BoundLabel() const { return FBoundLabel.get(); }
    // The column under the mouse shows hot in the skinned header.
    bool HighlightHeaders() const { return FHighlightHeaders; }
    void SetHighlightHeaders(bool Value);
    // The window adapter that paints the frame, the scroll bars and the header while skinned.
    TSkListViewWnd* ScrollAdapter() const;

protected:
    void WndProc(TMessage& Message) override { RunSkinnedWndProc(*this, Message); }
    TControl* SkinnedSelf() override { return this; }
    TzCommonData* SkinnedData() override { return FSkinData.get(); }
    void InheritedWndProc(TMessage& Message) override { TUcCustomListView::WndProc(Message); }
    // The adapter goes before the skin does; the colours, the adapter and the header follow
    // the skin, the items held from drawing meanwhile.
    void SkinChanging(TWMSkinCommand& Command) override;
    void SkinChanged(TWMSkinCommand& Command) override;
    // Geometry and visibility mark the picture stale; the list paints its own frame through
    // its adapter, so nothing is swallowed.
    bool SkinnedBefore(TMessage& Message) override;
    // Scrolling, sizing and changes of the items refresh the adapter's bars.
    void SkinnedAfter(TMessage& Message) override;
    TzBoundLabel* SkinnedBoundLabel() override { return FBoundLabel.get(); }
    // A list without a parent hears no skin command: a new window takes the skin there is now.
    void CreateWnd() override;
    // The adapter belongs to the window that goes.
    void DestroyWnd() override;

private:
    void UpdateScrollAdapter();
    void RefreshBars();

    std::unique_ptr<TzCommonData> FSkinData;
    std::unique_ptr<TzBoundLabel> FBoundLabel;
    std::unique_ptr<TSkMainWnd> FAdapter;
    bool FHighlightHeaders = true;
};

class TzListView : public TzCustomListView {
    Z_CLASS(TzListView, TzCustomListView)
public:
    explicit TzListView(TComponent* AOwner) : TzCustomListView(AOwner) {}
};

// Start-up: the skinned list view, list box and status bar become known to form data.
void InitSkinnedLists();
