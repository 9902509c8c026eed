#include "download/Manifest.h"

#include <gtest/gtest.h>

#include <string>

namespace velm {
namespace {

std::string Version(std::string_view manifest, bool* found = nullptr, bool* truncated = nullptr) {
    std::string value;
    bool ok = ReadManifestVersion(manifest, value, truncated);
    if (found) {
        *found = ok;
    }
    return value;
}

TEST(ManifestReader, PlainVersionLineAmongOthers) {
    bool found = false;
    EXPECT_EQ(Version("[client]\r\nversion=1.1.0\r\nurl=x\r\n", &found), "1.1.0");
    EXPECT_TRUE(found);
    EXPECT_EQ(Version("version=1.1.0"), "1.1.0") << "the last line needs no terminator";
}

TEST(ManifestReader, KeySearchIsCaseBlindButValueStartsAtNinthCharacter) {
    EXPECT_EQ(Version("Version = 1.1.0\r\n"), "= 1.1.0");
    EXPECT_EQ(Version("  version=1.1.0\r\n"), "n=1.1.0");
    EXPECT_EQ(Version("VERSION:=2.0\r\n"), "=2.0");
    EXPECT_EQ(Version("xxversionxx\r\n"), "nxx") << "the key may stand anywhere in the line";
}

TEST(ManifestReader, OnlySpacesAreTrimmed) {
    EXPECT_EQ(Version("version=   1.1.0   \r\n"), "1.1.0");
    EXPECT_EQ(Version("version=\t1.1.0\r\n"), "\t1.1.0");
    EXPECT_EQ(Version("version=1.1.0 \t \r\n"), "1.1.0 \t");
    EXPECT_EQ(Version("version=1. 1.0\r\n"), "1. 1.0");
}

TEST(ManifestReader, LineEndsAtCrLfOrBareCrButNotBareLf) {
    EXPECT_EQ(Version("a\rversion=1.1.0\rb"), "1.1.0");
    EXPECT_EQ(Version("version=1.1.0\nurl=x\n"), "1.1.0\nurl=x\n");
    EXPECT_EQ(Version("name=x\nversion=1.1.0\nend\r\nmore"), "ersion=1.1.0\nend")
        << "an LF-only file is one line up to the first CR";
    EXPECT_EQ(Version("x\r\n\nversion=1.1.0\r\n"), "=1.1.0")
        << "the LF after CR LF starts the next line";
}

TEST(ManifestReader, OnlyTheFirstVersionLineCounts) {
    EXPECT_EQ(Version("version=1.1.0\r\nversion=9.9.9\r\n"), "1.1.0");
    EXPECT_EQ(Version("versio\r\nn=1\r\nVERSION=2.2.2\r\n"), "2.2.2")
        << "the key does not run across lines";
}

TEST(ManifestReader, ShortVersionLineHasEmptyValue) {
    bool found = false;
    EXPECT_EQ(Version("version\r\n", &found), "");
    EXPECT_TRUE(found);
    EXPECT_EQ(Version("version=\r\n", &found), "");
    EXPECT_TRUE(found);
}

TEST(ManifestReader, NoVersionLine) {
    bool found = true;
    EXPECT_EQ(Version("", &found), "");
    EXPECT_FALSE(found);
    Version("vers ion=1\r\n\r\n\r", &found);
    EXPECT_FALSE(found);
}

TEST(ManifestReader, ComparisonIsExact) {
    ManifestReader r;
    r.Feed("version=1.01.0\r\n");
    r.Finish();
    EXPECT_FALSE(r.ValueEquals("1.1.0"));
    ManifestReader same;
    same.Feed("version=1.1.0\r\n");
    EXPECT_TRUE(same.Done()) << "no more input is needed once the version line has ended";
    EXPECT_TRUE(same.ValueEquals("1.1.0"));
    EXPECT_FALSE(same.ValueEquals("1.1.0 "));
}

TEST(ManifestReader, FedInPiecesGivesTheSameAnswer) {
    const std::string text = "a=1\r\nb=2\r\n  Version=3.4.5  \r\nversion=0\r\n";
    for (size_t piece = 1; piece <= text.size(); ++piece) {
        ManifestReader r;
        for (size_t i = 0; i < text.size(); i += piece) {
            r.Feed(std::string_view(text).substr(i, piece));
        }
        r.Finish();
        ASSERT_TRUE(r.Found()) << piece;
        EXPECT_EQ(r.Value(), "n=3.4.5") << piece;
    }
    // A CR LF split between two pieces is still one line end.
    ManifestReader r;
    r.Feed("x\r");
    r.Feed("\nversion=1\r\n");
    EXPECT_EQ(r.Value(), "1");
}

TEST(ManifestReaderHostile, TenMegabytesWithoutCr) {
    std::string big(10 * 1024 * 1024, 'a');
    big += "version=1.1.0\n";
    big.append(1024, 'b');
    bool found = false;
    bool truncated = false;
    std::string v = Version(big, &found, &truncated);
    EXPECT_TRUE(found);
    EXPECT_TRUE(truncated) << "the value runs to the end of the 10 MB line";
    ManifestReader r;
    r.Feed(big);
    r.Finish();
    EXPECT_FALSE(r.ValueEquals("1.1.0"));
    EXPECT_LE(r.Value().size(), 4096u);
}

TEST(ManifestReaderHostile, NulBytesAreOrdinaryCharacters) {
    std::string text("ver\0sion=1\r\nversion=1.1.\0\r\n", 28);
    std::string value;
    ASSERT_TRUE(ReadManifestVersion(text, value));
    EXPECT_EQ(value, std::string("1.1.\0", 5));
}

TEST(ManifestReaderHostile, MegabyteLinesBeforeAndAsVersion) {
    std::string line(1024 * 1024, 'x');
    std::string text = line + "\r\n" + "version=" + std::string(1024 * 1024, ' ') + "1.1.0" +
                       std::string(1024 * 1024, ' ') + "\r\n";
    ManifestReader r;
    r.Feed(text);
    r.Finish();
    EXPECT_TRUE(r.ValueEquals("1.1.0")) << "a megabyte of spaces around the value is trimmed";
    std::string spaced = "version=1" + std::string(1024 * 1024, ' ') + "2\r\n";
    ManifestReader s;
    s.Feed(spaced);
    s.Finish();
    EXPECT_TRUE(s.Truncated());
    EXPECT_FALSE(s.ValueEquals("12"));
}

TEST(VersionText, Formatting) {
    EXPECT_EQ(VersionString(1, 1, 0), "1.1.0");
    EXPECT_EQ(VersionString(10, 0, 65535), "10.0.65535");
}

TEST(UpdaterParameters, DirectoryAndExecutable) {
    EXPECT_EQ(UpdaterParameters("D:\\Games\\X\\velm.exe"), "D:\\Games\\X|D:\\Games\\X\\velm.exe");
    EXPECT_EQ(UpdaterParameters("C:\\a.b\\Client.v2.EXE"), "C:\\a.b|C:\\a.b\\Client.v2.exe");
    EXPECT_EQ(UpdaterParameters("C:\\velm.exe"), "C:\\|C:\\\\velm.exe")
        << "a drive root keeps its backslash";
    EXPECT_EQ(UpdaterParameters("C:\\dir\\noext"), "C:\\dir|C:\\dir\\noext.exe");
}

} // namespace
} // namespace velm
