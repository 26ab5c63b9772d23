#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

#include <random>

namespace corvantis::test {

// Random bytes of the given size, the same for the same seed.
QByteArray randomImage(qint64 size, quint32 seed);

QByteArray readWhole(const QString &path);
bool writeWhole(const QString &path, const QByteArray &bytes);

// A scratch folder holding image files for one test.
class ImageFolder {
  public:
    ImageFolder();
    bool isValid() const { return dir_.isValid(); }
    QString path(const QString &name) const { return dir_.filePath(name); }
    // Writes bytes into a new file of that name and returns its path.
    QString add(const QString &name, const QByteArray &bytes) const;

  private:
    QTemporaryDir dir_;
};

} // namespace corvantis::test
