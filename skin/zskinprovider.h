// The skin provider: the component that skins the form it belongs to. It takes the form's
// window procedure over, paints the whole frame (borders, title bar, title buttons, menu line)
// from the current skin into one picture of the window and copies it to the screen, keeps
// the window region in the shape of the skin's border, handles the title bar's mouse, hands
// the form's menus to the skinned menus and its plain controls to the control adapter, and
// answers the skin command on the form's behalf. One provider per form; a second one on the
// same form stays inert.
//
// The sources: zskinprovider.cpp (the component, its skin commands and its menus),
// zskinprovider_frame.cpp (metrics, the frame's picture, the region),
// zskinprovider_input.cpp (the window procedure and the title bar's input).
#pragma once

#include "classlib/forms.h"
#include "skin/zcommondata.h"
#include "skin/zformpaint.h"
#include "skin/zsysmenu.h"

#include <cstdint>
#include <memory>
#include <vector>

class TzSkinProvider;
class TzMDIForm;
class TSkWndLink;
class TSkFreeWatch;

enum TzGripMode : uint8_t { gmNone, gmRightBottom };
enum TzResizeMode : uint8_t { rmStandard, rmBorder };

// Hit-test codes of the title items beyond the system's: the close, maximize (restore) and
// minimize buttons of a maximized MDI child drawn in its parent's menu line, and the user's
// title button i as HTUSERBUTTON + i.
enum : int { HTMDICLOSE = 101, HTMDIMAX = 102, HTMDIMIN = 103, HTUSERBUTTON = 1000 };

// The control adapter's answer to the provider's offer of a control: whether to skin it,
// and with which section.
using TAddItemEvent = TMethod<void(TComponent* Item, bool& CanBeAdded, AnsiString& SkinSection)>;

// What the provider asks of the object that gives the form's plain controls their window
// adapters. Made by CreateControlAdapter when the form starts being skinned, freed when the
// skin goes or the provider does.
class TzControlAdapter {
public:
    virtual ~TzControlAdapter() = default;
    // The container's components and controls walked, every one of a kind it adapts taken
    // (none: the provider's whole form).
    virtual void AddAllItems(TWinControl* Container) = 0;
    // One control, when it is new to the adapter and of a kind it adapts.
    virtual void AddControl(TWinControl* Control) = 0;
    // The message to the window of every control it adapts.
    virtual void BroadcastToItems(const TMessage& Message) = 0;
};
// The maker of a provider's control adapter; left empty, the form's plain controls stay plain.
extern TzControlAdapter* (*CreateControlAdapter)(TzSkinProvider* Provider);

// The popup of a system menu at a screen point; replaceable so that tests need not wait on
// the system's menu loop.
extern void (*SystemMenuPopup)(TPopupMenu* Menu, int X, int Y);

// One of the system's title buttons as painted: 0 normal, 1 hot, 2 pressed; its mask (-1
// none); its rectangle in window coordinates (empty while not shown).
struct TzTitleButtonState {
    int State = 0;
    int ImageIndex = -1;
    TRect Rect;
};

class TzSkinProvider : public TComponent {
    Z_CLASS(TzSkinProvider, TComponent)
public:
    // On a form (the owner): takes its window procedure over, unless the form already has a
    // provider (this one then stays inert).
    explicit TzSkinProvider(TComponent* AOwner);
    ~TzSkinProvider() override;
    void AfterConstruction() override;
    void Loaded() override;

    // Published properties.
    TAlignment CaptionAlignment() const { return FCaptionAlignment; }
    void SetCaptionAlignment(TAlignment Value);
    TzCommonData* SkinData() const { return FSkinData.get(); }
    TzGripMode GripMode() const { return FGripMode; }
    void SetGripMode(TzGripMode Value);
    bool MakeSkinMenu() const { return FMakeSkinMenu; }
    void SetMakeSkinMenu(bool Value) { FMakeSkinMenu = Value; }
    const AnsiString& MenuLineSkin() const { return FMenuLineSkin; }
    void SetMenuLineSkin(const AnsiString& Value);
    TzResizeMode ResizeMode() const { return FResizeMode; }
    void SetResizeMode(TzResizeMode Value) { FResizeMode = Value; }
    bool ScreenSnap() const { return FScreenSnap; }
    void SetScreenSnap(bool Value) { FScreenSnap = Value; }
    int SnapBuffer() const { return FSnapBuffer; }
    void SetSnapBuffer(int Value) { FSnapBuffer = Value; }
    bool ShowAppIcon() const { return FShowAppIcon; }
    void SetShowAppIcon(bool Value);
    TzTitleButtons* TitleButtons() const { return FTitleButtons.get(); }
    void SetTitleButtons(TzTitleButtons* Value) { FTitleButtons->Assign(Value); }
    TzTitleIcon* TitleIcon() const { return FTitleIcon.get(); }
    void SetTitleIcon(TzTitleIcon* Value) { FTitleIcon->Assign(Value); }
    const AnsiString& TitleSkin() const { return FTitleSkin; }
    void SetTitleSkin(const AnsiString& Value);
    bool UseGlobalColor() const { return FUseGlobalColor; }
    void SetUseGlobalColor(bool Value);
    TAddItemEvent OnSkinItem;

    // The form skinned (none: the provider is inert).
    TCustomForm* Form() const { return FForm; }
    TzSystemMenu* SystemMenu() const { return FSystemMenu; }
    TzMDIForm* MDIForm() const { return FMDIForm.get(); }
    TzControlAdapter* Adapter() const { return FAdapter.get(); }
    // The skin data is skinned and the form is not going.
    bool Skinning() const;
    bool FormActive() const { return FFormActive; }
    // The title item under the mouse or pressed (a hit-test code; 0: none).
    int HotItem() const { return FHotItem; }
    // The system's title button of a hit-test code (8, 9, 20, 21, 101 to 103); none for others.
    const TzTitleButtonState* ButtonOf(int Code) const;
    // The lines the menu line takes (-1: to be counted again).
    int MenuLineCount() const { return FMenuLineCount; }

    // Metrics.
    bool HasBorder() const;
    int CaptionHeight() const;
    int SysBorderWidth() const;
    int SysBorderHeight() const;
    int MenuHeight() const;
    int FormWidth() const;
    int FormHeight() const;
    int ButtonHeight() const;
    int UserButtonWidth(const TzTitleButton* Button) const;
    int ButtonsWidth() const;
    int IconWidth() const;
    int IconHeight() const;
    TRect IconRect() const;
    // The client area in window coordinates.
    TRect ClientRectInWindow() const;
    TzFrameMetrics Metrics() const;

    // The frame.
    // The whole frame painted into the cache (the title alone from the saved title area when
    // the skin allows and only the title can have changed).
    void PaintAll();
    // The cache brought up to date when stale, and its frame parts copied to DC.
    void PaintFormNC(HDC DC);
    // The client area's background from the cache and the controls without windows over it;
    // with Notify the form's controls hear that their parent finished painting.
    void PaintClient(HDC DC, bool Notify);
    // The window region from the skin's border corners (none while a skin has none).
    void UpdateRegion();
    void FindTitleMasks();
    // The frame painted again at the next chance: picture stale, region and menu line too.
    void RefreshNonClient();
    // The form's menus handed to the skinned menus (A) or given back.
    void InitMenuItems(bool A);
    // Made ready for the skin: indexes, system menu, the system's caption buttons off.
    void PrepareForm();

    // The title bar's input.
    // The hit-test code of a point in window coordinates: 3 the icon, 8, 9, 20, 21 and the
    // user buttons' codes on their buttons, 2 elsewhere in the button band, 17 on the grip,
    // 101 to 103 on a maximized MDI child's buttons, -1 outside a maximized form's working
    // area, 0 for the system to answer. Title items become hot.
    int HitTest(TPoint WindowPoint);
    void SetHotButton(int Code, bool Repaint = true);
    void SetPressedButton(int Code);
    // The system menu at a screen point.
    void DropSysMenu(int X, int Y);

protected:
    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    enum TButton { btMin, btMax, btClose, btHelp, btMDIMin, btMDIMax, btMDIClose, btCount };
    friend class TzMDIForm;

    // zskinprovider.cpp
    void NewSkin();
    void SkinRemoved();
    void RefreshSkin();
    void SkinnedCommand(TWMSkinCommand& Cmd);
    // True when handled.
    bool UnskinnedCommand(TWMSkinCommand& Cmd);
    void ApplyGlobalColor();
    void SwitchMenuOwnerDraw();
    void MakeAdapter();
    void FreeAdapter();
    void MakeMDIForm();
    void RemoveSysMenuStyle(bool Remove);

    // zskinprovider_frame.cpp
    void PaintCaption();
    void PaintTitleButtons();
    void PaintMenuLineItems(TBitmap* Cache, const TzFrameMetrics& M);
    void PaintMDIButtons(TBitmap* Cache, const TzFrameMetrics& M);
    // The provider of this MDI parent's maximized, shown child; none otherwise.
    TzSkinProvider* ZoomedChild() const;
    // This MDI child is maximized and shown.
    bool ZoomedChildOfParent() const;
    void PrintFrame(HDC DC);
    void RepaintButton(int Code);
    void CountMenuLines();
    TBitmap* Cache() const { return FSkinData->CacheBmp(); }
    bool CacheFits() const;
    int TitleSectionIndex() const;
    int MenuLineSectionIndex() const;
    bool FastTitle() const;
    bool DrawMenuBarItem(const DRAWITEMSTRUCT& Draw);

    // zskinprovider_input.cpp
    void NewWndProc(TMessage& Message);
    void SkinnedMessage(TMessage& Message);
    void PassOn(TMessage& Message);
    LRESULT PassOn(UINT Msg, WPARAM WParam, LPARAM LParam);
    // The message passed on with the window's drawing off, then the frame painted again.
    void PassOnUndrawn(TMessage& Message);
    void WMPaint(TMessage& Message);
    void WMNCPaint(TMessage& Message);
    void WMNCActivate(TMessage& Message);
    void WMNCHitTest(TMessage& Message);
    void WMNCLButtonDown(TMessage& Message);
    void ButtonUp(TMessage& Message);
    void WMNCLButtonDblClk(TMessage& Message);
    void WMSysCommand(TMessage& Message);
    void WMMouseMove(TMessage& Message);
    void WMGetMinMaxInfo(TMessage& Message);
    void WMWindowPosChanging(TMessage& Message);
    void WMPrint(TMessage& Message);
    void SizeChanged(TMessage& Message);
    void ActButton(int Code, TPoint ScreenPoint);
    void ClearButtons();
    void RefreshMDIParent();
    void MDIChildActivated();
    void StartOutlineDrag(int Code);
    void ShowMDIIcons(bool Show);
    bool MayMaximizeOrRestore() const;
    TzTitleButtonState* Button(int Code);
    TzTitleButton* UserButton(int Code) const;
    TRect ItemRect(int Code) const;

    TAlignment FCaptionAlignment = taLeftJustify;
    std::unique_ptr<TzCommonData> FSkinData;
    TzGripMode FGripMode = gmNone;
    bool FMakeSkinMenu = true;
    AnsiString FMenuLineSkin;
    TzResizeMode FResizeMode = rmStandard;
    bool FScreenSnap = false;
    int FSnapBuffer = 10;
    bool FShowAppIcon = true;
    std::unique_ptr<TzTitleButtons> FTitleButtons;
    std::unique_ptr<TzTitleIcon> FTitleIcon;
    AnsiString FTitleSkin;
    bool FUseGlobalColor = true;

    TCustomForm* FForm = nullptr;
    std::shared_ptr<TSkWndLink> FLink;
    TzSystemMenu* FSystemMenu = nullptr;   // owned as a component
    std::unique_ptr<TzControlAdapter> FAdapter;
    std::unique_ptr<TzMDIForm> FMDIForm;
    std::unique_ptr<TBitmap> FTitleBmp;      // the title bar behind the buttons
    std::unique_ptr<TBitmap> FMenuLineBmp;
    std::unique_ptr<TBitmap> FTitleBG;       // the title area before the title was painted
    TRect FTitleStrip;                       // where FTitleBmp lies in the window
    TzTitleButtonState FButtons[btCount];
    int FTitleMaskIndex = -1;
    int FHotItem = 0;
    int FMenuLineCount = -1;
    bool FRgnChanged = true;
    bool FRgnSetting = false;
    bool FMenuChanged = true;
    bool FMenusInitialized = false;
    bool FInMenuLoop = false;
    bool FInAnimation = false;
    bool FFormActive = true;
    HWND FMDIIcons = nullptr;   // the MDI buttons' window while the menu loop runs
};

// The provider of the form a component belongs to (up its owners), asked by the skin
// command; none when it has none.
TzSkinProvider* GetSkinProvider(TComponent* Component);

// The provider of the MDI parent form, and that of its maximized MDI child (none when none).
extern TzSkinProvider* MDISkinProvider;
extern TzSkinProvider* MaxChildProvider;

// Registers the provider's classes for form data and fills the manager's hooks for
// providers. Called by InitSkinEngine.
void InitSkinProvider();
