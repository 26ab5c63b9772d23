#include "data/SafeSave.h"

#include "data/Platform.h"
#include "data/SafeWriter.h"

#include <cerrno>

namespace corvantis {

using platform::Handle;
using platform::Status;
using namespace writer;

namespace {

// Opens the file path resolves to, for reading, and checks it is a regular
// file of at most limit bytes.
bool openRegular(const QString &path, qint64 limit, QString *resolved, Handle &file, Status &st,
                 QString &reason) {
    QString real;
    if (!platform::Resolve(path, real) || !platform::OpenRead(real, file) ||
        !platform::StatusOf(file, st)) {
        reason = SystemReason(errno);
        return false;
    }
    if (st.kind != Status::Regular) {
        reason = NotRegularReason(path);
        return false;
    }
    if (st.size > limit) {
        reason = LargeReason(st.size);
        return false;
    }
    if (resolved)
        *resolved = real;
    return true;
}

// The tables of an open image, read at their offsets.
bool readTables(const Handle &file, QByteArray &tables) {
    tables.resize(TablesSize);
    char *at = tables.data();
    for (const Span &s : TableSpans) {
        if (!ReadExactly(file, s.offset, at, s.size))
            return false;
        at += s.size;
    }
    return true;
}

void fill(ImageIdentity &identity, const QString &path, const Status &st,
          const QByteArray &tables) {
    identity.path = path;
    identity.device = st.device;
    identity.inode = st.inode;
    identity.size = st.size;
    identity.tables = tables;
}

} // namespace

bool ReadImage(const QString &path, ImageIdentity &identity, QString &reason) {
    QString resolved;
    Handle file;
    Status st;
    QByteArray tables;
    if (!openRegular(path, MaximumImageSize, &resolved, file, st, reason))
        return false;
    if (st.size < MinimumImageSize || !readTables(file, tables)) {
        reason = st.size < MinimumImageSize || !errno ? ShortReason() : SystemReason(errno);
        return false;
    }
    fill(identity, resolved, st, tables);
    return true;
}

bool ChangedSince(const ImageIdentity &identity) {
    Handle file;
    Status st;
    QByteArray tables;
    if (!identity.isValid() || !platform::OpenRead(identity.path, file) ||
        !platform::StatusOf(file, st) || st.kind != Status::Regular || st.size < MinimumImageSize ||
        !readTables(file, tables))
        return false;
    return st.device != identity.device || st.inode != identity.inode || st.size != identity.size ||
           tables != identity.tables;
}

bool WriteImage(const QString &path, const Regions &regions, const ImageIdentity *expected,
                const SaveHooks &hooks, ImageIdentity &saved, QString &reason, QString *warning) {
    Request request;
    request.path = path;
    request.content.source = Content::Target;
    request.content.regions = regions;
    request.expected = expected && expected->isValid() ? expected : nullptr;
    request.create = false;
    request.hooks = hooks;
    const Result result = Write(request);
    if (result.ok)
        fill(saved, result.path, result.written, TablesAfter(result.tables, regions));
    reason = result.reason;
    if (warning)
        *warning = result.warning;
    return result.ok;
}

bool CopyImage(const ImageIdentity &source, const QString &target, const Regions &regions,
               const SaveHooks &hooks, ImageIdentity &saved, QString &reason, QString *warning) {
    Handle file;
    Status st;
    QByteArray tables;
    if (!openRegular(source.path, MaximumImageSize, nullptr, file, st, reason))
        return false;
    if (st.device != source.device || st.inode != source.inode || st.size != source.size ||
        !readTables(file, tables) || tables != source.tables) {
        reason = ChangedReason;
        return false;
    }
    Request request;
    request.path = target;
    request.content.source = Content::File;
    request.content.file = &file;
    request.content.size = st.size;
    request.content.regions = regions;
    request.hooks = hooks;
    const Result result = Write(request);
    if (result.ok)
        fill(saved, result.path, result.written, TablesAfter(tables, regions));
    reason = result.reason;
    if (warning)
        *warning = result.warning;
    return result.ok;
}

FileId IdentityOf(const QString &path) {
    Status st;
    if (!platform::StatusOfPath(path, st))
        return {};
    return {true, st.device, st.inode};
}

bool ReadFile(const QString &path, qint64 limit, QByteArray &bytes, QString &reason) {
    Handle file;
    Status st;
    if (!openRegular(path, limit, nullptr, file, st, reason))
        return false;
    // Read to the end as it is now, which may have moved since.
    QByteArray read(qsizetype(std::min(st.size, limit) + 1), '\0');
    qint64 got;
    if (!platform::ReadAt(file, 0, read.data(), read.size(), got)) {
        reason = SystemReason(errno);
        return false;
    }
    if (got > limit) {
        reason = LargeReason(got);
        return false;
    }
    read.truncate(got);
    bytes = read;
    return true;
}

bool WriteFile(const QString &path, const QByteArray &bytes, QString &reason, QString *warning) {
    Request request;
    request.path = path;
    request.content.bytes = bytes;
    const Result result = Write(request);
    reason = result.reason;
    if (warning)
        *warning = result.warning;
    return result.ok;
}

} // namespace corvantis
