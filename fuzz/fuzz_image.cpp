// Loading and saving an image in a temporary folder, with any file name, size,
// content and edits, by rename or (hard link) in place: the file ends byte for
// byte as the image built here by a plain loop at the tables' offsets; its
// mode, links and folder stay as they were. Input: options (bit 0 a hard link,
// bits 1-3 the mode), the name's length and bytes, the extra size's high byte,
// the number of edits, its low byte, the edits (slot, what, value), then the
// bytes the image is filled with.
#undef NDEBUG // the checks hold in every build
#include "data/FileNames.h"
#include "data/MainModule.h"
#include "support/ImageFixture.h"

#include <QCoreApplication>

#include <array>
#include <cassert>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include <sys/stat.h>
#include <unistd.h>

using namespace corvantis;

namespace {

std::string folder;

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
    // In memory where there is such a folder: flushes to a disk are slow.
    char shm[] = "/dev/shm/fuzz_image.XXXXXX", temp[] = "/tmp/fuzz_image.XXXXXX";
    const char *made = mkdtemp(shm);
    folder = made ? made : mkdtemp(temp);
    std::atexit([] { std::filesystem::remove_all(folder); });
    setenv("XDG_CACHE_HOME", (folder + "/cache").c_str(), 1);
    QCoreApplication::setApplicationName("fuzz_image");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    std::size_t at = 0;
    const auto next = [&] { return at < size ? data[at++] : 0; };
    const int options = next();
    const mode_t mode =
        std::array<mode_t, 8>{0644, 0600, 0444, 04755, 0664, 02750, 0640, 0666}[(options >> 1) % 8];
    const bool hardLink = options & 1, readOnly = (mode & 0222) == 0;
    std::string name;
    for (int n = next() % 12 + 1; n > 0; --n) {
        const char c = char(next());
        name += c == '/' || c == '\0' ? 'x' : c;
    }
    if (name == "." || name == ".." || name == "twin" || name == "cache")
        name += 'n';
    const std::size_t extra = next() << 8, edits = next();
    QByteArray image(qsizetype(MinimumImageSize + extra + next()), '\0');
    // The image: what follows the edits, repeated (zeros when nothing does).
    const std::size_t fill = at + 3 * edits;
    for (qsizetype i = 0; fill < size && i < image.size(); ++i)
        image[i] = char(data[fill + std::size_t(i) % (size - fill)]);
    const std::string path = folder + "/" + name, twin = folder + "/twin";
    std::ofstream(path, std::ios::binary).write(image.data(), std::streamsize(image.size()));
    assert(chmod(path.c_str(), mode) == 0 && (!hardLink || link(path.c_str(), twin.c_str()) == 0));
    struct stat was, now;
    assert(stat(path.c_str(), &was) == 0);

    MainModule m;
    QString why, warning;
    assert(m.ReadSpells(DecodeFileName(QByteArray::fromStdString(path)), &why));
    for (std::size_t e = 0; e < edits; ++e) {
        const int slot = next() % 64, what = next() % 9, value = next();
        if (what < 7)
            m.SpellBytes(slot, what + 1) = quint8(value);
        else
            m.SpellNames[std::size_t(slot)] = QByteArray(value % 5, char(value));
    }
    QByteArray expected = image;
    for (int slot = 0; slot < 64; ++slot) {
        for (int n = 1; n <= 7; ++n)
            expected[0x301F0 + 8 * slot + n - 1] = char(m.SpellBytes(slot, n));
        const QByteArray &text = m.SpellNames[std::size_t(slot)];
        for (int i = 0; i < 5; ++i)
            expected[0x2BE13 + 5 * slot + i] = i < text.size() ? text[i] : i < 4 ? '\xFF' : '\0';
    }

    assert(m.WriteSpells(m.ImagePath(), &why, false, &warning) == !readOnly);
    assert(readOnly ? why == "The file is read-only." : why.isEmpty() && warning.isEmpty());
    assert(test::contents(path.c_str()) == (readOnly ? image : expected));
    assert(!hardLink || test::contents(twin.c_str()) == test::contents(path.c_str()));
    assert(stat(path.c_str(), &now) == 0 && now.st_mode == was.st_mode);
    assert(!hardLink || (now.st_ino == was.st_ino && now.st_nlink == 2));
    // Nothing else left, beside the image or in the cache.
    std::size_t files = 0;
    for (const auto &entry : std::filesystem::recursive_directory_iterator(folder))
        files += entry.is_regular_file();
    assert(files == 1u + hardLink);
    std::filesystem::remove(path);
    std::filesystem::remove(twin);
    return 0;
}
