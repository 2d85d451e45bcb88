// No launch secret on a running viewer's command line: what every local
// user reads in /proc/<pid>/cmdline (and ps shows) holds neither the token
// nor the nonce (pageview) nor the header block (Morlan) once the viewer is
// showing its document, whether they came as arguments, which it wipes, or
// on standard input, with "-" in their places. folio-host open and play
// start the real viewers that way.
#include <gtest/gtest.h>
#include <signal.h>

#include <string>
#include <vector>

#include "proc_view.h"
#include "protected_inputs.h"
#include "support/files.h"
#include "support/wait.h"
#include "viewer_process.h"
#include "viewer_runs.h"

namespace hardening_test {
namespace {

using folio_test::ScratchDir;

// Neither the secret nor any long piece of it is on the command line.
void expectAbsent(const std::string &commandLine, const std::string &secret, const char *what) {
  ASSERT_GE(secret.size(), 16u);
  for (std::size_t at = 0; at + 16 <= secret.size(); at += 8)
    EXPECT_EQ(commandLine.find(secret.substr(at, 16)), std::string::npos)
        << what << " (from character " << at << ") is on the command line";
}

std::vector<std::string> withProgram(const std::string &program, std::vector<std::string> arguments) {
  arguments.insert(arguments.begin(), program);
  return arguments;
}

// The command line once exec has happened: it starts with the program.
bool waitForExec(pid_t pid, const std::string &program) {
  return folio_test::wait_until([&] {
    const std::vector<std::string> words = commandLineWords(pid);
    return !words.empty() && words[0] == program;
  });
}

// ---- pageview ----------------------------------------------------------------

class PageviewCommandLine : public ::testing::Test {
 protected:
  ScratchDir dir;
  ViewerHome home{dir, "pageview"};
  ProtectedInput pdf = protectedPdf(dir);
};

TEST_F(PageviewCommandLine, TokenAndNonceArgumentsAreWipedOnceRead) {
  ChildProcess viewer({withProgram(pageviewProgram(), pageviewArguments(pdf, "pdf", false)),
                       pageviewEnvironment(home)});
  viewer.closeInput();
  ASSERT_TRUE(waitForPage(viewer)) << viewer.output();

  const std::string commandLine = commandLineBytes(viewer.pid());
  expectAbsent(commandLine, pdf.token, "the launch token");
  EXPECT_EQ(commandLine.find(pdf.nonce), std::string::npos) << "the nonce is on the command line";
  // The same process, its other arguments in place and the secret ones
  // blanked where they were.
  const std::vector<std::string> words = commandLineWords(viewer.pid());
  ASSERT_GE(words.size(), 8u);
  EXPECT_EQ(words[0], pageviewProgram());
  EXPECT_EQ(words[1], pdf.path);
  EXPECT_NE(commandLine.find("hardening@example.com"), std::string::npos);
  EXPECT_EQ(viewer.stop(), 128 + SIGTERM) << viewer.output();
}

TEST_F(PageviewCommandLine, TokenFromStandardInputNeverReachesTheCommandLine) {
  ChildProcess viewer({withProgram(pageviewProgram(), pageviewArguments(pdf, "pdf", true)),
                       pageviewEnvironment(home)});
  ASSERT_TRUE(waitForExec(viewer.pid(), pageviewProgram()));
  EXPECT_EQ(commandLineWords(viewer.pid()).at(2), "-");
  expectAbsent(commandLineBytes(viewer.pid()), pdf.token, "the launch token");

  viewer.sendInput(pdf.token + "\n");
  ASSERT_TRUE(waitForPage(viewer)) << "the token from standard input must open the document\n"
                                   << viewer.output();
  const std::string commandLine = commandLineBytes(viewer.pid());
  expectAbsent(commandLine, pdf.token, "the launch token");
  EXPECT_EQ(commandLine.find(pdf.nonce), std::string::npos);
  EXPECT_EQ(viewer.stop(), 128 + SIGTERM) << viewer.output();
}

TEST_F(PageviewCommandLine, MissingTokenLineIsRefused) {
  ChildProcess viewer({withProgram(pageviewProgram(), pageviewArguments(pdf, "pdf", true)),
                       pageviewEnvironment(home)});
  viewer.closeInput();
  EXPECT_EQ(viewer.waitForExit(folio_test::kGenerousDeadline), 1);
  EXPECT_NE(viewer.output().find("launch token read error !"), std::string::npos) << viewer.output();
  EXPECT_EQ(viewer.output().find(kPageShownMessage), std::string::npos);
}

TEST_F(PageviewCommandLine, WrongTokenLineOpensNothing) {
  ChildProcess viewer({withProgram(pageviewProgram(), pageviewArguments(pdf, "pdf", true)),
                       pageviewEnvironment(home)});
  viewer.sendInput(pdf.token.substr(2) + "\n");  // 148 digits: refused, as on the command line
  EXPECT_EQ(viewer.waitForExit(folio_test::kGenerousDeadline), 1) << viewer.output();
  EXPECT_EQ(viewer.output().find(kPageShownMessage), std::string::npos);
}

// ---- Morlan ------------------------------------------------------------------

class MorlanCommandLine : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string why;
    screen = startPlayerScreen(dir, why);
    if (!screen) GTEST_SKIP() << why;
    clip = protectedClip(dir, 20);
  }

  ScratchDir dir;
  ViewerHome home{dir, "morlan"};
  std::unique_ptr<PlayerScreen> screen;
  ProtectedInput clip;
};

TEST_F(MorlanCommandLine, TokenAndHeaderArgumentsAreWipedOnceRead) {
  ChildProcess player({withProgram(morlanProgram(), morlanArguments(clip, false)),
                       morlanEnvironment(home, *screen)});
  player.closeInput();
  ASSERT_TRUE(waitForPlayerWindow(*screen, clip.path, player)) << player.output();

  const std::string commandLine = commandLineBytes(player.pid());
  expectAbsent(commandLine, clip.token, "the launch token");
  expectAbsent(commandLine, clip.header, "the header block");
  const std::vector<std::string> words = commandLineWords(player.pid());
  ASSERT_GE(words.size(), 4u);
  EXPECT_EQ(words[0], morlanProgram());
  EXPECT_EQ(words[1], clip.path);
  player.stop();
}

TEST_F(MorlanCommandLine, TokenAndHeaderFromStandardInputNeverReachTheCommandLine) {
  ChildProcess player({withProgram(morlanProgram(), morlanArguments(clip, true)),
                       morlanEnvironment(home, *screen)});
  ASSERT_TRUE(waitForExec(player.pid(), morlanProgram()));
  player.sendInput(clip.token + "\n" + clip.header + "\n");
  ASSERT_TRUE(waitForPlayerWindow(*screen, clip.path, player))
      << "the token and header block from standard input must play the video\n"
      << player.output();
  const std::string commandLine = commandLineBytes(player.pid());
  expectAbsent(commandLine, clip.token, "the launch token");
  expectAbsent(commandLine, clip.header, "the header block");
  EXPECT_EQ(commandLineWords(player.pid()),
            (std::vector<std::string>{morlanProgram(), clip.path, "-", "-"}));
  player.stop();
}

TEST_F(MorlanCommandLine, TokenOnlyFormReadsBothLines) {
  // "Morlan <video> -": the header block comes from standard input too.
  ChildProcess player({{morlanProgram(), clip.path, "-"}, morlanEnvironment(home, *screen)});
  player.sendInput(clip.token + "\n" + clip.header + "\n");
  ASSERT_TRUE(waitForPlayerWindow(*screen, clip.path, player)) << player.output();
  player.stop();
}

TEST_F(MorlanCommandLine, MissingHeaderLineIsRefused) {
  ChildProcess player({withProgram(morlanProgram(), morlanArguments(clip, true)),
                       morlanEnvironment(home, *screen)});
  player.sendInput(clip.token + "\n");
  EXPECT_EQ(player.waitForExit(folio_test::kGenerousDeadline), 255) << player.output();
}

// ---- Started by folio-host -------------------------------------------------------

// The viewer folio-host started, once it runs (its command line starts
// with the program); 0 when folio-host ended first.
pid_t startedChild(ChildProcess &host, const std::string &program) {
  pid_t child = 0;
  folio_test::wait_until([&] {
    for (pid_t pid : childrenOf(host.pid())) {
      const std::vector<std::string> words = commandLineWords(pid);
      if (!words.empty() && words[0] == program) child = pid;
    }
    return child != 0 || !host.running();
  });
  return child;
}

// The key file's content key, which the launch token carries.
std::string keyOf(const std::string &keyFile) {
  const std::string text = folio_test::read_text(keyFile);
  const std::size_t at = text.find("\nkey: ");
  return at == std::string::npos ? std::string() : text.substr(at + 6, 64);
}

TEST(FolioHostLaunch, OpenLeavesNoSecretOnTheViewersCommandLine) {
  ScratchDir dir;
  ViewerHome home(dir, "open");
  const std::string path = dir.path("report.fpd");
  {
    ChildProcess protect({{folioHostProgram(), "protect", HARDENING_SAMPLES_DIR "/report.pdf", path}, {}});
    ASSERT_EQ(protect.waitForExit(folio_test::kGenerousDeadline), 0) << protect.output();
  }
  Environment environment = pageviewEnvironment(home);
  environment["FOLIO_PAGEVIEW"] = pageviewProgram();
  ChildProcess host({{folioHostProgram(), "open", path, "--key-file", path + ".key"}, environment});
  const pid_t viewer = startedChild(host, pageviewProgram());
  ASSERT_NE(viewer, 0) << host.output();
  ASSERT_TRUE(folio_test::wait_until([&] {
    return host.output().find(kPageShownMessage) != std::string::npos || !host.running();
  }));
  ASSERT_NE(host.output().find(kPageShownMessage), std::string::npos)
      << "the viewer must show the document with the token from standard input\n"
      << host.output();

  const std::vector<std::string> words = commandLineWords(viewer);
  ASSERT_GE(words.size(), 3u);
  EXPECT_EQ(words[1], path);
  EXPECT_EQ(words[2], "-") << "the token goes on standard input";
  for (const std::string &word : words)
    EXPECT_FALSE(word.size() >= 100 && word.find_first_not_of("0123456789ABCDEFabcdef") == std::string::npos)
        << "a token on the command line: " << word;
  const std::string key = keyOf(path + ".key");
  ASSERT_EQ(key.size(), 64u);
  EXPECT_EQ(commandLineBytes(viewer).find(key), std::string::npos);
  EXPECT_EQ(host.stop(), 128 + SIGTERM) << host.output();
}

TEST(FolioHostLaunch, PlayLeavesNoSecretOnThePlayersCommandLine) {
  ScratchDir dir;
  std::string why;
  std::unique_ptr<PlayerScreen> screen = startPlayerScreen(dir, why);
  if (!screen) GTEST_SKIP() << why;
  ViewerHome home(dir, "play");
  const ProtectedInput clip = protectedClip(dir, 20);
  // A key file for the clip as folio-host writes one: protect-video of a
  // clear clip of its own.
  const std::string clear = dir.path("source.mp4");
  folio_test::write_file(clear, clip.clear);
  const std::string locked = dir.path("locked.mp4");
  {
    ChildProcess protect({{folioHostProgram(), "protect-video", clear, locked}, {}});
    ASSERT_EQ(protect.waitForExit(std::chrono::seconds(120)), 0) << protect.output();
  }
  Environment environment = morlanEnvironment(home, *screen);
  environment["FOLIO_MORLAN"] = morlanProgram();
  ChildProcess host({{folioHostProgram(), "play", locked, "--key-file", locked + ".key"}, environment});
  const pid_t player = startedChild(host, morlanProgram());
  ASSERT_NE(player, 0) << host.output();
  ASSERT_TRUE(waitForPlayerWindow(*screen, locked, host))
      << "the player must play with the token and header block from standard input\n"
      << host.output();
  EXPECT_EQ(commandLineWords(player), (std::vector<std::string>{morlanProgram(), locked, "-", "-"}));
  const std::string key = keyOf(locked + ".key");
  ASSERT_EQ(key.size(), 64u);
  EXPECT_EQ(commandLineBytes(player).find(key), std::string::npos);
  host.stop();
}

}  // namespace
}  // namespace hardening_test
