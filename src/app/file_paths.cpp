#include "app/file_paths.h"

#include <QByteArray>
#include <QStringList>
#include <QUrl>
#include <filesystem>
#include <system_error>

namespace quorbel {

namespace fs = std::filesystem;

std::string fileNameOf(const std::string& path) {
    return fs::path(path).filename().string();
}

std::string canonicalPath(const std::string& path) {
    std::error_code error;
    const fs::path canonical = fs::canonical(path, error);
    if (!error) return canonical.string();
    const fs::path absolute = fs::absolute(path, error);
    return error ? path : absolute.lexically_normal().string();
}

bool pathExists(const std::string& path) {
    std::error_code error;
    return fs::exists(path, error);
}

bool lacksExtension(const std::string& path) {
    const std::string name = fileNameOf(path);
    const std::size_t dot = name.rfind('.');
    return dot == std::string::npos || dot + 1 == name.size();
}

std::string pathFromDialog(const QString& chosen) {
    if (!chosen.contains(QChar::ReplacementCharacter)) return chosen.toStdString();
    const QStringList parts = chosen.split(QLatin1Char('/'));
    std::string path;
    for (qsizetype i = 0; i < parts.size(); ++i) {
        if (i > 0) path += '/';
        const QString& part = parts[i];
        std::string bytes = part.toStdString();
        if (part.contains(QChar::ReplacementCharacter)) {
            int matches = 0;
            std::string match;
            std::error_code error;
            for (fs::directory_iterator it(path.empty() ? "." : path, error), end;
                 !error && it != end; it.increment(error)) {
                const std::string name = it->path().filename().string();
                if (QString::fromStdString(name) != part) continue;
                ++matches;
                match = name;
            }
            if (matches == 1) bytes = match;
        }
        path += bytes;
    }
    return path;
}

std::string pathFromUrl(const QUrl& url) {
    // Another host's file keeps Qt's own form of it ("//host/path").
    if (!url.host().isEmpty()) return url.toLocalFile().toStdString();
    const QByteArray bytes =
        QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1());
    return bytes.toStdString();
}

}  // namespace quorbel
