#include "core/base/Random.h"

#include <cmath>

namespace cadro {

SeededRandom::SeededRandom() {
    std::random_device device;
    std::seed_seq seeds{device(), device(), device(), device()};
    engine_.seed(seeds);
}

double SeededRandom::uniform() {
    // generate_canonical may round up to exactly 1.0; the draws need r < 1.
    double r = std::generate_canonical<double, 53>(engine_);
    return r < 1.0 ? r : std::nextafter(1.0, 0.0);
}

}  // namespace cadro
