#include "gallery_controls.h"

#include "skin/zcontrolutils.h"
#include "skin/zskinmanager.h"

Z_CLASS_IMPL(TGalleryEdit, TEdit)
Z_CLASS_IMPL(TGalleryMemo, TMemo)
Z_CLASS_IMPL(TGalleryCombo, TComboBox)
Z_CLASS_IMPL(TGalleryLabel, TLabel)

void TGalleryEdit::CreateWnd()
{
    TEdit::CreateWnd();
    ApplyWidePasswordChar(this, FWidePasswordChar);
}

TGalleryMemo::TGalleryMemo(TComponent* AOwner) : TMemo(AOwner), FWideLines(std::make_unique<TUcMemoStrings>(this))
{
}

TGalleryCombo::TGalleryCombo(TComponent* AOwner)
    : TComboBox(AOwner), FWideItems(std::make_unique<TUcComboBoxStrings>(this))
{
}

void TGalleryCombo::CreateWindowHandle(const TCreateParams& Params)
{
    CreateUnicodeWindowHandle(this, Params, L"COMBOBOX", false);
}

void TGalleryCombo::CreateWnd()
{
    TComboBox::CreateWnd();
    RestoreComboAfterCreateWnd(this, FSavedItems, FSavedIndex, FSavedText);
}

void TGalleryCombo::DestroyWnd()
{
    if (!IsDestroying())
        SaveComboBeforeDestroyWnd(this, FSavedItems, FSavedIndex, FSavedText);
    TComboBox::DestroyWnd();
}

const TComboBoxStringsClass& TGalleryCombo::GetItemsClass()
{
    return TVornPatchedComboBoxStrings::ClassRef();
}

void TGalleryCombo::ComboWndProc(TMessage& Message, HWND ComboWnd, WNDPROC ComboProc)
{
    if (!HandleComboWndProcWide(this, Message, ComboWnd, ComboProc, nullptr))
        TComboBox::ComboWndProc(Message, ComboWnd, ComboProc);
}

void TGalleryCombo::Dispatch(TMessage& Message)
{
    if (Message.Msg == CN_COMMAND && HandleComboSelChangeWide(this, Message))
        return;
    TComboBox::Dispatch(Message);
}

void TGalleryLabel::DoDrawText(TRect& Rect, int Flags)
{
    if (!DrawLabelTextWide(this, Rect, Flags))
        TLabel::DoDrawText(Rect, Flags);
}

void TGalleryLabel::Dispatch(TMessage& Message)
{
    if (Message.Msg == CM_DIALOGCHAR) {
        HandleLabelDialogCharWide(this, Message);
        return;
    }
    if (Message.Msg == SM_SKINCMD && (Message.WParamHi() == SKCMD_REFRESH || Message.WParamHi() == SKCMD_SKINREMOVED)) {
        const TzSkinManager* m = DefaultManager;
        const bool skinned = Message.WParamHi() == SKCMD_REFRESH && m && m->SkinData().Active &&
                             m->GetGlobalFontColor() != SkinKeyColor;
        Font()->SetColor(skinned ? m->GetGlobalFontColor() : clWindowText);
        return;
    }
    TLabel::Dispatch(Message);
}
