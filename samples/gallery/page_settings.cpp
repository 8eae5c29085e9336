// The page of settings as the program's options window shows them: check boxes and radio
// groups down the left column; choices from lists, labels, panels and progress bars in the
// right one. Each column is built by its own functions below. The page stands on the skin's
// panel colour; every control follows the skin chooser.
#include "gallery.h"
#include "skinctl/zcheckbox.h"
#include "skinctl/zcombobox.h"
#include "skinctl/zgroupbox.h"
#include "skinctl/zlabel.h"
#include "skinctl/zpanel.h"
#include "skinctl/zprogressbar.h"
#include "skinctl/zradiobutton.h"

namespace {

void Heading(TWinControl* Page, TComponent* Owner, int Left, int Top, const wchar_t* Text)
{
    auto* label = Put<TzLabel>(Page, Owner, Left, Top, 300, 18);
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

// The right column (x 440 .. 860): combo boxes, editable and drop-down lists, with Cyrillic
// and Greek items.
void AddChoices(TWinControl* Page, TComponent* Owner)
{
    Heading(Page, Owner, 440, 12, L"Списки");
    auto* city = Put<TzComboBox>(Page, Owner, 540, 40, 200, 24);
    for (const wchar_t* s : {L"Москва", L"Αθήνα", L"Новосибирск", L"Θεσσαλονίκη", L"Казань"})
        city->Items()->Add(s);
    city->SetText(L"Αθήνα");
    city->BoundLabel()->SetCaption("City:");
    city->BoundLabel()->SetActive(true);
    auto* language = Put<TzComboBox>(Page, Owner, 540, 72, 200, 24);
    language->SetStyle(csDropDownList);
    // Longer than the list shows at once: it opens with the skin's bars.
    for (const wchar_t* s : {L"Русский", L"Ελληνικά", L"Українська", L"Беларуская", L"Български", L"Српски",
                             L"Македонски", L"Қазақша", L"Кыргызча", L"Монгол", L"Татарча", L"Башҡортса",
                             L"Чӑвашла", L"Ирон", L"Тоҷикӣ", L"Ελληνικά (Κύπρος)", L"Ποντιακά", L"Русиньскый"})
        language->Items()->Add(s);
    language->SetItemIndex(1);
    language->BoundLabel()->SetCaption("Language:");
    language->BoundLabel()->SetActive(true);
    auto* status = Put<TzComboBox>(Page, Owner, 540, 104, 200, 24);
    status->SetStyle(csDropDownList);
    for (const wchar_t* s : {L"В сети", L"Отошёл", L"Не беспокоить"})
        status->Items()->Add(s);
    status->SetItemIndex(0);
    status->SetReadOnly(true);
    status->BoundLabel()->SetCaption("Read-only:");
    status->BoundLabel()->SetActive(true);
    auto* off = Put<TzComboBox>(Page, Owner, 540, 136, 200, 24);
    off->Items()->Add(L"Недоступно · Μη διαθέσιμο");
    off->SetItemIndex(0);
    off->SetEnabled(false);
}

// The right column, below the lists: labels and panels.
void AddLabelsAndPanels(TWinControl* Page, TComponent* Owner)
{
    Heading(Page, Owner, 440, 176, L"Надписи и панели");
    Put<TzLabel>(Page, Owner, 440, 200, 200, 16)->SetCaption(L"Цвет скина · Χρώμα του θέματος");
    auto* own = Put<TzLabel>(Page, Owner, 660, 200, 200, 16);
    own->SetCaption(L"Свой цвет");
    own->Font()->SetColor(TColor(0x2020C0));
    own->SetUseSkinColor(false);
    const TAlignment alignments[] = {taLeftJustify, taCenter, taRightJustify};
    const wchar_t* const captions[] = {L"Слева", L"По центру · Κέντρο", L"Справа"};
    for (int i = 0; i < 3; ++i) {
        auto* panel = Put<TzPanel>(Page, Owner, 440, 224 + i * 34, 200, 28);
        panel->SetCaption(captions[i]);
        panel->SetAlignment(alignments[i]);
        panel->SkinData()->SetSkinSection("PANEL_LOW");
    }
    // Labels on a panel that shows the page's picture inside its frame, one of them on a
    // section of its own.
    auto* card = Put<TzPanel>(Page, Owner, 660, 224, 200, 96);
    card->SetCaption(L"");
    card->SkinData()->SetSkinSection("GROUPBOX");
    auto* name = Put<TzLabel>(card, Owner, 10, 10, 180, 18);
    name->SetCaption(L"Алёна Петрова");
    name->Font()->SetStyle(fsBold);
    Put<TzLabel>(card, Owner, 10, 34, 180, 16)->SetCaption(L"Санкт-Петербург · Αθήνα");
    auto* tag = Put<TzLabel>(card, Owner, 10, 60, 120, 24);
    tag->SetAutoSize(false);
    tag->SetBounds(10, 60, 120, 24);
    tag->SetAlignment(taCenter);
    tag->SetLayout(tlCenter);
    tag->SetSkinSection("BUTTON");
    tag->SetCaption(L"В сети");
}

// The right column, at the bottom: progress bars.
void AddProgressBars(TWinControl* Page, TComponent* Owner)
{
    Heading(Page, Owner, 440, 336, L"Индикаторы");
    auto* blocks = Put<TzProgressBar>(Page, Owner, 440, 362, 300, 18);
    blocks->SetPosition(40);
    auto* smooth = Put<TzProgressBar>(Page, Owner, 440, 390, 300, 18);
    smooth->SetSmooth(true);
    smooth->SetMin(50);
    smooth->SetPosition(75);
    auto* empty = Put<TzProgressBar>(Page, Owner, 440, 418, 300, 18);
    empty->SetMax(0);
    auto* upright = Put<TzProgressBar>(Page, Owner, 760, 362, 20, 100);
    upright->SetOrientation(pbVertical);
    upright->SetPosition(70);
    auto* caption = Put<TzLabel>(Page, Owner, 440, 444, 300, 16);
    caption->SetCaption(L"40 %, 75 из 50..100 плавно, пустой диапазон; 70 % стоя");
}

} // namespace

TWinControl* CreateSettingsPage(TGalleryForm* Form)
{
    auto* page = NewGalleryPanel(Form);
    AddCheckBoxes(page, Form);
    AddRadioGroups(page, Form);
    AddChoices(page, Form);
    AddLabelsAndPanels(page, Form);
    AddProgressBars(page, Form);
    return page;
}
