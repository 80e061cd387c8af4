#pragma once

#include <QString>

#include <cstdint>

namespace pairsift {

// The texts of the processing view, computed from plain numbers so they can be checked without a clock.

// A duration as "HH:mm:ss", whole seconds (fractions cut off). Hours are not wrapped at 24, so a run of
// 25 hours reads "25:00:00"; they take more than two digits when needed. Negative or unknown: "00:00:00".
QString durationText(double seconds);

// "%.1f%%" of done in total, as in "42.5%". Nothing to do counts as complete.
QString percentageText(std::uint64_t done, std::uint64_t total);

// "Elapsed: HH:mm:ss".
QString elapsedText(double elapsedSeconds);

// "Remaining: HH:mm:ss": the average time per finished file times the files still to do; "00:00:00" once
// all are done and "--:--:--" before the first file has finished (there is no average yet).
QString remainingText(double elapsedSeconds, std::uint64_t done, std::uint64_t total);

} // namespace pairsift
