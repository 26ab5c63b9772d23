// Where the help page is looked for, and what the shipped page holds.

#include "ui/HelpPage.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

namespace {

enum Folder { Current = 1, Program = 2, Data = 4 };

bool writePage(const QString &dir) {
    QFile page(QDir(dir).filePath(corvantis::HelpPageName));
    return page.open(QIODevice::WriteOnly) && page.write("<html></html>\n") > 0;
}

QString readPage(const QString &path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

} // namespace

class TestHelpPage : public QObject {
    Q_OBJECT

  private slots:
    void lookupOrder_data();
    void lookupOrder();
    void aFolderNamedLikeThePageIsNoPage();
    void unknownFoldersAreSkipped();
    void currentFolderOfTheProcess();
    void installedFolder();
    void pageBesideTheBuiltProgram();
    void shippedPageIsAManualThatNeedsNoNetwork();
};

void TestHelpPage::lookupOrder_data() {
    QTest::addColumn<int>("holding");  // which folders hold the page
    QTest::addColumn<int>("expected"); // which one must be found; 0 for none
    QTest::newRow("none") << 0 << 0;
    QTest::newRow("current only") << int(Current) << int(Current);
    QTest::newRow("program only") << int(Program) << int(Program);
    QTest::newRow("data only") << int(Data) << int(Data);
    QTest::newRow("current and program") << (Current | Program) << int(Current);
    QTest::newRow("current and data") << (Current | Data) << int(Current);
    QTest::newRow("program and data") << (Program | Data) << int(Program);
    QTest::newRow("all three") << (Current | Program | Data) << int(Current);
}

void TestHelpPage::lookupOrder() {
    QFETCH(int, holding);
    QFETCH(int, expected);
    QTemporaryDir root;
    QVERIFY(root.isValid());
    QMap<int, QString> dirs;
    for (auto [folder, name] :
         {std::pair{Current, "current"}, std::pair{Program, "program"}, std::pair{Data, "data"}}) {
        QVERIFY(QDir(root.path()).mkdir(name));
        dirs[folder] = root.filePath(name);
        if (holding & folder)
            QVERIFY(writePage(dirs[folder]));
    }

    const QString found = corvantis::FindHelpPage(dirs[Current], dirs[Program], dirs[Data]);
    if (expected == 0)
        QVERIFY2(found.isEmpty(), qPrintable(found));
    else
        QCOMPARE(found, QDir(dirs[expected]).absoluteFilePath(corvantis::HelpPageName));
}

void TestHelpPage::aFolderNamedLikeThePageIsNoPage() {
    QTemporaryDir current, program;
    QVERIFY(QDir(current.path()).mkdir(corvantis::HelpPageName));
    QVERIFY(writePage(program.path()));
    QCOMPARE(corvantis::FindHelpPage(current.path(), program.path(), QString()),
             QDir(program.path()).absoluteFilePath(corvantis::HelpPageName));
}

void TestHelpPage::unknownFoldersAreSkipped() {
    // An empty folder name must not stand for the process's current folder.
    QTemporaryDir here, data;
    QVERIFY(writePage(here.path()));
    const QString before = QDir::currentPath();
    QVERIFY(QDir::setCurrent(here.path()));
    const QString none = corvantis::FindHelpPage(QString(), QString(), QString());
    QVERIFY(writePage(data.path()));
    const QString fromData = corvantis::FindHelpPage(QString(), QString(), data.path());
    const QString missing = corvantis::FindHelpPage(here.filePath("no-such-folder"),
                                                    here.filePath("nor-this"), QString());
    QDir::setCurrent(before);
    QVERIFY2(none.isEmpty(), qPrintable(none));
    QCOMPARE(fromData, QDir(data.path()).absoluteFilePath(corvantis::HelpPageName));
    QVERIFY(missing.isEmpty());
}

void TestHelpPage::currentFolderOfTheProcess() {
    QTemporaryDir here;
    QVERIFY(writePage(here.path()));
    const QString before = QDir::currentPath();
    QVERIFY(QDir::setCurrent(here.path()));
    const QString found = corvantis::FindHelpPage();
    QDir::setCurrent(before);
    QCOMPARE(QFileInfo(found).canonicalFilePath(),
             QFileInfo(QDir(here.path()).filePath(corvantis::HelpPageName)).canonicalFilePath());
    QVERIFY(QFileInfo(found).isAbsolute());
}

void TestHelpPage::installedFolder() {
    const QString dir = corvantis::HelpDataDir();
    QVERIFY(QDir::isAbsolutePath(dir));
    QVERIFY2(dir.endsWith("/share/corvantis-spell-editor"), qPrintable(dir));
}

void TestHelpPage::pageBesideTheBuiltProgram() {
    // Started from the build tree, the program finds the copy made beside it.
    QTemporaryDir elsewhere;
    const QString found =
        corvantis::FindHelpPage(elsewhere.path(), CORVANTIS_PROGRAM_DIR, QString());
    QCOMPARE(found, QDir(CORVANTIS_PROGRAM_DIR).absoluteFilePath(corvantis::HelpPageName));
    QCOMPARE(readPage(found), readPage(CORVANTIS_HELP_SOURCE));
}

void TestHelpPage::shippedPageIsAManualThatNeedsNoNetwork() {
    const QString page = readPage(CORVANTIS_HELP_SOURCE);
    QVERIFY(!page.isEmpty());
    // The questions and refusals the user meets, as the program words them.
    for (const char *text : {"Changing this spell has unpredictable results.",
                             "This ROM is read-only.", "Values must be in the range of 0 to 255.",
                             "You have unsaved changes.", "You haven't changed anything.",
                             "Error reading file.", "Error writing file.", "Open as read-only"})
        QVERIFY2(page.contains(text), text);
    // Every field with its name as the window shows it.
    for (const char *field : {"Targetting", "Effect", "Effectiveness", "Elemental", "Appearance",
                              "Color Palette", "First Byte", "Invalid Value"})
        QVERIFY2(page.contains(field), field);
    // Nothing is fetched: no address outside the page itself.
    for (const char *remote : {"http:", "https:", "//", "src=", "@import"})
        QVERIFY2(!page.contains(remote), remote);
}

QTEST_MAIN(TestHelpPage)
#include "test_help_page.moc"
