// The order and timing of answers on their way out, whole or split in two writes.
#include "output_queue.h"
#include "qt_printers.h"

#include <gtest/gtest.h>

namespace {

// Everything due up to nowMs, in order.
QList<QByteArray> takeAllDue(OutputQueue &queue, std::int64_t nowMs)
{
    QList<QByteArray> pieces;
    while (const std::optional<QByteArray> piece = queue.takeDue(nowMs))
        pieces.append(*piece);
    return pieces;
}

TEST(OutputQueue, WholeAnswersAreDueAtOnceInOrder)
{
    OutputQueue queue;
    EXPECT_TRUE(queue.isEmpty());
    EXPECT_FALSE(queue.nextDueMs().has_value());
    queue.push("stt 0\r", 100);
    queue.push(">\r", 100);
    EXPECT_EQ(queue.nextDueMs(), 100);
    EXPECT_TRUE(takeAllDue(queue, 99).isEmpty());
    EXPECT_EQ(takeAllDue(queue, 100), (QList<QByteArray>{"stt 0\r", ">\r"}));
    EXPECT_TRUE(queue.isEmpty());
}

TEST(OutputQueue, EmptyAnswerQueuesNothing)
{
    OutputQueue queue(true);
    queue.push("", 5);
    EXPECT_TRUE(queue.isEmpty());
}

struct SplitCase
{
    QByteArray answer;
    QByteArray first;
    QByteArray second;
};

void PrintTo(const SplitCase &c, std::ostream *os)
{
    PrintTo(c.answer, os);
}

class SplitAnswer : public ::testing::TestWithParam<SplitCase>
{
};

TEST_P(SplitAnswer, GoesOutAsFirstHalfNowAndTheRestLater)
{
    OutputQueue queue(true, 40);
    queue.push(GetParam().answer, 1000);
    EXPECT_EQ(takeAllDue(queue, 1000), QList<QByteArray>{GetParam().first});
    EXPECT_EQ(queue.nextDueMs(), 1040);
    EXPECT_TRUE(takeAllDue(queue, 1039).isEmpty());
    EXPECT_EQ(takeAllDue(queue, 1040), QList<QByteArray>{GetParam().second});
    EXPECT_TRUE(queue.isEmpty());
}

INSTANTIATE_TEST_SUITE_P(Answers,
                         SplitAnswer,
                         ::testing::Values(SplitCase{">\r", ">", "\r"},
                                           SplitCase{"stt 0\r", "stt", " 0\r"},
                                           SplitCase{"stt-1\r", "stt", "-1\r"},
                                           SplitCase{"ver 1.00\r", "ver ", "1.00\r"}));

TEST(OutputQueue, SingleByteIsNotSplit)
{
    OutputQueue queue(true, 40);
    queue.push("\r", 0);
    EXPECT_EQ(takeAllDue(queue, 0), QList<QByteArray>{"\r"});
}

TEST(OutputQueue, LaterAnswerWaitsBehindTheRestOfAnEarlierOne)
{
    OutputQueue queue(true, 40);
    queue.push("stt 1\r", 0);
    queue.push(">\r", 10);
    EXPECT_EQ(takeAllDue(queue, 10), QList<QByteArray>{"stt"});
    EXPECT_EQ(takeAllDue(queue, 40), (QList<QByteArray>{" 1\r", ">"}));
    EXPECT_EQ(takeAllDue(queue, 79), QList<QByteArray>{});
    EXPECT_EQ(takeAllDue(queue, 80), QList<QByteArray>{"\r"});
}

TEST(OutputQueue, AnswerPushedAfterTheQueueRanDryIsDueAtItsOwnTime)
{
    OutputQueue queue(true, 40);
    queue.push(">\r", 0);
    takeAllDue(queue, 40);
    queue.push("ver 1.00\r", 500);
    EXPECT_EQ(queue.nextDueMs(), 500);
}

TEST(OutputQueue, UnwrittenRestGoesBackInFront)
{
    OutputQueue queue;
    queue.push("ver 1.00\r", 0);
    queue.push(">\r", 0);
    const std::optional<QByteArray> piece = queue.takeDue(0);
    ASSERT_TRUE(piece.has_value());
    queue.putBack(piece->sliced(3), 7);
    EXPECT_EQ(queue.nextDueMs(), 7);
    EXPECT_EQ(takeAllDue(queue, 7), (QList<QByteArray>{" 1.00\r", ">\r"}));
}

} // namespace
