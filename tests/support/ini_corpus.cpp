#include "support/ini_corpus.h"

namespace ks::test {

const std::vector<IniCorpusFile>& IniCorpusFiles() {
    static const std::vector<IniCorpusFile> kFiles = {
        {"basic",
         "[Download]\r\nFolder=C:\\Temp\r\nCapture = yes \r\n\tImmediate\t=\tno\t\r\nEmpty=\r\n"},
        {"case", "[download]\r\nCAPTURE=Yes\r\n"},
        {"quotes",
         "[Q]\r\na=\"  a  \"\r\nb='x'\r\nc=\"abc'\r\nd=\"\r\ne=\"\"\r\nf='\r\ng=\"a\"b\"\r\n"
         "h= \" q \" \r\n"},
        {"duplicates", "[S]\r\nk=first\r\nk=second\r\n[s]\r\nk=third\r\nother=x\r\n"},
        {"comments",
         "; leading comment\r\n[S]\r\n;k=commented\r\nk=real\r\n# h=hash\r\nnoequals\r\n"
         "k2 = a = b\r\n"},
        {"lf", "[S]\nk=v\n\nk2=v2\n[Download]\nCapture=no\n"},
        {"cr", "[S]\rk=v\r\rk2=v2\r[Download]\rCapture=no\r"},
        {"long", "[S]\r\nlong=" + std::string(300, 'x') + "y\r\nqlong=\"" + std::string(300, 'q') +
                     "\"\r\nk=" + std::string(255, 'e') + "\r\nk2=\"" + std::string(200, 'w') +
                     "\"\r\n"},
        {"noequals-first", "[S]\r\nk\r\nk=later\r\n"},
        {"headers", "[ Spaced ]\r\nx=1\r\n  [S]  \r\nk=indented header\r\n[Q]junk\r\na=2\r\n"},
        {"no-section", "k=before any section\r\n[S]\r\nk2=in S\r\n"},
        {"quoted-edges", "[S]\r\nk=\"" + std::string(254, 'a') + "\"\r\nk2=\"" +
                             std::string(255, 'b') + "\"\r\nlong='" + std::string(253, 'c') +
                             "'\r\nqlong=\"'\r\n"},
        {"blank-value-lines", "[S]\r\n   \r\n\t\r\nk=\t \r\nk2 \t=x\r\n"},
    };
    return kFiles;
}

const std::vector<IniQuery>& IniCorpusQueries() {
    static const std::vector<IniQuery> kQueries = {
        {"Download", "Folder", "d"},
        {"Download", "Capture", "d"},
        {"Download", "Immediate", "d"},
        {"Download", "Empty", "def"},
        {"DOWNLOAD", "capture", "d"},
        {"Download", "Missing", "dflt  "},
        {"Download", "Missing", "  "},
        {"Download", "Missing", "a \t "},
        {"Download", "Missing", ""},
        {"Q", "a", "d"},
        {"Q", "b", "d"},
        {"Q", "c", "d"},
        {"Q", "d", "d"},
        {"Q", "e", "d"},
        {"Q", "f", "d"},
        {"Q", "g", "d"},
        {"Q", "h", "d"},
        {"S", "k", "d"},
        {"s", "K", "d"},
        {"S", "other", "d"},
        {"S", ";k", "d"},
        {"S", "noequals", "d"},
        {"S", "# h", "d"},
        {"S", "k2", "d"},
        {"S", "long", "d"},
        {"S", "qlong", "d"},
        {"Spaced", "x", "d"},
        {"Q", "a", "d"},
        {"NoSection", "x", "nd"},
        {"S", "Missing", "m"},
    };
    return kQueries;
}

const std::vector<IniWriteCase>& IniWriteCases() {
    using Op = IniWriteOp;
    static const std::vector<IniWriteCase> kCases = {
        {"existing key keeps its spelling and place",
         "[Download]\r\nCapture=no\r\nImmediate=yes\r\n",
         {{Op::Set, "download", "CAPTURE", "yes"}}},
        {"new key after the last key of its section",
         "[A]\r\nx=1\r\ny=2\r\n[B]\r\nz=3\r\n",
         {{Op::Set, "A", "new", "v"}}},
        {"new key goes to the first of duplicate sections",
         "[A]\r\nx=1\r\n[B]\r\nz=3\r\n[a]\r\nw=4\r\n",
         {{Op::Set, "A", "new", "v"}, {Op::Set, "A", "w", "5"}}},
        {"new section appended",
         "[A]\r\nx=1\r\n",
         {{Op::Set, "New Section", "k", "v"}, {Op::Set, "Another", "k2", "v2"}}},
        {"delete removes the first occurrence",
         "[A]\r\nk=1\r\nk=2\r\nj=3\r\n",
         {{Op::DeleteKey, "A", "K", ""}}},
        {"rewrite drops blanks and converts line ends",
         "; top\n\n[A]\n  x = 1  \n\n\ty\t=\t2\t\n[B]\n;c\nz=3\n",
         {{Op::Set, "B", "z", "4"}}},
        {"values and keys trimmed on write",
         "[A]\r\nx=1\r\n",
         {{Op::Set, "A", "  spaced key  ", "  padded value\t"}}},
        {"delete a section",
         "[A]\r\nx=1\r\n[B]\r\ny=2\r\n[C]\r\nz=3\r\n",
         {{Op::DeleteSection, "b", "", ""}}},
        {"new key after trailing comment lines",
         "[A]\r\nx=1\r\n; note\r\nplain line\r\n[B]\r\ny=2\r\n",
         {{Op::Set, "A", "new", "v"}}},
        {"key line without '=' gets a value",
         "[A]\r\nflag\r\nother=1\r\n",
         {{Op::Set, "A", "flag", "on"}}},
        {"same value leaves the content alone", "[A]\r\nx=1\r\n", {{Op::Set, "A", "x", "1"}}},
        {"quoted and empty values",
         "[A]\r\nx=1\r\n",
         {{Op::Set, "A", "q", "\"quoted\""}, {Op::Set, "A", "e", ""}, {Op::Set, "A", "x", ""}}},
        {"file without sections",
         "",
         {{Op::Set, "First", "a", "1"},
          {Op::Set, "First", "b", "2"},
          {Op::DeleteKey, "First", "a", ""}}},
    };
    return kCases;
}

namespace {

std::string Trimmed(const std::string& s) {
    std::size_t b = s.find_first_not_of(" \t");
    if (b == std::string::npos) return std::string();
    return s.substr(b, s.find_last_not_of(" \t") - b + 1);
}

}  // namespace

std::string NormalizeIniText(const std::string& text) {
    std::string out;
    std::size_t pos = 0;
    while (pos <= text.size()) {
        std::size_t end = text.find_first_of("\r\n", pos);
        if (end == std::string::npos) end = text.size();
        // Blanks around '=' do not change what a line reads as; the platform
        // keeps some of them, we keep none.
        std::string line = Trimmed(text.substr(pos, end - pos));
        std::size_t eq = line.find('=');
        if (eq != std::string::npos && line.front() != '[') {
            line = Trimmed(line.substr(0, eq)) + "=" + Trimmed(line.substr(eq + 1));
        }
        if (!line.empty()) out += line + '\n';
        pos = end + 1;
    }
    return out;
}

}  // namespace ks::test
