// The adapter base: how an adapter goes into a window's chain and out again (foreign windows
// and library controls, with other subclassers around it),
// what it answers of the skin command, and the cache it paints at the window's place in its
// parent's picture.
#include "adapterfixtures.h"

#include "classlib/stdctrls.h"

#include <doctest.h>

using namespace adapt;

namespace {

WideString TextOf(HWND W)
{
    WideString s(size_t(GetWindowTextLengthW(W)) + 1, L'\0');
    s.resize(size_t(GetWindowTextW(W, s.data(), int(s.size()))));
    return s;
}

LONG_PTR ProcOf(HWND W)
{
    return IsWindowUnicode(W) ? GetWindowLongPtrW(W, GWLP_WNDPROC) : GetWindowLongPtrA(W, GWLP_WNDPROC);
}

// A window class that, while it is destroyed, still sends itself a message.
struct TLateTalker {
    static int& Heard()
    {
        static int n = 0;
        return n;
    }
    static LRESULT CALLBACK Proc(HWND W, UINT Msg, WPARAM WP, LPARAM LP)
    {
        if (Msg == WM_NCDESTROY)
            SendMessageW(W, WM_APP, 0, 0);
        if (Msg == WM_APP)
            ++Heard();
        return DefWindowProcW(W, Msg, WP, LP);
    }
    static HWND Make(HWND Parent)
    {
        WNDCLASSW c{};
        c.lpfnWndProc = &Proc;
        c.hInstance = GetModuleHandleW(nullptr);
        c.lpszClassName = L"ZandrelLateTalker";
        RegisterClassW(&c);
        return CreateWindowExW(0, L"ZandrelLateTalker", L"", WS_CHILD | WS_VISIBLE, 0, 0, 50, 50, Parent, nullptr,
                               GetModuleHandleW(nullptr), nullptr);
    }
};

} // namespace

TEST_CASE("hooked and freed in either order with another subclasser between: neither is cut out")
{
    TAdapterForm f;
    HWND w = f.Child(L"EDIT", ES_AUTOHSCROLL, 0, TRect(10, 10, 200, 34));
    auto memo = std::make_unique<TMemo>(nullptr);
    memo->SetParent(f.Form.get());
    memo->HandleNeeded();
    TzCommonData memoData(memo.get(), true);
    const LONG_PTR plain = ProcOf(w);
    const TWndMethod own = memo->WindowProc();
    {
        // The memo's skin data on another window: that window's procedure is taken, not the memo's.
        auto other = CreateAdapter<TSkMainWnd>(w, &memoData, &f.Manager, "EDIT", true);
        CHECK(Join(memo->WindowProc() == own, ProcOf(w) == LONG_PTR(other->ObjectInstance())) == Join(1, 1));
    }
    // The window still does its work, and the recorder still hears it.
    const auto works = [&](TMsgRecorder& Rec, const char* Text) {
        Rec.Clear();
        SetWindowTextW(w, AnsiToWide(Text).c_str());
        memo->SetText(Text);
        CHECK(Join(TextOf(w), memo->Text()) == Join(AnsiToWide(Text), Text));
        CHECK_MESSAGES(Rec, {"w", WM_SETTEXT}, {"memo", WM_SETTEXT});
    };
    TMsgRecorder rec({WM_SETTEXT});
    SUBCASE("adapter first, freed while the recorder lies over it")
    {
        auto a = f.Adapt<TSkMainWnd>(w);
        auto m = CreateAdapter<TSkMainWnd>(memo->Handle(), &memoData, &f.Manager, "EDIT", true);
        rec.Attach(w, "w");
        rec.Attach(memo.get(), "memo");
        const LONG_PTR recorder = ProcOf(w);
        const TWndMethod recorderMethod = memo->WindowProc();
        a.reset();
        m.reset();
        CHECK(Join(ProcOf(w) == recorder, memo->WindowProc() == recorderMethod) == Join(1, 1));
        works(rec, "left in the chain");
        // The recorder goes: the adapters' links are on top again and take themselves out.
        rec.DetachAll();
        SendMessageW(w, WM_NULL, 0, 0);
        memo->Perform(WM_NULL, 0, 0);
        CHECK(Join(ProcOf(w) == plain, memo->WindowProc() == own, GetPropW(w, AdapterPropName) == nullptr) == Join(1, 1, 1));
    }
    SUBCASE("recorder first, left in the chain; the adapter freed on top gives back the recorder")
    {
        rec.Attach(w, "w");
        rec.Attach(memo.get(), "memo");
        const LONG_PTR recorder = ProcOf(w);
        const TWndMethod recorderMethod = memo->WindowProc();
        auto a = f.Adapt<TSkMainWnd>(w);
        auto m = CreateAdapter<TSkMainWnd>(memo->Handle(), &memoData, &f.Manager, "EDIT", true);
        CHECK(memo->WindowProc() != recorderMethod);
        works(rec, "under the adapters");
        a.reset();
        m.reset();
        CHECK(Join(ProcOf(w) == recorder, memo->WindowProc() == recorderMethod) == Join(1, 1));
        works(rec, "after the adapters");
    }
    DestroyWindow(w);
}

TEST_CASE("a destroyed window detaches its foreign adapter; its callable instance outlives the last message")
{
    TAdapterForm f;
    HWND w = TLateTalker::Make(f.Form->Handle());
    auto a = f.Adapt<TSkMainWnd>(w);
    TMsgRecorder rec({WM_NCDESTROY, WM_APP});
    rec.Attach(w, "w");
    TLateTalker::Heard() = 0;
    DestroyWindow(w);
    // The message sent during WM_NCDESTROY went through the adapter's link, still there.
    CHECK_MESSAGES(rec, {"w", WM_NCDESTROY}, {"w", WM_APP});
    CHECK(Join(TLateTalker::Heard(), a->Dead, a->Hooked()) == Join(1, 1, 0));
    // Freed later, it writes nothing into a window that now has the same kind of handle.
    HWND next = TLateTalker::Make(f.Form->Handle());
    const LONG_PTR proc = ProcOf(next);
    a.reset();
    CHECK(ProcOf(next) == proc);
    DestroyWindow(next);
}

TEST_CASE("the base adapter answers the skin command and passes everything else on")
{
    TAdapterForm f;
    HWND w = f.Child(L"STATIC", 0, 0, TRect(10, 10, 70, 40));
    TMsgRecorder rec;
    rec.Only([](UINT Msg, WPARAM, LPARAM) { return Msg == SM_SKINCMD || Msg == WM_PAINT || Msg == WM_PRINT ||
                                                   Msg == WM_UPDATEUISTATE; });
    rec.Attach(w, "w");   // under the adapter: hears what it passes on
    auto a = f.Adapt<TSkMainWnd>(w);
    const LPARAM manager = reinterpret_cast<LPARAM>(&f.Manager);
    CHECK(SendCommandToWindow(w, SKCMD_ISSKINNED, 0) == 1);
    CHECK(SendCommandToWindow(w, SKCMD_ISUPDATING, 0) == 1);   // nothing painted yet
    SendCommandToWindow(w, SKCMD_PREPARECACHE, 0);
    CHECK(SendCommandToWindow(w, SKCMD_ISUPDATING, 0) == 0);
    SharedCacheInfo = TzCacheInfo{};
    SendCommandToWindow(w, SKCMD_GETBGIMAGE, 0);
    REQUIRE(SharedCacheInfo.Ready);
    CHECK(Join(SharedCacheInfo.Bmp->Width(), SharedCacheInfo.Bmp->Height(), Px(*SharedCacheInfo.Bmp, 30, 15)) ==
          Join(60, 30, EditColor));
    SharedCacheInfo = TzCacheInfo{};
    SendMessageW(w, WM_UPDATEUISTATE, 0, 0);
    auto bmp = CreateBmp24(60, 30);
    const HDC dc = bmp->Canvas()->Handle();
    SendMessageW(w, WM_PRINT, WPARAM(dc), PRF_CLIENT);
    SendCommandToWindow(w, SKCMD_SKINREMOVED, manager);
    // An inactive skin: everything passes.
    f.Manager.SkinData().Active = false;
    SendMessageW(w, WM_UPDATEUISTATE, 0, 0);
    SendCommandToWindow(w, SKCMD_ISSKINNED, 0);
    CHECK_MESSAGES(rec, Cmd("w", SKCMD_PREPARECACHE), {"w", WM_PAINT, intptr_t(dc)},
                   Cmd("w", SKCMD_SKINREMOVED), {"w", WM_UPDATEUISTATE}, Cmd("w", SKCMD_ISSKINNED));
    f.Manager.SkinData().Active = true;
}

TEST_CASE("the window's cache: the section at the window's place in its parent's picture, keyed border pixels "
          "showing the parent")
{
    TAdapterForm f;
    TSynthControl* panel = TSynthForm::Add(f.Manager, f.Form.get(), "EDIT", TRect(0, 0, 120, 80));
    TBitmap* pic = panel->SkinData.CacheBmp();
    const auto parentPx = [](int X, int Y) { return Rgb(X * 2, Y * 3, 77); };
    for (int y = 0; y < pic->Height(); ++y)
        for (int x = 0; x < pic->Width(); ++x)
            SetPx(*pic, x, y, parentPx(x, y));
    panel->SkinData.SetBGChanged(false);
    const TRect at(7, 5, 57, 35);
    HWND w = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE, at.Left, at.Top, at.Width(), at.Height(),
                             panel->Handle(), nullptr, GetModuleHandleW(nullptr), nullptr);
    auto a = f.Adapt<TSkMainWnd>(w, "FRAMED");
    SendCommandToWindow(w, SKCMD_PREPARECACHE, 0);
    TBitmap* cache = a->SkinData->CacheBmp();
    REQUIRE(cache->Width() == at.Width());
    // The top strip and its corners by the nine-piece rule: corners as they are, the edge
    // tiled from the frame's middle; key pixels of either take the parent's pixel.
    const int w0 = at.Width();
    int keyed = 0;
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < w0; ++x) {
            const int sx = x < 4 ? x : x >= w0 - 4 ? 24 - (w0 - x) : 4 + (x - 4) % 16;
            const bool key = SynthPixel(sx, y) == SkinKeyColor;
            keyed += key;
            CHECK(Px(*cache, x, y) == (key ? parentPx(at.Left + x, at.Top + y) : SynthPixel(sx, y)));
        }
    CHECK(keyed > 0);
    CHECK(Px(*cache, 25, 15) == SynthPixel(4 + (25 - 4) % 16, 4 + (15 - 4) % 16));
    DestroyWindow(w);
}

TEST_CASE("an adapter whose manager is freed goes on with its skin data's manager")
{
    TAdapterForm f;
    HWND w = f.Child(L"EDIT", ES_MULTILINE | WS_VSCROLL, WS_EX_CLIENTEDGE, TRect(10, 10, 110, 80));
    auto other = MakeAdapterSkin();
    auto a = CreateAdapter<TSkEditWnd>(w, nullptr, other->Manager.get(), "EDIT", true);
    other.reset();
    CHECK(a->SkinManager() == DefaultManager);
}
