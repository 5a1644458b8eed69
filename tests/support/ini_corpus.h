// Tricky settings files and the questions asked of them. The portable tests
// state the answers; the conformance test asks the platform's own
// private-profile functions the same questions and requires the same answers.
#pragma once

#include <string>
#include <vector>

namespace ks::test {

struct IniCorpusFile {
    std::string name;
    std::string bytes;
};

struct IniQuery {
    std::string section;
    std::string key;
    std::string def;
};

struct IniWriteOp {
    enum Kind { Set, DeleteKey, DeleteSection } kind;
    std::string section;
    std::string key;
    std::string value;
};

struct IniWriteCase {
    std::string name;
    std::string initial;
    std::vector<IniWriteOp> ops;
};

const std::vector<IniCorpusFile>& IniCorpusFiles();
const std::vector<IniQuery>& IniCorpusQueries();
const std::vector<IniWriteCase>& IniWriteCases();

// Line ends unified, lines trimmed, blank lines dropped: what two files must
// share to count as the same settings file.
std::string NormalizeIniText(const std::string& text);

}  // namespace ks::test
