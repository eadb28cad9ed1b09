#pragma once

#include "imaging/fits_file.h"
#include "optics/figures.h"
#include "optics/grid.h"
#include "optics/psf.h"

#include <QByteArray>
#include <QJsonObject>
#include <QStringList>

#include <vector>

namespace app {

// What other programs read: the star images as FITS files of 32-bit floats
// (image analysis, curvature sensing) and the plotted curves as CSV tables.

//! The angle of one cell of the image plane in arcseconds, the same at every
//! aperture and wavelength.
inline constexpr double kCellArcseconds = optics::kArcsecPerCell;
//! The scale planet pictures are taken to have.
inline constexpr double kPlanetPixelArcseconds = 0.1;

//! Header cards from the settings `document` that made a picture: the
//! program, the aperture in mm, the obstruction, offset and spider, every
//! error in waves at 555 nm, turbulence, roughness and seed, and whether a
//! measured wavefront was added.
std::vector<imaging::FitsCard> SettingsCards(const QJsonObject& document);

//! The data area [1..512] x [1..512] of `grid` times `scale`, as FITS wants
//! it: x (the first index) to the right, row 1 the bottom of the picture;
//! pixel cards for `pixelArcseconds` with the image's centre cell [257][257]
//! at offset 0.
imaging::FitsImage GridImage(const optics::Grid& grid, double scale, double pixelArcseconds);

//! The star image (each pixel a fraction of its brightest one).
std::vector<imaging::FitsImage> StarFits(const optics::StarImage& star, const QJsonObject& settings);
//! The intra- and extra-focal images (primary INTRA, extension EXTRA) on one
//! scale, their brightest pixel 1, with the defocus each was made at.
std::vector<imaging::FitsImage> IntraExtraFits(const optics::StarImage& intra, double intraFocus,
                                               const optics::StarImage& extra, double extraFocus,
                                               const QJsonObject& settings);
//! The grey planet (`grey`), or the colour planet as three planes red,
//! green and blue (`colour`, on the composite's 0..255 scale).
std::vector<imaging::FitsImage> PlanetFits(const optics::StarImage* grey, const optics::ColourCells* colour,
                                           double colourScale, const QJsonObject& settings);

//! A table for a CSV file: a header naming each column with its unit, and
//! the rows.
struct CurveTable {
    QStringList columns;
    std::vector<std::vector<double>> rows;
};

//! The PSF cuts through the centre, as plotted.
CurveTable PsfTable(const optics::PsfMtfCurves& curves);
//! The MTF cuts, as plotted, with the perfect aperture's MTF at the same
//! frequencies (interpolated in its table).
CurveTable MtfTable(const optics::PsfMtfCurves& curves);

//! The encircled energy, as plotted: the fraction of the star's light within
//! each radius, and the perfect telescope's where the figures have it.
CurveTable EnergyTable(const optics::StarFigures& figures);

//! The table as CSV: the header line, then the rows; commas between
//! columns, a full stop before decimals, numbers as short as they stay
//! exact.
QByteArray CsvText(const CurveTable& table);

}  // namespace app
