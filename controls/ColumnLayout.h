// The column layout of a sortable list: which columns are shown, their widths, their display
// order and the sort key, and the byte record in which the layout is kept between runs.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

namespace velmora {

struct ColumnState {
    bool hideable = true;
    bool visible = true;
    int width = 0;  // the current width while shown, the remembered one while hidden
    int order = 0;  // the position in the display order of all columns, shown or not
};

struct ColumnLayout {
    int sortKey = 0;  // 0 none, +(c+1) ascending on column c, -(c+1) descending
    std::vector<ColumnState> columns;
};

// The record: column count and sort key (signed 32-bit, little-endian), then per column a visible
// byte, the width and the display position (32-bit each). A column that cannot be hidden is always
// written as visible.
std::vector<std::uint8_t> BuildLayoutRecord(const ColumnLayout& layout);

// The layout a record describes for a list of `columnCount` columns, or nothing when the record
// does not fit that list: wrong size or count, a sort key beyond the columns, a negative width, or
// display positions that are not each of 0 to count-1 exactly once. A record that fails is
// ignored whole. Columns that cannot be hidden (`hideable` false in `current`) stay visible.
std::optional<ColumnLayout> ParseLayoutRecord(const std::vector<std::uint8_t>& record, const ColumnLayout& current);

// The control holds only the shown columns, in column order: column c is the control's column
// ControlIndex(c). Nothing for a hidden column.
std::optional<int> ControlIndex(const std::vector<ColumnState>& columns, int column);
// The column that the control's column `index` shows.
std::optional<int> ColumnOfControlIndex(const std::vector<ColumnState>& columns, int index);

// The display order to give the control: control indices of the shown columns, ordered by their
// display positions.
std::vector<int> ControlOrder(const std::vector<ColumnState>& columns);

// Takes the control's current display order (control indices of the shown columns) into the
// columns' positions: the shown columns fill the places shown columns held before, in the new
// order, and hidden columns keep their places, so the positions stay each of 0 to count-1 once.
void TakeControlOrder(std::vector<ColumnState>& columns, const std::vector<int>& controlOrder);

// The sort key after a click on the header of `column`: the same column again reverses the order.
int NextSortKey(int sortKey, int column);

}  // namespace velmora
