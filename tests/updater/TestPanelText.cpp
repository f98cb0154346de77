#include <gtest/gtest.h>

#include "updater/panel_text.h"

namespace zu {
namespace {

struct DecimalCase {
    double value;
    const char* text;
};

class TwoDecimalsTest : public ::testing::TestWithParam<DecimalCase> {};

TEST_P(TwoDecimalsTest, RoundsHalvesAwayFromZeroWithoutTrailingZeros) {
    EXPECT_EQ(TwoDecimals(GetParam().value), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Figures, TwoDecimalsTest,
    ::testing::Values(DecimalCase{2560, "2560"}, DecimalCase{1.5, "1.5"}, DecimalCase{0, "0"},
                      DecimalCase{0.125, "0.13"},          // a true half (128 bytes): away from zero
                      DecimalCase{1.0048828125, "1"},      // 1029 bytes: rounds down to a whole number
                      DecimalCase{1.015625, "1.02"},       // 1040 bytes
                      DecimalCase{0.0048828125, "0"},      // 5 bytes
                      DecimalCase{0.9765625, "0.98"},      // 1000 bytes
                      DecimalCase{9.999, "10"},            // the carry reaches the whole part
                      DecimalCase{1048575.9990234375, "1048576"},
                      DecimalCase{-0.125, "-0.13"}, DecimalCase{-0.001, "0"},
                      DecimalCase{1.0 / 0.0, "0"}));

struct PanelCase {
    double received;
    double total;
    double speed;
    int position;
    const char* sizeText;
    const char* receivedText;
    const char* speedText;
    const char* percentText;
};

class PanelTextTest : public ::testing::TestWithParam<PanelCase> {};

TEST_P(PanelTextTest, PanelsShowTheDownloadFigures) {
    const PanelCase& c = GetParam();
    const int position = ProgressPosition(c.received, c.total);
    EXPECT_EQ(position, c.position);
    EXPECT_EQ(KilobytesPanelText(c.total), c.sizeText);
    EXPECT_EQ(KilobytesPanelText(c.received), c.receivedText);
    EXPECT_EQ(SpeedPanelText(c.speed), c.speedText);
    EXPECT_EQ(PercentPanelText(position), c.percentText);
}

INSTANTIATE_TEST_SUITE_P(
    Figures, PanelTextTest,
    ::testing::Values(
        // A file of 2,621,440 bytes, half received, at 1536 bytes per second.
        PanelCase{1310720, 2621440, 1536, 50, "2560KB", "1280KB", "1.5kb/秒", "50%"},
        PanelCase{0, 2621440, 0, 0, "2560KB", "0KB", "0kb/秒", "0%"},
        PanelCase{2621440, 2621440, 1048576, 100, "2560KB", "2560KB", "1024kb/秒", "100%"},
        // Truncated toward zero, never rounded up.
        PanelCase{2621439, 2621440, 100, 99, "2560KB", "2560KB", "0.1kb/秒", "99%"},
        PanelCase{1000, 3000, 1000, 33, "2.93KB", "0.98KB", "0.98kb/秒", "33%"},
        // No size announced: the bar stays at 0 instead of dividing by zero.
        PanelCase{5000, 0, 2048, 0, "0KB", "4.88KB", "2kb/秒", "0%"},
        // More received than announced: the bar stops at 100.
        PanelCase{4096, 2048, 0, 100, "2KB", "4KB", "0kb/秒", "100%"}));

}  // namespace
}  // namespace zu
