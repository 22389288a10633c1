#pragma once
// What Tibbo says by itself, in the speech bubble: a short note (reading aloud stopped,
// and why) that goes again after a while or at a click. When the bubble was closed it
// opens for the note and closes with it; a menu that opens takes the bubble over.

#include <QTimer>
#include <QWidget>

namespace tibbo::window {

class CaptionLabel;
class Mascot;

class MascotNote : public QWidget
{
    Q_OBJECT
  public:
    // `menu` is the menu panel that shares the bubble.
    MascotNote(Mascot &mascot, QWidget &menu, QWidget *window);

    void say(const QString &text);
    QString text() const;
    // The note goes; the bubble closes when the note opened it.
    void dismiss();

  protected:
    void mousePressEvent(QMouseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

  private:
    Mascot &m_mascot;
    QWidget &m_menu;
    CaptionLabel *m_text = nullptr;
    QTimer m_timer;
    bool m_openedBubble = false;
};

} // namespace tibbo::window
