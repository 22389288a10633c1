#pragma once
// Tibbo, the mascot in the window's bottom-right corner, with the speech bubble and its
// tail and the panels that open in the bubble. Small while the pages are read, large
// with the bubble open over a panel. The mascot is also the handle that moves the
// window: it reports presses and drags in pixels relative to itself, and the window
// chrome moves the window.

#include <QPointF>
#include <QRect>
#include <QWidget>

#include <utility>
#include <vector>

namespace tibbo::window {

class Bubble;
class Picture;

class Mascot : public QObject
{
    Q_OBJECT
  public:
    // The mascot, the bubble and the tail are children of `window`.
    explicit Mascot(QWidget *window);

    // Where a panel sits in the bubble: in its top-left corner, or in its middle.
    enum class BubblePlace { TopLeft, Middle };
    // A panel (a child of the window) that opens in the bubble: place() puts it there.
    void addBubblePanel(QWidget *panel, BubblePlace where);
    // Opens the bubble with the large mascot, or closes it back to the small one.
    void setBubbleOpen(bool open);
    // Whether the bubble is open (for the menu or for what Tibbo says).
    bool bubbleOpen() const { return m_open; }
    // Places everything for the window's current size, the bubble's panels included.
    void place();
    void setBubbleColour(const QColor &colour);
    // Brings the mascot and its bubble above the pages.
    void raise();
    // Brings the bubble's panels above the mascot and the bubble.
    void raisePanels();

  signals:
    void pressed(Qt::MouseButton button, QPointF at);
    void dragged(Qt::MouseButtons buttons, QPointF at);
    void released(Qt::MouseButton button, QPointF at);

  private:
    QWidget *m_window;
    Picture *m_mascot = nullptr;
    Bubble *m_bubble = nullptr;
    Picture *m_tail = nullptr;
    std::vector<std::pair<QWidget *, BubblePlace>> m_panels;
    bool m_open = false;
};

} // namespace tibbo::window
