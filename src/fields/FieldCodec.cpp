#include "fields/FieldCodec.h"

#include "fields/FieldLists.h"

#include <cstddef>

namespace corvantis {

namespace {

// The value each valid item stands for, in list order. Item k (one past the
// end) is "Invalid Value", which stands for nothing.
constexpr quint8 kFirstByte[] = {0x00, 0x18, 0x20, 0x28, 0x30, 0x40, 0x6B, 0xFF};
constexpr quint8 kElemental[] = {0, 1, 2, 4, 8, 16, 32, 64, 128};
constexpr quint8 kTargetting[] = {1, 2, 4, 8, 16};
// The game has no effect 6 or 11.
constexpr quint8 kEffect[] = {0, 1, 2, 3, 4, 5, 7, 8, 9, 10, 12, 13, 14, 15, 16, 17, 18};
constexpr quint8 kAppearance[] = {0, 0xB0, 0xB8, 0xC0, 0xC8, 0xD0, 0xD8, 0xE0, 0xE8};
constexpr quint8 kPalette[] = {0,    0x20, 0x21, 0x22, 0x23, 0x24, 0x25,
                               0x26, 0x27, 0x28, 0x29, 0x2A, 0x2B, 0x2C};
constexpr quint8 kNegative[] = {1, 2, 4, 8, 16, 32, 64, 128};
constexpr quint8 kPositive[] = {4, 8, 16, 32, 64};
constexpr quint8 kResist[] = {16, 32, 64, 137, 255};
constexpr quint8 kStronger[] = {1, 8, 16};

struct FieldRule {
    const quint8 *values = nullptr;
    int count = 0; // 0: the field is not a list (byte 2 as a number, or no such byte)
};

template <std::size_t N> constexpr FieldRule Rule(const quint8 (&values)[N]) {
    return {values, int(N)};
}

FieldRule RuleFor(int byteNumber, int effectIndex) {
    switch (byteNumber) {
    case 1:
        return Rule(kFirstByte);
    case 2:
        switch (effectIndex) {
        case EffectNegative:
            return Rule(kNegative);
        case EffectPositive:
            return Rule(kPositive);
        case EffectResist:
            return Rule(kResist);
        case EffectStrongerNegatives:
            return Rule(kStronger);
        default:
            return {};
        }
    case 3:
        return Rule(kElemental);
    case 4:
        return Rule(kTargetting);
    case 5:
        return Rule(kEffect);
    case 6:
        return Rule(kAppearance);
    case 7:
        return Rule(kPalette);
    default:
        return {};
    }
}

int IndexOf(const FieldRule &rule, quint8 value) {
    for (int i = 0; i < rule.count; ++i) {
        if (rule.values[i] == value)
            return i;
    }
    return -1;
}

bool IsNumberCase(int byteNumber, int effectIndex) {
    return byteNumber == 2 && !IsEffectivenessList(effectIndex);
}

} // namespace

DecodedField DecodeField(int byteNumber, quint8 value, int effectIndex) {
    DecodedField shown;
    if (IsNumberCase(byteNumber, effectIndex)) {
        shown.text = QString::number(value);
        return shown;
    }
    const FieldRule rule = RuleFor(byteNumber, effectIndex);
    if (rule.count == 0)
        return shown;
    shown.index = IndexOf(rule, value);
    if (shown.index < 0) {
        // Byte 1 has no "Invalid Value" item: its editable box shows the value.
        if (byteNumber == 1)
            shown.text = QString::number(value, 16).toUpper();
        else
            shown.index = rule.count;
    }
    return shown;
}

std::optional<quint8> EncodeField(int byteNumber, int index, int effectIndex) {
    const FieldRule rule = RuleFor(byteNumber, effectIndex);
    if (index < 0 || index >= rule.count)
        return std::nullopt;
    return rule.values[index];
}

std::optional<quint8> EncodeField(int byteNumber, const QString &text, int effectIndex) {
    if (byteNumber == 1)
        return ReadFirstByte(text);
    if (IsNumberCase(byteNumber, effectIndex))
        return ReadNumber(text);
    return std::nullopt;
}

bool IsValidValue(int byteNumber, quint8 value, int effectIndex) {
    if (IsNumberCase(byteNumber, effectIndex))
        return true;
    return IndexOf(RuleFor(byteNumber, effectIndex), value) >= 0;
}

int InvalidIndex(int byteNumber, int effectIndex) {
    if (byteNumber == 1)
        return -1;
    const FieldRule rule = RuleFor(byteNumber, effectIndex);
    return rule.count > 0 ? rule.count : -1;
}

} // namespace corvantis
