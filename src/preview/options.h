#pragma once
// The options of the page renderer and the menu emulator: the colours and
// switches of the Options tab and the Menu tab, with their defaults. The
// editor keeps them in its settings; the command line sets them by name.

#include "preview/picture.h"

#include <string>
#include <string_view>
#include <vector>

namespace navora {

struct PreviewOptions {
    Colour colBackground = rgb(0, 0, 128);          // "Menu background"
    Colour colSelectedButton = rgb(255, 255, 0);    // "Selected button"
    Colour colNormalButton = rgb(255, 255, 255);    // "Normal button"
    Colour colInvalidButton = rgb(128, 128, 128);   // "Invalid button"
    Colour colWindow = rgb(0, 255, 0);              // "Window frame"
    Colour colSelectedFrame = rgb(255, 0, 0);       // "Selected frame"
    Colour colNormalFrame = rgb(192, 192, 192);     // "Normal frame"
    Colour colInvalidFrame = rgb(0, 0, 0);          // "Invalid Frame"
    Colour colObjectBackground = rgb(192, 192, 192);  // "Object background"
    bool cbButtonId = false;     // "Button ID (hex)"
    bool cbObjectId = false;     // "Object ID (hex)"
    bool cbButtonFrame = false;  // "Button frame"
    bool cbWindowFrame = false;  // "Window frame"
    bool cbInEffect = true;      // "Show InEffects"
    bool cbOutEffect = true;     // "Show OutEffects"
    bool cbAnimate = false;      // "Animate buttons"
    bool cbPlaySound = false;    // "Play sound"
    bool cbFullScreen = false;   // "Full screen view"
    bool cbPreLoad = true;       // "Preload all bitmap of the page"
    bool cbPalOnly = false;      // "View palette only" (not stored)

    bool operator==(const PreviewOptions&) const = default;
};

// Sets one option by name: the control name ("cbButtonFrame",
// "colBackground") or the settings value name ("ButtonFrame",
// "ShowButtonAnimation"), in any letter case. A switch takes 1/0, true/false,
// on/off or yes/no; a colour "#RRGGBB" or the stored Windows colour value as
// an integer (decimal, or hexadecimal with 0x: lowest byte red). Throws
// std::invalid_argument naming the problem for an unknown name or value.
void setPreviewOption(PreviewOptions& options, std::string_view name, std::string_view value);
// The control names of every option, for help texts.
std::vector<std::string> previewOptionNames();

}  // namespace navora
