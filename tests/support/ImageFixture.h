#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

#include <random>

namespace corvantis::test {

// A byte string written as numbers.
QByteArray bytes(std::initializer_list<int> values);
// Random bytes of the given size, the same for the same seed.
QByteArray randomImage(qint64 size, quint32 seed);
QByteArray readWhole(const QString &path);
bool writeWhole(const QString &path, const QByteArray &bytes);

// A scratch folder holding image files for one test.
class ImageFolder {
  public:
    ImageFolder() = default;
    bool isValid() const { return dir_.isValid(); }
    QString path(const QString &name) const { return dir_.filePath(name); }
    // Writes bytes into a new file of that name and returns its path.
    QString add(const QString &name, const QByteArray &bytes) const {
        return writeWhole(path(name), bytes) ? path(name) : QString();
    }

  private:
    QTemporaryDir dir_;
};

// Puts bytes 1..7 of a slot's record into an image (byte 8 is left alone).
void setRecord(QByteArray &image, int slot, std::initializer_list<int> bytes);
// Puts a slot's four name bytes and the terminator into an image.
void setName(QByteArray &image, int slot, const QByteArray &fourBytes);
// A random image of 256 KiB + 16 bytes in which no slot is special and every
// name is a plain "AAAA".
QByteArray plainImage(quint32 seed = 1);

} // namespace corvantis::test
