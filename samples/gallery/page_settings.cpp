// The page of settings as the program's options window shows them: check boxes and radio
// groups down the left column; choices from lists, labels, panels and progress bars in the
// right one. Each column is built by its own functions below. Every control follows the skin
// chooser.
#include "gallery.h"
#include "gallery_controls.h"

namespace {

void Heading(TWinControl* Page, TComponent* Owner, int Left, int Top, const wchar_t* Text)
{
    auto* label = Put<TGalleryLabel>(Page, Owner, Left, Top, 300, 18);
    SetControlWideText(label, Text);
    label->Font()->SetStyle(fsBold);
}

// The left column (x 20 .. 400): check boxes.
void AddCheckBoxes(TWinControl* Page, TComponent* Owner)
{
    Heading(Page, Owner, 20, 12, L"Флажки");
}

// The left column, below the check boxes: radio groups.
void AddRadioGroups(TWinControl* Page, TComponent* Owner)
{
    Heading(Page, Owner, 20, 300, L"Переключатели");
}

} // namespace

TWinControl* CreateSettingsPage(TGalleryForm* Form)
{
    TGalleryPanel* page = NewGalleryPanel(Form);
    AddCheckBoxes(page, Form);
    AddRadioGroups(page, Form);
    return page;
}
