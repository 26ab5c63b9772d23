#pragma once

#include <QObject>
#include <QString>

namespace corvantis {

// Takes a file dropped from a file manager onto the widgets it watches (the
// window and its text boxes): a drag that brings one local file and nothing
// else is accepted, and once the drop is over (not while the file manager
// waits for its end) dropped says which file it was. Text dragged onto a
// text box stays the box's.
class FileDrop : public QObject {
    Q_OBJECT

  public:
    using QObject::QObject;
    // Accepts drops on widget and watches its events.
    void watch(QWidget *widget);

  signals:
    void dropped(const QString &path);

  protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
};

} // namespace corvantis
