#include "readaloud.h"

#include "navigation/readaloud.h"
#include "state/readerstate.h"

namespace tibbo::window {

const std::vector<int> &sleepTimerChoices()
{
    static const std::vector<int> choices = {ReadAloud::kSleepOff,         15, 30, 60, 90,
                                             ReadAloud::kSleepAtChapterEnd};
    return choices;
}

QString sleepTimerCaption(int choice)
{
    if (choice == ReadAloud::kSleepOff)
        return QStringLiteral("不定时");
    if (choice == ReadAloud::kSleepAtChapterEnd)
        return QStringLiteral("读完本章");
    return QStringLiteral("%1分钟").arg(choice);
}

ReadAloud::ReadAloud(core::ReaderState &state, EngineMaker makeEngine, QObject *parent)
    : QObject(parent), m_state(state), m_makeEngine(std::move(makeEngine))
{
    m_paragraphPauseTimer.setParent(this);
    m_paragraphPauseTimer.setObjectName(QStringLiteral("paragraphPauseTimer"));
    m_paragraphPauseTimer.setSingleShot(true);
    m_paragraphPauseTimer.setInterval(0);
    m_sleepTimer.setParent(this);
    m_sleepTimer.setObjectName(QStringLiteral("sleepTimer"));
    m_sleepTimer.setSingleShot(true);
    connect(&m_paragraphPauseTimer, &QTimer::timeout, this, &ReadAloud::advance);
    connect(&m_sleepTimer, &QTimer::timeout, this, [this] {
        // The sentence being spoken is finished first.
        if (m_phase == Phase::Speaking)
            m_stopAfterSentence = true;
        else
            finish(StopReason::SleepTimer,
                   QStringLiteral("定时%1分钟到了，朗读停止。").arg(m_sleepMinutes));
    });
}

ReadAloud::~ReadAloud() = default;

std::optional<core::Sentence> ReadAloud::sentence() const
{
    return reading() ? m_sentence : std::nullopt;
}

SpeechEngine &ReadAloud::engine()
{
    if (!m_engine) {
        m_engine = m_makeEngine();
        m_engine->setSettings(m_settings);
        connect(m_engine.get(), &SpeechEngine::spoken, this, &ReadAloud::onSpoken);
        connect(m_engine.get(), &SpeechEngine::failed, this, &ReadAloud::onEngineFailed);
    }
    return *m_engine;
}

void ReadAloud::setChapterEnds(std::function<int64_t(int64_t)> chapterEndAfter)
{
    m_chapterEndAfter = std::move(chapterEndAfter);
}

void ReadAloud::setSettings(const SpeechSettings &settings)
{
    m_settings = settings;
    if (m_engine)
        m_engine->setSettings(settings);
}

void ReadAloud::setParagraphPause(int milliseconds)
{
    m_paragraphPauseTimer.setInterval(std::clamp(milliseconds, 0, 3000));
}

ReadAloud::Layout ReadAloud::layout() const
{
    return {m_state.textVersion, m_state.charsPerLine, m_state.linesPerPage, m_state.lineCount()};
}

void ReadAloud::start()
{
    if (reading())
        return;
    std::optional<core::Sentence> first;
    if (m_lastSentence && m_lastTextVersion == m_state.textVersion &&
        core::spreadOfSentence(m_state, *m_lastSentence) == m_state.topLine)
        first = m_lastSentence;
    else
        first = core::firstSentenceOnShow(m_state);
    if (!first) {
        emit stopped(StopReason::NothingToRead, QStringLiteral("这一页没有可以朗读的文字。"));
        return;
    }
    begin(*first);
}

void ReadAloud::startAt(int64_t offset)
{
    if (!m_state.lineEndsFitText())
        return;
    const auto at = core::sentenceAtOffset(m_state, offset);
    if (!at)
        return;
    if (!reading())
        return begin(*at);
    moveTo(*at);
}

void ReadAloud::moveTo(const core::Sentence &sentence)
{
    m_paragraphPauseTimer.stop();
    m_resumeWithNext = false;
    measureChapter(sentence);
    if (m_phase == Phase::Paused) {
        m_sentence = m_lastSentence = sentence;
        emit sentenceChanged();
        return;
    }
    engine().stop();
    speak(sentence);
}

void ReadAloud::begin(const core::Sentence &first)
{
    m_phase = Phase::Speaking;
    m_resumeWithNext = false;
    m_stopAfterSentence = false;
    m_layout = layout();
    m_sentence = first;
    startSleepTimer();
    emit started();
    speak(first);
}

void ReadAloud::switchReading()
{
    if (reading())
        stop();
    else
        start();
}

void ReadAloud::pauseOrResume()
{
    switch (m_phase) {
    case Phase::Off:
        return;
    case Phase::Speaking:
        // Engines pause unevenly (some only between utterances): the sentence is silenced
        // and said again from its start on resuming.
        engine().stop();
        m_phase = Phase::Paused;
        m_resumeWithNext = false;
        return;
    case Phase::ParagraphPause:
        m_paragraphPauseTimer.stop();
        m_phase = Phase::Paused;
        m_resumeWithNext = true;
        return;
    case Phase::Paused:
        m_phase = Phase::Speaking;
        if (m_stopAfterSentence)
            return finish(StopReason::SleepTimer,
                          QStringLiteral("定时%1分钟到了，朗读停止。").arg(m_sleepMinutes));
        if (std::exchange(m_resumeWithNext, false))
            advance();
        else if (m_sentence)
            speak(*m_sentence);
        return;
    }
}

void ReadAloud::stop()
{
    finish(StopReason::Reader);
}

void ReadAloud::finish(StopReason reason, const QString &why)
{
    if (!reading())
        return;
    m_phase = Phase::Off;
    m_paragraphPauseTimer.stop();
    m_sleepTimer.stop();
    m_stopAfterSentence = false;
    if (m_engine)
        m_engine->stop();
    m_sentence.reset();
    emit sentenceChanged();
    emit stopped(reason, why);
}

void ReadAloud::speak(const core::Sentence &sentence)
{
    m_sentence = m_lastSentence = sentence;
    m_lastTextVersion = m_state.textVersion;
    m_phase = Phase::Speaking;
    // The spread turns before the sentence is heard.
    const int64_t spread = core::spreadOfSentence(m_state, sentence);
    if (spread != m_state.topLine) {
        m_state.topLine = spread;
        emit turnNeeded();
    }
    emit sentenceChanged();
    // The sentence to read is one of the reader's; leaving it mid-way (a stop from a
    // signal of the spread just shown) ends here.
    if (!reading() || m_sentence != sentence)
        return;
    engine().say(++m_utterance,
                 QString::fromStdU32String(core::spokenText(m_state.paragraphText, sentence)));
}

void ReadAloud::onSpoken(quint64 utterance)
{
    if (utterance != m_utterance || m_phase != Phase::Speaking)
        return;
    if (m_stopAfterSentence)
        return finish(StopReason::SleepTimer,
                      QStringLiteral("定时%1分钟到了，朗读停止。").arg(m_sleepMinutes));
    if (m_sentence && m_sentence->endsParagraph && m_paragraphPauseTimer.interval() > 0) {
        m_phase = Phase::ParagraphPause;
        m_paragraphPauseTimer.start();
        return;
    }
    advance();
}

void ReadAloud::advance()
{
    if (!reading() || !m_sentence)
        return;
    m_phase = Phase::Speaking;
    const auto next = core::sentenceAfter(m_state, *m_sentence);
    if (!next)
        return finish(StopReason::EndOfBook, QStringLiteral("这本书读完了。"));
    if (m_sleepMinutes == kSleepAtChapterEnd && next->begin >= m_chapterEnd)
        return finish(StopReason::SleepTimer, QStringLiteral("这一章读完了，朗读停止。"));
    speak(*next);
}

void ReadAloud::onEngineFailed(const QString &message)
{
    finish(StopReason::EngineFailed, message);
}

void ReadAloud::onSpreadShown()
{
    if (!reading() || !m_sentence)
        return;
    if (m_state.textVersion != m_layout.textVersion || !m_state.lineEndsFitText())
        return finish(StopReason::NewBook);
    if (layout() != m_layout) {
        // A re-flow: the same sentence, on the spread that now holds it.
        m_layout = layout();
        const int64_t spread = core::spreadOfSentence(m_state, *m_sentence);
        if (spread != m_state.topLine) {
            m_state.topLine = spread;
            emit turnNeeded();
        }
        emit sentenceChanged();
        return;
    }
    if (core::spreadOfSentence(m_state, *m_sentence) == m_state.topLine) {
        emit sentenceChanged();
        return;
    }
    // The reader moved: reading goes on from the spread they chose.
    const auto first = core::firstSentenceOnShow(m_state);
    if (!first)
        return finish(StopReason::NothingToRead, QStringLiteral("这一页没有可以朗读的文字。"));
    moveTo(*first);
}

void ReadAloud::setSleepTimer(int minutes)
{
    m_sleepMinutes = minutes;
    if (reading())
        startSleepTimer();
}

void ReadAloud::startSleepTimer()
{
    m_sleepTimer.stop();
    m_stopAfterSentence = false;
    m_chapterEnd = -1;
    if (m_sleepMinutes > 0) {
        m_sleepTimer.start(m_sleepMinutes * 60 * 1000);
    } else if (m_sentence) {
        measureChapter(*m_sentence);
    }
}

void ReadAloud::measureChapter(const core::Sentence &from)
{
    if (m_sleepMinutes != kSleepAtChapterEnd)
        return;
    m_chapterEnd = m_chapterEndAfter ? m_chapterEndAfter(from.begin)
                                     : static_cast<int64_t>(m_state.paragraphText.size());
}

} // namespace tibbo::window
