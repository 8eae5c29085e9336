#include <doctest.h>
#include "classlib/classes.h"

#include <string>
#include <vector>

namespace {
// A list that writes its notifications down.
class TLoggedList : public TList {
public:
    std::string Log;

protected:
    void Notify(void* Ptr, TListNotification Action) override
    {
        Log += "+x-"[Action];
        Log += *static_cast<char*>(Ptr);
    }
};

class TColorItem : public TCollectionItem {
    Z_CLASS(TColorItem, TCollectionItem)
public:
    using TCollectionItem::TCollectionItem;
    int Value() const { return FValue; }
    void SetValue(int v)
    {
        if (v != FValue) {
            FValue = v;
            Changed(false);
        }
    }
    void Assign(TPersistent* Source) override
    {
        if (auto* s = dynamic_cast<TColorItem*>(Source)) {
            SetValue(s->FValue);
            return;
        }
        inherited::Assign(Source);
    }

private:
    int FValue = 0;
};

// A collection that counts its updates and remembers the last item named.
class TColors : public TOwnedCollection {
public:
    explicit TColors(TPersistent* Owner = nullptr) : TOwnedCollection(Owner, TColorItem::StaticClassInfo()) {}
    int Updates = 0, AddedCount = 0;
    TCollectionItem* LastItem = reinterpret_cast<TCollectionItem*>(1);
    TColorItem* At(int i) const { return static_cast<TColorItem*>(Items(i)); }
    TColorItem* AddColor(int v)
    {
        auto* item = static_cast<TColorItem*>(Add());
        item->SetValue(v);
        return item;
    }
    std::vector<int> Values() const
    {
        std::vector<int> v;
        for (int i = 0; i < Count(); ++i)
            v.push_back(At(i)->Value());
        return v;
    }

protected:
    void Update(TCollectionItem* Item) override
    {
        ++Updates;
        LastItem = Item;
    }
    void Added(TCollectionItem*) override { ++AddedCount; }
};
} // namespace
Z_CLASS_IMPL(TColorItem, TCollectionItem)

TEST_CASE("pointer lists")
{
    char a = 'a', b = 'b', c = 'c';
    TLoggedList l;
    l.Add(&a);
    l.Add(&b);
    l.Insert(0, &c);
    l.Add(nullptr);   // nothing to tell about
    CHECK(l.Log == "+a+b+c");
    CHECK(l.Count() == 4);
    CHECK(l.First() == &c);
    CHECK(l.Last() == nullptr);
    CHECK_THROWS_WITH_AS(l.Items(4), "List index out of bounds (4)", EListError);
    CHECK_THROWS_AS(l.Insert(5, &a), EListError);

    l.Pack();
    CHECK(l.Count() == 3);
    l.Sort([](void* x, void* y) { return *static_cast<char*>(x) - *static_cast<char*>(y); });
    CHECK(l.Items(0) == &a);
    CHECK(l.Items(2) == &c);
    l.Move(0, 2);
    CHECK(l.IndexOf(&a) == 2);
    CHECK_THROWS_AS(l.Move(0, 3), EListError);
    CHECK(l.Count() == 3);
    l.Exchange(0, 2);
    CHECK(l.Items(0) == &a);

    l.Log.clear();
    CHECK(l.Extract(&b) == &b);
    CHECK(l.Extract(&b) == nullptr);
    CHECK(l.Remove(&a) == 0);
    l.SetItems(0, &b);
    CHECK(l.Log == "xb-a-c+b");

    l.SetCount(3);
    CHECK(l.Items(2) == nullptr);
    CHECK_THROWS_AS(l.SetCount(-1), EListError);
    CHECK_THROWS_AS(l.SetCapacity(1), EListError);
    l.Log.clear();
    l.Clear();
    CHECK(l.Log == "-b");
    CHECK(l.Count() == 0);
    CHECK_THROWS_AS(l.First(), EListError);
}

TEST_CASE("collections make their items from the item class")
{
    TColors c;
    TColorItem* first = c.AddColor(1);
    c.AddColor(2);
    c.AddColor(3);
    CHECK(c.Count() == 3);
    CHECK(c.AddedCount == 3);
    CHECK(first->Collection() == &c);

    SUBCASE("IDs are never given twice")
    {
        int id = c.At(2)->ID();
        c.Delete(2);
        CHECK(c.AddColor(4)->ID() == id + 1);
        CHECK(c.FindItemID(id) == nullptr);
        CHECK(c.FindItemID(first->ID()) == first);
    }
    SUBCASE("moving and inserting")
    {
        c.At(0)->SetIndex(2);
        CHECK(c.Values() == std::vector<int>{2, 3, 1});
        CHECK_THROWS_WITH_AS(c.At(0)->SetIndex(3), "List index out of bounds (3)", EListError);
        CHECK(c.Values() == std::vector<int>{2, 3, 1});
        static_cast<TColorItem*>(c.Insert(1))->SetValue(9);
        CHECK(c.Values() == std::vector<int>{2, 9, 3, 1});
        CHECK_THROWS_AS(c.Insert(9), EListError);
        CHECK(c.Count() == 4);
        CHECK_THROWS_AS(c.Items(-1), EListError);
    }
    SUBCASE("an item freed on its own leaves the collection")
    {
        delete c.At(1);
        CHECK(c.Values() == std::vector<int>{1, 3});
        auto* loose = new TColorItem(nullptr);
        loose->SetCollection(&c);
        CHECK(c.Count() == 3);
        loose->SetCollection(nullptr);
        CHECK(c.Count() == 2);
        CHECK(loose->Index() == -1);
        delete loose;
    }
    SUBCASE("assigning copies every item")
    {
        TColors d;
        d.AddColor(7);
        d.Assign(&c);
        CHECK(d.Values() == std::vector<int>{1, 2, 3});
        c.Assign(&c);   // onto itself: nothing is lost
        CHECK(c.Values() == std::vector<int>{1, 2, 3});
        TStringList notAList;
        CHECK_THROWS_AS(d.Assign(&notAList), EConvertError);
    }
}

TEST_CASE("collection updates are counted")
{
    TColors c;
    c.AddColor(1);
    c.Updates = 0;
    c.At(0)->SetValue(5);
    CHECK(c.Updates == 1);
    CHECK(c.LastItem == c.At(0));   // one item changed

    c.BeginUpdate();
    c.AddColor(2);
    c.At(0)->SetValue(6);
    c.Delete(1);
    CHECK(c.Updates == 1);
    c.EndUpdate();
    CHECK(c.Updates == 2);
    CHECK(c.LastItem == nullptr);   // the whole collection

    c.Updates = 0;
    c.AddColor(3);   // the item is made and given its value: two updates, none while it is half made
    CHECK(c.Updates == 2);
    c.Updates = 0;
    c.Clear();
    CHECK(c.Updates == 1);
}

TEST_CASE("owned collections name their owner; items name their place")
{
    TComponent owner(nullptr);
    owner.SetName("Form1");
    TColors c(&owner);
    CHECK(c.GetOwner() == &owner);
    c.AddColor(1);
    c.AddColor(2);
    CHECK(c.At(1)->GetNamePath().find("[1]") != AnsiString::npos);
}
