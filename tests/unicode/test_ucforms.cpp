#include "uctest.h"
#include "ucform_helpers.h"
#include "classlib/menus.h"
#include "classlib/stdctrls.h"
#include "unicode/uccontrols.h"
#include "unicode/ucforms.h"
#include "unicode/ucmenus.h"
#include "support/screenshot.h"

#include <memory>
#include <utility>
#include <vector>

using namespace ucform_test;

namespace {

// The library's edit with a Unicode window.
class THookEdit : public TEdit {
    Z_CLASS(THookEdit, TEdit)
public:
    explicit THookEdit(TComponent* AOwner) : TEdit(AOwner) { SetBounds(8, 8, 200, 24); }

protected:
    void CreateWindowHandle(const TCreateParams& Params) override
    {
        CreateUnicodeWindowHandle(this, Params, L"EDIT", false);
    }
};
Z_CLASS_IMPL(THookEdit, TEdit)

// A form class with form data of its own among the test program's resources, one that takes
// them from its parent class, and one with none.
class TUcResForm : public TUcForm {
    Z_CLASS(TUcResForm, TUcForm)
public:
    explicit TUcResForm(TComponent* AOwner) : TUcForm(AOwner) {}
    TUcResForm(TComponent* AOwner, TCreateNew) : TUcForm(AOwner, CreateNew) {}
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

// Records the WM_CHAR messages the application's OnMessage sees.
struct TMessageLog {
    std::vector<std::pair<UINT, WPARAM>> Chars;
    void Message(MSG& Msg, bool&)
    {
        if (Msg.message == WM_CHAR)
            Chars.emplace_back(Msg.message, Msg.wParam);
    }
};

// A control that shows hints, as a status bar would: it takes hint actions as their target.
class THintTarget : public TCustomControl {
    Z_CLASS(THintTarget, TCustomControl)
public:
    explicit THintTarget(TComponent* AOwner) : TCustomControl(AOwner) { SetBounds(0, 0, 60, 20); }
    std::vector<WideString> Wide;
    int Plain = 0;
    bool ExecuteAction(TBasicAction* Action) override
    {
        if (auto* wide = dynamic_cast<TUcHintAction*>(Action)) {
            Wide.push_back(wide->Hint());
            return true;
        }
        if (dynamic_cast<THintAction*>(Action)) {
            ++Plain;
            return true;
        }
        return false;
    }
};
Z_CLASS_IMPL(THintTarget, TCustomControl)

// The mouse over Control, then the idle steps of the application that follow it.
void HoverAndIdle(TControl* Control, TCustomForm* Form)
{
    const TPoint p = Control->ClientToScreen(TPoint(4, 4));
    SetCursorPos(p.X, p.Y);
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

TEST_CASE("a Unicode form keeps its wide caption when its window is made again")
{
    TUcForm form(nullptr, TUcForm::CreateNew);
    form.SetBounds(80, 80, 300, 160);
    form.SetCaption(Omega);
    CHECK(form.Caption() == Omega);
    HWND first = form.Handle();
    CHECK(IsWindowUnicode(first));
    CHECK(WideWindowText(first) == Omega);
    form.RecreateWnd();
    HWND second = form.Handle();
    CHECK(second != first);
    CHECK(WideWindowText(second) == Omega);
    CHECK(form.Caption() == Omega);
    form.SetCaption(CyrFile);
    form.RecreateWnd();
    CHECK(WideWindowText(form.Handle()) == CyrFile);
    CHECK(form.TControl::Caption() == WideToAnsi(CyrFile));

    SUBCASE("a layered form is layered again in its new window")
    {
        form.SetAlphaBlend(true);
        form.SetAlphaBlendValue(200);
        form.RecreateWnd();
        CHECK((GetWindowLongW(form.Handle(), GWL_EXSTYLE) & WS_EX_LAYERED) != 0);
        BYTE alpha = 0;
        DWORD flags = 0;
        CHECK(GetLayeredWindowAttributes(form.Handle(), nullptr, &alpha, &flags));
        CHECK(alpha == 200);
        CHECK((flags & LWA_ALPHA) != 0);
    }
    SUBCASE("the wide hint")
    {
        form.SetHint(Sigma + L"|" + Omega);
        CHECK(form.Hint() == Sigma + L"|" + Omega);
        CHECK(form.TControl::Hint() == "?????|?????");
    }
    SUBCASE("on the ANSI platform the window is the library's")
    {
        TAnsiPlatform ansi;
        TUcForm plain(nullptr, TUcForm::CreateNew);
        plain.SetCaption(CyrFile);
        CHECK_FALSE(IsWindowUnicode(plain.Handle()));
        CHECK(plain.Caption() == CyrFile);
    }
}

TEST_CASE("a form class of its own reads its form resource")
{
    SUBCASE("its own")
    {
        auto form = std::make_unique<TUcResForm>(nullptr);
        form->AfterConstruction();
        CHECK(form->Name() == "UcResForm");
        CHECK(form->Caption() == Omega);
        CHECK(form->Width() == 333);
        REQUIRE(form->Menu() != nullptr);
        auto* item = dynamic_cast<TUcMenuItem*>(form->FindComponent("Item1"));
        REQUIRE(item != nullptr);
        CHECK(item->Caption() == Sigma);
        HMENU bar = GetMenu(form->Handle());
        CHECK(WideMenuText(bar, 0) == Sigma);
        CHECK(WideWindowText(form->Handle()) == Omega);
    }
    SUBCASE("its parent class's")
    {
        auto form = std::make_unique<TUcResChildForm>(nullptr);
        form->AfterConstruction();
        CHECK(form->Caption() == Omega);
    }
    SUBCASE("none: the resource is missing")
    {
        auto form = std::make_unique<TNoResForm>(nullptr);
        CHECK_THROWS_WITH_AS(form->AfterConstruction(), "Resource TNoResForm not found", EResNotFound);
    }
    SUBCASE("a form made in code looks for none")
    {
        auto form = std::make_unique<TNoResForm>(nullptr, TUcForm::CreateNew);
        CHECK_NOTHROW(form->AfterConstruction());
        auto plain = std::make_unique<TUcForm>(nullptr);
        CHECK_NOTHROW(plain->AfterConstruction());
    }
    SUBCASE("creation handling runs once, after the form data")
    {
        struct TCreated {
            WideString Seen;
            int Count = 0;
            void Create(TObject* Sender)
            {
                Seen = static_cast<TUcForm*>(Sender)->Caption();
                ++Count;
            }
        } created;
        auto form = std::make_unique<TUcResForm>(nullptr);
        form->OnCreate = MakeMethod<&TCreated::Create>(&created);
        form->SetOldCreateOrder(true);
        form->AfterConstruction();
        CHECK(created.Count == 1);
        CHECK(created.Seen == Omega);
    }
}

TEST_CASE("characters above 255 typed into a Unicode window pass the ANSI message loop whole")
{
    REQUIRE(UcMessageHookHandle() != nullptr);
    TUcForm form(nullptr, TUcForm::CreateNew);
    form.SetBounds(100, 100, 300, 160);
    auto* edit = new THookEdit(&form);
    edit->SetParent(&form);
    auto* ansiEdit = new TEdit(&form);
    ansiEdit->SetParent(&form);
    ansiEdit->SetBounds(8, 40, 200, 24);
    form.Show();
    Pump();
    TMessageLog log;
    Application->OnMessage = MakeMethod<&TMessageLog::Message>(&log);

    SUBCASE("to a Unicode edit, and a character of 255 or below the normal way")
    {
        PostMessageW(edit->Handle(), WM_CHAR, 0x03A9, 1);
        PostMessageW(edit->Handle(), WM_CHAR, 0x0416, 1);
        PostMessageW(edit->Handle(), WM_CHAR, 'a', 1);
        Pump();
        CHECK(WideWindowText(edit->Handle()) == L"\x03A9\x0416" L"a");
        // Each seen once by OnMessage: the hook's take leaves nothing for the loop.
        std::vector<std::pair<UINT, WPARAM>> expected{{WM_CHAR, 0x03A9}, {WM_CHAR, 0x0416}, {WM_CHAR, 'a'}};
        CHECK(log.Chars == expected);
    }
    SUBCASE("a window that is not Unicode gets the ANSI form")
    {
        PostMessageW(ansiEdit->Handle(), WM_CHAR, 0x03A9, 1);
        Pump();
        CHECK(WideWindowText(ansiEdit->Handle()) == L"?");
    }
    SUBCASE("OnMessage may take the message itself")
    {
        struct TTaker {
            int Taken = 0;
            void Message(MSG& Msg, bool& Handled)
            {
                if (Msg.message == WM_CHAR && Msg.wParam == 0x03A9) {
                    ++Taken;
                    Handled = true;
                }
            }
        } taker;
        Application->OnMessage = MakeMethod<&TTaker::Message>(&taker);
        PostMessageW(edit->Handle(), WM_CHAR, 0x03A9, 1);
        Pump();
        CHECK(taker.Taken == 1);
        CHECK(WideWindowText(edit->Handle()).empty());
    }
    SUBCASE("an active dialog window: a Unicode one handles it, an ANSI one leaves it to the loop")
    {
        Application->SetDialogHandle(form.Handle());
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
    }
    Application->OnMessage = nullptr;
}

TEST_CASE("the application's wide title")
{
    WideString saved = UcApplication->Title();
    TRestore<decltype(UcTitleWindowProc)> restore(UcTitleWindowProc);
    UcTitleWindowProc = &CountingTitleProc;
    g_titleSets = 0;
    UcApplication->SetTitle(Omega);
    UcApplication->SetTitle(Omega);
    CHECK(g_titleSets == 1);
    // The window's own text (an ANSI window answers WM_GETTEXT in ANSI).
    WideChar own[64] = {};
    InternalGetWindowText(Application->Handle(), own, 64);
    CHECK(WideString(own) == Omega);
    CHECK(UcApplication->Title() == Omega);
    UcApplication->SetTitle(Sigma);
    CHECK(g_titleSets == 2);
    CHECK(UcApplication->Title() == Sigma);

    SUBCASE("on the ANSI platform, the cache rule against the ANSI title")
    {
        TAnsiPlatform ansi;
        UcApplication->SetTitle(CyrFile);
        CHECK(Application->Title() == WideToAnsi(CyrFile));
        CHECK(UcApplication->Title() == CyrFile);
        Application->SetTitle("Other");
        CHECK(UcApplication->Title() == L"Other");
    }
    UcApplication->SetTitle(saved);
}

TEST_CASE("the application's wide hint")
{
    UcApplication->SetHint(Omega);
    CHECK(UcApplication->Hint() == Omega);
    CHECK(Application->Hint() == "?????");
    // Changed through the ANSI side: followed.
    Application->SetHint("plain");
    CHECK(UcApplication->Hint() == L"plain");
    UcApplication->SetHint(L"");
}

TEST_CASE("the application's wide hint reaches hint targets once, through a wide hint action")
{
    auto form = std::make_unique<TUcForm>(nullptr);
    form->SetBounds(140, 140, 220, 140);
    auto* target = new THintTarget(form.get());
    target->SetParent(form.get());
    form->Show();
    SetForegroundWindow(form->Handle());
    Pump();
    REQUIRE(Screen->ActiveCustomForm() == form.get());
    UcApplication->SetHint(L"");
    target->Wide.clear();
    target->Plain = 0;

    UcApplication->SetHint(Omega);
    CHECK(target->Wide == std::vector<WideString>{Omega});
    // Another text with the same ANSI form is shown as well: the ANSI side goes through an
    // empty hint first.
    UcApplication->SetHint(Sigma);
    CHECK(target->Wide == std::vector<WideString>{Omega, L"", Sigma});
    // A hint set through the ANSI side is shown as its wide form, once.
    Application->SetHint("Hello");
    CHECK(target->Wide.back() == L"Hello");
    CHECK(target->Wide.size() == 4);
    CHECK(target->Plain == 0);
    UcApplication->SetHint(L"");
}

TEST_CASE("the application's wide hint follows the control under the mouse")
{
    auto form = std::make_unique<TUcForm>(nullptr);
    form->SetBounds(140, 140, 260, 140);
    auto* a = new THookEdit(form.get());
    a->SetParent(form.get());
    a->SetBounds(8, 8, 100, 24);
    auto* b = new THookEdit(form.get());
    b->SetParent(form.get());
    b->SetBounds(120, 8, 100, 24);
    SetControlWideHint(a, L"short|" + Omega);
    SetControlWideHint(b, CyrFile);
    form->SetHint(Sigma);
    form->Show();
    SetForegroundWindow(form->Handle());
    Pump();
    HoverAndIdle(a, form.get());
    CHECK(Application->MouseControl() == a);
    CHECK(UcApplication->Hint() == Omega);   // the long part
    HoverAndIdle(b, form.get());
    CHECK(UcApplication->Hint() == CyrFile);
    // A control without a hint of its own shows its parent's.
    SetControlWideHint(b, L"");
    HoverAndIdle(b, form.get());
    CHECK(UcApplication->Hint() == Sigma);
    UcApplication->SetHint(L"");
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
    int idle = 0;
    for (int i = 0; i < main->ComponentCount(); ++i)
        if (auto* c = dynamic_cast<TUcAppIdleEventControl*>(main->Components(i))) {
            ++idle;
            CHECK(c->Parent() == main);
            CHECK(c->Width() == 0);
            CHECK((c->ControlStyle() & csActionClient) != 0);
        }
    CHECK(idle == 1);
    // Its idle step gives the application the wide hint of the control under the mouse.
    main->SetBounds(140, 140, 260, 140);
    auto* edit = new THookEdit(main);
    edit->SetParent(main);
    SetControlWideHint(edit, L"|" + Omega);
    main->Show();
    SetForegroundWindow(main->Handle());
    Pump();
    HoverAndIdle(edit, main);
    CHECK(UcApplication->Hint() == Omega);
    UcApplication->SetHint(L"");
    // Made once.
    PostMessageA(main->Handle(), WM_NULL, 0, 0);
    Pump();
    int again = 0;
    for (int i = 0; i < main->ComponentCount(); ++i)
        again += dynamic_cast<TUcAppIdleEventControl*>(main->Components(i)) ? 1 : 0;
    CHECK(again == 1);
    delete main;
    CHECK(Application->MainForm() == nullptr);
    CHECK_FALSE(UcApplication->IdleControlMade());
}

TEST_CASE("the message hook's removal at program end")
{
    CHECK(UcHookRemovalFailureIgnored(L"C:\\Windows\\System32\\inetsrv\\w3wp.exe", false));
    CHECK(UcHookRemovalFailureIgnored(L"C:\\Windows\\System32\\DllHost.exe", false));
    CHECK(UcHookRemovalFailureIgnored(L"C:\\Program\\zandrel.exe", true));
    CHECK_FALSE(UcHookRemovalFailureIgnored(L"C:\\Program\\zandrel.exe", false));
    CHECK_FALSE(UcHookRemovalFailureIgnored(L"C:\\w3wp\\zandrel.exe", false));
    SUBCASE("the hook is installed once, and only on NT")
    {
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

TEST_CASE("screenshot: a Unicode form with a Cyrillic menu")
{
    TUcForm form(nullptr, TUcForm::CreateNew);
    form.SetBounds(120, 120, 360, 200);
    form.SetCaption(L"\x041F\x0440\x0438\x0432\x0435\x0442, \x043C\x0438\x0440");
    auto* menu = new TMainMenu(&form);
    auto* file = new TUcMenuItem(&form);
    file->SetCaption(CyrFile);
    menu->Items()->Add(file);
    auto* open = new TUcMenuItem(&form);
    open->SetCaption(Omega);
    file->Add(open);
    form.SetMenu(menu);
    auto* edit = new THookEdit(&form);
    edit->SetParent(&form);
    form.Show();
    Pump();
    SetWindowTextW(edit->Handle(), (Sigma + L" " + CyrFile).c_str());
    Pump();
    CreateDirectoryA(ZANDREL_BUILD_DIR "/screenshots", nullptr);
    CHECK(SaveWindowPng(form.Handle(), ZANDREL_BUILD_DIR "/screenshots/unicode-form.png"));
}
