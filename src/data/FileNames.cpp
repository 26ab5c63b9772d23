#include "data/FileNames.h"

namespace corvantis {

namespace {

constexpr char16_t EscapeBase = 0xDC00; // + a byte of 0x80..0xFF

bool isEscape(char16_t u) {
    return u >= EscapeBase + 0x80 && u <= EscapeBase + 0xFF;
}

// The length of the valid UTF-8 sequence at data[0..size), or 0.
int sequenceLength(const unsigned char *data, qsizetype size, char32_t &code) {
    const unsigned char lead = data[0];
    int length;
    char32_t least;
    if (lead < 0x80) {
        code = lead;
        return 1;
    } else if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2, least = 0x80, code = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3, least = 0x800, code = lead & 0x0F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4, least = 0x10000, code = lead & 0x07;
    } else {
        return 0;
    }
    if (size < length)
        return 0;
    for (int i = 1; i < length; ++i) {
        if ((data[i] & 0xC0) != 0x80)
            return 0;
        code = (code << 6) | (data[i] & 0x3F);
    }
    // Overlong forms, surrogates and code points past Unicode's end are not
    // text: they would not come back as the same bytes.
    if (code < least || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
        return 0;
    return length;
}

} // namespace

QString DecodeFileName(const QByteArray &bytes) {
    const QString quick = QString::fromUtf8(bytes);
    if (quick.toUtf8() == bytes)
        return quick; // valid UTF-8, the usual case
    QString path;
    const auto *data = reinterpret_cast<const unsigned char *>(bytes.constData());
    for (qsizetype i = 0; i < bytes.size();) {
        char32_t code;
        const int length = sequenceLength(data + i, bytes.size() - i, code);
        if (length == 0) {
            path += QChar(char16_t(EscapeBase + data[i]));
            ++i;
        } else {
            path += QString::fromUcs4(&code, 1);
            i += length;
        }
    }
    return path;
}

QByteArray EncodeFileName(const QString &path) {
    QByteArray bytes;
    bytes.reserve(path.size());
    qsizetype textFrom = 0;
    for (qsizetype i = 0; i < path.size(); ++i) {
        const char16_t u = path[i].unicode();
        // A low surrogate that no high one precedes stands for a byte.
        if (isEscape(u) && (i == 0 || !path[i - 1].isHighSurrogate())) {
            bytes += QStringView(path).mid(textFrom, i - textFrom).toUtf8();
            bytes += char(u - EscapeBase);
            textFrom = i + 1;
        }
    }
    bytes += QStringView(path).mid(textFrom).toUtf8();
    return bytes;
}

QString DisplayFileName(const QString &path) {
    QString shown = path;
    for (qsizetype i = 0; i < shown.size(); ++i)
        if (isEscape(shown[i].unicode()) && (i == 0 || !shown[i - 1].isHighSurrogate()))
            shown[i] = QChar::ReplacementCharacter;
    return shown;
}

} // namespace corvantis
