#pragma once
// Keeps the screen from blanking while the reader reads by itself (reading aloud,
// automatic turning): asks the desktop's screen saver over the session bus
// (org.freedesktop.ScreenSaver.Inhibit, or the desktop portal's Inhibit where that is
// missing) and takes the request back when the last reason goes, and on exit. Calls never
// wait for an answer, but for the way out; a desktop without either service simply blanks
// as it likes.

#include <QDBusObjectPath>
#include <QDBusPendingCall>
#include <QObject>

#include <optional>
#include <set>

namespace tibbo::window {

class ScreenSaverInhibitor : public QObject
{
    Q_OBJECT
  public:
    enum class Reason { ReadingAloud, AutoTurning };

    explicit ScreenSaverInhibitor(QObject *parent = nullptr);
    // Releases what it holds (on exit, also an exit by a signal).
    ~ScreenSaverInhibitor() override;

    // Holds the screen on for `reason` until it is released.
    void hold(Reason reason);
    void release(Reason reason);
    void set(Reason reason, bool on) { on ? hold(reason) : release(reason); }
    // Whether any reason holds the screen on.
    bool holding() const { return !m_reasons.empty(); }
    // Releases every reason at once.
    void releaseAll();

  signals:
    // The desktop granted the inhibition, or took it back (for tests and diagnostics).
    void inhibitedChanged(bool inhibited);

  private:
    void inhibit();
    void uninhibit();
    void inhibitByPortal();

    std::set<Reason> m_reasons;
    // What the desktop gave for the request: a cookie of the screen saver or a request
    // handle of the portal; none while no request is granted.
    uint m_cookie = 0;
    QDBusObjectPath m_portalRequest;
    // A request is on its way: its answer decides whether it is kept or given back.
    bool m_pending = false;
    // The screen saver's answer on its way, which the way out waits for.
    std::optional<QDBusPendingCall> m_inhibitAnswer;
};

} // namespace tibbo::window
