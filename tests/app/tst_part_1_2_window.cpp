// Part 1.2's window side and the main window's controls (issue 5): every control under its
// spec name and caption, unbuilt Parts disabled, fonts, tool tips, check boxes, the menus
// built from the lists (Part 4.3's BuildListMenu rules) and the fixed menus.
#include "app/MainMenus.h"
#include "app/WindowSettings.h"
#include "app/ProgramValues.h"
#include "app/MainWindow.h"
#include "browser/ListMenus.h"
#include "support/TestSupport.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QTemporaryDir>
#include <QToolButton>
#include <QtTest>

#include <memory>

using namespace vistrel;

class TestMainWindowControls : public QObject {
    Q_OBJECT

private:
    QTemporaryDir dir_;

    std::string Path(const QString& name) const { return dir_.filePath(name).toStdString(); }

    std::unique_ptr<MainWindow> LoadWindow(const std::string& keys)
    {
        program::IniFile = Path("Vistrel.ini");
        program::IniBackupFile = Path("Vistrel.bak");
        program::CommandLineArg.clear();
        test::WriteFile(program::IniFile, "[Settings]\nPath=" + dir_.path().toStdString() + "/\n" + keys);
        return std::make_unique<MainWindow>(Path("vistrel"));
    }

    static QStringList VisibleTexts(const QMenu* menu)
    {
        QStringList texts;
        for (const QAction* action : menu->actions())
            if (action->isVisible())
                texts << (action->isSeparator() ? QString("-") : action->text());
        return texts;
    }

    static QString Caption(const QWidget* w)
    {
        if (auto* button = qobject_cast<const QAbstractButton*>(w))
            return button->text();
        if (auto* label = qobject_cast<const QLabel*>(w))
            return label->text();
        return {};
    }

private slots:
    void everyControlHasItsSpecNameAndCaption()
    {
        auto window = LoadWindow("");
        const QList<QPair<QString, QString>> named{
            {"playButtons_0", "Play"}, {"playButtons_1", "Pause"}, {"playButtons_2", "Stop"},
            {"closeButton", "Close"},        {"expandButton", "v"},             {"moveToButton", "Move To:"},
            {"copyToButton", "Copy To:"}, {"goToButton", "Go To:"}, {"mediaInterfaceLabel", "MCI"},
            {"volumeLabels_0", "Master"},       {"volumeLabels_1", "Wave"},           {"volumeLabels_2", "MIDI"},
            {"volumeLabels_3", "Local"}};
        for (const auto& [name, caption] : named) {
            const auto* w = window->findChild<QWidget*>(name);
            QVERIFY2(w, qPrintable(name));
            QCOMPARE(Caption(w), caption);
        }
        for (const char* name : {"driveBox", "folderList", "fileList", "skipButtons_0", "skipButtons_1", "loopCheck",
                                 "playAllCheck", "overlappedCheck", "videoSideBySideCheck", "loopIcon", "overlappedLabel",
                                 "speedRail", "speedKnob", "speedRailLabel", "playSpeedLabel",
                                 "speedList", "volumeFrame", "videoArea", "tipBox",
                                 "tipLabel", "settingsButton", "homepageLabel"})
            QVERIFY2(window->findChild<QWidget*>(name), name);
        for (int i = 0; i < 7; ++i)
            QVERIFY(window->findChild<QLabel*>(QString("formatInfoLabels_%1").arg(i)));
        QCOMPARE(window->findChild<QComboBox*>("speedList")->count(), 4);
        QCOMPARE(window->findChild<QComboBox*>("speedList")->itemText(3), QString("1600"));
    }

    void controlsOfUnbuiltPartsAreDisabled()
    {
        auto window = LoadWindow("");
        for (const char* name : {"speedList", "speedRail", "volumeFrame", "settingsButton"})
            QVERIFY2(!window->findChild<QWidget*>(name)->isEnabled(), name);
        QVERIFY(!window->Menus().renameAction->isEnabled());
        QVERIFY(!window->Menus().newFolderAction->isEnabled());
        QVERIFY(!window->Menus().fullscreenAction->isEnabled());
        QVERIFY(window->findChild<QWidget*>("videoArea")->isHidden());
        QVERIFY(window->findChild<QWidget*>("tipBox")->isHidden());
    }

    void fontSizeIsClampedAndZeroKeepsTheDesignedSize()
    {
        auto big = LoadWindow("FontSize=20\n");
        QCOMPARE(big->findChild<QListWidget*>("fileList")->font().pointSizeF(), 14.0);
        QCOMPARE(big->findChild<QComboBox*>("driveBox")->font().pointSizeF(), 14.0);
        auto small = LoadWindow("FontSize=3\n");
        QCOMPARE(small->findChild<QListWidget*>("folderList")->font().pointSizeF(), 7.0);
        auto designed = LoadWindow("FontSize=0\n");
        QCOMPARE(designed->findChild<QListWidget*>("folderList")->font().pointSizeF(),
                 QApplication::font().pointSizeF());
    }

    void windowsDialogFontsMeanTheDesktopFont()
    {
        QCOMPARE(ResolveFontFamily("MS Shell Dlg"), QApplication::font().family());
        QCOMPARE(ResolveFontFamily("MS Sans Serif"), QApplication::font().family());
        QCOMPARE(ResolveFontFamily("DejaVu Serif"), QString("DejaVu Serif"));
        auto window = LoadWindow("FontName=DejaVu Serif\n");
        QCOMPARE(window->findChild<QListWidget*>("fileList")->font().family(), QString("DejaVu Serif"));
        // Controls with the designed font get FontName too.
        QCOMPARE(window->findChild<QWidget*>("closeButton")->font().family(), QString("DejaVu Serif"));
    }

    void fontNameSurvivesASave()
    {
        auto window = LoadWindow("FontName=MS Shell Dlg\nFontSize=11\n");
        window->close();
        const std::string ini = test::ReadText(program::IniFile);
        QVERIFY(ini.find("\nFontName=MS Shell Dlg\n") != std::string::npos);
        QVERIFY(ini.find("\nFontSize=11\n") != std::string::npos);
    }

    void toolTipsOffClearsEveryToolTip()
    {
        auto on = LoadWindow("ToolTips=1\n");
        QVERIFY(!on->findChild<QWidget*>("skipButtons_1")->toolTip().isEmpty());
        auto off = LoadWindow("ToolTips=0\n");
        for (const QWidget* w : off->findChildren<QWidget*>())
            QVERIFY2(w->toolTip().isEmpty(), qPrintable(w->objectName()));
    }

    void checkBoxesFollowTheSettingsBothWays()
    {
        auto window = LoadWindow("All=1\nLoop=0\nOverlapped=1\nVideoSideBySide=1\n");
        QVERIFY(window->findChild<QCheckBox*>("playAllCheck")->isChecked());
        QVERIFY(!window->findChild<QCheckBox*>("loopCheck")->isChecked());
        QVERIFY(window->findChild<QCheckBox*>("overlappedCheck")->isChecked());
        QVERIFY(window->findChild<QCheckBox*>("videoSideBySideCheck")->isChecked());
        window->findChild<QCheckBox*>("loopCheck")->setChecked(true);
        window->findChild<QCheckBox*>("playAllCheck")->setChecked(false);
        window->close();
        const std::string ini = test::ReadText(program::IniFile);
        QVERIFY(ini.find("\nLoop=1\n") != std::string::npos);
        QVERIFY(ini.find("\nAll=0\n") != std::string::npos);
        QVERIFY(ini.find("\nOverlapped=1\n") != std::string::npos);
    }

    void destinationMenusCarryHotkeyTexts()
    {
        auto window = LoadWindow("CopyMoveToName1=Music\nCopyMoveToPath1=/m\nCopyMoveToName2=+++\n"
                                 "CopyMoveToPath2=+++\nCopyMoveToName3=/recent\nCopyMoveToPath3=/recent\n"
                                 "GoToNameA=Films\nGoToPathA=/f\nUseMenuHotkeys=1\n");
        const MainMenus& menus = window->Menus();
        QCOMPARE(VisibleTexts(menus.moveToMenu.popup),
                 QStringList({"Music\tAlt+1", "-", "/recent\tAlt+3", "-", "Add Current Folder",
                              "Configure List...", "Browse..."}));
        QCOMPARE(VisibleTexts(menus.copyToMenu.popup).first(), QString("Music\tShift+1"));
        QCOMPARE(VisibleTexts(menus.goToMenu.popup).first(), QString("Films\tShift+A"));
        QVERIFY(!menus.goToMenu.entries->Element(0)->isVisible());
    }

    void hotkeysOffShowTheBarePrefix()
    {
        auto window = LoadWindow("GoToNameA=Films\nGoToPathA=/f\nUseMenuHotkeys=0\n");
        QCOMPARE(VisibleTexts(window->Menus().goToMenu.popup).first(), QString("Films\tShift+"));
    }

    void buildListMenuRules()
    {
        QCOMPARE(ListMenuCaption("A", "Alt+", kDigitFirstCode, 9, true), std::string("A\tAlt+9"));
        QCOMPARE(ListMenuCaption("A", "Alt+", kDigitFirstCode, 10, true), std::string("A\tAlt+:"));
        QCOMPARE(ListMenuCaption("A", "Shift+", kLetterFirstCode, 2, true), std::string("A\tShift+B"));
        QCOMPARE(ListMenuCaption("A", "", 0, 1, false), std::string("A"));
        QMenu menu;
        MenuArray array(&menu, nullptr, "goToEntries");
        array.Build({"a", "b", "c"}, "Shift+", kLetterFirstCode, true);
        QCOMPARE(array.Count(), 3);
        array.Build({"x"}, "Shift+", kLetterFirstCode, true);
        QCOMPARE(array.Count(), 1);
        QCOMPARE(VisibleTexts(&menu), QStringList({"x\tShift+A"}));
        QCOMPARE(array.Element(1)->objectName(), QString("goToEntries_1"));
        array.Build({}, "Shift+", kLetterFirstCode, true);
        QVERIFY(VisibleTexts(&menu).isEmpty());
    }

    void openWithMenuIsHiddenWhenEmptyAndShownOtherwise()
    {
        auto empty = LoadWindow("");
        QVERIFY(!empty->Menus().openWithMenu->menuAction()->isVisible());
        QVERIFY(!empty->Menus().openWithSeparator->isVisible());
        auto some = LoadWindow("ShellName1=Editor\tF3\nShellPath1=/usr/bin/true\nShellHotkey1=3\n");
        QVERIFY(some->Menus().openWithMenu->menuAction()->isVisible());
        QCOMPARE(VisibleTexts(some->Menus().openWithMenu), QStringList({"Editor\tF3"}));
    }

    void fixedMenusHaveTheSpecCaptions()
    {
        auto window = LoadWindow("");
        const MainMenus& m = window->Menus();
        QCOMPARE(VisibleTexts(m.fileMenu),
                 QStringList({"MoveTo", "CopyTo", "Rename", "Delete", "Properties"}));
        QCOMPARE(VisibleTexts(m.folderMenu),
                 QStringList({"Explorer from here", "&Copy Path", "&Copy Folder Name", "New Folder"}));
        QCOMPARE(VisibleTexts(m.videoMenu),
                 QStringList({"Fullscreen", "Zoom", "AspectRatio", "Streams", "-", "Play", "Pause", "Stop"}));
        QCOMPARE(VisibleTexts(m.aspectMenu), QStringList({"1:1 (as is)", "4:3", "16:9", "Default"}));
        QCOMPARE(m.zoomActions[5]->text(), QString("100%"));
        QCOMPARE(m.zoomActions[10]->text(), QString("Overscan"));
    }

    void streamMenusHaveSixteenAudioAndEightVideoEntries()
    {
        auto window = LoadWindow("");
        const MainMenus& m = window->Menus();
        QCOMPARE(m.audioStreamActions[1]->text(), QString("Audio 1"));
        QCOMPARE(m.audioStreamActions[16]->text(), QString("Audio 16"));
        QCOMPARE(m.videoStreamActions[8]->text(), QString("Video 8"));
        QVERIFY(!m.audioStreamActions[2]->isVisible());
        QVERIFY(!m.streamsMenu->isEnabled());
        QCOMPARE(VisibleTexts(m.streamsMenu), QStringList({"Audio 1", "-", "Video 1"}));
    }

    void mediaInterfaceLabelNamesMciWhileDirectShowIsNotBuilt()
    {
        auto window = LoadWindow("UseMCI=0\n");
        QCOMPARE(window->findChild<QLabel*>("mediaInterfaceLabel")->text(), QString("MCI"));
        QCOMPARE(window->CurrentSettings().UseMCI, 1);
    }
};

QTEST_MAIN(TestMainWindowControls)
#include "tst_part_1_2_window.moc"
