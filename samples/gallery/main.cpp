// The gallery: a Unicode form that shows what the library can do so far, a page at a time.
// With --screenshot FILE it paints once, writes the window to FILE as a PNG and exits.
#include "gallery.h"
#include "support/screenshot.h"
#include "unicode/ucsysutils.h"

namespace {

WideString ScreenshotFile()
{
    for (int i = 1; !GetWideParamStr(i).empty(); ++i)
        if (GetWideParamStr(i) == L"--screenshot")
            return GetWideParamStr(i + 1);
    return WideString();
}

int RunGallery(const WideString& Shot)
{
    UcApplication->SetTitle(L"Zandrel — галерея");
    TGalleryForm* form = nullptr;
    Application->CreateForm(form);
    if (Shot.empty()) {
        Application->Run();
        return 0;
    }
    form->Show();
    for (int i = 0; i < 20; ++i) {
        Application->ProcessMessages();
        Sleep(25);
    }
    return SaveWindowPng(form->Handle(), WideToAnsi(Shot).c_str()) ? 0 : 1;
}

void Report(const Exception& E)
{
    MessageBoxW(nullptr, AnsiToWide(E.Message()).c_str(), L"Zandrel", MB_OK | MB_ICONSTOP);
}

} // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    InitUcProgram();
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
    return result;
}
