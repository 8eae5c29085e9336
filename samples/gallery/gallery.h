// The gallery's main window: a Unicode form with a main menu, one page shown at a time (the
// "Вид" menu switches them) and a status line with the application's wide hint. The form
// data among the program's resources gives it its skin manager with the built-in skin. Each
// page lives in a source file of its own and is listed in GalleryPages (gallery_form.cpp).
#pragma once

#include "classlib/menus.h"
#include "skinctl/zpanel.h"
#include "unicode/ucforms.h"

#include <memory>
#include <vector>

class TGalleryForm;
class TzSkinManager;

// A page: its title in the "Вид" menu, the shortcut that shows it, the name of its
// screenshots, and what makes its control (a windowed control owned by the form, which the
// form puts in place).
struct TGalleryPage {
    const wchar_t* Title;
    TShortCut ShortCut;
    const wchar_t* ShotName;
    TWinControl* (*Create)(TGalleryForm* Form);
};

// The pages, in the order of the "Вид" menu; the first is shown at the start.
const std::vector<TGalleryPage>& GalleryPages();

// The pages' makers.
TWinControl* CreateUnicodeControlsPage(TGalleryForm* Form);   // page_text.cpp
TWinControl* CreateTextFilePage(TGalleryForm* Form);          // page_lines.cpp
TWinControl* CreateSkinsPage(TGalleryForm* Form);             // page_skins.cpp
TWinControl* CreateSkinSheetPage(TGalleryForm* Form);         // page_sheet.cpp
TWinControl* CreateEditsPage(TGalleryForm* Form);             // page_edits.cpp
TWinControl* CreateButtonsPage(TGalleryForm* Form);           // page_buttons.cpp
TWinControl* CreateTabsPage(TGalleryForm* Form);              // page_tabs.cpp
TWinControl* CreateContactsPage(TGalleryForm* Form);          // page_contacts.cpp
TWinControl* CreateListsPage(TGalleryForm* Form);             // page_lists.cpp
TWinControl* CreateSettingsPage(TGalleryForm* Form);          // page_settings.cpp
TWinControl* CreateForeignPage(TGalleryForm* Form);           // page_foreign.cpp
// Registers what the skins page needs once per program (its preview window class).
void RegisterSkinsPageClasses();

// The base of a page that paints or answers the skin itself: it fills the form above the
// status line.
class TGalleryPanel : public TCustomControl {
    Z_CLASS(TGalleryPanel, TCustomControl)
public:
    explicit TGalleryPanel(TComponent* AOwner);
};

// A page on the skin's panel (the system's face colour without a skin): a skinned panel
// without bevels or caption, whose children stand on its picture. SkinFollowed runs when its
// window is made and after each new skin or its removal, for what else the page keeps in step.
class TGallerySkinPage : public TzPanel {
    Z_CLASS(TGallerySkinPage, TzPanel)
public:
    explicit TGallerySkinPage(TComponent* AOwner);

protected:
    void CreateWnd() override;
    void SkinChanged(TWMSkinCommand& Command) override;
    // Text is the page's text colour: the section's, or the window text's without a skin.
    virtual void SkinFollowed(TColor) {}

private:
    TColor TextColor() const;
};

// A control of class T owned by Owner, at those bounds on Parent.
template <class T> T* Put(TWinControl* Parent, TComponent* Owner, int Left, int Top, int Width, int Height)
{
    T* c = MakeComponent<T>(Owner);
    c->SetBounds(Left, Top, Width, Height);
    c->SetParent(Parent);
    return c;
}

// A hidden page already placed on the form, so that its controls can have windows while it
// is filled (PlacePage below for a page of a class of its own).
TGallerySkinPage* NewGalleryPanel(TGalleryForm* Form);

class TGalleryForm : public TUcForm {
    Z_CLASS(TGalleryForm, TUcForm)
public:
    // Built in code (no form resource of its class); reads the gallery's form data.
    explicit TGalleryForm(TComponent* AOwner);
    ~TGalleryForm() override;
    void ShowPage(int Index);
    int PageIndex() const { return FPageIndex; }
    // The skin manager of the form data (nullptr when it had none).
    TzSkinManager* SkinManager() const { return FSkinManager; }

private:
    void BuildMenu();
    void PageClick(TObject* Sender);
    void ExitExecute(TObject* Sender);
    void AboutClick(TObject* Sender);
    void CopyClick(TObject* Sender);
    void PasteClick(TObject* Sender);
    void ApplicationHint(TObject* Sender);

    TzSkinManager* FSkinManager = nullptr;
    std::vector<TWinControl*> FPages;
    std::vector<TMenuItem*> FPageItems;
    TControl* FStatus = nullptr;
    int FPageIndex = -1;
};

// A hidden page of class T already placed on the form.
template <class T> T* PlacePage(TGalleryForm* Form)
{
    T* page = MakeComponent<T>(Form);
    page->SetVisible(false);
    page->SetParent(Form);
    return page;
}
