#include "skinctl/zlabel.h"

#include "classlib/gdihandles.h"
#include "skin/zcommondata.h"
#include "skin/zcontrolutils.h"
#include "skin/zgraphics.h"
#include "skin/zsectionpaint.h"
#include "skin/zskinmanager.h"
#include "unicode/ucstdctrls.h"

namespace {

const char* const AlignmentNames[] = {"taLeftJustify", "taRightJustify", "taCenter"};
const char* const LayoutNames[] = {"tlTop", "tlCenter", "tlBottom"};

// The default manager with its skin applied, or none.
TzSkinManager* ActiveManager()
{
    return DefaultManager && DefaultManager->SkinData().Active ? DefaultManager : nullptr;
}

} // namespace

#define Z_LABEL_PROPS(C)                                                                                       \
    Z_PROP_ENUM(C, Alignment, AlignmentNames, taLeftJustify), Z_PROP_BOOL(C, AutoSize, true),                 \
        WideCaptionProp<C>(), WideHintProp<C>(), Z_PROP_REF(C, FocusControl, TWinControl),                   \
        Z_PROP_ENUM(C, Layout, LayoutNames, tlTop), Z_PROP_BOOL(C, ShowAccelChar, true),                      \
        Z_PROP_BOOL(C, Transparent, true), Z_PROP_BOOL(C, WordWrap, false), Z_PROP_STR(C, SkinSection)

Z_CLASS_IMPL(TzCustomLabel, TCustomLabel)
Z_CLASS_IMPL(TzLabel, TzCustomLabel, Z_LABEL_PROPS(TzLabel), Z_PROP_BOOL(TzLabel, UseSkinColor, true))
Z_CLASS_IMPL(TzEditLabel, TzLabel)

TzCustomLabel::TzCustomLabel(TComponent* AOwner) : TUcControlOf<TCustomLabel>(AOwner)
{
    SetTransparent(true);
}

void TzCustomLabel::SetSkinSection(const AnsiString& Value)
{
    if (StoreChanged(FSkinSection, Value))
        Invalidate();
}

void TzLabel::SetUseSkinColor(bool Value)
{
    if (StoreChanged(FUseSkinColor, Value))
        Invalidate();
}

void TzCustomLabel::TakeSkinFontColor()
{
    TzSkinManager* m = ActiveManager();
    if (!m || !UsesSkinColor())
        return;
    const TColor c = m->GetGlobalFontColor();
    if (c == SkinKeyColor || Font()->Color() == c)
        return;
    TFlagScope taking(FTakingColor);
    Font()->SetColor(c);
}

void TzCustomLabel::Paint()
{
    TakeSkinFontColor();
    TzSkinManager* m = ActiveManager();
    const int section = m && !FSkinSection.empty() ? m->FindSectionIndex(UpperCase(FSkinSection)) : -1;
    if (m && m->IsValidSkinIndex(section) && Width() > 0 && Height() > 0) {
        TWinControl* parent = Parent();
        TzBackdrop behind(QueryControlParentCache(this));
        if (!behind.Picture.Ready && parent)
            behind.Color = QueryParentColor(parent);
        auto bmp = CreateBmp24(Width(), Height());
        PaintSectionByIndex(section, m, bmp.get(), behind.Moved(Left(), Top()), TRect(0, 0, Width(), Height()),
                            psNormal, true);
        BitBlt(Canvas()->Handle(), 0, 0, Width(), Height(), bmp->Canvas()->Handle(), 0, 0, SRCCOPY);
    }
    TCustomLabel::Paint();
}

void TzCustomLabel::DoDrawText(TRect& Rect, int Flags)
{
    if (!DrawLabelTextWide(this, Rect, Flags))
        TCustomLabel::DoDrawText(Rect, Flags);
}

void TzCustomLabel::SkinCommand(TMessage& Message)
{
    TWMSkinCommand command(Message);
    const auto* sender = reinterpret_cast<const TzSkinManager*>(command.Param);
    if (!sender || sender != DefaultManager)
        return;
    switch (command.Command) {
    case SKCMD_NEWSKIN:
    case SKCMD_REFRESH:
        TakeSkinFontColor();
        Invalidate();
        break;
    case SKCMD_SKINREMOVED:
        if (UsesSkinColor())
            Font()->SetColor(clWindowText);
        Invalidate();
        break;
    default:
        break;
    }
}

void TzCustomLabel::Dispatch(TMessage& Message)
{
    switch (Message.Msg) {
    case CM_DIALOGCHAR:
        HandleLabelDialogCharWide(this, Message);
        return;
    case CM_HINTSHOW:
        HandleHintShowWide(Message);
        break;
    case CM_FONTCHANGED:
        // The skin's colour given while painting changes nothing else.
        if (FTakingColor)
            return;
        break;
    case CM_MOUSEENTER:
    case CM_MOUSELEAVE:
        TCustomLabel::Dispatch(Message);
        if (TNotifyEvent& e = Message.Msg == CM_MOUSEENTER ? OnMouseEnter : OnMouseLeave)
            e(this);
        return;
    default:
        if (Message.Msg == SM_SKINCMD)
            SkinCommand(Message);
        break;
    }
    TCustomLabel::Dispatch(Message);
}

void InitSkinnedLabels()
{
    BoundLabelFactory = [](TComponent* Owner) -> TCustomLabel* { return new TzEditLabel(Owner); };
    RegisterClass(TzLabel::StaticClassInfo());
}
