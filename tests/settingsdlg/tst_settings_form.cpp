// The settings dialog's rules: what a box shows for a stored setting, and what OK makes of
// the box's text, as one table over every limit.
#include "settingsdlg/SettingsForm.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QtTest>

using namespace vistrel;
using namespace vistrel::settingsdlg;

class TestSettingsForm : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;
    // "$" stands for the temporary folder, which holds the folders "a" and "b" and the file "f".
    QString Expand(QString text) const { return text.replace("$", dir_.path()); }

    // The setting `field` of the values as text, and set from text.
    static std::string Stored(const SettingsValues& v, const QString& field)
    {
        if (field.startsWith("AutoZoomRes"))
            return std::to_string(v.autoZoomRes[size_t(field.back().digitValue())]);
        if (field == "OverlappedPlayTimeMS")
            return std::to_string(v.overlappedPlayTimeMS);
        return v.tempPaths[field == "TempPath" ? 0 : 1];
    }
    static void SetStored(SettingsValues& v, const QString& field, const QString& text)
    {
        if (field.startsWith("AutoZoomRes"))
            v.autoZoomRes[size_t(field.back().digitValue())] = text.toInt();
        else if (field == "OverlappedPlayTimeMS")
            v.overlappedPlayTimeMS = text.toInt();
        else
            v.tempPaths[field == "TempPath" ? 0 : 1] = text.toStdString();
    }
    static std::string& BoxText(SettingsForm& form, const QString& field)
    {
        if (field.startsWith("AutoZoomRes"))
            return form.zoomTexts[size_t(field.back().digitValue())];
        if (field == "OverlappedPlayTimeMS")
            return form.overlappedPlayTimeText;
        return form.tempPathTexts[field == "TempPath" ? 0 : 1];
    }

private slots:
    void initTestCase()
    {
        QVERIFY(QDir(dir_.path()).mkdir("a") && QDir(dir_.path()).mkdir("b"));
        test::WriteFile(dir_.filePath("f").toStdString(), "x");
    }

    // A null `typed` leaves the box as the dialog filled it. The settings start as
    // AutoZoomRes 32/384/480/800, play time 300 ms, TempPath "$/a/", TempPath2 "$/b/".
    void limits_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("expected");
        const QString untouched;
        QTest::newRow("zoom on a choice") << "AutoZoomRes3" << "800" << untouched << "800";
        QTest::newRow("zoom between choices") << "AutoZoomRes1" << "500" << untouched << "496";
        QTest::newRow("zoom between the two steps") << "AutoZoomRes2" << "1100" << untouched << "1024";
        QTest::newRow("zoom among the large steps") << "AutoZoomRes2" << "2000" << untouched << "1920";
        QTest::newRow("zoom above the largest") << "AutoZoomRes0" << "5000" << untouched << "3840";
        QTest::newRow("zoom below the smallest") << "AutoZoomRes0" << "10" << untouched << "10";
        QTest::newRow("zoom typed off the choices") << "AutoZoomRes0" << "32" << "2000" << "2000";
        QTest::newRow("zoom not a number") << "AutoZoomRes3" << "800" << "abc" << "0";
        QTest::newRow("play time kept") << "OverlappedPlayTimeMS" << "300" << untouched << "300";
        QTest::newRow("play time 50") << "OverlappedPlayTimeMS" << "300" << "50" << "100";
        QTest::newRow("play time 5000") << "OverlappedPlayTimeMS" << "300" << "5000" << "2000";
        QTest::newRow("play time abc") << "OverlappedPlayTimeMS" << "300" << "abc" << "100";
        QTest::newRow("play time huge") << "OverlappedPlayTimeMS" << "300" << "1e12 ms" << "2000";
        QTest::newRow("folder exists") << "TempPath" << "$/a/" << "$/b" << "$/b/";
        QTest::newRow("folder missing") << "TempPath" << "$/a/" << "$/missing" << "$/a/";
        QTest::newRow("folder empty") << "TempPath2" << "$/b/" << "" << "$/b/";
        QTest::newRow("folder is a file") << "TempPath" << "$/a/" << "$/f" << "$/a/";
        QTest::newRow("folder relative") << "TempPath" << "$/a/" << "." << "$/a/";
        QTest::newRow("second equals first") << "TempPath2" << "$/b/" << "$/a" << "";
    }
    void limits()
    {
        QFETCH(QString, field);
        QFETCH(QString, stored);
        QFETCH(QString, typed);
        QFETCH(QString, expected);
        SettingsValues values;
        values.autoZoomRes = {32, 384, 480, 800};
        values.overlappedPlayTimeMS = 300;
        values.tempPaths = {Expand("$/a/").toStdString(), Expand("$/b/").toStdString()};
        SetStored(values, field, Expand(stored));
        SettingsForm form = FormFromValues(values);
        if (!typed.isNull())
            BoxText(form, field) = Expand(typed).toStdString();
        QCOMPARE(QString::fromStdString(Stored(ValuesFromForm(form, values), field)), Expand(expected));
    }
};

QTEST_APPLESS_MAIN(TestSettingsForm)
#include "tst_settings_form.moc"
