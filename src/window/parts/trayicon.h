#pragma once
// The reader's icon in the notification area: it flashes between its two pictures,
// brings the window back on a click and asks for the tray menu on a right click.

#include <QSystemTrayIcon>
#include <QTimer>

namespace tibbo::window {

class TrayIcon : public QSystemTrayIcon
{
    Q_OBJECT
  public:
    explicit TrayIcon(QObject *parent);

  signals:
    void showRequested();
    void menuRequested();

  private:
    QTimer m_flashTimer;
    bool m_flashOn = false;
};

} // namespace tibbo::window
