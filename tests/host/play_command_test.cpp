// play starts the video player with the video's path, a launch token and
// the video's header block (the last two on its standard input, "-" in
// their places on its command line), checked with a stand-in player that
// records what it was given: the token and the block are deciphered here with
// OpenSSL under the built-in token key, and the block compared with the one
// FFmpeg reads out of the video's header stream.
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <ctime>
#include <set>
#include <thread>

#include "host_process.h"
#include "key_file_fields.h"
#include "launch_token_keys.h"
#include "protected_sample.h"
#include "recording_program.h"
#include "scoped_environment.h"
#include "support/files.h"
#include "support/oracle.h"
#include "support/test_bytes.h"
#include "support/text_patterns.h"
#include "video_sample.h"
#include "world_writable_scratch_dir.h"

using namespace folio_test;

namespace host_test {
namespace {

constexpr std::size_t kPlayerMaxTokenDigits = 254;  // its 128-byte buffer, less a NUL

Bytes token_cipher(const Bytes &data) {
  const Bytes nonce = slice(bytes_of(FOLIO_TOKEN_NONCE), 0, 8);
  return oracle::aes_ctr(bytes_of(FOLIO_TOKEN_KEY), nonce, 0, data);
}

// The deciphered token text up to its first NUL, as the player reads it.
std::string token_text(const std::string &token) {
  EXPECT_EQ(token.size() % 2, 0u) << "the player refuses an odd number of digits";
  EXPECT_LE(token.size(), kPlayerMaxTokenDigits);
  EXPECT_TRUE(folio_test::matches_whole(token, "[0-9A-Fa-f]*")) << token;
  const Bytes text = token_cipher(from_hex(token));
  const std::string whole(text.begin(), text.end());
  return whole.substr(0, whole.find('\0'));
}

// The content key digits where the player takes them: the 64 characters
// after the first space.
std::string player_key_digits(const std::string &text) {
  const std::size_t space = text.find(' ');
  if (space == std::string::npos || text.size() - space - 1 < 64) {
    ADD_FAILURE() << "no 64 key digits after a space: " << text;
    return {};
  }
  return text.substr(space + 1, 64);
}

// The header block argument, decoded and deciphered.
Bytes header_block_argument(const std::string &base64) {
  const Bytes decoded = oracle::base64_decode(base64);
  EXPECT_EQ(oracle::base64(decoded), base64) << "standard, padded Base64";
  EXPECT_EQ(decoded.size(), kHeaderBlockBytes);
  return token_cipher(decoded);
}

// The single packet of the video's header stream, read by FFmpeg.
Bytes header_block_in(const std::string &video_path) {
  const auto packets = packets_of(media::read_media(video_path), 0);
  if (packets.size() != 1) {
    ADD_FAILURE() << video_path << " has " << packets.size() << " header packets";
    return {};
  }
  return Bytes(packets[0].data.begin(), packets[0].data.end());
}

// Checked as issued between before and after.
void expect_leading_field_issued_between(const std::string &text, std::int64_t before,
                                         std::int64_t after) {
  ASSERT_TRUE(folio_test::matches_whole(text, "1[0-9]{10} [0-9a-f]{64}")) << text;
  const std::int64_t issued = std::stoll(text.substr(1, 10));
  EXPECT_GE(issued, before);
  EXPECT_LE(issued, after);
}

class PlayFixture : public testing::Test {
 protected:
  void SetUp() override {
    video_ = protect_video_sample(dir_, "source.mp4", "locked.mp4", small_clip(1.5));
    ASSERT_EQ(video_.run.exit_code, 0);
    player_ = write_recording_program(dir_, "player", record_);
  }
  RunResult play(const std::vector<std::string> &more = {}) {
    std::vector<std::string> arguments = {"play", video_.protected_path, "--key-file",
                                          video_.key_path, "--player", player_};
    arguments.insert(arguments.end(), more.begin(), more.end());
    return run_host(arguments);
  }
  // A rejected run that never started the player.
  void expect_refused(const RunResult &run, const std::string &file, const std::string &reason) {
    expect_rejected(run, file, reason);
    EXPECT_FALSE(file_exists(record_)) << "the player must not be started";
  }

  WorldWritableScratchDir dir_;
  ProtectedVideo video_;
  const std::string record_ = dir_.path("argv");
  std::string player_;
};

// ---- A protected video with its key file ----------------------------------------

class PlayArguments : public PlayFixture {};

TEST_F(PlayArguments, AreThePathATokenForTheKeyFilesKeyAndTheHeaderBlockOnStandardInput) {
  const std::int64_t before = std::time(nullptr);
  const RunResult run = play();
  const std::int64_t after = std::time(nullptr);
  ASSERT_EQ(run.exit_code, 0) << run.err;
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(run.out, "");

  const std::vector<std::string> argv = recorded_arguments(record_);
  ASSERT_EQ(argv.size(), 4u) << "the program name and three arguments: no mode means play";
  EXPECT_EQ(argv[0], player_);
  EXPECT_EQ(argv[1], video_.protected_path);
  EXPECT_EQ(argv[2], "-") << "no token on the player's command line";
  EXPECT_EQ(argv[3], "-") << "no header block on the player's command line";
  const std::vector<std::string> input = recorded_input_lines(record_);
  ASSERT_EQ(input.size(), 2u) << "the token and the header block, one line each";

  const std::string text = token_text(input[0]);
  EXPECT_EQ(player_key_digits(text), key_file_fields(read_text(video_.key_path)).at("key"));
  expect_leading_field_issued_between(text, before, after);

  const Bytes header = header_block_in(video_.protected_path);
  ASSERT_EQ(header.size(), kHeaderBlockBytes);
  EXPECT_EQ(to_hex(header_block_argument(input[1])), to_hex(header))
      << "the block must decipher to the one the video carries";
}

TEST_F(PlayArguments, PlayerFromTheEnvironmentWhenNoOptionNamesOne) {
  const std::string by_environment =
      write_recording_program(dir_, "by-environment", dir_.path("environment.argv"));
  const ScopedEnvironment environment("FOLIO_MORLAN", by_environment.c_str());
  const RunResult run =
      run_host({"play", video_.protected_path, "--key-file", video_.key_path});
  ASSERT_EQ(run.exit_code, 0) << run.err;
  EXPECT_EQ(recorded_arguments(dir_.path("environment.argv")).at(0), by_environment);

  ASSERT_EQ(play().exit_code, 0) << "--player wins over the environment";
  EXPECT_EQ(recorded_arguments(record_).at(0), player_);
}

// ---- How the player ended is how folio-host ends ------------------------------

class PlayExitStatus : public PlayFixture {};

TEST_F(PlayExitStatus, IsThePlayersOwn) {
  const std::string failing =
      write_recording_program(dir_, "failing-player", record_, {3, false});
  const RunResult run =
      run_host({"play", video_.protected_path, "--key-file", video_.key_path, "--player", failing});
  EXPECT_EQ(run.exit_code, 3);
  EXPECT_EQ(run.err, "");
}

TEST_F(PlayExitStatus, TerminationIsPassedOnToThePlayer) {
  const std::string waiting =
      write_recording_program(dir_, "waiting-player", record_, {0, true});
  BackgroundHost host(
      {"play", video_.protected_path, "--key-file", video_.key_path, "--player", waiting});
  // The signal must reach a running player, not a folio-host still checking.
  for (int tries = 0; tries < 500 && !file_exists(record_) && host.running(); ++tries)
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  ASSERT_TRUE(file_exists(record_)) << "the player never started";
  host.send(SIGTERM);
  const RunResult run = host.wait();
  EXPECT_EQ(run.exit_code, 128 + SIGTERM) << "folio-host reports the player's end, not its own";
}

// ---- Files play refuses, before any player starts -----------------------------

class PlayRefuses : public PlayFixture {
 protected:
  RunResult play_with(const std::string &video, const std::string &key) {
    return run_host({"play", video, "--key-file", key, "--player", player_});
  }
};

TEST_F(PlayRefuses, DocumentKeyFile) {
  ASSERT_EQ(run_host({"protect", video_.source_path, dir_.path("doc.folio")}).exit_code, 0);
  const std::string key = dir_.path("doc.folio.key");
  expect_refused(play_with(video_.protected_path, key), key,
                 "is the key file of a document, not of a video");
}

TEST_F(PlayRefuses, AnotherVideosKeyFile) {
  ASSERT_EQ(run_host({"protect-video", video_.source_path, dir_.path("other.mp4")}).exit_code, 0);
  expect_refused(play_with(video_.protected_path, dir_.path("other.mp4.key")),
                 video_.protected_path, "key file does not belong to this video");
}

// The nonce alone would let a wrong key through to the player.
TEST_F(PlayRefuses, KeyFileWithTheRightNonceAndAnotherKey) {
  const std::string text = read_text(video_.key_path);
  const std::size_t key_at = text.find("\nkey: ") + 6;
  std::string edited = text;
  edited[key_at] = edited[key_at] == '0' ? '1' : '0';
  write_text(dir_.path("edited.key"), edited);
  expect_refused(play_with(video_.protected_path, dir_.path("edited.key")),
                 video_.protected_path, "key file does not belong to this video");
}

TEST_F(PlayRefuses, ClearVideo) {
  expect_refused(play_with(video_.source_path, video_.key_path), video_.source_path,
                 "is not a protected video");
}

TEST_F(PlayRefuses, MissingVideo) {
  expect_refused(play_with(dir_.path("none.mp4"), video_.key_path), dir_.path("none.mp4"),
                 "No such file or directory");
}

TEST_F(PlayRefuses, MissingKeyFile) {
  expect_refused(play_with(video_.protected_path, dir_.path("none.key")), dir_.path("none.key"),
                 "No such file or directory");
}

TEST_F(PlayRefuses, MissingPlayer) {
  const std::string missing = dir_.path("no-such-player");
  const RunResult run =
      run_host({"play", video_.protected_path, "--key-file", video_.key_path, "--player", missing});
  expect_rejected(run, missing, "player not found");
  EXPECT_NE(run.err.find("--player or FOLIO_MORLAN"), std::string::npos) << run.err;
}

TEST_F(PlayRefuses, PathLongerThanThePlayerTakes) {
  // Another name for the video, over the 255 bytes the player keeps.
  std::string long_path = video_.protected_path;
  while (long_path.size() <= 255) long_path.insert(long_path.rfind('/'), "/.");
  expect_refused(play_with(long_path, video_.key_path), long_path, "path too long for the player");
}

TEST_F(PlayRefuses, MissingKeyFileOptionIsAUsageError) {
  const RunResult run = run_host({"play", video_.protected_path, "--player", player_});
  EXPECT_EQ(run.exit_code, 2);
  EXPECT_NE(run.err.find("missing --key-file"), std::string::npos) << run.err;
  EXPECT_FALSE(file_exists(record_));
}

// ---- --encrypt: a clear video the player encrypts, then plays -------------------

class PlayEncrypt : public PlayFixture {
 protected:
  RunResult play_encrypt(const std::string &video, const std::vector<std::string> &more = {}) {
    std::vector<std::string> arguments = {"play", "--encrypt", video, "--player", player_};
    arguments.insert(arguments.end(), more.begin(), more.end());
    return run_host(arguments);
  }
};

// The player ignores the key in encrypt mode, but refuses a token and a
// header block it cannot read: they must be as sound as for play.
TEST_F(PlayEncrypt, AddsMode1ToASoundTokenAndHeaderBlock) {
  const std::set<std::string> before = dir_.names();
  const std::int64_t issued_from = std::time(nullptr);
  const RunResult run = play_encrypt(video_.source_path);
  const std::int64_t issued_to = std::time(nullptr);
  ASSERT_EQ(run.exit_code, 0) << run.err;
  EXPECT_EQ(run.err, "");

  const std::vector<std::string> argv = recorded_arguments(record_);
  ASSERT_EQ(argv.size(), 5u);
  EXPECT_EQ(argv[1], video_.source_path);
  EXPECT_EQ(argv[2], "-");
  EXPECT_EQ(argv[3], "-");
  EXPECT_EQ(argv[4], "1");
  const std::vector<std::string> input = recorded_input_lines(record_);
  ASSERT_EQ(input.size(), 2u);

  const std::string text = token_text(input[0]);
  expect_leading_field_issued_between(text, issued_from, issued_to);
  const Bytes header = header_block_argument(input[1]);
  ASSERT_EQ(header.size(), kHeaderBlockBytes);
  EXPECT_EQ(le32_at(header, 508), oracle::crc32(header.data(), 508)) << "an intact block";
  ASSERT_EQ(le32_at(header, 44), 32u) << "holding a wrapped key";
  EXPECT_EQ(to_hex(token_cipher(slice(header, 48, 32))), player_key_digits(text))
      << "the block wraps the token's key";

  std::set<std::string> after = before;
  after.insert("argv");
  after.insert("argv.stdin");
  EXPECT_EQ(dir_.names(), after) << "folio-host itself writes nothing";
}

TEST_F(PlayEncrypt, FreshKeyEachTime) {
  ASSERT_EQ(play_encrypt(video_.source_path).exit_code, 0);
  const std::string first = player_key_digits(token_text(recorded_input_lines(record_).at(0)));
  ASSERT_EQ(play_encrypt(video_.source_path).exit_code, 0);
  EXPECT_NE(player_key_digits(token_text(recorded_input_lines(record_).at(0))), first);
}

TEST_F(PlayEncrypt, RefusesAProtectedVideo) {
  expect_refused(play_encrypt(video_.protected_path), video_.protected_path,
                 "is already a protected video");
}

TEST_F(PlayEncrypt, RefusesAMissingFile) {
  expect_refused(play_encrypt(dir_.path("none.mp4")), dir_.path("none.mp4"),
                 "No such file or directory");
}

TEST_F(PlayEncrypt, RefusesAFileThatIsNotMedia) {
  write_file(dir_.path("noise.mp4"), random_bytes(20000, 23));
  expect_refused(play_encrypt(dir_.path("noise.mp4")), dir_.path("noise.mp4"),
                 "is not a media file");
}

// The player writes its copy in the source's container, which must carry
// the header stream.
TEST_F(PlayEncrypt, RefusesAContainerThatCannotBeProtected) {
  media::make_clip(dir_.path("clip.mkv"), small_clip(0.5));
  expect_refused(play_encrypt(dir_.path("clip.mkv")), dir_.path("clip.mkv"), ".mp4");
}

TEST_F(PlayEncrypt, RefusesToHaveThePlayerOverwriteAFile) {
  write_text(dir_.path("source_e.mp4"), "someone's file");
  expect_refused(play_encrypt(video_.source_path), dir_.path("source_e.mp4"), "already exists");
  EXPECT_EQ(read_text(dir_.path("source_e.mp4")), "someone's file");
}

TEST_F(PlayEncrypt, KeyFileOptionIsAUsageError) {
  const RunResult run = play_encrypt(video_.source_path, {"--key-file", video_.key_path});
  EXPECT_EQ(run.exit_code, 2);
  EXPECT_NE(run.err.find("--key-file does not go with --encrypt"), std::string::npos) << run.err;
  EXPECT_FALSE(file_exists(record_));
}

// ---- The player built with the tool -------------------------------------------------

// The player ends with 255 at start-up when it cannot read the token or
// the header block, and with 0 once past it, whatever happens next (on a
// screen-less machine it cannot open its video window). The video library
// reads the header block for the duration before any window is made.
TEST(PlayRealPlayer, AcceptsTheTokenAndTheHeaderBlock) {
#ifndef FOLIO_MORLAN_BINARY
  GTEST_SKIP() << "the player is not part of this build";
#else
  if (!file_exists(FOLIO_MORLAN_BINARY)) GTEST_SKIP() << "Morlan is not built";
  WorldWritableScratchDir dir;
  const ProtectedVideo video = protect_video_sample(dir, "source.mp4", "locked.mp4", small_clip(1));
  ASSERT_EQ(video.run.exit_code, 0);
  const ScopedEnvironment no_player_named("FOLIO_MORLAN", nullptr);
  const ScopedEnvironment qt_without_screen("QT_QPA_PLATFORM", "offscreen");
  // In the sanitizer build the player's window set-up loads Mesa's EGL
  // driver, which leaves allocations in a module unloaded before the leak
  // check; the player's own leaks are checked by its own tests.
  const ScopedEnvironment no_leak_check("ASAN_OPTIONS", "detect_leaks=0");
  // No --player and no FOLIO_MORLAN: the player built with the tool.
  const RunResult run = run_host({"play", video.protected_path, "--key-file", video.key_path});
  EXPECT_EQ(run.exit_code, 0) << run.out << run.err;
  EXPECT_EQ(run.out.find("fail to get video timespan"), std::string::npos) << run.out;
  EXPECT_EQ(run.err.find("folio-host:"), std::string::npos) << run.err;
#endif
}

// ---- Help ---------------------------------------------------------------------------

TEST(PlayHelp, NamesBothFormsAndTheChoiceOfPlayer) {
  const RunResult run = run_host({"play", "--help"});
  EXPECT_EQ(run.exit_code, 0);
  EXPECT_EQ(run.out.rfind("Usage: folio-host play <protected video> --key-file <file>", 0), 0u)
      << run.out;
  for (const char *part : {"--encrypt", "--player", "FOLIO_MORLAN"})
    EXPECT_NE(run.out.find(part), std::string::npos) << part;
  EXPECT_NE(run_host({"--help"}).out.find("  play <protected video>"), std::string::npos);
}

}  // namespace
}  // namespace host_test
