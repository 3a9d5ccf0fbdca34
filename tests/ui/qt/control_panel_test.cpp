// The control panel: commands, a conversion through the buttons, file choice, busy and idle.
#include "ui/qt/control_panel.h"

#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>
#include <vector>

#include "ui/qt/control_table.h"
#include "ui/qt/panel_widgets.h"

using brimsel::MessageIcon;
using namespace brimsel::qt;
namespace ctl = brimsel::ctl;

namespace {

const QColor kRed(255, 0, 0), kGreen(0, 255, 0);

// Counts the paint events a widget receives, and runs `onPaint` at each.
class PaintCounter final : public QObject {
 public:
  explicit PaintCounter(QWidget* widget, std::function<void()> paint = {}) : QObject(widget), onPaint(paint) {
    widget->installEventFilter(this);
  }
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Paint && ++count && onPaint) onPaint();
    return false;
  }
  int count = 0;
  std::function<void()> onPaint;
};

QString FieldText(ControlPanel& panel, int id) {
  QWidget* widget = panel.Control(id);
  if (auto* field = qobject_cast<QLineEdit*>(widget)) return field->text();
  if (auto* label = qobject_cast<QLabel*>(widget)) return label->text();
  return QStringLiteral("<not a field>");
}

bool BusyCursor() {
  const QCursor* cursor = QApplication::overrideCursor();
  return cursor != nullptr && cursor->shape() == Qt::WaitCursor;
}

QStringList Items(ControlPanel& panel) {
  auto* list = qobject_cast<MessageList*>(panel.Control(ctl::kMessageList));
  QStringList items;
  for (int row = 0; row < list->count(); ++row) items << list->item(row)->text();
  return items;
}

}  // namespace

class ControlPanelTest : public QObject {
  Q_OBJECT

 private slots:
  void init();
  void cleanup();
  void commands();
  void conversionThroughTheButtons();
  void fileChoice();
  void accentedWordsOfAUtf8File();
  void statusAndCursor();

 private:
  PlatformSeams RecordingSeams();
  // Clicks the control `id` and waits for the work it started, if any, to end.
  void Click(int id);
  void ConvertExample();  // through "Fichier...", from a folder whose name has an accent

  std::unique_ptr<QTemporaryDir> dir_;
  std::unique_ptr<ControlPanel> panel_;
  QString example_;  // the copy ConvertExample converts
  // Every beep, box and operation; "caption|text|icon" of each box; "title|start" of each file
  // dialog; the dialog's next answers, "" for a cancel.
  QStringList log_, boxes_, choices_, answers_;
};

PlatformSeams ControlPanelTest::RecordingSeams() {
  PlatformSeams seams;
  seams.beep = [this] { log_ << QStringLiteral("beep"); };
  seams.messageBox = [this](QWidget*, const QString& text, const QString& caption, MessageIcon icon) {
    log_ << QStringLiteral("box ") + caption;
    boxes_ << caption + "|" + text + "|" + QString::number(int(icon));
  };
  seams.chooseFile = [this](QWidget*, const QString& title, const QString& start) {
    choices_ << title + "|" + start;
    const QString answer = answers_.isEmpty() ? QString() : answers_.takeFirst();
    return answer.isEmpty() ? std::nullopt : std::optional<QString>(answer);
  };
  return seams;
}

void ControlPanelTest::init() {
  log_ = boxes_ = choices_ = answers_ = {};
  dir_ = std::make_unique<QTemporaryDir>();
  QVERIFY(dir_->isValid());
  example_ = dir_->filePath(QStringLiteral("généalogie/famille.ged"));
  // The recorders run on the worker thread; the test reads the log once the work has ended.
  PanelOperations operations = PanelOperations::Real();
  operations.exportTables = [this](const brimsel::GedcomModel& model, const brimsel::ExportOptions&,
                                   brimsel::ProgressSink&) {
    log_ << "export " + QFile::decodeName(model.sourcePath.value_or(std::string()).c_str());
    return brimsel::ExportResult();
  };
  operations.properNames = [this](const std::string& input, const brimsel::StopRequest&) {
    log_ << "capital " + QFile::decodeName(input.c_str());
    return brimsel::ToolResult();
  };
  operations.stripQuotes = [this](const std::string& input, const brimsel::StopRequest&) {
    log_ << "strip " + QFile::decodeName(input.c_str());
    return brimsel::ToolResult();
  };
  panel_.reset(ControlPanel::Create(nullptr, RecordingSeams(), operations));
  QVERIFY(panel_);
}

void ControlPanelTest::cleanup() {
  panel_.reset();
  QCOMPARE(QApplication::overrideCursor(), nullptr);  // no test leaves the busy cursor behind
}

void ControlPanelTest::Click(int id) {
  QTest::mouseClick(panel_->Control(id), Qt::LeftButton);
  QTRY_VERIFY_WITH_TIMEOUT(!panel_->Working(), 30000);
}

void ControlPanelTest::ConvertExample() {
  QDir(dir_->path()).mkdir(QStringLiteral("généalogie"));
  QVERIFY(QFile::copy(QStringLiteral(BRIMSEL_SOURCE_DIR "/examples/famille.ged"), example_));
  answers_.push_back(example_);
  Click(ctl::kChooseFile);
  QVERIFY(panel_->Model().sourcePath.has_value());
}

// What each control's command does on a fresh panel, the buttons clicked as the user does;
// nothing but the buttons does anything, and nothing changes the boxes or the fields.
void ControlPanelTest::commands() {
  answers_ = {"/a.csv", "/b.csv"};
  std::vector<std::pair<int, QStringList>> cases = {{ctl::kConvert, {"beep"}},  // before a conversion
                                                    {ctl::kCapital, {"capital /a.csv"}},
                                                    {ctl::kStrip, {"strip /b.csv"}},
                                                    {ctl::kNotice, {"box Brimsel 1.20"}},
                                                    {500, {}}};
  for (const ControlRow& row : kPanelControls) {
    if (row.kind != ControlKind::kPush && row.kind != ControlKind::kPushCentred) cases.push_back({row.id, {}});
  }
  for (const auto& [id, effects] : cases) {
    log_.clear();
    if (qobject_cast<QPushButton*>(panel_->Control(id))) {
      Click(id);
    } else {
      panel_->HandleCommand(id);
    }
    QVERIFY2(log_ == effects, qPrintable(QString::number(id) + ": " + log_.join(',')));
  }
  QCOMPARE(choices_, (QStringList{"FIchier Nom Propre|", "Strip TXT|/a.csv"}));
  QVERIFY(panel_->IsChecked(ctl::kProperNames) && !panel_->IsChecked(ctl::kIncludeNotes) &&
          !panel_->IsChecked(ctl::kSqlite));
  QCOMPARE(FieldText(*panel_, ctl::kIndiBase), QStringLiteral("1"));
  QCOMPARE(boxes_.size(), 1);
  QVERIFY(boxes_[0].size() <= 448 && boxes_[0].contains(QStringLiteral("« Convertir... »")));
  QVERIFY(boxes_[0].endsWith("|" + QString::number(int(MessageIcon::kNone))));
}

// While the work runs the swatch is red with the busy cursor, "Fichier..." reads "Annuler" and
// only it and "?" are on among the buttons and options; all comes back at the end, with the
// swatch green and the earlier run's lines gone from the list.
void ControlPanelTest::conversionThroughTheButtons() {
  panel_->show();
  QVERIFY(QTest::qWaitForWindowExposed(panel_.get()));
  QStringList seen;  // colour and busy cursor at each paint of the swatch
  new PaintCounter(panel_->Control(ctl::kSwatch), [&] {
    seen << (panel_->SwatchColour() == kRed ? "red" : panel_->SwatchColour() == kGreen ? "green" : "?") +
                QString(BusyCursor() ? " busy" : "");
  });
  panel_->AddMessage("line of an earlier run");
  const auto controlsOn = [this] {
    QString on;
    for (const int id : {ctl::kChooseFile, ctl::kNotice, ctl::kConvert, ctl::kCapital, ctl::kStrip, ctl::kSqlite,
                         ctl::kIndiBase, ctl::kCharsetList, ctl::kMessageList}) {
      on += panel_->Control(id)->isEnabled() ? '1' : '0';
    }
    return on + " " + qobject_cast<QPushButton*>(panel_->Control(ctl::kChooseFile))->text();
  };
  QCOMPARE(controlsOn(), QStringLiteral("111111111 Fichier..."));
  QDir(dir_->path()).mkdir(QStringLiteral("généalogie"));
  QVERIFY(QFile::copy(QStringLiteral(BRIMSEL_SOURCE_DIR "/examples/famille.ged"), example_));
  answers_.push_back(example_);
  QTest::mouseClick(panel_->Control(ctl::kChooseFile), Qt::LeftButton);
  QVERIFY(panel_->Working());
  QCOMPARE(controlsOn(), QStringLiteral("110000001 Annuler"));
  QVERIFY(panel_->SwatchColour() == kRed && BusyCursor());
  QTRY_VERIFY_WITH_TIMEOUT(!panel_->Working(), 30000);
  QCOMPARE(controlsOn(), QStringLiteral("111111111 Fichier..."));
  QTRY_VERIFY(!seen.isEmpty() && seen.back() == QStringLiteral("green"));
  QVERIFY2(seen.contains(QStringLiteral("red busy")), qPrintable(seen.join(',')));
  QCOMPARE(seen.filter(QStringLiteral("red")), seen.filter(QStringLiteral("red busy")));
  QCOMPARE(choices_, QStringList{"FIchier source|"});
  QCOMPARE(FieldText(*panel_, ctl::kFileLabel), example_);
  QCOMPARE(FieldText(*panel_, ctl::kStatusLine), QString());
  const QStringList items = Items(*panel_);
  QVERIFY(!items.isEmpty() && !items.contains(QStringLiteral("line of an earlier run")));
  QVERIFY(boxes_.empty() && log_.isEmpty());
  // "Convertir..." beeps until a file is converted (see commands), then exports it each time.
  Click(ctl::kConvert);
  Click(ctl::kConvert);
  QCOMPARE(log_, (QStringList{"export " + example_, "export " + example_}));
}

// The next dialog starts from the last path, a cancel keeps it; Qt's file dialog cannot fail,
// so a path the 512-byte buffer cannot hold is reported as a failed dialog was.
void ControlPanelTest::fileChoice() {
  ConvertExample();
  answers_ = {"", "/short.ged", "/" + QString(511, QChar('a')), "/" + QString(510, QChar('a'))};
  QVERIFY(!panel_->ChooseOpenFile("Strip TXT"));
  QCOMPARE(choices_.back(), "Strip TXT|" + example_);
  QCOMPARE(QByteArray(panel_->CurrentFileName()), QFile::encodeName(example_));
  QVERIFY(panel_->ChooseOpenFile("FIchier source"));
  QVERIFY(boxes_.empty());
  QVERIFY(!panel_->ChooseOpenFile("FIchier source"));  // 512 bytes
  QCOMPARE(boxes_, QStringList{"Ouverture|Erreur!|" + QString::number(int(MessageIcon::kError))});
  QCOMPARE(panel_->CurrentFileName(), "/short.ged");
  QVERIFY(panel_->ChooseOpenFile("FIchier source"));  // 511 bytes fit
  QCOMPARE(qstrlen(panel_->CurrentFileName()), 511u);
}

// A UTF-8 file's words show with their letters in the message list, a character Windows-1252
// lacks as '?', and its accented name in the file label.
void ControlPanelTest::accentedWordsOfAUtf8File() {
  const QString path = dir_->filePath(QStringLiteral("Quéré.ged"));
  QFile file(path);
  QVERIFY(file.open(QIODevice::WriteOnly));
  file.write("0 HEAD\n1 CHAR ANSI\n0 @I1@ INDI\n1 NAME H\xC3\xA9l\xC3\xA8ne /Qu\xC3\xA9r\xC3\xA9/\n"
             "1 FAMS @F\xC3\xA9@\n1 FAMS @F\xE4\xB8\xAD@\n0 TRLR\n");
  file.close();
  answers_ << path;
  Click(ctl::kChooseFile);
  QCOMPARE(FieldText(*panel_, ctl::kFileLabel), path);
  const QStringList items = Items(*panel_);
  for (const QString& line : {QStringLiteral("Jeu de caractères UTF-8 (CHAR ANSI)"),
                              QStringLiteral("erreur FAMS inexistant(@Fé@) 0"),
                              QStringLiteral("erreur FAMS inexistant(@F?@) 0")}) {
    QVERIFY2(items.contains(line), qPrintable(items.join('\n')));
  }
}

// Each status shows its text, colour and cursor; the busy cursor is set once and restored once,
// on top of anyone else's.
void ControlPanelTest::statusAndCursor() {
  const struct {
    bool busy;
    const char* text;
    QString shown;
  } cases[] = {{true, "Passe 1", "Passe 1"}, {true, nullptr, ""}, {false, nullptr, ""}, {false, "", ""}};
  for (const auto& c : cases) {
    panel_->SetStatus(true, "before");
    panel_->SetStatus(c.busy, c.text);
    QCOMPARE(FieldText(*panel_, ctl::kStatusLine), c.shown);
    QCOMPARE(panel_->SwatchColour(), c.busy ? kRed : kGreen);
    QCOMPARE(BusyCursor(), c.busy);
    panel_->SetStatus(false, nullptr);
  }
  QApplication::setOverrideCursor(Qt::CrossCursor);  // someone else's
  panel_->SetStatus(true, "Passe 1");
  panel_->SetStatus(true, "Passe 2");
  panel_->SetStatus(false, nullptr);
  panel_->SetStatus(false, nullptr);
  QCOMPARE(QApplication::overrideCursor()->shape(), Qt::CrossCursor);
  QApplication::restoreOverrideCursor();
  panel_->SetStatus(true, "Passe 1");
  panel_.reset();  // a panel that goes away busy takes its cursor with it
}

QTEST_MAIN(ControlPanelTest)
#include "control_panel_test.moc"
