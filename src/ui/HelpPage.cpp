#include "ui/HelpPage.h"

#include "ui/FormScale.h"
#include "ui/FormSetup.h"
#include "ui/Texts.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QTextBrowser>

#ifndef CORVANTIS_DATA_DIR
#error "CORVANTIS_DATA_DIR must name the installed data folder (see resources/CMakeLists.txt)"
#endif

namespace corvantis {

const char HelpPageName[] = "CorvantisSpellEdit.html";

QString HelpDataDir() {
    return QStringLiteral(CORVANTIS_DATA_DIR);
}

QString FindHelpPage(const QString &currentDir, const QString &programDir, const QString &dataDir) {
    for (const QString &dir : {currentDir, programDir, dataDir}) {
        // QDir("") would mean the current folder: an unknown folder must not.
        if (dir.isEmpty())
            continue;
        const QFileInfo page(QDir(dir), QString::fromLatin1(HelpPageName));
        if (page.isFile())
            return page.absoluteFilePath();
    }
    return {};
}

QString FindHelpPage() {
    return FindHelpPage(QDir::currentPath(), QCoreApplication::applicationDirPath(), HelpDataDir());
}

const char BuiltInHelpPage[] = "qrc:/help/CorvantisSpellEdit.html";

HelpOpener DefaultHelpOpener() {
    return [](const QUrl &url) { return QDesktopServices::openUrl(url); };
}

void ShowHelp(QWidget *parent, const HelpOpener &opener, QTextBrowser *&window) {
    const QString page = FindHelpPage();
    const QUrl url =
        page.isEmpty() ? QUrl(QString::fromLatin1(BuiltInHelpPage)) : QUrl::fromLocalFile(page);
    if (!page.isEmpty() && opener && opener(url))
        return;
    // The desktop cannot show the page: the program's own window does.
    if (!window) {
        window = new QTextBrowser(parent);
        window->setObjectName(QStringLiteral("helpWindow"));
        window->setWindowFlag(Qt::Window);
        window->setWindowTitle(texts::HelpTitle);
        window->setOpenExternalLinks(true);
        window->resize(QSize(640, 560) * FormScale());
        AddCloseKeys(window);
    }
    window->setSource(url);
    window->show();
    window->raise();
    window->activateWindow();
}

} // namespace corvantis
