#pragma once

#include <QCoreApplication>
#include <QKeyEvent>
#include <QValidator>

#include <functional>

namespace corvantis {

// Lets into a line edit only the characters that keep passes, whatever
// brings them (a key, a paste, an input method): anything else is dropped
// before the box changes. Given the line edit as parent, it also keeps out
// the characters of key chords (see IsCommandChord).
class CharacterFilter : public QValidator {
  public:
    CharacterFilter(std::function<bool(char16_t)> keep, QObject *parent)
        : QValidator(parent), keep_(std::move(keep)) {
        if (parent)
            parent->installEventFilter(this);
    }

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

    // A key held with Alt (AltGr too where it works as Alt), Ctrl or Super
    // is a command, never a character. Ctrl and Alt together are AltGr where
    // it has no key of its own (Windows), and AltGr as the third-level key
    // comes as a group switch: those still type.
    static bool IsCommandChord(const QKeyEvent &key) {
        const Qt::KeyboardModifiers m = key.modifiers();
        const bool ctrl = m & Qt::ControlModifier, alt = m & Qt::AltModifier;
        return (m & Qt::MetaModifier) || ctrl != alt;
    }

  protected:
    bool eventFilter(QObject *watched, QEvent *event) override {
        if (event->type() != QEvent::KeyPress || resending_)
            return QValidator::eventFilter(watched, event);
        const auto *key = static_cast<QKeyEvent *>(event);
        if (key->text().isEmpty() || !key->text().at(0).isPrint() || !IsCommandChord(*key))
            return QValidator::eventFilter(watched, event);
        // The box still gets the key for its own commands (Ctrl+C and the
        // like), but without the character it would type.
        QKeyEvent bare(key->type(), key->key(), key->modifiers(), key->nativeScanCode(),
                       key->nativeVirtualKey(), key->nativeModifiers(), QString(),
                       key->isAutoRepeat(), key->count());
        resending_ = true;
        QCoreApplication::sendEvent(watched, &bare);
        resending_ = false;
        event->setAccepted(bare.isAccepted());
        return true;
    }

  private:
    std::function<bool(char16_t)> keep_;
    bool resending_ = false;
};

} // namespace corvantis
