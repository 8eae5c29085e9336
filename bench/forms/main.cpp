// A skinned form's frame: its repaint (the frame's picture copied to the window, and painted
// anew) beside the platform's own frame repaint of the same form, at 640 x 480 and maximized;
// and a skin switch of a form of 200 skinned controls: how often each control paints, with
// and without the form's provider.
#include "bench/skinbench.h"
#include "bench/timing.h"
#include "classlib/forms.h"
#include "classlib/menus.h"
#include "skin/zskinprovider.h"
#include "skinctl/zbutton.h"

#include <cstdio>
#include <memory>
#include <vector>

namespace {

// The frame painted again, as the system asks for it, Count times.
void RepaintFrames(HWND Wnd, int Count)
{
    for (int i = 0; i < Count; ++i)
        SendMessageW(Wnd, WM_NCPAINT, 1, 0);
}

// The whole window, frame and client, painted again Count times.
void RepaintWindows(HWND Wnd, int Count)
{
    for (int i = 0; i < Count; ++i)
        RedrawWindow(Wnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_UPDATENOW | RDW_NOCHILDREN);
}

std::unique_ptr<TForm> MakeForm(int Controls)
{
    auto form = std::make_unique<TForm>(Application);
    form->SetBounds(10, 10, 640, 480);
    form->SetCaption("Zandrel — form bench");
    auto* menu = new TMainMenu(form.get());
    for (const char* caption : {"&File", "&Edit", "&View", "&Help"}) {
        auto* item = new TMenuItem(form.get());
        item->SetCaption(caption);
        menu->Items()->Add(item);
    }
    form->SetMenu(menu);
    for (int i = 0; i < Controls; ++i) {
        auto* b = MakeComponent<TzButton>(form.get());
        b->SetBounds(4 + (i % 20) * 31, 4 + (i / 20) * 40, 29, 36);
        b->SetCaption(L"К");
        b->SetParent(form.get());
    }
    return form;
}

// Counts the paints each control's window receives.
struct TPaintCounter {
    TControl* Control;
    TWndMethod Old;
    int Paints = 0;
    void Proc(TMessage& M)
    {
        if (M.Msg == WM_PAINT)
            ++Paints;
        Old(M);
    }
};

// Paints per control and milliseconds per switch, over Switches switches between our two skins.
void SwitchSkins(TzSkinManager* Manager, bool WithProvider, int Switches, double& Paints, double& Ms)
{
    auto form = MakeForm(200);
    if (WithProvider)
        MakeComponent<TzSkinProvider>(form.get());
    form->Show();
    Pump();
    std::vector<std::unique_ptr<TPaintCounter>> counters;
    for (int i = 0; i < form->ControlCount(); ++i) {
        auto c = std::make_unique<TPaintCounter>();
        c->Control = form->Controls(i);
        c->Old = c->Control->WindowProc();
        c->Control->SetWindowProc(MakeMethod<&TPaintCounter::Proc>(c.get()));
        counters.push_back(std::move(c));
    }
    const double t0 = Now();
    for (int i = 0; i < Switches; ++i)
        Apply(Manager, i % 2 ? L"ZandrelDawn" : L"ZandrelDusk");
    Ms = (Now() - t0) * 1000.0 / Switches;
    long total = 0;
    for (const auto& c : counters) {
        total += c->Paints;
        c->Control->SetWindowProc(c->Old);
    }
    Paints = double(total) / double(counters.size()) / Switches;
    form.reset();
    Apply(Manager, L"ZandrelDawn");
}

} // namespace

int main()
{
    auto manager = StartSkinnedBench();
    if (!manager)
        return 1;
    const int repaints = 200;
    for (bool maximized : {false, true}) {
        auto form = MakeForm(0);
        auto* provider = MakeComponent<TzSkinProvider>(form.get());
        form->Show();
        if (maximized)
            ShowWindow(form->Handle(), SW_MAXIMIZE);
        Pump();
        HWND h = form->Handle();
        const double skinned = BestMs(3, [&] { RepaintFrames(h, repaints); }) * 1000.0 / repaints;
        const double painted = BestMs(3, [&] {
            for (int i = 0; i < repaints; ++i) {
                provider->RefreshNonClient();
                RepaintFrames(h, 1);
            }
        }) * 1000.0 / repaints;
        const double window = BestMs(3, [&] { RepaintWindows(h, repaints); }) * 1000.0 / repaints;
        Apply(manager.get(), nullptr);
        const double plain = BestMs(3, [&] { RepaintFrames(h, repaints); }) * 1000.0 / repaints;
        const double plainWindow = BestMs(3, [&] { RepaintWindows(h, repaints); }) * 1000.0 / repaints;
        Apply(manager.get(), L"ZandrelDawn");
        RECT r{};
        GetWindowRect(h, &r);
        char what[80];
        std::snprintf(what, sizeof(what), "frame repaint, %s %ldx%ld", maximized ? "maximized" : "normal",
                      r.right - r.left, r.bottom - r.top);
        std::printf("%-40s skinned %7.1f us  plain %7.1f us  ratio %5.2f  target 1.5\n", what, skinned, plain,
                    skinned / plain);
        std::printf("%-40s painted anew %7.1f us  ratio %5.2f\n", "", painted, painted / plain);
        std::printf("%-40s window %7.1f us  plain window %7.1f us  ratio %5.2f\n", "", window, plainWindow,
                    window / plainWindow);
    }
    for (bool withProvider : {false, true}) {
        double paints = 0, ms = 0;
        SwitchSkins(manager.get(), withProvider, 10, paints, ms);
        std::printf("skin switch, 200 buttons, %-15s paints a control %5.2f  %7.1f ms a switch  target 3\n",
                    withProvider ? "with provider" : "without provider", paints, ms);
    }
    DoneUcProgram();
    return 0;
}
