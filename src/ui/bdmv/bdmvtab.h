#pragma once
// The BDMV tab: the folder row and the groups of the disc's database files
// with the movie object and index views. It lets Start run the shown movie
// object and keeps the execution panel's object chooser with it.

#include "ui/app/tabpage.h"
#include "ui/widgets/prompts.h"

#include <QString>

#include <functional>

class QGroupBox;
class QLineEdit;
class QPushButton;
class QToolButton;
class QVBoxLayout;

namespace navora {
class Log;
}

namespace navora::ui {

class Document;
class IndexView;
class MobjView;
class RunController;
class SoundView;

class BdmvTab : public TabPage {
    Q_OBJECT
public:
    BdmvTab(Document& doc, RunController& run, Log& log, QWidget* parent = nullptr);

    // Save for index.bdmv and MovieObject.bdmv; the execution panel with the
    // object chooser; the register panel.
    BottomBar bottomBar() const override;
    // index.bdmv, then MovieObject.bdmv, then sound.bdmv when the disc holds
    // one; a MovieObject.bdmv read only in part is written only after the
    // user agreed to drop its cut part. The status bar then says which files
    // were written.
    bool save() override;
    // Saves the files when any of them holds unsaved edits.
    bool saveModified() override;

    MobjView* mobjView() const { return mobjView_; }
    IndexView* indexView() const { return indexView_; }
    SoundView* soundView() const { return soundView_; }

    QLineEdit* eBDMVdir() const { return eBDMVdir_; }
    QToolButton* bbOpenDir() const { return bbOpenDir_; }
    QPushButton* bReadBDMV() const { return bReadBDMV_; }

    QGroupBox* movieObjectGroup() const { return gMovieObject_; }
    QGroupBox* soundGroup() const { return gSound_; }
    QGroupBox* indexGroup() const { return gIndex_; }
    // Empty layouts the database views are added to.
    QVBoxLayout* movieObjectLayout() const { return lMovieObject_; }
    QVBoxLayout* soundLayout() const { return lSound_; }
    QVBoxLayout* indexLayout() const { return lIndex_; }

    QString folder() const;
    void setFolder(const QString& folder);

    // Replaces the folder dialog (tests answer without a dialog).
    FolderChooser folderChooser;

signals:
    // "&Read" was clicked, or Enter pressed in the folder field.
    void readRequested();
    // A folder was chosen with the browse button; the field already holds it.
    void folderChosen(const QString& folder);
    // A Play command was followed to a playlist (name as 5 digits; play item or -1).
    void followPlaylist(const QString& name, int playItem);

public slots:
    // The browse button: asks for a folder starting at the parent of the
    // current BDMV folder and turns the choice into a BDMV folder path.
    void bbOpenDirClick();

private:
    void buildViews(Log& log);
    // After a read: title 1 (which shows its movie object), then movie object 0.
    void showFirst();
    void updateObjectChooser();
    // The group captions say when their file was refused or read only in part.
    void updateCaptions();
    // Writes the files; false when the user cancelled or a file was not written.
    bool saveFiles();

    Document& doc_;
    RunController& run_;
    Log& log_;
    ProgramSource program_;
    MobjView* mobjView_ = nullptr;
    IndexView* indexView_ = nullptr;
    SoundView* soundView_ = nullptr;
    QLineEdit* eBDMVdir_;
    QToolButton* bbOpenDir_;
    QPushButton* bReadBDMV_;
    QGroupBox* gMovieObject_;
    QGroupBox* gSound_;
    QGroupBox* gIndex_;
    QVBoxLayout* lMovieObject_;
    QVBoxLayout* lSound_;
    QVBoxLayout* lIndex_;
};

}  // namespace navora::ui
