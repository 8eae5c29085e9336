// The soak: a form holding every skinned control, the adapters of foreign windows and the
// Unicode controls, whose skin is switched among our folder and packed skins, the built-in skin
// and no skin while the drawing objects, the windows and the memory manager's blocks and bytes
// are counted (briefly by the soak test, long by bench/soak). The form is read from the
// gallery's form data, whose skin manager holds the built-in skin and applies it at load.
#pragma once

#include "gdicount.h"
#include "classlib/imglist.h"
#include "classlib/memmgr.h"
#include "classlib/menus.h"
#include "skin/zclientwnd.h"
#include "skin/zpaintwnd.h"
#include "skin/zgraphics.h"
#include "skin/zskinmanager.h"
#include "skin/zskinprovider.h"
#include "skinctl/uctreeview.h"
#include "skinctl/zbitbtn.h"
#include "skinctl/zbutton.h"
#include "skinctl/zcheckbox.h"
#include "skinctl/zcombobox.h"
#include "skinctl/zradiobutton.h"
#include "skinctl/zedit.h"
#include "skinctl/zskinctl.h"
#include "skinctl/zgroupbox.h"
#include "skinctl/zlabel.h"
#include "skinctl/zlistbox.h"
#include "skinctl/zlistview.h"
#include "skinctl/zmemo.h"
#include "skinctl/zpanel.h"
#include "skinctl/zprogressbar.h"
#include "skinctl/zspeedbutton.h"
#include "skinctl/zspinedit.h"
#include "skinctl/zsplitter.h"
#include "skinctl/zstatusbar.h"
#include "skinctl/ztabcontrol.h"
#include "skinctl/ztreeview.h"
#include "skinctl/zupdown.h"
#include "unicode/ucbuttons.h"
#include "unicode/ucextctrls.h"
#include "unicode/ucforms.h"
#include "unicode/ucmenus.h"

#include <commctrl.h>

#include <cstdint>
#include <memory>
#include <ostream>
#include <utility>
#include <vector>

// The windows and menus of this process. Wine's USER handles, like its drawing objects, are
// table indexes in the low word, and its GetGuiResources answers 0 for them too.
inline int SoakUserObjects()
{
    if (DWORD n = GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS))
        return static_cast<int>(n);
    const DWORD self = GetCurrentProcessId();
    int count = 0;
    // Wine's first USER handle is 0x20, and they go in steps of two.
    for (UINT_PTR i = 0x20; i < 0x10000; i += 2) {
        DWORD pid = 0;
        const HWND wnd = reinterpret_cast<HWND>(i);
        count += IsWindow(wnd) ? (GetWindowThreadProcessId(wnd, &pid) && pid == self) : IsMenu(HMENU(wnd)) != 0;
    }
    return count;
}

struct TSoakCounts {
    int GdiObjects = 0;
    int UserObjects = 0;
    uint32_t HeapBlocks = 0;   // the memory manager's blocks in use, small and large
    uint64_t HeapBytes = 0;    // and the bytes they hold
    bool operator==(const TSoakCounts&) const = default;
};

inline TSoakCounts SoakCounts()
{
    const TMemMgrState heap = MemMgrState();
    return TSoakCounts{GdiObjectCount(), SoakUserObjects(), heap.SmallBlocksInUse + heap.LargeBlocksInUse,
                       heap.BytesInUse};
}

inline std::ostream& operator<<(std::ostream& S, const TSoakCounts& C)
{
    return S << "GDI objects " << C.GdiObjects << ", USER objects " << C.UserObjects << ", heap blocks "
             << C.HeapBlocks << ", heap bytes " << C.HeapBytes;
}

// A pane holding system windows that know nothing of skins (a list box, a combo box, a
// report list view, or the small windows of a dialog: a static, buttons, a check box, radio
// buttons, a group box, an up-down, a tool bar), which their window adapters skin while a
// skin is applied: the pane answers the skin commands as a skinned control would, and makes
// the adapters anew at each refresh.
class TSoakForeignPane : public TCustomControl {
public:
    enum TKind { fkListBox, fkComboBox, fkListView, fkSmall };
    TSoakForeignPane(TComponent* AOwner, TKind Kind) : TCustomControl(AOwner), FKind(Kind) {}

protected:
    void CreateWnd() override
    {
        TCustomControl::CreateWnd();
        if (FKind == fkSmall) {
            CreateSmall();
            FollowSkin();
            return;
        }
        static const wchar_t* const classes[] = {L"LISTBOX", L"COMBOBOX", WC_LISTVIEWW};
        static const DWORD styles[] = {WS_BORDER | WS_VSCROLL | LBS_NOINTEGRALHEIGHT, CBS_DROPDOWNLIST | WS_VSCROLL,
                                       WS_BORDER | LVS_REPORT};
        FForeign = Make(classes[FKind], styles[FKind], nullptr, TRect(0, 0, Width(), FKind == fkComboBox ? 200 : Height()));
        const wchar_t* const names[] = {L"Алёна", L"Ελένη", L"Дмитрий", L"Γιώργος", L"王小明", L"Ольга"};
        for (const wchar_t* column : {L"Имя", L"Статус"}) {
            LVCOLUMNW col{LVCF_TEXT | LVCF_WIDTH, 0, 90, const_cast<wchar_t*>(column)};
            if (FKind == fkListView)   // after the columns there are
                SendMessageW(FForeign, LVM_INSERTCOLUMNW, 0x7FFF, LPARAM(&col));
        }
        for (int i = 0; i < 30; ++i) {
            LVITEMW item{LVIF_TEXT, i, 0, 0, 0, const_cast<wchar_t*>(names[i % 6])};
            if (FKind == fkListView)
                SendMessageW(FForeign, LVM_INSERTITEMW, 0, LPARAM(&item));
            else
                SendMessageW(FForeign, FKind == fkListBox ? LB_ADDSTRING : CB_ADDSTRING, 0, LPARAM(item.pszText));
        }
        SendMessageW(FForeign, FKind == fkComboBox ? CB_SETCURSEL : LB_SETCURSEL, 2, 0);
        FollowSkin();
    }
    void WndProc(TMessage& M) override
    {
        if (FollowSkinCommands(M, [this] { FollowSkin(); }, [this] { FAdapters.clear(); }))
            return;
        TCustomControl::WndProc(M);
    }

private:
    HWND Make(const wchar_t* Class, DWORD Style, const wchar_t* Text, const TRect& B)
    {
        HWND w = CreateWindowExW(0, Class, Text, WS_CHILD | WS_VISIBLE | Style, B.Left, B.Top, B.Width(), B.Height(),
                                 Handle(), nullptr, GetModuleHandleW(nullptr), nullptr);
        SendMessageW(w, WM_SETFONT, WPARAM(GetStockObject(DEFAULT_GUI_FONT)), 0);
        return w;
    }
    void CreateSmall()
    {
        FSmall = {Make(L"STATIC", SS_LEFT, L"Статика · Στατικό", TRect(2, 2, 146, 16)),
                  Make(L"BUTTON", BS_PUSHBUTTON, L"Кнопка", TRect(2, 18, 70, 40)),
                  Make(L"BUTTON", BS_AUTOCHECKBOX, L"Флажок", TRect(74, 18, 146, 30)),
                  Make(L"BUTTON", BS_AUTORADIOBUTTON, L"Ναι", TRect(74, 30, 146, 42)),
                  Make(L"BUTTON", BS_GROUPBOX, L"Группа", TRect(2, 42, 100, 68)),
                  Make(UPDOWN_CLASSW, 0, nullptr, TRect(104, 44, 120, 68)),
                  Make(TOOLBARCLASSNAMEW, TBSTYLE_FLAT | CCS_NORESIZE | CCS_NODIVIDER, nullptr, TRect(122, 44, 146, 68))};
    }
    template <class T> void Adapt(HWND Wnd, const char* Section)
    {
        FAdapters.push_back(CreateAdapter<T>(Wnd, nullptr, DefaultManager, Section, true));
        FAdapters.back()->AfterCreation();
    }
    void FollowSkin()
    {
        FAdapters.clear();
        TzSkinManager* m = DefaultManager;
        if (!HandleAllocated() || !m || !m->SkinData().Active)
            return;
        switch (FKind) {
        case fkListBox: Adapt<TSkEditWnd>(FForeign, "EDIT"); break;
        case fkComboBox: Adapt<TSkComboBoxWnd>(FForeign, "COMBOBOX"); break;
        case fkListView: Adapt<TSkListViewWnd>(FForeign, "EDIT"); break;
        case fkSmall:
            Adapt<TSkStaticWnd>(FSmall[0], "CHECKBOX");
            Adapt<TSkBtnWnd>(FSmall[1], "BUTTON");
            Adapt<TSkCheckBoxWnd>(FSmall[2], "CHECKBOX");
            Adapt<TSkCheckBoxWnd>(FSmall[3], "CHECKBOX");
            Adapt<TSkGroupBoxWnd>(FSmall[4], "GROUPBOX");
            Adapt<TSkSpinWnd>(FSmall[5], "SPEEDBUTTON_SMALL");
            Adapt<TSkToolBarWnd>(FSmall[6], "BAR");
            break;
        }
    }

    TKind FKind;
    HWND FForeign = nullptr;
    std::vector<HWND> FSmall;
    std::vector<std::unique_ptr<TSkMainWnd>> FAdapters;
};

// Where the skins are: the gallery's form data (with the built-in skin), the folder of our
// skins as folders and the folder of our packed skins.
struct TSoakPlaces {
    WideString FormData;
    WideString FolderSkins;
    WideString PackedSkins;
};

class TSoakRig {
public:
    // The looks switched among, ten a round, so that every count taken after whole rounds
    // meets the same look (the built-in skin, the one the form starts with) and every kind of
    // skin follows several others.
    enum TSource { ssNone, ssFolder, ssPacked, ssBuiltIn };
    struct TLook {
        TSource Source;
        const wchar_t* Name;
    };
    static constexpr int RoundLength = 10;
    static constexpr TLook Looks[RoundLength] = {
        {ssNone, nullptr},          {ssFolder, L"ZandrelDawn"}, {ssFolder, L"ZandrelDusk"}, {ssPacked, L"ZandrelDawn"},
        {ssPacked, L"ZandrelDusk"}, {ssNone, nullptr},          {ssPacked, L"ZandrelDusk"}, {ssBuiltIn, L"Zandrel"},
        {ssFolder, L"ZandrelDawn"}, {ssBuiltIn, L"Zandrel"}};

    explicit TSoakRig(const TSoakPlaces& Places) : FPlaces(Places)
    {
        FForm = new TUcForm(Application, TUcForm::CreateNew);
        TUcMemoryStream data;
        data.LoadFromFile(Places.FormData);
        data.ReadComponent(FForm);
        for (int i = 0; i < FForm->ComponentCount() && !FManager; ++i)
            FManager = dynamic_cast<TzSkinManager*>(FForm->Components(i));
        if (!FManager)
            throw Exception("the form data holds no skin manager");
        FForm->SetBounds(20, 4, 820, 752);
        FForm->HandleNeeded();
        Build();
        // The frame, title bar and menu line are the skin's too.
        auto* menu = new TMainMenu(FForm);
        for (const wchar_t* caption : {L"&Файл", L"&Правка", L"&Вид"}) {
            auto* item = new TUcMenuItem(FForm);
            item->SetCaption(caption);
            menu->Items()->Add(item);
        }
        FForm->SetMenu(menu);
        MakeComponent<TzSkinProvider>(FForm);
    }
    ~TSoakRig() { delete FForm; }
    TSoakRig(const TSoakRig&) = delete;
    TSoakRig& operator=(const TSoakRig&) = delete;

    TzSkinManager* Manager() const { return FManager; }
    void Show()
    {
        FForm->Show();
        Settle();
    }

    // The look of switch number N (counted from 1) applied, as the options page applies a
    // skin (the manager off, the skin named, the manager on), and the whole form painted.
    void Switch(int N)
    {
        ApplyLook(N);
        PaintAll();
    }
    // The two halves of a switch, timed apart by the benchmark: the skin's change itself (with
    // the one redraw of the forms that ends it) ...
    void ApplyLook(int N)
    {
        const TLook& look = Looks[(N - 1) % RoundLength];
        FManager->SetActive(false);
        if (look.Source != ssNone) {
            FManager->SetSkinDirectory(look.Source == ssPacked ? FPlaces.PackedSkins : FPlaces.FolderSkins);
            FManager->SetSkinName(look.Name);
            FManager->SetActive(true);
        }
        Application->ProcessMessages();
    }
    // ... and the whole form painted once more, the long list opened and closed.
    void PaintAll()
    {
        Settle();
        FLongList->SetDroppedDown(true);
        Application->ProcessMessages();
        FLongList->SetDroppedDown(false);
    }

    // True when the look of switch N is what the manager has now.
    bool Shows(int N) const
    {
        const TLook& look = Looks[(N - 1) % RoundLength];
        if (look.Source == ssNone)
            return !FManager->SkinData().Active;
        return FManager->SkinData().Active && FManager->SkinName() == look.Name &&
               (look.Source == ssBuiltIn) == FManager->SkinData().SkinPath.empty();
    }

private:
    // A control made as the program makes one, on Parent, with its text or caption.
    template <class T> T* Put(TWinControl* Parent, int X, int Y, int W, int H, const wchar_t* Text = nullptr)
    {
        T* c = MakeComponent<T>(FForm);
        c->SetBounds(X, Y, W, H);
        c->SetParent(Parent);
        if constexpr (std::is_base_of_v<TCustomEdit, T>)
            c->SetText(Text ? Text : L"");
        else if constexpr (requires { c->SetCaption(WideString()); })
            c->SetCaption(Text ? Text : L"");
        return c;
    }
    static std::unique_ptr<TBitmap> Glyph(TColor Fill)
    {
        auto bmp = std::make_unique<TBitmap>();
        bmp->SetPixelFormat(pf24bit);
        bmp->SetSize(16, 16);
        FillBmpRect(bmp.get(), TRect(0, 0, 16, 16), clFuchsia);
        FillBmpRect(bmp.get(), TRect(3, 3, 13, 13), Fill);
        return bmp;
    }

    void Build()
    {
        auto* images = new TImageList(FForm);   // 16 x 16
        for (TColor c : {TColor(0x2090E0), TColor(0x30B040)})
            images->AddMasked(Glyph(c).get(), clFuchsia);

        // The status line below everything: panels in three scripts.
        auto* status = Put<TzStatusBar>(FForm, 0, 0, 100, 24);
        status->SetAlign(alBottom);
        for (const auto& [text, width] : {std::pair{L"В сети", 90}, std::pair{L"Νέα: 3", 90}, std::pair{L"中文", 0}}) {
            TUcStatusPanel* p = status->Panels()->Add();
            p->SetText(text);
            p->SetWidth(width);
        }
        BuildBottomPanel();

        // Left: the trees, a splitter after each, then the rest.
        auto* tree = Put<TzTreeView>(FForm, 0, 0, 160, 100);
        for (const char* group : {"Family", "Friends", "Work"}) {
            TTreeNode* g = tree->Items()->Add(nullptr, group);
            for (int i = 0; i < 8; ++i)
                tree->Items()->AddChild(g, AnsiString(group) + " " + std::to_string(i));
        }
        auto* ucTree = Put<TUcTreeView>(FForm, 166, 0, 160, 100);
        for (const wchar_t* group : {L"Семья", L"Φίλοι", L"同事 \U00020BB7"}) {
            TUcTreeNode* g = ucTree->Items()->Add(nullptr, group);
            for (const wchar_t* name : {L"Алёна", L"Ελένη", L"王小明", L"Пётр \U0001F600"})
                ucTree->Items()->AddChild(g, name);
        }
        for (TCustomTreeView* t : std::initializer_list<TCustomTreeView*>{tree, ucTree}) {
            t->FullExpand();
            t->SetAlign(alLeft);
            Put<TzSplitter>(FForm, t->Left() + t->Width(), 0, 6, 100)->SetAlign(alLeft);
        }
        auto* rest = Put<TUcPanel>(FForm, 332, 0, 488, 100, L"");
        rest->SetAlign(alClient);

        // Edits, a memo, spin edits, an up-down.
        auto* name = Put<TzEdit>(rest, 70, 8, 160, 24, L"Алёна Петрова");
        name->BoundLabel()->SetCaption("Name:");
        name->BoundLabel()->SetActive(true);
        Put<TzEdit>(rest, 70, 38, 160, 24, L"секрет")->SetWidePasswordChar(0x25CF);
        auto* arrows = Put<TzUpDown>(rest, 310, 8, 17, 24);
        arrows->SetPosition(5);
        arrows->SetAssociate(Put<TzEdit>(rest, 250, 8, 60, 24, L"5"));
        Put<TzSpinEdit>(rest, 340, 8, 80, 24)->SetValue(42);
        Put<TzDecimalSpinEdit>(rest, 340, 38, 80, 24)->SetValue(12.5);
        Put<TzSpinButton>(rest, 430, 8, 20, 40);
        auto* memo = Put<TzMemo>(rest, 8, 70, 220, 110);
        memo->SetScrollBars(ssBoth);
        memo->SetWordWrap(false);
        for (int i = 1; i <= 40; ++i)
            memo->Lines()->Add(L"Строка " + std::to_wstring(i) + L": Ελληνικά и русский — 中文");

        // Buttons of every kind.
        Put<TzButton>(rest, 240, 70, 90, 28, L"ОК")->SetDefault(true);
        Put<TzButton>(rest, 340, 70, 90, 28, L"Недоступна")->SetEnabled(false);
        Put<TzBitBtn>(rest, 240, 104, 110, 32, L"Слева")->SetGlyph(Glyph(TColor(0x3A8E2E)).get());
        auto* listed = Put<TzBitBtn>(rest, 360, 104, 110, 32, L"Список");
        listed->SetImages(images);
        listed->SetImageIndex(0);
        int x = 240;
        for (TToolButtonStyle style : {tbsButton, tbsCheck, tbsSeparator, tbsDivider, tbsDropDown}) {
            const bool thin = style == tbsSeparator || style == tbsDivider;
            auto* b = Put<TzSpeedButton>(rest, x, 142, thin ? 8 : 60, 28, thin ? nullptr : L"Кнопка");
            b->SetButtonStyle(style);
            b->SetImages(thin ? nullptr : images);
            b->SetImageIndex(1);
            b->SetChecked(style == tbsCheck);
            if (style == tbsDropDown) {
                auto* menu = new TPopupMenu(FForm);
                for (const wchar_t* s : {L"В сети", L"Отошёл"}) {
                    auto* item = new TUcMenuItem(FForm);
                    item->SetCaption(s);
                    menu->Items()->Add(item);
                }
                b->SetDropdownMenu(menu);
            }
            x += thin ? 8 : 62;
        }

        // Tabs, more than fit, with a memo on them; a group box with children.
        auto* tabs = Put<TzTabControl>(rest, 8, 190, 300, 150);
        for (const wchar_t* caption : {L"Алёна", L"Дмитрий Соколов", L"Ελένη", L"Ольга", L"Сергей Иванов",
                                       L"Татьяна", L"Γιώργος", L"Иван", L"Пётр Смирнов"})
            tabs->Tabs()->Add(caption);
        tabs->SetImages(images);
        tabs->SetTabIndex(3);
        auto* talk = Put<TzMemo>(tabs, 0, 0, 10, 10, L"Сергей: Привет! Ты сегодня в сети?");
        talk->SetAlign(alClient);
        talk->SetScrollBars(ssVertical);
        auto* box = Put<TzGroupBox>(rest, 318, 190, 160, 150, L"Карточка · Επαφή");
        Put<TzEdit>(box, 10, 24, 140, 24, L"Ελένη");
        Put<TUcButton>(box, 10, 56, 140, 26, L"Написать ✉");
        Put<TUcSpeedButton>(box, 10, 88, 140, 26, L"Позвонить ☎");
        Put<TUcBitBtn>(box, 10, 118, 140, 26, L"Ελληνικά");
        Put<TUcGroupBox>(rest, 8, 350, 300, 60, L"Группа · Ομάδα");

        // The skinned lists: contacts in a report, chats in a list box.
        auto* contacts = Put<TzListView>(rest, 8, 580, 470, 100);
        contacts->SetViewStyle(vsReport);
        for (const wchar_t* c : {L"Имя", L"Статус", L"Сообщение"})
            contacts->Columns()->Add()->SetCaption(c);
        for (int i = 0; i < 40; ++i) {
            TUcListItem* item = contacts->Items()->Add();
            item->SetCaption(std::vector<WideString>{L"Алёна", L"Ελένη", L"王小明", L"Пётр"}[size_t(i % 4)]);
            item->SubItems()->Add(i % 3 ? L"в сети" : L"εκτός");
            item->SubItems()->Add(L"Привет! 你好 " + std::to_wstring(i));
        }
        auto* chats = Put<TzListBox>(rest, 168, 452, 150, 118);
        for (int i = 0; i < 30; ++i)
            chats->Items()->Add("Chat " + std::to_string(i));
        chats->SetItemIndex(2);

        // Foreign windows skinned through their adapters.
        const TRect places[] = {TRect(8, 420, 158, 570), TRect(168, 420, 318, 446), TRect(328, 350, 478, 570),
                                TRect(168, 500, 318, 570)};
        for (int k = 0; k < 4; ++k) {
            auto* pane = new TSoakForeignPane(FForm, TSoakForeignPane::TKind(k));
            pane->SetBoundsRect(places[k]);
            pane->SetParent(rest);
        }

        // Check boxes and radio buttons.
        Put<TzCheckBox>(rest, 168, 452, 150, 20, L"Запомнить · Θυμήσου")->SetChecked(true);
        auto* grey = Put<TzCheckBox>(rest, 168, 474, 70, 20, L"Серый");
        grey->SetAllowGrayed(true);
        grey->SetState(cbGrayed);
        Put<TzRadioButton>(rest, 240, 474, 70, 20, L"Да");
    }

    // Along the bottom, a skinned panel of labels, combo boxes and progress bars.
    void BuildBottomPanel()
    {
        auto* panel = Put<TzPanel>(FForm, 0, 620, 820, 32);
        panel->SetAlign(alBottom);
        panel->SetCaption(L"Панель · Πίνακας");
        panel->SetAlignment(taRightJustify);
        Put<TzLabel>(panel, 8, 8, 80, 16)->SetCaption(L"Язык · Γλώσσα:");
        auto* language = Put<TzComboBox>(panel, 96, 4, 140, 24);
        language->SetStyle(csDropDownList);
        auto* city = Put<TzComboBox>(panel, 244, 4, 140, 24);
        city->BoundLabel()->SetCaption("City:");
        for (int i = 0; i < 30; ++i) {
            language->Items()->Add(i % 2 ? L"Русский " + std::to_wstring(i) : L"Ελληνικά " + std::to_wstring(i));
            city->Items()->Add(L"Город " + std::to_wstring(i));
        }
        language->SetItemIndex(1);
        FLongList = language;
        city->SetText(L"Αθήνα");
        auto* drawn = Put<TzComboBox>(panel, 392, 4, 90, 24);
        drawn->SetStyle(csOwnerDrawFixed);
        drawn->Items()->Add(L"Ω");
        drawn->SetReadOnly(true);
        Put<TzProgressBar>(panel, 490, 8, 110, 16)->SetPosition(40);
        auto* smooth = Put<TzProgressBar>(panel, 608, 8, 90, 16);
        smooth->SetSmooth(true);
        smooth->SetMin(50);
        smooth->SetPosition(75);
        auto* own = Put<TzLabel>(panel, 706, 8, 60, 16);
        own->SetCaption(L"Свой цвет");
        own->SetUseSkinColor(false);
        own->SetSkinSection("CHECKBOX");
    }

    // The queued messages run and the whole form, frames included, painted at once.
    void Settle()
    {
        Application->ProcessMessages();
        RedrawWindow(FForm->Handle(), nullptr, nullptr,
                     RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
        Application->ProcessMessages();
    }

    TSoakPlaces FPlaces;
    TUcForm* FForm = nullptr;
    // A combo box whose list is opened and closed at each switch: under a skin it gets its
    // adapter the first time, which the skin's removal frees.
    TzComboBox* FLongList = nullptr;
    TzSkinManager* FManager = nullptr;
};
