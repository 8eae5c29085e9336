// Buttons: the push button, the check box and the radio button over the system's "BUTTON".
#include "classlib/stdctrls_shared.h"
#include "classlib/actnlist.h"
#include "classlib/forms.h"

const char* const CheckBoxStateNames[3] = {"cbUnchecked", "cbChecked", "cbGrayed"};

// ---------------------------------------------------------------------------------------
// Buttons

Z_CLASS_IMPL(TButtonControl, TWinControl)

const TControlActionLinkClass* TButtonControl::GetActionLinkClass()
{
    return ControlActionLinkClassOf<TButtonActionLink>();
}

TButtonControl::TButtonControl(TComponent* AOwner) : TWinControl(AOwner)
{
    FControlStyle = csSetCaption | csDoubleClicks;
    FTabStop = true;
}

void TButtonControl::CreateParams(TCreateParams& Params)
{
    TWinControl::CreateParams(Params);
    CreateSubClass(Params, "BUTTON");
    if (FWordWrap)
        Params.Style |= BS_MULTILINE;
    Params.WindowClass.style &= ~(CS_HREDRAW | CS_VREDRAW);
}

void TButtonControl::AddCheckStyle(TCreateParams& Params, DWORD Kind, TAlignment Alignment)
{
    Params.Style |= Kind;
    // The caption on the left of the box: asked for, or the mirror of the right for a
    // control aligned right to left.
    if ((Alignment == taLeftJustify) != UseRightToLeftAlignment())
        Params.Style |= BS_LEFTTEXT;
}

void TButtonControl::ShowCheck(TCheckBoxState State)
{
    static const WPARAM checks[] = {BST_UNCHECKED, BST_CHECKED, BST_INDETERMINATE};
    if (FHandle)
        SendMessageA(FHandle, BM_SETCHECK, checks[State], 0);
}

void TButtonControl::SetWordWrap(bool Value)
{
    RecreateOnChange(this, FWordWrap, Value);
}

Z_CLASS_IMPL(TButton, TButtonControl, Z_PROP_BOOL(TButton, Cancel, false), Z_PROP_CAPTION(TButton),
             Z_PROP_BOOL(TButton, Default, false), Z_PROP_INT(TButton, ModalResult, mrNone),
             Z_PROP_BOOL(TButton, WordWrap, false))

TButton::TButton(TComponent* AOwner) : TButtonControl(AOwner)
{
    FWidth = 75;
    FHeight = 25;
}

void TButton::CreateParams(TCreateParams& Params)
{
    TButtonControl::CreateParams(Params);
    Params.Style |= FDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON;
}

void TButton::CreateWnd()
{
    TButtonControl::CreateWnd();
    FActive = FDefault;
}

void TButton::SetDefault(bool Value)
{
    if (!StoreChanged(FDefault, Value) || !FHandle)
        return;
    // The buttons of the form settle again which one Enter clicks.
    if (TCustomForm* form = GetParentForm(this))
        form->Perform(CM_FOCUSCHANGED, 0, reinterpret_cast<LPARAM>(form->ActiveControl()));
}

void TButton::SetButtonStyle(bool ADefault)
{
    if (!FHandle)
        return;
    LONG style = ADefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON;
    if ((GetWindowLongA(FHandle, GWL_STYLE) & 0x0F) != style)
        SendMessageA(FHandle, BM_SETSTYLE, static_cast<WPARAM>(style), 1);
}

void TButton::Click()
{
    if (TCustomForm* form = GetParentForm(this))
        form->SetModalResult(FModalResult);
    TButtonControl::Click();
}

void TButton::Dispatch(TMessage& Message)
{
    switch (Message.Msg) {
    case CN_COMMAND:
        if (TWMCommand(Message).NotifyCode == BN_CLICKED)
            Click();
        break;
    case CM_DIALOGKEY: {
        TWMKey key(Message);
        if (((key.CharCode == VK_RETURN && FActive) || (key.CharCode == VK_ESCAPE && FCancel)) &&
            KeyDataToShiftState(key.KeyData) == 0 && CanFocus()) {
            Click();
            Message.Result = 1;
            break;
        }
        TButtonControl::Dispatch(Message);
        break;
    }
    case CM_DIALOGCHAR:
        if (IsAccel(TWMKey(Message).CharCode, Caption()) && CanFocus()) {
            Click();
            Message.Result = 1;
            break;
        }
        TButtonControl::Dispatch(Message);
        break;
    case CM_FOCUSCHANGED: {
        // A focused button is the one Enter clicks; with another control focused, the default.
        auto* sender = reinterpret_cast<TControl*>(Message.LParam);
        auto* button = dynamic_cast<TButton*>(sender);
        FActive = button ? button == this : FDefault;
        SetButtonStyle(FActive);
        TButtonControl::Dispatch(Message);
        break;
    }
    default:
        TButtonControl::Dispatch(Message);
        break;
    }
}

Z_CLASS_IMPL(TCustomCheckBox, TButtonControl)

Z_CLASS_IMPL(TCheckBox, TCustomCheckBox, CheckBoxCheckedProp<TCheckBox>(),
             Z_PROP_ENUM(TCheckBox, Alignment, AlignmentNames, taRightJustify),
             Z_PROP_BOOL(TCheckBox, AllowGrayed, false), Z_PROP_CAPTION(TCheckBox),
             Z_PROP_ENUM(TCheckBox, State, CheckBoxStateNames, cbUnchecked),
             Z_PROP_BOOL(TCheckBox, WordWrap, false))

TCustomCheckBox::TCustomCheckBox(TComponent* AOwner) : TButtonControl(AOwner)
{
    FWidth = 97;
    FHeight = 17;
}

void TCustomCheckBox::CreateParams(TCreateParams& Params)
{
    TButtonControl::CreateParams(Params);
    // The state is the control's: the system's box does not change it by itself.
    AddCheckStyle(Params, BS_3STATE, FAlignment);
}

void TCustomCheckBox::CreateWnd()
{
    TButtonControl::CreateWnd();
    ShowCheck(FState);
}

void TCustomCheckBox::SetAlignment(TAlignment Value)
{
    RecreateOnChange(this, FAlignment, Value);
}

void TCustomCheckBox::SetState(TCheckBoxState Value)
{
    if (!StoreChanged(FState, Value))
        return;
    ShowCheck(Value);
    if (!ClicksDisabled())
        Click();
}

void TCustomCheckBox::Toggle()
{
    switch (FState) {
    case cbUnchecked:
        SetState(FAllowGrayed ? cbGrayed : cbChecked);
        break;
    case cbChecked:
        SetState(cbUnchecked);
        break;
    case cbGrayed:
        SetState(cbChecked);
        break;
    }
}

void TCustomCheckBox::Click()
{
    Changed();
    TButtonControl::Click();
}

void TCustomCheckBox::Dispatch(TMessage& Message)
{
    switch (Message.Msg) {
    case CN_COMMAND:
        if (TWMCommand(Message).NotifyCode == BN_CLICKED)
            Toggle();
        break;
    case CM_DIALOGCHAR:
        if (IsAccel(TWMKey(Message).CharCode, Caption()) && CanFocus()) {
            SetFocus();
            if (Focused())
                Toggle();
            Message.Result = 1;
            break;
        }
        TButtonControl::Dispatch(Message);
        break;
    default:
        TButtonControl::Dispatch(Message);
        break;
    }
}

Z_CLASS_IMPL(TRadioButton, TButtonControl,
             Z_PROP_ENUM(TRadioButton, Alignment, AlignmentNames, taRightJustify), Z_PROP_CAPTION(TRadioButton),
             Z_PROP_BOOL(TRadioButton, Checked, false),
             Z_PROP_BOOL(TRadioButton, WordWrap, false))

TRadioButton::TRadioButton(TComponent* AOwner) : TButtonControl(AOwner)
{
    FWidth = 113;
    FHeight = 17;
    FTabStop = false;
}

void TRadioButton::CreateParams(TCreateParams& Params)
{
    TButtonControl::CreateParams(Params);
    AddCheckStyle(Params, BS_RADIOBUTTON, FAlignment);
}

void TRadioButton::CreateWnd()
{
    TButtonControl::CreateWnd();
    ShowCheck(FChecked ? cbChecked : cbUnchecked);
}

void TRadioButton::SetAlignment(TAlignment Value)
{
    RecreateOnChange(this, FAlignment, Value);
}

void TRadioButton::SetChecked(bool Value)
{
    if (!StoreChanged(FChecked, Value))
        return;
    // Only the checked button of a group is a tab stop.
    SetTabStop(Value);
    ShowCheck(Value ? cbChecked : cbUnchecked);
    if (!Value)
        return;
    if (FParent) {
        for (int i = 0; i < FParent->ControlCount(); ++i) {
            auto* sibling = dynamic_cast<TRadioButton*>(FParent->Controls(i));
            if (sibling && sibling != this)
                sibling->SetChecked(false);
        }
    }
    Changed();
    if (!ClicksDisabled())
        Click();
}

void TRadioButton::Dispatch(TMessage& Message)
{
    switch (Message.Msg) {
    case CN_COMMAND:
        if (TWMCommand(Message).NotifyCode == BN_CLICKED)
            SetChecked(true);
        else if (TWMCommand(Message).NotifyCode == BN_DOUBLECLICKED)
            DblClick();
        break;
    case CM_DIALOGCHAR:
        // Chosen by its accelerator, it takes the focus and is checked (some systems' radio
        // buttons notify a click themselves when they get the focus; some do not).
        if (IsAccel(TWMKey(Message).CharCode, Caption()) && CanFocus()) {
            SetFocus();
            if (Focused())
                SetChecked(true);
            Message.Result = 1;
            break;
        }
        TButtonControl::Dispatch(Message);
        break;
    default:
        TButtonControl::Dispatch(Message);
        break;
    }
}
