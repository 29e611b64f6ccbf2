#include "store/host_capabilities.h"

#include <gtest/gtest.h>

namespace sw {
namespace {

// Each capability, stated once for every host the add-in meets: 0 is a host
// whose version could not be read.
struct CapabilityRow {
    int version;
    bool ribbon, toolbar, itemContextMenuEvent, commandBarsEvent, accountListCopies,
        officeProfilesRoot, newMailEx, conversations, folderStore, namespaceStores,
        storeDefaultFolder;
};

constexpr CapabilityRow kRows[] = {
    // version  ribbon toolbar itemCtx bars copies office newMail convers folderSt stores storeDef
    {0, false, true, false, true, false, false, true, false, false, false, false},
    {11, false, true, false, true, false, false, true, false, false, false, false},
    {12, false, true, true, false, false, false, true, false, true, true, false},
    {14, true, false, false, false, true, false, true, true, true, true, true},
    {15, true, false, false, false, true, true, true, true, true, true, true},
    {16, true, false, false, false, true, true, true, true, true, true, true},
};

TEST(HostCapabilities, FollowTheHostVersion) {
    for (const CapabilityRow& row : kRows) {
        const HostCapabilities host(row.version);
        SCOPED_TRACE(row.version);
        EXPECT_EQ(host.version, row.version);
        EXPECT_EQ(host.ribbon, row.ribbon);
        EXPECT_EQ(host.toolbar, row.toolbar);
        EXPECT_EQ(host.itemContextMenuEvent, row.itemContextMenuEvent);
        EXPECT_EQ(host.commandBarsEvent, row.commandBarsEvent);
        EXPECT_EQ(host.accountListCopies, row.accountListCopies);
        EXPECT_EQ(host.officeProfilesRoot, row.officeProfilesRoot);
        EXPECT_EQ(host.newMailEx, row.newMailEx);
        EXPECT_EQ(host.conversations, row.conversations);
        EXPECT_EQ(host.folderStore, row.folderStore);
        EXPECT_EQ(host.namespaceStores, row.namespaceStores);
        EXPECT_EQ(host.storeDefaultFolder, row.storeDefaultFolder);
    }
    static_assert(HostCapabilities().version == 0, "an unknown host until start-up");
}

} // namespace
} // namespace sw
