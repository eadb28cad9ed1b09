#pragma once

#include "base/result.h"
#include "optics/measured_wavefront.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

// Reading the files of interferogram and lens-design programs: Zernike
// coefficient lists and wavefront maps. Every file is hostile input: its
// size and the sizes it claims are checked before anything is allocated,
// and whatever is wrong is said in one sentence naming the file.

namespace measured {

//! The largest files and maps read.
struct MeasuredLimits {
    int maxSide = 4096;  //!< samples of a map, either way
    std::size_t maxFileBytes = std::size_t{256} << 20;  //!< "256 MB"
    std::size_t maxTerms = 10000;  //!< values of one list or row
    std::size_t maxRows = 100000;  //!< rows of a CSV
};
inline constexpr MeasuredLimits kMeasuredLimits{};

//! How a plain list orders its terms.
enum class TermOrder {
    Fringe,  //!< Fringe, piston first
    Noll,  //!< Noll, from 1 (piston)
    Ansi,  //!< ANSI / OSA, from 0 (piston)
};

//! One measurement of a table, or the one list of a file.
struct ZernikeRow {
    std::string name;
    std::vector<double> values;
};

//! Zernike coefficients as a file lists them, before they become Fringe
//! terms (see ToFringe).
struct ZernikeSet {
    enum class Kind { PlainList, Table, Listing };
    Kind kind = Kind::PlainList;
    //! One row, or the rows of a table in file order.
    std::vector<ZernikeRow> rows;
    //! Tables: the Fringe term (1..37; 0: none) of each value column.
    std::vector<int> columnTerms;
    //! Listings say their order and normalisation themselves (Noll,
    //! RMS-normalised); plain lists and tables take the user's.
    bool ownOrder = false;
    TermOrder order = TermOrder::Fringe;
    bool normalised = false;
};

//! A wavefront map as read: `samples` in the file's unit (NaN outside),
//! top row first, with the pupil circle.
struct MapData {
    enum class Unit { Waves, Nanometres };
    std::shared_ptr<const optics::WavefrontSamples> samples;
    Unit unit = Unit::Waves;
};

//! What a file held.
struct MeasuredFile {
    //! "Zernike list", "Zernike table", "Zernike listing", "wavefront map
    //! (.wft)", "NumPy map (.npz)", "FITS map".
    std::string format;
    std::optional<ZernikeSet> zernikes;
    std::optional<MapData> map;
    //! The wavelength in nm the file says its values are in waves of.
    std::optional<double> waveLength;
    //! What the user should know ("12 terms beyond the 37 Fringe terms were
    //! ignored"), one sentence each.
    std::vector<std::string> notes;
};

//! Reads `path` (a regular file within the limits) and decodes it.
base::Result<MeasuredFile> ReadMeasuredFile(const std::string& path, const MeasuredLimits& limits = kMeasuredLimits);

//! Decodes the bytes of a file named `name`: a zip archive is a NumPy .npz,
//! "SIMPLE  =" a FITS file; text is a lens-design listing when it says so, a
//! .wft map when it carries the map's tagged lines or ends in .wft, a table
//! when its first line names columns, else a plain list. A name that claims
//! a format the bytes are not is refused.
base::Result<MeasuredFile> DecodeMeasuredFile(std::span<const std::uint8_t> bytes, const std::string& name,
                                              const MeasuredLimits& limits = kMeasuredLimits);

//! The text decoders on their own (the fuzz targets feed them).
base::Result<MeasuredFile> DecodeZernikeText(std::string_view text, const std::string& name,
                                             const MeasuredLimits& limits = kMeasuredLimits);
base::Result<MeasuredFile> DecodeWftMap(std::string_view text, const std::string& name,
                                        const MeasuredLimits& limits = kMeasuredLimits);
base::Result<MeasuredFile> DecodeNpzMap(std::span<const std::uint8_t> bytes, const std::string& name,
                                        const MeasuredLimits& limits = kMeasuredLimits);
base::Result<MeasuredFile> DecodeFitsMap(std::span<const std::uint8_t> bytes, const std::string& name,
                                         const MeasuredLimits& limits = kMeasuredLimits);

//! Text of a file in UTF-8 or 8-bit (kept as it is) or UTF-16 with a byte
//! order mark or NUL bytes (characters beyond ASCII become '?').
std::string TextOf(std::span<const std::uint8_t> bytes);

//! A wavelength value of a file in whatever unit it came: below 1e-4 it is
//! metres, below 20 micrometres, else nanometres. The result in nm.
double WavelengthInNm(double value);

}  // namespace measured
