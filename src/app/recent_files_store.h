#pragma once

// The list of recent files kept between runs, in the user's configuration folder.

#include <QString>
#include <string>

#include "framework/recent_file_list.h"

namespace quorbel {

class RecentFilesStore {
  public:
    // Keeps the list in the settings file `fileName`; without one (--no-settings, tests) the
    // list lives in memory only and nothing is read or written.
    explicit RecentFilesStore(QString fileName = {});

    // quorbel/quorbel.conf in the user's configuration folder ($XDG_CONFIG_HOME, else
    // ~/.config).
    static QString userFileName();

    // Reads the list again, taking in what other running copies of the program wrote. A file
    // that is missing, unreadable, damaged or no file at all gives what is valid in it, or
    // nothing.
    void reload();
    // Puts `path` first (see RecentFileList::add) and writes the list.
    void add(const std::string& path);
    // Takes `path` off the list and writes it.
    void remove(const std::string& path);

    const RecentFileList& list() const { return list_; }
    const QString& fileName() const { return fileName_; }

  private:
    void write();

    QString fileName_;
    RecentFileList list_;
    bool warned_ = false;  // a file that cannot be written is reported once
};

}  // namespace quorbel
