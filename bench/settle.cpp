// Ends a Qt program at a settled point after its first frame, for counting
// its instructions under callgrind: the first paint of a window has reached
// the window system, and every event posted until then has been handled,
// with every event those post in turn and all the window system has sent back
// for them, until nothing is left to do. So work a program puts off until
// just after its first frame (a zero timer) is always counted, never
// sometimes, as a probe that ends the program from outside when the frame
// shows would leave it to timing.
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
  protected:
    bool eventFilter(QObject *watched, QEvent *event) override {
        // The first paint of a window; its frame is put on the screen before
        // the event loop comes back to the queued call.
        if (!painted_ && event->type() == QEvent::Paint && watched->isWidgetType() &&
            static_cast<QWidget *>(watched)->isWindow()) {
            painted_ = true;
            QMetaObject::invokeMethod(this, &Settler::settle, Qt::QueuedConnection);
        }
        return false;
    }

  private:
    void settle() {
        QAbstractEventDispatcher *dispatcher = QAbstractEventDispatcher::instance();
        int passes = 0;
        do {
            QGuiApplication::sync(); // a round trip: the window system's answers are in
            ++passes;
        } while (dispatcher->processEvents(QEventLoop::AllEvents) && passes < 1000);
        _exit(0);
    }

    bool painted_ = false;
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
