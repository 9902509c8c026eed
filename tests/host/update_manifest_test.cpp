// The updater's reading of the update manifest, and that it agrees with the client's.
#include "download/Hex.h"
#include "download/Manifest.h"
#include "download/UpdateManifest.h"

#include <gtest/gtest.h>

#include <string>

namespace velm {
namespace {

const std::string kDigest(64, 'a');
const std::string kSignature = std::string(64, '0') + std::string(64, 'F');

std::string Body(const std::string& version = "1.1.1") {
    return "[velm]\r\nversion=" + version +
           "\r\nurl=http://127.0.0.1:8731/gamehome/velm/release/velm.exe\r\nsize=12345\r\n"
           "sha256=" +
           kDigest + "\r\n";
}
std::string Signed(const std::string& body) {
    return body + "signature=" + kSignature + "\r\n";
}

ManifestError Parse(const std::string& text) {
    UpdateManifest m;
    return UpdateManifest::Parse(text, m);
}

TEST(UpdateManifest, ReadsEveryFieldAndTheSignedPart) {
    const std::string body = Body();
    UpdateManifest m;
    ASSERT_EQ(UpdateManifest::Parse(Signed(body), m), ManifestError::None);
    EXPECT_EQ(m.version, "1.1.1");
    EXPECT_EQ(m.url, "http://127.0.0.1:8731/gamehome/velm/release/velm.exe");
    EXPECT_EQ(m.size, 12345u);
    EXPECT_EQ(EncodeHex(m.sha256.data(), m.sha256.size()), kDigest);
    EXPECT_EQ(EncodeHex(m.signature.data(), m.signature.size()),
              std::string(64, '0') + std::string(64, 'f'));
    EXPECT_EQ(m.signedPart, body) << "the signature covers every byte before its line";
}

TEST(UpdateManifest, TheClientReadsTheSameVersion) {
    std::string value;
    ASSERT_TRUE(ReadManifestVersion(Signed(Body()), value));
    EXPECT_EQ(value, "1.1.1");
}

TEST(UpdateManifest, SignatureLineMayEndTheFileWithoutLineEnd) {
    std::string text = Signed(Body());
    text.resize(text.size() - 2);
    EXPECT_EQ(Parse(text), ManifestError::None);
}

TEST(UpdateManifest, WithoutSignatureIsRefused) {
    EXPECT_EQ(Parse(Body()), ManifestError::NoSignature);
    EXPECT_EQ(Parse("version=1.1.0\r\n"), ManifestError::NoSignature);
    EXPECT_EQ(Parse(""), ManifestError::NoSignature);
}

TEST(UpdateManifest, SignatureMustBeLast) {
    EXPECT_EQ(Parse(Signed(Body()) + "url=http://evil.example/x.exe\r\n"),
              ManifestError::TextAfterSignature);
    EXPECT_EQ(Parse(Signed(Body()) + "\r\n"), ManifestError::TextAfterSignature)
        << "an empty line after the signature is text the signature does not cover";
}

TEST(UpdateManifest, SignatureTextMustBe128HexDigits) {
    EXPECT_EQ(Parse(Body() + "signature=" + kSignature.substr(1) + "\r\n"),
              ManifestError::BadSignature);
    EXPECT_EQ(Parse(Body() + "signature=" + kSignature + "0\r\n"), ManifestError::BadSignature);
    std::string bad = kSignature;
    bad[5] = 'g';
    EXPECT_EQ(Parse(Body() + "signature=" + bad + "\r\n"), ManifestError::BadSignature);
}

TEST(UpdateManifest, EachKeyIsRequired) {
    for (const char* key : {"version=", "url=", "size=", "sha256="}) {
        std::string body = Body();
        std::size_t at = body.find(std::string("\r\n") + key);
        ASSERT_NE(at, std::string::npos);
        std::size_t end = body.find("\r\n", at + 2);
        body.erase(at, end - at);
        EXPECT_EQ(Parse(Signed(body)), ManifestError::MissingKey) << key;
    }
}

TEST(UpdateManifest, RepeatedKeysAreRefused) {
    EXPECT_EQ(Parse(Signed(Body() + "url=http://evil.example/x.exe\r\n")),
              ManifestError::DuplicateKey);
    EXPECT_EQ(Parse(Signed(Body() + "size=1\r\n")), ManifestError::DuplicateKey);
    EXPECT_EQ(Parse(Signed(Body() + "signature=" + kSignature + "\r\n")),
              ManifestError::DuplicateKey);
}

TEST(UpdateManifest, BareCrOrLfIsRefused) {
    std::string lf = Signed(Body());
    lf.replace(lf.find("\r\nurl"), 2, "\n");
    EXPECT_EQ(Parse(lf), ManifestError::BadLineEnd);
    std::string cr = Signed(Body());
    cr.replace(cr.find("\r\nurl"), 2, "\r");
    EXPECT_EQ(Parse(cr), ManifestError::BadLineEnd);
}

TEST(UpdateManifest, AnEarlierLineTheClientTakesForTheVersionIsRefused) {
    // The client would read "=1.1.0 notes" from this line and offer an update the signed version
    // line does not describe.
    EXPECT_EQ(Parse(Signed("# Version=1.1.0 notes\r\n" + Body())), ManifestError::VersionMismatch);
    EXPECT_EQ(Parse(Signed("VERSION=1.1.1\r\n" + Body())), ManifestError::None)
        << "an earlier line with the same value reads the same in both";
}

TEST(UpdateManifest, AKeyWhoseValueContainsTheWordVersionMustFollowTheVersionLine) {
    std::string body =
        "url=http://host/version2/velm.exe\r\nversion=1.1.1\r\nsize=5\r\nsha256=" + kDigest +
        "\r\n";
    EXPECT_EQ(Parse(Signed(body)), ManifestError::VersionMismatch);
    std::string fine =
        "version=1.1.1\r\nurl=http://host/version2/velm.exe\r\nsize=5\r\nsha256=" + kDigest +
        "\r\n";
    EXPECT_EQ(Parse(Signed(fine)), ManifestError::None);
}

TEST(UpdateManifest, VersionValueRules) {
    EXPECT_EQ(Parse(Signed(Body(""))), ManifestError::BadVersion);
    EXPECT_EQ(Parse(Signed(Body("1.1 .1"))), ManifestError::BadVersion);
    EXPECT_EQ(Parse(Signed(Body("1.1.1\t"))), ManifestError::BadVersion);
    // Signed, but no client would ever offer it.
    EXPECT_EQ(Parse(Signed(Body("1.1.1-beta"))), ManifestError::BadVersion);
}

TEST(UpdateManifest, UrlRules) {
    auto with = [](const std::string& url) {
        std::string body = Body();
        std::size_t at = body.find("url=") + 4;
        body.replace(at, body.find("\r\n", at) - at, url);
        return Parse(Signed(body));
    };
    EXPECT_EQ(with("https://cdn.example.com/v/velm.exe"), ManifestError::None);
    EXPECT_EQ(with("HTTP://cdn.example.com/velm.exe"), ManifestError::None);
    EXPECT_EQ(with("ftp://cdn.example.com/velm.exe"), ManifestError::BadUrl);
    EXPECT_EQ(with("file:///C:/velm.exe"), ManifestError::BadUrl);
    EXPECT_EQ(with("http://cdn.example.com/a b.exe"), ManifestError::BadUrl);
    EXPECT_EQ(with("http://cdn.example.com"), ManifestError::BadUrl);
    EXPECT_EQ(with(""), ManifestError::BadUrl);
    EXPECT_EQ(with("http://h/" + std::string(3000, 'a')), ManifestError::BadUrl);
}

TEST(UpdateManifest, SizeRules) {
    auto with = [](const std::string& size) {
        std::string body = Body();
        std::size_t at = body.find("size=") + 5;
        body.replace(at, body.find("\r\n", at) - at, size);
        UpdateManifest m;
        ManifestError e = UpdateManifest::Parse(Signed(body), m);
        return std::make_pair(e, m.size);
    };
    EXPECT_EQ(with("2147483647"), std::make_pair(ManifestError::None, 2147483647u));
    EXPECT_EQ(with("2147483648").first, ManifestError::BadSize);
    EXPECT_EQ(with("99999999999").first, ManifestError::BadSize);
    EXPECT_EQ(with("0").first, ManifestError::BadSize);
    EXPECT_EQ(with("-5").first, ManifestError::BadSize);
    EXPECT_EQ(with("12a").first, ManifestError::BadSize);
    EXPECT_EQ(with("").first, ManifestError::BadSize);
}

TEST(UpdateManifest, DigestRules) {
    std::string body = Body();
    std::size_t at = body.find("sha256=") + 7;
    std::string shortDigest = body;
    shortDigest.erase(at, 1);
    EXPECT_EQ(Parse(Signed(shortDigest)), ManifestError::BadDigest);
    std::string notHex = body;
    notHex[at] = 'z';
    EXPECT_EQ(Parse(Signed(notHex)), ManifestError::BadDigest);
}

TEST(UpdateManifest, TooLargeIsRefusedBeforeReading) {
    std::string big = std::string(kMaxManifestBytes, '#') + Signed(Body());
    EXPECT_EQ(Parse(big), ManifestError::TooLarge);
}

TEST(UpdateManifest, OtherLinesAreAllowedAndSigned) {
    std::string body = "[velm]\r\n# released 2026-12-08\r\n" + Body().substr(8) + "notes=fixes\r\n";
    UpdateManifest m;
    ASSERT_EQ(UpdateManifest::Parse(Signed(body), m), ManifestError::None);
    EXPECT_EQ(m.signedPart, body);
}

TEST(Hex, RoundTripAndRejects) {
    std::uint8_t bytes[4] = {};
    ASSERT_TRUE(DecodeHex("00Ff7a10", bytes, 4));
    EXPECT_EQ(EncodeHex(bytes, 4), "00ff7a10");
    EXPECT_FALSE(DecodeHex("00ff7a1", bytes, 4));
    EXPECT_FALSE(DecodeHex("00ff7a1x", bytes, 4));
    EXPECT_FALSE(DecodeHex("00ff7a10 ", bytes, 4));
}

} // namespace
} // namespace velm
