#include "data/NameCodec.h"

namespace corvantis {

namespace {

struct Single {
    char character;
    quint8 byte;
};

constexpr Single Singles[] = {
    {'\'', 190}, {',', 191}, {'.', 192}, {'-', 194}, {'!', 196}, {'?', 197}, {' ', 255},
};

// The byte of a character, or -1 when the game's font has none.
int byteFor(char16_t k) {
    if (k >= 'A' && k <= 'Z')
        return 138 + (k - 'A');
    if (k >= 'a' && k <= 'z')
        return 164 + (k - 'a');
    if (k >= '0' && k <= '9')
        return 128 + (k - '0');
    for (const Single &s : Singles)
        if (k == char16_t(s.character))
            return s.byte;
    return -1;
}

// The character of a byte, or 0 when the byte stands for none.
char characterFor(quint8 v) {
    if (v >= 138 && v <= 163)
        return char('A' + (v - 138));
    if (v >= 164 && v <= 189)
        return char('a' + (v - 164));
    if (v >= 128 && v <= 137)
        return char('0' + (v - 128));
    for (const Single &s : Singles)
        if (v == s.byte)
            return s.character;
    return 0;
}

} // namespace

QString DecodeName(const QByteArray &name) {
    QString text;
    text.reserve(name.size());
    for (char b : name) {
        if (char c = characterFor(quint8(b)))
            text.append(QLatin1Char(c));
    }
    return text;
}

QByteArray EncodeName(const QString &text) {
    QByteArray name;
    name.reserve(text.size());
    for (QChar c : text) {
        int b = byteFor(c.unicode());
        if (b >= 0)
            name.append(char(b));
    }
    return name;
}

bool IsNameCharacter(QChar c) {
    return byteFor(c.unicode()) >= 0;
}

} // namespace corvantis
