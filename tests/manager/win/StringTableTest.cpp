// Every string id the manager's headers define has its text in the manager's string table. The
// list of ids is written by the build from the headers themselves, so a new id is tested at once.
#include <windows.h>

#include <gtest/gtest.h>

#include <iterator>
#include <string>

#include "platform/win/ResourceText.h"

// The headers first; the list of ids below.
#define VELMORA_STRING_ID(name)
#include "ManagerStringIds.inc"
#undef VELMORA_STRING_ID

namespace velmora {
namespace {

struct NamedStringId {
    const char* name;
    int id;
};

#define VELMORA_STRING_ID(name) {#name, name},
constexpr NamedStringId kStringIds[] = {
#include "ManagerStringIds.inc"
};
#undef VELMORA_STRING_ID

TEST(StringTable, EveryIdTheManagersHeadersDefineHasItsText) {
    // The headers were found: the manager has dozens of texts.
    ASSERT_GT(std::size(kStringIds), 80u);
    for (const NamedStringId& id : kStringIds)
        EXPECT_FALSE(LoadText(id.id).empty()) << id.name << " " << id.id;
}

}  // namespace
}  // namespace velmora
