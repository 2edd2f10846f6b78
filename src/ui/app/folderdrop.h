#pragma once
// A folder or file dropped onto the main window: taken only when it leads to
// a disc (anything else is refused at the pointer), and read once the drop
// has ended, so that a question about unsaved edits does not hold the drag
// source.

#include <QObject>
#include <QString>

#include <functional>

class QWidget;

namespace navora::ui {

class FolderDrop : public QObject {
    Q_OBJECT
public:
    // Watches window (which accepts drops from now on); open reads a path.
    FolderDrop(QWidget& window, std::function<bool(const QString&)> open);

protected:
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    std::function<bool(const QString&)> open_;
};

}  // namespace navora::ui
