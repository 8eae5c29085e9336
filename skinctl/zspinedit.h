// Stepping a number: a speed button that repeats while held (TzTimerSpeedButton), a pair of
// them stacked as up and down arrows (TzSpinButton), and skinned edits with that pair inside
// their right edge (TzBaseSpinEdit; TzSpinEdit for integers, TzDecimalSpinEdit for decimal
// numbers). A held arrow steps once at the press, then after 400 ms every 100 ms until
// released; the release adds no step of its own.
#pragma once

#include "skinctl/zedit.h"
#include "skinctl/zspeedbutton.h"

class TTimer;

// The repeat delays of a held arrow (ms).
constexpr uint32_t SpinFirstDelay = 400;
constexpr uint32_t SpinRepeatDelay = 100;

// A character refused by a spin edit is told by this sound (replaceable for tests).
extern void (*SpinEditBeep)();

class TzTimerSpeedButton : public TzSpeedButton {
    Z_CLASS(TzTimerSpeedButton, TzSpeedButton)
public:
    explicit TzTimerSpeedButton(TComponent* AOwner);
    ~TzTimerSpeedButton() override;

    // Held, the button clicks again and again (on by default).
    bool TimerAllowed() const { return FTimerAllowed; }
    void SetTimerAllowed(bool Value) { FTimerAllowed = Value; }
    // A focus rectangle three pixels inside the button.
    bool FocusFrame() const { return FFocusFrame; }
    void SetFocusFrame(bool Value);
    // The repeat timer, made at the first press; its ticks click while the button holds the
    // mouse.
    TTimer* RepeatTimer() const { return FRepeatTimer; }

protected:
    void Paint() override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void Click() override;

private:
    void RepeatTick(TObject* Sender);

    TTimer* FRepeatTimer = nullptr;   // owned by the button
    bool FTimerAllowed = true;
    bool FFocusFrame = false;
    bool FReleasing = false;          // the release of a repeating press: no click of its own
};

class TzSpinButton : public TWinControl {
    Z_CLASS(TzSpinButton, TWinControl)
public:
    explicit TzSpinButton(TComponent* AOwner);
    ~TzSpinButton() override;
    void Loaded() override;
    void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;

    TzTimerSpeedButton* UpButton() const { return FUpButton; }
    TzTimerSpeedButton* DownButton() const { return FDownButton; }
    // The pictures given for the arrows; empty (the default), the built-in arrow in the
    // button's text colour. Form data carries only a picture given.
    TBitmap* UpGlyph() const { return FUpGlyph.get(); }
    void SetUpGlyph(TBitmap* Value);
    TBitmap* DownGlyph() const { return FDownGlyph.get(); }
    void SetDownGlyph(TBitmap* Value);
    // The control that takes the focus when an arrow is pressed.
    TWinControl* FocusControl() const { return FFocusControl; }
    void SetFocusControl(TWinControl* Value);
    // The built-in arrows drawn again in the colour of the moment.
    void RefreshDefaultGlyphs();

    TNotifyEvent OnUpClick;
    TNotifyEvent OnDownClick;

protected:
    void WndProc(TMessage& Message) override;
    void Notification(TComponent* AComponent, TOperation Operation) override;
    void KeyDown(uint16_t& Key, TShiftState Shift) override;

private:
    TzTimerSpeedButton* MakeButton();
    void ButtonMouseDown(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y);
    void ButtonClick(TObject* Sender);
    void PlaceButtons();
    void SetFocusedButton(TzTimerSpeedButton* Button);
    void ShowFocusFrame(bool Focused);
    // The arrows the buttons show: the pictures given, else the built-in ones.
    void GlyphsChanged(TObject* Sender);
    // What the arrows ask of their parent. True: answered.
    bool SkinCommand(TMessage& Message);
    // The edit's picture at the spin button's place.
    void AnswerBackground(TWMSkinCommand& Command);

    TzTimerSpeedButton* FUpButton = nullptr;
    TzTimerSpeedButton* FDownButton = nullptr;
    TzTimerSpeedButton* FFocusedButton = nullptr;
    TWinControl* FFocusControl = nullptr;
    std::unique_ptr<TBitmap> FUpGlyph;
    std::unique_ptr<TBitmap> FDownGlyph;
};

class TzBaseSpinEdit : public TzEdit {
    Z_CLASS(TzBaseSpinEdit, TzEdit)
public:
    explicit TzBaseSpinEdit(TComponent* AOwner);
    ~TzBaseSpinEdit() override;
    void Loaded() override;

    TzSpinButton* Button() const { return FButton; }
    // Typing is allowed (else only the arrows change the number).
    bool EditorEnabled() const { return FEditorEnabled; }
    void SetEditorEnabled(bool Value) { FEditorEnabled = Value; }
    // The rectangle the edit writes its text in: up to the arrows.
    TRect TextRect();

    // '+', '-', the digits, the decimal separator and control characters but the line
    // breaks (Enter, Ctrl+Enter); with the editor off only control characters but Backspace
    // and the line breaks.
    virtual bool AcceptsChar(WideChar Key);
    // One increment up or down (a beep when read-only).
    void StepUp();
    void StepDown();

protected:
    void CreateParams(TCreateParams& Params) override;
    void CreateWnd() override;
    // Typing, pasting, the wheel: before anything of the edit's. True: handled.
    bool PreviewMessage(TMessage& Message) override;
    // The arrows hear the skin as the edit does, and take its text colour.
    void SkinChanged(TWMSkinCommand& Command) override;
    // Placing, limits, the arrows' looks and the dialog keys: after the edit's handling.
    void AfterMessage(TMessage& Message) override;
    // Up and Down step; with the editor off, Delete deletes nothing.
    void KeyDown(uint16_t& Key, TShiftState Shift) override;
    // The cache's text stops before the arrows as the window's does.
    void PaintText() override;
    // A step the edit refuses (read-only): a beep.
    bool CanStep();
    // The number moved by Steps increments (down when negative) and written within the
    // limits, for the arrows, the arrow keys and the wheel; nothing without a number.
    virtual void StepBy(int) {}
    // A number outside the limits written back inside them, when the focus leaves.
    virtual void KeepInLimits() {}

private:
    void UpClick(TObject*) { StepUp(); }
    void DownClick(TObject*) { StepDown(); }
    void PlaceButton();
    // Typing, pasting, cutting, clearing and undoing change the text only while the editor is
    // on and the edit is not read-only.
    bool EditingAllowed() const { return FEditorEnabled && !ReadOnly(); }
    // A one-line edit takes a pasted text up to its first line break.
    void PasteFirstLine();
    // The wheel steps by its notches (True: handled).
    bool WheelStep(TMessage& Message);
    void ButtonsHearSkin(const TWMSkinCommand& Command);
    void ButtonsShowAgain(bool Repaint);

    TzSpinButton* FButton = nullptr;   // owned by the edit
    bool FEditorEnabled = true;
};

// An integer between MinValue and MaxValue (no limits when they are equal).
class TzSpinEdit : public TzBaseSpinEdit {
    Z_CLASS(TzSpinEdit, TzBaseSpinEdit)
public:
    explicit TzSpinEdit(TComponent* AOwner);

    int MinValue() const { return FMinValue; }
    void SetMinValue(int Value) { FMinValue = Value; }
    int MaxValue() const { return FMaxValue; }
    void SetMaxValue(int Value) { FMaxValue = Value; }
    int Increment() const { return FIncrement; }
    void SetIncrement(int Value) { FIncrement = Value; }
    // The text's number; MinValue for an empty text or one that is no number.
    int Value();
    // Written clamped to the limits (to the integer range without limits).
    void SetValue(int Value);

    // The digits and control characters but Enter (no sign).
    bool AcceptsChar(WideChar Key) override;

protected:
    void StepBy(int Steps) override;
    void KeepInLimits() override;

private:
    int Clamped(int Value) const;

    int FMinValue = 0;
    int FMaxValue = 0;
    int FIncrement = 1;
};

// A decimal number with Decimals places after the decimal separator.
class TzDecimalSpinEdit : public TzBaseSpinEdit {
    Z_CLASS(TzDecimalSpinEdit, TzBaseSpinEdit)
public:
    explicit TzDecimalSpinEdit(TComponent* AOwner);

    double MinValue() const { return FMinValue; }
    void SetMinValue(double Value) { FMinValue = Value; }
    double MaxValue() const { return FMaxValue; }
    void SetMaxValue(double Value) { FMaxValue = Value; }
    double Increment() const { return FIncrement; }
    void SetIncrement(double Value) { FIncrement = Value; }
    int Decimals() const { return FDecimals; }
    void SetDecimals(int Value);
    // The text's number (with DecimalSeparator); MinValue for one that is no number.
    double Value();
    // Written clamped and rounded to Decimals places.
    void SetValue(double Value);

    // The digits, one decimal separator, a leading '-', control characters but Enter.
    bool AcceptsChar(WideChar Key) override;

protected:
    void StepBy(int Steps) override;
    void KeepInLimits() override;

private:
    double Clamped(double Value) const;

    double FMinValue = 0;
    double FMaxValue = 0;
    double FIncrement = 1;
    int FDecimals = 2;
};

// Start-up: the spin controls become known to form data.
void InitSpinEdits();
