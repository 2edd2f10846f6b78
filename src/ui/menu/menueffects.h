#pragma once
// The Effects sub-tab of the Menu tab: the in- or out-effect sequence of the
// page shown ("InEffects" / "OutEffects"): its windows, its effects, the
// composition objects of the chosen effect with their cropping, and the
// effect view that shows the chosen effect's composition objects. The four
// cropping boxes edit the chosen composition object through the document.

#include "ui/app/document.h"

#include <QWidget>

class QCheckBox;
class QRadioButton;
class QSpinBox;

namespace navora::ui {

class MenuPreview;
class StringGrid;

class MenuEffectsView : public QWidget {
    Q_OBJECT
public:
    MenuEffectsView(Document& doc, MenuPreview& preview, QWidget* parent = nullptr);

    QRadioButton* rbIn() const { return rbIn_; }
    QRadioButton* rbOut() const { return rbOut_; }
    StringGrid* sgWindows() const { return sgWindows_; }
    StringGrid* sgEffects() const { return sgEffects_; }
    StringGrid* sgCompObjects() const { return sgCompObjects_; }
    QCheckBox* cbCropped() const { return cbCropped_; }
    // "Object cropping horizontal position", "... vertical position", "... width", "... height".
    QSpinBox* cropBox(int i) const { return crop_[static_cast<std::size_t>(i)]; }
    QWidget* effectView() const { return view_; }

    int page() const { return page_; }
    int effect() const { return effect_; }
    int compObject() const { return comp_; }

public slots:
    // setEffects for the page: the grids of the chosen sequence, the first effect chosen.
    void showPage(int page);
    // After an edit, an undo or a redo: redraws, keeping the choices.
    void refresh();
    // Chooses "InEffects" (0) or "OutEffects" (1).
    void showKind(int kind);

private:
    const TIGSc& menu() const;
    const Teffectseq* sequence() const;
    void effectClicked();
    void compClicked();
    void drawComp();
    void cropExit(int field);

    Document& doc_;
    MenuPreview& preview_;
    int page_ = -1;
    int kind_ = 0;
    int effect_ = -1;
    int comp_ = -1;
    bool quiet_ = false;

    QRadioButton* rbIn_;
    QRadioButton* rbOut_;
    StringGrid* sgWindows_;
    StringGrid* sgEffects_;
    StringGrid* sgCompObjects_;
    QCheckBox* cbCropped_;
    std::array<QSpinBox*, 4> crop_{};
    QWidget* view_;
};

}  // namespace navora::ui
