// The POSIX (Linux) side of the file calls the safe writer makes.
#include "data/Platform.h"

#include "data/FileNames.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <vector>

#include <dirent.h>
#include <fcntl.h>
#include <stdio.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace corvantis::platform {

namespace {

int fd(const Handle &h) {
    return int(h.native());
}

bool open(Handle &into, int result) {
    into.reset(result);
    return result >= 0;
}

void fill(Status &status, const struct stat &st) {
    status.kind = S_ISREG(st.st_mode)   ? Status::Regular
                  : S_ISDIR(st.st_mode) ? Status::Folder
                                        : Status::Other;
    status.device = quint64(st.st_dev);
    status.inode = quint64(st.st_ino);
    status.size = qint64(st.st_size);
    status.links = quint32(st.st_nlink);
    status.readOnly = (st.st_mode & 0222) == 0;
    status.modified = qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    status.changed = qint64(st.st_ctim.tv_sec) * 1000000000 + st.st_ctim.tv_nsec;
}

// The names of a file's extended attributes; none where the file system has
// none.
bool attributeNames(int file, std::vector<QByteArray> &names) {
    names.clear();
    for (;;) {
        const ssize_t size = ::flistxattr(file, nullptr, 0);
        if (size < 0)
            return errno == ENOTSUP;
        QByteArray list(size, '\0');
        const ssize_t got = ::flistxattr(file, list.data(), size_t(list.size()));
        if (got < 0 && errno == ERANGE)
            continue; // it grew meanwhile
        if (got < 0)
            return false;
        for (const QByteArray &name : list.left(got).split('\0'))
            if (!name.isEmpty())
                names.push_back(name);
        return true;
    }
}

bool attributeValue(int file, const char *name, QByteArray &value) {
    for (;;) {
        const ssize_t size = ::fgetxattr(file, name, nullptr, 0);
        if (size < 0)
            return false;
        value.resize(size);
        const ssize_t got = ::fgetxattr(file, name, value.data(), size_t(value.size()));
        if (got < 0 && errno == ERANGE)
            continue;
        if (got < 0)
            return false;
        value.resize(got);
        return true;
    }
}

constexpr char CapabilityName[] = "security.capability";

} // namespace

Handle &Handle::operator=(Handle &&o) noexcept {
    if (this != &o) {
        reset(o.native_);
        o.native_ = -1;
    }
    return *this;
}

void Handle::reset(qintptr native) {
    if (native_ >= 0)
        ::close(int(native_));
    native_ = native;
}

bool Handle::close() {
    const int file = int(native_);
    native_ = -1;
    return ::close(file) == 0;
}

bool Resolve(const QString &path, QString &resolved) {
    if (path.isEmpty()) {
        errno = ENOENT;
        return false;
    }
    char *real = ::realpath(EncodeFileName(path).constData(), nullptr);
    if (!real)
        return false;
    resolved = DecodeFileName(real);
    std::free(real);
    return true;
}

bool OpenRead(const QString &path, Handle &file) {
    return open(file, ::open(EncodeFileName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
}

bool OpenFolder(const QString &path, Handle &folder) {
    return open(folder,
                ::open(EncodeFileName(path).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
}

bool OpenIn(const Handle &folder, const QString &name, bool writable, Handle &file) {
    const int access = writable ? O_RDWR : O_RDONLY;
    return open(file, ::openat(fd(folder), EncodeFileName(name).constData(),
                               access | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
}

bool CreateIn(const Handle &folder, const QString &name, bool replacement, Handle &file) {
    return open(file, ::openat(fd(folder), EncodeFileName(name).constData(),
                               O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                               replacement ? 0600 : 0666));
}

bool StatusOf(const Handle &file, Status &status) {
    struct stat st;
    if (::fstat(fd(file), &st) != 0)
        return false;
    fill(status, st);
    return true;
}

bool StatusIn(const Handle &folder, const QString &name, Status &status) {
    struct stat st;
    if (::fstatat(fd(folder), EncodeFileName(name).constData(), &st, AT_SYMLINK_NOFOLLOW) != 0)
        return false;
    fill(status, st);
    return true;
}

bool StatusOfPath(const QString &path, Status &status) {
    struct stat st;
    if (path.isEmpty() || ::stat(EncodeFileName(path).constData(), &st) != 0)
        return false;
    fill(status, st);
    return true;
}

bool ReadAt(const Handle &file, qint64 offset, char *data, qint64 size, qint64 &got) {
    got = 0;
    while (got < size) {
        const ssize_t n = ::pread(fd(file), data + got, size_t(size - got), off_t(offset + got));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return false;
        if (n == 0)
            break; // the end of the file
        got += n;
    }
    return true;
}

bool WriteAt(const Handle &file, qint64 offset, const char *data, qint64 size) {
    while (size > 0) {
        const ssize_t n = ::pwrite(fd(file), data, size_t(size), off_t(offset));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            if (n == 0)
                errno = EIO;
            return false;
        }
        data += n;
        offset += n;
        size -= n;
    }
    return true;
}

bool Resize(const Handle &file, qint64 size) {
    return ::ftruncate(fd(file), off_t(size)) == 0;
}

bool Flush(const Handle &file, bool dataOnly) {
    return (dataOnly ? ::fdatasync(fd(file)) : ::fsync(fd(file))) == 0;
}

bool Lock(const Handle &file) {
    int result;
    while ((result = ::flock(fd(file), LOCK_EX)) != 0 && errno == EINTR) {
    }
    return result == 0;
}

bool TryLock(const Handle &file) {
    return ::flock(fd(file), LOCK_EX | LOCK_NB) == 0;
}

bool Rename(const Handle &folder, const QString &from, const QString &to, bool replace) {
    const QByteArray a = EncodeFileName(from), b = EncodeFileName(to);
    if (replace)
        return ::renameat(fd(folder), a.constData(), fd(folder), b.constData()) == 0;
    // Where the file system cannot refuse, a link does the same: it fails on
    // an existing name.
    if (::renameat2(fd(folder), a.constData(), fd(folder), b.constData(), RENAME_NOREPLACE) == 0)
        return true;
    if (errno != EINVAL && errno != ENOSYS)
        return false;
    if (::linkat(fd(folder), a.constData(), fd(folder), b.constData(), 0) != 0)
        return false;
    ::unlinkat(fd(folder), a.constData(), 0);
    return true;
}

bool Remove(const Handle &folder, const QString &name) {
    return ::unlinkat(fd(folder), EncodeFileName(name).constData(), 0) == 0;
}

bool List(const Handle &folder, QStringList &names) {
    names.clear();
    const int copy = ::openat(fd(folder), ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    DIR *dir = copy >= 0 ? ::fdopendir(copy) : nullptr;
    if (!dir) {
        if (copy >= 0)
            ::close(copy);
        return false;
    }
    errno = 0;
    while (const dirent *entry = ::readdir(dir)) {
        const QByteArray name(entry->d_name);
        if (name != "." && name != "..")
            names.append(DecodeFileName(name));
    }
    const int error = errno;
    ::closedir(dir);
    errno = error;
    return error == 0;
}

// The order matters: a change of owner drops set-id bits and file
// capabilities, and the mode must agree with an ACL's mask.
bool KeepAttributes(const Handle &source, const Handle &copy) {
    struct stat st;
    if (::fstat(fd(source), &st) != 0 || ::fchown(fd(copy), st.st_uid, st.st_gid) != 0)
        return false;
    std::vector<QByteArray> wanted, present;
    if (!attributeNames(fd(source), wanted) || !attributeNames(fd(copy), present))
        return false;
    for (const QByteArray &name : present)
        if (std::find(wanted.begin(), wanted.end(), name) == wanted.end() &&
            ::fremovexattr(fd(copy), name.constData()) != 0)
            return false; // e.g. an ACL the folder's default gave the new file
    QByteArray value;
    for (const QByteArray &name : wanted)
        if (!attributeValue(fd(source), name.constData(), value) ||
            ::fsetxattr(fd(copy), name.constData(), value.constData(), size_t(value.size()), 0) !=
                0)
            return false;
    if (::fchmod(fd(copy), st.st_mode & 07777) != 0)
        return false;
    // Some bits may be dropped without an error (a set-group-id bit for a
    // group the saver is not in).
    struct stat now;
    return ::fstat(fd(copy), &now) == 0 && (now.st_mode & 07777) == (st.st_mode & 07777) &&
           now.st_uid == st.st_uid && now.st_gid == st.st_gid;
}

bool PrivilegesOf(const Handle &file, Privileges &privileges) {
    struct stat st;
    if (::fstat(fd(file), &st) != 0)
        return false;
    privileges.mode = quint32(st.st_mode & 07777);
    privileges.hasCapability = attributeValue(fd(file), CapabilityName, privileges.capability);
    return privileges.hasCapability || errno == ENODATA || errno == ENOTSUP;
}

// A write by anyone without the right to keep them drops set-id bits, and
// any write drops a file capability.
bool Restore(const Handle &file, const Privileges &privileges) {
    QByteArray now;
    if (privileges.hasCapability &&
        (!attributeValue(fd(file), CapabilityName, now) || now != privileges.capability) &&
        ::fsetxattr(fd(file), CapabilityName, privileges.capability.constData(),
                    size_t(privileges.capability.size()), 0) != 0)
        return false;
    struct stat st;
    return ::fstat(fd(file), &st) == 0 &&
           ((st.st_mode & 07777) == privileges.mode || ::fchmod(fd(file), privileges.mode) == 0);
}

} // namespace corvantis::platform
