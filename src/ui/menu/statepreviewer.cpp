#include "ui/menu/statepreviewer.h"

#include "core/log.h"
#include "preview/views.h"
#include "sound/sound_edit.h"
#include "sound/waveplayer.h"
#include "ui/app/document.h"
#include "ui/menu/menuimage.h"
#include "ui/menu/menupages.h"
#include "ui/menu/menupreview.h"
#include "ui/widgets/widgets.h"

#include <QLocale>

namespace navora::ui {

MenuStatePreviewer::MenuStatePreviewer(Document& doc, Log& log, MenuPreview& preview, MenuPagesView& pages,
                                       WavePlayer& player, QObject* parent)
    : QObject(parent), doc_(doc), log_(log), preview_(preview), pages_(pages), player_(player) {}

void MenuStatePreviewer::showObject(int page, int object) {
    const TIGSc& m = doc_.model().menu.igs;
    if (page < 0 || static_cast<std::size_t>(page) >= m.pages.size() || object < 0) return;
    const std::size_t palette = m.pages[static_cast<std::size_t>(page)].palette_id_ref;
    const auto view = ShowButtonPic(m, preview_.renderer().pictures(), static_cast<std::size_t>(object), palette,
                                    preview_.emulator().options(), QLocale().groupSeparator().at(0).toLatin1());
    if (!view) return;
    pages_.setBogPicture(pictureImage(view->picture).copy());
    log_.slog(view->status, 1);
}

void MenuStatePreviewer::play(int page, int bog, int button, int column) {
    const TIGSc& m = doc_.model().menu.igs;
    if (page < 0 || static_cast<std::size_t>(page) >= m.pages.size()) return;
    const TPage& pg = m.pages[static_cast<std::size_t>(page)];
    if (bog < 0 || static_cast<std::size_t>(bog) >= pg.BOGs.size() || button < 0 ||
        static_cast<std::size_t>(button) >= pg.BOGs[static_cast<std::size_t>(bog)].buttons.size())
        return;
    const TIGbutton b = pg.BOGs[static_cast<std::size_t>(bog)].buttons[static_cast<std::size_t>(button)];
    const auto col = static_cast<ButtonColumn>(column);
    if (col == ButtonColumn::SelectedSound || col == ButtonColumn::ActivatedSound) {
        const std::uint16_t id =
            col == ButtonColumn::SelectedSound ? b.selected_state_sound_id_ref : b.activated_state_sound_id_ref;
        const TSND& sound = doc_.model().sound;
        if (doc_.model().soundLoaded && id < sound.entries.size()) plWav(sound, id, player_);
        return;
    }
    const auto sp = statePreview(m, static_cast<std::size_t>(page), b, col);
    if (!sp) return;
    log_.cancelFlag = false;
    if (sp->repeat && cancelEnabled) cancelEnabled(true);
    WindowClock clock;
    // One pass at least; a repeating state plays until Cancel.
    do {
        for (const std::uint16_t o : sp->objects) {
            showObject(page, o);
            clock.wait(sp->frameMs);
            if (log_.cancelFlag || !pages_.isVisible()) break;
        }
    } while (sp->repeat && !log_.cancelFlag && pages_.isVisible() && !sp->objects.empty());
    if (sp->finally) showObject(page, *sp->finally);
    if (cancelEnabled) cancelEnabled(false);
    log_.cancelFlag = false;
}

}  // namespace navora::ui
