// Reading aloud driven by a fake speech engine: where it starts, the spreads following
// the sentences, pause and resume, a page move by the reader, a re-flow, the sleep timer,
// the pause between paragraphs and an engine error.
#include "bookview.h"
#include "fakespeechengine.h"
#include "mascotspeech.h"
#include "readaloud.h"
#include "readaloudcommands.h"
#include "readaloudpanel.h"
#include "readingclock.h"
#include "voices.h"
#include "windowfixture.h"

#include "navigation/readaloud.h"
#include "navigation/readingplace.h"
#include "pages/pages.h"
#include "state/readerstate.h"
#include "text/headings.h"
#include "text/reflow.h"
#include "text/spreadmarks.h"

#include <QComboBox>
#include <QDateTime>
#include <QLabel>
#include <QMenu>
#include <QSignalSpy>
#include <QSlider>
#include <QTest>

using namespace tibbo;
using namespace tibbo::window;
using tibbo::window::test::FakeSpeechEngine;

namespace {

// Lines of ten characters, three a page: the spreads hold characters [0, 57), [57, 106)
// and [106, 117). Sentences of five characters: 甲 at 7, 乙 12, ... 癸 52 (the last on
// spread 1); 第二回 at 58 opens spread 2 and the second chapter; 子 66, ... 未 101, 申 106
// (the first on spread 3), 酉 111.
const std::u32string kBook = U"第一回　开篇^"
                             U"甲一二三。乙一二三。丙一二三。丁一二三。戊一二三。己一二三。"
                             U"庚一二三。辛一二三。壬一二三。癸一二三。^"
                             U"第二回　又一回^"
                             U"子一二三。丑一二三。寅一二三。卯一二三。辰一二三。巳一二三。"
                             U"午一二三。未一二三。申一二三。酉一二三。^";

// The reader state of the book laid out in lines of `charsPerLine`, three lines a page.
void layOut(core::ReaderState &state, int64_t charsPerLine)
{
    state.charsPerLine = charsPerLine;
    state.linesPerPage = 3;
    core::applyReflow(state, core::cutLines(state.paragraphText, charsPerLine));
}

struct Reading
{
    core::ReaderState state;
    FakeSpeechEngine *engine = nullptr;
    std::unique_ptr<ReadAloud> readAloud;
    std::vector<int64_t> topLineAtSay; // the spread on show as each sentence was given
    int turns = 0;

    Reading()
    {
        core::setParagraphText(state, core::BookText(kBook));
        layOut(state, 10);
        state.topLine = 1;
        readAloud = std::make_unique<ReadAloud>(state, [this] {
            auto made = std::make_unique<FakeSpeechEngine>();
            engine = made.get();
            engine->onSay = [this] { topLineAtSay.push_back(state.topLine); };
            return made;
        });
        // As the window does: a turn shows the spread, and every spread shown is reported.
        QObject::connect(readAloud.get(), &ReadAloud::turnNeeded, readAloud.get(), [this] {
            ++turns;
            readAloud->onSpreadShown();
        });
        const std::vector<core::Chapter> chapters = core::findChapters(state.paragraphText);
        readAloud->setChapterEnds([this, chapters](int64_t offset) {
            return core::chapterEndAfter(chapters, offset,
                                         static_cast<int64_t>(state.paragraphText.size()));
        });
    }
    // The reader turned to the spread starting at `topLine`.
    void readerShows(int64_t topLine)
    {
        state.topLine = topLine;
        readAloud->onSpreadShown();
    }
    QString lastSaid() const { return engine->said.back().text; }
};

// Lets a single-shot timer fire now and gives it back its interval.
void fireNow(QTimer *timer)
{
    const int interval = timer->interval();
    timer->start(0);
    QTRY_VERIFY(!timer->isActive() || timer->interval() != 0);
    timer->setInterval(interval);
}

// A book of two chapters of short sentences in paragraphs of three, for the window.
QString sentenceBook()
{
    QString text;
    for (int chapter = 1; chapter <= 2; ++chapter) {
        text += QStringLiteral("第%1章　开头\n").arg(chapter);
        for (int p = 0; p < 60; ++p) {
            text += QStringLiteral("　　");
            for (int k = 0; k < 3; ++k)
                text += QStringLiteral("第%1章第%2段的第%3句话说了一些事情。")
                            .arg(chapter)
                            .arg(p)
                            .arg(k);
            text += QLatin1Char('\n');
        }
    }
    return test::writeBook(QStringLiteral("readaloud.txt"), text);
}

// The window with a fake engine; `engine` is set once reading first needs it.
struct ReadingWindow
{
    FakeSpeechEngine *engine = nullptr;
    std::unique_ptr<ReaderWindow> window;

    explicit ReadingWindow(const QString &book = sentenceBook())
    {
        test::resetAppFolder();
        ReadAloudCommands::setEngineMaker([this] {
            auto made = std::make_unique<FakeSpeechEngine>();
            engine = made.get();
            return made;
        });
        window = test::startWindow(book);
    }
    ~ReadingWindow()
    {
        window.reset();
        ReadAloudCommands::setEngineMaker(nullptr);
    }
    ReadAloud &readAloud() const { return *test::part<ReadAloud>(window.get(), "readAloud"); }
    const core::ReaderState &state() const { return window->state(); }
    void key(Qt::Key key) const { QTest::keyClick(window.get(), key); }
    // The rows of the spread on show that carry a band.
    std::vector<int> bandedRows() const
    {
        std::vector<int> rows;
        for (int k = 0; k < 2 * state().linesPerPage; ++k)
            if (!test::line(window.get(), k)->bands().empty())
                rows.push_back(k);
        return rows;
    }
    void saveShot(const char *name) const
    {
        if (qEnvironmentVariableIsSet("TIBBO_SHOT"))
            window->grab().save(qEnvironmentVariable("TIBBO_SHOT") + QLatin1Char('-') +
                                QLatin1String(name) + QStringLiteral(".png"));
    }
};

} // namespace

class ReadAloudTest : public QObject
{
    Q_OBJECT
  private slots:
    void start_readsTheFirstSentenceBeginningOnTheSpread();
    void spreadTurnsBeforeTheSentenceOnTheNextIsSpoken();
    void pauseAndResume_sayTheSentenceAgain();
    void readersPageMove_readingFollowsIt();
    void reflow_keepsTheSentenceAndShowsItsSpread();
    void stopAndStartAgain_goesOnFromTheLastSentence();
    void startAt_readsTheSentenceOfACharacter();
    void paragraphPause_waitsBeforeTheNextParagraph();
    void sleepTimerAtChapterEnd_stopsBeforeTheNextChapter();
    void sleepTimerMinutes_stopsAfterTheSentenceBeingSpoken();
    void endOfBook_stops();
    void engineError_stopsAndSaysWhy();
    void staleSpokenReport_isIgnored();
    void voices_chineseFirstAndTheVoiceToUse();
    void tint_acrossLinesAndTheFold_inEveryTheme();
    void settingsPanel_givesBackWhatItShowed();
    void window_keysStartPauseAndStop();
    void window_readersPageMove_readingFollows();
    void window_autoTurningAndSpeedTest_excludeReadingAloud();
    void window_engineError_saysWhatIsMissingAndChangesNothingElse();
    void window_sleepTimerAtChapterEnd_mascotSaysWhy_placeKept();
    void window_tintAcrossTheFold_dayAndNight();
    void window_settings_keptInTheOptions();
    void window_spreadsReadAloud_areNotTheReadersReading();
};

void ReadAloudTest::start_readsTheFirstSentenceBeginningOnTheSpread()
{
    Reading r;
    r.state.topLine = 7;
    QSignalSpy started(r.readAloud.get(), &ReadAloud::started);
    r.readAloud->start();
    QCOMPARE(started.count(), 1);
    QVERIFY(r.readAloud->reading());
    // The heading is spoken as plain text, its U+3000 a blank.
    QCOMPARE(r.engine->texts(), QStringList{QStringLiteral("第二回 又一回")});
    QCOMPARE(r.state.topLine, 7);
}

void ReadAloudTest::spreadTurnsBeforeTheSentenceOnTheNextIsSpoken()
{
    Reading r;
    r.readAloud->start();
    QCOMPARE(r.lastSaid(), QStringLiteral("第一回 开篇"));
    while (r.lastSaid() != QStringLiteral("第二回 又一回"))
        r.engine->finishSentence();
    QCOMPARE(r.turns, 1);
    QCOMPARE(r.state.topLine, 7);
    QCOMPARE(r.topLineAtSay.back(), 7);
    QCOMPARE(r.engine->said[r.engine->said.size() - 2].text, QStringLiteral("癸一二三。"));
    QCOMPARE(r.topLineAtSay[r.topLineAtSay.size() - 2], 1);
    QCOMPARE(r.readAloud->sentence()->begin, 58);
}

void ReadAloudTest::pauseAndResume_sayTheSentenceAgain()
{
    Reading r;
    r.readAloud->start();
    r.engine->finishSentence();
    QCOMPARE(r.lastSaid(), QStringLiteral("甲一二三。"));
    const quint64 pausedId = r.engine->said.back().id;
    r.readAloud->pauseOrResume();
    QVERIFY(r.readAloud->paused());
    QVERIFY(!r.engine->speaking);
    // The silenced sentence's report moves nothing.
    emit r.engine->spoken(pausedId);
    QCOMPARE(r.engine->said.size(), size_t(2));
    r.readAloud->pauseOrResume();
    QVERIFY(!r.readAloud->paused());
    QCOMPARE(r.engine->said.size(), size_t(3));
    QCOMPARE(r.lastSaid(), QStringLiteral("甲一二三。"));
    r.engine->finishSentence();
    QCOMPARE(r.lastSaid(), QStringLiteral("乙一二三。"));
}

void ReadAloudTest::readersPageMove_readingFollowsIt()
{
    Reading r;
    r.readAloud->start();
    const int stops = r.engine->stops;
    r.readerShows(13);
    QVERIFY(r.engine->stops > stops);
    QCOMPARE(r.lastSaid(), QStringLiteral("申一二三。"));
    QCOMPARE(r.state.topLine, 13);
    // While paused the reading moves with the page and waits.
    r.readAloud->pauseOrResume();
    const size_t said = r.engine->said.size();
    r.readerShows(7);
    QCOMPARE(r.engine->said.size(), said);
    QCOMPARE(r.readAloud->sentence()->begin, 58);
    r.readAloud->pauseOrResume();
    QCOMPARE(r.lastSaid(), QStringLiteral("第二回 又一回"));
}

void ReadAloudTest::reflow_keepsTheSentenceAndShowsItsSpread()
{
    Reading r;
    r.state.topLine = 7;
    r.readAloud->start();
    QCOMPARE(r.lastSaid(), QStringLiteral("第二回 又一回"));
    const size_t said = r.engine->said.size();
    // Narrower lines put 第二回 on a later spread; the re-flow left the first on show.
    layOut(r.state, 4);
    r.state.topLine = 1;
    r.readAloud->onSpreadShown();
    QVERIFY(r.state.topLine > 1);
    QCOMPARE(r.state.topLine, core::spreadOfOffset(r.state, 58));
    QCOMPARE(r.turns, 1);
    // The sentence goes on being spoken: nothing is said anew.
    QCOMPARE(r.engine->said.size(), said);
    QCOMPARE(r.readAloud->sentence()->begin, 58);
}

void ReadAloudTest::stopAndStartAgain_goesOnFromTheLastSentence()
{
    Reading r;
    r.readAloud->start();
    for (int k = 0; k < 3; ++k)
        r.engine->finishSentence();
    QCOMPARE(r.lastSaid(), QStringLiteral("丙一二三。"));
    QSignalSpy stopped(r.readAloud.get(), &ReadAloud::stopped);
    r.readAloud->stop();
    QCOMPARE(stopped.count(), 1);
    QCOMPARE(stopped.first().at(1).toString(), QString());
    QVERIFY(!r.readAloud->sentence());
    r.readAloud->start();
    QCOMPARE(r.lastSaid(), QStringLiteral("丙一二三。"));
    // On another spread it starts there.
    r.readAloud->stop();
    r.state.topLine = 13;
    r.readAloud->start();
    QCOMPARE(r.lastSaid(), QStringLiteral("申一二三。"));
}

void ReadAloudTest::startAt_readsTheSentenceOfACharacter()
{
    Reading r;
    // 丁 is character 22: 丁一二三。 (22 .. 26).
    r.readAloud->startAt(24);
    QCOMPARE(r.lastSaid(), QStringLiteral("丁一二三。"));
    r.readAloud->startAt(34);
    QCOMPARE(r.lastSaid(), QStringLiteral("己一二三。"));
}

void ReadAloudTest::paragraphPause_waitsBeforeTheNextParagraph()
{
    Reading r;
    r.readAloud->setParagraphPause(1500);
    r.readAloud->start();
    auto *pause = r.readAloud->findChild<QTimer *>(QStringLiteral("paragraphPauseTimer"));
    QVERIFY(pause);
    // 第一回 开篇 ends its paragraph.
    r.engine->finishSentence();
    QVERIFY(pause->isActive());
    QCOMPARE(pause->interval(), 1500);
    QCOMPARE(r.engine->said.size(), size_t(1));
    fireNow(pause);
    QCOMPARE(r.lastSaid(), QStringLiteral("甲一二三。"));
    // Inside a paragraph no pause.
    r.engine->finishSentence();
    QVERIFY(!pause->isActive());
    QCOMPARE(r.lastSaid(), QStringLiteral("乙一二三。"));
}

void ReadAloudTest::sleepTimerAtChapterEnd_stopsBeforeTheNextChapter()
{
    Reading r;
    r.readAloud->setSleepTimer(ReadAloud::kSleepAtChapterEnd);
    QSignalSpy stopped(r.readAloud.get(), &ReadAloud::stopped);
    r.readAloud->start();
    while (r.readAloud->reading())
        r.engine->finishSentence();
    QCOMPARE(r.lastSaid(), QStringLiteral("癸一二三。"));
    QCOMPARE(stopped.count(), 1);
    QCOMPARE(stopped.first().at(1).toString(), QStringLiteral("这一章读完了，朗读停止。"));
    // The spread on show holds the last sentence read: that is the place kept.
    QCOMPARE(r.state.topLine, 1);
    // The next chapter read from its start stops at the end of the book.
    r.readerShows(7);
    r.readAloud->start();
    QCOMPARE(r.lastSaid(), QStringLiteral("第二回 又一回"));
    while (r.readAloud->reading())
        r.engine->finishSentence();
    QCOMPARE(stopped.last().at(1).toString(), QStringLiteral("这本书读完了。"));
}

void ReadAloudTest::sleepTimerMinutes_stopsAfterTheSentenceBeingSpoken()
{
    Reading r;
    r.readAloud->setSleepTimer(15);
    r.readAloud->start();
    auto *sleep = r.readAloud->findChild<QTimer *>(QStringLiteral("sleepTimer"));
    QVERIFY(sleep->isActive());
    QCOMPARE(sleep->interval(), 15 * 60 * 1000);
    QSignalSpy stopped(r.readAloud.get(), &ReadAloud::stopped);
    fireNow(sleep);
    QVERIFY(r.readAloud->reading());
    r.engine->finishSentence();
    QVERIFY(!r.readAloud->reading());
    QCOMPARE(r.engine->said.size(), size_t(1));
    QCOMPARE(stopped.first().at(1).toString(), QStringLiteral("定时15分钟到了，朗读停止。"));
}

void ReadAloudTest::endOfBook_stops()
{
    Reading r;
    r.state.topLine = 13;
    QSignalSpy stopped(r.readAloud.get(), &ReadAloud::stopped);
    r.readAloud->start();
    QCOMPARE(r.lastSaid(), QStringLiteral("申一二三。"));
    r.engine->finishSentence();
    QVERIFY(r.readAloud->reading());
    r.engine->finishSentence();
    QVERIFY(!r.readAloud->reading());
    QCOMPARE(stopped.first().at(1).toString(), QStringLiteral("这本书读完了。"));
}

void ReadAloudTest::engineError_stopsAndSaysWhy()
{
    Reading r;
    r.readAloud->start();
    r.engine->finishSentence();
    const int64_t topLine = r.state.topLine;
    QSignalSpy stopped(r.readAloud.get(), &ReadAloud::stopped);
    r.engine->fail(QStringLiteral("连接不上语音服务"));
    QVERIFY(!r.readAloud->reading());
    QCOMPARE(stopped.first().at(1).toString(), QStringLiteral("连接不上语音服务"));
    QCOMPARE(r.state.topLine, topLine);
    // A report of the failed sentence afterwards changes nothing.
    emit r.engine->spoken(r.engine->said.back().id);
    QVERIFY(!r.readAloud->reading());
}

// Regression: a report for a sentence left behind (a page move) must not skip the
// sentence read instead.
void ReadAloudTest::staleSpokenReport_isIgnored()
{
    Reading r;
    r.readAloud->start();
    const quint64 old = r.engine->said.back().id;
    r.readerShows(13);
    emit r.engine->spoken(old);
    QCOMPARE(r.lastSaid(), QStringLiteral("申一二三。"));
    QCOMPARE(r.engine->said.size(), size_t(2));
}

void ReadAloudTest::voices_chineseFirstAndTheVoiceToUse()
{
    const QLocale none(QLocale::C);
    // As speech-dispatcher lists espeak-ng's voices: Chinese ones with the C locale, each
    // with variants after a "+"; a voice an engine gives a real locale.
    const VoiceList voices = orderVoices({
        {QStringLiteral("English (America)"), QLocale(QLocale::English, QLocale::UnitedStates)},
        {QStringLiteral("Chinese (Cantonese)"), none},
        {QStringLiteral("Chinese (Mandarin, latin as English)+Adam"), none},
        {QStringLiteral("Afrikaans"), none},
        {QStringLiteral("Tingting"), QLocale(QLocale::Chinese, QLocale::China)},
        {QStringLiteral("Chinese (Mandarin, latin as English)"), none},
        {QStringLiteral("Hakka Chinese"), none},
    });
    const QStringList expected = {
        QStringLiteral("Tingting"),
        QStringLiteral("Chinese (Mandarin, latin as English)"),
        QStringLiteral("Chinese (Mandarin, latin as English)+Adam"),
        QStringLiteral("Chinese (Cantonese)"),
        QStringLiteral("Hakka Chinese"),
        QStringLiteral("English (America)"),
        QStringLiteral("Afrikaans"),
    };
    QCOMPARE(voices.names, expected);
    QCOMPARE(voices.chinese, 5);
    QCOMPARE(voiceToUse(voices, QString()), QStringLiteral("Tingting"));
    QCOMPARE(voiceToUse(voices, QStringLiteral("Afrikaans")), QStringLiteral("Afrikaans"));
    // A chosen voice that is gone (its package removed): the first Chinese one.
    QCOMPARE(voiceToUse(voices, QStringLiteral("Gone")), QStringLiteral("Tingting"));
    // Without a Chinese voice nothing is chosen for the reader.
    const VoiceList english = orderVoices({{QStringLiteral("English"), none}});
    QCOMPARE(english.chinese, 0);
    QCOMPARE(voiceToUse(english, QString()), QString());
    QCOMPARE(voiceToUse(english, QStringLiteral("English")), QStringLiteral("English"));
}

void ReadAloudTest::tint_acrossLinesAndTheFold_inEveryTheme()
{
    Reading r;
    BookView view(nullptr);
    view.resize(794, 488);
    view.setPageFont(BookView::designFont());
    view.showSpread(r.state);
    const auto bands = [&view](int row) {
        return view.findChild<LineLabel *>(QStringLiteral("line%1").arg(row))->bands();
    };
    // Rows 0 .. 2 are the left page, 3 .. 5 the right: [24, 29) runs from the end of row
    // 2 (characters 17 .. 26) over the fold to the start of row 3.
    view.setMarks(TextMark::ReadAloud, {{24, 29}});
    const QColor day = markColour(Theme::Day, TextMark::ReadAloud);
    QCOMPARE(bands(2), (std::vector<LineLabel::Band>{{7, 3, day}}));
    QCOMPARE(bands(3), (std::vector<LineLabel::Band>{{0, 2, day}}));
    QVERIFY(bands(1).empty());
    QVERIFY(bands(4).empty());
    // The band lies behind its characters: it starts after the row's first seven.
    auto *row2 = view.findChild<LineLabel *>(QStringLiteral("line2"));
    const QRectF band = row2->bandRect(7, 3);
    QVERIFY(band.left() > 0);
    QVERIFY(band.right() <= row2->width() + 0.5);
    QCOMPARE(band.height(), double(row2->height()));

    // Every theme has a band of its own colour, unlike its highlight of a chosen line.
    for (Theme theme : {Theme::Sepia, Theme::Night, Theme::Day}) {
        view.setTheme(theme);
        const QColor colour = markColour(theme, TextMark::ReadAloud);
        QCOMPARE(bands(2).front().colour, colour);
        QVERIFY(colour != coloursOf(theme).highlight);
        QVERIFY(colour.alpha() < 255);
    }
    // On the next spread the range is not on show; back on the first it is again.
    r.state.topLine = 7;
    view.showSpread(r.state);
    for (int row = 0; row < 6; ++row)
        QVERIFY(bands(row).empty());
    r.state.topLine = 1;
    view.showSpread(r.state);
    QCOMPARE(bands(3).size(), size_t(1));
    view.setMarks(TextMark::ReadAloud, {});
    QVERIFY(bands(2).empty() && bands(3).empty());
}

void ReadAloudTest::settingsPanel_givesBackWhatItShowed()
{
    ReadAloudPanel panel(nullptr);
    const VoiceList voices =
        orderVoices({{QStringLiteral("English"), QLocale(QLocale::C)},
                     {QStringLiteral("Chinese (Mandarin)"), QLocale(QLocale::C)}});
    ReadAloudSettings chosen;
    chosen.speech = {QStringLiteral("English"), -0.3, 0.7, 0.45};
    chosen.paragraphPause = 1500;
    chosen.sleepTimer = ReadAloud::kSleepAtChapterEnd;
    const ReadAloudSettings automatic; // the first Chinese voice, the engine's pace
    // A voice whose package was removed is kept, not changed behind the reader's back.
    ReadAloudSettings gone;
    gone.speech.voice = QStringLiteral("Removed voice");
    gone.sleepTimer = 90;
    for (const ReadAloudSettings &settings : {chosen, automatic, gone}) {
        panel.open(settings);
        // Before the engine's list has come, and after it.
        QCOMPARE(panel.settings(), settings);
        panel.setVoices(voices);
        QCOMPARE(panel.settings(), settings);
    }
    auto *voiceBox = panel.findChild<QComboBox *>(QStringLiteral("voiceBox"));
    // The automatic choice, the Chinese voice, a separator, the others, the missing one.
    QCOMPARE(voiceBox->itemText(1), QStringLiteral("Chinese (Mandarin)"));
    QCOMPARE(voiceBox->itemText(3), QStringLiteral("English"));
    QCOMPARE(voiceBox->itemData(4).toString(), QStringLiteral("Removed voice"));
    // Without any voice the panel says which package gives one.
    VoiceList none;
    none.problem = QStringLiteral("连接不上语音服务 speech-dispatcher");
    panel.setVoices(none);
    QCOMPARE(panel.findChild<CaptionLabel *>(QStringLiteral("voiceNote"))->caption(), none.problem);
}

void ReadAloudTest::window_keysStartPauseAndStop()
{
    ReadingWindow r;
    const int64_t topLine = r.state().topLine;
    r.key(Qt::Key_R);
    QVERIFY(r.readAloud().reading());
    QVERIFY(r.engine);
    QCOMPARE(r.engine->said.back().text, QStringLiteral("第1章 开头"));
    QCOMPARE(r.bandedRows(), std::vector<int>{0});
    r.engine->finishSentence();
    r.engine->finishSentence(); // after the pause between paragraphs
    test::stepTimer(test::part<QTimer>(r.window.get(), "paragraphPauseTimer"));
    QCOMPARE(r.engine->said.back().text, QStringLiteral("第1章第0段的第0句话说了一些事情。"));
    // Space pauses instead of turning, and resumes the sentence from its start.
    r.key(Qt::Key_Space);
    QVERIFY(r.readAloud().paused());
    QCOMPARE(r.state().topLine, topLine);
    const size_t said = r.engine->said.size();
    r.key(Qt::Key_Space);
    QCOMPARE(r.engine->said.size(), said + 1);
    QCOMPARE(r.engine->said.back().text, QStringLiteral("第1章第0段的第0句话说了一些事情。"));
    // Esc stops: the band goes, the page stays, Space turns pages again.
    r.key(Qt::Key_Escape);
    QVERIFY(!r.readAloud().reading());
    QVERIFY(r.bandedRows().empty());
    QCOMPARE(r.state().topLine, topLine);
    r.key(Qt::Key_Space);
    QVERIFY(r.state().topLine > topLine);
}

void ReadAloudTest::window_readersPageMove_readingFollows()
{
    ReadingWindow r;
    r.key(Qt::Key_R);
    r.key(Qt::Key_PageDown);
    const int64_t topLine = r.state().topLine;
    QVERIFY(topLine > 1);
    QVERIFY(r.readAloud().reading());
    const auto first = core::firstSentenceOnShow(r.state());
    QVERIFY(first);
    QCOMPARE(r.readAloud().sentence(), first);
    QCOMPARE(r.engine->said.back().text,
             QString::fromStdU32String(core::spokenText(r.state().paragraphText, *first)));
    QVERIFY(!r.bandedRows().empty());
    // The end of the book, then back to the first spread.
    r.key(Qt::Key_End);
    QCOMPARE(r.readAloud().sentence(), core::firstSentenceOnShow(r.state()));
    r.key(Qt::Key_Home);
    QCOMPARE(r.engine->said.back().text, QStringLiteral("第1章 开头"));
}

void ReadAloudTest::window_autoTurningAndSpeedTest_excludeReadingAloud()
{
    ReadingWindow r;
    auto *autoTurn = test::part<QTimer>(r.window.get(), "autoTurnTimer");
    auto *speedTest = test::part<QTimer>(r.window.get(), "speedTestTimer");
    QAction *autoTurnItem =
        test::menuItem(r.window.get(), "autoTurnMenu", QStringLiteral("自动翻页"));
    QAction *speedTestItem = test::part<QMenu>(r.window.get(), "autoTurnMenu")->actions().last();

    r.key(Qt::Key_R);
    autoTurnItem->trigger();
    QVERIFY(autoTurn->isActive());
    QVERIFY(!r.readAloud().reading());
    r.key(Qt::Key_R);
    QVERIFY(r.readAloud().reading());
    QVERIFY(!autoTurn->isActive());
    QVERIFY(!autoTurnItem->isChecked());

    speedTestItem->trigger();
    QVERIFY(speedTest->isActive());
    QVERIFY(!r.readAloud().reading());
    const double interval = r.state().autoTurnSeconds;
    r.key(Qt::Key_R);
    QVERIFY(r.readAloud().reading());
    // The test is called off: no result, no message, the menu as before it.
    QVERIFY(!speedTest->isActive());
    QCOMPARE(r.state().autoTurnSeconds, interval);
    QVERIFY(Dialogs::takeMessages().isEmpty());
    QCOMPARE(speedTestItem->text(), QStringLiteral("开始测试读速"));
    QVERIFY(autoTurnItem->isEnabled());
}

void ReadAloudTest::window_engineError_saysWhatIsMissingAndChangesNothingElse()
{
    ReadingWindow r;
    r.key(Qt::Key_R);
    r.engine->finishSentence();
    r.engine->finishSentence();
    const int64_t topLine = r.state().topLine;
    Dialogs::takeMessages();
    const QString problem =
        QStringLiteral("连接不上语音服务 speech-dispatcher，不能朗读。请安装 "
                       "speech-dispatcher 和 speech-dispatcher-espeak-ng 软件包。");
    r.engine->fail(problem);
    QCOMPARE(Dialogs::takeMessages(), QStringList{problem});
    QVERIFY(!r.readAloud().reading());
    QVERIFY(r.bandedRows().empty());
    QCOMPARE(r.state().topLine, topLine);
    // The keys are the pages' again.
    r.key(Qt::Key_Space);
    QVERIFY(r.state().topLine > topLine);
}

void ReadAloudTest::window_sleepTimerAtChapterEnd_mascotSaysWhy_placeKept()
{
    ReadingWindow r;
    test::menuItem(r.window.get(), "sleepTimerMenu", QStringLiteral("读完本章"))->trigger();
    // The spread of the first chapter's last sentence.
    const auto chapters = core::findChapters(r.state().paragraphText);
    QCOMPARE(chapters.size(), size_t(2));
    while (r.state().topLine < core::spreadOfOffset(r.state(), chapters[1].offset - 1))
        r.key(Qt::Key_PageDown);
    r.key(Qt::Key_R);
    auto *pause = test::part<QTimer>(r.window.get(), "paragraphPauseTimer");
    for (int k = 0; k < 2000 && r.readAloud().reading(); ++k) {
        if (pause->isActive())
            test::stepTimer(pause);
        else
            r.engine->finishSentence();
    }
    QVERIFY(!r.readAloud().reading());
    const QString last = r.engine->said.back().text;
    QCOMPARE(last, QStringLiteral("第1章第59段的第2句话说了一些事情。"));
    auto *note = test::part<MascotSpeech>(r.window.get(), "mascotSpeech");
    QVERIFY(note->isVisible());
    QCOMPARE(note->text(), QStringLiteral("这一章读完了，朗读停止。"));
    r.saveShot("note");
    // The spread on show holds the last sentence read, and the next start goes on from it.
    const auto lastSentence = r.readAloud().lastSentence();
    QVERIFY(lastSentence);
    QCOMPARE(r.state().topLine, core::spreadOfOffset(r.state(), lastSentence->begin));
    r.window->exitReader();
    QVERIFY(test::fileBytes(SessionFiles::folder() + QStringLiteral("/options.ini"))
                .contains(QByteArray::number(qlonglong(lastSentence->begin))));
}

void ReadAloudTest::window_tintAcrossTheFold_dayAndNight()
{
    ReadingWindow r;
    const core::ReaderState &state = r.state();
    const int64_t L = state.linesPerPage;
    // A sentence that runs from the left page's last row over to the right page's first.
    std::optional<core::Sentence> across;
    for (int64_t spread = 0; !across && spread < 40; ++spread) {
        for (auto s = core::firstSentenceOnShow(state); s && !across;
             s = core::sentenceAfter(state, *s)) {
            const auto runs = core::rowRunsOnShow(state, s->begin, s->end);
            if (runs.size() == 2 && runs[0].row == L - 1 && runs[1].row == L)
                across = s;
            if (runs.empty())
                break;
        }
        if (!across)
            r.key(Qt::Key_PageDown);
    }
    QVERIFY(across);
    r.readAloud().startAt(across->begin);
    QCOMPARE(r.readAloud().sentence(), across);
    QCOMPARE(r.bandedRows(), (std::vector<int>{int(L - 1), int(L)}));
    r.saveShot("fold-day");
    test::part<QMenu>(r.window.get(), "themeMenu")->actions()[2]->trigger();
    QCOMPARE(test::line(r.window.get(), int(L))->bands().front().colour,
             markColour(Theme::Night, TextMark::ReadAloud));
    r.saveShot("fold-night");
    test::part<QMenu>(r.window.get(), "themeMenu")->actions()[0]->trigger();
}

// Spreads turned while the book is read aloud were counted as the reader's own reading:
// they made a session and the reader's speed (at the speech engine's pace).
void ReadAloudTest::window_spreadsReadAloud_areNotTheReadersReading()
{
    ReadingClock::setForTests(QDateTime(QDate::currentDate(), QTime(12, 0)).toMSecsSinceEpoch());
    ReadingWindow r;
    r.key(Qt::Key_R);
    QVERIFY(r.readAloud().reading());
    for (int i = 0; i < 4; ++i) {
        ReadingClock::advanceForTests(40000);
        r.key(Qt::Key_PageDown);
    }
    r.key(Qt::Key_Escape);
    test::menuItem(r.window.get(), "autoTurnMenu", QStringLiteral("阅读统计"))->trigger();
    auto *today = test::part<QLabel>(r.window.get(), "statisticsToday");
    QTRY_VERIFY(!today->text().startsWith(QStringLiteral("正在读取")));
    ReadingClock::releaseForTests();
    QVERIFY2(today->text().startsWith(QStringLiteral("0分钟")), qPrintable(today->text()));
    QVERIFY2(test::part<QLabel>(r.window.get(), "statisticsSpeed")
                 ->text()
                 .startsWith(QStringLiteral("还不知道")),
             qPrintable(test::part<QLabel>(r.window.get(), "statisticsSpeed")->text()));
}

void ReadAloudTest::window_settings_keptInTheOptions()
{
    {
        ReadingWindow r;
        test::openMenu(r.window.get());
        test::menuItem(r.window.get(), "readAloudMenu", QStringLiteral("朗读设置..."))->trigger();
        auto *panel = test::part<ReadAloudPanel>(r.window.get(), "readAloudPanel");
        QVERIFY(panel->isVisible());
        r.engine->voices =
            orderVoices({{QStringLiteral("English"), QLocale(QLocale::C)},
                         {QStringLiteral("Chinese (Mandarin)"), QLocale(QLocale::C)}});
        r.engine->findVoices();
        test::part<QSlider>(r.window.get(), "rateSlider")->setValue(-4);
        test::part<QComboBox>(r.window.get(), "sleepBox")->setCurrentIndex(2);
        auto *voices = test::part<QComboBox>(r.window.get(), "voiceBox");
        voices->setCurrentIndex(voices->findData(QStringLiteral("Chinese (Mandarin)")));
        r.saveShot("settings");
        QTest::mouseClick(test::part(r.window.get(), "readAloudOk"), Qt::LeftButton);
        QVERIFY(!panel->isVisible());
        QVERIFY(!r.state().menuShown);
        QCOMPARE(r.engine->settings.voice, QStringLiteral("Chinese (Mandarin)"));
        QCOMPARE(r.engine->settings.rate, -0.4);
        QCOMPARE(r.readAloud().sleepTimer(), 30);
        r.window->exitReader();
    }
    // The next start reads them back.
    ReadAloudCommands::setEngineMaker([] { return std::make_unique<FakeSpeechEngine>(); });
    auto w = test::startWindow();
    auto *readAloud = test::part<ReadAloud>(w.get(), "readAloud");
    QCOMPARE(readAloud->sleepTimer(), 30);
    auto &engine = static_cast<FakeSpeechEngine &>(readAloud->engine());
    QCOMPARE(engine.settings.voice, QStringLiteral("Chinese (Mandarin)"));
    QCOMPARE(engine.settings.rate, -0.4);
    w.reset();
    ReadAloudCommands::setEngineMaker(nullptr);
}

QTEST_MAIN(ReadAloudTest)
#include "readaloud_test.moc"
