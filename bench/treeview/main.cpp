// A tree of 10,000 nodes filled and its window re-created: the program's Unicode tree
// (skinned, a skin applied, wide texts in Cyrillic, Greek and beyond the Basic Multilingual
// Plane) beside the class library's plain tree filled with ANSI texts, which is the floor
// (target: at most 1.5 times it). The bare system tree (items straight into a window, callback
// texts, no node objects) is shown for scale. Shapes a contact list takes: one large group, a
// few groups, one flat list.
//
// Run from the build folder: the skin is read from Skins\ beside the program.
#include "bench/skinbench.h"
#include "bench/timing.h"
#include "classlib/forms.h"
#include "skinctl/uctreeview.h"

#include <algorithm>

namespace {

constexpr int NodeCount = 10000;
constexpr int Runs = 3;

struct TTimes {
    double Fill = 1e30;
    double Recreate = 1e30;
    double Total() const { return Fill + Recreate; }
};

// The tree on a shown form, filled with Groups groups (the first open) of contacts named by
// Text(group, contact) (-1 for the group itself), then its window made again; the best of a
// few runs of each.
template <class TTree, class TText> TTimes Measure(int Groups, TText&& Text)
{
    auto form = std::make_unique<TForm>(Application);
    form->SetBounds(0, 0, 300, 400);
    auto* tree = MakeComponent<TTree>(form.get());
    tree->SetBounds(0, 0, 280, 380);
    tree->SetParent(form.get());
    form->Show();
    Pump();
    const int perGroup = NodeCount / Groups - 1;
    TTimes t;
    for (int run = 0; run < Runs; ++run) {
        tree->Items()->Clear();
        t.Fill = std::min(t.Fill, BestMs(1, [&] {
            TUpdateScope<TTreeNodes> update(tree->Items());
            for (int g = 0; g < Groups; ++g) {
                auto* group = tree->Items()->Add(nullptr, Text(g, -1));
                for (int c = 0; c < perGroup; ++c)
                    tree->Items()->AddChild(group, Text(g, c));
            }
        }));
        tree->Items()->GetFirstNode()->Expand(false);
        t.Recreate = std::min(t.Recreate, BestMs(1, [&] {
            tree->RecreateWnd();
            tree->HandleNeeded();
        }));
        Pump();
    }
    return t;
}

// The bare system tree: a window of the class and the items, each after the last, then the
// window destroyed.
double BareMs(int Groups)
{
    HWND parent = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 300, 400, nullptr, nullptr, nullptr, nullptr);
    const double ms = BestMs(Runs, [&] {
        HWND tree = CreateWindowExA(0, WC_TREEVIEWA, "", WS_CHILD | WS_VISIBLE | TVS_HASBUTTONS | TVS_HASLINES, 0, 0,
                                    280, 380, parent, nullptr, nullptr, nullptr);
        SendMessageA(tree, WM_SETREDRAW, FALSE, 0);
        const int perGroup = NodeCount / Groups - 1;
        for (int g = 0; g < Groups; ++g) {
            TVINSERTSTRUCTA ins{};
            ins.hParent = TVI_ROOT;
            ins.hInsertAfter = TVI_LAST;
            ins.item.mask = TVIF_TEXT | TVIF_PARAM | TVIF_STATE;
            ins.item.pszText = LPSTR_TEXTCALLBACKA;
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

const WideString WideNames[] = {L"Алёна Петрова", L"Γιώργος Παπαδόπουλος", L"Дмитрий \xD83D\xDE00",
                                L"Νίκος Ελληνικός \xD840\xDC0B"};

void Shape(int Groups)
{
    const TTimes ansi = Measure<TTreeView>(Groups, [](int G, int C) {
        return C < 0 ? "group " + IntToStr(G) : "contact " + IntToStr(G) + "." + IntToStr(C);
    });
    const TTimes wide = Measure<TUcTreeView>(Groups, [](int G, int C) {
        return C < 0 ? L"группа " + std::to_wstring(G)
                     : WideNames[(G + C) % 4] + L" " + std::to_wstring(G) + L"." + std::to_wstring(C);
    });
    std::printf("%5d groups: wide skinned fill + re-create %.1f ms vs ANSI plain %.1f ms: %.2fx "
                "(fill %.2fx, re-create %.2fx); bare system tree %.1f ms\n",
                Groups, wide.Total(), ansi.Total(), wide.Total() / ansi.Total(), wide.Fill / ansi.Fill,
                wide.Recreate / ansi.Recreate, BareMs(Groups));
}

} // namespace

int main()
{
    {
        auto manager = StartSkinnedBench();
        if (!manager)
            return 1;
        InitUcTreeView();
        Apply(manager.get(), L"ZandrelDusk");
        std::printf("Tree view, %d nodes: the skinned Unicode tree beside the plain ANSI tree (target at most 1.50x)\n",
                    NodeCount);
        for (int groups : {1, 20, NodeCount})
            Shape(groups);
    }
    DoneUcProgram();
    DoneSkinEngine();
    return 0;
}
