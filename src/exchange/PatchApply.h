#pragma once

#include "data/ImageLayout.h"
#include "exchange/Patch.h"

#include <QByteArray>
#include <QString>
#include <QtGlobal>

#include <optional>

namespace corvantis {

// A count as the program's messages write it: "1,204".
QString GroupedNumber(qint64 n);

// A patch applied in memory, or the reason it cannot be.
struct AppliedPatch {
    // The patched image; empty when the patch was refused.
    QByteArray image;
    // Why the patch cannot be applied ("not an IPS patch: ..."); empty when
    // it was applied.
    QString error;
    bool ok() const { return error.isEmpty(); }

    // BPS only: the CRC-32 of the image the patch was made for, and that of
    // the image it was checked against. A patch made for another image is
    // still applied; saying so is the caller's business.
    std::optional<quint32> madeFor;
    quint32 checkedAgainst = 0;
    bool madeForThisImage() const { return !madeFor || *madeFor == checkedAgainst; }
    // BPS only: whether the result has the CRC-32 the patch names. It can
    // only differ when the bytes patched are not the ones it was made for.
    bool targetMatches = true;
};

// An IPS patch: "PATCH", records (plain or run-length) up to "EOF", then
// optionally the length to cut the image to. Records past the image's end
// lengthen it, as IPS appliers do; the result's size tells.
AppliedPatch ApplyIps(const QByteArray &image, const QByteArray &patch);

// A BPS patch: "BPS1", the sizes, metadata, the four actions and the CRC-32
// of source, target and patch. A damaged patch (its own CRC-32 wrong) is
// refused. The source CRC-32 is checked against imageCrc when given (the
// image as saved, while source may hold unsaved edits), else against
// source's. A wrong target CRC-32 refuses the patch when source is exactly
// what it was made for, and is only reported otherwise.
AppliedPatch ApplyBps(const QByteArray &source, const QByteArray &patch,
                      std::optional<quint32> imageCrc = std::nullopt);

AppliedPatch ApplyPatch(PatchFormat format, const QByteArray &image, const QByteArray &patch,
                        std::optional<quint32> imageCrc = std::nullopt);

} // namespace corvantis
