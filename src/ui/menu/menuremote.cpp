#include "ui/menu/menuremote.h"

#include "core/log.h"
#include "ig/model.h"
#include "preview/emulator.h"
#include "ui/app/execpanel.h"
#include "ui/app/regpanel.h"
#include "ui/app/runcontroller.h"
#include "ui/menu/menupages.h"
#include "ui/menu/menupageview.h"
#include "ui/menu/menupreview.h"
#include "ui/widgets/commandgrid.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QPushButton>

#include <string>

namespace navora::ui {

MenuRemote::MenuRemote(MenuPreview& preview, RunController& run, Log& log, MenuPageView& pageView, MenuPagesView& pages,
                       QObject* parent)
    : QObject(parent), preview_(preview), run_(run), log_(log), pageView_(pageView), pages_(pages) {
    connect(&pageView_, &MenuPageView::keyPressed, this, &MenuRemote::pageKey);

    // The emulator's button states and chosen button drive the button chooser.
    QComboBox* cbButton = run_.execPanel()->cbButton();
    connect(&preview_, &MenuPreview::buttonStatesRebuilt, this, [this, cbButton] {
        const QSignalBlocker block(cbButton);
        cbButton->clear();
        const auto n = preview_.renderer().states().size();
        for (std::size_t i = 0; i < n; ++i)
            cbButton->addItem(QStringLiteral("%1").arg(i, 4, 16, QLatin1Char('0')).toUpper());
        cbButton->setCurrentIndex(n > 0 ? 0 : -1);
    });
    connect(&preview_, &MenuPreview::buttonSelected, this, [cbButton](int id) {
        const QSignalBlocker block(cbButton);
        cbButton->setCurrentIndex(id);
    });
    connect(cbButton, &QComboBox::activated, this, [this](int id) { preview_.emulator().setChosenButton(id); });
    connect(&preview_, &MenuPreview::programFinished, this, [this](int, const RunResult& r) { lastRun_ = r; });

    // The button whose commands the grid shows is the one Start and Trace run.
    connect(&pages_, &MenuPagesView::buttonChosen, this, [this](int page, int bog, int button) {
        MenuEmulator& e = preview_.emulator();
        const TIGSc* m = e.renderer().menu();
        if (!m || page != e.page() || static_cast<std::size_t>(page) >= m->pages.size()) return;
        const auto& bogs = m->pages[static_cast<std::size_t>(page)].BOGs;
        if (static_cast<std::size_t>(bog) >= bogs.size() ||
            static_cast<std::size_t>(button) >= bogs[static_cast<std::size_t>(bog)].buttons.size())
            return;
        e.chooseButton(bogs[static_cast<std::size_t>(bog)].buttons[static_cast<std::size_t>(button)].button_id);
    });
    connect(&pages_, &MenuPagesView::commandRowClicked, &run_, &RunController::executeLine);

    program_.program = [this] {
        MenuEmulator& e = preview_.emulator();
        const int p = e.page();
        return p >= 0 ? e.buttonCommands(p, e.chosenButton()) : TCommands{};
    };
    program_.showLine = [this](int line) {
        CommandGrid* grid = pages_.sgButtonCommands();
        if (line >= 0 && line < grid->dataRows()) grid->selectLine(line);
    };
    program_.startable = [this] { return (!canStart || canStart()) && preview_.emulator().page() >= 0; };
    program_.run = [this] { return start(); };
    program_.executeLine = [this](std::size_t line) {
        const RunResult r = preview_.emulator().executeLine(line);
        afterAction();
        return r;
    };
}

void MenuRemote::buildPanel(QWidget* panel) {
    const char* names[KeyCount] = {"bNavUp", "bNavDown", "bNavLeft", "bNavRight", "bNavSel", "bNavPopup"};
    const QString captions[KeyCount] = {QStringLiteral("&U"), QStringLiteral("&D"),   QStringLiteral("&L"),
                                        QStringLiteral("&R"), QStringLiteral("S&el"), QStringLiteral("Pop-up")};
    auto* l = panel->layout() ? panel->layout() : new QHBoxLayout(panel);
    l->setSpacing(2);
    for (int i = 0; i < KeyCount; ++i) {
        auto* b = new QPushButton(captions[i], panel);
        b->setObjectName(QLatin1String(names[i]));
        b->setFixedWidth(b->fontMetrics().horizontalAdvance(QString(captions[i]).remove(QLatin1Char('&'))) + 14);
        b->setFocusPolicy(Qt::NoFocus);
        l->addWidget(b);
        keys_[static_cast<std::size_t>(i)] = b;
        connect(b, &QPushButton::clicked, this, [this, i] {
            MenuEmulator& e = preview_.emulator();
            if (i <= Right)
                e.key(static_cast<NavKey>(i));
            else if (i == Select)
                e.activate();
            else
                e.popup();
            afterAction();
        });
    }
    keys_[Popup]->setToolTip(QStringLiteral("The pop-up key: shows or hides a pop-up menu"));
    setKeysEnabled(preview_.emulator().page() >= 0);
}

void MenuRemote::setKeysEnabled(bool on) {
    for (QPushButton* b : keys_)
        if (b) b->setEnabled(on);
}

void MenuRemote::pageKey(int code) {
    // The arrows move the selection as U, D, L and R do; Enter selects as S&el.
    std::optional<Key> nav;
    switch (code) {
    case 38: nav = Up; break;
    case 40: nav = Down; break;
    case 37: nav = Left; break;
    case 39: nav = Right; break;
    case 13: nav = Select; break;
    default: break;
    }
    QPushButton* b = nav ? key(*nav) : nullptr;
    if (b && b->isEnabled()) b->click();
    // The digits (of the keypad too) are the remote control's number keys.
    const int digit = code >= 96 && code <= 105 ? code - 96 : code - 48;
    if (!nav && digit >= 0 && digit <= 9) {
        preview_.emulator().numberKey(digit);
        afterAction();
    }
    // The key's code stays shown, after whatever the key did.
    log_.slog(std::to_string(code), 1);
}

void MenuRemote::afterAction() {
    preview_.syncTimers();
    run_.regPanel()->showValues();
    run_.execPanel()->showProgramLine(run_.machine().programLine());
    run_.updateControls();
}

std::optional<RunResult> MenuRemote::start() {
    lastRun_.reset();
    preview_.emulator().start();
    preview_.syncTimers();
    // The remote control's keys act on the page from now on.
    if (pageView_.isVisible()) pageView_.canvas()->setFocus();
    return lastRun_;
}

}  // namespace navora::ui
