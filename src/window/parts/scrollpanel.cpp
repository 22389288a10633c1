#include "scrollpanel.h"

#include "qtext.h"
#include "scrolltext.h"
#include "widgets.h"

#include "navigation/readingmodes.h"
#include "state/readerstate.h"

#include <QCheckBox>
#include <QLabel>
#include <QScrollBar>
#include <QtConcurrent/QtConcurrentRun>

namespace tibbo::window {

ScrollPanel::ScrollPanel(core::ReaderState &state, QWidget *parent)
    : QWidget(parent), m_state(state)
{
    setObjectName(QStringLiteral("scrollPanel"));
    m_text = new ScrollText(this);
    m_text->setObjectName(QStringLiteral("scrollText"));
    m_bar = new QWidget(this);
    m_bar->setFixedHeight(19);
    fillAsPanel(m_bar);
    m_scrollBox = new QCheckBox(QStringLiteral("滚动屏幕"), m_bar);
    m_scrollBox->setObjectName(QStringLiteral("scrollBox"));
    m_scrollBox->setGeometry(4, 1, 80, 17);
    m_speedSlider = new QScrollBar(Qt::Horizontal, m_bar);
    m_speedSlider->setObjectName(QStringLiteral("speedSlider"));
    m_speedSlider->setRange(core::defaults::kFastestScrollSpeed,
                            core::defaults::kSlowestScrollSpeed);
    m_speedSlider->setPageStep(10);
    m_speedSlider->setSingleStep(1);
    m_speedSlider->setGeometry(88, 2, 200, 15);
    m_speedCaption = new QLabel(m_bar);
    m_speedCaption->setObjectName(QStringLiteral("speedCaption"));
    m_speedCaption->setGeometry(294, 1, 90, 17);
    auto *back = new PanelButton(QStringLiteral("回到主界面"), m_bar);
    back->setObjectName(QStringLiteral("scrollBack"));
    back->resize(84, 19);
    m_backButton = back;

    m_stepTimer.setParent(this);
    m_stepTimer.setObjectName(QStringLiteral("scrollStepTimer"));
    connect(&m_stepTimer, &QTimer::timeout, this, &ScrollPanel::step);
    connect(m_scrollBox, &QCheckBox::clicked, this, [this] {
        setScrolling(m_scrollBox->isChecked());
        m_text->setFocus();
        if (m_scrollBox->isChecked())
            emit scrollingStarted();
    });
    // While scrolling, a click only moves the caret; the next step puts it back.
    connect(m_text, &ScrollText::clicked, this, [this] {
        if (!m_scrollBox->isChecked())
            m_state.scrollPos = m_text->selectionStart();
    });
    // The slider also reports while its thumb is dragged.
    connect(m_speedSlider, &QScrollBar::valueChanged, this, &ScrollPanel::onSpeedChanged);
    connect(back, &QPushButton::clicked, this, [this] {
        hide();
        emit closed();
    });
    setSpeed(m_state.scrollSpeed);
    hide();
}

void ScrollPanel::open(const QFont &pageFont,
                       std::shared_ptr<const core::PhraseConverter> converter)
{
    show();
    raise();
    // The font first, so the text is wrapped once, in the font it is shown in.
    m_text->setFont(pageFont);
    core::BookText text = m_state.scrollMap.scrollBookText(m_state.paragraphText);
    m_conversion.reset();
    if (converter) {
        m_conversion = std::make_unique<QFutureWatcher<core::ConvertedRun>>();
        connect(m_conversion.get(), &QFutureWatcherBase::finished, this, [this] {
            const core::ConvertedRun run = m_conversion->result();
            m_conversion.reset();
            if (!isVisible())
                return;
            const int64_t caret = run.map.toConverted(m_state.scrollPos);
            m_text->setBookText(run.text);
            m_state.scrollPos = caret;
            m_text->setSelection(caret, 0);
        });
        m_conversion->setFuture(QtConcurrent::run(
            [converter, original = text.substr(0)] { return converter->convert(original); }));
    }
    m_text->setBookText(std::move(text));
    m_state.scrollPos = core::scrollStartPosition(m_state);
    m_text->setSelection(m_state.scrollPos, 0);
    if (m_scrollBox->isChecked()) {
        m_scrollBox->setChecked(false);
        setScrolling(false);
    }
    m_text->setFocus();
}

void ScrollPanel::setSpeed(int milliseconds)
{
    m_speedSlider->setValue(milliseconds);
    onSpeedChanged();
}

bool ScrollPanel::scrolling() const
{
    return m_stepTimer.isActive();
}

// Switching a running scroll on again keeps its step period as it was.
void ScrollPanel::setScrolling(bool on)
{
    m_scrollBox->setChecked(on);
    if (!on)
        m_stepTimer.stop();
    else if (!m_stepTimer.isActive())
        m_stepTimer.start();
}

void ScrollPanel::setTextFont(const QFont &font)
{
    m_text->setFont(font);
}

void ScrollPanel::scrollRows(int rows)
{
    m_text->scrollRows(rows);
}

void ScrollPanel::scrollPages(int pages)
{
    m_text->scrollPages(pages);
}

void ScrollPanel::scrollToStart()
{
    m_text->scrollToStart();
}

void ScrollPanel::scrollToEnd()
{
    m_text->scrollToEnd();
}

void ScrollPanel::setColours(const ThemeColours &colours)
{
    const QColor paper = paperColour(colours);
    QPalette pal = m_text->palette();
    for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
        pal.setColor(group, QPalette::Base, paper);
        pal.setColor(group, QPalette::Text, colours.text);
        pal.setColor(group, QPalette::Highlight, colours.text);
        pal.setColor(group, QPalette::HighlightedText, paper);
    }
    m_text->setPalette(pal);
    m_text->viewport()->update();
}

void ScrollPanel::showParagraphRange(int64_t from, int64_t to)
{
    const core::ScrollTextMap &map = m_state.scrollMap;
    const int64_t start = map.scrollPositionOf(m_state.paragraphText, from);
    const int64_t end = map.scrollPositionOf(m_state.paragraphText, to);
    m_state.scrollPos = start;
    m_text->setSelection(start, std::max<int64_t>(end - start, 1));
}

void ScrollPanel::step()
{
    m_state.scrollPos = core::nextScrollPosition(m_state.scrollPos, m_text->textLength());
    m_text->setSelection(m_state.scrollPos, 1);
}

void ScrollPanel::onSpeedChanged()
{
    const int ms = m_speedSlider->value();
    m_state.scrollSpeed = ms;
    m_stepTimer.setInterval(ms);
    m_speedCaption->setText(qs(core::scrollSpeedCaption(ms)));
    if (isVisible())
        m_text->setFocus();
}

void ScrollPanel::resizeEvent(QResizeEvent *)
{
    m_bar->setGeometry(0, height() - m_bar->height(), width(), m_bar->height());
    m_text->setGeometry(0, 0, width(), height() - m_bar->height());
    m_backButton->move(m_bar->width() - m_backButton->width(), 0);
}

} // namespace tibbo::window
