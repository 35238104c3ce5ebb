// The two segment editors without widgets: proposals, edits, deletes, titles, dragging, unit changes.
#include <gtest/gtest.h>

#include "EmfLimitModel.h"
#include "LimitModel.h"

using namespace fl;

TEST(LimitModel, InsertProposalsEditSwapAndTitles) {
    LimitModel m;
    // An empty list proposes an upper segment from (0, 0) to (1, 0).
    EXPECT_EQ(m.InsertProposal(), (LineValues{false, 0, 0, 1, 0}));
    // Insert keeps what was typed, right to left included.
    m.Insert({true, 7, 1, 2, 5}, false);
    EXPECT_EQ(m.set.rows[0], (LimitLine{true, "7.0", "1.0", "2.0", "5.0"}));
    EXPECT_EQ(m.title, "Limits Lines");
    EXPECT_EQ(m.current, 1);
    // Edit stores it left to right, the heights going along.
    m.Edit({true, 7, 1, 2, 5}, true);
    EXPECT_EQ(m.set.rows[0], (LimitLine{true, "2.0", "5.0", "7.0", "1.0"}));
    // After a segment ending at (9.5, 3.0): (9.5, 3.0) to (10.0, 3.0), of the last row's type.
    m.Insert({false, 8, 3, 9.5, 3}, false);
    EXPECT_EQ(m.InsertProposal(), (LineValues{false, 9.5, 3, 10, 3}));
    // The modified mark: the next drawing pass gives the plain title and forgets the file name.
    m.fileName = "A.QLM";
    m.ApplyModifiedHook();
    EXPECT_EQ(m.title, "Limit Lines");
    EXPECT_EQ(m.fileName, "");
    m.Opened(ReadLimitText("c\r\nmax,1,1,2,2\r\nmin,3,3,4,4\r\n"), "MASK.QLM");
    EXPECT_EQ(m.title, "Limit Lines - MASK.QLM");
    EXPECT_EQ(m.current, 2);
    EXPECT_FALSE(m.modified);
    EXPECT_FALSE(m.AsksToSave());
}

TEST(LimitModel, DeleteKeepsARowCurrentAndThirtyIsTheLimit) {
    LimitModel m;
    for (int i = 0; i < 3; ++i)
        m.Insert(m.InsertProposal(), false);
    m.current = 1;
    m.Delete();  // the first row while it is current: row 1 stays current
    EXPECT_EQ(m.current, 1);
    EXPECT_EQ(m.set.rows.size(), 2u);
    m.current = 2;
    m.Delete();
    EXPECT_EQ(m.current, 1);
    m.Delete();
    EXPECT_EQ(m.current, 0);  // nothing left to be current
    m.Delete();               // and nothing happens
    for (int i = 0; i < 30; ++i)
        m.Insert(m.InsertProposal(), false);
    EXPECT_TRUE(m.Full());
    m.Insert(m.InsertProposal(), false);
    EXPECT_EQ(m.set.rows.size(), 30u);
    m.DeleteAll();
    EXPECT_EQ(m.current, 0);
    EXPECT_EQ(m.title, "Limits Lines");
}

TEST(LimitModel, DraggingWritesTenthsAndReleaseSwaps) {
    LimitModel m;
    m.Insert({false, 2, 4, 6, 4}, false);
    m.Insert({true, 6, 1, 8, 1}, false);
    m.current = 1;
    // The end point of row 1 at (600, 400) hundredths; the pointer there.
    const auto hit = m.Hit({600, 400});
    ASSERT_TRUE(hit);
    EXPECT_EQ(*hit, (GraphHit{0, 1}));
    m.Drag(*hit, LimitPointerUnits(41 * 1.25, 320 - 40 * 7.33));  // (1.25, 7.33) divisions
    EXPECT_EQ(m.set.rows[0].x2, "1.2");
    EXPECT_EQ(m.set.rows[0].y2, "7.3");
    EXPECT_TRUE(m.modified);
    m.Release(*hit);  // now right to left: swapped
    EXPECT_EQ(m.set.rows[0], (LimitLine{false, "1.2", "7.3", "2.0", "4.0"}));
    EXPECT_EQ(m.current, 1);
    EXPECT_FALSE(m.Hit({300, 300}));
}

TEST(LimitModel, SavedNameIsUpperCaseFoldersAreNot) {
    EXPECT_EQ(UpperCaseFileName("/home/ana/Masks/site7.qlm"), "/home/ana/Masks/SITE7.QLM");
    EXPECT_EQ(UpperCaseFileName("mask.Qlm"), "MASK.QLM");
}

TEST(EmfLimitModel, InsertProposalsAndEdit) {
    EmfLimitModel m;
    const EmfPointValues first = m.InsertProposal();  // both frequencies 0, levels at the reference
    EXPECT_EQ(first.f1, 0);
    EXPECT_EQ(first.l1, 107);
    EXPECT_EQ(first.l2, 107);
    m.Insert({true, 1e8, 120, 1e9, 120}, false);
    EXPECT_EQ(m.set.rows[0].text, (std::array<std::string, 4>{"100000000", "120.0", "1000000000", "120.0"}));
    EXPECT_EQ(m.title, "EMF Limit Lines");
    const EmfPointValues next = m.InsertProposal();  // from the last stop, 100 MHz further
    EXPECT_TRUE(next.lower);
    EXPECT_EQ(next.f1, 1e9);
    EXPECT_EQ(next.f2, 1.1e9);
    EXPECT_EQ(next.l2, 120);
    m.Edit({true, 2e9, 90, 1e9, 80}, true);
    EXPECT_EQ(m.set.rows[0].value, (std::array<double, 4>{1e9, 80, 2e9, 90}));
}

TEST(EmfLimitModel, FrequencyCheck) {
    EmfLimitModel m;
    EXPECT_EQ(m.CheckFrequencies(1e9, 5e9, 0, 0),
              "Please insert a value between 0 Hz and 4000000000 Hz     ");
    EXPECT_EQ(m.CheckFrequencies(-1, 1e9, 0, 0), "Please insert a value between 0 Hz and 4000000000 Hz     ");
    EXPECT_EQ(m.CheckFrequencies(5e9, 6e9, 5e9, 6e9), "");  // unchanged: accepted whatever the range
    m.ChangeRange(1);
    EXPECT_EQ(m.CheckFrequencies(1e9, 5e9, 0, 0), "");
    EXPECT_EQ(m.MiddleAxisLabel(), "3.75 GHz");
    EXPECT_EQ(BestFrequencyUnit(1.5e9).unit, "GHz");
    EXPECT_EQ(BestFrequencyUnit(2.5e6).unit, "MHz");
    EXPECT_DOUBLE_EQ(BestFrequencyUnit(999999).value, 999.999);
    EXPECT_EQ(BestFrequencyUnit(500).unit, "Hz");
}

TEST(EmfLimitModel, UnitChanges) {
    // V/m to dBuV/m: a level of 0 counts as 0.0001 V/m, which is 40 dBuV/m.
    EmfLimitModel m;
    m.ChangeUnit(3);  // V/m: 107 dBuV/m is 0.2239 V/m, taken at the formatter's 0.224
    EXPECT_DOUBLE_EQ(m.Settings().reference, 0.224);
    EXPECT_DOUBLE_EQ(m.Scale(), 0.028);
    m.Insert({false, 1e8, 0, 2e8, 0.5}, false);
    m.ChangeUnit(0);
    EXPECT_NEAR(m.set.rows[0].value[1], 40.0, 1e-6);  // the constants 106.9897 and 50 Ohm agree to 1e-7
    EXPECT_EQ(m.set.rows[0].text[1], "40.0");
    EXPECT_NEAR(m.set.rows[0].value[3], 113.9794, 1e-4);  // 0.5 V/m
    // Between logarithmic units a negative level is a level: -10 dBuV/m is -70 dBmV/m.
    m.Edit({false, 1e8, -10, 2e8, -10}, false);
    m.ChangeUnit(1);
    EXPECT_NEAR(m.set.rows[0].value[1], -70.0, 1e-9);
    // To a linear unit with the reference above 999999 it becomes 10, the scale an eighth of it.
    EmfLimitModel big;
    big.ChangeReference(240);  // 10^12 uV/m = 10^6 V/m
    big.ChangeUnit(3);
    EXPECT_DOUBLE_EQ(big.Settings().reference, 10.0);
    EXPECT_DOUBLE_EQ(big.Scale(), 1.25);
    // Below 0.008 in a linear unit: 1.0.
    big.ChangeReference(0.001);
    EXPECT_DOUBLE_EQ(big.Settings().reference, 1.0);
    big.ChangeScale(0);  // a Scale entry holds until the next unit or reference change
    EXPECT_DOUBLE_EQ(big.Scale(), 20);
}

TEST(EmfLimitModel, DragInThousandthsAndLabels) {
    EmfLimitModel m;  // 4 GHz, reference 107, 10 dB per division
    m.Insert({false, 1e8, 100, 1e9, 100}, false);
    EXPECT_EQ(m.LevelLabels().front(), "107.0");
    EXPECT_EQ(m.LevelLabels().back(), "27.0");
    // The start point lies at (25, 912.5) thousandths.
    const auto hit = m.Hit({25, 915});
    ASSERT_TRUE(hit);
    EXPECT_EQ(*hit, (GraphHit{0, 0}));
    m.Drag(*hit, {500, 500});  // 2 GHz at 67 dBuV/m: past the stop point
    EXPECT_EQ(m.set.rows[0].text[0], "2000000000");
    EXPECT_EQ(m.set.rows[0].text[1], "67.0");
    m.Release(*hit);
    EXPECT_EQ(m.set.rows[0].value, (std::array<double, 4>{1e9, 100, 2e9, 67}));
    // In a linear unit a level dragged below 0 is 0.
    m.ChangeUnit(4);  // mV/m
    m.Drag(GraphHit{0, 1}, {500, 0});
    EXPECT_GE(m.set.rows[0].value[3], 0.0);
}
