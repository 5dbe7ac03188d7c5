#include "engines/GzipBlocks.h"

#include <zlib.h>

#include <chrono>

#include "platform/RunControl.h"

namespace sg {
namespace {

constexpr std::chrono::milliseconds kSlice{RunControl::kWaitSliceMs};

}  // namespace

GzipBlocks::GzipBlocks(std::size_t blockSize) : blockSize_(blockSize), slots_(kBlocks) {}

GzipBlocks::~GzipBlocks() {
    {
        std::lock_guard lock(mutex_);
        stop_ = true;
    }
    changed_.notify_all();
    reader_.Wait();
}

int GzipBlocks::Open(const std::string& path) {
    gzFile file = gzopen(path.c_str(), "rb");
    if (file == nullptr) {
        return kCannotOpen;
    }
    gzbuffer(file, 1u << 20);
    for (Slot& slot : slots_) {
        slot.bytes.resize(blockSize_);
    }
    reader_.Start([this, file] { Read(file); });
    return kOk;
}

void GzipBlocks::Read(void* opened) {
    gzFile file = static_cast<gzFile>(opened);
    int result = kOk;
    for (std::size_t index = 0;; index = (index + 1) % kBlocks) {
        Slot& slot = slots_[index];
        {
            std::unique_lock lock(mutex_);
            // The caller still reads this slot's bytes: wait until it is given back.
            while (slot.filled && !stop_) {
                changed_.wait_for(lock, kSlice);
            }
            if (stop_) {
                break;
            }
        }
        std::size_t size = 0;
        while (size < blockSize_) {
            const int n =
                gzread(file, slot.bytes.data() + size, static_cast<unsigned>(blockSize_ - size));
            if (n < 0) {
                result = kReadFailed;
                break;
            }
            if (n == 0) {
                break;
            }
            size += static_cast<std::size_t>(n);
        }
        int error = Z_OK;
        gzerror(file, &error);
        // A file cut short (Z_BUF_ERROR) fails as a corrupt one does.
        if (result == kOk && error != Z_OK) {
            result = kReadFailed;
        }
        {
            std::lock_guard lock(mutex_);
            slot.size = size;
            slot.filled = size > 0 && result == kOk;
            if (size < blockSize_ || result != kOk) {
                ended_ = true;
                result_ = result;
            }
        }
        changed_.notify_all();
        if (size < blockSize_ || result != kOk) {
            break;
        }
    }
    gzclose(file);
}

std::string_view GzipBlocks::Next() {
    std::unique_lock lock(mutex_);
    if (holding_) {
        // The block given last time goes back to the reader.
        Slot& given = slots_[(next_ + kBlocks - 1) % kBlocks];
        given.filled = false;
        holding_ = false;
        changed_.notify_all();
    }
    Slot& slot = slots_[next_];
    while (!slot.filled && !ended_ && !stop_) {
        if (RunCancelled()) {
            stop_ = true;
            result_ = kCancelled;
            changed_.notify_all();
            return {};
        }
        changed_.wait_for(lock, kSlice);
    }
    if (!slot.filled) {
        return {};
    }
    holding_ = true;
    next_ = (next_ + 1) % kBlocks;
    return std::string_view(slot.bytes.data(), slot.size);
}

int GzipBlocks::Result() const {
    std::lock_guard lock(mutex_);
    return result_;
}

}  // namespace sg
