// Faults the driver must catch and keep the input of, committed on purpose by a target of its
// own (fuzz_loaders --self-test KIND): CTest checks what the driver says of each.
#include "fuzz/targets.h"
#include "classlib/winapi.h"

#include <cstdlib>
#include <stdexcept>

namespace {

std::string Kind;

template <class T> T* Opaque(T* P)
{
    asm volatile("" : "+r"(P));
    return P;
}

bool RunSelfTest(const uint8_t*, size_t)
{
    if (Kind == "crash") {
        *Opaque(static_cast<volatile int*>(nullptr)) = 1;
    } else if (Kind == "hang") {
        for (;;)
            Sleep(10);
    } else if (Kind == "heap") {
        char* p = Opaque(new char[8]);
        p[8] = 1;
        delete[] p;
    } else if (Kind == "leak") {
        Opaque(new char[40]);
    } else if (Kind == "escape") {
        throw std::out_of_range("the self-test's own");
    } else if (Kind == "abort") {
        std::abort();
    } else if (Kind == "gdi") {
        CreatePen(PS_SOLID, 1, 0);
    } else {
        throw TFuzzFault("the self-test's rule");
    }
    return true;
}

} // namespace

const TFuzzTarget* SelfTestTarget(const std::string& FaultKind)
{
    static const TFuzzTarget target{"self-test", "faults committed on purpose", {}, &RunSelfTest};
    Kind = FaultKind;
    return &target;
}
