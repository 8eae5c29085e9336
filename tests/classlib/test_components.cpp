#include <doctest.h>
#include "classlib/classes.h"

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

TEST_CASE("components move between owners")
{
    TComponent one(nullptr), two(nullptr);
    TNode* n = Named(&one, "N");
    two.InsertComponent(n);
    CHECK(n->Owner() == &two);
    CHECK(one.ComponentCount() == 0);
    CHECK(two.ComponentCount() == 1);

    two.RemoveComponent(n);
    CHECK(n->Owner() == nullptr);
    one.RemoveComponent(n);   // not its owner: nothing happens
    delete n;
    CHECK(two.ComponentCount() == 0);
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

    TNode loose1(nullptr), loose2(nullptr);
    loose1.SetName("Same");
    loose2.SetName("Same");   // no owner, no rule
}

TEST_CASE("free notification clears references both ways")
{
    Log.clear();
    SUBCASE("the referenced component goes first")
    {
        TComponent formA(nullptr), formB(nullptr);
        auto* w = new TWatcher(&formA);
        w->SetName("W");
        TNode* target = Named(&formB, "T");
        w->SetRef(target);
        CHECK((target->ComponentState() & csFreeNotification) != 0);
        delete target;
        CHECK(w->Ref() == nullptr);
    }
    SUBCASE("the watcher goes first and the target forgets it")
    {
        TNode target(nullptr);
        auto* w = new TWatcher(nullptr);
        w->SetRef(&target);
        delete w;
        CHECK((target.ComponentState() & csFreeNotification) == 0);
    }
    SUBCASE("a reference dropped by hand is no longer watched")
    {
        TNode target(nullptr);
        TWatcher w(nullptr);
        w.SetRef(&target);
        w.SetRef(nullptr);
        CHECK((target.ComponentState() & csFreeNotification) == 0);
        CHECK((w.ComponentState() & csFreeNotification) == 0);
    }
    SUBCASE("an owner going frees watched components with notice")
    {
        TWatcher w(nullptr);
        w.SetName("W");
        {
            TComponent form(nullptr);
            w.SetRef(Named(&form, "T"));
        }
        CHECK(w.Ref() == nullptr);
    }
    SUBCASE("siblings referring to each other go with their owner")
    {
        auto* form = new TComponent(nullptr);
        auto* w1 = new TWatcher(form);
        auto* w2 = new TWatcher(form);
        w1->SetRef(w2);
        w2->SetRef(w1);
        delete form;   // must not touch a freed sibling
        CHECK(true);
    }
}

TEST_CASE("inserting and removing is announced to the owner's components")
{
    Log.clear();
    TComponent form(nullptr);
    auto* w = new TWatcher(&form);
    w->SetName("W");
    Log.clear();
    TNode* n = Named(&form, "N");
    Log.clear();   // the name was given after the insert notice
    delete n;
    CHECK(Log == std::vector<std::string>{"free N", "W -N"});

    Log.clear();
    auto* m = new TNode(nullptr);
    form.InsertComponent(m);
    CHECK(Log == std::vector<std::string>{"W +"});
    form.RemoveComponent(m);
    delete m;
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

TEST_CASE("a component is made from its class information and publishes Name and Tag")
{
    const TClassInfo& ci = TComponent::StaticClassInfo();
    REQUIRE((ci.CreateComponent != nullptr));
    TComponent owner(nullptr);
    TComponent* c = ci.CreateComponent(&owner);
    CHECK(c->Owner() == &owner);
    const TPropInfo* name = ci.FindProp("Name");
    const TPropInfo* tag = ci.FindProp("tag");   // found in any case
    REQUIRE((name && tag));
    name->SetStr(c, "Made");
    tag->SetOrd(c, 42);
    CHECK(c->Name() == "Made");
    CHECK(c->Tag() == 42);
    CHECK(tag->HasDefault);
    CHECK(tag->Default == 0);
}
