// The skins page: the skin manager that the window's form data carries (with the built-in
// skin), the skins it finds, switching between them, and what the current one holds.
#include "gallery.h"
#include "skin/zcontrolutils.h"
#include "skin/zgraphics.h"
#include "skin/zskinmanager.h"
#include "skin/zskinservices.h"
#include "unicode/ucsysutils.h"

#include <algorithm>
#include <deque>

namespace {

const wchar_t* const PreviewClass = L"ZandrelSkinPreview";

enum : int { IdSkinList = 201, IdNoSkin = 202 };

HFONT MakeFont(int height, bool bold)
{
    return CreateFontW(-height, 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0,
                       CLEARTYPE_QUALITY, 0, L"Tahoma");
}

WideString CommandList(const std::deque<uint16_t>& Commands)
{
    WideString s;
    for (uint16_t c : Commands)
        s += (s.empty() ? L"" : L", ") + std::to_wstring(c);
    return s.empty() ? WideString(L"—") : s;
}

// Paints the master bitmap of the manager it is given, scaled to fit and centred.
LRESULT CALLBACK PreviewProc(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam)
{
    if (Msg == WM_SETFONT) {
        SetWindowLongPtrW(Wnd, 0, LONG_PTR(WParam));
        return 0;
    }
    if (Msg == WM_GETFONT)
        return GetWindowLongPtrW(Wnd, 0);
    if (Msg != WM_PAINT)
        return DefWindowProcW(Wnd, Msg, WParam, LParam);
    TPaintDC paint(Wnd);
    HDC dc = paint.Handle();
    try {
        RECT rc;
        GetClientRect(Wnd, &rc);
        FillRect(dc, &rc, GetSysColorBrush(COLOR_WINDOW));
        FrameRect(dc, &rc, GetSysColorBrush(COLOR_BTNSHADOW));
        auto* manager = reinterpret_cast<TzSkinManager*>(GetWindowLongPtrW(Wnd, GWLP_USERDATA));
        TBitmap* master = manager && manager->SkinData().Active ? manager->MasterBitmap() : nullptr;
        if (master && !master->Empty()) {
            const int w = rc.right - 8, h = rc.bottom - 8;
            // Whole pixels where the picture fits, else shrunk keeping its proportions.
            double scale = std::min(double(w) / master->Width(), double(h) / master->Height());
            scale = scale >= 1 ? std::min(2.0, double(int(scale))) : scale;
            const int dw = int(master->Width() * scale), dh = int(master->Height() * scale);
            const int x = (rc.right - dw) / 2, y = (rc.bottom - dh) / 2;
            TMemoryDC src(dc);
            TSelectObject select(src.Handle(), master->Handle());
            SetStretchBltMode(dc, scale < 1 ? HALFTONE : COLORONCOLOR);
            SetBrushOrgEx(dc, 0, 0, nullptr);
            StretchBlt(dc, x, y, dw, dh, src.Handle(), 0, 0, master->Width(), master->Height(), SRCCOPY);
        } else {
            SetBkMode(dc, TRANSPARENT);
            SelectObject(dc, reinterpret_cast<HFONT>(GetWindowLongPtrW(Wnd, 0)));
            DrawTextWide(dc, L"Нет скина: элементы рисуются как обычно", -1, &rc,
                         DT_CENTER | DT_VCENTER | DT_SINGLELINE);
        }
    } catch (...) {
        HandleCaughtException();
    }
    return 0;
}

class TSkinsPage : public TCustomControl {
    Z_CLASS(TSkinsPage, TCustomControl)
public:
    TSkinsPage(TComponent* AOwner, TzSkinManager* AManager)
        : TCustomControl(AOwner), FManager(AManager), FFont(MakeFont(15, false)), FTitleFont(MakeFont(20, true))
    {
        SetControlStyle(ControlStyle() | csAcceptsControls);
    }

protected:
    void CreateWnd() override
    {
        TCustomControl::CreateWnd();
        HWND title = Child(0, L"STATIC", L"Скины", 0, 0);
        SendMessageW(title, WM_SETFONT, reinterpret_cast<WPARAM>(FTitleFont.Handle()), TRUE);
        HWND caption = Child(0, L"STATIC", L"GetSkinNames, вид 2:", 0, 0);
        FSkinList = Child(WS_EX_CLIENTEDGE, L"LISTBOX", L"", WS_VSCROLL | WS_TABSTOP | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT,
                          IdSkinList);
        HWND noSkin = Child(0, L"BUTTON", L"Без скина", WS_TABSTOP | BS_PUSHBUTTON, IdNoSkin);
        FInfo = Child(0, L"STATIC", L"", 0, 0);
        FPreview = Child(0, PreviewClass, L"", 0, 0);
        SetWindowLongPtrW(FPreview, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(FManager));
        FReceived = Child(0, L"STATIC", L"", 0, 0);
        FChildren = {title, caption, FSkinList, noSkin, FInfo, FPreview, FReceived};
        Layout();
        FillSkinList();
        UpdateSkinInfo();
    }

    void Resize() override
    {
        TCustomControl::Resize();
        Layout();
    }

    void WndProc(TMessage& Message) override
    {
        switch (Message.Msg) {
        case WM_COMMAND:
            if (reinterpret_cast<HWND>(Message.LParam) == FSkinList && HIWORD(Message.WParam) == LBN_SELCHANGE) {
                SwitchTo(SelectedSkin());
                return;
            }
            if (LOWORD(Message.WParam) == IdNoSkin && HIWORD(Message.WParam) == BN_CLICKED) {
                if (FManager)
                    FManager->SetActive(false);
                SendMessageW(FSkinList, LB_SETCURSEL, WPARAM(-1), 0);
                return;
            }
            break;
        case WM_CTLCOLORSTATIC: {
            // The texts stand on the page's colour (the skinned form's), in the skin's text
            // colour while a skin is applied.
            const TWMCtlColor color(Message);
            const bool skinned = FManager && FManager->SkinData().Active;
            SetTextColor(color.ChildDC, skinned ? FManager->GetGlobalFontColor() : GetSysColor(COLOR_WINDOWTEXT));
            SetBkColor(color.ChildDC, ColorToRGB(Color()));
            Message.Result = reinterpret_cast<LRESULT>(Brush()->Handle());
            return;
        }
        default:
            if (Message.Msg == SM_SKINCMD)
                SkinCommand(TWMSkinCommand(Message).Command);
            break;
        }
        TCustomControl::WndProc(Message);
    }

private:
    HWND Child(DWORD ExStyle, const wchar_t* Class, const wchar_t* Text, DWORD Style, int Id)
    {
        HWND w = CreateWindowExW(ExStyle, Class, Text, WS_CHILD | WS_VISIBLE | Style, 0, 0, 10, 10, Handle(),
                                 reinterpret_cast<HMENU>(INT_PTR(Id)), GetModuleHandleW(nullptr), nullptr);
        SendMessageW(w, WM_SETFONT, reinterpret_cast<WPARAM>(FFont.Handle()), TRUE);
        return w;
    }

    // The list and its button on the left, the skin's values and master bitmap on the right.
    void Layout()
    {
        if (FChildren.size() != 7)
            return;
        RECT rc;
        ::GetClientRect(Handle(), &rc);
        const int left = 14, top = 10, width = std::max(200, int(rc.right) - 28);
        const int height = std::max(200, int(rc.bottom) - 20);
        const int listWidth = 190, right = left + listWidth + 12, rightWidth = width - listWidth - 12;
        auto place = [](HWND W, int X, int Y, int Width, int Height) {
            SetWindowPos(W, nullptr, X, Y, Width, Height, SWP_NOZORDER | SWP_NOACTIVATE);
        };
        place(FChildren[0], left, top, width, 26);
        place(FChildren[1], left, top + 32, listWidth, 18);
        place(FSkinList, left, top + 52, listWidth, height - 96);
        place(FChildren[3], left, top + height - 36, listWidth, 30);
        place(FInfo, right, top + 32, rightWidth, 112);
        place(FPreview, right, top + 150, rightWidth, height - 180);
        place(FReceived, right, top + height - 24, rightWidth, 22);
    }

    // The commands this page hears of the manager (not the questions it is asked).
    void SkinCommand(uint16_t Command)
    {
        // The form's questions for its provider and the broadcast's own question are no news.
        if (Command == SKCMD_GETPROVIDER || Command == SKCMD_ISSKINNED)
            return;
        if (Command == SKCMD_NEWSKIN)
            FHeard.clear();
        FHeard.push_back(Command);
        while (FHeard.size() > 8)
            FHeard.pop_front();
        if (Command == SKCMD_SKINREMOVED || Command == SKCMD_REFRESH)
            UpdateSkinInfo();
    }

    void FillSkinList()
    {
        if (!FManager || !FSkinList)
            return;
        TUcStringList names;
        FManager->GetSkinNames(&names, 2);
        SendMessageW(FSkinList, LB_RESETCONTENT, 0, 0);
        for (int i = 0; i < names.Count(); ++i)
            SendMessageW(FSkinList, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(names.Strings(i).c_str()));
    }

    WideString SelectedSkin() const
    {
        LRESULT i = SendMessageW(FSkinList, LB_GETCURSEL, 0, 0);
        if (i < 0)
            return WideString();
        WideString name(size_t(SendMessageW(FSkinList, LB_GETTEXTLEN, i, 0)), L'\0');
        SendMessageW(FSkinList, LB_GETTEXT, i, reinterpret_cast<LPARAM>(name.data()));
        return name;
    }

    // As the options page does it: off, the new name, on.
    void SwitchTo(const WideString& Name)
    {
        if (!FManager || Name.empty())
            return;
        FManager->SetActive(false);
        FManager->SetSkinName(Name);
        FManager->SetActive(true);
        UpdateSkinInfo();
    }

    void UpdateSkinInfo()
    {
        if (!FInfo || !FManager)
            return;
        const TzSkinManager& m = *FManager;
        WideString text;
        if (m.SkinData().Active) {
            const wchar_t* kind = m.SkinData().SkinPath.empty() ? L"встроенный (форма)"
                                  : m.PackedData()              ? L"файл .qsz"
                                                                : L"папка";
            text = WideFormat(L"Скин: %ls — %ls\nSkinInfo (версия): %hs\nРазделов: %d, картинок: %d\n"
                              L"Автор: %hs\n%hs",
                              m.SkinName().c_str(), kind, m.SkinInfo().c_str(), m.SectionCount(), m.MaskCount(),
                              m.SkinData().Author.c_str(), m.SkinData().Description.c_str());
        } else {
            text = WideFormat(L"Скин не применён (SkinInfo: %hs)\nSkinName: %ls", m.SkinInfo().c_str(),
                              m.SkinName().c_str());
        }
        SetWindowTextWide(FInfo, text.c_str());
        SetWindowTextWide(FReceived, (L"Команды SM_SKINCMD этой страницы: " + CommandList(FHeard)).c_str());
        // The list shows the current skin selected.
        LRESULT at = m.SkinData().Active
                         ? SendMessageW(FSkinList, LB_FINDSTRINGEXACT, WPARAM(-1), LPARAM(m.SkinName().c_str()))
                         : LB_ERR;
        SendMessageW(FSkinList, LB_SETCURSEL, at == LB_ERR ? WPARAM(-1) : WPARAM(at), 0);
        InvalidateRect(FPreview, nullptr, TRUE);
    }

    TzSkinManager* FManager;
    TOwnedFont FFont;
    TOwnedFont FTitleFont;
    HWND FSkinList = nullptr;
    HWND FInfo = nullptr;
    HWND FPreview = nullptr;
    HWND FReceived = nullptr;
    std::vector<HWND> FChildren;
    std::deque<uint16_t> FHeard;
};
Z_CLASS_IMPL(TSkinsPage, TCustomControl)

} // namespace

void RegisterSkinsPageClasses()
{
    WNDCLASSW cls{};
    cls.lpfnWndProc = &PreviewProc;
    cls.cbWndExtra = sizeof(LONG_PTR);   // the font
    cls.hInstance = GetModuleHandleW(nullptr);
    cls.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    cls.lpszClassName = PreviewClass;
    RegisterClassW(&cls);
}

TWinControl* CreateSkinsPage(TGalleryForm* Form)
{
    return new TSkinsPage(Form, Form->SkinManager());
}
