#pragma once
// The execution panel of the bottom bar: "Start", "Trace", the movie object
// chooser (the button chooser on the menu tab) and the program line.

#include <QWidget>

class QCheckBox;
class QComboBox;
class QPushButton;

namespace navora::ui {

class TIntEdit;

class ExecPanel : public QWidget {
    Q_OBJECT
public:
    explicit ExecPanel(QWidget* parent = nullptr);

    QPushButton* bStart() const { return bStart_; }
    QCheckBox* cbTrace() const { return cbTrace_; }
    // Movie objects as 4-digit numbers (BDMV tab).
    QComboBox* cbObject() const { return cbObject_; }
    // The button chooser of the menu tab; hidden on the BDMV tab.
    QComboBox* cbButton() const { return cbButton_; }
    TIntEdit* ieProgramLine() const { return ieProgramLine_; }

    // Fills the object chooser with 0000 .. count - 1.
    void setObjectCount(int count);
    // Selects an object in the chooser without reporting it.
    void selectObject(int object);
    // The last line the 4-digit box can show.
    static constexpr int kMaxProgramLine = 9999;
    // Shows the program line with 4 digits; a line above kMaxProgramLine
    // (past the end of every program) leaves the box empty.
    void showProgramLine(int line);
    // The BDMV tab shows the object chooser, the menu tab the button chooser.
    void setMenuMode(bool menu);
    // Start's caption is bold while a trace is in progress.
    void setTraceInProgress(bool on);

signals:
    // The user chose an object in the chooser.
    void objectChosen(int object);
    // The program line box was left with this value.
    void programLineEntered(int line);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QPushButton* bStart_;
    QCheckBox* cbTrace_;
    QComboBox* cbObject_;
    QComboBox* cbButton_;
    TIntEdit* ieProgramLine_;
};

}  // namespace navora::ui
