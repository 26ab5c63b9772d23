#include "data/SaveJournal.h"

#include "data/FileNames.h"
#include "data/SafeWriter.h"

#include <QDir>
#include <QStandardPaths>

#include <cerrno>

namespace corvantis {

using platform::Handle;
using platform::Status;
using namespace writer;

namespace {

const QString BackupSuffix = QStringLiteral(".backup");
const QString JournalSuffix = QStringLiteral(".journal");
const QByteArray JournalHeader = "corvantis-spell-editor interrupted save";
constexpr qint64 JournalLimit = 64 * 1024;

QString cacheFolder() {
    return QStandardPaths::writableLocation(QStandardPaths::CacheLocation);
}

bool openCache(Handle &folder, QString &path, bool make) {
    path = cacheFolder();
    return !path.isEmpty() && (!make || QDir().mkpath(path)) && platform::OpenFolder(path, folder);
}

QString fileName(const QString &path) {
    return path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
}

// Which file a backup is of, in its name: "NAME.TAG.XXXXXXXX.backup".
QString tag(const Status &st) {
    return QString::number(st.device, 16) + QLatin1Char('-') + QString::number(st.inode, 16);
}

// The journal's name for a backup's, and the other way round.
QString swapSuffix(const QString &name, const QString &from, const QString &to) {
    return name.endsWith(from) ? name.chopped(from.size()) + to : QString();
}

struct Entry {
    QString path, backup;
    quint64 device = 0, inode = 0;
};

// A journal as written, or nothing: one cut short by a stop reads as nothing.
bool parse(const QByteArray &text, Entry &entry) {
    const QList<QByteArray> lines = text.split('\n');
    if (lines.size() != 7 || lines[0] != JournalHeader || lines[5] != "end" || !lines[6].isEmpty())
        return false;
    QByteArray values[4];
    const char *keys[] = {"path ", "device ", "inode ", "backup "};
    for (int i = 0; i < 4; ++i) {
        if (!lines[i + 1].startsWith(keys[i]))
            return false;
        values[i] = lines[i + 1].mid(qsizetype(qstrlen(keys[i])));
    }
    bool deviceOk, inodeOk;
    entry.path = DecodeFileName(QByteArray::fromPercentEncoding(values[0]));
    entry.device = values[1].toULongLong(&deviceOk);
    entry.inode = values[2].toULongLong(&inodeOk);
    entry.backup = DecodeFileName(QByteArray::fromPercentEncoding(values[3]));
    return deviceOk && inodeOk && !entry.backup.contains(QLatin1Char('/'));
}

bool readJournal(const Handle &folder, const QString &name, Entry &entry) {
    Handle file;
    QByteArray text(JournalLimit, '\0');
    qint64 got;
    if (!platform::OpenIn(folder, name, false, file) ||
        !platform::ReadAt(file, 0, text.data(), text.size(), got))
        return false;
    text.truncate(got);
    return parse(text, entry);
}

} // namespace

namespace journal {

bool Begin(const Handle &file, const Status &status, const QString &path, const SaveHooks &hooks,
           Backup &backup, QString &reason) {
    Handle copy;
    if (!openCache(backup.folder, backup.folderPath, true) ||
        !CreateUnique(backup.folder, fileName(path) + QLatin1Char('.') + tag(status) + '.',
                      BackupSuffix, true, copy, backup.name)) {
        reason = errno == ENOSPC ? SystemReason(errno) : FolderReason(cacheFolder());
        return false;
    }
    const QString journal = swapSuffix(backup.name, BackupSuffix, JournalSuffix);
    const QByteArray text =
        JournalHeader + "\npath " + EncodeFileName(path).toPercentEncoding("/") + "\ndevice " +
        QByteArray::number(status.device) + "\ninode " + QByteArray::number(status.inode) +
        "\nbackup " + EncodeFileName(backup.name).toPercentEncoding() + "\nend\n";
    Handle written;
    bool made = false;
    const bool ok = CopyFile(file, status.size, copy, hooks, backup.hash) &&
                    HookAllows(hooks.flush) && platform::Flush(copy, true) && copy.close() &&
                    // The journal goes to disk whole, with its folder, before the file is touched.
                    HookAllows(hooks.journal) &&
                    (made = platform::CreateIn(backup.folder, journal, true, written)) &&
                    platform::WriteAt(written, 0, text.constData(), text.size()) &&
                    HookAllows(hooks.flush) && platform::Flush(written, true) && written.close() &&
                    HookAllows(hooks.flush) && platform::Flush(backup.folder, false);
    if (!ok) {
        reason = errno ? SystemReason(errno) : ChangedReason;
        if (made)
            platform::Remove(backup.folder, journal);
        platform::Remove(backup.folder, backup.name);
        return false;
    }
    backup.journal = journal;
    return true;
}

bool End(Backup &backup) {
    if (!backup.journal.isEmpty() && !platform::Remove(backup.folder, backup.journal))
        return false;
    backup.journal.clear();
    return platform::Remove(backup.folder, backup.name) && platform::Flush(backup.folder, false);
}

void RemoveStale(const Status &status) {
    Handle folder;
    QString path;
    QStringList names;
    if (!openCache(folder, path, false) || !platform::List(folder, names))
        return;
    const QString mark = QLatin1Char('.') + tag(status) + QLatin1Char('.');
    Status st;
    for (const QString &name : names) {
        const QString journal = swapSuffix(name, BackupSuffix, JournalSuffix);
        if (!journal.isEmpty() && name.chopped(BackupSuffix.size() + 8).endsWith(mark) &&
            !platform::StatusIn(folder, journal, st) && errno == ENOENT)
            platform::Remove(folder, name);
    }
}

bool CreateInCache(const QString &suffix, const QString &name, Handle &file, QString &path,
                   QString &reason) {
    Handle folder;
    QString created;
    if (!openCache(folder, path, true) ||
        !CreateUnique(folder, name + QLatin1Char('.'), suffix, true, file, created)) {
        reason = errno == ENOSPC ? SystemReason(errno) : FolderReason(cacheFolder());
        return false;
    }
    path += QLatin1Char('/') + created;
    return true;
}

} // namespace journal

InterruptedSave FindInterruptedSave(const ImageIdentity &image) {
    Handle folder, file;
    QString path;
    QStringList names;
    if (!image.isValid() || !openCache(folder, path, false) || !platform::List(folder, names))
        return {};
    for (const QString &name : names) {
        Entry entry;
        Status st;
        if (!name.endsWith(JournalSuffix) || !readJournal(folder, name, entry) ||
            entry.device != image.device || entry.inode != image.inode ||
            entry.path != image.path || !platform::StatusIn(folder, entry.backup, st) ||
            st.kind != Status::Regular)
            continue;
        // A save that is still going holds its lock: its journal is no sign
        // of an interrupted one.
        if (platform::OpenRead(image.path, file) && !platform::TryLock(file))
            return {};
        return {path + QLatin1Char('/') + entry.backup, path + QLatin1Char('/') + name};
    }
    return {};
}

bool RestoreInterruptedSave(const InterruptedSave &save, ImageIdentity &image, QString &reason) {
    Handle copy, folder;
    Status st;
    if (!platform::OpenRead(save.backup, copy) || !platform::StatusOf(copy, st)) {
        reason = SystemReason(errno);
        return false;
    }
    // Through the writer, in place: the file stays the same file, and a stop
    // now leaves a journal of its own.
    Request request;
    request.path = image.path;
    request.content.source = Content::File;
    request.content.file = &copy;
    request.content.size = st.size;
    request.expected = &image;
    request.create = false;
    request.inPlace = true;
    const Result result = Write(request);
    if (!result.ok) {
        reason = result.reason;
        return false;
    }
    const QString folderPath = save.journal.left(save.journal.lastIndexOf(QLatin1Char('/')));
    if (platform::OpenFolder(folderPath, folder)) {
        platform::Remove(folder, fileName(save.journal));
        platform::Remove(folder, fileName(save.backup));
        platform::Flush(folder, false);
    }
    ImageIdentity now;
    if (ReadImage(image.path, now, reason))
        image = now;
    return true;
}

} // namespace corvantis
