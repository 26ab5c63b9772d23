// Ends a Qt program at a settled point, for counting its instructions under
// callgrind, so that the count does not depend on timing. Two points, chosen
// by CORVANTIS_SETTLE:
//   frame (the default): the first paint of a window has reached the window
//     system, and every event posted before that paint has been handled
//     (they come before this library's call in the queue). What the program
//     posts from its first paint on (a zero timer) is not counted, never
//     sometimes.
//   idle: from the first paint on, the program runs until its event loop has
//     nothing left and is about to wait, with a round trip to the window
//     system for its answers: all the work of starting, that put off until
//     after the first frame included.
//
// scripts/bench loads it into the program with LD_PRELOAD. Qt calls the
// startup hook of its hook table (the one GammaRay uses) when the
// application object is made; the library's constructor puts itself there.
// The program exits with status 0 at the settled point, without running its
// exit handlers.

#include <QAbstractEventDispatcher>
#include <QEvent>
#include <QGuiApplication>
#include <QWidget>

#include <unistd.h>

// Qt's hook table (QtCore/private/qhooks_p.h).
extern quintptr Q_CORE_EXPORT qtHookData[];

namespace {

constexpr int StartupHook = 5; // QHooks::Startup
using StartupCallback = void (*)();
StartupCallback nextStartup = nullptr;

class Settler : public QObject {
  public:
    Settler() : untilIdle_(qgetenv("CORVANTIS_SETTLE") == "idle") {}

  protected:
    bool eventFilter(QObject *watched, QEvent *event) override {
        if (painted_) {
            if (watched != this)
                ++handled_;
        } else if (event->type() == QEvent::Paint && watched->isWidgetType() &&
                   static_cast<QWidget *>(watched)->isWindow()) {
            // The first paint of a window; its frame is on the screen once
            // the paint returns.
            painted_ = true;
            if (untilIdle_)
                connect(QAbstractEventDispatcher::instance(),
                        &QAbstractEventDispatcher::aboutToBlock, this, &Settler::idle);
            else
                QMetaObject::invokeMethod(this, &Settler::frameShown, Qt::QueuedConnection);
        }
        return false;
    }

  private:
    void frameShown() {
        QGuiApplication::sync(); // the window system has the frame
        _exit(0);
    }

    // The loop is about to wait. Settled when nothing but our own wake-up
    // was handled since the last round trip to the window system; otherwise
    // make one (its answers, if any, come in as events) and look again. This
    // runs from the top of the loop, never inside an event, so that all that
    // was posted (a zero timer included) has been handled.
    void idle() {
        if (probed_ && handled_ == 0)
            _exit(0);
        probed_ = true;
        handled_ = 0;
        QGuiApplication::sync();
        QMetaObject::invokeMethod(
            this, [] {}, Qt::QueuedConnection); // wakes the loop
    }

    const bool untilIdle_;
    bool painted_ = false;
    bool probed_ = false;
    int handled_ = 0;
};

void startup() {
    if (qobject_cast<QGuiApplication *>(QCoreApplication::instance()))
        QCoreApplication::instance()->installEventFilter(new Settler);
    if (nextStartup)
        nextStartup();
}

__attribute__((constructor)) void installHook() {
    nextStartup = reinterpret_cast<StartupCallback>(qtHookData[StartupHook]);
    qtHookData[StartupHook] = reinterpret_cast<quintptr>(&startup);
}

} // namespace
