#include "corpus_expect.h"

#include <gtest/gtest.h>
#include <png.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace navora::test {

namespace {

// The number after `key` in line (decimal or 0x hexadecimal).
std::optional<std::uint64_t> numberAfter(const std::string& line, const std::string& key) {
    const std::size_t at = line.find(key);
    if (at == std::string::npos) return std::nullopt;
    const char* start = line.c_str() + at + key.size();
    while (*start == ' ' || *start == ':') ++start;
    char* end = nullptr;
    const std::uint64_t v = std::strtoull(start, &end, 0);
    if (end == start) return std::nullopt;
    return v;
}

std::uint64_t need(const std::string& line, const std::string& key) {
    auto v = numberAfter(line, key);
    if (!v) ADD_FAILURE() << "no \"" << key << "\" in: " << line;
    return v.value_or(0);
}

bool starts(const std::string& line, const std::string& prefix) {
    const std::size_t first = line.find_first_not_of(' ');
    return first != std::string::npos && line.compare(first, prefix.size(), prefix) == 0;
}

// "normal obj 0..3 repeat 1 complete 0", "selected none (0xFFFF) ...", "activated obj 10 sound 0xFF".
ExpectedState parseState(const std::string& part) {
    ExpectedState s;
    if (auto at = part.find("obj "); at != std::string::npos) {
        unsigned a = 0, b = 0;
        const int n = std::sscanf(part.c_str() + at + 4, "%u..%u", &a, &b);
        s.start = static_cast<std::uint16_t>(a);
        s.end = static_cast<std::uint16_t>(n == 2 ? b : a);
    } else if (part.find("none (0xFFFF)") == std::string::npos) {
        ADD_FAILURE() << "no object range in: " << part;
    }
    s.repeat = static_cast<int>(numberAfter(part, "repeat ").value_or(0));
    s.complete = static_cast<int>(numberAfter(part, "complete ").value_or(0));
    s.sound = static_cast<int>(numberAfter(part, "sound ").value_or(0xFF));
    return s;
}

}  // namespace

ExpectedMenu parseExpected(const std::filesystem::path& txt) {
    std::ifstream in(txt);
    EXPECT_TRUE(in) << txt;
    ExpectedMenu m;
    std::string line;
    bool inExpected = false;
    int commandsLeft = 0;
    while (std::getline(in, line)) {
        if (line.rfind("Expected values", 0) == 0) inExpected = true;
        if (!inExpected) continue;
        ExpectedButton* button = m.pageList.empty() || m.pageList.back().bogs.empty() ||
                                         m.pageList.back().bogs.back().buttons.empty()
                                     ? nullptr
                                     : &m.pageList.back().bogs.back().buttons.back();
        if (commandsLeft > 0) {
            std::array<unsigned, 3> w{};
            if (std::sscanf(line.c_str(), " %8x %8x %8x", &w[0], &w[1], &w[2]) != 3 || !button) {
                ADD_FAILURE() << "command expected: " << line;
            } else {
                button->commands.push_back({w[0], w[1], w[2]});
            }
            --commandsLeft;
        } else if (starts(line, "video descriptor")) {
            std::sscanf(line.c_str() + line.find(':') + 1, " %dx%d", &m.width, &m.height);
            m.frameRateId = static_cast<int>(need(line, "frame_rate_id"));
        } else if (starts(line, "stream_model")) {
            m.streamModel = static_cast<int>(need(line, "-> bit"));
        } else if (starts(line, "user_interface_model")) {
            m.uiModel = static_cast<int>(need(line, "-> bit"));
        } else if (starts(line, "composition_time_out_pts")) {
            m.compositionTimeOut = need(line, "composition_time_out_pts");
        } else if (starts(line, "selection_time_out_pts")) {
            m.selectionTimeOut = need(line, "selection_time_out_pts");
        } else if (starts(line, "user_time_out_duration")) {
            m.userTimeOut = static_cast<std::uint32_t>(need(line, "user_time_out_duration"));
        } else if (starts(line, "number_of_pages")) {
            m.pages = static_cast<int>(need(line, "number_of_pages"));
        } else if (starts(line, "interactive_composition_length")) {
            m.compositionLength = static_cast<std::uint32_t>(need(line, "interactive_composition_length"));
        } else if (line.rfind("Page ", 0) == 0) {
            m.pageList.emplace_back();
        } else if (starts(line, "page_id")) {
            ExpectedPage& p = m.pageList.back();
            p.pageId = static_cast<int>(need(line, "page_id"));
            p.version = static_cast<int>(need(line, "page_version_number"));
            p.palette = static_cast<int>(need(line, "palette_id_ref"));
            p.animationCode = static_cast<int>(need(line, "animation_frame_rate_code"));
        } else if (starts(line, "UO_mask_table")) {
            m.pageList.back().uoMask = need(line, "UO_mask_table");
        } else if (starts(line, "default_selected_button_id_ref")) {
            m.pageList.back().defaultSelected = static_cast<std::uint16_t>(need(line, "default_selected_button_id_ref"));
            m.pageList.back().defaultActivated =
                static_cast<std::uint16_t>(need(line, "default_activated_button_id_ref"));
        } else if (starts(line, "BOG ")) {
            m.pageList.back().bogs.push_back(
                {static_cast<std::uint16_t>(need(line, "default_valid_button_id_ref")), {}});
        } else if (starts(line, "button ")) {
            ExpectedButton b;
            b.id = static_cast<std::uint16_t>(need(line, "button"));
            if (std::sscanf(line.c_str() + line.find("pos ("), "pos (%d,%d) size %dx%d", &b.x, &b.y, &b.width,
                            &b.height) != 4)
                ADD_FAILURE() << "position expected: " << line;
            b.up = static_cast<std::uint16_t>(need(line, " up "));
            b.down = static_cast<std::uint16_t>(need(line, " down "));
            b.left = static_cast<std::uint16_t>(need(line, " left "));
            b.right = static_cast<std::uint16_t>(need(line, " right "));
            b.numeric = static_cast<std::uint16_t>(need(line, "numeric "));
            b.autoAction = static_cast<int>(need(line, "auto_action "));
            m.pageList.back().bogs.back().buttons.push_back(b);
        } else if (starts(line, "normal obj") && button) {
            std::stringstream parts(line);
            std::string part;
            std::vector<std::string> p;
            while (std::getline(parts, part, '|')) p.push_back(part);
            if (p.size() != 3) {
                ADD_FAILURE() << "three states expected: " << line;
                continue;
            }
            button->normal = parseState(p[0]);
            button->selected = parseState(p[1]);
            button->activated = parseState(p[2]);
        } else if (const auto at = line.find("navigation command(s):"); at != std::string::npos) {
            commandsLeft = static_cast<int>(std::strtol(line.c_str(), nullptr, 10));
            // The compact form lists the commands on the same line as W0:W1:W2.
            std::stringstream rest(line.substr(at + 22));
            std::string item;
            while (rest >> item && button) {
                std::array<unsigned, 3> w{};
                if (std::sscanf(item.c_str(), "%8x:%8x:%8x", &w[0], &w[1], &w[2]) != 3)
                    ADD_FAILURE() << "command expected: " << item;
                button->commands.push_back({w[0], w[1], w[2]});
                --commandsLeft;
            }
        } else if (starts(line, "PDS palette_id")) {
            m.palettes.push_back({static_cast<int>(need(line, "palette_id")), static_cast<int>(need(line, "version")),
                                  static_cast<int>(need(line, ": "))});
        } else if (line.find("objects, sizes:") != std::string::npos) {
            m.objects = static_cast<int>(std::strtol(line.c_str(), nullptr, 10));
        } else if (starts(line, "object ") && line.find("object_data_length") != std::string::npos) {
            ExpectedObject o;
            std::sscanf(line.c_str() + line.find("object ") + 7, "%d: %dx%d", &o.id, &o.width, &o.height);
            o.rleBytes = static_cast<std::uint32_t>(need(line, "(RLE"));
            m.objectSizes.push_back(o);
        } else if (starts(line, "ICS:")) {
            const std::size_t open = line.find('[');
            std::stringstream list(line.substr(open + 1, line.find(']') - open - 1));
            std::string item;
            while (std::getline(list, item, ',')) m.icsSegments.push_back(std::stoul(item));
        }
    }
    return m;
}

std::vector<std::string> sourceImages(const std::filesystem::path& xml) {
    std::ifstream in(xml);
    std::stringstream text;
    text << in.rdbuf();
    const std::string s = text.str();
    std::vector<std::string> out;
    const std::string tag = "<img path=\"";
    for (std::size_t at = s.find(tag); at != std::string::npos; at = s.find(tag, at + 1)) {
        const std::size_t start = at + tag.size();
        out.push_back(s.substr(start, s.find('"', start) - start));
    }
    return out;
}

std::optional<RgbaSource> readRgbaPng(const std::filesystem::path& path) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str())) return std::nullopt;
    image.format = PNG_FORMAT_RGBA;
    RgbaSource out;
    out.width = static_cast<int>(image.width);
    out.height = static_cast<int>(image.height);
    out.rgba.resize(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, out.rgba.data(), 0, nullptr)) {
        png_image_free(&image);
        return std::nullopt;
    }
    return out;
}

}  // namespace navora::test
