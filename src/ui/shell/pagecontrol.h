#pragma once
// The main window's tab row, drawn by the window itself: bold captions in
// dark blue on the active tab and slate on the others, the accelerator letter
// underlined on inactive tabs, and an orange strip across the active tab.
// The caption colours keep their contrast on a dark button face.

#include <QTabBar>
#include <QTabWidget>

namespace navora::ui {

class TabBar : public QTabBar {
    Q_OBJECT
public:
    static constexpr QRgb kActiveText = 0xFF000088;    // RGB 0,0,136
    static constexpr QRgb kInactiveText = 0xFF666699;  // RGB 102,102,153
    static constexpr QRgb kActiveStrip = 0xFFFFBB00;   // RGB 255,187,0

    explicit TabBar(QWidget* parent = nullptr);

protected:
    QSize tabSizeHint(int index) const override;
    void paintEvent(QPaintEvent* e) override;

private:
    QFont captionFont() const;
};

class PageControl : public QTabWidget {
    Q_OBJECT
public:
    explicit PageControl(QWidget* parent = nullptr);
    TabBar* navTabBar() const { return bar_; }

private:
    TabBar* bar_;
};

}  // namespace navora::ui
