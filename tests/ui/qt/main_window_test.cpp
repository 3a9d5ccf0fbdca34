// Tests of the main window: start-up order, size around the panel, icon, failed panel.
#include "ui/qt/main_window.h"

#include <QApplication>
#include <QImage>
#include <QLineEdit>
#include <QtTest>
#include <set>

#include "ui/qt/control_panel.h"

using brimsel::MessageIcon;
using namespace brimsel::qt;
namespace ctl = brimsel::ctl;

class MainWindowTest : public QObject {
  Q_OBJECT

 private slots:
  void init();
  void startsBareThenPanelThenIdleThenNotice();
  void windowIsFixedWithoutMaximise();
  void iconIs32PixelsIn16Colours();
  void panelThatCannotBeBuilt();

 private:
  struct Box {
    QString text, caption;
    bool panelUp;
    QColor swatch;
  };
  PlatformSeams Seams(MainWindow** window);
  std::vector<Box> boxes_;
};

void MainWindowTest::init() {
  boxes_.clear();
}

PlatformSeams MainWindowTest::Seams(MainWindow** window) {
  PlatformSeams seams;
  seams.beep = [] {};
  seams.chooseFile = [](QWidget*, const QString&, const QString&) {
    return std::optional<QString>();
  };
  seams.messageBox = [this, window](QWidget*, const QString& text, const QString& caption,
                                    MessageIcon) {
    ControlPanel* panel = (*window)->Panel();
    boxes_.push_back({text, caption, panel != nullptr && panel->isVisible(),
                      panel != nullptr ? panel->SwatchColour() : QColor()});
  };
  return seams;
}

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
  QCOMPARE(panel->parentWidget(), &window);
  QCOMPARE(panel->pos(), QPoint(0, 0));
  QCOMPARE(window.size(), panel->size());
  QCOMPARE(window.minimumSize(), window.maximumSize());
  QCOMPARE(qobject_cast<QLineEdit*>(panel->Control(ctl::kStatusLine))->text(), QString());

  QTRY_COMPARE(boxes_.size(), std::size_t{1});
  QCOMPARE(boxes_[0].caption, QStringLiteral("Brimsel 1.20"));
  QVERIFY(boxes_[0].panelUp);
  QCOMPARE(boxes_[0].swatch, QColor(0, 255, 0));  // idle before the notice
  QTest::qWait(50);
  QCOMPARE(boxes_.size(), std::size_t{1});  // once
  QCOMPARE(QApplication::overrideCursor(), nullptr);
}

void MainWindowTest::windowIsFixedWithoutMaximise() {
  MainWindow* self = nullptr;
  MainWindow window(Seams(&self));
  self = &window;
  const Qt::WindowFlags flags = window.windowFlags();
  QVERIFY(flags & Qt::WindowTitleHint);
  QVERIFY(flags & Qt::WindowSystemMenuHint);
  QVERIFY(flags & Qt::WindowMinimizeButtonHint);
  QVERIFY(flags & Qt::WindowCloseButtonHint);
  QVERIFY(!(flags & Qt::WindowMaximizeButtonHint));
  QVERIFY(window.CreateControlPanel());
  QVERIFY(window.CreateControlPanel());  // a second request builds nothing new
  QCOMPARE(window.findChildren<ControlPanel*>().size(), 1);
  QCOMPARE(window.minimumSize(), window.Panel()->size());
  QCOMPARE(window.maximumSize(), window.Panel()->size());
}

void MainWindowTest::iconIs32PixelsIn16Colours() {
  MainWindow* self = nullptr;
  MainWindow window(Seams(&self));
  self = &window;
  const QIcon icon = window.windowIcon();
  QVERIFY(!icon.isNull());
  QVERIFY(icon.availableSizes().contains(QSize(32, 32)));
  const QImage image = icon.pixmap(32, 32).toImage().convertToFormat(QImage::Format_ARGB32);
  std::set<QRgb> colours;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      if (qAlpha(image.pixel(x, y)) != 0) colours.insert(image.pixel(x, y));
    }
  }
  QVERIFY(colours.size() >= 4);
  QVERIFY2(colours.size() <= 16, QByteArray::number(int(colours.size())));
}

void MainWindowTest::panelThatCannotBeBuilt() {
  MainWindow* self = nullptr;
  MainWindow window(Seams(&self), [](QWidget*, const PlatformSeams&) { return nullptr; });
  self = &window;
  window.show();
  QTRY_COMPARE(boxes_.size(), std::size_t{1});
  QCOMPARE(boxes_[0].text, QStringLiteral("erreur création"));
  QCOMPARE(boxes_[0].caption, QStringLiteral("DlgTarvel"));
  QTRY_VERIFY(!window.isVisible());
  QCOMPARE(window.Panel(), nullptr);
}

QTEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
