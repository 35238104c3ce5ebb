#include <gtest/gtest.h>

#include "Archive.h"
#include "CMyQuarnDoc.h"
#include "StoredLayout.h"
#include "TestUtil.h"

using namespace fl;
using fl::test::SamplePath;

namespace {

// A record with a distinct value in every field, so that a field read into the wrong place shows.
TraceRecord Distinct() {
    TraceRecord r;
    int n = 1;
    for (const auto& f : AllRecordFields()) {
        std::visit(
            [&](auto member) {
                auto& v = r.*member;
                using T = std::decay_t<decltype(v)>;
                if constexpr (std::is_same_v<T, std::string>)
                    v = "s" + std::to_string(n);
                else if constexpr (std::is_same_v<T, int>)
                    v = n;
                else if constexpr (std::is_same_v<T, double>)
                    v = n + 0.25;
                else if constexpr (std::is_same_v<T, std::vector<double>>)
                    for (auto& x : v)
                        x = n + 0.5;
                else if constexpr (std::is_same_v<T, std::vector<int>>)
                    v = {n, n + 1};
                else
                    v = std::vector<std::string>{"a" + std::to_string(n), std::string(300, 'z')};
            },
            f.ptr);
        ++n;
    }
    r.NormalizeShapes();
    return r;
}

}  // namespace

TEST(StoredLayout, VersionCutPoints) {
    const auto& names = StoredFieldNames();
    EXPECT_EQ(names[StoredFieldCount('A') - 1], "m_arrMarkerDistB");
    EXPECT_EQ(names[StoredFieldCount('B') - 1], "m_dEmfRef");
    EXPECT_EQ(names[StoredFieldCount('C') - 1], "m_strGpsAltitudeUnit");
    EXPECT_EQ(names[StoredFieldCount('D') - 1], "m_dStopMax");
    EXPECT_EQ(names[StoredFieldCount('E') - 1], "m_arrMarkerFlagB");
    EXPECT_EQ(names.back(), "m_strExtRefFreq");
    EXPECT_EQ(std::count(names.begin(), names.end(), "m_strLimitState"), 2);
    EXPECT_EQ(names.size(), 185u);
}

TEST(StoredLayout, SecondLimitStateWins) {
    TraceRecord x;
    x.m_strLimitFile = "LIMFILE";
    x.m_strLimitState = "ON";
    std::string b2 = StoredTraceBytes(x);
    size_t pos = b2.find("LIMFILE") + 7;
    ASSERT_EQ(b2.substr(pos, 3), std::string("\x02ON", 3));
    b2.replace(pos, 3, std::string("\x02NO", 3));
    ArchiveReader in(b2);
    in.Byte();
    TraceRecord back;
    ReadStoredFields(in, 'F', back);
    EXPECT_EQ(back.m_strLimitState, "ON");
}

TEST(StoredLayout, UnversionedWithAndWithoutExtension) {
    TraceRecord src = Distinct();
    src.m_strSerial = "12\r\n3\"4";
    for (bool ext : {true, false}) {
        ArchiveWriter w;
        WriteUnversioned(w, src, ext);
        ArchiveReader in(w.Data());
        TraceRecord back;
        ReadUnversioned(in, back);
        EXPECT_TRUE(in.AtEnd());
        EXPECT_EQ(back.m_arrTraceA, src.m_arrTraceA);
        EXPECT_EQ(back.m_strCpowerMeasure, src.m_strCpowerMeasure);
        EXPECT_EQ(back.m_arrTraceB, TraceRecord().m_arrTraceB);  // the layout has no trace B
        EXPECT_EQ(back.m_arrMarkerFreqA[4], src.m_arrMarkerFreqA[4]);
        EXPECT_EQ(back.m_arrMarkerFreqA[5], 0.0);
        if (ext) {
            EXPECT_EQ(back.m_dTransRef, src.m_dTransRef);
            EXPECT_EQ(back.m_arrMarkerDistA[2], src.m_arrMarkerDistA[2]);
            EXPECT_EQ(back.m_strSerial, "1234");  // line breaks and quotes removed
        } else {
            EXPECT_EQ(back.m_dTransRef, 0.0);
            EXPECT_EQ(back.m_strSerial, src.m_strSerial);  // cleaned only when the file goes on
        }
    }
}

TEST(StoredLayout, EveryBundledVersionOpens) {
    CMyQuarnDoc f;
    ASSERT_TRUE(f.Load(SamplePath("SPECTRUM.qtm")).ok());
    for (const char* name : {"SPECTRUM_A.qtm", "SPECTRUM_B.qtm", "SPECTRUM_C.qtm", "SPECTRUM_D.qtm",
                             "SPECTRUM_E.qtm", "SPECTRUM_U.qtm", "SPECTRUM_U0.qtm"}) {
        CMyQuarnDoc doc;
        LoadResult r = doc.Load(SamplePath(name));
        ASSERT_TRUE(r.ok()) << name << ": " << r.message;
        EXPECT_EQ(doc.m_arrTraceA, f.m_arrTraceA) << name;
        EXPECT_EQ(doc.m_dCenter, f.m_dCenter) << name;
    }
    CMyQuarnDoc a;
    ASSERT_TRUE(a.Load(SamplePath("SPECTRUM_A.qtm")).ok());
    const CMyQuarnDoc fresh;
    EXPECT_EQ(a.m_strAfactorState, fresh.m_strAfactorState);
    EXPECT_EQ(a.m_strEmfRefUnit, fresh.m_strEmfRefUnit);
    EXPECT_EQ(a.m_dGpsLatitude, fresh.m_dGpsLatitude);
    EXPECT_NE(f.m_dGpsLatitude, fresh.m_dGpsLatitude);
}

TEST(StoredLayout, EveryTruncationFailsCleanly) {
    for (const char* name : {"SPECTRUM.qtm", "SPECTRUM_U.qtm"}) {
        const std::string bytes = test::ReadFile(SamplePath(name));
        for (size_t len = 1; len < bytes.size(); len += (len < 200 ? 1 : 37)) {
            CMyQuarnDoc doc;
            LoadResult r = doc.LoadBytes(std::string_view(bytes).substr(0, len));
            // The unversioned layout may legitimately end after its base fields.
            if (r.ok()) {
                EXPECT_EQ(name, std::string("SPECTRUM_U.qtm"));
                continue;
            }
            EXPECT_EQ(r.status, LoadStatus::ReadError) << name << " " << len;
        }
    }
}
