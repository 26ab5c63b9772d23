#include "exchange/JsonKeys.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QSet>

#include <vector>

namespace corvantis {

namespace {

// One open object or list, the innermost last.
struct Level {
    bool object;
    QString path;
    QSet<QString> keys;  // of an object
    QString key;         // of an object: the last key read
    qsizetype index = 0; // of a list: the element being read
    bool expectKey = true;
};

QString joined(const QString &path, const QString &key) {
    return path.isEmpty() ? key : path + QLatin1Char('.') + key;
}

} // namespace

std::optional<DuplicateKey> FindDuplicateKey(const QByteArray &json) {
    std::vector<Level> levels;
    const char *p = json.constData();
    const qsizetype size = json.size();
    for (qsizetype i = 0; i < size;) {
        const char c = p[i];
        if (c == '{' || c == '[') {
            QString path;
            if (!levels.empty()) {
                const Level &up = levels.back();
                path = up.object ? joined(up.path, up.key)
                                 : QStringLiteral("%1[%2]").arg(up.path).arg(up.index);
            }
            levels.push_back({c == '{', path, {}, {}, 0, true});
            ++i;
        } else if (c == '}' || c == ']') {
            if (levels.empty())
                return std::nullopt;
            levels.pop_back();
            ++i;
        } else if (c == ',') {
            if (levels.empty())
                return std::nullopt;
            Level &here = levels.back();
            here.index += here.object ? 0 : 1;
            here.expectKey = here.object;
            ++i;
        } else if (c == '"') {
            const qsizetype start = i++;
            bool escaped = false;
            for (; i < size && p[i] != '"'; ++i) {
                if (p[i] == '\\') {
                    escaped = true;
                    ++i;
                }
            }
            if (i >= size)
                return std::nullopt;
            ++i;
            if (levels.empty() || !levels.back().object || !levels.back().expectKey)
                continue;
            // Escapes are read as the parser reads them, so that "\u0065ffect"
            // is "effect" here too.
            const QByteArray raw = json.mid(start, i - start);
            const QString key =
                escaped ? QJsonDocument::fromJson('[' + raw + ']').array().at(0).toString()
                        : QString::fromUtf8(raw.constData() + 1, raw.size() - 2);
            Level &here = levels.back();
            here.expectKey = false;
            here.key = key;
            if (here.keys.contains(key)) {
                const bool inSpell = levels.size() == 3 && !levels[1].object &&
                                     levels[1].path == QLatin1String("spells");
                return DuplicateKey{joined(here.path, key), inSpell ? levels[1].index : -1};
            }
            here.keys.insert(key);
        } else {
            // Blanks, colons, numbers, true, false and null.
            ++i;
        }
    }
    return std::nullopt;
}

} // namespace corvantis
