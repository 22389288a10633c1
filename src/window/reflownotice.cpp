#include "reflownotice.h"

#include "widgets.h"

namespace tibbo::window {

ReflowNotice::ReflowNotice(QWidget *parent) : QWidget(parent)
{
    setFixedSize(280, 157);
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, panelColour());
    setPalette(pal);
    Label5_17 = new CaptionLabel(QStringLiteral("本软件正在对段落进行重排\r\n请稍候......"), this);
    Label5_17->setAlignment(Qt::AlignCenter);
    Label5_17->setGeometry(10, 40, 260, 40);
    Picture7 = new ProgressBar(this);
    Picture7->setGeometry(30, 96, 220, 14);
    hide();
}

} // namespace tibbo::window
