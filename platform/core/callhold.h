// Library code on the call stack that a program's code may run under, and the
// events through which a program's code runs.
//
// A program's code runs under the library's in three ways: a message a
// control handles (keys, the mouse, painting, a posted message, a message sent
// to it), a handler of one of the library's events, and an undo record that
// an undo play calls. Each of these holds a TCallHold while it runs. While any
// hold is on, the library frees nothing of its own that such code may still
// use (FreeLater, platform/controls/freelater.h): the program's handler may
// close the cell editor whose code called it, or take the table out of the
// document, and the code it returns into still finds them.
#pragma once

#include <exception>
#include <functional>
#include <utility>
#include <vector>

class TCallHold {
public:
    TCallHold() noexcept { ++FCount; }
    ~TCallHold();
    TCallHold(const TCallHold&) = delete;
    TCallHold& operator=(const TCallHold&) = delete;

    static bool Any() { return FCount > 0; }
    // Action runs once no hold is on: at once when none is, else as the last
    // one goes (which may be inside code the program called directly: an
    // action only arranges what waits, it frees nothing itself).
    static void AfterHolds(std::function<void()> action);

private:
    static inline int FCount = 0;
    static inline std::vector<std::function<void()>> FAfter;
};

// An event: a callable member, called only when set. A call holds a TCallHold
// for its length and runs a copy of the handler, so that a handler that
// reassigns the event, or frees the object that raises it, never frees the
// code that runs.
template <class Signature> class TEvent;

template <class R, class... Args> class TEvent<R(Args...)> : public std::function<R(Args...)> {
    using Base = std::function<R(Args...)>;

public:
    using Base::Base;
    using Base::operator=;
    TEvent() = default;
    // Copies of events and of plain functions take the handler itself, never
    // a callable that wraps the other (whose emptiness would then not show).
    TEvent(const TEvent&) = default;
    TEvent(TEvent&&) noexcept = default;
    TEvent(TEvent& other) : Base(static_cast<const Base&>(other)) {}
    TEvent(Base& other) : Base(static_cast<const Base&>(other)) {}
    TEvent& operator=(const TEvent&) = default;
    TEvent& operator=(TEvent&&) noexcept = default;
    TEvent& operator=(TEvent& other) { return *this = static_cast<const TEvent&>(other); }
    TEvent& operator=(Base& other)
    {
        Base::operator=(static_cast<const Base&>(other));
        return *this;
    }

    R operator()(Args... args) const
    {
        const TCallHold hold;
        const Base handler(static_cast<const Base&>(*this));
        return handler(std::forward<Args>(args)...);
    }
};

// A scope that holds back what the library tells a program while it works:
// what is told inside any scope of one Kind (Tell) waits, in order, until the
// outermost of them ends, so that the program's handlers find the work whole;
// it is dropped when that scope ends by an exception. Outside every scope of
// the Kind, Tell tells at once.
template <class Kind> class TTellsHeld {
public:
    TTellsHeld() noexcept : FExceptions(std::uncaught_exceptions()) { ++FCount; }
    ~TTellsHeld() noexcept(false)
    {
        if (--FCount > 0)
            return;
        std::vector<std::function<void()>> held;
        held.swap(FHeld);
        if (std::uncaught_exceptions() > FExceptions)
            return;
        for (const std::function<void()>& tell : held)
            tell();
    }
    TTellsHeld(const TTellsHeld&) = delete;
    TTellsHeld& operator=(const TTellsHeld&) = delete;

    static bool Held() { return FCount > 0; }
    static void Tell(std::function<void()> tell)
    {
        if (FCount > 0)
            FHeld.push_back(std::move(tell));
        else
            tell();
    }

private:
    int FExceptions;
    static inline int FCount = 0;
    static inline std::vector<std::function<void()>> FHeld;
};
