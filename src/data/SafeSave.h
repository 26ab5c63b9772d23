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

// Every path here is a program's file name (FileNames.h): bytes that are not
// UTF-8 are kept. A reason is a sentence for the user; a path in it is shown
// with DisplayFileName.

// Finds the image as the kernel resolves path, checks that it is a regular file
// long enough to hold both tables and at most MaximumImageSize long ("The
// file is larger than any Corvantis image (N bytes)."), and reads only the
// tables. On failure identity is left alone and reason says why.
bool ReadImage(const QString &path, ImageIdentity &identity, QString &reason);

// Whether the file at identity's path could be saved but is no longer what
// identity describes: another file in its place, another length, or other
// bytes in its tables. A file that is gone or unreadable is not "changed":
// saving it fails with its own reason.
bool ChangedSince(const ImageIdentity &identity);

// Writes regions into the image at path: all of it copied in bounded pieces
// into a temporary file beside it (".NAME.XXXXXXXX.corvantis"; ones that an
// earlier save left are removed), flushed and renamed over it, keeping its
// mode, owner and extended attributes; or, where a new file cannot be made
// the same (hard links, owner, folder), the regions written in place after a
// backup copy and a journal in the cache folder (see InterruptedSave), with
// set-id bits and file capabilities given back. Never creates, lengthens or
// shortens a file; refuses a file no one may write by its mode ("The file is
// read-only.").
//
// The save holds an advisory lock on the image from its checks to the
// rename, so that two saves of this program never interleave. Under it the
// file must still be expected's (when given): the same file under path, the
// same length and tables; else "The image was changed by another program
// since it was opened." and nothing is written ("The file was removed or
// replaced after it was opened." when path names nothing or no regular file).
//
// On success saved describes the file as written, and warning (when given)
// tells what the user must still hear: the folder could not be flushed after
// the rename, or another program wrote to the image just before it (its
// version is kept in the cache folder, and the warning names it).
bool WriteImage(const QString &path, const Regions &regions, const ImageIdentity *expected,
                const SaveHooks &hooks, ImageIdentity &saved, QString &reason,
                QString *warning = nullptr);

// Save As: the whole image that source describes (which must still be what
// it describes) copied to target, a new file or an existing regular one, with
// regions written in, by the same rules as WriteImage (an existing target is
// replaced by rename or written in place, and keeps what it had); saved then
// describes target. A target that is not a regular file is refused ("PATH is
// not a regular file.").
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

// Reads a whole regular file of at most limit bytes; reason says why not (a
// pipe, a device or a folder is refused, never waited on).
bool ReadFile(const QString &path, qint64 limit, QByteArray &bytes, QString &reason);

// Writes bytes to path, a new file or an existing regular one, by the rules
// of WriteImage, so that a failure leaves what was there; an existing file
// keeps its mode, owner, attributes and links. Anything else at path is
// refused ("PATH is not a regular file.").
bool WriteFile(const QString &path, const QByteArray &bytes, QString &reason,
               QString *warning = nullptr);

// An in-place save of an image that did not finish: the copy made before it
// and the journal that names both (and the image's path, device and inode),
// in the cache folder. A save that completes removes both.
struct InterruptedSave {
    QString backup;
    QString journal;
    bool isValid() const { return !journal.isEmpty(); }
};
// The interrupted save of the image identity describes, if there is one; not
// one that another process of this program is still making.
InterruptedSave FindInterruptedSave(const ImageIdentity &image);
// Puts the copy back into the image, in place through the safe writer, then
// removes copy and journal; image (which must still describe the file) then
// describes it as restored.
bool RestoreInterruptedSave(const InterruptedSave &save, ImageIdentity &image, QString &reason);

} // namespace corvantis
