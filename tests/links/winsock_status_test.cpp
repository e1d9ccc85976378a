#include "links/winsock_status.h"

#include <gtest/gtest.h>

using zenthra::WINSOCK_STATUS;

TEST(WinsockStatus, NamesEveryStateAndMarksUnknownOnes)
{
    const char* expected[] = {
        "Zenthra calcs from DXC. DXC STATUS: Closed..",
        "Zenthra calcs from DXC. DXC STATUS: Open",
        "Zenthra calcs from DXC. DXC  STATUS: Listening",
        "Zenthra calcs from DXC. DXC STATUS: Connection pending",
        "Zenthra calcs from DXC. DXC STATUS: Resolving host",
        "Zenthra calcs from DXC. DXC STATUS: Host resolved",
        "Zenthra calcs from DXC. DXC STATUS: Connecting..",
        "Zenthra calcs from DXC. DXC STATUS: Connected",
        "Zenthra calcs from DXC. DXC STATUS: Disconnecting..",
        "Zenthra calcs from DXC. DXC STATUS: Error!",
    };
    for (int state = 0; state <= 9; ++state) {
        EXPECT_EQ(WINSOCK_STATUS("DXC", static_cast<float>(state)), expected[state]);
    }
    EXPECT_EQ(WINSOCK_STATUS("WWC", 7), "Zenthra calcs from DXC. WWC STATUS: Connected");
    EXPECT_EQ(WINSOCK_STATUS("DXC", 10), "Zenthra calcs from DXC. DXC STATUS: ?? 10 ??");
    EXPECT_EQ(WINSOCK_STATUS("BBS", -1), "Zenthra calcs from DXC. BBS STATUS: ?? -1 ??");
    EXPECT_EQ(WINSOCK_STATUS("BBS", 2.5f), "Zenthra calcs from DXC. BBS STATUS: ?? 2.5 ??");
}
