#include <sys/time.h>

#include <algorithm>
#include <array>
#include <atomic>

#include "audio_output.h"
#include "sound_libraries.h"

namespace tarvo {
namespace {

constexpr size_t kFrameBytes = 2 * sizeof(float);
// A stream with a period this short is the card sound, queued no further
// ahead than its period; a longer one (the music) is written a period at a time.
constexpr int kShortFrames = 1024;
// How long a server may take to let us in or to set up a stream. One that
// has stopped answering is given up after that, as if none listened.
constexpr long kAnswerMicroseconds = 1'000'000;

// A PulseAudio server's own protocol: unlike SDL 2.26's driver, a stream
// closes without waiting for the server to ask for more, the music queues a
// whole period at a time on one thread, and a server that stops answering
// never holds the sound thread for longer than a second.
class PulseOutput final : public AudioOutput {
  public:
    explicit PulseOutput(const PulseLibrary& pa) : pa_(pa) {}
    ~PulseOutput() override { stop(); }

    bool start(const char* driver) override {
        stop();
        if (driver != nullptr) return false;  // the server's own protocol is no driver to choose
        loop_ = pa_.pa_threaded_mainloop_new();
        if (loop_ == nullptr) return false;
        context_ = pa_.pa_context_new(pa_.pa_threaded_mainloop_get_api(loop_), "Tarvo");
        serverLost_ = false;
        bool ready = false;
        if (context_ != nullptr) {
            pa_.pa_context_set_state_callback(context_, contextChanged, this);
            // Fails at once where no server listens; never starts one.
            if (pa_.pa_context_connect(context_, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) >= 0 &&
                pa_.pa_threaded_mainloop_start(loop_) >= 0) {
                Locked locked(*this);
                ready = waitFor([this] {
                            const pa_context_state_t state = pa_.pa_context_get_state(context_);
                            return state == PA_CONTEXT_READY || !PA_CONTEXT_IS_GOOD(state);
                        }) &&
                        pa_.pa_context_get_state(context_) == PA_CONTEXT_READY;
            }
        }
        if (!ready) stop();
        return ready;
    }

    void stop() override {
        if (loop_ == nullptr) return;
        {
            Locked locked(*this);
            for (Slot& slot : slots_)
                destroy(slot);
            if (context_ != nullptr) {
                pa_.pa_context_set_state_callback(context_, nullptr, nullptr);
                pa_.pa_context_disconnect(context_);
                pa_.pa_context_unref(context_);
                context_ = nullptr;
            }
        }
        pa_.pa_threaded_mainloop_stop(loop_);
        pa_.pa_threaded_mainloop_free(loop_);
        loop_ = nullptr;
    }

    uint32_t open(int rate, int frames, Pull pull, void* user, int& granted) override {
        if (context_ == nullptr || serverLost_) return 0;
        Locked locked(*this);
        auto free = std::find_if(slots_.begin(), slots_.end(),
                                 [](const Slot& slot) { return slot.stream == nullptr; });
        if (free == slots_.end()) return 0;
        Slot& slot = *free;
        if (!connect(slot, rate, frames, pull, user)) {
            destroy(slot);
            return 0;
        }
        granted = frames;
        return id(slot);
    }

    // What the stream has queued is dropped with it: a pause is heard at once.
    void close(uint32_t stream) override {
        if (stream == 0 || stream > slots_.size() || loop_ == nullptr) return;
        Locked locked(*this);
        destroy(slots_[stream - 1]);
    }

    bool lost(uint32_t stream) const override {
        if (serverLost_) return true;
        return stream != 0 && stream <= slots_.size() && slots_[stream - 1].lost;
    }

    std::string driver() const override { return context_ != nullptr ? "pulseaudio" : ""; }

  private:
    struct Slot {
        PulseOutput* out = nullptr;
        pa_stream* stream = nullptr;
        Pull pull = nullptr;
        void* user = nullptr;
        std::atomic<bool> lost{false};
    };

    // The loop's lock: PulseAudio's objects are touched only under it.
    struct Locked {
        explicit Locked(PulseOutput& out) : out_(out) {
            out_.pa_.pa_threaded_mainloop_lock(out_.loop_);
        }
        ~Locked() { out_.pa_.pa_threaded_mainloop_unlock(out_.loop_); }
        Locked(const Locked&) = delete;
        Locked& operator=(const Locked&) = delete;
        PulseOutput& out_;
    };

    uint32_t id(const Slot& slot) const { return static_cast<uint32_t>(&slot - slots_.data()) + 1; }

    // Under the lock: waits for `done`, or for the server's time to answer.
    template <class Done>
    bool waitFor(Done done) {
        timeval deadline{};
        gettimeofday(&deadline, nullptr);
        deadline.tv_usec += kAnswerMicroseconds;
        deadline.tv_sec += deadline.tv_usec / 1'000'000;
        deadline.tv_usec %= 1'000'000;
        pa_mainloop_api* api = pa_.pa_threaded_mainloop_get_api(loop_);
        timedOut_ = false;
        pa_time_event* timer = api->time_new(api, &deadline, timeUp, this);
        while (!done() && !timedOut_)
            pa_.pa_threaded_mainloop_wait(loop_);
        api->time_free(timer);
        return done();
    }

    bool connect(Slot& slot, int rate, int frames, Pull pull, void* user) {
        const pa_sample_spec format{PA_SAMPLE_FLOAT32NE, static_cast<uint32_t>(rate), 2};
        slot.stream = pa_.pa_stream_new(context_, "Tarvo", &format, nullptr);
        if (slot.stream == nullptr) return false;
        slot.out = this;
        slot.pull = pull;
        slot.user = user;
        slot.lost = false;
        pa_.pa_stream_set_state_callback(slot.stream, streamChanged, &slot);
        pa_.pa_stream_set_write_callback(slot.stream, write, &slot);

        const auto period = static_cast<uint32_t>(frames * kFrameBytes);
        pa_buffer_attr attr{};
        attr.maxlength = static_cast<uint32_t>(-1);
        attr.prebuf = static_cast<uint32_t>(-1);
        attr.fragsize = static_cast<uint32_t>(-1);
        if (frames <= kShortFrames) {
            // A rustle is mixed in at the next period: the server keeps
            // little more than that queued, and asks as often as it needs.
            attr.tlength = period;
            attr.minreq = static_cast<uint32_t>(-1);
        } else {
            // A period a request, and as much again at the sink: the server
            // and the game each wake a few times a second.
            attr.tlength = 3 * period;
            attr.minreq = period;
        }
        if (pa_.pa_stream_connect_playback(slot.stream, nullptr, &attr, PA_STREAM_ADJUST_LATENCY,
                                           nullptr, nullptr) < 0) {
            return false;
        }
        return waitFor([&] {
                   const pa_stream_state_t state = pa_.pa_stream_get_state(slot.stream);
                   return state == PA_STREAM_READY || !PA_STREAM_IS_GOOD(state);
               }) &&
               pa_.pa_stream_get_state(slot.stream) == PA_STREAM_READY;
    }

    void destroy(Slot& slot) {
        if (slot.stream == nullptr) return;
        // No call of write() for this stream once it returns.
        pa_.pa_stream_set_write_callback(slot.stream, nullptr, nullptr);
        pa_.pa_stream_set_state_callback(slot.stream, nullptr, nullptr);
        pa_.pa_stream_disconnect(slot.stream);
        pa_.pa_stream_unref(slot.stream);
        slot.stream = nullptr;
    }

    // On the loop's thread, under its lock: as much as the server asks for.
    static void write(pa_stream* stream, size_t bytes, void* data) {
        auto& slot = *static_cast<Slot*>(data);
        const PulseLibrary& pa = slot.out->pa_;
        bytes -= bytes % kFrameBytes;
        while (bytes > 0) {
            void* buffer = nullptr;
            size_t size = bytes;
            if (pa.pa_stream_begin_write(stream, &buffer, &size) < 0 || buffer == nullptr) return;
            size = std::min(size, bytes);
            size -= size % kFrameBytes;
            if (size == 0) {
                pa.pa_stream_cancel_write(stream);
                return;
            }
            slot.pull(slot.user, static_cast<uint8_t*>(buffer), static_cast<int>(size));
            if (pa.pa_stream_write(stream, buffer, size, nullptr, 0, PA_SEEK_RELATIVE) < 0) return;
            bytes -= size;
        }
    }

    static void streamChanged(pa_stream* stream, void* data) {
        auto& slot = *static_cast<Slot*>(data);
        const PulseLibrary& pa = slot.out->pa_;
        if (pa.pa_stream_get_state(stream) == PA_STREAM_FAILED) slot.lost = true;
        pa.pa_threaded_mainloop_signal(slot.out->loop_, 0);
    }

    // A killed server breaks the connection: every stream is gone with it.
    static void contextChanged(pa_context* context, void* data) {
        auto& out = *static_cast<PulseOutput*>(data);
        if (!PA_CONTEXT_IS_GOOD(out.pa_.pa_context_get_state(context))) out.serverLost_ = true;
        out.pa_.pa_threaded_mainloop_signal(out.loop_, 0);
    }

    static void timeUp(pa_mainloop_api*, pa_time_event*, const timeval*, void* data) {
        auto& out = *static_cast<PulseOutput*>(data);
        out.timedOut_ = true;
        out.pa_.pa_threaded_mainloop_signal(out.loop_, 0);
    }

    const PulseLibrary& pa_;
    pa_threaded_mainloop* loop_ = nullptr;
    pa_context* context_ = nullptr;
    std::atomic<bool> serverLost_{false};
    bool timedOut_ = false;  // under the loop's lock
    // Fixed places, so that lost() may look from the loop's thread while the
    // sound thread opens and closes.
    std::array<Slot, 2> slots_;
};

}  // namespace

std::unique_ptr<AudioOutput> openPulseOutput() {
    const PulseLibrary* pa = Pulse();
    if (pa == nullptr) return nullptr;
    return std::make_unique<PulseOutput>(*pa);
}

}  // namespace tarvo
