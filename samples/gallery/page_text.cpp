// The page of Unicode edits, memo, combo boxes and labels, all with Cyrillic text.
#include "gallery.h"
#include "skinctl/zcombobox.h"
#include "skinctl/zedit.h"
#include "skinctl/zlabel.h"
#include "skinctl/zmemo.h"
#include "skinctl/zpanel.h"

namespace {

template <class T> T* Put(TWinControl* Page, int Left, int Top, int Width, int Height)
{
    auto* c = MakeComponent<T>(Page->Owner());
    c->SetParent(Page);
    c->SetBounds(Left, Top, Width, Height);
    return c;
}

TzLabel* Caption(TWinControl* Page, int Top, const WideString& Text, TWinControl* Focus)
{
    auto* label = Put<TzLabel>(Page, 16, Top + 4, 120, 20);
    SetControlWideText(label, Text);
    label->SetFocusControl(Focus);
    return label;
}

} // namespace

TWinControl* CreateUnicodeControlsPage(TGalleryForm* Form)
{
    auto* Page = NewGalleryPanel(Form);
    auto* title = Put<TzLabel>(Page, 16, 12, 460, 24);
    title->Font()->SetSize(12);
    title->Font()->SetStyle(fsBold);
    SetControlWideText(title, L"Элементы управления в Юникоде");

    auto* name = Put<TzEdit>(Page, 150, 48, 300, 24);
    SetControlWideText(name, L"Алёна Петрова");
    Caption(Page, 48, L"&Имя:", name);

    auto* password = Put<TzEdit>(Page, 150, 80, 300, 24);
    password->SetWidePasswordChar(0x25CF);
    SetControlWideText(password, L"секрет");
    Caption(Page, 80, L"&Пароль:", password);

    auto* notes = Put<TzMemo>(Page, 150, 112, 300, 84);
    notes->SetScrollBars(ssVertical);
    notes->Lines()->Add(L"Новое сообщение от Дмитрия:");
    notes->Lines()->Add(L"«Привет, как дела?»");
    notes->Lines()->Add(L"Ответить вечером — ёлка, щука, съел.");
    Caption(Page, 112, L"&Заметки:", notes);

    auto* city = Put<TzComboBox>(Page, 150, 206, 300, 24);
    for (const wchar_t* s : {L"Москва", L"Санкт-Петербург", L"Казань", L"Новосибирск"})
        city->Items()->Add(s);
    city->SetItemIndex(1);
    Caption(Page, 206, L"&Город:", city);

    auto* language = Put<TzComboBox>(Page, 150, 240, 300, 24);
    language->SetStyle(csDropDownList);
    for (const wchar_t* s : {L"Русский", L"Українська", L"Беларуская"})
        language->Items()->Add(s);
    language->SetItemIndex(0);
    Caption(Page, 240, L"&Язык:", language);

    auto* off = Caption(Page, 280, L"Недоступно: только чтение", nullptr);
    off->SetWidth(300);
    off->SetEnabled(false);
    return Page;
}
