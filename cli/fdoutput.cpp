#include "cli/fdoutput.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace {

constexpr std::size_t kBufferSize = std::size_t{1} << 16;

}  // namespace

FdOutputBuffer::FdOutputBuffer(int fd) : fd_(fd), buffer_(kBufferSize) {
    setp(buffer_.data(), buffer_.data() + buffer_.size());
}

FdOutputBuffer::~FdOutputBuffer() { drain(); }

bool FdOutputBuffer::writeOut(const char* data, std::size_t size) {
    while (size > 0 && error_ == 0) {
        const ssize_t n = ::write(fd_, data, size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            error_ = n < 0 ? errno : EIO;
            break;
        }
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return error_ == 0;
}

bool FdOutputBuffer::drain() {
    const bool ok = writeOut(pbase(), static_cast<std::size_t>(pptr() - pbase()));
    setp(buffer_.data(), buffer_.data() + buffer_.size());
    return ok;
}

FdOutputBuffer::int_type FdOutputBuffer::overflow(int_type c) {
    if (!drain()) return traits_type::eof();
    if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
    *pptr() = traits_type::to_char_type(c);
    pbump(1);
    return c;
}

std::streamsize FdOutputBuffer::xsputn(const char* data, std::streamsize size) {
    const auto length = static_cast<std::size_t>(size);
    if (length > static_cast<std::size_t>(epptr() - pptr()) && !drain()) return 0;
    // A block larger than the whole buffer goes out at once.
    if (length > buffer_.size()) return writeOut(data, length) ? size : 0;
    std::memcpy(pptr(), data, length);
    pbump(static_cast<int>(length));
    return size;
}

int FdOutputBuffer::sync() { return drain() ? 0 : -1; }

std::string WriteFailureMessage(const std::ostream& out) {
    const auto* buffer = dynamic_cast<const FdOutputBuffer*>(out.rdbuf());
    const int error = buffer ? buffer->error() : 0;
    if (error == 0) return "cannot write the output";
    char text[256];
    // The GNU strerror_r returns the text, which need not be in the buffer.
    return std::string("cannot write the output: ") + strerror_r(error, text, sizeof text);
}
