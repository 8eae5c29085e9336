// What the sources of the common controls unit share among themselves; no other unit
// includes this.
#pragma once

#include "classlib/comctrls.h"

namespace zcomctrls {

// The walk inside the subtree of Root: N's first child, else the next sibling of N or of a
// parent below Root.
TTreeNode* NextInSubtree(const TTreeNode* N, const TTreeNode* Root);

} // namespace zcomctrls

using namespace zcomctrls;
