// Tests of the control panel: command dispatch, a conversion driven through the buttons, and
// the dialog services the operations call.
#include "ui/qt/control_panel.h"

#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>
#include <deque>
#include <memory>
#include <vector>

#include "ui/count_fields.h"
#include "ui/qt/control_table.h"
#include "ui/qt/dialog_units.h"
#include "ui/qt/panel_widgets.h"

using brimsel::MessageIcon;
using namespace brimsel::qt;
namespace ctl = brimsel::ctl;

namespace {

const QColor kRed(255, 0, 0), kGreen(0, 255, 0);

// Counts the paint events a widget receives, and runs `onPaint` at each.
class PaintCounter final : public QObject {
 public:
  explicit PaintCounter(QWidget* widget, std::function<void()> onPaint = {})
      : QObject(widget), onPaint_(std::move(onPaint)) {
    widget->installEventFilter(this);
  }
  int count = 0;

 protected:
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Paint && ++count && onPaint_) onPaint_();
    return false;
  }

 private:
  std::function<void()> onPaint_;
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

void ShowAndWait(QWidget* widget) {
  widget->show();
  QVERIFY(QTest::qWaitForWindowExposed(widget));
  QApplication::processEvents();
}

}  // namespace

class ControlPanelTest : public QObject {
  Q_OBJECT

 private slots:
  void init();
  void cleanup();
  void commands();
  void conversionThroughTheButtons();
  void realExportWritesTheTables();
  void fileChoice();
  void statusCursorAndRepaint();
  void resetDisplay();
  void messagesAndNumbers();

 private:
  struct Box {
    QString text, caption;
    MessageIcon icon;
  };

  PlatformSeams RecordingSeams();
  void ConvertExample();  // through "Fichier...", from a folder whose name has an accent

  std::unique_ptr<QTemporaryDir> dir_;
  std::unique_ptr<ControlPanel> panel_;
  QString example_;  // the copy ConvertExample converts
  QStringList log_;  // every beep, box and operation, in order
  std::vector<Box> boxes_;
  std::vector<std::pair<QString, QString>> choices_;  // title and start of each file dialog
  std::deque<std::optional<QString>> answers_;        // the file dialog's next answers
  QStringList exported_;                              // sourcePath of each export
};

PlatformSeams ControlPanelTest::RecordingSeams() {
  PlatformSeams seams;
  seams.beep = [this] { log_ << QStringLiteral("beep"); };
  seams.messageBox = [this](QWidget*, const QString& text, const QString& caption, MessageIcon icon) {
    log_ << QStringLiteral("box ") + caption;
    boxes_.push_back({text, caption, icon});
  };
  seams.chooseFile = [this](QWidget*, const QString& title, const QString& start) {
    choices_.emplace_back(title, start);
    std::optional<QString> answer;
    if (!answers_.empty()) answer = answers_.front();
    if (!answers_.empty()) answers_.pop_front();
    return answer;
  };
  return seams;
}

void ControlPanelTest::init() {
  log_.clear();
  boxes_.clear();
  choices_.clear();
  answers_.clear();
  exported_.clear();
  dir_ = std::make_unique<QTemporaryDir>();
  QVERIFY(dir_->isValid());
  example_ = dir_->filePath(QStringLiteral("généalogie/famille.ged"));
  PanelOperations operations = PanelOperations::Real();
  operations.exportTables = [this](brimsel::GedcomModel& model, brimsel::DialogServices&) {
    log_ << QStringLiteral("export");
    exported_ << QFile::decodeName(model.sourcePath.value_or(std::string()).c_str());
    return 1;
  };
  operations.properNames = [this](brimsel::DialogServices&) { log_ << QStringLiteral("capital"); };
  operations.stripQuotes = [this](brimsel::DialogServices&) { log_ << QStringLiteral("strip"); };
  panel_.reset(ControlPanel::Create(nullptr, RecordingSeams(), operations));
  QVERIFY(panel_);
}

void ControlPanelTest::cleanup() {
  panel_.reset();
  QCOMPARE(QApplication::overrideCursor(), nullptr);  // no test leaves the busy cursor behind
}

void ControlPanelTest::ConvertExample() {
  QDir(dir_->path()).mkdir(QStringLiteral("généalogie"));
  QVERIFY(QFile::copy(QStringLiteral(BRIMSEL_SOURCE_DIR "/examples/famille.ged"), example_));
  answers_.push_back(example_);
  QTest::mouseClick(panel_->Control(ctl::kChooseFile), Qt::LeftButton);
  QVERIFY(panel_->Model().sourcePath.has_value());
}

// What each control's command does on a fresh panel, the buttons clicked as the user does;
// nothing but the buttons does anything, and nothing changes the boxes or the fields.
void ControlPanelTest::commands() {
  std::vector<std::pair<int, QStringList>> cases = {{ctl::kConvert, {"beep"}},  // before a conversion
                                                    {ctl::kCapital, {"capital"}},
                                                    {ctl::kStrip, {"strip"}},
                                                    {ctl::kNotice, {"box Brimsel 1.20"}},
                                                    {500, {}}};
  for (const ControlRow& row : kPanelControls) {
    if (row.kind != ControlKind::kPush && row.kind != ControlKind::kPushCentred) cases.push_back({row.id, {}});
  }
  for (const auto& [id, effects] : cases) {
    log_.clear();
    if (auto* button = qobject_cast<QPushButton*>(panel_->Control(id))) {
      QTest::mouseClick(button, Qt::LeftButton);
    } else {
      panel_->HandleCommand(id);
    }
    QVERIFY2(log_ == effects, qPrintable(QString::number(id) + ": " + log_.join(',')));
  }
  QVERIFY(choices_.empty());
  QVERIFY(panel_->IsChecked(ctl::kProperNames) && !panel_->IsChecked(ctl::kIncludeNotes));
  QCOMPARE(FieldText(*panel_, ctl::kIndiBase), QStringLiteral("1"));
  QCOMPARE(boxes_.size(), std::size_t{1});
  QCOMPARE(boxes_[0].icon, MessageIcon::kNone);
  QVERIFY(boxes_[0].text.size() <= 448 && boxes_[0].text.contains(QStringLiteral("« Convertir... »")));
}

// While the conversion runs the loop does not: the swatch must be painted red at once with the
// busy cursor on, and green at the end; then the counts and the list show the file.
void ControlPanelTest::conversionThroughTheButtons() {
  QFile file(QStringLiteral(BRIMSEL_SOURCE_DIR "/examples/famille.ged"));
  QVERIFY(file.open(QIODevice::ReadOnly));
  int individuals = 0, unions = 0;
  while (!file.atEnd()) {
    const QByteArray line = file.readLine();
    individuals += line.startsWith("0 @I");
    unions += line.startsWith("0 @F");
  }
  ShowAndWait(panel_.get());
  QStringList seen;  // colour, busy cursor and status line at each paint of the swatch
  new PaintCounter(panel_->Control(ctl::kSwatch), [&] {
    seen << (panel_->SwatchColour() == kRed ? "red " : panel_->SwatchColour() == kGreen ? "green " : "? ") +
                QString(BusyCursor() ? "busy " : "") + FieldText(*panel_, ctl::kStatusLine);
  });
  panel_->AddMessage("line of an earlier run");
  ConvertExample();
  QVERIFY2(seen.contains(QStringLiteral("red busy Passe 1")), qPrintable(seen.join(',')));
  QVERIFY2(seen.contains(QStringLiteral("red busy Passe 2")), qPrintable(seen.join(',')));
  QCOMPARE(seen.filter(QStringLiteral("red ")), seen.filter(QStringLiteral("red busy ")));
  QCOMPARE(seen.back(), QStringLiteral("green "));
  QCOMPARE(choices_, (std::vector<std::pair<QString, QString>>{{"FIchier source", QString()}}));
  QCOMPARE(QByteArray(panel_->CurrentFileName()), QFile::encodeName(example_));
  QCOMPARE(FieldText(*panel_, ctl::kFileLabel), example_);
  QCOMPARE(FieldText(*panel_, ctl::kIndiTotal), QString::number(individuals));
  QCOMPARE(FieldText(*panel_, ctl::kFamTotal), QString::number(unions));
  QVERIFY(!FieldText(*panel_, ctl::kLineCounter).isEmpty() && !FieldText(*panel_, ctl::kBirthDate).isEmpty());
  const QStringList items = Items(*panel_);
  QVERIFY(!items.isEmpty() && !items.contains(QStringLiteral("line of an earlier run")));
  QVERIFY2(items.back().contains(QStringLiteral(" prénoms, ")), qPrintable(items.back()));
  QVERIFY(boxes_.empty() && log_.isEmpty());
  // "Convertir..." beeps until a file is converted (see commands), then exports it each time.
  QTest::mouseClick(panel_->Control(ctl::kConvert), Qt::LeftButton);
  QTest::mouseClick(panel_->Control(ctl::kConvert), Qt::LeftButton);
  QCOMPARE(log_, (QStringList{"export", "export"}));
  QCOMPARE(exported_.front(), example_);
}

// The real operations behind both buttons, into a folder whose name has an accent.
void ControlPanelTest::realExportWritesTheTables() {
  panel_.reset(ControlPanel::Create(nullptr, RecordingSeams()));
  ConvertExample();
  QTest::mouseClick(panel_->Control(ctl::kConvert), Qt::LeftButton);
  const QDir folder(dir_->filePath(QStringLiteral("généalogie")));
  for (const char* suffix : {"_NAME", "_SURNAME", "_PLAC", "_INDI", "_FAM", "_INDInote", "_FAMnote"}) {
    QVERIFY2(folder.exists(QStringLiteral("famille%1.txt").arg(suffix)), suffix);
  }
  QVERIFY(Items(*panel_).back().contains(QStringLiteral(" Kb => ")));
  QVERIFY(boxes_.empty() && log_.isEmpty());  // no box, no beep
}

// The next dialog starts from the last path, a cancel keeps it; Qt's file dialog cannot fail,
// so a path the 512-byte buffer cannot hold is reported as a failed dialog was.
void ControlPanelTest::fileChoice() {
  ConvertExample();
  answers_ = {std::nullopt, QStringLiteral("/short.ged"), QStringLiteral("/") + QString(511, QChar('a')),
              QStringLiteral("/") + QString(510, QChar('a'))};
  QVERIFY(!panel_->ChooseOpenFile("Strip TXT"));
  QCOMPARE(choices_.back(), std::make_pair(QStringLiteral("Strip TXT"), example_));
  QCOMPARE(QByteArray(panel_->CurrentFileName()), QFile::encodeName(example_));
  QVERIFY(panel_->ChooseOpenFile("FIchier source"));
  QVERIFY(boxes_.empty());
  QVERIFY(!panel_->ChooseOpenFile("FIchier source"));  // 512 bytes
  QCOMPARE(boxes_.size(), std::size_t{1});
  QCOMPARE(boxes_[0].text + "|" + boxes_[0].caption, QStringLiteral("Erreur!|Ouverture"));
  QCOMPARE(boxes_[0].icon, MessageIcon::kError);
  QCOMPARE(panel_->CurrentFileName(), "/short.ged");
  QVERIFY(panel_->ChooseOpenFile("FIchier source"));  // 511 bytes fit
  QCOMPARE(qstrlen(panel_->CurrentFileName()), 511u);
}

// Each status shows its text, colour and cursor, painted before the call returns with the loop
// idle; the busy cursor is set once and restored once, on top of anyone else's.
void ControlPanelTest::statusCursorAndRepaint() {
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
  ShowAndWait(panel_.get());
  auto* counter = new PaintCounter(panel_->Control(ctl::kLineCounter));
  auto* swatch = new PaintCounter(panel_->Control(ctl::kSwatch));
  auto* status = new PaintCounter(panel_->Control(ctl::kStatusLine));
  auto* button = new PaintCounter(panel_->Control(ctl::kChooseFile));
  panel_->SetFieldText(ctl::kLineCounter, "100");
  panel_->Repaint();
  QCOMPARE(counter->count, 1);
  QApplication::setOverrideCursor(Qt::CrossCursor);  // someone else's
  panel_->SetStatus(true, "Passe 1");
  QCOMPARE(swatch->count + status->count + button->count, 2);  // only what changed is painted
  panel_->SetStatus(true, "Passe 2");
  panel_->SetStatus(false, nullptr);
  panel_->SetStatus(false, nullptr);
  QCOMPARE(QApplication::overrideCursor()->shape(), Qt::CrossCursor);
  QApplication::restoreOverrideCursor();
  panel_->SetStatus(true, "Passe 1");
  panel_.reset();  // a panel that goes away busy takes its cursor with it
}

// The file label and the conversion's count fields are emptied, every other field kept, and
// the check boxes left as they are.
void ControlPanelTest::resetDisplay() {
  std::vector<int> fields;
  for (const ControlRow& row : kPanelControls) {
    if (qobject_cast<QLineEdit*>(panel_->Control(row.id)) || row.id == ctl::kLineCounter || row.id == ctl::kFileLabel) {
      fields.push_back(row.id);
      panel_->SetFieldText(row.id, "7");
    }
  }
  qobject_cast<QCheckBox*>(panel_->Control(ctl::kProperNames))->setChecked(false);
  qobject_cast<QCheckBox*>(panel_->Control(ctl::kRefCounts))->setChecked(true);
  panel_->AddMessage("un");
  panel_->ResetDisplay();
  for (int id : fields) {
    bool counted = id == ctl::kFileLabel;
    for (const brimsel::CountField& f : brimsel::kCountFields) counted = counted || f.id == id;
    QCOMPARE(FieldText(*panel_, id), counted ? QString() : QStringLiteral("7"));
  }
  QVERIFY(Items(*panel_).isEmpty());
  QVERIFY(!panel_->IsChecked(ctl::kProperNames) && panel_->IsChecked(ctl::kRefCounts));
}

// Lines are shown in Windows-1252, in their order, tabs kept for the tab stops; numbers are
// read from what was typed.
void ControlPanelTest::messagesAndNumbers() {
  for (const char* line : {"zeta", "alpha", "erreur sexe \xC9POUX(3) 1", "\x80 \x9C\x8C \x92", "NAME\t12\t3"}) {
    panel_->AddMessage(line);
  }
  QCOMPARE(Items(*panel_),
           (QStringList{"zeta", "alpha", "erreur sexe ÉPOUX(3) 1", "€ œŒ ’", "NAME\t12\t3"}));
  auto* list = qobject_cast<MessageList*>(panel_->Control(ctl::kMessageList));
  QCOMPARE(list->TabStopPixels(), MulDivRounded(32, panel_->BaseUnits().x, 4));
  auto* field = qobject_cast<QLineEdit*>(panel_->Control(ctl::kFamBase));
  for (const auto& [typed, value] : {std::pair{"  7", 7u}, {"1²", 99u}}) {
    field->clear();
    QTest::keyClicks(field, QString::fromUtf8(typed));
    unsigned read = 99;
    QCOMPARE(panel_->ReadNumber(ctl::kFamBase, &read), value != 99u);
    QCOMPARE(read, value);
  }
}

QTEST_MAIN(ControlPanelTest)
#include "control_panel_test.moc"
