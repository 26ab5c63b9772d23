#include "support/EditorHarness.h"
#include "ui/Texts.h"

#include <QApplication>
#include <QDir>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

using namespace corvantis;
using namespace corvantis::test;

class TestSaveSafety : public QObject {
    Q_OBJECT
  private slots:
    // Shown and saved as the file it is; another program's table byte is replaced on Yes only.
    void anotherProgramsChangeIsReplacedOnlyOnYes() {
        EditorHarness h;
        QVERIFY(QDir(h.folder.path(".")).mkdir("real") &&
                QFile::link(h.folder.path("real"), h.folder.path("lnk")));
        h.path = QFileInfo(h.folder.add("real/x.nes", plainImage())).canonicalFilePath();
        h.window->Form_Load(h.folder.path("lnk/x.nes"));
        h.activate();
        QCOMPARE(h.label("lblFilenameData")->text(), h.path);
        h.pick("cbByte4", "Self");
        QByteArray theirs = h.file();
        theirs[SpellTableOffset + 5 * RecordSize] = 0x42;
        QVERIFY(writeWhole(h.path, theirs));
        for (const Answer answer : {Answer::No, Answer::Yes}) {
            h.prompter.expect(texts::SaveQuestion(h.path), Buttons::YesNo, Icon::Question,
                              Answer::Yes);
            h.prompter.expect(texts::ChangedByOther, Buttons::YesNo, Icon::Warning, answer);
            h.trigger("menuFileSave");
            QVERIFY(h.prompter.done());
            QCOMPARE(h.shown("lblFileChanged"), answer == Answer::No);
            QCOMPARE(h.file() == theirs, answer == Answer::No);
        }
    }

    // The real box carries the data layer's reason as its informative text.
    void theReasonShowsInTheRealBox() {
        ImageFolder folder;
        const QString path = QFileInfo(folder.add("x.nes", plainImage())).canonicalFilePath();
        mainForm window; // the real dialogs
        window.Form_Load(path);
        QTest::keyClicks(window.findChild<QLineEdit *>("txtName"), "Z");
        QVERIFY(window.store().FileChanged && QFile::remove(path));
        QStringList seen; // each box's text | informative text, answered with its default
        QTimer answerer;
        connect(&answerer, &QTimer::timeout, this, [&] {
            if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
                seen << box->text() + "|" + box->informativeText();
                box->defaultButton()->click();
            }
        });
        answerer.start(10);
        window.findChild<QAction *>("menuFileSave")->trigger();
        const QString why = "The file was removed or replaced after it was opened.";
        QCOMPARE(seen,
                 (QStringList{texts::SaveQuestion(path) + "|", texts::ErrorWriting + "|" + why}));
    }
};

QTEST_MAIN(TestSaveSafety)
#include "test_save_safety.moc"
