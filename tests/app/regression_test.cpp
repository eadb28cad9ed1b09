// Checksums of whole calculations, recorded once and compared bit for bit:
// any change that moves a single bit of the star grid, the star picture, the
// transfer function or the wavefront readouts fails here. Controls are set and
// read by name only, so the guard survives any reshaping of the window code.
#include "window_fixture.h"

#include "ui/number_edit.h"
#include "ui/picture_box.h"

#include <QAbstractButton>
#include <QLabel>
#include <QLocale>
#include <QSlider>

#include <cstdint>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

namespace {

// FNV-1a, 64 bits.
class Checksum {
public:
    void add(const void* data, std::size_t size)
    {
        const auto* p = static_cast<const unsigned char*>(data);
        for (std::size_t n = 0; n < size; ++n) {
            m_hash ^= p[n];
            m_hash *= 1099511628211ull;
        }
    }
    void add(const QString& text) { add(text.toUtf8().constData(), static_cast<std::size_t>(text.toUtf8().size())); }
    std::uint64_t value() const { return m_hash; }

private:
    std::uint64_t m_hash = 14695981039346656037ull;
};

std::uint64_t gridSum(const optics::Grid& grid)
{
    Checksum sum;
    for (int i = 1; i <= 512; ++i)
        sum.add(grid.row(i) + 1, 512 * sizeof(double));
    return sum.value();
}

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
    // Labels with the decimal separator written as '.', whatever the locale.
    QString label(const char* name)
    {
        QString text = find<QLabel>(name)->text();
        return text.replace(QLocale::system().decimalPoint(), QStringLiteral("."));
    }

    void run(const Case& c)
    {
        SCOPED_TRACE(c.name);
        createForm();
        for (const char* name : c.ticks)
            find<QAbstractButton>(name)->click();
        for (const auto& [name, value] : c.values) {
            if (std::strcmp(name, "Brightslide") == 0)
                find<QSlider>(name)->setValue(static_cast<int>(value));
            else
                edit(name)->setValue(value);
        }
        find<QAbstractButton>("CalculateButton")->click();

        EXPECT_EQ(gridSum(engine->StarGrid), c.star);
        const QImage picture = find<ui::PictureBox>("StarImage")->picture().convertToFormat(QImage::Format_RGB888);
        Checksum pixels;
        for (int y = 0; y < picture.height(); ++y)
            pixels.add(picture.constScanLine(y), static_cast<std::size_t>(picture.width()) * 3);
        EXPECT_EQ(pixels.value(), c.picture);
        const bool transfer = find<QAbstractButton>("PSFMTFCheck")->isChecked();
        EXPECT_EQ(transfer ? gridSum(engine->OtfReal) : 0u, c.transfer);
        Checksum labels;
        for (const char* name : {"RxLabel1", "WavefrontLabel", "Wavelabl", "RMSLabel", "RMSlabl"})
            labels.add(label(name));
        // The aperture and wavefront pictures of the Wavefront page.
        for (const char* name : {"Apertureimage", "Aberimage"}) {
            const QImage shown = find<ui::PictureBox>(name)->picture().convertToFormat(QImage::Format_RGB888);
            for (int y = 0; y < shown.height(); ++y)
                labels.add(shown.constScanLine(y), static_cast<std::size_t>(shown.width()) * 3);
        }
        EXPECT_EQ(labels.value(), c.labels);
        form.reset();
    }
};

TEST_F(Regression, WholeCalculationsAreBitForBitUnchanged)
{
    const std::vector<Case> cases = {
        {"perfect 5 inch", {}, {"PSFMTFCheck"},
         1297496620136875227u, 15751425732650037126u, 6204089608784610639u, 2810090396103852667u},
        {"defocus with wavefront", {{"ApertureSpin", 8}, {"FocusSpin", -2.5}}, {"Wavefront"},
         16001891133600666748u, 5167664726276586752u, 0, 16123196029022478647u},
        {"coma at an angle", {{"XComaSpin", 0.7}, {"Comaangle", 35}}, {"Wavefront", "PSFMTFCheck"},
         17767866699280416359u, 2569637101736068934u, 9542857550969606297u, 8471044347599729109u},
        {"astigmatism at an angle", {{"XastigSpin", -0.45}, {"Astigmaangle", 120}}, {"Wavefront"},
         2100157650983190432u, 5435250022457640586u, 0, 14191783685444485568u},
        {"both sphericals", {{"ApertureSpin", 10}, {"SphericalSpin", 0.3}, {"HSASpin", -0.2}}, {"Wavefront"},
         1320698967901850702u, 612580338333976222u, 0, 10725855714086668107u},
        {"pinch and tube", {{"PinchSpin", 0.4}, {"TubeSpin", 0.6}, {"RxTuberadius", 0.5}}, {"Wavefront"},
         10322491129521840104u, 5727059601146651914u, 0, 13801287830151971907u},
        {"turned-down edge", {{"TDESpin", 0.5}, {"TDEradius", 85}}, {"Wavefront", "PSFMTFCheck"},
         10253204974285303299u, 6815692839266764810u, 17220827975489333773u, 13604150577701842268u},
        {"millimetres, offset obstruction with spider",
         {{"ApertureSpin", 200}, {"ObsSpin", 25}, {"OffsetSpin", 6}, {"SpiderThickSpin", 2}},
         {"Millimeters", "Spidercheck", "PSFMTFCheck", "Wavefront"},
         16113972531834803366u, 2770485793489384690u, 4011487013398198052u, 17145890794361106767u},
        {"inches, large obstruction", {{"ApertureSpin", 14}, {"ObsSpin", 42.5}, {"FocusSpin", 1}}, {"PSFMTFCheck"},
         14884900950176960763u, 6618275279757923168u, 137998000104117096u, 9938410383804969409u},
        // RMS 0.4855... waves: "RMS: 0.486" since the labels round once (it
        // read 0.485 when rounded to six digits first).
        {"turbulence", {{"RMSSpin", 0.3}, {"RandSeedSpin", 17}}, {"Wavefront"},
         6196098442016275432u, 14049848816314912768u, 0, 662954465583112047u},
        {"roughness", {{"Roughspin", 0.25}, {"RandSeedSpin", 4}, {"ApertureSpin", 6}}, {"Wavefront"},
         8174768699002998750u, 2607763332364818050u, 0, 14733602979756520853u},
        {"everything at once, zoomed and brightened",
         {{"ApertureSpin", 12}, {"ObsSpin", 30}, {"FocusSpin", 0.5}, {"XComaSpin", 0.2}, {"SphericalSpin", -0.15},
          {"RMSSpin", 0.1}, {"Roughspin", 0.05}, {"ZoomfSpin", 1.7}, {"Brightslide", 30}},
         {"PSFMTFCheck", "Wavefront"},
         10322260219038167967u, 5404314048043397418u, 13880805915461076349u, 9963324426382443135u},
    };
    for (const Case& c : cases)
        run(c);
}

}  // namespace
