// Factor table files and rules worked out by hand from their format.
#include <gtest/gtest.h>

#include "FactorTable.h"

using namespace fl;

namespace {

std::tm Stamp() {
    std::tm t{};
    t.tm_year = 107;
    t.tm_mon = 2;
    t.tm_mday = 5;
    t.tm_hour = 14;
    t.tm_min = 7;
    t.tm_sec = 9;
    return t;
}

}  // namespace

TEST(FactorFile, TheExampleAndItsClosingLine) {
    FactorTable t;
    t.comment = "Amp 1";
    t.entries = {{"100000000", "10.0"}, {"1000000000", "12.5"}};
    const std::string text = FactorFileText(t, Stamp());
    EXPECT_EQ(text,
              "Amp 1\r\nk-antenna table, temperature:0  frequency; delta;   created: 2007/03/05 14:07:09\r\n"
              "100000000;10.0\r\n1000000000;12.5\r\n4000000000;0\r\n");
    // Read back, the closing line goes again: the table is unchanged.
    const FactorTable back = ReadFactorText(text);
    EXPECT_EQ(back.comment, "Amp 1");
    EXPECT_EQ(back.entries, t.entries);
    EXPECT_EQ(back.range, 0);
}

TEST(FactorFile, InterpolatedAtTheMaximumAndTheRangeByTheLastEntry) {
    FactorTable t;
    t.entries = {{"3000000000", "2.0"}, {"5000000000", "4.0"}};
    const std::string text = FactorFileText(t, Stamp());
    EXPECT_NE(text.find("3000000000;2.0\r\n4000000000;3.0\r\n"), std::string::npos) << text;
    EXPECT_EQ(text.find("5000000000"), std::string::npos);
    // Only entries above the maximum: the first one's level holds.
    t.entries = {{"5000000000", "4.0"}};
    EXPECT_NE(FactorFileText(t, Stamp()).find("\r\n4000000000;4.0\r\n"), std::string::npos);
    // A last entry at exactly 7.5 GHz selects that range; a last entry of level 0 is the closing line.
    EXPECT_EQ(ReadFactorText("c\r\nheader\r\n1000;1.0\r\n7500000000;2.0\r\n").range, 1);
    EXPECT_EQ(ReadFactorText("c\r\nheader\r\n1000;1.0\r\n7500000000;0\r\n", 0).entries.size(), 1u);
    EXPECT_EQ(ReadFactorText("c\r\nheader\r\nno semicolon\r\n1000;1.0\r\n").entries.size(), 1u);
}

TEST(FactorModel, InsertSortsStablyAndKeepsTheNewEntryCurrent) {
    FactorModel m;
    m.Insert(2e9, 1);
    m.Insert(1e9, 2);
    m.Insert(1e9, 3);  // equal frequency: after the one already there
    EXPECT_EQ(m.table.entries, (std::vector<FactorEntry>{
                                   {"1000000000", "2.0"}, {"1000000000", "3.0"}, {"2000000000", "1.0"}}));
    EXPECT_EQ(m.current, 2);  // the last entry whose text equals the new one
    EXPECT_EQ(m.CheckEntry(5e9, true), "Please insert a value between 0 Hz and 4000000000 Hz     ");
    EXPECT_EQ(m.CheckEntry(5e9, false), "");
    for (int i = 0; i < 200; ++i)
        m.Insert(i, 0);
    EXPECT_EQ(m.table.entries.size(), kMaxFactorEntries);
}

TEST(FactorModel, LevelOffsetScaleAndLabels) {
    FactorModel m;
    m.table.entries = {{"1000", "79.5"}, {"2000", "-10.0"}};
    EXPECT_FALSE(m.LevelOffset(+1));  // refused: 79.5 is above 79
    EXPECT_TRUE(m.LevelOffset(-1));   // downwards still works
    EXPECT_EQ(m.table.entries[0].level, "78.5");
    // Levels -30 .. 30 at Scale index 3 (S = 4) widen to S = 40.
    m.table.entries = {{"1000", "-30.0"}, {"2000", "30.0"}};
    m.scaleIndex = 3;
    EXPECT_EQ(m.HalfRange(), 40);
    EXPECT_EQ(m.scaleIndex, -1);
    EXPECT_EQ(m.LevelLabels(80), (std::vector<std::string>{"80.0", "60.0", "40.0", "20.0", "0", "-20.0",
                                                           "-40.0", "-60.0", "-80.0"}));
    m.table.entries.clear();
    EXPECT_EQ(m.HalfRange(), 20);
    EXPECT_EQ(m.scaleIndex, 0);
    m.ScaleStep(10);
    EXPECT_EQ(m.scaleIndex, 3);
}

TEST(FactorModel, DraggingAndTheGraphMapping) {
    FactorModel m;
    m.Insert(1e9, 10);
    m.Insert(2e9, -10);
    const double S = m.HalfRange();  // index 2: S = 8 is too small for 10 dB, index 1: 16
    EXPECT_EQ(S, 16);
    EXPECT_EQ(FactorPixel(1e9, 10, 4e9, 16), (PixelPoint{102, 60}));
    // The first entry at (250, 312.5) thousandths; dragged to 3 GHz at +5.0 dB it sorts after the second.
    const auto hit = m.Hit({250, 312}, S);
    ASSERT_TRUE(hit);
    EXPECT_EQ(hit->row, 0);
    m.Drag(*hit, {750, 156.25}, S);
    m.Release();
    EXPECT_EQ(m.table.entries, (std::vector<FactorEntry>{{"2000000000", "-10.0"}, {"3000000000", "5.0"}}));
    EXPECT_EQ(m.current, 2);
    const UnitPoint u = FactorPointerUnits(205, 0);
    EXPECT_DOUBLE_EQ(u.y, 500);
}

TEST(SettingsChooser, NewFileNames) {
    EXPECT_EQ(NextNewSettingsName({}), "NEWSET000.QST");
    EXPECT_EQ(NextNewSettingsName({"NEWSET004.QST", "NEWSET010.QST", "OTHER.QST"}), "NEWSET011.QST");
    EXPECT_EQ(NextNewSettingsName({"NEWSETX.QST"}), "NEWSET001.QST");
    EXPECT_EQ(NextNewSettingsName({"NEWSET999.QST"}), "NEWSET1000.QST");
    EXPECT_EQ(NextNewSettingsName({"NEWSET999.QST", "newset1000.qst"}),
              "NEWSET1001.QST");  // never 1000 again
    EXPECT_EQ(NextNewSettingsName({"NEWSET12.QST", "NEWSET0X1.QST"}), "NEWSET013.QST");
    EXPECT_EQ(NextNewSettingsName({"NEWSET005.TXT"}), "NEWSET000.QST");
}
