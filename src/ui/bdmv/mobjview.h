#pragma once
// The movie object view of the BDMV tab: the movie object grid with its flag
// boxes and count label, and the command grid of the selected object with
// its buttons, the composer and the program list export. It shows the
// document's MovieObject.bdmv and changes it only through the document.

#include "nav/edit.h"
#include "navdb/movieobject_edit.h"
#include "ui/app/document.h"

#include <QWidget>

#include <functional>
#include <optional>

class QComboBox;
class QLabel;
class QPushButton;
class QSplitter;
class QToolButton;

namespace navora::ui {

class CommandGrid;
class Composer;
class RotatedLabel;
class StringGrid;

// Asks for a file to save: (title, start path with the default name, filters,
// selected filter in/out) -> the chosen path, empty when cancelled.
using SaveFileChooser =
    std::function<QString(const QString& title, const QString& start, const QStringList& filters, QString* selected)>;

class MobjView : public QWidget {
    Q_OBJECT
public:
    MobjView(Document& doc, Log& log, QWidget* parent = nullptr);

    StringGrid* sgObject() const { return sgObject_; }
    QComboBox* cbResume() const { return cbResume_; }
    QComboBox* cbMenuCall() const { return cbMenuCall_; }
    QComboBox* cbTitleSearch() const { return cbTitleSearch_; }
    QToolButton* bbObins() const { return bbObins_; }
    QToolButton* bbObdel() const { return bbObdel_; }
    RotatedLabel* lObjCount() const { return lObjCount_; }
    QLabel* lObjExtDat() const { return lObjExtDat_; }
    // "Edit" beside the ExtensionData caption (bObjExtDatEditClick); shown with the caption.
    QPushButton* bObjExtDatEdit() const { return bObjExtDatEdit_; }
    CommandGrid* sgCommands() const { return sgCommands_; }
    QToolButton* bbNCins() const { return bbNCins_; }
    QToolButton* bbNCdel() const { return bbNCdel_; }
    QPushButton* bbSaveCommands() const { return bbSaveCommands_; }
    Composer* composer() const { return composer_; }
    QSplitter* splitter() const { return splitter_; }

    // The height of the movie object list panel above the commands (the
    // splitter position); -1 before the view was ever laid out.
    int objectListHeight() const;
    void setObjectListHeight(int height);

    // The object shown (the first selected row); none when there is none.
    std::optional<std::size_t> selectedObject() const;
    // The shown object's commands; empty when no object is shown.
    const TCommands& selectedCommands() const;

    // The program list format option (0 list, 1 binary) and the output folder
    // the save dialog starts in.
    std::function<int()> programFormat;
    std::function<QString()> outputFolder;
    // Replaces the save dialog (tests answer without one).
    SaveFileChooser saveFileChooser;

public slots:
    // Empties the views (a folder is about to be read).
    void reset();
    // Fills the views from the document after a read.
    void fill();
    // Redraws the views from the document after an edit, an undo or a redo,
    // keeping the selections where they are.
    void refresh();
    // Selects movie object n, scrolls it to the top and shows it.
    void setObjectSG(int n);
    // Shows the selected object: its flags and its command list.
    void sgObjectClick();
    // Draws movie object n's row.
    void objline(int n);
    void bbObinsClick();
    void bbObdelClick();
    void cbResumeChange(int index);
    void cbMenuCallChange(int index);
    void cbTitleSearchChange(int index);

    // Command edits of the selected object.
    void insertCommand();      // Insert, "+"
    void deleteCommands();     // Shift+Delete, "-"
    void copyCommands();       // Ctrl+C
    void cutCommands();        // Ctrl+X
    void pasteCommands();      // Ctrl+V
    void blankCommand();       // Shift+N
    // Follows the selected command (double-click).
    void sgCommandsDblClick();
    // Shows the selected command in the composer.
    void sgCommandsClick();
    void bbSaveCommandsClick();
    // Selects line n of the command grid without running it.
    void showLine(int n);

signals:
    // The shown object changed (or its command count did): the execution
    // panel selects it and Start follows whether it has commands.
    void objectShown(int object, bool hasCommands);
    // A click on a command row (not a programmatic selection): with trace on
    // the line runs before it is shown.
    void commandRowClicked(int line);
    // A Jump Title or Call Title was followed: select title n (1..999).
    void followTitle(int title);
    // A Play command was followed to a playlist.
    void followPlaylist(const QString& name, int playItem);
    // "Edit" beside the ExtensionData caption was clicked.
    void extensionDataEditRequested();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* buildObjects();
    QWidget* buildCommands();
    void connectControls();
    const Workspace& ws() const { return doc_.model(); }
    void redrawObjects(int from);
    // Shows the shown object's flags and commands; with report, the building
    // of a long command list is shown in the status bar.
    void showCurrentObject(bool report);
    // Draws the command rows that differ from what the grid shows.
    void drawCommands(const TCommands& list);
    // Applies a command edit of the shown object, then reports its status
    // and selects the line it names.
    void editCommands(const QString& name, const std::function<EditResult(TMOBJ&, std::size_t object)>& edit);
    void storeComposed(const TCommand& c);
    void setFlag(MobjFlag flag, int index);
    void enableObjectControls(bool on);
    bool hasShownObject() const { return selectedObject().has_value(); }

    Document& doc_;
    Log& log_;
    int shown_ = -1;
    bool quietSelect_ = false;
    int pendingListHeight_ = -1;
    TCommands drawn_;  // the commands the grid shows
    QString lastListFolder_;  // where the last program list was saved

    QSplitter* splitter_;
    StringGrid* sgObject_;
    QComboBox* cbResume_;
    QComboBox* cbMenuCall_;
    QComboBox* cbTitleSearch_;
    QToolButton* bbObins_;
    QToolButton* bbObdel_;
    RotatedLabel* lObjCount_;
    QLabel* lObjExtDat_;
    QPushButton* bObjExtDatEdit_;
    CommandGrid* sgCommands_;
    QToolButton* bbNCins_;
    QToolButton* bbNCdel_;
    QPushButton* bbSaveCommands_;
    Composer* composer_;
};

}  // namespace navora::ui
