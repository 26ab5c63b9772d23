#include "support/EditorHarness.h"

#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QTest>

namespace corvantis::test {

EditorHarness::EditorHarness() : window(std::make_unique<mainForm>(&prompter)) {
    window->setHelpOpener([](const QUrl &) {});
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
    auto *w = window->findChild<QWidget *>(QLatin1String(name));
    return w && w->isVisibleTo(window.get());
}

void EditorHarness::pick(const char *name, const QString &item) {
    QComboBox *box = combo(name);
    QVERIFY2(box, name);
    const int index = box->findText(item, Qt::MatchExactly);
    QVERIFY2(index >= 0, qPrintable(QStringLiteral("%1 has no item %2").arg(name, item)));
    box->showPopup();
    QAbstractItemView *view = box->view();
    QVERIFY(view->isVisible());
    const QModelIndex modelIndex = view->model()->index(index, box->modelColumn());
    view->scrollTo(modelIndex);
    const QPoint at = view->visualRect(modelIndex).center();
    // The popup takes a release over an item as the pick.
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, at);
    if (view->isVisible())
        box->hidePopup();
}

void EditorHarness::select(int slot) {
    pick("cbSpellName", combo("cbSpellName")->itemText(slot));
}

void EditorHarness::type(const char *name, const QString &text) {
    QWidget *w = window->findChild<QWidget *>(QLatin1String(name));
    QVERIFY2(w, name);
    w->setFocus();
    QTest::keyClicks(w, text);
}

void EditorHarness::key(const char *name, int k, Qt::KeyboardModifiers modifiers) {
    QWidget *w = window->findChild<QWidget *>(QLatin1String(name));
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
    auto *action = window->findChild<QAction *>(QLatin1String(name));
    QVERIFY2(action, name);
    action->trigger();
}

QString EditorHarness::rawLine() const {
    return edit("txtRaw")->text();
}

} // namespace corvantis::test
