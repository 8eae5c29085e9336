// UTF-16 for the library's edit, memo, combo box and label. The Unicode controls built on
// them (the skinned ones above all) call these routines from their own overrides: a Unicode
// "EDIT" window, the wide password character and selection, the memo's lines and the combo
// box's items as wide lists, the combo box's Unicode child windows, its wide incremental
// search and auto-completion, and the label's wide caption and accelerator. The push button
// and the group box are Unicode controls of their own here.
//
// On the NT family the routines work on the Unicode windows; elsewhere they take the
// library's ANSI path with the text converted through DefaultConversionCodePage.
#pragma once

#include "classlib/stdctrls.h"
#include "unicode/ucclasses.h"
#include "unicode/uccontrols.h"
#include "unicode/ucsysutils.h"
#include "unicode/ucwidecontrol.h"

#include <memory>
#include <optional>

// ---------------------------------------------------------------------------------------
// Interfaces a control may offer; found with dynamic_cast.

// A list control that takes wide items: {C1801F41-51E9-4DB5-8DB8-58AC86698C2E}.
class IWideCustomListControl {
public:
    virtual ~IWideCustomListControl() = default;
    virtual void AddWideItem(const WideString& Item, TObject* AObject) = 0;
};

// A combo box with a search of its own for an item by its beginning:
// {63BEBEF4-B1A2-495A-B558-7487B66F6827}.
class IWideComboItemSearch {
public:
    virtual ~IWideComboItemSearch() = default;
    // The first item after StartIndex (-1: the whole list, from the top) whose text begins
    // with Text, without regard to case, searching on from the top when the end is reached;
    // -1 when there is none.
    virtual int FindItemByPrefix(const WideString& Text, int StartIndex) = 0;
};

// ---------------------------------------------------------------------------------------
// Edits

// CreateWindowHandle of a Unicode edit or memo: a Unicode window over the system's "EDIT".
// Where an edit window cannot be made read-only at creation (a Far-East locale without the
// wide calls), it is made read-only right after.
void CreateUnicodeEditHandle(TWinControl* Control, const TCreateParams& Params);

// The wide password character, kept by the control in PasswordChar beside the library's
// ANSI PasswordChar (which reads "*" for a character that has no single-byte form).
// The effective character: the kept one while its ANSI form is still the library's
// PasswordChar, else the library's (which is then kept).
WideChar GetEditWidePasswordChar(TCustomEdit* Edit, WideChar& PasswordChar);
// Keeps Value, gives the library its ANSI form and shows it in the window.
void SetEditWidePasswordChar(TCustomEdit* Edit, WideChar& PasswordChar, WideChar Value);
// After the window is made: the window shows the effective wide character.
void ApplyWidePasswordChar(TCustomEdit* Edit, WideChar& PasswordChar);

// The selection in UTF-16 units of the wide text. These call the library's own accessors,
// so the control's overrides of the selection accessors may call them.
int GetEditWideSelStart(TCustomEdit* Edit);
void SetEditWideSelStart(TCustomEdit* Edit, int Value);
int GetEditWideSelLength(TCustomEdit* Edit);
void SetEditWideSelLength(TCustomEdit* Edit, int Value);
WideString GetEditWideSelText(TCustomEdit* Edit);
// Replaces the selection (or puts the text at the caret).
void SetEditWideSelText(TCustomEdit* Edit, const WideString& Value);

// ---------------------------------------------------------------------------------------
// The wide lines of a memo. On a Unicode window the lines are read and written with the
// wide edit messages; otherwise they go through the memo's own ANSI line list.

class TUcMemoStrings : public TUcStrings {
    Z_CLASS(TUcMemoStrings, TUcStrings)
public:
    explicit TUcMemoStrings(TCustomMemo* Memo);
    TCustomMemo* Memo() const { return FMemo; }
    // With JoinLines (the default) the text is the lines, each ended by CR LF; without it,
    // the memo's text as it is.
    bool JoinLines() const { return FJoinLines; }
    void SetJoinLines(bool Value) { FJoinLines = Value; }
    // The line breaks that inserted and set text gets; CR LF by default, which the system's
    // edit needs to show separate lines.
    TTextLineBreakStyle LineBreakStyle() const { return FLineBreakStyle; }
    void SetLineBreakStyle(TTextLineBreakStyle Value) { FLineBreakStyle = Value; }

    // An index outside the lines raises EStringListError "List index out of bounds (%d)";
    // a line of more than 65535 characters EOutOfResources "Out of system resources".
    WideString Get(int Index) const override;
    int GetCount() const override;
    void Put(int Index, const WideString& S) override;
    // Before line Index; Index = Count adds the line after the last one. EOutOfResources
    // "Text exceeds memo capacity" when the window took less than the whole line.
    void Insert(int Index, const WideString& S) override;
    void Delete(int Index) override;
    void Clear() override;
    WideString GetTextStr() const override;
    // The text with the memo's line breaks; the window gets it only when it differs.
    void SetTextStr(const WideString& Value) override;
    void SetUpdateState(bool Updating) override;

private:
    TStrings* AnsiLines() const { return FMemo->TCustomMemo::Lines(); }
    // The memo's window when it is Unicode (made on demand), else null.
    HWND UnicodeWnd() const;
    void CheckIndex(int Index, int Count) const;
    TCustomMemo* FMemo;
    bool FJoinLines = true;
    TTextLineBreakStyle FLineBreakStyle = tlbsCRLF;
};

// ---------------------------------------------------------------------------------------
// Combo boxes

// The wide items of a combo box. On a Unicode window the texts are read and written with the
// wide combo-box messages; the library's own items object of the combo box keeps the count,
// the objects and deletion, and takes the ANSI forms on other windows.
class TUcComboBoxStrings : public TUcStrings {
    Z_CLASS(TUcComboBoxStrings, TUcStrings)
public:
    explicit TUcComboBoxStrings(TCustomComboBox* ComboBox) : FComboBox(ComboBox) {}
    TCustomComboBox* ComboBox() const { return FComboBox; }

    // "" for an index the window does not have.
    WideString Get(int Index) const override;
    int GetCount() const override;
    TObject* GetObject(int Index) const override;
    void PutObject(int Index, TObject* AObject) override;
    // A sorted combo box puts the item in its place. EOutOfResources "Unable to insert a
    // line" when the window refuses the item.
    int Add(const WideString& S) override;
    int AddObject(const WideString& S, TObject* AObject) override;
    void Insert(int Index, const WideString& S) override;
    void Delete(int Index) override;
    // The items go; the wide text stays.
    void Clear() override;
    // Without regard to case, as the system finds items.
    int IndexOf(const WideString& S) const override;
    void SetUpdateState(bool Updating) override;

private:
    TStrings* AnsiItems() const { return FComboBox->Items(); }
    TCustomComboBox* FComboBox;
};

// The library's items object as the Unicode combo boxes want it (their GetItemsClass): the
// ANSI texts read with a buffer large enough for any code page, and a refused item raising
// EOutOfResources "Unable to insert a line".
class TVornPatchedComboBoxStrings : public TComboBoxStrings {
    Z_CLASS(TVornPatchedComboBoxStrings, TComboBoxStrings)
public:
    explicit TVornPatchedComboBoxStrings(TCustomComboBox* ComboBox) : TComboBoxStrings(ComboBox) {}
    // "" for an index the window does not have or an empty item.
    AnsiString Get(int Index) const override;
    int Add(const AnsiString& S) override;
    void Insert(int Index, const AnsiString& S) override;
    static const TComboBoxStringsClass& ClassRef();
};

// The wide text of item Index of the combo box's window ("" when there is none).
WideString ComboItemWide(TCustomComboBox* Combo, int Index);

// Window re-creation (DestroyWnd and CreateWnd of a Unicode combo box): the wide text, items
// and current item wait in the control. Saving refuses a combo box that is being destroyed
// (a failed assertion): its items have nowhere to go.
void SaveComboBeforeDestroyWnd(TCustomComboBox* Combo, std::unique_ptr<TUcStringList>& SavedItems,
                               int& SavedIndex, std::optional<WideString>& SavedText);
// After the library's CreateWnd: the edit and list windows become Unicode windows under the
// combo box's own procedures, and what was saved comes back (and is let go).
void RestoreComboAfterCreateWnd(TCustomComboBox* Combo, std::unique_ptr<TUcStringList>& SavedItems,
                                int& SavedIndex, std::optional<WideString>& SavedText);

// The wide key handling of a combo box: gets the WM_CHAR, packed (see PackWideCharMessage),
// and consumes the key by setting its character to 0.
using TWMCharMsgHandler = TMethod<void(TMessage& Message)>;

// For ComboWndProc, with a message of the edit or list window Child whose previous procedure
// is ChildProc. WM_CHAR goes to the control's key handling and then KeyHandler, packed on a
// Unicode window; a key neither consumed goes to the window (Enter and Escape close an open
// list instead). On a Unicode window the text messages, EM_REPLACESEL and
// WM_IME_COMPOSITION go straight to the window, and WM_IME_CHAR comes back as WM_CHAR.
// True when the message was handled here.
bool HandleComboWndProcWide(TCustomComboBox* Combo, TMessage& Message, HWND Child, WNDPROC ChildProc,
                            TWMCharMsgHandler KeyHandler);
// For CN_COMMAND: CBN_SELCHANGE gives the combo box the wide text of the new item, then
// Click and Select run. True when it was CBN_SELCHANGE.
bool HandleComboSelChangeWide(TCustomComboBox* Combo, TMessage& Message);

// The selection of the edit part in UTF-16 units; the selected text exists for the styles
// csSimple and csDropDown only.
int GetComboWideSelStart(TCustomComboBox* Combo);
void SetComboWideSelStart(TCustomComboBox* Combo, int Value);
int GetComboWideSelLength(TCustomComboBox* Combo);
void SetComboWideSelLength(TCustomComboBox* Combo, int Value);
WideString GetComboWideSelText(TCustomComboBox* Combo);
void SetComboWideSelText(TCustomComboBox* Combo, const WideString& Value);

// Around the library's KeyPress of a Unicode combo box: its ANSI auto-completion stays off,
// the wide one runs instead.
void SuspendComboAutoComplete(TCustomComboBox* Combo, bool& SavedAutoComplete);
void RestoreComboAutoComplete(TCustomComboBox* Combo, bool SavedAutoComplete);

// AddObject on the combo box's wide items.
void AddComboItemWide(TCustomComboBox* Combo, const WideString& S, TObject* AObject);
// The current item (text and object) added to Destination; nothing when none is selected.
void CopyComboSelectionWide(TCustomComboBox* Combo, TCustomListControl* Destination);
// A list control with wide items takes S as it is; any other its ANSI form.
void AddItemToListControl(TCustomListControl* Control, const WideString& S, TObject* AObject);

// The first item after StartIndex (-1: the whole list) that begins with Text, without regard
// to case; -1 when none (or Text is empty).
int ComboFindItemByPrefix(TCustomComboBox* Combo, const WideString& Text, int StartIndex = -1);
// That item only when no other item begins with Text; else -1.
int ComboFindUniqueItemByPrefix(TCustomComboBox* Combo, const WideString& Text);
// Selects the item that begins with Text (the only one, with RequireUnique). For the styles
// csSimple and csDropDown with Complete, the text becomes Text completed by the item, the
// completion selected. Click and Select run when the current item changed. False when no
// item was found.
bool ComboSelectItemByPrefix(TCustomComboBox* Combo, const WideString& Text, bool Complete, bool RequireUnique);

// The pause after which the incremental search of a drop-down list starts a new search text.
constexpr DWORD ComboSearchDelay = 1250;
// The incremental search of a csDropDownList combo box with AutoComplete, for its WM_CHAR
// (packed): keys typed with pauses under ComboSearchDelay (by the clock ComboTickCount) form
// one search text; a key that extends it to the beginning of an item selects that item and
// is consumed, any other key leaves the search text as it was. Backspace shortens the search
// text (an empty one stays empty).
void ComboSearchKeyPress(TCustomComboBox* Combo, TMessage& Message, WideString& SearchText, DWORD& LastTime);
// The auto-completion of csSimple and csDropDown combo boxes with AutoComplete, for the
// WM_CHAR (packed) of the edit window: typed at the end of the text, a key that makes the
// beginning of an item selects and completes it and is consumed. Another style is a failed
// assertion.
void UcCombo_AutoCompleteKeyPress(TCustomComboBox* Combo, TMessage& Message, bool Complete, bool RequireUnique);

// ---------------------------------------------------------------------------------------
// Labels

// The DoDrawText of a Unicode label on NT: the wide caption drawn (or measured, with
// DT_CALCRECT) into Rect on the label's canvas, embossed when disabled. False on other
// platforms, where the library draws.
bool DrawLabelTextWide(TCustomLabel* Label, TRect& Rect, int Flags);
// CM_DIALOGCHAR of a Unicode label: the key is the hot key of the wide caption, the label is
// enabled and shows accelerators and its FocusControl can take the focus: it gets the focus
// and the message's result is 1 (True).
bool HandleLabelDialogCharWide(TCustomLabel* Label, TMessage& Message);

// ---------------------------------------------------------------------------------------
// Push button and group box

// The key of a CM_DIALOGCHAR (packed or not) is the hot key of the control's wide caption.
bool IsWideAccel(const TMessage& Message, TControl* Control);

// CM_DIALOGCHAR of a Unicode button on NT: the key is the hot key of the wide caption and
// the button can take the focus: it clicks and the message's result is 1 (True).
bool HandleButtonDialogCharWide(TButtonControl* Button, TMessage& Message);

// A push button in a Unicode "BUTTON" window.
class TUcButton : public TUcControlOf<TButton> {
    Z_CLASS(TUcButton, TButton)
public:
    explicit TUcButton(TComponent* AOwner) : TUcControlOf<TButton>(AOwner) {}

protected:
    void CreateWindowHandle(const TCreateParams& Params) override;
    void Dispatch(TMessage& Message) override;
};

// A group box in a Unicode window, its wide caption painted over the frame; its hot key
// moves the focus into it.
class TUcCustomGroupBox : public TUcControlOf<TCustomGroupBox> {
    Z_CLASS(TUcCustomGroupBox, TCustomGroupBox)
public:
    explicit TUcCustomGroupBox(TComponent* AOwner) : TUcControlOf<TCustomGroupBox>(AOwner) {}

protected:
    void CreateWindowHandle(const TCreateParams& Params) override;
    void Paint() override;
    void Dispatch(TMessage& Message) override;
};

class TUcGroupBox : public TUcCustomGroupBox {
    Z_CLASS(TUcGroupBox, TUcCustomGroupBox)
public:
    explicit TUcGroupBox(TComponent* AOwner) : TUcCustomGroupBox(AOwner) {}
};

// Start-up: the push button and the group box become known to form data.
void InitUcStdCtrls();
