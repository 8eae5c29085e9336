#include <doctest.h>

#include "classlib/classes.h"

namespace {
class TProbe : public TComponent {
    Z_CLASS(TProbe, TComponent)
public:
    using TComponent::TComponent;
    int Size() const { return FSize; }
    void SetSize(int v) { FSize = v; }
    void Bump(TObject*) { ++FSize; }
    void Other(TObject*) {}

private:
    int FSize = 0;
};
// A class that publishes Size again, with another default.
class TProbe2 : public TProbe {
    Z_CLASS(TProbe2, TProbe)
public:
    using TProbe::TProbe;
};
} // namespace
Z_CLASS_IMPL(TProbe, TComponent, Z_PROP_INT(TProbe, Size, 0))
Z_CLASS_IMPL(TProbe2, TProbe, Z_PROP_INT(TProbe2, Size, 5))

TEST_CASE("method pointers compare by object and member")
{
    TProbe a(nullptr), b(nullptr);
    TNotifyEvent e = MakeMethod<&TProbe::Bump>(&a);
    e(nullptr);
    CHECK(a.Size() == 1);
    CHECK(e == MakeMethod<&TProbe::Bump>(&a));
    CHECK(e != MakeMethod<&TProbe::Bump>(&b));
    CHECK(e != MakeMethod<&TProbe::Other>(&a));
    CHECK_FALSE(TNotifyEvent());
}

TEST_CASE("a property published again takes the place of the inherited one")
{
    std::vector<const TPropInfo*> props = TProbe2::StaticClassInfo().AllProps();
    int sizes = 0;
    size_t at = 0;
    for (size_t i = 0; i < props.size(); ++i)
        if (SameText(props[i]->Name, "Size")) {
            ++sizes;
            at = i;
        }
    REQUIRE(sizes == 1);
    CHECK(props[at]->Default == 5);
    CHECK(TProbe2::StaticClassInfo().FindProp("Size") == props[at]);
    // It stands where the inherited one stood: after the root class's properties.
    CHECK(at + 1 == props.size());
    CHECK(TProbe::StaticClassInfo().AllProps().size() == props.size());
}

TEST_CASE("scopes undo what they did, also when an exception leaves")
{
    enum : uint16_t { A = 1, B = 2, C = 4 };
    uint16_t flags = B;
    try {
        TBitsScope<uint16_t> set(flags, A | B);
        TBitsScope<uint16_t> clear(flags, B, false);
        CHECK(flags == A);
        flags |= C;   // a bit of no scope's: kept
        throw 1;
    } catch (int) {
    }
    CHECK(flags == (B | C));

    int undone = 0;
    {
        TScopeExit undo([&] { ++undone; });
        undo.Release();
    }
    try {
        TScopeExit undo([&] { ++undone; });
        throw 1;
    } catch (int) {
    }
    CHECK(undone == 1);
}
