// The status bar over the system's "msctls_statusbar32": its panels as the window's parts,
// the simple panel, owner-drawn panels and the application's hints.
#include "classlib/actnlist.h"
#include "classlib/comctrls_shared.h"

#include <algorithm>
#include <vector>

const char* const StatusPanelStyleNames[2] = {"psText", "psOwnerDraw"};
const char* const StatusPanelBevelNames[3] = {"pbNone", "pbLowered", "pbRaised"};

Z_CLASS_IMPL(TStatusPanel, TCollectionItem, Z_PROP_STR(TStatusPanel, Text), Z_PROP_INT(TStatusPanel, Width, 50),
             Z_PROP_ENUM(TStatusPanel, Alignment, zcomctrls::AlignmentNames, taLeftJustify),
             Z_PROP_ENUM(TStatusPanel, Style, StatusPanelStyleNames, psText),
             Z_PROP_ENUM(TStatusPanel, Bevel, StatusPanelBevelNames, pbLowered))
Z_CLASS_IMPL(TStatusPanels, TCollection)
Z_CLASS_IMPL(TCustomStatusBar, TWinControl)
Z_CLASS_IMPL(TStatusBar, TCustomStatusBar, Z_STATUSBAR_PROPS(TStatusBar), Z_PROP_STR(TStatusBar, SimpleText))

namespace {
// The window takes at most this many parts.
constexpr int MaxParts = 255;
} // namespace

int StatusAlignmentTabs(TAlignment Alignment)
{
    return Alignment == taCenter ? 1 : Alignment == taRightJustify ? 2 : 0;
}

AnsiString StatusPartText(const AnsiString& Text, TAlignment Alignment)
{
    return AnsiString(static_cast<size_t>(StatusAlignmentTabs(Alignment)), '\t') + Text;
}

// ---------------------------------------------------------------------------------------
// TStatusPanel

// The collection tells its bar of the new panel only once the panel is whole.
TStatusPanel::TStatusPanel(TCollection* Collection) : TCollectionItem(HoldUpdates(Collection))
{
    if (Collection)
        Collection->EndUpdate();
}

TCustomStatusBar* TStatusPanel::StatusBar() const
{
    auto* panels = dynamic_cast<TStatusPanels*>(Collection());
    return panels ? panels->Owner() : nullptr;
}

AnsiString TStatusPanel::DisplayName() const
{
    return FText.empty() ? TCollectionItem::DisplayName() : FText;
}

void TStatusPanel::SetText(const AnsiString& Value)
{
    if (StoreChanged(FText, Value))
        Changed(false);
}

void TStatusPanel::SetWidth(int Value)
{
    // The widths are the parts' edges: every panel after this one moves.
    if (StoreChanged(FWidth, std::max(Value, 0)))
        Changed(true);
}

void TStatusPanel::SetAlignment(TAlignment Value)
{
    if (StoreChanged(FAlignment, Value))
        Changed(false);
}

void TStatusPanel::SetStyle(TStatusPanelStyle Value)
{
    if (StoreChanged(FStyle, Value))
        Changed(false);
}

void TStatusPanel::SetBevel(TStatusPanelBevel Value)
{
    if (StoreChanged(FBevel, Value))
        Changed(false);
}

void TStatusPanel::Assign(TPersistent* Source)
{
    auto* p = dynamic_cast<TStatusPanel*>(Source);
    if (!p) {
        TCollectionItem::Assign(Source);
        return;
    }
    FText = p->FText;
    FWidth = p->FWidth;
    FAlignment = p->FAlignment;
    FStyle = p->FStyle;
    FBevel = p->FBevel;
    Changed(true);
}

// ---------------------------------------------------------------------------------------
// TStatusPanels

TStatusPanels::TStatusPanels(TCustomStatusBar* AOwner, const TClassInfo& ItemClass)
    : TCollection(ItemClass), FOwner(AOwner)
{
}

TPersistent* TStatusPanels::GetOwner()
{
    return FOwner;
}

void TStatusPanels::Update(TCollectionItem* Item)
{
    if (!FOwner)
        return;
    if (Item)
        FOwner->UpdatePanel(Item->Index());
    else
        FOwner->UpdatePanels();
}

// ---------------------------------------------------------------------------------------
// TCustomStatusBar

TCustomStatusBar::TCustomStatusBar(TComponent* AOwner)
    : TWinControl(AOwner), FCanvas(std::make_unique<TControlCanvas>())
{
    FControlStyle = csCaptureMouse | csClickEvents | csDoubleClicks | csOpaque;
    FWidth = 150;
    FHeight = 19;
    FAlign = alBottom;
    FParentColor = false;
    FColor = clBtnFace;
    FBrush->SetColor(FColor);
    FCanvas->SetControl(this);
}

TCustomStatusBar::~TCustomStatusBar()
{
    DestroyWindowFirst();
    FCanvas->FreeHandle();
}

TStatusPanels* TCustomStatusBar::Panels() const
{
    if (!FPanels)
        FPanels.reset(const_cast<TCustomStatusBar*>(this)->CreatePanels());
    return FPanels.get();
}

TStatusPanels* TCustomStatusBar::CreatePanels()
{
    return new TStatusPanels(this, GetPanelClass());
}

const TClassInfo& TCustomStatusBar::GetPanelClass()
{
    return TStatusPanel::StaticClassInfo();
}

TCanvas* TCustomStatusBar::Canvas() const
{
    return FCanvas.get();
}

void TCustomStatusBar::CreateParams(TCreateParams& Params)
{
    InitCommonControlClasses(ICC_BAR_CLASSES);
    TWinControl::CreateParams(Params);
    CreateSubClass(Params, STATUSCLASSNAMEA);
    // The library places the bar (Align): the window keeps the bounds it is given.
    Params.Style |= CCS_NOPARENTALIGN | CCS_NORESIZE | CCS_NODIVIDER;
    if (FSizeGrip)
        Params.Style |= SBARS_SIZEGRIP;
    Params.WindowClass.style &= ~(CS_HREDRAW | CS_VREDRAW);
}

void TCustomStatusBar::CreateWnd()
{
    TWinControl::CreateWnd();
    if (FColor != clBtnFace)
        SendMessageA(FHandle, SB_SETBKCOLOR, 0, static_cast<LPARAM>(ColorToRGB(FColor)));
    UpdatePanels();
    UpdateSimpleText();
    SendMessageA(FHandle, SB_SIMPLE, FSimplePanel, 0);
}

void TCustomStatusBar::UpdatePanels()
{
    if (!FHandle)
        return;
    const int count = std::min(Panels()->Count(), MaxParts);
    // The parts' right edges; the last part reaches the bar's right edge.
    std::vector<int> edges(static_cast<size_t>(std::max(count, 1)), -1);
    int right = 0;
    for (int i = 0; i + 1 < count; ++i) {
        right += Panels()->Items(i)->Width();
        edges[static_cast<size_t>(i)] = right;
    }
    Perform(SB_SETPARTS, edges.size(), reinterpret_cast<LPARAM>(edges.data()));
    for (int i = 0; i < count; ++i)
        UpdatePanel(i);
}

void TCustomStatusBar::UpdatePanel(int Index)
{
    if (!FHandle || Index < 0 || Index >= std::min(Panels()->Count(), MaxParts))
        return;
    TStatusPanel* panel = Panels()->Items(Index);
    WPARAM part = static_cast<WPARAM>(Index);
    if (panel->Bevel() == pbNone)
        part |= SBT_NOBORDERS;
    else if (panel->Bevel() == pbRaised)
        part |= SBT_POPOUT;
    if (panel->Style() == psOwnerDraw) {
        // An owner-drawn part carries its panel's index to the drawing.
        Perform(SB_SETTEXTA, part | SBT_OWNERDRAW, static_cast<LPARAM>(Index));
        return;
    }
    const AnsiString text = StatusPartText(panel->Text(), panel->Alignment());
    Perform(SB_SETTEXTA, part, reinterpret_cast<LPARAM>(text.c_str()));
}

void TCustomStatusBar::UpdateSimpleText()
{
    if (FHandle)
        Perform(SB_SETTEXTA, SB_SIMPLEID | SBT_NOBORDERS, reinterpret_cast<LPARAM>(FSimpleText.c_str()));
}

void TCustomStatusBar::SetSimplePanel(bool Value)
{
    if (!StoreChanged(FSimplePanel, Value) || !FHandle)
        return;
    SendMessageA(FHandle, SB_SIMPLE, Value, 0);
    if (!Value)
        UpdatePanels();
}

void TCustomStatusBar::SetSimpleText(const AnsiString& Value)
{
    if (StoreChanged(FSimpleText, Value))
        UpdateSimpleText();
}

void TCustomStatusBar::SetSizeGrip(bool Value)
{
    RecreateOnChange(this, FSizeGrip, Value);
}

TRect TCustomStatusBar::PanelRect(int Index)
{
    RECT r{};
    if (!FHandle || Index < 0 || Index >= std::max(Panels()->Count(), 1) ||
        !SendMessageA(FHandle, SB_GETRECT, static_cast<WPARAM>(Index), reinterpret_cast<LPARAM>(&r)))
        return TRect();
    return TRect(r);
}

bool TCustomStatusBar::DoHint()
{
    bool handled = false;
    if (OnHint) {
        OnHint(this);
        handled = true;
    }
    return handled;
}

bool TCustomStatusBar::ExecuteAction(TBasicAction* Action)
{
    auto* hint = dynamic_cast<THintAction*>(Action);
    if (!FAutoHint || !hint || DoHint())
        return TWinControl::ExecuteAction(Action);
    if (FSimplePanel || Panels()->Count() == 0)
        SetSimpleText(hint->Hint());
    else
        Panels()->Items(0)->SetText(hint->Hint());
    return true;
}

void TCustomStatusBar::DrawPanel(TStatusPanel* Panel, const TRect& Rect)
{
    if (OnDrawPanel)
        OnDrawPanel(this, Panel, Rect);
    else
        FCanvas->FillRect(Rect);
}

void TCustomStatusBar::CNDrawItem(TMessage& Message)
{
    DRAWITEMSTRUCT* dis = TWMDrawItem(Message).DrawItemStruct;
    const int index = dis ? static_cast<int>(dis->itemData) : -1;
    if (index < 0 || index >= Panels()->Count())
        return;
    TCanvasDC scope(FCanvas.get(), dis->hDC);
    FCanvas->SetFont(FFont.get());
    FCanvas->SetBrush(FBrush.get());
    DrawPanel(Panels()->Items(index), TRect(dis->rcItem));
    Message.Result = 1;
}

void TCustomStatusBar::Dispatch(TMessage& Message)
{
    switch (Message.Msg) {
    case CN_DRAWITEM:
        CNDrawItem(Message);
        return;
    case CM_COLORCHANGED:
        TWinControl::Dispatch(Message);
        if (FHandle)
            SendMessageA(FHandle, SB_SETBKCOLOR, 0, static_cast<LPARAM>(FColor == clBtnFace ? CLR_DEFAULT : ColorToRGB(FColor)));
        return;
    }
    TWinControl::Dispatch(Message);
}
