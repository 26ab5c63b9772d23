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

// Steps of a save that tests make fail, or stop dead. Each is called just
// before its step; returning false fails the step with the errno the hook
// leaves (EIO if none).
struct SaveHooks {
    std::function<bool(qint64 offset)> writeChunk; // each write into the file, its copy or backup
    std::function<bool()> flush;                   // each flush of a file to disk
    std::function<bool()> createTemporary;         // the copy beside the file
    std::function<bool()> journal;                 // the journal naming the backup
    std::function<bool()> rename;                  // the copy renamed over the file
    std::function<bool()> flushFolder;             // the folder flushed after the rename
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
//
// warning (when given) is set when the save succeeded but the user must hear
// of something, e.g. that the folder could not be flushed.
bool WriteImage(const QString &path, const Regions &regions, const ImageIdentity *expected,
                const SaveHooks &hooks, ImageIdentity &saved, QString &reason,
                QString *warning = nullptr);

// Save As: the whole image that source describes (which must still be what
// it describes) copied to target, a new file or an existing regular one, with
// regions written in; saved then describes target.
bool CopyImage(const ImageIdentity &source, const QString &target, const Regions &regions,
               const SaveHooks &hooks, ImageIdentity &saved, QString &reason,
               QString *warning = nullptr);

// What a path names, as the kernel resolves it: two names of one file are
// equal. exists is false when the path names nothing (yet).
struct FileId {
    bool exists = false;
    quint64 device = 0;
    quint64 inode = 0;
    bool operator==(const FileId &o) const {
        return exists && o.exists && device == o.device && inode == o.inode;
    }
    bool operator!=(const FileId &o) const { return !(*this == o); }
};
FileId IdentityOf(const QString &path);
inline FileId IdentityOf(const ImageIdentity &image) {
    return {image.isValid(), image.device, image.inode};
}

// Reads a whole regular file of at most limit bytes; reason says why not.
bool ReadFile(const QString &path, qint64 limit, QByteArray &bytes, QString &reason);

// Writes bytes to path, a new file or an existing regular one, so that a
// failure leaves what was there; an existing file keeps its mode, owner,
// attributes and links.
bool WriteFile(const QString &path, const QByteArray &bytes, QString &reason,
               QString *warning = nullptr);

// An in-place save of an image that did not finish: the copy made before it
// and the journal that names both.
struct InterruptedSave {
    QString backup;
    QString journal;
    bool isValid() const { return !journal.isEmpty(); }
};
// The interrupted save of the image identity describes, if there is one.
InterruptedSave FindInterruptedSave(const ImageIdentity &image);
// Puts the copy back into the image, in place through the safe writer, then
// removes copy and journal; image (which must still describe the file) then
// describes it as restored.
bool RestoreInterruptedSave(const InterruptedSave &save, ImageIdentity &image, QString &reason);

} // namespace corvantis
