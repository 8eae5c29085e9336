// Fades of a control's state change frame by frame (the ticks are called, never waited for),
// the animation timer, and the animated show of a control.
#include "classlib/gdihandles.h"
#include "msgrecorder.h"
#include "pixels.h"
#include "skinfixtures.h"

#include "classlib/forms.h"
#include "skin/zcommondata.h"
#include "skin/zcontrolutils.h"
#include "skin/zfade.h"
#include "skin/zoutputwindow.h"
#include "skin/zskinmanager.h"

#include <doctest.h>

#include <functional>
#include <memory>
#include <vector>

namespace {

// FADER fades in ten steps, SHORT in none, STILL not at all.
const char* const SkinText = "[FADER]\r\nFADINGENABLED=TRUE\r\nFADINGITERATIONS=10\r\n"
                             "[SHORT]\r\nFADINGENABLED=TRUE\r\nFADINGITERATIONS=0\r\n"
                             "[STILL]\r\nFADINGITERATIONS=10\r\n";
const uint8_t TenStepAlphas[] = {230, 204, 179, 153, 127, 102, 76, 51, 25, 0};

std::unique_ptr<TBitmap> Gradient(int Seed)
{
    return MakeBmp24(20, 12, [Seed](int x, int y) { return Rgb((x * 13 + Seed) & 255, (y * 29 + Seed) & 255, Seed); });
}

std::unique_ptr<TBitmap> Copy(TBitmap* B)
{
    auto c = std::make_unique<TBitmap>();
    c->Assign(B);
    return c;
}

// The fade's frame of that alpha: the old image blended toward the new one.
std::unique_ptr<TBitmap> Blend(TBitmap* Old, TBitmap* New, int Alpha)
{
    auto f = Copy(Old);
    BlendBitmaps(f.get(), New, Alpha);
    return f;
}

std::unique_ptr<TBitmap> WindowPixels(HWND Wnd)
{
    RECT r;
    GetClientRect(Wnd, &r);
    auto b = CreateBmp24(r.right, r.bottom);
    TClientDC dc(Wnd);
    BitBlt(b->Canvas()->Handle(), 0, 0, r.right, r.bottom, dc.Handle(), 0, 0, SRCCOPY);
    return b;
}

// Redrawing switched off takes a window's visible flag away.
bool Redrawing(HWND Wnd)
{
    return (GetWindowLongW(Wnd, GWL_STYLE) & WS_VISIBLE) != 0;
}

// A skinned control as the engine's controls are: the common handler first; its cache on
// every paint; Next painted into the cache on SKCMD_PREPARECACHE; frames noted.
class TFadeBox : public TCustomControl {
public:
    TzCommonData SkinData{this, true};
    TzFadeTimer* Fade = nullptr;
    std::unique_ptr<TBitmap> Next;
    std::vector<std::unique_ptr<TBitmap>> Frames;
    std::function<void()> OnPaint;
    bool ShowsFrames = false;   // answers SKCMD_SHOWFADEFRAME
    int Done = 0;

    explicit TFadeBox(TComponent* AOwner) : TCustomControl(AOwner) {}
    // The cache holds Image and nothing waits to be repainted.
    void Cache(TBitmap* Image)
    {
        SkinData.PrepareCache();
        SkinData.CacheBmp()->Assign(Image);
        SkinData.SetBGChanged(false);
    }

protected:
    void WndProc(TMessage& M) override
    {
        if (CommonMessageHandler(M, &SkinData))
            return;
        if (M.Msg == SM_SKINCMD) {
            const uint16_t cmd = M.WParamHi();
            if (cmd == SKCMD_PREPARECACHE && Next)
                Cache(Next.get());
            if (cmd == SKCMD_SHOWFADEFRAME && ShowsFrames) {
                Frames.push_back(Copy(reinterpret_cast<TBitmap*>(M.LParam)));
                M.Result = 1;
            }
            Done += cmd == SKCMD_FADEDONE;
        } else if (M.Msg == WM_ERASEBKGND) {
            M.Result = 1;
        } else if (M.Msg == WM_PAINT || M.Msg == WM_PRINTCLIENT) {
            PAINTSTRUCT ps;
            HDC dc = M.WParam ? reinterpret_cast<HDC>(M.WParam) : BeginPaint(Handle(), &ps);
            TBitmap* c = SkinData.CacheBmp();
            BitBlt(dc, 0, 0, c->Width(), c->Height(), c->Canvas()->Handle(), 0, 0, SRCCOPY);
            if (!M.WParam)
                EndPaint(Handle(), &ps);
            if (OnPaint)
                OnPaint();
        } else {
            TCustomControl::WndProc(M);
        }
    }
};

// A shown form and the default manager with the skin above; the skin commands that reach the
// boxes are recorded.
struct TFadeFixture {
    std::unique_ptr<TzSkinManager> Manager = ManagerOfText(SkinText);
    std::unique_ptr<TForm> Form = std::make_unique<TForm>(nullptr);
    std::unique_ptr<TBitmap> Old = Gradient(40);
    std::unique_ptr<TBitmap> New = Gradient(200);
    TMsgRecorder Rec{SM_SKINCMD};

    TFadeFixture()
    {
        Form->SetBounds(40, 40, 200, 120);
        Form->Show();
        MSG m;
        while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageA(&m);
    }
    // A 20 x 12 box at (10, 10) showing Old, that repaints to New for a fade.
    TFadeBox* Box(const char* Section = "FADER", TWinControl* Parent = nullptr, const char* Tag = "box")
    {
        auto* b = new TFadeBox(Form.get());
        b->SetParent(Parent ? Parent : Form.get());
        b->SetBounds(10, 10, 20, 12);
        b->SkinData.SetSkinSection(Section);
        b->Cache(Old.get());
        b->Next = Copy(New.get());
        b->Repaint();
        Rec.Attach(b, Tag);
        return b;
    }
    // A box at B showing only the colour C.
    TFadeBox* Solid(const TRect& B, TColor C, TWinControl* Parent = nullptr)
    {
        TFadeBox* b = Box("FADER", Parent);
        b->SetBounds(B.Left, B.Top, B.Width(), B.Height());
        b->Cache(Filled24(B.Width(), B.Height(), C).get());
        return b;
    }
};

void FadeIn(TFadeBox* B, bool HalfTime = false)
{
    FadeOrRepaint(B->Fade, &B->SkinData, HalfTime, fdIn, true);
}

void Ticks(TTimer* T, int N)
{
    while (N-- > 0)
        T->Timer();
}

} // namespace

TEST_CASE("a fade: ten frames blending old into new, then the end once")
{
    TFadeFixture f;
    TFadeBox* box = f.Box();
    const auto before = WindowPixels(box->Handle());
    SUBCASE("a control that shows the frames itself gets each; nothing is drawn to its window")
    {
        box->ShowsFrames = true;
        FadeIn(box);
        CHECK_MESSAGES(f.Rec, Cmd("box", SKCMD_PREPARECACHE));
        CHECK(Join(box->Fade->Enabled(), box->Fade->Interval()) == Join(true, FadeTickInterval));
        for (int k = 1; k <= 10; ++k) {
            box->Fade->Timer();
            REQUIRE(box->Frames.size() == size_t(k));
            CHECK(SamePixels(*box->Frames.back(), *Blend(f.Old.get(), f.New.get(), TenStepAlphas[k - 1])));
        }
        CHECK(SamePixels(*WindowPixels(box->Handle()), *before));
        Ticks(box->Fade, 2);
        CHECK(Join(box->Done, box->Frames.size(), box->Fade->Enabled()) == Join(1, 10, false));
    }
    SUBCASE("another control: each frame is copied whole onto its window")
    {
        FadeIn(box);
        Ticks(box->Fade, 3);
        CHECK(SamePixels(*WindowPixels(box->Handle()), *Blend(f.Old.get(), f.New.get(), TenStepAlphas[2])));
    }
}

TEST_CASE("a fade reversed while running lasts as long as the part done; half time halves it")
{
    TFadeFixture f;
    TFadeBox* box = f.Box();
    box->ShowsFrames = true;
    FadeIn(box, true);
    CHECK(box->Fade->Iterations == 5);
    StopFadeTimer(box->Fade);
    box->Cache(f.Old.get());
    FadeIn(box);
    Ticks(box->Fade, 4);
    // The mouse leaves after four frames: from the cache as it is to a third look.
    box->Next = Gradient(90);
    box->Frames.clear();
    FadeOrRepaint(box->Fade, &box->SkinData, false, fdOut, true);
    CHECK(Join(int(box->Fade->Direction()), box->Fade->Iterations, box->Fade->Step) == Join(int(fdOut), 5, 1));
    Ticks(box->Fade, 7);
    CHECK(Join(box->Frames.size(), box->Done) == Join(5, 1));
    CHECK(SamePixels(*box->Frames[0], *Blend(f.New.get(), box->Next.get(), FadeAlpha(1, 5))));
}

TEST_CASE("what holds a fade back: the control repaints at once and a running fade stops")
{
    TFadeFixture f;
    TFadeBox* box = f.Box();
    const char* const reasons[] = {"not allowed by the control", "a skin change", "fading off",
                                   "a repaint pending", "a section that does not fade"};
    for (int why = 0; why < 5; ++why) {
        INFO(reasons[why]);
        box->Cache(f.Old.get());
        FadeIn(box);
        REQUIRE(box->Fade);
        SkinIsChanging = why == 1;
        SkinFadingOn = why != 2;
        if (why == 4)
            box->SkinData.SetSkinSection("STILL");
        box->SkinData.SetBGChanged(why == 3);
        f.Rec.Clear();
        FadeOrRepaint(box->Fade, &box->SkinData, false, fdOut, why != 0);
        SkinIsChanging = false;
        SkinFadingOn = true;
        CHECK(Join(box->Fade == nullptr, box->SkinData.BGChanged()) == Join(true, true));
        CHECK_MESSAGES(f.Rec);   // no new cache for a fade
    }
    // A control's own events, or the manager's when it takes them.
    SkinGlobalAnimEvents = 1u << aeMouseEnter;
    CHECK(Join(AnimEventOn(aeMouseEnter, 1u << aeGlobalDef), AnimEventOn(aeMouseLeave, 1u << aeGlobalDef),
               AnimEventOn(aeMouseLeave, 1u << aeMouseLeave)) == Join(true, false, true));
    SkinGlobalAnimEvents = 0x0F;
}

TEST_CASE("fades that cannot go on: no steps, a control gone, a control disabled")
{
    TFadeFixture f;
    TFadeBox* box = f.Box("SHORT");
    box->ShowsFrames = true;
    FadeIn(box);
    CHECK(box->Fade->Iterations == 0);
    box->Fade->FadeStep();   // never divides
    box->Fade->Timer();
    CHECK(Join(box->Frames.size(), box->Done) == Join(0, 1));

    box = f.Box();
    box->ShowsFrames = true;
    std::unique_ptr<TzFadeTimer> orphan(MakeComponent<TzFadeTimer>(nullptr));
    orphan->Prepare(&box->SkinData);
    orphan->SetDirection(fdIn);
    FadeIn(box);
    box->Fade->Timer();
    box->SetEnabled(false);
    box->SkinData.SetBGChanged(false);
    Ticks(box->Fade, 2);
    CHECK(Join(box->Frames.size(), box->Fade->Iterations, box->Fade->Enabled(), box->Done) == Join(1, 0, false, 0));
    CHECK(box->SkinData.BGChanged());   // repainted as it is now

    delete box;
    CHECK(orphan->SkinData() == nullptr);
    orphan->Timer();
    orphan->FadeStep();
    CHECK(Join(orphan->Direction(), orphan->Enabled()) == Join(fdIdle, false));
}

TEST_CASE("an animation blends into the work image that the control paints, its parent told")
{
    TFadeFixture f;
    TFadeBox* parent = f.Box("FADER", nullptr, "parent");
    parent->SetBounds(0, 0, 60, 40);
    TFadeBox* box = f.Box("FADER", parent);
    TzAnimTimer* anim = MakeComponent<TzAnimTimer>(box);
    anim->StartImage()->Assign(f.Old.get());
    box->Cache(f.New.get());
    anim->Prepare(&box->SkinData);
    anim->Step = 1;
    anim->SetEnabled(true);
    std::vector<std::unique_ptr<TBitmap>> painted;
    box->OnPaint = [&] {
        if (anim->Busy())
            painted.push_back(Copy(anim->WorkImage()));
    };
    f.Rec.Clear();
    Ticks(anim, 12);
    REQUIRE(painted.size() == 10);
    CHECK(SamePixels(*painted[4], *Blend(f.Old.get(), f.New.get(), TenStepAlphas[4])));
    // Each frame painted between the parent's "painting a child" and its end.
    std::vector<TMsgEntry> frames;
    for (int k = 0; k < 10; ++k)
        for (auto e : {Cmd("parent", SKCMD_SETPAINTINGCHILD), Cmd("box", SKCMD_SETUPDATING),
                       Cmd("parent", SKCMD_SETPAINTINGCHILD)})
            frames.push_back(e);
    frames.push_back(Cmd("box", SKCMD_FADEDONE));
    CHECK_MESSAGES(f.Rec, frames);
    CHECK(Join(box->Done, anim->Enabled()) == Join(1, false));
}

// ---------------------------------------------------------------------------------------

namespace {

// Every picture of a show, checked against ((screen - final) * w + final * 256) shr 8.
struct TShowRecord {
    static inline std::vector<int> Weights;
    static inline std::vector<bool> Redraws;
    static inline HWND Control = nullptr;
    static inline bool FramesMatch = true;
    static inline std::unique_ptr<TBitmap> Final;
    static inline TColor Screen = 0;   // the first frame's screen pixel at (0, 0)
    static inline int Sleeps = 0;
    void (*FSavedSleep)(DWORD) = AnimShowSleep;

    static void Frame(const TzAnimShowFrame& F)
    {
        if (Weights.empty() && F.Snapshot)
            Screen = Px(*const_cast<TBitmap*>(F.Snapshot), 0, 0);
        Weights.push_back(F.Weight);
        Redraws.push_back(Redrawing(Control));
        if (F.Weight < 0) {
            Final = Copy(const_cast<TBitmap*>(F.Final));
            return;
        }
        TSkFast32 frame;
        frame.Attach(const_cast<TBitmap*>(F.Frame));
        for (int y = 0; y < frame.Height; ++y)
            for (int x = 0; x < frame.Width; ++x) {
                const TColor s = Px(*const_cast<TBitmap*>(F.Snapshot), x, y);
                const TColor a = Px(*const_cast<TBitmap*>(F.Final), x, y);
                uint32_t want = 0;
                for (int k = 0; k < 24; k += 8)
                    want |= uint32_t(((((s >> k) & 255) - ((a >> k) & 255)) * F.Weight + ((a >> k) & 255) * 256) >> 8) << k;
                FramesMatch = FramesMatch && (uint32_t(frame.Pixel(x, y)) & 0xFFFFFF) == want;
            }
    }
    explicit TShowRecord(HWND AControl)
    {
        Weights.clear();
        Redraws.clear();
        Control = AControl;
        FramesMatch = true;
        Final.reset();
        Sleeps = 0;
        AnimShowFrameHook = &Frame;
        AnimShowSleep = [](DWORD) { ++Sleeps; };
    }
    ~TShowRecord()
    {
        AnimShowFrameHook = nullptr;
        AnimShowSleep = FSavedSleep;
    }
};

} // namespace

TEST_CASE("the animated show of a control: screen to final look on an output window just above it")
{
    TFadeFixture f;
    TFadeBox* box = f.Solid(TRect(10, 10, 70, 50), Rgb(200, 30, 30));
    f.Solid(TRect(5, 6, 25, 18), Rgb(10, 220, 40), box);
    f.Box();   // a sibling above the box
    auto look = PaintControlToBitmap(box);   // the box and its child window, each painting itself
    CHECK(Join(CountNot(*look, TRect(5, 6, 25, 18), Rgb(10, 220, 40)), Px(*look, 25, 18)) == Join(0, Rgb(200, 30, 30)));
    const int components = box->ComponentCount();
    SUBCASE("time 0: the final look at once")
    {
        TShowRecord rec(box->Handle());
        AnimShowControl(box, 0);
        CHECK(rec.Weights == std::vector<int>{-1});
        CHECK(Join(rec.Sleeps, SamePixels(*rec.Final, *look)) == Join(0, true));
    }
    SUBCASE("80 ms: eleven blended frames while the control does not redraw, then the final look")
    {
        PrepareOutputWindow(box);
        HWND out = FindWindowExA(f.Form->Handle(), nullptr, "TOutputWindow", "zOutputWindow");
        REQUIRE(out);
        CHECK(GetWindow(out, GW_HWNDNEXT) == box->Handle());
        TShowRecord rec(box->Handle());
        AnimShowControl(box, 80);
        CHECK(rec.Weights == std::vector<int>{255, 230, 205, 180, 155, 130, 105, 80, 55, 30, 5, -1});
        CHECK(Join(rec.Sleeps, rec.FramesMatch) == Join(10, true));
        CHECK(rec.Redraws == std::vector<bool>(12, false));
    }
    SUBCASE("a show prepared for a control that has gone leaves nothing to the next")
    {
        TFadeBox* gone = f.Solid(TRect(100, 40, 160, 80), Rgb(1, 2, 3));
        gone->Repaint();
        PrepareOutputWindow(gone);
        delete gone;
        box->Repaint();
        POINT at{0, 0};
        ClientToScreen(box->Handle(), &at);
        const TColor under = TColor(GetPixel(TClientDC(nullptr).Handle(), at.x, at.y));
        TShowRecord rec(box->Handle());
        AnimShowControl(box, 80);
        CHECK(rec.Screen == under);
    }
    SUBCASE("a long time is cut to the longest show; a control not shown is left alone")
    {
        TShowRecord rec(box->Handle());
        AnimShowControl(box, 65535);
        CHECK(rec.Sleeps == AnimShowMaxTime / AnimShowFrameTime);
        box->Hide();
        TShowRecord hidden(box->Handle());
        AnimShowControl(box, 80);
        CHECK(hidden.Weights.empty());
        CHECK_FALSE(Redrawing(box->Handle()));
        box->Show();
    }
    CHECK(Join(FindWindowA("TOutputWindow", nullptr) == nullptr, box->ComponentCount(), Redrawing(box->Handle())) ==
          Join(true, components, true));
}
