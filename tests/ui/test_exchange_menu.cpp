#include "support/EditorHarness.h"
#include "ui/Texts.h"

#include <QAction>
#include <QTest>

using namespace corvantis;
using namespace corvantis::test;

class TestExchangeMenu : public QObject {
    Q_OBJECT
  private slots:
    // Export, then import into the unedited image: the same tables, in one
    // undo step; a special slot asks once; read-only and bad files refuse.
    void exportThenImport() {
        EditorHarness h;
        QByteArray image = plainImage();
        setRecord(image, 5, {0xFF, 0, 0, 1, 1, 176, 32});
        h.startOn(image);
        h.select(3);
        h.pick("cbByte3", "Ice");
        h.type("txtName", "Q");
        h.prompter.expect(texts::SpecialSlot, Buttons::YesNo, Icon::Warning, Answer::Yes);
        h.select(5);
        h.pick("cbByte4", "Self");
        const QString json = h.folder.path("spells"); // the filter adds .json
        h.prompter.files.push_back({json, 0});
        h.trigger("menuFileExport");
        const MainModule edited = h.window->store();

        EditorHarness g;
        g.startPicking(image, true);
        const QString bad =
            g.folder.add("bad.json", "{\"format\": \"corvantis-spells\", "
                                     "\"version\": 1, \"spells\": [{\"slot\": 64}]}");
        for (const QString &file : {json + ".json", bad})
            g.prompter.files.push_back({file, 0});
        g.prompter.expect(texts::ReadOnlyImage, Buttons::OkCancel, Icon::Warning, Answer::Ok);
        g.trigger("menuFileImport");
        g.prompter.expect(bad + ": spells[0].slot: 64 is not a slot from 0 to 63", Buttons::Ok,
                          Icon::Critical, Answer::Ok);
        g.trigger("menuFileImport");
        g.window->document().module().ReadOnlyROM = false;
        for (Answer a : {Answer::No, Answer::Yes}) {
            g.prompter.files.push_back({json + ".json", 0});
            g.prompter.expect(texts::SpecialSlot, Buttons::YesNo, Icon::Warning, a);
            g.trigger("menuFileImport");
            QCOMPARE(g.window->store().FileChanged, a == Answer::Yes);
        }
        QVERIFY(g.prompter.done());
        for (int slot = 0; slot < SlotCount; ++slot) {
            QCOMPARE(g.window->store().SpellNames[slot], edited.SpellNames[slot]);
            for (int n = 1; n <= FieldCount; ++n)
                QCOMPARE(g.window->store().SpellBytes(slot, n), edited.SpellBytes(slot, n));
        }
        QCOMPARE(g.window->findChild<QAction *>("menuEditUndo")->text(), "&Undo Import Spells");
        g.trigger("menuEditUndo");
        QVERIFY(!g.window->store().FileChanged);
    }

    // A patch from the unmodified image to the image with unsaved edits.
    void createPatch() {
        EditorHarness h;
        const QByteArray image = plainImage();
        h.startOn(image);
        const QString original = h.folder.add("original.nes", image);
        h.pick("cbByte3", "Ice");
        h.prompter.files = {{original, 0}, {h.folder.path("mod"), 1}};
        h.trigger("menuFileCreatePatch");
        const QByteArray ips = readWhole(h.folder.path("mod.ips"));
        // PATCH, one record of one byte at the Elemental of slot 0, EOF.
        QCOMPARE(ips, "PATCH" + bytes({0x03, 0x01, 0xF2, 0, 1, 0x20}) + "EOF");
        QCOMPARE(h.file(), image); // nothing saved
    }
};

QTEST_MAIN(TestExchangeMenu)
#include "test_exchange_menu.moc"
