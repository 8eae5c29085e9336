// The engine's services: start-up, the message box, small helpers, paths and published
// properties by name.
#include "skinfixtures.h"

#include "skin/zskinservices.h"
#include "unicode/ucsysutils.h"

#include <doctest.h>

#include <tuple>

namespace {

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
    // Running the start-up again gives the same state and does not leak the icons.
    InitSkinEngine();
    CHECK(Join(AppSmallIcon != nullptr, AppLargeIcon != nullptr) == Join(true, true));
}

TEST_CASE("engine message box: one replaceable routine chooses caption, icon and buttons")
{
    TMessageCatcher box;
    ShowEngineError(L"Skin file is damaged: \x0444\x0430\x0439\x043B");
    REQUIRE(box.Count() == 1);
    CHECK(Join(box.Texts[0], box.Captions[0]) == Join(L"Skin file is damaged: \x0444\x0430\x0439\x043B", L"Warning"));
    CHECK(box.Flags[0] == (MB_OK | MB_ICONWARNING));

    // Kind, buttons, the caption and the flags shown.
    const std::tuple<int, TzMessageButtons, const wchar_t*, UINT> cases[] = {
        {zmkError, zmbOK | zmbCancel, L"Error", MB_OKCANCEL | MB_ICONERROR},
        {zmkInformation, zmbYes | zmbNo, L"Information", MB_YESNO | MB_ICONINFORMATION},
        {zmkConfirm, zmbNo | zmbCancel, L"Confirm", MB_YESNOCANCEL | MB_ICONQUESTION},
        {zmkConfirm, zmbYes, L"Confirm", MB_YESNO | MB_ICONQUESTION},
        {zmkWarning, zmbRetry, L"Warning", MB_RETRYCANCEL | MB_ICONWARNING},
        {zmkWarning, zmbOK | zmbYes, L"Warning", MB_OK | MB_ICONWARNING},   // OK comes first
        {zmkWarning, zmbOK | zmbHelp, L"Warning", MB_OK | MB_HELP | MB_ICONWARNING},
        {zmkError, 0, L"Error", MB_OK | MB_ICONERROR},
        {7, zmbOK, L"Warning", MB_OK | MB_ICONWARNING},   // unknown kinds are warnings
    };
    for (const auto& [kind, buttons, caption, flags] : cases) {
        CAPTURE(kind);
        CAPTURE(buttons);
        ShowEngineMessage(L"x", kind, buttons);
        CHECK(Join(box.Captions.back(), box.Flags.back()) == Join(caption, flags));
    }
    CHECK(box.Count() == 1 + std::size(cases));
    box.Answer = IDNO;
    CHECK(ShowEngineMessage(L"Replace?", zmkConfirm, zmbYes | zmbNo) == IDNO);
}

TEST_CASE("rectangle and integer helpers at their edges")
{
    const TRect r = MakeRect(1, 2, 11, 22);
    // Right and bottom edges count as inside.
    CHECK(Join(RectInRect(r, MakeRect(11, 22, 11, 22)), RectInRect(r, MakeRect(0, 2, 5, 5)),
               RectInRect(r, MakeRect(2, 3, 12, 5)), RectInRect(r, MakeRect(2, 3, 5, 23))) == Join(true, false, false, false));
    CHECK(Join(IsBetween(5, 5, 6), IsBetween(6, 5, 6), IsBetween(7, 5, 6)) == Join(true, true, false));
    CHECK(Join(ClampByte(300), ClampByte(-5), ClampByte(77)) == Join(255, 0, 77));
}

TEST_CASE("paths: trailing backslash and the program's folder")
{
    const std::pair<const wchar_t*, const wchar_t*> cases[] = {
        {L"", L""},   {L"C", L"C:\\"}, {L"C:\\Skins/", L"C:\\Skins\\"}, {L"/", L"\\"},
        {L"C:\\Skins", L"C:\\Skins\\"}, {L"C:\\Skins\\", L"C:\\Skins\\"},
        {L"\x0421\x043A\x0438\x043D\x044B", L"\x0421\x043A\x0438\x043D\x044B\\"}};
    for (const auto& [path, with] : cases)
        CHECK(IncludeTrailingBackslash(path) == with);
    // The program's folder: its file's path up to the last backslash.
    const WideString exe = ModuleFileNameWide();
    CHECK(AppFolder() == exe.substr(0, exe.rfind(L'\\') + 1));
}

TEST_CASE("published properties by name")
{
    TPropProbe probe;
    TPersistent inner;
    probe.FInner = &inner;
    CHECK(Join(HasProperty(&probe, "size"), HasProperty(&probe, "Colour"), HasProperty(nullptr, "Size")) ==
          Join(true, false, false));
    // Missing names and objects, and what is no ordinal, give -1.
    CHECK(Join(GetOrdProperty(&probe, "Size"), GetOrdProperty(&probe, "Colour"), GetOrdProperty(nullptr, "Size"),
               GetOrdProperty(&probe, "Inner")) == Join(7, -1, -1, -1));
    SetOrdProperty(&probe, "Colour", 1);   // nothing happens
    CHECK(Join(GetObjectProperty(&probe, "Inner") == &inner, GetObjectProperty(&probe, "Size") == nullptr) == Join(1, 1));

    // Sets by element name in any case; an element already there is not written again.
    for (const char* e : {"akLeft", "akBottom", "AKTOP"})
        ChangeSetProperty(&probe, "Anchors", e, true);
    CHECK(Join(probe.Anchors(), SetContains(&probe, "Anchors", "akbottom")) == Join(1 | 2 | 8, true));
    const int writes = probe.Writes;
    ChangeSetProperty(&probe, "Anchors", "akTop", true);
    CHECK(probe.Writes == writes);
    // Taken out first, last and as the only element.
    for (const auto& [e, left] : {std::pair{"akLeft", 2 | 8}, {"akBottom", 2}, {"akTop", 0}}) {
        ChangeSetProperty(&probe, "Anchors", e, false);
        CHECK(probe.Anchors() == left);
    }
    // An element is matched whole, never as the start of a longer name; unknown elements,
    // non-set properties and missing objects change nothing.
    ChangeSetProperty(&probe, "Anchors", "akLeftmost", true);
    ChangeSetProperty(&probe, "Anchors", "akLeft", false);
    ChangeSetProperty(&probe, "Anchors", "akMiddle", true);
    ChangeSetProperty(&probe, "Size", "akLeft", true);
    ChangeSetProperty(nullptr, "Anchors", "akLeft", true);
    CHECK(Join(probe.Anchors(), probe.Size(), SetContains(&probe, "Anchors", "akLeft"), SetContains(&probe, "Size", "akLeft")) ==
          Join(16, 7, false, false));
}
