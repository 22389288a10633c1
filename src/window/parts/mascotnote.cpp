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
    m_yes = new PanelButton(QString(), this);
    m_yes->setObjectName(QStringLiteral("mascotNoteYes"));
    m_yes->setGeometry(76, 124, 60, 22);
    m_no = new PanelButton(QString(), this);
    m_no->setObjectName(QStringLiteral("mascotNoteNo"));
    m_no->setGeometry(144, 124, 60, 22);
    connect(m_yes, &QPushButton::clicked, this, [this] { answer(true); });
    connect(m_no, &QPushButton::clicked, this, [this] { answer(false); });
    mascot.addBubblePanel(this, Mascot::BubblePlace::Middle);
    hide();
}

void MascotNote::say(const QString &text)
{
    m_answered = nullptr;
    m_yes->hide();
    m_no->hide();
    m_text->setGeometry(12, 32, 256, 110);
    open(text);
    m_timer.start();
}

void MascotNote::ask(const QString &text, const QString &yes, const QString &no,
                     std::function<void(bool)> answered)
{
    m_answered = std::move(answered);
    m_yes->setText(yes);
    m_no->setText(no);
    m_yes->show();
    m_no->show();
    m_text->setGeometry(12, 28, 256, 92);
    open(text);
    m_timer.stop();
}

void MascotNote::open(const QString &text)
{
    m_text->setCaption(text);
    if (!m_menu.isVisible() && !isVisible()) {
        m_mascot.setBubbleOpen(true);
        m_openedBubble = true;
    }
    m_mascot.place();
    show();
    raise();
}

void MascotNote::answer(bool yes)
{
    const auto answered = std::exchange(m_answered, nullptr);
    dismiss();
    if (answered)
        answered(yes);
}

QString MascotNote::text() const
{
    return m_text->caption();
}

void MascotNote::dismiss()
{
    m_timer.stop();
    m_answered = nullptr;
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
