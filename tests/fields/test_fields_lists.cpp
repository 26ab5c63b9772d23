#include "fields/FieldLists.h"

#include <QSet>
#include <QTest>

using namespace corvantis;

class TestFieldsLists : public QObject {
    Q_OBJECT

  private slots:
    void slotLabels();
    void fieldListShapes_data();
    void fieldListShapes();
    void effectivenessLists_data();
    void effectivenessLists();
    void onlyFourEffectsHaveAList();
    void itemsKeepTheirSpelling_data();
    void itemsKeepTheirSpelling();
    void captions();
};

void TestFieldsLists::slotLabels() {
    const QStringList &labels = SlotLabels();
    QCOMPARE(labels.size(), 64);
    QCOMPARE(labels.at(0), QString("CURE"));
    QCOMPARE(labels.at(1), QString("HARM"));
    QCOMPARE(labels.at(45), QString("RUB"));
    QCOMPARE(labels.at(46), QString("QAKE"));
    QCOMPARE(labels.at(62), QString("ZAP!"));
    QCOMPARE(labels.at(63), QString("XXXX"));

    QStringList threeLetters;
    for (const QString &label : labels) {
        QVERIFY2(label.size() == 3 || label.size() == 4, qPrintable(label));
        if (label.size() == 3)
            threeLetters << label;
    }
    QCOMPARE(threeLetters, QStringList({"FOG", "LIT", "ICE", "RUB"}));
    QCOMPARE(QSet<QString>(labels.begin(), labels.end()).size(), 64);
}

// The item count and where "Invalid Value" sits, per record field.
void TestFieldsLists::fieldListShapes_data() {
    QTest::addColumn<int>("byteNumber");
    QTest::addColumn<int>("count");
    QTest::addColumn<bool>("endsInvalid");

    QTest::newRow("First Byte") << 1 << 8 << false;
    QTest::newRow("Elemental") << 3 << 10 << true;
    QTest::newRow("Targetting") << 4 << 6 << true;
    QTest::newRow("Effect") << 5 << 18 << true;
    QTest::newRow("Appearance") << 6 << 10 << true;
    QTest::newRow("Color Palette") << 7 << 15 << true;
    QTest::newRow("byte 2 has no constant list") << 2 << 0 << false;
    QTest::newRow("byte 0") << 0 << 0 << false;
    QTest::newRow("byte 8") << 8 << 0 << false;
    QTest::newRow("negative") << -1 << 0 << false;
}

void TestFieldsLists::fieldListShapes() {
    QFETCH(int, byteNumber);
    QFETCH(int, count);
    QFETCH(bool, endsInvalid);

    const QStringList &items = FieldItems(byteNumber);
    QCOMPARE(items.size(), count);
    QCOMPARE(items.count(InvalidValueText), endsInvalid ? 1 : 0);
    if (endsInvalid)
        QCOMPARE(items.last(), QString("Invalid Value"));
    QCOMPARE(QSet<QString>(items.begin(), items.end()).size(), count);
}

void TestFieldsLists::effectivenessLists_data() {
    QTest::addColumn<int>("effectIndex");
    QTest::addColumn<QStringList>("items");

    QTest::newRow("Negative Effect")
        << 3 << QStringList{"Kill",  "Break", "Poison",  "Dark",         "Hold",
                            "Sleep", "Mute",  "Confuse", "Invalid Value"};
    QTest::newRow("Positive Effect")
        << 7 << QStringList{"Cure Poison", "Cure Blind", "Cure Hold",
                            "Cure Sleep",  "Cure Mute",  "Invalid Value"};
    QTest::newRow("Elemental Resist")
        << 9 << QStringList{"Resist Fire", "Resist Ice", "Resist Lightning",
                            "Resist RUB",  "Resist All", "Invalid Value"};
    QTest::newRow("Stronger Negatives")
        << 16 << QStringList{"Kill", "Blind", "Stun", "Invalid Value"};
}

void TestFieldsLists::effectivenessLists() {
    QFETCH(int, effectIndex);
    QFETCH(QStringList, items);

    QVERIFY(IsEffectivenessList(effectIndex));
    QCOMPARE(EffectivenessItems(effectIndex), items);
    // The list effects are named by the Effect field's own items.
    QVERIFY(FieldItems(5).at(effectIndex) != InvalidValueText);
}

void TestFieldsLists::onlyFourEffectsHaveAList() {
    for (int e = -2; e <= 20; ++e) {
        const bool listed = e == 3 || e == 7 || e == 9 || e == 16;
        QCOMPARE(IsEffectivenessList(e), listed);
        QCOMPARE(EffectivenessItems(e).isEmpty(), !listed);
    }
}

// Items whose case, blanks or punctuation a careless copy would lose.
void TestFieldsLists::itemsKeepTheirSpelling_data() {
    QTest::addColumn<int>("byteNumber");
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("item");

    QTest::newRow("ZAP!") << 1 << 2 << "20 ZAP!";
    QTest::newRow("BANE, QUAK") << 1 << 3 << "28 BANE, QUAK";
    QTest::newRow("HEL3, STOP") << 1 << 4 << "30 HEL3, STOP";
    QTest::newRow("High-Level") << 1 << 6 << "6B High-Level";
    QTest::newRow("Non-combat") << 1 << 7 << "FF Non-combat";
    QTest::newRow("STOP, ZAP!") << 3 << 3 << "STOP, ZAP!";
    QTest::newRow("RUB, XXXX") << 3 << 4 << "RUB, XXXX";
    QTest::newRow("One Ally") << 4 << 4 << "One Ally";
    QTest::newRow("Non-combat only") << 5 << 0 << "Non-combat only";
    QTest::newRow("Speed (Hits) Down") << 5 << 4 << "Speed (Hits) Down";
    QTest::newRow("Speed (Hits) Up") << 5 << 10 << "Speed (Hits) Up";
    QTest::newRow("Stronger Negatives") << 5 << 16 << "Stronger Negatives";
    QTest::newRow("Bar of Light") << 6 << 1 << "Bar of Light";
    QTest::newRow("Whitish") << 7 << 13 << "Whitish";
}

void TestFieldsLists::itemsKeepTheirSpelling() {
    QFETCH(int, byteNumber);
    QFETCH(int, index);
    QFETCH(QString, item);
    QCOMPARE(FieldItems(byteNumber).at(index), item);
}

void TestFieldsLists::captions() {
    const QStringList expected{"First Byte", "Effectiveness", "Elemental",    "Targetting",
                               "Effect",     "Appearance",    "Color Palette"};
    for (int n = 1; n <= 7; ++n)
        QCOMPARE(FieldCaption(n), expected.at(n - 1));
    QVERIFY(FieldCaption(0).isEmpty());
    QVERIFY(FieldCaption(8).isEmpty());
}

QTEST_APPLESS_MAIN(TestFieldsLists)
#include "test_fields_lists.moc"
