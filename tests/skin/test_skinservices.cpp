#include <doctest.h>

#include "skin/zskinservices.h"
#include "unicode/ucsysutils.h"

#include <vector>

namespace {

struct CapturedBox {
    WideString Text, Caption;
    UINT Flags = 0;
};
std::vector<CapturedBox> Boxes;
int BoxAnswer = IDOK;

int CaptureBox(const WideString& Text, const WideString& Caption, UINT Flags)
{
    Boxes.push_back({Text, Caption, Flags});
    return BoxAnswer;
}

// Replaces the engine's message box for one test and puts the real one back.
struct BoxCapture {
    TzEngineMessageBox Old = EngineMessageBox;
    BoxCapture()
    {
        Boxes.clear();
        BoxAnswer = IDOK;
        EngineMessageBox = &CaptureBox;
    }
    ~BoxCapture() { EngineMessageBox = Old; }
};

const char* const AnchorNames[] = {"akLeft", "akTop", "akRight", "akBottom", "akLeftmost"};

class TPropProbe : public TPersistent {
    Z_CLASS(TPropProbe, TPersistent)
public:
    int Size() const { return FSize; }
    void SetSize(int V) { FSize = V; ++Writes; }
    uint8_t Anchors() const { return FAnchors; }
    void SetAnchors(uint8_t V) { FAnchors = V; ++Writes; }
    TPersistent* Inner() const { return FInner; }
    int Writes = 0;
    TPersistent* FInner = nullptr;

private:
    int FSize = 7;
    uint8_t FAnchors = 0;
};

} // namespace

Z_CLASS_IMPL(TPropProbe, TPersistent, Z_PROP_INT(TPropProbe, Size, 0),
             Z_PROP_SET(TPropProbe, Anchors, AnchorNames, 0), Z_PROP_OBJ(TPropProbe, Inner))

TEST_CASE("engine start-up: the window message, metrics, platform and icons")
{
    // Fixed before any start-up: a message sent early is never WM_NULL.
    static_assert(SM_SKINCMD == 0xA100);
    CHECK(RegisterWindowMessageA("SM_SKINCMD") >= 0xC000);   // registered by name as well
    CHECK(DefaultArrowSize == GetSystemMetrics(SM_CXHSCROLL));
    CHECK(SkinIsNTPlatform);
    CHECK(SkinnedForms.empty());
    CHECK_FALSE(EmptyCacheInfo.Ready);
    CHECK(EmptyCacheInfo.Bmp == nullptr);
    CHECK(SkinKeyColor == 0xFF00FF);
    REQUIRE(AppSmallIcon != nullptr);
    REQUIRE(AppLargeIcon != nullptr);
    {
        ICONINFO small{}, large{};
        REQUIRE(GetIconInfo(AppSmallIcon, &small));
        REQUIRE(GetIconInfo(AppLargeIcon, &large));
        BITMAP bs{}, bl{};
        GetObjectA(small.hbmMask, sizeof(bs), &bs);
        GetObjectA(large.hbmMask, sizeof(bl), &bl);
        CHECK(bs.bmWidth < bl.bmWidth);
        for (HBITMAP h : {small.hbmMask, small.hbmColor, large.hbmMask, large.hbmColor})
            if (h)
                DeleteObject(h);
    }
    // Running the start-up again gives the same state and does not leak the icons.
    InitSkinEngine();
    CHECK(AppSmallIcon != nullptr);
}

TEST_CASE("engine message box: one replaceable routine chooses caption, icon and buttons")
{
    BoxCapture capture;
    ShowEngineError(L"Skin file is damaged: \x0444\x0430\x0439\x043B");
    REQUIRE(Boxes.size() == 1);
    CHECK(Boxes[0].Text == L"Skin file is damaged: \x0444\x0430\x0439\x043B");
    CHECK(Boxes[0].Caption == L"Warning");
    CHECK(Boxes[0].Flags == (MB_OK | MB_ICONWARNING));

    struct Case {
        int Kind;
        TzMessageButtons Buttons;
        const wchar_t* Caption;
        UINT Flags;
    };
    const Case cases[] = {
        {zmkError, zmbOK | zmbCancel, L"Error", MB_OKCANCEL | MB_ICONERROR},
        {zmkInformation, zmbYes | zmbNo, L"Information", MB_YESNO | MB_ICONINFORMATION},
        {zmkConfirm, zmbNo | zmbCancel, L"Confirm", MB_YESNOCANCEL | MB_ICONQUESTION},
        {zmkConfirm, zmbYes, L"Confirm", MB_YESNO | MB_ICONQUESTION},
        {zmkWarning, zmbRetry, L"Warning", MB_RETRYCANCEL | MB_ICONWARNING},
        {zmkWarning, zmbRetry | zmbCancel, L"Warning", MB_RETRYCANCEL | MB_ICONWARNING},
        {zmkWarning, zmbOK | zmbYes, L"Warning", MB_OK | MB_ICONWARNING},   // OK comes first
        {zmkWarning, zmbOK | zmbHelp, L"Warning", MB_OK | MB_HELP | MB_ICONWARNING},
        {zmkError, 0, L"Error", MB_OK | MB_ICONERROR},
        {7, zmbOK, L"Warning", MB_OK | MB_ICONWARNING},     // unknown kinds are warnings
        {-1, zmbOK, L"Warning", MB_OK | MB_ICONWARNING},
    };
    for (const Case& c : cases) {
        Boxes.clear();
        ShowEngineMessage(L"x", c.Kind, c.Buttons);
        REQUIRE(Boxes.size() == 1);
        CAPTURE(c.Kind);
        CAPTURE(c.Buttons);
        CHECK(Boxes[0].Caption == c.Caption);
        CHECK(Boxes[0].Flags == c.Flags);
    }
    BoxAnswer = IDNO;
    CHECK(ShowEngineMessage(L"Replace?", zmkConfirm, zmbYes | zmbNo) == IDNO);
}

TEST_CASE("rectangle and integer helpers")
{
    const TRect r = MakeRect(1, 2, 11, 22);
    CHECK(r == TRect(1, 2, 11, 22));
    CHECK(RectWidth(r) == 10);
    CHECK(RectHeight(r) == 20);
    CHECK(RectInRect(r, r));
    CHECK(RectInRect(r, MakeRect(11, 22, 11, 22)));   // right and bottom edges count as inside
    CHECK_FALSE(RectInRect(r, MakeRect(0, 2, 5, 5)));
    CHECK_FALSE(RectInRect(r, MakeRect(2, 3, 12, 5)));
    CHECK_FALSE(RectInRect(r, MakeRect(2, 3, 5, 23)));
    CHECK(ChooseInt(true, 1, 2) == 1);
    CHECK(ChooseInt(false, 1, 2) == 2);
    CHECK(ChooseStr(false, AnsiString("a"), AnsiString("b")) == "b");
    CHECK(ChooseStr(true, WideString(L"a"), WideString(L"b")) == L"a");
    CHECK(IsBetween(5, 5, 6));
    CHECK(IsBetween(6, 5, 6));
    CHECK_FALSE(IsBetween(7, 5, 6));
    CHECK(MaxOf(-3, 2) == 2);
    CHECK(MinOf(-3, 2) == -3);
    CHECK(ClampByte(300) == 255);
    CHECK(ClampByte(-5) == 0);
    CHECK(ClampByte(77) == 77);
    TBitmap b;
    const TzCacheInfo ci = MakeCacheInfo(&b, 3, -4);
    CHECK(ci.Ready);
    CHECK(ci.Bmp == &b);
    CHECK(ci.X == 3);
    CHECK(ci.Y == -4);
    NONCLIENTMETRICSW m{};
    m.cbSize = sizeof(m);
    REQUIRE(SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(m), &m, 0));
    CHECK(CaptionFontHeight() == m.lfCaptionFont.lfHeight);
    CHECK(CaptionFontHeight() != 0);
}

TEST_CASE("words over a set of delimiters")
{
    CHECK(ExtractWord(2, AnsiString("a  b"), AnsiString(" ")) == "b");
    CHECK(WordPosition(2, AnsiString("a  b"), AnsiString(" ")) == 4);
    CHECK(WordCount(AnsiString(""), AnsiString(" ")) == 0);
    CHECK(WordCount(AnsiString("  ,, "), AnsiString(" ,")) == 0);
    CHECK(WordCount(AnsiString(",one,,two three,"), AnsiString(", ")) == 3);
    CHECK(ExtractWord(3, AnsiString(",one,,two three,"), AnsiString(", ")) == "three");
    CHECK(ExtractWord(4, AnsiString(",one,,two three,"), AnsiString(", ")).empty());
    CHECK(ExtractWord(0, AnsiString("one"), AnsiString(" ")).empty());
    CHECK(WordPosition(0, AnsiString("one"), AnsiString(" ")) == 0);
    CHECK(WordPosition(-1, AnsiString("one"), AnsiString(" ")) == 0);
    CHECK(WordPosition(1, AnsiString("one"), AnsiString("")) == 1);
    CHECK(WordPosition(2, AnsiString("one"), AnsiString("")) == 0);
    const WideString w = L"\x0414\x0430;\x041D\x0435\x0442";
    CHECK(WordCount(w, WideString(L";")) == 2);
    CHECK(ExtractWord(2, w, WideString(L";")) == L"\x041D\x0435\x0442");
    CHECK(WordPosition(2, w, WideString(L";")) == 4);
    CHECK(DelChars(AnsiString("a-b--c-"), '-') == "abc");
    CHECK(DelChars(WideString(L"\x0444-\x0444"), L'\x0444') == L"-");
    CHECK(DelChars(AnsiString(""), 'x').empty());
}

TEST_CASE("paths: trailing backslash and the program's folder")
{
    CHECK(IncludeTrailingBackslash(L"").empty());
    CHECK(IncludeTrailingBackslash(L"C") == L"C:\\");
    CHECK(IncludeTrailingBackslash(L"C:\\Skins/") == L"C:\\Skins\\");
    CHECK(IncludeTrailingBackslash(L"/") == L"\\");
    CHECK(IncludeTrailingBackslash(L"C:\\Skins") == L"C:\\Skins\\");
    CHECK(IncludeTrailingBackslash(L"C:\\Skins\\") == L"C:\\Skins\\");
    CHECK(IncludeTrailingBackslash(L"\x0421\x043A\x0438\x043D\x044B") == L"\x0421\x043A\x0438\x043D\x044B\\");
    const WideString folder = AppFolder();
    REQUIRE(!folder.empty());
    CHECK(folder.back() == L'\\');
    const WideString exe = ModuleFileNameWide();
    CHECK(exe.compare(0, folder.size(), folder) == 0);
    CHECK(exe.find(L'\\', folder.size()) == WideString::npos);
}

TEST_CASE("published properties by name")
{
    TPropProbe probe;
    TPersistent inner;
    probe.FInner = &inner;
    CHECK(HasProperty(&probe, "Size"));
    CHECK(HasProperty(&probe, "size"));
    CHECK_FALSE(HasProperty(&probe, "Colour"));
    CHECK_FALSE(HasProperty(nullptr, "Size"));
    CHECK(GetOrdProperty(&probe, "Size") == 7);
    CHECK(GetOrdProperty(&probe, "Colour") == -1);
    CHECK(GetOrdProperty(nullptr, "Size") == -1);
    CHECK(GetOrdProperty(&probe, "Inner") == -1);   // not an ordinal
    SetOrdProperty(&probe, "Size", 42);
    CHECK(probe.Size() == 42);
    SetOrdProperty(&probe, "Colour", 1);   // nothing happens
    SetOrdProperty(nullptr, "Size", 1);
    CHECK(GetObjectProperty(&probe, "Inner") == &inner);
    CHECK(GetObjectProperty(&probe, "Size") == nullptr);
    CHECK(GetObjectProperty(&probe, "Missing") == nullptr);

    CHECK_FALSE(SetContains(&probe, "Anchors", "akLeft"));
    ChangeSetProperty(&probe, "Anchors", "akLeft", true);     // including into an empty set
    CHECK(probe.Anchors() == 1);
    ChangeSetProperty(&probe, "Anchors", "akBottom", true);
    ChangeSetProperty(&probe, "Anchors", "AKTOP", true);
    CHECK(probe.Anchors() == (1 | 2 | 8));
    CHECK(SetContains(&probe, "Anchors", "akTop"));
    CHECK(SetContains(&probe, "Anchors", "akbottom"));
    const int writes = probe.Writes;
    ChangeSetProperty(&probe, "Anchors", "akTop", true);      // already there: not written
    CHECK(probe.Writes == writes);
    ChangeSetProperty(&probe, "Anchors", "akLeft", false);    // first element
    CHECK(probe.Anchors() == (2 | 8));
    ChangeSetProperty(&probe, "Anchors", "akBottom", false);  // last element
    CHECK(probe.Anchors() == 2);
    ChangeSetProperty(&probe, "Anchors", "akTop", false);     // the only element
    CHECK(probe.Anchors() == 0);
    // An element is matched whole, never as the start of a longer name.
    ChangeSetProperty(&probe, "Anchors", "akLeftmost", true);
    CHECK_FALSE(SetContains(&probe, "Anchors", "akLeft"));
    ChangeSetProperty(&probe, "Anchors", "akLeft", false);
    CHECK(SetContains(&probe, "Anchors", "akLeftmost"));
    // Unknown elements, non-set properties and missing objects change nothing.
    ChangeSetProperty(&probe, "Anchors", "akMiddle", true);
    ChangeSetProperty(&probe, "Size", "akLeft", true);
    ChangeSetProperty(nullptr, "Anchors", "akLeft", true);
    CHECK(probe.Anchors() == 16);
    CHECK(probe.Size() == 42);
    CHECK_FALSE(SetContains(&probe, "Size", "akLeft"));
    CHECK_FALSE(SetContains(nullptr, "Anchors", "akLeft"));
}
