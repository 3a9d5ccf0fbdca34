// Tests of the brimsel executable: usage, and a conversion with a saved picture of the window,
// after it or half way through.
#include <QDir>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

#include "support/large_gedcom.h"
#include "ui/qt/control_panel.h"

using namespace brimsel::qt;
namespace ctl = brimsel::ctl;

class BrimselMainTest : public QObject {
  Q_OBJECT

 private slots:
  void usage();
  void screenshotAfterAConversion();
  void screenshotHalfWay();

 private:
  struct Run {
    int exitCode;
    QString out, err;
  };
  static Run Start(const QStringList& arguments);
  // The colour of the swatch in the picture `path`, which must be the window's size.
  static QColor Swatch(const QString& path);
};

QColor BrimselMainTest::Swatch(const QString& path) {
  const QImage image(path);
  // The window is the panel's size, which the same fonts give in this process too.
  std::unique_ptr<ControlPanel> panel(ControlPanel::Create(nullptr, PlatformSeams::Desktop()));
  if (image.size() != panel->size()) return {};
  return image.pixelColor(panel->Control(ctl::kSwatch)->geometry().center());
}

BrimselMainTest::Run BrimselMainTest::Start(const QStringList& arguments) {
  QProcess process;
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
  process.setProcessEnvironment(environment);
  process.start(QStringLiteral(BRIMSEL_GUI), arguments);
  if (!process.waitForFinished(60000)) {
    process.kill();
    process.waitForFinished();
    return {-1, {}, QStringLiteral("timed out")};
  }
  return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
          QString::fromLocal8Bit(process.readAllStandardOutput()),
          QString::fromLocal8Bit(process.readAllStandardError())};
}

void BrimselMainTest::usage() {
  for (const auto& [arguments, exitCode] : {std::pair{QStringList{"--help"}, 0}, {QStringList{"--bogus"}, 2},
                                            {QStringList{"--screenshot", "x.png"}, 2}}) {  // no file
    const Run run = Start(arguments);
    QCOMPARE(run.exitCode, exitCode);
    QVERIFY((run.out + run.err).contains(QStringLiteral("usage: brimsel")));
  }
}

void BrimselMainTest::screenshotAfterAConversion() {
  QTemporaryDir dir;
  QVERIFY(dir.isValid());
  const QString gedcom = dir.filePath(QStringLiteral("famille.ged"));
  QVERIFY(QFile::copy(QStringLiteral(BRIMSEL_SOURCE_DIR "/examples/famille.ged"), gedcom));
  const QString picture = dir.filePath(QStringLiteral("window.png"));
  const Run run = Start({QStringLiteral("--screenshot"), picture, gedcom});
  QVERIFY2(run.exitCode == 0, qPrintable(run.err));
  QVERIFY(QFile::exists(dir.filePath(QStringLiteral("famille_FAMnote.txt"))));  // the real export ran
  QCOMPARE(Swatch(picture), QColor(kSwatchIdle));
}

// The picture is taken while the export runs (the swatch is red); closing the window then
// stops it, leaving no temporary file.
void BrimselMainTest::screenshotHalfWay() {
  QTemporaryDir dir;
  QVERIFY(dir.isValid());
  const QString gedcom = dir.filePath(QStringLiteral("big.ged"));
  QVERIFY(brimsel::test::GenerateLargeGedcom(QFile::encodeName(gedcom).toStdString()));
  const QString picture = dir.filePath(QStringLiteral("half.png"));
  const Run run = Start({QStringLiteral("--screenshot-half"), picture, gedcom});
  QVERIFY2(run.exitCode == 0, qPrintable(run.err));
  QCOMPARE(Swatch(picture), QColor(kSwatchBusy));
  // The picture, the file, and the tables only if the export ended before the stop.
  const QStringList left = QDir(dir.path()).entryList(QDir::Files);
  QVERIFY2(left.size() == 2 || left.size() == 9, qPrintable(left.join(',')));
}

QTEST_MAIN(BrimselMainTest)
#include "brimsel_main_test.moc"
