// What the tests of tree views share: the items of a system tree window in the order it
// shows them, each with its level, a recorder of the tree's notifications to its form, and
// the window's question for an item's text.
#pragma once

#include "msgrecorder.h"
#include "classlib/controls.h"

#include <algorithm>
#include <initializer_list>
#include <type_traits>
#include <utility>
#include <vector>

inline std::vector<std::pair<HTREEITEM, int>> TreeWindowItems(HWND Tree, HTREEITEM Parent = nullptr, int Level = 0)
{
    const auto next = [Tree](HTREEITEM Item, UINT How) {
        return reinterpret_cast<HTREEITEM>(SendMessageW(Tree, TVM_GETNEXTITEM, How, reinterpret_cast<LPARAM>(Item)));
    };
    std::vector<std::pair<HTREEITEM, int>> items;
    for (HTREEITEM item = next(Parent, Parent ? TVGN_CHILD : TVGN_ROOT); item; item = next(item, TVGN_NEXT)) {
        items.emplace_back(item, Level);
        const auto below = TreeWindowItems(Tree, item, Level + 1);
        items.insert(items.end(), below.begin(), below.end());
    }
    return items;
}

// Records the notifications of the codes given that the tree ("tree") sends its form ("form").
inline void RecordTreeNotifications(TMsgRecorder& Rec, HWND Form, HWND Tree, std::initializer_list<UINT> Codes)
{
    Rec.Only([codes = std::vector<UINT>(Codes)](UINT Msg, WPARAM, LPARAM L) {
        return Msg == WM_NOTIFY && std::count(codes.begin(), codes.end(), reinterpret_cast<NMHDR*>(L)->code) > 0;
    });
    Rec.Attach(Form, "form");
    Rec.Name(Tree, "tree");
}

// TVN_GETDISPINFOA (or W, for a wide buffer) for the item of Node as the window sends it,
// reflected to the tree view.
template <class C> void AskItemText(TWinControl* Tree, HTREEITEM Item, const void* Node, C* Buffer, int Size)
{
    constexpr bool wide = sizeof(C) == 2;
    std::conditional_t<wide, NMTVDISPINFOW, NMTVDISPINFOA> info{};
    info.hdr.hwndFrom = Tree->Handle();
    info.hdr.code = wide ? TVN_GETDISPINFOW : TVN_GETDISPINFOA;
    info.item.mask = TVIF_TEXT | TVIF_PARAM;
    info.item.hItem = Item;
    info.item.lParam = reinterpret_cast<LPARAM>(Node);
    info.item.pszText = Buffer;
    info.item.cchTextMax = Size;
    Tree->Perform(CN_NOTIFY, 0, reinterpret_cast<LPARAM>(&info));
}
