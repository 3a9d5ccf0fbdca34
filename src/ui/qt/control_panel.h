// The control panel: the widgets of "DlgTarvel", its command dispatch and the dialog services
// that the operations call.
#pragma once

#include <QColor>
#include <QString>
#include <QWidget>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "engine/model.h"
#include "ui/dialog_services.h"
#include "ui/qt/dialog_units.h"
#include "ui/qt/platform_seams.h"

namespace brimsel::qt {

class ProgressSwatch;
class MessageList;

// The work behind the command buttons. The desktop program runs the real operations; a test
// may put recorders in their place.
struct PanelOperations {
  std::function<int(GedcomModel&, DialogServices&)> conversion;    // "Fichier..."
  std::function<int(GedcomModel&, DialogServices&)> exportTables;  // "Convertir..."
  std::function<void(DialogServices&)> properNames;                  // "Capital..."
  std::function<void(DialogServices&)> stripQuotes;                  // "Strip"

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

  // Runs the command of the control `id` to its end; what the buttons' clicks call. Commands
  // of other controls do nothing, and a command arriving while one runs is ignored.
  void HandleCommand(int id);

  // Sets the swatch's colour and paints it at once, after the panel's pending repaints.
  void PaintSwatch(int id, QColor colour);
  // The notice box.
  void ShowNotice();
  // Reads the file `path` as "Fichier..." does once the file is chosen; nothing while a command
  // runs. What a file dropped on the panel calls.
  void OpenFile(const QString& path);

  // The widget of control `id`, or nullptr. Controls in template order: ControlAt(0..75).
  QWidget* Control(int id) const;
  QWidget* ControlAt(std::size_t index) const { return controls_.at(index); }
  DialogBaseUnits BaseUnits() const { return base_; }
  QColor SwatchColour() const;
  GedcomModel& Model() { return model_; }
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
  void Repaint() override;
  void ShowMessageBox(const char* text, const char* caption, MessageIcon icon) override;
  void Beep() override;

  ~ControlPanel() override;

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
  // Carries out the repaints already asked for, without running the event loop.
  void PaintPendingNow();

  PlatformSeams seams_;
  PanelOperations operations_;
  GedcomModel model_;
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
};

}  // namespace brimsel::qt
