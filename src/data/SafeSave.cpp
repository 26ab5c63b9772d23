#include "data/SafeSave.h"

#include "data/ImageLayout.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QSaveFile>
#include <QStandardPaths>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace corvantis {

namespace {

const QString GoneReason = QStringLiteral("The file was removed or replaced after it was opened.");
const QString ChangedReason =
    QStringLiteral("The image was changed by another program since it was opened.");
const QString NotRegularReason = QStringLiteral("The path does not name a regular file.");

QString folderReason(const QString &folder) {
    return QStringLiteral("The folder %1 cannot be written.").arg(folder);
}

QString shortReason() {
    return QStringLiteral("The file is shorter than a Corvantis image (%1 bytes).")
        .arg(MinimumImageSize);
}

// A full disk in the program's own words, any other error in the system's.
QString systemReason(int error) {
    if (error == ENOSPC)
        return QStringLiteral("No space left on device.");
    return QString::fromLocal8Bit(std::strerror(error)) + QLatin1Char('.');
}

QByteArray encoded(const QString &path) {
    return QFile::encodeName(path);
}

template <typename Hook, typename... Args> bool hookAllows(const Hook &hook, Args... args) {
    if (!hook)
        return true;
    errno = 0;
    if (hook(args...))
        return true;
    if (errno == 0)
        errno = EIO;
    return false;
}

// A file descriptor closed when it goes out of scope.
class Fd {
  public:
    explicit Fd(int fd = -1) : fd_(fd) {}
    Fd(const Fd &) = delete;
    Fd &operator=(const Fd &) = delete;
    ~Fd() { reset(); }
    int get() const { return fd_; }
    bool isOpen() const { return fd_ >= 0; }
    void reset(int fd = -1) {
        if (fd_ >= 0)
            ::close(fd_);
        fd_ = fd;
    }
    // Closes now and reports the error a late write or flush may give.
    bool close() {
        const int fd = fd_;
        fd_ = -1;
        return ::close(fd) == 0;
    }

  private:
    int fd_;
};

bool readAt(int fd, qint64 offset, char *data, qint64 size) {
    while (size > 0) {
        const ssize_t n = ::pread(fd, data, size_t(size), off_t(offset));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            if (n == 0)
                errno = 0; // the end of the file came first
            return false;
        }
        data += n;
        offset += n;
        size -= n;
    }
    return true;
}

bool writeAt(int fd, qint64 offset, const char *data, qint64 size) {
    while (size > 0) {
        const ssize_t n = ::pwrite(fd, data, size_t(size), off_t(offset));
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

// The whole file, to its end as it is now.
bool readWhole(int fd, QByteArray &out) {
    struct stat st;
    if (::fstat(fd, &st) != 0)
        return false;
    out.resize(qsizetype(st.st_size));
    if (!readAt(fd, 0, out.data(), out.size()))
        return false;
    char extra;
    const ssize_t more = ::pread(fd, &extra, 1, off_t(out.size()));
    if (more != 0) {
        errno = more < 0 ? errno : 0; // 0: it grew while being read
        return false;
    }
    return true;
}

bool sameFile(const struct stat &a, const struct stat &b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

bool sameTime(const struct timespec &a, const struct timespec &b) {
    return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}

bool flushed(const SaveHooks &hooks, int fd, bool dataOnly) {
    if (!hookAllows(hooks.flush))
        return false;
    return (dataOnly ? ::fdatasync(fd) : ::fsync(fd)) == 0;
}

// Makes a new file in folder whose name starts with prefix, or fails with errno.
int createUnique(int folder, const QString &prefix, QString &name) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        name = prefix + QString::number(QRandomGenerator::global()->generate(), 36);
        const int fd = ::openat(folder, encoded(name).constData(),
                                O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    return -1;
}

// The names of a file's extended attributes; none where the file system has
// none.
bool attributeNames(int fd, std::vector<QByteArray> &names) {
    names.clear();
    for (;;) {
        const ssize_t size = ::flistxattr(fd, nullptr, 0);
        if (size < 0)
            return errno == ENOTSUP;
        QByteArray list(size, '\0');
        const ssize_t got = ::flistxattr(fd, list.data(), size_t(list.size()));
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

bool attributeValue(int fd, const QByteArray &name, QByteArray &value) {
    for (;;) {
        const ssize_t size = ::fgetxattr(fd, name.constData(), nullptr, 0);
        if (size < 0)
            return false;
        value.resize(size);
        const ssize_t got = ::fgetxattr(fd, name.constData(), value.data(), size_t(value.size()));
        if (got < 0 && errno == ERANGE)
            continue;
        if (got < 0)
            return false;
        value.resize(got);
        return true;
    }
}

// Gives copy the owner, group, extended attributes (ACLs among them) and all
// twelve mode bits of the file source describes; false where any cannot be
// given. The order matters: a change of owner drops set-id bits and file
// capabilities, and the mode must agree with an ACL's mask.
bool keepAttributes(int source, const struct stat &st, int copy) {
    if (::fchown(copy, st.st_uid, st.st_gid) != 0)
        return false;
    std::vector<QByteArray> wanted, present;
    if (!attributeNames(source, wanted) || !attributeNames(copy, present))
        return false;
    for (const QByteArray &name : present)
        if (std::find(wanted.begin(), wanted.end(), name) == wanted.end() &&
            ::fremovexattr(copy, name.constData()) != 0)
            return false; // e.g. an ACL the folder's default gave the new file
    QByteArray value;
    for (const QByteArray &name : wanted)
        if (!attributeValue(source, name, value) ||
            ::fsetxattr(copy, name.constData(), value.constData(), size_t(value.size()), 0) != 0)
            return false;
    if (::fchmod(copy, st.st_mode & 07777) != 0)
        return false;
    // Some bits may be dropped without an error (a set-group-id bit for a
    // group the saver is not in).
    struct stat now;
    return ::fstat(copy, &now) == 0 && (now.st_mode & 07777) == (st.st_mode & 07777) &&
           now.st_uid == st.st_uid && now.st_gid == st.st_gid;
}

// The image as found at the start of a save.
struct Source {
    int folder = -1;
    QString folderPath;
    QByteArray name; // in folder
    int fd = -1;
    struct stat st {};
    QByteArray bytes; // the whole file
};

// Whether the source still is what was copied: the same file under its name,
// untouched since, with the same bytes.
bool unchanged(const Source &source, QString &reason) {
    struct stat named, now;
    if (::fstatat(source.folder, source.name.constData(), &named, AT_SYMLINK_NOFOLLOW) != 0 ||
        !sameFile(named, source.st) || ::fstat(source.fd, &now) != 0) {
        reason = GoneReason;
        return false;
    }
    QByteArray bytes;
    if (now.st_size != source.st.st_size || !sameTime(now.st_mtim, source.st.st_mtim) ||
        !sameTime(now.st_ctim, source.st.st_ctim) || !readWhole(source.fd, bytes) ||
        bytes != source.bytes) {
        reason = ChangedReason;
        return false;
    }
    return true;
}

void fill(ImageIdentity &identity, const QString &path, const struct stat &st,
          const QByteArray &tables) {
    identity.path = path;
    identity.device = quint64(st.st_dev);
    identity.inode = quint64(st.st_ino);
    identity.size = qint64(st.st_size);
    identity.tables = tables;
}

enum class Outcome { Saved, Failed, CannotKeep };

// The usual way: a complete copy beside the image, renamed over it.
Outcome replaceByRename(const Source &source, const QString &path, const QByteArray &image,
                        const SaveHooks &hooks, ImageIdentity &saved, QString &reason,
                        int &folderError) {
    QString tempName;
    if (!hookAllows(hooks.createTemporary)) {
        folderError = errno;
        return Outcome::CannotKeep;
    }
    Fd temp(createUnique(source.folder,
                         QLatin1Char('.') + QFile::decodeName(source.name) + QLatin1Char('.'),
                         tempName));
    if (!temp.isOpen()) {
        folderError = errno;
        return Outcome::CannotKeep;
    }
    const QByteArray tempFile = encoded(tempName);
    struct Remover {
        int folder;
        const QByteArray &name;
        bool keep = false;
        ~Remover() {
            if (!keep)
                ::unlinkat(folder, name.constData(), 0);
        }
    } remover{source.folder, tempFile};

    constexpr qint64 ChunkSize = 64 * 1024;
    for (qint64 offset = 0; offset < image.size(); offset += ChunkSize) {
        const qint64 size = std::min(ChunkSize, qint64(image.size()) - offset);
        if (!hookAllows(hooks.writeChunk, offset) ||
            !writeAt(temp.get(), offset, image.constData() + offset, size)) {
            reason = systemReason(errno);
            return Outcome::Failed;
        }
    }
    if (!keepAttributes(source.fd, source.st, temp.get()))
        return Outcome::CannotKeep;
    struct stat done;
    if (!flushed(hooks, temp.get(), false) || ::fstat(temp.get(), &done) != 0 || !temp.close()) {
        reason = systemReason(errno);
        return Outcome::Failed;
    }
    if (!unchanged(source, reason))
        return Outcome::Failed;
    if (::renameat(source.folder, tempFile.constData(), source.folder, source.name.constData()) !=
        0) {
        reason = systemReason(errno);
        return Outcome::Failed;
    }
    remover.keep = true;
    fill(saved, path, done, TablesOf(image));
    // Only a flushed folder makes the new name last.
    if (!flushed(hooks, source.folder, false)) {
        reason = systemReason(errno);
        return Outcome::Failed;
    }
    return Outcome::Saved;
}

// Writes the tables of bytes into the image in place and flushes them.
bool writeTables(int fd, const QByteArray &bytes, const SaveHooks *hooks) {
    for (const Span &r : TableSpans)
        if ((hooks && !hookAllows(hooks->writeChunk, r.offset)) ||
            !writeAt(fd, r.offset, bytes.constData() + r.offset, r.size))
            return false;
    return hooks ? flushed(*hooks, fd, true) : ::fdatasync(fd) == 0;
}

// Where a new file would not be the same file: the backup copy first, then
// the two tables written into the image itself.
bool writeInPlace(const Source &source, const QString &path, const QByteArray &image,
                  const SaveHooks &hooks, int folderError, ImageIdentity &saved, QString &reason) {
    Fd fd(::openat(source.folder, source.name.constData(),
                   O_RDWR | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    struct stat st;
    if (!fd.isOpen()) {
        const bool denied = errno == EACCES || errno == EPERM;
        reason = denied && folderError ? folderReason(source.folderPath) : systemReason(errno);
        return false;
    }
    if (::fstat(fd.get(), &st) != 0 || !sameFile(st, source.st)) {
        reason = GoneReason;
        return false;
    }

    // The backup: a complete copy of the image as it is, in the user's cache.
    const QString cache = QStandardPaths::writableLocation(QStandardPaths::CacheLocation);
    QString backupName;
    errno = 0;
    Fd backupFolder(QDir().mkpath(cache)
                        ? ::open(encoded(cache).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)
                        : -1);
    Fd backup;
    if (backupFolder.isOpen())
        backup.reset(createUnique(backupFolder.get(),
                                  QFile::decodeName(source.name) + QStringLiteral(".backup."),
                                  backupName));
    if (!backup.isOpen()) {
        reason = errno == ENOSPC ? systemReason(errno) : folderReason(cache);
        return false;
    }
    const QString backupPath = QDir(cache).filePath(backupName);
    const QByteArray backupFile = encoded(backupName);
    if (!writeAt(backup.get(), 0, source.bytes.constData(), source.bytes.size()) ||
        !flushed(hooks, backup.get(), true) || !backup.close()) {
        reason = systemReason(errno);
        ::unlinkat(backupFolder.get(), backupFile.constData(), 0);
        return false;
    }
    if (!unchanged(source, reason)) {
        ::unlinkat(backupFolder.get(), backupFile.constData(), 0);
        return false;
    }

    int error = 0;
    if (!writeTables(fd.get(), image, &hooks))
        error = errno;
    // A write into a set-id file may drop its set-id bits.
    else if (::fstat(fd.get(), &st) != 0 ||
             (st.st_mode != source.st.st_mode && ::fchmod(fd.get(), source.st.st_mode & 07777)))
        error = errno;
    if (!fd.close() && !error)
        error = errno;
    if (error) {
        reason = systemReason(error);
        // Put back the bytes the backup holds; fd is gone, so open anew.
        Fd again(
            ::openat(source.folder, source.name.constData(), O_WRONLY | O_NOFOLLOW | O_CLOEXEC));
        if (!again.isOpen() || !writeTables(again.get(), source.bytes, nullptr) || !again.close()) {
            reason += QStringLiteral(" The image could not be put back as it was; a copy of it "
                                     "from before the save is kept at %1.")
                          .arg(backupPath);
            return false;
        }
        ::unlinkat(backupFolder.get(), backupFile.constData(), 0);
        return false;
    }
    ::unlinkat(backupFolder.get(), backupFile.constData(), 0);
    fill(saved, path, st, TablesOf(image));
    return true;
}

} // namespace

namespace {

// Opens the file path resolves to, for reading, without waiting on a pipe or
// a device. gone tells that path names nothing, or nothing but a regular file.
bool openResolved(const QString &path, QString &resolved, Fd &fd, struct stat &st, bool &gone,
                  QString &reason) {
    gone = true;
    char real[PATH_MAX];
    if (path.isEmpty() || !::realpath(encoded(path).constData(), real)) {
        reason = systemReason(path.isEmpty() ? ENOENT : errno);
        return false;
    }
    resolved = QFile::decodeName(real);
    fd.reset(::open(real, O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (!fd.isOpen() || ::fstat(fd.get(), &st) != 0) {
        gone = errno == ENOENT;
        reason = systemReason(errno);
        return false;
    }
    if (!S_ISREG(st.st_mode)) {
        reason = S_ISDIR(st.st_mode) ? systemReason(EISDIR) : NotRegularReason;
        return false;
    }
    gone = false;
    if (st.st_size < MinimumImageSize) {
        reason = shortReason();
        return false;
    }
    return true;
}

// The tables of an open image, read at their offsets.
bool readTables(int fd, QByteArray &tables) {
    tables.resize(TablesSize);
    return readAt(fd, NameTableOffset, tables.data(), NameTableSize) &&
           readAt(fd, SpellTableOffset, tables.data() + NameTableSize, SpellTableSize);
}

} // namespace

bool ReadImage(const QString &path, ImageIdentity &identity, QString &reason) {
    QString resolved;
    Fd fd;
    struct stat st;
    QByteArray tables;
    bool gone;
    if (!openResolved(path, resolved, fd, st, gone, reason))
        return false;
    if (!readTables(fd.get(), tables)) {
        reason = errno ? systemReason(errno) : shortReason();
        return false;
    }
    fill(identity, resolved, st, tables);
    return true;
}

bool ChangedSince(const ImageIdentity &identity) {
    if (!identity.isValid())
        return false;
    Fd fd(
        ::open(encoded(identity.path).constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    struct stat st;
    QByteArray tables;
    if (!fd.isOpen() || ::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode) ||
        st.st_size < MinimumImageSize || !readTables(fd.get(), tables))
        return false;
    return quint64(st.st_dev) != identity.device || quint64(st.st_ino) != identity.inode ||
           qint64(st.st_size) != identity.size || tables != identity.tables;
}

bool WriteImage(const QString &path, const Regions &regions, const ImageIdentity *expected,
                const SaveHooks &hooks, ImageIdentity &saved, QString &reason, QString *warning) {
    (void)warning;
    if (expected && !expected->isValid())
        expected = nullptr;
    QString resolved;
    Fd fd;
    Source source;
    bool gone;
    if (!openResolved(path, resolved, fd, source.st, gone, reason)) {
        if (expected && gone)
            reason = GoneReason;
        return false;
    }
    source.fd = fd.get();
    if (expected && (quint64(source.st.st_dev) != expected->device ||
                     quint64(source.st.st_ino) != expected->inode)) {
        reason = GoneReason;
        return false;
    }
    if (!readWhole(source.fd, source.bytes)) {
        reason = errno ? systemReason(errno) : ChangedReason;
        return false;
    }
    if (source.bytes.size() < MinimumImageSize) {
        reason = shortReason();
        return false;
    }
    if (expected &&
        (source.bytes.size() != expected->size || TablesOf(source.bytes) != expected->tables)) {
        reason = ChangedReason;
        return false;
    }

    // The folder is opened once and every later step works inside it, so
    // that no change of a link on the way leads the save elsewhere.
    const QFileInfo info(resolved);
    source.folderPath = info.path();
    source.name = encoded(info.fileName());
    Fd folder(::open(encoded(source.folderPath).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    source.folder = folder.get();
    struct stat named;
    if (!folder.isOpen() ||
        ::fstatat(source.folder, source.name.constData(), &named, AT_SYMLINK_NOFOLLOW) != 0 ||
        !sameFile(named, source.st)) {
        reason = GoneReason;
        return false;
    }

    QByteArray image = source.bytes;
    if (!PutRegions(image, regions)) {
        reason = shortReason();
        return false;
    }
    int folderError = 0;
    // A second name would keep the old file; a new file would lose it.
    if (source.st.st_nlink == 1) {
        switch (replaceByRename(source, resolved, image, hooks, saved, reason, folderError)) {
        case Outcome::Saved:
            return true;
        case Outcome::Failed:
            return false;
        case Outcome::CannotKeep:
            break;
        }
    }
    return writeInPlace(source, resolved, image, hooks, folderError, saved, reason);
}

// ---- provisional: the safe writer for every file replaces these ----

bool CopyImage(const ImageIdentity &source, const QString &target, const Regions &regions,
               const SaveHooks &hooks, ImageIdentity &saved, QString &reason, QString *warning) {
    (void)hooks;
    QByteArray image;
    if (!ReadFile(source.path, MaximumImageSize, image, reason))
        return false;
    if (image.size() != source.size || TablesOf(image) != source.tables) {
        reason = ChangedReason;
        return false;
    }
    PutRegions(image, regions);
    if (!WriteFile(target, image, reason, warning))
        return false;
    return ReadImage(target, saved, reason);
}

FileId IdentityOf(const QString &path) {
    struct stat st;
    if (path.isEmpty() || ::stat(encoded(path).constData(), &st) != 0)
        return {};
    return {true, quint64(st.st_dev), quint64(st.st_ino)};
}

bool ReadFile(const QString &path, qint64 limit, QByteArray &bytes, QString &reason) {
    QFile file(path);
    const QFileInfo info(path);
    if (!info.exists()) {
        reason = systemReason(ENOENT);
        return false;
    }
    if (!info.isFile()) {
        reason = info.isDir() ? systemReason(EISDIR) : NotRegularReason;
        return false;
    }
    if (info.size() > limit) {
        reason = QStringLiteral("The file is larger than any Corvantis image (%1 bytes).")
                     .arg(info.size());
        return false;
    }
    if (!file.open(QIODevice::ReadOnly)) {
        reason = file.errorString();
        return false;
    }
    bytes = file.read(limit + 1);
    if (file.error() != QFileDevice::NoError || bytes.size() > limit) {
        reason = file.errorString();
        return false;
    }
    return true;
}

bool WriteFile(const QString &path, const QByteArray &bytes, QString &reason, QString *warning) {
    (void)warning;
    if (QFileInfo(path).isDir()) {
        reason = systemReason(EISDIR);
        return false;
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        reason = file.errorString();
        return false;
    }
    return true;
}

InterruptedSave FindInterruptedSave(const ImageIdentity &) {
    return {};
}

bool RestoreInterruptedSave(const InterruptedSave &, const ImageIdentity &, QString &reason) {
    reason = systemReason(ENOENT);
    return false;
}

} // namespace corvantis
