#include "bookchapters.h"

#include "bookscript.h"
#include "bookview.h"
#include "chapterpanel.h"
#include "chapterrulespanel.h"
#include "optionsstore.h"
#include "qtext.h"
#include "readingpace.h"

#include "navigation/chaptermoves.h"
#include "navigation/readaloud.h"
#include "pages/pages.h"

#include <QWidget>
#include <QtConcurrent/QtConcurrentRun>

#include <algorithm>

#include <utility>

namespace tibbo::window {

namespace {

// Headings the preview lists.
constexpr int kPreviewHeadings = 12;

QString ruleKeys(const std::vector<core::BuiltInRule> &rules)
{
    QStringList keys;
    for (const core::BuiltInRuleRow &row : core::builtInRules()) {
        if (std::find(rules.begin(), rules.end(), row.rule) != rules.end())
            keys.push_back(QString::fromUtf8(row.key.data(), static_cast<int>(row.key.size())));
    }
    // Every rule switched off is a choice too: "-" keeps it apart from "the defaults".
    return keys.isEmpty() ? QStringLiteral("-") : keys.join(QLatin1Char(','));
}

} // namespace

// One run of the rules on a worker thread, over a copy of the text: the reader may open
// another book meanwhile. A run that is no longer wanted is told to stop and forgotten.
struct BookChapters::Run
{
    std::shared_ptr<std::atomic<bool>> cancel = std::make_shared<std::atomic<bool>>(false);
    QFutureWatcher<core::RuleOutcome> watcher;
};

BookChapters::BookChapters(Parts parts, QWidget *window)
    : QObject(window), m_state(parts.state), m_bookView(parts.bookView),
      m_chapterPanel(parts.chapterPanel), m_rulesPanel(parts.rulesPanel), m_options(parts.options),
      m_script(parts.script), m_pace(parts.pace), m_window(window)
{
    connect(&m_chapterPanel, &ChapterPanel::chapterChosen, this, [this](int index) {
        showChapter(index);
        m_window->setFocus();
    });
    connect(&m_chapterPanel, &ChapterPanel::rulesRequested, this, &BookChapters::openRules);
    connect(&m_rulesPanel, &ChapterRulesPanel::previewRequested, this, &BookChapters::onPreview);
    connect(&m_rulesPanel, &ChapterRulesPanel::applyRequested, this, &BookChapters::onApply);
}

BookChapters::~BookChapters()
{
    if (m_run)
        m_run->cancel->store(true);
}

core::ChapterRules BookChapters::storedRules(QStringList *ownPatterns) const
{
    const QString path = qs(m_state.bookPath);
    core::ChapterRules rules = core::ChapterRules::defaults();
    const QString keys = m_options.value(options::kChapterRules, path);
    if (!keys.isEmpty()) {
        rules.builtIn.clear();
        for (const QString &key : keys.split(QLatin1Char(','))) {
            if (const auto rule = core::builtInRuleFromKey(key.toStdString()))
                rules.builtIn.push_back(*rule);
        }
    }
    for (const QString &pattern :
         m_options.value(options::kOwnChapterRules, path).split(QLatin1Char('\n'))) {
        if (pattern.trimmed().isEmpty())
            continue;
        if (ownPatterns)
            ownPatterns->push_back(pattern);
        // A stored rule compiled when it was taken; one this PCRE2 refuses is left out.
        if (auto rule = core::UserRule::compile(pattern.toStdU32String(), nullptr))
            rules.own.push_back(std::move(*rule));
    }
    rules.splitLongChapters = m_options.value(options::kSplitChapters, path) == QLatin1String("1");
    return rules;
}

void BookChapters::install(std::vector<core::Chapter> headings, bool split)
{
    m_found.headings = std::move(headings);
    m_found.shown =
        split ? core::splitLongChapters(m_state.paragraphText, m_found.headings) : m_found.headings;
    m_found.problems = core::checkChapters(m_found.headings);
    m_found.messages.clear();
    for (core::ChapterProblem &problem : m_found.problems) {
        m_found.messages.push_back(m_script.shown(core::problemMessage(problem, m_found.headings)));
        // The list shows parts: the problem goes to the first part of its chapter.
        const int64_t offset = m_found.headings[static_cast<size_t>(problem.chapter)].offset;
        const auto at = std::lower_bound(
            m_found.shown.begin(), m_found.shown.end(), offset,
            [](const core::Chapter &c, int64_t value) { return c.offset < value; });
        problem.chapter = static_cast<int64_t>(at - m_found.shown.begin());
    }
}

void BookChapters::follow()
{
    if (m_chaptersVersion == m_state.textVersion && m_chaptersBook == m_state.bookPath)
        return;
    m_chaptersVersion = m_state.textVersion;
    m_chaptersBook = m_state.bookPath;
    core::ChapterRules rules = storedRules(nullptr);
    const bool split = rules.splitLongChapters;
    const auto lineStarts = m_state.scrollMap.lineStarts();
    if (rules.own.empty()) {
        install(core::findChaptersByRules(m_state.paragraphText, lineStarts, rules).chapters,
                split);
        return;
    }
    // The reader's own rules may take their time: the built-in ones now, theirs when
    // they are done.
    core::ChapterRules builtIn = rules;
    builtIn.own.clear();
    install(core::findChaptersByRules(m_state.paragraphText, lineStarts, builtIn).chapters, split);
    const uint64_t version = m_state.textVersion;
    start(std::move(rules), [this, version, split](const core::RuleOutcome &outcome) {
        if (version != m_state.textVersion || outcome.status != core::RuleOutcome::Status::Found)
            return;
        install(outcome.chapters, split);
        emit chaptersChanged();
    });
}

const std::vector<core::Chapter> &BookChapters::list()
{
    follow();
    return m_found.shown;
}

const std::vector<core::ChapterProblem> &BookChapters::problems()
{
    follow();
    return m_found.problems;
}

void BookChapters::showSpreadAt(int64_t topLine)
{
    const int64_t from = core::charactersOnShow(m_state).from;
    const int64_t before = std::exchange(m_state.topLine, topLine);
    m_bookView.showSpread(m_state);
    if (topLine != before)
        emit jumped(from);
    emit menuCloseRequested();
}

void BookChapters::showChapter(int index)
{
    const auto &all = list();
    if (index >= 0 && static_cast<size_t>(index) < all.size())
        showSpreadAt(core::spreadOfOffset(m_state, all[static_cast<size_t>(index)].offset));
}

int64_t BookChapters::chapterEndAfter(int64_t offset)
{
    return core::chapterEndAfter(list(), offset,
                                 static_cast<int64_t>(m_state.paragraphText.size()));
}

QString BookChapters::currentTitle()
{
    const auto &all = list();
    const int64_t index = core::currentChapter(m_state, all);
    return index < 0 ? QString() : m_script.shown(all[static_cast<size_t>(index)].title);
}

void BookChapters::openList()
{
    const auto &all = list();
    std::vector<ChapterPanel::Entry> entries;
    entries.reserve(all.size());
    for (const core::Chapter &chapter : all)
        entries.push_back(
            {m_script.shown(chapter.title),
             core::pageOfOffset(m_state.lineEnds, chapter.offset, m_state.linesPerPage),
             QString()});
    for (size_t k = 0; k < m_found.problems.size(); ++k) {
        const auto at = static_cast<size_t>(m_found.problems[k].chapter);
        if (at >= entries.size())
            continue;
        QString &problem = entries[at].problem;
        problem += (problem.isEmpty() ? QString() : QStringLiteral("；")) + m_found.messages[k];
    }
    emit menuCloseRequested();
    m_chapterPanel.open(entries, static_cast<int>(core::currentChapter(m_state, all)),
                        m_pace.timeLeftLines(all));
}

void BookChapters::showNext()
{
    if (const auto top = core::nextChapterSpread(m_state, list()))
        showSpreadAt(*top);
}

void BookChapters::showPrevious()
{
    if (const auto top = core::previousChapterSpread(m_state, list()))
        showSpreadAt(*top);
}

void BookChapters::considerTelling()
{
    const auto &found = problems();
    const QString path = qs(m_state.bookPath);
    if (found.empty() || path.isEmpty() || !m_options.value(options::kProblemsTold, path).isEmpty())
        return;
    m_options.setValue(options::kProblemsTold, path, QStringLiteral("1"));
    emit problemToTell(m_found.messages.front(), static_cast<int>(found.front().chapter));
}

void BookChapters::openRules()
{
    ChapterRulesPanel::Choice choice;
    const core::ChapterRules rules = storedRules(&choice.own);
    choice.builtIn = rules.builtIn;
    choice.splitLongChapters = rules.splitLongChapters;
    emit menuCloseRequested();
    m_rulesPanel.open(choice);
}

void BookChapters::start(core::ChapterRules rules,
                         std::function<void(const core::RuleOutcome &)> done)
{
    if (m_run)
        m_run->cancel->store(true);
    m_run = std::make_unique<Run>();
    Run *run = m_run.get();
    connect(&run->watcher, &QFutureWatcherBase::finished, this, [this, run, done] {
        if (m_run.get() != run)
            return;
        const core::RuleOutcome outcome = run->watcher.result();
        m_run.reset();
        if (outcome.status != core::RuleOutcome::Status::Cancelled)
            done(outcome);
    });
    auto text = std::make_shared<const core::BookText>(m_state.paragraphText);
    run->watcher.setFuture(QtConcurrent::run([text, lineStarts = m_state.scrollMap.lineStarts(),
                                              rules = std::move(rules), cancel = run->cancel] {
        return core::findChaptersByRules(
            *text, lineStarts, rules,
            core::RuleLimits{std::chrono::milliseconds(2000), cancel.get()});
    }));
}

std::optional<core::ChapterRules> BookChapters::panelRules()
{
    const ChapterRulesPanel::Choice choice = m_rulesPanel.choice();
    core::ChapterRules rules;
    rules.builtIn = choice.builtIn;
    rules.splitLongChapters = choice.splitLongChapters;
    for (int k = 0; k < choice.own.size(); ++k) {
        core::UserRule::CompileError error;
        auto rule = core::UserRule::compile(choice.own[k].toStdU32String(), &error);
        if (!rule) {
            m_rulesPanel.showRefusal(
                QStringLiteral("第%1条规则写得不对，没有采用：%2（在第%3个字符）")
                    .arg(k + 1)
                    .arg(QString::fromStdString(error.message))
                    .arg(error.offset + 1));
            return std::nullopt;
        }
        rules.own.push_back(std::move(*rule));
    }
    return rules;
}

QString BookChapters::refusalOf(const core::RuleOutcome &outcome) const
{
    switch (outcome.status) {
    case core::RuleOutcome::Status::TooSlow:
        return QStringLiteral("这些规则在这本书上两秒还没有找完，已经停下，没有采用。");
    case core::RuleOutcome::Status::TooComplex:
        return QStringLiteral("第%1条规则在“%2”这一行上要试的次数太多（写法会反复回溯），"
                              "已经停下，没有采用。")
            .arg(outcome.ownRule + 1)
            .arg(qs(outcome.line));
    default:
        return QString();
    }
}

void BookChapters::onPreview()
{
    auto rules = panelRules();
    if (!rules)
        return;
    m_rulesPanel.showRunning();
    const bool split = rules->splitLongChapters;
    start(std::move(*rules), [this, split](const core::RuleOutcome &outcome) {
        if (outcome.status != core::RuleOutcome::Status::Found) {
            m_rulesPanel.showRefusal(refusalOf(outcome));
            return;
        }
        const std::vector<core::Chapter> shown =
            split ? core::splitLongChapters(m_state.paragraphText, outcome.chapters)
                  : outcome.chapters;
        QStringList first;
        for (size_t k = 0; k < shown.size() && k < size_t(kPreviewHeadings); ++k)
            first.push_back(m_script.shown(shown[k].title));
        m_rulesPanel.showFound(static_cast<int>(shown.size()), first);
    });
}

void BookChapters::onApply()
{
    auto rules = panelRules();
    if (!rules)
        return;
    m_rulesPanel.showRunning();
    const ChapterRulesPanel::Choice choice = m_rulesPanel.choice();
    const uint64_t version = m_state.textVersion;
    const bool split = rules->splitLongChapters;
    start(std::move(*rules), [this, choice, version, split](const core::RuleOutcome &outcome) {
        if (outcome.status != core::RuleOutcome::Status::Found) {
            m_rulesPanel.showRefusal(refusalOf(outcome));
            return;
        }
        if (version != m_state.textVersion) // another book came meanwhile
            return;
        const QString path = qs(m_state.bookPath);
        m_options.setValue(options::kChapterRules, path, ruleKeys(choice.builtIn));
        m_options.setValue(options::kOwnChapterRules, path, choice.own.join(QLatin1Char('\n')));
        m_options.setValue(options::kSplitChapters, path, split ? QStringLiteral("1") : QString());
        install(outcome.chapters, split);
        m_rulesPanel.hide();
        emit chaptersChanged();
        openList();
    });
}

} // namespace tibbo::window
