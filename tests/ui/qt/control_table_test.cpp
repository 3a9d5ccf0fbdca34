// Tests of the control table "DlgTarvel" and of the panel geometry built from it.
#include "ui/qt/control_table.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>
#include <memory>
#include <set>

#include "ui/count_fields.h"
#include "ui/qt/control_panel.h"
#include "ui/qt/dialog_units.h"
#include "ui/qt/engine_text.h"
#include "ui/qt/panel_widgets.h"

using namespace brimsel::qt;
namespace ctl = brimsel::ctl;

Q_DECLARE_METATYPE(brimsel::qt::ControlKind)

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

}  // namespace

class ControlTableTest : public QObject {
  Q_OBJECT

 private slots:
  void identifiersAreUniqueAndRectsInsideTheDialog();
  void addressedControls_data();
  void addressedControls();
  void dialogRect_data();
  void dialogRect();
  void widgetsFollowTheTemplate();
  void panelIsSizedInDialogUnits();
  void fieldsInsideGroupsTakeClicks_data();
  void fieldsInsideGroupsTakeClicks();
};

void ControlTableTest::identifiersAreUniqueAndRectsInsideTheDialog() {
  QVERIFY(ControlTableIsConsistent());
  std::set<int> ids;
  for (const ControlRow& row : kPanelControls) {
    const QByteArray where = QByteArray("id ") + QByteArray::number(row.id) + " " + row.text;
    QVERIFY2(row.id == -1 || ids.insert(row.id).second, where);
    QVERIFY2(row.x >= 0 && row.y >= 0 && row.w > 0 && row.h > 0, where);
    // Only a label may run past the right edge, clipped: the line counter does.
    QVERIFY2(row.x + row.w <= kPanelWidthDu || row.kind == ControlKind::kLabel, where);
    QVERIFY2(row.x < kPanelWidthDu && row.y + row.h <= kPanelHeightDu, where);
    if (row.id != -1) QCOMPARE(FindControl(row.id), &row);
  }
  QCOMPARE(FindControl(-1), nullptr);
  QCOMPARE(FindControl(999), nullptr);
}

// Every control the operations and the panel address exists, with the kind they expect.
void ControlTableTest::addressedControls_data() {
  QTest::addColumn<int>("id");
  QTest::addColumn<ControlKind>("kind");
  QTest::addColumn<QString>("text");
  const std::tuple<int, ControlKind, const char*> rows[] = {
      {ctl::kChooseFile, ControlKind::kPush, "Fichier..."},
      {ctl::kConvert, ControlKind::kPush, "Convertir..."},
      {ctl::kNotice, ControlKind::kPush, "?"},
      {ctl::kCapital, ControlKind::kPushCentred, "Capital..."},
      {ctl::kStrip, ControlKind::kPushCentred, "Strip"},
      {ctl::kIncludeNotes, ControlKind::kCheck, "inclure"},
      {ctl::kRefCounts, ControlKind::kCheck, "nb ref"},
      {ctl::kOem, ControlKind::kCheck, "OEM => ANSI"},
      {ctl::kProperNames, ControlKind::kCheck, "Nom Propre"},
      {ctl::kIndiBase, ControlKind::kInput, "1"},
      {ctl::kFamBase, ControlKind::kInput, "1"},
      {ctl::kIndiField, ControlKind::kInput, ""},
      {ctl::kStatusLine, ControlKind::kLine, ""},
      {ctl::kMessageList, ControlKind::kList, ""},
      {ctl::kSwatch, ControlKind::kOwnerDrawn, ""},
      {ctl::kLineCounter, ControlKind::kLabel, ""},
      {ctl::kFileLabel, ControlKind::kLabel, ""},
  };
  for (const auto& [id, kind, text] : rows) QTest::addRow("%d", id) << id << kind << QString::fromUtf8(text);
  for (const brimsel::CountField& f : brimsel::kCountFields) {
    QTest::addRow("%d %s", f.id, f.label) << f.id << ControlKind::kCount << QString();
  }
}

void ControlTableTest::addressedControls() {
  QFETCH(int, id);
  QFETCH(ControlKind, kind);
  QFETCH(QString, text);
  const ControlRow* row = FindControl(id);
  QVERIFY(row != nullptr);
  QCOMPARE(row->kind, kind);
  QCOMPARE(DecodeCp1252(row->text), text);
}

// Each edge is mapped on its own with MulDiv rounding, as MapDialogRect does.
void ControlTableTest::dialogRect_data() {
  QTest::addColumn<QRect>("dialogUnits");
  QTest::addColumn<int>("baseX");
  QTest::addColumn<int>("baseY");
  QTest::addColumn<QRect>("pixels");
  QTest::newRow("MS Sans Serif panel") << QRect(0, 0, 254, 286) << 6 << 13 << QRect(0, 0, 381, 465);
  QTest::newRow("Fichier... button") << QRect(4, 16, 40, 14) << 6 << 13 << QRect(6, 26, 60, 23);
  QTest::newRow("halves round up") << QRect(1, 1, 1, 1) << 6 << 13 << QRect(2, 2, 1, 1);
  QTest::newRow("one-unit rule") << QRect(4, 81, 124, 1) << 7 << 16 << QRect(7, 162, 217, 2);
  QTest::newRow("large font") << QRect(203, 17, 15, 12) << 9 << 19 << QRect(457, 40, 34, 29);
}

void ControlTableTest::dialogRect() {
  QFETCH(QRect, dialogUnits);
  QFETCH(int, baseX);
  QFETCH(int, baseY);
  QFETCH(QRect, pixels);
  QCOMPARE(DialogRectToPixels(dialogUnits, {baseX, baseY}), pixels);
}

// Every control becomes the widget of its kind, in template order, at its place in pixels.
void ControlTableTest::widgetsFollowTheTemplate() {
  auto panel = MakePanel();
  QVERIFY(panel);
  const DialogBaseUnits base = panel->BaseUnits();
  for (std::size_t i = 0; i < kPanelControls.size(); ++i) {
    const ControlRow& row = kPanelControls[i];
    QWidget* widget = panel->ControlAt(i);
    const QByteArray where = QByteArray("control #") + QByteArray::number(int(i) + 1);
    QVERIFY2(widget->parentWidget() == panel.get(), where);
    QCOMPARE(widget->geometry(), DialogRectToPixels(QRect(row.x, row.y, row.w, row.h), base));
    if (row.id != -1) QCOMPARE(panel->Control(row.id), widget);
    auto* field = qobject_cast<QLineEdit*>(widget);
    auto* rule = qobject_cast<QFrame*>(widget);
    auto* list = qobject_cast<MessageList*>(widget);
    switch (row.kind) {
      case ControlKind::kPush:
      case ControlKind::kPushCentred:
        QVERIFY2(qobject_cast<QPushButton*>(widget), where);
        break;
      case ControlKind::kCheck:
        QVERIFY2(qobject_cast<QCheckBox*>(widget), where);
        break;
      case ControlKind::kGroup:
        QVERIFY2(qobject_cast<QGroupBox*>(widget), where);
        break;
      case ControlKind::kOwnerDrawn:
        QVERIFY2(qobject_cast<ProgressSwatch*>(widget), where);
        QCOMPARE(widget->focusPolicy(), Qt::NoFocus);
        break;
      case ControlKind::kCount:
      case ControlKind::kInput:
      case ControlKind::kLine:
        QVERIFY2(field, where);
        QCOMPARE(field->isReadOnly(), row.kind == ControlKind::kCount);
        QCOMPARE(field->alignment() & Qt::AlignHorizontal_Mask,
                 row.kind == ControlKind::kLine ? Qt::AlignLeft : Qt::AlignRight);
        break;
      case ControlKind::kLabel:
        QVERIFY2(qobject_cast<QLabel*>(widget), where);
        QCOMPARE(static_cast<QLabel*>(widget)->textFormat(), Qt::PlainText);
        break;
      case ControlKind::kRule:
        QVERIFY2(rule && rule->frameShape() == QFrame::HLine, where);
        QCOMPARE(rule->frameShadow(), QFrame::Sunken);
        break;
      case ControlKind::kList:
        QVERIFY2(list, where);
        QCOMPARE(list->selectionMode(), QAbstractItemView::ExtendedSelection);
        QVERIFY(!list->isSortingEnabled());
        break;
      case ControlKind::kCombo:
        QVERIFY2(widget->inherits("QComboBox"), where);
        break;
    }
    if (row.kind != ControlKind::kRule && row.kind != ControlKind::kInput) {
      QCOMPARE(ShownText(widget), DecodeCp1252(row.text));
    }
  }
}

void ControlTableTest::panelIsSizedInDialogUnits() {
  auto panel = MakePanel();
  const DialogBaseUnits base = panel->BaseUnits();
  // An 8-point font on a 96-dpi screen, whatever sans serif the platform picked.
  QVERIFY2(base.x >= 4 && base.x <= 9, QByteArray::number(base.x));
  QVERIFY2(base.y >= 10 && base.y <= 18, QByteArray::number(base.y));
  QCOMPARE(base.x, BaseUnitsOf(PanelFont()).x);
  QCOMPARE(panel->size(), DialogSizeToPixels(kPanelWidthDu, kPanelHeightDu, base));
  QCOMPARE(panel->minimumSize(), panel->maximumSize());
}

// The fields inside a group box come before it or after it in the template; they must take
// the clicks either way, and the group boxes and labels let them through.
void ControlTableTest::fieldsInsideGroupsTakeClicks_data() {
  QTest::addColumn<int>("id");
  QTest::newRow("520 before group Union") << 520;
  QTest::newRow("521 after group Union") << 521;
  QTest::newRow("550 after group Note") << 550;
  QTest::newRow("check 551 in group Note") << 551;
}

void ControlTableTest::fieldsInsideGroupsTakeClicks() {
  QFETCH(int, id);
  auto panel = MakePanel();
  QWidget* control = panel->Control(id);
  QWidget* hit = panel->childAt(control->geometry().center());
  QVERIFY(hit != nullptr);
  QVERIFY(hit == control || control->isAncestorOf(hit));
}

QTEST_MAIN(ControlTableTest)
#include "control_table_test.moc"
