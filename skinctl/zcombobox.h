// The skinned combo box: the platform's combo box in a Unicode window with UTF-16 items, text
// and selection. Skinned, its frame, its drop button ("COMBOBTN" with the combo glyph of the
// section) and the current item of the list styles are painted from the cache of the section
// "COMBOBOX"; the system's edit keeps the typing while the box has the focus, and shows the
// cache otherwise. A drop-down list longer than DropDownCount gets skinned scroll bars
// through a window adapter.
//
// ReadOnly holds in every style and skin state: keys that would change the value, clipboard
// edits, the wheel and presses that would open the list do nothing (the key events still
// run); the box still takes the focus, and its edit's text can be selected and copied.
#pragma once

#include "classlib/stdctrls.h"
#include "skin/zcommondata.h"
#include "skin/zskinpaint.h"
#include "skinctl/zskinctl.h"
#include "unicode/ucstdctrls.h"

#include <memory>
#include <optional>

class TSkComboListWnd;

class TzComboBox : public TComboBox, public TzSkinnedControl, public IWideCustomListControl {
    Z_CLASS(TzComboBox, TComboBox)
public:
    // Type code 3, section "COMBOBOX" unless one is named; DropDownCount 16.
    explicit TzComboBox(TComponent* AOwner);
    ~TzComboBox() override;
    void AfterConstruction() override;
    void Loaded() override;
    void DefineProperties(TFiler* Filer) override;
    void ActionChange(TObject* Sender, bool CheckDefaults) override;
    const TControlActionLinkClass* GetActionLinkClass() override;

    // UTF-16 text (a list style takes only the text of an item), hint, items and selection.
    WideString Text() const;
    void SetText(const WideString& Value);
    WideString Hint() const;
    void SetHint(const WideString& Value);
    TUcStrings* Items() const { return FItems.get(); }
    void SetItems(TUcStrings* Value) { FItems->Assign(Value); }
    WideString SelText();
    void SetSelText(const WideString& Value);
    int GetSelStart() override;
    void SetSelStart(int Value) override;
    int GetSelLength() override;
    void SetSelLength(int Value) override;
    void AddWideItem(const WideString& Item, TObject* AObject) override;
    void CopySelection(TCustomListControl* Destination) override;

    TzCommonData* SkinData() const { return FSkinData.get(); }
    TzBoundLabel* BoundLabel() const { return FBoundLabel.get(); }
    TzDisabledKind DisabledKind() const { return FDisabledKind; }
    void SetDisabledKind(TzDisabledKind Value);
    bool ReadOnly() const { return FReadOnly; }
    void SetReadOnly(bool Value) { FReadOnly = Value; }
    // Stored for the program; the painting does not use it.
    TAlignment Alignment() const { return FAlignment; }
    void SetAlignment(TAlignment Value);

    // The list is open (from CBN_DROPDOWN to CBN_CLOSEUP): the button paints pressed.
    bool ListShown() const { return FDropped; }
    // The list's adapter, once a list longer than DropDownCount was opened under a skin.
    TSkComboListWnd* ListAdapter() const { return FListAdapter.get(); }
    // The drop button: as wide as the system's vertical bar, 3 pixels inside the top, bottom
    // and right (left, reading right to left) edges; empty for csSimple.
    TRect ButtonRect() const;
    // Where the current item or the edit shows: inside the 3-pixel frame, before the button.
    TRect TextRect() const;
    // The whole picture in the cache for the present state, when it is stale: the section
    // over the parent's picture, the button and its glyph, the text, the disabled look.
    void PrepareComboCache();

protected:
    void CreateWindowHandle(const TCreateParams& Params) override;
    void CreateWnd() override;
    void DestroyWnd() override;
    const TComboBoxStringsClass& GetItemsClass() override;
    // The read-only filter, then the wide handling of the edit and the list; the edit shows
    // the cache while the box does not own the keys.
    void ComboWndProc(TMessage& Message, HWND ComboWnd, WNDPROC ComboProc) override;
    // The library's ANSI completion stays off: the wide one runs.
    void KeyPress(char& Key) override;
    // A row of the list, or the edit part of an owner-drawn box: the wide item text (whatever
    // the box's own text is) in the highlight or the plain colours; OnDrawItem instead when
    // assigned.
    void DrawItem(int Index, const TRect& Rect, TOwnerDrawState State) override;
    void Dispatch(TMessage& Message) override;

    void WndProc(TMessage& Message) override { RunSkinnedWndProc(*this, Message); }
    TControl* SkinnedSelf() override { return this; }
    TzCommonData* SkinnedData() override { return FSkinData.get(); }
    void InheritedWndProc(TMessage& Message) override { TComboBox::WndProc(Message); }
    TzBoundLabel* SkinnedBoundLabel() override { return FBoundLabel.get(); }
    // Skinned or not: the read-only filter of the box's own window, and whether the list is
    // open (sub-command 14).
    bool PreviewMessage(TMessage& Message) override;
    // The list's adapter hears a new skin; without the skin it goes.
    void SkinChanging(TWMSkinCommand& Command) override;
    void SkinChanged(TWMSkinCommand& Command) override;
    // Painting and printing are the box's own; the list opening and closing, the focus, the
    // mouse and every change of what shows repaint it; a long list gets its adapter.
    bool SkinnedBefore(TMessage& Message) override;
    void SkinnedAfter(TMessage& Message) override;

private:
    // A message a read-only box does not let through to the window Child (the box's own
    // window when null).
    bool ReadOnlyStops(const TMessage& Message, HWND Child) const;
    // The wide completion of the editable styles, for the edit's characters.
    void EditKey(TMessage& Message);
    // What a stopped message still does: the key events run, a press focuses, a double
    // click focuses and tells OnDblClick.
    void StoppedByReadOnly(TMessage& Message, bool Child);
    // The edit shows the cache while the box does not own the keys (not focused, disabled,
    // read-only).
    bool EditShowsCache() const;
    void PaintEditFromCache(HWND Edit);
    void PaintButton(TBitmap* Cache);
    void PaintText(TBitmap* Cache);
    // The cache to DC by style; nothing while the parent updates.
    void PaintTo(HDC DC);
    // The list adapter when a list longer than DropDownCount asks for its colours.
    void AdaptList(HWND List);
    void FreeListAdapter();
    int FrameHeight() const;

    std::unique_ptr<TzCommonData> FSkinData;
    std::unique_ptr<TzBoundLabel> FBoundLabel;
    std::unique_ptr<TUcComboBoxStrings> FItems;
    std::unique_ptr<TSkComboListWnd> FListAdapter;
    HWND FListWnd = nullptr;
    TzDisabledKind FDisabledKind = dkBlended;
    TAlignment FAlignment = taLeftJustify;
    bool FReadOnly = false;
    bool FDropped = false;
    // The wide incremental search of the drop-down list style.
    WideString FSearchText;
    DWORD FLastSearchTime = 0;
    // What waits in the control while its window is made again.
    std::unique_ptr<TUcStringList> FSavedItems;
    int FSavedIndex = -1;
    std::optional<WideString> FSavedText;
};
