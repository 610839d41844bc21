#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <vector>

#include "app/sound.h"
#include "app/startup.h"
#include "tests/app/app_fixture.h"
#include "core/config.h"
#include "platform/sound/recording_sink.h"
#include "tests/support/temp_dir.h"

namespace snd = platform::sound;
using Call = snd::SoundCall;

namespace {

std::uint32_t Msg(std::uint32_t status, int channel, int d1, int d2) {
    return status + static_cast<std::uint32_t>(channel) + (static_cast<std::uint32_t>(d1) << 8) +
           (static_cast<std::uint32_t>(d2) << 16);
}
std::uint32_t ProgramChange(int ch, int program) { return Msg(0xC0, ch, program, 0); }
std::uint32_t Volume(int ch, int v) { return Msg(0xB0, ch, 7, v); }
std::uint32_t NoteOn(int ch, int note, int vel) { return Msg(0x90, ch, note, vel); }
std::uint32_t NoteOff(int ch, int note, int vel) { return Msg(0x80, ch, note, vel); }

// The configuration's defaults: instrument 9, notes 100 and 20, volume 2, click 77.
SoundSettings Defaults() {
    SoundSettings s;
    s.instrument = 9;
    s.clickNote = 77;
    s.magnitude0Note = 100;
    s.noteStepPerMagnitude = (100 - 20) / 10.0;
    s.volume = 2.0;
    const int eruptions[8] = {0, 60, 50, 43, 41, 38, 49, 49};
    for (int i = 0; i < 8; ++i) s.eruptionNotes[i] = eruptions[i];
    return s;
}

class Sound : public testing::Test {
protected:
    Sound() {
        auto sink = std::make_unique<snd::RecordingSink>();
        sink_ = sink.get();
        snd::SetOutput(std::move(sink));
        ResetSoundState();
        TakeSoundSettings(Defaults());
    }
    ~Sound() override {
        ResetSoundState();
        snd::SetOutput(nullptr);
        TakeSoundSettings(SoundSettings{});
    }
    // Opens the output and forgets what opening sent.
    void Open() {
        ASSERT_EQ(OpenMidiOut(), 0);
        sink_->calls.clear();
    }
    std::vector<std::uint32_t> Messages() const { return sink_->Messages(); }

    TempDir dir_;
    snd::RecordingSink* sink_;
};

}  // namespace

TEST_F(Sound, OpeningSetsTheInstrumentsOfTheThreeVoicesOnce) {
    EXPECT_EQ(OpenMidiOut(), 0);
    EXPECT_NE(gMidiOut, nullptr);
    const std::vector<std::uint32_t> programs = {ProgramChange(0, 9), ProgramChange(9, 0), ProgramChange(1, 18)};
    EXPECT_EQ(Messages(), programs);
    EXPECT_EQ(OpenMidiOut(), 0);  // already open: nothing more
    EXPECT_EQ(Messages(), programs);
}

TEST_F(Sound, BaseLevelChannelsAreChosenAtTheFirstOpeningAndKeptForTheRun) {
    SoundSettings base = Defaults();
    base.baseLevelMidi = true;
    TakeSoundSettings(base);
    EXPECT_EQ(OpenMidiOut(), 0);
    EXPECT_EQ(Messages(), (std::vector<std::uint32_t>{ProgramChange(12, 9), ProgramChange(15, 0), ProgramChange(13, 18)}));
    CloseMidiOut();
    sink_->calls.clear();
    TakeSoundSettings(Defaults());
    EXPECT_EQ(OpenMidiOut(), 0);
    EXPECT_EQ(Messages()[0], ProgramChange(12, 9));
}

TEST_F(Sound, WithoutADeviceOrWhenOpeningFailsNothingIsSent) {
    struct Case {
        int devices;
        bool opens;
        int result;
    };
    for (const Case c : {Case{0, true, 1}, Case{-1, true, 1}, Case{1, false, 2}}) {
        SCOPED_TRACE(c.result);
        sink_->deviceCount = c.devices;
        sink_->openSucceeds = c.opens;
        EXPECT_EQ(OpenMidiOut(), c.result);
        EXPECT_EQ(gMidiOut, nullptr);
        PlayEarthquakeTone(5);
        PlayEruptionTone(3);
        AllNotesOff();
        CloseMidiOut();
        EXPECT_TRUE(Messages().empty());
    }
}

TEST_F(Sound, EarthquakeToneVolumeAndNoteFollowTheMagnitude) {
    struct Case {
        double magnitude;
        int volume;
        int note;
    };
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const Case cases[] = {
        {5.0, 50, 60},   {8.0, 127, 36},  {0.0, 0, 100},   {4.99, 49, 60}, {12.5, 127, 0},
        {13.0, 127, 0},  {-1.0, 2, 108},  {-2.0, 8, 116},  {-4.0, 32, 127}, {1e300, 127, 0}, {nan, 0, 100},
    };
    Open();
    int last = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.magnitude);
        sink_->calls.clear();
        PlayEarthquakeTone(c.magnitude);
        EXPECT_EQ(Messages(), (std::vector<std::uint32_t>{Volume(0, c.volume), NoteOff(0, last, 127), NoteOn(0, c.note, 127)}));
        last = c.note;
    }
}

TEST_F(Sound, ANegativeVolumeFactorGivesVolumeOne) {
    SoundSettings s = Defaults();
    s.volume = -3;
    TakeSoundSettings(s);
    Open();
    PlayEarthquakeTone(5);
    EXPECT_EQ(Messages()[0], Volume(0, 1));
}

TEST_F(Sound, EruptionToneIsTheNoteOfItsSizeClampedToOneToSeven) {
    struct Case {
        double size;
        int note;
    };
    const Case cases[] = {{0, 60}, {1, 60}, {2.9, 50}, {3, 43}, {4, 41}, {5, 38}, {6, 49}, {7, 49}, {9, 49}, {-5, 60}};
    Open();
    int last = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.size);
        sink_->calls.clear();
        PlayEruptionTone(c.size);
        EXPECT_EQ(Messages(), (std::vector<std::uint32_t>{Volume(9, 127), NoteOff(9, last, 127), NoteOn(9, c.note, 127)}));
        last = c.note;
    }
}

TEST_F(Sound, TheNextNoteOnAVoiceSwitchesTheLastOneOffWithTheNewVelocity) {
    Open();
    PlayNote(0, 60, 100);
    PlayNote(0, 62, 80);
    PlayNote(2, 40, 90);
    EXPECT_EQ(Messages(), (std::vector<std::uint32_t>{NoteOff(0, 0, 100), NoteOn(0, 60, 100), NoteOff(0, 60, 80),
                                                      NoteOn(0, 62, 80), NoteOff(1, 0, 90), NoteOn(1, 40, 90)}));
}

TEST_F(Sound, AllNotesOffSwitchesOffTheLastNoteOfEachVoice) {
    AllNotesOff();
    EXPECT_TRUE(sink_->calls.empty());  // not open
    Open();
    PlayEarthquakeTone(5);
    PlayEruptionTone(2);
    sink_->calls.clear();
    AllNotesOff();
    EXPECT_EQ(Messages(), (std::vector<std::uint32_t>{NoteOff(0, 60, 64), NoteOff(9, 50, 64), NoteOff(1, 0, 64)}));
}

TEST_F(Sound, ClosingSwitchesOffResetsAndClosesAndAClickOpensAgain) {
    Open();
    PlayEarthquakeTone(8);
    sink_->calls.clear();
    CloseMidiOut();
    EXPECT_EQ(gMidiOut, nullptr);
    const std::vector<Call> closing = {Call(Call::kShortMessage, NoteOff(0, 36, 64)),
                                       Call(Call::kShortMessage, NoteOff(9, 0, 64)),
                                       Call(Call::kShortMessage, NoteOff(1, 0, 64)), Call(Call::kResetMidiOut),
                                       Call(Call::kCloseMidiOut)};
    EXPECT_EQ(sink_->calls, closing);
    sink_->calls.clear();
    CloseMidiOut();
    PlayEarthquakeTone(5);
    EXPECT_TRUE(sink_->calls.empty());

    PlayClick();
    EXPECT_NE(gMidiOut, nullptr);
    EXPECT_EQ(Messages(), (std::vector<std::uint32_t>{ProgramChange(0, 9), ProgramChange(9, 0), ProgramChange(1, 18),
                                                      Volume(9, 90), ProgramChange(9, 0), NoteOff(9, 0, 127),
                                                      NoteOn(9, 77, 127)}));
}

TEST_F(Sound, TheSirenLoopsFromTheDataFolderAndStops) {
    TempDir::Write("siren.voc", "RIFF");
    PlaySiren();
    StopWaveSound();
    sink_->waveExists = false;
    PlaySiren();  // a missing file plays nothing and says nothing
    const std::vector<Call> expected = {Call(Call::kPlayWave, 0, "siren.voc", snd::WaveMode::kLoop),
                                        Call(Call::kStopWave),
                                        Call(Call::kPlayWave, 0, "siren.voc", snd::WaveMode::kLoop)};
    ASSERT_EQ(sink_->calls.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(sink_->calls[i].kind, expected[i].kind);
        EXPECT_EQ(sink_->calls[i].mode, expected[i].mode);
    }
    EXPECT_NE(sink_->calls[0].path.find("siren.voc"), std::string::npos);
}

TEST_F(Sound, TheThemePlaysThroughTheMapperAndClosesOnce) {
    TempDir::Write("QUORVEL.MID", "MThd");
    EXPECT_EQ(PlayMidiFile(nullptr, "quorvel.mid"), 0);
    ASSERT_EQ(sink_->calls.size(), 2u);
    EXPECT_EQ(sink_->calls[0].kind, Call::kOpenMidiFile);
    EXPECT_NE(sink_->calls[0].path.find("QUORVEL.MID"), std::string::npos);
    EXPECT_EQ(sink_->calls[1].kind, Call::kPlayMidiFile);
    ASSERT_TRUE(sink_->fileDone);
    sink_->fileDone();  // without a live owner the end of the file is noted by no one
    CloseMidiFile();
    CloseMidiFile();
    EXPECT_EQ(sink_->calls.back().kind, Call::kCloseMidiFile);
    EXPECT_EQ(sink_->calls.size(), 3u);
}

TEST_F(Sound, TheThemeFailuresReturnTheErrorAndLeaveNothingOpen) {
    struct Case {
        const char* name;
        int openError;
        snd::SequencerPort port;
        int playError;
        int result;
        std::vector<Call::Kind> calls;  // PlayMidiFile, then CloseMidiFile
    };
    const Case cases[] = {
        {"file does not open", snd::kMediaFileNotFound, snd::SequencerPort::kMapper, 0, snd::kMediaFileNotFound,
         {Call::kOpenMidiFile}},
        {"another port: open, silent", 0, snd::SequencerPort::kOther, 0, 0, {Call::kOpenMidiFile, Call::kCloseMidiFile}},
        {"port query fails", 0, snd::SequencerPort::kQueryFailed, 0, snd::kMediaNoDevice,
         {Call::kOpenMidiFile, Call::kCloseMidiFile}},
        {"play fails", 0, snd::SequencerPort::kMapper, snd::kMediaPlayFailed, snd::kMediaPlayFailed,
         {Call::kOpenMidiFile, Call::kPlayMidiFile, Call::kCloseMidiFile}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        sink_->calls.clear();
        sink_->openFileError = c.openError;
        sink_->port = c.port;
        sink_->playFileError = c.playError;
        EXPECT_EQ(PlayMidiFile(nullptr, "QUORVEL.MID"), c.result);
        CloseMidiFile();
        std::vector<Call::Kind> kinds;
        for (const auto& call : sink_->calls) kinds.push_back(call.kind);
        EXPECT_EQ(kinds, c.calls);
    }
}

TEST_F(Sound, TheSettingsComeFromTheConfigurationFile) {
    TempDir::Write("QUORVEL.INI", "MIDI INSTRUMENT: 5\nBASE LEVEL MIDI: YES\nCLICK MIDI: 70\n");
    (void)ReadStartupSettings();  // the program's reading, which hands them over
    PlayClick();
    const auto m = Messages();
    ASSERT_FALSE(m.empty());
    EXPECT_EQ(m.front(), ProgramChange(12, 5));
    EXPECT_EQ(m.back(), NoteOn(15, 70, 127));
    ResetConfigValues();
}

namespace {
class ThemeOwner : public apptest::AppTest {
protected:
    ThemeOwner() {
        auto sink = std::make_unique<snd::RecordingSink>();
        sink_ = sink.get();
        snd::SetOutput(std::move(sink));
        ResetSoundState();
    }
    ~ThemeOwner() override {
        ResetSoundState();
        snd::SetOutput(nullptr);
    }
    snd::RecordingSink* sink_;
};
}  // namespace

TEST_F(ThemeOwner, TheFrameHearsOfTheThemesEndOnlyWhileItLives) {
    namespace hl = platform::headless;
    gControls[kControlWelcomeScreen] = 1;
    TempDir::Write("QUORVEL.MID", "MThd");
    myFrame* frame = Start();
    ASSERT_NE(frame, nullptr);
    ASSERT_TRUE(sink_->fileDone);
    const std::size_t before = hl::PendingMessageCount();
    sink_->fileDone();
    ASSERT_EQ(hl::PendingMessageCount(), before + 1);
    bool heard = false;
    for (platform::ui::Message m; platform::ui::PeekMessage(m);) {
        heard = heard || (m.target == frame && m.kind == platform::ui::MessageKind::Custom && m.code == kMmMciNotify &&
                          m.wparam == kMciNotifySuccessful);
        platform::ui::DispatchMessage(m);
    }
    EXPECT_TRUE(heard);

    auto done = sink_->fileDone;
    app_.reset();
    gMainFrame = nullptr;
    const std::size_t after = hl::PendingMessageCount();
    done();  // the frame is gone: nothing is posted
    EXPECT_EQ(hl::PendingMessageCount(), after);
}
