#include "preview/options.h"

#include <fmt/format.h>
#include <fmt/ranges.h>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <stdexcept>

namespace navora {

namespace {

struct OptionField {
    const char* control;
    const char* setting;
    Colour PreviewOptions::* colour;
    bool PreviewOptions::* flag;
};

const OptionField kFields[] = {
    {"colBackground", "colBackground", &PreviewOptions::colBackground, nullptr},
    {"colSelectedButton", "colSelectedButton", &PreviewOptions::colSelectedButton, nullptr},
    {"colNormalButton", "colNormalButton", &PreviewOptions::colNormalButton, nullptr},
    {"colInvalidButton", "colInvalidButton", &PreviewOptions::colInvalidButton, nullptr},
    {"colWindow", "colWindow", &PreviewOptions::colWindow, nullptr},
    {"colSelectedFrame", "colSelectedFrame", &PreviewOptions::colSelectedFrame, nullptr},
    {"colNormalFrame", "colNormalFrame", &PreviewOptions::colNormalFrame, nullptr},
    {"colInvalidFrame", "colInvalidFrame", &PreviewOptions::colInvalidFrame, nullptr},
    {"colObjectBackground", "colObjectBackground", &PreviewOptions::colObjectBackground, nullptr},
    {"cbButtonId", "ButtonId", nullptr, &PreviewOptions::cbButtonId},
    {"cbObjectId", "ObjectId", nullptr, &PreviewOptions::cbObjectId},
    {"cbButtonFrame", "ButtonFrame", nullptr, &PreviewOptions::cbButtonFrame},
    {"cbWindowFrame", "WindowFrame", nullptr, &PreviewOptions::cbWindowFrame},
    {"cbInEffect", "ShowInEffects", nullptr, &PreviewOptions::cbInEffect},
    {"cbOutEffect", "ShowOutEffects", nullptr, &PreviewOptions::cbOutEffect},
    {"cbAnimate", "ShowButtonAnimation", nullptr, &PreviewOptions::cbAnimate},
    {"cbPlaySound", "PlaySound", nullptr, &PreviewOptions::cbPlaySound},
    {"cbFullScreen", "ShowFullScreen", nullptr, &PreviewOptions::cbFullScreen},
    {"cbPreLoad", "PreLoad", nullptr, &PreviewOptions::cbPreLoad},
    {"cbPalOnly", "PalOnly", nullptr, &PreviewOptions::cbPalOnly},
};

bool sameName(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

bool parseSwitch(std::string_view v, bool& out) {
    for (const char* on : {"1", "true", "on", "yes"})
        if (sameName(v, on)) return out = true, true;
    for (const char* off : {"0", "false", "off", "no"})
        if (sameName(v, off)) return out = false, true;
    return false;
}

bool parseColour(std::string_view v, Colour& out) {
    std::uint32_t n = 0;
    if (v.size() == 7 && v[0] == '#') {
        auto [p, ec] = std::from_chars(v.data() + 1, v.data() + 7, n, 16);
        if (ec != std::errc() || p != v.data() + 7) return false;
        out = n;
        return true;
    }
    int base = 10;
    if (v.size() > 2 && v[0] == '0' && (v[1] == 'x' || v[1] == 'X')) {
        v.remove_prefix(2);
        base = 16;
    }
    auto [p, ec] = std::from_chars(v.data(), v.data() + v.size(), n, base);
    if (v.empty() || ec != std::errc() || p != v.data() + v.size() || n > 0xFFFFFF) return false;
    out = fromWinColour(n);
    return true;
}

}  // namespace

void setPreviewOption(PreviewOptions& options, std::string_view name, std::string_view value) {
    for (const OptionField& f : kFields) {
        if (!sameName(name, f.control) && !sameName(name, f.setting)) continue;
        if (f.flag) {
            if (!parseSwitch(value, options.*f.flag))
                throw std::invalid_argument(fmt::format("option {}: '{}' is not 1 or 0", f.control, value));
        } else if (!parseColour(value, options.*f.colour)) {
            throw std::invalid_argument(
                fmt::format("option {}: '{}' is not a colour (#RRGGBB, or a Windows colour value)", f.control, value));
        }
        return;
    }
    throw std::invalid_argument(fmt::format("unknown option '{}' (options: {})", name,
                                            fmt::join(previewOptionNames(), ", ")));
}

std::vector<std::string> previewOptionNames() {
    std::vector<std::string> names;
    for (const OptionField& f : kFields) names.emplace_back(f.control);
    return names;
}

}  // namespace navora
