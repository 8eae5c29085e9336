// Two splitters and three panes side by side on one parent, dragged through the parent's
// window as the mouse's messages would: the same sequences for the class library's splitter
// and the skinned one.
#pragma once

#include "classlib/extctrls.h"
#include "classlib/sysutils.h"
#include "join.h"

#include <doctest.h>

#include <algorithm>
#include <type_traits>
#include <vector>

// P1 | S1 | P2 | S2 | the rest, aligned left on Parent: panes 100 wide, splitters of the
// class's width. The parent's client area is at least 400 wide and its window is shown.
template <class Splitter> struct TSplitPanes {
    TWinControl* Parent;
    TWinControl* P1 = Add<TWinControl>("P1", 0);
    Splitter* S1 = Add<Splitter>("S1", 100);
    TWinControl* P2 = Add<TWinControl>("P2", 200);
    Splitter* S2 = Add<Splitter>("S2", 300);
    TWinControl* Rest = Add<TWinControl>("Rest", 350);
    const int W = S1->Width();

    explicit TSplitPanes(TWinControl* AParent) : Parent(AParent)
    {
        Rest->SetAlign(alClient);
        Parent->Realign();
    }
    ~TSplitPanes()
    {
        for (TControl* c : std::initializer_list<TControl*>{Rest, S2, P2, S1, P1})
            delete c;
    }
    TSplitPanes(const TSplitPanes&) = delete;
    TSplitPanes& operator=(const TSplitPanes&) = delete;

    template <class T> T* Add(const char* Name, int X)
    {
        auto* c = new T(Parent);
        c->SetName(Name);
        c->SetBounds(X, 0, std::is_base_of_v<TSplitter, T> ? c->Width() : 100, 100);
        c->SetAlign(alLeft);
        c->SetParent(Parent);
        return c;
    }
    // Presses the splitter's middle, moves the mouse by DX (none for 0) and lets go there.
    void Drag(TSplitter* S, int DX)
    {
        const int x = S->Left() + S->Width() / 2, y = S->Top() + S->Height() / 2;
        SendMessageA(Parent->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
        if (DX)
            SendMessageA(Parent->Handle(), WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(x + DX, y));
        SendMessageA(Parent->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(x + DX, y));
    }
    // The widths of P1, S1, P2 and S2. Where a pane of width 0 lies shows only when it opens:
    // the alignment may put it past a splitter at its place.
    std::string Widths() const { return Join(P1->Width(), S1->Width(), P2->Width(), S2->Width()); }
    // The panes and splitters from left to right with their widths: "P1 100, S1 3, ...".
    AnsiString Layout() const
    {
        std::vector<TControl*> order{P1, S1, P2, S2};
        std::sort(order.begin(), order.end(), [](TControl* a, TControl* b) {
            return a->Left() != b->Left() ? a->Left() < b->Left() : a->Left() + a->Width() < b->Left() + b->Width();
        });
        AnsiString s;
        for (TControl* c : order)
            s += (s.empty() ? "" : ", ") + c->Name() + " " + IntToStr(c->Width());
        return s;
    }
    // The layout of panes P1 and P2 in their places with these widths.
    AnsiString Expected(int Width1, int Width2) const
    {
        return Format("P1 %d, S1 %d, P2 %d, S2 %d", Width1, W, Width2, W);
    }
};

// Every sequence on new panes; each pane snapped shut opens again by its own splitter, on its
// own side, and no splitter changes its width.
template <class Splitter> void CheckSplitPaneSequences(TWinControl* Parent)
{
    {
        INFO("the second pane snapped shut and dragged open by its splitter");
        TSplitPanes<Splitter> p(Parent);
        p.Drag(p.S2, -80);
        CHECK(p.Widths() == Join(100, p.W, 0, p.W));
        p.Drag(p.S2, 100);
        CHECK(p.Layout() == p.Expected(100, 100));
    }
    {
        INFO("the first pane snapped shut, then the second splitter dragged");
        TSplitPanes<Splitter> p(Parent);
        p.Drag(p.S1, -80);
        p.Drag(p.S2, 60);
        CHECK(p.Widths() == Join(0, p.W, 160, p.W));
        p.Drag(p.S1, 50);
        CHECK(p.Layout() == p.Expected(50, 160));
    }
    {
        INFO("both panes snapped shut, then both opened");
        TSplitPanes<Splitter> p(Parent);
        p.Drag(p.S1, -80);
        p.Drag(p.S2, -80);
        CHECK(p.Widths() == Join(0, p.W, 0, p.W));
        p.Drag(p.S2, 70);
        p.Drag(p.S1, 40);
        CHECK(p.Layout() == p.Expected(40, 70));
    }
    {
        INFO("the parent resized, the second pane snapped shut, its splitter clicked");
        TSplitPanes<Splitter> p(Parent);
        Parent->SetWidth(Parent->Width() + 40);
        p.Drag(p.S2, -300);
        p.Drag(p.S2, 0);
        CHECK(p.Widths() == Join(100, p.W, 0, p.W));
        Parent->SetWidth(Parent->Width() - 40);
        p.Drag(p.S2, 50);
        CHECK(p.Layout() == p.Expected(100, 50));
    }
}
