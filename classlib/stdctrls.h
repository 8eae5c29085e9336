// Standard controls over the system's own windows: the single-line edit and the memo
// ("EDIT"), the combo box ("COMBOBOX", with its edit and list windows subclassed so that
// their keys go through the control's key handling), the push button, check box and radio
// button ("BUTTON"); and two that paint themselves: the group box, and the label, which has
// no window: its parent paints it.
#pragma once

#include "classlib/controls.h"

#include <cstdint>
#include <algorithm>
#include <memory>
#include <vector>

class TCustomComboBox;
class TCustomMemo;

// ---------------------------------------------------------------------------------------
// Enumerations

enum TEditCharCase : uint8_t { ecNormal, ecUpperCase, ecLowerCase };
// Their names, for the property tables of the controls that publish CharCase.
extern const char* const EditCharCaseNames[3];
enum TScrollStyle : uint8_t { ssNone, ssHorizontal, ssVertical, ssBoth };
enum TTextLayout : uint8_t { tlTop, tlCenter, tlBottom };
enum TComboBoxStyle : uint8_t {
    csDropDown, csSimple, csDropDownList, csOwnerDrawFixed, csOwnerDrawVariable
};

enum TCheckBoxState : uint8_t { cbUnchecked, cbChecked, cbGrayed };

// Owner-drawn items: TOwnerDrawState (winapi.h).

using TDrawItemEvent = TMethod<void(TWinControl* Control, int Index, TRect Rect, TOwnerDrawState State)>;
using TMeasureItemEvent = TMethod<void(TWinControl* Control, int Index, int& Height)>;

// The clock of the combo box's incremental search (GetTickCount); tests put their own here.
using TTickCountFunc = DWORD (*)();
extern TTickCountFunc ComboTickCount;

// True when Str's hot key (the character after a single "&"; "&&" is a literal "&") is the
// character Key, compared without case in the ANSI code page.
bool IsAccel(uint16_t Key, const AnsiString& Str);

// ---------------------------------------------------------------------------------------
// The common part of list boxes and combo boxes: a list of items with one current item.

class TCustomListControl : public TWinControl {
    Z_CLASS(TCustomListControl, TWinControl)
public:
    explicit TCustomListControl(TComponent* AOwner) : TWinControl(AOwner) {}

    virtual int GetCount() = 0;
    int ItemCount() { return GetCount(); }
    virtual int GetItemIndex() = 0;
    virtual void SetItemIndex(int Value) = 0;
    int ItemIndex() { return GetItemIndex(); }

    virtual void AddItem(const AnsiString& Item, TObject* AObject) = 0;
    virtual void Clear() = 0;
    virtual void ClearSelection() = 0;
    // Adds the selected items to Destination (AddItem).
    virtual void CopySelection(TCustomListControl* Destination) = 0;
    virtual void DeleteSelected() = 0;
    virtual void SelectAll() = 0;
    // CopySelection, then DeleteSelected.
    void MoveSelection(TCustomListControl* Destination);
};

// ---------------------------------------------------------------------------------------
// TCustomEdit: one line of text in a system "EDIT" window.

class TCustomEdit : public TWinControl {
    Z_CLASS(TCustomEdit, TWinControl)
public:
    explicit TCustomEdit(TComponent* AOwner);

    bool AutoSelect() const { return FAutoSelect; }
    void SetAutoSelect(bool Value) { FAutoSelect = Value; }
    TBorderStyle BorderStyle() const { return FBorderStyle; }
    void SetBorderStyle(TBorderStyle Value);
    TEditCharCase CharCase() const { return FCharCase; }
    void SetCharCase(TEditCharCase Value);
    bool HideSelection() const { return FHideSelection; }
    void SetHideSelection(bool Value);
    // The most characters the window takes; 0 is the system's limit.
    int MaxLength() const { return FMaxLength; }
    void SetMaxLength(int Value);
    bool OEMConvert() const { return FOEMConvert; }
    void SetOEMConvert(bool Value);
    // Shown instead of every character; 0 shows the text.
    char PasswordChar() const { return FPasswordChar; }
    void SetPasswordChar(char Value);
    bool ReadOnly() const { return FReadOnly; }
    void SetReadOnly(bool Value);
    // The window's modification flag (kept by the control while there is no window).
    bool Modified();
    void SetModified(bool Value);

    // The selection, in characters of the window's text. Descendants that count in other
    // units override the accessors.
    int SelStart() { return GetSelStart(); }
    int SelLength() { return GetSelLength(); }
    AnsiString SelText() { return GetSelText(); }
    virtual int GetSelStart();
    virtual void SetSelStart(int Value);
    virtual int GetSelLength();
    virtual void SetSelLength(int Value);
    virtual AnsiString GetSelText();
    virtual void SetSelText(const AnsiString& Value);
    // The selected text into Buffer (at most BufSize - 1 characters and a terminating 0);
    // the number of characters copied.
    int GetSelTextBuf(char* Buffer, int BufSize);
    void SetSelTextBuf(const char* Buffer);

    virtual void Clear();
    void ClearSelection();
    void CopyToClipboard();
    void CutToClipboard();
    void PasteFromClipboard();
    void Undo();
    void ClearUndo();
    bool CanUndo();
    void SelectAll();

    bool CanAutoSize(int& NewWidth, int& NewHeight) override;

    TNotifyEvent OnChange;

protected:
    void CreateParams(TCreateParams& Params) override;
    void CreateWnd() override;
    void DestroyWnd() override;
    void Dispatch(TMessage& Message) override;
    // CM_CHANGED, then OnChange.
    virtual void Change();
    bool Creating() const { return FCreating; }

private:
    void CNCommand(TMessage& Message);
    void CMEnter(TMessage& Message);
    void CMTextChanged(TMessage& Message);
    void WMSetFont(TMessage& Message);
    bool FAutoSelect = true;
    TBorderStyle FBorderStyle = bsSingle;
    TEditCharCase FCharCase = ecNormal;
    bool FHideSelection = true;
    int FMaxLength = 0;
    bool FOEMConvert = false;
    char FPasswordChar = 0;
    bool FReadOnly = false;
    bool FModified = false;
    bool FCreating = false;
};

class TEdit : public TCustomEdit {
    Z_CLASS(TEdit, TCustomEdit)
public:
    explicit TEdit(TComponent* AOwner) : TCustomEdit(AOwner) {}
};

// ---------------------------------------------------------------------------------------
// TCustomMemo: many lines in a multi-line "EDIT" window. Lines is a string list over the
// window's lines: reading or changing it makes the window.

class TMemoStrings : public TStrings {
    Z_CLASS(TMemoStrings, TStrings)
public:
    explicit TMemoStrings(TCustomMemo* Memo) : FMemo(Memo) {}
    TCustomMemo* Memo() const { return FMemo; }

    // The lines of the window; an empty last line does not count. An index outside the
    // lines raises EStringListError "List index out of bounds (%d)".
    AnsiString Get(int Index) const override;
    int GetCount() const override;
    void Put(int Index, const AnsiString& S) override;
    // The line goes in before line Index (Index = Count adds it after the last line); the
    // line breaks in S become CR LF. EOutOfResources "Text exceeds memo capacity" when the
    // window took less than all of it.
    void Insert(int Index, const AnsiString& S) override;
    void Delete(int Index) override;
    void Clear() override;
    AnsiString GetTextStr() const override;
    void SetTextStr(const AnsiString& Value) override;
    void SetUpdateState(bool Updating) override;

private:
    HWND Wnd() const;
    void CheckIndex(int Index, int Count) const;
    TCustomMemo* FMemo;
};

class TCustomMemo : public TCustomEdit {
    Z_CLASS(TCustomMemo, TCustomEdit)
public:
    explicit TCustomMemo(TComponent* AOwner);
    ~TCustomMemo() override;

    TStrings* Lines() const { return FLines.get(); }
    void SetLines(TStrings* Value) { FLines->Assign(Value); }
    TAlignment Alignment() const { return FAlignment; }
    void SetAlignment(TAlignment Value);
    TScrollStyle ScrollBars() const { return FScrollBars; }
    void SetScrollBars(TScrollStyle Value);
    bool WantReturns() const { return FWantReturns; }
    void SetWantReturns(bool Value) { FWantReturns = Value; }
    bool WantTabs() const { return FWantTabs; }
    void SetWantTabs(bool Value) { FWantTabs = Value; }
    bool WordWrap() const { return FWordWrap; }
    void SetWordWrap(bool Value);
    // The caret as (column, line), both from 0.
    TPoint CaretPos();
    void SetCaretPos(const TPoint& Value);

protected:
    void CreateParams(TCreateParams& Params) override;
    void Dispatch(TMessage& Message) override;
    void KeyPress(char& Key) override;

private:
    std::unique_ptr<TMemoStrings> FLines;
    TAlignment FAlignment = taLeftJustify;
    TScrollStyle FScrollBars = ssNone;
    bool FWantReturns = true;
    bool FWantTabs = false;
    bool FWordWrap = true;
};

class TMemo : public TCustomMemo {
    Z_CLASS(TMemo, TCustomMemo)
public:
    explicit TMemo(TComponent* AOwner) : TCustomMemo(AOwner) {}
};

// ---------------------------------------------------------------------------------------
// TCustomComboBox: a system "COMBOBOX" window. Its items live in the window; while the
// window is re-created, the items, the item index and the text wait in the control.

class TComboBoxStrings : public TStrings {
    Z_CLASS(TComboBoxStrings, TStrings)
public:
    explicit TComboBoxStrings(TCustomComboBox* ComboBox) : FComboBox(ComboBox) {}
    TCustomComboBox* ComboBox() const { return FComboBox; }

    int GetCount() const override;
    // The item's text; "" for an index the window does not have.
    AnsiString Get(int Index) const override;
    // EStringListError "List index out of bounds (%d)" for an index the window lacks.
    TObject* GetObject(int Index) const override;
    void PutObject(int Index, TObject* AObject) override;
    // A sorted combo box puts the item in its place; EOutOfResources "Unable to insert a
    // line" when the window refuses it.
    int Add(const AnsiString& S) override;
    int AddObject(const AnsiString& S, TObject* AObject) override;
    void Insert(int Index, const AnsiString& S) override;
    void Delete(int Index) override;
    // The items go; the combo box's text stays.
    void Clear() override;
    // Case-insensitive, as the system finds items.
    int IndexOf(const AnsiString& S) const override;
    void SetUpdateState(bool Updating) override;

protected:
    HWND Wnd() const;

private:
    TCustomComboBox* FComboBox;
};

// A class reference for the items object: class information and a constructor.
struct TComboBoxStringsClass {
    const TClassInfo& (*ClassInfo)();
    TComboBoxStrings* (*Create)(TCustomComboBox* ComboBox);
};

class TCustomComboBox : public TCustomListControl {
    Z_CLASS(TCustomComboBox, TCustomListControl)
public:
    explicit TCustomComboBox(TComponent* AOwner);
    ~TCustomComboBox() override;

    // The items object, made by GetItemsClass on first use.
    TStrings* Items() const;
    void SetItems(TStrings* Value) { Items()->Assign(Value); }

    int GetCount() override;
    int GetItemIndex() override;
    void SetItemIndex(int Value) override;
    void AddItem(const AnsiString& Item, TObject* AObject) override;
    // Empties the text and the items.
    void Clear() override;
    void ClearSelection() override;
    void CopySelection(TCustomListControl* Destination) override;
    void DeleteSelected() override;
    // Selects the whole text of the edit part.
    void SelectAll() override;

    // A list style takes a text only as the item it names (none when no item has it).
    void SetText(const AnsiString& Value) override;

    TComboBoxStyle Style() const { return FStyle; }
    void SetStyle(TComboBoxStyle Value);
    // Typing selects the first item that begins with what was typed (see KeyPress).
    bool AutoComplete() const { return FAutoComplete; }
    void SetAutoComplete(bool Value) { FAutoComplete = Value; }
    // The pause (milliseconds) after which a list style starts a new search text.
    unsigned AutoCompleteDelay() const { return FAutoCompleteDelay; }
    void SetAutoCompleteDelay(unsigned Value) { FAutoCompleteDelay = Value; }
    // Typing opens the list.
    bool AutoDropDown() const { return FAutoDropDown; }
    void SetAutoDropDown(bool Value) { FAutoDropDown = Value; }
    // Typing an item's whole text closes the list.
    bool AutoCloseUp() const { return FAutoCloseUp; }
    void SetAutoCloseUp(bool Value) { FAutoCloseUp = Value; }
    TEditCharCase CharCase() const { return FCharCase; }
    void SetCharCase(TEditCharCase Value);
    // The most items the opened list shows without scrolling.
    int DropDownCount() const { return FDropDownCount; }
    void SetDropDownCount(int Value) { FDropDownCount = Value; }
    bool DroppedDown();
    void SetDroppedDown(bool Value);
    // The height of a list item: the owner-drawn styles' own, else the system's.
    int ItemHeight() const;
    void SetItemHeight(int Value);
    int MaxLength() const { return FMaxLength; }
    void SetMaxLength(int Value);
    bool Sorted() const { return FSorted; }
    void SetSorted(bool Value);

    // The selection of the edit part, in characters; a list style has no selected text.
    int SelStart() { return GetSelStart(); }
    int SelLength() { return GetSelLength(); }
    AnsiString SelText() { return GetSelText(); }
    virtual int GetSelStart();
    virtual void SetSelStart(int Value);
    virtual int GetSelLength();
    virtual void SetSelLength(int Value);
    virtual AnsiString GetSelText();
    virtual void SetSelText(const AnsiString& Value);

    // The keyboard focus is on the combo box or on its edit or list window.
    bool Focused() override;
    TCanvas* Canvas() const;

    // The child windows and their procedures: the system's edit of the editable styles and
    // the list, each subclassed with a procedure of its own that passes to the window's
    // previous one (which a subclasser above may replace with SetDefEditProc).
    HWND EditHandle() const { return FEditHandle; }
    HWND ListHandle() const { return FListHandle; }
    WNDPROC DefEditProc() const { return FDefEditProc; }
    void SetDefEditProc(WNDPROC Value) { FDefEditProc = Value; }
    WNDPROC DefListProc() const { return FDefListProc; }
    void SetDefListProc(WNDPROC Value) { FDefListProc = Value; }
    WNDPROC EditInstance() const { return FEditInstance; }
    WNDPROC ListInstance() const { return FListInstance; }

    void Loaded() override;

    // OnSelect, or Change when there is none. Public for the key handling that selects an
    // item from outside the class (the Unicode combo boxes' wide search).
    virtual void Select();

    TNotifyEvent OnChange;
    TNotifyEvent OnSelect;
    TNotifyEvent OnDropDown;
    TNotifyEvent OnCloseUp;
    TDrawItemEvent OnDrawItem;
    TMeasureItemEvent OnMeasureItem;

protected:
    void CreateParams(TCreateParams& Params) override;
    void CreateWnd() override;
    void DestroyWnd() override;
    void Dispatch(TMessage& Message) override;
    void KeyPress(char& Key) override;

    // Every message of the edit and list windows: focus to the form, keys through the
    // control's key handling (Enter and Escape close an open list), the rest to ComboProc.
    virtual void ComboWndProc(TMessage& Message, HWND ComboWnd, WNDPROC ComboProc);
    virtual void EditWndProc(TMessage& Message);
    virtual void ListWndProc(TMessage& Message);

    // CM_CHANGED, then OnChange.
    virtual void Change();
    virtual void DropDown();
    virtual void CloseUp();
    virtual void DrawItem(int Index, const TRect& Rect, TOwnerDrawState State);
    virtual void MeasureItem(int Index, int& Height);
    // Selects the first item that begins with AnItem; for the editable styles the text
    // becomes AnItem completed by the item, with the completion selected. Click and Select
    // run when the item index changed. False when no item begins with AnItem.
    virtual bool SelectItem(const AnsiString& AnItem);
    virtual const TComboBoxStringsClass& GetItemsClass();
    // Sizes the window so that the opened list shows up to DropDownCount items.
    void AdjustDropDown();
    bool EditableStyle() const { return FStyle == csDropDown || FStyle == csSimple; }

private:
    void EditWndProcEntry(TMessage& Message) { EditWndProc(Message); }
    void ListWndProcEntry(TMessage& Message) { ListWndProc(Message); }
    void CNCommand(TMessage& Message);
    void CNDrawItem(TMessage& Message);
    void CNMeasureItem(TMessage& Message);
    void SubclassChildren();
    void KeyPressEditable(char& Key);
    void KeyPressSearch(char& Key);
    void GetEditSel(DWORD& Start, DWORD& End);

    TComboBoxStyle FStyle = csDropDown;
    TEditCharCase FCharCase = ecNormal;
    bool FSorted = false;
    bool FAutoComplete = true;
    unsigned FAutoCompleteDelay = 500;
    bool FAutoDropDown = false;
    bool FAutoCloseUp = false;
    int FDropDownCount = 8;
    int FItemHeight = 16;
    int FMaxLength = 0;
    int FItemIndex = -1;            // while loading
    HWND FEditHandle = nullptr;
    HWND FListHandle = nullptr;
    WNDPROC FDefEditProc = nullptr;
    WNDPROC FDefListProc = nullptr;
    WNDPROC FEditInstance = nullptr;
    WNDPROC FListInstance = nullptr;
    mutable std::unique_ptr<TComboBoxStrings> FItems;
    std::unique_ptr<TStringList> FSaveItems;
    int FSaveIndex = -1;
    AnsiString FSaveText;
    bool FTextSaved = false;
    bool FRestoring = false;        // notifications of the window's own restore are quiet
    AnsiString FFilter;             // the search text of the list styles
    DWORD FLastTime = 0;
    std::unique_ptr<TControlCanvas> FCanvas;
};

class TComboBox : public TCustomComboBox {
    Z_CLASS(TComboBox, TCustomComboBox)
public:
    explicit TComboBox(TComponent* AOwner) : TCustomComboBox(AOwner) {}
};

// ---------------------------------------------------------------------------------------
// List boxes over the system's "LISTBOX" window. What any control over such a window needs
// stands here beside the library's own list box, so that other list boxes (the skinned one
// above all) build on the same pieces: the items object, the window styles, the items kept
// while the window is made again, the answers of the virtual styles, the items' geometry and
// the typed search.

enum TListBoxStyle : uint8_t { lbStandard, lbOwnerDrawFixed, lbOwnerDrawVariable, lbVirtual, lbVirtualOwnerDraw };
extern const char* const ListBoxStyleNames[5];
extern const char* const ListBoxBorderStyleNames[2];
// The published properties of a list box class C.
#define Z_LISTBOX_PROPS(C)                                                                                     \
    Z_PROP_ENUM(C, Style, ListBoxStyleNames, lbStandard), Z_PROP_BOOL(C, AutoComplete, true),                 \
        Z_PROP_INT(C, AutoCompleteDelay, 500), Z_PROP_BOOL(C, AutoHideScroll, true),                           \
        Z_PROP_ENUM(C, BorderStyle, ListBoxBorderStyleNames, bsSingle), Z_PROP_INT(C, Columns, 0),              \
        Z_PROP_BOOL(C, ExtendedSelect, true), Z_PROP_BOOL(C, IntegralHeight, false),                           \
        Z_PROP_INT(C, ItemHeight, 16), Z_PROP_BOOL(C, MultiSelect, false), Z_PROP_BOOL(C, Sorted, false),       \
        Z_PROP_INT(C, TabWidth, 0), Z_PROP_OBJ(C, Items)
// The virtual styles keep no texts in the window: the program answers for them (OnData).
inline bool IsVirtualListBoxStyle(TListBoxStyle Style)
{
    return Style == lbVirtual || Style == lbVirtualOwnerDraw;
}

using TLBGetDataEvent = TMethod<void(TWinControl* Control, int Index, AnsiString& Data)>;
using TLBGetDataObjectEvent = TMethod<void(TWinControl* Control, int Index, TObject*& DataObject)>;
// The first item whose text begins with FindString; -1 for none.
using TLBFindDataEvent = TMethod<int(TWinControl* Control, const AnsiString& FindString)>;

// The clock of the list boxes' typed search (GetTickCount), and the test of a byte that
// leads a double-byte character of the system's code page (IsDBCSLeadByte): tests put their
// own here.
extern TTickCountFunc ListBoxTickCount;
extern bool (*ListBoxLeadByte)(uint8_t Byte);

// The items of any control whose window is a "LISTBOX": kept in the window itself, which is
// made on first use. A list box of a virtual style answers the texts and objects itself.
class TListBoxStrings : public TStrings {
    Z_CLASS(TListBoxStrings, TStrings)
public:
    explicit TListBoxStrings(TWinControl* ListBox) : FListBox(ListBox) {}
    TWinControl* ListBox() const { return FListBox; }

    int GetCount() const override;
    // The item's text; "" for an index the window does not have.
    AnsiString Get(int Index) const override;
    // EStringListError "List index out of bounds (%d)" for an index the window lacks.
    TObject* GetObject(int Index) const override;
    void PutObject(int Index, TObject* AObject) override;
    // A sorted list box puts the item in its place. EOutOfResources "Unable to insert a line"
    // when the window refuses it; EStringListError "A virtual list box has no items of its
    // own" for a window without strings.
    int Add(const AnsiString& S) override;
    int AddObject(const AnsiString& S, TObject* AObject) override;
    void Insert(int Index, const AnsiString& S) override;
    void Delete(int Index) override;
    void Clear() override;
    // Case-insensitive, as the system finds items.
    int IndexOf(const AnsiString& S) const override;
    void SetUpdateState(bool Updating) override;

private:
    HWND Wnd() const;
    void CheckHasStrings() const;
    TWinControl* FListBox;
};

// The settings of a list box that its window's styles carry.
struct TListBoxLook {
    TListBoxStyle Style = lbStandard;
    bool Sorted = false;
    bool MultiSelect = false;
    bool ExtendedSelect = true;
    bool IntegralHeight = false;
    int Columns = 0;
    int TabWidth = 0;
    // The window styles of the settings (the border aside).
    DWORD WindowStyles() const;
    // What a new window takes beside its styles: the tab stops, the columns' width in a
    // control Width wide, and for the virtual styles the count.
    void Apply(HWND Wnd, int Width, int VirtualCount) const;
};

// The current item of a "LISTBOX" window: the caret's with MultiSelect, else the selected one.
int ListBoxItemIndex(HWND Wnd, bool MultiSelect);
void SetListBoxItemIndex(HWND Wnd, bool MultiSelect, int Value);
// Whether item Index is selected; EListError "List index out of bounds (%d)" for one the
// window lacks. Without MultiSelect selecting an item makes it the current one, and
// unselecting the current one leaves none.
bool ListBoxSelected(HWND Wnd, int Index);
void SetListBoxSelected(HWND Wnd, bool MultiSelect, int Index, bool Value);
int ListBoxSelCount(HWND Wnd, bool MultiSelect);

// The item rectangle of item Index of a "LISTBOX" window: the window's own; for Index equal
// to the count, the place a new item would take (below the last one, or the top of an empty
// list, as high as the window's items are); an empty rectangle beyond.
TRect ListBoxItemRect(HWND Wnd, int Index);
// The item at a client point: -1 outside the client area; the first item shown from the top
// index whose rectangle holds the point; none there: -1 when Existing, else the count.
int ListBoxItemAtPos(HWND Wnd, TPoint Pos, bool Existing);

// The items, their objects, the current item and the top item of a "LISTBOX" window, kept
// while the window is made again.
class TListBoxKeeper {
public:
    // From the window that goes; one without strings (a virtual style) keeps no texts.
    void Save(HWND Wnd, TStrings* Items, bool MultiSelect);
    // Into the new window (Items over it); one without strings takes none.
    void Restore(HWND Wnd, TStrings* Items, bool MultiSelect);

private:
    std::unique_ptr<TStringList> FItems;
    std::vector<int> FSelected;
    int FItemIndex = -1;
    int FTopIndex = 0;
};

// The answer of a virtual list box to the window's questions for a text, its length or an
// item's object (LB_GETTEXT, LB_GETTEXTLEN, LB_GETITEMDATA): from OnData and OnDataObject,
// LB_ERR without a handler or outside the Count items. False for other messages.
bool AnswerVirtualListBox(TWinControl* Control, TMessage& Message, int Count, const TLBGetDataEvent& OnData,
                          const TLBGetDataObjectEvent& OnDataObject);

// The typed search of a list box: keys typed without a pause of Delay milliseconds form one
// prefix; Backspace takes the last character off (a double-byte one whole). A character
// that leads a double-byte one takes the next WM_CHAR of the window with it; when none is
// queued the lead byte alone is dropped.
class TListBoxSearch {
public:
    // Key typed into the window: True when it changed the prefix, which is then to be looked
    // for (an empty prefix stands for the first item). Key becomes 0 when it was consumed:
    // every key but Backspace, Enter and Escape.
    bool Type(HWND Wnd, char& Key, unsigned Delay);
    const AnsiString& Prefix() const { return FPrefix; }
    // Type, then the first item that begins with the prefix made the current one (and, with
    // MultiSelect, the only one selected); an empty prefix chooses the first item. The items
    // of a window without strings are looked for by FindData (none without it). The index
    // chosen, -1 when the key chose nothing.
    int Choose(HWND Wnd, char& Key, unsigned Delay, bool MultiSelect, TWinControl* Control,
               const TLBFindDataEvent& FindData);

private:
    AnsiString FPrefix;
    DWORD FLast = 0;
};

// A list box over Base, a windowed control of the library (TWinControl, or the list controls'
// base): the window made of "LISTBOX" with the styles of its settings, its items in the
// window (Items) and kept while it is made again, the virtual styles answered from OnData,
// the typed search, clicks and measuring. What the items look like is the class's own
// (CNDrawItem). Written against Base's protected members only, so that a list box may stand
// on a bare windowed control (the skinned one does).
template <class Base> class TListBoxOf : public Base {
public:
    explicit TListBoxOf(TComponent* AOwner)
        : Base(AOwner), FItems(std::make_unique<TListBoxStrings>(this)), FCanvas(std::make_unique<TControlCanvas>())
    {
        // The selection's change is the click; the window tells it.
        this->FControlStyle = csSetCaption | csDoubleClicks;
        this->FWidth = 121;
        this->FHeight = 97;
        this->FTabStop = true;
        this->FParentColor = false;
        this->FColor = clWindow;
        this->FBrush->SetColor(this->FColor);
        FCanvas->SetControl(this);
    }
    ~TListBoxOf() override
    {
        this->DestroyWindowFirst();
        FCanvas->FreeHandle();
    }

    TStrings* Items() const { return FItems.get(); }
    void SetItems(TStrings* Value) { FItems->Assign(Value); }
    TListBoxStyle Style() const { return FLook.Style; }
    void SetStyle(TListBoxStyle Value) { RecreateOnChange(this, FLook.Style, Value); }
    bool Sorted() const { return FLook.Sorted; }
    void SetSorted(bool Value) { RecreateOnChange(this, FLook.Sorted, Value); }
    bool MultiSelect() const { return FLook.MultiSelect; }
    void SetMultiSelect(bool Value) { RecreateOnChange(this, FLook.MultiSelect, Value); }
    bool ExtendedSelect() const { return FLook.ExtendedSelect; }
    void SetExtendedSelect(bool Value) { RecreateOnChange(this, FLook.ExtendedSelect, Value); }
    bool IntegralHeight() const { return FLook.IntegralHeight; }
    void SetIntegralHeight(bool Value) { RecreateOnChange(this, FLook.IntegralHeight, Value); }
    // Items side by side in columns of the width Width / Columns; 0 one column. Between two
    // numbers of columns only their width changes.
    int Columns() const { return FLook.Columns; }
    void SetColumns(int Value)
    {
        Value = std::max(Value, 0);
        if (FLook.Columns > 0 && Value > 0) {
            FLook.Columns = Value;
            if (this->FHandle)
                FLook.Apply(this->FHandle, this->FWidth, Count());
            return;
        }
        RecreateOnChange(this, FLook.Columns, Value);
    }
    // Tab stops of the items' texts, in dialog units; 0 none.
    int TabWidth() const { return FLook.TabWidth; }
    void SetTabWidth(int Value) { RecreateOnChange(this, FLook.TabWidth, std::max(Value, 0)); }
    TBorderStyle BorderStyle() const { return FBorderStyle; }
    void SetBorderStyle(TBorderStyle Value) { RecreateOnChange(this, FBorderStyle, Value); }
    // The vertical bar shows only when the items need it; without, it stays, disabled.
    bool AutoHideScroll() const { return FAutoHideScroll; }
    void SetAutoHideScroll(bool Value) { RecreateOnChange(this, FAutoHideScroll, Value); }
    // The height of an item: with a window and the standard style the window's, else the
    // one the owner-drawn styles use.
    int ItemHeight()
    {
        if (this->FHandle && FLook.Style == lbStandard)
            return static_cast<int>(SendMessageA(this->FHandle, LB_GETITEMHEIGHT, 0, 0));
        return FItemHeight;
    }
    void SetItemHeight(int Value)
    {
        if (Value > 0 && StoreChanged(FItemHeight, Value) && FLook.Style != lbStandard)
            this->RecreateWnd();
    }
    // Typing selects the first item that begins with what was typed (see TListBoxSearch).
    bool AutoComplete() const { return FAutoComplete; }
    void SetAutoComplete(bool Value) { FAutoComplete = Value; }
    unsigned AutoCompleteDelay() const { return FAutoCompleteDelay; }
    void SetAutoCompleteDelay(unsigned Value) { FAutoCompleteDelay = Value; }

    // The items of a virtual style (the window's count), else of Items.
    int Count()
    {
        if (!IsVirtualListBoxStyle(FLook.Style))
            return FItems->Count();
        return this->FHandle ? static_cast<int>(SendMessageA(this->FHandle, LB_GETCOUNT, 0, 0)) : FCount;
    }
    void SetCount(int Value)
    {
        if (!IsVirtualListBoxStyle(FLook.Style))
            return;
        FCount = std::max(Value, 0);
        if (this->FHandle)
            SendMessageA(this->FHandle, LB_SETCOUNT, static_cast<WPARAM>(FCount), 0);
    }
    // The caret item with MultiSelect, else the selected one.
    int GetItemIndex() { return ListBoxItemIndex(this->Handle(), FLook.MultiSelect); }
    void SetItemIndex(int Value) { SetListBoxItemIndex(this->Handle(), FLook.MultiSelect, Value); }
    int ItemIndex() { return GetItemIndex(); }
    bool Selected(int Index) { return ListBoxSelected(this->Handle(), Index); }
    void SetSelected(int Index, bool Value) { SetListBoxSelected(this->Handle(), FLook.MultiSelect, Index, Value); }
    int SelCount() { return ListBoxSelCount(this->Handle(), FLook.MultiSelect); }
    int TopIndex() { return static_cast<int>(SendMessageA(this->Handle(), LB_GETTOPINDEX, 0, 0)); }
    void SetTopIndex(int Value) { SendMessageA(this->Handle(), LB_SETTOPINDEX, static_cast<WPARAM>(Value), 0); }
    TRect ItemRect(int Index) { return ListBoxItemRect(this->Handle(), Index); }
    int ItemAtPos(TPoint Pos, bool Existing) { return ListBoxItemAtPos(this->Handle(), Pos, Existing); }
    TCanvas* Canvas() const { return FCanvas.get(); }

    // The list control's part (virtual in the library's list controls).
    int GetCount() { return Count(); }
    void AddItem(const AnsiString& Item, TObject* AObject) { FItems->AddObject(Item, AObject); }
    void Clear()
    {
        if (IsVirtualListBoxStyle(FLook.Style))
            SetCount(0);
        else
            FItems->Clear();
    }
    void ClearSelection()
    {
        if (FLook.MultiSelect)
            SendMessageA(this->Handle(), LB_SETSEL, FALSE, -1);
        else
            SetItemIndex(-1);
    }
    void CopySelection(TCustomListControl* Destination)
    {
        for (int i = 0; Destination && i < Count(); ++i)
            if (Selected(i))
                Destination->AddItem(ItemText(i), FItems->GetObject(i));
    }
    void DeleteSelected()
    {
        for (int i = Count() - 1; i >= 0 && !IsVirtualListBoxStyle(FLook.Style); --i)
            if (Selected(i))
                FItems->Delete(i);
    }
    void SelectAll()
    {
        if (FLook.MultiSelect)
            SendMessageA(this->Handle(), LB_SETSEL, TRUE, -1);
    }

    TDrawItemEvent OnDrawItem;
    TMeasureItemEvent OnMeasureItem;
    TLBGetDataEvent OnData;
    TLBGetDataObjectEvent OnDataObject;
    TLBFindDataEvent OnDataFind;

protected:
    void CreateParams(TCreateParams& Params) override
    {
        Base::CreateParams(Params);
        this->CreateSubClass(Params, "LISTBOX");
        Params.Style |= FLook.WindowStyles() | (FAutoHideScroll ? 0 : LBS_DISABLENOSCROLL);
        this->AddBorderStyle(Params, FBorderStyle);
        Params.WindowClass.style &= ~(CS_HREDRAW | CS_VREDRAW);
    }
    // The items, selection and top item of the last window come back.
    void CreateWnd() override
    {
        Base::CreateWnd();
        FLook.Apply(this->FHandle, this->FWidth, FCount);
        FKeeper.Restore(this->FHandle, FItems.get(), FLook.MultiSelect);
    }
    void DestroyWnd() override
    {
        if (HWND wnd = this->FHandle) {
            // The count of a window without strings is the virtual styles' count.
            if (GetWindowLongA(wnd, GWL_STYLE) & LBS_NODATA)
                FCount = static_cast<int>(SendMessageA(wnd, LB_GETCOUNT, 0, 0));
            FKeeper.Save(wnd, FItems.get(), FLook.MultiSelect);
        }
        Base::DestroyWnd();
    }
    void KeyPress(char& Key) override
    {
        Base::KeyPress(Key);
        if (Key != 0 && FAutoComplete &&
            FSearch.Choose(this->Handle(), Key, FAutoCompleteDelay, FLook.MultiSelect, this, OnDataFind) >= 0)
            this->Click();
    }
    void Dispatch(TMessage& Message) override
    {
        switch (Message.Msg) {
        case LB_GETTEXT:
        case LB_GETTEXTLEN:
        case LB_GETITEMDATA:
            if (IsVirtualListBoxStyle(FLook.Style) && AnswerVirtualListBox(this, Message, Count(), OnData, OnDataObject))
                return;
            break;
        case CN_COMMAND:
            if (const uint16_t code = TWMCommand(Message).NotifyCode; code == LBN_SELCHANGE) {
                this->Changed();
                this->Click();
            } else if (code == LBN_DBLCLK) {
                this->DblClick();
            }
            return;
        case CN_DRAWITEM:
            CNDrawItem(Message);
            return;
        case CN_MEASUREITEM:
            if (auto* mis = reinterpret_cast<MEASUREITEMSTRUCT*>(Message.LParam)) {
                int height = FItemHeight;
                if (FLook.Style == lbOwnerDrawVariable)
                    MeasureItem(static_cast<int>(mis->itemID), height);
                mis->itemHeight = static_cast<UINT>(std::max(height, 1));
                Message.Result = 1;
            }
            return;
        case WM_SIZE:
        case CM_ENABLEDCHANGED:
            // The columns share the width.
            Base::Dispatch(Message);
            if (this->FHandle && FLook.Columns > 0 && !this->IsLoading())
                FLook.Apply(this->FHandle, this->FWidth, Count());
            return;
        }
        Base::Dispatch(Message);
    }
    // The item's text, or OnData's for the virtual styles.
    AnsiString ItemText(int Index)
    {
        if (!IsVirtualListBoxStyle(FLook.Style))
            return FItems->Get(Index);
        AnsiString text;
        if (OnData)
            OnData(this, Index, text);
        return text;
    }
    // The owner-drawn styles that draw through OnDrawItem when it is set.
    bool DrawnByProgram() const { return FLook.Style != lbStandard && FLook.Style != lbVirtual && OnDrawItem; }
    virtual void MeasureItem(int Index, int& Height)
    {
        if (OnMeasureItem)
            OnMeasureItem(this, Index, Height);
    }
    // An item of an owner-drawn style (the virtual styles are owner-drawn too) to draw.
    virtual void CNDrawItem(TMessage& Message) = 0;

    std::unique_ptr<TListBoxStrings> FItems;
    std::unique_ptr<TControlCanvas> FCanvas;
    TListBoxLook FLook;

private:
    TListBoxKeeper FKeeper;
    TListBoxSearch FSearch;
    TBorderStyle FBorderStyle = bsSingle;
    int FItemHeight = 16;
    int FCount = 0;   // the virtual styles' count while there is no window
    bool FAutoHideScroll = true;
    bool FAutoComplete = true;
    unsigned FAutoCompleteDelay = 500;
};

class TCustomListBox : public TListBoxOf<TCustomListControl> {
    Z_CLASS(TCustomListBox, TCustomListControl)
public:
    explicit TCustomListBox(TComponent* AOwner) : TListBoxOf<TCustomListControl>(AOwner) {}

protected:
    // A selected item in the highlight colours, then DrawItem; a focus rectangle when focused.
    void CNDrawItem(TMessage& Message) override;
    // OnDrawItem for an owner-drawn style that has it, else the rectangle filled and the
    // item's text written.
    virtual void DrawItem(int Index, const TRect& Rect, TOwnerDrawState State);
};

class TListBox : public TCustomListBox {
    Z_CLASS(TListBox, TCustomListBox)
public:
    explicit TListBox(TComponent* AOwner) : TCustomListBox(AOwner) {}
};

// ---------------------------------------------------------------------------------------
// TCustomLabel: text painted by the parent, with an accelerator that focuses FocusControl.

class TCustomLabel : public TGraphicControl {
    Z_CLASS(TCustomLabel, TGraphicControl)
public:
    explicit TCustomLabel(TComponent* AOwner);

    TAlignment Alignment() const { return FAlignment; }
    void SetAlignment(TAlignment Value);
    TTextLayout Layout() const { return FLayout; }
    void SetLayout(TTextLayout Value);
    bool WordWrap() const { return FWordWrap; }
    void SetWordWrap(bool Value);
    bool ShowAccelChar() const { return FShowAccelChar; }
    void SetShowAccelChar(bool Value);
    // Transparent: the parent shows through (not csOpaque); else the label fills its
    // rectangle with its colour.
    bool Transparent() const { return !(FControlStyle & csOpaque); }
    void SetTransparent(bool Value);
    TWinControl* FocusControl() const { return FFocusControl; }
    void SetFocusControl(TWinControl* Value);
    void SetAutoSize(bool Value) override;

    void Notification(TComponent* AComponent, TOperation Operation) override;
    void Loaded() override;

protected:
    // The text that is drawn (the caption).
    virtual AnsiString GetLabelText();
    // Draws the text into Rect (or, with DT_CALCRECT, measures it into Rect): prefixes
    // unless ShowAccelChar is off, the control's reading order, and a disabled label
    // embossed (highlight offset by one pixel, shadow over it).
    virtual void DoDrawText(TRect& Rect, int Flags);
    // With AutoSize, the bounds take the text's size (a right-aligned label keeps its right
    // edge).
    virtual void AdjustBounds();
    void Paint() override;
    void Dispatch(TMessage& Message) override;

private:
    void CMDialogChar(TMessage& Message);
    TAlignment FAlignment = taLeftJustify;
    TTextLayout FLayout = tlTop;
    bool FWordWrap = false;
    bool FShowAccelChar = true;
    TWinControl* FFocusControl = nullptr;
};

class TLabel : public TCustomLabel {
    Z_CLASS(TLabel, TCustomLabel)
public:
    explicit TLabel(TComponent* AOwner) : TCustomLabel(AOwner) {}
};

// ---------------------------------------------------------------------------------------
// Buttons over the system's "BUTTON" window. A click (BN_CLICKED, reflected by the parent)
// and an accelerator of the caption act as the user's click.

class TButtonControl : public TWinControl {
    Z_CLASS(TButtonControl, TWinControl)
public:
    explicit TButtonControl(TComponent* AOwner);
    // The caption breaks into lines at the window's edge.
    bool WordWrap() const { return FWordWrap; }
    void SetWordWrap(bool Value);
    // Buttons take the button link, which also carries an action's checked state.
    const TControlActionLinkClass* GetActionLinkClass() override;

protected:
    // The checked state of the kinds that have one (check box, radio button).
    virtual bool GetChecked() { return false; }
    virtual void SetChecked(bool) {}
    // While set, a change of the checked state made by the program runs no Click.
    bool ClicksDisabled() const { return FClicksDisabled; }
    void SetClicksDisabled(bool Value) { FClicksDisabled = Value; }
    void CreateParams(TCreateParams& Params) override;
    // A box with its caption beside it: the button kind and the caption's side.
    void AddCheckStyle(TCreateParams& Params, DWORD Kind, TAlignment Alignment);
    // The window shows the state (nothing without a window).
    void ShowCheck(TCheckBoxState State);

private:
    bool FClicksDisabled = false;
    bool FWordWrap = false;
};

class TButton : public TButtonControl {
    Z_CLASS(TButton, TButtonControl)
public:
    explicit TButton(TComponent* AOwner);
    // Escape anywhere on the form clicks a cancel button.
    bool Cancel() const { return FCancel; }
    void SetCancel(bool Value) { FCancel = Value; }
    // Enter clicks the default button, unless another button has the focus.
    bool Default() const { return FDefault; }
    void SetDefault(bool Value);
    // Given to the form by a click; a modal form then closes with it.
    TModalResult ModalResult() const { return FModalResult; }
    void SetModalResult(TModalResult Value) { FModalResult = Value; }
    void Click() override;

protected:
    void CreateParams(TCreateParams& Params) override;
    void CreateWnd() override;
    void Dispatch(TMessage& Message) override;
    // BS_DEFPUSHBUTTON or BS_PUSHBUTTON on the window, as the button is (or is no longer)
    // the one Enter clicks. A button that draws itself shows it in its own way.
    virtual void SetButtonStyle(bool ADefault);

private:
    bool FCancel = false;
    bool FDefault = false;
    bool FActive = false;   // the button Enter clicks now
    TModalResult FModalResult = mrNone;
};

class TCustomCheckBox : public TButtonControl {
    Z_CLASS(TCustomCheckBox, TButtonControl)
public:
    explicit TCustomCheckBox(TComponent* AOwner);
    // Where the caption is: taRightJustify puts it right of the box.
    TAlignment Alignment() const { return FAlignment; }
    void SetAlignment(TAlignment Value);
    // A click cycles through the grayed state too.
    bool AllowGrayed() const { return FAllowGrayed; }
    void SetAllowGrayed(bool Value) { FAllowGrayed = Value; }
    TCheckBoxState State() const { return FState; }
    // A change runs Click.
    void SetState(TCheckBoxState Value);
    bool Checked() { return GetChecked(); }
    void SetChecked(bool Value) override { SetState(Value ? cbChecked : cbUnchecked); }
    // The next state, as a click gives it.
    virtual void Toggle();
    // CM_CHANGED, then OnClick.
    void Click() override;

protected:
    bool GetChecked() override { return FState == cbChecked; }
    void CreateParams(TCreateParams& Params) override;
    void CreateWnd() override;
    void Dispatch(TMessage& Message) override;

private:
    TAlignment FAlignment = taRightJustify;
    bool FAllowGrayed = false;
    TCheckBoxState FState = cbUnchecked;
};

// The names of the check states, for the property tables.
extern const char* const CheckBoxStateNames[3];

// "Checked" of a check box class C, published for whoever reaches a check box by its
// properties (the button action link does); the state carries the value in form data, so it
// is never written.
template <class C> TPropInfo CheckBoxCheckedProp()
{
    TPropInfo p = zprop::Ord<C, &C::AllowGrayed, &C::SetAllowGrayed>("Checked", tkEnumeration, false, 0,
                                                                    zprop::BooleanNames, 2);
    p.GetOrd = [](const TObject* o) -> int64_t { return static_cast<const C*>(o)->State() == cbChecked; };
    p.SetOrd = [](TObject* o, int64_t v) { static_cast<C*>(o)->SetChecked(v != 0); };
    p.IsStored = [](const TObject*) { return false; };
    return p;
}

class TCheckBox : public TCustomCheckBox {
    Z_CLASS(TCheckBox, TCustomCheckBox)
public:
    explicit TCheckBox(TComponent* AOwner) : TCustomCheckBox(AOwner) {}
};

class TRadioButton : public TButtonControl {
    Z_CLASS(TRadioButton, TButtonControl)
public:
    explicit TRadioButton(TComponent* AOwner);
    TAlignment Alignment() const { return FAlignment; }
    void SetAlignment(TAlignment Value);
    // Checking one radio button unchecks the others of the same parent and runs Click.
    bool Checked() { return GetChecked(); }
    void SetChecked(bool Value) override;

protected:
    bool GetChecked() override { return FChecked; }
    void CreateParams(TCreateParams& Params) override;
    void CreateWnd() override;
    void Dispatch(TMessage& Message) override;

private:
    TAlignment FAlignment = taRightJustify;
    bool FChecked = false;
};

// ---------------------------------------------------------------------------------------
// TCustomGroupBox: a frame with a caption around other controls; its accelerator moves the
// focus to the first control inside.

class TCustomGroupBox : public TCustomControl {
    Z_CLASS(TCustomGroupBox, TCustomControl)
public:
    explicit TCustomGroupBox(TComponent* AOwner);
    // The inside of the frame, below the caption.
    void AdjustClientRect(TRect& Rect) override;

protected:
    void Paint() override;
    // The frame, and over it the caption on the box's colour: every group box paints so,
    // whatever kind of text its caption is.
    void PaintCaptioned(const TCaptionText& Caption);
    // What the accelerator does: the focus goes to the first control inside.
    void FocusFirstControl();
    void Dispatch(TMessage& Message) override;
};

class TGroupBox : public TCustomGroupBox {
    Z_CLASS(TGroupBox, TCustomGroupBox)
public:
    explicit TGroupBox(TComponent* AOwner) : TCustomGroupBox(AOwner) {}
};
