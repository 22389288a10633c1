#include "readaloudcommands.h"

#include "bookchapters.h"
#include "bookview.h"
#include "dialogs.h"
#include "keyroute.h"
#include "mascotspeech.h"
#include "optionsstore.h"
#include "qtext.h"
#include "qtspeechengine.h"
#include "readaloudpanel.h"
#include "readermenus.h"
#include "readingcommands.h"
#include "readingmodes.h"
#include "screensaverinhibitor.h"
#include "scrollpanel.h"

#include "pages/pages.h"
#include "state/readerstate.h"

#include <QWidget>

namespace tibbo::window {

namespace {

ReadAloud::EngineMaker &engineMaker()
{
    static ReadAloud::EngineMaker maker = [] { return std::make_unique<QtSpeechEngine>(); };
    return maker;
}

} // namespace

void ReadAloudCommands::setEngineMaker(ReadAloud::EngineMaker maker)
{
    if (!maker)
        maker = [] { return std::make_unique<QtSpeechEngine>(); };
    engineMaker() = std::move(maker);
}

ReadAloudCommands::ReadAloudCommands(Parts parts, QWidget *window)
    : QObject(window), m_state(parts.state), m_bookView(parts.bookView),
      m_scrollPanel(parts.scrollPanel), m_panel(parts.panel), m_speech(parts.speech),
      m_menus(parts.menus), m_commands(parts.commands), m_modes(parts.modes),
      m_chapters(parts.chapters), m_keys(parts.keys), m_screen(parts.screen),
      m_options(parts.options), m_window(window),
      m_readAloud(parts.state, [] { return engineMaker()(); })
{
    m_readAloud.setParent(this);
    m_readAloud.setObjectName(QStringLiteral("readAloud"));
    m_readAloud.setChapterEnds(
        [this](int64_t offset) { return m_chapters.chapterEndAfter(offset); });
    connect(&m_readAloud, &ReadAloud::started, this, &ReadAloudCommands::onStarted);
    connect(&m_readAloud, &ReadAloud::stopped, this, &ReadAloudCommands::onStopped);
    connect(&m_readAloud, &ReadAloud::sentenceChanged, this, &ReadAloudCommands::showSentence);
    connect(&m_readAloud, &ReadAloud::turnNeeded, &m_commands, &ReadingCommands::showSpread);
    connect(&m_bookView, &BookView::spreadShown, &m_readAloud, &ReadAloud::onSpreadShown);

    // Each way of reading by itself ends the others.
    connect(&m_modes, &ReadingModes::autoTurningChanged, this, [this](bool on) {
        m_screen.set(ScreenSaverInhibitor::Reason::AutoTurning, on);
        if (on)
            m_readAloud.stop();
    });
    connect(&m_modes, &ReadingModes::speedTestStarted, &m_readAloud, &ReadAloud::stop);
    connect(&m_scrollPanel, &ScrollPanel::scrollingStarted, &m_readAloud, &ReadAloud::stop);

    connect(&m_menus, &ReaderMenus::readAloudChosen, this, &ReadAloudCommands::switchReading);
    connect(&m_menus, &ReaderMenus::pauseReadingChosen, this, &ReadAloudCommands::pauseOrResume);
    connect(&m_menus, &ReaderMenus::sleepTimerChosen, this, &ReadAloudCommands::setSleepTimer);
    connect(&m_menus, &ReaderMenus::readAloudSettingsChosen, this,
            &ReadAloudCommands::openSettings);
    connect(&m_panel, &ReadAloudPanel::accepted, this, [this] {
        const ReadAloudSettings chosen = m_panel.settings();
        m_options.setValue(options::kReadAloudVoice, chosen.speech.voice);
        m_options.setValue(options::kReadAloudRate, qRound(chosen.speech.rate * 10));
        m_options.setValue(options::kReadAloudPitch, qRound(chosen.speech.pitch * 10));
        m_options.setValue(options::kReadAloudVolume, qRound(chosen.speech.volume * 100));
        m_options.setValue(options::kParagraphPause, chosen.paragraphPause);
        m_options.setValue(options::kSleepTimer, chosen.sleepTimer);
        applySettings(chosen);
        emit menuCloseRequested();
    });
    connect(&m_panel, &ReadAloudPanel::cancelled, &m_panel, &QWidget::hide);
    loadSettings();
}

void ReadAloudCommands::loadSettings()
{
    ReadAloudSettings stored;
    stored.speech.voice = m_options.value(options::kReadAloudVoice);
    stored.speech.rate = m_options.value(options::kReadAloudRate) / 10.0;
    stored.speech.pitch = m_options.value(options::kReadAloudPitch) / 10.0;
    stored.speech.volume = m_options.value(options::kReadAloudVolume) / 100.0;
    stored.paragraphPause = m_options.value(options::kParagraphPause);
    stored.sleepTimer = m_options.value(options::kSleepTimer);
    applySettings(stored);
}

void ReadAloudCommands::applySettings(const ReadAloudSettings &settings)
{
    m_settings = settings;
    m_readAloud.setSettings(settings.speech);
    m_readAloud.setParagraphPause(settings.paragraphPause);
    if (m_readAloud.sleepTimer() != settings.sleepTimer)
        m_readAloud.setSleepTimer(settings.sleepTimer);
    m_menus.checkSleepTimer(settings.sleepTimer);
}

void ReadAloudCommands::switchReading()
{
    emit menuCloseRequested();
    if (m_readAloud.reading())
        return m_readAloud.stop();
    // The sentence read last in this book, when the spread on show still holds it.
    bool ok = false;
    const qlonglong kept =
        m_options.value(options::kReadAloudFrom, qs(m_state.bookPath)).toLongLong(&ok);
    if (ok && kept >= 0 && m_state.lineEndsFitText() &&
        core::spreadOfOffset(m_state, kept) == m_state.topLine)
        return m_readAloud.startAt(kept);
    m_readAloud.start();
}

void ReadAloudCommands::readFrom(int64_t offset)
{
    emit menuCloseRequested();
    m_readAloud.startAt(offset);
}

void ReadAloudCommands::pauseOrResume()
{
    m_readAloud.pauseOrResume();
    m_menus.showReadingAloud(m_readAloud.reading(), m_readAloud.paused());
}

void ReadAloudCommands::stop()
{
    m_readAloud.stop();
}

void ReadAloudCommands::openSettings()
{
    // The voices come from the engine's thread when it has them.
    SpeechEngine &engine = m_readAloud.engine();
    connect(&engine, &SpeechEngine::voicesFound, &m_panel, &ReadAloudPanel::setVoices,
            Qt::UniqueConnection);
    m_panel.open(m_settings);
    engine.findVoices();
}

void ReadAloudCommands::setSleepTimer(int choice)
{
    m_settings.sleepTimer = choice;
    m_options.setValue(options::kSleepTimer, choice);
    m_readAloud.setSleepTimer(choice);
    m_menus.checkSleepTimer(choice);
}

void ReadAloudCommands::onStarted()
{
    m_modes.stopForReadingAloud();
    m_scrollPanel.setScrolling(false);
    m_keys.setReadingAloud(true);
    m_screen.hold(ScreenSaverInhibitor::Reason::ReadingAloud);
    m_speech.takeBack(QStringLiteral("readingAloud"));
    m_menus.showReadingAloud(true, false);
}

void ReadAloudCommands::onStopped(ReadAloud::StopReason reason, const QString &why)
{
    m_keys.setReadingAloud(false);
    m_screen.release(ScreenSaverInhibitor::Reason::ReadingAloud);
    m_menus.showReadingAloud(false, false);
    keepPlace();
    // An engine that cannot speak is told plainly, with the package that gives it; the
    // other reasons are the mascot's to say.
    if (reason == ReadAloud::StopReason::EngineFailed)
        Dialogs::message(m_window, why);
    else if (!why.isEmpty())
        m_speech.say({why, {}, MascotSpeech::Goes::ByItself, QStringLiteral("readingAloud"), {}});
}

void ReadAloudCommands::keepPlace()
{
    if (const auto last = m_readAloud.lastSentence(); last && !m_state.bookPath.empty())
        m_options.setValue(options::kReadAloudFrom, qs(m_state.bookPath),
                           QString::number(last->begin));
}

void ReadAloudCommands::showSentence()
{
    const auto sentence = m_readAloud.sentence();
    std::vector<BookView::Range> ranges;
    if (sentence)
        ranges.push_back({sentence->begin, sentence->end});
    m_bookView.setMarks(TextMark::ReadAloud, std::move(ranges));
    if (sentence && m_scrollPanel.isVisible())
        m_scrollPanel.showParagraphRange(sentence->begin, sentence->end);
}

} // namespace tibbo::window
