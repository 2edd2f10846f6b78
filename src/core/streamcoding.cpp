#include "core/streamcoding.h"

#include "core/bits.h"

#include <array>
#include <span>

namespace navora {

std::string codingTypeName(std::uint8_t t) {
    switch (static_cast<CodingType>(t)) {
    case CodingType::MPEG2Video: return "MPEG-2";
    case CodingType::AVC: return "AVC";
    case CodingType::HEVC: return "HEVC";
    case CodingType::VC1: return "VC1";
    case CodingType::LPCM: return "LPCM";
    case CodingType::AC3: return "DD";
    case CodingType::DTS: return "DTS";
    case CodingType::TrueHD: return "Dolby Lossless";
    case CodingType::EAC3: return "DD+";
    case CodingType::DTSHD: return "DTS-HD ex. XLL";
    case CodingType::DTSHDMaster: return "DTS-HD XLL";
    case CodingType::PG: return "PG";
    case CodingType::IG: return "IG";
    case CodingType::TextSubtitle: return "Text";
    case CodingType::EAC3Secondary: return "DD+";
    case CodingType::DTSHDSecondary: return "DTS-HD";
    }
    return "";
}

namespace {
const std::array<const char*, 16> kVideoFormats = {"-",     "480i", "576i", "480p", "1080i", "720p", "1080p", "576p",
                                                   "2160p", "res.", "res.", "res.", "res.",  "res.", "res.",  "res."};
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

std::string dynamicRangeName(std::uint8_t v) {
    switch (static_cast<DynamicRange>(v & 0x0F)) {
    case DynamicRange::SDR: return "SDR";
    case DynamicRange::HDR10: return "HDR10";
    case DynamicRange::DolbyVision: return "Dolby Vision";
    }
    return "res.";
}

std::string colourSpaceName(std::uint8_t v) {
    if ((v & 0x0F) == 0) return "-";
    switch (static_cast<ColourSpace>(v & 0x0F)) {
    case ColourSpace::BT709: return "BT.709";
    case ColourSpace::BT2020: return "BT.2020";
    }
    return "res.";
}

namespace {

// One field of the packed attributes of a video or audio stream: its width
// in bits and the member that holds it (none: reserved bits).
struct PackedField {
    unsigned width;
    std::uint8_t StreamCodingFields::*member;
};

using F = StreamCodingFields;
constexpr PackedField kHevcPlaylistFields[] = {{4, &F::video_format}, {4, &F::frame_rate}, {4, &F::dynamic_range_type},
                                               {4, &F::color_space},  {1, &F::video_flag}, {1, &F::hdr_plus_flag},
                                               {14, nullptr}};
constexpr PackedField kHevcClipFields[] = {{4, &F::video_format}, {4, &F::frame_rate},    {4, &F::aspect_ratio},
                                           {3, nullptr},          {1, &F::video_flag},    {4, &F::dynamic_range_type},
                                           {4, &F::color_space},  {1, &F::hdr_plus_flag}, {7, nullptr}};
constexpr PackedField kVideoFields[] = {{4, &F::video_format}, {4, &F::frame_rate}, {4, &F::aspect_ratio},
                                        {3, nullptr},          {1, &F::video_flag}, {16, nullptr}};
constexpr PackedField kAudioFields[] = {{4, &F::audio_presentation_type}, {4, &F::sampling_frequency}};
constexpr PackedField kTextFields[] = {{8, &F::character_code}};

// The packed fields of coding type t, before its language code (if it has one).
std::span<const PackedField> packedFields(std::uint8_t t, AttributeLayout layout) {
    if (isHevcCodingType(t) && layout == AttributeLayout::Playlist) return kHevcPlaylistFields;
    if (isHevcCodingType(t)) return kHevcClipFields;
    if (isVideoCodingType(t)) return kVideoFields;
    if (isAudioCodingType(t)) return kAudioFields;
    if (isTextCodingType(t)) return kTextFields;
    return {};
}

bool hasLanguage(std::uint8_t t) { return isAudioCodingType(t) || isGraphicsCodingType(t) || isTextCodingType(t); }

}  // namespace

StreamCodingFields readStreamCodingFields(ByteReader& in, std::uint8_t t, AttributeLayout layout) {
    StreamCodingFields f;
    BitReader bits(in);
    for (const PackedField& field : packedFields(t, layout)) {
        const auto v = static_cast<std::uint8_t>(bits.bits(field.width));
        if (field.member) f.*field.member = v;
    }
    if (hasLanguage(t)) f.language_code = in.readstring(3);
    if (isGraphicsCodingType(t)) in.skip(1);
    return f;
}

void writeStreamCodingFields(ByteWriter& out, std::uint8_t t, const StreamCodingFields& f, AttributeLayout layout) {
    BitWriter bits(out);
    for (const PackedField& field : packedFields(t, layout)) bits.put(field.width, field.member ? f.*field.member : 0);
    if (hasLanguage(t)) out.putstring(f.language_code, 3);
    if (isGraphicsCodingType(t)) out.putzeros(1);
}

}  // namespace navora
