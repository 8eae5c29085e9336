// A push button's hot-state fade from start to end: the frames it paints and the time each
// takes (the new face prepared, every blend shown on the window), beside one plain paint of
// the button (its face painted again and shown).
#include "bench/skinbench.h"
#include "bench/timing.h"
#include "classlib/forms.h"
#include "skin/zgraphics.h"
#include "skin/zskinmanager.h"
#include "skinctl/zbutton.h"
#include "unicode/ucforms.h"

#include <cstdio>
#include <memory>

int main()
{
    auto manager = StartSkinnedBench();
    if (!manager)
        return 1;
    auto form = std::unique_ptr<TForm>(new TForm(Application));
    form->SetBounds(0, 0, 400, 200);
    auto* button = MakeComponent<TzButton>(form.get());
    button->SetParent(form.get());
    button->SetBounds(20, 20, 120, 32);
    button->SetCaption(L"Войти в сеть");
    form->Show();
    Pump();
    HWND h = button->Handle();

    // One plain paint: the face for the state painted again and copied to the window.
    const int paints = 300;
    double paint = 1e30;
    for (int run = 0; run < 3; ++run) {
        const double t0 = Now();
        for (int i = 0; i < paints; ++i) {
            button->SkinData()->SetBGChanged(true);
            RedrawWindow(h, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
        }
        paint = std::min(paint, (Now() - t0) * 1e6 / paints);
    }

    // Fades ticked by hand, from the mouse entering to the fade's end.
    double perFrame = 1e30;
    int frames = 0;
    for (int run = 0; run < 50; ++run) {
        SkinFadingOn = false;
        button->Perform(CM_MOUSELEAVE, 0, 0);
        SkinFadingOn = true;
        Pump();
        const double t0 = Now();
        button->Perform(CM_MOUSEENTER, 0, 0);
        int ticks = 0;
        while (TzFadeTimer* t = button->FadeTimer()) {
            t->Timer();
            ++ticks;
        }
        const double elapsed = (Now() - t0) * 1e6;
        // The last tick only ends the fade.
        frames = ticks - 1;
        if (frames > 0)
            perFrame = std::min(perFrame, elapsed / frames);
        Pump();
    }
    std::printf("%-44s frames %d  %8.1f us a frame  paint %8.1f us  ratio %5.2f  target 2\n",
                "hot-state fade of a push button, 120 x 32", frames, perFrame, paint, perFrame / paint);
    form.reset();
    DoneUcProgram();
    return 0;
}
