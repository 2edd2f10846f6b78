#pragma once
// The BDMV tab: the folder row and the groups of the disc's database files.
// The views of movie objects, commands, titles and sounds are put into the
// groups' layouts by their own classes.

#include <QString>
#include <QWidget>

#include <functional>

class QGroupBox;
class QLineEdit;
class QPushButton;
class QToolButton;
class QVBoxLayout;

namespace navora::ui {

// Asks the user for a folder: (title, start folder) -> chosen folder, empty when cancelled.
using FolderChooser = std::function<QString(const QString& title, const QString& start)>;
// The platform's folder dialog.
QString chooseFolderWithDialog(QWidget* parent, const QString& title, const QString& start);

class BdmvTab : public QWidget {
    Q_OBJECT
public:
    explicit BdmvTab(QWidget* parent = nullptr);

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
    // "&Read" was clicked.
    void readRequested();
    // A folder was chosen with the browse button; the field already holds it.
    void folderChosen(const QString& folder);

public slots:
    // The browse button: asks for a folder starting at the parent of the
    // current BDMV folder and turns the choice into a BDMV folder path.
    void bbOpenDirClick();

private:
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
