// The gallery's main window: a Unicode form with a main menu, one page shown at a time (the
// "Вид" menu switches them) and a status line with the application's wide hint. Each page
// lives in a source file of its own and is listed in GalleryPages (gallery_form.cpp).
#pragma once

#include "classlib/menus.h"
#include "unicode/ucforms.h"

#include <vector>

// A page: its title in the "Вид" menu, the shortcut that shows it, and the builder that puts
// its controls on the panel given (owned by the panel's form).
struct TGalleryPage {
    const wchar_t* Title;
    TShortCut ShortCut;
    void (*Build)(TWinControl* Page);
};

// The pages, in the order of the "Вид" menu; the first is shown at the start.
const std::vector<TGalleryPage>& GalleryPages();

// Builders of the pages.
void BuildUnicodeControlsPage(TWinControl* Page);   // page_text.cpp
void BuildTextFilePage(TWinControl* Page);          // page_lines.cpp

class TGalleryForm : public TUcForm {
    Z_CLASS(TGalleryForm, TUcForm)
public:
    // Built in code: no form resource.
    explicit TGalleryForm(TComponent* AOwner);
    ~TGalleryForm() override;
    void ShowPage(int Index);
    int PageIndex() const { return FPageIndex; }

private:
    void BuildMenu();
    void PageClick(TObject* Sender);
    void ExitExecute(TObject* Sender);
    void AboutClick(TObject* Sender);
    void CopyClick(TObject* Sender);
    void PasteClick(TObject* Sender);
    void ApplicationHint(TObject* Sender);

    std::vector<TWinControl*> FPages;
    std::vector<TMenuItem*> FPageItems;
    TControl* FStatus = nullptr;
    int FPageIndex = -1;
};
