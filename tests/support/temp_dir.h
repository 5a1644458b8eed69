// A fresh folder for one test, removed with everything in it afterwards.
#pragma once

#include <string>

namespace ks::test {

class TempDir {
  public:
    TempDir();
    ~TempDir();
    const std::string& path() const { return path_; }
    std::string File(const std::string& name) const;
    // The content of the file `name` in the folder; empty when it is missing.
    std::string Read(const std::string& name) const;

  private:
    std::string path_;
};

}  // namespace ks::test
