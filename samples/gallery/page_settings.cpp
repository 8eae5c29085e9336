// The page of settings as the program's options window shows them: check boxes and radio
// groups down the left column; choices from lists, labels, panels and progress bars in the
// right one. Each column is built by its own functions below. The page stands on the skin's
// panel colour; every control follows the skin chooser.
#include "gallery.h"
#include "gallery_controls.h"
#include "skinctl/zcheckbox.h"
#include "skinctl/zgroupbox.h"
#include "skinctl/zradiobutton.h"

namespace {

void Heading(TWinControl* Page, TComponent* Owner, int Left, int Top, const wchar_t* Text)
{
    auto* label = Put<TGalleryLabel>(Page, Owner, Left, Top, 300, 18);
    SetControlWideText(label, Text);
    label->Font()->SetStyle(fsBold);
}

TzCheckBox* Check(TWinControl* Page, TComponent* Owner, int Top, const wchar_t* Caption, TCheckBoxState State)
{
    auto* box = Put<TzCheckBox>(Page, Owner, 20, Top, 300, 20);
    box->SetCaption(Caption);
    box->SetAllowGrayed(State == cbGrayed);
    box->SetState(State);
    return box;
}

// A group box of radio buttons, the one at Checked checked.
void RadioGroup(TWinControl* Page, TComponent* Owner, int Left, int Top, const wchar_t* Caption,
                std::initializer_list<const wchar_t*> Items, int Checked)
{
    auto* group = Put<TzGroupBox>(Page, Owner, Left, Top, 170, 30 + 24 * int(Items.size()));
    group->SetCaption(Caption);
    int i = 0;
    for (const wchar_t* item : Items) {
        auto* radio = Put<TzRadioButton>(group, Owner, 12, 24 + 24 * i, 150, 20);
        radio->SetCaption(item);
        radio->SetChecked(i++ == Checked);
    }
}

// The left column (x 20 .. 400): check boxes.
void AddCheckBoxes(TWinControl* Page, TComponent* Owner)
{
    Heading(Page, Owner, 20, 12, L"Флажки");
    Check(Page, Owner, 36, L"&Запоминать пароль", cbChecked);
    Check(Page, Owner, 60, L"Входить автоматически", cbUnchecked);
    Check(Page, Owner, 84, L"Всплывающие окна · Αναδυόμενα", cbChecked);
    Check(Page, Owner, 108, L"Звуки (частично)", cbGrayed);
    Check(Page, Owner, 132, L"Только для чтения", cbChecked)->SetReadOnly(true);
    Check(Page, Owner, 156, L"Недоступный", cbUnchecked)->SetEnabled(false);
    Check(Page, Owner, 180, L"Подпись слева", cbChecked)->SetAlignment(taLeftJustify);
}

// The left column, below the check boxes: radio groups.
void AddRadioGroups(TWinControl* Page, TComponent* Owner)
{
    Heading(Page, Owner, 20, 216, L"Переключатели");
    RadioGroup(Page, Owner, 20, 240, L"Статус", {L"В сети", L"Отошёл", L"Не беспокоить"}, 0);
    RadioGroup(Page, Owner, 200, 240, L"Язык · Γλώσσα", {L"Русский", L"English", L"Ελληνικά"}, 2);
}

} // namespace

TWinControl* CreateSettingsPage(TGalleryForm* Form)
{
    auto* page = new TGallerySkinPage(Form);
    page->SetVisible(false);
    page->SetParent(Form);
    AddCheckBoxes(page, Form);
    AddRadioGroups(page, Form);
    return page;
}
