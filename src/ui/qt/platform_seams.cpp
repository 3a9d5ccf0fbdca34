// The desktop implementations of the platform seams.
#include "ui/qt/platform_seams.h"

#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QSettings>

namespace brimsel::qt {
namespace {

QMessageBox::Icon BoxIcon(MessageIcon icon) {
  switch (icon) {
    case MessageIcon::kError:
      return QMessageBox::Critical;
    case MessageIcon::kWarning:
      return QMessageBox::Warning;
    case MessageIcon::kInformation:
      return QMessageBox::Information;
    case MessageIcon::kNone:
      break;
  }
  return QMessageBox::NoIcon;
}

void ShowBox(QWidget* owner, const QString& text, const QString& caption, MessageIcon icon) {
  QMessageBox box(BoxIcon(icon), caption, text, QMessageBox::Ok, owner);
  box.exec();
}

std::optional<QString> ChooseExistingFile(QWidget* owner, const QString& title,
                                          const QString& startPath) {
  QFileDialog dialog(owner, title);
  dialog.setFileMode(QFileDialog::ExistingFile);
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  dialog.setNameFilters(QString::fromLatin1(kGedcomFileFilter).split(QStringLiteral(";;")));
  dialog.setDefaultSuffix(QStringLiteral("ged"));
  if (QFileInfo(startPath).isDir()) {
    dialog.setDirectory(startPath);
  } else if (!startPath.isEmpty()) {
    dialog.selectFile(startPath);
  }
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  const QStringList chosen = dialog.selectedFiles();
  if (chosen.isEmpty()) return std::nullopt;
  return chosen.front();
}

}  // namespace

PlatformSeams PlatformSeams::Desktop() {
  return {[] { QApplication::beep(); }, &ShowBox, &ChooseExistingFile,
          [] { return std::make_unique<QSettings>(); }};
}

}  // namespace brimsel::qt
