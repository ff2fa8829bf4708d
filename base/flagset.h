// FlagSet<Flag>: a set of the flags of one enum, kept as the OR of their bit values.
//
// Flag is an enum class whose enumerators are distinct single bits; the set holds them in the
// enum's underlying type, so it takes no more room than the plain integer it replaces, and a set
// of one enum cannot be mixed up with a set of another or with a bare integer. Every operation is
// constexpr and O(1). A value type: thread-safe as any integer is.
#pragma once

#include <type_traits>

template <typename Flag>
class FlagSet {
    static_assert(std::is_enum_v<Flag>);

  public:
    using Bits = std::underlying_type_t<Flag>;

    constexpr FlagSet() = default;
    /// Makes the set of one flag; implicit, so that a flag can stand where a set is wanted.
    constexpr FlagSet(Flag flag) : bits_(static_cast<Bits>(flag)) {}

    /// Returns the set whose bit values are `bits`, as a table or a file holds them.
    static constexpr FlagSet FromBits(Bits bits) {
        FlagSet set;
        set.bits_ = bits;
        return set;
    }

    /// Returns the OR of the bit values of the flags in the set.
    constexpr Bits bits() const { return bits_; }

    /// Returns whether `flag` is in the set.
    constexpr bool has(Flag flag) const { return (bits_ & static_cast<Bits>(flag)) != 0; }

    /// Returns whether the set holds no flag.
    constexpr bool empty() const { return bits_ == 0; }

    /// Returns the flags of this set that are also in `other`.
    constexpr FlagSet operator&(FlagSet other) const { return FromBits(static_cast<Bits>(bits_ & other.bits_)); }

    /// Returns the flags of this set and those of `other`.
    constexpr FlagSet operator|(FlagSet other) const { return FromBits(static_cast<Bits>(bits_ | other.bits_)); }

    constexpr FlagSet& operator|=(FlagSet other) { return *this = *this | other; }

    /// Returns this set without the flags of `other`.
    constexpr FlagSet without(FlagSet other) const { return FromBits(static_cast<Bits>(bits_ & ~other.bits_)); }

    constexpr bool operator==(const FlagSet&) const = default;

  private:
    Bits bits_ = 0;
};
