#include "app/recent_files_store.h"

#include <QByteArray>
#include <QSettings>
#include <QStandardPaths>
#include <QStringList>
#include <QVariant>
#include <cstdio>
#include <utility>
#include <vector>

namespace quorbel {

namespace {

const char* const kKey = "RecentFiles/paths";

// A settings file holds text, and a file name need not be UTF-8: such a name is kept as a
// file URL, whose escapes hold any byte. Every other path is kept as it is, as before; a
// plain entry always starts with '/', so the two never mix up.
constexpr QLatin1String kUrlPrefix("file://");

QString storedForm(const std::string& path) {
    const QString text = QString::fromStdString(path);
    if (text.toStdString() == path) return text;
    const QByteArray bytes(path.data(), static_cast<qsizetype>(path.size()));
    return QString(kUrlPrefix) + QString::fromLatin1(bytes.toPercentEncoding("/"));
}

std::string pathOf(const QString& stored) {
    if (!stored.startsWith(kUrlPrefix)) return stored.toStdString();
    return QByteArray::fromPercentEncoding(stored.mid(kUrlPrefix.size()).toUtf8()).toStdString();
}

}  // namespace

RecentFilesStore::RecentFilesStore(QString fileName) : fileName_(std::move(fileName)) {}

QString RecentFilesStore::userFileName() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/quorbel/quorbel.conf");
}

void RecentFilesStore::reload() {
    if (fileName_.isEmpty()) return;
    const QSettings settings(fileName_, QSettings::IniFormat);
    // One entry is stored as a plain string; anything but text is no list of ours.
    const QVariant value = settings.value(kKey);
    QStringList stored;
    if (value.typeId() == QMetaType::QStringList) stored = value.toStringList();
    if (value.typeId() == QMetaType::QString) stored.append(value.toString());
    std::vector<std::string> paths;
    paths.reserve(static_cast<std::size_t>(stored.size()));
    for (const QString& path : stored) paths.push_back(pathOf(path));
    list_ = RecentFileList(paths);
}

void RecentFilesStore::add(const std::string& path) {
    reload();
    if (list_.add(path)) write();
}

void RecentFilesStore::remove(const std::string& path) {
    reload();
    if (list_.remove(path)) write();
}

void RecentFilesStore::write() {
    if (fileName_.isEmpty()) return;
    QStringList paths;
    for (const std::string& path : list_.paths()) paths.append(storedForm(path));
    QSettings settings(fileName_, QSettings::IniFormat);
    // The file is replaced whole, never left half-written for the next start to read.
    settings.setAtomicSyncRequired(true);
    settings.setValue(kKey, paths);
    settings.sync();
    // (A FormatError only says what reading the old file met; the list is written anyway.)
    if (settings.status() == QSettings::AccessError && !warned_) {
        // The list still works for this run; the next one starts from what the file holds.
        warned_ = true;
        std::fprintf(stderr, "quorbel: cannot write the list of recent files to %s\n",
                     qPrintable(fileName_));
    }
}

}  // namespace quorbel
