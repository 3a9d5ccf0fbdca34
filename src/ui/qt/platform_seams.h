// The platform calls the panel and the shell make that a test must be able to replace:
// beeps, message boxes, the open-file dialog and the settings kept between runs.
#pragma once

#include <QString>
#include <functional>
#include <memory>
#include <optional>

#include "ui/dialog_services.h"

class QSettings;
class QWidget;

namespace brimsel::qt {

// The filters of every open-file dialog, in Qt's notation: the first is selected at start.
inline constexpr const char* kGedcomFileFilter = "Fichiers GedCom (*.ged);;Tous les fichiers (*.*)";

struct PlatformSeams {
  // The simple beep.
  std::function<void()> beep;
  // A modal box owned by `owner` with one OK button.
  std::function<void(QWidget* owner, const QString& text, const QString& caption, MessageIcon icon)>
      messageBox;
  // The open-file dialog: title, start path (the last chosen file, or a folder to start in; may
  // be empty). Returns the chosen full path, or nothing when the user cancelled.
  std::function<std::optional<QString>(QWidget* owner, const QString& title,
                                       const QString& startPath)>
      chooseFile;
  // Where the panel keeps its options and the last folder between runs; when empty, or when it
  // gives nothing, the panel keeps nothing.
  std::function<std::unique_ptr<QSettings>()> settings;

  // The real thing: QApplication::beep, QMessageBox, QFileDialog, QSettings in the platform's
  // usual place for the application's organisation and name.
  static PlatformSeams Desktop();
};

}  // namespace brimsel::qt
