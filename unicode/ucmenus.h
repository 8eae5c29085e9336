// Menu items whose captions are UTF-16 in the native menu while the library's menu code keeps
// working with their ANSI form (and moves its automatic hot keys in it), the wide text of
// shortcuts, and the program's popup list that shows wide texts and wide hints.
#pragma once

#include "classlib/menus.h"
#include "unicode/ucclasses.h"

// ---------------------------------------------------------------------------------------
// Menu items

class TUcMenuItem : public TMenuItem {
    Z_CLASS(TUcMenuItem, TMenuItem)
public:
    explicit TUcMenuItem(TComponent* AOwner) : TMenuItem(AOwner) {}

    // The wide caption: its hot keys follow those the library put into the ANSI caption
    // (SyncHotKeyPosition), then the cache rule against the ANSI caption. When the hot keys
    // cannot be placed, the wide caption without hot keys; the getter never raises.
    WideString Caption() const;
    // The current wide caption is read first (so its hot keys are in step), then the cache
    // setter with the library's caption setter.
    void SetCaption(const WideString& Value);
    WideString Hint() const;
    void SetHint(const WideString& Value);

    // The wide caption and hint of an action with wide text, then the library's.
    void ActionChange(TObject* Sender, bool CheckDefaults) override;
    const TMenuActionLinkClass* GetActionLinkClass() override;
    // The library's size, the width corrected by what the wide caption and shortcut text
    // take more (or less) than the ANSI ones; then OnMeasureItem.
    void MeasureItem(TCanvas* ACanvas, int& Width, int& Height) override;
    // The caption (and the shortcut text) drawn as wide text. Separators, and a drawing
    // that fails, take the library's way.
    void DoDrawText(TCanvas* ACanvas, const AnsiString& ACaption, TRect& Rect, bool Selected, int Flags) override;
    void Loaded() override;
    void DefineProperties(TFiler* Filer) override;

protected:
    // Unless the item is being loaded: the wide texts of the item, its children and the
    // rest of its menu go back into the native menu the library rebuilt.
    void MenuChanged(bool Rebuild) override;
    // The new native entry gets the wide text at once.
    void AppendTo(HMENU Menu, bool ARightToLeft) override;

private:
    static bool CaptionStored(const TObject* O);
    static bool HintStored(const TObject* O);
    mutable WideString FWideCaption;
    mutable WideString FWideHint;
};

// The wide caption and hint of any menu item: a TUcMenuItem's own, else the ANSI ones
// widened (and set converted).
WideString GetMenuItemWideCaption(TMenuItem* Item);
void SetMenuItemWideCaption(TMenuItem* Item, const WideString& Value);
WideString GetMenuItemWideHint(TMenuItem* Item);
void SetMenuItemWideHint(TMenuItem* Item, const WideString& Value);

// DT_LEFT, or for an item of a popup menu the popup's alignment (DT_RIGHT, DT_CENTER).
int MenuItemAlignmentFlags(TMenuItem* Item);

// Puts the item's wide caption (and, for an item without children that has a shortcut and
// is not on a menu bar, a TAB and the wide shortcut text) into its entry of the parent's
// native menu, when the entry is a plain string entry whose text differs (NT only). A menu
// bar is drawn again. SetMenuItemInfoW failing raises the last OS error.
void UpdateMenuItemWideText(TMenuItem* Item);
// UpdateMenuItemWideText for every child of Parent, through the whole subtree.
void UpdateMenuWideTexts(TMenuItem* Parent);
// Every item of a menu.
void UpdateMenuWideTexts(TMenu* Menu);

// The wide text of a shortcut: the library's names for the keys it names itself (BkSp,
// Tab, Enter, Esc, Space, PgUp ... Del, F1 to F24) and on other platforms; the keyboard's
// character for digits, letters and keypad digits; the system's name of any other key. The
// modifiers "Shift+", "Ctrl+", "Alt+" in that order; an empty text for a key without name.
WideString ShortCutToWideText(TShortCut ShortCut);

// The library's menu code may put "&" into the ANSI caption, or move it (automatic hot
// keys). When the ANSI form of WideCaption differs from AnsiCaption but the two are alike
// without hot keys, WideCaption gets the hot keys of AnsiCaption at the same places (a
// literal "&&" stays one character; a Far-East "(&X)" group is copied whole). When the ANSI
// forms still differ after that: EUcInternalError "Internal Error: SyncHotKeyPosition
// Failed ("<ansi of wide>" <> "<ansi caption>")."
void SyncHotKeyPosition(const AnsiString& AnsiCaption, WideString& WideCaption);

// ---------------------------------------------------------------------------------------
// The popup list: WM_MENUSELECT sets the application's wide hint to the item's long wide
// hint (cleared when no item is found); WM_ENTERMENULOOP puts the wide texts into every
// popup menu. Then the library's handling.

class TUcPopupList : public TPopupList {
    Z_CLASS(TUcPopupList, TPopupList)
public:
    TUcPopupList() = default;

protected:
    void WndProc(TMessage& Message) override;
};

// Start-up (after InitMenus and InitUcControls): the popup list is replaced by a
// TUcPopupList, and hints show wide shortcut texts. Program end: the popup list is freed.
void InitUcMenus();
void DoneUcMenus();
