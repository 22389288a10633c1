#include "chapterrulespanel.h"

#include "qtext.h"
#include "widgets.h"

#include <QCheckBox>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>

#include <algorithm>

namespace tibbo::window {

ChapterRulesPanel::ChapterRulesPanel(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("chapterRulesPanel"));
    resize(380, 470);
    auto *caption = new QLabel(QStringLiteral("章节规则"), this);
    caption->setGeometry(12, 6, 200, 20);
    caption->setStyleSheet("color: #000080; font-weight: bold;");
    int y = 28;
    for (const core::BuiltInRuleRow &row : core::builtInRules()) {
        auto *box = new QCheckBox(qs(row.caption), this);
        box->setObjectName(QStringLiteral("rule_") +
                           QString::fromUtf8(row.key.data(), int(row.key.size())));
        box->setGeometry(12, y, 356, 20);
        m_ruleBoxes.push_back({row.rule, box});
        y += 20;
    }
    auto *ownCaption =
        new QLabel(QStringLiteral("自己的规则：正则表达式，一行一条，从行首比对"), this);
    ownCaption->setGeometry(12, y + 4, 356, 18);
    ownCaption->setStyleSheet("color: #000080;");
    m_ownRules = new QPlainTextEdit(this);
    m_ownRules->setObjectName(QStringLiteral("ownRules"));
    m_ownRules->setGeometry(12, y + 24, 356, 52);
    m_ownRules->setPlaceholderText(QStringLiteral("例如：Part\\s*\\d+"));
    m_split = new QCheckBox(QStringLiteral("超过三万字的章节分成几段"), this);
    m_split->setObjectName(QStringLiteral("splitLongChapters"));
    m_split->setGeometry(12, y + 80, 356, 20);
    m_result = new QLabel(this);
    m_result->setObjectName(QStringLiteral("rulesResult"));
    m_result->setWordWrap(true);
    m_result->setGeometry(12, y + 102, 356, 34);
    m_result->setStyleSheet("color: #000080;");
    m_headings = new QListWidget(this);
    m_headings->setObjectName(QStringLiteral("rulesPreview"));
    m_headings->setGeometry(12, y + 136, 356, height() - y - 136 - 40);
    m_headings->setStyleSheet("QListWidget { background: white; border: 1px solid #3050c0; }");
    m_preview = new PanelButton(QStringLiteral("预览"), this);
    m_preview->setObjectName(QStringLiteral("rulesPreviewButton"));
    m_preview->setGeometry(width() - 244, height() - 32, 70, 22);
    m_apply = new PanelButton(QStringLiteral("应用"), this);
    m_apply->setObjectName(QStringLiteral("rulesApply"));
    m_apply->setGeometry(width() - 164, height() - 32, 70, 22);
    auto *cancel = new PanelButton(QStringLiteral("取消"), this);
    cancel->setObjectName(QStringLiteral("rulesCancel"));
    cancel->setGeometry(width() - 84, height() - 32, 70, 22);
    connect(m_preview, &QPushButton::clicked, this, &ChapterRulesPanel::previewRequested);
    connect(m_apply, &QPushButton::clicked, this, &ChapterRulesPanel::applyRequested);
    connect(cancel, &QPushButton::clicked, this, [this] {
        hide();
        emit cancelled();
    });
    hide();
}

void ChapterRulesPanel::open(const Choice &current)
{
    for (const auto &[rule, box] : m_ruleBoxes)
        box->setChecked(std::find(current.builtIn.begin(), current.builtIn.end(), rule) !=
                        current.builtIn.end());
    m_ownRules->setPlainText(current.own.join(QLatin1Char('\n')));
    m_split->setChecked(current.splitLongChapters);
    m_result->setText(QStringLiteral("按“预览”看看这些规则找到的章节。"));
    m_headings->clear();
    setButtonsEnabled(true);
    if (const QWidget *window = parentWidget())
        move((window->width() - width()) / 2, std::max(0, (window->height() - height()) / 2));
    show();
    raise();
    m_preview->setFocus();
}

ChapterRulesPanel::Choice ChapterRulesPanel::choice() const
{
    Choice choice;
    for (const auto &[rule, box] : m_ruleBoxes) {
        if (box->isChecked())
            choice.builtIn.push_back(rule);
    }
    for (const QString &line : m_ownRules->toPlainText().split(QLatin1Char('\n'))) {
        if (!line.trimmed().isEmpty())
            choice.own.push_back(line);
    }
    choice.splitLongChapters = m_split->isChecked();
    return choice;
}

void ChapterRulesPanel::setButtonsEnabled(bool enabled)
{
    m_preview->setEnabled(enabled);
    m_apply->setEnabled(enabled);
}

void ChapterRulesPanel::showRunning()
{
    setButtonsEnabled(false);
    m_result->setText(QStringLiteral("正在按这些规则找章节……"));
    m_headings->clear();
}

void ChapterRulesPanel::showFound(int count, const QStringList &firstHeadings)
{
    setButtonsEnabled(true);
    m_result->setText(count == 0 ? QStringLiteral("这些规则在这本书里没有找到章节标题。")
                                 : QStringLiteral("找到%1个章节，前面几个是：").arg(count));
    m_headings->clear();
    m_headings->addItems(firstHeadings);
}

void ChapterRulesPanel::showRefusal(const QString &reason)
{
    setButtonsEnabled(true);
    m_result->setText(reason);
    m_headings->clear();
}

void ChapterRulesPanel::paintEvent(QPaintEvent *)
{
    paintRoundedPanel(this);
}

} // namespace tibbo::window
