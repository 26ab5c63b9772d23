// The First Byte box's reader on any text: it never crashes, leading blanks
// and tabs count for nothing, and the value is the hexadecimal run at the start.

#include "FuzzCheck.h"
#include "fields/FieldCodec.h"

#include <QString>

#include <cstddef>
#include <cstdint>
#include <optional>

using corvantis::ReadFirstByte;

namespace {

bool isHexDigit(QChar c) {
    const char16_t u = c.unicode();
    return (u >= '0' && u <= '9') || (u >= 'a' && u <= 'f') || (u >= 'A' && u <= 'F');
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (size == 0)
        return 0;
    const auto [control, text, cut] = SplitFuzzInput(data, size);

    const std::optional<quint8> r = ReadFirstByte(text);

    qsizetype start = 0;
    while (start < text.size() && (text[start] == u' ' || text[start] == u'\t'))
        ++start;
    const QString stripped = text.mid(start);
    FUZZ_CHECK(ReadFirstByte(stripped) == r);

    // The run of hex digits at the start, leading zeros dropped, is the value
    // when two digits or fewer remain.
    qsizetype end = 0;
    while (end < stripped.size() && isHexDigit(stripped[end]))
        ++end;
    QString run = stripped.left(end);
    const bool sawDigit = !run.isEmpty();
    while (run.startsWith(u'0'))
        run.remove(0, 1);
    if (!sawDigit || run.size() > 2)
        FUZZ_CHECK(!r.has_value());
    else
        FUZZ_CHECK(r == std::optional<quint8>(quint8(run.isEmpty() ? 0 : run.toInt(nullptr, 16))));

    // Nothing after a character that is no hex digit is read.
    const QString head = text.left(cut);
    FUZZ_CHECK(ReadFirstByte(head + QLatin1Char('#') + text.mid(cut)) == ReadFirstByte(head));
    return 0;
}
