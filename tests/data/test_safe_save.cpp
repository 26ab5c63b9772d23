#include "data/MainModule.h"
#include "support/ImageFixture.h"

#include <QDir>
#include <QStandardPaths>
#include <QTest>

#include <cerrno>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>
#include <vector>

using namespace corvantis;
using namespace corvantis::test;

class TestSafeSave : public QObject {
    Q_OBJECT
  private slots:
    // An image edited, then saved after what the row names befell it.
    void save_data() {
        QTest::addColumn<QString>("reason"); // empty: saved
        const QString ok, gone = "The file was removed or replaced after it was opened.",
                          changed = "The image was changed by another program since it was opened.";
        const std::pair<QString, std::vector<const char *>> rows[] = {
            {ok,
             {"link to dirlink/../x.nes", "path dirlink/../x.nes", "their table byte, replaced",
              "renamed over, replaced", "hard link", "mode 0444", "mode 6755", "mode 1600",
              "another owner, xattr", "folder cannot be written"}},
            {changed, {"their table byte, kept", "written during the copy"}},
            {gone, {"renamed over, kept", "deleted"}},
            {"The file is shorter than a Corvantis image (197616 bytes).", {"truncated"}},
            {"Input/output error.", {"flush fails", "hard link, write fails"}},
            {"The folder %1 cannot be written.", {"hard link, no cache folder"}}};
        for (const auto &[reason, names] : rows)
            for (const char *name : names)
                QTest::newRow(name) << reason;
    }
    void save() {
        QFETCH(QString, reason);
        const QString row = QTest::currentDataTag();
        ImageFolder folder;
        QVERIFY(QDir(folder.path(".")).mkpath("else/deep") && QDir(folder.path(".")).mkpath("top"));
        const QString image = folder.add("else/x.nes", plainImage(3));
        const QByteArray file = QFile::encodeName(image);
        folder.add("top/x.nes", plainImage(4)); // where cleaning the link's text would lead
        QVERIFY(QFile::link("../else/deep", folder.path("top/lnk")));
        const bool noCache = row.endsWith("no cache folder");
        qputenv("XDG_CACHE_HOME", QFile::encodeName(noCache ? image : folder.path("cache")));
        const QString cache = QStandardPaths::writableLocation(QStandardPaths::CacheLocation);
        reason.replace("%1", cache);
        QString open = row.startsWith("path") ? folder.path("top/lnk/../x.nes") : image;
        QVERIFY(!row.startsWith("link") ||
                QFile::link("top/lnk/../x.nes", open = folder.path("v")));
        QVERIFY(!row.startsWith("hard link") || link(file, qPrintable(folder.path("twin"))) == 0);
        QVERIFY(!row.startsWith("mode") || chmod(file, row.mid(5).toUInt(nullptr, 8)) == 0);
        if (row.startsWith("another owner") &&
            (chown(file, 1234, 5678) != 0 || setxattr(file, "user.x", "kept", 4, 0) != 0))
            QSKIP("needs root and a file system with user attributes");

        MainModule m;
        QVERIFY(m.ReadSpells(open));
        m.SpellBytes(3, 2) = 0x5A;
        m.SpellNames[7] = "\x91\x92";

        // What another program does meanwhile; theirs: the image as the save finds it.
        QByteArray theirs = readWhole(image);
        theirs[SpellTableOffset + 9 * RecordSize] = theirs[5] = 0x42;
        QVERIFY(!row.startsWith("their") || writeWhole(image, theirs));
        QVERIFY(!row.startsWith("renamed") ||
                (writeWhole(image + "~", theirs) && rename(qPrintable(image + "~"), file) == 0));
        QVERIFY(row != "deleted" || QFile::remove(image));
        QVERIFY(row != "truncated" || QFile::resize(image, 1000));
        if (row == "written during the copy")
            m.hooks.writeChunk = [&](qint64 at) { return at == 0 || writeWhole(image, theirs); };
        else
            theirs = readWhole(image);
        m.hooks.flush = [&] { return row != "flush fails"; };
        m.hooks.createTemporary = [&] { return !row.startsWith("folder") || (errno = EROFS, false); };
        if (row.endsWith("write fails"))
            m.hooks.writeChunk = [](qint64 at) { return at != SpellTableOffset; };
        struct stat was = {}, now = {};
        stat(file, &was);

        QCOMPARE(m.ChangedOnDisk(), row.startsWith("their") || row.startsWith("renamed"));
        QString why;
        QCOMPARE(m.WriteSpells(m.ImagePath(), &why, row.endsWith("replaced")), reason.isEmpty());
        QCOMPARE(why, reason);
        if (why.isEmpty()) { // all of the store's tables, the rest as the save found it
            theirs[SpellTableOffset + 3 * RecordSize + 1] = 0x5A;
            theirs[SpellTableOffset + 9 * RecordSize] = 0x18;
            theirs.replace(NameTableOffset + 7 * NameRecordSize, 4, "\x91\x92\xFF\xFF");
        }
        QCOMPARE(readWhole(image), theirs);
        QVERIFY(!row.startsWith("hard link") || readWhole(folder.path("twin")) == theirs);
        QCOMPARE(readWhole(folder.path("top/x.nes")), plainImage(4));
        // No copy left behind, beside the image or in the cache.
        QCOMPARE(QDir(folder.path("else")).entryList(QDir::Files | QDir::Hidden).size(),
                 int(row != "deleted"));
        QVERIFY(QDir(cache).isEmpty(QDir::Files | QDir::Hidden));
        QCOMPARE(stat(file, &now) == 0, row != "deleted");
        QVERIFY(now.st_mode == was.st_mode && now.st_uid == was.st_uid && now.st_gid == was.st_gid);
        const bool inPlace = row.startsWith("hard link") || row.startsWith("folder");
        QVERIFY(!inPlace || now.st_ino == was.st_ino);
        QVERIFY(!row.startsWith("another") || getxattr(file, "user.x", nullptr, 0) == 4);
    }
};

QTEST_GUILESS_MAIN(TestSafeSave)
#include "test_safe_save.moc"
