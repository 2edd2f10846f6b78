#include "ui/shell/association.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSaveFile>
#include <QStandardPaths>

namespace navora::ui {

namespace {

QByteArray resource(const QString& name) {
    QFile f(QStringLiteral(":/navora/") + name);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Writes content to path unless it already holds exactly that. Returns
// whether the file was written; error receives what failed.
bool writeIfChanged(const QString& path, const QByteArray& content, QStringList& written, QString& error) {
    QFile existing(path);
    if (existing.open(QIODevice::ReadOnly) && existing.readAll() == content) return false;
    existing.close();
    if (!QDir().mkpath(QFileInfo(path).absolutePath())) {
        error = QStringLiteral("cannot create the folder of %1").arg(path);
        return false;
    }
    QSaveFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(content) != content.size() || !f.commit()) {
        error = QStringLiteral("cannot write %1: %2").arg(path, f.errorString());
        return false;
    }
    written << path;
    return true;
}

// Runs a desktop database tool when it is installed; its failure is not ours.
void runTool(const QString& tool, const QString& folder) {
    const QString exe = QStandardPaths::findExecutable(tool);
    if (exe.isEmpty()) return;
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(exe, {folder});
    p.waitForFinished(15000);
}

// An Exec argument in double quotes: ", `, $ and \ are escaped, and the
// backslashes once more for the desktop entry's string escapes.
QString quotedExecArgument(const QString& path) {
    QString out;
    for (QChar c : path) {
        if (c == QLatin1Char('"') || c == QLatin1Char('`') || c == QLatin1Char('$')) out += QStringLiteral("\\\\");
        if (c == QLatin1Char('\\')) out += QStringLiteral("\\\\\\");
        out += c;
    }
    return QLatin1Char('"') + out + QLatin1Char('"');
}

}  // namespace

QString desktopEntry(const QString& programPath) {
    return QStringLiteral(
               "[Desktop Entry]\n"
               "Type=Application\n"
               "Name=Navora\n"
               "GenericName=Blu-ray BDMV editor\n"
               "Comment=Edit the navigation and presentation structures of a Blu-ray BDMV folder\n"
               "Exec=%1 %f\n"
               "Icon=navora\n"
               "Terminal=false\n"
               "Categories=AudioVideo;Video;AudioVideoEditing;\n"
               "MimeType=%2;\n")
        .arg(quotedExecArgument(programPath), QLatin1String(kBdmvMimeType));
}

QString withBdmvDefault(const QString& mimeapps) {
    const QString section = QStringLiteral("[Default Applications]");
    const QString key = QLatin1String(kBdmvMimeType) + QLatin1Char('=');
    const QString line = key + QLatin1String(kDesktopFile);
    QStringList lines = mimeapps.split(QLatin1Char('\n'));
    if (!lines.isEmpty() && lines.back().isEmpty()) lines.removeLast();
    int start = -1;
    for (int i = 0; i < lines.size(); ++i)
        if (lines[i].trimmed() == section) {
            start = i;
            break;
        }
    if (start < 0) {
        if (!lines.isEmpty() && !lines.back().trimmed().isEmpty()) lines << QString();
        lines << section << line;
        return lines.join(QLatin1Char('\n')) + QLatin1Char('\n');
    }
    int end = start + 1;
    while (end < lines.size() && !lines[end].trimmed().startsWith(QLatin1Char('['))) ++end;
    for (int i = start + 1; i < end; ++i)
        if (lines[i].trimmed().startsWith(key)) {
            lines[i] = line;
            return lines.join(QLatin1Char('\n')) + QLatin1Char('\n');
        }
    // After the section's last value line, before the blank lines that close it.
    int at = end;
    while (at > start + 1 && lines[at - 1].trimmed().isEmpty()) --at;
    lines.insert(at, line);
    return lines.join(QLatin1Char('\n')) + QLatin1Char('\n');
}

AssociationReport associateBdmv(const QString& programPath) {
    AssociationReport r;
    const QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    const QString config = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    if (data.isEmpty() || config.isEmpty()) {
        r.error = QStringLiteral("no user data or configuration folder");
        return r;
    }
    const QString mimeFolder = data + QStringLiteral("/mime");
    const QString appFolder = data + QStringLiteral("/applications");
    const bool mimeChanged = writeIfChanged(mimeFolder + QStringLiteral("/packages/navora-bdmv.xml"),
                                            resource(QStringLiteral("navora-bdmv.xml")), r.written, r.error);
    const bool entryChanged = writeIfChanged(appFolder + QLatin1Char('/') + QLatin1String(kDesktopFile),
                                             desktopEntry(programPath).toUtf8(), r.written, r.error);
    writeIfChanged(data + QStringLiteral("/icons/hicolor/scalable/apps/navora.svg"), resource(QStringLiteral("navora.svg")),
                   r.written, r.error);
    const QString mimeapps = config + QStringLiteral("/mimeapps.list");
    QString current;
    if (QFile f(mimeapps); f.open(QIODevice::ReadOnly)) current = QString::fromUtf8(f.readAll());
    writeIfChanged(mimeapps, withBdmvDefault(current).toUtf8(), r.written, r.error);
    if (mimeChanged) runTool(QStringLiteral("update-mime-database"), mimeFolder);
    if (entryChanged) runTool(QStringLiteral("update-desktop-database"), appFolder);
    return r;
}

}  // namespace navora::ui
