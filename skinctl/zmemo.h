// The skinned memo: the platform's memo in a Unicode window with UTF-16 lines, text and
// selection. Skinned, it takes the colours of the section "EDIT", and its frame and scroll
// bars are painted by a window adapter that lives as long as the memo is skinned.
#pragma once

#include "skinctl/zeditcontrol.h"

#include <optional>

class TSkMainWnd;

class TzMemo : public TzEditControl<TMemo> {
    Z_CLASS(TzMemo, TMemo)
public:
    // Type code 7, section "EDIT" unless one is named.
    explicit TzMemo(TComponent* AOwner);
    ~TzMemo() override;
    void Loaded() override;

    // The lines as UTF-16; the setter copies the list given.
    TUcStrings* Lines() const { return FLines.get(); }
    void SetLines(TUcStrings* Value) { FLines->Assign(Value); }
    // The window adapter that paints the frame and the scroll bars while skinned.
    TSkMainWnd* ScrollAdapter() const;

    // After every EM_SETSEL the memo receives.
    TNotifyEvent OnScrollCaret;
    // After every vertical scroll (WM_VSCROLL; horizontal scrolling fires nothing).
    TNotifyEvent OnVScroll;

protected:
    // A new window gets back the selection and the scroll position the last one had.
    void CreateWnd() override;
    void DestroyWnd() override;
    // The adapter goes before the skin does and gives the window its own frame and scroll
    // bars back; a refreshed skin brings it again.
    void SkinChanging(TWMSkinCommand& Command) override;
    void SkinChanged(TWMSkinCommand& Command) override;
    // While waiting for the parent, a paint only validates.
    bool SkinnedBefore(TMessage& Message) override;
    // Font, visibility and enabled changes make the picture stale, text changes repaint the
    // bars, showing makes or frees the adapter.
    void SkinnedAfter(TMessage& Message) override;
    // The two events, skinned or not.
    void AfterMessage(TMessage& Message) override;

private:
    // The adapter made while skinned, freed while not; a skinned memo takes the section's
    // colours.
    void UpdateScrollAdapter();
    void FreeScrollAdapter();
    // The adapter reads both scroll bars again and repaints them.
    void RefreshScrollBars();

    std::unique_ptr<TUcMemoStrings> FLines;
    std::unique_ptr<TSkMainWnd> FAdapter;
    // What a window that goes passes to the next one: the selection and the first line shown.
    struct TViewState {
        int SelStart = 0;
        int SelEnd = 0;
        int FirstLine = 0;
    };
    std::optional<TViewState> FSavedView;
};
