// Shortcuts and hot keys: shortcut values and their texts, and the hot keys of captions.
#include "classlib/menus_shared.h"

namespace {
bool FarEastLocale()
{
    return GetSystemMetrics(SM_DBCSENABLED) != 0;
}
} // namespace

// ---------------------------------------------------------------------------------------
// Shortcuts and hot keys

const char* const MenuKeyCaps[18] = {"BkSp", "Tab", "Esc", "Enter", "Space", "PgUp", "PgDn", "End", "Home",
                                     "Left", "Up", "Right", "Down", "Ins", "Del", "Shift+", "Ctrl+", "Alt+"};
enum { mkcBkSp, mkcTab, mkcEsc, mkcEnter, mkcSpace, mkcPgUp, mkcPgDn, mkcEnd, mkcHome, mkcLeft, mkcUp,
       mkcRight, mkcDown, mkcIns, mkcDel, mkcShift, mkcCtrl, mkcAlt };

TShortCut ShortCut(uint16_t Key, TShiftState Shift)
{
    if (Key > 0xFF)
        return scNone;
    TShortCut result = Key;
    if (Shift & ssShift)
        result |= scShift;
    if (Shift & ssCtrl)
        result |= scCtrl;
    if (Shift & ssAlt)
        result |= scAlt;
    return result;
}

void ShortCutToKey(TShortCut ShortCut, uint16_t& Key, TShiftState& Shift)
{
    Key = ShortCut & 0xFF;
    Shift = 0;
    if (ShortCut & scShift)
        Shift |= ssShift;
    if (ShortCut & scCtrl)
        Shift |= ssCtrl;
    if (ShortCut & scAlt)
        Shift |= ssAlt;
}

AnsiString ShortCutToText(TShortCut ShortCut)
{
    unsigned key = ShortCut & 0xFF;
    AnsiString name;
    if (key == 0x08 || key == 0x09)
        name = MenuKeyCaps[mkcBkSp + key - 0x08];
    else if (key == 0x0D)
        name = MenuKeyCaps[mkcEnter];
    else if (key == 0x1B)
        name = MenuKeyCaps[mkcEsc];
    else if (key >= 0x20 && key <= 0x28)
        name = MenuKeyCaps[mkcSpace + key - 0x20];
    else if (key == 0x2D || key == 0x2E)
        name = MenuKeyCaps[mkcIns + key - 0x2D];
    else if (key >= 0x30 && key <= 0x39)
        name = char('0' + key - 0x30);
    else if (key >= 0x41 && key <= 0x5A)
        name = char('A' + key - 0x41);
    else if (key >= 0x60 && key <= 0x69)
        name = char('0' + key - 0x60);
    else if (key >= 0x70 && key <= 0x87)
        name = "F" + std::to_string(key - 0x6F);
    else if (key != 0) {
        // The system's name of the key, from its scan code.
        LONG scan = static_cast<LONG>(MapVirtualKeyA(key, 0)) << 16;
        char buf[256] = {};
        if (scan != 0 && GetKeyNameTextA(scan, buf, sizeof(buf)) > 0)
            name = buf;
    }
    if (name.empty())
        return AnsiString();
    AnsiString result;
    if (ShortCut & scShift)
        result += MenuKeyCaps[mkcShift];
    if (ShortCut & scCtrl)
        result += MenuKeyCaps[mkcCtrl];
    if (ShortCut & scAlt)
        result += MenuKeyCaps[mkcAlt];
    return result + name;
}

TShortCut TextToShortCut(const AnsiString& Text)
{
    AnsiString rest = Text;
    auto takeFront = [&rest](const char* Front) {
        size_t n = strlen(Front);
        if (rest.size() < n || CompareText(rest.substr(0, n), Front) != 0)
            return false;
        rest.erase(0, n);
        return true;
    };
    TShortCut shift = 0;
    for (;;) {
        if (takeFront(MenuKeyCaps[mkcShift]))
            shift |= scShift;
        else if (takeFront("^") || takeFront(MenuKeyCaps[mkcCtrl]))
            shift |= scCtrl;
        else if (takeFront(MenuKeyCaps[mkcAlt]))
            shift |= scAlt;
        else
            break;
    }
    if (rest.empty())
        return scNone;
    for (unsigned key = 0x08; key <= 0xFF; ++key)
        if (AnsiCompareText(rest, ShortCutToText(static_cast<TShortCut>(key))) == 0)
            return static_cast<TShortCut>(key | shift);
    return scNone;
}

AnsiString StripHotkey(const AnsiString& Text)
{
    AnsiString result = Text;
    bool farEast = FarEastLocale();
    size_t i = 0;
    while (i < result.size()) {
        if (IsLeadByte(result[i])) {
            i += 2;
            continue;
        }
        if (result[i] == cHotkeyPrefix) {
            if (farEast && i > 0 && i + 2 < result.size() && result[i - 1] == '(' && result[i + 2] == ')') {
                result.erase(i - 1, 4);
                --i;
                continue;
            }
            result.erase(i, 1);
        }
        ++i;
    }
    return result;
}

AnsiString GetHotkey(const AnsiString& Text)
{
    AnsiString result;
    size_t len = Text.size();
    for (size_t i = 0; i < len; ++i) {
        if (IsLeadByte(Text[i])) {
            ++i;
            continue;
        }
        if (Text[i] == cHotkeyPrefix && i + 1 < len) {
            ++i;
            if (Text[i] != cHotkeyPrefix)
                result = AnsiString(1, Text[i]);
        }
    }
    return result;
}

bool AnsiSameCaption(const AnsiString& Text1, const AnsiString& Text2)
{
    return AnsiCompareText(StripHotkey(Text1), StripHotkey(Text2)) == 0;
}

bool IsValidMenuHotkey(char C)
{
    return C != cHotkeyPrefix && !IsLeadByte(C) && IsCharAlphaNumericA(C);
}
