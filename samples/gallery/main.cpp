// The gallery: a window that shows what the library can do so far. With --screenshot FILE
// it paints once, writes the window to FILE as a PNG and exits.
#include "classlib/winapi.h"
#include "support/screenshot.h"
#include "unicode/ucclasses.h"
#include "unicode/ucsystem.h"
#include "unicode/ucsysutils.h"

#include <memory>

namespace {

const wchar_t* const WindowClass = L"ZandrelGallery";

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

struct Gallery {
    HWND Wnd = nullptr;
    HWND List = nullptr;
    HFONT Font = nullptr;
    HFONT TitleFont = nullptr;
    WideString Status;
    TUcStringList Lines;

    void Load()
    {
        try {
            Lines.LoadFromFile(SampleFile());
            static const wchar_t* const sets[] = {L"ANSI", L"UTF-16", L"UTF-16 big-endian", L"UTF-8"};
            Status = WideFormat(L"%d lines from a text file read as %ls; ANSI code page %u",
                                Lines.Count(), sets[Lines.LoadedFileCharSet() & 3], GetACP());
        } catch (const Exception& e) {
            Status = L"Cannot read the sample text: " + AnsiToWide(e.Message());
        }
    }

    void Create()
    {
        Font = MakeFont(15, false);
        TitleFont = MakeFont(20, true);
        Wnd = CreateWindowExW(0, WindowClass, L"Zandrel — галерея", WS_OVERLAPPEDWINDOW,
                              CW_USEDEFAULT, CW_USEDEFAULT, 560, 300, nullptr, nullptr,
                              GetModuleHandleW(nullptr), this);
        List = CreateWindowExW(WS_EX_CLIENTEDGE, L"LISTBOX", L"",
                               WS_CHILD | WS_VISIBLE | WS_VSCROLL | LBS_NOINTEGRALHEIGHT, 12, 44, 520,
                               170, Wnd, nullptr, GetModuleHandleW(nullptr), nullptr);
        SendMessageW(List, WM_SETFONT, reinterpret_cast<WPARAM>(Font), TRUE);
        for (int i = 0; i < Lines.Count(); ++i)
            SendMessageW(List, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Lines.Strings(i).c_str()));
    }

    void Paint(HDC dc)
    {
        RECT rc;
        GetClientRect(Wnd, &rc);
        FillRect(dc, &rc, GetSysColorBrush(COLOR_BTNFACE));
        SetBkMode(dc, TRANSPARENT);
        HGDIOBJ old = SelectObject(dc, TitleFont);
        RECT title{12, 10, rc.right - 12, 40};
        DrawTextWide(dc, L"Текст в UTF-16 из списка строк", -1, &title, DT_LEFT | DT_SINGLELINE);
        SelectObject(dc, Font);
        RECT status{12, 222, rc.right - 12, rc.bottom - 4};
        DrawTextWide(dc, Status.c_str(), -1, &status, DT_LEFT | DT_WORDBREAK);
        SelectObject(dc, old);
    }

    static LRESULT CALLBACK WndProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp)
    {
        if (msg == WM_NCCREATE)
            SetWindowLongPtrW(wnd, GWLP_USERDATA,
                              reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams));
        auto* self = reinterpret_cast<Gallery*>(GetWindowLongPtrW(wnd, GWLP_USERDATA));
        switch (msg) {
        case WM_PAINT: {
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(wnd, &ps);
            if (self)
                self->Paint(dc);
            EndPaint(wnd, &ps);
            return 0;
        }
        case WM_DESTROY:
            PostQuitMessage(0);
            return 0;
        }
        return DefWindowProcW(wnd, msg, wp, lp);
    }
};

void Pump()
{
    MSG m;
    while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&m);
        DispatchMessageW(&m);
    }
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show)
{
    InitSysUtils();
    InitUcSystem();

    WNDCLASSW cls{};
    cls.lpfnWndProc = &Gallery::WndProc;
    cls.hInstance = instance;
    cls.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    cls.lpszClassName = WindowClass;
    RegisterClassW(&cls);

    auto gallery = std::make_unique<Gallery>();
    gallery->Load();
    gallery->Create();

    WideString shot;
    for (int i = 1; !GetWideParamStr(i).empty(); ++i)
        if (GetWideParamStr(i) == L"--screenshot")
            shot = GetWideParamStr(i + 1);

    ShowWindow(gallery->Wnd, shot.empty() ? show : SW_SHOWNORMAL);
    UpdateWindow(gallery->Wnd);
    if (!shot.empty()) {
        for (int i = 0; i < 20; ++i) {
            Pump();
            Sleep(25);
        }
        bool ok = SaveWindowPng(gallery->Wnd, WideToAnsi(shot).c_str());
        DestroyWindow(gallery->Wnd);
        return ok ? 0 : 1;
    }
    MSG m;
    while (GetMessageW(&m, nullptr, 0, 0) > 0) {
        TranslateMessage(&m);
        DispatchMessageW(&m);
    }
    return 0;
}
