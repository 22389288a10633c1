#include "scrollpanel.h"

#include "scrolltext.h"
#include "widgets.h"

#include <QCheckBox>
#include <QLabel>
#include <QScrollBar>

namespace tibbo::window {

ScrollPanel::ScrollPanel(QWidget *parent) : QWidget(parent)
{
    Text2 = new ScrollText(this);
    Picture9 = new QWidget(this);
    Picture9->setFixedHeight(19);
    Picture9->setAutoFillBackground(true);
    QPalette pal = Picture9->palette();
    pal.setColor(QPalette::Window, panelColour());
    Picture9->setPalette(pal);
    Check5 = new QCheckBox(QStringLiteral("滚动屏幕"), Picture9);
    Check5->setGeometry(4, 1, 80, 17);
    HScroll1 = new QScrollBar(Qt::Horizontal, Picture9);
    HScroll1->setRange(1, 300);
    HScroll1->setPageStep(10);
    HScroll1->setSingleStep(1);
    HScroll1->setGeometry(88, 2, 200, 15);
    Label10 = new QLabel(QStringLiteral("速度: 130"), Picture9);
    Label10->setGeometry(294, 1, 90, 17);
    Command1 = new PanelButton(QStringLiteral("回到主界面"), Picture9);
    Command1->resize(84, 19);
    hide();
}

void ScrollPanel::resizeEvent(QResizeEvent *)
{
    Picture9->setGeometry(0, height() - Picture9->height(), width(), Picture9->height());
    Text2->setGeometry(0, 0, width(), height() - Picture9->height());
    Command1->move(Picture9->width() - Command1->width(), 0);
}

} // namespace tibbo::window
