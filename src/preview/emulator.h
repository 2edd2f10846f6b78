#pragma once
// The menu emulator: runs a menu the way a player's remote control does.
// It selects pages, applies a page's default selection and automatic actions
// on Start, moves the selection with the four direction keys, activates
// buttons (their commands run on the navigation machine), animates button
// states and fires the user time-out, and follows the mouse on the page view.
//
// It owns the page renderer (and so the button state table and the page
// picture) and serves the navigation machine as its menu: the model queries,
// the state table, and the drawing and list orders of the button commands.
// The machine acts on the menu only while the emulator runs a button's
// program, so movie object programs on the BDMV tab keep doing nothing to it.
//
// Nothing here waits for a timer. The two timers (animation, user time-out)
// are described by their period; the editor runs them as window timers and
// calls tick() and timeout() when they fire, tests and the command line move
// a TestClock and call advanceTime(). The views follow through
// PreviewEvents: the picture, the page and button selectors, the cursor, the
// timers and each program run.

#include "core/log.h"
#include "ig/model.h"
#include "nav/machine.h"
#include "preview/events.h"
#include "preview/options.h"
#include "preview/renderer.h"
#include "preview/timing.h"

#include <cstdint>
#include <optional>

namespace navora {

enum class NavKey { Up, Down, Left, Right };

// A timer as the emulator runs it.
struct PreviewTimer {
    bool active = false;
    int periodMs = 0;        // 0: it never fires
    std::int64_t dueMs = 0;  // when it fires next on the emulator's clock (while it fires at all)

    bool fires() const { return active && periodMs > 0; }
    bool operator==(const PreviewTimer&) const = default;
};

class MenuEmulator : public MenuHost, public MenuEvents {
public:
    MenuEmulator(NavMachine& machine, PreviewClock& clock, Log& log = mainLog());
    ~MenuEmulator() override;
    MenuEmulator(const MenuEmulator&) = delete;
    MenuEmulator& operator=(const MenuEmulator&) = delete;

    PageRenderer& renderer() { return renderer_; }
    const PageRenderer& renderer() const { return renderer_; }
    NavMachine& machine() { return machine_; }
    // The page picture the Page view shows.
    const RgbaImage& picture() const { return renderer_.pagePicture(); }

    // ---- Inputs --------------------------------------------------------------------
    // A menu was loaded or created (not owned; null: none): no page is
    // selected, the timers stop. The editor resets the registers itself.
    void setMenu(const TIGSc* menu);
    // The menu held was edited (or an edit undone): the pictures follow at
    // the next draw; a state table that no longer fits its page is rebuilt.
    void menuChanged();
    // Switching "Animate buttons" starts or stops the animation timer while a
    // page is selected; a new background colour redraws the page. (Toggling
    // an overlay redraws nothing: the view calls drawPage() when its overlay
    // switches are shown.)
    void setOptions(const PreviewOptions& options);
    const PreviewOptions& options() const { return renderer_.options(); }
    void setSounds(const TSND* sounds, WavePlayer* player) { renderer_.setSounds(sounds, player); }
    void setEvents(PreviewEvents* events);
    // Bounds each program run (a button program that loops for ever).
    void setRunLimits(RunLimits limits) { limits_ = limits; }

    // ---- Pages ------------------------------------------------------------------------
    // The page in the page selector; -1 before one is selected.
    int page() const { return renderer_.page(); }
    // Choosing a page in the page selector (cbPageChange): the animation
    // period, the button state table, the effect view. The page is not drawn.
    void selectPage(int page);
    // SetButtonStates for the page shown (after an edit of a BOG's default valid button).
    void refreshButtonStates();

    // ---- The navigation panel ---------------------------------------------------------------
    // "Start" on the Menu tab: starts the timers; continues a traced program;
    // else makes the page shown the current page (PSR11), draws it and
    // applies its default selection and automatic actions.
    void start();
    // A direction key.
    void key(NavKey key);
    // A number key 0-9: selects the enabled button of the current page whose
    // numeric_select_value is the digit, and activates it at once when its
    // auto action says so (as a direction key does).
    void numberKey(int digit);
    // The pop-up key: a menu of the pop-up user interface model is hidden
    // until the key shows it (page 0, its default selection, as Start does)
    // and hidden again by the next press. Other menus ignore it.
    void popup();
    // Whether the menu is on screen: always for an always-on menu; for a
    // pop-up menu only between a pop-up key that shows it and the next one
    // (or a PopUpMenu Off command). Keys, the mouse and the timers act only
    // on a menu on screen.
    bool menuShown() const { return shown_; }
    // "S&el": activates the selected button and runs its commands.
    void activate();
    // DrawPage, with the animation timer stopped while in-effects play.
    void drawPage();

    // ---- Timers ------------------------------------------------------------------------------
    const PreviewTimer& animationTimer() const { return animation_; }
    const PreviewTimer& userTimer() const { return user_; }
    // The animation timer fired: the next frame of every animated state.
    void tick();
    // The user time-out timer fired: the default activated button is activated.
    void timeout();
    // Another tab was chosen: the animation timer stops.
    void stopAnimationTimer();

    // ---- The mouse on the page view (page coordinates) ------------------------------------------
    void mouseMove(int x, int y);
    // On the selected button: activates it; on another enabled button: selects it.
    void mouseDown(int x, int y);
    bool handCursor() const { return hand_; }

    // ---- The button selector and the execution panel ----------------------------------------------
    int chosenButton() const { return chosen_; }
    // The user chose a button in the button selector.
    void setChosenButton(int id);
    // Trace on: a click on line `line` of the chosen button's commands executes that command.
    RunResult executeLine(std::size_t line);
    // Cancel during a trace; false when no trace was in progress.
    bool cancelTrace();

    // ---- MenuHost: what the navigation machine asks ----------------------------------------------
    int pageCount() const override;
    int buttonCount(int page) const override;
    int buttonGroup(int page, int id) const override;
    bool autoAction(int page, int id) const override;
    TCommands buttonCommands(int page, int id) const override;
    bool hasOutEffects(int page) const override;
    bool buttonEnabled(int id) const override;
    void setButtonEnabled(int id, bool enabled) override;
    void SetButtonStates(int page) override;

    // ---- MenuEvents: what the button commands draw --------------------------------------------------
    bool outEffectsOn() const override { return renderer_.options().cbOutEffect; }
    void DrawButton(int id) override { renderer_.DrawButton(id); }
    void DelButton(int id) override { renderer_.DelButton(id); }
    void DrawSButton() override { renderer_.DrawSButton(); }
    void DrawPage() override { drawPage(); }
    void DelPage() override { renderer_.DelPage(); }
    void DrawEffects(int page) override;
    void cbPageChange(int page) override;
    void chooseButton(int id) override;
    void popUpOff() override;

private:
    bool popUpModel() const;
    // Makes the page shown the current page, draws it and applies its
    // default selection and automatic actions.
    void present();
    // Moves the selection from the selected button to button n of page p.
    void moveSelection(int p, std::uint32_t selected, std::uint16_t n);
    PreviewEvents& events() { return events_ ? *events_ : noEvents_; }
    // The current page (PSR11) as an index; -1 when it names no page.
    int currentPage() const;
    const TIGbutton* buttonOf(int page, int id) const;
    // Chooses the button, starts its program from the beginning and reports the run.
    RunResult runButton(int page, int id);
    RunResult reported(int button, RunResult r);
    void startTimer(PreviewTimer& t);
    void rearm(PreviewTimer& t);
    void playEffects(const Teffectseq& effects);
    std::optional<PixelRect> hitRect(int page, int id) const;
    // The enabled button of the page whose hit rectangle holds (x, y).
    std::optional<std::uint16_t> buttonAt(int page, int x, int y) const;
    void setPage(int page, bool rebuildStates);

    NavMachine& machine_;
    PreviewClock& clock_;
    Log& log_;
    PageRenderer renderer_;
    PreviewEvents* events_ = nullptr;
    PreviewEvents noEvents_;
    RunLimits limits_;
    PreviewTimer animation_;
    PreviewTimer user_{false, 1000, 0};
    int chosen_ = 0;
    bool hand_ = false;
    bool shown_ = true;
};

// Moves the clock on by ms, firing each timer of the emulator whenever it is
// due on the way, in time order (the animation timer first when both are).
void advanceTime(MenuEmulator& emulator, TestClock& clock, std::int64_t ms);

}  // namespace navora
