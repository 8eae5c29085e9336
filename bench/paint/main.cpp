// Painting a skin section into a control's cache, next to the floor every paint pays anyway:
// one BitBlt of the finished picture, of the same size, to a window. A button (border mask,
// gradient, caption) and a large textured area with a border, in our light skin.
#include "bench/timing.h"
#include "classlib/forms.h"
#include "skin/zcommondata.h"
#include "skin/zcontrolutils.h"
#include "skin/zfade.h"
#include "skin/zgraphics.h"
#include "skin/zsectionpaint.h"
#include "skin/zskinmanager.h"
#include "skin/zskintextpaint.h"
#include "unicode/ucsystem.h"

#include <cstdio>
#include <memory>

namespace {

// Microseconds a call, the best of several runs of many calls.
template <class F> double MicrosEach(int Calls, F&& Body)
{
    Body();
    return BestMs(7, [&] {
               for (int i = 0; i < Calls; ++i)
                   Body();
           }) * 1000.0 / Calls;
}

struct TCase {
    const char* Name;
    const char* Section;
    int W, H;
    bool Caption;
    double Target;
};

// A button-sized control with skin data: what a fade works on.
class TFadeBox : public TCustomControl {
public:
    TzCommonData SkinData{this, true};
    explicit TFadeBox(TComponent* AOwner) : TCustomControl(AOwner) {}

protected:
    void WndProc(TMessage& M) override
    {
        if (CommonMessageHandler(M, &SkinData))
            return;
        TCustomControl::WndProc(M);
    }
};

} // namespace

int main()
{
    InitSysUtils();
    InitUcSystem();
    InitSkinEngine();
    InitSkinGraphics();
    InitForms();
    InitSkinManager();

    auto manager = std::make_unique<TzSkinManager>(nullptr);
    manager->SetSkinDirectory(L"Skins");
    manager->SetSkinName(L"ZandrelDawn");
    if (!manager->SkinData().Active) {
        std::printf("the skin ZandrelDawn was not found beside the program (Skins\\)\n");
        return 1;
    }
    auto form = std::make_unique<TForm>(nullptr);
    form->SetBounds(0, 0, 480, 380);
    form->Show();
    Application->ProcessMessages();
    HDC window = GetDC(form->Handle());

    const TCase cases[] = {{"button 120x30 (border, gradient, caption)", "BUTTON", 120, 30, true, 3.0},
                           {"panel 400x300 (texture, border)", "FORM", 400, 300, false, 2.0}};
    std::printf("%-44s %10s %10s %8s %8s\n", "section", "paint us", "floor us", "ratio", "target");
    for (const TCase& c : cases) {
        auto cache = CreateBmp24(c.W, c.H);
        cache->Canvas()->Font()->SetName("Tahoma");
        TzCommonData sd(nullptr, false);
        sd.SetSkinSection(c.Section);
        const TRect r(0, 0, c.W, c.H);
        const double paint = MicrosEach(200, [&] {
            PaintSkinSection(&sd, EmptyCacheInfo, bfFillCentre, SkinKeyColor, cache.get(), TPoint(0, 0), r, psHot);
            if (c.Caption)
                DrawSkinTextW(&sd, cache->Canvas(), L"Отправить", tfHot, DT_CENTER | DT_VCENTER | DT_SINGLELINE, r);
        });
        HDC src = cache->Canvas()->Handle();
        const double floor = MicrosEach(200, [&] { BitBlt(window, 0, 0, c.W, c.H, src, 0, 0, SRCCOPY); });
        GdiFlush();
        std::printf("%-44s %10.1f %10.1f %8.2f %8.1f\n", c.Name, paint, floor, paint / floor, c.Target);
    }
    // One frame of a fade of the button (the old picture blended toward the new one and shown
    // on the window) beside one paint of the button's section and caption.
    {
        auto* box = new TFadeBox(form.get());
        box->SetParent(form.get());
        box->SetBounds(10, 10, 120, 30);
        box->HandleNeeded();
        box->SkinData.SetSkinSection("BUTTON");
        box->SkinData.PrepareCache();
        TBitmap* cache = box->SkinData.CacheBmp();
        const TRect r(0, 0, 120, 30);
        auto paint = [&](int State) {
            PaintSkinSection(&box->SkinData, EmptyCacheInfo, bfFillCentre, SkinKeyColor, cache, TPoint(0, 0), r,
                             TzPaintState(State));
            DrawSkinTextW(&box->SkinData, cache->Canvas(), L"Отправить", TextFlags(true, State != 0),
                          DT_CENTER | DT_VCENTER | DT_SINGLELINE, r);
        };
        paint(0);
        TzFadeTimer fade(box);
        fade.Prepare(&box->SkinData);
        paint(1);
        fade.Iterations = 1000000;
        const double step = MicrosEach(200, [&] {
            fade.Step = 1;
            fade.FadeStep();
        });
        const double onePaint = MicrosEach(200, [&] { paint(1); });
        std::printf("%-44s %10.1f %10.1f %8.2f\n", "fade step of the button / one paint", step, onePaint,
                    step / onePaint);
    }
    ReleaseDC(form->Handle(), window);
    return 0;
}
