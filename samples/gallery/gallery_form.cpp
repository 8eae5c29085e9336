#include "gallery.h"
#include "skin/zskinmanager.h"
#include "skin/zskinprovider.h"
#include "skinctl/zlabel.h"
#include "skinctl/zpanel.h"
#include "unicode/ucactnlist.h"
#include "unicode/ucmenus.h"

const std::vector<TGalleryPage>& GalleryPages()
{
    static const std::vector<TGalleryPage> pages{
        {L"&Элементы управления", ShortCut('1', ssCtrl), L"controls", &CreateUnicodeControlsPage},
        {L"&Текстовый файл", ShortCut('2', ssCtrl), L"text", &CreateTextFilePage},
        {L"&Скины", ShortCut('3', ssCtrl), L"skins", &CreateSkinsPage},
        {L"&Лист скина", ShortCut('4', ssCtrl), L"sheet", &CreateSkinSheetPage},
        {L"&Поля ввода", ShortCut('5', ssCtrl), L"edits", &CreateEditsPage},
        {L"&Кнопки", ShortCut('6', ssCtrl), L"buttons", &CreateButtonsPage},
        {L"&Вкладки", ShortCut('7', ssCtrl), L"tabs", &CreateTabsPage},
        {L"&Контакты", ShortCut('8', ssCtrl), L"contacts", &CreateContactsPage},
        {L"С&писки", ShortCut('9', ssCtrl), L"lists", &CreateListsPage},
        {L"&Настройки", ShortCut('0', ssCtrl), L"settings", &CreateSettingsPage},
        {L"&Чужие окна", ShortCut('F', ssCtrl | ssShift), L"foreign", &CreateForeignPage},
    };
    return pages;
}

Z_CLASS_IMPL(TGalleryPanel, TCustomControl)

TGalleryPanel::TGalleryPanel(TComponent* AOwner) : TCustomControl(AOwner)
{
    SetControlStyle(ControlStyle() | csAcceptsControls);
}

Z_CLASS_IMPL(TGallerySkinPage, TzPanel)

TGallerySkinPage::TGallerySkinPage(TComponent* AOwner) : TzPanel(AOwner)
{
    SetBevelOuter(bvNone);
    SetCaption(L"");
}

TColor TGallerySkinPage::TextColor() const
{
    TzCommonData* sd = SkinData();
    return sd->Skinned() ? TColor(sd->GetSkinManager()->Section(sd->SkinIndex).FontColor) : TColor(clWindowText);
}

void TGallerySkinPage::CreateWnd()
{
    TzPanel::CreateWnd();
    SkinFollowed(TextColor());
}

void TGallerySkinPage::SkinChanged(TWMSkinCommand& Command)
{
    TzPanel::SkinChanged(Command);
    if (Command.Command != SKCMD_NEWSKIN)
        SkinFollowed(TextColor());
}

TGallerySkinPage* NewGalleryPanel(TGalleryForm* Form)
{
    return PlacePage<TGallerySkinPage>(Form);
}

namespace {

TUcMenuItem* AddItem(TComponent* Owner, TMenuItem* Parent, const WideString& Caption, TShortCut Key = scNone,
                     const WideString& Hint = WideString())
{
    auto* item = new TUcMenuItem(Owner);
    item->SetCaption(Caption);
    item->SetShortCut(Key);
    item->SetHint(Hint);
    Parent->Add(item);
    return item;
}

} // namespace

Z_CLASS_IMPL(TGalleryForm, TUcForm)

TGalleryForm::TGalleryForm(TComponent* AOwner) : TUcForm(AOwner, CreateNew)
{
    // The form data names the skin manager and carries the built-in skin; reading it
    // applies that skin.
    TResourceStream data(GetModuleHandleW(nullptr), "GALLERYFORM", reinterpret_cast<const char*>(RT_RCDATA));
    data.ReadComponent(this);
    for (int i = 0; i < ComponentCount() && !FSkinManager; ++i)
        FSkinManager = dynamic_cast<TzSkinManager*>(Components(i));
    Font()->SetName("Tahoma");
    SetCaption(L"Zandrel — галерея");
    // Room for the skin's contact sheet: five columns of sections.
    SetClientSize(884, 660);

    // The status line: a label on a panel of its own along the bottom.
    auto* line = MakeComponent<TzPanel>(this);
    line->SetBevelOuter(bvNone);
    line->SetCaption(L"");
    line->SetParent(this);
    line->SetAlign(alBottom);
    line->SetHeight(22);
    auto* status = MakeComponent<TzLabel>(this);
    status->SetParent(line);
    status->SetAlign(alClient);
    status->SetAutoSize(false);
    status->SetLayout(tlCenter);
    SetControlWideText(status, L"Наведите указатель на пункт меню: здесь появится подсказка.");
    FStatus = status;

    for (const TGalleryPage& page : GalleryPages()) {
        TWinControl* control = page.Create(this);
        control->SetVisible(false);
        control->SetAlign(alClient);
        control->SetParent(this);
        FPages.push_back(control);
    }
    BuildMenu();
    // The frame, title bar and menu line are the skin's too.
    MakeComponent<TzSkinProvider>(this);
    ShowPage(0);
    Application->OnHint = MakeMethod<&TGalleryForm::ApplicationHint>(this);
}

TGalleryForm::~TGalleryForm()
{
    if (Application && Application->OnHint == MakeMethod<&TGalleryForm::ApplicationHint>(this))
        Application->OnHint = nullptr;
}

void TGalleryForm::BuildMenu()
{
    auto* menu = new TMainMenu(this);
    TMenuItem* root = menu->Items();

    auto* actions = new TActionList(this);
    auto* exit = new TUcAction(this);
    exit->SetActionList(actions);
    exit->SetCaption(L"В&ыход");
    exit->SetHint(L"Выход|Закрыть галерею");
    exit->SetShortCut(ShortCut('X', ssAlt));
    exit->SetOnExecute(MakeMethod<&TGalleryForm::ExitExecute>(this));

    TUcMenuItem* file = AddItem(this, root, L"&Файл");
    AddItem(this, file, L"&Открыть пример текста", ShortCut('O', ssCtrl), L"Открыть|Показать строки файла в UTF-8")
        ->OnClick = MakeMethod<&TGalleryForm::PageClick>(this);
    file->Items(0)->SetTag(1);
    AddItem(this, file, L"-");
    AddItem(this, file, WideString())->SetAction(exit);

    TUcMenuItem* edit = AddItem(this, root, L"&Правка");
    AddItem(this, edit, L"&Копировать", ShortCut('C', ssCtrl), L"Копировать|Скопировать выделенный текст")
        ->OnClick = MakeMethod<&TGalleryForm::CopyClick>(this);
    AddItem(this, edit, L"&Вставить", ShortCut('V', ssCtrl), L"Вставить|Вставить текст из буфера обмена")
        ->OnClick = MakeMethod<&TGalleryForm::PasteClick>(this);

    TUcMenuItem* view = AddItem(this, root, L"&Вид");
    const auto& pages = GalleryPages();
    for (size_t i = 0; i < pages.size(); ++i) {
        TUcMenuItem* item = AddItem(this, view, pages[i].Title, pages[i].ShortCut, L"Страница|Показать страницу");
        item->SetRadioItem(true);
        item->SetGroupIndex(1);
        item->SetTag(static_cast<int>(i));
        item->OnClick = MakeMethod<&TGalleryForm::PageClick>(this);
        FPageItems.push_back(item);
    }

    TUcMenuItem* help = AddItem(this, root, L"&Справка");
    AddItem(this, help, L"&О программе…", ShortCut(VK_F1, 0), L"О программе|Сведения о галерее")
        ->OnClick = MakeMethod<&TGalleryForm::AboutClick>(this);
    SetMenu(menu);
}

void TGalleryForm::ShowPage(int Index)
{
    if (Index < 0 || Index >= static_cast<int>(FPages.size()))
        return;
    FPageIndex = Index;
    for (size_t i = 0; i < FPages.size(); ++i)
        FPages[i]->SetVisible(static_cast<int>(i) == Index);
    if (static_cast<size_t>(Index) < FPageItems.size())
        FPageItems[static_cast<size_t>(Index)]->SetChecked(true);
}

void TGalleryForm::PageClick(TObject* Sender)
{
    ShowPage(static_cast<TComponent*>(Sender)->Tag());
}

void TGalleryForm::ExitExecute(TObject*)
{
    Close();
}

void TGalleryForm::AboutClick(TObject*)
{
    MessageBoxW(Handle(), L"Zandrel: элементы управления, меню и формы в Юникоде.", L"О программе",
                MB_OK | MB_ICONINFORMATION);
}

void TGalleryForm::CopyClick(TObject*)
{
    if (HWND focus = GetFocus())
        SendMessageW(focus, WM_COPY, 0, 0);
}

void TGalleryForm::PasteClick(TObject*)
{
    if (HWND focus = GetFocus())
        SendMessageW(focus, WM_PASTE, 0, 0);
}

void TGalleryForm::ApplicationHint(TObject*)
{
    if (FStatus && UcApplication)
        SetControlWideText(FStatus, UcApplication->Hint());
}
