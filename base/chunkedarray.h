// ChunkedArray<T>: an append-only array stored in fixed chunks of 65536 elements.
//
// Growing it never moves what it holds, so a table of millions of entries never needs the old and
// the new copy at once (a doubling vector's peak), and references to elements stay valid. A chunk
// is allocated without being written, so memory pages are taken only as elements are appended.
// Index access is two loads. For trivial element types only. NOT thread-safe.
#pragma once

#include <algorithm>
#include <cstddef>
#include <memory>
#include <new>
#include <type_traits>
#include <vector>

template <typename T>
class ChunkedArray {
    static_assert(std::is_trivially_copyable_v<T> && std::is_trivially_destructible_v<T>);

  public:
    static constexpr std::size_t kChunkBits = 16;
    static constexpr std::size_t kChunkSize = std::size_t{1} << kChunkBits;

    ChunkedArray() = default;
    ChunkedArray(ChunkedArray&&) noexcept = default;
    ChunkedArray& operator=(ChunkedArray&&) noexcept = default;
    ~ChunkedArray() = default;

    /// Copies the elements. Throws std::bad_alloc when memory runs out.
    ChunkedArray(const ChunkedArray& other) {
        chunks_.reserve(other.chunks_.size());
        for (std::size_t c = 0; c < other.chunks_.size(); ++c) {
            chunks_.emplace_back(std::allocator<T>().allocate(kChunkSize));
            const std::size_t used = std::min(kChunkSize, other.size_ - (c << kChunkBits));
            std::copy_n(other.chunks_[c].get(), used, chunks_.back().get());
        }
        size_ = other.size_;
    }

    ChunkedArray& operator=(const ChunkedArray& other) {
        if (this != &other) *this = ChunkedArray(other);
        return *this;
    }

    std::size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }

    T& operator[](std::size_t i) { return chunks_[i >> kChunkBits].get()[i & (kChunkSize - 1)]; }
    const T& operator[](std::size_t i) const { return chunks_[i >> kChunkBits].get()[i & (kChunkSize - 1)]; }

    /// Appends a value-initialised element and returns it. Throws std::bad_alloc when memory runs
    /// out, leaving the array unchanged.
    T& emplace_back() {
        if ((size_ >> kChunkBits) == chunks_.size()) {
            if (chunks_.size() == chunks_.capacity()) chunks_.reserve(std::max<std::size_t>(8, chunks_.size() * 2));
            chunks_.emplace_back(std::allocator<T>().allocate(kChunkSize));
        }
        T* element = ::new (&(*this)[size_]) T{};
        ++size_;
        return *element;
    }

    /// Removes the last element (used to undo an append).
    void pop_back() { --size_; }

  private:
    struct FreeChunk {
        void operator()(T* chunk) const { std::allocator<T>().deallocate(chunk, kChunkSize); }
    };

    std::vector<std::unique_ptr<T, FreeChunk>> chunks_;
    std::size_t size_ = 0;
};
