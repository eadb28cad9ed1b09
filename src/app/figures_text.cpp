#include "app/figures_text.h"

#include <QLocale>
#include <QStringList>

#include <cmath>
#include <utility>

namespace app {

namespace {

const QChar kMinus(0x2212);
const QString kArcsec = QStringLiteral("\u2033");

QString fixed(double value, int decimals)
{
    return QLocale::system().toString(value, 'f', decimals);
}

QString shortest(double value)
{
    return QLocale::system().toString(value, 'g', QLocale::FloatingPointShortest);
}

QString arcsec(double value)
{
    return fixed(value, 2) + kArcsec;
}

}  // namespace

FigureTexts FormatFigures(const optics::StarFigures& figures)
{
    FigureTexts texts;
    texts.strehl = QStringLiteral("Strehl %1 (\u00f7 perfect)").arg(fixed(figures.strehl, 3));
    texts.marechal = QStringLiteral("Mar\u00e9chal %1 (RMS)").arg(fixed(figures.strehlMarechal, 3));
    texts.clear = QStringLiteral("Peak \u00f7 clear ap. %1").arg(fixed(figures.strehlClear, 3));
    const QString mean = arcsec(figures.fwhmArcsec());
    const QString larger = arcsec(figures.fwhmMaxArcsec());
    texts.fwhm = mean == larger ? QStringLiteral("FWHM %1").arg(mean)
                                : QStringLiteral("FWHM %1 (max %2)").arg(mean, larger);
    texts.energy = QStringLiteral("EE50 %1  EE80 %2").arg(arcsec(figures.ee50Arcsec), arcsec(figures.ee80Arcsec));
    return texts;
}

FigureTexts EmptyFigures()
{
    return {QStringLiteral("Strehl \u2013 (\u00f7 perfect)"), QStringLiteral("Mar\u00e9chal \u2013 (RMS)"),
            QStringLiteral("Peak \u00f7 clear ap. \u2013"), QStringLiteral("FWHM \u2013"),
            QStringLiteral("EE50 \u2013  EE80 \u2013")};
}

QString TravelText(double millimetres)
{
    const QString number = fixed(std::fabs(millimetres), 2);
    const bool negative = millimetres < 0.0 && number != fixed(0.0, 2);
    return (negative ? QString(kMinus) : QString()) + number + QStringLiteral(" mm");
}

QString FocusWithTravel(double waves, double focalRatio)
{
    return QStringLiteral("%1 (%2)").arg(shortest(waves), TravelText(optics::FocusTravelMm(waves, focalRatio)));
}

QString DescribeTelescope(const optics::StarRequest& request)
{
    const optics::PupilParams& p = request.pupil;
    QStringList parts;
    parts << shortest(p.diameter) + (p.millimeters ? QStringLiteral(" mm") : QStringLiteral(" in"));
    if (request.aperture.obstructionPercent != 0.0)
        parts << QStringLiteral("obs. %1 %").arg(shortest(request.aperture.obstructionPercent));
    if (request.aperture.obstructionPercent != 0.0 && request.aperture.spider)
        parts << QStringLiteral("spider");
    const std::pair<double, const char*> errors[] = {
        {p.focus, "focus"}, {p.coma, "coma"}, {p.astigmatism, "astig"}, {p.spherical, "sph"},
        {p.higherSpherical, "sph5"}, {p.pinch, "pinch"}, {p.tube, "tube"}, {p.edge, "TDE"},
        {p.turbulence, "turb"}, {p.roughness, "rough"},
    };
    // Amounts set from the seeing carry more decimals than anyone types.
    for (const auto& [amount, name] : errors)
        if (amount != 0.0)
            parts << QStringLiteral("%1 %2").arg(QLatin1String(name), shortest(std::round(amount * 1000.0) / 1000.0));
    if (request.measured)
        parts << QStringLiteral("measured");
    if (request.waveLength != optics::kReferenceWavelength)
        parts << QStringLiteral("%1 nm").arg(shortest(request.waveLength));
    return parts.join(QStringLiteral(", "));
}

}  // namespace app
