#include "fields/FieldCodec.h"

#include <string>
#include <utility>

namespace corvantis {

namespace {

// Any magnitude above this is out of range whatever follows, so the hex and
// octal readers stop growing there instead of overflowing.
constexpr int kSaturated = 256;

// Exponents beyond this already put any number far outside 0..255 or below
// 0.5; capping keeps the arithmetic below in range for any text length.
constexpr qint64 kExponentCap = qint64(1) << 40;

int DigitValue(char16_t c, int base) {
    int d = 99;
    if (c >= u'0' && c <= u'9')
        d = c - u'0';
    else if (c >= u'a' && c <= u'f')
        d = c - u'a' + 10;
    else if (c >= u'A' && c <= u'F')
        d = c - u'A' + 10;
    return d < base ? d : -1;
}

// A whole magnitude with its sign, as a byte value or out of range.
std::optional<quint8> Whole(bool negative, int magnitude) {
    if (magnitude == 0)
        return quint8(0); // "-0" and anything that rounds to it
    if (negative || magnitude > 255)
        return std::nullopt;
    return quint8(magnitude);
}

// The decimal number is held exactly as digits × 10^scale, so neither a
// thousand digits nor a huge exponent can overflow or lose the rounding.
std::optional<quint8> RoundDecimal(bool negative, std::string digits, qint64 scale) {
    while (!digits.empty() && digits.back() == '0') {
        digits.pop_back();
        ++scale;
    }
    if (digits.empty())
        return quint8(0);

    const qint64 wholeDigits = qint64(digits.size()) + scale;
    if (wholeDigits > 3)
        return std::nullopt; // 1000 or more
    if (wholeDigits < 0)
        return quint8(0); // below 0.1, rounds to 0 whatever the sign

    int magnitude = 0;
    for (qint64 i = 0; i < wholeDigits; ++i)
        magnitude = magnitude * 10 + (i < qint64(digits.size()) ? digits[size_t(i)] - '0' : 0);

    if (wholeDigits < qint64(digits.size())) {
        const char first = digits[size_t(wholeDigits)];
        // Trailing zeros are gone, so any digit after the first one is non-zero.
        const bool moreFollows = qint64(digits.size()) > wholeDigits + 1;
        if (first > '5' || (first == '5' && (moreFollows || magnitude % 2 == 1)))
            ++magnitude;
    }
    return Whole(negative, magnitude);
}

} // namespace

std::optional<quint8> ReadNumber(const QString &text) {
    std::u16string s;
    s.reserve(size_t(text.size()));
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u != u' ' && u != u'\t' && u != u'\n')
            s.push_back(u);
    }
    size_t i = 0;
    const auto at = [&s](size_t j) -> char16_t { return j < s.size() ? s[j] : u'\0'; };

    bool negative = false;
    if (at(i) == u'+' || at(i) == u'-') {
        negative = at(i) == u'-';
        ++i;
    }

    if (at(i) == u'&') {
        const char16_t prefix = at(i + 1);
        const int base = (prefix == u'H' || prefix == u'h')   ? 16
                         : (prefix == u'O' || prefix == u'o') ? 8
                                                              : 0;
        if (base == 0)
            return quint8(0);
        int magnitude = 0;
        for (i += 2; DigitValue(at(i), base) >= 0; ++i) {
            magnitude = magnitude * base + DigitValue(at(i), base);
            if (magnitude > kSaturated)
                magnitude = kSaturated;
        }
        return Whole(negative, magnitude);
    }

    std::string digits; // significant digits, leading zeros dropped
    qint64 scale = 0;   // the number is digits × 10^scale
    bool sawDigit = false;
    for (; DigitValue(at(i), 10) >= 0; ++i) {
        sawDigit = true;
        if (!digits.empty() || at(i) != u'0')
            digits.push_back(char(at(i)));
    }
    if (at(i) == u'.') {
        for (++i; DigitValue(at(i), 10) >= 0; ++i) {
            sawDigit = true;
            --scale;
            if (!digits.empty() || at(i) != u'0')
                digits.push_back(char(at(i)));
        }
    }
    if (!sawDigit)
        return quint8(0);

    const char16_t mark = at(i);
    if (mark == u'E' || mark == u'e' || mark == u'D' || mark == u'd') {
        size_t j = i + 1;
        bool negativeExponent = false;
        if (at(j) == u'+' || at(j) == u'-') {
            negativeExponent = at(j) == u'-';
            ++j;
        }
        // An exponent mark without digits is simply where reading stops.
        if (DigitValue(at(j), 10) >= 0) {
            qint64 exponent = 0;
            for (; DigitValue(at(j), 10) >= 0; ++j) {
                exponent = exponent * 10 + DigitValue(at(j), 10);
                if (exponent > kExponentCap)
                    exponent = kExponentCap;
            }
            scale += negativeExponent ? -exponent : exponent;
        }
    }
    return RoundDecimal(negative, std::move(digits), scale);
}

std::optional<quint8> ReadFirstByte(const QString &text) {
    const auto blank = [](QChar c) { return c == u' ' || c == u'\t'; };
    qsizetype from = 0, to = text.size();
    while (from < to && blank(text[from]))
        ++from;
    while (to > from && blank(text[to - 1]))
        --to;
    qsizetype digits = 0;
    int value = 0;
    for (; digits < 2 && from + digits < to; ++digits) {
        const int d = DigitValue(text[from + digits].unicode(), 16);
        if (d < 0)
            break;
        value = value * 16 + d;
    }
    const qsizetype rest = from + digits;
    if (digits == 0)
        return std::nullopt;
    if (rest == to)
        return quint8(value);
    // Digits, a blank and a description, as the items are written ("7E
    // Whatever", "5 foo"); a word that merely starts with hex letters is no
    // value, nor is one digit before more bare digits ("1 8" is not 01).
    if (text[rest] != u' ')
        return std::nullopt;
    bool bareDigits = true;
    for (qsizetype i = rest + 1; i < to && bareDigits; ++i)
        bareDigits = DigitValue(text[i].unicode(), 16) >= 0;
    if (digits < 2 && bareDigits)
        return std::nullopt;
    return quint8(value);
}

} // namespace corvantis
