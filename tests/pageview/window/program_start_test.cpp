// The built pageview program refusing a bad command line: its message and
// exit code, without a window.
#include <gtest/gtest.h>

#include <QProcess>
#include <QProcessEnvironment>
#include <QStringList>

#include "../launch/token_oracle.h"
#include "protected_samples.h"
#include "support/oracle.h"
#include "support/scratch_dir.h"

namespace {

struct ProgramRun {
  int exitCode;
  QString output;
};

ProgramRun runPageview(const QStringList &arguments) {
  QProcess process;
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
  process.setProcessEnvironment(environment);
  process.setProcessChannelMode(QProcess::MergedChannels);
  process.start(QStringLiteral(PAGEVIEW_PROGRAM), arguments);
  EXPECT_TRUE(process.waitForFinished(20000));
  EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
  return {process.exitCode(), QString::fromLocal8Bit(process.readAll())};
}

TEST(ProgramStart, WrongArgumentCountIsReportedWithExitCodeOne) {
  const ProgramRun run = runPageview({"a.pdf", "token", "nonce", "v1", "pdf", "mark"});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_TRUE(run.output.contains(QStringLiteral("input param count error !")))
      << run.output.toStdString();
  EXPECT_FALSE(run.output.contains(QStringLiteral("PictureShowDlg::PictureShowDlg invoked")));
}

TEST(ProgramStart, ShortLaunchTokenExitsWithOneAndNoWindow) {
  const ProgramRun run = runPageview(
      {"a.pdf", QString(148, QLatin1Char('0')), "AAAAAAAAAAA=", "v1", "pdf", "mark", "x"});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_FALSE(run.output.contains(QStringLiteral("error")));
  EXPECT_FALSE(run.output.contains(QStringLiteral("PictureShowDlg::PictureShowDlg invoked")));
}

// Every refusal a real command line can produce (a missing argument is
// possible only through a null argv, which the launch tests cover), run
// through the program itself: its message, its exit code, and no window.
struct RefusedCommandLine {
  const char *name;
  QStringList arguments;
  const char *message;  // empty: silent
};

class ProgramRefusal : public ::testing::TestWithParam<RefusedCommandLine> {};

const QString kToken(150, QLatin1Char('A'));

INSTANTIATE_TEST_SUITE_P(
    FailureTable, ProgramRefusal,
    ::testing::Values(
        RefusedCommandLine{"NoArguments", {}, "input param count error !"},
        RefusedCommandLine{"SixArguments", {"a.pdf", kToken, "AAAAAAAAAAA=", "v1", "pdf", "m"},
                           "input param count error !"},
        RefusedCommandLine{"EightArguments",
                           {"a.pdf", kToken, "AAAAAAAAAAA=", "v1", "pdf", "m", "x", "y"},
                           "input param count error !"},
        RefusedCommandLine{"Token148", {"a.pdf", QString(148, 'A'), "AAAAAAAAAAA=", "v1", "pdf", "m", "x"}, ""},
        RefusedCommandLine{"Token152", {"a.pdf", QString(152, 'a'), "AAAAAAAAAAA=", "v1", "pdf", "m", "x"}, ""},
        RefusedCommandLine{"NonceNotBase64Length", {"a.pdf", kToken, "AAAAA", "v1", "pdf", "m", "x"},
                           "iv base64 decode failed !"},
        RefusedCommandLine{"NonceOver64Bytes", {"a.pdf", kToken, QString(92, 'A'), "v1", "pdf", "m", "x"},
                           "iv base64 decode failed !"},
        RefusedCommandLine{"PdfWithUpperCaseVariant", {"a.pdf", kToken, "AAAAAAAAAAA=", "V1", "pdf", "m", "x"},
                           "input param count error !"},
        RefusedCommandLine{"PdfWithoutVariant", {"a.pdf", kToken, "AAAAAAAAAAA=", "", "pdf", "m", "x"},
                           "input param count error !"}),
    [](const ::testing::TestParamInfo<RefusedCommandLine> &info) { return std::string(info.param.name); });

TEST_P(ProgramRefusal, MessageAndExitCodeOneWithoutAWindow) {
  const ProgramRun run = runPageview(GetParam().arguments);
  EXPECT_EQ(run.exitCode, 1) << run.output.toStdString();
  const QString message = QString::fromLatin1(GetParam().message);
  if (message.isEmpty())
    EXPECT_FALSE(run.output.contains(QStringLiteral(" !"))) << run.output.toStdString();
  else
    EXPECT_TRUE(run.output.contains(message)) << run.output.toStdString();
  EXPECT_FALSE(run.output.contains(QStringLiteral("PictureShowDlg::PictureShowDlg invoked")));
}

// Starts pageview on a protected 2-page PDF (content key key) with
// watermark, reads its output until it holds until (or the program ends),
// then ends it: the program runs until its window is closed.
QString outputOfLaunch(const folio_test::Bytes &key, const QString &watermark,
                       const QString &until) {
  folio_test::ScratchDir scratch;
  window_test::writeProtectedPdf(scratch.path("doc.pdf"), 2, 612, 792);
  const folio_test::Bytes nonce(window_test::kNonceBuffer.begin(),
                                window_test::kNonceBuffer.begin() + 8);
  const std::string token = launch_test::oracleToken(launch_test::tokenTextFor("lead-field!", key));
  QProcess process;
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
  process.setProcessEnvironment(environment);
  process.setProcessChannelMode(QProcess::MergedChannels);
  process.start(
      QStringLiteral(PAGEVIEW_PROGRAM),
      {QString::fromStdString(scratch.path("doc.pdf")), QString::fromStdString(token),
       QString::fromStdString(folio_test::oracle::base64(nonce)), "v2", "pdf", watermark, "x"});
  QString output;
  while (!output.contains(until) && process.waitForReadyRead(20000))
    output += QString::fromLocal8Bit(process.readAll());
  process.kill();
  process.waitForFinished(5000);
  return output;
}

const folio_test::Bytes kTestKey(window_test::kKey.begin(), window_test::kKey.end());

TEST(ProgramStart, ValidLaunchOpensTheDocumentInTheWindow) {
  const QString output = outputOfLaunch(kTestKey, "mark", "Current Scale");
  EXPECT_TRUE(output.contains(QStringLiteral("FPDF_LoadCustomDocument successed")))
      << output.toStdString();
  EXPECT_TRUE(output.contains(QStringLiteral("Current Scale"))) << output.toStdString();
}

// Watermark texts that are Qt's own command-line options are still only
// watermark texts: Qt never sees the launch arguments.
TEST(ProgramStart, WatermarkSpelledLikeAQtOptionIsOnlyAWatermark) {
  for (const char *watermark :
       {"-platform", "-display", "-reverse", "-style", "-stylesheet", "-session", "-qwindowgeometry"}) {
    const QString output = outputOfLaunch(kTestKey, watermark, "Current Scale");
    EXPECT_TRUE(output.contains(QStringLiteral("Current Scale")))
        << watermark << ":\n" << output.toStdString();
    EXPECT_FALSE(output.contains(QStringLiteral("input param count error")));
  }
}

TEST(ProgramStart, WrongKeyIsNamedInTheLog) {
  const QString output = outputOfLaunch(folio_test::Bytes(32, 0x11), "mark", "document not opened");
  EXPECT_TRUE(output.contains(QStringLiteral("document not opened: the deciphered file is not a "
                                             "document: wrong key, nonce or container variant")))
      << output.toStdString();
}

}  // namespace
