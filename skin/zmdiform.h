// The skin of an MDI parent form's client window: the provider of an MDI parent makes one,
// and it attaches the MDI client adapter, which shows the form's picture (the provider's
// cache, with the skin's MDI area painted into it) behind the child forms.
#pragma once

#include "classlib/classes.h"

#include <memory>

class TzSkinProvider;
class TCustomForm;
class TSkMDIWnd;

class TzMDIForm : public TPersistent {
    Z_CLASS(TzMDIForm, TPersistent)
public:
    // Keeps the provider and its form, and makes sure the form's window exists.
    explicit TzMDIForm(TzSkinProvider* Provider);
    ~TzMDIForm() override;

    TzSkinProvider* Provider() const { return FProvider; }
    TCustomForm* Form() const { return FForm; }
    TSkMDIWnd* Adapter() const { return FAdapter.get(); }
    // The client window's adapter, made anew while the provider's skin is applied (section
    // "CHECKBOX", the provider's manager and picture); only the old one freed otherwise.
    // Nothing once connected.
    void ConnectToClient();
    // Made anew even when connected (a new skin).
    void Reconnect();
    // The provider repaints the form's frame.
    void RefreshFrame();

private:
    TzSkinProvider* FProvider;
    TCustomForm* FForm;
    std::unique_ptr<TSkMDIWnd> FAdapter;
};
