// The spin button and spin edits (a held arrow's timer ticked here by hand).
#include "skinctlfixture.h"

#include "classlib/extctrls.h"
#include "skinctl/zspinedit.h"

#include <climits>

namespace {

int Beeps = 0;
void CountBeep() { ++Beeps; }

struct TSpinFixture : TSkinFixture {
    TzSpinEdit* Edit = Place<TzSpinEdit>(Form, 20, 20, 120, 24);
    TRestore<void (*)()> Beeper{SpinEditBeep};
    explicit TSpinFixture(const wchar_t* Skin = L"ZandrelDawn") : TSkinFixture(Skin)
    {
        Edit->SetMaxValue(100);
        Edit->SetValue(10);
        Show();
        SpinEditBeep = &CountBeep;
        Beeps = 0;
    }
    TzTimerSpeedButton* Up() { return Edit->Button()->UpButton(); }
    TzTimerSpeedButton* Down() { return Edit->Button()->DownButton(); }
    // The left button at a point of an arrow, through the spin button's window.
    void Mouse(TzTimerSpeedButton* B, UINT Msg)
    {
        SendMessageW(Edit->Button()->Handle(), Msg, Msg == WM_LBUTTONUP ? 0 : MK_LBUTTON,
                     MAKELPARAM(B->Left() + 4, B->Top() + 4));
    }
    void Type(WideChar C) { SendMessageW(Edit->Handle(), WM_CHAR, C, 1); }
};

} // namespace

TEST_CASE("a held arrow steps once at the press, again after 400 ms, then every 100 ms; the release adds none; a step may free the edit")
{
    TSpinFixture f;
    f.Mouse(f.Up(), WM_LBUTTONDOWN);
    CHECK(f.Edit->Value() == 11);
    TTimer* t = f.Up()->RepeatTimer();
    REQUIRE(t != nullptr);
    CHECK(Join(t->Enabled(), t->Interval()) == Join(true, SpinFirstDelay));
    t->Timer();
    CHECK(Join(f.Edit->Value(), t->Interval()) == Join(12, SpinRepeatDelay));
    t->Timer();
    t->Timer();
    CHECK(f.Edit->Value() == 14);
    f.Mouse(f.Up(), WM_LBUTTONUP);
    CHECK(Join(f.Edit->Value(), t->Enabled()) == Join(14, false));
    // The down arrow the same way; a tick after the mouse went elsewhere steps no more.
    f.Mouse(f.Down(), WM_LBUTTONDOWN);
    f.Mouse(f.Down(), WM_LBUTTONUP);
    CHECK(f.Edit->Value() == 13);
    f.Down()->RepeatTimer()->Timer();
    CHECK(f.Edit->Value() == 13);

    // A step whose handler frees the edit inside the repeat timer's own tick: the edit, the
    // arrow and the timer itself go, and nothing of them is touched afterwards.
    struct TFreer {
        TzSpinEdit* Edit;
        int Steps = 0;
        void Up(TObject*)
        {
            if (++Steps == 2)
                delete Edit;
        }
    } freer{f.Edit};
    f.Edit->Button()->OnUpClick = MakeMethod<&TFreer::Up>(&freer);
    const HWND spin = f.Edit->Button()->Handle();
    f.Mouse(f.Up(), WM_LBUTTONDOWN);
    f.Up()->RepeatTimer()->Timer();
    CHECK(Join(freer.Steps, IsWindow(spin) != 0) == Join(2, false));
    Pump();
}

TEST_CASE("typing into spin edits: digits only in the integer edit, sign and separator in the others")
{
    TSpinFixture f;
    f.Edit->SetText(L"");
    f.Type(L'-');
    CHECK(Join(Beeps, f.Edit->Text()) == Join(1, L""));
    // A letter whose low byte is a digit is no digit; Enter and Ctrl+Enter break no line.
    for (WideChar c : {L'4', L'2', WideChar(0x0431), L'\r', L'\n'})
        f.Type(c);
    CHECK(Join(f.Edit->Text(), Beeps, f.Edit->Value()) == Join(L"42", 4, 42));
    // With the editor off only the arrows write: no key, nor the context menu's Delete.
    f.Edit->SetEditorEnabled(false);
    f.Type(L'5');
    f.Type(VK_BACK);
    SendMessageW(f.Edit->Handle(), EM_SETSEL, 0, -1);
    SendMessageW(f.Edit->Handle(), WM_KEYDOWN, VK_DELETE, 1);
    CHECK(f.Edit->Text() == L"42");
    SendMessageW(f.Edit->Handle(), WM_CLEAR, 0, 0);
    CHECK(f.Edit->Text() == L"42");

    auto* base = f.Place<TzBaseSpinEdit>(f.Form, 20, 60, 120, 24);
    // The separator is the user's locale's: ',' in the Russian one the tests run in.
    for (WideChar c : {L'-', L'+', L'7', L','})
        CHECK(base->AcceptsChar(c));
    CHECK_FALSE(base->AcceptsChar(L'x'));

    auto* dec = f.Place<TzDecimalSpinEdit>(f.Form, 20, 100, 120, 24);
    dec->SetMinValue(-1);
    dec->SetMaxValue(1);
    dec->SetIncrement(0.25);
    dec->SetValue(0.5);
    CHECK(dec->Text() == L"0,50");
    dec->StepUp();
    dec->StepUp();
    CHECK(dec->Value() == 1.0);
    dec->SetText(L"-0,5");
    CHECK(Join(dec->Value(), dec->AcceptsChar(L',')) == Join(-0.5, false));
    // A point that is not the separator makes no number.
    dec->SetText(L"0.5");
    CHECK(dec->Value() == -1.0);
    // The text a skin change leaves is the one written.
    dec->SetValue(0.75);
    f.ApplySkin(L"ZandrelDusk");
    CHECK(dec->Text() == L"0,75");
}

TEST_CASE("a spin edit's value: the minimum when empty, clamped, unclamped without limits; keys and wheel step")
{
    TSpinFixture f;
    TzSpinEdit* e = f.Edit;
    e->SetText(L"");
    CHECK(e->Value() == 0);
    e->SetValue(500);
    CHECK(e->Value() == 100);
    e->SetMaxValue(0);
    e->SetValue(500);
    CHECK(e->Value() == 500);
    // Without limits a step stops at the integer range's end.
    e->SetValue(INT_MAX);
    e->StepUp();
    CHECK(e->Value() == INT_MAX);
    // Typed out of range, clamped when the edit is left.
    e->SetMaxValue(100);
    FocusOn(e);
    e->SetText(L"300");
    auto* other = f.Place<TEdit>(f.Form, 200, 20, 80, 22);
    FocusOn(other);
    CHECK(e->Value() == 100);
    // Arrow keys and the wheel.
    FocusOn(e);
    SendMessageW(e->Handle(), WM_KEYDOWN, VK_DOWN, 1);
    CHECK(e->Value() == 99);
    SendMessageW(e->Handle(), WM_KEYDOWN, VK_UP, 1);
    CHECK(e->Value() == 100);
    e->Perform(CM_MOUSEWHEEL, MAKEWPARAM(0, WORD(-2 * WHEEL_DELTA)), 0);
    CHECK(e->Value() == 98);
    // Read-only: no step, a beep.
    e->SetReadOnly(true);
    e->StepUp();
    CHECK(Join(e->Value(), Beeps) == Join(98, 1));
}

TEST_CASE("a spin edit is one line that stops before its arrows: Enter and Escape reach the form, a paste takes its first line")
{
    TSpinFixture f;
    TzSpinEdit* e = f.Edit;
    RECT r{};
    SendMessageW(e->Handle(), EM_GETRECT, 0, reinterpret_cast<LPARAM>(&r));
    CHECK(r.right <= e->Button()->Left());
    CHECK(e->Button()->Left() + e->Button()->Width() == e->ClientWidth());
    e->SetText(L"123456789012345678901234567890");
    CHECK(SendMessageW(e->Handle(), EM_GETLINECOUNT, 0, 0) == 1);

    // The form's buttons answer Enter and Escape as they would over any one-line edit.
    auto* ok = f.Place<TButton>(f.Form, 200, 20, 80, 25);
    ok->SetDefault(true);
    ok->SetModalResult(mrOk);
    auto* cancel = f.Place<TButton>(f.Form, 200, 50, 80, 25);
    cancel->SetCancel(true);
    cancel->SetModalResult(mrCancel);
    FocusOn(e);
    e->Perform(CN_KEYDOWN, VK_RETURN, 0);
    CHECK(f.Form->ModalResult() == mrOk);
    e->Perform(CN_KEYDOWN, VK_ESCAPE, 0);
    CHECK(f.Form->ModalResult() == mrCancel);

    auto* lines = f.Place<TMemo>(f.Form, 200, 100, 80, 40);
    lines->SetText("17\r\n18");
    lines->SelectAll();
    lines->CopyToClipboard();
    e->SetText(L"");
    SendMessageW(e->Handle(), WM_PASTE, 0, 0);
    CHECK(e->Text() == L"17");
}

TEST_CASE("the built-in arrows show on the arrow buttons in both skins and without a skin, whatever the font colour")
{
    for (const wchar_t* skin : {L"ZandrelDawn", L"ZandrelDusk", static_cast<const wchar_t*>(nullptr)}) {
        CAPTURE(skin ? WideToAnsi(skin) : AnsiString("none"));
        TSpinFixture f(skin);
        f.Edit->Font()->SetColor(clBlack);
        f.Edit->Button()->RefreshDefaultGlyphs();
        f.Redraw();
        // The arrow's rows in the middle of the up button differ from the face beside them.
        TzTimerSpeedButton* up = f.Up();
        auto shot = ClientShot(f.Edit->Button());
        const int cx = up->Left() + up->Width() / 2, cy = up->Top() + up->Height() / 2;
        int ink = 0;
        for (int y = cy - 3; y <= cy + 3; ++y)
            for (int x = cx - 4; x <= cx + 4; ++x)
                ink += !Near(Px(*shot, x, y), Px(*shot, up->Left() + 3, cy), 40);
        CHECK(ink >= 8);
    }
}
