// The column layout record, the column mapping of hidden columns, sort keys and the sort tint.
#include "controls/ColumnLayout.h"

#include <gtest/gtest.h>

#include "controls/SortTint.h"

namespace velmora {
namespace {

ColumnLayout SevenColumns() {
    ColumnLayout layout;
    for (int c = 0; c < 7; ++c)
        layout.columns.push_back({c != 0, c < 5, 50 + c, c});
    return layout;
}

std::vector<std::uint8_t> Bytes(std::initializer_list<int> values) {
    std::vector<std::uint8_t> out;
    for (int v : values)
        out.push_back(static_cast<std::uint8_t>(v));
    return out;
}

TEST(ColumnLayout, RecordIsLaidDownByteForByte) {
    ColumnLayout layout;
    layout.sortKey = -2;
    layout.columns = {{false, false, 80, 1}, {true, false, 0x1234, 0}};
    // The column that cannot be hidden is written visible whatever its flag says.
    EXPECT_EQ(BuildLayoutRecord(layout), Bytes({2, 0,    0,    0, 0xFE, 0xFF, 0xFF, 0xFF,     //
                                                1, 80,   0,    0, 0,    1,    0,    0,    0,  //
                                                0, 0x34, 0x12, 0, 0,    0,    0,    0,    0}));
}

TEST(ColumnLayout, SevenColumnRecordRestoresExactly) {
    ColumnLayout stored = SevenColumns();
    stored.sortKey = -4;
    stored.columns[2].visible = false;
    stored.columns[5].visible = true;
    stored.columns[3].width = 0;
    const int orders[] = {3, 0, 6, 1, 5, 2, 4};
    for (int c = 0; c < 7; ++c)
        stored.columns[static_cast<std::size_t>(c)].order = orders[c];

    const auto restored = ParseLayoutRecord(BuildLayoutRecord(stored), SevenColumns());
    ASSERT_TRUE(restored);
    EXPECT_EQ(restored->sortKey, -4);
    for (std::size_t c = 0; c < 7; ++c) {
        EXPECT_EQ(restored->columns[c].visible, stored.columns[c].visible) << c;
        EXPECT_EQ(restored->columns[c].width, stored.columns[c].width) << c;
        EXPECT_EQ(restored->columns[c].order, stored.columns[c].order) << c;
    }
}

TEST(ColumnLayout, RecordsThatDoNotFitAreIgnoredWhole) {
    const ColumnLayout current = SevenColumns();
    const std::vector<std::uint8_t> good = BuildLayoutRecord(current);
    ASSERT_TRUE(ParseLayoutRecord(good, current));

    struct Case {
        const char* what;
        std::size_t offset;
        std::uint8_t value;
    };
    const Case cases[] = {
        {"count 6", 0, 6},
        {"sort key of column 9", 4, 10},
        {"sort key -8", 4, 0xF8},
        {"position 7", 8 + 9 * 3 + 5, 7},
        {"position taken twice", 8 + 9 * 3 + 5, 2},
        {"negative width", 8 + 9 * 2 + 4, 0x80},
        {"visible byte 2", 8 + 9 * 1, 2},
    };
    for (const Case& c : cases) {
        std::vector<std::uint8_t> record = good;
        record[c.offset] = c.value;
        if (c.offset == 4 && c.value == 0xF8)
            record[5] = record[6] = record[7] = 0xFF;
        EXPECT_FALSE(ParseLayoutRecord(record, current)) << c.what;
    }
    std::vector<std::uint8_t> longer = good;
    longer.push_back(0);
    EXPECT_FALSE(ParseLayoutRecord(longer, current));
    EXPECT_FALSE(ParseLayoutRecord({}, current));
    EXPECT_FALSE(ParseLayoutRecord(good, ColumnLayout{}));
}

TEST(ColumnLayout, ColumnThatCannotBeHiddenStaysShown) {
    ColumnLayout stored = SevenColumns();
    std::vector<std::uint8_t> record = BuildLayoutRecord(stored);
    record[8] = 0;  // column 0 stored hidden
    const auto restored = ParseLayoutRecord(record, SevenColumns());
    ASSERT_TRUE(restored);
    EXPECT_TRUE(restored->columns[0].visible);
}

TEST(ColumnLayout, HiddenColumnsNeverShiftAnotherColumnsCells) {
    std::vector<ColumnState> columns(5, ColumnState{});
    for (int c = 0; c < 5; ++c)
        columns[static_cast<std::size_t>(c)].order = 4 - c;  // shown right to left
    columns[1].visible = false;
    columns[3].visible = false;

    EXPECT_EQ(ControlIndex(columns, 0), 0);
    EXPECT_EQ(ControlIndex(columns, 1), std::nullopt);
    EXPECT_EQ(ControlIndex(columns, 2), 1);
    EXPECT_EQ(ControlIndex(columns, 4), 2);
    EXPECT_EQ(ControlIndex(columns, 5), std::nullopt);
    EXPECT_EQ(ColumnOfControlIndex(columns, 2), 4);
    EXPECT_EQ(ColumnOfControlIndex(columns, 3), std::nullopt);
    // Only the three shown columns are in the control's order array.
    EXPECT_EQ(ControlOrder(columns), (std::vector<int>{2, 1, 0}));
}

TEST(ColumnLayout, ControlOrderTakenBackKeepsHiddenPlaces) {
    std::vector<ColumnState> columns(4, ColumnState{});
    for (int c = 0; c < 4; ++c)
        columns[static_cast<std::size_t>(c)].order = c;
    columns[1].visible = false;  // display: 0 [1] 2 3
    // The user dragged column 3 to the front: control indices 0, 1, 2 are columns 0, 2, 3.
    TakeControlOrder(columns, {2, 0, 1});
    std::vector<int> orders;
    for (const ColumnState& c : columns)
        orders.push_back(c.order);
    EXPECT_EQ(orders, (std::vector<int>{2, 1, 3, 0}));  // display: 3 [1] 0 2
    EXPECT_EQ(ControlOrder(columns), (std::vector<int>{2, 0, 1}));
}

TEST(ColumnLayout, HeaderClicksChooseAndReverseTheKey) {
    int key = 0;
    key = NextSortKey(key, 2);
    EXPECT_EQ(key, 3);
    key = NextSortKey(key, 2);
    EXPECT_EQ(key, -3);
    key = NextSortKey(key, 2);
    EXPECT_EQ(key, 3);
    EXPECT_EQ(NextSortKey(-3, 6), 7);
}

TEST(SortTint, LightBackgroundDarkensOtherBrightens) {
    EXPECT_EQ(SortTint({255, 255, 255}), (Rgb{247, 247, 247}));
    EXPECT_EQ(SortTint({241, 250, 245}), (Rgb{233, 242, 237}));
    EXPECT_EQ(SortTint({240, 255, 255}), (Rgb{255, 255, 255}));  // 240 is not light: every part grows
    EXPECT_EQ(SortTint({100, 231, 232}), (Rgb{110, 254, 255}));
    EXPECT_EQ(SortTint({0, 9, 10}), (Rgb{0, 9, 11}));
}

}  // namespace
}  // namespace velmora
