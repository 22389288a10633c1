#include "desktopcontrols.h"

#include "bookview.h"
#include "keyroute.h"
#include "qtext.h"
#include "readingcommands.h"
#include "windowchrome.h"

#include "state/readerstate.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QMimeData>
#include <QUrl>
#include <QWheelEvent>
#include <QWidget>

#include <cstdlib>

namespace tibbo::window {

namespace {

const QString kProgramName = QStringLiteral("TibboRead");

// The first local file among the dropped URLs; empty when there is none.
QString firstLocalFile(const QMimeData *mime)
{
    if (!mime || !mime->hasUrls())
        return QString();
    for (const QUrl &url : mime->urls())
        if (url.isLocalFile() && !url.toLocalFile().isEmpty())
            return url.toLocalFile();
    return QString();
}

} // namespace

DesktopControls::DesktopControls(Parts parts, QObject *parent)
    : QObject(parent), m_window(parts.window), m_state(parts.state), m_bookView(parts.bookView),
      m_keys(parts.keys), m_chrome(parts.chrome), m_commands(parts.commands),
      m_isIdle(std::move(parts.isIdle)), m_clearSelection(std::move(parts.clearSelection))
{
    m_window.setAcceptDrops(true);
    m_window.installEventFilter(this);
    // Wheel events over a line or a page reach the book view when the line does not
    // take them; the mascot, the panels and scroll mode lie over it and keep theirs.
    m_bookView.installEventFilter(this);
}

QString DesktopControls::windowTitle(const std::string &bookPath, const QStringList &details)
{
    const QString name = QFileInfo(qs(bookPath)).completeBaseName();
    if (name.isEmpty())
        return kProgramName;
    QStringList parts{name};
    for (const QString &detail : details)
        if (!detail.isEmpty())
            parts << detail;
    return parts.join(QStringLiteral(" · ")) + QStringLiteral(" — ") + kProgramName;
}

bool DesktopControls::escape()
{
    if (QWidget *panel = m_keys.closablePanelOnTop()) {
        panel->hide();
        m_window.setFocus();
        return true;
    }
    if (m_clearSelection && m_clearSelection())
        return true;
    if (m_state.menuShown) {
        // A load or a sliced re-flow keeps its panel: it has its own way to end.
        if (m_isIdle())
            emit menuCloseRequested();
        return true;
    }
    if (m_chrome.fullScreen()) {
        m_chrome.toggleFullScreen();
        return true;
    }
    return false;
}

void DesktopControls::bringToFront()
{
    m_chrome.showFromTray();
}

bool DesktopControls::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == &m_bookView && event->type() == QEvent::Wheel) {
        turnByWheel(static_cast<QWheelEvent *>(event)->angleDelta().y());
        return true;
    }
    if (watched == &m_window && filterWindowEvent(event))
        return true;
    return QObject::eventFilter(watched, event);
}

// Up turns back, down forward, one spread a notch. No turn behind a panel, as no key
// turns there either.
void DesktopControls::turnByWheel(int angleDelta)
{
    if (m_keys.panelOnTop()) {
        m_wheelRemainder = 0;
        return;
    }
    m_wheelRemainder += angleDelta;
    const int notches = m_wheelRemainder / 120;
    m_wheelRemainder -= notches * 120;
    for (int i = 0; i < std::abs(notches); ++i) {
        if (notches > 0)
            m_commands.turnBack();
        else
            m_commands.turnForward();
    }
}

bool DesktopControls::filterWindowEvent(QEvent *event)
{
    switch (event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove: {
        auto *drag = static_cast<QDropEvent *>(event);
        if (!firstLocalFile(drag->mimeData()).isEmpty()) {
            drag->acceptProposedAction();
            return true;
        }
        break;
    }
    case QEvent::Drop: {
        auto *drop = static_cast<QDropEvent *>(event);
        const QString path = firstLocalFile(drop->mimeData());
        if (path.isEmpty())
            break;
        drop->acceptProposedAction();
        // The drop event ends before the book opens: a message box of a refused book
        // must not open inside the drag and drop.
        QMetaObject::invokeMethod(
            this,
            [this, path] {
                emit menuCloseRequested();
                emit bookDropped(path);
            },
            Qt::QueuedConnection);
        return true;
    }
    default:
        break;
    }
    return false;
}

} // namespace tibbo::window
