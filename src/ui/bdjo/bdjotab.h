#pragma once
// The BDJO tab: the BD-J object selector with "&Read", and what the object
// read holds: TerminalInfo, AppCacheInfo, the accessible playlists, the
// applications with the details of the selected one, the key interests and
// the file access path. Nothing here is edited. A refused object empties
// every view and says why above them.

#include "bdj/bdjo.h"
#include "ui/app/tabpage.h"

#include <QString>

#include <vector>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace navora {
class Log;
}

namespace navora::ui {

class Document;
class StringGrid;

class BdjoTab : public TabPage {
    Q_OBJECT
public:
    BdjoTab(Document& doc, Log& log, QWidget* parent = nullptr);

    // Save shown and disabled: BD-J objects are not written.
    BottomBar bottomBar() const override;
    // Entering the tab reads the selected object with "Auto Read" on, and
    // always after openObject().
    void activated() override;

    // Selects the named object for reading on the next entry of the tab (the
    // index grid's double-click on a BD-J title). False when the folder has
    // no such object.
    bool openObject(const QString& name);

    QComboBox* cbBDJO() const { return cbBDJO_; }
    QPushButton* bReadBDJO() const { return bReadBDJO_; }
    // The error a refused object was read with; hidden otherwise.
    QLabel* lRefused() const { return lRefused_; }
    QLineEdit* eDefaultFont() const { return eDefaultFont_; }
    QLineEdit* eHavi() const { return eHavi_; }
    QCheckBox* cbMenuCallMask() const { return cbMenuCallMask_; }
    QCheckBox* cbTitleSearchMask() const { return cbTitleSearchMask_; }
    StringGrid* sgCacheInfo() const { return sgCacheInfo_; }
    QCheckBox* cbAccessToAll() const { return cbAccessToAll_; }
    QCheckBox* cbAutostartFirstPL() const { return cbAutostartFirstPL_; }
    StringGrid* sgAccPLs() const { return sgAccPLs_; }
    StringGrid* sgAppManage() const { return sgAppManage_; }
    StringGrid* sgProfiles() const { return sgProfiles_; }
    StringGrid* sgNames() const { return sgNames_; }
    StringGrid* sgParameters() const { return sgParameters_; }
    // The key switches in keySwitches() order.
    const std::vector<QCheckBox*>& keyBoxes() const { return keyBoxes_; }
    QLineEdit* eDirectoryPath() const { return eDirectoryPath_; }

signals:
    // A playlist of the accessible playlists was double-clicked (its 5-character name).
    void playlistRequested(const QString& name);

public slots:
    // "&Read": reads the selected object.
    void bReadBDJOClick();
    // A choice in the selector: read at once with "Auto Read" on.
    void cbBDJOChange(int index);
    // Shows the details of the application in the selected row.
    void sgAppManageClick();

private:
    QWidget* buildTerminal();
    QWidget* buildCache();
    QWidget* buildAccessible();
    QWidget* buildApplications();
    QWidget* buildKeys();
    QWidget* buildFileAccess();
    // Refills the selector from the folder's BD-J objects.
    void fillSelector();
    // Shows the document's BD-J object, or empty views.
    void showObject();
    const TBDJO* shown() const;

    Document& doc_;
    Log& log_;
    bool readOnEntry_ = false;
    // The application whose details are shown; -1 for none.
    int detailsOf_ = -1;

    QComboBox* cbBDJO_;
    QPushButton* bReadBDJO_;
    QLabel* lRefused_;
    QLineEdit* eDefaultFont_ = nullptr;
    QLineEdit* eHavi_ = nullptr;
    QCheckBox* cbMenuCallMask_ = nullptr;
    QCheckBox* cbTitleSearchMask_ = nullptr;
    StringGrid* sgCacheInfo_ = nullptr;
    QCheckBox* cbAccessToAll_ = nullptr;
    QCheckBox* cbAutostartFirstPL_ = nullptr;
    StringGrid* sgAccPLs_ = nullptr;
    StringGrid* sgAppManage_ = nullptr;
    StringGrid* sgProfiles_ = nullptr;
    StringGrid* sgNames_ = nullptr;
    StringGrid* sgParameters_ = nullptr;
    std::vector<QCheckBox*> keyBoxes_;
    QLineEdit* eDirectoryPath_ = nullptr;
};

}  // namespace navora::ui
