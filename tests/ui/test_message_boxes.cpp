#include "ui/Prompter.h"
#include "ui/Texts.h"

#include <QApplication>
#include <QCheckBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <functional>
#include <memory>

using namespace corvantis;
using Buttons = Prompter::Buttons;
using Icon = Prompter::Icon;
using Answer = Prompter::Answer;

Q_DECLARE_METATYPE(Prompter::Buttons)
Q_DECLARE_METATYPE(Prompter::Icon)
Q_DECLARE_METATYPE(Prompter::Answer)
Q_DECLARE_METATYPE(QMessageBox::Icon)

namespace {

// Runs check on the modal widget once it is shown. If check leaves it open
// (a failed comparison), it is closed, so a fault never hangs the test.
void whenModal(QObject *context, std::function<void(QWidget *)> check) {
    auto *timer = new QTimer(context);
    auto tries = std::make_shared<int>(0);
    QObject::connect(timer, &QTimer::timeout, context, [=] {
        QWidget *modal = QApplication::activeModalWidget();
        if (!modal && ++*tries < 500)
            return;
        timer->stop();
        timer->deleteLater();
        if (!modal) {
            QTest::qFail("no modal window appeared", __FILE__, __LINE__);
            return;
        }
        check(modal);
        if (modal->isVisible())
            modal->close();
    });
    timer->start(10);
}

} // namespace

class TestMessageBoxes : public QObject {
    Q_OBJECT
  private slots:
    // The real box: title, text, icon, buttons and default button, answered
    // by pressing a button.
    void realBox_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<Buttons>("buttons");
        QTest::addColumn<Icon>("icon");
        QTest::addColumn<QMessageBox::Icon>("boxIcon");
        QTest::addColumn<int>("standard"); // the set, first button first
        QTest::addColumn<int>("press");    // the standard button pressed
        QTest::addColumn<Answer>("answer");
        QTest::newRow("OK, critical")
            << texts::ErrorReading << Buttons::Ok << Icon::Critical << QMessageBox::Critical
            << int(QMessageBox::Ok) << int(QMessageBox::Ok) << Answer::Ok;
        QTest::newRow("OK/Cancel, Cancel pressed")
            << texts::ReadOnlyImage << Buttons::OkCancel << Icon::Warning << QMessageBox::Warning
            << int(QMessageBox::Ok | QMessageBox::Cancel) << int(QMessageBox::Cancel)
            << Answer::Cancel;
        QTest::newRow("Yes/No, Yes pressed")
            << texts::SaveQuestion("/tmp/a b.nes") << Buttons::YesNo << Icon::Question
            << QMessageBox::Question << int(QMessageBox::Yes | QMessageBox::No)
            << int(QMessageBox::Yes) << Answer::Yes;
        QTest::newRow("Yes/No, No pressed")
            << texts::UnsavedQuit << Buttons::YesNo << Icon::Warning << QMessageBox::Warning
            << int(QMessageBox::Yes | QMessageBox::No) << int(QMessageBox::No) << Answer::No;
        QTest::newRow("information")
            << texts::NothingChanged << Buttons::Ok << Icon::Information << QMessageBox::Information
            << int(QMessageBox::Ok) << int(QMessageBox::Ok) << Answer::Ok;
    }
    void realBox() {
        QFETCH(QString, text);
        QFETCH(Buttons, buttons);
        QFETCH(Icon, icon);
        QFETCH(QMessageBox::Icon, boxIcon);
        QFETCH(int, standard);
        QFETCH(int, press);
        QFETCH(Answer, answer);

        bool seen = false;
        whenModal(this, [&](QWidget *modal) {
            auto *box = qobject_cast<QMessageBox *>(modal);
            QVERIFY(box);
            seen = true;
            QCOMPARE(box->windowTitle(), QStringLiteral("Corvantis Spell Editor"));
            QCOMPARE(box->text(), text);
            QCOMPARE(box->icon(), boxIcon);
            QCOMPARE(int(box->standardButtons()), standard);
            // The first button of the set (Yes, or OK) is the default.
            const auto first = (standard & QMessageBox::Yes) ? QMessageBox::Yes : QMessageBox::Ok;
            QCOMPARE(box->defaultButton(), box->button(first));
            box->button(QMessageBox::StandardButton(press))->click();
        });
        DialogPrompter prompter;
        QCOMPARE(prompter.ask(nullptr, text, buttons, icon), answer);
        QVERIFY(seen);
    }

    void enterTakesTheDefault() {
        whenModal(this, [](QWidget *box) { QTest::keyClick(box, Qt::Key_Return); });
        DialogPrompter prompter;
        QCOMPARE(prompter.ask(nullptr, texts::SpecialSlot, Buttons::YesNo, Icon::Warning),
                 Answer::Yes);
    }

    // The real open dialog: its title, its one filter and the read-only box,
    // unticked at every showing; a cancel gives nothing.
    void openDialog() {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("game.nes"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();

        DialogPrompter prompter;
        for (bool tick : {true, false}) {
            whenModal(this, [&](QWidget *modal) {
                auto *dialog = qobject_cast<QFileDialog *>(modal);
                QVERIFY(dialog);
                QCOMPARE(dialog->windowTitle(), QStringLiteral("Open ROM..."));
                QCOMPARE(dialog->nameFilters(), QStringList{"NES Game Image (*.nes)"});
                QCOMPARE(dialog->fileMode(), QFileDialog::ExistingFile);
                auto *box = dialog->findChild<QCheckBox *>(QStringLiteral("openReadOnly"));
                QVERIFY(box);
                QVERIFY(!box->isChecked());
                // Its access key ticks it at once, even when Enter follows
                // straight away.
                if (tick) {
                    dialog->activateWindow();
                    QVERIFY(QTest::qWaitForWindowActive(dialog));
                    QTest::keyClick(dialog, Qt::Key_R, Qt::AltModifier);
                }
                QCOMPARE(box->isChecked(), tick);
                // Typed into the file name box and confirmed, as a user does.
                auto *name = dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
                QVERIFY(name);
                name->setText(path);
                QTest::keyClick(name, Qt::Key_Return);
            });
            const auto choice = prompter.chooseImage(nullptr);
            QVERIFY(choice);
            QCOMPARE(choice->path, path);
            QCOMPARE(choice->readOnly, tick);
        }
        whenModal(this, [](QWidget *dialog) { dialog->close(); });
        QVERIFY(!prompter.chooseImage(nullptr));
    }
};

QTEST_MAIN(TestMessageBoxes)
#include "test_message_boxes.moc"
