#include "optics/measured_wavefront.h"

#include <algorithm>
#include <cmath>

namespace optics {

namespace {

// One Fringe term: its order and the coefficients of Q(t), where
// R_n^|m|(rho) = rho^|m| Q(rho^2); coefficient k belongs to t^k.
struct TermTable {
    ZernikeOrder order;
    std::array<double, 7> q{};
    int degree = 0;
};

double Factorial(int k)
{
    double f = 1.0;
    for (int i = 2; i <= k; ++i)
        f *= i;
    return f;
}

std::array<TermTable, kFringeTerms> MakeTable()
{
    std::array<TermTable, kFringeTerms> table{};
    int index = 0;
    // Groups of equal (n + |m|) / 2, each from the highest azimuthal order
    // down to the round term, cosine before sine; then the 12th-order round
    // term.
    for (int group = 0; group <= 5; ++group) {
        for (int m = group; m >= 0; --m) {
            const int n = 2 * group - m;
            table[index++].order = {n, m};
            if (m > 0)
                table[index++].order = {n, -m};
        }
    }
    table[index].order = {12, 0};
    for (TermTable& term : table) {
        const int n = term.order.n;
        const int m = std::abs(term.order.m);
        const int half = (n - m) / 2;
        term.degree = half;
        for (int s = 0; s <= half; ++s) {
            const double c = Factorial(n - s) / (Factorial(s) * Factorial((n + m) / 2 - s) * Factorial(half - s));
            term.q[static_cast<std::size_t>(half - s)] = (s % 2 == 0 ? c : -c);
        }
    }
    return table;
}

const std::array<TermTable, kFringeTerms>& Table()
{
    static const std::array<TermTable, kFringeTerms> table = MakeTable();
    return table;
}

constexpr const char* kNames[kFringeTerms] = {
    "Piston",
    "X tilt",
    "Y tilt",
    "Defocus",
    "Astig. 0\xC2\xB0",
    "Astig. 45\xC2\xB0",
    "X coma",
    "Y coma",
    "Spherical",
    "X trefoil",
    "Y trefoil",
    "Sec. astig. 0\xC2\xB0",
    "Sec. astig. 45\xC2\xB0",
    "Sec. X coma",
    "Sec. Y coma",
    "Sec. spherical",
    "X tetrafoil",
    "Y tetrafoil",
    "Sec. X trefoil",
    "Sec. Y trefoil",
    "Ter. astig. 0\xC2\xB0",
    "Ter. astig. 45\xC2\xB0",
    "Ter. X coma",
    "Ter. Y coma",
    "Ter. spherical",
    "X pentafoil",
    "Y pentafoil",
    "Sec. X tetrafoil",
    "Sec. Y tetrafoil",
    "Ter. X trefoil",
    "Ter. Y trefoil",
    "Qua. astig. 0\xC2\xB0",
    "Qua. astig. 45\xC2\xB0",
    "Qua. X coma",
    "Qua. Y coma",
    "Qua. spherical",
    "12th-order spherical",
};

}  // namespace

ZernikeOrder FringeOrder(int term)
{
    return Table()[static_cast<std::size_t>(term - 1)].order;
}

int FringeTermOf(ZernikeOrder order)
{
    const auto& table = Table();
    for (int i = 0; i < kFringeTerms; ++i)
        if (table[static_cast<std::size_t>(i)].order.n == order.n
            && table[static_cast<std::size_t>(i)].order.m == order.m)
            return i + 1;
    return 0;
}

const char* FringeName(int term)
{
    return kNames[term - 1];
}

double ZernikeNormalisation(ZernikeOrder order)
{
    return order.m == 0 ? std::sqrt(order.n + 1.0) : std::sqrt(2.0 * (order.n + 1.0));
}

void FringeValues(double x, double y, std::array<double, kFringeTerms>& values)
{
    // (x + iy)^m = rho^m (cos m theta + i sin m theta): no angle is needed,
    // and the centre is no special point.
    std::array<double, 6> re{};
    std::array<double, 6> im{};
    re[0] = 1.0;
    for (int m = 1; m <= 5; ++m) {
        re[static_cast<std::size_t>(m)] =
            re[static_cast<std::size_t>(m - 1)] * x - im[static_cast<std::size_t>(m - 1)] * y;
        im[static_cast<std::size_t>(m)] =
            re[static_cast<std::size_t>(m - 1)] * y + im[static_cast<std::size_t>(m - 1)] * x;
    }
    const double t = x * x + y * y;
    const auto& table = Table();
    for (int i = 0; i < kFringeTerms; ++i) {
        const TermTable& term = table[static_cast<std::size_t>(i)];
        double q = term.q[static_cast<std::size_t>(term.degree)];
        for (int k = term.degree - 1; k >= 0; --k)
            q = q * t + term.q[static_cast<std::size_t>(k)];
        const int m = term.order.m;
        const double angular = m >= 0 ? re[static_cast<std::size_t>(m)] : im[static_cast<std::size_t>(-m)];
        values[static_cast<std::size_t>(i)] = q * angular;
    }
}

double FringeValue(int term, double x, double y)
{
    std::array<double, kFringeTerms> values{};
    FringeValues(x, y, values);
    return values[static_cast<std::size_t>(term - 1)];
}

double WavefrontSamples::at(double x, double y) const
{
    const double column = centreX + x * radius;
    const double row = centreY - y * radius;
    const double c0 = std::floor(column);
    const double r0 = std::floor(row);
    const double fc = column - c0;
    const double fr = row - r0;
    double sum = 0.0;
    double weight = 0.0;
    for (int dr = 0; dr <= 1; ++dr) {
        for (int dc = 0; dc <= 1; ++dc) {
            const double c = c0 + dc;
            const double r = r0 + dr;
            if (c < 0.0 || r < 0.0 || c >= width || r >= height)
                continue;
            const double w = (dc ? fc : 1.0 - fc) * (dr ? fr : 1.0 - fr);
            const double v = sample(static_cast<int>(c), static_cast<int>(r));
            if (std::isnan(v) || w == 0.0)
                continue;
            sum += w * v;
            weight += w;
        }
    }
    return weight > 0.0 ? sum / weight : 0.0;
}

MeasuredWavefront::MeasuredWavefront(const std::array<double, kFringeTerms>& terms,
                                     std::shared_ptr<const WavefrontSamples> map)
    : m_terms(terms), m_map(std::move(map))
{
    for (int i = 0; i < kFringeTerms; ++i) {
        m_used[static_cast<std::size_t>(i)] = terms[static_cast<std::size_t>(i)] != 0.0;
        m_anyTerm = m_anyTerm || m_used[static_cast<std::size_t>(i)];
    }
    // The summary over the disc the previews show.
    constexpr int R = kSummaryRadius;
    double sum = 0.0;
    double squares = 0.0;
    double lo = 0.0;
    double hi = 0.0;
    int count = 0;
    for (int i = -R; i <= R; ++i) {
        for (int j = -R; j <= R; ++j) {
            if (i * i + j * j > R * R)
                continue;
            const double w = at(static_cast<double>(i) / R, static_cast<double>(j) / R);
            if (count == 0)
                lo = hi = w;
            lo = std::min(lo, w);
            hi = std::max(hi, w);
            sum += w;
            squares += w * w;
            ++count;
        }
    }
    const double mean = sum / count;
    m_peakToValley = hi - lo;
    m_rms = std::sqrt(std::max(0.0, squares / count - mean * mean));
}

double MeasuredWavefront::at(double x, double y) const
{
    double w = 0.0;
    if (m_anyTerm) {
        std::array<double, kFringeTerms> values;
        FringeValues(x, y, values);
        for (int i = 0; i < kFringeTerms; ++i)
            if (m_used[static_cast<std::size_t>(i)])
                w += m_terms[static_cast<std::size_t>(i)] * values[static_cast<std::size_t>(i)];
    }
    if (m_map)
        w += m_map->at(x, y);
    return w;
}

}  // namespace optics
