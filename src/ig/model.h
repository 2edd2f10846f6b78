#pragma once
// The Interactive Graphics menu: one display set of an IG stream. The
// interactive composition (pages, button overlap groups, buttons and their
// navigation commands, in and out effects), the objects (run-length coded
// 8-bit bitmaps) and the palettes.
//
// Every record is a plain copyable value, so that an edit can be undone by
// keeping the model from before it. The bulky bytes (the page data of the ICS
// segments and the run-length data of the objects as read) stay in one
// immutable resource store that copies of the model share; decoded object
// pictures are shared the same way and never changed in place.

#include "core/bytes.h"
#include "core/command.h"
#include "ig/image.h"

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

namespace navora {

// segment_type of the segments of an IG stream.
enum class IgSegmentType : std::uint8_t {
    PDS = 0x14,  // palette definition
    ODS = 0x15,  // object definition
    ICS = 0x18,  // interactive composition
    END = 0x80,  // end of display set
};

// sequence_descriptor: the upper two bits of its byte, shifted down.
inline constexpr std::uint8_t kFirstInSequence = 2;
inline constexpr std::uint8_t kLastInSequence = 1;

enum class CompositionState : std::uint8_t { Normal = 0, AcquisitionPoint = 1, EpochStart = 2, EpochContinue = 3 };
// stream_model: 0 the menu is multiplexed with the video (and carries the two
// time-out fields), 1 it is preloaded from a stream of its own.
enum class StreamModel : std::uint8_t { Multiplexed = 0, OutOfMux = 1 };
// user_interface_model: 0 always on, 1 pop-up.
enum class UserInterfaceModel : std::uint8_t { Normal = 0, PopUp = 1 };

// A button or object reference that refers to nothing.
inline constexpr std::uint16_t kNoButton = 0xFFFF;
inline constexpr std::uint16_t kNoObjectRef = 0xFFFF;
// The largest object side the loader and the image import accept: above
// every video size a menu can have, so that no file value sizes a huge picture.
inline constexpr std::uint16_t kMaxObjectSide = 4096;
// The flags byte of a composition object (upper two bits of its stream byte).
inline constexpr std::uint8_t kObjectCropped = 2;
inline constexpr std::uint8_t kForcedOn = 1;

struct TEffWindow {
    std::uint8_t window_id = 0;
    std::uint16_t window_horizontal_position = 0;
    std::uint16_t window_vertical_position = 0;
    std::uint16_t window_width = 0;
    std::uint16_t window_height = 0;

    bool operator==(const TEffWindow&) const = default;
};

struct TCompObject {
    std::uint16_t object_id_ref = 0;
    std::uint8_t window_id_ref = 0;
    std::uint8_t flags = 0;  // kObjectCropped | kForcedOn
    std::uint16_t composition_object_horizontal_position = 0;
    std::uint16_t composition_object_vertical_position = 0;
    // Read and written only when kObjectCropped is set, else 0.
    std::uint16_t cropping_horizontal_position = 0;
    std::uint16_t cropping_vertical_position = 0;
    std::uint16_t cropping_width = 0;
    std::uint16_t cropping_height = 0;

    bool cropped() const { return (flags & kObjectCropped) != 0; }
    bool operator==(const TCompObject&) const = default;
};

struct Teffect {
    std::uint32_t effect_duration = 0;  // 24 bits, 90 kHz
    std::uint8_t palette_id_ref = 0;
    std::vector<TCompObject> composition_objects;  // number_of_composition_objects = size

    bool operator==(const Teffect&) const = default;
};

// An effect sequence holds at most two windows: number_of_windows (0..2)
// tells how many of the slots are used.
struct Teffectseq {
    std::uint8_t number_of_windows = 0;
    std::array<TEffWindow, 2> windows{};
    std::vector<Teffect> effects;  // number_of_effects = size

    bool operator==(const Teffectseq&) const = default;
};

struct TIGbutton {
    std::uint16_t button_id = kNoButton;
    std::uint16_t button_numeric_select_value = 0xFFFF;
    std::uint8_t auto_action_flag = 0;  // 0/1
    std::uint16_t button_horizontal_position = 0;
    std::uint16_t button_vertical_position = 0;
    std::uint16_t upper_button_id_ref = 0;
    std::uint16_t lower_button_id_ref = 0;
    std::uint16_t left_button_id_ref = 0;
    std::uint16_t right_button_id_ref = 0;
    std::uint16_t normal_start_object_id_ref = 0;
    std::uint16_t normal_end_object_id_ref = 0;
    std::uint8_t normal_repeat_flag = 0;    // 0/1, bit 7 of its byte
    std::uint8_t normal_complete_flag = 0;  // 0/1, bit 6 of the same byte
    std::uint16_t selected_state_sound_id_ref = 0xFF;  // the 8-bit field
    std::uint16_t selected_start_object_id_ref = 0;
    std::uint16_t selected_end_object_id_ref = 0;
    std::uint8_t selected_repeat_flag = 0;    // 0/1, bit 7 of its byte
    std::uint8_t selected_complete_flag = 0;  // 0/1, bit 6 of the same byte
    std::uint16_t activated_state_sound_id_ref = 0xFF;  // the 8-bit field
    std::uint16_t activated_start_object_id_ref = 0;
    std::uint16_t activated_end_object_id_ref = 0;
    TCommands commands;  // number_of_navigation_commands = size

    bool operator==(const TIGbutton&) const = default;
};

struct TBOG {
    std::uint16_t default_valid_button_id_ref = kNoButton;
    std::vector<TIGbutton> buttons;  // number_of_buttons = size

    bool operator==(const TBOG&) const = default;
};

// Index of the effect sequences of a page.
enum EffectKind : int { InEffects = 0, OutEffects = 1 };

struct TPage {
    std::uint8_t page_id = 0;
    std::uint8_t page_version_number = 0;
    std::uint32_t UO_mask_high = 0;  // the 64-bit UO_mask_table, high word first
    std::uint32_t UO_mask_low = 0;
    std::array<Teffectseq, 2> effects{};  // [InEffects], [OutEffects]
    std::uint8_t animation_frame_rate_code = 0;
    std::uint16_t default_selected_button_id_ref = kNoButton;
    std::uint16_t default_activated_button_id_ref = kNoButton;
    std::uint8_t palette_id_ref = 0;
    std::vector<TBOG> BOGs;  // number_of_BOGs = size

    bool operator==(const TPage&) const = default;
};

// One slot of a page's button table: where the button with this id sits in
// the page's BOGs; button_id kNoButton when no button has the slot's id.
struct TButtonSlot {
    std::uint16_t button_id = kNoButton;
    std::uint8_t bog = 0;
    std::uint8_t index = 0;

    bool operator==(const TButtonSlot&) const = default;
};

// The button table of a page (same index as the page), indexed by button_id.
// Its length is the larger of the page's number of buttons and its largest
// button_id + 1. The renderer and the emulator find buttons through it;
// buildButtonTable (ig/load.h) rebuilds it after an edit of the BOGs.
struct TPageButton {
    // Named so that the Qt views can include this header (Qt reserves "slots").
    std::vector<TButtonSlot> byId;

    bool operator==(const TPageButton&) const = default;
};

// One ICS or ODS segment: its sequence flags and where its data lies, in the
// resource store after a load, in the coded bytes of the object (or the page
// data) after a save.
struct TIGfragment {
    std::uint8_t version = 0;         // object_version_number of an ODS segment; 0 for ICS
    std::uint8_t sequence_flags = 0;  // kFirstInSequence | kLastInSequence
    std::uint32_t position = 0;
    std::uint32_t length = 0;

    bool operator==(const TIGfragment&) const = default;
};

// An object, at the index of its object_id. Slots no ODS defined hold
// object_id 0, size 0 and no fragments.
struct TIGobject {
    std::uint16_t object_id = 0;
    std::int32_t writer_slot = -1;  // position in the writer's delivery order
    std::uint32_t object_data_length = 0;  // run-length bytes (the ODS field minus 4)
    std::uint16_t width = 0;
    std::uint16_t height = 0;
    std::vector<TIGfragment> fragments;  // one per ODS segment
    // The decoded picture, absent until decoded (or set by an image import).
    std::shared_ptr<const IndexedImage> picture;

    // Whether an ODS or an import defined this slot.
    bool defined() const { return !fragments.empty() || picture != nullptr; }
};

// A display colour: red, green, blue and the entry's transparency T as alpha.
struct TRGBA {
    std::uint8_t R = 0, G = 0, B = 0, T = 0;

    bool zero() const { return (R | G | B | T) == 0; }
    bool operator==(const TRGBA&) const = default;
};
using TRGBApalettes = std::array<TRGBA, 256>;

struct TYCrCb {
    std::uint8_t Y = 0, Cr = 0, Cb = 0;

    bool operator==(const TYCrCb&) const = default;
};

// The colour matrix between a palette's Y, Cr, Cb and its display colours.
enum class ColourMatrix : std::uint8_t { BT601, BT709 };
// The choice of the options: the video's matrix, or one forced.
enum class MatrixChoice : std::uint8_t { Auto, BT601, BT709 };

// A palette, at the index of its palette_id. The display colours follow from
// Y, Cr, Cb by ycrcb2rgb (with the menu's colour matrix) whenever the palette
// is read or edited.
struct TIGpalette {
    std::uint16_t palette_id = 0;
    std::uint8_t palette_version_number = 0;
    std::array<TYCrCb, 256> entries{};
    TRGBApalettes colours{};

    bool operator==(const TIGpalette&) const = default;
};

struct TIGSc {
    std::uint16_t video_width = 0;
    std::uint16_t video_height = 0;
    std::uint8_t frame_rate_id = 0;
    std::uint16_t composition_number = 0;
    CompositionState composition_state = CompositionState::Normal;
    std::uint32_t interactive_composition_data_length = 0;  // the 24-bit field
    StreamModel stream_model = StreamModel::Multiplexed;
    UserInterfaceModel user_interface_model = UserInterfaceModel::Normal;
    // The 40-bit fields as read (7 reserved bits + 33-bit PTS); present in
    // the stream only when stream_model is Multiplexed.
    std::uint64_t composition_time_out_pts = 0;
    std::uint64_t selection_time_out_pts = 0;
    std::uint32_t user_time_out_duration = 0;  // 24 bits, 90 kHz
    std::vector<TPage> pages;                  // number_of_pages = size
    std::vector<TIGfragment> ics_segments;     // one per ICS segment
    std::vector<TPageButton> page_buttons;     // one per page
    std::vector<TIGobject> objects;            // indexed by object_id
    std::vector<TIGpalette> palettes;          // indexed by palette_id
    std::uint32_t in_time = 0;                 // 90 kHz: PTS of the first record header whose PTS is not 0
    // The ICS page data and ODS object data as read; the fragments point into it.
    std::shared_ptr<const Bytes> resource;
    // The matrix the display colours of the palettes are made with (not part
    // of the stream): the video's on loading, or the one the options force.
    ColourMatrix colour_matrix = ColourMatrix::BT601;
};

// Whether the ICS carries the two time-out fields.
inline bool hasTimeOuts(const TIGSc& m) { return m.stream_model == StreamModel::Multiplexed; }

}  // namespace navora
