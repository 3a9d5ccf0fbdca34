// The list "Jeu de caractères", files dropped on the panel, settings kept between runs.
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QMimeData>
#include <QSettings>
#include <QTemporaryDir>
#include <QUrl>
#include <QtTest>
#include <chrono>
#include <memory>
#include <thread>

#include "platform/icu_charset.h"
#include "ui/commands.h"
#include "ui/qt/control_panel.h"

using namespace brimsel::qt;
namespace ctl = brimsel::ctl;
using brimsel::Charset;

class CharsetChoiceTest : public QObject {
  Q_OBJECT

 private slots:
  void init();
  void listGivesTheOptions();
  void drops();
  void settingsSurviveARestart();

 private:
  // A panel whose conversion is recorded, with its settings in the temporary folder.
  std::unique_ptr<ControlPanel> MakePanel();
  QComboBox* List(ControlPanel& panel) { return qobject_cast<QComboBox*>(panel.Control(ctl::kCharsetList)); }
  QCheckBox* Box(ControlPanel& panel, int id) { return qobject_cast<QCheckBox*>(panel.Control(id)); }
  QLineEdit* Field(ControlPanel& panel, int id) { return qobject_cast<QLineEdit*>(panel.Control(id)); }
  QString Write(const QString& name, const QByteArray& bytes);
  // Drags `data` onto the panel and drops it, and waits for the work it started, if any; true
  // when the drop was taken.
  bool Drop(ControlPanel& panel, const QMimeData& data);

  std::unique_ptr<QTemporaryDir> dir_;
  int beeps_ = 0;
  QStringList converted_;  // CurrentFileName at each conversion
  QStringList starts_;     // the start path of each file dialog
  QString answer_;         // what the file dialog chooses
};

void CharsetChoiceTest::init() {
  dir_ = std::make_unique<QTemporaryDir>();
  QVERIFY(dir_->isValid());
  beeps_ = 0;
  converted_ = starts_ = {};
  answer_.clear();
}

std::unique_ptr<ControlPanel> CharsetChoiceTest::MakePanel() {
  PlatformSeams seams;
  seams.beep = [this] { ++beeps_; };
  seams.messageBox = [](QWidget*, const QString&, const QString&, brimsel::MessageIcon) {};
  seams.chooseFile = [this](QWidget*, const QString&, const QString& start) {
    starts_ << start;
    return answer_.isEmpty() ? std::nullopt : std::optional<QString>(answer_);
  };
  const QString ini = dir_->filePath(QStringLiteral("settings.ini"));
  seams.settings = [ini] { return std::make_unique<QSettings>(ini, QSettings::IniFormat); };
  // Runs on the worker thread: the test reads converted_ once the work has ended.
  PanelOperations operations = PanelOperations::Real();
  operations.conversion = [this](brimsel::GedcomModel&, const std::string& path,
                                 const brimsel::ConversionOptions&, brimsel::ProgressSink&) {
    converted_ << QFile::decodeName(path.c_str());
    return brimsel::ConversionResult();
  };
  return std::unique_ptr<ControlPanel>(ControlPanel::Create(nullptr, seams, operations));
}

QString CharsetChoiceTest::Write(const QString& name, const QByteArray& bytes) {
  QFile file(dir_->filePath(name));
  if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size()) return {};
  return file.fileName();
}

bool CharsetChoiceTest::Drop(ControlPanel& panel, const QMimeData& data) {
  QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(&panel, &enter);
  QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(&panel, &drop);
  QCoreApplication::processEvents();  // the dropped file is read once the drop has returned
  if (!QTest::qWaitFor([&] { return !panel.Working(); }, 30000)) return false;
  return enter.isAccepted() && drop.isAccepted();
}

// The items in order, "Automatique" (the detection) first and chosen, then each set offered
// with the boxes' options; "OEM => ANSI" wins and turns the list off.
void CharsetChoiceTest::listGivesTheOptions() {
  auto panel = MakePanel();
  QComboBox* list = List(*panel);
  QCOMPARE(list->count(), int(std::size(brimsel::kCharsetChoices)) + 1);
  QCOMPARE(list->currentText(), QStringLiteral("Automatique"));
  QVERIFY(!brimsel::ReadConversionOptions(*panel).charset);
  for (int index = 1; index < list->count(); ++index) {
    const brimsel::CharsetChoice& item = brimsel::kCharsetChoices[index - 1];
    QCOMPARE(list->itemText(index), QString(item.label));
    list->setCurrentIndex(index);
    const brimsel::ConversionOptions options = brimsel::ReadConversionOptions(*panel);
    QVERIFY(options.properNames && !options.notes);  // the boxes' defaults
    QVERIFY2(options.charset == brimsel::LookUpCharset(item.name).charset, item.label);
  }
  list->setCurrentIndex(6);
  Box(*panel, ctl::kOem)->setChecked(true);
  QVERIFY(!list->isEnabled());
  QCOMPARE(int(brimsel::ReadConversionOptions(*panel).charset->kind), int(Charset::kCp850));
  Box(*panel, ctl::kOem)->setChecked(false);
  QVERIFY(list->isEnabled());
}

// One file dropped is converted with no file dialog; two files or a folder beep; while work
// runs, nothing is taken and nothing beeps.
void CharsetChoiceTest::drops() {
  const QString a = Write(QStringLiteral("a.ged"), "0 HEAD\n");
  const QString b = Write(QStringLiteral("b.ged"), "0 HEAD\n");
  for (const QStringList& paths : {QStringList{a}, QStringList{a, b}, QStringList{dir_->path()}}) {
    const bool converts = paths == QStringList{a};
    beeps_ = 0;
    converted_.clear();
    auto panel = MakePanel();
    QMimeData data;
    QList<QUrl> urls;
    for (const QString& path : paths) urls << QUrl::fromLocalFile(path);
    data.setUrls(urls);
    data.setText(QStringLiteral("0 HEAD"));
    QCOMPARE(Drop(*panel, data), converts);
    QCOMPARE(beeps_, converts ? 0 : 1);
    QCOMPARE(converted_, converts ? QStringList{a} : QStringList{});
    // A utility that runs until it is stopped.
    panel->Operations().stripQuotes = [](const std::string&, const brimsel::StopRequest& stop) {
      while (!stop()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
      return brimsel::ToolResult{brimsel::ToolStatus::kStopped};
    };
    answer_ = a;
    panel->HandleCommand(ctl::kStrip);
    QVERIFY(panel->Working());
    QMimeData single;
    single.setUrls({QUrl::fromLocalFile(a)});
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &single, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(panel.get(), &enter);
    QVERIFY(!enter.isAccepted());
    panel->StopWork();
    QTRY_VERIFY_WITH_TIMEOUT(!panel->Working(), 30000);
    answer_.clear();
    QCOMPARE(beeps_, converts ? 0 : 1);
    QCOMPARE(converted_.size(), converts ? 1 : 0);
  }
  QCOMPARE(starts_.size(), 3);  // only the utility's file dialogs
}

// Everything kept comes back in a new panel; a vanished folder gives the home folder, an unknown
// list item "Automatique".
void CharsetChoiceTest::settingsSurviveARestart() {
  QVERIFY(QDir(dir_->path()).mkdir(QStringLiteral("famille")));
  answer_ = Write(QStringLiteral("famille/f.ged"), "0 HEAD\n");
  auto panel = MakePanel();
  Box(*panel, ctl::kIncludeNotes)->setChecked(true);
  Box(*panel, ctl::kProperNames)->setChecked(false);
  Box(*panel, ctl::kRefCounts)->setChecked(true);
  Box(*panel, ctl::kSqlite)->setChecked(true);
  Field(*panel, ctl::kIndiBase)->setText(QStringLiteral("100"));
  Field(*panel, ctl::kFamBase)->setText(QStringLiteral("7"));
  List(*panel)->setCurrentText(QStringLiteral("CP852"));
  panel->HandleCommand(ctl::kChooseFile);
  panel.reset();
  answer_.clear();
  panel = MakePanel();
  QVERIFY(Box(*panel, ctl::kIncludeNotes)->isChecked() && !Box(*panel, ctl::kProperNames)->isChecked());
  QVERIFY(Box(*panel, ctl::kRefCounts)->isChecked() && !Box(*panel, ctl::kOem)->isChecked());
  QVERIFY(Box(*panel, ctl::kSqlite)->isChecked());
  QCOMPARE(Field(*panel, ctl::kIndiBase)->text() + Field(*panel, ctl::kFamBase)->text(), QStringLiteral("1007"));
  unsigned base = 0;
  QVERIFY(panel->ReadNumber(ctl::kIndiBase, &base) && base == 100);  // the export reads it back
  QCOMPARE(List(*panel)->currentText(), QStringLiteral("CP852"));
  panel->HandleCommand(ctl::kChooseFile);
  QCOMPARE(starts_.last(), dir_->filePath(QStringLiteral("famille")));
  Box(*panel, ctl::kOem)->setChecked(true);
  panel.reset();
  QVERIFY(QDir(dir_->filePath(QStringLiteral("famille"))).removeRecursively());
  QSettings(dir_->filePath(QStringLiteral("settings.ini")), QSettings::IniFormat)
      .setValue(QStringLiteral("options/charset"), QStringLiteral("no such item"));
  panel = MakePanel();
  QVERIFY(Box(*panel, ctl::kOem)->isChecked());
  QVERIFY(!List(*panel)->isEnabled());
  QCOMPARE(List(*panel)->currentIndex(), 0);
  panel->HandleCommand(ctl::kChooseFile);
  QCOMPARE(starts_.last(), QDir::homePath());
}

QTEST_MAIN(CharsetChoiceTest)
#include "charset_choice_test.moc"
