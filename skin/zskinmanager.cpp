#include "skin/zskinmanager.h"

#include "classlib/forms.h"
#include "skin/zcontrolutils.h"
#include "skin/zskinpack.h"
#include "skin/zskinservices.h"
#include "unicode/ucsystem.h"
#include "unicode/ucsysutils.h"

#include <algorithm>
#include <cstdio>
#include <vector>

TSkAnimatEvents SkinGlobalAnimEvents = 0x0F;
TzSkinEngineHooks SkinEngineHooks;
TzSkinManager* DefaultManager = nullptr;
bool SkinIsChanging = false;
bool SkinIsApplying = false;
bool SkinIsRemoving = false;

namespace {

const char* const BevelNames[] = {"cbNone", "cbRaisedSoft", "cbLoweredSoft", "cbRaisedHard", "cbLoweredHard"};
const char* const ImgTypeNames[] = {"itisaBorder", "itisaTexture", "itisaGlyph"};
const char* const BtnEventNames[] = {"beMouseEnter", "beMouseLeave", "beMouseDown", "beMouseUp"};
const char* const SkinningRuleNames[] = {"srStdForms", "srStdDialogs", "srThirdParty"};

const wchar_t* const DefaultSkinDirectory = L"c:\\Skins";

// A property that is shown but never stored.
TPropInfo ReadOnlyText(const char* Name, AnsiString (*Get)(const TObject*))
{
    TPropInfo p;
    p.Name = Name;
    p.Kind = tkLString;
    p.GetStr = Get;
    p.IsStored = [](const TObject*) { return false; };
    return p;
}

// Stored only when it differs from the animation's own default.
TPropInfo AnimationTime()
{
    TPropInfo p = Z_PROP_INT_ND(TSkFormAnimation, Time);
    p.IsStored = [](const TObject* o) {
        auto* a = static_cast<const TSkFormAnimation*>(o);
        return a->Time() != a->DefaultTime();
    };
    return p;
}

TMessage SkinMessage(uint16_t Command, const TzSkinManager* Manager)
{
    return TMessage{SM_SKINCMD, SkinCommandWParam(Command),
                    reinterpret_cast<LPARAM>(const_cast<TzSkinManager*>(Manager)), 0};
}

// The one WH_CBT hook of the thread: the next hook first, then whoever skins foreign windows.
HHOOK CBTHookHandle = nullptr;

LRESULT CALLBACK SkinCBTProc(int Code, WPARAM WParam, LPARAM LParam)
{
    LRESULT result = CallNextHookEx(CBTHookHandle, Code, WParam, LParam);
    try {
        if (SkinEngineHooks.CBTNotify)
            SkinEngineHooks.CBTNotify(Code, WParam, LParam);
    } catch (...) {
        HandleCaughtException();
    }
    return result;
}

// The manager of a form's provider; a provider that names none uses the default manager.
TzSkinManager* ProviderManager(TObject* Provider)
{
    if (!Provider)
        return nullptr;
    return SkinEngineHooks.ProviderManager ? SkinEngineHooks.ProviderManager(Provider) : DefaultManager;
}

TObject* ProviderOf(TCustomForm* Form)
{
    if (!Form->HandleAllocated())
        return nullptr;
    return reinterpret_cast<TObject*>(SendCommandToWindow(Form->Handle(), SKCMD_GETPROVIDER, 0));
}

bool Registered(TCustomForm* Form)
{
    return std::find(SkinnedForms.begin(), SkinnedForms.end(), Form) != SkinnedForms.end();
}

// For every registered skinned form whose provider uses Manager, as the list stands now;
// a form that left the list or was freed meanwhile is passed over.
template <class F> void ForFormsOf(const TzSkinManager* Manager, F Each)
{
    std::vector<std::unique_ptr<TSkFreeWatch>> forms;
    for (TCustomForm* form : SkinnedForms)
        forms.push_back(std::make_unique<TSkFreeWatch>(form));
    for (const auto& watch : forms) {
        auto* form = static_cast<TCustomForm*>(watch->Target());
        if (watch->Freed() || !Registered(form) || form->IsDestroying() || !form->HandleAllocated())
            continue;
        TObject* provider = ProviderOf(form);
        if (provider && !watch->Freed() && Registered(form) && ProviderManager(provider) == Manager)
            Each(form, provider);
    }
}

void DeliverToForm(TCustomForm* Form, const TMessage& Message)
{
    TSkFreeWatch watch(Form);
    if (Form->HandleAllocated())
        SendMessageW(Form->Handle(), Message.Msg, Message.WParam, Message.LParam);
    else
        Form->Perform(Message.Msg, Message.WParam, Message.LParam);
    if (watch.Freed() || Form->IsDestroying())
        return;
    BroadcastToControls(Form, Message);
    if (watch.Freed() || Form->IsDestroying())
        return;
    if (Form->FormStyle() == fsMDIForm && Form->ClientHandle())
        SendMessageW(Form->ClientHandle(), Message.Msg, Message.WParam, Message.LParam);
}

} // namespace

void InitSkinManager()
{
    RegisterClass(TzSkinManager::StaticClassInfo());
}

void SkinBroadcast(const TMessage& Message)
{
    // Receivers may free forms or make new ones. The forms are taken as they are now, each
    // watched, so that a freed one is passed over even when a new form took its address.
    if (Application && !ProgramEnding && !Application->IsDestroying()) {
        std::vector<std::unique_ptr<TSkFreeWatch>> forms;
        for (int i = 0; i < Application->ComponentCount(); ++i)
            if (auto* form = dynamic_cast<TForm*>(Application->Components(i)))
                forms.push_back(std::make_unique<TSkFreeWatch>(form));
        for (size_t i = forms.size(); i-- > 0;) {
            if (forms[i]->Freed() || !Application || ProgramEnding)
                continue;
            auto* form = static_cast<TForm*>(forms[i]->Target());
            if (form->FormStyle() == fsMDIChild || form->IsDestroying() || form->IsLoading())
                continue;
            // A form with a provider hears it through the list of skinned forms below.
            if (form->HandleAllocated() && AskWindowCommand(form->Handle(), SKCMD_ISSKINNED))
                continue;
            if (!forms[i]->Freed() && !form->IsDestroying())
                DeliverToForm(form, Message);
        }
    }
    std::vector<std::unique_ptr<TSkFreeWatch>> skinned;
    for (TCustomForm* form : SkinnedForms)
        skinned.push_back(std::make_unique<TSkFreeWatch>(form));
    for (const auto& watch : skinned) {
        auto* form = static_cast<TCustomForm*>(watch->Target());
        if (!watch->Freed() && Registered(form) && !form->IsDestroying())
            DeliverToForm(form, Message);
    }
}

// ---------------------------------------------------------------------------------------
// Animation and menu settings

Z_CLASS_IMPL(TSkBtnEffects, TPersistent, Z_PROP_SET(TSkBtnEffects, Events, BtnEventNames, 0x0F))

TSkBtnEvents TSkBtnEffects::Events() const
{
    return SkinGlobalAnimEvents & 0x0F;
}

void TSkBtnEffects::SetEvents(TSkBtnEvents Value)
{
    if (FManager && FManager->IsDefault())
        SkinGlobalAnimEvents = Value & 0x0F;
}

void TSkBtnEffects::Assign(TPersistent* Source)
{
    if (auto* s = dynamic_cast<TSkBtnEffects*>(Source)) {
        SetEvents(s->Events());
        return;
    }
    inherited::Assign(Source);
}

Z_CLASS_IMPL(TSkFormAnimation, TPersistent, Z_PROP_BOOL(TSkFormAnimation, Active, true), AnimationTime())

void TSkFormAnimation::Assign(TPersistent* Source)
{
    if (auto* s = dynamic_cast<TSkFormAnimation*>(Source)) {
        FActive = s->FActive;
        FTime = s->FTime;
        return;
    }
    inherited::Assign(Source);
}

Z_CLASS_IMPL(TSkAnimEffects, TPersistent, Z_PROP_OBJ(TSkAnimEffects, Buttons),
             Z_PROP_OBJ(TSkAnimEffects, DialogShow), Z_PROP_OBJ(TSkAnimEffects, FormShow),
             Z_PROP_OBJ(TSkAnimEffects, PageChange), Z_PROP_OBJ(TSkAnimEffects, SkinChanging))

TSkAnimEffects::TSkAnimEffects(TzSkinManager* AManager)
    : FButtons(std::make_unique<TSkBtnEffects>(AManager)),
      FDialogShow(std::make_unique<TSkFormAnimation>(100)),
      FFormShow(std::make_unique<TSkFormAnimation>(0)),
      FPageChange(std::make_unique<TSkFormAnimation>(0)),
      FSkinChanging(std::make_unique<TSkFormAnimation>(100))
{
}

TSkAnimEffects::~TSkAnimEffects() = default;

void TSkAnimEffects::Assign(TPersistent* Source)
{
    if (auto* s = dynamic_cast<TSkAnimEffects*>(Source)) {
        FButtons->Assign(s->Buttons());
        FDialogShow->Assign(s->DialogShow());
        FFormShow->Assign(s->FormShow());
        FPageChange->Assign(s->PageChange());
        FSkinChanging->Assign(s->SkinChanging());
        return;
    }
    inherited::Assign(Source);
}

Z_CLASS_IMPL(TSkMenuSupport, TPersistent, Z_PROP_STR(TSkMenuSupport, IcoLineSkin),
             Z_PROP_BOOL(TSkMenuSupport, UseExtraLine, false),
             Z_PROP_INT(TSkMenuSupport, ExtraLineWidth, 32), Z_PROP_OBJ(TSkMenuSupport, ExtraLineFont))

TSkMenuSupport::TSkMenuSupport() : FExtraLineFont(std::make_unique<TFont>()) {}

TSkMenuSupport::~TSkMenuSupport() = default;

void TSkMenuSupport::Assign(TPersistent* Source)
{
    if (auto* s = dynamic_cast<TSkMenuSupport*>(Source)) {
        FIcoLineSkin = s->FIcoLineSkin;
        FUseExtraLine = s->FUseExtraLine;
        FExtraLineWidth = s->FExtraLineWidth;
        FExtraLineFont->Assign(s->ExtraLineFont());
        return;
    }
    inherited::Assign(Source);
}

// ---------------------------------------------------------------------------------------
// Stored skins

Z_CLASS_IMPL(TzSkinGeneral, TCollectionItem,
             (zprop::Str<TzSkinGeneral, &TzSkinGeneral::SectionClassName, &TzSkinGeneral::SetSectionClassName>("ClassName")),
             Z_PROP_STR(TzSkinGeneral, ParentClass), Z_PROP_INT(TzSkinGeneral, Color, 0xFFFFFF),
             Z_PROP_ENUM(TzSkinGeneral, Bevel, BevelNames, cbNone), Z_PROP_STR(TzSkinGeneral, FontColor),
             Z_PROP_STR(TzSkinGeneral, HotFontColor), Z_PROP_BOOL(TzSkinGeneral, ReservedBoolean, false),
             Z_PROP_INT(TzSkinGeneral, ShadowBlur, 6), Z_PROP_INT(TzSkinGeneral, ShadowColor, 0),
             Z_PROP_BOOL(TzSkinGeneral, ShadowDontUse, false), Z_PROP_BOOL(TzSkinGeneral, ShadowEnabled, false),
             Z_PROP_INT(TzSkinGeneral, ShadowOffset, 3), Z_PROP_INT(TzSkinGeneral, ShadowTransparency, 50),
             Z_PROP_INT(TzSkinGeneral, Transparency, 0), Z_PROP_INT(TzSkinGeneral, GradientPercent, 0),
             Z_PROP_STR(TzSkinGeneral, GradientData), Z_PROP_INT(TzSkinGeneral, ImagePercent, 0),
             Z_PROP_BOOL(TzSkinGeneral, ShowFocus, false), Z_PROP_BOOL(TzSkinGeneral, FadingEnabled, false),
             Z_PROP_INT(TzSkinGeneral, FadingIntervalIn, 5), Z_PROP_INT(TzSkinGeneral, FadingIntervalOut, 5),
             Z_PROP_INT(TzSkinGeneral, FadingIterations, 5), Z_PROP_INT(TzSkinGeneral, HotColor, 0xFFFFFF),
             Z_PROP_INT(TzSkinGeneral, HotTransparency, 0), Z_PROP_ENUM(TzSkinGeneral, HotBevel, BevelNames, cbNone),
             Z_PROP_INT(TzSkinGeneral, HotGradientPercent, 0), Z_PROP_STR(TzSkinGeneral, HotGradientData),
             Z_PROP_INT(TzSkinGeneral, HotImagePercent, 0), Z_PROP_INT(TzSkinGeneral, BorderColor1, 0),
             Z_PROP_INT(TzSkinGeneral, BorderColor2, 0))

TzSkinGeneral::TzSkinGeneral(TCollection* Collection) : TCollectionItem(Collection)
{
    // Texts start empty here: a stored text is whatever was written.
    FData.GradientData.clear();
}

void TzSkinGeneral::Assign(TPersistent* Source)
{
    if (auto* s = dynamic_cast<TzSkinGeneral*>(Source)) {
        FData = s->FData;
        FFontColor = s->FFontColor;
        FHotFontColor = s->FHotFontColor;
        FShadowDontUse = s->FShadowDontUse;
        return;
    }
    inherited::Assign(Source);
}

TSkStoredSection TzSkinGeneral::StoredSection() const
{
    TSkStoredSection s;
    s.Values = FData;
    s.Values.GradientArray.clear();
    s.Values.HotGradientArray.clear();
    s.FontColor = FFontColor;
    s.HotFontColor = FHotFontColor;
    return s;
}

Z_CLASS_IMPL(TzSkinImage, TCollectionItem, Z_PROP_STR(TzSkinImage, SectionName), Z_PROP_OBJ(TzSkinImage, Image),
             Z_PROP_STR(TzSkinImage, Name), Z_PROP_STR(TzSkinImage, PropertyName),
             Z_PROP_INT(TzSkinImage, Left, 0), Z_PROP_INT(TzSkinImage, Top, 0), Z_PROP_INT(TzSkinImage, Right, 0),
             Z_PROP_INT(TzSkinImage, Bottom, 0), Z_PROP_INT(TzSkinImage, ImageCount, 0),
             Z_PROP_INT(TzSkinImage, MaskType, 0), Z_PROP_INT(TzSkinImage, BorderWidth, 0),
             Z_PROP_INT(TzSkinImage, StretchMode, 0), Z_PROP_ENUM(TzSkinImage, ImgType, ImgTypeNames, itisaBorder),
             Z_PROP_INT(TzSkinImage, WL, 0), Z_PROP_INT(TzSkinImage, WR, 0), Z_PROP_INT(TzSkinImage, WT, 0),
             Z_PROP_INT(TzSkinImage, WB, 0))

TzSkinImage::TzSkinImage(TCollection* Collection)
    : TCollectionItem(Collection), FImage(std::make_unique<TBitmap>())
{
}

TzSkinImage::~TzSkinImage() = default;

void TzSkinImage::Assign(TPersistent* Source)
{
    if (auto* s = dynamic_cast<TzSkinImage*>(Source)) {
        FSectionName = s->FSectionName;
        FImage->Assign(s->Image());
        FName = s->FName;
        FPropertyName = s->FPropertyName;
        FLeft = s->FLeft;
        FTop = s->FTop;
        FRight = s->FRight;
        FBottom = s->FBottom;
        FImageCount = s->FImageCount;
        FMaskType = s->FMaskType;
        FBorderWidth = s->FBorderWidth;
        FStretchMode = s->FStretchMode;
        FImgType = s->FImgType;
        FWL = s->FWL;
        FWR = s->FWR;
        FWT = s->FWT;
        FWB = s->FWB;
        return;
    }
    inherited::Assign(Source);
}

Z_CLASS_IMPL(TzSkinPattern, TCollectionItem, Z_PROP_STR(TzSkinPattern, SectionName),
             Z_PROP_OBJ(TzSkinPattern, Image), Z_PROP_STR(TzSkinPattern, Name),
             Z_PROP_STR(TzSkinPattern, PropertyName))

TzSkinPattern::TzSkinPattern(TCollection* Collection)
    : TCollectionItem(Collection), FImage(std::make_unique<TJPEGImage>())
{
}

TzSkinPattern::~TzSkinPattern() = default;

void TzSkinPattern::Assign(TPersistent* Source)
{
    if (auto* s = dynamic_cast<TzSkinPattern*>(Source)) {
        FSectionName = s->FSectionName;
        FImage->Assign(s->Image());
        FName = s->FName;
        FPropertyName = s->FPropertyName;
        return;
    }
    inherited::Assign(Source);
}

Z_CLASS_IMPL(TzSkinGenerals, TOwnedCollection)
Z_CLASS_IMPL(TzSkinImages, TOwnedCollection)
Z_CLASS_IMPL(TzSkinPatterns, TOwnedCollection)
Z_CLASS_IMPL(TzStoredSkins, TOwnedCollection)

int TzStoredSkins::IndexOf(const WideString& Name) const
{
    for (int i = 0; i < Count(); ++i)
        if (Items(i)->Name() == Name)
            return i;
    return -1;
}

Z_CLASS_IMPL(TzStoredSkin, TCollectionItem, Z_PROP_WSTR(TzStoredSkin, Name), Z_PROP_OBJ(TzStoredSkin, GeneralData),
             Z_PROP_OBJ(TzStoredSkin, Images), Z_PROP_OBJ(TzStoredSkin, Patterns),
             Z_PROP_OBJ(TzStoredSkin, MasterBitmap), Z_PROP_INT(TzStoredSkin, Shadow1Color, 0),
             Z_PROP_INT(TzStoredSkin, Shadow1Offset, 0), Z_PROP_INT(TzStoredSkin, Shadow1Blur, -1),
             Z_PROP_INT(TzStoredSkin, Shadow1Transparency, 0), Z_PROP_INT(TzStoredSkin, BorderColor, 0xFF00FF),
             Z_PROP_FLOAT(TzStoredSkin, Version), Z_PROP_STR(TzStoredSkin, Author),
             Z_PROP_STR(TzStoredSkin, Description))

TzStoredSkin::TzStoredSkin(TCollection* Collection)
    : TCollectionItem(Collection), FGeneralData(std::make_unique<TzSkinGenerals>(this)),
      FImages(std::make_unique<TzSkinImages>(this)), FPatterns(std::make_unique<TzSkinPatterns>(this)),
      FMasterBitmap(std::make_unique<TBitmap>()), FData(std::make_unique<TMemoryStream>())
{
}

TzStoredSkin::~TzStoredSkin() = default;

AnsiString TzStoredSkin::DisplayName() const
{
    return WideToAnsi(FName);
}

void TzStoredSkin::Assign(TPersistent* Source)
{
    if (auto* s = dynamic_cast<TzStoredSkin*>(Source)) {
        FName = s->FName;
        FGeneralData->Assign(s->GeneralData());
        FImages->Assign(s->Images());
        FPatterns->Assign(s->Patterns());
        FMasterBitmap->Assign(s->MasterBitmap());
        FShadow1Color = s->FShadow1Color;
        FShadow1Offset = s->FShadow1Offset;
        FShadow1Blur = s->FShadow1Blur;
        FShadow1Transparency = s->FShadow1Transparency;
        FBorderColor = s->FBorderColor;
        FVersion = s->FVersion;
        FAuthor = s->FAuthor;
        FDescription = s->FDescription;
        FData->Clear();
        if (s->FData->Size() > 0)
            FData->WriteBuffer(s->FData->Memory(), int32_t(s->FData->Size()));
        return;
    }
    inherited::Assign(Source);
}

void TzStoredSkin::DefineProperties(TFiler* Filer)
{
    inherited::DefineProperties(Filer);
    Filer->DefineBinaryProperty("Data", MakeMethod<&TzStoredSkin::ReadData>(this),
                                MakeMethod<&TzStoredSkin::WriteData>(this), true);
}

void TzStoredSkin::ReadData(TStream* Stream)
{
    FData->LoadFromStream(Stream);
}

void TzStoredSkin::WriteData(TStream* Stream)
{
    if (FData->Size() > 0)
        Stream->WriteBuffer(FData->Memory(), int32_t(FData->Size()));
}

void TzStoredSkin::GetStoredSkinData(TSkStoredSkinData& Out) const
{
    Out = TSkStoredSkinData();
    Out.Sections.reserve(size_t(FGeneralData->Count()));
    for (int i = 0; i < FGeneralData->Count(); ++i)
        Out.Sections.push_back(FGeneralData->Items(i)->StoredSection());
    Out.Images.reserve(size_t(FImages->Count()));
    for (int i = 0; i < FImages->Count(); ++i) {
        const TzSkinImage* s = FImages->Items(i);
        TSkStoredImage m;
        m.SectionName = s->SectionName();
        m.PropertyName = s->PropertyName();
        m.Image = s->Image()->Empty() ? nullptr : s->Image();
        m.Left = s->Left();
        m.Top = s->Top();
        m.Right = s->Right();
        m.Bottom = s->Bottom();
        m.ImageCount = s->ImageCount();
        m.MaskType = s->MaskType();
        m.BorderWidth = s->BorderWidth();
        m.StretchMode = s->StretchMode();
        m.ImgType = s->ImgType();
        m.WL = s->WL();
        m.WT = s->WT();
        m.WR = s->WR();
        m.WB = s->WB();
        Out.Images.push_back(m);
    }
    for (int i = 0; i < FPatterns->Count(); ++i) {
        const TzSkinPattern* s = FPatterns->Items(i);
        Out.Patterns.push_back({s->SectionName(), s->PropertyName(), s->Image()->Empty() ? nullptr : s->Image()});
    }
    Out.MasterBitmap = FMasterBitmap->Empty() ? nullptr : FMasterBitmap.get();
    Out.Shadow1Color = FShadow1Color;
    Out.Shadow1Offset = FShadow1Offset;
    Out.Shadow1Blur = FShadow1Blur;
    Out.Shadow1Transparency = FShadow1Transparency;
    Out.BorderColor = FBorderColor;
    Out.Version = FVersion;
    Out.Author = FAuthor;
    Out.Description = FDescription;
}

// ---------------------------------------------------------------------------------------
// The manager

Z_CLASS_IMPL(TzSkinManager, TComponent, Z_PROP_OBJ(TzSkinManager, AnimEffects),
             Z_PROP_BOOL(TzSkinManager, IsDefault, true), Z_PROP_BOOL(TzSkinManager, Active, true),
             Z_PROP_OBJ(TzSkinManager, CommonSections), Z_PROP_INT(TzSkinManager, Saturation, 0),
             Z_PROP_INT(TzSkinManager, HueOffset, 0), Z_PROP_OBJ(TzSkinManager, InternalSkins),
             Z_PROP_OBJ(TzSkinManager, MenuSupport), Z_PROP_WSTR(TzSkinManager, SkinDirectory),
             Z_PROP_WSTR(TzSkinManager, SkinName),
             ReadOnlyText("SkinInfo", [](const TObject* o) { return static_cast<const TzSkinManager*>(o)->SkinInfo(); }),
             Z_PROP_SET(TzSkinManager, SkinningRules, SkinningRuleNames, AllSkinningRules),
             ReadOnlyText("Version", [](const TObject* o) { return static_cast<const TzSkinManager*>(o)->Version(); }),
             Z_PROP_BOOL(TzSkinManager, SkinnedPopups, true))

TzSkinManager::TzSkinManager(TComponent* AOwner)
    : TComponent(AOwner), TSkSkinRecords(this), FAnimEffects(std::make_unique<TSkAnimEffects>(this)),
      FCommonSections(std::make_unique<TStringList>()), FInternalSkins(std::make_unique<TzStoredSkins>(this)),
      FMenuSupport(std::make_unique<TSkMenuSupport>()), FSkinDirectory(DefaultSkinDirectory)
{
    if (!DefaultManager) {
        DefaultManager = this;
        if (SkinIsNTPlatform && !IsDesigning() && Application) {
            Application->HookMainWindow(MakeMethod<&TzSkinManager::MainWindowHook>(this));
            FMainWindowHooked = true;
        }
    }
}

TzSkinManager::~TzSkinManager()
{
    try {
        SetActive(false);
    } catch (...) {
    }
    RemoveHook();
    if (FMainWindowHooked && Application)
        Application->UnhookMainWindow(MakeMethod<&TzSkinManager::MainWindowHook>(this));
    FMainWindowHooked = false;
    if (DefaultManager == this)
        DefaultManager = nullptr;
    FMenus.reset();
}

void TzSkinManager::Loaded()
{
    TComponent::Loaded();
    if (FMenuSupport->IcoLineSkin().empty())
        FMenuSupport->SetIcoLineSkin("ICOLINE");
    if (FSkinDirectory.empty())
        FSkinDirectory = DefaultSkinDirectory;
    if (FActive && !FSkinName.empty())
        SetSkinName(FSkinName);
}

// ---------------------------------------------------------------------------------------
// Finding skins

WideString TzSkinManager::FullSkinDirectory() const
{
    const WideString& d = FSkinDirectory;
    const WideString app = AppFolder();
    if (d.compare(0, 2, L"..") == 0) {
        WideString up = app;
        if (!up.empty() && up.back() == L'\\')
            up.pop_back();
        size_t cut = up.find_last_of(L"\\/");
        up = cut == WideString::npos ? app : up.substr(0, cut + 1);
        return up + (d.size() > 3 ? d.substr(3) : WideString());
    }
    if (d.compare(0, 2, L".\\") == 0 || d.compare(0, 2, L"./") == 0)
        return app + d.substr(2);
    if (d.find(L':') != WideString::npos || d.find(L"\\\\") != WideString::npos)
        return d;
    return app + d;
}

WideString TzSkinManager::GetSkinNames(TWideStrings* List, int Kind)
{
    std::vector<WideString> names;
    for (int i = 0; i < FInternalSkins->Count(); ++i)
        names.push_back(FInternalSkins->Items(i)->Name());
    const WideString dir = IncludeTrailingBackslash(FullSkinDirectory());
    WIN32_FIND_DATAW fd;
    HANDLE h = FindFirstFileWide((dir + L"*.*").c_str(), &fd);
    if (h != INVALID_HANDLE_VALUE) {
        do {
            const WideString name = fd.cFileName;
            if (name.empty() || name[0] == L'.')
                continue;
            if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                if ((Kind == 0 || Kind == 2) && FileExistsWide(dir + name + L"\\Options.dat"))
                    names.push_back(name);
            } else if (Kind == 1 || Kind == 2) {
                size_t dot = name.rfind(L'.');
                if (dot != WideString::npos && name.compare(dot, WideString::npos, L".qsz") == 0)
                    names.push_back(name.substr(0, name.find(L'.')));
            }
        } while (FindNextFileWide(h, &fd));
        FindClose(h);
    }
    WideString first = names.empty() ? WideString() : names.front();
    std::stable_sort(names.begin(), names.end(),
                     [](const WideString& a, const WideString& b) { return WideCompareText(a, b) < 0; });
    if (List) {
        TWideStringsUpdate update(List);
        List->Clear();
        for (const WideString& n : names)
            List->Add(n);
    }
    return first;
}

// ---------------------------------------------------------------------------------------
// Loading, applying, removing

void TzSkinManager::SetSkinName(const WideString& Value)
{
    FSkinName = Value;
    // While a change runs (a receiver of its broadcast, or OnBeforeChange, names a skin) the
    // name is only stored: the running change takes it up before it ends.
    if (!FActive || IsLoading() || FChangingSkin)
        return;
    {
        TFlagScope inside(FChangingSkin);
        if (OnBeforeChange)
            OnBeforeChange(this);
        TFlagScope changing(SkinIsChanging);
        LoadAndApply();
    }
    if (OnAfterChange)
        OnAfterChange(this);
}

void TzSkinManager::LoadAndApply()
{
    // Receivers that name another skin at every change would never let it end: after a few
    // rounds the name goes back to the skin that is applied.
    constexpr int MaxRounds = 4;
    for (int round = 1;; ++round) {
        FReloadPending = false;
        SkinData().Active = false;
        LoadSkin();
        const WideString loaded = FSkinName;
        if (FActive)
            ApplySkin();
        else
            RemoveSkin();
        if (!FActive || (FSkinName == loaded && !FReloadPending))
            return;
        if (round == MaxRounds) {
            FSkinName = loaded;
            return;
        }
    }
}

void TzSkinManager::LoadSkin()
{
    FPackedData = false;
    const WideString dir = IncludeTrailingBackslash(FullSkinDirectory());
    std::unique_ptr<TSkSkinConvertor> packed;
    TSkImageSource source;
    // A name with wildcards would match some other file on disk; it names no file or folder.
    const bool onDisk = !FSkinName.empty() && FSkinName.find_first_of(L"*?") == WideString::npos;
    if (onDisk && FileExistsWide(dir + FSkinName + L".qsz")) {
        LoadPackedSkinFile(dir + FSkinName + L".qsz", packed, true);
        SkinData().SkinPath = dir;
        LoadFromPackedSkin(packed.get(), dir);
        FPackedData = true;
        source = TSkImageSource{dir, packed.get()};
    } else if (onDisk && FileExistsWide(dir + FSkinName + L"\\Options.dat")) {
        const WideString folder = dir + FSkinName + L"\\";
        SkinData().SkinPath = folder;
        LoadFromSkinFolder(folder);
        source = TSkImageSource{folder, nullptr};
    } else {
        SkinData().SkinPath.clear();
        int index = FInternalSkins->IndexOf(FSkinName);
        if (index < 0 && FInternalSkins->Count() > 0) {
            index = 0;
            FSkinName = FInternalSkins->Items(0)->Name();
        }
        if (index < 0) {
            FActive = false;
            return;
        }
        const TzStoredSkin* stored = FInternalSkins->Items(index);
        if (stored->Data()->Size() > 0) {
            packed = std::make_unique<TSkSkinConvertor>();
            auto bytes = std::make_unique<TMemoryStream>();
            bytes->WriteBuffer(stored->Data()->Memory(), int32_t(stored->Data()->Size()));
            packed->PackedData = std::move(bytes);
            packed->ExtractPackedData();
            packed->PackedData.reset();
            LoadFromPackedSkin(packed.get(), WideString());
            FPackedData = true;
            source = TSkImageSource{WideString(), packed.get()};
        } else {
            TSkStoredSkinData data;
            stored->GetStoredSkinData(data);
            LoadFromStoredSkin(data);
        }
    }
    ApplyCommonSections(FCommonSections.get(), source);
    ApplyHueAndSaturation(FHueOffset, FSaturation);
}

void TzSkinManager::ApplySkin()
{
    const bool runTime = !IsDesigning();
    const bool repaint = runTime && !IsLoading() && Application && Application->MainForm();
    // Redrawing stops only where it is started again below.
    if (repaint)
        StopRedrawOfForms();
    if (TzSkinMenuPainter* menus = SkinableMenus())
        menus->SkinSwitching();
    SkinData().Active = false;
    {
        TFlagScope applying(SkinIsApplying);
        RebuildCache();
        SkinBroadcast(SkinMessage(SKCMD_NEWSKIN, this));
    }
    SkinData().Active = true;
    if (IsDefault())
        InstallHook();
    if (runTime) {
        SkinBroadcast(SkinMessage(SKCMD_FADEDONE, this));
        if (repaint)
            StopRedrawOfForms();
        SkinBroadcast(SkinMessage(SKCMD_REFRESH, this));
        if (repaint)
            RepaintForms();
    }
}

void TzSkinManager::RemoveSkin()
{
    TFlagScope removing(SkinIsRemoving);
    RemoveHook();
    SkinData().Active = false;
    SkinBroadcast(SkinMessage(SKCMD_SKINREMOVED, this));
    Clear();
    // Indexes into the freed records must not outlive them.
    RebuildCache();
}

void TzSkinManager::StopRedrawOfForms()
{
    // Only shown forms: switching redrawing back on also makes a window visible, so a hidden
    // form must not be touched at all.
    ForFormsOf(this, [this](TCustomForm* Form, TObject*) {
        HWND wnd = Form->Handle();
        if (!IsWindowVisible(wnd) || std::find(FRedrawOff.begin(), FRedrawOff.end(), wnd) != FRedrawOff.end())
            return;
        SendMessageW(wnd, WM_SETREDRAW, FALSE, 0);
        FRedrawOff.push_back(wnd);
    });
}

void TzSkinManager::RepaintForms()
{
    const TSkFormAnimation* anim = FAnimEffects->SkinChanging();
    const int time = SkinSystemMajorVersion() < 6 ? anim->Time() : 0;
    std::vector<HWND> stopped = std::move(FRedrawOff);
    FRedrawOff.clear();
    ForFormsOf(this, [&](TCustomForm* Form, TObject* Provider) {
        TSkFreeWatch watch(Form);
        if (anim->Active() && SkinEngineHooks.AnimShowControl)
            SkinEngineHooks.AnimShowControl(Form, time);
        if (watch.Freed() || !Form->HandleAllocated())
            return;
        HWND wnd = Form->Handle();
        auto it = std::find(stopped.begin(), stopped.end(), wnd);
        if (it != stopped.end()) {
            stopped.erase(it);
            SendMessageW(wnd, WM_SETREDRAW, TRUE, 0);
        }
        SetWindowRgn(wnd, nullptr, FALSE);
        if (SkinEngineHooks.RefreshProvider)
            SkinEngineHooks.RefreshProvider(Provider);
        RedrawWindow(wnd, nullptr, nullptr, RDW_INVALIDATE | RDW_NOERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    });
    // Forms that left the list meanwhile draw again all the same.
    for (HWND wnd : stopped)
        if (IsWindow(wnd))
            SendMessageW(wnd, WM_SETREDRAW, TRUE, 0);
}

void TzSkinManager::InstallHook()
{
    if (FHook)
        return;
    FHook = SetWindowsHookExW(WH_CBT, &SkinCBTProc, nullptr, GetCurrentThreadId());
    if (FHook)
        CBTHookHandle = FHook;
}

void TzSkinManager::RemoveHook()
{
    if (!FHook)
        return;
    UnhookWindowsHookEx(FHook);
    if (CBTHookHandle == FHook)
        CBTHookHandle = nullptr;
    FHook = nullptr;
    if (SkinEngineHooks.ReleaseHookObjects)
        SkinEngineHooks.ReleaseHookObjects();
}

bool TzSkinManager::MainWindowHook(TMessage& Message)
{
    try {
        switch (Message.Msg) {
        case WM_THEMECHANGED:
            Message.Result = 0;
            return true;
        case SM_MENUITEMPOPUP:
            if (TzSkinMenuPainter* menus = SkinableMenus()) {
                menus->HookItemPopup(Message.LParam);
                return true;
            }
            break;
        case SM_MENUPOPUPWINDOW:
            if (TzSkinMenuPainter* menus = SkinableMenus()) {
                menus->HookPopupWindow(reinterpret_cast<HWND>(Message.LParam));
                return true;
            }
            break;
        }
    } catch (...) {
        HandleCaughtException(this);
    }
    return false;
}

// ---------------------------------------------------------------------------------------
// Property setters

void TzSkinManager::SetActive(bool Value)
{
    if (Value == FActive)
        return;
    FActive = Value;
    if (!Value) {
        if (!IsLoading())
            RemoveSkin();
        RebuildCache();
    } else if (!IsLoading()) {
        SetSkinName(FSkinName);
    }
}

void TzSkinManager::SetIsDefault(bool Value)
{
    if (!Value && DefaultManager)
        return;
    TzSkinManager* old = DefaultManager;
    DefaultManager = this;
    // The thread has one hook, kept by the default manager.
    if (old && old != this)
        old->RemoveHook();
    if (IsLoading())
        return;
    if (FActive) {
        ApplySkin();
        SkinBroadcast(SkinMessage(SKCMD_FADEDONE, this));
        SkinBroadcast(SkinMessage(SKCMD_REFRESH, this));
    } else {
        RemoveSkin();
    }
}

void TzSkinManager::SetHueOffset(int32_t Value)
{
    if (Value == FHueOffset)
        return;
    FHueOffset = Value;
    ReloadColours();
}

void TzSkinManager::SetSaturation(int32_t Value)
{
    if (Value == FSaturation)
        return;
    FSaturation = Value;
    ReloadColours();
}

void TzSkinManager::ReloadColours()
{
    if (FChangingSkin) {
        // Set while a change runs: its next round reads the skin with the new colours.
        FReloadPending = true;
        return;
    }
    if (SkinData().Active && !IsLoading()) {
        // The records are read anew, so every index into the old ones is gone: the skin is
        // applied as a new one, whose first command tells every receiver to resolve its
        // section and image indexes again, before the refresh.
        TFlagScope inside(FChangingSkin);
        TFlagScope changing(SkinIsChanging);
        LoadAndApply();
        return;
    }
    if (IsLoading() || (ComponentState() & csReading))
        return;
    SkinBroadcast(SkinMessage(SKCMD_FADEDONE, this));
    SkinBroadcast(SkinMessage(SKCMD_REFRESH, this));
    if (!IsDesigning() && Application && Application->MainForm())
        RepaintForms();
}

void TzSkinManager::SetCommonSections(TStrings* Value)
{
    if (!Value)
        FCommonSections->Clear();
    else if (Value != FCommonSections.get())
        FCommonSections->Assign(Value);
    for (int i = 0; i < FCommonSections->Count(); ++i) {
        AnsiString line = FCommonSections->Strings(i);
        if (line.empty() || line[0] == ';')
            continue;
        line.erase(std::remove(line.begin(), line.end(), ' '), line.end());
        FCommonSections->SetStrings(i, line);
    }
    if (FChangingSkin)
        FReloadPending = true;   // the running change reads them in its next round
    SetSkinName(FSkinName);
}

void TzSkinManager::SetSkinDirectory(const WideString& Value)
{
    if (Value == FSkinDirectory)
        return;
    FSkinDirectory = Value;
    SkinData().SkinPath = FullSkinDirectory();
}

void TzSkinManager::SetSkinnedPopups(bool Value)
{
    if (Value == FSkinnedPopups)
        return;
    FSkinnedPopups = Value;
    if (IsDesigning() || !IsDefault())
        return;
    if (TzSkinMenuPainter* menus = SkinableMenus())
        menus->SetPopupSkinning(Value);
}

TzSkinMenuPainter* TzSkinManager::SkinableMenus()
{
    // Made on first use rather than with the manager: a manager read from form data may be
    // made before the menus have started up and filled in their maker.
    if (!FMenus && SkinEngineHooks.CreateMenuPainter && !IsDestroying())
        FMenus.reset(SkinEngineHooks.CreateMenuPainter(this));
    return FMenus.get();
}

// ---------------------------------------------------------------------------------------
// Questions

AnsiString TzSkinManager::SkinInfo() const
{
    if (!SkinData().Active)
        return "N/A";
    char text[64];
    std::snprintf(text, sizeof(text), "%.15g", SkinData().Version);
    AnsiString s = text;
    std::replace(s.begin(), s.end(), ',', '.');
    return s;
}

namespace {

TColor GlobalValue(const TzSkinManager* M, TColor TzGeneralData::*Field, TColor Missing)
{
    int i = M->FindSectionIndex("GLOBALINFO");
    return ColorToRGB(i < 0 ? Missing : M->Section(i).*Field);
}

} // namespace

TColor TzSkinManager::GetGlobalColor() const
{
    return GlobalValue(this, &TzGeneralData::Color, clBtnFace);
}

TColor TzSkinManager::GetGlobalFontColor() const
{
    return GlobalValue(this, &TzGeneralData::FontColor, SkinKeyColor);
}

TColor TzSkinManager::GetGlobalHotColor() const
{
    return GlobalValue(this, &TzGeneralData::HotColor, clWindow);
}

void TzSkinManager::SetActiveControl(HWND Control)
{
    if (Control == FActiveControl)
        return;
    HWND old = FActiveControl;
    FActiveControl = Control;
    if (old && IsWindow(old))
        SendCommandToWindow(old, SKCMD_DEACTIVATED, reinterpret_cast<LPARAM>(this));
    if (Control && IsWindow(Control))
        SendCommandToWindow(Control, SKCMD_ACTIVATED, reinterpret_cast<LPARAM>(this));
}
