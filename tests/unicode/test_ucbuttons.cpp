// Unicode buttons, group box and panel: wide captions and hints (in Unicode windows), their
// painting (the library's pixels for ANSI text, the wide letters on a Western code page too),
// Alt with a Cyrillic hot key, actions and form data.
#include "ucwin.h"
#include "classlib/forms.h"
#include "join.h"
#include "msgrecorder.h"
#include "unicode/ucbuttons.h"
#include "unicode/ucextctrls.h"
#include "unicode/ucforms.h"
#include "unicode/ucstdctrls.h"

using namespace widetest;

namespace {

const WideString Genre = L"&\x0416\x0430\x043D\x0440";     // &Жанр
const WideString Book = L"&\x041A\x043D\x0438\x0433\x0430"; // &Книга
const WideString Hedgehog = L"&\x0401\x0436";               // &Ёж
const WideString Address = L"&\x0410\x0434\x0440\x0435\x0441"; // &Адрес

std::unique_ptr<TBitmap> RedGlyph()
{
    auto glyph = Picture(12, 10, clRed);
    glyph->Canvas()->SetPixels(0, 9, clFuchsia);
    return glyph;
}

template <class T> T* Dressed(TTestForm<>& F, int Top)
{
    T* c = F.Add<T>(8, Top, 150, 40);
    c->Font()->SetName("Tahoma");
    c->Font()->SetColor(clBlack);
    if constexpr (std::is_base_of_v<TSpeedButton, T> || std::is_base_of_v<TBitBtn, T>)
        c->SetGlyph(RedGlyph().get());
    return c;
}

std::unique_ptr<TBitmap> Rendered(TControl* C)
{
    auto bmp = Picture(C->Width(), C->Height(), clTeal);
    if (auto* win = dynamic_cast<TWinControl*>(C))
        win->PaintTo(bmp->Canvas()->Handle(), 0, 0);
    else
        C->Perform(WM_PAINT, reinterpret_cast<WPARAM>(bmp->Canvas()->Handle()), 0);
    GdiFlush();
    return bmp;
}

struct TClicks {
    int Count = 0;
    void Click(TObject*) { ++Count; }
};

} // namespace

TEST_CASE("a wide caption paints as the library's ANSI one, and as itself on a Western code page")
{
    TTestForm f;
    auto compare = [&](TControl* Wide, TControl* Ansi) {
        CAPTURE(Wide->ClassName());
        SetControlWideText(Wide, L"");   // a group box: only its frame
        Ansi->SetCaption("");
        CHECK(SamePixels(Rendered(Wide).get(), Rendered(Ansi).get()));
        SetControlWideText(Wide, L"Ab&c");
        Ansi->SetCaption("Ab&c");
        CHECK(SamePixels(Rendered(Wide).get(), Rendered(Ansi).get()));
        SetControlWideText(Wide, Cyrillic);
        auto russian = Rendered(Wide);
        std::unique_ptr<TBitmap> western;
        {
            TRestore<UINT> cp(DefaultConversionCodePage);
            DefaultConversionCodePage = 1252;
            SetControlWideText(Wide, Cyrillic);
            western = Rendered(Wide);
            Ansi->SetCaption(WideToAnsi(Cyrillic));   // "??????"
        }
        CHECK(SamePixels(western.get(), russian.get()));
        CHECK_FALSE(SamePixels(western.get(), Rendered(Ansi).get()));
    };
    compare(Dressed<TUcSpeedButton>(f, 8), Dressed<TSpeedButton>(f, 8));
    compare(Dressed<TUcBitBtn>(f, 56), Dressed<TBitBtn>(f, 56));
    compare(Dressed<TUcGroupBox>(f, 104), Dressed<TGroupBox>(f, 104));
    compare(Dressed<TUcPanel>(f, 152), Dressed<TPanel>(f, 152));

    // The glyph drawing asks the control for its glyph.
    CHECK_THROWS_WITH_AS(DrawUcGlyphButton(f.Add<TSpeedButton>(), Picture(4, 4, clWhite)->Canvas(), TRect(0, 0, 4, 4),
                                           TPoint(0, 0), bsUp),
                         "Internal Error: Control does not support IUcGlyphButton.", EUcInternalError);
}

TEST_CASE("Alt with the Cyrillic hot key of a wide caption acts once")
{
    HKL before = GetKeyboardLayout(0);
    HKL russian = LoadKeyboardLayoutA("00000419", KLF_ACTIVATE);
    REQUIRE(russian);
    ActivateKeyboardLayout(russian, 0);
    TTestForm f;
    auto* edit = f.Add<TWideEdit>();
    auto* button = f.Add<TUcButton>(8, 40, 80, 25);
    auto* bit = f.Add<TUcBitBtn>(100, 40, 80, 25);
    auto* speed = f.Add<TUcSpeedButton>(190, 40, 60, 25);
    auto* group = f.Add<TUcGroupBox>(8, 80, 200, 80);
    auto* inside = new TWideEdit(f.Form.get());
    inside->SetParent(group);
    SetControlWideText(button, Genre);
    SetControlWideText(bit, Book);
    SetControlWideText(speed, Hedgehog);
    SetControlWideText(group, Address);
    speed->SetGroupIndex(1);
    TClicks buttonClicks, bitClicks, speedClicks;
    button->OnClick = MakeMethod<&TClicks::Click>(&buttonClicks);
    bit->OnClick = MakeMethod<&TClicks::Click>(&bitClicks);
    speed->OnClick = MakeMethod<&TClicks::Click>(&speedClicks);
    f.Show();
    edit->SetFocus();
    Pump();
    TMsgRecorder rec;
    rec.Only([](UINT Msg, WPARAM WParam, LPARAM) { return Msg == WM_COMMAND && HIWORD(WParam) == BN_CLICKED; });
    rec.Attach(f.Form->Handle(), "form");
    rec.Name(button->Handle(), "button");
    auto alt = [&](WideChar Key) {
        PostMessageW(GetFocus(), WM_SYSCHAR, Key, 0x20000000);
        Pump();
    };

    alt(0x0436);   // ж
    alt(0x041A);   // К
    alt(0x0451);   // ё
    CHECK(Join(buttonClicks.Count, bitClicks.Count, speedClicks.Count, speed->Down()) == Join(1, 1, 1, 1));

    alt(0x0430);   // а: into the group box
    CHECK(GetFocus() == inside->Handle());
    // The hot key clicks the control, not its window; a click of the window clicks once too.
    SendMessageW(button->Handle(), BM_CLICK, 0, 0);
    CHECK_MESSAGES(rec, {"form", WM_COMMAND, BN_CLICKED, "button"});
    CHECK(buttonClicks.Count == 2);

    // A caption without an ANSI form has no "?" hot key.
    SetControlWideText(button, L"&\x03A9\x03BC\x03AD\x03B3\x03B1");   // &Ωμέγα
    SetControlWideText(speed, L"&\x03A3");                            // &Σ
    CHECK(f.Form->Perform(CM_DIALOGCHAR, '?', 0) == 0);
    CHECK(f.Form->Perform(CM_DIALOGCHAR, 0x03C9, 0) == 1);   // ω
    CHECK(buttonClicks.Count == 3);
    CHECK(speedClicks.Count == 1);
    ActivateKeyboardLayout(before, 0);
}

TEST_CASE("an action gives the Unicode controls its wide caption through Unicode links; a speed button's wide hint")
{
    TTestForm f;
    auto* action = new TUcAction(f.Form.get());
    action->SetCaption(Greek);
    action->SetGroupIndex(2);
    action->SetChecked(true);
    auto* speed = f.Add<TUcSpeedButton>();
    for (TControl* c : {static_cast<TControl*>(f.Add<TUcButton>()), static_cast<TControl*>(f.Add<TUcBitBtn>()),
                        static_cast<TControl*>(f.Add<TUcGroupBox>()), static_cast<TControl*>(f.Add<TUcPanel>()),
                        static_cast<TControl*>(speed)}) {
        c->SetAction(action);
        CHECK(GetControlWideText(c) == Greek);
        CHECK(std::string(c->ActionLink()->ClassName()).starts_with("TUc"));
    }
    // The speed button takes the action's group and checked state.
    CHECK(speed->GroupIndex() == 2);
    CHECK(speed->Down());
    action->SetCaption(Sigma);
    CHECK(speed->Caption() == Sigma);
    // The speed button has no window, and so no trap to show its wide hint in the Unicode hint
    // window: it does so itself.
    SetControlWideHint(speed, Greek + L"|" + CyrFile);
    THintInfo info;
    info.HintControl = speed;
    info.HintWindowClass = &THintWindow::StaticClassInfo();
    speed->Perform(CM_HINTSHOW, 0, reinterpret_cast<LPARAM>(&info));
    CHECK(info.HintWindowClass == &TUcCustomHintWindow::StaticClassInfo());
    CHECK(WideHintTextOfHintInfo(info) == Greek);
}

TEST_CASE("wide captions and hints: in Unicode windows, in a window made again, through form data")
{
    auto source = std::make_unique<TUcForm>(nullptr, TUcForm::CreateNew);
    source->SetName("Source");
    const std::vector<std::pair<const char*, TControl*>> controls{
        {"Button1", new TUcButton(source.get())},           {"BitBtn1", new TUcBitBtn(source.get())},
        {"GroupBox1", new TUcGroupBox(source.get())},       {"Panel1", new TUcPanel(source.get())},
        {"SpeedButton1", new TUcSpeedButton(source.get())}};
    for (auto [name, c] : controls) {
        c->SetName(name);
        c->SetParent(source.get());
        SetControlWideText(c, Greek + AnsiToWide(name));
        SetControlWideHint(c, Cyrillic);
        if (auto* win = dynamic_cast<TWinControl*>(c))
            CHECK(WideWindowText(win->Handle()) == Greek + AnsiToWide(name));
    }
    auto copy = std::make_unique<TUcForm>(nullptr, TUcForm::CreateNew);
    CheckRoundTrip(source.get(), copy.get(), {});
    for (auto [name, c] : controls) {
        CAPTURE(name);
        auto* read = dynamic_cast<TControl*>(copy->FindComponent(name));
        REQUIRE(read != nullptr);
        CHECK(read->ClassInfo().Name == std::string(c->ClassName()));
        CHECK(GetControlWideText(read) == Greek + AnsiToWide(name));
        CHECK(GetControlWideHint(read) == Cyrillic);
    }
}
