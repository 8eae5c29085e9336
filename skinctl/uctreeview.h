// The program's Unicode tree view: the wide tree (wide node texts, the wide sort, wide label
// editing, "Utf8Data" in form data; unicode/uccomctrls.h) standing on the skinned tree view,
// so that every tree of the program follows the skin. The contact list is such a tree.
#pragma once

#include "skinctl/ztreeview.h"
#include "unicode/uccomctrls.h"

class TUcCustomTreeView : public TUcTreeViewOf<TzTreeView> {
    Z_CLASS(TUcCustomTreeView, TzTreeView)
public:
    explicit TUcCustomTreeView(TComponent* AOwner) : TUcTreeViewOf<TzTreeView>(AOwner) {}
};

class TUcTreeView : public TUcCustomTreeView {
    Z_CLASS(TUcTreeView, TUcCustomTreeView)
public:
    explicit TUcTreeView(TComponent* AOwner) : TUcCustomTreeView(AOwner) {}
};

// Start-up: the skinned and the Unicode tree views become known to form data.
void InitUcTreeView();
