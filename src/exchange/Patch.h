#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>

#include <optional>

namespace corvantis {

// The two patch formats that turn a player's copy of the original image into
// the edited one.
enum class PatchFormat { Ips, Bps };

// By the patch file's extension, in either case: .ips or .bps; nullopt for
// any other.
std::optional<PatchFormat> PatchFormatOf(const QString &path);

// The CRC-32 that BPS patches hold (zlib's).
quint32 Crc32(const QByteArray &bytes);

// IPS offsets have three bytes: neither image may be larger than this.
constexpr qint64 IpsSizeLimit = qint64(1) << 24;

// An IPS patch: "PATCH", records of changed bytes (a run of one value as a
// run-length record where that is shorter), "EOF", and the target's length
// when it is shorter than the original. nullopt when an image is too large
// for IPS, with why (if given) saying so and pointing to BPS.
std::optional<QByteArray> MakeIpsPatch(const QByteArray &original, const QByteArray &target,
                                       QString *why = nullptr);

// A BPS patch: "BPS1", the two sizes, no metadata, the actions, and the
// CRC-32 of source, target and patch, so that an applier refuses a wrong
// original. Linear in the image size; equal images give a patch that only
// reads the source.
QByteArray MakeBpsPatch(const QByteArray &source, const QByteArray &target);

std::optional<QByteArray> MakePatch(PatchFormat format, const QByteArray &original,
                                    const QByteArray &target, QString *why = nullptr);

} // namespace corvantis
