// The page of foreign windows: static texts, push buttons, buttons with images (one of the
// class library's), check boxes, radio buttons, a group box, a size box, an up-down, a tool bar and a panel made with
// the plain system calls, which know nothing of skins, painted from the skin through their
// self-painting window adapters. The page stands on the skin's panel colour.
#include "gallery.h"
#include "classlib/buttons.h"
#include "classlib/gdihandles.h"
#include "skin/zcommondata.h"
#include "skin/zgraphics.h"
#include "skin/zcontrolutils.h"
#include "skin/zpaintwnd.h"
#include "skin/zsectionpaint.h"
#include "skin/zskinmanager.h"
#include "skinctl/zlabel.h"
#include "skinctl/zskinctl.h"

#include <commctrl.h>

#include <vector>

namespace {

// The page of the foreign windows: it gives them their adapters while a skin is applied.
class TForeignPage : public TGallerySkinPage {
    Z_CLASS(TForeignPage, TGallerySkinPage)
public:
    explicit TForeignPage(TComponent* AOwner) : TGallerySkinPage(AOwner) {}
    ~TForeignPage() override
    {
        FAdapters.clear();
        FBitBtnData.reset();
    }

protected:
    void CreateWnd() override
    {
        INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_BAR_CLASSES | ICC_UPDOWN_CLASS};
        InitCommonControlsEx(&icc);
        TGallerySkinPage::CreateWnd();
    }
    void SkinFollowed(TColor) override
    {
        FAdapters.clear();
        if (!HandleAllocated())
            return;
        if (FWindows.empty())
            MakeWindows();
        if (!DefaultManager || !DefaultManager->SkinData().Active)
            return;
        for (const TWindow& w : FWindows)
            FAdapters.push_back(w.Adapt(w.Wnd, w.Section));
        FAdapters.push_back(CreateAdapter<TSkBitBtnWnd>(FBitBtn->Handle(), FBitBtnData.get(), DefaultManager, "BUTTON", true));
        RedrawWindow(Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
    }

private:
    HWND Make(const wchar_t* Class, DWORD Style, const wchar_t* Text, const TRect& B)
    {
        HWND w = CreateWindowExW(0, Class, Text, WS_CHILD | WS_VISIBLE | Style, B.Left, B.Top, B.Width(), B.Height(),
                                 Handle(), nullptr, GetModuleHandleW(nullptr), nullptr);
        SendMessageW(w, WM_SETFONT, WPARAM(GetStockObject(DEFAULT_GUI_FONT)), 0);
        return w;
    }
    template <class T> void Keep(HWND Wnd, const char* Section) { FWindows.push_back({Wnd, Section, &Adapt<T>}); }
    template <class T> static std::unique_ptr<TSkMainWnd> Adapt(HWND Wnd, const char* Section)
    {
        auto a = CreateAdapter<T>(Wnd, nullptr, DefaultManager, Section, true);
        a->AfterCreation();
        return a;
    }

    void MakeWindows()
    {
        Keep<TSkStaticWnd>(Make(L"STATIC", SS_LEFT | SS_NOPREFIX, L"Сообщение окна, длинное настолько, что "
                                L"переносится на вторую строку: R&D · Ελληνικά",
                                TRect(20, 36, 300, 70)),
                           "CHECKBOX");
        Keep<TSkStaticWnd>(Make(L"STATIC", SS_RIGHT, L"Справа", TRect(20, 74, 300, 90)), "CHECKBOX");
        Keep<TSkStaticWnd>(Make(L"STATIC", SS_LEFT | SS_PATHELLIPSIS,
                                L"C:\\Documents and Settings\\Алёна\\Application Data\\Zandrel\\History\\12345.txt",
                                TRect(20, 94, 300, 110)),
                           "CHECKBOX");
        HWND icon = Make(L"STATIC", SS_ICON, nullptr, TRect(310, 36, 342, 68));
        SendMessageW(icon, STM_SETICON, WPARAM(LoadIconW(nullptr, MAKEINTRESOURCEW(32516))), 0);
        Keep<TSkIconWnd>(icon, "CHECKBOX");

        Keep<TSkBtnWnd>(Make(L"BUTTON", BS_DEFPUSHBUTTON, L"ОК", TRect(20, 124, 110, 152)), "BUTTON");
        Keep<TSkBtnWnd>(Make(L"BUTTON", BS_PUSHBUTTON, L"Отмена", TRect(120, 124, 210, 152)), "BUTTON");
        HWND off = Make(L"BUTTON", BS_PUSHBUTTON, L"Недоступна", TRect(220, 124, 320, 152));
        EnableWindow(off, FALSE);
        Keep<TSkBtnWnd>(off, "BUTTON");
        HWND image = Make(L"BUTTON", BS_PUSHBUTTON | BS_ICON, L"Сведения", TRect(330, 124, 370, 152));
        SendMessageW(image, BM_SETIMAGE, IMAGE_ICON, LPARAM(LoadImageW(nullptr, MAKEINTRESOURCEW(32516),
                                                                        IMAGE_ICON, 16, 16, LR_SHARED)));
        Keep<TSkBitBtnWnd>(image, "BUTTON");
        // A bit button of the class library, which knows nothing of skins either.
        FBitBtn = MakeComponent<TBitBtn>(this);
        FBitBtn->SetBounds(380, 124, 130, 28);
        FBitBtn->SetParent(this);
        FBitBtn->SetCaption("\xD1\xE2\xE5\xE4\xE5\xED\xE8\xFF");   // "Сведения"
        auto glyph = CreateBmp24(16, 16);
        FillDC(glyph->Canvas()->Handle(), TRect(0, 0, 16, 16), clFuchsia);
        FillDC(glyph->Canvas()->Handle(), TRect(3, 3, 13, 13), TColor(0x2E8E3A));
        FBitBtn->SetGlyph(glyph.get());
        FBitBtnData = std::make_unique<TzCommonData>(FBitBtn, true);

        Keep<TSkGroupBoxWnd>(Make(L"BUTTON", BS_GROUPBOX, L"Выбор · Επιλογή", TRect(20, 166, 300, 300)), "GROUPBOX");
        Keep<TSkCheckBoxWnd>(Make(L"BUTTON", BS_AUTOCHECKBOX, L"Флажок", TRect(32, 190, 160, 210)), "CHECKBOX");
        HWND three = Make(L"BUTTON", BS_AUTO3STATE, L"Три состояния", TRect(32, 214, 160, 234));
        SendMessageW(three, BM_SETCHECK, BST_INDETERMINATE, 0);
        Keep<TSkCheckBoxWnd>(three, "CHECKBOX");
        HWND checked = Make(L"BUTTON", BS_AUTOCHECKBOX | BS_LEFTTEXT, L"Подпись слева", TRect(32, 238, 160, 258));
        SendMessageW(checked, BM_SETCHECK, BST_CHECKED, 0);
        Keep<TSkCheckBoxWnd>(checked, "CHECKBOX");
        HWND first = Make(L"BUTTON", BS_AUTORADIOBUTTON | WS_GROUP, L"Да", TRect(170, 190, 290, 210));
        SendMessageW(first, BM_SETCHECK, BST_CHECKED, 0);
        Keep<TSkCheckBoxWnd>(first, "CHECKBOX");
        Keep<TSkCheckBoxWnd>(Make(L"BUTTON", BS_AUTORADIOBUTTON, L"Нет", TRect(170, 214, 290, 234)), "CHECKBOX");
        Keep<TSkCheckBoxWnd>(Make(L"BUTTON", BS_AUTORADIOBUTTON, L"Όχι ακόμα", TRect(170, 238, 290, 258)), "CHECKBOX");

        HWND count = Make(L"STATIC", SS_CENTER | SS_CENTERIMAGE, L"5", TRect(320, 180, 360, 204));
        Keep<TSkStaticWnd>(count, "CHECKBOX");
        HWND spin = Make(UPDOWN_CLASSW, UDS_SETBUDDYINT | UDS_ALIGNRIGHT, nullptr, TRect(360, 180, 378, 204));
        SendMessageW(spin, UDM_SETBUDDY, WPARAM(count), 0);
        SendMessageW(spin, UDM_SETRANGE32, 0, 20);
        SendMessageW(spin, UDM_SETPOS32, 0, 5);
        Keep<TSkSpinWnd>(spin, "SPEEDBUTTON_SMALL");

        HWND bar = Make(TOOLBARCLASSNAMEW, TBSTYLE_FLAT | TBSTYLE_LIST | CCS_NORESIZE | CCS_NODIVIDER, nullptr,
                        TRect(320, 220, 640, 250));
        SendMessageW(bar, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
        const wchar_t* texts[] = {L"Открыть", L"Жирный", L"Ελληνικά", L"Выкл"};
        TBBUTTON buttons[4] = {};
        for (int i = 0; i < 4; ++i) {
            buttons[i].iBitmap = I_IMAGENONE;
            buttons[i].idCommand = 100 + i;
            buttons[i].fsState = i == 3 ? 0 : TBSTATE_ENABLED;
            buttons[i].fsStyle = i == 1 ? BTNS_CHECK : i == 2 ? BTNS_DROPDOWN : BTNS_BUTTON;
            buttons[i].iString = INT_PTR(texts[i]);
        }
        SendMessageW(bar, TB_ADDBUTTONSW, 4, LPARAM(buttons));
        SendMessageW(bar, TB_CHECKBUTTON, 101, TRUE);
        Keep<TSkToolBarWnd>(bar, "BAR");

        HWND panel = Make(L"#32770", WS_BORDER, nullptr, TRect(320, 264, 640, 300));
        HWND inside = CreateWindowExW(0, L"STATIC", L"Панель · Πίνακας", WS_CHILD | WS_VISIBLE | SS_CENTER | SS_CENTERIMAGE,
                                      0, 0, 318, 34, panel, nullptr, GetModuleHandleW(nullptr), nullptr);
        SendMessageW(inside, WM_SETFONT, WPARAM(GetStockObject(DEFAULT_GUI_FONT)), 0);
        Keep<TSkTransPanelWnd>(panel, "CHECKBOX");
        Keep<TSkStaticWnd>(inside, "CHECKBOX");
        Keep<TSkSizerWnd>(Make(L"SCROLLBAR", SBS_SIZEBOX, nullptr, TRect(624, 310, 640, 326)), "CHECKBOX");
    }

    struct TWindow {
        HWND Wnd;
        const char* Section;
        std::unique_ptr<TSkMainWnd> (*Adapt)(HWND, const char*);
    };
    std::vector<TWindow> FWindows;
    TBitBtn* FBitBtn = nullptr;
    std::unique_ptr<TzCommonData> FBitBtnData;
    std::vector<std::unique_ptr<TSkMainWnd>> FAdapters;
};

Z_CLASS_IMPL(TForeignPage, TGallerySkinPage)

} // namespace

TWinControl* CreateForeignPage(TGalleryForm* Form)
{
    auto* page = PlacePage<TForeignPage>(Form);
    auto* label = Put<TzLabel>(page, Form, 20, 12, 400, 18);
    SetControlWideText(label, L"Окна системы под адаптерами скина");
    label->Font()->SetStyle(fsBold);
    return page;
}
