#pragma once

#include <QObject>
#include <QStringList>
#include <QVariant>

class QMenu;
class QWidget;

namespace corvantis {

// What the editor remembers between runs, in one file under the user's
// configuration folder (~/.config/corvantis/corvantis-spell-editor.conf):
// the images opened last, the folder of the last one, the size of the All
// Spells window. Nothing else is written outside the image.
QVariant Remembered(const QString &key);
void Remember(const QString &key, const QVariant &value);

// File > Open Recent: the last images opened or saved, newest first, those
// gone left out, and Clear List. The menu is filled as it opens, and the
// settings file is not touched before the window's first frame.
class RecentFiles : public QObject {
    Q_OBJECT

  public:
    RecentFiles(QMenu *menu, QWidget *window);

    // An image opened or saved: first in the list, its folder the folder
    // the open dialog starts in while no image is open.
    void add(const QString &path);
    QStringList images() const;
    QString lastFolder() const;

  signals:
    void chosen(const QString &path);

  protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

  private:
    void fill();
    // The stored list with the images added since.
    QStringList stored() const;
    void store();

    QMenu *menu_;
    QStringList pending_; // added before the first frame, stored after it
    bool painted_ = false;
};

} // namespace corvantis
