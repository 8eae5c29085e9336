// The page of skinned buttons: push buttons (plain, default, cancel, disabled), bit buttons
// with their glyph in every layout and from an image list, speed buttons in all five styles
// (one with a drop-down menu), and spin edits for whole and decimal numbers.
#include "gallery.h"
#include "classlib/imglist.h"
#include "classlib/menus.h"
#include "skin/zgraphics.h"
#include "skinctl/zbitbtn.h"
#include "skinctl/zbutton.h"
#include "skinctl/zlabel.h"
#include "skinctl/zpanel.h"
#include "skinctl/zspeedbutton.h"
#include "skinctl/zspinedit.h"
#include "unicode/ucmenus.h"

namespace {

void Heading(TWinControl* Page, TComponent* Owner, int Left, int Top, const wchar_t* Text)
{
    auto* label = Put<TzLabel>(Page, Owner, Left, Top, 400, 18);
    SetControlWideText(label, Text);
    label->Font()->SetStyle(fsBold);
}

// A 16 x 16 glyph on the key colour: a disc of Fill with a light mark across it.
std::unique_ptr<TBitmap> DiscGlyph(TColor Fill)
{
    auto bmp = std::make_unique<TBitmap>();
    bmp->SetPixelFormat(pf24bit);
    bmp->SetSize(16, 16);
    FillBmpRect(bmp.get(), TRect(0, 0, 16, 16), clFuchsia);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) {
            const int dx = 2 * x - 15, dy = 2 * y - 15;
            if (dx * dx + dy * dy <= 15 * 15)
                FillBmpRect(bmp.get(), TRect(x, y, x + 1, y + 1), Fill);
        }
    FillBmpRect(bmp.get(), TRect(4, 7, 12, 9), clWhite);
    return bmp;
}

TUcMenuItem* MenuItem(TComponent* Owner, TMenuItem* Parent, const wchar_t* Caption)
{
    auto* item = new TUcMenuItem(Owner);
    item->SetCaption(Caption);
    Parent->Add(item);
    return item;
}

} // namespace

TWinControl* CreateButtonsPage(TGalleryForm* Form)
{
    auto* page = NewGalleryPanel(Form);

    Heading(page, Form, 20, 12, L"Кнопки");
    auto* enter = Put<TzButton>(page, Form, 20, 36, 100, 28);
    enter->SetCaption(L"Войти");
    auto* ok = Put<TzButton>(page, Form, 130, 36, 100, 28);
    ok->SetCaption(L"ОК");
    ok->SetDefault(true);
    auto* cancel = Put<TzButton>(page, Form, 240, 36, 100, 28);
    cancel->SetCaption(L"Отмена");
    cancel->SetCancel(true);
    auto* off = Put<TzButton>(page, Form, 350, 36, 100, 28);
    off->SetCaption(L"Недоступна");
    off->SetEnabled(false);
    auto* wrap = Put<TzButton>(page, Form, 460, 30, 120, 40);
    wrap->SetCaption(L"Длинная надпись в две строки");

    Heading(page, Form, 20, 84, L"Кнопки с картинкой");
    struct TLayoutCase {
        TButtonLayout Layout;
        const wchar_t* Caption;
        TColor Fill;
    };
    const TLayoutCase layouts[] = {{blGlyphLeft, L"Слева", TColor(0x3A8E2E)},
                                   {blGlyphRight, L"Справа", TColor(0x2E5EC8)},
                                   {blGlyphTop, L"Сверху", TColor(0xB0702A)},
                                   {blGlyphBottom, L"Снизу", TColor(0x8A2EA0)}};
    int x = 20;
    for (const TLayoutCase& c : layouts) {
        const bool tall = c.Layout == blGlyphTop || c.Layout == blGlyphBottom;
        auto* b = Put<TzBitBtn>(page, Form, x, 108, 110, tall ? 56 : 32);
        b->SetCaption(c.Caption);
        b->SetGlyph(DiscGlyph(c.Fill).get());
        b->SetLayout(c.Layout);
        x += 120;
    }
    auto* images = new TImageList(Form);
    images->SetWidth(16);
    images->SetHeight(16);
    images->AddMasked(DiscGlyph(TColor(0x2090E0)).get(), clFuchsia);
    images->AddMasked(DiscGlyph(TColor(0x404040)).get(), clFuchsia);
    auto* listed = Put<TzBitBtn>(page, Form, x, 108, 130, 32);
    listed->SetCaption(L"Из списка");
    listed->SetImages(images);
    listed->SetImageIndex(0);
    listed->SetMargin(4);
    listed->SetAlignment(taLeftJustify);
    auto* dim = Put<TzBitBtn>(page, Form, x + 140, 108, 130, 32);
    dim->SetCaption(L"Недоступна");
    dim->SetImages(images);
    dim->SetImageIndex(0);
    dim->SetEnabled(false);

    Heading(page, Form, 20, 180, L"Быстрые кнопки");
    auto* find = Put<TzSpeedButton>(page, Form, 20, 204, 90, 28);
    find->SetCaption(L"Найти");
    find->SetGlyph(DiscGlyph(TColor(0x2E5EC8)).get());
    auto* bold = Put<TzSpeedButton>(page, Form, 115, 204, 90, 28);
    bold->SetCaption(L"Жирный");
    bold->SetButtonStyle(tbsCheck);
    bold->SetChecked(true);
    Put<TzSpeedButton>(page, Form, 210, 204, 8, 28)->SetButtonStyle(tbsSeparator);
    Put<TzSpeedButton>(page, Form, 218, 204, 8, 28)->SetButtonStyle(tbsDivider);
    auto* status = Put<TzSpeedButton>(page, Form, 230, 204, 90, 28);
    status->SetCaption(L"Статус");
    status->SetButtonStyle(tbsDropDown);
    auto* menu = new TPopupMenu(Form);
    for (const wchar_t* s : {L"В сети", L"Отошёл", L"Не беспокоить", L"Невидимый"})
        MenuItem(Form, menu->Items(), s);
    status->SetDropdownMenu(menu);
    auto* glyphOnly = Put<TzSpeedButton>(page, Form, 350, 204, 28, 28);
    glyphOnly->SetGlyph(DiscGlyph(TColor(0x3A8E2E)).get());
    auto* listedSpeed = Put<TzSpeedButton>(page, Form, 382, 204, 28, 28);
    listedSpeed->SetImages(images);
    listedSpeed->SetImageIndex(1);
    auto* offSpeed = Put<TzSpeedButton>(page, Form, 414, 204, 90, 28);
    offSpeed->SetCaption(L"Недоступна");
    offSpeed->SetEnabled(false);

    Heading(page, Form, 20, 252, L"Поля с числом");
    auto* age = Put<TzSpinEdit>(page, Form, 20, 276, 110, 24);
    age->SetMinValue(0);
    age->SetMaxValue(120);
    age->SetValue(42);
    auto* price = Put<TzDecimalSpinEdit>(page, Form, 140, 276, 110, 24);
    price->SetMinValue(0);
    price->SetMaxValue(1000);
    price->SetIncrement(0.25);
    price->SetValue(12.5);
    auto* fixed = Put<TzSpinEdit>(page, Form, 260, 276, 110, 24);
    fixed->SetValue(7);
    fixed->SetEnabled(false);
    return page;
}
