// The progress swatch and the message list.
#include "ui/qt/panel_widgets.h"

#include <QApplication>
#include <QPainter>
#include <QStyledItemDelegate>
#include <QTextOption>

namespace brimsel::qt {
namespace {

// Draws an item's text with fixed tab stops; Qt's own delegate uses the text layout's default
// stops, which have nothing to do with the dialog's units.
class TabStopDelegate final : public QStyledItemDelegate {
 public:
  TabStopDelegate(QObject* parent, int tabStop) : QStyledItemDelegate(parent), tabStop_(tabStop) {}

  void paint(QPainter* painter, const QStyleOptionViewItem& option,
             const QModelIndex& index) const override {
    QStyleOptionViewItem item = option;
    initStyleOption(&item, index);
    const QString text = item.text;
    item.text.clear();
    const QWidget* widget = item.widget;
    QStyle* style = widget ? widget->style() : QApplication::style();
    style->drawControl(QStyle::CE_ItemViewItem, &item, painter, widget);  // background, focus

    const QRect area = style->subElementRect(QStyle::SE_ItemViewItemText, &item, widget);
    const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, widget) + 1;
    QTextOption layout(Qt::AlignLeft | Qt::AlignVCenter);
    layout.setWrapMode(QTextOption::NoWrap);
    layout.setTabStopDistance(tabStop_);
    painter->save();
    painter->setFont(item.font);
    painter->setPen(item.palette.color(QPalette::Active, (item.state & QStyle::State_Selected)
                                                             ? QPalette::HighlightedText
                                                             : QPalette::Text));
    painter->setClipRect(area);
    painter->drawText(QRectF(area.adjusted(margin, 0, -margin, 0)), text, layout);
    painter->restore();
  }

 private:
  int tabStop_;
};

}  // namespace

ProgressSwatch::ProgressSwatch(QWidget* parent) : QWidget(parent) {
  setFocusPolicy(Qt::NoFocus);
  setAttribute(Qt::WA_OpaquePaintEvent);
}

void ProgressSwatch::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), colour_);
  painter.setPen(QPen(Qt::black, 1));
  painter.setBrush(Qt::NoBrush);
  painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

MessageList::MessageList(QWidget* parent, int tabStopPixels)
    : QListWidget(parent), tabStop_(tabStopPixels) {
  setSelectionMode(QAbstractItemView::ExtendedSelection);
  setSortingEnabled(false);
  setUniformItemSizes(true);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  setItemDelegate(new TabStopDelegate(this, tabStopPixels));
}

}  // namespace brimsel::qt
