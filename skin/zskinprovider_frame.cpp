// The provider's frame: the metrics of the form's frame, the skin's title masks, the frame
// painted into the cache and copied to the window, the client area's background, the window
// region, and the title buttons repainted one at a time.
#include "skin/zskinprovider.h"

#include "classlib/gdihandles.h"
#include "classlib/menus.h"
#include "skin/zcontrolutils.h"
#include "skin/zgraphics.h"
#include "skin/zmdiform.h"
#include "skin/zskinmanager.h"
#include "unicode/ucmenus.h"

#include <algorithm>

namespace {

bool IsMDIChild(const TCustomForm* F) { return F && F->FormStyle() == fsMDIChild; }

TRect WindowRectOf(HWND Wnd)
{
    RECT r{};
    GetWindowRect(Wnd, &r);
    return TRect(r.left, r.top, r.right, r.bottom);
}

// A frame's mask of the section, or -1.
int MaskIn(TzSkinManager* M, const char* Section, const char* Name)
{
    const int s = M->FindSectionIndex(Section);
    return M->IsValidSkinIndex(s) ? M->FindMaskIndex(s, Section, Name) : -1;
}

int FrameWidthOr21(TzSkinManager* M, int Mask)
{
    const int w = M && M->IsValidMaskIndex(Mask) ? int(MaskFrame(M->Mask(Mask)).cx) : 0;
    return w > 0 ? w : 21;
}

} // namespace

// ---------------------------------------------------------------------------------------
// Metrics

bool TzSkinProvider::HasBorder() const
{
    return FForm && (FForm->BorderStyle() != bsNone || IsMDIChild(FForm));
}

int TzSkinProvider::CaptionHeight() const
{
    if (!HasBorder())
        return 0;
    if (FForm->HandleAllocated() && (GetWindowLongW(FForm->Handle(), GWL_STYLE) & WS_CAPTION) != WS_CAPTION)
        return 0;
    const TFormBorderStyle bs = FForm->BorderStyle();
    return GetSystemMetrics(bs == bsToolWindow || bs == bsSizeToolWin ? SM_CYSMCAPTION : SM_CYCAPTION);
}

namespace {

// The form's frame is the thin, fixed one (not the sizing frame).
bool FixedFrame(const TCustomForm* F)
{
    const TFormBorderStyle bs = F->BorderStyle();
    return IsMDIChild(F) ? (bs == bsSingle || bs == bsToolWindow)
                         : (bs == bsSingle || bs == bsDialog || bs == bsToolWindow);
}

} // namespace

int TzSkinProvider::SysBorderWidth() const
{
    return HasBorder() ? GetSystemMetrics(FixedFrame(FForm) ? SM_CXFIXEDFRAME : SM_CXFRAME) : 0;
}

int TzSkinProvider::SysBorderHeight() const
{
    return HasBorder() ? GetSystemMetrics(FixedFrame(FForm) ? SM_CYFIXEDFRAME : SM_CYFRAME) : 0;
}

int TzSkinProvider::MenuHeight() const
{
    return FForm && FForm->Menu() ? GetSystemMetrics(SM_CYMENU) - 1 : 0;
}

int TzSkinProvider::FormWidth() const
{
    return FForm && FForm->HandleAllocated() ? WindowRectOf(FForm->Handle()).Width() : (FForm ? FForm->Width() : 0);
}

int TzSkinProvider::FormHeight() const
{
    return FForm && FForm->HandleAllocated() ? WindowRectOf(FForm->Handle()).Height() : (FForm ? FForm->Height() : 0);
}

int TzSkinProvider::ButtonHeight() const
{
    TzSkinManager* m = FSkinData->GetSkinManager();
    const int mask = FButtons[btClose].ImageIndex;
    const int h = m && m->IsValidMaskIndex(mask) ? int(MaskFrame(m->Mask(mask)).cy) : 0;
    return h > 0 ? h : 21;
}

int TzSkinProvider::UserButtonWidth(const TzTitleButton* Button) const
{
    const int glyph = Button && !Button->Glyph()->Empty() ? Button->Glyph()->Width() + 2 : 0;
    return std::max(glyph, FrameWidthOr21(FSkinData->GetSkinManager(), FTitleMaskIndex));
}

namespace {

// The system's title buttons that show, by what the system menu says of the form.
struct TShownButtons {
    bool Close = false, Max = false, Min = false, Help = false;
};

TShownButtons ShownButtons(TCustomForm* Form)
{
    const TzSysMenuForm f = SystemMenuFormOf(Form);
    TShownButtons b;
    b.Close = f.BorderIcons & biSystemMenu;
    b.Max = SystemMenuItemState(smiMaximize, f).Visible;
    b.Min = SystemMenuItemState(smiMinimize, f).Visible;
    b.Help = f.BorderIcons & biHelp;
    return b;
}

} // namespace

int TzSkinProvider::ButtonsWidth() const
{
    if (!FForm)
        return 0;
    TzSkinManager* m = FSkinData->GetSkinManager();
    const int space = m ? m->SkinData().BISpacing : 0;
    const TShownButtons shown = ShownButtons(FForm);
    int sum = 0;
    const std::pair<bool, int> sys[] = {{shown.Close, btClose}, {shown.Max, btMax}, {shown.Min, btMin},
                                        {shown.Help, btHelp}};
    for (const auto& [on, b] : sys)
        if (on)
            sum += FrameWidthOr21(m, FButtons[b].ImageIndex) + space;
    for (int i = 0; i < FTitleButtons->Count(); ++i)
        sum += UserButtonWidth(FTitleButtons->Items(i)) + space;
    return sum;
}

int TzSkinProvider::IconWidth() const
{
    if (!FShowAppIcon || !FForm || (FForm->BorderStyle() != bsSingle && FForm->BorderStyle() != bsSizeable))
        return 0;
    return FTitleIcon->Width() ? FTitleIcon->Width() : FormIconSize(CaptionHeight());
}

int TzSkinProvider::IconHeight() const
{
    if (!FShowAppIcon || !FForm || (FForm->BorderStyle() != bsSingle && FForm->BorderStyle() != bsSizeable))
        return 0;
    return FTitleIcon->Height() ? FTitleIcon->Height() : FormIconSize(CaptionHeight());
}

TRect TzSkinProvider::IconRect() const { return TitleIconRect(Metrics(), IconWidth(), IconHeight()); }

TRect TzSkinProvider::ClientRectInWindow() const
{
    if (!FForm || !FForm->HandleAllocated())
        return TRect(0, 0, FForm ? FForm->Width() : 0, FForm ? FForm->Height() : 0);
    HWND wnd = FForm->Handle();
    RECT c{};
    GetClientRect(wnd, &c);
    POINT origin{0, 0};
    ClientToScreen(wnd, &origin);
    const TRect w = WindowRectOf(wnd);
    const int x = origin.x - w.Left, y = origin.y - w.Top;
    return TRect(x, y, x + c.right, y + c.bottom);
}

TzFrameMetrics TzSkinProvider::Metrics() const
{
    TzFrameMetrics m;
    m.Width = FormWidth();
    m.Height = FormHeight();
    m.CaptionHeight = CaptionHeight();
    m.BorderWidth = SysBorderWidth();
    m.BorderHeight = SysBorderHeight();
    m.MenuHeight = MenuHeight();
    m.MenuLines = std::max(0, FMenuLineCount);
    m.Client = ClientRectInWindow();
    return m;
}

void TzSkinProvider::CountMenuLines()
{
    FMenuLineCount = 0;
    TMainMenu* menu = FForm->Menu();
    if (!menu || IsMDIChild(FForm) || FForm->BorderStyle() == bsDialog || MenuHeight() <= 0 ||
        !FForm->HandleAllocated() || GetMenu(FForm->Handle()) != menu->Handle())
        return;
    // The lines as the system laid the items out.
    std::vector<int> tops;
    HWND wnd = FForm->Handle();
    const int n = GetMenuItemCount(menu->Handle());
    for (int i = 0; i < n; ++i) {
        RECT r{};
        if (GetMenuItemRect(wnd, menu->Handle(), UINT(i), &r) && std::find(tops.begin(), tops.end(), r.top) == tops.end())
            tops.push_back(r.top);
    }
    FMenuLineCount = int(tops.size());
}

// ---------------------------------------------------------------------------------------
// Masks

void TzSkinProvider::FindTitleMasks()
{
    TzSkinManager* m = FSkinData->GetSkinManager();
    const int global = m ? m->FindSectionIndex("GLOBALINFO") : -1;
    for (auto& b : FButtons)
        b.ImageIndex = -1;
    FTitleMaskIndex = -1;
    if (!m || !m->IsValidSkinIndex(global))
        return;
    const bool mdiParent = FForm && FForm->FormStyle() == fsMDIForm && !IsDesigning();
    auto g = [&](const char* Name) { return m->FindMaskIndex(global, "GLOBALINFO", Name); };
    auto setMDI = [&](int Min, int Max, int Close) {
        if (!mdiParent)
            return;
        FButtons[btMDIMin].ImageIndex = Min;
        FButtons[btMDIMax].ImageIndex = Max;
        FButtons[btMDIClose].ImageIndex = Close;
    };
    auto setForm = [&](int Min, int Max, int Close, int Help) {
        FButtons[btMin].ImageIndex = Min;
        FButtons[btMax].ImageIndex = Max;
        FButtons[btClose].ImageIndex = Close;
        FButtons[btHelp].ImageIndex = Help;
    };
    if (!m->IsValidMaskIndex(g("BICONCLOSE"))) {
        const int s = FSkinData->SkinIndex;
        const AnsiString& name = FSkinData->SkinSection();
        auto f = [&](const char* Name) { return m->IsValidSkinIndex(s) ? m->FindMaskIndex(s, name, Name) : -1; };
        setForm(f("BICONMIN"), f("BICONMAX"), f("BICONCLOSE"), f("BICONHELP"));
        setMDI(f("BICONMIN"), f("BICONMAX"), f("BICONCLOSE"));
    } else {
        const bool big = FForm && (FForm->BorderStyle() == bsSingle || FForm->BorderStyle() == bsSizeable);
        if (big) {
            setForm(g("BICONMIN"), g("BICONMAX"), g("BICONCLOSE"), g("BICONHELP"));
        } else {
            const int help = m->IsValidMaskIndex(g("SICONHELP")) ? g("SICONHELP") : g("BICONHELP");
            setForm(g("SICONMIN"), g("SICONMAX"), g("SICONCLOSE"), help);
        }
        if (!m->IsValidMaskIndex(FButtons[btClose].ImageIndex)) {
            setForm(g("BICONMIN"), g("BICONMAX"), g("BICONCLOSE"), g("BICONHELP"));
            setMDI(g("BICONMIN"), g("BICONMAX"), g("BICONCLOSE"));
        } else {
            setMDI(g("SICONMIN"), g("SICONMAX"), g("SICONCLOSE"));
            if (mdiParent && !m->IsValidMaskIndex(FButtons[btMDIMin].ImageIndex))
                setMDI(FButtons[btMin].ImageIndex, FButtons[btMax].ImageIndex, FButtons[btClose].ImageIndex);
        }
    }
    FTitleMaskIndex = g("TITLEBUTTON");
    if (!m->IsValidMaskIndex(FTitleMaskIndex) && m->IsValidSkinIndex(FSkinData->SkinIndex))
        FTitleMaskIndex = m->FindMaskIndex(FSkinData->SkinIndex, FSkinData->SkinSection(), "TITLEBUTTON");
    for (int i = 0; i < FTitleButtons->Count(); ++i)
        FTitleButtons->Items(i)->ImageIndex = FTitleButtons->Items(i)->UseSkinData() ? FTitleMaskIndex : -1;
}

int TzSkinProvider::TitleSectionIndex() const
{
    TzSkinManager* m = FSkinData->GetSkinManager();
    return m ? m->FindSectionIndex(FTitleSkin.empty() ? AnsiString("FORMTITLE") : UpperCase(FTitleSkin)) : -1;
}

int TzSkinProvider::MenuLineSectionIndex() const
{
    TzSkinManager* m = FSkinData->GetSkinManager();
    return m ? m->FindSectionIndex(FMenuLineSkin.empty() ? AnsiString("MENULINE") : UpperCase(FMenuLineSkin)) : -1;
}

// ---------------------------------------------------------------------------------------
// The frame's picture

bool TzSkinProvider::CacheFits() const
{
    return Cache() && Cache()->Width() == FormWidth() && Cache()->Height() == FormHeight();
}

bool TzSkinProvider::FastTitle() const
{
    TzSkinManager* m = FSkinData->GetSkinManager();
    return !FMenuChanged && m->Section(FSkinData->SkinIndex).ReservedBoolean && FTitleBG && CacheFits() &&
           FTitleBG->Width() == Cache()->Width() && CaptionHeight() > 0;
}

void TzSkinProvider::PaintAll()
{
    if (!Skinning())
        return;
    TzSkinManager* m = FSkinData->GetSkinManager();
    if (FMenuLineCount < 0)
        CountMenuLines();
    const TzFrameMetrics M = Metrics();
    if (M.Width <= 0 || M.Height <= 0)
        return;
    const bool fast = FastTitle();
    FSkinData->PrepareCache();
    TBitmap* cache = Cache();
    if (cache->Width() != M.Width || cache->Height() != M.Height)
        cache->SetSize(M.Width, M.Height);
    if (fast) {
        CopyBmpRect(cache, 0, 0, TRect(0, 0, FTitleBG->Width(), FTitleBG->Height()), FTitleBG.get());
        PaintCaption();
    } else {
        const int grip = FGripMode == gmRightBottom ? MaskIn(m, "GLOBALINFO", "GRIPIMAGE") : -1;
        PaintFormBody(cache, M, FSkinData->SectionSkin(), FFormActive, grip);
        if (m->Section(FSkinData->SkinIndex).ReservedBoolean && M.CaptionHeight > 0 &&
            (!FTitleBG || FTitleBG->Width() != M.Width)) {
            FTitleBG = CreateBmp24(M.Width, std::max(2, M.TitleHeight()));
            CopyBmpRect(FTitleBG.get(), 0, 0, TRect(0, 0, M.Width, M.TitleHeight()), cache);
        }
        if (!IsMDIChild(FForm) && FForm->BorderStyle() != bsDialog) {
            PaintMenuLine(cache, M, m, MenuLineSectionIndex(), FFormActive);
            PaintMenuLineItems(cache, M);
            PaintMDIButtons(cache, M);
        }
        PaintCaption();
        if (FMDIForm && FForm->ClientHandle()) {
            const TRect w = WindowRectOf(FForm->Handle()), c = WindowRectOf(FForm->ClientHandle());
            PaintSectionOver(cache, TRect(c.Left - w.Left, c.Top - w.Top, c.Right - w.Left, c.Bottom - w.Top), m,
                             m->FindSectionIndex("MDIAREA"), FFormActive);
        }
        FMenuChanged = false;
        if (FForm->OnPaint) {
            TSaveDCScope saved(cache->Canvas()->Handle());
            HDC dc = cache->Canvas()->Handle();
            SetViewportOrgEx(dc, M.Client.Left, M.Client.Top, nullptr);
            IntersectClipRect(dc, 0, 0, M.Client.Width(), M.Client.Height());
            TCanvasDC canvas(FForm->Canvas(), dc);
            FForm->OnPaint(FForm);
        }
    }
    FSkinData->SetBGChanged(false);
    FSkinData->SetUpdating(false);
}

void TzSkinProvider::PaintCaption()
{
    const TzFrameMetrics M = Metrics();
    TBitmap* cache = Cache();
    if (M.CaptionHeight <= 0 || !cache)
        return;
    TzSkinManager* m = FSkinData->GetSkinManager();
    const int title = TitleSectionIndex();
    const TShownButtons shown = ShownButtons(FForm);
    const bool sysButtons = shown.Close || shown.Max || shown.Min || shown.Help;
    const int bar = m->IsValidSkinIndex(title) ? m->FindMaskIndex(title, m->Section(title).ClassName, "TITLEBAR") : -1;
    PaintTitleBar(cache, M, m, title, bar, sysButtons ? ButtonsWidth() : 0, FFormActive);
    if (IconWidth() > 0 && IconHeight() > 0) {
        HICON icon = FForm->Icon() && !FForm->Icon()->Empty() ? FForm->Icon()->Handle() : AppSmallIcon;
        if (!icon)
            icon = LoadIconW(nullptr, MAKEINTRESOURCEW(32512));
        PaintTitleIcon(cache, IconRect(), FTitleIcon->Glyph(), icon);
    }
    PaintTitleButtons();
    WideString text;
    if (FForm->HandleAllocated()) {
        const int n = GetWindowTextLengthW(FForm->Handle());
        text.assign(size_t(std::max(0, n)), L'\0');
        if (n > 0)
            text.resize(size_t(GetWindowTextW(FForm->Handle(), text.data(), n + 1)));
    }
    TFont font;
    font.Assign(FForm->Font());
    font.SetStyle(font.Style() | fsBold);
    if (const int h = CaptionFontHeight())
        font.SetHeight(h);
    const int icon = IconWidth();
    PaintCaptionText(cache, CaptionTextRect(M, icon, ButtonsWidth()), text, &font, FCaptionAlignment, m, title,
                     FFormActive);
}

namespace {

// The system's title buttons in their order from the right, with their hit-test codes.
struct TTitleSlot {
    int Code;
    int Index;   // the button record, or the user button's index
    bool User;
};

} // namespace

TzTitleButtonState* TzSkinProvider::Button(int Code)
{
    switch (Code) {
    case HTMINBUTTON: return &FButtons[btMin];
    case HTMAXBUTTON: return &FButtons[btMax];
    case HTCLOSE: return &FButtons[btClose];
    case HTHELP: return &FButtons[btHelp];
    case HTMDIMIN: return &FButtons[btMDIMin];
    case HTMDIMAX: return &FButtons[btMDIMax];
    case HTMDICLOSE: return &FButtons[btMDIClose];
    default: return nullptr;
    }
}

const TzTitleButtonState* TzSkinProvider::ButtonOf(int Code) const
{
    return const_cast<TzSkinProvider*>(this)->Button(Code);
}

TzTitleButton* TzSkinProvider::UserButton(int Code) const
{
    const int i = Code - HTUSERBUTTON;
    return i >= 0 && i < FTitleButtons->Count() ? FTitleButtons->Items(i) : nullptr;
}

TRect TzSkinProvider::ItemRect(int Code) const
{
    if (const TzTitleButtonState* b = ButtonOf(Code))
        return b->Rect;
    if (TzTitleButton* u = UserButton(Code))
        return u->Rect;
    return TRect();
}

void TzSkinProvider::PaintTitleButtons()
{
    TBitmap* cache = Cache();
    if (!cache || CaptionHeight() <= 0)
        return;
    TzSkinManager* m = FSkinData->GetSkinManager();
    const TzFrameMetrics M = Metrics();
    const TShownButtons shown = ShownButtons(FForm);
    const TzSysMenuForm state = SystemMenuFormOf(FForm);
    const bool maximized = state.WindowState == wsMaximized, iconic = state.Iconic;
    const int normIcon = [&] {
        const int g = MaskIn(m, "GLOBALINFO", "BICONNORM");
        return m->IsValidMaskIndex(g) || !m->IsValidSkinIndex(FSkinData->SkinIndex)
                   ? g
                   : m->FindMaskIndex(FSkinData->SkinIndex, FSkinData->SkinSection(), "BICONNORM");
    }();
    std::vector<TTitleSlot> slots;
    if (shown.Close)
        slots.push_back({HTCLOSE, btClose, false});
    if (shown.Max)
        slots.push_back({HTMAXBUTTON, btMax, false});
    if (shown.Min)
        slots.push_back({HTMINBUTTON, btMin, false});
    if (shown.Help)
        slots.push_back({HTHELP, btHelp, false});
    for (int i = 0; i < FTitleButtons->Count(); ++i)
        slots.push_back({HTUSERBUTTON + i, i, true});
    for (int b = btMin; b <= btHelp; ++b)
        FButtons[b].Rect = TRect();
    auto maskOf = [&](const TTitleSlot& S) {
        if (S.User)
            return FTitleButtons->Items(S.Index)->ImageIndex;
        if ((S.Code == HTMAXBUTTON && maximized) || (S.Code == HTMINBUTTON && iconic))
            return normIcon;
        return FButtons[S.Index].ImageIndex;
    };
    std::vector<int> widths;
    for (const TTitleSlot& s : slots)
        widths.push_back(s.User ? UserButtonWidth(FTitleButtons->Items(s.Index)) : FrameWidthOr21(m, maskOf(s)));
    const std::vector<TRect> rects = LayoutTitleButtons(M, ButtonHeight(), m->SkinData().BISpacing, widths);
    // The title bar behind the buttons, kept to repaint one button at a time.
    FTitleStrip = rects.empty() ? TRect() : TRect(rects.back().Left, rects.back().Top, rects.front().Right, rects.front().Bottom);
    if (!FTitleStrip.IsEmpty()) {
        if (FTitleBmp->Width() != FTitleStrip.Width() || FTitleBmp->Height() != FTitleStrip.Height())
            FTitleBmp->SetSize(std::max(2, FTitleStrip.Width()), std::max(2, FTitleStrip.Height()));
        CopyBmpRect(FTitleBmp.get(), 0, 0, FTitleStrip, cache);
    }
    for (size_t i = 0; i < slots.size(); ++i) {
        const TTitleSlot& s = slots[i];
        TzTitleButtonLook look;
        look.Rect = rects[i];
        look.Mask = maskOf(s);
        look.Active = FFormActive;
        if (s.User) {
            TzTitleButton* u = FTitleButtons->Items(s.Index);
            u->Rect = rects[i];
            look.State = u->State;
            look.Enabled = u->Enabled();
            look.Glyph = u->Glyph();
        } else {
            FButtons[s.Index].Rect = rects[i];
            look.State = FButtons[s.Index].State;
            if (s.Code == HTMAXBUTTON)
                look.Enabled = SystemMenuItemState(maximized ? smiRestore : smiMaximize, state).Enabled;
            else if (s.Code == HTMINBUTTON)
                look.Enabled = iconic ? SystemMenuItemState(smiRestore, state).Enabled
                                      : SystemMenuItemState(smiMinimize, state).Enabled;
        }
        PaintTitleButton(cache, m, look);
    }
}

void TzSkinProvider::RepaintButton(int Code)
{
    if (!FForm->HandleAllocated() || !IsWindowVisible(FForm->Handle()) || ItemRect(Code).IsEmpty())
        return;
    if (FSkinData->BGChanged() || !CacheFits() || FTitleStrip.IsEmpty() || (Code >= HTMDICLOSE && Code <= HTMDIMIN)) {
        RefreshNonClient();
        return;
    }
    // The title bar behind the buttons back, the buttons over it, and only their strip to
    // the window (the maximize and minimize buttons change their looks with the form's state,
    // so they are laid out again).
    TBitmap* cache = Cache();
    CopyBmpRect(cache, FTitleStrip.Left, FTitleStrip.Top, TRect(0, 0, FTitleStrip.Width(), FTitleStrip.Height()),
                FTitleBmp.get());
    PaintTitleButtons();
    const TRect r = FTitleStrip;
    TWindowDC dc(FForm->Handle());
    BitBlt(dc.Handle(), r.Left, r.Top, r.Width(), r.Height(), cache->Canvas()->Handle(), r.Left, r.Top, SRCCOPY);
}

TzSkinProvider* TzSkinProvider::ZoomedChild() const
{
    const bool parent = FForm && FForm->FormStyle() == fsMDIForm;
    return parent && MaxChildProvider && MaxChildProvider->ZoomedChildOfParent() ? MaxChildProvider : nullptr;
}

bool TzSkinProvider::ZoomedChildOfParent() const
{
    return FForm && IsMDIChild(FForm) && FForm->HandleAllocated() && IsZoomed(FForm->Handle()) &&
           IsWindowVisible(FForm->Handle());
}

void TzSkinProvider::PaintMDIButtons(TBitmap* Cache, const TzFrameMetrics& M)
{
    for (int b : {btMDIMin, btMDIMax, btMDIClose})
        FButtons[b].Rect = TRect();
    TzSkinProvider* child = ZoomedChild();
    const TRect line = MenuLineRect(M);
    if (!child || line.IsEmpty())
        return;
    TzSkinManager* m = FSkinData->GetSkinManager();
    // The child's icon at the left of the line, its buttons at the right.
    const int icon = M.MenuHeight - 2;
    HICON childIcon = child->FForm->Icon() && !child->FForm->Icon()->Empty() ? child->FForm->Icon()->Handle()
                                                                              : AppSmallIcon;
    if (childIcon && icon > 0)
        PaintTitleIcon(Cache, TRect(line.Left + 1, line.Top + 1, line.Left + 1 + icon, line.Top + 1 + icon), nullptr,
                       childIcon);
    int norm = MaskIn(m, "GLOBALINFO", "SICONNORM");
    if (!m->IsValidMaskIndex(norm))
        norm = MaskIn(m, "GLOBALINFO", "BICONNORM");
    const int masks[] = {FButtons[btMDIClose].ImageIndex, norm, FButtons[btMDIMin].ImageIndex};
    const int which[] = {btMDIClose, btMDIMax, btMDIMin};
    const int bh = [&] {
        const int h = m->IsValidMaskIndex(masks[0]) ? int(MaskFrame(m->Mask(masks[0])).cy) : 0;
        return std::min(h > 0 ? h : 16, M.MenuHeight);
    }();
    const int top = line.Top + (M.MenuHeight - bh) / 2;
    int x = line.Right - 2;
    for (int i = 0; i < 3; ++i) {
        const int w = std::min(FrameWidthOr21(m, masks[i]), M.MenuHeight + 4);
        TzTitleButtonState& b = FButtons[which[i]];
        b.Rect = TRect(x - w, top, x, top + bh);
        TzTitleButtonLook look;
        look.Rect = b.Rect;
        look.Mask = masks[i];
        look.State = b.State;
        look.Active = FFormActive;
        PaintTitleButton(Cache, m, look);
        x -= w + m->SkinData().BISpacing;
    }
}

void TzSkinProvider::PaintMenuLineItems(TBitmap* Cache, const TzFrameMetrics& M)
{
    TMainMenu* menu = FForm->Menu();
    if (!menu || M.MenuLines <= 0 || !FForm->HandleAllocated() || GetMenu(FForm->Handle()) != menu->Handle())
        return;
    TzSkinManager* m = FSkinData->GetSkinManager();
    const TRect w = WindowRectOf(FForm->Handle());
    // The system puts a maximized MDI child's system menu before the bar's own items.
    int visible = 0;
    for (int i = 0; i < menu->Items()->Count(); ++i)
        visible += menu->Items()->Items(i)->Visible() ? 1 : 0;
    const int shift = ZoomedChild() && GetMenuItemCount(menu->Handle()) > visible ? 1 : 0;
    BOOL underlines = FALSE;
    SystemParametersInfoW(SPI_GETKEYBOARDCUES, 0, &underlines, 0);
    const int itemSection = m->FindSectionIndex("MENUITEM"), lineSection = MenuLineSectionIndex();
    for (int i = 0; i < menu->Items()->Count(); ++i) {
        TMenuItem* item = menu->Items()->Items(i);
        const int pos = item->NativeIndex();
        RECT r{};
        if (!item->Visible() || pos < 0 || !GetMenuItemRect(FForm->Handle(), menu->Handle(), UINT(pos + shift), &r))
            continue;
        const TRect at(r.left - w.Left, r.top - w.Top, r.right - w.Left, r.bottom - w.Top);
        if (item->OnAdvancedDrawItem) {
            TSaveDCScope saved(Cache->Canvas()->Handle());
            item->OnAdvancedDrawItem(item, Cache->Canvas(), at, 0);
        } else {
            PaintMenuBarItem(Cache, at, GetMenuItemWideCaption(item), Screen ? Screen->MenuFont() : nullptr, m,
                             itemSection, lineSection, false, item->Enabled(), !underlines);
        }
    }
}

bool TzSkinProvider::DrawMenuBarItem(const DRAWITEMSTRUCT& Draw)
{
    TMainMenu* menu = FForm->Menu();
    TMenuItem* item = menu ? menu->FindItem(Draw.itemID, fkCommand) : nullptr;
    if (!item || !item->IsTopLevelMainMenuItem() || item->OnAdvancedDrawItem || item->OnDrawItem || !Draw.hDC)
        return false;
    if (FSkinData->BGChanged() || !CacheFits())
        PaintAll();
    const TRect r(Draw.rcItem.left, Draw.rcItem.top, Draw.rcItem.right, Draw.rcItem.bottom);
    if (r.Width() < 1 || r.Height() < 1 || !Cache())
        return true;
    // The item over the menu line's picture, in a bitmap of its own size.
    auto bmp = CreateBmp24(std::max(2, r.Width()), std::max(2, r.Height()));
    CopyBmpRect(bmp.get(), 0, 0, r, Cache());
    TzSkinManager* m = FSkinData->GetSkinManager();
    PaintMenuBarItem(bmp.get(), TRect(0, 0, r.Width(), r.Height()), GetMenuItemWideCaption(item),
                     Screen ? Screen->MenuFont() : nullptr, m, m->FindSectionIndex("MENUITEM"), MenuLineSectionIndex(),
                     (Draw.itemState & (ODS_SELECTED | ODS_HOTLIGHT)) != 0,
                     !(Draw.itemState & (ODS_GRAYED | ODS_DISABLED)), (Draw.itemState & ODS_NOACCEL) != 0);
    BitBlt(Draw.hDC, r.Left, r.Top, r.Width(), r.Height(), bmp->Canvas()->Handle(), 0, 0, SRCCOPY);
    return true;
}

// ---------------------------------------------------------------------------------------
// To the window

void TzSkinProvider::PaintFormNC(HDC DC)
{
    if (FSkinData->BGChanged() || !CacheFits())
        PaintAll();
    TBitmap* cache = Cache();
    if (!cache || !DC || !CacheFits())
        return;
    const TRect c = ClientRectInWindow();
    const int w = cache->Width(), h = cache->Height();
    HDC src = cache->Canvas()->Handle();
    BitBlt(DC, 0, 0, w, c.Top, src, 0, 0, SRCCOPY);
    BitBlt(DC, 0, c.Top, c.Left, c.Height(), src, 0, c.Top, SRCCOPY);
    BitBlt(DC, c.Right, c.Top, w - c.Right, c.Height(), src, c.Right, c.Top, SRCCOPY);
    BitBlt(DC, 0, c.Bottom, w, h - c.Bottom, src, 0, c.Bottom, SRCCOPY);
}

void TzSkinProvider::PaintClient(HDC DC, bool Notify)
{
    if (!DC || !Skinning())
        return;
    const TRect client = ClientRectInWindow();
    if (TControl* child = FSkinData->PaintingChild) {
        // One control without a window of an MDI parent, over the form's picture.
        if (child->Parent() != FForm || !Cache())
            return;
        const TRect b = child->BoundsRect();
        TSaveDCScope saved(DC);
        SetWindowOrgEx(DC, -b.Left, -b.Top, nullptr);
        IntersectClipRect(DC, 0, 0, b.Width(), b.Height());
        if (child->ControlStyle() & csOpaque) {
            child->Perform(WM_PAINT, reinterpret_cast<WPARAM>(DC), 0);
            return;
        }
        auto bmp = CreateBmp24(std::max(2, b.Width()), std::max(2, b.Height()));
        CopyBmpRect(bmp.get(), 0, 0, TRect(client.Left + b.Left, client.Top + b.Top, client.Left + b.Right,
                                           client.Top + b.Bottom), Cache());
        child->Perform(WM_PAINT, reinterpret_cast<WPARAM>(bmp->Canvas()->Handle()), 0);
        BitBlt(DC, 0, 0, b.Width(), b.Height(), bmp->Canvas()->Handle(), 0, 0, SRCCOPY);
        return;
    }
    if (FSkinData->BGChanged() && !FSkinData->SeeThrough())
        PaintAll();
    if (FForm->FormStyle() != fsMDIForm && Cache()) {
        BlitCacheToDC(FForm, FSkinData.get(), TPoint(client.Left, client.Top), 0, 0, false, DC,
                      TRect(0, 0, client.Width(), client.Height()));
        PaintGraphicChildren(FForm, DC, TPoint(0, 0));
    }
    if (Notify) {
        SendEndParentUpdate(FForm);
        if (FAdapter)
            FAdapter->BroadcastToItems(TMessage{SM_SKINCMD, SkinCommandWParam(SKCMD_ENDPARENTUPDATE), 0, 0});
    }
}

void TzSkinProvider::PrintFrame(HDC DC)
{
    if (FSkinData->BGChanged() || !CacheFits())
        PaintAll();
    TBitmap* cache = Cache();
    if (!cache || !CacheFits())
        return;
    const TRect c = ClientRectInWindow();
    // The frame, the client area left out.
    TSaveDCScope saved(DC);
    ExcludeClipRect(DC, c.Left, c.Top, c.Right, c.Bottom);
    BitBlt(DC, 0, 0, cache->Width(), cache->Height(), cache->Canvas()->Handle(), 0, 0, SRCCOPY);
}

void TzSkinProvider::RefreshNonClient()
{
    if (!FForm)
        return;
    FSkinData->SetBGChanged(true);
    FMenuChanged = true;
    FMenuLineCount = -1;
    FRgnChanged = true;
    if (FForm->HandleAllocated() && IsWindowVisible(FForm->Handle()))
        SendMessageW(FForm->Handle(), WM_NCPAINT, 1, 0);
}

// ---------------------------------------------------------------------------------------
// The region

void TzSkinProvider::UpdateRegion()
{
    if (FInMenuLoop || !HasBorder() || !FForm->HandleAllocated() || !Skinning())
        return;
    TzSkinManager* m = FSkinData->GetSkinManager();
    const TzFrameMetrics M = Metrics();
    const TzMaskData* form = m->IsValidMaskIndex(FSkinData->BorderIndex) ? &m->Mask(FSkinData->BorderIndex) : nullptr;
    const TzMaskData* title = nullptr;
    if (const int t = TitleSectionIndex(); m->IsValidSkinIndex(t) && M.CaptionHeight > 0) {
        const int k = m->FindMaskIndexExact(m->Section(t).ClassName, "BORDERSMASK");
        if (m->IsValidMaskIndex(k))
            title = &m->Mask(k);
    }
    const std::vector<TRect> cuts = FrameRegionCuts(M, form, title);
    HWND wnd = FForm->Handle();
    const BOOL redraw = IsWindowVisible(wnd) && !SkinChangeRunning();
    // Both marks go together: the region set makes the frame paint again, and a frame paint
    // that still found the region changed would set it again, for ever.
    FRgnSetting = true;
    TScopeExit done([this] {
        FRgnSetting = false;
        FRgnChanged = false;
    });
    if (cuts.empty()) {
        SetWindowRgn(wnd, nullptr, redraw);
        return;
    }
    TGdiObject<HRGN> rgn(CreateRectRgn(0, 0, M.Width, M.Height));
    for (const TRect& cut : cuts) {
        TGdiObject<HRGN> piece(CreateRectRgn(cut.Left, cut.Top, cut.Right, cut.Bottom));
        CombineRgn(rgn.Handle(), rgn.Handle(), piece.Handle(), RGN_DIFF);
    }
    // The system owns the region from here on.
    if (SetWindowRgn(wnd, rgn.Handle(), redraw))
        rgn.Release();
}
