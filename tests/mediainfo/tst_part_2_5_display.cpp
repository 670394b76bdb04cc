// Part 2.5: the four fitting passes over the label column, with fixed text widths
// (one unit per byte), so each pass can be seen at work.
#include "mediainfo/FormatInfoDisplay.h"

#include <QtTest>

using namespace vistrel;

namespace {

int ByteWidth(const std::string& text)
{
    return static_cast<int>(text.size());
}

InfoLines Lines(std::initializer_list<std::string> texts)
{
    InfoLines lines;
    size_t i = 0;
    for (const auto& t : texts)
        lines[i++] = t;
    return lines;
}

}  // namespace

class TestFormatInfoDisplay : public QObject {
    Q_OBJECT

private slots:
    void linesThatFitStayAsTheyAre()
    {
        InfoLines lines = Lines({"MPEG-1 Audio Stream", "Layer-3  128kbps VBR ", "44100Hz  Joint Stereo"});
        const InfoLines before = lines;
        FitInfoLines(lines, ByteWidth, 40);
        QCOMPARE(lines, before);
    }

    void vbrLineLosesKbpsFirst()
    {
        // "Layer-3  128kbps VBR " is 21 wide; with 20 pass 1 alone makes it fit.
        InfoLines lines = Lines({"MPEG-1 Audio Stream", "Layer-3  128kbps VBR "});
        FitInfoLines(lines, ByteWidth, 20);
        QCOMPARE(lines[1], std::string("Layer-3  128kb VBR "));
    }

    void cbrLineKeepsKbpsAndLosesDoubleBlanksInPassFour()
    {
        // Too wide for pass 1 (no VBR), pass 2 (no Stereo), pass 3 shortens Layer-,
        // pass 4 folds the double blanks.
        InfoLines lines = Lines({"MPEG-1 Audio Stream", "Layer-3  128kbps CBR "});
        FitInfoLines(lines, ByteWidth, 16);
        QCOMPARE(lines[1], std::string("L-3 128kbps CBR "));
        InfoLines wider = Lines({"", "Layer-3  128kbps CBR "});
        FitInfoLines(wider, ByteWidth, 17);
        QCOMPARE(wider[1], std::string("L-3  128kbps CBR "));
    }

    void narrowColumnShortensDualChannelAndLayer()
    {
        InfoLines lines = Lines({"MPEG-1 System", "352x288  4:3  25fps", "Layer-2  224kbps  44100Hz  Dual Channel"});
        FitInfoLines(lines, ByteWidth, 30);
        QCOMPARE(lines[2], std::string("L-2 224kbps 44100Hz Dual Ch."));
        QCOMPARE(lines[1], std::string("352x288  4:3  25fps"));
    }

    void stereoBecomesSt()
    {
        InfoLines lines = Lines({"", "", "44100Hz  Joint Stereo"});
        FitInfoLines(lines, ByteWidth, 18);
        QCOMPARE(lines[2], std::string("44100Hz  Joint St."));
    }

    void releaseBecomesRel()
    {
        InfoLines lines = Lines({"", "codec release 2"});
        FitInfoLines(lines, ByteWidth, 12);
        QCOMPARE(lines[1], std::string("codec rel 2"));
    }

    void labelZeroAndLineSevenAreNeverShortened()
    {
        InfoLines lines = Lines({"Layer-2  Stereo  VBR kbps", "", "", "", "", "", "", "Layer-2  Stereo"});
        FitInfoLines(lines, ByteWidth, 3);
        QCOMPARE(lines[0], std::string("Layer-2  Stereo  VBR kbps"));
        QCOMPARE(lines[7], std::string("Layer-2  Stereo"));
    }

    void eachPassMeasuresTheShortenedText()
    {
        // After pass 2 the line fits: pass 3 and 4 leave it alone.
        InfoLines lines = Lines({"", "Layer-1  Stereo"});
        FitInfoLines(lines, ByteWidth, 12);
        QCOMPARE(lines[1], std::string("Layer-1  St."));
    }

    void passFourFoldsPairsOnce()
    {
        QCOMPARE(ReplaceAll("a    b", "  ", " "), std::string("a  b"));
        QCOMPARE(ReplaceAll("a   b", "  ", " "), std::string("a  b"));
        QCOMPARE(ReplaceAll("kbps kbps", "kbps", "kb"), std::string("kb kb"));
        QCOMPARE(ReplaceAll("abc", "", "x"), std::string("abc"));
    }

    void everyShownLabelIsFitted()
    {
        InfoLines lines;
        for (size_t i = 0; i < lines.size(); ++i)
            lines[i] = "x  y";
        FitInfoLines(lines, ByteWidth, 3);
        QCOMPARE(lines[0], std::string("x  y"));
        for (size_t i = 1; i <= 6; ++i)
            QCOMPARE(lines[i], std::string("x y"));
        QCOMPARE(lines[7], std::string("x  y"));
    }
};

QTEST_APPLESS_MAIN(TestFormatInfoDisplay)
#include "tst_part_2_5_display.moc"
