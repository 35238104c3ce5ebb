#include <gtest/gtest.h>

#include <filesystem>

#include "DataTransfer.h"
#include "LinkTestUtil.h"
#include "SampleTraces.h"
#include "TestUtil.h"

using namespace fl;
using fl::test::SimLink;

TEST(DataTransfer, KindsAndListings) {
    EXPECT_EQ(FileKinds().size(), 8u);
    EXPECT_EQ(KindsForModel("Quarn1").size(), 5u);
    EXPECT_EQ(KindsForModel("Quarn3").size(), 8u);
    EXPECT_EQ(FindKind("limits")->keyword, std::string("LIM"));
    EXPECT_EQ(FindKind("CFAC")->extension, std::string(".QCF"));
    auto rows = ParseInstrumentListing("\"GSM 12.03.2026 10:15:00,UMTS 01.02.2026 08:00:59\"\r\n");
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[1].name, "UMTS");
    EXPECT_EQ(rows[1].date, "01.02.2026");
    EXPECT_EQ(rows[1].time, "08:00:59");
    for (const char* empty : {"0", "ERR", "ok", "-9999", "", "\r\n"})
        EXPECT_TRUE(ParseInstrumentListing(empty).empty());
    EXPECT_EQ(ParseInstrumentListing("LONELY")[0].name, "LONELY");
    // Entries after a comma and a blank are kept, with their dates.
    const auto spaced = ParseInstrumentListing("\"A 01.01.2026 10:00:00, B 02.01.2026 11:00:00, C\"\r\n");
    ASSERT_EQ(spaced.size(), 3u);
    EXPECT_EQ(spaced[1].name, "B");
    EXPECT_EQ(spaced[1].date, "02.01.2026");
    EXPECT_EQ(spaced[2].name, "C");
}

TEST(DataTransfer, NamesBothWays) {
    EXPECT_EQ(InstrumentNameFor("/pc/my trace.QTR", true), "MY_TRACE");
    EXPECT_EQ(InstrumentNameFor("/pc/my trace.QTR", false), "MY TRACE");
    EXPECT_EQ(InstrumentNameFor("averyveryLongName.QLM", false), "AVERYVERYLO");
    // A quote or a control character is refused, not quietly dropped.
    EXPECT_EQ(InstrumentNameFor("we\"ird\n.QLM", false), "");
    // PC names are UTF-8, instrument names Windows-1252, both ways; what the code page lacks is refused.
    // Upper case by the code page's own rule: ü -> Ü, é -> É, š -> Š; ß and µ have none.
    EXPECT_EQ(InstrumentNameFor("/pc/M\xC3\xBCller.QLM", false), "M\xDCLLER");
    EXPECT_EQ(InstrumentNameFor("/pc/\xC3\xA9t\xC3\xA9 \xC5\xA1\xC3\x9F\xC2\xB5.QSY", false),
              "\xC9T\xC9 \x8A\xDF\xB5");
    EXPECT_EQ(InstrumentNameFor("/pc/\xE2\x82\xAC 5.QLM", false), "\x80 5");
    EXPECT_EQ(InstrumentNameFor("/pc/\xE6\x97\xA5.QLM", false), "");
    EXPECT_EQ(InstrumentNameFor("/pc/bad\xFF.QLM", false), "");  // not UTF-8 at all
    EXPECT_EQ(PcNameFor("M\xFCLLER", *FindKind("limits")), "M\xC3\xBCLLER.QLM");
    EXPECT_EQ(PcNameFor("GSM_MASK", *FindKind("limits")), "GSM_MASK.QLM");
    for (const char* evil : {"..", ".", "../x", "a/b", "a\\b", "", "x\ny"})
        EXPECT_EQ(PcNameFor(evil, *FindKind("limits")), "") << evil;
    EXPECT_EQ(FilterInstrumentName("a\"b*c!d.e,f:g12345678"), "abcdefg1234");
}

TEST(DataTransfer, LimitLineConversion) {
    struct Case {
        const char* in;
        bool ok;
        const char* out;
    };
    const Case cases[] = {
        {"1,2,3,4,5", true, "1,2,5.0,4,3.0"},
        {"1,0,6.5,250,6.5 trailing", true, "1,0,1.5,250,1.5"},
        {"1,2,3", false, "1,2,"},
        {"1,2,3,4", false, "1,2,5.0,"},
        {"1,2", false, "1,"},
        {"1", true, "1"},
        {"", true, ""},
    };
    for (const auto& c : cases) {
        std::string out;
        EXPECT_EQ(ConvertLimitLine(c.in, out), c.ok) << c.in;
        EXPECT_EQ(out, c.out) << c.in;
    }
}

TEST(DataTransfer, DuplicateRule) {
    struct Case {
        std::vector<DuplicateAnswer> answers;
        std::vector<std::string> files;
        std::vector<std::string> transferred;
        int questions;
    };
    const std::vector<std::string> existing = {"A", "b", "C"};
    const Case cases[] = {
        {{DuplicateAnswer::Yes, DuplicateAnswer::No}, {"A", "B", "X"}, {"A", "X"}, 2},
        {{DuplicateAnswer::NoToAll}, {"A", "B", "X", "C"}, {"X"}, 1},
        {{DuplicateAnswer::YesToAll}, {"A", "B", "C"}, {"A", "B", "C"}, 1},
        {{DuplicateAnswer::Cancel}, {"X", "A", "Y"}, {"X"}, 1},
        {{DuplicateAnswer::Rename}, {"A"}, {"A2"}, 1},
    };
    for (const auto& c : cases) {
        DuplicateRule rule;
        size_t asked = 0;
        rule.ask = [&](const std::string&) { return c.answers[std::min(asked++, c.answers.size() - 1)]; };
        rule.rename = [](std::string& n) {
            n += "2";
            return true;
        };
        std::vector<std::string> done;
        for (std::string f : c.files)
            if (rule.Decide(f, existing)) done.push_back(f);
        EXPECT_EQ(done, c.transferred);
        EXPECT_EQ(static_cast<int>(asked), c.questions);
    }
}

TEST(DataTransfer, EveryKindBothWaysAgainstTheSimulator) {
    sim::SimOptions o;
    o.model = "Quarn3";
    SimLink link(o);
    ASSERT_TRUE(link.connected);
    test::TempDir dir;
    DataTransfer dt(link.channel);
    dt.programFolder = dir.path();
    for (const FileKind* kind : KindsForModel(s_strConnectedModel)) {
        std::vector<InstrumentEntry> entries;
        ASSERT_TRUE(dt.ListInstrument(*kind, entries)) << kind->keyword;
        ASSERT_FALSE(entries.empty()) << kind->keyword;
        const std::string name = entries.front().name;
        const std::string pc = dir / PcNameFor(name, *kind);
        ASSERT_TRUE(dt.Upload(*kind, name, pc)) << kind->keyword;
        const std::string content = test::ReadFile(pc);
        if (kind->headerLine) {
            EXPECT_EQ(content.substr(0, 2), "\r\n") << kind->keyword;
        }
        // Back to the instrument under a new name, then up again: the same file.
        ASSERT_TRUE(dt.Download(*kind, pc, "ROUNDTRIP")) << kind->keyword;
        const std::string again = dir / ("again" + std::string(kind->extension));
        ASSERT_TRUE(dt.Upload(*kind, "ROUNDTRIP", again)) << kind->keyword;
        if (kind->tab != 0) {
            EXPECT_EQ(test::ReadFile(again), content) << kind->keyword;
        }
        dt.DeleteOnInstrument(*kind, {"ROUNDTRIP"});
        ASSERT_TRUE(dt.ListInstrument(*kind, entries));
        for (const auto& e : entries)
            EXPECT_NE(e.name, "ROUNDTRIP");
    }
    // Limit levels: the PC holds divisions above the bottom line.
    const auto lines = test::SplitLines(test::ReadFile(dir / "GSM_MASK.QLM"), "\r\n");
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(lines[1], "1,0,1.5,250,1.5");
    // A trace arrives as the same line container the PC would write.
    EXPECT_TRUE(test::ReadFile(dir / "ACPR.QTR") ==
                sim::LineContainerBytes(sim::SampleTraceByName("ACPR").lines));
    EXPECT_TRUE(link.prompts.messages.empty()) << link.prompts.messages[0];
}

TEST(DataTransfer, FailuresLeaveNoPartialFileAndSendNoStaleText) {
    test::TempDir dir;
    {
        SimLink link;
        link.port.m_nTcpReceiveWaitMs = 300;
        link.server->SetFault(sim::FaultKind::Drop);
        DataTransfer dt(link.channel);
        dt.programFolder = dir.path();
        EXPECT_FALSE(dt.Upload(*FindKind("trace"), "SPECTRUM", dir / "SPECTRUM.QTR"));
        EXPECT_FALSE(std::filesystem::exists(dir / "SPECTRUM.QTR"));
    }
    {
        SimLink link;
        DataTransfer dt(link.channel);
        dt.programFolder = dir.path();
        test::WriteFile(dir / "~tmpfile.txt", "STALE TEXT\n");
        test::WriteFile(dir / "broken.qtm", "F\x01\x02");
        EXPECT_FALSE(dt.Download(*FindKind("trace"), dir / "broken.qtm", "BROKEN"));
        std::vector<InstrumentEntry> entries;
        dt.ListInstrument(*FindKind("trace"), entries);
        for (const auto& e : entries)
            EXPECT_NE(e.name, "BROKEN");
        // Refused limit lines end a download.
        test::WriteFile(dir / "bad.QLM", "\r\n1,2,3\r\n");
        EXPECT_FALSE(dt.Download(*FindKind("limits"), dir / "bad.QLM", "BAD"));
        // A PC file that cannot be created.
        EXPECT_FALSE(dt.Upload(*FindKind("limits"), "GSM_MASK", "/nonexistent-folder/x.QLM"));
        EXPECT_EQ(link.prompts.messages.back(), kCantSaveText);
        // Cancel stops an upload.
        dt.cancel = true;
        EXPECT_FALSE(dt.Upload(*FindKind("limits"), "GSM_MASK", dir / "c.QLM"));
        EXPECT_FALSE(std::filesystem::exists(dir / "c.QLM"));
    }
}

TEST(DataTransfer, ARefusedDownloadIsAFailure) {
    test::TempDir dir;
    SimLink link;
    link.server->SetFault(sim::FaultKind::Error);  // "ERR" to every MMEM:DOWN
    DataTransfer dt(link.channel);
    dt.programFolder = dir.path();
    test::WriteFile(dir / "MASK.QLM", "\r\n1,2.0,3,4.0,5\r\n");
    EXPECT_FALSE(dt.Download(*FindKind("limits"), dir / "MASK.QLM", "MASK"));
    ASSERT_FALSE(link.prompts.messages.empty());
    EXPECT_NE(link.prompts.messages.back().find("refused"), std::string::npos);
    DuplicateRule rule;
    const auto r = dt.CopyToInstrument(*FindKind("limits"), {dir / "MASK.QLM"}, {}, rule);
    EXPECT_TRUE(r.copied.empty());  // never counted as sent
    EXPECT_EQ(r.failed, dir / "MASK.QLM");
    // A name that leaves nothing to send is refused before anything goes out.
    link.server->SetFault(sim::FaultKind::None);
    const size_t before = link.server->CommandLog().size();
    EXPECT_FALSE(dt.Download(*FindKind("limits"), dir / "MASK.QLM", "\"\""));
    EXPECT_EQ(link.server->CommandLog().size(), before);
}

TEST(DataTransfer, QuotesAreRefusedNotRepaired) {
    test::TempDir dir;
    SimLink link;
    DataTransfer dt(link.channel);
    dt.programFolder = dir.path();
    const size_t before = link.server->CommandLog().size();
    dt.DeleteOnInstrument(*FindKind("limits"), {"GSM\"MASK"});
    EXPECT_EQ(link.server->CommandLog().size(), before);  // nothing was sent
    EXPECT_NE(link.prompts.messages.back().find("double quote"), std::string::npos);
    test::WriteFile(dir / "Q.QST", "SENSe:SWEep:TIMe 0.1\r\nSYSTem:DNAMe \"SITE\"\r\n");
    EXPECT_FALSE(dt.Download(*FindKind("settings"), dir / "Q.QST", "Q"));
    EXPECT_NE(link.prompts.messages.back().find("double quote"), std::string::npos);
    // Refused before anything went out, even though the quote is on the second line.
    EXPECT_EQ(link.server->CommandLog().size(), before);
}

TEST(DataTransfer, ADownloadTheInstrumentDidNotConfirmFailsAndIsNeverClosed) {
    // The fault meets the third line's "MMEM:DOWN NEXT" (the 4th data command, after the start and two
    // lines). "MMEM:DOWN CLOSE" would store the part sent, so it never follows a failed step.
    struct Case {
        sim::FaultKind fault;
        const char* message;  // part of the one message
        const char* last;     // the last command the instrument saw
    };
    const Case cases[] = {
        {sim::FaultKind::Error, "refused the file (MMEM:DOWN NEXT)", "MMEM:DOWN NEXT,\"3,0,5.0,500,5.0\""},
        {sim::FaultKind::Minus9999, "refused the file (MMEM:DOWN NEXT)",
         "MMEM:DOWN NEXT,\"3,0,5.0,500,5.0\""},
        {sim::FaultKind::Garbage, "could not be read (MMEM:DOWN NEXT)", "IDN?"},
        {sim::FaultKind::Silence, "Receive timeout ERROR", "MMEM:DOWN NEXT,\"3,0,5.0,500,5.0\""},
    };
    for (const auto& c : cases) {
        test::TempDir dir;
        SimLink link;
        ASSERT_TRUE(link.connected);
        link.port.m_nTcpReceiveWaitMs = 300;
        DataTransfer dt(link.channel);
        dt.programFolder = dir.path();
        test::WriteFile(dir / "MASK.QLM", "\r\n1,0,3,500,3\r\n2,0,3,500,3\r\n3,0,3,500,3\r\n4,0,3,500,3\r\n");
        link.server->SetFault(c.fault, 4);
        EXPECT_FALSE(dt.Download(*FindKind("limits"), dir / "MASK.QLM", "MASK"));
        ASSERT_EQ(link.prompts.messages.size(), 1u);
        EXPECT_NE(link.prompts.messages[0].find(c.message), std::string::npos) << link.prompts.messages[0];
        const auto log = link.server->CommandLog();
        EXPECT_EQ(log.back(), c.last);
        EXPECT_EQ(std::count(log.begin(), log.end(), "MMEM:DOWN CLOSE"), 0);
        link.server->SetFault(sim::FaultKind::None);
        std::vector<InstrumentEntry> entries;
        ASSERT_TRUE(dt.ListInstrument(*FindKind("limits"), entries));
        for (const auto& e : entries)
            EXPECT_NE(e.name, "MASK");
    }
}

TEST(DataTransfer, TwoFilesForOneInstrumentNameAskBeforeTheSecond) {
    test::TempDir dir;
    SimLink link;
    DataTransfer dt(link.channel);
    dt.programFolder = dir.path();
    // Both become "SITE_NORTH_" on the instrument (11 characters, blanks to underscores).
    test::WriteFile(dir / "site north 1.QLM", "\r\n1,2.0,3,4.0,5\r\n");
    test::WriteFile(dir / "site north 2.QLM", "\r\n1,2.0,3,4.0,5\r\n");
    int asked = 0;
    DuplicateRule rule;
    rule.ask = [&](const std::string&) {
        ++asked;
        return DuplicateAnswer::No;
    };
    const auto r = dt.CopyToInstrument(*FindKind("limits"),
                                       {dir / "site north 1.QLM", dir / "site north 2.QLM"}, {"OTHER"}, rule);
    EXPECT_EQ(asked, 1);
    ASSERT_EQ(r.copied.size(), 1u);
}

TEST(DataTransfer, PcListingFoldersFirst) {
    test::TempDir dir;
    std::filesystem::create_directory(dir / "Sub");
    test::WriteFile(dir / "b.qlm", "x");
    test::WriteFile(dir / "A.QLM", "x");
    test::WriteFile(dir / "other.txt", "x");
    const auto rows = ListPcFolder(dir.path(), *FindKind("limits"));
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_TRUE(rows[0].folder);
    EXPECT_EQ(rows[1].name, "A.QLM");
    EXPECT_EQ(rows[2].name, "b.qlm");
    EXPECT_EQ(rows[1].date.size(), 10u);
    EXPECT_EQ(rows[1].time.size(), 8u);
}
