// The About box as the user meets it: shown modally over its owner, closed by
// OK, Enter, Escape or the close box, and shown again as the same box.

#include "ui/aboutForm.h"

#include <QApplication>
#include <QFontMetrics>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

#include <functional>

namespace {

// Twips of the layout, 15 to a pixel.
QRect twips(int left, int top, int width, int height) {
    return QRect(left / 15, top / 15, width / 15, height / 15);
}

struct LabelLayout {
    const char *name;
    const char *text;
    QRect rect;
    bool rightAligned;
};

const LabelLayout Labels[] = {
    // The title is wider than its 1815 twips at the usual font, so it reaches
    // further left, still clear of the picture, and keeps its right edge.
    {"Label1", "Corvantis Spell Editor", twips(1320, 240, 2055, 255), true},
    {"Label2", "Version 1.5", twips(1440, 480, 1935, 255), true},
    {"Label3", "Idea by", twips(360, 1200, 1575, 255), false},
    {"Label5", "Corvantis fans", twips(2040, 1200, 1335, 255), true},
    {"Label4", "Programmed by", twips(360, 1560, 1455, 255), false},
    {"Label6", "its authors", twips(1920, 1560, 1455, 255), true},
};

// The right edge that every right-aligned label shares.
constexpr int RightEdge = 3375 / 15;

QStringList shownTexts(const aboutForm *box) {
    QStringList texts;
    for (const LabelLayout &want : Labels)
        texts << box->findChild<QLabel *>(want.name)->text();
    texts << box->findChild<QPushButton *>("cmdOK")->text();
    return texts;
}

QStringList expectedTexts() {
    QStringList texts;
    for (const LabelLayout &want : Labels)
        texts << want.text;
    texts << "OK";
    return texts;
}

} // namespace

class TestAboutBox : public QObject {
    Q_OBJECT

  private slots:
    void closesAndShowsTheSameBoxAgain_data();
    void closesAndShowsTheSameBoxAgain();
    void layout();
    void fixedDialogFrame();
    void labelsShowTheirWholeText_data();
    void labelsShowTheirWholeText();
    void pictureIsTheIconStretched();
};

void TestAboutBox::closesAndShowsTheSameBoxAgain_data() {
    QTest::addColumn<QString>("how");
    QTest::addColumn<int>("result");
    QTest::newRow("OK button") << "ok" << int(QDialog::Accepted);
    QTest::newRow("Enter") << "enter" << int(QDialog::Accepted);
    QTest::newRow("Escape") << "escape" << int(QDialog::Rejected);
    QTest::newRow("close box") << "close" << int(QDialog::Rejected);
}

void TestAboutBox::closesAndShowsTheSameBoxAgain() {
    QFETCH(QString, how);
    QFETCH(int, result);

    QWidget owner;
    owner.show();
    QPointer<aboutForm> box = new aboutForm(&owner);
    QCOMPARE(box->objectName(), QString("aboutForm"));
    QVERIFY(box->isModal());
    auto *ok = box->findChild<QPushButton *>("cmdOK");

    for (int showing = 1; showing <= 2; ++showing) {
        QWidget *modal = nullptr;
        QWidget *focus = nullptr;
        QStringList texts;
        bool hiddenAtOnce = false;
        QTimer::singleShot(0, box, [&] {
            modal = QApplication::activeModalWidget();
            box->activateWindow();
            QCoreApplication::processEvents();
            focus = QApplication::focusWidget();
            texts = shownTexts(box);
            if (how == "ok")
                QTest::mouseClick(ok, Qt::LeftButton);
            else if (how == "enter")
                QTest::keyClick(focus ? focus : box.data(), Qt::Key_Return);
            else if (how == "escape")
                QTest::keyClick(focus ? focus : box.data(), Qt::Key_Escape);
            else
                box->close();
            hiddenAtOnce = !box->isVisible();
            if (!hiddenAtOnce)
                box->done(-1); // end the modal loop so the failure can be reported
        });
        const int returned = box->exec();

        QVERIFY2(hiddenAtOnce, qPrintable(QString("showing %1 stayed open").arg(showing)));
        QCOMPARE(returned, result);
        QCOMPARE(modal, static_cast<QWidget *>(box.data()));
        QCOMPARE(focus, static_cast<QWidget *>(ok));
        QCOMPARE(texts, expectedTexts());
        QVERIFY(!box.isNull()); // hidden, never destroyed
        QVERIFY(!box->isVisible());
        QCOMPARE(box->parentWidget(), &owner);
    }
}

void TestAboutBox::layout() {
    aboutForm box;
    for (const LabelLayout &want : Labels) {
        auto *label = box.findChild<QLabel *>(want.name);
        QVERIFY2(label, want.name);
        QCOMPARE(label->text(), QString(want.text));
        const QRect r = label->geometry();
        QCOMPARE(r.top(), want.rect.top());
        QCOMPARE(r.height(), want.rect.height());
        // A label may be wider than laid out only where its text needs it, and
        // grows away from the edge its text is aligned to.
        QCOMPARE(r.width(), std::max(want.rect.width(), label->sizeHint().width()));
        if (want.rightAligned) {
            QCOMPARE(r.right() + 1, RightEdge);
            QVERIFY(label->alignment() & Qt::AlignRight);
        } else {
            QCOMPARE(r.left(), want.rect.left());
            QVERIFY(label->alignment() & Qt::AlignLeft);
        }
        QCOMPARE(label->focusPolicy(), Qt::NoFocus);
    }
    // The title stays clear of the picture.
    QVERIFY(box.findChild<QLabel *>("Label1")->geometry().left() >
            box.findChild<QLabel *>("Image1")->geometry().right());

    auto *image = box.findChild<QLabel *>("Image1");
    QCOMPARE(image->geometry(), twips(240, 120, 960, 960));
    QVERIFY(image->hasScaledContents());
    QCOMPARE(image->focusPolicy(), Qt::NoFocus);

    auto *ok = box.findChild<QPushButton *>("cmdOK");
    QCOMPARE(ok->geometry(), twips(1320, 1920, 1215, 495));
    QCOMPARE(ok->text(), QString("OK"));
    QVERIFY(ok->isDefault());

    // OK is the only control that takes the focus.
    for (QWidget *w : box.findChildren<QWidget *>())
        if (w != ok)
            QVERIFY2(w->focusPolicy() == Qt::NoFocus, qPrintable(w->objectName()));
}

void TestAboutBox::fixedDialogFrame() {
    aboutForm box;
    QCOMPARE(box.windowTitle(), QString("Corvantis Spell Editor"));
    QCOMPARE(box.size(), QSize(3720 / 15, 2655 / 15));
    QCOMPARE(box.minimumSize(), box.size());
    QCOMPARE(box.maximumSize(), box.size());
    QVERIFY(!box.isSizeGripEnabled());
    const Qt::WindowFlags flags = box.windowFlags();
    QVERIFY(flags & Qt::MSWindowsFixedSizeDialogHint);
    QVERIFY(flags & Qt::WindowCloseButtonHint);
    QVERIFY(!(flags & Qt::WindowMinimizeButtonHint));
    QVERIFY(!(flags & Qt::WindowMaximizeButtonHint));
    QVERIFY(!box.windowIcon().isNull());
    QVERIFY(box.windowIcon().availableSizes().contains(QSize(32, 32)));
}

void TestAboutBox::labelsShowTheirWholeText_data() {
    QTest::addColumn<double>("scale");
    QTest::newRow("usual font") << 1.0;
    QTest::newRow("larger font") << 1.4;
}

void TestAboutBox::labelsShowTheirWholeText() {
    QFETCH(double, scale);
    const QFont usual = QApplication::font();
    QFont font = usual;
    font.setPointSizeF(usual.pointSizeF() * scale);
    QApplication::setFont(font);
    {
        aboutForm box;
        for (const LabelLayout &want : Labels) {
            auto *label = box.findChild<QLabel *>(want.name);
            const int needed = QFontMetrics(label->font()).horizontalAdvance(label->text());
            QVERIFY2(needed <= label->width(), qPrintable(QString("%1 needs %2 pixels, has %3")
                                                              .arg(want.name)
                                                              .arg(needed)
                                                              .arg(label->width())));
            QVERIFY(label->sizeHint().width() <= label->width());
            QVERIFY(label->geometry().left() >= 0);
            QVERIFY(label->geometry().right() < box.width());
        }
    }
    QApplication::setFont(usual);
}

void TestAboutBox::pictureIsTheIconStretched() {
    aboutForm box;
    const QImage shown = box.findChild<QLabel *>("Image1")->pixmap().toImage().convertToFormat(
        QImage::Format_ARGB32);
    const QImage icon =
        corvantis::ProgramIconPixmap(32).toImage().convertToFormat(QImage::Format_ARGB32);
    QCOMPARE(icon.size(), QSize(32, 32));
    QCOMPARE(shown.size(), QSize(64, 64));
    // Each icon pixel becomes a 2 x 2 block: stretched, not smoothed.
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x)
            if (shown.pixel(x, y) != icon.pixel(x / 2, y / 2))
                QFAIL(qPrintable(QString("pixel %1,%2 differs").arg(x).arg(y)));
}

QTEST_MAIN(TestAboutBox)
#include "test_about_box.moc"
