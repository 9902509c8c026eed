// Which signed release may replace the installed client, and the manifest line that allows a
// roll-back.
#include "download/ReleaseVersion.h"
#include "download/UpdateManifest.h"

#include <gtest/gtest.h>

#include <string>

namespace velm {
namespace {

TEST(ReleaseVersion, OnlyNewerReleasesReplaceUnlessTheManifestAllowsARollBack) {
    const ReleaseVersion installed{1, 9, 0, 0};
    EXPECT_TRUE(MayReplace("1.10.0", installed, false)) << "numbers, not text: 10 > 9";
    EXPECT_TRUE(MayReplace("1.9.0.1", installed, false));
    EXPECT_TRUE(MayReplace("2", installed, false));
    EXPECT_FALSE(MayReplace("1.9.0", installed, false)) << "the same release again";
    EXPECT_FALSE(MayReplace("1.9", installed, false));
    EXPECT_FALSE(MayReplace("1.8.99", installed, false));
    EXPECT_TRUE(MayReplace("1.8.99", installed, true));
    // What cannot be ordered is never taken for newer, not even for a roll-back.
    for (const char* odd : {"", "1..0", "1.10.0-beta", "v2", "1.2.3.4.5", "65536", ".1", "1.",
                            "99999999999999999999"}) {
        EXPECT_FALSE(MayReplace(odd, installed, false)) << odd;
        EXPECT_FALSE(MayReplace(odd, installed, true)) << odd;
    }
}

TEST(ReleaseVersion, TheManifestSaysARollBackOnlyInItsOwnWords) {
    const std::string head = "[velm]\r\nversion=1.0.0\r\nurl=http://h/v.exe\r\nsize=1\r\nsha256=" +
                             std::string(64, 'a') + "\r\n";
    const std::string signature = "signature=" + std::string(128, '0') + "\r\n";
    UpdateManifest m;
    ASSERT_EQ(UpdateManifest::Parse(head + signature, m), ManifestError::None);
    EXPECT_FALSE(m.downgradeAllowed);
    ASSERT_EQ(UpdateManifest::Parse(head + "downgrade=allowed\r\n" + signature, m),
              ManifestError::None);
    EXPECT_TRUE(m.downgradeAllowed);
    EXPECT_EQ(UpdateManifest::Parse(head + "downgrade=yes\r\n" + signature, m),
              ManifestError::BadDowngrade);
    EXPECT_EQ(
        UpdateManifest::Parse(head + "downgrade=allowed\r\ndowngrade=allowed\r\n" + signature, m),
        ManifestError::DuplicateKey);
}

} // namespace
} // namespace velm
