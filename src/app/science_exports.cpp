#include "app/science_exports.h"

#include "app/control_names.h"
#include "optics/figures.h"

#include <QLocale>

#include <algorithm>
#include <cmath>
#include <string>

namespace app {

namespace {

constexpr int kSide = 512;
constexpr int kCentreCell = 257;

// An error the controls hold in waves at 555 nm, and its card.
struct ErrorCard {
    const char* control;
    const char* keyword;
    const char* comment;
};

const ErrorCard kErrorCards[] = {
    {names::kFocus, "FOCUS", "[waves] defocus"},
    {names::kComa, "COMA", "[waves] coma"},
    {names::kComaAngle, "COMAANG", "[deg] coma angle"},
    {names::kAstigmatism, "ASTIG", "[waves] astigmatism"},
    {names::kAstigmatismAngle, "ASTIGANG", "[deg] astigmatism angle"},
    {names::kSpherical, "SPHER3", "[waves] spherical aberration, 3rd order"},
    {names::kHigherSpherical, "SPHER5", "[waves] spherical aberration, 5th order"},
    {names::kPinch, "PINCH", "[waves] pinched optics (3-fold)"},
    {names::kTube, "TUBE", "[waves] tube currents"},
    {names::kTubeRadius, "TUBERAD", "fraction of the radius the tube currents reach"},
    {names::kEdge, "TDE", "[waves] turned-down edge"},
    {names::kEdgeRadius, "TDERAD", "[%] radius the turned-down edge starts at"},
    {names::kTurbulenceAmount, "TURBUL", "[waves] turbulence amplitude"},
    {names::kRoughnessAmount, "ROUGH", "[waves] mirror roughness amplitude"},
};

std::string program()
{
    return "Quintalis " QUINTALIS_VERSION;
}

// The settings' cards after an image's own.
void addSettingsCards(imaging::FitsImage& image, const std::vector<imaging::FitsCard>& settings)
{
    image.cards.insert(image.cards.end(), settings.begin(), settings.end());
}

QString number(double v)
{
    return QLocale::c().toString(v, 'g', QLocale::FloatingPointShortest);
}

}  // namespace

std::vector<imaging::FitsCard> SettingsCards(const QJsonObject& document)
{
    const QJsonObject controls = document.value(QLatin1String("controls")).toObject();
    auto value = [&](const char* name) { return controls.value(QLatin1String(name)).toDouble(); };
    std::vector<imaging::FitsCard> cards{{"CREATOR", program(), "the program that made this file"}};
    if (controls.isEmpty())
        return cards;
    const bool millimetres = controls.value(QLatin1String(names::kMillimeters)).toBool();
    const double diameter = value(names::kAperture) * (millimetres ? 1.0 : 25.4);
    cards.push_back({"APTDIA", diameter, "[mm] aperture diameter"});
    cards.push_back({"OBSTRUCT", value(names::kObstruction), "[%] central obstruction, of the diameter"});
    cards.push_back({"SECOFFS", value(names::kOffset), "[mm] offset of the secondary"});
    cards.push_back({"SPIDER", controls.value(QLatin1String(names::kSpider)).toBool(), "spider vanes"});
    cards.push_back({"VANEWID", value(names::kVaneWidth), "[mm] width of the spider vanes"});
    if (controls.contains(QLatin1String(names::kFocalRatio)))
        cards.push_back({"FOCRATIO", value(names::kFocalRatio), "focal ratio f/N"});
    for (const ErrorCard& e : kErrorCards)
        cards.push_back({e.keyword, value(e.control), e.comment});
    // The turbulence amount was set from the seeing (the amount shown is
    // rounded to the editor's decimals).
    if (value(names::kSeeing) > 0.0)
        cards.push_back({"SEEING", value(names::kSeeing), "[arcsec] seeing FWHM the turbulence was set for"});
    cards.push_back({"SEED", static_cast<long long>(value(names::kSeed)), "seed of the turbulence screen"});
    const QJsonObject measured = document.value(QLatin1String("measuredWavefront")).toObject();
    cards.push_back({"MEASURED", measured.value(QLatin1String("on")).toBool(), "a measured wavefront was added"});
    return cards;
}

imaging::FitsImage GridImage(const optics::Grid& grid, double scale, double pixelArcseconds)
{
    imaging::FitsImage image{kSide, kSide, 1, {}, {}, {}, {}};
    image.pixels.reserve(static_cast<std::size_t>(kSide) * kSide);
    // FITS row 1 is the bottom of the picture: the grid's last j.
    for (int row = 1; row <= kSide; ++row)
        for (int i = 1; i <= kSide; ++i)
            image.pixels.push_back(static_cast<float>(grid(i, kSide + 1 - row) * scale));
    const double centreRow = kSide + 1 - kCentreCell;
    image.cards = {
        {"BUNIT", std::string("relative"), "intensity"},
        {"PIXSCALE", pixelArcseconds, "[arcsec/pixel] image scale"},
        {"CTYPE1", std::string("XOFFSET"), "offset from the centre, to the right"},
        {"CTYPE2", std::string("YOFFSET"), "offset from the centre, upwards"},
        {"CUNIT1", std::string("arcsec"), ""},
        {"CUNIT2", std::string("arcsec"), ""},
        {"CRPIX1", static_cast<double>(kCentreCell), "the centre: x"},
        {"CRPIX2", centreRow, "the centre: y (row 1 at the bottom)"},
        {"CRVAL1", 0.0, ""},
        {"CRVAL2", 0.0, ""},
        {"CDELT1", pixelArcseconds, "[arcsec]"},
        {"CDELT2", pixelArcseconds, "[arcsec]"},
    };
    return image;
}

std::vector<imaging::FitsImage> StarFits(const optics::StarImage& star, const QJsonObject& settings)
{
    imaging::FitsImage image = GridImage(star.grid, 1.0, kCellArcseconds);
    image.cards.push_back({"OBJECT", std::string("star"), ""});
    image.cards.push_back({"WAVELEN", 555.0, "[nm] wavelength"});
    addSettingsCards(image, SettingsCards(settings));
    image.comments = {"The diffraction image of a star: 1 is its brightest pixel.",
                      "Errors in waves at 555 nm; row 1 is the bottom of the picture."};
    return {image};
}

std::vector<imaging::FitsImage> IntraExtraFits(const optics::StarImage& intra, double intraFocus,
                                               const optics::StarImage& extra, double extraFocus,
                                               const QJsonObject& settings)
{
    // Each image was normalised to its own peak; both go back to one scale,
    // on which the brighter peak is 1.
    const double intraPeak = intra.peak + 0.00001;
    const double extraPeak = extra.peak + 0.00001;
    const double brightest = std::max(intraPeak, extraPeak);
    const std::vector<imaging::FitsCard> cards = SettingsCards(settings);
    const double focalRatio =
        settings.value(QLatin1String("controls")).toObject().value(QLatin1String(names::kFocalRatio)).toDouble();
    std::vector<imaging::FitsImage> images;
    for (const auto& [star, peak, focus, name] :
         {std::tuple{&intra, intraPeak, intraFocus, "INTRA"}, std::tuple{&extra, extraPeak, extraFocus, "EXTRA"}}) {
        imaging::FitsImage image = GridImage(star->grid, peak / brightest, kCellArcseconds);
        image.name = name;
        image.cards.push_back({"OBJECT", std::string(name[0] == 'I' ? "intra-focal star" : "extra-focal star"), ""});
        image.cards.push_back({"WAVELEN", 555.0, "[nm] wavelength"});
        image.cards.push_back({"DEFOCUS", focus, "[waves] defocus of this image"});
        if (focalRatio > 0.0)
            image.cards.push_back({"FOCTRAVL", optics::FocusTravelMm(focus, focalRatio),
                                   "[mm] focuser travel of this defocus at FOCRATIO"});
        addSettingsCards(image, cards);
        image.comments = {"The star inside (INTRA) and outside (EXTRA) focus, on one scale.",
                          "Errors in waves at 555 nm; row 1 is the bottom of the picture."};
        images.push_back(std::move(image));
    }
    return images;
}

std::vector<imaging::FitsImage> PlanetFits(const optics::StarImage* grey, const optics::ColourCells* colour,
                                           double colourScale, const QJsonObject& settings)
{
    imaging::FitsImage image;
    if (grey) {
        image = GridImage(grey->grid, 1.0, kPlanetPixelArcseconds);
        image.cards.push_back({"WAVELEN", 555.0, "[nm] wavelength"});
        image.comments = {"The planet seen through the telescope, in grey: 1 is its brightest",
                          "pixel."};
    } else {
        // Three planes on the grid's layout, red, green and blue.
        optics::Grid plane{};
        std::vector<float> pixels;
        for (int channel = 0; channel < 3; ++channel) {
            for (int i = 1; i <= kSide; ++i)
                for (int j = 1; j <= kSide; ++j) {
                    const optics::RgbCell& cell = (*colour)(i, j);
                    plane(i, j) = channel == 0 ? cell.red : channel == 1 ? cell.green : cell.blue;
                }
            const imaging::FitsImage one = GridImage(plane, colourScale, kPlanetPixelArcseconds);
            pixels.insert(pixels.end(), one.pixels.begin(), one.pixels.end());
            image.cards = one.cards;
        }
        image.width = kSide;
        image.height = kSide;
        image.planes = 3;
        image.pixels = std::move(pixels);
        image.cards.push_back({"WAVERED", 645.0, "[nm] wavelength of plane 1, red"});
        image.cards.push_back({"WAVEGRN", 510.0, "[nm] wavelength of plane 2, green"});
        image.cards.push_back({"WAVEBLU", 440.0, "[nm] wavelength of plane 3, blue"});
        image.comments = {"The planet seen through the telescope: planes red, green, blue;",
                          "255 is the brightest a picture shows."};
    }
    image.cards.push_back({"OBJECT", std::string("planet"), ""});
    addSettingsCards(image, SettingsCards(settings));
    image.comments.push_back("Planet pictures are taken at 10 pixels an arcsecond; row 1 is the");
    image.comments.push_back("bottom of the picture.");
    return {image};
}

CurveTable PsfTable(const optics::PsfMtfCurves& curves)
{
    CurveTable table{{QStringLiteral("offset (arcsec)"),
                      QStringLiteral("PSF along x (fraction of a perfect aperture's peak)"),
                      QStringLiteral("PSF along y (fraction of a perfect aperture's peak)")},
                     {}};
    for (std::size_t n = 0; n < curves.psfX.size(); ++n)
        table.rows.push_back({curves.psfX[n].x, curves.psfX[n].y, curves.psfY[n].y});
    return table;
}

CurveTable MtfTable(const optics::PsfMtfCurves& curves)
{
    CurveTable table{{QStringLiteral("frequency (fraction of the cut-off D/lambda)"),
                      QStringLiteral("frequency (cycles per arcsec)"), QStringLiteral("MTF along x"),
                      QStringLiteral("MTF along y"), QStringLiteral("MTF of a perfect aperture")},
                     {}};
    // The perfect aperture's table, between its points.
    auto perfect = [&](double f) {
        const auto& p = curves.perfect;
        if (f >= p.back().x)
            return p.back().y;
        std::size_t k = 0;
        while (k + 1 < p.size() && p[k + 1].x <= f)
            ++k;
        const double t = (f - p[k].x) / (p[k + 1].x - p[k].x);
        return p[k].y + t * (p[k + 1].y - p[k].y);
    };
    for (std::size_t i = 0; i < curves.mtfX.size(); ++i) {
        const double f = curves.mtfX[i].x;
        const double cyclesPerArcsec = static_cast<double>(i) / (kSide * kCellArcseconds);
        table.rows.push_back({f, cyclesPerArcsec, curves.mtfX[i].y, curves.mtfY[i].y, perfect(f)});
    }
    return table;
}

CurveTable EnergyTable(const optics::StarFigures& figures)
{
    CurveTable table{{QStringLiteral("radius (arcsec)"),
                      QStringLiteral("encircled energy (fraction of the star's light)")},
                     {}};
    // The perfect telescope's curve has the same radii.
    const std::vector<optics::CurvePoint>* perfect =
        figures.perfect && figures.perfect->energy.size() == figures.energy().size() ? &figures.perfect->energy
                                                                                    : nullptr;
    if (perfect)
        table.columns << QStringLiteral("encircled energy of a perfect telescope (fraction of its light)");
    for (std::size_t n = 0; n < figures.energy().size(); ++n) {
        table.rows.push_back({figures.energy()[n].x, figures.energy()[n].y});
        if (perfect)
            table.rows.back().push_back((*perfect)[n].y);
    }
    return table;
}

QByteArray CsvText(const CurveTable& table)
{
    QStringList header;
    for (const QString& column : table.columns)
        header << (column.contains(QLatin1Char(',')) ? QLatin1Char('"') + column + QLatin1Char('"') : column);
    QByteArray text = header.join(QLatin1Char(',')).toUtf8() + '\n';
    for (const std::vector<double>& row : table.rows) {
        QStringList cells;
        for (double v : row)
            cells << number(v);
        text += cells.join(QLatin1Char(',')).toUtf8() + '\n';
    }
    return text;
}

}  // namespace app
