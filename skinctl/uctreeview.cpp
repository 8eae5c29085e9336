#include "skinctl/uctreeview.h"

Z_CLASS_IMPL(TUcCustomTreeView, TzTreeView)
Z_CLASS_IMPL(TUcTreeView, TUcCustomTreeView, Z_TREEVIEW_PROPS(TUcTreeView), WideHintProp<TUcTreeView>())

void InitUcTreeView()
{
    RegisterClass(TzTreeView::StaticClassInfo());
    RegisterClass(TUcTreeView::StaticClassInfo());
}
