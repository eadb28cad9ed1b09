// Checksums of whole calculations, recorded once and compared bit for bit:
// any change that moves a single bit of the star grid, the star picture, the
// transfer function or the wavefront readouts fails here. Controls are set and
// read by name only, so the guard survives any reshaping of the window code.
#include "window_fixture.h"

#include <QLocale>
#include <QSlider>

#include <cstdint>
#include <cstring>
#include <utility>
#include <vector>

namespace {

using namespace app::names;
using testing_support::Checksum;

struct Case {
    const char* name;
    std::vector<std::pair<const char*, double>> values;  // written in order
    std::vector<const char*> ticks;                      // check boxes and radio buttons, in order
    std::uint64_t star;                                  // StarGrid
    std::uint64_t picture;                               // the star picture
    std::uint64_t transfer;                              // OtfReal, 0 when PSF/MTF is off
    std::uint64_t labels;                                // readouts and pictures of the Wavefront page
};

class Regression : public testing_support::WindowTest {
protected:
    void run(const Case& c)
    {
        SCOPED_TRACE(c.name);
        createWindow();
        for (const char* name : c.ticks)
            click(name);
        for (const auto& [name, value] : c.values) {
            if (std::strcmp(name, kBrightness) == 0)
                find<QSlider>(name)->setValue(static_cast<int>(value));
            else
                set(name, value);
        }
        calculate();

        EXPECT_EQ(testing_support::GridChecksum(grid("StarGrid")), c.star);
        EXPECT_EQ(testing_support::ImageChecksum(picture(kStarImage)), c.picture);
        const bool transfer = find<QAbstractButton>(kTransferFunction)->isChecked();
        EXPECT_EQ(transfer ? testing_support::GridChecksum(grid("OtfReal")) : 0u, c.transfer);
        Checksum labels;
        for (const char* name : {kResolution, kPeakToValley, kPeakToValleyWaves, kRms, kRmsWaves}) {
            // With the decimal separator written as '.', whatever the locale.
            const QByteArray text = label(name).replace(QLocale::system().decimalPoint(), QStringLiteral(".")).toUtf8();
            labels.add(text.constData(), static_cast<std::size_t>(text.size()));
        }
        // The aperture and wavefront pictures of the Wavefront page.
        for (const char* name : {kAperturePicture, kWavefrontPicture}) {
            const QImage shown = picture(name).convertToFormat(QImage::Format_RGB888);
            for (int y = 0; y < shown.height(); ++y)
                labels.add(shown.constScanLine(y), static_cast<std::size_t>(shown.width()) * 3);
        }
        EXPECT_EQ(labels.value(), c.labels);
    }
};

TEST_F(Regression, WholeCalculationsAreBitForBitUnchanged)
{
    const std::vector<Case> cases = {
        {"perfect 5 inch", {}, {kTransferFunction},
         1297496620136875227u, 15751425732650037126u, 6204089608784610639u, 2810090396103852667u},
        {"defocus with wavefront", {{kAperture, 8}, {kFocus, -2.5}}, {kWavefront},
         16001891133600666748u, 5167664726276586752u, 0, 16123196029022478647u},
        {"coma at an angle", {{kComa, 0.7}, {kComaAngle, 35}}, {kWavefront, kTransferFunction},
         17767866699280416359u, 2569637101736068934u, 9542857550969606297u, 8471044347599729109u},
        {"astigmatism at an angle", {{kAstigmatism, -0.45}, {kAstigmatismAngle, 120}}, {kWavefront},
         2100157650983190432u, 5435250022457640586u, 0, 14191783685444485568u},
        {"both sphericals", {{kAperture, 10}, {kSpherical, 0.3}, {kHigherSpherical, -0.2}}, {kWavefront},
         1320698967901850702u, 612580338333976222u, 0, 10725855714086668107u},
        {"pinch and tube", {{kPinch, 0.4}, {kTube, 0.6}, {kTubeRadius, 0.5}}, {kWavefront},
         10322491129521840104u, 5727059601146651914u, 0, 13801287830151971907u},
        {"turned-down edge", {{kEdge, 0.5}, {kEdgeRadius, 85}}, {kWavefront, kTransferFunction},
         10253204974285303299u, 6815692839266764810u, 17220827975489333773u, 13604150577701842268u},
        {"millimetres, offset obstruction with spider",
         {{kAperture, 200}, {kObstruction, 25}, {kOffset, 6}, {kVaneWidth, 2}},
         {kMillimeters, kSpider, kTransferFunction, kWavefront},
         16113972531834803366u, 2770485793489384690u, 4011487013398198052u, 17145890794361106767u},
        {"inches, large obstruction", {{kAperture, 14}, {kObstruction, 42.5}, {kFocus, 1}}, {kTransferFunction},
         14884900950176960763u, 6618275279757923168u, 137998000104117096u, 9938410383804969409u},
        // RMS 0.4855... waves: "RMS: 0.486" since the labels round once (it
        // read 0.485 when rounded to six digits first).
        {"turbulence", {{kTurbulenceAmount, 0.3}, {kSeed, 17}}, {kWavefront},
         6196098442016275432u, 14049848816314912768u, 0, 662954465583112047u},
        {"roughness", {{kRoughnessAmount, 0.25}, {kSeed, 4}, {kAperture, 6}}, {kWavefront},
         8174768699002998750u, 2607763332364818050u, 0, 14733602979756520853u},
        {"everything at once, zoomed and brightened",
         {{kAperture, 12}, {kObstruction, 30}, {kFocus, 0.5}, {kComa, 0.2}, {kSpherical, -0.15},
          {kTurbulenceAmount, 0.1}, {kRoughnessAmount, 0.05}, {kZoom, 1.7}, {kBrightness, 30}},
         {kTransferFunction, kWavefront},
         10322260219038167967u, 5404314048043397418u, 13880805915461076349u, 9963324426382443135u},
    };
    for (const Case& c : cases)
        run(c);
}

}  // namespace
