#include "ui/widgets/clipboard.h"

#include "nav/edit.h"

#include <QApplication>
#include <QClipboard>
#include <QMimeData>

namespace navora::ui {

QMimeData* commandsMimeData(const TCommands& commands) {
    auto* data = new QMimeData;
    const Bytes words = programListBinary(commands);
    data->setData(QLatin1String(kCommandsMimeType),
                  QByteArray(reinterpret_cast<const char*>(words.data()), static_cast<qsizetype>(words.size())));
    data->setText(QString::fromStdString(programListRows(commands)));
    return data;
}

void putCommandsOnClipboard(const TCommands& commands) {
    if (commands.empty()) return;
    QApplication::clipboard()->setMimeData(commandsMimeData(commands));
}

ClipboardCommands commandsFromMimeData(const QMimeData* data) {
    ClipboardCommands r;
    if (!data) return r;
    if (data->hasFormat(QLatin1String(kCommandsMimeType))) {
        const QByteArray words = data->data(QLatin1String(kCommandsMimeType));
        const auto n = static_cast<std::size_t>(words.size()) / 12;
        if (words.size() % 12 != 0 || n > kMaxCommands) {
            r.error = QStringLiteral("The clipboard's commands are damaged (%1 bytes).").arg(words.size());
            return r;
        }
        const auto* b = reinterpret_cast<const unsigned char*>(words.constData());
        r.commands.resize(n);
        for (std::size_t i = 0; i < n; ++i)
            for (std::size_t k = 0; k < 3; ++k) {
                const unsigned char* p = b + 12 * i + 4 * k;
                r.commands[i].w[k] = (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) |
                                     (std::uint32_t{p[2]} << 8) | std::uint32_t{p[3]};
            }
        return r;
    }
    if (data->hasText()) {
        const std::string text = data->text().toStdString();
        ProgramListParse parsed = parseProgramList(text);
        if (parsed.badLine != 0)
            r.error = QStringLiteral("Nothing pasted: the clipboard's ") + QString::fromStdString(parsed.error) + '.';
        else if (parsed.commands.empty() && !data->text().trimmed().isEmpty())
            r.error = QStringLiteral("Nothing pasted: the clipboard holds no command.");
        r.commands = std::move(parsed.commands);
    }
    return r;
}

QString takeCommandsFromClipboard() {
    ClipboardCommands c = commandsFromMimeData(QApplication::clipboard()->mimeData());
    if (!c.error.isEmpty()) return c.error;
    if (!c.commands.empty()) commandClipboard().commands = std::move(c.commands);
    return {};
}

QString pastedStatus(std::size_t count) {
    return QStringLiteral("%1 command(s) pasted").arg(count);
}

}  // namespace navora::ui
