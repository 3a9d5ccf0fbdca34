// Tests of the main window: start-up order, size around the panel, failed panel.
#include "ui/qt/main_window.h"

#include <QApplication>
#include <QtTest>

#include "ui/qt/control_panel.h"

using brimsel::MessageIcon;
using namespace brimsel::qt;
namespace ctl = brimsel::ctl;

class MainWindowTest : public QObject {
  Q_OBJECT

 private slots:
  void init() { boxes_.clear(); }
  void startsBareThenPanelThenIdleThenNotice();
  void panelThatCannotBeBuilt();

 private:
  // Each box with what the panel showed then: "caption|text|panel up|swatch colour".
  PlatformSeams Seams(MainWindow** window) {
    return {[] {},
            [this, window](QWidget*, const QString& text, const QString& caption, MessageIcon) {
              ControlPanel* panel = (*window)->Panel();
              boxes_ << caption + "|" + text + "|" + (panel && panel->isVisible() ? "up" : "") + "|" +
                            (panel ? panel->SwatchColour().name() : QString());
            },
            [](QWidget*, const QString&, const QString&) { return std::optional<QString>(); }};
  }
  QStringList boxes_;
};

void MainWindowTest::startsBareThenPanelThenIdleThenNotice() {
  MainWindow* self = nullptr;
  MainWindow window(Seams(&self));
  self = &window;
  window.show();
  QCOMPARE(window.windowTitle(), QStringLiteral("Brimsel (Quenor 1996)"));
  QCOMPARE(window.Panel(), nullptr);  // the panel waits for the loop
  QCOMPARE(window.size(), QSize(620, 350));

  QTRY_VERIFY(window.Panel() != nullptr);
  ControlPanel* panel = window.Panel();
  QCOMPARE(window.size(), panel->size());
  QTRY_COMPARE(boxes_.size(), qsizetype(1));
  // Idle (green) before the notice, once.
  QVERIFY2(boxes_[0].startsWith(QStringLiteral("Brimsel 1.20|")), qPrintable(boxes_[0]));
  QVERIFY2(boxes_[0].endsWith(QStringLiteral("|up|#00ff00")), qPrintable(boxes_[0]));
  QTest::qWait(50);
  QCOMPARE(boxes_.size(), qsizetype(1));
  QCOMPARE(QApplication::overrideCursor(), nullptr);
}

void MainWindowTest::panelThatCannotBeBuilt() {
  MainWindow* self = nullptr;
  MainWindow window(Seams(&self), [](QWidget*, const PlatformSeams&) { return nullptr; });
  self = &window;
  window.show();
  QTRY_COMPARE(boxes_, QStringList{QStringLiteral("DlgTarvel|erreur création||")});
  QTRY_VERIFY(!window.isVisible());
  QCOMPARE(window.Panel(), nullptr);
}

QTEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
