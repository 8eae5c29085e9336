// What the sources of the common controls unit share among themselves; no other unit
// includes this.
#pragma once

#include "classlib/comctrls.h"

#include <utility>

namespace zcomctrls {

// The walk inside the subtree of Root: N's first child, else the next sibling of N or of a
// parent below Root.
TTreeNode* NextInSubtree(const TTreeNode* N, const TTreeNode* Root);

extern const char* const AlignmentNames[3];

// A comparison the system calls during a sort: Compare's answer, 0 when it throws. Inside a
// sort of the control's own (Guard) the exception is kept for the sort's end and the rest of
// the sort asks no more; outside one it reaches the application at once.
template <class F> int GuardedCompare(TCallbackGuard* Guard, TObject* Sender, F&& Compare)
{
    if (Guard)
        return Guard->Answer(std::forward<F>(Compare), 0);
    try {
        return Compare();
    } catch (...) {
        HandleCaughtException(Sender);
        return 0;
    }
}

// A sort of the control's own: Sort runs with Slot naming a guard of its own (Sort may test
// it), and an exception a comparison kept reaches the application afterwards, once (False).
template <class F> bool GuardedSort(TCallbackGuard*& Slot, TObject* Sender, F&& Sort)
{
    TCallbackGuard guard;
    bool ok = false;
    {
        TCallbackGuard* outer = std::exchange(Slot, &guard);
        TScopeExit restore([&] { Slot = outer; });
        ok = Sort(guard);
    }
    try {
        guard.Rethrow();
    } catch (...) {
        HandleCaughtException(Sender);
        return false;
    }
    return ok;
}

// An item's states as the window's LVIS_ flags, and back.
UINT ItemStatesToLVIS(TItemStates States);
TItemStates LVISToItemStates(UINT State);

// For the constructor of a collection item: the collection holds its updates until the item
// is whole (the constructor's body ends them), so that nobody reads a half-made item.
TCollection* HoldUpdates(TCollection* Collection);

} // namespace zcomctrls

using namespace zcomctrls;
