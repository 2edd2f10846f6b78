#include "ui/app/settings.h"

#include "ui/widgets/widgets.h"

#include <QAbstractButton>
#include <QLineEdit>

#include <algorithm>
#include <limits>

namespace navora::ui {

QColor colourFromWin(std::uint32_t v) {
    if (v & 0xFF000000u) return {};
    return QColor(static_cast<int>(v & 0xFF), static_cast<int>((v >> 8) & 0xFF), static_cast<int>((v >> 16) & 0xFF));
}

std::uint32_t winFromColour(const QColor& c) { return winColour(c.red(), c.green(), c.blue()); }

namespace {

// Calls f(name, member) for every stored value in the order of the store's table.
template <class S, class F>
void forEachValue(S& s, F&& f) {
    f("WindowState", s.windowState);
    f("Top", s.top);
    f("Left", s.left);
    f("Width", s.width);
    f("Height", s.height);
    f("BDMVdir", s.bdmvDir);
    f("BackgroundPic", s.backgroundPic);
    f("OutputFolder", s.outputFolder);
    f("AutoRead", s.autoRead);
    f("Backup", s.backup);
    f("SaveBACKUP", s.saveBackup);
    f("BackupInDiscTree", s.backupInDiscTree);
    f("BackupMode", s.backupMode);
    f("Region", s.region);
    f("ObjectHeight", s.objectHeight);
    f("PlayListHeight", s.playListHeight);
    f("SubPathHeight", s.subPathHeight);
    f("PlayListMarkHeight", s.playListMarkHeight);
    f("ChapterFormat", s.chapterFormat);
    f("ProgramFormat", s.programFormat);
    f("SavePES", s.savePES);
    f("SaveSUP", s.saveSUP);
    f("SaveMNU", s.saveMNU);
    f("ButtonId", s.buttonId);
    f("ObjectId", s.objectId);
    f("ButtonFrame", s.buttonFrame);
    f("WindowFrame", s.windowFrame);
    f("ForcedBeep", s.forcedBeep);
    f("PreLoad", s.preLoad);
    f("ShowInEffects", s.showInEffects);
    f("ShowOutEffects", s.showOutEffects);
    f("ShowButtonAnimation", s.showButtonAnimation);
    f("ShowFullScreen", s.showFullScreen);
    f("ColourMatrix", s.colourMatrix);
    f("Background", s.background);
    f("RealPSRs", s.realPSRs);
    f("PlaySound", s.playSound);
    f("Associate", s.associate);
    f("8.3names", s.names83);
    f("colBackground", s.colBackground);
    f("colObjectBackground", s.colObjectBackground);
    f("colSelectedButton", s.colSelectedButton);
    f("colSelectedFrame", s.colSelectedFrame);
    f("colNormalButton", s.colNormalButton);
    f("colNormalFrame", s.colNormalFrame);
    f("colInvalidButton", s.colInvalidButton);
    f("colInvalidFrame", s.colInvalidFrame);
    f("colWindow", s.colWindow);
    f("ActiDelay", s.actiDelay);
    f("CountryCode", s.countryCode);
}

bool isGeometry(const QString& name) {
    return name == QLatin1String("Top") || name == QLatin1String("Left") || name == QLatin1String("Width") ||
           name == QLatin1String("Height");
}

// Each reader returns false when the stored value cannot be taken as that type.
bool fromVariant(const QVariant& v, int& out) {
    if (v.typeId() == QMetaType::Bool) return false;
    bool ok = false;
    const int n = v.toInt(&ok);
    if (ok) out = n;
    return ok;
}

bool fromVariant(const QVariant& v, std::uint32_t& out) {
    // Colours are 32-bit integers; system colours are negative as signed values.
    bool ok = false;
    const qlonglong n = v.toLongLong(&ok);
    if (!ok || n < std::numeric_limits<std::int32_t>::min() || n > std::numeric_limits<std::uint32_t>::max())
        return false;
    out = static_cast<std::uint32_t>(n);
    return true;
}

bool fromVariant(const QVariant& v, bool& out) {
    if (v.typeId() == QMetaType::Bool) {
        out = v.toBool();
        return true;
    }
    const QString t = v.toString().trimmed().toLower();
    if (t == QLatin1String("true")) {
        out = true;
        return true;
    }
    if (t == QLatin1String("false")) {
        out = false;
        return true;
    }
    bool ok = false;
    const int n = t.toInt(&ok);
    if (ok) out = n != 0;
    return ok;
}

bool fromVariant(const QVariant& v, QString& out) {
    if (!v.canConvert<QString>() || v.typeId() == QMetaType::QStringList) return false;
    out = v.toString();
    return true;
}

QVariant toVariant(int v) { return v; }
QVariant toVariant(bool v) { return v; }
QVariant toVariant(const QString& v) { return v; }
// Stored as a signed 32-bit integer, as the store's integer values are.
QVariant toVariant(std::uint32_t v) { return static_cast<int>(static_cast<std::int32_t>(v)); }

}  // namespace

QStringList readSettings(QSettings& store, Settings& s, const QString& versionText) {
    QStringList wrong;
    if (store.allKeys().isEmpty()) return wrong;
    forEachValue(s, [&](const char* name, auto& member) {
        const QVariant v = store.value(QLatin1String(name));
        if (!v.isValid()) return;
        if (!fromVariant(v, member)) wrong << QLatin1String(name);
    });
    store.setValue(QStringLiteral("Version"), versionText);
    return wrong;
}

void writeSettings(QSettings& store, const Settings& s, const QString& versionText) {
    const bool maximised = s.windowState == 2;
    forEachValue(s, [&](const char* name, const auto& member) {
        if (maximised && isGeometry(QLatin1String(name))) return;
        store.setValue(QLatin1String(name), toVariant(member));
    });
    store.setValue(QStringLiteral("Version"), versionText);
    store.sync();
}

std::unique_ptr<QSettings> openSettingsStore() {
    return std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope,
                                       QLatin1String(kSettingsOrganisation), QLatin1String(kSettingsApplication));
}

template <class T>
QString settingsValueName(T Settings::*member) {
    // The value whose member lies where this one does.
    Settings s;
    const void* wanted = &(s.*member);
    QString found;
    forEachValue(s, [&](const char* name, auto& m) {
        if (static_cast<const void*>(&m) == wanted) found = QLatin1String(name);
    });
    return found;
}

template QString settingsValueName(bool Settings::*);
template QString settingsValueName(int Settings::*);
template QString settingsValueName(QString Settings::*);
template QString settingsValueName(std::uint32_t Settings::*);

template <class T>
void SettingsBinder::add(T Settings::*value, std::function<void(const Settings&)> load,
                         std::function<void(Settings&)> store) {
    bindings_.push_back({settingsValueName(value), std::move(load), std::move(store)});
}

void SettingsBinder::bind(QAbstractButton* box, bool Settings::*value) {
    add(value, [box, value](const Settings& s) { box->setChecked(s.*value); },
        [box, value](Settings& s) { s.*value = box->isChecked(); });
}

void SettingsBinder::bind(RadioGroup* group, int Settings::*value) {
    add(value, [group, value](const Settings& s) { group->setItemIndex(s.*value); },
        [group, value](Settings& s) {
            if (group->itemIndex() >= 0) s.*value = group->itemIndex();
        });
}

void SettingsBinder::bind(QLineEdit* field, QString Settings::*value) {
    add(value, [field, value](const Settings& s) { field->setText(s.*value); },
        [field, value](Settings& s) { s.*value = field->text(); });
}

void SettingsBinder::bind(TIntEdit* field, int Settings::*value) {
    add(value, [field, value](const Settings& s) { field->setValue(s.*value); },
        [field, value](Settings& s) {
            s.*value = static_cast<int>(std::clamp<std::int64_t>(field->value(), std::numeric_limits<int>::min(),
                                                                 std::numeric_limits<int>::max()));
        });
}

void SettingsBinder::bind(THexEdit* field, int Settings::*value) {
    add(value, [field, value](const Settings& s) { field->setValue(static_cast<std::uint32_t>(s.*value)); },
        [field, value](Settings& s) { s.*value = static_cast<int>(field->value()); });
}

void SettingsBinder::bind(ColourBox* box, std::uint32_t Settings::*value) {
    add(value, [box, value](const Settings& s) { box->setValue(s.*value); },
        [box, value](Settings& s) { s.*value = box->value(); });
}

void SettingsBinder::load(const Settings& s) const {
    for (const Binding& b : bindings_) b.load(s);
}

void SettingsBinder::store(Settings& s) const {
    for (const Binding& b : bindings_) b.store(s);
}

QStringList SettingsBinder::boundValues() const {
    QStringList out;
    for (const QString& name : settingsValueNames())
        for (const Binding& b : bindings_)
            if (b.name == name && !out.contains(name)) out << name;
    return out;
}

QStringList settingsValueNames() {
    QStringList names;
    Settings s;
    forEachValue(s, [&](const char* name, auto&) { names << QLatin1String(name); });
    return names;
}

}  // namespace navora::ui
