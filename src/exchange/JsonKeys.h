#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

namespace corvantis {

// A key given twice in one object of a JSON text. QJsonDocument keeps only
// one of the two without a word, so a spell file is checked for them first.
struct DuplicateKey {
    // Where, as the import's messages say it: "spells", "spells[3].effect".
    QString path;
    // The index in the top-level "spells" list of the object holding the
    // key, or -1 for any other object.
    qsizetype spell = -1;
};

// The first duplicate key of a JSON text that QJsonDocument has accepted;
// nullopt when there is none (or, for text it would not accept, when the
// scan cannot make sense of it).
std::optional<DuplicateKey> FindDuplicateKey(const QByteArray &json);

} // namespace corvantis
