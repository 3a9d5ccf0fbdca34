// The main window: start-up order window, panel, idle status, notice.
#include "ui/qt/main_window.h"

#include <QCloseEvent>
#include <QIcon>
#include <QPixmap>
#include <QTimer>

#include "ui/dialog_services.h"
#include "ui/qt/control_panel.h"

// The icon lives in a static library: its resources must be registered by hand, and from
// outside any namespace.
static void RegisterResources() {
  Q_INIT_RESOURCE(brimsel);
}

namespace brimsel::qt {

MainWindow::MainWindow(PlatformSeams seams, PanelFactory factory)
    : QWidget(nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                           Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                           Qt::WindowCloseButtonHint),
      seams_(std::move(seams)),
      factory_(std::move(factory)) {
  RegisterResources();
  setWindowTitle(QString::fromLatin1(kMainWindowTitle));
  setWindowIcon(QIcon(QPixmap(QStringLiteral(":/IcoTarvel"))));
  // Whatever the panel leaves uncovered shows the window background, white. Only the role
  // changes: a palette change would pass on to the panel.
  setBackgroundRole(QPalette::Base);
  setAutoFillBackground(true);
  resize(620, 350);
  // Posted, so that it runs once the loop does, after the window has been shown.
  QTimer::singleShot(0, this, [this] { CreateControlPanel(); });
}

PanelFactory MainWindow::DefaultPanelFactory() {
  return [](QWidget* parent, const PlatformSeams& seams) {
    return ControlPanel::Create(parent, seams);
  };
}

void MainWindow::closeEvent(QCloseEvent* event) {
  if (panel_ != nullptr && !panel_->ReadyToClose()) {
    event->ignore();
    return;
  }
  QWidget::closeEvent(event);
}

bool MainWindow::CreateControlPanel() {
  if (panel_ != nullptr) return true;
  panel_ = factory_(this, seams_);
  if (panel_ == nullptr) {
    seams_.messageBox(this, QStringLiteral("erreur cr\u00e9ation"), QStringLiteral("DlgTarvel"),
                      MessageIcon::kNone);
    close();
    return false;
  }
  setFixedSize(panel_->size());
  panel_->move(0, 0);
  panel_->show();
  panel_->SetStatus(false, nullptr);
  QTimer::singleShot(0, panel_, [panel = panel_] { panel->HandleCommand(ctl::kNotice); });
  return true;
}

}  // namespace brimsel::qt
