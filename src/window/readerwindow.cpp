#include "readerwindow.h"

#include "bookchapters.h"
#include "bookhighlights.h"
#include "bookloader.h"
#include "bookplaces.h"
#include "bookscript.h"
#include "booksearch.h"
#include "bookview.h"
#include "bookwayback.h"
#include "chapterpanel.h"
#include "chapterrulespanel.h"
#include "dialogs.h"
#include "dictionarysitepanel.h"
#include "entrylistpanel.h"
#include "keyroute.h"
#include "lookuppanel.h"
#include "manualguide.h"
#include "mascot.h"
#include "mascotnews.h"
#include "mascotspeech.h"
#include "menububble.h"
#include "menupanel.h"
#include "noteeditor.h"
#include "optionsstore.h"
#include "pageappearance.h"
#include "progresspanels.h"
#include "promptpanel.h"
#include "qtext.h"
#include "readaloudcommands.h"
#include "readaloudpanel.h"
#include "readermenus.h"
#include "readingcommands.h"
#include "readingmodes.h"
#include "readingpace.h"
#include "readingstatistics.h"
#include "reflowjob.h"
#include "screensaverinhibitor.h"
#include "scrollpanel.h"
#include "searchpanel.h"
#include "selectionmenu.h"
#include "sessionfiles.h"
#include "settingspanel.h"
#include "statisticspanel.h"
#include "textselection.h"
#include "trayicon.h"
#include "welcomepanel.h"
#include "widgets.h"
#include "windowchrome.h"
#include "wordlookup.h"

#include "navigation/bookinfo.h"
#include "settings/recentlist.h"
#include "settings/settingsindex.h"
#include "text/reflow.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFontDatabase>
#include <QMenu>
#include <QSessionManager>
#include <QTimer>

#include <cstdio>
#include <utility>

namespace tibbo::window {

void initResources();

namespace {

// The interface font becomes the application's before the window's base is built: a
// widget takes its font when it is made, and the captions the parts size in their
// constructors are then measured in the font they show. (Set later, the font reached
// them only from the event loop, after every caption had been sized in the platform's
// sans face, whose CJK fallback was loaded for that alone.)
QWidget *withInterfaceFont(QWidget *parent)
{
    QApplication::setFont(interfaceFont(QApplication::font()));
    return parent;
}

// What the reader does with the keyboard, the mouse or a dropped file.
bool isReaderInput(QEvent::Type type)
{
    switch (type) {
    case QEvent::KeyPress:
    case QEvent::ShortcutOverride:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::Wheel:
    case QEvent::ContextMenu:
    case QEvent::DragEnter:
    case QEvent::Drop:
        return true;
    default:
        return false;
    }
}

} // namespace

ReaderWindow::ReaderWindow(QWidget *parent)
    : QWidget(withInterfaceFont(parent), Qt::FramelessWindowHint)
{
    // The stored book is read meanwhile: with two cores its decode and the building of
    // the window take about the same time.
    m_settingsAhead = SessionFiles::readAhead();
    initResources();
    setObjectName(QStringLiteral("readerWindow"));
    setWindowTitle(QStringLiteral("TibboRead"));
    setWindowIcon(QIcon(QStringLiteral(":/art/app-icon.svg")));
    setFocusPolicy(Qt::StrongFocus);
    createParts();
    connectParts();
    connectMenus();
    connectKeys();
    // Close requests for the program's other windows (see eventFilter).
    qApp->installEventFilter(this);
}

ReaderWindow::~ReaderWindow()
{
    // The parts go out of sight when the window closes, and some act on the reader's state
    // as they do (the search box takes its marks off the pages): close it while the state
    // and the parts are all still there, not in QWidget's destructor after them.
    hide();
}

void ReaderWindow::createParts()
{
    m_options = std::make_unique<OptionsStore>(SessionFiles::optionsPath());
    m_bookView = new BookView(this);
    m_mascot = new Mascot(this);
    m_menuPanel = new MenuPanel(this);
    m_loadingPanel = new LoadingPanel(m_menuPanel);
    m_settingsPanel = new SettingsPanel(m_menuPanel);
    m_welcomePanel = new WelcomePanel(this);
    m_reflowNotice = new ReflowNotice(this);
    m_mascot->addBubblePanel(m_menuPanel, Mascot::BubblePlace::Middle);
    m_mascot->addBubblePanel(m_welcomePanel, Mascot::BubblePlace::TopLeft);
    m_mascot->addBubblePanel(m_reflowNotice, Mascot::BubblePlace::TopLeft);
    m_prompt = new PromptPanel(this);
    m_scrollPanel = new ScrollPanel(m_state, this);
    m_menus = new ReaderMenus(this);
    m_chrome = new WindowChrome(*this, m_state, this);
    // Before start-up, so a saved minimised state can go to the tray.
    m_tray = new TrayIcon(this);
    m_chrome->setTrayIcon(m_tray);
    m_modes = new ReadingModes(m_state, *m_menus, this);
    m_reflowJob = new ReflowJob(m_state, this);
    // The rows are set by the rules the lines were cut with.
    m_bookView->setCutRules([this]() -> const core::CutRules & { return m_reflowJob->cutRules(); });
    m_loader = new BookLoader(m_state, *m_loadingPanel, *m_options, this);
    m_commands = new ReadingCommands({m_state, *m_bookView, *m_prompt, *m_menus}, this);
    m_statistics = new ReadingStatistics(SessionFiles::statisticsPath(), this);
    auto *statisticsPanel = new StatisticsPanel(this);
    m_pace =
        new ReadingPace({m_state, *m_bookView, *m_options, *m_statistics, *statisticsPanel}, this);
    auto *chapterPanel = new ChapterPanel(this);
    auto *rulesPanel = new ChapterRulesPanel(this);
    auto *searchPanel = new SearchPanel(this);
    auto *searchListPanel = new EntryListPanel(QStringLiteral("searchResults"),
                                               EntryListPanel::Lines::TitleAndText, this);
    m_speech = new MascotSpeech(*m_mascot, *m_menuPanel, this);
    m_script = new BookScript({m_state, *m_options}, this);
    m_bookView->setDisplayText(
        [this]() -> const core::DisplayText & { return m_script->display(); });
    m_chapters = new BookChapters(
        {m_state, *m_bookView, *chapterPanel, *rulesPanel, *m_options, *m_script, *m_pace}, this);
    m_bubble = new MenuBubble({m_state, *m_mascot, *m_menuPanel, *m_welcomePanel, *m_reflowNotice,
                               *m_settingsPanel, *m_prompt, *m_scrollPanel, *m_chrome, *m_chapters,
                               *m_pace, *m_speech},
                              this);
    m_search = new BookSearch(
        {m_state, *m_bookView, *searchPanel, *searchListPanel, *m_chapters, *m_script}, this);
    // The buttons find as the keys do: in the whole of a book still loading.
    connect(searchPanel, &SearchPanel::searchRequested, this, [this](bool forward) {
        completeBook();
        m_search->find(forward);
    });
    connect(searchPanel, &SearchPanel::listRequested, this, whole(m_search, &BookSearch::openList));
    m_appearance = new PageAppearance({m_state, *m_bookView, *m_settingsPanel, *m_scrollPanel,
                                       *m_mascot, *m_speech, *m_menus, *m_options},
                                      this);
    m_session = new SessionFiles({m_state, *m_chrome}, this);
    m_guide = new ManualGuide({m_state, *m_menuPanel, *m_welcomePanel, *m_session}, this);
    m_places = new BookPlaces(
        {m_state, *m_bookView, *m_loader, *m_reflowJob, *m_options, *m_chapters}, this);
    m_wayBack = new BookWayBack(m_state, *m_bookView, this);
    m_news =
        new MascotNews({m_state, *m_speech, *m_bookView, *m_chapters, *m_pace, *m_commands}, this);
    m_selectionMenu = new SelectionMenu(this);
    m_selection = new TextSelection(
        {m_state, *m_bookView, *m_selectionMenu, *m_commands, *m_reflowJob}, this);
    // The panels over the pages, each with the keys it takes.
    m_keys = new KeyRoute(*this);
    m_keys->addPanel(m_prompt, keys::Scope::Prompt);
    m_keys->addPanel(searchPanel, keys::Scope::Search);
    m_keys->addPanel(chapterPanel, keys::Scope::ChapterList);
    m_keys->addPanel(searchListPanel, keys::Scope::PlaceList);
    m_keys->addPanel(rulesPanel, keys::Scope::ChapterRules);
    m_keys->addPanel(m_scrollPanel, keys::Scope::ScrollMode);
    m_keys->addPanel(statisticsPanel, keys::Scope::Statistics);
    auto *lookUpPanel = new LookUpPanel(this);
    m_keys->addPanel(lookUpPanel, keys::Scope::LookUp);
    auto *sitePanel = new DictionarySitePanel(this);
    m_keys->addPanel(sitePanel, keys::Scope::LookUp);
    m_lookUp = new WordLookUp({*lookUpPanel, *sitePanel, *m_options}, this);
    auto *noteEditor = new NoteEditor(this);
    m_keys->addPanel(noteEditor, keys::Scope::NoteEditor);
    auto *highlightList =
        new EntryListPanel(QStringLiteral("highlightList"), EntryListPanel::Lines::WithNote, this);
    m_keys->addPanel(highlightList, keys::Scope::HighlightList);
    m_highlights = new BookHighlights(
        {m_state, *m_bookView, *m_loader, *m_reflowJob, *m_chapters, *noteEditor, *highlightList},
        this);
    m_selection->setHighlightFinder(
        [this](core::TextSpan span) { return m_highlights->holding(span); });
    m_screen = new ScreenSaverInhibitor(this);
    auto *readAloudPanel = new ReadAloudPanel(m_menuPanel);
    m_readAloud = new ReadAloudCommands({m_state, *m_bookView, *m_scrollPanel, *readAloudPanel,
                                         *m_speech, *m_menus, *m_commands, *m_modes, *m_chapters,
                                         *m_keys, *m_screen, *m_options},
                                        this);
    m_desktop =
        new DesktopControls({*this, m_state, *m_bookView, *m_keys, *m_chrome, *m_commands,
                             [this] { return isIdle(); }, [this] { return m_selection->clear(); }},
                            this);
    m_titleUpdate = new QTimer(this);
    m_titleUpdate->setInterval(0);
    m_titleUpdate->setSingleShot(true);
    // Looks every few milliseconds whether the rest of settings.ini has been read.
    m_restoreTimer = new QTimer(this);
    m_restoreTimer->setInterval(4);
    connect(m_restoreTimer, &QTimer::timeout, this, [this] {
        if (m_restorePending &&
            m_settingsAhead.whole.wait_for(std::chrono::seconds(0)) == std::future_status::ready)
            finishRestore();
    });
}

void ReaderWindow::connectParts()
{
    connect(m_mascot, &Mascot::pressed, m_chrome, &WindowChrome::grab);
    connect(m_mascot, &Mascot::dragged, m_chrome, &WindowChrome::drag);
    connect(m_mascot, &Mascot::released, m_bubble, &MenuBubble::onMascotReleased);
    connect(m_bubble, &MenuBubble::layoutNeeded, this, &ReaderWindow::layOut);

    MenuPanel *menu = m_menuPanel;
    connect(menu, &MenuPanel::openRequested, this, &ReaderWindow::chooseOpenFile);
    connect(menu, &MenuPanel::recentMenuRequested, m_menus, &ReaderMenus::popUpRecent);
    connect(menu, &MenuPanel::addBookmarkRequested, m_commands, &ReadingCommands::addBookmark);
    connect(menu, &MenuPanel::bookmarkMenuRequested, m_menus, &ReaderMenus::popUpBookmarks);
    connect(menu, &MenuPanel::autoTurnPictureClicked, m_modes, &ReadingModes::switchByPicture);
    connect(menu, &MenuPanel::autoTurnCaptionPressed, m_modes, &ReadingModes::switchByCaption);
    connect(menu, &MenuPanel::autoTurnMenuRequested, m_menus, &ReaderMenus::popUpAutoTurn);
    connect(menu, &MenuPanel::settingsRequested, m_appearance, &PageAppearance::openSettingsPanel);
    connect(menu, &MenuPanel::sizeMenuRequested, m_appearance, &PageAppearance::popUpSizeMenu);
    connect(menu, &MenuPanel::fullScreenRequested, m_chrome, &WindowChrome::toggleFullScreen);
    connect(menu, &MenuPanel::manualRequested, this, whole(m_guide, &ManualGuide::onManualCommand));
    connect(menu, &MenuPanel::exitRequested, this, &ReaderWindow::exitReader);
    connect(menu, &MenuPanel::chapterListRequested, this,
            whole(m_chapters, &BookChapters::openList));
    connect(menu, &MenuPanel::searchRequested, this, whole(m_search, &BookSearch::open));
    connect(menu, &MenuPanel::readAloudRequested, this,
            whole(m_readAloud, &ReadAloudCommands::switchReading));
    connect(menu, &MenuPanel::readAloudMenuRequested, m_menus, &ReaderMenus::popUpReadAloud);
    connect(m_readAloud, &ReadAloudCommands::menuCloseRequested, m_bubble, &MenuBubble::close);
    connect(m_chapters, &BookChapters::menuCloseRequested, m_bubble, &MenuBubble::close);
    connect(m_chapters, &BookChapters::chaptersChanged, m_titleUpdate, qOverload<>(&QTimer::start));
    connect(m_chapters, &BookChapters::problemToTell, this, &ReaderWindow::tellChapterProblem);
    connect(menu, &MenuPanel::scriptMenuRequested, this, [this] {
        m_menus->checkScript(m_script->mode());
        m_menus->popUpScript();
    });
    connect(m_script, &BookScript::modeChanged, this, &ReaderWindow::onScriptChanged);
    connect(m_script, &BookScript::conversionOffered, this, &ReaderWindow::offerConversion);
    connect(m_loader, &BookLoader::encodingChanged, m_script, &BookScript::onEncodingChanged);
    connect(m_search, &BookSearch::menuCloseRequested, m_bubble, &MenuBubble::close);
    connect(m_menus, &ReaderMenus::statisticsChosen, m_pace, &ReadingPace::showStatistics);
    connect(m_pace, &ReadingPace::menuCloseRequested, m_bubble, &MenuBubble::close);
    m_pace->setReadingAloud([this] { return m_readAloud->readAloud().reading(); });
    m_modes->setSpeedTestReport([this](int64_t characters, double seconds) {
        return m_pace->takeSpeedTest(characters, seconds);
    });

    // Every jump remembers where the reader was; the way back goes there.
    connect(m_chapters, &BookChapters::jumped, m_wayBack, &BookWayBack::remember);
    connect(m_search, &BookSearch::jumped, m_wayBack, &BookWayBack::remember);
    connect(m_commands, &ReadingCommands::jumped, m_wayBack, &BookWayBack::remember);
    connect(m_news, &MascotNews::jumped, m_wayBack, &BookWayBack::remember);
    connect(m_menus, &ReaderMenus::wayBackChosen, m_wayBack, &BookWayBack::goBack);
    connect(m_wayBack, &BookWayBack::wayBackChanged, m_menus, &ReaderMenus::setWayBackEnabled);
    connect(m_wayBack, &BookWayBack::menuCloseRequested, m_bubble, &MenuBubble::close);

    // What Tibbo says by itself: a book that changed, and the recap after a while away.
    connect(m_places, &BookPlaces::placeRestored, m_news, &MascotNews::onPlaceRestored);
    connect(m_places, &BookPlaces::bookChanged, m_news, &MascotNews::onBookChanged);
    connect(m_places, &BookPlaces::bookmarksMoved, m_commands,
            &ReadingCommands::refreshBookmarkMenu);
    connect(m_speech, &MascotSpeech::layoutNeeded, this, &ReaderWindow::layOut);
    connect(m_selection, &TextSelection::menuCloseRequested, m_bubble, &MenuBubble::close);
    // Before the re-flow that follows the whole book, so the spread it shows keeps the
    // selection made in the book's first part.
    connect(m_loader, &BookLoader::textCompleted, m_selection, &TextSelection::onTextCompleted);
    connect(m_selection, &TextSelection::lookUpRequested, m_lookUp, &WordLookUp::lookUp);
    connect(m_lookUp, &WordLookUp::menuCloseRequested, m_bubble, &MenuBubble::close);
    connect(m_settingsPanel, &SettingsPanel::dictionarySiteRequested, m_lookUp,
            &WordLookUp::chooseSite);
    // Searching and reading aloud need the whole book; the part on show is its start, so
    // the selection's offsets hold in the whole book too.
    connect(m_selection, &TextSelection::searchRequested, this, [this](const QString &words) {
        completeBook();
        m_search->openWith(words);
    });
    // Highlights and notes are kept in the whole book, where their anchors are taken.
    connect(m_selection, &TextSelection::highlightRequested, this,
            [this](core::TextSpan span, int colour) {
                completeBook();
                m_highlights->highlight(span, colour);
            });
    connect(m_selection, &TextSelection::noteRequested, this, [this](core::TextSpan span) {
        completeBook();
        m_highlights->editNote(span);
    });
    connect(m_selection, &TextSelection::deleteHighlightRequested, m_highlights,
            &BookHighlights::remove);
    connect(m_highlights, &BookHighlights::saveFailed, this,
            [this](const QString &path, int error) {
                Dialogs::message(this, SessionFiles::writeFailureText(path, error));
            });
    connect(m_highlights, &BookHighlights::fileDamaged, this,
            [this](const QString &path, const QString &keptAs) {
                Dialogs::message(
                    this,
                    keptAs.isEmpty()
                        ? QStringLiteral("这本书的划线和笔记文件有损坏，也没能另存一份：\n%1\n"
                                         "能读出来的已经读出；这次不会改写这个文件。")
                              .arg(path)
                        : QStringLiteral("这本书的划线和笔记文件有损坏，能读出来的已经读出。"
                                         "原来的文件另存为：\n%1")
                              .arg(keptAs));
            });
    // Highlights a changed book no longer holds are kept; the reader is told where they are.
    connect(m_highlights, &BookHighlights::reanchored, this, [this](int, int lost) {
        if (lost > 0)
            Dialogs::message(
                this, QStringLiteral("这本书的内容变了，有 %1 条划线或笔记没有找到原来的位置。"
                                     "它们都还留着，在「划线和笔记」列表里(H 键)标着「未找到」。")
                          .arg(lost));
    });
    connect(m_highlights, &BookHighlights::jumped, m_wayBack, &BookWayBack::remember);
    connect(m_highlights, &BookHighlights::menuCloseRequested, m_bubble, &MenuBubble::close);
    connect(m_highlights, &BookHighlights::exported, this, [this](const QString &path) {
        Dialogs::message(this, QStringLiteral("划线和笔记已导出到：\n%1").arg(path));
    });
    connect(m_menus, &ReaderMenus::highlightListChosen, m_highlights, &BookHighlights::openList);
    connect(m_selection, &TextSelection::readAloudRequested, this, [this](int64_t offset) {
        completeBook();
        m_readAloud->readFrom(offset);
    });
    // The title names the chapter, and the first look for chapters reads the whole book:
    // it follows the paint of the spread instead of holding it up.
    connect(m_bookView, &BookView::spreadShown, m_titleUpdate, qOverload<>(&QTimer::start));
    connect(m_titleUpdate, &QTimer::timeout, this, &ReaderWindow::updateTitle);
    connect(m_welcomePanel, &WelcomePanel::startRequested, m_guide, &ManualGuide::onWelcomeStart);
    connect(m_guide, &ManualGuide::openBookRequested, this, &ReaderWindow::openBook);
    connect(m_guide, &ManualGuide::reflowRequested, this, &ReaderWindow::reflow);
    connect(m_guide, &ManualGuide::menuRequested, m_bubble, &MenuBubble::show);
    connect(m_guide, &ManualGuide::menuCloseRequested, m_bubble, &MenuBubble::close);
    connect(m_guide, &ManualGuide::welcomeRequested, m_bubble, &MenuBubble::showWelcome);
    connect(m_guide, &ManualGuide::recentChanged, this, &ReaderWindow::refreshRecentMenu);

    connect(m_appearance, &PageAppearance::reflowRequested, this, &ReaderWindow::reflow);
    connect(m_appearance, &PageAppearance::saveRequested, this, &ReaderWindow::saveSession);
    connect(m_appearance, &PageAppearance::menuCloseRequested, m_bubble, &MenuBubble::close);

    connect(m_scrollPanel, &ScrollPanel::closed, this, qOverload<>(&QWidget::setFocus));

    connect(m_chrome, &WindowChrome::fullScreenChanged, m_menuPanel, &MenuPanel::showFullScreen);
    connect(m_chrome, &WindowChrome::fullScreenChanged, this, &ReaderWindow::onFullScreenChanged);
    connect(m_chrome, &WindowChrome::resizeFinished, this, &ReaderWindow::reflow);
    connect(m_chrome, &WindowChrome::sizeSettled, this, &ReaderWindow::reflowIfOutdated);
    connect(m_tray, &TrayIcon::showRequested, m_chrome, &WindowChrome::showFromTray);
    connect(m_tray, &TrayIcon::menuRequested, m_menus, &ReaderMenus::popUpTray);

    connect(m_modes, &ReadingModes::spreadTurned, m_commands, &ReadingCommands::showSpread);
    connect(m_modes, &ReadingModes::menuCloseDue, m_bubble, &MenuBubble::closeUnderScrollMode);
    connect(m_modes, &ReadingModes::autoTurnCaptionChanged, m_menuPanel,
            &MenuPanel::setAutoTurnCaption);

    connect(m_reflowJob, &ReflowJob::started, m_bubble, &MenuBubble::showReflowNotice);
    connect(m_reflowJob, &ReflowJob::progress, m_reflowNotice, &ReflowNotice::setProgress);
    connect(m_reflowJob, &ReflowJob::finished, this, &ReaderWindow::onReflowFinished);
    connect(m_session, &SessionFiles::pageSettingsRead, m_appearance,
            &PageAppearance::restorePageSettings);
    connect(m_session, &SessionFiles::bookmarksRestored, m_commands,
            &ReadingCommands::refreshBookmarkMenu);
    connect(m_session, &SessionFiles::recentRestored, this, &ReaderWindow::refreshRecentMenu);
    connect(m_session, &SessionFiles::scrollSpeedRestored, m_scrollPanel, &ScrollPanel::setSpeed);
    connect(m_loader, &BookLoader::loadStarted, m_bubble, &MenuBubble::show);
    connect(m_loader, &BookLoader::textReplaced, this, &ReaderWindow::onTextReplaced);
    connect(m_loader, &BookLoader::textCompleted, this, &ReaderWindow::reflow);
    connect(m_loader, &BookLoader::recentChanged, this, &ReaderWindow::refreshRecentMenu);
    connect(m_loader, &BookLoader::loadEnded, m_bubble, &MenuBubble::close);

    connect(m_commands, &ReadingCommands::menuRequested, m_bubble, &MenuBubble::showOrWelcome);
    connect(m_commands, &ReadingCommands::menuCloseRequested, m_bubble, &MenuBubble::close);
    connect(m_desktop, &DesktopControls::menuCloseRequested, m_bubble, &MenuBubble::close);
    connect(m_desktop, &DesktopControls::bookDropped, this, &ReaderWindow::openBook);
    // Every way out writes the settings file, also the end of the desktop session.
    connect(qApp, &QGuiApplication::commitDataRequest, this, &ReaderWindow::saveForSessionEnd);
}

void ReaderWindow::connectMenus()
{
    ReaderMenus *menus = m_menus;
    connect(menus, &ReaderMenus::recentChosen, this, &ReaderWindow::openRecent);
    connect(menus, &ReaderMenus::addBookmarkChosen, m_commands, &ReadingCommands::addBookmark);
    connect(menus, &ReaderMenus::bookmarkChosen, this, [this](int index) {
        completeBook();
        m_commands->jumpToBookmark(index);
    });
    connect(menus, &ReaderMenus::goToPageChosen, this,
            whole(m_commands, &ReadingCommands::askForPage));
    connect(menus, &ReaderMenus::fontSizeChosen, m_appearance, &PageAppearance::setFontSize);
    connect(menus, &ReaderMenus::autoTurnChosen, m_modes, &ReadingModes::switchByMenu);
    connect(menus, &ReaderMenus::scrollModeChosen, this, &ReaderWindow::openScrollMode);
    connect(menus, &ReaderMenus::intervalChosen, m_commands, &ReadingCommands::askForInterval);
    connect(menus, &ReaderMenus::speedTestChosen, m_modes, &ReadingModes::switchSpeedTest);
    connect(menus, &ReaderMenus::openChosen, this, &ReaderWindow::openFromTray);
    connect(menus, &ReaderMenus::settingsChosen, this, &ReaderWindow::openSettingsFromTray);
    connect(menus, &ReaderMenus::exitChosen, this, &ReaderWindow::exitReader);
    connect(menus, &ReaderMenus::encodingChosen, m_loader, &BookLoader::reopenInEncoding);
    connect(menus, &ReaderMenus::scriptChosen, m_script, &BookScript::setMode);
    connect(m_loader, &BookLoader::encodingChanged, menus, &ReaderMenus::checkEncoding);
    // The settings panel chooses the encoding as the menu does; the book opens again with
    // the bubble closed, as after the menu.
    connect(m_settingsPanel, &SettingsPanel::encodingChosen, this, [this](const QString &name) {
        m_bubble->close();
        m_loader->reopenInEncoding(name);
    });
    connect(m_loader, &BookLoader::encodingChanged, m_settingsPanel, &SettingsPanel::setEncoding);
}

// What each command of the key table (keymap.cpp) runs.
void ReaderWindow::connectKeys()
{
    using core::PageCommand;
    using keys::Command;
    KeyRoute *keys = m_keys;
    keys->bind(Command::NextSpread, [this] { m_commands->run(PageCommand::NextSpread); });
    keys->bind(Command::PreviousSpread, [this] { m_commands->run(PageCommand::PreviousSpread); });
    keys->bind(Command::FirstSpread, [this] { m_commands->run(PageCommand::FirstSpread); });
    keys->bind(Command::LastSpread, [this] {
        completeBook();
        m_commands->run(PageCommand::LastSpread);
    });
    keys->bind(Command::NextChapter, whole(m_chapters, &BookChapters::showNext));
    keys->bind(Command::PreviousChapter, whole(m_chapters, &BookChapters::showPrevious));
    keys->bind(Command::ChapterList, whole(m_chapters, &BookChapters::openList));
    keys->bind(Command::Search, whole(m_search, &BookSearch::open));
    keys->bind(Command::FindNext, whole(m_search, &BookSearch::findNext));
    keys->bind(Command::FindPrevious, whole(m_search, &BookSearch::findPrevious));
    keys->bind(Command::SearchList, whole(m_search, &BookSearch::openList));
    keys->bind(Command::OpenBook, this, &ReaderWindow::chooseOpenFile);
    keys->bind(Command::AddBookmark, m_commands, &ReadingCommands::addBookmark);
    keys->bind(Command::GoToPage, whole(m_commands, &ReadingCommands::askForPage));
    keys->bind(Command::GoBack, m_wayBack, &BookWayBack::goBack);
    keys->bind(Command::GoForward, m_wayBack, &BookWayBack::goForward);
    keys->bind(Command::Copy, m_selection, &TextSelection::copy);
    keys->bind(Command::ConfirmPrompt, whole(m_commands, &ReadingCommands::confirmPrompt));
    keys->bind(Command::ScrollRowUp, [this] { m_scrollPanel->scrollRows(-1); });
    keys->bind(Command::ScrollRowDown, [this] { m_scrollPanel->scrollRows(1); });
    keys->bind(Command::ScrollPageUp, [this] { m_scrollPanel->scrollPages(-1); });
    keys->bind(Command::ScrollPageDown, [this] { m_scrollPanel->scrollPages(1); });
    keys->bind(Command::ScrollToStart, m_scrollPanel, &ScrollPanel::scrollToStart);
    keys->bind(Command::ScrollToEnd, m_scrollPanel, &ScrollPanel::scrollToEnd);
    keys->bind(Command::FullScreen, m_chrome, &WindowChrome::toggleFullScreen);
    keys->bind(Command::CloseTopmost, [this] { m_desktop->escape(); });
    keys->bind(Command::ReadAloud, whole(m_readAloud, &ReadAloudCommands::switchReading));
    keys->bind(Command::PauseReadingAloud, m_readAloud, &ReadAloudCommands::pauseOrResume);
    keys->bind(Command::StopReadingAloud, m_readAloud, &ReadAloudCommands::stop);
    keys->bind(Command::LargerFont, [this] { m_appearance->stepFontSize(true); });
    keys->bind(Command::SmallerFont, [this] { m_appearance->stepFontSize(false); });
    keys->bind(Command::NextTheme, m_appearance, &PageAppearance::nextTheme);
    keys->bind(Command::HighlightList, m_highlights, &BookHighlights::openList);
}

QFont ReaderWindow::pageFont() const
{
    return m_bookView->pageFont();
}

bool ReaderWindow::isIdle() const
{
    return m_started && !m_state.loadingBusy && !m_reflowJob->running();
}

bool ReaderWindow::showsSpread() const
{
    return showsStoredSpread() ||
           (m_started && m_state.lineEndsFitText() && !m_reflowJob->running());
}

// ---- start-up and exit -------------------------------------------------------------

void ReaderWindow::start(const QString &bookArgument)
{
    // From inside the event loop, so a close request during start-up is handled in order.
    QTimer::singleShot(0, this, [this, bookArgument] { runStartUp(bookArgument); });
}

void ReaderWindow::runStartUp(const QString &bookArgument)
{
    if (m_exited)
        return;
    m_folderUsable = SessionFiles::prepareFolder();
    if (!m_folderUsable)
        Dialogs::message(this, SessionFiles::folderProblem());
    m_statistics->setEnabled(m_folderUsable);
    m_chrome->centreDefaultGeometry();
    m_chrome->moveToNormalGeometry();
    // The preview starts as the page font, so the settings panel shows what the page uses.
    m_settingsPanel->setPreviewFont(pageFont());
    m_appearance->restoreOptions();
    layOut();
    if (m_folderUsable)
        m_highlights->setFolder(SessionFiles::folder());
    // With a matching index the saved spread is shown from the part of settings.ini that
    // holds it, and the rest is read behind it (finishRestore).
    std::optional<core::SettingsExcerpt> excerpt;
    if (SessionFiles::hasSettings()) {
        excerpt = m_settingsAhead.excerpt.get();
        if (excerpt) {
            m_session->restoreAllButBook(excerpt->values);
        } else {
            m_session->restore(m_settingsAhead.whole.get());
            m_highlights->takeBook();
        }
    } else if (m_folderUsable) {
        m_state.welcomeMode = true;
    }
    if (!m_chrome->fullScreen())
        m_chrome->moveToNormalGeometry();
    m_settingsPanel->fill({m_state.lineSpacing, m_state.topMargin, m_state.bottomMargin,
                           m_state.leftMargin, m_state.rightMargin});
    const QCursor hand = commandCursor();
    m_menuPanel->setCommandCursor(hand);
    m_welcomePanel->setCommandCursor(hand);
    if (excerpt) {
        m_restorePending = true;
        m_pendingBookArgument = bookArgument;
        // The reader may act on the stored spread at once (finishRestore runs then).
        if (!bookArgument.isEmpty() || !showStoredSpread(*excerpt))
            finishRestore();
        else if (m_restorePending && !m_exited)
            m_restoreTimer->start();
        return;
    }
    finishStartUp(bookArgument);
}

bool ReaderWindow::showStoredSpread(const core::SettingsExcerpt &excerpt)
{
    m_bookView->measureCapacity(m_state);
    // Fine typesetting and another script need the whole book to set a row.
    if (m_state.fineTypesetting || m_script->mode() != core::ScriptMode::Original ||
        excerpt.values.linesPerPage != m_state.linesPerPage)
        return false;
    m_storedSpreadState = std::make_unique<core::ReaderState>(core::excerptState(excerpt, m_state));
    // Lines cut for another width are cut again once the book is whole: the stored
    // spread would not be the one shown then.
    if (!core::lineListMatchesCapacity(*m_storedSpreadState)) {
        m_storedSpreadState.reset();
        return false;
    }
    m_bookView->showStoredSpread(*m_storedSpreadState,
                                 core::excerptSpread(excerpt, *m_storedSpreadState));
    return true;
}

void ReaderWindow::finishRestore()
{
    if (!m_restorePending)
        return;
    m_restorePending = false;
    m_restoreTimer->stop();
    // An exit on the stored spread saved nothing: the files stay as they were.
    if (m_exited)
        return;
    // The rest of settings.ini is read on the read-ahead thread; this waits for what is
    // left of it, without running events meanwhile.
    m_session->restoreBook(m_settingsAhead.whole.get());
    m_highlights->takeBook();
    finishStartUp(m_pendingBookArgument);
}

void ReaderWindow::finishStartUp(const QString &bookArgument)
{
    m_started = true;
    // A reader back at their own book after a while gets a recap once it is on show.
    m_recapDue = SessionFiles::hasSettings() && core::hasOwnBook(m_state.recent) &&
                 bookArgument.isEmpty() && !m_state.bookPath.empty() &&
                 qs(m_state.bookPath) != SessionFiles::manualPath();
    m_bookView->measureCapacity(m_state);
    m_reflowJob->requestUnlessStoredFits();
    refreshRecentMenu();
    // Without its folder the reader has no manual file: the book it was given, or the
    // help text that ships inside it, is shown instead.
    if (!core::hasOwnBook(m_state.recent) && m_folderUsable)
        openBook(SessionFiles::manualPath());
    else if (!m_folderUsable && bookArgument.isEmpty())
        m_guide->showHelpText();
    // A first start keeps the welcome panel open in the bubble over the manual.
    if (m_state.welcomeMode)
        m_bubble->showWelcome();
    if (!bookArgument.isEmpty())
        openBook(bookArgument);
    emit startedUp();
}

void ReaderWindow::exitReader()
{
    finishExit(false);
}

void ReaderWindow::exitBySignal()
{
    // A signal during the message of a failed save ends the program without waiting.
    if (m_exited) {
        QCoreApplication::exit(1);
        return;
    }
    finishExit(true);
}

void ReaderWindow::finishExit(bool bySignal)
{
    if (m_exited)
        return;
    m_exited = true;
    // On the stored spread of a restart the book is not in place: it stays unread.
    finishRestore();
    // The way out, in this order. Before start-up has read settings.ini there is nothing to
    // save, and without the application folder nothing can be: the files stay as they were.
    bool saved = true;
    // 1. Reading aloud stops where it is: the spread on show holds the sentence read last,
    //    and that sentence is kept for the next start (options.ini).
    m_readAloud->stop();
    if (m_started && m_folderUsable) {
        // 2. The load and the re-flow in progress end, so the files hold a whole book and
        //    the place is a place in its lines.
        m_loader->finishNow();
        m_reflowJob->finishNow();
        // 3. The place in this book (options.ini), the reading session and the speed
        //    (statistics.db, options.ini).
        m_places->leaveBook();
        m_pace->stop();
        m_statistics->finish();
        // 4. The session: settings.ini and Slide.cache.
        saved = m_session->save(true);
    }
    // 5. Quit: the timers stop, the screen may blank again, the window and the tray icon
    //    go, the event loop ends.
    m_modes->stopAll();
    m_screen->releaseAll();
    m_scrollPanel->setScrolling(false);
    m_tray->hide();
    hide();
    if (saved) {
        QCoreApplication::exit(0);
        return;
    }
    const QString problem = m_session->failureText();
    if (bySignal) {
        std::fprintf(stderr, "tibboread: %s\n", problem.toLocal8Bit().constData());
        QCoreApplication::exit(1);
        return;
    }
    // The reader must learn that the place was not saved before the program is gone.
    Dialogs::message(nullptr, problem, [] { QCoreApplication::exit(1); });
}

// What needs the whole book (the last spread, go-to page, chapters, search, bookmarks,
// scroll mode, reading aloud, a save) reads the rest of a book still loading behind its
// first part, and cuts its lines, before it runs.
void ReaderWindow::completeBook()
{
    if (m_loader->completeBook())
        m_reflowJob->finishNow();
}

bool ReaderWindow::saveSession()
{
    completeBook();
    // Without its folder the reader was told at start-up that nothing is saved.
    return m_folderUsable && m_session->save();
}

void ReaderWindow::closeEvent(QCloseEvent *event)
{
    exitReader();
    event->accept();
}

// The tray icon has a top-level window of its own, named "TibboRead" as this window is
// until its title names the book. A close request sent to it (by a tool that finds the
// program's window by its name, class or process) only hid the icon, and the reader ran
// on with no way to close it but a kill. A close request for any window of the program
// that has no close of its own (not a dialog, a message box or a menu) is the reader's
// exit.
bool ReaderWindow::eventFilter(QObject *watched, QEvent *event)
{
    // While the stored spread is on show, whatever the reader does acts on the whole
    // book: it is put in place first.
    if (m_restorePending && isReaderInput(event->type()))
        finishRestore();
    if (event->type() == QEvent::Close && watched != this && watched->isWidgetType() && !m_exited) {
        const auto *window = static_cast<QWidget *>(watched);
        if (window->isWindow() && !qobject_cast<const QDialog *>(window) &&
            !qobject_cast<const QMenu *>(window) && window->windowType() != Qt::ToolTip &&
            window->windowType() != Qt::Popup) {
            exitReader();
            event->ignore();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

// ---- layout and the menu panel -------------------------------------------------------

void ReaderWindow::resizeEvent(QResizeEvent *)
{
    layOut();
}

void ReaderWindow::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange)
        layOut();
}

// The book view under everything; the mascot and its bubble over it; the bubble's
// panels (the mascot places them), scroll mode, the prompt and the grip on top.
void ReaderWindow::layOut()
{
    m_bookView->setGeometry(rect());
    m_bookView->measureCapacity(m_state);
    m_mascot->place();
    m_mascot->raise();
    m_mascot->raisePanels();
    if (isMinimized())
        m_chrome->hideToTray();
    if (width() >= 50 && height() >= 50)
        m_scrollPanel->setGeometry(25, 25, width() - 50, height() - 50);
    m_scrollPanel->raise();
    m_prompt->raise();
    m_selectionMenu->raise();
    m_chrome->place();
}

// ---- the re-flow ----------------------------------------------------------------------

void ReaderWindow::reflow()
{
    m_bookView->measureCapacity(m_state);
    m_reflowJob->request();
}

void ReaderWindow::onReflowFinished()
{
    m_reflowNotice->hide();
    m_bookView->showSpread(m_state);
    m_bubble->close();
    m_commands->refreshBookmarkMenu();
    if (std::exchange(m_recapDue, false))
        m_news->onPlaceRestored(m_places->leftAt(qs(m_state.bookPath)));
    tellAboutBook();
}

// ---- what Tibbo says about the book ---------------------------------------------------

void ReaderWindow::tellAboutBook()
{
    if (!m_tellPending)
        return;
    if (!isIdle()) {
        // A load or a sliced re-flow still runs: once it is over.
        QTimer::singleShot(200, this, &ReaderWindow::tellAboutBook);
        return;
    }
    m_tellPending = false;
    // One offer or finding a book opened.
    const QString aboutTheBook = QString::fromLatin1(kAboutTheBook);
    m_script->considerOffer();
    if (!m_speech->holds(aboutTheBook))
        m_chapters->considerTelling();
    if (!m_speech->holds(aboutTheBook))
        m_appearance->offerFineTypesetting();
}

void ReaderWindow::offerConversion(core::ScriptMode suggested)
{
    m_speech->say(
        {QStringLiteral("这本书好像是繁体字写的，要转成简体给你看吗？原文不会改动。"),
         {{QStringLiteral("转成简体"), [this, suggested] { m_script->setMode(suggested); }},
          {QStringLiteral("不用了"), {}}},
         MascotSpeech::Goes::WhenAnswered,
         QString::fromLatin1(kAboutTheBook),
         {}});
}

void ReaderWindow::tellChapterProblem(const QString &message, int chapter)
{
    m_speech->say(
        {QStringLiteral("%1，要去看看吗？在目录里可以看到所有的问题。").arg(message),
         {{QStringLiteral("去看看"), [this, chapter] { m_chapters->showChapter(chapter); }},
          {QStringLiteral("不用了"), {}}},
         MascotSpeech::Goes::WhenAnswered,
         QString::fromLatin1(kAboutTheBook),
         {}});
}

void ReaderWindow::onScriptChanged()
{
    m_bookView->showSpread(m_state);
    m_menus->checkScript(m_script->mode());
    m_titleUpdate->start();
}

void ReaderWindow::updateTitle()
{
    // The share read of a book whose rest is still being read would be a share of a part.
    const QString chapter = m_chapters->currentTitle();
    const QString percent = m_state.partialShown
                                ? QString()
                                : qs(core::progressCaption(core::progressPercent(m_state)));
    QStringList details{chapter, percent};
    details.removeAll(QString());
    setWindowTitle(DesktopControls::windowTitle(m_state.bookPath, details));
    // A borderless window shows no title: the pages say it too, and beside the percentage
    // the time left in the chapter (in a book without chapters, in the book) at the
    // reader's speed, once that is known.
    QStringList progress{percent};
    if (!m_state.partialShown) {
        const QString left =
            m_pace->timeLeftLines(m_chapters->list()).section(QLatin1Char('\n'), 0, 0);
        if (!left.isEmpty())
            progress = percent.isEmpty() ? QStringList{left} : QStringList{percent, left};
    }
    m_bookView->setPlaceCaptions(chapter, progress);
}

void ReaderWindow::refreshRecentMenu()
{
    m_menus->setRecentItems(core::recentMenuItems(m_state.recent));
}

void ReaderWindow::chooseOpenFile()
{
    m_bubble->close();
    // The next book is most often beside the one on show.
    const QDir bookFolder = QFileInfo(qs(m_state.bookPath)).absoluteDir();
    const QString folder = !m_state.bookPath.empty() && bookFolder.exists()
                               ? bookFolder.absolutePath()
                               : QDir::homePath();
    const QString path =
        Dialogs::openFile(this, QStringLiteral("打开一个小说文件"),
                          QStringLiteral("所有支持文件 (*.txt *.htm *.html);;文本文件 "
                                         "(*.txt);;超文本文件 (*.htm *.html);;所有文件 (*)"),
                          folder);
    if (!path.isEmpty() && !m_exited)
        openBook(path);
}

void ReaderWindow::openBook(const QString &path)
{
    // Reading aloud keeps its sentence in the book it was reading.
    m_readAloud->stop();
    // What Tibbo had to offer about the book before is no longer to the point.
    m_speech->takeBack(QString::fromLatin1(kAboutTheBook));
    m_places->leaveBook();
    m_loader->open(path, m_state.trimParagraphs != 0);
}

// ---- what the parts report ------------------------------------------------------------

void ReaderWindow::onFullScreenChanged()
{
    if (!m_started)
        return;
    reflow();
    m_bubble->close();
}

// A size the window was given and that has settled is re-flowed once, unless a re-flow or
// a load is under way or the window is not on show; the grip and full screen re-flow by
// themselves.
void ReaderWindow::reflowIfOutdated()
{
    if (m_started && !m_exited && !m_state.loadingBusy && !m_reflowJob->running() &&
        !isMinimized() && isVisible() && !m_reflowJob->upToDate())
        reflow();
}

void ReaderWindow::onTextReplaced()
{
    // What Tibbo has to say about a book comes once it is on show and the window idle.
    m_tellPending = true;
    m_bookView->hideLines();
    reflow();
}

void ReaderWindow::openRecent(int index)
{
    m_bubble->close();
    if (index >= 0 && static_cast<size_t>(index) < m_state.recent.size())
        openBook(qs(m_state.recent[static_cast<size_t>(index)]));
}

void ReaderWindow::openScrollMode()
{
    completeBook();
    m_session->ensureScrollText();
    m_scrollPanel->open(pageFont(), m_script->converter());
    m_bubble->closeUnderScrollMode();
}

void ReaderWindow::openFromTray()
{
    m_chrome->showFromTray();
    chooseOpenFile();
}

void ReaderWindow::openSettingsFromTray()
{
    m_chrome->showFromTray();
    m_bubble->show();
    m_appearance->openSettingsPanel();
}

// The desktop session ends and may not wait for the event loop to end: steps 3 and 4 of
// exitReader.
void ReaderWindow::saveForSessionEnd()
{
    if (!m_started || m_exited || !m_folderUsable)
        return;
    completeBook();
    m_places->leaveBook();
    m_pace->stop();
    m_session->save();
}

} // namespace tibbo::window
