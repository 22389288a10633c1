#include "settingspanel.h"

#include "widgets.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>

namespace tibbo::window {

namespace {

QComboBox *combo(QWidget *parent, int x, int y)
{
    auto *c = new QComboBox(parent);
    c->setEditable(true);
    c->setInsertPolicy(QComboBox::NoInsert);
    c->setGeometry(x, y, 50, 20);
    return c;
}

CaptionLabel *caption(QWidget *parent, const QString &text, int x, int y)
{
    auto *l = new CaptionLabel(text, parent);
    l->move(x, y);
    l->adjustSize();
    return l;
}

// The panel has little room: a one-pixel gap between box and caption keeps the three
// style boxes on one row left of the buttons.
QCheckBox *check(QWidget *parent, const QString &text, int x, int y, int w)
{
    auto *c = new QCheckBox(text, parent);
    c->setGeometry(x, y, w, 16);
    c->setStyleSheet("QCheckBox { color: #000080; spacing: 1px; }");
    return c;
}

} // namespace

SettingsPanel::SettingsPanel(QWidget *parent) : QWidget(parent)
{
    setFixedSize(223, 136);
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, panelColour());
    setPalette(pal);

    Label5_10 = caption(this, QStringLiteral("当前字体:"), 6, 4);
    // A long family name is cut at the margin captions rather than run into them.
    Label5_10->setFixedWidth(116);
    List5 = new QListWidget(this);
    List5->setGeometry(6, 21, 115, 40);
    List5->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    List5->setTextElideMode(Qt::ElideRight);
    Label5_11 = caption(this, QStringLiteral("当前字号:"), 6, 63);
    Combo1 = combo(this, 71, 61);
    Label5_12 = caption(this, QStringLiteral("当前行距:"), 6, 84);
    Combo2 = combo(this, 71, 82);
    Label5_13 = caption(this, QStringLiteral("上边距:"), 126, 6);
    Combo3 = combo(this, 168, 3);
    Label5_14 = caption(this, QStringLiteral("下边距:"), 126, 27);
    Combo4 = combo(this, 168, 24);
    Label5_15 = caption(this, QStringLiteral("左边距:"), 126, 48);
    Combo5 = combo(this, 168, 45);
    Label5_16 = caption(this, QStringLiteral("右边距:"), 126, 69);
    Combo6 = combo(this, 168, 66);
    for (QComboBox *c : {Combo3, Combo4, Combo5, Combo6})
        c->setFixedWidth(50);
    Picture5 = new QWidget(this);
    Picture5->setGeometry(126, 88, 92, 22);
    Picture5->setStyleSheet("background: white; border: 1px solid #3050c0;");
    Label8 = new QLabel(QStringLiteral("预览"), Picture5);
    Label8->setGeometry(1, 1, 90, 20);
    Label8->setAlignment(Qt::AlignCenter);
    Label8->setStyleSheet("border: none;");
    Check4 = check(this, QStringLiteral("读文件时修整段落"), 3, 101, 118);
    Check4->setToolTip(
        QStringLiteral("有时你可能会发现读出来的文件版面有点问题,可以试试激活这个选项"));
    Check4->installEventFilter(this);
    Check1 = check(this, QStringLiteral("下划线"), 3, 118, 49);
    Check2 = check(this, QStringLiteral("粗体"), 52, 118, 38);
    Check3 = check(this, QStringLiteral("斜体"), 90, 118, 38);
    Command4 = new PanelButton(QStringLiteral("确定"), this);
    Command4->setGeometry(131, 113, 38, 20);
    Command5 = new PanelButton(QStringLiteral("取消"), this);
    Command5->setGeometry(175, 113, 38, 20);
    hide();
}

// A thin frame sets the panel off from the menu panel it lies on, which shows around it.
void SettingsPanel::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setPen(QColor(0x30, 0x50, 0xC0));
    p.drawRect(rect().adjusted(0, 0, -1, -1));
}

bool SettingsPanel::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == Check4) {
        if (event->type() == QEvent::MouseButtonPress ||
            event->type() == QEvent::MouseButtonDblClick) {
            m_check4Refused = check4MouseDown && !check4MouseDown();
            if (m_check4Refused)
                return true;
        } else if (event->type() == QEvent::MouseButtonRelease && m_check4Refused) {
            m_check4Refused = false;
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace tibbo::window
