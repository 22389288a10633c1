#include "pageappearance.h"

#include "bookview.h"
#include "dialogs.h"
#include "mascot.h"
#include "qtext.h"
#include "readermenus.h"
#include "reflowjob.h"
#include "scrollpanel.h"
#include "sessionfiles.h"
#include "settingspanel.h"
#include "theme.h"
#include "widgets.h"

#include "settings/pagelayoutcheck.h"

#include <QSettings>
#include <QWidget>

#include <algorithm>

namespace tibbo::window {

namespace {

// What the reader keeps beyond settings.ini lives in options.ini beside it.
QSettings options()
{
    return QSettings(SessionFiles::optionsPath(), QSettings::IniFormat);
}

} // namespace

PageAppearance::PageAppearance(Parts parts, QWidget *window)
    : QObject(window), m_state(parts.state), m_bookView(parts.bookView),
      m_settingsPanel(parts.settingsPanel), m_scrollPanel(parts.scrollPanel),
      m_mascot(parts.mascot), m_menus(parts.menus), m_reflowJob(parts.reflowJob), m_window(window)
{
    m_settingsPanel.trimChangeAllowed = [this] {
        if (!m_state.loadingBusy)
            return true;
        Dialogs::message(m_window, QStringLiteral("当前文件还没读取完,这个设置暂时不能改"));
        return false;
    };
    connect(&m_settingsPanel, &SettingsPanel::accepted, this, &PageAppearance::onPanelAccepted);
    connect(&m_menus, &ReaderMenus::themeChosen, this, &PageAppearance::setTheme);
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
    // Switching fine typesetting re-flows like any other change; the place is kept.
    const bool fine = m_settingsPanel.fineTypesetting();
    if (fine != m_reflowJob.fineTypesetting()) {
        m_reflowJob.setFineTypesetting(fine);
        QSettings stored = options();
        stored.setValue(QStringLiteral("fineTypesetting"), fine);
        stored.sync();
    }
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

void PageAppearance::applyTheme(int theme)
{
    const auto chosen = static_cast<Theme>(std::clamp(theme, 0, 2));
    m_bookView.setTheme(chosen);
    m_scrollPanel.setColours(coloursOf(chosen));
    m_mascot.setBubbleColour(coloursOf(chosen).bubble);
    // The panels in the bubble take its colour, so the whole bubble dims at night.
    recolourPanels(m_window, coloursOf(chosen).bubble);
    m_menus.checkTheme(static_cast<int>(chosen));
}

void PageAppearance::setTheme(int theme)
{
    applyTheme(theme);
    QSettings stored = options();
    stored.setValue(QStringLiteral("theme"), std::clamp(theme, 0, 2));
    stored.sync();
}

void PageAppearance::restoreOptions()
{
    const QSettings stored = options();
    applyTheme(stored.value(QStringLiteral("theme"), 0).toInt());
    const bool fine = stored.value(QStringLiteral("fineTypesetting"), false).toBool();
    m_reflowJob.setFineTypesetting(fine);
    m_settingsPanel.setFineTypesetting(fine);
}

} // namespace tibbo::window
