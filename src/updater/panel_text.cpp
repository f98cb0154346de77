#include "updater/panel_text.h"

#include <cmath>
#include <cstdio>

namespace zu {

std::string TwoDecimals(double value) {
    // std::round rounds halves away from zero. Byte counts divided by 1024 are
    // exact binary fractions, so the halves of the panels are real halves.
    const double hundredths = std::round(value * 100.0);
    if (!std::isfinite(hundredths)) return "0";
    const bool negative = hundredths < 0;
    const double magnitude = std::fabs(hundredths);
    const double whole = std::trunc(magnitude / 100.0);
    const long long rest = std::llround(magnitude - whole * 100.0);
    char buffer[64];
    const char* sign = negative ? "-" : "";
    if (rest == 0)
        std::snprintf(buffer, sizeof buffer, "%s%.0f", sign, whole);
    else if (rest % 10 == 0)
        std::snprintf(buffer, sizeof buffer, "%s%.0f.%lld", sign, whole, rest / 10);
    else
        std::snprintf(buffer, sizeof buffer, "%s%.0f.%02lld", sign, whole, rest);
    return buffer;
}

std::string KilobytesPanelText(double bytes) { return TwoDecimals(bytes / 1024.0) + "KB"; }

std::string SpeedPanelText(double bytesPerSecond) {
    return TwoDecimals(bytesPerSecond / 1024.0) + "kb/秒";
}

std::string PercentPanelText(int position) { return std::to_string(position) + "%"; }

int ProgressPosition(double received, double total) {
    if (!(total > 0) || !(received > 0)) return 0;
    const double percent = received / total * 100.0;
    return percent >= 100.0 ? 100 : static_cast<int>(percent);
}

}  // namespace zu
