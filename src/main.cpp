#include "cli/CommandLine.h"
#include "cli/Usage.h"
#include "data/FileNames.h"
#include "ui/mainForm.h"

#include <QApplication>
#include <QCommandLineParser>

#include <clocale>
#include <cstring>

namespace {

void nameProgram() {
    QCoreApplication::setApplicationName(QStringLiteral("corvantis-spell-editor"));
    QCoreApplication::setApplicationVersion(QStringLiteral(CORVANTIS_VERSION));
}

QString versionText() {
    return QCoreApplication::applicationName() + QLatin1Char(' ') +
           QCoreApplication::applicationVersion() +
           QStringLiteral("\nCopyright (C) 2026 The Corvantis Spell Editor authors\n"
                          "License GPL-3.0-or-later: GNU GPL version 3 or later "
                          "<https://gnu.org/licenses/gpl.html>.\n"
                          "This is free software: you are free to change and redistribute it.\n"
                          "There is NO WARRANTY, to the extent permitted by law.\n");
}

// The Qt toolkit's own options that the window takes (-platform offscreen,
// -style fusion, ...): listed by --help-all only.
struct ToolkitOption {
    const char *name, *value, *description;
};
constexpr ToolkitOption ToolkitOptions[] = {
    {"platform", "name", "The window system plugin: xcb, wayland, offscreen ..."},
    {"platformpluginpath", "path", "Where the window system plugins are."},
    {"platformtheme", "name", "The platform theme."},
    {"plugin", "name", "A further plugin to load."},
    {"display", "display", "The X display to open the window on, instead of $DISPLAY."},
    {"qwindowgeometry", "geometry", "The window's geometry, such as 300x400+50+50."},
    {"geometry", "geometry", "The same as -qwindowgeometry."},
    {"qwindowicon", "file", "The window's icon."},
    {"qwindowtitle", "title", "The window's title."},
    {"title", "title", "The same as -qwindowtitle."},
    {"name", "name", "The window's instance name for the window manager."},
    {"style", "style", "The widget style: fusion, windows ..."},
    {"stylesheet", "file", "A Qt style sheet for the window."},
    {"session", "id", "The session to restore."},
    {"reverse", nullptr, "Lays the window out from right to left."},
    {"nograb", nullptr, "Never grabs the mouse or the keyboard."},
    {"dograb", nullptr, "Grabs the mouse and the keyboard even under a debugger."},
    {"sync", nullptr, "Talks to the X server synchronously (for debugging)."},
    {"widgetcount", nullptr, "Prints how many widgets were made and left at the end."},
};

// The program's options. The toolkit's are always accepted, as the window
// passes them on to Qt; withToolkit lists them in the help as well.
void addOptions(QCommandLineParser &parser, bool withToolkit) {
    parser.setApplicationDescription(
        QStringLiteral("Edits the spell table of a Corvantis NES cartridge image."));
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    for (const ToolkitOption &o : ToolkitOptions) {
        QCommandLineOption option(QString::fromLatin1(o.name), QString::fromLatin1(o.description),
                                  o.value ? QString::fromLatin1(o.value) : QString());
        if (!withToolkit)
            option.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(option);
    }
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addPositionalArgument(QStringLiteral("image"),
                                 QStringLiteral("The .nes image to open, writable, or to work on "
                                                "with one of the options below."),
                                 QStringLiteral("[image]"));
    corvantis::cli::AddOptions(parser);
}

// Reads the command line before any window system is needed, so that --help,
// --version, the command-line verbs and usage errors work without a display.
// Returns the image to open (possibly none), or an exit status in status.
QString parseCommandLine(int argc, char *argv[], int &status) {
    QCoreApplication core(argc, argv);
    nameProgram();
    QCommandLineParser parser;
    addOptions(parser, false);
    // File names are bytes: each argument is kept as given, valid UTF-8 or not.
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(corvantis::DecodeFileName(argv[i]));
    if (!parser.parse(arguments)) {
        status = corvantis::cli::UsageError(parser.errorText());
        return {};
    }
    if (parser.isSet(QStringLiteral("help-all"))) {
        QCommandLineParser all;
        addOptions(all, true);
        status = corvantis::cli::PrintOut(all.helpText());
        return {};
    }
    if (parser.isSet(QStringLiteral("help"))) {
        status = corvantis::cli::PrintOut(parser.helpText());
        return {};
    }
    if (parser.isSet(QStringLiteral("version"))) {
        status = corvantis::cli::PrintOut(versionText());
        return {};
    }
    // The verbs run here, before any window system is touched.
    if (corvantis::cli::HasVerb(parser)) {
        status = corvantis::cli::RunVerb(parser);
        return {};
    }
    const QStringList images = parser.positionalArguments();
    if (images.size() > 1) {
        status = corvantis::cli::UsageError(
            QStringLiteral("Too many arguments: give one image at most."));
        return {};
    }
    return images.isEmpty() ? QString() : images.constFirst();
}

// Whether the window would find no display: Qt's X11 and Wayland plugins
// need one named in the environment (or by -display), and without it Qt
// aborts. Another platform (-platform offscreen, QT_QPA_PLATFORM=vnc ...) is
// Qt's to judge.
bool noDisplay(int argc, char *argv[]) {
    if (!qEnvironmentVariableIsEmpty("DISPLAY") || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        return false;
    QByteArray platform = qgetenv("QT_QPA_PLATFORM");
    for (int i = 1; i + 1 < argc; ++i) {
        QByteArray option(argv[i]);
        if (option.startsWith("--"))
            option.remove(0, 1);
        if (option == "-display")
            return false;
        if (option == "-platform")
            platform = argv[i + 1];
    }
    for (const QByteArray &name : platform.split(';'))
        if (!name.isEmpty() && !name.startsWith("xcb") && !name.startsWith("wayland"))
            return false;
    return true;
}

// Qt needs a UTF-8 character set. In the C locale of a minimal system it
// takes C.UTF-8 by itself, but Qt 6.8 says so in four lines on standard
// error before every command's output and message; asked for first, C.UTF-8
// comes without them.
void preferUtf8() {
    const char *ctype = std::setlocale(LC_CTYPE, "");
    if (ctype && (std::strcmp(ctype, "C") == 0 || std::strcmp(ctype, "POSIX") == 0))
        qputenv(qEnvironmentVariableIsEmpty("LC_ALL") ? "LC_CTYPE" : "LC_ALL", "C.UTF-8");
}

} // namespace

// Starts the editor: on the image named on the command line (as a file
// manager's "Open with" does), or asking for one.
int main(int argc, char *argv[]) {
    preferUtf8();
    // A plain start (no option, at most one image, as a file manager or a
    // launcher starts it) needs no parser and no throwaway application.
    bool plain = argc <= 2;
    for (int i = 1; i < argc; ++i)
        plain = plain && argv[i][0] != '-' && argv[i][0] != '\0';
    int status = -1;
    const QString image = plain ? (argc == 2 ? corvantis::DecodeFileName(argv[1]) : QString())
                                : parseCommandLine(argc, argv, status);
    if (status >= 0)
        return status;
    if (noDisplay(argc, argv)) {
        nameProgram();
        return corvantis::cli::Failed(
            QStringLiteral("no display to open a window on (DISPLAY is not set); the "
                           "command-line verbs work without one (see --help)."));
    }

    QApplication app(argc, argv);
    nameProgram();
    QApplication::setDesktopFileName(QStringLiteral("io.github.corvantis.SpellEditor"));

    corvantis::mainForm window;
    window.Form_Load(image);
    return app.exec();
}
