// Standard output as sumoran-cli writes it: a buffered stream over a file descriptor that keeps
// the system's reason when a write fails, so that the message can say why ("No space left on
// device") instead of only that the output is lost.
#pragma once

#include <ostream>
#include <streambuf>
#include <string>
#include <vector>

/// A stream buffer writing to a file descriptor it does not own, in blocks of 64 KiB. After the
/// first failed write it writes nothing more and keeps that write's errno. A write interrupted by
/// a signal is carried on, so that a signal cannot cut a line in two. Not thread-safe.
class FdOutputBuffer final : public std::streambuf {
  public:
    explicit FdOutputBuffer(int fd);
    FdOutputBuffer(const FdOutputBuffer&) = delete;
    FdOutputBuffer& operator=(const FdOutputBuffer&) = delete;
    ~FdOutputBuffer() override;

    /// The errno of the first write that failed, 0 while none has.
    int error() const { return error_; }

  protected:
    int_type overflow(int_type c) override;
    std::streamsize xsputn(const char* data, std::streamsize size) override;
    int sync() override;

  private:
    bool writeOut(const char* data, std::size_t size);
    bool drain();

    int fd_;
    int error_ = 0;
    std::vector<char> buffer_;
};

/// The message for output that could not be written: "cannot write the output: <reason>", the
/// reason the system gave when `out` writes through an FdOutputBuffer, else a general one.
std::string WriteFailureMessage(const std::ostream& out);
