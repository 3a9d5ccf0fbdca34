// The control panel: widgets built from the control table, command dispatch, dialog services,
// and the commands' operations run on the worker thread with their progress shown.
#include "ui/qt/control_panel.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QSettings>
#include <QShortcut>
#include <QTimer>
#include <QUrl>
#include <algorithm>
#include <charconv>
#include <cstring>
#include <exception>
#include <new>
#include <utility>

#include "tools/proper_name.h"
#include "tools/strip.h"
#include "ui/commands.h"
#include "ui/count_fields.h"
#include "ui/qt/control_table.h"
#include "ui/qt/engine_text.h"
#include "ui/qt/notice.h"
#include "ui/qt/panel_widgets.h"

namespace brimsel::qt {
namespace {

// A list box's default tab stops lie every 32 dialog units.
constexpr int kTabStopDu = 32;
// How often the window looks at the work's progress: the status line moves several times a
// second, and the end is seen this soon.
constexpr int kWorkPollMs = 50;
// What "Fichier..." reads while work runs.
constexpr char kStopButtonText[] = "Annuler";

// The settings kept between runs: the check boxes and number fields by identifier, the list's
// label, the folder of the last chosen file.
struct RememberedControl {
  int id;
  const char* key;
};
constexpr RememberedControl kRememberedControls[] = {
    {ctl::kIncludeNotes, "options/includeNotes"},
    {ctl::kRefCounts, "options/refCounts"},
    {ctl::kOem, "options/oem"},
    {ctl::kProperNames, "options/properNames"},
    {ctl::kSqlite, "options/sqlite"},
    {ctl::kIndiBase, "options/indiBase"},
    {ctl::kFamBase, "options/famBase"},
    {ctl::kCharsetList, "options/charset"},
};
constexpr char kLastFolderKey[] = "lastFolder";

// The one local file that `data` carries, or an empty string.
QString OneLocalFile(const QMimeData* data) {
  if (data == nullptr || !data->hasUrls()) return {};
  const QList<QUrl> urls = data->urls();
  if (urls.size() != 1 || !urls.front().isLocalFile()) return {};
  const QString path = urls.front().toLocalFile();
  return QFileInfo(path).isFile() ? path : QString();
}

QLineEdit* MakeField(QWidget* parent, const QString& text, Qt::Alignment alignment, bool readOnly) {
  auto* field = new QLineEdit(text, parent);
  field->setAlignment(alignment | Qt::AlignVCenter);
  field->setReadOnly(readOnly);
  if (readOnly) {
    // A read-only edit control shows the dialog's colour, not the window colour of an input.
    QPalette palette = field->palette();
    palette.setColor(QPalette::Base, palette.color(QPalette::Window));
    field->setPalette(palette);
  }
  return field;
}

QWidget* MakeControl(const ControlRow& row, QWidget* parent, int tabStopPixels) {
  const QString text = DecodeCp1252(row.text);
  switch (row.kind) {
    case ControlKind::kPush:
    case ControlKind::kPushCentred: {
      auto* button = new QPushButton(text, parent);
      button->setAutoDefault(false);
      return button;
    }
    case ControlKind::kCheck:
      return new QCheckBox(text, parent);
    case ControlKind::kGroup:
      return new QGroupBox(text, parent);
    case ControlKind::kOwnerDrawn:
      return new ProgressSwatch(parent);
    case ControlKind::kCount:
      return MakeField(parent, text, Qt::AlignRight, true);
    case ControlKind::kInput:
      return MakeField(parent, text, Qt::AlignRight, false);
    case ControlKind::kLine:
      return MakeField(parent, text, Qt::AlignLeft, false);
    case ControlKind::kLabel: {
      auto* label = new QLabel(text, parent);
      label->setTextFormat(Qt::PlainText);  // a path may contain '<'
      label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
      return label;
    }
    case ControlKind::kRule: {
      auto* rule = new QFrame(parent);  // an etched frame: its text is never shown
      rule->setFrameShape(QFrame::HLine);
      rule->setFrameShadow(QFrame::Sunken);
      return rule;
    }
    case ControlKind::kList:
      return new MessageList(parent, tabStopPixels);
    case ControlKind::kCombo: {
      auto* list = new QComboBox(parent);
      list->addItem(QString::fromLatin1(kAutomaticCharset));
      for (const CharsetChoice& choice : kCharsetChoices)
        list->addItem(QString::fromLatin1(choice.label));
      return list;
    }
  }
  return nullptr;
}

// The controls that stay usable while work runs: "Fichier..." (then "Annuler"), "?", and what
// only shows something. The buttons, check boxes, number fields and the list are off.
bool UsableDuringWork(const ControlRow& row) {
  switch (row.kind) {
    case ControlKind::kPush:
    case ControlKind::kPushCentred:
      return row.id == ctl::kChooseFile || row.id == ctl::kNotice;
    case ControlKind::kCheck:
    case ControlKind::kInput:
    case ControlKind::kCombo:
      return false;
    default:
      return true;
  }
}

// The status line while a phase runs: its name, and how far it is when it says so.
std::string WorkStatus(const ProgressSnapshot& progress) {
  std::string status = progress.phase;
  if (progress.advancing && progress.total > 0) {
    const std::int64_t done = std::clamp<std::int64_t>(progress.done, 0, progress.total);
    // done <= total: the product stays far from the limit for any file's bytes or rows.
    const std::int64_t percent = done * 100 / progress.total;
    char number[8];
    *std::to_chars(number, number + sizeof number - 1, percent).ptr = '\0';
    status.append("  ").append(number).append(" %");
  }
  return status;
}

}  // namespace

PanelOperations PanelOperations::Real() {
  PanelOperations operations;
  operations.conversion = [](GedcomModel& model, const std::string& path,
                             const ConversionOptions& options, ProgressSink& progress) {
    return ConvertFile(model, path.c_str(), options, progress);
  };
  operations.exportTables = [](const GedcomModel& model, const ExportOptions& options,
                               ProgressSink& progress) { return Export(model, options, progress); };
  operations.properNames = [](const std::string& input, const StopRequest& stop) {
    return ProperNameCopy(input.c_str(), nullptr, stop);
  };
  operations.stripQuotes = [](const std::string& input, const StopRequest& stop) {
    return StripFile(input.c_str(), nullptr, stop);
  };
  return operations;
}

ControlPanel* ControlPanel::Create(QWidget* parent, PlatformSeams seams,
                                   PanelOperations operations) {
  if (!ControlTableIsConsistent()) return nullptr;
  try {
    return new ControlPanel(parent, std::move(seams), std::move(operations));
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}

ControlPanel::ControlPanel(QWidget* parent, PlatformSeams seams, PanelOperations operations)
    : QWidget(parent),
      seams_(std::move(seams)),
      operations_(std::move(operations)),
      model_(std::make_unique<GedcomModel>()) {
  setFont(PanelFont());
  base_ = BaseUnitsOf(font());
  setFixedSize(DialogSizeToPixels(kPanelWidthDu, kPanelHeightDu, base_));
  setAutoFillBackground(true);
  BuildControls();
  SetInitialStates();
  RestoreSettings();
  setAcceptDrops(true);
  workTimer_ = new QTimer(this);
  workTimer_->setInterval(kWorkPollMs);
  connect(workTimer_, &QTimer::timeout, this, &ControlPanel::PollWork);
  // Escape stops the work wherever the focus is in the window; it does nothing otherwise.
  stopShortcut_ = new QShortcut(QKeySequence(Qt::Key_Escape), this);
  stopShortcut_->setContext(Qt::WindowShortcut);
  stopShortcut_->setEnabled(false);
  connect(stopShortcut_, &QShortcut::activated, this, &ControlPanel::StopWork);
}

ControlPanel::~ControlPanel() {
  // The export reads the model: the worker must be done before the members go.
  work_.RequestStop();
  work_.Collect();
  if (busyCursor_) QApplication::restoreOverrideCursor();
}

void ControlPanel::BuildControls() {
  const int tabStop = MulDivRounded(kTabStopDu, base_.x, 4);
  controls_.reserve(kPanelControls.size());
  for (const ControlRow& row : kPanelControls) {
    QWidget* control = MakeControl(row, this, tabStop);
    control->setAcceptDrops(false);  // a file dropped on a field goes to the panel
    control->setGeometry(DialogRectToPixels(QRect(row.x, row.y, row.w, row.h), base_));
    // Each new control goes under the ones before it: the first in the template is on top,
    // so a group box never hides the fields drawn inside its frame.
    control->lower();
    // Group boxes, labels and rules let clicks through to what lies under them, as the
    // transparent hit-testing of Win32 static controls and group boxes does.
    if (row.kind == ControlKind::kGroup || row.kind == ControlKind::kLabel ||
        row.kind == ControlKind::kRule) {
      control->setAttribute(Qt::WA_TransparentForMouseEvents);
    }
    controls_.push_back(control);
    if (auto* button = qobject_cast<QAbstractButton*>(control)) {
      const int id = row.id;
      connect(button, &QAbstractButton::clicked, this, [this, id] { HandleCommand(id); });
    }
    if (row.kind == ControlKind::kOwnerDrawn) swatch_ = static_cast<ProgressSwatch*>(control);
    if (row.kind == ControlKind::kList) messages_ = static_cast<MessageList*>(control);
  }
}

void ControlPanel::SetInitialStates() {
  // Only "Nom Propre" starts checked; the number fields start with their template texts.
  if (auto* properNamesBox = qobject_cast<QCheckBox*>(Control(ctl::kProperNames))) {
    properNamesBox->setChecked(true);
  }
  // "OEM => ANSI" ticked reads code page 850 whatever the list says: the list is off meanwhile.
  auto* oem = qobject_cast<QCheckBox*>(Control(ctl::kOem));
  auto* list = qobject_cast<QComboBox*>(Control(ctl::kCharsetList));
  if (oem != nullptr && list != nullptr) {
    connect(oem, &QCheckBox::toggled, list, [list](bool ticked) { list->setEnabled(!ticked); });
    list->setEnabled(!oem->isChecked());
  }
}

void ControlPanel::RestoreSettings() {
  if (seams_.settings) settings_ = seams_.settings();
  if (!settings_) return;
  for (const RememberedControl& remembered : kRememberedControls) {
    const QVariant value = settings_->value(QLatin1String(remembered.key));
    if (!value.isValid()) continue;
    QWidget* control = Control(remembered.id);
    if (auto* box = qobject_cast<QCheckBox*>(control)) {
      box->setChecked(value.toBool());
    } else if (auto* field = qobject_cast<QLineEdit*>(control)) {
      field->setText(value.toString());
    } else if (auto* list = qobject_cast<QComboBox*>(control)) {
      list->setCurrentIndex(std::max(0, list->findText(value.toString())));
    }
  }
  const QString folder = settings_->value(QLatin1String(kLastFolderKey)).toString();
  if (!folder.isEmpty()) startFolder_ = QDir(folder).exists() ? folder : QDir::homePath();
  // From now on every change is kept.
  for (const RememberedControl& remembered : kRememberedControls) {
    QWidget* control = Control(remembered.id);
    if (auto* box = qobject_cast<QCheckBox*>(control)) {
      connect(box, &QCheckBox::toggled, this, &ControlPanel::SaveOptions);
    } else if (auto* field = qobject_cast<QLineEdit*>(control)) {
      connect(field, &QLineEdit::textChanged, this, &ControlPanel::SaveOptions);
    } else if (auto* list = qobject_cast<QComboBox*>(control)) {
      connect(list, &QComboBox::currentIndexChanged, this, &ControlPanel::SaveOptions);
    }
  }
}

void ControlPanel::SaveOptions() {
  if (!settings_) return;
  for (const RememberedControl& remembered : kRememberedControls) {
    QWidget* control = Control(remembered.id);
    const QLatin1String key(remembered.key);
    if (auto* box = qobject_cast<QCheckBox*>(control)) {
      settings_->setValue(key, box->isChecked());
    } else if (auto* field = qobject_cast<QLineEdit*>(control)) {
      settings_->setValue(key, field->text());
    } else if (auto* list = qobject_cast<QComboBox*>(control)) {
      settings_->setValue(key, list->currentText());
    }
  }
}

QWidget* ControlPanel::Control(int id) const {
  if (id == -1) return nullptr;
  for (std::size_t i = 0; i < kPanelControls.size(); ++i) {
    if (kPanelControls[i].id == id) return controls_[i];
  }
  return nullptr;
}

QColor ControlPanel::SwatchColour() const {
  return swatch_->Colour();
}

void ControlPanel::HandleCommand(int id) {
  if (Working()) {
    if (id == ctl::kChooseFile) StopWork();
    if (id == ctl::kNotice) ShowNotice();
    return;
  }
  // A command's file dialog or box is modal, but a second command must not start inside the
  // first through a posted drop.
  if (commandRunning_) return;
  commandRunning_ = true;
  try {
    RunCommand(id);
  } catch (const std::exception&) {
    // The controls are read without throwing; this only keeps an unexpected exception from
    // crossing into Qt's event dispatch.
    SetStatus(false, nullptr);
    ShowUnexpectedFailure();
  }
  commandRunning_ = false;
}

void ControlPanel::RunCommand(int id) {
  switch (id) {
    case ctl::kChooseFile:
      StartReading();
      break;
    case ctl::kConvert:
      // A file without any individual has no tables to write, but the database of its records.
      if (model_->sourcePath && (model_->counts.individuals > 0 || IsChecked(ctl::kSqlite))) {
        StartExport();
      } else {
        Beep();
      }
      break;
    case ctl::kCapital:
      StartTool(kProperNameFileTitle, operations_.properNames);
      break;
    case ctl::kStrip:
      StartTool(kStripFileTitle, operations_.stripQuotes);
      break;
    case ctl::kNotice:
      ShowNotice();
      break;
    default:  // options, fields, list and swatch: nothing
      break;
  }
}

void ControlPanel::StartReading() {
  if (!ChooseOpenFile(kReadFileTitle)) return;
  const std::string path = fileName_;
  // The reading fills a model of its own: the panel's stays the earlier reading's until this
  // one has ended, and stays so when it is stopped.
  struct Reading {
    std::unique_ptr<GedcomModel> model = std::make_unique<GedcomModel>();
    ConversionResult result;
  };
  auto reading = std::make_shared<Reading>();
  StartWork(
      [reading, path, options = ReadConversionOptions(*this),
       convert = operations_.conversion](ProgressSink& progress) {
        reading->result = convert(*reading->model, path, options, progress);
      },
      [this, reading, path](bool stopped) {
        if (stopped) {
          static_cast<QLabel*>(Control(ctl::kLineCounter))->setText(lineCounterBefore_);
          AddMessage(kStoppedLine);
          return;
        }
        // A file that cannot be opened changes nothing, as a cancelled choice.
        if (reading->result.outcome == ConversionOutcome::kUnreadable) return;
        model_ = std::move(reading->model);
        if (reading->result.outcome == ConversionOutcome::kNoIndividual) model_->sourcePath = path;
        ResetDisplay();
        for (const std::string& line : heldMessages_) AddMessage(line.c_str());
        ShowConversionResult(*this, reading->result, path.c_str());
      },
      true);
}

void ControlPanel::StartExport() {
  ExportOptions options = ReadExportOptions(*this, lastBases_);
  lastBases_ = options.bases;
  auto result = std::make_shared<ExportResult>();
  StartWork(
      [result, options = std::move(options), model = static_cast<const GedcomModel*>(model_.get()),
       run = operations_.exportTables](ProgressSink& progress) {
        *result = run(*model, options, progress);
      },
      [this, result](bool) {
        if (result->outcome == ExportOutcome::kStopped) {
          AddMessage(kStoppedLine);
        } else {
          ShowExportResult(*this, *result);
        }
      },
      false);
}

void ControlPanel::StartTool(
    const char* title,
    const std::function<ToolResult(const std::string&, const StopRequest&)>& tool) {
  if (!ChooseOpenFile(title)) return;
  auto result = std::make_shared<ToolResult>();
  StartWork(
      [result, input = std::string(fileName_), tool](ProgressSink& progress) {
        *result = tool(input, [&progress] { return progress.StopRequested(); });
      },
      [this, result](bool) {
        if (result->status == ToolStatus::kStopped) {
          AddMessage(kStoppedLine);
        } else {
          ReportOutputFailure(*result, *this);
        }
      },
      false);
}

void ControlPanel::StartWork(BackgroundWork::Operation operation,
                             std::function<void(bool stopped)> finish, bool holdMessages) {
  holdMessages_ = holdMessages;
  heldMessages_.clear();
  lineCounterBefore_ = static_cast<QLabel*>(Control(ctl::kLineCounter))->text();
  shownStatus_.clear();
  shownProgress_.reset();
  if (!work_.Start(std::move(operation))) {
    ShowUnexpectedFailure();
    return;
  }
  finishWork_ = std::move(finish);
  SetStatus(true, nullptr);
  SetControlsForWork(true);
  workTimer_->start();
}

void ControlPanel::PollWork() {
  // Seen ended before the last look, so that the last look has everything.
  const bool ended = work_.Ended();
  ShowProgress();
  if (ended) EndWork();
}

void ControlPanel::ShowProgress() {
  ProgressSnapshot progress = work_.TakeProgress();
  for (std::string& line : progress.messages) {
    if (holdMessages_) {
      heldMessages_.push_back(std::move(line));
    } else {
      AddMessage(line.c_str());
    }
  }
  if (progress.lines) {
    if (*progress.lines == ProgressSink::kNoLineCount) {
      SetFieldText(ctl::kLineCounter, "");
    } else {
      char text[16];
      *std::to_chars(text, text + sizeof text - 1, *progress.lines).ptr = '\0';
      SetFieldText(ctl::kLineCounter, text);
    }
  }
  // Only a change is written, so that the line keeps its selection and cursor in between.
  const std::string status = WorkStatus(progress);
  if (const QString shown = DecodeEngineText(status.c_str()); shown != shownStatus_) {
    shownStatus_ = shown;
    SetFieldText(ctl::kStatusLine, status.c_str());
  }
  if (progress.total > 0) {
    auto advanced = std::make_tuple(progress.advancedPhase, progress.done, progress.total);
    if (advanced != shownProgress_) {
      shownProgress_ = std::move(advanced);
      emit ProgressShown(DecodeEngineText(progress.advancedPhase.c_str()), progress.done,
                         progress.total);
    }
  }
}

void ControlPanel::EndWork() {
  workTimer_->stop();
  const bool returned = work_.Collect();
  const bool stopped = work_.StopRequested();
  const std::function<void(bool)> finish = std::move(finishWork_);
  finishWork_ = nullptr;
  SetControlsForWork(false);
  SetStatus(false, nullptr);
  if (closeAfterWork_) {
    closeAfterWork_ = false;
    emit WorkEnded();
    window()->close();
    return;
  }
  // The result's box must not let a posted drop start another command under it.
  const bool commandRunning = std::exchange(commandRunning_, true);
  if (!returned) {
    ShowUnexpectedFailure();
  } else if (finish) {
    finish(stopped);
  }
  heldMessages_.clear();
  commandRunning_ = commandRunning;
  emit WorkEnded();
}

void ControlPanel::ShowUnexpectedFailure() {
  seams_.messageBox(window(), QStringLiteral("Erreur!"), QStringLiteral("Brimsel " BRIMSEL_VERSION),
                    MessageIcon::kError);
}

void ControlPanel::StopWork() {
  if (Working()) work_.RequestStop();
}

bool ControlPanel::ReadyToClose() {
  if (!Working()) return true;
  closeAfterWork_ = true;
  work_.RequestStop();
  return false;
}

void ControlPanel::SetControlsForWork(bool working) {
  if (working) {
    offDuringWork_.clear();
    for (std::size_t i = 0; i < kPanelControls.size(); ++i) {
      QWidget* control = controls_[i];
      if (!UsableDuringWork(kPanelControls[i]) && control->isEnabled()) {
        control->setEnabled(false);
        offDuringWork_.push_back(control);
      }
    }
  } else {
    for (QWidget* control : offDuringWork_) control->setEnabled(true);
    offDuringWork_.clear();
  }
  const auto row = std::find_if(kPanelControls.begin(), kPanelControls.end(),
                                [](const ControlRow& r) { return r.id == ctl::kChooseFile; });
  SetFieldText(ctl::kChooseFile, working ? kStopButtonText : row->text);
  stopShortcut_->setEnabled(working);
}

void ControlPanel::OpenFile(const QString& path) {
  if (commandRunning_ || Working()) return;
  openedFile_ = path;
  HandleCommand(ctl::kChooseFile);
  openedFile_.reset();
}

void ControlPanel::dragEnterEvent(QDragEnterEvent* event) {
  // Whatever is dragged is taken while no command runs, so that a refused drop can beep.
  if (commandRunning_ || Working()) {
    event->ignore();
  } else {
    event->acceptProposedAction();
  }
}

void ControlPanel::dragMoveEvent(QDragMoveEvent* event) {
  if (commandRunning_ || Working()) {
    event->ignore();
  } else {
    event->acceptProposedAction();
  }
}

void ControlPanel::dropEvent(QDropEvent* event) {
  if (commandRunning_ || Working()) {
    event->ignore();
    return;
  }
  const QString path = OneLocalFile(event->mimeData());
  if (path.isEmpty()) {
    event->ignore();
    Beep();
    return;
  }
  event->acceptProposedAction();
  // Read once the drop has returned, so that the program the file came from is not kept
  // waiting while the file dialog's stand-in and the controls are read.
  QTimer::singleShot(0, this, [this, path] { OpenFile(path); });
}

void ControlPanel::ShowNotice() {
  const std::string notice = NoticeText();
  seams_.messageBox(window(), DecodeCp1252(notice.c_str()), QString::fromLatin1(kNoticeCaption),
                    MessageIcon::kNone);
}

void ControlPanel::SetSwatch(QColor colour) {
  swatch_->SetColour(colour);
  swatch_->update();
}

void ControlPanel::SetStatus(bool busy, const char* text) {
  SetFieldText(ctl::kStatusLine, text);
  if (busy && !busyCursor_) {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    busyCursor_ = true;
  } else if (!busy && busyCursor_) {
    QApplication::restoreOverrideCursor();
    busyCursor_ = false;
  }
  SetSwatch(QColor::fromRgb(busy ? kSwatchBusy : kSwatchIdle));
}

void ControlPanel::ResetDisplay() {
  SetFieldText(ctl::kFileLabel, "");
  messages_->clear();
  for (const CountField& field : kCountFields) SetFieldText(field.id, "");
}

bool ControlPanel::ChooseOpenFile(const char* title) {
  const QString start = fileName_[0] != '\0' ? QFile::decodeName(fileName_) : startFolder_;
  const std::optional<QString> chosen =
      openedFile_ ? openedFile_ : seams_.chooseFile(window(), DecodeCp1252(title), start);
  if (!chosen) return false;
  const QByteArray path = QFile::encodeName(*chosen);
  // Qt's dialog cannot fail as the common dialog could; what remains is a path that the
  // 512-byte buffer cannot hold, and that is reported as the failing dialog was.
  if (path.isEmpty() || path.size() >= static_cast<qsizetype>(kFileNameCapacity) ||
      path.contains('\0')) {
    seams_.messageBox(window(), QStringLiteral("Erreur!"), QStringLiteral("Ouverture"),
                      MessageIcon::kError);
    return false;
  }
  std::memcpy(fileName_, path.constData(), static_cast<std::size_t>(path.size()));
  fileName_[path.size()] = '\0';
  if (settings_)
    settings_->setValue(QLatin1String(kLastFolderKey), QFileInfo(*chosen).absolutePath());
  return true;
}

bool ControlPanel::IsChecked(int id) {
  auto* box = qobject_cast<QCheckBox*>(Control(id));
  return box != nullptr && box->isChecked();
}

std::string ControlPanel::ChosenCharset() {
  auto* list = qobject_cast<QComboBox*>(Control(ctl::kCharsetList));
  if (list == nullptr || list->currentIndex() <= 0) return {};
  const auto index = static_cast<std::size_t>(list->currentIndex() - 1);
  return index < std::size(kCharsetChoices) ? kCharsetChoices[index].name : std::string();
}

bool ControlPanel::ReadNumber(int id, unsigned* value) {
  auto* field = qobject_cast<QLineEdit*>(Control(id));
  if (field == nullptr) return false;
  return ParseFieldNumber(EncodeCp1252(field->text()).c_str(), value);
}

void ControlPanel::SetFieldText(int id, const char* text) {
  QWidget* control = Control(id);
  const QString decoded = DecodeEngineText(text);
  if (auto* field = qobject_cast<QLineEdit*>(control)) {
    field->setText(decoded);
    field->setCursorPosition(0);  // show the start of a long text, as an edit control does
  } else if (auto* label = qobject_cast<QLabel*>(control)) {
    label->setText(decoded);
  } else if (auto* button = qobject_cast<QAbstractButton*>(control)) {
    button->setText(decoded);
  } else if (auto* group = qobject_cast<QGroupBox*>(control)) {
    group->setTitle(decoded);
  }
}

void ControlPanel::AddMessage(const char* line) {
  messages_->addItem(DecodeEngineText(line));
}

void ControlPanel::ShowMessageBox(const char* text, const char* caption, MessageIcon icon) {
  seams_.messageBox(window(), DecodeEngineText(text), DecodeCp1252(caption), icon);
}

void ControlPanel::Beep() {
  seams_.beep();
}

}  // namespace brimsel::qt
