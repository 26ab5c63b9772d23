#include "support/EditorHarness.h"

#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QTest>
#include <QTimer>

namespace corvantis::test {

void whenModal(QObject *context, std::function<void(QWidget *)> check) {
    auto *timer = new QTimer(context);
    auto tries = std::make_shared<int>(0);
    QObject::connect(timer, &QTimer::timeout, context, [=] {
        QWidget *modal = QApplication::activeModalWidget();
        if (!modal && ++*tries < 500)
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

EditorHarness::EditorHarness() : window(std::make_unique<mainForm>(&prompter)) {
    window->setHelpOpener([](const QUrl &) { return true; });
}

EditorHarness::~EditorHarness() {
    if (window && window->isVisible()) {
        // Closing must not ask anything the test did not script.
        window->store().FileChanged = false;
        window->close();
    }
}

void EditorHarness::startOn(const QByteArray &image, const QString &name) {
    path = folder.add(name, image);
    window->Form_Load(path);
    activate();
}

void EditorHarness::activate() {
    // Focus changes (and so focus-out edits) need an active window.
    window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window.get()));
}

void EditorHarness::startPicking(const QByteArray &image, bool readOnly) {
    path = folder.add(QStringLiteral("game.nes"), image);
    prompter.expectOpen(path, readOnly);
    window->Form_Load();
    activate();
}

bool EditorHarness::shown(const char *name) const {
    auto *w = find<QWidget>(name);
    return w && w->isVisibleTo(window.get());
}

void EditorHarness::pick(const char *name, const QString &item) {
    QComboBox *box = combo(name);
    QVERIFY2(box, name);
    const int index = box->findText(item, Qt::MatchExactly);
    QVERIFY2(index >= 0, qPrintable(QStringLiteral("%1 has no item %2").arg(name, item)));
    // As a user does it, but by keyboard: open the list, move to the item, Enter.
    box->setFocus();
    box->showPopup();
    QAbstractItemView *view = box->view();
    QVERIFY(view->isVisible());
    view->setCurrentIndex(view->model()->index(index, box->modelColumn()));
    QTest::keyClick(view, Qt::Key_Return);
    QVERIFY2(!view->isVisible(), name);
}

void EditorHarness::select(int slot) {
    pick("cbSpellName", combo("cbSpellName")->itemText(slot));
}

void EditorHarness::type(const char *name, const QString &text) {
    QWidget *w = find<QWidget>(name);
    QVERIFY2(w, name);
    w->setFocus();
    QTest::keyClicks(w, text);
}

void EditorHarness::key(const char *name, int k, Qt::KeyboardModifiers modifiers) {
    QWidget *w = find<QWidget>(name);
    QVERIFY2(w, name);
    w->setFocus();
    QTest::keyClick(w, Qt::Key(k), modifiers);
}

void EditorHarness::paste(const char *name, const QString &text) {
    QApplication::clipboard()->setText(text);
    key(name, Qt::Key_A, Qt::ControlModifier);
    key(name, Qt::Key_V, Qt::ControlModifier);
}

void EditorHarness::trigger(const char *name) {
    auto *action = find<QAction>(name);
    QVERIFY2(action, name);
    action->trigger();
}

} // namespace corvantis::test
