#pragma once
// The Menu tab: the Interactive Graphics menu held in the document. Its
// header shows the stream information (video size, frame rate, user
// time-out, IN_time), the page selector and the object and palette
// selectors; below it the sub-tabs show the pages with their BOGs and
// buttons ("Pages") and the objects and palettes ("Objects"). "&Load" reads
// a .mnu file, loadMenuFile() one that "-> M&enu" extracted from a clip,
// "&Save" writes the menu as .mnu and "M&ux" as a transport stream.
//
// The chosen page, BOG and button are reported by signals, and the object
// pictures come from one cache that every view of the menu shares.
//
// The "Page view" sub-tab runs the menu: the page picture of the menu
// emulator, the navigation panel ("&U", "&D", "&L", "&R", "S&el"), Start
// and Trace of the execution panel with its button selector, the mouse on
// the picture, and the overlay and effect switches.

#include "ig/objects.h"
#include "ui/menu/menudialogs.h"
#include "ui/menu/menuremote.h"
#include "preview/options.h"
#include "ui/app/tabpage.h"

#include <QString>

#include <array>
#include <functional>
#include <optional>
#include <string>

class QComboBox;
class QKeyEvent;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTabWidget;

namespace navora {
class Log;
class WavePlayer;
struct TIGSc;
struct TPage;
}  // namespace navora

namespace navora::ui {

class Document;
class THexEdit;
class TIntEdit;
class MenuObjectsView;
class MenuEffectsView;
class MenuPageView;
class MenuPagesView;
class MenuFiles;
class MenuHeader;
class MenuPreview;
class MenuStatePreviewer;
class MenuSwitches;
class RunController;

class MenuTab : public TabPage {
    Q_OBJECT
public:
    // The sub-tabs in their order.
    enum SubTab { SubBOGs = 0, SubEffects, SubObjects, SubPageView };

    MenuTab(Document& doc, RunController& run, Log& log, QWidget* parent = nullptr);

    // Save and "M&ux" for a menu with pages, "&Load", the execution panel
    // with the button chooser, the navigation and register panels.
    BottomBar bottomBar() const override;
    Document::Parts parts() const override { return Document::Part::Menu; }
    // The page selector takes the focus.
    void activated() override;
    // "&Save": writes the menu as a .mnu file chosen by the user.
    bool save() override;
    // Writes a modified menu to the .mnu it was read from or last saved to
    // (asking for a name, as Save does, when it has none). False when the
    // menu was not written.
    bool saveModified() override;
    // The .mnu file the menu was read from or last saved to; empty for a new menu.
    QString menuFile() const;

    // The header: stream information, page selector, page header, object and palette selectors.
    MenuHeader* header() const { return header_; }
    QGroupBox* gInfo() const;
    QComboBox* cbVideoSize() const;
    QComboBox* cbFrameRate() const;
    QLineEdit* eUserTimeout() const;
    QLineEdit* eInTime() const;
    QGroupBox* gPage() const;
    QComboBox* cbPage() const;
    QLabel* lPageCount() const;
    // The page header of the page shown: typed values are stored on leaving a box.
    QGroupBox* gPageHeader() const;
    THexEdit* heDefSelButt() const;
    THexEdit* heDefActButt() const;
    THexEdit* hePalette() const;
    THexEdit* heUO1() const;
    THexEdit* heUO2() const;
    TIntEdit* ieFramerate() const;
    QGroupBox* gObjPal() const;
    QTabWidget* subTabs() const { return subTabs_; }
    MenuPagesView* pagesView() const { return pages_; }
    MenuObjectsView* objectsView() const { return objects_; }
    MenuEffectsView* effectsView() const { return effects_; }
    MenuPageView* pageView() const { return pageView_; }
    MenuPreview& preview() const { return *preview_; }
    MenuSwitches* switches() const { return switches_; }
    // The navigation panel's keys (made by buildNavigationPanel()).
    QPushButton* bNavUp() const { return remote_->key(MenuRemote::Up); }
    QPushButton* bNavDown() const { return remote_->key(MenuRemote::Down); }
    QPushButton* bNavLeft() const { return remote_->key(MenuRemote::Left); }
    QPushButton* bNavRight() const { return remote_->key(MenuRemote::Right); }
    QPushButton* bNavSel() const { return remote_->key(MenuRemote::Select); }
    QPushButton* bNavPopup() const { return remote_->key(MenuRemote::Popup); }
    // Puts the navigation keys into the bottom bar's navigation panel.
    void buildNavigationPanel(QWidget* panel);
    // The colours of the Options tab: the page shown is drawn again in them.
    void setColours(const PreviewOptions& colours);
    // The Options tab's colour matrix of the palettes.
    void setColourMatrix(MatrixChoice choice);
    // The Options tab's "Background picture" switch and picture file: with
    // the switch on and a file named, the page is composed on that picture (a
    // PNG drawn with its alpha over the background colour, another file read
    // as a bitmap that replaces the background); otherwise on the built-in
    // one. A picture that cannot be read is reported and the built-in one is used.
    void setBackgroundPicture(bool on, const QString& file);
    // Another main tab was chosen: the animation stops.
    void deactivated() override;
    // "&Load" and "M&ux" of the bottom bar.
    void load() override { bLoadMenuClick(); }
    void mux() override { bMuxClick(); }
    // The display pictures of (object, palette) pairs, shared by the menu's views.
    TObjectCache& objectCache() { return cache_; }

    // Whether a menu is held that Save and Mux can write (it has a page).
    bool canWrite() const;

    // Enables the bottom bar's Cancel while a state preview repeats.
    std::function<void(bool)> cancelEnabled;

    // The dialogs (tests answer them) and the working folder they start in.
    MenuDialogs dialogs;

public slots:
    // "&Load": asks for a .mnu file and loads it.
    void bLoadMenuClick();
    // Loads a menu file (the .mnu form): the entry point of "-> M&enu" once
    // the clip's IG stream was extracted into a temporary file. A file that
    // cannot be read leaves the menu held before. The menu has no file of its
    // own yet: Save asks for one.
    void loadMenuFile(const QString& path);
    // "M&ux": asks for a transport stream file and writes the menu into it.
    void bMuxClick();
    // The page selector chose page index.
    void cbPageChange(int index);
    // "Create Menu": a new menu with one page, one BOG and one button.
    void bCreateMenuClick();

signals:
    // A menu was loaded: the window shows this tab.
    void menuLoaded();
    // The page, BOG and button chosen in the Pages sub-tab (indices in the model).
    void pageChosen(int page);
    void bogChosen(int page, int bog);
    void buttonChosen(int page, int bog, int button);

protected:
    // A key that reaches the tab while the Page view is shown: its key code in status panel 1.
    void keyPressEvent(QKeyEvent* e) override;

private:
    // The page shown is drawn again (or the view repainted when no page is drawn).
    void redrawPage();
    const TIGSc& menu() const;
    // Fills every view after a load.
    void MenuOn();
    // Redraws after an edit, an undo or a redo.
    void refresh();
    void subTabChanged(int index);
    void applySwitches();

    Document& doc_;
    RunController& run_;
    Log& log_;
    TObjectCache cache_;

    MenuHeader* header_;
    MenuFiles* files_;
    MenuStatePreviewer* states_;
    QTabWidget* subTabs_;
    MenuPagesView* pages_;
    MenuObjectsView* objects_;
    MenuEffectsView* effects_;
    MenuPreview* preview_;
    MenuPageView* pageView_;
    MenuSwitches* switches_;
    MenuRemote* remote_ = nullptr;
    PreviewOptions colours_;
    WavePlayer* player_;
};

}  // namespace navora::ui
