#pragma once
// Colours that carry meaning (an invalid command in red, the words an operand
// uses in blue, a log run in its colour, the active tab's caption) were
// designed against a white background. Drawn on the palette's own background
// they keep the contrast they have against white, up to 4.5:1: a colour that
// would fall below it is made lighter (on a dark background) or darker,
// keeping its hue. On a white background every colour stays as designed.

#include <QColor>

namespace navora::ui {

// The contrast ratio of two colours by their relative luminance: 1 (the
// same) to 21 (black on white).
double contrastRatio(const QColor& a, const QColor& b);

// The colour to draw `designed` with on `background`.
QColor readableOn(const QColor& designed, const QColor& background);

}  // namespace navora::ui
