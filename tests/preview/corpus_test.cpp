// The corpus menus: every page renders as the test composes it from the
// decoded objects, and navora-cli menu play walks each menu's navigation
// the way its description (.txt) states it.

#include "../ig/corpus_expect.h"
#include "ig/load.h"
#include "ig/objects.h"
#include "menus.h"
#include "preview/emulator.h"
#include "support/testsupport.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <deque>
#include <map>
#include <set>

using namespace navora;
using namespace navora::test;

namespace {

constexpr Colour kBack = rgb(0, 0, 128);

std::vector<fs::path> corpusMenus() {
    std::vector<fs::path> out;
    std::error_code ec;
    for (const auto& e : fs::directory_iterator(corpusDir() / "igs", ec))
        if (e.is_directory()) out.push_back(e.path());
    std::sort(out.begin(), out.end());
    return out;
}

fs::path fileOf(const fs::path& dir, const std::string& ext) { return dir / (dir.filename().string() + ext); }

}  // namespace

TEST(CorpusPreview, EveryPageShowsItsEnabledButtons) {
    NAVORA_NEED_CORPUS("igs");
    for (const fs::path& dir : corpusMenus()) {
        SCOPED_TRACE(dir.filename().string());
        const TIGSc menu = loadMNUFile(fileOf(dir, ".mnu"));
        // The objects decoded by the menu engine, for the test's own composition.
        TIGSc decoded = menu;
        decodeAllObjects(decoded);

        Log log;
        NavMachine machine(log);
        TestClock clock;
        MenuEmulator emu(machine, clock, log);
        PreviewOptions options;
        options.colBackground = kBack;
        emu.setOptions(options);
        emu.renderer().setBuiltInTransparent(true);
        emu.setMenu(&menu);
        ASSERT_FALSE(menu.pages.empty());
        if (menu.user_interface_model == UserInterfaceModel::PopUp) {
            // A pop-up menu shows nothing until the pop-up key.
            emu.selectPage(0);
            emu.start();
            EXPECT_EQ(firstDifference(emu.picture(), Expected(menu.video_width, menu.video_height, kBack)), "");
            emu.popup();
            machine.setPsr(10, 0xFFFF);
        }
        for (std::size_t p = 0; p < menu.pages.size(); ++p) {
            SCOPED_TRACE("page " + std::to_string(p));
            emu.selectPage(static_cast<int>(p));
            emu.drawPage();  // nothing selected (PSR10 0xFFFF)
            const TPage& page = menu.pages[p];
            Expected e(menu.video_width, menu.video_height, kBack);
            // Each BOG's default valid button, in the order of the ids.
            std::set<std::uint16_t> shown;
            for (const TBOG& bog : page.BOGs)
                if (bog.default_valid_button_id_ref != kNoButton) shown.insert(bog.default_valid_button_id_ref);
            std::size_t visible = 0;
            for (const std::uint16_t id : shown) {
                const TIGbutton* b = buttonById(menu, p, id);
                ASSERT_NE(b, nullptr) << id;
                const std::size_t o = b->normal_start_object_id_ref;
                ASSERT_LT(o, decoded.objects.size());
                ASSERT_TRUE(decoded.objects[o].picture);
                e.blend(decoded, o, page.palette_id_ref, b->button_horizontal_position, b->button_vertical_position);
                for (std::uint8_t index : decoded.objects[o].picture->pixels)
                    visible += menu.palettes[page.palette_id_ref].colours[index].T != 0;
            }
            EXPECT_GT(visible, 0u);
            EXPECT_EQ(firstDifference(emu.picture(), e), "");
        }
    }
}

namespace {

// A state of the walk: page index and selected button.
using Node = std::pair<int, int>;

struct Edge {
    std::string action;
    Node to;
};

// The navigation a menu's description states: the direction keys between
// buttons without automatic action, and "select" on a button whose program
// is a SetButtonPage with immediate operands, after nothing but commands
// that cannot branch.
std::map<Node, std::vector<Edge>> navigationOf(const ExpectedMenu& x) {
    std::map<Node, const ExpectedButton*> buttons;
    for (std::size_t p = 0; p < x.pageList.size(); ++p)
        for (const ExpectedBOG& bog : x.pageList[p].bogs)
            for (const ExpectedButton& b : bog.buttons) buttons[{static_cast<int>(p), b.id}] = &b;
    auto plain = [&](Node n) {
        const auto it = buttons.find(n);
        return it != buttons.end() && it->second->autoAction == 0;
    };
    std::map<Node, std::vector<Edge>> graph;
    for (const auto& [node, b] : buttons) {
        std::vector<Edge>& out = graph[node];
        const std::pair<const char*, std::uint16_t> keys[] = {{"up", b->up}, {"down", b->down}, {"left", b->left}, {"right", b->right}};
        for (const auto& [name, n] : keys)
            if (n != b->id && plain({node.first, n})) out.push_back({name, {node.first, n}});
        for (const auto& c : b->commands) {
            if (c[0] == 0x51C00003) {
                if (!(c[1] & 0x80000000u)) break;
                const int page = (c[2] & 0x80000000u) ? static_cast<int>(c[2] & 0xFF) : node.first;
                const Node to{page, static_cast<int>(c[1] & 0xFFFF)};
                if (plain(to)) out.push_back({"select", to});
                break;
            }
            // SetStream, SetNVTimer, Move and Enable/DisableButton go on to the next command.
            if (c[0] != 0x51C00001 && c[0] != 0x51C00002 && c[0] != 0x50400001 && c[0] != 0x31800004 &&
                c[0] != 0x31800005)
                break;
        }
    }
    return graph;
}

// The shortest way from `from` to the nearest node for which `wanted` holds,
// as the edges to take.
template <class F>
std::optional<std::vector<Edge>> pathToNearest(const std::map<Node, std::vector<Edge>>& g, Node from, F wanted) {
    std::map<Node, std::pair<Node, Edge>> via;
    std::deque<Node> queue{from};
    std::set<Node> seen{from};
    while (!queue.empty()) {
        const Node n = queue.front();
        queue.pop_front();
        if (wanted(n)) {
            std::vector<Edge> path;
            for (Node at = n; at != from; at = via.at(at).first) path.insert(path.begin(), via.at(at).second);
            return path;
        }
        const auto it = g.find(n);
        if (it == g.end()) continue;
        for (const Edge& e : it->second)
            if (seen.insert(e.to).second) {
                via.emplace(e.to, std::pair{n, e});
                queue.push_back(e.to);
            }
    }
    return std::nullopt;
}

}  // namespace

TEST(CorpusPreview, MenuPlayWalksTheDescribedNavigation) {
    NAVORA_NEED_CORPUS("igs");
    for (const fs::path& dir : corpusMenus()) {
        SCOPED_TRACE(dir.filename().string());
        const ExpectedMenu x = parseExpected(fileOf(dir, ".txt"));
        const auto graph = navigationOf(x);
        const Node start{0, x.pageList.at(0).defaultSelected};
        // To get about, the walk may also type a button id into PSR10 (a
        // button no key leads to, such as a page's "next" button).
        auto ways = graph;
        for (auto& [n, edges] : ways)
            for (const auto& [m, unused] : graph)
                if (m.first == n.first && m != n) edges.push_back({"psr10:" + std::to_string(m.second), m});

        // Every edge reachable from the default selection, each taken once:
        // from where the walk stands, an untaken edge of the nearest node next.
        std::map<Node, std::vector<bool>> untaken;
        std::size_t left = 0;
        for (const auto& [n, edges] : graph)
            if (!edges.empty() && pathToNearest(ways, start, [&n = n](Node m) { return m == n; })) {
                untaken[n].assign(edges.size(), true);
                left += edges.size();
            }
        ASSERT_GT(left, 0u);
        const std::size_t edges = left;
        std::vector<std::string> actions{"start"};
        std::vector<Node> expected{start};
        Node at = start;
        while (left > 0) {
            auto path = pathToNearest(ways, at, [&](Node n) {
                const auto it = untaken.find(n);
                return it != untaken.end() && std::find(it->second.begin(), it->second.end(), true) != it->second.end();
            });
            ASSERT_TRUE(path) << "no way on from page " << at.first << " button " << at.second;
            const Node from = path->empty() ? at : path->back().to;
            auto& flags = untaken[from];
            const std::size_t k = static_cast<std::size_t>(std::find(flags.begin(), flags.end(), true) - flags.begin());
            flags[k] = false;
            --left;
            path->push_back(graph.at(from)[k]);
            for (const Edge& e : *path) {
                actions.push_back(e.action);
                expected.push_back(e.to);
                at = e.to;
            }
        }

        // A pop-up menu comes up with the pop-up key and goes when a button's
        // PopUpMenu Off runs: the key brings it back (on page 0, its default
        // selection), and PSR10 then takes the walk on where it stood.
        const TIGSc model = loadMNUFile(fileOf(dir, ".mnu"));
        if (model.user_interface_model == UserInterfaceModel::PopUp) {
            std::vector<std::string> a{"start", "popup"};
            std::vector<Node> e{{0, 0xFFFF}, start};
            for (std::size_t i = 1; i < actions.size(); ++i) {
                a.push_back(actions[i]);
                e.push_back(expected[i]);
                if (actions[i] != "select") continue;
                const TIGbutton* b = buttonById(model, static_cast<std::size_t>(expected[i - 1].first),
                                                static_cast<std::uint16_t>(expected[i - 1].second));
                ASSERT_NE(b, nullptr);
                if (std::none_of(b->commands.begin(), b->commands.end(),
                                 [](const TCommand& c) { return c.w[0] == 0x11000007; }))
                    continue;
                a.push_back("popup");
                e.push_back(start);
                if (expected[i] != start) {
                    a.push_back("psr10:" + std::to_string(expected[i].second));
                    e.push_back(expected[i]);
                }
            }
            actions = a;
            expected = e;
        }

        std::string list;
        for (const std::string& a : actions) list += (list.empty() ? "" : ",") + a;
        const CliResult r = runCli({"menu", "play", fileOf(dir, ".mnu").string(), "--actions", list});
        ASSERT_EQ(r.exitCode, 0) << r.err;
        std::istringstream lines(r.out);
        std::string line;
        std::size_t i = 0;
        for (; std::getline(lines, line); ++i) {
            ASSERT_LT(i, actions.size());
            const auto j = nlohmann::json::parse(line);
            ASSERT_EQ(j["key"], actions[i]);
            ASSERT_EQ(j["page"], expected[i].first) << "action " << i << " " << actions[i];
            ASSERT_EQ(j["selected"], expected[i].second) << "action " << i << " " << actions[i];
            ASSERT_EQ(j["psr"]["PSR10"], expected[i].second);
            ASSERT_EQ(j["psr"]["PSR11"], expected[i].first);
            if (actions[i] == "select") {
                ASSERT_FALSE(j["activated"].empty());
                EXPECT_EQ(j["activated"][0]["button"], expected[i - 1].second);
            }
        }
        EXPECT_EQ(i, actions.size());
        RecordProperty(dir.filename().string() + "_edges", static_cast<int>(edges));
    }
}
