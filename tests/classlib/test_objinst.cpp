#include <doctest.h>
#include "classlib/classes.h"

namespace {
struct Receiver {
    HWND Wnd = nullptr;
    WNDPROC Instance = nullptr;
    int Seen = 0;
    void WndProc(TMessage& m)
    {
        if (m.Msg == WM_USER + 1) {
            Seen += static_cast<int>(m.WParam);
            m.Result = 77;
            return;
        }
        if (m.Msg == WM_USER + 2)
            throw Exception("thrown inside a window procedure");
        m.Result = DefWindowProcA(Wnd, m.Msg, m.WParam, m.LParam);
    }
};

int g_handled = 0;
void CountingHandler(TObject*)
{
    ++g_handled;
}
} // namespace

TEST_CASE("an object instance is a window procedure that reaches its object")
{
    Receiver a, b;
    a.Instance = MakeObjectInstance(MakeMethod<&Receiver::WndProc>(&a));
    b.Instance = MakeObjectInstance(MakeMethod<&Receiver::WndProc>(&b));
    CHECK(reinterpret_cast<void*>(a.Instance) != reinterpret_cast<void*>(b.Instance));

    a.Wnd = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    REQUIRE(a.Wnd);
    SetWindowLongPtrA(a.Wnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(a.Instance));
    CHECK(SendMessageA(a.Wnd, WM_USER + 1, 5, 0) == 77);
    CHECK(a.Seen == 5);
    CHECK(b.Seen == 0);

    // The exception stops at the window procedure and goes to the application's handler.
    auto saved = ApplicationHandleException;
    ApplicationHandleException = &CountingHandler;
    g_handled = 0;
    SendMessageA(a.Wnd, WM_USER + 2, 0, 0);
    CHECK(g_handled == 1);
    ApplicationHandleException = saved;

    SetWindowLongPtrA(a.Wnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&DefWindowProcA));
    DestroyWindow(a.Wnd);
    FreeObjectInstance(a.Instance);
    FreeObjectInstance(b.Instance);
}

namespace {
struct Work {
    TCallbackGuard Guard;
    int Calls = 0;
};

BOOL CALLBACK ThrowingCallback(HWND, LPARAM LParam)
{
    auto* w = reinterpret_cast<Work*>(LParam);
    return w->Guard.Call([w]() -> bool {
        ++w->Calls;
        throw EConvertError("thrown in a callback");
    });
}
} // namespace

TEST_CASE("an exception thrown in a system callback reaches the caller after the system call")
{
    HWND a = CreateWindowExA(0, "STATIC", "", 0, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    HWND b = CreateWindowExA(0, "STATIC", "", 0, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    Work work;
    EnumThreadWindows(GetCurrentThreadId(), &ThrowingCallback, reinterpret_cast<LPARAM>(&work));
    CHECK(work.Calls == 1);   // the system was told to stop
    CHECK_THROWS_WITH_AS(work.Guard.Rethrow(), "thrown in a callback", EConvertError);
    CHECK_NOTHROW(work.Guard.Rethrow());
    DestroyWindow(a);
    DestroyWindow(b);
}
