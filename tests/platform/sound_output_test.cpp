#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "platform/sound/mix.h"
#include "platform/sound/recording_sink.h"
#include "platform/sound/sound.h"
#include "tests/support/temp_dir.h"

namespace snd = platform::sound;

namespace {

// A mono 16-bit RIFF WAVE of the given samples at 8000 Hz.
std::string WaveBytes(const std::vector<std::int16_t>& samples) {
    auto le = [](std::string& s, std::uint32_t v, int n) {
        for (int i = 0; i < n; ++i) s.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
    };
    const auto data = static_cast<std::uint32_t>(samples.size() * 2);
    std::string s = "RIFF";
    le(s, 36 + data, 4);
    s += "WAVEfmt ";
    le(s, 16, 4);
    le(s, 1, 2);  // PCM
    le(s, 1, 2);  // mono
    le(s, 8000, 4);
    le(s, 16000, 4);
    le(s, 2, 2);
    le(s, 16, 2);
    s += "data";
    le(s, data, 4);
    for (auto v : samples) le(s, static_cast<std::uint16_t>(v), 2);
    return s;
}

// Each device test gets a fresh output with the SDL driver it names.
class DeviceOutput : public testing::Test {
protected:
    DeviceOutput() {
        if (const char* old = std::getenv("SDL_AUDIODRIVER")) oldDriver_ = old;
    }
    ~DeviceOutput() override {
        if (oldDriver_) setenv("SDL_AUDIODRIVER", oldDriver_->c_str(), 1);
        else unsetenv("SDL_AUDIODRIVER");
    }
    std::unique_ptr<snd::Output> Make(const char* driver) {
        setenv("SDL_AUDIODRIVER", driver, 1);
        return snd::MakeDeviceOutput();
    }
    TempDir dir_;
    std::optional<std::string> oldDriver_;
};

}  // namespace

TEST_F(DeviceOutput, WithoutAnAudioDeviceEverythingIsSilentAndNothingFails) {
    auto out = Make("kestrune-no-such-driver");
    EXPECT_EQ(out->MidiOutDeviceCount(), 0);
    EXPECT_FALSE(out->OpenMidiOut());
    out->ShortMessage(0x7F3C90);
    out->ResetMidiOut();
    out->CloseMidiOut();
    EXPECT_EQ(out->OpenMidiFile("missing.mid"), snd::kMediaFileNotFound);
    TempDir::Write("notmidi.mid", "plain text");
    EXPECT_EQ(out->OpenMidiFile("notmidi.mid"), snd::kMediaBadFile);
    EXPECT_NE(out->PlayMidiFile(nullptr), snd::kMediaOk);
    out->CloseMidiFile();
    TempDir::Write("tone.wav", WaveBytes(std::vector<std::int16_t>(80, 1000)));
    EXPECT_TRUE(out->PlayWave("tone.wav", snd::WaveMode::kSync));  // returns at once: nothing to wait for
    EXPECT_TRUE(out->PlayWave("tone.wav", snd::WaveMode::kLoop));
    EXPECT_FALSE(out->PlayWave("missing.wav", snd::WaveMode::kAsync));
    out->StopWave();
    out->DeliverNotices();
}

TEST_F(DeviceOutput, OnTheDummyDriverWavesPlayLoopAndStop) {
    auto out = Make("dummy");
    TempDir::Write("tone.wav", WaveBytes(std::vector<std::int16_t>(80, 1000)));  // 10 ms
    TempDir::Write("broken.wav", "RIFF....WAVEjunk");
    EXPECT_TRUE(out->PlayWave("tone.wav", snd::WaveMode::kSync));
    EXPECT_TRUE(out->PlayWave("tone.wav", snd::WaveMode::kLoop));
    out->StopWave();
    EXPECT_TRUE(out->PlayWave("tone.wav", snd::WaveMode::kAsync));
    EXPECT_FALSE(out->PlayWave("broken.wav", snd::WaveMode::kAsync));
    EXPECT_FALSE(out->PlayWave("missing.wav", snd::WaveMode::kLoop));
    out->StopWave();
}

TEST_F(DeviceOutput, OnTheDummyDriverAMidiFileOpensPlaysAndCloses) {
    if (snd::FindSoundFont().empty()) GTEST_SKIP() << "no General MIDI sound font under /usr/share/sounds/sf2";
    auto out = Make("dummy");
    ASSERT_EQ(out->MidiOutDeviceCount(), 1);
    EXPECT_TRUE(out->OpenMidiOut());
    // One track: note on, a quarter note later note off, end of track.
    const char track[] = "\x00\x90\x3C\x64\x60\x80\x3C\x40\x00\xFF\x2F\x00";
    std::string file("MThd\0\0\0\x06\0\0\0\x01\0\x60MTrk\0\0\0\x0C", 22);
    file.append(track, sizeof track - 1);
    TempDir::Write("theme.mid", file);
    ASSERT_EQ(out->OpenMidiFile("theme.mid"), snd::kMediaOk);
    EXPECT_EQ(out->MidiFilePort(), snd::SequencerPort::kMapper);
    EXPECT_EQ(out->PlayMidiFile([] {}), snd::kMediaOk);
    out->DeliverNotices();
    out->CloseMidiFile();
    EXPECT_EQ(out->PlayMidiFile(nullptr), snd::kMediaNoDevice);  // closed: nothing to play
}

TEST(Synthesizer, ANoteRendersSoundWhereThereWasSilence) {
    const std::string font = snd::FindSoundFont();
    if (font.empty()) GTEST_SKIP() << "no General MIDI sound font under /usr/share/sounds/sf2";
    auto synth = snd::Synthesizer::Create(font, 22050);
    ASSERT_TRUE(synth);
    std::vector<std::int16_t> buffer(2 * 4410);
    auto loudest = [&] {
        int peak = 0;
        for (auto s : buffer) peak = std::max(peak, std::abs(static_cast<int>(s)));
        return peak;
    };
    synth->Render(buffer.data(), 4410);
    EXPECT_LE(loudest(), 2);  // tolerance: the 16-bit output is dithered
    synth->ShortMessage(0x0000C0);            // program 0 on channel 0
    synth->ShortMessage(0x7F07B0);            // volume 127
    synth->ShortMessage(0x7F3C90);            // note 60 on, velocity 127
    synth->Render(buffer.data(), 4410);
    EXPECT_GT(loudest(), 100);
}

TEST(Synthesizer, AMissingSoundFontGivesNone) {
    EXPECT_FALSE(snd::Synthesizer::Create("/nonexistent/font.sf2", 22050));
    EXPECT_FALSE(snd::Synthesizer::Create("", 22050));
}

TEST(RecordingSink, RecordsEveryCallInOrderAndAnswersAsScripted) {
    snd::RecordingSink sink;
    sink.openFileError = snd::kMediaOk;
    sink.playFileError = snd::kMediaPlayFailed;
    sink.waveExists = false;
    EXPECT_TRUE(sink.OpenMidiOut());
    sink.ShortMessage(0x123456);
    EXPECT_EQ(sink.OpenMidiFile("a.mid"), snd::kMediaOk);
    EXPECT_EQ(sink.PlayMidiFile([] {}), snd::kMediaPlayFailed);
    EXPECT_FALSE(sink.fileDone);
    EXPECT_FALSE(sink.PlayWave("s.wav", snd::WaveMode::kLoop));
    sink.StopWave();
    sink.ResetMidiOut();
    sink.CloseMidiOut();
    using C = snd::SoundCall;
    const std::vector<C> expected = {
        C(C::kOpenMidiOut), C(C::kShortMessage, 0x123456), C(C::kOpenMidiFile, 0, "a.mid"), C(C::kPlayMidiFile),
        C(C::kPlayWave, 0, "s.wav", snd::WaveMode::kLoop), C(C::kStopWave), C(C::kResetMidiOut), C(C::kCloseMidiOut),
    };
    EXPECT_EQ(sink.calls, expected);
    EXPECT_EQ(sink.Messages(), std::vector<std::uint32_t>{0x123456});
}

TEST(MixWave, AddsWithSaturationStopsAtTheEndOrLoops) {
    const std::vector<std::int16_t> wave = {1000, -1000, 32700};
    struct Case {
        const char* name;
        bool loops;
        std::size_t start;
        std::vector<std::int16_t> expected;
        std::size_t end;
    };
    const Case cases[] = {
        {"once", false, 0, {1100, -900, 32767, 100, 100}, 3},
        {"looping", true, 0, {1100, -900, 32767, 1100, -900}, 2},
        {"already played", false, 3, {100, 100, 100, 100, 100}, 3},
        {"loop from the end", true, 3, {1100, -900, 32767, 1100, -900}, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<std::int16_t> out(5, 100);
        std::size_t pos = c.start;
        snd::MixWave(out.data(), 5, wave, pos, c.loops);
        EXPECT_EQ(out, c.expected);
        EXPECT_EQ(pos, c.end);
    }
    std::vector<std::int16_t> out = {-32000};
    std::size_t pos = 0;
    snd::MixWave(out.data(), 1, {-1000}, pos, false);
    EXPECT_EQ(out[0], -32768);
    snd::MixWave(out.data(), 1, {}, pos, true);  // an empty wave adds nothing, even looping
    EXPECT_EQ(out[0], -32768);
}
