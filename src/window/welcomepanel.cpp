#include "welcomepanel.h"

#include "widgets.h"

namespace tibbo::window {

WelcomePanel::WelcomePanel(QWidget *parent) : QWidget(parent)
{
    setFixedSize(280, 157);
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, panelColour());
    setPalette(pal);

    Label6 =
        new QLabel(QStringLiteral("欢 迎 使 用\nT i b b o R e a d v2.3\n小 说 阅 读 软 件"), this);
    Label6->setAlignment(Qt::AlignCenter);
    Label6->setGeometry(10, 4, 260, 60);
    QFont title = Label6->font();
    title.setPixelSize(15);
    title.setBold(true);
    Label6->setFont(title);
    Label6->setStyleSheet("color: #000080;");
    Label7 = new QLabel(
        QStringLiteral("  大家好,我叫Tibbo,在书页上点右键可以打开菜单,然后就可以打开小说了."),
        this);
    Label7->setWordWrap(true);
    Label7->setGeometry(10, 66, 260, 40);
    Label7->setStyleSheet("color: #000080;");
    Image16 = new Picture(QStringLiteral(":/art/cmd-start.svg"), this);
    Image16->setGeometry(70, 110, 40, 40);
    Image16->setCursor(QCursor(Qt::PointingHandCursor));
    Label5_8 = new CaptionLabel(QStringLiteral("开始使用软件"), this);
    Label5_8->setGeometry(116, 120, 120, 20);
    Label5_8->setCursor(QCursor(Qt::PointingHandCursor));
    hide();
}

} // namespace tibbo::window
