// The volume knobs' rules without widgets: which knob the wheel and the mouse move, how
// far, what value each position gives, and that a dragged knob stays under the pointer.
// A track 64 pixels long: knob tops from 10 (largest value) to 74 (0), knobs 10 high;
// the knob columns 10..33, 50..73, 90..113, 130..153.
#include "controls/VolumeKnobs.h"

#include <QtTest>

#include <vector>

using namespace vistrel;

namespace {

constexpr uint32_t kMixerMax = 65536;

}  // namespace

// What the knobs applied, in order: x the knob, y the value.
using Applied = QList<QPoint>;

class TestVolumeKnobs : public QObject {
    Q_OBJECT

    std::array<uint32_t, 3> mixer_{};
    Applied applied_;
    VolumeKnobs knobs_;

    // Every knob at half its range; mixer there or not.
    void Reset(bool mixerEnabled)
    {
        mixer_.fill(kMixerMax / 2);
        applied_.clear();
        knobs_ = VolumeKnobs();
        knobs_.Hooks.MixerMax = [] { return kMixerMax; };
        knobs_.Hooks.MixerVolume = [this](int knob) { return mixer_[size_t(knob)]; };
        knobs_.Hooks.SetMixerVolume = [this](int knob, uint32_t v) {
            mixer_[size_t(knob)] = v;
            applied_.push_back(QPoint(knob, int(v)));
        };
        knobs_.Hooks.SetLocalVolume = [this](int32_t v) { applied_.push_back(QPoint(kLocalKnob, v)); };
        knobs_.SetMixerEnabled(mixerEnabled);
        knobs_.SetLocal(500);
        knobs_.SetLayout({10, 74, 10, {{{10, 34}, {50, 74}, {90, 114}, {130, 154}}}});
    }

private slots:
    // The knob whose column holds the pointer's x turns; anywhere else "Local" does. A
    // notch is 1/12 inch; small turns add up; the track's ends stop the knob.
    void wheelTurnsTheKnobUnderThePointerElseLocal_data()
    {
        QTest::addColumn<std::vector<int>>("deltas");
        QTest::addColumn<int>("x");
        QTest::addColumn<int>("dpi");
        QTest::addColumn<bool>("mixer");
        QTest::addColumn<Applied>("expected");
        QTest::newRow("over Master") << std::vector{120} << 20 << 96 << true << Applied{{0, 40960}};
        QTest::newRow("over MIDI, down") << std::vector{-120} << 113 << 96 << true << Applied{{2, 24576}};
        QTest::newRow("between Master and Wave") << std::vector{120} << 40 << 96 << true << Applied{{3, 625}};
        QTest::newRow("left of the knobs") << std::vector{120} << -5 << 96 << true << Applied{{3, 625}};
        QTest::newRow("right of the knobs") << std::vector{-120} << 154 << 96 << true << Applied{{3, 375}};
        QTest::newRow("144 dpi: 12 pixels") << std::vector{120} << 140 << 144 << true << Applied{{3, 688}};
        QTest::newRow("fine wheel adds up") << std::vector{10, 10} << 60 << 96 << true << Applied{{1, 33792}};
        QTest::newRow("to the top and no further")
            << std::vector{600, 120} << 0 << 96 << true << Applied{{3, 1000}};
        QTest::newRow("over Wave without a mixer") << std::vector{120} << 60 << 96 << false << Applied{};
        QTest::newRow("Local without a mixer") << std::vector{120} << 200 << 96 << false << Applied{{3, 625}};
    }
    void wheelTurnsTheKnobUnderThePointerElseLocal()
    {
        QFETCH(std::vector<int>, deltas);
        QFETCH(int, x);
        QFETCH(int, dpi);
        QFETCH(bool, mixer);
        QFETCH(Applied, expected);
        Reset(mixer);
        for (const int delta : deltas)
            knobs_.Wheel(delta, x, dpi);
        QCOMPARE(applied_, expected);
    }

    // A press on a knob grabs it where it was hit; a press beside it in its column centres
    // it on the pointer; both drag on from there to the track's ends (Local 1000 and 0). A
    // press outside the track or on a mixer knob without a mixer does nothing.
    void pressAndDragMoveTheKnob_data()
    {
        QTest::addColumn<QPoint>("press");
        QTest::addColumn<std::vector<int>>("moves");
        QTest::addColumn<bool>("mixer");
        QTest::addColumn<Applied>("expected");
        // Knobs at half: tops 42, knobs cover y 42..51.
        QTest::newRow("Local dragged to the top") << QPoint(140, 45) << std::vector{20, -100} << true
                                                  << Applied{{3, 891}, {3, 1000}};
        QTest::newRow("Local dragged to the bottom") << QPoint(140, 45) << std::vector{500} << true
                                                     << Applied{{3, 0}};
        QTest::newRow("press on a knob does not move it") << QPoint(60, 50) << std::vector<int>{} << true
                                                          << Applied{};
        QTest::newRow("press above Wave centres it, drag goes on") << QPoint(60, 20) << std::vector{25} << true
                                                                   << Applied{{1, 60416}, {1, 55296}};
        QTest::newRow("press below the track") << QPoint(60, 84) << std::vector{20} << true << Applied{};
        QTest::newRow("press between the columns") << QPoint(40, 20) << std::vector{20} << true << Applied{};
        QTest::newRow("Master without a mixer") << QPoint(20, 20) << std::vector{20} << false << Applied{};
    }
    void pressAndDragMoveTheKnob()
    {
        QFETCH(QPoint, press);
        QFETCH(std::vector<int>, moves);
        QFETCH(bool, mixer);
        QFETCH(Applied, expected);
        Reset(mixer);
        knobs_.Press(press.x(), press.y());
        for (const int y : moves)
            knobs_.Move(y);
        knobs_.Release();
        QCOMPARE(applied_, expected);
    }

    // The mixer's reports (ours echoed late, or another program's) move every knob but the
    // one the pointer holds; after the release that one follows too.
    void draggedKnobStaysUnderThePointer()
    {
        Reset(true);
        knobs_.Press(20, 45);
        knobs_.Move(13);  // Master's top at 10: the largest value
        mixer_ = {kMixerMax / 4, kMixerMax / 4, kMixerMax / 4};
        knobs_.SetVolumeSliderPos();
        QCOMPARE(knobs_.KnobTop(kMasterKnob), 10);
        QCOMPARE(knobs_.KnobTop(kWaveKnob), 58);
        knobs_.Release();
        knobs_.SetVolumeSliderPos();
        QCOMPARE(knobs_.KnobTop(kMasterKnob), 58);
    }
};

QTEST_APPLESS_MAIN(TestVolumeKnobs)
#include "tst_volume_knobs.moc"
