#include "data/SafeWriter.h"

#include "data/FileNames.h"
#include "data/SaveJournal.h"

#include <cerrno>

namespace corvantis::writer {

using platform::Handle;
using platform::Status;

namespace {

const QString TemporarySuffix = QStringLiteral(".corvantis");

enum class Outcome { Done, Failed, CannotKeep, Retry };

// One attempt at one write.
class Job {
  public:
    Job(const Request &request, Result &result) : rq_(request), result_(result) {}

    Outcome run() {
        const Outcome found = find();
        if (found != Outcome::Done)
            return found;
        removeTemporaries();
        if (exists_)
            journal::RemoveStale(status_);
        if (!rq_.inPlace && (!exists_ || status_.links == 1)) {
            const Outcome renamed = byRename();
            if (renamed != Outcome::CannotKeep)
                return renamed;
            if (!exists_) {
                const bool denied = error_ == EACCES || error_ == EPERM || error_ == EROFS;
                return fail(denied ? FolderReason(folderPath_) : SystemReason(error_));
            }
        }
        return inPlace();
    }

  private:
    Outcome fail(const QString &reason) {
        result_.reason = reason;
        return Outcome::Failed;
    }
    Outcome changed() { return rq_.expected ? fail(ChangedReason) : Outcome::Retry; }
    void warn(const QString &text) {
        result_.warning += (result_.warning.isEmpty() ? QString() : QStringLiteral(" ")) + text;
    }
    qint64 size() const {
        switch (rq_.content.source) {
        case Content::Target:
            return status_.size;
        case Content::File:
            return rq_.content.size;
        case Content::Bytes:
            break;
        }
        return rq_.content.bytes.size();
    }

    // Finds the target as the kernel resolves its path and, if it exists,
    // opens and locks it and checks it is what the write may replace.
    Outcome find() {
        const QString &path = rq_.path;
        QString resolved;
        if (platform::Resolve(path, resolved)) {
            const int slash = int(resolved.lastIndexOf(QLatin1Char('/')));
            folderPath_ = slash == 0 ? QStringLiteral("/") : resolved.left(slash);
            name_ = resolved.mid(slash + 1);
        } else if (errno == ENOENT && rq_.create && !rq_.expected) {
            // A new file: its folder as the kernel resolves it, its name as given.
            const int slash = int(path.lastIndexOf(QLatin1Char('/')));
            name_ = path.mid(slash + 1);
            const QString folder = slash < 0 ? QStringLiteral(".") : path.left(slash + 1);
            if (name_.isEmpty() || name_ == QLatin1String(".") || name_ == QLatin1String(".."))
                return fail(NotRegularReason(path));
            if (!platform::Resolve(folder, folderPath_))
                return fail(SystemReason(errno));
            resolved = folderPath_ + (folderPath_.endsWith('/') ? "" : "/") + name_;
        } else {
            return fail(rq_.expected && errno == ENOENT ? GoneReason : SystemReason(errno));
        }
        result_.path = resolved;
        Status named;
        if (!platform::OpenFolder(folderPath_, folder_))
            return fail(SystemReason(errno));
        exists_ = platform::StatusIn(folder_, name_, named);
        if (!exists_)
            return errno != ENOENT ? fail(SystemReason(errno))
                   : rq_.create    ? checkContent()
                                   : fail(rq_.expected ? GoneReason : SystemReason(ENOENT));
        if (named.kind != Status::Regular)
            return fail(rq_.expected ? GoneReason : NotRegularReason(path));
        if (!platform::OpenIn(folder_, name_, false, target_) ||
            !platform::StatusOf(target_, status_) || !platform::Lock(target_))
            return fail(SystemReason(errno));
        // Another save of this program may have put a new file in its place
        // while this one waited for the lock.
        if (!platform::StatusIn(folder_, name_, named) || !named.sameFile(status_) ||
            !platform::StatusOf(target_, status_))
            return changed();
        if (rq_.expected &&
            (status_.device != rq_.expected->device || status_.inode != rq_.expected->inode))
            return changed();
        if (status_.readOnly)
            return fail(QStringLiteral("The file is read-only."));
        return checkContent();
    }

    Outcome checkContent() {
        if (rq_.expected || rq_.content.source == Content::Target) {
            if (status_.size > MaximumImageSize)
                return fail(LargeReason(status_.size));
            if (status_.size < MinimumImageSize)
                return fail(ShortReason());
            QByteArray &tables = result_.tables;
            tables.resize(TablesSize);
            char *at = tables.data();
            for (const Span &s : TableSpans) {
                if (!ReadExactly(target_, s.offset, at, s.size))
                    return errno ? fail(SystemReason(errno)) : changed();
                at += s.size;
            }
            if (rq_.expected &&
                (status_.size != rq_.expected->size || tables != rq_.expected->tables))
                return changed();
        }
        for (const Region &r : rq_.content.regions)
            if (r.offset < 0 || r.offset + r.bytes.size() > size())
                return fail(ShortReason());
        if (rq_.content.file && !platform::StatusOf(*rq_.content.file, baseStatus_))
            return fail(SystemReason(errno));
        // What the file holds now, to tell later whether another program
        // wrote to it meanwhile.
        qint64 hashed;
        if (exists_ && rq_.content.source != Content::Target && status_.size <= MaximumImageSize &&
            (!HashFile(target_, targetHash_, hashed) || hashed != status_.size))
            return errno ? fail(SystemReason(errno)) : changed();
        return Outcome::Done;
    }

    // The copies of this file that earlier writes left beside it when they
    // were stopped: ".NAME.XXXXXXXX.corvantis".
    void removeTemporaries() {
        QStringList names;
        const QString prefix = QLatin1Char('.') + name_ + QLatin1Char('.');
        if (platform::List(folder_, names))
            for (const QString &n : names)
                if (n.startsWith(prefix) && n.endsWith(TemporarySuffix) &&
                    n.size() == prefix.size() + 8 + TemporarySuffix.size())
                    platform::Remove(folder_, n);
    }

    // Whether the file the content comes from is still as it was read.
    bool baseUnchanged(const QByteArray &hash) {
        const Handle *base = rq_.content.source == Content::Target ? &target_ : rq_.content.file;
        const Status &was = rq_.content.source == Content::Target ? status_ : baseStatus_;
        Status now;
        QByteArray again;
        qint64 size;
        return !base || (platform::StatusOf(*base, now) && now.sameState(was) &&
                         HashFile(*base, again, size) && again == hash && size == was.size);
    }

    // The usual way: a complete copy beside the file, renamed over it.
    Outcome byRename() {
        Handle temp;
        QString tempName;
        if (!HookAllows(rq_.hooks.createTemporary) ||
            !CreateUnique(folder_, QLatin1Char('.') + name_ + QLatin1Char('.'), TemporarySuffix,
                          exists_, temp, tempName)) {
            error_ = errno;
            return Outcome::CannotKeep;
        }
        struct Remover {
            const Handle &folder;
            const QString &name;
            bool keep = false;
            ~Remover() {
                if (!keep)
                    platform::Remove(folder, name);
            }
        } remover{folder_, tempName};

        QByteArray hash;
        if (!Produce(rq_.content, &target_, rq_.hooks, temp, size(), true, hash))
            return errno ? fail(SystemReason(errno)) : changed();
        if (rq_.content.source == Content::Target)
            targetHash_ = hash; // the file as copied
        if (exists_ && !platform::KeepAttributes(target_, temp))
            return Outcome::CannotKeep;
        if (!HookAllows(rq_.hooks.flush) || !platform::Flush(temp, false) ||
            !platform::StatusOf(temp, result_.written) || !temp.close())
            return fail(SystemReason(errno));
        if (!baseUnchanged(hash))
            return fail(ChangedReason);
        if (!HookAllows(rq_.hooks.rename) || !platform::Rename(folder_, tempName, name_, exists_))
            return !exists_ && errno == EEXIST ? Outcome::Retry : fail(SystemReason(errno));
        remover.keep = true;
        result_.ok = true;
        if (exists_)
            keepTheirs();
        // Only a flushed folder makes the new name last.
        if (!HookAllows(rq_.hooks.flushFolder) || !platform::Flush(folder_, false))
            warn(QStringLiteral("The file was saved, but its folder could not be flushed to disk: "
                                "%1")
                     .arg(SystemReason(errno)));
        return Outcome::Done;
    }

    // After the rename: if another program wrote to the file the copy
    // replaced, its version goes to the cache folder, and the user hears.
    void keepTheirs() {
        QByteArray now;
        qint64 size;
        Status st;
        if (status_.size <= MaximumImageSize
                ? HashFile(target_, now, size) && now == targetHash_ && size == status_.size
                : platform::StatusOf(target_, st) && st.size == status_.size &&
                      st.modified == status_.modified)
            return;
        Handle copy;
        QString path, reason;
        QByteArray hash;
        if (!platform::StatusOf(target_, st) ||
            !journal::CreateInCache(QStringLiteral(".changed"), name_, copy, path, reason) ||
            !CopyFile(target_, st.size, copy, {}, hash) || !platform::Flush(copy, true)) {
            warn(QStringLiteral("Another program wrote to the file while it was being saved; "
                                "its version could not be kept: %1")
                     .arg(reason.isEmpty() ? SystemReason(errno) : reason));
            return;
        }
        warn(QStringLiteral("Another program wrote to the file while it was being saved; its "
                            "version is kept at %1.")
                 .arg(DisplayFileName(path)));
    }

    // Where a new file would not be the same file (hard links, owner, folder):
    // a backup copy first, then the new bytes written into the file itself.
    Outcome inPlace() {
        Handle file;
        Status st;
        if (!platform::OpenIn(folder_, name_, true, file))
            return fail(SystemReason(errno));
        if (!platform::StatusOf(file, st) || !st.sameFile(status_))
            return changed();
        platform::Privileges privileges;
        journal::Backup backup;
        QString reason;
        if (!platform::PrivilegesOf(file, privileges))
            return fail(SystemReason(errno));
        if (!journal::Begin(file, status_, result_.path, rq_.hooks, backup, reason))
            return fail(reason);
        QByteArray hash;
        qint64 size;
        if (!platform::StatusOf(file, st) || !st.sameState(status_) ||
            !HashFile(file, hash, size) || hash != backup.hash) {
            journal::End(backup);
            return fail(ChangedReason);
        }

        int error = 0;
        QByteArray baseHash;
        if (!writeInto(file, baseHash) || !HookAllows(rq_.hooks.flush) ||
            !platform::Flush(file, true) || !platform::Restore(file, privileges))
            error = errno ? errno : -1;
        else if (rq_.content.source == Content::File && !baseUnchanged(baseHash))
            error = -1; // Save As's source changed while it was copied
        if (error) {
            result_.reason = error < 0 ? ChangedReason : SystemReason(error);
            putBack(file, backup, privileges);
            return Outcome::Failed;
        }
        platform::StatusOf(file, result_.written);
        result_.ok = true;
        if (!journal::End(backup))
            warn(QStringLiteral("The file was saved, but the copy from before the save could not "
                                "be removed from %1.")
                     .arg(DisplayFileName(backup.folderPath)));
        return Outcome::Done;
    }

    bool writeInto(const Handle &file, QByteArray &hash) {
        if (rq_.content.source != Content::Target)
            return Produce(rq_.content, &target_, rq_.hooks, file, size(), false, hash);
        for (const Region &r : rq_.content.regions)
            if (!HookAllows(rq_.hooks.writeChunk, r.offset) ||
                !platform::WriteAt(file, r.offset, r.bytes.constData(), r.bytes.size()))
                return false;
        return true;
    }

    // Puts back what the backup holds, after a failed write in place.
    void putBack(const Handle &file, journal::Backup &backup,
                 const platform::Privileges &privileges) {
        Handle copy;
        Status st;
        QByteArray hash;
        Content whole;
        whole.source = Content::File;
        whole.file = &copy;
        if (platform::OpenIn(backup.folder, backup.name, false, copy) &&
            platform::StatusOf(copy, st) &&
            Produce(whole, nullptr, {}, file, st.size, false, hash) &&
            platform::Flush(file, true) && platform::Restore(file, privileges) &&
            hash == backup.hash) {
            journal::End(backup);
            return;
        }
        result_.reason += QStringLiteral(" The file could not be put back as it was; a copy of "
                                         "it from before the save is kept at %1.")
                              .arg(DisplayFileName(backup.path()));
    }

    const Request &rq_;
    Result &result_;
    Handle folder_, target_;
    QString folderPath_, name_;
    bool exists_ = false;
    Status status_, baseStatus_;
    QByteArray targetHash_;
    int error_ = 0;
};

} // namespace

Result Write(const Request &request) {
    for (int attempt = 0; attempt < 5; ++attempt) {
        Result result;
        if (Job(request, result).run() != Outcome::Retry)
            return result;
    }
    Result result;
    result.reason = QStringLiteral("Another program kept replacing the file while it was "
                                   "being written.");
    return result;
}

} // namespace corvantis::writer
