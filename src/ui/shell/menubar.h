#pragma once
// The main window's menu bar: File (Open folder..., Open Recent, Read again,
// Save, Quit), Edit (Undo, Redo, Cut, Copy, Paste, Select all) and Help
// (About). File and Help say what was chosen through signals the window
// connects. Edit acts on the widget with the focus: a text field edits its
// text; a grid (StringGrid) does what its cutAction, copyAction and
// pasteAction say, and Select all selects its rows. An item the focused
// widget cannot do is disabled, so its key reaches the widget unchanged.

#include <QObject>
#include <QStringList>

class QAction;
class QMainWindow;
class QMenu;
class QSettings;
class QUndoStack;
class QWidget;

namespace navora::ui {

// The folders of Open Recent, most recent first: folder put first, once, and
// at most kCount of them.
struct RecentFolders {
    static constexpr int kCount = 10;
    static constexpr const char* kKey = "RecentFolders";
    static QStringList with(QStringList folders, const QString& folder);
    static QStringList load(QSettings& store);
    static void store(QSettings& store, const QStringList& folders);
};

class MainMenu : public QObject {
    Q_OBJECT
public:
    enum class EditItem { Cut, Copy, Paste, SelectAll };

    // Builds the menus into window's menu bar; undo and redo come from the stack.
    MainMenu(QMainWindow* window, QUndoStack* undo);

    QAction* openFolder() const { return openFolder_; }
    QAction* readAgain() const { return readAgain_; }
    QAction* save() const { return save_; }
    QAction* quit() const { return quit_; }
    QAction* undo() const { return undo_; }
    QAction* redo() const { return redo_; }
    QAction* editAction(EditItem item) const;
    QAction* about() const { return about_; }
    QMenu* fileMenu() const { return file_; }
    QMenu* editMenu() const { return edit_; }
    QMenu* recentMenu() const { return recent_; }

    QStringList recentFolders() const { return recentFolders_; }
    void setRecentFolders(const QStringList& folders);

    // What the Edit items would act on: the focused widget when it is a text
    // field or a grid; none otherwise.
    static QWidget* editTarget();
    // Whether target can do item now.
    static bool canDo(QWidget* target, EditItem item);
    // Does item on target.
    static void doItem(QWidget* target, EditItem item);

public slots:
    // Enables the Edit items by the widget with the focus.
    void updateEditActions();

signals:
    void openFolderRequested();
    void recentFolderChosen(const QString& folder);
    void readAgainRequested();
    void saveRequested();
    void quitRequested();
    void aboutRequested();

private:
    void fillRecentMenu();

    QMenu* file_;
    QMenu* edit_;
    QMenu* help_;
    QMenu* recent_;
    QAction* openFolder_;
    QAction* readAgain_;
    QAction* save_;
    QAction* quit_;
    QAction* undo_;
    QAction* redo_;
    QAction* cut_;
    QAction* copy_;
    QAction* paste_;
    QAction* selectAll_;
    QAction* about_;
    QStringList recentFolders_;
};

}  // namespace navora::ui
