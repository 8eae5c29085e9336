// Common controls: what every control of the unit needs from the system. Each control has a
// source of its own: comctrls_treenodes.cpp and comctrls_treeview.cpp (the tree view and its
// nodes), comctrls_listitems.cpp and comctrls_listview.cpp (the list view, its columns and
// items), comctrls_statusbar.cpp (the status bar), comctrls_updown.cpp (the up-down arrows).
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

// ---------------------------------------------------------------------------------------
// TLabelEditLink

void TLabelEditLink::Hook(HWND Edit, bool Wide)
{
    if (!Edit)
        return;
    FHooked = Edit;
    FWide = Wide;
    const auto instance = reinterpret_cast<LONG_PTR>(FInstance);
    FDefProc = reinterpret_cast<WNDPROC>(Wide ? SetWindowLongPtrW(Edit, GWLP_WNDPROC, instance)
                                              : SetWindowLongPtrA(Edit, GWLP_WNDPROC, instance));
}

LRESULT TLabelEditLink::CallDefault(const TMessage& Message) const
{
    if (!FDefProc)
        return FWide ? DefWindowProcW(FHooked, Message.Msg, Message.WParam, Message.LParam)
                     : DefWindowProcA(FHooked, Message.Msg, Message.WParam, Message.LParam);
    return FWide ? CallWindowProcW(FDefProc, FHooked, Message.Msg, Message.WParam, Message.LParam)
                 : CallWindowProcA(FDefProc, FHooked, Message.Msg, Message.WParam, Message.LParam);
}

void TLabelEditLink::Pass(TMessage& Message)
{
    Message.Result = CallDefault(Message);
    if (Message.Msg == WM_NCDESTROY)
        Forget();
}

void TLabelEditLink::Forget()
{
    FHooked = nullptr;
    FDefProc = nullptr;
}
