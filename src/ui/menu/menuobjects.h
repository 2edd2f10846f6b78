#pragma once
// The Objects sub-tab of the Menu tab: the object grid and the palette grid
// with their reference texts, the object view (an object drawn with a
// palette, or the palette chart with "View palette only"), the object image
// import and export and the palette export. It also owns the object and
// palette selectors and "View palette only", which the Menu tab shows in its
// header because every sub-tab uses them.
//
// It shows the document's menu. The image import and palette entry changes
// are edits through the document; decoding an object for display fills the
// menu's pictures in place, which changes no value of the menu (sameMenu).

#include "ui/app/document.h"

#include <QImage>
#include <QWidget>

#include <cstddef>
#include <functional>
#include <optional>
#include <string>

class QCheckBox;
class QComboBox;
class QLabel;
class QScrollArea;
class QToolButton;

namespace navora {
class Log;
class TObjectCache;
struct TIGSc;
}  // namespace navora

namespace navora::ui {

struct MenuDialogs;
class StringGrid;

// A picture shown 1:1 at the top-left. Reports the mouse in picture coordinates.
class ObjectPicture : public QWidget {
    Q_OBJECT
public:
    explicit ObjectPicture(QWidget* parent = nullptr);
    const QImage& image() const { return image_; }
    void setImage(const QImage& image);
    QSize sizeHint() const override { return image_.size(); }

signals:
    void hovered(QPoint at);
    void doubleClicked(QPoint at);

protected:
    void paintEvent(QPaintEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;

private:
    QImage image_;
};

class MenuObjectsView : public QWidget {
    Q_OBJECT
public:
    MenuObjectsView(Document& doc, Log& log, TObjectCache& cache, MenuDialogs& dialogs, QWidget* parent = nullptr);

    StringGrid* sgObjects() const { return sgObjects_; }
    StringGrid* sgPalettes() const { return sgPalettes_; }
    ObjectPicture* picture() const { return picture_; }
    QScrollArea* pictureArea() const { return pictureArea_; }
    QToolButton* bbLoadIGObj() const { return bbLoadIGObj_; }
    QToolButton* bbSaveIGObj() const { return bbSaveIGObj_; }
    QToolButton* bbSavePale() const { return bbSavePale_; }
    QCheckBox* cbReplaceObject() const { return cbReplaceObject_; }
    QCheckBox* cbReplacePalette() const { return cbReplacePalette_; }
    // The selectors and the switch the Menu tab places in its header.
    QComboBox* cbObjects() const { return cbObjects_; }
    QComboBox* cbPalettes() const { return cbPalettes_; }
    QLabel* lObjCount() const { return lObjCount_; }
    QCheckBox* cbPalOnly() const { return cbPalOnly_; }

    // The object and palette chosen in the selectors.
    std::optional<std::size_t> selectedObject() const;
    std::optional<std::size_t> selectedPalette() const;

    // The colour under objects and the palette chart ("Object background").
    std::function<QColor()> objectBackground;
    // The "Software" text of exported images: the main window's title.
    std::function<std::string()> softwareName;

public slots:
    // Empties the views (no menu, or one about to be loaded).
    void reset();
    // After a load: fills the grids and the selectors, selects the first
    // object and palette and shows them without a status line.
    void fill();
    // After an edit, an undo or a redo: redraws from the model, keeping the
    // selections (clamped to what is left).
    void refresh();
    // Shows object o with palette p in the object view, or the palette chart
    // of p with "View palette only"; the selectors follow.
    void showObject(std::size_t o, std::size_t p);

    // A click on a row of the object grid: selects the object, picks the
    // palette its first reference uses, and shows the pair.
    void sgObjectsClick();
    // A click on a row of the palette grid: selects the palette and shows the object with it.
    void sgPalettesClick();
    void cbObjectsChange(int index);
    void cbPalettesChange(int index);
    void cbPalOnlyClick();
    // "Load object image" (also Insert on the object grid).
    void bbLoadIGObjClick();
    // "Save object image": the selected object with the selected palette as PNG.
    void bbSaveIGObjClick();
    // "Save palette": the selected palette as .pxml or .act.
    void bbSavePaleClick();

signals:
    // An object was shown with a palette (or the palette chart, object -1).
    void objectShown(int object, int palette);

protected:
    // Insert on the object grid imports an image; Shift+Delete on the object
    // or palette grid deletes the selected rows (refused while they are used).
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    const TIGSc& menu() const;
    // The menu whose objects get their pictures decoded for display.
    TIGSc& menuForPictures();
    bool loaded() const;
    void buildGrids();
    void drawObjectRows();
    void drawPaletteRows();
    void fillSelectors();
    void redrawLists();
    void enableControls();
    void clearReplaceChoices();
    // Selects object o and palette p in the grids and selectors without reporting it.
    void selectQuietly(std::optional<std::size_t> o, std::optional<std::size_t> p);
    void show(std::size_t o, std::size_t p, bool report);
    void showSelected(bool report);
    QColor background() const;
    void pictureHovered(QPoint at);
    void deleteSelected(bool objects);
    void pictureDoubleClicked(QPoint at);

    Document& doc_;
    Log& log_;
    TObjectCache& cache_;
    MenuDialogs& dialogs_;
    bool quiet_ = false;
    // What the view shows: the pair, and whether it is the palette chart.
    std::optional<std::size_t> shownObject_;
    std::optional<std::size_t> shownPalette_;

    StringGrid* sgObjects_;
    StringGrid* sgPalettes_;
    ObjectPicture* picture_;
    QScrollArea* pictureArea_;
    QToolButton* bbLoadIGObj_;
    QToolButton* bbSaveIGObj_;
    QToolButton* bbSavePale_;
    QCheckBox* cbReplaceObject_;
    QCheckBox* cbReplacePalette_;
    QComboBox* cbObjects_;
    QComboBox* cbPalettes_;
    QLabel* lObjCount_;
    QCheckBox* cbPalOnly_;
};

}  // namespace navora::ui
