#pragma once

#include <QLabel>
#include <QStringList>

namespace corvantis {

// A label for a file path. Its text stays the whole path; what it shows is
// wrapped anywhere (a path has few blanks) and, when it does not fit, loses its
// start rather than its end, so that the file name stays in view.
class PathLabel : public QLabel {
    Q_OBJECT

  public:
    using QLabel::QLabel;

    // The lines drawn, in order.
    QStringList shownLines() const;

  protected:
    void paintEvent(QPaintEvent *event) override;

  private:
    QStringList wrap(const QString &text) const;
};

} // namespace corvantis
