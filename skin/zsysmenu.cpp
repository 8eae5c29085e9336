#include "skin/zsysmenu.h"

#include "skin/zskinmanager.h"
#include "unicode/ucclasses.h"
#include "unicode/ucmenus.h"

#include <algorithm>

// ---------------------------------------------------------------------------------------
// The item table

namespace {

bool Among(TFormBorderStyle S, std::initializer_list<TFormBorderStyle> List)
{
    return std::find(List.begin(), List.end(), S) != List.end();
}

} // namespace

TzSysMenuItemState SystemMenuItemState(TzSysMenuItem Item, const TzSysMenuForm& F)
{
    const bool child = F.FormStyle == fsMDIChild;
    const TFormBorderStyle bs = F.BorderStyle;
    const bool sys = F.BorderIcons & biSystemMenu, min = F.BorderIcons & biMinimize, max = F.BorderIcons & biMaximize;
    const bool maximized = F.WindowState == wsMaximized, minimized = F.WindowState == wsMinimized;
    TzSysMenuItemState s;
    switch (Item) {
    case smiRestore:
        s.Visible = child || (!Among(bs, {bsDialog, bsNone, bsToolWindow, bsSizeToolWin}) && sys);
        s.Enabled = (max && F.WindowState != wsNormal) || minimized;
        break;
    case smiMove:
        s.Visible = true;
        s.Enabled = !maximized;
        break;
    case smiSize:
        s.Visible = child || !Among(bs, {bsDialog, bsNone, bsToolWindow});
        s.Enabled = bs != bsSingle && !F.Iconic;
        break;
    case smiMinimize:
        if (F.Iconic || child)
            s.Visible = true;
        else if (Among(bs, {bsDialog, bsNone}) || (bs == bsSingle && !min))
            s.Visible = false;
        else
            s.Visible = sys && !Among(bs, {bsToolWindow, bsSizeToolWin});
        s.Enabled = min && !minimized;
        break;
    case smiMaximize:
        if (F.Iconic || child)
            s.Visible = true;
        else if (Among(bs, {bsDialog, bsNone, bsSizeToolWin, bsToolWindow}) || (bs == bsSingle && !max) || !sys)
            s.Visible = false;
        else
            s.Visible = max;
        s.Enabled = max && (child || (!maximized && Among(bs, {bsSingle, bsSizeable})));
        break;
    case smiClose:
        s.Visible = sys;
        s.Enabled = true;
        break;
    default:
        break;
    }
    return s;
}

TzSysMenuForm SystemMenuFormOf(TCustomForm* Form)
{
    TzSysMenuForm f;
    if (!Form)
        return f;
    f.FormStyle = Form->FormStyle();
    f.BorderStyle = Form->BorderStyle();
    f.WindowState = Form->WindowState();
    f.BorderIcons = Form->BorderIcons();
    f.Iconic = Form->HandleAllocated() && IsIconic(Form->Handle());
    return f;
}

WideString SkinNameOfCaption(const WideString& Caption)
{
    WideString s = Caption;
    s.erase(std::remove(s.begin(), s.end(), L'&'), s.end());
    return s;
}

// ---------------------------------------------------------------------------------------
// The system menu

Z_CLASS_IMPL(TzSystemMenu, TPopupMenu)

TzSystemMenu::TzSystemMenu(TComponent* AOwner, TCustomForm* Form) : TPopupMenu(AOwner), FForm(Form)
{
    struct TDef {
        const char* Name;
        const char* Caption;
    };
    static const TDef defs[smiCount] = {{"ItemRestore", "Restore"},   {"ItemMove", "Move"},
                                        {"ItemSize", "Size"},         {"ItemMinimize", "Minimize"},
                                        {"ItemMaximize", "Maximize"}, {"ItemClose", "Close"}};
    const TNotifyEvent clicks[smiCount] = {
        MakeMethod<&TzSystemMenu::RestoreClick>(this),  MakeMethod<&TzSystemMenu::MoveClick>(this),
        MakeMethod<&TzSystemMenu::SizeClick>(this),     MakeMethod<&TzSystemMenu::MinimizeClick>(this),
        MakeMethod<&TzSystemMenu::MaximizeClick>(this), MakeMethod<&TzSystemMenu::CloseClick>(this)};
    for (int i = 0; i < smiCount; ++i) {
        auto* item = new TMenuItem(this);
        item->SetName(defs[i].Name);
        item->SetCaption(defs[i].Caption);
        item->OnClick = clicks[i];
        Items()->Add(item);
        FItems[i] = item;
        if (i == smiMaximize) {
            auto* line = new TMenuItem(this);
            line->SetCaption(cLineCaption);
            Items()->Add(line);
        }
    }
    FItems[smiClose]->SetShortCut(ShortCut(VK_F4, ssAlt));
}

void TzSystemMenu::SendCommand(UINT Command)
{
    if (FForm && FForm->HandleAllocated())
        SendMessageW(FForm->Handle(), WM_SYSCOMMAND, Command, 0);
}

void TzSystemMenu::RestoreClick(TObject*)
{
    SendCommand(SC_RESTORE);
    UpdateItems();
}

void TzSystemMenu::MoveClick(TObject*) { SendCommand(SC_MOVE); }
void TzSystemMenu::SizeClick(TObject*) { SendCommand(SC_SIZE); }

void TzSystemMenu::MinimizeClick(TObject*)
{
    if (Application && FForm && Application->MainForm() == FForm) {
        Application->Minimize();
        UpdateItems();
        return;
    }
    SendCommand(SC_MINIMIZE);
}

void TzSystemMenu::MaximizeClick(TObject*)
{
    if (FForm && FForm->FormStyle() != fsMDIChild)
        FForm->SetWindowState(wsMaximized);
    SendCommand(SC_MAXIMIZE);
    UpdateItems();
}

void TzSystemMenu::CloseClick(TObject*) { SendCommand(SC_CLOSE); }

void TzSystemMenu::UpdateItems()
{
    const TzSysMenuForm f = SystemMenuFormOf(FForm);
    for (int i = 0; i < smiCount; ++i) {
        const TzSysMenuItemState s = SystemMenuItemState(TzSysMenuItem(i), f);
        FItems[i]->SetVisible(s.Visible);
        FItems[i]->SetEnabled(s.Enabled);
    }
}

TMenuItem* TzSystemMenu::SkinItems() const
{
    TMenuItem* first = Items()->Count() > 0 ? Items()->Items(0) : nullptr;
    return first && first->Name() == SkinSelectItemName ? first : nullptr;
}

void TzSystemMenu::BuildSkinItems(TzSkinManager* Manager)
{
    if (TMenuItem* old = SkinItems())
        delete old;
    FSkinManager = Manager;
    if (!Manager)
        return;
    TUcStringList names;
    Manager->GetSkinNames(&names, 2);
    if (names.Count() == 0)
        return;
    auto* chooser = new TUcMenuItem(this);
    chooser->SetName(SkinSelectItemName);
    chooser->SetCaption(L"Available skins");
    Items()->Insert(0, chooser);
    // The separator after the chooser stays from the last time the menu was built.
    TMenuItem* next = Items()->Count() > 1 ? Items()->Items(1) : nullptr;
    if (next && next->IsLine()) {
        next->SetVisible(true);
    } else {
        auto* line = new TMenuItem(this);
        line->SetCaption(cLineCaption);
        Items()->Insert(1, line);
    }
    for (int i = 0; i < names.Count(); ++i) {
        auto* item = new TUcMenuItem(this);
        item->SetName(AnsiString(SkinSelectItemName) + std::to_string(i));
        item->SetCaption(names.Strings(i));
        item->SetRadioItem(true);
        item->SetChecked(names.Strings(i) == Manager->SkinName());
        if (i > 0 && i % 20 == 0)
            item->SetBreak(mbBreak);
        item->OnClick = MakeMethod<&TzSystemMenu::SkinClick>(this);
        chooser->Add(item);
    }
}

void TzSystemMenu::SkinClick(TObject* Sender)
{
    auto* item = dynamic_cast<TMenuItem*>(Sender);
    if (item && FSkinManager)
        FSkinManager->SetSkinName(SkinNameOfCaption(GetMenuItemWideCaption(item)));
}

// ---------------------------------------------------------------------------------------
// Title icon and title buttons

Z_CLASS_IMPL(TzTitleIcon, TPersistent, Z_PROP_OBJ(TzTitleIcon, Glyph), Z_PROP_INT(TzTitleIcon, Height, 0),
             Z_PROP_INT(TzTitleIcon, Width, 0))

TzTitleIcon::TzTitleIcon() : FGlyph(std::make_unique<TBitmap>()) {}
TzTitleIcon::~TzTitleIcon() = default;

void TzTitleIcon::Assign(TPersistent* Source)
{
    if (auto* s = dynamic_cast<TzTitleIcon*>(Source)) {
        FGlyph->Assign(s->Glyph());
        FHeight = s->FHeight;
        FWidth = s->FWidth;
        return;
    }
    inherited::Assign(Source);
}

Z_CLASS_IMPL(TzTitleButton, TCollectionItem, Z_PROP_BOOL(TzTitleButton, Enabled, true),
             Z_PROP_OBJ(TzTitleButton, Glyph), Z_PROP_STR(TzTitleButton, Name),
             Z_PROP_BOOL(TzTitleButton, UseSkinData, true))

TzTitleButton::TzTitleButton(TCollection* Collection)
    : TCollectionItem(Collection), FGlyph(std::make_unique<TBitmap>()), FName(ClassName())
{
}

TzTitleButton::~TzTitleButton() = default;

void TzTitleButton::Assign(TPersistent* Source)
{
    if (auto* s = dynamic_cast<TzTitleButton*>(Source)) {
        FEnabled = s->FEnabled;
        FGlyph->Assign(s->Glyph());
        FName = s->FName;
        FUseSkinData = s->FUseSkinData;
        OnMouseDown = s->OnMouseDown;
        OnMouseUp = s->OnMouseUp;
        return;
    }
    inherited::Assign(Source);
}

void TzTitleButton::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    if (OnMouseDown)
        OnMouseDown(this, Button, Shift, X, Y);
}

void TzTitleButton::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    if (OnMouseUp)
        OnMouseUp(this, Button, Shift, X, Y);
}

Z_CLASS_IMPL(TzTitleButtons, TOwnedCollection)

TzTitleButtons::TzTitleButtons(TPersistent* AOwner) : TOwnedCollection(AOwner, TzTitleButton::StaticClassInfo()) {}

void InitSystemMenus()
{
    RegisterClass(TzSystemMenu::StaticClassInfo());
}
