#pragma once
// Edits of a menu's structure: a new menu, deleting objects and palettes with
// their reference checks and renumbering, the page header fields, the default
// valid button of a BOG, every field of a button as the button grid edits it,
// the cropping rectangle of a composition object, and the user time-out.
//
// Each is a plain function on the copyable model, so that the Menu tab wraps
// it in an undo step by keeping the model from before. Functions that can
// refuse a value return whether the model changed; a refused value changes
// nothing (the view redisplays the stored one). Page, BOG, button, effect and
// object indexes out of range throw std::out_of_range: the views only pass
// indexes they show.

#include "ig/model.h"
#include "nav/edit.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace navora {

// ---- New menu --------------------------------------------------------------

// The button a new menu holds: id 0, no numeric select value (0xFFFF), no
// objects in any state, no sounds (0xFF), no commands.
TIGbutton templateButton();

// "Create Menu": a 1920x1080 23.976 Hz menu of the out-of-mux stream model
// and the pop-up interface model with one page (page_id 0, animation code 1,
// no default buttons, palette 0) holding one BOG with one template button, no
// objects or palettes, in-time 180,000 (2 s). composition_number,
// composition_state and user_time_out_duration are kept from `previous`.
TIGSc newMenu(const TIGSc& previous);

// ---- Deleting objects and palettes --------------------------------------------

// What a deletion did: done, or refused with the status bar message (the menu
// is then unchanged).
struct DeleteResult {
    bool done = false;
    std::string refusal;
};

// Deletes objects first..last (Shift+Delete on the object grid). Refused with
// "Cannot delete object. Remove all reference first." when a button state or
// a composition object uses one of them (getobjref). The objects after them
// move down with their fields (object_id included: the writer renumbers it)
// and every object reference above `last` drops by the number deleted.
// Throws std::out_of_range for a range that is not inside the objects.
DeleteResult DelIGobj(TIGSc& menu, std::size_t first, std::size_t last);

// Deletes palettes first..last (Shift+Delete on the palette grid). Refused
// with "Cannot delete palette. Remove all objects first." when the menu has
// fewer than two palettes, and with "Cannot delete palette. Remove all
// reference first." when a page or an effect uses one of them (getpalref).
// The palettes after them move down and take their new index as palette_id;
// every palette reference above `last` drops by the number deleted. Throws
// std::out_of_range for a range that is not inside the palettes.
DeleteResult DelPale(TIGSc& menu, std::size_t first, std::size_t last);

// ---- Page header ---------------------------------------------------------------

bool setDefaultSelectedButton(TIGSc& menu, std::size_t page, std::uint16_t id);
bool setDefaultActivatedButton(TIGSc& menu, std::size_t page, std::uint16_t id);
// Stored only when the value is below the number of palettes.
bool setPagePalette(TIGSc& menu, std::size_t page, std::uint32_t palette);
// "User Operation Mask 1" (UO_mask_high) and "User Operation Mask 2" (UO_mask_low).
bool setUOMaskHigh(TIGSc& menu, std::size_t page, std::uint32_t mask);
bool setUOMaskLow(TIGSc& menu, std::size_t page, std::uint32_t mask);
bool setAnimationFrameRateCode(TIGSc& menu, std::size_t page, std::uint8_t code);

// ---- User time-out -----------------------------------------------------------------

// The largest user_time_out_duration: the field is 24 bits wide (3:06.4).
inline constexpr std::uint32_t kMaxUserTimeOut = 0xFFFFFF;

// A typed user time-out that is not a valid time ("'%s' is not a valid time")
// or longer than the field holds.
class InvalidTimeError : public std::invalid_argument {
public:
    using std::invalid_argument::invalid_argument;
};

// The user time-out box's text, a time of day "h:mm:ss" (or "h:mm"; blanks
// around it are ignored; the seconds may have up to three decimals), in
// 90 kHz ticks: 0:00:10 is 900,000, 0:00:01.5 is 135,000. Throws
// InvalidTimeError for a text that is not a valid time, and for a time
// longer than kMaxUserTimeOut ticks, which the stream cannot hold.
std::uint32_t parseUserTimeOut(std::string_view text);
// Stores the parsed time into user_time_out_duration (throws as parseUserTimeOut).
bool setUserTimeOut(TIGSc& menu, std::string_view text);
// The time-out as the box shows it: "h:mm:ss", with the milliseconds
// ("0:03:06.413") when it is not a whole number of seconds.
std::string userTimeOutText(std::uint32_t ticks);

// ---- BOG grid ----------------------------------------------------------------------------

// " default valid button": stored when it is 0xFFFF or an index inside the
// page's button table. The emulator then rebuilds the page's button states.
bool setDefaultValidButton(TIGSc& menu, std::size_t page, std::size_t bog, std::uint32_t id);

// ---- Button grid --------------------------------------------------------------------------

// The 20 columns of the button grid, in order.
enum class ButtonColumn : int {
    Id, Value, AutoAction, X, Y, Upper, Lower, Left, Right,
    NormalStart, NormalEnd, NormalRepeat,
    SelectedSound, SelectedStart, SelectedEnd, SelectedRepeat,
    ActivatedSound, ActivatedStart, ActivatedEnd, Commands,
};
inline constexpr int kButtonColumns = 20;

// "id", "value", "a.act.", "X", "Y", "upper", ... "comm.".
const std::array<std::string_view, kButtonColumns>& buttonColumnTitles();
// The edit mask of a column: ">AAAA", ">L", "9999", ">AA" or "-" (not editable).
std::string_view buttonColumnMask(ButtonColumn column);
// A cell as the grid shows it: ids, value, neighbours and objects as 4
// hexadecimal digits, flags "Yes"/"No", X and Y in decimal, sounds as 2
// hexadecimal digits, the number of commands in decimal.
std::string buttonCellText(const TIGbutton& button, ButtonColumn column);

// Typing `text` into a cell of the button at `index` of BOG `bog` of `page`.
// Applied only when the text holds no blank (its edit mask is filled); then
// by column: the value, a flag ("Y" sets it), X below video_width, Y below
// video_height, a neighbour inside the page's button table, a start or end
// object below the number of objects (a start also moves an end that is
// 0xFFFF or below it to the start), a repeat flag (always 0 when the state has
// one object), a sound below soundEntries or 0xFF. "id" and "comm." change
// nothing. Hexadecimal texts skip every non-hexadecimal character.
bool setButtonCell(TIGSc& menu, std::size_t page, std::size_t bog, std::size_t index, ButtonColumn column,
                   std::string_view text, std::size_t soundEntries);

// The navigation commands of the button at `index` of BOG `bog` of `page`
// (the command grid's edits).
bool setButtonCommands(TIGSc& menu, std::size_t page, std::size_t bog, std::size_t index, const TCommands& commands);
// Runs a line edit of the command editor (inscmd, delecmd, pastecmd, ...,
// with their GoTo renumbering) on the commands of that button.
EditResult editButtonCommands(TIGSc& menu, std::size_t page, std::size_t bog, std::size_t index,
                              const std::function<EditResult(TCommands&)>& edit);

// ---- Reference check ------------------------------------------------------------------------

// The references of a menu that name no button where a player looks for one,
// one line each, naming page (by index), BOG and button:
//   "Page 0: default selected button 0007 does not exist"
//   "Page 0: default activated button 0007 does not exist" (0xFFFE, the
//     selected button, and 0xFFFF, none, are valid)
//   "Page 0, BOG 1: default valid button 0002 is not one of the BOG's buttons"
//   "Page 0, BOG 1, button 0003: lower button 0009 does not exist"
// Only the given page when page is set. Empty when every reference holds.
std::vector<std::string> menuReferenceFaults(const TIGSc& menu, std::optional<std::size_t> page = std::nullopt);

// ---- Cropping -------------------------------------------------------------------------------

enum class CropField { X, Y, Width, Height };

// A cropping box of a composition object (effect `effect` of the page's in-
// or out-effects): a value from 0 to 0xFFFF is stored, others are refused.
bool setCropping(TIGSc& menu, std::size_t page, EffectKind kind, std::size_t effect, std::size_t object,
                 CropField field, long long value);

}  // namespace navora
