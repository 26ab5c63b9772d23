// The Effectiveness box's number reader on any text: it never crashes, and its
// result follows rules that can be stated without re-reading the text the way
// the reader does.

#include "FuzzCheck.h"
#include "fields/FieldCodec.h"

#include <QString>

#include <cstddef>
#include <cstdint>
#include <optional>

using corvantis::ReadNumber;

namespace {

using Result = std::optional<quint8>;

bool isBlank(QChar c) {
    return c == u' ' || c == u'\t' || c == u'\n';
}

QString withoutBlanks(const QString &text) {
    QString out;
    for (const QChar c : text)
        if (!isBlank(c))
            out.append(c);
    return out;
}

bool allOf(const QString &text, int base) {
    bool ok = !text.isEmpty();
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        const int d = (u >= '0' && u <= '9')   ? u - '0'
                      : (u >= 'a' && u <= 'f') ? u - 'a' + 10
                      : (u >= 'A' && u <= 'F') ? u - 'A' + 10
                                               : 99;
        ok = ok && d < base;
    }
    return ok;
}

Result inRange(qint64 value) {
    return value >= 0 && value <= 255 ? Result(quint8(value)) : std::nullopt;
}

// What short texts of a few plain shapes must read as, worked out by hand:
// "123", "12.5" (halves to even), "&HFF", "&O377". Nothing for other texts.
std::optional<Result> expectedForPlainShapes(const QString &text) {
    if (text.size() <= 9 && allOf(text, 10))
        return inRange(text.toLongLong());
    const int dot = text.indexOf(u'.');
    if (dot > 0 && dot <= 6 && text.size() - dot - 1 >= 1 && text.size() - dot - 1 <= 6 &&
        allOf(text.left(dot), 10) && allOf(text.mid(dot + 1), 10)) {
        qint64 whole = text.left(dot).toLongLong();
        const QString fraction = text.mid(dot + 1);
        const QString half = QStringLiteral("5").leftJustified(fraction.size(), u'0');
        const int vsHalf = QString::compare(fraction, half); // same length: digit order
        if (vsHalf > 0 || (vsHalf == 0 && whole % 2 == 1))
            ++whole;
        return inRange(whole);
    }
    for (const auto &[prefix, base] : {std::pair{u"&H", 16}, std::pair{u"&O", 8}}) {
        const QString p = QString::fromUtf16(prefix);
        const QString digits = text.mid(2);
        if (text.startsWith(p) && digits.size() <= 6 && allOf(digits, base))
            return inRange(digits.toLongLong(nullptr, base));
    }
    return std::nullopt;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (size == 0)
        return 0;
    const auto [control, text, cut] = SplitFuzzInput(data, size);
    const QChar blank = QLatin1Char(" \t\n"[control % 3]);

    const Result r = ReadNumber(text);
    FUZZ_CHECK(ReadNumber(text) == r);

    // Blanks, tabs and line feeds count nowhere.
    FUZZ_CHECK(ReadNumber(text + QStringLiteral(" \t\n ")) == r);
    FUZZ_CHECK(ReadNumber(text.left(cut) + blank + text.mid(cut)) == r);
    const QString bare = withoutBlanks(text);
    FUZZ_CHECK(ReadNumber(bare) == r);

    // Reading stops at a character no number can hold; what follows is never read.
    const QString head = text.left(cut);
    FUZZ_CHECK(ReadNumber(head + QLatin1Char('#') + text.mid(cut)) == ReadNumber(head));

    // A sign in front: "+" changes nothing; "-" leaves 0 as 0 and puts
    // anything else out of range.
    if (!bare.startsWith(u'+') && !bare.startsWith(u'-')) {
        FUZZ_CHECK(ReadNumber(QLatin1Char('+') + text) == r);
        FUZZ_CHECK(ReadNumber(QLatin1Char('-') + text) == (r == Result(0) ? r : std::nullopt));
    }

    if (const auto expected = expectedForPlainShapes(bare))
        FUZZ_CHECK(r == *expected);
    return 0;
}
