#include <gtest/gtest.h>

#include "CMyQuarnDoc.h"
#include "SampleTraces.h"
#include "TestUtil.h"

using namespace fl;

// The bundled files are exactly what the generator makes, so the simulator serves the same traces.
TEST(Samples, BundledFilesMatchTheGenerator) {
    for (const auto& t : sim::AllSampleTraces()) {
        EXPECT_LE(t.name.size(), 11u) << t.name;
        EXPECT_TRUE(test::ReadFile(test::SamplePath(t.name + ".qtr")) == sim::LineContainerBytes(t.lines))
            << t.name;
        // The parse record keeps the min/max form of earlier parses; start each sample as a fresh program.
        s_parsed.m_nMinMaxA = s_parsed.m_nMinMaxB = 0;
        CMyQuarnDoc doc;
        ASSERT_TRUE(doc.LoadBytes(sim::LineContainerBytes(t.lines)).ok());
        EXPECT_TRUE(test::ReadFile(test::SamplePath(t.name + ".qtm")) == doc.SerializeStored()) << t.name;
    }
}

TEST(Samples, EveryModeOpensWithRealData) {
    for (const auto& t : sim::AllSampleTraces()) {
        CMyQuarnDoc doc;
        ASSERT_TRUE(doc.Load(test::SamplePath(t.name + ".qtr")).ok()) << t.name;
        int present = 0;
        for (double p : doc.m_arrTraceA)
            present += p != -999.0;
        EXPECT_GT(present, 1000) << t.name;
        EXPECT_EQ(doc.m_strTraceName, t.name);
    }
}

TEST(Samples, NoiseDependsOnTheSeed) {
    const auto a = sim::SampleTraceByName("SPECTRUM", 1);
    const auto b = sim::SampleTraceByName("SPECTRUM", 2);
    EXPECT_EQ(a.lines.size(), b.lines.size());
    EXPECT_NE(a.lines, b.lines);
    EXPECT_TRUE(sim::SampleTraceByName("NOPE").lines.empty());
}
