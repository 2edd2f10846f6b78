#include "ui/shell/menubar.h"

#include "ui/widgets/widgets.h"

#include <QAbstractSpinBox>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QSettings>
#include <QTextEdit>
#include <QUndoGroup>

namespace navora::ui {

QStringList RecentFolders::with(QStringList folders, const QString& folder) {
    if (folder.isEmpty()) return folders;
    folders.removeAll(folder);
    folders.prepend(folder);
    while (folders.size() > kCount) folders.removeLast();
    return folders;
}

QStringList RecentFolders::load(QSettings& store) {
    QStringList folders;
    for (const QString& f : store.value(QLatin1String(kKey)).toStringList())
        if (!f.isEmpty() && !folders.contains(f) && folders.size() < kCount) folders << f;
    return folders;
}

void RecentFolders::store(QSettings& store, const QStringList& folders) {
    store.setValue(QLatin1String(kKey), folders);
    store.sync();
}

namespace {

QAction* item(QMenu* menu, const QString& text, const char* name, const QKeySequence& key = {}) {
    auto* a = menu->addAction(text);
    a->setObjectName(QLatin1String(name));
    if (!key.isEmpty()) a->setShortcut(key);
    return a;
}

// The text field inside an editable combo box or spin box.
QLineEdit* lineEditOf(QWidget* w) {
    if (auto* e = qobject_cast<QLineEdit*>(w)) return e;
    if (auto* c = qobject_cast<QComboBox*>(w); c && c->isEditable()) return c->lineEdit();
    if (auto* s = qobject_cast<QAbstractSpinBox*>(w)) return s->findChild<QLineEdit*>();
    return nullptr;
}

bool clipboardHasText() {
    const QMimeData* data = QApplication::clipboard()->mimeData();
    return data && data->hasText();
}

}  // namespace

MainMenu::MainMenu(QMainWindow* window, QUndoGroup* history) : QObject(window) {
    QMenuBar* bar = window->menuBar();
    // "&File" and "&Help" take letters no tab or button uses; every letter of
    // "Edit" belongs to one, so Edit has no accelerator.
    file_ = bar->addMenu(QStringLiteral("&File"));
    file_->setObjectName(QStringLiteral("mFile"));
    openFolder_ = item(file_, QStringLiteral("&Open folder..."), "actOpenFolder", QKeySequence::Open);
    recent_ = file_->addMenu(QStringLiteral("Open &Recent"));
    recent_->setObjectName(QStringLiteral("mRecent"));
    readAgain_ = item(file_, QStringLiteral("Read &again"), "actReadAgain", QKeySequence(Qt::Key_F5));
    file_->addSeparator();
    save_ = item(file_, QStringLiteral("&Save"), "actSave", QKeySequence::Save);
    file_->addSeparator();
    quit_ = item(file_, QStringLiteral("&Quit"), "actQuit", QKeySequence(Qt::CTRL | Qt::Key_Q));
    quit_->setMenuRole(QAction::QuitRole);

    edit_ = bar->addMenu(QStringLiteral("Edit"));
    edit_->setObjectName(QStringLiteral("mEdit"));
    undo_ = history->createUndoAction(this, QStringLiteral("Undo"));
    undo_->setObjectName(QStringLiteral("actUndo"));
    undo_->setShortcuts(QKeySequence::Undo);
    redo_ = history->createRedoAction(this, QStringLiteral("Redo"));
    redo_->setObjectName(QStringLiteral("actRedo"));
    redo_->setShortcuts({QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)});
    edit_->addAction(undo_);
    edit_->addAction(redo_);
    edit_->addSeparator();
    cut_ = item(edit_, QStringLiteral("Cu&t"), "actCut", QKeySequence::Cut);
    copy_ = item(edit_, QStringLiteral("&Copy"), "actCopy", QKeySequence::Copy);
    paste_ = item(edit_, QStringLiteral("&Paste"), "actPaste", QKeySequence::Paste);
    edit_->addSeparator();
    selectAll_ = item(edit_, QStringLiteral("Select &all"), "actSelectAll", QKeySequence::SelectAll);

    help_ = bar->addMenu(QStringLiteral("&Help"));
    help_->setObjectName(QStringLiteral("mHelp"));
    about_ = item(help_, QStringLiteral("&About Navora"), "actAbout");
    about_->setMenuRole(QAction::AboutRole);

    // The keys work wherever the focus is in the window; a text field keeps
    // its own editing keys.
    window->addActions({openFolder_, readAgain_, save_, quit_, undo_, redo_, cut_, copy_, paste_, selectAll_});

    connect(openFolder_, &QAction::triggered, this, &MainMenu::openFolderRequested);
    connect(readAgain_, &QAction::triggered, this, &MainMenu::readAgainRequested);
    connect(save_, &QAction::triggered, this, &MainMenu::saveRequested);
    connect(quit_, &QAction::triggered, this, &MainMenu::quitRequested);
    connect(about_, &QAction::triggered, this, &MainMenu::aboutRequested);
    const std::pair<QAction*, EditItem> edits[] = {
        {cut_, EditItem::Cut}, {copy_, EditItem::Copy}, {paste_, EditItem::Paste}, {selectAll_, EditItem::SelectAll}};
    for (const auto& [action, kind] : edits)
        connect(action, &QAction::triggered, this, [k = kind] {
            QWidget* target = editTarget();
            if (canDo(target, k)) doItem(target, k);
        });
    connect(edit_, &QMenu::aboutToShow, this, &MainMenu::updateEditActions);
    connect(qApp, &QApplication::focusChanged, this, &MainMenu::updateEditActions);
    connect(QApplication::clipboard(), &QClipboard::dataChanged, this, &MainMenu::updateEditActions);
    fillRecentMenu();
    updateEditActions();
}

QAction* MainMenu::editAction(EditItem item) const {
    switch (item) {
        case EditItem::Cut: return cut_;
        case EditItem::Copy: return copy_;
        case EditItem::Paste: return paste_;
        case EditItem::SelectAll: break;
    }
    return selectAll_;
}

void MainMenu::setRecentFolders(const QStringList& folders) {
    recentFolders_ = folders.mid(0, RecentFolders::kCount);
    fillRecentMenu();
}

void MainMenu::fillRecentMenu() {
    recent_->clear();
    for (int i = 0; i < recentFolders_.size(); ++i) {
        const QString folder = recentFolders_[i];
        // "&1 /discs/MOVIE/BDMV/" ... "1&0 ...": the number is the accelerator.
        const QString number = i < 9 ? QStringLiteral("&%1").arg(i + 1) : QStringLiteral("1&0");
        QString shown = QDir::toNativeSeparators(folder);
        shown.replace(QLatin1Char('&'), QStringLiteral("&&"));
        auto* a = recent_->addAction(number + QLatin1Char(' ') + shown);
        a->setData(folder);
        connect(a, &QAction::triggered, this, [this, folder] { emit recentFolderChosen(folder); });
    }
    recent_->setEnabled(!recentFolders_.isEmpty());
}

QWidget* MainMenu::editTarget() {
    QWidget* w = QApplication::focusWidget();
    if (!w) return nullptr;
    if (lineEditOf(w) || qobject_cast<QTextEdit*>(w) || qobject_cast<QPlainTextEdit*>(w) ||
        qobject_cast<StringGrid*>(w))
        return w;
    return nullptr;
}

bool MainMenu::canDo(QWidget* target, EditItem item) {
    if (!target || !target->isEnabled()) return false;
    if (QLineEdit* e = lineEditOf(target)) {
        const bool plain = e->echoMode() == QLineEdit::Normal;
        switch (item) {
            case EditItem::Cut: return plain && !e->isReadOnly() && e->hasSelectedText();
            case EditItem::Copy: return plain && e->hasSelectedText();
            case EditItem::Paste: return !e->isReadOnly() && clipboardHasText();
            case EditItem::SelectAll: return !e->text().isEmpty();
        }
    }
    // The two text editors answer alike.
    const auto textCan = [item](auto* t) {
        const bool selected = t->textCursor().hasSelection();
        switch (item) {
            case EditItem::Cut: return selected && !t->isReadOnly();
            case EditItem::Copy: return selected;
            case EditItem::Paste: return !t->isReadOnly() && t->canPaste();
            case EditItem::SelectAll: return !t->document()->isEmpty();
        }
        return false;
    };
    if (auto* t = qobject_cast<QTextEdit*>(target)) return textCan(t);
    if (auto* t = qobject_cast<QPlainTextEdit*>(target)) return textCan(t);
    if (auto* g = qobject_cast<StringGrid*>(target)) {
        switch (item) {
            case EditItem::Cut: return bool(g->cutAction);
            case EditItem::Copy: return bool(g->copyAction) || g->dataRows() > 0;
            case EditItem::Paste: return bool(g->pasteAction);
            case EditItem::SelectAll:
                return g->dataRows() > 0 && g->selectionMode() != QAbstractItemView::SingleSelection &&
                       g->selectionMode() != QAbstractItemView::NoSelection;
        }
    }
    return false;
}

void MainMenu::doItem(QWidget* target, EditItem item) {
    // The text editors share the four slots by name.
    const auto onText = [item](auto* e) {
        switch (item) {
            case EditItem::Cut: e->cut(); break;
            case EditItem::Copy: e->copy(); break;
            case EditItem::Paste: e->paste(); break;
            case EditItem::SelectAll: e->selectAll(); break;
        }
    };
    if (QLineEdit* e = lineEditOf(target)) return onText(e);
    if (auto* t = qobject_cast<QTextEdit*>(target)) return onText(t);
    if (auto* t = qobject_cast<QPlainTextEdit*>(target)) return onText(t);
    if (auto* g = qobject_cast<StringGrid*>(target)) {
        switch (item) {
            case EditItem::Cut:
                if (g->cutAction) g->cutAction();
                return;
            case EditItem::Copy:
                if (g->copyAction)
                    g->copyAction();
                else
                    QApplication::clipboard()->setText(g->selectedRowsText());
                return;
            case EditItem::Paste:
                if (g->pasteAction) g->pasteAction();
                return;
            case EditItem::SelectAll: g->selectAllRows(); return;
        }
    }
}

void MainMenu::updateEditActions() {
    QWidget* target = editTarget();
    for (EditItem k : {EditItem::Cut, EditItem::Copy, EditItem::Paste, EditItem::SelectAll})
        editAction(k)->setEnabled(canDo(target, k));
}

}  // namespace navora::ui
