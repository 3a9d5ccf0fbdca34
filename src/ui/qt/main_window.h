// The program's one top-level window: fixed-size, filled by the control panel.
#pragma once

#include <QWidget>
#include <functional>

#include "ui/qt/platform_seams.h"

namespace brimsel::qt {

class ControlPanel;

inline constexpr const char* kMainWindowTitle = "Brimsel (Quenor 1996)";

// Builds the panel as a child of the window; nullptr when it cannot be built.
using PanelFactory = std::function<ControlPanel*(QWidget* parent, const PlatformSeams& seams)>;

class MainWindow final : public QWidget {
  Q_OBJECT
 public:
  // The window comes up bare, 620 x 350 pixels; the panel is built once the event loop runs,
  // after the window has been shown.
  explicit MainWindow(PlatformSeams seams = PlatformSeams::Desktop(),
                      PanelFactory factory = DefaultPanelFactory());

  // Builds the panel, fits the window around it, sets the idle status and posts the notice.
  // When the panel cannot be built: the box "erreur création", then the window closes.
  bool CreateControlPanel();

  ControlPanel* Panel() const { return panel_; }
  PlatformSeams& Seams() { return seams_; }

  static PanelFactory DefaultPanelFactory();

 protected:
  // Closing while the panel's work runs stops the work; the window closes once it has ended.
  void closeEvent(QCloseEvent* event) override;

 private:
  PlatformSeams seams_;
  PanelFactory factory_;
  ControlPanel* panel_ = nullptr;  // child of this window
};

}  // namespace brimsel::qt
