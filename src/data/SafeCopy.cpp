// The safe writer's words for what went wrong, and its copying in bounded pieces.
#include "data/SafeWriter.h"

#include "data/FileNames.h"

#include <QHashFunctions>
#include <QRandomGenerator>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace corvantis::writer {

using platform::Handle;

QString SystemReason(int error) {
    if (error == ENOSPC)
        return QStringLiteral("No space left on device.");
    return QString::fromLocal8Bit(std::strerror(error)) + QLatin1Char('.');
}

QString FolderReason(const QString &folder) {
    return QStringLiteral("The folder %1 cannot be written.").arg(DisplayFileName(folder));
}

QString ShortReason() {
    return QStringLiteral("The file is shorter than a Corvantis image (%1 bytes).")
        .arg(MinimumImageSize);
}

QString LargeReason(qint64 size) {
    return QStringLiteral("The file is larger than any Corvantis image (%1 bytes).").arg(size);
}

QString NotRegularReason(const QString &path) {
    return QStringLiteral("%1 is not a regular file.").arg(DisplayFileName(path));
}

bool HookAllows(const std::function<bool()> &hook) {
    if (!hook)
        return true;
    errno = 0;
    if (hook())
        return true;
    if (errno == 0)
        errno = EIO;
    return false;
}

bool HookAllows(const std::function<bool(qint64)> &hook, qint64 offset) {
    return HookAllows(hook ? std::function<bool()>([&] { return hook(offset); }) : nullptr);
}

bool ReadExactly(const Handle &file, qint64 offset, char *data, qint64 size) {
    qint64 got;
    if (!platform::ReadAt(file, offset, data, size, got))
        return false;
    if (got != size)
        errno = 0; // the file ends first
    return got == size;
}

namespace {

// A digest of a file, piece by piece: what tells whether another program
// wrote to it meanwhile. Qt's own hash, many times faster than a
// cryptographic one, is enough against accidents, the only thing to catch.
class Digest {
  public:
    void addData(const char *data, qint64 size) {
        if (size == 0)
            return;
        const size_t h = qHash(QByteArrayView(data, size), QHashSeed::globalSeed());
        result_.append(reinterpret_cast<const char *>(&h), sizeof h);
    }
    QByteArray result() const { return result_; }

  private:
    QByteArray result_;
};

} // namespace

bool HashFile(const Handle &file, QByteArray &hash, qint64 &size) {
    Digest digest;
    QByteArray chunk(ChunkSize, '\0');
    qint64 got = ChunkSize;
    for (size = 0; got == ChunkSize; size += got) {
        if (!platform::ReadAt(file, size, chunk.data(), ChunkSize, got))
            return false;
        digest.addData(chunk.constData(), got);
    }
    hash = digest.result();
    return true;
}

bool CreateUnique(const Handle &folder, const QString &prefix, const QString &suffix,
                  bool replacement, Handle &file, QString &name) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        const quint64 random = QRandomGenerator::global()->generate64();
        name = prefix + QString::number(random % 2821109907456ull, 36).rightJustified(8, '0') +
               suffix; // 36^8: eight characters
        if (platform::CreateIn(folder, name, replacement, file))
            return true;
        if (errno != EEXIST)
            return false;
    }
    return false;
}

namespace {

bool allZero(const char *data, qint64 size) {
    return size == 0 || (data[0] == 0 && std::memcmp(data, data + 1, size_t(size - 1)) == 0);
}

// Writes the pieces of a content into file. A fresh file is sized first and
// its zero pieces left as holes; an old one gets every piece, then its size.
class Producer {
  public:
    Producer(const Content &content, const Handle *target, const SaveHooks &hooks)
        : content_(content), base_(content.source == Content::Target ? target : content.file),
          hooks_(hooks), chunk_(ChunkSize, '\0') {}

    bool write(const Handle &file, qint64 size, bool fresh, QByteArray &baseHash) {
        Digest digest;
        if (fresh && !platform::Resize(file, size))
            return false;
        for (qint64 offset = 0; offset < size; offset += ChunkSize) {
            const qint64 n = std::min(ChunkSize, size - offset);
            if (!read(offset, n))
                return false;
            digest.addData(chunk_.constData(), n);
            overlay(offset, n);
            if (!HookAllows(hooks_.writeChunk, offset))
                return false;
            if (!(fresh && allZero(chunk_.constData(), n)) &&
                !platform::WriteAt(file, offset, chunk_.constData(), n))
                return false;
        }
        baseHash = digest.result();
        return fresh || platform::Resize(file, size);
    }

  private:
    bool read(qint64 offset, qint64 n) {
        if (base_)
            return ReadExactly(*base_, offset, chunk_.data(), n);
        std::memcpy(chunk_.data(), content_.bytes.constData() + offset, size_t(n));
        return true;
    }
    void overlay(qint64 offset, qint64 n) {
        for (const Region &r : content_.regions) {
            const qint64 from = std::max(offset, r.offset);
            const qint64 to = std::min(offset + n, r.offset + r.bytes.size());
            if (from < to)
                std::memcpy(chunk_.data() + (from - offset),
                            r.bytes.constData() + (from - r.offset), size_t(to - from));
        }
    }

    const Content &content_;
    const Handle *base_;
    const SaveHooks &hooks_;
    QByteArray chunk_;
};

} // namespace

bool Produce(const Content &content, const Handle *target, const SaveHooks &hooks,
             const Handle &file, qint64 size, bool fresh, QByteArray &baseHash) {
    return Producer(content, target, hooks).write(file, size, fresh, baseHash);
}

bool CopyFile(const Handle &from, qint64 size, const Handle &to, const SaveHooks &hooks,
              QByteArray &hash) {
    Content whole;
    whole.source = Content::File;
    whole.file = &from;
    return Producer(whole, nullptr, hooks).write(to, size, true, hash);
}

} // namespace corvantis::writer
