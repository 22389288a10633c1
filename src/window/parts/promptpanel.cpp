#include "promptpanel.h"

#include "widgets.h"

#include <QEvent>
#include <QLineEdit>
#include <QPainter>
#include <QTimer>

namespace tibbo::window {

PromptPanel::PromptPanel(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("prompt"));
    setFixedSize(196, 62);
    m_question = new CaptionLabel(QStringLiteral("翻到哪一页?"), this);
    m_question->setObjectName(QStringLiteral("promptQuestion"));
    m_question->setGeometry(8, 5, 180, 18);
    m_answer = new QLineEdit(QStringLiteral("0000"), this);
    m_answer->setObjectName(QStringLiteral("promptAnswer"));
    m_answer->setGeometry(8, 30, 70, 24);
    m_increase = new Picture(QStringLiteral(":/art/arrow-up.svg"), this);
    m_increase->setObjectName(QStringLiteral("promptIncrease"));
    m_increase->setGeometry(80, 30, 16, 12);
    m_decrease = new Picture(QStringLiteral(":/art/arrow-down.svg"), this);
    m_decrease->setObjectName(QStringLiteral("promptDecrease"));
    m_decrease->setGeometry(80, 42, 16, 12);
    m_okButton = new PanelButton(QStringLiteral("确定"), this);
    m_okButton->setObjectName(QStringLiteral("promptOk"));
    m_okButton->setGeometry(102, 30, 42, 24);
    m_cancelButton = new PanelButton(QStringLiteral("取消"), this);
    m_cancelButton->setObjectName(QStringLiteral("promptCancel"));
    m_cancelButton->setGeometry(148, 30, 42, 24);
    // A click on a button or an arrow leaves the keyboard in the answer box.
    for (QWidget *w :
         std::initializer_list<QWidget *>{m_okButton, m_cancelButton, m_increase, m_decrease})
        w->setFocusPolicy(Qt::NoFocus);
    m_answer->installEventFilter(this);

    connect(m_okButton, &QPushButton::clicked, this, &PromptPanel::confirmed);
    connect(m_cancelButton, &QPushButton::clicked, this, &PromptPanel::cancelled);
    connect(m_increase, &Picture::clicked, this, &PromptPanel::increaseRequested);
    connect(m_decrease, &Picture::clicked, this, &PromptPanel::decreaseRequested);
    // Holding the decrease arrow and moving the pointer runs the value down quickly.
    connect(m_decrease, &Picture::mouseMove, this, [this](Qt::MouseButtons b, QPointF) {
        if (b & Qt::LeftButton)
            emit decreaseRequested();
    });
    hide();
}

void PromptPanel::ask(const QString &question, const QString &answer, const QString &tooltip,
                      QPoint place)
{
    m_question->setCaption(question);
    m_answer->setToolTip(tooltip);
    if (const QWidget *window = parentWidget()) {
        place.setX(std::clamp(place.x(), 0, std::max(0, window->width() - width())));
        place.setY(std::clamp(place.y(), 0, std::max(0, window->height() - height())));
    }
    move(place);
    show();
    raise();
    m_answer->setText(answer);
    m_answer->setFocus();
    m_answer->selectAll();
}

QString PromptPanel::answer() const
{
    return m_answer->text();
}

void PromptPanel::setAnswer(const QString &answer)
{
    m_answer->setText(answer);
    m_answer->setFocus();
}

bool PromptPanel::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_answer && event->type() == QEvent::FocusIn) {
        // The whole answer is selected when the box gets the focus, so typing replaces it.
        QTimer::singleShot(0, m_answer, &QLineEdit::selectAll);
    }
    return QWidget::eventFilter(watched, event);
}

void PromptPanel::paintEvent(QPaintEvent *)
{
    paintRoundedPanel(this);
}

} // namespace tibbo::window
