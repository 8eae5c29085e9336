// The skin state of one skinned control, form provider or window adapter: its section and
// the indexes resolved for it in the manager, its 24-bit cache bitmap, and the few flags that
// painting asks about (must wait, picture stale, focused, mouse above). Also the caption label
// an edit-like control can carry beside itself.
//
// Every routine tolerates a missing owner, manager or parent: it then answers as an
// unskinned control would.
#pragma once

#include "classlib/controls.h"
#include "skin/zsectionpaint.h"
#include "skin/zskinservices.h"

#include <cstdint>
#include <memory>

class TzSkinManager;
class TCustomLabel;
class TSkFreeWatch;

// ---------------------------------------------------------------------------------------
// Control-type codes: the number each skinned class gives its skin data. It selects the
// default section and whether the mouse can make the control hot.

// Codes whose controls never become hot by the mouse, only by the focus.
bool IsNoHotCode(int Code);
// The section of a code when the control names none; for a code the table does not list,
// the owner's class name upper-cased ("" without an owner).
AnsiString DefaultSectionOf(int Code, const TObject* Owner);
// The codes the skinned classes of this library give their skin data, one table for all of
// them (the default-section table above knows more codes than these). A list box is an
// edit-like owner that takes the section's colours, as every TCustomEdit does.
enum TzCtrlTypeCode : int {
    ctEdit = 3,
    ctMemo = 7,
    ctListView = 10,
    ctCheckBox = 32,
    ctRadioButton = 33,
    ctPanel = 51,
    ctGroupBox = 74,
    ctSplitter = 75,
    ctSpeedButton = 92,
    ctButton = 93,
    ctBitBtn = 94,
    ctTreeView = 96,
    ctListBox = 97,
    ctTabControl = 143,
    ctStatusBar = 151,
    ctProgressBar = 161,
    ctFormProvider = 224,
    ctAdapterItem = 227,
};

// The state flags of a control's skin data, kept as one value.
enum TzSkinStateFlag : uint16_t {
    ssUpdating = 1u << 0,     // painting must wait (a new skin, its removal, SKCMD_SETUPDATING, BeginUpdate)
    ssSeeThrough = 1u << 1,   // always painted over the parent's image (SKCMD_SETSEETHROUGH)
    ssBGChanged = 1u << 2,    // the cache must be painted again before the next copy
    ssOutOfClip = 1u << 3,    // the control lay outside the last paint clip
    ssFocused = 1u << 4,
    ssMouseAbove = 1u << 5,
    ssCustomFont = 1u << 6,   // the control keeps its own font colour
    ssCustomColor = 1u << 7,  // the control keeps its own colour
};
using TzSkinState = uint16_t;

// ---------------------------------------------------------------------------------------

class TzCommonData : public TPersistent {
    Z_CLASS(TzCommonData, TPersistent)
public:
    // All indexes -1, the picture stale and out of clip; with MakeCache a 0 x 0 24-bit cache.
    TzCommonData(TObject* AOwner, bool MakeCache);
    ~TzCommonData() override;

    // Published: SkinSection, SkinManager (stored only when set), CustomColor, CustomFont.
    const AnsiString& SkinSection() const { return FSkinSection; }
    // Upper-cased, "UNKNOWN" when empty; a changed name resolves the indexes again and tells
    // the owner (SKCMD_REFRESH when the section is found, else SKCMD_SKINREMOVED).
    void SetSkinSection(const AnsiString& Value);
    // The own manager, else the default manager, else none.
    TzSkinManager* GetSkinManager() const;
    TzSkinManager* SkinManager() const { return GetSkinManager(); }
    // The default manager is stored as "none of its own".
    void SetSkinManager(TzSkinManager* Value);
    // The manager named by the owner itself, or none (what form data stores).
    TzSkinManager* OwnSkinManager() const { return FSkinManager; }
    bool CustomColor() const { return Has(ssCustomColor); }
    void SetCustomColor(bool Value);
    bool CustomFont() const { return Has(ssCustomFont); }
    void SetCustomFont(bool Value);

    // Resolved in the manager; -1 none. Valid until the next skin is applied or removed.
    int32_t SkinIndex = -1;
    int32_t BorderIndex = -1;   // "BORDERSMASK" of the section
    int32_t Texture = -1;       // "PATTERN"
    int32_t HotTexture = -1;    // "HOTPATTERN"
    int32_t CtrlTypeCode = 0;
    // The graphic child being painted now (SKCMD_SETPAINTINGCHILD).
    TControl* PaintingChild = nullptr;

    TControl* OwnerControl() const { return FOwnerControl; }
    TObject* OwnerObject() const { return FOwnerObject; }

    // State flags.
    TzSkinState State() const { return FState; }
    bool Has(TzSkinState Flags) const { return (FState & Flags) != 0; }
    void SetFlag(TzSkinState Flags, bool Value) { FState = Value ? (FState | Flags) : (FState & ~Flags); }
    bool Updating() const { return Has(ssUpdating); }
    void SetUpdating(bool Value) { SetFlag(ssUpdating, Value); }
    bool BGChanged() const { return Has(ssBGChanged); }
    void SetBGChanged(bool Value) { SetFlag(ssBGChanged, Value); }
    bool SeeThrough() const { return Has(ssSeeThrough); }
    void SetSeeThrough(bool Value) { SetFlag(ssSeeThrough, Value); }
    bool OutOfClip() const { return Has(ssOutOfClip); }
    void SetOutOfClip(bool Value) { SetFlag(ssOutOfClip, Value); }
    bool Focused() const { return Has(ssFocused); }
    void SetFocused(bool Value) { SetFlag(ssFocused, Value); }
    bool MouseAbove() const { return Has(ssMouseAbove); }
    void SetMouseAbove(bool Value) { SetFlag(ssMouseAbove, Value); }

    // The cache bitmap (none for controls that keep no cache between paints).
    TBitmap* CacheBmp() const { return FCacheBmp.get(); }
    // Makes the cache if missing: 24-bit DIB of the owner control's size.
    void PrepareCache();
    // Controls that keep no cache free it after each paint.
    void FreeCache() { FCacheBmp.reset(); }

    // The default section when none is named, else the indexes resolved again.
    void SetDefaultSection();
    // After construction and after loading: default section, indexes, and for edit-like
    // owners the section's colours.
    void Loaded();
    // Section, border, texture and hot-texture indexes from the manager; the picture stale.
    void UpdateIndexes();
    // Forgets every index (the skin went away).
    void ClearIndexes();
    // The owner is alive, the manager is alive (and, with CheckActive, its skin applied) and
    // the section was found.
    bool Skinned(bool CheckActive = true) const;
    // Painting must wait: no manager or no skin, the own flag, a control without a parent,
    // or a parent that is updating itself.
    bool GetUpdating() const;
    // SKCMD_BEGINUPDATE / SKCMD_ENDUPDATE to the owner (a provider's form by SendMessage).
    void BeginUpdate();
    void EndUpdate();
    // The picture stale and, when the owner is ready, the owner invalidated.
    void Invalidate();
    bool HasTransparency() const;
    // The control must be painted over its parent's image.
    bool NeedsParentImage() const;
    // The parent paints an image (its answer to SKCMD_ISIMAGEBG).
    bool ParentIsImage() const;

    // What the painters take of the control's section: the manager, the indexes resolved in
    // it and, when the control keeps its own colour, its owner's Color.
    TzSectionSkin SectionSkin() const;
    // What shows behind the control, its parent asked once: the parent's picture (sub-command
    // 5) and, where there is none, the parent's Color, or where the control does not need it,
    // the parent's background colour. Painters take the answer as it is.
    TzBackdrop Backdrop() const;
    // The same around a picture of the parent already asked for.
    TzBackdrop BackdropOver(const TzCacheInfo& Picture) const;
    // The parent's background colour as RGB (sub-command 21, else its Color); SkinKeyColor
    // without a parent.
    TColor ParentColor() const;
    // A question of the skin command to the owner's parent, asked once, whatever the parent
    // does with it (a fully transparent parent asks its own): in-process, and by its window
    // only when nobody answered there. True for an answer 1.
    bool AskParent(uint16_t Command) const;

private:
    void ManagerFreed();
    void TellOwner(uint16_t Command, LPARAM LParam);
    void TakeSectionColors();
    friend class TzCommonDataWatch;

    AnsiString FSkinSection;
    TzSkinManager* FSkinManager = nullptr;
    TControl* FOwnerControl = nullptr;
    TObject* FOwnerObject = nullptr;
    std::unique_ptr<TBitmap> FCacheBmp;
    TzSkinState FState = ssBGChanged | ssOutOfClip;
    // Clears FSkinManager when that manager is freed while the control still names it.
    std::unique_ptr<TComponent> FManagerWatch;
};

// The control has the focus, or the mouse is over it and its code allows a hot state.
bool IsControlActive(const TzCommonData* SkinData);

// The parent's cache picture for this control (sub-command 5); Ready False without one.
TzCacheInfo QueryParentCache(const TzCommonData* SkinData);
// The same for any control (one without skin data: a label).
TzCacheInfo QueryControlParentCache(TControl* Control);
TzCacheInfo QueryParentCacheByHandle(HWND Wnd);

// Copies the cache (from Src) to R of the DC, clipping out the parent's opaque children
// moved by (X, Y); with FillCorners the key-colour corners are first filled from the parent.
void BlitCacheToDC(TWinControl* Parent, TzCommonData* SkinData, TPoint Src, int X, int Y,
                   bool FillCorners, HDC DC, const TRect& R);
// The same for a raw window and its child windows (group boxes keep their inside).
void BlitCacheToWindowDC(HWND Wnd, TzCommonData* SkinData, TPoint Src, int X, int Y,
                         bool FillCorners, HDC DC, const TRect& R);

// ---------------------------------------------------------------------------------------
// The caption label kept beside an edit-like control.

enum TzCaptionLayout : uint8_t { sclLeft, sclTopLeft, sclTopCenter, sclTopRight };

// The label class is a skinned control built above the engine: the control layer registers
// how to make one. Left empty, a plain class-library label is made.
using TzBoundLabelFactory = TCustomLabel* (*)(TComponent* Owner);
extern TzBoundLabelFactory BoundLabelFactory;

class TzBoundLabel : public TPersistent {
    Z_CLASS(TzBoundLabel, TPersistent)
public:
    TzBoundLabel(TControl* AControl, TzCommonData* ASkinData);
    ~TzBoundLabel() override;

    // Published: Active, Caption, Indent, Font, Layout, MaxWidth, UseSkinColor.
    bool Active() const { return FLabel != nullptr; }
    void SetActive(bool Value);
    const AnsiString& Caption() const { return FCaption; }
    void SetCaption(const AnsiString& Value);
    int Indent() const { return FIndent; }
    void SetIndent(int Value);
    TFont* Font() const;
    void SetFont(TFont* Value);
    TzCaptionLayout Layout() const { return FLayout; }
    void SetLayout(TzCaptionLayout Value);
    int MaxWidth() const { return FMaxWidth; }
    void SetMaxWidth(int Value);
    bool UseSkinColor() const;
    void SetUseSkinColor(bool Value);

    // The label, while active.
    TCustomLabel* LabelControl() const { return FLabel; }
    // Places the visible label beside the control by Layout, Indent and MaxWidth.
    void AlignLabel();
    // The control's visibility, enabled state and reading order changed: the label follows.
    void FollowControl();

private:
    TControl* FControl;
    TzCommonData* FSkinData;
    int FMaxWidth = 0;
    AnsiString FCaption;
    TzCaptionLayout FLayout = sclLeft;
    std::unique_ptr<TFont> FFont;
    int FIndent = 0;
    TCustomLabel* FLabel = nullptr;   // owned by the control's owner, freed by us
    std::unique_ptr<TComponent> FLabelWatch;
};
