#include <doctest.h>
#include "classlib/menus.h"
#include "menu_helpers.h"
#include "support/screenshot.h"

#include <algorithm>
#include <memory>
#include <vector>

namespace {

void PumpMenus()
{
    for (int i = 0; i < 5; ++i) {
        Application->ProcessMessages();
        Sleep(10);
    }
}

UINT MenuType(HMENU Menu, int Pos)
{
    MENUITEMINFOA mii{};
    mii.cbSize = sizeof(mii);
    mii.fMask = MIIM_FTYPE;
    GetMenuItemInfoA(Menu, Pos, TRUE, &mii);
    return mii.fType;
}

bool HasType(HMENU Menu, int Pos, UINT Type)
{
    return (MenuType(Menu, Pos) & Type) != 0;
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
    std::vector<AnsiString> Log;
    int Measured = 0;
    int Drawn = 0;
    TOwnerDrawState LastState = 0;
    bool ThrowOnClick = false;
    void Click(TObject* Sender)
    {
        Log.push_back("click " + static_cast<TComponent*>(Sender)->Name());
        if (ThrowOnClick)
            throw EInvalidOperation("click failed");
    }
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
    TMenuItem* File;
    TMenuItem* Open;
    TMenuItem* Line;
    TMenuItem* Exit;
    TMenuItem* Edit;
    TMenuItem* Hidden;
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
};

} // namespace

TEST_CASE("shortcut text and back")
{
    CHECK(ShortCutToText(ShortCut('S', ssCtrl)) == "Ctrl+S");
    // Shift comes before Ctrl, whatever the order the keys were named in.
    CHECK(ShortCutToText(ShortCut(VK_F5, ssCtrl | ssShift)) == "Shift+Ctrl+F5");
    CHECK(ShortCutToText(ShortCut('X', ssAlt | ssShift | ssCtrl)) == "Shift+Ctrl+Alt+X");
    struct Named {
        uint16_t Key;
        const char* Text;
    };
    for (Named n : {Named{VK_BACK, "BkSp"}, {VK_TAB, "Tab"}, {VK_RETURN, "Enter"}, {VK_ESCAPE, "Esc"},
                    {VK_SPACE, "Space"}, {VK_PRIOR, "PgUp"}, {VK_NEXT, "PgDn"}, {VK_END, "End"},
                    {VK_HOME, "Home"}, {VK_LEFT, "Left"}, {VK_UP, "Up"}, {VK_RIGHT, "Right"},
                    {VK_DOWN, "Down"}, {VK_INSERT, "Ins"}, {VK_DELETE, "Del"}, {VK_F1, "F1"},
                    {VK_F12, "F12"}, {VK_F24, "F24"}, {'7', "7"}, {VK_NUMPAD3, "3"}}) {
        CAPTURE(n.Text);
        CHECK(ShortCutToText(n.Key) == n.Text);
        CHECK(ShortCutToText(ShortCut(n.Key, ssShift)) == AnsiString("Shift+") + n.Text);
    }
    // Back from text: every modifier order, any case, "^" for Ctrl.
    CHECK(TextToShortCut("Ctrl+S") == ShortCut('S', ssCtrl));
    CHECK(TextToShortCut("ctrl+shift+f5") == ShortCut(VK_F5, ssCtrl | ssShift));
    CHECK(TextToShortCut("Alt+Ctrl+Del") == ShortCut(VK_DELETE, ssAlt | ssCtrl));
    CHECK(TextToShortCut("^A") == ShortCut('A', ssCtrl));
    CHECK(TextToShortCut("PgDn") == VK_NEXT);
    // The first key with that name wins: the digit row before the keypad.
    CHECK(TextToShortCut("3") == '3');
    for (TShortCut sc : {ShortCut(VK_F12, ssAlt), ShortCut('Q', ssCtrl | ssShift), ShortCut(VK_ESCAPE, 0)})
        CHECK(TextToShortCut(ShortCutToText(sc)) == sc);
    // Text that names no key.
    CHECK(TextToShortCut("") == 0);
    CHECK(TextToShortCut("Ctrl+") == 0);
    CHECK(TextToShortCut("Ctrl+Nothing") == 0);
    CHECK(ShortCutToText(0) == "");
    CHECK(ShortCut(0x100, ssCtrl) == 0);
    uint16_t key;
    TShiftState shift;
    ShortCutToKey(ShortCut('K', ssAlt | ssCtrl), key, shift);
    CHECK(key == 'K');
    CHECK(shift == (ssAlt | ssCtrl));
}

TEST_CASE("hot keys of captions")
{
    CHECK(StripHotkey("&File") == "File");
    CHECK(GetHotkey("&File") == "F");
    // A doubled "&" is a literal: one stays, and it marks nothing.
    CHECK(StripHotkey("&&Save") == "&Save");
    CHECK(GetHotkey("&&Save") == "");
    CHECK(GetHotkey("A&&B &Edit") == "E");
    CHECK(GetHotkey("Save &") == "");
    CHECK(StripHotkey("") == "");
    CHECK(AnsiSameCaption("&File", "file"));
    CHECK_FALSE(AnsiSameCaption("&File", "Files"));
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
    CHECK(root->Count() == 3);
    CHECK(root->Items(1) == c);
    CHECK(c->Parent() == root);
    CHECK(c->MenuIndex() == 1);
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
    CHECK(root->Count() == 0);
    CHECK(owner.ComponentCount() == before - 3);
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

TEST_CASE("a form shows its main menu with hot keys, shortcuts and states")
{
    TMenuForm f;
    HWND wnd = f.Window();
    HMENU bar = GetMenu(wnd);
    REQUIRE(bar != nullptr);
    CHECK(bar == f.Menu->Handle());
    // Automatic hot keys: the first free letter of each caption; the hidden item is not
    // in the native menu at all.
    REQUIRE(GetMenuItemCount(bar) == 2);
    CHECK(MenuText(bar, 0) == "&File");
    CHECK(MenuText(bar, 1) == "&Edit");
    CHECK(f.File->Caption() == "&File");
    HMENU file = GetSubMenu(bar, 0);
    REQUIRE(file == f.File->Handle());
    REQUIRE(GetMenuItemCount(file) == 3);
    // Hot keys of a submenu are chosen when it opens.
    SendMessageA(wnd, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(file), 0);
    CHECK(MenuText(file, 0) == "&Open\tCtrl+O");
    CHECK(HasType(file, 1, MFT_SEPARATOR));
    CHECK(f.Exit->NativeIndex() == 2);
    CHECK(f.Hidden->NativeIndex() == -1);
    f.Line->SetVisible(false);
    CHECK(f.Exit->NativeIndex() == 1);
    CHECK(MenuText(file, 1) == "&Exit");
    f.Line->SetVisible(true);
    CHECK(MenuText(file, 2) == "&Exit");

    // Changes reach the native menu.
    f.Exit->SetEnabled(false);
    CHECK(HasState(file, 2, MF_GRAYED));
    f.Open->SetChecked(true);
    CHECK(HasState(file, 0, MF_CHECKED));
    f.Exit->SetCaption("&Quit");
    CHECK(MenuText(file, 2) == "&Quit");
    f.Open->SetShortCut(ShortCut(VK_F5, ssShift | ssCtrl));
    CHECK(MenuText(file, 0) == "&Open\tShift+Ctrl+F5");
    f.Hidden->SetVisible(true);
    CHECK(GetMenuItemCount(bar) == 3);
    CHECK(MenuText(bar, 2) == "&Hidden");
    TMenuItem* added = NewItem(f.Form.get(), "Save1", "Save", f.File);
    CHECK(GetMenuItemCount(file) == 4);
    CHECK(MenuText(file, 3) == "Save");
    delete added;
    CHECK(GetMenuItemCount(file) == 3);

    // Manual hot keys leave captions alone.
    f.Menu->SetAutoHotkeys(maManual);
    TMenuItem* plain = NewItem(f.Form.get(), "Plain1", "Plain", f.File);
    SendMessageA(wnd, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(file), 0);
    CHECK(plain->Caption() == "Plain");
}

TEST_CASE("automatic hot keys")
{
    TComponent owner(nullptr);
    TPopupMenu* menu = new TPopupMenu(&owner);
    TMenuItem* root = menu->Items();
    TMenuItem* file = NewItem(&owner, "A", "File", root);
    TMenuItem* fun = NewItem(&owner, "B", "Fun", root);
    TMenuItem* taken = NewItem(&owner, "C", "&Undo", root);
    TMenuItem* amp = NewItem(&owner, "D", "&&Up", root);   // a literal "&", no hot key
    TMenuItem* only = NewItem(&owner, "E", "&&", root);
    TMenuItem* line = NewItem(&owner, "F", "-", root);
    TMenuItem* cyr1 = NewItem(&owner, "G", "\xD4\xE0\xE9\xEB", root);   // "Файл" in code page 1251
    TMenuItem* cyr2 = NewItem(&owner, "H", "\xD4\xEE\xF2\xEE", root);   // "Фото"
    TMenuItem* sub = NewItem(&owner, "I", "Nested", file);
    root->RethinkHotkeys();
    CHECK(file->Caption() == "&File");
    CHECK(fun->Caption() == "Fu&n");   // F and U are taken
    CHECK(taken->Caption() == "&Undo");
    // The literal "&" is passed over, and U is taken.
    CHECK(amp->Caption() == "&&U&p");
    CHECK(only->Caption() == "&&");
    CHECK(line->Caption() == "-");
    if (GetACP() == 1251) {
        CHECK(cyr1->Caption() == "&\xD4\xE0\xE9\xEB");
        CHECK(cyr2->Caption() == "\xD4&\xEE\xF2\xEE");
    }
    // Every level has its own hot keys.
    CHECK(sub->Caption() == "&Nested");
    // A second pass changes nothing.
    root->RethinkHotkeys();
    CHECK(fun->Caption() == "Fu&n");
    CHECK(GetHotkey(amp->Caption()) == "p");
}

TEST_CASE("menu messages of a form: commands, submenus, hints, keys")
{
    TMenuForm f;
    HWND wnd = f.Window();
    HMENU bar = GetMenu(wnd);
    HMENU file = GetSubMenu(bar, 0);

    SendMessageA(wnd, WM_COMMAND, MAKEWPARAM(f.Open->Command(), 0), 0);
    REQUIRE(f.Events.Log.size() == 1);
    CHECK(f.Events.Log[0] == "click Open1");
    // Opening the File submenu clicks File.
    SendMessageA(wnd, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(file), 0);
    CHECK(f.Events.Log.back() == "click File1");
    // A disabled item does nothing.
    f.Exit->SetEnabled(false);
    SendMessageA(wnd, WM_COMMAND, MAKEWPARAM(f.Exit->Command(), 0), 0);
    CHECK(f.Events.Log.size() == 2);

    // WM_MENUSELECT: the long part of the item's hint; a submenu found by its handle; the
    // menu closing clears the hint.
    f.File->SetHint("File|Files and documents");
    SendMessageA(wnd, WM_MENUSELECT, MAKEWPARAM(f.Open->Command(), MF_STRING), reinterpret_cast<LPARAM>(file));
    CHECK(Application->Hint() == "Opens a document");
    SendMessageA(wnd, WM_MENUSELECT, MAKEWPARAM(0, MF_POPUP), reinterpret_cast<LPARAM>(bar));
    CHECK(Application->Hint() == "Files and documents");
    SendMessageA(wnd, WM_MENUSELECT, MAKEWPARAM(0, 0xFFFF), 0);
    CHECK(Application->Hint() == "");

    // The item's shortcut, pressed in the form, clicks it.
    CHECK(PressCtrlShortCut(f.Form.get(), 'O'));
    CHECK_FALSE(PressCtrlShortCut(f.Form.get(), 'Q'));
    CHECK(f.Events.Log.back() == "click Open1");
    // Without Ctrl the key is not the shortcut.
    TMessage plain{WM_KEYDOWN, 'O', 0, 0};
    CHECK_FALSE(f.Form->IsShortCut(plain));
}

TEST_CASE("typed hot keys of owner-drawn items")
{
    TMenuForm f;
    f.Menu->SetOwnerDraw(true);
    HWND wnd = f.Window();
    HMENU file = f.File->Handle();
    SendMessageA(wnd, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(file), 0);
    // "&Open", "-", "&Exit": e is the third entry of the native menu.
    LRESULT r = SendMessageA(wnd, WM_MENUCHAR, MAKEWPARAM('e', MF_POPUP), reinterpret_cast<LPARAM>(file));
    CHECK(r == MAKELRESULT(2, MNC_EXECUTE));
    r = SendMessageA(wnd, WM_MENUCHAR, MAKEWPARAM('o', MF_POPUP), reinterpret_cast<LPARAM>(file));
    CHECK(r == MAKELRESULT(0, MNC_EXECUTE));
    // Two items with one key: the key selects rather than runs.
    NewItem(f.Form.get(), "Other1", "&Other", f.File);
    r = SendMessageA(wnd, WM_MENUCHAR, MAKEWPARAM('O', MF_POPUP), reinterpret_cast<LPARAM>(file));
    CHECK(HIWORD(r) == UINT(MNC_SELECT));
    CHECK(SendMessageA(wnd, WM_MENUCHAR, MAKEWPARAM('z', MF_POPUP), reinterpret_cast<LPARAM>(file)) == 0);
}

TEST_CASE("owner-drawn items are measured and drawn by the program")
{
    TMenuForm f;
    f.Open->OnMeasureItem = MakeMethod<&TMenuEvents::Measure>(&f.Events);
    f.Open->OnAdvancedDrawItem = MakeMethod<&TMenuEvents::Draw>(&f.Events);
    HWND wnd = f.Window();
    CHECK_FALSE(f.Open->IsOwnerDraw());
    f.Menu->SetOwnerDraw(true);
    CHECK(f.Open->IsOwnerDraw());
    HMENU file = f.File->Handle();
    CHECK(HasType(file, 0, MFT_OWNERDRAW));
    CHECK(HasType(GetMenu(wnd), 0, MFT_OWNERDRAW));

    MEASUREITEMSTRUCT mis{};
    mis.CtlType = ODT_MENU;
    mis.itemID = f.Open->Command();
    CHECK(SendMessageA(wnd, WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&mis)) == TRUE);
    CHECK(f.Events.Measured == 1);
    CHECK(mis.itemWidth == 123);
    CHECK(mis.itemHeight == 21);

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
    CHECK(SendMessageA(wnd, WM_DRAWITEM, 0, reinterpret_cast<LPARAM>(&dis)) == TRUE);
    CHECK(f.Events.Drawn == 1);
    CHECK(f.Events.LastState == (odSelected | odChecked));
    CHECK(bmp.Canvas()->Pixels(60, 12) == clRed);

    // Without handlers the item draws itself: the measure gives room for the caption and
    // the shortcut, the drawing changes the bitmap.
    mis.itemID = f.Exit->Command();
    mis.itemWidth = mis.itemHeight = 0;
    SendMessageA(wnd, WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&mis));
    CHECK(mis.itemWidth > 20u);
    CHECK(mis.itemHeight >= 12u);
    UINT exitWidth = mis.itemWidth;
    mis.itemID = f.Open->Command();
    f.Open->OnMeasureItem = nullptr;
    SendMessageA(wnd, WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&mis));
    CHECK(mis.itemWidth > exitWidth);   // "&Open" is about as long as "&Exit" but has Ctrl+O
    bmp.Canvas()->Brush()->SetColor(clLime);
    bmp.Canvas()->FillRect(Rect(0, 0, 130, 24));
    dis.itemID = f.Exit->Command();
    dis.itemState = ODS_SELECTED;
    SendMessageA(wnd, WM_DRAWITEM, 0, reinterpret_cast<LPARAM>(&dis));
    CHECK(bmp.Canvas()->Pixels(1, 1) == ColorToRGB(clHighlight));
    // Not our item: left to the system.
    dis.itemID = 0xEEEE;
    CHECK(SendMessageA(wnd, WM_DRAWITEM, 0, reinterpret_cast<LPARAM>(&dis)) == 0);
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
    CHECK(a->IsOwnerDraw());
    CHECK(HasType(h, 0, MFT_OWNERDRAW));
    CHECK_FALSE(HasType(h, 1, MFT_OWNERDRAW));
    auto* images = new TImageList(&owner);
    menu->SetImages(images);
    CHECK(b->GetImageList() == images);
    CHECK(HasType(h, 1, MFT_OWNERDRAW));
    // The item draws its image in the glyph column.
    TBitmap strip;
    strip.SetPixelFormat(pf24bit);
    strip.SetSize(16, 16);
    strip.Canvas()->Brush()->SetColor(clTeal);
    strip.Canvas()->FillRect(Rect(0, 0, 16, 16));
    images->Add(&strip, nullptr);
    b->SetImageIndex(0);
    TBitmap canvas;
    canvas.SetPixelFormat(pf24bit);
    canvas.SetSize(100, 20);
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

namespace {

// Picks an item of the popup menu that is being shown: a timer fires inside the
// system's menu loop and types the keys.
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

TEST_CASE("a popup menu runs the chosen item before Popup returns")
{
    TComponent owner(nullptr);
    TMenuEvents events;
    TPopupMenu* menu = new TPopupMenu(&owner);
    menu->SetName("Popup1");
    menu->OnPopup = MakeMethod<&TMenuEvents::Popup>(&events);
    TMenuItem* first = NewItem(&owner, "First1", "First", menu->Items());
    TMenuItem* second = NewItem(&owner, "Second1", "Second", menu->Items());
    first->OnClick = MakeMethod<&TMenuEvents::Click>(&events);
    second->OnClick = MakeMethod<&TMenuEvents::Click>(&events);
    TMenuKeys::Fired = 0;
    TMenuKeys::Arm({VK_DOWN, VK_DOWN, VK_RETURN});
    menu->Popup(100, 100);
    CHECK(TMenuKeys::Fired == 1);
    REQUIRE(events.Log.size() == 2);
    CHECK(events.Log[0] == "popup Popup1");
    CHECK(events.Log[1] == "click Second1");
    CHECK(menu->PopupPoint() == TPoint(100, 100));

    // Escape: nothing runs.
    TMenuKeys::Arm({VK_ESCAPE, VK_ESCAPE});
    menu->Popup(100, 100);
    CHECK(events.Log.size() == 3);
    CHECK(events.Log.back() == "popup Popup1");
}

TEST_CASE("a control's context menu pops up for it, owner-drawn")
{
    TMenuEvents events;
    TComponent owner(nullptr);
    auto form = std::make_unique<TForm>(nullptr);
    form->SetBounds(60, 60, 200, 150);
    TPopupMenu* menu = new TPopupMenu(&owner);
    menu->SetOwnerDraw(true);
    TMenuItem* item = NewItem(&owner, "Item1", "Item", menu->Items());
    item->OnClick = MakeMethod<&TMenuEvents::Click>(&events);
    item->OnMeasureItem = MakeMethod<&TMenuEvents::Measure>(&events);
    item->OnAdvancedDrawItem = MakeMethod<&TMenuEvents::Draw>(&events);
    form->SetPopupMenu(menu);
    form->Show();
    PumpMenus();
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

TEST_CASE("the popup list's window takes hints and commands of popup menus")
{
    TComponent owner(nullptr);
    TMenuEvents events;
    TPopupMenu* menu = new TPopupMenu(&owner);
    TMenuItem* sub = NewItem(&owner, "Sub1", "Sub", menu->Items());
    sub->SetHint("Sub|More choices");
    TMenuItem* leaf = NewItem(&owner, "Leaf1", "Leaf", sub);
    leaf->SetHint("A leaf");
    leaf->OnClick = MakeMethod<&TMenuEvents::Click>(&events);
    HWND wnd = PopupList->Window();
    SendMessageA(wnd, WM_MENUSELECT, MAKEWPARAM(leaf->Command(), 0), reinterpret_cast<LPARAM>(sub->Handle()));
    CHECK(Application->Hint() == "A leaf");
    SendMessageA(wnd, WM_MENUSELECT, MAKEWPARAM(0, MF_POPUP), reinterpret_cast<LPARAM>(menu->Handle()));
    CHECK(Application->Hint() == "More choices");
    SendMessageA(wnd, WM_MENUSELECT, MAKEWPARAM(0xEEEE, 0), 0);
    CHECK(Application->Hint() == "");
    SendMessageA(wnd, WM_COMMAND, MAKEWPARAM(leaf->Command(), 0), 0);
    CHECK(events.Log == std::vector<AnsiString>{"click Leaf1"});
    // A menu that is freed leaves the list.
    int count = PopupList->Count();
    delete menu;
    CHECK(PopupList->Count() == count - 1);
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

TEST_CASE("the popup list can be replaced")
{
    TComponent owner(nullptr);
    TMenuEvents events;
    TPopupMenu* menu = new TPopupMenu(&owner);
    TMenuItem* item = NewItem(&owner, "Item1", "Item", menu->Items());
    item->OnClick = MakeMethod<&TMenuEvents::Click>(&events);
    auto* mine = new TRecordingPopupList();
    SetPopupList(mine);
    CHECK(PopupList == mine);
    CHECK(mine->IndexOf(menu) >= 0);
    TMenuKeys::Arm({VK_DOWN, VK_RETURN});
    menu->Popup(50, 50);
    CHECK(events.Log == std::vector<AnsiString>{"click Item1"});
    CHECK(std::find(mine->Seen.begin(), mine->Seen.end(), UINT(WM_ENTERMENULOOP)) != mine->Seen.end());
    CHECK(std::find(mine->Seen.begin(), mine->Seen.end(), UINT(WM_MENUSELECT)) != mine->Seen.end());
    CHECK(mine->Seen.back() == UINT(WM_COMMAND));
    SetPopupList(new TPopupList());
    CHECK(PopupList->IndexOf(menu) >= 0);
}

TEST_CASE("an exception in a menu handler stays in the program")
{
    TMenuForm f;
    struct TCatcher {
        AnsiString Message;
        void Caught(TObject*, Exception* E) { Message = E->Message(); }
    } catcher;
    Application->OnException = MakeMethod<&TCatcher::Caught>(&catcher);
    f.Events.ThrowOnClick = true;
    SendMessageA(f.Window(), WM_COMMAND, MAKEWPARAM(f.Open->Command(), 0), 0);
    SendMessageA(PopupList->Window(), WM_MENUSELECT, MAKEWPARAM(1, 0), 0);
    Application->OnException = nullptr;
    CHECK(catcher.Message == "click failed");
}

TEST_CASE("menus round-trip through form data")
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

    TMemoryStream data;
    data.WriteComponent(f.Form.get());
    data.SetPosition(0);
    auto copy = std::make_unique<TForm>(nullptr);
    data.ReadComponent(copy.get());

    auto* menu = dynamic_cast<TMainMenu*>(copy->FindComponent("MainMenu1"));
    REQUIRE(menu != nullptr);
    CHECK(menu->OwnerDraw());
    TMenuItem* root = menu->Items();
    REQUIRE(root->Count() == 3);
    TMenuItem* file = root->Items(0);
    CHECK(file->Name() == "File1");
    CHECK(file->Caption() == "File");
    REQUIRE(file->Count() == 3);
    TMenuItem* open = file->Items(0);
    CHECK(open->Name() == "Open1");
    CHECK(open->ShortCut() == ShortCut('O', ssCtrl));
    CHECK(open->Hint() == "Open|Opens a document");
    CHECK(open->Checked());
    CHECK(open->RadioItem());
    CHECK(open->GroupIndex() == 3);
    CHECK(file->Items(1)->IsLine());
    CHECK(file->Items(2)->Break() == mbBarBreak);
    CHECK(file->Items(2)->ImageIndex() == 4);
    CHECK(file->Items(2)->Tag() == 7);
    CHECK(root->Items(1)->Default());
    CHECK_FALSE(root->Items(1)->Enabled());
    CHECK_FALSE(root->Items(2)->Visible());
    auto* popupCopy = dynamic_cast<TPopupMenu*>(copy->FindComponent("Popup1"));
    REQUIRE(popupCopy != nullptr);
    CHECK(popupCopy->Alignment() == paRight);
    CHECK_FALSE(popupCopy->AutoPopup());
    REQUIRE(popupCopy->Items()->Count() == 1);
    CHECK(popupCopy->Items()->Items(0)->ShortCut() == ShortCut('C', ssCtrl));

    // The form's menu came back as a reference, and works: its native menu is made from
    // what was read.
    CHECK(copy->Menu() == menu);
    HMENU bar = GetMenu(copy->Handle());
    REQUIRE(bar == menu->Handle());
    CHECK(GetMenuItemCount(bar) == 2);
    CHECK(GetMenuItemCount(file->Handle()) == 3);
}

TEST_CASE("damaged menu form data is refused")
{
    TMenuForm f;
    TMemoryStream data;
    data.WriteComponent(f.Form.get());
    auto* bytes = static_cast<const char*>(data.Memory());
    AnsiString whole(bytes, bytes + data.Size());
    // Every cut-short copy raises a read error or loads partly; none crashes or hangs,
    // and what was read before the damage is freed with the form (items are freed with
    // their parent items, which the reader must know when it gives up on one).
    int failed = 0;
    for (size_t cut = 4; cut < whole.size(); ++cut) {
        TStringStream s(whole.substr(0, cut));
        auto copy = std::make_unique<TForm>(nullptr);
        try {
            s.ReadComponent(copy.get());
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
    f.Form->Show();
    HWND wnd = f.Window();
    SetWindowPos(wnd, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    DrawMenuBar(wnd);
    RedrawWindow(wnd, nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_ERASE | RDW_UPDATENOW);
    PumpMenus();
    RECT wr;
    GetWindowRect(wnd, &wr);
    TBitmap shot;
    shot.SetPixelFormat(pf24bit);
    shot.SetSize(wr.right - wr.left, wr.bottom - wr.top);
    HDC wdc = GetWindowDC(wnd);
    BitBlt(shot.Canvas()->Handle(), 0, 0, shot.Width(), shot.Height(), wdc, 0, 0, SRCCOPY);
    ReleaseDC(wnd, wdc);
    CreateDirectoryA(ZANDREL_BUILD_DIR "/screenshots", nullptr);
    CHECK(WritePng24(ZANDREL_BUILD_DIR "/screenshots/menus.png", shot.Width(), shot.Height(),
                     static_cast<const uint8_t*>(shot.ScanLine(0)), shot.ScanLineStep()));
    // The bar's items were drawn by the program: a text pixel of the menu text colour lies
    // in the bar.
    MENUBARINFO mbi{};
    mbi.cbSize = sizeof(mbi);
    REQUIRE(GetMenuBarInfo(wnd, OBJID_MENU, 1, &mbi));
    RECT item = mbi.rcBar;
    OffsetRect(&item, -wr.left, -wr.top);
    bool text = false;
    for (int y = item.top; y < item.bottom && !text; ++y)
        for (int x = item.left; x < item.right && !text; ++x)
            text = shot.Canvas()->Pixels(x, y) == ColorToRGB(clMenuText);
    CHECK(text);
}

namespace {
// Captures the popup menu window that is being shown, then closes it.
struct TPopupShot {
    static inline bool Written = false;
    static void CALLBACK Timer(HWND, UINT, UINT_PTR Id, DWORD)
    {
        KillTimer(nullptr, Id);
        HWND menuWnd = FindWindowA("#32768", nullptr);
        RECT r{};
        GetWindowRect(menuWnd, &r);
        TBitmap shot;
        shot.SetPixelFormat(pf24bit);
        shot.SetSize(std::max<LONG>(1, r.right - r.left), std::max<LONG>(1, r.bottom - r.top));
        HDC dc = GetWindowDC(menuWnd);
        BitBlt(shot.Canvas()->Handle(), 0, 0, shot.Width(), shot.Height(), dc, 0, 0, SRCCOPY);
        ReleaseDC(menuWnd, dc);
        CreateDirectoryA(ZANDREL_BUILD_DIR "/screenshots", nullptr);
        Written = WritePng24(ZANDREL_BUILD_DIR "/screenshots/popup-menu.png", shot.Width(), shot.Height(),
                             static_cast<const uint8_t*>(shot.ScanLine(0)), shot.ScanLineStep());
        PostMessageA(menuWnd, WM_KEYDOWN, VK_ESCAPE, 0);
    }
};
} // namespace

TEST_CASE("an owner-drawn popup menu on the screen")
{
    TComponent owner(nullptr);
    TPopupMenu* menu = new TPopupMenu(&owner);
    menu->SetOwnerDraw(true);
    TMenuItem* open = NewItem(&owner, "Open1", "&Open", menu->Items());
    open->SetShortCut(ShortCut('O', ssCtrl));
    open->SetDefault(true);
    TMenuItem* check = NewItem(&owner, "Check1", "&Word wrap", menu->Items());
    check->SetChecked(true);
    NewItem(&owner, "N1", "-", menu->Items());
    TMenuItem* radio = NewItem(&owner, "Radio1", "&Large", menu->Items());
    radio->SetRadioItem(true);
    radio->SetChecked(true);
    TMenuItem* off = NewItem(&owner, "Off1", "&Disabled", menu->Items());
    off->SetEnabled(false);
    TMenuItem* sub = NewItem(&owner, "Sub1", "&More", menu->Items());
    NewItem(&owner, "Inner1", "Inner", sub);
    TPopupShot::Written = false;
    SetTimer(nullptr, 0, 200, &TPopupShot::Timer);
    menu->Popup(200, 200);
    CHECK(TPopupShot::Written);
}
