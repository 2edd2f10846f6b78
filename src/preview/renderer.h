#pragma once
// The page renderer: composes one page of a menu into the page picture, an
// RGBA picture the renderer owns and the Page view shows. A page is the
// background picture, the enabled button of every BOG in its normal state,
// the selected button (PSR10) in its selected state and, on request, the
// page's in-effects. The renderer also draws the activated state, erases
// buttons, plays effect sequences with their timing, draws the overlays (ids,
// frames, window frames) and fills the effect view.
//
// It keeps the button state table of the page shown: per button id whether
// the button is its BOG's enabled one and where each state's animation is.
// The menu emulator owns the renderer and drives it; drawing operations work
// on the page picture and report the rectangle they changed.

#include "core/log.h"
#include "ig/model.h"
#include "nav/machine.h"
#include "preview/events.h"
#include "preview/options.h"
#include "preview/pictures.h"
#include "preview/picture.h"
#include "preview/timing.h"
#include "sound/sound.h"
#include "sound/waveplayer.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace navora {

// One entry of the button state table, addressed by button id.
struct TButtonState {
    bool enabled = false;  // the enabled, displayed button of its BOG
    std::uint8_t bog = 0;
    std::uint8_t index = 0;  // in its BOG
    bool normal_animating = false;
    bool selected_animating = false;
    bool activated_animating = false;
    bool normal_repeat = false;
    bool selected_repeat = false;
    std::uint16_t frame_counter = 0;  // offset of the current frame from the state's start object

    bool operator==(const TButtonState&) const = default;
};

// The background colour under the built-in background picture: a dark
// vertical shade and a faint frame on the title-safe area.
RgbaImage builtInBackground(int width, int height, Colour colour);

class PageRenderer {
public:
    explicit PageRenderer(Log& log = mainLog());

    // ---- Inputs ------------------------------------------------------------------
    // The menu (not owned; null: none). Call again whenever the model
    // changed (an edit or an undo): the pictures follow at the next draw.
    void setMenu(const TIGSc* menu);
    const TIGSc* menu() const { return menu_; }
    // The registers PSR10 (selected button), PSR11 (current page) and PSR43.
    void setRegisters(NavMachine* machine) { machine_ = machine; }
    void setOptions(const PreviewOptions& options);
    const PreviewOptions& options() const { return options_; }
    // What effects and the whole activated sequence wait on (not owned).
    void setClock(PreviewClock* clock) { clock_ = clock; }
    // The button sounds and the player (not owned; either may be null: no sound).
    void setSounds(const TSND* sounds, WavePlayer* player) {
        sounds_ = sounds;
        player_ = player;
    }
    void setEvents(PreviewEvents* events) { events_ = events; }

    // ---- Background (backchange) ------------------------------------------------------
    // A user picture: a PNG is drawn with its alpha over the background
    // colour (overColour), a bitmap replaces the background (its alpha is
    // ignored). Either lies at the top-left corner of the page. The editor
    // loads the file; a file that cannot be loaded leaves the background as
    // it was.
    void setUserBackground(RgbaImage picture, bool overColour);
    void clearUserBackground();
    // Replaces the built-in picture by a transparent one: the background
    // colour alone shows.
    void setBuiltInTransparent(bool transparent);
    // Rebuilds the background picture from the options and the user picture;
    // the page picture becomes a copy of it (draw the page again after it).
    void backchange();

    // ---- Pictures ------------------------------------------------------------------------
    // The page size: the menu's video size (1920x1080 without a menu, or for
    // a size beyond 3840x2160).
    int pageWidth() const { return width_; }
    int pageHeight() const { return height_; }
    const RgbaImage& background() const { return background_; }
    const RgbaImage& pagePicture() const { return page_picture_; }
    const RgbaImage& effectView() const { return effect_view_; }
    PictureCache& pictures() { return pictures_; }

    // ---- The button state table ------------------------------------------------------------
    // The page the table belongs to and the page drawn (the page selector); -1 before any.
    int page() const { return page_; }
    const std::vector<TButtonState>& states() const { return states_; }
    std::vector<TButtonState>& states() { return states_; }
    // Whether id names a slot of the table that holds a button.
    bool hasButton(int id) const;
    // The button of the slot id of the page drawn, or nullptr.
    const TIGbutton* button(int id) const;
    // The animation period of the page drawn in ms (0: never).
    int animationPeriodMs() const;

    // ---- Drawing ---------------------------------------------------------------------------
    // Rebuilds the state table for the page; the page drawn becomes `page`.
    void SetButtonStates(int page);
    // Composes the page: PSR43 = PSR11, preload, background, in-effects (when
    // on), every enabled button, the selected button; writes PSR10/PSR11 to
    // status panel 1.
    void DrawPage();
    // The whole page picture becomes the background picture.
    void DelPage();
    // Restores a rectangle from the background picture.
    void DelRect(PixelRect rect);
    // Starts the normal state of a button and draws its first frame.
    void DrawButton(int id);
    // Draws the current normal frame of a button with its overlays and advances it.
    void DrawButt(int id);
    // Starts the selected state of the button in PSR10 (its selected sound
    // plays) and draws its first frame.
    void DrawSButton();
    void DrawSButt();
    // Starts the activated state of the button in PSR10 (its activated sound
    // plays): its first frame with "Animate buttons" on, else the whole sequence.
    void DrawAButton();
    void DrawAButt();
    // The whole activated sequence of the button in PSR10, one animation period per object.
    void DrawAButt2();
    // Erases a button unless a button of its BOG is enabled.
    void DelButton(int id);
    // Plays an effect sequence on the page picture with its timing (the
    // caller stops the animation timer meanwhile).
    void DrawEffects(const Teffectseq& effects);

    // ---- The effect view ---------------------------------------------------------------------
    // Fills the effect view (page size) with the object background colour.
    void clearEffectView();
    // Draws one composition object of one effect into the effect view.
    void EffPreview(const Teffectseq& effects, std::size_t effect, std::size_t object);

private:
    enum class State { Normal, Selected, Activated };
    void frame(int id, State state);
    // Draws a composition object (cropped when it is) with its frame.
    void drawComposition(RgbaImage& target, const Teffect& effect, const TCompObject& c);
    void playSound(std::uint16_t id);
    void changed(PixelRect r);
    void status(const std::string& text);
    std::uint32_t psr(unsigned n) const { return machine_ ? machine_->psr(n) : (n == kPsrSelectedButton ? kNoButtonSelected : 0); }
    const TPage* shownPage() const;
    void resize();

    Log& log_;
    const TIGSc* menu_ = nullptr;
    NavMachine* machine_ = nullptr;
    PreviewOptions options_;
    PreviewClock* clock_ = nullptr;
    const TSND* sounds_ = nullptr;
    WavePlayer* player_ = nullptr;
    PreviewEvents* events_ = nullptr;
    PreviewEvents noEvents_;

    int width_ = 1920;
    int height_ = 1080;
    std::optional<RgbaImage> user_;
    bool userOverColour_ = true;
    bool builtInTransparent_ = false;
    RgbaImage background_;
    RgbaImage page_picture_;
    RgbaImage effect_view_;
    PictureCache pictures_;
    int page_ = -1;
    std::vector<TButtonState> states_;
};

}  // namespace navora
