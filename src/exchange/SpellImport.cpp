#include "exchange/SpellImport.h"

#include "data/ImageLayout.h"
#include "data/NameCodec.h"
#include "exchange/JsonKeys.h"
#include "exchange/SpellExport.h"
#include "fields/FieldLists.h"

#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>
#include <bitset>
#include <climits>
#include <cmath>

namespace corvantis {

namespace {

// A JSON value as a person reads it in a message.
QString shown(const QJsonValue &value) {
    switch (value.type()) {
    case QJsonValue::Double:
        return QString::number(value.toDouble(), 'g', 15);
    case QJsonValue::String:
        return QLatin1Char('"') + value.toString() + QLatin1Char('"');
    case QJsonValue::Bool:
        return value.toBool() ? QStringLiteral("true") : QStringLiteral("false");
    case QJsonValue::Array:
        return QStringLiteral("a list");
    case QJsonValue::Object:
        return QStringLiteral("an object");
    default:
        return QStringLiteral("null");
    }
}

// A whole number from low to high, or nullopt.
std::optional<int> whole(const QJsonValue &value, int low, int high) {
    const double d = value.toDouble(std::nan(""));
    if (!value.isDouble() || d != std::floor(d) || d < low || d > high)
        return std::nullopt;
    return int(d);
}

// Bytes written as hexadecimal digits in either case, two a byte.
std::optional<QByteArray> hexBytes(const QString &hex) {
    const QByteArray digits = hex.toLatin1();
    const QByteArray bytes = QByteArray::fromHex(digits);
    if (hex.size() % 2 != 0 || bytes.toHex().compare(digits, Qt::CaseInsensitive) != 0)
        return std::nullopt;
    return bytes;
}

// Line and column (from 1) of a byte offset, for a parse error.
QString lineAndColumn(const QByteArray &text, int offset) {
    const QByteArray before = text.left(offset);
    const qsizetype lineStart = before.lastIndexOf('\n') + 1;
    return QStringLiteral("line %1, column %2")
        .arg(before.count('\n') + 1)
        .arg(before.size() - lineStart + 1);
}

class Parser {
  public:
    // Fills changes, or returns "where: what" of the first problem.
    QString parse(const QByteArray &json, std::vector<SpellChange> &changes) {
        QJsonParseError error;
        const QJsonDocument doc = QJsonDocument::fromJson(json, &error);
        // The parser's offset lies just past the character it stopped at.
        if (error.error != QJsonParseError::NoError)
            return QStringLiteral("not JSON: %1 at %2")
                .arg(error.errorString(), lineAndColumn(json, std::max(0, error.offset - 1)));
        if (!doc.isObject())
            return QStringLiteral("not a spell export: no object at the top");
        const QJsonObject top = doc.object();
        if (const std::optional<DuplicateKey> twice = FindDuplicateKey(json)) {
            QString where = twice->path;
            const QJsonValue slot = top.value(QLatin1String("spells"))
                                        .toArray()
                                        .at(twice->spell)
                                        .toObject()
                                        .value(QLatin1String("slot"));
            const std::optional<int> s = whole(slot, 0, SlotCount - 1);
            if (twice->spell >= 0 && s && !where.endsWith(QLatin1String(".slot")))
                where += QStringLiteral(" (slot %1)").arg(*s);
            return where + QStringLiteral(": given twice in one object");
        }
        const QJsonValue format = top.value(QLatin1String("format"));
        if (format.isUndefined())
            return QStringLiteral("format: missing; not a spell export");
        if (format.toString() != SpellsFormatName)
            return QStringLiteral("format: %1 is not \"%2\"").arg(shown(format), SpellsFormatName);
        const QJsonValue version = top.value(QLatin1String("version"));
        const std::optional<int> v = whole(version, 1, INT_MAX);
        if (!v)
            return QStringLiteral("version: %1 is not a version number").arg(shown(version));
        if (*v > SpellsFormatVersion)
            return QStringLiteral("version: %1 is newer than this editor reads (%2)")
                .arg(*v)
                .arg(SpellsFormatVersion);
        const QJsonValue spells = top.value(QLatin1String("spells"));
        if (!spells.isArray())
            return QStringLiteral("spells: %1 is not a list of spells").arg(shown(spells));
        const QJsonArray list = spells.toArray();
        std::bitset<SlotCount> seen;
        for (qsizetype i = 0; i < list.size(); ++i) {
            const QString where = QStringLiteral("spells[%1]").arg(i);
            SpellChange change;
            const QString problem = spell(list[i], change);
            if (!problem.isEmpty())
                return where + problem;
            if (seen.test(size_t(change.slot)))
                return QStringLiteral("%1.slot: slot %2 is given twice")
                    .arg(where)
                    .arg(change.slot);
            seen.set(size_t(change.slot));
            changes.push_back(change);
        }
        return {};
    }

  private:
    // Returns ".key: what" of the spell's first problem; once the slot is
    // known, ".key (slot S): what".
    static QString spell(const QJsonValue &entry, SpellChange &change) {
        if (!entry.isObject())
            return QStringLiteral(": %1 is not a spell").arg(shown(entry));
        const QJsonObject object = entry.toObject();
        const QJsonValue slot = object.value(QLatin1String("slot"));
        const std::optional<int> s = whole(slot, 0, SlotCount - 1);
        if (slot.isUndefined())
            return QStringLiteral(".slot: missing");
        if (!s)
            return QStringLiteral(".slot: %1 is not a slot from 0 to %2")
                .arg(shown(slot))
                .arg(SlotCount - 1);
        change.slot = *s;
        const auto at = [s](const QString &key) {
            return QStringLiteral(".%1 (slot %2): ").arg(key).arg(*s);
        };
        const QString label = SlotLabels().value(*s);
        const QJsonValue given = object.value(QLatin1String("label"));
        if (!given.isUndefined() && given != QJsonValue(label))
            return at(QStringLiteral("label")) +
                   QStringLiteral("%1 is not this slot's label (\"%2\")").arg(shown(given), label);
        for (int n = 1; n <= FieldCount; ++n) {
            const QJsonValue value = object.value(FieldKey(n));
            if (value.isUndefined())
                continue;
            const std::optional<int> b = whole(value, 0, 255);
            if (!b)
                return QStringLiteral(".%1: %2 is not a byte from 0 to 255")
                    .arg(FieldKey(n), shown(value));
            change.bytes[size_t(n - 1)] = quint8(*b);
        }
        QString problem = raw(object, change, at);
        if (problem.isEmpty())
            problem = texts(object, change, at);
        if (problem.isEmpty())
            problem = name(object, change, at);
        return problem;
    }

    // The Raw Data text: each of its bytes agrees with the byte given for
    // that field, or gives it.
    template <typename At>
    static QString raw(const QJsonObject &object, SpellChange &change, const At &at) {
        const QJsonValue raw = object.value(QLatin1String("raw"));
        if (raw.isUndefined())
            return {};
        const QStringList parts = raw.toString().split(QLatin1Char(' '), Qt::SkipEmptyParts);
        const std::optional<QByteArray> bytes = hexBytes(parts.join(QString()));
        const bool pairs = std::all_of(parts.begin(), parts.end(),
                                       [](const QString &part) { return part.size() == 2; });
        if (!raw.isString() || parts.size() != FieldCount || !pairs || !bytes)
            return at(QStringLiteral("raw")) +
                   QStringLiteral("%1 is not seven bytes in hexadecimal").arg(shown(raw));
        for (int n = 1; n <= FieldCount; ++n) {
            std::optional<quint8> &b = change.bytes[size_t(n - 1)];
            const quint8 v = quint8(bytes->at(n - 1));
            if (b && *b != v)
                return at(QStringLiteral("raw")) +
                       QStringLiteral("%1 disagrees with %2 %3")
                           .arg(shown(raw), FieldKey(n), QString::number(*b));
            b = v;
        }
        return {};
    }

    // Each field's text is what the field shows for its byte, or, given
    // alone, the byte of the one value that shows it.
    template <typename At>
    static QString texts(const QJsonObject &object, SpellChange &change, const At &at) {
        // Byte 2's text follows the effect, so it is read last.
        for (int n : {1, 3, 4, 5, 6, 7, 2}) {
            const QString key = FieldKey(n) + QStringLiteral("Text");
            const QJsonValue text = object.value(key);
            if (text.isUndefined())
                continue;
            if (!text.isString())
                return at(key) + QStringLiteral("%1 is not a text").arg(shown(text));
            std::array<quint8, FieldCount> record{};
            if (n == 2) {
                if (!change.bytes[4])
                    return at(key) + QStringLiteral("%1 cannot be read without the spell's effect")
                                         .arg(shown(text));
                record[4] = *change.bytes[4];
            }
            std::optional<quint8> &b = change.bytes[size_t(n - 1)];
            if (b) {
                record[size_t(n - 1)] = *b;
                const QString shows = FieldText(record, n);
                if (shows != text.toString())
                    return at(key) + QStringLiteral("%1 disagrees with %2 %3 (\"%4\")")
                                         .arg(shown(text), FieldKey(n), QString::number(*b), shows);
                continue;
            }
            int found = -1, count = 0;
            for (int v = 0; v < 256; ++v) {
                record[size_t(n - 1)] = quint8(v);
                if (FieldText(record, n) == text.toString()) {
                    found = v;
                    ++count;
                }
            }
            if (count == 0)
                return at(key) + QStringLiteral("%1 is not a text the %2 field shows")
                                     .arg(shown(text), FieldCaption(n));
            if (count > 1)
                return at(key) + QStringLiteral("%1 stands for no one value; give %2 as a number")
                                     .arg(shown(text), FieldKey(n));
            b = quint8(found);
        }
        return {};
    }

    // The name as text holds only characters the game can show, four at
    // most; beside nameBytes, it is what those bytes show.
    template <typename At>
    static QString name(const QJsonObject &object, SpellChange &change, const At &at) {
        const QJsonValue bytes = object.value(QLatin1String("nameBytes"));
        const QJsonValue text = object.value(QLatin1String("name"));
        const QString name = text.toString();
        if (!text.isUndefined()) {
            if (!text.isString())
                return QStringLiteral(".name: %1 is not a text").arg(shown(text));
            for (const char32_t c : name.toUcs4()) {
                if (c > 0xFFFF || !IsNameCharacter(QChar(c)))
                    return at(QStringLiteral("name")) +
                           QStringLiteral("%1 holds %2, which a spell name cannot hold")
                               .arg(shown(text), QString::fromUcs4(&c, 1));
            }
            if (name.size() > NameLength)
                return at(QStringLiteral("name")) +
                       QStringLiteral("%1 has %2 characters; a name has four at most")
                           .arg(shown(text), QString::number(name.size()));
        }
        if (!bytes.isUndefined()) {
            const std::optional<QByteArray> stored = hexBytes(bytes.toString());
            if (!bytes.isString() || !stored)
                return QStringLiteral(".nameBytes: %1 is not bytes in hexadecimal")
                    .arg(shown(bytes));
            if (stored->size() > NameLength)
                return QStringLiteral(".nameBytes: %1 is %2 bytes; a name has four at most")
                    .arg(shown(bytes))
                    .arg(stored->size());
            change.name = PaddedName(*stored);
            // Blanks at the end are the padding, which the text may leave out.
            const auto unpadded = [](QString t) {
                while (t.endsWith(QLatin1Char(' ')))
                    t.chop(1);
                return t;
            };
            const QString shows = DecodeName(*change.name);
            if (!text.isUndefined() && unpadded(shows) != unpadded(name))
                return at(QStringLiteral("name")) +
                       QStringLiteral("%1 disagrees with nameBytes %2 (\"%3\")")
                           .arg(shown(text), shown(bytes), unpadded(shows));
        } else if (!text.isUndefined()) {
            change.name = PaddedName(EncodeName(name));
        }
        return {};
    }
};

} // namespace

SpellImport ParseSpellsJson(const QByteArray &json, const QString &fileName) {
    SpellImport result;
    const QString problem = Parser().parse(json, result.changes);
    if (!problem.isEmpty()) {
        result.changes.clear();
        result.error = fileName + QStringLiteral(": ") + problem;
    }
    return result;
}

namespace {

QStringList lines(const QString &text) {
    QStringList all = text.split(QLatin1Char('\n'));
    for (QString &line : all)
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
    while (!all.isEmpty() && all.last().isEmpty())
        all.removeLast();
    return all;
}

} // namespace

bool HoldsSpells(const QString &text) {
    const QString start = text.trimmed();
    if (start.startsWith(QLatin1Char('{')))
        return true;
    const QStringList header = lines(start).value(0).split(QLatin1Char('\t'));
    return header.size() > 1 && header.contains(QLatin1String("slot"));
}

SpellImport ParseSpellsText(const QString &text, const QString &source) {
    if (!HoldsSpells(text))
        return {{},
                source + QStringLiteral(": no spells (neither the export's JSON nor its "
                                        "columns separated by tabs)")};
    if (text.trimmed().startsWith(QLatin1Char('{')))
        return ParseSpellsJson(text.toUtf8(), source);
    const auto numeric = [](const QString &key) {
        for (int n = 1; n <= FieldCount; ++n)
            if (key == FieldKey(n))
                return true;
        return key == QLatin1String("slot");
    };
    // Each line a spell under the header's keys: numbers where the export
    // has numbers, so that the JSON reader checks them as it checks a file.
    const QStringList rows = lines(text.trimmed());
    const QStringList keys = rows.first().split(QLatin1Char('\t'));
    QJsonArray spells;
    for (qsizetype i = 1; i < rows.size(); ++i) {
        const QStringList cells = rows[i].split(QLatin1Char('\t'));
        QJsonObject spell;
        for (qsizetype c = 0; c < keys.size() && c < cells.size(); ++c) {
            bool number = false;
            const int value = cells[c].toInt(&number);
            spell.insert(keys[c],
                         numeric(keys[c]) && number ? QJsonValue(value) : QJsonValue(cells[c]));
        }
        spells.append(spell);
    }
    const QJsonObject top{{QStringLiteral("format"), SpellsFormatName},
                          {QStringLiteral("version"), SpellsFormatVersion},
                          {QStringLiteral("spells"), spells}};
    return ParseSpellsJson(QJsonDocument(top).toJson(QJsonDocument::Compact), source);
}

bool ChangesRecord(const MainModule &store, const SpellChange &change) {
    for (int n = 1; n <= FieldCount; ++n) {
        const std::optional<quint8> &b = change.bytes[size_t(n - 1)];
        if (b && *b != store.SpellBytes(change.slot, n))
            return true;
    }
    return false;
}

bool ChangesName(const MainModule &store, const SpellChange &change) {
    return change.name && *change.name != PaddedName(store.SpellNames[change.slot]);
}

void ApplyChange(MainModule &store, const SpellChange &change) {
    for (int n = 1; n <= FieldCount; ++n) {
        if (const std::optional<quint8> &b = change.bytes[size_t(n - 1)])
            store.SpellBytes(change.slot, n) = *b;
    }
    if (ChangesName(store, change))
        store.SpellNames[change.slot] = *change.name;
}

} // namespace corvantis
