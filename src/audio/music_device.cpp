#include "music_device.h"

#include "regular_file.h"
#include "sound_libraries.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <set>
#include <utility>

namespace tarvo {
namespace {

// FluidSynth's default gain of 0.2 leaves a small ensemble at around -20 dBFS;
// this brings our tunes near -6 dBFS at their loudest.
constexpr double kSynthGain = 0.75;
constexpr int kChunkFrames = 512;
// After the last voice has gone, the reverb still rings for a while; past
// that the synth renders silence and we spare the work.
constexpr double kReverbTailSeconds = 3.0;
// FluidSynth renders in blocks of this many frames.
constexpr int64_t kSynthBlockFrames = 64;
constexpr int kSustainPedal = 64;
constexpr int kSostenutoPedal = 66;
constexpr int kResetControllers = 121;
// Events sent to the synth: one per this many rendered frames on average
// (2,756 a second), and at most kBurstEvents at once. A tune of ours sends a
// few hundred a second, and a hundred or so at its top; a damaged one with a
// million events at one moment loses the rest of them instead of holding
// the sound for seconds, and a flood that loops costs a few per cent of a core.
constexpr int64_t kFramesPerEvent = 16;
constexpr int64_t kBurstEvents = 1024;
// A settings resend (a seek, a loop) sends one value per channel and kind.
constexpr size_t kSettingKinds = 16 * (128 + 4);
constexpr int kDrumChannel = 9;
constexpr int kDrumBank = 128;
// The tunes play on the sixteen MIDI channels; as many more hold the
// instruments they use, never sounding.
constexpr int kTuneChannels = 16;
constexpr int kHoldingChannels = 16;

void ignoreLog(int, const char*, void*) {}

void silenceFluidLog(const FluidLibrary& fluid) {
    for (int level = FLUID_PANIC; level < LAST_LOG_LEVEL; ++level) {
        fluid.fluid_set_log_function(level, ignoreLog, nullptr);
    }
}

void ignoreGlibLog(const gchar*, GLogLevelFlags, const gchar*, gpointer) {}

// FluidSynth hands a file its own loader rejects to libinstpatch, which
// complains about a damaged soundfont through GLib straight to stderr.
// Returns the soundfont's id, or FLUID_FAILED.
int loadSoundfontQuietly(const FluidLibrary& fluid, fluid_synth_t* synth, const std::string& path) {
    const GlibLibrary* glib = Glib();
    const GLogFunc previous =
        glib != nullptr ? glib->g_log_set_default_handler(ignoreGlibLog, nullptr) : nullptr;
    const int id = fluid.fluid_synth_sfload(synth, path.c_str(), 1);
    if (glib != nullptr) glib->g_log_set_default_handler(previous, nullptr);
    return id;
}

// Bank and program of every instrument the tunes choose, and those a reset
// of a channel chooses.
std::set<std::pair<int, int>> instrumentsOf(const std::vector<std::string>& tunes) {
    std::set<std::pair<int, int>> instruments{{0, 0}, {kDrumBank, 0}};
    for (const std::string& path : tunes) {
        const std::optional<MidiTune> tune = readMidiFile(path);
        if (!tune) continue;
        for (const MidiEvent& e : tune->events) {
            if ((e.status & 0xF0) != 0xC0) continue;
            instruments.insert({(e.status & 0x0F) == kDrumChannel ? kDrumBank : 0, e.data1});
        }
    }
    return instruments;
}

bool isNoteMessage(uint8_t status) {
    const uint8_t kind = status & 0xF0;
    return kind == 0x80 || kind == 0x90 || kind == 0xA0;
}

}  // namespace

MusicDevice::MusicDevice(int sampleRate, std::mutex& lock, Poster post, std::string soundfont)
    : SoundDevice(sampleRate, lock, std::move(post)),
      soundfont_(std::move(soundfont)),
      synthState_(soundfont_.empty() ? SynthState::kNone : SynthState::kLoading),
      scratch_(2 * kChunkFrames) {}

MusicDevice::~MusicDevice() {
    if (synth_ != nullptr) fluid_->delete_fluid_synth(synth_);
    if (settings_ != nullptr) fluid_->delete_fluid_settings(settings_);
}

void MusicDevice::loadSynth() {
    if (soundfont_.empty()) return;
    const FluidLibrary* fluid = Fluid();
    // FluidSynth would wait for ever on a FIFO, and read a device to no end.
    if (fluid == nullptr || !isRegularFile(soundfont_)) {
        std::lock_guard guard(audioLock());
        synthState_ = SynthState::kNone;
        return;
    }
    // Used only where synth_ is set, which the lock below publishes.
    fluid_ = fluid;
    silenceFluidLog(*fluid_);
    fluid_settings_t* settings = fluid_->new_fluid_settings();
    fluid_synth_t* synth = nullptr;
    if (settings != nullptr) {
        fluid_->fluid_settings_setnum(settings, "synth.sample-rate", sampleRate());
        fluid_->fluid_settings_setnum(settings, "synth.gain", kSynthGain);
        fluid_->fluid_settings_setint(settings, "synth.chorus.active", 0);
        fluid_->fluid_settings_setint(settings, "synth.reverb.active", 1);
        // Our own lock serialises every call into the synth.
        fluid_->fluid_settings_setint(settings, "synth.threadsafe-api", 0);
        // Only the samples of the instruments our tunes choose are read, not the
        // whole soundfont: a few hundred kilobytes instead of six megabytes.
        fluid_->fluid_settings_setint(settings, "synth.dynamic-sample-loading", 1);
        // Our tunes sound a few dozen notes at once; 256 voices would only hold memory.
        fluid_->fluid_settings_setint(settings, "synth.polyphony", 64);
        fluid_->fluid_settings_setint(settings, "synth.midi-channels",
                                      kTuneChannels + kHoldingChannels);
        synth = fluid_->new_fluid_synth(settings);
    }
    const int soundfont =
        synth != nullptr ? loadSoundfontQuietly(*fluid_, synth, soundfont_) : FLUID_FAILED;
    if (soundfont == FLUID_FAILED && synth != nullptr) {
        fluid_->delete_fluid_synth(synth);
        synth = nullptr;
    }
    if (synth != nullptr) {
        holdInstruments(synth, soundfont);
        // A small room, a touch of ambience for the plucked strings.
        fluid_->fluid_synth_set_reverb_group_roomsize(synth, -1, 0.4);
        fluid_->fluid_synth_set_reverb_group_level(synth, -1, 0.5);
        fluid_->fluid_synth_set_reverb_group_width(synth, -1, 0.8);
        fluid_->fluid_synth_set_reverb_group_damp(synth, -1, 0.4);
    } else if (settings != nullptr) {
        fluid_->delete_fluid_settings(settings);
        settings = nullptr;
    }
    std::lock_guard guard(audioLock());
    synth_ = synth;
    settings_ = settings;
    synthState_ = synth_ != nullptr ? SynthState::kLoaded : SynthState::kNone;
    // A tune opened meanwhile goes on with its instruments as set so far.
    if (sounding()) resendSettings();
}

void MusicDevice::preload(std::vector<std::string> tunes) {
    std::lock_guard guard(audioLock());
    preloaded_ = std::move(tunes);
}

void MusicDevice::holdInstruments(fluid_synth_t* synth, int soundfont) {
    std::vector<std::string> tunes;
    {
        std::lock_guard guard(audioLock());
        tunes = preloaded_;
    }
    // With dynamic sample loading an instrument's samples are read when a
    // channel first chooses it, and let go when none holds it any more. Held
    // here, they are read now, not inside the render at a tune's first note.
    int channel = kTuneChannels;
    for (const auto& [bank, program] : instrumentsOf(tunes)) {
        if (channel == kTuneChannels + kHoldingChannels) break;
        fluid_->fluid_synth_program_select(synth, channel++, soundfont, bank, program);
    }
}

void MusicDevice::resetTuneChannels() {
    // Not a reset of the whole synth: that would let the held instruments go.
    for (int channel = 0; channel < kTuneChannels; ++channel) {
        fluid_->fluid_synth_all_sounds_off(synth_, channel);
        fluid_->fluid_synth_cc(synth_, channel, kResetControllers, 0);
        fluid_->fluid_synth_program_change(synth_, channel, 0);
    }
}

void MusicDevice::setAudible(bool audible) {
    if (audible == audible_) return;
    if (synth_ != nullptr && !audible) fluid_->fluid_synth_all_sounds_off(synth_, -1);
    audible_ = audible;
    if (sounding()) resendSettings();
}

std::optional<int64_t> MusicDevice::load(const std::string& path) {
    if (synthState_ == SynthState::kNone) return std::nullopt;
    std::optional<MidiTune> tune = readMidiFile(path);
    if (!tune) return std::nullopt;
    const double rate = sampleRate();
    // Positions are 32-bit milliseconds; a longer tune is no tune of ours.
    if (!(tune->lengthSeconds * 1000.0 <= std::numeric_limits<int32_t>::max())) {
        return std::nullopt;
    }
    events_.clear();
    events_.reserve(tune->events.size());
    for (const MidiEvent& e : tune->events) {
        events_.push_back({std::llround(e.seconds * rate), e});
    }
    next_ = 0;
    if (synth_ != nullptr) resetTuneChannels();
    // The synth starts notes only at the start of its blocks. On the blocks'
    // grid every repeat of the tune meets them where the first play did, so
    // the top comes exactly as late after the end as it did after the play.
    const int64_t frames = std::llround(tune->lengthSeconds * rate);
    if (frames <= 0) return 0;
    return std::max<int64_t>(1, (frames + kSynthBlockFrames / 2) / kSynthBlockFrames) *
           kSynthBlockFrames;
}

void MusicDevice::unload() {
    if (synth_ != nullptr) fluid_->fluid_synth_all_sounds_off(synth_, -1);
    events_.clear();
    next_ = 0;
}

void MusicDevice::seek(int64_t frame) {
    next_ = static_cast<size_t>(
        std::lower_bound(events_.begin(), events_.end(), frame,
                         [](const TimedEvent& e, int64_t f) { return e.frame < f; }) -
        events_.begin());
    // Instruments, controllers and bends set before the new place still hold there.
    if (sounding()) resendSettings();
}

void MusicDevice::resendSettings() {
    // Only the last of each setting counts: a tune of a million program
    // changes resends sixteen.
    std::vector<const MidiEvent*> last(kSettingKinds, nullptr);
    std::vector<size_t> order;
    for (size_t i = 0; i < next_; ++i) {
        const MidiEvent& e = events_[i].event;
        if (isNoteMessage(e.status)) continue;
        const size_t channel = e.status & 0x0F;
        const uint8_t kind = e.status & 0xF0;
        const size_t slot = channel * (128 + 4) + (kind == 0xB0   ? e.data1 & 0x7F
                                                   : kind == 0xC0 ? 128
                                                   : kind == 0xD0 ? 129
                                                                  : 130);
        if (last[slot] == nullptr) order.push_back(slot);
        last[slot] = &e;
    }
    for (size_t slot : order)
        send(*last[slot]);
}

void MusicDevice::halt() {
    if (synth_ == nullptr) return;
    // A held pedal would keep the notes sounding through the pause.
    for (int channel = 0; channel < 16; ++channel) {
        fluid_->fluid_synth_cc(synth_, channel, kSustainPedal, 0);
        fluid_->fluid_synth_cc(synth_, channel, kSostenutoPedal, 0);
    }
    fluid_->fluid_synth_all_notes_off(synth_, -1);
}

void MusicDevice::restartAtTop() {
    // What the end itself asks (the last notes let go) is done before the top,
    // or all notes let go at once where that would be a flood.
    if (sounding() && events_.size() - next_ > kSettingKinds) {
        halt();
    } else {
        for (; next_ < events_.size(); ++next_) {
            const MidiEvent& e = events_[next_].event;
            const bool noteOn = (e.status & 0xF0) == 0x90 && e.data2 != 0;
            if (sounding() && !noteOn) send(e);
        }
    }
    next_ = 0;
}

void MusicDevice::send(const MidiEvent& e) {
    const int channel = e.status & 0x0F;
    switch (e.status & 0xF0) {
        case 0x80:
            fluid_->fluid_synth_noteoff(synth_, channel, e.data1);
            break;
        case 0x90:
            if (e.data2 == 0) {
                fluid_->fluid_synth_noteoff(synth_, channel, e.data1);
            } else {
                fluid_->fluid_synth_noteon(synth_, channel, e.data1, e.data2);
            }
            break;
        case 0xA0:
            fluid_->fluid_synth_key_pressure(synth_, channel, e.data1, e.data2);
            break;
        case 0xB0:
            fluid_->fluid_synth_cc(synth_, channel, e.data1, e.data2);
            break;
        case 0xC0:
            fluid_->fluid_synth_program_change(synth_, channel, e.data1);
            break;
        case 0xD0:
            fluid_->fluid_synth_channel_pressure(synth_, channel, e.data1);
            break;
        case 0xE0:
            fluid_->fluid_synth_pitch_bend(synth_, channel, e.data1 | (e.data2 << 7));
            break;
        default:
            break;
    }
}

void MusicDevice::renderFrames(float* mix, int frames, int64_t frame, bool playing) {
    if (!sounding()) {
        // No sound, but the tune keeps its time and its place in the file.
        while (playing && next_ < events_.size() && events_[next_].frame < frame + frames)
            ++next_;
        return;
    }
    if (!playing) {
        if (quietFrames_ > kReverbTailSeconds * sampleRate()) return;
        synthesize(mix, frames);
        quietFrames_ =
            fluid_->fluid_synth_get_active_voice_count(synth_) == 0 ? quietFrames_ + frames : 0;
        return;
    }
    quietFrames_ = 0;
    // The budget carries over from call to call: the top of a tune, reached
    // in the few frames left at its end, gets the events saved up before.
    eventCredit_ = std::min(eventCredit_ + frames, kBurstEvents * kFramesPerEvent);
    int64_t budget = eventCredit_ / kFramesPerEvent;
    eventCredit_ -= budget * kFramesPerEvent;
    int done = 0;
    while (done < frames) {
        const int64_t now = frame + done;
        for (; budget > 0 && next_ < events_.size() && events_[next_].frame <= now; ++next_) {
            send(events_[next_].event);
            --budget;
        }
        if (budget == 0) {
            // Past the budget the rest of this moment's events are dropped.
            next_ = static_cast<size_t>(
                std::upper_bound(events_.begin() + static_cast<std::ptrdiff_t>(next_),
                                 events_.end(), now,
                                 [](int64_t f, const TimedEvent& e) { return f < e.frame; }) -
                events_.begin());
        }
        int64_t until = frame + frames;
        if (next_ < events_.size()) until = std::min(until, events_[next_].frame);
        const int n = static_cast<int>(until - now);
        synthesize(mix + 2 * done, n);
        done += n;
    }
    eventCredit_ += budget * kFramesPerEvent;
}

void MusicDevice::synthesize(float* mix, int frames) {
    for (int done = 0; done < frames;) {
        const int n = std::min(frames - done, kChunkFrames);
        fluid_->fluid_synth_write_float(synth_, n, scratch_.data(), 0, 2, scratch_.data(), 1, 2);
        float* out = mix + 2 * done;
        for (int i = 0; i < 2 * n; ++i)
            out[i] += scratch_[i];
        done += n;
    }
}

}  // namespace tarvo
