// The patch writers and appliers. Input byte 0: the target made shorter
// (bit 0) or longer (bit 1), and the original's size (the rest: 62 around the
// IPS "EOF" offset 0x454F46, 63 around 16 MiB, any other small); byte 1
// fine-tunes the sizes; each further four bytes are an edit that makes the
// target. Both patches must turn the original into the target under the
// tests' appliers and the program's own, which take the raw input as a patch
// of either kind without a crash or an unbounded allocation.
#undef NDEBUG // the checks hold in every build
#include "exchange/Patch.h"
#include "exchange/PatchApply.h"
#include "exchange/ReferenceAppliers.h"
#include "support/ImageFixture.h"

#include <algorithm>
#include <cassert>
#include <cstdint>

using namespace corvantis;

namespace {

constexpr qint64 EofOffset = 0x454F46;
constexpr qint64 Largest = (qint64(16) << 20) + 64;

// The bytes from which each original is cut.
const QByteArray &base() {
    static const QByteArray bytes = test::randomImage(Largest, 5);
    return bytes;
}

// Raw bytes as a patch: never a crash, and a bounded result.
void applyRaw(const QByteArray &raw) {
    static const QByteArray image = base().left(4096);
    const QByteArray bps = test::sealed("BPS1" + raw + QByteArray(4, '\0'));
    for (const AppliedPatch &p : {ApplyIps(image, raw), ApplyIps(image, "PATCH" + raw),
                                  ApplyBps(image, raw), ApplyBps(image, bps)}) {
        assert(p.ok() || p.image.isEmpty());
        assert(p.image.size() <= MaximumImageSize);
    }
}

QByteArray target(const std::uint8_t *data, std::size_t size, QByteArray t) {
    const qint64 anchors[] = {0, EofOffset, t.size() / 2, t.size()};
    for (std::size_t i = 2; i + 4 <= size; i += 4) {
        const qint64 at = std::clamp<qint64>(
            anchors[data[i] & 3] + qint16(data[i + 1] | data[i + 2] << 8), 0, t.size() - 1);
        const char value = char(data[i + 3]);
        const qint64 length = std::min<qint64>(data[i] >> 2, t.size() - at);
        switch ((data[i] >> 6) & 3) {
        case 0:
            t[at] = value;
            break;
        case 1: // a run, for the run-length records and target copies
            t.replace(at, length, QByteArray(length, value));
            break;
        case 2: // bytes moved from elsewhere, for source copies
            t.replace(at, length, base().mid(std::max<qint64>(0, at - 300), length));
            break;
        default:
            t[at] = char(~t[at]);
        }
    }
    return t;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    const QByteArray raw =
        QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));
    applyRaw(raw);
    if (size < 2)
        return 0;
    // A large image costs a thousand small ones: only one input in 32
    // that asks for one gets it, chosen by its CRC-32 so that an input always
    // runs alike (a seed is made to pass by a spare byte at its end).
    const bool large = test::crcOf(raw) % 32 == 0;
    const int kind = large ? data[0] >> 2 : 0;
    const qint64 originalSize = kind == 62   ? EofOffset - 64 + data[1] % 128
                                : kind == 63 ? Largest - data[1] % 128
                                             : 1 + qint64(data[1]) * 16;
    const QByteArray original = base().left(originalSize);
    QByteArray t = target(data, size, original);
    if (data[0] & 1)
        t.truncate(std::max<qint64>(0, t.size() - (data[1] >> 2)));
    if (data[0] & 2)
        t += base().mid(100, std::min<qint64>(data[1], Largest - t.size()));

    const std::optional<QByteArray> ips = MakeIpsPatch(original, t);
    assert(ips.has_value() == (std::max(original.size(), t.size()) <= IpsSizeLimit));
    if (ips) {
        int runs = 0;
        assert(test::applyIps(original, *ips, runs) == t);
        const AppliedPatch mine = ApplyIps(original, *ips);
        assert(mine.ok() && mine.image == t);
    }
    const QByteArray bps = MakeBpsPatch(original, t);
    int actions = 0;
    assert(test::applyBps(original, bps, actions) == t);
    const AppliedPatch mine = ApplyBps(original, bps);
    assert(mine.ok() && mine.image == t && mine.madeForThisImage() && mine.targetMatches);
    return 0;
}
