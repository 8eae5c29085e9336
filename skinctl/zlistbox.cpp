#include "skinctl/zlistbox.h"

#include "classlib/gdihandles.h"
#include "skin/zclientwnd.h"
#include "skin/zgraphics.h"
#include "skin/zsectionpaint.h"
#include "skin/zskinmanager.h"
#include "skinctl/zeditcontrol.h"

Z_CLASS_IMPL(TzCustomListBox, TWinControl, Z_PROP_BOOL(TzCustomListBox, TabStop, true),
             Z_PROP_BOOL(TzCustomListBox, ParentColor, false))
Z_CLASS_IMPL(TzListBox, TzCustomListBox, Z_LISTBOX_PROPS(TzListBox), Z_PROP_OBJ(TzListBox, SkinData),
             Z_PROP_OBJ(TzListBox, BoundLabel), Z_PROP_SET(TzListBox, DisabledKind, DisabledKindNames, dkBlended))

TzCustomListBox::TzCustomListBox(TComponent* AOwner)
    : TListBoxOf<TWinControl>(AOwner), FSkinData(MakeSkinData(this, ctListBox, true)),
      FBoundLabel(std::make_unique<TzBoundLabel>(this, FSkinData.get()))
{
    if (FSkinData->SkinSection().empty())
        FSkinData->SetSkinSection("EDIT");
}

TzCustomListBox::~TzCustomListBox()
{
    FAdapter.reset();
    FBoundLabel.reset();
    FSkinData.reset();
}

void TzCustomListBox::AfterConstruction()
{
    TListBoxOf<TWinControl>::AfterConstruction();
    FSkinData->Loaded();
}

void TzCustomListBox::Loaded()
{
    TListBoxOf<TWinControl>::Loaded();
    FSkinData->Loaded();
    if (FSkinData->Skinned())
        TakeEditSectionColors(this, FSkinData.get());
    UpdateScrollAdapter();
}

void TzCustomListBox::UpdateScrollAdapter()
{
    if (HandleAllocated() && !IsDestroying())
        UpdateEditAdapter(this, FAdapter, FSkinData.get());
}

void TzCustomListBox::SetDisabledKind(TzDisabledKind Value)
{
    if (StoreChanged(FDisabledKind, Value))
        FSkinData->Invalidate();
}

void TzCustomListBox::CreateWnd()
{
    TListBoxOf<TWinControl>::CreateWnd();
    // A list without a parent heard no skin command: it takes the skin there is now.
    FSkinData->Loaded();
    if (FSkinData->Skinned()) {
        FSkinData->SetUpdating(false);
        TakeEditSectionColors(this, FSkinData.get());
    }
    UpdateScrollAdapter();
}

void TzCustomListBox::DestroyWnd()
{
    FAdapter.reset();
    TListBoxOf<TWinControl>::DestroyWnd();
}

void TzCustomListBox::SetItemIndex(int Value)
{
    const int before = ItemIndex();
    if (before == Value)
        return;
    TListBoxOf<TWinControl>::SetItemIndex(Value);
    // The item that was current may show as current still (a list without the focus).
    if (before >= 0) {
        const TRect r = ItemRect(before);
        InvalidateRect(FHandle, r.Win(), FALSE);
    }
}

// Painting ------------------------------------------------------------------------------------

void TzCustomListBox::PrepareCache()
{
    TzCommonData* sd = FSkinData.get();
    sd->PrepareCache();
    TBitmap* cache = sd->CacheBmp();
    const TzCacheInfo parent = QueryParentCache(sd);
    PaintSkinSection(sd->SectionSkin(), sd->BackdropOver(parent), bfFillCentre | bfKeysShowParent, cache,
                     TPoint(Left(), Top()), TRect(0, 0, Width(), Height()), TzPaintState(ActiveState(sd)));
    if (!Enabled())
        ApplyDisabledKind(cache, FDisabledKind, this, TPoint(Left(), Top()), parent);
    sd->SetBGChanged(false);
}

void TzCustomListBox::EraseBackground(TMessage& Message)
{
    TzCommonData* sd = FSkinData.get();
    const HDC dc = TWMEraseBkgnd(Message).DC;
    Message.Result = 1;
    if (!dc || IsLoading() || IsDestroying() || sd->GetUpdating())
        return;
    if (sd->BGChanged() || !sd->CacheBmp() || sd->CacheBmp()->Width() != Width())
        PrepareCache();
    // The client area lies inside the window's frame: the cache is the whole window.
    RECT window{};
    GetWindowRect(FHandle, &window);
    POINT client{0, 0};
    ::ClientToScreen(FHandle, &client);
    const int b = client.x - window.left;
    BitBlt(dc, 0, 0, Width() - 2 * b, Height() - 2 * b, sd->CacheBmp()->Canvas()->Handle(), b, b, SRCCOPY);
}

void TzCustomListBox::DrawItem(int Index, const TRect& Rect, TOwnerDrawState State)
{
    if (Index < 0)
        return;
    FCanvas->FillRect(Rect);
    if (DrawnByProgram()) {
        OnDrawItem(this, Index, Rect, State);
    } else {
        TRect r = Rect;
        if (UseRightToLeftAlignment())
            r.Right -= 2;
        else
            r.Left += 2;
        const AnsiString text = ItemText(Index);
        FCanvas->Brush()->SetStyle(bsClear);
        DrawTextA(FCanvas->Handle(), text.c_str(), static_cast<int>(text.size()), r.Win(),
                  static_cast<UINT>(DrawTextBiDiModeFlags(DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX)));
    }
    if (State & odFocused)
        DrawFocusRect(FCanvas->Handle(), Rect.Win());
}

void TzCustomListBox::CNDrawItem(TMessage& Message)
{
    DRAWITEMSTRUCT* dis = TWMDrawItem(Message).DrawItemStruct;
    Message.Result = 1;
    if (!dis || (FSkinData->Skinned() && FSkinData->GetUpdating()))
        return;
    const auto state = static_cast<TOwnerDrawState>(LOWORD(dis->itemState));
    const int index = static_cast<int>(dis->itemID);
    TCanvasDC scope(FCanvas.get(), dis->hDC);
    FCanvas->SetFont(FFont.get());
    FCanvas->SetBrush(FBrush.get());
    if (!DrawnByProgram()) {
        // The current item of a list without the focus shows as selected too.
        const bool current = index == ItemIndex() && GetFocus() != FHandle;
        if (index >= 0 && ((state & odSelected) || current)) {
            FCanvas->Brush()->SetColor(clHighlight);
            FCanvas->Font()->SetColor(clHighlightText);
        } else if (!FSkinData->CustomFont()) {
            FCanvas->Font()->SetColor(Enabled() ? FFont->Color() : MixColorsHalf(ColorToRGB(FFont->Color()), ColorToRGB(FColor)));
        }
    }
    DrawItem(index, TRect(dis->rcItem), state);
}

// The window procedure ----------------------------------------------------------------------

void TzCustomListBox::SkinChanging(TWMSkinCommand& Command)
{
    if (Command.Command == SKCMD_SKINREMOVED)
        FAdapter.reset();
}

void TzCustomListBox::SkinChanged(TWMSkinCommand& Command)
{
    switch (Command.Command) {
    case SKCMD_SKINREMOVED:
        FollowSkinRemoval(this, FSkinData.get());
        break;
    case SKCMD_REFRESH:
        if (FSkinData->Skinned())
            TakeEditSectionColors(this, FSkinData.get());
        UpdateScrollAdapter();
        RepaintForSkin(this);
        break;
    default:
        break;
    }
}

bool TzCustomListBox::SkinnedBefore(TMessage& Message)
{
    switch (Message.Msg) {
    case WM_ERASEBKGND:
        if (!FAdapter)
            return false;
        EraseBackground(Message);
        return true;
    case WM_SIZE:
        FSkinData->SetBGChanged(true);
        return false;
    default:
        MarkStaleOnPlace(FSkinData.get(), Message);
        return false;
    }
}

void TzCustomListBox::SkinnedAfter(TMessage& Message)
{
    switch (Message.Msg) {
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        FSkinData->Invalidate();
        break;
    case LB_SETCURSEL:
        if (auto* adapter = dynamic_cast<TSkScrollWnd*>(FAdapter.get()))
            RefreshScrollInfo(adapter, true);
        break;
    case CM_COLORCHANGED:
        if (!FSkinData->CustomColor())
            TakeEditSectionColors(this, FSkinData.get());
        break;
    case CM_SHOWINGCHANGED:
        UpdateScrollAdapter();
        break;
    default:
        break;
    }
}
