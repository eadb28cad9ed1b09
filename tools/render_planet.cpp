// render_planet: draws a planet picture for the Planet page from an
// equirectangular map texture. See tools/README.md for the commands that
// made the pictures in assets/.

#include "base/result.h"
#include "imaging/jpeg_file.h"
#include "planet_disc.h"

#include <QImage>
#include <QString>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

namespace {

// The program refuses planet pictures wider or higher than this.
constexpr int kLargestPicture = 511;

const char* const kUsage =
    "usage: render_planet --map MAP.png --out PICTURE.jpg [options]\n"
    "  --diameter ARCSEC    equatorial diameter of the globe (default 24)\n"
    "  --longitude DEG      map longitude at the centre of the disc; 0 is the\n"
    "                       map's centre column, east to the right (default 0)\n"
    "  --tilt DEG           latitude of the point under the viewer; positive\n"
    "                       shows the north pole (default 0)\n"
    "  --size W[xH]         picture size in pixels, at most 511 (default 256)\n"
    "  --flattening F       polar flattening (default 0)\n"
    "  --limb U             linear limb darkening coefficient 0..1 (default 0.3)\n"
    "  --rings PROFILE.png  radial ring profile: first row, inner edge at the\n"
    "                       left, opacity in the alpha channel\n"
    "  --ring-radii IN,OUT  inner and outer ring radius in planet radii\n"
    "  --ring-gain G        brightness factor of the rings (default 1)\n"
    "The picture is taken at 10 pixels per arcsecond with the disc centred, and\n"
    "written as a baseline JPEG of quality 90.\n";

struct Options {
    std::string map;
    std::string out;
    std::string rings;
    double ringInner = 0.0;
    double ringOuter = 0.0;
    bool ringRadiiGiven = false;
    planetdisc::View view;
};

std::optional<double> parseNumber(std::string_view text)
{
    const std::string copy(text);
    char* end = nullptr;
    const double value = std::strtod(copy.c_str(), &end);
    if (copy.empty() || end != copy.c_str() + copy.size() || !std::isfinite(value))
        return std::nullopt;
    return value;
}

std::optional<int> parseSize(std::string_view text)
{
    const std::optional<double> value = parseNumber(text);
    if (!value || *value != std::floor(*value) || *value < 1 || *value > kLargestPicture)
        return std::nullopt;
    return static_cast<int>(*value);
}

// The options of the command line; "help" asks for the usage text.
base::Status parseOptions(int argc, char** argv, Options& options)
{
    options.view.limbDarkening = 0.3;
    for (int i = 1; i < argc; ++i) {
        const std::string_view name = argv[i];
        if (name == "--help" || name == "-h")
            return base::Fail("help");
        if (i + 1 >= argc)
            return base::Fail("missing value after " + std::string(name));
        const std::string_view value = argv[++i];
        auto number = [&](double& target, double low, double high) -> base::Status {
            const std::optional<double> parsed = parseNumber(value);
            if (!parsed || *parsed < low || *parsed > high)
                return base::Fail("bad value for " + std::string(name) + ": " + std::string(value));
            target = *parsed;
            return base::Done();
        };
        base::Status parsed;
        if (name == "--map") {
            options.map = value;
        } else if (name == "--out") {
            options.out = value;
        } else if (name == "--rings") {
            options.rings = value;
        } else if (name == "--diameter") {
            parsed = number(options.view.diameterArcsec, 0.1, 100.0);
        } else if (name == "--longitude") {
            parsed = number(options.view.centralLongitudeDeg, -360.0, 360.0);
        } else if (name == "--tilt") {
            parsed = number(options.view.tiltDeg, -90.0, 90.0);
        } else if (name == "--flattening") {
            parsed = number(options.view.flattening, 0.0, 0.5);
        } else if (name == "--limb") {
            parsed = number(options.view.limbDarkening, 0.0, 1.0);
        } else if (name == "--ring-gain") {
            parsed = number(options.view.ringGain, 0.0, 10.0);
        } else if (name == "--size") {
            const std::size_t cross = value.find('x');
            const std::optional<int> width = parseSize(value.substr(0, cross));
            const std::optional<int> height =
                cross == std::string_view::npos ? width : parseSize(value.substr(cross + 1));
            if (!width || !height)
                return base::Fail("bad picture size " + std::string(value) + " (1 to 511 pixels a side)");
            options.view.width = *width;
            options.view.height = *height;
        } else if (name == "--ring-radii") {
            const std::size_t comma = value.find(',');
            const std::optional<double> inner = parseNumber(value.substr(0, comma));
            const std::optional<double> outer =
                comma == std::string_view::npos ? std::nullopt : parseNumber(value.substr(comma + 1));
            if (!inner || !outer || *inner <= 1.0 || *outer <= *inner)
                return base::Fail("bad ring radii " + std::string(value) + " (INNER,OUTER with 1 < INNER < OUTER)");
            options.ringInner = *inner;
            options.ringOuter = *outer;
            options.ringRadiiGiven = true;
        } else {
            return base::Fail("unknown option " + std::string(name));
        }
        if (!parsed)
            return parsed;
    }
    if (options.map.empty() || options.out.empty())
        return base::Fail("--map and --out are required");
    if (!options.rings.empty() && !options.ringRadiiGiven)
        return base::Fail("--rings needs --ring-radii");
    return base::Done();
}

base::Result<QImage> readPicture(const std::string& path)
{
    QImage image(QString::fromStdString(path));
    if (image.isNull())
        return base::Fail("cannot read " + path);
    return image.convertToFormat(QImage::Format_RGBA8888);
}

planetdisc::SurfaceMap toSurfaceMap(const QImage& image)
{
    planetdisc::SurfaceMap map;
    map.width = image.width();
    map.height = image.height();
    map.linear.reserve(static_cast<std::size_t>(map.width) * map.height * 3);
    for (int y = 0; y < map.height; ++y) {
        const uchar* line = image.constScanLine(y);
        for (int x = 0; x < map.width; ++x)
            for (int k = 0; k < 3; ++k)
                map.linear.push_back(planetdisc::SrgbToLinear(line[x * 4 + k]));
    }
    return map;
}

planetdisc::RingProfile toRingProfile(const QImage& image, double inner, double outer)
{
    planetdisc::RingProfile profile;
    profile.innerRadius = inner;
    profile.outerRadius = outer;
    const uchar* line = image.constScanLine(0);
    for (int x = 0; x < image.width(); ++x) {
        const uchar* p = line + x * 4;
        profile.samples.push_back({planetdisc::SrgbToLinear(p[0]), planetdisc::SrgbToLinear(p[1]),
                                   planetdisc::SrgbToLinear(p[2]), p[3] / 255.0f});
    }
    return profile;
}

}  // namespace

int main(int argc, char** argv)
{
    Options options;
    const base::Status parsed = parseOptions(argc, argv, options);
    if (!parsed && parsed.error() == "help") {
        std::fputs(kUsage, stdout);
        return 0;
    }
    if (!parsed) {
        std::fprintf(stderr, "render_planet: %s\n%s", parsed.error().c_str(), kUsage);
        return 2;
    }

    const base::Result<QImage> mapImage = readPicture(options.map);
    if (!mapImage) {
        std::fprintf(stderr, "render_planet: %s\n", mapImage.error().c_str());
        return 1;
    }
    const planetdisc::SurfaceMap map = toSurfaceMap(*mapImage);

    std::optional<planetdisc::RingProfile> rings;
    if (!options.rings.empty()) {
        const base::Result<QImage> ringImage = readPicture(options.rings);
        if (!ringImage) {
            std::fprintf(stderr, "render_planet: %s\n", ringImage.error().c_str());
            return 1;
        }
        rings = toRingProfile(*ringImage, options.ringInner, options.ringOuter);
    }

    const planetdisc::View& view = options.view;
    const planetdisc::Extent extent = planetdisc::PlanetExtent(view, rings ? &*rings : nullptr);
    if (2.0 * extent.halfWidth > view.width || 2.0 * extent.halfHeight > view.height) {
        std::fprintf(stderr, "render_planet: the planet (%.0f x %.0f pixels) does not fit a %d x %d picture\n",
                     std::ceil(2.0 * extent.halfWidth), std::ceil(2.0 * extent.halfHeight), view.width,
                     view.height);
        return 1;
    }

    const imaging::PixelBuffer picture = planetdisc::RenderPlanet(map, view, rings ? &*rings : nullptr);
    if (const base::Status written = imaging::WriteJpeg(picture, options.out, 90); !written) {
        std::fprintf(stderr, "render_planet: %s\n", written.error().c_str());
        return 1;
    }
    std::printf("%s: %d x %d pixels (%darcseconds wide), globe %.0f pixels across, planet %.0f x %.0f pixels\n",
                options.out.c_str(), view.width, view.height, view.width / 10, 2.0 * view.radiusPixels(),
                2.0 * extent.halfWidth, 2.0 * extent.halfHeight);
    return 0;
}
