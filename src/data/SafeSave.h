#pragma once

#include "data/ImageLayout.h"

#include <QByteArray>
#include <QString>
#include <QtGlobal>

#include <functional>

namespace corvantis {

// Which file an image is, and what its two tables held, as it was loaded or
// last saved. A save writes this file and no other, and only over tables that
// still hold these bytes.
struct ImageIdentity {
    QString path; // as the kernel resolves it: absolute, no links, no "." or ".."
    quint64 device = 0;
    quint64 inode = 0;
    qint64 size = -1;
    QByteArray tables; // the name table, then the record table, as on disk

    bool isValid() const { return !path.isEmpty(); }
};

// Steps of a save that tests make fail. Each is called just before its step;
// returning false fails the step with the errno the hook leaves (EIO if none).
struct SaveHooks {
    std::function<bool(qint64 offset)> writeChunk; // each write into the image or its copy
    std::function<bool()> flush;                   // each flush to disk
    std::function<bool()> createTemporary;         // the copy beside the image
};

// Finds the image as the kernel resolves path, checks that it is a regular file
// long enough to hold both tables, and reads them. On failure identity is left
// alone and reason says why.
bool ReadImage(const QString &path, ImageIdentity &identity, QString &reason);

// Whether the file at identity's path could be saved but is no longer what
// identity describes: another file in its place, another length, or other
// bytes in its tables. A file that is gone or unreadable is not "changed":
// saving it fails with its own reason.
bool ChangedSince(const ImageIdentity &identity);

// Writes regions into the image at path: all of it copied into a
// temporary file beside it, flushed and renamed over it, keeping its mode,
// owner and extended attributes; or, where a new file cannot be made the same
// (hard links, owner, folder), the changed bytes written in place after a
// backup copy in the cache folder. Before anything is written, the file must
// still be expected's (when given); after copying, it must not have changed
// meanwhile. Never creates, lengthens or shortens a file.
//
// The regions may lie only in the two tables. saved is filled once the file holds the new tables,
// also when the final folder flush then fails.
bool WriteImage(const QString &path, const Regions &regions, const ImageIdentity *expected,
                const SaveHooks &hooks, ImageIdentity &saved, QString &reason);

} // namespace corvantis
