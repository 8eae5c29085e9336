// The skinned tree view: the platform's tree view in the colours of its skin section ("EDIT"
// unless one is named), its frame and scroll bars painted by a tree-view window adapter that
// lives as long as it is skinned, and a caption label kept beside it. Without a skin it is
// the platform's tree in the system's window colours. Every Unicode tree view of the program
// stands on it.
#pragma once

#include "classlib/comctrls.h"
#include "skinctl/zskinctl.h"

#include <memory>

class TSkMainWnd;

class TzTreeView : public TTreeView, public TzSkinnedControl {
    Z_CLASS(TzTreeView, TTreeView)
public:
    // Type code 96; its skin data keeps a cache.
    explicit TzTreeView(TComponent* AOwner);
    // The adapter, the label and the skin data go before the platform's part of the tree.
    ~TzTreeView() override;
    void AfterConstruction() override;
    // The section's colours (unless the tree keeps its own) and the adapter while skinned.
    void Loaded() override;

    TzCommonData* SkinData() const { return FSkinData.get(); }
    TzBoundLabel* BoundLabel() const { return FBoundLabel.get(); }
    // The window adapter that paints the frame and the scroll bars while skinned.
    TSkMainWnd* ScrollAdapter() const { return FAdapter.get(); }

protected:
    // The skin commands, the adapter following the skin and the window's showing, the label
    // following the tree.
    void WndProc(TMessage& Message) override { RunSkinnedWndProc(*this, Message); }
    TControl* SkinnedSelf() override { return this; }
    TzCommonData* SkinnedData() override { return FSkinData.get(); }
    void InheritedWndProc(TMessage& Message) override { TTreeView::WndProc(Message); }
    // The adapter goes before the skin does; the tree's colours and frame follow the skin.
    void SkinChanging(TWMSkinCommand& Command) override;
    void SkinChanged(TWMSkinCommand& Command) override;
    // Geometry and visibility mark the picture stale; the tree paints its own frame through
    // its adapter, so nothing is swallowed and focus changes need no repaint of ours.
    bool SkinnedBefore(TMessage& Message) override;
    void SkinnedAfter(TMessage& Message) override;
    TzBoundLabel* SkinnedBoundLabel() override { return FBoundLabel.get(); }
    // A tree without a parent hears no skin command: a new window takes the colours of the
    // skin there is now.
    void CreateWnd() override;
    // The adapter belongs to the window that goes.
    void DestroyWnd() override;
    // While skinned, the selection of a tree without the focus is drawn in the system's
    // button colours, text and face alike: the platform keeps the tree's own text colour on
    // the button face, which a dark skin makes unreadable.
    void Dispatch(TMessage& Message) override;

private:
    // The section's colour and first font colour, each unless the tree keeps its own.
    void TakeSectionColors();
    // The adapter made while skinned (the tree's own colours kept over the ones it brings),
    // freed while not.
    void UpdateScrollAdapter();
    bool CustomDraw(TMessage& Message);

    std::unique_ptr<TzCommonData> FSkinData;
    std::unique_ptr<TzBoundLabel> FBoundLabel;
    std::unique_ptr<TSkMainWnd> FAdapter;
};
