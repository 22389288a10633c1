#include "pageappearance.h"

#include "bookview.h"
#include "dialogs.h"
#include "qtext.h"
#include "scrollpanel.h"
#include "settingspanel.h"

#include "settings/pagelayoutcheck.h"

#include <QWidget>

namespace tibbo::window {

PageAppearance::PageAppearance(Parts parts, QWidget *window)
    : QObject(window), m_state(parts.state), m_bookView(parts.bookView),
      m_settingsPanel(parts.settingsPanel), m_scrollPanel(parts.scrollPanel), m_window(window)
{
    m_settingsPanel.trimChangeAllowed = [this] {
        if (!m_state.loadingBusy)
            return true;
        Dialogs::message(m_window, QStringLiteral("当前文件还没读取完,这个设置暂时不能改"));
        return false;
    };
    connect(&m_settingsPanel, &SettingsPanel::accepted, this, &PageAppearance::onPanelAccepted);
    // The preview, the list and the boxes keep their edits for a later OK.
    connect(&m_settingsPanel, &SettingsPanel::cancelled, this, [this] {
        m_settingsPanel.hide();
        m_settingsPanel.setTrimValue(m_state.trimParagraphs);
    });
}

void PageAppearance::openSettingsPanel()
{
    m_settingsPanel.open();
    m_state.trimParagraphs = m_settingsPanel.trimValue();
}

void PageAppearance::takePanelValues()
{
    const QFont font = m_settingsPanel.previewFont();
    if (!core::checkPageLayout(m_bookView.pageFigures(font), m_settingsPanel.pageValues()).fits())
        m_settingsPanel.setPageValues(core::PageSpacing{5, 10, 20, 40, 20});
    m_bookView.setPageFont(font);
    m_scrollPanel.setTextFont(font);
    const core::PageSpacing values = m_settingsPanel.pageValues();
    m_state.lineSpacing = values.lineSpacing;
    m_state.topMargin = values.topMargin;
    m_state.bottomMargin = values.bottomMargin;
    m_state.leftMargin = values.leftMargin;
    m_state.rightMargin = values.rightMargin;
    m_bookView.measureCapacity(m_state);
}

// Values that leave no room for a line of text or make lines overlap are refused; the
// page keeps the old ones and nothing is saved.
void PageAppearance::onPanelAccepted()
{
    const core::PageLayoutCheck check = core::checkPageLayout(
        m_bookView.pageFigures(m_settingsPanel.previewFont()), m_settingsPanel.pageValues());
    if (!check.fits()) {
        Dialogs::message(m_window, qs(core::pageLayoutMessage(check.problem)));
        return;
    }
    takePanelValues();
    emit saveRequested();
    m_settingsPanel.hide();
    emit menuCloseRequested();
    emit reflowRequested();
    m_state.trimParagraphs = m_settingsPanel.trimValue();
}

void PageAppearance::setFontSize(double points)
{
    emit menuCloseRequested();
    QFont font = m_bookView.pageFont();
    font.setPointSizeF(points);
    m_bookView.setPageFont(font);
    m_settingsPanel.setSizeText(QString::number(points));
    emit reflowRequested();
}

} // namespace tibbo::window
