#include "ui/menu/menuimage.h"

#include <QPainter>

namespace navora::ui {

namespace {

constexpr int kGridLeft = 10;
constexpr int kGridTop = 10;
constexpr int kCell = 10;
constexpr int kRightGridOffset = 170;

QString hex2(int v) { return QStringLiteral("%1").arg(v, 2, 16, QLatin1Char('0')).toUpper(); }

// A square of side size at (x, y) without its four corner pixels.
void roundedSquare(QImage& img, int x, int y, int size, const QColor& c) {
    const QRgb rgb = c.rgba();
    for (int dy = 0; dy < size; ++dy)
        for (int dx = 0; dx < size; ++dx) {
            const bool corner = (dx == 0 || dx == size - 1) && (dy == 0 || dy == size - 1);
            if (!corner) img.setPixel(x + dx, y + dy, rgb);
        }
}

QColor blend(const QColor& over, int alpha, const QColor& under) {
    const auto mix = [alpha](int a, int b) { return (a * alpha + b * (255 - alpha) + 127) / 255; };
    return {mix(over.red(), under.red()), mix(over.green(), under.green()), mix(over.blue(), under.blue())};
}

}  // namespace

QImage toQImage(const RgbaImage& picture) {
    if (picture.width <= 0 || picture.height <= 0) return {};
    const QImage view(picture.rgba.data(), picture.width, picture.height, picture.width * 4, QImage::Format_RGBA8888);
    return view.copy();
}

QImage onBackground(const RgbaImage& picture, const QColor& background) {
    QImage out(std::max(picture.width, 1), std::max(picture.height, 1), QImage::Format_RGB32);
    out.fill(background);
    QPainter p(&out);
    p.drawImage(0, 0, toQImage(picture));
    return out;
}

bool paletteEntryExists(const TIGpalette& palette, int entry) {
    const auto e = static_cast<std::size_t>(entry);
    return !palette.colours[e].zero() || palette.entries[e] != TYCrCb{};
}

QPoint paletteChartCell(int entry) { return {kGridLeft + kCell * (entry % 16), kGridTop + kCell * (entry / 16)}; }

QImage paletteChart(const TIGpalette& palette, const QColor& background) {
    QImage chart(kPaletteChartWidth, kPaletteChartHeight, QImage::Format_RGB32);
    chart.fill(background);
    const QColor white(255, 255, 255);
    for (int e = 0; e < 256; ++e) {
        const QPoint left = paletteChartCell(e);
        const QPoint right = left + QPoint(kRightGridOffset, 0);
        roundedSquare(chart, left.x(), left.y(), 9, Qt::black);
        roundedSquare(chart, right.x(), right.y(), 9, Qt::black);
        const bool exists = paletteEntryExists(palette, e);
        const TRGBA c = palette.colours[static_cast<std::size_t>(e)];
        if (exists) roundedSquare(chart, left.x() + 1, left.y() + 1, 7, QColor(c.R, c.G, c.B));
        roundedSquare(chart, right.x() + 1, right.y() + 1, 7, blend(white, exists ? c.T : 255, background));
    }
    return chart;
}

std::optional<int> paletteChartEntry(QPoint point) {
    const int x = point.x();
    const int y = point.y();
    if (y < 11 || y > 170) return std::nullopt;
    const int row = (y - 11) / kCell;
    if (x >= 11 && x <= 170) return row * 16 + (x - 11) / kCell;
    if (x >= 181 && x <= 340) return row * 16 + (x - 181) / kCell;
    return std::nullopt;
}

QString paletteCaption(int palette) {
    return QStringLiteral("Palette: %1 (%2)").arg(hex2(palette)).arg(palette);
}

QString paletteReadout(int palette, int entry, TRGBA c) {
    const int transparency = 255 - c.T;
    return paletteCaption(palette) +
           QStringLiteral("      Color: %1 (%2)      RGB: #%3%4%5  (%6,%7,%8)      Opacity: %9 (%10)")
               .arg(hex2(entry))
               .arg(entry)
               .arg(hex2(c.R), hex2(c.G), hex2(c.B))
               .arg(int{c.R})
               .arg(int{c.G})
               .arg(int{c.B})
               .arg(hex2(c.T))
               .arg(int{c.T}) +
           QStringLiteral("      Transparency: %1 (%2)  %3%")
               .arg(hex2(transparency))
               .arg(transparency)
               .arg(transparency * 100 / 255);
}

}  // namespace navora::ui
