// The benchmark's arithmetic and table: percentiles, the figures passed between its processes,
// and the verdicts it prints against the targets.
#include <gtest/gtest.h>

#include <numeric>
#include <sstream>
#include <string>
#include <vector>

#include "Report.h"

namespace {

TEST(BenchFigures, PercentilesInterpolateOverUnsortedSamples) {
    EXPECT_DOUBLE_EQ(median({}), 0.0);
    // An even count lies between the two middle samples, unsorted as they come.
    EXPECT_DOUBLE_EQ(median({4.0, 1.0, 3.0, 2.0}), 2.5);
    std::vector<double> ramp(101);
    std::iota(ramp.rbegin(), ramp.rend(), 0.0);
    EXPECT_DOUBLE_EQ(percentile(ramp, 0.95), 95.0);
    // Fractions outside 0..1 clamp instead of reading past the samples.
    EXPECT_DOUBLE_EQ(percentile(ramp, 1.5), 100.0);
    EXPECT_DOUBLE_EQ(percentile(ramp, -1.0), 0.0);
    EXPECT_DOUBLE_EQ(percentile({1.0, 2.0}, 0.25), 1.25);
}

TEST(BenchFigures, LevelFiguresSurviveTheTripBetweenProcesses) {
    const LevelFigures sent{.level = 3,
                            .culling = true,
                            .frame = {.label = {}, .p95Ms = 52.5},
                            .allocations = 0.25,
                            .floorMs = 30.75,
                            .shadowTriangles = 51234,
                            .passGpuMs = {0.0, 0.0, 17.5, 0.0},
                            .presentCpuMs = 0.75};
    LevelFigures received;
    ASSERT_TRUE(decodeLevel(encodeLevel(sent), received));
    // Sent back, the figures come out as they went in.
    EXPECT_EQ(encodeLevel(received), encodeLevel(sent));
    // Other lines of a child's output, and cut-off lines, are not taken for figures.
    for (const char* line : {"clear 1.5", "level 1 0 40.0", ""}) {
        EXPECT_FALSE(decodeLevel(line, received)) << line;
    }
}

std::string report(double startupSeconds, double frameMs, double floorMs) {
    const LevelFigures level{.level = 1,
                             .frame = {.label = {}, .medianMs = frameMs},
                             .clearMs = 1.0,
                             .floorMs = floorMs};
    std::ostringstream out;
    writeReport(out, {.total = startupSeconds, .bareTotal = 0.25, .runs = 5},
                {{.width = 1280, .height = 720, .clearMs = 1.0, .levels = {level}}});
    return out.str();
}

// The row of level 1, from its label to the end of the line.
std::string levelRow(const std::string& table) {
    const size_t start = table.find("  1 all");
    return start == std::string::npos ? "" : table.substr(start, table.find('\n', start) - start);
}

TEST(BenchTable, MarksEachTargetMetOrByHowFarItMisses) {
    // 0.5 s start-up and 28 ms frames within 1.15 x a 25 ms floor: both met.
    const std::string good = report(0.5, 28.0, 25.0);
    EXPECT_NE(good.find("target <= 600 ms: met"), std::string::npos) << good;
    EXPECT_NE(good.find("game / bare: 2.00x"), std::string::npos) << good;
    const std::string goodRow = levelRow(good);
    EXPECT_NE(goodRow.find("1.12x"), std::string::npos) << goodRow;
    EXPECT_NE(goodRow.find("met"), std::string::npos) << goodRow;

    // 0.85 s start-up misses by 250 ms; a frame at 2 x the floor misses the ratio.
    const std::string slow = report(0.85, 50.0, 25.0);
    EXPECT_NE(slow.find("NOT met (250 ms over)"), std::string::npos) << slow;
    const std::string slowRow = levelRow(slow);
    EXPECT_NE(slowRow.find("2.00x"), std::string::npos) << slowRow;
    EXPECT_NE(slowRow.find(" no"), std::string::npos) << slowRow;
    // Within the ratio but under 30 frames per second still misses.
    EXPECT_NE(levelRow(report(0.5, 40.0, 35.0)).find(" no"), std::string::npos);
}

TEST(BenchTable, MissingBaselinesPrintZeroRatiosInsteadOfDividingByZero) {
    const std::string table = report(0.5, 30.0, 0.0);
    EXPECT_NE(levelRow(table).find("0.00x"), std::string::npos) << table;
    EXPECT_EQ(table.find("inf"), std::string::npos);
    EXPECT_EQ(table.find("nan"), std::string::npos);
}

}  // namespace
