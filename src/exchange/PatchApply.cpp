#include "exchange/PatchApply.h"

#include <QLocale>

#include <algorithm>
#include <cstring>

namespace corvantis {

namespace {

QString hex(quint32 crc) {
    return QStringLiteral("%1").arg(crc, 8, 16, QLatin1Char('0')).toUpper();
}

AppliedPatch refused(const QString &why) {
    AppliedPatch result;
    result.error = why;
    return result;
}

// ---- IPS ----

class IpsReader {
  public:
    explicit IpsReader(const QByteArray &patch)
        : p_(reinterpret_cast<const quint8 *>(patch.constData())), size_(patch.size()) {}

    AppliedPatch apply(const QByteArray &image) {
        if (size_ < 5 || std::memcmp(p_, "PATCH", 5) != 0)
            return refused(QStringLiteral("not an IPS patch: it does not begin with \"PATCH\""));
        QByteArray out = image;
        at_ = 5;
        for (;;) {
            if (at_ + 3 > size_)
                return refused(
                    QStringLiteral("the patch is cut short: it has no \"EOF\" end mark"));
            if (std::memcmp(p_ + at_, "EOF", 3) == 0)
                break;
            const qint64 record = at_;
            const qint64 offset = number(3);
            qint64 length = number(2);
            const bool run = length == 0;
            if (run)
                length = number(2);
            const qint64 stored = run ? 1 : length;
            if (at_ < 0 || at_ + stored > size_)
                return refused(QStringLiteral("the patch is cut short: it ends inside the record "
                                              "at byte %1")
                                   .arg(GroupedNumber(record)));
            // At most 16 MiB + 64 KiB: far below any limit.
            const qint64 end = offset + length;
            if (const qint64 old = out.size(); end > old) {
                out.resize(end);
                std::memset(out.data() + old, 0, size_t(end - old));
            }
            if (run)
                std::memset(out.data() + offset, p_[at_], size_t(length));
            else
                std::memcpy(out.data() + offset, p_ + at_, size_t(length));
            at_ += stored;
        }
        at_ += 3;
        if (at_ + 3 == size_) {
            const qint64 cut = number(3);
            if (cut > out.size())
                return refused(QStringLiteral("the patch cuts the image to %1 bytes, past its "
                                              "end (%2 bytes)")
                                   .arg(GroupedNumber(cut), GroupedNumber(out.size())));
            out.truncate(cut);
        } else if (at_ != size_) {
            return refused(QStringLiteral("%1 bytes follow the patch's \"EOF\" end mark; an IPS "
                                          "patch has none or three")
                               .arg(GroupedNumber(size_ - at_)));
        }
        AppliedPatch result;
        result.image = out;
        return result;
    }

  private:
    // A big-endian number of n bytes; past the end, at_ goes negative.
    qint64 number(int n) {
        if (at_ < 0 || at_ + n > size_) {
            at_ = -1;
            return 0;
        }
        qint64 v = 0;
        for (int k = 0; k < n; ++k)
            v = v << 8 | p_[at_ + k];
        at_ += n;
        return v;
    }

    const quint8 *p_;
    const qint64 size_;
    qint64 at_ = 0;
};

// ---- BPS ----

constexpr qint64 BpsFooter = 12; // the three CRC-32s

class BpsReader {
  public:
    BpsReader(const QByteArray &source, const QByteArray &patch)
        : s_(source.constData()), sourceSize_(source.size()),
          p_(reinterpret_cast<const quint8 *>(patch.constData())), end_(patch.size() - BpsFooter) {}

    // Reads the header and applies the actions into out; an empty answer
    // means the image is made.
    QString apply(QByteArray &out) {
        at_ = 4;
        std::optional<quint64> sourceSize = number(), targetSize = number(), metadata = number();
        if (!sourceSize || !targetSize || !metadata)
            return problem_;
        if (qint64(*targetSize) > MaximumImageSize)
            return QStringLiteral("the patch makes an image of %1 bytes; no Corvantis image has "
                                  "more than %2")
                .arg(GroupedNumber(qint64(*targetSize)), GroupedNumber(MaximumImageSize));
        if (qint64(*metadata) > end_ - at_)
            return cutShort(at_);
        at_ += qint64(*metadata);
        const qint64 targetSize64 = qint64(*targetSize);
        // Room for the whole image, filled only as the actions write it.
        out.reserve(targetSize64);
        qint64 sourceCursor = 0, targetCursor = 0;
        while (at_ < end_) {
            const qint64 o = out.size(), action = at_;
            const std::optional<quint64> word = number();
            if (!word)
                return problem_;
            const int kind = int(*word & 3);
            const qint64 length = qint64(*word >> 2) + 1;
            if (length > targetSize64 - o)
                return QStringLiteral("the patch writes past the end of the image it makes, at "
                                      "byte %1")
                    .arg(GroupedNumber(action));
            if (kind == 0) { // SourceRead
                if (o + length > sourceSize_)
                    return pastSource(action);
                out.append(s_ + o, length);
            } else if (kind == 1) { // TargetRead
                if (length > end_ - at_)
                    return cutShort(action);
                out.append(reinterpret_cast<const char *>(p_) + at_, length);
                at_ += length;
            } else {
                const std::optional<qint64> delta = relative();
                if (!delta)
                    return problem_;
                qint64 &cursor = kind == 2 ? sourceCursor : targetCursor;
                cursor += *delta;
                if (kind == 2) { // SourceCopy
                    if (cursor < 0 || cursor + length > sourceSize_)
                        return pastSource(action);
                    out.append(s_ + cursor, length);
                } else { // TargetCopy: each byte from one already made
                    if (cursor < 0 || cursor >= o)
                        return QStringLiteral("the patch copies from a part of the image it has "
                                              "not made yet, at byte %1")
                            .arg(GroupedNumber(action));
                    // In pieces that never overlap, as a byte at a time would.
                    for (qint64 from = cursor, left = length; left > 0;) {
                        const qint64 n = std::min(left, out.size() - from);
                        out.append(out.constData() + from, n);
                        from += n;
                        left -= n;
                    }
                }
                cursor += length;
            }
        }
        if (out.size() != targetSize64)
            return QStringLiteral("the patch ends before the image it makes is whole (%1 of %2 "
                                  "bytes)")
                .arg(GroupedNumber(out.size()), GroupedNumber(targetSize64));
        return {};
    }

  private:
    // A BPS number; nullopt (with problem_ set) past the actions' end or
    // beyond any size an image could need, which also keeps the sums below
    // from overflowing.
    std::optional<quint64> number() {
        const qint64 start = at_;
        quint64 value = 0;
        for (quint64 shift = 1;; shift <<= 7) {
            if (at_ >= end_) {
                problem_ = cutShort(start);
                return std::nullopt;
            }
            const quint8 x = p_[at_++];
            value += (x & 0x7F) * shift;
            if (x & 0x80)
                return value;
            if (shift > (quint64(1) << 42)) {
                problem_ = QStringLiteral("the patch holds a number too large for any image, at "
                                          "byte %1")
                               .arg(GroupedNumber(start));
                return std::nullopt;
            }
            value += shift << 7;
        }
    }
    std::optional<qint64> relative() {
        const std::optional<quint64> n = number();
        if (!n)
            return std::nullopt;
        const qint64 magnitude = qint64(*n >> 1);
        return (*n & 1) ? -magnitude : magnitude;
    }

    static QString cutShort(qint64 at) {
        return QStringLiteral("the patch is cut short: it ends inside the action at byte %1")
            .arg(GroupedNumber(at));
    }
    QString pastSource(qint64 at) const {
        return QStringLiteral("the patch reads past the end of the image (%1 bytes), at byte %2")
            .arg(GroupedNumber(sourceSize_), GroupedNumber(at));
    }

    const char *s_;
    const qint64 sourceSize_;
    const quint8 *p_;
    const qint64 end_;
    qint64 at_ = 0;
    QString problem_;
};

quint32 word(const QByteArray &bytes, qint64 at) {
    quint32 v = 0;
    for (int k = 3; k >= 0; --k)
        v = v << 8 | quint8(bytes[at + k]);
    return v;
}

} // namespace

QString GroupedNumber(qint64 n) {
    return QLocale(QLocale::English, QLocale::UnitedStates).toString(n);
}

AppliedPatch ApplyIps(const QByteArray &image, const QByteArray &patch) {
    return IpsReader(patch).apply(image);
}

AppliedPatch ApplyBps(const QByteArray &source, const QByteArray &patch,
                      std::optional<quint32> imageCrc) {
    if (!patch.startsWith("BPS1"))
        return refused(QStringLiteral("not a BPS patch: it does not begin with \"BPS1\""));
    // The magic, three one-byte numbers and the checksums at the least.
    if (patch.size() < 4 + 3 + BpsFooter)
        return refused(QStringLiteral("the patch is cut short: %1 bytes are too few for a BPS "
                                      "patch")
                           .arg(patch.size()));
    const qint64 end = patch.size() - BpsFooter;
    const quint32 patchCrc = Crc32(QByteArray::fromRawData(patch.constData(), end + 8));
    if (patchCrc != word(patch, end + 8))
        return refused(QStringLiteral("wrong checksum: the patch is damaged (its CRC32 is %1; it "
                                      "should be %2)")
                           .arg(hex(patchCrc), hex(word(patch, end + 8))));
    AppliedPatch result;
    const QString problem = BpsReader(source, patch).apply(result.image);
    if (!problem.isEmpty())
        return refused(problem);
    const quint32 targetCrc = Crc32(result.image);
    result.madeFor = word(patch, end);
    result.targetMatches = targetCrc == word(patch, end + 4);
    // The source's own CRC-32 only where it decides something: a pass over
    // a whole image.
    const auto sourceCrc = [&source] { return Crc32(source); };
    result.checkedAgainst = imageCrc ? *imageCrc : sourceCrc();
    // Patched bytes that are exactly the patch's source make exactly its
    // target, unless the patch is wrong.
    if (!result.targetMatches && sourceCrc() == *result.madeFor)
        return refused(QStringLiteral("wrong checksum: the patched image's CRC32 is %1; the "
                                      "patch says %2")
                           .arg(hex(targetCrc), hex(word(patch, end + 4))));
    return result;
}

AppliedPatch ApplyPatch(PatchFormat format, const QByteArray &image, const QByteArray &patch,
                        std::optional<quint32> imageCrc) {
    return format == PatchFormat::Ips ? ApplyIps(image, patch) : ApplyBps(image, patch, imageCrc);
}

} // namespace corvantis
