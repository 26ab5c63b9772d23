#include "exchange/Patch.h"

#include <QFileInfo>

#include <zlib.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace corvantis {

namespace {

// How many leading bytes of a and b agree, comparing eight at a time.
qint64 matchLength(const char *a, const char *b, qint64 n) {
    qint64 k = 0;
    for (; k + 8 <= n; k += 8) {
        std::uint64_t x, y;
        std::memcpy(&x, a + k, 8);
        std::memcpy(&y, b + k, 8);
        if (x != y)
            break;
    }
    while (k < n && a[k] == b[k])
        ++k;
    return k;
}

// ---- IPS ----

// An IPS record at this offset would read as the "EOF" marker.
constexpr qint64 EofOffset = 0x454F46;
constexpr qint64 IpsMaxRecord = 0xFFFF;
// Unchanged bytes between two changes that are cheaper to repeat than a new
// record's five-byte header.
constexpr qint64 IpsMaxGap = 4;

class IpsWriter {
  public:
    IpsWriter(const QByteArray &original, const QByteArray &target)
        : o_(original.constData()), t_(target.constData()), targetSize_(target.size()),
          common_(std::min(original.size(), target.size())) {}

    QByteArray write(qint64 originalSize) {
        out_ = QByteArrayLiteral("PATCH");
        qint64 pos = firstChanged(0);
        while (pos < targetSize_) {
            const qint64 start = pos;
            qint64 end = firstUnchanged(pos);
            for (;;) {
                pos = firstChanged(end);
                if (pos >= targetSize_ || pos - end > IpsMaxGap)
                    break;
                end = firstUnchanged(pos);
            }
            region(start, end);
        }
        out_ += QByteArrayLiteral("EOF");
        if (targetSize_ < originalSize)
            number(targetSize_, 3);
        return out_;
    }

  private:
    // Bytes past the original's end always count as changed.
    qint64 firstChanged(qint64 i) const {
        return i >= common_ ? i : i + matchLength(o_ + i, t_ + i, common_ - i);
    }
    qint64 firstUnchanged(qint64 i) const {
        while (i < common_ && o_[i] != t_[i])
            ++i;
        return i < common_ ? i : targetSize_;
    }

    void number(qint64 value, int size) {
        for (int shift = 8 * (size - 1); shift >= 0; shift -= 8)
            out_.append(char((value >> shift) & 0xFF));
    }

    // A changed region, its runs of one value as run-length records where
    // that saves bytes: a run costs 8 bytes, and splitting a plain record
    // around it costs a header of 5 on each side that has bytes left.
    void region(qint64 from, qint64 to) {
        qint64 plainFrom = from;
        for (qint64 i = from; i < to;) {
            qint64 j = i + 1;
            while (j < to && t_[j] == t_[i])
                ++j;
            const qint64 cost = 3 + (i > plainFrom ? 5 : 0) + (j < to ? 5 : 0);
            if (j - i > cost) {
                plain(plainFrom, i);
                run(i, j);
                plainFrom = j;
            }
            i = j;
        }
        plain(plainFrom, to);
    }

    // A record never starts at the "EOF" offset: it starts one byte earlier,
    // repeating that byte of the target.
    void plain(qint64 from, qint64 to) {
        while (from < to) {
            const qint64 start = from == EofOffset ? from - 1 : from;
            const qint64 end = std::min(to, start + IpsMaxRecord);
            number(start, 3);
            number(end - start, 2);
            out_.append(t_ + start, end - start);
            from = end;
        }
    }

    void run(qint64 from, qint64 to) {
        while (from < to) {
            if (from == EofOffset) {
                plain(from, from + 1);
                ++from;
                continue;
            }
            const qint64 end = std::min(to, from + IpsMaxRecord);
            number(from, 3);
            number(0, 2);
            number(end - from, 2);
            out_.append(t_[from]);
            from = end;
        }
    }

    const char *o_;
    const char *t_;
    const qint64 targetSize_;
    const qint64 common_;
    QByteArray out_;
};

// ---- BPS ----

enum BpsAction { SourceRead = 0, TargetRead = 1, SourceCopy = 2, TargetCopy = 3 };

// Shorter matches are cheaper as literal bytes than as an action.
constexpr qint64 BpsMinRun = 4;
// Moved data is looked for this far around its place, eight bytes at a time,
// once every eight new bytes: enough for a record or name moved within its
// table, and linear however different the images are.
constexpr qint64 BpsSearchWindow = 1024;
constexpr qint64 BpsMinCopy = 8;

quint32 crc(const char *data, qint64 size) {
    return quint32(crc32_z(0, reinterpret_cast<const Bytef *>(data), z_size_t(size)));
}

class BpsWriter {
  public:
    BpsWriter(const QByteArray &source, const QByteArray &target)
        : s_(source.constData()), t_(target.constData()), sourceSize_(source.size()),
          targetSize_(target.size()), searchBudget_(4 * target.size() + 65536) {}

    QByteArray write() {
        out_ = QByteArrayLiteral("BPS1");
        number(quint64(sourceSize_));
        number(quint64(targetSize_));
        number(0); // no metadata
        while (i_ < targetSize_) {
            if (!sourceRead() && !continueSourceCopy() && !targetCopy() && !movedSourceCopy())
                ++i_;
        }
        flush();
        checksum(crc(s_, sourceSize_));
        checksum(crc(t_, targetSize_));
        checksum(crc(out_.constData(), out_.size())); // of the patch up to here
        return out_;
    }

  private:
    void number(quint64 value) {
        for (;;) {
            const quint8 x = value & 0x7F;
            value >>= 7;
            if (value == 0) {
                out_.append(char(0x80 | x));
                return;
            }
            out_.append(char(x));
            --value;
        }
    }
    void checksum(quint32 sum) {
        for (int k = 0; k < 4; ++k)
            out_.append(char((sum >> (8 * k)) & 0xFF));
    }
    void action(BpsAction kind, qint64 length) {
        flush();
        number((quint64(length - 1) << 2) | kind);
    }
    void relative(qint64 delta) { number((quint64(std::abs(delta)) << 1) | (delta < 0 ? 1 : 0)); }

    // The literal bytes gathered since the last action.
    void flush() {
        if (i_ == literalFrom_)
            return;
        number((quint64(i_ - literalFrom_ - 1) << 2) | TargetRead);
        out_.append(t_ + literalFrom_, i_ - literalFrom_);
        literalFrom_ = i_;
    }
    void advance(qint64 length) {
        i_ += length;
        literalFrom_ = i_;
    }

    bool sourceRead() {
        const qint64 n = i_ < sourceSize_ ? matchLength(s_ + i_, t_ + i_,
                                                        std::min(sourceSize_, targetSize_) - i_)
                                          : 0;
        if (n < BpsMinRun)
            return false;
        action(SourceRead, n);
        advance(n);
        return true;
    }

    bool copyFrom(qint64 from, qint64 minimum) {
        const qint64 n =
            matchLength(s_ + from, t_ + i_, std::min(sourceSize_ - from, targetSize_ - i_));
        if (n < minimum)
            return false;
        action(SourceCopy, n);
        relative(from - sourceCursor_);
        sourceCursor_ = from + n;
        advance(n);
        return true;
    }
    bool continueSourceCopy() {
        return sourceCursor_ < sourceSize_ && copyFrom(sourceCursor_, BpsMinRun);
    }

    // A run of the byte just written, copied from the target itself.
    bool targetCopy() {
        if (i_ == 0)
            return false;
        qint64 n = 0;
        while (i_ + n < targetSize_ && t_[i_ + n] == t_[i_ - 1])
            ++n;
        if (n < BpsMinRun)
            return false;
        action(TargetCopy, n);
        relative((i_ - 1) - targetCursor_);
        targetCursor_ = i_ - 1 + n;
        advance(n);
        return true;
    }

    bool movedSourceCopy() {
        if (i_ < nextSearch_ || searchBudget_ <= 0 || targetSize_ - i_ < BpsMinCopy)
            return false;
        nextSearch_ = i_ + BpsMinCopy;
        const qint64 from = std::max<qint64>(0, i_ - BpsSearchWindow);
        const qint64 to = std::min(sourceSize_ - BpsMinCopy, i_ + BpsSearchWindow);
        std::uint64_t key;
        std::memcpy(&key, t_ + i_, 8);
        for (qint64 p = from; p <= to; ++p) {
            std::uint64_t x;
            std::memcpy(&x, s_ + p, 8);
            if (x == key && p != i_) {
                searchBudget_ -= p - from;
                return copyFrom(p, BpsMinCopy);
            }
        }
        searchBudget_ -= std::max<qint64>(0, to - from);
        return false;
    }

    const char *s_;
    const char *t_;
    const qint64 sourceSize_;
    const qint64 targetSize_;
    qint64 searchBudget_;
    qint64 i_ = 0; // the next target byte to write
    qint64 literalFrom_ = 0;
    qint64 sourceCursor_ = 0;
    qint64 targetCursor_ = 0;
    qint64 nextSearch_ = 0;
    QByteArray out_;
};

} // namespace

quint32 Crc32(const QByteArray &bytes) {
    return crc(bytes.constData(), bytes.size());
}

std::optional<PatchFormat> PatchFormatOf(const QString &path) {
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == QLatin1String("ips"))
        return PatchFormat::Ips;
    if (suffix == QLatin1String("bps"))
        return PatchFormat::Bps;
    return std::nullopt;
}

std::optional<QByteArray> MakeIpsPatch(const QByteArray &original, const QByteArray &target,
                                       QString *why) {
    const qint64 largest = std::max(original.size(), target.size());
    if (largest > IpsSizeLimit) {
        if (why)
            *why = QStringLiteral("IPS cannot address an image larger than 16 MiB (this one has "
                                  "%1 bytes); a BPS patch can.")
                       .arg(largest);
        return std::nullopt;
    }
    return IpsWriter(original, target).write(original.size());
}

QByteArray MakeBpsPatch(const QByteArray &source, const QByteArray &target) {
    return BpsWriter(source, target).write();
}

std::optional<QByteArray> MakePatch(PatchFormat format, const QByteArray &original,
                                    const QByteArray &target, QString *why) {
    if (format == PatchFormat::Ips)
        return MakeIpsPatch(original, target, why);
    return MakeBpsPatch(original, target);
}

} // namespace corvantis
