// The painters' entry points for a control: its skin data's records and its parent's answers,
// asked once through the skin data, handed to the painters, which read nothing else.
#include "classlib/controls.h"
#include "skin/zcommondata.h"
#include "skin/zcontrolutils.h"
#include "skin/zsectionpaint.h"
#include "skin/zskinmanager.h"
#include "skin/zskinpaint.h"
#include "skin/zskintextpaint.h"

namespace {

TzSectionSkin SkinOf(const TzCommonData* SkinData, TColor CustomColor)
{
    TzSectionSkin s = SkinData->SectionSkin();
    if (CustomColor != SkinKeyColor)
        s.OwnColor = CustomColor;
    return s;
}

} // namespace

void PaintSkinSection(TzCommonData* SkinData, const TzCacheInfo& Parent, TzBorderFlags Flags, TColor CustomColor,
                      TBitmap* Bmp, TPoint Offset, const TRect& D, TzPaintState State)
{
    if (SkinData && SkinData->GetSkinManager())
        PaintSkinSection(SkinOf(SkinData, CustomColor), SkinData->BackdropOver(Parent), Flags, Bmp, Offset, D, State);
}

void PaintSectionBackground(TzCommonData* SkinData, const TzCacheInfo& Parent, TzPaintState State, TColor Color,
                            TBitmap* Bmp, TPoint Offset, const TRect& D)
{
    if (SkinData)
        PaintSectionBackground(SkinOf(SkinData, Color), SkinData->BackdropOver(Parent), State, Bmp, Offset, D);
}

void FillCornersFromParent(TzCommonData* SkinData, TzCorners Corners)
{
    TBitmap* cache = SkinData ? SkinData->CacheBmp() : nullptr;
    TzSkinManager* m = SkinData ? SkinData->GetSkinManager() : nullptr;
    if (!cache || !m || !m->IsValidMaskIndex(SkinData->BorderIndex))
        return;
    const TzMaskData& border = m->Mask(SkinData->BorderIndex);
    // The parent is asked only when a corner shows the key.
    if (!CornersShowKey(cache, border, Corners))
        return;
    TControl* owner = SkinData->OwnerControl();
    TzBackdrop behind(QueryParentCache(SkinData));
    if (!behind.Picture.Ready)
        behind.Color = SkinData->ParentColor();
    // The parent gives its picture's origin; the control lies at its position in it.
    FillCorners(cache, border, Corners, behind.Moved(owner ? owner->Left() : 0, owner ? owner->Top() : 0));
}

void FillAllCornersFromParent(TzCommonData* SkinData) { FillCornersFromParent(SkinData, AllCorners); }

void ApplyDisabledKind(TBitmap* Bmp, TzDisabledKind Kind, TControl* Owner, TPoint P, const TzCacheInfo& Parent)
{
    ApplyDisabledKind(Bmp, Kind, P, Parent, ColorToRGB(Owner ? Owner->Color() : clBtnFace));
}

namespace {

TzTextFlags ControlLook(const TzCommonData* SkinData, TzTextFlags Look)
{
    return SkinData->CustomFont() ? TzTextFlags(Look | tfOwnFontColor) : Look;
}

} // namespace

void DrawSkinTextW(TzCommonData* SkinData, TCanvas* Canvas, const WideString& Text, TzTextFlags Look, UINT Format,
                   TRect R)
{
    if (SkinData)
        DrawSectionTextW(Canvas, Text, ControlLook(SkinData, Look), SkinData->GetSkinManager(), SkinData->SkinIndex,
                         Format, R);
}

void DrawSkinTextOutW(TzCommonData* SkinData, TCanvas* Canvas, const WideString& Text, TzTextFlags Look,
                      TAlignment Alignment, TRect R)
{
    const UINT horz = Alignment == taRightJustify ? DT_RIGHT : Alignment == taCenter ? DT_CENTER : DT_LEFT;
    if (SkinData)
        DrawSkinTextByIndexW(Canvas, Text, ControlLook(SkinData, Look), SkinData->GetSkinManager(),
                             SkinData->SkinIndex, horz | DT_VCENTER, R);
}
