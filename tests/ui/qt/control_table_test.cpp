// Tests of the control table "DlgTarvel" and of the panel geometry built from it.
#include "ui/qt/control_table.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>
#include <map>
#include <memory>

#include "ui/qt/control_panel.h"
#include "ui/qt/dialog_units.h"
#include "ui/qt/engine_text.h"
#include "ui/qt/panel_widgets.h"

using namespace brimsel::qt;
namespace ctl = brimsel::ctl;

namespace {

std::unique_ptr<ControlPanel> MakePanel() {
  PlatformSeams quiet{[] {}, [](QWidget*, const QString&, const QString&, brimsel::MessageIcon) {},
                      [](QWidget*, const QString&, const QString&) { return std::optional<QString>(); }};
  return std::unique_ptr<ControlPanel>(ControlPanel::Create(nullptr, quiet));
}

// The text a control shows, whatever its widget.
QString ShownText(QWidget* widget) {
  if (auto* button = qobject_cast<QAbstractButton*>(widget)) return button->text();
  if (auto* group = qobject_cast<QGroupBox*>(widget)) return group->title();
  if (auto* label = qobject_cast<QLabel*>(widget)) return label->text();
  if (auto* field = qobject_cast<QLineEdit*>(widget)) return field->text();
  return {};
}

// The class of each kind's widget; only the count fields are read-only.
const std::map<ControlKind, const char*> kClassOfKind = {
    {ControlKind::kPush, "QPushButton"},    {ControlKind::kPushCentred, "QPushButton"},
    {ControlKind::kCheck, "QCheckBox"},     {ControlKind::kGroup, "QGroupBox"},
    {ControlKind::kOwnerDrawn, "brimsel::qt::ProgressSwatch"},
    {ControlKind::kCount, "QLineEdit"},     {ControlKind::kInput, "QLineEdit"},
    {ControlKind::kLine, "QLineEdit"},      {ControlKind::kLabel, "QLabel"},
    {ControlKind::kRule, "QFrame"},         {ControlKind::kList, "brimsel::qt::MessageList"},
    {ControlKind::kCombo, "QComboBox"}};

}  // namespace

class ControlTableTest : public QObject {
  Q_OBJECT

 private slots:
  void dialogRect();
  void widgetsFollowTheTemplate();
  void fieldsInsideGroupsTakeClicks();
};

// Each edge is mapped on its own with MulDiv rounding, as MapDialogRect does.
void ControlTableTest::dialogRect() {
  const struct {
    QRect dialogUnits;
    DialogBaseUnits base;
    QRect pixels;
  } cases[] = {
      {QRect(0, 0, 254, 286), {6, 13}, QRect(0, 0, 381, 465)},     // the panel
      {QRect(1, 1, 1, 1), {6, 13}, QRect(2, 2, 1, 1)},             // halves round up
      {QRect(203, 17, 15, 12), {9, 19}, QRect(457, 40, 34, 29)}};  // a large font
  for (const auto& c : cases) QCOMPARE(DialogRectToPixels(c.dialogUnits, c.base), c.pixels);
}

// Every control becomes the widget of its kind, in template order, at its place in pixels, in
// a panel of the dialog's size for an 8-point font on a 96-dpi screen.
void ControlTableTest::widgetsFollowTheTemplate() {
  auto panel = MakePanel();
  QVERIFY(panel);
  const DialogBaseUnits base = panel->BaseUnits();
  QVERIFY2(base.x >= 4 && base.x <= 9 && base.y >= 10 && base.y <= 18,
           qPrintable(QStringLiteral("%1 %2").arg(base.x).arg(base.y)));
  QCOMPARE(base.x, BaseUnitsOf(PanelFont()).x);
  QCOMPARE(panel->size(), DialogSizeToPixels(kPanelWidthDu, kPanelHeightDu, base));
  QCOMPARE(panel->minimumSize(), panel->maximumSize());
  for (std::size_t i = 0; i < kPanelControls.size(); ++i) {
    const ControlRow& row = kPanelControls[i];
    QWidget* widget = panel->ControlAt(i);
    const QByteArray where = QByteArray("control #") + QByteArray::number(int(i) + 1);
    QVERIFY2(widget->parentWidget() == panel.get(), where);
    QVERIFY2(widget->inherits(kClassOfKind.at(row.kind)), where);
    auto* field = qobject_cast<QLineEdit*>(widget);
    QVERIFY2(!field || field->isReadOnly() == (row.kind == ControlKind::kCount), where);
    QCOMPARE(widget->geometry(), DialogRectToPixels(QRect(row.x, row.y, row.w, row.h), base));
    if (row.id != -1) QCOMPARE(panel->Control(row.id), widget);
    if (row.kind != ControlKind::kRule && row.kind != ControlKind::kInput) {
      QCOMPARE(ShownText(widget), DecodeCp1252(row.text));
    }
  }
}

// The fields inside a group box come before it or after it in the template; they must take
// the clicks either way, and the group boxes and labels let them through.
void ControlTableTest::fieldsInsideGroupsTakeClicks() {
  auto panel = MakePanel();
  for (int id : {520, 521, 550, 551}) {  // before and after group Union, after and in group Note
    QWidget* control = panel->Control(id);
    QWidget* hit = panel->childAt(control->geometry().center());
    QVERIFY2(hit != nullptr && (hit == control || control->isAncestorOf(hit)), QByteArray::number(id));
  }
}

QTEST_MAIN(ControlTableTest)
#include "control_table_test.moc"
