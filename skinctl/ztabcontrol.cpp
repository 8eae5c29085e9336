#include "skinctl/ztabcontrol.h"

#include "classlib/forms.h"
#include "classlib/gdihandles.h"
#include "skin/zcontrolutils.h"
#include "skin/zgraphics.h"
#include "skin/zsectionpaint.h"
#include "skin/zskinmanager.h"
#include "skin/zskintextpaint.h"
#include "skinctl/zskinctl.h"
#include "skinctl/zupdown.h"
#include "unicode/uccontrols.h"
#include "unicode/uchotkeys.h"

#include <algorithm>
#include <cstdlib>

Z_CLASS_IMPL(TzTabStrings, TUcStrings)
Z_CLASS_IMPL(TzCustomTabControl, TWinControl)
Z_CLASS_IMPL(TzTabControl, TzCustomTabControl, Z_PROP_ENUM(TzTabControl, Align, AlignNames, alNone),
             Z_PROP_INT(TzTabControl, Width, 289), Z_PROP_INT(TzTabControl, Height, 100),
             Z_PROP_BOOL(TzTabControl, TabStop, true),
             Z_PROP_ENUM(TzTabControl, TabPosition, TabPositionNames, tpTop),
             Z_PROP_ENUM(TzTabControl, Style, TabStyleNames, tsTabs), Z_PROP_BOOL(TzTabControl, MultiLine, false),
             Z_PROP_BOOL(TzTabControl, HotTrack, false), Z_PROP_BOOL(TzTabControl, OwnerDraw, false),
             Z_PROP_BOOL(TzTabControl, ScrollOpposite, false), Z_PROP_INT(TzTabControl, TabHeight, 0),
             Z_PROP_INT(TzTabControl, TabWidth, 0), Z_PROP_REF(TzTabControl, Images, TCustomImageList),
             Z_PROP_OBJ(TzTabControl, Tabs), Z_PROP_INT(TzTabControl, TabIndex, -1),
             Z_PROP_OBJ(TzTabControl, SkinData))

namespace {

// The captions a tab window gives back are read into a buffer of this many characters.
constexpr int TabTextLength = 4096;

// The skinned scroll arrows: two system arrow widths wide, one scroll bar high.
int UpDownWidth()
{
    return 2 * GetSystemMetrics(SM_CXHSCROLL);
}

int UpDownHeight()
{
    return GetSystemMetrics(SM_CYHSCROLL);
}

LRESULT Send(HWND Wnd, UINT Msg, WPARAM W, LPARAM L)
{
    return SendMessageW(Wnd, Msg, W, L);
}

} // namespace

// Tabs ------------------------------------------------------------------------------------------

HWND TzTabStrings::Wnd() const
{
    return FControl->Handle();
}

WideString TzTabStrings::Get(int Index) const
{
    std::vector<wchar_t> buffer(TabTextLength, 0);
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    item.pszText = buffer.data();
    item.cchTextMax = TabTextLength;
    if (!Send(Wnd(), TCM_GETITEMW, static_cast<WPARAM>(Index), reinterpret_cast<LPARAM>(&item)))
        throw EListError(Format("Failed to retrieve tab at index %d", Index));
    return WideString(item.pszText);
}

int TzTabStrings::GetCount() const
{
    return static_cast<int>(Send(Wnd(), TCM_GETITEMCOUNT, 0, 0));
}

TObject* TzTabStrings::GetObject(int Index) const
{
    TCITEMW item{};
    item.mask = TCIF_PARAM;
    if (!Send(Wnd(), TCM_GETITEMW, static_cast<WPARAM>(Index), reinterpret_cast<LPARAM>(&item)))
        throw EListError(Format("Failed to get object at index %d", Index));
    return reinterpret_cast<TObject*>(item.lParam);
}

void TzTabStrings::Put(int Index, const WideString& S)
{
    TCITEMW item{};
    item.mask = TCIF_TEXT | TCIF_IMAGE;
    item.pszText = const_cast<wchar_t*>(S.c_str());
    item.iImage = FControl->GetTabImage(Index);
    if (!Send(Wnd(), TCM_SETITEMW, static_cast<WPARAM>(Index), reinterpret_cast<LPARAM>(&item)))
        throw EListError(Format("Failed to set tab \"%s\" at index %d", WideToAnsi(S).c_str(), Index));
    FControl->ListChanged();
}

void TzTabStrings::PutObject(int Index, TObject* AObject)
{
    TCITEMW item{};
    item.mask = TCIF_PARAM;
    item.lParam = reinterpret_cast<LPARAM>(AObject);
    Send(Wnd(), TCM_SETITEMW, static_cast<WPARAM>(Index), reinterpret_cast<LPARAM>(&item));
}

void TzTabStrings::Insert(int Index, const WideString& S)
{
    TCITEMW item{};
    item.mask = TCIF_TEXT | TCIF_IMAGE;
    item.pszText = const_cast<wchar_t*>(S.c_str());
    item.iImage = FControl->GetTabImage(Index);
    if (Send(Wnd(), TCM_INSERTITEMW, static_cast<WPARAM>(Index), reinterpret_cast<LPARAM>(&item)) < 0)
        throw EListError(Format("Failed to set tab \"%s\" at index %d", WideToAnsi(S).c_str(), Index));
    FControl->TabInserted(Index);
}

void TzTabStrings::Delete(int Index)
{
    TFlagScope lock(FControl->FPaintLock);
    if (!Send(Wnd(), TCM_DELETEITEM, static_cast<WPARAM>(Index), 0))
        throw EListError(Format("Failed to delete tab at index %d", Index));
    FControl->TabDeleted(Index);
}

void TzTabStrings::Clear()
{
    TFlagScope lock(FControl->FPaintLock);
    if (!Send(Wnd(), TCM_DELETEALLITEMS, 0, 0))
        throw EListError("Failed to clear tab control");
    FControl->TabsCleared();
}

void TzTabStrings::SetUpdateState(bool Updating)
{
    Send(Wnd(), WM_SETREDRAW, Updating ? FALSE : TRUE, 0);
    if (!Updating)
        FControl->ListChanged();
}

// Construction ---------------------------------------------------------------------------------

TzCustomTabControl::TzCustomTabControl(TComponent* AOwner)
    : TWinControl(AOwner), FCanvas(std::make_unique<TControlCanvas>()),
      FImageChangeLink(std::make_unique<TChangeLink>()), FTabs(std::make_unique<TzTabStrings>(this)),
      FSkinData(MakeSkinData(this, ctTabControl, true))
{
    FWidth = 289;
    FHeight = 100;
    FTabStop = true;
    FControlStyle = csAcceptsControls | csDoubleClicks;
    FCanvas->SetControl(this);
    FImageChangeLink->OnChange = MakeMethod<&TzCustomTabControl::ImageListChange>(this);
}

TzCustomTabControl::~TzCustomTabControl()
{
    DestroyWindowFirst();
    FCanvas.reset();
    if (FImages)
        FImages->UnRegisterChanges(FImageChangeLink.get());
    FSkinData.reset();
}

void TzCustomTabControl::AfterConstruction()
{
    TWinControl::AfterConstruction();
    FSkinData->Loaded();
}

void TzCustomTabControl::Loaded()
{
    TWinControl::Loaded();
    ApplyImages();
    FSkinData->Loaded();
    if (IsSkinned() && HandleAllocated()) {
        Send(WindowHandle(), TCM_SETCURSEL, static_cast<WPARAM>(FTabIndex), 0);
        BuildTabInfo();
        UpdateUpDown();
    }
}

void TzCustomTabControl::Notification(TComponent* AComponent, TOperation Operation)
{
    TWinControl::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent) {
        if (AComponent == FImages) {
            FImages = nullptr;
            ApplyImages();
        }
        if (AComponent == FUpDown)
            FUpDown = nullptr;
    }
}

bool TzCustomTabControl::IsSkinned() const
{
    return FSkinData && FSkinData->Skinned();
}

// The window ----------------------------------------------------------------------------------

void TzCustomTabControl::CreateParams(TCreateParams& Params)
{
    InitCommonControlClasses(ICC_TAB_CLASSES);
    TWinControl::CreateParams(Params);
    CreateSubClass(Params, WC_TABCONTROLA);
    static const DWORD positions[] = {0, TCS_BOTTOM, TCS_VERTICAL, TCS_VERTICAL | TCS_RIGHT};
    static const DWORD styles[] = {TCS_TABS, TCS_BUTTONS, TCS_BUTTONS | TCS_FLATBUTTONS};
    Params.Style |= WS_CLIPCHILDREN | positions[FTabPosition] | styles[FStyle];
    if (FRaggedRight)
        Params.Style |= TCS_RAGGEDRIGHT;
    if (FMultiSelect)
        Params.Style |= TCS_MULTISELECT;
    if (FOwnerDraw)
        Params.Style |= TCS_OWNERDRAWFIXED;
    if (FTabWidth)
        Params.Style |= TCS_FIXEDWIDTH;
    if (FHotTrack && !IsDesigning())
        Params.Style |= TCS_HOTTRACK;
    if (FScrollOpposite)
        Params.Style |= TCS_SCROLLOPPOSITE;
    if (FMultiLine)
        Params.Style |= TCS_MULTILINE;
    if (!FTabStop)
        Params.Style |= TCS_FOCUSNEVER;
    Params.WindowClass.style &= ~(CS_HREDRAW | CS_VREDRAW);
}

void TzCustomTabControl::CreateWnd()
{
    TWinControl::CreateWnd();
    ApplyImages();
    ApplyTabSize();
    if (FSavedTabs) {
        std::unique_ptr<TUcStringList> saved = std::move(FSavedTabs);
        for (int i = 0; i < saved->Count(); ++i)
            FTabs->InsertObject(i, saved->Strings(i), saved->Objects(i));
        Send(FHandle, TCM_SETCURSEL, static_cast<WPARAM>(FSavedTabIndex), 0);
    }
    Realign();
    // A skin that came or went while there was no window is taken up now.
    FSkinData->Loaded();
    if (IsSkinned()) {
        FSkinData->SetUpdating(false);
        FollowPlatformSelection();
    }
}

void TzCustomTabControl::DestroyWnd()
{
    if (FHandle) {
        const int count = static_cast<int>(Send(FHandle, TCM_GETITEMCOUNT, 0, 0));
        if (count > 0) {
            auto saved = std::make_unique<TUcStringList>();
            for (int i = 0; i < count; ++i)
                saved->AddObject(FTabs->Get(i), FTabs->GetObject(i));
            FSavedTabIndex = static_cast<int>(Send(FHandle, TCM_GETCURSEL, 0, 0));
            FSavedTabs = std::move(saved);
        }
        // The focus does not stay on a window that goes.
        HWND focus = GetFocus();
        if (focus && (focus == FHandle || IsChild(FHandle, focus)))
            ::SetFocus(nullptr);
    }
    TWinControl::DestroyWnd();
    FTabInfo.clear();
}

bool TzCustomTabControl::CanMakeWindow() const
{
    return FHandle || ((Parent() || ParentWindow()) && !IsDestroying());
}

TUcStringList* TzCustomTabControl::SavedTabs() const
{
    if (!FSavedTabs)
        FSavedTabs = std::make_unique<TUcStringList>();
    return FSavedTabs.get();
}

TUcStrings* TzCustomTabControl::Tabs() const
{
    if (!CanMakeWindow())
        return SavedTabs();
    return FTabs.get();
}

void TzCustomTabControl::AdjustClientRect(TRect& Rect)
{
    Rect = FAlignedDisplay = DisplayRect();
    TWinControl::AdjustClientRect(Rect);
}

TRect TzCustomTabControl::DisplayRect()
{
    TRect r = ClientRect();
    if (FHandle) {
        Send(FHandle, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(r.Win()));
        r.Top += 2;
    }
    return r;
}

int TzCustomTabControl::RowCount()
{
    return FHandle ? static_cast<int>(Send(FHandle, TCM_GETROWCOUNT, 0, 0)) : 0;
}

// Properties -----------------------------------------------------------------------------------

int TzCustomTabControl::TabIndex()
{
    if (IsSkinned())
        return FTabInfo.empty() && Tabs()->Count() == 0 ? 0 : FTabIndex;
    if (!CanMakeWindow())
        return FSavedTabIndex;
    return static_cast<int>(Send(Handle(), TCM_GETCURSEL, 0, 0));
}

void TzCustomTabControl::SetTabIndex(int Value)
{
    if (!IsSkinned()) {
        FTabIndex = Value;
        if (!CanMakeWindow()) {
            FSavedTabIndex = Value;
            return;
        }
        Send(Handle(), TCM_SETCURSEL, static_cast<WPARAM>(Value), 0);
        TabChanged();
        return;
    }
    if (Value < 0 || Value >= Tabs()->Count())
        Value = 0;
    if (Value == FTabIndex)
        return;
    FTabIndex = Value;
    if (IsLoading() || ((ComponentState() & csReading) && !IsDesigning()))
        return;
    FSkinData->SetBGChanged(true);
    TabChanged();
    // The window scrolls the tab into sight: the layout follows it.
    Send(Handle(), TCM_SETCURSEL, static_cast<WPARAM>(FTabIndex), 0);
    BuildTabInfo();
    UpdateUpDown();
    Repaint();
}

void TzCustomTabControl::SetStyle(TTabStyle Value)
{
    if (Value != tsTabs && FTabPosition != tpTop)
        throw EInvalidOperation("Tab style incompatible with current tab position");
    RecreateOnChange(this, FStyle, Value);
}

void TzCustomTabControl::SetTabPosition(TTabPosition Value)
{
    if (Value == FTabPosition)
        return;
    if (Value != tpTop && FStyle != tsTabs)
        throw EInvalidOperation("Tab position incompatible with current tab style");
    FTabPosition = Value;
    if (IsVertical())
        FMultiLine = true;
    RecreateWnd();
}

void TzCustomTabControl::SetMultiLine(bool Value)
{
    if (Value == FMultiLine)
        return;
    if (!Value && IsVertical())
        throw EListError("MultiLine must be True when TabPosition is tpLeft or tpRight");
    FMultiLine = Value;
    if (!Value)
        FScrollOpposite = false;
    RecreateWnd();
}

void TzCustomTabControl::SetScrollOpposite(bool Value)
{
    if (Value == FScrollOpposite)
        return;
    FScrollOpposite = Value;
    if (Value)
        FMultiLine = true;
    RecreateWnd();
}

void TzCustomTabControl::SetTabWidth(int16_t Value)
{
    if (Value < 0)
        throw EInvalidOperation(Format("%s property out of range", ClassName()));
    const bool fixed = FTabWidth != 0;
    if (!StoreChanged(FTabWidth, Value))
        return;
    if (fixed != (Value != 0))
        RecreateWnd();
    else
        ApplyTabSize();
}

void TzCustomTabControl::SetTabHeight(int16_t Value)
{
    if (Value < 0)
        throw EInvalidOperation(Format("%s property out of range", ClassName()));
    if (!StoreChanged(FTabHeight, Value))
        return;
    ApplyTabSize();
    FSkinData->Invalidate();
}

void TzCustomTabControl::ApplyTabSize()
{
    if (!FHandle)
        return;
    Send(FHandle, TCM_SETITEMSIZE, 0, MAKELPARAM(FTabWidth, FTabHeight));
    ListChanged();
}

void TzCustomTabControl::SetImages(TCustomImageList* Value)
{
    if (!SetImageListRef(FImages, Value, FImageChangeLink.get(), this))
        return;
    ApplyImages();
    TCustomForm* form = GetParentForm(this);
    if (IsSkinned() && !(form && form->IsDestroying()) && !(Parent() && Parent()->IsDestroying()))
        FSkinData->Invalidate();
}

void TzCustomTabControl::ApplyImages()
{
    if (FHandle)
        Send(FHandle, TCM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(FImages ? FImages->Handle() : nullptr));
}

void TzCustomTabControl::ImageListChange(TObject*)
{
    ApplyImages();
    if (IsSkinned())
        FSkinData->Invalidate();
}

int TzCustomTabControl::GetTabImage(int TabIndex)
{
    int image = TabIndex;
    if (OnGetImageIndex)
        OnGetImageIndex(this, TabIndex, image);
    return image;
}

bool TzCustomTabControl::AllowTabChange()
{
    bool allow = true;
    if (OnChanging)
        OnChanging(this, allow);
    return allow;
}

void TzCustomTabControl::TabChanged()
{
    if (OnChange)
        OnChange(this);
    if (FUpDown)
        PlaceUpDown(HiddenTabCount());
}

void TzCustomTabControl::DrawOwnerTab(int TabIndex, const TRect& Rect, bool Active)
{
    if (OnDrawTab)
        OnDrawTab(this, TabIndex, Rect, Active);
    else
        FCanvas->FillRect(Rect);
}

// The list and the selection ------------------------------------------------------------------

void TzCustomTabControl::FollowPlatformSelection()
{
    if (FHandle)
        FTabIndex = static_cast<int>(Send(FHandle, TCM_GETCURSEL, 0, 0));
}

void TzCustomTabControl::ListChanged()
{
    // Rows that come or go move the body, and the controls aligned in it.
    if (FHandle && !IsLoading() && DisplayRect() != FAlignedDisplay)
        Realign();
    if (!IsSkinned() || IsLoading())
        return;
    BuildTabInfo();
    UpdateUpDown();
    FSkinData->Invalidate();
}

void TzCustomTabControl::TabInserted(int)
{
    if (IsSkinned())
        FollowPlatformSelection();
    ListChanged();
}

void TzCustomTabControl::TabDeleted(int Index)
{
    if (IsSkinned()) {
        // The selection stays on its tab; the selected last tab gives it to the new last.
        const int count = static_cast<int>(Send(FHandle, TCM_GETITEMCOUNT, 0, 0));
        if (FTabIndex > Index)
            --FTabIndex;
        FTabIndex = std::min(FTabIndex, count - 1);
        Send(FHandle, TCM_SETCURSEL, static_cast<WPARAM>(FTabIndex), 0);
    }
    ListChanged();
}

void TzCustomTabControl::TabsCleared()
{
    if (IsSkinned())
        FTabIndex = -1;
    ListChanged();
}

int TzCustomTabControl::RecordOfTab(int TabIndex) const
{
    for (size_t i = 0; i < FTabInfo.size(); ++i)
        if (FTabInfo[i].TabIndex == TabIndex)
            return static_cast<int>(i);
    return -1;
}

// Layout ---------------------------------------------------------------------------------------

void TzCustomTabControl::BuildTabInfo()
{
    FTabInfo.clear();
    if (!FHandle || !IsSkinned() || (ComponentState() & csReading) || (Parent() && Parent()->IsDestroying()))
        return;
    const int count = FTabs->Count();
    FTabInfo.resize(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        TzTabInfo& t = FTabInfo[static_cast<size_t>(i)];
        t.Caption = FTabs->Get(i);
        t.TabIndex = i;
        t.ImageIndex = GetTabImage(i);
        Send(FHandle, TCM_GETITEMRECT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(t.R.Win()));
        t.Width = t.R.Width();
        t.Height = t.R.Height();
    }
    LayOutRows();
    MoveSelectedRow();
}

void TzCustomTabControl::PlaceRow(TzTabInfo& T, int Rows) const
{
    // Row 1 lies next to the body; each row further out is one tab size nearer the strip's
    // outer edge, which is the control's top or left edge, or (mirrored) its bottom or right.
    const bool vertical = IsVertical();
    const int size = vertical ? T.Width : T.Height;
    const int fromOuter = (Rows - T.Row) * size + 1;
    int32_t& low = vertical ? T.R.Left : T.R.Top;
    int32_t& high = vertical ? T.R.Right : T.R.Bottom;
    if (FTabPosition == tpTop || FTabPosition == tpLeft) {
        low = fromOuter;
        high = low + size;
    } else {
        high = (vertical ? Width() : Height()) - fromOuter;
        low = high - size;
    }
}

void TzCustomTabControl::LayOutRows()
{
    const bool vertical = IsVertical();
    const int rows = std::max(1, RowCount());
    int row = rows + 1;
    auto lead = [vertical](const TzTabInfo& t) { return vertical ? t.R.Top : t.R.Left; };
    auto trail = [vertical](const TzTabInfo& t) { return vertical ? t.R.Left : t.R.Top; };
    for (TzTabInfo& first : FTabInfo) {
        if (first.RowSet || lead(first) >= 4)
            continue;
        row = std::max(1, row - 1);
        const int line = trail(first);
        for (TzTabInfo& t : FTabInfo)
            if (!t.RowSet && std::abs(trail(t) - line) <= 2) {
                t.Row = row;
                t.RowSet = true;
            }
    }
    for (TzTabInfo& t : FTabInfo)
        if (t.RowSet)
            PlaceRow(t, rows);
}

void TzCustomTabControl::MoveSelectedRow()
{
    const int sel = RecordOfTab(FTabIndex);
    if (sel < 0)
        return;
    const int row = FTabInfo[static_cast<size_t>(sel)].Row;
    if (row > 1) {
        // The rows trade places: the selected one comes next to the body.
        const int rows = std::max(1, RowCount());
        for (TzTabInfo& t : FTabInfo) {
            if (t.Row == row)
                t.Row = 1;
            else if (t.Row == 1)
                t.Row = row;
            if (t.RowSet)
                PlaceRow(t, rows);
        }
    }
    if (row < 1)
        return;
    std::stable_partition(FTabInfo.begin(), FTabInfo.end(), [](const TzTabInfo& t) { return t.Row != 1; });
    // With one row every tab is in row 1: the order stays as it was.
}

TRect TzCustomTabControl::GetTabRect(int Index) const
{
    if (Index < 0 || Index >= static_cast<int>(FTabInfo.size()))
        return TRect();
    const TzTabInfo& t = FTabInfo[static_cast<size_t>(Index)];
    TRect r = t.R;
    if (FStyle != tsTabs || r.Width() == 0)
        return r;
    const bool sel = t.TabIndex == FTabIndex;
    if (sel)
        r.Bottom -= 1;
    else {
        r.Bottom += 3;
        r.Right -= 1;
    }
    switch (FTabPosition) {
    case tpTop:
        if (sel)
            r = TRect(r.Left - 2, r.Top - 1, r.Right + 2, r.Bottom + 1);
        r.Bottom += 2;
        break;
    case tpBottom:
        if (sel)
            r = TRect(r.Left - 2, r.Top - 1, r.Right + 2, r.Bottom + 1);
        r.Top -= 2;
        r.Bottom += sel ? 1 : -3;
        break;
    case tpLeft:
        r.Top -= 1;
        r.Bottom += 1;
        r.Right += 2;
        if (sel)
            r = TRect(r.Left - 1, r.Top - 1, r.Right + 1, r.Bottom + 1);
        else {
            r.Bottom -= 4;
            r.Right += 2;
        }
        break;
    case tpRight:
        r = TRect(r.Left - 2, r.Top - 1, r.Right, r.Bottom - 1);
        if (sel)
            r = TRect(r.Left - 1, r.Top - 1, r.Right + 1, r.Bottom + 4);
        else
            r.Bottom -= 2;
        break;
    }
    return r;
}

int TzCustomTabControl::TabAtPoint(TPoint P) const
{
    for (const TzTabInfo& t : FTabInfo)
        if (t.R.Contains(P))
            return t.TabIndex;
    return -1;
}

int TzCustomTabControl::HiddenTabCount()
{
    if (!IsSkinned() || IsVertical())
        return 0;
    const int edge = Width() - UpDownWidth() - 3;
    int hidden = 0;
    for (const TzTabInfo& t : FTabInfo)
        if (IsTabShown(t.TabIndex) && !t.R.IsEmpty() && (t.R.Right > edge || t.R.Right < 5))
            ++hidden;
    return hidden;
}

// The own up-down ------------------------------------------------------------------------------

void TzCustomTabControl::UpdateUpDown()
{
    if (IsLoading() || (FControlState & csCreating) || IsDestroying())
        return;
    // The system's own arrows give way to the skinned ones.
    if (FHandle && IsSkinned())
        if (HWND arrows = FindWindowExA(FHandle, nullptr, UPDOWN_CLASSA, nullptr))
            DestroyWindow(arrows);
    const int hidden = HiddenTabCount();
    if (hidden == 0 || FMultiLine) {
        delete FUpDown;
        FUpDown = nullptr;
        return;
    }
    if (!FUpDown) {
        FUpDown = new TzUpDown(IsDesigning() ? static_cast<TComponent*>(Application) : this);
        FUpDown->FreeNotification(this);
        FUpDown->SetOrientation(udHorizontal);
        FUpDown->SetShowInaccessibility(false);
        FUpDown->SetMin(0);
        FUpDown->SetIncrement(1);
        FUpDown->OnClick = MakeMethod<&TzCustomTabControl::UpDownClick>(this);
        FUpDown->SetBounds(Width() - UpDownWidth(), 0, UpDownWidth(), UpDownHeight());
        FUpDown->SetParent(this);
    }
    PlaceUpDown(hidden);
}

void TzCustomTabControl::PlaceUpDown(int Hidden)
{
    if (!FUpDown)
        return;
    // Inside the control at its right end, over the strip.
    const int w = UpDownWidth(), h = UpDownHeight();
    FUpDown->SetBounds(Width() - w, FTabPosition == tpTop ? 0 : Height() - h, w, h);
    FUpDown->SetMax(Hidden);
    int scrolled = 0;
    for (const TzTabInfo& t : FTabInfo)
        if (t.R.Left <= 0)
            ++scrolled;
    FUpDown->SetPosition(scrolled);
}

void TzCustomTabControl::UpDownClick(TObject*, TUDBtnType)
{
    if (!FUpDown || !FHandle)
        return;
    Send(FHandle, WM_HSCROLL, MAKEWPARAM(SB_THUMBPOSITION, FUpDown->Position()), 0);
    // The row moved: the tabs are laid out and painted where they are now.
    BuildTabInfo();
    FSkinData->SetBGChanged(true);
    PlaceUpDown(HiddenTabCount());
    Repaint();
}

// Painting -------------------------------------------------------------------------------------

int TzCustomTabControl::BodySection() const
{
    TzSkinManager* m = FSkinData->GetSkinManager();
    static const char* const suffixes[] = {"", "BOTTOM", "LEFT", "RIGHT"};
    const int index = m->FindSectionIndex(FSkinData->SkinSection() + suffixes[FTabPosition]);
    return m->IsValidSkinIndex(index) ? index : FSkinData->SkinIndex;
}

int TzCustomTabControl::TabSection() const
{
    TzSkinManager* m = FSkinData->GetSkinManager();
    const TSkCommonIndexes& c = m->Cache();
    // Section index 0 is a section like any other.
    if (!m->IsValidSkinIndex(c.TabTop.Section))
        return -1;
    switch (FStyle) {
    case tsButtons:
        return m->FindSectionIndex("BUTTON");
    case tsFlatButtons:
        return m->FindSectionIndex("TOOLBUTTON");
    default: {
        const TSkCommonIndexes::Tab* tabs[] = {&c.TabTop, &c.TabBottom, &c.TabLeft, &c.TabRight};
        return tabs[FTabPosition]->Section;
    }
    }
}

int TzCustomTabControl::TabMask(int Section) const
{
    TzSkinManager* m = FSkinData->GetSkinManager();
    if (!m->IsValidSkinIndex(Section))
        return -1;
    if (FStyle == tsTabs) {
        const TSkCommonIndexes& c = m->Cache();
        const TSkCommonIndexes::Tab* tabs[] = {&c.TabTop, &c.TabBottom, &c.TabLeft, &c.TabRight};
        return tabs[FTabPosition]->BordersMask;
    }
    return m->FindMaskIndexExact(m->Section(Section).ClassName, "BORDERSMASK");
}

void TzCustomTabControl::DrawSkinTabs()
{
    if (IsDestroying())
        return;
    TBitmap* cache = FSkinData->CacheBmp();
    const TRect disp = DisplayRect();
    TRect strip = ClientRect(), grown = strip;
    switch (FTabPosition) {
    case tpTop:
        strip.Bottom = disp.Top - 4;
        grown.Bottom = strip.Bottom + 4;
        break;
    case tpBottom:
        strip.Top = disp.Bottom + 1;
        grown.Top = strip.Top - 4;
        break;
    case tpLeft:
        strip.Right = disp.Left - 1;
        grown.Right = strip.Right + 4;
        break;
    case tpRight:
        strip.Left = disp.Right + 1;
        grown.Left = strip.Left - 4;
        break;
    }
    const TzCacheInfo parent = QueryParentCache(FSkinData.get());
    if (parent.Ready && parent.Bmp)
        BitBlt(cache->Canvas()->Handle(), strip.Left, strip.Top, strip.Width(), strip.Height(),
               parent.Bmp->Canvas()->Handle(), parent.X + Left() + strip.Left, parent.Y + Top() + strip.Top, SRCCOPY);
    else
        FillDC(cache->Canvas()->Handle(), grown, Parent() ? QueryParentColor(Parent()) : clBtnFace);
    // Tabs scrolled out of the strip are not painted at all.
    const TRect client = ClientRect();
    for (size_t i = 0; i < FTabInfo.size(); ++i) {
        const TRect r = GetTabRect(static_cast<int>(i));
        if (IsTabShown(FTabInfo[i].TabIndex) && FTabInfo[i].TabIndex != FTabIndex && r.Right > client.Left &&
            r.Left < client.Right && r.Bottom > client.Top && r.Top < client.Bottom)
            DrawSkinTab(static_cast<int>(i), 0);
    }
}

bool TzCustomTabControl::HasImage(const TzTabInfo& Info) const
{
    return FImages && Info.ImageIndex >= 0 && Info.ImageIndex < FImages->Count();
}

void TzCustomTabControl::DrawSkinTab(int Index, int State)
{
    if (Index < 0 || Index >= static_cast<int>(FTabInfo.size()))
        return;
    const TzTabInfo& info = FTabInfo[static_cast<size_t>(Index)];
    const TRect r = GetTabRect(Index);
    // A selected tab scrolled out to the left is not drawn.
    if (State == 1 && r.Left < -2)
        return;
    TzSkinManager* m = FSkinData->GetSkinManager();
    TBitmap* cache = FSkinData->CacheBmp();
    HDC dc = cache->Canvas()->Handle();
    // Only the clipping changes: a saved DC would take the canvas's font and brush away
    // behind its back.
    TClipScope clip(dc);
    if (FUpDown && FUpDown->Left() < r.Right && !IsVertical())
        ExcludeClipRect(dc, FUpDown->Left(), r.Top, Width(), r.Bottom);

    const int section = TabSection();
    const int mask = TabMask(section);
    if (m->IsValidMaskIndex(mask) && r.Width() >= 2 && r.Height() >= 2) {
        TBitmap* face = WorkBitmap(wbSectionToDC, r.Width(), r.Height());
        PaintSectionByIndex(section, m, face, MakeCacheInfo(cache, r.Left, r.Top), TRect(0, 0, r.Width(), r.Height()),
                            State == 1 ? psPressed : psNormal, true);
        BitBlt(dc, r.Left, r.Top, r.Width(), r.Height(), face->Canvas()->Handle(), 0, 0, SRCCOPY);
    }
    const int textSection = m->IsValidSkinIndex(section) ? section : BodySection();
    if (FOwnerDraw) {
        if (OnDrawTab) {
            // The handler draws on the control's canvas: here, on the picture being made.
            HDC own = FCanvas->HandleAllocated() ? FCanvas->Handle() : nullptr;
            FCanvas->SetHandle(dc);
            OnDrawTab(this, info.TabIndex, r, State != 0);
            FCanvas->SetHandle(own);
        }
    } else if (IsVertical()) {
        DrawRotatedTabText(info, r, State == 1, textSection);
    } else {
        DrawTabText(info, r, State == 1, textSection);
    }
}

void TzCustomTabControl::DrawTabText(const TzTabInfo& Info, TRect R, bool Selected, int Section)
{
    TCanvas* c = FSkinData->CacheBmp()->Canvas();
    c->Font()->Assign(Font());
    c->Brush()->SetStyle(bsClear);
    const bool image = HasImage(Info);
    if (image) {
        const int textWidth = GetWideTextSize(c, Info.Caption).cx;
        const int w = FImages->Width(), h = FImages->Height();
        FImages->Draw(c, R.Left + (R.Width() - (textWidth + w + 8)) / 2, R.Top + (R.Height() - h) / 2, Info.ImageIndex,
                      Enabled());
        R.Left += w;
    }
    DrawSkinTextByIndexW(c, Info.Caption, TextFlags(Enabled() || !image, Selected), FSkinData->GetSkinManager(), Section,
                         DT_CENTER | DT_VCENTER | DT_SINGLELINE, R);
    if (Selected && Focused()) {
        const TSize text = GetWideTextSize(c, Info.Caption);
        const int x = R.Left + (R.Width() - text.cx) / 2, y = R.Top + (R.Height() - text.cy) / 2;
        DrawDottedFocusRect(c, TRect(x - 1, y - 1, x + text.cx + 1, y + text.cy + 1));
    }
}

void TzCustomTabControl::DrawRotatedTabText(const TzTabInfo& Info, TRect R, bool Selected, int Section)
{
    TzSkinManager* m = FSkinData->GetSkinManager();
    TCanvas* c = FSkinData->CacheBmp()->Canvas();
    const bool left = FTabPosition == tpLeft;
    TFont* f = c->Font();
    f->Assign(Font());
    f->SetName("Arial");
    f->SetStyle(f->Style() & ~fsBold);
    f->SetOrientation(left ? -2700 : -900);
    const TzGeneralData& s = m->Section(Section);
    f->SetColor(!Enabled() ? TColor(0x808080) : TColor(Selected ? s.HotFontColor : s.FontColor));
    c->Brush()->SetStyle(bsClear);
    if (!left)
        R = TRect(R.Left - 2, R.Top - 1, R.Right - 2, R.Bottom - 1);
    // Extents are along the text's own line: its width runs down the tab.
    const TSize text = GetWideTextSize(c, Info.Caption);
    const bool image = HasImage(Info);
    const int gap = image ? FImages->Height() + 4 : 0;
    if (image && Selected)
        R = TRect(R.Left + 2, R.Top, R.Right + 2, R.Bottom);
    const int start = R.Top + (R.Height() - (text.cx + gap)) / 2;
    // Upward text (left) starts at its bottom end; downward text (right) at its top end.
    const int textTop = left ? start : start + gap;
    if (image)
        FImages->Draw(c, R.Left + (R.Width() - FImages->Width()) / 2, left ? start + text.cx + 4 : start,
                      Info.ImageIndex, Enabled());
    const int x = left ? R.Left + (R.Width() - text.cy) / 2 : R.Left + (R.Width() + text.cy) / 2;
    const int y = left ? textTop + text.cx : textTop;
    SetBkMode(c->Handle(), TRANSPARENT);
    ExtTextOutW(c->Handle(), x, y, ETO_CLIPPED, R.Win(), Info.Caption.c_str(), static_cast<UINT>(Info.Caption.size()),
                nullptr);
    if (Selected && Focused()) {
        const int fx = R.Left + (R.Width() - text.cy) / 2, fy = textTop - 2;
        DrawDottedFocusRect(c, TRect(fx, fy, fx + text.cy, fy + text.cx + 4));
    }
    f->Assign(Font());
}

void TzCustomTabControl::PrepareTabCache()
{
    TzCommonData* sd = FSkinData.get();
    TBitmap* cache = sd->CacheBmp();
    if (!sd->BGChanged() && cache && cache->Width() == Width() && cache->Height() == Height())
        return;
    BuildTabInfo();
    sd->PrepareCache();
    cache = sd->CacheBmp();
    if (Width() < 2 || Height() < 2)
        return;
    if (!FTabInfo.empty())
        DrawSkinTabs();
    const TRect disp = DisplayRect();
    TRect body = ClientRect();
    switch (FTabPosition) {
    case tpTop:
        body.Top = disp.Top - 4;
        break;
    case tpBottom:
        body.Bottom = disp.Bottom + 1;
        break;
    case tpLeft:
        body.Left = disp.Left - 1;
        break;
    case tpRight:
        body.Right = disp.Right + 1;
        break;
    }
    // The parent's colour stands for its picture behind the body; without a picture the body
    // is its own fill.
    const TzCacheInfo parent = QueryParentCache(sd);
    const TzBackdrop behind(parent, parent.Ready ? ColorToRGB(Parent() ? Parent()->Color() : TColor(clBtnFace))
                                                 : SkinKeyColor);
    PaintSectionByIndex(BodySection(), sd->GetSkinManager(), cache, behind.Moved(Left(), Top()), body, psNormal, true);
    if (!FTabInfo.empty())
        DrawSkinTab(RecordOfTab(FTabIndex), 1);
    sd->SetBGChanged(false);
    // The arrows stand on the strip just painted.
    if (FUpDown && FUpDown->HandleAllocated())
        InvalidateRect(FUpDown->WindowHandle(), nullptr, FALSE);
}

void TzCustomTabControl::PaintSkinned(HDC DC)
{
    TzCommonData* sd = FSkinData.get();
    if (FPaintLock)
        return;
    if (sd->GetUpdating()) {
        sd->SetUpdating(true);
        return;
    }
    TSaveDCScope saved(DC);
    PrepareTabCache();
    BlitCacheToDC(this, sd, TPoint(0, 0), 0, 0, false, DC, TRect(0, 0, Width(), Height()));
    PaintGraphicChildren(this, DC, TPoint(0, 0));
    SendEndParentUpdate(this);
}

void TzCustomTabControl::WMPaintSkinned(TMessage& Message)
{
    TzCommonData* sd = FSkinData.get();
    TWinControl* parent = Parent();
    sd->SetBGChanged(sd->BGChanged() || sd->OutOfClip() || AskControlCommand(parent, SKCMD_ISOUTOFCLIP));
    const TRect client = parent->ClientRect();
    sd->SetOutOfClip(!(client.Contains(TPoint(Left(), Top())) && Left() + Width() <= client.Right &&
                       Top() + Height() <= client.Bottom));
    sd->SetUpdating(false);
    if (HDC given = reinterpret_cast<HDC>(Message.WParam)) {
        PaintSkinned(given);
        return;
    }
    TPaintDC dc(WindowHandle());
    PaintSkinned(dc.Handle());
}

// Input ------------------------------------------------------------------------------------------

void TzCustomTabControl::WMLButtonDownSkinned(TMessage& Message)
{
    const TPoint p = TWMMouse(Message).Pos();
    MouseDown(mbLeft, 0, p.X, p.Y);
    const int tab = TabAtPoint(p);
    if (tab >= 0 && tab != TabIndex() && AllowTabChange())
        SetTabIndex(tab);
    if (!Focused() && TabStop() && CanFocus())
        SetFocus();
}

void TzCustomTabControl::WMKeyDownSkinned(TMessage& Message)
{
    const int count = static_cast<int>(FTabInfo.size());
    if (count == 0 || KeyDataToShiftState(static_cast<int32_t>(Message.LParam)) != 0)
        return;
    const int current = FTabIndex;
    const int sel = RecordOfTab(current);
    const TzTabInfo* info = sel >= 0 ? &FTabInfo[static_cast<size_t>(sel)] : nullptr;
    const TPoint centre = info ? TPoint((info->R.Left + info->R.Right) / 2, (info->R.Top + info->R.Bottom) / 2) : TPoint();
    const bool vertical = IsVertical();
    const bool rows = RowCount() > 1;
    auto next = [&](bool forward) {
        if (current < 0)
            return forward ? count - 1 : 0;
        return (current + (forward ? 1 : count - 1)) % count;
    };
    auto across = [&](int dx, int dy) { return info ? TabAtPoint(TPoint(centre.X + dx, centre.Y + dy)) : -1; };
    int index = -1;
    switch (TWMKey(Message).CharCode) {
    case VK_END:
        index = count - 1;
        Message.Result = 1;
        break;
    case VK_HOME:
        index = 0;
        Message.Result = 1;
        break;
    case VK_LEFT:
    case VK_RIGHT: {
        const bool forward = TWMKey(Message).CharCode == VK_RIGHT;
        if (!vertical)
            index = next(forward);
        else if (rows && info)
            index = across(forward ? info->Width : -info->Width, 0);
        break;
    }
    case VK_UP:
    case VK_DOWN: {
        const bool forward = TWMKey(Message).CharCode == VK_DOWN;
        if (vertical)
            index = next(forward);
        else if (rows && info)
            index = across(0, forward ? info->Height : -info->Height);
        break;
    }
    default:
        return;
    }
    if (index >= 0 && index != current && AllowTabChange())
        SetTabIndex(index);
    // The window's own handling of the arrows moves its selection even when the change is
    // refused: the control's selection is the one that counts.
    if (Send(FHandle, TCM_GETCURSEL, 0, 0) != FTabIndex) {
        Send(FHandle, TCM_SETCURSEL, static_cast<WPARAM>(FTabIndex), 0);
        BuildTabInfo();
        UpdateUpDown();
        FSkinData->SetBGChanged(true);
        Repaint();
    }
}

void TzCustomTabControl::WMSizeSkinned(TMessage& Message)
{
    TzCommonData* sd = FSkinData.get();
    if (FSizing) {
        TWinControl::WndProc(Message);
        return;
    }
    {
        TFlagScope sizing(FSizing);
        TFlagScope lock(FPaintLock);
        CommonMessageHandler(Message, sd);
        TWinControl::WndProc(Message);
        BuildTabInfo();
    }
    TBitmap* cache = sd->CacheBmp();
    if (!cache || cache->Width() != Width() || cache->Height() != Height())
        sd->SetBGChanged(true);
    UpdateUpDown();
    RedrawWindow(WindowHandle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE);
}

void TzCustomTabControl::CMDialogChar(TMessage& Message)
{
    const WideChar ch = WideCharOfCharMessage(Message);
    TUcStrings* tabs = Tabs();
    for (int i = 0; i < tabs->Count(); ++i)
        if (MatchesWideAccelerator(ch, tabs->Strings(i)) && IsTabShown(i) && AllowTabChange()) {
            SetTabIndex(i);
            Message.Result = 1;
            return;
        }
    TWinControl::Dispatch(Message);
}

void TzCustomTabControl::CNNotify(TMessage& Message)
{
    auto* hdr = reinterpret_cast<NMHDR*>(Message.LParam);
    if (!hdr)
        return;
    switch (hdr->code) {
    case TCN_SELCHANGING:
        // Skinned, the control changes the selection itself, never the window.
        Message.Result = IsSkinned() || !AllowTabChange() ? 1 : 0;
        break;
    case TCN_SELCHANGE:
        TabChanged();
        break;
    default:
        break;
    }
}

void TzCustomTabControl::CNDrawItem(TMessage& Message)
{
    auto* dis = reinterpret_cast<DRAWITEMSTRUCT*>(Message.LParam);
    if (!dis)
        return;
    TSaveDCScope saved(dis->hDC);
    FCanvas->SetHandle(dis->hDC);
    FCanvas->Font()->Assign(Font());
    FCanvas->Brush()->Assign(Brush());
    DrawOwnerTab(static_cast<int>(dis->itemID), TRect(dis->rcItem), (dis->itemState & ODS_SELECTED) != 0);
    FCanvas->SetHandle(nullptr);
    Message.Result = 1;
}

// Messages ---------------------------------------------------------------------------------------

bool TzCustomTabControl::SkinnedBefore(TMessage& Message)
{
    TzCommonData* sd = FSkinData.get();
    switch (Message.Msg) {
    case SM_SKINCMD:
        if (Message.WParamHi() == SKCMD_ENDPARENTUPDATE && sd->Updating()) {
            sd->SetUpdating(false);
            RedrawWindow(WindowHandle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN);
            return true;
        }
        return false;
    case WM_PAINT:
        WMPaintSkinned(Message);
        return true;
    case WM_PRINT:
        UpdateUpDown();
        Perform(WM_PAINT, Message.WParam, 0);
        return true;
    case WM_ERASEBKGND:
        Message.Result = 1;
        return true;
    case WM_NCPAINT:
        return true;
    case WM_SIZE:
        WMSizeSkinned(Message);
        return true;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        WMLButtonDownSkinned(Message);
        return true;
    case CM_MOUSEENTER:
    case CM_MOUSELEAVE:
        sd->SetMouseAbove(Message.Msg == CM_MOUSEENTER);
        TWinControl::WndProc(Message);
        return true;
    default:
        return false;
    }
}

void TzCustomTabControl::SkinnedAfter(TMessage& Message)
{
    TzCommonData* sd = FSkinData.get();
    const bool quiet = IsLoading() || (ComponentState() & csReading) || (FControlState & csCreating);
    switch (Message.Msg) {
    case WM_KEYDOWN:
        WMKeyDownSkinned(Message);
        break;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
    case CM_ENTER:
    case CM_EXIT:
        if (!FTabStop)
            break;
        sd->SetFocused(Message.Msg == WM_SETFOCUS || Message.Msg == CM_ENTER);
        sd->SetMouseAbove(false);
        sd->SetBGChanged(true);
        if (!quiet)
            Repaint();
        break;
    case WM_MOUSEWHEEL:
    case CM_VISIBLECHANGED:
    case WM_MOVE:
        sd->SetBGChanged(true);
        if (!quiet)
            Repaint();
        break;
    case CM_FONTCHANGED:
        BuildTabInfo();
        UpdateUpDown();
        sd->SetBGChanged(true);
        Repaint();
        break;
    default:
        break;
    }
}

void TzCustomTabControl::WndProc(TMessage& Message)
{
    TzCommonData* sd = FSkinData.get();
    if (!sd) {
        TWinControl::WndProc(Message);
        return;
    }
    switch (SkinCommandOf(Message)) {
    case SKCMD_NEWSKIN:
        if (!FromOwnManager(Message, sd))
            break;
        BroadcastToControls(this, Message);
        CommonMessageHandler(Message, sd);
        FollowPlatformSelection();
        return;
    case SKCMD_SKINREMOVED:
        if (!FromOwnManager(Message, sd))
            break;
        CommonMessageHandler(Message, sd);
        FTabInfo.clear();
        UpdateUpDown();
        // A new window brings the system's own arrows back. In a skin change the old one is
        // hidden first, without erasing: a shown window that goes makes the system erase and
        // frame at once every invalid window near it, the controls that lost their skin, plain
        // for nothing just before the new skin paints them. The new window covers the place.
        if (SkinChangeRunning() && HandleAllocated())
            SetWindowPos(WindowHandle(), nullptr, 0, 0, 0, 0,
                         SWP_HIDEWINDOW | SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOREDRAW |
                             SWP_DEFERERASE);
        RecreateWnd();
        BroadcastToControls(this, Message);
        return;
    case SKCMD_REFRESH:
        if (!FromOwnManager(Message, sd))
            break;
        CommonMessageHandler(Message, sd);
        FollowPlatformSelection();
        BuildTabInfo();
        UpdateUpDown();
        RepaintForSkin(this);
        if (FUpDown)
            RepaintForSkin(FUpDown);
        BroadcastToControls(this, Message);
        return;
    case SKCMD_ISSKINNED:
        Message.LParam = 1;
        return;
    default:
        break;
    }
    if (!IsControlReady(this) || !sd->Skinned()) {
        TWinControl::WndProc(Message);
        return;
    }
    if (SkinnedBefore(Message))
        return;
    if (!CommonMessageHandler(Message, sd))
        TWinControl::WndProc(Message);
    SkinnedAfter(Message);
}

void TzCustomTabControl::Dispatch(TMessage& Message)
{
    switch (Message.Msg) {
    case CN_NOTIFY:
        CNNotify(Message);
        return;
    case CN_DRAWITEM:
        CNDrawItem(Message);
        return;
    case CM_DIALOGCHAR:
        CMDialogChar(Message);
        return;
    case CM_SYSCOLORCHANGE:
        if (!IsLoading() && FHandle)
            Send(FHandle, WM_SYSCOLORCHANGE, 0, 0);
        break;
    case CM_TABSTOPCHANGED:
        if (!IsDesigning())
            RecreateWnd();
        break;
    default:
        break;
    }
    TWinControl::Dispatch(Message);
}
