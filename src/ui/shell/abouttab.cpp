#include "ui/shell/abouttab.h"

#include "core/filenames.h"

#include <QScrollBar>
#include <QVBoxLayout>
#include <QWheelEvent>

namespace navora::ui {

namespace {

QString aboutHtml() {
    const QString title = QString::fromStdString(mainWindowTitle("")).toHtmlEscaped();
    return QStringLiteral(
               "<h2>%1</h2>"
               "<p>An editor for the navigation and presentation structures of a Blu-ray Disc movie folder: "
               "index.bdmv, MovieObject.bdmv and their navigation commands, playlists, clip information, "
               "sound.bdmv, BD-J objects and Interactive Graphics menus.</p>"
               "<p>Point it at a <b>BDMV</b> folder on the BDMV tab and press <b>Read</b>. Every step is "
               "reported on the Status tab. Save writes the files of the active tab back, after making "
               "backups as the Options tab says.</p>"
               "<p>&copy; Varkeld Software</p>")
        .arg(title);
}

QString historyHtml() {
    return QStringLiteral(
        "<h3>Change history</h3>"
        "<p><b>0.30b</b></p><ul>"
        "<li>Main window with the BDMV, PLAYLIST, CLIPINF, Menu, BDJO, Options, Status and About tabs.</li>"
        "<li>Formatted message log with Clear; status bar with the error indicator; progress bar with Cancel.</li>"
        "<li>Options and window position kept between runs.</li>"
        "<li>Folder check and reading of index.bdmv and MovieObject.bdmv; saving with backups.</li>"
        "<li>8.3 file names for discs written with short names.</li>"
        "<li>ExtensionData editor for index.bdmv and MovieObject.bdmv: entries with their ID1, hex dump, "
        "Delete, Load and Save of .exd files; every change undoable.</li>"
        "<li>Every option kept in a readable INI file in the XDG configuration folder; Reset to defaults.</li>"
        "<li>Association of .bdmv files with Navora on the desktop.</li>"
        "<li>Installable with cmake --install or as a Debian package.</li>"
        "</ul>");
}

}  // namespace

HistoryView::HistoryView(QWidget* parent) : QTextBrowser(parent) {}

void HistoryView::wheelEvent(QWheelEvent* e) {
    pendingDelta_ += e->angleDelta().y();
    const int lines = pendingDelta_ / 60;
    pendingDelta_ -= lines * 60;
    if (lines != 0) {
        QScrollBar* bar = verticalScrollBar();
        const int line = std::max(1, fontMetrics().lineSpacing());
        // Movement towards the user is negative and scrolls down.
        bar->setValue(bar->value() - lines * line);
    }
    e->accept();
}

AboutTab::AboutTab(QWidget* parent) : TabPage(parent) {
    about_ = new QTextBrowser(this);
    about_->setObjectName(QStringLiteral("reAbout"));
    about_->setHtml(aboutHtml());
    about_->setOpenExternalLinks(false);
    history_ = new HistoryView(this);
    history_->setObjectName(QStringLiteral("reHistory"));
    history_->setHtml(historyHtml());
    auto* l = new QVBoxLayout(this);
    l->addWidget(about_, 1);
    l->addWidget(history_, 2);
}

}  // namespace navora::ui
