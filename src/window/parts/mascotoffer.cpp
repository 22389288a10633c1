#include "mascotoffer.h"

#include "widgets.h"

#include <QLabel>

namespace tibbo::window {

MascotOffer::MascotOffer(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("mascotOffer"));
    setFixedSize(280, 154);
    fillAsPanel(this);
    m_text = new QLabel(this);
    m_text->setObjectName(QStringLiteral("mascotOfferText"));
    m_text->setWordWrap(true);
    m_text->setGeometry(12, 14, 256, 90);
    m_text->setStyleSheet("color: #000080;");
    m_answer = new PanelButton(QString(), this);
    m_answer->setObjectName(QStringLiteral("mascotOfferAnswer"));
    m_answer->setGeometry(40, 116, 100, 24);
    m_dismiss = new PanelButton(QStringLiteral("不用了"), this);
    m_dismiss->setObjectName(QStringLiteral("mascotOfferDismiss"));
    m_dismiss->setGeometry(150, 116, 90, 24);
    connect(m_answer, &QPushButton::clicked, this, [this] {
        hide();
        if (const auto answer = std::exchange(m_onAnswer, nullptr))
            answer();
        emit finished();
    });
    connect(m_dismiss, &QPushButton::clicked, this, [this] {
        hide();
        m_onAnswer = nullptr;
        emit finished();
    });
    hide();
}

void MascotOffer::say(const QString &text, const QString &answer, std::function<void()> onAnswer)
{
    m_text->setText(text);
    m_answer->setText(answer);
    m_onAnswer = std::move(onAnswer);
    show();
    raise();
}

} // namespace tibbo::window
