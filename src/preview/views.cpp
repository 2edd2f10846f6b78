#include "preview/views.h"

#include "core/numtext.h"
#include "ig/load.h"
#include "preview/timing.h"

#include <fmt/format.h>

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

// A square without its four corner pixels.
void roundedSquare(RgbaImage& pic, int x, int y, int size, Colour c, std::uint8_t alpha = 255) {
    const PixelRect rows[3] = {{x + 1, y, size - 2, 1}, {x, y + 1, size, size - 2}, {x + 1, y + size - 1, size - 2, 1}};
    for (const PixelRect& r : rows) {
        if (alpha == 255)
            fillRect(pic, r, c);
        else
            blendRect(pic, r, c, alpha);
    }
}

}  // namespace

RgbaImage paletteChart(const TIGSc& m, std::size_t palette, Colour objectBackground) {
    RgbaImage pic = makePicture(kPaletteChartWidth, kPaletteChartHeight, objectBackground);
    const bool exists = palette < m.palettes.size();
    for (int e = 0; e < 256; ++e) {
        const int x = kGridLeft + kCell * (e % 16);
        const int y = kGridTop + kCell * (e / 16);
        roundedSquare(pic, x, y, 9, 0);
        roundedSquare(pic, x + kRightGrid, y, 9, 0);
        if (exists) {
            const TRGBA c = m.palettes[palette].colours[static_cast<std::size_t>(e)];
            roundedSquare(pic, x + 1, y + 1, 7, rgb(c.R, c.G, c.B));
            // White over the object background with the entry's alpha.
            roundedSquare(pic, x + kRightGrid + 1, y + 1, 7, objectBackground);
            roundedSquare(pic, x + kRightGrid + 1, y + 1, 7, rgb(255, 255, 255), c.T);
        } else {
            roundedSquare(pic, x + kRightGrid + 1, y + 1, 7, rgb(255, 255, 255));
        }
    }
    return pic;
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
