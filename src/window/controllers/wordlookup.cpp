#include "wordlookup.h"

#include "dialogs.h"
#include "dictionarysitepanel.h"
#include "lookuppanel.h"
#include "optionsstore.h"

#include "navigation/dictionarylookup.h"
#include "navigation/dictionarysite.h"

#include <QDesktopServices>
#include <QProcess>
#include <QStandardPaths>
#include <QTimer>

namespace tibbo::window {

namespace {

const QString kSdcv = QStringLiteral("sdcv");
const QString kGoldenDict = QStringLiteral("goldendict");

QString goldenDictPath()
{
    return QStandardPaths::findExecutable(kGoldenDict);
}

} // namespace

WordLookUp::WordLookUp(Parts parts, QObject *parent)
    : QObject(parent), m_panel(parts.panel), m_sitePanel(parts.sitePanel), m_options(parts.options)
{
    m_timeLimit = new QTimer(this);
    m_timeLimit->setSingleShot(true);
    connect(m_timeLimit, &QTimer::timeout, this, [this] {
        onSdcvFailed(QStringLiteral("词典程序 sdcv 过了 %1 秒还没有回答，这次不查了。")
                         .arg(m_timeLimitMs / 1000.0));
    });
    connect(&m_panel, &LookUpPanel::goldenDictChosen, this, &WordLookUp::handToGoldenDict);
    connect(&m_panel, &LookUpPanel::webChosen, this,
            [this] { QDesktopServices::openUrl(webAddress(m_word)); });
    connect(&m_sitePanel, &DictionarySitePanel::templateChosen, this, &WordLookUp::onSiteChosen);
}

QString WordLookUp::siteTemplate() const
{
    const QString chosen = m_options.value(options::kDictionarySite);
    if (!chosen.isEmpty() && !core::siteTemplateProblem(chosen.toStdString()))
        return chosen.trimmed();
    // 汉典: a Chinese–Chinese dictionary with idioms and rare characters.
    return QString::fromUtf8(core::kDictionarySites[0].urlTemplate);
}

QString WordLookUp::siteName() const
{
    const QString chosen = siteTemplate();
    for (const core::DictionarySite &site : core::kDictionarySites)
        if (chosen == QString::fromUtf8(site.urlTemplate))
            return QString::fromUtf8(site.name);
    return QUrl(chosen).host();
}

QUrl WordLookUp::webAddress(const QString &word) const
{
    const auto address = core::siteAddress(siteTemplate().toStdString(), word.toStdU32String());
    return QUrl(QString::fromStdString(address.value_or(std::string())), QUrl::StrictMode);
}

void WordLookUp::chooseSite()
{
    m_sitePanel.open(siteTemplate());
}

void WordLookUp::onSiteChosen(const QString &urlTemplate)
{
    using Problem = core::SiteTemplateProblem;
    if (const auto problem = core::siteTemplateProblem(urlTemplate.toStdString())) {
        const QString why =
            *problem == Problem::NotWeb
                ? QStringLiteral("查词网址要以 http:// 或 https:// 开头，后面接着网站的名字。")
            : *problem == Problem::NoPlaceholder
                ? QStringLiteral("查词网址里要有 %s 或 {word}，代表要查的词。")
            : *problem == Problem::TwoPlaceholders
                ? QStringLiteral("查词网址里只能有一处 %s 或 {word}。")
                : QStringLiteral("查词网址里不能有空格；% 后面要跟两位十六进制数字（%s 除外）。");
        Dialogs::message(&m_sitePanel, why + QStringLiteral("\n\n这个网址没有保存，还用原来的。"));
        return;
    }
    if (!m_options.setValue(options::kDictionarySite, urlTemplate.trimmed())) {
        Dialogs::message(&m_sitePanel,
                         QStringLiteral("查词网站没能保存：写不了 %1。").arg(m_options.path()));
        return;
    }
    m_sitePanel.hide();
}

void WordLookUp::lookUp(const QString &selection)
{
    const QString word = QString::fromStdU32String(core::lookUpWord(selection.toStdU32String()));
    if (word.isEmpty())
        return;
    dropProcess();
    m_word = word;
    emit menuCloseRequested();
    const bool goldenDict = !goldenDictPath().isEmpty();
    m_panel.open(word, goldenDict);
    m_panel.setWebSiteName(siteName());
    if (QStandardPaths::findExecutable(kSdcv).isEmpty()) {
        if (goldenDict) {
            handToGoldenDict();
            return;
        }
        m_panel.showMessage(QStringLiteral(
            "没有找到可以查词的词典程序。\n\n装上 sdcv 和 StarDict 格式的词典，就能在这里"
            "查词，例如：\n    sudo apt install sdcv\n再把词典放进 ~/.stardict/dic "
            "或 /usr/share/stardict/dic；\n也可以装 GoldenDict（sudo apt install "
            "goldendict）。\n\n现在可以点「网上查」，在浏览器里查这个词。"));
        return;
    }
    m_listing = false;
    // "--" ends sdcv's options: a word that starts with a dash is still a word.
    runSdcv({QStringLiteral("-n"), QStringLiteral("-j"), QStringLiteral("--utf8-input"),
             QStringLiteral("--utf8-output"), QStringLiteral("--"), word});
}

void WordLookUp::runSdcv(const QStringList &arguments)
{
    dropProcess();
    m_process = new QProcess(this);
    m_process->setProgram(QStandardPaths::findExecutable(kSdcv));
    m_process->setArguments(arguments);
    m_process->setProcessChannelMode(QProcess::SeparateChannels);
    connect(m_process, &QProcess::finished, this, &WordLookUp::onSdcvDone);
    connect(m_process, &QProcess::errorOccurred, this, [this](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart)
            onSdcvFailed(QStringLiteral("词典程序 sdcv 没能启动。"));
    });
    connect(m_process, &QProcess::readyReadStandardOutput, this, [this] {
        if (m_process->bytesAvailable() > kOutputLimit)
            m_process->kill();
    });
    m_process->start(QIODevice::ReadOnly);
    m_timeLimit->start(m_timeLimitMs);
}

void WordLookUp::onSdcvDone()
{
    m_timeLimit->stop();
    QProcess *process = m_process;
    const QByteArray output = process->readAllStandardOutput().left(kOutputLimit);
    const bool crashed = process->exitStatus() != QProcess::NormalExit;
    const int code = process->exitCode();
    if (crashed || code != 0) {
        onSdcvFailed(crashed
                         ? QStringLiteral("词典程序 sdcv 出错退出了，没能查到。")
                         : QStringLiteral("词典程序 sdcv 出错了（返回 %1），没能查到。").arg(code));
        return;
    }
    const std::string_view text(output.constData(), static_cast<size_t>(output.size()));
    if (m_listing) {
        dropProcess();
        const auto count = core::sdcvDictionaryCount(text);
        if (count && *count == 0)
            m_panel.showMessage(QStringLiteral(
                "sdcv 还没有词典。\n\n把 StarDict 格式的词典（汉语词典、成语词典）放进 "
                "~/.stardict/dic 或 /usr/share/stardict/dic，就能在这里查词。\n\n"
                "现在可以点「网上查」，在浏览器里查这个词。"));
        else
            m_panel.showMessage(QStringLiteral("词典里没有查到「%1」。").arg(m_word));
        return;
    }
    const auto entries = core::sdcvEntries(text);
    if (!entries) {
        onSdcvFailed(QStringLiteral("看不懂词典程序 sdcv 的回答（它太旧，不支持 -j？）。"));
        return;
    }
    if (entries->empty()) {
        // Nothing found: say whether sdcv has any dictionary at all.
        m_listing = true;
        runSdcv({QStringLiteral("-n"), QStringLiteral("-j"), QStringLiteral("-l")});
        return;
    }
    dropProcess();
    m_panel.showEntries(*entries);
}

void WordLookUp::onSdcvFailed(const QString &why)
{
    m_timeLimit->stop();
    dropProcess();
    m_panel.showMessage(why);
}

void WordLookUp::handToGoldenDict()
{
    const QString path = goldenDictPath();
    if (path.isEmpty())
        return;
    if (QProcess::startDetached(path, {m_word}))
        m_panel.showMessage(QStringLiteral("已经交给 GoldenDict 查「%1」。").arg(m_word));
    else
        m_panel.showMessage(QStringLiteral("GoldenDict 没能启动。"));
}

void WordLookUp::dropProcess()
{
    if (!m_process)
        return;
    QProcess *process = std::exchange(m_process, nullptr);
    process->disconnect(this);
    if (process->state() != QProcess::NotRunning) {
        // Ended without waiting for it: the process object goes once it has.
        connect(process, &QProcess::finished, process, &QObject::deleteLater);
        process->kill();
    } else {
        process->deleteLater();
    }
}

} // namespace tibbo::window
