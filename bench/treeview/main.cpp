// A tree view filled with 10,000 nodes and its window re-created, against the floor of the
// same items inserted straight into a system tree window (callback texts, no node objects).
// Both shapes a contact list takes: a few large groups, and one flat list.
#include "classlib/comctrls.h"
#include "classlib/forms.h"
#include "bench/timing.h"

#include <algorithm>
#include <cstdio>
#include <memory>

namespace {

constexpr int NodeCount = 10000;

// The bare system tree: a window of the class and the items, each after the last, then the
// window destroyed.
double FloorMs(int Groups)
{
    HWND parent = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 300, 400, nullptr, nullptr, nullptr, nullptr);
    const double ms = BestMs(3, [&] {
        HWND tree = CreateWindowExA(0, WC_TREEVIEWA, "", WS_CHILD | WS_VISIBLE | TVS_HASBUTTONS | TVS_HASLINES,
                                    0, 0, 280, 380, parent, nullptr, nullptr, nullptr);
        SendMessageA(tree, WM_SETREDRAW, FALSE, 0);
        const int perGroup = NodeCount / Groups - 1;
        for (int g = 0; g < Groups; ++g) {
            TVINSERTSTRUCTA ins{};
            ins.hParent = TVI_ROOT;
            ins.hInsertAfter = TVI_LAST;
            ins.item.mask = TVIF_TEXT | TVIF_PARAM;
            ins.item.pszText = LPSTR_TEXTCALLBACKA;
            // The first group open, as in the measured tree.
            ins.item.mask |= TVIF_STATE;
            ins.item.stateMask = TVIS_EXPANDED;
            ins.item.state = g == 0 ? TVIS_EXPANDED : 0;
            auto group = reinterpret_cast<HTREEITEM>(SendMessageA(tree, TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&ins)));
            ins.item.mask &= ~TVIF_STATE;
            ins.hParent = group;
            for (int c = 0; c < perGroup; ++c)
                SendMessageA(tree, TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&ins));
        }
        SendMessageA(tree, WM_SETREDRAW, TRUE, 0);
        DestroyWindow(tree);
    });
    DestroyWindow(parent);
    return ms;
}

void Measure(int Groups)
{
    auto form = std::make_unique<TForm>(nullptr);
    form->SetBounds(0, 0, 300, 400);
    auto* tree = new TTreeView(form.get());
    tree->SetBounds(0, 0, 280, 380);
    tree->SetParent(form.get());
    tree->HandleNeeded();
    const int perGroup = NodeCount / Groups - 1;
    double fillMs = 1e30;
    for (int run = 0; run < 3; ++run) {
        tree->Items()->Clear();
        fillMs = std::min(fillMs, BestMs(1, [&] {
            TUpdateScope<TTreeNodes> update(tree->Items());
            for (int g = 0; g < Groups; ++g) {
                TTreeNode* group = tree->Items()->Add(nullptr, "group " + IntToStr(g));
                for (int c = 0; c < perGroup; ++c)
                    tree->Items()->AddChild(group, "contact " + IntToStr(c));
            }
        }));
    }
    tree->Items()->GetFirstNode()->Expand(false);
    const double recreateMs = BestMs(3, [&] {
        tree->RecreateWnd();
        tree->HandleNeeded();
    });

    const double walkMs = BestMs(3, [&] {
        for (int i = 0; i < tree->Items()->Count(); ++i)
            tree->Items()->Item(i);
    });
    const double floor = FloorMs(Groups);
    std::printf("%5d groups: floor %.1f ms; fill %.1f ms (%.2fx), re-create %.1f ms (%.2fx), walk by index %.2f ms\n",
                Groups, floor, fillMs, fillMs / floor, recreateMs, recreateMs / floor, walkMs);
}

} // namespace

int main()
{
    InitSysUtils();
    InitForms();
    std::printf("Tree view, %d nodes\n", NodeCount);
    for (int groups : {1, 20, NodeCount})
        Measure(groups);
    DoneForms();
    return 0;
}
