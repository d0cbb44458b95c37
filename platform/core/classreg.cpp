// The class registry: one table for the program, keyed by the class name in
// upper case. Entries are never freed, so a class reference stays valid after
// its class is unregistered or registered again. The table belongs to the
// program's one thread (static initialisers run on it too) and takes no lock.
#include "platform/core/classreg.h"

#include <map>
#include <memory>

#include "platform/core/sysutils.h"

namespace {

struct TClassTable {
    // Every entry ever made, by key; Registered says which ones GetClass finds.
    std::map<AnsiString, std::unique_ptr<TPersistentClassInfo>> Entries;
    std::map<AnsiString, TPersistentClassInfo*> Registered;
};

// Built on first use, so that registrations from static initialisers in any
// file find it ready.
TClassTable& Table()
{
    static TClassTable table;
    return table;
}

} // namespace

TPersistentClass RegisterClass(const AnsiString& name, std::function<TPersistent*(TComponent* owner)> create)
{
    TClassTable& table = Table();
    const AnsiString key = UpperCase(name);
    auto& entry = table.Entries[key];
    if (!entry)
        entry = std::make_unique<TPersistentClassInfo>();
    entry->Name = name;
    entry->Create = std::move(create);
    table.Registered[key] = entry.get();
    return entry.get();
}

void UnRegisterClass(const AnsiString& name)
{
    TClassTable& table = Table();
    table.Registered.erase(UpperCase(name));
}

TPersistentClass GetClass(const AnsiString& name)
{
    TClassTable& table = Table();
    const AnsiString key = UpperCase(name);
    auto found = table.Registered.find(key);
    return found == table.Registered.end() ? nullptr : found->second;
}

TPersistentClass FindClass(const AnsiString& name)
{
    TPersistentClass found = GetClass(name);
    if (!found)
        throw EClassNotFound(Format(SysConst::SClassNotFound, {name}));
    return found;
}
