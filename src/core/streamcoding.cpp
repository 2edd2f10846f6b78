#include "core/streamcoding.h"

#include <array>

namespace navora {

std::string codingTypeName(std::uint8_t t) {
    switch (t) {
    case 0x02: return "MPEG-2";
    case 0x1B: return "AVC";
    case 0xEA: return "VC1";
    case 0x80: return "LPCM";
    case 0x81: return "DD";
    case 0x82: return "DTS";
    case 0x83: return "Dolby Lossless";
    case 0x84: return "DD+";
    case 0x85: return "DTS-HD ex. XLL";
    case 0x86: return "DTS-HD XLL";
    case 0x90: return "PG";
    case 0x91: return "IG";
    case 0x92: return "Text";
    case 0xA1: return "DD+";
    case 0xA2: return "DTS-HD";
    default: return "";
    }
}

namespace {
const std::array<const char*, 16> kVideoFormats = {"-",    "480i", "576i", "480p", "1080i", "720p", "1080p", "576p",
                                                   "res.", "res.", "res.", "res.", "res.",  "res.", "res.",  "res."};
const std::array<const char*, 16> kFrameRates = {"-",    "23.976", "24",   "25",   "29.97", "-",    "50",   "59.94",
                                                 "res.", "res.",   "res.", "res.", "res.",  "res.", "res.", "res."};
const std::array<const char*, 16> kPresentationTypes = {"-", "Mono", "-", "Stereo", "-",         "-",    "Multi-ch.", "-",
                                                        "-", "-",    "-", "-",      "St.+M-ch.", "res.", "res.",      "res."};
const std::array<const char*, 16> kSamplingFrequencies = {
    "-", "48 kHz", "-", "-", "96 kHz", "192 kHz", "-", "-", "-", "-", "-", "-", "c:48/96, e:192 kHz", "-",
    "c:48, e:192 kHz", "res."};
}  // namespace

std::string videoFormatName(std::uint8_t v) { return kVideoFormats[v & 0x0F]; }
std::string frameRateName(std::uint8_t v) { return kFrameRates[v & 0x0F]; }
std::string audioPresentationTypeName(std::uint8_t v) { return kPresentationTypes[v & 0x0F]; }
std::string samplingFrequencyName(std::uint8_t v) { return kSamplingFrequencies[v & 0x0F]; }

}  // namespace navora
