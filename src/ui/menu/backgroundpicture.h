#pragma once
// The Options tab's background picture for the Page view, read as RGBA: a
// PNG through the engine's reader, anything else as a bitmap through Qt (its
// size checked before it is decoded). Throws with the reason when the file
// cannot be read.

#include "ig/image.h"

#include <QString>

namespace navora::ui {

RgbaImage readBackgroundPicture(const QString& path, bool png);

}  // namespace navora::ui
