// The editor files read and written byte by byte as their formats say, and the graph's mappings worked
// out by hand.
#include <gtest/gtest.h>

#include "EditorGraph.h"
#include "EmfLimitFile.h"
#include "FactorTable.h"
#include "FormFiles.h"
#include "LimitFile.h"

using namespace fl;

TEST(LimitFile, TheExampleReadsAndWritesBackByteForByte) {
    const std::string bytes = "Mask A\r\nmax,0.0,6.0,5.0,6.0\r\nmin,5.0,2.0,10.0,2.0\r\n";
    const LimitSet s = ReadLimitText(bytes);
    EXPECT_EQ(s.comment, "Mask A");
    ASSERT_EQ(s.rows.size(), 2u);
    EXPECT_EQ(s.rows[0], (LimitLine{false, "0.0", "6.0", "5.0", "6.0"}));
    EXPECT_EQ(s.rows[1], (LimitLine{true, "5.0", "2.0", "10.0", "2.0"}));
    EXPECT_EQ(LimitFileText(s), bytes);
}

TEST(LimitFile, ReadingRules) {
    struct Case {
        std::string bytes;
        std::string comment;
        std::vector<LimitLine> rows;
    };
    const Case cases[] = {
        // Only exactly "min" is a lower limit.
        {"c\r\nMIN,1,2,3,4\r\nlower,1,2,3,4\r\nmin,1,2,3,4\r\n",
         "c",
         {{false, "1", "2", "3", "4"}, {false, "1", "2", "3", "4"}, {true, "1", "2", "3", "4"}}},
        // An empty first line is an empty comment; every later line is a segment.
        {"\r\nmax,1,2,3,4\r\n", "", {{false, "1", "2", "3", "4"}}},
        // Lines without a comma are skipped; missing commas give empty fields; y2 takes the rest.
        {"c\r\nno comma here\r\nmax,1,2\r\nmin,1,2,3,4,5\r\n",
         "c",
         {{false, "1", "2", "", ""}, {true, "1", "2", "3", "4,5"}}},
        // Texts are kept as they are, LF alone ends a line too.
        {"c\nmax, 1.25 ,x,3,4", "c", {{false, " 1.25 ", "x", "3", "4"}}},
        {"", "", {}},
    };
    for (const auto& c : cases) {
        const LimitSet s = ReadLimitText(c.bytes);
        EXPECT_EQ(s.comment, c.comment) << c.bytes;
        EXPECT_EQ(s.rows, c.rows) << c.bytes;
    }
}

TEST(LimitFile, LimitsOnCommentRowsAndLineLength) {
    std::string bytes = std::string(150, 'k') + "\r\n";
    for (int i = 0; i < 31; ++i)
        bytes += "max,1,2,3," + std::to_string(i) + "\r\n";
    bytes += "max,1,2,3," + std::string(300, '9') + "\r\n";
    const LimitSet s = ReadLimitText(bytes);
    EXPECT_EQ(s.comment, std::string(100, 'k'));
    ASSERT_EQ(s.rows.size(), 30u);
    EXPECT_EQ(s.rows[29].y2, "29");
    const LimitSet longLine = ReadLimitText("c\r\nmax,1,2,3," + std::string(300, '9') + "\r\n");
    EXPECT_EQ(longLine.rows[0].y2, std::string(255 - 10, '9'));
}

TEST(EmfLimitFile, TheExampleReadsAndWritesBackByteForByte) {
    const std::string bytes = "\r\nmin,100000000,120,1000000000,120\r\nPARAM=107.000000,2,0,0";
    const EmfLimitSet s = ReadEmfLimitText(bytes);
    EXPECT_EQ(s.comment, "");
    ASSERT_EQ(s.rows.size(), 1u);
    EXPECT_TRUE(s.rows[0].lower);
    EXPECT_EQ(s.rows[0].text, (std::array<std::string, 4>{"100000000", "120", "1000000000", "120"}));
    EXPECT_EQ(s.rows[0].value, (std::array<double, 4>{1e8, 120, 1e9, 120}));
    EXPECT_TRUE(s.hasParameters);
    EXPECT_EQ(s.settings, (EmfSettings{107.0, 2, 0, 0}));
    EXPECT_EQ(EmfLimitFileText(s), bytes);
}

TEST(EmfLimitFile, ReadingRules) {
    const EmfSettings kept{55.5, 4, 3, 1};
    // Lines after the parameter line are ignored.
    EmfLimitSet s = ReadEmfLimitText("c\r\nmax,1,2,3,4\r\nPARAM=90.5,1,2,1\r\nmax,5,6,7,8\r\n", kept);
    EXPECT_EQ(s.rows.size(), 1u);
    EXPECT_EQ(s.settings, (EmfSettings{90.5, 1, 2, 1}));
    // Without a parameter line, or with an index outside its list, the settings stay.
    s = ReadEmfLimitText("c\r\nmax,1,2,3,4\r\n", kept);
    EXPECT_FALSE(s.hasParameters);
    EXPECT_EQ(s.settings, kept);
    s = ReadEmfLimitText("c\r\nPARAM=90,1,9,0", kept);
    EXPECT_EQ(s.settings, kept);
    // A full list still takes its parameter line, so the levels keep their unit.
    std::string full = "c\r\n";
    for (int i = 0; i < 32; ++i)
        full += "max," + std::to_string(i) + ",1,2,3\r\n";
    s = ReadEmfLimitText(full + "PARAM=10.000000,0,3,1", kept);
    EXPECT_EQ(s.rows.size(), 30u);
    EXPECT_EQ(s.settings, (EmfSettings{10.0, 0, 3, 1}));
}

TEST(EditorGraph, LimitMappingAndPointerUnits) {
    EXPECT_EQ(LimitPixel(5, 4), (PixelPoint{205, 160}));
    EXPECT_EQ(LimitPixel(10, 0), (PixelPoint{410, 320}));
    EXPECT_EQ(LimitPixel(0.1, 7.9), (PixelPoint{4, 4}));
    const UnitPoint u = LimitPointerUnits(205, 160);
    EXPECT_DOUBLE_EQ(u.x, 500);
    EXPECT_DOUBLE_EQ(u.y, 400);
    const UnitPoint outside = LimitPointerUnits(-20, 400);  // clamped to the ranges
    EXPECT_DOUBLE_EQ(outside.x, 0);
    EXPECT_DOUBLE_EQ(outside.y, 0);
}

TEST(EditorGraph, HitOrderAndTolerance) {
    // Row 1 from (0, 0) to (500, 500), row 2 from (500, 500) to (1000, 0): two points at one place.
    const std::vector<std::array<UnitPoint, 2>> rows = {{UnitPoint{0, 0}, UnitPoint{500, 500}},
                                                        {UnitPoint{500, 500}, UnitPoint{1000, 0}}};
    struct Case {
        int current;
        UnitPoint pointer;
        std::optional<GraphHit> hit;
    };
    const Case cases[] = {
        {1, {500, 500}, GraphHit{0, 1}},                                 // the current row's end point
        {2, {500, 500}, GraphHit{1, 0}},                                 // the current row's start point
        {0, {500, 500}, GraphHit{1, 0}},                                 // start points before end points
        {0, {505, 495}, GraphHit{1, 0}},                                 // within 5 units
        {0, {506, 500}, std::nullopt},   {0, {300, 300}, std::nullopt},  // nothing there
        {2, {995, 4}, GraphHit{1, 1}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(HitTest(rows, c.current, c.pointer, 5), c.hit) << c.current << " " << c.pointer.x;
}

TEST(EditorGraph, EmfMapping) {
    // 1 GHz at 67 dBuV/m over 4 GHz, reference 107, 10 dB per division.
    EXPECT_EQ(EmfPixel(1e9, 67, 4e9, 107, 10), (PixelPoint{102, 160}));
    const UnitPoint u = EmfUnits(1e9, 67, 4e9, 107, 10);
    EXPECT_DOUBLE_EQ(u.x, 250);
    EXPECT_DOUBLE_EQ(u.y, 500);
    EXPECT_DOUBLE_EQ(EmfHzAt(250, 4e9), 1e9);
    EXPECT_DOUBLE_EQ(EmfLevelAt(500, 107, 10), 67);
    const UnitPoint p = EmfPointerUnits(102.5, 160);
    EXPECT_DOUBLE_EQ(p.x, 250);
    EXPECT_DOUBLE_EQ(p.y, 500);
}

TEST(EditorGraph, OverlayPolylineAndStrokes) {
    OverlayTrace t;
    t.values.assign(1002, 0.0);  // 0 dBm at a reference of 0: the top line
    t.reference = 0;
    t.scale = 10;
    t.unit = "DBM";
    auto lines = OverlayLines(t);
    ASSERT_EQ(lines.size(), 500u);
    EXPECT_EQ(lines.front()[0], (PixelPoint{0, 0}));
    EXPECT_EQ(lines.back()[1], (PixelPoint{410, 0}));
    // Min/max: point 1 from -10 to -20 dBm (y 40 to 80), point 2 from -50 to -60 (y 200 to 240), wholly
    // below: joined from point 1's first value to point 2's top.
    t.minMax = 1;
    t.values[0] = -10;
    t.values[1] = -20;
    t.values[2] = -50;
    t.values[3] = -60;
    lines = OverlayLines(t);
    ASSERT_GE(lines.size(), 3u);
    EXPECT_EQ(lines[0], (std::array<PixelPoint, 2>{PixelPoint{0, 40}, PixelPoint{0, 80}}));
    // Point 2 lies at x = trunc(2 * 410 / 501) = 1.
    EXPECT_EQ(lines[1], (std::array<PixelPoint, 2>{PixelPoint{0, 40}, PixelPoint{1, 200}}));
    EXPECT_EQ(lines[2], (std::array<PixelPoint, 2>{PixelPoint{1, 200}, PixelPoint{1, 240}}));
    // MRHO is always a polyline.
    t.unit = "MRHO";
    EXPECT_EQ(OverlayLines(t).size(), 500u);
}

// Open then save without an edit writes the same bytes, for every editor file kind: text fields holding
// every byte from 0x80 to 0xFF, values with 1 to 17 significant digits (each the shortest text of its
// double, checked outside this program).
TEST(EditorFiles, OpenThenSaveWritesTheSameBytes) {
    std::string high1, high2;
    for (int b = 0x80; b < 0xC0; ++b)
        high1 += static_cast<char>(b), high2 += static_cast<char>(b + 0x40);
    const std::vector<std::string> values = {"7",
                                             "12",
                                             "123",
                                             "1234",
                                             "12345",
                                             "123456",
                                             "1234567",
                                             "12345678",
                                             "123456789",
                                             "1234567891",
                                             "12345678.901",
                                             "123456.789012",
                                             "1234567.890123",
                                             "1.2345678901234",
                                             "12.3456789012345",
                                             "0.3000000000000001",
                                             "0.30000000000000004"};
    std::string limits = high1 + "\r\n", emf = high2 + "\r\n", factor = high1 + "\r\n";
    factor += "k-antenna table, temperature:0  frequency; delta;   created: 2026/12/09 23:59:07\r\n";
    for (size_t i = 0; i < values.size(); ++i) {
        const std::string& v = values[i];
        limits += std::string(i % 2 ? "min," : "max,") + v + ",1.0," + v + "," + v + "\r\n";
        if (i < 16) emf += "min," + v + "," + v + "," + v + ",-" + v + "\r\n";
        factor += v + ";" + v + "\r\n";
    }
    // The parameter line's reference is "%f" where that says the value exactly.
    for (const char* reference :
         {"107.000000", "-12.500000", "1234567.890123", "12.3456789012345", "0.30000000000000004"}) {
        const std::string emfFile = emf + "PARAM=" + reference + ",2,3,1";
        EXPECT_EQ(EmfLimitFileText(ReadEmfLimitText(emfFile)), emfFile);
    }
    for (const std::string& v : values) {
        SCOPED_TRACE(v);
        const std::string system = "Name " + high2 + "\r\nChCnt 124\r\nChStart 1\r\nChWidth " + v +
                                   "\r\nChSpace " + v + "\r\nFStart " + v + "\r\nSysLvl -" + v +
                                   "\r\nMaxFreq 7.5 GHz\r\n";
        const ChannelSystem s = ReadChannelSystemText(system);
        EXPECT_EQ(ChannelSystemText(s, s.name), system);
        const std::string cable =
            "Name " + high1 + "\r\nCDielec " + v + "\r\nCAttn " + v + "\r\nCUnit 1\r\nCCutFrq " + v + "\r\n";
        EXPECT_EQ(CableTypeText(ReadCableTypeText(cable)), cable);
    }
    EXPECT_EQ(LimitFileText(ReadLimitText(limits)), limits);
    std::tm when{};
    when.tm_year = 126, when.tm_mon = 11, when.tm_mday = 9, when.tm_hour = 23, when.tm_min = 59,
    when.tm_sec = 7;
    const std::string factorFile = factor + "7500000000;0\r\n";
    EXPECT_EQ(FactorFileText(ReadFactorText(factorFile), when), factorFile);
}

// inf, nan and numbers beyond a double from an editor file take the field's default; nothing that is no
// number is written back (and so handed on to the instrument).
TEST(EditorFiles, NoNumberTakesTheDefaultAndIsNeverWritten) {
    for (const char* bad : {"inf", "-INF", "nan", "NaN", "1e999", "-4e400"}) {
        SCOPED_TRACE(bad);
        const std::string b = bad;
        const std::string written[] = {
            LimitFileText(ReadLimitText("c\r\nmax," + b + ",1.0,2.0," + b + "\r\n")),
            EmfLimitFileText(ReadEmfLimitText("c\r\nmax," + b + ",1," + b + ",2\r\nPARAM=" + b + ",2,0,0")),
            FactorFileText(ReadFactorText("c\r\nh\r\n1000;" + b + "\r\n" + b + ";2.0\r\n"), {}),
            ChannelSystemText(ReadChannelSystemText("ChWidth " + b + "\r\nSysLvl " + b + "\r\n"), "N"),
            CableTypeText(ReadCableTypeText("CDielec " + b + "\r\nCCutFrq " + b + "\r\n")),
        };
        for (const std::string& w : written) {
            std::string lower = w;
            for (char& ch : lower)
                ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
            EXPECT_EQ(lower.find("inf"), std::string::npos) << w;
            EXPECT_EQ(lower.find("nan"), std::string::npos) << w;
            EXPECT_EQ(lower.find("e9"), std::string::npos) << w;
            EXPECT_EQ(lower.find("e4"), std::string::npos) << w;
        }
    }
}
