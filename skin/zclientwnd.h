// Client-area adapters: the window's own painting keeps its client area; the adapter skins
// its frame, its scroll bars and its colours. Edits, memos, list boxes and other framed
// windows take TSkEditWnd, tree views TSkTreeViewWnd; the other client-area adapters (combo
// boxes and their lists, list views with their header, grids, MDI clients) build on
// TSkBaseWnd and TSkEditWnd the same way.
#pragma once

#include "skin/zscrollwnd.h"

#include <memory>

class TControl;

// The base of the client-area adapters: the frame follows size, enable and scroll changes.
class TSkBaseWnd : public TSkScrollWnd {
    Z_CLASS(TSkBaseWnd, TSkScrollWnd)
public:
    using TSkScrollWnd::TSkScrollWnd;
    void WndProc(TMessage& Message) override;

protected:
    // WM_NCPAINT to the window when it is visible.
    void RedrawFrame();
};

// Edits and other framed windows: the frame painted from the section's border mask around
// the window's own client painting, and the skin's colours.
class TSkEditWnd : public TSkBaseWnd {
    Z_CLASS(TSkEditWnd, TSkBaseWnd)
public:
    using TSkBaseWnd::TSkBaseWnd;
    ~TSkEditWnd() override;

    void SaveStdParams() override;
    void RestoreStdParams() override;
    void AfterCreation() override;
    void WndProc(TMessage& Message) override;

    // The control's colours from before the adapter (a class-library control).
    TColor SavedColor = clWindow;
    TColor SavedFontColor = clWindowText;
    // The background a foreign edit shows (its parent answers its colour message with it).
    TColor BgColor = clWindow;

protected:
    // The class-library control behind the window, or none for a foreign window.
    TControl* Control() const;
    // The frame from the cache into DC (the window's DC when none), then the scroll bars.
    void PaintFrame(HDC DC);
    void Print(TMessage& Message);
};

// Tree views: as edits, but the tree's background colour comes from the section's hot colour
// and no colours are kept.
class TSkTreeViewWnd : public TSkEditWnd {
    Z_CLASS(TSkTreeViewWnd, TSkEditWnd)
public:
    using TSkEditWnd::TSkEditWnd;
    ~TSkTreeViewWnd() override;
    void SaveStdParams() override {}
    void RestoreStdParams() override {}
    void AfterCreation() override;
    void WndProc(TMessage& Message) override;

    // The tree's background: the section's hot colour, the system's window colour when the
    // adapter keeps the window's colours.
    TColor TreeColor() const;
    // The background the tree window shows: the one AfterCreation gave it, or the colour a
    // skinned tree view keeps itself (its section's colour, or its own). Erasing fills with it.
    TColor ShownColor() const;
};

// A skinned control's edit adapter follows its skin data: while skinned, a dead adapter is
// replaced and a missing one made (section "EDIT", frame recalculated); not skinned, the
// adapter goes.
void UpdateEditAdapter(TWinControl* Control, std::unique_ptr<TSkMainWnd>& Adapter, TzCommonData* SkinData);
void UpdateTreeViewAdapter(TWinControl* Control, std::unique_ptr<TSkMainWnd>& Adapter, TzCommonData* SkinData);
