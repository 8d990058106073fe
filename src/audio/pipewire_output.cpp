#include <spa/param/audio/format-utils.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "audio_output.h"
#include "sound_libraries.h"

namespace tarvo {
namespace {

constexpr uint32_t kFrameBytes = 2 * sizeof(float);
// A stream with a period this short is filled on PipeWire's real-time thread,
// in the very cycle that asks for it: the card sound. A longer one (the
// music) is filled on our loop's thread, a buffer ahead.
constexpr int kRealTimeFrames = 1024;

// The server's own protocol, as SDL 2.26's PipeWire driver speaks it, except
// that a short stream is filled where the server asks, not a buffer ahead on a
// thread of normal priority: a rustle comes a period or two sooner.
class PipeWireOutput final : public AudioOutput {
  public:
    explicit PipeWireOutput(const PipeWireLibrary& pw) : pw_(pw) {}
    ~PipeWireOutput() override { stop(); }

    bool start(const char* driver) override {
        stop();
        if (driver != nullptr) return false;  // the server's own protocol is no driver to choose
        loop_ = pw_.pw_thread_loop_new("tarvo-pipewire", nullptr);
        if (loop_ == nullptr) return false;
        // The client configuration that gives the data thread real-time priority.
        context_ = pw_.pw_context_new(
            pw_.pw_thread_loop_get_loop(loop_),
            pw_.pw_properties_new(PW_KEY_CONFIG_NAME, "client-rt.conf", nullptr), 0);
        if (context_ == nullptr || pw_.pw_thread_loop_start(loop_) != 0) {
            stop();
            return false;
        }
        serverLost_ = false;
        {
            Locked locked(*this);
            // Fails at once where no PipeWire server listens.
            core_ = pw_.pw_context_connect(context_, nullptr, 0);
            if (core_ != nullptr) {
                coreListener_ = {};
                pw_core_add_listener(core_, &coreListener_, &kCoreEvents, this);
            }
        }
        if (core_ == nullptr) stop();
        return core_ != nullptr;
    }

    void stop() override {
        if (loop_ != nullptr) {
            {
                Locked locked(*this);
                for (Slot& slot : slots_)
                    destroy(slot);
                if (core_ != nullptr) {
                    spa_hook_remove(&coreListener_);
                    pw_.pw_core_disconnect(core_);
                    core_ = nullptr;
                }
            }
            pw_.pw_thread_loop_stop(loop_);
        }
        if (context_ != nullptr) pw_.pw_context_destroy(context_);
        context_ = nullptr;
        if (loop_ != nullptr) pw_.pw_thread_loop_destroy(loop_);
        loop_ = nullptr;
    }

    uint32_t open(int rate, int frames, Pull pull, void* user, int& granted) override {
        if (core_ == nullptr || serverLost_) return 0;
        Locked locked(*this);
        Slot* slot = nullptr;
        for (Slot& parked : slots_)
            if (parked.parked && parked.rate == rate && parked.frames == frames) slot = &parked;
        if (slot != nullptr) {
            // Linked to the sink already: it plays in the next cycle.
            slot->parked = false;
            granted = frames;
            pw_.pw_stream_set_active(slot->stream, true);
            return id(*slot);
        }
        for (Slot& free : slots_)
            if (free.stream == nullptr || free.parked) slot = &free;
        if (slot == nullptr) return 0;
        destroy(*slot);
        if (!connect(*slot, rate, frames, pull, user)) {
            destroy(*slot);
            return 0;
        }
        granted = frames;
        return id(*slot);
    }

    // The card sound's stream is set aside, not destroyed: a new stream waits
    // some 30 ms for the session manager to link it, an idle one costs
    // nothing. The music's is destroyed: it has whole periods queued in the
    // server, which only that drops, and a pause or a new tune must not wait
    // for them.
    void close(uint32_t stream) override {
        if (stream == 0 || stream > slots_.size() || loop_ == nullptr) return;
        Locked locked(*this);
        Slot& slot = slots_[stream - 1];
        if (slot.stream == nullptr) return;
        if (slot.lost || slot.frames > kRealTimeFrames) {
            destroy(slot);
            return;
        }
        pw_.pw_stream_flush(slot.stream, false);
        pw_.pw_stream_set_active(slot.stream, false);
        slot.parked = true;
    }

    bool lost(uint32_t stream) const override {
        if (serverLost_) return true;
        return stream != 0 && stream <= slots_.size() && slots_[stream - 1].lost;
    }

    std::string driver() const override { return core_ != nullptr ? "pipewire" : ""; }

  private:
    struct Slot {
        PipeWireOutput* out = nullptr;
        pw_stream* stream = nullptr;
        bool parked = false;  // inactive, kept for the next open alike
        int rate = 0;
        int frames = 0;
        spa_hook listener{};
        Pull pull = nullptr;
        void* user = nullptr;
        std::atomic<bool> lost{false};
    };

    // The loop's lock: PipeWire's objects are touched only under it.
    struct Locked {
        explicit Locked(PipeWireOutput& out) : out_(out) {
            out_.pw_.pw_thread_loop_lock(out_.loop_);
        }
        ~Locked() { out_.pw_.pw_thread_loop_unlock(out_.loop_); }
        Locked(const Locked&) = delete;
        Locked& operator=(const Locked&) = delete;
        PipeWireOutput& out_;
    };

    uint32_t id(const Slot& slot) const { return static_cast<uint32_t>(&slot - slots_.data()) + 1; }

    bool connect(Slot& slot, int rate, int frames, Pull pull, void* user) {
        char latency[32];
        std::snprintf(latency, sizeof latency, "%d/%d", frames, rate);
        slot.stream = pw_.pw_stream_new(
            core_, "Tarvo",
            pw_.pw_properties_new(PW_KEY_MEDIA_TYPE, "Audio", PW_KEY_MEDIA_CATEGORY, "Playback",
                                  PW_KEY_MEDIA_ROLE, "Game", PW_KEY_NODE_LATENCY, latency,
                                  nullptr));
        if (slot.stream == nullptr) return false;
        slot.out = this;
        slot.rate = rate;
        slot.frames = frames;
        slot.pull = pull;
        slot.user = user;
        slot.lost = false;
        slot.listener = {};
        pw_.pw_stream_add_listener(slot.stream, &slot.listener, &kStreamEvents, &slot);

        std::array<uint8_t, 1024> buffer{};
        spa_pod_builder builder{};
        spa_pod_builder_init(&builder, buffer.data(), buffer.size());
        spa_audio_info_raw info{};
        info.format = SPA_AUDIO_FORMAT_F32;
        info.rate = static_cast<uint32_t>(rate);
        info.channels = 2;
        info.position[0] = SPA_AUDIO_CHANNEL_FL;
        info.position[1] = SPA_AUDIO_CHANNEL_FR;
        const spa_pod* format = spa_format_audio_raw_build(&builder, SPA_PARAM_EnumFormat, &info);
        auto flags =
            static_cast<pw_stream_flags>(PW_STREAM_FLAG_AUTOCONNECT | PW_STREAM_FLAG_MAP_BUFFERS);
        if (frames <= kRealTimeFrames)
            flags = static_cast<pw_stream_flags>(flags | PW_STREAM_FLAG_RT_PROCESS);
        return pw_.pw_stream_connect(slot.stream, PW_DIRECTION_OUTPUT, PW_ID_ANY, flags, &format,
                                     1) >= 0;
    }

    void destroy(Slot& slot) {
        // No call of process() for this stream once it returns.
        if (slot.stream != nullptr) pw_.pw_stream_destroy(slot.stream);
        slot.stream = nullptr;
        slot.parked = false;
    }

    static void process(void* data) {
        auto& slot = *static_cast<Slot*>(data);
        const PipeWireLibrary& pw = slot.out->pw_;
        pw_buffer* buffer = pw.pw_stream_dequeue_buffer(slot.stream);
        if (buffer == nullptr) return;
        spa_data& d = buffer->buffer->datas[0];
        uint32_t frames = d.data != nullptr ? d.maxsize / kFrameBytes : 0;
        if (slot.frames > kRealTimeFrames) {
            // A whole period a buffer: the loop wakes a few times a second.
            frames = std::min(frames, static_cast<uint32_t>(slot.frames));
        } else if (buffer->requested != 0 && buffer->requested < frames) {
            // As much as the cycle needs, no more: what is queued ahead is heard late.
            frames = static_cast<uint32_t>(buffer->requested);
        }
        if (frames > 0) slot.pull(slot.user, static_cast<uint8_t*>(d.data), frames * kFrameBytes);
        d.chunk->offset = 0;
        d.chunk->stride = kFrameBytes;
        d.chunk->size = frames * kFrameBytes;
        pw.pw_stream_queue_buffer(slot.stream, buffer);
    }

    static void stateChanged(void* data, pw_stream_state, pw_stream_state state, const char*) {
        if (state == PW_STREAM_STATE_ERROR) static_cast<Slot*>(data)->lost = true;
    }

    // A killed server breaks the connection: every stream is gone with it.
    static void coreError(void* data, uint32_t id, int, int res, const char*) {
        if (id == PW_ID_CORE && res == -EPIPE)
            static_cast<PipeWireOutput*>(data)->serverLost_ = true;
    }

    static constexpr pw_stream_events kStreamEvents = [] {
        pw_stream_events events{};
        events.version = PW_VERSION_STREAM_EVENTS;
        events.state_changed = stateChanged;
        events.process = process;
        return events;
    }();
    static constexpr pw_core_events kCoreEvents = [] {
        pw_core_events events{};
        events.version = PW_VERSION_CORE_EVENTS;
        events.error = coreError;
        return events;
    }();

    const PipeWireLibrary& pw_;
    pw_thread_loop* loop_ = nullptr;
    pw_context* context_ = nullptr;
    pw_core* core_ = nullptr;
    spa_hook coreListener_{};
    std::atomic<bool> serverLost_{false};
    // Fixed places, so that lost() may look from the streams' threads while
    // the sound thread opens and closes.
    std::array<Slot, 2> slots_;
};

}  // namespace

std::unique_ptr<AudioOutput> openPipeWireOutput() {
    const PipeWireLibrary* pw = PipeWire();
    if (pw == nullptr) return nullptr;
    return std::make_unique<PipeWireOutput>(*pw);
}

}  // namespace tarvo
