#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "app/CStringTable.h"
#include "support/CTempDir.h"

using namespace skerrow;

namespace {

// Writes a little-endian .mo file holding the given (original, translation) pairs.
std::string MakeCatalog(const std::vector<std::pair<std::string, std::string>>& pairs)
{
    std::string out;
    auto word = [&out](uint32_t v) { out.append(reinterpret_cast<const char*>(&v), 4); };
    const uint32_t n = static_cast<uint32_t>(pairs.size());
    const uint32_t originals = 28, translations = originals + n * 8;
    uint32_t data = translations + n * 8;
    word(0x950412de); word(0); word(n); word(originals); word(translations); word(0); word(0);
    std::string strings;
    std::vector<std::pair<uint32_t, uint32_t>> o, t;
    for (auto& p : pairs) { o.push_back({uint32_t(p.first.size()), data + uint32_t(strings.size())}); strings += p.first + '\0'; }
    for (auto& p : pairs) { t.push_back({uint32_t(p.second.size()), data + uint32_t(strings.size())}); strings += p.second + '\0'; }
    for (auto& e : o) { word(e.first); word(e.second); }
    for (auto& e : t) { word(e.first); word(e.second); }
    return out + strings;
}

} // namespace

TEST(StringTable, EnglishWithoutCatalogAndTranslatedWithOne)
{
    CStringTable::Unload();
    EXPECT_EQ(LoadString(32794), "Finished");
    EXPECT_EQ(LoadString(32773), "Transfer/Delete the currently selected  \nfiles\nTransfer/Delete");
    EXPECT_EQ(LoadString(1), "");

    test::CTempDir dir;
    const auto mo = dir.WriteFile("x.mo", MakeCatalog({{"", "header"},
                                                       {std::string("32794\x04") + "Finished", "Terminé"},
                                                       {std::string("K\x04") + "Old English", "Alt"}}));
    ASSERT_TRUE(CStringTable::LoadCatalog(mo.string()));
    EXPECT_TRUE(CStringTable::IsCatalogLoaded());
    EXPECT_EQ(LoadString(32794), "Terminé");
    EXPECT_EQ(LoadString(32795), "Too many errors, Transfer stopped"); // not in the catalog
    EXPECT_EQ(Tr("K", "Old English"), "Alt");
    EXPECT_EQ(Tr("K", "New English"), "New English"); // a changed English text is not mistranslated
    CStringTable::Unload();
    EXPECT_EQ(LoadString(32794), "Finished");
}

TEST(StringTable, MissingOrBrokenCatalogKeepsEnglish)
{
    CStringTable::Unload();
    test::CTempDir dir;
    EXPECT_FALSE(CStringTable::LoadCatalog((dir.Path() / "absent.mo").string()));
    std::string truncated = MakeCatalog({{std::string("32794\x04") + "Finished", "Fertig"}});
    truncated.resize(40);
    EXPECT_FALSE(CStringTable::LoadCatalog(dir.WriteFile("bad.mo", truncated).string()));
    EXPECT_FALSE(CStringTable::LoadCatalog(dir.WriteFile("junk.mo", "not a catalog at all, no").string()));
    EXPECT_FALSE(CStringTable::IsCatalogLoaded());
    EXPECT_EQ(LoadString(32794), "Finished");
}

TEST(StringTable, FormatText)
{
    EXPECT_EQ(FormatText("Deleting:- %s", "site/a.htm"), "Deleting:- site/a.htm");
    EXPECT_EQ(FormatText("%d%%", 40), "40%");
    EXPECT_EQ(FormatText("%s", std::string(5000, 'x').c_str()).size(), 5000u);
}
