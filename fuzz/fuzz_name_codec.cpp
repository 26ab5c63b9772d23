// The name codec on any bytes and any text: decoding drops exactly the bytes
// the game's font has no character for, encoding drops exactly the characters
// that have no byte, and a round trip gives back what was kept.

#include "FuzzCheck.h"
#include "data/NameCodec.h"

#include <QByteArray>
#include <QString>

#include <array>
#include <cstddef>
#include <cstdint>

using corvantis::DecodeName;
using corvantis::EncodeName;
using corvantis::IsNameCharacter;

namespace {

// What each byte decodes to on its own: one character or none.
const std::array<QString, 256> &singleBytes() {
    static const std::array<QString, 256> table = [] {
        std::array<QString, 256> t;
        for (int b = 0; b < 256; ++b)
            t[size_t(b)] = DecodeName(QByteArray(1, char(b)));
        return t;
    }();
    return table;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));

    // Bytes to text: byte by byte, each giving one character or none.
    const QString text = DecodeName(bytes);
    FUZZ_CHECK(text.size() <= bytes.size());
    QString joined;
    QByteArray kept;
    for (const char b : bytes) {
        const QString &one = singleBytes()[quint8(b)];
        FUZZ_CHECK(one.size() <= 1);
        joined += one;
        if (!one.isEmpty())
            kept.append(b);
    }
    FUZZ_CHECK(text == joined);
    for (const QChar c : text)
        FUZZ_CHECK(IsNameCharacter(c));
    FUZZ_CHECK(EncodeName(text) == kept);

    // Text to bytes: the characters that have a byte, and back unchanged.
    const QString typed = QString::fromUtf8(bytes);
    const QByteArray encoded = EncodeName(typed);
    FUZZ_CHECK(encoded.size() <= typed.size());
    QString typeable;
    for (const QChar c : typed)
        if (IsNameCharacter(c))
            typeable.append(c);
    FUZZ_CHECK(encoded.size() == typeable.size());
    FUZZ_CHECK(DecodeName(encoded) == typeable);
    return 0;
}
