#include "ui/HelpPage.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>

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

} // namespace corvantis
