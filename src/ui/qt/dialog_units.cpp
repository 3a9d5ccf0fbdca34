// Dialog units to pixels from the panel font's metrics.
#include "ui/qt/dialog_units.h"

#include <QFontMetrics>

namespace brimsel::qt {

QFont PanelFont() {
  QFont font(QStringLiteral("Sans Serif"), 8);
  font.setStyleHint(QFont::SansSerif);
  return font;
}

DialogBaseUnits BaseUnitsOf(const QFont& font) {
  const QFontMetrics metrics(font);
  const int advance = metrics.horizontalAdvance(
      QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
  // The rounding of GdiGetCharDimensions: (width / 26 + 1) / 2.
  return {(advance / 26 + 1) / 2, metrics.height()};
}

int MulDivRounded(int a, int b, int c) {
  const long long product = static_cast<long long>(a) * b;
  const long long half = c / 2;
  const long long rounded = product >= 0 ? (product + half) / c : (product - half) / c;
  return static_cast<int>(rounded);
}

QRect DialogRectToPixels(const QRect& du, DialogBaseUnits base) {
  const int left = MulDivRounded(du.x(), base.x, 4);
  const int top = MulDivRounded(du.y(), base.y, 8);
  const int right = MulDivRounded(du.x() + du.width(), base.x, 4);
  const int bottom = MulDivRounded(du.y() + du.height(), base.y, 8);
  return QRect(left, top, right - left, bottom - top);
}

QSize DialogSizeToPixels(int widthDu, int heightDu, DialogBaseUnits base) {
  return DialogRectToPixels(QRect(0, 0, widthDu, heightDu), base).size();
}

}  // namespace brimsel::qt
