// The provider as a component: its properties, its life on the form, the skin commands it
// answers for the form, and the form's menus.
#include "skin/zskinprovider.h"

#include "classlib/menus.h"
#include "skin/zcontrolutils.h"
#include "skin/zmdiform.h"
#include "skin/zskinmanager.h"
#include "skin/zskinwnd.h"
#include "unicode/ucmenus.h"

#include <algorithm>

TzControlAdapter* (*CreateControlAdapter)(TzSkinProvider* Provider) = nullptr;
TzSkinProvider* MDISkinProvider = nullptr;
TzSkinProvider* MaxChildProvider = nullptr;

namespace {

const char* const AlignmentNames[] = {"taLeftJustify", "taRightJustify", "taCenter"};
const char* const GripModeNames[] = {"gmNone", "gmRightBottom"};
const char* const ResizeModeNames[] = {"rmStandard", "rmBorder"};

void PopupAt(TPopupMenu* Menu, int X, int Y) { Menu->Popup(X, Y); }

bool IsMDIChild(const TCustomForm* F) { return F && F->FormStyle() == fsMDIChild; }

} // namespace

void (*SystemMenuPopup)(TPopupMenu* Menu, int X, int Y) = &PopupAt;

Z_CLASS_IMPL(TzSkinProvider, TComponent,
             Z_PROP_ENUM(TzSkinProvider, CaptionAlignment, AlignmentNames, taLeftJustify),
             Z_PROP_OBJ(TzSkinProvider, SkinData), Z_PROP_ENUM(TzSkinProvider, GripMode, GripModeNames, gmNone),
             Z_PROP_BOOL(TzSkinProvider, MakeSkinMenu, true), Z_PROP_STR(TzSkinProvider, MenuLineSkin),
             Z_PROP_ENUM(TzSkinProvider, ResizeMode, ResizeModeNames, rmStandard),
             Z_PROP_BOOL(TzSkinProvider, ScreenSnap, false), Z_PROP_INT(TzSkinProvider, SnapBuffer, 10),
             Z_PROP_BOOL(TzSkinProvider, ShowAppIcon, true), Z_PROP_OBJ(TzSkinProvider, TitleButtons),
             Z_PROP_OBJ(TzSkinProvider, TitleIcon), Z_PROP_STR(TzSkinProvider, TitleSkin),
             Z_PROP_BOOL(TzSkinProvider, UseGlobalColor, true))

TzSkinProvider::TzSkinProvider(TComponent* AOwner)
    : TComponent(AOwner), FTitleButtons(std::make_unique<TzTitleButtons>(this)),
      FTitleIcon(std::make_unique<TzTitleIcon>())
{
    FSkinData = std::make_unique<TzCommonData>(this, true);
    FSkinData->CtrlTypeCode = ctFormProvider;
    FSkinData->SetSkinSection("FORM");
    FForm = dynamic_cast<TCustomForm*>(AOwner);
    // One provider skins a form: a second one stays inert.
    for (int i = 0; FForm && i < FForm->ComponentCount(); ++i)
        if (FForm->Components(i) != this && dynamic_cast<TzSkinProvider*>(FForm->Components(i)))
            FForm = nullptr;
    if (!FForm || IsDesigning())
        return;
    FTitleBmp = CreateBmp24(2, 2);
    FMenuLineBmp = CreateBmp24(2, 2);
    FLink = TSkWndLink::Install(FForm->WindowHandle(), FForm, MakeMethod<&TzSkinProvider::NewWndProc>(this), this);
    SkinnedForms.push_back(FForm);
}

TzSkinProvider::~TzSkinProvider()
{
    if (FForm) {
        auto it = std::find(SkinnedForms.begin(), SkinnedForms.end(), FForm);
        if (it != SkinnedForms.end()) {
            *it = SkinnedForms.back();
            SkinnedForms.pop_back();
        }
        if (FLink)
            FLink->Release();
        FLink.reset();
        if (IsMDIChild(FForm) && MDISkinProvider && MDISkinProvider != this && !MDISkinProvider->IsDestroying() &&
            MDISkinProvider->FForm && !MDISkinProvider->FForm->IsDestroying())
            MDISkinProvider->RefreshNonClient();
        if (MDISkinProvider == this)
            MDISkinProvider = nullptr;
        FMDIForm.reset();
        ShowMDIIcons(false);
        // A form that lives on without its provider gets the platform's frame back.
        if (!FForm->IsDestroying() && FForm->HandleAllocated()) {
            RemoveSysMenuStyle(false);
            SetWindowRgn(FForm->Handle(), nullptr, FALSE);
            if (FForm->Menu() && FMenusInitialized)
                FForm->Menu()->SetOwnerDraw(false);
            RedrawWindow(FForm->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_ERASE | RDW_ALLCHILDREN);
        }
    }
    if (MaxChildProvider == this)
        MaxChildProvider = nullptr;
    FAdapter.reset();
}

void TzSkinProvider::AfterConstruction()
{
    TComponent::AfterConstruction();
    if (!FForm || IsDesigning() || IsLoading())
        return;
    TzSkinManager* m = FSkinData->GetSkinManager();
    if (!m || !m->SkinData().Active)
        return;
    PrepareForm();
    // A form already on the screen shows its skin at once.
    if (FForm->HandleAllocated() && Skinning()) {
        MakeAdapter();
        MakeMDIForm();
        RefreshNonClient();
        FRgnChanged = true;
        RedrawWindow(FForm->Handle(), nullptr, nullptr,
                     RDW_INVALIDATE | RDW_FRAME | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    }
}

void TzSkinProvider::Loaded()
{
    TComponent::Loaded();
    if (!FForm || IsDesigning() || !FSkinData->GetSkinManager())
        return;
    FSkinData->Loaded();
    if (!Skinning())
        return;
    MakeAdapter();
    PrepareForm();
    MakeMDIForm();
}

void TzSkinProvider::Notification(TComponent* AComponent, TOperation Operation)
{
    TComponent::Notification(AComponent, Operation);
    if (Operation != opInsert)
        return;
    // A manager put on the form skins it, unless the provider names one already.
    if (auto* m = dynamic_cast<TzSkinManager*>(AComponent); m && !FSkinData->OwnSkinManager())
        FSkinData->SetSkinManager(m);
    if (FAdapter && !IsLoading())
        if (auto* control = dynamic_cast<TWinControl*>(AComponent))
            FAdapter->AddControl(control);
}

bool TzSkinProvider::Skinning() const
{
    return FForm && !FForm->IsDestroying() && !IsDestroying() && FSkinData->Skinned();
}

// ---------------------------------------------------------------------------------------
// Properties

void TzSkinProvider::SetCaptionAlignment(TAlignment Value)
{
    if (StoreChanged(FCaptionAlignment, Value))
        RefreshNonClient();
}

void TzSkinProvider::SetGripMode(TzGripMode Value)
{
    if (StoreChanged(FGripMode, Value))
        RefreshNonClient();
}

void TzSkinProvider::SetMenuLineSkin(const AnsiString& Value)
{
    if (StoreChanged(FMenuLineSkin, Value))
        RefreshNonClient();
}

void TzSkinProvider::SetShowAppIcon(bool Value)
{
    if (StoreChanged(FShowAppIcon, Value))
        RefreshNonClient();
}

void TzSkinProvider::SetTitleSkin(const AnsiString& Value)
{
    if (StoreChanged(FTitleSkin, Value)) {
        FTitleBG.reset();
        RefreshNonClient();
    }
}

void TzSkinProvider::SetUseGlobalColor(bool Value)
{
    if (!StoreChanged(FUseGlobalColor, Value) || !FForm || IsLoading())
        return;
    if (!Value)
        FForm->SetColor(clBtnFace);
    else
        ApplyGlobalColor();
}

void TzSkinProvider::ApplyGlobalColor()
{
    if (!FForm || !FUseGlobalColor || FSkinData->CustomColor() || !Skinning() || FForm->IsLoading() ||
        (FForm->ControlState() & csCreating))
        return;
    FForm->SetColor(FSkinData->GetSkinManager()->GetGlobalColor());
}

// ---------------------------------------------------------------------------------------
// Skins coming and going

void TzSkinProvider::RemoveSysMenuStyle(bool Remove)
{
    if (!FForm || !FForm->HandleAllocated() || IsMDIChild(FForm))
        return;
    HWND wnd = FForm->Handle();
    const LONG style = GetWindowLongW(wnd, GWL_STYLE);
    LONG wanted = style & ~WS_SYSMENU;
    if (!Remove && (FForm->BorderIcons() & biSystemMenu))
        wanted |= WS_SYSMENU;
    if (wanted != style)
        SetWindowLongW(wnd, GWL_STYLE, wanted);
}

void TzSkinProvider::PrepareForm()
{
    TzSkinManager* m = FForm ? FSkinData->GetSkinManager() : nullptr;
    if (!m)
        return;
    FSkinData->UpdateIndexes();
    if (!FSystemMenu)
        FSystemMenu = new TzSystemMenu(this, FForm);
    FSystemMenu->UpdateItems();
    if (m->SkinData().Active && m->IsValidSkinIndex(FSkinData->SkinIndex) && FForm->BorderIcons() != 0)
        RemoveSysMenuStyle(true);
    FindTitleMasks();
    if (IsMDIChild(FForm) && MDISkinProvider && !MDISkinProvider->IsDestroying() && MDISkinProvider->FForm &&
        !MDISkinProvider->FForm->IsDestroying()) {
        MDISkinProvider->FSkinData->SetBGChanged(true);
        MDISkinProvider->FMenuLineCount = -1;
    }
    ApplyGlobalColor();
}

void TzSkinProvider::MakeMDIForm()
{
    if (!FForm || FForm->FormStyle() != fsMDIForm || IsDesigning() || !Skinning())
        return;
    MDISkinProvider = this;
    if (!FMDIForm)
        FMDIForm = std::make_unique<TzMDIForm>(this);
    FMDIForm->ConnectToClient();
}

void TzSkinProvider::MakeAdapter()
{
    if (FAdapter) {
        FAdapter->AddAllItems(nullptr);
        return;
    }
    if (!CreateControlAdapter || !Skinning() || IsDesigning())
        return;
    FAdapter.reset(CreateControlAdapter(this));
    if (FAdapter)
        FAdapter->AddAllItems(nullptr);
}

void TzSkinProvider::FreeAdapter()
{
    FAdapter.reset();
}

void TzSkinProvider::NewSkin()
{
    TzSkinManager* m = FSkinData->GetSkinManager();
    if (TzSkinMenuPainter* menus = m->SkinableMenus())
        menus->SkinSwitching();
    FSkinData->UpdateIndexes();
    if (!m->IsValidSkinIndex(FSkinData->SkinIndex)) {
        // The new skin has no look for forms: the form is plain with it.
        SkinRemoved();
        return;
    }
    // Every index into the last skin's records goes: the title masks are looked up anew
    // whether the form was skinned before or not.
    if (!FSystemMenu)
        PrepareForm();
    FindTitleMasks();
    if (FForm->BorderIcons() != 0)
        RemoveSysMenuStyle(true);
    if (TzSkinMenuPainter* menus = m->SkinableMenus())
        menus->UpdateMenus();
    FSkinData->SetBGChanged(true);
    FMenuLineCount = -1;
    FRgnChanged = true;
    FTitleBG.reset();
    if (FForm->HandleAllocated() && IsWindowVisible(FForm->Handle()))
        SendMessageW(FForm->Handle(), WM_NCPAINT, 1, 0);
    if (FForm->FormStyle() == fsMDIForm) {
        MakeMDIForm();
        if (FMDIForm)
            FMDIForm->Reconnect();
    }
}

void TzSkinProvider::SkinRemoved()
{
    TzSkinManager* m = FSkinData->GetSkinManager();
    FreeAdapter();
    TMessage removed{SM_SKINCMD, SkinCommandWParam(SKCMD_SKINREMOVED), reinterpret_cast<LPARAM>(m), 0};
    HandleSkinCommand(removed, FSkinData.get());
    FMenuLineCount = -1;
    FTitleBG.reset();
    if (FForm->IsDestroying())
        return;
    if (FUseGlobalColor && !FSkinData->CustomColor())
        FForm->SetColor(clBtnFace);
    if (m) {
        if (TzSkinMenuPainter* menus = m->SkinableMenus())
            menus->SkinSwitching();
        InitMenuItems(false);
    }
    RemoveSysMenuStyle(false);
    FMDIForm.reset();
    if (MDISkinProvider == this)
        MDISkinProvider = nullptr;
    if (FMenusInitialized) {
        FMenusInitialized = false;
        SwitchMenuOwnerDraw();
    }
    if (!FForm->HandleAllocated())
        return;
    HWND wnd = FForm->Handle();
    if (HasBorder() && !FInMenuLoop)
        SetWindowRgn(wnd, nullptr, FALSE);
    FRgnChanged = true;
    // The platform paints the frame again: at once, or after the skin change.
    if (IsWindowVisible(wnd) || SkinChangeRunning())
        RedrawWindow(wnd, nullptr, nullptr,
                     RDW_INVALIDATE | RDW_FRAME | RDW_ERASE | RDW_ALLCHILDREN |
                         (SkinChangeRunning() ? 0 : RDW_UPDATENOW));
}

void TzSkinProvider::RefreshSkin()
{
    MakeAdapter();
    FSkinData->UpdateIndexes();
    FindTitleMasks();
    FSkinData->SetBGChanged(true);
    FSkinData->SetUpdating(false);
    FMenuLineCount = -1;
    FTitleBG.reset();
    InitMenuItems(Skinning());
    if (HasBorder())
        FRgnChanged = true;
    ApplyGlobalColor();
    if (FForm->FormStyle() == fsMDIForm) {
        MakeMDIForm();
        if (FMDIForm)
            FMDIForm->Reconnect();
    }
    if (FForm->HandleAllocated() && IsWindowVisible(FForm->Handle())) {
        HWND wnd = FForm->Handle();
        SendMessageW(wnd, WM_NCPAINT, 1, 0);
        TCustomForm* child = FForm->FormStyle() == fsMDIForm ? FForm->ActiveMDIChild() : nullptr;
        HWND target = child && IsZoomed(child->Handle()) ? child->Handle() : wnd;
        RedrawWindow(target, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
        if (FForm->ClientHandle())
            RedrawWindow(FForm->ClientHandle(), nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_UPDATENOW);
    }
    if (FAdapter)
        FAdapter->BroadcastToItems(TMessage{SM_SKINCMD, SkinCommandWParam(SKCMD_REFRESH),
                                            reinterpret_cast<LPARAM>(FSkinData->GetSkinManager()), 0});
}

bool TzSkinProvider::UnskinnedCommand(TWMSkinCommand& Cmd)
{
    const bool own = FromOwnManager(Cmd.Message, FSkinData.get());
    switch (Cmd.Command) {
    case SKCMD_NEWSKIN:
        if (own && FForm && !FForm->IsDestroying())
            NewSkin();
        return true;
    case SKCMD_SKINREMOVED:
        if (own && FForm)
            SkinRemoved();
        return true;
    case SKCMD_GETPROVIDER:
        Cmd.Answer(reinterpret_cast<LRESULT>(this));
        return true;
    case SKCMD_ISSKINNED:
        Cmd.Answer(1);
        return true;
    default:
        return false;
    }
}

void TzSkinProvider::SkinnedCommand(TWMSkinCommand& Cmd)
{
    const bool own = FromOwnManager(Cmd.Message, FSkinData.get());
    TzSkinManager* m = FSkinData->GetSkinManager();
    switch (Cmd.Command) {
    case SKCMD_NEWSKIN:
    case SKCMD_SKINREMOVED:
    case SKCMD_GETPROVIDER:
    case SKCMD_ISSKINNED:
        UnskinnedCommand(Cmd);
        break;
    case SKCMD_REFRESH:
        if (own)
            RefreshSkin();
        break;
    case SKCMD_GETBGIMAGE:
        if (!IsLoading() && Cache()) {
            // A child asking for the picture gets a current one.
            if (FSkinData->BGChanged() && !FSkinData->Updating() && FForm->HandleAllocated() &&
                IsWindowVisible(FForm->Handle()))
                PaintAll();
            const TRect client = ClientRectInWindow();
            SharedCacheInfo = MakeCacheInfo(Cache(), client.Left, client.Top);
        }
        break;
    case SKCMD_SETUPDATING:
        FSkinData->SetUpdating(Cmd.Arg == 1);
        if (Cmd.Arg == 1)
            FSkinData->SetBGChanged(true);
        break;
    case SKCMD_SETSEETHROUGH:
        HandleSkinCommand(Cmd.Message, FSkinData.get());
        if (FSkinData->SeeThrough())
            PaintAll();
        break;
    case SKCMD_ISUPDATING:
        Cmd.Answer(FSkinData->BGChanged() || FSkinData->Updating() ? 1 : 0);
        break;
    case SKCMD_SETPAINTINGCHILD:
        FSkinData->PaintingChild = Cmd.ParamAs<TControl>();
        break;
    case SKCMD_ISIMAGEBG: {
        const TzGeneralData& s = m->Section(FSkinData->SkinIndex);
        Cmd.Answer(s.GradientPercent + s.ImagePercent > 0 ? 1 : 0);
        break;
    }
    case SKCMD_GETBGCOLOR:
        SharedParentColor = FSkinData->CustomColor() ? ColorToRGB(FForm->Color())
                                                     : ColorToRGB(m->Section(FSkinData->SkinIndex).HotColor);
        break;
    case SKCMD_CONTROLLOADED:
        if (FAdapter && !FForm->IsLoading())
            if (auto* control = dynamic_cast<TWinControl*>(Cmd.ParamAs<TControl>()))
                FAdapter->AddAllItems(control);
        break;
    default:
        break;
    }
}

// ---------------------------------------------------------------------------------------
// Menus

void TzSkinProvider::InitMenuItems(bool A)
{
    TzSkinManager* m = FSkinData->GetSkinManager();
    TzSkinMenuPainter* menus = m && !IsDesigning() && m->IsDefault() ? m->SkinableMenus() : nullptr;
    if (!menus || !FForm)
        return;
    menus->SetMenusActive(A);
    auto walk = [&](auto& self, TComponent* Owner) -> void {
        for (int i = 0; i < Owner->ComponentCount(); ++i) {
            TComponent* c = Owner->Components(i);
            if (auto* main = dynamic_cast<TMainMenu*>(c))
                menus->HandMainMenu(main, A);
            else if (auto* popup = dynamic_cast<TPopupMenu*>(c); popup && m->SkinnedPopups())
                menus->HandPopupMenu(popup, A);
            else if (auto* item = dynamic_cast<TMenuItem*>(c); item && m->SkinnedPopups() &&
                                                                 !dynamic_cast<TMainMenu*>(item->GetParentMenu()))
                menus->HandMenuItem(item, A);
            self(self, c);
        }
    };
    walk(walk, FForm);
}

void TzSkinProvider::SwitchMenuOwnerDraw()
{
    TMainMenu* menu = FForm ? FForm->Menu() : nullptr;
    if (!menu || menu->Items()->Count() == 0)
        return;
    // Owner-drawn while skinned, so that the bar's items are painted over the skin's menu
    // line; the system measures the bar again.
    const bool skinned = Skinning();
    if (menu->OwnerDraw() == skinned)
        return;
    FSkinData->SetUpdating(true);
    menu->SetOwnerDraw(skinned);
    FSkinData->SetUpdating(false);
    FMenuLineCount = -1;
    FSkinData->SetBGChanged(true);
    if (FForm->HandleAllocated())
        DrawMenuBar(FForm->Handle());
}

// ---------------------------------------------------------------------------------------

TzSkinProvider* GetSkinProvider(TComponent* Component)
{
    TComponent* c = Component;
    while (c && !dynamic_cast<TCustomForm*>(c))
        c = c->Owner();
    auto* form = static_cast<TCustomForm*>(c);
    if (!form || form->IsDestroying())
        return nullptr;
    TMessage m{SM_SKINCMD, SkinCommandWParam(SKCMD_GETPROVIDER), 0, 0};
    if (TWndMethod proc = form->WindowProc())
        proc(m);
    return dynamic_cast<TzSkinProvider*>(reinterpret_cast<TObject*>(m.Result));
}

void InitSkinProvider()
{
    RegisterClass(TzSkinProvider::StaticClassInfo());
    InitSystemMenus();
    SkinEngineHooks.ProviderManager = [](TObject* Provider) -> TzSkinManager* {
        auto* p = dynamic_cast<TzSkinProvider*>(Provider);
        return p ? p->SkinData()->GetSkinManager() : DefaultManager;
    };
    SkinEngineHooks.RefreshProvider = [](TObject* Provider) {
        // The manager took the window region away: it is made again with the frame.
        if (auto* p = dynamic_cast<TzSkinProvider*>(Provider))
            p->RefreshNonClient();
    };
}
