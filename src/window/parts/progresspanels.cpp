#include "progresspanels.h"

#include "widgets.h"

namespace tibbo::window {

namespace {

void paintPanel(QWidget *panel, int width, int height)
{
    panel->setFixedSize(width, height);
    fillAsPanel(panel);
}

} // namespace

LoadingPanel::LoadingPanel(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("loadingPanel"));
    paintPanel(this, 280, 154);
    auto *caption = new CaptionLabel(QStringLiteral("正在打开文件，请稍候....."), this);
    caption->setAlignment(Qt::AlignCenter);
    caption->setGeometry(10, 36, 260, 20);
    m_progress = new ProgressBar(this);
    m_progress->setGeometry(30, 72, 220, 14);
    m_cancelButton = new PanelButton(QStringLiteral("取消打开"), this);
    m_cancelButton->setObjectName(QStringLiteral("cancelLoad"));
    m_cancelButton->setGeometry(100, 104, 80, 24);
    connect(m_cancelButton, &QPushButton::clicked, this, &LoadingPanel::cancelRequested);
    hide();
}

void LoadingPanel::open(bool withProgress)
{
    m_progress->setFraction(0);
    m_progress->setVisible(withProgress);
    m_cancelButton->setVisible(withProgress);
    move(0, 0);
    show();
    raise();
}

void LoadingPanel::setProgress(double fraction)
{
    m_progress->setFraction(fraction);
}

ReflowNotice::ReflowNotice(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("reflowNotice"));
    paintPanel(this, 280, 157);
    auto *caption =
        new CaptionLabel(QStringLiteral("本软件正在对段落进行重排\r\n请稍候......"), this);
    caption->setAlignment(Qt::AlignCenter);
    caption->setGeometry(10, 40, 260, 40);
    m_progress = new ProgressBar(this);
    m_progress->setGeometry(30, 96, 220, 14);
    hide();
}

void ReflowNotice::setProgress(double fraction)
{
    m_progress->setFraction(fraction);
}

} // namespace tibbo::window
