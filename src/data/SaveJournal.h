#pragma once

// The backup and journal of a write in place, in the user's cache folder:
// until the journal is gone, the copy made before the write can be put back.
// Internal to src/data.
#include "data/Platform.h"
#include "data/SafeSave.h"

namespace corvantis::journal {

struct Backup {
    platform::Handle folder;
    QString folderPath;
    QString name;    // the copy's, in folder
    QString journal; // the journal's, once written
    QByteArray hash; // of the file as copied
    QString path() const { return folderPath + QLatin1Char('/') + name; }
};

// Copies the file at path (open as file) into the cache folder, then writes
// the journal naming both; each flushed, with the folder.
bool Begin(const platform::Handle &file, const platform::Status &status, const QString &path,
           const SaveHooks &hooks, Backup &backup, QString &reason);
// Removes the journal, then the copy; false when that could not be flushed.
bool End(Backup &backup);
// Removes the copies that earlier writes of this file left without a journal
// (stopped before one was written).
void RemoveStale(const platform::Status &status);
// A new file in the cache folder, for a copy the user is told of.
bool CreateInCache(const QString &suffix, const QString &name, platform::Handle &file,
                   QString &path, QString &reason);

} // namespace corvantis::journal
