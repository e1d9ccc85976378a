#pragma once
// Waiting for what the event loop brings, with the verdict given to GoogleTest. Qt's QTRY_*
// macros report only to a Qt Test run, so inside a GoogleTest test they can never fail.

#include <QTest>
#include <gtest/gtest.h>

// Runs the event loop until `actual == expected` or `ms` pass, then compares the two as EXPECT_EQ
// does, so a value that never arrives fails with both values shown.
#define EXPECT_EVENTUALLY_EQ(actual, expected, ms)                                                           \
    do {                                                                                                     \
        (void)QTest::qWaitFor([&] { return (actual) == (expected); }, ms);                                   \
        EXPECT_EQ(actual, expected);                                                                         \
    } while (0)

// Runs the event loop until `condition` holds or `ms` pass; fails the test when it never held.
#define EXPECT_EVENTUALLY(condition, ms)                                                                     \
    EXPECT_TRUE(QTest::qWaitFor([&] { return bool(condition); }, ms)) << "never became true: " #condition
