// The About box, the icon, the help page lookup and the demo image.

#include "data/MainModule.h"
#include "fields/FieldCodec.h"
#include "fields/FieldLists.h"
#include "support/ImageFixture.h"
#include "tools/DemoImage.h"
#include "ui/HelpPage.h"
#include "ui/aboutForm.h"

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QSet>
#include <QTimer>
#include <QtTest>

using namespace corvantis;

class TestAbout : public QObject {
    Q_OBJECT
  private slots:
    // Enter and Escape close the one box, which is hidden and shown again.
    void aboutBoxCloses() {
        QWidget owner;
        owner.show();
        auto *box = new aboutForm(&owner);
        for (Qt::Key key : {Qt::Key_Return, Qt::Key_Escape}) {
            QWidget *focus = nullptr;
            QTimer::singleShot(0, box, [&] {
                box->activateWindow();
                QCoreApplication::processEvents();
                focus = QApplication::focusWidget();
                QTest::keyClick(focus ? focus : box, key);
                if (box->isVisible())
                    box->done(-1);
            });
            QCOMPARE(box->exec(), key == Qt::Key_Return ? int(QDialog::Accepted) : 0);
            QCOMPARE(focus, box->findChild<QPushButton *>("cmdOK"));
        }
    }

    // Every label shows its whole text, also at a larger font, and the
    // picture is the icon stretched pixel for pixel.
    void aboutBoxShowsEverything() {
        const QFont usual = QApplication::font();
        for (double scale : {1.0, 1.4}) {
            QFont font = usual;
            font.setPointSizeF(usual.pointSizeF() * scale);
            QApplication::setFont(font);
            aboutForm box;
            for (QLabel *label : box.findChildren<QLabel *>()) {
                if (label->text().isEmpty())
                    continue;
                QVERIFY2(label->fontMetrics().horizontalAdvance(label->text()) <= label->width(),
                         qPrintable(label->objectName()));
                QVERIFY(label->geometry().left() >= 0 && label->geometry().right() < box.width());
            }
        }
        QApplication::setFont(usual);
        aboutForm box;
        const QImage shown = box.findChild<QLabel *>("Image1")->pixmap().toImage();
        const QImage icon = ProgramIconPixmap(32).toImage();
        QCOMPARE(shown.size(), QSize(64, 64));
        for (int y = 0; y < 64; ++y)
            for (int x = 0; x < 64; ++x)
                QVERIFY(shown.pixel(x, y) == icon.pixel(x / 2, y / 2));
        for (int size : {16, 32, 48, 64, 128})
            QVERIFY(ProgramIcon().availableSizes().contains(QSize(size, size)));
    }

    // The page is looked for in the current, the program's, then the data
    // folder; a folder with the page's name is no page.
    void helpPageLookup() {
        test::ImageFolder root;
        QStringList dirs;
        for (const char *name : {"current", "program", "data"}) {
            dirs << root.path(name);
            QVERIFY(QDir().mkpath(dirs.last()));
        }
        const auto find = [&] { return FindHelpPage(dirs[0], dirs[1], dirs[2]); };
        const auto page = [&](int i) { return QDir(dirs[i]).filePath(HelpPageName); };
        QCOMPARE(find(), QString());
        QVERIFY(QDir().mkdir(page(0)));
        root.add(QStringLiteral("data/") + HelpPageName, "<html/>");
        QCOMPARE(find(), page(2));
        root.add(QStringLiteral("program/") + HelpPageName, "<html/>");
        QCOMPARE(find(), page(1));
        QCOMPARE(FindHelpPage(QString(), QString(), dirs[2]), page(2));
    }

    // The demo image loads and shows every kind of value somewhere: special
    // slots, unlisted first bytes and an invalid value in every field.
    void demoImageShowsEveryCase() {
        test::ImageFolder folder;
        const QByteArray image = MakeDemoImage();
        QCOMPARE(image, MakeDemoImage());
        MainModule store;
        QVERIFY(store.ReadSpells(folder.add("demo.nes", image)));
        QSet<QString> seen;
        for (int slot = 0; slot < SlotCount; ++slot) {
            const int e = DecodeField(5, store.SpellBytes(slot, 5)).index;
            for (int n = 1; n <= FieldCount; ++n) {
                const quint8 v = store.SpellBytes(slot, n);
                if (!IsValidValue(n, v, e))
                    seen << QStringLiteral("invalid %1 %2").arg(n).arg(n == 2 ? e : 0);
            }
            if (store.SpellBytes(slot, 1) == 0xFF)
                seen << QStringLiteral("special");
        }
        QVERIFY(seen.contains("special"));
        for (int n : {1, 3, 4, 5, 6, 7})
            QVERIFY2(seen.contains(QStringLiteral("invalid %1 0").arg(n)),
                     qPrintable(QString::number(n)));
        for (int e : {EffectNegative, EffectPositive, EffectResist, EffectStrongerNegatives})
            QVERIFY(seen.contains(QStringLiteral("invalid 2 %1").arg(e)));
    }
};

QTEST_MAIN(TestAbout)
#include "test_about.moc"
