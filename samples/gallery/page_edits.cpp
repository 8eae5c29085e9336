// The page of skinned edits: plain, password, read-only and disabled edits with their bound
// labels, a memo with scroll bars, and a splitter between the two panes that resizes the
// left one. Every control follows the skin chooser.
#include "gallery.h"
#include "skinctl/zedit.h"
#include "skinctl/zmemo.h"
#include "skinctl/zsplitter.h"

namespace {

template <class T> T* Put(TWinControl* Parent, TComponent* Owner, int Left, int Top, int Width, int Height)
{
    T* c = MakeComponent<T>(Owner);
    c->SetBounds(Left, Top, Width, Height);
    c->SetParent(Parent);
    return c;
}

// An edit with its caption as a bound label on its left.
TzEdit* LabelledEdit(TWinControl* Pane, TComponent* Owner, int Top, const wchar_t* Caption, const WideString& Text)
{
    auto* edit = Put<TzEdit>(Pane, Owner, 130, Top, 220, 24);
    edit->SetText(Text);
    edit->BoundLabel()->SetCaption(WideToAnsi(Caption));
    edit->BoundLabel()->SetActive(true);
    return edit;
}

} // namespace

TWinControl* CreateEditsPage(TGalleryForm* Form)
{
    TGalleryPanel* page = NewGalleryPanel(Form);

    auto* fields = Put<TGalleryPanel>(page, Form, 0, 0, 380, 100);
    fields->SetAlign(alLeft);
    LabelledEdit(fields, Form, 20, L"Имя:", L"Алёна Петрова");
    LabelledEdit(fields, Form, 56, L"Пароль:", L"секрет")->SetWidePasswordChar(0x25CF);
    LabelledEdit(fields, Form, 92, L"Почта:", L"alena@example.ru")->SetReadOnly(true);
    LabelledEdit(fields, Form, 128, L"Город:", L"Новосибирск")->SetEnabled(false);
    LabelledEdit(fields, Form, 164, L"Заметка:", L"Ελληνικά και русский");

    auto* splitter = Put<TzSplitter>(page, Form, 380, 0, 6, 100);
    splitter->SetAlign(alLeft);
    splitter->SetResizeStyle(rsUpdate);

    auto* notes = Put<TzMemo>(page, Form, 400, 0, 300, 100);
    notes->SetAlign(alClient);
    notes->SetScrollBars(ssBoth);
    notes->SetWordWrap(false);
    for (int i = 1; i <= 30; ++i)
        notes->Lines()->Add(L"Строка " + std::to_wstring(i) + L": съешь же ещё этих мягких французских булок, да выпей чаю");
    return page;
}
