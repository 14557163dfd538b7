// windowfont.h - the window's font and the scale of its layout at the screen's resolution.
#pragma once

#include <QFont>

namespace tolvex::qt {

/// The window's font at `logicalDpi`: the nearest installed equivalent of an 8-point
/// "MS Sans Serif", whose characters are 11 pixels high at 96 pixels per inch, with Chinese
/// glyphs from an installed CJK font. The size is given in pixels so that it is exact.
QFont WindowFont(qreal logicalDpi);

/// The factor for the control positions and sizes, which are given for 96 pixels per inch:
/// the text height of the window's font at `logicalDpi` over its text height at 96. The
/// layout was drawn for a font 13 pixels high; the substitute font is measured against
/// itself, so that 96 pixels per inch always gives exactly the drawn layout.
qreal LayoutScale(qreal logicalDpi);

}  // namespace tolvex::qt
