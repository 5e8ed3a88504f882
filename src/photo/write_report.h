#pragma once
// What the photo window tells the user after writing positions when some
// photos did not take them: how many, which, and why, in Japanese (UTF-8).

#include <string>

#include "photo/photo_writing.h"

namespace vantora {

// At most this many file names are listed; the rest are counted.
constexpr std::size_t kListedFailures = 10;

// The reason shown beside a file name.
const char* writeProblemText(WriteProblem problem);

// "位置情報を付加できなかった画像があります。..." with the failed files;
// only for a summary with failures.
std::string writeFailureMessage(const WriteSummary& summary);

}  // namespace vantora
