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

TEST(ProgramStart, ValidLaunchOpensTheDocumentInTheWindow) {
  folio_test::ScratchDir scratch;
  window_test::writeProtectedPdf(scratch.path("doc.pdf"), 2, 612, 792);
  const folio_test::Bytes key(window_test::kKey.begin(), window_test::kKey.end());
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
       QString::fromStdString(folio_test::oracle::base64(nonce)), "v2", "pdf", "mark", "x"});
  // The program runs until its window is closed: read until the first page
  // is shown, then end it.
  QString output;
  while (!output.contains(QStringLiteral("Current Scale")) && process.waitForReadyRead(20000))
    output += QString::fromLocal8Bit(process.readAll());
  process.kill();
  process.waitForFinished(5000);
  EXPECT_TRUE(output.contains(QStringLiteral("FPDF_LoadCustomDocument successed")))
      << output.toStdString();
  EXPECT_TRUE(output.contains(QStringLiteral("Current Scale"))) << output.toStdString();
}

}  // namespace
