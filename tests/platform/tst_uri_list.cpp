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
        for (const QByteArray& name : {QByteArray("a'b.mp3"), QByteArray("new\nline\r\n.mp3"), QByteArray("-rf.mp3"), QByteArray("$(touch X).mp3"),
                                       QByteArray("*.mp3"), QByteArray("\xff\xfe.mp3"), QByteArray("%41#?.mp3"), QByteArray("sp ace+%20.mp3"),
                                       QByteArray("b\xc3\xa4r.mp3"), QByteArray(251, 'n') + ".mp3"})
            QTest::newRow(name.toPercentEncoding().left(40)) << name;
    }
    void hostileNamesRoundTrip()
    {
        QFETCH(QByteArray, name);
        const std::vector<std::string> files{"/m/" + name.toStdString(), "/m/neighbour"};
        const std::string list = shell::EncodeUriList(files);
        QVERIFY(std::count(list.begin(), list.end(), '\n') == 2 && std::all_of(list.begin(), list.end(), [](char c) { return c == '\r' || c == '\n' || (c > ' ' && c < 127); }));
        QCOMPARE(shell::DecodeUriList(list), files);
        QCOMPARE(shell::DecodeCopiedFiles(shell::EncodeCopiedFiles({false, files})).value_or(shell::CopiedFiles{}).files, files);
        if (QUtf8StringView(name).isValidUtf8())  // as other programs decode it
            QCOMPARE(QUrl(QString::fromStdString(shell::FileUri(files[0]))).toLocalFile().toStdString(), files[0]);
    }

    // What other programs send, read as a URI list or (`copied`) a copied-files offer; the
    // result is "copy " or "cut " and the names joined by "|", or "none".
    void foreignForms_data()
    {
        QTest::addColumn<bool>("copied");
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QByteArray>("names");
        QTest::newRow("LF, localhost, escapes") << false << QByteArray("file://localhost/a%c3%a4\nFILE:///b%2fc\n") << QByteArray("/a\xc3\xa4|/b/c");
        QTest::newRow("comments, blank lines") << false << QByteArray("# from a browser\r\n\r\nfile:///x\r\n#file:///y\r\n") << QByteArray("/x");
        QTest::newRow("other schemes and hosts") << false << QByteArray("http://h/a\r\nfile://server/b\r\nsmb://s/c\r\nfile:///d") << QByteArray("/d");
        QTest::newRow("query, fragment, bad escapes, NUL") << false << QByteArray("file:///a?b\r\nfile:///c#d\r\nfile:///e%4\r\nfile:///f%zz\r\nfile:///g%00h\r\nfile:///i%25") << QByteArray("/i%");
        QTest::newRow("relative") << false << QByteArray("file:a\r\nfile://\r\n/plain/path") << QByteArray();
        QTest::newRow("copy") << true << QByteArray("copy\nfile:///p%20q\nfile:///r") << QByteArray("copy /p q|/r");
        QTest::newRow("cut, trailing LF and NUL") << true << QByteArray("cut\nfile:///s\n", 15) << QByteArray("cut /s");
        QTest::newRow("no verb") << true << QByteArray("file:///t\nfile:///u") << QByteArray("none");
        QTest::newRow("verb only") << true << QByteArray("copy") << QByteArray("copy ");
    }
    void foreignForms()
    {
        QFETCH(bool, copied);
        QFETCH(QByteArray, text);
        const auto joined = [](const std::vector<std::string>& files) {
            QByteArrayList list;
            for (const std::string& file : files)
                list << QByteArray::fromStdString(file);
            return list.join('|');
        };
        const std::optional<shell::CopiedFiles> offer = shell::DecodeCopiedFiles(text.toStdString());
        const QByteArray read = !copied ? joined(shell::DecodeUriList(text.toStdString()))
                                : offer ? (offer->cut ? "cut " : "copy ") + joined(offer->files) : "none";
        QTEST(read, "names");
    }
};

QTEST_GUILESS_MAIN(TestUriList)
#include "tst_uri_list.moc"
