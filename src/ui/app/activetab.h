#pragma once
// The active tab of the main window. While a tab is shown, the bottom bar
// shows what its TabPage asks for, Edit > Undo and Redo act on its files'
// history, and the bar's "Find", "&Load" and "M&ux" act on it; the tab left
// is told that it no longer is the active one.

#include <QObject>

#include <vector>

namespace navora::ui {

class BottomBarView;
class Document;
class PageControl;
class RunController;
class TabPage;

class ActiveTab : public QObject {
    Q_OBJECT
public:
    // tabs in the tab row's order.
    ActiveTab(Document& doc, PageControl& pages, BottomBarView& bar, RunController& run, std::vector<TabPage*> tabs,
              QObject* parent = nullptr);

    // The tab shown, or none.
    TabPage* current() const;
    // Shows the bottom bar's controls as the tab shown asks, then activates it.
    void apply();

signals:
    // apply() ran for the tab of this index (panels shown, Save set).
    void applied(int tab);

private:
    Document& doc_;
    PageControl& pages_;
    BottomBarView& bar_;
    RunController& run_;
    std::vector<TabPage*> tabs_;
    TabPage* last_ = nullptr;  // the tab active before the last change
    // The tab's activated() is running: a bottom bar change it causes is
    // applied when it returns.
    bool activating_ = false;
    bool barAgain_ = false;
};

}  // namespace navora::ui
