// The gallery: a window that shows what the library can do so far, one page per family.
// "Text": a UTF-8 text file read through the wide string list. "Skins": the skin manager
// that the window's form data carries (with the built-in skin), the skins it finds, switching
// between them, and what the current one holds.
//
// With --screenshot FILE it paints both pages once, writes them as PNG files (FILE, and FILE
// with "-skins" before the extension) and exits.
#include "classlib/forms.h"
#include "classlib/winapi.h"
#include "skin/zgraphics.h"
#include "skin/zskinmanager.h"
#include "skin/zskinservices.h"
#include "support/screenshot.h"
#include "unicode/ucclasses.h"
#include "unicode/ucsystem.h"
#include "unicode/ucsysutils.h"

#include <commctrl.h>

#include <algorithm>
#include <deque>

namespace {

const wchar_t* const PreviewClass = L"ZandrelSkinPreview";

enum : int { IdTabs = 101, IdTextList = 102, IdSkinList = 201, IdNoSkin = 202 };

// The sample text sits beside the program's sources; the build passes its folder in.
WideString SampleFile()
{
    return Utf8ToWide(ZANDREL_GALLERY_DATA) + L"/greetings-utf8.txt";
}

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
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(Wnd, &ps);
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
            HDC src = CreateCompatibleDC(dc);
            HGDIOBJ old = SelectObject(src, master->Handle());
            SetStretchBltMode(dc, scale < 1 ? HALFTONE : COLORONCOLOR);
            SetBrushOrgEx(dc, 0, 0, nullptr);
            StretchBlt(dc, x, y, dw, dh, src, 0, 0, master->Width(), master->Height(), SRCCOPY);
            SelectObject(src, old);
            DeleteDC(src);
        } else {
            SetBkMode(dc, TRANSPARENT);
            SelectObject(dc, reinterpret_cast<HFONT>(GetWindowLongPtrW(Wnd, 0)));
            DrawTextWide(dc, L"Нет скина: элементы рисуются как обычно", -1, &rc,
                         DT_CENTER | DT_VCENTER | DT_SINGLELINE);
        }
    } catch (...) {
        HandleCaughtException();
    }
    EndPaint(Wnd, &ps);
    return 0;
}

class TGalleryForm : public TForm {
public:
    explicit TGalleryForm(TComponent* AOwner) : TForm(AOwner)
    {
        Font = MakeFont(15, false);
        TitleFont = MakeFont(20, true);
        LoadText();
        // The form data names the skin manager and carries the built-in skin; reading it
        // applies that skin.
        TResourceStream data(GetModuleHandleW(nullptr), "GALLERYFORM", reinterpret_cast<const char*>(RT_RCDATA));
        data.ReadComponent(this);
        for (int i = 0; i < ComponentCount() && !Manager; ++i)
            Manager = dynamic_cast<TzSkinManager*>(Components(i));
    }

    ~TGalleryForm() override
    {
        DeleteObject(Font);
        DeleteObject(TitleFont);
    }

    void ShowPage(int Index)
    {
        if (!Tabs)
            return;
        SendMessageW(Tabs, TCM_SETCURSEL, WPARAM(Index), 0);
        for (HWND w : TextPage)
            ShowWindow(w, Index == 0 ? SW_SHOW : SW_HIDE);
        for (HWND w : SkinPage)
            ShowWindow(w, Index == 1 ? SW_SHOW : SW_HIDE);
    }

protected:
    void CreateWnd() override
    {
        TForm::CreateWnd();
        HWND form = Handle();
        SetWindowTextWide(form, L"Zandrel — галерея");
        RECT rc;
        ::GetClientRect(form, &rc);
        Tabs = Child(0, WC_TABCONTROLW, L"", WS_CLIPSIBLINGS, 8, 8, rc.right - 16, rc.bottom - 16, IdTabs);
        TCITEMW item{};
        item.mask = TCIF_TEXT;
        item.pszText = const_cast<wchar_t*>(L"Текст");
        SendMessageW(Tabs, TCM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
        item.pszText = const_cast<wchar_t*>(L"Скины");
        SendMessageW(Tabs, TCM_INSERTITEMW, 1, reinterpret_cast<LPARAM>(&item));
        RECT page{8, 8, rc.right - 8, rc.bottom - 8};
        SendMessageW(Tabs, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&page));
        InflateRect(&page, -6, -6);
        const int left = page.left, top = page.top, width = page.right - page.left;
        const int height = page.bottom - page.top;

        // "Text"
        HWND title = Child(0, L"STATIC", L"Текст в UTF-16 из списка строк", 0, left, top, width, 26, 0);
        SendMessageW(title, WM_SETFONT, reinterpret_cast<WPARAM>(TitleFont), TRUE);
        HWND list = Child(WS_EX_CLIENTEDGE, L"LISTBOX", L"", WS_VSCROLL | LBS_NOINTEGRALHEIGHT, left, top + 32,
                          width, height - 90, IdTextList);
        for (int i = 0; i < Lines.Count(); ++i)
            SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Lines.Strings(i).c_str()));
        HWND status = Child(0, L"STATIC", Status.c_str(), 0, left, top + height - 50, width, 50, 0);
        TextPage = {title, list, status};

        // "Skins"
        const int listWidth = 190;
        HWND skinsTitle = Child(0, L"STATIC", L"Скины", 0, left, top, width, 26, 0);
        SendMessageW(skinsTitle, WM_SETFONT, reinterpret_cast<WPARAM>(TitleFont), TRUE);
        HWND caption = Child(0, L"STATIC", L"GetSkinNames, вид 2:", 0, left, top + 32, listWidth, 18, 0);
        SkinList = Child(WS_EX_CLIENTEDGE, L"LISTBOX", L"", WS_VSCROLL | WS_TABSTOP | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT,
                         left, top + 52, listWidth, height - 96, IdSkinList);
        HWND noSkin = Child(0, L"BUTTON", L"Без скина", WS_TABSTOP | BS_PUSHBUTTON, left, top + height - 36,
                            listWidth, 30, IdNoSkin);
        const int right = left + listWidth + 12, rightWidth = width - listWidth - 12;
        Info = Child(0, L"STATIC", L"", 0, right, top + 32, rightWidth, 112, 0);
        Preview = Child(0, PreviewClass, L"", 0, right, top + 150, rightWidth, height - 180, 0);
        SetWindowLongPtrW(Preview, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(Manager));
        Received = Child(0, L"STATIC", L"", 0, right, top + height - 24, rightWidth, 22, 0);
        SkinPage = {skinsTitle, caption, SkinList, noSkin, Info, Preview, Received};
        // Made first, the tab control would lie above its pages; it belongs beneath them.
        SetWindowPos(Tabs, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);

        FillSkinList();
        UpdateSkinInfo();
        ShowPage(0);
    }

    void WndProc(TMessage& Message) override
    {
        switch (Message.Msg) {
        case WM_NOTIFY: {
            auto* hdr = reinterpret_cast<NMHDR*>(Message.LParam);
            if (hdr->hwndFrom == Tabs && hdr->code == TCN_SELCHANGE) {
                ShowPage(int(SendMessageW(Tabs, TCM_GETCURSEL, 0, 0)));
                return;
            }
            break;
        }
        case WM_COMMAND:
            if (reinterpret_cast<HWND>(Message.LParam) == SkinList && HIWORD(Message.WParam) == LBN_SELCHANGE) {
                SwitchTo(SelectedSkin());
                return;
            }
            if (LOWORD(Message.WParam) == IdNoSkin && HIWORD(Message.WParam) == BN_CLICKED) {
                if (Manager)
                    Manager->SetActive(false);
                SendMessageW(SkinList, LB_SETCURSEL, WPARAM(-1), 0);
                return;
            }
            break;
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLORBTN: {
            // The labels stand on the tab control's page, which is drawn in the window colour.
            auto dc = reinterpret_cast<HDC>(Message.WParam);
            SetBkColor(dc, GetSysColor(COLOR_WINDOW));
            SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
            Message.Result = reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_WINDOW));
            return;
        }
        default:
            if (Message.Msg == SM_SKINCMD)
                SkinCommand(Message.WParamHi());
            break;
        }
        TForm::WndProc(Message);
    }

private:
    HWND Child(DWORD ExStyle, const wchar_t* Class, const wchar_t* Text, DWORD Style, int X, int Y, int W, int H,
               int Id)
    {
        HWND w = CreateWindowExW(ExStyle, Class, Text, WS_CHILD | WS_VISIBLE | Style, X, Y, W, H, Handle(),
                                 reinterpret_cast<HMENU>(INT_PTR(Id)), GetModuleHandleW(nullptr), nullptr);
        SendMessageW(w, WM_SETFONT, reinterpret_cast<WPARAM>(Font), TRUE);
        return w;
    }

    void LoadText()
    {
        try {
            Lines.LoadFromFile(SampleFile());
            static const wchar_t* const sets[] = {L"ANSI", L"UTF-16", L"UTF-16 big-endian", L"UTF-8"};
            Status = WideFormat(L"%d lines from a text file read as %ls; ANSI code page %u", Lines.Count(),
                                sets[Lines.LoadedFileCharSet() & 3], GetACP());
        } catch (const Exception& e) {
            Status = L"Cannot read the sample text: " + AnsiToWide(e.Message());
        }
    }

    // The commands this form hears of the manager (not the questions it is asked).
    void SkinCommand(uint16_t Command)
    {
        if (Command == 4 || Command == 7)
            return;
        if (Command == 1)
            Heard.clear();
        Heard.push_back(Command);
        while (Heard.size() > 8)
            Heard.pop_front();
        if (Command == 2 || Command == 3)
            UpdateSkinInfo();
    }

    void FillSkinList()
    {
        if (!Manager || !SkinList)
            return;
        TUcStringList names;
        Manager->GetSkinNames(&names, 2);
        SendMessageW(SkinList, LB_RESETCONTENT, 0, 0);
        for (int i = 0; i < names.Count(); ++i)
            SendMessageW(SkinList, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(names.Strings(i).c_str()));
    }

    WideString SelectedSkin() const
    {
        LRESULT i = SendMessageW(SkinList, LB_GETCURSEL, 0, 0);
        if (i < 0)
            return WideString();
        WideString name(size_t(SendMessageW(SkinList, LB_GETTEXTLEN, i, 0)), L'\0');
        SendMessageW(SkinList, LB_GETTEXT, i, reinterpret_cast<LPARAM>(name.data()));
        return name;
    }

    // As the options page does it: off, the new name, on.
    void SwitchTo(const WideString& Name)
    {
        if (!Manager || Name.empty())
            return;
        Manager->SetActive(false);
        Manager->SetSkinName(Name);
        Manager->SetActive(true);
        UpdateSkinInfo();
    }

    void UpdateSkinInfo()
    {
        if (!Info || !Manager)
            return;
        const TzSkinManager& m = *Manager;
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
        SetWindowTextWide(Info, text.c_str());
        SetWindowTextWide(Received, (L"Команды SM_SKINCMD этой формы: " + CommandList(Heard)).c_str());
        // The list shows the current skin selected.
        LRESULT at = m.SkinData().Active
                         ? SendMessageW(SkinList, LB_FINDSTRINGEXACT, WPARAM(-1), LPARAM(m.SkinName().c_str()))
                         : LB_ERR;
        SendMessageW(SkinList, LB_SETCURSEL, at == LB_ERR ? WPARAM(-1) : WPARAM(at), 0);
        InvalidateRect(Preview, nullptr, TRUE);
    }

    HFONT Font = nullptr;
    HFONT TitleFont = nullptr;
    TUcStringList Lines;
    WideString Status;
    TzSkinManager* Manager = nullptr;
    HWND Tabs = nullptr;
    HWND SkinList = nullptr;
    HWND Info = nullptr;
    HWND Preview = nullptr;
    HWND Received = nullptr;
    std::vector<HWND> TextPage;
    std::vector<HWND> SkinPage;
    std::deque<uint16_t> Heard;
};

void Settle()
{
    for (int i = 0; i < 20; ++i) {
        Application->ProcessMessages();
        Sleep(25);
    }
}

// FILE, or FILE with "-skins" before its extension.
AnsiString PageFile(const WideString& File, const wchar_t* Suffix)
{
    WideString f = File;
    size_t dot = f.rfind(L'.');
    size_t slash = f.find_last_of(L"\\/");
    if (dot == WideString::npos || (slash != WideString::npos && dot < slash))
        dot = f.size();
    return WideToAnsi(f.substr(0, dot) + Suffix + f.substr(dot));
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    InitSysUtils();
    InitUcSystem();
    InitForms();
    InitSkinEngine();
    InitSkinGraphics();
    InitSkinManager();
    INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_TAB_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&icc);

    WNDCLASSW cls{};
    cls.lpfnWndProc = &PreviewProc;
    cls.cbWndExtra = sizeof(LONG_PTR);   // the font
    cls.hInstance = instance;
    cls.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    cls.lpszClassName = PreviewClass;
    RegisterClassW(&cls);

    WideString shot;
    for (int i = 1; !GetWideParamStr(i).empty(); ++i)
        if (GetWideParamStr(i) == L"--screenshot")
            shot = GetWideParamStr(i + 1);

    int rc = 0;
    try {
        TGalleryForm* form = nullptr;
        Application->CreateForm(form);
        form->Show();
        if (shot.empty()) {
            Application->Run();
        } else {
            Settle();
            bool ok = SaveWindowPng(form->Handle(), PageFile(shot, L"").c_str());
            form->ShowPage(1);
            Settle();
            ok = SaveWindowPng(form->Handle(), PageFile(shot, L"-skins").c_str()) && ok;
            rc = ok ? 0 : 1;
        }
    } catch (const Exception& e) {
        MessageBoxW(nullptr, AnsiToWide(e.Message()).c_str(), L"Zandrel", MB_ICONERROR);
        rc = 1;
    }
    DoneForms();
    DoneSkinEngine();
    return rc;
}
