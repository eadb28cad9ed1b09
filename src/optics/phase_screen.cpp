#include "optics/phase_screen.h"

#include "base/rounding.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace optics {

namespace {

constexpr int kLevels = 9;
constexpr int kArea = 512;
// The generator draws displacements in -100..99, times the half step.
constexpr std::uint32_t kDraws = 200;

// Picture scale over points 0..511, then the grey levels of every fourth
// point. Scale is double for turbulence and float for roughness.
template <typename Scale>
ScreenPicture drawScreen(const Grid& screen)
{
    auto point = [&screen](int a, int b) { return screen(a + 1, b + 1); };
    Scale mx = static_cast<Scale>(point(0, 0));
    Scale mn = static_cast<Scale>(100000.0);
    for (int a = 0; a < kArea; ++a) {
        for (int b = 0; b < kArea; ++b) {
            const double v = point(a, b);
            if (v > mx)
                mx = static_cast<Scale>(v);
            if (v < mn)
                mn = static_cast<Scale>(v);
        }
    }
    mx = static_cast<Scale>(mx + 0.001);

    ScreenPicture picture;
    const double low = mn;
    const double range = static_cast<double>(mx) - static_cast<double>(mn);
    for (int y = 0; y < ScreenPicture::kSide; ++y)
        for (int x = 0; x < ScreenPicture::kSide; ++x)
            picture.grey[static_cast<std::size_t>(y) * ScreenPicture::kSide + x] =
                base::ByteLevel((point(4 * x, 4 * y) - low) / range * 255.0);
    return picture;
}

void runFractal(RandomGenerator& random, Grid& screen, double rms, bool roughness)
{
    auto store = [&screen](int a, int b, double v) { screen(a + 1, b + 1) = v; };
    int step = kArea;
    for (int level = 1; level <= kLevels; ++level) {
        step /= 2;
        const int h = step / 2;
        const int n = kArea / step;

        for (int r = 1; r <= n; ++r) {
            for (int c = 1; c <= n; ++c) {
                const int a = c * step - h;
                const int b = r * step - h;
                const float v = (roughness && level <= 2) ? 0.0f : DiamondAverage(screen, a, b, h);
                const int d = (static_cast<int>(random.below(kDraws)) - 100) * h;
                const double value = (1.0 - d * rms) + v;
                store(a, b, roughness ? static_cast<double>(static_cast<float>(value)) : value);
            }
        }

        for (int r = 1; r <= n; ++r) {
            for (int c = 1; c <= n; ++c) {
                const int a = c * step - h;
                const int b = r * step - h;
                // Each write takes its own average before its own draw.
                const int targets[4][2] = {{a + h, b}, {a - h, b}, {a, b + h}, {a, b - h}};
                for (const auto& t : targets) {
                    const float average = SquareAverage(screen, t[0], t[1], h);
                    const int d = (static_cast<int>(random.below(kDraws)) - 100) * h;
                    store(t[0], t[1], average + (1.0 - 0.5 * d * rms));
                }
            }
        }
    }
}

}  // namespace

std::uint32_t RandomGenerator::StateOf(double seed)
{
    const double r = std::nearbyint(seed);
    if (!(std::abs(r) < 9.0e18))
        return 0;
    return static_cast<std::uint32_t>(static_cast<std::int64_t>(r));
}

std::uint32_t RandomGenerator::below(std::uint32_t n)
{
    m_state = m_state * 134775813u + 1u;
    return static_cast<std::uint32_t>((static_cast<std::uint64_t>(m_state) * n) >> 32);
}

float ScreenSample(const Grid& screen, int a, int b)
{
    if (a < 0 || a >= kArea || b < 0 || b >= kArea)
        return 0.0f;
    return static_cast<float>(screen(a + 1, b + 1));
}

float DiamondAverage(const Grid& screen, int a, int b, int h)
{
    const double sum = static_cast<double>(ScreenSample(screen, a - h, b - h)) + ScreenSample(screen, a + h, b - h)
                       + ScreenSample(screen, a - h, b + h) + ScreenSample(screen, a + h, b + h);
    return static_cast<float>(static_cast<float>(sum) * 0.25);
}

float SquareAverage(const Grid& screen, int a, int b, int h)
{
    const double sum = static_cast<double>(ScreenSample(screen, a + h, b)) + ScreenSample(screen, a - h, b)
                       + ScreenSample(screen, a, b + h) + ScreenSample(screen, a, b - h);
    return static_cast<float>(static_cast<float>(sum) * 0.25);
}

std::shared_ptr<PhaseScreen> BuildScreen(ScreenKind kind, const ScreenSettings& settings, Progress& progress)
{
    const bool roughness = kind == ScreenKind::Roughness;
    progress.stage(roughness ? "Calculating Roughness" : "Calculating Turbulence");
    progress.flush();
    auto screen = std::make_shared<PhaseScreen>();
    screen->kind = kind;
    screen->settings = settings;
    RandomGenerator random(RandomGenerator::StateOf(settings.seed));
    if (settings.amplitude != 0.0)
        runFractal(random, screen->grid, settings.amplitude, roughness);
    screen->picture = roughness ? drawScreen<float>(screen->grid) : drawScreen<double>(screen->grid);
    screen->finalState = random.state();
    return screen;
}

bool ScreenCache::same(const ScreenSettings& a, const ScreenSettings& b)
{
    return RandomGenerator::StateOf(a.seed) == RandomGenerator::StateOf(b.seed) && a.amplitude == b.amplitude;
}

bool ScreenCache::holds(ScreenKind kind, const ScreenSettings& settings) const
{
    std::lock_guard lock(m_mutex);
    return std::any_of(m_screens.begin(), m_screens.end(), [&](const PhaseScreenPtr& s) {
        return s->kind == kind && same(s->settings, settings);
    });
}

ScreenCache::Lookup ScreenCache::get(ScreenKind kind, const ScreenSettings& settings, Progress& progress)
{
    std::lock_guard lock(m_mutex);
    const auto found = std::find_if(m_screens.begin(), m_screens.end(), [&](const PhaseScreenPtr& s) {
        return s->kind == kind && same(s->settings, settings);
    });
    if (found != m_screens.end()) {
        PhaseScreenPtr screen = *found;
        m_screens.erase(found);
        m_screens.push_front(screen);
        return {screen, false};
    }
    PhaseScreenPtr screen = BuildScreen(kind, settings, progress);
    m_screens.push_front(screen);
    // Drop the oldest of this kind beyond the limit.
    std::size_t kept = 0;
    for (auto it = m_screens.begin(); it != m_screens.end();) {
        if ((*it)->kind == kind && ++kept > m_perKind)
            it = m_screens.erase(it);
        else
            ++it;
    }
    return {screen, true};
}

}  // namespace optics
