#include "Random.h"

#include <cmath>
#include <random>

namespace fw {

double RandomFraction() {
    static std::mt19937_64 engine{std::random_device{}()};
    std::uniform_real_distribution<double> fraction(0.0, 1.0);
    double r = fraction(engine);
    // Rounding in generate_canonical can give exactly 1 on some standard libraries.
    return r < 1.0 ? r : std::nextafter(1.0, 0.0);
}

}  // namespace fw
