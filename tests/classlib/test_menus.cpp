#include <doctest.h>
#include "classlib/menus.h"
#include "form_helpers.h"
#include "graphics_helpers.h"
#include "join.h"
#include "menu_helpers.h"
#include "msgrecorder.h"

#include <algorithm>
#include <memory>
#include <vector>

namespace {

bool HasType(HMENU Menu, int Pos, UINT Type)
{
    MENUITEMINFOA mii{};
    mii.cbSize = sizeof(mii);
    mii.fMask = MIIM_FTYPE;
    GetMenuItemInfoA(Menu, Pos, TRUE, &mii);
    return (mii.fType & Type) != 0;
}

bool HasState(HMENU Menu, int Pos, UINT State)
{
    return (GetMenuState(Menu, Pos, MF_BYPOSITION) & State) != 0;
}

TMenuItem* NewItem(TComponent* Owner, const char* Name, const char* Caption, TMenuItem* Parent)
{
    auto* item = new TMenuItem(Owner);
    item->SetName(Name);
    item->SetCaption(Caption);
    if (Parent)
        Parent->Add(item);
    return item;
}

// Records what items and menus report.
struct TMenuEvents {
    TLog Log;
    int Measured = 0;
    int Drawn = 0;
    TOwnerDrawState LastState = 0;
    void Click(TObject* Sender) { Log.push_back("click " + static_cast<TComponent*>(Sender)->Name()); }
    void Popup(TObject* Sender) { Log.push_back("popup " + static_cast<TComponent*>(Sender)->Name()); }
    void Measure(TObject*, TCanvas*, int& Width, int& Height)
    {
        ++Measured;
        Width = 123;
        Height = 21;
    }
    void Draw(TObject*, TCanvas* Canvas, const TRect& R, TOwnerDrawState State)
    {
        ++Drawn;
        LastState = State;
        Canvas->Brush()->SetColor(clRed);
        Canvas->FillRect(R);
    }
};

// A form with a main menu: File (Open Ctrl+O, a line, Exit), Edit, a hidden item.
struct TMenuForm {
    std::unique_ptr<TForm> Form = std::make_unique<TForm>(nullptr);
    TMainMenu* Menu;
    TMenuItem *File, *Open, *Line, *Exit, *Edit, *Hidden;
    TMenuEvents Events;

    TMenuForm()
    {
        Form->SetName("MenuForm");
        Menu = new TMainMenu(Form.get());
        Menu->SetName("MainMenu1");
        File = NewItem(Form.get(), "File1", "File", Menu->Items());
        Open = NewItem(Form.get(), "Open1", "Open", File);
        Open->SetShortCut(ShortCut('O', ssCtrl));
        Open->SetHint("Open|Opens a document");
        Line = NewItem(Form.get(), "N1", "-", File);
        Exit = NewItem(Form.get(), "Exit1", "Exit", File);
        Edit = NewItem(Form.get(), "Edit1", "Edit", Menu->Items());
        Hidden = NewItem(Form.get(), "Hidden1", "Hidden", Menu->Items());
        Hidden->SetVisible(false);
        for (TMenuItem* i : {File, Open, Exit, Edit})
            i->OnClick = MakeMethod<&TMenuEvents::Click>(&Events);
        Form->SetBounds(40, 40, 300, 200);
        Form->SetMenu(Menu);
    }
    HWND Window() { return Form->Handle(); }
    LRESULT Send(UINT Msg, WPARAM W, const void* L) { return SendMessageA(Window(), Msg, W, reinterpret_cast<LPARAM>(L)); }
};

// Picks an item of the popup menu that is being shown: a timer fires inside the system's
// menu loop and types the keys.
struct TMenuKeys {
    static inline std::vector<UINT> Keys;
    static inline int Fired = 0;
    static void CALLBACK Timer(HWND, UINT, UINT_PTR Id, DWORD)
    {
        KillTimer(nullptr, Id);
        ++Fired;
        HWND menuWnd = FindWindowA("#32768", nullptr);
        for (UINT k : Keys) {
            PostMessageA(menuWnd, WM_KEYDOWN, k, 0);
            PostMessageA(menuWnd, WM_KEYUP, k, 0xC0000000);
        }
    }
    static void Arm(std::vector<UINT> K)
    {
        Keys = std::move(K);
        SetTimer(nullptr, 0, 150, &Timer);
    }
};

} // namespace

TEST_CASE("shortcut text and back")
{
    // Shift comes before Ctrl, whatever the order the keys were named in.
    CHECK(ShortCutToText(ShortCut(VK_F5, ssCtrl | ssShift)) == "Shift+Ctrl+F5");
    CHECK(ShortCutToText(ShortCut('X', ssAlt | ssShift | ssCtrl)) == "Shift+Ctrl+Alt+X");
    struct Named {
        uint16_t Key;
        const char* Text;
    };
    for (Named n : {Named{VK_BACK, "BkSp"}, {VK_ESCAPE, "Esc"}, {VK_PRIOR, "PgUp"}, {VK_DOWN, "Down"},
                    {VK_DELETE, "Del"}, {VK_F1, "F1"}, {VK_F24, "F24"}, {'7', "7"}, {VK_NUMPAD3, "3"}}) {
        CAPTURE(n.Text);
        CHECK(ShortCutToText(n.Key) == n.Text);
        CHECK(ShortCutToText(ShortCut(n.Key, ssShift)) == AnsiString("Shift+") + n.Text);
    }
    // Back from text: every modifier order, any case, "^" for Ctrl; the first key with a name
    // wins (the digit row before the keypad); text that names no key is none.
    struct Parsed {
        const char* Text;
        TShortCut Expected;
    };
    for (Parsed p : {Parsed{"Ctrl+S", ShortCut('S', ssCtrl)}, {"ctrl+shift+f5", ShortCut(VK_F5, ssCtrl | ssShift)},
                     {"Alt+Ctrl+Del", ShortCut(VK_DELETE, ssAlt | ssCtrl)}, {"^A", ShortCut('A', ssCtrl)},
                     {"PgDn", VK_NEXT}, {"3", '3'}, {"", 0}, {"Ctrl+", 0}, {"Ctrl+Nothing", 0}}) {
        CAPTURE(p.Text);
        CHECK(TextToShortCut(p.Text) == p.Expected);
    }
    for (TShortCut sc : {ShortCut(VK_F12, ssAlt), ShortCut('Q', ssCtrl | ssShift), ShortCut(VK_ESCAPE, 0)})
        CHECK(TextToShortCut(ShortCutToText(sc)) == sc);
    CHECK(ShortCutToText(0) == "");
    CHECK(ShortCut(0x100, ssCtrl) == 0);
    uint16_t key;
    TShiftState shift;
    ShortCutToKey(ShortCut('K', ssAlt | ssCtrl), key, shift);
    CHECK(Join(key, shift) == Join('K', ssAlt | ssCtrl));
}

TEST_CASE("menu items form a tree")
{
    TComponent owner(nullptr);
    TMainMenu* menu = new TMainMenu(&owner);
    TMenuItem* root = menu->Items();
    TMenuItem* a = NewItem(&owner, "A", "Alpha", root);
    TMenuItem* b = NewItem(&owner, "B", "Beta", root);
    TMenuItem* c = NewItem(&owner, "C", "Gamma", nullptr);
    root->Insert(1, c);
    CHECK(root->Items(1) == c);
    CHECK(c->Parent() == root);
    CHECK(root->IndexOf(b) == 2);
    CHECK(root->Find("gamma") == c);
    CHECK(root->Find("&Beta") == b);
    CHECK(root->Find("Delta") == nullptr);
    CHECK(a->GetParentMenu() == menu);
    c->SetMenuIndex(99);
    CHECK(root->Items(2) == c);

    // Bad input is refused before anything changes.
    CHECK_THROWS_WITH_AS(root->Add(a), "Menu inserted twice", EMenuError);
    TMenuItem* d = NewItem(&owner, "D", "Delta", nullptr);
    d->Add(NewItem(&owner, "E", "Epsilon", nullptr));
    CHECK_THROWS_AS(d->Items(0)->Add(d), EMenuError);   // an item inside itself
    CHECK_THROWS_AS(d->Add(d), EMenuError);
    CHECK_THROWS_WITH_AS(root->Insert(9, d), "Menu index out of range", EMenuError);
    CHECK_THROWS_WITH_AS(root->Remove(d), "Sub-menu is not in menu", EMenuError);
    CHECK_THROWS_AS(root->Items(3), EMenuError);
    CHECK(root->Count() == 3);

    // Delete takes an item out without freeing it; Clear frees.
    root->Delete(0);
    CHECK(a->Parent() == nullptr);
    CHECK(owner.FindComponent("A") == a);
    root->Add(a);
    int before = owner.ComponentCount();
    root->Clear();
    CHECK(Join(root->Count(), owner.ComponentCount()) == Join(0, before - 3));
    // Freeing a parent frees its children.
    delete d;
    CHECK(owner.FindComponent("E") == nullptr);
}

TEST_CASE("command ids are unique and found again")
{
    TComponent owner(nullptr);
    TPopupMenu* menu = new TPopupMenu(&owner);
    TMenuItem* a = NewItem(&owner, "A", "A", menu->Items());
    TMenuItem* b = NewItem(&owner, "B", "B", a);
    b->SetShortCut(ShortCut('B', ssCtrl));
    CHECK(a->Command() != 0);
    CHECK(a->Command() != b->Command());
    CHECK(menu->FindItem(b->Command(), fkCommand) == b);
    CHECK(menu->FindItem(ShortCut('B', ssCtrl), fkShortCut) == b);
    CHECK(menu->FindItem(reinterpret_cast<uintptr_t>(a->Handle()), fkHandle) == a);
    CHECK(menu->FindItem(0, fkCommand) == nullptr);
    uint16_t freed = b->Command();
    delete b;
    TMenuItem* c = NewItem(&owner, "C", "C", a);
    CHECK(c->Command() == freed);
    CHECK(menu->FindItem(freed, fkCommand) == c);
}

TEST_CASE("a form shows its main menu; items that change, come and go reach the native menu")
{
    TMenuForm f;
    HMENU bar = GetMenu(f.Window());
    REQUIRE((bar != nullptr && bar == f.Menu->Handle()));
    HMENU file = GetSubMenu(bar, 0);
    REQUIRE(file == f.File->Handle());
    // The hidden item is not in the native menu at all; the line is an entry of its own.
    CHECK(Join(GetMenuItemCount(bar), GetMenuItemCount(file), HasType(file, 1, MFT_SEPARATOR)) == "2 3 1");
    CHECK(Join(f.Exit->NativeIndex(), f.Hidden->NativeIndex()) == "2 -1");
    f.Line->SetVisible(false);
    CHECK(Join(f.Exit->NativeIndex(), MenuText(file, 1)) == Join(1, "&Exit"));
    f.Line->SetVisible(true);
    // Changes reach the native menu, and the form hears of each.
    TMsgRecorder rec({CM_MENUCHANGED});
    rec.Attach(f.Window(), "form");
    f.Exit->SetEnabled(false);
    CHECK_MESSAGES(rec, {"form", CM_MENUCHANGED});
    f.Open->SetChecked(true);
    CHECK(HasState(file, 2, MF_GRAYED));
    CHECK(HasState(file, 0, MF_CHECKED));
    f.Hidden->SetVisible(true);
    CHECK(GetMenuItemCount(bar) == 3);
    TMenuItem* added = NewItem(f.Form.get(), "Save1", "Save", f.File);
    CHECK(Join(GetMenuItemCount(file), MenuText(file, 3)) == Join(4, "Save"));
    delete added;
    CHECK(GetMenuItemCount(file) == 3);
    // The shortcut stands after the caption, with the hot key the library chose.
    f.Send(WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(file), nullptr);
    CHECK(MenuText(file, 0) == "&Open\tCtrl+O");
    // The menu going takes it off the form and its window.
    delete f.Menu;
    CHECK(f.Form->Menu() == nullptr);
    CHECK(GetMenu(f.Window()) == nullptr);
}

TEST_CASE("menu messages of a form: commands, submenus, hints, keys")
{
    TMenuForm f;
    HMENU bar = GetMenu(f.Window());
    HMENU file = GetSubMenu(bar, 0);

    f.Send(WM_COMMAND, MAKEWPARAM(f.Open->Command(), 0), nullptr);
    CHECK(f.Events.Log == TLog{"click Open1"});
    // Opening the File submenu clicks File; a disabled item does nothing.
    f.Send(WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(file), nullptr);
    f.Exit->SetEnabled(false);
    f.Send(WM_COMMAND, MAKEWPARAM(f.Exit->Command(), 0), nullptr);
    CHECK(f.Events.Log == TLog{"click Open1", "click File1"});

    // WM_MENUSELECT: the long part of the item's hint; a submenu found by its handle; the
    // menu closing clears the hint.
    f.File->SetHint("File|Files|documents");   // the long part runs on past a second bar
    f.Exit->SetHint("Quit");                   // no bar: both parts are the whole hint
    f.Send(WM_MENUSELECT, MAKEWPARAM(f.Exit->Command(), MF_STRING), file);
    CHECK(Application->Hint() == "Quit");
    f.Send(WM_MENUSELECT, MAKEWPARAM(f.Open->Command(), MF_STRING), file);
    CHECK(Application->Hint() == "Opens a document");
    f.Send(WM_MENUSELECT, MAKEWPARAM(0, MF_POPUP), bar);
    CHECK(Application->Hint() == "Files|documents");

    f.Send(WM_MENUSELECT, MAKEWPARAM(0, 0xFFFF), nullptr);
    CHECK(Application->Hint() == "");

    // The item's shortcut, pressed in the form, clicks it; without Ctrl it is no shortcut.
    CHECK(PressCtrlShortCut(f.Form.get(), 'O'));
    CHECK_FALSE(PressCtrlShortCut(f.Form.get(), 'Q'));
    CHECK(f.Events.Log.back() == "click Open1");
    TMessage plain{WM_KEYDOWN, 'O', 0, 0};
    CHECK_FALSE(f.Form->IsShortCut(plain));
}

TEST_CASE("typed hot keys of owner-drawn items")
{
    TMenuForm f;
    f.Menu->SetOwnerDraw(true);
    HMENU file = f.File->Handle();
    f.Send(WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(file), nullptr);
    auto menuChar = [&](char c) { return f.Send(WM_MENUCHAR, MAKEWPARAM(c, MF_POPUP), file); };
    // "&Open", "-", "&Exit": e is the third entry of the native menu.
    CHECK(menuChar('e') == MAKELRESULT(2, MNC_EXECUTE));
    CHECK(menuChar('o') == MAKELRESULT(0, MNC_EXECUTE));
    // Two items with one key: the key selects rather than runs.
    NewItem(f.Form.get(), "Other1", "&Other", f.File);
    CHECK(HIWORD(menuChar('O')) == UINT(MNC_SELECT));
    CHECK(menuChar('z') == 0);
}

TEST_CASE("owner-drawn items are measured and drawn by the program")
{
    TMenuForm f;
    f.Open->OnMeasureItem = MakeMethod<&TMenuEvents::Measure>(&f.Events);
    f.Open->OnAdvancedDrawItem = MakeMethod<&TMenuEvents::Draw>(&f.Events);
    f.Menu->SetOwnerDraw(true);
    CHECK(HasType(f.File->Handle(), 0, MFT_OWNERDRAW));

    MEASUREITEMSTRUCT mis{};
    mis.CtlType = ODT_MENU;
    mis.itemID = f.Open->Command();
    CHECK(f.Send(WM_MEASUREITEM, 0, &mis) == TRUE);
    CHECK(Join(f.Events.Measured, mis.itemWidth, mis.itemHeight) == "1 123 21");

    // Drawing into a bitmap: the handler's red, with the state the system gave.
    TBitmap bmp;
    bmp.SetPixelFormat(pf24bit);
    bmp.SetSize(130, 24);
    DRAWITEMSTRUCT dis{};
    dis.CtlType = ODT_MENU;
    dis.itemID = f.Open->Command();
    dis.itemState = ODS_SELECTED | ODS_CHECKED;
    dis.hDC = bmp.Canvas()->Handle();
    dis.rcItem = RECT{0, 0, 130, 24};
    CHECK(f.Send(WM_DRAWITEM, 0, &dis) == TRUE);
    CHECK(Join(f.Events.Drawn, f.Events.LastState, bmp.Canvas()->Pixels(60, 12)) ==
          Join(1, odSelected | odChecked, clRed));

    // Without handlers the item measures itself, with room for its shortcut past a gap of
    // 16, and draws itself: the selected item in the highlight colour.
    f.Open->OnMeasureItem = nullptr;
    f.Send(WM_MEASUREITEM, 0, &mis);
    const UINT withShortCut = mis.itemWidth;
    f.Open->SetShortCut(scNone);
    f.Send(WM_MEASUREITEM, 0, &mis);
    CHECK(withShortCut > mis.itemWidth + 16);
    dis.itemID = f.Exit->Command();
    dis.itemState = ODS_SELECTED;
    f.Send(WM_DRAWITEM, 0, &dis);
    CHECK(bmp.Canvas()->Pixels(1, 1) == ColorToRGB(clHighlight));
    // Not our item: left to the system.
    dis.itemID = 0xEEEE;
    CHECK(f.Send(WM_DRAWITEM, 0, &dis) == 0);
}

TEST_CASE("a bitmap or an image list makes an item owner-drawn")
{
    TComponent owner(nullptr);
    TPopupMenu* menu = new TPopupMenu(&owner);
    TMenuItem* a = NewItem(&owner, "A", "A", menu->Items());
    TMenuItem* b = NewItem(&owner, "B", "B", menu->Items());
    HMENU h = menu->Handle();
    CHECK_FALSE(HasType(h, 0, MFT_OWNERDRAW));
    a->Bitmap()->SetSize(16, 16);
    CHECK(HasType(h, 0, MFT_OWNERDRAW));
    CHECK_FALSE(HasType(h, 1, MFT_OWNERDRAW));
    auto* images = new TImageList(&owner);
    menu->SetImages(images);
    CHECK(b->GetImageList() == images);
    CHECK(HasType(h, 1, MFT_OWNERDRAW));
    // The item draws its image in the glyph column.
    TBitmap strip, canvas;
    NewBmp24(strip, 16, 16, clTeal);
    images->Add(&strip, nullptr);
    b->SetImageIndex(0);
    NewBmp24(canvas, 100, 20, clWhite);
    DRAWITEMSTRUCT dis{};
    dis.CtlType = ODT_MENU;
    dis.itemID = b->Command();
    dis.hDC = canvas.Canvas()->Handle();
    dis.rcItem = RECT{0, 0, 100, 20};
    CHECK(menu->DispatchDrawItem(dis));
    CHECK(canvas.Canvas()->Pixels(10, 10) == clTeal);
    // The list going takes the images from the menu.
    delete images;
    CHECK(menu->Images() == nullptr);
    CHECK_FALSE(HasType(h, 1, MFT_OWNERDRAW));
}

TEST_CASE("a control's context menu pops up for it, owner-drawn")
{
    TMenuEvents events;
    TComponent owner(nullptr);
    auto form = MakeForm(200, 150);
    TPopupMenu* menu = new TPopupMenu(&owner);
    menu->SetOwnerDraw(true);
    TMenuItem* item = NewItem(&owner, "Item1", "Item", menu->Items());
    item->OnClick = MakeMethod<&TMenuEvents::Click>(&events);
    item->OnMeasureItem = MakeMethod<&TMenuEvents::Measure>(&events);
    item->OnAdvancedDrawItem = MakeMethod<&TMenuEvents::Draw>(&events);
    form->SetPopupMenu(menu);
    form->Show();
    Pump();
    TMenuKeys::Arm({VK_DOWN, VK_RETURN});
    SendMessageA(form->Handle(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(form->Handle()), MAKELPARAM(80, 80));
    CHECK(menu->PopupComponent() == form.get());
    CHECK(events.Measured >= 1);
    CHECK(events.Drawn >= 1);
    REQUIRE_FALSE(events.Log.empty());
    CHECK(events.Log.back() == "click Item1");
    // The control going clears the menu's reference to it.
    form.reset();
    CHECK(menu->PopupComponent() == nullptr);
}

namespace {
// A popup list of the program's own, as a layer above puts in place at start-up.
class TRecordingPopupList : public TPopupList {
public:
    std::vector<UINT> Seen;

protected:
    void WndProc(TMessage& Message) override
    {
        if (Message.Msg == WM_MENUSELECT || Message.Msg == WM_ENTERMENULOOP || Message.Msg == WM_COMMAND)
            Seen.push_back(Message.Msg);
        TPopupList::WndProc(Message);
    }
};
} // namespace

TEST_CASE("a popup menu runs the chosen item before Popup returns, through a popup list that can be replaced")
{
    TComponent owner(nullptr);
    TMenuEvents events;
    TPopupMenu* menu = new TPopupMenu(&owner);
    menu->SetName("Popup1");
    menu->OnPopup = MakeMethod<&TMenuEvents::Popup>(&events);
    NewItem(&owner, "Item1", "Item", menu->Items())->OnClick = MakeMethod<&TMenuEvents::Click>(&events);
    auto* mine = new TRecordingPopupList();
    SetPopupList(mine);
    CHECK(PopupList == mine);
    CHECK(mine->IndexOf(menu) >= 0);
    TMenuKeys::Fired = 0;
    TMenuKeys::Arm({VK_DOWN, VK_RETURN});
    menu->Popup(50, 50);
    CHECK(Join(TMenuKeys::Fired, menu->PopupPoint()) == "1 (50,50)");
    CHECK(events.Log == TLog{"popup Popup1", "click Item1"});
    auto seen = [&](UINT m) { return std::count(mine->Seen.begin(), mine->Seen.end(), m) > 0; };
    CHECK(seen(WM_ENTERMENULOOP));
    CHECK(seen(WM_MENUSELECT));
    CHECK(mine->Seen.back() == UINT(WM_COMMAND));
    // Escape: nothing runs.
    TMenuKeys::Arm({VK_ESCAPE, VK_ESCAPE});
    menu->Popup(50, 50);
    CHECK(events.Log.back() == "popup Popup1");
    SetPopupList(new TPopupList());
    CHECK(PopupList->IndexOf(menu) >= 0);
    // A menu that is freed leaves the list.
    const int count = PopupList->Count();
    delete menu;
    CHECK(PopupList->Count() == count - 1);
}

TEST_CASE("menus round-trip through form data, and damaged menu data is refused")
{
    TMenuForm f;
    f.Open->SetChecked(true);
    f.Open->SetRadioItem(true);
    f.Open->SetGroupIndex(3);
    f.Exit->SetBreak(mbBarBreak);
    f.Exit->SetImageIndex(4);
    f.Exit->SetTag(7);
    f.Edit->SetDefault(true);
    f.Edit->SetEnabled(false);
    f.Menu->SetOwnerDraw(true);
    TPopupMenu* popup = new TPopupMenu(f.Form.get());
    popup->SetName("Popup1");
    popup->SetAlignment(paRight);
    popup->SetAutoPopup(false);
    NewItem(f.Form.get(), "Copy1", "Copy", popup->Items())->SetShortCut(ShortCut('C', ssCtrl));

    // Every property set above is written, and what is read back writes the same bytes.
    auto copy = std::make_unique<TForm>(nullptr);
    const AnsiString bytes =
        CheckRoundTrip(f.Form.get(), copy.get(), {"OwnerDraw", "ShortCut", "Hint", "Checked", "RadioItem", "GroupIndex",
                                                 "Break", "ImageIndex", "Tag", "Default", "Enabled", "Visible",
                                                 "Alignment", "AutoPopup"});
    auto* menu = dynamic_cast<TMainMenu*>(copy->FindComponent("MainMenu1"));
    REQUIRE(menu != nullptr);
    TMenuItem* root = menu->Items();
    REQUIRE(root->Count() == 3);
    TMenuItem* file = root->Items(0);
    REQUIRE(file->Count() == 3);
    CHECK(Join(file->Items(0)->ShortCut(), file->Items(0)->GroupIndex()) == Join(ShortCut('O', ssCtrl), 3));
    CHECK(Join(file->Items(1)->IsLine(), file->Items(2)->Break(), root->Items(2)->Visible()) ==
          Join(true, mbBarBreak, false));

    // The form's menu came back as a reference, and works: its native menu is made from
    // what was read.
    CHECK(copy->Menu() == menu);
    HMENU bar = GetMenu(copy->Handle());
    REQUIRE(bar == menu->Handle());
    CHECK(Join(GetMenuItemCount(bar), GetMenuItemCount(file->Handle())) == "2 3");

    // Every cut-short copy raises a read error or loads partly; none crashes or hangs, and
    // what was read before the damage is freed with the form (items are freed with their
    // parent items, which the reader must know when it gives up on one).
    int failed = 0;
    for (size_t cut = 4; cut < bytes.size(); ++cut) {
        TStringStream s(bytes.substr(0, cut));
        auto partial = std::make_unique<TForm>(nullptr);
        try {
            s.ReadComponent(partial.get());
        } catch (const Exception&) {
            ++failed;
        }
    }
    CHECK(failed > 0);
}

TEST_CASE("an owner-drawn menu bar on the screen")
{
    TMenuForm f;
    f.Menu->SetOwnerDraw(true);
    f.Edit->SetDefault(true);
    f.Hidden->SetVisible(true);
    f.Hidden->SetEnabled(false);
    f.Form->SetCaption("Menus");
    ShowOnTop(f.Form.get());
    HWND wnd = f.Window();
    DrawMenuBar(wnd);
    RedrawWindow(wnd, nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_ERASE | RDW_UPDATENOW);
    Pump();
    RECT wr;
    GetWindowRect(wnd, &wr);
    TBitmap shot;
    shot.SetPixelFormat(pf24bit);
    shot.SetSize(wr.right - wr.left, wr.bottom - wr.top);
    HDC wdc = GetWindowDC(wnd);
    BitBlt(shot.Canvas()->Handle(), 0, 0, shot.Width(), shot.Height(), wdc, 0, 0, SRCCOPY);
    ReleaseDC(wnd, wdc);
    // The bar's items were drawn by the program: a text pixel of the menu text colour lies
    // in the bar.
    MENUBARINFO mbi{};
    mbi.cbSize = sizeof(mbi);
    REQUIRE(GetMenuBarInfo(wnd, OBJID_MENU, 1, &mbi));
    RECT item = mbi.rcBar;
    OffsetRect(&item, -wr.left, -wr.top);
    const TRect bar(item.left, item.top, item.right, item.bottom);
    CHECK(CountNot(shot, bar, ColorToRGB(clMenuText)) < bar.Width() * bar.Height());
}
