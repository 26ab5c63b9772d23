// The program icon: one 32 x 32 16-colour image with its mask, loadable by
// the program, and desktop renderings that show the same picture.

#include "ui/aboutForm.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QSet>
#include <QtEndian>
#include <QtTest>

namespace {

QString resource(const QString &name) {
    return QDir(CORVANTIS_RESOURCES_DIR).filePath(name);
}

QByteArray readAll(const QString &path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

quint16 u16(const QByteArray &b, int at) {
    return qFromLittleEndian<quint16>(b.constData() + at);
}
quint32 u32(const QByteArray &b, int at) {
    return qFromLittleEndian<quint32>(b.constData() + at);
}

QImage argb(const QImage &image) {
    return image.convertToFormat(QImage::Format_ARGB32);
}

} // namespace

class TestProgramIcon : public QObject {
    Q_OBJECT

  private slots:
    void icoHoldsOneImageOf32By32In16Colours();
    void icoDecodesWithTransparency();
    void programLoadsTheIcon();
    void renderingsShowTheSamePicture_data();
    void renderingsShowTheSamePicture();
};

void TestProgramIcon::icoHoldsOneImageOf32By32In16Colours() {
    const QByteArray ico = readAll(resource("corvantis-spell-editor.ico"));
    QCOMPARE(ico.size(), qsizetype(766));
    // Directory: reserved, type 1 (icon), one image.
    QCOMPARE(u16(ico, 0), quint16(0));
    QCOMPARE(u16(ico, 2), quint16(1));
    QCOMPARE(u16(ico, 4), quint16(1));
    // Its entry: 32 x 32, 16 colours, 4 bits per pixel, data filling the file.
    QCOMPARE(quint8(ico[6]), quint8(32));
    QCOMPARE(quint8(ico[7]), quint8(32));
    QCOMPARE(quint8(ico[8]), quint8(16));
    QCOMPARE(u16(ico, 12), quint16(4));
    const quint32 length = u32(ico, 14);
    const quint32 offset = u32(ico, 18);
    QCOMPARE(offset, quint32(22));
    QCOMPARE(qsizetype(offset + length), ico.size());
    // The bitmap: colour rows and mask rows stacked (twice the height).
    QCOMPARE(u32(ico, 22), quint32(40));
    QCOMPARE(qint32(u32(ico, 26)), 32);
    QCOMPARE(qint32(u32(ico, 30)), 64);
    QCOMPARE(u16(ico, 36), quint16(4));
    const int palette = 16 * 4, colour = 32 * 32 / 2, mask = 32 * 32 / 8;
    QCOMPARE(length, quint32(40 + palette + colour + mask));
}

void TestProgramIcon::icoDecodesWithTransparency() {
    const QImage icon = argb(QImage(resource("corvantis-spell-editor.ico")));
    QCOMPARE(icon.size(), QSize(32, 32));
    QSet<QRgb> colours;
    int transparent = 0;
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) {
            const QRgb p = icon.pixel(x, y);
            if (qAlpha(p) == 0)
                ++transparent;
            else
                colours << p;
        }
    QCOMPARE(qAlpha(icon.pixel(0, 0)), 0); // the mask cuts the corners out
    QVERIFY(transparent > 0 && transparent < 32 * 32 / 2);
    QVERIFY2(colours.size() <= 15, "16 colours, one of them the masked black");
    QVERIFY(colours.size() >= 8);
}

void TestProgramIcon::programLoadsTheIcon() {
    const QImage file = argb(QImage(resource("corvantis-spell-editor.ico")));
    QCOMPARE(argb(corvantis::ProgramIconPixmap(32).toImage()), file);

    const QIcon icon = corvantis::ProgramIcon();
    QVERIFY(!icon.isNull());
    const QList<QSize> sizes = icon.availableSizes();
    for (int size : {16, 32, 48, 64, 128})
        QVERIFY2(sizes.contains(QSize(size, size)), qPrintable(QString::number(size)));
    QCOMPARE(argb(icon.pixmap(QSize(32, 32)).toImage()), file);
}

void TestProgramIcon::renderingsShowTheSamePicture_data() {
    QTest::addColumn<int>("size");
    for (int size : {16, 32, 48, 64, 128})
        QTest::addRow("%d", size) << size;
}

void TestProgramIcon::renderingsShowTheSamePicture() {
    QFETCH(int, size);
    const QImage ico = argb(QImage(resource("corvantis-spell-editor.ico")));
    const QImage png =
        argb(QImage(resource(QString("icons/corvantis-spell-editor-%1.png").arg(size))));
    QCOMPARE(png.size(), QSize(size, size));
    if (size % 32 == 0) {
        // Whole multiples repeat each pixel exactly.
        const int k = size / 32;
        for (int y = 0; y < size; ++y)
            for (int x = 0; x < size; ++x)
                if (png.pixel(x, y) != ico.pixel(x / k, y / k))
                    QFAIL(qPrintable(QString("pixel %1,%2 differs").arg(x).arg(y)));
    } else {
        // Other sizes blend: still opaque where the picture is solid and
        // clear where it is clear.
        const QImage scaled = ico.scaled(size, size, Qt::IgnoreAspectRatio, Qt::FastTransformation);
        int agree = 0;
        for (int y = 0; y < size; ++y)
            for (int x = 0; x < size; ++x)
                agree += (qAlpha(png.pixel(x, y)) >= 128) == (qAlpha(scaled.pixel(x, y)) >= 128);
        QVERIFY2(agree >= size * size * 9 / 10, qPrintable(QString::number(agree)));
    }
}

QTEST_MAIN(TestProgramIcon)
#include "test_program_icon.moc"
