#include "menupanel.h"

#include "widgets.h"

#include <QPainter>

namespace tibbo::window {

namespace {

CaptionLabel *caption(QWidget *parent, const QString &text, int x, int y, int w, int h)
{
    auto *label = new CaptionLabel(text, parent);
    label->setGeometry(x, y, w, h);
    return label;
}

Picture *picture(QWidget *parent, const char *name, int x, int y, int size)
{
    auto *p = new Picture(QStringLiteral(":/art/%1.svg").arg(QLatin1String(name)), parent);
    p->setGeometry(x, y, size, size);
    p->setCursor(QCursor(Qt::PointingHandCursor));
    return p;
}

} // namespace

MenuPanel::MenuPanel(QWidget *parent) : QWidget(parent)
{
    setFixedSize(280, 154);
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, panelColour());
    setPalette(pal);

    Label5_0 = caption(this, QStringLiteral("敬爱的用户,我能为你做点什么?"), 9, 6, 200, 16);
    Image7 = picture(this, "cmd-open", 3, 36, 48);
    Image7->setToolTip(QStringLiteral(
        "如果你发现读出来的文件版面有点问题,可以在\"软件设置\"里激活\"修整段落\"选项"));
    Label5_1 =
        caption(this, QStringLiteral("打开一部小说\r\n(左键打开对话框\r\n 右键打开最近文件)"), 48,
                40, 105, 42);
    Image10 = picture(this, "cmd-bookmark", 153, 36, 48);
    Image10->setToolTip(
        QStringLiteral("记得先点击你打算添加书签的那一行,按键盘上的A键可以快速添加书签"));
    Label5_2 = caption(this, QStringLiteral("设置书签\r\n(左键快速添加\r\n 右键打开菜单)"), 201, 40,
                       78, 42);
    Image8 = picture(this, "cmd-auto", 0, 84, 48);
    Label5_3 =
        caption(this, QStringLiteral("自动翻页(关)\r\n(左键开关自动翻页\r\n 右键设置翻页时间)"), 48,
                85, 105, 42);
    Image17 = picture(this, "cmd-settings", 153, 84, 48);
    Image17->setToolTip(QStringLiteral("点右键可以快速设置文字大小"));
    Label5_9 = caption(this, QStringLiteral("软件设置\r\n(左键具体设置\r\n 右键快捷设置)"), 201, 85,
                       79, 42);
    Image14 = picture(this, "cmd-fullscreen", 6, 132, 16);
    Label5_6 = caption(this, QStringLiteral("放大到全屏幕"), 24, 133, 90, 16);
    Image9 = picture(this, "cmd-manual", 111, 132, 16);
    Label5_4 = caption(this, QStringLiteral("看看说明书"), 129, 133, 78, 16);
    Image15 = picture(this, "cmd-exit", 228, 129, 24);
    Label5_7 = caption(this, QStringLiteral("退出"), 254, 133, 26, 16);
    for (CaptionLabel *c : {Label5_1, Label5_2, Label5_3, Label5_9, Label5_6, Label5_4, Label5_7})
        c->setCursor(QCursor(Qt::PointingHandCursor));
    hide();
}

void MenuPanel::paintEvent(QPaintEvent *)
{
    // Line2: the navy separator under the greeting.
    QPainter p(this);
    p.setPen(QPen(QColor(0, 0, 128), 1));
    p.drawLine(4, 27, width() - 4, 27);
}

} // namespace tibbo::window
