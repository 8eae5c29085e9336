#include "skin/zmdiform.h"

#include "classlib/forms.h"
#include "skin/zclientwnd.h"
#include "skin/zskinprovider.h"

Z_CLASS_IMPL(TzMDIForm, TPersistent)

TzMDIForm::TzMDIForm(TzSkinProvider* Provider) : FProvider(Provider), FForm(Provider ? Provider->Form() : nullptr)
{
    if (FForm && !FForm->IsDesigning() && !FForm->IsDestroying())
        FForm->HandleNeeded();
}

TzMDIForm::~TzMDIForm() = default;

void TzMDIForm::ConnectToClient()
{
    if (!FAdapter)
        Reconnect();
}

void TzMDIForm::Reconnect()
{
    FAdapter.reset();
    if (!FForm || FForm->IsDesigning() || !FForm->ClientHandle() || !FProvider->Skinning())
        return;
    TzCommonData* formData = FProvider->SkinData();
    FAdapter = CreateAdapter<TSkMDIWnd>(FForm->ClientHandle(), nullptr, formData->GetSkinManager(), "CHECKBOX", true,
                                        formData);
}

void TzMDIForm::RefreshFrame()
{
    if (FProvider)
        FProvider->RefreshNonClient();
}
