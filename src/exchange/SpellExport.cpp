#include "exchange/SpellExport.h"

#include "data/ImageLayout.h"
#include "data/NameCodec.h"
#include "fields/FieldCodec.h"
#include "fields/FieldLists.h"

#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>

#include <algorithm>
#include <numeric>

namespace corvantis {

namespace {

// One spell's columns, in their export order: key and value, the value as
// JSON text (a number or a quoted string).
struct Column {
    QString key;
    QString text;
    bool isNumber;
};

QList<Column> columns(const MainModule &store, int slot) {
    QList<Column> row{
        {QStringLiteral("slot"), QString::number(slot), true},
        {QStringLiteral("label"), SlotLabels().value(slot), false},
        {QStringLiteral("name"), DecodeName(store.SpellNames[slot]), false},
        {QStringLiteral("nameBytes"),
         QString::fromLatin1(PaddedName(store.SpellNames[slot]).toHex().toUpper()), false},
    };
    for (int n = 1; n <= FieldCount; ++n) {
        row.append({FieldKey(n), QString::number(store.SpellBytes(slot, n)), true});
        row.append({FieldKey(n) + QStringLiteral("Text"), FieldText(store, slot, n), false});
    }
    row.append({QStringLiteral("raw"), RawLine(store, slot), false});
    return row;
}

QByteArray jsonString(const QString &text) {
    // Printable ASCII other than a quote or a backslash needs no escape,
    // which is nearly every text of an export, and is many times faster.
    const bool plain = std::all_of(text.begin(), text.end(), [](QChar c) {
        return c.unicode() >= 0x20 && c.unicode() < 0x7F && c != u'"' && c != u'\\';
    });
    if (plain)
        return '"' + text.toLatin1() + '"';
    // QJsonDocument does the escaping; only the brackets of the array go.
    const QByteArray array = QJsonDocument(QJsonArray{text}).toJson(QJsonDocument::Compact);
    return array.mid(1, array.size() - 2);
}

QByteArray csvField(const QString &text) {
    const bool quote = text.contains(QLatin1Char(',')) || text.contains(QLatin1Char('"')) ||
                       text.contains(QLatin1Char('\r')) || text.contains(QLatin1Char('\n')) ||
                       text != text.trimmed();
    if (!quote)
        return text.toUtf8();
    QString quoted = text;
    quoted.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return '"' + quoted.toUtf8() + '"';
}

} // namespace

QString FieldKey(int byteNumber) {
    static const QStringList keys{
        QStringLiteral("firstByte"),    QStringLiteral("effectiveness"),
        QStringLiteral("elemental"),    QStringLiteral("targetting"),
        QStringLiteral("effect"),       QStringLiteral("appearance"),
        QStringLiteral("colorPalette"),
    };
    return keys.value(byteNumber - 1);
}

QString FieldText(const std::array<quint8, FieldCount> &record, int byteNumber) {
    const quint8 value = record[size_t(byteNumber - 1)];
    const int effect = DecodeField(5, record[4]).index;
    const DecodedField shown = DecodeField(byteNumber, value, effect);
    if (shown.index < 0)
        return shown.text;
    return byteNumber == 2 ? EffectivenessItems(effect).value(shown.index)
                           : FieldItems(byteNumber).value(shown.index);
}

QString FieldText(const MainModule &store, int slot, int byteNumber) {
    return FieldText(store.record(slot).bytes, byteNumber);
}

QString RawLine(const MainModule &store, int slot) {
    QString raw;
    for (int n = 1; n <= FieldCount; ++n)
        raw +=
            QStringLiteral("%1 ").arg(store.SpellBytes(slot, n), 2, 16, QLatin1Char('0')).toUpper();
    return raw;
}

QByteArray ExportJson(const MainModule &store) {
    QList<int> all(SlotCount);
    std::iota(all.begin(), all.end(), 0);
    return SpellsJson(store, all);
}

QByteArray SpellsJson(const MainModule &store, const QList<int> &chosen, const QList<int> &fields) {
    // The keys of the fields asked for: the byte's number and text, or the
    // name's text and bytes.
    QStringList keys{QStringLiteral("slot"), QStringLiteral("label")};
    for (int n : fields)
        keys << (n == 0 ? QStringList{QStringLiteral("name"), QStringLiteral("nameBytes")}
                        : QStringList{FieldKey(n), FieldKey(n) + QStringLiteral("Text")});
    QByteArray out = "{\n    \"format\": " + jsonString(SpellsFormatName) +
                     ",\n    \"version\": " + QByteArray::number(SpellsFormatVersion) +
                     ",\n    \"spells\": [\n";
    for (qsizetype i = 0; i < chosen.size(); ++i) {
        out += "        {\n";
        QList<Column> row = columns(store, chosen[i]);
        if (!fields.isEmpty())
            row.removeIf([&](const Column &c) { return !keys.contains(c.key); });
        for (int c = 0; c < row.size(); ++c) {
            out += "            " + jsonString(row[c].key) + ": ";
            out += row[c].isNumber ? row[c].text.toLatin1() : jsonString(row[c].text);
            out += c + 1 < row.size() ? ",\n" : "\n";
        }
        out += i + 1 < chosen.size() ? "        },\n" : "        }\n";
    }
    out += "    ]\n}\n";
    return out;
}

QString SpellsText(const MainModule &store, const QList<int> &chosen) {
    QStringList lines;
    for (int i = -1; i < chosen.size(); ++i) {
        QStringList cells;
        for (const Column &c : columns(store, chosen.value(i, 0)))
            cells << (i < 0 ? c.key : c.text);
        lines << cells.join(QLatin1Char('\t'));
    }
    return lines.join(QLatin1Char('\n')) + QLatin1Char('\n');
}

QByteArray ExportCsv(const MainModule &store) {
    QByteArray out;
    for (int slot = -1; slot < SlotCount; ++slot) {
        const QList<Column> row = columns(store, std::max(slot, 0));
        for (int c = 0; c < row.size(); ++c) {
            out += csvField(slot < 0 ? row[c].key : row[c].text);
            out += c + 1 < row.size() ? "," : "\r\n";
        }
    }
    return out;
}

std::optional<ExportFormat> ExportFormatOf(const QString &path) {
    const QString suffix = QFileInfo(path).suffix();
    if (suffix.compare(QLatin1String("json"), Qt::CaseInsensitive) == 0)
        return ExportFormat::Json;
    if (suffix.compare(QLatin1String("csv"), Qt::CaseInsensitive) == 0)
        return ExportFormat::Csv;
    return std::nullopt;
}

QByteArray ExportSpells(ExportFormat format, const MainModule &store) {
    return format == ExportFormat::Csv ? ExportCsv(store) : ExportJson(store);
}

} // namespace corvantis
