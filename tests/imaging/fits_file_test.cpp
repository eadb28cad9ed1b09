// FITS images, read back by a reader of our own (80-character cards in
// 2880-byte records, big-endian floats) rather than by the library that
// wrote them.
#include "imaging/fits_file.h"
#include "support/fits_reader.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace {

using testing_support::Hdu;
using testing_support::ReadFits;

imaging::FitsImage ramp(int width, int height, int planes, float offset)
{
    imaging::FitsImage image{width, height, planes, {}, {}, {}, {}};
    for (int n = 0; n < width * height * planes; ++n)
        image.pixels.push_back(offset + 0.25f * static_cast<float>(n));
    return image;
}

TEST(FitsFile, ImagesCardsAndPixelsReadBackAsWritten)
{
    imaging::FitsImage intra = ramp(4, 3, 1, -1.0f);
    intra.name = "INTRA";
    intra.cards = {{"PIXSCALE", 0.10035, "[arcsec] pixel scale"},
                   {"WAVELEN", 555LL, "[nm]"},
                   {"SPIDER", true, "spider vanes"},
                   {"CREATOR", std::string("Quintalis test"), ""}};
    intra.comments = {"Row 1 is the bottom of the picture."};
    imaging::FitsImage extra = ramp(2, 2, 3, 100.0f);
    extra.name = "EXTRA";
    extra.cards = {{"DEFOCUS", 3.0, "[waves]"}};

    const base::Result<std::string> bytes = imaging::FitsBytes({intra, extra});
    ASSERT_TRUE(bytes) << bytes.error();
    EXPECT_EQ(bytes->size() % 2880, 0u);
    const std::vector<Hdu> hdus = ReadFits(*bytes);
    ASSERT_EQ(hdus.size(), 2u);

    const std::map<std::string, std::string> primary = {
        {"SIMPLE", "T"},        {"BITPIX", "-32"},          {"NAXIS", "2"},   {"NAXIS1", "4"},
        {"NAXIS2", "3"},        {"EXTNAME", "INTRA"},       {"SPIDER", "T"},  {"CREATOR", "Quintalis test"},
        {"WAVELEN", "555"},
    };
    for (const auto& [key, value] : primary)
        EXPECT_EQ(hdus[0].cards.at(key), value) << key;
    EXPECT_DOUBLE_EQ(std::stod(hdus[0].cards.at("PIXSCALE")), 0.10035);
    EXPECT_TRUE(hdus[0].cards.count("DATE"));
    ASSERT_FALSE(hdus[0].comments.empty());
    EXPECT_EQ(hdus[0].comments.back(), "Row 1 is the bottom of the picture.");
    EXPECT_EQ(hdus[0].pixels, intra.pixels);

    const std::map<std::string, std::string> extension = {
        {"XTENSION", "IMAGE"}, {"BITPIX", "-32"}, {"NAXIS", "3"},       {"NAXIS1", "2"},
        {"NAXIS2", "2"},       {"NAXIS3", "3"},   {"EXTNAME", "EXTRA"},
    };
    for (const auto& [key, value] : extension)
        EXPECT_EQ(hdus[1].cards.at(key), value) << key;
    EXPECT_DOUBLE_EQ(std::stod(hdus[1].cards.at("DEFOCUS")), 3.0);
    EXPECT_EQ(hdus[1].pixels, extra.pixels);
}

TEST(FitsFile, WhatCannotBeWrittenIsRefused)
{
    imaging::FitsImage short_ = ramp(4, 4, 1, 0.0f);
    short_.pixels.pop_back();
    imaging::FitsImage badKey = ramp(2, 2, 1, 0.0f);
    badKey.cards = {{"MUCHTOOLONGKEY", 1.0, ""}};
    imaging::FitsImage lowerCase = ramp(2, 2, 1, 0.0f);
    lowerCase.cards = {{"focus", 1.0, ""}};
    const std::vector<imaging::FitsImage> cases[] = {{}, {short_}, {imaging::FitsImage{}}, {badKey}, {lowerCase}};
    for (const auto& images : cases)
        EXPECT_FALSE(imaging::FitsBytes(images));
}

}  // namespace
