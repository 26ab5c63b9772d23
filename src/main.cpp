#include "ui/mainForm.h"

#include <QApplication>
#include <QCommandLineParser>

#include <cstdio>

// Starts the editor: on the image named on the command line (as a file
// manager's "Open with" does), or asking for one.
int main(int argc, char *argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("corvantis-spell-editor"));
    QApplication::setApplicationVersion(QStringLiteral("1.5"));
    QApplication::setDesktopFileName(QStringLiteral("io.github.corvantis.SpellEditor"));

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Edits the spell table of a Corvantis NES cartridge image."));
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    parser.addPositionalArgument(QStringLiteral("image"),
                                 QStringLiteral("The .nes image to open, writable."),
                                 QStringLiteral("[image]"));
    const bool parsed = parser.parse(QApplication::arguments());
    if (parsed && parser.isSet(help))
        parser.showHelp(0);
    if (parsed && parser.isSet(version))
        parser.showVersion();
    if (!parsed || parser.positionalArguments().size() > 1) {
        const QString why = parsed ? QStringLiteral("Too many arguments: give one image at most.")
                                   : parser.errorText();
        std::fprintf(stderr, "%s\n\n%s", qPrintable(why), qPrintable(parser.helpText()));
        return 2;
    }

    corvantis::mainForm window;
    const QStringList images = parser.positionalArguments();
    window.Form_Load(images.isEmpty() ? QString() : images.constFirst());
    return app.exec();
}
