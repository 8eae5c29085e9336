// An exception thrown by the program's code inside each kind of callback the system calls is
// caught where the system called in, reaches Application->HandleException once, and leaves
// the callback working: it is called again, and nothing it held stays held.
#include "skinctlfixture.h"
#include "soakform.h"

#include "classlib/extctrls.h"
#include "skinctl/zcheckbox.h"
#include "skinctl/zcombobox.h"
#include "skinctl/zlistview.h"
#include "skinctl/zstatusbar.h"
#include "skin/zskinprovider.h"

#include <functional>

namespace {

// The program's handler: throws "Boom" at its next call once armed (at every call while
// Always), and counts its calls.
struct TThrower {
    int Calls = 0;
    bool Armed = false;
    bool Always = false;
    void Hit()
    {
        ++Calls;
        if (std::exchange(Armed, false) || Always)
            throw Exception("Boom");
    }
    void Notify(TObject*) { Hit(); }
    void BmpPaint(TObject*, TBitmap*) { Hit(); }
    void DrawItem(TWinControl*, int, TRect, TOwnerDrawState) { Hit(); }
    void Message(MSG& Msg, bool&)
    {
        if (Msg.message == WM_CHAR && Msg.wParam == 0x0416)
            Hit();
    }
    void Idle(TObject*, bool&)
    {
        // Something to wake the idle wait that follows.
        PostMessageW(Application->Handle(), WM_NULL, 0, 0);
        Hit();
    }
    void Compare(TObject*, TTreeNode* A, TTreeNode* B, LPARAM, int& Result)
    {
        Hit();
        Result = A->Text().compare(B->Text());
    }
    void CompareItems(TObject*, TListItem* A, TListItem* B, LPARAM, int& Result)
    {
        Hit();
        Result = A->Caption().compare(B->Caption());
    }
    void DrawPanel(TCustomStatusBar* Bar, TStatusPanel*, const TRect& R)
    {
        Bar->Canvas()->Brush()->SetColor(clRed);
        Bar->Canvas()->FillRect(R);
        Hit();
    }
};

TThrower* CurrentThrower = nullptr;

void ThrowingCBT(int Code, WPARAM, LPARAM)
{
    if (Code == HCBT_CREATEWND && CurrentThrower)
        CurrentThrower->Hit();
}

// A control whose own Paint throws.
class TThrowingPaint : public TCustomControl {
public:
    using TCustomControl::TCustomControl;
    TThrower* Thrower = nullptr;

protected:
    void Paint() override
    {
        Canvas()->Brush()->SetColor(clRed);
        Canvas()->FillRect(TRect(0, 0, Width(), Height()));
        Thrower->Hit();
    }
};

// The modal form that the click opens: it ends as soon as it is shown.
struct TModalOpener {
    std::unique_ptr<TForm> Modal = std::make_unique<TForm>(Application);
    bool FailFirstAllocation = false;
    int Result = -1;
    TTimer Closer{nullptr};
    TModalOpener()
    {
        Modal->SetBounds(100, 100, 200, 100);
        Modal->OnShow = MakeMethod<&TModalOpener::Shown>(this);
        Closer.SetEnabled(false);
        Closer.SetInterval(1);
        Closer.SetOnTimer(MakeMethod<&TModalOpener::Close>(this));
    }
    void Click(TObject*)
    {
        if (std::exchange(FailFirstAllocation, false))
            MemMgrFailAllocation(1);
        Result = Modal->ShowModal();
    }
    // The modal loop has begun: it ends at once.
    void Shown(TObject*) { Closer.SetEnabled(true); }
    void Close(TObject*)
    {
        Closer.SetEnabled(false);
        Modal->SetModalResult(mrOk);
    }
};

struct TBoundaryRig : TSkinFixture {
    TThrower T;
    TCatcher Caught;
    TBoundaryRig() { Show(); }
};

// C painted twice through the window Painted, its first paint throwing: each paint ends all
// the same, leaving nothing to paint.
void PaintTwice(TBoundaryRig& R, TControl* C, HWND Painted)
{
    R.T.Armed = true;
    for (int i = 0; i < 2; ++i) {
        C->Invalidate();
        RedrawWindow(Painted, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
        CHECK_FALSE(GetUpdateRect(Painted, nullptr, FALSE));
    }
}

// The program's paint handler of a button throws. A control without a window (a speed button,
// a splitter) is painted inside its parent's paint: one of them stands for all.
template <class T> void PaintHandlerThrows(TBoundaryRig& R)
{
    auto* button = R.Place<T>(R.Form, 10, 10, 90, 28);
    button->SetCaption(L"Кнопка");
    HWND painted = R.Form->Handle();
    if constexpr (std::is_base_of_v<TWinControl, T>)
        painted = button->Handle();
    UpdateWindow(painted);
    button->OnPaint = MakeMethod<&TThrower::BmpPaint>(&R.T);
    PaintTwice(R, button, painted);
    delete button;
}

// Each case makes the program's handler throw at its callback's next call and then calls it
// again; it checks what the callback's own work should still have done.
struct TBoundaryCase {
    const char* Kind;
    std::function<void(TBoundaryRig&)> Run;
    const char* Message = "Boom";
};

const TBoundaryCase BoundaryCases[] = {
    {"window procedure", [](TBoundaryRig& R) {
         auto* edit = R.Place<TzEdit>(R.Form, 10, 10, 120, 24);
         edit->OnChange = MakeMethod<&TThrower::Notify>(&R.T);
         R.T.Armed = true;
         SendMessageW(edit->Handle(), WM_SETTEXT, 0, LPARAM(L"один"));
         SendMessageW(edit->Handle(), WM_SETTEXT, 0, LPARAM(L"два"));
         CHECK(edit->Text() == L"два");
         delete edit;
     }},
    {"message hook", [](TBoundaryRig& R) {
         auto* edit = R.Place<TzEdit>(R.Form, 10, 10, 120, 24);
         TRestore<TMessageEvent> saved(Application->OnMessage);
         Application->OnMessage = MakeMethod<&TThrower::Message>(&R.T);
         R.T.Armed = true;
         for (int i = 0; i < 2; ++i) {
             PostMessageW(edit->Handle(), WM_CHAR, 0x0416, 1);
             Pump();
         }
         // The character whose handler threw is dropped; the next one is typed.
         CHECK(edit->Text() == L"\x0416");
         delete edit;
     }},
    {"CBT hook", [](TBoundaryRig& R) {
         REQUIRE(R.Manager->SkinData().Active);   // the default manager's hook is in
         TRestore<decltype(SkinEngineHooks.CBTNotify)> saved(SkinEngineHooks.CBTNotify);
         SkinEngineHooks.CBTNotify = &ThrowingCBT;
         CurrentThrower = &R.T;
         R.T.Armed = true;
         for (int i = 0; i < 2; ++i) {
             HWND w = CreateWindowExW(0, L"STATIC", L"", WS_CHILD, 0, 0, 10, 10, R.Form->Handle(), nullptr,
                                      GetModuleHandleW(nullptr), nullptr);
             CHECK(w);   // made all the same
             DestroyWindow(w);
         }
         CurrentThrower = nullptr;
     }},
    {"timer", [](TBoundaryRig& R) {
         TTimer timer(nullptr);
         timer.SetInterval(10);
         timer.SetOnTimer(MakeMethod<&TThrower::Notify>(&R.T));
         R.T.Armed = true;
         for (DWORD end = GetTickCount() + 3000; R.T.Calls < 3 && GetTickCount() < end;)
             Pump();
         CHECK(timer.Enabled());
     }},
    {"enumeration callback", [](TBoundaryRig& R) {
         TModalOpener open;
         auto* button = R.Place<TzButton>(R.Form, 10, 10, 90, 28);
         button->OnClick = MakeMethod<&TModalOpener::Click>(&open);
         // The list of windows to disable cannot grow: the modal state never begins.
         open.FailFirstAllocation = true;
         SendMessageW(button->Handle(), BM_CLICK, 0, 0);
         CHECK(Join(open.Result, IsWindowEnabled(R.Form->Handle()) != 0, open.Modal->Visible()) == Join(-1, true, false));
         SendMessageW(button->Handle(), BM_CLICK, 0, 0);
         CHECK(Join(open.Result, IsWindowEnabled(R.Form->Handle()) != 0) == Join(int(mrOk), true));
         R.T.Calls = 2;   // the callback ran twice: no handler of the program to count
         delete button;
     },
     "std::bad_alloc"},
    {"sort callback", [](TBoundaryRig& R) {
         auto* tree = R.Place<TzTreeView>(R.Form, 10, 10, 150, 150);
         for (const char* s : {"f", "c", "a", "e", "b", "d"})
             tree->Items()->Add(nullptr, s);
         tree->OnCompare = MakeMethod<&TThrower::Compare>(&R.T);
         // A comparison that fails every time is asked once: the sort has no answer to go on.
         R.T.Always = true;
         tree->AlphaSort();
         CHECK(R.T.Calls == 1);
         R.T.Always = false;
         tree->AlphaSort();
         CHECK(R.T.Calls > 1);
         AnsiString order;
         for (TTreeNode* n = tree->Items()->GetFirstNode(); n; n = n->GetNextSibling())
             order += n->Text();
         CHECK(order == "abcdef");
         delete tree;
     }},
    {"sort callback of a list view", [](TBoundaryRig& R) {
         auto* list = R.Place<TzListView>(R.Form, 10, 10, 150, 150);
         for (const wchar_t* s : {L"f", L"c", L"a", L"e", L"b", L"d"})
             list->AddItem(s, nullptr);
         list->OnCompare = MakeMethod<&TThrower::CompareItems>(&R.T);
         R.T.Always = true;
         list->AlphaSort();
         CHECK(R.T.Calls == 1);
         R.T.Always = false;
         list->AlphaSort();
         WideString order;
         for (int i = 0; i < list->Items()->Count(); ++i)
             order += list->Items()->Item(i)->Caption();
         CHECK(order == L"abcdef");
         delete list;
     }},
    {"panel drawing of a status bar", [](TBoundaryRig& R) {
         auto* bar = R.Place<TzStatusBar>(R.Form, 0, 0, 300, 24);
         bar->Panels()->Add()->SetStyle(psOwnerDraw);
         bar->OnDrawPanel = MakeMethod<&TThrower::DrawPanel>(&R.T);
         R.T.Armed = true;
         for (int i = 0; i < 2; ++i) {
             bar->SkinData()->Invalidate();
             RedrawWindow(bar->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
             CHECK_FALSE(GetUpdateRect(bar->Handle(), nullptr, FALSE));
         }
         CHECK(ClientPixel(bar, 150, 12) == clRed);
         delete bar;
     }},
    {"click handler of a check box", [](TBoundaryRig& R) {
         auto* box = R.Place<TzCheckBox>(R.Form, 10, 10, 120, 20);
         box->SetCaption(L"Флажок");
         box->OnClick = MakeMethod<&TThrower::Notify>(&R.T);
         R.T.Armed = true;
         for (int i = 0; i < 2; ++i) {
             SendMessageW(box->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
             SendMessageW(box->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
         }
         // Each click changed the state; the press that threw is over.
         CHECK(Join(box->State(), box->Pressed(), GetCapture() != box->Handle()) == Join(cbUnchecked, false, true));
         delete box;
     }},
    {"paint handler of a bit button", &PaintHandlerThrows<TzBitBtn>},
    {"paint handler of a speed button", &PaintHandlerThrows<TzSpeedButton>},
    {"draw-item handler of a combo box", [](TBoundaryRig& R) {
         auto* combo = R.Place<TzComboBox>(R.Form, 10, 10, 120, 24);
         combo->SetStyle(csOwnerDrawFixed);
         combo->Items()->Add(L"Один");
         combo->SetItemIndex(0);
         combo->OnDrawItem = MakeMethod<&TThrower::DrawItem>(&R.T);
         PaintTwice(R, combo, combo->Handle());
         delete combo;
     }},
    {"paint override", [](TBoundaryRig& R) {
         auto* control = R.Place<TThrowingPaint>(R.Form, 10, 10, 40, 40);
         control->Thrower = &R.T;
         PaintTwice(R, control, control->Handle());
         CHECK(ClientPixel(control, 20, 20) == clRed);
         delete control;
     }},
    // The form's skin provider paints the form's own drawing into its frame's picture.
    {"skin provider's window procedure", [](TBoundaryRig& R) {
         auto* form = new TForm(Application);
         form->SetBounds(60, 60, 300, 200);
         MakeComponent<TzSkinProvider>(form);
         ShowOnTop(form);
         form->OnPaint = MakeMethod<&TThrower::Notify>(&R.T);
         R.T.Armed = true;
         for (int i = 1; i <= 2; ++i) {
             form->SetBounds(60, 60, 300 + i, 200);   // the whole frame painted again
             RedrawWindow(form->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_UPDATENOW);
             CHECK_FALSE(GetUpdateRect(form->Handle(), nullptr, FALSE));
         }
         CHECK(IsWindowVisible(form->Handle()));
         delete form;
     }},
    {"idle handler", [](TBoundaryRig& R) {
         TRestore<TIdleEvent> saved(Application->OnIdle);
         Application->OnIdle = MakeMethod<&TThrower::Idle>(&R.T);
         R.T.Armed = true;
         for (int i = 0; i < 2; ++i) {
             Application->ProcessMessages();
             Application->HandleMessage();
         }
     }},
};

} // namespace

TEST_CASE("an exception in each kind of callback reaches the application's handler once and leaves nothing held")
{
    TBoundaryRig R;
    // The first round makes what stays for the program's life (a timer's window class, the
    // hook's objects); the second must give back all it takes. Counting the windows walks the
    // whole handle table, so the rounds are counted whole, not case by case.
    TSoakCounts before;
    for (int round = 0; round < 2; ++round) {
        if (round == 1)
            before = SoakCounts();
        for (const TBoundaryCase& c : BoundaryCases) {
            INFO(c.Kind);
            R.T = TThrower{};
            R.Caught.Messages.clear();
            R.Caught.Senders.clear();
            c.Run(R);
            Pump();
            CHECK(R.Caught.Messages == TLog{c.Message});
            CHECK(R.T.Calls >= 2);
        }
    }
    CHECK(SoakCounts() == before);
}
