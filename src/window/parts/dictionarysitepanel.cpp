#include "dictionarysitepanel.h"

#include "widgets.h"

#include "navigation/dictionarysite.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>

#include <algorithm>
#include <iterator>

namespace tibbo::window {

namespace {

constexpr int kSiteCount = static_cast<int>(std::size(core::kDictionarySites));

} // namespace

DictionarySitePanel::DictionarySitePanel(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("dictionarySitePanel"));
    setFixedSize(330, 112);
    auto *caption =
        new CaptionLabel(QStringLiteral("查词网站（查词面板里的「网上查」打开它）"), this);
    caption->setGeometry(10, 8, 310, 18);
    m_siteBox = new QComboBox(this);
    m_siteBox->setObjectName(QStringLiteral("dictionarySiteBox"));
    m_siteBox->setGeometry(10, 30, 90, 22);
    for (const core::DictionarySite &site : core::kDictionarySites)
        m_siteBox->addItem(QString::fromUtf8(site.name), QString::fromUtf8(site.urlTemplate));
    m_siteBox->addItem(QStringLiteral("自定义"));
    m_templateBox = new QLineEdit(this);
    m_templateBox->setObjectName(QStringLiteral("dictionarySiteTemplate"));
    m_templateBox->setGeometry(104, 30, 216, 22);
    auto *hint = new QLabel(QStringLiteral("自定义的网址里用 %s 或 {word} 代表要查的词"), this);
    hint->setGeometry(10, 56, 310, 18);
    hint->setStyleSheet("color: #000080;");
    auto *ok = new PanelButton(QStringLiteral("确定"), this);
    ok->setObjectName(QStringLiteral("dictionarySiteOk"));
    ok->setGeometry(width() - 100, 82, 42, 22);
    auto *cancel = new PanelButton(QStringLiteral("取消"), this);
    cancel->setObjectName(QStringLiteral("dictionarySiteCancel"));
    cancel->setGeometry(width() - 52, 82, 42, 22);
    connect(m_siteBox, &QComboBox::activated, this, &DictionarySitePanel::onSiteChosen);
    connect(m_templateBox, &QLineEdit::textEdited, this,
            [this](const QString &text) { m_ownTemplate = text; });
    connect(m_templateBox, &QLineEdit::returnPressed, ok, &QPushButton::click);
    connect(ok, &QPushButton::clicked, this, [this] { emit templateChosen(urlTemplate()); });
    connect(cancel, &QPushButton::clicked, this, &QWidget::hide);
    hide();
}

void DictionarySitePanel::open(const QString &urlTemplate)
{
    const int site = m_siteBox->findData(urlTemplate.trimmed());
    m_ownTemplate = site >= 0 ? QString() : urlTemplate;
    m_siteBox->setCurrentIndex(site >= 0 ? site : kSiteCount);
    onSiteChosen(m_siteBox->currentIndex());
    if (const QWidget *window = parentWidget())
        move((window->width() - width()) / 2, std::max(0, (window->height() - height()) / 2));
    show();
    raise();
    m_siteBox->setFocus();
}

QString DictionarySitePanel::urlTemplate() const
{
    return m_templateBox->text().trimmed();
}

void DictionarySitePanel::onSiteChosen(int index)
{
    // A site offered shows its address, not to be changed; 自定义 the reader's own.
    const bool own = index >= kSiteCount;
    m_templateBox->setReadOnly(!own);
    m_templateBox->setText(own ? m_ownTemplate : m_siteBox->itemData(index).toString());
    if (own)
        m_templateBox->setFocus();
}

void DictionarySitePanel::paintEvent(QPaintEvent *)
{
    paintRoundedPanel(this);
}

} // namespace tibbo::window
