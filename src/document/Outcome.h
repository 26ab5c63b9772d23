#pragma once

#include <QString>

namespace corvantis {

// How a session's command ended. The window shows the reason under its own
// message; the command line prints it and exits 1.
struct Outcome {
    enum Status {
        Done,      // done; warning may still have something to say
        Cancelled, // a question was answered so that nothing happened
        Guarded,   // the change guard's refusal: a read-only image, a value out of range
        Refused,   // not allowed (an output that is an input, a paste that does not fit, ...)
        Failed,    // a file could not be read or written
    };
    Status status = Done;
    QString reason;  // Guarded, Refused, Failed: why
    QString warning; // Done: what the user must still hear

    bool ok() const { return status == Done; }
    static Outcome done(const QString &warning = {}) { return {Done, {}, warning}; }
    static Outcome cancelled() { return {Cancelled, {}, {}}; }
    static Outcome guarded(const QString &why) { return {Guarded, why, {}}; }
    static Outcome refused(const QString &why) { return {Refused, why, {}}; }
    static Outcome failed(const QString &why) { return {Failed, why, {}}; }
};

// The questions a command of the session may have to put before it goes on.
// The session decides when to ask and what each answer does; a face only
// puts the question: the window to the user, the command line to its
// options (and where it has none, it refuses).
enum class Question {
    // Save: another program changed the image's tables since they were read.
    // Yes replaces them with ours.
    ReplaceOutsideChanges,
    // One slot whose First Byte is FF would have its record changed. Yes/No.
    ChangeSpecialSlot,
    // Several slots, some special: Yes takes all, No all but the special
    // ones, Cancel none.
    ChangeSpecialSlots,
    // Open: the last save of this image was interrupted; detail names the
    // copy made before it. Yes puts it back, No opens the image as it is.
    RestoreInterruptedSave,
    // Create Patch: an IPS patch cannot reach this far. Yes makes a BPS one.
    PatchAsBps,
};

enum class Reply { Yes, No, Cancel };

class Asker {
  public:
    virtual ~Asker() = default;
    virtual Reply ask(Question question, const QString &detail) = 0;
};

} // namespace corvantis
