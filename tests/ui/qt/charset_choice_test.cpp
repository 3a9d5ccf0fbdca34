// Tests of the list "Jeu de caractères", of files dropped on the panel and of the settings kept
// between runs.
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QUrl>
#include <QtTest>
#include <memory>

#include "ui/commands.h"
#include "ui/qt/control_panel.h"

using namespace brimsel::qt;
namespace ctl = brimsel::ctl;
using brimsel::Charset;

class CharsetChoiceTest : public QObject {
  Q_OBJECT

 private slots:
  void init();
  void listItemsAndDefault();
  void listGivesTheOptions_data();
  void listGivesTheOptions();
  void drops_data();
  void drops();
  void noDropWhileACommandRuns();
  void droppedFileConvertsInTheChosenSet();
  void settingsSurviveARestart();
  void vanishedFolderFallsBackHome();

 private:
  // A panel whose conversion is recorded (or real), with settings in the temporary folder.
  std::unique_ptr<ControlPanel> MakePanel(bool realOperations = false);
  QComboBox* List(ControlPanel& panel) {
    return qobject_cast<QComboBox*>(panel.Control(ctl::kCharsetList));
  }
  QCheckBox* Box(ControlPanel& panel, int id) {
    return qobject_cast<QCheckBox*>(panel.Control(id));
  }
  QString Write(const QString& name, const QByteArray& bytes);

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
  converted_.clear();
  starts_.clear();
  answer_.clear();
}

std::unique_ptr<ControlPanel> CharsetChoiceTest::MakePanel(bool realOperations) {
  PlatformSeams seams;
  seams.beep = [this] { ++beeps_; };
  seams.messageBox = [](QWidget*, const QString&, const QString&, brimsel::MessageIcon) {};
  seams.chooseFile = [this](QWidget*, const QString&, const QString& start) {
    starts_ << start;
    return answer_.isEmpty() ? std::nullopt : std::optional<QString>(answer_);
  };
  const QString ini = dir_->filePath(QStringLiteral("settings.ini"));
  seams.settings = [ini] { return std::make_unique<QSettings>(ini, QSettings::IniFormat); };
  PanelOperations operations = PanelOperations::Real();
  if (!realOperations) {
    operations.conversion = [this](brimsel::GedcomModel&, brimsel::DialogServices& dialog) {
      if (!dialog.ChooseOpenFile("FIchier source")) return 0;
      converted_ << QFile::decodeName(dialog.CurrentFileName());
      return 1;
    };
  }
  return std::unique_ptr<ControlPanel>(ControlPanel::Create(nullptr, seams, operations));
}

QString CharsetChoiceTest::Write(const QString& name, const QByteArray& bytes) {
  const QString path = dir_->filePath(name);
  QFile file(path);
  if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size()) return {};
  return path;
}

void CharsetChoiceTest::listItemsAndDefault() {
  auto panel = MakePanel();
  QComboBox* list = List(*panel);
  QVERIFY(list != nullptr);
  QStringList items;
  for (int i = 0; i < list->count(); ++i) items << list->itemText(i);
  QCOMPARE(items, QStringList({"Automatique", "UTF-8", "UTF-16LE", "UTF-16BE", "ANSEL",
                               "Windows-1252", "Windows-1250", "Windows-1251", "ISO-8859-1",
                               "ISO-8859-2", "CP437", "CP850", "CP852", "Mac Roman"}));
  QCOMPARE(list->currentIndex(), 0);
  QVERIFY(list->isEnabled());
  // Every item names a set that the conversion can use.
  for (int i = 1; i < list->count(); ++i) {
    list->setCurrentIndex(i);
    QVERIFY2(brimsel::ReadConversionOptions(*panel).charset.has_value(), qPrintable(items[i]));
  }
}

void CharsetChoiceTest::listGivesTheOptions_data() {
  QTest::addColumn<QString>("item");
  QTest::addColumn<bool>("oem");
  QTest::addColumn<int>("kind");  // -1: the detection
  QTest::addColumn<QString>("converter");
  QTest::newRow("Automatique") << "Automatique" << false << -1 << "";
  QTest::newRow("UTF-16BE") << "UTF-16BE" << false << int(Charset::kUtf16Be) << "";
  QTest::newRow("ISO-8859-1") << "ISO-8859-1" << false << int(Charset::kWindows1252) << "";
  QTest::newRow("Mac Roman") << "Mac Roman" << false << int(Charset::kMacRoman) << "";
  QTest::newRow("Windows-1250") << "Windows-1250" << false << int(Charset::kConverter)
                                << "ibm-5346_P100-1998";
  QTest::newRow("CP852") << "CP852" << false << int(Charset::kConverter) << "ibm-852_P100-1995";
  QTest::newRow("OEM wins") << "Windows-1250" << true << int(Charset::kCp850) << "";
  QTest::newRow("OEM alone") << "Automatique" << true << int(Charset::kCp850) << "";
}

void CharsetChoiceTest::listGivesTheOptions() {
  QFETCH(QString, item);
  QFETCH(bool, oem);
  QFETCH(int, kind);
  QFETCH(QString, converter);
  auto panel = MakePanel();
  List(*panel)->setCurrentText(item);
  Box(*panel, ctl::kOem)->setChecked(oem);
  QCOMPARE(List(*panel)->isEnabled(), !oem);
  const brimsel::ConversionOptions options = brimsel::ReadConversionOptions(*panel);
  QCOMPARE(options.charset.has_value() ? int(options.charset->kind) : -1, kind);
  if (options.charset) QCOMPARE(QString::fromStdString(options.charset->converter), converter);
  Box(*panel, ctl::kOem)->setChecked(false);
  QVERIFY(List(*panel)->isEnabled());
}

void CharsetChoiceTest::drops_data() {
  QTest::addColumn<QStringList>("urls");  // "file:NAME" for a file in the temporary folder
  QTest::addColumn<QString>("text");
  QTest::addColumn<bool>("converts");
  QTest::newRow("one file") << QStringList{"file:a.ged"} << "" << true;
  QTest::newRow("one file, any name") << QStringList{"file:a.txt"} << "" << true;
  QTest::newRow("two files") << QStringList{"file:a.ged", "file:b.ged"} << "" << false;
  QTest::newRow("a folder") << QStringList{"file:"} << "" << false;
  QTest::newRow("a missing file") << QStringList{"file:gone.ged"} << "" << false;
  QTest::newRow("a web address") << QStringList{"https://example.org/a.ged"} << "" << false;
  QTest::newRow("text") << QStringList{} << "0 HEAD" << false;
}

void CharsetChoiceTest::drops() {
  QFETCH(QStringList, urls);
  QFETCH(QString, text);
  QFETCH(bool, converts);
  Write(QStringLiteral("a.ged"), "0 HEAD\n");
  Write(QStringLiteral("a.txt"), "0 HEAD\n");
  Write(QStringLiteral("b.ged"), "0 HEAD\n");
  auto panel = MakePanel();
  QMimeData data;
  QList<QUrl> list;
  for (const QString& url : urls) {
    list << (url.startsWith(QLatin1String("file:")) ? QUrl::fromLocalFile(dir_->filePath(url.mid(5)))
                                                    : QUrl(url));
  }
  if (!list.isEmpty()) data.setUrls(list);
  if (!text.isEmpty()) data.setText(text);
  QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(panel.get(), &enter);
  QVERIFY(enter.isAccepted());  // taken, so that a refusal can beep
  QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(panel.get(), &drop);
  QCOMPARE(drop.isAccepted(), converts);
  QCoreApplication::processEvents();
  QCOMPARE(beeps_, converts ? 0 : 1);
  QCOMPARE(converted_, converts ? QStringList{QFileInfo(list.front().toLocalFile()).filePath()}
                                : QStringList{});
  QVERIFY(starts_.isEmpty());  // no file dialog
}

void CharsetChoiceTest::noDropWhileACommandRuns() {
  const QString file = Write(QStringLiteral("a.ged"), "0 HEAD\n");
  auto panel = MakePanel();
  QMimeData data;
  data.setUrls({QUrl::fromLocalFile(file)});
  bool enterAccepted = true;
  bool dropAccepted = true;
  panel->Operations().stripQuotes = [&](brimsel::DialogServices&) {
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(panel.get(), &enter);
    enterAccepted = enter.isAccepted();
    QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(panel.get(), &drop);
    dropAccepted = drop.isAccepted();
    panel->OpenFile(file);
  };
  panel->HandleCommand(ctl::kStrip);
  QCoreApplication::processEvents();
  QVERIFY(!enterAccepted);
  QVERIFY(!dropAccepted);
  QCOMPARE(beeps_, 0);
  QVERIFY(converted_.isEmpty());
}

// The Croatian file that says ANSI and holds Windows-1250, dropped with the list on
// Windows-1250: the tables have the right letters.
void CharsetChoiceTest::droppedFileConvertsInTheChosenSet() {
  const QString file = Write(QStringLiteral("hr.ged"),
                             "0 HEAD\n1 CHAR ANSI\n0 @I1@ INDI\n1 NAME Ivan /Buri\xE6/\n0 TRLR\n");
  auto panel = MakePanel(true);
  List(*panel)->setCurrentText(QStringLiteral("Windows-1250"));
  QMimeData data;
  data.setUrls({QUrl::fromLocalFile(file)});
  QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(panel.get(), &enter);
  QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(panel.get(), &drop);
  QTRY_VERIFY(panel->Model().sourcePath.has_value());
  qobject_cast<QPushButton*>(panel->Control(ctl::kConvert))->click();
  QFile names(dir_->filePath(QStringLiteral("hr_NAME.txt")));
  QVERIFY(names.open(QIODevice::ReadOnly));
  QCOMPARE(QString::fromUtf8(names.readAll()), QStringLiteral("C_NAME\tNAME\r\n1\tBuri\u0107\r\n"));
}

void CharsetChoiceTest::settingsSurviveARestart() {
  QVERIFY(QDir(dir_->path()).mkdir(QStringLiteral("famille")));
  answer_ = Write(QStringLiteral("famille/f.ged"), "0 HEAD\n");
  {
    auto panel = MakePanel();
    Box(*panel, ctl::kIncludeNotes)->setChecked(true);
    Box(*panel, ctl::kProperNames)->setChecked(false);
    Box(*panel, ctl::kRefCounts)->setChecked(true);
    qobject_cast<QLineEdit*>(panel->Control(ctl::kIndiBase))->setText(QStringLiteral("100"));
    qobject_cast<QLineEdit*>(panel->Control(ctl::kFamBase))->setText(QStringLiteral("7"));
    List(*panel)->setCurrentText(QStringLiteral("CP852"));
    panel->HandleCommand(ctl::kChooseFile);
  }
  answer_.clear();
  auto panel = MakePanel();
  QVERIFY(Box(*panel, ctl::kIncludeNotes)->isChecked());
  QVERIFY(!Box(*panel, ctl::kProperNames)->isChecked());
  QVERIFY(Box(*panel, ctl::kRefCounts)->isChecked());
  QVERIFY(!Box(*panel, ctl::kOem)->isChecked());
  QCOMPARE(qobject_cast<QLineEdit*>(panel->Control(ctl::kIndiBase))->text(), QStringLiteral("100"));
  QCOMPARE(qobject_cast<QLineEdit*>(panel->Control(ctl::kFamBase))->text(), QStringLiteral("7"));
  QCOMPARE(List(*panel)->currentText(), QStringLiteral("CP852"));
  panel->HandleCommand(ctl::kChooseFile);
  QCOMPARE(starts_.last(), dir_->filePath(QStringLiteral("famille")));
  // The OEM box, ticked, is restored and keeps the list off.
  Box(*panel, ctl::kOem)->setChecked(true);
  panel.reset();
  panel = MakePanel();
  QVERIFY(Box(*panel, ctl::kOem)->isChecked());
  QVERIFY(!List(*panel)->isEnabled());
}

void CharsetChoiceTest::vanishedFolderFallsBackHome() {
  {
    QSettings settings(dir_->filePath(QStringLiteral("settings.ini")), QSettings::IniFormat);
    settings.setValue(QStringLiteral("lastFolder"), dir_->filePath(QStringLiteral("gone")));
    settings.setValue(QStringLiteral("options/charset"), QStringLiteral("no such item"));
  }
  auto panel = MakePanel();
  QCOMPARE(List(*panel)->currentIndex(), 0);
  panel->HandleCommand(ctl::kChooseFile);
  QCOMPARE(starts_, QStringList{QDir::homePath()});
}

QTEST_MAIN(CharsetChoiceTest)
#include "charset_choice_test.moc"
