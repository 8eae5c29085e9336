#include "skinctl/ztabcontrol_layout.h"

#include <algorithm>
#include <cstdlib>

void TzTabLayout::Build(std::vector<TzTabInfo> Records, const TzTabGeometry& Geometry, int SelectedTab)
{
    FRecords = std::move(Records);
    FGeometry = Geometry;
    FGeometry.Rows = std::max(1, Geometry.Rows);
    for (TzTabInfo& t : FRecords) {
        t.Width = t.R.Width();
        t.Height = t.R.Height();
        t.Row = 0;
        t.RowSet = false;
    }
    LayOutRows();
    MoveSelectedRow(SelectedTab);
}

void TzTabLayout::PlaceRow(TzTabInfo& T) const
{
    // Row 1 lies next to the body; each row further out is one tab size nearer the strip's
    // outer edge, which is the control's top or left edge, or (mirrored) its bottom or right.
    const bool vertical = Vertical();
    const int size = vertical ? T.Width : T.Height;
    const int fromOuter = (FGeometry.Rows - T.Row) * size + 1;
    int32_t& low = vertical ? T.R.Left : T.R.Top;
    int32_t& high = vertical ? T.R.Right : T.R.Bottom;
    if (FGeometry.Position == tpTop || FGeometry.Position == tpLeft) {
        low = fromOuter;
        high = low + size;
    } else {
        high = (vertical ? FGeometry.Width : FGeometry.Height) - fromOuter;
        low = high - size;
    }
}

void TzTabLayout::LayOutRows()
{
    const bool vertical = Vertical();
    int row = FGeometry.Rows + 1;
    auto lead = [vertical](const TzTabInfo& t) { return vertical ? t.R.Top : t.R.Left; };
    auto trail = [vertical](const TzTabInfo& t) { return vertical ? t.R.Left : t.R.Top; };
    // A tab that starts near the strip's start begins a row; the tabs across from it within
    // two pixels belong to it.
    for (TzTabInfo& first : FRecords) {
        if (first.RowSet || lead(first) >= 4)
            continue;
        row = std::max(1, row - 1);
        const int line = trail(first);
        for (TzTabInfo& t : FRecords)
            if (!t.RowSet && std::abs(trail(t) - line) <= 2) {
                t.Row = row;
                t.RowSet = true;
            }
    }
    for (TzTabInfo& t : FRecords)
        if (t.RowSet)
            PlaceRow(t);
}

void TzTabLayout::MoveSelectedRow(int SelectedTab)
{
    const int sel = RecordOfTab(SelectedTab);
    if (sel < 0)
        return;
    const int row = FRecords[static_cast<size_t>(sel)].Row;
    if (row > 1) {
        // The rows trade places: the selected one comes next to the body.
        for (TzTabInfo& t : FRecords) {
            if (t.Row == row)
                t.Row = 1;
            else if (t.Row == 1)
                t.Row = row;
            if (t.RowSet)
                PlaceRow(t);
        }
    }
    // With one row every tab is in row 1: the order stays as it was.
    if (row >= 1)
        std::stable_partition(FRecords.begin(), FRecords.end(), [](const TzTabInfo& t) { return t.Row != 1; });
}

int TzTabLayout::RecordOfTab(int Tab) const
{
    for (size_t i = 0; i < FRecords.size(); ++i)
        if (FRecords[i].TabIndex == Tab)
            return static_cast<int>(i);
    return -1;
}

TRect TzTabLayout::PaintRect(int Index, int SelectedTab) const
{
    if (Index < 0 || Index >= static_cast<int>(FRecords.size()))
        return TRect();
    const TzTabInfo& t = FRecords[static_cast<size_t>(Index)];
    TRect r = t.R;
    if (FGeometry.Style != tsTabs || r.Width() == 0)
        return r;
    const bool sel = t.TabIndex == SelectedTab;
    if (sel) {
        r.Bottom -= 1;
    } else {
        r.Bottom += 3;
        r.Right -= 1;
    }
    switch (FGeometry.Position) {
    case tpTop:
        if (sel)
            r = TRect(r.Left - 2, r.Top - 1, r.Right + 2, r.Bottom + 1);
        r.Bottom += 2;
        break;
    case tpBottom:
        if (sel)
            r = TRect(r.Left - 2, r.Top - 1, r.Right + 2, r.Bottom + 1);
        r.Top -= 2;
        r.Bottom += sel ? 1 : -3;
        break;
    case tpLeft:
        r.Top -= 1;
        r.Bottom += 1;
        r.Right += 2;
        if (sel) {
            r = TRect(r.Left - 1, r.Top - 1, r.Right + 1, r.Bottom + 1);
        } else {
            r.Bottom -= 4;
            r.Right += 2;
        }
        break;
    case tpRight:
        r = TRect(r.Left - 2, r.Top - 1, r.Right, r.Bottom - 1);
        if (sel)
            r = TRect(r.Left - 1, r.Top - 1, r.Right + 1, r.Bottom + 4);
        else
            r.Bottom -= 2;
        break;
    }
    return r;
}

int TzTabLayout::TabAt(TPoint P) const
{
    for (const TzTabInfo& t : FRecords)
        if (t.R.Contains(P))
            return t.TabIndex;
    return -1;
}

TzTabOverflow TzTabLayout::Overflow(int Edge, const std::function<bool(int)>& Shown) const
{
    TzTabOverflow o;
    if (Vertical())
        return o;
    for (const TzTabInfo& t : FRecords) {
        if (!Shown(t.TabIndex))
            continue;
        if (t.R.IsEmpty() || t.R.Right < 5)
            ++o.ScrolledLeft;
        else if (t.R.Right > Edge)
            ++o.HiddenRight;
    }
    return o;
}

int TzTabLayout::TabByKey(uint16_t Key, int SelectedTab) const
{
    const int count = static_cast<int>(FRecords.size());
    if (count == 0)
        return -1;
    const int sel = RecordOfTab(SelectedTab);
    const TzTabInfo* info = sel >= 0 ? &FRecords[static_cast<size_t>(sel)] : nullptr;
    const bool vertical = Vertical();
    const bool rows = FGeometry.Rows > 1;
    // Along the strip, wrapping round; from no selection forward starts at the last tab.
    auto along = [&](bool forward) {
        if (SelectedTab < 0)
            return forward ? count - 1 : 0;
        return (SelectedTab + (forward ? 1 : count - 1)) % count;
    };
    // Across the rows: the tab one tab size away from the selected one's centre.
    auto across = [&](int dx, int dy) {
        if (!rows || !info)
            return -1;
        const TPoint centre((info->R.Left + info->R.Right) / 2, (info->R.Top + info->R.Bottom) / 2);
        return TabAt(TPoint(centre.X + dx, centre.Y + dy));
    };
    switch (Key) {
    case VK_END:
        return count - 1;
    case VK_HOME:
        return 0;
    case VK_LEFT:
    case VK_RIGHT: {
        const bool forward = Key == VK_RIGHT;
        if (!vertical)
            return along(forward);
        return info ? across(forward ? info->Width : -info->Width, 0) : -1;
    }
    case VK_UP:
    case VK_DOWN: {
        const bool forward = Key == VK_DOWN;
        if (vertical)
            return along(forward);
        return info ? across(0, forward ? info->Height : -info->Height) : -1;
    }
    default:
        return -1;
    }
}
