#include "mascotspeech.h"

#include "mascot.h"
#include "widgets.h"

#include <QApplication>
#include <QEvent>
#include <QFontMetrics>
#include <QLabel>

#include <algorithm>

namespace tibbo::window {

namespace {

// Long enough to read two lines, short enough not to stand in the way.
constexpr int kNoteMilliseconds = 6000;
constexpr size_t kMostAnswers = 2;
constexpr int kMargin = 10;
constexpr int kButtonHeight = 24;
constexpr int kButtonGap = 10;
constexpr int kShortestButton = 90;
constexpr qreal kSmallestPoints = 6.5;

} // namespace

MascotSpeech::MascotSpeech(Mascot &mascot, QWidget &menu, QWidget *window)
    : QWidget(window), m_mascot(mascot), m_menu(menu)
{
    setObjectName(QStringLiteral("mascotSpeech"));
    setFixedSize(280, 157);
    fillAsPanel(this);
    m_text = new QLabel(this);
    m_text->setObjectName(QStringLiteral("mascotSpeechText"));
    m_text->setTextFormat(Qt::PlainText);
    m_text->setWordWrap(true);
    // A short word sits in the middle of the bubble, not against its top edge.
    m_text->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    m_text->setStyleSheet("color: #000080;");
    m_textFont = m_text->font();
    if (m_textFont.pointSizeF() <= 0)
        m_textFont.setPointSizeF(9);
    for (size_t i = 0; i < kMostAnswers; ++i) {
        auto *button = new PanelButton(QString(), this);
        button->setObjectName(QStringLiteral("mascotSpeechAnswer%1").arg(i));
        // The keys stay with the pages.
        button->setFocusPolicy(Qt::NoFocus);
        connect(button, &QPushButton::clicked, this, [this, i] { choose(i); });
        m_answerButtons.push_back(button);
    }
    m_goTimer.setParent(this);
    m_goTimer.setObjectName(QStringLiteral("mascotSpeechTimer"));
    m_goTimer.setSingleShot(true);
    m_goTimer.setInterval(kNoteMilliseconds);
    connect(&m_goTimer, &QTimer::timeout, this, &MascotSpeech::putAway);
    m_nextTimer.setParent(this);
    m_nextTimer.setSingleShot(true);
    m_nextTimer.setInterval(0);
    connect(&m_nextTimer, &QTimer::timeout, this, &MascotSpeech::sayNext);
    m_menu.installEventFilter(this);
    mascot.addBubblePanel(this, Mascot::BubblePlace::TopLeft);
    hide();
}

void MascotSpeech::say(Word word)
{
    m_waiting.push_back(std::move(word));
    sayNext();
}

void MascotSpeech::takeBack(const QString &about)
{
    std::erase_if(m_waiting, [&](const Word &word) { return word.about == about; });
    if (m_onShow && m_onShow->about == about)
        putAway();
}

bool MascotSpeech::holds(const QString &about) const
{
    return (m_onShow && m_onShow->about == about) ||
           std::any_of(m_waiting.begin(), m_waiting.end(),
                       [&](const Word &word) { return word.about == about; });
}

QString MascotSpeech::text() const
{
    return m_onShow ? m_onShow->text : QString();
}

void MascotSpeech::sayNext()
{
    if (m_onShow || !m_menu.isHidden())
        return;
    while (!m_waiting.empty()) {
        Word word = std::move(m_waiting.front());
        m_waiting.pop_front();
        if (!word.stillTrue || word.stillTrue()) {
            show(std::move(word));
            return;
        }
    }
}

void MascotSpeech::show(Word word)
{
    word.answers.resize(std::min(word.answers.size(), kMostAnswers));
    const int textHeight =
        height() - 2 * kMargin - (word.answers.empty() ? 0 : kButtonHeight + kMargin);
    m_text->setText(word.text);
    m_text->setGeometry(kMargin, kMargin, width() - 2 * kMargin, textHeight);
    fitText(textHeight);
    layAnswers(word.answers);
    const Goes goes = word.goes;
    m_onShow = std::move(word);
    m_mascot.setBubbleOpen(true);
    QWidget::show();
    raise();
    m_mascot.place();
    emit layoutNeeded();
    if (goes == Goes::ByItself)
        m_goTimer.start();
    else if (goes == Goes::AtFirstTouch)
        qApp->installEventFilter(this);
}

void MascotSpeech::fitText(int height)
{
    // A long recap gets smaller type rather than lines cut off under the bubble's edge.
    QFont font = m_textFont;
    for (qreal points = font.pointSizeF(); points > kSmallestPoints; points -= 0.5) {
        font.setPointSizeF(points);
        m_text->setFont(font);
        if (m_text->heightForWidth(m_text->width()) <= height)
            break;
    }
}

void MascotSpeech::layAnswers(const std::vector<Answer> &answers)
{
    const int room = width() - 2 * kMargin;
    std::vector<int> widths;
    int total = 0;
    for (size_t i = 0; i < answers.size(); ++i) {
        const QFontMetrics metrics(m_answerButtons[i]->font());
        widths.push_back(
            std::max(kShortestButton, metrics.horizontalAdvance(answers[i].caption) + 2 * kMargin));
        total += widths.back();
    }
    if (answers.size() > 1)
        total += kButtonGap;
    // Captions too long for the row share it evenly.
    if (total > room) {
        const int gaps = answers.size() > 1 ? kButtonGap : 0;
        std::fill(widths.begin(), widths.end(),
                  (room - gaps) / static_cast<int>(std::max<size_t>(1, answers.size())));
        total = room;
    }
    int x = (width() - total) / 2;
    const int y = height() - kMargin - kButtonHeight;
    for (size_t i = 0; i < kMostAnswers; ++i) {
        PanelButton *button = m_answerButtons[i];
        button->setVisible(i < answers.size());
        if (i >= answers.size())
            continue;
        button->setText(answers[i].caption);
        button->setGeometry(x, y, widths[i], kButtonHeight);
        x += widths[i] + kButtonGap;
    }
}

void MascotSpeech::putAway()
{
    m_goTimer.stop();
    qApp->removeEventFilter(this);
    m_onShow.reset();
    if (!isHidden()) {
        hide();
        if (m_menu.isHidden())
            m_mascot.setBubbleOpen(false);
    }
    m_nextTimer.start();
}

void MascotSpeech::choose(size_t index)
{
    if (!m_onShow || index >= m_onShow->answers.size())
        return;
    const std::function<void()> chosen = std::move(m_onShow->answers[index].chosen);
    putAway();
    if (chosen)
        chosen();
}

void MascotSpeech::mousePressEvent(QMouseEvent *)
{
    if (m_onShow && m_onShow->goes == Goes::ByItself)
        putAway();
}

bool MascotSpeech::eventFilter(QObject *watched, QEvent *event)
{
    const QEvent::Type type = event->type();
    if (watched == &m_menu) {
        // The menu takes the bubble; the word steps aside and is said again after it.
        if (type == QEvent::Show && m_onShow) {
            Word word = std::move(*m_onShow);
            m_onShow.reset();
            m_goTimer.stop();
            qApp->removeEventFilter(this);
            hide();
            if (word.goes != Goes::AtFirstTouch)
                m_waiting.push_front(std::move(word));
        } else if (type == QEvent::Hide) {
            m_nextTimer.start();
        }
        return QWidget::eventFilter(watched, event);
    }
    // News goes at the first key, click or turn of the wheel anywhere, which still does
    // what it does; a click on an answer is the answer. A press reaches the window's
    // QWindow before the widget under the mouse: only the widget tells which it was.
    if (!watched->isWidgetType())
        return QWidget::eventFilter(watched, event);
    const bool onAnswer = std::any_of(m_answerButtons.begin(), m_answerButtons.end(),
                                      [&](const PanelButton *b) { return watched == b; });
    if (type == QEvent::KeyPress || type == QEvent::Wheel ||
        ((type == QEvent::MouseButtonPress || type == QEvent::MouseButtonDblClick) && !onAnswer))
        putAway();
    return QWidget::eventFilter(watched, event);
}

} // namespace tibbo::window
