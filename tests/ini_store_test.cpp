#include "app/ini_store.h"

#include <gtest/gtest.h>

#include "platform/files.h"
#include "support/ini_corpus.h"
#include "support/temp_dir.h"

using ks::IniDocument;
using ks::test::IniCorpusFiles;

namespace {

IniDocument Parsed(const std::string& name) {
    for (const auto& f : IniCorpusFiles()) {
        if (f.name == name) {
            IniDocument d;
            EXPECT_TRUE(d.Parse(f.bytes));
            return d;
        }
    }
    ADD_FAILURE() << "no corpus file " << name;
    return IniDocument();
}

TEST(IniStore, ReadsFollowPrivateProfileRules) {
    struct Case {
        const char* file;
        const char* section;
        const char* key;
        const char* def;
        std::string want;
    };
    const Case cases[] = {
        {"basic", "Download", "Capture", "d", "yes"},
        {"basic", "Download", "Immediate", "d", "no"},
        {"basic", "Download", "Empty", "def", ""},  // present but empty: not the default
        {"basic", "download", "FOLDER", "d", "C:\\Temp"},
        {"basic", "Download", "Missing", "dflt  ", "dflt"},
        {"basic", "Download", "Missing", "   ", " "},  // the first character stays
        {"basic", "Download", "Missing", "a \t ", "a \t"},
        {"quotes", "Q", "a", "d", "  a  "},
        {"quotes", "Q", "b", "d", "x"},
        {"quotes", "Q", "c", "d", "\"abc'"},
        {"quotes", "Q", "d", "d", "\""},
        {"quotes", "Q", "e", "d", ""},
        {"quotes", "Q", "g", "d", "a\"b"},
        {"quotes", "Q", "h", "d", " q "},
        {"duplicates", "S", "k", "d", "first"},
        {"duplicates", "S", "other", "d", "d"},  // only the first [S] is searched
        {"comments", "S", ";k", "d", "d"},
        {"comments", "S", "k", "d", "real"},
        {"comments", "S", "# h", "d", "hash"},
        {"comments", "S", "noequals", "d", "d"},
        {"comments", "S", "k2", "d", "a = b"},
        {"lf", "S", "k2", "d", "v2"},
        {"cr", "S", "k2", "d", "v2"},
        {"cr", "Download", "Capture", "d", "no"},
        {"long", "S", "long", "d", std::string(255, 'x')},
        {"long", "S", "qlong", "d", std::string(255, 'q')},
        {"long", "S", "k", "d", std::string(255, 'e')},
        {"quoted-edges", "S", "k2", "d", std::string(255, 'b')},
        {"noequals-first", "S", "k", "d", "d"},  // the first line named k decides
        {"headers", "Spaced", "x", "d", "1"},
        {"headers", "S", "k", "d", "indented header"},
        {"headers", "Q", "a", "d", "2"},
        {"no-section", "S", "k", "d", "d"},
        {"blank-value-lines", "S", "k", "d", ""},
        {"blank-value-lines", "S", "k2", "d", "x"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Parsed(c.file).Get(c.section, c.key, c.def), c.want)
            << c.file << " [" << c.section << "] " << c.key;
    }
}

TEST(IniStore, WritesRewriteTheWholeFile) {
    IniDocument d;
    ASSERT_TRUE(d.Parse("; top\n\n[A]\n  x = 1  \n;c\n\n[B]\nz=3\n[a]\nw=1\n"));
    d.Set("a", "X", "2");      // existing key: place and spelling kept
    d.Set("A", "new", " v ");  // after the last line of the first [A]
    d.Set("C", "k", "v");      // new section at the end
    EXPECT_EQ(d.Serialize(),
              "; top\r\n[A]\r\nx=2\r\n;c\r\nnew=v\r\n[B]\r\nz=3\r\n[a]\r\nw=1\r\n"
              "[C]\r\nk=v\r\n");
    EXPECT_TRUE(d.Delete("B", "Z"));
    EXPECT_FALSE(d.Delete("B", "z"));
    EXPECT_TRUE(d.DeleteSection("a"));  // the first one only
    EXPECT_EQ(d.Serialize(), "; top\r\n[B]\r\n[a]\r\nw=1\r\n[C]\r\nk=v\r\n");
}

TEST(IniStore, LineBreaksInAValueCannotPlantKeys) {
    using namespace std::string_literals;
    IniDocument d;
    d.Set("Download", "ExtProg", "a.exe\r\n[Limits]\r\nmaxfiles=999\nwait=0\r\0x"s);
    EXPECT_EQ(d.Serialize(),
              std::string("[Download]\r\nExtProg=a.exe[Limits]maxfiles=999wait=0x\r\n"));
    IniDocument again;
    ASSERT_TRUE(again.Parse(d.Serialize()));
    EXPECT_FALSE(again.Find("Limits", "maxfiles"));
    EXPECT_EQ(again.SectionNames(), std::vector<std::string>{"Download"});
}

TEST(IniStore, OversizedInputIsRefused) {
    IniDocument d;
    EXPECT_FALSE(d.Parse(std::string(ks::kIniFileMax + 1, 'x')));
    EXPECT_TRUE(d.SectionNames().empty());
}

TEST(IniStore, FileSavesOnlyWhenChangedAndAtomically) {
    ks::test::TempDir dir;
    std::string path = dir.File("k.ini");
    ks::IniFile f;
    ASSERT_TRUE(f.Load(path));  // missing file: empty document
    f.Set("S", "a", "1");
    f.Set("S", "b", "2");
    EXPECT_TRUE(f.Dirty());
    ASSERT_TRUE(f.Save());
    EXPECT_FALSE(f.Dirty());
    EXPECT_EQ(ks::IniRead(path, "s", "B"), "2");
    EXPECT_TRUE(ks::IniWrite(path, "S", "a", "3"));
    EXPECT_TRUE(ks::IniDelete(path, "S", "b"));
    std::string text;
    ASSERT_TRUE(ks::plat::ReadWholeFile(path, text));
    EXPECT_EQ(text, "[S]\r\na=3\r\n");
    EXPECT_EQ(ks::plat::ListFiles(dir.path(), "").size(), 1u) << "no temporary left behind";
}

}  // namespace
