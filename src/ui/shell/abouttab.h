#pragma once
// The About tab: the program's about text and its change history.

#include "ui/app/tabpage.h"

#include <QTextBrowser>

namespace navora::ui {

// The change history; the mouse wheel scrolls it one line per 60 units of
// wheel movement, down for movement towards the user.
class HistoryView : public QTextBrowser {
    Q_OBJECT
public:
    explicit HistoryView(QWidget* parent = nullptr);

protected:
    void wheelEvent(QWheelEvent* e) override;

private:
    int pendingDelta_ = 0;
};

class AboutTab : public TabPage {
    Q_OBJECT
public:
    explicit AboutTab(QWidget* parent = nullptr);
    QTextBrowser* about() const { return about_; }
    HistoryView* history() const { return history_; }

private:
    QTextBrowser* about_;
    HistoryView* history_;
};

}  // namespace navora::ui
