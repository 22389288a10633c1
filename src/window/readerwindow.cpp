#include "readerwindow.h"

#include "bookfinder.h"
#include "bookloader.h"
#include "bookplaces.h"
#include "bookview.h"
#include "chapterpanel.h"
#include "dialogs.h"
#include "manualguide.h"
#include "mascot.h"
#include "menupanel.h"
#include "pageappearance.h"
#include "progresspanels.h"
#include "promptpanel.h"
#include "qtext.h"
#include "readermenus.h"
#include "readingcommands.h"
#include "readingmodes.h"
#include "reflowjob.h"
#include "scrollpanel.h"
#include "searchpanel.h"
#include "sessionfiles.h"
#include "settingspanel.h"
#include "trayicon.h"
#include "welcomepanel.h"
#include "widgets.h"
#include "windowchrome.h"

#include "navigation/navigation.h"
#include "settings/recentlist.h"

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

namespace tibbo::window {

void initResources();

namespace {

} // namespace

ReaderWindow::ReaderWindow(QWidget *parent) : QWidget(parent, Qt::FramelessWindowHint)
{
    // The stored book is read meanwhile: with two cores its decode and the building of
    // the window take about the same time.
    m_settingsAhead = SessionFiles::readAhead();
    initResources();
    setObjectName(QStringLiteral("readerWindow"));
    setWindowTitle(QStringLiteral("TibboRead"));
    setWindowIcon(QIcon(QStringLiteral(":/art/app-icon.svg")));
    setFocusPolicy(Qt::StrongFocus);
    // The menus and tooltips are windows of their own and take the application's font.
    QApplication::setFont(interfaceFont(QApplication::font()));
    createParts();
    connectParts();
    connectMenus();
    // Close requests for the program's other windows (see eventFilter).
    qApp->installEventFilter(this);
}

ReaderWindow::~ReaderWindow() = default;

void ReaderWindow::createParts()
{
    m_bookView = new BookView(this);
    m_bookView->setPageFont(BookView::designFont());
    m_mascot = new Mascot(this);
    m_menuPanel = new MenuPanel(this);
    m_loadingPanel = new LoadingPanel(m_menuPanel);
    m_settingsPanel = new SettingsPanel(m_menuPanel);
    m_welcomePanel = new WelcomePanel(this);
    m_reflowNotice = new ReflowNotice(this);
    m_prompt = new PromptPanel(this);
    m_scrollPanel = new ScrollPanel(m_state, this);
    m_menus = new ReaderMenus(this);
    m_chrome = new WindowChrome(*this, m_state, this);
    // Before start-up, so a saved minimised state can go to the tray.
    m_tray = new TrayIcon(this);
    m_chrome->setTrayIcon(m_tray);
    m_modes = new ReadingModes(m_state, *m_menus, this);
    m_reflowJob = new ReflowJob(m_state, this);
    m_loader = new BookLoader(m_state, *m_loadingPanel, this);
    m_commands = new ReadingCommands({m_state, *m_bookView, *m_prompt, *m_menus}, this);
    auto *chapterPanel = new ChapterPanel(this);
    auto *searchPanel = new SearchPanel(this);
    m_finder = new BookFinder({m_state, *m_bookView, *chapterPanel, *searchPanel}, this);
    m_appearance = new PageAppearance(
        {m_state, *m_bookView, *m_settingsPanel, *m_scrollPanel, *m_mascot, *m_menus, *m_reflowJob},
        this);
    m_session = new SessionFiles(
        {m_state, *m_bookView, *m_settingsPanel, *m_scrollPanel, *m_chrome, *m_menus}, this);
    m_guide = new ManualGuide(
        {m_state, *m_menuPanel, *m_welcomePanel, *m_session, [this] { return hasOwnBook(); }},
        this);
    m_places = new BookPlaces({m_state, *m_bookView, *m_loader, *m_reflowJob}, this);
    m_desktop = new DesktopControls(
        {*this, *m_bookView, *m_prompt, *m_scrollPanel, *m_chrome, *m_commands}, this);
    m_desktop->addPanel(chapterPanel);
    m_desktop->addPanel(searchPanel);
    m_titleUpdate = new QTimer(this);
    m_titleUpdate->setInterval(0);
    m_titleUpdate->setSingleShot(true);
    // A size the desktop gave the window (a tiling window manager, a screen change) is
    // re-flowed once it has settled; the grip and full screen re-flow by themselves.
    m_resizeSettled = new QTimer(this);
    m_resizeSettled->setInterval(300);
    m_resizeSettled->setSingleShot(true);
}

void ReaderWindow::connectParts()
{
    connect(m_mascot, &Mascot::pressed, m_chrome, &WindowChrome::grab);
    connect(m_mascot, &Mascot::dragged, m_chrome, &WindowChrome::drag);
    // Over the welcome panel the right click always hides: the panel belongs to the open
    // menu, and a first start would otherwise never let the window go.
    connect(m_mascot, &Mascot::released, this, [this](Qt::MouseButton b, QPointF) {
        if (b != Qt::RightButton)
            return;
        if (m_state.menuShown && !m_welcomePanel->isVisible())
            closeMenu();
        else
            m_chrome->hideToTray();
    });

    MenuPanel *menu = m_menuPanel;
    connect(menu, &MenuPanel::openRequested, this, &ReaderWindow::chooseOpenFile);
    connect(menu, &MenuPanel::recentMenuRequested, this,
            [this] { m_menus->popUp(ReaderMenus::Menu::Recent); });
    connect(menu, &MenuPanel::addBookmarkRequested, m_commands, &ReadingCommands::addBookmark);
    connect(menu, &MenuPanel::bookmarkMenuRequested, this,
            [this] { m_menus->popUp(ReaderMenus::Menu::Bookmarks); });
    connect(menu, &MenuPanel::autoTurnPictureClicked, this, [this] {
        if (m_menus->autoTurnEnabled())
            m_modes->switchByMenu();
    });
    // The caption switches by the timer; the menu's check mark is left as it is.
    connect(menu, &MenuPanel::autoTurnCaptionPressed, this,
            [this] { m_modes->setAutoTurning(!m_modes->autoTurning()); });
    connect(menu, &MenuPanel::autoTurnMenuRequested, this,
            [this] { m_menus->popUp(ReaderMenus::Menu::AutoTurn); });
    connect(menu, &MenuPanel::settingsRequested, m_appearance, &PageAppearance::openSettingsPanel);
    connect(menu, &MenuPanel::sizeMenuRequested, this, [this] {
        m_menus->checkFontSize(pageFont().pointSizeF());
        m_menus->popUp(ReaderMenus::Menu::FontSize);
    });
    connect(menu, &MenuPanel::fullScreenRequested, m_chrome, &WindowChrome::toggleFullScreen);
    connect(menu, &MenuPanel::manualRequested, m_guide, &ManualGuide::onManualCommand);
    connect(menu, &MenuPanel::exitRequested, this, &ReaderWindow::exitReader);
    connect(menu, &MenuPanel::chapterListRequested, m_finder, &BookFinder::openChapterList);
    connect(menu, &MenuPanel::searchRequested, m_finder, &BookFinder::openSearch);
    connect(m_finder, &BookFinder::menuCloseRequested, this, &ReaderWindow::closeMenu);
    // The title names the chapter, and the first look for chapters reads the whole book:
    // it follows the paint of the spread instead of holding it up.
    connect(m_bookView, &BookView::spreadShown, m_titleUpdate, qOverload<>(&QTimer::start));
    connect(m_titleUpdate, &QTimer::timeout, this, &ReaderWindow::updateTitle);
    connect(m_welcomePanel, &WelcomePanel::startRequested, m_guide, &ManualGuide::onWelcomeStart);
    connect(m_guide, &ManualGuide::openBookRequested, this, &ReaderWindow::openBook);
    connect(m_guide, &ManualGuide::reflowRequested, this, &ReaderWindow::reflow);
    connect(m_guide, &ManualGuide::menuRequested, this, &ReaderWindow::showMenu);
    connect(m_guide, &ManualGuide::menuCloseRequested, this, &ReaderWindow::closeMenu);
    connect(m_guide, &ManualGuide::welcomeRequested, this, &ReaderWindow::showWelcome);
    connect(m_guide, &ManualGuide::recentChanged, this, &ReaderWindow::refreshRecentMenu);

    connect(m_appearance, &PageAppearance::reflowRequested, this, &ReaderWindow::reflow);
    connect(m_appearance, &PageAppearance::saveRequested, this, &ReaderWindow::saveSession);
    connect(m_appearance, &PageAppearance::menuCloseRequested, this, &ReaderWindow::closeMenu);

    connect(m_scrollPanel, &ScrollPanel::closed, this, [this] { setFocus(); });

    connect(m_chrome, &WindowChrome::fullScreenChanged, this, [this](bool on) {
        m_menuPanel->setFullScreenCaption(on ? QStringLiteral("恢复到一般大小")
                                             : QStringLiteral("放大到全屏幕"));
        if (m_started) {
            reflow();
            closeMenu();
        }
    });
    connect(m_chrome, &WindowChrome::resizeFinished, this, &ReaderWindow::reflow);
    connect(m_tray, &TrayIcon::showRequested, m_chrome, &WindowChrome::showFromTray);
    connect(m_tray, &TrayIcon::menuRequested, this,
            [this] { m_menus->popUp(ReaderMenus::Menu::Tray); });

    connect(m_modes, &ReadingModes::spreadTurned, this,
            [this] { m_bookView->showSpread(m_state); });
    connect(m_modes, &ReadingModes::menuCloseDue, this, [this] {
        closeMenu();
        // Closing the menu brings the mascot forward; scroll mode stays on top.
        if (m_scrollPanel->isVisible())
            m_scrollPanel->raise();
    });
    connect(m_modes, &ReadingModes::autoTurnCaptionChanged, m_menuPanel,
            &MenuPanel::setAutoTurnCaption);

    connect(m_reflowJob, &ReflowJob::started, this, [this] {
        showMenu();
        m_reflowNotice->setProgress(0);
        m_reflowNotice->show();
        m_reflowNotice->raise();
    });
    connect(m_reflowJob, &ReflowJob::progress, m_reflowNotice, &ReflowNotice::setProgress);
    connect(m_reflowJob, &ReflowJob::finished, this, &ReaderWindow::onReflowFinished);
    connect(m_session, &SessionFiles::pageSettingsRestored, m_appearance,
            &PageAppearance::takePanelValues);
    connect(m_loader, &BookLoader::loadStarted, this, &ReaderWindow::showMenu);
    connect(m_loader, &BookLoader::textReplaced, this, [this] {
        m_bookView->hideLines();
        reflow();
    });
    connect(m_loader, &BookLoader::recentChanged, this, &ReaderWindow::refreshRecentMenu);
    connect(m_loader, &BookLoader::loadEnded, this, &ReaderWindow::closeMenu);
    connect(m_commands, &ReadingCommands::menuRequested, this, [this] {
        showMenu();
        if (!hasOwnBook())
            showWelcome();
    });
    connect(m_commands, &ReadingCommands::menuCloseRequested, this, &ReaderWindow::closeMenu);
    connect(m_commands, &ReadingCommands::openFileRequested, this, &ReaderWindow::chooseOpenFile);
    connect(m_desktop, &DesktopControls::menuCloseRequested, this, &ReaderWindow::closeMenu);

    connect(m_resizeSettled, &QTimer::timeout, this, [this] {
        // A drag the window follows by itself ends with the release; one the window
        // system runs may never show its release, and settles when the size does.
        if ((QGuiApplication::mouseButtons() & Qt::LeftButton) && !m_chrome->resizedBySystem())
            return m_resizeSettled->start();
        if (m_started && !m_exited && !m_state.loadingBusy && !m_reflowJob->running() &&
            !isMinimized() && isVisible() && !m_reflowJob->upToDate())
            reflow();
    });
    // Every way out writes the settings file, also the end of the desktop session.
    connect(qApp, &QGuiApplication::commitDataRequest, this, [this](QSessionManager &) {
        if (m_started && !m_exited && m_folderUsable)
            m_session->save();
    });
}

void ReaderWindow::connectMenus()
{
    ReaderMenus *menus = m_menus;
    connect(menus, &ReaderMenus::recentChosen, this, [this](int index) {
        closeMenu();
        if (index >= 0 && static_cast<size_t>(index) < m_state.recent.size())
            openBook(qs(m_state.recent[static_cast<size_t>(index)]));
    });
    connect(menus, &ReaderMenus::addBookmarkChosen, m_commands, &ReadingCommands::addBookmark);
    connect(menus, &ReaderMenus::bookmarkChosen, m_commands, &ReadingCommands::jumpToBookmark);
    connect(menus, &ReaderMenus::goToPageChosen, m_commands, &ReadingCommands::askForPage);
    connect(menus, &ReaderMenus::fontSizeChosen, m_appearance, &PageAppearance::setFontSize);
    connect(menus, &ReaderMenus::autoTurnChosen, m_modes, &ReadingModes::switchByMenu);
    connect(menus, &ReaderMenus::scrollModeChosen, this, [this] {
        m_session->ensureScrollText();
        m_scrollPanel->open(pageFont());
        closeMenu();
        m_scrollPanel->raise();
    });
    connect(menus, &ReaderMenus::intervalChosen, m_commands, &ReadingCommands::askForInterval);
    connect(menus, &ReaderMenus::speedTestChosen, m_modes, &ReadingModes::switchSpeedTest);
    connect(menus, &ReaderMenus::openChosen, this, [this] {
        m_chrome->showFromTray();
        chooseOpenFile();
    });
    connect(menus, &ReaderMenus::settingsChosen, this, [this] {
        m_chrome->showFromTray();
        showMenu();
        m_appearance->openSettingsPanel();
    });
    connect(menus, &ReaderMenus::exitChosen, this, &ReaderWindow::exitReader);
    connect(menus, &ReaderMenus::encodingChosen, m_loader, &BookLoader::reopenInEncoding);
    connect(m_loader, &BookLoader::encodingChanged, menus, &ReaderMenus::checkEncoding);
}

QFont ReaderWindow::pageFont() const
{
    return m_bookView->pageFont();
}

bool ReaderWindow::isIdle() const
{
    return m_started && !m_state.loadingBusy && !m_reflowJob->running();
}

bool ReaderWindow::hasOwnBook() const
{
    return m_menus->recentCaption(1) != QLatin1String("none");
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
    m_state.autoTurnSeconds = 240;
    m_scrollPanel->setSpeed(130);
    m_chrome->centreDefaultGeometry();
    m_chrome->moveToNormalGeometry();
    // The preview starts as the page font, so the settings panel shows what the page uses.
    m_settingsPanel->setPreviewFont(pageFont());
    m_appearance->restoreOptions();
    layOut();
    if (SessionFiles::hasSettings())
        m_session->restore(m_settingsAhead.get());
    else if (m_folderUsable)
        m_state.welcomeMode = true;
    if (!m_chrome->fullScreen())
        m_chrome->moveToNormalGeometry();
    m_settingsPanel->fill({m_state.lineSpacing, m_state.topMargin, m_state.bottomMargin,
                           m_state.leftMargin, m_state.rightMargin});
    const QCursor hand = commandCursor();
    m_menuPanel->setCommandCursor(hand);
    m_welcomePanel->setCommandCursor(hand);
    m_started = true;
    m_bookView->measureCapacity(m_state);
    m_reflowJob->requestUnlessStoredFits();
    refreshRecentMenu();
    // Without its folder the reader has no manual file: the book it was given, or the
    // help text that ships inside it, is shown instead.
    if (!hasOwnBook() && m_folderUsable)
        openBook(SessionFiles::manualPath());
    else if (!m_folderUsable && bookArgument.isEmpty())
        m_guide->showHelpText();
    // A first start keeps the welcome panel open in the bubble over the manual.
    if (m_state.welcomeMode)
        showWelcome();
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
    // Before start-up has read settings.ini there is nothing to save: the file stays
    // as it was. Work in progress is finished first, so the file holds a whole book.
    bool saved = true;
    if (m_started && m_folderUsable) {
        m_loader->finishNow();
        m_reflowJob->finishNow();
        saved = m_session->save(true);
    }
    m_modes->stopAll();
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

bool ReaderWindow::saveSession()
{
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
    m_resizeSettled->start();
}

void ReaderWindow::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange)
        layOut();
}

// The book view under everything; the mascot and its bubble over it; the bubble's
// panels, scroll mode, the prompt and the grip on top.
void ReaderWindow::layOut()
{
    m_bookView->setGeometry(rect());
    m_bookView->measureCapacity(m_state);
    m_mascot->place();
    m_mascot->raise();
    const QRect bubble = m_mascot->bubbleGeometry();
    m_welcomePanel->move(bubble.x() + 6, bubble.y() + 9);
    m_reflowNotice->move(bubble.x() + 6, bubble.y() + 9);
    m_menuPanel->move(bubble.x() + (bubble.width() - m_menuPanel->width()) / 2,
                      bubble.y() + (bubble.height() - m_menuPanel->height()) / 2);
    for (QWidget *panel :
         std::initializer_list<QWidget *>{m_menuPanel, m_welcomePanel, m_reflowNotice})
        panel->raise();
    if (isMinimized())
        m_chrome->hideToTray();
    if (width() >= 50 && height() >= 50)
        m_scrollPanel->setGeometry(25, 25, width() - 50, height() - 50);
    m_scrollPanel->raise();
    m_prompt->raise();
    m_chrome->place();
}

void ReaderWindow::showMenu()
{
    m_state.menuShown = true;
    m_mascot->setBubbleOpen(true);
    // The welcome panel covers the menu only on a first start: a reader with a book of
    // their own who opened the manual needs the menu's way back.
    if (m_state.welcomeMode && !hasOwnBook())
        m_welcomePanel->show();
    m_menuPanel->show();
    layOut();
    m_menuPanel->setToolTip(QString::fromStdString(
        core::bookInfoTooltipWithPlace(m_state, m_finder->currentChapterTitle().toStdString())));
}

void ReaderWindow::closeMenu()
{
    for (QWidget *w : std::initializer_list<QWidget *>{m_menuPanel, m_prompt, m_welcomePanel,
                                                       m_settingsPanel, m_reflowNotice})
        w->hide();
    m_state.menuShown = false;
    m_mascot->setBubbleOpen(false);
    m_chrome->place();
}

void ReaderWindow::showWelcome()
{
    showMenu();
    m_welcomePanel->show();
    layOut();
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
    closeMenu();
    m_commands->refreshBookmarkMenu();
}

void ReaderWindow::updateTitle()
{
    QStringList details{m_finder->currentChapterTitle(), m_finder->progressCaption()};
    details.removeAll(QString());
    setWindowTitle(DesktopControls::windowTitle(m_state.bookPath, details));
}

void ReaderWindow::refreshRecentMenu()
{
    m_menus->setRecentItems(core::recentMenuItems(m_state.recent));
}

void ReaderWindow::chooseOpenFile()
{
    closeMenu();
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
    m_places->leaveBook();
    m_loader->open(path, m_settingsPanel->trimValue() != 0);
}

// ---- the manual and the welcome panel ----------------------------------------------------

} // namespace tibbo::window
