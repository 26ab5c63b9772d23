// The session's copy and paste of spells and of a field's values.
#include "data/NameCodec.h"
#include "document/Reasons.h"
#include "document/SpellDocument.h"
#include "exchange/SpellImport.h"
#include "fields/FieldCodec.h"
#include "fields/FieldLists.h"

namespace corvantis {

namespace {

// Where count pasted things go: one onto every slot, n onto n slots in
// order, or onto the n slots from a single one on; a reason where they
// cannot.
QString spread(int count, QList<int> &chosen) {
    if (count == 1 || count == int(chosen.size()))
        return {};
    if (chosen.size() != 1)
        return reasons::PasteCount(count, int(chosen.size()));
    const int first = chosen.constFirst();
    if (first + count > SlotCount)
        return reasons::PastePastEnd(count, SlotLabels().at(first));
    for (int slot = first + 1; slot < first + count; ++slot)
        chosen.append(slot);
    return {};
}

} // namespace

SpellDocument::Copied SpellDocument::copy(const QList<int> &chosen, int field) const {
    if (field < 0)
        return {SpellsJson(store_, chosen), SpellsText(store_, chosen)};
    QString text;
    for (int slot : chosen)
        text +=
            (field == 0 ? DecodeName(store_.SpellNames[slot]) : FieldText(store_, slot, field)) +
            QLatin1Char('\n');
    return {SpellsJson(store_, chosen, {field}), text};
}

Outcome SpellDocument::paste(const QString &text, const QList<int> &chosen, int field,
                             Asker &asker) {
    if (!isOpen() || chosen.isEmpty())
        return Outcome::refused(reasons::NoImage);
    QList<int> onto = chosen;
    SlotRecords records;
    if (field >= 0 && !HoldsSpells(text)) {
        QStringList values = text.split(QLatin1Char('\n'));
        for (QString &v : values)
            v = v.trimmed();
        while (values.size() > 1 && values.last().isEmpty())
            values.removeLast();
        QString why = spread(int(values.size()), onto);
        if (why.isEmpty())
            why = fieldValues(field, values, onto, records).reason;
        if (!why.isEmpty())
            return Outcome::refused(why);
    } else {
        const SpellImport parsed = ParseSpellsText(text, QStringLiteral("The clipboard"));
        if (!parsed.ok())
            return Outcome::refused(parsed.error);
        const int count = int(parsed.changes.size());
        const QString why = spread(count, onto);
        if (!why.isEmpty())
            return Outcome::refused(why);
        for (qsizetype i = 0; i < onto.size(); ++i) {
            // The spell as copied, onto this slot; its own slot is only where
            // it came from.
            SpellChange change = parsed.changes[size_t(count == 1 ? 0 : i)];
            change.slot = onto[i];
            MainModule after = store_;
            ApplyChange(after, change);
            records.append({onto[i], after.record(onto[i])});
        }
    }
    const QString label = SlotLabels().at(onto.constFirst());
    return change(
        records, [&](int count) { return reasons::PasteStep(count, label); }, asker);
}

Outcome SpellDocument::fieldValues(int n, const QStringList &values, const QList<int> &chosen,
                                   SlotRecords &records) const {
    for (qsizetype i = 0; i < chosen.size(); ++i) {
        const int slot = chosen[i];
        const QString &value = values[values.size() == 1 ? 0 : i];
        SpellRecord r = record(slot);
        if (n == 0) {
            r.name = EncodeName(value.right(NameLength));
            records.append({slot, r});
            continue;
        }
        // As the cell shows it: one of the list's items, else (First Byte,
        // the number box) a typed value. "Invalid Value" has none: the slot
        // keeps its byte.
        const int effect = DecodeField(5, r.byte(5)).index;
        const QStringList &items = n == 2 ? EffectivenessItems(effect) : FieldItems(n);
        qsizetype item = -1;
        for (qsizetype k = 0; k < items.size() && item < 0; ++k)
            if (items[k].compare(value, Qt::CaseInsensitive) == 0)
                item = k;
        std::optional<quint8> v;
        if (item >= 0)
            v = EncodeField(n, int(item), effect);
        else if (n == 1 || items.isEmpty())
            v = EncodeField(n, value, effect);
        else
            return Outcome::refused(reasons::NotAChoice(value, FieldCaption(n)));
        if (!v && item < 0)
            return Outcome::guarded(reasons::OutOfRange);
        if (v)
            r.bytes[size_t(n - 1)] = *v;
        records.append({slot, r});
    }
    return Outcome::done();
}

} // namespace corvantis
