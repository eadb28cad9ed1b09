#pragma once

#include "optics/grid.h"
#include "optics/progress.h"

#include <array>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>

namespace optics {

//! The two phase screens: the atmosphere in front of the telescope and the
//! fine-scale roughness of its mirror.
enum class ScreenKind { Turbulence, Roughness };

//! What a screen is made from.
struct ScreenSettings {
    double seed = 1.0;       //!< rounded to the state the generator starts from
    double amplitude = 0.0;  //!< 0 makes a flat (all-zero) screen
};

//! The generator of the screens: state := state x 134775813 + 1 modulo 2^32,
//! and a draw below n is the upper 32 bits of state x n.
class RandomGenerator {
public:
    explicit RandomGenerator(std::uint32_t state = 0) : m_state(state) {}
    //! The state a seed value starts from: the value rounded, modulo 2^32;
    //! values that cannot be a seed (not finite, beyond 64 bits) start from 0.
    static std::uint32_t StateOf(double seed);

    //! Advances the state and returns an integer in 0..n-1. From state 1 the
    //! first results for n = 200 are 6, 172, 40, 54, 134.
    std::uint32_t below(std::uint32_t n);
    std::uint32_t state() const { return m_state; }

private:
    std::uint32_t m_state;
};

//! The grey picture of a screen: every fourth point, 129 x 129 levels.
struct ScreenPicture {
    static constexpr int kSide = 129;
    std::array<std::uint8_t, kSide * kSide> grey{};

    //! Level of picture pixel (x, y), x to the right, y downwards, 0..128.
    std::uint8_t level(int x, int y) const { return grey[static_cast<std::size_t>(y) * kSide + x]; }
};

//! A finished screen: points 0..512 in cells [1..513][1..513] of the grid (row
//! and column 0 stay 0), its picture, and what it was made from.
struct PhaseScreen {
    ScreenKind kind = ScreenKind::Turbulence;
    ScreenSettings settings;
    Grid grid{};
    ScreenPicture picture;
    //! The generator's state when the screen was finished.
    std::uint32_t finalState = 0;
};
using PhaseScreenPtr = std::shared_ptr<const PhaseScreen>;

//! The screen value of point (a, b) (cell [a + 1][b + 1]) rounded to float,
//! or 0 when a or b lies outside 0..511.
float ScreenSample(const Grid& screen, int a, int b);

//! Mean of the four diagonal neighbours at distance h: their float samples
//! summed in double, the sum rounded to float, times 0.25 rounded to float.
//! Samples off the area count as 0 but still divide by four.
float DiamondAverage(const Grid& screen, int a, int b, int h);

//! The same for the four axis neighbours (a + h, b), (a - h, b), (a, b + h),
//! (a, b - h).
float SquareAverage(const Grid& screen, int a, int b, int h);

//! Builds a screen with the nine-level diamond-square fractal from the seed
//! and amplitude. The roughness screen differs: its first two levels displace
//! the diamond points without averaging, every diamond value is rounded to
//! float, and its picture scale is kept in single precision. Reports
//! "Calculating Turbulence" or "Calculating Roughness".
std::shared_ptr<PhaseScreen> BuildScreen(ScreenKind kind, const ScreenSettings& settings, Progress& progress);

//! The screens made so far, by what they were made from: a screen is built
//! once for its settings and shared by every calculation that asks for it,
//! on any thread. Holds the last few screens of each kind.
class ScreenCache {
public:
    //! A screen and whether it was built for this request.
    struct Lookup {
        PhaseScreenPtr screen;
        bool built = false;
    };

    explicit ScreenCache(std::size_t perKind = 2) : m_perKind(perKind == 0 ? 1 : perKind) {}

    //! The screen for `settings`, built now when none is held.
    Lookup get(ScreenKind kind, const ScreenSettings& settings, Progress& progress);
    //! Whether the screen for `settings` is held (a request would not build it).
    bool holds(ScreenKind kind, const ScreenSettings& settings) const;

private:
    static bool same(const ScreenSettings& a, const ScreenSettings& b);

    mutable std::mutex m_mutex;
    std::size_t m_perKind;
    std::deque<PhaseScreenPtr> m_screens;  // newest first
};

}  // namespace optics
