#include "core/streamcoding.h"

#include "core/bits.h"

namespace navora {

StreamCodingFields readStreamCodingFields(ByteReader& in, std::uint8_t t) {
    StreamCodingFields f;
    BitReader bits(in);
    if (isVideoCodingType(t)) {
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

void writeStreamCodingFields(ByteWriter& out, std::uint8_t t, const StreamCodingFields& f) {
    BitWriter bits(out);
    if (isVideoCodingType(t)) {
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
