// Writes the starting corpora of the measured-wavefront fuzz targets: the
// sample files of every format and damaged forms of them.
//
//   make_measured_seeds TEXT_FOLDER MAP_FOLDER
#include "measured/measured_compose.h"
#include "measured_files.h"

#include <cmath>
#include <filesystem>
#include <fstream>
#include <limits>
#include <string>
#include <vector>

namespace {

using namespace testing_support;

void Save(const std::filesystem::path& folder, const std::string& name, const std::string& bytes)
{
    std::filesystem::create_directories(folder);
    std::ofstream(folder / name, std::ios::binary) << bytes;
}

std::vector<double> Disc(int side)
{
    const double r = (side - 1) / 2.0;
    std::vector<double> v(static_cast<std::size_t>(side) * side, std::numeric_limits<double>::quiet_NaN());
    for (int row = 0; row < side; ++row)
        for (int c = 0; c < side; ++c)
            if ((c - r) * (c - r) + (row - r) * (row - r) <= r * r)
                v[static_cast<std::size_t>(row) * side + c] = 0.01 * (c - r) * (row - r);
    return v;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 3)
        return 2;
    const std::filesystem::path text = argv[1];
    const std::filesystem::path maps = argv[2];
    measured::FringeArray terms{};
    terms[3] = 0.2;
    terms[8] = -0.1;
    Save(text, "list.zrn", measured::ZernikeListText(terms));
    Save(text, "table.csv", measured::ZernikeTableText(terms, 0.01, "mirror"));
    Save(text, "stats.csv",
         "m,'wavefront RMS',,Piston,XTile,Ytilt,Defocus,XAstig,Yastig,Z6,Z7,Spherical,Z9,Z10 \n"
         "a.wft,0.05,,0,0.1,0.2,0.3,0.4,0.5,0.6,0.7,0.8,0.9,1.0,1.1,1.2\n");
    const std::string listing = "Listing of Zernike Standard Coefficient Data\nWavelength : 0.6328 um\n"
                                "Z   1  0.1 : 1\nZ   4  0.2 : 3^(1/2) (2p^2 - 1)\nZ  11  0.05 : 5^(1/2)\n";
    Save(text, "listing.txt", listing);
    Save(text, "listing16.txt", Utf16(listing));
    optics::PupilPhase pupil;
    pupil.N = 6;
    pupil.waves.assign(13 * 13, 0.05);
    pupil.open.assign(13 * 13, 1);
    Save(text, "map.wft", measured::WftText(pupil, 150.0));
    Save(text, "short.wft", "3\n3\n0\n0\n0\n");
    Save(text, "tags.wft", "2 2\n0\n0\n0\n0\noutside ellipse 0.5 0.5 0.5 0.5\nLambda 632.8\n");

    const std::vector<double> disc = Disc(11);
    // The first byte picks the reader: even NumPy, odd FITS.
    Save(maps, "stored.npz",
         std::string(1, '\x00') + Zip({{"wf.npy", Npy({11, 11}, disc)}, {"wavelength.npy", Npy({}, {632.8})}}));
    Save(maps, "deflated.npz", std::string(1, '\x00') + Zip({{"wf.npy", Npy({11, 11}, disc), true}}));
    Save(maps, "bomb.npz", std::string(1, '\x00') + Zip({{"wf.npy", std::string(64, '\0'), true, 1u << 30}}));
    Save(maps, "map.fits", "\x01" + Fits({11, 11}, disc, {"BUNIT   = 'nm      '", "WAVELEN =           6.328E-07"}));
    Save(maps, "cube.fits", "\x01" + Fits({3, 3, 2}, std::vector<double>(18, 0.0)));
    if (const base::Result<std::string> fits = measured::FitsBytes(pupil, 150.0))
        Save(maps, "own.fits", "\x01" + *fits);
    return 0;
}
