// corvantis-make-demo PATH: writes the synthetic demo image to PATH.

#include "tools/DemoImage.h"

#include <QString>

#include <cstdio>

int main(int argc, char *argv[]) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: corvantis-make-demo PATH\n"
                             "Writes a synthetic Corvantis image for trying the editor.\n");
        return 2;
    }
    const QString path = QString::fromLocal8Bit(argv[1]);
    QString error;
    if (!corvantis::WriteDemoImage(path, &error)) {
        std::fprintf(stderr, "corvantis-make-demo: cannot write %s: %s\n", argv[1],
                     qPrintable(error));
        return 1;
    }
    return 0;
}
