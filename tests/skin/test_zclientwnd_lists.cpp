// Combo boxes and list views under their adapters: the combo box's button in its states with
// the combo glyph and the selected text, item texts read in full, the list adapted at its
// first colour message and the capture rule of its bars; the list view's header painted from
// the skin with its pressed item, sort marks and wide texts, still skinned when the header is
// made again, and the report scrolled by whole items from the thumb.
#include "adapterfixtures.h"

#include "skin/zsectionpaint.h"
#include "support/screenshot.h"
#include "unicode/ucsystem.h"

#include <commctrl.h>
#include <doctest.h>

using namespace adapt;

namespace {

void AddItems(HWND Combo, int Count)
{
    for (int i = 0; i < Count; ++i)
        SendMessageW(Combo, CB_ADDSTRING, 0, LPARAM((L"item " + std::to_wstring(i)).c_str()));
}

// A report list view with columns of these texts (120 pixels wide) and Rows items.
HWND ReportList(TAdapterForm& F, std::initializer_list<const wchar_t*> Columns, int Rows, DWORD View = LVS_REPORT,
                const TRect& B = TRect(10, 10, 400, 200))
{
    INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&icc);
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
        const WideString text = L"row " + std::to_wstring(r);
        LVITEMW it{};
        it.mask = LVIF_TEXT;
        it.iItem = r;
        it.pszText = const_cast<wchar_t*>(text.c_str());
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

int TextWidth(HWND Wnd, const WideString& Text)
{
    TClientDC dc(Wnd);
    TSelectObject font(dc.Handle(), reinterpret_cast<HFONT>(SendMessageW(Wnd, WM_GETFONT, 0, 0)));
    SIZE s{};
    GetTextExtentPoint32W(dc.Handle(), Text.c_str(), int(Text.size()), &s);
    return s.cx;
}

} // namespace

TEST_CASE("a drop-down list combo box: its face from the section, the button in its state with the combo glyph, "
          "the selected text on the highlight while focused")
{
    TAdapterForm f(MakeListSkin());
    HWND w = f.Child(L"COMBOBOX", CBS_DROPDOWNLIST | WS_VSCROLL, 0, TRect(10, 10, 170, 200));
    for (const wchar_t* s : {L"Один", L"Δύο", L"Three"})
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
    CHECK(Join(Px(*s, b.Left + 1, b.Top + 1), Px(*s, Centre(b).X, Centre(b).Y), Px(*s, 1, 1),
               Px(*s, text.Right - 2, text.Top + 2), CountColor(*s, text, clBlack) > 0) ==
          Join(ComboBtn[0], ComboGlyph, ComboColor, ComboColor, 1));
    SetFocus(w);
    s = shot();
    CHECK(Join(Px(*s, b.Left + 1, b.Top + 1), Px(*s, Centre(b).X, Centre(b).Y), Px(*s, text.Right - 2, text.Top + 2)) ==
          Join(ComboBtn[1], ComboGlyph, TColor(GetSysColor(COLOR_HIGHLIGHT))));
    SendMessageW(w, CB_SHOWDROPDOWN, TRUE, 0);
    s = shot();
    CHECK(Px(*s, b.Left + 1, b.Top + 1) == ComboBtn[2]);
    SendMessageW(w, CB_SHOWDROPDOWN, FALSE, 0);
}

TEST_CASE("a combo box's selected text is read in full: wide from a Unicode combo box, through the code page from "
          "an ANSI one")
{
    TAdapterForm f;
    // Longer than any buffer a fixed guess would take, and with a letter outside code page 1251.
    const WideString longText = WideString(600, L'ж') + L"\u03A9";
    HWND wide = f.Child(L"COMBOBOX", CBS_DROPDOWNLIST, 0, TRect(10, 10, 170, 200));
    SendMessageW(wide, CB_ADDSTRING, 0, LPARAM(L"Ελληνικά"));
    SendMessageW(wide, CB_ADDSTRING, 0, LPARAM(longText.c_str()));
    HWND ansi = f.Child(L"COMBOBOX", CBS_DROPDOWNLIST, 0, TRect(10, 40, 170, 200), true);
    const AnsiString cyrillic = ConvertFromWide(L"Привет", 1251);   // the test prefix's code page
    SendMessageA(ansi, CB_ADDSTRING, 0, LPARAM(cyrillic.c_str()));
    auto a = f.Adapt<TSkComboBoxWnd>(wide, "COMBOBOX");
    auto b = f.Adapt<TSkComboBoxWnd>(ansi, "COMBOBOX");
    CHECK(a->SelectedText().empty());
    SendMessageW(wide, CB_SETCURSEL, 1, 0);
    SendMessageW(ansi, CB_SETCURSEL, 0, 0);
    CHECK(a->SelectedText() == longText);
    CHECK(b->SelectedText() == L"Привет");
}

TEST_CASE("a drop-down combo box adapts its list at the list's first colour message: the list's texts in its "
          "section's font colour, its bars skinned")
{
    TAdapterForm f(MakeListSkin());
    HWND w = f.Child(L"COMBOBOX", CBS_DROPDOWN | WS_VSCROLL, 0, TRect(10, 10, 170, 150));
    AddItems(w, 30);
    auto a = f.Adapt<TSkComboBoxWnd>(w, "COMBOBOX");
    CHECK(a->ListAdapter == nullptr);
    SendMessageW(w, CB_SHOWDROPDOWN, TRUE, 0);
    TAdapterForm::Pump();
    COMBOBOXINFO info{};
    info.cbSize = sizeof(info);
    GetComboBoxInfo(w, &info);
    REQUIRE(a->ListAdapter);
    TSkComboListWnd* list = a->ListAdapter.get();
    CHECK(Join(a->ListHandle == info.hwndList, FindWindowAdapter(info.hwndList) == list, list->SimpleCombo,
               list->VertBar->Visible) == "1 1 0 1");
    TMemoryDC dc(nullptr);
    SendMessageW(w, WM_CTLCOLORLISTBOX, WPARAM(dc.Handle()), LPARAM(info.hwndList));
    CHECK(TColor(GetTextColor(dc.Handle())) == Rgb(1, 1, 1));
    // The combo box's edit paints itself beside the skinned button.
    RedrawWindow(w, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    const TRect b = a->ButtonRect();
    CHECK(Join(WindowPx(w, b.Left + 1, b.Top + 1), WindowPx(info.hwndItem, 1, 1)) ==
          Join(ComboBtn[2], TColor(GetSysColor(COLOR_WINDOW))));
    UpdateWindow(info.hwndList);
    RedrawFrame(info.hwndList);
    const TRect v = InWindow(info.hwndList, GetVertBarRect(list, info.hwndList));
    CHECK(WindowPx(info.hwndList, Centre(v).X, v.Top + 1) == Arrow);
    SendMessageW(w, CB_SHOWDROPDOWN, FALSE, 0);
}

TEST_CASE("a press on the bar of an open drop-down list keeps the list's capture; a simple combo box's list lets it "
          "go")
{
    TAdapterForm f(MakeListSkin());
    for (const bool simple : {false, true}) {
        CAPTURE(simple);
        HWND w = f.Child(L"COMBOBOX", (simple ? CBS_SIMPLE : CBS_DROPDOWNLIST) | WS_VSCROLL, 0, TRect(10, 10, 170, 150));
        AddItems(w, 40);
        auto a = f.Adapt<TSkComboBoxWnd>(w, "COMBOBOX");
        if (!simple)
            SendMessageW(w, CB_SHOWDROPDOWN, TRUE, 0);
        TAdapterForm::Pump();
        REQUIRE(a->ListAdapter);
        CHECK(a->ButtonRect().Width() == (simple ? 0 : GetSystemMetrics(SM_CXVSCROLL)));
        const HWND list = a->ListHandle;
        TSkComboListWnd* la = a->ListAdapter.get();
        REQUIRE(la->VertBar->Visible);
        const TRect v = GetVertBarRect(la, list);
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
        CHECK(Join(GetCapture() == list, SendMessageW(w, CB_GETDROPPEDSTATE, 0, 0) != 0) ==
              (simple ? "0 0" : "1 1"));
        SendMessageW(w, CB_SHOWDROPDOWN, FALSE, 0);
        ReleaseCapture();
        DestroyWindow(w);
    }
}

TEST_CASE("a report list view's header from the skin: items, the pressed item, sort marks 6 pixels after the text, "
          "wide texts read in full; printed with the list")
{
    TAdapterForm f(MakeListSkin());
    const WideString longText = WideString(300, L'ю') + L"\u03C9";
    HWND w = ReportList(f, {L"Имя", L"Ελληνικά", L"Plain"}, 5);
    const HWND header = reinterpret_cast<HWND>(SendMessageW(w, LVM_GETHEADER, 0, 0));
    SetHeaderFormat(header, 0, HDF_SORTUP);
    SetHeaderFormat(header, 1, HDF_SORTDOWN);
    auto a = f.Adapt<TSkListViewWnd>(w);
    REQUIRE(a->HeaderHandle() == header);
    TzHeaderItem items[3];
    for (int i = 0; i < 3; ++i)
        REQUIRE(ReadHeaderItem(header, i, items[i]));
    CHECK(Join(items[0].Text, items[1].Text == L"Ελληνικά", bool(items[0].Format & HDF_SORTUP)) == Join(WideString(L"Имя"), 1, 1));
    UpdateWindow(header);
    auto shot = GrabWindow(header);
    const int h = items[0].Rect.Height();
    // The mark's middle: after the left padding, the text and 6 pixels, the 6-pixel glyph centred.
    const auto markAt = [&](int I) {
        return TPoint(items[I].Rect.Left + 6 + TextWidth(header, items[I].Text) + 6 + 3, (h - 6) / 2 + 3);
    };
    CHECK(Join(Px(*shot, markAt(0).X, markAt(0).Y), Px(*shot, markAt(1).X, markAt(1).Y)) == Join(UpMark, DownMark));
    CHECK(Join(CountColor(*shot, items[2].Rect, UpMark) + CountColor(*shot, items[2].Rect, DownMark),
               Px(*shot, items[2].Rect.Right - 3, 3), CountColor(*shot, items[0].Rect, HeaderText) > 0) ==
          Join(0, HeaderColor, 1));
    // A press on an item shows it pressed until the button goes up.
    const TPoint third = Centre(items[2].Rect);
    SendMessageW(header, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(third.X, third.Y));
    UpdateWindow(header);
    CHECK(Join(a->PressedItem, WindowPx(header, items[2].Rect.Right - 3, 3)) == Join(2, HeaderHot));
    SendMessageW(header, WM_LBUTTONUP, 0, MAKELPARAM(third.X, third.Y));
    UpdateWindow(header);
    CHECK(Join(a->PressedItem, WindowPx(header, items[2].Rect.Right - 3, 3)) == Join(-1, HeaderColor));
    // The header's images at the item's left.
    HIMAGELIST images = ImageList_Create(8, 8, ILC_COLOR24, 1, 0);
    auto picture = Filled24(8, 8, ComboGlyph);
    ImageList_Add(images, picture->Handle(), nullptr);
    SendMessageW(header, HDM_SETIMAGELIST, 0, LPARAM(images));
    HDITEMW image{};
    image.mask = HDI_FORMAT | HDI_IMAGE;
    image.fmt = HDF_LEFT | HDF_STRING | HDF_IMAGE;
    SendMessageW(header, HDM_SETITEMW, 2, LPARAM(&image));
    RedrawWindow(header, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    CHECK(WindowPx(header, items[2].Rect.Left + 6 + 4, h / 2) == ComboGlyph);
    // Texts longer than any first guess come back whole.
    HDITEMW set{};
    set.mask = HDI_TEXT;
    set.pszText = const_cast<wchar_t*>(longText.c_str());
    SendMessageW(header, HDM_SETITEMW, 2, LPARAM(&set));
    TzHeaderItem again;
    REQUIRE(ReadHeaderItem(header, 2, again));
    CHECK(again.Text == longText);
    // A column of a nonsense width is painted where it shows.
    HDITEMW wide{};
    wide.mask = HDI_WIDTH;
    wide.cxy = 10000000;
    SendMessageW(header, HDM_SETITEMW, 2, LPARAM(&wide));
    RedrawWindow(header, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    RECT hc{};
    GetClientRect(header, &hc);
    CHECK(WindowPx(header, hc.right - 3, 3) == HeaderColor);
    // Printed: the header at its place in the list.
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
    const HWND before = reinterpret_cast<HWND>(SendMessageW(w, LVM_GETHEADER, 0, 0));
    SetWindowLongW(w, GWL_STYLE, (GetWindowLongW(w, GWL_STYLE) & ~LVS_TYPEMASK) | LVS_REPORT);
    LVCOLUMNW c{};
    c.mask = LVCF_TEXT | LVCF_WIDTH;
    c.cx = 100;
    c.pszText = const_cast<wchar_t*>(L"Столбец");
    SendMessageW(w, LVM_INSERTCOLUMNW, 0, LPARAM(&c));
    const HWND header = reinterpret_cast<HWND>(SendMessageW(w, LVM_GETHEADER, 0, 0));
    REQUIRE(header);
    MESSAGE("header before report view: ", before != nullptr, ", made again: ", before != header);
    CHECK(a->HeaderHandle() == header);
    RedrawWindow(header, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    CHECK(WindowPx(header, 95, 3) == HeaderColor);
}

TEST_CASE("dragging the thumb of a report scrolls it by whole items to the thumb's place")
{
    TAdapterForm f;
    HWND w = ReportList(f, {L"A"}, 100);
    auto a = f.Adapt<TSkListViewWnd>(w);
    RefreshScrollInfo(a.get(), false);
    const SCROLLINFO si = a->VertBar->ScrollInfo;
    REQUIRE(si.nMax == 99);
    const TRect v = GetVertBarRect(a.get(), w);
    const TSkThumbGeometry g = GetThumbGeometry(a->VertBar.get(), v);
    const int arrow = GetScrollMetric(a->VertBar.get(), 0, true);
    const TPoint grab(Centre(v).X, g.Pos + g.Length / 2);
    SendMessageW(w, WM_NCLBUTTONDOWN, HTVSCROLL, ScreenParam(grab));
    const int room = v.Height() - 2 * arrow - g.Length;
    const int moved = MulDiv(g.Pos - v.Top - arrow + 40, si.nMax - si.nMin - int(si.nPage) + 1, room);
    SendMessageW(w, WM_MOUSEMOVE, MK_LBUTTON, ClientParam(w, TPoint(grab.X, grab.Y + 40)));
    CHECK(SendMessageW(w, LVM_GETTOPINDEX, 0, 0) == moved);
    SendMessageW(w, WM_LBUTTONUP, 0, 0);
    CHECK(Join(SendMessageW(w, LVM_GETTOPINDEX, 0, 0), a->ThumbTracking) == Join(moved, 0));
}

TEST_CASE("our skin on a combo box and a report list view")
{
    TAdapterForm f;
    auto dawn = LoadDawn();
    HWND combo = f.Child(L"COMBOBOX", CBS_DROPDOWNLIST | WS_VSCROLL, 0, TRect(10, 10, 200, 200));
    for (const wchar_t* s : {L"Первый", L"Δεύτερο"})
        SendMessageW(combo, CB_ADDSTRING, 0, LPARAM(s));
    SendMessageW(combo, CB_SETCURSEL, 0, 0);
    HWND list = ReportList(f, {L"Имя", L"Ελληνικά"}, 30, LVS_REPORT, TRect(10, 50, 300, 250));
    const HWND header = reinterpret_cast<HWND>(SendMessageW(list, LVM_GETHEADER, 0, 0));
    SetHeaderFormat(header, 0, HDF_SORTUP);
    auto a = CreateAdapter<TSkComboBoxWnd>(combo, nullptr, dawn.get(), "COMBOBOX", true);
    auto b = CreateAdapter<TSkListViewWnd>(list, nullptr, dawn.get(), "EDIT", true);
    a->AfterCreation();
    b->AfterCreation();
    RedrawWindow(f.Form->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
    CreateDirectoryW(BuildPath("screenshots").c_str(), nullptr);
    SaveWindowPng(f.Form->Handle(), (std::string(ZANDREL_BUILD_DIR).substr(2) + "/screenshots/adapters-lists-dawn.png").c_str());
    // The header's face is the skin's column header: its gradient's colours, not the system's.
    const int section = ColumnHeaderSection(dawn.get());
    REQUIRE(section >= 0);
    TzHeaderItem it;
    REQUIRE(ReadHeaderItem(header, 1, it));
    auto shot = GrabWindow(header);
    auto model = CreateBmp24(it.Rect.Width(), it.Rect.Height());
    PaintSectionByIndex(section, dawn.get(), model.get(), TzCacheInfo{}, TRect(0, 0, model->Width(), model->Height()), psNormal, true);
    CHECK(Px(*shot, it.Rect.Right - 4, it.Rect.Height() / 2) == Px(*model, model->Width() - 4, model->Height() / 2));
}
