// Every reader of typed text on any text: no crash, no hang, and the rules
// that must hold for any input. The first byte picks the reader; the rest is
// the text as UTF-8.
#undef NDEBUG // the checks hold in every build
#include "data/NameCodec.h"
#include "fields/FieldCodec.h"

#include <cassert>
#include <cstdint>

using namespace corvantis;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    if (size == 0)
        return 0;
    const QByteArray raw(reinterpret_cast<const char *>(data) + 1, qsizetype(size - 1));
    const QString text = QString::fromUtf8(raw);
    switch (data[0] % 3) {
    case 0:
        // Whatever reads as a value reads so from its own decimal text too.
        if (const auto v = ReadNumber(text))
            assert(ReadNumber(QString::number(*v)) == v);
        break;
    case 1:
        // A value read back from its own hex text is the same value.
        if (const auto v = ReadFirstByte(text))
            assert(ReadFirstByte(QString::number(*v, 16)) == v);
        assert(ReadFirstByte(text) ==
               ReadFirstByte(QStringLiteral(" ") + text + QStringLiteral("\t")));
        break;
    default: {
        // Whatever is typed, what is stored shows as the typed name characters.
        QString kept;
        for (QChar c : text)
            if (IsNameCharacter(c))
                kept += c;
        assert(DecodeName(EncodeName(text)) == kept);
        assert(DecodeName(EncodeName(DecodeName(raw))) == DecodeName(raw));
    }
    }
    return 0;
}
