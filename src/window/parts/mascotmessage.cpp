#include "mascotmessage.h"

#include "widgets.h"

#include <QLabel>

namespace tibbo::window {

namespace {

constexpr int kMostActions = 2;
constexpr int kActionHeight = 18;

} // namespace

MascotMessage::MascotMessage(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("mascotMessage"));
    setFixedSize(280, 157);
    fillAsPanel(this);
    m_text = new QLabel(this);
    m_text->setObjectName(QStringLiteral("mascotMessageText"));
    m_text->setWordWrap(true);
    m_text->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_text->setStyleSheet("color: #000080;");
    for (int i = 0; i < kMostActions; ++i) {
        auto *action = new CaptionLabel(QString(), this);
        action->setObjectName(QStringLiteral("mascotAction%1").arg(i));
        action->setCursor(QCursor(Qt::PointingHandCursor));
        QFont underlined = action->font();
        underlined.setUnderline(true);
        action->setFont(underlined);
        connect(action, &CaptionLabel::clicked, this, [this, i] { emit actionChosen(i); });
        m_actions.push_back(action);
    }
    hide();
}

void MascotMessage::say(const QString &text, const QStringList &actions)
{
    m_said = text;
    m_text->setText(text);
    const int shown = std::min<int>(kMostActions, static_cast<int>(actions.size()));
    const int textHeight = height() - 8 - shown * kActionHeight;
    m_text->setGeometry(8, 4, width() - 16, textHeight);
    for (int i = 0; i < kMostActions; ++i) {
        CaptionLabel *action = m_actions[static_cast<size_t>(i)];
        action->setVisible(i < shown);
        if (i < shown) {
            action->setCaption(actions[i]);
            action->setGeometry(8, 4 + textHeight + i * kActionHeight, width() - 16, kActionHeight);
        }
    }
}

bool MascotMessage::isAction(const QObject *widget) const
{
    for (const CaptionLabel *action : m_actions)
        if (widget == action)
            return true;
    return false;
}

} // namespace tibbo::window
