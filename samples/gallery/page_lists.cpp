// The lists page: the contact list as a skinned report list view (name, status, last
// message) in several scripts with status marks, the chats in a skinned list box beside it,
// and below them the status line as a skinned status bar with panels (connection, unread
// count, the chosen contact) and a size grip. Choosing a contact shows it in the status line.
#include "gallery.h"
#include "classlib/imglist.h"
#include "skinctl/zlistbox.h"
#include "skinctl/zlistview.h"
#include "skinctl/zsplitter.h"
#include "skinctl/zstatusbar.h"

namespace {

struct TListContact {
    const wchar_t* Name;
    int Status;   // the status mark: online, away, busy, offline
    const wchar_t* StatusText;
    const wchar_t* Said;
};

const TListContact Contacts[] = {
    {L"Алёна Петрова", 0, L"в сети", L"Привет! Как дела? Вечером созвонимся."},
    {L"Γιώργος Παπαδόπουλος", 1, L"λείπει", L"Γειά σου κόσμε! Τα λέμε αύριο."},
    {L"王小明", 2, L"忙碌", L"你好，明天开会。"},
    {L"Дмитрий Иванов", 3, L"не в сети", L"Съешь же ещё этих мягких французских булок."},
    {L"Ελένη", 0, L"συνδεδεμένη", L"Καλημέρα \U0001F600"},
    {L"Ольга Сергеевна", 2, L"на совещании", L"Отчёт нужен к пятнице."},
    {L"李华 \U0001F4BC", 0, L"在线", L"文件已经发给你了。"},
    {L"Пётр", 1, L"отошёл", L"Вернусь в понедельник."},
    {L"Νίκος", 3, L"εκτός", L"Ξεσκεπάζω την ψυχοφθόρα βδελυγμία."},
    {L"Бабушка Нина \U0001F475", 3, L"не в сети", L"Пирожки готовы, приезжайте!"},
};

// Round status marks: online, away, busy, offline.
TImageList* StatusMarks(TComponent* Owner)
{
    auto* list = new TImageList(Owner);
    list->SetWidth(12);
    list->SetHeight(12);
    TBitmap strip;
    strip.SetPixelFormat(pf24bit);
    strip.SetSize(48, 12);
    TCanvas* c = strip.Canvas();
    c->Brush()->SetColor(clFuchsia);
    c->FillRect(TRect(0, 0, 48, 12));
    const TColor marks[] = {TColor(0x30B040), TColor(0x20B0F0), TColor(0x3040E0), TColor(0x909090)};
    for (int i = 0; i < 4; ++i) {
        c->Brush()->SetColor(marks[i]);
        c->Pen()->SetColor(TColor(0x303030));
        c->Ellipse(i * 12 + 1, 1, i * 12 + 11, 11);
    }
    list->AddMasked(&strip, clFuchsia);
    return list;
}

// The page's controls and what choosing a contact does.
class TListsPage : public TGalleryPanel {
    Z_CLASS(TListsPage, TGalleryPanel)
public:
    explicit TListsPage(TComponent* AOwner) : TGalleryPanel(AOwner) {}
    void Build(TGalleryForm* Form);

private:
    void ContactSelected(TObject*, TListItem* Item, bool Selected)
    {
        if (Selected && Item)
            FStatus->Panels()->Items(2)->SetText(L"Выбран: " + ListItemWideText(Item, 0));
    }
    TzListView* FContacts = nullptr;
    TzStatusBar* FStatus = nullptr;
};

Z_CLASS_IMPL(TListsPage, TGalleryPanel)

void TListsPage::Build(TGalleryForm* Form)
{
    FStatus = Put<TzStatusBar>(this, Form, 0, 0, 100, 24);
    FStatus->SetAlign(alBottom);
    for (const auto& [text, width, alignment] : {std::tuple{L"● Подключено", 130, taLeftJustify},
                                                  std::tuple{L"Непрочитанных: 3", 140, taCenter},
                                                  std::tuple{L"", 0, taLeftJustify}}) {
        TUcStatusPanel* panel = FStatus->Panels()->Add();
        panel->SetText(text);
        panel->SetWidth(width);
        panel->SetAlignment(alignment);
    }
    FStatus->SetSizeGrip(true);

    auto* chats = Put<TzListBox>(this, Form, 0, 0, 200, 100);
    chats->SetAlign(alLeft);
    // The list box's texts are ANSI: chats in the code page's letters.
    for (const wchar_t* chat : {L"Семья (3)", L"Работа", L"Друзья", L"Коллеги · отдел продаж", L"Алёна Петрова",
                                L"Дача", L"Книжный клуб", L"Уроки греческого", L"Футбол по субботам"})
        chats->Items()->Add(WideToAnsi(chat));
    chats->SetItemIndex(0);

    Put<TzSplitter>(this, Form, 200, 0, 5, 100)->SetAlign(alLeft);

    FContacts = Put<TzListView>(this, Form, 205, 0, 100, 100);
    FContacts->SetAlign(alClient);
    FContacts->SetViewStyle(vsReport);
    FContacts->SetRowSelect(true);
    FContacts->SetHideSelection(false);
    FContacts->SetSmallImages(StatusMarks(Form));
    for (const auto& [caption, width] : {std::pair{L"Имя · Όνομα · 名字", 190}, std::pair{L"Статус", 110},
                                         std::pair{L"Последнее сообщение", 320}}) {
        TUcListColumn* column = FContacts->Columns()->Add();
        column->SetCaption(caption);
        column->SetWidth(width);
    }
    {
        TUpdateScope<TListItems> update(FContacts->Items());
        for (const TListContact& c : Contacts) {
            TUcListItem* item = FContacts->Items()->Add();
            item->SetCaption(c.Name);
            item->SetImageIndex(c.Status);
            item->SubItems()->Add(c.StatusText);
            item->SubItems()->Add(c.Said);
        }
    }
    FContacts->OnSelectItem = MakeMethod<&TListsPage::ContactSelected>(this);
    FContacts->SetSelected(FContacts->Items()->Item(0));
    ContactSelected(FContacts, FContacts->Selected(), true);
}

} // namespace

TWinControl* CreateListsPage(TGalleryForm* Form)
{
    auto* page = new TListsPage(Form);
    page->SetVisible(false);
    page->SetParent(Form);
    page->Build(Form);
    return page;
}
