// Combo boxes and list views under their adapters: the combo box's button in its states with
// the combo glyph and the selected text, item texts read in full, the list adapted at its
// first colour message and the capture rule of its bars; the list view's header painted from
// the skin with its pressed item, sort marks and wide texts, still skinned when the header is
// made again, and the list scrolled from the thumb in every view.
#include "adapterfixtures.h"

#include "unicode/ucsystem.h"

#include <commctrl.h>
#include <doctest.h>

using namespace adapt;

namespace {

// A report list view with columns of these texts (120 pixels wide) and Rows items.
HWND ReportList(TAdapterForm& F, std::initializer_list<const wchar_t*> Columns, int Rows, DWORD View = LVS_REPORT,
                const TRect& B = TRect(10, 10, 400, 200))
{
    HWND w = F.Child(WC_LISTVIEWW, View, WS_EX_CLIENTEDGE, B);
    int i = 0;
    for (const wchar_t* text : Columns) {
        LVCOLUMNW c{};
        c.mask = LVCF_TEXT | LVCF_WIDTH;
        c.cx = 120;
        c.pszText = const_cast<wchar_t*>(text);
        SendMessageW(w, LVM_INSERTCOLUMNW, WPARAM(i++), LPARAM(&c));
    }
    for (int r = 0; r < Rows; ++r) {
        WideString text = L"row " + std::to_wstring(r);
        LVITEMW it{};
        it.mask = LVIF_TEXT;
        it.iItem = r;
        it.pszText = text.data();
        SendMessageW(w, LVM_INSERTITEMW, 0, LPARAM(&it));
    }
    return w;
}

void SetHeaderFormat(HWND Header, int Index, int Format)
{
    HDITEMW h{};
    h.mask = HDI_FORMAT;
    SendMessageW(Header, HDM_GETITEMW, WPARAM(Index), LPARAM(&h));
    h.fmt |= Format;
    SendMessageW(Header, HDM_SETITEMW, WPARAM(Index), LPARAM(&h));
}

} // namespace

TEST_CASE("a drop-down list combo box: its face from the section, the button in its state with the combo glyph, "
          "the selected text on the highlight while focused, read in full from wide and ANSI combo boxes")
{
    TAdapterForm f(MakeListSkin());
    HWND w = f.Child(L"COMBOBOX", CBS_DROPDOWNLIST | WS_VSCROLL, 0, TRect(10, 10, 170, 200));
    // Longer than any buffer a fixed guess would take, and with a letter outside code page 1251.
    const WideString longText = WideString(600, L'ж') + L"\u03A9";
    for (const wchar_t* s : {L"Один", L"Δύο", L"Three", longText.c_str()})
        SendMessageW(w, CB_ADDSTRING, 0, LPARAM(s));
    SendMessageW(w, CB_SETCURSEL, 1, 0);
    auto a = f.Adapt<TSkComboBoxWnd>(w, "COMBOBOX");
    RECT c{};
    GetClientRect(w, &c);
    const TRect b = a->ButtonRect();
    const int bw = GetSystemMetrics(SM_CXVSCROLL);
    CHECK(Shown(b) == Shown(TRect(c.right - 2 - bw, 2, c.right - 2, c.bottom - 2)));
    const TRect text(3, 3, b.Left - 1, c.bottom - 3);
    const auto shot = [&] {
        RedrawWindow(w, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
        return GrabWindow(w);
    };
    SetFocus(f.Form->Handle());
    auto s = shot();
    CHECK(Join(Px(*s, b.Left + 1, b.Top + 1), Px(*s, Centre(b).X, Centre(b).Y)) == Join(ComboBtn[0], ComboGlyph));
    CHECK(Join(Px(*s, 1, 1), Px(*s, text.Right - 2, text.Top + 2)) == Join(ComboColor, ComboColor));
    CHECK(CountColor(*s, text, clBlack) > 0);
    SetFocus(w);
    s = shot();
    CHECK(Join(Px(*s, b.Left + 1, b.Top + 1), Px(*s, Centre(b).X, Centre(b).Y), Px(*s, text.Right - 2, text.Top + 2)) ==
          Join(ComboBtn[1], ComboGlyph, TColor(GetSysColor(COLOR_HIGHLIGHT))));
    SendMessageW(w, CB_SHOWDROPDOWN, TRUE, 0);
    s = shot();
    CHECK(Px(*s, b.Left + 1, b.Top + 1) == ComboBtn[2]);
    SendMessageW(w, CB_SHOWDROPDOWN, FALSE, 0);
    SendMessageW(w, CB_SETCURSEL, 3, 0);
    CHECK(a->SelectedText() == longText);
    HWND ansi = f.Child(L"COMBOBOX", CBS_DROPDOWNLIST, 0, TRect(10, 40, 170, 200), true);
    SendMessageA(ansi, CB_ADDSTRING, 0, LPARAM(ConvertFromWide(L"Привет", 1251).c_str()));   // the test code page
    auto fromAnsi = f.Adapt<TSkComboBoxWnd>(ansi, "COMBOBOX");
    CHECK(fromAnsi->SelectedText().empty());
    SendMessageA(ansi, CB_SETCURSEL, 0, 0);
    CHECK(fromAnsi->SelectedText() == L"Привет");
}

TEST_CASE("a combo box adapts its list at the list's first colour message, its texts in the list section's font "
          "colour; a press on the bar of an open drop-down list keeps the capture, a simple combo box's list lets it go")
{
    TAdapterForm f(MakeListSkin());
    for (const bool simple : {false, true}) {
        CAPTURE(simple);
        HWND w = f.Child(L"COMBOBOX", (simple ? CBS_SIMPLE : CBS_DROPDOWN) | WS_VSCROLL, 0, TRect(10, 10, 170, 150));
        for (int i = 0; i < 40; ++i)
            SendMessageW(w, CB_ADDSTRING, 0, LPARAM((L"item " + std::to_wstring(i)).c_str()));
        auto a = f.Adapt<TSkComboBoxWnd>(w, "COMBOBOX");
        if (!simple) {
            CHECK(a->ListAdapter == nullptr);
            SendMessageW(w, CB_SHOWDROPDOWN, TRUE, 0);
        }
        TAdapterForm::Pump();
        COMBOBOXINFO info{};
        info.cbSize = sizeof(info);
        GetComboBoxInfo(w, &info);
        const HWND list = info.hwndList;
        REQUIRE(a->ListAdapter);
        TSkComboListWnd* la = a->ListAdapter.get();
        CHECK(Join(a->ListHandle == list, FindWindowAdapter(list) == la, la->SimpleCombo, la->VertBar->Visible) ==
              Join(1, 1, simple, 1));
        CHECK(a->ButtonRect().Width() == (simple ? 0 : GetSystemMetrics(SM_CXVSCROLL)));
        TMemoryDC dc(nullptr);
        SendMessageW(w, WM_CTLCOLORLISTBOX, WPARAM(dc.Handle()), LPARAM(list));
        CHECK(TColor(GetTextColor(dc.Handle())) == Rgb(1, 1, 1));
        RedrawWindow(w, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN | RDW_FRAME);
        const TRect v = GetVertBarRect(la, list), shown = InWindow(list, v);
        CHECK(WindowPx(list, Centre(shown).X, shown.Top + 1) == Arrow);
        // The combo box's edit paints itself beside the skinned button.
        if (!simple)
            CHECK(Join(WindowPx(w, a->ButtonRect().Left + 1, 3), WindowPx(info.hwndItem, 1, 1)) ==
                  Join(ComboBtn[2], TColor(GetSysColor(COLOR_WINDOW))));
        const TPoint arrow(Centre(v).X, v.Bottom - 3);
        if (simple) {
            SendMessageW(list, WM_NCLBUTTONDOWN, HTVSCROLL, ScreenParam(arrow));
        } else {
            // An open list holds the capture and gets the press in its client coordinates; it
            // passes the part on its bar on itself.
            CHECK(GetCapture() == list);
            SendMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON, ClientParam(list, arrow));
        }
        CHECK(SendMessageW(list, LB_GETTOPINDEX, 0, 0) == 1);
        SendMessageW(list, WM_LBUTTONUP, 0, ClientParam(list, arrow));
        CHECK(Join(GetCapture() == list, SendMessageW(w, CB_GETDROPPEDSTATE, 0, 0) != 0) == Join(!simple, !simple));
        SendMessageW(w, CB_SHOWDROPDOWN, FALSE, 0);
        ReleaseCapture();
        DestroyWindow(w);
    }
}

namespace {

// A report list view of three columns under an adapter, the first sorted up and the second
// down, and its header's items.
struct THeaderFixture {
    TAdapterForm f{MakeListSkin()};
    HWND w = ReportList(f, {L"Имя", L"Ελληνικά", L"Plain"}, 5);
    HWND header = reinterpret_cast<HWND>(SendMessageW(w, LVM_GETHEADER, 0, 0));
    std::unique_ptr<TSkListViewWnd> a;
    TzHeaderItem items[3];
    THeaderFixture()
    {
        SetHeaderFormat(header, 0, HDF_SORTUP);
        SetHeaderFormat(header, 1, HDF_SORTDOWN);
        a = f.Adapt<TSkListViewWnd>(w);
        REQUIRE(a->HeaderHandle() == header);
        for (int i = 0; i < 3; ++i)
            REQUIRE(ReadHeaderItem(header, i, items[i]));
        UpdateWindow(header);
    }
};

} // namespace

TEST_CASE("a report list view's header from the skin: its items' faces and texts, sort marks 6 pixels after the "
          "text, the pressed item until the release")
{
    THeaderFixture x;
    auto& [f, w, header, a, items] = x;
    CHECK(Join(items[0].Text, items[1].Text == L"Ελληνικά", bool(items[0].Format & HDF_SORTUP)) ==
          Join(WideString(L"Имя"), 1, 1));
    auto shot = GrabWindow(header);
    const int h = items[0].Rect.Height();
    // The mark's middle: after the left padding, the text and 6 pixels, the 6-pixel glyph centred.
    const auto markAt = [&](int I) {
        return TPoint(items[I].Rect.Left + 6 + TextWidth(header, items[I].Text) + 6 + 3, (h - 6) / 2 + 3);
    };
    CHECK(Join(Px(*shot, markAt(0).X, markAt(0).Y), Px(*shot, markAt(1).X, markAt(1).Y)) == Join(UpMark, DownMark));
    CHECK(CountColor(*shot, items[2].Rect, UpMark) + CountColor(*shot, items[2].Rect, DownMark) == 0);
    CHECK(Join(Px(*shot, items[2].Rect.Right - 3, 3), CountColor(*shot, items[0].Rect, HeaderText) > 0) ==
          Join(HeaderColor, 1));
    const TPoint third = Centre(items[2].Rect);
    SendMessageW(header, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(third.X, third.Y));
    UpdateWindow(header);
    CHECK(Join(a->PressedItem, WindowPx(header, items[2].Rect.Right - 3, 3)) == Join(2, HeaderHot));
    SendMessageW(header, WM_LBUTTONUP, 0, MAKELPARAM(third.X, third.Y));
    UpdateWindow(header);
    CHECK(Join(a->PressedItem, WindowPx(header, items[2].Rect.Right - 3, 3)) == Join(-1, HeaderColor));
}

TEST_CASE("header items: the image at the left, texts longer than any first guess read whole, a nonsense width "
          "painted where it shows; the header printed with the list")
{
    THeaderFixture x;
    auto& [f, w, header, a, items] = x;
    HIMAGELIST images = ImageList_Create(8, 8, ILC_COLOR24, 1, 0);
    auto picture = Filled24(8, 8, ComboGlyph);
    ImageList_Add(images, picture->Handle(), nullptr);
    SendMessageW(header, HDM_SETIMAGELIST, 0, LPARAM(images));
    HDITEMW image{};
    image.mask = HDI_FORMAT | HDI_IMAGE;
    image.fmt = HDF_LEFT | HDF_STRING | HDF_IMAGE;
    SendMessageW(header, HDM_SETITEMW, 2, LPARAM(&image));
    RedrawWindow(header, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    CHECK(WindowPx(header, items[2].Rect.Left + 6 + 4, items[2].Rect.Height() / 2) == ComboGlyph);
    const WideString longText = WideString(300, L'ю') + L"\u03C9";
    HDITEMW set{};
    set.mask = HDI_TEXT;
    set.pszText = const_cast<wchar_t*>(longText.c_str());
    SendMessageW(header, HDM_SETITEMW, 2, LPARAM(&set));
    TzHeaderItem again;
    REQUIRE(ReadHeaderItem(header, 2, again));
    CHECK(again.Text == longText);
    HDITEMW wide{};
    wide.mask = HDI_WIDTH;
    wide.cxy = 10000000;
    SendMessageW(header, HDM_SETITEMW, 2, LPARAM(&wide));
    RedrawWindow(header, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    RECT hc{};
    GetClientRect(header, &hc);
    CHECK(WindowPx(header, hc.right - 3, 3) == HeaderColor);
    RECT wr{};
    GetWindowRect(w, &wr);
    auto print = CreateBmp24(wr.right - wr.left, wr.bottom - wr.top);
    SendMessageW(w, WM_PRINT, WPARAM(print->Canvas()->Handle()), PRF_NONCLIENT | PRF_CLIENT);
    CHECK(Px(*print, a->FrameLeft + items[0].Rect.Right - 3, a->FrameTop + 3) == HeaderColor);
    SendMessageW(header, HDM_SETIMAGELIST, 0, 0);
    ImageList_Destroy(images);
}

TEST_CASE("a header made when the list view turns to report view is hooked and painted from the skin")
{
    TAdapterForm f(MakeListSkin());
    HWND w = ReportList(f, {}, 3, LVS_ICON);
    auto a = f.Adapt<TSkListViewWnd>(w);
    SetWindowLongW(w, GWL_STYLE, (GetWindowLongW(w, GWL_STYLE) & ~LVS_TYPEMASK) | LVS_REPORT);
    LVCOLUMNW c{};
    c.mask = LVCF_TEXT | LVCF_WIDTH;
    c.cx = 100;
    c.pszText = const_cast<wchar_t*>(L"Столбец");
    SendMessageW(w, LVM_INSERTCOLUMNW, 0, LPARAM(&c));
    const HWND header = reinterpret_cast<HWND>(SendMessageW(w, LVM_GETHEADER, 0, 0));
    REQUIRE(header);
    CHECK(a->HeaderHandle() == header);
    RedrawWindow(header, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    CHECK(WindowPx(header, 95, 3) == HeaderColor);
}

TEST_CASE("dragging a list view's thumb scrolls it to the thumb's place, in every view and on either bar")
{
    TAdapterForm f;
    const struct {
        DWORD View;
        int Bar;
        int Rows;
    } cases[] = {{LVS_REPORT, SB_VERT, 100}, {LVS_REPORT, SB_HORZ, 3}, {LVS_LIST, SB_HORZ, 300}, {LVS_ICON, SB_VERT, 300}};
    for (const auto& c : cases) {
        CAPTURE(c.View);
        CAPTURE(c.Bar);
        HWND w = ReportList(f, {L"A", L"B", L"C", L"D", L"E"}, c.Rows, c.View);
        auto a = f.Adapt<TSkListViewWnd>(w);
        const int asked = DragThumb(a.get(), c.Bar, 40);
        CHECK(GetScrollPos(w, c.Bar) == asked);
        DestroyWindow(w);
    }
}
