// The small skinned controls beside the plain ones, each measure a function of its own:
// a check box's state change with its fade frames against the plain check box's paint; a
// combo box's paint and a progress bar's steps (combo_progress.cpp) against the plain ones.
#include "bench/skinbench.h"
#include "bench/timing.h"
#include "classlib/forms.h"
#include "classlib/stdctrls.h"
#include "skin/zfade.h"
#include "skin/zskinmanager.h"
#include "skinctl/zcheckbox.h"
#include "unicode/ucforms.h"

#include <cstdio>
#include <memory>

namespace {

// The plain check box painted by the system: its state changed and its window painted again.
double PlainCheckBoxChange(TForm* Form)
{
    auto* box = MakeComponent<TCheckBox>(Form);
    box->SetParent(Form);
    box->SetBounds(20, 60, 140, 20);
    box->SetCaption("\xC7\xE0\xEF\xEE\xEC\xED\xE8\xF2\xFC");   // "Запомнить"
    Pump();
    const int changes = 300;
    double best = 1e30;
    for (int run = 0; run < 3; ++run) {
        const double t0 = Now();
        for (int i = 0; i < changes; ++i) {
            box->SetChecked(!box->Checked());
            RedrawWindow(box->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
        }
        best = std::min(best, (Now() - t0) * 1e6 / changes);
    }
    return best;
}

// A skinned check box's change as the user makes it: the new picture, every fade frame shown
// on the window (ticked by hand), the last paint of the new picture; and the same change with
// fading off (the new picture at once).
void CheckBoxChange(TForm* Form)
{
    const double plain = PlainCheckBoxChange(Form);
    auto* box = MakeComponent<TzCheckBox>(Form);
    box->SetParent(Form);
    box->SetBounds(20, 20, 140, 20);
    box->SetCaption(L"Запомнить");
    Pump();
    const auto toggle = [box] { box->SetState(box->State() == cbChecked ? cbUnchecked : cbChecked); };
    double whole = 1e30;
    int frames = 0;
    for (int run = 0; run < 50; ++run) {
        const double t0 = Now();
        toggle();
        int ticks = 0;
        while (TzFadeTimer* t = box->FadeTimer()) {
            t->Timer();
            ++ticks;
        }
        UpdateWindow(box->Handle());
        whole = std::min(whole, (Now() - t0) * 1e6);
        // The last tick only ends the fade.
        frames = ticks - 1;
        Pump();
    }
    double still = 1e30;
    SkinFadingOn = false;
    for (int run = 0; run < 3; ++run) {
        const double t0 = Now();
        for (int i = 0; i < 300; ++i) {
            toggle();
            UpdateWindow(box->Handle());
        }
        still = std::min(still, (Now() - t0) * 1e6 / 300);
    }
    SkinFadingOn = true;
    // Each frame reaches the window as a paint does: a frame is what stands beside a paint.
    const double perFrame = whole / (frames + 1);
    std::printf("%-44s %8.1f us  plain paint %8.1f us  ratio %5.2f  target 2\n", "check box change, fading off", still,
                plain, still / plain);
    std::printf("%-44s %8.1f us  plain paint %8.1f us  ratio %5.2f  target 2  (%d frames and the last paint: "
                "%.1f us, ratio %.2f)\n",
                "check box change, a frame of its fade", perFrame, plain, perFrame / plain, frames, whole,
                whole / plain);
}

} // namespace

void ComboBoxPaint(TForm* Form);      // combo_progress.cpp
void ProgressBarSteps(TForm* Form);   // combo_progress.cpp

int main()
{
    auto manager = StartSkinnedBench();
    if (!manager)
        return 1;
    auto form = std::unique_ptr<TForm>(new TForm(Application));
    form->SetBounds(0, 0, 400, 300);
    form->Show();
    Pump();
    CheckBoxChange(form.get());
    ComboBoxPaint(form.get());
    ProgressBarSteps(form.get());
    form.reset();
    DoneUcProgram();
    return 0;
}
