#include "mascot.h"

#include "widgets.h"

namespace tibbo::window {

Mascot::Mascot(QWidget *window) : QObject(window), m_window(window)
{
    m_bubble = new Bubble(window);
    m_bubble->setObjectName(QStringLiteral("bubble"));
    m_bubble->hide();
    m_tail = new Picture(QStringLiteral(":/art/bubble-tail.svg"), window);
    m_tail->setAttribute(Qt::WA_TransparentForMouseEvents);
    m_tail->hide();
    m_mascot = new Picture(QStringLiteral(":/art/mascot-small.svg"), window);
    m_mascot->setObjectName(QStringLiteral("mascot"));
    m_mascot->resize(43, 65);
    m_mascot->setToolTip(QStringLiteral("左键拖动可以移动窗口,右键可以最小化窗口"));
    m_mascot->setCursor(Qt::SizeAllCursor);
    connect(m_mascot, &Picture::mouseDown, this, &Mascot::pressed);
    connect(m_mascot, &Picture::mouseMove, this, &Mascot::dragged);
    connect(m_mascot, &Picture::mouseUp, this, &Mascot::released);
}

void Mascot::setBubbleOpen(bool open)
{
    m_open = open;
    m_mascot->setPicture(open ? QStringLiteral(":/art/mascot-large.svg")
                              : QStringLiteral(":/art/mascot-small.svg"));
    m_bubble->setVisible(open);
    m_tail->setVisible(open);
    place();
    raise();
}

void Mascot::place()
{
    const int W = m_window->width(), H = m_window->height();
    if (m_open)
        m_mascot->setGeometry(W - 90 - 10, H - 119 - 15, 90, 119);
    else
        m_mascot->setGeometry(W - 43 + 4, H - 65 + 23, 43, 65);
    m_bubble->move(m_mascot->x() - m_bubble->width() + 25, m_mascot->y() - m_bubble->height() + 25);
    m_tail->setGeometry(m_bubble->x() + 156, m_bubble->y() + 174, 111, 34);
    const QRect bubble = m_bubble->geometry();
    for (const auto &[panel, where] : m_panels) {
        if (where == BubblePlace::TopLeft)
            panel->move(bubble.x() + 6, bubble.y() + 9);
        else
            panel->move(bubble.x() + (bubble.width() - panel->width()) / 2,
                        bubble.y() + (bubble.height() - panel->height()) / 2);
    }
}

void Mascot::addBubblePanel(QWidget *panel, BubblePlace where)
{
    m_panels.emplace_back(panel, where);
}

void Mascot::raisePanels()
{
    for (const auto &[panel, where] : m_panels)
        panel->raise();
}

void Mascot::setBubbleColour(const QColor &colour)
{
    m_bubble->setColour(colour);
}

void Mascot::raise()
{
    m_mascot->raise();
    m_bubble->raise();
    m_tail->raise();
}

} // namespace tibbo::window
