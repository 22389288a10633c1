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

  signals:
    void exitRequested();

  private:
    QSocketNotifier *m_notifier = nullptr;
};

} // namespace tibbo::window
