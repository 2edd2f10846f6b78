#pragma once
// The menu's pictures for the views: the engine's RGBA buffers as QImage, an
// object on the object background, and the palette chart with its readout.

#include "ig/image.h"
#include "ig/model.h"

#include <QColor>
#include <QImage>
#include <QPoint>
#include <QString>

#include <optional>

namespace navora::ui {

// The engine's RGBA picture as a QImage of its own (the buffer is copied).
QImage toQImage(const RgbaImage& picture);
// The picture drawn with its alpha over a fill of background, at its size.
QImage onBackground(const RgbaImage& picture, const QColor& background);

// The palette chart: 350x180 on background; two grids of 16x16 cells (entry
// = row * 16 + column), the left one with each existing entry's colour, the
// right one with white drawn at the entry's alpha over background.
inline constexpr int kPaletteChartWidth = 350;
inline constexpr int kPaletteChartHeight = 180;
QImage paletteChart(const TIGpalette& palette, const QColor& background);
// The entry of the chart cell under point, in either grid; none between the grids and outside them.
std::optional<int> paletteChartEntry(QPoint point);
// The top-left corner of entry's cell in the left grid.
QPoint paletteChartCell(int entry);
// Whether a palette entry exists: a PDS gave it (it has a display colour or Y, Cr, Cb values).
bool paletteEntryExists(const TIGpalette& palette, int entry);

// "Palette: 02 (2)".
QString paletteCaption(int palette);
// "Palette: 02 (2)      Color: 1F (31)      RGB: #FF8000  (255,128,0)      Opacity: ..." for an entry.
QString paletteReadout(int palette, int entry, TRGBA colour);

}  // namespace navora::ui
