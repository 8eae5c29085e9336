#include "skinctl/zstatusbar.h"

#include "classlib/gdihandles.h"
#include "skin/zgraphics.h"
#include "skin/zsectionpaint.h"
#include "skin/zskinmanager.h"
#include "skin/zskinpaint.h"
#include "skin/zskintextpaint.h"

#include <algorithm>

Z_CLASS_IMPL(TzStatusBar, TUcStatusBar, Z_PROP_OBJ(TzStatusBar, SkinData))

// ---------------------------------------------------------------------------------------
// The painter

std::vector<TRect> StatusPanelRects(const TzStatusBarLook& Look, int Width, int Height)
{
    if (Look.SimplePanel)
        return {TRect(0, 1, Width - 1, Height - 1)};
    std::vector<TRect> rects;
    int x = 0;
    for (size_t i = 0; i < Look.Panels.size(); ++i) {
        const bool last = i + 1 == Look.Panels.size();
        const int right = last ? Width : x + Look.Panels[i].Width + 1;
        rects.emplace_back(x + 1, 1, right - 1, Height - 1);
        x += Look.Panels[i].Width + 1;
    }
    return rects;
}

namespace {

// The dividers between panels: the "DIVIDER" section painted over the bar's own picture in
// a strip one pixel narrower than its border is wide, at each panel's right edge but the
// last one's.
void PaintDividers(TBitmap* Bmp, TzSkinManager* M, const std::vector<TRect>& Panels)
{
    const int divider = M->FindSectionIndex("DIVIDER");
    const int border = M->IsValidSkinIndex(divider) ? M->FindMaskIndex(divider, "DIVIDER", "BORDERSMASK") : -1;
    if (!M->IsValidMaskIndex(border) || Panels.size() < 2)
        return;
    const int w = MaskFrame(M->Mask(border)).cx - 1, h = Bmp->Height() - 2;
    if (w < 1 || h < 1)
        return;
    auto strip = CreateBmp24(w, h);
    for (size_t i = 0; i + 1 < Panels.size(); ++i) {
        const int x = Panels[i].Right - w;
        CopyBmpRect(strip.get(), 0, 0, TRect(x, 1, x + w, 1 + h), Bmp);
        PaintSectionByIndex(divider, M, strip.get(), TzBackdrop(MakeCacheInfo(strip.get(), 0, 0)), TRect(0, 0, w, h),
                            psNormal, true);
        CopyBmpRect(Bmp, x, 1, TRect(0, 0, w, h), strip.get());
    }
}

UINT PanelTextFormat(TAlignment Alignment, bool RightToLeft)
{
    UINT format = Alignment == taCenter ? DT_CENTER : Alignment == taRightJustify ? DT_RIGHT : DT_LEFT;
    if (RightToLeft) {
        if (format == DT_LEFT)
            format = DT_RIGHT;
        else if (format == DT_RIGHT)
            format = DT_LEFT;
        format |= DT_RTLREADING;
    }
    return format | DT_WORD_ELLIPSIS | DT_SINGLELINE | DT_VCENTER;
}

// The skin's grip: the global section's, else the form's.
const TzMaskData* GripMask(TzSkinManager* M)
{
    int i = M->FindMaskIndexExact("GLOBALINFO", "GRIPIMAGE");
    if (!M->IsValidMaskIndex(i))
        i = M->FindMaskIndexExact("FORM", "GRIPIMAGE");
    return M->IsValidMaskIndex(i) ? &M->Mask(i) : nullptr;
}

} // namespace

void PaintStatusBar(TBitmap* Bmp, const TzSectionSkin& Skin, const TzBackdrop& Behind, const TzStatusBarLook& Look)
{
    TzSkinManager* m = Skin.Manager;
    if (!m || !m->IsValidSkinIndex(Skin.Section) || !PaintableBitmap(Bmp))
        return;
    const int w = Bmp->Width(), h = Bmp->Height();
    PaintSkinSection(Skin, Behind, bfFillCentre | bfKeysShowParent, Bmp, TPoint(), TRect(0, 0, w, h), psNormal);
    const std::vector<TRect> panels = StatusPanelRects(Look, w, h);
    const int frame = m->FindMaskIndex(Skin.Section, m->Section(Skin.Section).ClassName, "STATUSPANELMASK");
    if (m->IsValidMaskIndex(frame)) {
        const TzBackdrop own(MakeCacheInfo(Bmp, 0, 0), Behind.Color);
        for (const TRect& r : Look.SimplePanel ? std::vector<TRect>{TRect(0, 0, w, h)} : panels)
            DrawSkinRect(Bmp, r, bfFillCentre, psNormal, m->Mask(frame), own);
    } else if (!Look.SimplePanel) {
        PaintDividers(Bmp, m, panels);
    }
    TCanvas* cv = Bmp->Canvas();
    if (Look.Font)
        cv->SetFont(Look.Font);
    for (size_t i = 0; i < panels.size(); ++i) {
        const bool simple = Look.SimplePanel;
        if (!simple && Look.Panels[i].OwnerDraw)
            continue;
        const WideString& text = simple ? Look.SimpleText : Look.Panels[i].Text;
        const TRect r(panels[i].Left + 2, panels[i].Top, panels[i].Right - 4, panels[i].Bottom - 1);
        if (r.Width() > 0)
            DrawSectionTextW(cv, text, TextFlags(true, Look.Hot), m, Skin.Section,
                             PanelTextFormat(simple ? taLeftJustify : Look.Panels[i].Alignment, Look.RightToLeft), r);
    }
    if (const TzMaskData* grip = Look.SizeGrip ? GripMask(m) : nullptr) {
        const TSize f = MaskFrame(*grip);
        DrawSkinGlyph(Bmp, TPoint(w - f.cx - Look.BorderWidth, h - f.cy - Look.BorderWidth), psNormal, *grip, 1);
    }
}

// ---------------------------------------------------------------------------------------
// TzStatusBar

TzStatusBar::TzStatusBar(TComponent* AOwner) : TUcStatusBar(AOwner), FSkinData(MakeSkinData(this, ctStatusBar, true))
{
    SetControlStyle(ControlStyle() | csAcceptsControls | csOpaque);
}

TzStatusBar::~TzStatusBar()
{
    FSkinData.reset();
}

void TzStatusBar::AfterConstruction()
{
    TUcStatusBar::AfterConstruction();
    FSkinData->Loaded();
}

void TzStatusBar::Loaded()
{
    TUcStatusBar::Loaded();
    FSkinData->Loaded();
}

TzStatusBarLook TzStatusBar::Look()
{
    TzStatusBarLook look;
    TStatusPanels* panels = TCustomStatusBar::Panels();
    for (int i = 0; i < panels->Count(); ++i) {
        TStatusPanel* p = panels->Items(i);
        auto* wide = dynamic_cast<TUcStatusPanel*>(p);
        look.Panels.push_back({wide ? wide->Text() : AnsiToWide(p->Text()), p->Width(), p->Alignment(),
                               p->Style() == psOwnerDraw && bool(OnDrawPanel)});
    }
    look.SimplePanel = SimplePanel();
    look.SimpleText = SimpleText();
    look.SizeGrip = SizeGrip();
    look.BorderWidth = BorderWidth();
    look.Hot = IsControlActive(FSkinData.get());
    look.RightToLeft = UseRightToLeftReading();
    look.Font = Font();
    return look;
}

void TzStatusBar::PaintControl()
{
    TzCommonData* sd = FSkinData.get();
    bool changed = sd->BGChanged() || sd->OutOfClip() || sd->AskParent(SKCMD_ISOUTOFCLIP);
    // A bar reaching out of its parent's client area missed part of the parent's picture.
    if (TWinControl* parent = Parent()) {
        const TRect client = parent->ClientRect();
        sd->SetOutOfClip(!client.Contains(TPoint(Left(), Top())) ||
                         !client.Contains(TPoint(Left() + Width() - 1, Top() + Height() - 1)));
    }
    if (!changed)
        return;
    sd->PrepareCache();
    TBitmap* cache = sd->CacheBmp();
    const TzStatusBarLook look = Look();
    PaintStatusBar(cache, sd->SectionSkin(), sd->Backdrop().Moved(Left(), Top()), look);
    sd->SetBGChanged(false);
    // The program draws its panels on the bar's picture, through the bar's canvas.
    const std::vector<TRect> panels = StatusPanelRects(look, cache->Width(), cache->Height());
    for (size_t i = 0; i < look.Panels.size() && !look.SimplePanel; ++i)
        if (look.Panels[i].OwnerDraw) {
            TCanvasDC lent(Canvas(), cache->Canvas()->Handle());
            Canvas()->SetFont(Font());
            DrawPanel(TCustomStatusBar::Panels()->Items(static_cast<int>(i)), panels[i]);
        }
}

void TzStatusBar::PaintTo(HDC DC, bool OwnWindow)
{
    TzCommonData* sd = FSkinData.get();
    if (!DC || IsDestroying() || WaitsForParent(sd))
        return;
    PaintControl();
    BlitCacheToDC(this, sd, TPoint(0, 0), 0, 0, false, DC, TRect(0, 0, Width(), Height()));
    PaintGraphicChildren(this, DC, TPoint(0, 0));
    if (OwnWindow)
        SendEndParentUpdate(this);
}

void TzStatusBar::SkinChanged(TWMSkinCommand& Command)
{
    FSkinData->SetBGChanged(true);
    TzSkinnedControl::SkinChanged(Command);
}

bool TzStatusBar::SkinnedBefore(TMessage& Message)
{
    switch (Message.Msg) {
    case WM_PAINT:
        PaintPaintMessage(this, Message, [this](HDC DC, bool OwnWindow) { PaintTo(DC, OwnWindow); });
        return true;
    case WM_PRINT:
    case WM_PRINTCLIENT:
        PaintTo(TWMPaint(Message).DC, false);
        Message.Result = 0;
        return true;
    case WM_ERASEBKGND:
        Message.Result = 1;
        return true;
    case WM_MOVE:
        // Only a see-through section shows a new place.
        if (FSkinData->HasTransparency())
            FSkinData->SetBGChanged(true);
        return false;
    case WM_SIZE:
        FSkinData->SetBGChanged(true);
        return false;
    default:
        return TzSkinnedControl::SkinnedBefore(Message);
    }
}

void TzStatusBar::SkinnedAfter(TMessage& Message)
{
    switch (Message.Msg) {
    // What the bar shows changed; a question (SB_GETRECT ...) changes nothing.
    case SB_SETTEXTA:
    case SB_SETTEXTW:
    case SB_SETPARTS:
    case SB_SIMPLE:
    case SB_SETMINHEIGHT:
    case SB_SETICON:
    case WM_SETFONT:
    case CM_FONTCHANGED:
    case CM_BIDIMODECHANGED:
        FSkinData->Invalidate();
        break;
    default:
        TzSkinnedControl::SkinnedAfter(Message);
        break;
    }
}
