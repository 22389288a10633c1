#include "lookuppanel.h"

#include "widgets.h"

#include <QLabel>
#include <QTextBrowser>

#include <algorithm>

namespace tibbo::window {

namespace {

constexpr int kMargin = 10;
constexpr int kButtonHeight = 22;

} // namespace

LookUpPanel::LookUpPanel(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("lookUpPanel"));
    m_title = new CaptionLabel(QString(), this);
    m_title->setObjectName(QStringLiteral("lookUpWord"));
    m_entries = new QTextBrowser(this);
    m_entries->setObjectName(QStringLiteral("lookUpEntries"));
    m_entries->setOpenLinks(false);
    m_entries->setFocusPolicy(Qt::NoFocus);
    m_entries->setStyleSheet(QStringLiteral("QTextBrowser { background: #fffdf6; border: 1px "
                                            "solid #8090c0; border-radius: 4px; }"));
    m_goldenDict = new PanelButton(QStringLiteral("GoldenDict"), this);
    m_goldenDict->setObjectName(QStringLiteral("lookUpGoldenDict"));
    m_web = new PanelButton(QStringLiteral("网上查"), this);
    m_web->setObjectName(QStringLiteral("lookUpWeb"));
    m_close = new PanelButton(QStringLiteral("关闭"), this);
    m_close->setObjectName(QStringLiteral("lookUpClose"));
    for (QPushButton *button : {m_goldenDict, m_web, m_close})
        button->setFocusPolicy(Qt::NoFocus);
    connect(m_goldenDict, &QPushButton::clicked, this, &LookUpPanel::goldenDictChosen);
    connect(m_web, &QPushButton::clicked, this, &LookUpPanel::webChosen);
    connect(m_close, &QPushButton::clicked, this, &QWidget::hide);
    hide();
}

void LookUpPanel::open(const QString &word, bool goldenDictShown)
{
    m_title->setCaption(QStringLiteral("查词：%1").arg(word));
    m_goldenDict->setVisible(goldenDictShown);
    showMessage(QStringLiteral("正在查……"));
    if (const QWidget *window = parentWidget()) {
        const int w = std::clamp(window->width() * 3 / 5, 240, std::max(240, window->width() - 20));
        const int h =
            std::clamp(window->height() * 3 / 5, 160, std::max(160, window->height() - 20));
        setGeometry((window->width() - w) / 2, (window->height() - h) / 2, w, h);
    }
    show();
    raise();
}

void LookUpPanel::setWebSiteName(const QString &name)
{
    m_web->setToolTip(QStringLiteral("在浏览器里打开%1查这个词").arg(name));
}

void LookUpPanel::showEntries(const std::vector<core::DictionaryEntry> &entries)
{
    // The dictionaries' text is shown as text: markup in it is not the panel's to run.
    QString html;
    for (const core::DictionaryEntry &entry : entries) {
        html += QStringLiteral("<p><b>%1</b>　<span style='color:#6b5a44'>%2</span><br>%3</p>")
                    .arg(QString::fromStdString(entry.word).toHtmlEscaped(),
                         QString::fromStdString(entry.dictionary).toHtmlEscaped(),
                         QString::fromStdString(entry.definition)
                             .toHtmlEscaped()
                             .replace(QLatin1Char('\n'), QLatin1String("<br>")));
    }
    m_entries->setHtml(html);
}

void LookUpPanel::showMessage(const QString &message)
{
    m_entries->setPlainText(message);
}

QString LookUpPanel::shownText() const
{
    return m_entries->toPlainText();
}

void LookUpPanel::resizeEvent(QResizeEvent *)
{
    const int W = width(), H = height();
    m_title->setGeometry(kMargin, 6, W - 2 * kMargin, 20);
    const int buttonsTop = H - kButtonHeight - 8;
    m_entries->setGeometry(kMargin, 30, W - 2 * kMargin, buttonsTop - 36);
    int x = W - kMargin;
    for (QPushButton *button : {m_close, m_web, m_goldenDict}) {
        const int bw = button == m_goldenDict ? 80 : 52;
        x -= bw;
        button->setGeometry(x, buttonsTop, bw, kButtonHeight);
        x -= 6;
    }
}

void LookUpPanel::paintEvent(QPaintEvent *)
{
    paintRoundedPanel(this);
}

} // namespace tibbo::window
