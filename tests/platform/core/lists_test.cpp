// TList and TObjectList: the operations they share, and TObjectList's ownership of its entries (freed once,
// in order, never when extracted), including entries whose destructors look at or change the list.
#include "platform/core/lists.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
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

// TList and a TObjectList that owns nothing answer every shared operation
// alike, as a plain vector does: random operations, good and bad indexes
// (a bad one raises EListError and changes nothing).
TEST(TListTest, BothListsAnswerEveryOperationAsAVectorDoes)
{
    std::vector<TObject> pool(6);
    std::mt19937 random(11);
    TList list;
    TObjectList objects(false);
    std::vector<TObject*> model;
    auto pick = [&]() { return &pool[random() % pool.size()]; };
    const auto expectError = [](bool ok, const auto& call) {
        if (ok)
            call();
        else
            EXPECT_THROW(call(), EListError);
    };
    // The same call on each list, raising EListError unless Ok.
    const auto both = [&](bool ok, const auto& call) {
        expectError(ok, [&] { call(list); });
        expectError(ok, [&] { call(objects); });
    };
    for (int step = 0; step < 4000; ++step) {
        SCOPED_TRACE(step);
        const int count = static_cast<int>(model.size());
        // Indexes from one below the start to one past the end.
        const int index = static_cast<int>(random() % (count + 3)) - 1;
        const int other = static_cast<int>(random() % (count + 3)) - 1;
        const bool valid = index >= 0 && index < count;
        const bool bothValid = valid && other >= 0 && other < count;
        TObject* item = pick();
        switch (random() % 9) {
        case 0:
            both(true, [&](auto& l) { EXPECT_EQ(l.Add(item), count); });
            model.push_back(item);
            break;
        case 1:
            both(index >= 0 && index <= count, [&](auto& l) { l.Insert(index, item); });
            if (index >= 0 && index <= count)
                model.insert(model.begin() + index, item);
            break;
        case 2:
            expectError(valid, [&] { list.Delete(index); });
            expectError(valid, [&] { EXPECT_EQ(objects.ExtractAt(index), model[index]); });
            if (valid)
                model.erase(model.begin() + index);
            break;
        case 3: {
            const auto found = std::find(model.begin(), model.end(), item);
            const int want = found == model.end() ? -1 : static_cast<int>(found - model.begin());
            const bool remove = random() % 2;
            both(true, [&](auto& l) {
                EXPECT_EQ(l.IndexOf(item), want);
                if (remove)
                    EXPECT_EQ(l.Remove(item), want);
                else
                    EXPECT_EQ(l.Extract(item), want < 0 ? nullptr : item);
            });
            if (want >= 0)
                model.erase(found);
            break;
        }
        case 4:
            both(valid, [&](auto& l) { l.Put(index, item); });
            if (valid)
                model[index] = item;
            break;
        case 5:
            both(bothValid, [&](auto& l) { l.Exchange(index, other); });
            if (bothValid)
                std::swap(model[index], model[other]);
            break;
        case 6:
            // Moving onto itself checks nothing.
            both(bothValid || index == other, [&](auto& l) { l.Move(index, other); });
            if (bothValid && index != other) {
                TObject* moved = model[index];
                model.erase(model.begin() + index);
                model.insert(model.begin() + other, moved);
            }
            break;
        case 7: {
            // By place in the pool, equal entries keeping their order.
            auto rank = [&](const void* p) { return static_cast<const TObject*>(p) - pool.data(); };
            both(true,
                 [&](auto& l) { l.Sort([&](auto* a, auto* b) { return int(rank(a) / 2 - rank(b) / 2); }); });
            std::stable_sort(model.begin(), model.end(),
                             [&](TObject* a, TObject* b) { return rank(a) / 2 < rank(b) / 2; });
            break;
        }
        default:
            both(valid, [&](auto& l) { EXPECT_EQ(l.Get(index), model[index]); });
            if (count > 0)
                both(true,
                     [&](auto& l) { EXPECT_TRUE(l.First() == model.front() && l.Last() == model.back()); });
            if (count > 20) {
                both(true, [](auto& l) { l.Clear(); });
                model.clear();
            }
            break;
        }
        ASSERT_EQ(list.Count(), static_cast<int>(model.size()));
        ASSERT_EQ(objects.Count(), static_cast<int>(model.size()));
        for (size_t i = 0; i < model.size(); ++i) {
            ASSERT_EQ(list[static_cast<int>(i)], model[i]);
            ASSERT_EQ(objects[static_cast<int>(i)], model[i]);
        }
    }
}
