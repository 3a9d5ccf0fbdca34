// Entry point of the desktop program; with --screenshot it converts a file and saves a picture,
// after the conversion or half way through it.
#include <QAbstractButton>
#include <QApplication>
#include <QFileInfo>
#include <QListWidget>
#include <QPixmap>
#include <QTimer>
#include <cstdio>

#include "ui/dialog_services.h"
#include "ui/qt/control_panel.h"
#include "ui/qt/main_window.h"
#include "ui/qt/notice.h"

namespace {

constexpr const char* kUsage =
    "usage: brimsel\n"
    "       brimsel --screenshot PICTURE.png FILE.ged\n"
    "       brimsel --screenshot-half PICTURE.png FILE.ged\n"
    "\n"
    "Without arguments: the desktop program.\n"
    "With --screenshot: starts the window, presses \"Fichier...\" (choosing FILE.ged) and,\n"
    "once the file is read, \"Convertir...\"; saves the window as PICTURE.png when the tables\n"
    "are written and quits. Message boxes go to standard error instead of the screen (the\n"
    "notice is left out); the tables are written beside FILE.ged.\n"
    "With --screenshot-half: the same, but the picture is taken as soon as the window shows\n"
    "\"Convertir...\" past half way; the window is then closed, which stops the tables.\n";

// Seams that need no one at the screen: the given file is chosen, boxes become lines on
// standard error, beeps are dropped.
brimsel::qt::PlatformSeams Unattended(const QString& gedcom) {
  brimsel::qt::PlatformSeams seams;
  seams.beep = [] {};
  seams.messageBox = [](QWidget*, const QString& text, const QString& caption,
                        brimsel::MessageIcon) {
    if (caption == QLatin1String(brimsel::qt::kNoticeCaption)) return;  // not a report
    std::fprintf(stderr, "%s: %s\n", qUtf8Printable(caption), qUtf8Printable(text));
  };
  seams.chooseFile = [gedcom](QWidget*, const QString&, const QString&) {
    return std::optional<QString>(gedcom);
  };
  return seams;
}

// Presses "Fichier..." and, once the file is read, "Convertir..."; saves the picture when that
// has ended, or with `halfWay` as soon as its progress shown passes half way.
int RunScreenshot(const QString& picture, const QString& gedcom, bool halfWay) {
  using brimsel::qt::ControlPanel;
  brimsel::qt::MainWindow window(Unattended(QFileInfo(gedcom).absoluteFilePath()));
  window.show();
  int status = 1;
  bool exporting = false;
  bool taken = false;
  auto press = [](ControlPanel* panel, int id) {
    static_cast<QAbstractButton*>(panel->Control(id))->click();
  };
  auto save = [&](ControlPanel* panel) {
    taken = true;
    // The list keeps its scroll position as lines are added; the picture shows the last
    // lines, the export's size report among them.
    static_cast<QListWidget*>(panel->Control(brimsel::ctl::kMessageList))->scrollToBottom();
    if (window.grab().save(picture, "PNG")) {
      status = 0;
    } else {
      std::fprintf(stderr, "brimsel: cannot write %s\n", qUtf8Printable(picture));
    }
  };
  // The next step once the work of the last one has ended (or none started).
  auto step = [&](ControlPanel* panel) {
    if (taken) return;
    if (!exporting) {
      exporting = true;
      press(panel, brimsel::ctl::kConvert);
      if (panel->Working()) return;
    }
    save(panel);
    QApplication::exit(status);
  };
  // Posted after the window's own start-up, so the panel exists when it runs.
  QTimer::singleShot(0, &window, [&] {
    ControlPanel* panel = window.Panel();
    if (panel == nullptr) {
      QApplication::exit(status);
      return;
    }
    QObject::connect(panel, &ControlPanel::WorkEnded, &window, [&, panel] { step(panel); });
    if (halfWay) {
      QObject::connect(panel, &ControlPanel::ProgressShown, &window,
                       [&, panel](const QString&, qint64 done, qint64 total) {
                         if (!exporting || taken || done * 2 < total) return;
                         save(panel);
                         window.close();  // stops the export; the loop ends with the window
                       });
    }
    press(panel, brimsel::ctl::kChooseFile);
    if (!panel->Working()) step(panel);
  });
  QApplication::exec();
  return status;
}

}  // namespace

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  // The settings kept between runs live under these names, in the platform's usual place.
  QApplication::setOrganizationName(QStringLiteral("Brimsel"));
  QApplication::setApplicationName(QStringLiteral("brimsel"));
  const QStringList args = QApplication::arguments();
  if (args.size() > 1) {
    if (args.size() == 4 && args[1] == QStringLiteral("--screenshot")) {
      return RunScreenshot(args[2], args[3], false);
    }
    if (args.size() == 4 && args[1] == QStringLiteral("--screenshot-half")) {
      return RunScreenshot(args[2], args[3], true);
    }
    std::fputs(kUsage, args[1] == QStringLiteral("--help") ? stdout : stderr);
    return args[1] == QStringLiteral("--help") ? 0 : 2;
  }
  brimsel::qt::MainWindow window;
  window.show();
  QApplication::exec();
  return 0;  // the program always ends with 0, however the window was closed
}
