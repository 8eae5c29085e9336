// The soak at length: a form of every skinned control, the adapters of foreign windows and
// the Unicode controls, its skin switched a thousand times among our folder skins, our packed
// skins, the built-in skin and no skin. Prints the drawing objects, the windows and menus,
// and the memory manager's blocks and bytes at the start and after every 100 switches, the
// growth a switch from the 100th on (the first round makes what lives as long as the
// program), and the time a switch takes, for each kind of skin.
//
// The skins, folder and packed, and the form data are read from the source tree.
#include "bench/timing.h"
#include "skinctl/soakform.h"
#include "skin/zskinmanager.h"
#include "skin/zskinservices.h"
#include "skinctl/uctreeview.h"
#include "skinctl/zlabel.h"
#include "unicode/ucforms.h"

#include <cstdio>
#include <cstdlib>

namespace {

WideString SourcePath(const char* Leaf)
{
    const std::string s = std::string(ZANDREL_SOURCE_DIR) + "\\" + Leaf;
    WideString w(s.begin(), s.end());
    for (wchar_t& c : w)
        if (c == L'/')
            c = L'\\';
    return w;
}

void Print(int Switches, const TSoakCounts& C)
{
    std::printf("%6d switches   GDI objects %5d   USER objects %4d   heap blocks %7u   heap bytes %9llu\n", Switches,
                C.GdiObjects, C.UserObjects, C.HeapBlocks, static_cast<unsigned long long>(C.HeapBytes));
    std::fflush(stdout);
}

} // namespace

int main(int argc, char** argv)
{
    const int total = argc > 1 ? std::atoi(argv[1]) : 1000;
    InitUcProgram();
    InitSkinEngine();
    InitSkinGraphics();
    InitSkinManager();
    InitUcTreeView();
    InitSkinnedLabels();
    int wrong = 0;
    {
        TSoakRig rig(TSoakPlaces{SourcePath("resources/forms/GalleryForm.form"), SourcePath("resources/skins"),
                                 SourcePath("resources/skins-packed")});
        rig.Show();
        Print(0, SoakCounts());
        double kindSeconds[4] = {}, seconds = 0;
        int kindCount[4] = {};
        TSoakCounts at100{};
        for (int n = 1; n <= total; ++n) {
            const double t0 = Now();
            rig.Switch(n);
            const double t = Now() - t0;
            seconds += t;
            const int kind = TSoakRig::Looks[(n - 1) % TSoakRig::RoundLength].Source;
            kindSeconds[kind] += t;
            ++kindCount[kind];
            if (!rig.Shows(n))
                ++wrong;
            if (n % 100 == 0 || n == total) {
                const TSoakCounts c = SoakCounts();
                Print(n, c);
                if (n == 100)
                    at100 = c;
                if (n == total && total > 100) {
                    const double per = 1.0 / (total - 100);
                    std::printf("growth a switch after the first 100: GDI %+.3f   USER %+.3f   heap blocks %+.3f   "
                                "heap bytes %+.1f\n",
                                (c.GdiObjects - at100.GdiObjects) * per, (c.UserObjects - at100.UserObjects) * per,
                                (double(c.HeapBlocks) - double(at100.HeapBlocks)) * per,
                                (double(c.HeapBytes) - double(at100.HeapBytes)) * per);
                }
            }
        }
        std::printf("time a switch: %.1f ms", seconds * 1000 / total);
        const char* names[] = {"no skin", "folder", "packed", "built-in"};
        for (int k = 0; k < 4; ++k)
            if (kindCount[k])
                std::printf("   %s %.1f ms", names[k], kindSeconds[k] * 1000 / kindCount[k]);
        std::printf("\n");
        if (wrong)
            std::printf("%d switches did not show the skin they named\n", wrong);
    }
    DoneUcProgram();
    DoneSkinEngine();
    return wrong ? 1 : 0;
}
