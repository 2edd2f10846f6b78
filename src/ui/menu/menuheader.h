#pragma once
// The header of the Menu tab: the IG stream information (video size, frame
// rate, user time-out, IN_time), the page selector, the header of the page
// shown (default buttons, palette, UO masks, animation frame rate, counts)
// and the object and palette selectors. Values typed into the boxes are
// stored on leaving them, each as an undoable edit of the document's menu.

#include <QWidget>

#include <functional>
#include <optional>
#include <string>

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;

namespace navora {
class Log;
struct TIGSc;
struct TPage;
}  // namespace navora

namespace navora::ui {

class Document;
class MenuObjectsView;
class THexEdit;
class TIntEdit;

class MenuHeader : public QWidget {
    Q_OBJECT
public:
    MenuHeader(Document& doc, Log& log, MenuObjectsView& objects, QWidget* parent = nullptr);

    QGroupBox* gInfo() const { return gInfo_; }
    QComboBox* cbVideoSize() const { return cbVideoSize_; }
    QComboBox* cbFrameRate() const { return cbFrameRate_; }
    QLineEdit* eUserTimeout() const { return eUserTimeout_; }
    QLineEdit* eInTime() const { return eInTime_; }
    QGroupBox* gPage() const { return gPage_; }
    QComboBox* cbPage() const { return cbPage_; }
    QLabel* lPageCount() const { return lPageCount_; }
    QGroupBox* gPageHeader() const { return gPageHeader_; }
    THexEdit* heDefSelButt() const { return heDefSelButt_; }
    THexEdit* heDefActButt() const { return heDefActButt_; }
    THexEdit* hePalette() const { return hePalette_; }
    THexEdit* heUO1() const { return heUO1_; }
    THexEdit* heUO2() const { return heUO2_; }
    TIntEdit* ieFramerate() const { return ieFramerate_; }
    QGroupBox* gObjPal() const { return gObjPal_; }

    // The stream information and the group states from the menu held.
    void showInfo();
    // The header of the page the selector shows.
    void showPageHeader();
    // Fills the page selector, showing page `selected` (or the one shown before).
    void fillPageSelector(std::optional<int> selected);
    // Shows page index in the selector without reporting it.
    void showPage(int index);

signals:
    // The user chose page index in the selector.
    void pageActivated(int index);

private:
    const TIGSc& menu() const;
    const TPage* shownPage() const;
    void editPage(const QString& name, const std::function<bool(TIGSc&, std::size_t)>& edit);
    void heDefSelButtExit();
    void heDefActButtExit();
    void hePaletteExit();
    void heUO1Exit();
    void heUO2Exit();
    void ieFramerateExit();
    void eUTOExit();

    Document& doc_;
    Log& log_;
    QGroupBox* gInfo_;
    QComboBox* cbVideoSize_;
    QComboBox* cbFrameRate_;
    QLineEdit* eUserTimeout_;
    QLineEdit* eInTime_;
    QGroupBox* gPage_;
    QComboBox* cbPage_;
    QLabel* lPageCount_;
    QGroupBox* gPageHeader_;
    THexEdit* heDefSelButt_;
    THexEdit* heDefActButt_;
    THexEdit* hePalette_;
    THexEdit* heUO1_;
    THexEdit* heUO2_;
    TIntEdit* ieFramerate_;
    QLabel* lPageCounts_;
    QGroupBox* gObjPal_;
};

// A reference of the page that names no button: a warning in the status bar.
void warnReferences(const Document& doc, Log& log, int page);

}  // namespace navora::ui
