// The control panel: widgets built from the control table, command dispatch, dialog services.
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
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QSettings>
#include <QTimer>
#include <QUrl>
#include <algorithm>
#include <cstring>
#include <exception>
#include <new>

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

}  // namespace

PanelOperations PanelOperations::Real() {
  PanelOperations operations;
  operations.conversion = [](GedcomModel& model, DialogServices& dialog) {
    return ReadGedcomCommand(model, dialog);
  };
  operations.exportTables = [bases = NumberingBases()](GedcomModel& model,
                                                      DialogServices& dialog) mutable {
    return ExportTablesCommand(model, dialog, bases);
  };
  operations.properNames = [](DialogServices& dialog) { ProperNameCommand(dialog); };
  operations.stripQuotes = [](DialogServices& dialog) { StripCommand(dialog); };
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
    : QWidget(parent), seams_(std::move(seams)), operations_(std::move(operations)) {
  setFont(PanelFont());
  base_ = BaseUnitsOf(font());
  setFixedSize(DialogSizeToPixels(kPanelWidthDu, kPanelHeightDu, base_));
  setAutoFillBackground(true);
  BuildControls();
  SetInitialStates();
  RestoreSettings();
  setAcceptDrops(true);
}

ControlPanel::~ControlPanel() {
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
  // The commands run synchronously; only a modal box of a running command could let a click
  // through, and a second command must not start inside the first.
  if (commandRunning_) return;
  commandRunning_ = true;
  try {
    RunCommand(id);
  } catch (const std::exception&) {
    // The operations report by return value and never throw; this only keeps an unexpected
    // exception from crossing into Qt's event dispatch.
    SetStatus(false, nullptr);
    seams_.messageBox(window(), QStringLiteral("Erreur!"), QStringLiteral("Brimsel " BRIMSEL_VERSION),
                      MessageIcon::kError);
  }
  commandRunning_ = false;
}

void ControlPanel::RunCommand(int id) {
  switch (id) {
    case ctl::kChooseFile:
      operations_.conversion(model_, *this);
      break;
    case ctl::kConvert:
      if (model_.sourcePath) {
        operations_.exportTables(model_, *this);
      } else {
        Beep();
      }
      break;
    case ctl::kCapital:
      operations_.properNames(*this);
      break;
    case ctl::kStrip:
      operations_.stripQuotes(*this);
      break;
    case ctl::kNotice:
      ShowNotice();
      break;
    default:  // options, fields, list and swatch: nothing
      break;
  }
}

void ControlPanel::OpenFile(const QString& path) {
  if (commandRunning_) return;
  openedFile_ = path;
  HandleCommand(ctl::kChooseFile);
  openedFile_.reset();
}

void ControlPanel::dragEnterEvent(QDragEnterEvent* event) {
  // Whatever is dragged is taken while no command runs, so that a refused drop can beep.
  if (commandRunning_) {
    event->ignore();
  } else {
    event->acceptProposedAction();
  }
}

void ControlPanel::dragMoveEvent(QDragMoveEvent* event) {
  if (commandRunning_) {
    event->ignore();
  } else {
    event->acceptProposedAction();
  }
}

void ControlPanel::dropEvent(QDropEvent* event) {
  if (commandRunning_) {
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
  // waiting for the whole conversion.
  QTimer::singleShot(0, this, [this, path] { OpenFile(path); });
}

void ControlPanel::ShowNotice() {
  const std::string notice = NoticeText();
  seams_.messageBox(window(), DecodeCp1252(notice.c_str()), QString::fromLatin1(kNoticeCaption),
                    MessageIcon::kNone);
}

void ControlPanel::PaintPendingNow() {
  // Qt collects repaints in one update request posted to the window; delivering just that
  // event paints what is pending while input events stay queued.
  QCoreApplication::sendPostedEvents(window(), QEvent::UpdateRequest);
}

void ControlPanel::PaintSwatch(int id, QColor colour) {
  swatch_->SetColour(colour);
  PaintPendingNow();
  if (QWidget* control = Control(id)) control->repaint();
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
  PaintSwatch(ctl::kSwatch, QColor::fromRgb(busy ? kSwatchBusy : kSwatchIdle));
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

void ControlPanel::Repaint() {
  PaintPendingNow();
}

void ControlPanel::ShowMessageBox(const char* text, const char* caption, MessageIcon icon) {
  seams_.messageBox(window(), DecodeEngineText(text), DecodeCp1252(caption), icon);
}

void ControlPanel::Beep() {
  seams_.beep();
}

}  // namespace brimsel::qt
