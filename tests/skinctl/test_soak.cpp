#include "skinctlfixture.h"
#include "soakform.h"

// Growth is measured from a baseline taken after one round of every look: the first switches
// make what lives as long as the program (Wine's cache of DCs and its stock objects at first
// use, the common controls' shared image lists, the memory manager's chunks); after that
// every round must give back all it took. The soak benchmark (bench/soak) times the switches.
TEST_CASE("soak: a hundred skin switches on a form of every skinned control leave nothing behind")
{
    REQUIRE(DefaultManager == nullptr);
    TCatcher caught;
    TSoakRig rig(TSoakPlaces{TestDataPath("..\\..\\resources\\forms\\GalleryForm.form"),
                             TestDataPath("..\\..\\resources\\skins"), TestDataPath("..\\..\\resources\\skins-packed")});
    REQUIRE(rig.Manager()->SkinData().Active);   // the built-in skin, applied at load
    rig.Show();
    for (int n = 1; n <= TSoakRig::RoundLength; ++n)
        rig.Switch(n);
    const TSoakCounts base = SoakCounts();
    int wrong = 0;
    for (int n = 1; n <= 100; ++n) {
        rig.Switch(n);
        wrong += !rig.Shows(n);
    }
    CHECK(wrong == 0);
    CHECK(caught.Messages.empty());
    CHECK(SoakCounts() == base);
}
