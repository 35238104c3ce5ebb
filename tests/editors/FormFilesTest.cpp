// Channel system and cable type files as their formats say, and the checks of their Save.
#include <gtest/gtest.h>

#include "EmfLimitModel.h"
#include "FormFiles.h"
#include "Text.h"

using namespace fl;

TEST(ChannelSystemFile, TheExampleWritesAndReadsBack) {
    ChannelSystem s;
    s.first = 1;
    s.last = 124;
    s.width = 200e3;
    s.spacing = 200e3;
    s.firstCenter = 935.2e6;
    const std::string text = ChannelSystemText(s, NameBeforeFirstDot("GSM900.qsy"));
    EXPECT_EQ(
        text,
        "Name GSM900\r\nChCnt 124\r\nChStart 1\r\nChWidth 200000\r\nChSpace 200000\r\nFStart 9.352e+08\r\n"
        "SysLvl 0\r\nMaxFreq 4 GHz\r\n");
    const ChannelSystem back = ReadChannelSystemText(text);
    EXPECT_EQ(back.name, "GSM900");
    EXPECT_EQ(back.first, 1);
    EXPECT_EQ(back.last, 124);
    EXPECT_EQ(back.firstCenter, 935.2e6);
    EXPECT_EQ(back.maxFreq, "4 GHz");
}

TEST(ChannelSystemFile, ReadingRules) {
    ChannelSystem kept;
    kept.width = 1234;
    // Any order, blanks in the name dropped, MaxFreq keeping its blanks, missing keywords kept.
    const ChannelSystem s =
        ReadChannelSystemText("MaxFreq 7.5 GHz\nName My System\r\nChStart  3\r\njunk\r\n", kept);
    EXPECT_EQ(s.name, "MySystem");
    EXPECT_EQ(s.first, 3);
    EXPECT_EQ(s.maxFreq, "7.5 GHz");
    EXPECT_EQ(s.width, 1234);
    // "%g" where it says the value (935.2 MHz is 9.352e+08); 1842.2375 MHz, which "%g" would move to
    // 1842.24 MHz, is written in full.
    ChannelSystem c;
    c.firstCenter = 1842.2375e6;
    c.width = 935.2e6;
    const std::string text = ChannelSystemText(c, "X");
    EXPECT_NE(text.find("FStart 1842237500\r\n"), std::string::npos);
    EXPECT_NE(text.find("ChWidth 9.352e+08\r\n"), std::string::npos);
    EXPECT_EQ(ReadChannelSystemText(text).firstCenter, 1842.2375e6);
    // Shown in its best unit: from 1e9 Hz that is GHz.
    EXPECT_EQ(BestFrequencyUnit(1842.24e6).unit, "GHz");
    EXPECT_DOUBLE_EQ(BestFrequencyUnit(1842.24e6).value, 1.84224);
}

TEST(ChannelSystemFile, SaveChecks) {
    struct Case {
        int first, last;
        double width, spacing, center;
        const char* maxFreq;
        const char* message;
    };
    const Case cases[] = {
        {10, 10, 5e6, 10e6, 900e6, "4 GHz", "Last channel < first channel"},
        {1, 10, 3e9, 10e6, 900e6, "7.5 GHz", ""},
        {1, 10, 3e9, 10e6, 900e6, "4 GHz", "Channel Width:\nPlease insert a value between 100 Hz and 2 GHz"},
        {1, 10, 99, 10e6, 900e6, "4 GHz", "Channel Width:\nPlease insert a value between 100 Hz and 2 GHz"},
        {1, 10, 100, 100, 0, "4 GHz", ""},
        {1, 10, 100, 4e9, 0, "7.5 GHz",
         "Channel Spacing:\nPlease insert a value between 100 Hz and 3.75 GHz"},
        {1, 10, 100, 100, 4.1e9, "4 GHz",
         "1st Channel Center:\nPlease insert a value between 0 Hz and 4 GHz"},
        {1, 10, 100, 100, 7.5e9, "7.5 GHz", ""},
    };
    for (const auto& c : cases) {
        ChannelSystem s;
        s.first = c.first;
        s.last = c.last;
        s.width = c.width;
        s.spacing = c.spacing;
        s.firstCenter = c.center;
        s.maxFreq = c.maxFreq;
        EXPECT_EQ(CheckChannelSystem(s), c.message) << c.width << " " << c.maxFreq;
    }
}

TEST(CableTypeFile, TheExampleAndTheReadingRules) {
    CableType c;
    c.description = "CableA";
    c.dielectric = 1.38;
    c.attenuation = 6.8;
    c.feet = true;
    c.cutoff = 6e9;
    const std::string text = CableTypeText(c);
    EXPECT_EQ(text, "Name CableA\r\nCDielec 1.38\r\nCAttn 6.8\r\nCUnit 1\r\nCCutFrq 6000000000\r\n");
    const CableType back = ReadCableTypeText(text);
    EXPECT_EQ(back.description, "CableA");
    EXPECT_EQ(back.dielectric, 1.38);
    EXPECT_TRUE(back.feet);
    EXPECT_EQ(back.cutoff, 6e9);
    // Two words are written with their blank and read back joined; CUnit other than 1 is metres.
    c.description = "Feeder one";
    c.feet = false;
    EXPECT_EQ(ReadCableTypeText(CableTypeText(c)).description, "Feederone");
    EXPECT_FALSE(ReadCableTypeText("CUnit 2\r\n").feet);
}

TEST(CableTypeFile, VelocityAndChecks) {
    double v = 0, e = 0;
    ASSERT_TRUE(VelocityFromDielectric(2.25, v));
    EXPECT_EQ(Format("%.2f", v), "0.67");
    ASSERT_TRUE(DielectricFromVelocity(0.5, e));
    EXPECT_EQ(Format("%.2f", e), "4.00");
    v = 0.8;
    EXPECT_FALSE(VelocityFromDielectric(0, v));
    EXPECT_FALSE(VelocityFromDielectric(-1, v));
    EXPECT_EQ(v, 0.8);  // left as it was
    CableType c;
    c.attenuation = 700;
    EXPECT_EQ(CheckCableType(c, 1.0), "");
    c.feet = true;
    EXPECT_EQ(CheckCableType(c, 1.0),
              "Please insert a \"Cable Attenuation\" between 0 dB/ft and 609 dB/ft    ");
    c.feet = false;
    c.attenuation = 2001;
    EXPECT_EQ(CheckCableType(c, 1.0),
              "Please insert a \"Cable Attenuation\" between 0 dB/m  and 2000 dB/m    ");
    c.attenuation = 0;
    c.cutoff = 7.5e9;
    EXPECT_EQ(CheckCableType(c, 1.0), "");
    c.cutoff = 7.6e9;
    EXPECT_EQ(CheckCableType(c, 1.0), "Please insert a \"Cut Off Frequency\" between 0 Hz and 7.5 GHz    ");
    c.cutoff = 1e9;
    c.dielectric = 21;
    EXPECT_EQ(CheckCableType(c, 0.5), "Please insert a \"Cable Dielectric\" between 1 and 20    ");
    c.dielectric = 2;
    EXPECT_EQ(CheckCableType(c, 0.2), "Please insert a \"Cable Velocity\" between 0.22 and 1    ");
}
