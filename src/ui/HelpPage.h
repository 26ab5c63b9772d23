#pragma once

#include <QString>
#include <QUrl>

#include <functional>

class QTextBrowser;
class QWidget;

namespace corvantis {

// The file name of the help page.
extern const char HelpPageName[]; // "CorvantisSpellEdit.html"

// The folder the page is installed into (share/corvantis-spell-editor under the
// install prefix the program was built for).
QString HelpDataDir();

// The absolute path of the help page in the first of the three folders that
// holds it as a file: currentDir, then programDir, then dataDir. An empty
// folder name is skipped. Empty when none holds it.
QString FindHelpPage(const QString &currentDir, const QString &programDir, const QString &dataDir);

// The same for the process's current folder, the program's own folder and the
// installed data folder, so that the page is found however the editor was
// started.
QString FindHelpPage();

// Hands a URL to the desktop (its HTML viewer for the page) and returns at
// once: false when the desktop has nothing to open it with.
using HelpOpener = std::function<bool(const QUrl &)>;
HelpOpener DefaultHelpOpener();

// The copy of the page built into the program, for when no installed page
// is found.
extern const char BuiltInHelpPage[]; // "qrc:/help/CorvantisSpellEdit.html"

// Shows the help page: through opener where the desktop can show it, else
// in the program's own help window (made once, a child of parent, kept in
// window).
void ShowHelp(QWidget *parent, const HelpOpener &opener, QTextBrowser *&window);

} // namespace corvantis
