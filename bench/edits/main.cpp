// The skinned edit family at work: a memo of 10,000 lines scrolled a line at a time, skinned
// and plain; and a skin switch on a form of 200 skinned edits and memos, per control, beside
// one paint of a control.
#include "bench/skinbench.h"
#include "bench/timing.h"
#include "classlib/forms.h"
#include "skin/zgraphics.h"
#include "skin/zskinmanager.h"
#include "skinctl/zedit.h"
#include "skinctl/zmemo.h"
#include "unicode/ucforms.h"

#include <cstdio>
#include <memory>

namespace {

// Microseconds a scroll step: a line down, the window painted at once (client and frame).
double ScrollStep(TzMemo* Memo, int Steps)
{
    HWND h = Memo->Handle();
    SendMessageW(h, WM_VSCROLL, SB_TOP, 0);
    Pump();
    const double t0 = Now();
    for (int i = 0; i < Steps; ++i) {
        SendMessageW(h, WM_VSCROLL, SB_LINEDOWN, 0);
        RedrawWindow(h, nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_UPDATENOW);
    }
    return (Now() - t0) * 1e6 / Steps;
}

} // namespace

int main()
{
    auto manager = StartSkinnedBench();
    if (!manager)
        return 1;

    {
        auto form = std::unique_ptr<TForm>(new TForm(Application));
        form->SetBounds(0, 0, 500, 400);
        auto* memo = MakeComponent<TzMemo>(form.get());
        memo->SetParent(form.get());
        memo->SetAlign(alClient);
        memo->SetScrollBars(ssVertical);
        WideString text;
        for (int i = 1; i <= 10000; ++i)
            text += L"Строка " + std::to_wstring(i) + L": съешь же ещё этих мягких французских булок\r\n";
        memo->SetText(text);
        form->Show();
        Pump();
        double skinned = 1e30, plain = 1e30;
        for (int run = 0; run < 3; ++run) {
            Apply(manager.get(), L"ZandrelDawn");
            skinned = std::min(skinned, ScrollStep(memo, 300));
            Apply(manager.get(), nullptr);
            plain = std::min(plain, ScrollStep(memo, 300));
        }
        std::printf("%-52s %9.1f us  plain %9.1f us  ratio %5.2f  target 1.5\n",
                    "memo of 10,000 lines, one line down", skinned, plain, skinned / plain);
    }

    {
        auto form = std::unique_ptr<TForm>(new TForm(Application));
        form->SetBounds(0, 0, 900, 700);
        std::vector<TWinControl*> controls;
        for (int i = 0; i < 200; ++i) {
            const WideString text = L"Текст " + std::to_wstring(i);
            TWinControl* c;
            if (i % 2) {
                auto* memo = MakeComponent<TzMemo>(form.get());
                memo->SetText(text);
                c = memo;
            } else {
                auto* edit = MakeComponent<TzEdit>(form.get());
                edit->SetText(text);
                c = edit;
            }
            c->SetParent(form.get());
            c->SetBounds(5 + (i % 10) * 88, 5 + (i / 10) * 33, 84, 30);
            controls.push_back(c);
        }
        form->Show();
        Apply(manager.get(), L"ZandrelDawn");
        double perControl = 1e30, paint = 1e30;
        for (int run = 0; run < 3; ++run) {
            const double t0 = Now();
            Apply(manager.get(), run % 2 ? L"ZandrelDawn" : L"ZandrelDusk");
            perControl = std::min(perControl, (Now() - t0) * 1e6 / double(controls.size()));
            // One paint of each control, picture rebuilt (frame and client), as a skin change asks.
            const double t1 = Now();
            for (TWinControl* c : controls) {
                c->Perform(SM_SKINCMD, WPARAM(SKCMD_BGCHANGED) << 16, 0);
                RedrawWindow(c->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_UPDATENOW);
            }
            paint = std::min(paint, (Now() - t1) * 1e6 / double(controls.size()));
        }
        std::printf("%-52s %9.1f us  paint %9.1f us  ratio %5.2f  target 3\n",
                    "skin switch on 200 edits and memos, per control", perControl, paint, perControl / paint);
    }
    DoneUcProgram();
    return 0;
}
