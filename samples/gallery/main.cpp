// The gallery: a Unicode form that shows what the library can do so far, a page at a time.
//
// With --screenshot FILE it writes the first page as FILE, then every page in each of three
// looks (our two skins and no skin) as <page>-<look>.png beside it, and exits.
#include "gallery.h"
#include "skin/zgraphics.h"
#include "skin/zskinmanager.h"
#include "skin/zskinservices.h"
#include "skinctl/uctreeview.h"
#include "skinctl/zlabel.h"
#include "skinctl/zlistview.h"
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

// The folder of FILE, with its separator ("" for a bare name).
WideString FolderOf(const WideString& File)
{
    const size_t slash = File.find_last_of(L"\\/");
    return slash == WideString::npos ? WideString() : File.substr(0, slash + 1);
}

// The looks every page is shown in: our two skins and none.
struct TLook {
    const wchar_t* Name;
    const wchar_t* Skin;   // null: no skin
};
constexpr TLook Looks[] = {{L"dawn", L"ZandrelDawn"}, {L"dusk", L"ZandrelDusk"}, {L"plain", nullptr}};

void ShowLook(TGalleryForm* Form, const TLook& Look)
{
    TzSkinManager* m = Form->SkinManager();
    if (!m)
        return;
    m->SetActive(false);
    if (Look.Skin) {
        m->SetSkinName(Look.Skin);
        m->SetActive(true);
    }
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
    // FILE is the first page as the program starts; beside it, every page in every look as
    // <page>-<look>.png.
    Settle();
    bool ok = SaveWindowPng(form->Handle(), WideToAnsi(Shot).c_str());
    const WideString dir = FolderOf(Shot);
    const auto& pages = GalleryPages();
    for (const TLook& look : Looks) {
        ShowLook(form, look);
        for (size_t i = 0; i < pages.size(); ++i) {
            form->ShowPage(static_cast<int>(i));
            Settle();
            const WideString file = dir + pages[i].ShotName + L"-" + look.Name + L".png";
            ok = SaveWindowPng(form->Handle(), WideToAnsi(file).c_str()) && ok;
        }
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
    InitUcTreeView();
    InitSkinnedLabels();
    InitSkinnedLists();
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
