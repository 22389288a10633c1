#include "promptpanel.h"

#include "widgets.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QPainter>
#include <QTimer>

namespace tibbo::window {

PromptPanel::PromptPanel(QWidget *parent) : QWidget(parent)
{
    setFixedSize(196, 62);
    Label5_5 = new CaptionLabel(QStringLiteral("翻到哪一页?"), this);
    Label5_5->setGeometry(8, 5, 180, 18);
    Text1 = new QLineEdit(QStringLiteral("0000"), this);
    Text1->setGeometry(8, 30, 70, 24);
    Image12 = new Picture(QStringLiteral(":/art/arrow-up.svg"), this);
    Image12->setGeometry(80, 30, 16, 12);
    Image13 = new Picture(QStringLiteral(":/art/arrow-down.svg"), this);
    Image13->setGeometry(80, 42, 16, 12);
    Command2 = new PanelButton(QStringLiteral("确定"), this);
    Command2->setGeometry(102, 30, 42, 24);
    Command3 = new PanelButton(QStringLiteral("取消"), this);
    Command3->setGeometry(148, 30, 42, 24);
    Text1->installEventFilter(this);
    hide();
}

bool PromptPanel::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == Text1 && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            emit enterPressed();
            return true;
        }
        if (key == Qt::Key_Escape) {
            emit escapePressed();
            return true;
        }
    }
    if (watched == Text1 && event->type() == QEvent::FocusIn) {
        // The whole answer is selected when the box gets the focus, so typing replaces it.
        QTimer::singleShot(0, Text1, &QLineEdit::selectAll);
    }
    return QWidget::eventFilter(watched, event);
}

void PromptPanel::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(0x30, 0x50, 0xC0), 2));
    p.setBrush(panelColour());
    p.drawRoundedRect(QRectF(rect()).adjusted(1, 1, -1, -1), 8, 8);
}

} // namespace tibbo::window
