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

    void showsThroughTheFileManagerElseItself_data()
    {
        QTest::addColumn<bool>("served");
        QTest::addColumn<bool>("folder");  // else the file's properties
        QTest::addColumn<QStringList>("calls");
        QTest::addColumn<QList<QByteArray>>("opened");
        QTest::addColumn<QStringList>("dialogTexts");
        const QString uri = "file://" + d_;
        QTest::newRow("properties") << true << false << QStringList{"ShowItemProperties " + uri + "/a%20b%25%23%0A.mp3 "}
                                    << QList<QByteArray>{} << QStringList{};
        QTest::newRow("folder") << true << true << QStringList{"ShowFolders " + uri + " "} << QList<QByteArray>{} << QStringList{};
        QTest::newRow("our properties") << false << false << QStringList{} << QList<QByteArray>{}
                                        << QStringList{"a b%#\n.mp3", d_, "1,234 bytes", "-rw-r----- (0640)"};
        QTest::newRow("folder by URL") << false << true << QStringList{} << QList<QByteArray>{uri.toUtf8()} << QStringList{};
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
        QFETCH(QStringList, dialogTexts);
        QDialog* dialog = nullptr;
        for (QWidget* widget : QApplication::topLevelWidgets())
            dialog = widget->objectName() == "propertiesDialog" ? qobject_cast<QDialog*>(widget) : dialog;
        QCOMPARE(dialog != nullptr, !dialogTexts.isEmpty());
        QStringList shown;
        for (const QLabel* label : dialog ? dialog->findChildren<QLabel*>() : QList<QLabel*>())
            shown << label->text();
        for (const QString& text : dialogTexts)
            QVERIFY2(shown.contains(text), qPrintable(shown.join('|')));
        delete dialog;
    }
};

QTEST_MAIN(TestFileManager)
#include "tst_file_manager.moc"
