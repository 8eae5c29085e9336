#include "skin/zcontrolutils.h"

#include "skin/zcommondata.h"
#include "skin/zskinprovider.h"
#include "skin/zskinservices.h"

#include "classlib/forms.h"

#include <cstring>
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

bool FromOwnManager(const TMessage& Message, const TzCommonData* SkinData, bool ZeroToo)
{
    TzSkinManager* own = SkinData ? SkinData->GetSkinManager() : nullptr;
    return (own && Message.LParam == reinterpret_cast<LPARAM>(own)) || (ZeroToo && Message.LParam == 0);
}

LRESULT SendCommandToWindow(HWND Wnd, uint16_t Command, LPARAM LParam)
{
    return SendMessageW(Wnd, SM_SKINCMD, SkinCommandWParam(Command), LParam);
}

LRESULT SendCommandToControl(TControl* Control, uint16_t Command, LPARAM LParam, uint16_t Arg)
{
    if (!Control)
        return 0;
    auto* win = dynamic_cast<TWinControl*>(Control);
    if (!win)
        return Control->Perform(SM_SKINCMD, SkinCommandWParam(Command, Arg), LParam);
    if (win->IsDestroying() || !win->HandleAllocated())
        return 0;
    return SendMessageW(win->WindowHandle(), SM_SKINCMD, SkinCommandWParam(Command, Arg), LParam);
}

bool AskControlCommand(TControl* Control, uint16_t Command)
{
    if (!Control)
        return false;
    TMessage m{SM_SKINCMD, SkinCommandWParam(Command), 0, 0};
    TWMSkinCommand question(m);
    if (TWndMethod proc = Control->WindowProc())
        proc(m);
    if (question.Answered() == 1)
        return true;
    auto* win = dynamic_cast<TWinControl*>(Control);
    return win && !win->IsDestroying() && win->HandleAllocated() && SendCommandToWindow(win->Handle(), Command, 0) == 1;
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
        } else if (AskControlCommand(win, SKCMD_ISSKINNED)) {
            if (child->Freed() || win->IsDestroying())
                continue;
            // A control without a window (on a hidden page) hears it in-process: it must not
            // paint from the last skin's indexes when it is shown, nor get a window for it.
            if (win->HandleAllocated())
                SendMessageW(win->Handle(), Message.Msg, Message.WParam, Message.LParam);
            else
                win->Perform(Message.Msg, Message.WParam, Message.LParam);
        } else {
            BroadcastToControls(win, Message);
        }
    }
}

// ---------------------------------------------------------------------------------------
// Shared answers

TzCacheInfo SharedCacheInfo;
TColor SharedParentColor = SkinKeyColor;
AnsiString InvalidatedSectionName;

// ---------------------------------------------------------------------------------------
// Control utilities

void SendEndParentUpdate(TWinControl* Parent)
{
    if (!Parent)
        return;
    for (int i = 0; i < Parent->ControlCount(); ++i) {
        TControl* c = Parent->Controls(i);
        if (dynamic_cast<TGraphicControl*>(c) || c->IsDestroying())
            continue;
        if (auto* win = dynamic_cast<TWinControl*>(c)) {
            if (win->HandleAllocated())
                SendCommandToWindow(win->Handle(), SKCMD_ENDPARENTUPDATE, 0);
        } else {
            c->Perform(SM_SKINCMD, SkinCommandWParam(SKCMD_ENDPARENTUPDATE), 0);
        }
    }
}

void SendEndParentUpdateToWindows(HWND Wnd)
{
    for (HWND child = Wnd ? GetWindow(Wnd, GW_CHILD) : nullptr; child; child = GetWindow(child, GW_HWNDNEXT))
        if (GetWindowLongW(child, GWL_STYLE) & WS_CHILD)
            SendCommandToWindow(child, SKCMD_ENDPARENTUPDATE, 0);
}

TColor QueryParentColor(TWinControl* Parent)
{
    if (!Parent)
        return SkinKeyColor;
    SharedParentColor = SkinKeyColor;
    if (Parent->HandleAllocated())
        SendCommandToWindow(Parent->Handle(), SKCMD_GETBGCOLOR, 0);
    const TColor answer = SharedParentColor;
    SharedParentColor = SkinKeyColor;
    return ColorToRGB(answer == SkinKeyColor ? Parent->Color() : answer);
}

void AnnounceControlToForm(TControl* Control)
{
    if (!Control || Control->IsDesigning())
        return;
    TCustomForm* form = GetParentForm(Control);
    if (form && form->HandleAllocated())
        SendCommandToWindow(form->Handle(), SKCMD_CONTROLLOADED, reinterpret_cast<LPARAM>(Control));
}

bool IsControlReady(TControl* Control)
{
    if (!Control)
        return false;
    if (auto* win = dynamic_cast<TWinControl*>(Control); win && !win->HandleAllocated())
        return false;
    return !(Control->ControlState() & (csCreating | csReadingState)) &&
           !(Control->ComponentState() & (csLoading | csDestroying)) && Control->Parent();
}

TCustomForm* FindParentForm(TControl* Control)
{
    for (TControl* c = Control; c; c = c->Parent())
        if (auto* f = dynamic_cast<TCustomForm*>(c))
            return f;
    return nullptr;
}

UINT AlignmentToTextFlags(TControl* Control, int Alignment)
{
    static const UINT flags[] = {DT_LEFT, DT_RIGHT, DT_CENTER};
    UINT f = (Alignment >= 0 && Alignment < 3 ? flags[Alignment] : DT_LEFT) | DT_EXPANDTABS | DT_VCENTER;
    return Control ? UINT(Control->DrawTextBiDiModeFlags(int(f))) : f;
}

TComponent* FindFormSkinProvider(TCustomForm* Form)
{
    if (!Form)
        return nullptr;
    for (int i = 0; i < Form->ComponentCount(); ++i) {
        TComponent* c = Form->Components(i);
        if (!c->IsDestroying() && dynamic_cast<TzSkinProvider*>(c))
            return c;
    }
    return nullptr;
}

int SumAlignedChildSizes(TWinControl* Parent, TAlign Align, bool WithGraphic)
{
    int sum = 0;
    for (int i = 0; Parent && i < Parent->ControlCount(); ++i) {
        TControl* c = Parent->Controls(i);
        if (!c->Visible() || c->Align() != Align || (!WithGraphic && !dynamic_cast<TWinControl*>(c)))
            continue;
        sum += (Align == alTop || Align == alBottom) ? c->Height()
               : (Align == alLeft || Align == alRight) ? c->Width()
                                                        : 0;
    }
    return sum;
}

void GetWorkArea(TRect& R)
{
    RECT r{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &r, 0);
    R = r;
}

// ---------------------------------------------------------------------------------------
// The visual-styles library

TSetWindowTheme SetWindowThemeProc = nullptr;

namespace {
HMODULE ThemeLibrary = nullptr;
using TThemeQuery = BOOL(WINAPI*)();
TThemeQuery IsThemeActiveProc = nullptr;
TThemeQuery IsAppThemedProc = nullptr;

template <class F> F ThemeProc(const char* Name)
{
    return reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(ThemeLibrary, Name)));
}
} // namespace

void InitControlUtils()
{
    if (ThemeLibrary)
        return;
    ThemeLibrary = LoadLibraryA("UXTHEME.DLL");
    if (!ThemeLibrary)
        return;
    SetWindowThemeProc = ThemeProc<TSetWindowTheme>("SetWindowTheme");
    IsThemeActiveProc = ThemeProc<TThemeQuery>("IsThemeActive");
    IsAppThemedProc = ThemeProc<TThemeQuery>("IsAppThemed");
}

void DoneControlUtils()
{
    SetWindowThemeProc = nullptr;
    IsThemeActiveProc = IsAppThemedProc = nullptr;
    if (ThemeLibrary)
        FreeLibrary(ThemeLibrary);
    ThemeLibrary = nullptr;
}

bool ThemesActive()
{
    return IsThemeActiveProc && IsAppThemedProc && IsThemeActiveProc() && IsAppThemedProc();
}
