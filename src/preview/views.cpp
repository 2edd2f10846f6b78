#include "preview/views.h"

#include "core/numtext.h"
#include "ig/load.h"
#include "preview/timing.h"

#include <fmt/format.h>

#include <cstring>

namespace navora {

std::optional<ObjectView> ShowButtonPic(const TIGSc& m, PictureCache& pictures, std::size_t object,
                                        std::size_t palette, const PreviewOptions& options, char thousands) {
    if (options.cbPalOnly)
        return ObjectView{paletteChart(m, palette, options.colObjectBackground),
                          fmt::format("Palette: {:02X} ({})", palette, palette), false};
    if (object == kNoObjectRef) return ObjectView{makePicture(1, 1, options.colObjectBackground), "No object assigned", false};
    if (object >= m.objects.size()) return std::nullopt;
    const TIGobject& obj = m.objects[object];
    if (obj.width == 0 || obj.height == 0 || (obj.object_data_length == 0 && !obj.picture)) return std::nullopt;
    ObjectView view;
    view.selectObjects = true;
    view.picture = makePicture(obj.width, obj.height, options.colObjectBackground);
    if (const auto pic = pictures.picture(m, object, palette)) blendPicture(view.picture, *pic, 0, 0);
    view.status = fmt::format("Size: {}x{},  Object: {:04X},  Palette: {:02X},  RLE pixel data: {} ({})", obj.width,
                              obj.height, obj.object_id, palette, groupThousands(obj.object_data_length, thousands),
                              groupThousands(std::uint64_t{obj.width} * obj.height, thousands));
    return view;
}

// ---- Palette chart --------------------------------------------------------------

namespace {

constexpr int kCell = 10;
constexpr int kGridLeft = 10;
constexpr int kGridTop = 10;
constexpr int kRightGrid = 170;

// One cell of the chart: a 9 x 9 square without its corners in `frame`,
// holding a 7 x 7 square without its corners in `inner`; the outer corners
// show `below`. Pixels as the picture stores them. The chart has 512 cells:
// each is written as nine rows of three patterns rather than as the eight
// rectangles it is made of, and lies inside the chart, so nothing is clipped.
void drawCell(RgbaImage& pic, int x, int y, std::uint32_t below, std::uint32_t frame, std::uint32_t inner) {
    const std::uint32_t edge[9] = {below, frame, frame, frame, frame, frame, frame, frame, below};
    const std::uint32_t second[9] = {frame, frame, inner, inner, inner, inner, inner, frame, frame};
    const std::uint32_t middle[9] = {frame, inner, inner, inner, inner, inner, inner, inner, frame};
    const std::size_t stride = static_cast<std::size_t>(pic.width) * 4;
    std::uint8_t* row = pic.rgba.data() + static_cast<std::size_t>(y) * stride + static_cast<std::size_t>(x) * 4;
    std::memcpy(row, edge, sizeof edge);
    std::memcpy(row += stride, second, sizeof second);
    for (int i = 0; i < 5; ++i) std::memcpy(row += stride, middle, sizeof middle);
    std::memcpy(row += stride, second, sizeof second);
    std::memcpy(row + stride, edge, sizeof edge);
}

// Pixels as the drawing functions make them, from a 1 x 1 picture: an opaque
// colour, and a colour drawn with an alpha over an opaque one.
class PixelMaker {
public:
    std::uint32_t fill(Colour c) {
        fillRect(one_, {0, 0, 1, 1}, c);
        return pixel();
    }
    std::uint32_t blend(Colour under, Colour c, std::uint8_t alpha) {
        fillRect(one_, {0, 0, 1, 1}, under);
        blendRect(one_, {0, 0, 1, 1}, c, alpha);
        return pixel();
    }

private:
    std::uint32_t pixel() const {
        std::uint32_t v;
        std::memcpy(&v, one_.rgba.data(), 4);
        return v;
    }
    RgbaImage one_ = makePicture(1, 1, 0);
};

}  // namespace

RgbaImage paletteChart(const TIGSc& m, std::size_t palette, Colour objectBackground) {
    RgbaImage pic;
    drawPaletteChart(pic, m, palette, objectBackground);
    return pic;
}

void drawPaletteChart(RgbaImage& pic, const TIGSc& m, std::size_t palette, Colour objectBackground) {
    if (pic.width == kPaletteChartWidth && pic.height == kPaletteChartHeight &&
        pic.rgba.size() == std::size_t{kPaletteChartWidth} * kPaletteChartHeight * 4)
        fillRect(pic, {0, 0, kPaletteChartWidth, kPaletteChartHeight}, objectBackground);
    else
        pic = makePicture(kPaletteChartWidth, kPaletteChartHeight, objectBackground);
    PixelMaker px;
    const std::uint32_t background = px.fill(objectBackground);
    const std::uint32_t black = px.fill(0);
    const std::uint32_t white = px.fill(rgb(255, 255, 255));
    const bool exists = palette < m.palettes.size();
    for (int e = 0; e < 256; ++e) {
        const int x = kGridLeft + kCell * (e % 16);
        const int y = kGridTop + kCell * (e / 16);
        if (exists) {
            const TRGBA c = m.palettes[palette].colours[static_cast<std::size_t>(e)];
            drawCell(pic, x, y, background, black, px.fill(rgb(c.R, c.G, c.B)));
            // White over the object background with the entry's alpha.
            drawCell(pic, x + kRightGrid, y, background, black,
                     c.T == 255 ? white : px.blend(objectBackground, rgb(255, 255, 255), c.T));
        } else {
            // No palette: a black square on the left, a white one on the right.
            drawCell(pic, x, y, background, black, black);
            drawCell(pic, x + kRightGrid, y, background, black, white);
        }
    }
}

PaletteReadout paletteReadout(const TIGSc& m, std::size_t palette, int x, int y) {
    PaletteReadout r;
    const std::string head = fmt::format("Palette: {:02X} ({})", palette, palette);
    r.status = head;
    if (y >= 11 && y <= 170) {
        if (x >= 11 && x <= 170)
            r.entry = ((y - 11) / 10) * 16 + (x - 11) / 10;
        else if (x >= 181 && x <= 340)
            r.entry = ((y - 11) / 10) * 16 + (x - 181) / 10;
    }
    if (!r.entry || palette >= m.palettes.size()) return r;
    const int e = *r.entry;
    const TRGBA c = m.palettes[palette].colours[static_cast<std::size_t>(e)];
    const int t = 255 - c.T;
    r.hand = true;
    r.status = fmt::format(
        "{}      Color: {:02X} ({})      RGB: #{:02X}{:02X}{:02X}  ({},{},{})      Opacity: {:02X} ({})      "
        "Transparency: {:02X} ({})  {}%",
        head, e, e, c.R, c.G, c.B, c.R, c.G, c.B, c.T, c.T, t, t, t * 100 / 255);
    return r;
}

// ---- Effect grids -------------------------------------------------------------------

std::vector<std::array<std::string, 5>> effectWindowRows(const Teffectseq& seq) {
    std::vector<std::array<std::string, 5>> rows;
    for (std::size_t w = 0; w < std::min<std::size_t>(seq.number_of_windows, seq.windows.size()); ++w) {
        const TEffWindow& win = seq.windows[w];
        rows.push_back({fmt::format("{:02}", win.window_id), std::to_string(win.window_horizontal_position),
                        std::to_string(win.window_vertical_position), std::to_string(win.window_width),
                        std::to_string(win.window_height)});
    }
    return rows;
}

std::vector<std::array<std::string, 4>> effectRows(const Teffectseq& seq) {
    std::vector<std::array<std::string, 4>> rows;
    for (std::size_t i = 0; i < seq.effects.size(); ++i) {
        const Teffect& e = seq.effects[i];
        rows.push_back({fmt::format("{:03}", i + 1), igTimeText(e.effect_duration), fmt::format("{:02X}", e.palette_id_ref),
                        std::to_string(e.composition_objects.size())});
    }
    return rows;
}

std::vector<std::array<std::string, 5>> compositionObjectRows(const Teffect& effect) {
    std::vector<std::array<std::string, 5>> rows;
    for (std::size_t i = 0; i < effect.composition_objects.size(); ++i) {
        const TCompObject& c = effect.composition_objects[i];
        rows.push_back({std::to_string(i + 1), fmt::format("{:04X}", c.object_id_ref), fmt::format("{:02X}", c.window_id_ref),
                        std::to_string(c.composition_object_horizontal_position),
                        std::to_string(c.composition_object_vertical_position)});
    }
    return rows;
}

// ---- Page view geometry ---------------------------------------------------------------

PixelRect fitGeometry(int areaWidth, int areaHeight, int P, int Q) {
    const long long W = std::max(areaWidth - 2, 0);
    const long long H = std::max(areaHeight - 2, 0);
    long long w = W, h = H;
    if (P > 0 && Q > 0) {
        if (W * Q < P * H) h = W * Q / P;
        if (P * H < W * Q) w = P * H / Q;
    }
    return {static_cast<int>((W - w) / 2 + 1), static_cast<int>((H - h) / 2 + 1), static_cast<int>(w),
            static_cast<int>(h)};
}

PagePoint viewToPage(int x, int y, const PixelRect& shown, int P, int Q) {
    if (shown.width <= 0 || shown.height <= 0) return {};
    return {static_cast<int>(static_cast<long long>(x) * P / shown.width),
            static_cast<int>(static_cast<long long>(y) * Q / shown.height)};
}

// ---- State preview ---------------------------------------------------------------------

std::optional<StatePreview> statePreview(const TIGSc& m, std::size_t page, const TIGbutton& b, ButtonColumn column) {
    std::uint16_t start = 0, end = 0;
    bool repeat = false, atEnd = false;
    switch (column) {
    case ButtonColumn::NormalEnd: atEnd = true; [[fallthrough]];
    case ButtonColumn::NormalStart:
        start = b.normal_start_object_id_ref;
        end = b.normal_end_object_id_ref;
        repeat = b.normal_repeat_flag == 1;
        break;
    case ButtonColumn::SelectedEnd: atEnd = true; [[fallthrough]];
    case ButtonColumn::SelectedStart:
        start = b.selected_start_object_id_ref;
        end = b.selected_end_object_id_ref;
        repeat = b.selected_repeat_flag == 1;
        break;
    case ButtonColumn::ActivatedEnd: atEnd = true; [[fallthrough]];
    case ButtonColumn::ActivatedStart:
        start = b.activated_start_object_id_ref;
        end = b.activated_end_object_id_ref;
        break;
    default: return std::nullopt;
    }
    StatePreview p;
    // Only objects the menu holds are shown: a range that runs past them (an
    // end of 0xFFFF read from a file) would otherwise wait one frame for each
    // of up to 65,536 missing objects, without Cancel for a state that does
    // not repeat.
    for (std::uint32_t o = start; o <= end && o < m.objects.size(); ++o)
        p.objects.push_back(static_cast<std::uint16_t>(o));
    const std::uint8_t code = page < m.pages.size() ? m.pages[page].animation_frame_rate_code : 0;
    p.frameMs = animationPeriodMs(m.frame_rate_id, code);
    p.repeat = repeat;
    p.finally = atEnd ? end : start;
    return p;
}

std::optional<std::uint16_t> soundPreview(const TIGbutton& b, ButtonColumn column, std::size_t soundEntries) {
    std::uint16_t id = 0;
    if (column == ButtonColumn::SelectedSound)
        id = b.selected_state_sound_id_ref;
    else if (column == ButtonColumn::ActivatedSound)
        id = b.activated_state_sound_id_ref;
    else
        return std::nullopt;
    if (id >= soundEntries) return std::nullopt;
    return id;
}

}  // namespace navora
