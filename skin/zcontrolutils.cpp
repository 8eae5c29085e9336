#include "skin/zcontrolutils.h"

#include "skin/zskinservices.h"

#include <memory>
#include <vector>

TSkFreeWatch::TSkFreeWatch(TComponent* Target) : TComponent(nullptr), FTarget(Target)
{
    if (FTarget)
        FTarget->FreeNotification(this);
}

TSkFreeWatch::~TSkFreeWatch()
{
    if (FTarget)
        FTarget->RemoveFreeNotification(this);
}

void TSkFreeWatch::Notification(TComponent* AComponent, TOperation Operation)
{
    TComponent::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == FTarget)
        FTarget = nullptr;
}

LRESULT SendCommandToWindow(HWND Wnd, uint16_t Command, LPARAM LParam)
{
    return SendMessageW(Wnd, SM_SKINCMD, SkinCommandWParam(Command), LParam);
}

LRESULT SendCommandToControl(TControl* Control, uint16_t Command, LPARAM LParam)
{
    if (!Control)
        return 0;
    auto* win = dynamic_cast<TWinControl*>(Control);
    if (!win)
        return Control->Perform(SM_SKINCMD, SkinCommandWParam(Command), LParam);
    if (win->IsDestroying() || !win->HandleAllocated())
        return 0;
    return SendCommandToWindow(win->Handle(), Command, LParam);
}

bool AskControlCommand(TControl* Control, uint16_t Command)
{
    if (!Control)
        return false;
    TMessage m{SM_SKINCMD, SkinCommandWParam(Command), 0, 0};
    if (TWndMethod proc = Control->WindowProc())
        proc(m);
    if (m.LParam == 1)
        return true;
    auto* win = dynamic_cast<TWinControl*>(Control);
    return win && !win->IsDestroying() && win->HandleAllocated() &&
           SendMessageW(win->Handle(), SM_SKINCMD, SkinCommandWParam(Command), 0) == 1;
}

bool AskWindowCommand(HWND Wnd, uint16_t Command)
{
    return Wnd && SendCommandToWindow(Wnd, Command, 0) == 1;
}

void BroadcastToControls(TWinControl* Parent, const TMessage& Message)
{
    if (!Parent)
        return;
    // Each child is watched: one freed on the way is passed over even when a new control
    // took its address.
    TSkFreeWatch parent(Parent);
    std::vector<std::unique_ptr<TSkFreeWatch>> children;
    children.reserve(size_t(Parent->ControlCount()));
    for (int i = 0; i < Parent->ControlCount(); ++i)
        children.push_back(std::make_unique<TSkFreeWatch>(Parent->Controls(i)));
    for (const auto& child : children) {
        if (parent.Freed() || Parent->IsDestroying())
            return;
        if (child->Freed())
            continue;
        auto* c = static_cast<TControl*>(child->Target());
        if (c->IsDestroying())
            return;
        auto* win = dynamic_cast<TWinControl*>(c);
        if (!win) {
            c->Perform(Message.Msg, Message.WParam, Message.LParam);
        } else if (win->HandleAllocated() && AskWindowCommand(win->Handle(), SKCMD_ISSKINNED)) {
            if (!child->Freed() && !win->IsDestroying() && win->HandleAllocated())
                SendMessageW(win->Handle(), Message.Msg, Message.WParam, Message.LParam);
        } else {
            BroadcastToControls(win, Message);
        }
    }
}
