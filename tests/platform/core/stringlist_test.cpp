// TStringList: text splitting and joining, sorted insertion with its duplicate
// rules, objects and their ownership, and loading and saving.
#include "platform/core/stringlist.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/core/codepages.h"
#include "platform/core/streams.h"
#include "platform/core/sysutils.h"
#include "tests/support/tempdir.h"

using namespace std::string_literals;

namespace {

std::vector<std::string> Entries(const TStringList& list)
{
    std::vector<std::string> entries;
    for (int i = 0; i < list.Count(); ++i)
        entries.push_back(list[i]);
    return entries;
}

using Strings = std::vector<std::string>;

TStringList* ListOf(TStringList& list, std::initializer_list<const char*> entries)
{
    for (const char* s : entries)
        list.Add(s);
    return &list;
}

template <class Fn> std::string StringListErrorOf(Fn&& fn)
{
    try {
        fn();
    } catch (const EStringListError& e) {
        return e.Message();
    }
    return "no EStringListError";
}

class TCounted : public TObject {
public:
    explicit TCounted(int& freed) : FFreed(freed) {}
    ~TCounted() override { ++FFreed; }

private:
    int& FFreed;
};

} // namespace

TEST(TStringListTextTest, SplitsAtEveryKindOfLineBreak)
{
    TStringList list;
    list.SetText("a\r\nb\rc\nd");
    EXPECT_EQ(Entries(list), (Strings{"a", "b", "c", "d"}));
    list.SetText("a\n");
    EXPECT_EQ(Entries(list), (Strings{"a"}));
    list.SetText("");
    EXPECT_EQ(list.Count(), 0);
    list.SetText("\n\n");
    EXPECT_EQ(Entries(list), (Strings{"", ""}));
    // CR CR LF is an empty line and a line break; LF CR is two breaks.
    list.SetText("\r\r\n");
    EXPECT_EQ(Entries(list), (Strings{"", ""}));
    list.SetText("x\n\ry");
    EXPECT_EQ(Entries(list), (Strings{"x", "", "y"}));
    list.SetText("last line without break");
    EXPECT_EQ(Entries(list), (Strings{"last line without break"}));
}

TEST(TStringListTextTest, KeepsNulBytesAndJoinsWithTheLineBreak)
{
    TStringList list;
    list.SetText("a\0b\nc\0\r\n\0"s);
    EXPECT_EQ(Entries(list), (Strings{"a\0b"s, "c\0"s, "\0"s}));
    EXPECT_EQ(list.Text(), "a\0b\r\nc\0\r\n\0\r\n"s);

    TStringList empty;
    EXPECT_EQ(empty.Text(), "");
    ListOf(empty, {""});
    EXPECT_EQ(empty.Text(), "\r\n");

    list.SetLineBreak("\n");
    list.SetText("one\r\ntwo");
    EXPECT_EQ(list.Text(), "one\ntwo\n");
}

TEST(TStringListSortedTest, DuplicatesAreIgnoredRefusedOrAccepted)
{
    int dummy = 0;
    TCounted object(dummy);
    TStringList list;
    list.SetSorted(true);
    ListOf(list, {"b", "a", "c"});

    // dupIgnore: the existing index, and the object stays with the caller.
    EXPECT_EQ(list.AddObject("B", &object), 1);
    EXPECT_EQ(list.Count(), 3);
    EXPECT_EQ(list.GetObject(1), nullptr);

    list.SetDuplicates(dupError);
    EXPECT_EQ(StringListErrorOf([&] { list.Add("c"); }), "String list does not allow duplicates");
    EXPECT_EQ(Entries(list), (Strings{"a", "b", "c"}));

    // dupAccept inserts before the equal entries.
    list.SetDuplicates(dupAccept);
    EXPECT_EQ(list.AddObject("B", &object), 1);
    EXPECT_EQ(Entries(list), (Strings{"a", "B", "b", "c"}));
    EXPECT_EQ(list.GetObject(1), &object);
    int index = -1;
    EXPECT_TRUE(list.Find("b", index));
    EXPECT_EQ(index, 1);

    // Duplicates apply to sorted lists only.
    TStringList unsorted;
    unsorted.SetDuplicates(dupError);
    ListOf(unsorted, {"a", "a"});
    EXPECT_EQ(unsorted.Count(), 2);
}

TEST(TStringListTest, ObjectsAreOwnedOnlyWhenAsked)
{
    int freed = 0;
    TCounted a(freed);
    {
        TStringList list;
        list.AddObject("a", &a);
        list.InsertObject(0, "b", &a);
        EXPECT_EQ(list.IndexOfObject(&a), 0);
        list.Delete(0);
        list.PutObject(0, nullptr);
        list.AddObject("c", &a);
        list.Clear();
    }
    EXPECT_EQ(freed, 0);

    {
        TStringList list;
        list.SetOwnsObjects(true);
        list.AddObject("one", new TCounted(freed));
        list.AddObject("two", new TCounted(freed));
        list.AddObject("three", new TCounted(freed));
        list.AddObject("four", new TCounted(freed));
        list.Delete(0);
        EXPECT_EQ(freed, 1);
        // Putting another object frees the one it replaces; the same one stays.
        list.PutObject(0, list.GetObject(0));
        EXPECT_EQ(freed, 1);
        list.PutObject(0, new TCounted(freed));
        EXPECT_EQ(freed, 2);
        list.Clear();
        EXPECT_EQ(freed, 5);
        list.AddObject("five", new TCounted(freed));
    }
    EXPECT_EQ(freed, 6);
}

TEST(TStringListStreamTest, FilesRoundTripAndAFailedSaveLeavesNoFile)
{
    TempDir dir;
    const std::string name = dir.File("list.txt");
    TStringList list;
    list.SetText("alpha\nbeta\0gamma"s);
    list.SaveToFile(name);
    EXPECT_EQ(dir.Read("list.txt"), "alpha\r\nbeta\0gamma\r\n"s);

    TStringList back;
    back.LoadFromFile(name);
    EXPECT_EQ(Entries(back), Entries(list));

    // Saving over an existing file replaces all of it.
    back.SetText("short");
    back.SaveToFile(name);
    EXPECT_EQ(dir.Read("list.txt"), "short\r\n");

    EXPECT_THROW(back.LoadFromFile(dir.File("missing.txt")), EFOpenError);
    EXPECT_THROW(back.SaveToFile(dir.File("no-such-folder/list.txt")), EStreamError);
    EXPECT_EQ(Entries(back), (Strings{"short"}));
}

TEST(TStringListTextTest, SettingTextReplacesEntriesAndFreesOwnedObjects)
{
    int freed = 0;
    TStringList list;
    list.SetOwnsObjects(true);
    list.AddObject("old", new TCounted(freed));
    list.SetText("new");
    EXPECT_EQ(freed, 1);
    EXPECT_EQ(Entries(list), (Strings{"new"}));
    EXPECT_EQ(list.GetObject(0), nullptr);
}

// An editor inserts and deletes entries at a wandering place of a long list;
// the list keeps a gap there. Every operation is checked against a plain
// vector, with long entries (held outside the string) and short ones.
TEST(TStringListGapTest, InsertsAndDeletesAnywhereKeepEveryEntry)
{
    TStringList list;
    Strings model;
    unsigned seed = 12345;
    auto next = [&](unsigned n) {
        seed = seed * 1103515245u + 12345u;
        return (seed >> 8) % n;
    };
    auto text = [](int i) {
        return (i % 3 == 0 ? "a long entry that lives on the heap " : "e") + std::to_string(i);
    };
    for (int step = 0; step < 4000; ++step) {
        const int count = list.Count();
        const unsigned what = next(10);
        if (what < 5 || count == 0) {
            // Near the last place mostly, sometimes anywhere or at the end.
            const int at = what == 0 ? count : static_cast<int>(next(static_cast<unsigned>(count) + 1));
            list.Insert(at, text(step));
            model.insert(model.begin() + at, text(step));
        } else if (what < 8) {
            const int at = static_cast<int>(next(static_cast<unsigned>(count)));
            list.Delete(at);
            model.erase(model.begin() + at);
        } else if (what == 8) {
            const int from = static_cast<int>(next(static_cast<unsigned>(count)));
            const int to = static_cast<int>(next(static_cast<unsigned>(count)));
            list.Move(from, to);
            const std::string moved = model[static_cast<size_t>(from)];
            model.erase(model.begin() + from);
            model.insert(model.begin() + to, moved);
        } else {
            const int at = static_cast<int>(next(static_cast<unsigned>(count)));
            list.Put(at, text(-step));
            model[static_cast<size_t>(at)] = text(-step);
        }
        if (step % 97 == 0) {
            ASSERT_EQ(Entries(list), model) << "step " << step;
        }
    }
    ASSERT_EQ(Entries(list), model);
    // The whole-list operations see the entries in order, not the gap.
    std::string joined;
    for (const std::string& s : model)
        joined += s + "\r\n";
    EXPECT_EQ(list.Text(), joined);
    list.Sort();
    std::stable_sort(model.begin(), model.end(),
                     [](const std::string& a, const std::string& b) { return AnsiCompareText(a, b) < 0; });
    EXPECT_EQ(Entries(list), model);
}

TEST(TStringListGapTest, OwnedObjectsAreFreedOnceWhateverTheGap)
{
    int freed = 0;
    {
        TStringList list;
        list.SetOwnsObjects(true);
        for (int i = 0; i < 40; ++i)
            list.AddObject("x", new TCounted(freed));
        for (int i = 0; i < 10; ++i)
            list.InsertObject(20, "y", new TCounted(freed)); // a gap in the middle
        list.Delete(5);
        list.Delete(30);
        EXPECT_EQ(freed, 2);
        EXPECT_EQ(list.Count(), 48);
    }
    EXPECT_EQ(freed, 50);
}
