// The skinned combo box: read-only by every key, the wheel and the press in both list and
// edit styles (its key events still run, a list opened by the program closes again); list
// rows drawn with their own wide texts while the box's text is empty; its picture with the
// button in its states and the current Greek item; a long drop-down list under its adapter,
// scrolled from the skinned bar.
#include "skinctlfixture.h"

#include "skin/adapterfixtures.h"
#include "skin/zclientwnd.h"
#include "skin/zsectionpaint.h"
#include "skinctl/zcombobox.h"

namespace {

const wchar_t* const Names[] = {L"Алёна", L"Ελένη", L"Дмитрий", L"Γιώργος", L"Ольга"};

struct TComboFixture : TSkinFixture {
    TzComboBox* Combo = Place<TzComboBox>(Form, 20, 20, 200, 24);
    int Keys = 0;
    explicit TComboFixture(const wchar_t* Skin = L"ZandrelDawn") : TSkinFixture(Skin)
    {
        for (const wchar_t* n : Names)
            Combo->Items()->Add(n);
        Combo->OnKeyDown = MakeMethod<&TComboFixture::KeyDown>(this);
        Show();
    }
    void KeyDown(TObject*, uint16_t&, TShiftState) { ++Keys; }
    // The value as the box holds it: the current item and the text.
    AnsiString Value() { return Join(Combo->ItemIndex(), WideToUtf8(Combo->Text())); }
};

} // namespace

TEST_CASE("a read-only combo box: no key, wheel or press changes its value or opens its list, in either style")
{
    TComboFixture f;
    TzComboBox* c = f.Combo;
    for (TComboBoxStyle style : {csDropDownList, csDropDown}) {
        CAPTURE(int(style));
        c->SetStyle(style);
        c->SetItemIndex(1);
        c->SetReadOnly(true);
        FocusOn(c);
        // The keys go where the focus is: the box itself, or its edit.
        const HWND keys = style == csDropDown ? c->EditHandle() : c->Handle();
        REQUIRE(GetFocus() == keys);
        const AnsiString before = f.Value();
        for (WPARAM key : {WPARAM(VK_DOWN), WPARAM(VK_UP), WPARAM(VK_HOME), WPARAM(VK_END), WPARAM(VK_NEXT),
                           WPARAM(VK_PRIOR), WPARAM(VK_F4), WPARAM(VK_DELETE)})
            SendMessageW(keys, WM_KEYDOWN, key, 0);
        SendMessageW(keys, WM_SYSKEYDOWN, VK_DOWN, 1 << 29);
        SendMessageW(keys, WM_CHAR, L'Д', 0);
        SendMessageW(keys, WM_PASTE, 0, 0);
        SendMessageW(c->Handle(), WM_MOUSEWHEEL, MAKEWPARAM(0, -WHEEL_DELTA), 0);
        const TRect b = c->ButtonRect();
        SendMessageW(c->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(b.Left + 4, b.Top + 4));
        SendMessageW(c->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(b.Left + 4, b.Top + 4));
        Pump();
        CHECK(f.Value() == before);
        CHECK_FALSE(c->DroppedDown());
        CHECK(f.Keys == 9);
        // Opened by the program, the list closes again.
        c->SetDroppedDown(true);
        Pump();
        CHECK_FALSE(c->DroppedDown());
        // Not read-only, a key moves on.
        c->SetReadOnly(false);
        SendMessageW(keys, WM_KEYDOWN, VK_DOWN, 0);
        CHECK(c->ItemIndex() == 2);
        f.Keys = 0;
    }
}

TEST_CASE("combo box rows show their own wide texts while the box's text is empty; the items go through the wide "
          "messages")
{
    TComboFixture f;
    TzComboBox* c = f.Combo;
    c->SetStyle(csOwnerDrawFixed);
    REQUIRE(c->Text().empty());
    for (int i = 0; i < 5; ++i) {
        wchar_t buf[32] = {};
        SendMessageW(c->Handle(), CB_GETLBTEXT, WPARAM(i), LPARAM(buf));
        CHECK(WideString(buf) == Names[i]);
        CHECK(c->Items()->Get(i) == Names[i]);
    }
    for (const bool selected : {false, true}) {
        CAPTURE(selected);
        const int w = 150, h = 18;
        auto row = Filled24(w, h, clBlack);
        DRAWITEMSTRUCT dis{};
        dis.CtlType = ODT_COMBOBOX;
        dis.itemID = 1;
        dis.itemAction = ODA_DRAWENTIRE;
        dis.itemState = selected ? ODS_SELECTED : 0;
        dis.hDC = row->Canvas()->Handle();
        dis.rcItem = RECT{0, 0, w, h};
        c->Perform(CN_DRAWITEM, 0, LPARAM(&dis));
        // The model: the row's colours, the item's text 2 pixels in, centred across.
        auto model = Filled24(w, h, ColorToRGB(selected ? TColor(clHighlight) : c->Color()));
        HDC dc = model->Canvas()->Handle();
        TSelectObject font(dc, c->Font()->Handle());
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, ColorToRGB(selected ? TColor(clHighlightText) : c->Font()->Color()));
        RECT r{2, 0, w, h};
        DrawTextW(dc, Names[1], -1, &r, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
        CHECK(SamePixels(*row, *model));
    }
}

TEST_CASE("a skinned drop-down list combo box: the section, the button in its states with the glyph, the item's "
          "text; a long list under its adapter scrolls from the skinned bar")
{
    TComboFixture f;
    TzComboBox* c = f.Combo;
    c->SetStyle(csDropDownList);
    c->SetItemIndex(1);
    const int w = c->Width(), h = c->Height();
    const TRect button(w - 3 - GetSystemMetrics(SM_CXVSCROLL), 3, w - 3, h - 3);
    CHECK(Shown(c->ButtonRect()) == Shown(button));
    const TRect text(3, 3, button.Left, h - 3);
    TzSkinManager* m = f.Manager.get();
    const auto model = [&](TzPaintState Frame, TzPaintState Button) {
        auto bmp = Filled24(w, h, clBlack);
        PaintSectionByIndex(m->FindSectionIndex("COMBOBOX"), m, bmp.get(),
                            TzBackdrop(EmptyCacheInfo, ColorToRGB(f.Form->Color())), TRect(0, 0, w, h), Frame, true);
        auto under = Filled24(w, h, clBlack);
        BitBlt(under->Canvas()->Handle(), 0, 0, w, h, bmp->Canvas()->Handle(), 0, 0, SRCCOPY);
        PaintComboButton(bmp.get(), button, m, MakeCacheInfo(under.get(), 0, 0), Button);
        return bmp;
    };
    const auto outsideText = [&](TBitmap& A, TBitmap& B) {
        int n = 0;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                n += !text.Contains(TPoint(x, y)) && Px(A, x, y) != Px(B, x, y);
        return n;
    };
    FocusOn(f.Backdrop);
    auto shot = Printed(c);
    CHECK(outsideText(*shot, *model(psNormal, psNormal)) == 0);
    CHECK(adapt::CountColor(*shot, text, ColorToRGB(c->Font()->Color())) > 10);
    c->SetDroppedDown(true);
    Pump();
    CHECK(outsideText(*Printed(c), *model(c->Focused() ? psHot : psNormal, psPressed)) == 0);
    c->SetDroppedDown(false);
    FocusOn(c);
    shot = Printed(c);
    CHECK(outsideText(*shot, *model(psHot, psHot)) == 0);
    CHECK(adapt::CountColor(*shot, text, ColorToRGB(clHighlight)) > text.Width() * text.Height() / 2);

    // A list no longer than DropDownCount keeps the system's bars; a longer one gets its adapter.
    c->SetDropDownCount(8);
    c->SetDroppedDown(true);
    Pump();
    CHECK(c->ListAdapter() == nullptr);
    c->SetDroppedDown(false);
    for (int i = 0; i < 30; ++i)
        c->Items()->Add(L"Пункт " + std::to_wstring(i));
    c->SetDroppedDown(true);
    Pump();
    TSkComboListWnd* la = c->ListAdapter();
    REQUIRE(la);
    const HWND list = c->ListHandle();
    CHECK(la->VertBar->Visible);
    const TRect v = GetVertBarRect(la, list);
    const TPoint arrow(adapt::Centre(v).X, v.Bottom - 3);
    SendMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON, adapt::ClientParam(list, arrow));
    SendMessageW(list, WM_LBUTTONUP, 0, adapt::ClientParam(list, arrow));
    CHECK(SendMessageW(list, LB_GETTOPINDEX, 0, 0) == 1);
    c->SetDroppedDown(false);
    f.RemoveSkin();
    CHECK(c->ListAdapter() == nullptr);
    CHECK(Join(c->Color(), c->Font()->Color()) == Join(clWindow, clWindowText));
    // Skinned or not, the box tells whoever asks that it skins itself: no adapter is made for it.
    CHECK(AskWindowCommand(c->Handle(), SKCMD_ISSKINNED));
}

TEST_CASE("the edit of a skinned drop-down combo box shows the box's picture while the box does not own the keys")
{
    TComboFixture f;
    TzComboBox* c = f.Combo;
    c->SetText(L"Ελένη");
    c->SetEnabled(false);
    f.Redraw();
    const auto picture = Printed(c);
    RECT r{};
    GetWindowRect(c->EditHandle(), &r);
    MapWindowPoints(nullptr, c->Handle(), reinterpret_cast<POINT*>(&r), 2);
    CHECK(Join(r.left, r.top, r.bottom) == Join(3, 3, c->Height() - 3));
    auto edit = Filled24(r.right - r.left, r.bottom - r.top, clBlack);
    {
        TClientDC dc(c->EditHandle());
        BitBlt(edit->Canvas()->Handle(), 0, 0, edit->Width(), edit->Height(), dc.Handle(), 0, 0, SRCCOPY);
    }
    auto expected = Filled24(edit->Width(), edit->Height(), clBlack);
    BitBlt(expected->Canvas()->Handle(), 0, 0, edit->Width(), edit->Height(), picture->Canvas()->Handle(), r.left,
           r.top, SRCCOPY);
    CHECK(SamePixels(*edit, *expected));
}
