#include "cli/CommandLine.h"
#include "ui/mainForm.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QFile>

#include <cstdio>

namespace {

void nameProgram() {
    QCoreApplication::setApplicationName(QStringLiteral("corvantis-spell-editor"));
    QCoreApplication::setApplicationVersion(QStringLiteral("1.5"));
}

// Reads the command line before any window system is needed, so that --help,
// --version, the command-line verbs and usage errors work without a display.
// Returns the image to open (possibly none), or an exit status in status.
QString parseCommandLine(int argc, char *argv[], int &status) {
    QCoreApplication core(argc, argv);
    nameProgram();
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Edits the spell table of a Corvantis NES cartridge image."));
    // Qt's own options (-platform xcb, -style fusion, ...) are the toolkit's.
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    for (const char *name : {"platform", "platformpluginpath", "platformtheme", "plugin",
                             "qwindowgeometry", "qwindowicon", "qwindowtitle", "display",
                             "geometry", "style", "stylesheet", "session", "title", "name"}) {
        QCommandLineOption qtOption(QString::fromLatin1(name), QString(), QStringLiteral("value"));
        qtOption.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(qtOption);
    }
    for (const char *name : {"reverse", "nograb", "dograb", "sync", "widgetcount"}) {
        QCommandLineOption qtFlag(QString::fromLatin1(name));
        qtFlag.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(qtFlag);
    }
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    parser.addPositionalArgument(QStringLiteral("image"),
                                 QStringLiteral("The .nes image to open, writable, or to work on "
                                                "with one of the options below."),
                                 QStringLiteral("[image]"));
    corvantis::cli::AddOptions(parser);

    const bool parsed = parser.parse(QCoreApplication::arguments());
    if (parsed && parser.isSet(help))
        parser.showHelp(0);
    if (parsed && parser.isSet(version))
        parser.showVersion();
    // The verbs run here, before any window system is touched.
    if (parsed && corvantis::cli::HasVerb(parser)) {
        status = corvantis::cli::RunVerb(parser);
        return {};
    }
    if (!parsed || parser.positionalArguments().size() > 1) {
        const QString why = parsed ? QStringLiteral("Too many arguments: give one image at most.")
                                   : parser.errorText();
        std::fprintf(stderr, "%s\n\n%s", qPrintable(why), qPrintable(parser.helpText()));
        status = 2;
        return {};
    }
    status = -1;
    const QStringList images = parser.positionalArguments();
    return images.isEmpty() ? QString() : images.constFirst();
}

} // namespace

// Starts the editor: on the image named on the command line (as a file
// manager's "Open with" does), or asking for one.
int main(int argc, char *argv[]) {
    // A plain start (no option, at most one image, as a file manager or a
    // launcher starts it) needs no parser and no throwaway application.
    bool plain = argc <= 2;
    for (int i = 1; i < argc; ++i)
        plain = plain && argv[i][0] != '-' && argv[i][0] != '\0';
    int status = -1;
    const QString image = plain ? (argc == 2 ? QFile::decodeName(argv[1]) : QString())
                                : parseCommandLine(argc, argv, status);
    if (status >= 0)
        return status;

    QApplication app(argc, argv);
    nameProgram();
    QApplication::setDesktopFileName(QStringLiteral("io.github.corvantis.SpellEditor"));

    corvantis::mainForm window;
    window.Form_Load(image);
    return app.exec();
}
