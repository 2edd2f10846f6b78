#pragma once
// The "AppInfoPlayList" group of the playlist tab: the playback type and
// count, the three flags, the two UO mask words as hexadecimal fields and the
// 33 UO check boxes derived from them. It shows the document's playlist and
// changes it only through the document.

#include "ui/app/document.h"

#include <QGroupBox>

#include <array>

class QCheckBox;
class QComboBox;

namespace navora {
class Log;
}

namespace navora::ui {

class TIntEdit;
class THexEdit;

class AppInfoView : public QGroupBox {
    Q_OBJECT
public:
    AppInfoView(Document& doc, Log& log, QWidget* parent = nullptr);

    QComboBox* cbAIpbt() const { return cbAIpbt_; }
    TIntEdit* ieAIpbc() const { return ieAIpbc_; }
    QCheckBox* cbAIRA() const { return cbAIRA_; }
    QCheckBox* cbAIAM() const { return cbAIAM_; }
    QCheckBox* cbAIBM() const { return cbAIBM_; }
    THexEdit* heAIUO() const { return heAIUO_; }
    THexEdit* heAIUO2() const { return heAIUO2_; }
    // The UO boxes in the order of uoBoxes(): bits 31 to 0 of the first word, then bit 30 of the second.
    QCheckBox* uoBox(std::size_t i) const { return uoBoxes_.at(i); }

public slots:
    // Shows the document's AppInfoPlayList (empty and disabled without a playlist).
    void refresh();

private:
    void storeWord(int word);
    bool loaded() const;

    Document& doc_;
    Log& log_;
    QComboBox* cbAIpbt_;
    TIntEdit* ieAIpbc_;
    QCheckBox* cbAIRA_;
    QCheckBox* cbAIAM_;
    QCheckBox* cbAIBM_;
    THexEdit* heAIUO_;
    THexEdit* heAIUO2_;
    std::array<QCheckBox*, 33> uoBoxes_{};
};

}  // namespace navora::ui
