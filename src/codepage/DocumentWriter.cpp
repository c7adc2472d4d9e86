#include "codepage/DocumentWriter.h"

#include "codepage/DocumentCodes.h"
#include "codepage/TextEncoder.h"

#include <algorithm>
#include <array>
#include <condition_variable>
#include <exception>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>

// Chunks are taken in order by whichever thread is free and encoded into one
// of a few slots; the calling thread hands the slots to the sink in chunk
// order, and encodes a chunk itself whenever the next one to hand over is not
// ready yet.  A chunk is taken only when its slot has been handed over, which
// bounds the memory to the slots.  Chunks end at cut points, so each is
// encoded on its own.

namespace quillo::codepage {
namespace {

constexpr std::size_t kSlots = 4;

struct Slot {
    std::unique_ptr<char[]> bytes;
    std::size_t room = 0;
    std::size_t size = 0;
    qsizetype substituted = 0;
    std::size_t chunk = 0;
    bool ready = false;
};

class Pipeline {
public:
    Pipeline(const TextEncoder& encoder, const char16_t* s, std::size_t n, std::size_t chunkUnits)
        : encoder_(encoder), s_(s), n_(n), chunkUnits_(chunkUnits) {}

    // Runs the pipeline; false when the sink refused bytes.
    bool run(const ByteSink& sink, qsizetype& substituted) {
        std::jthread helper;
        if (n_ > chunkUnits_) {
            try {
                helper = std::jthread([this] { helperLoop(); });
            } catch (const std::system_error&) {
                // No thread to be had: the calling thread encodes every chunk.
            }
        }
        // Stops and joins the helper however this ends, a throw included.
        struct Stopper {
            Pipeline& p;
            std::jthread& helper;
            ~Stopper() {
                {
                    const std::lock_guard lock(p.mutex_);
                    p.stop_ = true;
                }
                p.changed_.notify_all();
                if (helper.joinable()) {
                    helper.join();
                }
            }
        } stopper{*this, helper};

        std::unique_lock lock(mutex_);
        for (;;) {
            if (failure_) {
                std::rethrow_exception(failure_);
            }
            Slot& next = slots_[written_ % kSlots];
            if (next.ready && next.chunk == written_) {
                lock.unlock();
                const bool taken =
                    sink(QByteArrayView(next.bytes.get(), static_cast<qsizetype>(next.size)));
                lock.lock();
                next.ready = false;
                substituted += next.substituted;
                ++written_;
                changed_.notify_all();
                if (!taken) {
                    return false;
                }
                continue;
            }
            if (start_ == n_ && written_ == taken_) {
                return true;
            }
            if (!encodeNext(lock)) {
                changed_.wait(lock);
            }
        }
    }

private:
    struct Job {
        std::size_t chunk = 0;
        std::size_t begin = 0;
        std::size_t end = 0;
        qsizetype substituted = 0;
        std::size_t size = 0;
    };

    // Encodes the next chunk, when there is one and its slot is free; called
    // and returns with the lock held, which is let go while encoding.
    bool encodeNext(std::unique_lock<std::mutex>& lock) {
        Job job;
        if (!takeJob(job)) {
            return false;
        }
        lock.unlock();
        encodeJob(job);
        lock.lock();
        finishJob(job);
        return true;
    }

    // Under the lock.
    bool takeJob(Job& job) {
        if (stop_ || start_ == n_ || taken_ - written_ >= kSlots) {
            return false;
        }
        job.chunk = taken_++;
        job.begin = start_;
        job.end = TextEncoder::cutPoint(s_, n_, start_ + std::min(chunkUnits_, n_ - start_));
        start_ = job.end;
        return true;
    }

    // Outside the lock: the slot belongs to this job alone until it is ready.
    void encodeJob(Job& job) {
        Slot& slot = slots_[job.chunk % kSlots];
        const std::size_t need = encoder_.byteBound(job.end - job.begin);
        if (slot.room < need) {
            slot.bytes.reset();
            slot.room = std::max(need, encoder_.byteBound(chunkUnits_ + 1));
            slot.bytes = std::make_unique_for_overwrite<char[]>(slot.room);
        }
        job.size =
            encoder_.encode(s_ + job.begin, job.end - job.begin, slot.bytes.get(), job.substituted);
    }

    // Under the lock.
    void finishJob(const Job& job) {
        Slot& slot = slots_[job.chunk % kSlots];
        slot.size = job.size;
        slot.substituted = job.substituted;
        slot.chunk = job.chunk;
        slot.ready = true;
        changed_.notify_all();
    }

    void helperLoop() {
        try {
            std::unique_lock lock(mutex_);
            while (!stop_ && start_ < n_) {
                if (!encodeNext(lock)) {
                    changed_.wait(lock);
                }
            }
        } catch (...) {
            const std::lock_guard lock(mutex_);
            failure_ = std::current_exception();
            stop_ = true;
            changed_.notify_all();
        }
    }

    const TextEncoder& encoder_;
    const char16_t* s_;
    std::size_t n_;
    std::size_t chunkUnits_;

    std::mutex mutex_;
    std::condition_variable changed_;
    std::array<Slot, kSlots> slots_;
    std::size_t start_ = 0;   // where the next chunk begins
    std::size_t taken_ = 0;   // chunks taken
    std::size_t written_ = 0; // chunks handed to the sink
    bool stop_ = false;
    std::exception_ptr failure_;
};

} // namespace

DocumentWriter::DocumentWriter(QStringView text, int code, std::size_t chunkUnits)
    : text_(text), chunkUnits_(std::max<std::size_t>(chunkUnits, 1)) {
    const DocumentCode& writer = WriterCodeOf(code);
    code_ = writer.code;
    mark_ = writer.mark;
}

bool DocumentWriter::write(const ByteSink& sink) {
    substituted_ = 0;
    if (!mark_.isEmpty() && !sink(mark_)) {
        return false;
    }
    const TextEncoder encoder(code_);
    const auto* s = reinterpret_cast<const char16_t*>(text_.utf16());
    const auto n = static_cast<std::size_t>(text_.size());
    if (encoder.copiesUnits()) {
        // The text's own storage is the bytes.
        for (std::size_t i = 0; i < n; i += chunkUnits_) {
            const std::size_t units = std::min(chunkUnits_, n - i);
            if (!sink(QByteArrayView(reinterpret_cast<const char*>(s + i),
                                     static_cast<qsizetype>(2 * units)))) {
                return false;
            }
        }
        return true;
    }
    Pipeline pipeline(encoder, s, n, chunkUnits_);
    return pipeline.run(sink, substituted_);
}

} // namespace quillo::codepage
