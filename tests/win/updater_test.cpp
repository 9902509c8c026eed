// The updater under Wine, in this process: real CNG hashing and signatures, a real HTTP server on
// 127.0.0.1, real files replaced on disk, real progress window and message boxes answered the way
// a person would.
#include "base/Text.h"
#include "startup/PublicData.h"
#include "download/CngHandles.h"
#include "download/Hex.h"
#include "updater/ExecutableSwap.h"
#include "updater/PeImage.h"
#include "download/Sha256.h"
#include "download/SignatureVerifier.h"
#include "updater/UpdateFrm.h"
#include "updater/Updater.h"
#include "updater/UpdaterTexts.h"

#include "Config.h"
#include "support/HttpTestServer.h"
#include "support/WinTest.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <mutex>
#include <thread>
#include <vector>

namespace velm {
namespace {

using namespace velm::test;

std::string Pattern(size_t n, unsigned seed = 7) {
    std::string s(n, '\0');
    for (size_t i = 0; i < n; ++i) {
        s[i] = static_cast<char>((i * 131 + i / 7 + seed) & 0xFF);
    }
    return s;
}

// The headers of a Windows program built for `machine`, then `body`: what the updater reads of a
// release besides its size and digest.
std::string Program(std::uint16_t machine, const std::string& body) {
    std::string bytes(0x40, '\0');
    bytes[0] = 'M';
    bytes[1] = 'Z';
    bytes[0x3C] = 0x40;
    bytes += std::string("PE\0\0", 4);
    bytes += static_cast<char>(machine & 0xFF);
    bytes += static_cast<char>(machine >> 8);
    return bytes + body;
}

std::string Hex(const Sha256::Digest& d) {
    return EncodeHex(d.data(), d.size());
}

// A key pair made by the system, for signing manifests the way the maintainers' tool does.
class TestSigner {
public:
    TestSigner() {
        BCRYPT_ALG_HANDLE alg = nullptr;
        EXPECT_EQ(::BCryptOpenAlgorithmProvider(&alg, BCRYPT_ECDSA_P256_ALGORITHM, nullptr, 0), 0);
        algorithm_.reset(alg);
        BCRYPT_KEY_HANDLE key = nullptr;
        EXPECT_EQ(::BCryptGenerateKeyPair(alg, &key, 256, 0), 0);
        key_.reset(key);
        EXPECT_EQ(::BCryptFinalizeKeyPair(key, 0), 0);
        unsigned char blob[sizeof(BCRYPT_ECCKEY_BLOB) + 64] = {};
        ULONG size = 0;
        EXPECT_EQ(
            ::BCryptExportKey(key, nullptr, BCRYPT_ECCPUBLIC_BLOB, blob, sizeof(blob), &size, 0),
            0);
        std::memcpy(publicKey.data(), blob + sizeof(BCRYPT_ECCKEY_BLOB), 64);
    }
    SignatureVerifier::Signature Sign(std::string_view message) {
        Sha256::Digest digest{};
        EXPECT_TRUE(Sha256::OfBytes(message, digest));
        SignatureVerifier::Signature sig{};
        ULONG size = 0;
        EXPECT_EQ(
            ::BCryptSignHash(key_.get(), nullptr, digest.data(), 32, sig.data(), 64, &size, 0), 0);
        return sig;
    }
    std::string SignManifest(const std::string& body) {
        SignatureVerifier::Signature sig = Sign(body);
        return body + "signature=" + EncodeHex(sig.data(), sig.size()) + "\r\n";
    }
    SignatureVerifier::PublicKey publicKey{};

private:
    UniqueCngAlgorithm algorithm_;
    UniqueCngKey key_;
};

TEST(Sha256, KnownDigests) {
    Sha256::Digest d{};
    ASSERT_TRUE(Sha256::OfBytes("abc", d));
    EXPECT_EQ(Hex(d), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
    ASSERT_TRUE(Sha256::OfBytes("", d));
    EXPECT_EQ(Hex(d), "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
}

TEST(Sha256, FileDigestAndLength) {
    TempDir dir;
    std::string path = dir.path() + "f.bin";
    std::string bytes = Pattern(200000);
    ASSERT_TRUE(WriteFileBytes(path, bytes));
    Sha256::Digest fromFile{}, fromBytes{};
    std::uint64_t size = 0;
    ASSERT_TRUE(Sha256::OfFile(Widen(path), fromFile, size));
    ASSERT_TRUE(Sha256::OfBytes(bytes, fromBytes));
    EXPECT_EQ(size, 200000u);
    EXPECT_EQ(fromFile, fromBytes);
    EXPECT_FALSE(Sha256::OfFile(Widen(dir.path() + "missing.bin"), fromFile, size));
}

TEST(SignatureVerifier, AcceptsOnlyTheSignedMessageUnderItsKey) {
    TestSigner signer;
    SignatureVerifier verifier(signer.publicKey);
    ASSERT_TRUE(verifier.Ok()) << "the system imports P-256 public keys";
    const std::string message = "version=1.1.1\r\nsize=5\r\n";
    SignatureVerifier::Signature sig = signer.Sign(message);
    EXPECT_TRUE(verifier.Verify(message, sig));
    std::string altered = message;
    altered[9] = '2';
    EXPECT_FALSE(verifier.Verify(altered, sig));
    SignatureVerifier::Signature flipped = sig;
    flipped[40] ^= 0x01;
    EXPECT_FALSE(verifier.Verify(message, flipped));
    TestSigner other;
    EXPECT_FALSE(SignatureVerifier(other.publicKey).Verify(message, sig));
}

TEST(SignatureVerifier, AKeyOffTheCurveVerifiesNothing) {
    TestSigner signer;
    SignatureVerifier::PublicKey zero{};
    SignatureVerifier verifier(zero);
    EXPECT_FALSE(verifier.Ok());
    EXPECT_FALSE(verifier.Verify("x", signer.Sign("x")));
}

TEST(SignatureVerifier, TheDevelopmentKeyOfTheBuildImports) {
    // The key Update.exe embeds by default comes from the repository's public key file.
    std::string text = ReadFileBytes(
        FromUnixPath(std::string(VELM_SOURCE_DIR) + "/tools/keys/DEVELOPMENT-ONLY-update-key.pub"));
    std::string hex = text.substr(text.find('\n') + 1, 128);
    SignatureVerifier::PublicKey key{};
    ASSERT_TRUE(DecodeHex(hex, key.data(), key.size()));
    EXPECT_TRUE(SignatureVerifier(key).Ok());
}

TEST(EmbeddedUpdater, RunsAsInvokerAndNamesItself) {
    // Windows elevates programs named like installers unless their manifest says otherwise; a
    // prompt for administrator rights would stop every update of a per-user install.
    std::string_view exe = ResourceBytes(101, "UPDATE");
    ASSERT_GT(exe.size(), 1024u);
    EXPECT_EQ(exe.substr(0, 2), "MZ");
    EXPECT_NE(exe.find("requestedExecutionLevel level=\"asInvoker\""), std::string_view::npos);
    std::wstring description = Widen("OrvikVelmora客户端更新程序");
    std::string_view utf16(reinterpret_cast<const char*>(description.data()),
                           description.size() * sizeof(wchar_t));
    EXPECT_NE(exe.find(utf16), std::string_view::npos) << "the version resource's description";
}

// Answers the updater's message boxes from a helper thread, in order, and keeps their texts.
class BoxAnswers {
public:
    explicit BoxAnswers(std::vector<int> buttons) : buttons_(std::move(buttons)) {
        thread_ = std::thread([this] { Run(); });
    }
    ~BoxAnswers() { Join(); }
    void Join() {
        if (thread_.joinable()) {
            thread_.join();
        }
    }
    std::vector<std::wstring> Texts() {
        Join();
        return texts_;
    }
    std::vector<std::vector<int>> Buttons() {
        Join();
        return shown_;
    }

private:
    void Run() {
        for (int button : buttons_) {
            HWND box = WaitForDialog(Widen(kUpdaterTitle), ::GetCurrentProcessId(), 20000);
            if (!box) {
                return;
            }
            texts_.push_back(MessageBoxText(box));
            shown_.push_back(MessageBoxButtons(box));
            PressButton(box, button);
            for (int i = 0; i < 200 && ::IsWindow(box); ++i) {
                ::Sleep(20);
            }
        }
    }
    std::vector<int> buttons_;
    std::vector<std::wstring> texts_;
    std::vector<std::vector<int>> shown_;
    std::thread thread_;
};

std::wstring Outcome(const char* text, bool unchanged = true) {
    return Widen(std::string(text) + (unchanged ? kUnchanged : ""));
}

class UpdaterRun : public ::testing::Test {
protected:
    void SetUp() override {
        exe = dir.path() + "velm.exe";
        manifest = dir.path() + "update.txt";
        ASSERT_TRUE(WriteFileBytes(exe, oldBytes));
        server.Route("/release/velm.exe", {200, newBytes});
        options.publicKey = signer.publicKey;
        options.waitMs = 1500;
        options.splashWaitMs = 300;
        // A started client is an event: set when it has ended.
        options.launch = [this](const std::wstring& e, const std::wstring& d) {
            launches.push_back(Narrow(e) + "|" + Narrow(d));
            Started how = Started::Running;
            if (!launchResults.empty()) {
                how = launchResults.front();
                launchResults.erase(launchResults.begin());
            }
            if (how == Started::Failed) {
                return UniqueKernelHandle();
            }
            if (how == Started::ShowsSplashThenEnds) {
                ::DeleteFileA((exe + ".old").c_str()); // as the client does at its splash
            }
            return UniqueKernelHandle(
                ::CreateEventW(nullptr, TRUE, how != Started::Running, nullptr));
        };
    }
    std::string Body(const std::string& bytes, const std::string& path = "/release/velm.exe",
                     const std::string& version = "1.1.1") {
        Sha256::Digest d{};
        Sha256::OfBytes(bytes, d);
        return "[velm]\r\nversion=" + version + "\r\nurl=" + server.Url(path) +
               "\r\nsize=" + std::to_string(bytes.size()) + "\r\nsha256=" + Hex(d) + "\r\n";
    }
    void WriteManifest(const std::string& text) { ASSERT_TRUE(WriteFileBytes(manifest, text)); }
    std::wstring Parameters() const {
        std::string d = dir.path().substr(0, dir.path().size() - 1);
        return Widen(d + "|" + exe);
    }
    UpdateOutcome Run() {
        Updater updater(options);
        return updater.Run(Parameters(), Widen(manifest));
    }
    std::string Dir() const { return dir.path().substr(0, dir.path().size() - 1); }
    void ExpectOldClientInPlace() {
        EXPECT_EQ(ReadFileBytes(exe), oldBytes);
        EXPECT_FALSE(FileExists(exe + ".new"));
        EXPECT_FALSE(FileExists(exe + ".new.part"));
        EXPECT_FALSE(FileExists(exe + ".old"));
    }

    TempDir dir;
    std::string exe;
    std::string manifest;
    HttpTestServer server;
    TestSigner signer;
    UpdaterOptions options;
    std::vector<std::string> launches;
    enum class Started { Running, Failed, EndsBeforeSplash, ShowsSplashThenEnds };
    std::vector<Started> launchResults;
    const std::string oldBytes = "MZ the client as it was " + Pattern(3000, 1);
    // A real client of the next revision: its version resource says 1.1.1, as Body() does.
    const std::string newBytes =
        ReadFileBytes(FromUnixPath(std::string(VELM_BINARY_DIR) + "/release/velm.exe"));
};

TEST_F(UpdaterRun, ReplacesTheExecutableAndStartsIt) {
    ASSERT_GT(newBytes.size(), 10000u) << "the build makes the signed demo release";
    WriteManifest(signer.SignManifest(Body(newBytes)));
    // The server answers slowly enough for the progress window to be seen while the run goes on.
    test::Response slow{200, newBytes};
    slow.delayMs = 600;
    server.Route("/release/velm.exe", slow);
    std::atomic<bool> sawWindow{false};
    std::thread watcher([&] {
        // The window is found as soon as it exists; it shows a moment later.
        const DWORD pid = ::GetCurrentProcessId();
        HWND w = WaitForWindow(
            [pid](HWND h) {
                DWORD owner = 0;
                ::GetWindowThreadProcessId(h, &owner);
                return owner == pid && WindowClass(h) == L"velm.UpdateFrm" && ::IsWindowVisible(h);
            },
            10000);
        sawWindow = w != nullptr;
    });
    EXPECT_EQ(Run(), UpdateOutcome::Updated);
    watcher.join();
    EXPECT_TRUE(sawWindow);
    EXPECT_EQ(ReadFileBytes(exe), newBytes);
    EXPECT_EQ(ReadFileBytes(exe + ".old"), oldBytes)
        << "kept until the new client shows its splash";
    EXPECT_FALSE(FileExists(exe + ".new"));
    EXPECT_EQ(launches, std::vector<std::string>{exe + "|" + Dir()});
    EXPECT_EQ(server.Requests(), std::vector<std::string>{"/release/velm.exe"});
    EXPECT_EQ(::FindWindowW(L"velm.UpdateFrm", nullptr), nullptr) << "the window is gone";
}

TEST_F(UpdaterRun, DigestMismatchKeepsTheClientAndStartsItAgain) {
    std::string tampered = newBytes;
    tampered[5000] ^= 0x20;
    server.Route("/release/velm.exe", {200, tampered});
    WriteManifest(signer.SignManifest(Body(newBytes)));
    BoxAnswers boxes({IDOK});
    EXPECT_EQ(Run(), UpdateOutcome::DigestMismatch);
    EXPECT_EQ(boxes.Texts(), std::vector<std::wstring>{Outcome(kDigestMismatch)});
    EXPECT_EQ(boxes.Buttons(), std::vector<std::vector<int>>{{IDOK}});
    ExpectOldClientInPlace();
    EXPECT_EQ(launches, std::vector<std::string>{exe + "|" + Dir()}) << "the player plays on";
}

TEST_F(UpdaterRun, ReleaseForTheOtherProcessorIsRefused) {
    const std::string other =
        Program(OwnMachine() == kMachineI386 ? kMachineAmd64 : kMachineI386, Pattern(70000, 4));
    server.Route("/release/velm.exe", {200, other});
    WriteManifest(signer.SignManifest(Body(other)));
    BoxAnswers boxes({IDOK});
    EXPECT_EQ(Run(), UpdateOutcome::WrongMachine);
    EXPECT_EQ(boxes.Texts(), std::vector<std::wstring>{Outcome(kWrongMachine)});
    ExpectOldClientInPlace();
}

TEST_F(UpdaterRun, TamperedManifestDownloadsNothing) {
    // An attacker points the signed manifest at an executable of his own.
    std::string evil = "MZ evil " + Pattern(1000, 9);
    server.Route("/evil.exe", {200, evil});
    std::string good = signer.SignManifest(Body(newBytes));
    std::string sigLine = good.substr(good.find("signature="));
    WriteManifest(Body(evil, "/evil.exe") + sigLine);
    BoxAnswers boxes({IDOK});
    EXPECT_EQ(Run(), UpdateOutcome::BadSignature);
    EXPECT_EQ(boxes.Texts(), std::vector<std::wstring>{Outcome(kBadSignature)});
    EXPECT_TRUE(server.Requests().empty()) << "nothing is fetched before the signature holds";
    ExpectOldClientInPlace();
    EXPECT_EQ(launches.size(), 1u);
}

TEST_F(UpdaterRun, ManifestSignedWithAnotherKeyIsRefused) {
    TestSigner other;
    WriteManifest(other.SignManifest(Body(newBytes)));
    BoxAnswers boxes({IDOK});
    EXPECT_EQ(Run(), UpdateOutcome::BadSignature);
    boxes.Join();
    EXPECT_TRUE(server.Requests().empty());
    ExpectOldClientInPlace();
}

TEST_F(UpdaterRun, UnsignedOrMissingManifestIsRefused) {
    WriteManifest(Body(newBytes));
    {
        BoxAnswers boxes({IDOK});
        EXPECT_EQ(Run(), UpdateOutcome::BadManifest);
        EXPECT_EQ(boxes.Texts(), std::vector<std::wstring>{Outcome(kBadManifest)});
    }
    ::DeleteFileA(manifest.c_str());
    {
        BoxAnswers boxes({IDOK});
        EXPECT_EQ(Run(), UpdateOutcome::NoManifest);
        EXPECT_EQ(boxes.Texts(), std::vector<std::wstring>{Outcome(kNoManifest)});
    }
    EXPECT_TRUE(server.Requests().empty());
    ExpectOldClientInPlace();
}

TEST_F(UpdaterRun, TransferBrokenOffKeepsTheClient) {
    Response cut{200, newBytes};
    cut.cutAfter = newBytes.size() / 2;
    server.Route("/release/velm.exe", cut);
    WriteManifest(signer.SignManifest(Body(newBytes)));
    BoxAnswers boxes({IDOK});
    EXPECT_EQ(Run(), UpdateOutcome::DownloadFailed);
    EXPECT_EQ(boxes.Texts(), std::vector<std::wstring>{Outcome(kDownloadFailed)});
    ExpectOldClientInPlace();
}

TEST_F(UpdaterRun, LargerFileThanSignedIsNotFetchedWhole) {
    std::string longer = newBytes + Pattern(500000, 3);
    server.Route("/release/velm.exe", {200, longer});
    WriteManifest(signer.SignManifest(Body(newBytes)));
    BoxAnswers boxes({IDOK});
    EXPECT_EQ(Run(), UpdateOutcome::DigestMismatch);
    boxes.Join();
    ExpectOldClientInPlace();
}

TEST_F(UpdaterRun, ExecutableInUseAsksAndCancelLeavesIt) {
    WriteManifest(signer.SignManifest(Body(newBytes)));
    UniqueFile hold(::CreateFileA(exe.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                  OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(hold);
    BoxAnswers boxes({IDCANCEL, IDOK});
    EXPECT_EQ(Run(), UpdateOutcome::StillRunning);
    auto texts = boxes.Texts();
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_EQ(texts[0], Widen(kAskStillRunning));
    EXPECT_EQ(boxes.Buttons()[0], (std::vector<int>{IDCANCEL, IDRETRY}));
    EXPECT_EQ(texts[1], Outcome(kStillRunning));
    EXPECT_TRUE(server.Requests().empty());
    EXPECT_TRUE(launches.empty()) << "a client is still running; no second one";
    hold.reset();
    ExpectOldClientInPlace();
}

TEST_F(UpdaterRun, ExecutableReleasedAfterRetryIsReplaced) {
    WriteManifest(signer.SignManifest(Body(newBytes)));
    UniqueFile hold(::CreateFileA(exe.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                  OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(hold);
    std::thread answer([&] {
        HWND box = WaitForDialog(Widen(kUpdaterTitle), ::GetCurrentProcessId(), 20000);
        hold.reset(); // the player closed the other client
        if (box) {
            PressButton(box, IDRETRY);
        }
    });
    EXPECT_EQ(Run(), UpdateOutcome::Updated);
    answer.join();
    EXPECT_EQ(ReadFileBytes(exe), newBytes);
}

TEST_F(UpdaterRun, CancelWhileWaitingChangesNothing) {
    WriteManifest(signer.SignManifest(Body(newBytes)));
    options.waitMs = 20000;
    UniqueFile hold(::CreateFileA(exe.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                  OPEN_EXISTING, 0, nullptr));
    std::thread cancel([] {
        HWND w = WaitForClass(L"velm.UpdateFrm", ::GetCurrentProcessId(), 10000);
        ::Sleep(300);
        PressButton(w, UpdateFrm::kCancelId);
    });
    BoxAnswers boxes({IDOK});
    EXPECT_EQ(Run(), UpdateOutcome::Cancelled);
    cancel.join();
    EXPECT_EQ(boxes.Texts(), std::vector<std::wstring>{Outcome(kCancelled)});
    hold.reset();
    ExpectOldClientInPlace();
    EXPECT_EQ(launches.size(), 1u);
}

TEST_F(UpdaterRun, NewExecutableThatDoesNotStartIsRolledBack) {
    WriteManifest(signer.SignManifest(Body(newBytes)));
    launchResults = {Started::Failed, Started::Running};
    BoxAnswers boxes({IDOK});
    EXPECT_EQ(Run(), UpdateOutcome::StartFailed);
    EXPECT_EQ(boxes.Texts(), std::vector<std::wstring>{Widen(kStartFailed)});
    ExpectOldClientInPlace();
    EXPECT_EQ(launches.size(), 2u) << "the new one failed, the previous one started again";
}

TEST_F(UpdaterRun, ReadOnlyExecutableIsReplacedToo) {
    ASSERT_TRUE(::SetFileAttributesA(exe.c_str(), FILE_ATTRIBUTE_READONLY));
    WriteManifest(signer.SignManifest(Body(newBytes)));
    EXPECT_EQ(Run(), UpdateOutcome::Updated) << "a read-only file is not a running client";
    EXPECT_EQ(ReadFileBytes(exe), newBytes);
    EXPECT_EQ(ReadFileBytes(exe + ".old"), oldBytes);
}

TEST_F(UpdaterRun, LeftOverBackupOfAnEarlierRunIsReplaced) {
    ASSERT_TRUE(WriteFileBytes(exe + ".old", "stale"));
    WriteManifest(signer.SignManifest(Body(newBytes)));
    EXPECT_EQ(Run(), UpdateOutcome::Updated);
    EXPECT_EQ(ReadFileBytes(exe), newBytes);
    EXPECT_EQ(ReadFileBytes(exe + ".old"), oldBytes) << "the stale backup made way for this one";
}

TEST_F(UpdaterRun, ReleaseNotNewerThanTheInstalledClientIsRefusedUnlessSignedAsRollBack) {
    // The installed client is a real program of this build (this test, version 1.1.0 in its
    // version resource), so the updater reads the version the way it reads the player's client.
    wchar_t self[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, self, MAX_PATH);
    ASSERT_TRUE(::CopyFileW(self, Widen(exe).c_str(), FALSE));
    const std::string installed = ReadFileBytes(exe);
    for (const char* version : {"1.1.0", "1.0.9", "1.0.10"}) {
        WriteManifest(signer.SignManifest(Body(newBytes, "/release/velm.exe", version)));
        BoxAnswers boxes({IDOK});
        EXPECT_EQ(Run(), UpdateOutcome::NotNewer) << version;
        EXPECT_EQ(boxes.Texts(), std::vector<std::wstring>{Outcome(kNotNewer)}) << version;
        EXPECT_EQ(ReadFileBytes(exe), installed) << version;
    }
    EXPECT_TRUE(server.Requests().empty()) << "nothing is fetched for a refused release";
}

TEST_F(UpdaterRun, ARollBackReplacesOnlyTheVersionsItNames) {
    // Installed: the next revision (1.1.1). Offered back: this build (1.1.0), a real program too.
    wchar_t self[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, self, MAX_PATH);
    const std::string thisBuild = ReadFileBytes(Narrow(self));
    ASSERT_TRUE(WriteFileBytes(exe, newBytes));
    server.Route("/release/velm.exe", {200, thisBuild});
    const std::string rollBack =
        Body(thisBuild, "/release/velm.exe", "1.1.0") + "downgrade=allowed\r\n";
    WriteManifest(signer.SignManifest(rollBack));
    {
        BoxAnswers boxes({IDOK});
        EXPECT_EQ(Run(), UpdateOutcome::BadManifest) << "a roll-back of every later version";
    }
    WriteManifest(signer.SignManifest(rollBack + "replaces=1.1.2,1.1.3\r\n"));
    {
        BoxAnswers boxes({IDOK});
        EXPECT_EQ(Run(), UpdateOutcome::NotNewer) << "a roll-back of other versions";
    }
    EXPECT_TRUE(server.Requests().empty());
    EXPECT_EQ(ReadFileBytes(exe), newBytes);
    WriteManifest(signer.SignManifest(rollBack + "replaces=1.1.2,1.1.1\r\n"));
    EXPECT_EQ(Run(), UpdateOutcome::Updated);
    EXPECT_EQ(ReadFileBytes(exe), thisBuild);
}

TEST_F(UpdaterRun, ReleaseWhoseOwnVersionIsNotTheManifestsIsRefused) {
    // The signed manifest says 1.1.2; the executable it names says 1.1.1 of itself.
    WriteManifest(signer.SignManifest(Body(newBytes, "/release/velm.exe", "1.1.2")));
    BoxAnswers boxes({IDOK});
    EXPECT_EQ(Run(), UpdateOutcome::VersionMismatch);
    EXPECT_EQ(boxes.Texts(), std::vector<std::wstring>{Outcome(kVersionMismatch)});
    ExpectOldClientInPlace();
    EXPECT_EQ(launches.size(), 1u) << "the previous client is started again";
}

TEST_F(UpdaterRun, ASecondUpdaterEndsAtOnceAndTouchesNothing) {
    WriteManifest(signer.SignManifest(Body(newBytes)));
    ASSERT_TRUE(WriteFileBytes(exe + ".new", "the first updater's download"));
    // The first updater, in another thread (a mutex is its owner thread's to take again).
    HANDLE taken = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    HANDLE finish = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    std::thread first([&] {
        HANDLE mutex = ::CreateMutexW(nullptr, TRUE, kUpdaterMutexName);
        ::SetEvent(taken);
        ::WaitForSingleObject(finish, 30000);
        ::ReleaseMutex(mutex);
        ::CloseHandle(mutex);
    });
    ::WaitForSingleObject(taken, 5000);
    BoxAnswers boxes({IDOK});
    EXPECT_EQ(Run(), UpdateOutcome::AlreadyRunning);
    ::SetEvent(finish);
    first.join();
    ::CloseHandle(taken);
    ::CloseHandle(finish);
    EXPECT_EQ(boxes.Texts(), std::vector<std::wstring>{Widen(kAlreadyRunning)});
    EXPECT_EQ(ReadFileBytes(exe + ".new"), "the first updater's download");
    EXPECT_EQ(ReadFileBytes(exe), oldBytes);
    EXPECT_TRUE(server.Requests().empty());
    EXPECT_TRUE(launches.empty()) << "the updater at work starts the client";
}

TEST_F(UpdaterRun, ANewClientThatEndsBeforeItsSplashIsRolledBack) {
    WriteManifest(signer.SignManifest(Body(newBytes)));
    launchResults = {Started::EndsBeforeSplash, Started::Running};
    {
        BoxAnswers boxes({IDOK});
        EXPECT_EQ(Run(), UpdateOutcome::ExitedEarly);
        EXPECT_EQ(boxes.Texts(), std::vector<std::wstring>{Widen(kExitedEarly)});
    }
    ExpectOldClientInPlace();
    EXPECT_EQ(launches.size(), 2u) << "the new one ended, the previous one started again";
    // One that got to its splash (and removed the backup) has shown that it works here.
    launches.clear();
    launchResults = {Started::ShowsSplashThenEnds};
    EXPECT_EQ(Run(), UpdateOutcome::Updated);
    EXPECT_EQ(ReadFileBytes(exe), newBytes);
    EXPECT_FALSE(FileExists(exe + ".old"));
    EXPECT_EQ(launches.size(), 1u);
}

TEST(ExecutableSwapHeld, NobodyChangesTheStagedFileBetweenCheckAndSwap) {
    const std::string previous = Program(OwnMachine(), "previous " + Pattern(5000, 5));
    const std::string checked = Program(OwnMachine(), "checked " + Pattern(6000, 6));
    TempDir dir;
    const std::string exe = dir.path() + "velm.exe";
    const std::string staged = exe + ".new";
    ASSERT_TRUE(WriteFileBytes(exe, previous));
    ASSERT_TRUE(WriteFileBytes(staged, checked));
    ExecutableSwap swap(Widen(exe));
    ASSERT_TRUE(swap.HoldStaged());
    // Another program tries to write, replace or move it aside.
    UniqueFile writer(::CreateFileA(staged.c_str(), GENERIC_WRITE,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, 0, nullptr));
    EXPECT_FALSE(writer) << "opened for writing";
    EXPECT_FALSE(::DeleteFileA(staged.c_str()));
    EXPECT_FALSE(::MoveFileExA(staged.c_str(), (dir.path() + "aside").c_str(), 0));
    UniqueFile reader(::CreateFileA(staged.c_str(), GENERIC_READ,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, 0, nullptr));
    EXPECT_TRUE(reader) << "reading stays possible";
    reader.reset();
    EXPECT_EQ(swap.Install(), ExecutableSwap::Result::Installed);
    EXPECT_EQ(ReadFileBytes(exe), checked);
    EXPECT_FALSE(FileExists(staged));
}

// The swap stopped after each of its steps, as a power cut or a killed updater would stop it:
// the client's name always holds a whole program, and the next run puts a working one in place.
TEST(ExecutableSwapStopped, EveryStepLeavesAWorkingClient) {
    const std::string previous = Program(OwnMachine(), "previous " + Pattern(5000, 5));
    const std::string next = Program(OwnMachine(), "next " + Pattern(6000, 6));
    struct Stopped {};
    for (auto step : {ExecutableSwap::Step::Flushed, ExecutableSwap::Step::BackedUp,
                      ExecutableSwap::Step::Replaced}) {
        TempDir dir;
        const std::string exe = dir.path() + "velm.exe";
        ASSERT_TRUE(WriteFileBytes(exe, previous));
        ASSERT_TRUE(WriteFileBytes(exe + ".new", next));
        ExecutableSwap swap(Widen(exe));
        swap.stepHook = [step](ExecutableSwap::Step reached) {
            if (reached == step) {
                throw Stopped{};
            }
        };
        EXPECT_THROW(swap.Install(), Stopped);
        const std::string left = ReadFileBytes(exe);
        EXPECT_TRUE(left == previous || left == next) << static_cast<int>(step);
        EXPECT_TRUE(ExecutableSwap(Widen(exe)).Recover()) << static_cast<int>(step);
        EXPECT_TRUE(IsOwnProgram(Widen(exe))) << static_cast<int>(step);
    }
}

TEST(ExecutableSwapStopped, AMissingOrZeroedClientIsRestoredFromItsBackup) {
    const std::string previous = Program(OwnMachine(), "previous " + Pattern(5000, 5));
    TempDir dir;
    const std::string exe = dir.path() + "velm.exe";
    for (bool zeroed : {false, true}) {
        ::DeleteFileA(exe.c_str());
        if (zeroed) {
            ASSERT_TRUE(WriteFileBytes(exe, std::string(previous.size(), '\0')));
        }
        ASSERT_TRUE(WriteFileBytes(exe + ".old", previous));
        EXPECT_TRUE(ExecutableSwap(Widen(exe)).Recover()) << zeroed;
        EXPECT_EQ(ReadFileBytes(exe), previous) << zeroed;
    }
}

TEST(UpdaterArgumentsRun, BadParametersSayWhyAndTouchNothing) {
    UpdaterOptions options;
    bool launched = false;
    options.launch = [&](const std::wstring&, const std::wstring&) {
        launched = true;
        return UniqueKernelHandle();
    };
    BoxAnswers boxes({IDOK});
    Updater updater(options);
    EXPECT_EQ(updater.Run(L"nonsense", L"C:\\nowhere\\update.txt"), UpdateOutcome::BadParameters);
    EXPECT_EQ(boxes.Texts(), std::vector<std::wstring>{Widen(kBadParameters)});
    EXPECT_FALSE(launched);
    EXPECT_EQ(::FindWindowW(L"velm.UpdateFrm", nullptr), nullptr);
}

} // namespace
} // namespace velm
