#include "skinctl/zgroupbox.h"

#include "classlib/gdihandles.h"
#include "skin/zgraphics.h"
#include "skin/zsectionpaint.h"
#include "skin/zskinmanager.h"
#include "skin/zskinpaint.h"
#include "skin/zskintextpaint.h"
#include "skinctl/zskinctl.h"

#include <algorithm>

namespace {

const char* const CaptionLayoutNames[] = {"clTopLeft", "clTopCenter", "clTopRight"};

// The parent's colour, without leaving it behind for the painters that come next.
TColor ParentColorOf(TControl* Control)
{
    TWinControl* parent = Control->Parent();
    if (!parent)
        return ColorToRGB(Control->Color());
    const TColor c = QueryParentColor(parent);
    SharedParentColor = SkinKeyColor;
    return c;
}

} // namespace

Z_CLASS_IMPL(TzGroupBox, TUcGroupBox, Z_PROP_ENUM(TzGroupBox, CaptionLayout, CaptionLayoutNames, TzGroupBox::clTopLeft),
             Z_PROP_INT(TzGroupBox, CaptionYOffset, 0), Z_PROP_OBJ(TzGroupBox, SkinData),
             Z_PROP_STR(TzGroupBox, CaptionSkin))

TzGroupBox::TzGroupBox(TComponent* AOwner)
    : TUcGroupBox(AOwner), FSkinData(MakeSkinData(this, ctGroupBox, true))
{
    SetControlStyle(ControlStyle() & ~csOpaque);
}

TzGroupBox::~TzGroupBox()
{
    FSkinData.reset();
}

void TzGroupBox::AfterConstruction()
{
    TUcGroupBox::AfterConstruction();
    FSkinData->Loaded();
}

void TzGroupBox::Loaded()
{
    TUcGroupBox::Loaded();
    FSkinData->Loaded();
}

void TzGroupBox::AdjustClientRect(TRect& Rect)
{
    TUcGroupBox::AdjustClientRect(Rect);
    if (!IsDestroying())
        Rect.Top += FCaptionYOffset;
}

// Properties --------------------------------------------------------------------------------

void TzGroupBox::SetCaptionLayout(TzCaptionLayout Value)
{
    if (StoreChanged(FCaptionLayout, Value))
        InvalidateCaption();
}

void TzGroupBox::SetCaptionYOffset(int Value)
{
    if (!StoreChanged(FCaptionYOffset, Value))
        return;
    FSkinData->Invalidate();
    Realign();
}

void TzGroupBox::SetCaptionSkin(const AnsiString& Value)
{
    if (StoreChanged(FCaptionSkin, UpperCase(Value)))
        FSkinData->Invalidate();
}

void TzGroupBox::InvalidateCaption()
{
    if (!Caption().empty())
        FSkinData->Invalidate();
}

// Painting ----------------------------------------------------------------------------------

int TzGroupBox::CaptionHeight()
{
    FSkinData->PrepareCache();
    TCanvas* c = FSkinData->CacheBmp()->Canvas();
    c->SetFont(Font());
    return std::max(4, c->TextHeight("W")) + 2;
}

TRect TzGroupBox::CaptionRect()
{
    const int h = CaptionHeight();
    TRect r(0, 0, 0, h);
    if (FSkinData->Skinned()) {
        r.Top = std::min(FCaptionYOffset, 0);
        r.Bottom = h + FCaptionYOffset;
    }
    const int text = GetWideTextSize(FSkinData->CacheBmp()->Canvas(), Caption()).cx;
    const int w = Width();
    switch (FCaptionLayout) {
    case clTopLeft: r.Left = 6; break;
    case clTopCenter: r.Left = (w - text - 4 - 6) / 2; break;
    case clTopRight: r.Left = w - text - 14; break;
    }
    r.Left = std::max(r.Left, 0);
    r.Right = std::min(r.Left + text + 8, w);
    if (r.Width() < 2 * BevelWidth()) {
        r.Left -= BevelWidth();
        r.Right += BevelWidth();
    }
    return r;
}

void TzGroupBox::PaintCaption(const TzCacheInfo& Parent, const TRect& R)
{
    TzCommonData* sd = FSkinData.get();
    TzSkinManager* m = sd->GetSkinManager();
    TBitmap* cache = sd->CacheBmp();
    // A strip lifted above the box is cut where the box ends.
    const TRect box(0, 0, Width(), Height());
    TRect d;
    IntersectRect(d.Win(), R.Win(), box.Win());
    const int state = Focused() ? 1 : 0;
    if (!FCaptionSkin.empty()) {
        // A section of the program's choice stands on the box's own picture.
        PaintSectionByIndex(m->FindSectionIndex(FCaptionSkin), m, cache, MakeCacheInfo(cache, 0, 0), d,
                            TzPaintState(state), true);
    } else if (Parent.Ready || !this->Parent()) {
        const TzCacheInfo under{Parent.Bmp, Parent.X + Left(), Parent.Y + Top(), Parent.Ready};
        PaintSectionByIndex(m->FindSectionIndex("CHECKBOX"), m, cache, under, d, TzPaintState(state), true);
    } else {
        FillDC(cache->Canvas()->Handle(), d, ParentColorOf(this));
    }
    DrawSkinTextW(sd, cache->Canvas(), Caption(), TextFlags(Enabled(), false), DT_CENTER | DT_VCENTER | DT_SINGLELINE, R);
}

void TzGroupBox::PaintControl()
{
    TzCommonData* sd = FSkinData.get();
    sd->PrepareCache();
    const int w = Width(), h = Height();
    if (w < 2 || h < 2)
        return;
    TBitmap* cache = sd->CacheBmp();
    const TzCacheInfo parent = QueryParentCache(sd);
    const int ch = CaptionHeight();
    const TRect caption = CaptionRect();
    // Along the caption strip the box shows what lies behind it.
    const TRect strip(0, 0, w, std::min(ch, h));
    if (parent.Ready)
        BitBlt(cache->Canvas()->Handle(), 0, 0, strip.Width(), strip.Height(), parent.Bmp->Canvas()->Handle(),
               parent.X + Left(), parent.Y + Top(), SRCCOPY);
    else
        FillDC(cache->Canvas()->Handle(), strip, ParentColorOf(this));
    const int bodyTop = FCaptionYOffset < 0 ? 0 : ch / 2;
    PaintSkinSection(sd->SectionSkin(), sd->BackdropOver(parent), bfFillCentre | bfKeysShowParent, cache,
                     TPoint(Left(), Top()), TRect(0, bodyTop, w, h), psNormal);
    if (!Caption().empty())
        PaintCaption(parent, caption);
    FillAllCornersFromParent(sd);
    sd->SetBGChanged(false);
}

void TzGroupBox::PaintTo(HDC DC, bool OwnWindow)
{
    TzCommonData* sd = FSkinData.get();
    if (!DC || IsDestroying() || (!Visible() && !IsDesigning()))
        return;
    if (WaitsForParent(sd))
        return;
    // Over the parent's picture, a box that reaches out of the parent's client area may have
    // missed part of the last picture: it is painted again each time.
    if (sd->NeedsParentImage() && Parent()) {
        const TRect client = Parent()->ClientRect();
        const TRect inner(Left() + 1, Top() + 1, Left() + Width() - 1, Top() + Height() - 1);
        sd->SetOutOfClip(!(client.Contains(inner.TopLeft()) && client.Contains(TPoint(inner.Right - 1, inner.Bottom - 1))));
    } else {
        sd->SetOutOfClip(false);
    }
    // A see-through box has its picture painted when it is told (SKCMD_SETSEETHROUGH).
    if ((sd->OutOfClip() || sd->BGChanged()) && !sd->SeeThrough())
        PaintControl();
    BlitCacheToDC(this, sd, TPoint(0, 0), 0, 0, false, DC, TRect(0, 0, Width(), Height()));
    PaintGraphicChildren(this, DC, TPoint(0, 0));
    if (OwnWindow)
        SendEndParentUpdate(this);
}

void TzGroupBox::Paint()
{
    if (!FSkinData->Skinned()) {
        TUcGroupBox::Paint();
        return;
    }
    PaintTo(Canvas()->Handle(), true);
}

void TzGroupBox::WMPaint(TMessage& Message)
{
    // The graphic children are painted over the box's picture here, not by the platform's
    // painting after it.
    PaintPaintMessage(this, Message, [this](HDC DC, bool OwnWindow) { PaintTo(DC, OwnWindow); });
}

// The window procedure ----------------------------------------------------------------------

bool TzGroupBox::PreviewMessage(TMessage& Message)
{
    return PreviewContainerCommand(this, FSkinData.get(), Message, [this] { PaintControl(); });
}

void TzGroupBox::ParentUpdateEnded()
{
    if (Visible() || IsDesigning())
        Repaint();
}

bool TzGroupBox::SkinnedBefore(TMessage& Message)
{
    switch (Message.Msg) {
    case WM_PAINT:
        WMPaint(Message);
        return true;
    case WM_PRINT:
        FSkinData->SetUpdating(false);
        PaintTo(TWMPaint(Message).DC, false);
        return true;
    case WM_ERASEBKGND:
        Message.Result = 1;
        return true;
    case CM_TEXTCHANGED:
        FSkinData->Invalidate();
        return true;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        TUcGroupBox::WndProc(Message);
        return true;
    case CM_VISIBLECHANGED:
    case WM_WINDOWPOSCHANGED:
    case WM_MOVE:
        FSkinData->SetBGChanged(true);
        return false;
    default:
        return false;
    }
}

void TzGroupBox::SkinnedAfter(TMessage& Message)
{
    if (Message.Msg == WM_SIZE && IsDesigning())
        Repaint();
}

void TzGroupBox::AfterMessage(TMessage& Message)
{
    if (Message.Msg == CM_FONTCHANGED)
        InvalidateCaption();
}
