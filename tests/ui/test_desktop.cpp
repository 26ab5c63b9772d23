#include "support/EditorHarness.h"
#include "ui/Texts.h"
#include "ui/aboutForm.h"

#include <QAccessible>
#include <QApplication>
#include <QDir>
#include <QMimeData>
#include <QStyleOptionComboBox>
#include <QTextBrowser>

using namespace corvantis;
using namespace corvantis::test;

struct Shortcut {
    const char *name; // the action
    QKeySequence key;
    QString question; // empty: the Save question
};
Q_DECLARE_METATYPE(Shortcut)

namespace {

// Drags data onto target and drops it there; whether the drag was taken.
bool drop(QWidget *target, const QList<QUrl> &urls, const QString &text = {}) {
    QMimeData data;
    data.setUrls(urls);
    if (!text.isEmpty())
        data.setText(text);
    QDragEnterEvent enter(QPoint(2, 2), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &enter);
    QDropEvent dropped(QPointF(2, 2), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &dropped);
    QCoreApplication::processEvents();
    return enter.isAccepted();
}

QString accessibleName(QWidget *w) {
    return QAccessible::queryAccessibleInterface(w)->text(QAccessible::Name);
}

} // namespace

class TestDesktop : public QObject {
    Q_OBJECT
  private slots:
    // Each command's key first applies the number still being typed.
    void shortcutsApplyPendingText_data() {
        addRows<Shortcut>({{"menuFileOpen", QKeySequence("Ctrl+O"), texts::UnsavedOpen},
                           {"menuFileSave", QKeySequence("Ctrl+S"), {}},
                           {"menuFileExit", QKeySequence("Ctrl+Q"), texts::UnsavedQuit}});
    }
    void shortcutsApplyPendingText() {
        QFETCH(Shortcut, c);
        EditorHarness h;
        h.startOn(plainImage());
        h.key("cbByte1", Qt::Key_A, Qt::ControlModifier);
        h.type("cbByte1", "20");
        const bool save = c.question.isEmpty();
        h.prompter.expect(save ? texts::SaveQuestion(h.window->store().ImagePath()) : c.question,
                          Buttons::YesNo, save ? Icon::Question : Icon::Warning, Answer::No);
        QCOMPARE(h.find<QAction>(c.name)->shortcut(), c.key);
        QTest::keySequence(QApplication::focusWidget(), c.key);
        QVERIFY(h.prompter.done());
        QCOMPARE(h.window->store().SpellBytes(0, 1), 0x20);
        QVERIFY(h.window->isVisible());
    }

    // One file dropped opens as Open would; text, two files or a folder
    // are refused; the dialog starts in the image's folder; read-only shows.
    void dropOpenDialogAndReadOnly() {
        EditorHarness h;
        h.startPicking(plainImage(), true);
        QCOMPARE(h.prompter.openFolder, QDir::currentPath());
        QVERIFY(h.shown("lblReadOnly"));
        QVERIFY(h.label("lblFilenameData")->toolTip().endsWith(texts::ReadOnlyTip));
        const QString other = h.folder.add("other.nes", plainImage(2));
        const QUrl url = QUrl::fromLocalFile(other);
        QVERIFY(!drop(h.window.get(), {}, other));
        QVERIFY(!drop(h.window.get(), {url, url}));
        QVERIFY(!drop(h.window.get(), {QUrl::fromLocalFile(h.folder.path("."))}));
        QCOMPARE(h.label("lblFilenameData")->text(), QFileInfo(h.path).canonicalFilePath());

        h.window->store().FileChanged = true;
        h.prompter.expect(texts::UnsavedOpen, Buttons::YesNo, Icon::Warning, Answer::Yes);
        QVERIFY(drop(h.edit("txtName"), {url}, other));
        QTRY_COMPARE(h.label("lblFilenameData")->text(), QFileInfo(other).canonicalFilePath());
        QVERIFY(!h.shown("lblReadOnly"));
        QVERIFY(!h.label("lblFilenameData")->toolTip().contains(texts::ReadOnlyTip));

        h.prompter.expectOpenCancel();
        h.trigger("menuFileOpen");
        QCOMPARE(h.prompter.openFolder, QFileInfo(other).canonicalPath());
    }

    // Screen readers hear each field by its caption, and the caption's
    // access key moves the focus to the field.
    void captionsNameTheirFields() {
        EditorHarness h;
        h.startOn(plainImage());
        QCOMPARE(accessibleName(h.edit("txtName")), "Name");
        int named = 0;
        for (QLabel *caption : h.window->findChildren<QLabel *>()) {
            QWidget *field = caption->buddy();
            if (!field)
                continue;
            ++named;
            QVERIFY(field->objectName().endsWith(caption->objectName().mid(3)));
            const QString name = QString(caption->text()).remove('&');
            const auto labels = QAccessible::queryAccessibleInterface(field)->relations();
            QVERIFY2(
                accessibleName(field) == name ||
                    std::any_of(labels.begin(), labels.end(),
                                [&](auto r) { return r.first->text(QAccessible::Name) == name; }),
                qPrintable(name));
            if (const int key = caption->text().indexOf('&') + 1) {
                h.key("cbSpellName", caption->text().at(key).toUpper().unicode(), Qt::AltModifier);
                QCOMPARE(QApplication::focusWidget(), field);
            }
        }
        QCOMPARE(named, 9);
    }

    // At 9, 12 and 14 pt every caption, item and About text fits its
    // control; the window is 294 x 397 at the default size.
    void textsFitLargeFonts_data() {
        QTest::addColumn<int>("points");
        for (int points : {9, 12, 14})
            QTest::addRow("%d pt", points) << points;
    }
    void textsFitLargeFonts() {
        QFETCH(int, points);
        const QFont usual = QApplication::font();
        QFont font = usual;
        font.setPointSize(points);
        QApplication::setFont(font);
        {
            EditorHarness h;
            h.startOn(plainImage());
            if (points == 9)
                QCOMPARE(h.window->centralWidget()->size(), QSize(294, 397));
            QCOMPARE(h.combo("cbByte3")->font().pointSizeF(), std::max(9, points));
            for (QLabel *label : h.window->findChildren<QLabel *>()) {
                if (label->wordWrap())
                    continue;
                const QString text = QString(label->text()).remove('&');
                QVERIFY2(label->fontMetrics().horizontalAdvance(text) <= label->width() &&
                             label->fontMetrics().height() <= label->height(),
                         qPrintable(text));
            }
            for (QComboBox *box : h.window->findChildren<QComboBox *>()) {
                QStyleOptionComboBox option;
                option.initFrom(box);
                const int room = box->style()
                                     ->subControlRect(QStyle::CC_ComboBox, &option,
                                                      QStyle::SC_ComboBoxEditField, box)
                                     .width();
                for (int i = 0; i < box->count(); ++i)
                    QVERIFY2(box->fontMetrics().horizontalAdvance(box->itemText(i)) <= room,
                             qPrintable(box->itemText(i)));
            }
        }
        // No two of the About box's texts cover each other.
        aboutForm about;
        const auto inked = [](QLabel *l) {
            const QSize text(l->fontMetrics().horizontalAdvance(l->text()),
                             l->fontMetrics().height());
            return QStyle::alignedRect(l->layoutDirection(), l->alignment(), text, l->geometry());
        };
        const QList<QLabel *> labels = about.findChildren<QLabel *>();
        for (QLabel *a : labels)
            for (QLabel *b : labels)
                QVERIFY2(a == b || a->text().isEmpty() || b->text().isEmpty() ||
                             !inked(a).intersects(inked(b)),
                         qPrintable(a->objectName() + ' ' + b->objectName()));
        QApplication::setFont(usual);
    }

    // When the desktop cannot show the page, the program's own window does:
    // one window, whatever the number of asks.
    void helpFallsBackToItsOwnWindow() {
        EditorHarness h;
        h.startOn(plainImage());
        h.folder.add(QStringLiteral("CorvantisSpellEdit.html"), "<p>Spells</p>");
        const QString before = QDir::currentPath();
        QVERIFY(QDir::setCurrent(h.folder.path(".")));
        int asked = 0;
        h.window->setHelpOpener([&](const QUrl &) { return ++asked, false; });
        h.trigger("menuHelpContents");
        h.key("txtName", Qt::Key_F1);
        QDir::setCurrent(before);
        QCOMPARE(asked, 2);
        const auto shown = h.window->findChildren<QTextBrowser *>("helpWindow");
        QCOMPARE(shown.size(), 1);
        QVERIFY(shown.front()->isVisible() && shown.front()->isWindow());
        QCOMPARE(shown.front()->toPlainText(), "Spells");
    }
};

QTEST_MAIN(TestDesktop)
#include "test_desktop.moc"
