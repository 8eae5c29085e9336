// The progress bar: the range that never turns over, the position kept inside it and shown by
// the window, steps that go round at either end, and the values across a new window.
#include <doctest.h>
#include "classlib/comctrls.h"
#include "form_helpers.h"
#include "join.h"

#include <commctrl.h>

namespace {

AnsiString Shown(TProgressBar* Bar)
{
    HWND h = Bar->Handle();
    return Join(int(SendMessageA(h, PBM_GETRANGE, TRUE, 0)), int(SendMessageA(h, PBM_GETRANGE, FALSE, 0)),
                int(SendMessageA(h, PBM_GETPOS, 0, 0)));
}

} // namespace

TEST_CASE("a progress bar's range never turns over and its position stays inside, in the window too")
{
    auto form = MakeForm();
    auto* bar = Add<TProgressBar>(form.get(), 10, 10, 200, 20);
    bar->SetPosition(150);
    CHECK(Shown(bar) == Join(0, 100, 100));
    bar->SetMin(120);   // takes Max along
    CHECK(Shown(bar) == Join(120, 120, 120));
    bar->SetMax(50);    // takes Min along
    CHECK(Shown(bar) == Join(50, 50, 50));
    bar->SetMax(300);
    bar->SetPosition(-5);
    CHECK(Shown(bar) == Join(50, 300, 50));
    CHECK(bar->Fraction() == 0.0);
    bar->SetPosition(175);
    CHECK(bar->Fraction() == 0.5);
}

TEST_CASE("StepIt goes round past either end by what is left over; an empty range stays at Min")
{
    auto form = MakeForm();
    auto* bar = Add<TProgressBar>(form.get(), 10, 10, 200, 20);
    bar->SetPosition(95);
    bar->StepIt();
    CHECK(bar->Position() == 5);
    bar->SetStep(-30);
    bar->StepIt();
    CHECK(bar->Position() == 75);
    bar->SetMin(40);
    bar->SetMax(40);
    bar->StepIt();
    CHECK(Shown(bar) == Join(40, 40, 40));
}

TEST_CASE("a progress bar's values survive a new window and form data")
{
    auto form = MakeForm();
    auto* bar = Add<TProgressBar>(form.get(), 10, 10, 200, 20);
    bar->SetMin(10);
    bar->SetMax(60);
    bar->SetPosition(35);
    bar->SetSmooth(true);
    bar->SetOrientation(pbVertical);
    const LONG style = StyleOf(bar->Handle());
    CHECK(Join((style & PBS_SMOOTH) != 0, (style & PBS_VERTICAL) != 0) == "1 1");
    CHECK(Shown(bar) == Join(10, 60, 35));
    auto other = MakeForm();
    auto* into = Add<TProgressBar>(other.get(), 10, 10, 200, 20);
    CheckRoundTrip(bar, into, {"Min", "Max", "Position", "Smooth", "Orientation"});
    CHECK(Shown(into) == Join(10, 60, 35));
}
