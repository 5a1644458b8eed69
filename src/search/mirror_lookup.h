// The mirror lookup: the file-search engines of the definition file are asked
// for the name of the file being downloaded, and every hit with that very
// name becomes one more source for the download's segments; then, if the
// project wants the fastest server, the list is ordered by ping time.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace ks {

class CProject;

// The category whose engines are asked (the third: "File Search"), what is
// asked for and how many hits.
inline constexpr int kMirrorCategory = 2;
inline constexpr int kMirrorHitCount = 20;
// More mirrors than segments + this end the lookup.
inline constexpr std::size_t kSpareMirrors = 10;

// The name sought: the address's last path piece, percent-decoded.
std::string SoughtName(std::string_view currentUrl);

// The pieces of extracted hit lines (split at "|" and line feeds) that are
// mirrors of the file named `sought`: http or ftp addresses of one of the file
// types whose last path piece equals the name without regard to case.
std::vector<std::string> MirrorCandidates(std::string_view hits, std::string_view sought,
                                          const std::vector<std::string>& fileTypes);

// The thread body. Expects pingThread already set; clears it last and does not
// touch the project afterwards. ping: PingHost unless a test replaces it.
void MirrorLookup(CProject& project, const std::string& searchIni,
                  const std::function<std::int32_t(const std::string&)>& ping);

// Before each fetch of a download: starts the lookup on a thread of its own
// when the project asks for it ("Auto mirror search", segments above 0) and
// none runs yet. The download worker's mirrorLookup hook.
void StartMirrorLookup(CProject& project);

// At the end of the download worker: no more engines or pings, the running
// one cancelled, and the lookup waited for.
void EndMirrorLookup(CProject& project);

// Installs StartMirrorLookup as the download worker's hook.
void InstallMirrorLookup();

}  // namespace ks
