#pragma once
// The step callback that long operations call after every item: (position,
// total). It returns 0 to go on and nonzero when the user asked to stop;
// operations that cannot be cancelled ignore the result.

#include <functional>

namespace vantora {

using StepCallback = std::function<int(int position, int total)>;

}  // namespace vantora
