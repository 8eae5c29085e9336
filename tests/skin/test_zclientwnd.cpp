// Client-area adapters: the edit adapter's frame (only where the window has one), its print,
// the colours it gives a library control and gives back, its life beside a skinned control's
// skin data, bars that follow the window's content; the tree view's background; grids and
// virtual trees reached through their properties; the MDI client; popup menu windows.
#include "adapterfixtures.h"

#include "classlib/stdctrls.h"

#include <commctrl.h>
#include <doctest.h>

#include <functional>
#include <string>

using namespace adapt;

namespace {

// A library memo that keeps its edit adapter in step with its skin data, as skinned controls
// do: a removed skin frees the adapter from inside the skin command that went through it.
struct TAdaptedMemo : TMemo {
    TzCommonData SkinData{this, true};
    std::unique_ptr<TSkMainWnd> Adapter;
    using TMemo::TMemo;
    void WndProc(TMessage& M) override
    {
        TMemo::WndProc(M);
        if (M.Msg == SM_SKINCMD && M.WParamHi() == SKCMD_SKINREMOVED)
            UpdateEditAdapter(this, Adapter, &SkinData);
    }
};

TColor WindowColor() { return TColor(GetSysColor(COLOR_WINDOW)); }

// What the window shows where its scroll information puts the vertical thumb.
TColor ThumbPixel(TSkScrollWnd* A)
{
    RefreshScrollInfo(A, false);
    const TRect v = InWindow(A->Handle, GetVertBarRect(A, A->Handle));
    const TSkThumbGeometry g = GetThumbGeometry(A->VertBar.get(), v);
    return WindowPx(A->Handle, Centre(v).X, g.Pos + g.Length / 2);
}

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
    // Grown: the frame from a cache of the new size, its corner where the window's is now.
    SetWindowPos(framed, nullptr, 0, 0, 150, 50, SWP_NOMOVE | SWP_NOZORDER);
    CHECK(WindowPx(framed, 149, 49) == SynthPixel(23, 23));
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
    REQUIRE(dynamic_cast<TSkEditWnd*>(memo->Adapter.get()));
    CHECK(memo->WindowProc() != own);
    memo->Adapter->AfterCreation();
    CHECK(Join(memo->Color(), memo->Font()->Color()) == Join(EditColor, Rgb(2, 2, 2)));
    // A dead adapter is made anew; a live one stays.
    TSkMainWnd* first = memo->Adapter.get();
    UpdateEditAdapter(memo.get(), memo->Adapter, &memo->SkinData);
    CHECK(memo->Adapter.get() == first);
    memo->Adapter->Detach(false);
    UpdateEditAdapter(memo.get(), memo->Adapter, &memo->SkinData);
    CHECK(Join(memo->Adapter->Dead, memo->Adapter->Hooked()) == Join(0, 1));
    memo->Adapter->AfterCreation();
    // The skin goes: the command passes the adapter, which gives the colours back, and the
    // memo frees the adapter while the command is still in it.
    f.Manager.SkinData().Active = false;
    SendCommandToWindow(memo->Handle(), SKCMD_SKINREMOVED, reinterpret_cast<LPARAM>(&f.Manager));
    CHECK(memo->Adapter == nullptr);
    CHECK(Join(memo->Color(), memo->Font()->Color(), memo->WindowProc() == own) == Join(clYellow, clRed, 1));
    f.Manager.SkinData().Active = true;
}

TEST_CASE("bars follow their window's content, the skin's after every change: a list's items and top, an edit's "
          "text set, cut, pasted, cleared and undone; the edit printed with its frame and bars")
{
    TAdapterForm f;
    HWND list = f.Child(L"LISTBOX", WS_VSCROLL | LBS_NOINTEGRALHEIGHT, WS_EX_CLIENTEDGE, TRect(10, 10, 130, 110));
    HWND edit = f.Child(L"EDIT", ES_MULTILINE | WS_VSCROLL, WS_EX_CLIENTEDGE, TRect(150, 10, 270, 110));
    auto a = f.Adapt(list), b = f.Adapt(edit);
    CHECK(a->VertBar->Visible == 0);
    WideString lines;
    for (int i = 0; i < 40; ++i)
        lines += L"line\r\n";
    const struct {
        const char* Name;
        TSkScrollWnd* Adapter;
        std::function<void()> Change;
    } changes[] = {
        {"add", a.get(), [&] { for (int i = 0; i < 40; ++i) SendMessageW(list, LB_ADDSTRING, 0, LPARAM(L"item")); }},
        {"top", a.get(), [&] { SendMessageW(list, LB_SETTOPINDEX, 20, 0); }},
        {"set", b.get(), [&] { SetWindowTextW(edit, lines.c_str()); }},
        {"cut", b.get(), [&] { SendMessageW(edit, EM_SETSEL, 0, 6 * 12); SendMessageW(edit, WM_CUT, 0, 0); }},
        {"paste", b.get(), [&] { SendMessageW(edit, EM_SETSEL, 0, 0); SendMessageW(edit, WM_PASTE, 0, 0); }},
        {"clear", b.get(), [&] { SendMessageW(edit, EM_SETSEL, 0, 6 * 25); SendMessageW(edit, WM_CLEAR, 0, 0); }},
        {"undo", b.get(), [&] { SendMessageW(edit, WM_UNDO, 0, 0); }},
        {"undo again", b.get(), [&] { SendMessageW(edit, EM_UNDO, 0, 0); }},
    };
    for (const auto& c : changes) {
        CAPTURE(std::string(c.Name));
        c.Change();
        CHECK(ThumbPixel(c.Adapter) == Thumb);
    }
    // Printed: the frame and the bars from the skin, the client area by the window itself.
    RECT wr{};
    GetWindowRect(edit, &wr);
    auto bmp = Filled24(wr.right - wr.left, wr.bottom - wr.top, Rgb(1, 2, 3));
    SendMessageW(edit, WM_PRINT, WPARAM(bmp->Canvas()->Handle()), PRF_NONCLIENT | PRF_CLIENT);
    const TRect v = InWindow(edit, GetVertBarRect(b.get(), edit));
    CHECK(Join(Px(*bmp, 0, 0), Px(*bmp, Centre(v).X, v.Top + 3), Px(*bmp, v.Left - 8, b->FrameLeft + 5)) ==
          Join(EditColor, Arrow, WindowColor()));
}

TEST_CASE("a tree view takes the section's hot colour as its background and erases with it")
{
    TAdapterForm f;
    HWND w = f.Child(WC_TREEVIEWW, 0, WS_EX_CLIENTEDGE, TRect(10, 10, 130, 110));
    auto a = f.Adapt<TSkTreeViewWnd>(w);
    CHECK(TColor(SendMessageW(w, TVM_GETBKCOLOR, 0, 0)) == TreeHot);
    auto bmp = CreateBmp24(40, 40);
    CHECK(SendMessageW(w, WM_ERASEBKGND, WPARAM(bmp->Canvas()->Handle()), 0) == 0);
    CHECK(Px(*bmp, 20, 20) == TreeHot);
    // The tree keeps the mouse it captured at a press; the adapter lets it go at the release.
    SetCapture(w);
    SendMessageW(w, WM_LBUTTONUP, 0, 0);
    CHECK(GetCapture() == nullptr);
}

// ---------------------------------------------------------------------------------------
// Controls of other families, as their adapters see them: only through published properties.

namespace {

// A published property Name of type T, held in the field F<Name> that starts as Init.
#define TEST_PROPERTY(T, Name, Init)                                                                   \
    T Name() const { return F##Name; }                                                                 \
    void Set##Name(T V) { F##Name = V; }                                                               \
    T F##Name = Init

class TTestColumn : public TCollectionItem {
    Z_CLASS(TTestColumn, TCollectionItem)
public:
    explicit TTestColumn(TCollection* C) : TCollectionItem(C) {}
    TFont* HeaderFont() const { return FHeaderFont.get(); }
    TFont* Font() const { return FFont.get(); }
    TEST_PROPERTY(TColor, Color, clWindow);
    TEST_PROPERTY(WideString, Text, L"");
    TEST_PROPERTY(int, Width, 50);
    std::unique_ptr<TFont> FHeaderFont = std::make_unique<TFont>(), FFont = std::make_unique<TFont>();
};
Z_CLASS_IMPL(TTestColumn, TCollectionItem, Z_PROP_OBJ(TTestColumn, HeaderFont), Z_PROP_OBJ(TTestColumn, Font),
             Z_PROP_INT(TTestColumn, Color, clWindow), Z_PROP_WSTR(TTestColumn, Text), Z_PROP_INT(TTestColumn, Width, 50))

struct TTestColumns : TOwnedCollection {
    explicit TTestColumns(TPersistent* Owner) : TOwnedCollection(Owner, TTestColumn::StaticClassInfo()) {}
    TTestColumn* Add() { return static_cast<TTestColumn*>(TCollection::Add()); }
    TTestColumn* Item(int I) const { return static_cast<TTestColumn*>(Items(I)); }
};

// A control of another family: a sunken frame, and the extra style it asks for.
class TFramedControl : public TCustomControl {
public:
    TFramedControl(TComponent* Owner, DWORD AStyle) : TCustomControl(Owner), FStyle(AStyle) {}

protected:
    void CreateParams(TCreateParams& P) override
    {
        TCustomControl::CreateParams(P);
        P.Style |= FStyle;
        P.ExStyle |= WS_EX_CLIENTEDGE;
    }
    DWORD FStyle;
};

// A grid: fixed cells, a title font, an indicator, columns. The bar's position is
// written down as each scroll request arrives.
class TTestGrid : public TFramedControl {
    Z_CLASS(TTestGrid, TCustomControl)
public:
    explicit TTestGrid(TComponent* Owner) : TFramedControl(Owner, WS_VSCROLL) {}
    TEST_PROPERTY(TColor, FixedColor, clRed);
    TEST_PROPERTY(TColor, IndicatorIconColor, clBlue);
    TFont* TitleFont() const { return FTitle.get(); }
    TTestColumns* Columns() const { return FColumns.get(); }
    std::vector<int> Positions;

protected:
    void WndProc(TMessage& M) override
    {
        if (M.Msg == WM_VSCROLL)
            Positions.push_back(GetScrollPos(Handle(), SB_VERT));
        TFramedControl::WndProc(M);
    }
    std::unique_ptr<TFont> FTitle = std::make_unique<TFont>();
    std::unique_ptr<TTestColumns> FColumns = std::make_unique<TTestColumns>(this);
};
Z_CLASS_IMPL(TTestGrid, TCustomControl, Z_PROP_INT(TTestGrid, FixedColor, clRed), Z_PROP_OBJ(TTestGrid, TitleFont),
             Z_PROP_INT(TTestGrid, IndicatorIconColor, clBlue),
             Z_PROP_OBJ(TTestGrid, Columns))

// The data-aware grid family: its columns take colours too.
class TDBAdvGrid : public TTestGrid {
    Z_CLASS(TDBAdvGrid, TTestGrid)
public:
    using TTestGrid::TTestGrid;
    TFont* FixedFont() const { return FFixedFont.get(); }
    TEST_PROPERTY(int, DataSource, 0);
    std::unique_ptr<TFont> FFixedFont = std::make_unique<TFont>();
};
Z_CLASS_IMPL(TDBAdvGrid, TTestGrid, Z_PROP_OBJ(TDBAdvGrid, FixedFont), Z_PROP_INT_ND(TDBAdvGrid, DataSource))

template <class T> std::unique_ptr<T> Place(TAdapterForm& F, const TRect& B)
{
    auto c = std::make_unique<T>(nullptr);
    c->SetParent(F.Form.get());
    c->SetBounds(B.Left, B.Top, B.Width(), B.Height());
    c->HandleNeeded();
    return c;
}

template <class T> std::unique_ptr<T> AdaptControl(TAdapterForm& F, TWinControl* C)
{
    auto a = CreateAdapter<T>(C->Handle(), nullptr, &F.Manager, "EDIT", true);
    a->AfterCreation();
    return a;
}

} // namespace

TEST_CASE("grids take the skin's colours by property name and get their own back; only the data-aware family's "
          "columns are coloured")
{
    TAdapterForm f;
    auto plain = Place<TTestGrid>(f, TRect(10, 10, 150, 100));
    auto db = Place<TDBAdvGrid>(f, TRect(160, 10, 300, 100));
    const auto columnColors = [](TTestGrid& G, int I) {
        TTestColumn* c = G.Columns()->Item(I);
        return Join(c->HeaderFont()->Color(), c->Font()->Color(), c->Color());
    };
    for (TTestGrid* g : {plain.get(), static_cast<TTestGrid*>(db.get())})
        for (int i = 0; i < 2; ++i) {
            TTestColumn* c = g->Columns()->Add();
            c->HeaderFont()->SetColor(clMaroon);
            c->Font()->SetColor(clNavy);
            c->SetColor(clYellow);
        }
    db->FixedFont()->SetColor(clPurple);
    const TColor ownTitle = plain->TitleFont()->Color();
    auto a = AdaptControl<TSkGridWnd>(f, plain.get());
    auto b = AdaptControl<TSkGridEhWnd>(f, db.get());
    const TColor global = f.Manager.GetGlobalColor(), globalFont = f.Manager.GetGlobalFontColor();
    CHECK(Join(plain->FixedColor(), plain->TitleFont()->Color(), plain->IndicatorIconColor()) ==
          Join(global, globalFont, Rgb(1, 1, 1)));
    CHECK(columnColors(*plain, 0) == Join(clMaroon, clNavy, clYellow));
    CHECK(columnColors(*db, 1) == Join(globalFont, Rgb(2, 2, 2), EditColor));
    CHECK(db->FixedFont()->Color() == globalFont);
    // A column deleted meanwhile is passed over when the colours go back.
    db->Columns()->Delete(1);
    a.reset();
    b.reset();
    CHECK(Join(plain->FixedColor(), plain->TitleFont()->Color(), plain->IndicatorIconColor()) ==
          Join(clRed, ownTitle, clBlue));
    CHECK(columnColors(*db, 0) == Join(clMaroon, clNavy, clYellow));
    CHECK(db->FixedFont()->Color() == clPurple);
}

TEST_CASE("a data-aware grid finds the thumb's place on its bar as each thumb request arrives; the final one a "
          "record further")
{
    TAdapterForm f;
    auto grid = Place<TDBAdvGrid>(f, TRect(10, 10, 150, 220));
    SCROLLINFO si{sizeof(si), SIF_ALL, 0, 100, 10, 0, 0};
    SetScrollInfo(grid->Handle(), SB_VERT, &si, TRUE);
    auto a = AdaptControl<TSkGridWnd>(f, grid.get());
    const int track = DragThumb(a.get(), SB_VERT, 30);
    REQUIRE(grid->Positions.size() >= 2);
    CHECK(Join(grid->Positions[0], grid->Positions[1]) == Join(track, track + 1));
}

namespace {

const char* const HeaderOptionNames[] = {"hoAutoResize", "hoColumnResize", "hoOwnerDraw", "hoVisible"};
enum : uint32_t { hoOwnerDraw = 1u << 2, hoVisible = 1u << 3 };
const char* const SortDirectionNames[] = {"sdAscending", "sdDescending"};

class TTestTreeHeader : public TPersistent {
    Z_CLASS(TTestTreeHeader, TPersistent)
public:
    TEST_PROPERTY(uint32_t, Options, hoVisible);
    TEST_PROPERTY(int, Height, 20);
    TEST_PROPERTY(int, SortColumn, -1);
    TEST_PROPERTY(int, SortDirection, 0);
    TTestColumns* Columns() const { return FColumns.get(); }
    std::unique_ptr<TTestColumns> FColumns = std::make_unique<TTestColumns>(this);
};
Z_CLASS_IMPL(TTestTreeHeader, TPersistent, Z_PROP_SET(TTestTreeHeader, Options, HeaderOptionNames, hoVisible),
             Z_PROP_INT(TTestTreeHeader, Height, 20), Z_PROP_INT(TTestTreeHeader, SortColumn, -1),
             Z_PROP_ENUM(TTestTreeHeader, SortDirection, SortDirectionNames, 0), Z_PROP_OBJ(TTestTreeHeader, Columns))

class TTestTreeColors : public TPersistent {
    Z_CLASS(TTestTreeColors, TPersistent)
public:
    TEST_PROPERTY(TColor, CompressedTextColor, clRed);
    TEST_PROPERTY(TColor, FileTextColor, clLime);
    TEST_PROPERTY(TColor, FolderTextColor, clBlue);
};
Z_CLASS_IMPL(TTestTreeColors, TPersistent, Z_PROP_INT(TTestTreeColors, CompressedTextColor, clRed),
             Z_PROP_INT(TTestTreeColors, FileTextColor, clLime), Z_PROP_INT(TTestTreeColors, FolderTextColor, clBlue))

// A virtual tree: its header lies in its frame, above the client area, while visible.
class TTestVirtualTree : public TFramedControl {
    Z_CLASS(TTestVirtualTree, TCustomControl)
public:
    explicit TTestVirtualTree(TComponent* Owner) : TFramedControl(Owner, 0) {}
    TTestTreeHeader* Header() const { return FHeader.get(); }
    TTestTreeColors* VETColors() const { return FColors.get(); }

protected:
    void WndProc(TMessage& M) override
    {
        TFramedControl::WndProc(M);
        if (M.Msg == WM_NCCALCSIZE && (FHeader->Options() & hoVisible))
            reinterpret_cast<RECT*>(M.LParam)->top += FHeader->Height();
    }

private:
    std::unique_ptr<TTestTreeHeader> FHeader = std::make_unique<TTestTreeHeader>();
    std::unique_ptr<TTestTreeColors> FColors = std::make_unique<TTestTreeColors>();
};
Z_CLASS_IMPL(TTestVirtualTree, TCustomControl, Z_PROP_OBJ(TTestVirtualTree, Header),
             Z_PROP_OBJ(TTestVirtualTree, VETColors))

} // namespace

TEST_CASE("a virtual tree: its text colours and owner-drawn header while adapted, its own back after; the visible "
          "header painted from the skin in its band with the sort mark")
{
    TAdapterForm f(MakeListSkin());
    auto tree = Place<TTestVirtualTree>(f, TRect(10, 10, 250, 150));
    TTestTreeHeader* h = tree->Header();
    for (const wchar_t* text : {L"Имя", L"Ελληνικά"}) {
        TTestColumn* c = h->Columns()->Add();
        c->SetText(text);
        c->SetWidth(90);
    }
    h->SetSortColumn(1);
    h->SetSortDirection(1);
    SetWindowPos(tree->Handle(), nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_FRAMECHANGED);
    TTestTreeColors* c = tree->VETColors();
    const auto colors = [&] {
        return Join(c->CompressedTextColor(), c->FileTextColor(), c->FolderTextColor(), bool(h->Options() & hoOwnerDraw));
    };
    const std::string own = colors();
    auto a = AdaptControl<TSkVirtualTreeViewWnd>(f, tree.get());
    CHECK(colors() == Join(Rgb(2, 2, 2), Rgb(2, 2, 2), Rgb(2, 2, 2), 1));
    RedrawFrame(tree->Handle());
    const TRect band = a->HeaderRect();
    CHECK(band.Height() == 20);
    auto shot = GrabWindow(tree->Handle());
    const TRect first(band.Left, band.Top, band.Left + 90, band.Bottom), second(first.Right, band.Top, first.Right + 90, band.Bottom);
    CHECK(Join(Px(*shot, first.Right - 3, band.Top + 3), CountColor(*shot, first, DownMark) + CountColor(*shot, first, UpMark),
               CountColor(*shot, second, DownMark) > 0, CountColor(*shot, first, HeaderText) > 0) == Join(HeaderColor, 0, 1, 1));
    a.reset();
    CHECK(colors() == own);
}

TEST_CASE("the MDI client shows the form's picture at its place in the form, client and frame")
{
    TAdapterForm f;
    RECT fw{};
    GetWindowRect(f.Form->Handle(), &fw);
    TzCommonData formData(nullptr, true);
    const auto picture = [](int X, int Y) { return Rgb(X & 0xFF, Y & 0xFF, 0x60); };
    formData.CacheBmp()->Assign(MakeBmp24(fw.right - fw.left, fw.bottom - fw.top, picture).get());
    CLIENTCREATESTRUCT ccs{nullptr, 0xFF00};
    HWND mdi = CreateWindowExW(WS_EX_CLIENTEDGE, L"MDICLIENT", nullptr, WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 20, 30, 200,
                               150, f.Form->Handle(), nullptr, GetModuleHandleW(nullptr), &ccs);
    REQUIRE(mdi);
    auto a = CreateAdapter<TSkMDIWnd>(mdi, nullptr, &f.Manager, "EDIT", true, &formData);
    RedrawWindow(mdi, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_UPDATENOW);
    RECT mw{};
    GetWindowRect(mdi, &mw);
    const TPoint at(mw.left - fw.left, mw.top - fw.top);
    CHECK(a->BackgroundOffset().X == at.X);
    for (const TPoint p : {TPoint(0, 0), TPoint(1, 40), TPoint(30, 20), TPoint(150, 100)})
        CHECK(WindowPx(mdi, p.X, p.Y) == picture(at.X + p.X, at.Y + p.Y));
    DestroyWindow(mdi);
}

TEST_CASE("a popup menu window's adapter: its answers, the menu section behind the items once a skinned item was "
          "drawn, and it goes with its window")
{
    TAdapterForm f(MakeListSkin());
    HWND w = CreateWindowExW(0, L"#32768", L"", WS_POPUP, 100, 100, 120, 80, f.Form->Handle(), nullptr,
                             GetModuleHandleW(nullptr), nullptr);
    REQUIRE(w);
    TSkMnuWnd* a = TSkMnuWnd::AdaptMenuWindow(w, &f.Manager);
    REQUIRE(a);
    CHECK(TSkMnuWnd::AdaptMenuWindow(w, &f.Manager) == nullptr);
    TSkAliveToken alive(a);
    SendCommandToWindow(w, SKCMD_ENDPARENTUPDATE, 0);   // hidden: nothing painted
    CHECK(Join(SendCommandToWindow(w, SKCMD_ISSKINNED, 0), SendCommandToWindow(w, SKCMD_NEWSKIN, 0)) == Join(1, 0));
    auto bmp = Filled24(120, 80, Rgb(1, 2, 3));
    SendMessageW(w, WM_ERASEBKGND, WPARAM(bmp->Canvas()->Handle()), 0);
    CHECK(Px(*bmp, 60, 40) == Rgb(1, 2, 3));
    PopupMenuSeam.ItemDrawn = true;
    static int resets = 0;
    PopupMenuSeam.ResetPopupState = [] { ++resets; };
    SendMessageW(w, WM_ERASEBKGND, WPARAM(bmp->Canvas()->Handle()), 0);
    CHECK(Px(*bmp, 60, 40) == MenuColor);
    DestroyWindow(w);
    CHECK(Join(alive(), PopupMenuSeam.ItemDrawn, resets) == Join(0, 0, 1));
    PopupMenuSeam = TzPopupMenuSeam{};
}
