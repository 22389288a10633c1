#include "welcomepanel.h"

#include "widgets.h"

namespace tibbo::window {

WelcomePanel::WelcomePanel(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("welcomePanel"));
    setFixedSize(280, 157);
    fillAsPanel(this);

    auto *title =
        new QLabel(QStringLiteral("欢 迎 使 用\nT i b b o R e a d v2.3\n小 说 阅 读 软 件"), this);
    title->setAlignment(Qt::AlignCenter);
    title->setGeometry(10, 4, 260, 60);
    QFont titleFont = title->font();
    titleFont.setPixelSize(15);
    titleFont.setBold(true);
    title->setFont(titleFont);
    title->setStyleSheet("color: #000080;");
    auto *greeting = new QLabel(
        QStringLiteral("  大家好,我叫Tibbo,在书页上点右键可以打开菜单,然后就可以打开小说了."),
        this);
    greeting->setWordWrap(true);
    greeting->setGeometry(10, 66, 260, 40);
    greeting->setStyleSheet("color: #000080;");
    auto *start = new Picture(QStringLiteral(":/art/cmd-start.svg"), this);
    start->setObjectName(QStringLiteral("startPicture"));
    start->setGeometry(70, 110, 40, 40);
    m_startPicture = start;
    m_startCaption = new CaptionLabel(QStringLiteral("开始使用软件"), this);
    m_startCaption->setObjectName(QStringLiteral("startCaption"));
    m_startCaption->setGeometry(116, 120, 120, 20);
    setCommandCursor(QCursor(Qt::PointingHandCursor));
    connect(start, &Picture::clicked, this, &WelcomePanel::startRequested);
    connect(m_startCaption, &CaptionLabel::clicked, this, &WelcomePanel::startRequested);
    hide();
}

void WelcomePanel::setStartCaption(const QString &caption)
{
    m_startCaption->setCaption(caption);
}

void WelcomePanel::setCommandCursor(const QCursor &cursor)
{
    m_startPicture->setCursor(cursor);
    m_startCaption->setCursor(cursor);
}

} // namespace tibbo::window
