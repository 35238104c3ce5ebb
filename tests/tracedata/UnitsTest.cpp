#include <gtest/gtest.h>

#include <clocale>
#include <cstdio>

#include <cmath>

#include "Text.h"
#include "Units.h"

using namespace fl;

TEST(Units, LevelFromDbmTable) {
    struct Case {
        double p;
        const char* unit;
        double impedance;
        double expected;
        double tolerance;
    };
    const Case cases[] = {
        {0, "DBM", 50, 0, 0},
        {-3, "DB", 50, -3, 0},
        {0, "DBUV", 50, 106.9897, 1e-12},
        {0, "DBUVm", 75, 106.9897, 1e-12},
        {0, "DBMV", 50, 46.9897, 1e-12},
        {0, "DBV", 50, -13.0103, 1e-12},
        {0, "V", 50, 0.2236068, 1e-7},
        {0, "V", 75, 0.2738613, 1e-7},
        {0, "MV", 50, 223.6068, 1e-4},
        {0, "UVM", 50, 223606.8, 0.1},
        {0, "W", 50, 0.001, 1e-15},
        {10, "MW", 50, 10, 1e-12},
        {0, "UWM2", 50, 1000, 1e-9},
        {-20, "MRHO", 50, 100, 1e-9},
        {-20, "%", 50, 10, 1e-9},
        {-20, "VSWR", 50, 1.2222222222, 1e-9},
        {0, "VSWR", 50, 1e37, 0},
        {0, "DBMM2", 50, 10 * std::log10(0.001 * 50 * 2.6525198938992043), 1e-12},
        {-7, "XYZ", 50, -7, 0},
    };
    for (const auto& c : cases)
        EXPECT_NEAR(LevelFromDbm(c.p, c.unit, c.impedance), c.expected, c.tolerance) << c.unit << " " << c.p;
}

TEST(Units, LevelToDbmInvertsLevelFromDbm) {
    const char* units[] = {"DBM", "DB",   "DBUV", "DBUVm", "DBMV", "DBMVm", "DBV",  "DBVM",
                           "V",   "VM",   "MV",   "MVM",   "UV",   "UVM",   "W",    "WM2",
                           "MW",  "MWM2", "UW",   "UWM2",  "MRHO", "%",     "VSWR", "DBMM2"};
    for (double r : {50.0, 75.0})
        for (const char* u : units)
            for (double p : {-90.0, -33.3, -1.0}) {
                double x = LevelFromDbm(p, u, r);
                EXPECT_NEAR(LevelToDbm(x, u, r), p, 1e-9) << u << " " << p << " at " << r;
            }
}

TEST(Units, TextsAndKeywords) {
    EXPECT_EQ(UnitText("DBUV"), "dB\xB5V");
    EXPECT_EQ(UnitText("DBMM2"), "dBm/m\xB2");
    EXPECT_EQ(UnitText("nonsense"), "dBm");
    EXPECT_EQ(ScaleUnitText("MV"), "mV");
    EXPECT_EQ(ScaleUnitText("VSWR"), "");
    EXPECT_EQ(ScaleUnitText("DBUVm"), "dB");
    EXPECT_EQ(ScaleUnitText("nonsense"), "dB");
    EXPECT_EQ(UnitKeyword("mW"), "MW");
    EXPECT_EQ(UnitKeyword("\xB5W/m\xB2"), "UWM2");
    EXPECT_EQ(UnitKeyword("furlong"), "DBM");
    EXPECT_EQ(LengthUnitText("FEET"), "ft");
    EXPECT_EQ(LengthUnitText("FT100"), "ft");
    EXPECT_EQ(LengthUnitText("METer"), "m");
    EXPECT_EQ(LengthUnitText("?"), "m");
}

TEST(Units, FormatLevelByUnitAndMagnitude) {
    struct Case {
        double v;
        const char* unit;
        const char* text;
    };
    const Case cases[] = {
        {223.6, "MV", "223.6"},  {0.05, "W", "0.050"},     {-3, "V", ""},         {1234.4, "UV", "1234"},
        {12.346, "MW", "12.35"}, {-45.25, "DBM", "-45.2"}, {5, "DBM", " 5.0"},    {512.4, "MRHO", "512"},
        {-1, "MRHO", ""},        {150, "VSWR", "150.0"},   {15, "VSWR", "15.00"}, {1.5, "VSWR", "1.500"},
        {0.9, "VSWR", ""},       {12.34, "%", "12.3"},     {-0.1, "%", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FormatLevel(c.v, c.unit), c.text) << c.v << " " << c.unit;
}

TEST(Units, FormatEmfPrefixes) {
    struct Case {
        double v;
        const char* keyword;
        const char* text;
    };
    const Case cases[] = {
        {0.0123, "EFIeld", "12.300 mV/m"}, {0.0123, "PDENsity", "12.300 mW/m\xB2"},
        {-9999.0, "EFIeld", "N/A"},        {0.0, "EFIeld", "No Signal"},
        {2.5e-7, "EFIeld", "250.00 nV/m"}, {4.2e-4, "EFIeld", "420.00 \xB5V/m"},
        {1500.0, "EFIeld", "1.5000 kV/m"}, {3.0, "EFIeld", "3.0000 V/m"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FormatEmf(c.v, c.keyword), c.text) << c.v;
}

TEST(Units, DatesAndRounding) {
    EXPECT_EQ(FormatCalDate("2007,3,12"), "12.03.2007");
    EXPECT_EQ(FormatCalDate("2007,3,12,"), "12.03.2007");
    EXPECT_EQ(FormatCalDate("0,0,0"), "Not calibrated");
    EXPECT_EQ(FormatCalDate("1,0,0"), "Not calibrated");
    EXPECT_EQ(FormatCalDate(""), "");
    EXPECT_EQ(FormatCalDate(",,5"), "05.01.1970");
    EXPECT_EQ(StampText("2026/3/5 7:08:09"), "05.03.2026  07:08:09");
    EXPECT_EQ(NowText().size(), 20u);
    EXPECT_EQ(RoundTo(2.25, 1), 2.3);
    EXPECT_EQ(RoundTo(-2.25, 1), -2.3);
    EXPECT_EQ(RoundTo(1234.5, 0), 1235.0);
}

TEST(Text, NumbersKeepTheirPointUnderAGermanLocale) {
    // The GUI runs in the user's locale; a German one writes a decimal comma with plain printf.
    if (!std::setlocale(LC_ALL, "de_DE.UTF-8")) GTEST_SKIP() << "de_DE.UTF-8 is not installed";
    char plain[16];
    std::snprintf(plain, sizeof plain, "%.1f", 1.5);
    EXPECT_STREQ(plain, "1,5");  // the locale is in effect
    EXPECT_EQ(Format("%.1f", 1.5), "1.5");
    EXPECT_EQ(Format("%s %.3f", "SENSe:SWEep:TIMe", 0.25), "SENSe:SWEep:TIMe 0.250");
    EXPECT_DOUBLE_EQ(LeadingReal("1.5e3 Hz"), 1500.0);
    EXPECT_DOUBLE_EQ(LeadingReal("2.5"), 2.5);
    std::setlocale(LC_ALL, "C");
}
