#include "loadingpanel.h"

#include "widgets.h"

namespace tibbo::window {

LoadingPanel::LoadingPanel(QWidget *parent) : QWidget(parent)
{
    setFixedSize(280, 154);
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, panelColour());
    setPalette(pal);
    Label5_18 = new CaptionLabel(QStringLiteral("正在打开文件，请稍候....."), this);
    Label5_18->setAlignment(Qt::AlignCenter);
    Label5_18->setGeometry(10, 36, 260, 20);
    Picture11 = new ProgressBar(this);
    Picture11->setGeometry(30, 72, 220, 14);
    Command6 = new PanelButton(QStringLiteral("取消打开"), this);
    Command6->setGeometry(100, 104, 80, 24);
    hide();
}

} // namespace tibbo::window
