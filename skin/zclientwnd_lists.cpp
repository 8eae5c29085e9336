// The client-area adapters of lists: combo boxes with their lists, list views with their
// column header, and the column header painter.
#include "skin/zclientwnd.h"
#include "skin/zclientwnd_shared.h"

#include "classlib/gdihandles.h"
#include "classlib/msgrecords.h"
#include "skin/zgraphics.h"
#include "skin/zsectionpaint.h"
#include "skin/zskinpaint.h"
#include "skin/zskintextpaint.h"
#include "unicode/ucsystem.h"

#include <commctrl.h>

#include <algorithm>
#include <cstring>
#include <cwchar>

using namespace zclient;

namespace {

// More items or longer texts than these are taken as a window's nonsense answer.
constexpr int MaxHeaderItems = 4096;
constexpr LRESULT MaxItemText = 1 << 20;

int ComboType(HWND Combo) { return int(GetWindowLongW(Combo, GWL_STYLE) & 3); }

bool OwnerDrawCombo(HWND Combo)
{
    return (GetWindowLongW(Combo, GWL_STYLE) & (CBS_OWNERDRAWFIXED | CBS_OWNERDRAWVARIABLE)) != 0;
}

// A copy of a window's font that a canvas may own; a window without a font of its own draws
// with the system font.
void TakeFont(TCanvas* Canvas, HFONT Font)
{
    LOGFONTW lf{};
    if (!Font)
        Font = static_cast<HFONT>(GetStockObject(SYSTEM_FONT));
    if (GetObjectW(Font, sizeof(lf), &lf) <= 0)
        return;
    TOwnedFont copy(CreateFontIndirectW(&lf));
    Canvas->Font()->SetHandle(copy.Handle());
    copy.Release();   // the canvas's font owns it now
}

bool FocusWithin(HWND Wnd)
{
    const HWND f = GetFocus();
    return f && (f == Wnd || IsChild(Wnd, f));
}

} // namespace

void PaintComboButton(TBitmap* Bmp, const TRect& B, TzSkinManager* Manager, const TzBackdrop& Behind,
                      TzPaintState State)
{
    if (!Manager || B.Width() < 2 || B.Height() < 2)
        return;
    const TSkCommonIndexes& ix = Manager->Cache();
    if (Manager->IsValidSkinIndex(ix.ComboBtn))
        PaintSectionByIndex(ix.ComboBtn, Manager, Bmp, Behind, B, State, true);
    if (Manager->IsValidMaskIndex(ix.ComboBoxGlyphMask)) {
        const TzMaskData& g = Manager->Mask(ix.ComboBoxGlyphMask);
        const TSize f = MaskFrame(g);
        DrawSkinGlyph(Bmp, TPoint(B.Left + (B.Width() - f.cx) / 2, B.Top + (B.Height() - f.cy) / 2), State, g, 1);
    }
}

// ---------------------------------------------------------------------------------------
// The list of a combo box

Z_CLASS_IMPL(TSkComboListWnd, TSkEditWnd)

TSkComboListWnd::TSkComboListWnd(HWND Window, TzCommonData* ASkinData, TzSkinManager* ASkinManager,
                                 const AnsiString& SectionName)
    : TSkEditWnd(Window, ASkinData, ASkinManager, SectionName)
{
    // A foreign combo box's list keeps the system's look where the skin paints nothing.
    if (!ASkinData && Window && SetWindowThemeProc)
        SetWindowThemeProc(Window, nullptr, nullptr);
}

TSkComboListWnd::~TSkComboListWnd()
{
    Release();
}

bool TSkComboListWnd::NCButtonDown(TMessage& M, TPoint Screen)
{
    // An open list sends these itself from a press outside its client area, with the hit code
    // it worked out from the system's bar sizes: the bar under the point counts.
    const LRESULT hit = SendMessageW(Handle, WM_NCHITTEST, 0, MAKELPARAM(Screen.X, Screen.Y));
    if (hit != HTHSCROLL && hit != HTVSCROLL)
        return false;
    StartPress(M, int(hit), Screen);
    return true;
}

void TSkComboListWnd::PrintList(TMessage& M, HDC DC)
{
    // The frame only over a list that shows something, and not during a press.
    if (ScrollTracking.PressWindow != Handle && SendMessageW(Handle, LB_GETCOUNT, 0, 0) >= 1)
        Print(M, DC);
    else
        PassOn(M);
}

void TSkComboListWnd::PosChanged(TMessage& M, const WINDOWPOS* Pos)
{
    TSkAliveToken alive(this);
    TSkEditWnd::WndProc(M);
    if (alive() && Combo && Pos && (Pos->flags & (SWP_SHOWWINDOW | SWP_HIDEWINDOW)))
        InvalidateRect(Combo, nullptr, FALSE);
}

void TSkComboListWnd::WndProc(TMessage& M)
{
    if (Skinning()) {
        switch (M.Msg) {
        case WM_NCLBUTTONDOWN:
        case WM_NCLBUTTONDBLCLK:
            if (NCButtonDown(M, TWMNCMouse(M).Pos()))
                return;
            break;
        case WM_PRINT:
            PrintList(M, TWMPrint(M).DC);
            return;
        }
    }
    if (M.Msg == WM_WINDOWPOSCHANGED)
        PosChanged(M, TWMWindowPosMsg(M).WindowPos);
    else
        TSkEditWnd::WndProc(M);
}

// ---------------------------------------------------------------------------------------
// Combo boxes

Z_CLASS_IMPL(TSkComboBoxWnd, TSkEditWnd)

TSkComboBoxWnd::~TSkComboBoxWnd()
{
    ListAdapter.reset();
    Release();
}

void TSkComboBoxWnd::DetachParts()
{
    ListAdapter.reset();
    TSkEditWnd::DetachParts();
}

WideString TSkComboBoxWnd::SelectedText() const
{
    const LRESULT sel = SendMessageW(Handle, CB_GETCURSEL, 0, 0);
    // Items of an owner-drawn list without strings are numbers, not texts.
    const LONG style = GetWindowLongW(Handle, GWL_STYLE);
    if (sel < 0 || ((style & (CBS_OWNERDRAWFIXED | CBS_OWNERDRAWVARIABLE)) && !(style & CBS_HASSTRINGS)))
        return {};
    if (IsWindowUnicode(Handle)) {
        const LRESULT n = SendMessageW(Handle, CB_GETLBTEXTLEN, WPARAM(sel), 0);
        if (n <= 0 || n > MaxItemText)
            return {};
        WideString s(size_t(n) + 1, L'\0');
        const LRESULT got = SendMessageW(Handle, CB_GETLBTEXT, WPARAM(sel), reinterpret_cast<LPARAM>(s.data()));
        s.resize(got > 0 ? std::wcslen(s.c_str()) : 0);
        return s;
    }
    const LRESULT n = SendMessageA(Handle, CB_GETLBTEXTLEN, WPARAM(sel), 0);
    if (n <= 0 || n > MaxItemText)
        return {};
    AnsiString s(size_t(n) + 1, '\0');
    const LRESULT got = SendMessageA(Handle, CB_GETLBTEXT, WPARAM(sel), reinterpret_cast<LPARAM>(s.data()));
    s.resize(got > 0 ? std::strlen(s.c_str()) : 0);
    return ConvertToWide(s, CP_ACP);
}

TRect TSkComboBoxWnd::ButtonRect() const
{
    if (ComboType(Handle) == CBS_SIMPLE)
        return {};
    RECT c{};
    GetClientRect(Handle, &c);
    const int w = std::min(GetSystemMetrics(SM_CXVSCROLL), std::max(0, int(c.right) - 4));
    const int bottom = std::max(2, int(c.bottom) - 2);
    if (GetWindowLongW(Handle, GWL_EXSTYLE) & 0x2000)
        return TRect(2, 2, 2 + w, bottom);
    return TRect(c.right - 2 - w, 2, c.right - 2, bottom);
}

int TSkComboBoxWnd::ButtonState() const
{
    if (SendMessageW(Handle, CB_GETDROPPEDSTATE, 0, 0))
        return 2;
    if (FocusWithin(Handle) || (DefaultManager && DefaultManager->ActiveControl() == Handle))
        return 1;
    return 0;
}

void TSkComboBoxWnd::RepaintButton()
{
    if (!IsWindowVisible(Handle))
        return;
    const TRect b = ButtonRect();
    RECT r{b.Left, b.Top, b.Right, b.Bottom};
    InvalidateRect(Handle, b.Width() > 0 ? &r : nullptr, FALSE);
}

void TSkComboBoxWnd::AdaptList(HWND List)
{
    ListHandle = List;
    const bool items = SendMessageW(Handle, CB_GETCOUNT, 0, 0) > 0;
    const uint8_t handOver = AdapterKeepColorsHandOver;
    AdapterKeepColorsHandOver = KeepColors;
    ListAdapter = CreateAdapter<TSkComboListWnd>(List, nullptr, SkinManager(), "EDIT", items);
    AdapterKeepColorsHandOver = handOver;
    ListAdapter->SimpleCombo = ComboType(Handle) == CBS_SIMPLE ? 1 : 0;
    ListAdapter->Combo = Handle;
    ListAdapter->AfterCreation();
    // The list names its section; its texts take that section's font colour.
    const int section = int(SendCommandToWindow(List, SKCMD_GETDISABLEDKIND, 0)) - 1;
    TzSkinManager* m = ListAdapter->SkinData->GetSkinManager();
    ListFontColor = !KeepColors && m && m->IsValidSkinIndex(section) ? ColorToRGB(TColor(m->Section(section).FontColor))
                                                                      : SkinKeyColor;
    RepaintButton();
}

void TSkComboBoxWnd::Paint(HDC DC, bool OwnText)
{
    RECT c{};
    GetClientRect(Handle, &c);
    PrepareWindowCache(SkinData, Handle, false);
    TBitmap* cache = SkinData->CacheBmp();
    TzSkinManager* m = SkinData->GetSkinManager();
    if (!DC || !cache || !m || c.right < 2 || c.bottom < 2)
        return;
    const TPoint o = ClientOffset(Handle);
    auto bmp = CreateBmp24(c.right, c.bottom);
    CopyBmpRect(bmp.get(), 0, 0, TRect(o.X, o.Y, o.X + c.right, o.Y + c.bottom), cache);
    const TzCacheInfo behind = MakeCacheInfo(cache, o.X, o.Y);
    const TRect b = ButtonRect();
    const int state = ButtonState();
    PaintComboButton(bmp.get(), b, m, behind, TzPaintState(state));
    // The edit area of a drop-down list, between the frame and the button.
    TRect text(3, 3, c.right - 3, c.bottom - 3);
    if (b.Width() > 0) {
        if (b.Left <= text.Left)
            text.Left = b.Right + 1;
        else
            text.Right = b.Left - 1;
    }
    const bool ownsText = OwnText && ComboType(Handle) == CBS_DROPDOWNLIST;
    if (ownsText && text.Width() > 0 && text.Height() > 0) {
        TCanvas* cv = bmp->Canvas();
        TakeFont(cv, reinterpret_cast<HFONT>(SendMessageW(Handle, WM_GETFONT, 0, 0)));
        const WideString s = SelectedText();
        TRect r(text.Left + 2, text.Top, text.Right - 2, text.Bottom);
        TClipScope clip(cv->Handle(), RECT{text.Left, text.Top, text.Right, text.Bottom});
        if (GetFocus() == Handle && state != 2) {
            FillBmpRect(bmp.get(), text, TColor(GetSysColor(COLOR_HIGHLIGHT)));
            cv->Font()->SetColor(TColor(GetSysColor(COLOR_HIGHLIGHTTEXT)));
            cv->Brush()->SetStyle(bsClear);
            DrawWideText(cv, s, r, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
            const RECT fr{text.Left, text.Top, text.Right, text.Bottom};
            DrawFocusRect(cv->Handle(), &fr);
        } else {
            DrawSkinTextByIndexW(cv, s, TextFlags(IsWindowEnabled(Handle) != FALSE, false), m, SkinData->SkinIndex,
                                 DT_LEFT | DT_VCENTER, r);
        }
    }
    TClipScope clip(DC);
    // Child windows (the edit of a drop-down combo box, a simple one's list) paint themselves;
    // the owner draws the item of an owner-drawn list.
    for (HWND ch = GetWindow(Handle, GW_CHILD); ch; ch = GetWindow(ch, GW_HWNDNEXT)) {
        if (!IsWindowVisible(ch))
            continue;
        RECT r{};
        GetWindowRect(ch, &r);
        MapWindowPoints(nullptr, Handle, reinterpret_cast<POINT*>(&r), 2);
        ExcludeClipRect(DC, r.left, r.top, r.right, r.bottom);
    }
    if (!ownsText && ComboType(Handle) == CBS_DROPDOWNLIST)
        ExcludeClipRect(DC, text.Left, text.Top, text.Right, text.Bottom);
    BitBlt(DC, 0, 0, c.right, c.bottom, bmp->Canvas()->Handle(), 0, 0, SRCCOPY);
}

void TSkComboBoxWnd::SkinCommand(TWMSkinCommand Cmd)
{
    const uint16_t c = Cmd.Command;
    // The list is the combo box's: it hears the skin's changes through it.
    if (ListAdapter && FromOwnManager(Cmd) && (c == SKCMD_NEWSKIN || c == SKCMD_SKINREMOVED || c == SKCMD_REFRESH))
        SendMessageW(ListHandle, SM_SKINCMD, Cmd.Message.WParam, Cmd.Param);
    TSkAliveToken alive(this);
    TSkEditWnd::SkinCommand(Cmd);
    if (alive() && Hooked() && (c == SKCMD_ACTIVATED || c == SKCMD_DEACTIVATED))
        RepaintButton();
}

void TSkComboBoxWnd::ListColors(TMessage& M, const TWMCtlColor& Color)
{
    if (!ListHandle && Color.ChildWnd && IsWindow(Color.ChildWnd))
        AdaptList(Color.ChildWnd);
    if (PassOn(M) && Color.ChildWnd == ListHandle && ListFontColor != SkinKeyColor)
        SetTextColor(Color.ChildDC, COLORREF(ListFontColor));
}

void TSkComboBoxWnd::PaintMessage(TMessage& M, HDC Given)
{
    if (!OwnerDrawCombo(Handle)) {
        PaintInto(Handle, Given, [this](HDC DC) { Paint(DC, true); });
        M.Result = 0;
        return;
    }
    // The owner draws the item first; frame and button go over what it left.
    if (!PassOn(M))
        return;
    if (Given) {
        Paint(Given, false);
    } else {
        TClientDC dc(Handle);
        Paint(dc.Handle(), false);
    }
}

void TSkComboBoxWnd::WndProc(TMessage& M)
{
    if (!Skinning() || M.Msg == SM_SKINCMD) {
        TSkEditWnd::WndProc(M);
        return;
    }
    switch (M.Msg) {
    case WM_CTLCOLORLISTBOX:
        ListColors(M, TWMCtlColor(M));
        return;
    case WM_PAINT:
    case WM_PRINTCLIENT:
        if (SkinData->GetUpdating())
            break;
        PaintMessage(M, TWMPaint(M).DC);
        return;
    case WM_ERASEBKGND:
        if (OwnerDrawCombo(Handle))
            break;
        M.Result = 1;
        return;
    }
    TSkAliveToken alive(this);
    TSkEditWnd::WndProc(M);
    if (!alive() || !Hooked())
        return;
    switch (M.Msg) {
    case CN_COMMAND:
        if (const uint16_t code = TWMCommand(M).NotifyCode; code == CBN_DROPDOWN || code == CBN_CLOSEUP)
            RepaintButton();
        break;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
    case WM_ENABLE:
    case CB_SETCURSEL:
    case CB_SHOWDROPDOWN:
        InvalidateRect(Handle, nullptr, FALSE);
        break;
    }
}

// ---------------------------------------------------------------------------------------
// Column headers

int ColumnHeaderSection(TzSkinManager* Manager)
{
    if (!Manager)
        return -1;
    int i = Manager->FindSectionIndex("COLHEADER");
    if (!Manager->IsValidSkinIndex(i))
        i = Manager->FindSectionIndex("BUTTON");
    return Manager->IsValidSkinIndex(i) ? i : -1;
}

void PaintColumnHeader(TBitmap* Bmp, const TRect& Item, TzSkinManager* Manager, const TzColumnLook& Look, HFONT Font,
                       const TzCacheInfo& Parent)
{
    const int section = ColumnHeaderSection(Manager);
    if (!Bmp || section < 0)
        return;
    // An item reaching far past the bitmap (a window's nonsense width, a header scrolled
    // sideways) is painted only a little beyond it: its edges there are out of sight anyway.
    constexpr int Beyond = 64;
    const TRect R(std::max(Item.Left, -Beyond), std::max(Item.Top, -Beyond),
                  std::min(Item.Right, Bmp->Width() + Beyond), std::min(Item.Bottom, Bmp->Height() + Beyond));
    const int w = R.Width(), h = R.Height();
    if (w < 2 || h < 2)
        return;
    constexpr int Pad = 6;
    auto item = CreateBmp24(w, h);
    TzCacheInfo behind = Parent;
    behind.X += R.Left;
    behind.Y += R.Top;
    PaintSectionByIndex(section, Manager, item.get(), behind, TRect(0, 0, w, h), TzPaintState(Look.State), true);
    TCanvas* cv = item->Canvas();
    TakeFont(cv, Font);
    int left = Pad;
    int iw = 0, ih = 0;
    if (Look.Images && Look.Image >= 0 && Look.Image < ImageList_GetImageCount(Look.Images) &&
        ImageList_GetIconSize(Look.Images, &iw, &ih)) {
        ImageList_Draw(Look.Images, Look.Image, cv->Handle(), left, (h - ih) / 2, ILD_TRANSPARENT);
        left += iw + Pad / 2;
    }
    const TSkCommonIndexes& ix = Manager->Cache();
    const int markIndex = Look.Sort == smkUp ? ix.ScrollBtnTop.GlyphMask
                        : Look.Sort == smkDown ? ix.ScrollBtnBottom.GlyphMask : -1;
    const TzMaskData* mark = Manager->IsValidMaskIndex(markIndex) ? &Manager->Mask(markIndex) : nullptr;
    const TSize mf = mark ? MaskFrame(*mark) : TSize{0, 0};
    // The text keeps room for the mark after it.
    const TRect room(left, 0, std::max(left, w - Pad - (mark ? Pad + int(mf.cx) : 0)), h);
    const int tw = Look.Text.empty() ? 0 : std::min(int(GetWideTextSize(cv, Look.Text).cx), room.Width());
    int x = room.Left;
    switch (Look.Align & HDF_JUSTIFYMASK) {
    case HDF_RIGHT: x = room.Right - tw; break;
    case HDF_CENTER: x = room.Left + (room.Width() - tw) / 2; break;
    }
    if (tw > 0) {
        TClipScope clip(cv->Handle(), RECT{room.Left, room.Top, room.Right, room.Bottom});
        DrawSkinTextByIndexW(cv, Look.Text, TextFlags(true, Look.State != 0), Manager, section, DT_LEFT | DT_VCENTER,
                             TRect(x, 0, x + tw, h));
    }
    if (mark)
        DrawSkinGlyph(item.get(), TPoint(x + tw + Pad, (h - mf.cy) / 2), psNormal, *mark, 1);
    CopyBmpRect(Bmp, R.Left, R.Top, TRect(0, 0, w, h), item.get());
}

namespace {

// An item read with the header message of one character width. A header tells no text
// length: the buffer grows until the text fits with room to spare.
template <class THeaderItem, class Char, class ToWide>
bool ReadHeaderItemAs(HWND Header, int Index, UINT Msg, LRESULT(WINAPI* Send)(HWND, UINT, WPARAM, LPARAM),
                      const Char* Callback, ToWide Convert, TzHeaderItem& Item)
{
    static const Char none[1] = {};
    for (int n = 256;; n *= 2) {
        std::vector<Char> buf(size_t(n), Char{});
        THeaderItem hi{};
        hi.mask = HDI_TEXT | HDI_FORMAT | HDI_IMAGE;
        hi.pszText = buf.data();
        hi.cchTextMax = n;
        if (!Send(Header, Msg, WPARAM(Index), reinterpret_cast<LPARAM>(&hi)))
            return false;
        Item.Format = hi.fmt;
        Item.Image = hi.iImage;
        buf.back() = Char{};
        // The header may answer with its own buffer instead of filling ours.
        const Char* text = hi.pszText && hi.pszText != Callback ? hi.pszText : none;
        const std::basic_string<Char> s(text);
        Item.Text = Convert(s);
        if (text != buf.data() || int(s.size()) < n - 1 || n >= 65536)
            return true;
    }
}

} // namespace

bool ReadHeaderItem(HWND Header, int Index, TzHeaderItem& Item)
{
    RECT r{};
    if (!Header || Index < 0 || !SendMessageW(Header, HDM_GETITEMRECT, WPARAM(Index), reinterpret_cast<LPARAM>(&r)))
        return false;
    Item.Rect = TRect(r.left, r.top, r.right, r.bottom);
    if (IsWindowUnicode(Header))
        return ReadHeaderItemAs<HDITEMW>(Header, Index, HDM_GETITEMW, &SendMessageW, LPSTR_TEXTCALLBACKW,
                                         [](const WideString& S) { return S; }, Item);
    return ReadHeaderItemAs<HDITEMA>(Header, Index, HDM_GETITEMA, &SendMessageA, LPSTR_TEXTCALLBACKA,
                                     [](const AnsiString& S) { return ConvertToWide(S, CP_ACP); }, Item);
}

// ---------------------------------------------------------------------------------------
// List views

// The link in the header's chain: the list view's adapter handles what the header receives.
class TSkHeaderHook : public TSkMainWnd {
public:
    TSkHeaderHook(HWND Header, TSkListViewWnd* AOwner)
        : TSkMainWnd(Header, AOwner->SkinData, AOwner->SkinManager(), AOwner->SkinData->SkinSection()), Owner(AOwner)
    {
    }
    void WndProc(TMessage& M) override
    {
        if (M.Msg == WM_DESTROY || M.Msg == WM_NCDESTROY)
            DetachOnDestroy(M);
        else
            Owner->HeaderMessage(*this, M);
    }
    bool Pass(TMessage& M) { return PassOn(M); }

    TSkListViewWnd* Owner;
};

Z_CLASS_IMPL(TSkListViewWnd, TSkEditWnd)

TSkListViewWnd::TSkListViewWnd(HWND Window, TzCommonData* ASkinData, TzSkinManager* ASkinManager,
                               const AnsiString& SectionName)
    : TSkEditWnd(Window, ASkinData, ASkinManager, SectionName)
{
}

TSkListViewWnd::~TSkListViewWnd()
{
    Release();
}

HWND TSkListViewWnd::HeaderHandle() const { return FHeader && FHeader->Hooked() ? FHeader->Handle : nullptr; }

bool TSkListViewWnd::ReportView() const
{
    return (GetWindowLongW(Handle, GWL_STYLE) & LVS_TYPEMASK) == LVS_REPORT ||
           SendMessageW(Handle, LVM_GETVIEW, 0, 0) == LV_VIEW_DETAILS;
}

void TSkListViewWnd::HookParts(bool Repaint)
{
    TSkEditWnd::HookParts(Repaint);
    HookHeader(FindWindowExW(Handle, nullptr, WC_HEADERW, nullptr));
}

void TSkListViewWnd::DetachParts()
{
    FHeader.reset();
    TSkEditWnd::DetachParts();
}

void TSkListViewWnd::HookHeader(HWND Header)
{
    // The old header's procedure goes back first.
    FHeader.reset();
    PressedItem = -1;
    HotColumn = -2;
    if (!Header || Dead)
        return;
    FHeader = std::make_unique<TSkHeaderHook>(Header, this);
    FHeader->Attach(false);
    InvalidateRect(Header, nullptr, TRUE);
}

void TSkListViewWnd::PaintHeader(HDC DC, TPoint Origin)
{
    const HWND header = HeaderHandle();
    RECT c{};
    if (!DC || !header || !GetClientRect(header, &c) || c.right < 2 || c.bottom < 2)
        return;
    TzSkinManager* m = SkinData->GetSkinManager();
    auto bmp = CreateBmp24(c.right, c.bottom);
    PrepareWindowCache(SkinData, Handle, false);
    TzCacheInfo behind;
    FHeader->GetWindowInfo();
    if (TBitmap* cache = SkinData->CacheBmp())
        behind = MakeCacheInfo(cache, FHeader->WndPos.X, FHeader->WndPos.Y);
    const HFONT font = reinterpret_cast<HFONT>(SendMessageW(header, WM_GETFONT, 0, 0));
    const auto images = reinterpret_cast<HIMAGELIST>(SendMessageW(header, HDM_GETIMAGELIST, 0, 0));
    const int count = std::clamp(int(SendMessageW(header, HDM_GETITEMCOUNT, 0, 0)), 0, MaxHeaderItems);
    int right = 0;
    for (int i = 0; i < count; ++i) {
        TzHeaderItem it;
        if (!ReadHeaderItem(header, i, it) || it.Rect.Width() <= 0)
            continue;
        TzColumnLook look;
        look.Text = it.Text;
        look.Align = it.Format & HDF_JUSTIFYMASK;
        look.Sort = (it.Format & HDF_SORTUP) ? smkUp : (it.Format & HDF_SORTDOWN) ? smkDown : smkNone;
        if (it.Format & HDF_IMAGE) {
            look.Images = images;
            look.Image = it.Image;
        }
        look.State = i == PressedItem ? 2 : HighlightHeaders && i == HotColumn ? 1 : 0;
        PaintColumnHeader(bmp.get(), it.Rect, m, look, font, behind);
        right = std::max(right, int(it.Rect.Right));
    }
    // Past the last item: an empty one.
    if (right < c.right)
        PaintColumnHeader(bmp.get(), TRect(right, 0, c.right, c.bottom), m, TzColumnLook{}, font, behind);
    BitBlt(DC, Origin.X, Origin.Y, c.right, c.bottom, bmp->Canvas()->Handle(), 0, 0, SRCCOPY);
}

int TSkListViewWnd::HeaderItemAt(HWND Header, TPoint P) const
{
    HDHITTESTINFO hit{};
    hit.pt = POINT{P.X, P.Y};
    SendMessageW(Header, HDM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit));
    // A divider sizes a column: it is no item.
    const bool onItem = (hit.flags & HHT_ONHEADER) && !(hit.flags & (HHT_ONDIVIDER | HHT_ONDIVOPEN));
    return onItem ? hit.iItem : -1;
}

void TSkListViewWnd::PressHeader(HWND Header, TPoint P)
{
    if (!(GetWindowLongW(Header, GWL_STYLE) & HDS_BUTTONS))
        return;
    PressedItem = HeaderItemAt(Header, P);
    InvalidateRect(Header, nullptr, FALSE);
}

void TSkListViewWnd::TrackHot(HWND Header, int Item)
{
    if (Item < 0)
        Item = -2;
    if (Item == HotColumn)
        return;
    // The header tells when the mouse leaves it.
    if (HotColumn == -2) {
        TRACKMOUSEEVENT track{sizeof(track), TME_LEAVE, Header, 0};
        TrackMouseEvent(&track);
    }
    HotColumn = Item;
    if (HighlightHeaders)
        InvalidateRect(Header, nullptr, FALSE);
}

void TSkListViewWnd::ReleaseHeader(HWND Header)
{
    if (PressedItem < 0)
        return;
    PressedItem = -1;
    InvalidateRect(Header, nullptr, FALSE);
}

void TSkListViewWnd::HeaderMessage(TSkHeaderHook& Hook, TMessage& M)
{
    const HWND header = Hook.Handle;
    if (!ReportView() || !Skinning() || ColumnHeaderSection(SkinData->GetSkinManager()) < 0) {
        Hook.Pass(M);
        return;
    }
    switch (M.Msg) {
    case WM_PAINT:
    case WM_PRINTCLIENT:
        PaintInto(header, TWMPaint(M).DC, [this](HDC DC) { PaintHeader(DC, TPoint()); });
        M.Result = 0;
        return;
    case WM_ERASEBKGND:
        M.Result = 1;
        return;
    case WM_LBUTTONDOWN:
        PressHeader(header, TWMMouse(M).Pos());
        break;
    case WM_MOUSEMOVE:
        TrackHot(header, HeaderItemAt(header, TWMMouse(M).Pos()));
        break;
    case WM_MOUSELEAVE:
        TrackHot(header, -2);
        break;
    case WM_LBUTTONUP:
    case WM_CAPTURECHANGED:
    case WM_CANCELMODE:
        ReleaseHeader(header);
        break;
    }
    TSkAliveToken alive(this);
    if (!Hook.Pass(M) || !alive())
        return;
    if (M.Msg == WM_WINDOWPOSCHANGED)
        RedrawFrame();
}

bool TSkListViewWnd::TrackThumb(TMessage& M, int Bar, const TWMScroll& S)
{
    if (!Scrolling || (S.ScrollCode != SB_THUMBTRACK && S.ScrollCode != SB_THUMBPOSITION))
        return false;
    // A list view takes the thumb's place only from the system's own tracking, which is not
    // running: it is scrolled here by the difference, in what it scrolls by in its view
    // (whole items down a report, columns along a list, pixels otherwise).
    M.Result = 0;
    const bool items = Bar == SB_VERT && ReportView();
    const int now = items ? int(SendMessageW(Handle, LVM_GETTOPINDEX, 0, 0)) : GetScrollPos(Handle, Bar);
    const int step = items ? ItemHeight() : 1;
    const int by = (ScrollTracking.LastTrackPos - now) * step;
    if (by != 0)
        SendMessageW(Handle, LVM_SCROLL, Bar == SB_HORZ ? by : 0, Bar == SB_VERT ? by : 0);
    return true;
}

int TSkListViewWnd::ItemHeight() const
{
    RECT r{};
    r.left = LVIR_BOUNDS;
    if (SendMessageW(Handle, LVM_GETITEMCOUNT, 0, 0) <= 0 ||
        !SendMessageW(Handle, LVM_GETITEMRECT, WPARAM(SendMessageW(Handle, LVM_GETTOPINDEX, 0, 0)),
                      reinterpret_cast<LPARAM>(&r)))
        return 0;
    return r.bottom - r.top;
}

void TSkListViewWnd::PrintWithHeader(TMessage& M, HDC DC)
{
    Print(M, DC);
    const HWND header = HeaderHandle();
    if (!header || !ReportView() || !IsWindowVisible(header))
        return;
    FHeader->GetWindowInfo();
    PaintHeader(DC, FHeader->WndPos);
}

void TSkListViewWnd::ChildNotified(const TWMParentNotify& Notify)
{
    if (!Notify.Child || !HasClassName(Notify.Child, WC_HEADERW))
        return;
    if (Notify.Event == WM_CREATE)
        HookHeader(Notify.Child);
    else if (FHeader && FHeader->Handle == Notify.Child)
        HookHeader(nullptr);
}

void TSkListViewWnd::SkinCommand(TWMSkinCommand Cmd)
{
    const bool fromOwn = FromOwnManager(Cmd);
    TSkAliveToken alive(this);
    TSkEditWnd::SkinCommand(Cmd);
    if (fromOwn && alive() && HeaderHandle())
        InvalidateRect(HeaderHandle(), nullptr, TRUE);
}

void TSkListViewWnd::WndProc(TMessage& M)
{
    const bool skinned = Skinning();
    if (skinned) {
        switch (M.Msg) {
        case WM_HSCROLL:
            if (TrackThumb(M, SB_HORZ, TWMScroll(M)))
                return;
            break;
        case WM_VSCROLL:
            if (TrackThumb(M, SB_VERT, TWMScroll(M)))
                return;
            break;
        case WM_PRINT:
            PrintWithHeader(M, TWMPrint(M).DC);
            return;
        }
    }
    TSkAliveToken alive(this);
    TSkEditWnd::WndProc(M);
    if (!alive() || !Hooked())
        return;
    switch (M.Msg) {
    case WM_PARENTNOTIFY:
        ChildNotified(TWMParentNotify(M));
        break;
    case WM_STYLECHANGED:
    case WM_LBUTTONUP:
        if (skinned)
            RefreshScrollInfo(this, true);
        break;
    }
}
