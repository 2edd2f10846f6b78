#include "preview/emulator.h"

#include "core/clock.h"
#include "ig/load.h"

#include <algorithm>

namespace navora {

namespace {

// Makes the emulator the machine's menu while one of its runs lasts.
class Attached {
public:
    Attached(NavMachine& machine, MenuHost* host, MenuEvents* events)
        : machine_(machine), host_(machine.host()), events_(machine.menuEvents()) {
        machine.setMenu(host, events);
    }
    ~Attached() { machine_.setMenu(host_, events_); }
    Attached(const Attached&) = delete;
    Attached& operator=(const Attached&) = delete;

private:
    NavMachine& machine_;
    MenuHost* host_;
    MenuEvents* events_;
};

std::uint16_t neighbour(const TIGbutton& b, NavKey k) {
    switch (k) {
    case NavKey::Up: return b.upper_button_id_ref;
    case NavKey::Down: return b.lower_button_id_ref;
    case NavKey::Left: return b.left_button_id_ref;
    case NavKey::Right: return b.right_button_id_ref;
    }
    return b.button_id;
}

bool inside(const PixelRect& r, int x, int y, int shrink) {
    // Bounds included: the rectangle runs from x to x + width.
    return x >= r.x + shrink && x <= r.x + r.width - shrink && y >= r.y + shrink && y <= r.y + r.height - shrink;
}

}  // namespace

MenuEmulator::MenuEmulator(NavMachine& machine, PreviewClock& clock, Log& log)
    : machine_(machine), clock_(clock), log_(log), renderer_(log) {
    renderer_.setRegisters(&machine_);
    renderer_.setClock(&clock_);
}

MenuEmulator::~MenuEmulator() {
    // Never leave the machine pointing at a dead emulator.
    if (machine_.host() == this) machine_.setMenu(nullptr, nullptr);
}

void MenuEmulator::setEvents(PreviewEvents* events) {
    events_ = events;
    renderer_.setEvents(events);
}

// ---- Inputs ------------------------------------------------------------------------

void MenuEmulator::setMenu(const TIGSc* menu) {
    renderer_.setMenu(menu);
    renderer_.SetButtonStates(-1);
    renderer_.DelPage();
    renderer_.clearEffectView();
    animation_.active = false;
    animation_.periodMs = 0;
    user_ = PreviewTimer{false, 1000, 0};
    chosen_ = 0;
    hand_ = false;
    shown_ = !popUpModel();
    events().timersChanged();
}

bool MenuEmulator::popUpModel() const {
    const TIGSc* m = renderer_.menu();
    return m && m->user_interface_model == UserInterfaceModel::PopUp;
}

void MenuEmulator::menuChanged() {
    renderer_.setMenu(renderer_.menu());
    const TIGSc* m = renderer_.menu();
    const int p = renderer_.page();
    if (!m || p < 0) return;
    const std::size_t slots = static_cast<std::size_t>(p) < m->page_buttons.size() && static_cast<std::size_t>(p) < m->pages.size()
                                  ? m->page_buttons[static_cast<std::size_t>(p)].byId.size()
                                  : 0;
    if (static_cast<std::size_t>(p) >= m->pages.size())
        setPage(-1, true);
    else if (slots != renderer_.states().size())
        SetButtonStates(p);
    const int period = renderer_.animationPeriodMs();
    if (period != animation_.periodMs) {
        animation_.periodMs = period;
        if (animation_.active) startTimer(animation_);
        events().timersChanged();
    }
}

void MenuEmulator::setOptions(const PreviewOptions& options) {
    const bool animate = options.cbAnimate != renderer_.options().cbAnimate;
    const bool background = options.colBackground != renderer_.options().colBackground;
    renderer_.setOptions(options);
    // A new background colour rebuilds the background: the page is drawn again on it.
    if (background && page() >= 0) drawPage();
    if (!animate) return;
    if (options.cbAnimate && page() >= 0)
        startTimer(animation_);
    else if (!options.cbAnimate)
        animation_.active = false;
    events().timersChanged();
}

// ---- Pages --------------------------------------------------------------------------

void MenuEmulator::setPage(int page, bool rebuildStates) {
    if (rebuildStates) SetButtonStates(page);
    animation_.periodMs = renderer_.animationPeriodMs();
    if (animation_.active) startTimer(animation_);
    renderer_.clearEffectView();
    log_.slog("", 1);
    events().pageSelected(renderer_.page());
    events().timersChanged();
}

void MenuEmulator::selectPage(int page) { setPage(page, true); }

void MenuEmulator::refreshButtonStates() {
    if (page() >= 0) SetButtonStates(page());
}

int MenuEmulator::currentPage() const {
    const std::uint32_t p = machine_.psr(kPsrMenuPage);
    return p < static_cast<std::uint32_t>(pageCount()) ? static_cast<int>(p) : -1;
}

const TIGbutton* MenuEmulator::buttonOf(int page, int id) const {
    const TIGSc* m = renderer_.menu();
    if (!m || page < 0 || id < 0 || id > 0xFFFF) return nullptr;
    return buttonById(*m, static_cast<std::size_t>(page), static_cast<std::uint16_t>(id));
}

// ---- Running programs -------------------------------------------------------------------

RunResult MenuEmulator::reported(int button, RunResult r) {
    if (!r.lists.empty() && !r.lists.front().button) r.lists.front().button = button;
    events().programRan(button, r);
    return r;
}

RunResult MenuEmulator::runButton(int page, int id) {
    chooseButton(id);
    const TCommands program = buttonCommands(page, id);
    Attached attached(machine_, this, this);
    return reported(id, machine_.startProgram(program, limits_));
}

RunResult MenuEmulator::executeLine(std::size_t line) {
    const int p = currentPage() >= 0 ? currentPage() : page();
    const TCommands program = buttonCommands(p, chosen_);
    Attached attached(machine_, this, this);
    return reported(chosen_, machine_.executeLine(program, line));
}

bool MenuEmulator::cancelTrace() {
    const int p = currentPage() >= 0 ? currentPage() : page();
    Attached attached(machine_, this, this);
    return machine_.cancelTrace(buttonCommands(p, chosen_));
}

// ---- The navigation panel -----------------------------------------------------------------

void MenuEmulator::start() {
    const TIGSc* m = renderer_.menu();
    if (!m || page() < 0) return;
    const TPage& pg = m->pages[static_cast<std::size_t>(page())];
    if (pg.default_activated_button_id_ref != kNoButton) user_.periodMs = static_cast<int>(ticks90kToMs(m->user_time_out_duration));
    startTimer(user_);
    if (renderer_.options().cbAnimate) startTimer(animation_);
    events().timersChanged();

    if (machine_.trace() && machine_.traceInProgress()) {
        const int p = currentPage() >= 0 ? currentPage() : page();
        Attached attached(machine_, this, this);
        reported(chosen_, machine_.ExecComm(buttonCommands(p, chosen_), limits_));
        return;
    }
    // A pop-up menu stays off the screen until the pop-up key.
    if (!shown_) {
        renderer_.DelPage();
        return;
    }
    present();
}

void MenuEmulator::present() {
    const TIGSc* m = renderer_.menu();
    if (!m || page() < 0) return;
    const TPage& pg = m->pages[static_cast<std::size_t>(page())];
    // The page shown becomes the current page, so that the selection is
    // looked up on the page that is drawn.
    machine_.setPsr(kPsrMenuPage, static_cast<std::uint32_t>(page()));
    machine_.setProgramLine(0);
    drawPage();

    const int current = page();
    const std::uint16_t selected = pg.default_selected_button_id_ref;
    if (selected < renderer_.states().size()) {
        machine_.setPsr(kPsrSelectedButton, selected);
        renderer_.DrawSButton();
        if (autoAction(current, selected)) runButton(current, selected);
        return;
    }
    // No default selection: the automatic action of each BOG's default valid button.
    for (const TBOG& bog : pg.BOGs) {
        const std::uint16_t id = bog.default_valid_button_id_ref;
        const bool own = std::any_of(bog.buttons.begin(), bog.buttons.end(),
                                     [id](const TIGbutton& b) { return b.button_id == id; });
        if (own && id != kNoButton && autoAction(current, id)) runButton(current, id);
    }
}

void MenuEmulator::key(NavKey k) {
    if (!shown_) return;
    const std::uint32_t selected = machine_.psr(kPsrSelectedButton);
    if (selected == kNoButtonSelected || selected >= renderer_.states().size()) return;
    const int p = currentPage();
    const TIGbutton* b = buttonOf(p, static_cast<int>(selected));
    if (!b) return;
    const std::uint16_t n = neighbour(*b, k);
    // A button without a neighbour in that direction names itself.
    if (n == selected) return;
    // A neighbour that names no button of the page would leave nothing selected.
    if (!buttonOf(p, n)) return;
    moveSelection(p, selected, n);
}

void MenuEmulator::moveSelection(int p, std::uint32_t selected, std::uint16_t n) {
    if (selected < renderer_.states().size()) renderer_.DrawButton(static_cast<int>(selected));
    machine_.setPsr(kPsrSelectedButton, n);
    if (autoAction(p, n))
        runButton(p, n);  // activated at once: no selected state is drawn first
    else
        renderer_.DrawSButton();
}

void MenuEmulator::numberKey(int digit) {
    if (!shown_ || digit < 0 || digit > 9) return;
    const TIGSc* m = renderer_.menu();
    const int p = currentPage();
    if (!m || p < 0 || p != page()) return;
    // Players look at the enabled button of every BOG; the last match wins.
    std::optional<std::uint16_t> match;
    for (const TBOG& bog : m->pages[static_cast<std::size_t>(p)].BOGs)
        for (const TIGbutton& b : bog.buttons)
            if (buttonEnabled(b.button_id) && b.button_numeric_select_value == digit) match = b.button_id;
    const std::uint32_t selected = machine_.psr(kPsrSelectedButton);
    if (!match || *match == selected) return;
    moveSelection(p, selected, *match);
}

void MenuEmulator::popup() {
    if (!popUpModel() || page() < 0) return;
    shown_ = !shown_;
    if (!shown_) {
        renderer_.DelPage();
        return;
    }
    // Each time it comes up, a pop-up menu starts on its first page.
    if (page() != 0) selectPage(0);
    present();
}

void MenuEmulator::popUpOff() {
    if (!popUpModel() || !shown_) return;
    shown_ = false;
    renderer_.DelPage();
}

void MenuEmulator::activate() {
    if (!shown_) return;
    const std::uint32_t selected = machine_.psr(kPsrSelectedButton);
    if (selected == kNoButtonSelected) return;
    const int p = currentPage();
    if (!buttonOf(p, static_cast<int>(selected))) return;
    const std::uint32_t oldPage = machine_.psr(kPsrMenuPage);
    renderer_.DrawAButton();
    runButton(p, static_cast<int>(selected));
    if (shown_ && machine_.psr(kPsrSelectedButton) == selected && machine_.psr(kPsrMenuPage) == oldPage &&
        !autoAction(p, static_cast<int>(selected)))
        renderer_.DrawSButton();
}

void MenuEmulator::playEffects(const Teffectseq& effects) {
    if (effects.effects.empty()) return;
    // No frame is drawn between the steps of an effect.
    const bool wasActive = animation_.active;
    animation_.active = false;
    if (wasActive) events().timersChanged();
    renderer_.DrawEffects(effects);
    if (renderer_.options().cbAnimate) {
        startTimer(animation_);
        events().timersChanged();
    }
}

void MenuEmulator::drawPage() {
    // A hidden pop-up menu leaves the background alone on the screen.
    if (!shown_) {
        renderer_.DelPage();
        return;
    }
    const TIGSc* m = renderer_.menu();
    const bool inEffects = m && page() >= 0 && renderer_.options().cbInEffect &&
                           !m->pages[static_cast<std::size_t>(page())].effects[InEffects].effects.empty();
    if (!inEffects) {
        renderer_.DrawPage();
        return;
    }
    const bool wasActive = animation_.active;
    animation_.active = false;
    if (wasActive) events().timersChanged();
    renderer_.DrawPage();
    if (renderer_.options().cbAnimate) {
        startTimer(animation_);
        events().timersChanged();
    }
}

// ---- Timers -----------------------------------------------------------------------------------

void MenuEmulator::startTimer(PreviewTimer& t) {
    t.active = true;
    t.dueMs = clock_.nowMs() + t.periodMs;
}

void MenuEmulator::rearm(PreviewTimer& t) {
    if (!t.active) return;
    t.dueMs += t.periodMs;
    if (t.dueMs <= clock_.nowMs()) t.dueMs = clock_.nowMs() + t.periodMs;
}

void MenuEmulator::stopAnimationTimer() {
    if (!animation_.active) return;
    animation_.active = false;
    events().timersChanged();
}

void MenuEmulator::tick() {
    rearm(animation_);
    if (!shown_) return;
    const std::uint32_t selected = machine_.psr(kPsrSelectedButton);
    auto& states = renderer_.states();
    for (std::size_t b = 0; b < states.size(); ++b) {
        if (b == selected) {
            if (states[b].selected_animating) renderer_.DrawSButt();
            if (b < states.size() && states[b].activated_animating) renderer_.DrawAButt();
        } else if (states[b].enabled && states[b].normal_animating) {
            renderer_.DrawButt(static_cast<int>(b));
        }
    }
    // The timer runs exactly while "Animate buttons" is on.
    if (animation_.active != renderer_.options().cbAnimate) {
        animation_.active = renderer_.options().cbAnimate;
        events().timersChanged();
    }
}

void MenuEmulator::timeout() {
    rearm(user_);
    const TIGSc* m = renderer_.menu();
    if (!m || page() < 0 || !shown_) return;
    const TPage& pg = m->pages[static_cast<std::size_t>(page())];
    const std::uint16_t d = pg.default_activated_button_id_ref;
    const std::uint32_t selected = machine_.psr(kPsrSelectedButton);
    const auto& states = renderer_.states();
    if (selected < states.size() && d == 0xFFFE) {
        activate();
        return;
    }
    if (d >= states.size() || !states[d].enabled) return;
    const int p = currentPage();
    if (!buttonOf(p, d)) return;
    if (selected != kNoButtonSelected) renderer_.DrawButton(static_cast<int>(selected));
    machine_.setPsr(kPsrSelectedButton, d);
    renderer_.DrawAButton();
    runButton(p, d);
    if (shown_ && machine_.psr(kPsrSelectedButton) == d && currentPage() == page() && !autoAction(p, d)) renderer_.DrawSButton();
}

void advanceTime(MenuEmulator& emulator, TestClock& clock, std::int64_t ms) {
    const std::int64_t target = clock.nowMs() + std::max<std::int64_t>(ms, 0);
    while (true) {
        const PreviewTimer& a = emulator.animationTimer();
        const PreviewTimer& u = emulator.userTimer();
        const bool animation = a.fires() && a.dueMs <= target && (!u.fires() || a.dueMs <= u.dueMs);
        const bool user = !animation && u.fires() && u.dueMs <= target;
        if (!animation && !user) break;
        const std::int64_t due = animation ? a.dueMs : u.dueMs;
        if (due > clock.nowMs()) clock.set(due);
        if (animation)
            emulator.tick();
        else
            emulator.timeout();
    }
    if (clock.nowMs() < target) clock.set(target);
}

// ---- The mouse ----------------------------------------------------------------------------------

std::optional<PixelRect> MenuEmulator::hitRect(int page, int id) const {
    const TIGSc* m = renderer_.menu();
    const TIGbutton* b = buttonOf(page, id);
    if (!b || b->selected_start_object_id_ref >= m->objects.size()) return std::nullopt;
    const TIGobject& obj = m->objects[b->selected_start_object_id_ref];
    return PixelRect{b->button_horizontal_position, b->button_vertical_position, obj.width, obj.height};
}

void MenuEmulator::mouseMove(int x, int y) {
    if (!shown_ || machine_.psr(kPsrMenuPage) == kNoButtonSelected || machine_.psr(kPsrSelectedButton) == kNoButtonSelected) return;
    const int p = currentPage();
    const auto own = hitRect(p, static_cast<int>(machine_.psr(kPsrSelectedButton)));
    const bool hand = own && inside(*own, x, y, 5);
    if (hand != hand_) {
        hand_ = hand;
        events().cursorChanged(hand);
    }
    for (const NavKey k : {NavKey::Up, NavKey::Down, NavKey::Right, NavKey::Left}) {
        const TIGbutton* b = buttonOf(p, static_cast<int>(machine_.psr(kPsrSelectedButton)));
        if (!b) return;
        const std::uint16_t n = neighbour(*b, k);
        if (n >= static_cast<std::uint32_t>(buttonCount(p))) continue;
        if (const auto r = hitRect(p, n); r && inside(*r, x, y, 5)) key(k);
    }
}

void MenuEmulator::mouseDown(int x, int y) {
    if (!shown_ || machine_.psr(kPsrMenuPage) == kNoButtonSelected || machine_.psr(kPsrSelectedButton) == kNoButtonSelected) return;
    const int p = currentPage();
    const std::uint32_t selected = machine_.psr(kPsrSelectedButton);
    const auto own = hitRect(p, static_cast<int>(selected));
    if (own && inside(*own, x, y, 0)) {
        activate();
        return;
    }
    // A click on another button selects it. Hovering walks only from neighbour
    // to neighbour, which a pointer that jumps (a fitted page drawn small, a
    // far button of a large menu) never completes.
    if (const auto hit = buttonAt(p, x, y); hit && *hit != selected) moveSelection(p, selected, *hit);
}

std::optional<std::uint16_t> MenuEmulator::buttonAt(int page, int x, int y) const {
    const TIGSc* m = renderer_.menu();
    if (!m || page < 0 || static_cast<std::size_t>(page) >= m->pages.size()) return std::nullopt;
    // Only an enabled button is on the picture to be clicked.
    for (const TBOG& bog : m->pages[static_cast<std::size_t>(page)].BOGs)
        for (const TIGbutton& b : bog.buttons)
            if (buttonEnabled(b.button_id))
                if (const auto r = hitRect(page, b.button_id); r && inside(*r, x, y, 0)) return b.button_id;
    return std::nullopt;
}

void MenuEmulator::setChosenButton(int id) { chosen_ = id; }

// ---- MenuHost ---------------------------------------------------------------------------------------

int MenuEmulator::pageCount() const {
    const TIGSc* m = renderer_.menu();
    return m ? static_cast<int>(m->pages.size()) : 0;
}

int MenuEmulator::buttonCount(int page) const {
    const TIGSc* m = renderer_.menu();
    if (!m || page < 0 || static_cast<std::size_t>(page) >= m->pages.size() ||
        static_cast<std::size_t>(page) >= m->page_buttons.size())
        return 0;
    return static_cast<int>(m->page_buttons[static_cast<std::size_t>(page)].byId.size());
}

int MenuEmulator::buttonGroup(int page, int id) const {
    if (!buttonOf(page, id)) return -1;
    return renderer_.menu()->page_buttons[static_cast<std::size_t>(page)].byId[static_cast<std::size_t>(id)].bog;
}

bool MenuEmulator::autoAction(int page, int id) const {
    const TIGbutton* b = buttonOf(page, id);
    return b && b->auto_action_flag != 0;
}

TCommands MenuEmulator::buttonCommands(int page, int id) const {
    const TIGbutton* b = buttonOf(page, id);
    return b ? b->commands : TCommands{};
}

bool MenuEmulator::hasOutEffects(int page) const {
    const TIGSc* m = renderer_.menu();
    return m && page >= 0 && static_cast<std::size_t>(page) < m->pages.size() &&
           !m->pages[static_cast<std::size_t>(page)].effects[OutEffects].effects.empty();
}

bool MenuEmulator::buttonEnabled(int id) const {
    const auto& s = renderer_.states();
    return id >= 0 && static_cast<std::size_t>(id) < s.size() && s[static_cast<std::size_t>(id)].enabled;
}

void MenuEmulator::setButtonEnabled(int id, bool enabled) {
    auto& s = renderer_.states();
    if (id >= 0 && static_cast<std::size_t>(id) < s.size()) s[static_cast<std::size_t>(id)].enabled = enabled;
}

void MenuEmulator::SetButtonStates(int page) {
    renderer_.SetButtonStates(page);
    chosen_ = 0;
    events().buttonStatesChanged(renderer_.page());
}

// ---- MenuEvents -------------------------------------------------------------------------------------

void MenuEmulator::DrawEffects(int page) {
    const TIGSc* m = renderer_.menu();
    if (!m || page < 0 || static_cast<std::size_t>(page) >= m->pages.size()) return;
    playEffects(m->pages[static_cast<std::size_t>(page)].effects[OutEffects]);
}

void MenuEmulator::cbPageChange(int page) {
    // SetButtonPage has just built the new page's state table and enabled the
    // selected button in it; building it again would drop that.
    setPage(page, renderer_.page() != page);
}

void MenuEmulator::chooseButton(int id) {
    chosen_ = id;
    events().buttonChosen(id);
}

}  // namespace navora
