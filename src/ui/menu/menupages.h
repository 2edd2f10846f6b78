#pragma once
// The Pages sub-tab of the Menu tab: the pages of the menu in a grid, the
// button overlap groups of the chosen page (one column per BOG) and the
// buttons of the chosen BOG with the commands of the chosen button. It
// reports which page, BOG and button the user chose, so that the views that
// draw or run them can follow. The right-click menu of the BOG and button
// grids switches their "Edit mode": then typing into " default valid
// button" or a button cell edits the menu through the document (a refused
// value reverts to the stored one).

#include "ui/app/document.h"

#include <QWidget>

#include <functional>
#include <optional>

class QLabel;
class QTableWidget;
class QTableWidgetItem;

namespace navora {
struct TIGSc;
}

namespace navora::ui {

class CommandGrid;
class Composer;
class StringGrid;

class MenuPagesView : public QWidget {
    Q_OBJECT
public:
    MenuPagesView(Document& doc, QWidget* parent = nullptr);

    StringGrid* sgPages() const { return sgPages_; }
    // One column per BOG after the column of row titles.
    QTableWidget* sgBOG() const { return sgBOG_; }
    StringGrid* sgButtons() const { return sgButtons_; }
    // The navigation commands of the chosen button.
    CommandGrid* sgButtonCommands() const { return sgCommands_; }
    // Edits the chosen command in place (the word boxes and lists).
    Composer* composer() const { return composer_; }
    // The BOG view: the object a click on an object cell of the button grid shows.
    QLabel* bogView() const { return iBOG_; }
    void setBogPicture(const QImage& image);

    // Typed input in the BOG and button grids ("Edit mode") or none ("Read only").
    bool editMode() const { return editMode_; }
    void setEditMode(bool on);
    // The number of sound entries a button may name (sound.bdmv).
    std::function<std::size_t()> soundEntries;

    // The chosen page, BOG of that page and button (its index in the BOG).
    std::optional<int> selectedPage() const;
    std::optional<int> selectedBog() const;
    std::optional<int> selectedButton() const;

    // Row titles of the BOG grid and column titles of the button grid.
    static const QStringList& bogRowTitles();
    static const QStringList& buttonTitles();

public slots:
    // Empties the grids (no menu).
    void reset();
    // After a load: lists the pages and shows the first one.
    void fill();
    // After an edit, an undo or a redo: redraws, keeping the choices.
    void refresh();
    // Chooses page `page`: its row is selected and its BOGs listed, the first one chosen.
    void showPage(int page);
    // Chooses BOG `bog` of the chosen page: its column is selected and its buttons listed.
    void showBog(int bog);

signals:
    void pageChosen(int page);
    void bogChosen(int page, int bog);
    void buttonChosen(int page, int bog, int button);
    // A BOG's default valid button was typed: the page's button states are rebuilt.
    void bogEdited(int page);
    // A click on a command row (with trace on the line runs).
    void commandRowClicked(int line);
    // A click on one of the six object cells of a button: show that object.
    void objectClicked(int page, int object);
    // A double click (not in edit mode) on a start, end or sound cell: preview the state.
    void statePreviewRequested(int page, int bog, int button, int column);

protected:
    // A right click on the BOG or button grid opens its "Edit mode" / "Read only" menu.
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    void bogTyped(int row, int column, const QString& text);
    void buttonTyped(int row, int column, const QString& text);
    void showCommands();
    const TIGbutton* chosenButton() const;
    // Replaces the chosen button's commands by edit(commands) as one step.
    void editCommands(const QString& name, const std::function<bool(TCommands&)>& edit, const QString& mergeKey = {});
    void editMenu(QWidget* grid, const QPoint& at);
    const TIGSc& menu() const;
    void buildGrids();
    void drawPages();
    void drawBogs(int page);
    void drawButtons(int page, int bog);
    void drawButtonRows(int page, int bog);
    void pagesClicked();
    void bogClicked();
    void buttonsClicked();
    void selectBogColumn(int bog);

    Document& doc_;
    bool quiet_ = false;
    bool editMode_ = false;
    int page_ = -1;
    int bog_ = -1;
    int button_ = -1;

    StringGrid* sgPages_;
    QTableWidget* sgBOG_;
    StringGrid* sgButtons_;
    CommandGrid* sgCommands_;
    Composer* composer_;
    QLabel* iBOG_;
};

}  // namespace navora::ui
