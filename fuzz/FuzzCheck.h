#pragma once

#include <QString>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

// A broken property stops the fuzzer, which then keeps the input that broke it.
#define FUZZ_CHECK(condition)                                                                      \
    do {                                                                                           \
        if (!(condition)) {                                                                        \
            std::fprintf(stderr, "%s:%d: property broken: %s\n", __FILE__, __LINE__, #condition);  \
            std::abort();                                                                          \
        }                                                                                          \
    } while (false)

// A text reader's input: the first byte steers the checks, the rest is the
// text (as UTF-8). cut is a position in the text chosen by the first byte.
struct FuzzText {
    std::uint8_t control;
    QString text;
    qsizetype cut;
};

inline FuzzText SplitFuzzInput(const std::uint8_t *data, std::size_t size) {
    FuzzText in{data[0],
                QString::fromUtf8(reinterpret_cast<const char *>(data) + 1, qsizetype(size - 1)),
                0};
    in.cut = in.control % (in.text.size() + 1);
    return in;
}
