// The skin manager: finds the skins on disk and among its internal skins, loads one from a
// packed file, a folder or an internal skin, applies it to every form through the SM_SKINCMD
// broadcast, removes it again, and answers the painters' lookups (it is the skin's records).
//
// The first manager created is the default manager, which every skinned control and form
// uses unless it names another. A skin that is not found leaves the manager inactive; a
// damaged packed file gives the engine's one message box and an empty skin.
#pragma once

#include "classlib/classes.h"
#include "classlib/graphics.h"
#include "classlib/jpeg.h"
#include "skin/zskindata.h"
#include "unicode/ucwidestrings.h"

#include <cstdint>
#include <memory>
#include <vector>

class TCustomForm;
class TWinControl;
class TMenuItem;
class TMainMenu;
class TPopupMenu;
class TzSkinManager;

// ---------------------------------------------------------------------------------------
// Animation settings

enum TSkBtnEvent : uint8_t { beMouseEnter, beMouseLeave, beMouseDown, beMouseUp };
using TSkBtnEvents = uint8_t;   // bit (1 << TSkBtnEvent) per member
enum TSkAnimatEvent : uint8_t { aeMouseEnter, aeMouseLeave, aeMouseDown, aeMouseUp, aeGlobalDef };
using TSkAnimatEvents = uint8_t;   // bit (1 << TSkAnimatEvent) per member

// The button events that animate for every control whose own set defers to it (aeGlobalDef).
// Only the default manager's AnimEffects.Buttons.Events writes it; all four to begin with.
extern TSkAnimatEvents SkinGlobalAnimEvents;

// Which state changes of buttons animate: a view of the program-wide set.
class TSkBtnEffects : public TPersistent {
    Z_CLASS(TSkBtnEffects, TPersistent)
public:
    explicit TSkBtnEffects(TzSkinManager* AManager) : FManager(AManager) {}
    TSkBtnEvents Events() const;
    // Written only through the default manager; other managers' settings change nothing.
    void SetEvents(TSkBtnEvents Value);
    void Assign(TPersistent* Source) override;

private:
    TzSkinManager* FManager;
};

// One animation: whether it runs and how long it lasts (milliseconds).
class TSkFormAnimation : public TPersistent {
    Z_CLASS(TSkFormAnimation, TPersistent)
public:
    explicit TSkFormAnimation(int ADefaultTime = 0) : FTime(ADefaultTime), FDefaultTime(ADefaultTime) {}
    bool Active() const { return FActive; }
    void SetActive(bool Value) { FActive = Value; }
    int Time() const { return FTime; }
    void SetTime(int Value) { FTime = Value; }
    // The time a new animation of this kind has; form data stores only another time.
    int DefaultTime() const { return FDefaultTime; }
    void Assign(TPersistent* Source) override;

private:
    bool FActive = true;
    int FTime;
    int FDefaultTime;
};

class TSkAnimEffects : public TPersistent {
    Z_CLASS(TSkAnimEffects, TPersistent)
public:
    explicit TSkAnimEffects(TzSkinManager* AManager);
    ~TSkAnimEffects() override;
    TSkBtnEffects* Buttons() const { return FButtons.get(); }
    TSkFormAnimation* DialogShow() const { return FDialogShow.get(); }
    TSkFormAnimation* FormShow() const { return FFormShow.get(); }
    TSkFormAnimation* PageChange() const { return FPageChange.get(); }
    TSkFormAnimation* SkinChanging() const { return FSkinChanging.get(); }
    void Assign(TPersistent* Source) override;

private:
    std::unique_ptr<TSkBtnEffects> FButtons;
    std::unique_ptr<TSkFormAnimation> FDialogShow;
    std::unique_ptr<TSkFormAnimation> FFormShow;
    std::unique_ptr<TSkFormAnimation> FPageChange;
    std::unique_ptr<TSkFormAnimation> FSkinChanging;
};

// Options of the skinned menus.
class TSkMenuSupport : public TPersistent {
    Z_CLASS(TSkMenuSupport, TPersistent)
public:
    TSkMenuSupport();
    ~TSkMenuSupport() override;
    // The section painted behind the glyph column ("ICOLINE" once the manager is loaded).
    const AnsiString& IcoLineSkin() const { return FIcoLineSkin; }
    void SetIcoLineSkin(const AnsiString& Value) { FIcoLineSkin = Value; }
    bool UseExtraLine() const { return FUseExtraLine; }
    void SetUseExtraLine(bool Value) { FUseExtraLine = Value; }
    int ExtraLineWidth() const { return FExtraLineWidth; }
    void SetExtraLineWidth(int Value) { FExtraLineWidth = Value; }
    TFont* ExtraLineFont() const { return FExtraLineFont.get(); }
    void SetExtraLineFont(TFont* Value) { FExtraLineFont->Assign(Value); }
    void Assign(TPersistent* Source) override;

private:
    AnsiString FIcoLineSkin;
    bool FUseExtraLine = false;
    int FExtraLineWidth = 32;
    std::unique_ptr<TFont> FExtraLineFont;
};

enum TSkSkinningRule : uint8_t { srStdForms, srStdDialogs, srThirdParty };
using TSkSkinningRules = uint8_t;   // bit (1 << TSkSkinningRule) per member
constexpr TSkSkinningRules AllSkinningRules = 7;

// The skinned menus ask for the extra line beside a popup's items through this.
using TSkGetExtraLineData = TMethod<void(TMenuItem* FirstItem, AnsiString& SkinSection, AnsiString& Caption,
                                         TBitmap*& Glyph, bool& LineVisible)>;

// ---------------------------------------------------------------------------------------
// Internal skins: a skin kept in the form data of the form that owns the manager, either as
// the bytes of a packed skin file ("Data") or as structured collections.

// One section of a stored skin, under the names of the option keys. FontColor and
// HotFontColor are texts of five integers separated by blanks: the colour, then the left,
// top, right and bottom outline colours.
class TzSkinGeneral : public TCollectionItem {
    Z_CLASS(TzSkinGeneral, TCollectionItem)
public:
    explicit TzSkinGeneral(TCollection* Collection);
    void Assign(TPersistent* Source) override;
    AnsiString DisplayName() const override { return FData.ClassName; }

    // The section as the skin loader reads it.
    TSkStoredSection StoredSection() const;

    // The section's name (published as "ClassName").
    const AnsiString& SectionClassName() const { return FData.ClassName; }
    void SetSectionClassName(const AnsiString& Value) { FData.ClassName = Value; }
    const AnsiString& ParentClass() const { return FData.ParentClass; }
    void SetParentClass(const AnsiString& Value) { FData.ParentClass = Value; }
    TColor Color() const { return FData.Color; }
    void SetColor(TColor Value) { FData.Color = Value; }
    TzControlBevel Bevel() const { return FData.Bevel; }
    void SetBevel(TzControlBevel Value) { FData.Bevel = Value; }
    const AnsiString& FontColor() const { return FFontColor; }
    void SetFontColor(const AnsiString& Value) { FFontColor = Value; }
    const AnsiString& HotFontColor() const { return FHotFontColor; }
    void SetHotFontColor(const AnsiString& Value) { FHotFontColor = Value; }
    bool ReservedBoolean() const { return FData.ReservedBoolean; }
    void SetReservedBoolean(bool Value) { FData.ReservedBoolean = Value; }
    int32_t ShadowBlur() const { return FData.ShadowBlur; }
    void SetShadowBlur(int32_t Value) { FData.ShadowBlur = Value; }
    int32_t ShadowColor() const { return FData.ShadowColor; }
    void SetShadowColor(int32_t Value) { FData.ShadowColor = Value; }
    bool ShadowDontUse() const { return FShadowDontUse; }
    void SetShadowDontUse(bool Value) { FShadowDontUse = Value; }
    bool ShadowEnabled() const { return FData.ShadowEnabled; }
    void SetShadowEnabled(bool Value) { FData.ShadowEnabled = Value; }
    int32_t ShadowOffset() const { return FData.ShadowOffset; }
    void SetShadowOffset(int32_t Value) { FData.ShadowOffset = Value; }
    int32_t ShadowTransparency() const { return FData.ShadowTransparency; }
    void SetShadowTransparency(int32_t Value) { FData.ShadowTransparency = Value; }
    int32_t Transparency() const { return FData.Transparency; }
    void SetTransparency(int32_t Value) { FData.Transparency = Value; }
    int32_t GradientPercent() const { return FData.GradientPercent; }
    void SetGradientPercent(int32_t Value) { FData.GradientPercent = Value; }
    const AnsiString& GradientData() const { return FData.GradientData; }
    void SetGradientData(const AnsiString& Value) { FData.GradientData = Value; }
    int32_t ImagePercent() const { return FData.ImagePercent; }
    void SetImagePercent(int32_t Value) { FData.ImagePercent = Value; }
    bool ShowFocus() const { return FData.ShowFocus; }
    void SetShowFocus(bool Value) { FData.ShowFocus = Value; }
    bool FadingEnabled() const { return FData.FadingEnabled; }
    void SetFadingEnabled(bool Value) { FData.FadingEnabled = Value; }
    int32_t FadingIntervalIn() const { return FData.FadingIntervalIn; }
    void SetFadingIntervalIn(int32_t Value) { FData.FadingIntervalIn = Value; }
    int32_t FadingIntervalOut() const { return FData.FadingIntervalOut; }
    void SetFadingIntervalOut(int32_t Value) { FData.FadingIntervalOut = Value; }
    int32_t FadingIterations() const { return FData.FadingIterations; }
    void SetFadingIterations(int32_t Value) { FData.FadingIterations = Value; }
    TColor HotColor() const { return FData.HotColor; }
    void SetHotColor(TColor Value) { FData.HotColor = Value; }
    int32_t HotTransparency() const { return FData.HotTransparency; }
    void SetHotTransparency(int32_t Value) { FData.HotTransparency = Value; }
    TzControlBevel HotBevel() const { return FData.HotBevel; }
    void SetHotBevel(TzControlBevel Value) { FData.HotBevel = Value; }
    int32_t HotGradientPercent() const { return FData.HotGradientPercent; }
    void SetHotGradientPercent(int32_t Value) { FData.HotGradientPercent = Value; }
    const AnsiString& HotGradientData() const { return FData.HotGradientData; }
    void SetHotGradientData(const AnsiString& Value) { FData.HotGradientData = Value; }
    int32_t HotImagePercent() const { return FData.HotImagePercent; }
    void SetHotImagePercent(int32_t Value) { FData.HotImagePercent = Value; }
    int32_t BorderColor1() const { return FData.BorderColor1; }
    void SetBorderColor1(int32_t Value) { FData.BorderColor1 = Value; }
    int32_t BorderColor2() const { return FData.BorderColor2; }
    void SetBorderColor2(int32_t Value) { FData.BorderColor2 = Value; }

private:
    TzGeneralData FData;   // the numeric font and outline colours are unused: see the texts
    AnsiString FFontColor;
    AnsiString FHotFontColor;
    bool FShadowDontUse = false;
};

// One image of a stored skin: a picture of its own, or a rectangle of the master bitmap.
class TzSkinImage : public TCollectionItem {
    Z_CLASS(TzSkinImage, TCollectionItem)
public:
    explicit TzSkinImage(TCollection* Collection);
    ~TzSkinImage() override;
    void Assign(TPersistent* Source) override;
    AnsiString DisplayName() const override { return FName; }

    const AnsiString& SectionName() const { return FSectionName; }
    void SetSectionName(const AnsiString& Value) { FSectionName = Value; }
    TBitmap* Image() const { return FImage.get(); }
    void SetImage(TBitmap* Value) { FImage->Assign(Value); }
    const AnsiString& Name() const { return FName; }
    void SetName(const AnsiString& Value) { FName = Value; }
    const AnsiString& PropertyName() const { return FPropertyName; }
    void SetPropertyName(const AnsiString& Value) { FPropertyName = Value; }
    int32_t Left() const { return FLeft; }
    void SetLeft(int32_t Value) { FLeft = Value; }
    int32_t Top() const { return FTop; }
    void SetTop(int32_t Value) { FTop = Value; }
    int32_t Right() const { return FRight; }
    void SetRight(int32_t Value) { FRight = Value; }
    int32_t Bottom() const { return FBottom; }
    void SetBottom(int32_t Value) { FBottom = Value; }
    int32_t ImageCount() const { return FImageCount; }
    void SetImageCount(int32_t Value) { FImageCount = Value; }
    int32_t MaskType() const { return FMaskType; }
    void SetMaskType(int32_t Value) { FMaskType = Value; }
    int32_t BorderWidth() const { return FBorderWidth; }
    void SetBorderWidth(int32_t Value) { FBorderWidth = Value; }
    int32_t StretchMode() const { return FStretchMode; }
    void SetStretchMode(int32_t Value) { FStretchMode = Value; }
    TSkImgType ImgType() const { return FImgType; }
    void SetImgType(TSkImgType Value) { FImgType = Value; }
    int32_t WL() const { return FWL; }
    void SetWL(int32_t Value) { FWL = Value; }
    int32_t WR() const { return FWR; }
    void SetWR(int32_t Value) { FWR = Value; }
    int32_t WT() const { return FWT; }
    void SetWT(int32_t Value) { FWT = Value; }
    int32_t WB() const { return FWB; }
    void SetWB(int32_t Value) { FWB = Value; }

private:
    AnsiString FSectionName;
    std::unique_ptr<TBitmap> FImage;
    AnsiString FName;
    AnsiString FPropertyName;
    int32_t FLeft = 0, FTop = 0, FRight = 0, FBottom = 0;
    int32_t FImageCount = 0, FMaskType = 0, FBorderWidth = 0, FStretchMode = 0;
    TSkImgType FImgType = itisaBorder;
    int32_t FWL = 0, FWR = 0, FWT = 0, FWB = 0;
};

// One texture of a stored skin, kept as a JPEG picture.
class TzSkinPattern : public TCollectionItem {
    Z_CLASS(TzSkinPattern, TCollectionItem)
public:
    explicit TzSkinPattern(TCollection* Collection);
    ~TzSkinPattern() override;
    void Assign(TPersistent* Source) override;
    AnsiString DisplayName() const override { return FName; }

    const AnsiString& SectionName() const { return FSectionName; }
    void SetSectionName(const AnsiString& Value) { FSectionName = Value; }
    TJPEGImage* Image() const { return FImage.get(); }
    void SetImage(TJPEGImage* Value) { FImage->Assign(Value); }
    const AnsiString& Name() const { return FName; }
    void SetName(const AnsiString& Value) { FName = Value; }
    const AnsiString& PropertyName() const { return FPropertyName; }
    void SetPropertyName(const AnsiString& Value) { FPropertyName = Value; }

private:
    AnsiString FSectionName;
    std::unique_ptr<TJPEGImage> FImage;
    AnsiString FName;
    AnsiString FPropertyName;
};

// Collections of the items above, typed.
template <class Item> class TzSkinItems : public TOwnedCollection {
public:
    explicit TzSkinItems(TPersistent* AOwner) : TOwnedCollection(AOwner, Item::StaticClassInfo()) {}
    Item* Add() { return static_cast<Item*>(TCollection::Add()); }
    Item* Items(int Index) const { return static_cast<Item*>(TCollection::Items(Index)); }
};

class TzSkinGenerals : public TzSkinItems<TzSkinGeneral> {
    Z_CLASS(TzSkinGenerals, TOwnedCollection)
public:
    using TzSkinItems::TzSkinItems;
};
class TzSkinImages : public TzSkinItems<TzSkinImage> {
    Z_CLASS(TzSkinImages, TOwnedCollection)
public:
    using TzSkinItems::TzSkinItems;
};
class TzSkinPatterns : public TzSkinItems<TzSkinPattern> {
    Z_CLASS(TzSkinPatterns, TOwnedCollection)
public:
    using TzSkinItems::TzSkinItems;
};

// A skin kept with the manager. With "Data" (the bytes of a packed skin file) the skin is
// read from those bytes; without, from the collections.
class TzStoredSkin : public TCollectionItem {
    Z_CLASS(TzStoredSkin, TCollectionItem)
public:
    explicit TzStoredSkin(TCollection* Collection);
    ~TzStoredSkin() override;
    void Assign(TPersistent* Source) override;
    AnsiString DisplayName() const override;
    // "Data": always written, also when empty.
    void DefineProperties(TFiler* Filer) override;

    // The collections as the skin loader reads them; the pictures are borrowed from this item.
    void GetStoredSkinData(TSkStoredSkinData& Out) const;

    const WideString& Name() const { return FName; }
    void SetName(const WideString& Value) { FName = Value; }
    TzSkinGenerals* GeneralData() const { return FGeneralData.get(); }
    void SetGeneralData(TzSkinGenerals* Value) { FGeneralData->Assign(Value); }
    TzSkinImages* Images() const { return FImages.get(); }
    void SetImages(TzSkinImages* Value) { FImages->Assign(Value); }
    TzSkinPatterns* Patterns() const { return FPatterns.get(); }
    void SetPatterns(TzSkinPatterns* Value) { FPatterns->Assign(Value); }
    TBitmap* MasterBitmap() const { return FMasterBitmap.get(); }
    void SetMasterBitmap(TBitmap* Value) { FMasterBitmap->Assign(Value); }
    int32_t Shadow1Color() const { return FShadow1Color; }
    void SetShadow1Color(int32_t Value) { FShadow1Color = Value; }
    int32_t Shadow1Offset() const { return FShadow1Offset; }
    void SetShadow1Offset(int32_t Value) { FShadow1Offset = Value; }
    int32_t Shadow1Blur() const { return FShadow1Blur; }
    void SetShadow1Blur(int32_t Value) { FShadow1Blur = Value; }
    int32_t Shadow1Transparency() const { return FShadow1Transparency; }
    void SetShadow1Transparency(int32_t Value) { FShadow1Transparency = Value; }
    int32_t BorderColor() const { return FBorderColor; }
    void SetBorderColor(int32_t Value) { FBorderColor = Value; }
    double Version() const { return FVersion; }
    void SetVersion(double Value) { FVersion = Value; }
    const AnsiString& Author() const { return FAuthor; }
    void SetAuthor(const AnsiString& Value) { FAuthor = Value; }
    const AnsiString& Description() const { return FDescription; }
    void SetDescription(const AnsiString& Value) { FDescription = Value; }
    // The bytes of a packed skin file; empty when the collections carry the skin.
    TMemoryStream* Data() const { return FData.get(); }

private:
    void ReadData(TStream* Stream);
    void WriteData(TStream* Stream);

    WideString FName;
    std::unique_ptr<TzSkinGenerals> FGeneralData;
    std::unique_ptr<TzSkinImages> FImages;
    std::unique_ptr<TzSkinPatterns> FPatterns;
    std::unique_ptr<TBitmap> FMasterBitmap;
    int32_t FShadow1Color = 0;
    int32_t FShadow1Offset = 0;
    int32_t FShadow1Blur = -1;
    int32_t FShadow1Transparency = 0;
    int32_t FBorderColor = 0xFF00FF;
    double FVersion = 0;
    AnsiString FAuthor;
    AnsiString FDescription;
    std::unique_ptr<TMemoryStream> FData;
};

class TzStoredSkins : public TzSkinItems<TzStoredSkin> {
    Z_CLASS(TzStoredSkins, TOwnedCollection)
public:
    using TzSkinItems::TzSkinItems;
    // The item of exactly that name; -1 when none.
    int IndexOf(const WideString& Name) const;
};

// ---------------------------------------------------------------------------------------
// What the manager asks of parts of the engine that build on it. Each is filled in by its
// own unit when the program starts; left empty, the manager does without.

// The skinned menus, owned by the manager. The form providers hand their forms' menus to
// them; until they are filled in, menus keep the platform's look.
class TzSkinMenuPainter {
public:
    virtual ~TzSkinMenuPainter() = default;
    // A skin is coming or going: what was worked out for the last one (the item being
    // painted, the popup's picture, the frame width) is forgotten.
    virtual void SkinSwitching() = 0;
    // Skin popup menus from now on, or not.
    virtual void SetPopupSkinning(bool Value) = 0;
    // A popup-menu window appeared: take it over.
    virtual void HookPopupWindow(HWND Popup) = 0;
    // The popup window of a menu item (the one under the centre of the item's rectangle).
    virtual void HookItemPopup(LPARAM Item) = 0;
    // The menus carry the engine's handlers (or are given back), every menu of the program.
    virtual void SetMenusActive(bool) {}
    // SetMenusActive with whether the manager's skin is applied.
    virtual void UpdateMenus() {}
    // A main menu, a popup menu or a loose item with its subtree handed over (Skinned), or
    // given back to the platform.
    virtual void HandMainMenu(TMainMenu*, bool /*Skinned*/) {}
    virtual void HandPopupMenu(TPopupMenu*, bool /*Skinned*/) {}
    virtual void HandMenuItem(TMenuItem*, bool /*Skinned*/) {}
    // A system menu is about to show (or has closed).
    virtual void SetSystemMenuShown(bool) {}
};

// The menu painter's private messages to the application window, which the default manager
// hooks: LParam is a menu item whose popup window (the one under the centre of the item's
// rectangle) is to be taken over; or LParam is that popup window itself.
constexpr UINT SM_MENUITEMPOPUP = 0xBCB3;
constexpr UINT SM_MENUPOPUPWINDOW = 0xBCB4;

struct TzSkinEngineHooks {
    // Makes the menu painter of a manager, when the manager first needs one.
    TzSkinMenuPainter* (*CreateMenuPainter)(TzSkinManager* Manager) = nullptr;
    // Every call of the thread's WH_CBT hook, after the next hook was called.
    void (*CBTNotify)(int Code, WPARAM WParam, LPARAM LParam) = nullptr;
    // The hook is being removed: free what it made.
    void (*ReleaseHookObjects)() = nullptr;
    // The manager a form provider (the answer to SKCMD_GETPROVIDER) uses.
    TzSkinManager* (*ProviderManager)(TObject* Provider) = nullptr;
    // Repaints the frame of the provider's form.
    void (*RefreshProvider)(TObject* Provider) = nullptr;
    // An animated repaint of a form, Time milliseconds long.
    void (*AnimShowControl)(TWinControl* Control, int Time) = nullptr;
};
extern TzSkinEngineHooks SkinEngineHooks;

// ---------------------------------------------------------------------------------------
// Program-wide state

// The first manager created; none once it is destroyed.
extern TzSkinManager* DefaultManager;
// Raised while a skin is being read: fades and animations hold back.
extern bool SkinIsChanging;
// Raised while the new-skin command goes round.
extern bool SkinIsApplying;
// Raised while a skin is being removed: window adapters consult it.
extern bool SkinIsRemoving;
// A skin change runs: windows are only invalidated, for the one redraw that ends it.
inline bool SkinChangeRunning() { return SkinIsChanging || SkinIsApplying || SkinIsRemoving; }

// Registers the manager's class for form data. Called once at program start.
void InitSkinManager();

// The engine's broadcast: the message goes to every form the application owns, last first,
// that is not an MDI child, not being destroyed or loaded and not skinned by a provider, and
// down its controls (and to an MDI parent's client window); then to every registered skinned
// form. Forms made or freed by a receiver on the way are taken as they come.
void SkinBroadcast(const TMessage& Message);

// ---------------------------------------------------------------------------------------

class TzSkinManager : public TComponent, public TSkSkinRecords {
    Z_CLASS(TzSkinManager, TComponent)
public:
    explicit TzSkinManager(TComponent* AOwner);
    ~TzSkinManager() override;
    void Loaded() override;

    // Published properties, in stream order.
    TSkAnimEffects* AnimEffects() const { return FAnimEffects.get(); }
    void SetAnimEffects(TSkAnimEffects* Value) { FAnimEffects->Assign(Value); }
    bool IsDefault() const { return DefaultManager == this; }
    void SetIsDefault(bool Value);
    bool Active() const { return FActive; }
    void SetActive(bool Value);
    TStringList* CommonSections() const { return FCommonSections.get(); }
    // Lines that are not empty and not comments lose every blank; then the skin reloads.
    void SetCommonSections(TStrings* Value);
    int32_t Saturation() const { return FSaturation; }
    void SetSaturation(int32_t Value);
    int32_t HueOffset() const { return FHueOffset; }
    void SetHueOffset(int32_t Value);
    TzStoredSkins* InternalSkins() const { return FInternalSkins.get(); }
    void SetInternalSkins(TzStoredSkins* Value) { FInternalSkins->Assign(Value); }
    TSkMenuSupport* MenuSupport() const { return FMenuSupport.get(); }
    void SetMenuSupport(TSkMenuSupport* Value) { FMenuSupport->Assign(Value); }
    const WideString& SkinDirectory() const { return FSkinDirectory; }
    void SetSkinDirectory(const WideString& Value);
    const WideString& SkinName() const { return FSkinName; }
    // Always stored; while Active the skin of that name is loaded and applied. Set while a
    // skin change runs (from its broadcast or OnBeforeChange), it is applied before that
    // change ends, so that the name always names the applied skin.
    void SetSkinName(const WideString& Value);
    // The loaded skin's version ("." as decimal separator), "N/A" while no skin is applied.
    AnsiString SkinInfo() const;
    TSkSkinningRules SkinningRules() const { return FSkinningRules; }
    void SetSkinningRules(TSkSkinningRules Value) { FSkinningRules = Value; }
    AnsiString Version() const { return "5.33"; }
    bool SkinnedPopups() const { return FSkinnedPopups; }
    void SetSkinnedPopups(bool Value);

    TNotifyEvent OnAfterChange;
    TNotifyEvent OnBeforeChange;
    TSkGetExtraLineData OnGetMenuExtraLineData;

    // The names of the internal skins and, from the full skin directory, of the folders that
    // hold an "Options.dat" (Kind 0 or 2) and of the files ending in ".qsz" (Kind 1 or 2),
    // sorted without regard to case. The result is the first name found before sorting.
    WideString GetSkinNames(TWideStrings* List, int Kind);
    // SkinDirectory made absolute against the program's folder, without a trailing backslash.
    WideString FullSkinDirectory() const;

    // Colour, font colour and hot colour of "GLOBALINFO" as RGB; without that section the
    // button face, the key colour and the window colour.
    TColor GetGlobalColor() const;
    TColor GetGlobalFontColor() const;
    TColor GetGlobalHotColor() const;

    // The window under the mouse: the previous one hears SKCMD_DEACTIVATED, the new one
    // SKCMD_ACTIVATED, each with the manager.
    void SetActiveControl(HWND Control);
    HWND ActiveControl() const { return FActiveControl; }

    // The current skin came from packed bytes (a packed file or an internal skin's "Data").
    bool PackedData() const { return FPackedData; }
    // The thread's WH_CBT hook is installed by this manager.
    bool HookInstalled() const { return FHook != nullptr; }
    // The menu painter; made on first use, none while no maker is filled in.
    TzSkinMenuPainter* SkinableMenus();

private:
    // Reads the skin named SkinName into the records (steps of the name setter).
    void LoadSkin();
    // Loads and applies (or removes) the skin named SkinName, again when a receiver of the
    // broadcast named another one meanwhile: the name and the applied skin agree at the end.
    void LoadAndApply();
    void ApplySkin();
    void RemoveSkin();
    // Registered forms of this manager: redrawing stops while the skin changes, then each is
    // drawn again whole (redraw on, region off, frame refreshed, repainted).
    void StopRedrawOfForms();
    void RepaintForms();
    // Hue or saturation changed: the skin is read again and every form repainted.
    void ReloadColours();
    void InstallHook();
    void RemoveHook();
    bool MainWindowHook(TMessage& Message);

    std::unique_ptr<TSkAnimEffects> FAnimEffects;
    bool FActive = true;
    std::unique_ptr<TStringList> FCommonSections;
    int32_t FSaturation = 0;
    int32_t FHueOffset = 0;
    std::unique_ptr<TzStoredSkins> FInternalSkins;
    std::unique_ptr<TSkMenuSupport> FMenuSupport;
    WideString FSkinDirectory;
    WideString FSkinName;
    TSkSkinningRules FSkinningRules = AllSkinningRules;
    bool FSkinnedPopups = true;

    std::unique_ptr<TzSkinMenuPainter> FMenus;
    bool FPackedData = false;
    bool FChangingSkin = false;   // a change runs: a nested name setter only stores the name
    bool FReloadPending = false;  // colours or common sections changed while a change ran
    bool FMainWindowHooked = false;
    HHOOK FHook = nullptr;
    HWND FActiveControl = nullptr;
    std::vector<HWND> FRedrawOff;   // forms whose redrawing this manager stopped
};
