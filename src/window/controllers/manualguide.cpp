#include "manualguide.h"

#include "menupanel.h"
#include "sessionfiles.h"
#include "welcomepanel.h"

#include "settings/recentlist.h"

#include <QFile>

namespace tibbo::window {

namespace {

const QString kManualCaption = QStringLiteral("看看说明书");
const QString kLeaveManualCaption = QStringLiteral("不想看了");

} // namespace

ManualGuide::ManualGuide(Parts parts, QObject *parent)
    : QObject(parent), m_state(parts.state), m_menuPanel(parts.menuPanel),
      m_welcomePanel(parts.welcomePanel), m_session(parts.session)
{
    QFile help(QStringLiteral(":/manual/help.txt"));
    if (help.open(QIODevice::ReadOnly))
        m_helpText = QString::fromUtf8(help.readAll());
}

void ManualGuide::onManualCommand()
{
    if (m_manualOnShow)
        return leaveManual();
    m_state.welcomeMode = true;
    // Without a saved state the reader's own book could not come back: stay with it.
    if (!m_session.save()) {
        m_state.welcomeMode = false;
        return;
    }
    emit openBookRequested(SessionFiles::manualPath());
    if (core::hasOwnBook(m_state.recent)) {
        emit menuCloseRequested();
        m_manualOnShow = true;
        m_menuPanel.setManualCaption(kLeaveManualCaption);
    } else {
        m_welcomePanel.setStartCaption(QStringLiteral("开始使用软件"));
        showHelpText();
        emit welcomeRequested();
    }
}

void ManualGuide::showHelpText()
{
    core::setParagraphText(m_state, m_helpText.toStdU32String());
    m_state.topLine = 1;
    emit reflowRequested();
}

// Back from the manual to the reader's own book, as settings.ini saved it when the
// manual was opened.
void ManualGuide::leaveManual()
{
    m_manualOnShow = false;
    m_menuPanel.setManualCaption(kManualCaption);
    m_state.welcomeMode = false;
    m_session.restore();
    emit menuCloseRequested();
    emit reflowRequested();
}

void ManualGuide::onWelcomeStart()
{
    if (!core::hasOwnBook(m_state.recent))
        m_state.welcomeMode = false;
    if (core::hasOwnBook(m_state.recent) && m_state.welcomeMode)
        return leaveManual();
    emit menuCloseRequested();
    emit menuRequested();
    emit recentChanged();
}

} // namespace tibbo::window
