// Client-area adapters: the edit adapter's frame (only where the window has one), its print,
// the colours it gives a library control and gives back, its life beside a skinned control's
// skin data, bars that follow the window's content; the tree view's background.
#include "adapterfixtures.h"

#include "classlib/stdctrls.h"
#include "support/screenshot.h"

#include <commctrl.h>
#include <doctest.h>

#include <set>
#include <string>

using namespace adapt;

namespace {

// A library memo that keeps its edit adapter in step with its skin data, as skinned controls
// do: a removed skin frees the adapter from inside the skin command that went through it.
class TAdaptedMemo : public TMemo {
public:
    TzCommonData SkinData{this, true};
    std::unique_ptr<TSkMainWnd> Adapter;
    using TMemo::TMemo;

protected:
    void WndProc(TMessage& M) override
    {
        TMemo::WndProc(M);
        if (M.Msg == SM_SKINCMD && M.WParamHi() == SKCMD_SKINREMOVED)
            UpdateEditAdapter(this, Adapter, &SkinData);
    }
};

TColor WindowColor() { return TColor(GetSysColor(COLOR_WINDOW)); }

} // namespace

TEST_CASE("the edit adapter paints the frame from its section, only as wide as the window's own frame")
{
    TAdapterForm f;
    const int e = GetSystemMetrics(SM_CXEDGE);
    HWND framed = f.Child(L"EDIT", 0, WS_EX_CLIENTEDGE, TRect(10, 10, 110, 40));
    HWND bare = f.Child(L"EDIT", 0, 0, TRect(10, 60, 110, 90));
    auto a = f.Adapt(framed, "FRAMED");
    auto b = f.Adapt(bare, "FRAMED");
    RedrawFrame(framed);
    RedrawFrame(bare);
    // The frame painted again alone, as after a scroll or a size change.
    SendMessageW(framed, WM_NCPAINT, 1, 0);
    SendMessageW(bare, WM_NCPAINT, 1, 0);
    TBitmap* cache = a->SkinData->CacheBmp();
    for (const TPoint p : {TPoint(0, 0), TPoint(e - 1, 15), TPoint(50, e - 1), TPoint(99, 29)})
        CHECK(WindowPx(framed, p.X, p.Y) == Px(*cache, p.X, p.Y));
    // Inside the frame and in a window without one: the edit's own background.
    CHECK(Join(a->FrameLeft, b->FrameLeft, b->FrameTop) == Join(e, 0, 0));
    CHECK(Join(WindowPx(framed, e, e), WindowPx(bare, 0, 0), WindowPx(bare, 3, 3)) ==
          Join(WindowColor(), WindowColor(), WindowColor()));
}

TEST_CASE("printing an adapted edit: frame and bars from the skin, the client area by the window itself")
{
    TAdapterForm f;
    HWND w = f.Child(L"EDIT", ES_MULTILINE | WS_VSCROLL, WS_EX_CLIENTEDGE, TRect(10, 10, 130, 110));
    WideString lines;
    for (int i = 0; i < 30; ++i)
        lines += L"line\r\n";
    SetWindowTextW(w, lines.c_str());
    auto a = f.Adapt(w);
    RECT wr{};
    GetWindowRect(w, &wr);
    auto bmp = CreateBmp24(wr.right - wr.left, wr.bottom - wr.top);
    FillBmpRect(bmp.get(), TRect(0, 0, bmp->Width(), bmp->Height()), Rgb(1, 2, 3));
    SendMessageW(w, WM_PRINT, WPARAM(bmp->Canvas()->Handle()), PRF_NONCLIENT | PRF_CLIENT);
    const TRect v = InWindow(w, GetVertBarRect(a.get(), w));
    const int e = a->FrameLeft;
    CHECK(Join(Px(*bmp, 0, 0), Px(*bmp, Centre(v).X, v.Top + 3), Px(*bmp, v.Left - 8, e + 5)) ==
          Join(EditColor, Arrow, WindowColor()));
}

TEST_CASE("a library memo: the skin's colours while adapted, its own back when the skin goes; the adapter "
          "follows the skin data")
{
    TAdapterForm f;
    auto memo = std::make_unique<TAdaptedMemo>(nullptr);
    memo->SetParent(f.Form.get());
    memo->SetBounds(10, 10, 150, 80);
    memo->HandleNeeded();
    memo->SetColor(clYellow);
    memo->Font()->SetColor(clRed);
    const TWndMethod own = memo->WindowProc();
    memo->SkinData.SetSkinSection("EDIT");
    UpdateEditAdapter(memo.get(), memo->Adapter, &memo->SkinData);
    REQUIRE(memo->Adapter);
    CHECK(dynamic_cast<TSkEditWnd*>(memo->Adapter.get()) != nullptr);
    CHECK(memo->WindowProc() != own);
    memo->Adapter->AfterCreation();
    CHECK(Join(memo->Color(), memo->Font()->Color()) == Join(EditColor, Rgb(2, 2, 2)));
    // A dead adapter is made anew; a live one stays.
    TSkMainWnd* first = memo->Adapter.get();
    UpdateEditAdapter(memo.get(), memo->Adapter, &memo->SkinData);
    CHECK(memo->Adapter.get() == first);
    memo->Adapter->Detach(false);
    UpdateEditAdapter(memo.get(), memo->Adapter, &memo->SkinData);
    CHECK(Join(memo->Adapter->Dead, memo->Adapter->Hooked()) == "0 1");
    memo->Adapter->AfterCreation();
    // The skin goes: the command passes the adapter, which gives the colours back, and the
    // memo frees the adapter while the command is still in it.
    f.Manager.SkinData().Active = false;
    SendCommandToWindow(memo->Handle(), SKCMD_SKINREMOVED, reinterpret_cast<LPARAM>(&f.Manager));
    CHECK(memo->Adapter == nullptr);
    CHECK(Join(memo->Color(), memo->Font()->Color(), memo->WindowProc() == own) == Join(clYellow, clRed, 1));
    f.Manager.SkinData().Active = true;
}

TEST_CASE("a list's bars appear and move with its content, painted from the skin")
{
    TAdapterForm f;
    HWND w = f.Child(L"LISTBOX", WS_VSCROLL | LBS_NOINTEGRALHEIGHT, WS_EX_CLIENTEDGE, TRect(10, 10, 130, 110));
    auto a = f.Adapt(w);
    CHECK(a->VertBar->Visible == 0);
    for (int i = 0; i < 40; ++i)
        SendMessageW(w, LB_ADDSTRING, 0, LPARAM(L"item"));
    REQUIRE(a->VertBar->Visible == 1);
    TRect v = InWindow(w, GetVertBarRect(a.get(), w));
    CHECK(WindowPx(w, Centre(v).X, v.Top + 3) == Arrow);
    SendMessageW(w, LB_SETTOPINDEX, 20, 0);
    const TSkThumbGeometry g = GetThumbGeometry(a->VertBar.get(), v);
    CHECK(a->VertBar->ScrollInfo.nPos == 20);
    CHECK(WindowPx(w, Centre(v).X, g.Pos + g.Length / 2) == Thumb);
}

TEST_CASE("a tree view takes the section's hot colour as its background and erases with it")
{
    TAdapterForm f;
    INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_TREEVIEW_CLASSES};
    InitCommonControlsEx(&icc);
    HWND w = f.Child(WC_TREEVIEWW, 0, WS_EX_CLIENTEDGE, TRect(10, 10, 130, 110));
    auto a = f.Adapt<TSkTreeViewWnd>(w);
    CHECK(TColor(SendMessageW(w, TVM_GETBKCOLOR, 0, 0)) == TreeHot);
    auto bmp = CreateBmp24(40, 40);
    CHECK(SendMessageW(w, WM_ERASEBKGND, WPARAM(bmp->Canvas()->Handle()), 0) == 0);
    CHECK(Px(*bmp, 20, 20) == TreeHot);
}

TEST_CASE("our skin on adapted windows: the bars' arrows carry their glyphs, the frame is the cache's")
{
    TAdapterForm f;
    auto dawn = std::make_unique<TzSkinManager>(nullptr);
    dawn->SetActive(false);
    REQUIRE(dawn->LoadFromSkinFolder(TestDataPath("..\\..\\resources\\skins\\ZandrelDawn\\")));
    dawn->RebuildCache();
    dawn->SkinData().Active = true;
    HWND memo = f.Child(L"EDIT", ES_MULTILINE | WS_VSCROLL | WS_HSCROLL, WS_EX_CLIENTEDGE, TRect(10, 10, 200, 150));
    WideString lines;
    for (int i = 0; i < 40; ++i)
        lines += L"Строка текста номер " + std::to_wstring(i) + L" \u03B1\u03B2\u03B3 wide enough to scroll sideways\r\n";
    SetWindowTextW(memo, lines.c_str());
    auto a = CreateAdapter<TSkEditWnd>(memo, nullptr, dawn.get(), "EDIT", true);
    a->AfterCreation();
    RedrawFrame(memo);
    CreateDirectoryW(BuildPath("screenshots").c_str(), nullptr);
    SaveWindowPng(f.Form->Handle(), (std::string(ZANDREL_BUILD_DIR).substr(2) + "/screenshots/adapters-dawn.png").c_str());
    // The arrow's glyph: not one colour across the button.
    const TRect v = InWindow(memo, GetVertBarRect(a.get(), memo));
    std::set<TColor> arrow;
    for (int y = v.Top; y < v.Top + 16; ++y)
        for (int x = v.Left; x < v.Right; ++x)
            arrow.insert(WindowPx(memo, x, y));
    CHECK(arrow.size() > 3);
    CHECK(WindowPx(memo, 0, 40) == Px(*a->SkinData->CacheBmp(), 0, 40));
}
