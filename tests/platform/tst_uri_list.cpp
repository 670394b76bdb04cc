// File names as URI lists: hostile names come back byte for byte (and as other programs
// decode them), and the forms other programs send are read as they mean them.
#include "platform/shell/UriList.h"
#include "support/TestSupport.h"

#include <QUrl>
#include <QtTest>

using namespace vistrel;

class TestUriList : public QObject {
    Q_OBJECT

private slots:
    void hostileNamesRoundTrip_data()
    {
        QTest::addColumn<QByteArray>("name");
        const QByteArray names[] = {"a'b.mp3", "new\nline.mp3", "cr\r\n.mp3", "-rf.mp3", "$(touch X).mp3", "*.mp3",
                                    "\xff\xfe.mp3", "%41#?.mp3", "sp ace+%20.mp3", "b\xc3\xa4r.mp3",
                                    QByteArray(251, 'n') + ".mp3"};
        for (const QByteArray& name : names)
            QTest::newRow(name.toPercentEncoding().left(40)) << name;
    }
    void hostileNamesRoundTrip()
    {
        QFETCH(QByteArray, name);
        const std::vector<std::string> files{"/m/" + name.toStdString(), "/m/neighbour"};
        const std::string list = shell::EncodeUriList(files);
        QCOMPARE(std::count(list.begin(), list.end(), '\n'), 2);
        QVERIFY(std::all_of(list.begin(), list.end(), [](char c) { return c == '\r' || c == '\n' || (c > ' ' && c < 127); }));
        QCOMPARE(shell::DecodeUriList(list), files);
        for (const bool cut : {false, true}) {
            const std::optional<shell::CopiedFiles> copied = shell::DecodeCopiedFiles(shell::EncodeCopiedFiles({cut, files}));
            QVERIFY(copied && copied->cut == cut && copied->files == files);
        }
        if (QUtf8StringView(name).isValidUtf8())  // what other programs decode
            QCOMPARE(QUrl(QString::fromStdString(shell::FileUri(files[0]))).toLocalFile().toStdString(), files[0]);
    }

    // Lists as other programs write them; "|" joins the names read.
    void foreignForms_data()
    {
        QTest::addColumn<QByteArray>("uriList");
        QTest::addColumn<QByteArray>("copiedFiles");
        QTest::addColumn<QByteArray>("names");
        QTest::newRow("LF, localhost, lower-case escapes") << QByteArray("file://localhost/a%c3%a4\nFILE:///b%2fc\n") << QByteArray()
                                                           << QByteArray("/a\xc3\xa4|/b/c");
        QTest::newRow("comments and blank lines") << QByteArray("# from a browser\r\n\r\nfile:///x\r\n#file:///y\r\n") << QByteArray()
                                                  << QByteArray("/x");
        QTest::newRow("other schemes and hosts") << QByteArray("http://h/a\r\nfile://server/b\r\nsmb://s/c\r\nfile:///d") << QByteArray()
                                                 << QByteArray("/d");
        QTest::newRow("query, fragment, bad escapes, NUL") << QByteArray("file:///a?b\r\nfile:///c#d\r\nfile:///e%4\r\nfile:///f%zz\r\nfile:///g%00h\r\nfile:///i%25")
                                                           << QByteArray() << QByteArray("/i%");
        QTest::newRow("relative") << QByteArray("file:a\r\nfile://\r\n/plain/path") << QByteArray() << QByteArray();
        QTest::newRow("copied") << QByteArray() << QByteArray("copy\nfile:///p%20q\nfile:///r") << QByteArray("copy /p q|/r");
        QTest::newRow("cut, trailing LF and NUL") << QByteArray() << QByteArray("cut\nfile:///s\n", 15) << QByteArray("cut /s");
        QTest::newRow("no verb") << QByteArray() << QByteArray("file:///t\nfile:///u") << QByteArray("none");
        QTest::newRow("verb only") << QByteArray() << QByteArray("copy") << QByteArray("copy ");
    }
    void foreignForms()
    {
        QFETCH(QByteArray, uriList);
        QFETCH(QByteArray, copiedFiles);
        QFETCH(QByteArray, names);
        const auto joined = [](const std::vector<std::string>& files) {
            QByteArrayList list;
            for (const std::string& file : files)
                list << QByteArray::fromStdString(file);
            return list.join('|');
        };
        if (copiedFiles.isEmpty()) {
            QCOMPARE(joined(shell::DecodeUriList(uriList.toStdString())), names);
            return;
        }
        const std::optional<shell::CopiedFiles> copied = shell::DecodeCopiedFiles(copiedFiles.toStdString());
        QCOMPARE(copied ? QByteArray(copied->cut ? "cut " : "copy ") + joined(copied->files) : QByteArray("none"), names);
    }
};

QTEST_GUILESS_MAIN(TestUriList)
#include "tst_uri_list.moc"
