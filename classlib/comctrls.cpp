// Common controls: what every control of the unit needs from the system. Each control has a
// source of its own: comctrls_treenodes.cpp and comctrls_treeview.cpp (the tree view and its
// nodes), comctrls_updown.cpp (the up-down arrows).
#include "classlib/comctrls.h"

void InitCommonControlClasses(DWORD Classes)
{
    static DWORD done = 0;
    if ((done & Classes) == Classes)
        return;
    INITCOMMONCONTROLSEX icc{sizeof(icc), Classes};
    InitCommonControlsEx(&icc);
    done |= Classes;
}
