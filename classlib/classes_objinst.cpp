#include "classlib/classes.h"

#include <cstring>
#include <mutex>

void (*ApplicationHandleException)(TObject* Sender) = nullptr;

void HandleCaughtException(TObject* Sender)
{
    if (ApplicationHandleException) {
        try {
            ApplicationHandleException(Sender);
        } catch (...) {
            // A handler that throws itself has nowhere left to go.
        }
        return;
    }
    try {
        throw;
    } catch (const std::exception& e) {
        OutputDebugStringA(e.what());
    } catch (...) {
        OutputDebugStringA("unknown exception in a window procedure");
    }
}

namespace {

// One object instance: the thunk's code followed by the method it calls.
struct ObjectInstance {
    union {
        uint8_t Code[16];
        ObjectInstance* NextFree;
    };
    TWndMethod Method;
};

LRESULT CALLBACK StdWndProc(ObjectInstance* inst, HWND wnd, UINT msg, WPARAM wp, LPARAM lp)
{
    TMessage m{msg, wp, lp, 0};
    try {
        inst->Method(m);
    } catch (...) {
        HandleCaughtException();
    }
    (void)wnd;
    return m.Result;
}

std::mutex g_instLock;
ObjectInstance* g_freeInstances = nullptr;

ObjectInstance* AllocInstance()
{
    if (!g_freeInstances) {
        const size_t pageSize = 4096;
        auto* page = static_cast<uint8_t*>(
            VirtualAlloc(nullptr, pageSize, MEM_COMMIT | MEM_RESERVE, PAGE_EXECUTE_READWRITE));
        if (!page)
            throw EOutOfMemory("Out of memory for window procedure instances");
        const size_t count = pageSize / sizeof(ObjectInstance);
        for (size_t i = 0; i < count; ++i) {
            auto* inst = reinterpret_cast<ObjectInstance*>(page + i * sizeof(ObjectInstance));
            inst->NextFree = g_freeInstances;
            g_freeInstances = inst;
        }
    }
    ObjectInstance* inst = g_freeInstances;
    g_freeInstances = inst->NextFree;
    return inst;
}

} // namespace

WNDPROC MakeObjectInstance(TWndMethod Method)
{
    std::lock_guard<std::mutex> lock(g_instLock);
    ObjectInstance* inst = AllocInstance();
    new (&inst->Method) TWndMethod(Method);
    // pop eax; push inst; push eax; jmp StdWndProc: the instance goes in as a first argument
    // in front of the four of a window procedure, and StdWndProc (stdcall) removes all five.
    uint8_t* c = inst->Code;
    c[0] = 0x58;
    c[1] = 0x68;
    uint32_t self = reinterpret_cast<uint32_t>(inst);
    std::memcpy(c + 2, &self, 4);
    c[6] = 0x50;
    c[7] = 0xE9;
    int32_t rel = static_cast<int32_t>(reinterpret_cast<intptr_t>(&StdWndProc) -
                                       reinterpret_cast<intptr_t>(c + 12));
    std::memcpy(c + 8, &rel, 4);
    FlushInstructionCache(GetCurrentProcess(), c, 12);
    return reinterpret_cast<WNDPROC>(static_cast<void*>(c));
}

void FreeObjectInstance(WNDPROC Instance)
{
    if (!Instance)
        return;
    std::lock_guard<std::mutex> lock(g_instLock);
    auto* inst = reinterpret_cast<ObjectInstance*>(reinterpret_cast<void*>(Instance));
    inst->NextFree = g_freeInstances;
    g_freeInstances = inst;
}

namespace {
const char* const UtilWindowClass = "TPUtilWindow";

// The utility window keeps its method in the window's user data; it is set right after
// creation, so messages before that go to DefWindowProc.
LRESULT CALLBACK UtilWndProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp)
{
    auto* method = reinterpret_cast<TWndMethod*>(GetWindowLongPtrA(wnd, GWLP_USERDATA));
    if (!method)
        return DefWindowProcA(wnd, msg, wp, lp);
    TMessage m{msg, wp, lp, 0};
    try {
        (*method)(m);
    } catch (...) {
        HandleCaughtException();
    }
    return m.Result;
}

} // namespace

HWND AllocateHWnd(TWndMethod Method)
{
    WNDCLASSA cls{};
    if (!GetClassInfoA(GetModuleHandleA(nullptr), UtilWindowClass, &cls)) {
        cls.lpfnWndProc = &UtilWndProc;
        cls.hInstance = GetModuleHandleA(nullptr);
        cls.lpszClassName = UtilWindowClass;
        if (!RegisterClassA(&cls))
            RaiseLastOSError();
    }
    HWND wnd = CreateWindowExA(WS_EX_TOOLWINDOW, UtilWindowClass, "", WS_POPUP, 0, 0, 0, 0, nullptr,
                               nullptr, GetModuleHandleA(nullptr), nullptr);
    if (!wnd)
        RaiseLastOSError();
    if (Method) {
        auto* m = new TWndMethod(Method);
        SetWindowLongPtrA(wnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(m));
    }
    return wnd;
}

void DeallocateHWnd(HWND Wnd)
{
    if (!Wnd)
        return;
    auto* method = reinterpret_cast<TWndMethod*>(GetWindowLongPtrA(Wnd, GWLP_USERDATA));
    SetWindowLongPtrA(Wnd, GWLP_USERDATA, 0);
    DestroyWindow(Wnd);
    delete method;
}
