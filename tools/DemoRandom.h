#pragma once
// The demo data's only source of chance: splitmix64, so that the same seed
// gives the same database on every machine and every run.

#include <cstdint>
#include <vector>

namespace nbr::demo {

class DemoRandom {
public:
    explicit DemoRandom(std::uint64_t seed) : m_state(seed) {}

    std::uint64_t next() {
        std::uint64_t z = (m_state += 0x9E3779B97F4A7C15ULL);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
        return z ^ (z >> 31);
    }

    // Uniform in [0, n); n > 0. The tiny modulo bias does not matter here.
    int below(int n) { return int(next() % std::uint64_t(n)); }
    // Uniform in [low, high].
    int between(int low, int high) { return low + below(high - low + 1); }
    // True with the given chance in percent.
    bool percent(int chance) { return below(100) < chance; }

    template <typename T> const T& pick(const std::vector<T>& items) {
        return items[std::size_t(below(int(items.size())))];
    }

private:
    std::uint64_t m_state;
};

} // namespace nbr::demo
