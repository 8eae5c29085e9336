// Client-area adapters: the window's own painting keeps its client area; the adapter skins
// its frame, its scroll bars and its colours. Edits, memos, list boxes and other framed
// windows take TSkEditWnd, tree views TSkTreeViewWnd, combo boxes TSkComboBoxWnd (which
// adapts its drop-down list itself), list views TSkListViewWnd (with their column header),
// grids and virtual trees of other control families TSkGridWnd, TSkGridEhWnd and
// TSkVirtualTreeViewWnd (reached through their published properties by name), the MDI
// client of a form TSkMDIWnd, and popup menu windows TSkMnuWnd.
//
// Any class here that overrides RestoreStdParams or DetachParts calls Release() in its own
// destructor.
#pragma once

#include "skin/zscrollwnd.h"
#include "skin/zskinpaint.h"

#include <memory>
#include <vector>

class TControl;
class TCollection;

// The base of the client-area adapters: the frame follows size, enable and scroll changes.
class TSkBaseWnd : public TSkScrollWnd {
    Z_CLASS(TSkBaseWnd, TSkScrollWnd)
public:
    using TSkScrollWnd::TSkScrollWnd;
    void WndProc(TMessage& Message) override;

protected:
    void SkinCommand(TWMSkinCommand Cmd) override;
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
    // That control, else the library control whose window this is (an adapter with skin
    // data of its own on a library control), else none.
    TControl* ControlBehind() const;
    // The frame from the cache into DC (the window's DC when none), then the scroll bars.
    void PaintFrame(HDC DC);
    // The frame, then the client area printed by the window itself into the same DC: erased,
    // painted and printed, or with PaintOnly painted alone.
    void Print(TMessage& Message, HDC DC, bool PaintOnly = false);
    void SkinCommand(TWMSkinCommand Cmd) override;

private:
    // The frame from the cache prepared first.
    void NCPaint(TMessage& Message);
    // Painting waits for the parent: the paint is only begun and ended.
    void WaitingPaint(TMessage& Message);
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

private:
    void Erase(HDC DC);
    void ButtonUp(TMessage& Message);
};

// A skinned control's edit adapter follows its skin data: while skinned, a dead adapter is
// replaced and a missing one made (section "EDIT", frame recalculated); not skinned, the
// adapter goes.
void UpdateEditAdapter(TWinControl* Control, std::unique_ptr<TSkMainWnd>& Adapter, TzCommonData* SkinData);
void UpdateTreeViewAdapter(TWinControl* Control, std::unique_ptr<TSkMainWnd>& Adapter, TzCommonData* SkinData);
void UpdateListViewAdapter(TWinControl* Control, std::unique_ptr<TSkMainWnd>& Adapter, TzCommonData* SkinData);

// ---------------------------------------------------------------------------------------
// Combo boxes

// The drop button of a combo box over B of Bmp: the section "COMBOBTN" over what lies behind,
// the combo glyph of the section "COMBOBOX" in its middle, for the state. Nothing for a
// button smaller than 2 x 2.
void PaintComboButton(TBitmap* Bmp, const TRect& B, TzSkinManager* Manager, const TzBackdrop& Behind,
                      TzPaintState State);

// The list of a combo box: its frame and bars from the skin. A press on its bars leaves the
// mouse captured, because an open drop-down list holds the capture itself; only the list of a
// simple combo box, an ordinary child window, lets it go.
class TSkComboListWnd : public TSkEditWnd {
    Z_CLASS(TSkComboListWnd, TSkEditWnd)
public:
    // Visual styles stay on for the list of a foreign combo box (made without skin data).
    TSkComboListWnd(HWND Window, TzCommonData* ASkinData, TzSkinManager* ASkinManager, const AnsiString& SectionName);
    ~TSkComboListWnd() override;
    void WndProc(TMessage& Message) override;

    uint8_t SimpleCombo = 0;
    // The combo box, repainted when its list shows or hides.
    HWND Combo = nullptr;

protected:
    bool ReleasesCaptureOnRelease() override { return SimpleCombo != 0; }

private:
    // A press outside the client area of an open list: True when it was on a bar.
    bool NCButtonDown(TMessage& Message, TPoint Screen);
    void PrintList(TMessage& Message, HDC DC);
    // Shown or hidden, the combo box repaints (its button shows the list's state).
    void PosChanged(TMessage& Message, const WINDOWPOS* Pos);
};

// Combo boxes: the frame, the drop-down button ("COMBOBTN" with the skin's combo glyph) and,
// for a drop-down list, the selected item's text, all painted from the skin; the list is
// adapted when it first asks for its colours.
class TSkComboBoxWnd : public TSkEditWnd {
    Z_CLASS(TSkComboBoxWnd, TSkEditWnd)
public:
    using TSkEditWnd::TSkEditWnd;
    ~TSkComboBoxWnd() override;
    void WndProc(TMessage& Message) override;

    HWND ListHandle = nullptr;
    std::unique_ptr<TSkComboListWnd> ListAdapter;
    // The colour of the list's item texts: the list section's FONTCOLOR; the key colour
    // while the combo box keeps its own colours.
    TColor ListFontColor = SkinKeyColor;

    // The selected item's text, read in full whatever its length: wide from a Unicode combo
    // box, through the code page from an ANSI one; empty without a selection.
    WideString SelectedText() const;
    // The drop-down button in client coordinates (empty for a simple combo box): as wide as
    // the system's vertical bar, inside a 2-pixel border, at the right (left with 0x2000 in
    // the extended style).
    TRect ButtonRect() const;
    // 2 while the list is shown, 1 while the combo box has the focus or the mouse, else 0.
    int ButtonState() const;

protected:
    void DetachParts() override;
    void SkinCommand(TWMSkinCommand Cmd) override;

private:
    void AdaptList(HWND List);
    // The list asks for its colours: adapted the first time, its texts in the skin's colour.
    void ListColors(TMessage& Message, const TWMCtlColor& Color);
    // WM_PAINT, WM_PRINTCLIENT into the DC given, else the window's.
    void PaintMessage(TMessage& Message, HDC Given);
    void Paint(HDC DC, bool OwnText);
    void RepaintButton();
};

// ---------------------------------------------------------------------------------------
// List views and column headers

// Sort marks of a column.
enum TzSortMark : uint8_t { smkNone, smkUp, smkDown };

// What a column header item shows.
struct TzColumnLook {
    WideString Text;
    int Align = 0;               // HDF_LEFT, HDF_RIGHT or HDF_CENTER
    TzSortMark Sort = smkNone;
    HIMAGELIST Images = nullptr;
    int Image = -1;              // none below 0
    int State = 0;               // 2 pressed
};

// The section of column headers: "COLHEADER", else "BUTTON"; -1 without either.
int ColumnHeaderSection(TzSkinManager* Manager);
// A column header item over Item of Bmp, clipped to it: the section in the item's state over the
// parent's picture, the image at the left, the text in Font with the section's colours, and
// the sort mark (the "GLYPHMASK" of "SCROLLBTNTOP" up, of "SCROLLBTNBOTTOM" down) 6 pixels
// after the text, centred across.
void PaintColumnHeader(TBitmap* Bmp, const TRect& Item, TzSkinManager* Manager, const TzColumnLook& Look, HFONT Font,
                       const TzCacheInfo& Parent);

// One item of a header control.
struct TzHeaderItem {
    WideString Text;
    int Format = 0;   // HDF_*
    int Image = -1;
    TRect Rect;       // in the header's client area
};
// Item Index of a header window, its text read in full: with the wide message from a Unicode
// window, the ANSI one through the code page otherwise. False when there is no such item.
bool ReadHeaderItem(HWND Header, int Index, TzHeaderItem& Item);

class TSkHeaderHook;

// List views: as edits, and in report view their column header painted from the skin; the
// thumbs scroll the list by what it scrolls by in its view.
class TSkListViewWnd : public TSkEditWnd {
    Z_CLASS(TSkListViewWnd, TSkEditWnd)
public:
    TSkListViewWnd(HWND Window, TzCommonData* ASkinData, TzSkinManager* ASkinManager, const AnsiString& SectionName);
    ~TSkListViewWnd() override;
    void WndProc(TMessage& Message) override;

    // The header window hooked, or none.
    HWND HeaderHandle() const;
    bool ReportView() const;
    // The item pressed in the header (clickable headers), -1 none.
    int PressedItem = -1;
    // The item under the mouse, -2 none; painted hot while HighlightHeaders is set (a skinned
    // list view's choice; a foreign one's header shows no hot item).
    int HotColumn = -2;
    bool HighlightHeaders = false;
    // The header painted into DC with its top-left at Origin.
    void PaintHeader(HDC DC, TPoint Origin);

protected:
    void HookParts(bool Repaint) override;
    void DetachParts() override;
    void SkinCommand(TWMSkinCommand Cmd) override;

private:
    friend class TSkHeaderHook;
    void HookHeader(HWND Header);
    void HeaderMessage(TSkHeaderHook& Hook, TMessage& Message);
    // A press on a clickable header at P (client coordinates) shows its item pressed.
    void PressHeader(HWND Header, TPoint P);
    void ReleaseHeader(HWND Header);
    // The mouse over the header at P (client coordinates), or gone from it (-2).
    void TrackHot(HWND Header, int Item);
    int HeaderItemAt(HWND Header, TPoint P) const;
    void PrintWithHeader(TMessage& Message, HDC DC);
    // A header made or destroyed.
    void ChildNotified(const TWMParentNotify& Notify);
    // A thumb request of the adapter's own drag, on SB_HORZ or SB_VERT: True when done here.
    bool TrackThumb(TMessage& Message, int Bar, const TWMScroll& Scroll);
    // The height of the report's rows, 0 without rows.
    int ItemHeight() const;
    std::unique_ptr<TSkHeaderHook> FHeader;
};

// ---------------------------------------------------------------------------------------
// Controls of other families, reached through their published properties by name

// An ordinal property of a control by names: its own property Name; or that of the object in
// its property Object (with Item, that collection's item); and of the font in the property
// Font of whichever of these it reached.
struct TzPropRef {
    AnsiString Object;
    int Item = -1;
    AnsiString Font;
    AnsiString Name;
};

// Values a control had before the adapter wrote its own, given back later; a reference that
// no longer leads anywhere (a column deleted meanwhile) is passed over.
class TzKeptProperties {
public:
    void Keep(TObject* Root, const TzPropRef& Ref);
    // Writes Value where Ref leads (nothing when it leads nowhere).
    static void Set(TObject* Root, const TzPropRef& Ref, int64_t Value);
    static bool Has(TObject* Root, const TzPropRef& Ref);
    void Restore(TObject* Root) const;
    bool Empty() const { return FKept.empty(); }

private:
    struct TKept {
        TzPropRef Ref;
        int64_t Value;
    };
    std::vector<TKept> FKept;
};

// Grids: the grid's colours from the skin through their property names, the frame as an
// edit's, and a data-aware grid's thumb position handed over through the bar itself.
class TSkGridWnd : public TSkEditWnd {
    Z_CLASS(TSkGridWnd, TSkEditWnd)
public:
    using TSkEditWnd::TSkEditWnd;
    ~TSkGridWnd() override;
    void SaveStdParams() override;
    void RestoreStdParams() override;
    void AfterCreation() override;
    void WndProc(TMessage& Message) override;

protected:
    TzKeptProperties FKept;

private:
    // A thumb request to a data-aware grid: the bar holds the thumb's place first.
    void HandOverThumb(const TWMScroll& Scroll);
    // The properties the skin sets, with their values; only those the grid has.
    std::vector<std::pair<TzPropRef, int64_t>> SkinValues() const;
};

// Grids of a second family: handled as TSkGridWnd.
class TSkGridEhWnd : public TSkGridWnd {
    Z_CLASS(TSkGridEhWnd, TSkGridWnd)
public:
    using TSkGridWnd::TSkGridWnd;
};

// Virtual trees: the colours of "VETColors" from the skin, the header drawn by the owner
// ("hoOwnerDraw"), and a visible header ("hoVisible") painted from "COLHEADER" into the band
// of its "Height" above the client area.
class TSkVirtualTreeViewWnd : public TSkEditWnd {
    Z_CLASS(TSkVirtualTreeViewWnd, TSkEditWnd)
public:
    using TSkEditWnd::TSkEditWnd;
    ~TSkVirtualTreeViewWnd() override;
    void SaveStdParams() override;
    void RestoreStdParams() override;
    void AfterCreation() override;
    void WndProc(TMessage& Message) override;

    // The header band in window coordinates; empty while the header is hidden.
    TRect HeaderRect() const;

private:
    void PaintHeader(HDC DC);
    TzKeptProperties FKept;
    bool FAddedOwnerDraw = false;
};

// ---------------------------------------------------------------------------------------
// The MDI client and popup menus

// The MDI client of a form shows the form's picture: its client and its frame are copied from
// the form's cache at the client's place in the form. The form's skin data (its provider's,
// whose cache is the picture of the whole form window) is handed to the constructor by
// whoever makes the adapter; without a picture the adapter's own section fills the client.
class TSkMDIWnd : public TSkBaseWnd {
    Z_CLASS(TSkMDIWnd, TSkBaseWnd)
public:
    TSkMDIWnd(HWND Window, TzCommonData* ASkinData, TzSkinManager* ASkinManager, const AnsiString& SectionName,
              TzCommonData* AFormSkinData);
    void WndProc(TMessage& Message) override;
    TPoint BackgroundOffset() const override;

    TzCommonData* FormSkinData = nullptr;

protected:
    void SkinCommand(TWMSkinCommand Cmd) override;

private:
    void NCPaint(TMessage& Message);
    // The form's picture, or none while it has no painted cache.
    TBitmap* FormPicture() const;
    void PaintClient(HDC DC);
    void PaintMDIFrame();
};

// What the popup-menu window adapter shares with the skinned menus, which paint the items and
// keep the popup's shared picture: the menus set ItemDrawn when they draw a skinned popup
// item; the adapter clears it and calls ResetPopupState (when filled in) as its menu window
// goes. Until an item has been drawn the adapter leaves the menu window to the scroll adapter.
struct TzPopupMenuSeam {
    bool ItemDrawn = false;
    void (*ResetPopupState)() = nullptr;
};
extern TzPopupMenuSeam PopupMenuSeam;

// Popup menu windows ("#32768"): the background and the frame from the section "MAINMENU".
// The adapter belongs to its window and frees itself when the window is destroyed.
class TSkMnuWnd : public TSkScrollWnd {
    Z_CLASS(TSkMnuWnd, TSkScrollWnd)
public:
    using TSkScrollWnd::TSkScrollWnd;
    // The adapter of a popup menu window, owned by the window.
    static TSkMnuWnd* AdaptMenuWindow(HWND Window, TzSkinManager* Manager);
    void WndProc(TMessage& Message) override;

    // Set when the menu window showed while a skin command said its parent finished
    // updating (sub-command 6), cleared by each background paint.
    uint32_t Painted = 0;

protected:
    ~TSkMnuWnd() override = default;
    void SkinCommand(TWMSkinCommand Cmd) override;

private:
    // The window goes: so does the adapter.
    void Destroyed(TMessage& Message);
    void Erase(HDC DC);
    void PaintMenuFrame();
    void PrepareMenuCache();
    // Where the client area lies in the window (no frame under some systems).
    TPoint ClientOffset() const;
};
