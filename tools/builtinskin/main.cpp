// Writes the gallery's form data with the built-in skin made from a folder skin:
//   builtinskin.exe FOLDER NAME OUTPUT
// e.g. (under Wine, from the source tree)
//   builtinskin.exe resources\skins\ZandrelDawn Zandrel resources\forms\GalleryForm.form
// The skin test regenerates the same bytes and compares them with the committed file.
#include "classlib/forms.h"
#include "skin/zgraphics.h"
#include "skin/zskinservices.h"
#include "tools/builtinskin/storeskin.h"
#include "unicode/ucclasses.h"
#include "unicode/ucsystem.h"
#include "unicode/ucsysutils.h"

#include <cstdio>

int main()
{
    InitSysUtils();
    InitUcSystem();
    InitForms();
    InitSkinEngine();
    InitSkinGraphics();
    InitSkinManager();
    int rc = 0;
    try {
        WideString folder = IncludeTrailingBackslash(GetWideParamStr(1));
        WideString name = GetWideParamStr(2);
        WideString output = GetWideParamStr(3);
        if (folder.size() <= 1 || name.empty() || output.empty()) {
            std::fprintf(stderr, "usage: builtinskin FOLDER NAME OUTPUT\n");
            rc = 2;
        } else {
            TUcMemoryStream data;
            if (!WriteBuiltinSkinForm(ExpandFileNameWide(folder), name, &data)) {
                std::fprintf(stderr, "no skin in %s\n", WideToAnsi(folder).c_str());
                rc = 1;
            } else {
                data.SaveToFile(output);
                std::printf("%s: %ld bytes\n", WideToAnsi(output).c_str(), long(data.Size()));
            }
        }
    } catch (const Exception& e) {
        std::fprintf(stderr, "%s\n", e.Message().c_str());
        rc = 1;
    }
    DoneForms();
    return rc;
}
