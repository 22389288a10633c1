#pragma once
// Tibbo, the mascot in the window's bottom-right corner, with the speech bubble and its
// tail. Small while the pages are read, large with the bubble open over a panel. The
// mascot is also the handle that moves the window: it reports presses and drags in
// twips relative to itself, and the window chrome moves the window.

#include <QPointF>
#include <QRect>
#include <QWidget>

namespace tibbo::window {

class Bubble;
class Picture;

class Mascot : public QObject
{
    Q_OBJECT
  public:
    // The mascot, the bubble and the tail are children of `window`.
    explicit Mascot(QWidget *window);

    // Opens the bubble with the large mascot, or closes it back to the small one.
    void setBubbleOpen(bool open);
    // Places everything for the window's current size.
    void place();
    // Where the panels that open in the bubble go, in window coordinates.
    QRect bubbleGeometry() const;
    void setBubbleColour(const QColor &colour);
    // Brings the mascot and its bubble above the pages.
    void raise();

  signals:
    void pressed(Qt::MouseButton button, QPointF twips);
    void dragged(Qt::MouseButtons buttons, QPointF twips);
    void released(Qt::MouseButton button, QPointF twips);

  private:
    QWidget *m_window;
    Picture *m_mascot = nullptr;
    Bubble *m_bubble = nullptr;
    Picture *m_tail = nullptr;
    bool m_open = false;
};

} // namespace tibbo::window
