#include "highlightlistpanel.h"

#include "widgets.h"

#include <QColor>
#include <QHeaderView>
#include <QLabel>
#include <QTreeWidget>

#include <algorithm>

namespace tibbo::window {

namespace {

constexpr int kWordsShown = 40;

QString shortened(const QString &text)
{
    const QString line = text.simplified();
    return line.size() > kWordsShown ? line.left(kWordsShown) + QStringLiteral("……") : line;
}

} // namespace

HighlightListPanel::HighlightListPanel(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("highlightListPanel"));
    resize(520, 380);
    hide();
}

// Made when first opened, as the chapter list is: most readings never open it.
void HighlightListPanel::build()
{
    m_caption = new QLabel(this);
    m_caption->setObjectName(QStringLiteral("highlightListCaption"));
    m_caption->setStyleSheet("color: #000080; font-weight: bold;");
    auto *close = new PanelButton(QStringLiteral("关闭"), this);
    close->setObjectName(QStringLiteral("highlightListClose"));
    m_markdown = new PanelButton(QStringLiteral("导出 Markdown…"), this);
    m_markdown->setObjectName(QStringLiteral("highlightExportMarkdown"));
    m_plainText = new PanelButton(QStringLiteral("导出文本…"), this);
    m_plainText->setObjectName(QStringLiteral("highlightExportText"));
    m_list = new QTreeWidget(this);
    m_list->setObjectName(QStringLiteral("highlightList"));
    m_list->setColumnCount(4);
    m_list->setHeaderLabels({QStringLiteral("页"), QStringLiteral("章节"), QStringLiteral("划线"),
                             QStringLiteral("笔记")});
    m_list->setRootIsDecorated(false);
    m_list->setUniformRowHeights(true);
    m_list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_list->setTextElideMode(Qt::ElideRight);
    m_list->header()->setStretchLastSection(true);
    m_list->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    m_list->header()->setSectionResizeMode(1, QHeaderView::Interactive);
    m_list->header()->setSectionResizeMode(2, QHeaderView::Interactive);
    m_list->setStyleSheet("QTreeWidget { background: white; border: 1px solid #3050c0; }"
                          "QTreeWidget::item:selected { background: #ffe0e8; color: black; }");
    connect(close, &QPushButton::clicked, this, &QWidget::hide);
    connect(m_markdown, &QPushButton::clicked, this, &HighlightListPanel::markdownExportChosen);
    connect(m_plainText, &QPushButton::clicked, this, &HighlightListPanel::plainTextExportChosen);
    const auto choose = [this](QTreeWidgetItem *item) {
        const int index = item->data(0, Qt::UserRole).toInt();
        if (index < 0)
            return;
        hide();
        emit entryChosen(index);
    };
    connect(m_list, &QTreeWidget::itemClicked, this, choose);
    connect(m_list, &QTreeWidget::itemActivated, this, choose);

    const int W = width(), H = height();
    m_caption->setGeometry(12, 6, W - 80, 20);
    close->setGeometry(W - 54, 5, 44, 20);
    m_list->setGeometry(10, 30, W - 20, H - 68);
    m_list->setColumnWidth(1, 130);
    m_list->setColumnWidth(2, 190);
    m_markdown->setGeometry(W - 226, H - 32, 110, 22);
    m_plainText->setGeometry(W - 110, H - 32, 100, 22);
}

void HighlightListPanel::open(const std::vector<Entry> &entries)
{
    if (!m_list)
        build();
    m_list->clear();
    int lost = 0;
    for (size_t i = 0; i < entries.size(); ++i) {
        const Entry &entry = entries[i];
        const bool found = entry.page > 0;
        auto *item = new QTreeWidgetItem(
            m_list, {found ? QStringLiteral("第%1页").arg(entry.page) : QStringLiteral("未找到"),
                     entry.chapter, shortened(entry.words), shortened(entry.note)});
        item->setData(0, Qt::UserRole, found ? static_cast<int>(i) : -1);
        item->setToolTip(2, entry.words.toHtmlEscaped());
        if (!entry.note.isEmpty())
            item->setToolTip(3, QStringLiteral("<p style='white-space:pre-wrap'>%1</p>")
                                    .arg(entry.note.toHtmlEscaped()));
        if (!found) {
            ++lost;
            item->setToolTip(0, QStringLiteral("书的内容变了，没有找到这一处；它和笔记都还留着"));
            for (int column = 0; column < 4; ++column)
                item->setForeground(column, QColor(0x80, 0x80, 0x80));
        }
    }
    if (entries.empty())
        m_caption->setText(
            QStringLiteral("划线和笔记 (这本书里还没有。按住 Ctrl 选中文字，点「划线」)"));
    else if (lost == 0)
        m_caption->setText(QStringLiteral("划线和笔记 (共%1条)").arg(entries.size()));
    else
        m_caption->setText(
            QStringLiteral("划线和笔记 (共%1条，%2条未找到)").arg(entries.size()).arg(lost));
    m_markdown->setEnabled(!entries.empty());
    m_plainText->setEnabled(!entries.empty());
    if (const QWidget *window = parentWidget())
        move(std::max(0, (window->width() - width()) / 2),
             std::max(0, (window->height() - height()) / 2));
    show();
    raise();
    if (m_list->topLevelItemCount() > 0)
        m_list->setCurrentItem(m_list->topLevelItem(0));
    m_list->setFocus();
}

int HighlightListPanel::rowCount() const
{
    return m_list ? m_list->topLevelItemCount() : 0;
}

void HighlightListPanel::paintEvent(QPaintEvent *)
{
    paintRoundedPanel(this);
}

} // namespace tibbo::window
