// Which signed release may replace the installed client, and the manifest line that allows a
// roll-back.
#include "download/ReleaseVersion.h"
#include "download/UpdateManifest.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace velm {
namespace {

TEST(ReleaseVersion, OnlyNewerReleasesReplaceUnlessTheManifestRollsThisOneBack) {
    const ReleaseVersion installed{1, 9, 0, 0};
    const std::vector<ReleaseVersion> none;
    const std::vector<ReleaseVersion> thisOne{{1, 8, 0, 0}, {1, 9, 0, 0}};
    const std::vector<ReleaseVersion> others{{1, 9, 1, 0}, {2, 0, 0, 0}};
    EXPECT_TRUE(MayReplace("1.10.0", installed, none)) << "numbers, not text: 10 > 9";
    EXPECT_TRUE(MayReplace("1.9.0.1", installed, none));
    EXPECT_TRUE(MayReplace("2", installed, none));
    EXPECT_FALSE(MayReplace("1.9.0", installed, none)) << "the same release again";
    EXPECT_FALSE(MayReplace("1.9", installed, none));
    EXPECT_FALSE(MayReplace("1.8.99", installed, none));
    EXPECT_TRUE(MayReplace("1.8.99", installed, thisOne));
    EXPECT_FALSE(MayReplace("1.8.99", installed, others)) << "a roll-back of other versions";
    // What cannot be ordered is never taken for newer, not even for a roll-back.
    for (const char* odd : {"", "1..0", "1.10.0-beta", "v2", "1.2.3.4.5", "65536", ".1", "1.",
                            "99999999999999999999"}) {
        EXPECT_FALSE(MayReplace(odd, installed, none)) << odd;
        EXPECT_FALSE(MayReplace(odd, installed, thisOne)) << odd;
    }
}

TEST(ReleaseVersion, TheManifestSaysARollBackOnlyInItsOwnWords) {
    const std::string head = "[velm]\r\nversion=1.0.0\r\nurl=http://h/v.exe\r\nsize=1\r\nsha256=" +
                             std::string(64, 'a') + "\r\n";
    const std::string signature = "signature=" + std::string(128, '0') + "\r\n";
    UpdateManifest m;
    ASSERT_EQ(UpdateManifest::Parse(head + signature, m), ManifestError::None);
    EXPECT_FALSE(m.downgradeAllowed);
    EXPECT_TRUE(m.replaces.empty());
    ASSERT_EQ(
        UpdateManifest::Parse(head + "downgrade=allowed\r\nreplaces=1.1.2,1.2\r\n" + signature, m),
        ManifestError::None);
    EXPECT_TRUE(m.downgradeAllowed);
    EXPECT_EQ(m.replaces, (std::vector<ReleaseVersion>{{1, 1, 2, 0}, {1, 2, 0, 0}}));
    EXPECT_EQ(UpdateManifest::Parse(head + "downgrade=yes\r\nreplaces=1.1.2\r\n" + signature, m),
              ManifestError::BadDowngrade);
    // A roll-back that does not name what it replaces would roll back every later client.
    EXPECT_EQ(UpdateManifest::Parse(head + "downgrade=allowed\r\n" + signature, m),
              ManifestError::BadReplaces);
    EXPECT_EQ(UpdateManifest::Parse(head + "replaces=1.1.2\r\n" + signature, m),
              ManifestError::BadReplaces);
    for (const char* list : {"", "1.1.2,", ",1.1.2", "1.1.2, 1.1.3", "1.1.2;1.1.3", "all"}) {
        EXPECT_EQ(UpdateManifest::Parse(
                      head + "downgrade=allowed\r\nreplaces=" + list + "\r\n" + signature, m),
                  ManifestError::BadReplaces)
            << list;
    }
    EXPECT_EQ(
        UpdateManifest::Parse(head + "downgrade=allowed\r\ndowngrade=allowed\r\n" + signature, m),
        ManifestError::DuplicateKey);
}

} // namespace
} // namespace velm
