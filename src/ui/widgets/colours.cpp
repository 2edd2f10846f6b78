#include "ui/widgets/colours.h"

#include <algorithm>
#include <cmath>

namespace navora::ui {

namespace {

double channel(double c) { return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4); }

double luminance(const QColor& c) {
    return 0.2126 * channel(c.redF()) + 0.7152 * channel(c.greenF()) + 0.0722 * channel(c.blueF());
}

constexpr double kMostNeeded = 4.5;

}  // namespace

double contrastRatio(const QColor& a, const QColor& b) {
    const double la = luminance(a), lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

QColor readableOn(const QColor& designed, const QColor& background) {
    const double needed = std::min(contrastRatio(designed, Qt::white), kMostNeeded);
    if (contrastRatio(designed, background) >= needed) return designed;
    // Away from the background's lightness in small steps; hue and saturation stay.
    const bool lighter = luminance(background) < 0.18;
    float h = 0, s = 0, l = 0, a = 0;
    designed.toHsl().getHslF(&h, &s, &l, &a);
    QColor c = designed;
    for (int i = 0; i < 50; ++i) {
        l = std::clamp(l + (lighter ? 0.02f : -0.02f), 0.0f, 1.0f);
        c = QColor::fromHslF(h, s, l, a).toRgb();
        if (contrastRatio(c, background) >= needed || l <= 0.0f || l >= 1.0f) break;
    }
    return c;
}

}  // namespace navora::ui
