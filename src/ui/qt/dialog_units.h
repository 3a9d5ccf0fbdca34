// Dialog units to pixels, computed from the panel font as Win32 dialogs compute them.
#pragma once

#include <QFont>
#include <QRect>
#include <QSize>

namespace brimsel::qt {

// The dialog base units of a font: average character width and character height in pixels.
struct DialogBaseUnits {
  int x = 0;
  int y = 0;
};

// The panel font: the platform's closest match to an 8-point sans serif.
QFont PanelFont();

// Average width: the advance of "A".."Z" "a".."z" divided by 52, rounded; height: the font's
// line height (ascent + descent).
DialogBaseUnits BaseUnitsOf(const QFont& font);

// a * b / c rounded half away from zero, as the Win32 MulDiv used by MapDialogRect.
int MulDivRounded(int a, int b, int c);

// Maps a rectangle given in dialog units: each edge separately, x by baseX / 4, y by baseY / 8,
// so that adjacent controls stay adjacent in pixels.
QRect DialogRectToPixels(const QRect& dialogUnits, DialogBaseUnits base);
QSize DialogSizeToPixels(int widthDu, int heightDu, DialogBaseUnits base);

}  // namespace brimsel::qt
