#include "mascotnote.h"

#include "mascot.h"
#include "widgets.h"

#include <QEvent>
#include <QFont>

namespace tibbo::window {

namespace {

// Long enough to read two lines, short enough not to stand in the way.
constexpr int kNoteMilliseconds = 6000;

} // namespace

MascotNote::MascotNote(Mascot &mascot, QWidget &menu, QWidget *window)
    : QWidget(window), m_mascot(mascot), m_menu(menu)
{
    m_menu.installEventFilter(this);
    setObjectName(QStringLiteral("mascotNote"));
    setFixedSize(280, 154);
    fillAsPanel(this);
    auto *title = new CaptionLabel(QStringLiteral("Tibbo 说:"), this);
    title->setGeometry(9, 6, 200, 16);
    m_text = new CaptionLabel(QString(), this);
    m_text->setObjectName(QStringLiteral("mascotNoteText"));
    m_text->setWordWrap(true);
    m_text->setAlignment(Qt::AlignCenter);
    QFont font = m_text->font();
    if (font.pointSizeF() > 0)
        font.setPointSizeF(font.pointSizeF() * 1.3);
    else
        font.setPixelSize(font.pixelSize() * 13 / 10);
    m_text->setFont(font);
    m_text->setGeometry(12, 32, 256, 110);
    m_timer.setParent(this);
    m_timer.setObjectName(QStringLiteral("mascotNoteTimer"));
    m_timer.setSingleShot(true);
    m_timer.setInterval(kNoteMilliseconds);
    connect(&m_timer, &QTimer::timeout, this, &MascotNote::dismiss);
    mascot.addBubblePanel(this, Mascot::BubblePlace::Middle);
    hide();
}

void MascotNote::say(const QString &text)
{
    m_text->setCaption(text);
    if (!m_menu.isVisible() && !isVisible()) {
        m_mascot.setBubbleOpen(true);
        m_openedBubble = true;
    }
    m_mascot.place();
    show();
    raise();
    m_timer.start();
}

QString MascotNote::text() const
{
    return m_text->caption();
}

void MascotNote::dismiss()
{
    m_timer.stop();
    if (!isVisible())
        return;
    hide();
    if (std::exchange(m_openedBubble, false) && !m_menu.isVisible())
        m_mascot.setBubbleOpen(false);
}

bool MascotNote::eventFilter(QObject *watched, QEvent *event)
{
    // The menu opening takes the bubble: the note goes and leaves the bubble open.
    if (watched == &m_menu && event->type() == QEvent::Show && isVisible()) {
        m_openedBubble = false;
        dismiss();
    }
    return QWidget::eventFilter(watched, event);
}

void MascotNote::mousePressEvent(QMouseEvent *)
{
    dismiss();
}

} // namespace tibbo::window
