#include "links/link_sequence.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QStringList>
#include <gtest/gtest.h>

using zenthra::LinkSequence;

TEST(LinkSequence, RunsStepsInOrderWithPausesBetween)
{
    LinkSequence seq;
    QSignalSpy idle(&seq, &LinkSequence::idle);
    QStringList log;
    QElapsedTimer clock;
    qint64 second = 0;
    clock.start();
    seq.run([&] { log << "bye"; });
    EXPECT_EQ(log, QStringList{"bye"}); // nothing waiting: runs at once
    seq.pause(200);
    seq.run([&] {
        log << "q";
        second = clock.elapsed();
    });
    seq.run([&] { log << "close"; });
    EXPECT_TRUE(seq.busy());
    EXPECT_EQ(log, QStringList{"bye"});
    ASSERT_TRUE(idle.wait(2000));
    EXPECT_EQ(log, (QStringList{"bye", "q", "close"}));
    EXPECT_GE(second, 195);
    EXPECT_FALSE(seq.busy());
}

TEST(LinkSequence, StepsQueuedByAStepRunAfterIt)
{
    LinkSequence seq;
    QStringList log;
    seq.run([&] {
        log << "a";
        seq.run([&] { log << "c"; });
        log << "b";
    });
    EXPECT_EQ(log, (QStringList{"a", "b", "c"}));
}
