// The page of foreign windows: static texts, push buttons, check boxes, radio buttons, a
// group box, a size box, an up-down and a tool bar made with the plain system calls, which
// know nothing of skins, painted from the skin through their self-painting window adapters.
#include "gallery.h"
#include "skinctl/zlabel.h"
#include "skinctl/zpanel.h"

TWinControl* CreateForeignPage(TGalleryForm* Form)
{
    auto* page = NewGalleryPanel(Form);
    auto* label = Put<TzLabel>(page, Form, 20, 12, 300, 18);
    SetControlWideText(label, L"Окна системы");
    label->Font()->SetStyle(fsBold);
    return page;
}
