#include "skinctl/zcombobox.h"

#include "classlib/gdihandles.h"
#include "skin/zclientwnd.h"
#include "skin/zgraphics.h"
#include "skin/zsectionpaint.h"
#include "skin/zskinmanager.h"
#include "skinctl/zeditcontrol.h"
#include "unicode/ucactnlist.h"
#include "unicode/ucsysutils.h"

namespace {

const char* const AlignmentNames[] = {"taLeftJustify", "taRightJustify", "taCenter"};

// The width of the frame the section's border leaves around the text and the button.
constexpr int Frame = 3;

bool OwnerDrawStyle(TComboBoxStyle Style)
{
    return Style == csOwnerDrawFixed || Style == csOwnerDrawVariable;
}

} // namespace

Z_CLASS_IMPL(TzComboBox, TComboBox, Z_PROP_INT(TzComboBox, DropDownCount, 16), Z_PROP_OBJ(TzComboBox, Items),
             Z_PROP_WSTR(TzComboBox, Text), WideHintProp<TzComboBox>(), Z_PROP_ENUM(TzComboBox, Alignment, AlignmentNames, taLeftJustify),
             Z_PROP_SET(TzComboBox, DisabledKind, DisabledKindNames, dkBlended), Z_PROP_BOOL(TzComboBox, ReadOnly, false),
             Z_PROP_OBJ(TzComboBox, SkinData), Z_PROP_OBJ(TzComboBox, BoundLabel))

TzComboBox::TzComboBox(TComponent* AOwner)
    : TComboBox(AOwner), FSkinData(MakeSkinData(this, ctEdit, true)),
      FBoundLabel(std::make_unique<TzBoundLabel>(this, FSkinData.get())),
      FItems(std::make_unique<TUcComboBoxStrings>(this))
{
    SetDropDownCount(16);
    if (FSkinData->SkinSection().empty())
        FSkinData->SetSkinSection("COMBOBOX");
}

TzComboBox::~TzComboBox()
{
    FreeListAdapter();
    FBoundLabel.reset();
    FSkinData.reset();
}

void TzComboBox::AfterConstruction()
{
    TComboBox::AfterConstruction();
    FSkinData->Loaded();
}

void TzComboBox::Loaded()
{
    TComboBox::Loaded();
    FSkinData->Loaded();
}

void TzComboBox::DefineProperties(TFiler* Filer)
{
    TComboBox::DefineProperties(Filer);
    DefineWideProperties(Filer, this);
}

void TzComboBox::ActionChange(TObject* Sender, bool CheckDefaults)
{
    ApplyActionWideText(this, dynamic_cast<TBasicAction*>(Sender), CheckDefaults);
    TComboBox::ActionChange(Sender, CheckDefaults);
}

const TControlActionLinkClass* TzComboBox::GetActionLinkClass()
{
    return GetUcActionLinkClass(this, TComboBox::GetActionLinkClass());
}

// Text, items, selection ------------------------------------------------------------------

WideString TzComboBox::Text() const
{
    return GetControlWideText(const_cast<TzComboBox*>(this));
}

void TzComboBox::SetText(const WideString& Value)
{
    if (EditableStyle() || IsLoading()) {
        SetControlWideText(this, Value);
        return;
    }
    // The system's list styles take no text: the item of that text is selected instead.
    const WideString before = Text();
    SetItemIndex(Value.empty() ? -1 : FItems->IndexOf(Value));
    if (Text() != before)
        Perform(CM_TEXTCHANGED, 0, 0);
}

WideString TzComboBox::Hint() const
{
    return GetControlWideHint(const_cast<TzComboBox*>(this));
}

void TzComboBox::SetHint(const WideString& Value)
{
    SetControlWideHint(this, Value);
}

WideString TzComboBox::SelText()
{
    return GetComboWideSelText(this);
}

void TzComboBox::SetSelText(const WideString& Value)
{
    SetComboWideSelText(this, Value);
}

int TzComboBox::GetSelStart()
{
    return GetComboWideSelStart(this);
}

void TzComboBox::SetSelStart(int Value)
{
    SetComboWideSelStart(this, Value);
}

int TzComboBox::GetSelLength()
{
    return GetComboWideSelLength(this);
}

void TzComboBox::SetSelLength(int Value)
{
    SetComboWideSelLength(this, Value);
}

void TzComboBox::AddWideItem(const WideString& Item, TObject* AObject)
{
    AddComboItemWide(this, Item, AObject);
}

void TzComboBox::CopySelection(TCustomListControl* Destination)
{
    CopyComboSelectionWide(this, Destination);
}

void TzComboBox::SetDisabledKind(TzDisabledKind Value)
{
    if (StoreChanged(FDisabledKind, Value))
        FSkinData->Invalidate();
}

void TzComboBox::SetAlignment(TAlignment Value)
{
    if (StoreChanged(FAlignment, Value))
        FSkinData->Invalidate();
}

// The window ------------------------------------------------------------------------------

void TzComboBox::CreateWindowHandle(const TCreateParams& Params)
{
    CreateUnicodeWindowHandle(this, Params, L"COMBOBOX", false);
}

void TzComboBox::CreateWnd()
{
    TComboBox::CreateWnd();
    RestoreComboAfterCreateWnd(this, FSavedItems, FSavedIndex, FSavedText);
    // A box without a parent heard no skin command: it takes the skin there is now.
    FSkinData->Loaded();
    if (FSkinData->Skinned())
        FSkinData->SetUpdating(false);
}

void TzComboBox::DestroyWnd()
{
    FreeListAdapter();
    if (!IsDestroying())
        SaveComboBeforeDestroyWnd(this, FSavedItems, FSavedIndex, FSavedText);
    TComboBox::DestroyWnd();
}

const TComboBoxStringsClass& TzComboBox::GetItemsClass()
{
    return TVornPatchedComboBoxStrings::ClassRef();
}

// Keys and the read-only filter ------------------------------------------------------------

bool TzComboBox::ReadOnlyStops(const TMessage& Message, HWND Child) const
{
    const bool edit = Child && Child == EditHandle();
    switch (Message.Msg) {
    case WM_CHAR:
        // Ctrl+C copies from the edit.
        return !(edit && CharCodeOf(Message) == 3);
    case WM_KEYDOWN: {
        const WPARAM key = Message.WParam & 0xFFFF;
        switch (key) {
        case VK_TAB:
        case VK_RETURN:
        case VK_ESCAPE:
        case VK_SHIFT:
        case VK_CONTROL:
        case VK_MENU:
            return false;
        case VK_LEFT:
        case VK_RIGHT:
        case VK_HOME:
        case VK_END:
            // They move the caret in the edit; on the box's own window they choose an item.
            return !edit;
        case VK_INSERT:
        case 'C':
            return !(edit && GetKeyState(VK_CONTROL) < 0);
        default:
            return true;
        }
    }
    case WM_SYSKEYDOWN:
        // Alt with an arrow opens the list.
        return Message.WParam == VK_UP || Message.WParam == VK_DOWN || Message.WParam == VK_F4;
    case WM_CUT:
    case WM_PASTE:
    case WM_CLEAR:
    case WM_UNDO:
    case EM_UNDO:
        return true;
    case WM_MOUSEWHEEL:
        // The edit hands the wheel to the box.
        return !Child;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        // A press on the box opens the list; one on a simple box's list chooses an item.
        return !Child || Child == ListHandle();
    default:
        return false;
    }
}

void TzComboBox::StoppedByReadOnly(TMessage& Message, bool Child)
{
    Message.Result = 0;
    switch (Message.Msg) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
        DoKeyDown(Message);
        break;
    case WM_CHAR:
        // A child window's character comes unpacked; the box's own through its trap.
        if (Child && EditHandle() && IsWindowUnicode(EditHandle()))
            PackWideCharMessage(Message);
        DoKeyPress(Message);
        break;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        if (CanFocus() && !Focused())
            SetFocus();
        if (Message.Msg == WM_LBUTTONDBLCLK)
            DblClick();
        break;
    default:
        break;
    }
}

void TzComboBox::KeyPress(char& Key)
{
    bool saved;
    SuspendComboAutoComplete(this, saved);
    TComboBox::KeyPress(Key);
    RestoreComboAutoComplete(this, saved);
}

void TzComboBox::ComboWndProc(TMessage& Message, HWND ComboWnd, WNDPROC ComboProc)
{
    if (FReadOnly && ReadOnlyStops(Message, ComboWnd)) {
        StoppedByReadOnly(Message, true);
        return;
    }
    const bool edit = ComboWnd == EditHandle();
    if (edit && FSkinData && FSkinData->Skinned() && EditShowsCache()) {
        switch (Message.Msg) {
        case WM_PAINT:
            PaintEditFromCache(ComboWnd);
            Message.Result = 0;
            return;
        case WM_ERASEBKGND:
        case WM_NCPAINT:
            Message.Result = 1;
            return;
        default:
            break;
        }
    }
    if (!HandleComboWndProcWide(this, Message, ComboWnd, ComboProc, MakeMethod<&TzComboBox::EditKey>(this)))
        TComboBox::ComboWndProc(Message, ComboWnd, ComboProc);
    // The edit shows the cache or its own painting as the focus comes and goes.
    if (edit && (Message.Msg == WM_SETFOCUS || Message.Msg == WM_KILLFOCUS) && FSkinData && FSkinData->Skinned()) {
        FSkinData->SetBGChanged(true);
        InvalidateRect(WindowHandle(), nullptr, FALSE);
        InvalidateRect(ComboWnd, nullptr, FALSE);
    }
}

void TzComboBox::EditKey(TMessage& Message)
{
    if (EditableStyle())
        UcCombo_AutoCompleteKeyPress(this, Message, true, false);
}

void TzComboBox::Dispatch(TMessage& Message)
{
    switch (Message.Msg) {
    case CN_COMMAND:
        switch (TWMCommand(Message).NotifyCode) {
        case CBN_SELCHANGE:
            HandleComboSelChangeWide(this, Message);
            return;
        case CBN_DROPDOWN:
            // A read-only box's list does not stay open, whoever opened it.
            if (FReadOnly) {
                PostMessageW(WindowHandle(), CB_SHOWDROPDOWN, FALSE, 0);
                return;
            }
            FDropped = true;
            break;
        case CBN_CLOSEUP:
            FDropped = false;
            break;
        default:
            break;
        }
        break;
    case WM_CHAR:
        if (Style() == csDropDownList) {
            ComboSearchKeyPress(this, Message, FSearchText, FLastSearchTime);
            if (WideCharOfCharMessage(Message) == 0)
                return;
        }
        break;
    default:
        break;
    }
    TComboBox::Dispatch(Message);
}

// Painting --------------------------------------------------------------------------------

TRect TzComboBox::ButtonRect() const
{
    if (Style() == csSimple)
        return TRect();
    const int w = GetSystemMetrics(SM_CXVSCROLL);
    const int left = const_cast<TzComboBox*>(this)->UseRightToLeftAlignment() ? Frame : Width() - w - Frame;
    return TRect(left, Frame, left + w, Height() - Frame);
}

int TzComboBox::FrameHeight() const
{
    HWND edit = EditHandle();
    if (Style() != csSimple || !edit)
        return Height();
    RECT r{};
    GetWindowRect(edit, &r);
    MapWindowPoints(nullptr, WindowHandle(), reinterpret_cast<POINT*>(&r), 2);
    return std::min(Height(), int(r.bottom) + Frame);
}

TRect TzComboBox::TextRect() const
{
    const TRect b = ButtonRect();
    TRect r(Frame, Frame, Width() - Frame, FrameHeight() - Frame);
    if (b.Width() > 0) {
        if (b.Left <= r.Left)
            r.Left = b.Right;
        else
            r.Right = b.Left;
    }
    return r;
}

void TzComboBox::PaintButton(TBitmap* Cache)
{
    const TRect b = ButtonRect();
    if (b.Width() < 2 || b.Height() < 2)
        return;
    const int state = FDropped ? 2 : ActiveState(FSkinData.get());
    // The button stands on the frame painted so far.
    auto under = CreateBmpLike(Cache);
    CopyBmpRect(under.get(), b.Left, b.Top, b, Cache);
    PaintComboButton(Cache, b, FSkinData->GetSkinManager(), MakeCacheInfo(under.get(), 0, 0), TzPaintState(state));
}

void TzComboBox::PaintText(TBitmap* Cache)
{
    if (OwnerDrawStyle(Style()) && OnDrawItem)
        return;
    const TRect r = TextRect();
    if (r.Width() < 1 || r.Height() < 1)
        return;
    TCanvas* c = Cache->Canvas();
    c->SetFont(Font());
    const bool list = Style() >= csDropDownList;
    const bool highlight = list && Enabled() && (Focused() || FSkinData->Focused());
    if (highlight) {
        FillBmpRect(Cache, r, ColorToRGB(clHighlight));
        c->Font()->SetColor(clHighlightText);
    }
    c->Brush()->SetStyle(bsClear);
    // The edit's own text starts at its corner; a list style's item one pixel in.
    const int d = Style() == csDropDown ? 0 : 1;
    const WideString text = Text();
    if (!text.empty()) {
        RECT t{r.Left + d, r.Top + d, r.Right, r.Bottom};
        DrawTextWide(c->Handle(), text.c_str(), int(text.size()), &t, DT_SINGLELINE | DT_NOPREFIX);
    }
    if (highlight) {
        const RECT f{r.Left, r.Top, r.Right, r.Bottom};
        DrawFocusRect(c->Handle(), &f);
    }
}

void TzComboBox::PrepareComboCache()
{
    PrepareFramedCache(this, FSkinData.get(), FrameHeight(), FDisabledKind, [this](TBitmap* Cache) {
        PaintButton(Cache);
        PaintText(Cache);
    });
}

bool TzComboBox::EditShowsCache() const
{
    auto* self = const_cast<TzComboBox*>(this);
    return !(self->Focused() || FSkinData->Focused()) || !Enabled();
}

void TzComboBox::PaintEditFromCache(HWND Edit)
{
    TPaintDC dc(Edit);
    if (WaitsForParent(FSkinData.get()))
        return;
    PrepareComboCache();
    RECT r{};
    GetWindowRect(Edit, &r);
    MapWindowPoints(nullptr, WindowHandle(), reinterpret_cast<POINT*>(&r), 2);
    BitBlt(dc.Handle(), 0, 0, r.right - r.left, r.bottom - r.top, FSkinData->CacheBmp()->Canvas()->Handle(), r.left,
           r.top, SRCCOPY);
}

void TzComboBox::PaintTo(HDC DC)
{
    TzCommonData* sd = FSkinData.get();
    if (!DC || !Showing() || WaitsForParent(sd))
        return;
    CheckOutOfClip(this, sd);
    PrepareComboCache();
    FillAllCornersFromParent(sd);
    HDC cache = sd->CacheBmp()->Canvas()->Handle();
    const int w = Width(), h = FrameHeight();
    const TComboBoxStyle style = Style();
    const bool focused = Focused() || sd->Focused();
    // The whole picture where the box paints all of it itself; the frame and the button
    // where the edit or the program paints the rest.
    if (!Enabled() || style == csDropDownList || (style == csDropDown && !focused)) {
        BitBlt(DC, 0, 0, w, h, cache, 0, 0, SRCCOPY);
        return;
    }
    BitBltBorder(DC, 0, 0, w, h, cache, 0, 0, Frame);
    const TRect b = ButtonRect();
    BitBlt(DC, b.Left, b.Top, b.Width(), b.Height(), cache, b.Left, b.Top, SRCCOPY);
    if (OwnerDrawStyle(style)) {
        TCanvasDC scope(Canvas(), DC);
        const auto state = TOwnerDrawState(odComboBoxEdit | (focused ? odFocused | odSelected : 0));
        DrawItem(ItemIndex(), TextRect(), state);
    }
}

void TzComboBox::DrawItem(int Index, const TRect& Rect, TOwnerDrawState State)
{
    TCanvas* c = Canvas();
    const bool selected = (State & (odSelected | odFocused)) != 0;
    if ((State & odComboBoxEdit) && FSkinData && FSkinData->Skinned()) {
        PrepareComboCache();
        BitBlt(c->Handle(), Rect.Left, Rect.Top, Rect.Width(), Rect.Height(),
               FSkinData->CacheBmp()->Canvas()->Handle(), Rect.Left, Rect.Top, SRCCOPY);
        // The picture shows the item as it is unless it is selected or the program draws it.
        if (!OnDrawItem && !selected)
            return;
    }
    c->SetFont(Font());
    c->Brush()->SetStyle(bsSolid);
    c->Brush()->SetColor(selected ? TColor(clHighlight) : Color());
    c->Font()->SetColor(selected ? TColor(clHighlightText) : Enabled() ? Font()->Color() : TColor(clBtnShadow));
    c->FillRect(Rect);
    if (OnDrawItem) {
        OnDrawItem(this, Index, Rect, State);
        return;
    }
    if (Index < 0)
        return;
    // The item's own text, whatever the box's text is.
    const WideString text = ComboItemWide(this, Index);
    c->Brush()->SetStyle(bsClear);
    RECT r{Rect.Left + 2, Rect.Top, Rect.Right, Rect.Bottom};
    DrawTextWide(c->Handle(), text.c_str(), int(text.size()), &r, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
}

// The list's adapter ---------------------------------------------------------------------

void TzComboBox::AdaptList(HWND List)
{
    FListWnd = List;
    FListAdapter = CreateAdapter<TSkComboListWnd>(List, nullptr, FSkinData->GetSkinManager(), "EDIT", true);
    FListAdapter->SimpleCombo = Style() == csSimple ? 1 : 0;
    FListAdapter->Combo = WindowHandle();
    FListAdapter->AfterCreation();
}

void TzComboBox::FreeListAdapter()
{
    FListAdapter.reset();
    FListWnd = nullptr;
}

// The window procedure ------------------------------------------------------------------

bool TzComboBox::PreviewMessage(TMessage& Message)
{
    if (FReadOnly && ReadOnlyStops(Message, nullptr)) {
        StoppedByReadOnly(Message, false);
        return true;
    }
    if (SkinCommandOf(Message) == SKCMD_ISDROPPEDDOWN) {
        TWMSkinCommand(Message).Answer(FDropped ? 1 : 0);
        return true;
    }
    return false;
}

void TzComboBox::SkinChanging(TWMSkinCommand& Command)
{
    if (Command.Command == SKCMD_SKINREMOVED)
        FreeListAdapter();
}

void TzComboBox::SkinChanged(TWMSkinCommand& Command)
{
    // The list is no child of the form: it hears the skin through the box.
    if (FListWnd && Command.Command != SKCMD_SKINREMOVED)
        SendMessageW(FListWnd, SM_SKINCMD, Command.Message.WParam, Command.Param);
    if (Command.Command == SKCMD_SKINREMOVED && HandleAllocated()) {
        // The edit paints itself again.
        RedrawWindow(WindowHandle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
        return;
    }
    TzSkinnedControl::SkinChanged(Command);
}

bool TzComboBox::SkinnedBefore(TMessage& Message)
{
    switch (Message.Msg) {
    case WM_PAINT:
        PaintInto(WindowHandle(), TWMPaint(Message).DC, [this](HDC DC) { PaintTo(DC); });
        Message.Result = 0;
        return true;
    case WM_PRINT:
    case WM_PRINTCLIENT:
        FSkinData->SetUpdating(false);
        if (const HDC dc = TWMPaint(Message).DC) {
            PrepareComboCache();
            BitBlt(dc, 0, 0, Width(), FrameHeight(), FSkinData->CacheBmp()->Canvas()->Handle(), 0, 0, SRCCOPY);
        }
        return true;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        // The focus moves on to the edit at once: the picture follows where the focus is
        // when it paints, not these.
        TComboBox::WndProc(Message);
        FSkinData->SetBGChanged(true);
        Invalidate();
        return true;
    case WM_CTLCOLORLISTBOX:
        if (!FListAdapter && !IsLoading() && ItemCount() > DropDownCount())
            AdaptList(reinterpret_cast<HWND>(Message.LParam));
        return false;
    default:
        return SwallowBeforeInherited(FSkinData.get(), Message);
    }
}

void TzComboBox::SkinnedAfter(TMessage& Message)
{
    TzCommonData* sd = FSkinData.get();
    switch (Message.Msg) {
    case CM_MOUSEENTER:
    case CM_MOUSELEAVE:
        if (!FDropped)
            FollowFocusAndMouse(this, sd, Message);
        break;
    case CM_ENTER:
    case CM_EXIT:
        sd->SetBGChanged(true);
        Invalidate();
        break;
    case CN_COMMAND:
        if (const uint16_t code = TWMCommand(Message).NotifyCode; code == CBN_DROPDOWN || code == CBN_CLOSEUP) {
            sd->SetBGChanged(true);
            Repaint();
        }
        break;
    case WM_SETFONT:
    case CM_FONTCHANGED:
    case CM_VISIBLECHANGED:
    case CM_ENABLEDCHANGED:
    case CB_SETCURSEL:
    case CM_TEXTCHANGED:
    case WM_SETTEXT:
        if (!IsLoading()) {
            sd->SetBGChanged(true);
            Invalidate();
            if (HWND edit = EditHandle())
                InvalidateRect(edit, nullptr, FALSE);
        }
        break;
    default:
        break;
    }
}
