#pragma once

#include <cstdint>
#include <random>

namespace cadro {

/// A source of uniformly distributed reals in [0, 1). Injected wherever the
/// program draws by chance, so that tests can fix the outcome.
class RandomSource {
  public:
    virtual ~RandomSource() = default;
    virtual double uniform() = 0;
};

/// A pseudo-random source, seeded from the operating system unless a seed is
/// given.
class SeededRandom final : public RandomSource {
  public:
    SeededRandom();
    explicit SeededRandom(std::uint64_t seed) : engine_(seed) {}
    double uniform() override;

  private:
    std::mt19937_64 engine_;
};

}  // namespace cadro
