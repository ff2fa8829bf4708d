// ChunkedArray<T>: an append-only array stored in fixed chunks of 65536 elements.
//
// Growing it never moves what it holds, so a table of millions of entries never needs the old and
// the new copy at once (a doubling vector's peak), and references to elements stay valid. Index
// access is two loads. NOT thread-safe.
#pragma once

#include <cstddef>
#include <memory>
#include <vector>

template <typename T>
class ChunkedArray {
public:
    static constexpr std::size_t kChunkBits = 16;
    static constexpr std::size_t kChunkSize = std::size_t{1} << kChunkBits;

    std::size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }

    T& operator[](std::size_t i) { return chunks_[i >> kChunkBits][i & (kChunkSize - 1)]; }
    const T& operator[](std::size_t i) const { return chunks_[i >> kChunkBits][i & (kChunkSize - 1)]; }

    /// Appends a value-initialised element and returns it. Throws std::bad_alloc when memory runs
    /// out, leaving the array unchanged.
    T& emplace_back() {
        if ((size_ >> kChunkBits) == chunks_.size()) {
            chunks_.reserve(chunks_.size() + 1);
            chunks_.push_back(std::make_unique<T[]>(kChunkSize));
        }
        T& element = (*this)[size_];
        element = T{};
        ++size_;
        return element;
    }

    /// Removes the last element (used to undo an append).
    void pop_back() { --size_; }

private:
    std::vector<std::unique_ptr<T[]>> chunks_;
    std::size_t size_ = 0;
};
