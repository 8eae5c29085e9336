#include <doctest.h>
#include "msgrecorder.h"

namespace {

WNDPROC g_below = nullptr;
int g_passed = 0;

// A procedure put over the recorder's by someone else.
LRESULT CALLBACK Above(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam)
{
    g_passed += Msg == WM_SETTEXT;
    return CallWindowProcW(g_below, Wnd, Msg, WParam, LParam);
}

HWND MakeWideWindow()
{
    WNDCLASSW cls{};
    cls.lpfnWndProc = &DefWindowProcW;
    cls.hInstance = GetModuleHandleW(nullptr);
    cls.lpszClassName = L"ZandrelRecorderTest";
    RegisterClassW(&cls);
    return CreateWindowExW(0, cls.lpszClassName, L"", WS_OVERLAPPED, 0, 0, 50, 50, nullptr, nullptr,
                           cls.hInstance, nullptr);
}

std::wstring TextOf(HWND Wnd)
{
    wchar_t buf[32] = {};
    GetWindowTextW(Wnd, buf, 32);
    return buf;
}

} // namespace

TEST_CASE("the recorder sees what a window receives, passes it on unchanged and leaves the chain as it found it")
{
    HWND wnd = MakeWideWindow();
    HWND child = CreateWindowExW(0, L"BUTTON", L"", WS_CHILD, 0, 0, 5, 5, wnd, nullptr, nullptr, nullptr);
    REQUIRE(IsWindowUnicode(wnd));
    LONG_PTR original = GetWindowLongPtrW(wnd, GWLP_WNDPROC);
    const std::wstring greek = L"\x03A9\x03BC\x03AD\x03B3\x03B1";   // not in the ANSI code page

    TMsgRecorder rec({WM_SETTEXT, WM_COMMAND});
    rec.Attach(wnd, "w");
    rec.Name(child, "button");
    SendMessageW(wnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(greek.c_str()));
    SendMessageW(wnd, WM_COMMAND, MAKEWPARAM(7, BN_CLICKED), reinterpret_cast<LPARAM>(child));
    SendMessageW(wnd, WM_GETTEXTLENGTH, 0, 0);   // not asked for
    CHECK(TextOf(wnd) == greek);
    CHECK_MESSAGES(rec, {"w", WM_SETTEXT}, {"w", WM_COMMAND, BN_CLICKED, "button"});

    // A difference shows both columns by message name, lined up where they agree.
    CHECK(rec.Compare({{"w", WM_COMMAND, BN_DOUBLECLICKED}}) == "  expected       | recorded\n"
                                                                "+                | w WM_SETTEXT 0\n"
                                                                "+                | w WM_COMMAND 0 from button\n"
                                                                "- w WM_COMMAND 5 | \n");

    SUBCASE("detached while on top: the procedure from before is back")
    {
        rec.Detach(wnd);
        CHECK(GetWindowLongPtrW(wnd, GWLP_WNDPROC) == original);
    }
    SUBCASE("detached under another procedure: stays in the chain, passing on without recording")
    {
        g_passed = 0;
        g_below = reinterpret_cast<WNDPROC>(SetWindowLongPtrW(wnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Above)));
        rec.Detach(wnd);
        rec.Clear();
        SendMessageW(wnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"x"));
        CHECK(TextOf(wnd) == L"x");
        CHECK(g_passed == 1);
        CHECK(rec.Entries().empty());
        // Attached again, it records again from where it is.
        rec.Attach(wnd, "again");
        SendMessageW(wnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"y"));
        CHECK_MESSAGES(rec, {"again", WM_SETTEXT});
    }
    DestroyWindow(wnd);
}
