#include "ui/EditCommands.h"

#include "fields/FieldLists.h"
#include "ui/Texts.h"

#include <QApplication>
#include <QClipboard>
#include <QMimeData>

namespace corvantis {

namespace {

// The clipboard's format for spells; its text is for everything else.
const QString JsonType = QStringLiteral("application/json");

} // namespace

EditCommands::EditCommands(SpellDocument &doc, FileCommands &files,
                           std::function<SlotChoice()> choice, QObject *parent)
    : QObject(parent), doc_(doc), files_(files), choice_(std::move(choice)) {}

void EditCommands::copy() {
    files_.applyPending();
    const SlotChoice c = choice_();
    if (!doc_.isOpen() || c.chosen.isEmpty())
        return;
    const SpellDocument::Copied copied = doc_.copy(c.chosen, c.field);
    auto *data = new QMimeData;
    data->setData(JsonType, copied.json);
    data->setText(copied.text);
    QApplication::clipboard()->setMimeData(data);
}

void EditCommands::paste() {
    files_.applyPending();
    const SlotChoice c = choice_();
    const QMimeData *data = QApplication::clipboard()->mimeData();
    if (!doc_.isOpen() || c.chosen.isEmpty() || !data)
        return;
    const QString text =
        data->hasFormat(JsonType) ? QString::fromUtf8(data->data(JsonType)) : data->text();
    if (text.isEmpty()) // nothing copied yet
        return;
    files_.report(doc_.paste(text, c.chosen, c.field, files_.asker()), texts::NothingPasted);
}

void EditCommands::revert() {
    files_.applyPending();
    SlotRecords saved;
    for (int slot : choice_().chosen)
        saved.append({slot, doc_.savedRecord(slot)});
    if (!doc_.isOpen() || !canRevert())
        return;
    const QString label = SlotLabels().at(saved.constFirst().first);
    files_.report(doc_.change(
                      saved,
                      [&](int count) {
                          return count == 1 ? QStringLiteral("Revert ") + label
                                            : QStringLiteral("Revert %1 spells").arg(count);
                      },
                      files_.asker()),
                  texts::ErrorWriting);
}

bool EditCommands::canRevert() const {
    const SlotChoice c = choice_();
    return std::any_of(c.chosen.begin(), c.chosen.end(),
                       [this](int slot) { return doc_.record(slot) != doc_.savedRecord(slot); });
}

} // namespace corvantis
