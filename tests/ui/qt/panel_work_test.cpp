// Long work on the worker thread: the window stays alive, shows progress, stops, never leaves a
// half-written output, and closes cleanly; on a generated file large enough to take a while.
#include <QCheckBox>
#include <QCryptographicHash>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>
#include <algorithm>
#include <map>
#include <memory>

#include "platform/byte_sink.h"
#include "support/large_gedcom.h"
#include "ui/qt/control_panel.h"
#include "ui/qt/main_window.h"

using namespace brimsel::qt;
namespace ctl = brimsel::ctl;

namespace {

// Once the reading's outcomes include a stop, the reading also reports how far it is and ends
// early when asked to: the tests of that wait for it.
template <typename Outcome>
constexpr bool kStoppableOutcome = requires { Outcome::kStopped; };
constexpr bool kReadingStops = kStoppableOutcome<brimsel::ConversionOutcome>;

// A device that fills up after `room` bytes.
class FullDevice final : public brimsel::ByteSink {
 public:
  explicit FullDevice(std::size_t room) : room_(room) {}
  bool Write(const char*, std::size_t size) override {
    failed_ = failed_ || size > room_;
    if (!failed_) room_ -= size;
    return !failed_;
  }
  bool Close(std::string* error) override {
    if (failed_ && error != nullptr) *error = "No space left on device";
    return !failed_;
  }

 private:
  std::size_t room_;
  bool failed_ = false;
};

struct Shown {
  QString phase;
  qint64 done, total;
};

// Every file of `folder` with a digest of its bytes.
std::map<QString, QByteArray> Contents(const QString& folder) {
  std::map<QString, QByteArray> contents;
  for (const QFileInfo& entry : QDir(folder).entryInfoList(QDir::Files | QDir::NoDotAndDotDot)) {
    QFile file(entry.filePath());
    QCryptographicHash hash(QCryptographicHash::Sha1);
    if (file.open(QIODevice::ReadOnly)) hash.addData(&file);
    contents[entry.fileName()] = hash.result();
  }
  return contents;
}

QString Text(ControlPanel& panel, int id) {
  QWidget* widget = panel.Control(id);
  if (auto* field = qobject_cast<QLineEdit*>(widget)) return field->text();
  if (auto* label = qobject_cast<QLabel*>(widget)) return label->text();
  return qobject_cast<QPushButton*>(widget)->text();
}

// What a reading leaves on the panel: the counts, the file label, the line counter, the list.
QStringList ReadingShown(ControlPanel& panel) {
  QStringList shown;
  for (const int id : {ctl::kIndiTotal, ctl::kFamTotal, ctl::kBirthDate, ctl::kSour, ctl::kFileLabel,
                       ctl::kLineCounter}) {
    shown << Text(panel, id);
  }
  auto* list = qobject_cast<QListWidget*>(panel.Control(ctl::kMessageList));
  for (int row = 0; row < list->count(); ++row) shown << list->item(row)->text();
  return shown;
}

}  // namespace

class PanelWorkTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase();
  void init();
  void cleanup();
  void windowLivesAndShowsProgress_data();
  void windowLivesAndShowsProgress();
  void stoppedReadingKeepsTheEarlierOne_data();
  void stoppedReadingKeepsTheEarlierOne();
  void stoppedOrFailedExportLeavesTheEarlierOutputs();
  void closingDuringWork_data();
  void closingDuringWork();

 private:
  PlatformSeams Seams();
  // A shown, active panel that records the progress it shows; its file dialog chooses `file`.
  void MakePanel(const QString& file);
  // Starts the command of `id` and waits for its end.
  void Run(int id);
  // A folder of the temporary folder with the generated file in it (a link), for its outputs.
  QString Folder(const QString& name);
  // Stops the work as the row's way says: "Annuler" clicked or Escape pressed.
  void Stop(const QString& way);

  QTemporaryDir dir_;
  QString big_, example_;
  std::unique_ptr<ControlPanel> panel_;
  QString file_;  // what the file dialog chooses
  QStringList boxes_;
  QList<Shown> shown_;
};

void PanelWorkTest::initTestCase() {
  QVERIFY(dir_.isValid());
  big_ = dir_.filePath(QStringLiteral("big.ged"));
  QVERIFY(brimsel::test::GenerateLargeGedcom(QFile::encodeName(big_).toStdString()));
  example_ = dir_.filePath(QStringLiteral("famille.ged"));
  QVERIFY(QFile::copy(QStringLiteral(BRIMSEL_SOURCE_DIR "/examples/famille.ged"), example_));
}

void PanelWorkTest::init() {
  boxes_.clear();
  shown_.clear();
}

void PanelWorkTest::cleanup() {
  panel_.reset();
  QCOMPARE(QApplication::overrideCursor(), nullptr);
}

PlatformSeams PanelWorkTest::Seams() {
  PlatformSeams seams;
  seams.beep = [this] { boxes_ << QStringLiteral("beep"); };
  seams.messageBox = [this](QWidget*, const QString& text, const QString& caption, brimsel::MessageIcon) {
    boxes_ << caption + "|" + text;
  };
  seams.chooseFile = [this](QWidget*, const QString&, const QString&) { return std::optional<QString>(file_); };
  return seams;
}

void PanelWorkTest::MakePanel(const QString& file) {
  file_ = file;
  panel_.reset(ControlPanel::Create(nullptr, Seams()));
  QVERIFY(panel_);
  connect(panel_.get(), &ControlPanel::ProgressShown, this,
          [this](const QString& phase, qint64 done, qint64 total) { shown_.push_back({phase, done, total}); });
  panel_->show();
  panel_->activateWindow();
  QVERIFY(QTest::qWaitForWindowActive(panel_.get()));
}

void PanelWorkTest::Run(int id) {
  QTest::mouseClick(panel_->Control(id), Qt::LeftButton);
  QTRY_VERIFY_WITH_TIMEOUT(!panel_->Working(), 120000);
}

QString PanelWorkTest::Folder(const QString& name) {
  QDir(dir_.path()).mkdir(name);
  const QString link = dir_.filePath(name + "/big.ged");
  if (!QFile::exists(link)) QFile::link(big_, link);
  return link;
}

void PanelWorkTest::Stop(const QString& way) {
  if (way == QStringLiteral("Annuler")) {
    QCOMPARE(Text(*panel_, ctl::kChooseFile), QStringLiteral("Annuler"));
    QTest::mouseClick(panel_->Control(ctl::kChooseFile), Qt::LeftButton);
  } else {
    QTest::keyClick(panel_.get(), Qt::Key_Escape);
  }
}

void PanelWorkTest::windowLivesAndShowsProgress_data() {
  QTest::addColumn<bool>("exporting");
  QTest::addColumn<bool>("database");
  QTest::newRow("reading") << false << false;
  QTest::newRow("tables") << true << false;
  QTest::newRow("tables and database") << true << true;
}

// A timer of the window fires all along the work, "?" opens its box, the status line names the
// phase; the progress shown grows within each phase and reaches the end.
void PanelWorkTest::windowLivesAndShowsProgress() {
  QFETCH(bool, exporting);
  QFETCH(bool, database);
  MakePanel(Folder(QStringLiteral("progress")));
  if (exporting) {
    Run(ctl::kChooseFile);
    qobject_cast<QCheckBox*>(panel_->Control(ctl::kSqlite))->setChecked(database);
    shown_.clear();
  }
  int ticks = 0;
  QStringList statuses;  // each status line seen, once
  QTimer timer;
  connect(&timer, &QTimer::timeout, this, [&] {
    ++ticks;
    if (const QString status = Text(*panel_, ctl::kStatusLine); !statuses.contains(status)) statuses << status;
  });
  timer.start(5);
  QTest::mouseClick(panel_->Control(exporting ? ctl::kConvert : ctl::kChooseFile), Qt::LeftButton);
  QTest::mouseClick(panel_->Control(ctl::kNotice), Qt::LeftButton);
  QCOMPARE(boxes_.size(), qsizetype(1));
  QVERIFY(boxes_[0].startsWith(QStringLiteral("Brimsel ")));
  QTRY_VERIFY_WITH_TIMEOUT(!panel_->Working(), 120000);
  QVERIFY2(ticks >= 5, qPrintable(QString::number(ticks)));
  // A reading's passes are short: any of them will do.
  const QString phase = exporting ? QStringLiteral("Conversion en cours!") : QStringLiteral("Passe ");
  QVERIFY2(std::any_of(statuses.begin(), statuses.end(), [&](const QString& s) { return s.startsWith(phase); }),
           qPrintable(statuses.join('|')));
  QCOMPARE(boxes_.size(), qsizetype(1));
  if (!exporting && !kReadingStops) QSKIP("the reading does not say yet how far it is");
  QVERIFY(shown_.size() >= 2);
  for (qsizetype k = 1; k < shown_.size(); ++k) {
    const Shown &before = shown_[k - 1], &now = shown_[k];
    QVERIFY(now.done <= now.total);
    if (now.phase == before.phase) QVERIFY(now.done > before.done && now.total == before.total);
  }
  QCOMPARE(shown_.back().done, shown_.back().total);
  if (exporting) QVERIFY(!statuses.filter(QStringLiteral("Conversion en cours!  ")).isEmpty());
}

void PanelWorkTest::stoppedReadingKeepsTheEarlierOne_data() {
  QTest::addColumn<QString>("way");
  QTest::newRow("Annuler") << QStringLiteral("Annuler");
  QTest::newRow("Escape") << QStringLiteral("Escape");
}

// The counts, the messages, the file label, the line counter and the model of the earlier
// reading stay; the list ends with "Annulé".
void PanelWorkTest::stoppedReadingKeepsTheEarlierOne() {
  QFETCH(QString, way);
  MakePanel(example_);
  Run(ctl::kChooseFile);
  const QStringList earlier = ReadingShown(*panel_);
  QVERIFY(earlier.size() > 7);
  file_ = big_;
  shown_.clear();
  QTest::mouseClick(panel_->Control(ctl::kChooseFile), Qt::LeftButton);
  QVERIFY(panel_->Working());
  Stop(way);
  QTRY_VERIFY_WITH_TIMEOUT(!panel_->Working(), 120000);
  QCOMPARE(ReadingShown(*panel_), earlier + QStringList{QStringLiteral("Annulé")});
  QCOMPARE(panel_->Model().sourcePath.value_or(""), QFile::encodeName(example_).toStdString());
  QVERIFY(boxes_.isEmpty());
  // Each pass shows its end; the reading stopped before the last one's.
  if (kReadingStops) {
    QVERIFY(shown_.isEmpty() || !shown_.back().phase.startsWith(QStringLiteral("Passe 3")) ||
            shown_.back().done < shown_.back().total);
  }
  // The earlier reading is still the one "Convertir..." writes.
  Run(ctl::kConvert);
  QVERIFY(QFile::exists(dir_.filePath(QStringLiteral("famille_INDI.txt"))));
}

// A stop, by either way, and a full device, each during the rows of an export that would change
// every output: the earlier tables and database stay byte for byte, no temporary file is left.
void PanelWorkTest::stoppedOrFailedExportLeavesTheEarlierOutputs() {
  const QString gedcom = Folder(QStringLiteral("export"));
  const QString folder = QFileInfo(gedcom).path();
  MakePanel(gedcom);
  Run(ctl::kChooseFile);
  qobject_cast<QCheckBox*>(panel_->Control(ctl::kSqlite))->setChecked(true);
  Run(ctl::kConvert);
  const std::map<QString, QByteArray> earlier = Contents(folder);
  QCOMPARE(earlier.size(), std::size_t(9));  // the file, seven tables, the database
  qobject_cast<QLineEdit*>(panel_->Control(ctl::kIndiBase))->setText(QStringLiteral("1000"));
  const auto real = panel_->Operations().exportTables;
  auto* list = qobject_cast<QListWidget*>(panel_->Control(ctl::kMessageList));
  for (const QString& way : {QStringLiteral("Annuler"), QStringLiteral("Escape"), QStringLiteral("full")}) {
    shown_.clear();
    boxes_.clear();
    panel_->Operations().exportTables = real;
    if (way == QStringLiteral("full")) {
      panel_->Operations().exportTables = [real](const brimsel::GedcomModel& model, brimsel::ExportOptions options,
                                                 brimsel::ProgressSink& progress) {
        options.tableSink = [](const std::string&) { return std::make_unique<FullDevice>(1 << 20); };
        return real(model, options, progress);
      };
    }
    const int lines = list->count();
    QTest::mouseClick(panel_->Control(ctl::kConvert), Qt::LeftButton);
    if (way != QStringLiteral("full")) {
      QTRY_VERIFY_WITH_TIMEOUT(!shown_.isEmpty() || !panel_->Working(), 120000);
      QVERIFY2(panel_->Working(), "the export ended before any progress was shown");
      Stop(way);
    }
    QTRY_VERIFY_WITH_TIMEOUT(!panel_->Working(), 120000);
    QVERIFY2(Contents(folder) == earlier, qPrintable(way));
    if (way == QStringLiteral("full")) {
      QCOMPARE(boxes_.size(), qsizetype(1));
      QVERIFY2(boxes_[0].startsWith(QStringLiteral("Erreur écriture|") + folder + "/big_"), qPrintable(boxes_[0]));
      QCOMPARE(list->count(), lines);
    } else {
      QVERIFY(boxes_.isEmpty());
      QCOMPARE(list->count(), lines + 1);
      QCOMPARE(list->item(lines)->text(), QStringLiteral("Annulé"));
    }
    QCOMPARE(Text(*panel_, ctl::kStatusLine), QString());
    QVERIFY(panel_->Control(ctl::kConvert)->isEnabled());
  }
}

void PanelWorkTest::closingDuringWork_data() {
  QTest::addColumn<bool>("exporting");
  QTest::newRow("reading") << false;
  QTest::newRow("export") << true;
}

// Closing the window stops the work and waits for it: the window goes, nothing is shown of the
// work and nothing is written.
void PanelWorkTest::closingDuringWork() {
  QFETCH(bool, exporting);
  const QString gedcom = Folder(exporting ? QStringLiteral("closing-export") : QStringLiteral("closing-reading"));
  file_ = gedcom;
  MainWindow window(Seams());
  window.show();
  QTRY_VERIFY(window.Panel() != nullptr);
  QTRY_COMPARE(boxes_.size(), qsizetype(1));  // the notice
  ControlPanel* panel = window.Panel();
  if (exporting) {
    QTest::mouseClick(panel->Control(ctl::kChooseFile), Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(!panel->Working(), 120000);
  }
  const std::map<QString, QByteArray> before = Contents(QFileInfo(gedcom).path());
  QSignalSpy ended(panel, &ControlPanel::WorkEnded);
  QTest::mouseClick(panel->Control(exporting ? ctl::kConvert : ctl::kChooseFile), Qt::LeftButton);
  QVERIFY(panel->Working());
  QVERIFY(!window.close());  // not yet: the work is asked to stop
  QVERIFY(window.isVisible());
  QTRY_VERIFY_WITH_TIMEOUT(!window.isVisible(), 120000);
  QCOMPARE(ended.size(), qsizetype(1));
  QVERIFY(!panel->Working());
  QCOMPARE(boxes_.size(), qsizetype(1));
  QVERIFY(Contents(QFileInfo(gedcom).path()) == before);
  QCOMPARE(QApplication::overrideCursor(), nullptr);
}

QTEST_MAIN(PanelWorkTest)
#include "panel_work_test.moc"
