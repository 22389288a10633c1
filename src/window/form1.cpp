// Form1: construction, start-up and exit, the manual, the layout pass and the menu panel.
#include "form1.h"

#include "dialogs.h"
#include "loadingpanel.h"
#include "menupanel.h"
#include "promptpanel.h"
#include "reflownotice.h"
#include "scrollpanel.h"
#include "scrolltext.h"
#include "settingspanel.h"
#include "welcomepanel.h"
#include "widgets.h"

#include "navigation/navigation.h"
#include "text/codepage.h"
#include "text/fileio.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPainter>
#include <QScreen>
#include <QScrollBar>
#include <QStandardPaths>
#include <QSvgRenderer>
#include <QSystemTrayIcon>

namespace tibbo::window {

void initResources();

namespace {

// The design's page font is 宋体 10.5 pt. Linux rarely has a family of that name and
// would answer it with a Latin face, so the first installed Song-style CJK face stands
// in for it.
QFont designPageFont()
{
    const QStringList installed = QFontDatabase::families();
    QString family;
    for (const char *name : {"宋体", "SimSun", "Noto Serif CJK SC", "AR PL UMing CN",
                             "AR PL SungtiL GB", "Noto Sans CJK SC", "WenQuanYi Zen Hei"}) {
        if (installed.contains(QString::fromUtf8(name))) {
            family = QString::fromUtf8(name);
            break;
        }
    }
    QFont font(family.isEmpty() ? QStringLiteral("serif") : family);
    font.setPointSizeF(10.5);
    return font;
}

// The custom pointer of the command pictures, drawn from the artwork.
QCursor handCursor()
{
    QSvgRenderer svg(QStringLiteral(":/art/cursor-hand.svg"));
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    svg.render(&p);
    p.end();
    return QCursor(pixmap, 9, 2);
}

} // namespace

Form1::Form1(QWidget *parent) : QWidget(parent, Qt::FramelessWindowHint)
{
    initResources();
    setWindowTitle(QStringLiteral("TibboRead"));
    setWindowIcon(QIcon(QStringLiteral(":/art/app-icon.svg")));
    setFocusPolicy(Qt::StrongFocus);
    QFont ui = font();
    for (const char *name : {"Noto Sans CJK SC", "WenQuanYi Zen Hei", "AR PL UMing CN"})
        if (QFontDatabase::families().contains(QString::fromUtf8(name))) {
            ui.setFamily(QString::fromUtf8(name));
            break;
        }
    ui.setPixelSize(11);
    setFont(ui);
    m_labelFont = designPageFont();
    createControls();
    createMenus();
    connectControls();
    // Before start-up, so a saved minimised state can go to the tray.
    createTrayIcon();
}

Form1::~Form1() = default;

QString Form1::appFolder()
{
    const QString dir = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    QDir().mkpath(dir);
    return dir;
}

void Form1::createControls()
{
    Image5 = new Picture(QStringLiteral(":/art/edge-left.svg"), this);
    Image5->resize(28, 600);
    Image5->setToolTip(QStringLiteral("翻到第一页"));
    Image6 = new Picture(QStringLiteral(":/art/edge-right.svg"), this);
    Image6->resize(28, 600);
    Image6->setToolTip(QStringLiteral("转到最后一页"));
    Image3 = new Picture(QStringLiteral(":/art/page-left.svg"), this);
    Image3->setToolTip(QStringLiteral("左翻页"));
    Image4 = new Picture(QStringLiteral(":/art/page-right.svg"), this);
    Image4->setToolTip(QStringLiteral("右翻页"));
    for (Picture *strip : {Image5, Image6})
        strip->setMouseTracking(true);

    Label1 = new QLabel(this);
    Label1->hide();
    Label1->setFont(m_labelFont);
    ensureLineLabels(101);

    Label2 = new QLabel(QStringLiteral("第000页"), this);
    Label4 = new QLabel(QStringLiteral("第000页"), this);
    for (QLabel *page : {Label2, Label4}) {
        page->setAlignment(Qt::AlignCenter);
        page->setAttribute(Qt::WA_TranslucentBackground);
        page->setStyleSheet("color: #6b5a44;");
        page->resize(70, 16);
    }

    Image11 = new Picture(QStringLiteral(":/art/bookmark-icon.svg"), this);
    Image11->setToolTip(QStringLiteral("双击可以删除这个书签"));
    Image11->hide();

    Shape2 = new Bubble(this);
    Shape2->hide();
    Image2 = new Picture(QStringLiteral(":/art/bubble-tail.svg"), this);
    Image2->setAttribute(Qt::WA_TransparentForMouseEvents);
    Image2->hide();
    Image1 = new Picture(QStringLiteral(":/art/mascot-small.svg"), this);
    Image1->resize(43, 65);
    Image1->setToolTip(QStringLiteral("左键拖动可以移动窗口,右键可以最小化窗口"));
    Image1->setCursor(Qt::SizeAllCursor);

    Picture1 = new MenuPanel(this);
    Picture10 = new LoadingPanel(Picture1);
    Picture4 = new SettingsPanel(Picture1);
    Picture3 = new WelcomePanel(this);
    Picture6 = new ReflowNotice(this);
    Picture2 = new PromptPanel(this);
    Picture8 = new ScrollPanel(this);
    Image18 = new Picture(QStringLiteral(":/art/grip.svg"), this);
    Image18->resize(32, 32);
    Image18->setToolTip(QStringLiteral("按住不放可以改变窗口大小"));
    Image18->setCursor(Qt::SizeFDiagCursor);

    Label5 = {Picture1->Label5_0,  Picture1->Label5_1,  Picture1->Label5_2,  Picture1->Label5_3,
              Picture1->Label5_4,  Picture2->Label5_5,  Picture1->Label5_6,  Picture1->Label5_7,
              Picture3->Label5_8,  Picture1->Label5_9,  Picture4->Label5_10, Picture4->Label5_11,
              Picture4->Label5_12, Picture4->Label5_13, Picture4->Label5_14, Picture4->Label5_15,
              Picture4->Label5_16, Picture6->Label5_17, Picture10->Label5_18};

    Label9 = new QLabel(this);
    Label9->hide();
    QFile help(QStringLiteral(":/manual/help.txt"));
    if (help.open(QIODevice::ReadOnly))
        Label9->setText(QString::fromUtf8(help.readAll()));

    Timer1.setInterval(1000);
    Timer2.setInterval(1000);
    Timer3.setInterval(130);
    Timer4.setInterval(1);
    Timer4.setSingleShot(true);
    m_resizeSettled.setInterval(300);
    m_resizeSettled.setSingleShot(true);
    connect(&m_resizeSettled, &QTimer::timeout, this, &Form1::resizeSettled);
}

void Form1::ensureLineLabels(int count)
{
    // Line labels lie on the page backgrounds and under everything else of the window.
    while (static_cast<int>(Label3.size()) < count) {
        auto *label = new LineLabel(static_cast<int>(Label3.size()), this);
        label->setFont(m_labelFont);
        if (Label2)
            label->stackUnder(Label2);
        connect(label, &LineLabel::mouseDown, this, &Form1::Label3_MouseDown);
        Label3.push_back(label);
    }
}

void Form1::createMenus()
{
    Mnfile = new QMenu(QStringLiteral("文件"), this);
    for (int i = 0; i < 5; ++i) {
        Mnrecent[i] = Mnfile->addAction(QStringLiteral("(无文件)"));
        connect(Mnrecent[i], &QAction::triggered, this, [this, i] { Mnrecent_Click(i); });
    }

    Mnnote = new QMenu(QStringLiteral("书签"), this);
    Mnadd = Mnnote->addAction(QStringLiteral("添加书签"));
    Mnnote->addSeparator();
    Mngoto = Mnnote->addMenu(QStringLiteral("转到"));
    Mnmark.push_back(Mngoto->addAction(QStringLiteral("书签")));
    connect(Mnmark[0], &QAction::triggered, this, [this] { Mnmark_Click(0); });
    Mngopage = Mnnote->addAction(QStringLiteral("转到指定页"));
    connect(Mnadd, &QAction::triggered, this, &Form1::Mnadd_Click);
    connect(Mngopage, &QAction::triggered, this, &Form1::Mngopage_Click);

    MnFontsize = new QMenu(QStringLiteral("字号"), this);
    Mnsize.push_back(MnFontsize->addAction(QStringLiteral("6")));
    Mnsize[0]->setCheckable(true);
    connect(Mnsize[0], &QAction::triggered, this, [this] { Mnsize_Click(0); });

    MnAuto = new QMenu(QStringLiteral("自动翻页"), this);
    MnAutopage = MnAuto->addAction(QStringLiteral("自动翻页"));
    MnAutopage->setCheckable(true);
    MnSlide = MnAuto->addAction(QStringLiteral("滚动翻页"));
    MnAuto->addSeparator();
    MnSettime = MnAuto->addAction(QStringLiteral("设置翻页时间"));
    MnTestSpeed = MnAuto->addAction(QStringLiteral("开始测试读速"));
    // The check mark is set by MnAutopage_Click itself, not by Qt's toggle.
    connect(MnAutopage, &QAction::triggered, this, [this] {
        MnAutopage->setChecked(!MnAutopage->isChecked());
        MnAutopage_Click();
    });
    connect(MnSlide, &QAction::triggered, this, &Form1::MnSlide_Click);
    connect(MnSettime, &QAction::triggered, this, &Form1::MnSettime_Click);
    connect(MnTestSpeed, &QAction::triggered, this, &Form1::MnTestSpeed_Click);

    Mnapp = new QMenu(QStringLiteral("功能"), this);
    MnOpen = Mnapp->addAction(QStringLiteral("打开文件"));
    MnSetting = Mnapp->addAction(QStringLiteral("软件设置 "));
    Mnapp->addSeparator();
    MnExit = Mnapp->addAction(QStringLiteral("退出"));
    connect(MnOpen, &QAction::triggered, this, &Form1::MnOpen_Click);
    connect(MnSetting, &QAction::triggered, this, &Form1::MnSetting_Click);
    connect(MnExit, &QAction::triggered, this, &Form1::Image15_Click);
}

void Form1::connectControls()
{
    connect(Image3, &Picture::mouseDown, this,
            [this](Qt::MouseButton b, QPointF) { Image3_MouseDown(b); });
    connect(Image4, &Picture::mouseDown, this,
            [this](Qt::MouseButton b, QPointF) { Image4_MouseDown(b); });
    connect(Image5, &Picture::mouseDown, this,
            [this](Qt::MouseButton, QPointF p) { Image5_MouseDown(p.x()); });
    connect(Image6, &Picture::mouseDown, this,
            [this](Qt::MouseButton, QPointF p) { Image6_MouseDown(p.x()); });
    connect(Image5, &Picture::mouseMove, this,
            [this](Qt::MouseButtons, QPointF p) { Image5_MouseMove(p.x()); });
    connect(Image6, &Picture::mouseMove, this,
            [this](Qt::MouseButtons, QPointF p) { Image6_MouseMove(p.x()); });
    connect(Image11, &Picture::doubleClicked, this, &Form1::Image11_DblClick);
    connect(Image1, &Picture::mouseDown, this, &Form1::Image1_MouseDown);
    connect(Image1, &Picture::mouseMove, this, &Form1::Image1_MouseMove);
    connect(Image1, &Picture::mouseUp, this, &Form1::Image1_MouseUp);
    connect(Image18, &Picture::mouseDown, this, &Form1::Image18_MouseDown);
    connect(Image18, &Picture::mouseMove, this, &Form1::Image18_MouseMove);
    connect(Image18, &Picture::mouseUp, this, &Form1::Image18_MouseUp);

    // The menu panel's pictures and captions.
    MenuPanel *m = Picture1;
    connect(m->Image7, &Picture::clicked, this, &Form1::Image7_Click);
    connect(m->Image7, &Picture::mouseDown, this, [this](Qt::MouseButton b, QPointF) {
        if (b == Qt::RightButton)
            showRecentMenu();
    });
    connect(m->Image10, &Picture::clicked, this, &Form1::Mnadd_Click);
    connect(m->Image10, &Picture::mouseDown, this, [this](Qt::MouseButton b, QPointF) {
        if (b == Qt::RightButton)
            showBookmarkMenu();
    });
    connect(m->Image8, &Picture::mouseDown, this, [this](Qt::MouseButton b, QPointF) {
        if (b == Qt::LeftButton && MnAutopage->isEnabled())
            MnAutopage_Click();
        else if (b == Qt::RightButton)
            showAutoMenu();
    });
    connect(m->Image17, &Picture::clicked, this, &Form1::Image17_Click);
    connect(m->Image17, &Picture::mouseDown, this, [this](Qt::MouseButton b, QPointF) {
        if (b == Qt::RightButton)
            ShowSizeMenu();
    });
    connect(m->Image14, &Picture::clicked, this, &Form1::Image14_Click);
    connect(m->Image9, &Picture::clicked, this, &Form1::Image9_Click);
    connect(m->Image15, &Picture::clicked, this, &Form1::Image15_Click);
    connect(Picture3->Image16, &Picture::clicked, this, &Form1::Image16_Click);

    connect(Label5[1], &CaptionLabel::mouseDown, this, [this](Qt::MouseButton b) {
        if (b == Qt::RightButton)
            showRecentMenu();
    });
    connect(Label5[2], &CaptionLabel::mouseDown, this, [this](Qt::MouseButton b) {
        if (b == Qt::RightButton)
            showBookmarkMenu();
    });
    // The automatic-turning caption switches on the press itself, not on the click.
    connect(Label5[3], &CaptionLabel::mouseDown, this, [this](Qt::MouseButton b) {
        if (b == Qt::LeftButton)
            Label5_3_LeftDown();
        else if (b == Qt::RightButton)
            showAutoMenu();
    });
    connect(Label5[9], &CaptionLabel::mouseDown, this, [this](Qt::MouseButton b) {
        if (b == Qt::RightButton)
            ShowSizeMenu();
    });
    connect(Label5[1], &CaptionLabel::clicked, this, &Form1::Image7_Click);
    connect(Label5[2], &CaptionLabel::clicked, this, &Form1::Mnadd_Click);
    connect(Label5[4], &CaptionLabel::clicked, this, &Form1::Image9_Click);
    connect(Label5[6], &CaptionLabel::clicked, this, &Form1::Image14_Click);
    connect(Label5[7], &CaptionLabel::clicked, this, &Form1::Image15_Click);
    connect(Label5[8], &CaptionLabel::clicked, this, &Form1::Image16_Click);
    connect(Label5[9], &CaptionLabel::clicked, this, &Form1::Image17_Click);

    // The prompt panel.
    connect(Picture2->Command2, &QPushButton::clicked, this, &Form1::Command2_Click);
    connect(Picture2->Command3, &QPushButton::clicked, this, &Form1::Command3_Click);
    connect(Picture2, &PromptPanel::enterPressed, this, &Form1::Command2_Click);
    connect(Picture2, &PromptPanel::escapePressed, this, &Form1::Command3_Click);
    connect(Picture2->Image12, &Picture::clicked, this, &Form1::Image12_Click);
    connect(Picture2->Image13, &Picture::clicked, this, &Form1::Image13_Click);
    // Holding the decrease arrow and moving the pointer runs the value down quickly.
    connect(Picture2->Image13, &Picture::mouseMove, this, [this](Qt::MouseButtons b, QPointF) {
        if (b & Qt::LeftButton)
            Image13_Click();
    });

    connect(Picture10->Command6, &QPushButton::clicked, this, &Form1::Command6_Click);

    // The settings panel.
    SettingsPanel *s = Picture4;
    s->check4MouseDown = [this] {
        const bool allowed = !m_state.loadingBusy;
        Check4_MouseDown();
        return allowed;
    };
    connect(s->List5, &QListWidget::currentRowChanged, this, &Form1::List5_Click);
    connect(s->Combo1, &QComboBox::activated, this, &Form1::Combo1_Click);
    connect(s->Check1, &QCheckBox::clicked, this, &Form1::Check1_Click);
    connect(s->Check2, &QCheckBox::clicked, this, &Form1::Check2_Click);
    connect(s->Check3, &QCheckBox::clicked, this, &Form1::Check3_Click);
    connect(s->Command4, &QPushButton::clicked, this, &Form1::Command4_Click);
    connect(s->Command5, &QPushButton::clicked, this, &Form1::Command5_Click);

    // Scroll mode.
    connect(Picture8->Check5, &QCheckBox::clicked, this, &Form1::Check5_Click);
    connect(Picture8->Text2, &ScrollText::clicked, this, &Form1::Text2_Click);
    connect(Picture8->HScroll1, &QScrollBar::valueChanged, this, &Form1::HScroll1_Change);
    connect(Picture8->Command1, &QPushButton::clicked, this, &Form1::Command1_Click);

    connect(&Timer1, &QTimer::timeout, this, &Form1::Timer1_Timer);
    connect(&Timer2, &QTimer::timeout, this, &Form1::Timer2_Timer);
    connect(&Timer3, &QTimer::timeout, this, &Form1::Timer3_Timer);
    connect(&Timer4, &QTimer::timeout, this, &Form1::Timer4_Timer);

    // Every way out writes the settings file, also the end of the desktop session.
    connect(qApp, &QGuiApplication::commitDataRequest, this, [this](QSessionManager &) {
        if (!m_exited)
            WriteINI();
    });
}

QString Form1::manualPath() const
{
    return appFolder() + QStringLiteral("/readme.txt");
}

// The manual ships inside the program; it is put into the application folder, in
// GB18030 with CR LF line ends like any book, when it is missing there.
void Form1::installManual() const
{
    const std::string path = manualPath().toStdString();
    if (core::fileExists(path))
        return;
    QFile manual(QStringLiteral(":/manual/readme.txt"));
    if (!manual.open(QIODevice::ReadOnly))
        return;
    QString text = QString::fromUtf8(manual.readAll());
    text.replace(QLatin1Char('\n'), QLatin1String("\r\n"));
    const std::u32string chars = text.toStdU32String();
    core::writeFileAtomically(path, core::encodeGb18030(chars));
}

void Form1::Form_Load(const QString &bookArgument)
{
    installManual();
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    m_state.autoTurnSeconds = 240;
    Picture8->HScroll1->setValue(130);
    HScroll1_Change();
    m_state.normalWidth = 11910;
    m_state.normalHeight = 7320;
    m_state.normalLeft = (screen.width() * kTwipsPerPixel - m_state.normalWidth) / 2;
    m_state.normalTop = (screen.height() * kTwipsPerPixel - m_state.normalHeight) / 2;
    moveToNormalGeometry();
    ensureLineLabels(101);
    Label3[0]->hide();
    m_state.topMargin = 10;
    m_state.bottomMargin = 20;
    m_state.leftMargin = 40;
    m_state.rightMargin = 20;
    m_state.lineSpacing = 5;
    m_state.menuShown = false;
    // The preview starts as the page font, so the settings panel shows what the page uses.
    Picture4->Label8->setFont(m_labelFont);

    QCoreApplication::processEvents();
    Form_Resize();
    GetLinelen();
    QCoreApplication::processEvents();

    if (QFile::exists(appFolder() + QStringLiteral("/settings.ini")))
        ReadINI();
    else
        m_state.welcomeMode = true;
    if (!isFullScreenCaption())
        moveToNormalGeometry();

    fillAppearanceControls();

    const QCursor hand = handCursor();
    for (QWidget *w : std::initializer_list<QWidget *>{
             Picture1->Image7, Picture1->Image10, Picture1->Image8, Picture1->Image17,
             Picture1->Image14, Picture1->Image9, Picture1->Image15, Picture3->Image16, Label5[1],
             Label5[2], Label5[3], Label5[9], Label5[6], Label5[4], Label5[7], Label5[8]})
        w->setCursor(hand);

    QCoreApplication::processEvents();
    Resizeline();
    Freshmenu();
    if (Mnrecent[1]->text() == QLatin1String("none"))
        OpenBook(manualPath());
    // A first start keeps the welcome panel open in the bubble over the manual.
    if (m_state.welcomeMode) {
        ShowMenu();
        Form_Resize();
    }
    if (!bookArgument.isEmpty())
        openChosenBook(bookArgument);
}

// Places the window at its normal geometry; a place outside every screen (a screen
// that is gone, a hand-edited file) centres it on the primary screen instead.
void Form1::moveToNormalGeometry()
{
    QRect r(qRound(m_state.normalLeft / kTwipsPerPixel), qRound(m_state.normalTop / kTwipsPerPixel),
            qRound(m_state.normalWidth / kTwipsPerPixel),
            qRound(m_state.normalHeight / kTwipsPerPixel));
    if (r.width() < 1 || r.height() < 1)
        return;
    bool visible = false;
    for (QScreen *s : QGuiApplication::screens())
        visible = visible || s->geometry().intersects(r);
    if (!visible) {
        const QRect screen = QGuiApplication::primaryScreen()->geometry();
        r.moveCenter(screen.center());
        m_state.normalLeft = r.left() * kTwipsPerPixel;
        m_state.normalTop = r.top() * kTwipsPerPixel;
    }
    setGeometry(r);
}

void Form1::Image15_Click()
{
    if (m_exited)
        return;
    // The program ends whatever the write says.
    WriteINI();
    m_exited = true;
    Timer1.stop();
    Timer2.stop();
    Timer3.stop();
    if (TrayIcon1)
        TrayIcon1->hide();
    hide();
    QCoreApplication::quit();
}

void Form1::closeEvent(QCloseEvent *event)
{
    Image15_Click();
    event->accept();
}

void Form1::Image9_Click()
{
    if (Label5[4]->caption() != QStringLiteral("看看说明书")) {
        leaveManual();
        return;
    }
    m_state.welcomeMode = true;
    // Without a saved state the reader's own book could not come back: stay with it.
    if (!WriteINI()) {
        m_state.welcomeMode = false;
        return;
    }
    OpenBook(manualPath());
    if (m_state.recent[0] != core::kNoneMarker) {
        QCoreApplication::processEvents();
        LookUp();
        CloseMenu();
        if (Mnrecent[1]->text() != QLatin1String("none"))
            Label5[4]->setCaption(QStringLiteral("不想看了"));
    } else {
        Label5[8]->setCaption(QStringLiteral("开始使用软件"));
        core::setParagraphText(m_state, Label9->text().toStdU32String());
        m_state.topLine = 1;
        Resizeline();
        ShowMenu();
        Picture3->show();
        Form_Resize();
    }
}

// Back from the manual to the reader's own book, as the settings file saved it when
// the manual was opened.
void Form1::leaveManual()
{
    Label5[4]->setCaption(QStringLiteral("看看说明书"));
    m_state.welcomeMode = false;
    ReadINI();
    CloseMenu();
    Resizeline();
}

void Form1::Image16_Click()
{
    const bool hasOwnBook = Mnrecent[1]->text() != QLatin1String("none");
    if (!hasOwnBook)
        m_state.welcomeMode = false;
    if (hasOwnBook && m_state.welcomeMode) {
        leaveManual();
        return;
    }
    CloseMenu();
    Form_Resize();
    ShowMenu();
    Freshmenu();
}

// ---- layout ------------------------------------------------------------------------

void Form1::resizeEvent(QResizeEvent *)
{
    Form_Resize();
    m_resizeSettled.start();
}

// The grip and the full-screen toggle re-flow by themselves; a size the desktop gave
// the window (a tiling window manager, a screen change) is re-flowed here once it has
// settled, so the page never stays cut for another size.
void Form1::resizeSettled()
{
    if (QGuiApplication::mouseButtons() & Qt::LeftButton) {
        m_resizeSettled.start();
        return;
    }
    if (m_exited || m_reflowing || m_state.loadingBusy || isMinimized() || !isVisible())
        return;
    if (m_state.charsPerLine != m_flowedCharsPerLine ||
        m_state.linesPerPage != m_flowedLinesPerPage)
        Resizeline();
}

void Form1::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange)
        Form_Resize();
}

void Form1::placeMascot(bool large)
{
    const int W = width(), H = height();
    if (large)
        Image1->setGeometry(W - 90 - 10, H - 119 - 15, 90, 119);
    else
        Image1->setGeometry(W - 43 + 4, H - 65 + 23, 43, 65);
}

// The bubble over the mascot, its tail, and the panels that open in it.
void Form1::placeBubble()
{
    Shape2->move(Image1->x() - Shape2->width() + 25, Image1->y() - Shape2->height() + 25);
    Picture3->move(Shape2->x() + 6, Shape2->y() + 9);
    Picture6->move(Shape2->x() + 6, Shape2->y() + 9);
    Image2->setGeometry(Shape2->x() + 156, Shape2->y() + 174, 111, 34);
    Picture1->move(Shape2->x() + (Shape2->width() - Picture1->width()) / 2,
                   Shape2->y() + (Shape2->height() - Picture1->height()) / 2);
}

void Form1::Form_Resize()
{
    const int W = width(), H = height();
    const int e = Image5->width();
    Image5->setGeometry(0, 0, e, H);
    Image6->setGeometry(W - e, 0, e, H);
    // Pages narrower than nothing are left where they were.
    const int pageWidth = W / 2 - Image5->x() - e;
    if (pageWidth >= 0) {
        Image3->setGeometry(Image5->x() + e, 0, pageWidth, H);
        Image4->setGeometry(W / 2, 0, pageWidth, H);
    }
    GetLinelen();
    Label2->move(Image5->x() + e + 10, H - Label2->height() - 2);
    Label4->move(W - Label2->x() - Label2->width(), Label2->y());
    Label2->raise();
    Label4->raise();
    if (!Picture3->isVisible()) {
        Image1->raise();
        placeMascot(false);
        placeBubble();
        Shape2->raise();
        Image2->raise();
    } else {
        placeMascot(true);
        Image1->show();
        Shape2->show();
        placeBubble();
        Image2->show();
    }
    Picture1->raise();
    Picture3->raise();
    Picture6->raise();
    if (isMinimized())
        hideToTray();
    if (W - 50 >= 0 && H - 50 >= 0)
        Picture8->setGeometry(25, 25, W - 50, H - 50);
    Picture8->raise();
    Picture2->raise();
    Image18->move(W - Image18->width() + 8, H - Image18->height() - 24);
    Image18->raise();
}

// ---- menu panel ----------------------------------------------------------------------

void Form1::ShowMenu()
{
    Image1->setPicture(QStringLiteral(":/art/mascot-large.svg"));
    m_state.menuShown = true;
    if (m_state.welcomeMode)
        Picture3->show();
    placeMascot(true);
    Image1->show();
    Shape2->show();
    placeBubble();
    Image2->show();
    Picture1->show();
    Image1->raise();
    Shape2->raise();
    Image2->raise();
    Picture1->raise();
    Picture3->raise();
    Picture6->raise();
    Picture2->raise();
    Picture1->setToolTip(QString::fromStdString(core::bookInfoTooltip(m_state)));
}

void Form1::CloseMenu()
{
    for (QWidget *w : std::initializer_list<QWidget *>{Shape2, Image2, Picture1, Picture2, Picture3,
                                                       Picture4, Picture6})
        w->hide();
    m_state.menuShown = false;
    Image1->raise();
    placeMascot(false);
    placeBubble();
    Shape2->raise();
    Image2->raise();
    Image1->setPicture(QStringLiteral(":/art/mascot-small.svg"));
    Image18->raise();
}

void Form1::showRecentMenu()
{
    Dialogs::popup(Mnfile);
}
void Form1::showBookmarkMenu()
{
    Dialogs::popup(Mnnote);
}
void Form1::showAutoMenu()
{
    Dialogs::popup(MnAuto);
}

QFont Form1::pageFont() const
{
    return m_labelFont;
}

} // namespace tibbo::window
