// The skin's contact sheet: every section of the current skin painted as a skinned control
// paints it, in its normal and hot states, under its name; the check and radio marks and the
// scroll arrows in every state; a caption in a section's text colours. It follows the skin
// chooser: a new skin or none repaints it.
#include "gallery.h"
#include "skin/zcommondata.h"
#include "skin/zcontrolutils.h"
#include "skin/zgraphics.h"
#include "skin/zsectionpaint.h"
#include "skin/zskinmanager.h"
#include "skin/zskinpaint.h"
#include "skin/zskintextpaint.h"
#include "skinctl/zskinctl.h"
#include "unicode/ucgraphics.h"

namespace {

constexpr int CellW = 172, CellH = 46, SwatchW = 78, SwatchH = 22, Columns = 5;

class TSkinSheet : public TGalleryPanel {
    Z_CLASS(TSkinSheet, TGalleryPanel)
public:
    explicit TSkinSheet(TComponent* AOwner) : TGalleryPanel(AOwner)
    {
        SetControlStyle(ControlStyle() | csOpaque);
    }

protected:
    void WndProc(TMessage& M) override
    {
        if (FollowSkinCommands(M, [this] { Invalidate(); }, [this] { Invalidate(); }))
            return;
        TGalleryPanel::WndProc(M);
    }
    void Dispatch(TMessage& M) override
    {
        if (M.Msg == WM_ERASEBKGND) {
            M.Result = 1;
            return;
        }
        TGalleryPanel::Dispatch(M);
    }
    void Paint() override;

private:
    void PaintSections(TBitmap* Bmp, TzSkinManager* M);
    void PaintMarks(TBitmap* Bmp, TzSkinManager* M, int Top);
};

Z_CLASS_IMPL(TSkinSheet, TGalleryPanel)

// The name of a cell, in the dialog font on the sheet's background.
void CellCaption(TBitmap* Bmp, const WideString& Text, const TRect& R, TColor Color)
{
    TCanvas* c = Bmp->Canvas();
    c->Brush()->SetStyle(bsClear);
    c->Font()->SetColor(Color);
    TRect r = R;
    DrawWideText(c, Text, r, DT_LEFT | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
}

void TSkinSheet::PaintSections(TBitmap* Bmp, TzSkinManager* M)
{
    const TColor ink = ColorToRGB(M->GetGlobalFontColor());
    for (int i = 0; i < M->SectionCount(); ++i) {
        const TzGeneralData& s = M->Section(i);
        const int x = 8 + (i % Columns) * CellW, y = 6 + (i / Columns) * CellH;
        CellCaption(Bmp, AnsiToWide(s.ClassName), TRect(x, y, x + CellW - 8, y + 15), ink);
        // A skin data of its own for each section, tied to no control: nothing is told.
        TzCommonData sd(nullptr, false);
        sd.SetSkinSection(s.ClassName);
        for (int state = 0; state < 2; ++state) {
            const TRect d = Bounds(x + state * (SwatchW + 6), y + 17, SwatchW, SwatchH);
            PaintSkinSection(sd.SectionSkin(), TzBackdrop(), bfFillCentre, Bmp, TPoint(0, 0), d, TzPaintState(state));
        }
    }
}

void TSkinSheet::PaintMarks(TBitmap* Bmp, TzSkinManager* M, int Top)
{
    const TSkCommonIndexes& c = M->Cache();
    const int marks[] = {c.BoxChecked, c.BoxUnchecked, c.BoxGrayed, c.RadioChecked, c.RadioUnchecked,
                         c.ScrollBtnTop.GlyphMask, c.ScrollBtnBottom.GlyphMask, c.ScrollBtnLeft.GlyphMask,
                         c.ScrollBtnRight.GlyphMask};
    int x = 8;
    for (int index : marks) {
        if (!M->IsValidMaskIndex(index))
            continue;
        const TzMaskData& mask = M->Mask(index);
        const TSize frame = MaskFrame(mask);
        const int frames = std::max<int>(1, mask.ImageCount);
        for (int state = 0; state < frames; ++state) {
            DrawSkinGlyph(Bmp, TPoint(x, Top), TzPaintState(state), mask, 1);
            x += frame.cx + 4;
        }
        x += 10;
    }
    // A caption in the title's colours (and its outlines where the skin gives them).
    const int title = M->FindSectionIndex("FORMTITLE");
    if (M->IsValidSkinIndex(title)) {
        TzCommonData sd(nullptr, false);
        sd.SetSkinSection("FORMTITLE");
        for (int state = 0; state < 2; ++state) {
            const TRect d = Bounds(x + state * 150, Top - 4, 140, 26);
            PaintSkinSection(sd.SectionSkin(), TzBackdrop(), bfFillCentre, Bmp, TPoint(0, 0), d, TzPaintState(state));
            Bmp->Canvas()->Font()->SetStyle(fsBold);
            DrawSkinTextByIndexW(Bmp->Canvas(), state ? L"Заголовок (активен)" : L"Заголовок", TextFlags(true, state != 0),
                                 M, title, DT_CENTER | DT_VCENTER | DT_SINGLELINE, d);
            Bmp->Canvas()->Font()->SetStyle(0);
        }
    }
}

void TSkinSheet::Paint()
{
    auto bmp = CreateBmp24(std::max(2, Width()), std::max(2, Height()));
    bmp->Canvas()->Font()->Assign(Font());
    TzSkinManager* m = DefaultManager;
    const bool skinned = m && m->SkinData().Active && m->SectionCount() > 0;
    bmp->Canvas()->Brush()->SetColor(skinned ? m->GetGlobalColor() : clBtnFace);
    bmp->Canvas()->FillRect(TRect(0, 0, bmp->Width(), bmp->Height()));
    if (skinned) {
        PaintSections(bmp.get(), m);
        PaintMarks(bmp.get(), m, 6 + ((m->SectionCount() + Columns - 1) / Columns) * CellH + 8);
    } else {
        CellCaption(bmp.get(), L"Нет скина: листу нечего показать", TRect(8, 8, Width(), 30), clWindowText);
    }
    BitBlt(Canvas()->Handle(), 0, 0, bmp->Width(), bmp->Height(), bmp->Canvas()->Handle(), 0, 0, SRCCOPY);
}

} // namespace

TWinControl* CreateSkinSheetPage(TGalleryForm* Form)
{
    auto* page = new TSkinSheet(Form);
    page->SetVisible(false);
    page->SetParent(Form);
    return page;
}
