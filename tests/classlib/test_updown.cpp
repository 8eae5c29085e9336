#include <doctest.h>
#include "classlib/comctrls.h"
#include "classlib/stdctrls.h"
#include "form_helpers.h"
#include "msgrecorder.h"

namespace {

struct TUpDownForm {
    std::unique_ptr<TForm> Form = MakeForm(300, 200);
    TUpDown* UpDown = Add<TUpDown>(Form.get(), 100, 20, 17, 34);
    TLog Log;
    TUpDownForm()
    {
        UpDown->OnClick = MakeMethod<&TUpDownForm::Clicked>(this);
        ShowOnTop(Form.get());
    }
    void Clicked(TObject*, TUDBtnType Button) { Log.push_back(Button == btNext ? "next" : "prev"); }
    void Changing(TObject*, bool& Allow, int NewValue, TUpDownDirection Direction)
    {
        Log.push_back("to " + IntToStr(NewValue) + (Direction == updUp ? " up" : Direction == updDown ? " down" : ""));
        Allow = NewValue != 3;
    }
    // A press on the upper (next) or lower (prev) arrow of the window.
    void Press(bool Upper)
    {
        SendMessageA(UpDown->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(8, Upper ? 4 : 30));
    }
    void Release() { SendMessageA(UpDown->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(8, 4)); }
};

} // namespace

TEST_CASE("an up-down steps once at a press, repeats while held, and the release adds nothing")
{
    TUpDownForm f;
    TMsgRecorder rec({WM_NOTIFY});
    rec.Attach(f.Form.get(), "form");
    rec.Name(f.UpDown->Handle(), "updown");
    f.Press(true);
    f.Release();
    Pump();
    CHECK(f.UpDown->Position() == 1);
    CHECK(f.Log == TLog{"next"});
    CHECK_MESSAGES(rec, {"form", WM_NOTIFY, UDN_DELTAPOS, "updown"});

    // Held: after the first step the window repeats by its timer until the release.
    rec.Clear();
    f.Press(true);
    for (int i = 0; i < 100 && f.UpDown->Position() < 4; ++i)
        Pump();
    f.Release();
    const int held = f.UpDown->Position();
    CHECK(held >= 4);
    Pump();
    CHECK(f.UpDown->Position() == held);
    CHECK(f.Log.size() == size_t(held));
    CHECK(rec.Entries().size() == size_t(held - 1));

    // The lower arrow steps back.
    f.Press(false);
    f.Release();
    CHECK(f.UpDown->Position() == held - 1);
    CHECK(f.Log.back() == "prev");
}

TEST_CASE("an up-down asks before each step: a refused step leaves the position and clicks nothing")
{
    TUpDownForm f;
    f.UpDown->OnChangingEx = MakeMethod<&TUpDownForm::Changing>(&f);
    f.UpDown->SetPosition(2);
    f.Press(true);
    f.Release();
    f.Press(true);   // to 3: refused
    f.Release();
    f.Press(false);
    f.Release();
    CHECK(f.Log == TLog{"to 3 up", "to 3 up", "to 1 down", "prev"});
    CHECK(f.UpDown->Position() == 1);

    // At the limit without wrap the position stays; with wrap it goes round.
    f.Log.clear();
    f.UpDown->OnChangingEx = nullptr;
    f.UpDown->SetMax(5);
    f.UpDown->SetPosition(5);
    f.Press(true);
    f.Release();
    CHECK(f.UpDown->Position() == 5);
    f.UpDown->SetWrap(true);
    f.Press(true);
    f.Release();
    CHECK(f.UpDown->Position() == 0);
    CHECK(f.Log.back() == "next");
}

TEST_CASE("an up-down shows its position in its associate, keeps it through a new window, and turns")
{
    TUpDownForm f;
    auto* edit = Add<TEdit>(f.Form.get(), 20, 20, 60, 24);
    f.UpDown->SetThousands(false);
    f.UpDown->SetMax(5000);
    f.UpDown->SetPosition(1200);
    f.UpDown->SetAssociate(edit);
    CHECK(edit->Text() == "1200");
    // The arrows stand at the associate's right, which gives them room.
    CHECK(f.UpDown->Left() == edit->Left() + edit->Width());
    f.UpDown->SetIncrement(100);
    f.Press(true);
    f.Release();
    CHECK(edit->Text() == "1300");

    f.UpDown->RecreateWnd();
    CHECK(f.UpDown->Position() == 1300);
    delete edit;
    CHECK(f.UpDown->Associate() == nullptr);

    const int w = f.UpDown->Width(), h = f.UpDown->Height();
    f.UpDown->SetOrientation(udHorizontal);
    CHECK(f.UpDown->Width() == h);
    CHECK(f.UpDown->Height() == w);
    CHECK((StyleOf(f.UpDown->Handle()) & UDS_HORZ) != 0);
    CHECK(f.UpDown->Position() == 1300);
}
