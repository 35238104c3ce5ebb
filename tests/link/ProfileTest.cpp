#include <gtest/gtest.h>

#include <filesystem>

#include "ConnectionSettings.h"
#include "TestUtil.h"

using namespace fl;

TEST(Profile, RoundTripOfAll31Lines) {
    test::TempDir dir;
    ConnectionSettings s;
    s.profileName = "site7";
    s.linkKind = 1;
    s.comPort = 5;
    s.ipAddress = "10.1.2.3";
    s.tcpPort = 50000;
    s.baudRate = "19200";
    s.folderTraces = "/t";
    s.folderSettings = "/s";
    s.folderLimits = "/l";
    s.folderSystems = "/y";
    s.folderExtDev = "/e";
    s.folderCableTypes = "/c";
    s.showMarkersB = 1;
    s.showLevel = 1;
    s.viewMode = 0;
    s.reserved = 42;
    s.showGrid = 0;
    s.folderAntennaFactors = "/a";
    s.folderCableFactors = "/f";
    s.folderExport = "/x";
    s.showGps = 1;
    s.gpsPositionFormat = 2;
    s.gpsAltitudeUnit = 1;
    s.gpsSpeedUnit = 2;
    s.gpsComPort = 7;
    s.markerDescriptions = "mast;feeder";
    ASSERT_TRUE(WriteProfile(s, dir.path()));
    const auto lines = test::SplitLines(test::ReadFile(dir / "site7.dat"), "\r\n");
    ASSERT_EQ(lines.size(), 31u);
    EXPECT_EQ(lines[0], "site7");
    EXPECT_EQ(lines[3], "10.1.2.3");
    EXPECT_EQ(lines[19], "42");
    EXPECT_EQ(lines[30], "mast;feeder");
    ConnectionSettings back;
    ASSERT_TRUE(ReadProfile("site7", back, dir.path()));
    back.serialDevice = s.serialDevice;
    EXPECT_EQ(back.ipAddress, s.ipAddress);
    EXPECT_EQ(back.tcpPort, s.tcpPort);
    EXPECT_EQ(back.folderCableTypes, "/c");
    EXPECT_EQ(back.gpsComPort, 7);
    EXPECT_EQ(back.markerDescriptions, "mast;feeder");
    EXPECT_EQ(back.reserved, 42);
}

TEST(Profile, ShortFileComZeroAndFolderFallbacks) {
    test::TempDir dir;
    std::filesystem::create_directory(dir / "Limits");
    test::WriteFile(dir / "short.dat", "short\r\n0\r\n0\r\n192.168.0.9\r\n49200\r\n9600\r\n");
    ConnectionSettings s;
    s.showGrid = 0;  // not in the file: stays as it was
    ASSERT_TRUE(ReadProfile("short", s, dir.path()));
    EXPECT_EQ(s.comPort, 1);
    EXPECT_EQ(s.baudRate, "9600");
    EXPECT_EQ(s.ipAddress, "192.168.0.9");
    EXPECT_EQ(s.showGrid, 0);
    EXPECT_EQ(s.folderLimits, dir / "Limits");
    // No Traces folder there: the user's documents hold one (made when a dialog first offers it).
    EXPECT_EQ(s.folderTraces, UserFilesFolder("Traces"));
    EXPECT_NE(s.folderTraces.find("/Fieldlink/Traces"), std::string::npos);
    EXPECT_FALSE(s.folderExport.empty());
}

TEST(Profile, MissingFileChangesOnlyTheBaudRate) {
    test::TempDir dir;
    ConnectionSettings s;
    s.baudRate = "9600";
    s.ipAddress = "1.2.3.4";
    EXPECT_FALSE(ReadProfile("nothing", s, dir.path()));
    EXPECT_EQ(s.baudRate, "57600");
    EXPECT_EQ(s.ipAddress, "1.2.3.4");
}

TEST(Profile, ListingAndNames) {
    test::TempDir dir;
    for (const char* f : {"default.dat", "unins000.dat", "alpha.dat", "beta.v2.DAT", "notes.txt"})
        test::WriteFile(dir / f, "x");
    EXPECT_EQ(ListProfiles(dir.path()), (std::vector<std::string>{"alpha", "beta"}));
    EXPECT_TRUE(IsValidProfileName("site 7"));
    EXPECT_FALSE(IsValidProfileName(""));
    EXPECT_FALSE(IsValidProfileName(" "));
    EXPECT_FALSE(IsValidProfileName("a.b"));
    EXPECT_FALSE(IsValidProfileName("../etc/x"));
}

// A default folder is made when first offered; no other folder ever is.
TEST(Profile, OnlyDefaultFoldersAreMade) {
    test::TempDir docs;
    setenv("XDG_DOCUMENTS_DIR", docs.path().c_str(), 1);
    MakeUserFilesFolder(UserFilesFolder("Limits"));
    EXPECT_TRUE(std::filesystem::is_directory(docs / "Fieldlink/Limits"));
    MakeUserFilesFolder(docs / "Elsewhere");
    EXPECT_FALSE(std::filesystem::exists(docs / "Elsewhere"));
    unsetenv("XDG_DOCUMENTS_DIR");
}
