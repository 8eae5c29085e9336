// A chat window's tab control of 50 conversations switching tabs, skinned and as the plain
// system tab control: the time of a switch, the window painted at once.
#include "bench/skinbench.h"
#include "bench/timing.h"
#include "classlib/forms.h"
#include "skin/zgraphics.h"
#include "skin/zskinmanager.h"
#include "skinctl/ztabcontrol.h"
#include "unicode/ucforms.h"

#include <cstdio>
#include <memory>

namespace {

// Microseconds a switch: the next tab selected (stepping by 7, so that the strip scrolls)
// and the window painted at once.
double Switch(TzTabControl* Tabs, int Switches)
{
    HWND h = Tabs->Handle();
    Tabs->SetTabIndex(0);
    RedrawWindow(h, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    Pump();
    const int count = Tabs->Tabs()->Count();
    const double t0 = Now();
    for (int i = 1; i <= Switches; ++i) {
        Tabs->SetTabIndex((i * 7) % count);
        RedrawWindow(h, nullptr, nullptr, RDW_ALLCHILDREN | RDW_UPDATENOW);
    }
    return (Now() - t0) * 1e6 / Switches;
}

} // namespace

int main()
{
    auto manager = StartSkinnedBench();
    if (!manager)
        return 1;

    auto form = std::unique_ptr<TForm>(new TForm(Application));
    form->SetBounds(0, 0, 640, 400);
    auto* tabs = MakeComponent<TzTabControl>(form.get());
    tabs->SetParent(form.get());
    tabs->SetAlign(alClient);
    static const wchar_t* const names[] = {L"Алёна", L"Дмитрий Соколов", L"Ελένη", L"Ольга", L"Сергей Иванов",
                                           L"Татьяна", L"Γιώργος", L"Иван", L"Пётр Смирнов", L"Анна"};
    for (int i = 0; i < 50; ++i)
        tabs->Tabs()->Add(WideString(names[i % 10]) + L" " + std::to_wstring(i + 1));
    form->Show();
    Pump();

    double skinned = 1e30, plain = 1e30;
    for (int run = 0; run < 3; ++run) {
        Apply(manager.get(), L"ZandrelDawn");
        skinned = std::min(skinned, Switch(tabs, 200));
        Apply(manager.get(), nullptr);
        plain = std::min(plain, Switch(tabs, 200));
    }
    std::printf("%-52s %9.1f us  plain %9.1f us  ratio %5.2f  target 2\n", "tab control of 50 tabs, one switch",
                skinned, plain, skinned / plain);
    form.reset();
    manager.reset();
    DoneUcProgram();
    return 0;
}
