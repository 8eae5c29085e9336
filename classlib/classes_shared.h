// What the sources of form data share among themselves; no other unit includes this.
#pragma once

#include "classlib/classes.h"

#include <utility>
#include <vector>

namespace zfiler {

extern const char Signature[4];

// Restores a value when the scope ends, however it ends.
template <class T> class Restore {
public:
    explicit Restore(T& Ref) : FRef(Ref), FSaved(Ref) {}
    ~Restore() { FRef = std::move(FSaved); }
    Restore(const Restore&) = delete;
    Restore& operator=(const Restore&) = delete;

private:
    T& FRef;
    T FSaved;
};

// The children Component writes to form data, in their order.
std::vector<TComponent*> ChildrenOf(TComponent* Component, TComponent* Root);

} // namespace zfiler

using namespace zfiler;
