#pragma once

#include <QFileInfo>
#include <QStringList>

namespace corvantis {

// The images opened or saved last, newest first, as File > Open Recent
// offers them.
constexpr int RecentImagesCount = 8;

// The list with path put first: once only, and at most RecentImagesCount.
inline QStringList WithRecentImage(QStringList list, const QString &path) {
    list.removeAll(path);
    list.prepend(path);
    return list.mid(0, RecentImagesCount);
}

// The images of the list that are still there to open.
inline QStringList ExistingImages(QStringList list) {
    list.removeIf([](const QString &path) { return !QFileInfo(path).isFile(); });
    return list.mid(0, RecentImagesCount);
}

} // namespace corvantis
