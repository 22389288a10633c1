// The settings panel and the size menu: edits stay in the preview until OK, OK carries
// them to the page, re-flows and saves, the size menu changes only the page.
#include "windowfixture.h"

#include "menupanel.h"
#include "settingspanel.h"
#include "widgets.h"

#include "settings/settingsfile.h"
#include "text/fileio.h"

#include <QAction>
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

QString settingsPath()
{
    return Form1::appFolder() + QStringLiteral("/settings.ini");
}

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
    QVERIFY(core::writeFileAtomically(settingsPath().toStdString(), core::writeSettingsFile(data)));
}

QStringList checkedSizes(const Form1 &form)
{
    QStringList checked;
    for (QAction *item : form.Mnsize)
        if (item->isChecked())
            checked << item->text();
    return checked;
}

QAction *sizeItem(const Form1 &form, const QString &caption)
{
    for (QAction *item : form.Mnsize)
        if (item->text() == caption)
            return item;
    return nullptr;
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
void openSettingsPanel(Form1 &form)
{
    QTest::mouseClick(form.Image4, Qt::RightButton, {}, QPoint(50, 50));
    QVERIFY(form.state().menuShown);
    QTest::mouseClick(form.Picture1->Image17, Qt::LeftButton, {}, QPoint(5, 5));
    QVERIFY(form.Picture4->isVisible());
}

} // namespace

class AppearanceTest : public QObject
{
    Q_OBJECT

  private slots:
    void init() { resetAppFolder(); }

    void startUp_fillsListsAndSizeMenu()
    {
        auto form = startWindow();
        SettingsPanel *s = form->Picture4;
        QCOMPARE(s->Combo1->count(), 25);
        QCOMPARE(s->Combo1->itemText(0), QStringLiteral("6"));
        QCOMPARE(s->Combo1->itemText(24), QStringLiteral("30"));
        // The design page size 10.5, with Str's sign blank.
        QCOMPARE(s->Combo1->currentText(), QStringLiteral(" 10.5"));
        QCOMPARE(s->Combo2->count(), 11);
        QCOMPARE(s->Combo2->currentText(), QStringLiteral("5"));
        for (QComboBox *margin : {s->Combo3, s->Combo4, s->Combo5, s->Combo6}) {
            QCOMPARE(margin->count(), 91);
            QCOMPARE(margin->itemText(0), QStringLiteral("10"));
            QCOMPARE(margin->itemText(90), QStringLiteral("100"));
        }
        QCOMPARE(s->Combo3->currentText(), QStringLiteral("10"));
        QCOMPARE(s->Combo5->currentText(), QStringLiteral("40"));
        QCOMPARE(form->Mnsize.size(), size_t(25));
        for (int i = 0; i < 25; ++i)
            QCOMPARE(form->Mnsize[static_cast<size_t>(i)]->text(), QString::number(6 + i));
        QCOMPARE(s->List5->count(), QFontDatabase::families().size());
        QCOMPARE(s->List5->item(0)->text(), QFontDatabase::families().first());
        // A second fill (the manual and back) does not add the size items twice.
        form->fillAppearanceControls();
        QCOMPARE(form->Mnsize.size(), size_t(25));
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
        auto form = startWindow();
        SettingsPanel *s = form->Picture4;
        if (installed) {
            QVERIFY(s->List5->currentItem());
            QCOMPARE(s->List5->currentItem()->text(), family);
            QCOMPARE(s->List5->selectedItems().size(), 1);
            QCOMPARE(s->Label5_10->caption(), QStringLiteral("当前字体:") + family);
        } else {
            QCOMPARE(s->List5->selectedItems().size(), 0);
            QCOMPARE(s->List5->currentRow(), -1);
            QCOMPARE(s->Label5_10->caption(), QStringLiteral("当前字体:"));
        }
        // The rest of the panel follows the file's page settings.
        QCOMPARE(s->Combo1->currentText(), QStringLiteral(" 12"));
        QCOMPARE(s->Combo2->currentText(), QStringLiteral("3"));
        QCOMPARE(s->Combo3->currentText(), QStringLiteral("12"));
        QCOMPARE(s->Combo4->currentText(), QStringLiteral("22"));
        QCOMPARE(s->Combo5->currentText(), QStringLiteral("33"));
        QCOMPARE(s->Combo6->currentText(), QStringLiteral("44"));
        QVERIFY(!s->Check1->isChecked());
        QVERIFY(s->Check2->isChecked());
        QVERIFY(!s->Check3->isChecked());
        QCOMPARE(checkedSizes(*form), QStringList{QStringLiteral("12")});
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
        auto form = startWindow(numberedBook(QStringLiteral("sizes.txt"), 50, 40));
        // The page gets the size through the panel's OK, as a reader would set it.
        QFont preview = form->Picture4->Label8->font();
        preview.setPointSizeF(pageSize);
        form->Picture4->Label8->setFont(preview);
        form->Command4_Click();
        QCOMPARE(form->pageFont().pointSizeF(), pageSize);
        // Leave a stale check behind: opening the menu must clear it.
        form->Mnsize[3]->setChecked(true);
        form->ShowSizeMenu();
        QCOMPARE(Dialogs::lastPopup(), form->MnFontsize);
        QCOMPARE(checkedSizes(*form), checked.isEmpty() ? QStringList() : QStringList{checked});
    }

    void sizeMenuChoice_setsPageAndCombo1_notPreviewNorFile()
    {
        auto form = startWindow(numberedBook(QStringLiteral("sizes.txt"), 200, 60));
        QVERIFY(form->WriteINI());
        const QByteArray fileBefore = [] {
            QFile f(settingsPath());
            f.open(QIODevice::ReadOnly);
            return f.readAll();
        }();
        QVERIFY(!fileBefore.isEmpty());
        const QFont previewBefore = form->Picture4->Label8->font();
        const int64_t charsBefore = form->state().charsPerLine;
        const int64_t linesBefore = form->state().lineCount();
        QTest::mouseClick(form->Image4, Qt::RightButton, {}, QPoint(50, 50));
        QVERIFY(form->state().menuShown);

        QAction *sixteen = sizeItem(*form, QStringLiteral("16"));
        QVERIFY(sixteen);
        sixteen->trigger();

        QVERIFY(!form->state().menuShown);
        QCOMPARE(form->pageFont().pointSizeF(), 16.0);
        QCOMPARE(form->Label1->font().pointSizeF(), 16.0);
        QCOMPARE(form->Label3[1]->font().pointSizeF(), 16.0);
        QCOMPARE(form->Picture4->Combo1->currentText(), QStringLiteral("16"));
        QCOMPARE(form->Picture4->Label8->font(), previewBefore);
        // Larger characters: fewer a line, so the book was cut again into more lines.
        QVERIFY(form->state().charsPerLine < charsBefore);
        QVERIFY(form->state().lineCount() > linesBefore);
        QFile f(settingsPath());
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), fileBefore);

        // OK later applies the preview's size, not the menu's.
        form->Command4_Click();
        QCOMPARE(form->pageFont().pointSizeF(), previewBefore.pointSizeF());
        QCOMPARE(form->state().charsPerLine, charsBefore);
    }

    void okButton_appliesPreviewAndValues_reflowsAndSaves()
    {
        auto form = startWindow(numberedBook(QStringLiteral("ok.txt"), 300, 60));
        SettingsPanel *s = form->Picture4;
        const int64_t charsBefore = form->state().charsPerLine;
        const int64_t linesPerPageBefore = form->state().linesPerPage;
        const QString family = otherFamily(form->pageFont().family());
        QVERIFY(!family.isEmpty());

        openSettingsPanel(*form);
        QCOMPARE(s->pos(), QPoint(24, 6));
        clickListEntry(s->List5, family);
        QCOMPARE(s->Label8->font().family(), family);
        QCOMPARE(s->Label5_10->caption(), QStringLiteral("当前字体:") + family);
        // A size chosen from the list reaches the preview at once.
        s->Combo1->setFocus();
        const int fourteen = s->Combo1->findText(QStringLiteral("14"));
        s->Combo1->setCurrentIndex(fourteen - 1);
        QTest::keyClick(s->Combo1, Qt::Key_Down);
        QCOMPARE(s->Combo1->currentText(), QStringLiteral("14"));
        QCOMPARE(s->Label8->font().pointSizeF(), 14.0);
        QTest::mouseClick(s->Check2, Qt::LeftButton);
        QVERIFY(s->Label8->font().bold());
        // Typed values are taken as they stand.
        s->Combo2->setEditText(QStringLiteral("8"));
        s->Combo3->setEditText(QStringLiteral("12.5px"));
        s->Combo4->setEditText(QStringLiteral("30"));
        s->Combo5->setEditText(QStringLiteral("50"));
        s->Combo6->setEditText(QStringLiteral("abc"));
        // The page is untouched until OK.
        QCOMPARE(form->state().charsPerLine, charsBefore);
        QVERIFY(form->pageFont().family() != family);

        QTest::mouseClick(s->Command4, Qt::LeftButton);

        QVERIFY(!s->isVisible());
        QVERIFY(!form->state().menuShown);
        QCOMPARE(form->pageFont().family(), family);
        QCOMPARE(form->pageFont().pointSizeF(), 14.0);
        QVERIFY(form->pageFont().bold());
        QCOMPARE(form->Label3[1]->font().family(), family);
        QCOMPARE(form->state().lineSpacing, 8.0);
        QCOMPARE(form->state().topMargin, 12.5);
        QCOMPARE(form->state().bottomMargin, 30.0);
        QCOMPARE(form->state().leftMargin, 50.0);
        QCOMPARE(form->state().rightMargin, 0.0);
        QVERIFY(form->state().charsPerLine != charsBefore);
        QVERIFY(form->state().linesPerPage < linesPerPageBefore);
        // Re-flowed: every full line of the page now holds the new capacity.
        const auto &ends = form->state().lineEnds;
        QVERIFY(ends.size() > 3);
        QCOMPARE(ends[1] - ends[0], form->state().charsPerLine);
        QCOMPARE(form->Label3[1]->text().size(), form->state().charsPerLine);

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
        auto form = startWindow(numberedBook(QStringLiteral("cancel.txt"), 100, 60));
        SettingsPanel *s = form->Picture4;
        const QString pageFamily = form->pageFont().family();
        const QString family = otherFamily(pageFamily);
        openSettingsPanel(*form);
        QCOMPARE(form->state().trimParagraphs, 0);
        clickListEntry(s->List5, family);
        QTest::mouseClick(s->Check3, Qt::LeftButton);
        QTest::mouseClick(s->Check4, Qt::LeftButton);
        QVERIFY(s->Check4->isChecked());

        QTest::mouseClick(s->Command5, Qt::LeftButton);
        QVERIFY(!s->isVisible());
        QVERIFY(form->state().menuShown);
        QVERIFY(!s->Check4->isChecked());
        QCOMPARE(form->state().trimParagraphs, 0);
        QCOMPARE(form->pageFont().family(), pageFamily);
        QCOMPARE(s->Label8->font().family(), family);
        QVERIFY(s->Label8->font().italic());

        // Reopened, the panel still shows the edits; OK applies them.
        QTest::mouseClick(form->Picture1->Image17, Qt::LeftButton, {}, QPoint(5, 5));
        QCOMPARE(s->List5->currentItem()->text(), family);
        QVERIFY(s->Check3->isChecked());
        QTest::mouseClick(s->Check4, Qt::LeftButton);
        QTest::mouseClick(s->Command4, Qt::LeftButton);
        QCOMPARE(form->pageFont().family(), family);
        QVERIFY(form->pageFont().italic());
        QCOMPARE(form->state().trimParagraphs, 1);
        QCOMPARE(readSettings().trim, std::optional<int>(1));
    }

    void trayMenuSetting_showsHiddenWindowWithPanel()
    {
        auto form = startWindow(numberedBook(QStringLiteral("tray.txt"), 50, 60));
        form->hide();
        form->MnSetting->trigger();
        QVERIFY(form->isVisible());
        QVERIFY(form->state().menuShown);
        QVERIFY(form->Picture1->isVisible());
        QVERIFY(form->Picture4->isVisible());
        QCOMPARE(form->Picture4->pos(), QPoint(24, 6));
    }
};

QTEST_MAIN(AppearanceTest)
#include "appearance_test.moc"
