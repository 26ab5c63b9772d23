// The JSON import on any text, applied to a synthetic image's spells: a file
// is refused whole or read whole, what it changes stays inside the two
// tables, and whatever spells it leaves, export then import gives them back.
#undef NDEBUG // the checks hold in every build
#include "exchange/SpellExport.h"
#include "exchange/SpellImport.h"
#include "support/ImageFixture.h"

#include <cassert>
#include <cstdint>
#include <cstring>
#include <utility>

using namespace corvantis;

namespace {

const QByteArray &image() {
    static const QByteArray bytes = test::randomImage(MinimumImageSize + 64, 9);
    return bytes;
}

bool same(const QByteArray &a, const QByteArray &b, qint64 from, qint64 to) {
    return std::memcmp(a.constData() + from, b.constData() + from, size_t(to - from)) == 0;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    const QByteArray json(reinterpret_cast<const char *>(data), qsizetype(size));
    MainModule store = test::storeOf(image());
    const SpellImport in = ParseSpellsJson(json, QStringLiteral("f.json"));
    assert(in.ok() || in.changes.empty());
    for (const SpellChange &change : in.changes) {
        assert(change.slot >= 0 && change.slot < SlotCount);
        assert(!change.name || change.name->size() == NameLength);
        ApplyChange(store, change);
    }

    // A refused file leaves the image's own spells, checked once.
    static bool checkedOnce = false;
    if (in.changes.empty() && std::exchange(checkedOnce, true))
        return 0;

    // Written into the image, the spells change no byte outside the tables,
    // nor the eighth byte of a record.
    const QByteArray written = test::asSaved(image(), store);
    assert(written.size() == image().size());
    assert(same(written, image(), 0, NameTableOffset));
    assert(same(written, image(), NameTableOffset + NameTableSize, SpellTableOffset));
    assert(same(written, image(), SpellTableOffset + SpellTableSize, written.size()));
    for (int slot = 0; slot < SlotCount; ++slot) {
        const qint64 last = SpellTableOffset + qint64(slot) * RecordSize + RecordSize - 1;
        assert(written[last] == image()[last]);
    }

    // Export then import into an empty store gives the same spells back.
    const QByteArray exported = ExportJson(store);
    const SpellImport back = ParseSpellsJson(exported, QStringLiteral("e.json"));
    assert(back.ok() && back.changes.size() == size_t(SlotCount));
    MainModule again;
    for (const SpellChange &change : back.changes)
        ApplyChange(again, change);
    assert(test::asSaved(image(), again) == written);
    return 0;
}
