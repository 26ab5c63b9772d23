#pragma once

// Appliers of IPS and BPS written from the formats alone, apart from the
// program's own, so that the patches it writes are checked by other code.

#include <QByteArray>
#include <QtEndian>

#include <zlib.h>

#include <algorithm>
#include <optional>
#include <utility>

namespace corvantis::test {

// Applies an IPS patch and counts its run-length records.
inline std::optional<QByteArray> applyIps(QByteArray out, const QByteArray &p, int &runs) {
    qsizetype at = 5;
    const auto number = [&](int size) {
        qint64 v = 0;
        while (size--)
            v = v << 8 | quint8(p[at++]);
        return v;
    };
    while (p.startsWith("PATCH") && at + 3 <= p.size() && p.mid(at, 3) != "EOF") {
        const qint64 offset = number(3), size = number(2), length = size ? size : number(2);
        runs += size == 0;
        out.append(QByteArray(std::max<qint64>(0, offset + length - out.size()), '\0'));
        out.replace(offset, length, size ? p.mid(at, size) : QByteArray(length, p[at]));
        at += size ? size : 1;
    }
    at += 3;
    if (at + 3 == p.size())
        out.truncate(number(3));
    return at == p.size() ? std::optional(out) : std::nullopt;
}

inline quint64 number(const QByteArray &p, qsizetype &at) {
    quint64 v = 0;
    for (quint64 shift = 1, x = 0; !(x & 0x80); shift <<= 7) {
        x = quint8(p[at++]);
        v += (x & 0x7F) * shift + (x & 0x80 ? 0 : shift << 7);
    }
    return v;
}

inline quint32 crcOf(const QByteArray &b) {
    return quint32(crc32(0, reinterpret_cast<const Bytef *>(b.constData()), uInt(b.size())));
}

// Applies a BPS patch, refusing a wrong source or a damaged patch; sets bit
// n of seen for each action n it meets.
inline std::optional<QByteArray> applyBps(const QByteArray &src, const QByteArray &p, int &seen) {
    const qsizetype end = p.size() - 12;
    const auto word = [&p](qsizetype at) { return qFromLittleEndian<quint32>(p.constData() + at); };
    qsizetype at = 4;
    if (!p.startsWith("BPS1") || crcOf(p.left(end + 8)) != word(end + 8) ||
        crcOf(src) != word(end) || number(p, at) != quint64(src.size()))
        return std::nullopt;
    const qsizetype size = qsizetype(number(p, at));
    at += qsizetype(number(p, at));
    QByteArray out;
    qint64 relative[4] = {};
    while (at < end) {
        const quint64 a = number(p, at);
        const int kind = int(a & 3);
        const qint64 length = qint64(a >> 2) + 1;
        seen |= 1 << kind;
        if (kind == 0)
            out += src.mid(out.size(), length);
        if (kind == 1)
            out += p.mid(std::exchange(at, at + length), length);
        const quint64 d = kind >= 2 ? number(p, at) : 0;
        relative[kind] += (d & 1) ? -qint64(d >> 1) : qint64(d >> 1);
        for (qint64 k = 0; kind >= 2 && k < length; ++k)
            out += (kind == 2 ? src : out).at(relative[kind]++);
    }
    return out.size() == size && crcOf(out) == word(end + 4) ? std::optional(out) : std::nullopt;
}

// A BPS patch with its own CRC-32 put right, as a writer would end it.
inline QByteArray sealed(QByteArray p) {
    qToLittleEndian(crcOf(p.chopped(4)), p.data() + p.size() - 4);
    return p;
}

} // namespace corvantis::test
