// The page of skinned tabs: a chat window's strip with more conversations than fit (its own
// up-down scrolls it), tabs at the bottom, tabs at the left with rotated captions and status
// images, and an up-down that steps a number in an edit. Every control follows the skin
// chooser.
#include "gallery.h"
#include "classlib/imglist.h"
#include "skinctl/zedit.h"
#include "skinctl/zmemo.h"
#include "skinctl/zpanel.h"
#include "skinctl/ztabcontrol.h"
#include "skinctl/zupdown.h"

namespace {

TzTabControl* Tabs(TWinControl* Parent, TComponent* Owner, TRect Bounds, TTabPosition Position,
                   std::initializer_list<const wchar_t*> Captions, int Selected)
{
    auto* tabs = Put<TzTabControl>(Parent, Owner, Bounds.Left, Bounds.Top, Bounds.Width(), Bounds.Height());
    tabs->SetTabPosition(Position);
    for (const wchar_t* caption : Captions)
        tabs->Tabs()->Add(caption);
    tabs->SetTabIndex(Selected);
    return tabs;
}

TzMemo* Conversation(TzTabControl* Tabs, TComponent* Owner, std::initializer_list<const wchar_t*> Lines)
{
    auto* memo = Put<TzMemo>(Tabs, Owner, 0, 0, 10, 10);
    memo->SetAlign(alClient);
    memo->SetScrollBars(ssVertical);
    for (const wchar_t* line : Lines)
        memo->Lines()->Add(line);
    return memo;
}

// Round status marks: online, away, busy, offline.
TImageList* StatusImages(TComponent* Owner)
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

} // namespace

TWinControl* CreateTabsPage(TGalleryForm* Form)
{
    auto* page = NewGalleryPanel(Form);

    // The chat window: one tab a conversation, far more than the strip holds.
    auto* chat = Tabs(page, Form, TRect(16, 16, 556, 236), tpTop,
                      {L"Алёна", L"Дмитрий Соколов", L"Ελένη", L"Ольга", L"Сергей Иванов", L"Татьяна",
                       L"Γιώργος", L"Иван", L"Пётр Смирнов", L"Анна", L"Μαρία", L"Николай"},
                      4);
    Conversation(chat, Form,
                 {L"Сергей Иванов (12:01): Привет! Ты сегодня в сети?", L"Я (12:02): Да, весь вечер.",
                  L"Сергей Иванов (12:03): Отлично — созвонимся после восьми."});

    auto* mail = Tabs(page, Form, TRect(16, 256, 416, 436), tpBottom,
                      {L"Входящие", L"Отправленные", L"Черновики"}, 0);
    Conversation(mail, Form, {L"Алёна: Фотографии с дачи", L"Дмитрий: Завтра в девять?"});

    auto* groups = Tabs(page, Form, TRect(436, 256, 716, 476), tpLeft, {L"Друзья", L"Работа", L"Ελληνικά"}, 1);
    groups->SetImages(StatusImages(Form));
    Conversation(groups, Form, {L"Работа: 4 в сети", L"Ольга — на встрече", L"Пётр — не в сети"});

    // A number stepped by the arrows beside it.
    auto* count = Put<TzEdit>(page, Form, 600, 40, 80, 24);
    count->SetText(L"5");
    count->BoundLabel()->SetCaption(WideToAnsi(L"Окон чата:"));
    count->BoundLabel()->SetLayout(sclTopLeft);
    count->BoundLabel()->SetActive(true);
    auto* arrows = Put<TzUpDown>(page, Form, 680, 40, 17, 24);
    arrows->SetMin(1);
    arrows->SetMax(20);
    arrows->SetPosition(5);
    arrows->SetAssociate(count);
    return page;
}
