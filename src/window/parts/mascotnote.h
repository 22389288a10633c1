#pragma once
// What Tibbo says by itself, in the speech bubble: a short note (reading aloud stopped,
// and why) that goes again after a while or at a click. When the bubble was closed it
// opens for the note and closes with it; a menu that opens takes the bubble over.
// A question (an offer the reader answers once) has two buttons and stays until one is
// pressed or the note is put away.

#include <QTimer>
#include <QWidget>

#include <functional>

namespace tibbo::window {

class CaptionLabel;
class Mascot;
class PanelButton;

class MascotNote : public QWidget
{
    Q_OBJECT
  public:
    // `menu` is the menu panel that shares the bubble.
    MascotNote(Mascot &mascot, QWidget &menu, QWidget *window);

    void say(const QString &text);
    // Asks with two answers; `answered` is called with true for `yes`, false for `no`,
    // and not at all when the note goes unanswered.
    void ask(const QString &text, const QString &yes, const QString &no,
             std::function<void(bool)> answered);
    QString text() const;
    // The note goes; the bubble closes when the note opened it.
    void dismiss();

  protected:
    void mousePressEvent(QMouseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

  private:
    void open(const QString &text);
    void answer(bool yes);

    Mascot &m_mascot;
    QWidget &m_menu;
    CaptionLabel *m_text = nullptr;
    PanelButton *m_yes = nullptr;
    PanelButton *m_no = nullptr;
    std::function<void(bool)> m_answered;
    QTimer m_timer;
    bool m_openedBubble = false;
};

} // namespace tibbo::window
