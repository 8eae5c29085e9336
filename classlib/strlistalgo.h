// The rules of a string list that do not depend on the width of its strings: searching by
// string, name and object, the changes built from Delete and Insert, adding and replacing
// the items, names and values, and the delimited text. Each works on any list with the
// string-list interface (GetCount, Get, GetObject, CompareStrings, NameValueSeparator, ...):
// the ANSI lists of the class library and the wide lists above it call the same code.
#pragma once

#include "classlib/classes.h"
#include "classlib/strlistitems.h"

#include <string>
#include <type_traits>
#include <utility>
#include <vector>

namespace zstrlist {

// The string type of list L.
template <class L> using StringOf = std::remove_cvref_t<decltype(std::declval<const L&>().Get(0))>;

// First index whose string compares equal to S by the list's comparison, else -1.
template <class L, class S> int IndexOf(const L& List, const S& Str)
{
    for (int i = 0, n = List.GetCount(); i < n; ++i)
        if (List.CompareStrings(List.Get(i), Str) == 0)
            return i;
    return -1;
}

// First item whose text before the first separator compares equal to Name, else -1.
template <class L, class S> int IndexOfName(const L& List, const S& Name)
{
    const auto sep = List.NameValueSeparator();
    for (int i = 0, n = List.GetCount(); i < n; ++i) {
        const S s = List.Get(i);
        const size_t p = s.find(sep);
        if (p != S::npos && List.CompareStrings(s.substr(0, p), Name) == 0)
            return i;
    }
    return -1;
}

template <class L> int IndexOfObject(const L& List, const TObject* Obj)
{
    for (int i = 0, n = List.GetCount(); i < n; ++i)
        if (List.GetObject(i) == Obj)
            return i;
    return -1;
}

// IndexOfName of a sorted list: the binary search of Name and the separator, then a look at
// whether the item found begins with that text. -1 for a miss.
template <class L, class S> int SortedIndexOfName(const L& List, const S& Name)
{
    const S key = Name + List.NameValueSeparator();
    int i;
    List.Find(key, i);
    // Find answers Count when every item sorts below the key.
    if (i < List.GetCount() && List.CompareStrings(List.Get(i).substr(0, key.size()), key) == 0)
        return i;
    return -1;
}

// Where AddObject puts S: the end of an unsorted list, the place Find gives in a sorted one.
// False when S is not to be added because an equal item is there and duplicates are ignored
// (Index is then that item's); a list refusing duplicates raises "String list does not allow
// duplicates".
template <class L, class S> bool AddIndex(const L& List, const S& Str, int& Index)
{
    Index = List.GetCount();
    if (!List.Sorted() || !List.Find(Str, Index))
        return true;
    if (List.Duplicates() == dupError)
        StringListError(SDuplicateString, 0);
    return List.Duplicates() != dupIgnore;
}

// Put of the abstract list: the item is taken out and put back with its object.
template <class L, class S> void Put(L& List, int Index, const S& Str)
{
    TUpdateScope<L> scope(&List);
    TObject* obj = List.GetObject(Index);
    List.Delete(Index);
    List.InsertObject(Index, Str, obj);
}

template <class L> void Exchange(L& List, int Index1, int Index2)
{
    TUpdateScope<L> scope(&List);
    const StringOf<L> s = List.Get(Index1);
    TObject* obj = List.GetObject(Index1);
    List.Put(Index1, List.Get(Index2));
    List.PutObject(Index1, List.GetObject(Index2));
    List.Put(Index2, s);
    List.PutObject(Index2, obj);
}

// Move of the abstract list. Both indexes are checked before the item is taken out, so a
// refused move loses nothing.
template <class L> void Move(L& List, int CurIndex, int NewIndex)
{
    if (CurIndex == NewIndex)
        return;
    const int n = List.GetCount();
    if (CurIndex < 0 || CurIndex >= n)
        StringListError(SListIndexError, CurIndex);
    if (NewIndex < 0 || NewIndex >= n)
        StringListError(SListIndexError, NewIndex);
    TUpdateScope<L> scope(&List);
    const StringOf<L> s = List.Get(CurIndex);
    TObject* obj = List.GetObject(CurIndex);
    List.Delete(CurIndex);
    List.InsertObject(NewIndex, s, obj);
}

// Adds every string of From with its object, each through Convert (a list of another width
// converts). A list added to itself is read first: it changes while it is read.
template <class L, class Src, class Conv> void AddStrings(L& List, const Src* From, Conv&& Convert)
{
    if (!From)
        return;
    TUpdateScope<L> scope(&List);
    const int n = From->GetCount();
    if (static_cast<const void*>(From) == static_cast<const void*>(&List)) {
        std::vector<std::pair<StringOf<L>, TObject*>> items;
        items.reserve(static_cast<size_t>(n));
        for (int i = 0; i < n; ++i)
            items.emplace_back(Convert(From->Get(i)), From->GetObject(i));
        for (auto& item : items)
            List.AddObject(item.first, item.second);
        return;
    }
    for (int i = 0; i < n; ++i)
        List.AddObject(Convert(From->Get(i)), From->GetObject(i));
}

template <class L> void AddStrings(L& List, const L* From)
{
    AddStrings(List, From, [](const StringOf<L>& S) -> const StringOf<L>& { return S; });
}

// Assign's core: under one update bracket the items go, CopyProperties copies the list's
// characters from the source, and the source's items are added.
template <class L, class Src, class F> void ReplaceWith(L& List, const Src* From, F&& CopyProperties)
{
    TUpdateScope<L> scope(&List);
    List.Clear();
    CopyProperties();
    List.AddStrings(From);
}

// Same count and the same strings, character for character.
template <class L> bool Equals(const L& List, const L* Other)
{
    if (!Other)
        return false;
    const int n = List.GetCount();
    if (n != Other->GetCount())
        return false;
    for (int i = 0; i < n; ++i)
        if (List.Get(i) != Other->Get(i))
            return false;
    return true;
}

// Whether form data stores the items: when there are any, or, under an ancestor, when the
// ancestor is no list of this kind or holds other strings.
template <class L> bool StoresStrings(TFiler* Filer, const L& List)
{
    if (TPersistent* ancestor = Filer->Ancestor()) {
        const auto* strings = dynamic_cast<const L*>(ancestor);
        return !strings || !List.Equals(strings);
    }
    return List.GetCount() > 0;
}

// ---------------------------------------------------------------------------------------
// Names and values

// The text before the first separator; empty without one.
template <class S, class Ch> S NameOf(const S& Item, Ch Sep)
{
    const size_t p = Item.find(Sep);
    return p == S::npos ? S() : Item.substr(0, p);
}

// The text after the first separator; empty without one.
template <class S, class Ch> S ValueOf(const S& Item, Ch Sep)
{
    const size_t p = Item.find(Sep);
    return p == S::npos ? S() : Item.substr(p + 1);
}

// The value of item Index; empty for a negative index (a name not found).
template <class L> StringOf<L> ValueFromIndex(const L& List, int Index)
{
    return Index < 0 ? StringOf<L>() : ValueOf(List.Get(Index), List.NameValueSeparator());
}

// An empty value deletes the pair; a new pair is added whole, so that a sorted list puts it
// in its place; an existing one is replaced.
template <class L, class S> void SetValue(L& List, const S& Name, const S& Value)
{
    const int i = List.IndexOfName(Name);
    if (Value.empty()) {
        if (i >= 0)
            List.Delete(i);
        return;
    }
    const S item = Name + List.NameValueSeparator() + Value;
    if (i < 0)
        List.Add(item);
    else
        List.Put(i, item);
}

// ---------------------------------------------------------------------------------------
// Text

// Every item followed by CR LF, in one allocation of the summed length.
template <class L> StringOf<L> JoinLines(const L& List)
{
    using S = StringOf<L>;
    using Ch = typename S::value_type;
    const int n = List.GetCount();
    // Items of a concrete list come back as copies; take them once.
    std::vector<S> items;
    items.reserve(static_cast<size_t>(n));
    size_t total = 0;
    for (int i = 0; i < n; ++i) {
        items.push_back(List.Get(i));
        total += items.back().size() + 2;
    }
    S out;
    out.reserve(total);
    for (const S& s : items) {
        out += s;
        out += Ch('\r');
        out += Ch('\n');
    }
    return out;
}

// Blanks and control characters: they separate unquoted items and make an item quoted.
template <class Ch> bool IsBlank(Ch C)
{
    return static_cast<std::make_unsigned_t<Ch>>(C) <= ' ';
}

// Items joined by Delimiter; an item holding a blank, a control character, the quote or the
// delimiter is quoted with inner quotes doubled. A list of one empty item is a lone pair of
// quotes, so that it reads back as one item rather than none.
template <class L, class Ch> StringOf<L> JoinDelimited(const L& List, Ch Delimiter, Ch Quote)
{
    using S = StringOf<L>;
    const int n = List.GetCount();
    if (n == 1 && List.Get(0).empty())
        return S(2, Quote);
    S out;
    for (int i = 0; i < n; ++i) {
        const S s = List.Get(i);
        if (i > 0)
            out += Delimiter;
        const bool quote = std::any_of(s.begin(), s.end(), [&](Ch c) { return IsBlank(c) || c == Quote || c == Delimiter; });
        if (!quote) {
            out += s;
            continue;
        }
        out += Quote;
        for (Ch c : s) {
            out += c;
            if (c == Quote)
                out += Quote;
        }
        out += Quote;
    }
    return out;
}

// The reverse of JoinDelimited over the characters [P, End), after clearing the list. Blanks
// outside quotes separate items as the delimiter does; doubled quotes inside quotes are one;
// an unclosed quote takes the rest of the text; a delimiter as the very last character adds
// an empty last item.
template <class L, class Ch> void SplitDelimited(L& List, const Ch* P, const Ch* End, Ch Delimiter, Ch Quote)
{
    using S = StringOf<L>;
    TUpdateScope<L> scope(&List);
    List.Clear();
    auto skipBlanks = [&] {
        while (P < End && IsBlank(*P))
            ++P;
    };
    skipBlanks();
    while (P < End) {
        S s;
        if (*P == Quote) {
            ++P;
            while (P < End) {
                if (*P == Quote) {
                    if (End - P < 2 || P[1] != Quote) {
                        ++P;
                        break;
                    }
                    ++P;
                }
                s += *P++;
            }
        } else {
            const Ch* b = P;
            while (P < End && !IsBlank(*P) && *P != Delimiter)
                ++P;
            s.assign(b, P);
        }
        List.Add(s);
        skipBlanks();
        if (P < End && *P == Delimiter) {
            if (End - P == 1)
                List.Add(S());
            ++P;
            skipBlanks();
        }
    }
}

} // namespace zstrlist
