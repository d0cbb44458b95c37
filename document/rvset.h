// TRVSet: a small set of enumeration members held as a bit mask (bit n for the
// member of value n), the form every option and property set of the style
// sheet takes.
#pragma once

#include <cstdint>
#include <initializer_list>

// A set of members of the enumeration E, stored in the unsigned integer B.
// Members must have values below the bit count of B.
template <class E, class B = uint32_t> struct TRVSet {
    B Bits = 0;

    constexpr TRVSet() = default;
    constexpr TRVSet(std::initializer_list<E> members)
    {
        for (E m : members)
            Bits = static_cast<B>(Bits | Bit(m));
    }
    static constexpr TRVSet FromBits(B bits)
    {
        TRVSet s;
        s.Bits = bits;
        return s;
    }
    // Every member from First to Last (inclusive).
    static constexpr TRVSet Range(E first, E last)
    {
        TRVSet s;
        for (int m = static_cast<int>(first); m <= static_cast<int>(last); ++m)
            s.Bits = static_cast<B>(s.Bits | Bit(static_cast<E>(m)));
        return s;
    }

    constexpr bool Contains(E m) const { return (Bits & Bit(m)) != 0; }
    constexpr TRVSet& Include(E m)
    {
        Bits = static_cast<B>(Bits | Bit(m));
        return *this;
    }
    constexpr TRVSet& Exclude(E m)
    {
        Bits = static_cast<B>(Bits & ~Bit(m));
        return *this;
    }
    // Includes or excludes the member.
    constexpr TRVSet& Set(E m, bool on) { return on ? Include(m) : Exclude(m); }
    constexpr bool Empty() const { return Bits == 0; }

    constexpr TRVSet operator+(TRVSet o) const { return FromBits(static_cast<B>(Bits | o.Bits)); }
    constexpr TRVSet operator-(TRVSet o) const { return FromBits(static_cast<B>(Bits & ~o.Bits)); }
    constexpr TRVSet operator*(TRVSet o) const { return FromBits(static_cast<B>(Bits & o.Bits)); }
    constexpr bool operator==(TRVSet o) const { return Bits == o.Bits; }
    constexpr bool operator!=(TRVSet o) const { return Bits != o.Bits; }

private:
    static constexpr B Bit(E m) { return static_cast<B>(B(1) << static_cast<unsigned>(m)); }
};

// Holds a state flag (one member of a set) for a scope: includes it on
// construction and takes it out again on every way out, an exception included,
// so that a flag never stays behind after a failed step. With keepIfSet, a flag
// that was already set before stays set (a nested use leaves it to the outer one).
template <class E, class B> class TRVFlagGuard {
public:
    TRVFlagGuard(TRVSet<E, B>& set, E member, bool keepIfSet = false)
        : FSet(set), FMember(member), FKeep(keepIfSet && set.Contains(member))
    {
        FSet.Include(FMember);
    }
    ~TRVFlagGuard()
    {
        if (!FKeep)
            FSet.Exclude(FMember);
    }
    TRVFlagGuard(const TRVFlagGuard&) = delete;
    TRVFlagGuard& operator=(const TRVFlagGuard&) = delete;

private:
    TRVSet<E, B>& FSet;
    E FMember;
    bool FKeep;
};

// The same for a flag that is a field of its own: true for the scope, false
// again on every way out.
class TRVBoolFlagGuard {
public:
    explicit TRVBoolFlagGuard(bool& flag) : FFlag(flag) { FFlag = true; }
    ~TRVBoolFlagGuard() { FFlag = false; }
    TRVBoolFlagGuard(const TRVBoolFlagGuard&) = delete;
    TRVBoolFlagGuard& operator=(const TRVBoolFlagGuard&) = delete;

private:
    bool& FFlag;
};
