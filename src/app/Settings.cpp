#include "app/Settings.h"

#include <QSettings>
#include <QVariant>
#include <limits>

namespace veltrin::app {

namespace {
constexpr const char* kOrganisation = "Veltrin";
constexpr const char* kApplication = "Veltrin";

QSettings Store() { return QSettings(kOrganisation, kApplication); }

// A whole number, or fallback when the stored value is not one or lies outside [lo, hi].
int ReadInt(QSettings& s, const char* key, int fallback, int lo, int hi) {
    QVariant v = s.value(key);
    if (!v.isValid()) return fallback;
    // A list or a map is never a number (QVariant would turn some of them into 0).
    if (v.typeId() == QMetaType::QStringList || v.typeId() == QMetaType::QVariantList ||
        v.typeId() == QMetaType::QVariantMap)
        return fallback;
    bool ok = false;
    qlonglong n = v.toString().trimmed().toLongLong(&ok);
    if (!ok) return fallback;
    if (n < lo || n > hi) return fallback;
    return static_cast<int>(n);
}

QString ReadText(QSettings& s, const char* key) {
    QVariant v = s.value(key);
    if (!v.isValid() || v.typeId() != QMetaType::QString) return {};
    return v.toString();
}
}  // namespace

void CSettings::Load() {
    QSettings s = Store();
    s.beginGroup("Global");
    port = ReadInt(s, "Port", kDefaultPort, kMinPort, kMaxPort);
    language = ReadInt(s, "Language", kDefaultLanguage, std::numeric_limits<int>::min(),
                       std::numeric_limits<int>::max());
    for (int i = 0; i < kBindablePorts; ++i) {
        // An empty or blank device is no binding (the default device), never a path of its own.
        portDevice[i] = ReadText(s, QStringLiteral("Port%1Device").arg(i + 1).toUtf8().constData());
        if (portDevice[i].trimmed().isEmpty()) portDevice[i].clear();
    }
    s.endGroup();

    recentFiles.clear();
    s.beginGroup("Recent File List");
    for (int i = 1; i <= kRecentFiles; ++i) {
        QString file = ReadText(s, QStringLiteral("File%1").arg(i).toUtf8().constData());
        if (!file.isEmpty() && !recentFiles.contains(file)) recentFiles << file;
    }
    s.endGroup();
}

void CSettings::SavePort(int n) {
    port = n;
    QSettings s = Store();
    s.setValue("Global/Port", n);
}

void CSettings::SaveLanguage(int index) {
    QSettings s = Store();
    s.setValue("Global/Language", index);
}

void CSettings::SavePortDevice(int n, const QString& path) {
    if (n < 1 || n > kBindablePorts) return;
    portDevice[n - 1] = path;
    QSettings s = Store();
    const QString key = QStringLiteral("Global/Port%1Device").arg(n);
    if (path.isEmpty()) s.remove(key);
    else s.setValue(key, path);
}

void CSettings::SaveRecentFiles(const QStringList& files) {
    recentFiles = files.mid(0, kRecentFiles);
    QSettings s = Store();
    s.beginGroup("Recent File List");
    for (int i = 1; i <= kRecentFiles; ++i) {
        const QString key = QStringLiteral("File%1").arg(i);
        if (i <= recentFiles.size()) s.setValue(key, recentFiles[i - 1]);
        else s.remove(key);
    }
    s.endGroup();
}

}  // namespace veltrin::app
