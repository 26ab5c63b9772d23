#include "ui/RecentFiles.h"

#include "document/RecentImages.h"

#include <QDir>
#include <QEvent>
#include <QMenu>
#include <QSettings>

namespace corvantis {

namespace {

const QString RecentKey = QStringLiteral("recentImages");
const QString FolderKey = QStringLiteral("lastFolder");

QSettings settings() {
    return QSettings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("corvantis"),
                     QStringLiteral("corvantis-spell-editor"));
}

} // namespace

QVariant Remembered(const QString &key) {
    return settings().value(key);
}

void Remember(const QString &key, const QVariant &value) {
    settings().setValue(key, value);
}

RecentFiles::RecentFiles(QMenu *menu, QWidget *window) : QObject(menu), menu_(menu) {
    connect(menu, &QMenu::aboutToShow, this, &RecentFiles::fill);
    menu->setToolTipsVisible(true);
    window->installEventFilter(this);
}

bool RecentFiles::eventFilter(QObject *watched, QEvent *event) {
    if (event->type() == QEvent::Paint && !painted_) {
        painted_ = true;
        watched->removeEventFilter(this);
        QMetaObject::invokeMethod(this, &RecentFiles::store, Qt::QueuedConnection);
    }
    return QObject::eventFilter(watched, event);
}

void RecentFiles::add(const QString &path) {
    pending_ = WithRecentImage(pending_, path);
    if (painted_)
        store();
}

QStringList RecentFiles::stored() const {
    QStringList list = Remembered(RecentKey).toStringList();
    for (auto path = pending_.crbegin(); path != pending_.crend(); ++path)
        list = WithRecentImage(list, *path);
    return list;
}

void RecentFiles::store() {
    if (pending_.isEmpty())
        return;
    Remember(RecentKey, stored());
    Remember(FolderKey, QFileInfo(pending_.constFirst()).absolutePath());
    pending_.clear();
}

QStringList RecentFiles::images() const {
    return ExistingImages(stored());
}

QString RecentFiles::lastFolder() const {
    return pending_.isEmpty() ? Remembered(FolderKey).toString()
                              : QFileInfo(pending_.constFirst()).absolutePath();
}

void RecentFiles::fill() {
    menu_->clear();
    const QStringList list = images();
    const QFontMetrics metrics(menu_->font());
    for (qsizetype i = 0; i < list.size(); ++i) {
        // The name first; the folder shortened in its middle where long.
        const QFileInfo file(list[i]);
        const QString folder = metrics.elidedText(QDir::toNativeSeparators(file.absolutePath()),
                                                  Qt::ElideMiddle, metrics.averageCharWidth() * 48);
        QString shown = file.fileName() + QStringLiteral("  (") + folder + QLatin1Char(')');
        QAction *open = menu_->addAction(QStringLiteral("&%1 ").arg(i + 1) +
                                         shown.replace(QLatin1Char('&'), QStringLiteral("&&")));
        open->setToolTip(list[i]);
        connect(open, &QAction::triggered, this, [this, path = list[i]] { emit chosen(path); });
    }
    menu_->addSeparator();
    QAction *clear = menu_->addAction(QStringLiteral("&Clear List"));
    clear->setObjectName(QStringLiteral("menuFileRecentClear"));
    clear->setEnabled(!list.isEmpty());
    connect(clear, &QAction::triggered, this, [this] {
        pending_.clear();
        Remember(RecentKey, QStringList());
    });
}

} // namespace corvantis
