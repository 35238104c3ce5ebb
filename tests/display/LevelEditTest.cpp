#include <gtest/gtest.h>

#include "CMyQuarnDoc.h"
#include "LevelEdit.h"
#include "PanelText.h"
#include "TestUtil.h"
#include "Units.h"

using namespace fl;

namespace {

std::unique_ptr<CMyQuarnDoc> Open(const char* sample) {
    auto d = std::make_unique<CMyQuarnDoc>();
    EXPECT_TRUE(d->Load(test::SamplePath(sample)).ok()) << sample;
    return d;
}

int IndexOf(const LevelEdit& e, const std::string& keyword) {
    for (size_t i = 0; i < e.Units().size(); ++i)
        if (e.Units()[i].keyword == keyword) return static_cast<int>(i);
    return -1;
}

}  // namespace

TEST(LevelEdit, UnitListsAndCaptions) {
    struct Case {
        const char* mode;
        size_t units;
        const char* unit;
        const char* caption;
    };
    const Case cases[] = {
        {"Cable Loss", 1, "DB", "Ref. [dB]"},
        {"Distance to Fault", 2, "MRHO", "Ref. [mRho]"},
        {"Transmission", 2, "DBM", "Ref. [dBm]"},
        {"Reflection", 4, "VSWR", "Max VSWR"},
        {"Reflection", 4, "MRHO", "Max Refl. Factor [mRho]"},
        {"Reflection", 4, "%", "Max Refl. Power [%]"},
        {"Reflection", 4, "DB", "Ref. [dB]"},
        {"EMF (EMI)", 9, "MWM2", "Ref. Power Desity [mW/m\xB2]"},
        {"EMF (EMI)", 9, "UVM", "Ref. Voltage [\xB5V/m]"},
        {"EMF (EMI)", 9, "DBUVm", "Ref. Level [dB\xB5V/m]"},
        {"Spectrum Analysis", 10, "DBUV", "Ref. [dB\xB5V]"},
        {"Channel Power", 10, "UW", "Ref. [\xB5W]"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(LevelUnits(c.mode).size(), c.units) << c.mode;
        EXPECT_EQ(LevelReferenceCaption(c.mode, c.unit), c.caption) << c.mode << " " << c.unit;
    }
    EXPECT_EQ(LevelUnits("Cable Loss")[0].text, "dB");
    EXPECT_EQ(LevelUnits("EMF (EMI)")[6].text, "W/m\xB2");
    EXPECT_EQ(LevelUnits("EMF (EMI)")[6].keyword, "WM2");
    EXPECT_EQ(LevelScaleCaption("DBM"), "Scale [dBm /div]");
}

TEST(LevelEdit, OkWithoutEditsKeepsTheValues) {
    auto d = Open("SPECTRUM.qtm");
    const double ref = d->SelectedReference(), scale = d->SelectedScale();
    const std::string unit = d->DisplayUnit();
    LevelEdit e(*d, ModeDisplayName(d->m_strMode));
    EXPECT_EQ(e.Units()[e.SelectedUnit()].keyword, unit);
    EXPECT_FALSE(e.ApplyEnabled());
    ASSERT_TRUE(e.Ok());
    EXPECT_EQ(d->SelectedReference(), ref);
    EXPECT_EQ(d->SelectedScale(), scale);
    EXPECT_EQ(d->DisplayUnit(), unit);
    EXPECT_TRUE(d->IsModified());
}

TEST(LevelEdit, EditsSpinAndApply) {
    auto d = Open("SPECTRUM.qtm");
    d->SetModifiedFlag(false);
    LevelEdit e(*d, ModeDisplayName(d->m_strMode));
    e.EditReference("-12.5");
    EXPECT_TRUE(e.ApplyEnabled());
    e.StepReference(1);
    EXPECT_EQ(e.ReferenceText(), "-11.5");
    e.StepReference(-3);
    EXPECT_EQ(e.ReferenceText(), "-14.5");
    e.EditScale("5");
    ASSERT_TRUE(e.Apply());
    EXPECT_DOUBLE_EQ(d->SelectedReference(), -14.5);
    EXPECT_DOUBLE_EQ(d->SelectedScale(), 5.0);
    EXPECT_FALSE(e.ApplyEnabled());
    EXPECT_FALSE(d->IsModified());  // only OK marks the document
}

TEST(LevelEdit, BadInputLeavesTheDocumentUntouched) {
    struct Case {
        const char* ref;
        const char* scale;
    };
    for (auto [ref, scale] : {Case{"abc", "10"}, Case{"", "10"}, Case{"-10", "0"}, Case{"-10", "-2"},
                              Case{"-10", "1e999"}, Case{"1x", "10"}}) {
        auto d = Open("SPECTRUM.qtm");
        const double r = d->SelectedReference(), s = d->SelectedScale();
        LevelEdit e(*d, ModeDisplayName(d->m_strMode));
        e.EditReference(ref);
        e.EditScale(scale);
        std::string error;
        EXPECT_FALSE(e.Ok(&error)) << ref << " " << scale;
        EXPECT_FALSE(error.empty());
        EXPECT_EQ(d->SelectedReference(), r);
        EXPECT_EQ(d->SelectedScale(), s);
        EXPECT_FALSE(d->IsModified());
    }
}

TEST(LevelEdit, ReflectionUnitChangeSelectsTheUnitsFields) {
    auto d = Open("RFL_RL.qtm");
    ASSERT_EQ(d->DisplayUnit(), "DB");
    d->m_dRflRefVswr = 3.5;
    d->m_dScaleVswr = 0.25;
    LevelEdit e(*d, "Reflection");
    EXPECT_EQ(e.ReferenceCaption(), "Ref. [dB]");
    ASSERT_TRUE(e.SelectUnit(IndexOf(e, "VSWR")));
    EXPECT_EQ(e.ReferenceCaption(), "Max VSWR");
    EXPECT_EQ(d->DisplayUnit(), "VSWR");
    EXPECT_EQ(d->m_strRflRefUnit, "VSWR");  // kept when the document is saved and read again
    EXPECT_EQ(e.ReferenceText(), "3.500");
    EXPECT_EQ(e.ScaleText(), "0.250");
    EXPECT_DOUBLE_EQ(d->SelectedReference(), 3.5);

    // An edited field is not replaced by the new unit's value.
    e.EditScale("0.5");
    ASSERT_TRUE(e.SelectUnit(IndexOf(e, "MRHO")));
    EXPECT_EQ(d->DisplayUnit(), "MRHO");
    EXPECT_DOUBLE_EQ(d->SelectedScale(), 0.5);
    EXPECT_DOUBLE_EQ(d->SelectedReference(), d->m_dRflRefRfactor);
}

TEST(LevelEdit, SpectrumUnitChangeConvertsTheReference) {
    auto d = Open("SPECTRUM.qtm");
    ASSERT_EQ(d->DisplayUnit(), "DBM");
    d->SelectedReference() = -20.0;
    LevelEdit e(*d, ModeDisplayName(d->m_strMode));
    ASSERT_TRUE(e.SelectUnit(IndexOf(e, "DBUV")));
    EXPECT_NEAR(d->SelectedReference(), -20.0 + 106.9897, 0.05);
    EXPECT_EQ(d->m_strRefLevelUnit, "DBUV");
    EXPECT_EQ(e.ReferenceCaption(), "Ref. [dB\xB5V]");
    ASSERT_TRUE(e.SelectUnit(IndexOf(e, "MV")));
    EXPECT_NEAR(d->SelectedReference(), LevelFromDbm(-20.0, "MV", d->ReferenceImpedance()), 1e-9);
    EXPECT_EQ(&d->SelectedScale(), &d->m_dScaleVolt);
    // Back to dBm the reference returns to where it started.
    ASSERT_TRUE(e.SelectUnit(IndexOf(e, "DBM")));
    EXPECT_NEAR(d->SelectedReference(), -20.0, 1e-9);
    EXPECT_EQ(&d->SelectedScale(), &d->m_dScaleLog);
}

TEST(LevelEdit, ALinearUnitGetsAScaleThatShowsTheTrace) {
    auto d = Open("SPECTRUM.qtm");
    ASSERT_EQ(d->DisplayUnit(), "DBM");
    d->SelectedReference() = -10.0;
    const double logScale = d->SelectedScale();
    LevelEdit e(*d, ModeDisplayName(d->m_strMode));
    ASSERT_TRUE(e.SelectUnit(IndexOf(e, "V")));
    // -10 dBm at 50 ohm is sqrt(0.1 mW x 50 ohm) = 70.71 mV; the axis runs from there down to 0 V.
    EXPECT_NEAR(d->SelectedReference(), 0.070711, 1e-6);
    EXPECT_NEAR(d->SelectedScale(), 0.070711 / 8, 1e-7);
    ASSERT_TRUE(e.SelectUnit(IndexOf(e, "UW")));
    EXPECT_NEAR(d->SelectedReference(), 100.0, 1e-9);  // 0.1 mW
    EXPECT_NEAR(d->SelectedScale(), 12.5, 1e-9);
    // Back in dBm the trace's own scale is there again.
    ASSERT_TRUE(e.SelectUnit(IndexOf(e, "DBM")));
    EXPECT_NEAR(d->SelectedReference(), -10.0, 1e-9);
    EXPECT_DOUBLE_EQ(d->SelectedScale(), logScale);
    // A trace read in mV keeps its own mV scale when it comes back to mV.
    auto mv = Open("SPEC_MV75.qtr");
    ASSERT_EQ(mv->DisplayUnit(), "MV");
    const double own = mv->SelectedScale();
    LevelEdit m(*mv, ModeDisplayName(mv->m_strMode));
    ASSERT_TRUE(m.SelectUnit(IndexOf(m, "DBM")));
    ASSERT_TRUE(m.SelectUnit(IndexOf(m, "MV")));
    EXPECT_DOUBLE_EQ(mv->SelectedScale(), own);
}

TEST(LevelEdit, LinearUnitRefusesANonPositiveTypedReference) {
    auto d = Open("SPECTRUM.qtm");
    LevelEdit e(*d, ModeDisplayName(d->m_strMode));
    e.EditReference("-30");
    std::string error;
    EXPECT_FALSE(e.SelectUnit(IndexOf(e, "MW"), &error));
    EXPECT_EQ(d->DisplayUnit(), "DBM");  // nothing moved
    EXPECT_EQ(e.Units()[e.SelectedUnit()].keyword, "DBM");
}

TEST(LevelEdit, TransmissionMovesNormalisedTracesByTheGeneratorLevel) {
    // The instrument's "NORMalize" and the stored samples' "NORMalized" alike.
    for (const char* math : {"NORMalize", "NORMalized"}) {
        auto d = Open("TRANS_NORM.qtm");
        d->m_strTraceMathA = math;
        d->m_dGenLevel = -10.0;
        const std::string startUnit = d->DisplayUnit();
        const RealArr before = d->m_arrTraceA;
        LevelEdit e(*d, "Transmission");
        const std::string other = startUnit == "DB" ? "DBM" : "DB";
        ASSERT_TRUE(e.SelectUnit(IndexOf(e, other)));
        EXPECT_EQ(d->DisplayUnit(), other);
        EXPECT_EQ(d->m_strTransRefUnit, other);
        const double shift = other == "DB" ? 10.0 : -10.0;
        for (size_t i = 0; i < before.size(); i += 97)
            if (before[i] != -999.0) {
                EXPECT_DOUBLE_EQ(d->m_arrTraceA[i], before[i] + shift) << math << " " << i;
            }
        ASSERT_TRUE(e.SelectUnit(IndexOf(e, startUnit)));
        for (size_t i = 0; i < before.size(); i += 97)
            EXPECT_NEAR(d->m_arrTraceA[i], before[i], 1e-9) << i;
    }
}

TEST(LevelEdit, UnlistedActiveUnitIsKept) {
    CMyQuarnDoc d;
    d.m_strMode = "CLOSs";
    d.RunPostReadSteps();
    d.SetDisplayUnit("DBM");
    LevelEdit e(d, "Cable Loss");
    ASSERT_EQ(e.Units().size(), 2u);
    EXPECT_EQ(e.Units()[e.SelectedUnit()].keyword, "DBM");
    ASSERT_TRUE(e.Ok());
    EXPECT_EQ(d.DisplayUnit(), "DBM");
}
