// menu render FILE --actions ... -o page.png, menu play FILE --actions ...
//
// Both run a menu headless: the emulator of the Page view with a clock of
// their own (effects and animations take no real time), the navigation
// machine with its registers reset, the options of the Options tab unless
// --option sets one. render writes the page picture after the actions; play
// prints one JSON object per action.

#include "cli/commands.h"
#include "core/errors.h"
#include "core/fileio.h"
#include "nav/disasm.h"
#include "nav/machine.h"
#include "preview/emulator.h"
#include "preview/options.h"
#include "preview/png.h"

#include <fmt/format.h>
#include <nlohmann/json.hpp>

#include <charconv>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace navora::cli {

namespace {

struct Action {
    enum Kind { Start, Up, Down, Left, Right, Select, Timeout, Tick, Page, Psr10, DrawPage, Popup, Number } kind = Start;
    std::uint32_t n = 0;
    std::string text;
};

std::uint32_t parseNumber(std::string_view v, const std::string& action) {
    int base = 10;
    if (v.size() > 2 && v[0] == '0' && (v[1] == 'x' || v[1] == 'X')) {
        v.remove_prefix(2);
        base = 16;
    }
    std::uint32_t n = 0;
    auto [p, ec] = std::from_chars(v.data(), v.data() + v.size(), n, base);
    if (v.empty() || ec != std::errc() || p != v.data() + v.size())
        throw CLI::ValidationError("--actions", "'" + action + "' needs a number after the colon");
    return n;
}

// "start,up,page:2" into actions; throws CLI::ValidationError for an unknown one.
std::vector<Action> parseActions(const std::vector<std::string>& lists) {
    static const std::pair<const char*, Action::Kind> kNames[] = {
        {"start", Action::Start},     {"up", Action::Up},           {"down", Action::Down},
        {"left", Action::Left},       {"right", Action::Right},     {"select", Action::Select},
        {"timeout", Action::Timeout}, {"tick", Action::Tick},       {"drawpage", Action::DrawPage},
        {"popup", Action::Popup},
    };
    std::vector<Action> out;
    for (const std::string& list : lists) {
        std::size_t at = 0;
        while (at <= list.size()) {
            const std::size_t comma = std::min(list.find(',', at), list.size());
            const std::string word = list.substr(at, comma - at);
            at = comma + 1;
            if (word.empty()) continue;
            Action a;
            a.text = word;
            bool known = false;
            for (const auto& [name, kind] : kNames)
                if (word == name) {
                    a.kind = kind;
                    known = true;
                }
            if (!known && word.size() == 1 && word[0] >= '0' && word[0] <= '9') {
                a.kind = Action::Number;
                a.n = static_cast<std::uint32_t>(word[0] - '0');
                known = true;
            } else if (!known && word.rfind("page:", 0) == 0) {
                a.kind = Action::Page;
                a.n = parseNumber(std::string_view(word).substr(5), word);
                known = true;
            } else if (!known && word.rfind("psr10:", 0) == 0) {
                a.kind = Action::Psr10;
                a.n = parseNumber(std::string_view(word).substr(6), word);
                known = true;
            }
            if (!known)
                throw CLI::ValidationError("--actions", "unknown action '" + word +
                                                            "' (start, up, down, left, right, select, 0-9, popup, "
                                                            "timeout, tick, page:N, psr10:N, drawpage)");
            out.push_back(a);
        }
    }
    return out;
}

PreviewOptions parseOptions(const std::vector<std::string>& settings) {
    PreviewOptions options;
    for (const std::string& s : settings) {
        const auto eq = s.find('=');
        if (eq == std::string::npos) throw CLI::ValidationError("--option", "'" + s + "' is not NAME=VALUE");
        try {
            setPreviewOption(options, std::string_view(s).substr(0, eq), std::string_view(s).substr(eq + 1));
        } catch (const std::invalid_argument& e) {
            throw CLI::ValidationError("--option", e.what());
        }
    }
    return options;
}

// What one action did, gathered from the emulator's events.
class PlayRecorder : public PreviewEvents {
public:
    void programRan(int button, const RunResult& r) override {
        if (r.lists.empty()) {
            activated.push_back({{"button", static_cast<unsigned>(button)}, {"lines", 0}});
            return;
        }
        for (const ListRun& l : r.lists)
            activated.push_back({{"button", static_cast<unsigned>(l.button.value_or(button))}, {"lines", l.lines}});
        if (r.leftMenu && leftMenu.is_null())
            leftMenu = {{"button", static_cast<unsigned>(r.leftMenu->button.value_or(button))},
                        {"line", r.leftMenu->line},
                        {"command", comm2str(r.leftMenu->command, r.leftMenu->line, CommandContext::Button).line}};
    }
    nlohmann::ordered_json activated = nlohmann::ordered_json::array();
    // The first command of the action that left the menu; null when none did.
    nlohmann::ordered_json leftMenu;
};

struct PreviewArgs {
    std::string file;
    std::vector<std::string> actions;
    std::vector<std::string> options;
    std::string background;
    std::string matrix;
    bool transparentBuiltIn = false;
    std::string output;
};

// A menu running headless, as the Page view runs it.
class HeadlessMenu {
public:
    HeadlessMenu(const PreviewArgs& args, const PreviewOptions& options)
        : menu_(loadMenuFile(args.file)), machine_(log_), emulator_(machine_, clock_, log_) {
        log_.actiDelayMs = 0;
        applyMatrix(menu_, args.matrix);
        emulator_.setRunLimits({1000000});
        emulator_.setEvents(&recorder_);
        emulator_.setOptions(options);
        if (!args.background.empty()) {
            const Bytes png = readDatabaseFile(args.background, 256u << 20);
            emulator_.renderer().setUserBackground(readPngRgba(png, args.background), true);
        }
        emulator_.renderer().setBuiltInTransparent(args.transparentBuiltIn);
        machine_.onReport = [this](const std::string& text) { reports_.push_back(text); };
        emulator_.setMenu(&menu_);
        // A loaded menu shows its first page.
        if (!menu_.pages.empty()) emulator_.selectPage(0);
    }

    void check(const std::vector<Action>& actions) const {
        for (const Action& a : actions)
            if (a.kind == Action::Page && a.n >= menu_.pages.size())
                throw CLI::ValidationError("--actions", fmt::format("'{}': the menu has {} page{}", a.text,
                                                                    menu_.pages.size(), menu_.pages.size() == 1 ? "" : "s"));
    }

    void run(const Action& a) {
        switch (a.kind) {
        case Action::Start: emulator_.start(); break;
        case Action::Up: emulator_.key(NavKey::Up); break;
        case Action::Down: emulator_.key(NavKey::Down); break;
        case Action::Left: emulator_.key(NavKey::Left); break;
        case Action::Right: emulator_.key(NavKey::Right); break;
        case Action::Select: emulator_.activate(); break;
        // A timer that is not running (before Start, without "Animate
        // buttons", with a period of 0) does not expire.
        case Action::Timeout:
            if (emulator_.userTimer().fires()) emulator_.timeout();
            break;
        case Action::Tick:
            if (emulator_.animationTimer().fires()) emulator_.tick();
            break;
        case Action::Page: emulator_.selectPage(static_cast<int>(a.n)); break;
        case Action::Psr10: machine_.setPsr(kPsrSelectedButton, a.n); break;
        case Action::DrawPage: emulator_.drawPage(); break;
        case Action::Popup: emulator_.popup(); break;
        case Action::Number: emulator_.numberKey(static_cast<int>(a.n)); break;
        }
    }

    // Runs the action and describes it.
    nlohmann::ordered_json play(const Action& a) {
        std::vector<std::uint32_t> gprs(kGprCount);
        for (unsigned n = 0; n < kGprCount; ++n) gprs[n] = machine_.gpr(n);
        const int pageBefore = emulator_.page();
        recorder_.activated = nlohmann::ordered_json::array();
        recorder_.leftMenu = nullptr;
        reports_.clear();
        run(a);

        nlohmann::ordered_json j;
        j["key"] = a.text;
        j["page"] = emulator_.page() >= 0 ? nlohmann::ordered_json(static_cast<unsigned>(emulator_.page())) : nullptr;
        j["selected"] = machine_.psr(kPsrSelectedButton);
        auto enabled = nlohmann::ordered_json::array();
        const auto& states = emulator_.renderer().states();
        for (std::size_t id = 0; id < states.size(); ++id)
            if (states[id].enabled) enabled.push_back(id);
        j["enabled"] = enabled;
        j["activated"] = recorder_.activated;
        j["shown"] = emulator_.menuShown();
        j["left_menu"] = recorder_.leftMenu;
        if (emulator_.page() != pageBefore && pageBefore >= 0 && emulator_.page() >= 0)
            j["page_switch"] = {{"from", static_cast<unsigned>(pageBefore)}, {"to", static_cast<unsigned>(emulator_.page())}};
        else
            j["page_switch"] = nullptr;
        auto changes = nlohmann::ordered_json::object();
        for (unsigned n = 0; n < kGprCount; ++n)
            if (machine_.gpr(n) != gprs[n]) changes["GPR" + std::to_string(n)] = machine_.gpr(n);
        j["gpr_changes"] = changes;
        auto psr = nlohmann::ordered_json::object();
        for (unsigned n : {0u, 1u, 2u, 3u, 4u, 5u, 6u, 7u, 10u, 11u, 43u}) psr["PSR" + std::to_string(n)] = machine_.psr(n);
        j["psr"] = psr;
        j["reports"] = reports_;
        return j;
    }

    const RgbaImage& picture() const { return emulator_.picture(); }

private:
    TIGSc menu_;
    Log log_;
    NavMachine machine_;
    TestClock clock_;
    MenuEmulator emulator_;
    PlayRecorder recorder_;
    std::vector<std::string> reports_;
};

void addCommon(CLI::App* cmd, PreviewArgs& a) {
    cmd->add_option("FILE", a.file, "The menu (.mnu, or a transport stream with an IG stream)")->required();
    cmd->add_option("--actions", a.actions,
                    "Comma-separated actions: start, up, down, left, right, select, 0-9 (a number key), popup (the "
                    "pop-up key), timeout (one expiry of the "
                    "user time-out timer), tick (one expiry of the animation timer), page:N (choose page N in the "
                    "page selector), psr10:N (type N into PSR10), drawpage")
        ->required();
    cmd->add_option("--option", a.options,
                    "NAME=VALUE: an option of the Options tab by its control or settings name (cbButtonFrame=1, "
                    "ShowButtonAnimation=1, colBackground=#000080 or a Windows colour value)");
    addMatrixOption(cmd, a.matrix);
}

}  // namespace

void registerMenuPreviewCommands(CLI::App& menu, CliState& state) {
    auto renderArgs = std::make_shared<PreviewArgs>();
    auto* render = menu.add_subcommand(
        "render", "Draw the page picture as the Page view shows it after the actions, as an RGB PNG.");
    addCommon(render, *renderArgs);
    render->add_option("--background", renderArgs->background, "A PNG drawn with its alpha over the background colour");
    render->add_flag("--transparent-builtin", renderArgs->transparentBuiltIn,
                     "A transparent built-in background picture: the background colour alone shows");
    render->add_option("-o,--output", renderArgs->output, "The PNG to write (replaced atomically)")->required();
    render->callback([renderArgs, &state] {
        guarded(state, [&] {
            const std::vector<Action> actions = parseActions(renderArgs->actions);
            HeadlessMenu m(*renderArgs, parseOptions(renderArgs->options));
            m.check(actions);
            for (const Action& a : actions) m.run(a);
            saveAtomic(renderArgs->output, writePngRgb(m.picture()));
        });
    });

    auto playArgs = std::make_shared<PreviewArgs>();
    auto* play = menu.add_subcommand(
        "play", "Run the actions and print one JSON object per action: key, page, selected (PSR10), enabled, "
                "activated, shown (the menu is on screen), left_menu (the first command that left the menu: "
                "button, line, command), page_switch, gpr_changes, psr, reports.");
    addCommon(play, *playArgs);
    play->callback([playArgs, &state] {
        guarded(state, [&] {
            const std::vector<Action> actions = parseActions(playArgs->actions);
            HeadlessMenu m(*playArgs, parseOptions(playArgs->options));
            m.check(actions);
            for (const Action& a : actions) std::printf("%s\n", m.play(a).dump().c_str());
            std::fflush(stdout);
        });
    });
}

}  // namespace navora::cli
