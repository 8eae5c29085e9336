// The skinned tab control's row layout, apart from its painting: the tabs' records as the
// system window gives them, laid out in rows with the selected row next to the body; the
// rectangle each tab is painted in, the tab at a point, the tab a key leads to, and what a
// single row hides at its ends.
#pragma once

#include "classlib/comctrls.h"

#include <functional>
#include <vector>

// One tab as the skinned layout sees it.
struct TzTabInfo {
    WideString Caption;
    int TabIndex = 0;       // in the system window and in Tabs
    int ImageIndex = -1;
    TRect R;                // the platform rectangle, then placed in its row
    int Width = 0;
    int Height = 0;
    int Row = 0;            // 1: the row next to the body
    bool RowSet = false;
};

// What the layout knows of its control.
struct TzTabGeometry {
    TTabPosition Position = tpTop;
    TTabStyle Style = tsTabs;
    int Rows = 1;           // the system window's row count
    int Width = 0;          // the control's size
    int Height = 0;
};

// The tabs a single row at the top or bottom does not show whole: those scrolled out to the
// left (the system gives them no width, or places them left of the strip) and those lying,
// even in part, past the place where the arrows stand. The arrows' range is their sum, their
// position the tabs scrolled out: so every tab can be scrolled to, from either end.
struct TzTabOverflow {
    int ScrolledLeft = 0;
    int HiddenRight = 0;
    int Hidden() const { return ScrolledLeft + HiddenRight; }
};

class TzTabLayout {
public:
    // The records, one a tab in the order of the tabs, with their platform rectangles, laid
    // out in rows (row 1 next to the body); the selected tab's row is made row 1 and its
    // records go last, to be painted over the others.
    void Build(std::vector<TzTabInfo> Records, const TzTabGeometry& Geometry, int SelectedTab);
    void Clear() { FRecords.clear(); }
    const std::vector<TzTabInfo>& Records() const { return FRecords; }
    bool Empty() const { return FRecords.empty(); }
    // The record of a tab, -1 for none.
    int RecordOfTab(int Tab) const;
    // The rectangle record Index is painted in (a selected tab larger, reaching over the
    // body's edge); empty outside the records.
    TRect PaintRect(int Index, int SelectedTab) const;
    // The tab (not the record) at a point, -1 for none.
    int TabAt(TPoint P) const;
    // For a single row at the top or bottom, the tabs for which Shown holds that it does not
    // show whole: Edge is where the arrows begin. Nothing for tabs at the left or right.
    TzTabOverflow Overflow(int Edge, const std::function<bool(int)>& Shown) const;
    // The tab a key (VK_HOME, VK_END, the arrows) leads to from the selected one, -1 for
    // none: along the strip with wrap-around, or across the rows of several.
    int TabByKey(uint16_t Key, int SelectedTab) const;

private:
    bool Vertical() const { return FGeometry.Position == tpLeft || FGeometry.Position == tpRight; }
    void LayOutRows();
    void PlaceRow(TzTabInfo& Info) const;
    void MoveSelectedRow(int SelectedTab);

    std::vector<TzTabInfo> FRecords;
    TzTabGeometry FGeometry;
};
