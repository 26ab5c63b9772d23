#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QtGlobal>

// The operating system's file calls that the safe writer needs, and nothing
// else of the system: PlatformPosix.cpp is their one implementation, the one
// file another system's build would replace. Every path and name is a
// program's file name (FileNames.h), turned into the system's bytes here.
// A call that fails returns false and leaves errno set, as the C library does.
namespace corvantis::platform {

// What the system tells of an open file, or of a name.
struct Status {
    enum Kind { Regular, Folder, Other };
    Kind kind = Other;
    quint64 device = 0;
    quint64 inode = 0;
    qint64 size = 0;
    quint32 links = 0;
    bool readOnly = false; // no one may write it by its mode bits, whoever saves
    qint64 modified = 0;   // nanoseconds, as the file system keeps them
    qint64 changed = 0;    // the status change time, likewise

    bool sameFile(const Status &o) const { return device == o.device && inode == o.inode; }
    // Same file, length and times: nobody wrote to it or changed its status.
    bool sameState(const Status &o) const {
        return sameFile(o) && size == o.size && modified == o.modified && changed == o.changed;
    }
};

// An open file or folder, closed when it goes out of scope.
class Handle {
  public:
    Handle() = default;
    Handle(const Handle &) = delete;
    Handle &operator=(const Handle &) = delete;
    Handle(Handle &&o) noexcept : native_(o.native_) { o.native_ = -1; }
    Handle &operator=(Handle &&o) noexcept;
    ~Handle() { reset(); }

    bool isOpen() const { return native_ >= 0; }
    qintptr native() const { return native_; }
    void reset(qintptr native = -1);
    // Closes now, reporting what a late write may report.
    bool close();

  private:
    qintptr native_ = -1;
};

// The path as the system resolves it: absolute, with no link, "." or "..".
bool Resolve(const QString &path, QString &resolved);

// Opens a file for reading, following links, without waiting on a pipe or a
// device.
bool OpenRead(const QString &path, Handle &file);
bool OpenFolder(const QString &path, Handle &folder);
// Opens the file name names in folder, not following a link; writable when
// asked.
bool OpenIn(const Handle &folder, const QString &name, bool writable, Handle &file);
// Creates a new file in folder; fails if name exists. A replacement (a copy
// that is to take a file's place) starts private, and gets that file's mode
// later; any other new file gets the mode the user's settings give.
bool CreateIn(const Handle &folder, const QString &name, bool replacement, Handle &file);

bool StatusOf(const Handle &file, Status &status);
bool StatusIn(const Handle &folder, const QString &name, Status &status); // no link followed
bool StatusOfPath(const QString &path, Status &status);                   // links followed

// Reads up to size bytes; got falls short only at the end of the file.
bool ReadAt(const Handle &file, qint64 offset, char *data, qint64 size, qint64 &got);
bool WriteAt(const Handle &file, qint64 offset, const char *data, qint64 size);
bool Resize(const Handle &file, qint64 size);
// To disk: the data alone, or with the file's status (needed before a
// rename, and for a folder's names).
bool Flush(const Handle &file, bool dataOnly);

// An advisory lock of this program's own saves on a file, held until the
// handle closes. Lock waits for it; TryLock does not.
bool Lock(const Handle &file);
bool TryLock(const Handle &file);

// Renames from to to in folder; replace false refuses to replace a file.
bool Rename(const Handle &folder, const QString &from, const QString &to, bool replace);
bool Remove(const Handle &folder, const QString &name);
bool List(const Handle &folder, QStringList &names);

// Gives copy the owner, group, extended attributes (ACLs among them) and
// mode of source, so that it can take source's place; false where any cannot
// be given.
bool KeepAttributes(const Handle &source, const Handle &copy);

// What a write into a file may take from it (set-id bits, file capabilities),
// so that it can be given back.
struct Privileges {
    quint32 mode = 0;
    QByteArray capability;
    bool hasCapability = false;
};
bool PrivilegesOf(const Handle &file, Privileges &privileges);
bool Restore(const Handle &file, const Privileges &privileges);

} // namespace corvantis::platform
