#include "skinctl/zprogressbar.h"

#include "classlib/gdihandles.h"
#include "skin/zgraphics.h"
#include "skin/zsectionpaint.h"
#include "skin/zskinmanager.h"
#include "skin/zskinpaint.h"

#include <algorithm>

std::vector<TRect> ProgressPieces(TSize Size, int BorderWidth, TProgressBarOrientation Orientation, bool Smooth,
                                  double Fraction)
{
    const int e = std::max(BorderWidth, 0) + 1;
    const TRect in(e, e, Size.cx - e, Size.cy - e);
    const bool upright = Orientation == pbVertical;
    const int length = upright ? in.Height() : in.Width();
    const int thickness = upright ? in.Width() : in.Height();
    Fraction = std::clamp(Fraction, 0.0, 1.0);
    if (length < 1 || thickness < 1)
        return {};
    // A piece of the inside from its start: Begin to End along the bar.
    auto piece = [&](int Begin, int End) {
        return upright ? TRect(in.Left, in.Bottom - End, in.Right, in.Bottom - Begin)
                       : TRect(in.Left + Begin, in.Top, in.Left + End, in.Bottom);
    };
    if (Smooth) {
        const int fill = RoundEven(Fraction * length);
        return fill > 0 ? std::vector<TRect>{piece(0, fill)} : std::vector<TRect>{};
    }
    const int block = RoundEven(0.66 * thickness) - 2;
    if (block < 2 || thickness < 2)
        return {};
    const int fits = length / (block + 2);
    if (fits < 1)
        return {};
    const int gap = fits > 1 ? (length - fits * block) / (fits - 1) : 0;
    const int shown = RoundEven(Fraction * fits);
    std::vector<TRect> pieces;
    for (int i = 0; i < shown; ++i)
        pieces.push_back(piece(i * (block + gap), i * (block + gap) + block));
    return pieces;
}

Z_CLASS_IMPL(TzProgressBar, TProgressBar, Z_PROP_OBJ(TzProgressBar, SkinData), Z_PROP_STR(TzProgressBar, ProgressSkin))

TzProgressBar::TzProgressBar(TComponent* AOwner)
    : TProgressBar(AOwner), FSkinData(MakeSkinData(this, ctProgressBar, false))
{
    SetControlStyle(ControlStyle() | csOpaque);
}

TzProgressBar::~TzProgressBar()
{
    FSkinData.reset();
}

void TzProgressBar::AfterConstruction()
{
    TProgressBar::AfterConstruction();
    FSkinData->Loaded();
}

void TzProgressBar::Loaded()
{
    TProgressBar::Loaded();
    FSkinData->Loaded();
}

void TzProgressBar::SetProgressSkin(const AnsiString& Value)
{
    if (StoreChanged(FProgressSkin, UpperCase(Value)))
        FSkinData->Invalidate();
}

AnsiString TzProgressBar::ProgressSection() const
{
    if (!FProgressSkin.empty())
        return FProgressSkin;
    return Orientation() == pbVertical ? "PROGRESSV" : "PROGRESSH";
}

void TzProgressBar::PaintBar(TBitmap* Bmp)
{
    TzCommonData* sd = FSkinData.get();
    const TRect whole(0, 0, Width(), Height());
    PaintSkinSection(sd->SectionSkin(), sd->Backdrop(), bfFillCentre | bfKeysShowParent, Bmp, TPoint(Left(), Top()),
                     whole, TzPaintState(ActiveState(sd)));
    TzSkinManager* m = sd->GetSkinManager();
    const int section = m->FindSectionIndex(ProgressSection());
    if (!m->IsValidSkinIndex(section))
        return;
    const auto pieces = ProgressPieces(TSize(Width(), Height()), BorderWidth(), Orientation(), Smooth(), Fraction());
    if (pieces.empty())
        return;
    // Each piece stands on the bar as it was before the pieces.
    auto bar = CreateBmpLike(Bmp);
    CopyBmpRect(bar.get(), 0, 0, whole, Bmp);
    for (const TRect& r : pieces)
        PaintSectionByIndex(section, m, Bmp, MakeCacheInfo(bar.get(), 0, 0), r, psNormal, true);
}

void TzProgressBar::PaintTo(HDC DC)
{
    TzCommonData* sd = FSkinData.get();
    if (!DC || Width() < 1 || Height() < 1 || WaitsForParent(sd))
        return;
    sd->PrepareCache();
    PaintBar(sd->CacheBmp());
    sd->SetBGChanged(false);
    FillAllCornersFromParent(sd);
    BitBlt(DC, 0, 0, Width(), Height(), sd->CacheBmp()->Canvas()->Handle(), 0, 0, SRCCOPY);
    // The bar changes with every step: a picture kept would be stale at the next paint.
    sd->FreeCache();
}

bool TzProgressBar::SkinnedBefore(TMessage& Message)
{
    switch (Message.Msg) {
    case WM_PAINT:
        PaintInto(WindowHandle(), TWMPaint(Message).DC, [this](HDC DC) { PaintTo(DC); });
        Message.Result = 0;
        return true;
    case WM_PRINT:
    case WM_PRINTCLIENT:
        FSkinData->SetUpdating(false);
        PaintTo(TWMPaint(Message).DC);
        return true;
    default:
        return SwallowBeforeInherited(FSkinData.get(), Message);
    }
}
