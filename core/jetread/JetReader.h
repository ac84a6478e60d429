#pragma once

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

namespace lapora::jetread {

// Buffered writer on a file descriptor; a write that fails ends the program (the reader went away).
class Out {
public:
    explicit Out(int fd) : fd_(fd), buf_(new char[kSize]) {}
    ~Out() { flush(); }
    Out(const Out&) = delete;
    Out& operator=(const Out&) = delete;
    void bytes(const void* p, std::size_t n) {
        if (n > kSize - used_)
            return spill(p, n);
        std::memcpy(buf_.get() + used_, p, n);
        used_ += n;
    }
    void u8(unsigned v) {
        if (used_ == kSize)
            flush();
        buf_[used_++] = static_cast<char>(v);
    }
    void u32(std::uint32_t v) { bytes(&v, sizeof v); }
    void i32(std::int32_t v) { bytes(&v, sizeof v); }
    void i64(std::int64_t v) { bytes(&v, sizeof v); }
    void u64(std::uint64_t v) { bytes(&v, sizeof v); }
    void f64(double v) { bytes(&v, sizeof v); }
    void str(const char* p, std::size_t n);
    void str(const std::string& s);
    // Room for up to n bytes (n <= kSize) written in place, then taken with commit(bytes written).
    char* room(std::size_t n) {
        if (n > kSize - used_)
            flush();
        return buf_.get() + used_;
    }
    void commit(std::size_t n) { used_ += n; }
    void flush();

    static constexpr std::size_t kSize = 1 << 18;

private:
    void spill(const void* p, std::size_t n);
    int fd_;
    std::unique_ptr<char[]> buf_;
    std::size_t used_ = 0;
};

// Opens the Jet file, writes its catalog and, when table is given, that table's rows (see JetStream.h).
// Throws std::runtime_error when the file or the table cannot be read.
void run(const char* path, const char* table, Out& out);

} // namespace lapora::jetread
