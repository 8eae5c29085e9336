#include "join.h"
#include "ucwin.h"
#include "classlib/menus.h"
#include "unicode/ucactnlist.h"
#include "unicode/ucforms.h"
#include "unicode/uchotkeys.h"
#include "unicode/ucmenus.h"

namespace {

TUcMenuItem* NewItem(TComponent* Owner, const WideString& Caption, TMenuItem* Parent)
{
    auto* item = new TUcMenuItem(Owner);
    item->SetCaption(Caption);
    if (Parent)
        Parent->Add(item);
    return item;
}

// A Unicode form with a main menu: a Cyrillic "File" with "Open" (Greek, with a shortcut
// and a hint) and a plain library item beside it.
struct TUcMenuForm {
    std::unique_ptr<TUcForm> Form = std::make_unique<TUcForm>(nullptr);
    TMainMenu* Menu = new TMainMenu(Form.get());
    TUcMenuItem* File = NewItem(Form.get(), CyrFile, Menu->Items());
    TUcMenuItem* Open = NewItem(Form.get(), Greek, File);
    TMenuItem* Plain = new TMenuItem(Form.get());

    TUcMenuForm()
    {
        Menu->SetName("MainMenu1");
        File->SetName("File1");
        Open->SetName("Open1");
        Open->SetHint(Greek + L"|" + Sigma);
        Plain->SetName("Plain1");
        Plain->SetCaption("Plain");
        File->Add(Plain);
        Form->SetBounds(60, 60, 320, 200);
        Form->SetMenu(Menu);
    }
    HMENU Bar() { return GetMenu(Form->Handle()); }
};

// Puts the ANSI text the library would write into a native menu's entry.
void SetStaleMenuText(HMENU Menu, int Pos)
{
    MENUITEMINFOA stale{};
    stale.cbSize = sizeof(stale);
    stale.fMask = MIIM_STRING;
    char text[] = "?????";
    stale.dwTypeData = text;
    SetMenuItemInfoA(Menu, static_cast<UINT>(Pos), TRUE, &stale);
    REQUIRE(WideMenuText(Menu, Pos) == L"?????");
}

// A white picture in the menu font, black text.
std::unique_ptr<TBitmap> MenuPicture()
{
    auto bmp = Picture(160, 24, clWhite);
    bmp->Canvas()->Font()->Assign(Screen->MenuFont());
    bmp->Canvas()->Font()->SetColor(clBlack);
    return bmp;
}

} // namespace

TEST_CASE("hot keys of wide captions follow those the library puts into the ANSI caption")
{
    TUcMenuForm f;
    // A Cyrillic caption gets its automatic hot key at the same place.
    HMENU bar = f.Bar();
    REQUIRE(bar != nullptr);
    CHECK(f.File->TMenuItem::Caption() == WideToAnsi(L"&" + CyrFile));
    CHECK(Join(f.File->Caption(), WideMenuText(bar, 0)) == Join(L"&" + CyrFile, L"&" + CyrFile));
    // A Greek caption takes its hot key on the first letter ANSI can carry.
    f.Open->SetCaption(Greek + L" Save");
    f.File->RethinkHotkeys();
    CHECK(f.Open->TMenuItem::Caption() == "????? &Save");
    CHECK(Join(f.Open->Caption(), WideMenuText(f.File->Handle(), 0)) == Join(Greek + L" &Save", Greek + L" &Save"));
    // A literal && stays one character while the hot keys are placed.
    f.Open->SetCaption(L"&&Save " + Greek);
    f.File->RethinkHotkeys();
    CHECK(Join(f.Open->Caption(), WideMenuText(f.File->Handle(), 0)) ==
          Join(L"&&&Save " + Greek, L"&&&Save " + Greek));
    // A doubled & alone is a literal & and no hot key; a later single & marks E.
    f.Menu->SetAutoHotkeys(maManual);
    f.Open->SetCaption(L"&&Save");
    f.Plain->SetCaption("&&Save &Exit");
    CHECK(Join(f.Open->Caption(), WideMenuText(f.File->Handle(), 0), GetHotkey(f.Plain->Caption())) ==
          Join("&&Save", "&&Save", "E"));
}

TEST_CASE("hot keys of a caption: Far-East groups, and hot keys that cannot be placed")
{
    {
        // A Far-East bracketed hot key is copied whole.
        TRestore<bool (*)()> restore(UcFarEastLocale);
        UcFarEastLocale = [] { return true; };
        WideString wide = Greek;
        SyncHotKeyPosition("????" "?(&F)", wide);
        CHECK(wide == Greek + L"(&F)");
    }
    // Hot keys that cannot be placed raise in the routine, never in the caption getter. UTF-8
    // as the conversion code page: a damaged ANSI caption is alike to the wide one without hot
    // keys, but the rebuilt caption cannot give it back.
    TRestore<UINT> restore(DefaultConversionCodePage);
    DefaultConversionCodePage = CP_UTF8_;
    WideString wide = L"\xFFFD";
    CHECK_THROWS_WITH_AS(SyncHotKeyPosition("\xC3&", wide),
                         "Internal Error: SyncHotKeyPosition Failed (\"\xEF\xBF\xBD&\" <> \"\xC3&\").",
                         EUcInternalError);
    CHECK(wide == L"\xFFFD");
    TUcMenuItem item(nullptr);
    item.SetCaption(L"\xFFFD");
    item.TMenuItem::SetCaption("\xC3&");
    CHECK(item.Caption() == L"\xFFFD");
}

TEST_CASE("menu items show wide captions and shortcuts in the native menu; wide shortcut texts")
{
    TUcMenuForm f;
    f.Menu->SetAutoHotkeys(maManual);
    f.Open->SetShortCut(ShortCut(VK_F5, ssCtrl | ssShift));
    HMENU bar = f.Bar();
    HMENU file = f.File->Handle();
    const WideString open = Greek + L"\tShift+Ctrl+F5";
    CHECK(Join(WideMenuText(bar, 0), WideMenuText(file, 0), WideMenuText(file, 1)) == Join(CyrFile, open, L"Plain"));
    // A rebuild of the native menu by the library keeps them.
    f.Plain->SetCaption("Plain again");
    CHECK(Join(WideMenuText(file, 0), WideMenuText(file, 1)) == Join(open, L"Plain again"));
    // Two wide captions with one ANSI form.
    f.Open->SetCaption(Sigma);
    CHECK(Join(WideMenuText(file, 0), f.Open->TMenuItem::Caption()) == Join(Sigma + L"\tShift+Ctrl+F5", "?????"));

    // The form puts the wide texts back when its window moves or its reading order changes.
    f.Form->Show();
    Pump();
    SetStaleMenuText(bar, 0);
    SetWindowPos(f.Form->Handle(), nullptr, 70, 70, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    CHECK(WideMenuText(bar, 0) == CyrFile);
    SetStaleMenuText(file, 0);
    f.Form->Perform(CM_BIDIMODECHANGED, 0, 0);
    CHECK(WideMenuText(file, 0) == Sigma + L"\tShift+Ctrl+F5");

    // An item opening a submenu and an item on the bar show no shortcut.
    f.File->SetShortCut(ShortCut('F', ssCtrl));
    NewItem(f.Form.get(), Greek, f.Open);
    CHECK(Join(WideMenuText(bar, 0), WideMenuText(file, 0)) == Join(CyrFile, Sigma));

    // Owner-drawn entries are left to their items.
    f.Menu->SetOwnerDraw(true);
    MENUITEMINFOW info{};
    info.cbSize = sizeof(info);
    info.fMask = MIIM_FTYPE;
    GetMenuItemInfoW(file, 0, TRUE, &info);
    CHECK((info.fType & MFT_OWNERDRAW) != 0);
    CHECK_NOTHROW(UpdateMenuItemWideText(f.Open));

    // Wide shortcut texts.
    CHECK(Join(ShortCutToWideText(ShortCut(VK_DELETE, ssAlt)), ShortCutToWideText(ShortCut('A', ssCtrl)),
               ShortCutToWideText(ShortCut('7', ssShift | ssAlt)), ShortCutToWideText(ShortCut(VK_NUMPAD5, ssCtrl))) ==
          Join(L"Alt+Del", L"Ctrl+A", L"Shift+Alt+7", L"Ctrl+5"));
    CHECK(ShortCutToWideText(0).empty());

    // A key the library has no name for is named by the keyboard.
    CHECK(ShortCutToWideText(ShortCut(VK_MULTIPLY, ssCtrl)).rfind(L"Ctrl+", 0) == 0);
    CHECK(ShortCutToWideText(ShortCut(VK_MULTIPLY, ssCtrl)).size() > 5);
    // The ANSI platform takes the library's text.
    TAnsiPlatform ansi;
    CHECK(ShortCutToWideText(ShortCut(VK_MULTIPLY, 0)) == AnsiToWide(ShortCutToText(ShortCut(VK_MULTIPLY, 0))));
}

TEST_CASE("menu selection sets the application's wide hint; the popup list puts the wide texts into popup menus when a menu loop starts")
{
    TUcMenuForm f;
    HMENU bar = f.Bar();
    // In a form's main menu.
    f.File->SetHint(CyrFile + L"|" + Greek);
    SendMessageW(f.Form->Handle(), WM_MENUSELECT, MAKEWPARAM(f.Open->Command(), 0),
                 reinterpret_cast<LPARAM>(f.File->Handle()));
    CHECK(Join(UcApplication->Hint(), Application->Hint()) == Join(Sigma, "?????"));
    // A submenu's item is found by its handle.
    SendMessageW(f.Form->Handle(), WM_MENUSELECT, MAKEWPARAM(0, MF_POPUP), reinterpret_cast<LPARAM>(bar));
    CHECK(UcApplication->Hint() == Greek);
    SendMessageW(f.Form->Handle(), WM_MENUSELECT, MAKEWPARAM(0, 0xFFFF), 0);
    CHECK(UcApplication->Hint().empty());

    // In a popup menu, through the popup list.
    REQUIRE(dynamic_cast<TUcPopupList*>(PopupList) != nullptr);
    auto* popup = new TPopupMenu(f.Form.get());
    TUcMenuItem* item = NewItem(f.Form.get(), Greek, popup->Items());
    item->SetHint(L"short|" + CyrFile);
    HMENU menu = popup->Items()->Handle();
    SendMessageW(PopupList->Window(), WM_MENUSELECT, MAKEWPARAM(item->Command(), 0), reinterpret_cast<LPARAM>(menu));
    CHECK(UcApplication->Hint() == CyrFile);
    UcApplication->SetHint(L"");

    // The popup list puts the wide texts into popup menus when a menu loop starts.
    {
        auto form = std::make_unique<TUcForm>(nullptr);
        auto* popup = new TPopupMenu(form.get());
        TUcMenuItem* item = NewItem(form.get(), Greek, popup->Items());
        item->SetShortCut(ShortCut('A', ssCtrl));
        HMENU menu = popup->Items()->Handle();
        CHECK(WideMenuText(menu, 0) == Greek + L"\tCtrl+A");
        // The library's ANSI text gets in: the menu loop's start puts the wide one back.
        SetStaleMenuText(menu, 0);
        SendMessageW(PopupList->Window(), WM_ENTERMENULOOP, TRUE, 0);
        CHECK(WideMenuText(menu, 0) == Greek + L"\tCtrl+A");
    }
}

TEST_CASE("owner-drawn menu items measure and draw their wide captions, aligned as their menu")
{
    TUcMenuItem wide(nullptr);
    wide.SetCaption(Greek);
    TMenuItem plain(nullptr);
    plain.SetCaption("?????");
    auto b = MenuPicture();
    // The caption and the shortcut text are measured wide.
    wide.SetShortCut(ShortCut('A', ssCtrl));
    plain.SetShortCut(ShortCut('A', ssCtrl));
    int wideW = 0, wideH = 0, plainW = 0, plainH = 0;
    wide.MeasureItem(b->Canvas(), wideW, wideH);
    plain.MeasureItem(b->Canvas(), plainW, plainH);
    RECT rw{0, 0, 0, 0}, ra{0, 0, 0, 0};
    DrawTextW(b->Canvas()->Handle(), Greek.c_str(), -1, &rw, DT_CALCRECT | DT_SINGLELINE);
    DrawTextA(b->Canvas()->Handle(), "?????", -1, &ra, DT_CALCRECT | DT_SINGLELINE);
    CHECK(Join(wideW - plainW, wideH) == Join((rw.right - rw.left) - (ra.right - ra.left), plainH));
    // OnMeasureItem has the last word.
    struct TMeasure {
        void Measure(TObject*, TCanvas*, int& W, int&) { W = 77; }
    } m;
    wide.OnMeasureItem = MakeMethod<&TMeasure::Measure>(&m);
    wide.MeasureItem(b->Canvas(), wideW, wideH);
    CHECK(wideW == 77);

    // The caption is drawn as wide text.
    auto drawn = MenuPicture(), expected = MenuPicture();
    TRect r(2, 2, 158, 22);
    wide.DoDrawText(drawn->Canvas(), "?????", r, false, DT_SINGLELINE | DT_LEFT);
    RECT er{2, 2, 158, 22};
    SetBkMode(expected->Canvas()->Handle(), TRANSPARENT);
    DrawTextW(expected->Canvas()->Handle(), Greek.c_str(), -1, &er, DT_SINGLELINE | DT_LEFT);
    CHECK(SamePixels(drawn.get(), expected.get()));
    // Measuring an empty caption still gives a line's height.
    TUcMenuItem empty(nullptr);
    TRect e(0, 0, 0, 0);
    empty.DoDrawText(drawn->Canvas(), "", e, false, DT_CALCRECT | DT_SINGLELINE);
    CHECK(e.Height() > 0);

    // The text alignment follows the menu's.
    {
        auto form = std::make_unique<TUcForm>(nullptr);
        auto* popup = new TPopupMenu(form.get());
        TUcMenuItem* item = NewItem(form.get(), Greek, popup->Items());
        CHECK(MenuItemAlignmentFlags(item) == DT_LEFT);
        popup->SetAlignment(paRight);
        CHECK(MenuItemAlignmentFlags(item) == DT_RIGHT);
        popup->SetAlignment(paCenter);
        CHECK(MenuItemAlignmentFlags(item) == DT_CENTER);
    }
}

namespace {

// A control without a window that is Unicode as the subsystem's controls are.
class TUcTestLabel : public TGraphicControl {
    Z_CLASS(TUcTestLabel, TGraphicControl)
public:
    explicit TUcTestLabel(TComponent* AOwner) : TGraphicControl(AOwner) { SetBounds(0, 0, 80, 20); }
    void ActionChange(TObject* Sender, bool CheckDefaults) override
    {
        ApplyActionWideText(this, dynamic_cast<TBasicAction*>(Sender), CheckDefaults);
        TGraphicControl::ActionChange(Sender, CheckDefaults);
    }
    const TControlActionLinkClass* GetActionLinkClass() override
    {
        return GetUcActionLinkClass(this, TGraphicControl::GetActionLinkClass());
    }
};
Z_CLASS_IMPL(TUcTestLabel, TGraphicControl)

// A control of a kind this library does not have, known by its class name.
class TCustomListView : public TWinControl {
    Z_CLASS(TCustomListView, TWinControl)
public:
    explicit TCustomListView(TComponent* AOwner) : TWinControl(AOwner) {}
};
Z_CLASS_IMPL(TCustomListView, TWinControl)

} // namespace

TEST_CASE("wide captions and hints of actions; the link class of a Unicode control")
{
    TUcAction action(nullptr);
    action.SetCaption(Greek);
    action.SetHint(Sigma);
    CHECK(Join(action.Caption(), action.TCustomAction::Caption(), GetActionWideHint(&action)) ==
          Join(Greek, "?????", Sigma));
    // Assigned from an action and from a control.
    TUcAction copy(nullptr);
    copy.Assign(&action);
    CHECK(Join(copy.Caption(), copy.Hint()) == Join(Greek, Sigma));
    TUcForm form(nullptr);
    form.SetCaption(CyrFile);
    form.SetHint(Greek);
    copy.Assign(&form);
    CHECK(Join(copy.Caption(), copy.Hint()) == Join(CyrFile, Greek));
    // A change through the ANSI side is followed.
    action.TCustomAction::SetCaption("Plain");
    CHECK(action.Caption() == L"Plain");
    // An action without the interface converts.
    TAction plain(nullptr);
    SetActionWideCaption(&plain, CyrFile);
    CHECK(Join(plain.Caption(), GetActionWideCaption(&plain)) == Join(WideToAnsi(CyrFile), CyrFile));

    // The link class of a Unicode control.
    {
        TUcForm form(nullptr);
        TUcTestLabel label(nullptr);
        TCustomListView list(nullptr);
        const TControlActionLinkClass* cls = GetUcActionLinkClass(&form, form.TForm::GetActionLinkClass());
        CHECK(&cls->ClassInfo() == &TUcWinControlActionLink::StaticClassInfo());
        cls = GetUcActionLinkClass(&label, ControlHooks.ControlLinkClass);
        CHECK(&cls->ClassInfo() == &TUcControlActionLink::StaticClassInfo());
        cls = GetUcActionLinkClass(&list, ControlActionLinkClassOf<TListViewActionLink>());
        CHECK(&cls->ClassInfo() == &TUcListViewActionLink::StaticClassInfo());
        // The library's class of the control is not the parent of the chosen one.
        CHECK_THROWS_AS(GetUcActionLinkClass(&list, ControlHooks.ControlLinkClass), EAssertionFailed);
        CHECK_THROWS_AS(GetUcActionLinkClass(&form, nullptr), EAssertionFailed);
    }
}

namespace {
// A Unicode action with a Greek caption and a Cyrillic and Greek hint, linked to a menu
// item, a Unicode control and a second Unicode form.
struct TLinkedClients {
    TUcMenuForm F;
    TUcAction* Action = new TUcAction(F.Form.get());
    TUcTestLabel* Label = new TUcTestLabel(F.Form.get());
    std::unique_ptr<TUcForm> Form2 = std::make_unique<TUcForm>(nullptr);
    const WideString Hint = CyrFile + L"|" + Greek;
    TLinkedClients()
    {
        F.Menu->SetAutoHotkeys(maManual);
        Action->SetCaption(Greek);
        Action->SetHint(Hint);
        Label->SetParent(F.Form.get());
        Form2->HandleNeeded();
        F.Open->SetAction(Action);
        Label->SetAction(Action);
        Form2->SetAction(Action);
    }
};
} // namespace

TEST_CASE("an action's wide caption and hint reach its menu item, Unicode control and form")
{
    TLinkedClients c;
    HMENU file = c.F.File->Handle();
    CHECK(Join(c.F.Open->Caption(), c.F.Open->Hint(), WideMenuText(file, 0)) == Join(Greek, c.Hint, Greek));
    CHECK(Join(GetControlWideText(c.Label), GetControlWideHint(c.Label)) == Join(Greek, c.Hint));
    CHECK(Join(c.Form2->Caption(), WideWindowText(c.Form2->Handle())) == Join(Greek, Greek));
    CHECK_FALSE(IsWideHintStored(c.Label));   // linked: not stored with the client

    // A new caption with the same ANSI form reaches every client.
    c.Action->SetCaption(Sigma);
    c.Action->SetHint(Sigma);
    CHECK(Join(c.F.Open->Caption(), WideMenuText(file, 0), c.F.Open->Hint()) == Join(Sigma, Sigma, Sigma));
    CHECK(Join(GetControlWideText(c.Label), GetControlWideHint(c.Label), WideWindowText(c.Form2->Handle())) ==
          Join(Sigma, Sigma, Sigma));

    // An action without wide text still reaches Unicode clients.
    auto* plain = new TAction(c.F.Form.get());
    plain->SetCaption("Plain");
    c.Label->SetAction(plain);
    CHECK(GetControlWideText(c.Label) == L"Plain");
    plain->SetCaption(WideToAnsi(CyrFile));
    CHECK(GetControlWideText(c.Label) == CyrFile);

    // With defaults checked a client keeps a caption of its own, but its name is none.
    auto* other = new TUcTestLabel(c.F.Form.get());
    other->SetName("Other1");
    SetControlWideText(other, CyrFile);
    ApplyActionWideText(other, c.Action, true);
    CHECK(GetControlWideText(other) == CyrFile);
    SetControlWideText(other, L"Other1");
    ApplyActionWideText(other, c.Action, true);
    CHECK(GetControlWideText(other) == Sigma);
    // A client that shows a caption of its own no longer follows, and stores it.
    c.Form2->SetCaption(CyrFile);
    c.Action->SetCaption(Greek);
    CHECK(Join(c.F.Open->Caption(), c.Form2->Caption()) == Join(Greek, CyrFile));
    CHECK(IsWideCaptionStored(c.Form2.get()));
}

TEST_CASE("wide menu captions and action captions round-trip through form data")
{
    TUcMenuForm f;
    f.File->SetHint(Sigma);
    auto* list = new TActionList(f.Form.get());
    list->SetName("ActionList1");
    auto* action = new TUcAction(f.Form.get());
    action->SetName("Action1");
    action->SetActionList(list);
    action->SetCaption(Sigma);
    action->SetHint(Greek);

    auto copy = std::make_unique<TUcForm>(nullptr);
    CheckRoundTrip(f.Form.get(), copy.get(), {});

    auto* file = dynamic_cast<TUcMenuItem*>(copy->FindComponent("File1"));
    auto* open = dynamic_cast<TUcMenuItem*>(copy->FindComponent("Open1"));
    auto* readAction = dynamic_cast<TUcAction*>(copy->FindComponent("Action1"));
    REQUIRE(file);
    REQUIRE(open);
    REQUIRE(readAction);
    CHECK(Join(StripWideHotKeys(file->Caption()), file->Hint()) == Join(CyrFile, Sigma));
    CHECK(Join(open->Caption(), open->Hint()) == Join(Greek, Greek + L"|" + Sigma));
    CHECK(Join(readAction->Caption(), readAction->Hint()) == Join(Sigma, Greek));

    // The menu read back shows them.
    REQUIRE(copy->Menu() != nullptr);
    CHECK(WideMenuText(file->Handle(), 0) == Greek);
}
