#include "ui/menu/backgroundpicture.h"

#include "core/fileio.h"
#include "preview/png.h"

#include <QImage>
#include <QImageReader>

#include <cstring>
#include <stdexcept>
#include <string>

namespace navora::ui {

namespace {

// The largest background picture file read.
constexpr std::uint64_t kMaxPictureFileSize = 256u << 20;

}  // namespace

RgbaImage readBackgroundPicture(const QString& path, bool png) {
    if (png) return readPngRgba(readDatabaseFile(path.toStdString(), kMaxPictureFileSize), path.toStdString());
    QImageReader reader(path, "bmp");
    const QSize size = reader.size();
    if (!size.isValid() || size.isEmpty())
        throw std::runtime_error("not a readable bitmap: " + reader.errorString().toStdString());
    if (size.width() > kMaxPictureSide || size.height() > kMaxPictureSide)
        throw std::runtime_error("the picture is " + std::to_string(size.width()) + "x" +
                                 std::to_string(size.height()) + ", larger than " + std::to_string(kMaxPictureSide) +
                                 " on a side");
    QImage image = reader.read();
    if (image.isNull()) throw std::runtime_error("not a readable bitmap: " + reader.errorString().toStdString());
    image.convertTo(QImage::Format_RGBA8888);
    RgbaImage out;
    out.width = image.width();
    out.height = image.height();
    out.rgba.resize(static_cast<std::size_t>(out.width) * static_cast<std::size_t>(out.height) * 4);
    const auto row = static_cast<std::size_t>(out.width) * 4;
    for (int y = 0; y < out.height; ++y)
        std::memcpy(out.rgba.data() + static_cast<std::size_t>(y) * row, image.constScanLine(y), row);
    return out;
}

}  // namespace navora::ui
