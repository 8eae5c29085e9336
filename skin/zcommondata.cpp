#include "classlib/gdihandles.h"
#include "skin/zcommondata.h"

#include "classlib/forms.h"
#include "classlib/stdctrls.h"
#include "skin/zcontrolutils.h"
#include "skin/zskinmanager.h"
#include "skin/zskinpaint.h"

#include <algorithm>

// ---------------------------------------------------------------------------------------
// Control-type codes

bool IsNoHotCode(int Code)
{
    return (Code >= 51 && Code <= 74) || Code == 110 || (Code >= 141 && Code <= 161);
}

AnsiString DefaultSectionOf(int Code, const TObject* Owner)
{
    switch (Code) {
    case 2: case 3: case 4: case 5: case 6: case 7: case 8: case 10: case 41: case 76: case 78:
    case 83: case 84: case 96: case 97: case 131: case 140: case 227:
        return "EDIT";
    case 11: case 12: case 13: case 14: case 15: case 16: case 17: case 18: case 81: case 82:
        return "COMBOBOX";
    case 19: return "BAR";
    case 20: return "BARTITLE";
    case 32: case 152: return "CHECKBOX";
    case 33: return "RADIOBUTTON";
    case 51: case 59: case 68: case 73: return "PANEL";
    case 52: case 58: return "PANEL_LOW";
    case 53: case 54: case 60: return "TOOLBAR";
    case 56: return "DRAGBAR";
    case 57: return "TABSHEET";
    case 74: case 226: return "GROUPBOX";
    case 75: return "SPLITTER";
    case 92: case 95: return "SPEEDBUTTON";
    case 93: case 94: return "BUTTON";
    case 98: return "TOOLBUTTON";
    case 141: case 143: return "PAGECONTROL";
    case 151: return "STATUSBAR";
    case 161: return "GAUGE";
    case 165: return "TRACKBAR";
    default: return Owner ? UpperCase(Owner->ClassName()) : AnsiString();
    }
}

// ---------------------------------------------------------------------------------------
// The watch on the control's own manager: a manager freed while the control still names it
// must not be reached through a dangling pointer.

class TzCommonDataWatch : public TComponent {
public:
    explicit TzCommonDataWatch(TzCommonData* AData) : TComponent(nullptr), FData(AData) {}
    void Watch(TComponent* Old, TComponent* New)
    {
        if (Old)
            Old->RemoveFreeNotification(this);
        if (New)
            New->FreeNotification(this);
    }

protected:
    void Notification(TComponent* AComponent, TOperation Operation) override
    {
        TComponent::Notification(AComponent, Operation);
        if (Operation == opRemove && AComponent == FData->FSkinManager)
            FData->ManagerFreed();
    }

private:
    TzCommonData* FData;
};

namespace {

const char* const CaptionLayoutNames[] = {"sclLeft", "sclTopLeft", "sclTopCenter", "sclTopRight"};

bool OwnSkinManagerStored(const TObject* O)
{
    return static_cast<const TzCommonData*>(O)->OwnSkinManager() != nullptr;
}

TPropInfo SkinManagerProp()
{
    TPropInfo p = zprop::Ref<TzCommonData, &TzCommonData::OwnSkinManager, &TzCommonData::SetSkinManager,
                             TzSkinManager>("SkinManager");
    p.IsStored = &OwnSkinManagerStored;
    return p;
}

bool ComponentDying(const TObject* O)
{
    auto* c = dynamic_cast<const TComponent*>(O);
    return c && c->IsDestroying();
}

} // namespace

Z_CLASS_IMPL(TzCommonData, TPersistent, Z_PROP_STR(TzCommonData, SkinSection), SkinManagerProp(),
             Z_PROP_BOOL(TzCommonData, CustomColor, false), Z_PROP_BOOL(TzCommonData, CustomFont, false))

TzCommonData::TzCommonData(TObject* AOwner, bool MakeCache)
    : FOwnerControl(dynamic_cast<TControl*>(AOwner)), FOwnerObject(AOwner),
      FManagerWatch(std::make_unique<TzCommonDataWatch>(this))
{
    if (MakeCache) {
        FCacheBmp = std::make_unique<TBitmap>();
        FCacheBmp->SetPixelFormat(pf24bit);
    }
}

TzCommonData::~TzCommonData()
{
    static_cast<TzCommonDataWatch*>(FManagerWatch.get())->Watch(FSkinManager, nullptr);
}

TzSkinManager* TzCommonData::GetSkinManager() const
{
    return FSkinManager ? FSkinManager : DefaultManager;
}

void TzCommonData::ManagerFreed()
{
    FSkinManager = nullptr;
    ClearIndexes();
}

void TzCommonData::ClearIndexes()
{
    SkinIndex = BorderIndex = Texture = HotTexture = -1;
}

// The control itself, or the form of a provider (a component owned by the form).
static TControl* CommandTarget(const TzCommonData* SD)
{
    if (SD->OwnerControl())
        return SD->OwnerControl();
    if (auto* c = dynamic_cast<TComponent*>(SD->OwnerObject()))
        return dynamic_cast<TCustomForm*>(c->Owner());
    return nullptr;
}

void TzCommonData::TellOwner(uint16_t Command, LPARAM LParam)
{
    if (FOwnerControl && (!FOwnerControl->Parent() || FOwnerControl->IsDestroying()))
        return;
    if (TControl* target = CommandTarget(this))
        SendCommandToControl(target, Command, LParam);
}

void TzCommonData::SetSkinManager(TzSkinManager* Value)
{
    TzSkinManager* own = Value == DefaultManager ? nullptr : Value;
    if (own == FSkinManager)
        return;
    static_cast<TzCommonDataWatch*>(FManagerWatch.get())->Watch(FSkinManager, own);
    FSkinManager = own;
    if (ComponentDying(FOwnerObject))
        return;
    if (auto* c = dynamic_cast<TComponent*>(FOwnerObject); c && c->IsLoading())
        return;
    if (!Value || Value->SectionCount() == 0)
        ClearIndexes();
    else
        UpdateIndexes();
    const bool valid = Value && Value->SectionCount() > 0 && Value->IsValidSkinIndex(SkinIndex);
    TellOwner(valid ? SKCMD_REFRESH : SKCMD_SKINREMOVED, reinterpret_cast<LPARAM>(Value));
}

void TzCommonData::SetSkinSection(const AnsiString& Value)
{
    AnsiString name = Value.empty() ? AnsiString("UNKNOWN") : UpperCase(Value);
    if (name == FSkinSection)
        return;
    FSkinSection = name;
    UpdateIndexes();
    TzSkinManager* m = GetSkinManager();
    TellOwner(m && m->IsValidSkinIndex(SkinIndex) ? SKCMD_REFRESH : SKCMD_SKINREMOVED,
              reinterpret_cast<LPARAM>(m));
}

void TzCommonData::SetCustomColor(bool Value)
{
    if (Value == CustomColor())
        return;
    SetFlag(ssCustomColor, Value);
    auto* c = dynamic_cast<TComponent*>(FOwnerObject);
    if (Skinned() && IsEditLike(this) && !(c && c->IsLoading()))
        TakeSectionColors();
    Invalidate();
}

void TzCommonData::SetCustomFont(bool Value)
{
    if (Value == CustomFont())
        return;
    SetFlag(ssCustomFont, Value);
    Invalidate();
}

void TzCommonData::SetDefaultSection()
{
    if (FSkinSection.empty())
        SetSkinSection(DefaultSectionOf(CtrlTypeCode, FOwnerObject));
    else
        UpdateIndexes();
}

void TzCommonData::TakeSectionColors()
{
    TzSkinManager* m = GetSkinManager();
    if (!FOwnerControl || !m || !m->IsValidSkinIndex(SkinIndex))
        return;
    const TzGeneralData& s = m->Section(SkinIndex);
    if (!CustomColor() && FOwnerControl->Color() != s.Color)
        FOwnerControl->SetColor(s.Color);
    if (!CustomFont() && FOwnerControl->Font()->Color() != TColor(s.FontColor))
        FOwnerControl->Font()->SetColor(TColor(s.FontColor));
}

void TzCommonData::Loaded()
{
    SetDefaultSection();
    auto* win = dynamic_cast<TWinControl*>(FOwnerControl);
    const bool skinned = Skinned();
    if (!skinned && win && ThemesActive())
        win->SetControlStyle(win->ControlStyle() & ~csParentBackground);
    if (skinned && FOwnerControl && FOwnerControl->Parent() && !FOwnerControl->IsLoading()) {
        if (win)
            AnnounceControlToForm(win);
        if (IsEditLike(this))
            TakeSectionColors();
    }
}

void TzCommonData::UpdateIndexes()
{
    SetBGChanged(true);
    TzSkinManager* m = GetSkinManager();
    SkinIndex = m ? m->FindSectionIndex(FSkinSection) : -1;
    if (m && m->IsValidSkinIndex(SkinIndex)) {
        BorderIndex = m->FindMaskIndex(SkinIndex, FSkinSection, "BORDERSMASK");
        Texture = m->FindTextureIndex(SkinIndex, FSkinSection, "PATTERN");
        HotTexture = m->FindTextureIndex(SkinIndex, FSkinSection, "HOTPATTERN");
    } else {
        // The border index of a section that is gone must not survive into the next skin.
        BorderIndex = Texture = HotTexture = -1;
    }
}

bool TzCommonData::Skinned(bool CheckActive) const
{
    if (ComponentDying(FOwnerObject))
        return false;
    TzSkinManager* m = GetSkinManager();
    if (!m || m->IsDestroying())
        return false;
    if (CheckActive && !m->SkinData().Active)
        return false;
    return m->IsValidSkinIndex(SkinIndex);
}

bool TzCommonData::GetUpdating() const
{
    TzSkinManager* m = GetSkinManager();
    if (!m || !m->SkinData().Active)
        return true;
    if (Updating())
        return true;
    if (!FOwnerControl || FOwnerControl->IsDestroying())
        return false;
    return !FOwnerControl->Parent() || AskParent(SKCMD_ISUPDATING);
}

// The batch command goes to the control itself, or by SendMessage to a provider's form.
static void SendBatchCommand(const TzCommonData* SD, uint16_t Command)
{
    if (SD->OwnerControl())
        SD->OwnerControl()->Perform(SM_SKINCMD, SkinCommandWParam(Command), 0);
    else if (TControl* form = CommandTarget(SD))
        SendCommandToControl(form, Command, 0);
}

void TzCommonData::BeginUpdate()
{
    SetUpdating(true);
    SendBatchCommand(this, SKCMD_BEGINUPDATE);
}

void TzCommonData::EndUpdate()
{
    SetUpdating(false);
    SendBatchCommand(this, SKCMD_ENDUPDATE);
}

void TzCommonData::PrepareCache()
{
    if (!FCacheBmp)
        FCacheBmp = std::make_unique<TBitmap>();
    if (FCacheBmp->PixelFormat() != pf24bit)
        FCacheBmp->SetPixelFormat(pf24bit);
    if (FCacheBmp->HandleType() != bmDIB)
        FCacheBmp->SetHandleType(bmDIB);
    if (FOwnerControl && (FCacheBmp->Width() != FOwnerControl->Width() ||
                          FCacheBmp->Height() != FOwnerControl->Height()))
        FCacheBmp->SetSize(std::max(0, FOwnerControl->Width()), std::max(0, FOwnerControl->Height()));
}

void TzCommonData::Invalidate()
{
    if (!FOwnerControl || FOwnerControl->IsLoading() || FOwnerControl->IsDestroying())
        return;
    SetBGChanged(true);
    if (IsControlReady(FOwnerControl))
        FOwnerControl->Invalidate();
}

bool TzCommonData::HasTransparency() const
{
    TzSkinManager* m = GetSkinManager();
    return m && m->IsValidSkinIndex(SkinIndex) && m->Section(SkinIndex).Transparency >= 1;
}

bool TzCommonData::NeedsParentImage() const
{
    if (SeeThrough() || !Skinned() || !FOwnerControl || (FOwnerControl->ControlState() & csCreating) ||
        !FOwnerControl->Visible())
        return true;
    TzSkinManager* m = GetSkinManager();
    if (!m->IsValidSkinIndex(SkinIndex))
        return false;
    if (!FOwnerControl->Enabled() || m->Section(SkinIndex).Transparency >= 1) {
        TWinControl* parent = FOwnerControl->Parent();
        if (parent && parent->HandleAllocated())
            return AskParent(SKCMD_ISIMAGEBG);
        return true;
    }
    return false;
}

bool TzCommonData::ParentIsImage() const
{
    TWinControl* parent = FOwnerControl ? FOwnerControl->Parent() : nullptr;
    return parent && parent->HandleAllocated() && AskParent(SKCMD_ISIMAGEBG);
}

bool TzCommonData::AskParent(uint16_t Command) const
{
    TWinControl* parent = FOwnerControl ? FOwnerControl->Parent() : nullptr;
    if (!parent)
        return false;
    // A receiver that answers in-process writes the record's LParam, "no" as well as "yes";
    // asking its window too would ask again whatever it asked on the way, at every level
    // of a chain of parents. Only a window subclassed outside the control (an adapter)
    // answers by its result alone.
    constexpr LPARAM NoAnswer = -1;
    TMessage m{SM_SKINCMD, SkinCommandWParam(Command), NoAnswer, 0};
    if (TWndMethod proc = parent->WindowProc())
        proc(m);
    if (m.LParam != NoAnswer)
        return m.LParam == 1;
    return !parent->IsDestroying() && parent->HandleAllocated() &&
           SendCommandToWindow(parent->Handle(), Command, 0) == 1;
}

TColor TzCommonData::ParentColor() const
{
    TWinControl* parent = FOwnerControl ? FOwnerControl->Parent() : nullptr;
    return parent ? QueryParentColor(parent) : SkinKeyColor;
}

TzSectionSkin TzCommonData::SectionSkin() const
{
    TzSectionSkin s;
    s.Manager = GetSkinManager();
    s.Section = SkinIndex;
    s.Border = BorderIndex;
    s.Texture = Texture;
    s.HotTexture = HotTexture;
    // A provider keeps the colour of its form.
    if (TControl* c = CustomColor() ? CommandTarget(this) : nullptr)
        s.OwnColor = ColorToRGB(c->Color());
    return s;
}

TzBackdrop TzCommonData::BackdropOver(const TzCacheInfo& Picture) const
{
    TzBackdrop b(Picture);
    TWinControl* parent = FOwnerControl ? FOwnerControl->Parent() : nullptr;
    if (!parent)
        return b;
    if (!Picture.Ready)
        b.Color = ColorToRGB(parent->Color());
    else if (!NeedsParentImage())
        b.Color = QueryParentColor(parent);
    return b;
}

TzBackdrop TzCommonData::Backdrop() const
{
    return BackdropOver(QueryParentCache(this));
}

// ---------------------------------------------------------------------------------------

bool IsControlActive(const TzCommonData* SkinData)
{
    if (!SkinData)
        return false;
    TControl* c = SkinData->OwnerControl();
    if (!c || c->IsDestroying() || !c->Enabled() || c->IsDesigning())
        return false;
    if (SkinData->Focused())
        return true;
    if (auto* win = dynamic_cast<TWinControl*>(c); win && win->HandleAllocated() && win->Focused())
        return true;
    return SkinData->MouseAbove() && !IsNoHotCode(SkinData->CtrlTypeCode);
}

TzCacheInfo QueryParentCache(const TzCommonData* SkinData)
{
    return QueryControlParentCache(SkinData ? SkinData->OwnerControl() : nullptr);
}

TzCacheInfo QueryControlParentCache(TControl* Control)
{
    if (!Control || !Control->Parent())
        return TzCacheInfo{};
    SharedCacheInfo.Ready = false;
    SendCommandToControl(Control->Parent(), SKCMD_GETBGIMAGE, 0);
    return SharedCacheInfo;
}

TzCacheInfo QueryParentCacheByHandle(HWND Wnd)
{
    HWND parent = Wnd ? GetParent(Wnd) : nullptr;
    if (!parent)
        return TzCacheInfo{};
    SharedCacheInfo.Ready = false;
    SendCommandToWindow(parent, SKCMD_GETBGIMAGE, 0);
    return SharedCacheInfo;
}

namespace {

// The cache to R of the DC, the corners filled first when asked, with the clip cut by
// CutChildren inside the DC's saved state.
template <class Cut>
void BlitCacheClipped(TzCommonData* SkinData, TPoint Src, bool FillCorners, HDC DC, const TRect& R, Cut CutChildren)
{
    TBitmap* bmp = SkinData ? SkinData->CacheBmp() : nullptr;
    if (!bmp || !DC)
        return;
    if (FillCorners)
        FillAllCornersFromParent(SkinData);
    TSaveDCScope saved(DC);
    IntersectClipRect(DC, R.Left, R.Top, R.Right, R.Bottom);
    CutChildren();
    BitBlt(DC, R.Left, R.Top, R.Width(), R.Height(), bmp->Canvas()->Handle(), Src.X, Src.Y, SRCCOPY);
}

} // namespace

void BlitCacheToDC(TWinControl* Parent, TzCommonData* SkinData, TPoint Src, int X, int Y,
                   bool FillCorners, HDC DC, const TRect& R)
{
    BlitCacheClipped(SkinData, Src, FillCorners, DC, R, [&] {
        for (int i = 0; Parent && i < Parent->ControlCount(); ++i) {
            TControl* child = Parent->Controls(i);
            const bool graphic = dynamic_cast<TGraphicControl*>(child) != nullptr;
            if (!child->Visible())
                continue;
            TRect b = child->BoundsRect();
            TRect hit;
            if (!IntersectRect(hit.Win(), b.Win(), R.Win()))
                continue;
            if ((child->ControlStyle() & csOpaque) || graphic || Parent->IsDesigning())
                ExcludeClipRect(DC, b.Left + X, b.Top + Y, b.Right + X, b.Bottom + Y);
        }
    });
}

// Child windows cover the parent's picture; a group box covers only its caption band and
// border strips.
static void CutChildWindows(HWND Wnd, int X, int Y, HDC DC)
{
    for (HWND child = Wnd ? GetWindow(Wnd, GW_CHILD) : nullptr; child; child = GetWindow(child, GW_HWNDNEXT)) {
        if (!IsWindowVisible(child))
            continue;
        RECT wr;
        GetWindowRect(child, &wr);
        MapWindowPoints(nullptr, Wnd, reinterpret_cast<POINT*>(&wr), 2);
        TRect b(wr.left + X, wr.top + Y, wr.right + X, wr.bottom + Y);
        const LONG style = GetWindowLongW(child, GWL_STYLE);
        char cls[16] = {};
        GetClassNameA(child, cls, sizeof(cls));
        if (lstrcmpiA(cls, "BUTTON") == 0 && (style & 0x0F) == BS_GROUPBOX) {
            // A group box shows its parent's picture inside: only its caption band and its
            // border strips cover the parent.
            int top = int(SendCommandToWindow(child, SKCMD_GETCAPTIONHEIGHT, 0));
            int l = 0, r = 0, bt = 0;
            if (TzSkinManager* m = DefaultManager) {
                int s = m->FindSectionIndex("GROUPBOX");
                int k = m->IsValidSkinIndex(s) ? m->FindMaskIndex(s, "GROUPBOX", "BORDERSMASK") : -1;
                if (m->IsValidMaskIndex(k)) {
                    l = m->MaskMarginLeft(k);
                    r = m->MaskMarginRight(k);
                    bt = m->MaskMarginBottom(k);
                    top = std::max(top, m->MaskMarginTop(k));
                }
            }
            ExcludeClipRect(DC, b.Left, b.Top, b.Right, b.Top + top);
            ExcludeClipRect(DC, b.Left, b.Top, b.Left + l, b.Bottom);
            ExcludeClipRect(DC, b.Right - r, b.Top, b.Right, b.Bottom);
            ExcludeClipRect(DC, b.Left, b.Bottom - bt, b.Right, b.Bottom);
        } else {
            ExcludeClipRect(DC, b.Left, b.Top, b.Right, b.Bottom);
        }
    }
}

void BlitCacheToWindowDC(HWND Wnd, TzCommonData* SkinData, TPoint Src, int X, int Y,
                         bool FillCorners, HDC DC, const TRect& R)
{
    BlitCacheClipped(SkinData, Src, FillCorners, DC, R, [&] { CutChildWindows(Wnd, X, Y, DC); });
}

// ---------------------------------------------------------------------------------------
// The bound label

TzBoundLabelFactory BoundLabelFactory = nullptr;

namespace {

TCustomLabel* MakeLabel(TComponent* Owner)
{
    if (BoundLabelFactory)
        return BoundLabelFactory(Owner);
    return new TLabel(Owner);
}

// Frees nothing itself: tells the bound label that its label went with the form.
class TzLabelWatch : public TComponent {
public:
    explicit TzLabelWatch(TCustomLabel*& ALabel) : TComponent(nullptr), FLabel(ALabel) {}

protected:
    void Notification(TComponent* AComponent, TOperation Operation) override
    {
        TComponent::Notification(AComponent, Operation);
        if (Operation == opRemove && AComponent == FLabel)
            FLabel = nullptr;
    }

private:
    TCustomLabel*& FLabel;
};

TAlignment AlignmentOfLayout(TzCaptionLayout L)
{
    switch (L) {
    case sclTopLeft: return taLeftJustify;
    case sclTopCenter: return taCenter;
    default: return taRightJustify;   // left of the control, and above at the right
    }
}

} // namespace

Z_CLASS_IMPL(TzBoundLabel, TPersistent, Z_PROP_BOOL(TzBoundLabel, Active, false),
             Z_PROP_STR(TzBoundLabel, Caption), Z_PROP_INT(TzBoundLabel, Indent, 0),
             Z_PROP_OBJ(TzBoundLabel, Font), Z_PROP_ENUM(TzBoundLabel, Layout, CaptionLayoutNames, sclLeft),
             Z_PROP_INT(TzBoundLabel, MaxWidth, 0), Z_PROP_BOOL(TzBoundLabel, UseSkinColor, true))

TzBoundLabel::TzBoundLabel(TControl* AControl, TzCommonData* ASkinData)
    : FControl(AControl), FSkinData(ASkinData), FFont(std::make_unique<TFont>()),
      FLabelWatch(std::make_unique<TzLabelWatch>(FLabel))
{
}

TzBoundLabel::~TzBoundLabel()
{
    SetActive(false);
}

void TzBoundLabel::SetActive(bool Value)
{
    if (Value == Active())
        return;
    if (!Value) {
        TCustomLabel* l = FLabel;
        FLabel = nullptr;
        l->RemoveFreeNotification(FLabelWatch.get());
        delete l;
        return;
    }
    TCustomLabel* l = MakeLabel(FControl ? FControl->Owner() : nullptr);
    l->FreeNotification(FLabelWatch.get());
    FLabel = l;
    l->SetVisible(false);
    l->SetFont(FFont.get());
    if (FControl) {
        l->SetParent(FControl->Parent());
        l->SetFocusControl(dynamic_cast<TWinControl*>(FControl));
        // A label without a free name stays unnamed rather than failing the control.
        AnsiString name = FControl->Name().empty() ? AnsiString() : FControl->Name() + "Label";
        if (!name.empty() && !(l->Owner() && l->Owner()->FindComponent(name)))
            l->SetName(name);
    }
    l->SetAlignment(AlignmentOfLayout(FLayout));
    if (FCaption.empty() && FControl)
        FCaption = FControl->Name();
    l->SetCaption(FCaption);
    if (FControl) {
        l->SetVisible(FControl->Visible() || FControl->IsDesigning());
        l->SetEnabled(FControl->Enabled());
    }
    AlignLabel();
}

void TzBoundLabel::SetCaption(const AnsiString& Value)
{
    FCaption = Value;
    if (FLabel) {
        FLabel->SetCaption(Value);
        AlignLabel();
    }
}

void TzBoundLabel::SetIndent(int Value)
{
    FIndent = Value;
    AlignLabel();
}

void TzBoundLabel::SetLayout(TzCaptionLayout Value)
{
    FLayout = Value;
    if (FLabel)
        FLabel->SetAlignment(AlignmentOfLayout(Value));
    AlignLabel();
}

void TzBoundLabel::SetMaxWidth(int Value)
{
    FMaxWidth = Value;
    AlignLabel();
}

TFont* TzBoundLabel::Font() const
{
    return FLabel ? FLabel->Font() : FFont.get();
}

void TzBoundLabel::SetFont(TFont* Value)
{
    FFont->Assign(Value);
    if (FLabel) {
        FLabel->Font()->Assign(Value);
        FLabel->SetParentFont(false);
        AlignLabel();
    }
}

bool TzBoundLabel::UseSkinColor() const
{
    return !FLabel || !HasProperty(FLabel, "UseSkinColor") || GetOrdProperty(FLabel, "UseSkinColor") != 0;
}

void TzBoundLabel::SetUseSkinColor(bool Value)
{
    if (FLabel)
        SetOrdProperty(FLabel, "UseSkinColor", Value ? 1 : 0);
}

void TzBoundLabel::AlignLabel()
{
    if (!FLabel || !FControl || !FLabel->Visible())
        return;
    FLabel->SetWordWrap(false);
    FLabel->SetAutoSize(true);
    const int L = FControl->Left(), T = FControl->Top(), W = FControl->Width(), H = FControl->Height();
    const int w = FLabel->Width(), h = FLabel->Height();
    int left = L, top = T - h - FIndent;
    switch (FLayout) {
    case sclLeft:
        left = L - w - 4 - FIndent;
        top = T - 1 + (H - h) / 2;
        break;
    case sclTopLeft: break;
    case sclTopCenter: left = L + (W - w) / 2; break;
    case sclTopRight: left = L + W - w; break;
    }
    FLabel->SetBounds(left, top, w, h);
    if (FMaxWidth > 0) {
        FLabel->SetAutoSize(false);
        FLabel->SetWordWrap(true);
        FLabel->SetBounds(FLabel->Left(), FLabel->Top(), FMaxWidth, std::max(FLabel->Height(), H));
    }
}

void TzBoundLabel::FollowControl()
{
    if (!FLabel || !FControl)
        return;
    FLabel->SetVisible(FControl->Visible() || FControl->IsDesigning());
    FLabel->SetEnabled(FControl->Enabled());
    FLabel->SetBiDiMode(FControl->BiDiMode());
    AlignLabel();
}
