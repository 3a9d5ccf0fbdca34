// Tests of the control table "DlgTarvel" and of the panel geometry built from it.
#include "ui/qt/control_table.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>
#include <memory>

#include "ui/qt/control_panel.h"
#include "ui/qt/dialog_units.h"
#include "ui/qt/engine_text.h"
#include "ui/qt/panel_widgets.h"

using brimsel::qt::ControlKind;
using namespace brimsel::qt;

Q_DECLARE_METATYPE(brimsel::qt::ControlKind)

namespace {

std::unique_ptr<ControlPanel> MakePanel() {
  PlatformSeams quiet{
      [] {}, [](QWidget*, const QString&, const QString&, brimsel::MessageIcon) {},
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
  void identifiersAreUnique();
  void control_data();
  void control();
  void dialogRect_data();
  void dialogRect();
  void widgetsFollowTheTemplate();
  void panelIsSizedInDialogUnits();
  void fieldsInsideGroupsTakeClicks_data();
  void fieldsInsideGroupsTakeClicks();
};

void ControlTableTest::identifiersAreUnique() {
  QCOMPARE(kPanelControls.size(), std::size_t{73});
  QVERIFY(ControlTableIsConsistent());
  QCOMPARE(FindControl(-1), nullptr);
  QCOMPARE(FindControl(999), nullptr);
}

// The template row by row, as the dialog resource lists it: position in the template,
// identifier, kind, text and rectangle in dialog units.
void ControlTableTest::control_data() {
  QTest::addColumn<int>("index");
  QTest::addColumn<int>("id");
  QTest::addColumn<ControlKind>("kind");
  QTest::addColumn<QString>("text");
  QTest::addColumn<QRect>("rect");
  auto Row = [](int number, int id, ControlKind kind, const char16_t* text, int x, int y, int w,
                int h) {
    QTest::addRow("#%d id %d", number, id)
        << number - 1 << id << kind << QString::fromUtf16(text) << QRect(x, y, w, h);
  };
  Row(1, 501, ControlKind::kPush, u"Fichier...", 4, 16, 40, 14);
  Row(2, 503, ControlKind::kPush, u"Convertir...", 141, 16, 39, 14);
  Row(3, 520, ControlKind::kCount, u"", 141, 70, 27, 12);
  Row(4, 510, ControlKind::kCount, u"", 30, 63, 30, 12);
  Row(5, 537, ControlKind::kCount, u"", 57, 16, 33, 12);
  Row(6, -1, ControlKind::kGroup, u"Union", 136, 51, 112, 95);
  Row(7, 561, ControlKind::kList, u"", 4, 233, 244, 52);
  Row(8, 565, ControlKind::kOwnerDrawn, u"", 203, 17, 15, 12);
  Row(9, 566, ControlKind::kLabel, u"", 6, 2, 200, 8);
  Row(10, 517, ControlKind::kLabel, u"", 210, 2, 52, 8);
  Row(11, 563, ControlKind::kPush, u"?", 227, 17, 21, 12);
  Row(12, 560, ControlKind::kLine, u"", 4, 36, 244, 12);
  Row(13, -1, ControlKind::kLabel, u"total", 10, 64, 18, 8);
  Row(14, 511, ControlKind::kCount, u"", 53, 94, 30, 12);
  Row(15, 515, ControlKind::kCount, u"", 53, 122, 30, 12);
  Row(16, -1, ControlKind::kLabel, u"naissance", 10, 96, 36, 8);
  Row(17, -1, ControlKind::kLabel, u"décès", 13, 125, 28, 8);
  Row(18, -1, ControlKind::kLabel, u"lieu", 216, 103, 21, 8);
  Row(19, 521, ControlKind::kCount, u"", 171, 114, 30, 12);
  Row(20, 522, ControlKind::kCount, u"", 210, 114, 30, 12);
  Row(21, -1, ControlKind::kLabel, u"date", 175, 103, 22, 8);
  Row(22, -1, ControlKind::kLabel, u"lieu", 99, 83, 20, 8);
  Row(23, -1, ControlKind::kLabel, u"date", 60, 83, 20, 8);
  Row(24, 512, ControlKind::kCount, u"", 92, 94, 30, 12);
  Row(25, 516, ControlKind::kCount, u"", 92, 122, 30, 12);
  Row(26, 513, ControlKind::kCount, u"", 91, 63, 30, 12);
  Row(27, -1, ControlKind::kLabel, u"parent", 67, 64, 20, 8);
  Row(28, 508, ControlKind::kCount, u"", 53, 107, 30, 12);
  Row(29, 509, ControlKind::kCount, u"", 92, 107, 30, 12);
  Row(30, -1, ControlKind::kLabel, u"baptême", 11, 110, 34, 8);
  Row(31, -1, ControlKind::kRule, u"Frame1", 4, 81, 124, 1);
  Row(32, -1, ControlKind::kLabel, u"début", 142, 115, 24, 8);
  Row(33, -1, ControlKind::kLabel, u"fin", 146, 130, 22, 8);
  Row(34, -1, ControlKind::kRule, u"Frame2", 136, 99, 112, 1);
  Row(35, 524, ControlKind::kCount, u"", 210, 130, 30, 12);
  Row(36, 523, ControlKind::kCount, u"", 171, 130, 30, 12);
  Row(37, -1, ControlKind::kLabel, u"erreurs", 95, 17, 28, 9);
  Row(38, -1, ControlKind::kGroup, u"Note", 4, 161, 124, 34);
  Row(39, 550, ControlKind::kCount, u"", 50, 178, 30, 12);
  Row(40, 551, ControlKind::kCheck, u"inclure", 9, 177, 39, 12);
  Row(41, 540, ControlKind::kCount, u"", 157, 167, 30, 12);
  Row(42, 585, ControlKind::kCount, u"", 212, 182, 30, 12);
  Row(43, -1, ControlKind::kLabel, u"QUAY", 134, 168, 24, 8);
  Row(44, 552, ControlKind::kCount, u"", 88, 178, 30, 12);
  Row(45, -1, ControlKind::kLabel, u" INDI", 54, 168, 24, 8);
  Row(46, -1, ControlKind::kLabel, u"FAM", 94, 168, 22, 8);
  Row(47, -1, ControlKind::kLabel, u"err FAMS", 140, 87, 32, 8);
  Row(48, 580, ControlKind::kCount, u"", 174, 70, 27, 12);
  Row(49, 581, ControlKind::kCount, u"", 212, 70, 27, 12);
  Row(50, 582, ControlKind::kCount, u"", 174, 84, 27, 12);
  Row(51, 583, ControlKind::kCount, u"", 212, 84, 27, 12);
  Row(52, -1, ControlKind::kLabel, u"total", 144, 59, 24, 8);
  Row(53, -1, ControlKind::kLabel, u"H", 184, 59, 16, 8);
  Row(54, -1, ControlKind::kLabel, u"F", 220, 60, 12, 8);
  Row(55, 584, ControlKind::kCount, u"", 168, 182, 30, 12);
  Row(56, -1, ControlKind::kLabel, u"err CHIL", 136, 185, 28, 8);
  Row(57, 543, ControlKind::kCount, u"", 218, 166, 30, 12);
  Row(58, -1, ControlKind::kLabel, u"SOUR", 193, 167, 24, 8);
  Row(59, 554, ControlKind::kCheck, u"nb ref", 8, 200, 32, 12);
  Row(60, 555, ControlKind::kCheck, u"OEM => ANSI", 43, 200, 60, 12);
  Row(61, 556, ControlKind::kCheck, u"Nom Propre", 8, 213, 52, 12);
  Row(62, 400, ControlKind::kInput, u"1", 176, 213, 28, 12);
  Row(63, 401, ControlKind::kInput, u"1", 212, 213, 28, 12);
  Row(64, 402, ControlKind::kInput, u"", 136, 213, 28, 12);
  Row(65, -1, ControlKind::kLabel, u"Indi", 140, 204, 20, 8);
  Row(66, -1, ControlKind::kLabel, u"FAM +", 216, 202, 24, 8);
  Row(67, -1, ControlKind::kLabel, u"INDI+", 180, 202, 24, 8);
  Row(68, 405, ControlKind::kPushCentred, u"Capital...", 63, 212, 32, 14);
  Row(69, -1, ControlKind::kGroup, u"Individu", 4, 52, 128, 108);
  Row(70, 518, ControlKind::kCount, u"", 92, 137, 30, 12);
  Row(71, 519, ControlKind::kCount, u"", 54, 137, 30, 12);
  Row(72, -1, ControlKind::kLabel, u"sépulture", 12, 138, 32, 8);
  Row(73, 406, ControlKind::kPushCentred, u"Strip", 100, 211, 32, 14);
}

void ControlTableTest::control() {
  QFETCH(int, index);
  QFETCH(int, id);
  QFETCH(ControlKind, kind);
  QFETCH(QString, text);
  QFETCH(QRect, rect);
  const ControlRow& row = kPanelControls.at(static_cast<std::size_t>(index));
  QCOMPARE(row.id, id);
  QCOMPARE(row.kind, kind);
  QCOMPARE(DecodeCp1252(row.text), text);
  QCOMPARE(QRect(row.x, row.y, row.w, row.h), rect);
  if (id != -1) QCOMPARE(FindControl(id), &row);
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
      case ControlKind::kRule: {
        auto* rule = qobject_cast<QFrame*>(widget);
        QVERIFY2(rule && rule->frameShape() == QFrame::HLine, where);
        QCOMPARE(rule->frameShadow(), QFrame::Sunken);
        break;
      }
      case ControlKind::kList: {
        auto* list = qobject_cast<MessageList*>(widget);
        QVERIFY2(list, where);
        QCOMPARE(list->selectionMode(), QAbstractItemView::ExtendedSelection);
        QVERIFY(!list->isSortingEnabled());
        break;
      }
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
  QCOMPARE(panel->size(), DialogSizeToPixels(254, 286, base));
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
