// TObjectList: ownership of its entries (freed once, in order, never when
// extracted), including entries whose destructors look at or change the list.
#include "platform/core/lists.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/core/sysutils.h"

namespace {

// An entry that writes its name to a log when it is freed.
class TTracked : public TObject {
public:
    TTracked(std::vector<std::string>& log, std::string name) : FLog(log), FName(std::move(name)) {}
    ~TTracked() override { FLog.push_back(FName); }

private:
    std::vector<std::string>& FLog;
    std::string FName;
};

} // namespace

TEST(TObjectListTest, OwningListFreesWhatItTakesOutAndNothingElse)
{
    std::vector<std::string> log;
    {
        TObjectList list;
        auto* a = new TTracked(log, "a");
        auto* b = new TTracked(log, "b");
        auto* c = new TTracked(log, "c");
        list.Add(a);
        list.Add(b);
        list.Add(c);
        list.Add(new TTracked(log, "d"));

        list.Delete(0);
        EXPECT_EQ(log, std::vector<std::string>{"a"});
        EXPECT_EQ(list.Remove(c), 1);
        EXPECT_EQ(log, (std::vector<std::string>{"a", "c"}));

        // Put over a different entry frees it; over itself it keeps it.
        list.Put(0, b);
        EXPECT_EQ(log.size(), 2u);
        list.Put(0, new TTracked(log, "e"));
        EXPECT_EQ(log.back(), "b");

        // Extracted entries belong to the caller.
        TObject* extracted = list.ExtractAt(0);
        TObject* missing = list.Extract(extracted);
        EXPECT_EQ(missing, nullptr);
        EXPECT_EQ(log.size(), 3u);
        delete extracted;
        EXPECT_EQ(log.back(), "e");
    }
    // The destructor freed "d".
    EXPECT_EQ(log.back(), "d");
    EXPECT_EQ(log.size(), 5u);
}

namespace {

// An entry that takes itself out of its list when freed, as objects that know
// their list do: the list must not free it a second time.
class TSelfRemoving : public TObject {
public:
    TSelfRemoving(TObjectList& list, int& freed) : FList(list), FFreed(freed) {}
    ~TSelfRemoving() override
    {
        ++FFreed;
        EXPECT_EQ(FList.IndexOf(this), -1);
        FList.Remove(this);
    }

private:
    TObjectList& FList;
    int& FFreed;
};

// An entry that adds a new entry to its list while it is freed.
class TReplacing : public TObject {
public:
    TReplacing(TObjectList& list, std::vector<std::string>& log) : FList(list), FLog(log) {}
    ~TReplacing() override { FList.Add(new TTracked(FLog, "late")); }

private:
    TObjectList& FList;
    std::vector<std::string>& FLog;
};

} // namespace

TEST(TObjectListTest, EntryDestructorsThatTouchTheListAreFreedOnce)
{
    int freed = 0;
    {
        TObjectList list;
        for (int i = 0; i < 3; ++i)
            list.Add(new TSelfRemoving(list, freed));
        list.Delete(1);
        EXPECT_EQ(freed, 1);
        list.Remove(list[0]);
        EXPECT_EQ(freed, 2);
        list.Add(new TSelfRemoving(list, freed));
        list.Add(new TSelfRemoving(list, freed));
        list.Clear();
        EXPECT_EQ(freed, 5);
        list.Add(new TSelfRemoving(list, freed));
    }
    EXPECT_EQ(freed, 6);

    std::vector<std::string> log;
    {
        TObjectList list;
        list.Add(new TReplacing(list, log));
        list.Clear();
        // What the destructor added was freed too (LeakSanitizer would tell otherwise).
        EXPECT_EQ(log, std::vector<std::string>{"late"});
        EXPECT_EQ(list.Count(), 0);
    }
}
