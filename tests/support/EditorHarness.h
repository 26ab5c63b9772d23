#pragma once

#include "support/ImageFixture.h"
#include "support/ScriptedPrompter.h"
#include "ui/mainForm.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QTest>

#include <functional>
#include <memory>

namespace corvantis::test {

using Buttons = Prompter::Buttons;
using Icon = Prompter::Icon;
using Answer = Prompter::Answer;

// Runs check on the modal window once it shows; closes it if check left it
// open, so that a fault never hangs a test.
void whenModal(QObject *context, std::function<void(QWidget *)> check);

// One data row per case, named by the case's first member.
template <typename Case> void addRows(std::initializer_list<Case> cases) {
    QTest::addColumn<Case>("c");
    for (const Case &c : cases)
        QTest::newRow(c.name) << c;
}

// One editor window with a scripted prompter and a scratch folder.
class EditorHarness {
  public:
    EditorHarness();
    ~EditorHarness();

    // Starts the window on an image written from bytes (as the command line
    // does): writable, slot 0 shown.
    void startOn(const QByteArray &image, const QString &name = QStringLiteral("game.nes"));
    // Starts the window on an image picked in the open dialog.
    void startPicking(const QByteArray &image, bool readOnly);

    template <typename T> T *find(const char *name) const {
        return window->findChild<T *>(QLatin1String(name));
    }
    QComboBox *combo(const char *name) const { return find<QComboBox>(name); }
    QLineEdit *edit(const char *name) const { return find<QLineEdit>(name); }
    QLabel *label(const char *name) const { return find<QLabel>(name); }
    bool shown(const char *name) const;

    // Picks the item with that text in a combo box's popup, as a user does.
    void pick(const char *box, const QString &item);
    // Selects a slot in the selector through its popup.
    void select(int slot);
    // Types into a line edit that takes the focus first.
    void type(const char *edit, const QString &text);
    void key(const char *widget, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier);
    // Replaces a box's whole text through the clipboard, as a paste does.
    void paste(const char *widget, const QString &text);
    void activate();
    void trigger(const char *action);

    QString rawLine() const { return edit("txtRaw")->text(); }
    QByteArray file() const { return readWhole(path); }

    ImageFolder folder;
    QString path;
    ScriptedPrompter prompter;
    std::unique_ptr<mainForm> window;
};

} // namespace corvantis::test

Q_DECLARE_METATYPE(corvantis::Prompter::Buttons)
Q_DECLARE_METATYPE(corvantis::Prompter::Icon)
Q_DECLARE_METATYPE(corvantis::Prompter::Answer)
