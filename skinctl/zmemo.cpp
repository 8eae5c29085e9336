#include "skinctl/zmemo.h"

#include "skin/zskinwnd.h"

#include "classlib/gdihandles.h"
#include "skin/zclientwnd.h"
#include "skin/zskinmanager.h"
#include "skinctl/zskinctl.h"

Z_CLASS_IMPL(TzMemo, TMemo, Z_PROP_OBJ(TzMemo, Lines), Z_PROP_WSTR(TzMemo, Text),
             Z_PROP_ENUM(TzMemo, CharCase, EditCharCaseNames, ecNormal),
             WideHintProp(Z_PROP_WSTR(TzMemo, Hint)), Z_PROP_SET(TzMemo, DisabledKind, DisabledKindNames, dkBlended),
             Z_PROP_OBJ(TzMemo, SkinData), Z_PROP_OBJ(TzMemo, BoundLabel))

TzMemo::TzMemo(TComponent* AOwner)
    : TzEditControl(AOwner, ctMemo), FLines(std::make_unique<TUcMemoStrings>(this))
{
    if (FSkinData->SkinSection().empty())
        FSkinData->SetSkinSection("EDIT");
}

TzMemo::~TzMemo()
{
    FAdapter.reset();
}

void TzMemo::Loaded()
{
    TzEditControl::Loaded();
    UpdateScrollAdapter();
}

TSkMainWnd* TzMemo::ScrollAdapter() const
{
    return FAdapter.get();
}

// The window ------------------------------------------------------------------------------

void TzMemo::CreateWnd()
{
    TzEditControl::CreateWnd();
    if (!FSavedView)
        return;
    const TViewState v = *FSavedView;
    FSavedView.reset();
    HWND wnd = WindowHandle();
    SendMessageW(wnd, EM_SETSEL, WPARAM(v.SelStart), LPARAM(v.SelEnd));
    const int first = int(SendMessageW(wnd, EM_GETFIRSTVISIBLELINE, 0, 0));
    SendMessageW(wnd, EM_LINESCROLL, 0, v.FirstLine - first);
}

void TzMemo::DestroyWnd()
{
    if (!IsDestroying() && HandleAllocated()) {
        HWND wnd = WindowHandle();
        TViewState v;
        DWORD start = 0, end = 0;
        SendMessageW(wnd, EM_GETSEL, WPARAM(&start), LPARAM(&end));
        v.SelStart = int(start);
        v.SelEnd = int(end);
        v.FirstLine = int(SendMessageW(wnd, EM_GETFIRSTVISIBLELINE, 0, 0));
        FSavedView = v;
    }
    // The adapter belongs to the window that goes.
    FreeScrollAdapter();
    TMemo::DestroyWnd();
}

void TzMemo::UpdateScrollAdapter()
{
    if (!HandleAllocated() || IsDestroying())
        return;
    if (FSkinData->Skinned())
        FSkinData->Loaded();
    UpdateEditAdapter(this, FAdapter, FSkinData.get());
}

void TzMemo::FreeScrollAdapter()
{
    FAdapter.reset();
}

void TzMemo::RefreshScrollBars()
{
    if (auto* scroll = dynamic_cast<TSkScrollWnd*>(FAdapter.get()))
        RefreshScrollInfo(scroll, true);
}

void TzMemo::SkinnedAfter(TMessage& Message)
{
    TzCommonData* sd = FSkinData.get();
    if (SkinCommandOf(Message) == SKCMD_SETSEETHROUGH) {
        if (sd->SeeThrough())
            PrepareWindowCache(sd, WindowHandle(), false);
        return;
    }
    switch (Message.Msg) {
    // A new font colour alone sends no WM_SETFONT: the picture changes all the same.
    case CM_FONTCHANGED:
    case WM_SETFONT:
    case CM_VISIBLECHANGED:
    case CM_ENABLEDCHANGED:
        sd->Invalidate();
        break;
    case CM_TEXTCHANGED:
    case CM_CHANGED:
        RefreshScrollBars();
        break;
    case CM_SHOWINGCHANGED:
        UpdateScrollAdapter();
        break;
    default:
        break;
    }
}

void TzMemo::AfterMessage(TMessage& Message)
{
    if (Message.Msg == EM_SETSEL && OnScrollCaret)
        OnScrollCaret(this);
    else if (Message.Msg == WM_VSCROLL && OnVScroll)
        OnVScroll(this);
}

void TzMemo::SkinChanging(TWMSkinCommand& Command)
{
    if (Command.Command == SKCMD_SKINREMOVED)
        FreeScrollAdapter();
}

void TzMemo::SkinChanged(TWMSkinCommand& Command)
{
    switch (Command.Command) {
    case SKCMD_SKINREMOVED:
        // The system recalculates and paints the frame and the bars the adapter gave back. A
        // new window would cost a skin switch far more and bring nothing.
        if (HandleAllocated()) {
            RefreshWindowFrame(WindowHandle(), true);
            RedrawWindow(WindowHandle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME);
        }
        break;
    case SKCMD_REFRESH:
        UpdateScrollAdapter();
        RepaintForSkin(this);
        break;
    default:
        break;
    }
}

bool TzMemo::SkinnedBefore(TMessage& Message)
{
    if (Message.Msg != WM_PAINT || !WaitsForParent(FSkinData.get()))
        return false;
    if (!TWMPaint(Message).DC) {
        TPaintDC validate(WindowHandle());
    }
    return true;
}
