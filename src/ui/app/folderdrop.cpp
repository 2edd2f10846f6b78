#include "ui/app/folderdrop.h"

#include "core/filenames.h"

#include <QDropEvent>
#include <QMimeData>
#include <QTimer>
#include <QUrl>
#include <QWidget>

namespace navora::ui {

namespace {

// The local path of the first URL dropped, or an empty text.
QString droppedPath(const QDropEvent& e) {
    const QMimeData* data = e.mimeData();
    if (!data || !data->hasUrls() || data->urls().isEmpty() || !data->urls().front().isLocalFile()) return {};
    return data->urls().front().toLocalFile();
}

}  // namespace

FolderDrop::FolderDrop(QWidget& window, std::function<bool(const QString&)> open)
    : QObject(&window), open_(std::move(open)) {
    window.setAcceptDrops(true);
    window.installEventFilter(this);
}

bool FolderDrop::eventFilter(QObject* watched, QEvent* e) {
    if (e->type() == QEvent::DragEnter) {
        auto* enter = static_cast<QDragEnterEvent*>(e);
        const QString path = droppedPath(*enter);
        if (!path.isEmpty() && locateBdmvFolder(path.toStdString()).error.empty()) enter->acceptProposedAction();
        return true;
    }
    if (e->type() == QEvent::Drop) {
        auto* drop = static_cast<QDropEvent*>(e);
        const QString path = droppedPath(*drop);
        if (path.isEmpty()) return true;
        drop->acceptProposedAction();
        QTimer::singleShot(0, this, [this, path] { open_(path); });
        return true;
    }
    return QObject::eventFilter(watched, e);
}

}  // namespace navora::ui
