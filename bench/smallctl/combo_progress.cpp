// The skinned combo box's paint and the skinned progress bar's steps, each beside the plain
// control doing the same.
#include "bench/skinbench.h"
#include "bench/timing.h"
#include "classlib/comctrls.h"
#include "classlib/forms.h"
#include "classlib/stdctrls.h"
#include "skinctl/zcombobox.h"
#include "skinctl/zprogressbar.h"

#include <cstdio>

namespace {

// Microseconds a paint of the window: invalidated and painted at once, best of three runs.
template <class F> double PaintTime(HWND Wnd, F BeforeEach)
{
    const int paints = 300;
    double best = 1e30;
    for (int run = 0; run < 3; ++run) {
        const double t0 = Now();
        for (int i = 0; i < paints; ++i) {
            BeforeEach();
            RedrawWindow(Wnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
        }
        best = std::min(best, (Now() - t0) * 1e6 / paints);
    }
    return best;
}

// Microseconds a step: 1,000 steps, each shown at once, best of three runs.
double StepTime(TProgressBar* Bar)
{
    const int steps = 1000;
    double best = 1e30;
    for (int run = 0; run < 3; ++run) {
        Bar->SetPosition(0);
        Pump();
        const double t0 = Now();
        for (int i = 0; i < steps; ++i) {
            Bar->StepIt();
            UpdateWindow(Bar->Handle());
        }
        best = std::min(best, (Now() - t0) * 1e6 / steps);
    }
    return best;
}

} // namespace

void ComboBoxPaint(TForm* Form)
{
    auto* plain = MakeComponent<TComboBox>(Form);
    plain->SetParent(Form);
    plain->SetBounds(200, 20, 160, 24);
    plain->SetStyle(csDropDownList);
    plain->Items()->Add("\xC0\xEB\xB8\xED\xE0");   // "Алёна"
    plain->SetItemIndex(0);
    auto* combo = MakeComponent<TzComboBox>(Form);
    combo->SetParent(Form);
    combo->SetBounds(200, 60, 160, 24);
    combo->SetStyle(csDropDownList);
    combo->Items()->Add(L"Ελένη");
    combo->SetItemIndex(0);
    Pump();
    const double p = PaintTime(plain->Handle(), [] {});
    const double s = PaintTime(combo->Handle(), [combo] { combo->SkinData()->SetBGChanged(true); });
    std::printf("%-44s %8.1f us  plain paint %8.1f us  ratio %5.2f  target 2\n", "combo box paint, drop-down list", s, p,
                s / p);
}

void ProgressBarSteps(TForm* Form)
{
    auto* plain = MakeComponent<TProgressBar>(Form);
    plain->SetParent(Form);
    plain->SetBounds(20, 120, 300, 18);
    auto* bar = MakeComponent<TzProgressBar>(Form);
    bar->SetParent(Form);
    bar->SetBounds(20, 150, 300, 18);
    for (TProgressBar* b : {plain, static_cast<TProgressBar*>(bar)}) {
        b->SetMax(1000);
        b->SetStep(1);
    }
    Pump();
    const double p = StepTime(plain);
    const double s = StepTime(bar);
    std::printf("%-44s %8.1f us  plain step %8.1f us  ratio %5.2f  target 2\n", "progress bar, a step shown", s, p,
                s / p);
}
