// The Unicode edit, memo, combo box and label of the gallery: the library's controls with the
// overrides a Unicode control makes (a Unicode window, wide items and lines, wide drawing).
#pragma once

#include "unicode/ucstdctrls.h"

#include <memory>
#include <optional>

class TGalleryEdit : public TEdit {
    Z_CLASS(TGalleryEdit, TEdit)
public:
    explicit TGalleryEdit(TComponent* AOwner) : TEdit(AOwner) {}
    void SetWidePasswordChar(WideChar Value) { SetEditWidePasswordChar(this, FWidePasswordChar, Value); }

protected:
    void CreateWindowHandle(const TCreateParams& Params) override { CreateUnicodeEditHandle(this, Params); }
    void CreateWnd() override;

private:
    WideChar FWidePasswordChar = 0;
};

class TGalleryMemo : public TMemo {
    Z_CLASS(TGalleryMemo, TMemo)
public:
    explicit TGalleryMemo(TComponent* AOwner);
    TUcMemoStrings* WideLines() const { return FWideLines.get(); }

protected:
    void CreateWindowHandle(const TCreateParams& Params) override { CreateUnicodeEditHandle(this, Params); }

private:
    std::unique_ptr<TUcMemoStrings> FWideLines;
};

class TGalleryCombo : public TComboBox {
    Z_CLASS(TGalleryCombo, TComboBox)
public:
    explicit TGalleryCombo(TComponent* AOwner);
    TUcComboBoxStrings* WideItems() const { return FWideItems.get(); }

protected:
    void CreateWindowHandle(const TCreateParams& Params) override;
    void CreateWnd() override;
    void DestroyWnd() override;
    const TComboBoxStringsClass& GetItemsClass() override;
    void ComboWndProc(TMessage& Message, HWND ComboWnd, WNDPROC ComboProc) override;
    void Dispatch(TMessage& Message) override;

private:
    std::unique_ptr<TUcComboBoxStrings> FWideItems;
    std::unique_ptr<TUcStringList> FSavedItems;
    int FSavedIndex = -1;
    std::optional<WideString> FSavedText;
};

// A label over its parent's picture, in the skin's text colour while a skin is applied.
class TGalleryLabel : public TLabel {
    Z_CLASS(TGalleryLabel, TLabel)
public:
    explicit TGalleryLabel(TComponent* AOwner) : TLabel(AOwner) { SetTransparent(true); }

protected:
    void DoDrawText(TRect& Rect, int Flags) override;
    void Dispatch(TMessage& Message) override;
};
