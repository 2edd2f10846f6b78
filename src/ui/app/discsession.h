#pragma once
// The disc's open, read and save sequences of the main window: the folder
// field's "&Read", File > Open folder and Open Recent, a dropped folder, the
// question about unsaved edits before a read or a close, and "&Save" of the
// active tab. The document holds the models; this only runs the steps in
// their order and says when a read or a save finished.

#include "ui/app/tabpage.h"

#include <QObject>
#include <QString>

#include <functional>
#include <vector>

namespace navora::ui {

class Document;
class MainMenu;
class RunController;

class DiscSession : public QObject {
    Q_OBJECT
public:
    // The BDMV tab's folder field and its "&Read" button, as the sequences use them.
    struct FolderField {
        std::function<QString()> text;
        std::function<void(const QString&)> setText;
        std::function<void(bool)> setReadEnabled;
        // A folder chooser (title, start folder); empty when none was chosen.
        std::function<QString(const QString&, const QString&)> choose;
    };

    DiscSession(Document& doc, RunController& run, MainMenu& menu, QWidget& window, FolderField field,
                QObject* parent = nullptr);

    // The tabs in their order: the question before a read or a close lets each write its edits.
    void setTabs(std::vector<TabPage*> tabs) { tabs_ = std::move(tabs); }
    // Runs before a read or a save: the options of the Options tab go to the workspace.
    std::function<void()> applyOptions;

    // "&Read": reads the folder in the folder field (a disc root or anything
    // inside the BDMV folder is taken). Nothing while a program runs.
    void readFromField();
    // File > Open folder...: a folder chooser, then openFolder().
    void openFolderDialog();
    // Reads the disc that path leads to, after asking about unsaved edits;
    // false when nothing was read.
    bool openFolder(const QString& path);
    // When the document holds unsaved edits: "Save changes to DISC?". True
    // when the caller may go on (saved, or discarded, or nothing to save).
    bool maybeSave();
    // "&Save" on tab.
    void save(TabPage* tab);

signals:
    // A folder is about to be read: the views empty themselves.
    void aboutToRead();
    // A read finished (whether or not the check passed).
    void read();
    // A save finished.
    void saved();

private:
    void readFolder(const QString& folder);
    // After a read: the status bar shows the first error line, or the first
    // file read only in part, with the red indicator.
    void showReadOutcome();
    void rememberFolder(const QString& folder);

    Document& doc_;
    RunController& run_;
    MainMenu& menu_;
    QWidget& window_;
    FolderField field_;
    std::vector<TabPage*> tabs_;
};

}  // namespace navora::ui
