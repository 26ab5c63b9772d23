#include "fields/FieldLists.h"

#include <initializer_list>

namespace corvantis {

namespace {

// Spelled out here rather than taken from InvalidValueText so that building
// the lists never depends on the order in which globals are initialised.
const char *const kInvalid = "Invalid Value";

QStringList MakeList(std::initializer_list<const char *> items) {
    QStringList list;
    list.reserve(int(items.size()));
    for (const char *item : items)
        list.append(QString::fromLatin1(item));
    return list;
}

const QStringList &EmptyList() {
    static const QStringList empty;
    return empty;
}

} // namespace

const QString InvalidValueText = QStringLiteral("Invalid Value");

const QStringList &SlotLabels() {
    static const QStringList labels = MakeList({
        "CURE", "HARM", "FOG",  "RUSE", "FIRE", "SLEP", "LOCK", "LIT",  //
        "LAMP", "MUTE", "ALIT", "INVS", "ICE",  "DARK", "TMPR", "SLOW", //
        "CUR2", "HRM2", "AFIR", "HEAL", "FIR2", "HOLD", "LIT2", "LOK2", //
        "PURE", "FEAR", "AICE", "AMUT", "SLP2", "FAST", "CONF", "ICE2", //
        "CUR3", "LIFE", "HRM3", "HEL2", "FIR3", "BANE", "WARP", "SLO2", //
        "SOFT", "EXIT", "FOG2", "INV2", "LIT3", "RUB",  "QAKE", "STUN", //
        "CUR4", "HRM4", "ARUB", "HEL3", "ICE3", "BRAK", "SABR", "BLND", //
        "LIF2", "FADE", "WALL", "XFER", "NUKE", "STOP", "ZAP!", "XXXX", //
    });
    return labels;
}

const QStringList &FieldItems(int byteNumber) {
    static const QStringList byte1 = MakeList({
        "00 White",
        "18 Damaging",
        "20 ZAP!",
        "28 BANE, QUAK",
        "30 HEL3, STOP",
        "40 Negative Effect",
        "6B High-Level",
        "FF Non-combat",
    });
    static const QStringList byte3 = MakeList({
        "No Elemental",
        "Magic Effect",
        "Instant Death",
        "STOP, ZAP!",
        "RUB, XXXX",
        "Fire",
        "Ice",
        "Lightning",
        "Earth",
        kInvalid,
    });
    static const QStringList byte4 = MakeList({
        "All Enemies",
        "One Enemy",
        "Self",
        "All Allies",
        "One Ally",
        kInvalid,
    });
    static const QStringList byte5 = MakeList({
        "Non-combat only",
        "Damage",
        "Damage only Undead",
        "Negative Effect",
        "Speed (Hits) Down",
        "Instill Fear",
        "Increase HP",
        "Positive Effect",
        "Increase Armor",
        "Elemental Resist",
        "Speed (Hits) Up",
        "Increase Attack",
        "Decrease Agility",
        "Maximum HP",
        "Increase Agility",
        "Nullify Resist",
        "Stronger Negatives",
        kInvalid,
    });
    static const QStringList byte6 = MakeList({
        "No Sprite",
        "Bar of Light",
        "Four Sparkles",
        "Stars",
        "Beam of Energy",
        "Flaring Energy",
        "Glowing Ball",
        "Large Sparkle",
        "Sparkling Hand",
        kInvalid,
    });
    static const QStringList byte7 = MakeList({
        "No Palette",
        "Gray",
        "Light Blue",
        "Aqua",
        "Blue Purple",
        "White",
        "Deep Red",
        "Red",
        "More Red",
        "Yellow",
        "Light Green",
        "Dark Green",
        "Blue Green",
        "Whitish",
        kInvalid,
    });

    switch (byteNumber) {
    case 1:
        return byte1;
    case 3:
        return byte3;
    case 4:
        return byte4;
    case 5:
        return byte5;
    case 6:
        return byte6;
    case 7:
        return byte7;
    default:
        return EmptyList();
    }
}

bool IsEffectivenessList(int effectIndex) {
    return effectIndex == EffectNegative || effectIndex == EffectPositive ||
           effectIndex == EffectResist || effectIndex == EffectStrongerNegatives;
}

const QStringList &EffectivenessItems(int effectIndex) {
    static const QStringList negative = MakeList({
        "Kill",
        "Break",
        "Poison",
        "Dark",
        "Hold",
        "Sleep",
        "Mute",
        "Confuse",
        kInvalid,
    });
    static const QStringList positive = MakeList({
        "Cure Poison",
        "Cure Blind",
        "Cure Hold",
        "Cure Sleep",
        "Cure Mute",
        kInvalid,
    });
    static const QStringList resist = MakeList({
        "Resist Fire",
        "Resist Ice",
        "Resist Lightning",
        "Resist RUB",
        "Resist All",
        kInvalid,
    });
    static const QStringList stronger = MakeList({
        "Kill",
        "Blind",
        "Stun",
        kInvalid,
    });

    switch (effectIndex) {
    case EffectNegative:
        return negative;
    case EffectPositive:
        return positive;
    case EffectResist:
        return resist;
    case EffectStrongerNegatives:
        return stronger;
    default:
        return EmptyList();
    }
}

QString FieldCaption(int byteNumber) {
    switch (byteNumber) {
    case 1:
        return QStringLiteral("First Byte");
    case 2:
        return QStringLiteral("Effectiveness");
    case 3:
        return QStringLiteral("Elemental");
    case 4:
        return QStringLiteral("Targetting");
    case 5:
        return QStringLiteral("Effect");
    case 6:
        return QStringLiteral("Appearance");
    case 7:
        return QStringLiteral("Color Palette");
    default:
        return QString();
    }
}

} // namespace corvantis
