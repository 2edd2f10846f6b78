#pragma once
// The smaller pictures and texts of the Menu tab that the engine computes:
// an object with a palette, the palette chart and its readout under the
// mouse, the rows of the effect grids, the fit-mode geometry of the page
// view with its mouse mapping, and the frames of a state preview.

#include "ig/model.h"
#include "ig/structure.h"
#include "preview/options.h"
#include "preview/pictures.h"

#include <array>
#include <optional>
#include <string>
#include <vector>

namespace navora {

// ---- Object view (ShowButtonPic) -----------------------------------------------

struct ObjectView {
    RgbaImage picture;
    std::string status;          // status panel 1
    bool selectObjects = false;  // the object and palette selectors follow (object and palette)
};

// What the object view shows for object `object` with palette `palette`:
// with "View palette only" the palette chart ("Palette: 05 (5)"); for
// 0xFFFF a 1x1 picture ("No object assigned"); for an object with a size
// and data the object over the object background colour ("Size: 400x80,
// Object: 0000,  Palette: 00,  RLE pixel data: 2,510 (32,000)", numbers
// grouped by `thousands`). Nothing for an object beyond the list or one
// without size or data.
std::optional<ObjectView> ShowButtonPic(const TIGSc& menu, PictureCache& pictures, std::size_t object,
                                        std::size_t palette, const PreviewOptions& options, char thousands = ',');

// ---- Palette chart ----------------------------------------------------------------

inline constexpr int kPaletteChartWidth = 350;
inline constexpr int kPaletteChartHeight = 180;

// The chart: two grids of 16 x 16 cells (entry = row x 16 + column), cell
// (row, column) at (10 + 10 x column, 10 + 10 x row), the right grid 170
// pixels further; each cell a black 9 x 9 square without its corners, the
// left one holding the entry's colour, the right one white drawn with the
// entry's alpha over the object background.
RgbaImage paletteChart(const TIGSc& menu, std::size_t palette, Colour objectBackground);
// The same chart drawn into `chart`, whose pixels are reused when it has the
// chart's size (a caller that redraws it often allocates nothing).
void drawPaletteChart(RgbaImage& chart, const TIGSc& menu, std::size_t palette, Colour objectBackground);

struct PaletteReadout {
    std::optional<int> entry;  // the entry under the mouse
    bool hand = false;         // the cursor: the hand over an existing entry
    std::string status;        // status panel 1
};

// iBOGMouseMove: the entry of the chart at (x, y) and its description.
PaletteReadout paletteReadout(const TIGSc& menu, std::size_t palette, int x, int y);

// ---- Effect grids (setEffects, the effect and composition object rows) -----------------

// Windows grid: "id" (two decimal digits), "X", "Y", "width", "height".
std::vector<std::array<std::string, 5>> effectWindowRows(const Teffectseq& effects);
// Effects grid: row number from "001", duration "h:mm:ss.zzz", palette (two
// hexadecimal digits), number of composition objects.
std::vector<std::array<std::string, 4>> effectRows(const Teffectseq& effects);
// Composition objects of an effect: row number, object (four hexadecimal
// digits), window (two hexadecimal digits), X, Y.
std::vector<std::array<std::string, 5>> compositionObjectRows(const Teffect& effect);

// ---- Page view geometry (cbFullScreenClick, sbFullpageResize) ---------------------------

// Where the picture is shown inside the page view's area in fit mode: the
// inner area is the area less 2 pixels each way, the picture keeps its
// aspect and is centred, +1 for the border.
PixelRect fitGeometry(int areaWidth, int areaHeight, int pictureWidth, int pictureHeight);
// A mouse position relative to the shown picture as a page position.
struct PagePoint {
    int x = 0;
    int y = 0;
    bool operator==(const PagePoint&) const = default;
};
PagePoint viewToPage(int x, int y, const PixelRect& shown, int pictureWidth, int pictureHeight);

// ---- State preview (double click in the button grid) ----------------------------------------

struct StatePreview {
    std::vector<std::uint16_t> objects;   // start .. end (empty when end < start)
    int frameMs = 0;                      // one animation frame
    bool repeat = false;                  // normal and selected states with their repeat flag
    std::optional<std::uint16_t> finally;  // the object shown at the end (the start or the end)
};
// The frames the button grid plays on a double click on a start or end
// column; nothing for the other columns. The frames are the state's objects
// that the menu holds (none when end < start); the view shows them one frame
// apart, over again while `repeat` (until Cancel), then shows `finally`.
std::optional<StatePreview> statePreview(const TIGSc& menu, std::size_t page, const TIGbutton& button,
                                         ButtonColumn column);

// The sound entry the button grid plays on a double click on "s.sound" or
// "a.sound": nothing for other columns, and nothing for no sound (0xFF) or an
// entry beyond the soundEntries of sound.bdmv.
std::optional<std::uint16_t> soundPreview(const TIGbutton& button, ButtonColumn column, std::size_t soundEntries);

}  // namespace navora
