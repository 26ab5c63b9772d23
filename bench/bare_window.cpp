// The yardstick for start-up: what any Qt Widgets program with the editor's
// frame costs. A main window with the editor's menu bar (every menu and item,
// with their shortcuts) and one combo box, nothing else. It takes an image
// argument as the editor does and ignores it, so both start with the same
// command line.

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QKeySequence>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>

#include <initializer_list>
#include <utility>

namespace {

using Item = std::pair<const char *, QList<QKeySequence>>;

void addMenu(QMenuBar *bar, const char *title, std::initializer_list<Item> items) {
    QMenu *menu = bar->addMenu(QString::fromLatin1(title));
    for (const auto &[text, keys] : items) {
        if (!*text) {
            menu->addSeparator();
            continue;
        }
        QAction *action = menu->addAction(QString::fromLatin1(text));
        action->setShortcuts(keys);
    }
}

} // namespace

int main(int argc, char *argv[]) {
    QApplication app(argc, argv);
    QMainWindow window;
    window.setWindowTitle(QStringLiteral("Bare Qt Window"));
    QMenuBar *bar = window.menuBar();
    addMenu(bar, "&File",
            {{"&Open...", QKeySequence::keyBindings(QKeySequence::Open)},
             {"&Save...", QKeySequence::keyBindings(QKeySequence::Save)},
             {"", {}},
             {"&Import Spells...", {}},
             {"&Export Spells...", {}},
             {"Create &Patch...", {}},
             {"", {}},
             {"E&xit", QKeySequence::keyBindings(QKeySequence::Quit)}});
    addMenu(bar, "&Edit",
            {{"&Undo", QKeySequence::keyBindings(QKeySequence::Undo)},
             {"&Redo",
              {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)}},
             {"", {}},
             {"Re&vert Spell", {}}});
    addMenu(bar, "&View", {{"&All Spells...", {QKeySequence(Qt::CTRL | Qt::Key_T)}}});
    addMenu(bar, "&Help", {{"&Contents...", {QKeySequence(Qt::Key_F1)}}, {"&About...", {}}});
    auto *box = new QComboBox(&window);
    box->addItem(QStringLiteral("One item"));
    window.setCentralWidget(box);
    window.show();
    return app.exec();
}
