#pragma once
// Turns SIGTERM, SIGINT and SIGHUP (a shutdown, a logout, a kill) into the reader's
// own exit, so the settings file with the reader's place is written on those ways
// out too.

#include <QObject>

class QSocketNotifier;

namespace tibbo::window {

class SignalExit : public QObject
{
    Q_OBJECT
  public:
    explicit SignalExit(QObject *parent = nullptr);

    // Catches the signals from now on, before there is an event loop or a window: a
    // signal caught this early is answered as soon as a SignalExit is made and the event
    // loop runs, so a logout during start-up still ends with the reader's place saved.
    static void catchSignals();

  signals:
    void exitRequested();

  private:
    QSocketNotifier *m_notifier = nullptr;
};

} // namespace tibbo::window
