#include <doctest.h>
#include "classlib/forms.h"
#include "form_helpers.h"
#include "gdicount.h"
#include "graphics_helpers.h"
#include "join.h"
#include "msgrecorder.h"

#include <memory>
#include <vector>

namespace {

// A plain windowed control.
class TBox : public TWinControl {
    Z_CLASS(TBox, TWinControl)
public:
    explicit TBox(TComponent* AOwner) : TWinControl(AOwner) { SetBounds(0, 0, 50, 20); }
};
Z_CLASS_IMPL(TBox, TWinControl)

// A control without a window that fills itself with one colour.
class TSwatch : public TGraphicControl {
public:
    explicit TSwatch(TComponent* AOwner) : TGraphicControl(AOwner) {}
    TColor Fill = clBlue;

protected:
    void Paint() override
    {
        Canvas()->Brush()->SetColor(Fill);
        Canvas()->FillRect(TRect(0, 0, Width(), Height()));
    }
};

class TEditLike : public TWinControl {
    Z_CLASS(TEditLike, TWinControl)
public:
    explicit TEditLike(TComponent* AOwner) : TWinControl(AOwner) { SetBounds(0, 0, 80, 20); }

protected:
    void CreateParams(TCreateParams& Params) override
    {
        TWinControl::CreateParams(Params);
        CreateSubClass(Params, "EDIT");
    }
};
Z_CLASS_IMPL(TEditLike, TWinControl)

// A form with one windowed child; neither has a window yet.
struct TFormWithChild {
    std::unique_ptr<TForm> Form = std::make_unique<TForm>(nullptr);
    TBox* Child = Add<TBox>(Form.get(), 0, 0, 50, 20);
};

const AnsiString kCyrillic = "\xCF\xF0\xE8\xE2\xE5\xF2";   // "Привет" in code page 1251

} // namespace

TEST_CASE("a windowed control makes its window only when the window is needed")
{
    TFormWithChild f;
    TBox* child = f.Child;

    // Asking, setting and broadcasting make no window.
    child->SetText("text");
    child->SetBounds(5, 6, 70, 30);
    child->SetColor(clRed);
    child->SetVisible(true);
    child->Invalidate();
    child->Repaint();
    CHECK(Join(child->ClientRect(), child->ClientOrigin()) == "(0,0,70,30) (5,6)");
    f.Form->NotifyControls(CM_PARENTCOLORCHANGED);
    CHECK_FALSE(child->HandleAllocated());
    CHECK_FALSE(f.Form->HandleAllocated());
    CHECK_FALSE(FindControl(nullptr));

    // Handle() makes the parent's window first, then its own.
    HWND wnd = child->Handle();
    REQUIRE(wnd);
    CHECK(GetParent(wnd) == f.Form->WindowHandle());
    CHECK(FindControl(wnd) == child);

    // The window is of a class named after the control, and it carries its text and bounds.
    RECT r;
    GetWindowRect(wnd, &r);
    CHECK(Join(WindowClass(wnd), WindowText(wnd), r.right - r.left) == Join("TBox", "text", 70));
    // A child window without an identifier gets its handle as identifier.
    CHECK(GetWindowLongPtrA(wnd, GWLP_ID) == reinterpret_cast<LONG_PTR>(wnd));
    CHECK(GetPropA(wnd, MAKEINTATOM(ControlAtom)) == child);
    CHECK(CreationControl == nullptr);
}

TEST_CASE("text goes through the window and survives its re-creation")
{
    TFormWithChild f;
    TBox* child = f.Child;
    // A different text sends CM_TEXTCHANGED, the same text nothing: without a window and with one.
    TMsgRecorder rec({CM_TEXTCHANGED});
    rec.Attach(child, "child");
    child->SetText("other");
    child->SetText("other");
    CHECK_FALSE(child->HandleAllocated());
    HWND first = child->Handle();
    child->SetText(kCyrillic);
    child->SetText(kCyrillic);
    CHECK_MESSAGES(rec, {"child", CM_TEXTCHANGED}, {"child", CM_TEXTCHANGED});
    child->RecreateWnd();
    CHECK_FALSE(IsWindow(first));
    CHECK(Join(child->Caption(), WindowText(child->Handle())) == Join(kCyrillic, kCyrillic));

    // A graphic control keeps its text itself, cut to the buffer given.
    auto* swatch = Add<TSwatch>(f.Form.get(), 0, 0, 10, 10);
    swatch->SetText(kCyrillic);
    char small[4] = {};
    CHECK(swatch->GetTextBuf(small, sizeof(small)) == 3);
    CHECK(AnsiString(small) == kCyrillic.substr(0, 3));
    CHECK(swatch->GetTextBuf(small, 0) == 0);
}

TEST_CASE("aligned children share the parent's client area")
{
    auto form = std::make_unique<TForm>(nullptr);
    auto* panel = Add<TBox>(form.get(), 0, 0, 200, 100);
    auto make = [&](TAlign a, int w, int h) {
        auto* c = Add<TSwatch>(panel, 0, 0, w, h);
        c->SetAlign(a);
        return c;
    };
    TSwatch* top = make(alTop, 10, 10);
    TSwatch* bottom = make(alBottom, 10, 20);
    TSwatch* left = make(alLeft, 30, 10);
    TSwatch* right = make(alRight, 40, 10);
    TSwatch* client = make(alClient, 1, 1);
    CHECK(Join(top->BoundsRect(), bottom->BoundsRect()) == "(0,0,200,10) (0,80,200,100)");
    CHECK(Join(left->BoundsRect(), right->BoundsRect()) == "(0,10,30,80) (160,10,200,80)");
    CHECK(client->BoundsRect() == TRect(30, 10, 160, 80));

    // A resized parent lays them out again; a hidden child gives its place up.
    panel->SetBounds(0, 0, 300, 100);
    CHECK(client->BoundsRect() == TRect(30, 10, 260, 80));
    top->SetVisible(false);
    CHECK(Join(left->BoundsRect(), client->BoundsRect()) == "(0,0,30,80) (30,0,260,80)");
    // The border width keeps every aligned child off the edge.
    panel->SetBorderWidth(5);
    CHECK(Join(bottom->BoundsRect(), client->BoundsRect()) == "(5,75,295,95) (35,5,255,75)");
    CHECK_FALSE(panel->HandleAllocated());
}

TEST_CASE("a graphic child is painted by its parent, on screen and into a bitmap")
{
    auto form = std::make_unique<TForm>(nullptr);
    auto* panel = Add<TBox>(form.get(), 0, 0, 40, 30);
    panel->SetColor(clRed);
    Add<TSwatch>(panel, 10, 5, 20, 10);
    auto* hidden = Add<TSwatch>(panel, 0, 20, 5, 5);
    hidden->Fill = clLime;
    hidden->SetVisible(false);

    TBitmap bmp;
    NewBmp24(bmp, 40, 30, clBlack);
    panel->PaintTo(bmp.Canvas()->Handle(), 0, 0);
    // The parent around the child, the child's corners, and where the hidden child would be.
    CheckPixels(bmp, {{2, 2, clRed}, {15, 10, clBlue}, {29, 14, clBlue}, {30, 15, clRed}, {2, 22, clRed}});

    // WM_PRINTCLIENT takes the same paint routine.
    TBitmap second;
    NewBmp24(second, 40, 30, clBlack);
    HDC dc = second.Canvas()->Handle();
    SendMessageA(panel->Handle(), WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    SendMessageA(panel->Handle(), WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
    CHECK(Join(PixelAt(second, 15, 10), PixelAt(second, 35, 25)) == Join(clBlue, clRed));
}

TEST_CASE("a class of the control's name registered before with another procedure is registered again")
{
    // A class of that name registered before with another procedure is registered again.
    WNDCLASSA cls{};
    cls.lpfnWndProc = &DefWindowProcA;
    cls.hInstance = GetModuleHandleA(nullptr);
    cls.lpszClassName = "TEditLike";
    UnregisterClassA("TEditLike", cls.hInstance);
    REQUIRE(RegisterClassA(&cls));

    auto form = std::make_unique<TForm>(nullptr);
    auto* edit = Add<TEditLike>(form.get(), 0, 0, 80, 20);
    HWND wnd = edit->Handle();
    WNDCLASSA now{};
    REQUIRE(GetClassInfoA(GetModuleHandleA(nullptr), "TEditLike", &now));
    CHECK(reinterpret_cast<void*>(now.lpfnWndProc) == reinterpret_cast<void*>(&InitWndProc));
    CHECK(reinterpret_cast<void*>(GetWindowLongPtrA(wnd, GWLP_WNDPROC)) == reinterpret_cast<void*>(edit->ObjectInstance()));
}

TEST_CASE("parent colour, font, hints and reading order reach the children until they set their own")
{
    TFormWithChild f;
    TBox* child = f.Child;
    f.Form->SetColor(clYellow);
    f.Form->Font()->SetHeight(-20);
    f.Form->SetShowHint(true);
    CHECK(Join(child->Color(), child->Font()->Height(), child->ShowHint()) == Join(clYellow, -20, true));
    child->SetColor(clAqua);
    child->Font()->SetHeight(-9);
    CHECK_FALSE(child->ParentColor());
    CHECK_FALSE(child->ParentFont());
    f.Form->SetColor(clWhite);
    f.Form->Font()->SetHeight(-30);
    CHECK(Join(child->Color(), child->Font()->Height()) == Join(clAqua, -9));
    child->SetParentFont(true);
    CHECK(child->Font()->Height() == -30);

    // Right-to-left reading adds its drawing flags.
    CHECK(child->DrawTextBiDiModeFlags(DT_LEFT) == DT_LEFT);
    child->SetBiDiMode(bdRightToLeft);
    CHECK(Join(child->DrawTextBiDiModeFlags(DT_LEFT), child->DrawTextBiDiModeFlagsReadingOnly()) ==
          Join(DT_RIGHT | DT_RTLREADING, DT_RTLREADING));
    child->SetBiDiMode(bdRightToLeftReadingOnly);
    CHECK(child->DrawTextBiDiModeFlags(DT_LEFT) == DT_RTLREADING);
    f.Form->SetBiDiMode(bdRightToLeft);
    CHECK(child->BiDiMode() == bdRightToLeftReadingOnly);   // set by itself, not from the parent
}

TEST_CASE("a control refuses itself as its parent and leaves a parent that goes")
{
    auto* form = new TForm(nullptr);
    auto* panel = Add<TBox>(form, 0, 0, 50, 20);
    CHECK_THROWS_AS(panel->SetParent(panel), EInvalidOperation);
    auto* orphan = new TSwatch(nullptr);
    orphan->SetParent(panel);
    CHECK(panel->ControlCount() == 1);
    delete form;   // frees the panel it owns; the orphan is not owned and lives on
    CHECK(orphan->Parent() == nullptr);
    delete orphan;
}

TEST_CASE("windowed children keep their order on top of each other")
{
    TFormWithChild f;
    TBox* a = f.Child;
    auto* b = Add<TBox>(f.Form.get(), 0, 0, 50, 20);
    // Made in the opposite order: the later child is still on top.
    HWND hb = b->Handle();
    HWND ha = a->Handle();
    auto first = [&] { return GetWindow(f.Form->WindowHandle(), GW_CHILD); };
    CHECK(first() == hb);
    a->BringToFront();
    CHECK(first() == ha);
    CHECK(f.Form->Controls(1) == a);
    a->SendToBack();
    CHECK(first() == hb);
    CHECK(f.Form->Controls(0) == a);
}

TEST_CASE("key messages reach the form first when it previews keys")
{
    struct Keys {
        TLog Log;
        uint16_t EatOnForm = 0;
        void FormDown(TObject*, uint16_t& K, TShiftState)
        {
            Log.push_back("form " + IntToStr(K));
            if (K == EatOnForm)
                K = 0;
        }
        void ChildDown(TObject*, uint16_t& K, TShiftState) { Log.push_back("child " + IntToStr(K)); }
        void ChildUp(TObject*, uint16_t& K, TShiftState) { Log.push_back("up " + IntToStr(K)); }
    } keys;
    TFormWithChild f;
    f.Form->OnKeyDown = MakeMethod<&Keys::FormDown>(&keys);
    f.Child->OnKeyDown = MakeMethod<&Keys::ChildDown>(&keys);
    f.Child->OnKeyUp = MakeMethod<&Keys::ChildUp>(&keys);
    f.Child->Perform(WM_KEYDOWN, 'A', 0);
    CHECK(keys.Log == TLog{"child 65"});
    f.Form->SetKeyPreview(true);
    keys.EatOnForm = 'B';
    f.Child->Perform(WM_KEYDOWN, 'A', 0);
    f.Child->Perform(WM_KEYDOWN, 'B', 0);
    f.Child->Perform(WM_KEYUP, 'B', 0);
    CHECK(keys.Log == TLog{"child 65", "form 65", "child 65", "form 66", "up 66"});
}

TEST_CASE("a double-buffered paint whose painter throws ends the paint and gives back its DC and bitmap")
{
    struct TThrowingPainter : TCustomControl {
        using TCustomControl::TCustomControl;
        void Paint() override { throw EConvertError("thrown by a painter"); }
    };
    TCatcher catcher;
    auto form = std::make_unique<TForm>(nullptr);
    form->SetBounds(0, 0, 200, 100);
    auto* painter = Add<TThrowingPainter>(form.get(), 0, 0, 50, 40);
    painter->SetDoubleBuffered(true);
    form->Show();
    HWND wnd = painter->Handle();
    auto paint = [wnd] { RedrawWindow(wnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW); };
    paint();
    const int before = GdiObjectCount();
    for (int i = 0; i < 5; ++i)
        paint();
    CHECK(Join(GdiObjectCount(), catcher.Messages.size()) == Join(before, 6));
    CHECK_FALSE(GetUpdateRect(wnd, nullptr, FALSE));
}

TEST_CASE("the wheel goes to the focused control and up its parents until one uses it")
{
    auto form = MakeForm();
    auto* panel = Add<TBox>(form.get(), 0, 0, 200, 100);
    auto* edit = Add<TEditLike>(panel, 10, 10, 80, 20);
    ShowOnTop(form.get());
    FocusOn(edit);
    struct Wheel {
        std::vector<AnsiString> Log;
        bool Use = true;
        void OnWheel(TObject* S, TShiftState Shift, int Delta, TPoint Pos, bool& Handled)
        {
            Log.push_back(Format("%s wheel %d %d (%d,%d)", static_cast<TComponent*>(S)->Name().c_str(), Shift,
                                 Delta, Pos.X, Pos.Y));
            Handled = Use;
        }
        void OnUp(TObject*, TShiftState, TPoint, bool&) { Log.push_back("up"); }
        void OnDown(TObject*, TShiftState, TPoint, bool&) { Log.push_back("down"); }
    } w;
    panel->SetName("panel");
    edit->SetName("edit");
    panel->OnMouseWheel = MakeMethod<&Wheel::OnWheel>(&w);
    TMsgRecorder rec({WM_MOUSEWHEEL, CM_MOUSEWHEEL});
    rec.Attach(edit, "edit");
    rec.Attach(panel, "panel");
    rec.Attach(form.get(), "form");

    // Sent to the focused window: the form hands it to its focused control, which passes it on.
    CHECK(SendMessageA(edit->Handle(), WM_MOUSEWHEEL, MAKEWPARAM(MK_SHIFT, 120), MAKELPARAM(300, 70)) == 1);
    const intptr_t cmParam = MAKEWPARAM(ssShift, 120);
    CHECK_MESSAGES(rec, {"edit", WM_MOUSEWHEEL}, {"edit", CM_MOUSEWHEEL, cmParam}, {"panel", CM_MOUSEWHEEL, cmParam});
    CHECK(w.Log == std::vector<AnsiString>{"panel wheel 1 120 (300,70)"});

    // Unused, the turns add up to whole notches, each one step up or down.
    w.Use = false;
    w.Log.clear();
    edit->OnMouseWheelUp = MakeMethod<&Wheel::OnUp>(&w);
    edit->OnMouseWheelDown = MakeMethod<&Wheel::OnDown>(&w);
    for (int delta : {60, 60, -240})
        edit->Perform(CM_MOUSEWHEEL, MAKEWPARAM(0, delta), 0);
    CHECK(w.Log == std::vector<AnsiString>{"panel wheel 0 60 (0,0)", "up", "panel wheel 0 60 (0,0)", "down", "down",
                                           "panel wheel 0 -240 (0,0)"});
}
