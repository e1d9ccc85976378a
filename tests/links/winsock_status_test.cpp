#include "links/winsock_status.h"

#include <gtest/gtest.h>

using zenthra::WINSOCK_STATUS;

TEST(WinsockStatus, NamesTheStatesAndMarksUnknownOnes)
{
    EXPECT_EQ(WINSOCK_STATUS("DXC", 0), "Zenthra calcs from DXC. DXC STATUS: Closed..");
    EXPECT_EQ(WINSOCK_STATUS("DXC", 2), "Zenthra calcs from DXC. DXC  STATUS: Listening");
    EXPECT_EQ(WINSOCK_STATUS("WWC", 7), "Zenthra calcs from DXC. WWC STATUS: Connected");
    EXPECT_EQ(WINSOCK_STATUS("DXC", 9), "Zenthra calcs from DXC. DXC STATUS: Error!");
    EXPECT_EQ(WINSOCK_STATUS("DXC", 10), "Zenthra calcs from DXC. DXC STATUS: ?? 10 ??");
    EXPECT_EQ(WINSOCK_STATUS("BBS", -1), "Zenthra calcs from DXC. BBS STATUS: ?? -1 ??");
    EXPECT_EQ(WINSOCK_STATUS("BBS", 2.5f), "Zenthra calcs from DXC. BBS STATUS: ?? 2.5 ??");
}
