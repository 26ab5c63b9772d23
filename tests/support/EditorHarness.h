#pragma once

#include "support/ImageFixture.h"
#include "support/Rows.h"
#include "support/ScriptedPrompter.h"
#include "ui/mainForm.h"

#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QSettings>
#include <QTimer>

namespace corvantis::test {

using Buttons = Prompter::Buttons;
using Icon = Prompter::Icon;
using Answer = Prompter::Answer;

// Runs check on the modal window once it shows; closes it if check left it
// open, so that a fault never hangs a test.
inline void whenModal(QObject *context, std::function<void(QWidget *)> check) {
    auto *timer = new QTimer(context);
    QObject::connect(timer, &QTimer::timeout, context, [=, tries = 0]() mutable {
        QWidget *modal = QApplication::activeModalWidget();
        if (!modal && ++tries < 500)
            return;
        timer->stop();
        timer->deleteLater();
        if (!modal)
            return QTest::qFail("no modal window appeared", __FILE__, __LINE__);
        check(modal);
        if (modal->isVisible())
            modal->close();
    });
    timer->start(10);
}

// One editor window with a scripted prompter and a scratch folder.
class EditorHarness {
  public:
    EditorHarness() {
        // What the editor remembers goes to a scratch folder of its own.
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settings);
        window->setHelpOpener([](const QUrl &) { return true; });
    }
    ~EditorHarness() {
        // Closing must not ask anything the test did not script.
        window->document().undoStack()->setClean();
        window->close();
    }

    // Starts the window on an image as the command line does: writable.
    void startOn(const QByteArray &image, const QString &name = QStringLiteral("game.nes")) {
        path = folder.add(name, image);
        window->Form_Load(path);
        activate();
    }
    // Starts the window on an image picked in the open dialog.
    void startPicking(const QByteArray &image, bool readOnly) {
        path = folder.add(QStringLiteral("game.nes"), image);
        prompter.expectOpen(path, readOnly);
        window->Form_Load();
        activate();
    }
    // Focus changes (and so focus-out edits) need an active window.
    void activate() {
        window->activateWindow();
        QTRY_COMPARE(QApplication::activeWindow(), window.get());
    }

    template <typename T> T *find(const char *name) const {
        return window->findChild<T *>(QLatin1String(name));
    }
    QComboBox *combo(const char *name) const { return find<QComboBox>(name); }
    QLineEdit *edit(const char *name) const { return find<QLineEdit>(name); }
    QLabel *label(const char *name) const { return find<QLabel>(name); }
    bool shown(const char *name) const {
        auto *w = find<QWidget>(name);
        return w && w->isVisibleTo(window.get());
    }

    // Picks an item as a user does by keyboard: popup, item made current, Enter.
    void pick(const char *name, const QString &item) {
        QComboBox *box = combo(name);
        QVERIFY2(box, name);
        const int index = box->findText(item, Qt::MatchExactly);
        QVERIFY2(index >= 0, qPrintable(QStringLiteral("%1 has no item %2").arg(name, item)));
        box->setFocus();
        box->showPopup();
        QAbstractItemView *view = box->view();
        QVERIFY(view->isVisible());
        view->setCurrentIndex(view->model()->index(index, box->modelColumn()));
        QTest::keyClick(view, Qt::Key_Return);
        QVERIFY2(!view->isVisible(), name);
    }
    void select(int slot) { pick("cbSpellName", combo("cbSpellName")->itemText(slot)); }
    // Types into a line edit that takes the focus first.
    void type(const char *name, const QString &text) {
        QWidget *w = find<QWidget>(name);
        QVERIFY2(w, name);
        w->setFocus();
        QTest::keyClicks(w, text);
    }
    void key(const char *name, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QWidget *w = find<QWidget>(name);
        QVERIFY2(w, name);
        w->setFocus();
        QTest::keyClick(w, Qt::Key(key), modifiers);
    }
    void trigger(const char *name) {
        auto *action = find<QAction>(name);
        QVERIFY2(action, name);
        action->trigger();
    }
    // An action's text, or nothing while it is disabled.
    QString actionText(const char *name) const {
        auto *action = find<QAction>(name);
        return action->isEnabled() ? action->text() : QString();
    }

    QString rawLine() const { return edit("txtRaw")->text(); }
    QByteArray file() const { return readWhole(path); }

    ImageFolder folder;
    QString settings = folder.path("settings");
    QString path;
    ScriptedPrompter prompter;
    std::unique_ptr<mainForm> window = std::make_unique<mainForm>(&prompter);
};

} // namespace corvantis::test

Q_DECLARE_METATYPE(corvantis::Prompter::Answer)
