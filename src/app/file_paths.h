#pragma once

// File names as the shell handles them: bytes, as the system keeps them. A name need not be
// UTF-8 (older systems and other locales make such names), and QString would turn each byte
// it cannot decode into U+FFFD, naming another file; so paths stay std::string, and only the
// texts the user sees go through QString.

#include <QString>
#include <string>

class QUrl;

namespace quorbel {

// The last component of `path`: "take.wav" of "/a/take.wav".
std::string fileNameOf(const std::string& path);
// The path with its links resolved when the file is there, else made absolute and tidied.
std::string canonicalPath(const std::string& path);
// Whether `path` names something that is there (a dangling link is not).
bool pathExists(const std::string& path);
// Whether the file name of `path` has no extension ("take" or "take.").
bool lacksExtension(const std::string& path);

// The bytes of a path a file dialog gave as text. The dialog shows a name that is not UTF-8
// with U+FFFD, and gives it back so; each such component is matched against the real entries
// of its folder, and taken as it is when none or more than one of them reads the same.
std::string pathFromDialog(const QString& chosen);

// The bytes of the local file a dropped URL names (its percent-escapes may hold any byte).
std::string pathFromUrl(const QUrl& url);

}  // namespace quorbel
