#include "data/FileNames.h"
#include "data/MainModule.h"
#include "support/ImageFixture.h"

#include <QDir>
#include <QStandardPaths>
#include <QTest>
#include <QThread>

#include <cerrno>
#include <sys/stat.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <thread>
#include <unistd.h>
#include <vector>

using namespace corvantis;
using namespace corvantis::test;

namespace {

const QString Changed = "The image was changed by another program since it was opened.";

} // namespace

class TestSafeSave : public QObject {
    Q_OBJECT
  private slots:
    // An image edited, then saved after what the row names befell it.
    void save_data() {
        QTest::addColumn<bool>("saved");
        QTest::addColumn<QString>("text"); // the reason, or the warning of a save
        const QString gone = "The file was removed or replaced after it was opened.";
        const std::tuple<bool, QString, std::vector<const char *>> rows[] = {
            {true,
             {},
             {"link to dirlink/../x.nes", "path dirlink/../x.nes", "their table byte, replaced",
              "renamed over, replaced", "hard link", "mode 6755", "mode 1600",
              "another owner, xattr", "folder cannot be written",
              "hard link, mode 6755, capability", "sparse 32 MiB",
              "our other save begun before the rename"}},
            {true,
             "The file was saved, but its folder could not be flushed to disk: Input/output error.",
             {"flush of the folder fails"}},
            {true,
             "Another program wrote to the file while it was being saved; its version is kept at "
             "%2.",
             {"written before the rename"}},
            {false,
             Changed,
             {"their table byte, kept", "written during the copy", "renamed over, kept"}},
            {false, gone, {"deleted"}},
            {false, "The file is read-only.", {"mode 0444", "mode 0444, folder cannot be written"}},
            {false, "The file is shorter than a Corvantis image (197616 bytes).", {"truncated"}},
            {false,
             "The file is larger than any Corvantis image (67108865 bytes).",
             {"grown, replaced"}},
            {false, "Input/output error.", {"flush fails", "hard link, write fails"}},
            {false, "The folder %1 cannot be written.", {"hard link, no cache folder"}}};
        for (const auto &[saved, text, names] : rows)
            for (const char *name : names)
                QTest::newRow(name) << saved << text;
    }
    void save() {
        QFETCH(bool, saved);
        QFETCH(QString, text);
        const QString row = QTest::currentDataTag();
        ImageFolder folder;
        QVERIFY(QDir(folder.path(".")).mkpath("else/deep") && QDir(folder.path(".")).mkpath("top"));
        const QString image = folder.add("else/x.nes", plainImage(3));
        const QByteArray file = QFile::encodeName(image);
        folder.add("top/x.nes", plainImage(4)); // where cleaning the link's text would lead
        QVERIFY(QFile::link("../else/deep", folder.path("top/lnk")));
        const bool noCache = row.endsWith("no cache folder"); // the cache folder is a file
        qputenv("XDG_CACHE_HOME", QFile::encodeName(noCache ? image : folder.path("cache")));
        const QString cache = QStandardPaths::writableLocation(QStandardPaths::CacheLocation);
        text.replace("%1", cache);
        QString open = row.startsWith("path") ? folder.path("top/lnk/../x.nes") : image;
        QVERIFY(!row.startsWith("link") ||
                QFile::link("top/lnk/../x.nes", open = folder.path("v")));
        QVERIFY(!row.startsWith("hard link") || link(file, qPrintable(folder.path("twin"))) == 0);
        const int mode = row.mid(row.indexOf("mode ") + 5, 4).toInt(nullptr, 8);
        QVERIFY(!row.contains("mode ") || chmod(file, mode) == 0);
        const char capability[] = "\x01\0\0\x02\0\x04\0\0\0\0\0\0\0\0\0\0\0\0\0\0";
        if ((row.startsWith("another owner") &&
             (chown(file, 1234, 5678) != 0 || setxattr(file, "user.x", "kept", 4, 0) != 0)) ||
            (row.endsWith("capability") &&
             setxattr(file, "security.capability", capability, 20, 0) != 0))
            QSKIP("needs root and a file system with extended attributes");
        QVERIFY(!row.startsWith("sparse") || QFile::resize(image, 32 << 20));

        MainModule m;
        QVERIFY(m.ReadSpells(open));
        m.SpellBytes(3, 2) = 0x5A;
        m.SpellNames[7] = "\x91\x92";
        // Another save of this program's from the same state, begun just before
        // the rename: it waits for this one, then is refused.
        MainModule ours;
        bool oursSaved = false;
        QString oursWhy;
        std::thread other;
        if (row.startsWith("our other save")) {
            QVERIFY(ours.ReadSpells(image));
            ours.SpellBytes(2, 2) = 2;
            m.hooks.rename = [&] {
                other = std::thread([&] { oursSaved = ours.WriteSpells(image, &oursWhy); });
                QThread::msleep(100);
                return true;
            };
        }

        // What another program does meanwhile; theirs: the image as the save finds it.
        QByteArray theirs = readWhole(image);
        theirs[SpellTableOffset + 9 * RecordSize] = theirs[5] = 0x42;
        QVERIFY(!row.startsWith("their") || writeWhole(image, theirs));
        QVERIFY(!row.startsWith("renamed") ||
                (writeWhole(image + "~", theirs) && rename(qPrintable(image + "~"), file) == 0));
        QVERIFY(row != "deleted" || QFile::remove(image));
        QVERIFY(row != "truncated" || QFile::resize(image, 1000));
        QVERIFY(!row.startsWith("grown") || QFile::resize(image, (64 << 20) + 1));
        const QByteArray kept = theirs;
        if (row == "written during the copy")
            m.hooks.writeChunk = [&](qint64 at) { return at == 0 || writeWhole(image, theirs); };
        else
            theirs = readWhole(image);
        if (row == "written before the rename")
            m.hooks.rename = [&] { return writeWhole(image, kept); };
        m.hooks.flush = [&] { return row != "flush fails"; };
        m.hooks.flushFolder = [&] { return row != "flush of the folder fails"; };
        m.hooks.createTemporary = [&] {
            return !row.contains("cannot be written") || (errno = EROFS, false);
        };
        if (row.endsWith("write fails"))
            m.hooks.writeChunk = [](qint64 at) { return at != SpellTableOffset; };
        if (row.endsWith("capability")) // as the system does for a saver without the right
            m.hooks.writeChunk = [&](qint64 at) {
                return at != NameTableOffset || chmod(file, 0755) == 0;
            };
        struct stat was = {}, now = {};
        stat(file, &was);

        QCOMPARE(m.ChangedOnDisk(),
                 row.startsWith("their") || row.startsWith("renamed") || row.startsWith("grown"));
        QString why, warned;
        const bool done = m.WriteSpells(m.ImagePath(), &why, row.endsWith("replaced"), &warned);
        if (other.joinable())
            other.join();
        QCOMPARE(done, saved);
        QVERIFY(!oursSaved && oursWhy == (row.startsWith("our other save") ? Changed : QString()));
        const QStringList left = QDir(cache).entryList(QDir::Files | QDir::Hidden);
        QCOMPARE(left.size(), int(row == "written before the rename"));
        if (!left.isEmpty()) { // their version, kept
            QCOMPARE(readWhole(QDir(cache).filePath(left[0])), kept);
            text.replace("%2", QDir(cache).filePath(left[0]));
        }
        QCOMPARE(saved ? warned : why, text);
        QVERIFY(!row.startsWith("grown") || (!m.ReadSpells(image, &warned) && warned == text));
        if (saved) { // all of the store's tables, the rest as the save found it
            theirs[SpellTableOffset + 3 * RecordSize + 1] = 0x5A;
            theirs[SpellTableOffset + 9 * RecordSize] = 0x18;
            theirs.replace(NameTableOffset + 7 * NameRecordSize, 4, "\x91\x92\xFF\xFF");
        }
        QCOMPARE(readWhole(image), theirs);
        QVERIFY(!row.startsWith("hard link") || readWhole(folder.path("twin")) == theirs);
        // No copy left behind beside the image.
        QCOMPARE(QDir(folder.path("else")).entryList(QDir::Files | QDir::Hidden).size(),
                 int(row != "deleted"));
        QCOMPARE(stat(file, &now) == 0, row != "deleted");
        QVERIFY(now.st_mode == was.st_mode && now.st_uid == was.st_uid && now.st_gid == was.st_gid);
        QVERIFY(!row.startsWith("sparse") || now.st_blocks < 8192); // under 4 MiB on disk
        const bool inPlace = row.startsWith("hard link") || row.startsWith("folder");
        QVERIFY(!inPlace || now.st_ino == was.st_ino);
        QVERIFY(!row.startsWith("another") || getxattr(file, "user.x", nullptr, 0) == 4);
        char got[20];
        QVERIFY(
            !row.endsWith("capability") ||
            (getxattr(file, "security.capability", got, 20) == 20 && !memcmp(got, capability, 20)));
    }

    // A save stopped dead at each step (a child process that ends inside the
    // hook): the image is as it was, or the journal offers the copy made
    // before it; the next save leaves nothing behind.
    void killed_data() {
        QTest::addColumn<bool>("interrupted");
        for (const char *row : {"copy", "before the rename", "hard link, backup",
                                "hard link, journal", "hard link, tables", "hard link, flush"})
            QTest::newRow(row) << (QByteArray(row).endsWith("tables") ||
                                   QByteArray(row).endsWith("flush"));
    }
    void killed() {
        QFETCH(bool, interrupted);
        const QString row = QTest::currentDataTag();
        ImageFolder folder;
        QVERIFY(QDir(folder.path(".")).mkdir("else"));
        const QByteArray original = plainImage(3);
        const QString image = folder.add("else/x.nes", original);
        qputenv("XDG_CACHE_HOME", QFile::encodeName(folder.path("cache")));
        const QDir cache(QStandardPaths::writableLocation(QStandardPaths::CacheLocation));
        QVERIFY(!row.startsWith("hard link") ||
                link(qPrintable(image), qPrintable(folder.path("twin"))) == 0);
        MainModule m;
        QVERIFY(m.ReadSpells(image));
        m.SpellBytes(60, 1) = 0x33;
        m.SpellNames[0] = "\x91"; // the first bytes written in place

        const pid_t child = fork();
        if (child == 0) {
            const auto stop = [](bool now) { return now ? _exit(0), false : true; };
            const qint64 stopAt = row.endsWith("tables")                    ? SpellTableOffset
                                  : row == "copy" || row.endsWith("backup") ? 64 * 1024
                                                                            : -1;
            bool tables = false;
            MainModule stopped = m;
            stopped.hooks.writeChunk = [&](qint64 at) {
                tables = tables || at == SpellTableOffset;
                return stop(at == stopAt);
            };
            stopped.hooks.flush = [&] { return stop(tables && row.endsWith("flush")); };
            stopped.hooks.journal = [&] { return stop(row.endsWith("journal")); };
            stopped.hooks.rename = [&] { return stop(row.endsWith("rename")); };
            stopped.WriteSpells(image);
            _exit(1); // never stopped
        }
        int status = -1;
        QVERIFY(waitpid(child, &status, 0) == child && WIFEXITED(status) && !WEXITSTATUS(status));

        ImageIdentity found;
        QString why;
        QVERIFY(ReadImage(image, found, why));
        const InterruptedSave left = FindInterruptedSave(found);
        QCOMPARE(left.isValid(), interrupted);
        QCOMPARE(readWhole(image) == original, !interrupted);
        if (interrupted) {
            QVERIFY2(RestoreInterruptedSave(left, found, why), qPrintable(why));
            QCOMPARE(readWhole(image), original);
            QCOMPARE(found.tables, TablesOf(original));
            QVERIFY(cache.isEmpty(QDir::Files | QDir::Hidden));
        }
        QVERIFY2(m.WriteSpells(image, &why), qPrintable(why));
        QCOMPARE(readWhole(image), asSaved(original, m));
        QCOMPARE(QDir(folder.path("else")).entryList(QDir::Files | QDir::Hidden), {"x.nes"});
        QVERIFY(cache.isEmpty(QDir::Files | QDir::Hidden));
    }

    // Every other file the program writes (Save As, exports, patches) goes
    // through the same writer: written as given, or refused and left alone;
    // what cannot be written cannot be read either (a pipe would never end).
    void targets_data() {
        QTest::addColumn<QString>("reason"); // empty: written
        const std::pair<QString, std::vector<const char *>> rows[] = {
            {{},
             {"new", "hard link, mode 4755, owner, xattr", "mode 4755, owner, xattr",
              "Save As x\xff.nes", "Save As, hard link"}},
            {"The file is read-only.", {"mode 0444"}},
            {"%1 is not a regular file.", {"fifo", "link to a fifo", "folder"}},
            {"No such file or directory.", {"no folder/out"}}};
        for (const auto &[reason, names] : rows)
            for (const char *name : names)
                QTest::newRow(name) << reason;
    }
    void targets() {
        QFETCH(QString, reason);
        const QByteArray row = QTest::currentDataTag();
        ImageFolder folder;
        qputenv("XDG_CACHE_HOME", QFile::encodeName(folder.path("cache")));
        const QByteArray file =
            QFile::encodeName(folder.path("")) + '/' +
            (row.contains(".nes") || row.contains('/') ? row.mid(row.indexOf(' ', 5) + 1) : "out");
        QString given = DecodeFileName(file);
        QVERIFY(!row.contains("fifo") || mkfifo(file, 0644) == 0);
        QVERIFY(row != "link to a fifo" || QFile::link(given, folder.path("link")));
        given = row == "link to a fifo" ? folder.path("link") : given;
        reason.replace("%1", given);
        QVERIFY(row != "folder" || QDir().mkdir(given));
        const bool exists = row.contains("hard link") || row.startsWith("mode");
        QVERIFY(!exists || writeWhole(given, "old"));
        QVERIFY(!row.contains("hard link") || link(file, qPrintable(folder.path("twin"))) == 0);
        QVERIFY(!row.contains("mode") ||
                chmod(file, row.mid(row.indexOf("mode ") + 5, 4).toInt(nullptr, 8)) == 0);
        if (row.contains("owner") &&
            (chown(file, 1234, 5678) != 0 || setxattr(file, "user.x", "kept", 4, 0) != 0))
            QSKIP("needs root and a file system with user attributes");
        struct stat was = {}, now = {};
        stat(file, &was);

        QString why;
        QByteArray wanted = "new bytes";
        ImageIdentity image, saved;
        if (row.startsWith("Save As")) {
            const QByteArray source = plainImage(6);
            QVERIFY(ReadImage(folder.add("source.nes", source), image, why));
            MainModule store = storeOf(source);
            store.SpellBytes(5, 5) = 0x77;
            QVERIFY(CopyImage(image, given, RegionsOf(store.records()), {}, saved, why));
            wanted = asSaved(source, store);
        } else {
            QCOMPARE(WriteFile(given, wanted, why), reason.isEmpty());
        }
        QCOMPARE(why, reason);
        QVERIFY(!reason.contains("regular") || !ReadFile(given, 9, wanted, why));
        QCOMPARE(why, reason);
        stat(file, &now);
        QVERIFY(!S_ISREG(now.st_mode) || contents(file) == (reason.isEmpty() ? wanted : "old"));
        QCOMPARE(now.st_mode & S_IFMT, row.contains("fifo") ? S_IFIFO
                                       : row == "folder"    ? S_IFDIR
                                       : row.contains('/')  ? 0
                                                            : S_IFREG);
        QVERIFY(!exists || (now.st_mode == was.st_mode && now.st_uid == was.st_uid));
        QVERIFY(!row.contains("hard link") ||
                (now.st_ino == was.st_ino &&
                 contents(QFile::encodeName(folder.path("twin"))) == wanted));
        QVERIFY(!row.contains("xattr") || getxattr(file, "user.x", nullptr, 0) == 4);
        QVERIFY(QDir(folder.path("cache")).isEmpty(QDir::Files | QDir::Hidden));
        QVERIFY(!row.contains("\xff") || unlink(file) == 0); // which QTemporaryDir could not
    }
};

QTEST_GUILESS_MAIN(TestSafeSave)
#include "test_safe_save.moc"
