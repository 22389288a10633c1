#include "chapterpanel.h"

#include "widgets.h"

#include <QColor>
#include <QHeaderView>
#include <QLabel>
#include <QPainter>
#include <QTreeWidget>

#include <algorithm>

namespace tibbo::window {

ChapterPanel::ChapterPanel(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("chapterPanel"));
    resize(300, 380);
    hide();
}

// The list is made when it is first opened: most readings never open it, and a tree
// view lays itself out (loading a bold face for its header) even while hidden.
void ChapterPanel::build()
{
    m_caption = new QLabel(QStringLiteral("目录"), this);
    m_caption->setObjectName(QStringLiteral("chapterCaption"));
    m_caption->setGeometry(12, 6, 200, 20);
    m_caption->setStyleSheet("color: #000080; font-weight: bold;");
    m_timeLeft = new QLabel(this);
    m_timeLeft->setObjectName(QStringLiteral("chapterTimeLeft"));
    m_timeLeft->setGeometry(12, 26, width() - 24, 16);
    m_timeLeft->setStyleSheet("color: #000080;");
    auto *close = new PanelButton(QStringLiteral("关闭"), this);
    close->setObjectName(QStringLiteral("chapterClose"));
    close->setGeometry(width() - 54, 5, 44, 20);
    // Two columns: the heading, elided when long, and its page at the right.
    m_list = new QTreeWidget(this);
    m_list->setObjectName(QStringLiteral("chapterList"));
    m_list->setGeometry(10, 30, width() - 20, height() - 68);
    m_nextProblem = new PanelButton(QStringLiteral("下一个问题"), this);
    m_nextProblem->setObjectName(QStringLiteral("chapterNextProblem"));
    m_nextProblem->setGeometry(10, height() - 32, 90, 22);
    auto *rules = new PanelButton(QStringLiteral("章节规则…"), this);
    rules->setObjectName(QStringLiteral("chapterRules"));
    rules->setGeometry(width() - 100, height() - 32, 90, 22);
    connect(m_nextProblem, &QPushButton::clicked, this, &ChapterPanel::selectNextProblem);
    connect(rules, &QPushButton::clicked, this, [this] {
        hide();
        emit rulesRequested();
    });
    m_list->setColumnCount(2);
    m_list->setHeaderHidden(true);
    m_list->setRootIsDecorated(false);
    m_list->setUniformRowHeights(true);
    m_list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_list->setTextElideMode(Qt::ElideRight);
    m_list->header()->setStretchLastSection(false);
    m_list->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    m_list->header()->setSectionResizeMode(1, QHeaderView::ResizeToContents);
    m_list->setStyleSheet("QTreeWidget { background: white; border: 1px solid #3050c0; }"
                          "QTreeWidget::item:selected { background: #ffe0e8; color: black; }");
    connect(close, &QPushButton::clicked, this, &QWidget::hide);
    const auto choose = [this](QTreeWidgetItem *item) {
        hide();
        emit chapterChosen(m_list->indexOfTopLevelItem(item));
    };
    connect(m_list, &QTreeWidget::itemClicked, this, choose);
    connect(m_list, &QTreeWidget::itemActivated, this, choose);
}

void ChapterPanel::open(const std::vector<Entry> &entries, int current, const QString &timeLeft)
{
    if (!m_list)
        build();
    // The two lines of the time left become one under the caption.
    QString shortTimeLeft = timeLeft;
    shortTimeLeft.replace(QLatin1Char('\n'), QStringLiteral("　"));
    m_timeLeft->setText(shortTimeLeft);
    m_timeLeft->setVisible(!timeLeft.isEmpty());
    const int listTop = timeLeft.isEmpty() ? 30 : 46;
    m_list->setGeometry(10, listTop, width() - 20, height() - listTop - 10);
    m_list->clear();
    m_problemRows.clear();
    for (const Entry &entry : entries) {
        const bool problem = !entry.problem.isEmpty();
        auto *item =
            new QTreeWidgetItem(m_list, {problem ? QStringLiteral("⚠ ") + entry.title : entry.title,
                                         QStringLiteral("第%1页").arg(entry.page)});
        item->setToolTip(0,
                         problem ? entry.title + QLatin1Char('\n') + entry.problem : entry.title);
        item->setTextAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
        if (problem) {
            m_problemRows.push_back(m_list->topLevelItemCount() - 1);
            for (int column : {0, 1})
                item->setForeground(column, QColor(0xb0, 0x10, 0x10));
        }
    }
    m_nextProblem->setEnabled(!m_problemRows.empty());
    if (entries.empty())
        m_caption->setText(QStringLiteral("目录 (这本书里没有找到章节标题)"));
    else if (m_problemRows.empty())
        m_caption->setText(QStringLiteral("目录 (共%1章)").arg(entries.size()));
    else
        m_caption->setText(QStringLiteral("目录 (共%1章，%2处问题)")
                               .arg(entries.size())
                               .arg(m_problemRows.size()));
    if (const QWidget *window = parentWidget())
        move((window->width() - width()) / 2, std::max(0, (window->height() - height()) / 2));
    show();
    raise();
    if (current >= 0 && current < m_list->topLevelItemCount()) {
        QTreeWidgetItem *item = m_list->topLevelItem(current);
        QFont bold = item->font(0);
        bold.setBold(true);
        for (int column : {0, 1})
            item->setFont(column, bold);
        m_list->setCurrentItem(item);
        m_list->scrollToItem(item, QAbstractItemView::PositionAtCenter);
    }
    m_list->setFocus();
}

int ChapterPanel::selectedIndex() const
{
    return m_list && m_list->currentItem() ? m_list->indexOfTopLevelItem(m_list->currentItem())
                                           : -1;
}

void ChapterPanel::selectNextProblem()
{
    if (m_problemRows.empty())
        return;
    const int from = selectedIndex();
    const auto next = std::upper_bound(m_problemRows.begin(), m_problemRows.end(), from);
    const int row = next == m_problemRows.end() ? m_problemRows.front() : *next;
    QTreeWidgetItem *item = m_list->topLevelItem(row);
    m_list->setCurrentItem(item);
    m_list->scrollToItem(item, QAbstractItemView::PositionAtCenter);
    m_list->setFocus();
}

void ChapterPanel::paintEvent(QPaintEvent *)
{
    paintRoundedPanel(this);
}

} // namespace tibbo::window
