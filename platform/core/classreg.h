// The class registry: classes found by their names, as RVF and component
// streams name them. A class is registered with a factory that makes a new
// instance; components are made with their owner (other classes ignore it).
#pragma once

#include <functional>
#include <type_traits>

#include "platform/core/object.h"

class TComponent;

struct TPersistentClassInfo {
    AnsiString Name;
    std::function<TPersistent*(TComponent* owner)> Create;
};
// A class reference: null for none. Stays valid while the program runs.
using TPersistentClass = const TPersistentClassInfo*;

// Registers (or re-registers, replacing the factory) a class under its name; the
// class reference for a name is always the same one.
TPersistentClass RegisterClass(const AnsiString& name, std::function<TPersistent*(TComponent* owner)> create);
// Convenience for a class T with a default constructor (or one taking an owner for components).
template <class T> TPersistentClass RegisterClass(const AnsiString& name)
{
    return RegisterClass(name, [](TComponent* owner) -> TPersistent* {
        if constexpr (std::is_constructible_v<T, TComponent*>)
            return new T(owner);
        else
            return new T();
    });
}
void UnRegisterClass(const AnsiString& name);
// The registered class of that name (ignoring case), or null.
TPersistentClass GetClass(const AnsiString& name);
// The same; EClassNotFound "Class <name> not found" when it is not registered.
TPersistentClass FindClass(const AnsiString& name);
