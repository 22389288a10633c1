#pragma once
// Reading aloud: the book spoken sentence by sentence from the spread on show, the spread
// turning to each sentence before it is spoken. One sentence goes to the speech engine at
// a time; the next goes when the engine says it was spoken, after the pause between
// paragraphs where one ends. A spread the reader puts on show moves the reading to its
// first sentence; a re-flow keeps the sentence and shows its spread. When reading stops,
// the spread on show holds the last sentence read, and starting again on that spread
// goes on from that sentence.
//
// The sentence being read is the window's to tint (sentence()); the controller moves the
// state's topLine and asks for the spread to be shown (turnNeeded).

#include "speechengine.h"

#include "text/sentences.h"

#include <QObject>
#include <QTimer>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace tibbo::core {
struct ReaderState;
}

namespace tibbo::window {

// What the reader chooses for reading aloud, as the settings keep it.
struct ReadAloudSettings
{
    SpeechSettings speech;
    // The pause after the last sentence of a paragraph, 0 to 3000 ms.
    int paragraphPause = 500;
    // ReadAloud::kSleepOff, minutes, or ReadAloud::kSleepAtChapterEnd.
    int sleepTimer = 0;
    friend bool operator==(const ReadAloudSettings &, const ReadAloudSettings &) = default;
};

// The sleep timer's choices in the order they are offered (kSleepOff, the minutes,
// kSleepAtChapterEnd), and the caption of each: "不定时", "15分钟", "读完本章".
const std::vector<int> &sleepTimerChoices();
QString sleepTimerCaption(int choice);

class ReadAloud : public QObject
{
    Q_OBJECT
  public:
    // The sleep timer: off, a number of minutes, or the end of the chapter being read.
    static constexpr int kSleepOff = 0;
    static constexpr int kSleepAtChapterEnd = -1;

    // Why reading stopped.
    enum class StopReason { Reader, EndOfBook, SleepTimer, NothingToRead, EngineFailed, NewBook };
    Q_ENUM(StopReason)

    using EngineMaker = std::function<std::unique_ptr<SpeechEngine>()>;
    // The engine is made when it is first needed.
    ReadAloud(core::ReaderState &state, EngineMaker makeEngine, QObject *parent = nullptr);
    ~ReadAloud() override;

    // Started and not stopped; a pause still counts.
    bool reading() const { return m_phase != Phase::Off; }
    bool paused() const { return m_phase == Phase::Paused; }
    // The sentence being read or paused at; none while not reading.
    std::optional<core::Sentence> sentence() const;
    // The sentence read last, kept after a stop; none before the first.
    std::optional<core::Sentence> lastSentence() const { return m_lastSentence; }
    SpeechEngine &engine();

    // Where the chapter holding a character ends (the next heading's offset, or the end of
    // the text); without it the sleep timer's chapter end is the end of the book.
    void setChapterEnds(std::function<int64_t(int64_t offset)> chapterEndAfter);
    void setSettings(const SpeechSettings &settings);
    // The pause after the last sentence of a paragraph, 0 to 3000 ms.
    void setParagraphPause(int milliseconds);
    int sleepTimer() const { return m_sleepMinutes; }

  public slots:
    // Starts from the first sentence that begins on the spread on show, or from the
    // sentence read last when the spread on show still holds it.
    void start();
    // Starts (or moves the reading) at the sentence holding character `offset` of the
    // paragraph text ("从这里朗读").
    void startAt(int64_t offset);
    void switchReading();
    void pauseOrResume();
    // Stops; the spread on show keeps the sentence read last.
    void stop();
    // A spread was put on show: see the class comment.
    void onSpreadShown();
    // kSleepOff, 15, 30, 60, 90 (minutes; any number above 0 counts) or kSleepAtChapterEnd.
    // Counted from the start of reading, or from now while reading.
    void setSleepTimer(int minutes);

  signals:
    void started();
    // `why` says it in Chinese (the mascot's word, or the engine's failure naming the
    // package that is missing); empty when the reader stopped it.
    void stopped(tibbo::window::ReadAloud::StopReason reason, const QString &why);
    // The sentence to tint changed (also to none).
    void sentenceChanged();
    // topLine now names the spread of the sentence read next: it wants showing.
    void turnNeeded();

  private:
    enum class Phase { Off, Speaking, ParagraphPause, Paused };
    struct Layout
    {
        uint64_t textVersion = 0;
        int64_t charsPerLine = 0;
        int64_t linesPerPage = 0;
        int64_t lines = 0;
        friend bool operator==(const Layout &, const Layout &) = default;
    };

    Layout layout() const;
    void begin(const core::Sentence &first);
    void speak(const core::Sentence &sentence);
    // Reading goes on at `sentence` while it reads: at once, or on resuming a pause.
    void moveTo(const core::Sentence &sentence);
    void advance();
    void finish(StopReason reason, const QString &why = QString());
    void onSpoken(quint64 utterance);
    void onEngineFailed(const QString &message);
    void startSleepTimer();
    // Where the chapter of `from` ends, when the sleep timer waits for it.
    void measureChapter(const core::Sentence &from);

    core::ReaderState &m_state;
    EngineMaker m_makeEngine;
    std::unique_ptr<SpeechEngine> m_engine;
    std::function<int64_t(int64_t)> m_chapterEndAfter;
    SpeechSettings m_settings;
    Phase m_phase = Phase::Off;
    std::optional<core::Sentence> m_sentence;
    // The sentence read last and the text it belongs to, kept after a stop.
    std::optional<core::Sentence> m_lastSentence;
    uint64_t m_lastTextVersion = 0;
    Layout m_layout;
    quint64 m_utterance = 0;
    // Resuming a pause taken between paragraphs goes on with the next sentence.
    bool m_resumeWithNext = false;
    int m_sleepMinutes = kSleepOff;
    int64_t m_chapterEnd = -1;
    bool m_stopAfterSentence = false;
    QTimer m_paragraphPauseTimer;
    QTimer m_sleepTimer;
};

} // namespace tibbo::window
