#pragma once
// The expected values stated in the .txt beside each corpus menu, and the
// source images its objects were compiled from (the <img> elements of its
// .xml in document order).

#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace navora::test {

struct ExpectedState {
    std::uint16_t start = 0xFFFF, end = 0xFFFF;  // "obj A..B", "obj A" or "none (0xFFFF)"
    int repeat = 0, complete = 0;
    int sound = 0xFF;
};

struct ExpectedButton {
    std::uint16_t id = 0;
    int x = 0, y = 0, width = 0, height = 0;
    std::uint16_t up = 0, down = 0, left = 0, right = 0;
    std::uint16_t numeric = 0;
    int autoAction = 0;
    ExpectedState normal, selected, activated;
    std::vector<std::array<std::uint32_t, 3>> commands;
};

struct ExpectedBOG {
    std::uint16_t defaultValid = 0;
    std::vector<ExpectedButton> buttons;
};

struct ExpectedPage {
    int pageId = 0, version = 0, palette = 0, animationCode = 0;
    std::uint64_t uoMask = 0;
    std::uint16_t defaultSelected = 0, defaultActivated = 0;
    std::vector<ExpectedBOG> bogs;
};

struct ExpectedPalette {
    int id = 0, version = 0, entries = 0;
};

struct ExpectedObject {
    int id = 0, width = 0, height = 0;
    std::uint32_t rleBytes = 0;
};

struct ExpectedMenu {
    int width = 0, height = 0, frameRateId = 0;
    int streamModel = 0, uiModel = 0;
    std::optional<std::uint64_t> compositionTimeOut, selectionTimeOut;
    std::uint32_t userTimeOut = 0;
    int pages = 0;
    std::uint32_t compositionLength = 0;
    std::vector<ExpectedPage> pageList;
    std::vector<ExpectedPalette> palettes;
    int objects = 0;
    std::vector<ExpectedObject> objectSizes;  // the objects the .txt states one by one
    std::vector<std::size_t> icsSegments;     // segment_length of each ICS segment
};

// Parses <menu>.txt; fails the calling test (ADD_FAILURE) on a line it cannot read.
ExpectedMenu parseExpected(const std::filesystem::path& txt);

// The image paths of the <img> elements of <menu>.xml in document order,
// relative to the folder of the .xml: the source of object 0, 1, 2 ...
std::vector<std::string> sourceImages(const std::filesystem::path& xml);

// An RGBA image read from a PNG file (any kind), or nothing.
struct RgbaSource {
    int width = 0, height = 0;
    std::vector<std::uint8_t> rgba;
};
std::optional<RgbaSource> readRgbaPng(const std::filesystem::path& png);

}  // namespace navora::test
