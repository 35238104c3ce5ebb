#include <gtest/gtest.h>

#include "Archive.h"

using namespace fl;

TEST(Archive, StringLengthPrefixes) {
    struct Case {
        size_t length;
        std::string prefix;
    };
    const Case cases[] = {
        {0, std::string("\x00", 1)},
        {254, "\xFE"},
        {255, std::string("\xFF\xFF\x00", 3)},
        {300, std::string("\xFF\x2C\x01", 3)},
        {0xFFFE, std::string("\xFF\xFE\xFF", 3)},
        {0xFFFF, std::string("\xFF\xFF\xFF\xFF\xFF\x00\x00", 7)},
        {70000, std::string("\xFF\xFF\xFF\x70\x11\x01\x00", 7)},
    };
    for (const auto& c : cases) {
        ArchiveWriter w;
        w.String(std::string(c.length, 'x'));
        ASSERT_EQ(w.Data().size(), c.prefix.size() + c.length) << c.length;
        EXPECT_EQ(w.Data().substr(0, c.prefix.size()), c.prefix) << c.length;
        ArchiveReader r(w.Data());
        EXPECT_EQ(r.String().size(), c.length);
        EXPECT_TRUE(r.AtEnd());
    }
}

TEST(Archive, CountsAndNumbersRoundTrip) {
    ArchiveWriter w;
    w.Int(-7);
    w.Real(-999.0);
    w.Write(std::vector<double>(70000, 1.5));
    w.Write(std::vector<int>{1, -2, 3});
    w.Write(std::vector<std::string>{"A", "", "limit"});
    ArchiveReader r(w.Data());
    EXPECT_EQ(r.Int(), -7);
    EXPECT_EQ(r.Real(), -999.0);
    std::vector<double> d;
    r.Read(d);
    EXPECT_EQ(d.size(), 70000u);
    std::vector<int> i;
    r.Read(i);
    EXPECT_EQ(i, (std::vector<int>{1, -2, 3}));
    std::vector<std::string> s;
    r.Read(s);
    EXPECT_EQ(s, (std::vector<std::string>{"A", "", "limit"}));
    EXPECT_TRUE(r.AtEnd());
    // A count of 0xFFFF or more takes the escape and a 32-bit count.
    EXPECT_EQ(w.Data().substr(12, 6), std::string("\xFF\xFF\x70\x11\x01\x00", 6));
}

TEST(Archive, TruncatedOrOversizedDataFailsCleanly) {
    const std::string cases[] = {
        "",  // nothing at all
        std::string("\x05"
                    "abc"),                              // string shorter than its prefix says
        std::string("\xFF\xFF\xFF\xFF\xFF\xFF\x7F", 7),  // 2 GiB string announced
        std::string("\xFF\xFF\xFF\xFF\xFF\x0F", 6),      // count escape with a short 32-bit count
    };
    for (const auto& data : cases) {
        ArchiveReader r(data);
        EXPECT_THROW(r.String(), ArchiveError);
    }
    // Array counts beyond what the remaining bytes can hold fail before allocating.
    const std::string hugeCount(
        "\xFF\xFF\xFF\xFF\xFF\x7F"
        "abcdefgh",
        14);
    std::vector<double> d;
    std::vector<int> i;
    std::vector<std::string> s;
    ArchiveReader r1(hugeCount), r2(hugeCount), r3(hugeCount);
    EXPECT_THROW(r1.Read(d), ArchiveError);
    EXPECT_THROW(r2.Read(i), ArchiveError);
    EXPECT_THROW(r3.Read(s), ArchiveError);
}
