// The panel with a wide caption and hint, in a Unicode window.
#pragma once

#include "classlib/extctrls.h"
#include "unicode/ucwidecontrol.h"

// Paints the bevels of the library's panel and its wide caption over them.
class TUcCustomPanel : public TUcControlOf<TCustomPanel> {
    Z_CLASS(TUcCustomPanel, TCustomPanel)
public:
    explicit TUcCustomPanel(TComponent* AOwner) : TUcControlOf<TCustomPanel>(AOwner) {}

protected:
    void CreateWindowHandle(const TCreateParams& Params) override;
    void Paint() override;
};

class TUcPanel : public TUcCustomPanel {
    Z_CLASS(TUcPanel, TUcCustomPanel)
public:
    explicit TUcPanel(TComponent* AOwner) : TUcCustomPanel(AOwner) {}
};

// Start-up: the panel becomes known to form data.
void InitUcExtCtrls();
