#pragma once

namespace fw {

// A pseudo-random fraction r with 0 <= r < 1.
double RandomFraction();

}  // namespace fw
