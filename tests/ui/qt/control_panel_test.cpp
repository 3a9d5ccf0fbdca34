// Tests of the control panel: initial states, command dispatch, a conversion driven through
// the buttons, and the dialog services the operations call.
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
#include "ui/qt/notice.h"
#include "ui/qt/notice_block.h"
#include "ui/qt/panel_widgets.h"

using brimsel::MessageIcon;
using namespace brimsel::qt;
namespace ctl = brimsel::ctl;

Q_DECLARE_METATYPE(brimsel::MessageIcon)

namespace {

// Counts the paint events a widget receives.
class PaintCounter final : public QObject {
 public:
  explicit PaintCounter(QWidget* widget, std::function<void()> onPaint = {})
      : QObject(widget), onPaint_(std::move(onPaint)) {
    widget->installEventFilter(this);
  }
  int count = 0;

 protected:
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Paint) {
      ++count;
      if (onPaint_) onPaint_();
    }
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

QCheckBox* Check(ControlPanel& panel, int id) {
  return qobject_cast<QCheckBox*>(panel.Control(id));
}

}  // namespace

class ControlPanelTest : public QObject {
  Q_OBJECT

 private slots:
  void init();
  void cleanup();

  void initialState_data();
  void initialState();
  void commands_data();
  void commands();
  void conversionFillsThePanel();
  void realExportWritesTheTables();
  void conversionShowsEachPhaseAtOnce();
  void fileChoiceStartsFromTheLastPath();
  void pathTooLongForTheBuffer();
  void status_data();
  void status();
  void busyCursorIsRestoredOnce();
  void repaintWithoutEventLoop();
  void resetDisplay_data();
  void resetDisplay();
  void messages_data();
  void messages();
  void readNumber_data();
  void readNumber();
  void notice();

 private:
  struct Box {
    QString text, caption;
    MessageIcon icon;
  };
  struct Choice {
    QString title, start;
  };

  PlatformSeams RecordingSeams();
  // Copies the example file into the temporary folder, under a folder with an accent.
  QString ExampleCopy();
  void ConvertExample();

  std::unique_ptr<QTemporaryDir> dir_;
  std::unique_ptr<ControlPanel> panel_;
  QStringList log_;  // every beep, box and operation, in order
  std::vector<Box> boxes_;
  std::vector<Choice> choices_;
  std::deque<std::optional<QString>> answers_;  // the file dialog's next answers
  QStringList exported_;                        // sourcePath of each export
};

PlatformSeams ControlPanelTest::RecordingSeams() {
  PlatformSeams seams;
  seams.beep = [this] { log_ << QStringLiteral("beep"); };
  seams.messageBox = [this](QWidget*, const QString& text, const QString& caption,
                            MessageIcon icon) {
    log_ << QStringLiteral("box ") + caption;
    boxes_.push_back({text, caption, icon});
  };
  seams.chooseFile = [this](QWidget*, const QString& title, const QString& start) {
    choices_.push_back({title, start});
    std::optional<QString> answer;
    if (!answers_.empty()) {
      answer = answers_.front();
      answers_.pop_front();
    }
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

QString ControlPanelTest::ExampleCopy() {
  QDir(dir_->path()).mkdir(QStringLiteral("généalogie"));
  const QString copy = dir_->filePath(QStringLiteral("généalogie/famille.ged"));
  if (!QFile::copy(QStringLiteral(BRIMSEL_SOURCE_DIR "/examples/famille.ged"), copy)) return {};
  return copy;
}

void ControlPanelTest::ConvertExample() {
  const QString path = ExampleCopy();
  QVERIFY(!path.isEmpty());
  answers_.push_back(path);
  QTest::mouseClick(panel_->Control(ctl::kChooseFile), Qt::LeftButton);
  QVERIFY(panel_->Model().sourcePath.has_value());
}

void ControlPanelTest::initialState_data() {
  QTest::addColumn<int>("id");
  QTest::addColumn<QString>("shown");  // a check box: "checked" or not
  QTest::newRow("Nom Propre") << int(ctl::kProperNames) << QStringLiteral("checked");
  for (int id : {int(ctl::kIncludeNotes), int(ctl::kRefCounts), int(ctl::kOem), int(ctl::kSqlite)}) QTest::addRow("box %d", id) << id << QString();
  QTest::newRow("INDI+") << int(ctl::kIndiBase) << QStringLiteral("1");
  QTest::newRow("FAM +") << int(ctl::kFamBase) << QStringLiteral("1");
  for (int id : {int(ctl::kIndiField), int(ctl::kStatusLine), int(ctl::kLineCounter), int(ctl::kFileLabel)}) {
    QTest::addRow("field %d", id) << id << QString();
  }
}

void ControlPanelTest::initialState() {
  QFETCH(int, id);
  QFETCH(QString, shown);
  if (QCheckBox* box = Check(*panel_, id)) {
    QCOMPARE(box->isChecked(), !shown.isEmpty());
    QCOMPARE(panel_->IsChecked(id), !shown.isEmpty());
  } else {
    QCOMPARE(FieldText(*panel_, id), shown);
  }
  QCOMPARE(panel_->SwatchColour(), QColor(0, 255, 0));
  QCOMPARE(panel_->CurrentFileName(), "");
}

// What each control's command does on a fresh panel; nothing but the buttons does anything.
void ControlPanelTest::commands_data() {
  QTest::addColumn<int>("id");
  QTest::addColumn<QStringList>("effects");
  QTest::newRow("Convertir... before a conversion") << int(ctl::kConvert) << QStringList{"beep"};
  QTest::newRow("Capital...") << int(ctl::kCapital) << QStringList{"capital"};
  QTest::newRow("Strip") << int(ctl::kStrip) << QStringList{"strip"};
  QTest::newRow("?") << int(ctl::kNotice) << QStringList{"box Brimsel 1.20"};
  for (const ControlRow& row : kPanelControls) {
    if (row.kind != ControlKind::kPush && row.kind != ControlKind::kPushCentred) {
      QTest::addRow("notification of %d", row.id) << row.id << QStringList{};
    }
  }
  QTest::newRow("unknown 500") << 500 << QStringList{};
}

void ControlPanelTest::commands() {
  QFETCH(int, id);
  QFETCH(QStringList, effects);
  auto* button = qobject_cast<QPushButton*>(panel_->Control(id));
  if (button != nullptr) {
    QTest::mouseClick(button, Qt::LeftButton);  // through the widget, as the user does
  } else {
    panel_->HandleCommand(id);
  }
  QCOMPARE(log_, effects);
  QCOMPARE(choices_.size(), std::size_t{0});
  QCOMPARE(panel_->IsChecked(ctl::kProperNames), true);
  QCOMPARE(panel_->IsChecked(ctl::kIncludeNotes), false);
  QCOMPARE(FieldText(*panel_, ctl::kIndiBase), QStringLiteral("1"));
}

void ControlPanelTest::conversionFillsThePanel() {
  // What the example holds, counted here from the file itself.
  QFile file(QStringLiteral(BRIMSEL_SOURCE_DIR "/examples/famille.ged"));
  QVERIFY(file.open(QIODevice::ReadOnly));
  int individuals = 0, unions = 0;
  while (!file.atEnd()) {
    const QByteArray line = file.readLine();
    if (line.startsWith("0 @I")) ++individuals;
    if (line.startsWith("0 @F")) ++unions;
  }
  QVERIFY(individuals > 0 && unions > 0);

  panel_->AddMessage("line of an earlier run");
  ConvertExample();
  QCOMPARE(choices_.size(), std::size_t{1});
  QCOMPARE(choices_[0].title, QStringLiteral("FIchier source"));
  QCOMPARE(choices_[0].start, QString());
  const QString path = dir_->filePath(QStringLiteral("généalogie/famille.ged"));
  QCOMPARE(QByteArray(panel_->CurrentFileName()), QFile::encodeName(path));
  QCOMPARE(FieldText(*panel_, ctl::kFileLabel), path);
  QCOMPARE(FieldText(*panel_, ctl::kIndiTotal), QString::number(individuals));
  QCOMPARE(FieldText(*panel_, ctl::kFamTotal), QString::number(unions));
  QVERIFY(!FieldText(*panel_, ctl::kLineCounter).isEmpty());
  QVERIFY(!FieldText(*panel_, ctl::kBirthDate).isEmpty());

  auto* list = qobject_cast<MessageList*>(panel_->Control(ctl::kMessageList));
  QVERIFY(list->count() > 0);
  QVERIFY(list->findItems(QStringLiteral("line of an earlier run"), Qt::MatchExactly).isEmpty());
  const QString last = list->item(list->count() - 1)->text();
  QVERIFY2(last.contains(QStringLiteral(" prénoms, ")), qPrintable(last));  // decoded 0xE9

  QCOMPARE(FieldText(*panel_, ctl::kStatusLine), QString());
  QCOMPARE(panel_->SwatchColour(), QColor(0, 255, 0));
  QCOMPARE(QApplication::overrideCursor(), nullptr);
  QVERIFY(boxes_.empty());
  QVERIFY(log_.isEmpty());
  // "Convertir..." beeps until a file is converted (see commands), then exports it each time.
  QTest::mouseClick(panel_->Control(ctl::kConvert), Qt::LeftButton);
  QTest::mouseClick(panel_->Control(ctl::kConvert), Qt::LeftButton);
  QCOMPARE(log_, (QStringList{"export", "export"}));
  QCOMPARE(exported_.front(), path);
}

// The real operations behind both buttons, into a folder whose name has an accent.
void ControlPanelTest::realExportWritesTheTables() {
  panel_.reset(ControlPanel::Create(nullptr, RecordingSeams()));
  ConvertExample();
  QTest::mouseClick(panel_->Control(ctl::kConvert), Qt::LeftButton);
  const QDir folder(dir_->filePath(QStringLiteral("généalogie")));
  for (const char* suffix :
       {"_NAME", "_SURNAME", "_PLAC", "_INDI", "_FAM", "_INDInote", "_FAMnote"}) {
    const QString table = QStringLiteral("famille") + QLatin1String(suffix) + ".txt";
    QVERIFY2(folder.exists(table), qPrintable(table));
  }
  auto* list = qobject_cast<MessageList*>(panel_->Control(ctl::kMessageList));
  QVERIFY(list->item(list->count() - 1)->text().contains(QStringLiteral(" Kb => ")));
  QCOMPARE(panel_->SwatchColour(), QColor(0, 255, 0));
  QVERIFY(boxes_.empty());
  QVERIFY(log_.isEmpty());  // no beep
}

// While the conversion runs the loop does not: the swatch must be painted red at once with the
// busy cursor on, and green at the end.
void ControlPanelTest::conversionShowsEachPhaseAtOnce() {
  panel_->show();
  QVERIFY(QTest::qWaitForWindowExposed(panel_.get()));
  QApplication::processEvents();
  struct Seen {
    QColor colour;
    QString status;
    bool busyCursor;
  };
  std::vector<Seen> seen;
  auto* swatch = panel_->Control(ctl::kSwatch);
  new PaintCounter(swatch, [&] {
    const QCursor* cursor = QApplication::overrideCursor();
    seen.push_back({panel_->SwatchColour(), FieldText(*panel_, ctl::kStatusLine),
                    cursor != nullptr && cursor->shape() == Qt::WaitCursor});
  });
  ConvertExample();
  QVERIFY(seen.size() >= 3);
  QStringList phases;
  for (const Seen& s : seen) {
    if (s.colour == QColor(255, 0, 0)) {
      QVERIFY(s.busyCursor);
      phases << s.status;
    }
  }
  QVERIFY2(phases.contains(QStringLiteral("Passe 1")), qPrintable(phases.join(',')));
  QVERIFY2(phases.contains(QStringLiteral("Passe 2")), qPrintable(phases.join(',')));
  QCOMPARE(seen.back().colour, QColor(0, 255, 0));
  QCOMPARE(seen.back().status, QString());
  QVERIFY(!seen.back().busyCursor);
}

void ControlPanelTest::fileChoiceStartsFromTheLastPath() {
  ConvertExample();
  const QString first = dir_->filePath(QStringLiteral("généalogie/famille.ged"));
  const QByteArray kept(panel_->CurrentFileName());
  answers_.push_back(std::nullopt);  // cancelled
  QVERIFY(!panel_->ChooseOpenFile("Strip TXT"));
  answers_.push_back(std::nullopt);
  QVERIFY(!panel_->ChooseOpenFile("FIchier Nom Propre"));
  QCOMPARE(choices_.size(), std::size_t{3});
  QCOMPARE(choices_[1].title, QStringLiteral("Strip TXT"));
  QCOMPARE(choices_[1].start, first);
  QCOMPARE(choices_[2].start, first);  // a cancel keeps the path
  QCOMPARE(QByteArray(panel_->CurrentFileName()), kept);
  QVERIFY(boxes_.empty());
}

// Qt's file dialog cannot fail; a path the 512-byte buffer cannot hold is what remains, and it
// is reported as a failed dialog was.
void ControlPanelTest::pathTooLongForTheBuffer() {
  answers_.push_back(QStringLiteral("/short.ged"));
  QVERIFY(panel_->ChooseOpenFile("FIchier source"));
  answers_.push_back(QStringLiteral("/") + QString(511, QChar('a')));  // 512 bytes
  QVERIFY(!panel_->ChooseOpenFile("FIchier source"));
  QCOMPARE(boxes_.size(), std::size_t{1});
  QCOMPARE(boxes_[0].text, QStringLiteral("Erreur!"));
  QCOMPARE(boxes_[0].caption, QStringLiteral("Ouverture"));
  QCOMPARE(boxes_[0].icon, MessageIcon::kError);
  QCOMPARE(panel_->CurrentFileName(), "/short.ged");
  answers_.push_back(QStringLiteral("/") + QString(510, QChar('a')));  // 511 bytes fit
  QVERIFY(panel_->ChooseOpenFile("FIchier source"));
  QCOMPARE(qstrlen(panel_->CurrentFileName()), 511u);
}

void ControlPanelTest::status_data() {
  QTest::addColumn<bool>("busy");
  QTest::addColumn<QByteArray>("text");
  QTest::addColumn<bool>("nullText");
  QTest::addColumn<QString>("shown");
  QTest::addColumn<QColor>("colour");
  QTest::newRow("busy") << true << QByteArray("Passe 1") << false << QStringLiteral("Passe 1")
                        << QColor(255, 0, 0);
  QTest::newRow("busy, export") << true << QByteArray("Conversion en cours!") << false
                                << QStringLiteral("Conversion en cours!") << QColor(255, 0, 0);
  QTest::newRow("busy, no text") << true << QByteArray() << true << QString() << QColor(255, 0, 0);
  QTest::newRow("idle") << false << QByteArray() << true << QString() << QColor(0, 255, 0);
  QTest::newRow("idle, empty text")
      << false << QByteArray("") << false << QString() << QColor(0, 255, 0);
}

void ControlPanelTest::status() {
  QFETCH(bool, busy);
  QFETCH(QByteArray, text);
  QFETCH(bool, nullText);
  QFETCH(QString, shown);
  QFETCH(QColor, colour);
  panel_->SetStatus(true, "before");
  panel_->SetStatus(busy, nullText ? nullptr : text.constData());
  QCOMPARE(FieldText(*panel_, ctl::kStatusLine), shown);
  QCOMPARE(panel_->SwatchColour(), colour);
  const QCursor* cursor = QApplication::overrideCursor();
  QCOMPARE(cursor != nullptr && cursor->shape() == Qt::WaitCursor, busy);
  panel_->SetStatus(false, nullptr);
}

void ControlPanelTest::busyCursorIsRestoredOnce() {
  QApplication::setOverrideCursor(Qt::CrossCursor);  // someone else's
  panel_->SetStatus(true, "Passe 1");
  panel_->SetStatus(true, "Passe 2");
  panel_->SetStatus(true, "Passe 3");
  panel_->SetStatus(false, nullptr);
  panel_->SetStatus(false, nullptr);
  QVERIFY(QApplication::overrideCursor() != nullptr);
  QCOMPARE(QApplication::overrideCursor()->shape(), Qt::CrossCursor);
  QApplication::restoreOverrideCursor();
  panel_->SetStatus(true, "Passe 1");
  panel_.reset();  // a panel that goes away busy takes its cursor with it
}

// The line counter and the swatch are painted before the call returns, the loop idle.
void ControlPanelTest::repaintWithoutEventLoop() {
  panel_->show();
  QVERIFY(QTest::qWaitForWindowExposed(panel_.get()));
  QApplication::processEvents();
  auto* counter = new PaintCounter(panel_->Control(ctl::kLineCounter));
  auto* swatch = new PaintCounter(panel_->Control(ctl::kSwatch));
  auto* status = new PaintCounter(panel_->Control(ctl::kStatusLine));
  auto* button = new PaintCounter(panel_->Control(ctl::kChooseFile));

  panel_->SetFieldText(ctl::kLineCounter, "100");
  panel_->Repaint();
  QCOMPARE(counter->count, 1);
  panel_->SetStatus(true, "Passe 1");
  QCOMPARE(swatch->count, 1);
  QCOMPARE(status->count, 1);
  QCOMPARE(button->count, 0);  // only what changed is painted
  panel_->SetStatus(false, nullptr);
}

// The file label and the conversion's count fields are emptied, every other field kept.
void ControlPanelTest::resetDisplay_data() {
  QTest::addColumn<int>("id");
  QTest::addColumn<bool>("emptied");
  for (const ControlRow& row : kPanelControls) {
    const bool field = row.kind == ControlKind::kCount || row.kind == ControlKind::kInput ||
                       row.kind == ControlKind::kLine || row.id == ctl::kLineCounter || row.id == ctl::kFileLabel;
    if (!field) continue;
    bool counted = row.id == ctl::kFileLabel;
    for (const brimsel::CountField& f : brimsel::kCountFields) counted = counted || f.id == row.id;
    QTest::addRow("%d", row.id) << row.id << counted;
  }
}

void ControlPanelTest::resetDisplay() {
  QFETCH(int, id);
  QFETCH(bool, emptied);
  panel_->SetStatus(true, "Passe 1");
  panel_->SetFieldText(id, "7");
  Check(*panel_, ctl::kProperNames)->setChecked(false);
  Check(*panel_, ctl::kRefCounts)->setChecked(true);
  panel_->AddMessage("un");
  panel_->AddMessage("deux");
  panel_->ResetDisplay();
  QCOMPARE(FieldText(*panel_, id), emptied ? QString() : QStringLiteral("7"));
  QCOMPARE(qobject_cast<MessageList*>(panel_->Control(ctl::kMessageList))->count(), 0);
  QVERIFY(!panel_->IsChecked(ctl::kProperNames));
  QVERIFY(panel_->IsChecked(ctl::kRefCounts));
  QCOMPARE(panel_->SwatchColour(), QColor(255, 0, 0));
  panel_->SetStatus(false, nullptr);
}

void ControlPanelTest::messages_data() {
  QTest::addColumn<QByteArrayList>("lines");
  QTest::addColumn<QStringList>("shown");
  QTest::newRow("order kept, not sorted")
      << QByteArrayList{"zeta", "alpha", "mu"} << QStringList{"zeta", "alpha", "mu"};
  QTest::newRow("Windows-1252") << QByteArrayList{"erreur sexe \xC9POUX(3) 1", "\x80 \x9C\x8C \x92"}
                                << QStringList{"erreur sexe ÉPOUX(3) 1", "€ œŒ ’"};
  QTest::newRow("tabs kept for the tab stops")
      << QByteArrayList{"NAME\t12\t3"} << QStringList{"NAME\t12\t3"};
}

void ControlPanelTest::messages() {
  QFETCH(QByteArrayList, lines);
  QFETCH(QStringList, shown);
  for (const QByteArray& line : lines) panel_->AddMessage(line.constData());
  auto* list = qobject_cast<MessageList*>(panel_->Control(ctl::kMessageList));
  QStringList items;
  for (int row = 0; row < list->count(); ++row) items << list->item(row)->text();
  QCOMPARE(items, shown);
  QCOMPARE(list->TabStopPixels(), MulDivRounded(32, panel_->BaseUnits().x, 4));
}

void ControlPanelTest::readNumber_data() {
  QTest::addColumn<QString>("typed");
  QTest::addColumn<bool>("valid");
  QTest::addColumn<unsigned>("value");
  QTest::newRow("leading spaces") << QStringLiteral("  7") << true << 7u;
  QTest::newRow("largest") << QStringLiteral("2147483647") << true << 2147483647u;
  QTest::newRow("too large") << QStringLiteral("2147483648") << false << 99u;
  QTest::newRow("empty") << QString() << false << 99u;
  QTest::newRow("accented digit-like") << QStringLiteral("1²") << false << 99u;
}

void ControlPanelTest::readNumber() {
  QFETCH(QString, typed);
  QFETCH(bool, valid);
  QFETCH(unsigned, value);
  auto* field = qobject_cast<QLineEdit*>(panel_->Control(ctl::kFamBase));
  field->clear();
  QTest::keyClicks(field, typed);
  unsigned read = 99;
  QCOMPARE(panel_->ReadNumber(ctl::kFamBase, &read), valid);
  QCOMPARE(read, value);
}

void ControlPanelTest::notice() {
  QCOMPARE(kNoticeBlock.size(), std::size_t{449});
  const QByteArray block(reinterpret_cast<const char*>(kNoticeBlock.data()), 449);
  QVERIFY(!block.contains("Brimsel"));  // stored scrambled
  QVERIFY(NoticeText().size() <= 448);

  QTest::mouseClick(panel_->Control(ctl::kNotice), Qt::LeftButton);
  QCOMPARE(boxes_.size(), std::size_t{1});
  QCOMPARE(boxes_[0].caption, QStringLiteral("Brimsel 1.20"));
  QCOMPARE(boxes_[0].icon, MessageIcon::kNone);
  QVERIFY(boxes_[0].text.size() <= 448);
  QVERIFY(boxes_[0].text.contains(QStringLiteral("Brimsel 1.20")));
  QVERIFY(boxes_[0].text.contains(QStringLiteral("« Fichier... »")));
  QVERIFY(boxes_[0].text.contains(QStringLiteral("« Convertir... »")));
}

QTEST_MAIN(ControlPanelTest)
#include "control_panel_test.moc"
