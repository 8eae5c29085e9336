#include "skinctl/zpanel.h"

#include "classlib/gdihandles.h"
#include "skin/zsectionpaint.h"
#include "skin/zskinmanager.h"
#include "skin/zskinpaint.h"
#include "skin/zskintextpaint.h"

Z_CLASS_IMPL(TzPanel, TUcPanel, Z_PROP_OBJ(TzPanel, SkinData))

TzPanel::TzPanel(TComponent* AOwner) : TUcPanel(AOwner), FSkinData(MakeSkinData(this, ctPanel, true))
{
    SetControlStyle(ControlStyle() | csOpaque);
}

TzPanel::~TzPanel()
{
    FSkinData.reset();
}

void TzPanel::AfterConstruction()
{
    TUcPanel::AfterConstruction();
    FSkinData->Loaded();
}

void TzPanel::Loaded()
{
    TUcPanel::Loaded();
    FSkinData->Loaded();
}

// Painting ----------------------------------------------------------------------------------

TRect TzPanel::CaptionArea() const
{
    auto bevel = [this](TBevelCut Cut) { return Cut == bvNone ? 0 : BevelWidth(); };
    const int inset = bevel(BevelOuter()) + BorderWidth() + bevel(BevelInner());
    return TRect(inset, inset, Width() - inset, Height() - inset);
}

void TzPanel::PaintCaption(TCanvas* Canvas)
{
    const WideString caption = Caption();
    if (caption.empty())
        return;
    Canvas->SetFont(Font());
    Canvas->Brush()->SetStyle(bsClear);
    const TRect area = CaptionArea();
    // One line, centred from top to bottom by the height of a capital.
    const int h = Canvas->TextHeight("W");
    const int top = (area.Top + area.Bottom - h) / 2;
    const UINT flags = (AlignmentToTextFlags(this, Alignment()) & ~UINT(DT_VCENTER)) | DT_SINGLELINE | DT_NOPREFIX;
    DrawSkinTextW(FSkinData.get(), Canvas, caption, TextFlags(Enabled(), false), flags,
                  TRect(area.Left, top, area.Right, top + h));
}

void TzPanel::PaintControl()
{
    TzCommonData* sd = FSkinData.get();
    sd->PrepareCache();
    if (Width() < 1 || Height() < 1)
        return;
    TBitmap* cache = sd->CacheBmp();
    PaintSkinSection(sd->SectionSkin(), sd->Backdrop(), bfFillCentre | bfKeysShowParent, cache, TPoint(Left(), Top()),
                     TRect(0, 0, Width(), Height()), psNormal);
    PaintCaption(cache->Canvas());
    FillAllCornersFromParent(sd);
    sd->SetBGChanged(false);
    if (OnPaint)
        OnPaint(this, cache->Canvas());
}

void TzPanel::PaintToDC(HDC DC, bool SendUpdate)
{
    TzCommonData* sd = FSkinData.get();
    if (IsDestroying() || !sd->Skinned() || WaitsForParent(sd))
        return;
    if (!DC)
        DC = Canvas()->Handle();
    const bool changed = sd->OutOfClip() || sd->BGChanged();
    // Over the parent's picture, a paint cut by a clip may have missed part of it: the
    // next paint makes the picture again.
    if (sd->NeedsParentImage()) {
        RECT clip{};
        GetClipBox(DC, &clip);
        sd->SetOutOfClip(clip.left != 0 || clip.top != 0 || clip.right != Width() || clip.bottom != Height());
    } else {
        sd->SetOutOfClip(false);
    }
    if (changed && !sd->SeeThrough())
        PaintControl();
    BlitCacheToDC(this, sd, TPoint(0, 0), 0, 0, false, DC, TRect(0, 0, Width(), Height()));
    PaintGraphicChildren(this, DC, TPoint(0, 0));
    if (SendUpdate)
        SendEndParentUpdate(this);
}

void TzPanel::Paint()
{
    if (FSkinData->Skinned()) {
        PaintToDC(Canvas()->Handle(), true);
        return;
    }
    // A visible panel being loaded paints as it is; the program's painting waits for it.
    if (OnPaint && !(IsLoading() && Visible()))
        OnPaint(this, Canvas());
    else
        TUcPanel::Paint();
}

// The window procedure ----------------------------------------------------------------------

bool TzPanel::PreviewMessage(TMessage& Message)
{
    return PreviewContainerCommand(this, FSkinData.get(), Message, [this] { PaintControl(); });
}

void TzPanel::ParentUpdateEnded()
{
    if (Visible() || IsDesigning())
        Repaint();
}

bool TzPanel::SkinnedBefore(TMessage& Message)
{
    switch (Message.Msg) {
    case WM_PAINT:
        if (const HDC given = TWMPaint(Message).DC) {
            PaintToDC(given, false);
        } else {
            TPaintDC dc(WindowHandle());
            PaintToDC(dc.Handle(), true);
        }
        Message.Result = 0;
        return true;
    case WM_PRINT:
        FSkinData->SetUpdating(false);
        PaintToDC(TWMPaint(Message).DC, false);
        return true;
    case WM_ERASEBKGND:
        Message.Result = 1;
        return true;
    case CM_INVALIDATE:
        // The panel's own (not a child's): whatever changed shows in the picture.
        if (Message.WParam == 0)
            FSkinData->SetBGChanged(true);
        return false;
    case WM_SETFONT:
    case CM_FONTCHANGED:
    case CM_TEXTCHANGED:
        FSkinData->Invalidate();
        return false;
    default:
        return SwallowBeforeInherited(FSkinData.get(), Message);
    }
}

void TzPanel::AfterMessage(TMessage& Message)
{
    if (Message.Msg != CM_MOUSEENTER && Message.Msg != CM_MOUSELEAVE)
        return;
    if (TNotifyEvent& event = Message.Msg == CM_MOUSEENTER ? OnMouseEnter : OnMouseLeave)
        event(this);
}
