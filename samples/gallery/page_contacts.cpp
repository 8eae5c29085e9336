// The contact list: a skinned Unicode tree of groups and contacts in several scripts (some
// characters beyond the Basic Multilingual Plane), a splitter between it and the memo of the
// conversation, a group box with the chosen contact's card, and a panel heading the page.
// Choosing a contact fills the card and the conversation. The page's own background takes the
// skin's panel colour, so that the see-through parts of the group box stand on it.
#include "gallery.h"
#include "skinctl/zpanel.h"
#include "skin/zcontrolutils.h"
#include "skin/zgraphics.h"
#include "skin/zskinmanager.h"
#include "skinctl/uctreeview.h"
#include "skinctl/zedit.h"
#include "skinctl/zgroupbox.h"
#include "skinctl/zmemo.h"
#include "skinctl/zsplitter.h"
#include "unicode/ucbuttons.h"
#include "unicode/ucextctrls.h"

namespace {

// A contact: the name shown, a status and a line of the last conversation.
struct TContact {
    const wchar_t* Name;
    const wchar_t* Status;
    const wchar_t* Said;
};

struct TGroup {
    const wchar_t* Name;
    std::vector<TContact> Contacts;
};

const std::vector<TGroup>& ContactGroups()
{
    static const std::vector<TGroup> groups{
        {L"Семья",
         {{L"Алёна Петрова", L"в сети", L"Привет! Как дела? Вечером созвонимся."},
          {L"Дмитрий Иванов", L"нет на месте", L"Съешь же ещё этих мягких французских булок."},
          {L"Бабушка Нина \U0001F475", L"не в сети", L"Пирожки готовы, приезжайте!"}}},
        {L"Φίλοι",
         {{L"Γιώργος Παπαδόπουλος", L"συνδεδεμένος", L"Γειά σου κόσμε! Τα λέμε αύριο."},
          {L"Ελένη", L"απασχολημένη", L"Καλημέρα \U0001F600"},
          {L"Νίκος", L"εκτός", L"Ξεσκεπάζω την ψυχοφθόρα βδελυγμία."}}},
        {L"同事 \U00020BB7",
         {{L"王小明", L"在线", L"你好，明天开会。"}, {L"李华 \U0001F4BC", L"忙碌", L"文件已经发给你了。"}}},
        {L"Работа",
         {{L"Ольга Сергеевна", L"на совещании", L"Отчёт нужен к пятнице."},
          {L"Пётр", L"в отпуске", L"Вернусь в понедельник."}}},
    };
    return groups;
}

// The page: it stands on the skin's panel colour, the picture its see-through children stand on.
class TContactsPage : public TGallerySkinPage {
    Z_CLASS(TContactsPage, TGallerySkinPage)
public:
    explicit TContactsPage(TComponent* AOwner) : TGallerySkinPage(AOwner) {}

    void Build(TGalleryForm* Form);

private:
    // A contact chosen in the tree: its card and its conversation.
    void ContactChange(TObject* Sender, TTreeNode* Node);

    TUcTreeView* FTree = nullptr;
    TzGroupBox* FCard = nullptr;
    TzEdit* FName = nullptr;
    TzEdit* FStatus = nullptr;
    TzMemo* FTalk = nullptr;
};

Z_CLASS_IMPL(TContactsPage, TGallerySkinPage)

void TContactsPage::ContactChange(TObject*, TTreeNode* Node)
{
    auto* node = TUcTreeNode::Typed(Node);
    const auto* contact = node ? static_cast<const TContact*>(node->Data()) : nullptr;
    if (!contact)
        return;
    FCard->SetCaption(L"Карточка · " + node->Text());
    FName->SetText(contact->Name);
    FStatus->SetText(contact->Status);
    FTalk->Lines()->Clear();
    for (int i = 0; i < 12; ++i)
        FTalk->Lines()->Add((i % 2 ? WideString(L"Я: ") : WideString(contact->Name) + L": ") + contact->Said);
}

void TContactsPage::Build(TGalleryForm* Form)
{
    // On the skin's panel too, so that the dark skin shows no light strip.
    auto* heading = Put<TzPanel>(this, Form, 0, 0, 100, 34);
    heading->SetAlign(alTop);
    heading->SetAlignment(taLeftJustify);
    heading->SetBevelOuter(bvNone);
    heading->SetCaption(L"  Контакты · Επαφές · 連絡先 · 𝔸𝔹ℂ");

    FCard = Put<TzGroupBox>(this, Form, 0, 0, 100, 112);
    FCard->SetAlign(alBottom);
    FName = Put<TzEdit>(FCard, Form, 90, 28, 240, 24);
    FName->BoundLabel()->SetCaption(WideToAnsi(L"Имя:"));
    FName->BoundLabel()->SetActive(true);
    FStatus = Put<TzEdit>(FCard, Form, 90, 64, 240, 24);
    FStatus->BoundLabel()->SetCaption(WideToAnsi(L"Статус:"));
    FStatus->BoundLabel()->SetActive(true);
    // The buttons paint their faces in the system's colours, whatever the skin: so does
    // their text.
    for (const auto& [top, caption] : {std::pair{28, L"&Написать ✉"}, std::pair{62, L"&Позвонить ☎"}}) {
        auto* button = Put<TUcSpeedButton>(FCard, Form, 360, top, 130, 26);
        button->SetCaption(caption);
        button->SetParentFont(false);
        button->Font()->SetColor(clBtnText);
    }

    FTree = Put<TUcTreeView>(this, Form, 0, 0, 290, 100);
    FTree->SetAlign(alLeft);
    FTree->SetHideSelection(false);
    {
        TUpdateScope<TTreeNodes> update(FTree->Items());
        for (const TGroup& g : ContactGroups()) {
            TUcTreeNode* group = FTree->Items()->Add(nullptr, g.Name);
            for (const TContact& c : g.Contacts)
                FTree->Items()->AddChildObject(group, c.Name, const_cast<TContact*>(&c));
        }
    }
    FTree->AlphaSort();
    FTree->FullExpand();

    auto* splitter = Put<TzSplitter>(this, Form, 290, 0, 6, 100);
    splitter->SetAlign(alLeft);
    splitter->SetResizeStyle(rsUpdate);

    FTalk = Put<TzMemo>(this, Form, 300, 0, 100, 100);
    FTalk->SetAlign(alClient);
    FTalk->SetScrollBars(ssVertical);
    // Filled before the page is laid out, wrapped lines would leave the view scrolled down.
    FTalk->SetWordWrap(false);

    FTree->OnChange = MakeMethod<&TContactsPage::ContactChange>(this);
    TUcTreeNode* first = FTree->Items()->GetFirstNode()->GetFirstChild();
    FTree->SetSelected(first);
    // Without a window yet, the tree tells of no change: the card is filled here.
    ContactChange(FTree, first);
}

} // namespace

TWinControl* CreateContactsPage(TGalleryForm* Form)
{
    auto* page = PlacePage<TContactsPage>(Form);
    page->Build(Form);
    return page;
}
