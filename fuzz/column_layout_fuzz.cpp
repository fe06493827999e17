// Feeds the list layout record as the registry gives it back. The first byte chooses the list (1 to
// 8 columns), the second which of its columns can be hidden; the rest is the record. A record that
// restores is the one the list writes back, byte for byte (a column that cannot be hidden reads as
// shown whatever its visible byte says, so that byte alone comes back as 1); a refused record
// leaves the current layout as it was.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "controls/ColumnLayout.h"

namespace {
void Require(bool holds, const char* what) {
    if (!holds) {
        std::fprintf(stderr, "broken: %s\n", what);
        std::abort();
    }
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace velmora;
    if (size < 2)
        return 0;
    ColumnLayout current;
    current.sortKey = 2;
    for (int c = 0; c < data[0] % 8 + 1; ++c)
        current.columns.push_back({(data[1] >> c & 1) != 0, true, 50 + c, c});
    const std::vector<std::uint8_t> record(data + 2, data + size);

    const std::vector<std::uint8_t> before = BuildLayoutRecord(current);
    const auto restored = ParseLayoutRecord(record, current);
    Require(BuildLayoutRecord(current) == before, "the current layout changed");
    if (!restored)
        return 0;
    std::vector<std::uint8_t> expected = record;
    for (std::size_t c = 0; c < current.columns.size(); ++c) {
        Require(restored->columns[c].hideable == current.columns[c].hideable, "a column changed its kind");
        if (!current.columns[c].hideable)
            expected[8 + 9 * c] = 1;
    }
    Require(BuildLayoutRecord(*restored) == expected, "the restored layout writes another record");
    return 0;
}
