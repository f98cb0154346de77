// The texts of the updater's status panels and its progress position.
#pragma once

#include <string>

namespace zu {

// `value` rounded to two decimal places, halves away from zero, written without
// trailing zeros or a trailing point: 2560 -> "2560", 1.5 -> "1.5",
// 0.125 -> "0.13". A value that is not finite is written "0".
std::string TwoDecimals(double value);

// Panel 0 and panel 2: a byte count in kilobytes, "2560KB".
std::string KilobytesPanelText(double bytes);
// Panel 1: a speed in bytes per second as kilobytes per second, "1.5kb/秒".
std::string SpeedPanelText(double bytesPerSecond);
// Panel 3: the progress bar's position, "50%".
std::string PercentPanelText(int position);

// The progress bar's position: received / total * 100, truncated toward zero,
// within 0..100. An unknown (zero) total gives 0.
int ProgressPosition(double received, double total);

}  // namespace zu
