// The item array of a string list and the index algorithms over it: growth, binary search and
// quicksort. One copy serves the ANSI list of the class library and the wide list above it;
// each instantiates it for its own string type.
#pragma once

#include "classlib/sysutils.h"

#include <algorithm>
#include <memory>
#include <utility>

class TObject;

namespace zstrlist {

// The texts of a string list's refusals, whatever the width of its strings.
inline constexpr const char* SListIndexError = "List index out of bounds (%d)";
inline constexpr const char* SListCapacityError = "List capacity out of bounds (%d)";
inline constexpr const char* SSortedListError = "Operation not allowed on sorted list";
inline constexpr const char* SDuplicateString = "String list does not allow duplicates";

// EStringListError with Format(Msg, Data).
[[noreturn]] inline void StringListError(const char* Msg, int Data)
{
    throw EStringListError(Format(Msg, Data));
}

// How much a full item array grows: by 4 while small, by 16 up to 64 items, then by a quarter.
inline int StringListGrowDelta(int Capacity)
{
    return Capacity > 64 ? Capacity / 4 : Capacity > 8 ? 16 : 4;
}

// Binary search of Count sorted items; Compare(I) compares item I with the key. On equality the
// answer is true and, unless equal items are accepted side by side, the search goes on to the
// left, so that Index is the first of them. Index is where the key is or would go.
template <class CompareAt> bool SortedFind(int Count, CompareAt&& Compare, bool AcceptDuplicates, int& Index)
{
    bool found = false;
    int L = 0, H = Count - 1;
    while (L <= H) {
        const int I = (L + H) >> 1;
        const int C = Compare(I);
        if (C < 0) {
            L = I + 1;
        } else {
            H = I - 1;
            if (C == 0) {
                found = true;
                if (!AcceptDuplicates)
                    L = I;
            }
        }
    }
    Index = L;
    return found;
}

// One partition step of quicksort over the indexes L..R with the middle item as pivot: I
// runs up while its item compares below the pivot item, J down while its item compares above
// it, and each pair that stops them is swapped; the pivot index follows the pivot item when a
// swap moves it. Both scans stay inside [L, R], so a comparison that is not a consistent order
// gives some order but never reads outside the range. Afterwards J < I, and L..J and I..R are
// what is left to sort.
template <class Compare, class Swap> void QuickSortPartition(int L, int R, Compare& Cmp, Swap& Exchange, int& I, int& J)
{
    I = L;
    J = R;
    int P = (L + R) >> 1;
    do {
        while (I < R && Cmp(I, P) < 0)
            ++I;
        while (J > L && Cmp(J, P) > 0)
            --J;
        if (I <= J) {
            if (I != J) {
                Exchange(I, J);
                if (P == I)
                    P = J;
                else if (P == J)
                    P = I;
            }
            ++I;
            --J;
        }
    } while (I <= J);
}

// Quicksort over indexes by QuickSortPartition. The smaller part is sorted by recursion and the
// larger one in the loop, so the stack stays shallow whatever the comparison answers.
template <class Compare, class Swap> void QuickSortIndexes(int L, int R, Compare Cmp, Swap Exchange)
{
    while (L < R) {
        int I, J;
        QuickSortPartition(L, R, Cmp, Exchange, I, J);
        if (J - L < R - I) {
            if (L < J)
                QuickSortIndexes(L, J, Cmp, Exchange);
            L = I;
        } else {
            if (I < R)
                QuickSortIndexes(I, R, Cmp, Exchange);
            R = J;
        }
    }
}

// Strings with their objects in one array of Capacity slots, Count of them used. The array
// only stores: events, sorting rules and the checks of public indexes are the list's.
template <class Str> class TStringItems {
public:
    struct Item {
        Str S;
        TObject* Obj = nullptr;
    };

    TStringItems() = default;
    TStringItems(const TStringItems&) = delete;
    TStringItems& operator=(const TStringItems&) = delete;

    int Count() const { return FCount; }
    int Capacity() const { return FCapacity; }
    Item& operator[](int Index) { return FList[Index]; }
    const Item& operator[](int Index) const { return FList[Index]; }

    // EStringListError "List index out of bounds (%d)" outside 0..Count-1.
    void CheckIndex(int Index) const
    {
        if (Index < 0 || Index >= FCount)
            StringListError(SListIndexError, Index);
    }

    // Exactly NewCapacity slots; EStringListError "List capacity out of bounds (%d)" below Count.
    void SetCapacity(int NewCapacity)
    {
        if (NewCapacity < FCount)
            StringListError(SListCapacityError, NewCapacity);
        if (NewCapacity == FCapacity)
            return;
        std::unique_ptr<Item[]> list;
        if (NewCapacity > 0) {
            list = std::make_unique<Item[]>(static_cast<size_t>(NewCapacity));
            std::move(FList.get(), FList.get() + FCount, list.get());
        }
        FList = std::move(list);
        FCapacity = NewCapacity;
    }

    // Index in 0..Count; a full array grows first.
    void Insert(int Index, Str S, TObject* Obj)
    {
        if (FCount == FCapacity)
            SetCapacity(FCapacity + StringListGrowDelta(FCapacity));
        Item* list = FList.get();
        if (Index < FCount)
            std::move_backward(list + Index, list + FCount, list + FCount + 1);
        list[Index].S = std::move(S);
        list[Index].Obj = Obj;
        ++FCount;
    }

    // The freed slot at the end gives its string's memory back at once.
    void Delete(int Index)
    {
        Item* list = FList.get();
        std::move(list + Index + 1, list + FCount, list + Index);
        --FCount;
        list[FCount].S = Str();
        list[FCount].Obj = nullptr;
    }

    void Exchange(int Index1, int Index2)
    {
        std::swap(FList[Index1].S, FList[Index2].S);
        std::swap(FList[Index1].Obj, FList[Index2].Obj);
    }

    // No items and no slots.
    void Clear()
    {
        FList.reset();
        FCount = 0;
        FCapacity = 0;
    }

    // Takes an array filled elsewhere (a loader that sizes it itself): Count of its Capacity
    // slots are used. The old items go.
    void Adopt(std::unique_ptr<Item[]> List, int Count, int Capacity)
    {
        FList = std::move(List);
        FCount = Count;
        FCapacity = Capacity;
    }

    // Fill makes the items anew while the old ones wait aside. A Fill that fails (a duplicate
    // refused, memory used up) gets the old items back: a failed load loses no line. Memory
    // used up is reported as EOutOfMemory.
    template <class F> void Refill(F&& Fill)
    {
        TStringItems old;
        Swap(old);
        try {
            OutOfMemoryAsError(Fill);
        } catch (...) {
            Swap(old);
            throw;
        }
    }

private:
    void Swap(TStringItems& Other) noexcept
    {
        std::swap(FList, Other.FList);
        std::swap(FCount, Other.FCount);
        std::swap(FCapacity, Other.FCapacity);
    }

    std::unique_ptr<Item[]> FList;
    int FCount = 0;
    int FCapacity = 0;
};

} // namespace zstrlist
