#include "exchange/SpellImport.h"

#include "data/ImageLayout.h"
#include "data/NameCodec.h"
#include "exchange/SpellExport.h"

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
    // Returns ".key: what" of the spell's first problem.
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
        const QJsonValue bytes = object.value(QLatin1String("nameBytes"));
        const QJsonValue text = object.value(QLatin1String("name"));
        if (!bytes.isUndefined()) {
            const QString hex = bytes.toString();
            const QByteArray name = QByteArray::fromHex(hex.toLatin1());
            const bool isHex = bytes.isString() && hex.size() % 2 == 0 &&
                               name.toHex().compare(hex.toLatin1(), Qt::CaseInsensitive) == 0;
            if (!isHex)
                return QStringLiteral(".nameBytes: %1 is not bytes in hexadecimal")
                    .arg(shown(bytes));
            if (name.size() > NameLength)
                return QStringLiteral(".nameBytes: %1 is %2 bytes; a name has four at most")
                    .arg(shown(bytes))
                    .arg(name.size());
            change.name = PaddedName(name);
        } else if (!text.isUndefined()) {
            if (!text.isString())
                return QStringLiteral(".name: %1 is not a text").arg(shown(text));
            // As the name box keeps it: the last four characters.
            change.name = PaddedName(EncodeName(text.toString().right(NameLength)));
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
