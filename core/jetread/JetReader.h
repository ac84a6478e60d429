#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

namespace lapora::jetread {

// Buffered writer on a file descriptor; a write that fails ends the program (the reader went away).
class Out {
public:
    explicit Out(int fd) : fd_(fd) { buf_.reserve(kSize); }
    ~Out() { flush(); }
    void bytes(const void* p, std::size_t n);
    void u8(unsigned v) { put(static_cast<unsigned char>(v)); }
    void u32(std::uint32_t v) { bytes(&v, sizeof v); }
    void i32(std::int32_t v) { bytes(&v, sizeof v); }
    void i64(std::int64_t v) { bytes(&v, sizeof v); }
    void u64(std::uint64_t v) { bytes(&v, sizeof v); }
    void f64(double v) { bytes(&v, sizeof v); }
    void str(const char* p, std::size_t n);
    void str(const std::string& s);
    void flush();

private:
    void put(unsigned char c) {
        if (buf_.size() == kSize)
            flush();
        buf_.push_back(static_cast<char>(c));
    }
    static constexpr std::size_t kSize = 1 << 18;
    int fd_;
    std::string buf_;
};

// Opens the Jet file, writes its catalog and, when table is given, that table's rows (see JetStream.h).
// Throws std::runtime_error when the file or the table cannot be read.
void run(const char* path, const char* table, Out& out);

} // namespace lapora::jetread
