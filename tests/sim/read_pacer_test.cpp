// The --byte-rate pacing on its own clock: how much may be read when, and when reading resumes.
#include "read_pacer.h"

#include <gtest/gtest.h>

namespace {

struct PacerCase
{
    std::int64_t rate;
    std::int64_t burst;         // bytes a full credit allows, at once
    std::int64_t oneByteMicros; // wait for the next byte after a read that emptied the line
};

void PrintTo(const PacerCase &c, std::ostream *os)
{
    *os << c.rate << " bytes/s";
}

class PacedReading : public ::testing::TestWithParam<PacerCase>
{
};

TEST_P(PacedReading, AllowsABurstThenTheRate)
{
    const PacerCase &c = GetParam();
    ReadPacer pacer(c.rate);
    const std::int64_t start = 5000000;
    EXPECT_EQ(pacer.allowance(start), c.burst);
    EXPECT_FALSE(pacer.resumeMicros(start).has_value());

    // The line was emptied: reading resumes as soon as one byte is due.
    pacer.took(c.burst, c.burst + 1);
    EXPECT_EQ(pacer.allowance(start), 0);
    EXPECT_EQ(pacer.resumeMicros(start), start + c.oneByteMicros);
    const std::int64_t due = c.oneByteMicros * c.rate / 1000000;
    EXPECT_GE(due, 1);
    EXPECT_EQ(pacer.allowance(start + c.oneByteMicros), due);

    // Bytes backed up: reading resumes when a whole burst is due.
    pacer.took(due, due);
    const std::optional<std::int64_t> resume = pacer.resumeMicros(start + c.oneByteMicros);
    ASSERT_TRUE(resume.has_value());
    EXPECT_NEAR(
        double(*resume - start - c.oneByteMicros), double(c.burst) * 1e6 / double(c.rate), 1.0);
    EXPECT_EQ(pacer.allowance(*resume), c.burst);

    // Idle time saves up no more than one burst.
    EXPECT_EQ(pacer.allowance(*resume + 60000000), c.burst);
}

INSTANTIATE_TEST_SUITE_P(Table,
                         PacedReading,
                         ::testing::Values(PacerCase{3840, 38, 261},
                                           PacerCase{1, 1, 1000000},
                                           PacerCase{150, 1, 6667},
                                           PacerCase{10000000, 100000, 1}));

} // namespace
