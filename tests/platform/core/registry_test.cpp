// The per-user settings store: where its file lives, keys as sections, subkeys,
// and the folder made on the first write only.
#include "platform/core/registry.h"

#include <cstdlib>
#include <optional>
#include <string>

#include <gtest/gtest.h>

#include "tests/support/tempdir.h"

namespace {

// Points the store at a temporary folder and puts the environment back afterwards.
class RegistryTest : public ::testing::Test {
protected:
    RegistryTest() : FConfig(Save("XDG_CONFIG_HOME")), FHome(Save("HOME"))
    {
        ::setenv("XDG_CONFIG_HOME", FDir.Path().c_str(), 1);
    }
    ~RegistryTest() override
    {
        Restore("XDG_CONFIG_HOME", FConfig);
        Restore("HOME", FHome);
    }

    static std::optional<std::string> Save(const char* name)
    {
        const char* value = std::getenv(name);
        return value ? std::optional<std::string>(value) : std::nullopt;
    }
    static void Restore(const char* name, const std::optional<std::string>& value)
    {
        if (value)
            ::setenv(name, value->c_str(), 1);
        else
            ::unsetenv(name);
    }
    std::string StoreText() const { return FDir.Read(FDir.File("kelvor/registry.ini")); }

    TempDir FDir;
    std::optional<std::string> FConfig;
    std::optional<std::string> FHome;
};

std::vector<std::string> Entries(const TStringList& list)
{
    std::vector<std::string> entries;
    for (int i = 0; i < list.Count(); ++i)
        entries.push_back(list[i]);
    return entries;
}

} // namespace

TEST_F(RegistryTest, StoreFileFollowsXdgConfigHomeThenHome)
{
    EXPECT_EQ(RegistryStoreFileName(), FDir.Path() + "/kelvor/registry.ini");
    ::setenv("HOME", "/home/someone", 1);
    ::setenv("XDG_CONFIG_HOME", "", 1);
    EXPECT_EQ(RegistryStoreFileName(), "/home/someone/.config/kelvor/registry.ini");
    ::unsetenv("XDG_CONFIG_HOME");
    EXPECT_EQ(RegistryStoreFileName(), "/home/someone/.config/kelvor/registry.ini");
    ::setenv("XDG_CONFIG_HOME", "relative/path", 1); // not absolute: ignored
    EXPECT_EQ(RegistryStoreFileName(), "/home/someone/.config/kelvor/registry.ini");
}

TEST_F(RegistryTest, KeysAreSectionsAndTheFolderIsMadeOnTheFirstWrite)
{
    {
        TRegistryIniFile reg("Software\\Kelvor");
        EXPECT_EQ(reg.ReadString("RVStyle", "Color", "none"), "none");
    }
    EXPECT_FALSE(DirectoryExists(FDir.File("kelvor"))); // nothing written, nothing made
    {
        TRegistryIniFile reg("\\Software\\Kelvor\\");
        reg.WriteInteger("RVStyle", "Color", 255);
        reg.WriteBool("RVStyle", "UseSound", false);
        reg.WriteString("", "Top", "value of the key itself");
    }
    EXPECT_EQ(StoreText(), "[Software\\Kelvor\\RVStyle]\nColor=255\nUseSound=0\n"
                           "[Software\\Kelvor]\nTop=value of the key itself\n");
    TRegistryIniFile reg("software\\KELVOR");
    EXPECT_EQ(reg.ReadInteger("rvstyle", "color", 0), 255);
    EXPECT_FALSE(reg.ReadBool("RVStyle", "UseSound", true));
    TStringList values;
    reg.ReadSectionValues("RVStyle", values);
    EXPECT_EQ(Entries(values), (std::vector<std::string>{"Color=255", "UseSound=0"}));
}

TEST_F(RegistryTest, EraseSectionRemovesTheSubkeyWithItsSubkeysAndNothingElse)
{
    ForceDirectories(FDir.File("kelvor"));
    FDir.Write("kelvor/registry.ini", "; kept\n"
                                      "[Software\\Kelvor\\Style]\nx=1\n"
                                      "[Software\\Kelvor\\Style\\Inner]\ny=2\n"
                                      "[Software\\Kelvor\\Styles]\nz=3\n");
    {
        TRegistryIniFile reg("Software\\Kelvor");
        reg.EraseSection("style");
        reg.DeleteKey("Styles", "none");
    }
    EXPECT_EQ(StoreText(), "; kept\n[Software\\Kelvor\\Styles]\nz=3\n");
}

TEST_F(RegistryTest, UpdateFileReportsAStoreThatCannotBeWritten)
{
    FDir.Write("kelvor", "a file where the folder should be");
    TRegistryIniFile reg("Software\\Kelvor");
    reg.WriteString("S", "k", "v");
    EXPECT_THROW(reg.UpdateFile(), EIniFileException);
}
