#include "pageappearance.h"

#include "bookview.h"
#include "dialogs.h"
#include "mascot.h"
#include "mascotspeech.h"
#include "optionsstore.h"
#include "qtext.h"
#include "readermenus.h"
#include "scrollpanel.h"
#include "sessionfiles.h"
#include "settingspanel.h"
#include "theme.h"
#include "widgets.h"

#include "settings/pagelayoutcheck.h"
#include "text/typesetting.h"

#include <QFileInfo>
#include <QWidget>

#include <algorithm>

namespace tibbo::window {

PageAppearance::PageAppearance(Parts parts, QWidget *window)
    : QObject(window), m_state(parts.state), m_bookView(parts.bookView),
      m_settingsPanel(parts.settingsPanel), m_scrollPanel(parts.scrollPanel),
      m_mascot(parts.mascot), m_speech(parts.speech), m_menus(parts.menus),
      m_options(parts.options), m_window(window)
{
    setPageFont(BookView::designFont());
    m_settingsPanel.trimChangeAllowed = [this] {
        if (!m_state.loadingBusy)
            return true;
        Dialogs::message(m_window, QStringLiteral("当前文件还没读取完,这个设置暂时不能改"));
        return false;
    };
    connect(&m_settingsPanel, &SettingsPanel::accepted, this, &PageAppearance::onPanelAccepted);
    connect(&m_menus, &ReaderMenus::themeChosen, this, &PageAppearance::setTheme);
    connect(&m_settingsPanel, &SettingsPanel::themeChosen, this, &PageAppearance::setTheme);
    // The preview, the list and the boxes keep their edits for a later OK.
    connect(&m_settingsPanel, &SettingsPanel::cancelled, this, [this] {
        m_settingsPanel.hide();
        m_state.trimParagraphs = m_trimWhenOpened;
        m_settingsPanel.setTrimValue(m_state.trimParagraphs);
    });
    connect(&m_settingsPanel, &SettingsPanel::trimChanged, this,
            [this](int value) { m_state.trimParagraphs = value; });
}

void PageAppearance::openSettingsPanel()
{
    m_settingsPanel.open();
    m_trimWhenOpened = m_state.trimParagraphs;
}

QFont PageAppearance::pageFont() const
{
    return m_bookView.pageFont();
}

void PageAppearance::setPageFont(const QFont &font)
{
    m_bookView.setPageFont(font);
    m_state.pageFont = {font.family().toStdString(), font.pointSizeF(), font.bold(), font.italic(),
                        font.underline()};
}

void PageAppearance::takePanelValues()
{
    const QFont font = m_settingsPanel.previewFont();
    if (!core::checkPageLayout(m_bookView.pageFigures(font), m_settingsPanel.pageValues()).fits())
        m_settingsPanel.setPageValues(core::defaults::kPageSpacing);
    setPageFont(font);
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
    if (fine != m_state.fineTypesetting) {
        m_state.fineTypesetting = fine;
        m_options.setValue(options::kFineTypesetting, fine);
    }
    const bool place = m_settingsPanel.placeCaptions();
    if (place != m_options.value(options::kPlaceCaptions))
        m_options.setValue(options::kPlaceCaptions, place);
    m_bookView.setPlaceCaptionsShown(place);
    emit saveRequested();
    m_settingsPanel.hide();
    emit menuCloseRequested();
    emit reflowRequested();
}

void PageAppearance::popUpSizeMenu()
{
    m_menus.popUpFontSize(m_bookView.pageFont().pointSizeF());
}

void PageAppearance::setFontSize(double points)
{
    emit menuCloseRequested();
    QFont font = m_bookView.pageFont();
    font.setPointSizeF(points);
    setPageFont(font);
    m_settingsPanel.setSizeText(QString::number(points));
    emit reflowRequested();
}

void PageAppearance::stepFontSize(bool larger)
{
    const double now = m_bookView.pageFont().pointSizeF();
    const double next = core::steppedFontSize(now, larger);
    if (next != now)
        setFontSize(next);
}

void PageAppearance::applyTheme(int theme)
{
    m_theme = std::clamp(theme, 0, 2);
    const auto chosen = static_cast<Theme>(m_theme);
    m_bookView.setTheme(chosen);
    m_scrollPanel.setColours(coloursOf(chosen));
    m_mascot.setBubbleColour(coloursOf(chosen).bubble);
    // The panels in the bubble take its colour, so the whole bubble dims at night.
    recolourPanels(m_window, coloursOf(chosen).bubble);
    m_menus.checkTheme(static_cast<int>(chosen));
    m_settingsPanel.setTheme(m_theme);
}

void PageAppearance::setTheme(int theme)
{
    applyTheme(theme);
    m_options.setValue(options::kTheme, theme);
}

void PageAppearance::nextTheme()
{
    setTheme((m_theme + 1) % 3);
}

void PageAppearance::restoreOptions()
{
    applyTheme(m_options.value(options::kTheme));
    m_state.fineTypesetting = m_options.value(options::kFineTypesetting);
    m_settingsPanel.setFineTypesetting(m_state.fineTypesetting);
    const bool place = m_options.value(options::kPlaceCaptions);
    m_settingsPanel.setPlaceCaptions(place);
    m_bookView.setPlaceCaptionsShown(place);
}

void PageAppearance::offerFineTypesetting()
{
    // The lines of about two spreads from the place are enough to tell a plain cut.
    constexpr int64_t kLinesLooked = 200;
    if (m_state.fineTypesetting || m_state.bookPath.empty() || m_state.bookPath == m_offeredFor ||
        m_options.value(options::kFineOfferAnswered) ||
        QFileInfo(qs(m_state.bookPath)) == QFileInfo(SessionFiles::manualPath()))
        return;
    if (!core::someLineBeginsWithClosingMark(m_state.paragraphText, m_state.lineEnds,
                                             m_state.topLine, kLinesLooked))
        return;
    m_offeredFor = m_state.bookPath;
    const auto declined = [this] { m_options.setValue(options::kFineOfferAnswered, true); };
    const auto taken = [this, declined] {
        declined();
        if (m_state.fineTypesetting)
            return;
        m_state.fineTypesetting = true;
        m_options.setValue(options::kFineTypesetting, true);
        m_settingsPanel.setFineTypesetting(true);
        emit reflowRequested();
    };
    m_speech.say({QStringLiteral("有的行以标点开头。可以开精排：标点不放在行首，"
                                 "整行两端对齐，章节标题单独成行。要开吗？"),
                  {{QStringLiteral("开精排"), taken}, {QStringLiteral("不用了"), declined}},
                  MascotSpeech::Goes::WhenAnswered,
                  QString::fromLatin1(kAboutTheBook),
                  {}});
}

void PageAppearance::restorePageSettings(const core::SettingsRead &read)
{
    QFont preview = m_settingsPanel.previewFont();
    if (read.fontName)
        preview.setFamily(qs(*read.fontName));
    if (read.fontSize && *read.fontSize > 0)
        preview.setPointSizeF(*read.fontSize);
    if (read.fontBold)
        preview.setBold(*read.fontBold);
    if (read.fontItalic)
        preview.setItalic(*read.fontItalic);
    if (read.fontUnderline)
        preview.setUnderline(*read.fontUnderline);
    m_settingsPanel.setPreviewFont(preview);
    m_settingsPanel.setTrimValue(m_state.trimParagraphs);
    core::PageSpacing values = m_settingsPanel.pageValues();
    for (const auto &[stored, value] : {std::pair{read.lineSpacing, &values.lineSpacing},
                                        {read.topMargin, &values.topMargin},
                                        {read.bottomMargin, &values.bottomMargin},
                                        {read.leftMargin, &values.leftMargin},
                                        {read.rightMargin, &values.rightMargin}})
        if (stored)
            *value = *stored;
    m_settingsPanel.setPageValues(values);
    if (read.pageEnded)
        takePanelValues();
}

} // namespace tibbo::window
