// The column layout record and the mapping between a list's columns and the control's columns.
#include "controls/ColumnLayout.h"

#include <algorithm>
#include <cstdlib>
#include <numeric>

namespace velmora {
namespace {

constexpr std::size_t kHeaderBytes = 8;
constexpr std::size_t kColumnBytes = 9;

void PutInt(std::vector<std::uint8_t>& out, std::int32_t value) {
    const auto bits = static_cast<std::uint32_t>(value);
    for (int shift = 0; shift < 32; shift += 8)
        out.push_back(static_cast<std::uint8_t>(bits >> shift));
}

std::int32_t GetInt(const std::vector<std::uint8_t>& in, std::size_t at) {
    std::uint32_t bits = 0;
    for (int i = 3; i >= 0; --i)
        bits = (bits << 8) | in[at + static_cast<std::size_t>(i)];
    return static_cast<std::int32_t>(bits);
}

// Columns in display order.
std::vector<int> ByDisplayPosition(const std::vector<ColumnState>& columns) {
    std::vector<int> order(columns.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
        return columns[static_cast<std::size_t>(a)].order < columns[static_cast<std::size_t>(b)].order;
    });
    return order;
}

}  // namespace

std::vector<std::uint8_t> BuildLayoutRecord(const ColumnLayout& layout) {
    std::vector<std::uint8_t> record;
    record.reserve(kHeaderBytes + kColumnBytes * layout.columns.size());
    PutInt(record, static_cast<std::int32_t>(layout.columns.size()));
    PutInt(record, layout.sortKey);
    for (const ColumnState& column : layout.columns) {
        record.push_back(column.visible || !column.hideable ? 1 : 0);
        PutInt(record, column.width);
        PutInt(record, column.order);
    }
    return record;
}

std::optional<ColumnLayout> ParseLayoutRecord(const std::vector<std::uint8_t>& record, const ColumnLayout& current) {
    const std::size_t count = current.columns.size();
    if (count == 0 || record.size() != kHeaderBytes + kColumnBytes * count)
        return std::nullopt;
    if (GetInt(record, 0) != static_cast<std::int32_t>(count))
        return std::nullopt;
    ColumnLayout layout;
    layout.sortKey = GetInt(record, 4);
    if (std::llabs(static_cast<long long>(layout.sortKey)) > static_cast<long long>(count))
        return std::nullopt;
    std::vector<bool> positionTaken(count, false);
    layout.columns = current.columns;
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t at = kHeaderBytes + kColumnBytes * i;
        const std::uint8_t visible = record[at];
        const std::int32_t width = GetInt(record, at + 1);
        const std::int32_t position = GetInt(record, at + 5);
        if (visible > 1 || width < 0 || position < 0 || static_cast<std::size_t>(position) >= count ||
            positionTaken[static_cast<std::size_t>(position)])
            return std::nullopt;
        positionTaken[static_cast<std::size_t>(position)] = true;
        ColumnState& column = layout.columns[i];
        column.visible = visible == 1 || !column.hideable;
        column.width = width;
        column.order = position;
    }
    return layout;
}

std::optional<int> ControlIndex(const std::vector<ColumnState>& columns, int column) {
    if (column < 0 || static_cast<std::size_t>(column) >= columns.size() ||
        !columns[static_cast<std::size_t>(column)].visible)
        return std::nullopt;
    return static_cast<int>(
        std::count_if(columns.begin(), columns.begin() + column, [](const ColumnState& c) { return c.visible; }));
}

std::optional<int> ColumnOfControlIndex(const std::vector<ColumnState>& columns, int index) {
    int shown = 0;
    for (std::size_t c = 0; c < columns.size(); ++c) {
        if (!columns[c].visible)
            continue;
        if (shown++ == index)
            return static_cast<int>(c);
    }
    return std::nullopt;
}

std::vector<int> ControlOrder(const std::vector<ColumnState>& columns) {
    std::vector<int> order;
    for (const int column : ByDisplayPosition(columns)) {
        if (const auto index = ControlIndex(columns, column))
            order.push_back(*index);
    }
    return order;
}

void TakeControlOrder(std::vector<ColumnState>& columns, const std::vector<int>& controlOrder) {
    std::vector<int> shownInNewOrder;
    for (const int index : controlOrder) {
        if (const auto column = ColumnOfControlIndex(columns, index))
            shownInNewOrder.push_back(*column);
    }
    std::vector<int> places = ByDisplayPosition(columns);
    auto next = shownInNewOrder.begin();
    for (int& place : places) {
        if (columns[static_cast<std::size_t>(place)].visible && next != shownInNewOrder.end())
            place = *next++;
    }
    for (std::size_t position = 0; position < places.size(); ++position)
        columns[static_cast<std::size_t>(places[position])].order = static_cast<int>(position);
}

int NextSortKey(int sortKey, int column) {
    const int key = column + 1;
    return std::abs(sortKey) == key ? -sortKey : key;
}

}  // namespace velmora
