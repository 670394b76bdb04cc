// The desktop's file manager: its calls through a fake on the test session bus
// (./test.sh starts the bus), and our own dialog and the URL handler without it.
#include "platform/desktop/FileManager.h"
#include "support/FakeBusService.h"
#include "support/TestSupport.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDialog>
#include <QLabel>
#include <QtTest>

#include <memory>
#include <sys/stat.h>

using namespace vistrel;
using Rows = std::vector<std::pair<std::string, std::string>>;

class TestFileManager : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;
    const QByteArray d_ = dir_.path().toUtf8();
    // A name that a URL must encode: blank, "%", "#", a line break.
    const std::string file_ = dir_.filePath("a b%#\n.mp3").toStdString();
    QList<QByteArray> openedUrls_;

public slots:
    void OpenUrl(const QUrl& url) { openedUrls_ << url.toEncoded(); }

private slots:
    void initTestCase()
    {
        test::WriteFile(file_, std::string(1234, 'x'));
        chmod(file_.c_str(), 0640);
        QDesktopServices::setUrlHandler("file", this, "OpenUrl");
    }

    void folderMenuTexts_data()
    {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("name");
        QTest::newRow("with slash") << "/a/b c/" << "/a/b c" << "b c";
        QTest::newRow("without") << "/a" << "/a" << "a";
        QTest::newRow("root") << "/" << "/" << "";
    }

    void folderMenuTexts()
    {
        QFETCH(QString, folder);
        QFETCH(QString, path);
        QFETCH(QString, name);
        QCOMPARE(FolderPathText(folder.toStdString()), path.toStdString());
        QCOMPARE(FolderNameText(folder.toStdString()), name.toStdString());
    }

    void propertiesRows_data()
    {
        QTest::addColumn<QByteArray>("name");
        QTest::addColumn<QStringList>("rows");  // without "Modified:" and "Owner:"
        QTest::newRow("a file") << QByteArray("a b%#\n.mp3")
            << QStringList{"Name:", "a b%#\n.mp3", "Folder:", d_, "Size:", "1 KB (1,234 bytes)",
                           "Permissions:", "-rw-r----- (0640)"};
        QTest::newRow("gone") << QByteArray("gone.mp3")
            << QStringList{"Name:", "gone.mp3", "Folder:", d_, "Error:", "No such file or directory"};
    }

    void propertiesRows()
    {
        QFETCH(QByteArray, name);
        QStringList shown;
        for (const auto& [label, value] : PropertiesRows(d_.toStdString() + "/" + name.toStdString(),
                                                         [](int64_t bytes) { return std::to_string(bytes / 1000) + " KB"; })) {
            if (label != "Modified:" && label != "Owner:")
                shown << QString::fromStdString(label) << QString::fromStdString(value);
        }
        QFETCH(QStringList, rows);
        QCOMPARE(shown, rows);
    }

    void showsThroughTheFileManagerElseItself_data()
    {
        QTest::addColumn<bool>("served");
        QTest::addColumn<bool>("folder");  // else the file's properties
        QTest::addColumn<QStringList>("calls");
        QTest::addColumn<QList<QByteArray>>("opened");
        QTest::addColumn<QString>("dialogText");
        const QString uri = "file://" + d_;
        QTest::newRow("properties") << true << false << QStringList{"ShowItemProperties " + uri + "/a%20b%25%23%0A.mp3 "}
                                    << QList<QByteArray>{} << "";
        QTest::newRow("folder") << true << true << QStringList{"ShowFolders " + uri + " "} << QList<QByteArray>{} << "";
        QTest::newRow("our properties") << false << false << QStringList{} << QList<QByteArray>{}
                                        << "-rw-r----- (0640)";
        QTest::newRow("folder by URL") << false << true << QStringList{} << QList<QByteArray>{uri.toUtf8()} << "";
    }

    void showsThroughTheFileManagerElseItself()
    {
        QFETCH(bool, served);
        QFETCH(bool, folder);
        const auto fake = served ? std::make_unique<test::FakeBusService>(test::BusService::FileManager) : nullptr;
        QVERIFY2(!fake || fake->Registered(), "needs the test session bus: use ./test.sh");
        openedUrls_.clear();
        FileManager files(nullptr);
        if (folder)
            files.ShowFolder(d_.toStdString() + "/");
        else
            files.ShowItemProperties(file_);
        QTRY_VERIFY(!files.RequestPending());
        QFETCH(QStringList, calls);
        QTRY_COMPARE(fake ? fake->Calls() : QStringList(), calls);
        QFETCH(QList<QByteArray>, opened);
        QCOMPARE(openedUrls_, opened);
        QFETCH(QString, dialogText);
        QDialog* dialog = nullptr;
        for (QWidget* widget : QApplication::topLevelWidgets())
            dialog = widget->objectName() == "propertiesDialog" ? qobject_cast<QDialog*>(widget) : dialog;
        QCOMPARE(dialog != nullptr, !dialogText.isEmpty());
        if (dialog) {
            QStringList texts;
            for (const QLabel* label : dialog->findChildren<QLabel*>())
                texts << label->text();
            QVERIFY2(texts.contains(dialogText), qPrintable(texts.join('|')));
            delete dialog;
        }
    }
};

QTEST_MAIN(TestFileManager)
#include "tst_file_manager.moc"
