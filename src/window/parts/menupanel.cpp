#include "menupanel.h"

#include "widgets.h"

#include <QPainter>

namespace tibbo::window {

namespace {

CaptionLabel *caption(QWidget *parent, const char *name, const QString &text, int x, int y, int w,
                      int h)
{
    auto *label = new CaptionLabel(text, parent);
    label->setObjectName(QLatin1String(name));
    label->setGeometry(x, y, w, h);
    return label;
}

Picture *picture(QWidget *parent, const char *name, const char *art, int x, int y, int size)
{
    auto *p = new Picture(QStringLiteral(":/art/%1.svg").arg(QLatin1String(art)), parent);
    p->setObjectName(QLatin1String(name));
    p->setGeometry(x, y, size, size);
    p->setCursor(QCursor(Qt::PointingHandCursor));
    return p;
}

} // namespace

MenuPanel::MenuPanel(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("menuPanel"));
    setFixedSize(280, 154);
    fillAsPanel(this);

    m_greeting =
        caption(this, "greeting", QStringLiteral("敬爱的用户,我能为你做点什么?"), 9, 6, 168, 16);
    m_readAloudCaption = caption(this, "readAloudCaption", QStringLiteral("朗读"), 180, 6, 28, 16);
    m_readAloudCaption->setToolTip(
        QStringLiteral("朗读这本书 (R 键开始或停止,空格暂停,Esc 停止;右键:定时和朗读设置)"));
    connect(m_readAloudCaption, &CaptionLabel::clicked, this, &MenuPanel::readAloudRequested);
    connect(m_readAloudCaption, &CaptionLabel::mouseDown, this, [this](Qt::MouseButton b) {
        if (b == Qt::RightButton)
            emit readAloudMenuRequested();
    });
    m_chapterListCaption =
        caption(this, "chapterListCaption", QStringLiteral("目录"), 214, 6, 28, 16);
    m_chapterListCaption->setToolTip(QStringLiteral("章节列表 (T 键)"));
    m_searchCaption = caption(this, "searchCaption", QStringLiteral("查找"), 248, 6, 28, 16);
    m_searchCaption->setToolTip(QStringLiteral("在书里查找文字 (Ctrl+F)"));
    connect(m_chapterListCaption, &CaptionLabel::clicked, this, &MenuPanel::chapterListRequested);
    connect(m_searchCaption, &CaptionLabel::clicked, this, &MenuPanel::searchRequested);
    m_openPicture = picture(this, "openPicture", "cmd-open", 3, 36, 48);
    m_openPicture->setToolTip(QStringLiteral(
        "如果你发现读出来的文件版面有点问题,可以在\"软件设置\"里激活\"修整段落\"选项"));
    m_openCaption = caption(this, "openCaption",
                            QStringLiteral("打开一部小说\r\n(左键打开对话框\r\n 右键打开最近文件)"),
                            48, 40, 105, 42);
    m_bookmarkPicture = picture(this, "bookmarkPicture", "cmd-bookmark", 153, 36, 48);
    m_bookmarkPicture->setToolTip(
        QStringLiteral("记得先点击你打算添加书签的那一行,按键盘上的A键可以快速添加书签"));
    m_bookmarkCaption =
        caption(this, "bookmarkCaption",
                QStringLiteral("设置书签\r\n(左键快速添加\r\n 右键打开菜单)"), 201, 40, 78, 42);
    m_autoTurnPicture = picture(this, "autoTurnPicture", "cmd-auto", 0, 84, 48);
    m_autoTurnCaption = caption(
        this, "autoTurnCaption",
        QStringLiteral("自动翻页(关)\r\n(左键开关自动翻页\r\n 右键设置翻页时间)"), 48, 85, 105, 42);
    m_settingsPicture = picture(this, "settingsPicture", "cmd-settings", 153, 84, 48);
    m_settingsPicture->setToolTip(QStringLiteral("点右键可以快速设置文字大小"));
    m_settingsCaption =
        caption(this, "settingsCaption",
                QStringLiteral("软件设置\r\n(左键具体设置\r\n 右键快捷设置)"), 201, 85, 79, 42);
    m_fullScreenPicture = picture(this, "fullScreenPicture", "cmd-fullscreen", 6, 132, 16);
    m_fullScreenCaption =
        caption(this, "fullScreenCaption", QStringLiteral("放大到全屏幕"), 24, 133, 90, 16);
    m_manualPicture = picture(this, "manualPicture", "cmd-manual", 111, 132, 16);
    m_manualCaption =
        caption(this, "manualCaption", QStringLiteral("看看说明书"), 129, 133, 62, 16);
    m_scriptCaption = caption(this, "scriptCaption", QStringLiteral("简繁"), 194, 133, 28, 16);
    m_scriptCaption->setToolTip(QStringLiteral("原文、转简体或转繁体"));
    connect(m_scriptCaption, &CaptionLabel::clicked, this, &MenuPanel::scriptMenuRequested);
    m_exitPicture = picture(this, "exitPicture", "cmd-exit", 228, 129, 24);
    m_exitCaption = caption(this, "exitCaption", QStringLiteral("退出"), 254, 133, 26, 16);

    wire(m_openPicture, m_openCaption, &MenuPanel::openRequested, &MenuPanel::recentMenuRequested);
    wire(m_bookmarkPicture, m_bookmarkCaption, &MenuPanel::addBookmarkRequested,
         &MenuPanel::bookmarkMenuRequested);
    wire(m_settingsPicture, m_settingsCaption, &MenuPanel::settingsRequested,
         &MenuPanel::sizeMenuRequested);
    wire(m_fullScreenPicture, m_fullScreenCaption, &MenuPanel::fullScreenRequested, nullptr);
    wire(m_manualPicture, m_manualCaption, &MenuPanel::manualRequested, nullptr);
    wire(m_exitPicture, m_exitCaption, &MenuPanel::exitRequested, nullptr);
    // Automatic turning switches on the press itself, not on the click.
    connect(m_autoTurnPicture, &Picture::mouseDown, this, [this](Qt::MouseButton b, QPointF) {
        if (b == Qt::LeftButton)
            emit autoTurnPictureClicked();
        else if (b == Qt::RightButton)
            emit autoTurnMenuRequested();
    });
    connect(m_autoTurnCaption, &CaptionLabel::mouseDown, this, [this](Qt::MouseButton b) {
        if (b == Qt::LeftButton)
            emit autoTurnCaptionPressed();
        else if (b == Qt::RightButton)
            emit autoTurnMenuRequested();
    });
    hide();
}

void MenuPanel::wire(Picture *picture, CaptionLabel *caption, void (MenuPanel::*command)(),
                     void (MenuPanel::*menu)())
{
    connect(picture, &Picture::clicked, this, command);
    connect(caption, &CaptionLabel::clicked, this, command);
    if (!menu)
        return;
    connect(picture, &Picture::mouseDown, this, [this, menu](Qt::MouseButton b, QPointF) {
        if (b == Qt::RightButton)
            emit(this->*menu)();
    });
    connect(caption, &CaptionLabel::mouseDown, this, [this, menu](Qt::MouseButton b) {
        if (b == Qt::RightButton)
            emit(this->*menu)();
    });
}

void MenuPanel::setAutoTurnCaption(const QString &caption)
{
    m_autoTurnCaption->setCaption(caption);
}

void MenuPanel::showFullScreen(bool on)
{
    m_fullScreenCaption->setCaption(on ? QStringLiteral("恢复到一般大小")
                                       : QStringLiteral("放大到全屏幕"));
}

void MenuPanel::setManualCaption(const QString &caption)
{
    m_manualCaption->setCaption(caption);
}

void MenuPanel::setCommandCursor(const QCursor &cursor)
{
    for (QWidget *w : std::initializer_list<QWidget *>{
             m_openPicture, m_bookmarkPicture, m_autoTurnPicture, m_settingsPicture,
             m_fullScreenPicture, m_manualPicture, m_exitPicture, m_openCaption, m_bookmarkCaption,
             m_autoTurnCaption, m_settingsCaption, m_fullScreenCaption, m_manualCaption,
             m_exitCaption, m_chapterListCaption, m_searchCaption, m_readAloudCaption,
             m_scriptCaption})
        w->setCursor(cursor);
}

void MenuPanel::paintEvent(QPaintEvent *)
{
    // The navy separator under the greeting.
    QPainter p(this);
    p.setPen(QPen(QColor(0, 0, 128), 1));
    p.drawLine(4, 27, width() - 4, 27);
}

} // namespace tibbo::window
