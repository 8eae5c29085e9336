// The gallery: a Unicode form that shows what the library can do so far, a page at a time.
//
// With --screenshot FILE it paints every page once, writes each as a PNG file (FILE for the
// first page, FILE with the page's suffix, such as "-skins", before the extension for the
// others) and exits.
#include "gallery.h"
#include "skin/zgraphics.h"
#include "skin/zskinmanager.h"
#include "skin/zskinservices.h"
#include "support/screenshot.h"
#include "unicode/ucsysutils.h"

#include <commctrl.h>

namespace {

WideString ScreenshotFile()
{
    for (int i = 1; !GetWideParamStr(i).empty(); ++i)
        if (GetWideParamStr(i) == L"--screenshot")
            return GetWideParamStr(i + 1);
    return WideString();
}

void Settle()
{
    for (int i = 0; i < 20; ++i) {
        Application->ProcessMessages();
        Sleep(25);
    }
}

// FILE, or FILE with Suffix before its extension.
AnsiString PageFile(const WideString& File, const wchar_t* Suffix)
{
    WideString f = File;
    size_t dot = f.rfind(L'.');
    size_t slash = f.find_last_of(L"\\/");
    if (dot == WideString::npos || (slash != WideString::npos && dot < slash))
        dot = f.size();
    return WideToAnsi(f.substr(0, dot) + Suffix + f.substr(dot));
}

int RunGallery(const WideString& Shot)
{
    UcApplication->SetTitle(L"Zandrel — галерея");
    TGalleryForm* form = nullptr;
    Application->CreateForm(form);
    form->Show();
    if (Shot.empty()) {
        Application->Run();
        return 0;
    }
    bool ok = true;
    const auto& pages = GalleryPages();
    for (size_t i = 0; i < pages.size(); ++i) {
        form->ShowPage(static_cast<int>(i));
        Settle();
        ok = SaveWindowPng(form->Handle(), PageFile(Shot, pages[i].ShotSuffix).c_str()) && ok;
    }
    return ok ? 0 : 1;
}

void Report(const Exception& E)
{
    MessageBoxW(nullptr, AnsiToWide(E.Message()).c_str(), L"Zandrel", MB_OK | MB_ICONSTOP);
}

} // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    InitUcProgram();
    InitSkinEngine();
    InitSkinGraphics();
    InitSkinManager();
    INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&icc);
    RegisterSkinsPageClasses();
    int result = 1;
    try {
        result = RunGallery(ScreenshotFile());
    } catch (const Exception& e) {
        Report(e);
    }
    try {
        DoneUcProgram();
    } catch (const Exception& e) {
        Report(e);
        result = 1;
    }
    DoneSkinEngine();
    return result;
}
