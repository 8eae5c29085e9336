#include "ucwin.h"
#include "join.h"
#include "classlib/menus.h"
#include "unicode/ucforms.h"
#include "unicode/ucmenus.h"
#include "pointer.h"

#include <utility>

namespace {

// A form class with form data of its own among the test program's resources, one that takes
// them from its parent class, and one with none.
class TUcResForm : public TUcForm {
    Z_CLASS(TUcResForm, TUcForm)
public:
    explicit TUcResForm(TComponent* AOwner) : TUcForm(AOwner) {}
};
Z_CLASS_IMPL(TUcResForm, TUcForm)

class TUcResChildForm : public TUcResForm {
    Z_CLASS(TUcResChildForm, TUcResForm)
public:
    explicit TUcResChildForm(TComponent* AOwner) : TUcResForm(AOwner) {}
};
Z_CLASS_IMPL(TUcResChildForm, TUcResForm)

class TNoResForm : public TUcForm {
    Z_CLASS(TNoResForm, TUcForm)
public:
    explicit TNoResForm(TComponent* AOwner) : TUcForm(AOwner) {}
    TNoResForm(TComponent* AOwner, TCreateNew) : TUcForm(AOwner, CreateNew) {}
};
Z_CLASS_IMPL(TNoResForm, TUcForm)

// Records the characters of the WM_CHAR messages the application's OnMessage sees, and
// takes those of the character Take.
struct TMessageLog {
    std::vector<WPARAM> Chars;
    WPARAM Take = 0;
    void Message(MSG& Msg, bool& Handled)
    {
        if (Msg.message == WM_CHAR) {
            Chars.push_back(Msg.wParam);
            Handled = Msg.wParam == Take;
        }
    }
};

// A control that shows hints, as a status bar would: it takes hint actions as their target.
class THintTarget : public TCustomControl {
    Z_CLASS(THintTarget, TCustomControl)
public:
    using TCustomControl::TCustomControl;
    std::vector<WideString> Wide;   // the hints of the hint actions, "?" for a plain one
    bool ExecuteAction(TBasicAction* Action) override
    {
        if (!dynamic_cast<THintAction*>(Action))
            return false;
        auto* wide = dynamic_cast<TUcHintAction*>(Action);
        Wide.push_back(wide ? wide->Hint() : L"?");
        return true;
    }
};
Z_CLASS_IMPL(THintTarget, TCustomControl)

// The mouse held over Control, then the idle steps of the application that follow it.
void HoverAndIdle(THeldPointer& Pointer, TControl* Control, TCustomForm* Form)
{
    const TPoint p = Control->ClientToScreen(TPoint(4, 4));
    Pointer.MoveTo({p.X, p.Y});
    Application->DoMouseIdle();
    Form->UpdateActions();
}

int g_titleSets = 0;
LRESULT WINAPI CountingTitleProc(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam)
{
    if (Msg == WM_SETTEXT)
        ++g_titleSets;
    return DefWindowProcW(Wnd, Msg, WParam, LParam);
}

} // namespace

TEST_CASE("a Unicode form keeps its wide caption and hint, and its layering, when its window is made again")
{
    TUcForm form(nullptr, TUcForm::CreateNew);
    form.SetBounds(80, 80, 300, 160);
    form.SetCaption(Greek);
    form.SetHint(Sigma + L"|" + Greek);
    REQUIRE(IsWindowUnicode(form.Handle()));
    form.SetAlphaBlend(true);
    form.SetAlphaBlendValue(200);
    form.RecreateWnd();
    CHECK(Join(WideWindowText(form.Handle()), form.Hint()) == Join(Greek, Sigma + L"|" + Greek));
    CHECK(form.TControl::Hint() == "?????|?????");
    BYTE alpha = 0;
    DWORD flags = 0;
    CHECK(GetLayeredWindowAttributes(form.Handle(), nullptr, &alpha, &flags));
    CHECK(Join(int(alpha), (flags & LWA_ALPHA) != 0) == Join(200, true));

    // On the ANSI platform the window is the library's.
    TAnsiPlatform ansi;
    TUcForm plain(nullptr, TUcForm::CreateNew);
    plain.SetCaption(CyrFile);
    CHECK_FALSE(IsWindowUnicode(plain.Handle()));
    CHECK(plain.Caption() == CyrFile);
}

TEST_CASE("a form class of its own reads its form resource, or its parent class's")
{
    auto form = std::make_unique<TUcResForm>(nullptr);
    // Creation handling runs once, after the form data.
    struct TCreated {
        WideString Seen;
        void Create(TObject* Sender) { Seen += static_cast<TUcForm*>(Sender)->Caption(); }
    } created;
    form->OnCreate = MakeMethod<&TCreated::Create>(&created);
    form->SetOldCreateOrder(true);
    form->AfterConstruction();
    CHECK(created.Seen == Greek);
    CHECK(Join(form->Name(), form->Width()) == Join("UcResForm", 333));
    REQUIRE(form->Menu() != nullptr);
    auto* item = dynamic_cast<TUcMenuItem*>(form->FindComponent("Item1"));
    REQUIRE(item != nullptr);
    CHECK(item->Caption() == Sigma);
    CHECK(WideMenuText(GetMenu(form->Handle()), 0) == Sigma);
    CHECK(WideWindowText(form->Handle()) == Greek);

    auto child = std::make_unique<TUcResChildForm>(nullptr);
    child->AfterConstruction();
    CHECK(child->Caption() == Greek);
    // None: the resource is missing; a form made in code looks for none.
    auto none = std::make_unique<TNoResForm>(nullptr);
    CHECK_THROWS_WITH_AS(none->AfterConstruction(), "Resource TNoResForm not found", EResNotFound);
    auto inCode = std::make_unique<TNoResForm>(nullptr, TUcForm::CreateNew);
    CHECK_NOTHROW(inCode->AfterConstruction());
    auto plain = std::make_unique<TUcForm>(nullptr);
    CHECK_NOTHROW(plain->AfterConstruction());
}

TEST_CASE("characters above 255 typed into a Unicode window pass the ANSI message loop whole")
{
    REQUIRE(UcMessageHookHandle() != nullptr);
    TTestForm<TUcForm> f;
    auto* edit = f.Add<TWideEdit>();
    auto* ansiEdit = f.Add<TEdit>(8, 40, 200, 24);
    f.Show();
    TMessageLog log;
    Application->OnMessage = MakeMethod<&TMessageLog::Message>(&log);
    // To a Unicode edit whole, a character of 255 or below the normal way, each seen once by
    // OnMessage; to a window that is not Unicode as the ANSI form.
    for (WPARAM c : {WPARAM(0x03A9), WPARAM(0x0416), WPARAM('a')})
        PostMessageW(edit->Handle(), WM_CHAR, c, 1);
    Pump();
    CHECK(WideWindowText(edit->Handle()) == L"\x03A9\x0416" L"a");
    CHECK(log.Chars == std::vector<WPARAM>{0x03A9, 0x0416, 'a'});
    PostMessageW(ansiEdit->Handle(), WM_CHAR, 0x03A9, 1);
    Pump();
    CHECK(WideWindowText(ansiEdit->Handle()) == L"?");
    // OnMessage may take the message itself.
    SetControlWideText(edit, L"");
    log.Take = 0x03A9;
    PostMessageW(edit->Handle(), WM_CHAR, 0x03A9, 1);
    Pump();
    CHECK(WideWindowText(edit->Handle()).empty());
    log.Take = 0;
    // An active dialog window: a Unicode one handles it, an ANSI one leaves it to the loop.
    Application->SetDialogHandle(f.Form->Handle());
    PostMessageW(edit->Handle(), WM_CHAR, 0x03A9, 1);
    Pump();
    CHECK(WideWindowText(edit->Handle()) == L"\x03A9");
    TForm plain(nullptr);
    plain.HandleNeeded();
    Application->SetDialogHandle(plain.Handle());
    PostMessageW(edit->Handle(), WM_CHAR, 0x03A9, 1);
    Pump();
    Application->SetDialogHandle(nullptr);
    CHECK(WideWindowText(edit->Handle()) == L"\x03A9?");
    Application->OnMessage = nullptr;
}

TEST_CASE("the application's wide title")
{
    WideString saved = UcApplication->Title();
    TRestore<decltype(UcTitleWindowProc)> restore(UcTitleWindowProc);
    UcTitleWindowProc = &CountingTitleProc;
    g_titleSets = 0;
    UcApplication->SetTitle(Greek);
    UcApplication->SetTitle(Greek);
    CHECK(g_titleSets == 1);
    // The window's own text (an ANSI window answers WM_GETTEXT in ANSI).
    WideChar own[64] = {};
    InternalGetWindowText(Application->Handle(), own, 64);
    CHECK(WideString(own) == Greek);
    CHECK(UcApplication->Title() == Greek);
    UcApplication->SetTitle(Sigma);
    CHECK(Join(g_titleSets, UcApplication->Title()) == Join(2, Sigma));
    {
        // On the ANSI platform, the cache rule against the ANSI title.
        TAnsiPlatform ansi;
        UcApplication->SetTitle(CyrFile);
        CHECK(Application->Title() == WideToAnsi(CyrFile));
        CHECK(UcApplication->Title() == CyrFile);
        Application->SetTitle("Other");
        CHECK(UcApplication->Title() == L"Other");
    }
    UcApplication->SetTitle(saved);
}

TEST_CASE("the application's wide hint follows the control under the mouse, and reaches hint targets once through a wide hint action")
{
    TTestForm<TUcForm> f;
    f.Form->SetBounds(140, 140, 260, 140);
    auto* a = f.Add<TWideEdit>(8, 8, 100, 24);
    auto* b = f.Add<TWideEdit>(120, 8, 100, 24);
    SetControlWideHint(a, L"short|" + Greek);
    SetControlWideHint(b, CyrFile);
    f.Form->SetHint(Sigma);
    f.Show();
    THeldPointer pointer;
    HoverAndIdle(pointer, a, f.Form.get());
    CHECK(Application->MouseControl() == a);
    CHECK(UcApplication->Hint() == Greek);   // the long part
    HoverAndIdle(pointer, b, f.Form.get());
    CHECK(UcApplication->Hint() == CyrFile);
    // A control without a hint of its own shows its parent's.
    SetControlWideHint(b, L"");
    HoverAndIdle(pointer, b, f.Form.get());
    CHECK(UcApplication->Hint() == Sigma);
    UcApplication->SetHint(L"");

    // It reaches hint targets once, through a wide hint action.
    {
        TTestForm<TUcForm> f;
        auto* target = f.Add<THintTarget>();
        f.Show();
        REQUIRE(Screen->ActiveCustomForm() == f.Form.get());
        UcApplication->SetHint(L"");
        target->Wide.clear();
        UcApplication->SetHint(Greek);
        CHECK(Join(UcApplication->Hint(), Application->Hint()) == Join(Greek, "?????"));
        // Another text with the same ANSI form is shown as well: the ANSI side goes through an
        // empty hint first. A hint set through the ANSI side is followed, and shown as its wide form.
        UcApplication->SetHint(Sigma);
        Application->SetHint("Hello");
        CHECK(UcApplication->Hint() == L"Hello");
        CHECK(target->Wide == std::vector<WideString>{Greek, L"", Sigma, L"Hello"});
        UcApplication->SetHint(L"");
    }
}

TEST_CASE("an idle control keeps the wide hint on a main form that is not a Unicode form")
{
    REQUIRE(Application->MainForm() == nullptr);
    TForm* main = nullptr;
    Application->CreateForm(main);
    REQUIRE(Application->MainForm() == main);
    PostMessageA(main->Handle(), WM_NULL, 0, 0);
    Pump();
    CHECK(UcApplication->IdleControlMade());
    auto idleControls = [&] {
        std::vector<TUcAppIdleEventControl*> found;
        for (int i = 0; i < main->ComponentCount(); ++i)
            if (auto* c = dynamic_cast<TUcAppIdleEventControl*>(main->Components(i)))
                found.push_back(c);
        return found;
    };
    REQUIRE(idleControls().size() == 1);
    // Its idle step gives the application the wide hint of the control under the mouse.
    main->SetBounds(140, 140, 260, 140);
    auto* edit = new TWideEdit(main);
    edit->SetParent(main);
    SetControlWideHint(edit, L"|" + Greek);
    main->Show();
    SetActiveWindow(main->Handle());
    Pump();
    {
        THeldPointer pointer;
        HoverAndIdle(pointer, edit, main);
    }
    CHECK(UcApplication->Hint() == Greek);
    UcApplication->SetHint(L"");
    // Made once.
    PostMessageA(main->Handle(), WM_NULL, 0, 0);
    Pump();
    CHECK(idleControls().size() == 1);
    delete main;
    CHECK(Application->MainForm() == nullptr);
    CHECK_FALSE(UcApplication->IdleControlMade());
}

TEST_CASE("the message hook's removal at program end")
{
    CHECK(Join(UcHookRemovalFailureIgnored(L"C:\\Windows\\System32\\inetsrv\\w3wp.exe", false),
               UcHookRemovalFailureIgnored(L"C:\\Windows\\System32\\DllHost.exe", false),
               UcHookRemovalFailureIgnored(L"C:\\Program\\zandrel.exe", true)) == Join(true, true, true));
    CHECK(Join(UcHookRemovalFailureIgnored(L"C:\\Program\\zandrel.exe", false),
               UcHookRemovalFailureIgnored(L"C:\\w3wp\\zandrel.exe", false)) == Join(false, false));
    {
        // The hook is installed once, and only on NT.
        HHOOK hook = UcMessageHookHandle();
        InstallUcMessageHook();
        CHECK(UcMessageHookHandle() == hook);
        TAnsiPlatform ansi;
        RemoveUcMessageHook();
        CHECK(UcMessageHookHandle() == nullptr);
        CHECK_THROWS_AS(InstallUcMessageHook(), EAssertionFailed);
    }
    InstallUcMessageHook();
    CHECK(UcMessageHookHandle() != nullptr);
}
