#pragma once

#include <QtGlobal>

#include <cmath>
#include <iterator>

namespace orvane::demo {

/// A small deterministic generator (splitmix64): the same seed gives the same
/// sequence on every platform and library, unlike the std distributions.
class DemoRandom
{
public:
    explicit DemoRandom(quint64 seed) : m_state(seed * 0x9E3779B97F4A7C15ull + 0x632BE59BD9B4E019ull) {}

    quint64 next()
    {
        quint64 z = (m_state += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }

    /// Uniform in [0, 1).
    double unit() { return double(next() >> 11) * (1.0 / 9007199254740992.0); }

    /// Uniform integer in [low, high], both included.
    qint64 between(qint64 low, qint64 high)
    {
        return low + qint64(next() % quint64(high - low + 1));
    }

    /// True with probability `p`.
    bool chance(double p) { return unit() < p; }

    /// An index in [0, n) that favours the low end: a few vendors and products
    /// carry most of the trade. `skew` 1 is uniform.
    int skewed(int n, double skew) { return qMin(n - 1, int(n * std::pow(unit(), skew))); }

    template<class Container>
    const auto &pick(const Container &c) { return c[size_t(between(0, qint64(std::size(c)) - 1))]; }

private:
    quint64 m_state;
};

} // namespace orvane::demo
