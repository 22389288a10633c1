#pragma once
// The chapter rules of the book on show (章节规则): the built-in rules to switch on and
// off, the reader's own rules (regular expressions, one a line, matched from the start
// of a line), and whether long chapters are cut into parts. 预览 shows how many headings
// the rules find and the first of them before anything changes; 应用 takes the rules
// for the book; 取消 and Esc (the key table's CloseTopmost) leave them as they were. While rules
// run the panel says so and the reader goes on reading.

#include "chapters/chapterrules.h"

#include <QStringList>
#include <QWidget>

#include <vector>

class QCheckBox;
class QLabel;
class QListWidget;
class QPlainTextEdit;
class QPushButton;

namespace tibbo::window {

class ChapterRulesPanel : public QWidget
{
    Q_OBJECT
  public:
    struct Choice
    {
        std::vector<core::BuiltInRule> builtIn;
        // The reader's own rules as typed, one a line, blank lines left out.
        QStringList own;
        bool splitLongChapters = false;
    };

    explicit ChapterRulesPanel(QWidget *parent);

    // Opens over the pages, centred, showing `current`.
    void open(const Choice &current);
    Choice choice() const;

    // The rules are running: the buttons wait.
    void showRunning();
    // What the rules found: their count and the first headings.
    void showFound(int count, const QStringList &firstHeadings);
    // Why the rules were refused.
    void showRefusal(const QString &reason);

  signals:
    void previewRequested();
    void applyRequested();
    void cancelled();

  protected:
    void paintEvent(QPaintEvent *event) override;

  private:
    void setButtonsEnabled(bool enabled);

    std::vector<std::pair<core::BuiltInRule, QCheckBox *>> m_ruleBoxes;
    QPlainTextEdit *m_ownRules = nullptr;
    QCheckBox *m_split = nullptr;
    QLabel *m_result = nullptr;
    QListWidget *m_headings = nullptr;
    QPushButton *m_preview = nullptr;
    QPushButton *m_apply = nullptr;
};

} // namespace tibbo::window
