#include "mascotmessage.h"

#include "widgets.h"

#include <QLabel>

namespace tibbo::window {

namespace {

constexpr int kMostActions = 2;
constexpr int kActionHeight = 18;
constexpr qreal kSmallestPoints = 6.5;

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
    m_textFont = m_text->font();
    if (m_textFont.pointSizeF() <= 0)
        m_textFont.setPointSizeF(9);
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
    // A long recap gets smaller type rather than lines cut off under the bubble's edge.
    QFont font = m_textFont;
    for (qreal points = font.pointSizeF(); points > kSmallestPoints; points -= 0.5) {
        font.setPointSizeF(points);
        m_text->setFont(font);
        if (m_text->heightForWidth(m_text->width()) <= textHeight)
            break;
    }
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
