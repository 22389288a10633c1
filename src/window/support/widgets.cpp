#include "widgets.h"

#include <QFontDatabase>
#include <QFontMetricsF>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QPainterPath>
#include <QSvgRenderer>
#include <QtMath>

#include <algorithm>

namespace tibbo::window {

namespace {

const QColor kNavy(0, 0, 128);

} // namespace

namespace {

// The colour of the bubble's panels: the theme's, lavender by day.
QColor g_panelColour(0xC0, 0xC0, 0xFF);
// Marks a widget fillAsPanel filled, so recolourPanels finds it.
const char *const kPanelMark = "tibboPanel";

void fillWithPanelColour(QWidget *panel)
{
    QPalette pal = panel->palette();
    pal.setColor(QPalette::Window, g_panelColour);
    panel->setPalette(pal);
}

} // namespace

QColor panelColour()
{
    return g_panelColour;
}

void fillAsPanel(QWidget *panel)
{
    panel->setAutoFillBackground(true);
    panel->setProperty(kPanelMark, true);
    fillWithPanelColour(panel);
}

void recolourPanels(QWidget *root, const QColor &colour)
{
    g_panelColour = colour;
    for (QWidget *w : root->findChildren<QWidget *>())
        if (w->property(kPanelMark).toBool())
            fillWithPanelColour(w);
    // One repaint of the window brings the panels that paint their own rounded frame.
    root->update();
}

Picture::Picture(const QString &svgResource, QWidget *parent)
    : QWidget(parent), m_renderer(new QSvgRenderer(svgResource, this))
{
    m_renderer->setAspectRatioMode(Qt::IgnoreAspectRatio);
    resize(m_renderer->defaultSize());
}

void Picture::setPicture(const QString &svgResource)
{
    m_renderer->load(svgResource);
    m_renderer->setAspectRatioMode(Qt::IgnoreAspectRatio);
    m_cache = QPixmap();
    update();
}

void Picture::setTint(const QColor &tint)
{
    m_tint = tint;
    m_cache = QPixmap();
    update();
}

void Picture::paintEvent(QPaintEvent *event)
{
    const qreal ratio = devicePixelRatioF();
    const QSize pixels = size() * ratio;
    if (pixels.isEmpty())
        return;
    if (m_cache.size() != pixels || m_cache.devicePixelRatio() != ratio) {
        m_cache = QPixmap(pixels);
        m_cache.setDevicePixelRatio(ratio);
        m_cache.fill(Qt::transparent);
        QPainter render(&m_cache);
        render.setRenderHint(QPainter::Antialiasing);
        m_renderer->render(&render, QRectF(QPointF(0, 0), QSizeF(size())));
        if (m_tint.isValid()) {
            render.setCompositionMode(QPainter::CompositionMode_SourceAtop);
            render.fillRect(QRectF(QPointF(0, 0), QSizeF(size())), m_tint);
        }
    }
    QPainter p(this);
    p.drawPixmap(
        event->rect(), m_cache,
        QRectF(QPointF(event->rect().topLeft()) * ratio, QSizeF(event->rect().size()) * ratio));
}

void Picture::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        m_leftPressed = true;
    emit mouseDown(event->button(), event->position());
}

void Picture::mouseMoveEvent(QMouseEvent *event)
{
    emit mouseMove(event->buttons(), event->position());
}

void Picture::mouseReleaseEvent(QMouseEvent *event)
{
    // Handlers may move or hide this picture: keep what the click test needs first.
    const bool wasLeft = m_leftPressed && event->button() == Qt::LeftButton;
    const bool inside = rect().contains(event->position().toPoint());
    if (event->button() == Qt::LeftButton)
        m_leftPressed = false;
    emit mouseUp(event->button(), event->position());
    if (wasLeft && inside)
        emit clicked();
}

void Picture::mouseDoubleClickEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        emit doubleClicked();
    else
        mousePressEvent(event);
}

CaptionLabel::CaptionLabel(const QString &text, QWidget *parent) : QLabel(parent)
{
    setCaption(text);
    QPalette pal = palette();
    pal.setColor(QPalette::WindowText, kNavy);
    // A command that cannot be used now is greyed.
    pal.setColor(QPalette::Disabled, QPalette::WindowText, QColor(0x80, 0x88, 0xB0));
    setPalette(pal);
    setAttribute(Qt::WA_TranslucentBackground);
}

void CaptionLabel::setCaption(const QString &caption)
{
    m_caption = caption;
    QString shown = caption;
    shown.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    shown.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    setText(shown);
}

void CaptionLabel::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        m_leftPressed = true;
    emit mouseDown(event->button());
}

void CaptionLabel::mouseReleaseEvent(QMouseEvent *event)
{
    const bool click = m_leftPressed && event->button() == Qt::LeftButton &&
                       rect().contains(event->position().toPoint());
    if (event->button() == Qt::LeftButton)
        m_leftPressed = false;
    if (click)
        emit clicked();
}

Bubble::Bubble(QWidget *parent) : QWidget(parent)
{
    setFixedSize(292, 175);
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void Bubble::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(0x30, 0x50, 0xC0), 2));
    p.setBrush(m_colour);
    p.drawRoundedRect(QRectF(rect()).adjusted(1, 1, -1, -1), 18, 18);
}

void Bubble::setColour(const QColor &colour)
{
    m_colour = colour;
    update();
}

ProgressBar::ProgressBar(QWidget *parent) : QWidget(parent) {}

void ProgressBar::setFraction(double fraction)
{
    m_fraction = std::clamp(fraction, 0.0, 1.0);
    update();
}

void ProgressBar::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setPen(QColor(0x30, 0x50, 0xC0));
    p.setBrush(Qt::white);
    p.drawRect(rect().adjusted(0, 0, -1, -1));
    const QRectF inner = QRectF(rect()).adjusted(1, 1, -1, -1);
    p.fillRect(QRectF(inner.left(), inner.top(), inner.width() * m_fraction, inner.height()),
               QColor(0x40, 0x70, 0xE0));
}

PanelButton::PanelButton(const QString &caption, QWidget *parent) : QPushButton(caption, parent)
{
    setCursor(Qt::PointingHandCursor);
    setStyleSheet(
        "QPushButton { background: #eef0ff; border: 1px solid #3050c0; border-radius: 4px;"
        " color: #000080; padding: 0 4px; }"
        "QPushButton:hover { background: #ffffff; }"
        "QPushButton:pressed { background: #d0d8ff; }");
}

void paintRoundedPanel(QWidget *panel)
{
    QPainter p(panel);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(0x30, 0x50, 0xC0), 2));
    p.setBrush(panelColour());
    p.drawRoundedRect(QRectF(panel->rect()).adjusted(1, 1, -1, -1), 8, 8);
}

QString songFamily()
{
    const QStringList installed = QFontDatabase::families();
    for (const char *name : {"宋体", "SimSun", "Noto Serif CJK SC", "AR PL UMing CN",
                             "AR PL SungtiL GB", "Noto Sans CJK SC", "WenQuanYi Zen Hei"})
        if (installed.contains(QString::fromUtf8(name)))
            return QString::fromUtf8(name);
    return QStringLiteral("serif");
}

QFont interfaceFont(QFont base)
{
    base.setFamily(songFamily());
    base.setPixelSize(11);
    return base;
}

QCursor commandCursor()
{
    QSvgRenderer svg(QStringLiteral(":/art/cursor-hand.svg"));
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    svg.render(&p);
    p.end();
    return QCursor(pixmap, 9, 2);
}

} // namespace tibbo::window
