// The control panel: the widgets of "DlgTarvel", its command dispatch, the dialog services that
// the commands call, and the work that the commands run on a worker thread.
#pragma once

#include <QColor>
#include <QString>
#include <QWidget>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "engine/conversion.h"
#include "engine/model.h"
#include "export/export.h"
#include "tools/tool_files.h"
#include "ui/dialog_services.h"
#include "ui/qt/background_work.h"
#include "ui/qt/dialog_units.h"
#include "ui/qt/platform_seams.h"

class QShortcut;
class QTimer;

namespace brimsel::qt {

class ProgressSwatch;
class MessageList;

// The operations behind the command buttons, each run on the worker thread with what the
// window's thread read from the controls. The desktop program runs the real ones; a test may put
// recorders in their place (they must not touch the panel).
struct PanelOperations {
  // "Fichier...": reads the file `path` into the new model `model`.
  std::function<ConversionResult(GedcomModel& model, const std::string& path,
                                 const ConversionOptions& options, ProgressSink& progress)>
      conversion;
  // "Convertir...": writes the outputs of the panel's model, which nothing changes meanwhile.
  std::function<ExportResult(const GedcomModel& model, const ExportOptions& options,
                             ProgressSink& progress)>
      exportTables;
  // "Capital..." and "Strip": the text utilities on the file `input`.
  std::function<ToolResult(const std::string& input, const StopRequest& stop)> properNames;
  std::function<ToolResult(const std::string& input, const StopRequest& stop)> stripQuotes;

  static PanelOperations Real();
};

inline constexpr QRgb kSwatchBusy = qRgb(255, 0, 0);
inline constexpr QRgb kSwatchIdle = qRgb(0, 255, 0);

class ControlPanel final : public QWidget, public DialogServices {
  Q_OBJECT
 public:
  // Builds the panel from the control table, as a child of `parent`. Returns nullptr, building
  // nothing, when the table is unusable or memory runs out.
  static ControlPanel* Create(QWidget* parent, PlatformSeams seams,
                              PanelOperations operations = PanelOperations::Real());

  // The command of the control `id`; what the buttons' clicks call. The file choice and the
  // controls are read at once, the operation then runs on the worker thread and its result is
  // shown when it ends (WorkEnded). While it runs, "Fichier..." reads "Annuler" and stops it,
  // "?" still shows the notice, and every other command is ignored, as are commands arriving
  // while a message box or a file dialog of a command is up. Commands of other controls do
  // nothing.
  void HandleCommand(int id);

  // The notice box.
  void ShowNotice();
  // Reads the file `path` as "Fichier..." does once the file is chosen; nothing while a command
  // runs. What a file dropped on the panel calls.
  void OpenFile(const QString& path);

  // An operation runs on the worker thread (or has ended and its result is not shown yet).
  bool Working() const { return work_.Running(); }
  // Asks the running operation to stop ("Annuler", Escape). A stopped reading leaves the
  // earlier one, its counts and its messages; a stopped export or utility leaves every earlier
  // output. The message list then ends with "Annulé".
  void StopWork();
  // True when the window may close now. During work: asks it to stop, closes the window once
  // it has ended (showing nothing of its result), and returns false.
  bool ReadyToClose();

  // The widget of control `id`, or nullptr. Controls in template order: ControlAt(0..75).
  QWidget* Control(int id) const;
  QWidget* ControlAt(std::size_t index) const { return controls_.at(index); }
  DialogBaseUnits BaseUnits() const { return base_; }
  QColor SwatchColour() const;
  GedcomModel& Model() { return *model_; }
  PlatformSeams& Seams() { return seams_; }
  PanelOperations& Operations() { return operations_; }

  // DialogServices
  bool ChooseOpenFile(const char* title) override;
  const char* CurrentFileName() const override { return fileName_; }
  void ResetDisplay() override;
  void SetStatus(bool busy, const char* text) override;
  bool IsChecked(int id) override;
  std::string ChosenCharset() override;
  bool ReadNumber(int id, unsigned* value) override;
  void SetFieldText(int id, const char* text) override;
  void AddMessage(const char* line) override;
  void ShowMessageBox(const char* text, const char* caption, MessageIcon icon) override;
  void Beep() override;

  // Waits for a running operation, asked to stop, before anything it reads goes.
  ~ControlPanel() override;

 signals:
  // The progress the window has shown: the last phase that said how far it is, `done` of
  // `total` units. Emitted on the window's thread when it changes, the last one after the
  // operation has returned.
  void ProgressShown(const QString& phase, qint64 done, qint64 total);
  // The operation has ended and its result is shown; the controls are on again.
  void WorkEnded();

 protected:
  // One local file dropped is read as if chosen with "Fichier..."; anything else beeps. Drops
  // are taken only while no command runs.
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dragMoveEvent(QDragMoveEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  ControlPanel(QWidget* parent, PlatformSeams seams, PanelOperations operations);
  void BuildControls();
  void SetInitialStates();
  // Restores the options and the last folder from the settings, then keeps them there on
  // every change.
  void RestoreSettings();
  void SaveOptions();
  void RunCommand(int id);
  void StartReading();
  void StartExport();
  void StartTool(const char* title,
                 const std::function<ToolResult(const std::string&, const StopRequest&)>& tool);
  // Starts `operation` on the worker with the controls off; `finish` shows its result on the
  // window's thread, told whether the user asked it to stop. `holdMessages`: the operation's
  // message lines wait for `finish` instead of joining the list as they come.
  void StartWork(BackgroundWork::Operation operation, std::function<void(bool stopped)> finish,
                 bool holdMessages);
  // Shows what the operation reported since the last look; ends the work once it has returned.
  void PollWork();
  void ShowProgress();
  void EndWork();
  // Turns off, or back on, what may not be used while an operation runs.
  void SetControlsForWork(bool working);
  void SetSwatch(QColor colour);
  // The box of a failure that should not happen: an exception, no thread to be had.
  void ShowUnexpectedFailure();

  PlatformSeams seams_;
  PanelOperations operations_;
  std::unique_ptr<GedcomModel> model_;  // the last reading's; replaced when a reading ends
  char fileName_[kFileNameCapacity] = {};  // CurrentFileName: the path chosen last
  DialogBaseUnits base_;
  std::vector<QWidget*> controls_;  // template order; owned by this widget as their parent
  ProgressSwatch* swatch_ = nullptr;
  MessageList* messages_ = nullptr;
  std::unique_ptr<QSettings> settings_;  // null: nothing is kept between runs
  QString startFolder_;                  // where the file dialog starts before any choice
  std::optional<QString> openedFile_;    // the file OpenFile hands to "Fichier..."
  bool commandRunning_ = false;
  bool busyCursor_ = false;  // our override cursor is on the application's stack
  NumberingBases lastBases_;  // the bases of the last export, for fields that are not numbers

  // The work on the worker thread. Declared after the model, which it may be reading, so that
  // it ends first.
  BackgroundWork work_;
  QTimer* workTimer_ = nullptr;      // polls the work while it runs
  QShortcut* stopShortcut_ = nullptr;  // Escape, on while work runs
  std::function<void(bool stopped)> finishWork_;
  bool holdMessages_ = false;
  std::vector<std::string> heldMessages_;  // the running reading's message lines
  std::vector<QWidget*> offDuringWork_;    // the controls turned off for the work
  QString lineCounterBefore_;              // what a stopped reading puts back
  QString shownStatus_;
  std::optional<std::tuple<std::string, std::int64_t, std::int64_t>> shownProgress_;
  bool closeAfterWork_ = false;
};

}  // namespace brimsel::qt
