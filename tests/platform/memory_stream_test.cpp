#include "platform/errors.h"
#include "platform/memory_stream.h"
#include "platform/ole_date.h"

#include <gtest/gtest.h>

TEST(MemoryStream, GrowsOnWriteAndFillsGaps)
{
    TMemoryStream s;
    s.SetPosition(4);
    s.WriteInt32(-2);
    EXPECT_EQ(s.Size(), 8);
    EXPECT_EQ(s.Bytes()[0], 0);
    s.SetPosition(4);
    EXPECT_EQ(s.ReadInt32(), -2);
    EXPECT_EQ(s.Position(), 8);
    EXPECT_EQ(s.Seek(-4, soEnd), 4);
    EXPECT_THROW(s.Seek(-9, soCurrent), EStreamError);
    EXPECT_EQ(s.Position(), 4) << "a refused seek leaves the position";
}

TEST(MemoryStream, RefusesToGrowPastTheLargestOffset)
{
    TMemoryStream s;
    s.Seek(INT32_MAX - 1, soBeginning);
    EXPECT_THROW(s.WriteInt32(1), EStreamError);
}

TEST(OleDate, ConvertsKnownDaysAndRejectsNonsense)
{
    EXPECT_EQ(OleDateToIso(0.0), "1899-12-30T00:00:00");
    EXPECT_EQ(OleDateToIso(36526.5), "2000-01-01T12:00:00");
    EXPECT_EQ(OleDateToIso(-1.25), "1899-12-29T06:00:00");
    EXPECT_EQ(OleDateToIso(1e300), "");
    const double now = OleDateNow();
    EXPECT_GT(now, 46000.0);  // after 2025
}
