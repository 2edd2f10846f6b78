#include "ui/app/activetab.h"

#include "ui/app/document.h"
#include "ui/app/execpanel.h"
#include "ui/app/runcontroller.h"
#include "ui/app/tabpage.h"
#include "ui/shell/bottombar.h"
#include "ui/shell/pagecontrol.h"

#include <QPushButton>

namespace navora::ui {

ActiveTab::ActiveTab(Document& doc, PageControl& pages, BottomBarView& bar, RunController& run,
                     std::vector<TabPage*> tabs, QObject* parent)
    : QObject(parent), doc_(doc), pages_(pages), bar_(bar), run_(run), tabs_(std::move(tabs)) {
    connect(&pages_, &QTabWidget::currentChanged, this, &ActiveTab::apply);
    for (TabPage* tab : tabs_)
        connect(tab, &TabPage::bottomBarChanged, this, [this, tab] {
            if (tab == current()) apply();
        });
    connect(bar_.bFind(), &QPushButton::clicked, this, [this] {
        if (TabPage* tab = current()) tab->find();
    });
    connect(bar_.bLoad(), &QPushButton::clicked, this, [this] {
        if (TabPage* tab = current()) tab->load();
    });
    connect(bar_.bMux(), &QPushButton::clicked, this, [this] {
        if (TabPage* tab = current()) tab->mux();
    });
}

TabPage* ActiveTab::current() const {
    const int i = pages_.currentIndex();
    return i >= 0 && static_cast<std::size_t>(i) < tabs_.size() ? tabs_[static_cast<std::size_t>(i)] : nullptr;
}

void ActiveTab::apply() {
    if (activating_) {
        barAgain_ = true;
        return;
    }
    TabPage* tab = current();
    if (last_ && last_ != tab) last_->deactivated();
    last_ = tab;
    // Undo and Redo act on what this tab shows.
    doc_.showHistoryOf(tab ? tab->parts() : Document::Parts());
    const BottomBar bar = tab ? tab->bottomBar() : BottomBar{};
    bar_.showBar(bar);
    run_.execPanel()->setMenuMode(bar.buttonChooser);
    run_.setSource(bar.program);
    if (tab) {
        // A tab that reads on entry changes what its bar shows: that is applied once it is done.
        activating_ = true;
        barAgain_ = false;
        tab->activated();
        activating_ = false;
        if (barAgain_ && tab != current()) {
            apply();
            return;
        }
        if (barAgain_) bar_.showEnabled(tab->bottomBar());
    }
    emit applied(pages_.currentIndex());
}

}  // namespace navora::ui
