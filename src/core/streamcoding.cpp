#include "core/streamcoding.h"

#include "core/bits.h"

#include <array>

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

StreamCodingFields readStreamCodingFields(ByteReader& in, std::uint8_t t, AttributeLayout layout) {
    StreamCodingFields f;
    BitReader bits(in);
    if (isHevcCodingType(t) && layout == AttributeLayout::Playlist) {
        f.video_format = static_cast<std::uint8_t>(bits.bits(4));
        f.frame_rate = static_cast<std::uint8_t>(bits.bits(4));
        f.dynamic_range_type = static_cast<std::uint8_t>(bits.bits(4));
        f.color_space = static_cast<std::uint8_t>(bits.bits(4));
        f.video_flag = static_cast<std::uint8_t>(bits.bits(1));
        f.hdr_plus_flag = static_cast<std::uint8_t>(bits.bits(1));
        bits.skip(14);
    } else if (isHevcCodingType(t)) {
        f.video_format = static_cast<std::uint8_t>(bits.bits(4));
        f.frame_rate = static_cast<std::uint8_t>(bits.bits(4));
        f.aspect_ratio = static_cast<std::uint8_t>(bits.bits(4));
        bits.skip(3);
        f.video_flag = static_cast<std::uint8_t>(bits.bits(1));
        f.dynamic_range_type = static_cast<std::uint8_t>(bits.bits(4));
        f.color_space = static_cast<std::uint8_t>(bits.bits(4));
        f.hdr_plus_flag = static_cast<std::uint8_t>(bits.bits(1));
        bits.skip(7);
    } else if (isVideoCodingType(t)) {
        f.video_format = static_cast<std::uint8_t>(bits.bits(4));
        f.frame_rate = static_cast<std::uint8_t>(bits.bits(4));
        f.aspect_ratio = static_cast<std::uint8_t>(bits.bits(4));
        bits.skip(3);
        f.video_flag = static_cast<std::uint8_t>(bits.bits(1));
        bits.skip(16);
    } else if (isAudioCodingType(t)) {
        f.audio_presentation_type = static_cast<std::uint8_t>(bits.bits(4));
        f.sampling_frequency = static_cast<std::uint8_t>(bits.bits(4));
        f.language_code = in.readstring(3);
    } else if (isGraphicsCodingType(t)) {
        f.language_code = in.readstring(3);
        in.skip(1);
    } else if (isTextCodingType(t)) {
        f.character_code = in.readbyte();
        f.language_code = in.readstring(3);
    }
    return f;
}

void writeStreamCodingFields(ByteWriter& out, std::uint8_t t, const StreamCodingFields& f, AttributeLayout layout) {
    BitWriter bits(out);
    if (isHevcCodingType(t) && layout == AttributeLayout::Playlist) {
        bits.put(4, f.video_format);
        bits.put(4, f.frame_rate);
        bits.put(4, f.dynamic_range_type);
        bits.put(4, f.color_space);
        bits.put(1, f.video_flag);
        bits.put(1, f.hdr_plus_flag);
        bits.zeros(14);
    } else if (isHevcCodingType(t)) {
        bits.put(4, f.video_format);
        bits.put(4, f.frame_rate);
        bits.put(4, f.aspect_ratio);
        bits.zeros(3);
        bits.put(1, f.video_flag);
        bits.put(4, f.dynamic_range_type);
        bits.put(4, f.color_space);
        bits.put(1, f.hdr_plus_flag);
        bits.zeros(7);
    } else if (isVideoCodingType(t)) {
        bits.put(4, f.video_format);
        bits.put(4, f.frame_rate);
        bits.put(4, f.aspect_ratio);
        bits.zeros(3);
        bits.put(1, f.video_flag);
        bits.zeros(16);
    } else if (isAudioCodingType(t)) {
        bits.put(4, f.audio_presentation_type);
        bits.put(4, f.sampling_frequency);
        out.putstring(f.language_code, 3);
    } else if (isGraphicsCodingType(t)) {
        out.putstring(f.language_code, 3);
        out.putzeros(1);
    } else if (isTextCodingType(t)) {
        out.putbyte(f.character_code);
        out.putstring(f.language_code, 3);
    }
}

}  // namespace navora
