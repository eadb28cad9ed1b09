#include "optics/psf.h"

#include "optics/fft.h"

#include <algorithm>
#include <cmath>
#include <mutex>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace optics {

namespace {

// One row of the intensity: out[n] = re[n]^2 + im[n]^2 for n = 0..511, and
// the larger of `peak` and the row's largest value. A NaN never becomes the
// peak, just as it passes no comparison with it. The grids are read once per
// display step, so the loops are written for two doubles at a time.
double intensityRow(const double* re, const double* im, double* out, double peak)
{
#if defined(__SSE2__)
    __m128d m0 = _mm_set1_pd(peak);
    __m128d m1 = m0;
    for (int n = 0; n < kLineLength; n += 4) {
        const __m128d r0 = _mm_loadu_pd(re + n);
        const __m128d i0 = _mm_loadu_pd(im + n);
        const __m128d r1 = _mm_loadu_pd(re + n + 2);
        const __m128d i1 = _mm_loadu_pd(im + n + 2);
        const __m128d e0 = _mm_add_pd(_mm_mul_pd(r0, r0), _mm_mul_pd(i0, i0));
        const __m128d e1 = _mm_add_pd(_mm_mul_pd(r1, r1), _mm_mul_pd(i1, i1));
        _mm_storeu_pd(out + n, e0);
        _mm_storeu_pd(out + n + 2, e1);
        // maxpd returns its second operand unless the first is greater, so a
        // NaN in e never replaces the running maximum.
        m0 = _mm_max_pd(e0, m0);
        m1 = _mm_max_pd(e1, m1);
    }
    double lanes[4];
    _mm_storeu_pd(lanes, m0);
    _mm_storeu_pd(lanes + 2, m1);
    for (double lane : lanes)
        peak = lane > peak ? lane : peak;
#else
    for (int n = 0; n < kLineLength; ++n) {
        const double e = re[n] * re[n] + im[n] * im[n];
        out[n] = e;
        peak = e > peak ? e : peak;
    }
#endif
    return peak;
}

// to[n] = k x from[n] for n = 0..255.
void scaleRow(const double* from, double* to, double k)
{
#if defined(__SSE2__)
    const __m128d kk = _mm_set1_pd(k);
    for (int n = 0; n < 256; n += 2)
        _mm_storeu_pd(to + n, _mm_mul_pd(kk, _mm_loadu_pd(from + n)));
#else
    for (int n = 0; n < 256; ++n)
        to[n] = k * from[n];
#endif
}

// Star images are 2 MB each, and runs of many calculations hold several at
// once: made afresh, each costs its zeroing and a page fault every 4 KB. An
// image nobody holds any more is kept for the next one (up to kKept of them).
// The next one overwrites the whole data area; the border is cleared again
// in case a holder wrote to it.
class ImageStore {
public:
    std::shared_ptr<StarImage> take()
    {
        std::unique_ptr<StarImage> image;
        {
            std::lock_guard lock(m_lock);
            if (!m_free.empty()) {
                image = std::move(m_free.back());
                m_free.pop_back();
            }
        }
        if (image) {
            Grid& g = image->grid;
            // Row 0 and cell 0 of row 1; then the cells after the data of
            // each row with cell 0 of the next; then the rows below the data.
            std::fill(g.row(0), g.row(1) + 1, 0.0);
            for (int i = 1; i <= kLineLength; ++i)
                std::fill(g.row(i) + kLineLength + 1, g.row(i + 1) + 1, 0.0);
            std::fill(g.row(kLineLength + 1), g.cells.data() + g.cells.size(), 0.0);
            image->peak = 0.0f;
        } else {
            image = std::make_unique<StarImage>();
        }
        return {image.release(), [this](StarImage* done) { give(done); }};
    }

private:
    static constexpr std::size_t kKept = 8;

    void give(StarImage* done)
    {
        std::unique_ptr<StarImage> image(done);
        std::lock_guard lock(m_lock);
        if (m_free.size() < kKept)
            m_free.push_back(std::move(image));
    }

    std::mutex m_lock;
    std::vector<std::unique_ptr<StarImage>> m_free;
};

ImageStore& Images()
{
    // Never destroyed: images may be let go by other objects' destructors
    // at exit.
    static ImageStore* const store = new ImageStore;
    return *store;
}

// The intensity of rows of the field (1 .. 512, from the grids or as a
// transform hands them on) into the workspace; the peak so far keeps the
// larger of itself and theirs. Keeping the running
// maximum in double and rounding once gives the same float as rounding at
// every new maximum: rounding is monotonic, so no later value can pass a
// rounded maximum without rounding to the same float. The largest of the
// ranges' maxima is the largest of all, whatever ranges the rows were shared
// out in and in whatever order they come.
class IntensityRows {
public:
    explicit IntensityRows(Workspace& workspace) : m_workspace(workspace) {}

    void operator()(const FinishedRows& rows)
    {
        double rangePeak = -1.0e9;
        for (int a = rows.first; a <= rows.last; ++a) {
            const std::ptrdiff_t at = (a - rows.first) * rows.stride;
            rangePeak = intensityRow(rows.re + at, rows.im + at, m_workspace.intensity.row(a) + 1, rangePeak);
        }
        std::lock_guard lock(m_peakLock);
        m_formed.peak = rangePeak > m_formed.peak ? rangePeak : m_formed.peak;
    }

    FormedIntensity formed() const { return m_formed; }

private:
    Workspace& m_workspace;
    std::mutex m_peakLock;
    FormedIntensity m_formed;
};

// The star image of an intensity formed in the workspace: normalised by
// 1 / (peak + 0.00001), quadrants swapped.
std::shared_ptr<StarImage> NormalisedImage(const Workspace& workspace, const FormedIntensity& formed,
                                           LoopRunner& rows)
{
    std::shared_ptr<StarImage> star = Images().take();
    star->peak = static_cast<float>(formed.peak);
    const double k = 1.0 / (static_cast<double>(star->peak) + 0.00001);

    // Quadrant swap. Last rows first: they are the ones the intensity pass
    // left in the cache.
    rows.run(kLineLength, [&](int first, int last) {
        for (int a = last - 1; a >= first; --a) {
            const double* from = workspace.intensity.row(1 + a);
            double* to = star->grid.row(1 + ((a + 256) % 512));
            scaleRow(from + 1, to + 257, k);
            scaleRow(from + 257, to + 1, k);
        }
    });
    return star;
}

}  // namespace

void TransformPupilField(Workspace& workspace, Progress& progress, const TransformRunner& runner)
{
    progress.stage("Start Fourier Transform");
    Transform2D(workspace.fieldRe, workspace.fieldIm, runner, workspace.fieldRows);
    workspace.fieldRows = FilledRows{};
}

FormedIntensity TransformPupilFieldToIntensity(Workspace& workspace, Progress& progress,
                                               const TransformRunner& runner, ResultRows field)
{
    progress.stage("Start Fourier Transform");
    IntensityRows intensity(workspace);
    const RowsFinished finished = [&intensity](const FinishedRows& rows) { intensity(rows); };
    Transform2D(workspace.fieldRe, workspace.fieldIm, runner, workspace.fieldRows, &finished, field);
    workspace.fieldRows = FilledRows{};
    return intensity.formed();
}

std::shared_ptr<StarImage> FormStarImage(Workspace& workspace, Progress& progress, LoopRunner* loops)
{
    progress.stage("Building image");
    InOrder inOrder;
    LoopRunner& rows = loops ? *loops : inOrder;
    IntensityRows intensity(workspace);
    rows.run(kLineLength, [&](int first, int last) {
        intensity(FinishedRows{1 + first, last, workspace.fieldRe.row(1 + first) + 1,
                               workspace.fieldIm.row(1 + first) + 1, kGridSide});
    });
    std::shared_ptr<StarImage> star = NormalisedImage(workspace, intensity.formed(), rows);
    progress.stage("");
    return star;
}

std::shared_ptr<StarImage> FormStarImage(Workspace& workspace, const FormedIntensity& formed, Progress& progress,
                                         LoopRunner* loops)
{
    progress.stage("Building image");
    InOrder inOrder;
    std::shared_ptr<StarImage> star = NormalisedImage(workspace, formed, loops ? *loops : inOrder);
    progress.stage("");
    return star;
}

void ComputeTransferFunction(Workspace& workspace, Progress& progress, const TransformRunner& runner)
{
    progress.stage("Calculating PSF/MTF");
    InOrder inOrder;
    LoopRunner& rows = runner.loops ? *runner.loops : inOrder;
    rows.run(kGridSide, [&](int first, int last) {
        std::copy(workspace.fieldRe.row(first), workspace.fieldRe.row(last), workspace.spectrumRe.row(first));
        std::copy(workspace.fieldIm.row(first), workspace.fieldIm.row(last), workspace.spectrumIm.row(first));
    });
    TransformIntensity2D(workspace.spectrumRe, workspace.spectrumIm, runner);
    workspace.spectrumAfterPupil = true;
}

const std::array<double, 101> PerfectMtfTable = {
    1.0000, 0.9867, 0.9734, 0.9601, 0.9469, 0.9336, 0.9203, 0.9070, 0.8937, 0.8804,
    0.8672, 0.8539, 0.8406, 0.8273, 0.8140, 0.8007, 0.7876, 0.7744, 0.7613, 0.7481,
    0.7351, 0.7221, 0.7091, 0.6961, 0.6833, 0.6704, 0.6577, 0.6449, 0.6322, 0.6195,
    0.6068, 0.5940, 0.5815, 0.5690, 0.5566, 0.5441, 0.5317, 0.5192, 0.5069, 0.4948,
    0.4826, 0.4706, 0.4587, 0.4468, 0.4349, 0.4232, 0.4114, 0.3998, 0.3882, 0.3766,
    0.3651, 0.3538, 0.3426, 0.3314, 0.3204, 0.3093, 0.2986, 0.2878, 0.2770, 0.2664,
    0.2560, 0.2457, 0.2355, 0.2254, 0.2155, 0.2056, 0.1958, 0.1861, 0.1768, 0.1674,
    0.1582, 0.1491, 0.1403, 0.1316, 0.1231, 0.1148, 0.1066, 0.0984, 0.0908, 0.0831,
    0.0757, 0.0685, 0.0615, 0.0547, 0.0482, 0.0421, 0.0364, 0.0308, 0.0255, 0.0203,
    0.0158, 0.0115, 0.0080, 0.0048, 0.0021, 0.0000, 0.0000, 0.0000, 0.0000, 0.0000,
    0.0000,
};

double MtfFrequency(int i, double waveLength, float apertureInches)
{
    // lambda / 555 x 16 / D / 0.71 x i / 255, step by step in extended
    // precision: one index of the transfer function is 0.1003 arcsec^-1
    // scaled to the cut-off frequency of the aperture.
    long double f = 0.0018018018018018018L;
    f = f * static_cast<long double>(waveLength);
    f = f * 16.0L;
    f = f / static_cast<long double>(apertureInches);
    f = f * 1.0L;
    f = f * 1.4084507042253521L;
    f = f * i;
    f = f * 0.0039215686274509804L;
    return static_cast<double>(f);
}

double PsfScale(float peak, int cellCount)
{
    if (cellCount <= 0)
        return 0.0;
    const double root = std::sqrt(static_cast<double>(peak)) / cellCount;
    return root * root;
}

PsfMtfCurves ExtractCurves(const StarImage& star, int cellCount, const Grid& transfer, double waveLength,
                           float apertureInches)
{
    PsfMtfCurves curves;
    curves.psfScale = PsfScale(star.peak, cellCount);
    curves.waveLength = waveLength;
    curves.apertureInches = apertureInches;
    const Grid& grid = star.grid;
    for (int i = -100; i <= 100; ++i) {
        const int n = i + 100;
        curves.psfX[n] = {i * 0.1, grid(kCentre + i, kCentre) * curves.psfScale};
        curves.psfY[n] = {i * 0.1, grid(kCentre, kCentre + i) * curves.psfScale};
    }
    for (int i = 0; i <= 100; ++i)
        curves.perfect[i] = {i * 0.010416666666666667, PerfectMtfTable[i]};
    const double zero = transfer(1, 1);
    for (int i = 0; i <= 255; ++i) {
        const double f = MtfFrequency(i, waveLength, apertureInches);
        curves.mtfX[i] = {f, transfer(1 + i, 1) / zero};
        curves.mtfY[i] = {f, transfer(1, 1 + i) / zero};
    }
    return curves;
}

}  // namespace optics
