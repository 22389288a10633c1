#pragma once
// Form1: the reader's one window. It owns the reader state and every control, and its
// procedures keep the names the rest of the team uses for them (OpenBook, Resizeline,
// LookUp, ...). Each procedure is short and calls into the core for the work. The
// class is large, so its procedures are kept in one source file per subsystem:
//   form1.cpp             construction, start-up, exit, the manual, layout, menu panel
//   form1_text.cpp        loading books, capacity, appearance, re-flow, page display
//   form1_navigation.cpp  page moves, edge strips, keys, the go-to-page prompt
//   form1_files.cpp       settings.ini, the open dialog, the recent list
//   form1_bookmarks.cpp   bookmark commands, mark files, the bookmark icon
//   form1_modes.cpp       automatic turning, the reading-speed test, scroll mode
//   form1_appearance.cpp  the settings panel and the size menu
//   form1_chrome.cpp      dragging, the resize grip, full screen, the tray icon

#include "state/readerstate.h"

#include <QFont>
#include <QTimer>
#include <QWidget>

#include <array>
#include <memory>
#include <vector>

class QAction;
class QLabel;
class QMenu;
class QSessionManager;
class QSystemTrayIcon;

namespace tibbo::core {
class HtmlParser;
}

namespace tibbo::window {

class Bubble;
class CaptionLabel;
class LineLabel;
class LoadingPanel;
class MenuPanel;
class Picture;
class PromptPanel;
class ReflowNotice;
class ScrollPanel;
class SettingsPanel;
class WelcomePanel;

class Form1 : public QWidget
{
    Q_OBJECT
  public:
    explicit Form1(QWidget *parent = nullptr);
    ~Form1() override;

    // Start-up: defaults, settings.ini, the saved spread, the manual on a first start.
    // A book given on the command line is then opened as the open dialog would.
    void Form_Load(const QString &bookArgument = QString());

    core::ReaderState &state() { return m_state; }
    const core::ReaderState &state() const { return m_state; }
    // The folder of settings.ini, Slide.cache, the mark files and the manual.
    static QString appFolder();

    // --- text pipeline (form1_text.cpp)
    void OpenBook(const QString &fileName);
    void OpenHtml(const QString &fileName);
    void Resizeline();
    void LookUp();
    void GetLinelen();
    void Setpage();
    void Command6_Click();
    void Check4_MouseDown();

    // --- layout and menu panel (form1.cpp)
    void Form_Resize();
    void ShowMenu();
    void CloseMenu();

    // --- start-up, exit and the manual (form1.cpp)
    void Image15_Click();
    void Image9_Click();
    void Image16_Click();

    // --- navigation (form1_navigation.cpp)
    void Image3_MouseDown(Qt::MouseButton button);
    void Image4_MouseDown(Qt::MouseButton button);
    void Image5_MouseDown(double xTwips);
    void Image6_MouseDown(double xTwips);
    void Image5_MouseMove(double xTwips);
    void Image6_MouseMove(double xTwips);
    void Form_KeyDown(int keyCode);
    void Mngopage_Click();
    void Command2_Click();
    void Command3_Click();
    void Image12_Click();
    void Image13_Click();

    // --- settings file, opening books, recent list (form1_files.cpp)
    // False when settings.ini or Slide.cache could not be written.
    bool WriteINI();
    void ReadINI();
    void AddRecent();
    void Freshmenu();
    void Image7_Click();
    void Mnrecent_Click(int index);
    void MnOpen_Click();
    // Opens a book with the loader its name asks for.
    void openChosenBook(const QString &path);

    // --- bookmarks (form1_bookmarks.cpp)
    void Readmarks(const QString &bookName);
    void Writemark();
    void Setmark(int index);
    void FreshMarkmenu();
    void Label3_MouseDown(int index, Qt::MouseButton button);
    void Mnadd_Click();
    void Mnmark_Click(int index);
    void Image11_DblClick();

    // --- reading modes (form1_modes.cpp)
    void MnAutopage_Click();
    void Label5_3_LeftDown();
    void MnSettime_Click();
    void Timer1_Timer();
    void MnTestSpeed_Click();
    void Timer2_Timer();
    void MnSlide_Click();
    void Check5_Click();
    void Text2_Click();
    void Timer3_Timer();
    void HScroll1_Change();
    void Command1_Click();
    void Timer4_Timer();

    // --- settings panel and size menu (form1_appearance.cpp)
    void Image17_Click();
    void ShowSizeMenu();
    void Mnsize_Click(int index);
    void MnSetting_Click();
    void List5_Click();
    void Combo1_Click();
    void Check1_Click();
    void Check2_Click();
    void Check3_Click();
    void Command4_Click();
    void Command5_Click();
    // Fills the font list, the combo boxes and the size menu (start-up).
    void fillAppearanceControls();

    // --- window chrome and tray (form1_chrome.cpp)
    void Image1_MouseDown(Qt::MouseButton button, QPointF twips);
    void Image1_MouseMove(Qt::MouseButtons buttons, QPointF twips);
    void Image1_MouseUp(Qt::MouseButton button, QPointF twips);
    void Image18_MouseDown(Qt::MouseButton button, QPointF twips);
    void Image18_MouseMove(Qt::MouseButtons buttons, QPointF twips);
    void Image18_MouseUp(Qt::MouseButton button, QPointF twips);
    void Image14_Click();
    void TrayIcon1_Show();
    void TrayIcon1_Menu();
    bool isFullScreenCaption() const;
    // Hides the window to the tray, or minimises it where no tray can bring it back.
    void hideToTray();
    // The notification-area icon with its flashing and its menu; once, at start.
    void createTrayIcon();

    // The page font, as the measuring label Label1 carries it.
    QFont pageFont() const;

    // --- controls, public so panels and tests can reach them by their names
    Picture *Image3 = nullptr;         // left page background: back one spread
    Picture *Image4 = nullptr;         // right page background: forward one spread
    Picture *Image5 = nullptr;         // left edge strip: back by quarters
    Picture *Image6 = nullptr;         // right edge strip: forward by quarters
    QLabel *Label2 = nullptr;          // left page number
    QLabel *Label4 = nullptr;          // right page number
    QLabel *Label1 = nullptr;          // measuring label: hidden, carries the page font
    std::vector<LineLabel *> Label3;   // the line labels of both pages
    Picture *Image1 = nullptr;         // the mascot, small or large drawing
    Bubble *Shape2 = nullptr;          // the speech bubble
    Picture *Image2 = nullptr;         // the bubble's tail
    Picture *Image11 = nullptr;        // bookmark icon beside the bookmarked line
    Picture *Image18 = nullptr;        // resize grip
    MenuPanel *Picture1 = nullptr;     // menu panel in the bubble
    PromptPanel *Picture2 = nullptr;   // go-to-page / interval prompt
    WelcomePanel *Picture3 = nullptr;  // welcome panel of the first start
    SettingsPanel *Picture4 = nullptr; // settings panel inside the menu panel
    ReflowNotice *Picture6 = nullptr;  // re-flow notice with its progress bar
    ScrollPanel *Picture8 = nullptr;   // scroll mode
    LoadingPanel *Picture10 = nullptr; // loading panel inside the menu panel
    // Label5: the fixed captions spread over the panels, by their indexes 0 .. 18.
    std::array<CaptionLabel *, 19> Label5{};
    QLabel *Label9 = nullptr; // hidden: the built-in help text, in paragraph-text form

    QMenu *Mnfile = nullptr; // recent files
    std::array<QAction *, 5> Mnrecent{};
    QMenu *Mnnote = nullptr; // bookmarks
    QAction *Mnadd = nullptr;
    QMenu *Mngoto = nullptr; // the bookmark submenu
    std::vector<QAction *> Mnmark;
    QAction *Mngopage = nullptr;
    QMenu *MnFontsize = nullptr; // quick font sizes
    std::vector<QAction *> Mnsize;
    QMenu *MnAuto = nullptr; // automatic turning and scroll mode
    QAction *MnAutopage = nullptr;
    QAction *MnSlide = nullptr;
    QAction *MnSettime = nullptr;
    QAction *MnTestSpeed = nullptr;
    QMenu *Mnapp = nullptr; // the tray icon's menu
    QAction *MnOpen = nullptr;
    QAction *MnSetting = nullptr;
    QAction *MnExit = nullptr;

    QTimer Timer1; // automatic page turning, 1000 ms
    QTimer Timer2; // reading-speed test, 1000 ms
    QTimer Timer3; // scroll step, the slider's value in ms
    QTimer Timer4; // one-shot feed of Slide.cache after start-up
    QSystemTrayIcon *TrayIcon1 = nullptr;
    QTimer trayFlash; // alternates the tray icon's two pictures

    // Whether the settings file was written by the last exit.
    bool exited() const { return m_exited; }

  protected:
    void resizeEvent(QResizeEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void changeEvent(QEvent *event) override;

  private:
    void createControls();
    void resizeSettled();
    void createMenus();
    void connectControls();
    void placeMascot(bool large);
    void placeBubble();
    void applyWindowState(int windowState);
    void moveToNormalGeometry();
    void ensureLineLabels(int count);
    void showRecentMenu();
    void showBookmarkMenu();
    void showAutoMenu();
    bool setPageFontFromPreview();
    QString manualPath() const;
    void installManual() const;
    void leaveManual();
    // Runs the HTML parse in slices until it ends or is cancelled.
    void runHtmlParse(const QString &fileName, core::HtmlParser &parser,
                      std::vector<core::Bookmark> bookmarks, std::u32string previousBookText);
    int windowStateCode() const;

    core::ReaderState m_state;
    QFont m_labelFont;        // Label1's font: the page font
    double m_label1Width = 0; // Label1's width after the last measurement
    bool m_reflowing = false;
    bool m_reflowAgain = false;
    bool m_exited = false;
    bool m_settingsReadToEnd = false;
    QTimer m_resizeSettled; // re-flows once a resize by the desktop has settled
    // The capacity the line list was last cut for.
    int64_t m_flowedCharsPerLine = -1;
    int64_t m_flowedLinesPerPage = -1;

    // --- reading modes state (form1_modes.cpp)

    // --- window chrome state (form1_chrome.cpp)
    bool m_trayFlashOn = false; // the tray icon shows its second picture
};

} // namespace tibbo::window
