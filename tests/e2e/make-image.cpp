// corvantis-e2e-image PATH: writes the image the end-to-end tests work on.
//
// Every slot holds a valid record in the number case and the name "AAAA"
// with its terminator, so that a save without edits changes nothing; slot 4
// ("FIRE") gets bytes of its own that the tests look for.

#include "support/ImageFixture.h"

#include <cstdio>

int main(int argc, char *argv[]) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: corvantis-e2e-image PATH\n");
        return 2;
    }
    QByteArray image = corvantis::test::plainImage(7);
    // First Byte 18, byte 2 = 7, No Elemental, One Enemy, Damage, Bar of
    // Light, Gray.
    corvantis::test::setRecord(image, 4, {0x18, 7, 0, 2, 1, 176, 32});
    corvantis::test::setName(image, 4, QByteArray("\x8F\x92\x9B\x8E", 4)); // FIRE
    if (!corvantis::test::writeWhole(QString::fromLocal8Bit(argv[1]), image)) {
        std::fprintf(stderr, "corvantis-e2e-image: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
