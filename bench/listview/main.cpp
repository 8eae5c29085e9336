// A report list view of 10,000 items filled, scrolled a page at a time (each page painted) and
// its window made again: the program's skinned Unicode list view (a skin applied, wide texts
// in Cyrillic, Greek and Chinese, two sub-items) beside the class library's plain list view
// with ANSI texts, which is the floor (target: at most 1.5 times it). Then a status bar whose
// panel text changes 1,000 times, each change painted: the skinned Unicode bar beside the
// plain one (target: at most 2 times it).
//
// Run from the build folder: the skin is read from Skins\ beside the program.
#include "bench/skinbench.h"
#include "bench/timing.h"
#include "classlib/forms.h"
#include "skinctl/zlistview.h"
#include "skinctl/zstatusbar.h"

#include <algorithm>
#include <string>

namespace {

constexpr int ItemCount = 10000;
constexpr int Pages = 120;
constexpr int Runs = 3;

struct TTimes {
    double Fill = 1e30;
    double Scroll = 1e30;
    double Recreate = 1e30;
    double Total() const { return Fill + Scroll + Recreate; }
};

const WideString WideNames[] = {L"Алёна Петрова", L"Γιώργος Παπαδόπουλος", L"王小明", L"Дмитрий Иванов"};

// The list on a shown form: filled with Text(i, column) for its three columns, scrolled down by
// pages, then its window made again; the best of a few runs of each.
template <class TList, class TText> TTimes Measure(TText&& Text)
{
    auto form = std::make_unique<TForm>(Application);
    form->SetBounds(0, 0, 500, 420);
    auto* list = MakeComponent<TList>(form.get());
    list->SetBounds(0, 0, 480, 380);
    list->SetParent(form.get());
    list->SetViewStyle(vsReport);
    for (int c = 0; c < 3; ++c)
        list->Columns()->Add()->SetWidth(150);
    form->Show();
    Pump();
    TTimes t;
    for (int run = 0; run < Runs; ++run) {
        list->Items()->Clear();
        t.Fill = std::min(t.Fill, BestMs(1, [&] {
            TUpdateScope<TListItems> update(list->Items());
            for (int i = 0; i < ItemCount; ++i) {
                auto* item = list->Items()->Add();
                item->SetCaption(Text(i, 0));
                item->SubItems()->Add(Text(i, 1));
                item->SubItems()->Add(Text(i, 2));
            }
        }));
        Pump();
        const HWND wnd = list->Handle();
        t.Scroll = std::min(t.Scroll, BestMs(1, [&] {
            for (int p = 0; p < Pages; ++p) {
                SendMessageW(wnd, WM_VSCROLL, SB_PAGEDOWN, 0);
                UpdateWindow(wnd);
            }
        }));
        t.Recreate = std::min(t.Recreate, BestMs(1, [&] {
            list->RecreateWnd();
            list->HandleNeeded();
            UpdateWindow(list->Handle());
        }));
        Pump();
    }
    return t;
}

// A bar of three panels whose middle panel's text changes Changes times, each shown at once.
template <class TBar, class TText> double StatusMs(TText&& Text)
{
    auto form = std::make_unique<TForm>(Application);
    form->SetBounds(0, 0, 500, 120);
    auto* bar = MakeComponent<TBar>(form.get());
    bar->SetParent(form.get());
    for (int w : {140, 140, 0})
        bar->Panels()->Add()->SetWidth(w);
    form->Show();
    Pump();
    const HWND wnd = bar->Handle();
    return BestMs(Runs, [&] {
        for (int i = 0; i < 1000; ++i) {
            Text(bar, i);
            UpdateWindow(wnd);
        }
    });
}

} // namespace

int main()
{
    {
        auto manager = StartSkinnedBench();
        if (!manager)
            return 1;
        Apply(manager.get(), L"ZandrelDusk");
        std::printf("List view, %d items in a report of three columns: the skinned Unicode list beside the plain "
                    "ANSI list (target at most 1.50x)\n",
                    ItemCount);
        const TTimes ansi = Measure<TListView>([](int I, int C) {
            return (C == 0 ? "contact " : C == 1 ? "status " : "message ") + std::to_string(I);
        });
        const TTimes wide = Measure<TzListView>([](int I, int C) {
            return WideNames[(I + C) % 4] + L" " + std::to_wstring(I);
        });
        std::printf("  fill + %d pages + re-create: wide skinned %.1f ms vs ANSI plain %.1f ms: %.2fx "
                    "(fill %.2fx, pages %.2fx, re-create %.2fx)\n",
                    Pages, wide.Total(), ansi.Total(), wide.Total() / ansi.Total(), wide.Fill / ansi.Fill,
                    wide.Scroll / ansi.Scroll, wide.Recreate / ansi.Recreate);

        const double plain = StatusMs<TStatusBar>([](TStatusBar* B, int I) {
            B->Panels()->Items(1)->SetText("unread: " + std::to_string(I));
        });
        const double skinned = StatusMs<TzStatusBar>([](TzStatusBar* B, int I) {
            B->Panels()->Items(1)->SetText(L"Непрочитанных: " + std::to_wstring(I));
        });
        std::printf("Status bar, 1,000 texts each shown: skinned %.1f ms vs plain %.1f ms: %.2fx (target at most "
                    "2.00x)\n",
                    skinned, plain, skinned / plain);
    }
    DoneUcProgram();
    DoneSkinEngine();
    return 0;
}
