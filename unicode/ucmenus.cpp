#include "unicode/ucmenus.h"
#include "unicode/ucactnlist.h"
#include "unicode/uccontrols.h"
#include "unicode/ucforms.h"
#include "unicode/uchotkeys.h"
#include "unicode/ucsysutils.h"

#include <algorithm>

namespace {

// MFT_BITMAP, MFT_SEPARATOR and MFT_OWNERDRAW: entries without a text of their own.
constexpr UINT kNoStringTypes = 0x904;
// The modifier names of the library's shortcut texts ("Shift+", "Ctrl+", "Alt+").
constexpr int kShiftCap = 15;
constexpr int kCtrlCap = 16;
constexpr int kAltCap = 17;

void SetAnsiCaption(TObject* Target, const AnsiString& Value)
{
    static_cast<TMenuItem*>(Target)->TMenuItem::SetCaption(Value);
}

void SetAnsiHint(TObject* Target, const AnsiString& Value)
{
    static_cast<TMenuItem*>(Target)->TMenuItem::SetHint(Value);
}

// The keys whose names the library's shortcut text gives (BkSp, Tab, Enter, Esc, Space,
// PgUp, PgDn, End, Home, the arrows, Ins, Del, F1 to F24).
bool IsLibraryNamedKey(unsigned Key)
{
    return Key == VK_BACK || Key == VK_TAB || Key == VK_RETURN || Key == VK_ESCAPE || (Key >= VK_SPACE && Key <= VK_DOWN) ||
           Key == VK_INSERT || Key == VK_DELETE || (Key >= VK_F1 && Key <= VK_F24);
}

bool IsCharacterKey(unsigned Key)
{
    return (Key >= '0' && Key <= '9') || (Key >= 'A' && Key <= 'Z') || (Key >= VK_NUMPAD0 && Key <= VK_NUMPAD9);
}

// The character the keyboard gives for a key (digits, letters, keypad digits).
WideString KeyCharacterText(unsigned Key)
{
    ZAssert(PlatformIsUnicode, "Assertion failure");
    // The high bit marks a dead key; the character is below it.
    UINT c = MapVirtualKeyW(Key, MAPVK_VK_TO_CHAR) & 0xFFFF;
    return c ? WideString(1, static_cast<WideChar>(c)) : WideString();
}

// The system's name of any other key, from its scan code.
WideString KeyNameText(unsigned Key)
{
    ZAssert(PlatformIsUnicode, "Assertion failure");
    LONG scan = static_cast<LONG>(MapVirtualKeyW(Key, MAPVK_VK_TO_VSC)) << 16;
    WideChar buf[256] = {};
    int n = GetKeyNameTextW(scan, buf, 256);
    return WideString(buf, static_cast<size_t>(std::clamp(n, 0, 255)));
}

// The hot keys of the widened ANSI caption A put into the wide caption S that has none:
// each "&" of A stands again at its place, a literal "&&" of A stands for the one "&" of S,
// and a Far-East "(&X)" group of A, which S has not, is copied whole.
WideString PlaceHotKeys(const WideString& A, const WideString& S)
{
    const bool farEast = UcFarEastLocale();
    const size_t n = A.size();
    WideString out;
    out.reserve(n + 2);
    size_t j = 0;
    for (size_t i = 0; i < n;) {
        WideChar c = A[i];
        if (c == L'&') {
            if (i + 1 < n && A[i + 1] == L'&') {
                out += L"&&";
                ++j;
                i += 2;
            } else {
                out += L'&';
                ++i;
            }
            continue;
        }
        if (farEast && c == L'(' && i > 0 && i + 3 < n && A[i + 1] == L'&' && A[i + 2] != L'&' && A[i + 3] == L')') {
            out.append(A, i, 4);
            i += 4;
            continue;
        }
        out += j < S.size() ? S[j] : c;
        ++j;
        ++i;
    }
    if (j < S.size())
        out.append(S, j, WideString::npos);
    return out;
}

WideString NativeMenuText(HMENU Menu, int Pos)
{
    int len = GetMenuStringW(Menu, static_cast<UINT>(Pos), nullptr, 0, MF_BYPOSITION);
    if (len <= 0)
        return WideString();
    WideString s(static_cast<size_t>(len) + 1, L'\0');
    int got = GetMenuStringW(Menu, static_cast<UINT>(Pos), s.data(), len + 1, MF_BYPOSITION);
    s.resize(static_cast<size_t>(std::clamp(got, 0, len)));
    return s;
}

// UpdateMenuItemWideText; DrawBar draws a menu bar again after a change.
void ApplyWideText(TMenuItem* Item, bool DrawBar)
{
    if (!PlatformIsUnicode || !Item)
        return;
    TMenuItem* parent = Item->Parent();
    if (!parent || !parent->HandleAllocated() || !Item->Visible())
        return;
    if ((Item->ComponentState() & csReading) || Item->IsDestroying() || parent->IsDestroying())
        return;
    int pos = Item->NativeIndex();
    if (pos < 0)
        return;
    HMENU menu = parent->Handle();
    MENUITEMINFOW info{};
    info.cbSize = sizeof(info);
    info.fMask = MIIM_FTYPE;
    if (!GetMenuItemInfoW(menu, static_cast<UINT>(pos), TRUE, &info) || (info.fType & kNoStringTypes))
        return;
    WideString text = GetMenuItemWideCaption(Item);
    if (Item->Count() == 0 && Item->ShortCut() != scNone && !Item->IsTopLevelMainMenuItem())
        text += L"\t" + ShortCutToWideText(Item->ShortCut());
    if (NativeMenuText(menu, pos) == text)
        return;
    MENUITEMINFOW set{};
    set.cbSize = sizeof(set);
    set.fMask = MIIM_STRING;
    set.dwTypeData = text.data();
    if (!SetMenuItemInfoW(menu, static_cast<UINT>(pos), TRUE, &set))
        RaiseLastOSError();
    if (!DrawBar)
        return;
    auto* bar = dynamic_cast<TMainMenu*>(Item->GetParentMenu());
    if (bar && bar->WindowHandle() && IsWindow(bar->WindowHandle()))
        DrawMenuBar(bar->WindowHandle());
}

void SetApplicationWideHint(const WideString& Hint)
{
    if (UcApplication)
        UcApplication->SetHint(Hint);
    else if (Application)
        Application->SetHint(WideToAnsi(Hint));
}

} // namespace

// ---------------------------------------------------------------------------------------
// Hot keys and shortcuts

void SyncHotKeyPosition(const AnsiString& AnsiCaption, WideString& WideCaption)
{
    AnsiString ansiOfWide = WideToAnsi(WideCaption);
    if (ansiOfWide == AnsiCaption)
        return;
    WideString widened = AnsiToWide(AnsiCaption);
    if (!SameWideCaption(AnsiToWide(ansiOfWide), widened, true))
        return;
    WideString rebuilt = PlaceHotKeys(widened, StripWideHotKeys(WideCaption));
    AnsiString ansiOfRebuilt = WideToAnsi(rebuilt);
    if (ansiOfRebuilt != AnsiCaption)
        throw EUcInternalError(Format("Internal Error: SyncHotKeyPosition Failed (\"%s\" <> \"%s\").",
                                      ansiOfRebuilt.c_str(), AnsiCaption.c_str()));
    WideCaption = rebuilt;
}

WideString ShortCutToWideText(TShortCut ShortCut)
{
    unsigned key = ShortCut & 0xFF;
    if (!PlatformIsUnicode || IsLibraryNamedKey(key))
        return AnsiToWide(ShortCutToText(ShortCut));
    WideString name;
    if (IsCharacterKey(key)) {
        name = KeyCharacterText(key);
        // A keyboard without a character for the key (some give none for the keypad):
        // the library's name, rather than none at all.
        if (name.empty())
            name = AnsiToWide(ShortCutToText(static_cast<TShortCut>(key)));
    } else if (key != 0) {
        name = KeyNameText(key);
    }
    if (name.empty())
        return WideString();
    WideString result;
    if (ShortCut & scShift)
        result += AnsiToWide(MenuKeyCaps[kShiftCap]);
    if (ShortCut & scCtrl)
        result += AnsiToWide(MenuKeyCaps[kCtrlCap]);
    if (ShortCut & scAlt)
        result += AnsiToWide(MenuKeyCaps[kAltCap]);
    return result + name;
}

// ---------------------------------------------------------------------------------------
// TUcMenuItem

Z_CLASS_IMPL(TUcMenuItem, TMenuItem, [] {
    TPropInfo p = Z_PROP_WSTR(TUcMenuItem, Caption);
    p.IsStored = &TUcMenuItem::CaptionStored;
    return p;
}(), [] {
    TPropInfo p = Z_PROP_WSTR(TUcMenuItem, Hint);
    p.IsStored = &TUcMenuItem::HintStored;
    return p;
}())

bool TUcMenuItem::CaptionStored(const TObject* O)
{
    auto* item = static_cast<const TUcMenuItem*>(O);
    return !item->ActionLink() || !item->ActionLink()->IsCaptionLinked();
}

bool TUcMenuItem::HintStored(const TObject* O)
{
    auto* item = static_cast<const TUcMenuItem*>(O);
    return !item->ActionLink() || !item->ActionLink()->IsHintLinked();
}

WideString TUcMenuItem::Caption() const
{
    const AnsiString& ansi = TMenuItem::Caption();
    try {
        SyncHotKeyPosition(ansi, FWideCaption);
    } catch (const EUcInternalError&) {
        // The two captions are alike but for hot keys that cannot be placed: the wide text
        // shows without them rather than losing what ANSI cannot carry.
        return StripWideHotKeys(FWideCaption);
    }
    return WideGetCachedValue(FWideCaption, ansi);
}

void TUcMenuItem::SetCaption(const WideString& Value)
{
    Caption();
    const AnsiString ansi = TMenuItem::Caption();
    WideSetCachedValue(Value, FWideCaption, ansi, &SetAnsiCaption, this);
}

WideString TUcMenuItem::Hint() const
{
    return WideGetCachedValue(FWideHint, TMenuItem::Hint());
}

void TUcMenuItem::SetHint(const WideString& Value)
{
    const AnsiString ansi = TMenuItem::Hint();
    WideSetCachedValue(Value, FWideHint, ansi, &SetAnsiHint, this);
}

void TUcMenuItem::ActionChange(TObject* Sender, bool CheckDefaults)
{
    if (auto* action = dynamic_cast<TCustomAction*>(Sender); action && IsUcAction(action)) {
        if (!CheckDefaults || Caption().empty())
            SetCaption(GetActionWideCaption(action));
        if (!CheckDefaults || Hint().empty())
            SetHint(GetActionWideHint(action));
    }
    TMenuItem::ActionChange(Sender, CheckDefaults);
}

const TMenuActionLinkClass* TUcMenuItem::GetActionLinkClass()
{
    return MenuActionLinkClassOf<TUcMenuActionLink>();
}

void TUcMenuItem::MeasureItem(TCanvas* ACanvas, int& Width, int& Height)
{
    MeasureItemSize(ACanvas, Width, Height);
    if (PlatformIsUnicode && !IsLine()) {
        TFontStyles oldStyle = ACanvas->Font()->Style();
        if (Default())
            ACanvas->Font()->SetStyle(oldStyle | fsBold);
        HDC dc = ACanvas->Handle();
        const UINT flags = DT_SINGLELINE | DT_EXPANDTABS | DT_CALCRECT | DT_NOCLIP;
        auto ansiWidth = [dc, flags](const AnsiString& S) {
            RECT r{0, 0, 0, 0};
            ::DrawTextA(dc, S.c_str(), static_cast<int>(S.size()), &r, flags);
            return static_cast<int>(r.right - r.left);
        };
        auto wideWidth = [dc, flags](const WideString& S) {
            RECT r{0, 0, 0, 0};
            ::DrawTextW(dc, S.c_str(), static_cast<int>(S.size()), &r, flags);
            return static_cast<int>(r.right - r.left);
        };
        AnsiString ansi = TMenuItem::Caption();
        WideString wide = Caption();
        int delta = wideWidth(wide.empty() ? WideString(L" ") : wide) - ansiWidth(ansi.empty() ? AnsiString(" ") : ansi);
        if (ShortCut() != scNone && !IsTopLevelMainMenuItem())
            delta += wideWidth(ShortCutToWideText(ShortCut())) - ansiWidth(ShortCutToText(ShortCut()));
        ACanvas->Font()->SetStyle(oldStyle);
        Width += delta;
    }
    if (OnMeasureItem)
        OnMeasureItem(this, ACanvas, Width, Height);
}

void TUcMenuItem::DoDrawText(TCanvas* ACanvas, const AnsiString& ACaption, TRect& Rect, bool Selected, int Flags)
{
    if (!PlatformIsUnicode || IsLine() || ACaption == cLineCaption) {
        TMenuItem::DoDrawText(ACanvas, ACaption, Rect, Selected, Flags);
        return;
    }
    WideString text;
    if (ACaption == TMenuItem::Caption())
        text = Caption();
    else if (ShortCut() != scNone && ACaption == ShortCutToText(ShortCut()))
        text = ShortCutToWideText(ShortCut());
    else
        text = AnsiToWide(ACaption);
    TMenu* menu = GetParentMenu();
    if (menu && menu->IsRightToLeft())
        Flags |= DT_RIGHT | DT_RTLREADING;
    // Measuring nothing (or a lone "&") would give no height.
    if ((Flags & DT_CALCRECT) && (text.empty() || text == L"&"))
        text += L' ';
    ACanvas->Brush()->SetStyle(bsClear);
    if (Default())
        ACanvas->Font()->SetStyle(ACanvas->Font()->Style() | fsBold);
    RECT r = Rect;
    if (!Enabled()) {
        if (!Selected) {
            // The embossed look: a light copy one pixel down and right.
            ACanvas->Font()->SetColor(clBtnHighlight);
            RECT shifted{r.left + 1, r.top + 1, r.right + 1, r.bottom + 1};
            DrawTextWide(ACanvas->Handle(), text.c_str(), -1, &shifted, static_cast<UINT>(Flags));
        }
        bool sameColours = ColorToRGB(clHighlight) == ColorToRGB(clBtnShadow);
        ACanvas->Font()->SetColor(Selected && sameColours ? clBtnHighlight : clBtnShadow);
    }
    DrawTextWide(ACanvas->Handle(), text.c_str(), -1, &r, static_cast<UINT>(Flags));
    if (Flags & DT_CALCRECT)
        Rect = TRect(r.left, r.top, r.right, r.bottom);
}

void TUcMenuItem::Loaded()
{
    TMenuItem::Loaded();
    UpdateMenuItemWideText(this);
}

void TUcMenuItem::DefineProperties(TFiler* Filer)
{
    TMenuItem::DefineProperties(Filer);
    DefineWideProperties(Filer, this);
}

void TUcMenuItem::MenuChanged(bool Rebuild)
{
    TMenuItem::MenuChanged(Rebuild);
    if (IsLoading() || IsDestroying() || !PlatformIsUnicode)
        return;
    // The library made the parent's native menu again from the ANSI captions: the item,
    // its children and the rest of the menu get their wide texts back.
    if (TMenu* menu = GetParentMenu()) {
        UpdateMenuWideTexts(menu);
        return;
    }
    TMenuItem* top = this;
    while (top->Parent())
        top = top->Parent();
    UpdateMenuWideTexts(top);
}

void TUcMenuItem::AppendTo(HMENU Menu, bool ARightToLeft)
{
    TMenuItem::AppendTo(Menu, ARightToLeft);
    ApplyWideText(this, false);
}

WideString GetMenuItemWideCaption(TMenuItem* Item)
{
    if (!Item)
        return WideString();
    if (auto* uc = dynamic_cast<TUcMenuItem*>(Item))
        return uc->Caption();
    return AnsiToWide(Item->Caption());
}

void SetMenuItemWideCaption(TMenuItem* Item, const WideString& Value)
{
    if (auto* uc = dynamic_cast<TUcMenuItem*>(Item))
        uc->SetCaption(Value);
    else if (Item)
        Item->SetCaption(WideToAnsi(Value));
}

WideString GetMenuItemWideHint(TMenuItem* Item)
{
    if (!Item)
        return WideString();
    if (auto* uc = dynamic_cast<TUcMenuItem*>(Item))
        return uc->Hint();
    return AnsiToWide(Item->Hint());
}

void SetMenuItemWideHint(TMenuItem* Item, const WideString& Value)
{
    if (auto* uc = dynamic_cast<TUcMenuItem*>(Item))
        uc->SetHint(Value);
    else if (Item)
        Item->SetHint(WideToAnsi(Value));
}

int MenuItemAlignmentFlags(TMenuItem* Item)
{
    auto* popup = Item ? dynamic_cast<TPopupMenu*>(Item->GetParentMenu()) : nullptr;
    if (!popup)
        return DT_LEFT;
    switch (popup->Alignment()) {
    case paRight: return DT_RIGHT;
    case paCenter: return DT_CENTER;
    default: return DT_LEFT;
    }
}

void UpdateMenuItemWideText(TMenuItem* Item)
{
    ApplyWideText(Item, true);
}

void UpdateMenuWideTexts(TMenuItem* Parent)
{
    if (!Parent || !PlatformIsUnicode)
        return;
    for (int i = 0; i < Parent->Count(); ++i) {
        TMenuItem* item = Parent->Items(i);
        UpdateMenuItemWideText(item);
        UpdateMenuWideTexts(item);
    }
}

void UpdateMenuWideTexts(TMenu* Menu)
{
    if (Menu && !Menu->IsLoading() && !Menu->IsDestroying())
        UpdateMenuWideTexts(Menu->Items());
}

// ---------------------------------------------------------------------------------------
// TUcPopupList

Z_CLASS_IMPL(TUcPopupList, TPopupList)

void TUcPopupList::WndProc(TMessage& Message)
{
    switch (Message.Msg) {
    case WM_MENUSELECT: {
        TMenuItem* item = nullptr;
        for (int i = 0; i < Count() && !item; ++i)
            item = Menus(i)->FindMenuSelectItem(reinterpret_cast<HMENU>(Message.LParam), Message.WParamLo(),
                                                Message.WParamHi());
        SetApplicationWideHint(item ? WideLongHintPart(GetMenuItemWideHint(item)) : WideString());
        break;
    }
    case WM_ENTERMENULOOP:
        for (int i = 0; i < Count(); ++i)
            UpdateMenuWideTexts(Menus(i));
        break;
    }
    TPopupList::WndProc(Message);
}

// ---------------------------------------------------------------------------------------
// Start-up and program end

void InitUcMenus()
{
    if (!dynamic_cast<TUcPopupList*>(PopupList))
        SetPopupList(new TUcPopupList());
    UcShortCutToWideText = &ShortCutToWideText;
    RegisterClass(TUcMenuItem::StaticClassInfo());
    RegisterClass(TUcAction::StaticClassInfo());
}

void DoneUcMenus()
{
    if (UcShortCutToWideText == &ShortCutToWideText)
        UcShortCutToWideText = nullptr;
    if (dynamic_cast<TUcPopupList*>(PopupList))
        SetPopupList(nullptr);
}
