// What a skinned form's title bar holds besides its frame: the system menu that the skinned
// title bar pops up in place of the platform's (with the skin chooser in it), the title icon,
// and the user's own title-bar buttons.
#pragma once

#include "classlib/controls.h"
#include "classlib/forms.h"
#include "classlib/menus.h"

#include <cstdint>
#include <memory>

class TzSkinManager;

// ---------------------------------------------------------------------------------------
// The items of the system menu and when each is shown and usable.

enum TzSysMenuItem : uint8_t { smiRestore, smiMove, smiSize, smiMinimize, smiMaximize, smiClose, smiCount };

struct TzSysMenuItemState {
    bool Visible = false;
    bool Enabled = false;
};

// What the form is, as the item table reads it.
struct TzSysMenuForm {
    TFormStyle FormStyle = fsNormal;
    TFormBorderStyle BorderStyle = bsSizeable;
    TWindowState WindowState = wsNormal;
    TBorderIcons BorderIcons = biSystemMenu | biMinimize | biMaximize;
    bool Iconic = false;
};

// The state of one item of the system menu for a form.
TzSysMenuItemState SystemMenuItemState(TzSysMenuItem Item, const TzSysMenuForm& Form);
// The form as the table reads it (its window's iconic state included).
TzSysMenuForm SystemMenuFormOf(TCustomForm* Form);

// ---------------------------------------------------------------------------------------
// The system menu of a skinned form: six items that send their system command to the form's
// window, a separator after Maximize, and, when the skin chooser is built into it, the skins
// the manager lists as the first item.

class TzSystemMenu : public TPopupMenu {
    Z_CLASS(TzSystemMenu, TPopupMenu)
public:
    // Owned by AOwner (the provider); the commands go to Form.
    TzSystemMenu(TComponent* AOwner, TCustomForm* Form);

    TCustomForm* Form() const { return FForm; }
    TMenuItem* Item(TzSysMenuItem Which) const { return FItems[Which]; }
    // Shows and enables the items by the form's state.
    void UpdateItems();
    // The first item "Available skins" named "SkinSelectItem" and its sub-items go, then, when
    // the manager lists skins (folders and packed files), come back: a radio item per skin,
    // checked for the manager's skin, a new column at every twentieth.
    void BuildSkinItems(TzSkinManager* Manager);
    // The skin chooser as it stands (none when the menu has none).
    TMenuItem* SkinItems() const;

private:
    void RestoreClick(TObject*);
    void MoveClick(TObject*);
    void SizeClick(TObject*);
    void MinimizeClick(TObject*);
    void MaximizeClick(TObject*);
    void CloseClick(TObject*);
    void SkinClick(TObject* Sender);
    void SendCommand(UINT Command);

    TCustomForm* FForm;
    TMenuItem* FItems[smiCount] = {};
    TzSkinManager* FSkinManager = nullptr;   // the one the chooser was built for
};

// The name of the skin chooser item and the caption of its sub-item for a skin.
constexpr const char* SkinSelectItemName = "SkinSelectItem";
// A chooser's caption as a skin name: every "&" taken out.
WideString SkinNameOfCaption(const WideString& Caption);

// ---------------------------------------------------------------------------------------
// The title icon: a picture of the program's own in place of the form's icon, and its size
// (0: the size follows from the caption height).

class TzTitleIcon : public TPersistent {
    Z_CLASS(TzTitleIcon, TPersistent)
public:
    TzTitleIcon();
    ~TzTitleIcon() override;
    void Assign(TPersistent* Source) override;

    TBitmap* Glyph() const { return FGlyph.get(); }
    void SetGlyph(TBitmap* Value) { FGlyph->Assign(Value); }
    int Height() const { return FHeight; }
    void SetHeight(int Value) { FHeight = Value; }
    int Width() const { return FWidth; }
    void SetWidth(int Value) { FWidth = Value; }

private:
    std::unique_ptr<TBitmap> FGlyph;
    int FHeight = 0;
    int FWidth = 0;
};

// ---------------------------------------------------------------------------------------
// The user's own title-bar buttons, left of the system's.

class TzTitleButton : public TCollectionItem {
    Z_CLASS(TzTitleButton, TCollectionItem)
public:
    explicit TzTitleButton(TCollection* Collection);
    ~TzTitleButton() override;
    void Assign(TPersistent* Source) override;
    AnsiString DisplayName() const override { return FName; }

    bool Enabled() const { return FEnabled; }
    void SetEnabled(bool Value) { FEnabled = Value; }
    TBitmap* Glyph() const { return FGlyph.get(); }
    void SetGlyph(TBitmap* Value) { FGlyph->Assign(Value); }
    const AnsiString& Name() const { return FName; }
    void SetName(const AnsiString& Value) { FName = Value; }
    // The skin's "TITLEBUTTON" image behind the glyph.
    bool UseSkinData() const { return FUseSkinData; }
    void SetUseSkinData(bool Value) { FUseSkinData = Value; }

    // Called with the button as Sender and the mouse where the provider found it.
    TMouseEvent OnMouseDown;
    TMouseEvent OnMouseUp;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y);
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y);

    // Painting state, kept by the provider: 0 normal, 1 hot, 2 pressed; the mask (-1 none);
    // the rectangle in window coordinates.
    int State = 0;
    int ImageIndex = -1;
    TRect Rect;

private:
    bool FEnabled = true;
    std::unique_ptr<TBitmap> FGlyph;
    AnsiString FName;
    bool FUseSkinData = true;
};

class TzTitleButtons : public TOwnedCollection {
    Z_CLASS(TzTitleButtons, TOwnedCollection)
public:
    explicit TzTitleButtons(TPersistent* AOwner);
    TzTitleButton* Add() { return static_cast<TzTitleButton*>(TCollection::Add()); }
    TzTitleButton* Items(int Index) const { return static_cast<TzTitleButton*>(TCollection::Items(Index)); }
};

// Registers the classes above for form data. Called once at program start.
void InitSystemMenus();
