// The skinned tab control: a strip of tabs over a body on which the owner places its own
// controls. The system's tab window ("SysTabControl32") keeps the tabs (wide captions),
// their platform rectangles, the keyboard focus and the horizontal scroll offset. While a
// skin is active the control lays the rows out itself, paints the body and every tab from the
// skin (rotated captions for tabs at the left and right), takes the mouse and the arrow keys,
// and shows its own skinned up-down instead of the system's arrows (kept hidden, not
// destroyed) when the tabs overflow. Without a skin it is the plain system tab control. The
// row layout lives apart, in ztabcontrol_layout.h.
#pragma once

#include "classlib/comctrls.h"
#include "skin/zcommondata.h"
#include "skinctl/zskinctl.h"
#include "skinctl/ztabcontrol_layout.h"
#include "unicode/ucclasses.h"

#include <memory>
#include <vector>

class TzCustomTabControl;
class TzUpDown;

using TzDrawTabEvent = TMethod<void(TzCustomTabControl* Control, int TabIndex, const TRect& Rect, bool Active)>;

// The Tabs list: every caption and object lives in the system window.
class TzTabStrings : public TUcStrings {
    Z_CLASS(TzTabStrings, TUcStrings)
public:
    explicit TzTabStrings(TzCustomTabControl* AControl) : FControl(AControl) {}

    // EListError "Failed to retrieve tab at index %d".
    WideString Get(int Index) const override;
    int GetCount() const override;
    // EListError "Failed to get object at index %d".
    TObject* GetObject(int Index) const override;
    // EListError "Failed to set tab "%s" at index %d".
    void Put(int Index, const WideString& S) override;
    void PutObject(int Index, TObject* AObject) override;
    void Insert(int Index, const WideString& S) override;
    // EListError "Failed to delete tab at index %d".
    void Delete(int Index) override;
    // EListError "Failed to clear tab control".
    void Clear() override;
    // The window does not redraw while the list is updated; at the end the tabs are laid out
    // and painted again.
    void SetUpdateState(bool Updating) override;

private:
    HWND Wnd() const;
    TzCustomTabControl* FControl;
};

class TzCustomTabControl : public TWinControl, public TzSkinnedControl {
    Z_CLASS(TzCustomTabControl, TWinControl)
public:
    // 289 x 100, a tab stop; skin data with type code 143 and a kept cache.
    explicit TzCustomTabControl(TComponent* AOwner);
    ~TzCustomTabControl() override;
    void AfterConstruction() override;
    void Loaded() override;
    void Notification(TComponent* AComponent, TOperation Operation) override;
    // The system's display rectangle (below the tabs), its top 2 pixels lower.
    void AdjustClientRect(TRect& Rect) override;

    TzCommonData* SkinData() const { return FSkinData.get(); }
    // Owner-drawn tabs are drawn on it.
    TControlCanvas* Canvas() const { return FCanvas.get(); }

    // The captions: the system window's, or a copy kept while there is no window and none
    // can be made.
    TUcStrings* Tabs() const;
    void SetTabs(TWideStrings* Value) { Tabs()->Assign(Value); }
    // Skinned: the selected tab as the control keeps it (0 when there are no tabs);
    // otherwise the system window's.
    int TabIndex();
    // Skinned, a value that names no tab selects tab 0.
    virtual void SetTabIndex(int Value);

    // EInvalidOperation "Tab style incompatible with current tab position" for buttons
    // anywhere but at the top.
    TTabStyle Style() const { return FStyle; }
    void SetStyle(TTabStyle Value);
    // EInvalidOperation "Tab position incompatible with current tab style"; the left and
    // right take MultiLine.
    TTabPosition TabPosition() const { return FTabPosition; }
    void SetTabPosition(TTabPosition Value);
    // EListError "MultiLine must be True when TabPosition is tpLeft or tpRight"; off, it
    // takes ScrollOpposite with it.
    bool MultiLine() const { return FMultiLine; }
    void SetMultiLine(bool Value);
    // On, it takes MultiLine.
    bool ScrollOpposite() const { return FScrollOpposite; }
    void SetScrollOpposite(bool Value);
    bool HotTrack() const { return FHotTrack; }
    void SetHotTrack(bool Value) { RecreateOnChange(this, FHotTrack, Value); }
    bool OwnerDraw() const { return FOwnerDraw; }
    void SetOwnerDraw(bool Value) { RecreateOnChange(this, FOwnerDraw, Value); }
    bool MultiSelect() const { return FMultiSelect; }
    void SetMultiSelect(bool Value) { RecreateOnChange(this, FMultiSelect, Value); }
    bool RaggedRight() const { return FRaggedRight; }
    void SetRaggedRight(bool Value) { RecreateOnChange(this, FRaggedRight, Value); }
    // 0: sized by the captions. Negative values raise EInvalidOperation "<class> property
    // out of range".
    int16_t TabWidth() const { return FTabWidth; }
    void SetTabWidth(int16_t Value);
    int16_t TabHeight() const { return FTabHeight; }
    void SetTabHeight(int16_t Value);
    TCustomImageList* Images() const { return FImages; }
    void SetImages(TCustomImageList* Value);

    // The skinned layout: one record a tab, the selected row last.
    const std::vector<TzTabInfo>& TabInfo() const { return FLayout.Records(); }
    // Records from the system window, placed in rows (nothing while unskinned).
    void BuildTabInfo();
    // The rectangle record Index is painted in; empty outside the records.
    TRect GetTabRect(int Index) const { return FLayout.PaintRect(Index, FTabIndex); }
    // The tab (not the record) at a client point, -1 for none.
    int TabAtPoint(TPoint P) const { return FLayout.TabAt(P); }
    // Tabs of a single row at the top or bottom that lie (partly) past the right end, where
    // the up-down stands, or scrolled out to the left.
    int HiddenTabCount() { return Overflow().Hidden(); }
    // The control's own up-down, while the tabs overflow a skinned single row.
    TzUpDown* UpDown() const { return FUpDown; }
    int RowCount();
    // The system's display rectangle as AdjustClientRect gives it.
    TRect DisplayRect();

    TNotifyEvent OnChange;
    TTabChangingEvent OnChanging;
    TzDrawTabEvent OnDrawTab;
    TTabGetImageEvent OnGetImageIndex;

protected:
    void CreateParams(TCreateParams& Params) override;
    void CreateWnd() override;
    // The captions and the selection are kept for the next window.
    void DestroyWnd() override;
    void WndProc(TMessage& Message) override { RunSkinnedWndProc(*this, Message); }
    TControl* SkinnedSelf() override { return this; }
    TzCommonData* SkinnedData() override { return FSkinData.get(); }
    void InheritedWndProc(TMessage& Message) override { TWinControl::WndProc(Message); }
    bool PassesSkinToChildren() const override { return true; }
    void SkinChanged(TWMSkinCommand& Command) override;
    void ParentUpdateEnded() override;
    bool SkinnedBefore(TMessage& Message) override;
    void SkinnedAfter(TMessage& Message) override;
    void AfterMessage(TMessage& Message) override;
    void Dispatch(TMessage& Message) override;

    virtual bool IsTabShown(int TabIndex) { (void)TabIndex; return true; }
    // OnDrawTab, else the rectangle filled on Canvas.
    virtual void DrawOwnerTab(int TabIndex, const TRect& Rect, bool Active);
    // OnGetImageIndex, starting from the tab's index.
    virtual int GetTabImage(int TabIndex);
    // Record Index painted into the cache; state 1 is the selected tab.
    virtual void DrawSkinTab(int Index, int State);
    // The strip behind the tabs and every tab but the selected one.
    void DrawSkinTabs();
    // OnChanging.
    virtual bool AllowTabChange();
    // OnChange; the own up-down follows.
    virtual void TabChanged();

private:
    friend class TzTabStrings;
    bool IsSkinned() const;
    bool IsVertical() const { return FTabPosition == tpLeft || FTabPosition == tpRight; }
    // A window exists or can be made for the Tabs list.
    bool CanMakeWindow() const;
    TUcStringList* SavedTabs() const;
    // The list changed: the selection and the layout follow.
    void TabInserted(int Index);
    void TabDeleted(int Index);
    void TabsCleared();
    void ListChanged();
    // The selection the system window holds becomes the skinned one.
    void FollowPlatformSelection();
    // The selection after tab Index went: it stays on its tab, and the selected tab gives
    // it to the one after it, or to the new last.
    int SelectionAfterDelete(int Selected, int Index) const;
    TzTabOverflow Overflow();
    // The records built again from the system window, and the own arrows placed by them.
    void LayOutAgain();
    int BodySection() const;
    // The section and border mask a tab is painted with (-1 when the skin has none).
    int TabSection() const;
    int TabMask(int Section) const;
    void PrepareTabCache();
    void PaintSkinned(HDC DC);
    void WMPaintSkinned(TMessage& Message);
    void WMSizeSkinned(TMessage& Message);
    void WMLButtonDownSkinned(TMessage& Message);
    void WMKeyDownSkinned(TMessage& Message);
    void FocusChanged(const TMessage& Message);
    // The picture is stale; repainted unless the control is being loaded or made.
    void BackgroundChanged();
    void DrawTabText(const TzTabInfo& Info, TRect R, bool Selected, int Section);
    void DrawRotatedTabText(const TzTabInfo& Info, TRect R, bool Selected, int Section);
    bool HasImage(const TzTabInfo& Info) const;
    void UpdateUpDown();
    void PlaceUpDown(const TzTabOverflow& Hidden);
    // The system's own arrows: hidden while skinned, shown again (where the system wants
    // them) when the skin goes. They are the system's window: destroyed, they would come back
    // only with a new window of the control.
    void HideSystemArrows();
    void ShowSystemArrows();
    void FollowChildWindows(const TMessage& Message);
    void UpDownClick(TObject* Sender, TUDBtnType Button);
    void ImageListChange(TObject* Sender);
    void ApplyImages();
    void ApplyTabSize();
    void CNNotify(TMessage& Message);
    void CNDrawItem(TMessage& Message);
    void CMDialogChar(TMessage& Message);

    std::unique_ptr<TControlCanvas> FCanvas;
    std::unique_ptr<TChangeLink> FImageChangeLink;
    TCustomImageList* FImages = nullptr;
    int FSavedTabIndex = -1;
    mutable std::unique_ptr<TUcStringList> FSavedTabs;
    std::unique_ptr<TzTabStrings> FTabs;
    bool FHotTrack = false;
    bool FMultiLine = false;
    bool FMultiSelect = false;
    bool FOwnerDraw = false;
    bool FRaggedRight = false;
    bool FScrollOpposite = false;
    TTabStyle FStyle = tsTabs;
    TTabPosition FTabPosition = tpTop;
    int16_t FTabWidth = 0;
    int16_t FTabHeight = 0;
    std::unique_ptr<TzCommonData> FSkinData;
    int FTabIndex = -1;
    TzTabLayout FLayout;
    HWND FSystemArrows = nullptr;
    bool FPaintLock = false;
    bool FSizing = false;
    TzUpDown* FUpDown = nullptr;   // owned by the control as a component
    TRect FAlignedDisplay;         // the body the children were last aligned in
};

class TzTabControl : public TzCustomTabControl {
    Z_CLASS(TzTabControl, TzCustomTabControl)
public:
    explicit TzTabControl(TComponent* AOwner) : TzCustomTabControl(AOwner) {}
};
