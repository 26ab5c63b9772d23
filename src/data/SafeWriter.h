#pragma once

// The one writer behind every file the program writes (images, Save As,
// exports, patches); SafeSave.h is its face. Internal to src/data.
#include "data/Platform.h"
#include "data/SafeSave.h"

#include <QByteArray>
#include <QString>

namespace corvantis::writer {

// Files are copied in pieces of this size: memory stays flat in a file's size.
constexpr qint64 ChunkSize = 64 * 1024;

// What a write puts into its target: the bytes of the target itself, of
// another open file or of memory, with regions written over them.
struct Content {
    enum Source { Target, File, Bytes };
    Source source = Bytes;
    const platform::Handle *file = nullptr; // File
    qint64 size = 0;                        // File
    QByteArray bytes;                       // Bytes
    Regions regions;
};

struct Request {
    QString path;
    Content content;
    const ImageIdentity *expected = nullptr; // the target must still be this
    bool create = true;                      // may make a new file
    bool inPlace = false; // keep the very file even where a copy could replace it
    SaveHooks hooks;
};

struct Result {
    bool ok = false;
    QString reason;
    QString warning; // the file was written, but the user must hear this
    QString path;    // the target as the kernel resolved it
    platform::Status written;
    QByteArray tables; // Target: the target's tables as the write found them
};

Result Write(const Request &request);

inline const QString ChangedReason =
    QStringLiteral("The image was changed by another program since it was opened.");
inline const QString GoneReason =
    QStringLiteral("The file was removed or replaced after it was opened.");
QString SystemReason(int error); // a full disk in the program's words, the rest in the system's
QString FolderReason(const QString &folder);
QString ShortReason();
QString LargeReason(qint64 size);
QString NotRegularReason(const QString &path);

// Pieces shared with the journal of in-place writes.
bool HookAllows(const std::function<bool()> &hook);
bool HookAllows(const std::function<bool(qint64)> &hook, qint64 offset);
// Reads size bytes at offset; a file that ends first fails with errno 0.
bool ReadExactly(const platform::Handle &file, qint64 offset, char *data, qint64 size);
// Writes content into file, size bytes, piece by piece: a fresh (empty) file
// is sized first and its zero pieces left as holes; an old one gets every
// piece, then its size. target is the write's target, for Content::Target.
// baseHash gets a digest of the bytes the content came from.
bool Produce(const Content &content, const platform::Handle *target, const SaveHooks &hooks,
             const platform::Handle &file, qint64 size, bool fresh, QByteArray &baseHash);
// Copies the first size bytes of from into to, which is empty: zero pieces
// are left as holes, so that a sparse file stays sparse. hash gets a digest of
// what was copied.
bool CopyFile(const platform::Handle &from, qint64 size, const platform::Handle &to,
              const SaveHooks &hooks, QByteArray &hash);
// A digest of the whole file; size is its length as read.
bool HashFile(const platform::Handle &file, QByteArray &hash, qint64 &size);
// A new file of a unique name, prefix + random + suffix, in folder.
bool CreateUnique(const platform::Handle &folder, const QString &prefix, const QString &suffix,
                  bool replacement, platform::Handle &file, QString &name);

} // namespace corvantis::writer
