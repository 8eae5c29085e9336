#include <doctest.h>
#include "classlib/classes.h"
#include "join.h"

#include <string>
#include <vector>

namespace {
std::vector<std::string> Log;

// A component that writes its going to the log.
class TNode : public TComponent {
    Z_CLASS(TNode, TComponent)
public:
    using TComponent::TComponent;
    ~TNode() override { Log.push_back("free " + Name() + (IsDestroying() ? " destroying" : "")); }
};

// A component that refers to another and must forget it when it goes.
class TWatcher : public TComponent {
    Z_CLASS(TWatcher, TComponent)
public:
    using TComponent::TComponent;
    TComponent* Ref() const { return FRef; }
    void SetRef(TComponent* Value)
    {
        if (FRef)
            FRef->RemoveFreeNotification(this);
        FRef = Value;
        if (FRef)
            FRef->FreeNotification(this);
    }
    void Notification(TComponent* AComponent, TOperation Operation) override
    {
        inherited::Notification(AComponent, Operation);
        Log.push_back(Name() + (Operation == opInsert ? " +" : " -") +
                      (AComponent ? AComponent->Name() : AnsiString("?")));
        if (Operation == opRemove && AComponent == FRef)
            FRef = nullptr;
    }

private:
    TComponent* FRef = nullptr;
};

TNode* Named(TComponent* Owner, const char* Name)
{
    auto* n = new TNode(Owner);
    n->SetName(Name);
    return n;
}
} // namespace
Z_CLASS_IMPL(TNode, TComponent)
Z_CLASS_IMPL(TWatcher, TComponent)

TEST_CASE("an owner frees what it owns and keeps the order of its components")
{
    Log.clear();
    {
        TComponent owner(nullptr);
        TNode* a = Named(&owner, "A");
        TNode* b = Named(&owner, "B");
        TNode* c = Named(&owner, "C");
        CHECK(owner.ComponentCount() == 3);
        CHECK(owner.Components(1) == b);
        CHECK(c->ComponentIndex() == 2);
        CHECK(owner.FindComponent("b") == b);
        CHECK(owner.FindComponent("") == nullptr);
        CHECK_THROWS_WITH_AS(owner.Components(3), "List index out of bounds (3)", EListError);

        c->SetComponentIndex(-5);   // clamped to the first place
        CHECK(owner.Components(0) == c);
        a->SetComponentIndex(99);   // clamped to the last place
        CHECK(owner.Components(2) == a);
        CHECK(TComponent(nullptr).ComponentIndex() == -1);
    }
    // The last component goes first, each one already marked as destroying.
    CHECK(Log == std::vector<std::string>{"free A destroying", "free B destroying", "free C destroying"});
}

TEST_CASE("component names are identifiers, unique under one owner")
{
    TComponent owner(nullptr);
    TNode* a = Named(&owner, "Button1");
    TNode* b = new TNode(&owner);
    new TNode(&owner);   // any number of unnamed ones

    CHECK_THROWS_WITH_AS(b->SetName("1st"), "'1st' is not a valid component name", EComponentError);
    CHECK_THROWS_WITH_AS(b->SetName("a b"), "'a b' is not a valid component name", EComponentError);
    CHECK_THROWS_WITH_AS(b->SetName("BUTTON1"), "A component named BUTTON1 already exists", EComponentError);
    CHECK(b->Name().empty());
    b->SetName("_x9");
    CHECK(b->Name() == "_x9");
    a->SetName("BUTTON1");   // a new spelling of its own name
    CHECK(a->Name() == "BUTTON1");
    a->SetName("");
    CHECK(a->Name().empty());

    // Two owners may each have one; a move that would clash is refused and changes nothing.
    TComponent other(nullptr);
    TNode* twin = Named(&other, "_x9");
    CHECK_THROWS_AS(owner.InsertComponent(twin), EComponentError);
    CHECK(twin->Owner() == &other);
    CHECK(other.ComponentCount() == 1);
    // A move takes the component from its old owner; another owner removing it does nothing.
    twin->SetName("twin");
    owner.InsertComponent(twin);
    CHECK(Join(twin->Owner() == &owner, other.ComponentCount()) == "1 0");
    other.RemoveComponent(twin);
    CHECK(twin->Owner() == &owner);

    TNode loose1(nullptr), loose2(nullptr);
    loose1.SetName("Same");
    loose2.SetName("Same");   // no owner, no rule
}

TEST_CASE("free notification clears references both ways")
{
    // The referenced component goes first: the watcher forgets it.
    TComponent formA(nullptr), formB(nullptr);
    auto* w = new TWatcher(&formA);
    TNode* target = Named(&formB, "T");
    w->SetRef(target);
    delete target;
    CHECK(w->Ref() == nullptr);
    // The watcher goes first: the target forgets it.
    TNode kept(nullptr);
    w->SetRef(&kept);
    delete w;
    CHECK((kept.ComponentState() & csFreeNotification) == 0);
    // Siblings referring to each other go with their owner, neither touching a freed one.
    auto* form = new TComponent(nullptr);
    auto* w1 = new TWatcher(form);
    auto* w2 = new TWatcher(form);
    w1->SetRef(w2);
    w2->SetRef(w1);
    delete form;
}

TEST_CASE("component state: designing spreads to owned components, Loaded ends loading")
{
    TComponent form(nullptr);
    auto* a = new TNode(&form);
    form.SetDesigning(true);
    CHECK(a->IsDesigning());
    auto* b = new TNode(&form);   // joins a form in design
    CHECK(b->IsDesigning());
    form.SetDesigning(false, false);
    CHECK_FALSE(form.IsDesigning());
    CHECK(a->IsDesigning());

    form.SetComponentStateFlag(csLoading, true);
    CHECK(form.IsLoading());
    form.Loaded();
    CHECK_FALSE(form.IsLoading());
}
