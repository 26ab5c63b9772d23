#pragma once

#include <QValidator>

#include <functional>

namespace corvantis {

// Lets into a line edit only the characters that keep passes, whatever
// brings them (a key with any modifier held, a paste, an input method):
// anything else is dropped before the box changes.
class CharacterFilter : public QValidator {
  public:
    CharacterFilter(std::function<bool(char16_t)> keep, QObject *parent)
        : QValidator(parent), keep_(std::move(keep)) {}

    State validate(QString &input, int &pos) const override {
        QString kept;
        kept.reserve(input.size());
        int keptPos = 0;
        for (qsizetype i = 0; i < input.size(); ++i) {
            if (!keep_(input[i].unicode()))
                continue;
            kept.append(input[i]);
            keptPos += i < pos;
        }
        input = kept;
        pos = keptPos;
        return Acceptable;
    }

  private:
    std::function<bool(char16_t)> keep_;
};

} // namespace corvantis
