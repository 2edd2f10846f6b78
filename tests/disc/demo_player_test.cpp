// The demo disc on a player: libbluray opens it, First Playback reaches the
// Top Menu, whose playlist brings up the menu of clip 00090, and the remote's
// keys move the selection.

#include "disc/demo.h"
#include "support/testsupport.h"

#include <gtest/gtest.h>
#include <libbluray/bluray.h>
#include <libbluray/keys.h>
#include <libbluray/overlay.h>

#include <chrono>
#include <thread>
#include <vector>

using namespace navora;
using namespace navora::test;

// The libraries the player loads when it opens a disc (decryption plug-ins)
// keep what they allocate at load time for the life of the process; the leak
// check would report them at exit, whatever ASAN_OPTIONS says. Memory errors
// are still caught.
extern "C" int __lsan_is_turned_off() { return 1; }

namespace {

// What the player drew on the IG plane: each object with its place.
struct Draw {
    int x = 0, y = 0, w = 0, h = 0;
    const void* image = nullptr;
};

struct Screen {
    std::vector<Draw> draws;
    // The image last drawn at (x, y); null when nothing was.
    const void* at(int x, int y, std::size_t from = 0) const {
        const void* image = nullptr;
        for (std::size_t i = from; i < draws.size(); ++i)
            if (draws[i].x == x && draws[i].y == y) image = draws[i].image;
        return image;
    }
};

void onOverlay(void* handle, const BD_OVERLAY* const ov) {
    if (!ov) return;  // the player closes the overlay
    if (ov->plane == BD_OVERLAY_IG && ov->cmd == BD_OVERLAY_DRAW && ov->img)
        static_cast<Screen*>(handle)->draws.push_back({ov->x, ov->y, ov->w, ov->h, ov->img});
}

class Player {
public:
    explicit Player(const fs::path& root) : bd_(bd_open(root.c_str(), nullptr)) {}
    ~Player() {
        if (bd_) bd_close(bd_);
    }
    Player(const Player&) = delete;
    Player& operator=(const Player&) = delete;

    BLURAY* bd() const { return bd_; }
    // Plays on until the condition holds, for at most about 20 s: the
    // player times the menu's effects and animations by the clock.
    template <class Done>
    bool playUntil(Done done) {
        std::vector<unsigned char> buf(6144 * 8);
        for (int i = 0; i < 2000 && !done(); ++i) {
            BD_EVENT ev{};
            const int n = bd_read_ext(bd_, buf.data(), static_cast<int>(buf.size()), &ev);
            if (ev.event == BD_EVENT_ERROR || n < 0) return done();
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return done();
    }

private:
    BLURAY* bd_;
};

}  // namespace

TEST(DemoDiscOnAPlayer, TheMenuComesUpAndKeysMoveTheSelection) {
    TempDir dir;
    makeDemoDisc(dir.path());
    Player player(dir.path());
    ASSERT_NE(player.bd(), nullptr);
    Screen screen;
    bd_register_overlay_proc(player.bd(), &screen, onOverlay);
    bd_get_event(player.bd(), nullptr);
    ASSERT_EQ(bd_play(player.bd()), 1);

    // Page 0 after its in-effects: Play (780, 500) selected, Chapters
    // (780, 600) and Audio (780, 700) below it.
    ASSERT_TRUE(player.playUntil([&] { return screen.at(780, 500) && screen.at(780, 600) && screen.at(780, 700); }))
        << screen.draws.size() << " objects drawn";
    const void* chaptersNormal = screen.at(780, 600);

    // Down: Play back to normal, Chapters selected.
    std::size_t from = screen.draws.size();
    bd_user_input(player.bd(), -1, BD_VK_DOWN);
    player.playUntil([&] { return screen.at(780, 600, from) && screen.at(780, 500, from); });
    ASSERT_NE(screen.at(780, 600, from), nullptr) << "no redraw after the key";
    EXPECT_NE(screen.at(780, 600, from), chaptersNormal);
    const void* playNormal = screen.at(780, 500, from);
    ASSERT_NE(playNormal, nullptr);

    // Up again: Chapters back to normal, Play selected.
    from = screen.draws.size();
    bd_user_input(player.bd(), -1, BD_VK_UP);
    player.playUntil([&] { return screen.at(780, 600, from) && screen.at(780, 500, from); });
    EXPECT_EQ(screen.at(780, 600, from), chaptersNormal);
    EXPECT_NE(screen.at(780, 500, from), nullptr);
    EXPECT_NE(screen.at(780, 500, from), playNormal);
}
