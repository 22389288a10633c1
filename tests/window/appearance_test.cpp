// The settings panel and the size menu: edits stay in the preview until OK, OK carries
// them to the page, re-flows and saves, the size menu changes only the page.
#include "windowfixture.h"

#include "optionsstore.h"

#include "referencesession.h"

#include "settings/settingsfile.h"
#include "text/fileio.h"

#include <QAbstractItemView>
#include <QCheckBox>
#include <QComboBox>
#include <QFontDatabase>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QtTest>

using namespace tibbo::window;
using namespace tibbo::window::test;
namespace core = tibbo::core;

namespace {

core::SettingsRead readSettings()
{
    const auto bytes = core::readFile(settingsPath().toStdString());
    if (!bytes)
        return {};
    return core::readSettingsFile(*bytes);
}

// Writes a settings.ini as a previous run would have left it, with the given page font.
void writeSettings(const core::FontSettings &font)
{
    core::SettingsData data;
    data.normalLeft = 1500;
    data.normalTop = 1500;
    data.recent = std::vector<std::string>(5, "\\none");
    data.paragraphText = U"　　一段文字^";
    data.lineEnds = {0};
    data.font = font;
    data.lineSpacing = 3;
    data.topMargin = 12;
    data.bottomMargin = 22;
    data.leftMargin = 33;
    data.rightMargin = 44;
    QVERIFY(core::writeFileAtomically(settingsPath().toStdString(),
                                      core::test::writeSettingsFile(data)));
}

QStringList checkedSizes(const ReaderWindow &w)
{
    QStringList checked;
    for (QAction *item : part<QMenu>(&w, "fontSizeMenu")->actions())
        if (item->isChecked())
            checked << item->text();
    return checked;
}

// An installed family other than the one given, for a font change the test can see.
QString otherFamily(const QString &family)
{
    for (const QString &f : QFontDatabase::families())
        if (f != family && !QFontDatabase::isPrivateFamily(f))
            return f;
    return QString();
}

void clickListEntry(QListWidget *list, const QString &text)
{
    const auto found = list->findItems(text, Qt::MatchExactly);
    QVERIFY(!found.isEmpty());
    list->scrollToItem(found.first());
    const QRect r = list->visualItemRect(found.first());
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, r.center());
}

// Opens the menu panel and the settings panel as the reader does: a right click on the
// page, then the settings picture.
void openSettingsPanel(ReaderWindow &w)
{
    openMenu(&w);
    QVERIFY(w.state().menuShown);
    QTest::mouseClick(part(&w, "settingsPicture"), Qt::LeftButton, {}, QPoint(5, 5));
    QVERIFY(part(&w, "settingsPanel")->isVisible());
}

QFont previewFont(const ReaderWindow &w)
{
    return part<QLabel>(&w, "preview")->font();
}

QComboBox *box(const ReaderWindow &w, const char *name)
{
    return part<QComboBox>(&w, name);
}

QCheckBox *check(const ReaderWindow &w, const char *name)
{
    return part<QCheckBox>(&w, name);
}

QString fontCaption(const ReaderWindow &w)
{
    return part<CaptionLabel>(&w, "fontCaption")->caption();
}

} // namespace

class AppearanceTest : public QObject
{
    Q_OBJECT

  private slots:
    void init() { resetAppFolder(); }

    void startUp_fillsListsAndSizeMenu()
    {
        auto w = startWindow(numberedBook(QStringLiteral("lists.txt"), 50, 40));
        QComboBox *size = box(*w, "sizeBox");
        QCOMPARE(size->count(), 25);
        QCOMPARE(size->itemText(0), QStringLiteral("6"));
        QCOMPARE(size->itemText(24), QStringLiteral("30"));
        // The design page size 10.5, with Str's sign blank.
        QCOMPARE(size->currentText(), QStringLiteral(" 10.5"));
        QCOMPARE(box(*w, "spacingBox")->count(), 11);
        QCOMPARE(box(*w, "spacingBox")->currentText(), QStringLiteral("5"));
        for (const char *margin :
             {"topMarginBox", "bottomMarginBox", "leftMarginBox", "rightMarginBox"}) {
            QCOMPARE(box(*w, margin)->count(), 91);
            QCOMPARE(box(*w, margin)->itemText(0), QStringLiteral("10"));
            QCOMPARE(box(*w, margin)->itemText(90), QStringLiteral("100"));
        }
        QCOMPARE(box(*w, "topMarginBox")->currentText(), QStringLiteral("10"));
        QCOMPARE(box(*w, "leftMarginBox")->currentText(), QStringLiteral("40"));
        // The sizes, then a separator and the themes.
        const auto sizes = part<QMenu>(w.get(), "fontSizeMenu")->actions();
        QCOMPARE(sizes.size(), 27);
        for (int i = 0; i < 25; ++i)
            QCOMPARE(sizes[i]->text(), QString::number(6 + i));
        auto *fonts = part<QListWidget>(w.get(), "fontList");
        QCOMPARE(fonts->count(), QFontDatabase::families().size());
        QCOMPARE(fonts->item(0)->text(), QFontDatabase::families().first());
        // The manual and back does not add the size items a second time.
        openMenu(w.get());
        QTest::mouseClick(part(w.get(), "manualPicture"), Qt::LeftButton, {}, QPoint(5, 5));
        QTRY_VERIFY(w->isIdle());
        openMenu(w.get());
        QTest::mouseClick(part(w.get(), "manualPicture"), Qt::LeftButton, {}, QPoint(5, 5));
        QTRY_VERIFY(w->isIdle());
        QCOMPARE(part<QMenu>(w.get(), "fontSizeMenu")->actions().size(), 27);
        QCOMPARE(size->count(), 25);
    }

    // Regression: the interface font became the application's only after the window's
    // base was built, so every part took the platform's sans face when it was made, sized
    // its captions in it (loading that face's CJK fallback for nothing) and got the
    // interface font only later from the event loop.
    void partsOfANewWindow_takeTheInterfaceFontWhenTheyAreMade()
    {
        QApplication::setFont(QFont(QStringLiteral("Sans Serif"), 9));
        const QFont expected = interfaceFont(QApplication::font());
        ReaderWindow w;
        const auto *caption = w.findChild<QLabel *>(QStringLiteral("fontCaption"));
        QVERIFY(caption);
        // Read before any event is handled.
        QCOMPARE(caption->font().family(), expected.family());
        QCOMPARE(caption->font().pixelSize(), expected.pixelSize());
    }

    // At night the whole bubble dims: the menu panel inside it takes the bubble's colour,
    // and the theme comes back at the next start.
    void nightTheme_dimsTheMenuPanelAndIsKept()
    {
        const QColor day(0xC0, 0xC0, 0xFF);
        const QString book = numberedBook(QStringLiteral("theme.txt"), 60, 40);
        {
            auto w = startWindow(book);
            const QWidget *menu = part(w.get(), "menuPanel");
            QCOMPARE(menu->palette().color(QPalette::Window), day);
            const auto themes = part<QMenu>(w.get(), "themeMenu")->actions();
            QCOMPARE(themes.size(), 3);
            themes[2]->trigger();
            QVERIFY(menu->palette().color(QPalette::Window).lightness() < day.lightness());
            w->exitReader();
        }
        auto again = startWindow();
        const QWidget *menu = part(again.get(), "menuPanel");
        const QColor night = menu->palette().color(QPalette::Window);
        QVERIFY(night.lightness() < day.lightness());
        QCOMPARE(part(again.get(), "settingsPanel")->palette().color(QPalette::Window), night);
        part<QMenu>(again.get(), "themeMenu")->actions()[0]->trigger();
        QCOMPARE(menu->palette().color(QPalette::Window), day);
    }

    // The keys of the page's look: Ctrl+= and Ctrl+- step the page font through the quick
    // sizes and the book is cut again (the preview keeps its size, as with the size menu);
    // N goes through the themes in the menu's order and back to day, each kept.
    void lookKeys_stepTheFontSizeAndTheTheme()
    {
        auto w = startWindow(numberedBook(QStringLiteral("keys.txt"), 60, 40));
        QCOMPARE(w->pageFont().pointSizeF(), 10.5);
        const int64_t charsBefore = w->state().charsPerLine;
        QTest::keyClick(w.get(), Qt::Key_Equal, Qt::ControlModifier);
        QTRY_VERIFY(w->isIdle());
        QCOMPARE(w->pageFont().pointSizeF(), 11.0);
        QVERIFY(w->state().charsPerLine < charsBefore);
        QTest::keyClick(w.get(), Qt::Key_Minus, Qt::ControlModifier);
        QTest::keyClick(w.get(), Qt::Key_Minus, Qt::ControlModifier);
        QTRY_VERIFY(w->isIdle());
        QCOMPARE(w->pageFont().pointSizeF(), 9.0);
        QCOMPARE(line(w.get(), 0)->font().pointSizeF(), 9.0);
        QCOMPARE(previewFont(*w).pointSizeF(), 10.5);

        const auto themes = part<QMenu>(w.get(), "themeMenu")->actions();
        for (int expected : {1, 2, 0}) {
            QTest::keyClick(w.get(), Qt::Key_N);
            QVERIFY(themes[expected]->isChecked());
            QCOMPARE(OptionsStore(SessionFiles::optionsPath()).value(options::kTheme), expected);
        }
    }

    // The theme and the encoding are in the settings panel too: each takes effect at once
    // as its menu does, and the panel and the menus always show the same choice.
    void settingsPanel_themeAndEncodingAsTheirMenus()
    {
        const QString text = QStringLiteral("　　第一行的文字，编码不对就认不出来。\n");
        auto w = startWindow(writeBook(QStringLiteral("encoding.txt"), text.repeated(80)));
        const QString shown = line(w.get(), 0)->text();
        QVERIFY(shown.contains(QStringLiteral("第一行")));
        openSettingsPanel(*w);
        auto *themeBox = part<QComboBox>(w.get(), "themeBox");
        QCOMPARE(themeBox->currentText(), QStringLiteral("日间"));
        QTest::keyClick(themeBox, Qt::Key_Down);
        QVERIFY(part<QMenu>(w.get(), "themeMenu")->actions()[1]->isChecked());
        QCOMPARE(OptionsStore(SessionFiles::optionsPath()).value(options::kTheme), 1);
        part<QMenu>(w.get(), "themeMenu")->actions()[2]->trigger();
        QCOMPARE(themeBox->currentText(), QStringLiteral("夜间"));

        // GB18030 read as UTF-8: the book opens again, garbled, and the choice is kept.
        auto *encodingBox = part<QComboBox>(w.get(), "encodingBox");
        QCOMPARE(encodingBox->currentText(), QStringLiteral("自动识别"));
        encodingBox->showPopup();
        QAbstractItemView *list = encodingBox->view();
        QTRY_VERIFY(list->isVisible());
        list->setCurrentIndex(list->model()->index(encodingBox->findText("UTF-8"), 0));
        QTest::keyClick(list, Qt::Key_Return);
        QTRY_VERIFY(w->isIdle());
        QVERIFY(!part(w.get(), "settingsPanel")->isVisible());
        QVERIFY(!line(w.get(), 0)->text().contains(QStringLiteral("第一行")));
        QCOMPARE(OptionsStore(SessionFiles::optionsPath())
                     .value(options::kEncoding, QString::fromStdString(w->state().bookPath)),
                 QStringLiteral("UTF-8"));
        QCOMPARE(encodingBox->currentText(), QStringLiteral("UTF-8"));
        // Back to finding it by itself through the menu: the panel follows.
        menuItem(w.get(), "encodingMenu", QStringLiteral("自动识别"))->trigger();
        QTRY_VERIFY(w->isIdle());
        QCOMPARE(line(w.get(), 0)->text(), shown);
        QCOMPARE(encodingBox->currentText(), QStringLiteral("自动识别"));
    }

    // Scroll mode stayed white at night: it takes the paper and text colours of the
    // theme, and its moving character shows on them.
    void scrollMode_takesThePageColoursOfTheTheme()
    {
        auto w = startWindow(numberedBook(QStringLiteral("scroll.txt"), 60, 40));
        part<QMenu>(w.get(), "themeMenu")->actions()[2]->trigger();
        menuItem(w.get(), "autoTurnMenu", QStringLiteral("滚动翻页"))->trigger();
        const QWidget *text = part(w.get(), "scrollText");
        QVERIFY(text->isVisible());
        const QPalette night = text->palette();
        QVERIFY(night.color(QPalette::Base).lightness() < 60);
        QVERIFY(night.color(QPalette::Text).lightness() > 180);
        QVERIFY(night.color(QPalette::Active, QPalette::Highlight) != night.color(QPalette::Base));
        part<QMenu>(w.get(), "themeMenu")->actions()[0]->trigger();
        QVERIFY(text->palette().color(QPalette::Base).lightness() > 200);
        QCOMPARE(text->palette().color(QPalette::Text), QColor(Qt::black));
    }

    void fontList_selectsOnlyTheInstalledPreviewFamily_data()
    {
        QTest::addColumn<QString>("family");
        QTest::addColumn<bool>("installed");
        QTest::newRow("installed family") << QStringLiteral("DejaVu Sans") << true;
        // 宋体 is the design's name and is rarely installed here: the list must not fall
        // back to whatever face fontconfig substitutes for it.
        QTest::newRow("design name not installed") << QStringLiteral("宋体") << false;
        QTest::newRow("unknown family") << QStringLiteral("Tibbo No Such Face") << false;
        // Matching is exact: a family differing only in case is a different family.
        QTest::newRow("case differs") << QStringLiteral("dejavu sans") << false;
    }

    void fontList_selectsOnlyTheInstalledPreviewFamily()
    {
        QFETCH(QString, family);
        QFETCH(bool, installed);
        if (installed && !QFontDatabase::families().contains(family))
            QSKIP("the family is not installed on this machine");
        writeSettings({family.toStdString(), 12, true, false, false});
        auto w = startWindow();
        auto *fonts = part<QListWidget>(w.get(), "fontList");
        if (installed) {
            QVERIFY(fonts->currentItem());
            QCOMPARE(fonts->currentItem()->text(), family);
            QCOMPARE(fonts->selectedItems().size(), 1);
            QCOMPARE(fontCaption(*w), QStringLiteral("当前字体:") + family);
        } else {
            QCOMPARE(fonts->selectedItems().size(), 0);
            QCOMPARE(fonts->currentRow(), -1);
            QCOMPARE(fontCaption(*w), QStringLiteral("当前字体:"));
        }
        // The rest of the panel follows the file's page settings.
        QCOMPARE(box(*w, "sizeBox")->currentText(), QStringLiteral(" 12"));
        QCOMPARE(box(*w, "spacingBox")->currentText(), QStringLiteral("3"));
        QCOMPARE(box(*w, "topMarginBox")->currentText(), QStringLiteral("12"));
        QCOMPARE(box(*w, "bottomMarginBox")->currentText(), QStringLiteral("22"));
        QCOMPARE(box(*w, "leftMarginBox")->currentText(), QStringLiteral("33"));
        QCOMPARE(box(*w, "rightMarginBox")->currentText(), QStringLiteral("44"));
        QVERIFY(!check(*w, "underlineBox")->isChecked());
        QVERIFY(check(*w, "boldBox")->isChecked());
        QVERIFY(!check(*w, "italicBox")->isChecked());
        // The size menu, asked for by a right click on the settings picture, checks the
        // page's size.
        openMenu(w.get());
        QTest::mouseClick(part(w.get(), "settingsPicture"), Qt::RightButton, {}, QPoint(5, 5));
        QCOMPARE(checkedSizes(*w), QStringList{QStringLiteral("12")});
    }

    void sizeMenu_checksWholePointsOfPageFont_data()
    {
        QTest::addColumn<double>("pageSize");
        QTest::addColumn<QString>("checked");
        // The design size: rounding instead of cutting would check "11".
        QTest::newRow("10.5 checks 10") << 10.5 << QStringLiteral("10");
        QTest::newRow("12.75 checks 12") << 12.75 << QStringLiteral("12");
        QTest::newRow("first item, designed") << 6.0 << QStringLiteral("6");
        QTest::newRow("last item, added at start") << 30.0 << QStringLiteral("30");
        QTest::newRow("below the menu") << 5.5 << QString();
    }

    void sizeMenu_checksWholePointsOfPageFont()
    {
        QFETCH(double, pageSize);
        QFETCH(QString, checked);
        // The page gets the size from settings.ini, as a reader's earlier OK left it.
        writeSettings({"DejaVu Sans", pageSize, false, false, false});
        auto w = startWindow();
        QCOMPARE(w->pageFont().pointSizeF(), pageSize);
        // Leave a stale check behind: opening the menu must clear it.
        part<QMenu>(w.get(), "fontSizeMenu")->actions().at(3)->setChecked(true);
        openMenu(w.get());
        QTest::mouseClick(part(w.get(), "settingsPicture"), Qt::RightButton, {}, QPoint(5, 5));
        QCOMPARE(Dialogs::lastPopup(), part<QMenu>(w.get(), "fontSizeMenu"));
        QCOMPARE(checkedSizes(*w), checked.isEmpty() ? QStringList() : QStringList{checked});
    }

    void sizeMenuChoice_setsPageAndSizeBox_notPreviewNorFile()
    {
        auto w = startWindow(numberedBook(QStringLiteral("sizes.txt"), 200, 60));
        QVERIFY(w->saveSession());
        const QByteArray fileBefore = fileBytes(settingsPath());
        QVERIFY(!fileBefore.isEmpty());
        const QFont previewBefore = previewFont(*w);
        const int64_t charsBefore = w->state().charsPerLine;
        const int64_t linesBefore = w->state().lineCount();
        openMenu(w.get());
        QVERIFY(w->state().menuShown);

        QAction *sixteen = menuItem(w.get(), "fontSizeMenu", QStringLiteral("16"));
        QVERIFY(sixteen);
        sixteen->trigger();
        QTRY_VERIFY(w->isIdle());

        QVERIFY(!w->state().menuShown);
        QCOMPARE(w->pageFont().pointSizeF(), 16.0);
        QCOMPARE(line(w.get(), 1)->font().pointSizeF(), 16.0);
        QCOMPARE(box(*w, "sizeBox")->currentText(), QStringLiteral("16"));
        QCOMPARE(previewFont(*w), previewBefore);
        // Larger characters: fewer a line, so the book was cut again into more lines.
        QVERIFY(w->state().charsPerLine < charsBefore);
        QVERIFY(w->state().lineCount() > linesBefore);
        QCOMPARE(fileBytes(settingsPath()), fileBefore);

        // OK later applies the preview's size, not the menu's.
        openSettingsPanel(*w);
        QTest::mouseClick(part(w.get(), "settingsOk"), Qt::LeftButton);
        QTRY_VERIFY(w->isIdle());
        QCOMPARE(w->pageFont().pointSizeF(), previewBefore.pointSizeF());
        QCOMPARE(w->state().charsPerLine, charsBefore);
    }

    void okButton_appliesPreviewAndValues_reflowsAndSaves()
    {
        auto w = startWindow(numberedBook(QStringLiteral("ok.txt"), 300, 60));
        QWidget *panel = part(w.get(), "settingsPanel");
        const int64_t charsBefore = w->state().charsPerLine;
        const int64_t linesPerPageBefore = w->state().linesPerPage;
        const QString family = otherFamily(w->pageFont().family());
        QVERIFY(!family.isEmpty());

        openSettingsPanel(*w);
        // Over the whole menu panel: nothing of the menu shows through.
        QCOMPARE(panel->pos(), QPoint(0, 0));
        QCOMPARE(panel->size(), part(w.get(), "menuPanel")->size());
        clickListEntry(part<QListWidget>(w.get(), "fontList"), family);
        QCOMPARE(previewFont(*w).family(), family);
        QCOMPARE(fontCaption(*w), QStringLiteral("当前字体:") + family);
        // A size chosen from the list reaches the preview at once.
        QComboBox *size = box(*w, "sizeBox");
        size->setFocus();
        const int fourteen = size->findText(QStringLiteral("14"));
        size->setCurrentIndex(fourteen - 1);
        QTest::keyClick(size, Qt::Key_Down);
        QCOMPARE(size->currentText(), QStringLiteral("14"));
        QCOMPARE(previewFont(*w).pointSizeF(), 14.0);
        QTest::mouseClick(check(*w, "boldBox"), Qt::LeftButton);
        QVERIFY(previewFont(*w).bold());
        // Typed values are taken as they stand.
        box(*w, "spacingBox")->setEditText(QStringLiteral("8"));
        box(*w, "topMarginBox")->setEditText(QStringLiteral("12.5px"));
        box(*w, "bottomMarginBox")->setEditText(QStringLiteral("30"));
        box(*w, "leftMarginBox")->setEditText(QStringLiteral("50"));
        box(*w, "rightMarginBox")->setEditText(QStringLiteral("abc"));
        // The page is untouched until OK.
        QCOMPARE(w->state().charsPerLine, charsBefore);
        QVERIFY(w->pageFont().family() != family);

        QTest::mouseClick(part(w.get(), "settingsOk"), Qt::LeftButton);
        QTRY_VERIFY(w->isIdle());

        QVERIFY(!panel->isVisible());
        QVERIFY(!w->state().menuShown);
        QCOMPARE(w->pageFont().family(), family);
        QCOMPARE(w->pageFont().pointSizeF(), 14.0);
        QVERIFY(w->pageFont().bold());
        QCOMPARE(line(w.get(), 1)->font().family(), family);
        QCOMPARE(w->state().lineSpacing, 8.0);
        QCOMPARE(w->state().topMargin, 12.5);
        QCOMPARE(w->state().bottomMargin, 30.0);
        QCOMPARE(w->state().leftMargin, 50.0);
        QCOMPARE(w->state().rightMargin, 0.0);
        QVERIFY(w->state().charsPerLine != charsBefore);
        QVERIFY(w->state().linesPerPage < linesPerPageBefore);
        // Re-flowed: every full line of the page now holds the new capacity.
        const auto &ends = w->state().lineEnds;
        QVERIFY(ends.size() > 3);
        QCOMPARE(ends[1] - ends[0], w->state().charsPerLine);
        QCOMPARE(line(w.get(), 1)->text().size(), w->state().charsPerLine);

        const core::SettingsRead read = readSettings();
        QVERIFY(read.complete);
        QCOMPARE(QString::fromStdString(*read.fontName), family);
        QCOMPARE(*read.fontSize, 14.0);
        QCOMPARE(*read.fontBold, true);
        QCOMPARE(*read.fontItalic, false);
        QCOMPARE(*read.lineSpacing, 8.0);
        QCOMPARE(*read.topMargin, 12.5);
        QCOMPARE(*read.bottomMargin, 30.0);
        QCOMPARE(*read.leftMargin, 50.0);
        QCOMPARE(*read.rightMargin, 0.0);
    }

    void cancel_keepsPreviewEditsForLaterOk_resetsTrimming()
    {
        auto w = startWindow(numberedBook(QStringLiteral("cancel.txt"), 100, 60));
        QWidget *panel = part(w.get(), "settingsPanel");
        auto *fonts = part<QListWidget>(w.get(), "fontList");
        QCheckBox *trim = check(*w, "trimBox");
        const QString pageFamily = w->pageFont().family();
        const QString family = otherFamily(pageFamily);
        openSettingsPanel(*w);
        QCOMPARE(w->state().trimParagraphs, 0);
        clickListEntry(fonts, family);
        QTest::mouseClick(check(*w, "italicBox"), Qt::LeftButton);
        QTest::mouseClick(trim, Qt::LeftButton);
        QVERIFY(trim->isChecked());

        QTest::mouseClick(part(w.get(), "settingsCancel"), Qt::LeftButton);
        QVERIFY(!panel->isVisible());
        QVERIFY(w->state().menuShown);
        QVERIFY(!trim->isChecked());
        QCOMPARE(w->state().trimParagraphs, 0);
        QCOMPARE(w->pageFont().family(), pageFamily);
        QCOMPARE(previewFont(*w).family(), family);
        QVERIFY(previewFont(*w).italic());

        // Reopened, the panel still shows the edits; OK applies them.
        QTest::mouseClick(part(w.get(), "settingsPicture"), Qt::LeftButton, {}, QPoint(5, 5));
        QCOMPARE(fonts->currentItem()->text(), family);
        QVERIFY(check(*w, "italicBox")->isChecked());
        QTest::mouseClick(trim, Qt::LeftButton);
        QTest::mouseClick(part(w.get(), "settingsOk"), Qt::LeftButton);
        QTRY_VERIFY(w->isIdle());
        QCOMPARE(w->pageFont().family(), family);
        QVERIFY(w->pageFont().italic());
        QCOMPARE(w->state().trimParagraphs, 1);
        QCOMPARE(readSettings().trim, std::optional<int>(1));
    }

    void trayMenuSetting_showsHiddenWindowWithPanel()
    {
        auto w = startWindow(numberedBook(QStringLiteral("tray.txt"), 50, 60));
        w->hide();
        menuItem(w.get(), "trayMenu", QStringLiteral("软件设置 "))->trigger();
        QVERIFY(w->isVisible());
        QVERIFY(w->state().menuShown);
        QVERIFY(part(w.get(), "menuPanel")->isVisible());
        QVERIFY(part(w.get(), "settingsPanel")->isVisible());
        QCOMPARE(part(w.get(), "settingsPanel")->pos(), QPoint(0, 0));
    }

    // A left margin of 500 swapped the two columns and a line spacing of -16 drew 458
    // lines a page on top of each other; both were also saved.
    void okWithValuesLeavingNoRoom_isRefusedAndChangesNothing_data()
    {
        QTest::addColumn<QString>("boxName");
        QTest::addColumn<QString>("value");
        QTest::newRow("left margin past the fold") << "leftMarginBox"
                                                   << "500";
        QTest::newRow("lines on top of each other") << "spacingBox"
                                                    << "-16";
        QTest::newRow("top margin below the page") << "topMarginBox"
                                                   << "1000";
        QTest::newRow("absurd number") << "bottomMarginBox"
                                       << "-1E+12";
    }

    void okWithValuesLeavingNoRoom_isRefusedAndChangesNothing()
    {
        QFETCH(QString, boxName);
        QFETCH(QString, value);
        auto w = startWindow(numberedBook(QStringLiteral("room.txt"), 300, 60));
        const core::ReaderState before = w->state();
        openSettingsPanel(*w);
        box(*w, boxName.toLatin1().constData())->setEditText(value);
        QTest::mouseClick(part(w.get(), "settingsOk"), Qt::LeftButton);
        QCOMPARE(Dialogs::takeMessages().size(), 1);
        QVERIFY(part(w.get(), "settingsPanel")->isVisible());
        QCOMPARE(w->state().leftMargin, before.leftMargin);
        QCOMPARE(w->state().lineSpacing, before.lineSpacing);
        QCOMPARE(w->state().linesPerPage, before.linesPerPage);
        QCOMPARE(w->state().charsPerLine, before.charsPerLine);
        QVERIFY(!QFile::exists(settingsPath()));
    }
};

QTEST_MAIN(AppearanceTest)
#include "appearance_test.moc"
